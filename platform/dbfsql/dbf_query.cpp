// TQuery: the desktop engine's query over a DBF folder.
#include "dbf_query.h"

namespace kelmo::dbfsql {

TQuery::TQuery() = default;
TQuery::~TQuery() = default;

void TQuery::SetDatabaseName(const QString& folder) {
  if (folder == databaseName_) return;
  Close();
  databaseName_ = folder;
  cached_.reset();
  cachedText_.clear();
  database_.reset();
}

void TQuery::SetDefaultCodePage(bytes::CodePage cp) {
  codePage_ = cp;
  if (database_) database_->SetDefaultCodePage(cp);
}

DbfSqlDatabase& TQuery::Database() {
  if (!database_) {
    database_ = std::make_unique<DbfSqlDatabase>(databaseName_);
    database_->SetDefaultCodePage(codePage_);
  }
  return *database_;
}

void TQuery::SetStatement(const QStringList& lines) {
  if (lines == statement_) return;
  Close();
  statement_ = lines;
  std::vector<TParam> fresh;
  for (const std::string& name : RewriteDbfSql(StatementText().toStdString()).parameters) {
    TParam p;
    p.name = QString::fromStdString(name);
    for (const TParam& old : params_) {
      if (!p.name.isEmpty() && old.name.compare(p.name, Qt::CaseInsensitive) == 0) {
        p.value = old.value;
        break;
      }
    }
    fresh.push_back(p);
  }
  params_ = std::move(fresh);
  StatementChanged();
}

void TQuery::SetParam(const QString& name, const QVariant& value) {
  bool found = false;
  for (TParam& p : params_) {
    if (p.name.compare(name, Qt::CaseInsensitive) == 0) {
      p.value = value;
      found = true;
    }
  }
  if (!found) {
    throw EDbfSqlError(QStringLiteral("Parameter '%1' not found").arg(name).toStdString());
  }
}

void TQuery::SetParamAt(int index, const QVariant& value) {
  params_.at(static_cast<size_t>(index)).value = value;
}

QVariant TQuery::ParamValue(const QString& name) const {
  for (const TParam& p : params_) {
    if (p.name.compare(name, Qt::CaseInsensitive) == 0) return p.value;
  }
  throw EDbfSqlError(QStringLiteral("Parameter '%1' not found").arg(name).toStdString());
}

namespace {

// Resets a statement when a run ends, so that its cursors close and no table
// file stays open between runs.
struct ResetOnExit {
  sqlite3_stmt* statement;
  ~ResetOnExit() { sqlite3_reset(statement); }
};

}  // namespace

sqlite3_stmt* TQuery::PrepareAndBind() {
  DbfSqlDatabase& db = Database();
  const QString text = StatementText();
  if (!cached_ || cachedText_ != text) {
    cached_.reset();
    cached_ = db.Prepare(text, nullptr);
    cachedText_ = text;
  } else {
    // The same statement again: the folder is looked at, and SQLite prepares
    // the statement anew by itself when a table was remade.
    db.Refresh();
    sqlite3_reset(cached_.get());
    sqlite3_clear_bindings(cached_.get());
  }
  sqlite3_stmt* stmt = cached_.get();
  Bind(stmt);
  return stmt;
}

void TQuery::Bind(sqlite3_stmt* stmt) const {
  DbfSqlDatabase& db = *database_;
  const int count = sqlite3_bind_parameter_count(stmt);
  for (int i = 0; i < count && i < static_cast<int>(params_.size()); ++i) {
    const QVariant& v = params_[static_cast<size_t>(i)].value;
    sqlite3_stmt* s = stmt;
    int rc = SQLITE_OK;
    if (!v.isValid() || v.isNull()) {
      rc = sqlite3_bind_null(s, i + 1);
    } else {
      switch (v.typeId()) {
        case QMetaType::Bool:
          rc = sqlite3_bind_int(s, i + 1, v.toBool() ? 1 : 0);
          break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::ULongLong:
          rc = sqlite3_bind_int64(s, i + 1, v.toLongLong());
          break;
        case QMetaType::Double:
        case QMetaType::Float:
          rc = sqlite3_bind_double(s, i + 1, v.toDouble());
          break;
        case QMetaType::QDate: {
          QByteArray t = v.toDate().toString(Qt::ISODate).toUtf8();
          rc = sqlite3_bind_text(s, i + 1, t.constData(), static_cast<int>(t.size()),
                                 SQLITE_TRANSIENT);
          break;
        }
        case QMetaType::QDateTime: {
          QDateTime dt = v.toDateTime();
          QByteArray t =
              (dt.time() == QTime(0, 0) ? dt.date().toString(Qt::ISODate)
                                        : dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
                  .toUtf8();
          rc = sqlite3_bind_text(s, i + 1, t.constData(), static_cast<int>(t.size()),
                                 SQLITE_TRANSIENT);
          break;
        }
        case QMetaType::QByteArray: {
          QByteArray b = v.toByteArray();
          rc = sqlite3_bind_blob(s, i + 1, b.constData(), static_cast<int>(b.size()),
                                 SQLITE_TRANSIENT);
          break;
        }
        default: {
          QByteArray t = v.toString().toUtf8();
          rc = sqlite3_bind_text(s, i + 1, t.constData(), static_cast<int>(t.size()),
                                 SQLITE_TRANSIENT);
        }
      }
    }
    db.Check(rc);
  }
}

namespace {

// The current row of a statement as values.
std::vector<QVariant> RowOf(sqlite3_stmt* s) {
  const int columns = sqlite3_column_count(s);
  std::vector<QVariant> row(static_cast<size_t>(columns));
  for (int c = 0; c < columns; ++c) {
    switch (sqlite3_column_type(s, c)) {
      case SQLITE_INTEGER:
        row[static_cast<size_t>(c)] = QVariant(static_cast<qlonglong>(sqlite3_column_int64(s, c)));
        break;
      case SQLITE_FLOAT:
        row[static_cast<size_t>(c)] = QVariant(sqlite3_column_double(s, c));
        break;
      case SQLITE_TEXT:
        row[static_cast<size_t>(c)] = QVariant(QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(s, c)), sqlite3_column_bytes(s, c)));
        break;
      case SQLITE_BLOB:
        row[static_cast<size_t>(c)] = QVariant(QByteArray(
            static_cast<const char*>(sqlite3_column_blob(s, c)), sqlite3_column_bytes(s, c)));
        break;
      default:
        break;
    }
  }
  return row;
}

}  // namespace

