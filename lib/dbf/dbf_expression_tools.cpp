// Text and date helpers of the expression language.
#include "dbf_expression_tools.h"

#include <ctime>

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

int32_t EncodeJulian(int y, int m, int d) {
  // Fliegel and Van Flandern's algorithm for the proleptic Gregorian calendar.
  int a = (14 - m) / 12;
  int yy = y + 4800 - a;
  int mm = m + 12 * a - 3;
  return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

void DecodeJulian(int32_t jd, int& year, int& month, int& day) {
  int64_t a = static_cast<int64_t>(jd) + 32044;
  int64_t b = (4 * a + 3) / 146097;
  int64_t c = a - 146097 * b / 4;
  int64_t d = (4 * c + 3) / 1461;
  int64_t e = c - 1461 * d / 4;
  int64_t m = (5 * e + 2) / 153;
  day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
  month = static_cast<int>(m + 3 - 12 * (m / 10));
  year = static_cast<int>(100 * b + d - 4800 + m / 10);
}

int32_t TodayJulian() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return EncodeJulian(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

int32_t DayOfDateValue(double value) {
  static const double first = EncodeJulian(1, 1, 1), last = EncodeJulian(9999, 12, 31);
  if (!(value >= first && value < last + 1)) return 0;
  return static_cast<int32_t>(value);
}

int DayOfWeek(int32_t day) {
  if (day <= 0) return 0;
  return static_cast<int>((day + 1) % 7) + 1;
}

std::string JulianToText(int32_t day) {
  if (day <= 0) return std::string(8, ' ');
  int y, m, d;
  DecodeJulian(day, y, m, d);
  return DbfFormat("%04d%02d%02d", y % 10000, m, d);
}

std::string JulianToLocaleText(int32_t day) {
  if (day <= 0) return std::string(std::string(kLocaleDateFormat).size(), ' ');
  int y, m, d;
  DecodeJulian(day, y, m, d);
  return DbfFormat("%02d.%02d.%04d", d, m, y % 10000);
}

namespace {
bool ValidDate(int y, int m, int d) {
  if (y < 1 || m < 1 || m > 12 || d < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int limit = kDays[m - 1];
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) limit = 29;
  return d <= limit;
}
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
    if (!ValidDate(y, m, d)) return kDaySerialOffset;
    return EncodeJulian(y, m, d);
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
      if (ValidDate(y, m, d)) return EncodeJulian(y, m, d);
    }
  }
  throw EDbfExpression(DbfFormat("'%s' is not a valid date", t.c_str()));
}

}  // namespace kelmo::dbf::exptools
