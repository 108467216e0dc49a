// An insurer's copy of a DBF registry, made in its folder of the split
// report when a formation is prepared: every record of another insurer's
// cases is deleted from it (the case tables MTL, OPERAT, and PARENTS and
// MTLUSL when the folder holds them, before STACION, whose cases they are
// found by) and the tables are packed, so that the copy holds the insurer's
// cases only. A case without a policy code belongs to no insurer and goes
// from every copy.
//
// Errors: the desktop engine's (dbfsql::EDbfSqlError: a missing STACION,
// MTL or OPERAT, a damaged table) and the DBF engine's (a table open
// elsewhere) end the pruning; the copy may then be half pruned. Missing
// PARENTS and MTLUSL files only skip their statements.
#pragma once

#include <QString>

namespace kelmo {

class RunUser;

// Prunes the copy in `folder` to the cases whose POLIS is `insurerCode`.
// The progress window shows `caption` with six steps. Cost: each table
// read and written once by its statement and once by its packing.
void PruneInsurerDbfCopy(const QString& folder, const QString& insurerCode, RunUser& user,
                         const QString& caption);

}  // namespace kelmo
