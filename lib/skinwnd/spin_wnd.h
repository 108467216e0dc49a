// The wrapper of an up-down control (the program's up-down button): its
// two buttons painted from the skin with the scroll-button arrows, the
// button under the cursor hot and, while the left button is down over it,
// pressed.
#pragma once

#include <QImage>

#include "skinwnd/main_wnd.h"

namespace kelmo::skinwnd {

enum : std::uint32_t { UDS_HORZ = 0x40 };

class TkaSpinWnd : public TkaMainWnd {
 public:
  using TkaMainWnd::TkaMainWnd;
  void Init(bool repaint) override;
  void WndProc(Msg& msg, const NextHandler& next) override;
  // True without UDS_HORZ.
  virtual bool IsVertical();
  // The two button rects: upper (left) and lower (right); one row or
  // column is shared at an odd size.
  std::pair<Rect, Rect> ButtonRects();
  void PrepareSpinCache();

  int LeftIndent = 0;  // columns at the left the wrapper leaves unpainted
  bool MousePressed = false;
  int FirstBtnState = 0;
  int SecondBtnState = 0;

 private:
  void PaintSpin(Msg& msg);
  // The window's own picture, for the columns left of the indent: taken
  // outside painting (Qt renders no widget inside its own paint), when the
  // wrapper attaches and when the window changes size.
  void TakeOwnPicture();
  QImage ownPicture_;
  bool renderingOwn_ = false;
};

}  // namespace kelmo::skinwnd
