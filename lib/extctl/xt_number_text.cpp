// Number reading and formatting of the spin edit.
#include "xt_number_text.h"

#include <QLocale>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace XtNumberText {

namespace {

int DigitValue(QChar c, int base) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (base == 16 && u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (base == 16 && u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

}  // namespace

std::optional<long long> ReadInteger(const QString& text) {
  int i = 0;
  const int n = text.size();
  while (i < n && text[i] == QLatin1Char(' ')) ++i;
  bool negative = false;
  if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
    negative = text[i] == QLatin1Char('-');
    ++i;
  }
  int base = 10;
  if (i < n && text[i] == QLatin1Char('$')) {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == QLatin1Char('0') &&
             (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
    base = 16;
    i += 2;
  }
  if (i >= n) return std::nullopt;
  unsigned long long value = 0;
  for (; i < n; ++i) {
    const int d = DigitValue(text[i], base);
    if (d < 0) return std::nullopt;
    value = value * base + static_cast<unsigned>(d);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (base == 10) {
    const long long v = negative ? -static_cast<long long>(value) : static_cast<long long>(value);
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
      return std::nullopt;
    return v;
  }
  // Hexadecimal texts fill the 32 bits, as "$FFFFFFFF" is -1.
  long long v = static_cast<int>(static_cast<unsigned>(value));
  return negative ? -v : v;
}

std::optional<long double> ReadFloat(const QString& text, QChar decimal) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  std::string ascii;
  ascii.reserve(t.size());
  for (QChar c : t) {
    if (c == decimal)
      ascii.push_back('.');
    else if (c.unicode() < 128 && (c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-') ||
                                   c == QLatin1Char('e') || c == QLatin1Char('E')))
      ascii.push_back(static_cast<char>(c.unicode()));
    else
      return std::nullopt;
  }
  // The grammar is checked by hand so that strtold's "inf", "nan" and hex
  // forms never slip through.
  size_t i = 0;
  if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) ++i;
  size_t digits = 0;
  while (i < ascii.size() && std::isdigit(static_cast<unsigned char>(ascii[i]))) ++i, ++digits;
  if (i < ascii.size() && ascii[i] == '.') {
    ++i;
    while (i < ascii.size() && std::isdigit(static_cast<unsigned char>(ascii[i]))) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < ascii.size() && (ascii[i] == 'e' || ascii[i] == 'E')) {
    ++i;
    if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) ++i;
    size_t exp = 0;
    while (i < ascii.size() && std::isdigit(static_cast<unsigned char>(ascii[i]))) ++i, ++exp;
    if (exp == 0) return std::nullopt;
  }
  if (i != ascii.size()) return std::nullopt;
  const long double v = std::strtold(ascii.c_str(), nullptr);
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

QString FormatByPattern(const QString& pattern, long double value, QChar decimal, QChar group) {
  QString section = pattern.section(QLatin1Char(';'), 0, 0);
  const int dot = section.indexOf(QLatin1Char('.'));
  const QString intPart = dot < 0 ? section : section.left(dot);
  const QString fracPart = dot < 0 ? QString() : section.mid(dot + 1);
  const bool grouping = intPart.contains(QLatin1Char(','));
  const int minInt = intPart.count(QLatin1Char('0'));
  const int minFrac = fracPart.count(QLatin1Char('0'));
  const int maxFrac = minFrac + fracPart.count(QLatin1Char('#'));
  QString digits = QString::number(static_cast<double>(std::fabs(value)), 'f', maxFrac);
  QString whole = digits, frac;
  const int p = digits.indexOf(QLatin1Char('.'));
  if (p >= 0) {
    whole = digits.left(p);
    frac = digits.mid(p + 1);
  }
  while (frac.size() > minFrac && frac.endsWith(QLatin1Char('0'))) frac.chop(1);
  if (whole == QLatin1String("0") && minInt == 0) whole.clear();
  while (whole.size() < minInt) whole.prepend(QLatin1Char('0'));
  if (grouping) {
    for (int i = whole.size() - 3; i > 0; i -= 3) whole.insert(i, group);
  }
  QString result = whole;
  if (!frac.isEmpty()) result += decimal + frac;
  bool allZero = true;
  for (QChar c : result)
    if (c.isDigit() && c != QLatin1Char('0')) allZero = false;
  if (value < 0 && !allZero) result.prepend(QLatin1Char('-'));
  return result;
}

QChar DecimalSeparator() {
  const QString s = QLocale().decimalPoint();
  return s.isEmpty() ? QLatin1Char('.') : s.at(0);
}

QChar ThousandSeparator() {
  const QString s = QLocale().groupSeparator();
  return s.isEmpty() ? QLatin1Char(',') : s.at(0);
}

}  // namespace XtNumberText
