// Device contexts over bitmaps and over painters: origins, saved states,
// clipping, raster operations and the GDI shapes, checked on pixels.
#include <gtest/gtest.h>

#include <QPainter>

#include "qt_test_application.h"
#include "winshim/dc.h"
#include "winshim/dib.h"
#include "winshim/region.h"
#include "winshim/system_profile.h"

using namespace kelmo::winshim;

namespace {

QImage Filled24(int w, int h, ColorRef c) {
  QImage img = CreateDib24(w, h);
  Dc dc(img);
  FillSolidRect(dc, {0, 0, w, h}, c);
  return img;
}

ColorRef At(const QImage& img, int x, int y) {
  Dc dc(const_cast<QImage&>(img));
  return dc.GetPixel(x, y);
}

}  // namespace

TEST(Dib, LayoutsAreBlueGreenRedInMemory) {
  QImage d24 = Filled24(4, 2, RGB(1, 2, 3));
  EXPECT_EQ(DibBits(d24), 24);
  const std::uint8_t* p = ScanLine(d24, 1);
  EXPECT_EQ(p[0], 3);
  EXPECT_EQ(p[1], 2);
  EXPECT_EQ(p[2], 1);
  QImage d32 = CreateDib32(2, 2);
  EXPECT_EQ(DibBits(d32), 32);
  EXPECT_EQ(ScanLine(d32, 0)[3], 0);  // zero-filled, alpha 0
  Dc dc(d32);
  dc.SetPixel(1, 1, RGB(10, 20, 30));
  const std::uint8_t* q = ScanLine(d32, 1) + 4;
  EXPECT_EQ(q[0], 30);
  EXPECT_EQ(q[1], 20);
  EXPECT_EQ(q[2], 10);
  EXPECT_EQ(q[3], 255);
}

TEST(Dc, OriginAndSavedStatesMoveDrawing) {
  QImage img = Filled24(20, 20, RGB(255, 255, 255));
  Dc dc(img);
  EXPECT_EQ(dc.SaveDC(), 1);
  dc.SetViewportOrg(5, 6);
  FillSolidRect(dc, {0, 0, 2, 2}, RGB(255, 0, 0));
  dc.SetWindowOrg(1, 1);
  FillSolidRect(dc, {1, 1, 2, 2}, RGB(0, 255, 0));  // device (5, 6) again
  EXPECT_EQ(dc.SaveDC(), 2);
  dc.SetViewportOrg(10, 10);
  EXPECT_TRUE(dc.RestoreDC(-1));
  EXPECT_EQ(dc.GetViewportOrg(), QPoint(5, 6));
  EXPECT_TRUE(dc.RestoreDC(1));
  EXPECT_EQ(dc.GetViewportOrg(), QPoint(0, 0));
  EXPECT_FALSE(dc.RestoreDC(1));
  EXPECT_EQ(At(img, 5, 6), RGB(0, 255, 0));
  EXPECT_EQ(At(img, 6, 7), RGB(255, 0, 0));
  EXPECT_EQ(At(img, 7, 8), RGB(255, 255, 255));
}

TEST(Dc, ClipRegionsLimitEveryCall) {
  QImage img = Filled24(20, 10, RGB(255, 255, 255));
  Dc dc(img);
  dc.SetViewportOrg(2, 0);
  dc.IntersectClipRect(0, 0, 10, 10);  // device 2..11
  dc.ExcludeClipRect(3, 0, 5, 10);     // device 5..6 cut out
  Rect box;
  EXPECT_EQ(dc.GetClipBox(box), COMPLEXREGION);
  EXPECT_EQ(box, (Rect{0, 0, 10, 10}));
  FillSolidRect(dc, {-2, 0, 18, 10}, RGB(0, 0, 0));
  EXPECT_EQ(At(img, 1, 5), RGB(255, 255, 255));
  EXPECT_EQ(At(img, 2, 5), RGB(0, 0, 0));
  EXPECT_EQ(At(img, 5, 5), RGB(255, 255, 255));
  EXPECT_EQ(At(img, 6, 5), RGB(255, 255, 255));
  EXPECT_EQ(At(img, 7, 5), RGB(0, 0, 0));
  EXPECT_EQ(At(img, 12, 5), RGB(255, 255, 255));
  EXPECT_FALSE(dc.PtVisible(3, 5));
  dc.SelectClipRgn(std::nullopt);
  EXPECT_TRUE(dc.PtVisible(3, 5));
}

