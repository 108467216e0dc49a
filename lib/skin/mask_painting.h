// Direct access to the pixels of 24- and 32-bit bitmaps, the two-bitmap
// blender, whole-rect colour effects, and the painting of skin masks:
// PaintMask stretches a state image over any rect in nine parts,
// PaintMaskImage places one at a point, BlitTextureTile draws one texture
// tile, UpdateCorners lets a control's transparent corners show its
// parent's background.
//
// A mask is a rect of a bitmap (its own or the skin's master bitmap) with
// one image per state side by side and, for MaskType 1, the mask half below
// saying per pixel and channel how much of what lies behind shows through.
// Pixels of the key colour $FF00FF are transparent. Main thread only.
#pragma once

#include <QImage>
#include <stdexcept>

#include "skin/paint_primitives.h"
#include "skin/skin_data.h"

class QWidget;

namespace kelmo::skin {

class TkCommonData;

// The framework's assertion failure.
class EAssertionFailed : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Pixel access without bounds checks: callers keep x and y inside the size
// at attach time.
class TkaFast24 {
 public:
  // False (and PixWidth 0) for no bitmap or one below 2 x 2; raises
  // "Bitmap format is not supported" for a bitmap that is not 24-bit.
  bool Attach(QImage* bitmap);
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor c);
  QImage* Target = nullptr;
  int PixWidth = 0, PixHeight = 0, RowStride = 0;
  std::uint8_t* FirstRow = nullptr;
};

class TkaFast32 {
 public:
  bool Attach(QImage* bitmap);
  // The colour with the alpha byte in the high byte.
  std::uint32_t Pixel(int x, int y) const;
  void SetPixel(int x, int y, std::uint32_t value);
  // Stores the 32-bit pixel value (memory order) over the rect.
  void FillRect(const Rect& r, std::uint32_t pixel);
  QImage* Target = nullptr;
  int PixWidth = 0, PixHeight = 0, RowStride = 0;
  std::uint8_t* FirstRow = nullptr;
};

// Blends SrcBitmap into DstBitmap over DstRect: destination byte =
// (destination * Weight + source * (255 - Weight) + 127) >> 8, the source
// pixel counted from SrcRect's left and bottom.
template <int BytesPerPixel>
class TkaFastSum {
 public:
  bool Attach(const QImage* source, QImage* destination);
  void BlendRect();
  const QImage* SrcBitmap = nullptr;
  QImage* DstBitmap = nullptr;
  int CommonWidth = 0, CommonHeight = 0;
  std::uint8_t Weight = 0;
  Rect DstRect, SrcRect;
};
using TkaFastSum24 = TkaFastSum<3>;
using TkaFastSum32 = TkaFastSum<4>;

// The 32-bit pixel of a colour: blue, green, red in memory, alpha 255.
std::uint32_t ColorToPixel32(TColor c);
void FillLongs(std::uint32_t* address, int count, std::uint32_t value);
void FillBitmapRect32(QImage& bitmap, const Rect& rect, TColor color);
// Each channel = round(f * channel + (1 - f) * the colour's), f = percent / 100,
// over the rect with its right and bottom edges included (clipped).
void MixColorIntoRect(QImage& bitmap, Rect rect, int percent, TColor color);
// Option bit 1 greys the glyph; bit 0 blends the background in.
void ApplyDisabledLook(QImage& glyph, int options, QWidget* control, QPoint point,
                       const TBgSource& bg);
// Copies source pixels into the target where the reference image (the
// mask's corner, or the target itself for mask index -1) is transparent.
void CopyTransparentPixels(QImage& target, const QImage& source, Rect rect, int corner,
                           const TkSkinManager* manager, int maskIndex, QPoint point);

void PaintMask(QImage& bitmap, Rect rect, int state, const TkMaskData& mask, const TBgSource& bg,
               bool cornersFromBg, bool fillCentre);
// Mode 1 paints normally; other modes the faded look.
void PaintMaskImage(QImage& bitmap, QPoint point, int state, const TkMaskData& mask,
                    const TBgSource& bg, int mode);
// Inclusive rects.
void BlendStateImage(Rect targetRect, Rect sourceRect, QImage& bitmap, const TkMaskData& mask,
                     int mode, const QImage& source);
void BlitTextureTile(Rect targetRect, Rect sourceRect, QImage& bitmap, const TkMaskData& mask,
                     const TBgSource& bg);
// Corner set: bit 0 top-left, 1 bottom-left, 2 top-right, 3 bottom-right.
void UpdateCorners(TkCommonData& link, int state, int corners);
inline void UpdateAllCorners(TkCommonData& link, int state) {
  UpdateCorners(link, state, 15);
}

}  // namespace kelmo::skin
