// Binary-coded decimals: parsing, canonical text, comparison.
#include "lookandfeel/bcd.h"

#include <cstdio>
#include <cstdlib>

namespace kelmo::le {
namespace {

// The record's digits and places, made safe for a damaged record: at most
// 64 digits, places not above the digit count, a nibble above 9 read as 9.
struct Digits {
  std::string digits;  // '0'..'9', most significant first
  int places = 0;
  bool negative = false;
};

Digits Unpack(const TBcd& bcd) {
  Digits d;
  int precision = bcd.Precision > kMaxBcdDigits ? kMaxBcdDigits : bcd.Precision;
  d.places = bcd.SignSpecialPlaces & 0x3F;
  if (d.places > precision) d.places = precision;
  d.negative = (bcd.SignSpecialPlaces & 0x80) != 0;
  for (int i = 0; i < precision; ++i) {
    int nibble = (i % 2 == 0) ? bcd.Fraction[i / 2] >> 4 : bcd.Fraction[i / 2] & 0x0F;
    d.digits.push_back(static_cast<char>('0' + (nibble > 9 ? 9 : nibble)));
  }
  return d;
}

// Integer part without leading zeros ("" for none) and fraction part without
// trailing zeros.
void Split(const Digits& d, std::string& whole, std::string& frac) {
  std::size_t n = d.digits.size() - static_cast<std::size_t>(d.places);
  whole = d.digits.substr(0, n);
  frac = d.digits.substr(n);
  whole.erase(0, whole.find_first_not_of('0') == std::string::npos ? whole.size()
                                                                   : whole.find_first_not_of('0'));
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
}

}  // namespace

bool TryStrToBcd(std::string_view text, TBcd& out) {
  out = TBcd{};
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::string whole, frac;
  bool point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      (point ? frac : whole).push_back(c);
    } else if ((c == '.' || c == ',') && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (whole.empty() && frac.empty()) return false;
  whole.erase(0, whole.find_first_not_of('0') == std::string::npos ? whole.size()
                                                                   : whole.find_first_not_of('0'));
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  std::string digits = whole + frac;
  if (digits.empty()) digits = "0";
  if (digits.size() > static_cast<std::size_t>(kMaxBcdDigits)) return false;
  out.Precision = static_cast<std::uint8_t>(digits.size());
  bool zero = digits.find_first_not_of('0') == std::string::npos;
  out.SignSpecialPlaces =
      static_cast<std::uint8_t>((negative && !zero ? 0x80 : 0) | static_cast<int>(frac.size()));
  for (std::size_t k = 0; k < digits.size(); ++k) {
    int v = digits[k] - '0';
    out.Fraction[k / 2] |= static_cast<std::uint8_t>(k % 2 == 0 ? v << 4 : v);
  }
  return true;
}

std::string BcdToStr(const TBcd& bcd) {
  Digits d = Unpack(bcd);
  std::string whole, frac;
  Split(d, whole, frac);
  if (whole.empty() && frac.empty()) return "0";
  std::string s = d.negative ? "-" : "";
  s += whole.empty() ? "0" : whole;
  if (!frac.empty()) s += "." + frac;
  return s;
}

TBcd BcdFromInt64(std::int64_t v) {
  TBcd b;
  TryStrToBcd(std::to_string(v), b);
  return b;
}

TBcd BcdFromDouble(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  // %g may use an exponent; expand it to plain digits.
  std::string s = buf;
  std::size_t e = s.find_first_of("eE");
  TBcd b;
  if (e == std::string::npos) {
    TryStrToBcd(s, b);
    return b;
  }
  int exp = std::atoi(s.c_str() + e + 1);
  std::string mant = s.substr(0, e);
  bool neg = !mant.empty() && mant[0] == '-';
  if (neg) mant.erase(0, 1);
  std::size_t dot = mant.find('.');
  std::string digits = mant;
  int intLen = static_cast<int>(dot == std::string::npos ? mant.size() : dot);
  if (dot != std::string::npos) digits.erase(dot, 1);
  int point = intLen + exp;
  std::string plain;
  if (point <= 0) {
    plain = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else if (point >= static_cast<int>(digits.size())) {
    plain = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
  } else {
    plain = digits.substr(0, static_cast<std::size_t>(point)) + "." +
            digits.substr(static_cast<std::size_t>(point));
  }
  if (!TryStrToBcd((neg ? "-" : "") + plain, b)) b = TBcd{};
  return b;
}

double BcdToDouble(const TBcd& bcd) {
  return std::strtod(BcdToStr(bcd).c_str(), nullptr);
}

int BcdCompare(const TBcd& a, const TBcd& b) {
  Digits da = Unpack(a), db = Unpack(b);
  std::string wa, fa, wb, fb;
  Split(da, wa, fa);
  Split(db, wb, fb);
  bool za = wa.empty() && fa.empty(), zb = wb.empty() && fb.empty();
  bool na = da.negative && !za, nb = db.negative && !zb;
  if (na != nb) return na ? -1 : 1;
  int magnitude = 0;
  if (wa.size() != wb.size()) {
    magnitude = wa.size() < wb.size() ? -1 : 1;
  } else if (wa != wb) {
    magnitude = wa < wb ? -1 : 1;
  } else {
    std::size_t n = fa.size() > fb.size() ? fa.size() : fb.size();
    fa.resize(n, '0');
    fb.resize(n, '0');
    magnitude = fa == fb ? 0 : (fa < fb ? -1 : 1);
  }
  return na ? -magnitude : magnitude;
}

}  // namespace kelmo::le
