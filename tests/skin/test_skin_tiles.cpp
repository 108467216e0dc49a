// Nine-part copies, glyphs, masked textures and their tiles, transparent
// corner pixels and areas, and a mask squeezed into a rect narrower than its
// margins, checked on chosen pixels. Sources colour every pixel by its
// position, so a target pixel tells which source pixel reached it.
#include <gtest/gtest.h>

#include "qt_test_application.h"
#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin_test_pixels.h"

using namespace kelmo::skin;
using namespace kelmo::skin::testing_pixels;

namespace {

constexpr TColor kWhite = 0xFFFFFF, kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000,
                 kYellow = 0x00FFFF, kBlack = 0;
// Red under a white mask pixel over white: (image + target * 255) >> 8.
constexpr TColor kThrough = 0xFEFEFF;

// The colour of source pixel (x, y): never white, black or the key.
constexpr TColor C(int x, int y) {
  return TColor((x * 10 + 5) | (y * 10 + 5) << 8 | 77 << 16);
}

QImage ByPosition(int w, int h, int bits = 24) {
  QImage img = Filled(w, h, 0, bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) Put(img, x, y, C(x, y));
  return img;
}

// A keyed mask (no mask half) over the master bitmap, with its side
// margins and its top and bottom margins.
TkMaskData KeyedMask(TkSkinManager& manager, Rect r, int images, int sides, int ends) {
  TkMaskData mask;
  mask.R = r;
  mask.ImageCount = std::int16_t(images);
  mask.WL = mask.WR = std::int16_t(sides);
  mask.WT = mask.WB = std::int16_t(ends);
  mask.Manager = &manager;
  return mask;
}

// A manager whose master bitmap holds one texture cell of 4 x 4 over its
// mask: the picture is red with a key pixel at (3, 3); the mask is black
// (the picture shows) but for column 1, which is white (what lies behind
// shows).
struct TextureSkin {
  TkSkinManager manager;
  TkMaskData mask;
  TextureSkin() {
    manager.MasterBitmap = std::make_shared<QImage>(Filled(4, 8, kRed));
    QImage& m = *manager.MasterBitmap;
    Put(m, 3, 3, kTransparentKey);
    for (int y = 4; y < 8; ++y)
      for (int x = 0; x < 4; ++x) Put(m, x, y, x == 1 ? kWhite : kBlack);
    mask.R = {0, 0, 4, 8};
    mask.ImageCount = 1;
    mask.MaskType = 1;
    mask.Manager = &manager;
  }
};

}  // namespace

// Corners are copied, sides and centre tiled or stretched (stretching picks
// source pixels, never blends them), limits cut the corners to an L, and a
// side mode outside 0 and 1 or a missing centre flag leaves the target.
TEST(SkinTiles, NinePartCopyKeepsTheBorder) {
  const QImage source = ByPosition(6, 6);
  const Rect margins{2, 2, 2, 2}, s{0, 0, 6, 6}, r{0, 0, 10, 9};
  {
    SCOPED_TRACE("tiled");
    QImage target = Filled(12, 11, kWhite);
    PaintBmpNinePart(target, source, r, true, 0, {0, 0, 0, 0}, margins, margins, s);
    ExpectPixels(target, {{1, 1, C(1, 1)},  // top-left corner
                          {9, 0, C(5, 0)},  // top-right
                          {0, 8, C(0, 5)},  // bottom-left
                          {9, 8, C(5, 5)},  // bottom-right
                          {1, 4, C(1, 2)},  // left side, second tile
                          {0, 6, C(0, 2)},  // left side, last tile cut
                          {7, 0, C(3, 0)},  // top side
                          {9, 5, C(5, 3)},  // right side
                          {6, 8, C(2, 5)},  // bottom side
                          {5, 5, C(3, 3)},  // centre
                          {6, 6, C(2, 2)},  // centre, last cells cut
                          {10, 0, kWhite},  // outside the rect
                          {0, 9, kWhite}});
  }
  {
    SCOPED_TRACE("stretched");
    QImage target = Filled(12, 11, kWhite);
    PaintBmpNinePart(target, source, r, true, 1, {1, 1, 1, 1}, margins, margins, s);
    ExpectPixels(target, {{0, 2, C(0, 2)}, {0, 6, C(0, 3)}, {2, 0, C(2, 0)}, {7, 0, C(3, 0)}});
    // Black-on-white stretching copies pixels: every stretched pixel of the
    // left side is one of the two rows of the strip.
    for (int y = 2; y <= 6; ++y)
      EXPECT_TRUE(Px(target, 0, y) == C(0, 2) || Px(target, 0, y) == C(0, 3)) << y;
    for (int x = 2; x <= 7; ++x)
      for (int y = 2; y <= 6; ++y) {
        const TColor c = Px(target, x, y);
        EXPECT_TRUE(c == C(2, 2) || c == C(3, 2) || c == C(2, 3) || c == C(3, 3)) << x << "," << y;
      }
  }
  {
    SCOPED_TRACE("limited corners, no left side, no centre");
    QImage target = Filled(12, 11, kWhite);
    PaintBmpNinePart(target, source, r, false, 0, {2, 0, 0, 0}, {1, 1, 2, 2}, margins, s);
    ExpectPixels(target, {{0, 0, C(0, 0)},
                          {1, 0, C(1, 0)},  // the top row in the full margin width
                          {0, 1, C(0, 1)},  // below it only the limited width
                          {1, 1, kWhite},
                          {0, 4, kWhite},  // the left side is not painted
                          {5, 5, kWhite},  // nor the centre
                          {5, 0, C(3, 0)},
                          {9, 8, C(5, 5)}});
  }
}

