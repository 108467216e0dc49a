// Firebird connections over the QIBASE driver.
#include "fb_database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>

#include "database_creation.h"
#include "database_error.h"
#include "database_name.h"

namespace kelmo {

FbDatabase::FbDatabase(const QString& connectionName)
    : connectionName_(connectionName), params_(DefaultParams()) {
  QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), connectionName_);
}

FbDatabase::~FbDatabase() {
  {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (db.isOpen()) {
      // Pending work is committed when the program ends, as the transaction's
      // default action.
      db.commit();
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(connectionName_);
}

QStringList FbDatabase::DefaultParams() {
  return {QStringLiteral("user_name=SYSDBA"),
          QStringLiteral("password=") + DefaultFirebirdPassword(),
          QStringLiteral("lc_ctype=WIN1251")};
}

void FbDatabase::setDatabaseName(const QString& name) {
  if (name != databaseName_) Close();
  databaseName_ = name;
}

QString FbDatabase::ParamValue(const QString& key) const {
  for (const QString& line : params_) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
      return line.mid(eq + 1);
  }
  return {};
}

void FbDatabase::EnsureExists() {
  if (databaseName_.trimmed().isEmpty())
    throw DatabaseError(QStringLiteral("Не задано имя базы данных"));
  if (IsServerDatabaseName(databaseName_) || scriptFolder_.isEmpty() ||
      QFileInfo::exists(databaseName_))
    return;
  const QString user = ParamValue(QStringLiteral("user_name"));
  const QString password = ParamValue(QStringLiteral("password"));
  CreateDatabaseFile(databaseName_, user, password);
  const QString creation = connectionName_ + QStringLiteral("#create");
  bool failed = false;
  {
    QSqlDatabase fresh = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), creation);
    fresh.setDatabaseName(databaseName_);
    fresh.setUserName(user);
    fresh.setPassword(password);
    fresh.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=WIN1251"));
    QString message;
    if (!fresh.open()) {
      failed = true;
      message = fresh.lastError().text();
    } else {
      try {
        RunScriptFolder(fresh, scriptFolder_);
      } catch (const DatabaseError& error) {
        failed = true;
        message = error.message();
      }
      fresh.close();
    }
    if (failed) {
      fresh = QSqlDatabase();
      QSqlDatabase::removeDatabase(creation);
      // A half-made database would be taken for a good one on the next
      // start; remove it so that the next start tries again.
      QFile::remove(databaseName_);
      throw DatabaseError(message);
    }
  }
  QSqlDatabase::removeDatabase(creation);
}

void FbDatabase::Open() {
  if (Connected()) return;
  EnsureExists();
  const QString user = ParamValue(QStringLiteral("user_name"));
  const QString password = ParamValue(QStringLiteral("password"));
  QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
  db.setDatabaseName(databaseName_);
  db.setUserName(user);
  db.setPassword(password);
  const QString charset = ParamValue(QStringLiteral("lc_ctype"));
  db.setConnectOptions(charset.isEmpty() ? QString()
                                         : QStringLiteral("ISC_DPB_LC_CTYPE=") + charset);
  if (!db.open()) {
    const DatabaseLocation location = LocationOf(databaseName_);
    if (location.Server.isEmpty()) throw DatabaseError(db.lastError().text());
    throw DatabaseError(QStringLiteral("Не удалось открыть базу данных %1 на сервере %2: %3")
                            .arg(location.Path, location.Server, db.lastError().text()));
  }
  ++connectionNumber_;
}

DatabaseError FbDatabase::Failure(const QSqlError& error) {
  // The driver gives the engine's SQL code; -902 is the class of fatal
  // errors: a network failure, a shut-down attachment or server.
  if (error.nativeErrorCode() != QLatin1String("-902") || !Connected())
    return DatabaseError(error.text());
  lostConnection_ = connectionNumber_;
  {
    QSqlDatabase db = Database();
    // The server has already ended the transaction; the rollback only
    // releases the driver's handle so that a new connection can start one.
    db.rollback();
    db.close();
  }
  const QString server = LocationOf(databaseName_).Server;
  if (server.isEmpty()) return DatabaseError(error.text());
  return DatabaseError(
      QStringLiteral("Связь с сервером %1 прервана: %2").arg(server, error.text()));
}

void FbDatabase::Close() {
  QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
  if (db.isOpen()) {
    // The transaction's default end is a commit (see the header).
    db.commit();
    db.close();
  }
}

bool FbDatabase::Connected() const {
  return QSqlDatabase::database(connectionName_, false).isOpen();
}

QSqlDatabase FbDatabase::Database() const {
  return QSqlDatabase::database(connectionName_, false);
}

void FbTransaction::StartTransaction() {
  if (InTransaction()) return;
  database_.Open();
  QSqlDatabase db = database_.Database();
  if (!db.transaction()) throw database_.Failure(db.lastError());
  active_ = true;
  connection_ = database_.ConnectionNumber();
  ++generation_;
}

void FbTransaction::Commit() {
  if (!InTransaction()) {
    const bool lost = active_ && connection_ == database_.LostConnection();
    active_ = false;
    if (lost)
      throw DatabaseError(
          QStringLiteral("Связь с базой данных прервалась, изменения транзакции не сохранены"));
    return;
  }
  active_ = false;
  QSqlDatabase db = database_.Database();
  if (!db.commit()) throw database_.Failure(db.lastError());
}

void FbTransaction::Rollback() {
  if (!InTransaction()) {
    active_ = false;
    return;
  }
  active_ = false;
  QSqlDatabase db = database_.Database();
  if (!db.rollback()) throw database_.Failure(db.lastError());
}

}  // namespace kelmo
