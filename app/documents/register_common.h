// What the two registers of a formation share: what they are given (the
// database, the spreadsheet session, the run's period, institution, package
// flags and the pass's reports), which of the three document sets they are
// written in, their report parameters, care-kind captions, titles, file
// names and the test of their template.
//
// Errors: the stops of document_workbook.h: a missing template of the local
// and closing registers ("Не найден файл-шаблон <folder>/<template>"), a
// template that is damaged or lacks the rows a register fills ("Выгрузка в
// Excel не возможна!" with the reason naming the file); a register that
// cannot be saved raises DocumentSaveError naming the file. Errors of the
// database are not caught here.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

#include "document_run.h"
#include "document_workbook.h"
#include "domain/domain_codes.h"
#include "domain/package_lists.h"
#include "workbook/excel_application.h"

namespace kelmo {

class FbDatabase;
class FbTransaction;
class RunUser;

// The document set a register is written in: the local set after the local
// pass, the out-of-region set after the out-of-region pass, the closing set
// that writes the local registers again under the package names; and the
// registers of one insurer's local cases that the split by insurer writes
// into the insurer's document folder.
enum class RegisterVariant { Local, OutOfRegion, Closing, Insurer };

// The insurer whose registers are written (RegisterVariant::Insurer).
struct RegisterInsurer {
  // The policy code its cases carry (STACION.POLIS, "2778"); empty: the
  // cases of every insurer.
  QString Code;
  // Its short name at the end of the file names ("Бервин"; may be empty).
  QString ShortName;
  // The folder its registers are saved in: the insurer document folder of a
  // package run, otherwise the insurer's folder of the split report.
  QString DocumentFolder;
};

struct RegisterInputs {
  FbDatabase& Db;
  FbTransaction& Tr;
  RunUser& User;
  // The set's spreadsheet session (the out-of-region treated-patient
  // register opens one of its own per report).
  workbook::ExcelApplication& Excel;
  QString TemplateFolder;  // ExcelPath; empty: no register is written
  QString RegistryFolder;  // the registry folder, without a trailing separator
  StacType Stac = StacType::RoundTheClock;
  kelmo::PayKind PayKind = PayKind::Oms;
  QDate PeriodStart;
  QDate PeriodEnd;
  QString LpuName;  // the grid's NAME
  QString LpuMcod;  // the grid's MCOD
  QString ReportFooter;
  bool XmlPackageMode = false;
  QString PayFolderWord;  // "ОМС", "ВМП", "Реабилитация"
  bool HasRoundTheClock = false;
  bool HasDayHospital = false;
  // The pass's reports: the local list for the local and closing registers,
  // the out-of-region list for the out-of-region ones.
  QList<rRepn> Reports;
  // The workbooks of the outgoing package: the out-of-region treated-patient
  // registers replace its content with their names when given.
  QStringList* PackageFiles = nullptr;
  // The insurer of the insurer variant.
  RegisterInsurer Insurer;
};

// The report numbers repn1..repn4: the pass's first four reports, the last
// one repeated when it has fewer, all 0 when it has none.
std::array<int, 4> RegisterReportNumbers(const QList<rRepn>& reports);

// The care kind of the registers' heading: by the in-patient type, or by
// the kinds of the package when the run works on one.
QString RegisterCareKind(const RegisterInputs& in);
// The care kind by an in-patient type alone ("круглосуточный стационар",
// "дневной стационар при поликлинике" ...), as a report's TipStac gives it.
QString RegisterCareKindOf(StacType type);

// "<title> с dd.mm.yyyy по dd.mm.yyyy".
QString RegisterPeriodTitle(const QString& title, const RegisterInputs& in);

// The institution's heading of a register of the variant:
// "<name> (<care kind>, местное население)" or ", иногороднее население)".
QString RegisterHeading(const RegisterInputs& in, const QString& careKind, RegisterVariant variant);

// The registry folder's file `name`, or, in a package run, the working
// folder's "temp/<stem><suffix>(<word>).xlsx" (under "temp/Иногородние" for
// the out-of-region set). The insurer variant names files of its document
// folder: "<stem><suffix>(<word>)_<short name>.xlsx" in a package run,
// otherwise `name`.
QString RegisterFileName(const RegisterInputs& in, RegisterVariant variant, const QString& stem,
                         const QString& suffix, const QString& registryName);

// The template's path when it exists; otherwise the local and closing
// variants stop the run (DocumentStop), and the out-of-region and insurer
// variants give an empty text (their register is skipped).
QString RegisterTemplate(const RegisterInputs& in, RegisterVariant variant,
                         const QString& templateName);

// The register's workbook opened from its template in the session; a
// template whose sheet does not reach `lastRow` and `lastColumn` (the rows
// the register fills, `what`) stops the run as not laid out for it. Closing
// the document closes the workbook without saving.
std::unique_ptr<DocumentWorkbook> OpenRegisterTemplate(workbook::ExcelApplication& excel,
                                                       const QString& templ, int lastRow,
                                                       int lastColumn, const QString& what);

// Copies the values a run gives every register (folders, in-patient type,
// payment kind and its word, period, institution, the package's flags) from
// a document set's DocumentRun or an insurer's documents' inputs, which name
// them alike.
template <class Run>
void CopyRunValues(RegisterInputs& in, const Run& run) {
  in.TemplateFolder = run.TemplateFolder;
  in.RegistryFolder = run.RegistryFolder;
  in.Stac = StacTypeOfNumber(run.StacType);
  in.PayKind = run.PayKind;
  in.PeriodStart = run.PeriodStart;
  in.PeriodEnd = run.PeriodEnd;
  in.LpuName = run.Lpu.Name;
  in.LpuMcod = run.Lpu.Mcod;
  in.XmlPackageMode = run.XmlPackageMode;
  in.PayFolderWord = run.PayWord;
  in.HasRoundTheClock = run.HasRoundTheClock;
  in.HasDayHospital = run.HasDayHospital;
}

// The registers' inputs from a document set's values: the pass's reports
// (the out-of-region list for the out-of-region set), the set's application
// (made when there is none), the program's report footer and the package
// files of the run.
RegisterInputs RegisterInputsOf(DocumentRun& run, DocumentSet set);
RegisterVariant RegisterVariantOf(DocumentSet set);

// A register's file of the registry folder.
QString RegistryFolderFile(const RegisterInputs& in, const QString& name);

}  // namespace kelmo
