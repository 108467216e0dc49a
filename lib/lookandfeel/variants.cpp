// Variant conversions and comparison, after the framework's rules: numbers
// compare by value, texts byte-wise, a text against a number as a number
// (EVariantError when the text is none), Null equals only Null.
#include "lookandfeel/variants.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "bytes/code_pages.h"

namespace kelmo::le {
namespace {

constexpr double kMsPerDay = 86400000.0;

[[noreturn]] void CannotConvert(VarType from, const char* to) {
  throw EVariantError("Could not convert variant of type (" + std::to_string(from) +
                      ") into type (" + to + ")");
}

bool ParseDouble(const std::string& text, double& out) {
  std::string s = text;
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  if (s.empty()) return false;
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  char* end = nullptr;
  errno = 0;
  out = std::strtod(s.c_str(), &end);
  return end == s.c_str() + s.size() && std::isfinite(out);
}

std::int64_t RoundHalfEven(double v, VarType from) {
  if (!std::isfinite(v) || v >= 9.2233720368547758e18 || v < -9.2233720368547758e18) {
    CannotConvert(from, "Int64");
  }
  return static_cast<std::int64_t>(std::nearbyint(v));
}

bool IsIntegerType(VarType t) {
  switch (t) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varBoolean:
    case varEmpty:
      return true;
    default:
      return false;
  }
}

}  // namespace

