// The wrappers of tool bars (QToolBar): TkaToolBarWnd paints a standard
// dialog's tool bar entirely by itself (frame, buttons in "TOOLBUTTON",
// separators in "DIVIDER", images and captions) and lets each button's
// window show that picture; TkaToolBarVCLWnd paints the program's tool
// bars through the bar's and each button's own painting (the bar's
// background in its section, each button from "TOOLBUTTON" with its border
// mask and the drop-down arrow) and tracks the hot button itself.
#pragma once

#include <QImage>
#include <QPointer>
#include <vector>

#include "skinwnd/main_wnd.h"
#include "winshim/dc.h"

class QToolBar;
class QToolButton;

namespace kelmo::skinwnd {

// One button of a tool bar, in the bar's coordinates.
struct ToolButtonView {
  QWidget* widget = nullptr;
  Rect rect;
  bool separator = false;
  bool enabled = true;
  bool pressed = false;   // down or checked
  bool dropDown = false;  // a menu opened from a part of its own
  bool wholeDropDown = false;
  bool showsText = false;
  QString text;
  QImage image;
  QImage hotImage;  // the icon's own picture for the hot look; null without one
};
std::vector<ToolButtonView> ToolButtonsOf(HWND bar);

class TkaToolBarWnd : public TkaMainWnd {
 public:
  using TkaMainWnd::TkaMainWnd;
  ~TkaToolBarWnd() override;
  void Init(bool repaint) override;
  void WndProc(Msg& msg, const NextHandler& next) override;
  // The cache, then every button into a copy of it.
  const QImage& PaintBarPicture();
  Rect InnerRect;
  int FrameWidth = 0;

 private:
  void PrepareBarCache();
  void PaintBarButton(const ToolButtonView& button, const Rect& r, QImage& target);
  QImage picture_;
  std::vector<std::pair<HWND, int>> shown_;
};

class TkaToolBarVCLWnd : public TkaMainWnd {
 public:
  TkaToolBarVCLWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
                   bool repaint);
  ~TkaToolBarVCLWnd() override;
  void Init(bool repaint) override;
  void WndProc(Msg& msg, const NextHandler& next) override;

  QToolBar* OwnerBar = nullptr;
  QPointer<QToolButton> DroppedButton;
  int HotIndex = -1;

  // The skin's state of a button: 2 pressed, 1 hot, 0 normal.
  int ButtonSkinState(const ToolButtonView& button, int index) const;
  // The hot button under a point of the bar; -1 for none.
  int HotIndexAt(QPoint point) const;
  // The mouse over the bar (or a button of it) at a point of the bar.
  void TrackHot(QPoint point);
  void LeaveHot();

 private:
  void PrepareVclBarCache();
  void DrawBar(winshim::Dc& dc);
  void DrawBarButton(int index, winshim::Dc& dc);
  void RedrawBarButton(int index);
  std::vector<std::pair<HWND, int>> buttons_;
  // The drop-down menus' notices, cut when the wrapper goes.
  std::vector<QMetaObject::Connection> menuNotices_;
};

}  // namespace kelmo::skinwnd
