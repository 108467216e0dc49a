// A window's own system menu, the system commands and the window under a
// screen point.
//
// A top-level widget that Qt gives a system menu (Qt::WindowSystemMenuHint,
// which plain windows have) owns one: the standard restore, move, size,
// minimize, maximize and close items, plus the items the program appended.
// WM_SYSCOMMAND that reaches the bottom of a window's chain does what the
// platform would: minimizes, maximizes, restores or closes the widget, or
// lets the window system move or size it.
// GUI thread only.
#pragma once

#include <QPoint>
#include <QString>
#include <vector>

#include "winshim/window.h"

namespace kelmo::winshim {

enum : unsigned {
  SC_SIZE = 0xF000,
  SC_MOVE = 0xF010,
  SC_MINIMIZE = 0xF020,
  SC_MAXIMIZE = 0xF030,
  SC_CLOSE = 0xF060,
  SC_KEYMENU = 0xF100,
  SC_RESTORE = 0xF120,
  SC_CONTEXTHELP = 0xF180,
};

struct SysMenuItem {
  unsigned id = 0;  // 0: a separator
  QString text;     // the caption, a TAB before the shortcut's text
};

// The window's system menu, in order; false (and no items) for a window
// without one.
bool GetSystemMenu(HWND hwnd, std::vector<SysMenuItem>& items);
// Appends an item to the window's system menu (id 0 and no text: a
// separator); false for a window without one.
bool AppendSystemMenuItem(HWND hwnd, unsigned id, const QString& text);
// The caption of a command's item (at most 255 characters), "" when the
// menu lacks it.
QString GetMenuString(HWND hwnd, unsigned id);

// The deepest visible window under the screen point that takes mouse
// input and whose region holds the point; 0 for none.
HWND WindowFromPoint(QPoint screen);

namespace detail {
// The bottom of the chain for WM_SYSCOMMAND.
void DefaultSysCommand(HWND hwnd, const Msg& msg);
}  // namespace detail

}  // namespace kelmo::winshim
