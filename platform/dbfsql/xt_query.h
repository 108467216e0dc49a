// TXtQuery: the desktop engine's query whose statement may hold macros,
// written as the macro character ("%" by default) and a name, which are
// replaced by texts of the caller's choosing before the statement runs.
// SQL holds the unexpanded statement (the pattern); every change of it closes
// the query, collects the macros again (new ones get "0=0", kept ones keep
// their values) and hands the expansion to the base query. Opening and
// ExecSQLWithMacros expand again with the current values, so statement
// parameters set before keep their values.
//
// Errors: MacroParam of an unknown name raises EDbfSqlError "Parameter '%s'
// not found"; the base query's errors pass through. Cost: linear in the
// statement per macro.
#pragma once

#include <QChar>
#include <vector>

#include "dbf_query.h"

namespace kelmo::dbfsql {

struct TMacro {
  QString name;
  QString value = QStringLiteral("0=0");
  // Macros made by the query are of string type; a macro of unknown type is
  // not expanded.
  bool known = true;
};

class TXtQuery : public TQuery {
 public:
  TXtQuery();

  const QStringList& SQL() const { return pattern_; }
  void SetSQL(const QStringList& lines);
  QChar MacroChar() const { return macroChar_; }
  void SetMacroChar(QChar c);
  const std::vector<TMacro>& Macros() const { return macros_; }
  // Copies the values of same-named macros; adds none.
  void SetMacros(const std::vector<TMacro>& macros);
  TMacro& MacroParam(const QString& name);
  int MacroCount() const { return static_cast<int>(macros_.size()); }

  void ExecSQLWithMacros();
  void Open() override;

  // The macro names of a text (step of collecting, exposed for tests).
  static std::vector<QString> CollectMacroNames(const QString& text, QChar macroChar);
  // One line with the macros put in.
  static QString ExpandLine(const QString& line, const std::vector<TMacro>& macros,
                            QChar macroChar);

 protected:
  void StatementChanged() override;

 private:
  void ProcessPatternChange();
  void CollectMacros();
  void ExpandMacros();

  QChar macroChar_ = QLatin1Char('%');
  std::vector<TMacro> macros_;
  QStringList pattern_;
  bool expanding_ = false;
  bool patternChanged_ = false;
};

}  // namespace kelmo::dbfsql