double SQLTimeStampToDateTime(const TSQLTimeStamp& ts) {
  // Days from 30 December 1899 through the civil-from-days algorithm.
  auto daysFromCivil = [](std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
  };
  std::int64_t days = daysFromCivil(ts.Year, ts.Month, ts.Day) - daysFromCivil(1899, 12, 30);
  double time = ((ts.Hour * 60.0 + ts.Minute) * 60.0 + ts.Second) * 1000.0 + ts.Fractions;
  time /= kMsPerDay;
  return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

TSQLTimeStamp DateTimeToSQLTimeStamp(double dt) {
  if (!std::isfinite(dt) || std::fabs(dt) > 3.0e6) CannotConvert(varDate, "SQLTimeStamp");
  double whole = std::trunc(dt);
  std::int64_t ms = std::llround(std::fabs(dt - whole) * kMsPerDay);
  std::int64_t days = static_cast<std::int64_t>(whole);
  if (ms >= static_cast<std::int64_t>(kMsPerDay)) {
    ms -= static_cast<std::int64_t>(kMsPerDay);
    days += dt < 0 ? -1 : 1;
  }
  // Civil date of the day count; 30 December 1899 lies 25569 days before
  // 1 January 1970.
  const std::int64_t z = days - 25569 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  TSQLTimeStamp ts;
  ts.Year = static_cast<std::int16_t>(y + (m <= 2));
  ts.Month = static_cast<std::uint16_t>(m);
  ts.Day = static_cast<std::uint16_t>(d);
  ts.Hour = static_cast<std::uint16_t>(ms / 3600000);
  ts.Minute = static_cast<std::uint16_t>(ms / 60000 % 60);
  ts.Second = static_cast<std::uint16_t>(ms / 1000 % 60);
  ts.Fractions = static_cast<std::uint32_t>(ms % 1000);
  return ts;
}

std::string FloatToText(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  std::string s = buf;
  std::size_t e = s.find('E');
  if (e != std::string::npos) {
    // "1.5E+020" style becomes "1.5E20", "1E-07" becomes "1E-7".
    std::string mant = s.substr(0, e);
    int exp = std::atoi(s.c_str() + e + 1);
    s = mant + "E" + std::to_string(exp);
  }
  return s;
}

std::string DateTimeToText(double dt) {
  TSQLTimeStamp ts = DateTimeToSQLTimeStamp(dt);
  char date[32], time[32];
  std::snprintf(date, sizeof date, "%02u.%02u.%04d", ts.Day, ts.Month, ts.Year);
  std::snprintf(time, sizeof time, "%u:%02u:%02u", ts.Hour, ts.Minute, ts.Second);
  bool hasTime = ts.Hour || ts.Minute || ts.Second || ts.Fractions;
  if (std::trunc(dt) == 0 && hasTime) return time;
  return hasTime ? std::string(date) + " " + time : std::string(date);
}

Variant Variant::Null() {
  Variant v;
  v.type_ = varNull;
  return v;
}

#define KELMO_INT_VARIANT(Name, CType, Code)   \
  Variant Variant::Name(CType value) {         \
    Variant v;                                 \
    v.type_ = Code;                            \
    v.int_ = static_cast<std::int64_t>(value); \
    return v;                                  \
  }
KELMO_INT_VARIANT(ShortInt, std::int8_t, varShortInt)
KELMO_INT_VARIANT(Byte, std::uint8_t, varByte)
KELMO_INT_VARIANT(Smallint, std::int16_t, varSmallint)
KELMO_INT_VARIANT(Word, std::uint16_t, varWord)
KELMO_INT_VARIANT(Integer, std::int32_t, varInteger)
KELMO_INT_VARIANT(LongWord, std::uint32_t, varLongWord)
KELMO_INT_VARIANT(Int64, std::int64_t, varInt64)
KELMO_INT_VARIANT(Currency, std::int64_t, varCurrency)
#undef KELMO_INT_VARIANT

Variant Variant::Single(float value) {
  Variant v;
  v.type_ = varSingle;
  v.double_ = value;
  return v;
}
Variant Variant::Double(double value) {
  Variant v;
  v.type_ = varDouble;
  v.double_ = value;
  return v;
}
Variant Variant::Date(double days) {
  Variant v;
  v.type_ = varDate;
  v.double_ = days;
  return v;
}
Variant Variant::Boolean(bool value) {
  Variant v;
  v.type_ = varBoolean;
  v.int_ = value ? -1 : 0;
  return v;
}
Variant Variant::String(std::string bytes) {
  Variant v;
  v.type_ = varString;
  v.string_ = std::move(bytes);
  return v;
}
Variant Variant::OleStr(std::u16string text) {
  Variant v;
  v.type_ = varOleStr;
  v.wide_ = std::move(text);
  return v;
}
Variant Variant::Bcd(const TBcd& value) {
  Variant v;
  v.type_ = varFMTBcd;
  v.bcd_ = value;
  return v;
}
Variant Variant::SQLTimeStamp(const TSQLTimeStamp& value) {
  Variant v;
  v.type_ = varSQLTimeStamp;
  v.ts_ = value;
  return v;
}
Variant Variant::Array(std::vector<Variant> items, std::int32_t low) {
  Variant v;
  v.type_ = varArray;
  v.items_ = std::move(items);
  v.low_ = low;
  return v;
}

bool Variant::IsNumeric() const {
  return IsIntegerType(type_) || type_ == varSingle || type_ == varDouble || type_ == varCurrency ||
         type_ == varDate || type_ == varFMTBcd || type_ == varSQLTimeStamp;
}

double Variant::AsDouble() const {
  switch (type_) {
    case varEmpty:
      return 0;
    case varSingle:
    case varDouble:
    case varDate:
      return double_;
    case varCurrency:
      return static_cast<double>(int_) / 10000.0;
    case varFMTBcd:
      return BcdToDouble(bcd_);
    case varSQLTimeStamp:
      return SQLTimeStampToDateTime(ts_);
    case varString:
    case varOleStr: {
      double d = 0;
      if (!ParseDouble(AsString(), d)) CannotConvert(type_, "Double");
      return d;
    }
    default:
      if (IsIntegerType(type_)) return static_cast<double>(int_);
      CannotConvert(type_, "Double");
  }
}

std::int64_t Variant::AsInt64() const {
  if (IsIntegerType(type_) || type_ == varEmpty) return int_;
  if (type_ == varString || type_ == varOleStr) {
    std::string s = AsString();
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (!s.empty() && end == s.c_str() + s.size() && errno == 0) return v;
  }
  if (type_ == varNull || IsArray()) CannotConvert(type_, "Int64");
  return RoundHalfEven(AsDouble(), type_);
}

std::int64_t Variant::AsCurrency() const {
  if (type_ == varCurrency) return int_;
  if (IsIntegerType(type_)) {
    if (int_ > 922337203685477 || int_ < -922337203685477) CannotConvert(type_, "Currency");
    return int_ * 10000;
  }
  double d = AsDouble() * 10000.0;
  return RoundHalfEven(d, type_);
}

bool Variant::AsBoolean() const {
  if (type_ == varString || type_ == varOleStr) {
    std::string s = AsString();
    if (s == "True" || s == "TRUE" || s == "true") return true;
    if (s == "False" || s == "FALSE" || s == "false") return false;
  }
  if (IsIntegerType(type_)) return int_ != 0;
  return AsDouble() != 0;
}

std::string Variant::AsString() const {
  switch (type_) {
    case varEmpty:
      return {};
    case varString:
      return string_;
    case varOleStr: {
      std::string utf8;
      for (char16_t c : wide_) bytes::AppendUtf8(utf8, c >= 0xD800 && c < 0xE000 ? u'?' : c);
      return bytes::EncodeFromUtf8(utf8, bytes::CodePage::Cp1251);
    }
    case varBoolean:
      return int_ ? "True" : "False";
    case varSingle:
    case varDouble:
      return FloatToText(double_);
    case varCurrency: {
      std::string digits = std::to_string(int_ < 0 ? -int_ : int_);
      if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
      digits.insert(digits.size() - 4, ".");
      TBcd b;
      TryStrToBcd((int_ < 0 ? "-" : "") + digits, b);
      return BcdToStr(b);
    }
    case varDate:
      return DateTimeToText(double_);
    case varFMTBcd:
      return BcdToStr(bcd_);
    case varSQLTimeStamp:
      return DateTimeToText(SQLTimeStampToDateTime(ts_));
    default:
      if (IsIntegerType(type_)) return std::to_string(int_);
      CannotConvert(type_, "String");
  }
}

std::u16string Variant::AsOleStr() const {
  if (type_ == varOleStr) return wide_;
  std::string utf8 = bytes::DecodeToUtf8(AsString(), bytes::CodePage::Cp1251);
  std::u16string out;
  // Code page 1251 has only characters of the basic plane.
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    char32_t cp;
    int n;
    if (c < 0x80) {
      cp = c;
      n = 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      n = 2;
    } else {
      cp = c & 0x0F;
      n = 3;
    }
    for (int k = 1; k < n && i + k < utf8.size(); ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    out.push_back(static_cast<char16_t>(cp));
    i += static_cast<std::size_t>(n);
  }
  return out;
}

TBcd Variant::AsBcd() const {
  if (type_ == varFMTBcd) return bcd_;
  if (IsIntegerType(type_)) return BcdFromInt64(int_);
  if (type_ == varString || type_ == varOleStr) {
    TBcd b;
    std::string s = AsString();
    if (TryStrToBcd(s, b)) return b;
    CannotConvert(type_, "FMTBcd");
  }
  if (type_ == varCurrency) {
    TBcd b;
    TryStrToBcd(AsString(), b);
    return b;
  }
  return BcdFromDouble(AsDouble());
}

TSQLTimeStamp Variant::AsSQLTimeStamp() const {
  if (type_ == varSQLTimeStamp) return ts_;
  return DateTimeToSQLTimeStamp(AsDouble());
}

Variant Variant::CastTo(VarType type) const {
  if (type == type_ && !IsArray()) return *this;
  if (type_ == varNull) {
    if (type == varNull) return *this;
    CannotConvert(type_, "scalar");
  }
  auto checkRange = [&](std::int64_t v, std::int64_t lo, std::int64_t hi) {
    if (v < lo || v > hi) throw EVariantError("Overflow while converting variant");
    return v;
  };
  switch (type) {
    case varEmpty:
      return Variant();
    case varNull:
      return Null();
    case varShortInt:
      return ShortInt(static_cast<std::int8_t>(checkRange(AsInt64(), -128, 127)));
    case varByte:
      return Byte(static_cast<std::uint8_t>(checkRange(AsInt64(), 0, 255)));
    case varSmallint:
      return Smallint(static_cast<std::int16_t>(checkRange(AsInt64(), -32768, 32767)));
    case varWord:
      return Word(static_cast<std::uint16_t>(checkRange(AsInt64(), 0, 65535)));
    case varInteger:
      return Integer(static_cast<std::int32_t>(checkRange(AsInt64(), INT32_MIN, INT32_MAX)));
    case varLongWord:
      return LongWord(static_cast<std::uint32_t>(checkRange(AsInt64(), 0, UINT32_MAX)));
    case varInt64:
      return Int64(AsInt64());
    case varSingle:
      return Single(static_cast<float>(AsDouble()));
    case varDouble:
      return Double(AsDouble());
    case varCurrency:
      return Currency(AsCurrency());
    case varDate:
      return Date(AsDouble());
    case varBoolean:
      return Boolean(AsBoolean());
    case varString:
      return String(AsString());
    case varOleStr:
      return OleStr(AsOleStr());
    case varFMTBcd:
      return Bcd(AsBcd());
    case varSQLTimeStamp:
      return SQLTimeStamp(AsSQLTimeStamp());
    default:
      CannotConvert(type_, "unknown");
  }
}

namespace {

enum class Kind { Null, Text, Integer, Float, Bcd };

Kind KindOf(const Variant& v) {
  if (v.IsNull()) return Kind::Null;
  if (v.IsText()) return Kind::Text;
  if (v.Type() == varFMTBcd) return Kind::Bcd;
  if (IsIntegerType(v.Type())) return Kind::Integer;
  if (v.IsArray()) throw EVariantError("Invalid variant operation");
  return Kind::Float;
}

// Negative, 0 or positive; raises EVariantError for incomparable values.
int Order(const Variant& a, const Variant& b) {
  Kind ka = KindOf(a), kb = KindOf(b);
  if (ka == Kind::Null || kb == Kind::Null) {
    if (ka == kb) return 0;
    throw EVariantError("Invalid variant operation");
  }
  if (ka == Kind::Text && kb == Kind::Text) {
    if (a.Type() == varOleStr || b.Type() == varOleStr) {
      std::u16string x = a.AsOleStr(), y = b.AsOleStr();
      return x.compare(y) < 0 ? -1 : (x == y ? 0 : 1);
    }
    int c = a.RawString().compare(b.RawString());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (ka == Kind::Integer && kb == Kind::Integer) {
    return a.RawInt() < b.RawInt() ? -1 : (a.RawInt() > b.RawInt() ? 1 : 0);
  }
  if ((ka == Kind::Bcd || kb == Kind::Bcd) && ka != Kind::Float && kb != Kind::Float) {
    return BcdCompare(a.AsBcd(), b.AsBcd());
  }
  double x = a.AsDouble(), y = b.AsDouble();
  return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

bool VariantEquals(const Variant& a, const Variant& b) {
  return Order(a, b) == 0;
}
bool VariantLess(const Variant& a, const Variant& b) {
  return Order(a, b) < 0;
}

int CompareVariantValues(const Variant& a, const Variant& b) {
  if (a.IsArray() || b.IsArray()) return CompareVariantArrays(a, b);
  return CompareVariantScalars(a, b);
}

int CompareVariantScalars(const Variant& a, const Variant& b) {
  try {
    if (a.IsNull() && b.IsNull()) return 0;
    if (!a.IsNull() && !b.IsNull() && VariantEquals(a, b)) return 0;
    if (a.IsNull()) return -1;
    if (b.IsNull()) return 1;
    return VariantLess(a, b) ? -1 : 1;
  } catch (const EVariantError&) {
    return -1;
  }
}

int CompareVariantArrays(const Variant& a, const Variant& b) {
  if (!b.IsArray()) return 1;
  if (!a.IsArray()) return -1;
  int d = ClampedDifference(a.HighBound(), b.HighBound());
  if (d != 0) return d;
  // Elements are fetched from 0 upwards whatever the low bound; both arrays
  // have the same high bound here, so index i is item i - low of each.
  for (std::int32_t i = 0; i <= a.HighBound(); ++i) {
    std::int32_t ia = i - a.LowBound(), ib = i - b.LowBound();
    if (ia < 0 || ib < 0 || ia >= static_cast<std::int32_t>(a.Items().size()) ||
        ib >= static_cast<std::int32_t>(b.Items().size())) {
      throw EVariantError("Variant array index out of bounds");
    }
    int r = CompareVariantValues(a.Items()[static_cast<std::size_t>(ia)],
                                 b.Items()[static_cast<std::size_t>(ib)]);
    if (r != 0) return r;
  }
  return 0;
}

}  // namespace kelmo::le