TEST(Dc, RasterOperationsCombineSourceDestinationAndPattern) {
  struct Case {
    std::uint32_t rop;
    ColorRef expected;
  };
  const ColorRef s = RGB(0xF0, 0x0F, 0x33), d = RGB(0xCC, 0xAA, 0x0F), p = RGB(0x12, 0x34, 0x56);
  const Case cases[] = {
      {SRCCOPY, s},       {SRCINVERT, s ^ d},          {SRCAND, s & d},
      {SRCPAINT, s | d},  {NOTSRCCOPY, ~s & 0xFFFFFF}, {DSTINVERT, ~d & 0xFFFFFF},
      {BLACKNESS, 0},     {WHITENESS, 0xFFFFFF},       {PATCOPY, p},
      {PATINVERT, p ^ d}, {MERGECOPY, p & s},          {DSPDxax, (s & p) | (~s & d & 0xFFFFFF)},
  };
  for (const Case& c : cases) {
    QImage src = Filled24(3, 3, s);
    QImage dst = Filled24(3, 3, d);
    Dc sdc(src), ddc(dst);
    ddc.SelectBrush(Brush::SolidColor(p));
    ddc.BitBlt(1, 1, 1, 1, sdc, 0, 0, c.rop);
    EXPECT_EQ(At(dst, 1, 1), c.expected) << std::hex << c.rop;
    EXPECT_EQ(At(dst, 0, 0), d) << std::hex << c.rop;
  }
}

TEST(Dc, MonochromeMaskPaintsThePatternWhereWhite) {
  QImage mask(4, 1, QImage::Format_Mono);
  mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  mask.fill(0);
  mask.setPixel(1, 0, 1);
  mask.setPixel(3, 0, 1);
  QImage dst = Filled24(4, 1, RGB(9, 9, 9));
  Dc mdc(mask), ddc(dst);
  ddc.SetTextColor(RGB(0, 0, 0));
  ddc.SetBkColor(RGB(255, 255, 255));
  ddc.SelectBrush(Brush::SolidColor(RGB(200, 0, 0)));
  ddc.BitBlt(0, 0, 4, 1, mdc, 0, 0, DSPDxax);
  EXPECT_EQ(At(dst, 0, 0), RGB(9, 9, 9));
  EXPECT_EQ(At(dst, 1, 0), RGB(200, 0, 0));
  EXPECT_EQ(At(dst, 2, 0), RGB(9, 9, 9));
  EXPECT_EQ(At(dst, 3, 0), RGB(200, 0, 0));
}

