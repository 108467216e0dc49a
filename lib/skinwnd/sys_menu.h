// The skinned system menus: TkCustomSysMenu, a popup menu that asks six
// questions about its window; TkSystemMenu, a form provider's, which
// copies the form's own system menu and may list the manager's skins; and
// TkaSystemMenu, a standard dialog's, built once from fixed captions.
// Each item's data is its system command; a click sends WM_SYSCOMMAND to
// the window. GUI thread only.
#pragma once

#include <QMenu>
#include <QString>
#include <cstdint>

#include "winshim/window.h"

class QAction;

namespace kelmo::skinwnd {

class TkProviderFace;

class TkCustomSysMenu : public QMenu {
 public:
  using QMenu::QMenu;
  virtual bool VisibleClose() const = 0;
  virtual bool VisibleMax() const = 0;
  virtual bool VisibleMin() const = 0;
  virtual bool EnabledMax() const = 0;
  virtual bool EnabledMin() const = 0;
  virtual bool EnabledRestore() const = 0;
};

// The item names and default captions.
inline constexpr const char* kSysItemNames[6] = {"kaIR", "kaIM", "kaIS", "kaIN", "kaIX", "kaIC"};
inline constexpr const char* kDlgItemNames[6] = {"miRestore",  "miMove",     "miSize",
                                                 "miMinimize", "miMaximize", "miClose"};

class TkSystemMenu : public TkCustomSysMenu {
 public:
  // Named "SysMenu"; the items are made at once.
  explicit TkSystemMenu(TkProviderFace& provider);

  int ExtItemsCount = 0;
  TkProviderFace& FOwner;
  QWidget* FForm = nullptr;
  QAction* ItemRestore = nullptr;
  QAction* ItemMove = nullptr;
  QAction* ItemSize = nullptr;
  QAction* ItemMinimize = nullptr;
  QAction* ItemMaximize = nullptr;
  QAction* ItemClose = nullptr;

  // Rebuilds the items from the window's own system menu.
  void MakeItems();
  // Visibility and enabling from the form's state (after MakeItems when
  // rebuild).
  void UpdateItems(bool rebuild = false);
  // The manager's skins as radio items at the top (columns of 20).
  void AddSkinList();
  // Removes a skin list added before.
  void RemoveSkinList();
  // Called after skin changes; nothing to do.
  void UpdateGlyphs() {}

  bool VisibleClose() const override;
  bool VisibleMax() const override;
  bool VisibleMin() const override;
  bool EnabledMax() const override;
  bool EnabledMin() const override;
  bool EnabledRestore() const override;
  bool VisibleRestore() const;
  bool VisibleSize() const;
  bool EnabledMove() const;
  bool EnabledSize() const;

  // The column each item starts in the menu (a break before the 21st,
  // 41st ... skin name); 0 for an item not in the skin list.
  static int SkinListColumn(const QAction* item);

 private:
  QAction* AddStdItem(int index, unsigned command, const QString& caption);
  void SendCommand(unsigned command);
};

// What the dialog's system menu asks of the dialog's wrapper.
class TkaDialogMenuOwner {
 public:
  virtual ~TkaDialogMenuOwner() = default;
  virtual winshim::HWND DialogHandle() const = 0;
  // The dialog's window style as the wrapper saved it.
  virtual std::uint32_t DialogSavedStyle() const = 0;
  // 0 fixed dialog frame, 2 popup without caption, 3 ordinary, 1 before
  // the styles are read.
  virtual int DialogFrameKind() const = 0;
};

class TkaSystemMenu : public TkCustomSysMenu {
 public:
  explicit TkaSystemMenu(TkaDialogMenuOwner* owner = nullptr);

  TkaDialogMenuOwner* FOwner;
  QAction* ItemRestore = nullptr;
  QAction* ItemMove = nullptr;
  QAction* ItemSize = nullptr;
  QAction* ItemMinimize = nullptr;
  QAction* ItemMaximize = nullptr;
  QAction* ItemClose = nullptr;

  bool VisibleClose() const override;
  bool VisibleMax() const override { return false; }
  bool VisibleMin() const override { return false; }
  bool EnabledMax() const override { return false; }
  bool EnabledMin() const override { return false; }
  bool EnabledRestore() const override { return false; }
  void UpdateItems();

 private:
  void SendCommand(unsigned command);
};

}  // namespace kelmo::skinwnd
