// The act summary: the totals, the sum lines, the verdict, the sanction
// cross-check, the insurer table and the plan-execution table.
#include "act_summary.h"

#include <QSqlError>
#include <QSqlQuery>
#include <cstdlib>

#include "domain/common.h"
#include "domain/package_lists.h"
#include "doubles_overlaps.h"
#include "firebird/database_error.h"
#include "firebird/fb_query.h"
#include "report_parameters.h"
#include "shell/acts_connection.h"

namespace kelmo {
namespace {

// The totals of the listed reports' sheets of the payment kind. The sheet's
// modernisation parts count as zero when they were never stored, so a sheet
// is never left out of the sums. MEK sanctions count once per case (on its
// first sheet of the payment kind) and only for the cases of the party's
// insurer, or all of them for the fund; the policy code is compared as text.
QString TotalsStatement(const QList<int>& reports) {
  return QStringLiteral(
             "select sum(m.ocncost-coalesce(m.mod_ffoms_cost,0)-coalesce(m.mod_tfoms_cost,0)-"
             "coalesce(m.mod_train_cost,0)) ocncost, sum(m.onech_cost) onech_cost, "
             "sum(iif((trim(s.polis)=:who) or (1=:all_insurers), coalesce(s.sum_mek,0), 0)) "
             "sum_mek, sum(iif(coalesce(s1.dopfond,0)=1,m.ocncost,0)) sum_ncz, "
             "sum(iif(coalesce(s1.dopfond,0)=1,m.cost_sf,0)) sum_nczSF "
             "from mtl m join reports r on r.repn=m.repn join stacion s1 on s1.id_ill=m.id_ill "
             "left join stacion s on s.id_ill=m.id_ill and m.nom_mtl=(select min(m1.nom_mtl) "
             "from mtl m1 where m1.id_ill=m.id_ill and m1.oplat=r.oplat) and s.sum_mek is not "
             "null where m.repn in ") +
         ReportParameterList(reports) + QStringLiteral(" and r.oplat=:oplat and m.oplat=r.oplat");
}

// The three sums of every policy code of the run's reports.
QString InsurerStatement(const QList<int>& reports) {
  return QStringLiteral(
             "select S.POLIS, sum(M.OCNCOST - coalesce(M.MOD_FFOMS_COST, 0) - "
             "coalesce(M.MOD_TFOMS_COST, 0) - coalesce(M.MOD_TRAIN_COST, 0)) OCNCOST, "
             "sum(M.COST_TRP) as BASE_TRP, sum(M.ONECH_COST) as OK_FIN from STACION S join MTL M "
             "on M.ID_ILL = S.ID_ILL where S.REPN in ") +
         ReportParameterList(reports) +
         QStringLiteral(" and M.OPLAT = :oplat group by S.POLIS order by S.POLIS");
}

const QString kPlanStatement = QStringLiteral(
    "select * from print_summary(:repn_m1, :repn_m2, :repn_m3, :repn_m4, :repn_i1, :repn_i2, "
    ":repn_i3, :repn_i4)");

// The acts database's sanctions of the run's reports for the report date.
// Ordered, so that the first mismatch found is the same on every server.
QString ActsSanctionsStatement(int reportCount) {
  QStringList marks;
  for (int i = 0; i < reportCount; ++i) marks << QStringLiteral("?");
  return QStringLiteral(
             "select DISTINCT s.S_IST, s.IDCASE, s.ID_REPORT from sank s where "
             "s.DATE_REPORT=? and s.ID_REPORT in (") +
         marks.join(QLatin1Char(',')) + QStringLiteral(") order by s.IDCASE, s.ID_REPORT");
}

Money MoneyField(const FbQuery& q, const char* name) {
  return Money::FromDouble(q.FieldByName(QString::fromLatin1(name)).toDouble());
}

SummaryTotals ReadTotals(const ReceptionContext& ctx, const QList<int>& reports) {
  FbQuery q(ctx.Db, &ctx.Tr);
  q.setSql(TotalsStatement(reports));
  SetReportParameters(q, reports);
  q.setParam(QStringLiteral("oplat"), Code(ctx.PayKind));
  q.setParam(QStringLiteral("who"), QString::number(ctx.WhoDetail.Code()));
  q.setParam(QStringLiteral("all_insurers"), ctx.WhoDetail.IsFund() ? 1 : 0);
  q.Open();
  SummaryTotals t;
  if (!q.Eof()) {
    t.OcnCost = MoneyField(q, "OCNCOST");
    t.OnechCost = MoneyField(q, "ONECH_COST");
    t.SumMek = MoneyField(q, "SUM_MEK");
    t.SumNcz = MoneyField(q, "SUM_NCZ");
    t.SumNczSf = MoneyField(q, "SUM_NCZSF");
  }
  q.Close();
  return t;
}

QList<InsurerSums> ReadInsurerSums(const ReceptionContext& ctx, const QList<int>& reports) {
  FbQuery q(ctx.Db, &ctx.Tr);
  q.setSql(InsurerStatement(reports));
  SetReportParameters(q, reports);
  q.setParam(QStringLiteral("oplat"), Code(ctx.PayKind));
  q.Open();
  QList<InsurerSums> rows;
  for (q.First(); !q.Eof(); q.Next())
    rows.append({q.FieldByName(QStringLiteral("POLIS")).toString(), MoneyField(q, "OCNCOST"),
                 MoneyField(q, "BASE_TRP"), MoneyField(q, "OK_FIN")});
  q.Close();
  return rows;
}

// The first four reports of a pass, 0 for missing ones, as the plan
// procedure takes them.
void SetPlanReports(FbQuery& q, const QString& prefix, const QList<int>& reports) {
  for (int i = 0; i < 4; ++i)
    q.setParam(prefix + QString::number(i + 1), i < reports.size() ? reports[i] : 0);
}

PlanExecution ReadPlan(const ReceptionContext& ctx, const QList<int>& local,
                       const QList<int>& outOfRegion) {
  FbQuery q(ctx.Db, &ctx.Tr);
  q.setSql(kPlanStatement);
  SetPlanReports(q, QStringLiteral("repn_m"), local);
  SetPlanReports(q, QStringLiteral("repn_i"), outOfRegion);
  q.Open();
  PlanExecution p;
  if (!q.Eof()) {
    const auto i = [&](const char* n) { return q.FieldByName(QString::fromLatin1(n)).toInt(); };
    const auto d = [&](const char* n) { return q.FieldByName(QString::fromLatin1(n)).toDouble(); };
    p = {i("KD_MZ"),      i("KD_PR"),      i("KD_PR_M"),      i("KD_PR_I"),      d("KD_PRC"),
         d("COST_MZ"),    d("COST_PR"),    d("COST_PR_M"),    d("COST_PR_I"),    d("COST_PR_PRC"),
         d("COST_KD_MZ"), d("COST_KD_PR"), d("COST_KD_PR_M"), d("COST_KD_PR_I"), d("COST_KD_PRC")};
  }
  q.Close();
  return p;
}

// The sanction cross-check of the fund: the first sanction of the acts
// database for the first local report's date that the insurer and the fund
// do not share ends the look with its line; the run goes on.
QStringList SanctionCrossCheck(const ReceptionContext& ctx, const QList<int>& local) {
  FbQuery report(ctx.Db, &ctx.Tr);
  report.setSql(QStringLiteral("select * from reports r where r.repn=:repn"));
  report.setParam(QStringLiteral("repn"), local.first());
  report.Open();
  const QVariant drep = report.Eof() ? QVariant() : report.FieldByName(QStringLiteral("DATE_END"));
  report.Close();

  const QList<int> reports = local.mid(0, 4);
  QSqlQuery q(ctx.Acts->Database());
  if (!q.prepare(ActsSanctionsStatement(static_cast<int>(reports.size()))))
    throw DatabaseError(QStringLiteral("База актов: ") + q.lastError().text());
  q.addBindValue(drep.isNull() ? QVariant(QMetaType(QMetaType::QDateTime)) : drep);
  for (const int repn : reports) q.addBindValue(repn);
  if (!q.exec()) throw DatabaseError(QStringLiteral("База актов: ") + q.lastError().text());
  while (q.next()) {
    if (q.value(0).toInt() != 1)
      return {SanctionMismatchLine(q.value(1).toString(), q.value(2).toString())};
  }
  return {};
}

QString Fixed(double value) {
  return QString::number(value, 'f', 2);
}

QString Fixed(Money value) {
  return MoneyStr(value);
}

QString InsurerRow(const QString& name, const InsurerSums& s) {
  return QStringLiteral("|     ") + name.leftJustified(19) + QLatin1Char('|') +
         RightAligned(Fixed(s.OcnCost), 15) + QLatin1Char('|') +
         RightAligned(Fixed(s.BaseTrp), 19) + QLatin1Char('|') + RightAligned(Fixed(s.OkFin), 16) +
         QLatin1Char('|');
}

QString PlanRow(const QString& label, const QStringList& texts) {
  static const int kWidths[] = {11, 13, 15, 15, 11};
  QString line = label;
  for (int i = 0; i < texts.size() && i < 5; ++i)
    line += RightAligned(texts[i], kWidths[i]) + QLatin1Char('|');
  return line;
}

// The presented cost of a population: the calculated base-tariff sum when
// the procedure's figure, rounded to kopecks, lies within 0.02 of it.
double PresentedCost(double procedure, Money baseCalcSum) {
  const Money rounded = Money::FromDouble(procedure).RoundToKopecks();
  const Money gap = rounded - baseCalcSum;
  return gap < Money::FromUnits(200) && gap > Money::FromUnits(-200) ? baseCalcSum.ToDouble()
                                                                     : procedure;
}

Money Absolute(Money value) {
  return value < Money() ? -value : value;
}

}  // namespace

QString SummaryMoneyText(Money value) {
  return MoneyStr(value) + QStringLiteral(" р.");
}

QStringList SumLines(const PerPopulation<PassTotals>& pass,
                     const PerPopulation<SummaryTotals>& totals, bool receiving, WhoDetail who) {
  const auto M = SummaryMoneyText;
  const PassTotals& lp = pass[Population::Local];
  const PassTotals& op = pass[Population::OutOfRegion];
  const SummaryTotals& lt = totals[Population::Local];
  const SummaryTotals& ot = totals[Population::OutOfRegion];
  const auto ncz = [](const SummaryTotals& t) {
    return t.SumNczSf > Money() || t.SumNcz > Money();
  };
  QStringList lines;
  const auto add = [&lines](bool condition, const QString& line) {
    if (condition) lines << line;
  };
  const QString invoice = QStringLiteral("         Сумма по счету: ");
  const QString nczShare = QStringLiteral("          В т.ч. за счёт НСЗ: ");
  const QString withMek = QStringLiteral("         Сумма с учётом МЭК: ");
  const QString calculated = QStringLiteral("      Сумма по расчетам: ");
  const QString intensive = QStringLiteral("  В т.ч. по инт.терапии: ");
  const QString difference = QStringLiteral("       Разница в суммах: ");
  const QString invoiceDays = QStringLiteral("    Койко-дней по счету: не определено");
  const QString calcDays = QStringLiteral(" Койко-дней по расчетам: ");
  const QString extraInvoice = QStringLiteral("        -    сумма по счету: ");
  const QString extraCalc = QStringLiteral("        -    сумма по расчетам: ");
  const QString extraDifference = QStringLiteral("        -    разница в суммах: ");
  const bool mek = receiving || !who.IsInstitution();

  // The whole report.
  lines << QString() << QStringLiteral("Общая сумма по отчету: ");
  for (const Population p : kPopulations) {
    const PassTotals& pt = pass[p];
    const SummaryTotals& t = totals[p];
    if (p == Population::OutOfRegion) lines << QString();
    lines << (p == Population::Local ? QStringLiteral("По местным: ")
                                     : QStringLiteral("По иногородним: "));
    add(receiving, invoice + M(pt.InvoiceBaseSum + pt.InvoiceExtraSum));
    add(receiving && ncz(t), nczShare + M(t.SumNczSf));
    add(mek, withMek + M(pt.InvoiceBaseSum + pt.InvoiceExtraSum - t.SumMek));
    lines << calculated + M(t.OcnCost);
    add(ncz(t), nczShare + M(t.SumNcz));
  }

  // The base tariff. The invoiced NCZ share of the out-of-region patients is
  // written in either mode.
  lines << QString() << QStringLiteral("В том чисте по базовому тарифу: ");
  for (const Population p : kPopulations) {
    const PassTotals& pt = pass[p];
    const SummaryTotals& t = totals[p];
    const bool local = p == Population::Local;
    if (!local) lines << QString();
    lines << (local ? QStringLiteral("По местным: ") : QStringLiteral("По иногородним: "));
    add(receiving, invoice + M(pt.InvoiceBaseSum));
    add((receiving || !local) && ncz(t), nczShare + M(t.SumNczSf));
    lines << calculated + M(t.BaseCalcSum());
    add(ncz(t), nczShare + M(t.SumNcz));
    lines << intensive + M(Money::FromDouble(pt.IntensiveSum).RoundToKopecks());
    add(receiving, difference + M(Absolute(t.BaseCalcSum() - pt.InvoiceBaseSum)));
    add(receiving, invoiceDays);
    lines << calcDays + QString::number(pt.CalcBedDays);
    lines << intensive + QString::number(pt.IntensiveBedDays);
  }

  // The additional tariff.
  lines << QString() << QStringLiteral("В том числе по дополнительному тарифу: ")
        << QStringLiteral("Всего: ");
  add(receiving, extraInvoice + M(lp.InvoiceExtraSum + op.InvoiceExtraSum));
  lines << extraCalc + M(lt.OnechCost + ot.OnechCost) << QString();
  for (const Population p : kPopulations) {
    const PassTotals& pt = pass[p];
    const SummaryTotals& t = totals[p];
    lines << (p == Population::Local ? QStringLiteral("В том числе по местным: ")
                                     : QStringLiteral("В том числе по иногородним: "));
    add(receiving, extraInvoice + M(pt.InvoiceExtraSum));
    lines << extraCalc + M(t.OnechCost);
    add(receiving, extraDifference + M(pt.InvoiceExtraSum - t.OnechCost));
  }
  lines << QString();
  return lines;
}

bool SumsAgree(const PerPopulation<PassTotals>& pass) {
  // Cut towards zero to whole kopecks.
  const auto kopecks = [](Money m) { return m.units() / 100; };
  for (const Population p : kPopulations)
    if (kopecks(pass[p].InvoiceTotal) != kopecks(pass[p].CalcTotal)) return false;
  return true;
}

QStringList InsurerTable(const QList<InsurerSums>& rows) {
  const QString rule = RuleLine(QLatin1Char('-'), 79);
  QStringList lines{
      rule,
      QStringLiteral(
          "|    Наименование СМО    | За счет терр. |               В том числе          |"),
      QStringLiteral(
          "|                        |  программы    |   Базовый тариф   |   Доп. тариф   |"),
      rule};
  // The regional insurers in their order, each once whatever the spelling
  // of its code; every other code adds up under "Иногородние".
  QList<InsurerSums> own(static_cast<qsizetype>(Insurers().size()));
  QList<bool> present(own.size(), false);
  InsurerSums others;
  for (const InsurerSums& row : rows) {
    InsurerSums* target = &others;
    if (const Insurer* insurer = InsurerOfPolicyCode(row.Polis)) {
      const qsizetype at = insurer - Insurers().data();
      target = &own[at];
      present[at] = true;
    }
    target->OcnCost += row.OcnCost;
    target->BaseTrp += row.BaseTrp;
    target->OkFin += row.OkFin;
  }
  for (qsizetype i = 0; i < own.size(); ++i)
    if (present[i]) lines << InsurerRow(QString::fromUtf8(Insurers()[i].SummaryName), own[i]);
  if (others.OcnCost > Money()) lines << InsurerRow(QStringLiteral("Иногородние"), others);
  lines << rule;
  return lines;
}

QStringList PlanTable(const PlanExecution& plan, const QDate& periodStart, const QDate& periodEnd,
                      Money localBaseCalcSum, Money outOfRegionBaseCalcSum) {
  const QString rule = QStringLiteral(
      "|------------------|-----------|-------------|---------------|---------------|-----------|");
  const double local = PresentedCost(plan.CostPrM, localBaseCalcSum);
  const double outOfRegion = PresentedCost(plan.CostPrI, outOfRegionBaseCalcSum);
  const auto percent = [](double v) { return Fixed(v) + QLatin1Char('%'); };
  return {QStringLiteral("Исполнение МЗ и сметы за ") + MonthName(periodEnd.month()) +
              QLatin1Char(' ') + QString::number(periodStart.year()) +
              QStringLiteral(" (местное и иногороднее население)."),
          rule,
          QStringLiteral(
              "|    Показатели    |     МЗ    | Предъявлено |в т.ч. местные |в т.ч. иногорд.|  "
              "%исп.МЗ  |"),
          QStringLiteral(
              "|                  |           | (баз. тариф)|  (баз. тариф) |  (баз. тариф) |      "
              "     |"),
          rule,
          PlanRow(QStringLiteral("| Количество к/д   |"),
                  {QString::number(plan.KdMz), QString::number(plan.KdPr),
                   QString::number(plan.KdPrM), QString::number(plan.KdPrI), percent(plan.KdPrc)}),
          PlanRow(QStringLiteral("| Затраты (руб.)   |"),
                  {Fixed(plan.CostMz), Fixed(local + outOfRegion), Fixed(local), Fixed(outOfRegion),
                   percent(plan.CostPrPrc)}),
          PlanRow(QStringLiteral("| Стоимость 1 к/д  |"),
                  {Fixed(plan.CostKdMz), Fixed(plan.CostKdPr), Fixed(plan.CostKdPrM),
                   Fixed(plan.CostKdPrI), percent(plan.CostKdPrc)}),
          rule};
}

QString SanctionMismatchLine(const QString& idCase, const QString& idReport) {
  return QStringLiteral(
             "Несовпадение санкций МЭК в СМО и в ТФОМС. Запись в базе актов: IDCASE = ") +
         idCase + QStringLiteral(", ID_REPORT = ") + idReport +
         QStringLiteral(". ПРИЁМ ОТЧЁТА НЕВОЗМОЖЕН.");
}

void WriteActSummary(const ReceptionContext& ctx) {
  ReceptionState& state = ctx.State;
  const QList<int> local = PassReports(ThePackageLists(), Population::Local);
  const bool outOfRegionDue = state.ReportNumber[Population::OutOfRegion] > 0;
  const QList<int> outOfRegion =
      outOfRegionDue ? PassReports(ThePackageLists(), Population::OutOfRegion) : QList<int>();

  // The totals of each population.
  PerPopulation<SummaryTotals> totals;
  totals[Population::Local] = ReadTotals(ctx, local);
  if (outOfRegionDue) totals[Population::OutOfRegion] = ReadTotals(ctx, outOfRegion);
  PassTotals& localPass = state.Pass[Population::Local];
  localPass.MekSum = totals[Population::Local].SumMek;
  localPass.NczSum = totals[Population::Local].SumNcz;
  localPass.NczSfSum = totals[Population::Local].SumNczSf;
  PassTotals& outPass = state.Pass[Population::OutOfRegion];
  outPass.MekSum = totals[Population::OutOfRegion].SumMek;
  outPass.NczSum = totals[Population::OutOfRegion].SumNcz;
  outPass.NczSfSum = totals[Population::OutOfRegion].SumNczSf;
  outPass.CalcTotal = totals[Population::OutOfRegion].OcnCost;

  ctx.User().EndProgress();
  ctx.User().RestoreWindow();

  ActFile& act = ctx.Act();
  act.WriteLines(SumLines(state.Pass, totals, ctx.Receiving, ctx.WhoDetail));
  if (ctx.Receiving) {
    act.WriteLine(
        SumsAgree(state.Pass)
            ? QStringLiteral("Суммы предоставленные ЛПУ и посчитанные ТФ ОМС сошлись.")
            : QStringLiteral("Суммы предоставленные ЛПУ и посчитанные ТФ ОМС не сошлись."));
    if (ctx.Acts && ctx.WhoDetail.IsFund() && !local.isEmpty() &&
        !ThePackageLists().ReportLists[Population::Local].isEmpty())
      act.WriteLines(SanctionCrossCheck(ctx, local));
    const QList<int> all = local + outOfRegion;
    act.WriteLine();
    act.WriteLines(InsurerTable(ReadInsurerSums(ctx, all)));
    act.WriteLine();
    act.WriteLines(PlanTable(ReadPlan(ctx, local, outOfRegion), ctx.PeriodStart, ctx.PeriodEnd,
                             totals[Population::Local].BaseCalcSum(),
                             totals[Population::OutOfRegion].BaseCalcSum()));
    act.WriteLine(QStringLiteral("Подпись экономиста:"));
  }
  act.Close();
}

}  // namespace kelmo
