// TkaCtrlAdapter, the control adapter of a form provider: gives each
// ordinary control of a skinned form a window wrapper chosen by its class
// name from the skin manager's 18 class lists (ThirdParty), keeps one item
// per handled control owning the control's skin link and wrapper, and
// hands skin messages to them. GUI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "skin/skin_link.h"
#include "skinwnd/main_wnd.h"

namespace kelmo::skinwnd {

class TkProviderFace;
class TkaCtrlAdapter;
class TkaSpeedButtonHandler;

// The adapter's own skin links carry this control kind.
inline constexpr int kKindAdapterItem = 227;

struct AdapterUnitState {
  // Set while AddAllItems runs; a call that finds it set does nothing.
  bool AdapterScanning = false;
};
AdapterUnitState& AdapterState();

class TkaAdapterItem {
 public:
  explicit TkaAdapterItem(TkaCtrlAdapter* adapter);
  // Frees the wrapper, then the link.
  virtual ~TkaAdapterItem();
  TkaAdapterItem(const TkaAdapterItem&) = delete;
  TkaAdapterItem& operator=(const TkaAdapterItem&) = delete;

  QPointer<QWidget> Ctrl;
  std::unique_ptr<skin::TkCommonData> SkinData;
  TkaCtrlAdapter* Adapter;
  std::unique_ptr<TkaMainWnd> ScrollWnd;

  // Chooses and attaches the control's wrapper by its class name.
  virtual void DoHook(QWidget* control);
};

class TkaGraphItem {
 public:
  explicit TkaGraphItem(TkaCtrlAdapter* adapter);
  virtual ~TkaGraphItem();
  TkaGraphItem(const TkaGraphItem&) = delete;
  TkaGraphItem& operator=(const TkaGraphItem&) = delete;

  QPointer<QWidget> Ctrl;
  std::unique_ptr<skin::TkCommonData> SkinData;
  TkaCtrlAdapter* Adapter;
  std::unique_ptr<TkaSpeedButtonHandler> Handler;

  virtual void DoHook(QWidget* control);
};

class TkaCtrlAdapter {
 public:
  explicit TkaCtrlAdapter(TkProviderFace& provider);
  // CleanItems, then RemoveAllItems.
  virtual ~TkaCtrlAdapter();
  TkaCtrlAdapter(const TkaCtrlAdapter&) = delete;
  TkaCtrlAdapter& operator=(const TkaCtrlAdapter&) = delete;

  std::vector<std::unique_ptr<TkaAdapterItem>> Items;
  std::vector<std::unique_ptr<TkaGraphItem>> GraphItems;
  TkProviderFace& Provider;

  // Scans the control's tree (nullptr: the provider's form) and attaches
  // items to the controls the class lists name.
  void AddAllItems(QWidget* control = nullptr);
  int Count() const { return int(Items.size()); }

  virtual bool IsSupported(QWidget* control);
  // nullptr outside 0..Count-1.
  virtual TkaAdapterItem* GetItem(int index) const;
  virtual void AddGraphItem(QWidget* control);
  virtual void AddNewItem(QWidget* control) { AddNewItem(control, QString()); }
  virtual void AddNewItem(QWidget* control, const QString& sectionName);
  // Frees the item; the last takes its place.
  virtual void RemoveItem(int index);
  // The message to every live wrapper's window.
  virtual void BroadcastMessage(winshim::Msg& message);
  // Frees every item whose wrapper is gone or released.
  void CleanItems();
  void RemoveAllItems();

  // The manager of the provider's link (nullptr when none).
  skin::TkSkinManager* LinkManager() const;

 private:
  // The provider's OnSkinItem; false when refused.
  bool Offer(QWidget* control, QString& section);
  void ScanOne(QWidget* component, bool ownedPass);
};

// A control answers skinned (1 to command 7): a skinning-library control.
bool AnswersSkinned(QWidget* control);

}  // namespace kelmo::skinwnd
