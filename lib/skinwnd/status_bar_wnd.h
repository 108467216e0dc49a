// The wrappers of a status bar and a size grip: TkaStatusBarWnd paints a
// status bar (a QStatusBar) from its section, each panel with the
// section's "STATUSPANELMASK" or with dividers between panels, and the
// text of a simple bar; TkaSizerWnd paints a size grip with the skin's
// GRIPIMAGE and makes the whole grip answer as the bottom-right corner.
//
// A status bar's panels are the widgets it holds (each paints its own
// content over its panel); in simple mode (a message shown) the bar has
// one panel with the message.
#pragma once

#include <QString>

#include "skinwnd/main_wnd.h"
#include "winshim/dc.h"

class QStatusBar;

namespace kelmo::skinwnd {

struct StatusBarView {
  int panelCount = 0;
  bool simple = false;
  QString text;  // the window text: a simple bar's message
  Rect PanelRect(int index) const;
  std::vector<Rect> panels;
};
StatusBarView StatusBarViewOf(HWND wnd);

class TkaStatusBarWnd : public TkaMainWnd {
 public:
  TkaStatusBarWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
                  bool repaint);
  void WndProc(Msg& msg, const NextHandler& next) override;
  void PrepareStatusCache();
  QStatusBar* OwnerStatusBar = nullptr;

 private:
  void PaintStatusPanel(const StatusBarView& view, int index, Rect r);
  void PaintStatusWhole(winshim::Dc* dc);
};

class TkaSizerWnd : public TkaMainWnd {
 public:
  using TkaMainWnd::TkaMainWnd;
  void WndProc(Msg& msg, const NextHandler& next) override;

 private:
  void PaintSizeGrip(winshim::Dc* dc);
};

}  // namespace kelmo::skinwnd
