// Placeholder until the licence-expiry check and the identification table
// land: the table writes a minimal head and rows.
#include "reception_checks.h"

namespace kelmo {

void CheckExpiringLicences(const ReceptionContext&) {}

void WriteIdentTableHead(ActFile& act, bool& begun) {
  act.WriteLine();
  begun = true;
}

void WriteIdentTableRow(ActFile& act, const QString& number, const QString& name,
                        const QString& reason) {
  act.WriteLine(TableRow({{number, 8}, {name, 27}, {reason, 59}}));
}

}  // namespace kelmo
