// Package date conversion.
#include "xml_dates.h"

namespace kelmo {
namespace {

bool AllDigits(const QString& text) {
  for (QChar c : text) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

}  // namespace

void NextDateToken(const QString& text, QString& rest, QString& part) {
  rest.clear();
  part.clear();
  if (text.isEmpty()) return;
  qsizetype sep = -1;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u' ' || c == u'-' || c == u':') {
      sep = i;
      break;
    }
  }
  if (sep < 0) {
    part = text;
    return;
  }
  part = text.left(sep);
  const QString after = text.mid(sep + 1);
  for (qsizetype i = 0; i < after.size(); ++i) {
    if (after[i] >= u'0' && after[i] <= u'9') {
      rest = after.mid(i);
      return;
    }
  }
}

QString ConvertXmlDate(const QString& text) {
  QString rest = text;
  QString parts[5];
  for (QString& part : parts) {
    QString next;
    NextDateToken(rest, next, part);
    rest = next;
  }
  const QString& year = parts[0];
  const QString& month = parts[1];
  const QString& day = parts[2];
  if (year.size() == 4 && month.size() == 2 && day.size() == 2 && AllDigits(year) &&
      AllDigits(month) && AllDigits(day)) {
    return day + u'.' + month + u'.' + year;
  }
  return text;
}

}  // namespace kelmo
