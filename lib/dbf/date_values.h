// Date values of the DBF engine: julian day numbers (the date serial of the
// platform, day 0 = 30.12.1899, plus 2415019), the record form "yyyymmdd" and
// the locale form, which here is always "dd.mm.yyyy". Pure functions, O(1).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelmo::dbf {

class TdfDBFDate {
 public:
  static constexpr int32_t kDayOffset = 2415019;
  static void DecodeJulian(int32_t day, int& year, int& month, int& dayOfMonth);
  // Julian day of a calendar date; false when the date does not exist.
  // Inline: typed scans call it for every date field.
  static bool EncodeJulian(int year, int month, int dayOfMonth, int32_t& day);
  static int32_t TodayJulian();
  // 1 (Sunday) to 7; 0 for day numbers of 0 or less.
  static int DayOfWeek(int32_t day);
  // "yyyymmdd"; eight blanks for 0 or less.
  static std::string JulianToText(int32_t day);
  // "DD.MM.YYYY" form; ten blanks for 0 or less.
  static std::string JulianToLocaleText(int32_t day);
  // Empty, blank, "00000000" or blanks and zeros only: 0; eight digits: that date (2415019 when it
  // does not exist); else "dd.mm.yyyy" (or with "/" or "-"), otherwise
  // EDbfError "'%s' is not a valid date".
  static int32_t TextToJulian(std::string_view text);
};

namespace date_detail {

// Julian day number of 1970-01-01.
inline constexpr int64_t kJulianUnixEpoch = 2440588;

// Days since 1970-01-01 of a proleptic Gregorian date.
[[gnu::always_inline]] inline int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

[[gnu::always_inline]] inline bool ValidDate(int y, int m, int d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int dim = kDays[m - 1];
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) dim = 29;
  return d <= dim;
}

}  // namespace date_detail

// Inlined: scans decode a date per field read.
[[gnu::always_inline]] inline bool TdfDBFDate::EncodeJulian(int year, int month, int dayOfMonth,
                                                            int32_t& day) {
  if (!date_detail::ValidDate(year, month, dayOfMonth)) return false;
  day = static_cast<int32_t>(date_detail::DaysFromCivil(year, static_cast<unsigned>(month),
                                                        static_cast<unsigned>(dayOfMonth)) +
                             date_detail::kJulianUnixEpoch);
  return true;
}

}  // namespace kelmo::dbf
