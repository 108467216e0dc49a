// The documents and the export of one insurer's cases (or of the
// out-of-region cases) at the end of a formation: WriteInsurerDocuments.
//
// The split by insurer calls it once per regional insurer with the filter
// " and (s.polis='<code>')" and, when the run had out-of-region reports,
// once with " and (s.pol_obl<>1137)" for the out-of-region patients. The
// filter is appended to every case statement of the documents and the
// export, and it also names the insurer whose requisites (table DORER) the
// invoices bill.
//
// For local patients the operation writes, from the templates, the
// one-channel cost invoice, the main invoices of every report and DOPFOND
// pass, the additional-tariff invoices (FF, TF, and the Modern form for
// insurer 2778), the bill (insurer 2778) and the two registers; then, for
// both populations, the XML export with its package. Out-of-region patients
// get the export only. Documents go to the insurer's document folder
// "temp/<code>" of the registry folder (a run without a package saves its
// main and one-channel invoices in the insurer's own folder, `CurrentFolder`).
//
// Failures: a spreadsheet application that cannot be made ("Выгрузка в Excel
// не возможна!") and a missing one-channel template ("Не найден файл-шаблон
// ...") are told to the user and end the operation normally, writing nothing
// further; a missing additional-tariff template is told and that invoice is
// skipped; other missing templates skip their document silently. A document
// that cannot be saved raises DocumentSaveError naming the file; errors of
// the database and of the workbook layer are not caught.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "document_header.h"
#include "domain/domain_codes.h"
#include "domain/money.h"
#include "domain/package_lists.h"
#include "domain/run_user.h"
#include "workbook/excel_application.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;

// --- The insurer of a call ---

// The insurer that a case filter names, with what the documents take of it.
struct InsurerChoice {
  // 2778, 2779, 2989; 0 when the filter names none of them (and always for
  // the out-of-region patients).
  int Code = 0;
  // The row of table DORER that holds the payer's requisites; 0: none.
  int DorerId = 0;
  // The insurer's short name in the documents' file names ("Бервин",
  // "ЗНТ"); empty for the others.
  QString ShortName;
  // The name of the export's folder and package: the code as text,
  // "Иногородние" for the out-of-region patients, empty when no insurer.
  QString ExportLabel;
  bool OutOfRegion = false;
  // The payer's requisites (DORER's row, every text trimmed).
  FundRequisites Payer;

  // The code as the folder and the statements take it ("2778", "0").
  QString CodeText() const { return QString::number(Code); }
};

// The insurer of a filter: the first of "2778", "2779", "2989" that occurs
// anywhere in it, tested in that order. Out-of-region: no insurer, the label
// "Иногородние". The payer is left empty (WriteInsurerDocuments reads it).
InsurerChoice ChooseInsurer(const QString& caseFilter, bool outOfRegion);

// --- What the operation is given ---

struct InsurerDocumentInputs {
  // The call: the case filter; the report number and the reserved text are
  // carried with the call and never read; the population (true: the
  // out-of-region patients).
  QString CaseFilter;
  int ReportNumber = 0;
  QString Reserved;
  bool OutOfRegion = false;

  // The registry folder, without a trailing separator: the documents go to
  // its "temp/<code>", the bill to its "temp".
  QString RegistryFolder;
  // The insurer's own folder of a run without a package (the copy of the
  // registry's tables that the split pruned to the insurer): the main and
  // one-channel invoices of such a run are saved there.
  QString CurrentFolder;
  // The folder of the templates (ExcelPath); empty: no invoice, no bill.
  QString TemplateFolder;
  // Mode "Сформировать"; the party of this installation.
  bool Forming = true;
  kelmo::WhoDetail WhoDetail;
  // The payment kind and its word in the file names (PayFolderWordCopy).
  kelmo::PayKind PayKind = PayKind::Oms;
  QString PayWord;
  // The in-patient type of the main window (1..4).
  int StacType = 1;
  // The report month (the month list's index 0..11 and the year's text) and
  // the report period.
  int MonthIndex = 0;
  QString YearText;
  QDate PeriodStart;
  QDate PeriodEnd;
  // The institution of the grid's current row.
  InstitutionRequisites Lpu;
  // The run works on an XML package, and the kinds of care the package holds.
  bool XmlPackageMode = false;
  bool HasRoundTheClock = false;
  bool HasDayHospital = false;
  RegistrySourceKind RegistrySource = RegistrySourceKind::XmlPackage;
  // The version of the check rules (CurrentExprVer) and the registers' footer.
  QString ExprVer;
  QString ReportFooter;
  // The reports of both passes (ReportLists).
  PerPopulation<QList<rRepn>> Reports;
  // The local report whose costs the program last started (0 until a local
  // cost phase has run): the one-channel invoice is written only past it.
  int CostPhaseReportNumber = 0;
  // The out-of-region treated-patient registers of the reception run
  // (PackageFiles), packed with the out-of-region export.
  QStringList PackageFiles;
};

