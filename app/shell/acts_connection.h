// The acts database connection (`con1`): an ODBC connection string handed to
// QtSql's QODBC driver; connected on demand, no login prompt.
#pragma once

#include <QSqlDatabase>
#include <QString>

namespace kelmo {

class ActsConnection {
 public:
  explicit ActsConnection(const QString& connectionName);
  ~ActsConnection();
  ActsConnection(const ActsConnection&) = delete;
  ActsConnection& operator=(const ActsConnection&) = delete;

  const QString& connectionString() const { return connectionString_; }
  void setConnectionString(const QString& text) { connectionString_ = text; }
  // Raises DatabaseError with the driver's message.
  void Open();
  void Close();
  bool Connected() const;
  QSqlDatabase Database() const;

 private:
  QString connectionName_;
  QString connectionString_;
};

}  // namespace kelmo
