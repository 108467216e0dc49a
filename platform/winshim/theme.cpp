#include "winshim/theme.h"

namespace kelmo::winshim {

namespace {

// The state lives in the window's side table, so it goes with the window.
const QString kOffProp = QStringLiteral("winshim.ThemeOff");
const QString kCallsProp = QStringLiteral("winshim.ThemeCalls");

}  // namespace

bool SetWindowTheme(HWND hwnd, const std::optional<QString>& subAppName,
                    const std::optional<QString>& subIdList) {
  if (!IsWindow(hwnd)) return false;
  const bool off = subAppName == QStringLiteral(" ") && subIdList == QStringLiteral(" ");
  SetProp(hwnd, kOffProp, off ? 1 : 0);
  SetProp(hwnd, kCallsProp, GetProp(hwnd, kCallsProp) + 1);
  return true;
}

bool WindowThemeOff(HWND hwnd) {
  return GetProp(hwnd, kOffProp) != 0;
}

int SetWindowThemeCalls(HWND hwnd) {
  return int(GetProp(hwnd, kCallsProp));
}

}  // namespace kelmo::winshim
