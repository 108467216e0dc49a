// Typed values read straight from a field's bytes: the long numbers.
#include "field_decoding.h"

#include <charconv>
#include <cmath>

namespace kelmo::dbf {

bool ParseFieldNumberSlow(std::string_view s, bool negative, double& value) {
  double v = 0;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::fixed);
  if (ec != std::errc() || ptr != s.data() + s.size()) return false;
  if (!std::isfinite(v)) return false;
  value = negative ? -v : v;
  return true;
}

}  // namespace kelmo::dbf
