// Binding of the visual-style engine.
#include "lookandfeel/ux_theme.h"

#include <stdexcept>

namespace kelmo::le {
namespace {

struct Binding {
  OsVersion version;
  bool xpOrLater = false;
  UxThemeLoader loader = nullptr;
  std::unique_ptr<UxThemeApi> engine;
};

Binding& State() {
  static Binding b;
  return b;
}

}  // namespace

void SetOsVersion(OsVersion v) {
  State().version = v;
}
OsVersion CurrentOsVersion() {
  return State().version;
}
bool DetectXPOrLater() {
  const OsVersion v = State().version;
  State().xpOrLater = v.major > 5 || (v.major == 5 && v.minor >= 1);
  return State().xpOrLater;
}
bool IsXPOrLater() {
  return State().xpOrLater;
}
void SetUxThemeLoader(UxThemeLoader loader) {
  State().loader = loader;
}

void LoadUxTheme() {
  if (DetectXPOrLater() && State().loader) State().engine = State().loader();
}
void FreeUxTheme() {
  State().engine.reset();
}
bool UxThemeLoaded() {
  return State().engine != nullptr;
}
UxThemeApi& UxTheme() {
  if (!State().engine) throw std::logic_error("the visual-style engine is not bound");
  return *State().engine;
}

}  // namespace kelmo::le
