// The cost walk and the totals of a pass.
#include "pass_costs.h"

#include <memory>

#include "domain/case_data.h"
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
    for (cases.First(); !cases.Eof(); cases.Next(), ctx.StepRecord()) {
      tariff::CaseCostRow row = tariff::ReadCaseCostRow(cases);
      state.CurrentPatientName = TrimText(row.Family).toUpper();
      row.BedDays =
          CountBedDays(row.TipStac, cases.FieldByName(QStringLiteral("STARTD")).toDateTime(),
                       cases.FieldByName(QStringLiteral("FINISH")).toDateTime(), row.Lpu, holidays);
      calculator->CalculateCaseCost(row);
    }
    calculator->FinishCases();
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
  return {
      QStringLiteral("select r.tip_stac, iif((coalesce(s.sum_mek, 0)=0) and s.sum_mek is not null "
                     ",1,0) is_mek, r.lpu, s.*, m.*, mi.*, lk.oms, mes.*, "
                     "coalesce(pr.family,'') pr_fam, "),
      QStringLiteral("coalesce(pr.name,'') pr_name, coalesce(pr.polis,'') pr_polis, lm.mcod "
                     "lpu_mcod, l.UR_KSG , r.date_end, s.rankin, m.CRITERIES, m.rslt rslt_mtl, "
                     "m.oplat MTL_OPLAT, p.bed_name, sp.specname, r.xmlrep, "),
      QStringLiteral("m.mtl_onco_status, coalesce(t.scheme_cnt_case, 0) scheme_cnt_case, "
                     "coalesce(t.scheme_cnt_mtl, 0) scheme_cnt_mtl, "),
      QStringLiteral("coalesce(t.MT_CNT_CASE, 0) MT_CNT_CASE, coalesce(t.MT_CNT_MTL, 0) "
                     "MT_CNT_MTL, coalesce(onc.fractions, 0) fractions, "),
      QStringLiteral("(iif(exists(select d.id from diags d where d.mtl_id=m.id and "
                     "left(d.diag, 3) = 'R54' and d.status=23) and (left(m.stac_diag, 3) <> "
                     "'R54'), 1, 0)) is_kslp_ast"),
      QStringLiteral("from STACION s"),
      QStringLiteral("left join parents pr on pr.id_ill=s.id_ill"),
      QStringLiteral("join reports r on r.repn=s.repn"),
      QStringLiteral("join lpu l on l.id=r.lpu"),
      QStringLiteral("join lpu_mcod lm on lm.lpu_id=r.lpu"),
      QStringLiteral("left JOIN MTL m on s.id_ill=m.id_ill"),
      QStringLiteral("left JOIN PROFIL_BED p on p.bed_id=m.profil_bed and p.id_mp=m.pr_fed and "
                     "p.old_bed=m.profile and (r.date_beg between p.datebeg and "
                     "coalesce(p.dateend, '31.12.9999'))"),
      QStringLiteral("left join spr_speciality sp on sp.code_spec = m.prvs and (r.date_beg "
                     "between sp.datebeg and coalesce(sp.dateend, '31.12.9999'))"),
      QStringLiteral("left JOIN LST_KOIKI lk on lk.tip=m.profile and s.out_stac between "
                     "lk.datebeg and coalesce(lk.dateend,'31.12.9999')"),
      QStringLiteral("left JOIN MES mes on mes.kod=trim(m.kod_mes) and mes.datefrom <= "
                     "s.out_stac and (mes.dateto >= s.out_stac or mes.dateto is null)"),
      QStringLiteral(
          "left join mes_it mi on cast(mi.kod as varchar(5))=coalesce(trim(m.kod_mes),'')"),
      QStringLiteral("left join oncology onc on onc.id_ill=m.id_ill and onc.nom_mtl=m.nom_mtl"),
      QStringLiteral("left join (select ONC.ID_ILL, M1.NOM_MTL, count(distinct "
                     "iif(left(OM.CODE_SCHEM, 2) = 'sh', OM.CODE_SCHEM, null)) SCHEME_CNT_CASE,"),
      QStringLiteral("count(iif((left(OM.CODE_SCHEM, 2) = 'sh') and (ONC.NOM_MTL = M1.NOM_MTL), "
                     "OM.CODE_SCHEM, null)) SCHEME_CNT_MTL,"),
      QStringLiteral("count(distinct iif(left(OM.CODE_SCHEM, 2) = 'mt', OM.CODE_SCHEM, null)) "
                     "MT_CNT_CASE,"),
      QStringLiteral("count(iif((left(OM.CODE_SCHEM, 2) = 'mt') and (ONC.NOM_MTL = M1.NOM_MTL), "
                     "OM.CODE_SCHEM, null)) MT_CNT_MTL"),
      QStringLiteral("from ONCOLOGY ONC"),
      QStringLiteral("join ONCO_USLUG OU on OU.ID_ONCO = ONC.ID_ONCO"),
      QStringLiteral("join ONCO_MEDICALS OM on OM.ID_ONC_USL = OU.ID_ONC_USL"),
      QStringLiteral("join MTL M1 on M1.ID_ILL = ONC.ID_ILL"),
      QStringLiteral("group by ONC.ID_ILL, M1.NOM_MTL) t on t.id_ill = s.id_ill and t.nom_mtl = "
                     "m.nom_mtl"),
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
      QStringLiteral("order by s.out_stac, s.id_ill,m.nom_mtl")};
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