// One glyph: its key is its bottom-left pixel; enabled it is copied or
// blended by the percent; disabled it is greyed and/or blended at half. The
// background of a greyed glyph stays transparent.
TEST(SkinTiles, SingleGlyphByStateAndOptions) {
  QImage glyph = Filled(2, 2, kTransparentKey);
  Put(glyph, 0, 0, kRed);
  Put(glyph, 1, 1, kBlue);
  struct Case {
    const char* name;
    bool enabled;
    int kind, blend, options;
    TColor red, blue;
  } cases[] = {
      {"copy", true, 0, 0, 0, kRed, kBlue},
      {"blend by percent", true, 0, 50, 0, 0x8080FF, 0xFF8080},
      {"second kind copies", true, 1, 50, 0, kRed, kBlue},
      {"disabled copy", false, 0, 0, 0, kRed, kBlue},
      {"disabled grey", false, 0, 0, 2, 0x555555, 0x555555},
      {"disabled half", false, 0, 0, 1, 0x8080FF, 0xFF8080},
      {"disabled grey and half", false, 0, 0, 3, 0xAAAAAA, 0xAAAAAA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QImage target = Filled(4, 4, kWhite);
    PaintGlyphBmp(glyph, target, {1, 1, 3, 3}, 0, c.blend, c.kind, c.options, c.enabled, 1);
    ExpectPixels(target, {{1, 1, c.red}, {2, 2, c.blue}, {2, 1, kWhite}, {1, 2, kWhite}});
  }
}

// Several glyphs side by side: the kind and state choose one; each glyph's
// key is its own bottom-left pixel; 24- and 32-bit targets alike.
TEST(SkinTiles, GlyphStripChoosesByKindAndState) {
  QImage strip = Filled(8, 2, kTransparentKey);
  const TColor colours[4] = {kRed, kGreen, kBlue, kYellow};
  for (int i = 0; i < 4; ++i) Put(strip, 2 * i, 0, colours[i]);
  struct Case {
    const char* name;
    int kind, state;
    bool enabled;
    int blend;
    TColor expected;
  } cases[] = {
      {"plain", 0, 0, true, 0, kRed},
      {"second", 1, 0, true, 0, kGreen},
      {"by state 0", 2, 0, true, 0, kBlue},
      {"by state 1", 2, 1, true, 0, kYellow},
      {"state beyond the strip", 2, 2, true, 0, kGreen},
      {"disabled takes the first", 2, 1, false, 0, kRed},
      {"disabled plain blends", 0, 0, false, 50, 0x8080FF},
  };
  for (int bits : {24, 32})
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << ", " << bits << " bits");
      QImage target = Filled(4, 3, kWhite, bits);
      PaintGlyphBmp(strip, target, {1, 1, 3, 3}, c.state, c.blend, c.kind, 0, c.enabled, 4);
      ExpectPixels(target, {{1, 1, c.expected}, {2, 1, kWhite}, {1, 2, kWhite}, {0, 0, kWhite}});
      if (bits == 32) EXPECT_EQ(px::At(target, 1, 1)[3], 255);
    }
  // A 4-bit glyph strip takes its first glyph for the second kind.
  QVector<QRgb> table{qRgb(255, 0, 255), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                      qRgb(255, 255, 0)};
  const QImage fourBit = strip.convertToFormat(QImage::Format_Indexed8, table);
  QImage target = Filled(4, 3, kWhite);
  PaintGlyphBmp(fourBit, target, {1, 1, 3, 3}, 0, 0, 1, 0, true, 4);
  ExpectPixels(target, {{1, 1, kRed}, {2, 1, kWhite}});
}

