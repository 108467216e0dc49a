// A connection to a Firebird database as the program's forms hold one: a
// database name, stored parameters ("user_name=...", "password=...",
// "lc_ctype=..."), opened and closed on demand, over a QSqlDatabase of the
// QIBASE driver with a connection name of its own. SQL dialect 3.
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "database_error.h"

namespace kelmo {

class FbDatabase {
 public:
  // `connectionName` must be unique in the process while the object lives.
  explicit FbDatabase(const QString& connectionName);
  ~FbDatabase();
  FbDatabase(const FbDatabase&) = delete;
  FbDatabase& operator=(const FbDatabase&) = delete;

  // The stored parameters the program's databases use: user SYSDBA, the
  // default password, character set WIN1251.
  static QStringList DefaultParams();

  const QString& databaseName() const { return databaseName_; }
  // Changing the name of a connected database closes it first.
  void setDatabaseName(const QString& name);
  const QStringList& params() const { return params_; }
  void setParams(const QStringList& params) { params_ = params; }
  // A folder of schema scripts: when set, opening a plain path that does not
  // exist creates the database from them (see database_creation.h).
  void setScriptFolder(const QString& folder) { scriptFolder_ = folder; }

  // Connects. Raises DatabaseError with the driver's message when the
  // database cannot be opened, or with the creation's message (naming the
  // path) when it could not be created; an empty name raises
  // "Не задано имя базы данных". A server database is never created: one
  // that cannot be opened raises "Не удалось открыть базу данных <path> на
  // сервере <server>: <driver message>". Nothing happens when already
  // connected.
  void Open();
  // Creates a missing embedded database from the script folder without
  // connecting to it; nothing for a server name, an existing file or when no
  // script folder is set. Raises DatabaseError as Open does.
  void EnsureExists();
  // Disconnects. An open transaction is committed first: the connection's
  // transaction ends with commit by default, so closing (to change the
  // database, or at the end of the program) keeps what was written instead of
  // losing it. Code that must not keep its work rolls back before closing.
  void Close();
  bool Connected() const;

  // The error to raise for a failed statement of this connection. A fatal
  // error of the connection (the server went away or shut the attachment
  // down) drops the connection without committing, so that the next Open
  // connects afresh, and its message names the server: "Связь с сервером
  // <server> прервана: <driver message>". Other errors carry the driver's
  // message.
  DatabaseError Failure(const QSqlError& error);
  // Counts the connections made; a transaction remembers the one it ran in.
  std::uint64_t ConnectionNumber() const { return connectionNumber_; }
  // The connection dropped by the last fatal error (0: none).
  std::uint64_t LostConnection() const { return lostConnection_; }

  // The Qt connection (valid while the object lives).
  QSqlDatabase Database() const;
  const QString& connectionName() const { return connectionName_; }

 private:
  QString ParamValue(const QString& key) const;

  QString connectionName_;
  QString databaseName_;
  QStringList params_;
  QString scriptFolder_;
  std::uint64_t connectionNumber_ = 0;
  std::uint64_t lostConnection_ = 0;
};

// The one transaction of a connection. Without a started transaction the
// driver commits each statement on its own.
class FbTransaction {
 public:
  explicit FbTransaction(FbDatabase& database) : database_(database) {}
  // Starts a transaction unless one is active; raises DatabaseError.
  void StartTransaction();
  // Commit and rollback end the transaction (there is no "retaining").
  // Committing a transaction whose connection was lost raises DatabaseError
  // "Связь с базой данных прервалась, изменения транзакции не сохранены":
  // its work is gone and must not pass for saved. Rolling it back is quiet.
  void Commit();
  void Rollback();
  // A closed connection has ended its transaction.
  bool InTransaction() const {
    return active_ && database_.Connected() && connection_ == database_.ConnectionNumber();
  }
  // Counts the transactions started: a statement prepared in an earlier
  // one must be prepared again, since the driver keeps the handle of the
  // transaction it first ran in.
  std::uint64_t Generation() const { return generation_; }

 private:
  FbDatabase& database_;
  bool active_ = false;
  std::uint64_t generation_ = 0;
  std::uint64_t connection_ = 0;
};

}  // namespace kelmo
