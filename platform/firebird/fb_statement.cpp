// Statements prepared once and run with new values.
#include "fb_statement.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

#include "database_error.h"
#include "fb_database.h"

namespace kelmo {

FbStatement::FbStatement(FbDatabase& database, FbTransaction* transaction)
    : database_(database), transaction_(transaction) {}

void FbStatement::Prepare(const QString& text) {
  database_.Open();
  if (transaction_ != nullptr) transaction_->StartTransaction();
  text_ = text;
  names_.clear();
  // Named placeholders become positional ones, so that a name written twice
  // is bound once per place and the driver sees plain "?" marks.
  static const QRegularExpression placeholder(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
  std::vector<int> order;
  QString positional;
  qsizetype from = 0;
  auto it = placeholder.globalMatch(text);
  while (it.hasNext()) {
    const QRegularExpressionMatch m = it.next();
    positional += text.mid(from, m.capturedStart() - from) + QLatin1Char('?');
    from = m.capturedEnd();
    const QString name = m.captured(1).toLower();
    int index = Index(name);
    if (index < 0) {
      names_.push_back(name);
      index = static_cast<int>(names_.size()) - 1;
    }
    order.push_back(index);
  }
  positional += text.mid(from);
  places_ = std::move(order);
  positional_ = positional;
  values_.assign(names_.size(), QVariant());
  PrepareQuery();
}

void FbStatement::PrepareQuery() {
  query_ = QSqlQuery(database_.Database());
  query_.setForwardOnly(true);
  if (!query_.prepare(positional_)) throw database_.Failure(query_.lastError());
  if (transaction_ != nullptr) generation_ = transaction_->Generation();
}

int FbStatement::Index(const QString& name) const {
  for (size_t i = 0; i < names_.size(); ++i)
    if (names_[i].compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  return -1;
}

void FbStatement::Set(const QString& name, const QVariant& value) {
  const int index = Index(name);
  if (index < 0) return;
  // An empty text is a text, not a null: the driver would bind a null
  // QString as NULL.
  if (value.typeId() == QMetaType::QString && value.toString().isNull())
    values_[static_cast<size_t>(index)] = QString(QLatin1String(""));
  else
    values_[static_cast<size_t>(index)] = value;
}

void FbStatement::Clear() {
  for (QVariant& v : values_) v = QVariant();
}

void FbStatement::Run() {
  if (transaction_ != nullptr) {
    transaction_->StartTransaction();
    if (transaction_->Generation() != generation_) PrepareQuery();
  }
  for (size_t place = 0; place < places_.size(); ++place)
    query_.bindValue(static_cast<int>(place), values_[static_cast<size_t>(places_[place])]);
  if (!query_.exec()) throw database_.Failure(query_.lastError());
}

void FbStatement::ExecRows(const std::function<void(const QSqlQuery&)>& row) {
  Run();
  while (query_.next()) row(query_);
  query_.finish();
}

void FbStatement::Exec() {
  Run();
  row_.clear();
  columns_.clear();
  if (query_.record().count() > 0 && query_.next()) {
    const QSqlRecord record = query_.record();
    for (int i = 0; i < record.count(); ++i) {
      columns_.push_back(record.fieldName(i));
      row_.push_back(record.value(i));
    }
  }
  query_.finish();
}

QVariant FbStatement::Value(const QString& column) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].compare(column, Qt::CaseInsensitive) == 0) return row_[i];
  return {};
}

void FbExecute(FbDatabase& database, FbTransaction* transaction, const QString& text) {
  database.Open();
  if (transaction != nullptr) transaction->StartTransaction();
  QSqlQuery query(database.Database());
  if (!query.exec(text)) throw database.Failure(query.lastError());
}

}  // namespace kelmo
