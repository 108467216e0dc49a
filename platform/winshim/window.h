// Windows as the skinning code knows them, over Qt widgets: handles, class
// names, style words, properties, and the handler chain that messages
// travel down.
//
// A handle (HWND) names a widget through a QPointer: once the widget is
// destroyed its handle stops being a window, and handles are never reused.
// Each window has an ordered chain of handlers; SendMessage runs the top
// handler, a handler passes a message on by calling `next`, and the bottom
// of the chain is the widget's own Qt behaviour: a message that reaches it
// is "unanswered". Wrapping a widget (Subclass or WrapWindow) installs one
// event filter that turns its Qt events into the messages of messages.h; a
// Qt event whose messages the chain answers is consumed.
//
// GUI thread only. Every call is O(1) in the number of windows but for
// the child walks, which are linear in the children.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "winshim/messages.h"

class QMouseEvent;
class QObject;
class QWidget;

namespace kelmo::winshim {

using HWND = std::uintptr_t;  // 0: no window

// Gives the widget its handle (made on first use); 0 for no widget.
HWND HandleOf(QWidget* widget);
// The widget's handle when it has one already; 0 otherwise (none is made).
HWND FindHandle(QWidget* widget);
// The widget of a handle, or nullptr once it is destroyed (or never was).
QWidget* WidgetOf(HWND hwnd);
bool IsWindow(HWND hwnd);
HWND GetParent(HWND hwnd);
// The child windows in the widget tree's order (top of the z-order first).
std::vector<HWND> GetChildren(HWND hwnd);

// Class names: the platform's ("Edit", "Button", "#32770", ...) from one
// table of Qt widget types, or an explicit role the program gives a widget
// (a framework class name such as "TEdit" or "TkGauge"); "" for none.
QString GetClassName(HWND hwnd);
void SetClassRole(QWidget* widget, const QString& className);
// The role the program gave the widget; "" for none.
QString ClassRoleOf(const QObject* widget);

// Style words. The style is derived from the widget each time it is read;
// SetWindowLong records which bits differ from that, so the bits a caller
// set or cleared stay so while the rest follows the widget. The low bits of
// a button's or a static's style are its type field (BS_/SS_ kinds).
enum : int { GWL_EXSTYLE = -20, GWL_STYLE = -16 };
enum : std::uint32_t {
  WS_POPUP = 0x80000000u,
  WS_CHILD = 0x40000000u,
  WS_MINIMIZE = 0x20000000u,
  WS_VISIBLE = 0x10000000u,
  WS_DISABLED = 0x08000000u,
  WS_MAXIMIZE = 0x01000000u,
  WS_CAPTION = 0x00C00000u,
  WS_BORDER = 0x00800000u,
  WS_DLGFRAME = 0x00400000u,
  WS_VSCROLL = 0x00200000u,
  WS_HSCROLL = 0x00100000u,
  WS_SYSMENU = 0x00080000u,
  WS_THICKFRAME = 0x00040000u,
  WS_MINIMIZEBOX = 0x00020000u,
  WS_MAXIMIZEBOX = 0x00010000u,
  WS_EX_TOPMOST = 0x00000008u,
  WS_EX_TOOLWINDOW = 0x00000080u,
  WS_EX_CLIENTEDGE = 0x00000200u,
  WS_EX_LEFTSCROLLBAR = 0x00004000u,
  WS_EX_LAYERED = 0x00080000u,
};
std::uint32_t GetWindowLong(HWND hwnd, int index);
// Returns the previous value; 0 for no window.
std::uint32_t SetWindowLong(HWND hwnd, int index, std::uint32_t value);
// The bits of the mask follow the widget again (their overrides go).
void ResetStyleBits(HWND hwnd, int index, std::uint32_t mask);

// Properties: a side table per window, freed with it.
bool SetProp(HWND hwnd, const QString& name, std::intptr_t value);
std::intptr_t GetProp(HWND hwnd, const QString& name);
std::intptr_t RemoveProp(HWND hwnd, const QString& name);

// A handler of the chain: answers by setting msg.result (and not calling
// next), or passes the message on with next(msg), before or after its own
// work.
using NextHandler = std::function<void(Msg&)>;
using WindowHandler = std::function<void(HWND, Msg&, const NextHandler& next)>;

// Pushes a handler on top of the window's chain and wraps the widget;
// returns an id for RemoveHandler, 0 for no window.
int Subclass(HWND hwnd, WindowHandler handler);
// Takes a handler out of the chain wherever it stands.
bool RemoveHandler(HWND hwnd, int id);
// Installs the event translation on the widget without a handler.
void WrapWindow(HWND hwnd);

// Runs the message down the chain synchronously; msg.result is the answer
// (0 when nothing answered or there is no window).
LRESULT SendMessage(HWND hwnd, unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);
// The same with the whole record; true when a handler answered (the
// message did not reach the bottom of the chain).
bool DispatchMessage(HWND hwnd, Msg& msg);
// Queues the message as a Qt event; it is sent when the event loop delivers
// it, if the window still exists. False for no window.
bool PostMessage(HWND hwnd, unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);

// The client mouse message of a Qt mouse event (WM_MOUSEMOVE, WM_LBUTTONDOWN, ...).
unsigned MouseMessageOf(const QMouseEvent& event);

}  // namespace kelmo::winshim
