// Creation of a missing database from the program's schema scripts: CREATE
// DATABASE through the Firebird client API (the SQL driver cannot create
// one), then every *.sql file of a script folder in file-name order.
#pragma once

#include <QSqlDatabase>
#include <QString>

namespace kelmo {

// Creates an empty database file at `path` (a plain path: the embedded engine)
// with the default character set WIN1251, dialect 3, and detaches.
// Raises DatabaseError with:
//  - "Папка базы данных не существует: <folder> (база <path>)" when the folder
//    is missing;
//  - "Нет права записи в папку базы данных: <folder> (база <path>)" when it
//    cannot be written;
//  - "Не удалось создать базу данных <path>: <engine message>" otherwise.
void CreateDatabaseFile(const QString& path, const QString& user, const QString& password);

// Runs the statements of every *.sql file of `folder`, files in name order,
// each statement on its own (the connection commits it). "COMMIT" statements
// are passed over. Raises DatabaseError "<file>: <driver message>\n<statement>"
// at the first statement that fails. Cost: one round trip per statement.
void RunScriptFolder(QSqlDatabase& db, const QString& folder);

}  // namespace kelmo
