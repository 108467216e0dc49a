// Window messages as the skinning code sends and handles them: a message is
// {msg, wParam, lParam, result}; the numbers are the platform's own (WM_),
// the framework's control messages (CM_, from 0xB000) and the hit codes of
// WM_NCHITTEST.
#pragma once

#include <cstdint>

namespace kelmo::winshim {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct Msg {
  unsigned msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
};

inline constexpr LPARAM MakeLParam(int low, int high) {
  return LPARAM(std::uint32_t(std::uint16_t(low)) | std::uint32_t(std::uint16_t(high)) << 16);
}
inline constexpr WPARAM MakeWParam(int low, int high) {
  return WPARAM(MakeLParam(low, high)) & 0xFFFFFFFFu;
}
inline constexpr int LoWord(std::uintptr_t v) {
  return int(v & 0xFFFF);
}
inline constexpr int HiWord(std::uintptr_t v) {
  return int((v >> 16) & 0xFFFF);
}
// Signed coordinates packed in an lParam.
inline constexpr int XOf(LPARAM l) {
  return std::int16_t(l & 0xFFFF);
}
inline constexpr int YOf(LPARAM l) {
  return std::int16_t((l >> 16) & 0xFFFF);
}

enum : unsigned {
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_ENABLE = 0x000A,
  WM_SETREDRAW = 0x000B,
  WM_SETTEXT = 0x000C,
  WM_GETTEXT = 0x000D,
  WM_PAINT = 0x000F,
  WM_ERASEBKGND = 0x0014,
  WM_SHOWWINDOW = 0x0018,
  WM_WINDOWPOSCHANGED = 0x0047,
  WM_NCDESTROY = 0x0082,
  WM_NCCALCSIZE = 0x0083,
  WM_NCHITTEST = 0x0084,
  WM_NCPAINT = 0x0085,
  WM_NCACTIVATE = 0x0086,
  WM_NCMOUSEMOVE = 0x00A0,
  WM_NCLBUTTONDOWN = 0x00A1,
  WM_NCLBUTTONUP = 0x00A2,
  WM_NCLBUTTONDBLCLK = 0x00A3,
  WM_NCRBUTTONDOWN = 0x00A4,
  WM_NCRBUTTONUP = 0x00A5,
  WM_NCRBUTTONDBLCLK = 0x00A6,
  WM_NCMBUTTONDOWN = 0x00A7,
  WM_NCMBUTTONUP = 0x00A8,
  WM_NCMBUTTONDBLCLK = 0x00A9,
  WM_TIMER = 0x0113,
  WM_UPDATEUISTATE = 0x0128,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_RBUTTONDBLCLK = 0x0206,
  WM_MBUTTONDOWN = 0x0207,
  WM_MBUTTONUP = 0x0208,
  WM_MBUTTONDBLCLK = 0x0209,
  WM_PARENTNOTIFY = 0x0210,
  WM_MOUSELEAVE = 0x02A3,
  WM_PRINT = 0x0317,
  WM_THEMECHANGED = 0x031A,
  WM_USER = 0x0400,
  // The framework's control messages.
  CM_BASE = 0xB000,
  CM_ENABLEDCHANGED = CM_BASE + 12,
  CM_COLORCHANGED = CM_BASE + 13,
  CM_FONTCHANGED = CM_BASE + 14,
  CM_TEXTCHANGED = CM_BASE + 18,
  CM_MOUSEENTER = CM_BASE + 19,
  CM_MOUSELEAVE = CM_BASE + 20,
};

// The messages of the non-client area, the keyboard and the wheel, the
// MDI client and printing, and the framework's few more.
enum : unsigned {
  WM_SETCURSOR = 0x0020,
  WM_STYLECHANGED = 0x007D,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_SYSCOMMAND = 0x0112,
  WM_MOUSEWHEEL = 0x020A,
  WM_MDITILE = 0x0226,
  WM_MDICASCADE = 0x0227,
  WM_MDIGETACTIVE = 0x0229,
  WM_MDISETMENU = 0x0230,
  WM_MDIREFRESHMENU = 0x0234,
  WM_PRINTCLIENT = 0x0318,
  CM_FOCUSCHANGED = CM_BASE + 7,
  CM_UIACTIVATE = CM_BASE + 41,
  CM_MOUSEWHEEL = CM_BASE + 67,
  CN_KEYDOWN = 0xBD00,
  CN_KEYUP = 0xBD01,
};
// The scroll bars' hit codes.
enum : int { HTHSCROLL = 6, HTVSCROLL = 7 };

// Answers of WM_NCHITTEST.
enum : int {
  HTNOWHERE = 0,
  HTCLIENT = 1,
  HTCAPTION = 2,
  HTSYSMENU = 3,
  HTMENU = 5,
  HTMINBUTTON = 8,
  HTMAXBUTTON = 9,
  HTLEFT = 10,
  HTRIGHT = 11,
  HTTOP = 12,
  HTTOPLEFT = 13,
  HTTOPRIGHT = 14,
  HTBOTTOM = 15,
  HTBOTTOMLEFT = 16,
  HTBOTTOMRIGHT = 17,
  HTBORDER = 18,
  HTCLOSE = 20,
  HTHELP = 21,
};

// WM_SIZE's wParam and WM_ACTIVATE's.
enum : int { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
enum : int { WA_INACTIVE = 0, WA_ACTIVE = 1 };

}  // namespace kelmo::winshim
