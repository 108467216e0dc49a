// The order of the document sets (see document_sets.h).
#include "document_sets.h"

#include "documents/bed_profile_register.h"
#include "documents/document_workbook.h"
#include "documents/invoice_documents.h"
#include "documents/treated_patient_register.h"
#include "domain/package_lists.h"

namespace kelmo {

namespace {

void RemoveLocalOutputs(const DocumentRun& run) {
  const QString n = QString::number(run.StacType);
  for (const char* suffix : {"", "_NSZ", "_FF", "_TF", "_Neprik"})
    RemoveOldOutput(run.RegistryFile(QStringLiteral("Sfakt") + n + QString::fromLatin1(suffix) +
                                     QStringLiteral(".xlsx")));
}

// The one-channel invoices of the local and the closing set.
void OneChannelInvoices(DocumentRun& run, DocumentSet set) {
  if (run.ReportNumberCopy[Population::Local] == 0) return;
  WriteLocalOneChannelInvoice(run, set);
  if (run.ReportNumberCopy[Population::OutOfRegion] != 0)
    WriteOutOfRegionOneChannelInvoice(run, set);
}

// The local invoices of the local and the closing set, for DOPFOND 0 and 1.
void LocalInvoices(DocumentRun& run, DocumentSet set) {
  run.BeginInvoices();
  run.CurrentReportNumber = run.ReportNumberCopy[Population::Local];
  if (set == DocumentSet::Local) run.NewApplication();
  RequireTemplateFolder(run.TemplateFolder);
  RemoveLocalOutputs(run);
  RequireTemplate(run.Template(QStringLiteral("sfakt.xlsx")));
  for (const int dopfond : {0, 1}) WriteLocalInvoice(run, set, dopfond);
}

// Every set ends with its bed-profile register, then its treated-patient
// register.
void Registers(DocumentRun& run, DocumentSet set) {
  WriteBedProfileRegister(run, set);
  WriteTreatedPatientRegister(run, set);
}

void LocalSet(DocumentRun& run) {
  OneChannelInvoices(run, DocumentSet::Local);
  LocalInvoices(run, DocumentSet::Local);
  WriteAdditionalTariffInvoices(run, DocumentSet::Local, run.CurrentReportNumber, run.StacType);
  Registers(run, DocumentSet::Local);
}

void OutOfRegionSet(DocumentRun& run) {
  run.BeginInvoices();
  if (!run.TemplateFolder.trimmed().isEmpty()) {
    const QString n = QString::number(run.StacType);
    for (const char* suffix : {"", "_FF", "_TF"})
      RemoveOldOutput(run.RegistryFile(QStringLiteral("Sfakti") + n + QString::fromLatin1(suffix) +
                                       QStringLiteral(".xlsx")));
    const QList<rRepn>& reports = run.Reports[Population::OutOfRegion];
    // Without the invoice template or out-of-region reports the set writes
    // no invoice and says nothing.
    if (TemplatePresent(run.Template(QStringLiteral("sfakt.xlsx")))) {
      for (qsizetype i = 0; i < reports.size(); ++i) {
        if (i == 0) run.NewApplication();
        for (const int dopfond : {0, 1}) WriteOutOfRegionInvoice(run, reports[i], dopfond);
        WriteAdditionalTariffInvoices(run, DocumentSet::OutOfRegion, reports[i].Repn,
                                      reports[i].TipStac, static_cast<int>(i),
                                      static_cast<int>(reports.size()));
      }
    }
  }
  Registers(run, DocumentSet::OutOfRegion);
  // The out-of-region registers end by quitting the application.
  run.QuitApplication();
}

void ClosingSet(DocumentRun& run) {
  OneChannelInvoices(run, DocumentSet::Closing);
  LocalInvoices(run, DocumentSet::Closing);
  Registers(run, DocumentSet::Closing);
}

}  // namespace

DocumentRun MakeDocumentRun(const ReceptionContext& ctx) {
  DocumentRun run(ctx.Db, ctx.Tr, ctx.User());
  const ReceptionState& state = ctx.State;
  const PackageLists& lists = ThePackageLists();
  run.RegistryFolder = ctx.RegistryFolder;
  run.TemplateFolder = ctx.TemplateFolder;
  run.PayWord = lists.PayFolderWord;
  run.PayKind = ctx.PayKind;
  run.StacType = Number(ctx.StacType);
  run.DayUnitText = DayUnitTextOf(ctx.StacType);
  run.PeriodStart = ctx.PeriodStart;
  run.PeriodEnd = ctx.PeriodEnd;
  run.Lpu = ctx.Lpu;
  run.Fund = ReadFundRequisites(ctx.Db, &ctx.Tr, 1);
  run.XmlPackageMode = state.XmlPackageMode;
  run.HasRoundTheClock = lists.HasRoundTheClock;
  run.HasDayHospital = lists.HasDayHospital;
  run.Reports = lists.ReportLists;
  run.ReportNumberCopy = state.ReportNumberCopy;
  run.CurrentReportNumber = state.CurrentReportNumber;
  return run;
}

void WriteDocumentSet(const ReceptionContext& ctx, DocumentSet set) {
  DocumentRun run = MakeDocumentRun(ctx);
  switch (set) {
    case DocumentSet::Local:
      LocalSet(run);
      break;
    case DocumentSet::OutOfRegion:
      OutOfRegionSet(run);
      break;
    case DocumentSet::Closing:
      ClosingSet(run);
      break;
  }
  ctx.State.CurrentReportNumber = run.CurrentReportNumber;
}

}  // namespace kelmo
