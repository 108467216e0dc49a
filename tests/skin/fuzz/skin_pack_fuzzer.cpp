// Arbitrary bytes as a packed skin: the reader must raise or unpack, never
// read out of bounds or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "skin/skin_pack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelmo::skin::TkaSkinConvertor convertor;
  convertor.SetOwnedPackedData(
      std::make_unique<kelmo::zip::TMemoryStream>(std::vector<std::uint8_t>(data, data + size)));
  try {
    convertor.ReadPackedData();
  } catch (const std::exception&) {
  }
  return 0;
}
