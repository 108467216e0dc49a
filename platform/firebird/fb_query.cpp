// Queries with named parameters and rows read in full.
#include "fb_query.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include "database_error.h"
#include "fb_database.h"

namespace kelmo {
namespace {

QStringList ParameterNames(const QString& sql) {
  static const QRegularExpression placeholder(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
  QStringList names;
  auto it = placeholder.globalMatch(sql);
  while (it.hasNext()) {
    const QString name = it.next().captured(1);
    if (!names.contains(name, Qt::CaseInsensitive)) names.append(name);
  }
  return names;
}

}  // namespace

FbQuery::FbQuery(FbDatabase& database, FbTransaction* transaction)
    : database_(database), transaction_(transaction) {}

void FbQuery::setSql(const QStringList& lines) {
  setSql(lines.join(QLatin1Char('\n')));
}

void FbQuery::setSql(const QString& text) {
  Close();
  sql_ = text;
  const QStringList names = ParameterNames(sql_);
  QVariantMap kept;
  for (auto it = params_.cbegin(); it != params_.cend(); ++it)
    if (names.contains(it.key(), Qt::CaseInsensitive)) kept.insert(it.key(), it.value());
  params_ = kept;
}

void FbQuery::setParam(const QString& name, const QVariant& value) {
  params_.insert(name.toLower(), value);
}

QVariant FbQuery::param(const QString& name) const {
  return params_.value(name.toLower());
}

void FbQuery::Open() {
  Close();
  database_.Open();
  if (transaction_ != nullptr) transaction_->StartTransaction();
  QSqlQuery query(database_.Database());
  query.setForwardOnly(true);
  if (!query.prepare(sql_)) throw database_.Failure(query.lastError());
  for (const QString& name : ParameterNames(sql_))
    query.bindValue(QLatin1Char(':') + name, params_.value(name.toLower()));
  if (!query.exec()) throw database_.Failure(query.lastError());
  layout_ = query.record();
  // An executed procedure answers a single row, and the driver keeps
  // handing that row back: read it once.
  static const QRegularExpression kExecuteProcedure(QStringLiteral("^\\s*execute\\s+procedure\\b"),
                                                    QRegularExpression::CaseInsensitiveOption);
  const bool singleRow = kExecuteProcedure.match(sql_).hasMatch();
  while (query.next()) {
    rows_.append(query.record());
    if (singleRow) break;
  }
  if (query.lastError().isValid()) {
    rows_.clear();
    throw database_.Failure(query.lastError());
  }
  row_ = 0;
  active_ = true;
}

void FbQuery::Close() {
  rows_.clear();
  layout_ = QSqlRecord();
  row_ = 0;
  active_ = false;
}

void FbQuery::ExecSQL() {
  database_.Open();
  if (transaction_ != nullptr) transaction_->StartTransaction();
  QSqlQuery query(database_.Database());
  if (!query.prepare(sql_)) throw database_.Failure(query.lastError());
  for (const QString& name : ParameterNames(sql_))
    query.bindValue(QLatin1Char(':') + name, params_.value(name.toLower()));
  if (!query.exec()) throw database_.Failure(query.lastError());
}

int FbQuery::FieldIndex(const QString& name) const {
  for (int i = 0; i < layout_.count(); ++i)
    if (layout_.fieldName(i).compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

QVariant FbQuery::FieldByName(const QString& name) const {
  const int column = FieldIndex(name);
  if (column < 0) throw DatabaseError(QStringLiteral("Поле '%1' не найдено").arg(name));
  if (Eof()) return {};
  return rows_.at(row_).value(column);
}

QVariant FbQuery::Value(int row, int column) const {
  if (row < 0 || row >= RecordCount()) return {};
  return rows_.at(row).value(column);
}

QVariant FbQuery::Value(int row, const QString& name) const {
  const int column = FieldIndex(name);
  if (column < 0) throw DatabaseError(QStringLiteral("Поле '%1' не найдено").arg(name));
  return Value(row, column);
}

QStringList FbQuery::FieldNames() const {
  QStringList names;
  for (int i = 0; i < layout_.count(); ++i) names.append(layout_.fieldName(i));
  return names;
}

}  // namespace kelmo
