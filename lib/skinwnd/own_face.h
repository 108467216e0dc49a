// The face a widget paints of itself, drawn at once into a DC: what a
// wrapper gets on Windows by calling the window's own WM_PAINT before it
// paints its parts over it. Qt paints a widget only inside a paint event,
// so the widget is rendered into an image while its own paint messages go
// past its wrappers to the widget.
#pragma once

#include "winshim/window.h"

namespace kelmo::winshim {
class Dc;
}

namespace kelmo::skinwnd {

// Renders the widget (and its children) into the DC at (0, 0).
void PaintOwnFace(winshim::HWND wnd, winshim::Dc& dc);
// True while the window's own face is being rendered: its wrappers pass
// the paint messages on untouched.
bool PaintingOwnFace(winshim::HWND wnd);
// The erase or paint message of the window's own face being rendered.
bool IsOwnFacePaint(winshim::HWND wnd, const winshim::Msg& msg);

}  // namespace kelmo::skinwnd
