// SetWindowTheme: the platform's visual style of one window switched off
// (both names a single blank) or back to the default (both absent). Qt
// widgets keep their style either way; the layer records the state per
// window so that the skinning code's switching can be seen and tested.
#pragma once

#include <QString>
#include <optional>

#include "winshim/window.h"

namespace kelmo::winshim {

// False for no window.
bool SetWindowTheme(HWND hwnd, const std::optional<QString>& subAppName,
                    const std::optional<QString>& subIdList);
// Whether the window's visual style was switched off by SetWindowTheme.
bool WindowThemeOff(HWND hwnd);
// How many times SetWindowTheme reached the window.
int SetWindowThemeCalls(HWND hwnd);

}  // namespace kelmo::winshim
