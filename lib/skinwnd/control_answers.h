// The common controls' own answers to their documented messages, over the
// Qt widgets that stand for them: a list view (QTableView, QTreeView), its
// header (QHeaderView) and a combo box (QComboBox). The wrappers ask these
// controls what a list view, header or combo box would tell them, and set
// their colours, only through these messages.
//
// The answering handler is the control's own procedure: it goes on the
// window's chain before any wrapper. It also gives the window the style
// bits the widget has at that time (combo-box kind, header drag and drop,
// right-to-left reading), and lets a combo box's list ask its combo box for
// its colours (WM_CTLCOLORLISTBOX) each time it is shown.
#pragma once

#include "winshim/window.h"

namespace kelmo::skinwnd {

// Installs the answering handler once per window; nothing for a widget of
// another family.
void AnswerControlMessages(winshim::HWND wnd);
// The window that paints a header and takes its mouse: a Qt header draws
// on its viewport. 0 for no header.
winshim::HWND HeaderPaintWindow(winshim::HWND header);

}  // namespace kelmo::skinwnd
