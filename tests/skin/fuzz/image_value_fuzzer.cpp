// Reading arbitrary option values as image descriptions: any text either
// gives a record, gives none, or raises the conversion error.
#include <cstddef>
#include <cstdint>

#include "skin/skin_image_values.h"
#include "skin/skin_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString value = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
  try {
    if (const auto v =
            kelmo::skin::ParseImageValue(QStringLiteral("S"), QStringLiteral("K"), value))
      (void)v->Mask.WL;
  } catch (const kelmo::skin::EConvertError&) {
  }
  return 0;
}
