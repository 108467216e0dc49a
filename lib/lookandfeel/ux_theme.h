// The visual-style engine as the library binds it: an interface with the
// calls the painters use, bound at start-up when the system offers one. The
// program's own platform has no visual-style engine, so by default nothing
// is bound and every drawing takes the non-themed road; a QStyle-backed
// engine (qstyle_theme.h) or a test's fake can be bound instead.
//
// The call wrappers pass their arguments on unchanged; callers obtain a
// handle through ThemeHandleOf (theme_manager.h) first and take their
// non-themed road when it is 0.
#pragma once

#include <QRegion>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

#include "winshim/dc.h"
#include "winshim/win_types.h"

namespace kelmo::le {

using ThemeHandle = std::uintptr_t;
using HResult = std::int32_t;
inline constexpr HResult S_OK = 0;
inline constexpr HResult E_FAIL = static_cast<HResult>(0x80004005u);

// The part sizes a theme answers.
enum ThemeSize : int { TS_MIN = 0, TS_TRUE = 1, TS_DRAW = 2 };

class UxThemeApi {
 public:
  virtual ~UxThemeApi() = default;
  // Opens the first class of the list ("Button", "Header;ListView") the
  // theme defines; 0 when none.
  virtual ThemeHandle OpenThemeData(const QString& classList) = 0;
  virtual HResult CloseThemeData(ThemeHandle theme) = 0;
  virtual HResult DrawThemeBackground(ThemeHandle theme, winshim::Dc& dc, int part, int state,
                                      const winshim::Rect& r, const winshim::Rect* clip) = 0;
  virtual HResult DrawThemeText(ThemeHandle theme, winshim::Dc& dc, int part, int state,
                                const QString& text, int count, unsigned flags, unsigned flags2,
                                const winshim::Rect& r) = 0;
  virtual HResult GetThemeBackgroundContentRect(ThemeHandle theme, winshim::Dc* dc, int part,
                                                int state, const winshim::Rect& bounding,
                                                winshim::Rect& content) = 0;
  virtual HResult GetThemePartSize(ThemeHandle theme, winshim::Dc* dc, int part, int state,
                                   const winshim::Rect* r, ThemeSize kind, QSize& size) = 0;
  virtual HResult GetThemeBackgroundRegion(ThemeHandle theme, winshim::Dc* dc, int part, int state,
                                           const winshim::Rect& r, QRegion& region) = 0;
  virtual HResult DrawThemeEdge(ThemeHandle theme, winshim::Dc& dc, int part, int state,
                                const winshim::Rect& r, unsigned edge, unsigned flags,
                                winshim::Rect* content) = 0;
  virtual bool IsThemeBackgroundPartiallyTransparent(ThemeHandle theme, int part, int state) = 0;
  virtual HResult GetThemeColor(ThemeHandle theme, int part, int state, int property,
                                winshim::ColorRef& color) = 0;
  virtual bool IsThemeActive() = 0;
  virtual HResult GetCurrentThemeName(QString& fileName, QString& colorName, QString& sizeName) = 0;
};

// The system's version as the start-up reads it; tests may pin it.
struct OsVersion {
  int major = 6;
  int minor = 1;
};
void SetOsVersion(OsVersion v);
OsVersion CurrentOsVersion();
// Keeps and answers whether the version is 5.1 or later.
bool DetectXPOrLater();
bool IsXPOrLater();

// Where the start-up finds the engine: a factory that answers the engine,
// or nothing when the system has none (the default).
using UxThemeLoader = std::unique_ptr<UxThemeApi> (*)();
void SetUxThemeLoader(UxThemeLoader loader);

// Start-up: the version test; on 5.1 or later the loader runs and a
// returned engine is bound. Close-down unbinds it.
void LoadUxTheme();
void FreeUxTheme();
bool UxThemeLoaded();
// The bound engine (only while loaded).
UxThemeApi& UxTheme();

}  // namespace kelmo::le
