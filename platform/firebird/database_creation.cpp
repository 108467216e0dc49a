// CREATE DATABASE through the client API and the schema scripts.
#include "database_creation.h"

#include <ibase.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include "database_error.h"
#include "sql_script.h"

namespace kelmo {
namespace {

QString Quoted(const QString& text) {
  QString doubled = text;
  doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
  return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString EngineMessage(const ISC_STATUS* status) {
  QString message;
  char buffer[1024];
  const ISC_STATUS* vector = status;
  while (fb_interpret(buffer, sizeof buffer, &vector) != 0) {
    if (!message.isEmpty()) message += QLatin1Char(' ');
    message += QString::fromLocal8Bit(buffer);
  }
  return message;
}

void CheckFolder(const QString& path) {
  const QFileInfo file(path);
  const QFileInfo folder(file.absolutePath());
  if (!folder.exists() || !folder.isDir())
    throw DatabaseError(QStringLiteral("Папка базы данных не существует: %1 (база %2)")
                            .arg(folder.filePath(), path));
  if (!folder.isWritable())
    throw DatabaseError(QStringLiteral("Нет права записи в папку базы данных: %1 (база %2)")
                            .arg(folder.filePath(), path));
}

}  // namespace

void CreateDatabaseFile(const QString& path, const QString& user, const QString& password) {
  CheckFolder(path);
  const QString absolute = QFileInfo(path).absoluteFilePath();
  const QByteArray sql =
      (QStringLiteral("CREATE DATABASE ") + Quoted(absolute) + QStringLiteral(" USER ") +
       Quoted(user) + QStringLiteral(" PASSWORD ") + Quoted(password) +
       QStringLiteral(" PAGE_SIZE 8192 DEFAULT CHARACTER SET WIN1251"))
          .toUtf8();
  ISC_STATUS_ARRAY status{};
  isc_db_handle db = 0;
  isc_tr_handle tr = 0;
  if (isc_dsql_execute_immediate(status, &db, &tr, static_cast<unsigned short>(sql.size()),
                                 sql.constData(), 3, nullptr) != 0) {
    throw DatabaseError(
        QStringLiteral("Не удалось создать базу данных %1: %2").arg(path, EngineMessage(status)));
  }
  ISC_STATUS_ARRAY detachStatus{};
  isc_detach_database(detachStatus, &db);
}

void RunScriptFolder(QSqlDatabase& db, const QString& folder) {
  const QDir dir(folder);
  const QStringList files = dir.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
  for (const QString& name : files) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::ReadOnly))
      throw DatabaseError(QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
    const QStringList statements = SplitSqlScript(QString::fromUtf8(file.readAll()));
    for (const QString& statement : statements) {
      const QString head = statement.section(QLatin1Char(' '), 0, 0).toUpper();
      if (head == QLatin1String("COMMIT")) continue;
      QSqlQuery query(db);
      if (!query.exec(statement))
        throw DatabaseError(
            QStringLiteral("%1: %2\n%3").arg(name, query.lastError().text(), statement));
    }
  }
}

}  // namespace kelmo
