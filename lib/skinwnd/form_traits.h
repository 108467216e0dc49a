// What a form is to its skinned frame, read from the Qt widget: its border
// style, its border icons, its window state and its part in MDI; and a
// component's Tag and class name. A form is
// a top-level widget, or a QMdiSubWindow for an MDI child; an MDI parent is
// a form whose client is a QMdiArea.
#pragma once

#include <QString>
#include <Qt>
#include <cstdint>

class QMdiArea;
class QObject;
class QWidget;

namespace kelmo::skinwnd {

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : std::uint8_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = std::uint8_t;
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

// Frameless: none; a tool window: tool window when its size is fixed,
// else sizeable tool window; a dialog of fixed size: dialog; any other
// window of fixed size: single; the rest sizeable. An MDI child is
// sizeable unless its size is fixed.
TFormBorderStyle BorderStyleOf(const QWidget* form);
// A form's own window flags: those it had before a form provider made it
// a frameless window to draw its frame (kept while the provider has it).
Qt::WindowFlags OwnWindowFlags(const QWidget* form);
void KeepOwnWindowFlags(QWidget* form, bool keep);
// The buttons the form's window hints ask for (all of them for a window
// that customizes none).
TBorderIcons BorderIconsOf(const QWidget* form);
TWindowState WindowStateOf(const QWidget* form);
bool IsMdiChild(const QWidget* form);
// The MDI client of an MDI parent form (its central widget, or a direct
// child area); nullptr for any other form.
QMdiArea* MdiClientOf(const QWidget* form);

// A component's Tag: its "Tag" property, 0 without. Tag -98 marks what the
// skinning library leaves alone.
inline constexpr int kTagNeverSkin = -98;
int TagOf(const QObject* component);
void SetTag(QObject* component, int tag);
// A component's class name as the class lists name it: the framework class
// role the program gave the widget, else its Qt class.
QString ComponentClassName(const QObject* component);

}  // namespace kelmo::skinwnd
