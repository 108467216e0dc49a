// Script splitting for the schema scripts.
#include "sql_script.h"

#include <QRegularExpression>

namespace kelmo {
namespace {

// "SET TERM ^" (the old terminator has been cut off already).
bool ReadSetTerm(const QString& statement, QString& newTerminator) {
  static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch match = setTerm.match(statement);
  if (!match.hasMatch()) return false;
  newTerminator = match.captured(1);
  return true;
}

}  // namespace

QStringList SplitSqlScript(const QString& script) {
  QStringList statements;
  QString terminator = QStringLiteral(";");
  QString current;
  const qsizetype n = script.size();
  qsizetype i = 0;

  auto finish = [&]() {
    const QString statement = current.trimmed();
    current.clear();
    if (statement.isEmpty()) return;
    QString newTerminator;
    if (ReadSetTerm(statement, newTerminator)) {
      terminator = newTerminator;
      return;
    }
    statements.append(statement);
  };

  while (i < n) {
    const QChar c = script.at(i);
    if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
      // A literal or quoted identifier runs to the matching quote; a doubled
      // quote inside it is part of it.
      qsizetype j = i + 1;
      while (j < n) {
        if (script.at(j) == c) {
          if (j + 1 < n && script.at(j + 1) == c) {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      const qsizetype end = j < n ? j + 1 : n;
      current += script.mid(i, end - i);
      i = end;
      continue;
    }
    if (c == QLatin1Char('-') && i + 1 < n && script.at(i + 1) == QLatin1Char('-')) {
      while (i < n && script.at(i) != QLatin1Char('\n')) ++i;
      continue;
    }
    if (c == QLatin1Char('/') && i + 1 < n && script.at(i + 1) == QLatin1Char('*')) {
      const qsizetype close = script.indexOf(QStringLiteral("*/"), i + 2);
      i = close < 0 ? n : close + 2;
      current += QLatin1Char(' ');
      continue;
    }
    if (script.mid(i, terminator.size()) == terminator) {
      i += terminator.size();
      finish();
      continue;
    }
    current += c;
    ++i;
  }
  finish();
  return statements;
}

}  // namespace kelmo