void TQuery::Open() {
  if (active_) return;
  sqlite3_stmt* s = PrepareAndBind();
  fieldNames_.clear();
  rows_.clear();
  if (uniDirectional_) {
    // The statement keeps running; StepStream resets it at the end.
    streaming_ = true;
    streamedCount_ = -1;
    const int columns = sqlite3_column_count(s);
    for (int c = 0; c < columns; ++c) fieldNames_ << QString::fromUtf8(sqlite3_column_name(s, c));
    active_ = true;
    current_ = 0;
    bof_ = true;
    StepStream();
    return;
  }
  ResetOnExit reset{s};
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) rows_.push_back(RowOf(s));
  Database().Check(rc);
  const int columns = sqlite3_column_count(s);
  for (int c = 0; c < columns; ++c) fieldNames_ << QString::fromUtf8(sqlite3_column_name(s, c));
  active_ = true;
  current_ = 0;
  bof_ = true;
  eof_ = rows_.empty();
}

void TQuery::StepStream() {
  sqlite3_stmt* s = cached_.get();
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_ROW) {
    // The row before is dropped; at the end the last row stays current.
    rows_.clear();
    rows_.push_back(RowOf(s));
    eof_ = false;
    return;
  }
  streaming_ = false;
  eof_ = true;
  sqlite3_reset(s);
  if (rc != SQLITE_DONE) {
    Close();
    Database().Check(rc);
  }
}

void TQuery::Close() {
  if (streaming_) sqlite3_reset(cached_.get());
  streaming_ = false;
  streamedCount_ = -1;
  active_ = false;
  rows_.clear();
  fieldNames_.clear();
  current_ = 0;
  eof_ = bof_ = true;
}

int TQuery::ExecSQL() {
  Close();
  sqlite3_stmt* s = PrepareAndBind();
  ResetOnExit reset{s};
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
  }
  Database().Check(rc);
  rowsAffected_ = sqlite3_changes(Database().Handle());
  return rowsAffected_;
}

void TQuery::CheckActive() const {
  if (!active_) throw EDbfSqlError("Cannot perform this operation on a closed dataset");
}

