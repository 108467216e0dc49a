// A visual-style engine for tests: it opens the classes it is told to know,
// records what is opened, closed and drawn, and answers a chosen theme name.
// Binding it goes through the ordinary start-up path (the loader).
#pragma once

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "lookandfeel/theme_manager.h"
#include "lookandfeel/ux_theme.h"

namespace kelmo::le::test {

struct FakeThemeLog {
  QStringList known = {"BUTTON",   "CLOCK",      "COMBOBOX", "EDIT",       "EXPLORERBAR",
                       "HEADER",   "LISTVIEW",   "MENU",     "PAGE",       "PROGRESS",
                       "REBAR",    "SCROLLBAR",  "SPIN",     "STARTPANEL", "STATUS",
                       "TAB",      "TASKBAND",   "TASKBAR",  "TOOLBAR",    "TOOLTIP",
                       "TRACKBAR", "TRAYNOTIFY", "TREEVIEW", "WINDOW"};
  bool active = true;
  QString fileName = "C:\\WINDOWS\\Resources\\Themes\\Luna\\Luna.msstyles";
  QString colorName = "NormalColor";
  QStringList opened;
  int closed = 0;
  // "CLASS part state" of every background drawn.
  std::vector<std::string> drawn;
  // A colour the engine draws every background in.
  winshim::ColorRef paint = 0x00FF00;
};

inline FakeThemeLog& ThemeLog() {
  static FakeThemeLog log;
  return log;
}

class FakeTheme : public UxThemeApi {
 public:
  ThemeHandle OpenThemeData(const QString& classList) override {
    ThemeLog().opened << classList;
    const QString c = classList.toUpper();
    if (!ThemeLog().known.contains(c)) return 0;
    classes_.push_back(c);
    return classes_.size() + 100;
  }
  HResult CloseThemeData(ThemeHandle) override {
    ++ThemeLog().closed;
    return S_OK;
  }
  HResult DrawThemeBackground(ThemeHandle t, winshim::Dc& dc, int part, int state,
                              const winshim::Rect& r, const winshim::Rect*) override {
    ThemeLog().drawn.push_back(Cls(t) + " " + std::to_string(part) + " " + std::to_string(state));
    winshim::FillSolidRect(dc, r, ThemeLog().paint);
    return S_OK;
  }
  HResult DrawThemeText(ThemeHandle t, winshim::Dc&, int part, int state, const QString& text, int,
                        unsigned flags, unsigned, const winshim::Rect&) override {
    ThemeLog().drawn.push_back(Cls(t) + " text " + std::to_string(part) + " " +
                               std::to_string(state) + " " + text.toStdString() + " " +
                               std::to_string(flags));
    return S_OK;
  }
  HResult GetThemeBackgroundContentRect(ThemeHandle, winshim::Dc*, int, int, const winshim::Rect& b,
                                        winshim::Rect& c) override {
    c = {b.left + 3, b.top + 2, b.right - 4, b.bottom - 5};
    return S_OK;
  }
  HResult GetThemePartSize(ThemeHandle, winshim::Dc*, int, int, const winshim::Rect*, ThemeSize,
                           QSize& size) override {
    size = {13, 14};
    return S_OK;
  }
  HResult GetThemeBackgroundRegion(ThemeHandle, winshim::Dc*, int, int, const winshim::Rect& r,
                                   QRegion& region) override {
    region = QRegion(r.ToQRect());
    return S_OK;
  }
  HResult DrawThemeEdge(ThemeHandle t, winshim::Dc&, int part, int state, const winshim::Rect&,
                        unsigned edge, unsigned flags, winshim::Rect*) override {
    ThemeLog().drawn.push_back(Cls(t) + " edge " + std::to_string(part) + " " +
                               std::to_string(state) + " " + std::to_string(edge) + " " +
                               std::to_string(flags));
    return S_OK;
  }
  bool IsThemeBackgroundPartiallyTransparent(ThemeHandle, int, int) override { return false; }
  HResult GetThemeColor(ThemeHandle, int, int, int property, winshim::ColorRef& c) override {
    c = 0x000100 * (property % 256);
    return S_OK;
  }
  bool IsThemeActive() override { return ThemeLog().active; }
  HResult GetCurrentThemeName(QString& f, QString& c, QString& s) override {
    f = ThemeLog().fileName;
    c = ThemeLog().colorName;
    s = "NormalSize";
    return S_OK;
  }

 private:
  std::string Cls(ThemeHandle t) const {
    return t > 100 && t - 100 <= classes_.size() ? classes_[t - 101].toStdString() : "?";
  }
  std::vector<QString> classes_;
};

// Binds the fake engine (or none) through start-up, and unbinds at the end.
class ThemeBinding {
 public:
  explicit ThemeBinding(bool withEngine) {
    ThemeLog() = FakeThemeLog{};
    SetUxThemeLoader(
        withEngine ? +[]() -> std::unique_ptr<UxThemeApi> { return std::make_unique<FakeTheme>(); }
                   : nullptr);
    LoadUxTheme();
    StartThemeManager();
  }
  ~ThemeBinding() {
    StopThemeManager();
    FreeUxTheme();
    SetUxThemeLoader(nullptr);
  }
};

}  // namespace kelmo::le::test
