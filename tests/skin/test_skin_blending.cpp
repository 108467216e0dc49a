// The blending primitives of the skin painters, checked on chosen pixels of
// small bitmaps made by code: each case names the inputs and the colour the
// blend of those inputs must give.
#include <gtest/gtest.h>

#include "qt_test_application.h"
#include "skin/paint_primitives.h"
#include "skin_test_pixels.h"

using namespace kelmo::skin;
using namespace kelmo::skin::testing_pixels;

namespace {

constexpr TColor kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000,
                 kGreen = 0x00FF00;

QImage Bmp24(int w, int h, TColor c) {
  return Filled(w, h, c);
}

QImage Bmp32(int w, int h, TColor c, int alpha) {
  QImage img = Filled(w, h, c, 32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px::At(img, x, y)[3] = std::uint8_t(alpha);
  return img;
}

}  // namespace

// A black mask pixel gives the colour, a white one keeps the bitmap, grey
// lies half way.
TEST(SkinBlending, ToColorByMaskFollowsTheMaskLevel) {
  QImage bmp = Bmp24(3, 1, kBlack);
  QImage mask = CreateBmp24(3, 1);
  px::PutColor(px::At(mask, 0, 0), kBlack);
  px::PutColor(px::At(mask, 1, 0), kWhite);
  px::PutColor(px::At(mask, 2, 0), 0x808080);
  BlendToColorByMask(bmp, mask, kWhite);
  ExpectPixels(bmp, {{0, 0, kWhite}, {1, 0, kBlack}, {2, 0, 0x7F7F7F}});

  // A mask of another size leaves the bitmap alone.
  QImage other = Bmp24(3, 1, kBlack);
  BlendToColorByMask(other, Bmp24(2, 1, kBlack), kWhite);
  ExpectPixels(other, {{0, 0, kBlack}});
}

// The rounded rect's outer step keeps the bitmap and the inner steps move
// towards the colour by the percentage; pixels outside the rect stay.
TEST(SkinBlending, RoundRectStepsFadeInwards) {
  struct Case {
    int percent, steps;
    TColor centre;
  } cases[] = {{0, 1, kWhite}, {50, 2, 0x808080}, {100, 3, kBlack}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percent);
    QImage bmp = Bmp24(20, 20, kBlack);
    BlendRoundRectSteps(bmp, Rect{2, 2, 18, 18}, c.percent, 0, c.steps, kWhite);
    ExpectPixels(bmp, {{10, 10, c.centre}, {2, 10, kBlack}, {0, 0, kBlack}, {19, 19, kBlack}});
  }
  // Without steps the whole rect is at the level, its edge too.
  QImage flat = Bmp24(20, 20, kBlack);
  BlendRoundRectSteps(flat, Rect{2, 2, 18, 18}, 60, 0, 0, kWhite);
  const TColor faded = Px(flat, 10, 10);
  EXPECT_EQ(Px(flat, 2, 10), faded);
  EXPECT_NE(faded, kBlack);
  EXPECT_NE(faded, kWhite);
  ExpectPixels(flat, {{1, 10, kBlack}});
  // An empty rect paints nothing.
  QImage bmp = Bmp24(4, 4, kBlack);
  BlendRoundRectSteps(bmp, Rect{2, 2, 2, 4}, 0, 0, 1, kWhite);
  ExpectPixels(bmp, {{2, 2, kBlack}});
}

// output = B + ((A - B) * w) >> 8, by a weight or by the mask's channels.
TEST(SkinBlending, MixBitmapsByWeightAndMask) {
  const QImage a = Bmp24(2, 1, kRed), b = Bmp24(2, 1, kBlue);
  struct Case {
    int weight;
    TColor expected;
  } cases[] = {{0, kBlue}, {256, kRed}, {128, 0x7F007F}};
  for (const Case& c : cases) {
    QImage out;
    MixBitmaps(out, a, b, c.weight, nullptr);
    ASSERT_EQ(out.format(), QImage::Format_ARGB32);
    ExpectPixels(out, {{0, 0, c.expected}, {1, 0, c.expected}});
  }
  QImage mask = CreateBmp24(2, 1);
  px::PutColor(px::At(mask, 0, 0), kBlack);
  px::PutColor(px::At(mask, 1, 0), kWhite);
  QImage out;
  MixBitmaps(out, a, b, 0, &mask);
  ExpectPixels(out, {{0, 0, kBlue}, {1, 0, 0x0000FE}});
}

// The source's alpha blends into the target where the mask's red is not
// full, and only inside the rect.
TEST(SkinBlending, AlphaThroughMaskKeepsMaskedAndOutsidePixels) {
  QImage target = Bmp24(4, 2, kWhite);
  QImage source = Bmp32(4, 2, kBlack, 255);
  px::At(source, 1, 0)[3] = 128;
  px::At(source, 2, 0)[3] = 0;
  QImage mask = Bmp24(4, 2, kBlack);
  px::PutColor(px::At(mask, 3, 0), kRed);
  BlendAlphaThroughMask(target, source, mask, Rect{0, 0, 4, 1});
  ExpectPixels(target,
               {{0, 0, kBlack}, {1, 0, 0x7F7F7F}, {2, 0, kWhite}, {3, 0, kWhite}, {0, 1, kWhite}});
}

// A 24-bit source holds its picture above and its mask below; black mask
// shows the picture, a key pixel takes the background when filling.
TEST(SkinBlending, CopyMaskedRectByMaskAlphaAndKey) {
  QImage source = Bmp24(3, 2, kRed);
  px::PutColor(px::At(source, 1, 0), kTransparentKey);
  px::PutColor(px::At(source, 0, 1), kBlack);
  px::PutColor(px::At(source, 1, 1), kBlack);
  px::PutColor(px::At(source, 2, 1), kWhite);
  const QImage background = Bmp24(10, 10, kGreen);
  const TBgSource bg = BgSourceFromBmp(&background, 1, 1);
  for (bool fill : {true, false}) {
    SCOPED_TRACE(fill);
    QImage target = Bmp24(5, 5, kWhite);
    CopyMaskedRect(Rect{1, 1, 4, 2}, Rect{0, 0, 3, 1}, target, fill, bg, source);
    ExpectPixels(target, {{1, 1, kRed},
                          {2, 1, fill ? kGreen : kWhite},
                          {3, 1, 0xFEFEFF},
                          {0, 0, kWhite},
                          {1, 2, kWhite}});
  }
  // A 32-bit source blends by its alpha.
  QImage source32 = Bmp32(2, 1, kBlue, 255);
  px::At(source32, 1, 0)[3] = 0;
  QImage target = Bmp24(2, 1, kWhite);
  CopyMaskedRect(Rect{0, 0, 2, 1}, Rect{0, 0, 2, 1}, target, false, kEmptyBgSource, source32);
  ExpectPixels(target, {{0, 0, kBlue}, {1, 0, kWhite}});
}
