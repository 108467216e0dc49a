// The non-client area of wrapped widgets: its size, its painting, window
// rectangles, the mouse capture and the cursor position.
//
// A window's non-client space is the margin between its rectangle and its
// client rectangle. WM_NCCALCSIZE asks the handler chain for the client
// rectangle (the bottom of the chain answers the widget's own frame) and
// the answer is kept as the window's margins. The handlers paint the margin
// through GetWindowDC: a DC over the window's frame picture, which the
// widget shows over its own painting outside the client rectangle.
//
// A scroll area whose chain paints its scroll bars in the margin
// (SetOwnScrollBars) keeps Qt's bars as the data and the layout: they take
// the thickness the chain asks for, paint nothing and let the mouse through
// to the area, so the area's margin holds the chain's bars where Qt's were,
// and the style still tells which bars the widget shows.
//
// GUI thread only.
#pragma once

#include <QMargins>
#include <QPoint>
#include <memory>

#include "winshim/win_types.h"
#include "winshim/window.h"

namespace kelmo::winshim {

class Dc;

// WM_NCCALCSIZE's lParam: rgrc[0] holds the proposed window rectangle (in
// the parent's client coordinates, or the screen's for a top-level) and
// comes back as the client rectangle in the same coordinates.
struct NCCALCSIZE_PARAMS {
  Rect rgrc[3];
};

// WM_STYLECHANGED's lParam.
struct STYLESTRUCT {
  std::uint32_t styleOld = 0;
  std::uint32_t styleNew = 0;
};

enum : unsigned {
  SWP_NOSIZE = 0x0001,
  SWP_NOMOVE = 0x0002,
  SWP_NOZORDER = 0x0004,
  SWP_NOACTIVATE = 0x0010,
  SWP_FRAMECHANGED = 0x0020,
  SWP_NOCOPYBITS = 0x0100,
  SWP_NOOWNERZORDER = 0x0200,
  SWP_NOSENDCHANGING = 0x0400,
};

// Moves or sizes the window (unless SWP_NOMOVE / SWP_NOSIZE); with
// SWP_FRAMECHANGED its non-client space is calculated again
// (WM_NCCALCSIZE) and painted. False for no window.
bool SetWindowPos(HWND hwnd, int x, int y, int cx, int cy, unsigned flags);
// Sends WM_NCCALCSIZE for the window's present rectangle and applies the
// answer: the margins, then a repaint.
void RecalcNonClient(HWND hwnd);
// The margins between the window's rectangle and its client rectangle (the
// widget's own frame until the chain answered otherwise).
QMargins NonClientMargins(HWND hwnd);
// The widget's own frame: a frame's width, a framed line edit's panel.
QMargins OwnFrameMargins(HWND hwnd);

// A DC over the whole window, origin at its top-left; what is drawn there
// shows in the non-client space. ReleaseDC (or the DC's end) asks the
// widget to repaint. nullptr for no window.
std::unique_ptr<Dc> GetWindowDC(HWND hwnd);
void ReleaseDC(HWND hwnd, std::unique_ptr<Dc> dc);
// Forgets the window's frame picture and margins and gives Qt its scroll
// bars back: the widget shows its own look again.
void ResetNonClient(HWND hwnd);
// The chain paints the scroll bars in the margin, Qt's taking the given
// thicknesses (below 0: their own); their showing and hiding recalculate
// the frame and their moves repaint it. Off: Qt's bars are Qt's again.
void SetOwnScrollBars(HWND hwnd, bool own, int horzThickness = -1, int vertThickness = -1);
bool OwnsScrollBars(HWND hwnd);

// The window's rectangle in screen coordinates; the client rectangle
// (origin 0, 0); conversions between screen and client coordinates.
Rect GetWindowRect(HWND hwnd);
Rect GetClientRect(HWND hwnd);
QPoint ScreenToClient(HWND hwnd, QPoint p);
QPoint ClientToScreen(HWND hwnd, QPoint p);

// The mouse capture: while a window holds it, the mouse events of its
// widget arrive as client messages whatever the hit code.
HWND SetCapture(HWND hwnd);
bool ReleaseCapture();
HWND GetCapture();

// The cursor's screen position: the last mouse event's or the last set.
QPoint GetCursorPos();
void SetCursorPos(QPoint p);

// What the event translation asks of the non-client layer (window.cpp).
namespace detail {
// Sends WM_NCPAINT, then paints the window's frame picture over the
// non-client space of the painter's device (nothing without a picture).
void PaintFrame(HWND hwnd, class QPainter& painter);
void Forget(HWND hwnd);
// The widget's own answer at the bottom of the chain.
void DefaultCalcSize(HWND hwnd, Msg& msg);
// The screen position of the last mouse event; the platform's cursor
// position when the mouse leaves a wrapped widget.
void NoteCursor(QPoint screen);
void NoteCursorNow();
// The bottom of the chain for WM_MDITILE and WM_MDICASCADE: an MDI area
// tiles or cascades its windows.
void DefaultArrange(HWND hwnd, const Msg& msg);
// The bottom of the chain for WM_NCLBUTTONDOWN: the caption's code moves a
// window, a border's code sizes it through the window system.
void DefaultNcButtonDown(HWND hwnd, const Msg& msg);
}  // namespace detail

}  // namespace kelmo::winshim
