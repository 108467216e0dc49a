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

}  // namespace kelmo::dbf
