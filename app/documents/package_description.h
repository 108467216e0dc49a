// The package description of a DBF registry (DescribeXmlPackage): after a
// pass of a DBF registry is loaded, the package lists are filled as package
// identification would have filled them for a received package (the sender,
// one addressee per insurer group with its file names, and the pass's report
// entry with its insurer entries), the package of each addressee is numbered
// per institution, month and addressee from XML_FILES and the new numbers are
// recorded there, and the report's rows are prepared for the export: the
// newborn flag, the conversion procedure, the operations assigned to the
// treatment sheets and the oncology flag of the cases.
//
// Invoice numbers recorded in XML_FILES are numbered by their integer value
// (a text column compared as text would put "9" above "10").
//
// Runs on the caller's connection and transaction and commits nothing.
// Errors: DatabaseError; the steps before a failure stay done.
#pragma once

#include <QDate>
#include <QString>

namespace kelmo {

class FbDatabase;
class FbTransaction;

struct PackageDescriptionInputs {
  QString RegistryFolder;  // the registry folder (the main window's folder)
  int StacType = 1;        // 1..4
  int PayKind = 1;         // the payment list's index + 1
  QString YearText;        // the year control's text
  QDate Today;
};

// Describes report `repn` of population 0 (local) or 1 (out-of-region).
void DescribeXmlPackage(FbDatabase& db, FbTransaction& tr, const PackageDescriptionInputs& in,
                        int repn, int population);

// The package query: one row per insurer group of report :repn with the
// numbers already recorded for its institution, month and addressee.
const QString& PackageGroupsSql();

// The package letter of a payment kind: "T" for 6 ("ВМП"), otherwise "H".
QString PackageLetter(int payKind);

}  // namespace kelmo
