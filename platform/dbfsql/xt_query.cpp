// TXtQuery: the query with macros.
#include "xt_query.h"

namespace kelmo::dbfsql {

namespace {

bool IsDelimiter(QChar c) {
  return c == QChar(10) || c == QChar(13) || c == QLatin1Char(' ') || c == QLatin1Char(')') ||
         c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('.');
}

bool IsQuote(QChar c) {
  return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

}  // namespace

TXtQuery::TXtQuery() = default;

std::vector<QString> TXtQuery::CollectMacroNames(const QString& text, QChar macroChar) {
  std::vector<QString> names;
  if (macroChar.isNull()) return names;
  QString work = text;
  bool inLiteral = false;
  int i = 0;
  while (i < work.size()) {
    const QChar c = work[i];
    if (c == macroChar && !inLiteral) {
      if (i + 1 < work.size() && work[i + 1] == macroChar) {
        work.remove(i, 1);
        i += 1;
        continue;
      }
      int j = i + 1;
      const bool quoted = j < work.size() && IsQuote(work[j]);
      while (j < work.size()) {
        const QChar ch = work[j];
        if (IsQuote(ch)) {
          inLiteral = !inLiteral;
        } else if (IsDelimiter(ch) && !inLiteral) {
          break;
        }
        ++j;
      }
      QString name = work.mid(i + 1, j - i - 1);
      if (quoted) {
        if (name.startsWith(QLatin1Char('\''))) name.remove(0, 1);
        if (name.endsWith(QLatin1Char('\''))) name.chop(1);
        if (name.startsWith(QLatin1Char('"'))) name.remove(0, 1);
        if (name.endsWith(QLatin1Char('"'))) name.chop(1);
      }
      bool known = false;
      for (const QString& n : names) known = known || n.compare(name, Qt::CaseInsensitive) == 0;
      if (!known) names.push_back(name);
      work.replace(i, j - i, QStringLiteral("?"));
      i += 2;
      continue;
    }
    if (IsQuote(c)) inLiteral = !inLiteral;
    ++i;
  }
  return names;
}

QString TXtQuery::ExpandLine(const QString& line, const std::vector<TMacro>& macros,
                             QChar macroChar) {
  QString result = line;
  for (auto it = macros.rbegin(); it != macros.rend(); ++it) {
    if (!it->known) continue;
    const QString token = QString(macroChar) + it->name;
    // A value holding its own macro would repeat forever; the count bounds it.
    for (int guard = 0; guard < 100000; ++guard) {
      const int pos = result.indexOf(token, 0, Qt::CaseSensitive);
      if (pos < 0) break;
      const int end = pos + token.size();
      if (end < result.size() && !IsDelimiter(result[end])) break;
      int quotes = 0;
      for (int k = 0; k < pos; ++k) quotes += IsQuote(result[k]) ? 1 : 0;
      if (quotes % 2 != 0) break;
      result = result.left(pos) + it->value + result.mid(end);
    }
  }
  return result;
}

void TXtQuery::SetSQL(const QStringList& lines) {
  Close();
  pattern_ = lines;
  ProcessPatternChange();
}

void TXtQuery::SetMacroChar(QChar c) {
  if (c == macroChar_) return;
  macroChar_ = c;
  CollectMacros();
}

void TXtQuery::SetMacros(const std::vector<TMacro>& macros) {
  for (const TMacro& m : macros) {
    for (TMacro& own : macros_) {
      if (own.name.compare(m.name, Qt::CaseInsensitive) == 0) {
        own.value = m.value;
        own.known = m.known;
      }
    }
  }
}

TMacro& TXtQuery::MacroParam(const QString& name) {
  for (TMacro& m : macros_) {
    if (m.name.compare(name, Qt::CaseInsensitive) == 0) return m;
  }
  throw EDbfSqlError(QStringLiteral("Parameter '%1' not found").arg(name).toStdString());
}

void TXtQuery::CollectMacros() {
  std::vector<TMacro> fresh;
  for (const QString& name : CollectMacroNames(pattern_.join(QLatin1Char('\n')), macroChar_)) {
    TMacro m;
    m.name = name;
    for (const TMacro& old : macros_) {
      if (old.name.compare(name, Qt::CaseInsensitive) == 0) {
        m.value = old.value;
        m.known = old.known;
        break;
      }
    }
    fresh.push_back(m);
  }
  macros_ = std::move(fresh);
}

void TXtQuery::ProcessPatternChange() {
  Close();
  CollectMacros();
  patternChanged_ = true;
  try {
    ExpandMacros();
  } catch (...) {
    patternChanged_ = false;
    throw;
  }
  patternChanged_ = false;
}

void TXtQuery::ExpandMacros() {
  if (!patternChanged_ && macros_.empty()) return;
  QStringList expanded;
  for (const QString& line : pattern_) expanded << ExpandLine(line, macros_, macroChar_);
  expanding_ = true;
  try {
    SetStatement(expanded);
  } catch (...) {
    expanding_ = false;
    throw;
  }
  expanding_ = false;
}

void TXtQuery::StatementChanged() {
  // Text put straight into the base statement becomes the new pattern.
  if (!expanding_) SetSQL(Statement());
}

void TXtQuery::ExecSQLWithMacros() {
  ExpandMacros();
  ExecSQL();
}

void TXtQuery::Open() {
  if (Active()) return;
  ExpandMacros();
  TQuery::Open();
}

}  // namespace kelmo::dbfsql
