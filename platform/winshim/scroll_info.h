// The scroll bars of a window as the platform reports them: the scroll
// data of a scroll area's horizontal and vertical QScrollBar, their state,
// and the widget's own handling of WM_HSCROLL and WM_VSCROLL.
//
// Qt holds a bar's range as minimum .. maximum positions and a page step;
// the platform's as nMin .. nMax with a page nPage, the last position being
// nMax - nPage + 1. GUI thread only.
#pragma once

#include <cstdint>

#include "winshim/window.h"

namespace kelmo::winshim {

enum : int { SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3 };
enum : int {
  SB_LINEUP = 0,
  SB_LINELEFT = 0,
  SB_LINEDOWN = 1,
  SB_LINERIGHT = 1,
  SB_PAGEUP = 2,
  SB_PAGELEFT = 2,
  SB_PAGEDOWN = 3,
  SB_PAGERIGHT = 3,
  SB_THUMBPOSITION = 4,
  SB_THUMBTRACK = 5,
  SB_TOP = 6,
  SB_BOTTOM = 7,
  SB_ENDSCROLL = 8,
};
enum : unsigned {
  SIF_RANGE = 0x1,
  SIF_PAGE = 0x2,
  SIF_POS = 0x4,
  SIF_DISABLENOSCROLL = 0x8,
  SIF_TRACKPOS = 0x10,
  SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS,
};
enum : unsigned { WM_HSCROLL = 0x0114, WM_VSCROLL = 0x0115 };

struct SCROLLINFO {
  unsigned cbSize = 28;
  unsigned fMask = SIF_ALL;
  int nMin = 0;
  int nMax = 0;
  unsigned nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};

// False for a window without that bar (not a scroll area).
bool GetScrollInfo(HWND hwnd, int bar, SCROLLINFO& info);
// Sets the fields of fMask; returns the new position (0 without the bar).
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO& info, bool redraw);

// GetScrollBarInfo's objects and the state bit it reports.
enum : std::int32_t {
  OBJID_HSCROLL = -6,
  OBJID_VSCROLL = -5,
  OBJID_CLIENT = -4,
};
inline constexpr std::uint32_t STATE_SYSTEM_UNAVAILABLE = 0x1;
struct SCROLLBARINFO {
  std::uint32_t rgstate[6] = {};
};
// False for a window without that bar; a disabled bar is unavailable.
bool GetScrollBarInfo(HWND hwnd, std::int32_t object, SCROLLBARINFO& info);

namespace detail {
// The bottom of the chain for WM_HSCROLL and WM_VSCROLL: the bar moves as
// the platform's own scroll bar would move it.
void DefaultScroll(HWND hwnd, const Msg& msg);
}  // namespace detail

}  // namespace kelmo::winshim
