// Date arithmetic and date-text parsing of the extension controls.
#include "xt_date_utils.h"

#include <QDate>
#include <QLocale>
#include <cmath>
#include <cstdlib>

namespace kelmo::xt {
namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// QDate's Julian day of 30.12.1899, day 0 of the day-based values.
const qint64 kDayZero = QDate(1899, 12, 30).toJulianDay();

int EffectiveYear(const DateLocale& locale) {
  return locale.currentYear != 0 ? locale.currentYear : CurrentYearNumber();
}

QChar CharAt(const QString& text, int pos) {  // 1-based; NUL past the end
  return pos >= 1 && pos <= text.size() ? text.at(pos - 1) : QChar();
}

DateLocale ReadSystemLocale() {
  const QLocale system = QLocale::system();
  DateLocale locale;
  locale.shortDateFormat = system.dateFormat(QLocale::ShortFormat);
  for (const QChar c : locale.shortDateFormat) {
    if (!c.isLetter()) {
      locale.dateSeparator = c;
      break;
    }
  }
  for (int m = 1; m <= 12; ++m) locale.longMonthNames << system.standaloneMonthName(m);
  locale.shortTimeFormat = system.timeFormat(QLocale::ShortFormat);
  locale.timeAmString = system.amText();
  locale.timePmString = system.pmText();
  const QLocale::Language language = system.language();
  locale.farEast =
      language == QLocale::Chinese || language == QLocale::Japanese || language == QLocale::Korean;
  return locale;
}

}  // namespace

const DateLocale& SystemDateLocale() {
  static const DateLocale locale = ReadSystemLocale();
  return locale;
}

bool UsesFourDigitYear() {
  static const bool fourDigits =
      SystemDateLocale().shortDateFormat.toUpper().contains(QLatin1String("YYYY"));
  return fourDigits;
}

