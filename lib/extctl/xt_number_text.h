// Number texts of the spin edit: Pascal-style integer and float reading and
// float formatting by a display pattern such as ",0.##".
#pragma once

#include <QChar>
#include <QString>
#include <optional>

namespace XtNumberText {

// A 32-bit integer: leading blanks, an optional sign, then decimal digits, or
// "$"/"0x" and hexadecimal digits; nothing may follow. Empty on failure or
// overflow. O(length).
std::optional<long long> ReadInteger(const QString& text);

// A float with `decimal` as separator: blanks around, sign, digits, fraction,
// exponent. Empty on failure. O(length).
std::optional<long double> ReadFloat(const QString& text, QChar decimal);

// The value by a pattern of '0' (a digit always shown), '#' (a digit shown when
// significant), '.' (the decimal separator) and ',' (thousand grouping); only
// the first ';'-section is used. O(digits).
QString FormatByPattern(const QString& pattern, long double value, QChar decimal, QChar group);

// The locale's separators (first character of each).
QChar DecimalSeparator();
QChar ThousandSeparator();

}  // namespace XtNumberText
