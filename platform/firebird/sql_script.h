// Splitting of the schema scripts under db/ into statements, as isql reads
// them: statements end with the current terminator (";" at first), which
// "SET TERM <new> <old>" changes so that PSQL bodies may hold ";".
#pragma once

#include <QString>
#include <QStringList>

namespace kelmo {

// The statements of a script, trimmed, without their terminators, without
// comments outside string literals and without the SET TERM commands
// themselves. Terminators inside '...' literals, "..." identifiers and
// comments do not count. Text after the last terminator is a statement too.
// Cost: one pass over the text.
QStringList SplitSqlScript(const QString& script);

}  // namespace kelmo