bool YearIsLeap(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int MonthDayCount(int year, int month) {
  if (month < 1 || month > 12) return 0;
  return kMonthDays[month - 1] + (month == 2 && YearIsLeap(year) ? 1 : 0);
}

bool IsValidDateParts(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= MonthDayCount(year, month);
}

DateTimeValue EncodeDate(int year, int month, int day) {
  if (!IsValidDateParts(year, month, day)) throw DateError("Invalid argument to date encode");
  return static_cast<DateTimeValue>(QDate(year, month, day).toJulianDay() - kDayZero);
}

bool DecodeDate(DateTimeValue date, int& year, int& month, int& day) {
  if (!std::isfinite(date) || std::fabs(date) > 3.0e6) return false;
  const QDate d = QDate::fromJulianDay(kDayZero + static_cast<qint64>(std::trunc(date)));
  if (!d.isValid() || d.year() < 1 || d.year() > 9999) return false;
  year = d.year();
  month = d.month();
  day = d.day();
  return true;
}

int MonthOfDate(DateTimeValue date) {
  int y = 0, m = 0, d = 0;
  return DecodeDate(date, y, m, d) ? m : 0;
}

DateTimeValue ShiftDate(DateTimeValue date, int days, int months, int years) {
  int y = 0, m = 0, d = 0;
  if (!DecodeDate(date, y, m, d)) throw DateError("Invalid argument to date encode");
  m += months % 12;
  y += years + months / 12;
  if (m < 1) {
    m += 12;
    --y;
  } else if (m > 12) {
    m -= 12;
    ++y;
  }
  if (y >= 1 && y <= 9999 && d > MonthDayCount(y, m)) d = MonthDayCount(y, m);
  const DateTimeValue fraction = date - std::trunc(date);
  return EncodeDate(y, m, d) + days + fraction;
}

DateTimeValue AddMonths(DateTimeValue date, int months) {
  return ShiftDate(date, 0, months, 0);
}

bool IsValidDateValue(DateTimeValue date) {
  int y = 0, m = 0, d = 0;
  return DecodeDate(date, y, m, d) && IsValidDateParts(y, m, d);
}

int DayCountInclusive(DateTimeValue first, DateTimeValue second) {
  if (!IsValidDateValue(first) || !IsValidDateValue(second)) return 0;
  const auto a = static_cast<long long>(std::trunc(first));
  const auto b = static_cast<long long>(std::trunc(second));
  return static_cast<int>(std::llabs(a - b) + 1);
}

int CurrentYearNumber() {
  return QDate::currentDate().year();
}

DateOrder DateOrderOf(const QString& format) {
  for (const QChar c : format) {
    const ushort u = c.unicode();
    if (u > 127) continue;
    switch (static_cast<char>(u & ~0x20)) {  // the lower-case bit cleared
      case 'D':
        return DateOrder::DayMonthYear;
      case 'E':
      case 'Y':
        return DateOrder::YearMonthDay;
      case 'M':
        return DateOrder::MonthDayYear;
      default:
        break;
    }
  }
  return DateOrder::DayMonthYear;
}

int WidenYear(int year, int currentYear) {
  if (year >= 100) return year;
  const int window = currentYear - CenturyWindowOffset;
  year += (window / 100) * 100;
  if (CenturyWindowOffset > 0 && year < window) year += 100;
  return year;
}

int WidenYear(int year) {
  return WidenYear(year, CurrentYearNumber());
}

void SkipBlanks(const QString& text, int& pos) {
  while (CharAt(text, pos) == QLatin1Char(' ')) ++pos;
}

bool ReadNumber(const QString& text, int maxLength, int& pos, int& number) {
  SkipBlanks(text, pos);
  int p = pos;
  int value = 0;
  int read = 0;
  while (p <= text.size() && read < maxLength && value < 1000) {
    const QChar c = CharAt(text, p);
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
    value = value * 10 + (c.unicode() - '0');
    ++read;
    ++p;
  }
  if (read == 0) return false;
  pos = p;
  number = value;
  return true;
}

bool ReadExpectedChar(const QString& text, int& pos, QChar c) {
  SkipBlanks(text, pos);
  if (pos > text.size() || CharAt(text, pos) != c) return false;
  ++pos;
  return true;
}

void SkipToDigit(const QString& text, int& pos) {
  // Text is Unicode here: a double-byte character is one position.
  while (pos <= text.size()) {
    const QChar c = CharAt(text, pos);
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return;
    ++pos;
  }
}

int MonthByName(const QString& text, int length, const DateLocale& locale) {
  const QString wanted = text.left(length);
  for (int m = 0; m < locale.longMonthNames.size() && m < 12; ++m) {
    const QString& name = locale.longMonthNames.at(m);
    if (name.isEmpty()) continue;
    if (name.left(length).compare(wanted, Qt::CaseInsensitive) == 0) return m + 1;
  }
  return 0;
}

bool CollectMaskPart(const QString& format, const QString& text, QChar letter, int count,
                     QString& collected) {
  collected.clear();
  if (text.size() > format.size()) return false;
  const QChar upper = letter.toUpper();
  const QString upperFormat = format.toUpper();
  const qsizetype start = upperFormat.indexOf(QString(count, upper));
  if (start < 0) return false;
  for (qsizetype i = start; i < upperFormat.size() && upperFormat.at(i) == upper && i < text.size();
       ++i) {
    if (text.at(i) != QLatin1Char(' ') && collected.size() < 20) collected += text.at(i);
  }
  return true;
}

int MaskPartValue(const QString& format, const QString& text, QChar letter, int count,
                  int blankValue, int defaultValue, const DateLocale& locale) {
  QString collected;
  if (!CollectMaskPart(format, text, letter, count, collected)) return defaultValue;
  if (collected.isEmpty()) return blankValue;
  if (count < 2) {
    bool ok = false;
    const int value = collected.toInt(&ok, 10);
    return ok ? value : -1;
  }
  const int month = MonthByName(collected, static_cast<int>(collected.size()), locale);
  return month == 0 ? -1 : month;
}

bool ParseDateParts(const QString& text, const QString& format, int& pos, int& year, int& month,
                    int& day, const DateLocale& locale) {
  year = month = day = 0;
  const DateOrder order = DateOrderOf(format);
  const int maxLength = static_cast<int>(text.size());
  if (locale.shortDateFormat.startsWith(QLatin1Char('g'), Qt::CaseInsensitive))
    SkipToDigit(text, pos);
  int n1 = 0, n2 = 0, n3 = 0;
  if (!ReadNumber(text, maxLength, pos, n1) || !ReadExpectedChar(text, pos, locale.dateSeparator) ||
      !ReadNumber(text, maxLength, pos, n2))
    return false;
  if (ReadExpectedChar(text, pos, locale.dateSeparator)) {
    if (!ReadNumber(text, maxLength, pos, n3)) return false;
    switch (order) {
      case DateOrder::MonthDayYear:
        month = n1, day = n2, year = n3;
        break;
      case DateOrder::DayMonthYear:
        day = n1, month = n2, year = n3;
        break;
      case DateOrder::YearMonthDay:
        year = n1, month = n2, day = n3;
        break;
    }
    year = WidenYear(year, EffectiveYear(locale));
  } else {
    year = EffectiveYear(locale);
    if (order == DateOrder::DayMonthYear) {
      day = n1, month = n2;
    } else {
      month = n1, day = n2;
    }
  }
  ReadExpectedChar(text, pos, locale.dateSeparator);
  SkipBlanks(text, pos);
  if (locale.farEast && locale.shortDateFormat.contains(QLatin1String("ddd"))) {
    const QChar timeStart =
        locale.shortTimeFormat.isEmpty() ? QChar() : locale.shortTimeFormat.at(0);
    if (timeStart.isDigit()) {
      SkipToDigit(text, pos);
    } else {
      while (pos <= text.size()) {
        const QString rest = text.mid(pos - 1);
        if ((!locale.timeAmString.isEmpty() &&
             rest.startsWith(locale.timeAmString, Qt::CaseInsensitive)) ||
            (!locale.timePmString.isEmpty() &&
             rest.startsWith(locale.timePmString, Qt::CaseInsensitive)))
          break;
        while (pos <= text.size() && CharAt(text, pos) != QLatin1Char(' ')) ++pos;
        SkipBlanks(text, pos);
      }
    }
  }
  return IsValidDateParts(year, month, day) && pos > text.size();
}

bool ParseDateByFormat(const QString& format, const QString& text, int& day, int& month, int& year,
                       const DateLocale& locale) {
  month = MaskPartValue(format, text, QLatin1Char('M'), 3, -1, 0, locale);
  if (month == 0) month = MaskPartValue(format, text, QLatin1Char('M'), 1, -1, 0, locale);
  day = MaskPartValue(format, text, QLatin1Char('D'), 1, -1, 1, locale);
  year = MaskPartValue(format, text, QLatin1Char('Y'), 1, -1, EffectiveYear(locale), locale);
  year = WidenYear(year, EffectiveYear(locale));
  if (IsValidDateParts(year, month, day)) return true;
  int pos = 1;
  return ParseDateParts(text, format, pos, year, month, day, locale);
}

bool TryTextToDate(const QString& format, const QString& text, DateTimeValue& date,
                   const DateLocale& locale) {
  if (text.isEmpty()) {
    date = NoDate;
    return true;
  }
  int day = 0, month = 0, year = 0;
  if (!ParseDateByFormat(format, text, day, month, year, locale)) return false;
  if (!IsValidDateParts(year, month, day)) return false;
  date = EncodeDate(year, month, day);
  return true;
}

DateTimeValue TextToDateWithFormat(const QString& format, const QString& text,
                                   const DateLocale& locale) {
  DateTimeValue date = NoDate;
  if (!TryTextToDate(format, text, date, locale))
    throw DateError(QStringLiteral("'%1' is not a valid date").arg(text).toStdString());
  return date;
}

DateTimeValue TextToDateOrDefault(const QString& format, const QString& text,
                                  DateTimeValue fallback, const DateLocale& locale) {
  DateTimeValue date = NoDate;
  if (!TryTextToDate(format, text, date, locale)) return std::trunc(fallback);
  return date;
}

QString DefaultDateFormat(bool fourDigitYear, const DateLocale& locale) {
  switch (DateOrderOf(locale.shortDateFormat)) {
    case DateOrder::MonthDayYear:
      return fourDigitYear ? QStringLiteral("MM/DD/YYYY") : QStringLiteral("MM/DD/YY");
    case DateOrder::YearMonthDay:
      return fourDigitYear ? QStringLiteral("YYYY/MM/DD") : QStringLiteral("YY/MM/DD");
    case DateOrder::DayMonthYear:
      break;
  }
  return fourDigitYear ? QStringLiteral("DD/MM/YYYY") : QStringLiteral("DD/MM/YY");
}

QString DefaultDateMask(QChar blank, bool fourDigitYear, const DateLocale& locale) {
  QString mask;
  if (!fourDigitYear)
    mask = QStringLiteral("!99/99/99;1;");
  else if (DateOrderOf(locale.shortDateFormat) == DateOrder::YearMonthDay)
    mask = QStringLiteral("!9999/99/99;1;");
  else
    mask = QStringLiteral("!99/99/9999;1;");
  return mask + blank;
}

}  // namespace kelmo::xt
