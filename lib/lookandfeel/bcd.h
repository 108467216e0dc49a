// The framework's binary-coded decimal record (34 bytes): a precision, a
// byte holding the sign (bit 7) and the count of places after the point
// (low six bits), and 64 decimal digits packed two to a byte, most
// significant first. Conversions to and from text are exact; everything is
// linear in the digit count.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelmo::le {

struct TBcd {
  std::uint8_t Precision = 0;
  std::uint8_t SignSpecialPlaces = 0;
  std::uint8_t Fraction[32] = {};
};
static_assert(sizeof(TBcd) == 34);

inline constexpr int kMaxBcdDigits = 64;

// Parses "[-]digits[.digits]" (the point or a comma); false for anything
// else or more than 64 digits.
bool TryStrToBcd(std::string_view text, TBcd& out);
// Canonical text: no leading zeros before the point, no trailing zeros after
// it, "0" for zero, '.' as the point.
std::string BcdToStr(const TBcd& bcd);
// The decimal value of an integer or a double (17 significant digits at most).
TBcd BcdFromInt64(std::int64_t v);
TBcd BcdFromDouble(double v);
double BcdToDouble(const TBcd& bcd);
// Negative, 0 or positive as a is below, equal to or above b.
int BcdCompare(const TBcd& a, const TBcd& b);

}  // namespace kelmo::le
