// The cost walk and the totals of a pass.
#include "pass_costs.h"

#include <memory>

#include "domain/common.h"
#include "domain/holiday_calendar.h"
#include "domain/report_parameters.h"
#include "domain/report_period.h"
#include "domain/run_state.h"
#include "doubles_overlaps.h"
#include "firebird/fb_query.h"
#include "shell/error_box.h"
#include "sum_differences.h"
#include "tariff/case_cost.h"
#include "tariff/case_walk.h"

namespace kelmo {
namespace {

// The stored sums of a report: its calculated sum and the sum without the
// one-channel part.
const QStringList kUpdateReport{
    QStringLiteral("update reports r"),
    QStringLiteral("set r.sum_dbf=(select sum(m.ocncost) from mtl m where m.repn=:repn),"),
    QStringLiteral("r.summ=(select sum(m.ocncost-m.onech_cost) from mtl m where m.repn=:repn)"),
    QStringLiteral("where r.repn=:repn")};

// The report's calculated sum and the package's and the program's versions.
const QStringList kVersionStatement{QStringLiteral("update reports r1 set r1.sum_dbf=("),
                                    QStringLiteral("select sum(m.ocncost) cost from stacion s"),
                                    QStringLiteral("join mtl m on m.id_ill=s.id_ill"),
                                    QStringLiteral("join reports r on r.repn=m.repn"),
                                    QStringLiteral("where m.repn=:repn and m.oplat=r.oplat),"),
                                    QStringLiteral("r1.version_in = :version_in,"),
                                    QStringLiteral("r1.version_out = :version_out"),
                                    QStringLiteral("where r1.repn=:repn")};

void UpdateReport(const ReceptionContext& ctx, int repn) {
  FbQuery q(ctx.Db, &ctx.Tr);
  q.setSql(kUpdateReport);
  q.setParam(QStringLiteral("repn"), repn);
  q.ExecSQL();
}

void UpdateReports(const ReceptionContext& ctx, const QList<int>& reports) {
  for (int repn : reports) UpdateReport(ctx, repn);
}

void StoreVersions(const ReceptionContext& ctx, const QList<int>& reports) {
  const RunState& run = TheRunState();
  FbQuery q(ctx.Db, &ctx.Tr);
  q.setSql(kVersionStatement);
  q.setParam(QStringLiteral("version_in"), run.PackageExprVer);
  q.setParam(QStringLiteral("version_out"), run.CurrentExprVer);
  for (int repn : reports) {
    q.setParam(QStringLiteral("repn"), repn);
    q.ExecSQL();
  }
}

Money SumOf(const QList<rRepn>& list, Money rRepn::*field) {
  Money sum;
  for (const rRepn& report : list) sum += report.*field;
  return sum;
}

// The pass's sheets that the walk costs: none when the fund or an insurer
// forms from the reports already costed.
QList<int> WalkedReports(const ReceptionContext& ctx, Population pass) {
  if (ctx.WhoDetail.IsFundOrInsurer() && !ctx.Receiving) return {};
  return PassReports(ThePackageLists(), pass);
}

// The walk over the case statement; an error ends it with a message.
void CostWalk(const ReceptionContext& ctx, Population pass) {
  ReceptionState& state = ctx.State;
  FbQuery cases(ctx.Db, &ctx.Tr);
  const QList<int> reports = WalkedReports(ctx, pass);
  cases.setSql(CaseCostStatement(reports));
  SetReportParameters(cases, reports);
  cases.setParam(QStringLiteral("deps"), PeriodMonthStartOf(ctx.PeriodStart));
  cases.setParam(QStringLiteral("depp"), PeriodMonthEndOf(ctx.PeriodEnd));
  cases.setParam(QStringLiteral("oplat"), Code(ctx.PayKind));
  cases.Open();
  ctx.BeginPhase(
      QStringLiteral("Расчет стоимости лечения ") + PassWord(pass) + QStringLiteral("..."),
      cases.RecordCount());
  state.ReportNumberCopy[pass] = state.CurrentReportNumber;

  tariff::CaseCostSettings settings;
  settings.Pay = ctx.PayKind;
  settings.Source = state.RegistrySource;
  settings.XmlPackageMode = state.XmlPackageMode;
  settings.YearText = ctx.YearText;
  settings.MonthIndex = ctx.MonthIndex;
  settings.StoreStatement = state.UpMtlStatement;
  settings.User = &ctx.User();
  std::unique_ptr<tariff::CaseCostCalculator> calculator;
  try {
    calculator = std::make_unique<tariff::CaseCostCalculator>(ctx.Db, ctx.Tr, settings);
    RegistryHolidayCalendar holidays(ctx.Db, &ctx.Tr);
    tariff::CaseWalkHooks hooks;
    hooks.BeforeRow = [&](const tariff::CaseCostRow& row, int) {
      state.CurrentPatientName = TrimText(row.Family).toUpper();
    };
    hooks.AfterRow = [&] { ctx.StepRecord(); };
    tariff::WalkCaseRows(cases, *calculator, holidays, hooks);
  } catch (const std::exception& error) {
    ctx.User().Message(QString(),
                       QStringLiteral("Ошибка при расчёте - ") + state.CurrentPatientName +
                           QLatin1Char('\r') + ErrorMessage(error) + QLatin1Char('\r') +
                           cases.sql(),
                       RunMessageIcon::None);
  }
  if (calculator)
    for (const tariff::ZeroCostCase& zero : calculator->ZeroCostCases())
      state.ZeroCostCases.append({zero.MtlId, zero.Reason});
  // What the walk stored is kept whatever comes later in the run.
  ctx.Tr.Commit();
}

// The totals of the pass, the sum search and the zero-cost list; `walked`:
// the pass's sheets were costed just now.
void PassTotalsAndSearch(const ReceptionContext& ctx, Population pass, bool walked) {
  ReceptionState& state = ctx.State;
  PassTotals& totals = state.Pass[pass];
  const bool local = pass == Population::Local;
  const QList<rRepn>& list = ThePackageLists().ReportLists[pass];
  const QList<int> reports = PassReports(ThePackageLists(), pass);
  if (local && state.ReportNumberCopy[pass] != 0 && !ctx.Receiving)
    UpdateReport(ctx, state.ReportNumberCopy[pass]);
  if (!local && walked) {
    UpdateReport(ctx, state.ReportNumberCopy[Population::Local]);
    UpdateReport(ctx, state.ReportNumberCopy[Population::OutOfRegion]);
  }

  // The pass's calculated and invoice sums.
  FbQuery sums(ctx.Db, &ctx.Tr);
  sums.setSql(PassSumStatement(reports, TruncatesPassSum(ctx)));
  SetReportParameters(sums, reports);
  sums.Open();
  state.CalcSum = Money::FromDouble(sums.FieldByName(QStringLiteral("SUMMA")).toDouble());
  const Money invoice = Money::FromDouble(sums.FieldByName(QStringLiteral("COST_SF")).toDouble());
  totals.InvoiceTotal = local ? invoice.RoundToKopecks() : invoice;
  sums.Close();

  // The report row of the pass.
  FbQuery row(ctx.Db, &ctx.Tr);
  row.setSql(QStringLiteral("select repn from reports where repn=:repn"));
  row.setParam(QStringLiteral("repn"), state.CurrentReportNumber);
  row.Open();
  const bool found = !row.Eof() && (local || state.PassHasData);
  row.Close();
  const auto packageSums = [&] {
    totals.InvoiceExtraSum = SumOf(list, &rRepn::SumCalc);
    totals.InvoiceBaseSum = totals.InvoiceTotal - totals.InvoiceExtraSum;
  };
  if (found) {
    if (ctx.Receiving && state.XmlPackageMode) packageSums();
    if (local && !ctx.Receiving) totals.InvoiceTotal = Money();
    if (local || ctx.Receiving) totals.CalcTotal = state.CalcSum.RoundToKopecks();
    if (!state.XmlPackageMode) {
      FbQuery up(ctx.Db, &ctx.Tr);
      up.setSql(QStringLiteral("update reports set sum_dbf=:sum_dbf where repn=:repn"));
      up.setParam(QStringLiteral("sum_dbf"), RoundedHalfUp(state.CalcSum).ToDouble());
      up.setParam(QStringLiteral("repn"), state.CurrentReportNumber);
      up.ExecSQL();
    } else if (!list.isEmpty()) {
      StoreVersions(ctx, reports);
    }
  } else {
    // No report row of the pass: the invoice is the packages' own sum.
    totals.InvoiceTotal = Money();
    if (ctx.Receiving || !local) {
      if (state.XmlPackageMode) {
        totals.InvoiceTotal = SumOf(list, &rRepn::SumInvoice);
        packageSums();
      }
    }
    if (local || ctx.Receiving) totals.CalcTotal = RoundedHalfUp(state.CalcSum);
    const Money gap = totals.CalcTotal - totals.InvoiceTotal;
    if (local && gap < Money::FromUnits(200) && gap > Money::FromUnits(-200)) {
      totals.CalcTotal = totals.InvoiceTotal;
      state.CalcSum = totals.InvoiceTotal;
    }
  }
  if (!local) {
    UpdateReports(ctx, PassReports(ThePackageLists(), Population::Local));
    UpdateReports(ctx, reports);
  }

  SearchSumDifferences(ctx, pass);

  // The pass's bed days by calculation and by the institution's invoice.
  FbQuery days(ctx.Db, &ctx.Tr);
  days.setSql(QStringLiteral("select sum(kdoms) from mtl where repn in ") +
              ReportParameterList(reports, QStringLiteral("p_repn")));
  SetReportParameters(days, reports, QStringLiteral("p_repn"));
  days.Open();
  totals.CalcBedDays = days.Eof() ? 0 : days.Value(0, 0).toInt();
  days.Close();
  totals.InvoiceBedDays = state.LpuInvoiceBedDays;

  ListZeroCostSheets(ctx, pass);
}

}  // namespace

QStringList CaseCostStatement(const QList<int>& reports) {
  QStringList lines = tariff::CaseQueryHead();
  lines += QStringList{
      QStringLiteral("where s.repn in ") + ReportParameterList(reports) +
          QStringLiteral(" and (m.oplat=:oplat) and (m.vidmtl=0) and"),
      QStringLiteral("("),
      QStringLiteral("( ((1=:oplat) or (7=:oplat)) and"),
      QStringLiteral("(((trim(m.kod_mes)<>'') and ( ((mes.datefrom<=:deps) and "
                     "((mes.dateto>=:depp) or (mes.dateto is null)) and "
                     "(char_length(trim(m.kod_mes))>=7)) or"),
      QStringLiteral("((mi.datefrom<=:deps) and ((mi.dateto>=:depp) or (mi.dateto is null)) and "
                     "(char_length(trim(m.kod_mes))<7)) ) ) or"),
      QStringLiteral("(trim(m.kod_mes)='')) ) or"),
      QStringLiteral("( (6=:oplat) and (trim(m.kod_mes)<>'') )"),
      QStringLiteral(")"),
      tariff::CaseWalkOrder()};
  return lines;
}

QString PassSumStatement(const QList<int>& reports, bool truncated) {
  return (truncated ? QStringLiteral("select trunc(sum(m.ocncost),2) as summa, "
                                     "sum(coalesce(m.cost_sf,0)) cost_sf from mtl m")
                    : QStringLiteral("select sum(m.ocncost) as summa, sum(coalesce(m.cost_sf,0)) "
                                     "cost_sf from mtl m")) +
         QStringLiteral(
             "\njoin stacion s on s.id_ill=m.id_ill\njoin reports r on r.repn=m.repn\n"
             " where r.repn in ") +
         ReportParameterList(reports) + QStringLiteral(" and r.oplat=m.oplat");
}

bool TruncatesPassSum(const ReceptionInputs& inputs) {
  return inputs.InOmsDomain && inputs.LpuId == 18 && inputs.StacType == StacType::RoundTheClock &&
         inputs.PeriodEnd == QDate(2012, 3, 31);
}

void CalculatePassCosts(const ReceptionContext& ctx, Population pass) {
  ctx.State.Pass[pass].IntensiveSum = 0;
  ctx.State.Pass[pass].IntensiveBedDays = 0;
  CostWalk(ctx, pass);
  PassTotalsAndSearch(ctx, pass, true);
}

void CompareOutOfRegionSums(const ReceptionContext& ctx) {
  ctx.State.Pass[Population::OutOfRegion].IntensiveSum = 0;
  PassTotalsAndSearch(ctx, Population::OutOfRegion, false);
}

}  // namespace kelmo
