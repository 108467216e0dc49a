// The run variables of the reception: process-wide, one instance, read and
// written on the GUI thread only. They survive between runs; the reception
// button and the run reset what each needs at its start. Declared here once;
// later phases add their fields here rather than keeping copies. The
// protocol path, the case error list, the log and the version texts live in
// the shell's RunState (run_state.h), the package and report lists in the
// package lists (package_lists.h).
#pragma once

#include <QDate>
#include <QFile>
#include <QList>
#include <QString>
#include <array>
#include <memory>

#include "domain/act_file.h"
#include "domain/money.h"
#include "domain/package_lists.h"

namespace kelmo {

// Population of a pass: index of the report lists (package_lists.h).
enum Population : int { kLocal = 0, kOutOfRegion = 1 };

// One report a pass works on: an entry of the package lists' report lists.
using ReportEntry = rRepn;

// Where a run stopped, for callers and tests. Passed means the run reached
// its end (or the place where the phases still to be built begin).
enum class ReceptionStop {
  None = 0,
  FilesMissing = 1,
  MtlStructure = 2,
  StacionStructure = 3,
  PaymentKindMissing = 4,
  RegisterMissing = 5,
  Identification = 6,
  XmlLocal = 7,
  LocalWorkbookMissing = 8,
  RegisterLayout = 9,
  InvoiceLayout = 10,
  XmlOutOfRegion = 11,
  OutOfRegionWorkbookMissing = 12,
  OutOfRegionInvoiceLayout = 13,
  ExcelUnavailable = 14,
  TemplateMissing = 15,
  TemplateFolderMissing = 16,
  // Not a stop of the checks: the run ended with an error it did not catch
  // (a table that cannot be read, a database gone away); the act says so.
  Error = 100,
};

struct ReceptionState {
  // The act (ActFile, ActFileName through Act.FileName()).
  ActFile Act;
  // The act's short name in the registry folder at the end of a package run.
  QString ActShortName;
  QString ReceptionTimeText;
  QString DayUnitText;

  // Set by package identification before the run; the run changes
  // XmlPackageMode as it goes.
  bool XmlPackageMode = false;
  bool PackageConfirmed = false;
  // 0 a folder of DBF tables, 1 an XML package converted from DBF, 2 an XML
  // package.
  int RegistrySource = 0;
  // RegistryFolder, DbfRegistryAllowed, PayFolderWordCopy and the report
  // lists are the package lists' (package_lists.h).
  // Set by the reception button when forming.
  QString PayFolderWord;
  QString StacFolderWord;

  // The report lists of the passes, as the package lists hold them (the same
  // lists, not a copy).
  std::array<QList<rRepn>, 2>& ReportLists = ThePackageLists().ReportLists;

  bool PassHasData = false;
  int CurrentReportNumber = 0;
  int LocalReportNumber = 0;
  int OutOfRegionReportNumber = 0;

  bool ProfilesLicensedTwice = false;
  int CurrentLpu = 0;
  QString CurrentPatientName;

  // Operations analysis ("AnalizOperat.txt"), opened by the reception button.
  std::unique_ptr<QFile> OperAnalysisFile;
  bool OperAnalysisOpen = false;

  // Pass totals (fixed-point money) and bed days.
  Money CalcSum;
  Money LpuInvoiceSum;
  Money LocalInvoiceTotal, OutOfRegionInvoiceTotal;
  Money LocalCalcTotal, OutOfRegionCalcTotal;
  Money LocalInvoiceBaseSum, LocalInvoiceExtraSum;
  Money OutOfRegionInvoiceBaseSum, OutOfRegionInvoiceExtraSum;
  int LpuInvoiceBedDays = 0;
  int LocalCalcBedDays = 0, OutOfRegionCalcBedDays = 0;
  int LocalInvoiceBedDays = 0, OutOfRegionInvoiceBedDays = 0;
  // Act-section totals.
  double BlockingErrorsSum = 0, NonBlockingErrorsSum = 0, EntryErrorsSum = 0;
  double OutOfRegionBlockingErrorsSum = 0, OutOfRegionNonBlockingErrorsSum = 0,
         OutOfRegionEntryErrorsSum = 0;
  // The six money sums of the act summary: MEK, NCZ and NCZSF of each
  // population.
  Money LocalMekSum, LocalNczSum, LocalNczSfSum;
  Money OutOfRegionMekSum, OutOfRegionNczSum, OutOfRegionNczSfSum;

  // The statement of the treatment-sheet cost update (ibqUpMTL) the costs
  // run; the run sets it by the year (CostUpdateStatement).
  QString UpMtlStatement;

  // Where the last run ended (for tests and the caller).
  ReceptionStop LastStop = ReceptionStop::None;
  // The phase the last run reached before the phases still to be built.
  QString LastPhase;

  // Zeroes the pass's sums (calculated sum, invoice sum and bed days).
  void ZeroPassTotals();
  // Zeroes every sum and count of both passes and of the act summary.
  void ZeroRunTotals();
};

// The one instance. Cost: none.
ReceptionState& TheReceptionState();

// The cost update of a treatment sheet for the year text of the main window:
// for every year but "2014" the statement with the regional coefficients,
// the calculation comment and the base cost; for 2014 the statement without
// those last five assignments. Lines joined by CR.
QString CostUpdateStatement(const QString& yearText);

}  // namespace kelmo
