// TQuery: the desktop engine's query over a DBF folder (DatabaseName is the
// folder). Its statement is the engine's SQL (dbf_sql_text.h); parameters are
// written ":name" and are kept one per occurrence, so that they can be set by
// name (every occurrence of the name) or by position (one occurrence). Open
// runs the statement and keeps its rows (a result is read whole, so no table
// stays open between calls and the tables can be packed meanwhile); ExecSQL
// runs a statement without rows and answers the rows changed.
//
// Values: NULL is an invalid QVariant; INTEGER qlonglong, REAL double, TEXT
// QString (dates are ISO text "yyyy-mm-dd"; FieldAsDate converts), BLOB
// QByteArray. Bound values: QDate as ISO text, QDateTime as ISO date when its
// time is midnight, else "yyyy-MM-dd hh:mm:ss", bool as 1/0.
//
// Errors: EDbfSqlError with the engine's or SQLite's text; "Parameter '%s'
// not found"; "Field '%s' not found"; "Cannot perform this operation on a
// closed dataset". Memory: the rows of the result.
//
// A unidirectional query (SetUniDirectional) streams its result instead: Open
// runs the statement to its first row and Next steps it, so only the current
// row is held and the tables stay open while the rows are read (until Eof or
// Close). First runs the statement again from its start; RecordCount runs it
// once more to count; Prior and Last raise "Operation not allowed on a
// unidirectional dataset".
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <memory>
#include <vector>

#include "dbf_sql_database.h"

namespace kelmo::dbfsql {

struct TParam {
  QString name;
  QVariant value;
};

class TQuery {
 public:
  TQuery();
  virtual ~TQuery();
  TQuery(const TQuery&) = delete;
  TQuery& operator=(const TQuery&) = delete;

  const QString& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const QString& folder);
  void SetDefaultCodePage(bytes::CodePage cp);

  // The statement the query runs. Setting it closes the query and reads its
  // parameters again, keeping the values of those that keep their names.
  const QStringList& Statement() const { return statement_; }
  void SetStatement(const QStringList& lines);
  QString StatementText() const { return statement_.join('\n'); }

  int ParamCount() const { return static_cast<int>(params_.size()); }
  const TParam& Param(int index) const { return params_.at(static_cast<size_t>(index)); }
  void SetParam(const QString& name, const QVariant& value);
  void SetParamAt(int index, const QVariant& value);
  QVariant ParamValue(const QString& name) const;

  // Takes effect at the next Open.
  void SetUniDirectional(bool on) { uniDirectional_ = on; }
  bool UniDirectional() const { return uniDirectional_; }

  virtual void Open();
  void Close();
  bool Active() const { return active_; }
  void SetActive(bool on) { on ? Open() : Close(); }
  virtual int ExecSQL();
  int RowsAffected() const { return rowsAffected_; }

  bool Eof() const;
  bool Bof() const;
  bool IsEmpty() const;
  void First();
  void Next();
  void Prior();
  void Last();
  int RecordCount() const;
  int RecNo() const;
  int FieldCount() const;
  QString FieldName(int index) const;
  bool HasField(const QString& name) const;
  QVariant Field(int index) const;
  QVariant FieldByName(const QString& name) const;
  // The ISO text of a date column as a date (invalid for NULL).
  QDate FieldAsDate(const QString& name) const;

 protected:
  // Called after the statement was replaced through SetStatement.
  virtual void StatementChanged() {}
  DbfSqlDatabase& Database();
  void CheckActive() const;

 private:
  sqlite3_stmt* PrepareAndBind();
  // Binds the parameters' values (the database is made).
  void Bind(sqlite3_stmt* stmt) const;
  int FieldIndex(const QString& name) const;
  // Steps the running statement of a unidirectional query to its next row.
  void StepStream();

  QString databaseName_;
  bytes::CodePage codePage_ = bytes::CodePage::Cp1251;
  std::unique_ptr<DbfSqlDatabase> database_;
  // The prepared statement of the last run (destroyed before the database).
  StatementHandle cached_;
  QString cachedText_;
  QStringList statement_;
  std::vector<TParam> params_;
  bool active_ = false;
  int rowsAffected_ = 0;
  QStringList fieldNames_;
  std::vector<std::vector<QVariant>> rows_;
  int current_ = 0;
  bool eof_ = true;
  bool bof_ = true;
  bool uniDirectional_ = false;
  // A unidirectional query: its statement is running, and the number of
  // rows once counted (-1 before).
  bool streaming_ = false;
  mutable int streamedCount_ = -1;
};

// Inserts each row into `file` of the DBF folder through the engine; a row
// names its fields, the others stay blank.
void InsertRows(const QString& folder, const QString& file, const std::vector<QVariantMap>& rows);

}  // namespace kelmo::dbfsql
