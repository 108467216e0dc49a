// A canvas over a fresh QImage for the painting tests, with pixel reads in
// colour references and the classic system colours pinned.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "lookandfeel/canvas.h"
#include "qt_test_application.h"
#include "winshim/system_profile.h"

namespace kelmo::le::test {

inline constexpr ColorRef kPaper = 0x123456;  // a colour no painter uses

class PaintFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    winshim::ResetSystemProfile();
    Reset(64, 48);
  }
  void TearDown() override {
    canvas_.reset();
    dc_.reset();
    winshim::ResetSystemProfile();
  }
  void Reset(int w, int h) {
    canvas_.reset();
    dc_.reset();
    image_ = QImage(w, h, QImage::Format_ARGB32);
    image_.fill(QColor(0x56, 0x34, 0x12));
    dc_ = std::make_unique<winshim::Dc>(image_);
    canvas_ = std::make_unique<TleCanvas>(*dc_);
  }
  ColorRef Px(int x, int y) const { return winshim::FromQColor(image_.pixelColor(x, y)); }
  static ColorRef C(TColor c) { return ResolveColor(c); }
  // Every pixel of the rectangle has the colour.
  ::testing::AssertionResult Filled(const Rect& r, TColor c) const {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        if (Px(x, y) != C(c)) {
          return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex
                                               << Px(x, y) << ", not " << C(c);
        }
      }
    }
    return ::testing::AssertionSuccess();
  }
  // Count of pixels of the image with the colour.
  int Count(TColor c) const {
    int n = 0;
    for (int y = 0; y < image_.height(); ++y) {
      for (int x = 0; x < image_.width(); ++x) n += Px(x, y) == C(c);
    }
    return n;
  }
  TleCanvas& Canvas() { return *canvas_; }

  QImage image_;
  std::unique_ptr<winshim::Dc> dc_;
  std::unique_ptr<TleCanvas> canvas_;
};

}  // namespace kelmo::le::test
