// Hooks as application-wide event filters: WH_CBT hears top-level windows
// and popup menus made (at their first polish or show), activated and
// destroyed; WH_CALLWNDPROC every message sent down a handler chain;
// WH_GETMESSAGE every posted message as it is delivered; WH_MOUSE the mouse
// events of every widget, which a non-zero answer swallows. The newest hook
// of a kind is called first; CallNextHookEx calls the one installed before
// it. CBT answers are not used (nothing here can refuse a window).
#pragma once

#include <QPoint>
#include <functional>

#include "winshim/window.h"

namespace kelmo::winshim {

enum : int { WH_GETMESSAGE = 3, WH_CALLWNDPROC = 4, WH_CBT = 5, WH_MOUSE = 7 };
enum : int { HC_ACTION = 0, HCBT_CREATEWND = 3, HCBT_DESTROYWND = 4, HCBT_ACTIVATE = 5 };

using HHOOK = int;  // 0: none
using HookProc = std::function<LRESULT(int code, WPARAM wParam, LPARAM lParam)>;

// WH_CALLWNDPROC's lParam.
struct CwpStruct {
  LPARAM lParam;
  WPARAM wParam;
  unsigned message;
  HWND hwnd;
};
// WH_GETMESSAGE's lParam; a hook may change the message before delivery.
struct MsgStruct {
  HWND hwnd;
  unsigned message;
  WPARAM wParam;
  LPARAM lParam;
};
// WH_MOUSE's lParam (wParam: the client mouse message).
struct MouseHookStruct {
  QPoint pt;  // screen coordinates
  HWND hwnd;
  int hitTestCode;
};

HHOOK SetWindowsHookEx(int kind, HookProc proc);
bool UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// Called by the window layer.
void RunCallWndProcHooks(HWND hwnd, const Msg& msg);
void RunGetMessageHooks(HWND hwnd, Msg& msg);

}  // namespace kelmo::winshim
