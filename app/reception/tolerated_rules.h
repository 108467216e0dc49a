// The rules of the two later walks of a pass over the check procedure's rows:
// the tolerated findings (errors that do not stop the reception of a case,
// listed when the row has no refusing finding as well) and the numbering
// errors the institution's case-entry program made. Like the rule checks'
// rules (check_rules.h) they read only the row; what they need of the
// database (stored stays of the same patient, the case's age in months, the
// sheet's bed and speciality names) is handed in.
#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "check_rules.h"
#include "domain/case_errors.h"
#include "domain/domain_codes.h"

namespace kelmo {

// What the rules of the tolerated walk read beyond the row.
struct ToleratedContext {
  Population Pass = Population::Local;
  kelmo::WhoDetail WhoDetail;
  int MonthIndex = 0;  // 0 = January
  int Year = 0;
  int LpuId = 0;
  RegistrySourceKind RegistrySource = RegistrySourceKind::DbfFolder;
  bool ProfilesLicensedTwice = false;
  // The case has a treatment sheet of kind 1 (VIDMTL).
  bool HasKindOneSheet = false;
  // The case's age in months (asked only by the out-of-region policy rule
  // for the institutions that test it).
  std::function<int()> AgeMonths;
  // The stays of the same patient stored in the database that overlap the
  // case: appends a finding per overlap and refuses the row.
  std::function<void(QString& text, bool& refused)> OverlapWithDatabase;
  // The bed profile's and the doctor's speciality's names of the sheet.
  std::function<QString()> BedName;
  std::function<QString()> DoctorFieldName;
};

// What the tolerated walk found in one row.
struct ToleratedFindings {
  int CaseId = 0;
  // The findings joined without separators.
  QString Text;
  bool Refused = false;
  bool Tolerated = false;
  // The row's case errors (the sanctions of the rules that record one).
  QList<rMEK> CaseErrors;
  // The rule of the escort's age fired: the case errors as they stood after
  // it are stored as the case's sanctions.
  bool StoresSanctions = false;
  QList<rMEK> SanctionsToStore;

  void Refuse(const QString& message);
  void Tolerate(const QString& message);
  // A case error of `kind` (1 МЭК, 2 МЭЭ) with its basis code.
  void CaseError(int kind, int basis, const QString& message);
};

// The rules of the tolerated walk, in their order. A row of payment kind 2
// is tested only by the last rules (repeated case, dates, sheet order, the
// escort's age, bed and speciality). A value that must be a number and is
// not raises ConversionError.
void CheckToleratedRules(const CheckRow& row, const ToleratedContext& tc, ToleratedFindings& found);

// The numbering error of the sheet found by the entry-error walk:
// "Невозм.ном.МТЛ." (OSH1), else "Наруш.нумер.МТЛов." (OSH37), else empty.
QString EntryErrorOf(const CheckRow& row);

// Whether the age group of the standard-of-care code `k` (trimmed) does not
// fit the age group letter `voz`. `lengthCode` gives the lengths of the
// 7- and 5-character forms, `charCode` the 10th character of the long form
// (both are `k` in the local pass, the untrimmed code in the other).
bool StandardAgeMismatch(const QString& k, const QString& lengthCode, const QString& charCode,
                         const QString& voz);

}  // namespace kelmo
