// Fuzzes the splitting of database scripts into statements: any text (read
// as UTF-8, as the scripts are) splits without a fault, and no statement
// comes back empty or with blanks around it.
#include <QString>
#include <QStringList>
#include <cstdint>

#include "firebird/sql_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString script =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  for (const QString& statement : kelmo::SplitSqlScript(script))
    if (statement.isEmpty() || statement != statement.trimmed()) __builtin_trap();
  return 0;
}
