// Theme binding and the theme handle cache, over a fake engine and over the
// QStyle-backed one.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QImage>

#include "fake_theme.h"
#include "lookandfeel/qstyle_theme.h"
#include "qt_test_application.h"

namespace kelmo::le {
namespace {

using test::ThemeBinding;
using test::ThemeLog;

TEST(ThemeBinding, NoEngineBeforeVersionFivePointOne) {
  SetOsVersion({5, 0});
  {
    ThemeBinding b(true);
    EXPECT_FALSE(UxThemeLoaded());
    EXPECT_FALSE(ThemesActive());
    EXPECT_FALSE(ThemeChangeReceiverExists());
    for (int k = 0; k < kThemeKindCount; ++k) EXPECT_EQ(ThemeHandleOf(ThemeKind(k)), 0u);
    EXPECT_EQ(CloseThemeHandle(tkButton), 1);
  }
  SetOsVersion({5, 1});
  {
    ThemeBinding b(true);
    EXPECT_TRUE(UxThemeLoaded());
    EXPECT_TRUE(ThemesActive());
    EXPECT_TRUE(ThemeChangeReceiverExists());
  }
  EXPECT_FALSE(ThemeChangeReceiverExists());
  SetOsVersion({6, 1});
}

TEST(ThemeBinding, WithoutTheEngineEverythingIsUnthemed) {
  ThemeBinding b(false);
  EXPECT_FALSE(ThemesAvailableFor(0));
  EXPECT_EQ(ThemeHandleOf(tkHeader), 0u);
}

TEST(ThemeManager, HandlesAreCachedPerKind) {
  ThemeBinding b(true);
  EXPECT_TRUE(ThemesAvailableFor(0));
  const ThemeHandle h = ThemeHandleOf(tkHeader);
  EXPECT_NE(h, 0u);
  EXPECT_EQ(ThemeHandleOf(tkHeader), h);
  EXPECT_EQ(ThemeLog().opened, QStringList{"Header"});
  // The same list in other letters keeps the handle; another list replaces it.
  const QString lower = "header";
  EXPECT_EQ(ThemeHandleOf(tkHeader, &lower), h);
  const QString other = "ListView";
  EXPECT_NE(ThemeHandleOf(tkHeader, &other), h);
  EXPECT_EQ(ThemeLog().closed, 1);
  EXPECT_EQ(CachedThemeClassList(tkHeader), "ListView");
}

TEST(ThemeManager, FailedOpenFallsBackToTheDefaultList) {
  ThemeBinding b(true);
  const QString missing = "NoSuchClass";
  EXPECT_EQ(ThemeHandleOf(tkButton, &missing), 0u);
  EXPECT_EQ(CachedThemeClassList(tkButton), "");
  EXPECT_NE(ThemeHandleOf(tkButton), 0u);
  EXPECT_EQ(ThemeLog().opened.back(), "Button");
}

TEST(ThemeManager, AvailabilityStopsAtTheFirstMissingKind) {
  ThemeBinding b(true);
  ThemeLog().known.removeAll("TAB");
  EXPECT_FALSE(ThemesAvailableFor(KindBit(tkButton) | KindBit(tkTab) | KindBit(tkWindow)));
  EXPECT_EQ(ThemeLog().opened, (QStringList{"Button", "Tab"}));
  EXPECT_TRUE(ThemesAvailableFor(KindBit(tkButton) | KindBit(tkWindow)));
}

TEST(ThemeManager, ThemeChangeClosesAndReopensWithTheSameList) {
  ThemeBinding b(true);
  int heard = 0;
  AddThemeChangeListener([&] { ++heard; });
  const QString list = "TreeView";
  ThemeHandleOf(tkListView, &list);
  ThemeHandleOf(tkButton);
  ThemeLog().active = false;
  QEvent e(QEvent::ThemeChange);
  QCoreApplication::sendEvent(QCoreApplication::instance(), &e);
  EXPECT_EQ(heard, 1);
  EXPECT_EQ(ThemeLog().closed, 2);
  EXPECT_FALSE(ThemesActive());
  EXPECT_EQ(ThemeHandleOf(tkListView), 0u);
  ThemeLog().active = true;
  ThemeChanged();
  EXPECT_EQ(heard, 2);
  ThemeHandleOf(tkListView);
  EXPECT_EQ(ThemeLog().opened.back(), "TreeView");
}

TEST(QStyleTheme, OpensKnownClassesAndDraws) {
  auto theme = CreateQStyleTheme();
  EXPECT_EQ(theme->OpenThemeData("Clock"), 0u);
  const ThemeHandle button = theme->OpenThemeData("Button");
  ASSERT_NE(button, 0u);
  EXPECT_NE(theme->OpenThemeData("Nothing;Header"), 0u);
  QImage image(40, 30, QImage::Format_ARGB32);
  image.fill(Qt::magenta);
  winshim::Dc dc(image);
  EXPECT_EQ(theme->DrawThemeBackground(button, dc, 1, 1, {0, 0, 40, 30}, nullptr), S_OK);
  int changed = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) changed += image.pixelColor(x, y) != QColor(Qt::magenta);
  }
  EXPECT_GT(changed, 100);
  QSize size;
  theme->GetThemePartSize(button, nullptr, 2, 1, nullptr, TS_TRUE, size);
  EXPECT_GT(size.width(), 0);
  winshim::ColorRef c = 0;
  EXPECT_EQ(theme->GetThemeColor(button, 1, 1, 3801, c), S_OK);
  QString file, color, sz;
  theme->GetCurrentThemeName(file, color, sz);
  EXPECT_TRUE(file.endsWith(".qstyle"));
}

}  // namespace
}  // namespace kelmo::le
