// Region calls over QRegion and window regions as widget masks.
#include <gtest/gtest.h>

#include <QWidget>

#include "qt_test_application.h"
#include "winshim/region.h"
#include "winshim/system_profile.h"

using namespace kelmo::winshim;

TEST(Region, CombineModesAndKinds) {
  const QRegion a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 0, 15, 10);
  struct Case {
    CombineMode mode;
    RegionKind kind;
    bool at2, at7, at12;
  };
  const Case cases[] = {
      {RGN_AND, SIMPLEREGION, false, true, false}, {RGN_OR, SIMPLEREGION, true, true, true},
      {RGN_XOR, COMPLEXREGION, true, false, true}, {RGN_DIFF, SIMPLEREGION, true, false, false},
      {RGN_COPY, SIMPLEREGION, true, true, false},
  };
  for (const Case& c : cases) {
    QRegion r;
    EXPECT_EQ(CombineRgn(r, a, b, c.mode), c.kind) << c.mode;
    EXPECT_EQ(PtInRegion(r, 2, 5), c.at2) << c.mode;
    EXPECT_EQ(PtInRegion(r, 7, 5), c.at7) << c.mode;
    EXPECT_EQ(PtInRegion(r, 12, 5), c.at12) << c.mode;
  }
  QRegion empty;
  EXPECT_EQ(CombineRgn(empty, a, CreateRectRgn(20, 20, 30, 30), RGN_AND), NULLREGION);
}

TEST(Region, ShapesAndBoxes) {
  const QRegion round = CreateRoundRectRgn(0, 0, 20, 20, 10, 10);
  EXPECT_FALSE(PtInRegion(round, 0, 0));
  EXPECT_FALSE(PtInRegion(round, 19, 19));
  EXPECT_TRUE(PtInRegion(round, 10, 0));
  EXPECT_TRUE(PtInRegion(round, 10, 10));
  Rect box;
  EXPECT_EQ(GetRgnBox(round, box), COMPLEXREGION);
  EXPECT_EQ(box, (Rect{0, 0, 20, 20}));
  QRegion moved = CreateEllipticRgn(0, 0, 10, 10);
  OffsetRgn(moved, 100, 0);
  EXPECT_TRUE(PtInRegion(moved, 105, 5));
  EXPECT_FALSE(PtInRegion(moved, 100, 0));
  EXPECT_TRUE(RectInRegion(moved, {104, 4, 106, 6}));
  const QRegion tri =
      CreatePolygonRgn(QPolygon({QPoint(0, 0), QPoint(10, 0), QPoint(0, 10)}), ALTERNATE);
  EXPECT_TRUE(PtInRegion(tri, 1, 1));
  EXPECT_FALSE(PtInRegion(tri, 9, 9));
}

TEST(Region, WindowRegionIsTheWidgetMask) {
  QWidget w;
  w.resize(50, 50);
  SetWindowRgn(&w, CreateRectRgn(0, 0, 20, 20), false);
  QRegion r;
  EXPECT_EQ(GetWindowRgn(&w, r), SIMPLEREGION);
  EXPECT_TRUE(PtInRegion(r, 10, 10));
  SetWindowRgn(&w, QRegion(), false);
  EXPECT_EQ(GetWindowRgn(&w, r), NULLREGION);
}

TEST(SystemProfile, ClassicDefaultsAreOverridableAndReset) {
  ResetSystemProfile();
  EXPECT_EQ(GetSystemMetrics(SM_CXHSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(0xD4, 0xD0, 0xC8));
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(0xD4, 0xD0, 0xC8));
  EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), RGB(1, 2, 3));
  SetSystemMetric(SM_CXHSCROLL, 21);
  SetSysColor(COLOR_BTNFACE, RGB(1, 1, 1));
  EXPECT_EQ(GetSystemMetrics(SM_CXHSCROLL), 21);
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(1, 1, 1));
  EXPECT_EQ(GetSystemMetrics(-1), 0);
  ResetSystemProfile();
  EXPECT_EQ(GetSystemMetrics(SM_CXHSCROLL), 16);
}
