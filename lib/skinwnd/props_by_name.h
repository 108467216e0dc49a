// Reaching a control's published properties by name, as the wrappers of
// controls they do not link against do: colour properties (a QColor or an
// integer TColor) and object properties (a QObject* such as a font or a
// look object), each only when the object declares it.
#pragma once

#include <QObject>

#include "winshim/win_types.h"
#include "winshim/window.h"

class QWidget;

namespace kelmo::skinwnd {

// The object whose properties a wrapper reaches: the control of ours the
// window belongs to, else the window's own widget.
QObject* PropertyHolder(QWidget* ownerControl, winshim::HWND wnd);

bool HasPropNamed(const QObject* obj, const char* name);
// The object property's value; nullptr without the object or property.
QObject* ObjectPropOf(const QObject* obj, const char* name);
// The colour as stored (a QColor as RGB, an integer as it is); 0 without it.
winshim::TColor RawColorPropOf(const QObject* obj, const char* name);
// Writes a colour (RGB or system colour) into the property when it exists.
void SetColorPropIfAny(QObject* obj, const char* name, winshim::TColor color);

}  // namespace kelmo::skinwnd
