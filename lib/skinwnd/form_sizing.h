// Rubber-band moving and sizing: with the border resize mode a skinned
// form is moved or sized by dragging an outline on the screen, and takes
// its new place and size once, when the mouse is released. One drag runs
// at a time in the process.
#pragma once

#include <QPoint>
#include <QRect>

#include "skinwnd/form_provider.h"
#include "winshim/messages.h"

namespace kelmo::skinwnd {

// The drag's state, shared by all providers.
struct RubberBandState {
  bool Active = false;            // an outline is shown
  bool FirstMovePending = false;  // the grab point waits for the first move
  bool Moving = false;            // moving, else sizing
  int SizingEdge = 0;             // the border code dragged (0: keyboard sizing)
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int GrabX = 0, GrabY = 0;
  int MinWidth = 0, MinHeight = 0;
};
RubberBandState& RubberBand();
// The outline as it is shown now (screen coordinates; empty when none).
QRect RubberBandOutline();

// A border code of the hit test is kept as the edge to size.
void NoteSizingEdge(TkSkinProvider& p, int code);
// Begins a drag from a button press at the screen point with the hit code.
void BeginRubberBand(TkSkinProvider& p, int code, QPoint screen);
// A move or size command captures the mouse for the drag.
void PrepareRubberBand(TkSkinProvider& p, unsigned command);
void StartRubberBand(TkSkinProvider& p, QPoint screen);
void DrawRubberBand(TkSkinProvider& p, QPoint at);
// The mouse moved (a client message of the form, after it was passed on).
void TrackRubberBand(TkSkinProvider& p, const winshim::Msg& msg);
void StopRubberBand(TkSkinProvider& p);

}  // namespace kelmo::skinwnd
