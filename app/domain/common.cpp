// Text, number and date helpers of the unit Common.
#include "common.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include "system/account.h"
#include "system/workstation.h"

namespace kelmo {

ConversionError::ConversionError(const QString& text)
    : std::runtime_error(
          QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString()) {}

QString TrimText(const QString& text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && text.at(first).unicode() < 33) ++first;
  if (first == last) return {};
  while (last > first && text.at(last - 1).unicode() < 33) --last;
  return text.mid(first, last - first);
}

QString MoneyStr(Money value) {
  const std::int64_t kopecks = DivideRoundHalfEven(value.units(), 100);
  const std::int64_t magnitude = kopecks < 0 ? -kopecks : kopecks;
  return QStringLiteral("%1%2.%3")
      .arg(kopecks < 0 ? QStringLiteral("-") : QString())
      .arg(magnitude / 100)
      .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString MonthName(int month) {
  static const char* const kNames[] = {"январь",   "февраль", "март",   "апрель",
                                       "май",      "июнь",    "июль",   "август",
                                       "сентябрь", "октябрь", "ноябрь", "декабрь"};
  return month >= 1 && month <= 12 ? QString::fromUtf8(kNames[month - 1]) : QString();
}

Money RoundToKopecks(Money value) {
  return value.RoundToKopecks();
}

QString ReverseStr(const QString& text) {
  QString trimmed = TrimText(text);
  std::reverse(trimmed.begin(), trimmed.end());
  return trimmed;
}

QString TextBetween(const QString& startMarker, const QString& endMarker, const QString& text,
                    bool fromEnd) {
  if (!fromEnd) {
    if (startMarker.isEmpty()) return {};
    const qsizetype p = text.indexOf(startMarker);
    if (p < 0) return {};
    const QString rest = text.mid(p + startMarker.size());
    const qsizetype q = rest.indexOf(endMarker);
    if (q >= 0) return rest.left(q);
    return rest.left(rest.size() - 1);
  }
  const QString a = TrimText(startMarker);
  const QString b = TrimText(endMarker);
  const QString s = TrimText(text);
  if (a.isEmpty()) return {};
  const qsizetype p = s.lastIndexOf(a);
  if (p < 0) return {};
  const QString rest = s.mid(p + a.size());
  const qsizetype q = b.isEmpty() ? -1 : rest.lastIndexOf(b);
  return q >= 0 ? rest.left(q) : rest;
}

QString CleanOpenCommand(const QString& command) {
  QString result = command;
  if (const qsizetype percent = result.indexOf(QLatin1Char('%')); percent >= 0)
    result.truncate(percent);
  if (result.startsWith(QLatin1Char('"'))) result.remove(0, 1);
  if (result.endsWith(QLatin1Char('"'))) result.chop(1);
  while (!result.isEmpty() &&
         (result.back() == QLatin1Char(' ') || result.back() == QLatin1Char('"')))
    result.chop(1);
  return result;
}

QString ProgramForExtension(const QString& extension) {
  return CleanOpenCommand(RegisteredOpenCommand(extension));
}

int CodeKind(const QString& code) {
  const QString c = TrimText(code);
  QChar digit;
  int offset = 0;
  if (c.size() == 7) {
    digit = c.at(0);
  } else if (c.size() > 11) {
    digit = c.at(11);
    offset = 2;
  } else {
    return 0;
  }
  if (!IsDigitChar(digit)) throw ConversionError(QString(digit));
  return digit.digitValue() + offset;
}

QString VersionText(const QString& fourPartVersion) {
  const QStringList parts = fourPartVersion.split(QLatin1Char('.'));
  return parts.mid(0, 3).join(QLatin1Char('.'));
}

QString ProgramVersionText() {
  return VersionText(QStringLiteral(KELMO_VERSION));
}

QString FileVersionText(const QString& path) {
  const QString exe = QCoreApplication::applicationFilePath();
  if (path.isEmpty() || exe.isEmpty()) return {};
  if (QFileInfo(path).canonicalFilePath() != QFileInfo(exe).canonicalFilePath()) return {};
  return ProgramVersionText();
}

QDateTime ExeFileDate() {
  return QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
}

QDate EndOfMonth(const QDate& date) {
  static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (!date.isValid()) return {};
  int days = kMonthDays[date.month() - 1];
  if (date.month() == 2 && QDate::isLeapYear(date.year())) days = 29;
  return QDate(date.year(), date.month(), days);
}

QString DigitsOnly(const QString& text) {
  QString result;
  result.reserve(text.size());
  for (const QChar c : text)
    if (IsDigitChar(c)) result.append(c);
  return result;
}

void CopyText(const QString& text, QString& variable) {
  variable = text;
}

bool IsDigitChar(QChar c) {
  return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QString ShortDateText(const QDate& date) {
  return date.toString(QStringLiteral("dd.MM.yyyy"));
}

bool IsOMSDomain(const AccountSource& source) {
  QString name;
  QString domain;
  int nameSize = 50;
  int domainSize = 50;
  if (!TokenAccount(source, name, nameSize, domain, domainSize)) return false;
  return TrimText(domain).toUpper() == QLatin1String("OMS");
}

}  // namespace kelmo
