// Money as the program's datasets hold it: a fixed-point amount with four
// decimals (an integer count of ten-thousandths of a rouble). Arithmetic is
// exact; the only rounding is the explicit one to kopecks (halves to even).
#pragma once

#include <QString>
#include <compare>
#include <cstdint>
#include <optional>

namespace kelmo {

class Money {
 public:
  constexpr Money() = default;
  static constexpr Money FromUnits(std::int64_t tenThousandths) { return Money(tenThousandths); }
  static constexpr Money FromRoubles(std::int64_t roubles) { return Money(roubles * 10000); }
  // The nearest amount of four decimals; a half ten-thousandth goes to the
  // even neighbour, as the currency conversion of doubles does.
  static Money FromDouble(double value);
  // Reads "1234", "-0.5", "1 234,56" is refused; "." or "," as separator, at
  // most four decimals (more are rounded halves to even). Empty or garbage
  // gives nothing.
  static std::optional<Money> FromString(const QString& text);

  constexpr std::int64_t units() const { return units_; }
  double ToDouble() const { return static_cast<double>(units_) / 10000.0; }
  // Four decimals with ".": "1234.5000", "-0.0040".
  QString ToString() const;

  // The amount rounded to whole kopecks, halves to the even kopeck
  // (1.2250 → 1.22, 1.2350 → 1.24).
  Money RoundToKopecks() const;

  constexpr Money operator-() const { return Money(-units_); }
  constexpr Money operator+(Money other) const { return Money(units_ + other.units_); }
  constexpr Money operator-(Money other) const { return Money(units_ - other.units_); }
  constexpr Money operator*(std::int64_t factor) const { return Money(units_ * factor); }
  Money& operator+=(Money other) {
    units_ += other.units_;
    return *this;
  }
  Money& operator-=(Money other) {
    units_ -= other.units_;
    return *this;
  }
  constexpr auto operator<=>(const Money&) const = default;

 private:
  constexpr explicit Money(std::int64_t units) : units_(units) {}
  std::int64_t units_ = 0;
};

// value / divisor rounded to the nearest integer, halves to even. divisor > 0.
std::int64_t DivideRoundHalfEven(std::int64_t value, std::int64_t divisor);

}  // namespace kelmo
