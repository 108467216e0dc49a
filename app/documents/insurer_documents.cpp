// The frame of one insurer's documents and export (see insurer_documents.h).
#include "insurer_documents.h"

#include <QDir>

#include "document_workbook.h"
#include "insurer_export.h"
#include "insurer_invoices.h"
#include "insurer_registers.h"
#include "register_common.h"

namespace kelmo {

namespace {

// The insurers whose codes a case filter may name, in the order they are
// tested: the code, the DORER row of its requisites, its short name in the
// documents' file names.
struct DocumentInsurer {
  int Code;
  int DorerId;
  const char* ShortName;
};

constexpr DocumentInsurer kDocumentInsurers[] = {
    {2778, 3, "Бервин"},
    {2779, 2, "ЗНТ"},
    {2989, 5, ""},
};

// The care kinds by in-patient type (1..4) inside a loop over reports and
// in the one-channel invoice.
const char* const kReportCareKinds[] = {
    "круглосуточный стационар",
    "дневной стационар при поликлинике",
    "дневной стационар на дому",
    "дневной стационар при стационаре",
};

int TypeIndex(int stacType) {
  return stacType >= 1 && stacType <= 4 ? stacType - 1 : 0;
}

// The stop of a spreadsheet application that cannot be made: told to the
// user; the operation then ends.
void TellStop(const InsurerDocumentContext& ctx, const DocumentStop& stop) {
  ctx.Services.User.Message(stop.Caption(), stop.Text(), RunMessageIcon::Error);
}

// The invoices and the bill; false when a stop ended the operation.
bool WriteWorkbooks(InsurerDocumentContext& ctx) {
  const InsurerDocumentInputs& in = ctx.In;
  if (in.Forming) {
    if (in.CostPhaseReportNumber != 0) {
      try {
        ctx.Excel = NewDocumentApplication();
      } catch (const DocumentStop& stop) {
        TellStop(ctx, stop);
        return false;
      }
      if (!WriteInsurerOneChannelInvoice(ctx)) return false;
    }
    try {
      ctx.Excel.reset();
      ctx.Excel = NewDocumentApplication();
    } catch (const DocumentStop& stop) {
      TellStop(ctx, stop);
      return false;
    }
    if (!in.TemplateFolder.isEmpty()) WriteInsurerMainInvoices(ctx);
  }
  WriteInsurerBill(ctx);
  return true;
}

}  // namespace

InsurerChoice ChooseInsurer(const QString& caseFilter, bool outOfRegion) {
  InsurerChoice choice;
  choice.OutOfRegion = outOfRegion;
  if (outOfRegion) {
    choice.ExportLabel = QStringLiteral("Иногородние");
    return choice;
  }
  for (const DocumentInsurer& insurer : kDocumentInsurers) {
    if (!caseFilter.contains(QString::number(insurer.Code))) continue;
    choice.Code = insurer.Code;
    choice.DorerId = insurer.DorerId;
    choice.ShortName = QString::fromUtf8(insurer.ShortName);
    choice.ExportLabel = QString::number(insurer.Code);
    break;
  }
  return choice;
}

QString InsurerCareKind(CareKindDocument kind, int stacType, bool xmlPackageMode,
                        bool hasRoundTheClock, bool hasDayHospital) {
  if (xmlPackageMode && (hasRoundTheClock || hasDayHospital)) {
    if (hasRoundTheClock && hasDayHospital)
      return QStringLiteral("Круглосуточный и дневные стационары");
    if (!hasRoundTheClock) return QStringLiteral("Дневные стационары");
    return kind == CareKindDocument::OneChannel ? QStringLiteral("Круглосуточный стационар")
                                                : QStringLiteral("стационарная медицинская помощь");
  }
  const int index = TypeIndex(stacType);
  if (kind == CareKindDocument::OneChannel) return ReportCareKind(stacType);
  if (index == 0) return QStringLiteral("стационарная медицинская помощь");
  if (kind == CareKindDocument::Bill && index == 2) return QStringLiteral("стационар на дому");
  return ReportCareKind(stacType);
}

QString ReportCareKind(int tipStac) {
  return QString::fromUtf8(kReportCareKinds[TypeIndex(tipStac)]);
}

workbook::ExcelApplication& InsurerDocumentContext::Application() {
  if (!Excel || Excel->HasQuit()) {
    Excel.reset();
    Excel = NewDocumentApplication();
  }
  return *Excel;
}

std::array<int, 4> InsurerDocumentContext::FourReports() const {
  return RegisterReportNumbers(Reports());
}

int InsurerDocumentContext::ReportCount() const {
  return static_cast<int>(
      In.Reports[In.OutOfRegion ? Population::OutOfRegion : Population::Local].size());
}

QString InsurerDocumentContext::DocumentFile(const QString& name) const {
  return QDir(DocumentFolder).filePath(name);
}

QString InsurerDocumentContext::CurrentFile(const QString& name) const {
  return In.CurrentFolder.isEmpty() ? DocumentFile(name) : QDir(In.CurrentFolder).filePath(name);
}

QString InsurerDocumentContext::Template(const QString& name) const {
  return TemplatePath(In.TemplateFolder, name);
}

QString InsurerDocumentContext::CareKind(CareKindDocument kind) const {
  return InsurerCareKind(kind, In.StacType, In.XmlPackageMode, In.HasRoundTheClock,
                         In.HasDayHospital);
}

QString InsurerDocumentContext::DayUnit() const {
  return DayUnitTextOf(StacTypeOfNumber(In.StacType));
}

void WriteInsurerDocuments(const InsurerDocumentInputs& inputs,
                           const InsurerDocumentServices& services) {
  InsurerDocumentContext ctx(inputs, services);
  ctx.Insurer = ChooseInsurer(inputs.CaseFilter, inputs.OutOfRegion);

  // The out-of-region patients get no workbook, only the export.
  if (!inputs.OutOfRegion) {
    ctx.Insurer.Payer = ReadFundRequisites(services.Db, &services.Tr, ctx.Insurer.DorerId);
    ctx.DocumentFolder = QDir(QDir(inputs.RegistryFolder).filePath(QStringLiteral("temp")))
                             .filePath(ctx.Insurer.CodeText());
    QDir().mkpath(ctx.DocumentFolder);
    if (!WriteWorkbooks(ctx)) return;

    // The bed-profile and treated-patient registers of the local reports;
    // the treated-patient registers go into the package.
    WriteInsurerRegisters(ctx);
    ctx.Excel.reset();
  }

  // The XML export of the population, with its package, in a package run
  // with reports of the population.
  if (inputs.XmlPackageMode && ctx.ReportCount() > 0) ExportInsurerCases(ctx);
}

}  // namespace kelmo
