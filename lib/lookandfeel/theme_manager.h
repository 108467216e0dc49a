// One open theme handle per kind of themed object, whether themes can be
// used, and the reaction to the system's theme change (every handle closed,
// the active flag read again, the listeners called). Without a bound
// visual-style engine every answer is "no theme" and every handle 0.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "lookandfeel/ux_theme.h"

namespace kelmo::le {

enum ThemeKind : int {
  tkButton = 0,
  tkClock,
  tkComboBox,
  tkEdit,
  tkExplorerBar,
  tkHeader,
  tkListView,
  tkMenu,
  tkPage,
  tkProgress,
  tkRebar,
  tkScrollBar,
  tkSpin,
  tkStartPanel,
  tkStatus,
  tkTab,
  tkTaskBand,
  tkTaskBar,
  tkToolBar,
  tkToolTip,
  tkTrackBar,
  tkTrayNotify,
  tkTreeView,
  tkWindow,
};
inline constexpr int kThemeKindCount = 24;
// A set of kinds: bit k for kind k.
using ThemeKinds = std::uint32_t;
constexpr ThemeKinds KindBit(ThemeKind k) {
  return ThemeKinds{1} << k;
}

QString DefaultThemeClassList(ThemeKind kind);
bool ThemesActive();

// False unless themes are active and the engine is bound; with an empty set
// then true; otherwise false at the first listed kind without a handle.
bool ThemesAvailableFor(ThemeKinds kinds);
// The cached handle of the kind, opened on first use with the requested
// class list, the cached one or the kind's default (0 when none).
ThemeHandle ThemeHandleOf(ThemeKind kind, const QString* classList = nullptr);
HResult CloseThemeHandle(ThemeKind kind);
void CloseAllThemeHandles();
// The two texts are equal without regard to letter case.
bool SameClassList(const QString& a, const QString& b);
// The class list the kind's handle was opened with (empty for none).
QString CachedThemeClassList(ThemeKind kind);

// Listeners of a theme change, called in order after the handles closed.
using ThemeChangeListener = std::function<void()>;
void AddThemeChangeListener(ThemeChangeListener listener);

// The system's theme changed: every handle closed, the active flag read
// again, the listeners called. The receiver calls it for the application's
// theme and style changes; an exception of a listener is reported and
// swallowed, as the message loop would.
void ThemeChanged();

// Start-up and close-down of the theme manager (after the engine binding).
void StartThemeManager();
void StopThemeManager();
bool ThemeChangeReceiverExists();

}  // namespace kelmo::le
