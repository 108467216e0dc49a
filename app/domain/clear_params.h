// Resetting a registry-database statement's parameters before each use, so
// that no value of the previous call is carried over.
#pragma once

#include <QStringList>

namespace kelmo {

class FbQuery;

// The parameter names of a statement text (":name", outside quoted texts and
// comments), each once, in order of appearance.
QStringList StatementParams(const QString& sql);

// Sets every parameter of the statement to null (SQL NULL).
void ClearParams(FbQuery& procedure);

}  // namespace kelmo
