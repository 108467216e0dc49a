// Arbitrary bytes as a stored value: the first byte picks the value type (or
// the bare tagged variant), the rest is the stream. The reader must raise or
// read, never read out of bounds or allocate without bound, and whatever it
// read must write back.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "lookandfeel/value_types.h"
#include "lookandfeel/variant_streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  using namespace kelmo::le;
  kelmo::zip::TMemoryStream in(std::vector<std::uint8_t>(data + 1, data + size));
  kelmo::zip::TMemoryStream out;
  const auto types = AllValueTypes();
  const std::size_t pick = data[0] % (types.size() + 1);
  try {
    if (pick == types.size()) {
      Variant v = StreamReadVariant(in);
      StreamWriteVariant(out, v);
      (void)CompareVariantValues(v, v);
    } else {
      const TleValueType& t = *types[pick];
      alignas(8) std::uint8_t buffer[64] = {};
      try {
        t.LoadValue(buffer, in);
        t.SaveValue(buffer, out);
        (void)t.DisplayTextOf(buffer);
        (void)t.CompareData(buffer, buffer);
      } catch (...) {
        t.ReleaseData(buffer);
        throw;
      }
      t.ReleaseData(buffer);
    }
  } catch (const std::exception&) {
  }
  return 0;
}
