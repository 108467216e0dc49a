// TkaGridWnd, the wrapper of a grid (a QTableView, or any control that
// publishes the grid colour properties): grids paint their own cells, so
// the wrapper skins their border and sets their colour properties, by
// name, from the skin, and gives the kept colours back when the skin goes.
// TkaGridEhWnd serves the further grid kind the same way.
#pragma once

#include "skinwnd/edit_wnd.h"

namespace kelmo::skinwnd {

class TkaGridWnd : public TkaEditWnd {
 public:
  TkaGridWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
             bool repaint);
  ~TkaGridWnd() override;

  TColor SavedFixedColor = 0, SavedFooterColor = 0, SavedFooterCellColor = 0,
         SavedTitleFontColor = 0, SavedTitleColor = 0, SavedIndicatorIconColor = 0,
         SavedSelectionColor = 0, SavedSelectionTextColor = 0, SavedGridLineColor = 0,
         SavedGridFixedLineColor = 0, SavedFixedGradientFrom = 0, SavedFixedGradientTo = 0;

  void KeepOwnLook() override;
  void RestoreOwnLook() override;
  void ApplySectionLook() override;
  void WndProc(Msg& msg, const NextHandler& next) override;

 protected:
  // The control whose properties the wrapper reads and writes: the link's
  // owner, else the window's own widget.
  QObject* Control() const;
};

class TkaGridEhWnd : public TkaGridWnd {
 public:
  using TkaGridWnd::TkaGridWnd;
  void WndProc(Msg& msg, const NextHandler& next) override { TkaGridWnd::WndProc(msg, next); }
};

}  // namespace kelmo::skinwnd
