// The additional-tariff invoices of one report: FF (the federal fund's part),
// TF (the territorial fund's part) and, in the local set, TR (the further
// training of doctors), each from "sfaktM.xlsx" when its sum is above 0,
// always saved in the registry folder.
#include "document_workbook.h"
#include "excel_range.h"
#include "firebird/fb_query.h"
#include "invoice_documents.h"

namespace kelmo {

namespace {

const QString kAdditionalSums = QStringLiteral(
    "select coalesce(sum(m.mod_ffoms_cost),0) ffoms, coalesce(sum(m.mod_tfoms_cost),0) tfoms, "
    "coalesce(sum(m.mod_kd),0) kdoms from mtl m "
    "where m.repn=:repn and (m.mod_ffoms_cost>0 or m.mod_tfoms_cost>0)");

const QString kChildrenSums = QStringLiteral(
    "select coalesce(sum(m.mod_ffoms_cost),0) ffoms, coalesce(sum(m.mod_tfoms_cost),0) tfoms, "
    "coalesce(sum(m.mod_kd),0) kdoms from mtl m join stacion s on m.id_ill=s.id_ill "
    "where m.repn=:repn and (m.mod_ffoms_cost>0 or m.mod_tfoms_cost>0) and s.vozrast<18");

const QString kTrainingSums = QStringLiteral(
    "select coalesce(sum(m.mod_train_cost),0) train, coalesce(sum(m.kdoms),0) kdoms from mtl m "
    "where m.repn=:repn");

struct Sums {
  int BedDays = 0;
  Money Ff, Tf, Train;
};

Sums SumsOf(DocumentRun& run, const QString& sql, int repn) {
  FbQuery q(run.Db, &run.Tr);
  q.setSql(sql);
  q.setParam(QStringLiteral("repn"), repn);
  q.Open();
  Sums s;
  s.BedDays = q.FieldByName(QStringLiteral("KDOMS")).toInt();
  const QStringList fields = q.FieldNames();
  if (fields.contains(QStringLiteral("FFOMS")))
    s.Ff = MoneyOfField(q.FieldByName(QStringLiteral("FFOMS")));
  if (fields.contains(QStringLiteral("TFOMS")))
    s.Tf = MoneyOfField(q.FieldByName(QStringLiteral("TFOMS")));
  if (fields.contains(QStringLiteral("TRAIN")))
    s.Train = MoneyOfField(q.FieldByName(QStringLiteral("TRAIN")));
  return s;
}

}  // namespace

QString AdditionalTariffDescription(const QString& kind, int stacType) {
  if (kind == QLatin1String("FF") && stacType == 1)
    return QStringLiteral(
        "Оплата медицинской помощи по дополнительному тарифу на поэтапный переход к оказанию "
        "медицинской помощи в соответствии со стандартами медицинской помощи, "
        "устанавливаемыми Минздравсоцразвития ( бюджет ФФ ОМС). За период с ");
  if (kind == QLatin1String("FF"))
    return QStringLiteral(
        "Оплата медицинской помощи по дополнительному тарифу на повышение доступности и "
        "качества медицинской помощи, в том числе предоставляемой врачами-специалистами  За "
        "период с ");
  if (kind == QLatin1String("TF"))
    return QStringLiteral(
        "Оплата медицинской помощи по дополнительному тарифу на поэтапный переход к оказанию "
        "медицинской помощи в соответствии со стандартами медицинской помощи, "
        "устанавливаемыми Минздравсоцразвития ( бюджет ТФ ОМС). За период с ");
  return QStringLiteral(
      "Оплата медицинской помощи по дополнительному тарифу на повышение квалификации "
      "врачебных кадров За период с ");
}

void WriteAdditionalTariffAccount(DocumentWorkbook& doc, const InstitutionRequisites& lpu) {
  doc.Text(5, 2,
           TrimText(lpu.ModPc) + QLatin1Char(' ') + TrimText(lpu.ModRecPay) + QLatin1Char(' ') +
               TrimText(lpu.ModBank));
  doc.Text(7, 2, TrimText(lpu.ModBikBank));
  doc.Text(8, 1, QStringLiteral("КБК"));
  doc.Text(8, 2, TrimText(lpu.ModKbk));
}

void WriteAdditionalTariffTable(DocumentWorkbook& doc, const AdditionalTariffTable& table,
                                const InstitutionRequisites& lpu) {
  doc.Text(16, 1, table.Description);
  doc.Text(16, 2, table.DayUnit);
  doc.Text(16, 3, table.All.BedDays);
  doc.Integer(16, 5, table.KindNumber);
  doc.Text(16, 9, table.All.Amount);
  doc.Text(17, 1, QStringLiteral("в том числе дети:"));
  doc.Text(17, 2, table.DayUnit);
  doc.Text(17, 3, table.Children.BedDays);
  doc.Text(17, 5, table.Children.Amount);
  doc.Text(17, 9, table.Children.Amount);
  doc.Text(18, 1, QStringLiteral("Всего"));
  doc.Text(18, 3, table.All.BedDays);
  doc.Text(18, 9, table.All.Amount);
  GridRange(doc.App(), QStringLiteral("A16"), QStringLiteral("I18"));
  WriteSignatureBlock(doc.Sheet(),
                      {{20, 1}, {20, 2}, {20, 5}, {20, table.AccountantColumn}, {22, 1}}, lpu);
}

namespace {

int KindNumber(const QString& kind, bool outOfRegion) {
  if (kind == QLatin1String("TR")) return 12;
  return (kind == QLatin1String("FF") ? 10 : 11) + (outOfRegion ? 3 : 0);
}

// FF or TF of the report.
void WriteFundInvoice(DocumentRun& run, DocumentSet set, const QString& kind, int repn,
                      int stacType, const Sums& all, int index, int count) {
  const bool outOfRegion = set == DocumentSet::OutOfRegion;
  const bool ff = kind == QLatin1String("FF");
  const QString templ = run.Template(QStringLiteral("sfaktM.xlsx"));
  // Each kind tests its template: a missing one stops the run with the
  // template's message, never with an error of the workbook layer.
  RequireTemplate(templ);
  DocumentWorkbook doc(run.Application(), templ, kInvoiceLayout);
  workbook::Worksheet& sheet = doc.Sheet();
  WriteInvoiceHead(run, sheet, CareKindOfStacType(stacType), outOfRegion, false);
  if (outOfRegion && ff) WriteAdditionalTariffAccount(doc, run.Lpu);
  auto line = [ff](const Sums& s) {
    return AdditionalTariffLine{QString::number(s.BedDays), MoneyText(ff ? s.Ff : s.Tf)};
  };
  const Sums children = SumsOf(run, kChildrenSums, repn);
  WriteAdditionalTariffTable(
      doc,
      {PeriodText(AdditionalTariffDescription(kind, stacType), run.PeriodStart, run.PeriodEnd),
       run.DayUnitText, KindNumber(kind, outOfRegion), line(all), line(children),
       outOfRegion ? 9 : 7},
      run.Lpu);
  SaveDocument(run, doc, AdditionalTariffName(run, set, kind, repn, index, count), false);
}

}  // namespace

void WriteAdditionalTariffInvoices(DocumentRun& run, DocumentSet set, int repn, int stacType,
                                   int index, int count) {
  run.CurrentReportNumber = repn;
  const Sums all = SumsOf(run, kAdditionalSums, repn);
  if (all.Ff > Money())
    WriteFundInvoice(run, set, QStringLiteral("FF"), repn, stacType, all, index, count);
  if (all.Tf > Money())
    WriteFundInvoice(run, set, QStringLiteral("TF"), repn, stacType, all, index, count);
  if (set != DocumentSet::Local) return;
  const Sums training = SumsOf(run, kTrainingSums, repn);
  if (training.Train <= Money()) return;
  const QString templ = run.Template(QStringLiteral("sfaktM.xlsx"));
  RequireTemplate(templ);
  DocumentWorkbook doc(run.Application(), templ, kInvoiceLayout);
  WriteInvoiceHead(run, doc.Sheet(), CareKindOfStacType(stacType), false, false);
  doc.Text(16, 1,
           PeriodText(AdditionalTariffDescription(QStringLiteral("TR"), stacType), run.PeriodStart,
                      run.PeriodEnd));
  doc.Text(16, 2, run.DayUnitText);
  doc.Text(16, 3, QString::number(training.BedDays));
  doc.Integer(16, 5, KindNumber(QStringLiteral("TR"), false));
  doc.Text(16, 9, MoneyText(training.Train));
  doc.Text(17, 1, QStringLiteral("Всего"));
  doc.Text(17, 3, QString::number(training.BedDays));
  doc.Text(17, 9, MoneyText(training.Train));
  GridRange(doc.App(), QStringLiteral("A16"), QStringLiteral("I17"));
  WriteSignatureBlock(doc.Sheet(), {{19, 1}, {19, 2}, {19, 5}, {19, 7}, {21, 1}}, run.Lpu);
  SaveDocument(run, doc, AdditionalTariffName(run, set, QStringLiteral("TR"), repn, 0, 1), false);
}

}  // namespace kelmo
