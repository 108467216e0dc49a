// What the phases of one budget intake share: its inputs and services, the
// run's state, and helpers over the registry folder's DBF tables.
#pragma once

#include <QStringList>
#include <cstdint>
#include <memory>

#include "budget_run.h"
#include "dbfsql/xt_query.h"
#include "domain/act_file.h"

namespace kelmo {

namespace workbook {
class ExcelApplication;
}

struct BudgetState {
  ActFile Act;
  bool IntakeAccepted = true;
  bool ForcedLoadConfirmed = false;
  bool ProfilesLicensedTwice = false;
  bool MissingFile = false;
  bool RegisterMissing = false;
  int ReportNumber = 0;
  QString RegisterVersion;
  int LpuInvoiceBedDays = 0;
  std::int64_t LpuInvoiceUnits = 0;  // 1/10 000 rouble
  double BlockingErrorsSum = 0;
  double NonBlockingErrorsSum = 0;
  double EntryErrorsSum = 0;
  std::int64_t RunCostUnits = 0;  // 1/10 000 rouble
  int IntensiveDaysTotal = 0;
  double IntensiveCostTotal = 0;
  QString ProtocolPath;
};

// An amount in units of 1/10 000 rouble turned into kopecks, halves up:
// the whole part of (units × 100 + 5000.001) / 10 000.
std::int64_t KopecksHalfUp(std::int64_t units);

struct BudgetContext {
  const BudgetInputs& In;
  BudgetServices& Svc;
  BudgetState& St;
  workbook::ExcelApplication* Excel = nullptr;  // receiving only

  ActFile& Act() const { return St.Act; }
  // A desktop-engine query over the registry folder.
  std::unique_ptr<dbfsql::TXtQuery> DbfQuery(const QStringList& lines) const;
  // The file of the registry folder named so without regard to case; empty
  // when missing.
  QString FindFile(const QString& name) const;
  // An institution's workbook "X.xls" (or "X.xlsx"); empty when missing.
  QString FindWorkbook(const QString& xlsName) const;
  void BeginPhase(const QString& caption, int count) const;
  void Step() const;
  // The period's stays of the type with every required field, as every
  // selection of the intake reads them, the lines after "where"; the check
  // of case-history numbers also requires the patronymic and birth date.
  static QStringList StayConditions(bool withFatherAndBirth = false);
  void SetPeriodParams(dbfsql::TQuery& q) const;
};

// The phases, in the order of the run.
// The licence check of the bed profiles and the warning of licences about to expire.
void CheckLicences(BudgetContext& c);
// The registry's required files: true when every file is there.
bool CheckFiles(BudgetContext& c);
// The version line of the institution's register (when receiving).
void ReadRegisterVersion(BudgetContext& c);
// The structure of mtl.dbf: 0 fine, 1 REANIM missing, 2 OPLAT or OTDELENIE missing.
int CheckMtlStructure(BudgetContext& c);
// The payment kinds: true when some sheet lacks its payment kind (the table written).
bool PaymentKindMissing(BudgetContext& c);
// Doubled identifiers and case-history numbers, and overlapping stays.
void CheckDoubles(BudgetContext& c);
// The counts of the period's stays and of their budget sheets.
int CountPeriodStays(BudgetContext& c);
int CountBudgetSheets(BudgetContext& c);
// The institution's workbooks: 0 fine, 1 a workbook missing, 2 the invoice malformed.
int CheckInstitutionWorkbooks(BudgetContext& c);
// The report row, then the stays with their sheets, leaves, services and operations.
void CreateReportRow(BudgetContext& c);
void LoadStays(BudgetContext& c);
// The blocking checks: stays with blocking errors are listed and removed.
void BlockingChecks(BudgetContext& c);
// The tolerated errors and the data-entry errors.
void ToleratedChecks(BudgetContext& c);
// The costs of every budget sheet, then the comparison with the institution's sums.
void ComputeCosts(BudgetContext& c);
void SearchSumDifferences(BudgetContext& c);
// The budget documents, when forming.
void WriteDocuments(BudgetContext& c);
// The summary with the plan-fulfilment tables.
void WriteSummary(BudgetContext& c);

}  // namespace kelmo
