// TkaListViewWnd, the wrapper of a list view (a QTableView or QTreeView)
// and of the column header inside it: the list gets its section's colours,
// a dragged thumb scrolls it by whole items, and in report view the header
// is painted from the skin's COLHEADER section (BUTTON without one) with a
// hot and a pressed column and the scroll buttons' arrows as sort marks.
#pragma once

#include "skinwnd/edit_wnd.h"

namespace kelmo::winshim {
class Dc;
}

namespace kelmo::skinwnd {

class TkaListViewWnd : public TkaEditWnd {
 public:
  TkaListViewWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
                 bool repaint);
  ~TkaListViewWnd() override;
  void Init(bool repaint) override;

  HWND HeaderWnd = 0;  // the hooked header, 0 when none
  int PressedColumn = -1;
  int HotColumn = -1;

  void KeepOwnLook() override;
  void RestoreOwnLook() override;
  void ApplySectionLook() override;
  void WndProc(Msg& msg, const NextHandler& next) override;

  // 0 icon, 1 small icon, 2 list, 3 report.
  int ListViewStyle() const;
  // The header's message handler (on the window a Qt header paints on).
  void HeaderWndProc(Msg& msg, const NextHandler& next);
  // Paints the whole header into the DC; without one, asks the header to
  // repaint.
  void PaintListHeader(winshim::Dc* dc);
  void PaintListHeaderItem(const Rect& r, int index, winshim::Dc& dc);
  bool HeaderItemRect(int position, Rect& r) const;
  // The position under the screen point, or -2.
  int HeaderItemAt(QPoint screen) const;

 private:
  void HookHeader(HWND header);
  void UnhookHeader();
  void ThumbTrack(Msg& msg, bool vertical);

  HWND headerPaintWnd_ = 0;
  int headerHandler_ = 0;
};

}  // namespace kelmo::skinwnd
