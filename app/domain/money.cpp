// Fixed-point money with four decimals.
#include "money.h"

#include <cmath>

namespace kelmo {

std::int64_t DivideRoundHalfEven(std::int64_t value, std::int64_t divisor) {
  std::int64_t quotient = value / divisor;
  std::int64_t remainder = value % divisor;
  if (remainder < 0) {  // floor division, remainder in [0, divisor)
    remainder += divisor;
    --quotient;
  }
  const std::int64_t twice = remainder * 2;
  if (twice > divisor || (twice == divisor && (quotient % 2) != 0)) ++quotient;
  return quotient;
}

Money Money::FromDouble(double value) {
  return Money(static_cast<std::int64_t>(std::nearbyint(value * 10000.0)));
}

std::optional<Money> Money::FromString(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  qsizetype i = 0;
  bool negative = false;
  if (t.at(0) == QLatin1Char('-') || t.at(0) == QLatin1Char('+')) {
    negative = t.at(0) == QLatin1Char('-');
    ++i;
  }
  std::int64_t whole = 0;
  int wholeDigits = 0;
  for (; i < t.size() && t.at(i).isDigit(); ++i, ++wholeDigits) {
    if (whole > 100'000'000'000'000LL) return std::nullopt;
    whole = whole * 10 + t.at(i).digitValue();
  }
  std::int64_t fraction = 0;  // in 10^-5 units, one extra digit for rounding
  int fractionDigits = 0;
  bool sticky = false;  // digits beyond the fifth
  if (i < t.size() && (t.at(i) == QLatin1Char('.') || t.at(i) == QLatin1Char(','))) {
    ++i;
    for (; i < t.size() && t.at(i).isDigit(); ++i, ++fractionDigits) {
      if (fractionDigits < 5)
        fraction = fraction * 10 + t.at(i).digitValue();
      else if (t.at(i) != QLatin1Char('0'))
        sticky = true;
    }
  }
  if (i != t.size() || (wholeDigits == 0 && fractionDigits == 0)) return std::nullopt;
  for (int d = std::min(fractionDigits, 5); d < 5; ++d) fraction *= 10;
  std::int64_t scaled = whole * 100000 + fraction;  // in 10^-5
  std::int64_t units = DivideRoundHalfEven(scaled * 2 + (sticky ? 1 : 0), 20);
  return Money(negative ? -units : units);
}

QString Money::ToString() const {
  const std::int64_t magnitude = units_ < 0 ? -units_ : units_;
  return QStringLiteral("%1%2.%3")
      .arg(units_ < 0 ? QStringLiteral("-") : QString())
      .arg(magnitude / 10000)
      .arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
}

Money Money::RoundToKopecks() const {
  return Money(DivideRoundHalfEven(units_, 100) * 100);
}

}  // namespace kelmo
