// A connection to a Firebird database as the program's forms hold one: a
// database name, stored parameters ("user_name=...", "password=...",
// "lc_ctype=..."), opened and closed on demand, over a QSqlDatabase of the
// QIBASE driver with a connection name of its own. SQL dialect 3.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <cstdint>

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
  // "Не задано имя базы данных". Nothing happens when already connected.
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

  // The Qt connection (valid while the object lives).
  QSqlDatabase Database() const;
  const QString& connectionName() const { return connectionName_; }

 private:
  QString ParamValue(const QString& key) const;

  QString connectionName_;
  QString databaseName_;
  QStringList params_;
  QString scriptFolder_;
};

// The one transaction of a connection. Without a started transaction the
// driver commits each statement on its own.
class FbTransaction {
 public:
  explicit FbTransaction(FbDatabase& database) : database_(database) {}
  // Starts a transaction unless one is active; raises DatabaseError.
  void StartTransaction();
  // Commit and rollback end the transaction (there is no "retaining").
  void Commit();
  void Rollback();
  // A closed connection has ended its transaction.
  bool InTransaction() const { return active_ && database_.Connected(); }
  // Counts the transactions started: a statement prepared in an earlier
  // one must be prepared again, since the driver keeps the handle of the
  // transaction it first ran in.
  std::uint64_t Generation() const { return generation_; }

 private:
  FbDatabase& database_;
  bool active_ = false;
  std::uint64_t generation_ = 0;
};

}  // namespace kelmo
