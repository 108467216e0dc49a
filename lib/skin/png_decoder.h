// The PNG decoder behind the skin library's PNG picture: checks the
// signature and every chunk's CRC, inflates the image data, undoes the five
// row filters and Adam7 interlacing and converts each row with the colour
// manager into the bitmap's pixel format (1, 4 or 8 bits with a palette, 24
// bits blue-green-red, 32 bits blue-green-red-alpha). Standard C++ and zlib
// only, so it runs in the fuzzing build; the picture class puts its rows
// into a QImage.
//
// Input is untrusted: a header whose sizes overflow or whose image could not
// come out of the rest of the stream (deflate expands at most 1032 times) or
// passes a fixed pixel limit is refused before anything is allocated, and
// image data that ends before the last row is reported.
//
// Cost: one pass over the stream; two row buffers; the rows are inflated
// one at a time straight from the chunk data.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "skin/color_manager.h"
#include "zip/buffered_stream.h"

namespace kelmo::skin {

// Invalid PNG data ("Cannot load image. ...").
class EInvalidGraphic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// Inflate could not start or end: "LZ77 decompression error."
class EGraphicCompression : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The largest picture the decoder accepts.
inline constexpr std::int64_t kMaxPngPixels = std::int64_t(1) << 26;

inline constexpr std::uint32_t kNoKeyColor = 0x1FFFFFFF;

struct PngInfo {
  std::uint8_t Flags = 0;  // bit 0: a valid header; bit 1: the file gives a gamma
  std::uint32_t Width = 0, Height = 0;
  TColorScheme Scheme = TColorScheme::csUnknown;
  std::uint8_t BitDepth = 0;
  std::uint8_t ColorType = 0;
  std::uint8_t SampleCount = 0;
  std::uint8_t PixelBits = 0;
  std::uint8_t Packing = 0;  // 2: zlib
  float Gamma = 1.0f;
  bool IsInterlaced = false;
  bool HasAlphaChannel = false;
  std::uint8_t FilterMethod = 0;
};

// Where the decoded rows go.
class PngRowStore {
 public:
  virtual ~PngRowStore() = default;
  // The bitmap's size and bits per pixel (1, 4, 8, 24 or 32).
  virtual void Allocate(int width, int height, int bits) = 0;
  virtual std::uint8_t* Row(int y) = 0;
};

// A plain bitmap in memory: rows of (width * bits + 7) / 8 bytes.
class PixelBuffer : public PngRowStore {
 public:
  void Allocate(int width, int height, int bits) override;
  std::uint8_t* Row(int y) override { return pixels.data() + std::size_t(y) * std::size_t(stride); }
  const std::uint8_t* Row(int y) const {
    return pixels.data() + std::size_t(y) * std::size_t(stride);
  }
  int width = 0, height = 0, bits = 0, stride = 0;
  std::vector<std::uint8_t> pixels;
};

enum class PngProgressStage { Starting, Running, Ending };
using PngProgress = std::function<void(PngProgressStage, int percent, const std::string& text)>;

// What a load found besides the pixels.
struct PngResult {
  PngInfo Info;
  int Bits = 0;  // of the bitmap
  std::vector<PaletteEntry> Palette;
  std::uint32_t BackColor = 0xFFFFFF;  // red low
  std::uint32_t KeyColor = kNoKeyColor;
  std::vector<std::uint8_t> AlphaTable;  // from tRNS of an indexed image
};

// Reads the PNG at the stream's position into the store; the converter is
// configured from the header (the picture keeps it between loads).
PngResult DecodePng(zip::TStream& stream, PngRowStore& store, TColorManager& converter,
                    const PngProgress& progress = {});

// The header scan alone: signature, IHDR, and the gAMA value when one
// comes before IEND. Raises "Cannot load image. Invalid or unexpected PNG
// image format." for a bad signature, first chunk or zero size.
PngInfo ScanPngHeader(zip::TStream& stream);

// The PNG CRC-32 of a byte range, continuing from crc (start with 0).
std::uint32_t PngCrc(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace kelmo::skin
