// The window messages a form provider handles beyond those of the window
// layer: the platform's numbers for sizing, menus and icons, and the
// framework's notices to a form.
#pragma once

#include "skinwnd/control_messages.h"
#include "winshim/messages.h"

namespace kelmo::skinwnd {

enum : unsigned {
  WM_GETMINMAXINFO = 0x0024,
  WM_SETICON = 0x0080,
  WM_INITMENUPOPUP = 0x0117,
  WM_ENTERIDLE = 0x0121,
  WM_SIZING = 0x0214,
  WM_EXITSIZEMOVE = 0x0232,
  WM_SYSMENUKEY = 0x0313,
  // The framework's notices and requests to a form.
  CM_FORMVISIBLECHANGED = 0xB00B,
  CM_FORMMENUCHANGED = 0xB015,
  CM_FORMSHOWINGCHANGED = 0xB019,
  CM_FORMCONTROLCHANGE = 0xB02C,
  CM_FORMRECREATEWND = 0xB033,
  CM_FORMINVALIDATE = 0xB034,
  CM_FORMCONTROLLISTCHANGING = 0xB04C,
  // The own-region query: a party that owns the window region answers 0x41A2.
  CM_OWNREGIONQUERY = 0xBC4D,
};

}  // namespace kelmo::skinwnd
