// Date texts of the date edit and the calendars.
#include "xt_date_text.h"

#include <QLocale>

#include "xt_date_utils.h"
#include "xt_errors.h"

namespace XtDateText {

namespace {

int MaskPartValue(const QString& format, const QString& text, QChar letter, int count,
                  int blankValue, int defaultValue) {
  QString collected;
  if (!kelmo::xt::CollectMaskPart(format, text, letter, count, collected)) return defaultValue;
  if (collected.isEmpty()) return blankValue;
  if (count < 2) {
    bool ok = false;
    const int v = collected.toInt(&ok);
    return ok ? v : -1;
  }
  const int month = MonthByName(collected, collected.size());
  return month == 0 ? -1 : month;
}

// The date texts here always use "." and the day-month-year order of the
// fixed short date format, whatever the system locale says.
kelmo::xt::DateLocale FixedLocale(int currentYear) {
  kelmo::xt::DateLocale locale;
  locale.shortDateFormat = QString::fromLatin1(kShortDateFormat);
  locale.dateSeparator = kDateSeparator;
  locale.currentYear = currentYear;
  return locale;
}

bool ParseDateParts(const QString& text, const QString& format, int& year, int& month, int& day,
                    int currentYear) {
  int pos = 1;
  return kelmo::xt::ParseDateParts(text, format, pos, year, month, day, FixedLocale(currentYear));
}

}  // namespace

bool IsNoDate(const QDate& date) {
  return !date.isValid() || date == QDate(1899, 12, 30);
}

bool IsValidDateParts(int year, int month, int day) {
  return kelmo::xt::IsValidDateParts(year, month, day);
}

bool IsValidDateValue(const QDate& date) {
  return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

bool UsesFourDigitYear() {
  return QString::fromLatin1(kShortDateFormat).toUpper().contains(QLatin1String("YYYY"));
}

int WidenYear(int year, int currentYear) {
  return kelmo::xt::WidenYear(year, currentYear);
}

TDateOrder DateOrderOf(const QString& format) {
  switch (kelmo::xt::DateOrderOf(format)) {
    case kelmo::xt::DateOrder::MonthDayYear:
      return TDateOrder::doMDY;
    case kelmo::xt::DateOrder::YearMonthDay:
      return TDateOrder::doYMD;
    case kelmo::xt::DateOrder::DayMonthYear:
      break;
  }
  return TDateOrder::doDMY;
}

QString DefaultDateFormat(bool fourDigitYear) {
  return kelmo::xt::DefaultDateFormat(fourDigitYear, FixedLocale(0));
}

QString DefaultDateMask(QChar blank, bool fourDigitYear) {
  return kelmo::xt::DefaultDateMask(blank, fourDigitYear, FixedLocale(0));
}

QString QtInputMask(const QString& mask) {
  const QString body = mask.section(QLatin1Char(';'), 0, 0);
  const QString blank = mask.section(QLatin1Char(';'), 2);
  QString qt;
  for (QChar c : body) {
    if (c == QLatin1Char('!')) continue;  // Qt keeps leading blanks anyway
    if (c == QLatin1Char('9'))
      qt += QLatin1Char('0');  // an optional digit
    else if (c == QLatin1Char('/'))
      qt += kDateSeparator;
    else
      qt += c;
  }
  return qt + QLatin1Char(';') + (blank.isEmpty() ? QStringLiteral(" ") : blank.left(1));
}

int MonthByName(const QString& text, int length) {
  const QLocale locale;
  const QString prefix = text.left(length);
  for (int m = 1; m <= 12; ++m) {
    for (const QString& name : {locale.monthName(m, QLocale::LongFormat),
                                locale.standaloneMonthName(m, QLocale::LongFormat)}) {
      if (!name.isEmpty() && name.left(length).compare(prefix, Qt::CaseInsensitive) == 0) return m;
    }
  }
  return 0;
}

bool TryTextToDate(const QString& format, const QString& text, QDate& date, int currentYear) {
  if (text.isEmpty()) {
    date = QDate();
    return true;
  }
  int month = MaskPartValue(format, text, QLatin1Char('M'), 3, -1, 0);
  if (month == 0) month = MaskPartValue(format, text, QLatin1Char('M'), 1, -1, 0);
  int day = MaskPartValue(format, text, QLatin1Char('D'), 1, -1, 1);
  int year = MaskPartValue(format, text, QLatin1Char('Y'), 1, -1, currentYear);
  // A blank or unreadable year (-1) stays invalid: widening it would turn an
  // unfinished date such as "05.03.    " into 05.03.1999.
  if (year >= 0) year = WidenYear(year, currentYear);
  if (!IsValidDateParts(year, month, day) &&
      !ParseDateParts(text, format, year, month, day, currentYear))
    return false;
  date = QDate(year, month, day);
  return date.isValid();
}

QDate TextToDateWithFormat(const QString& format, const QString& text) {
  QDate date;
  if (!TryTextToDate(format, text, date))
    throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
  return date;
}

QDate TextToDateOrDefault(const QString& format, const QString& text, const QDate& fallback) {
  QDate date;
  return TryTextToDate(format, text, date) ? date : fallback;
}

QString FormatDate(const QString& format, const QDate& date) {
  if (IsNoDate(date)) return QString();
  QString out;
  const QString upper = format.toUpper();
  int i = 0;
  auto run = [&](QChar c) {
    int n = 0;
    while (i + n < upper.size() && upper[i + n] == c) ++n;
    return n;
  };
  while (i < upper.size()) {
    const QChar c = upper[i];
    if (c == QLatin1Char('D')) {
      const int n = run(c);
      out += n >= 2 ? QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'))
                    : QString::number(date.day());
      i += n;
    } else if (c == QLatin1Char('M')) {
      const int n = run(c);
      if (n >= 4) {
        // Month names begin with a capital, as the system's long names do
        // ("Март", where the locale data has "март").
        QString name = QLocale().standaloneMonthName(date.month(), QLocale::LongFormat);
        if (!name.isEmpty()) name[0] = name[0].toUpper();
        out += name;
      } else if (n == 3)
        out += QLocale().standaloneMonthName(date.month(), QLocale::ShortFormat);
      else
        out += n == 2 ? QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'))
                      : QString::number(date.month());
      i += n;
    } else if (c == QLatin1Char('Y')) {
      const int n = run(c);
      out += n <= 2 ? QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'))
                    : QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
      i += n;
    } else if (c == QLatin1Char('/')) {
      out += kDateSeparator;
      ++i;
    } else {
      out += format[i];
      ++i;
    }
  }
  return out;
}

}  // namespace XtDateText
