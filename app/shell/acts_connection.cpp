// The acts database over ODBC.
#include "acts_connection.h"

#include <QSqlError>

#include "firebird/database_error.h"

namespace kelmo {

ActsConnection::ActsConnection(const QString& connectionName) : connectionName_(connectionName) {}

ActsConnection::~ActsConnection() {
  Close();
  if (QSqlDatabase::contains(connectionName_)) QSqlDatabase::removeDatabase(connectionName_);
}

void ActsConnection::Open() {
  if (Connected()) return;
  if (!QSqlDatabase::contains(connectionName_))
    QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName_);
  QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
  db.setDatabaseName(connectionString_);
  if (!db.open()) throw DatabaseError(db.lastError().text());
}

void ActsConnection::Close() {
  if (!QSqlDatabase::contains(connectionName_)) return;
  QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
  if (db.isOpen()) db.close();
}

bool ActsConnection::Connected() const {
  return QSqlDatabase::contains(connectionName_) &&
         QSqlDatabase::database(connectionName_, false).isOpen();
}

QSqlDatabase ActsConnection::Database() const {
  return QSqlDatabase::database(connectionName_, false);
}

}  // namespace kelmo
