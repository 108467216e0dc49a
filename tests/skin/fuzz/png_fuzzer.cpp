// Arbitrary bytes as a PNG file: the decoder must raise or decode, never
// read out of bounds or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "skin/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelmo::zip::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  kelmo::skin::TColorManager converter;
  kelmo::skin::PixelBuffer pixels;
  try {
    kelmo::skin::DecodePng(stream, pixels, converter);
  } catch (const std::exception&) {
  }
  return 0;
}
