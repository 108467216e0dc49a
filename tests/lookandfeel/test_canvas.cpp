// The library canvas: bands, frames, rings, tiling, text placement, clip
// regions and rotation, checked on chosen pixels.
#include <QFont>

#include "paint_fixture.h"
#include "winshim/draw_text.h"

namespace kelmo::le {
namespace {

using test::kPaper;

class CanvasTest : public test::PaintFixture {};

TEST_F(CanvasTest, SideBandsWiderThanTheRectStayInside) {
  Canvas().FillSideBands({10, 10, 14, 13}, clBlue, false, bsAll, 20);
  EXPECT_TRUE(Filled({10, 10, 14, 13}, clBlue));
  EXPECT_EQ(Count(clBlue), 12);
  Canvas().FillSideBands({20, 20, 30, 30}, clBtnShadow, false, bsLeft | bsBottom, 2);
  EXPECT_TRUE(Filled({20, 20, 22, 30}, clBtnShadow));
  EXPECT_TRUE(Filled({20, 28, 30, 30}, clBtnShadow));
  EXPECT_EQ(Px(25, 25), kPaper);
}

TEST_F(CanvasTest, TwoColorFrameEndsCornersInTheSecondColour) {
  Canvas().DrawTwoColorFrame({4, 4, 12, 10}, clWhite, 1, bsAll, clBlack);
  EXPECT_EQ(Px(4, 4), C(clWhite));
  EXPECT_EQ(Px(11, 4), C(clBlack));  // top-right
  EXPECT_EQ(Px(4, 9), C(clBlack));   // bottom-left
  EXPECT_EQ(Px(5, 5), kPaper);
}

TEST_F(CanvasTest, EdgeRingColours) {
  struct Case {
    bool sunken, outer;
    TColor first, second;
  } cases[] = {{false, true, cl3DLight, cl3DDkShadow},
               {false, false, clBtnHighlight, clBtnShadow},
               {true, true, clBtnShadow, clBtnHighlight},
               {true, false, cl3DDkShadow, cl3DLight}};
  for (const Case& c : cases) {
    Canvas().DrawEdgeRing({2, 2, 10, 10}, c.sunken, bsAll, c.outer);
    EXPECT_EQ(Px(2, 5), C(c.first));
    EXPECT_EQ(Px(5, 2), C(c.first));
    EXPECT_EQ(Px(9, 5), C(c.second));
    EXPECT_EQ(Px(5, 9), C(c.second));
  }
}

TEST_F(CanvasTest, TilesAlignToTheLogicalOrigin) {
  QImage tile(16, 16, QImage::Format_RGB32);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) tile.setPixelColor(x, y, QColor(x * 16, y * 16, 7));
  }
  Canvas().FillOrTileRect({8, 8, 40, 24}, &tile);
  for (int y = 8; y < 24; y += 3) {
    for (int x = 8; x < 40; x += 5) {
      EXPECT_EQ(Px(x, y), winshim::RGB((x % 16) * 16, (y % 16) * 16, 7)) << x << "," << y;
    }
  }
  EXPECT_EQ(Px(7, 8), kPaper);
  EXPECT_EQ(Px(40, 23), kPaper);
  EXPECT_EQ(Px(8, 24), kPaper);
}

TEST_F(CanvasTest, ExcludedFillsLeaveLaterPaintingOut) {
  Canvas().SetBrushColor(clWhite);
  Canvas().FillOrTileRect({0, 0, 10, 10}, nullptr, true);
  Canvas().SetBrushColor(clBlack);
  Canvas().FillRect({0, 0, 20, 20});
  EXPECT_EQ(Px(5, 5), C(clWhite));
  EXPECT_EQ(Px(15, 5), C(clBlack));
}

TEST_F(CanvasTest, ClipRegionWithoutClipIsLargeAndFollowsTheOrigin) {
  EXPECT_EQ(Canvas().CurrentClipRegion(false).Handle(), QRegion(0, 0, 30000, 30000));
  dc_->SetViewportOrg(5, 7);
  EXPECT_EQ(Canvas().CurrentClipRegion(true).Handle(), QRegion(-5, -7, 30000, 30000));
  Canvas().ApplyClipRegion(TleRegion(0, 0, 10, 10), RegionReplace, true);
  EXPECT_EQ(*dc_->ClipRegion(), QRegion(5, 7, 10, 10));
  Canvas().ApplyClipRegion(TleRegion(0, 0, 5, 10), RegionDifference, true);
  EXPECT_EQ(*dc_->ClipRegion(), QRegion(10, 7, 5, 10));
}

