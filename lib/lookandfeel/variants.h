// The variant of the editors library's data store: a value that carries its
// own type (numbers of several widths, currency, date-time, byte and wide
// strings, Booleans, BCD numbers, SQL time stamps and one-dimensional arrays
// of variants), with the conversions and the three-way comparison the value
// types and the stream format rely on.
//
// Conversions that cannot be made raise EVariantError; the comparison turns
// that error into "less". Everything is linear in the size of the values.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "lookandfeel/bcd.h"

namespace kelmo::le {

// Variant type codes. The BCD and SQL time-stamp codes are the ones this
// library registers for those two custom kinds.
enum VarType : std::uint16_t {
  varEmpty = 0,
  varNull = 1,
  varSmallint = 2,
  varInteger = 3,
  varSingle = 4,
  varDouble = 5,
  varCurrency = 6,
  varDate = 7,
  varOleStr = 8,
  varBoolean = 11,
  varVariant = 12,
  varShortInt = 16,
  varByte = 17,
  varWord = 18,
  varLongWord = 19,
  varInt64 = 20,
  varString = 0x100,
  varSQLTimeStamp = 0x10F,
  varFMTBcd = 0x110,
  varArray = 0x2000,
};

// A conversion between variant kinds that cannot be made.
class EVariantError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An SQL time stamp; Fractions are milliseconds.
struct TSQLTimeStamp {
  std::int16_t Year = 0;
  std::uint16_t Month = 0;
  std::uint16_t Day = 0;
  std::uint16_t Hour = 0;
  std::uint16_t Minute = 0;
  std::uint16_t Second = 0;
  std::uint32_t Fractions = 0;
  bool operator==(const TSQLTimeStamp&) const = default;
};

// Days since 30 December 1899, the time of day as the fraction (negative
// dates keep a positive time part, as the framework counts them).
double SQLTimeStampToDateTime(const TSQLTimeStamp& ts);
TSQLTimeStamp DateTimeToSQLTimeStamp(double dt);

// a - b taken in 64 bits and kept within int, for comparisons that answer a
// difference: the sign is always right, even for values 2^31 or more apart,
// and a difference that fits is answered as it is.
inline int ClampedDifference(std::int64_t a, std::int64_t b) {
  const std::int64_t d = a - b;
  return d > INT32_MAX ? INT32_MAX : (d < -INT32_MAX ? -INT32_MAX : static_cast<int>(d));
}

class Variant {
 public:
  Variant() = default;  // Empty
  static Variant Null();
  static Variant ShortInt(std::int8_t v);
  static Variant Byte(std::uint8_t v);
  static Variant Smallint(std::int16_t v);
  static Variant Word(std::uint16_t v);
  static Variant Integer(std::int32_t v);
  static Variant LongWord(std::uint32_t v);
  static Variant Int64(std::int64_t v);
  static Variant Single(float v);
  static Variant Double(double v);
  // The value times 10000.
  static Variant Currency(std::int64_t scaled);
  static Variant Date(double days);
  static Variant Boolean(bool v);
  static Variant String(std::string bytes);
  static Variant OleStr(std::u16string text);
  static Variant Bcd(const TBcd& v);
  static Variant SQLTimeStamp(const TSQLTimeStamp& v);
  // A one-dimensional array with bounds low .. low + count - 1.
  static Variant Array(std::vector<Variant> items, std::int32_t low = 0);

  VarType Type() const { return type_; }
  bool IsArray() const { return type_ == varArray; }
  bool IsNull() const { return type_ == varNull; }
  bool IsEmpty() const { return type_ == varEmpty; }

  std::int32_t LowBound() const { return low_; }
  std::int32_t HighBound() const { return low_ + static_cast<std::int32_t>(items_.size()) - 1; }
  const std::vector<Variant>& Items() const { return items_; }

  // Raw payloads (valid for the matching type only).
  std::int64_t RawInt() const { return int_; }
  double RawDouble() const { return double_; }
  const std::string& RawString() const { return string_; }
  const std::u16string& RawOleStr() const { return wide_; }
  const TBcd& RawBcd() const { return bcd_; }
  const TSQLTimeStamp& RawTimeStamp() const { return ts_; }

  // Conversions; each raises EVariantError when the value has no such form.
  double AsDouble() const;
  std::int64_t AsInt64() const;     // floating values round half to even
  std::int64_t AsCurrency() const;  // the value times 10000, rounded
  bool AsBoolean() const;
  std::string AsString() const;  // byte text (code page 1251)
  std::u16string AsOleStr() const;
  TBcd AsBcd() const;
  TSQLTimeStamp AsSQLTimeStamp() const;
  // The value as a variant of the given scalar type (varEmpty, varNull and
  // the types above).
  Variant CastTo(VarType type) const;

  bool IsNumeric() const;
  bool IsText() const { return type_ == varString || type_ == varOleStr; }

 private:
  VarType type_ = varEmpty;
  std::int64_t int_ = 0;
  double double_ = 0;
  std::string string_;
  std::u16string wide_;
  TBcd bcd_{};
  TSQLTimeStamp ts_{};
  std::int32_t low_ = 0;
  std::vector<Variant> items_;
};

// The platform's variant equality and order; raise EVariantError for values
// that cannot be compared (a text that is no number against a number).
bool VariantEquals(const Variant& a, const Variant& b);
bool VariantLess(const Variant& a, const Variant& b);

// Three-way comparisons of variants (negative, 0, positive).
int CompareVariantValues(const Variant& a, const Variant& b);
int CompareVariantScalars(const Variant& a, const Variant& b);
int CompareVariantArrays(const Variant& a, const Variant& b);

// The framework's texts of a floating value (15 significant digits, general
// format) and of a date-time ("dd.mm.yyyy hh:nn:ss", the date or the time
// left out when it is zero).
std::string FloatToText(double v);
std::string DateTimeToText(double dt);

}  // namespace kelmo::le
