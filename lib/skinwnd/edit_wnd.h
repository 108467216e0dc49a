// The wrappers of the edit family: edits, memos, list boxes and tree views
// keep their own client painting; skinned, their border and scroll bars are
// painted from the skin, they take the section's colours, and their border
// turns hot or focused.
//
// TkaBaseWnd keeps the skinned bars in step with the window's own
// scrolling; TkaEditWnd wraps edit-like controls and is the base of the
// list-view, grid, tree, combo and virtual-tree wrappers; TkaComboListWnd
// wraps the drop-down list of a combo box; TkaTreeViewWnd a tree view.
// GUI thread only.
#pragma once

#include <QPalette>

#include "skinwnd/scroll_wnd.h"

namespace kelmo::skinwnd {

class TkaBaseWnd : public TkaScrollWnd {
 public:
  using TkaScrollWnd::TkaScrollWnd;
  void WndProc(Msg& msg, const NextHandler& next) override;
};

class TkaEditWnd : public TkaBaseWnd {
 public:
  using TkaBaseWnd::TkaBaseWnd;
  // Gives the control its own look back while it still can.
  ~TkaEditWnd() override;

  TColor PaintColor = 0;       // the background of a raw window
  TColor SavedFocusColor = 0;  // the control's FocusColor property
  TColor PaintFrameColor = 0;  // the frame of a raw window

  // The control's colour (its base), font colour and focus colour.
  void KeepOwnLook() override;
  void RestoreOwnLook() override;
  // The section's colour (hot while the control is active) and its hot
  // font colour; a raw window's paint colours.
  void ApplySectionLook() override;
  void WndProc(Msg& msg, const NextHandler& next) override;

 protected:
  // The border strips from the link's cache, then the bars, into the DC.
  void PaintFrameInto(winshim::Dc& dc, int border);

 private:
  void HandleSkinned(Msg& msg, const NextHandler& next);
  void After(const Msg& msg);
  QPalette savedPalette_;
  bool ownPalette_ = false;  // the control had a palette of its own
  bool ownOpaque_ = false;   // the control painted its whole face itself
  bool kept_ = false;
};

class TkaComboListWnd : public TkaEditWnd {
 public:
  using TkaEditWnd::TkaEditWnd;
  bool DroppedDown = false;
  bool IsSimpleList = false;  // the list of a simple combo box, always shown

  // The list's border into the link's cache: the paint colour inside a
  // one-pixel frame.
  void UpdateListBorder();
  void WndProc(Msg& msg, const NextHandler& next) override;

 protected:
  bool IsDropDownList() const override { return !OwnerControl() && !IsSimpleList; }
};

class TkaTreeViewWnd : public TkaEditWnd {
 public:
  using TkaEditWnd::TkaEditWnd;
  void RestoreOwnLook() override;
  void ApplySectionLook() override;
  void WndProc(Msg& msg, const NextHandler& next) override;
};

// Messages of list boxes and edits the wrappers follow.
enum : unsigned {
  EM_REPLACESEL = 0x00C2,
  LB_ADDSTRING = 0x0180,
  LB_INSERTSTRING = 0x0181,
  LB_SETCURSEL = 0x0186,
  LB_GETTOPINDEX = 0x018E,
  LB_SETTOPINDEX = 0x0197,
  TVM_SETBKCOLOR = 0x111D,
  // The list of a combo box starts and ends tracking.
  LBCB_STARTTRACK = 0x01AE,
  LBCB_ENDTRACK = 0x01AF,
};

}  // namespace kelmo::skinwnd
