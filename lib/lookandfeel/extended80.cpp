// Conversion between doubles and the 80-bit extended format.
#include "lookandfeel/extended80.h"

#include <bit>
#include <cmath>
#include <limits>

namespace kelmo::le {

Extended80 DoubleToExtended(double v) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  const bool negative = (bits >> 63) != 0;
  const int exp = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t frac = bits & ((std::uint64_t{1} << 52) - 1);
  std::uint16_t e80 = 0;
  std::uint64_t mant = 0;
  if (exp == 0x7FF) {  // infinity or NaN
    e80 = 0x7FFF;
    mant = (std::uint64_t{1} << 63) | (frac << 11);
  } else if (exp == 0 && frac == 0) {  // zero
    e80 = 0;
    mant = 0;
  } else if (exp == 0) {                      // subnormal: normalise
    int shift = std::countl_zero(frac) - 11;  // bring the top bit to bit 52
    frac <<= shift;
    e80 = static_cast<std::uint16_t>(1 - 1023 - shift + 16383);
    mant = frac << 11;
  } else {
    e80 = static_cast<std::uint16_t>(exp - 1023 + 16383);
    mant = (std::uint64_t{1} << 63) | (frac << 11);
  }
  if (negative) e80 |= 0x8000;
  Extended80 out{};
  for (int i = 0; i < 8; ++i)
    out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(mant >> (8 * i));
  out[8] = static_cast<std::uint8_t>(e80);
  out[9] = static_cast<std::uint8_t>(e80 >> 8);
  return out;
}

double ExtendedToDouble(const Extended80& e) {
  std::uint64_t mant = 0;
  for (int i = 0; i < 8; ++i)
    mant |= static_cast<std::uint64_t>(e[static_cast<std::size_t>(i)]) << (8 * i);
  const std::uint16_t se = static_cast<std::uint16_t>(e[8] | e[9] << 8);
  const bool negative = (se & 0x8000) != 0;
  const int exp = se & 0x7FFF;
  double r;
  if (exp == 0x7FFF) {
    r = (mant << 1) == 0 ? std::numeric_limits<double>::infinity()
                         : std::numeric_limits<double>::quiet_NaN();
  } else if (mant == 0) {
    r = 0;
  } else {
    // value = mant * 2^(exp - 16383 - 63). Keep the top 64 bits normalised,
    // round the significand to the bits the result can hold, then scale.
    int e2 = (exp == 0 ? 1 : exp) - 16383 - 63;
    int lead = std::countl_zero(mant);
    mant <<= lead;
    e2 -= lead;
    // The double exponent of the leading bit is e2 + 63; below -1022 the
    // result is subnormal and holds fewer bits.
    int top = e2 + 63;
    int keep = 53;
    if (top < -1022) keep = 53 - (-1022 - top);
    if (keep <= 0) {
      // Below half of the smallest subnormal, or exactly/over it.
      if (keep == 0 && mant > (std::uint64_t{1} << 63)) {
        r = std::ldexp(1.0, -1074);
      } else {
        r = 0;
      }
    } else {
      int drop = 64 - keep;
      std::uint64_t kept = mant >> drop;
      std::uint64_t rest = drop ? mant << (64 - drop) : 0;
      const std::uint64_t half = std::uint64_t{1} << 63;
      if (rest > half || (rest == half && (kept & 1))) ++kept;
      r = std::ldexp(static_cast<double>(kept), e2 + drop);
    }
  }
  return negative ? -r : r;
}

}  // namespace kelmo::le
