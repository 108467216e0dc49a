// What the skinning code does with controls and windows as such: carry a
// message to every child, ask who is hot again, find a control's or a
// window's background colour, and play the form-show animation that fades
// a form in over what the screen showed.
#pragma once

#include <QImage>
#include <QWidget>

#include "skin/skin_data.h"
#include "winshim/window.h"

namespace kelmo::skin {

// The message to the container's children: a child answering command 7
// with 1 (skinned) gets it; the children of any other are reached by
// recursion, the child itself not. Returns nullptr (a child freed while
// the walk runs is passed over).
QWidget* BroadcastToControls(QWidget* container, winshim::Msg msg);
// The message to every direct child window (not grandchildren).
void BroadcastToChildWindows(winshim::HWND window, winshim::Msg msg);
// Command 6 to every shown child; nothing while FormAnimating.
void RecheckHotChildren(QWidget* container);
// $FF00FF for no window; else its answer to command 21.
TColor GetWndBgColor(winshim::HWND window);
// False for nullptr or a control without a parent.
bool ControlIsReady(const QWidget* control);
// The window a control lies on (the control itself for a window).
QWidget* OwnerFormOf(QWidget* control);
// Command 25 with the control to its form.
void NotifyParentForm(QWidget* control);
// The top-most ancestor window.
winshim::HWND TopParentWnd(winshim::HWND window);

// Shows the form by fading it in over the screen's picture of its place:
// time / 8 mixed frames 8 ms apart on the window layer's clock (none below
// 8), then the form's own picture. Every way out clears FormAnimating,
// switches the form's drawing back on and redraws it. Returns the number
// of mixed frames shown. `screen` replaces the screen's picture (tests).
int AnimShowForm(QWidget* form, int time, const QImage* screen = nullptr);

}  // namespace kelmo::skin