// Whole cells from the top-left through their mask; mode 10 fills the
// strips the cells left from the background (bitmap at the same position
// plus its offset, or its colour) and never paints outside the rect; mode 0
// adds cut cells instead; other modes paint nothing.
TEST(SkinTiles, MaskedTextureModes) {
  TextureSkin skin;
  const QImage background = ByPosition(20, 20);
  const TBgSource overBitmap = BgSourceFromBmp(&background, 2, 1),
                  overColour{nullptr, 0, 0, kGreen, false};
  struct Case {
    const char* name;
    int bits, mode;
    TBgSource bg;
    std::vector<PixelCase> pixels;
  } cases[] = {
      {"mode 10 over a bitmap",
       24,
       10,
       overBitmap,
       {{0, 0, kRed},
        {1, 0, kThrough},  // mask white: the target shows
        {3, 3, C(5, 4)},   // key pixel: the background
        {7, 7, C(9, 8)},   // the same in the last whole cell
        {9, 3, C(11, 4)},  // right strip
        {10, 9, C(12, 10)},
        {0, 8, C(2, 9)}}},  // bottom strip
      {"mode 10 over a colour",
       24,
       10,
       overColour,
       {{0, 0, kRed}, {3, 3, kGreen}, {9, 3, kGreen}, {0, 9, kGreen}}},
      {"mode 10 into 32 bits",
       32,
       10,
       overBitmap,
       {{0, 0, kRed}, {9, 3, C(11, 4)}, {0, 8, C(2, 9)}}},
      {"mode 0 cuts cells at the edges",
       24,
       0,
       overColour,
       {{8, 0, kRed}, {9, 0, kThrough}, {10, 0, kRed}, {0, 9, kRed}, {8, 8, kRed}}},
      {"mode 5 paints nothing", 24, 5, overColour, {{0, 0, kWhite}, {9, 3, kWhite}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QImage target = Filled(13, 12, kWhite, c.bits);
    Rect r{0, 0, 11, 10};
    PaintMaskedTexture(target, r, c.bg, c.mode, skin.mask);
    ExpectPixels(target, c.pixels);
    // Nothing outside the rect.
    ExpectPixels(target, {{11, 0, kWhite}, {10, 10, kWhite}, {0, 10, kWhite}});
  }
}

// A key pixel of the texture takes the background: its colour (unless that
// is the key), the 24-bit bitmap's pixel at the target position plus the
// offset, or for a 32-bit bitmap the pixel only when the source has no
// colour of its own. A bitmap of another depth, or one too small to attach,
// paints nothing at all.
TEST(SkinTiles, TextureTileOverItsBackground) {
  TextureSkin skin;
  const QImage bg24 = ByPosition(10, 10), bg32 = ByPosition(10, 10, 32), tiny = Filled(1, 1, kBlue);
  const QImage indexed = bg24.convertToFormat(QImage::Format_Indexed8);
  struct Case {
    const char* name;
    TBgSource bg;
    TColor atKey, atPicture, underWhiteMask;
  } cases[] = {
      {"colour", {nullptr, 0, 0, kGreen, false}, kGreen, kRed, kThrough},
      {"key colour leaves the target",
       {nullptr, 0, 0, kTransparentKey, false},
       kWhite,
       kRed,
       kThrough},
      {"24-bit bitmap", BgSourceFromBmp(&bg24, 2, 1), C(5, 4), kRed, kThrough},
      {"32-bit bitmap", BgSourceFromBmp(&bg32, 2, 1), C(5, 4), kRed, kThrough},
      {"32-bit bitmap with a colour", {&bg32, 2, 1, kBlue, true}, kBlue, kRed, kThrough},
      {"8-bit bitmap", BgSourceFromBmp(&indexed, 2, 1), kWhite, kWhite, kWhite},
      {"1 x 1 bitmap", BgSourceFromBmp(&tiny, 0, 0), kWhite, kWhite, kWhite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QImage target = Filled(5, 5, kWhite);
    BlitTextureTile({0, 0, 4, 4}, {0, 0, 4, 4}, target, skin.mask, c.bg);
    ExpectPixels(target,
                 {{3, 3, c.atKey}, {0, 0, c.atPicture}, {1, 0, c.underWhiteMask}, {4, 4, kWhite}});
  }
  // A negative target left cuts the source's first column as well.
  QImage target = Filled(5, 5, kWhite);
  BlitTextureTile({-1, 0, 3, 4}, {0, 0, 4, 4}, target, skin.mask, kEmptyBgSource);
  ExpectPixels(target, {{0, 0, kThrough}, {1, 0, kRed}, {3, 0, kWhite}});
}

// Source pixels reach the target where the chosen corner of the mask's
// state image (or, for mask -1, the target itself) is transparent.
TEST(SkinTiles, TransparentPixelsFollowTheCorner) {
  TkSkinManager manager;
  manager.MasterBitmap = std::make_shared<QImage>(Filled(8, 4, kBlack));
  QImage& m = *manager.MasterBitmap;
  Put(m, 0, 0, kTransparentKey);  // top-left corner, first column
  Put(m, 7, 0, kTransparentKey);  // top-right corner, second column
  Put(m, 1, 3, kTransparentKey);  // bottom-left corner, second column
  Put(m, 6, 3, kTransparentKey);  // bottom-right corner, first column
  manager.ma.push_back(KeyedMask(manager, {0, 0, 8, 4}, 1, 2, 1));
  QImage source = ByPosition(4, 4, 32);
  px::At(source, 0, 2)[3] = 40;
  px::At(source, 1, 2)[3] = 60;
  struct Case {
    int corner;
    TColor first, second;
  } cases[] = {{13, C(0, 2), kWhite},
               {14, kWhite, C(1, 2)},
               {16, kWhite, C(1, 2)},
               {17, C(0, 2), kWhite},
               {99, C(0, 2), kWhite}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.corner);
    QImage target = Filled(4, 4, kWhite, 32);
    CopyTransparentPixels(target, source, {1, 1, 3, 2}, c.corner, &manager, 0, {0, 2});
    ExpectPixels(target, {{1, 1, c.first}, {2, 1, c.second}, {1, 0, kWhite}, {1, 2, kWhite}});
    // The source pixel is copied whole, alpha included.
    if (c.first != kWhite) EXPECT_EQ(px::At(target, 1, 1)[3], 40);
    if (c.second != kWhite) EXPECT_EQ(px::At(target, 2, 1)[3], 60);
  }
  // Mask -1: the target's own transparent pixels take the source.
  QImage target = Filled(4, 4, kWhite, 32);
  Put(target, 2, 1, kTransparentKey);
  CopyTransparentPixels(target, source, {1, 1, 3, 2}, 13, &manager, -1, {0, 2});
  ExpectPixels(target, {{1, 1, kWhite}, {2, 1, C(1, 2)}});
  // A rect of negative width copies nothing.
  QImage untouched = Filled(4, 4, kTransparentKey, 32);
  CopyTransparentPixels(untouched, source, {3, 1, 1, 2}, 13, &manager, -1, {0, 2});
  ExpectPixels(untouched, {{1, 1, kTransparentKey}, {2, 1, kTransparentKey}});
}

// Runs of key pixels in the corners of the top (or bottom) band of the
// first state image become one-row rects; the right corner is moved to the
// given width.
TEST(SkinTiles, TransparentAreasOfTheCornerBands) {
  TkSkinManager manager;
  manager.MasterBitmap = std::make_shared<QImage>(Filled(16, 6, kBlack));
  QImage& m = *manager.MasterBitmap;
  for (auto [x, y] : {std::pair{0, 0},
                      {1, 0},
                      {0, 1},
                      {2, 1},
                      {6, 0},
                      {7, 0},  // top band
                      {0, 5},
                      {1, 5},
                      {2, 5},
                      {5, 4},  // bottom band
                      {8, 0},
                      {15, 0}})  // the second state image is not scanned
    Put(m, x, y, kTransparentKey);
  TkMaskData mask = KeyedMask(manager, {0, 0, 16, 6}, 2, 3, 2);
  std::vector<Rect> top;
  AddTransparentAreas(top, 20, mask, false, 5);
  EXPECT_EQ(top, (std::vector<Rect>{{0, 5, 2, 6}, {0, 6, 1, 7}, {2, 6, 3, 7}, {18, 5, 20, 6}}));
  std::vector<Rect> bottom{{1, 1, 2, 2}};
  AddTransparentAreas(bottom, 20, mask, true, 0);
  EXPECT_EQ(bottom, (std::vector<Rect>{{1, 1, 2, 2}, {0, 1, 3, 2}, {17, 0, 18, 1}}));
  // A band taller than the picture scans nothing; nor does a mask without manager.
  mask.WT = 7;
  std::vector<Rect> none;
  AddTransparentAreas(none, 20, mask, false, 0);
  mask.WT = 2;
  mask.Manager = nullptr;
  AddTransparentAreas(none, 20, mask, false, 0);
  EXPECT_TRUE(none.empty());
}

// A rect narrower (or lower) than the margins takes half the shortfall off
// each, the right (or bottom) one more when the size is odd; the corners
// come from the state image's outer columns and rows.
TEST(SkinTiles, MaskMarginsSqueezeIntoSmallRects) {
  TkSkinManager manager;
  manager.MasterBitmap = std::make_shared<QImage>(ByPosition(20, 4));
  TkMaskData mask;
  mask.R = {0, 0, 20, 4};
  mask.ImageCount = 1;
  mask.Manager = &manager;
  mask.WT = mask.WB = 2;
  struct Case {
    const char* name;
    int wl, wr, width;
    std::vector<PixelCase> pixels;
  } cases[] = {
      {"10 + 10 into 15: 8 and 7",
       10,
       10,
       15,
       {{7, 0, C(7, 0)}, {8, 0, C(13, 0)}, {14, 3, C(19, 3)}}},
      {"10 + 10 into 16: 8 and 8",
       10,
       10,
       16,
       {{7, 0, C(7, 0)}, {8, 0, C(12, 0)}, {15, 3, C(19, 3)}}},
      {"4 + 3 into 5: 3 and 1, one side column",
       4,
       3,
       5,
       {{2, 0, C(2, 0)}, {3, 0, C(3, 0)}, {4, 0, C(19, 0)}, {4, 3, C(19, 3)}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    mask.WL = std::int16_t(c.wl);
    mask.WR = std::int16_t(c.wr);
    QImage target = Filled(20, 6, kWhite);
    PaintMask(target, Rect::Sized(0, 0, c.width, 4), 0, mask, kEmptyBgSource, false, false);
    for (const PixelCase& p : c.pixels)
      EXPECT_EQ(Px(target, p.x, p.y), p.expected) << "pixel " << p.x << "," << p.y;
    EXPECT_EQ(Px(target, c.width, 0), kWhite);
  }
  // Three rows for margins of 2 and 2: the top keeps 2, the bottom 1 (its
  // last row of the image).
  mask.WL = mask.WR = 2;
  QImage target = Filled(20, 6, kWhite);
  PaintMask(target, Rect::Sized(0, 0, 10, 3), 0, mask, kEmptyBgSource, false, false);
  ExpectPixels(target, {{0, 1, C(0, 1)}, {0, 2, C(0, 3)}, {9, 2, C(19, 3)}, {0, 3, kWhite}});
}