// One sanction of a case in the acts database.
struct ActsSanction {
  QString Code;
  Money Sum;
  QString Reason;
  QString Comment;
  QString Source;
};

// What the operation works with besides its inputs.
struct InsurerDocumentServices {
  InsurerDocumentServices(FbDatabase& db, FbTransaction& tr, RunUser& user,
                          const PackageLists& lists)
      : Db(db), Tr(tr), User(user), Lists(lists) {}

  FbDatabase& Db;
  FbTransaction& Tr;
  RunUser& User;
  // The package lists of the run: the sender and its addressees, the cases
  // read from the package (the export's keys).
  const PackageLists& Lists;
  // Today's date (the export's head); tests fix it.
  std::function<QDate()> Today = [] { return QDate::currentDate(); };
  // The sanctions of a case (case id, report end, report number) in the acts
  // database; empty when the acts database is not configured.
  std::function<QList<ActsSanction>(int caseId, const QDate& reportEnd, int repn)> Sanctions;
};

// --- Captions ---

// The documents whose care-kind captions differ.
enum class CareKindDocument {
  OneChannel,  // the one-channel cost invoice and the bed-profile register
  Main,        // the main invoices and the treated-patient register
  Bill,
};

// The care kind of a document: by the in-patient type (1..4); in a package
// run the package's kinds of care override it ("Круглосуточный и дневные
// стационары" for both, and by document for one of them).
QString InsurerCareKind(CareKindDocument kind, int stacType, bool xmlPackageMode,
                        bool hasRoundTheClock, bool hasDayHospital);
// The care kind of a report inside a loop over reports, by its TipStac:
// "круглосуточный стационар", "дневной стационар при поликлинике", ...
QString ReportCareKind(int tipStac);

// --- What every document of the operation works with ---

struct InsurerDocumentContext {
  InsurerDocumentContext(const InsurerDocumentInputs& inputs,
                         const InsurerDocumentServices& services)
      : In(inputs), Services(services) {}

  const InsurerDocumentInputs& In;
  const InsurerDocumentServices& Services;
  InsurerChoice Insurer;
  // "temp/<code>" of the registry folder; made when the insurer is chosen.
  QString DocumentFolder;
  // The spreadsheet application of the invoices and registers (ExcelApp);
  // empty before it is made and after it is released.
  std::unique_ptr<workbook::ExcelApplication> Excel;
  // The treated-patient registers saved for this insurer (PackageWorkbooks):
  // the export packs them into the insurer's package.
  QStringList PackageWorkbooks;
  // The last insurer line the main invoices read: its bed days and amount
  // (the bill repeats them) and its POLIS (the children's additional-tariff
  // sums take it). Zero and empty when the main invoices did not run.
  int LastLineBedDays = 0;
  Money LastLineAmount;
  QString LastLinePolis;

  // The application of the documents, made when there is none (a stop
  // "Выгрузка в Excel не возможна!" when it cannot be made).
  workbook::ExcelApplication& Application();

  // The local reports (ReportLists of the local pass).
  const QList<rRepn>& Reports() const { return In.Reports[Population::Local]; }
  // The four report parameters repn1..repn4: entry k of the local list, the
  // last entry when the list is shorter, 0 when it is empty.
  std::array<int, 4> FourReports() const;
  // The population's report count (ReportCounts).
  int ReportCount() const;
  // A file of the document folder, and of the insurer's own folder of a run
  // without a package (the document folder when none is given: a document
  // never lands in the process's current folder).
  QString DocumentFile(const QString& name) const;
  QString CurrentFile(const QString& name) const;
  // The template `name` of the template folder.
  QString Template(const QString& name) const;
  // The care kind written after the institution's name in a document of
  // `kind`, by the main window's in-patient type or the package's kinds of
  // care (InsurerCareKind).
  QString CareKind(CareKindDocument kind) const;
  // The unit of bed days of the main window's in-patient type.
  QString DayUnit() const;
};

// The whole operation (see the head of this file).
void WriteInsurerDocuments(const InsurerDocumentInputs& inputs,
                           const InsurerDocumentServices& services);

}  // namespace kelmo