TEST_F(CanvasTest, RegionOperations) {
  TleRegion a(0, 0, 10, 10);
  a.CombineWith(TleRegion(5, 0, 15, 10), RegionUnion);
  EXPECT_EQ(a.Handle(), QRegion(0, 0, 15, 10));
  a.CombineWith(TleRegion(0, 0, 5, 10), RegionIntersection);
  EXPECT_EQ(a.Handle(), QRegion(0, 0, 5, 10));
  a.CombineWith(TleRegion(1, 1, 2, 2), RegionReplace);
  EXPECT_EQ(a.Handle(), QRegion(1, 1, 1, 1));
  a.Offset(3, 4);
  EXPECT_EQ(a.Handle(), QRegion(4, 5, 1, 1));
  EXPECT_TRUE(TleRegion::CreateEmpty().IsEmpty());
}

TEST_F(CanvasTest, TextFlagTranslation) {
  using namespace winshim;
  EXPECT_EQ(TextFlagsToDrawTextFlags(0), unsigned(DT_NOPREFIX));
  EXPECT_EQ(TextFlagsToDrawTextFlags(TextFlagWordBreak),
            unsigned(DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL));
  EXPECT_EQ(TextFlagsToDrawTextFlags(TextFlagWordBreak | TextFlagNoEditControl),
            unsigned(DT_NOPREFIX | DT_WORDBREAK));
  EXPECT_EQ(TextFlagsToDrawTextFlags(TextFlagShowPrefix | TextFlagCenterX | TextFlagCenterY |
                                     TextFlagSingleLine),
            unsigned(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
  EXPECT_EQ(TextFlagsToDrawTextFlags(TextFlagRight | TextFlagBottom | TextFlagEndEllipsis |
                                     TextFlagPathEllipsis | TextFlagCalcRect | TextFlagNoClip |
                                     TextFlagExpandTabs),
            unsigned(DT_NOPREFIX | DT_RIGHT | DT_BOTTOM | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS |
                     DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS));
}

TEST_F(CanvasTest, DisabledRightAlignedTextIsEmbossed) {
  QFont font;
  font.setPixelSize(12);
  font.setStyleStrategy(QFont::NoAntialias);
  Canvas().AssignFont(font);
  Canvas().SetBrushStyle(TleBrushStyle::Clear);
  const Rect r{2, 2, 60, 30};
  Canvas().DrawTextInRect("IIII", r, false, TextFlagRight | TextFlagSingleLine);
  int shadowRight = -1, highlightRight = -1;
  for (int y = 0; y < image_.height(); ++y) {
    for (int x = 0; x < image_.width(); ++x) {
      if (Px(x, y) == C(clBtnShadow)) shadowRight = std::max(shadowRight, x);
      if (Px(x, y) == C(clBtnHighlight)) highlightRight = std::max(highlightRight, x);
    }
  }
  ASSERT_GE(shadowRight, 0);
  EXPECT_EQ(highlightRight, shadowRight + 1);
  EXPECT_LE(shadowRight, r.right - 2);            // one pixel left of the right edge at least
  EXPECT_EQ(Canvas().FontColor(), clWindowText);  // the font colour comes back
}

TEST_F(CanvasTest, RotateBitmapModes) {
  QImage b(3, 2, QImage::Format_ARGB32);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) b.setPixel(x, y, qRgb(x, y, 0));
  }
  struct Case {
    int mode;
    bool mirror;
    int w, h;
    QPoint of10;  // where source pixel (1, 0) lands
  } cases[] = {{0, true, 3, 2, {1, 1}},  {1, false, 2, 3, {0, 1}}, {1, true, 2, 3, {0, 1}},
               {2, false, 2, 3, {1, 1}}, {2, true, 2, 3, {1, 1}},  {3, false, 3, 2, {1, 1}},
               {3, true, 3, 2, {1, 0}}};
  for (const Case& c : cases) {
    QImage r = b;
    TleCanvas::RotateBitmap(r, c.mode, c.mirror);
    ASSERT_EQ(r.size(), QSize(c.w, c.h)) << c.mode << c.mirror;
    EXPECT_EQ(r.pixel(c.of10), qRgb(1, 0, 0)) << c.mode << c.mirror;
  }
  QImage same = b;
  TleCanvas::RotateBitmap(same, 0, false);
  EXPECT_EQ(same, b);
}

TEST_F(CanvasTest, DerivedSystemColours) {
  winshim::SetSysColor(winshim::COLOR_BTNFACE, 0xFFFFFF);
  EXPECT_EQ(SystemHotColor(), winshim::GetSysColor(winshim::COLOR_HIGHLIGHT));
  EXPECT_EQ(SystemPressedColor(), winshim::GetSysColor(winshim::COLOR_HIGHLIGHT));
  winshim::ResetSystemProfile();
  // The profile's face D4D0C8, highlight 0A246A and window FFFFFF.
  EXPECT_EQ(SystemColorMix(-2, 30, 72), winshim::RGB(183, 191, 212));
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
}

}  // namespace
}  // namespace kelmo::le
