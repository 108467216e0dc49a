// A query of a Firebird connection as the forms hold one: an SQL text kept
// with it, parameters set by name, and, for a select, its rows read in full
// when it opens, with a current row walked by First/Next and fields read by
// name. Reading every row at once lets a run commit while it walks them.
#pragma once

#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

namespace kelmo {

class FbDatabase;
class FbTransaction;

class FbQuery {
 public:
  // The transaction, when given, is started before the query runs.
  FbQuery(FbDatabase& database, FbTransaction* transaction = nullptr);

  // The statement; lines are joined with "\n". Changing it closes the query
  // and keeps the parameters that the new text still names.
  void setSql(const QStringList& lines);
  void setSql(const QString& text);
  const QString& sql() const { return sql_; }

  // Parameter values by name (":dbeg" is set as "dbeg"); a null QVariant is
  // SQL NULL.
  void setParam(const QString& name, const QVariant& value);
  QVariant param(const QString& name) const;

  // Runs a select and reads all its rows; the current row is the first.
  // Raises DatabaseError with the driver's message; the query stays closed.
  // Cost: every row in memory.
  void Open();
  void Close();
  bool Active() const { return active_; }
  // Runs a statement without rows; raises DatabaseError.
  void ExecSQL();

  int RecordCount() const { return static_cast<int>(rows_.size()); }
  void First() { row_ = 0; }
  void Next() {
    if (row_ < RecordCount()) ++row_;
  }
  void Last() { row_ = RecordCount() > 0 ? RecordCount() - 1 : 0; }
  bool Eof() const { return row_ >= RecordCount(); }
  int RecNo() const { return row_; }
  void setRecNo(int row) { row_ = row; }

  // A field of the current row, name without regard to case; an unknown name
  // raises DatabaseError "Поле '<name>' не найдено"; no current row gives null.
  QVariant FieldByName(const QString& name) const;
  // A field of any row, by row and column index.
  QVariant Value(int row, int column) const;
  QVariant Value(int row, const QString& name) const;
  // Column names as the driver gives them (upper case for unquoted names).
  QStringList FieldNames() const;
  int FieldIndex(const QString& name) const;

 private:
  FbDatabase& database_;
  FbTransaction* transaction_;
  QString sql_;
  QVariantMap params_;
  QSqlRecord layout_;
  QList<QSqlRecord> rows_;
  int row_ = 0;
  bool active_ = false;
};

}  // namespace kelmo
