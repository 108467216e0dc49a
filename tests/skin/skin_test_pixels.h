// Bitmaps of one colour and checks of chosen pixels, shared by the skin
// painting tests.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <span>

#include "skin/paint_primitives.h"

namespace kelmo::skin::testing_pixels {

// A 24- or 32-bit bitmap of one colour (alpha 255 for 32 bits).
inline QImage Filled(int w, int h, TColor c, int bits = 24) {
  QImage img = bits == 24 ? CreateBmp24(w, h) : CreateBmp32(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      px::PutColor(px::At(img, x, y), c);
      if (bits == 32) px::At(img, x, y)[3] = 255;
    }
  return img;
}

inline void Put(QImage& img, int x, int y, TColor c) {
  px::PutColor(px::At(img, x, y), c);
}

inline TColor Px(const QImage& img, int x, int y) {
  return px::ColorOf(px::At(img, x, y));
}

struct PixelCase {
  int x, y;
  TColor expected;
};

inline void ExpectPixels(const QImage& img, std::span<const PixelCase> cases) {
  for (const PixelCase& c : cases)
    EXPECT_EQ(Px(img, c.x, c.y), c.expected) << "pixel " << c.x << "," << c.y;
}
inline void ExpectPixels(const QImage& img, std::initializer_list<PixelCase> cases) {
  ExpectPixels(img, std::span<const PixelCase>(cases.begin(), cases.size()));
}

}  // namespace kelmo::skin::testing_pixels
