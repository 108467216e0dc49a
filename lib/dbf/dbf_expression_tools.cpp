// Text and date helpers of the expression language.
#include "dbf_expression_tools.h"

#include "date_values.h"
#include "dbf_index_errors.h"

namespace kelmo::dbf::exptools {

namespace {
// Code page 1251: Cyrillic capitals 0xC0-0xDF pair with 0xE0-0xFF; Ё/ё 0xA8/0xB8.
unsigned char UpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0) return static_cast<unsigned char>(c - 32);
  if (c == 0xB8) return 0xA8;
  return c;
}
unsigned char LowerByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 32);
  if (c == 0xA8) return 0xB8;
  return c;
}
}  // namespace

std::string UpperText(std::string text) {
  for (char& c : text) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
  return text;
}

std::string LowerText(std::string text) {
  for (char& c : text) c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
  return text;
}

int LocaleCompare(const std::string& a, const std::string& b) {
  int r = a.compare(b);  // std::string compares as unsigned char
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int WildcardPos(std::string pattern, std::string text) {
  if (pattern.empty()) return 0;
  if (text.size() < pattern.size()) return 0;
  bool leadingStar = pattern.front() == '*';
  if (leadingStar) {
    if (pattern.size() == 1) return 1;
    pattern.erase(0, 1);
  }
  if (pattern.back() == '*') {
    if (pattern.size() == 1) return 1;
    pattern.pop_back();
  }
  if (!leadingStar) {
    for (size_t i = 0; i < pattern.size() && i < text.size(); ++i) {
      if (pattern[i] == '?') text[i] = '?';
    }
  }
  size_t pos = text.find(pattern);
  return pos == std::string::npos ? 0 : static_cast<int>(pos + 1);
}

namespace {
// Julian day of a date known to exist.
int32_t JulianOf(int year, int month, int day) {
  int32_t julian = 0;
  TdfDBFDate::EncodeJulian(year, month, day, julian);
  return julian;
}
}  // namespace

int32_t DayOfDateValue(double value) {
  static const double first = JulianOf(1, 1, 1), last = JulianOf(9999, 12, 31);
  if (!(value >= first && value < last + 1)) return 0;
  return static_cast<int32_t>(value);
}

namespace {
bool AllDigits(const std::string& s) {
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return !s.empty();
}
}  // namespace

int32_t TextToJulian(const std::string& text) {
  std::string t = text;
  while (!t.empty() && t.back() == ' ') t.pop_back();
  if (t.empty() || text == "00000000") return 0;
  if (t.size() == 8 && AllDigits(t)) {
    int y = std::stoi(t.substr(0, 4)), m = std::stoi(t.substr(4, 2)), d = std::stoi(t.substr(6, 2));
    int32_t day = 0;
    return TdfDBFDate::EncodeJulian(y, m, d, day) ? day : kDaySerialOffset;
  }
  size_t b = t.find_first_not_of(' ');
  t = t.substr(b);
  size_t p1 = t.find('.');
  size_t p2 = p1 == std::string::npos ? p1 : t.find('.', p1 + 1);
  if (p2 != std::string::npos) {
    std::string ds = t.substr(0, p1), ms = t.substr(p1 + 1, p2 - p1 - 1), ys = t.substr(p2 + 1);
    if (AllDigits(ds) && AllDigits(ms) && AllDigits(ys) && ds.size() <= 2 && ms.size() <= 2 &&
        ys.size() <= 4) {
      int y = std::stoi(ys), m = std::stoi(ms), d = std::stoi(ds);
      if (ys.size() <= 2) y += y < 50 ? 2000 : 1900;
      int32_t day = 0;
      if (TdfDBFDate::EncodeJulian(y, m, d, day)) return day;
    }
  }
  throw EDbfExpression(DbfFormat("'%s' is not a valid date", t.c_str()));
}

}  // namespace kelmo::dbf::exptools
