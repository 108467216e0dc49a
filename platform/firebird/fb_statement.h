// A statement of a Firebird connection prepared once and run many times with
// new parameter values: the loading of a registry runs each of its inserts
// once per row, and preparing the text again for every row would cost more
// than the insert itself. Parameters are set by name (":id_ill" is set as
// "id_ill"); names the text does not hold are ignored, so a row's values can
// be set from one table of columns. Values left unset between runs keep
// their last value; Clear() makes every parameter NULL.
//
// The driver turns a null passed into a NOT NULL column into zero: a
// statement leaves such a column out when the table's trigger fills it.
//
// A commit ends the transaction the statement was prepared in; the next run
// prepares it again in the new one (once per transaction).
//
// Errors: DatabaseError with the driver's message, from Prepare and Exec.
// Cost: one prepare per Prepare; one round trip per Exec.
#pragma once

#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <vector>

namespace kelmo {

class FbDatabase;
class FbTransaction;

class FbStatement {
 public:
  // The transaction, when given, is started before each run.
  FbStatement(FbDatabase& database, FbTransaction* transaction = nullptr);

  // Prepares `text`; every parameter starts NULL.
  void Prepare(const QString& text);
  const QString& Text() const { return text_; }
  bool HasParam(const QString& name) const { return Index(name) >= 0; }
  // Sets a parameter; a name the statement does not hold is ignored. A text
  // value is bound as a text even when empty; only an invalid QVariant is
  // NULL.
  void Set(const QString& name, const QVariant& value);
  // Every parameter NULL.
  void Clear();
  // Runs the statement. A statement that answers rows (a select or an
  // executed procedure with outputs) keeps its first row for Value().
  void Exec();
  // Runs a select and hands each of its rows to `row` (columns by index).
  void ExecRows(const std::function<void(const QSqlQuery&)>& row);
  // A column of the first row the last Exec answered; null when none.
  QVariant Value(const QString& column) const;

 private:
  int Index(const QString& name) const;
  void PrepareQuery();
  // Starts the transaction, binds the values and runs the statement.
  void Run();

  FbDatabase& database_;
  FbTransaction* transaction_;
  QString text_;
  QString positional_;
  std::uint64_t generation_ = 0;
  QSqlQuery query_;
  std::vector<QString> names_;  // in order of first appearance, lower case
  std::vector<int> places_;     // the name of each "?" mark, by index
  std::vector<QVariant> values_;
  std::vector<QVariant> row_;
  std::vector<QString> columns_;
};

// Runs `text` once in the transaction (a SAVEPOINT, an update without
// parameters). Raises DatabaseError.
void FbExecute(FbDatabase& database, FbTransaction* transaction, const QString& text);

}  // namespace kelmo