bool TQuery::Eof() const {
  CheckActive();
  return eof_;
}

bool TQuery::Bof() const {
  CheckActive();
  return bof_;
}

bool TQuery::IsEmpty() const {
  CheckActive();
  return rows_.empty();
}

void TQuery::First() {
  CheckActive();
  if (uniDirectional_) {
    if (current_ == 0 && (streaming_ || rows_.empty())) return;
    // A forward-only result starts again by running its statement again.
    const int counted = streamedCount_;
    Close();
    Open();
    streamedCount_ = counted;
    return;
  }
  current_ = 0;
  bof_ = true;
  eof_ = rows_.empty();
}

void TQuery::Next() {
  CheckActive();
  bof_ = false;
  if (uniDirectional_) {
    if (!streaming_) {
      eof_ = true;
      return;
    }
    StepStream();
    if (!eof_) ++current_;
    return;
  }
  if (current_ + 1 < static_cast<int>(rows_.size())) {
    ++current_;
  } else {
    eof_ = true;
  }
}

namespace {

void RefuseBackwards() {
  throw EDbfSqlError("Operation not allowed on a unidirectional dataset");
}

}  // namespace

void TQuery::Prior() {
  CheckActive();
  if (uniDirectional_) RefuseBackwards();
  eof_ = false;
  if (current_ > 0) {
    --current_;
  } else {
    bof_ = true;
  }
}

void TQuery::Last() {
  CheckActive();
  if (uniDirectional_) RefuseBackwards();
  current_ = rows_.empty() ? 0 : static_cast<int>(rows_.size()) - 1;
  eof_ = rows_.empty();
  bof_ = rows_.empty();
}

int TQuery::RecordCount() const {
  CheckActive();
  if (!uniDirectional_) return static_cast<int>(rows_.size());
  if (streamedCount_ < 0) {
    // Counted by a second run of the statement beside the one being read.
    StatementHandle counter = database_->Prepare(cachedText_, nullptr);
    Bind(counter.get());
    int rows = 0, rc;
    while ((rc = sqlite3_step(counter.get())) == SQLITE_ROW) ++rows;
    database_->Check(rc);
    streamedCount_ = rows;
  }
  return streamedCount_;
}

int TQuery::RecNo() const {
  CheckActive();
  return rows_.empty() ? 0 : current_ + 1;
}

int TQuery::FieldCount() const {
  return static_cast<int>(fieldNames_.size());
}

QString TQuery::FieldName(int index) const {
  return fieldNames_.value(index);
}

int TQuery::FieldIndex(const QString& name) const {
  for (int i = 0; i < fieldNames_.size(); ++i) {
    if (fieldNames_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

bool TQuery::HasField(const QString& name) const {
  return FieldIndex(name) >= 0;
}

QVariant TQuery::Field(int index) const {
  CheckActive();
  if (rows_.empty() || index < 0 || index >= FieldCount()) return {};
  // A unidirectional query holds the current row alone.
  const size_t row = uniDirectional_ ? 0 : static_cast<size_t>(current_);
  return rows_[row][static_cast<size_t>(index)];
}

QVariant TQuery::FieldByName(const QString& name) const {
  CheckActive();
  int index = FieldIndex(name);
  if (index < 0) throw EDbfSqlError(QStringLiteral("Field '%1' not found").arg(name).toStdString());
  return Field(index);
}

QDate TQuery::FieldAsDate(const QString& name) const {
  QVariant v = FieldByName(name);
  if (!v.isValid()) return {};
  return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

void InsertRows(const QString& folder, const QString& file, const std::vector<QVariantMap>& rows) {
  for (const QVariantMap& row : rows) {
    QStringList names, params;
    for (auto it = row.begin(); it != row.end(); ++it) {
      names << it.key();
      params << QLatin1Char(':') + it.key();
    }
    TQuery q;
    q.SetDatabaseName(folder);
    q.SetStatement({QStringLiteral("insert into ") + file + QStringLiteral(" (") +
                    names.join(QLatin1Char(',')) + QStringLiteral(") values (") +
                    params.join(QLatin1Char(',')) + QLatin1Char(')')});
    for (auto it = row.begin(); it != row.end(); ++it) q.SetParam(it.key(), it.value());
    q.ExecSQL();
  }
}

}  // namespace kelmo::dbfsql
