// Date arithmetic and date-text parsing of the extension controls, with a
// locale and a current year fixed by the test.
#include <gtest/gtest.h>

#include <QDate>
#include <cmath>

#include "extctl/xt_date_utils.h"

using namespace kelmo::xt;

namespace {

DateTimeValue D(int y, int m, int d) {
  return EncodeDate(y, m, d);
}

DateLocale DayMonthYear2024() {
  DateLocale locale;
  locale.shortDateFormat = "dd/MM/yyyy";
  locale.dateSeparator = '/';
  locale.longMonthNames =
      QStringList{"January", "February", "March",     "April",   "May",      "June",
                  "July",    "August",   "September", "October", "November", "December"};
  locale.currentYear = 2024;
  return locale;
}

TEST(XtDateUtils, Calendar) {
  struct Case {
    int year, month, days;
  } cases[] = {{2000, 2, 29},  {2024, 2, 29}, {1900, 2, 28}, {2023, 2, 28},
               {2023, 12, 31}, {2023, 4, 30}, {2023, 13, 0}};
  for (const Case& c : cases) EXPECT_EQ(MonthDayCount(c.year, c.month), c.days) << c.year;

  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_THROW(EncodeDate(10000, 1, 1), DateError);
  EXPECT_EQ(MonthOfDate(D(2023, 7, 14) + 0.5), 7);

  EXPECT_TRUE(IsValidDateParts(2024, 2, 29));
  EXPECT_FALSE(IsValidDateParts(2023, 2, 29));
  EXPECT_FALSE(IsValidDateParts(0, 1, 1));
  EXPECT_FALSE(IsValidDateValue(1e9));
}

TEST(XtDateUtils, ShiftDate) {
  struct Case {
    DateTimeValue from;
    int days, months, years;
    DateTimeValue expected;
  } cases[] = {
      {D(2023, 1, 31), 0, 1, 0, D(2023, 2, 28)},  {D(2024, 3, 31), 0, -1, 0, D(2024, 2, 29)},
      {D(2023, 12, 15), 0, 1, 0, D(2024, 1, 15)}, {D(2023, 1, 15), 0, -13, 0, D(2021, 12, 15)},
      {D(2024, 2, 29), 0, 0, 1, D(2025, 2, 28)},  {D(2023, 1, 31), 3, 1, 0, D(2023, 3, 3)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShiftDate(c.from, c.days, c.months, c.years), c.expected) << c.months;
  // The time of day is kept.
  EXPECT_DOUBLE_EQ(AddMonths(D(2023, 1, 31) + 0.25, 1), D(2023, 2, 28) + 0.25);
  EXPECT_THROW(ShiftDate(D(9999, 12, 1), 0, 1, 0), DateError);
}

TEST(XtDateUtils, DayCountInclusive) {
  EXPECT_EQ(DayCountInclusive(D(2024, 3, 1), D(2024, 3, 1)), 1);
  EXPECT_EQ(DayCountInclusive(D(2024, 3, 1), D(2024, 3, 10)), 10);
  EXPECT_EQ(DayCountInclusive(D(2024, 3, 10), D(2024, 3, 1)), 10);
  EXPECT_EQ(DayCountInclusive(D(2024, 3, 1) + 0.9, D(2024, 3, 2) + 0.1), 2);
  EXPECT_EQ(DayCountInclusive(1e9, D(2024, 3, 1)), 0);
}

TEST(XtDateUtils, WidenYearAndOrder) {
  struct Case {
    int year, widened;
  } cases[] = {{64, 1964}, {63, 2063}, {0, 2000}, {99, 1999}, {100, 100}, {2024, 2024}};
  for (const Case& c : cases) EXPECT_EQ(WidenYear(c.year, 2024), c.widened) << c.year;

  EXPECT_EQ(DateOrderOf("dd.MM.yyyy"), DateOrder::DayMonthYear);
  EXPECT_EQ(DateOrderOf("M/d/yy"), DateOrder::MonthDayYear);
  EXPECT_EQ(DateOrderOf("yyyy-MM-dd"), DateOrder::YearMonthDay);
  EXPECT_EQ(DateOrderOf("ee/MM/dd"), DateOrder::YearMonthDay);
  EXPECT_EQ(DateOrderOf("--"), DateOrder::DayMonthYear);
}

TEST(XtDateUtils, TextToDate) {
  const DateLocale locale = DayMonthYear2024();
  struct Case {
    const char* format;
    const char* text;
    bool ok;
    int year, month, day;
  } cases[] = {
      {"DD/MM/YYYY", "05.03.2024", true, 2024, 3, 5},  // by position, any separator
      {"DD/MM/YYYY", "5/3/24", true, 2024, 3, 5},      // by parts, year widened
      {"DD/MM/YYYY", "5/3", true, 2024, 3, 5},         // the current year
      {"DD/MM/YYYY", "5/3/2024x", false, 0, 0, 0},     // text left over
      {"DD/MM/YYYY", "31/02/2024", false, 0, 0, 0},     {"DD/MM/YYYY", "abc", false, 0, 0, 0},
      {"DD-MMM-YYYY", "05-Mar-2024", true, 2024, 3, 5},  // month name prefix
      {"DD-MMM-YYYY", "05-Ju -2024", true, 2024, 6, 5},  // first month beginning "Ju"
      {"MM/DD/YY", "12/31/99", true, 1999, 12, 31},
  };
  for (const Case& c : cases) {
    DateTimeValue date = -1;
    EXPECT_EQ(TryTextToDate(c.format, c.text, date, locale), c.ok) << c.text;
    if (c.ok) EXPECT_EQ(date, D(c.year, c.month, c.day)) << c.text;
  }
  DateTimeValue empty = -1;
  EXPECT_TRUE(TryTextToDate("DD/MM/YYYY", "", empty, locale));
  EXPECT_EQ(empty, NoDate);

  try {
    TextToDateWithFormat("DD/MM/YYYY", "32.13.2024", locale);
    ADD_FAILURE();
  } catch (const DateError& e) {
    EXPECT_STREQ(e.what(), "'32.13.2024' is not a valid date");
  }
  EXPECT_EQ(TextToDateOrDefault("DD/MM/YYYY", "zz", D(2020, 1, 2) + 0.7, locale), D(2020, 1, 2));
}

TEST(XtDateUtils, ScanningHelpers) {
  int pos = 1;
  int number = 0;
  EXPECT_TRUE(ReadNumber("  12345", 10, pos, number));
  EXPECT_EQ(number, 1234);  // stops once the value reaches 1000
  EXPECT_EQ(pos, 7);
  pos = 1;
  EXPECT_TRUE(ReadNumber("000012", 10, pos, number));
  EXPECT_EQ(number, 12);
  pos = 1;
  EXPECT_FALSE(ReadNumber("x1", 10, pos, number));
  EXPECT_EQ(pos, 1);
  pos = 1;
  EXPECT_TRUE(ReadExpectedChar("  /", pos, '/'));
  EXPECT_EQ(pos, 4);
  pos = 1;
  SkipToDigit("ab7", pos);
  EXPECT_EQ(pos, 3);
  const DateLocale locale = DayMonthYear2024();
  EXPECT_EQ(MonthByName("mar", 3, locale), 3);
  EXPECT_EQ(MonthByName("Xyz", 3, locale), 0);
  EXPECT_EQ(MaskPartValue("DD/MM/YYYY", "  /03/2024", 'D', 1, -1, 1, locale), -1);
  EXPECT_EQ(MaskPartValue("DD/MM/YYYY", "05/03/2024", 'Q', 1, -1, 7, locale), 7);
}

TEST(XtDateUtils, DefaultFormatsAndMasks) {
  DateLocale locale = DayMonthYear2024();
  EXPECT_EQ(DefaultDateFormat(true, locale), QString("DD/MM/YYYY"));
  EXPECT_EQ(DefaultDateFormat(false, locale), QString("DD/MM/YY"));
  EXPECT_EQ(DefaultDateMask('_', true, locale), QString("!99/99/9999;1;_"));
  locale.shortDateFormat = "yyyy-MM-dd";
  EXPECT_EQ(DefaultDateFormat(true, locale), QString("YYYY/MM/DD"));
  EXPECT_EQ(DefaultDateMask(' ', true, locale), QString("!9999/99/99;1; "));
  EXPECT_EQ(DefaultDateMask(' ', false, locale), QString("!99/99/99;1; "));
  locale.shortDateFormat = "M/d/yy";
  EXPECT_EQ(DefaultDateFormat(false, locale), QString("MM/DD/YY"));
}

}  // namespace
