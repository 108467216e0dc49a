// The bitmap primitives every skin painter uses: work bitmaps, copies with a
// key colour, blends by weight, by alpha or through a mask, rotation,
// greying, colour arithmetic, textures, and the exchange by which a painter
// learns what lies behind it.
//
// Bitmaps are QImages of 24 bits (blue, green, red in memory) or 32 bits
// (blue, green, red, alpha); colours are the framework's values (red low).
// Every routine clips to both bitmaps and does nothing for a missing bitmap,
// a format it does not take, or an empty rectangle. Rectangles called
// "inclusive" include their right and bottom edges. Main thread only.
#pragma once

#include <QImage>
#include <array>
#include <cstdint>

#include "skin/skin_data.h"
#include "winshim/dc.h"

class QWidget;

namespace kelmo::skin {

// What lies behind an item: a picture of the parent's background with the
// item's origin in it, or a colour ($FF00FF: none known).
struct TBgSource {
  const QImage* Bitmap = nullptr;
  int X = 0, Y = 0;
  TColor Color = kTransparentKey;
  bool HasBitmap = false;
};
// The empty source: no bitmap, colour 0.
inline constexpr TBgSource kEmptyBgSource{nullptr, 0, 0, 0, false};

// The record of skin command 34: a child asks its parent for its background.
struct TParentBgInfo {
  const QImage* Bitmap = nullptr;
  TColor Color = 0;
  int X = 0, Y = 0;
  Rect ClipRect;
  std::uint8_t Ready = 0;  // 0 unanswered, 1 colour given, 2 bitmap given
  bool PaintFlag = false;
  winshim::Dc* DC = nullptr;
};

QImage CreateBmp24(int width, int height);
QImage CreateBmp32(int width, int height);
QImage CreateBmpLike(const QImage& other);

TColor ColorAsIs(TColor c);
// Per channel c1 * x + c2 * (1 - x), rounded (ties to even); c1's high byte kept.
TColor MixColors(TColor c1, TColor c2, double x);
TColor DesaturateColor(TColor c, int percent);
TColor ShiftColorHue(int degrees, TColor c);
bool LayeredWindowsAvailable();
// 0..255: below 0 gives 0, above 255 gives 255.
inline int ClampByte(int v) {
  return v < 0 ? 0 : v > 255 ? 255 : v;
}

// Copies and blends.
void GreyBmp(QImage& bmp24);
// Channel 0..3 of a 32-bit bitmap into an 8-bit one of the same size, or back.
void CopyBmpChannel(QImage& bmp32, QImage& bmp8, int channel, bool toEightBit);
void CopyBmpWithKey(QImage& target, const QImage& source24, int x, TColor key, int y);
// sourceRect inclusive; 24-bit target and source.
void CopyKeyedRect(QImage& target24, const QImage& source24, int x, const TBgSource& bg, TColor key,
                   Rect sourceRect, int y);
// sourceRect inclusive; key-coloured pixels from the background (fill) or
// left out, or the background's colour when it has no bitmap.
void CopyKeyedRectOverBg(QImage& target, const QImage& source, int x, bool fill,
                         const TBgSource& bg, TColor key, Rect sourceRect, int y);
// sourceRect inclusive; d is the target's share (0 copies the source).
void BlendBmp(QImage& target, int x, int y, TColor key, double d, Rect sourceRect,
              const QImage& source);
void BlendBmpWithColor(QImage& bitmap, TColor color, TColor key, double d);
// Target byte = (target * w + source * (255 - w) + 127) >> 8 over the source
// rect placed at the point.
void BlendBmpRect(QImage& target, const QImage& source, std::uint8_t weight, QPoint point,
                  Rect sourceRect);
void BlendToColorByMask(QImage& bmp24, const QImage& mask24, TColor color);
void BlendRoundRectSteps(QImage& bitmap, Rect rect, int percent, int cornerSize, int steps,
                         TColor color);
// Blends the (32-bit) source rect into the 24-bit target by alpha; see the
// painting notes for tint, transparency, key handling and the reflection.
void AlphaCopyRect(Rect targetRect, Rect sourceRect, QImage& target24, bool reflection,
                   int transparencyPercent, TColor tint, bool fill, const TBgSource& bg,
                   QImage& source);
// A rect of a 24-bit picture blended through its mask rows half the mask's
// R height below.
void BlitMaskFromMaster(Rect targetRect, Rect sourceRect, QImage& target, const TkMaskData& mask,
                        bool fill, const TBgSource& bg, const QImage& source);
void CopyMaskedRect(Rect targetRect, Rect sourceRect, QImage& target, bool fill,
                    const TBgSource& bg, const QImage& source);
// output(32-bit) = B + ((A - B) * w) >> 8 per channel; w the weight or the mask's channel.
void MixBitmaps(QImage& output, const QImage& a, const QImage& b, int weight, const QImage* mask);
void BlendAlphaThroughMask(QImage& target24, const QImage& source32, const QImage& regionMask24,
                           Rect rect);
QImage RotateBitmap90(const QImage& bitmap, bool clockwise);

struct NinePartModes {
  int left = 0, top = 0, right = 0, bottom = 0;  // 0 tile, 1 stretch, else nothing
};
void PaintBmpNinePart(QImage& target, const QImage& source, Rect r, bool centre, int centreMode,
                      NinePartModes sideModes, Rect limits, Rect margins, Rect s);
// kind: 0 plain, 1 second glyph, 2 by state; options: 1 blend when
// disabled, 2 grey when disabled.
void PaintGlyphBmp(const QImage& glyph, QImage& target, Rect rect, int state, int blendPercent,
                   int kind, int options, bool enabled, int glyphCount);

// Textures.
void TilePicture(QImage& canvas, Rect rect, const QImage& picture);
// On return the rect holds the part left uncovered, or (-1, -1, -1, -1).
void PaintTexture(QImage& canvas, Rect& rect, const QImage* picture, int drawMode,
                  const TkMaskData& mask);
void PaintMaskedTexture(QImage& bitmap, Rect& rect, const TBgSource& bg, int drawMode,
                        const TkMaskData& mask);

// Background requests.
bool GetControlBgInfo(TParentBgInfo& info, QWidget* control, bool paint);
TBgSource BgInfoToSource(const TParentBgInfo& info);
TBgSource BgSourceFromBmp(const QImage* bitmap, int x, int y);

// Pixel helpers shared by the painters.
namespace px {
inline int Bpp(const QImage& img) {
  return img.format() == QImage::Format_BGR888 ? 3 : img.format() == QImage::Format_ARGB32 ? 4 : 0;
}
inline std::uint8_t* At(QImage& img, int x, int y) {
  return img.scanLine(y) + x * Bpp(img);
}
inline const std::uint8_t* At(const QImage& img, int x, int y) {
  return img.constScanLine(y) + x * Bpp(img);
}
// The colour of a pixel (red low).
inline TColor ColorOf(const std::uint8_t* p) {
  return TColor(p[2] | p[1] << 8 | p[0] << 16);
}
inline bool IsKey(const std::uint8_t* p, TColor key) {
  return ColorOf(p) == (key & 0xFFFFFF);
}
inline void PutColor(std::uint8_t* p, TColor c) {
  p[0] = std::uint8_t(c >> 16);
  p[1] = std::uint8_t(c >> 8);
  p[2] = std::uint8_t(c);
}
inline bool Inside(const QImage& img, int x, int y) {
  return x >= 0 && y >= 0 && x < img.width() && y < img.height();
}
}  // namespace px

}  // namespace kelmo::skin
