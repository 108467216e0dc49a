// Decimal digits of index keys: the same text std::to_chars writes, for
// numbers with few decimals, numbers at and near rounding ties, very large and
// very small numbers and arbitrary bit patterns.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "dbf/decimal_digits.h"

using namespace kelmo::dbf;

namespace {

// Non-negative finite numbers of every kind the keys meet.
std::vector<double> Numbers() {
  std::vector<double> out = {0.0,
                             0.5,
                             1.5,
                             2.5,
                             0.125,
                             0.005,
                             1.005,
                             2.675,
                             1e-7,
                             1e-300,
                             5e-324,
                             1e15,
                             1e16,
                             1e22,
                             1e23,
                             1e300,
                             1.7976931348623157e308,
                             999999999999999.0,
                             0.1,
                             0.7,
                             99999999.995,
                             4503599627370496.5,
                             1099511627775.5};
  std::mt19937_64 rng(3);
  for (int i = 0; i < 60000; ++i) {
    // Amounts with 0 to 6 decimals, exact halves of the last decimal, and
    // arbitrary bit patterns.
    const double scale = std::pow(10.0, static_cast<int>(rng() % 7));
    out.push_back(static_cast<double>(rng() % 100000000000ull) / scale);
    out.push_back((static_cast<double>(rng() % 1000000) + 0.5) / scale);
    // Amounts off by one and two units in the last place.
    const double amount = static_cast<double>(rng() % 10000000000000ull) / scale;
    for (int steps : {1, 2}) {
      double up = amount, down = amount;
      for (int i = 0; i < steps; ++i) {
        up = std::nextafter(up, 1e308);
        down = std::nextafter(down, 0.0);
      }
      out.push_back(up);
      out.push_back(down);
    }
    uint64_t bits = rng() & 0x7FFFFFFFFFFFFFFFull;
    double any;
    std::memcpy(&any, &bits, 8);
    if (std::isfinite(any)) out.push_back(any);
  }
  return out;
}

TEST(DecimalDigits, FixedTextIsToCharsText) {
  for (double v : Numbers()) {
    for (int decimals : {0, 1, 2, 4, 18}) {
      char want[400], got[400];
      auto r = std::to_chars(want, want + sizeof want, v, std::chars_format::fixed, decimals);
      ASSERT_EQ(std::string(got, FixedDecimalText(v, decimals, got, sizeof got)),
                std::string(want, r.ptr))
          << v << " with " << decimals << " decimals";
    }
  }
  // Too long for the buffer.
  char small[4];
  EXPECT_EQ(FixedDecimalText(12345.0, 2, small, sizeof small), 0u);
}

TEST(DecimalDigits, SignificantDigitsAreToCharsDigits) {
  for (double v : Numbers()) {
    if (v == 0) continue;
    char text[40] = {};
    std::to_chars(text, text + sizeof text - 1, v, std::chars_format::scientific, 14);
    std::string want = std::string(1, text[0]) + std::string(text + 2, 14);
    while (want.back() == '0') want.pop_back();
    const int wantExponent = std::atoi(std::strchr(text, 'e') + 1) + 1;
    char digits[15];
    int exponent = 0;
    const int count = SignificantDecimalDigits(v, digits, exponent);
    ASSERT_EQ(std::string(digits, static_cast<size_t>(count)), want) << v;
    ASSERT_EQ(exponent, wantExponent) << v;
  }
}

}  // namespace
