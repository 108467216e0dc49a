// Date texts of the date edit and the calendars: reading a typed date against
// a format such as "DD/MM/YYYY", writing a date by such a format, and the edit
// mask. "/" in a format or mask stands for the date separator, which is "."
// (dates are written dd.mm.yyyy whatever the locale). An empty date (NoDate)
// is a null QDate; the zero date 30.12.1899 counts as empty too.
//
// Nothing here keeps state; the current year is read from the clock unless a
// caller passes one.
#pragma once

#include <QChar>
#include <QDate>
#include <QString>

namespace XtDateText {

inline constexpr QChar kDateSeparator = QLatin1Char('.');
// The system short date format the defaults follow.
inline constexpr char kShortDateFormat[] = "dd.MM.yyyy";

enum class TDateOrder { doMDY, doDMY, doYMD };

bool IsNoDate(const QDate& date);
bool IsValidDateParts(int year, int month, int day);
// A real date of the years 1 to 9999.
bool IsValidDateValue(const QDate& date);
// True when the short date format holds a four-digit year (it does).
bool UsesFourDigitYear();

// A two-digit year moved into the window from currentYear - 60 to
// currentYear + 39; a year of 100 or more is returned unchanged.
int WidenYear(int year, int currentYear);
TDateOrder DateOrderOf(const QString& format);
// "DD/MM/YYYY" and the like by the short date format's order.
QString DefaultDateFormat(bool fourDigitYear);
// "!99/99/9999;1;" and the like, with the blank character appended.
QString DefaultDateMask(QChar blank, bool fourDigitYear);
// The same mask in QLineEdit's inputMask notation.
QString QtInputMask(const QString& mask);

// The month whose long name begins with the first `length` characters of the
// text (case ignored), or 0.
int MonthByName(const QString& text, int length);

// Reads a date: first by the positions of D, M and Y in the format, then as
// numbers separated by the date separator (two numbers take the current
// year). An empty text gives NoDate and true. O(length).
bool TryTextToDate(const QString& format, const QString& text, QDate& date,
                   int currentYear = QDate::currentDate().year());
// TryTextToDate, raising EConvertError "'<text>' is not a valid date".
QDate TextToDateWithFormat(const QString& format, const QString& text);
// TryTextToDate, or `fallback` when the text does not read.
QDate TextToDateOrDefault(const QString& format, const QString& text, const QDate& fallback);

// The date by a format of DD, MM, MMMM (long month name), YY, YYYY and "/";
// empty for NoDate.
QString FormatDate(const QString& format, const QDate& date);

}  // namespace XtDateText
