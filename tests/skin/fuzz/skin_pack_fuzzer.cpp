// Arbitrary bytes as a packed skin whose options text is loaded, and as an
// options text itself: the readers must raise their own errors or load,
// never read out of bounds, allocate without bound or follow a
// PARENTCLASS chain without end.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <vector>

#include "skin/skin_loading.h"
#include "skin/skin_pack.h"

namespace {

void Load(std::span<const std::uint8_t> bytes) {
  using namespace kelmo::skin;
  try {
    TkSkinManager manager;
    TkSkinData data;
    LoadAllGeneralData(SkinOptionsIni::FromBytes(bytes), manager, data);
  } catch (const std::exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Load(std::span(data, size));
  kelmo::skin::TkaSkinConvertor convertor;
  convertor.SetOwnedPackedData(
      std::make_unique<kelmo::zip::TMemoryStream>(std::vector<std::uint8_t>(data, data + size)));
  try {
    convertor.ReadPackedData();
  } catch (const std::exception&) {
    return 0;
  }
  if (convertor.OptionsData) Load(convertor.OptionsData->Data());
  return 0;
}
