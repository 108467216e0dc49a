// Device-independent bitmaps are QImages: 24 bits per pixel as
// Format_BGR888 (blue, green, red in memory), 32 bits as Format_ARGB32
// (blue, green, red, alpha in memory on little-endian machines), top-down
// scan lines. Pixel loops reach the rows through ScanLine.
#pragma once

#include <QImage>
#include <cstdint>

namespace kelmo::winshim {

// A new 24-bit bitmap, zero-filled (black).
QImage CreateDib24(int width, int height);
// A new 32-bit bitmap, zero-filled (black, alpha 0).
QImage CreateDib32(int width, int height);
// A new bitmap with another's size and pixel format, zero-filled.
QImage CreateDibLike(const QImage& other);

// Bits per pixel of a bitmap as the skinning code knows it: 1, 4, 8, 24, 32,
// or 0 for any other format (and for a null image).
int DibBits(const QImage& image);

// Bytes per pixel of a 24- or 32-bit bitmap (3 or 4), 0 otherwise.
inline int DibBytesPerPixel(const QImage& image) {
  const int bits = DibBits(image);
  return bits == 24 ? 3 : bits == 32 ? 4 : 0;
}

// Row y of a bitmap; callers keep y inside the image.
inline std::uint8_t* ScanLine(QImage& image, int y) {
  return image.scanLine(y);
}
inline const std::uint8_t* ScanLine(const QImage& image, int y) {
  return image.constScanLine(y);
}

// Converts a bitmap of any format to 24 or 32 bits (alpha kept for 32).
QImage ConvertDib(const QImage& image, int bits);

}  // namespace kelmo::winshim
