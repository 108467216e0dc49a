// The invoices and the bill of one insurer (see insurer_invoices.h).
//
// Every document removes the file of its own name before it is written and
// is saved only when its sum is above 0, so a pass or report without cases
// leaves no stale invoice of an earlier run and removes no other one. Each
// report and DOPFOND pass has a name of its own.
#include "insurer_invoices.h"

#include <QDir>

#include "amount_in_words.h"
#include "document_workbook.h"
#include "domain/report_parameters.h"
#include "domain/report_period.h"
#include "excel_range.h"
#include "firebird/fb_query.h"
#include "invoice_documents.h"

namespace kelmo {

namespace {

const QString kErrorCaption = QStringLiteral("Ошибка");

// The additional-tariff totals and the children's sums: the days of the
// additional tariffs and their federal and territorial amounts.
const QString kTariffSums = QStringLiteral(
    "select %1(sum(m.mod_kd)%2) kdoms, %1(sum(m.mod_ffoms_cost)%2) ffoms, "
    "%1(sum(m.mod_tfoms_cost)%2) tfoms from stacion s join mtl m on m.id_ill = s.id_ill "
    "where s.repn in %3 and (s.polis = :polis) and (m.oplat = :oplat) "
    "and (m.mod_ffoms_cost > 0 or m.mod_tfoms_cost > 0)%4");

const QString kTerritorialDescription = QStringLiteral(
    "Оплата медицинской помощи по дополнительному тарифу на поэтапный переходк оказанию "
    "медицинской помощи в соответствии со стандартами медицинской помощи, устанавливаемыми "
    "Минздравсоцразвития ( бюджет ТФ ОМС) За период с ");

// The cells the Modern form and the bill need in their templates: the
// heading of their tables.
const std::vector<std::pair<int, int>> kModernLayout = {{20, 2}};
const std::vector<std::pair<int, int>> kBillLayout = {{19, 2}};

QList<int> FourReportList(const InsurerDocumentContext& ctx) {
  const std::array<int, 4> four = ctx.FourReports();
  return QList<int>(four.begin(), four.end());
}

QString Pay(const InsurerDocumentContext& ctx) {
  return QLatin1Char('(') + ctx.In.PayWord + QLatin1Char(')');
}

QString N(const InsurerDocumentContext& ctx) {
  return QString::number(ctx.In.StacType);
}

// "<lead>" " <the month's last day> "".
QString QuotedDateTitle(const InsurerDocumentContext& ctx, const QString& lead) {
  return lead + QStringLiteral("\" ") + ShortDateText(PeriodMonthEndOf(ctx.In.PeriodEnd)) +
         QStringLiteral(" \"");
}

QString InvoiceTitle(const InsurerDocumentContext& ctx) {
  return QuotedDateTitle(ctx, QStringLiteral("СЧЕТ-ФАКТУРА № ____ от "));
}

QString InstitutionLine(const InsurerDocumentContext& ctx, const QString& careKind) {
  const InstitutionRequisites& l = ctx.In.Lpu;
  return TrimText(l.FName) + QStringLiteral(" (") + careKind + QLatin1Char(')') +
         InstitutionAccountLines(l);
}

// The institution's three lines in B3 (name, payee, budget code) need a
// row of three lines; the templates' row is of one.
void FitInstitutionLines(DocumentWorkbook& doc) {
  doc.Sheet().SetRowHeight(3, 39);
}

QString PhoneLine(const QString& address, const QString& phone) {
  return TrimText(address) + QStringLiteral(", тел. ") + TrimText(phone);
}

// The POLIS of the filter: the four characters after its first "='".
QString FilterPolis(const QString& caseFilter) {
  const qsizetype at = caseFilter.indexOf(QStringLiteral("='"));
  return at < 0 ? QString() : caseFilter.mid(at + 2, 4);
}

// The head of the one-channel and main invoices: the title, the
// institution and the payer, the consignor's lines and the period.
void WriteInvoiceHead(DocumentWorkbook& doc, const InsurerDocumentContext& ctx,
                      const QString& careKind) {
  doc.Text(1, 1, InvoiceTitle(ctx));
  HeaderTexts texts;
  texts.CareKind = careKind;
  texts.FundTitle = ctx.Insurer.Payer.FName;
  texts.InstitutionTail = InstitutionAccountLines(ctx.In.Lpu);
  texts.WithBik = false;
  WriteRequisitesHeader(doc.Sheet(), ctx.In.Lpu, ctx.Insurer.Payer, texts);
  FitInstitutionLines(doc);
  doc.Text(6, 1, QStringLiteral("Грузоотправитель и его адрес"));
  doc.Text(7, 1, QStringLiteral("Грузополучатель и его адрес"));
  doc.Text(8, 1, QStringLiteral("К платежно-расчетному документу №"));
  doc.Text(16, 1,
           PeriodText(QStringLiteral("Оказанная медицинская помощь с "), ctx.In.PeriodStart,
                      ctx.In.PeriodEnd));
}

// Saves a document when its sum is above 0; its folder must exist.
void SaveWhenPositive(DocumentWorkbook& doc, Money sum, const QString& path) {
  if (RoundToKopecks(sum) > Money()) doc.Save(path);
}

// --- The main invoices ---

// The name of a report's main invoice of a DOPFOND pass. A report that
// shares its in-patient type with an earlier report of the list (or, in a
// run without a package, any report but the first) carries its number
// after the in-patient type, as its treated-patient register does.
QString MainInvoiceName(const InsurerDocumentContext& ctx, qsizetype index, int dopfond) {
  const QList<rRepn>& reports = ctx.Reports();
  const rRepn& report = reports[index];
  const QString pass = dopfond == 1 ? QStringLiteral("_NSZ") : QString();
  bool repeated = false;
  for (qsizetype k = 0; k < index; ++k)
    repeated = repeated || !ctx.In.XmlPackageMode || reports[k].TipStac == report.TipStac;
  const QString own = repeated ? QLatin1Char('_') + QString::number(report.Repn) : QString();
  if (!ctx.In.XmlPackageMode)
    return ctx.CurrentFile(QStringLiteral("Sfakt") + N(ctx) + pass + own + QStringLiteral(".xlsx"));
  return ctx.DocumentFile(QStringLiteral("Sfakt") + pass + QString::number(report.TipStac) + own +
                          Pay(ctx) + QLatin1Char('_') + ctx.Insurer.ShortName +
                          QStringLiteral(".xlsx"));
}

struct MainTotals {
  int BedDays = 0;
  Money Amount;
  int OncoBedDays = 0;
  Money OncoAmount;
};

// The sums of one insurer row of a report's pass; adds them to the totals
// and keeps them as the last line read.
void ReadInsurerLine(InsurerDocumentContext& ctx, const QList<int>& reports, int dopfond,
                     const QVariant& polis, MainTotals& totals) {
  const InsurerDocumentInputs& in = ctx.In;
  const bool attached = in.StacType != 1 && in.Lpu.Attach != 0;
  FbQuery q(ctx.Services.Db, &ctx.Services.Tr);
  OpenPassSums(
      q, attached ? AttachedSumsStatement(reports, true) : InsurerSumsStatement(reports, true),
      reports, {attached, in.Lpu.Mcod, in.PayKind, dopfond}, &polis);
  auto money = [&q](const char* name) {
    return MoneyOfField(q.FieldByName(QString::fromLatin1(name)));
  };
  ctx.LastLineBedDays = q.FieldByName(QStringLiteral("KDOMS")).toInt();
  ctx.LastLineAmount = money("WITHOUTONECH") + money("DOPCOST");
  ctx.LastLinePolis = TrimText(polis.toString());
  totals.BedDays += ctx.LastLineBedDays;
  totals.Amount += ctx.LastLineAmount;
  totals.OncoBedDays += q.FieldByName(QStringLiteral("KD_ONCO")).toInt();
  totals.OncoAmount += money("COST_ONCO");
}

void WriteMainInvoice(InsurerDocumentContext& ctx, const QString& templ, qsizetype index,
                      int dopfond) {
  const rRepn& report = ctx.Reports()[index];
  const QString name = MainInvoiceName(ctx, index, dopfond);
  RemoveOldOutput(name);
  const QList<int> reports{report.Repn};
  FbQuery insurers(ctx.Services.Db, &ctx.Services.Tr);
  insurers.setSql(InsurerListStatement(reports, ctx.In.CaseFilter));
  SetReportParameters(insurers, reports);
  insurers.setParam(QStringLiteral("oplat"), Code(ctx.In.PayKind));
  insurers.setParam(QStringLiteral("dopfond"), dopfond);
  insurers.Open();

  DocumentWorkbook doc(ctx.Application(), templ, kInvoiceLayout);
  WriteInvoiceHead(doc, ctx, ReportCareKind(report.TipStac));
  MainTotals totals;
  int lineBedDays = 0;
  Money lineAmount;
  for (insurers.First(); !insurers.Eof(); insurers.Next()) {
    ReadInsurerLine(ctx, reports, dopfond, insurers.FieldByName(QStringLiteral("POLIS")), totals);
    lineBedDays = ctx.LastLineBedDays;
    lineAmount = ctx.LastLineAmount;
  }
  doc.Text(16, 2, DayUnitOf(report.TipStac));
  doc.Integer(16, 3, lineBedDays);
  doc.Text(17, 1, QStringLiteral("Всего"));
  doc.Integer(17, 3, totals.BedDays);
  doc.Text(18, 1, QStringLiteral("в том числе онкология:"));
  doc.Integer(18, 3, totals.OncoBedDays);
  doc.Text(18, 8, MoneyStr(totals.OncoAmount));
  doc.Text(16, 5, MoneyStr(lineAmount));
  doc.Text(16, 8, MoneyStr(lineAmount));
  doc.Text(17, 8, MoneyStr(totals.Amount));
  GridRange(doc.App(), QStringLiteral("A16"), QStringLiteral("H17"));
  WriteSignatureBlock(doc.Sheet(), {{19, 1}, {19, 2}, {19, 6}, {19, 8}, {21, 1}}, ctx.In.Lpu);
  SaveWhenPositive(doc, totals.Amount, name);
}

// --- The additional-tariff invoices ---

// The additional-tariff sums as the cells take them: empty texts for the
// children's sums when no case matches.
struct TariffSums {
  QString BedDays;
  Money Ff, Tf;
  QString FfText, TfText;
};

TariffSums ReadTariffSums(const InsurerDocumentContext& ctx, const QString& polis, bool children) {
  const QList<int> reports = FourReportList(ctx);
  FbQuery q(ctx.Services.Db, &ctx.Services.Tr);
  q.setSql(kTariffSums.arg(children ? QString() : QStringLiteral("coalesce"),
                           children ? QString() : QStringLiteral(", 0"),
                           ReportParameterList(reports),
                           children ? QStringLiteral(" and (s.vozrast < 18)") : QString()));
  SetReportParameters(q, reports);
  q.setParam(QStringLiteral("polis"), polis);
  q.setParam(QStringLiteral("oplat"), Code(ctx.In.PayKind));
  q.Open();
  TariffSums s;
  const QVariant days = q.FieldByName(QStringLiteral("KDOMS"));
  const QVariant ff = q.FieldByName(QStringLiteral("FFOMS"));
  const QVariant tf = q.FieldByName(QStringLiteral("TFOMS"));
  s.BedDays = days.isNull() ? QString() : QString::number(days.toLongLong());
  s.Ff = MoneyOfField(ff);
  s.Tf = MoneyOfField(tf);
  s.FfText = ff.isNull() ? QString() : MoneyText(s.Ff);
  s.TfText = tf.isNull() ? QString() : MoneyText(s.Tf);
  return s;
}

QString TariffName(const InsurerDocumentContext& ctx, const QString& stem, const QString& kind) {
  return ctx.DocumentFile(stem + N(ctx) + QLatin1Char('_') + kind + Pay(ctx) + QLatin1Char('_') +
                          ctx.Insurer.ShortName + QStringLiteral(".xlsx"));
}

// The care kind the additional-tariff documents write: the last report's.
QString LastReportCareKind(const InsurerDocumentContext& ctx) {
  return ctx.Reports().isEmpty() ? ctx.CareKind(CareKindDocument::Main)
                                 : ReportCareKind(ctx.Reports().last().TipStac);
}

// FF (`federal`) or TF from "sfaktM.xlsx"; a missing template is told and
// the invoice skipped.
void WriteFundTariffInvoice(InsurerDocumentContext& ctx, bool federal, const TariffSums& all,
                            const TariffSums& children) {
  const QString name = TariffName(ctx, QStringLiteral("Sfakt"),
                                  federal ? QStringLiteral("FF") : QStringLiteral("TF"));
  RemoveOldOutput(name);
  const QString templ = ctx.Template(QStringLiteral("sfaktM.xlsx"));
  if (!TemplatePresent(templ)) {
    ctx.Services.User.Message(
        kErrorCaption, QStringLiteral("Не найден файл-шаблон ") + QDir::toNativeSeparators(templ),
        RunMessageIcon::Error);
    return;
  }
  const InsurerDocumentInputs& in = ctx.In;
  const InstitutionRequisites& l = in.Lpu;
  const FundRequisites& payer = ctx.Insurer.Payer;
  DocumentWorkbook doc(ctx.Application(), templ, kInvoiceLayout);
  doc.Text(1, 1, InvoiceTitle(ctx));
  doc.Text(3, 2, InstitutionLine(ctx, LastReportCareKind(ctx)));
  FitInstitutionLines(doc);
  doc.Text(4, 2, PhoneLine(l.Adr, l.PhoneGlv));
  doc.Text(6, 2, TrimText(l.Inn) + QStringLiteral(" / ") + TrimText(l.Kpp));
  WriteAdditionalTariffAccount(doc, l);
  doc.Text(9, 1, QString());
  if (federal) {
    doc.Text(13, 1, QString());
    doc.Text(10, 1, QStringLiteral("Покупатель"));
    doc.Text(10, 2, payer.FName);
    doc.Text(11, 1, QStringLiteral("Адрес"));
    doc.Text(11, 2, PhoneLine(payer.Address, payer.Phone));
    doc.Text(12, 1, QStringLiteral("ИНН/КПП покупателя"));
    doc.Text(12, 2, payer.Inn + QStringLiteral(" / ") + payer.Kpp);
  } else {
    doc.Text(5, 2, TrimText(l.PC) + QLatin1Char(' ') + TrimText(l.Bank));
    doc.Text(7, 2, TrimText(l.BikBank));
    doc.Text(9, 2, payer.FName);
    doc.Text(10, 2, PhoneLine(payer.Address, payer.Phone));
    doc.Text(11, 1, QStringLiteral("ИНН/КПП покупателя"));
    doc.Text(11, 2, payer.Inn + QStringLiteral(" / ") + payer.Kpp);
    doc.Text(12, 1, QStringLiteral("Р/счет №"));
    doc.Text(12, 2, payer.PC + QLatin1Char(' ') + payer.Bank);
    doc.Text(13, 1, QStringLiteral("БИК"));
    doc.Text(13, 2, payer.BikBank);
  }
  const QString description = federal
                                  ? AdditionalTariffDescription(QStringLiteral("FF"), in.StacType)
                                  : kTerritorialDescription;
  WriteAdditionalTariffTable(doc,
                             {PeriodText(description, in.PeriodStart, in.PeriodEnd),
                              ctx.DayUnit(),
                              federal ? 4 : 5,
                              {all.BedDays, federal ? all.FfText : all.TfText},
                              {children.BedDays, federal ? children.FfText : children.TfText},
                              9},
                             l);
  doc.Save(name);
}

// The federal-budget invoice in the second form ("Modern.xlsx"), with the
// amount in words; insurer 2778 only, skipped silently without its template.
void WriteModernInvoice(InsurerDocumentContext& ctx, const TariffSums& all,
                        const TariffSums& children) {
  const InsurerDocumentInputs& in = ctx.In;
  if (!in.CaseFilter.contains(QStringLiteral("2778"))) return;
  const QString name = TariffName(ctx, QStringLiteral("Modern"), QStringLiteral("FF"));
  RemoveOldOutput(name);
  const QString templ = ctx.Template(QStringLiteral("Modern.xlsx"));
  if (!TemplatePresent(templ)) return;
  const InstitutionRequisites& l = in.Lpu;
  const FundRequisites& payer = ctx.Insurer.Payer;
  DocumentWorkbook doc(ctx.Application(), templ, kModernLayout);
  doc.Text(1, 1, TrimText(l.FName));
  doc.Text(3, 1,
           QStringLiteral("Адрес: ") + TrimText(l.Adr) + QStringLiteral(". Тел. ") +
               TrimText(l.PhoneGlv));
  doc.Text(7, 1,
           QStringLiteral("ИНН ") + TrimText(l.Inn) + QStringLiteral(" \\ КПП ") + TrimText(l.Kpp));
  doc.Text(8, 1, TrimText(l.ModRecPay));
  doc.Text(7, 6, QStringLiteral("Сч. №") + TrimText(l.ModPc));
  doc.Text(10, 1, TrimText(l.ModBank));
  doc.Text(9, 6, QStringLiteral("БИК ") + TrimText(l.ModBikBank));
  doc.Text(10, 6, QStringLiteral("КБК ") + TrimText(l.ModKbk));
  doc.Text(16, 1, QStringLiteral("Вид оказанной помощи: ") + LastReportCareKind(ctx));
  doc.Text(17, 1, QStringLiteral("Плательщик: ") + payer.FName);
  doc.Text(18, 1, QStringLiteral("Адрес: ") + payer.Indx + QStringLiteral(", ") + payer.Address);
  doc.Text(19, 1, QStringLiteral("ИНН ") + payer.Inn + QStringLiteral(" КПП ") + payer.Kpp);
  doc.Text(21, 2,
           PeriodText(AdditionalTariffDescription(QStringLiteral("FF"), in.StacType),
                      in.PeriodStart, in.PeriodEnd));
  doc.Text(21, 5, in.StacType == 1 ? QStringLiteral("к/дн") : QStringLiteral("п/дн"));
  doc.Text(21, 6, all.BedDays);
  doc.Text(21, 8, all.FfText);
  doc.Text(22, 6, children.BedDays);
  doc.Text(22, 8, children.FfText);
  doc.Text(23, 8, all.FfText);
  doc.Text(24, 8, all.FfText);
  doc.Text(
      26, 1,
      QStringLiteral("Всего наименований 1 на сумму ") + all.FfText + QStringLiteral(" рублей"));
  doc.Text(27, 1, AmountInWords(all.Ff));
  doc.Text(29, 5, SignatureShortName(l.GlVr));
  doc.Text(31, 7, SignatureShortName(l.GlBx));
  doc.Save(name);
}

}  // namespace

bool WriteInsurerOneChannelInvoice(InsurerDocumentContext& ctx) {
  const InsurerDocumentInputs& in = ctx.In;
  const QString templ = ctx.Template(QStringLiteral("sfakt_on.xlsx"));
  if (!TemplatePresent(templ)) {
    RunUser& user = ctx.Services.User;
    user.Message(kErrorCaption,
                 QStringLiteral("Не найден файл-шаблон ") + QDir::toNativeSeparators(templ),
                 RunMessageIcon::Error);
    user.EndProgress();
    user.RestoreWindow();
    return false;
  }
  const QString name =
      in.XmlPackageMode
          ? ctx.DocumentFile(QStringLiteral("Sfakt") + Pay(ctx) + QLatin1Char('_') +
                             ctx.Insurer.ShortName + QStringLiteral("_ON.xlsx"))
          : ctx.CurrentFile(QStringLiteral("Sfakt") + N(ctx) + QStringLiteral("_ON.xlsx"));
  RemoveOldOutput(name);
  DocumentWorkbook doc(ctx.Application(), templ, kInvoiceLayout);
  WriteInvoiceHead(doc, ctx, ctx.CareKind(CareKindDocument::OneChannel));
  const QVariant polis(FilterPolis(in.CaseFilter));
  const OneChannelSums sums =
      OneChannelSumsOf(ctx.Services.Db, ctx.Services.Tr, FourReportList(ctx), &polis);
  WriteOneChannelTable(doc, ctx.DayUnit(), sums, in.Lpu);
  if (sums.Cost > Money()) doc.Save(name);
  return true;
}

void WriteInsurerMainInvoices(InsurerDocumentContext& ctx) {
  const QList<rRepn>& reports = ctx.Reports();
  if (reports.isEmpty()) return;
  const QString templ = ctx.Template(QStringLiteral("sfakt.xlsx"));
  if (TemplatePresent(templ)) {
    for (qsizetype i = 0; i < reports.size(); ++i)
      for (const int dopfond : {0, 1}) WriteMainInvoice(ctx, templ, i, dopfond);
  }
  // The additional-tariff invoices cover the whole report list: written
  // once, after the last report's passes.
  WriteInsurerAdditionalTariffInvoices(ctx);
}

void WriteInsurerAdditionalTariffInvoices(InsurerDocumentContext& ctx) {
  const TariffSums all = ReadTariffSums(ctx, ctx.Insurer.CodeText(), false);
  if (all.Ff <= Money() && all.Tf <= Money()) {
    for (const char* kind : {"FF", "TF"})
      RemoveOldOutput(TariffName(ctx, QStringLiteral("Sfakt"), QString::fromLatin1(kind)));
    RemoveOldOutput(TariffName(ctx, QStringLiteral("Modern"), QStringLiteral("FF")));
    return;
  }
  const TariffSums children = ReadTariffSums(ctx, ctx.LastLinePolis, true);
  if (all.Ff > Money()) {
    WriteFundTariffInvoice(ctx, true, all, children);
    WriteModernInvoice(ctx, all, children);
  } else {
    RemoveOldOutput(TariffName(ctx, QStringLiteral("Sfakt"), QStringLiteral("FF")));
    RemoveOldOutput(TariffName(ctx, QStringLiteral("Modern"), QStringLiteral("FF")));
  }
  if (all.Tf > Money())
    WriteFundTariffInvoice(ctx, false, all, children);
  else
    RemoveOldOutput(TariffName(ctx, QStringLiteral("Sfakt"), QStringLiteral("TF")));
}

void WriteInsurerBill(InsurerDocumentContext& ctx) {
  const InsurerDocumentInputs& in = ctx.In;
  if (ctx.Insurer.Code != 2778 || in.TemplateFolder.isEmpty()) return;
  // The bill has an application of its own; without one it is skipped.
  std::unique_ptr<workbook::ExcelApplication> app;
  try {
    app = NewDocumentApplication();
  } catch (const DocumentStop&) {
    return;
  }
  const QString name =
      in.XmlPackageMode
          ? QDir(QDir(in.RegistryFolder).filePath(QStringLiteral("temp")))
                .filePath(QStringLiteral("Счет") + Pay(ctx) + QStringLiteral(".xlsx"))
          : ctx.CurrentFile(QStringLiteral("Счет") + N(ctx) + QStringLiteral(".xlsx"));
  RemoveOldOutput(name);
  const QString templ = ctx.Template(QStringLiteral("Bill.xlsx"));
  if (!TemplatePresent(templ)) return;
  const InstitutionRequisites& l = in.Lpu;
  const Money amount = ctx.LastLineAmount;
  {
    DocumentWorkbook doc(*app, templ, kBillLayout);
    app->SetVisible(false);
    doc.Text(1, 1, TrimText(l.FName));
    doc.Text(3, 1,
             QStringLiteral("Адрес: ") + TrimText(l.Adr) + QStringLiteral(",тел.:") +
                 TrimText(l.PhoneGlv));
    doc.Text(6, 7, TrimText(l.PC));
    doc.Text(
        7, 1,
        QStringLiteral("ИНН ") + TrimText(l.Inn) + QStringLiteral("     \\КПП ") + TrimText(l.Kpp));
    doc.Text(8, 1, TrimText(l.ModRecPay) + QStringLiteral("\nКБК ") + TrimText(l.ModKbk));
    doc.Text(11, 1, TrimText(l.Bank));
    doc.Text(10, 7, TrimText(l.BikBank));
    doc.Text(13, 1, QuotedDateTitle(ctx, QStringLiteral("СЧЕТ № ___ от ")));
    doc.Text(15, 1,
             QStringLiteral("Вид оказанной медицинской помощи: ") +
                 ctx.CareKind(CareKindDocument::Bill));
    doc.Text(16, 1, QStringLiteral("Плательщик: ") + ctx.Insurer.Payer.FName);
    doc.Text(17, 1, QStringLiteral("Адрес: ") + ctx.Insurer.Payer.Address);
    doc.Text(21, 2,
             QStringLiteral("с ") + ShortDateText(in.PeriodStart) + QStringLiteral("г. по ") +
                 ShortDateText(in.PeriodEnd) + QStringLiteral("г."));
    doc.Text(20, 5, ctx.DayUnit());
    doc.Integer(20, 6, ctx.LastLineBedDays);
    for (const int row : {20, 22, 23}) doc.Text(row, 8, MoneyStr(amount));
    doc.Text(25, 1, QStringLiteral("Всего наименований 1, на сумму ") + MoneyStr(amount));
    // A negative amount (never billed) has no words.
    if (RoundToKopecks(amount) >= Money()) doc.Text(26, 1, AmountInWords(amount));
    doc.Text(28, 1,
             QStringLiteral("Руководитель учреждения__________________(") +
                 SignatureShortName(l.GlVr) + QLatin1Char(')'));
    doc.Text(30, 1,
             QStringLiteral("Главный бухгалтер___________________(") + SignatureShortName(l.GlBx) +
                 QLatin1Char(')'));
    SaveWhenPositive(doc, amount, name);
  }
  app->SetDisplayAlerts(false);
  app->Quit();
}

}  // namespace kelmo
