// Decimal digits of numbers for the index keys that store numbers as text
// (.ntx) or as decimal digits (.mdx): the same digits std::to_chars gives,
// found without it for the numbers tables mostly hold (few decimals, at most
// 15 significant digits), since a build forms one key per record.
//
// Cost: a few multiplications for such numbers; std::to_chars for others.
#pragma once

#include <cstddef>

namespace kelmo::dbf {

// A non-negative finite number in fixed notation with decimals (0..18)
// digits after the point, exactly as std::to_chars(fixed, decimals) writes
// it, into out; answers the length, 0 when it does not fit size bytes.
size_t FixedDecimalText(double magnitude, int decimals, char* out, size_t size);

// A positive finite number rounded to 15 significant digits as
// std::to_chars(scientific, 14) rounds it: the digits (as '0'..'9', trailing
// zeros dropped) into digits, their count as the answer, and the decimal
// exponent e with the number = 0.d1d2d3... x 10^e.
int SignificantDecimalDigits(double magnitude, char digits[15], int& exponent);

}  // namespace kelmo::dbf
