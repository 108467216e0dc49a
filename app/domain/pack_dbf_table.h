// Packing a DBF table: the shell's routine that removes, for good, the rows
// the desktop engine marked deleted in a table of a registry folder.
#pragma once

#include <QString>

#include "dbf/dbf_dataset.h"

namespace kelmo::shell {

// Closes the DBF dataset when open, gives it the folder as its database and
// the table name, opens it exclusively, packs it and closes it. Raises the
// DBF engine's error (kelmo::dbf::EDbfError), among them "Access denied to
// file %s" when the table is open elsewhere and "Cannot find file %s" for a
// missing table; a pack that fails leaves the table and its memo as they
// were. Reads and writes every live record once.
void PackDbfTable(kelmo::dbf::TDbfDataSet& dbfDataSet, const QString& folder,
                  const QString& tableName);

// The same on a dataset made for the call.
void PackDbfTable(const QString& folder, const QString& tableName);

}  // namespace kelmo::shell
