// The wrappers of tab controls and their pages: TkaTabControlWnd paints a
// whole tab control (a QTabBar) from the skin: the strip of tabs over the
// parent's background, the page frame in a section chosen by the tab
// position, the inactive tabs row by row and the selected tab on top.
// TkaPageControlWnd does the same for a page control (a QTabWidget), whose
// tab strip is a window of its own that shows the page control's picture,
// and wraps each page with a TkaPageWnd, which paints the page with its
// parent's background.
#pragma once

#include <QImage>
#include <memory>
#include <vector>

#include "skinwnd/main_wnd.h"
#include "winshim/dc.h"

class QTabBar;

namespace kelmo::skinwnd {

// What the wrappers read of a tab control, in the window's coordinates.
struct TabControlView {
  QTabBar* bar = nullptr;
  QWidget* window = nullptr;
  int count = 0;
  int selected = -1;
  int position = 0;  // 0 top, 1 bottom, 2 left, 3 right
  int rows = 1;
  Rect ItemRect(int index) const;
  // The display area of the window (the pages' place).
  Rect DisplayRect() const;
};
TabControlView TabControlViewOf(HWND wnd);

class TkaTabControlWnd : public TkaMainWnd {
 public:
  using TkaMainWnd::TkaMainWnd;
  void WndProc(Msg& msg, const NextHandler& next) override;
  virtual Rect PageRect();
  virtual Rect PageFrameRect();
  Rect TabsArea();
  // The window on the tabs' side of the page's edge, or on the page's side.
  Rect SplitAtPageEdge(bool tabsSide);
  Rect TabRect(int index, bool active);
  int TabRow(int index);
  // The page section by the tab position (the link's own when it is not
  // "PAGECONTROL"); "CHECKBOX" without tabs.
  QString PaintedSection();
  // The whole control: the cache, then the selected tab over it.
  void PaintTabControl(winshim::Dc* dc);
  // The cache with the selected tab, as the window shows it.
  const QImage& Shown() const { return shown_; }

 protected:
  void PaintTabItem(int index, int state, QPoint offset, QImage& target);
  void PaintTabsArea(const skin::TBgSource& bg);
  QImage shown_;
};

class TkaPageWnd;

class TkaPageControlWnd : public TkaTabControlWnd {
 public:
  TkaPageControlWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                    const QString& sectionName, bool repaint);
  ~TkaPageControlWnd() override;
  void Init(bool repaint) override;
  void WndProc(Msg& msg, const NextHandler& next) override;
  // Wraps the pages not yet skinned.
  void WrapPages();
  std::vector<std::unique_ptr<TkaPageWnd>> PageWrappers;

 private:
  // The tab strip's window shows the page control's picture.
  void HookStrip();
  HWND strip_ = 0;
  int stripHandler_ = 0;
};

class TkaPageWnd : public TkaMainWnd {
 public:
  using TkaMainWnd::TkaMainWnd;
  void WndProc(Msg& msg, const NextHandler& next) override;
  void PaintPageBg(winshim::Dc* dc);
  // The page control the page belongs to.
  HWND PageControl = 0;
};

}  // namespace kelmo::skinwnd
