// The local invoice (one line of totals over the local reports) and the
// out-of-region invoice (one line per insurer of one report), each for the
// cases of one DOPFOND value.
#include <QDir>

#include "document_workbook.h"
#include "domain/report_parameters.h"
#include "excel_range.h"
#include "firebird/fb_query.h"
#include "invoice_documents.h"

namespace kelmo {

namespace {

// The sums of the local invoice over the local reports.
const QString kLocalSums = QStringLiteral(
    "select sum(m.kdoms) kdoms, sum(iif(m.mtl_onco_status = 1, m.kdoms, 0)) kd_onco, "
    "sum(m.ocncost-m.mod_ffoms_cost-m.mod_tfoms_cost-m.mod_train_cost) ocncost, "
    "sum(m.dopcost) dopcost, sum(m.onech_cost) onech_cost, "
    "sum(m.ocncost-coalesce(m.onech_cost,0)-coalesce(m.mod_ffoms_cost,0)-"
    "coalesce(m.mod_tfoms_cost,0)-coalesce(m.mod_train_cost,0)) withoutonech, "
    "sum(iif(m.mtl_onco_status = 1, m.ocncost, 0)) cost_onco from mtl m "
    "join stacion s on s.id_ill=m.id_ill "
    "where m.repn in %1 and (m.oplat=:oplat) and coalesce(s.dopfond,0)=:dopfond");

// The same for an institution with attached population: payment kind 1, and
// every case whose MCOD is set.
const QString kAttachedSums = QStringLiteral(
    "select sum(m.kdoms) kdoms, sum(iif(m.mtl_onco_status = 1, m.kdoms, 0)) kd_onco, "
    "sum(m.ocncost - m.mod_ffoms_cost - m.mod_tfoms_cost - m.mod_train_cost) ocncost, "
    "sum(m.dopcost) dopcost, sum(m.cost_trp) as withoutonech, "
    "sum(iif(m.mtl_onco_status = 1, m.ocncost, 0)) cost_onco "
    "from mtl m join stacion s on s.id_ill = m.id_ill "
    "where m.repn in %1 and (m.oplat = 1) and "
    "((s.mcod = :mcod) or (s.mcod <> :mcod)) and coalesce(s.dopfond,0)=:dopfond%2");

// The sums of an out-of-region report's insurers: one insurer's (its
// policy code a parameter), or every insurer's grouped by policy code (POLIS
// first). A sheet is found by its case alone: with the report's index on
// both sides the engine would read every sheet of the report for each case.
const QString kInsurerSumsColumns = QStringLiteral(
    "sum(m.kdoms) kdoms, sum(iif(m.mtl_onco_status = 1, m.kdoms, 0)) kd_onco, "
    "sum((m.ocncost-coalesce(m.mod_tfoms_cost,0)-coalesce(m.mod_ffoms_cost,0))) ocncost, "
    "sum(m.dopcost) dopcost, "
    "sum((m.ocncost-coalesce(m.onech_cost,0)-coalesce(m.mod_ffoms_cost,0)-"
    "coalesce(m.mod_tfoms_cost,0)%1)) withoutonech, "
    "sum(m.onech_cost) onech_cost, sum(iif(m.mtl_onco_status = 1, m.ocncost, 0)) cost_onco ");
const QString kInsurerSumsCases = QStringLiteral(
    "from stacion s left join mtl m on ((m.repn+0=s.repn) and (s.id_ill=m.id_ill)) "
    "where s.repn in %1 and (m.oplat=:oplat) and coalesce(s.dopfond,0)=:dopfond");

Money MoneyField(const FbQuery& q, const char* name) {
  return MoneyOfField(q.FieldByName(QString::fromLatin1(name)));
}

int IntField(const FbQuery& q, const char* name) {
  return q.FieldByName(QString::fromLatin1(name)).toInt();
}

}  // namespace

QString InsurerSumsStatement(const QList<int>& reports, bool lessTraining) {
  return QStringLiteral("select ") +
         kInsurerSumsColumns.arg(lessTraining ? QStringLiteral("-coalesce(m.mod_train_cost,0)")
                                              : QString()) +
         kInsurerSumsCases.arg(ReportParameterList(reports)) +
         QStringLiteral(" and (s.polis is not distinct from :polis)");
}

QString InsurerGroupSumsStatement(const QList<int>& reports) {
  return QStringLiteral("select s.polis, ") + kInsurerSumsColumns.arg(QString()) +
         kInsurerSumsCases.arg(ReportParameterList(reports)) + QStringLiteral(" group by s.polis");
}

QString AttachedSumsStatement(const QList<int>& reports, bool byInsurer) {
  return kAttachedSums.arg(
      ReportParameterList(reports),
      byInsurer ? QStringLiteral(" and (s.polis is not distinct from :polis)") : QString());
}

void OpenPassSums(FbQuery& q, const QString& sql, const QList<int>& reports,
                  const PassSumsParameters& p, const QVariant* polis) {
  q.setSql(sql);
  SetReportParameters(q, reports);
  if (polis) q.setParam(QStringLiteral("polis"), *polis);
  if (p.Attached)
    q.setParam(QStringLiteral("mcod"), TrimText(p.Mcod));
  else
    q.setParam(QStringLiteral("oplat"), Code(p.PayKind));
  q.setParam(QStringLiteral("dopfond"), p.Dopfond);
  q.Open();
}

void WriteLocalInvoice(DocumentRun& run, DocumentSet set, int dopfond) {
  const bool closing = set == DocumentSet::Closing;
  DocumentWorkbook doc(run.Application(), run.Template(QStringLiteral("sfakt.xlsx")),
                       kInvoiceLayout);
  workbook::Worksheet& sheet = doc.Sheet();
  WriteInvoiceHead(run, sheet, CareKindCaption(run, run.StacType, closing), false, true);

  const QList<int> reports = run.ReportNumbers(Population::Local);
  const bool attached = run.StacType != 1 && run.Lpu.Attach != 0;
  FbQuery q(run.Db, &run.Tr);
  OpenPassSums(q,
               attached ? AttachedSumsStatement(reports, false)
                        : kLocalSums.arg(ReportParameterList(reports)),
               reports, {attached, run.Lpu.Mcod, run.PayKind, dopfond});
  const int bedDays = IntField(q, "KDOMS");
  const int oncoBedDays = IntField(q, "KD_ONCO");
  const Money oncoCost = MoneyField(q, "COST_ONCO");
  const Money total =
      (attached && closing ? MoneyField(q, "OCNCOST") : MoneyField(q, "WITHOUTONECH")) +
      MoneyField(q, "DOPCOST");
  q.Close();

  doc.Text(16, 2, run.DayUnitText);
  doc.Text(16, 3, QString::number(bedDays));
  doc.Text(17, 1, QStringLiteral("Всего"));
  doc.Text(18, 1, QStringLiteral("в том числе онкология:"));
  doc.Text(18, 3, QString::number(oncoBedDays));
  doc.Text(18, 8, MoneyStr(oncoCost));
  doc.Text(17, 3, QString::number(bedDays));
  doc.Text(16, 5, MoneyStr(total));
  doc.Text(16, 8, MoneyStr(total));
  doc.Text(17, 8, MoneyStr(total));
  GridRange(doc.App(), QStringLiteral("A16"), QStringLiteral("H17"));
  WriteSignatureBlock(sheet, {{19, 1}, {19, 2}, {19, 5}, {19, 6}, {21, 1}}, run.Lpu);
  if (RoundToKopecks(total) > Money())
    SaveDocument(run, doc, LocalInvoiceName(run, dopfond), false);
}

void WriteOutOfRegionInvoice(DocumentRun& run, const rRepn& report, int dopfond) {
  workbook::ExcelApplication& app = run.Application();
  app.SetVisible(false);
  DocumentWorkbook doc(app, run.Template(QStringLiteral("sfakt.xlsx")), kInvoiceLayout);
  workbook::Worksheet& sheet = doc.Sheet();
  WriteInvoiceHead(run, sheet, CareKindOfStacType(report.TipStac), true, true);

  const QList<int> reports{report.Repn};
  FbQuery insurers(run.Db, &run.Tr);
  insurers.setSql(InsurerListStatement(reports));
  SetReportParameters(insurers, reports);
  insurers.setParam(QStringLiteral("oplat"), Code(run.PayKind));
  insurers.setParam(QStringLiteral("dopfond"), dopfond);
  insurers.Open();
  run.User.BeginPhase(QStringLiteral("Формирование счет-фактуры..."), insurers.RecordCount());

  // Every insurer's sums in one statement; an insurer without sheets of the
  // report has none and its line shows zeros.
  FbQuery sums(run.Db, &run.Tr);
  OpenPassSums(sums, InsurerGroupSumsStatement(reports), reports,
               {false, {}, run.PayKind, dopfond});
  const InsurerGroups groups(sums);
  int row = 16;
  int bedDays = 0;
  int oncoBedDays = 0;
  Money oncoCost;
  Money saveTotal;
  for (insurers.First(); !insurers.Eof(); insurers.Next(), ++row) {
    groups.Select(sums, insurers.FieldByName(QStringLiteral("POLIS")));
    oncoBedDays += IntField(sums, "KD_ONCO");
    oncoCost += MoneyField(sums, "COST_ONCO");
    const int rowBedDays = IntField(sums, "KDOMS");
    const Money rowSum = MoneyField(sums, "WITHOUTONECH") + MoneyField(sums, "DOPCOST");
    saveTotal = RoundToKopecks(saveTotal + rowSum);
    doc.Text(row, 1, InsurerLineText(run, insurers));
    doc.Text(row, 2, DayUnitOf(report.TipStac));
    doc.Text(row, 3, QString::number(rowBedDays));
    doc.Text(row, 5, MoneyStr(rowSum));
    doc.Text(row, 8, MoneyStr(rowSum));
    bedDays += rowBedDays;
    run.User.StepRecord();
  }
  const int r = row;
  doc.Text(r, 1, QStringLiteral("Всего"));
  doc.Text(r + 1, 1, QStringLiteral("в том числе онкология:"));
  doc.Text(r + 1, 3, QString::number(oncoBedDays));
  doc.Text(r + 1, 8, MoneyStr(oncoCost));
  doc.Text(r, 3, QString::number(bedDays));
  doc.Text(r, 8, MoneyStr(saveTotal));
  GridRange(app, QStringLiteral("A16"), QStringLiteral("H%1").arg(r));
  WriteSignatureBlock(sheet, {{r + 3, 1}, {r + 3, 2}, {r + 3, 6}, {r + 3, 8}, {r + 5, 1}}, run.Lpu);
  // A failed save leaves the run going without this invoice.
  if (RoundToKopecks(saveTotal) > Money())
    SaveDocument(run, doc, OutOfRegionInvoiceName(run, report.TipStac, dopfond), true);
}

}  // namespace kelmo
