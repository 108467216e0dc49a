// Text and date helpers of the expression language: case mapping of the
// user's code page (1251), locale comparison, the wildcard match and the
// julian day numbers that dates are inside the engine (day number = date
// serial + 2415019). Dates are written dd.mm.yyyy whatever the locale.
// None of these raise except TextToJulian, which raises EDbfExpression
// "Invalid date" for a text that is no date. Each is linear in its text.
#pragma once

#include <cstdint>
#include <string>

namespace kelmo::dbf::exptools {

inline constexpr int32_t kDaySerialOffset = 2415019;
// The locale's short date format, its year widened to four digits.
inline constexpr const char* kLocaleDateFormat = "DD.MM.YYYY";

std::string UpperText(std::string text);
std::string LowerText(std::string text);
// Case-sensitive comparison: -1, 0 or 1 (unsigned bytes, shorter first).
int LocaleCompare(const std::string& a, const std::string& b);
// Position (from 1) of the pattern's fixed part in the text, 0 for no match;
// "*" at either end and "?" are special.
int WildcardPos(std::string pattern, std::string text);

// The day number of a date value as expressions compute it: 0 (the empty
// date) for NaN, for the empty-date mark and for any number outside
// 01.01.0001 to 31.12.9999, so that no out-of-range number reaches an int.
int32_t DayOfDateValue(double value);
// "yyyymmdd" (an impossible one gives 2415019) or "dd.mm.yyyy"; empty text
// or "00000000" gives 0; anything else raises EDbfExpression.
int32_t TextToJulian(const std::string& text);

}  // namespace kelmo::dbf::exptools
