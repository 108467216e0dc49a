// The one-channel cost invoices: the one-channel part of the sheets' costs
// (ONECH_COST) of payment kind 1, over the local reports in one line and over
// the out-of-region reports in one line per insurer.
#include "document_workbook.h"
#include "domain/report_parameters.h"
#include "excel_range.h"
#include "firebird/fb_query.h"
#include "invoice_documents.h"

namespace kelmo {

namespace {

const QString kOneChannelSums = QStringLiteral(
    "select sum(m.kdoms) kdoms, sum(m.onech_cost) onech_cost from mtl m "
    "where m.repn in %1 and (m.oplat=1)");

// One insurer's part (its policy code a parameter), or every insurer's
// grouped by policy code; a sheet is found by its case alone (see the
// insurers' sums of the out-of-region invoice).
const QString kInsurerOneChannelSums = QStringLiteral(
    "select %2 sum(m.kdoms) kdoms, sum(m.onech_cost) onech_cost "
    "from stacion s left join mtl m on ((m.repn+0=s.repn) and (s.id_ill=m.id_ill)) "
    "where s.repn in %1 and (m.oplat=1)%3");
const QString kOnePolis = QStringLiteral(" and (s.polis is not distinct from :polis)");

OneChannelSums SumsOf(DocumentRun& run, const QList<int>& reports, const QVariant* polis) {
  return OneChannelSumsOf(run.Db, run.Tr, reports, polis);
}

OneChannelSums OneChannelSumsOfRow(const FbQuery& q) {
  return {q.FieldByName(QStringLiteral("KDOMS")).toInt(),
          MoneyOfField(q.FieldByName(QStringLiteral("ONECH_COST")))};
}
// The steps before the template is filled: a new application, the old files
// of the invoice deleted, the template tested.
QString Prepare(DocumentRun& run, DocumentSet set, bool outOfRegion) {
  run.CurrentReportNumber =
      run.ReportNumberCopy[outOfRegion ? Population::OutOfRegion : Population::Local];
  run.NewApplication();
  const QString stem = outOfRegion ? QStringLiteral("Sfakti") : QStringLiteral("Sfakt");
  RemoveOldOutput(
      run.RegistryFile(stem + QString::number(run.StacType) + QStringLiteral("_ON.xlsx")));
  if (set == DocumentSet::Closing)
    RemoveOldOutput(
        run.TempFile(stem + QLatin1Char('(') + run.PayWord + QStringLiteral(")_ON.xlsx")));
  const QString templ = run.Template(QStringLiteral("sfakt_on.xlsx"));
  RequireTemplate(templ);
  return templ;
}

}  // namespace

OneChannelSums OneChannelSumsOf(FbDatabase& db, FbTransaction& tr, const QList<int>& reports,
                                const QVariant* polis) {
  FbQuery q(db, &tr);
  const QString list = ReportParameterList(reports);
  q.setSql(polis ? kInsurerOneChannelSums.arg(list, QString(), kOnePolis)
                 : kOneChannelSums.arg(list));
  SetReportParameters(q, reports);
  if (polis) q.setParam(QStringLiteral("polis"), *polis);
  q.Open();
  return OneChannelSumsOfRow(q);
}

void WriteOneChannelTable(DocumentWorkbook& doc, const QString& dayUnit, const OneChannelSums& sums,
                          const InstitutionRequisites& lpu) {
  doc.Text(16, 2, dayUnit);
  doc.Integer(16, 3, sums.BedDays);
  doc.Integer(17, 3, sums.BedDays);
  doc.Text(17, 1, QStringLiteral("Всего"));
  for (const auto& [row, column] : {std::pair{16, 5}, {17, 5}, {16, 8}, {17, 8}})
    doc.Number(row, column, sums.Cost.ToDouble());
  GridRange(doc.App(), QStringLiteral("A16"), QStringLiteral("H17"));
  WriteSignatureBlock(doc.Sheet(), {{19, 1}, {19, 2}, {19, 5}, {19, 6}, {21, 1}}, lpu);
}

void WriteLocalOneChannelInvoice(DocumentRun& run, DocumentSet set) {
  const QString templ = Prepare(run, set, false);
  DocumentWorkbook doc(*run.Excel, templ, kInvoiceLayout);
  WriteInvoiceHead(run, doc.Sheet(), CareKindCaption(run, run.StacType, true), false, true);
  const OneChannelSums sums = SumsOf(run, run.ReportNumbers(Population::Local), nullptr);
  WriteOneChannelTable(doc, run.DayUnitText, sums, run.Lpu);
  if (sums.Cost > Money())
    SaveDocument(run, doc, OneChannelInvoiceName(run, set, false), set == DocumentSet::Closing);
}

void WriteOutOfRegionOneChannelInvoice(DocumentRun& run, DocumentSet set) {
  const QString templ = Prepare(run, set, true);
  if (set == DocumentSet::Local && run.Reports[Population::OutOfRegion].isEmpty()) return;
  DocumentWorkbook doc(*run.Excel, templ, kInvoiceLayout);
  WriteInvoiceHead(run, doc.Sheet(),
                   CareKindCaption(run, run.StacType, true) + QStringLiteral(", иногородние"),
                   false, true);
  const QList<int> reports = run.ReportNumbers(Population::OutOfRegion);
  const OneChannelSums total = SumsOf(run, reports, nullptr);
  // Every insurer of the reports gets its line, whatever its cases' DOPFOND:
  // the lines' sums and the total cover all cases.
  FbQuery insurers(run.Db, &run.Tr);
  insurers.setSql(InsurerListStatement(reports));
  SetReportParameters(insurers, reports);
  insurers.setParam(QStringLiteral("oplat"), Code(run.PayKind));
  insurers.setParam(QStringLiteral("dopfond"), -1);
  insurers.Open();
  run.User.BeginPhase(QStringLiteral("Формирование счет-фактуры..."), insurers.RecordCount());
  // Every insurer's part in one statement.
  FbQuery lines(run.Db, &run.Tr);
  lines.setSql(kInsurerOneChannelSums.arg(ReportParameterList(reports), QStringLiteral("s.polis,"),
                                          QStringLiteral(" group by s.polis")));
  SetReportParameters(lines, reports);
  lines.Open();
  const InsurerGroups groups(lines);
  int row = 16;
  for (insurers.First(); !insurers.Eof(); insurers.Next(), ++row) {
    groups.Select(lines, insurers.FieldByName(QStringLiteral("POLIS")));
    const OneChannelSums line = OneChannelSumsOfRow(lines);
    doc.Text(row, 1, InsurerLineText(run, insurers));
    doc.Text(row, 2, run.DayUnitText);
    doc.Text(row, 3, QString::number(line.BedDays));
    doc.Text(row, 5, MoneyStr(line.Cost));
    doc.Text(row, 8, MoneyStr(line.Cost));
    run.User.StepRecord();
  }
  const int r = row;
  doc.Text(r, 1, QStringLiteral("Всего"));
  doc.Number(r, 5, total.Cost.ToDouble());
  doc.Number(r, 8, total.Cost.ToDouble());
  GridRange(doc.App(), QStringLiteral("A%1").arg(r - 1), QStringLiteral("H%1").arg(r));
  WriteSignatureBlock(doc.Sheet(), {{r + 2, 1}, {r + 2, 2}, {r + 2, 5}, {r + 2, 6}, {r + 4, 1}},
                      run.Lpu);
  if (total.Cost > Money())
    SaveDocument(run, doc, OneChannelInvoiceName(run, set, true), set == DocumentSet::Closing);
}

}  // namespace kelmo
