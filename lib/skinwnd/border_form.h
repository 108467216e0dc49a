// TkaBorderForm, the extended-border window of a skinned form or standard
// dialog: a larger, per-pixel-alpha, never-activated window directly
// behind its owner that shows the owner's 32-bit frame picture (frame,
// caption, title buttons and a soft shadow). Mouse input over the
// transparent shadow falls through to the window below (in that window's
// own coordinates); presses on the extended caption and borders become the
// owner's non-client messages. Every question about geometry and buttons
// is answered by the owner (border_owner.h). GUI thread only.
#pragma once

#include <QImage>
#include <QRegion>
#include <memory>

#include "skin/skin_link.h"
#include "skinwnd/border_owner.h"
#include "winshim/layered_window.h"
#include "winshim/win_types.h"
#include "winshim/window.h"

namespace kelmo::skinwnd {

class TkaBorderForm {
 public:
  // Makes the (hidden) window; the owner then sets SkinData, marks its
  // link stale, makes its cache 32-bit and calls UpdateExBorder(true, 255).
  explicit TkaBorderForm(TkaBorderOwner& owner);
  // Stops the owner's button fades and frees the window.
  ~TkaBorderForm();
  TkaBorderForm(const TkaBorderForm&) = delete;
  TkaBorderForm& operator=(const TkaBorderForm&) = delete;

  TkaBorderOwner& FOwner;
  skin::TkCommonData* SkinData = nullptr;
  bool PassingMouse = false;
  std::unique_ptr<winshim::LayeredWindow> AForm;
  bool Updating = false;
  const QImage* FrameImage = nullptr;  // the manager's border picture (not owned)

  winshim::HWND OwnerHandle() const;
  winshim::HWND Handle() const;
  // Places the window around the owner and, when asked or resized,
  // gives it the owner's picture.
  void UpdateExBorder(bool repaint, int alpha);
  // The hit code of the screen point in msg.lParam (a WM_NCHITTEST-shaped
  // message); -1 for none.
  int HitTest(const winshim::Msg& msg);
  void WndProc(winshim::Msg& msg, const winshim::NextHandler& next);
  // WM_SETCURSOR: the cursor of the code under the cursor; false when none
  // was set.
  bool SetCursorShape(winshim::Msg& msg);
  // The point of a mouse message lies in the shadow, outside the owner's
  // picture; clears the owner's hot button then.
  bool PointOutsideForm(const winshim::Msg& msg);
  void StopButtonAnimations();
  void SetHotButton(int code);
  // The window's region: an empty region for none (the whole window).
  QRegion CreateFormRegion() const;

  // The geometry's values.
  winshim::Rect ShadowMargins() const;
  int ExtTitleHeight() const;
  int ExtBorderWidth() const;
  // The owner window's system frame metric (SM_CXFRAME with a sizing
  // frame, SM_CXDLGFRAME with a border, else 0).
  int PlainFrameWidth() const;
  int ExtTitleExtra() const;
  int ExtBorderExtra() const;
  // The window's place from the owner's rectangle: the left and top offsets.
  QPoint Offsets() const;

  // Mouse messages passed to a window below: how many (tests).
  int PassedMessages = 0;

 private:
  // The point of a message relative to the window.
  QPoint LocalPoint(const winshim::Msg& msg) const;
  bool OwnerMaximized() const;
  bool OwnerMinimized() const;
  void PassMouseBelow(winshim::Msg& msg);
  void DoubleClick(winshim::Msg& msg);
  int handlerId_ = 0;
  winshim::HWND handle_ = 0;
};

// The frame width of a window: with useExt and a border window the skin's
// extended border width when not 0; else the system metric of its style.
int FrameBorderWidth(winshim::HWND wnd, const TkaBorderForm* borderForm, bool useExt);

// Starts (on) or ends the owner's extended-border window kept in slot. A
// new window shows the owner's link: the link is marked stale, its cache
// goes to 32 bits and, with place, the window is placed and painted at
// once. Ending it gives the cache back its 24 bits.
void SetBorderWindow(std::unique_ptr<TkaBorderForm>& slot, TkaBorderOwner& owner,
                     skin::TkCommonData* link, bool on, bool place);

// A 32-bit frame picture: opaque inside the frame rectangle, clear outside
// (the shadow is laid over it afterwards).
void MakeOpaqueInside(QImage& picture, const winshim::Rect& frame);

}  // namespace kelmo::skinwnd
