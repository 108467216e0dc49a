// The reception's preliminary checks of a registry and the selection of each
// pass's cases: profiles licensed twice (every registry), and for a folder of
// DBF tables the required files, the treated-patient register's presence,
// the structure of mtl.dbf and stacion.dbf, the payment kind of every
// treatment sheet, doubled identifiers and case-history numbers, and the
// insurance identification of every record. Before a pass loads, the known
// defects of the DBF tables are fixed and the pass's cases are selected.
//
// Every DBF statement runs on ctx.WorkFolder, the run's working copy of the
// registry; the institution's own files are only looked at for presence.
// Errors of the desktop engine and of the registry database propagate.
// Cost: each check reads stacion.dbf (and mtl.dbf) once through the engine
// (a check that counts rows twice); the checks that walk the registry's
// records read them forward, a row at a time.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "dbfsql/xt_query.h"
#include "domain/reception_state.h"
#include "reception_context.h"

namespace kelmo {

// The statement texts, as named queries of the main window.
QStringList OplNullSql();
QStringList DoubleIdSql();            // qID1
QStringList DistinctIdSql();          // qID2
QStringList NomibSql(bool distinct);  // qMTL1 / qMTL2
QStringList DoubleNomibSql();         // qMTL3
QStringList CheckIdentSql();          // chekIdent
QStringList StacionSelectionSql();    // qStacion
QStringList MtlSelectionSql();        // qMtlOpl

// Bed profiles licensed more than once for the in-patient type: sets
// ctx.State.ProfilesLicensedTwice; when there are none, lists the licences
// ending soon (CheckExpiringLicences). Raises DatabaseError.
void CheckLicensedProfiles(const ReceptionContext& ctx);

// The DBF checks in their order, up to and including the identification.
// Returns the stop it reached (None when the run goes on). Lines the checks
// own are written here; the frame writes the stop blocks of FilesMissing,
// MtlStructure, StacionStructure and RegisterMissing. Needs ctx.WorkFolder
// to hold the working copy.
ReceptionStop CheckDbfRegistry(const ReceptionContext& ctx);

// The text of the reason a record failed the insurance identification, or
// empty when it passed. `fields` holds id, polis, mcod, hash, seria, number,
// pol_obl and in_stac of the record.
QString IdentificationReason(int stacType, const QVariantMap& fields);
// "Фамилия И.О." as the identification table writes it.
QString ShortPatientName(const QString& family, const QString& name, const QString& father);

// The cases of one pass: the selection of stacion.dbf, open at its first row
// for the loading, and whether the selection has treatment sheets of the
// payment kind. The selection is read forward only, a row at a time, so the
// loading holds one case of the registry in memory and not all of them; the
// sheets' selection is only looked at for a first row and closed.
struct PassSelection {
  std::unique_ptr<dbfsql::TXtQuery> qStacion;
  // The repeat condition: "or (s.repeat_upl=1)" or empty.
  QString RepeatCondition;
  bool HasSheets = false;
  bool HasCases() const { return HasSheets; }
};

// The fix-ups of the working copy's tables and the selection of the pass's
// cases (local: policies of the home region; out-of-region: the others).
// Writes the line that no patient was found when the selection is empty.
PassSelection SelectPassCases(const ReceptionContext& ctx, Population population);

// The working copy: the DBF tables of `registryFolder` with their memo and
// index files, copied into `workFolder` (created when missing). Raises
// std::runtime_error "Не удалось скопировать файл <name>" when a copy fails.
void CopyDbfTables(const QString& registryFolder, const QString& workFolder);

}  // namespace kelmo
