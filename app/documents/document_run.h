// What the documents of a formation work with: the run's inputs that the
// documents read (institution, fund, period, in-patient type, payment kind,
// folders), the report lists of both passes, and the spreadsheet application
// of the document set (ExcelApp), which a set makes anew where it says so.
// The reception run builds one per document set (see
// reception/document_sets.h); tests build one by hand.
#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

#include "document_header.h"
#include "domain/domain_codes.h"
#include "domain/package_lists.h"
#include "domain/run_user.h"
#include "workbook/excel_application.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;
class FbQuery;

// Which of the three document sets of a formation writes.
enum class DocumentSet { Local = 0, OutOfRegion = 1, Closing = 2 };

struct DocumentRun {
  DocumentRun(FbDatabase& db, FbTransaction& tr, RunUser& user) : Db(db), Tr(tr), User(user) {}

  FbDatabase& Db;
  FbTransaction& Tr;
  RunUser& User;

  // The registry folder (names without a folder lie there) and the template
  // folder (ExcelPath).
  QString RegistryFolder;
  QString TemplateFolder;
  // The payment-kind word of the "temp" names (W) and the payment kind.
  QString PayWord;
  kelmo::PayKind PayKind = PayKind::Oms;
  // The in-patient type of the run (N, 1 to 4) and its day unit.
  int StacType = 1;
  QString DayUnitText;
  QDate PeriodStart;
  QDate PeriodEnd;
  InstitutionRequisites Lpu;
  FundRequisites Fund;
  // Chooses the "temp" names; the package's kinds of in-patient care.
  bool XmlPackageMode = false;
  bool HasRoundTheClock = false;
  bool HasDayHospital = false;
  // The reports of each pass (ReportLists).
  PerPopulation<QList<rRepn>> Reports;
  // The report numbers each pass's costs started with (the report-number
  // copies); 0 when the pass had none in this run.
  PerPopulation<int> ReportNumberCopy;
  // The report the single-report statements take (CurrentReportNumber).
  int CurrentReportNumber = 0;
  // The spreadsheet application of the set (ExcelApp); empty when none.
  std::unique_ptr<workbook::ExcelApplication> Excel;

  // A new application into Excel (stop 14 when it cannot be made).
  workbook::ExcelApplication& NewApplication();
  // The application of the set, made when there is none or it has quit.
  workbook::ExcelApplication& Application();
  // Quits the application and empties Excel.
  void QuitApplication();

  // The last day of the period's month.
  QDate PeriodMonthEnd() const;
  // A file of the registry folder, and of its "temp" folder.
  QString RegistryFile(const QString& name) const;
  QString TempFile(const QString& name) const;
  // The template `name` of the template folder.
  QString Template(const QString& name) const;
  // The report numbers of a pass.
  QList<int> ReportNumbers(Population population) const;
  // The progress window's caption "Формирование счет-фактуры..." at 0.
  void BeginInvoices(int count = 0) const;
};

// The care kind written after the institution's name: by the in-patient
// type; then, for a package (XmlPackageMode), "Круглосуточный и дневные
// стационары", "стационарная медицинская помощь" or "Дневные стационары" by
// the kinds of care the package holds.
QString CareKindCaption(const DocumentRun& run, int stacType, bool byPackage);

// The insurers of the reports (their POLIS and COMP_NAME, by POLIS): the
// report-number parameters, "oplat" and "dopfond" (-1: whatever the cases'
// DOPFOND). Insurer codes are compared as text. `caseFilter`, a condition
// on the case "s" that begins with " and", narrows the cases.
QString InsurerListStatement(const QList<int>& reports, const QString& caseFilter = QString());
// The rows of a statement grouped by policy code (its column POLIS), found
// by an insurer's code as the engine compares codes: trailing blanks do not
// count, a missing code is a code of its own.
class InsurerGroups {
 public:
  explicit InsurerGroups(const FbQuery& grouped);
  // Makes the group of `polis` the current row of `grouped`; without one
  // there is no current row and every field reads null.
  void Select(FbQuery& grouped, const QVariant& polis) const;

 private:
  static QString Key(const QVariant& polis);
  QHash<QString, int> rows_;
  int missing_ = -1;
};

// An insurer line of an invoice: the insurer's trimmed name ("Иногородние"
// when it is not known) + " с " + first day + " по " + last day.
QString InsurerLineText(const DocumentRun& run, const FbQuery& insurer);
// The unit of bed days of an in-patient type (BedDayUnit).
QString DayUnitOf(int stacType);

// The fund's title in the invoices' requisites block.
QString FundTitle();

// The requisites header, the period line of A16 and, for the out-of-region
// set, the title of A1, common to the invoices. `careKind` follows the
// institution's name.
void WriteInvoiceHead(const DocumentRun& run, workbook::Worksheet& sheet, const QString& careKind,
                      bool withTitle, bool withPeriodLine);
class DocumentWorkbook;
// Saves the document as `path`, its folder made when missing. When the set
// goes on without the file (`goOnWhenFailing`), a failure is told to the user
// with the file's name and false returned; otherwise DocumentSaveError.
bool SaveDocument(const DocumentRun& run, DocumentWorkbook& document, const QString& path,
                  bool goOnWhenFailing);

// The out-of-region title: "СЧЕТ № _____ от "" + the month's last day + " "".
QString OutOfRegionTitle(const DocumentRun& run);

}  // namespace kelmo
