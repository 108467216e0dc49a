// Date values of the DBF engine.
#include "date_values.h"

#include <chrono>
#include <ctime>

#include "dbf_errors.h"

namespace kelmo::dbf {

namespace {

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

}  // namespace

void TdfDBFDate::DecodeJulian(int32_t day, int& year, int& month, int& dayOfMonth) {
  CivilFromDays(static_cast<int64_t>(day) - date_detail::kJulianUnixEpoch, year, month, dayOfMonth);
}

int32_t TdfDBFDate::TodayJulian() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  int32_t d = 0;
  EncodeJulian(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, d);
  return d;
}

int TdfDBFDate::DayOfWeek(int32_t day) {
  if (day <= 0) return 0;
  // Julian day 0 was a Monday; Sunday is 1.
  return static_cast<int>((static_cast<int64_t>(day) + 1) % 7) + 1;
}

std::string TdfDBFDate::JulianToText(int32_t day) {
  if (day <= 0) return std::string(8, ' ');
  int y, m, d;
  DecodeJulian(day, y, m, d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", y % 10000, m, d);
  return buf;
}

std::string TdfDBFDate::JulianToLocaleText(int32_t day) {
  if (day <= 0) return std::string(10, ' ');
  int y, m, d;
  DecodeJulian(day, y, m, d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d, m, y % 10000);
  return buf;
}

int32_t TdfDBFDate::TextToJulian(std::string_view text) {
  std::string_view t = text;
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (t.empty() || text == "00000000") return 0;
  // Some writers leave a missing date as a right-aligned "0".
  if (t.find_first_not_of(" 0") == std::string_view::npos) return 0;
  auto digits = [](std::string_view s) {
    for (char c : s)
      if (c < '0' || c > '9') return false;
    return !s.empty();
  };
  auto num = [](std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
  };
  if (t.size() == 8 && digits(t)) {
    int32_t day = 0;
    if (!EncodeJulian(num(t.substr(0, 4)), num(t.substr(4, 2)), num(t.substr(6, 2)), day)) {
      return kDayOffset;
    }
    return day;
  }
  std::string_view s = t;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  // dd.mm.yyyy with "." "/" or "-" between the parts.
  size_t p1 = s.find_first_of("./-");
  size_t p2 = p1 == std::string_view::npos ? p1 : s.find_first_of("./-", p1 + 1);
  if (p2 != std::string_view::npos) {
    auto ds = s.substr(0, p1), ms = s.substr(p1 + 1, p2 - p1 - 1), ys = s.substr(p2 + 1);
    if (digits(ds) && digits(ms) && digits(ys) && ds.size() <= 2 && ms.size() <= 2 &&
        ys.size() <= 4) {
      int y = num(ys);
      if (ys.size() <= 2) y += y < 50 ? 2000 : 1900;
      int32_t day = 0;
      if (EncodeJulian(y, num(ms), num(ds), day)) return day;
    }
  }
  RaiseDbf(msg::kNotADate, {std::string(t)});
}

}  // namespace kelmo::dbf