TEST(Dc, TransfersAreClippedToTheSourceAndStretchMirrors) {
  QImage src = Filled24(2, 1, RGB(255, 0, 0));
  {
    Dc s(src);
    s.SetPixel(1, 0, RGB(0, 0, 255));
  }
  QImage dst = Filled24(6, 2, RGB(255, 255, 255));
  Dc sdc(src), ddc(dst);
  EXPECT_TRUE(ddc.BitBlt(0, 0, 5, 5, sdc, 0, 0, SRCCOPY));
  EXPECT_EQ(At(dst, 1, 0), RGB(0, 0, 255));
  EXPECT_EQ(At(dst, 2, 0), RGB(255, 255, 255));
  EXPECT_EQ(At(dst, 0, 1), RGB(255, 255, 255));
  EXPECT_TRUE(ddc.StretchBlt(4, 1, -4, 1, sdc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(At(dst, 0, 1), RGB(0, 0, 255));
  EXPECT_EQ(At(dst, 1, 1), RGB(0, 0, 255));
  EXPECT_EQ(At(dst, 2, 1), RGB(255, 0, 0));
  EXPECT_EQ(At(dst, 3, 1), RGB(255, 0, 0));
}

TEST(Dc, ThirtyTwoBitCopiesKeepAlphaAndColoursAreOpaque) {
  QImage src = CreateDib32(1, 1);
  ScanLine(src, 0)[3] = 77;
  QImage dst = CreateDib32(2, 1);
  Dc sdc(src), ddc(dst);
  ddc.BitBlt(0, 0, 1, 1, sdc, 0, 0, SRCCOPY);
  EXPECT_EQ(ScanLine(dst, 0)[3], 77);
  ddc.PatBlt(1, 0, 1, 1, WHITENESS);
  EXPECT_EQ(ScanLine(dst, 0)[7], 255);
}

TEST(Dc, FocusRectTwiceRestoresThePicture) {
  QImage img = Filled24(9, 7, RGB(30, 60, 90));
  const QImage before = img.copy();
  Dc dc(img);
  dc.DrawFocusRect({1, 1, 8, 6});
  EXPECT_EQ(At(img, 1, 1), RGB(225, 195, 165));
  EXPECT_EQ(At(img, 2, 1), RGB(30, 60, 90));
  EXPECT_NE(img, before);
  dc.DrawFocusRect({1, 1, 8, 6});
  EXPECT_EQ(img, before);
}

TEST(Dc, EdgesUseTheSystemColoursAndAdjust) {
  ResetSystemProfile();
  QImage img = Filled24(10, 10, RGB(1, 1, 1));
  Dc dc(img);
  Rect r{0, 0, 10, 10};
  EXPECT_TRUE(dc.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST | BF_MIDDLE));
  EXPECT_EQ(r, (Rect{2, 2, 8, 8}));
  EXPECT_EQ(At(img, 0, 5), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(At(img, 9, 5), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(At(img, 1, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(At(img, 8, 5), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(At(img, 5, 5), GetSysColor(COLOR_BTNFACE));
  Rect sunken{0, 0, 10, 10};
  dc.DrawEdge(sunken, EDGE_SUNKEN, BF_RECT);
  EXPECT_EQ(At(img, 0, 5), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(At(img, 1, 5), GetSysColor(COLOR_3DDKSHADOW));
}

TEST(Dc, ShapesFollowGdiExtentsAndMixModes) {
  QImage img = Filled24(12, 12, RGB(255, 255, 255));
  Dc dc(img);
  dc.SelectPen({PenStyle::Solid, 1, RGB(0, 0, 0)});
  dc.SelectBrush(Brush::SolidColor(RGB(0, 255, 0)));
  dc.Rectangle(1, 1, 6, 6);
  EXPECT_EQ(At(img, 1, 1), RGB(0, 0, 0));
  EXPECT_EQ(At(img, 5, 5), RGB(0, 0, 0));
  EXPECT_EQ(At(img, 6, 6), RGB(255, 255, 255));
  EXPECT_EQ(At(img, 3, 3), RGB(0, 255, 0));
  dc.MoveTo(0, 10);
  dc.LineTo(4, 10);  // the end point is left out
  EXPECT_EQ(At(img, 3, 10), RGB(0, 0, 0));
  EXPECT_EQ(At(img, 4, 10), RGB(255, 255, 255));
  dc.SetROP2(R2_NOT);
  dc.SelectBrush(Brush::Hollow());
  dc.Rectangle(1, 1, 6, 6);
  EXPECT_EQ(At(img, 1, 1), RGB(255, 255, 255));
  EXPECT_EQ(At(img, 3, 3), RGB(0, 255, 0));
}

TEST(Dc, PatternBrushesTileFromTheDeviceOrigin) {
  QImage tile = Filled24(2, 2, RGB(0, 0, 0));
  {
    Dc t(tile);
    t.SetPixel(0, 0, RGB(255, 0, 0));
  }
  QImage img = Filled24(6, 6, RGB(255, 255, 255));
  Dc dc(img);
  dc.FillRect({1, 1, 5, 5}, Brush::FromPattern(tile));
  EXPECT_EQ(At(img, 2, 2), RGB(255, 0, 0));
  EXPECT_EQ(At(img, 1, 1), RGB(0, 0, 0));
  EXPECT_EQ(At(img, 0, 0), RGB(255, 255, 255));
}

TEST(Dc, PainterDcMapsRasterOperationsOntoQt) {
  QImage surface(6, 2, QImage::Format_ARGB32_Premultiplied);
  surface.fill(QColor(0x0F, 0xAA, 0xCC));
  QImage src = Filled24(6, 2, RGB(0xF0, 0x0F, 0x33));
  {
    QPainter painter(&surface);
    Dc dc(painter, surface.size());
    Dc sdc(src);
    dc.BitBlt(0, 0, 1, 1, sdc, 0, 0, SRCCOPY);
    dc.BitBlt(1, 0, 1, 1, sdc, 0, 0, SRCINVERT);
    dc.PatBlt(2, 0, 1, 1, DSTINVERT);
    dc.IntersectClipRect(0, 0, 4, 2);
    dc.PatBlt(0, 1, 6, 1, BLACKNESS);
  }
  EXPECT_EQ(surface.pixel(0, 0) & 0xFFFFFF, 0xF00F33u);
  EXPECT_EQ(surface.pixel(1, 0) & 0xFFFFFF, (0xF00F33u ^ 0x0FAACCu));
  EXPECT_EQ(surface.pixel(2, 0) & 0xFFFFFF, (~0x0FAACCu & 0xFFFFFF));
  EXPECT_EQ(surface.pixel(3, 1) & 0xFFFFFF, 0u);
  EXPECT_EQ(surface.pixel(4, 1) & 0xFFFFFF, 0x0FAACCu);
}

// Halftone stretching averages the source pixels it covers; the other
// modes pick whole source pixels, growing or shrinking.
TEST(Dc, HalftoneStretchAveragesOtherModesPick) {
  QImage src = Filled24(4, 1, RGB(0, 0, 0));
  Dc sdc(src);
  sdc.SetPixel(1, 0, RGB(255, 255, 255));
  sdc.SetPixel(3, 0, RGB(255, 255, 255));
  auto pure = [](ColorRef c) { return c == RGB(0, 0, 0) || c == RGB(255, 255, 255); };
  for (StretchMode mode : {BLACKONWHITE, COLORONCOLOR, HALFTONE}) {
    SCOPED_TRACE(int(mode));
    QImage small = Filled24(2, 1, RGB(9, 9, 9)), large = Filled24(8, 1, RGB(9, 9, 9));
    Dc sm(small), lg(large);
    sm.SetStretchBltMode(mode);
    lg.SetStretchBltMode(mode);
    EXPECT_EQ(sm.GetStretchBltMode(), mode);
    ASSERT_TRUE(sm.StretchBlt(0, 0, 2, 1, sdc, 0, 0, 4, 1, SRCCOPY));
    ASSERT_TRUE(lg.StretchBlt(0, 0, 8, 1, sdc, 0, 0, 4, 1, SRCCOPY));
    if (mode == HALFTONE) {
      // Each target pixel of the shrink covers one black and one white pixel.
      for (int x = 0; x < 2; ++x) {
        const int g = GetGValue(At(small, x, 0));
        EXPECT_GT(g, 64) << x;
        EXPECT_LT(g, 192) << x;
      }
      int mixed = 0;
      for (int x = 0; x < 8; ++x) mixed += !pure(At(large, x, 0));
      EXPECT_GT(mixed, 0);
    } else {
      for (int x = 0; x < 2; ++x) EXPECT_TRUE(pure(At(small, x, 0))) << x;
      for (int x = 0; x < 8; ++x) EXPECT_EQ(At(large, x, 0), At(src, x / 2, 0)) << x;
    }
  }
}
