// Decimal digits of numbers for index keys. Layer: index keys, below the
// formats that store numbers as text or decimal digits.
#include "decimal_digits.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace kelmo::dbf {

namespace {

// The powers of ten a double holds exactly.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kLargestExactPower = 22;

// A scaled number below 2^40 is off its exact value by at most 2^-14, so a
// fraction further than kTieMargin from one half rounds as the exact value
// does; the others (ties and near-ties) are left to std::to_chars.
constexpr double kScaledLimit = 1099511627776.0;
constexpr double kTieMargin = 1.0 / 4096;

// The digits of n, most significant first, ending at end; answers where
// they begin.
char* WriteDigitsBackwards(uint64_t n, char* end) {
  do {
    *--end = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n);
  return end;
}

}  // namespace

size_t FixedDecimalText(double magnitude, int decimals, char* out, size_t size) {
  const double scaled = magnitude * kPowersOfTen[decimals];
  if (scaled >= 0 && scaled < kScaledLimit) {
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) > kTieMargin) {
      uint64_t n = static_cast<uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
      char text[48];
      char* end = text + sizeof text;
      char* begin = end;
      for (int i = 0; i < decimals; ++i) {
        *--begin = static_cast<char>('0' + n % 10);
        n /= 10;
      }
      if (decimals > 0) *--begin = '.';
      begin = WriteDigitsBackwards(n, begin);
      const size_t length = static_cast<size_t>(end - begin);
      if (length > size) return 0;
      std::memcpy(out, begin, length);
      return length;
    }
  }
  auto result = std::to_chars(out, out + size, magnitude, std::chars_format::fixed, decimals);
  return result.ec == std::errc() ? static_cast<size_t>(result.ptr - out) : 0;
}

int SignificantDecimalDigits(double magnitude, char digits[15], int& exponent) {
  // A decimal x = m x 10^-k of at most 15 digits is what a number rounds to
  // at 15 digits when the number is the double nearest to x or the one next
  // to it: both lie within 1.5 units of their last place of x, which is less
  // than half a unit of the 15th digit. Numbers read back from decimal
  // digits are often the one next to it.
  uint64_t bits;
  std::memcpy(&bits, &magnitude, 8);
  for (int k = 0; k <= kLargestExactPower; ++k) {
    const double scaled = magnitude * kPowersOfTen[k];
    if (scaled >= 1e15) break;
    const double whole = std::nearbyint(scaled);
    if (whole < 1 || whole >= 1e15) continue;
    const double nearest = whole / kPowersOfTen[k];
    uint64_t nearestBits;
    std::memcpy(&nearestBits, &nearest, 8);
    if (nearestBits - bits + 1 <= 2) {
      char text[20];
      char* end = text + sizeof text;
      const char* begin = WriteDigitsBackwards(static_cast<uint64_t>(whole), end);
      exponent = static_cast<int>(end - begin) - k;
      while (end[-1] == '0') --end;
      const int count = static_cast<int>(end - begin);
      std::memcpy(digits, begin, static_cast<size_t>(count));
      return count;
    }
  }
  // d.dddddddddddddde±XX
  char text[40] = {};
  std::to_chars(text, text + sizeof text - 1, magnitude, std::chars_format::scientific, 14);
  digits[0] = text[0];
  std::memcpy(digits + 1, text + 2, 14);
  exponent = std::atoi(std::strchr(text, 'e') + 1) + 1;
  int count = 15;
  while (count > 0 && digits[count - 1] == '0') --count;
  return count;
}

}  // namespace kelmo::dbf
