// What a form provider asks of the objects it owns but that are built
// beside it: the control adapter that wraps the form's children, the
// extended-border (shadow) window, the skinned system menu, the MDI
// support of an MDI parent and a title button's fade. The provider holds
// each through the interface here and makes it through the makers, which
// the files that build them install in FormSatellites(). A maker left
// empty means the provider goes without that object: every step that needs
// it is skipped.
//
// GUI thread only.
#pragma once

#include <QImage>
#include <QPoint>
#include <functional>
#include <memory>

#include "winshim/messages.h"
#include "winshim/win_types.h"

class QWidget;

namespace kelmo::skinwnd {

class TkSkinProvider;
struct TitleBtnData;

// The control adapter: wraps the form's child controls with the skinned
// wrappers and frees them again.
class TkFormAdapterIntf {
 public:
  virtual ~TkFormAdapterIntf() = default;
  // Wraps every child control of the form that wants a wrapper.
  virtual void AddAllItems() = 0;
  // Offers one control; true when it got a wrapper (or had one).
  virtual bool AddNewItem(QWidget* control) = 0;
  // Hands a copy of the message to every wrapped item.
  virtual void BroadcastToItems(const winshim::Msg& msg) = 0;
};

// The extended-border window around a form: a layered window with the
// skin's shadow and the outer parts of the frame.
class TkBorderFormIntf {
 public:
  virtual ~TkBorderFormIntf() = default;
  // Places and repaints (with repaint) the window around the form.
  virtual void UpdateExBorder(bool repaint = true) = 0;
  // The hit code of the point under the mouse over the border window.
  virtual int HitTest() = 0;
  // The border window's rectangle on the screen.
  virtual winshim::Rect WindowRect() const = 0;
};

// The form's skinned system menu: its six answers decide the title buttons.
class TkSystemMenuIntf {
 public:
  virtual ~TkSystemMenuIntf() = default;
  virtual bool VisibleClose() = 0;
  virtual bool VisibleMax() = 0;
  virtual bool VisibleMin() = 0;
  virtual bool EnabledMax() = 0;
  virtual bool EnabledMin() = 0;
  virtual bool EnabledRestore() = 0;
  virtual bool VisibleRestore() = 0;
  virtual bool VisibleSize() = 0;
  virtual bool EnabledMove() = 0;
  virtual bool EnabledSize() = 0;
  // Brings the items in step with the window (rebuilding them first).
  virtual void UpdateItems(bool rebuild = false) = 0;
  // Refreshes the items' images after a skin change.
  virtual void UpdateGlyphs() {}
  // Opens the menu at the screen point (skinned popups); the chosen item
  // reaches the form as WM_SYSCOMMAND.
  virtual void Popup(QPoint screen) = 0;
  // With the provider's skin list: puts the list of skins in the menu again.
  virtual void AddSkinList() {}
};

// The MDI support of an MDI parent: the MDI client's wrapper and the
// frame of a maximized child.
class TkMdiSupportIntf {
 public:
  virtual ~TkMdiSupportIntf() = default;
  virtual void AttachClient() = 0;
  virtual void InvalidateNonClient() = 0;
};

// A title button's fade (12 ms steps); freed to stop it.
class TkButtonFadeIntf {
 public:
  virtual ~TkButtonFadeIntf() = default;
};

struct FormSatelliteMakers {
  std::function<std::unique_ptr<TkFormAdapterIntf>(TkSkinProvider&)> MakeAdapter;
  std::function<std::unique_ptr<TkBorderFormIntf>(TkSkinProvider&)> MakeBorderForm;
  std::function<std::unique_ptr<TkSystemMenuIntf>(TkSkinProvider&)> MakeSystemMenu;
  std::function<std::unique_ptr<TkMdiSupportIntf>(TkSkinProvider&)> MakeMdiSupport;
  // Starts or updates the fade of a button towards the state in that many
  // steps; the fade lives in the record's Timer.
  std::function<void(TitleBtnData& button, int state, int steps, TkSkinProvider& provider,
                     bool fadeIn)>
      AnimateTitleButton;
  // Paints the main menu's top items into the menu line of the frame cache
  // (cache coordinates); the skinned menus install it.
  std::function<void(TkSkinProvider& provider, QImage& cache, const winshim::Rect& line)>
      PaintMenuLineItems;
};

// The process's makers (empty until installed).
FormSatelliteMakers& FormSatellites();

}  // namespace kelmo::skinwnd
