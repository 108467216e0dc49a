// The 80-bit extended floating format of the stream layouts (sign, 15-bit
// exponent biased by 16383, 64-bit significand with its integer bit),
// converted to and from doubles without relying on the host's long double.
#pragma once

#include <array>
#include <cstdint>

namespace kelmo::le {

using Extended80 = std::array<std::uint8_t, 10>;  // little-endian bytes

// Exact: every double has an extended form.
Extended80 DoubleToExtended(double v);
// Rounds to the nearest double (ties to even); values beyond the double range
// become infinities, tiny ones subnormals or zero; NaNs stay NaNs.
double ExtendedToDouble(const Extended80& e);

}  // namespace kelmo::le
