// The theme handle cache and the theme-change receiver.
#include "lookandfeel/theme_manager.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <array>
#include <cstdio>
#include <exception>
#include <memory>

namespace kelmo::le {
namespace {

constexpr const char* kClassLists[kThemeKindCount] = {
    "Button",   "Clock",      "ComboBox", "Edit",       "ExplorerBar", "Header",
    "ListView", "Menu",       "Page",     "Progress",   "Rebar",       "ScrollBar",
    "Spin",     "StartPanel", "Status",   "Tab",        "TaskBand",    "TaskBar",
    "ToolBar",  "ToolTip",    "TrackBar", "TrayNotify", "TreeView",    "Window"};

struct ThemeData {
  ThemeHandle handle = 0;
  QString classList;
};

// The application's theme and style changes reach the manager through an
// application-wide event filter, the stand-in for the hidden window that
// receives the broadcast.
class ThemeChangedEventReceiver : public QObject {
 public:
  ThemeChangedEventReceiver() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == QCoreApplication::instance() && e->type() == QEvent::ThemeChange) {
      ThemeChanged();
    }
    return false;
  }
};

struct Manager {
  bool active = false;
  std::array<ThemeData, kThemeKindCount> cache;
  std::unique_ptr<ThemeChangedEventReceiver> receiver;
  std::vector<ThemeChangeListener> listeners;
};

Manager& M() {
  static Manager m;
  return m;
}

}  // namespace

QString DefaultThemeClassList(ThemeKind kind) {
  return QString::fromLatin1(kClassLists[kind]);
}

bool ThemesActive() {
  return M().active;
}

bool ThemesAvailableFor(ThemeKinds kinds) {
  if (!M().active || !UxThemeLoaded()) return false;
  for (int k = 0; k < kThemeKindCount; ++k) {
    if ((kinds & (ThemeKinds{1} << k)) && ThemeHandleOf(static_cast<ThemeKind>(k)) == 0) {
      return false;
    }
  }
  return true;
}

bool SameClassList(const QString& a, const QString& b) {
  return a.toUpper() == b.toUpper();
}

ThemeHandle ThemeHandleOf(ThemeKind kind, const QString* classList) {
  if (!ThemesAvailableFor(0)) return 0;
  ThemeData& d = M().cache[kind];
  if (d.handle != 0) {
    if (!classList || SameClassList(d.classList, *classList)) return d.handle;
    CloseThemeHandle(kind);
  }
  QString list =
      classList ? *classList : (d.classList.isEmpty() ? DefaultThemeClassList(kind) : d.classList);
  const ThemeHandle h = UxTheme().OpenThemeData(list);
  if (h != 0) {
    d.handle = h;
    d.classList = list;
  } else {
    d.classList.clear();
  }
  return h;
}

HResult CloseThemeHandle(ThemeKind kind) {
  if (!ThemesAvailableFor(0)) return 1;
  ThemeData& d = M().cache[kind];
  if (d.handle == 0) return 0;
  const HResult r = UxTheme().CloseThemeData(d.handle);
  d.handle = 0;
  d.classList.clear();
  return r;
}

void CloseAllThemeHandles() {
  for (ThemeData& d : M().cache) {
    if (d.handle != 0) {
      if (UxThemeLoaded()) UxTheme().CloseThemeData(d.handle);
      d.handle = 0;
    }
  }
}

QString CachedThemeClassList(ThemeKind kind) {
  return M().cache[kind].classList;
}

void AddThemeChangeListener(ThemeChangeListener listener) {
  M().listeners.push_back(std::move(listener));
}

void ThemeChanged() {
  try {
    CloseAllThemeHandles();
    M().active = UxThemeLoaded() && UxTheme().IsThemeActive();
    for (const ThemeChangeListener& l : M().listeners) {
      if (l) l();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  }
}

void StartThemeManager() {
  for (ThemeData& d : M().cache) d = ThemeData{};
  if (UxThemeLoaded()) {
    M().active = UxTheme().IsThemeActive();
    M().receiver = std::make_unique<ThemeChangedEventReceiver>();
    M().listeners.clear();
  }
}

void StopThemeManager() {
  if (UxThemeLoaded()) {
    M().receiver.reset();
    M().active = false;
    CloseAllThemeHandles();
    M().listeners.clear();
  }
  M().receiver.reset();
  M().active = false;
  for (ThemeData& d : M().cache) d = ThemeData{};
}

bool ThemeChangeReceiverExists() {
  return M().receiver != nullptr;
}

}  // namespace kelmo::le
