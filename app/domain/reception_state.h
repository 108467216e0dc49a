// The run variables of the reception: process-wide, one instance, part of
// the application state (application_state.h), read and written on the GUI
// thread only. They survive between runs; the reception button and the run
// reset what each needs at its start. Later phases add their fields here
// rather than keeping copies. The protocol path, the case error list, the
// log and the version texts are the run state's (run_state.h), the package
// and report lists the package lists' (package_lists.h).
#pragma once

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

#include "act_file.h"
#include "domain_codes.h"
#include "money.h"
#include "package_lists.h"

namespace kelmo {

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

// A finding of the XML loading that the blocking-errors section of the act
// lists: its text, the case-history number and the surname.
struct XmlLoadError {
  QString Text;
  QString Nomib;
  QString Family;
};
// The findings of the XML loading of the pass; the loader empties the list
// when it starts, the act's blocking-errors section clears it once listed
// (HasXmlLoadErrors is the list being non-empty).
using XmlLoadErrorList = QList<XmlLoadError>;

// The sums and bed days of one pass (one population), reset at the start of
// every run.
struct PassTotals {
  // The invoices' total and the calculated total of the pass.
  Money InvoiceTotal;
  Money CalcTotal;
  // The invoices' base and extra sums.
  Money InvoiceBaseSum;
  Money InvoiceExtraSum;
  int CalcBedDays = 0;
  int InvoiceBedDays = 0;
  // Act-section totals.
  double BlockingErrorsSum = 0;
  double NonBlockingErrorsSum = 0;
  double EntryErrorsSum = 0;
  // The money sums of the act summary: MEK, NCZ and NCZSF.
  Money MekSum;
  Money NczSum;
  Money NczSfSum;
  // Intensive-care sum and bed days of the act summary (zeroed when the
  // pass's costs start; nothing adds to them).
  double IntensiveSum = 0;
  int IntensiveBedDays = 0;
  // Invoice total less calculated total less the blocking-errors total, as
  // the search for sum differences computed it.
  Money SumDifference;
};

// A treatment sheet whose cost came out zero, with the reason the cost
// calculation gave (listed under "Возможная ошибка").
struct rNull {
  int MtlId = 0;
  QString Reason;
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
  RegistrySourceKind RegistrySource = RegistrySourceKind::DbfFolder;
  // DbfRegistryAllowed, PayFolderWord and the report lists
  // are the package lists' (package_lists.h).
  // Set by the reception button when forming.
  QString StacFolderWord;
  // Where a formation's packages ended up: the package folder "temp" became
  // at the split by insurer, or "temp" itself when it could not be moved;
  // empty when the last run formed nothing.
  QString FormedPackageFolder;

  bool PassHasData = false;
  int CurrentReportNumber = 0;
  // The report number of each pass (LocalReportNumber,
  // OutOfRegionReportNumber).
  PerPopulation<int> ReportNumber;

  // ID_ILL of the case being loaded.
  int CurrentCaseId = 0;
  // The cases of the pass (their ID_ILL as decimal text) whose identity
  // document breaks the loading's rule; the rule checks read it.
  QStringList BadDocumentCases;
  XmlLoadErrorList XmlLoadErrors;

  bool ProfilesLicensedTwice = false;
  int CurrentLpu = 0;
  QString CurrentPatientName;

  // Operations analysis ("AnalizOperat.txt"), opened by the reception button.
  std::unique_ptr<QFile> OperAnalysisFile;
  bool OperAnalysisOpen = false;

  // The sums of the pass being worked on.
  Money CalcSum;
  Money LpuInvoiceSum;
  int LpuInvoiceBedDays = 0;
  // The sums of each pass: Pass[Population::Local].CalcTotal ...
  PerPopulation<PassTotals> Pass;

  // The report of each pass when its costs started (LocalReportNumberCopy,
  // OutOfRegionReportNumberCopy); kept until a later run's costs set them.
  PerPopulation<int> ReportNumberCopy;
  // The sheets whose cost came out zero in this run (emptied by the
  // reception button, appended by each pass's costs).
  QList<rNull> ZeroCostCases;

  // The statement of the treatment-sheet cost update (ibqUpMTL) the costs
  // run; the run sets it by the year (CostUpdateStatement).
  QString UpMtlStatement;

  // Where the last run ended (for tests and the caller).
  ReceptionStop LastStop = ReceptionStop::None;

  // Zeroes the sums of the pass being worked on (calculated sum, invoice sum
  // and bed days).
  void ZeroPassTotals();
  // Zeroes every sum and count of both passes and of the act summary (the
  // report numbers stay).
  void ZeroRunTotals();
};

// The application state's reception variables. Cost: none.
ReceptionState& TheReceptionState();

// The cost update of a treatment sheet for the year text of the main window:
// for every year but "2014" the statement with the regional coefficients,
// the calculation comment and the base cost; for 2014 the statement without
// those last five assignments. Lines joined by CR.
QString CostUpdateStatement(const QString& yearText);

}  // namespace kelmo
