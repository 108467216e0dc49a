// What the control wrappers ask of the windows they paint: the documented
// control messages (button state, static images, fonts) and the window's
// style, visibility and cursor. A control message goes down the window's
// chain first; when nothing on the chain answers it, the Qt widget behind
// the window answers the way the platform's control would.
//
// Also the steps every control wrapper shares: where a paint message's
// device context is, copying a cache to it, and the disabled fade.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <cstdint>
#include <functional>

#include "skin/paint_primitives.h"
#include "winshim/dc.h"
#include "winshim/system_profile.h"
#include "winshim/window.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;

// Control messages the wrappers send.
enum : unsigned {
  WM_GETFONT = 0x0031,
  BM_GETCHECK = 0x00F0,
  BM_SETCHECK = 0x00F1,
  BM_GETSTATE = 0x00F2,
  BM_SETSTATE = 0x00F3,
  BM_GETIMAGE = 0x00F6,
  STM_GETICON = 0x0171,
  STM_GETIMAGE = 0x0173,
  WM_KEYDOWN = 0x0100,
  VK_SPACE = 0x20,
};
// BM_GETSTATE's bits.
enum : unsigned { BST_CHECKED = 1, BST_INDETERMINATE = 2, BST_PUSHED = 4, BST_FOCUS = 8 };
// Style bits the wrappers read.
enum : std::uint32_t {
  WS_TABSTOP = 0x00010000u,
  WS_EX_RIGHT = 0x00001000u,
  WS_EX_STATICEDGE = 0x00020000u,
  BS_LEFTTEXT = 0x20u,
  BS_MULTILINE = 0x2000u,
};
// The type fields of buttons and statics.
enum : std::uint32_t { BS_TYPEMASK = 0xFu, SS_TYPEMASK = 0x1Fu };
enum : std::uint32_t {
  BS_PUSHBUTTON = 0,
  BS_DEFPUSHBUTTON = 1,
  BS_CHECKBOX = 2,
  BS_AUTOCHECKBOX = 3,
  BS_RADIOBUTTON = 4,
  BS_3STATE = 5,
  BS_AUTO3STATE = 6,
  BS_GROUPBOX = 7,
  BS_AUTORADIOBUTTON = 9,
};
enum : std::uint32_t {
  SS_LEFT = 0,
  SS_CENTER = 1,
  SS_RIGHT = 2,
  SS_ICON = 3,
  SS_LEFTNOWORDWRAP = 0xC,
  SS_BITMAP = 0xE,
};

std::uint32_t StyleOf(ws::HWND wnd);
std::uint32_t ExStyleOf(ws::HWND wnd);
bool WndVisible(ws::HWND wnd);
bool WndEnabled(ws::HWND wnd);

// BM_GETSTATE: the chain's answer, else the Qt button's down, focus and
// check state.
unsigned ButtonStateOf(ws::HWND wnd);
// WM_GETFONT: the font a handler gives (a QFont*), else the widget's.
QFont FontOf(ws::HWND wnd);
// STM_GETICON / STM_GETIMAGE: the picture a handler gives (a QImage*),
// else the label's picture; a null image for none.
QImage StaticImageOf(ws::HWND wnd, bool icon);

// The cursor in screen coordinates and whether it lies in the rect.
QPoint CursorPos();
bool CursorIn(const ws::Rect& screenRect);

// The device context a paint or erase message carries; nullptr for none.
inline ws::Dc* DcOf(const ws::Msg& msg) {
  return reinterpret_cast<ws::Dc*>(msg.wParam);
}
// The link's cache made 24-bit and of the size (at least 1 x 1) when it is
// not already.
void SizeLinkCache(QImage& cache, QSize size);
// Copies the cache's part to the DC at the same place; without a DC the
// window is asked to paint itself again (Qt paints only inside its paint
// events).
void BlitCache(ws::Dc* dc, ws::HWND wnd, const QImage& cache, const ws::Rect& part);
inline void BlitWhole(ws::Dc* dc, ws::HWND wnd, const QImage& cache) {
  BlitCache(dc, wnd, cache, {0, 0, cache.width(), cache.height()});
}
// The four border strips of width b copied from the cache to the DC.
void BlitFrame(ws::Dc* dc, ws::HWND wnd, const QImage& cache, int b);
// A disabled control fades into its parent: 40 percent of the control
// over 60 percent of the background; key-coloured pixels stay over a
// plain colour. The source is placed at the control (a link's parent
// background).
void FadeDisabled(QImage& cache, const skin::TBgSource& bg);
// WM_SETREDRAW off, the call, on again.
template <typename F>
void WithoutRedraw(ws::HWND wnd, F&& f) {
  ws::SendMessage(wnd, ws::WM_SETREDRAW, 0);
  f();
  ws::SendMessage(wnd, ws::WM_SETREDRAW, 1);
}
// Shows a region of a picture in a child window: the child's erase and
// paint copy the picture at the child's place in `relativeTo`. The
// provider gives the picture (nullptr: the child paints itself). Returns
// the handler's id.
int ShowPictureIn(ws::HWND child, QWidget* relativeTo, std::function<const QImage*()> provider);

// Asks the window to paint itself anew.
void Invalidate(ws::HWND wnd);

}  // namespace kelmo::skinwnd
