// One skinned scroll bar of a wrapped window (TkaScrollBar): its scroll
// data and size settings, the length of its arrows and its thickness, the
// size and place of its thumb, which part lies under a point, and its
// painting from the skin's scroll sections (SCROLLBAR1H/2H/1V/2V for the
// track halves, SCROLLBTNLEFT/RIGHT/TOP/BOTTOM for the arrows,
// SCROLLSLIDERH/V for the thumb).
//
// Parts (also the scroll codes sent for them): 0 the first arrow, 1 the
// second, 2 the track before the thumb, 3 the track after it, 5 the thumb,
// -1 none. States of a painted part: 0 normal, 1 hot, 2 pressed.
//
// The scroll-tracking state is one for the whole program: only one bar is
// pressed or hovered at a time. GUI thread only.
#pragma once

#include <QImage>
#include <cstdint>

#include "winshim/scroll_info.h"
#include "winshim/win_types.h"
#include "winshim/window.h"

namespace kelmo::winshim {
class Dc;
}

namespace kelmo::skin {
class TkSkinManager;
}

namespace kelmo::skinwnd {

class TkaScrollWnd;

// The bar parts.
enum ScrollBarPart : int {
  sbpNone = -1,
  sbpFirstArrow = 0,
  sbpSecondArrow = 1,
  sbpTrackBefore = 2,
  sbpTrackAfter = 3,
  sbpThumb = 5
};

class TkaScrollBar {
 public:
  std::uint16_t StyleFlags = 0;  // 8 when the window's style asks for the bar
  bool Shown = false;            // laid out in the non-client space
  winshim::SCROLLINFO Info;
  int ArrowLenSetting = -1;   // pixels, or -n: n times the default length
  int ThicknessSetting = -1;  // pixels, or -n: n times the system metric
  int Kind = 0;               // 0 horizontal, 1 vertical
  int MinThumb = 10;
  TkaScrollWnd* Owner = nullptr;

  // Reads the window's scroll data for this bar again.
  void ReadInfo();
};

inline constexpr int MinThumbSize = 10;

// The default arrow length: the system's horizontal scroll arrow width.
int ScrollBarSize();
// a * b / c rounded, as the platform's MulDiv (-1 for c of 0).
int MulDiv(int a, int b, int c);

// Size 1: the thickness; size 0: the arrow length (skinned: the skin may
// make it longer).
int ScrollBarPartSize(const TkaScrollBar& bar, int part, bool skinned);
// The minimum thumb of the horizontal (which 0), vertical (1) or both (3)
// bars of the window's wrapper; false without one.
bool SetMinThumbSize(winshim::HWND wnd, int which, int size);
// The bar of that kind of the window's wrapper, or nullptr.
TkaScrollBar* ScrollBarOfWnd(winshim::HWND wnd, int kind);
// The thumb's length and start along the bar's rectangle.
void ThumbGeometry(const TkaScrollBar& bar, const winshim::Rect& r, int& size, int& start);
// The part at the screen point of the bar's screen rectangle.
int HitTestBar(const TkaScrollBar& bar, winshim::HWND wnd, const winshim::Rect& r, int x, int y);
// The platform reports the bar available.
bool IsBarActive(const TkaScrollBar& bar);
// Paints the bar into the DC at r (window coordinates); thumbStart -1 for
// the computed place; pressed the part drawn pressed. True when painted.
bool PaintBar(TkaScrollBar& bar, winshim::HWND wnd, winshim::Dc& dc, int thumbStart, int pressed,
              const winshim::Rect& r);

// The part painters: one item into the bitmap at the rect in a state.
void PaintArrowLeft(QImage& bitmap, const winshim::Rect& r, int state, skin::TkSkinManager* m);
void PaintArrowRight(QImage& bitmap, const winshim::Rect& r, int state, skin::TkSkinManager* m);
void PaintArrowTop(QImage& bitmap, const winshim::Rect& r, int state, skin::TkSkinManager* m);
void PaintArrowBottom(QImage& bitmap, const winshim::Rect& r, int state, skin::TkSkinManager* m);
void PaintSliderH(QImage& bitmap, const winshim::Rect& r, int state, skin::TkSkinManager* m);
void PaintSliderV(QImage& bitmap, const winshim::Rect& r, int state, skin::TkSkinManager* m);
// The glyph mask's state image centred in the rect, over the bitmap itself.
void PaintGlyphCentered(QImage& bitmap, int glyphMask, int state, const winshim::Rect& r,
                        skin::TkSkinManager* m);

// How a bar is painted, along the bar from its start: the track halves
// meet at split, the arrows are arrow1Len and arrow2Len long, the thumb
// lies over [thumbStart, thumbStart + thumbSize); the states of each part,
// thumb -1 leaving the thumb out.
struct BarLook {
  int split = 0, arrow1Len = 0, arrow2Len = 0, thumbStart = 0, thumbSize = 0;
  int track1 = 0, track2 = 0, arrow1 = 0, arrow2 = 0, thumb = -1;
};
// The bar's picture for r (window coordinates), each track half over the
// window's background at its place.
QImage BarCanvas(TkaScrollBar& bar, winshim::HWND wnd, const winshim::Rect& r, const BarLook& look);

// The scroll-tracking state of the program.
struct ScrollTracking {
  winshim::HWND TrackWnd = 0;  // the window whose bar was last pressed or entered
  int TrackBar = -1;           // kind of the pressed bar
  int PressedPart = -1;
  int PartUnderMouse = -1;  // the pressed part while the mouse is over it
  unsigned ScrollMsg = 0;   // WM_HSCROLL or WM_VSCROLL of the pressed bar
  std::uintptr_t RepeatTimerId = 0;
  std::uintptr_t HoverTimerId = 0;
  int HoverBar = -1;
  int HoverPart = -1;
  int LastHoverPart = -1;
  winshim::Rect HoverBarRect;
  int ThumbSize = 0;
  int ThumbStart = 0;
  winshim::Rect ThumbTrackRect;
  int GrabOffset = 0;
  int LastTrackPos = -1;
};
ScrollTracking& Tracking();

}  // namespace kelmo::skinwnd
