// Calendar arithmetic and date-text parsing of the extension controls (unit
// DateUtil). A date is a day-based value: whole days since 30.12.1899, the
// fraction the time of day; 0 (`NoDate`) is the empty date. Calendar parts
// follow the proleptic Gregorian calendar, years 1 to 9999.
//
// Parsing reads the locale's short date format, date separator, long month
// names, short time format and morning/afternoon markers from a DateLocale;
// the one-argument forms use the system's, taken once from QLocale. All
// routines are pure apart from the system clock's year; each costs one pass
// over its text.
#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace kelmo::xt {

using DateTimeValue = double;

inline constexpr DateTimeValue NoDate = 0.0;
// Places the window of two-digit years: current year - 60 .. current year + 39.
inline constexpr unsigned char CenturyWindowOffset = 60;

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

struct DateLocale {
  QString shortDateFormat = QStringLiteral("dd.MM.yyyy");
  QChar dateSeparator = QLatin1Char('.');
  QStringList longMonthNames;  // twelve names, January first
  QString shortTimeFormat = QStringLiteral("hh:mm");
  QString timeAmString;
  QString timePmString;
  bool farEast = false;
  // The year two-digit years and missing years refer to; 0 means the
  // system clock's year.
  int currentYear = 0;
};

// The system's settings, read once. Cost: one QLocale look-up, then none.
const DateLocale& SystemDateLocale();

// True when the system short date format, in upper case, holds "YYYY"; set
// once when first asked.
bool UsesFourDigitYear();

// The error of a date that cannot be encoded (year outside 1..9999) or a text
// that is not a date ("'<text>' is not a valid date").
class DateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Calendar routines.
bool YearIsLeap(int year);
int MonthDayCount(int year, int month);
// Raises DateError for parts that are not a valid date.
DateTimeValue EncodeDate(int year, int month, int day);
// False when the value's date lies outside years 1..9999.
bool DecodeDate(DateTimeValue date, int& year, int& month, int& day);
int MonthOfDate(DateTimeValue date);
// Moves by months and years (a day past the new month's end becomes its last
// day), then by days; the time of day is kept. Raises DateError when the
// resulting year leaves 1..9999.
DateTimeValue ShiftDate(DateTimeValue date, int days, int months, int years);
DateTimeValue AddMonths(DateTimeValue date, int months);
bool IsValidDateParts(int year, int month, int day);
bool IsValidDateValue(DateTimeValue date);
// Days from one date to the other counting both ends; 0 when either is not
// a valid date.
int DayCountInclusive(DateTimeValue first, DateTimeValue second);
int CurrentYearNumber();

// Text routines.
DateOrder DateOrderOf(const QString& format);
// Two-digit (below 100) years into the century window around `currentYear`.
int WidenYear(int year, int currentYear);
int WidenYear(int year);
bool TryTextToDate(const QString& format, const QString& text, DateTimeValue& date,
                   const DateLocale& locale = SystemDateLocale());
// Raises DateError "'<text>' is not a valid date".
DateTimeValue TextToDateWithFormat(const QString& format, const QString& text,
                                   const DateLocale& locale = SystemDateLocale());
// The default's whole day when the text is not a date.
DateTimeValue TextToDateOrDefault(const QString& format, const QString& text,
                                  DateTimeValue fallback,
                                  const DateLocale& locale = SystemDateLocale());
// "DD/MM/YYYY" and the like by the order of the locale's short date format.
QString DefaultDateFormat(bool fourDigitYear, const DateLocale& locale = SystemDateLocale());
// "!99/99/9999;1;" and the like, with the blank character appended.
QString DefaultDateMask(QChar blank, bool fourDigitYear,
                        const DateLocale& locale = SystemDateLocale());

// Scanning helpers over a text and a 1-based position, which they move.
void SkipBlanks(const QString& text, int& pos);
bool ReadNumber(const QString& text, int maxLength, int& pos, int& number);
bool ReadExpectedChar(const QString& text, int& pos, QChar c);
void SkipToDigit(const QString& text, int& pos);
// The first month whose long name's first `length` characters equal the
// text's, case ignored; 0 when none.
int MonthByName(const QString& text, int length, const DateLocale& locale = SystemDateLocale());
// The non-blank characters (at most 20) of the text under the format's first
// run of `count` `letter`s, case ignored; false when the text is longer than
// the format or the format holds no such run.
bool CollectMaskPart(const QString& format, const QString& text, QChar letter, int count,
                     QString& collected);
int MaskPartValue(const QString& format, const QString& text, QChar letter, int count,
                  int blankValue, int defaultValue, const DateLocale& locale = SystemDateLocale());
bool ParseDateParts(const QString& text, const QString& format, int& pos, int& year, int& month,
                    int& day, const DateLocale& locale = SystemDateLocale());
bool ParseDateByFormat(const QString& format, const QString& text, int& day, int& month, int& year,
                       const DateLocale& locale = SystemDateLocale());

}  // namespace kelmo::xt
