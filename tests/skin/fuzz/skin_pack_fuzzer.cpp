// Arbitrary bytes as a packed skin whose options text is loaded, and as an
// options text itself (its keys listed and read as image values, its lines
// merged as common sections): the readers must raise their own errors or load,
// never read out of bounds, allocate without bound or follow a
// PARENTCLASS chain without end.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <vector>

#include "skin/skin_image_values.h"
#include "skin/skin_loading.h"
#include "skin/skin_pack.h"

namespace {

void Load(std::span<const std::uint8_t> bytes) {
  using namespace kelmo::skin;
  try {
    const SkinOptionsIni ini = SkinOptionsIni::FromBytes(bytes);
    TkSkinManager manager;
    TkSkinData data;
    LoadAllGeneralData(ini, manager, data);
    // Every key as written, as the image loading walks them.
    for (const QString& section : ini.Sections())
      for (const QString& key : ini.Keys(section)) {
        try {
          ParseImageValue(section, key, ini.ReadString(section, key, QString()));
        } catch (const EConvertError&) {
        }
      }
    // The same text as the program's common sections.
    const QStringList lines =
        QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
            .split(QLatin1Char('\n'));
    MergeCommonSections(manager.gd, lines);
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
