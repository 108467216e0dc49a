// Numbers as the parts of a package write them, read strictly: a part whose
// number does not read whole (a row "1e3", an index past its limit, a value
// "nan", "inf" or "1e400") is damaged, never taken in part or wrapped round.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelmo::workbook {

// Decimal digits only, at most `limit`.
std::optional<uint32_t> ReadIndex(std::string_view text, uint32_t limit);
// A finite decimal number ("12", "-0.5", "1.25E-3"; a leading "+" and blanks
// around are allowed); nothing for anything else.
std::optional<double> ReadFinite(std::string_view text);

}  // namespace kelmo::workbook
