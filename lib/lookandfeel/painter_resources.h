// The bitmaps and measurements the painters share: the radio-button images
// of the four non-native looks (128, built pixel by pixel from the radio
// shape and rebuilt when the system colours change), the row-indicator
// images, the two 8 by 8 scroll-track patterns and the check-box size. All
// images are our own, made by code.
#pragma once

#include <QImage>
#include <QSize>
#include <memory>
#include <vector>

#include "lookandfeel/canvas.h"
#include "lookandfeel/look_and_feel.h"

namespace kelmo::le {

enum ElementState : std::uint8_t;

// The radio shape measured once: the cell, the circle in it and the dot.
struct RadioMeasure {
  int cellWidth = 13, cellHeight = 13;
  int circleLeft = 0, circleTop = 0, circleWidth = 13, circleHeight = 13;
  int dotLeft = 4, dotTop = 4, dotRight = 9, dotBottom = 9;
};
const RadioMeasure& RadioMeasurements();

class TleRadioButtonImageList {
 public:
  TleRadioButtonImageList();
  // Draws the image for the look, state and flags at (x, y): transparent
  // outside the circle, or on the background colour unless it is clDefault.
  void DrawRadioImage(TleCanvas& c, int x, int y, TColor background, TleLookAndFeelKind kind,
                      ElementState state, bool checked, bool focused, bool marked);
  QSize RadioImageSize() const;
  void RebuildRadioImages();
  int ImageCount() const { return static_cast<int>(images_.size()); }
  // The pattern codes: 0 outside, 1/2 outline, 3/4 inner ring, 5 body, 6 dot.
  const std::vector<std::vector<int>>& Pattern() const { return pattern_; }
  // The colour of the code for the look and state (Part of the look's rules).
  static ColorRef ColorOfCode(int code, TleLookAndFeelKind kind, ElementState state, bool checked,
                              bool focused, bool marked);

 private:
  void BuildRadioImages();
  std::vector<std::vector<int>> pattern_;
  QImage mask_;
  std::vector<QImage> images_;
  std::vector<int> indexMap_;
};

// The shared radio images, made on first use; null before start-up.
TleRadioButtonImageList& SharedRadioImages();
bool RadioImagesExist();

// Indicator images 0..4 (arrow, edit, insert, multi-dot, multi-arrow).
const QImage& IndicatorImage(int index);
// The scroll-track patterns, normal and pressed.
const QImage& ScrollPatternBitmap(bool pressed);
QSize CheckBoxSize();

// Start-up and close-down of the painter module's resources.
void StartPainterResources();
void StopPainterResources();

}  // namespace kelmo::le
