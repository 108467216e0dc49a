// The measures a form provider paints, hit-tests and clips by: frame
// widths with and without the extended-border window, the caption height,
// the menu-line rows, the client offset, the window region cut along the
// skin's transparent border pixels, the non-client hit test and the
// maximized size.
//
// Two coordinate spaces: window coordinates (origin at the window's
// top-left) and cache coordinates (origin at the top-left of the frame
// cache, which with a border window also holds the shadow margins).
#pragma once

#include <QPoint>
#include <QRegion>

#include "skinwnd/form_provider.h"
#include "winshim/win_types.h"

namespace kelmo::skinwnd {

// The skin's GLOBALINFO frame values (with their defaults when no skin).
int SkinTitleHeight(const TkSkinProvider& p);     // TITLEHEIGHT
int SkinMaxTitleHeight(const TkSkinProvider& p);  // MAXHEIGHT (0: TITLEHEIGHT)
int SkinBorderWidth(const TkSkinProvider& p);     // BORDERWIDTH
int SkinCenterOffset(const TkSkinProvider& p);    // CENTEROFFSET
int SkinBorderMode(const TkSkinProvider& p);      // BORDERMODE
int SkinButtonsLeft(const TkSkinProvider& p);     // BILEFT

// The frame's width: the extended one with ext and a border window, else
// the platform's sizing or dialog frame by the style.
int FrameBorderWidth(const TkSkinProvider& p, bool ext);
// 0 with a border window, else FrameBorderWidth.
int PlainFrameWidth(const TkSkinProvider& p, bool ext);
int ExtTitleHeight(const TkSkinProvider& p);
int ExtBorderWidth(const TkSkinProvider& p);
int ExtTitleExtra(const TkSkinProvider& p);
int ExtBorderExtra(const TkSkinProvider& p);
// The manager's extended-border content margins with a border window.
winshim::Rect ShadowMargins(const TkSkinProvider& p);
int CaptionHeightOf(const TkSkinProvider& p, bool ext);
bool HasFrame(const TkSkinProvider& p);
bool HasNormalCaption(const TkSkinProvider& p);
bool IsSizeableWnd(const TkSkinProvider& p);
int SysFrameWidth(const TkSkinProvider& p, bool ext);
int FullFrameWidth(const TkSkinProvider& p, bool ext);
int CacheWidth(const TkSkinProvider& p);
// The cache's height (the form's, plus the extended parts with a border window).
int CacheHeight(const TkSkinProvider& p);
int MenuLineHeight(const TkSkinProvider& p);
bool MenuLineVisible(const TkSkinProvider& p);
// The menu line's rows (cached in MenuRows until it is set to -1).
int MenuLineRows(TkSkinProvider& p);
int FrameLeftWidth(TkSkinProvider& p);
int FrameTopHeight(TkSkinProvider& p);
int TopStripHeight(TkSkinProvider& p);
bool CacheSizeWrong(const TkSkinProvider& p);
// The screen position of the window's top-left.
QPoint WindowOrigin(const TkSkinProvider& p);
QPoint ScreenToWindowPt(const TkSkinProvider& p, QPoint screen);
bool IconVisible(const TkSkinProvider& p);
int IconWidth(const TkSkinProvider& p);
int IconHeight(const TkSkinProvider& p);
winshim::Rect IconRect(const TkSkinProvider& p);
bool GripVisible(const TkSkinProvider& p);
QPoint GripPos(const TkSkinProvider& p, int maskIndex);
bool MaskIsSingleImage(int maskIndex, const skin::TkSkinManager* manager);

// The margins between the form's window rectangle and its client area
// while the provider draws its frame.
winshim::Rect NonClientInsets(TkSkinProvider& p);

// Fills RgnAreas from the border masks' transparent pixels.
void BuildRegionAreas(TkSkinProvider& p);
QRegion CaptionRegion(TkSkinProvider& p, int x, int y);
void UpdateRegion(TkSkinProvider& p, bool repaint);

// The hit code of a screen point.
int HitTest(TkSkinProvider& p, QPoint screen);
// 1-based index of the caption button under a window point (0 none).
int ButtonIndexAt(TkSkinProvider& p, QPoint windowPt);

// WM_GETMINMAXINFO's lParam.
struct MINMAXINFO {
  QPoint ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};
void GetMinMaxInfo(TkSkinProvider& p, MINMAXINFO& info);
// The work area of the screen the form lies on (tests may replace it).
winshim::Rect FormWorkArea(const TkSkinProvider& p);

}  // namespace kelmo::skinwnd
