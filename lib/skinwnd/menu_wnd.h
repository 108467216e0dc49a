// TkaMnuWnd, the wrapper of a popup-menu window (a QMenu, "#32768") while a
// skinned menu is shown: it paints the window's frame and background from
// the skin, tells the menu painter whether the window's region is set, and
// when its window goes it leaves the list of open popup-menu wrappers,
// redraws the menus still open and, after the last, ends the skinned-menu
// state.
#pragma once

#include <memory>
#include <vector>

#include "skinwnd/scroll_wnd.h"

namespace kelmo::winshim {
class Dc;
}

namespace kelmo::skinwnd {

class TkaMnuWnd;

// The popup-menu wrappers of the open menus and whether a skinned menu is
// drawing (once per process). A wrapper lives with its window: its slot
// owns it until the window goes, then it is freed once its last message
// has returned.
struct MenuWrapperUnit {
  std::vector<std::unique_ptr<TkaMnuWnd>> TkaMnuArray;
  bool MenuSkinActive = false;
};
MenuWrapperUnit& MenuUnit();
// Wraps a popup-menu window and keeps the wrapper in the array.
TkaMnuWnd* AddMenuWrapper(HWND wnd, TkSkinManager* manager,
                          const QString& sectionName = QStringLiteral("MENU"));
// Frees the wrappers whose windows went (they are freed after their last
// message otherwise).
void FreeLeftMenuWrappers();

class TkaMnuWnd : public TkaScrollWnd {
 public:
  TkaMnuWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
            bool repaint);
  ~TkaMnuWnd() override;

  // The menu painter has set the window's region since the last erase.
  bool RegionSet = false;

  void WndProc(Msg& msg, const NextHandler& next) override;
  // Paints the section into the link's cache when it is stale.
  void PrepareCache();

 private:
  void WindowGoing(Msg& msg, const NextHandler& next);
};

}  // namespace kelmo::skinwnd
