// The costs and totals of a pass on a registry database of its own: the
// pass's sums with and without its report row, the 0.02 rule, a pass of
// five reports, the report's stored sums and versions, the bed days, the
// sum search's table and the zero-cost list, and an error of the walk in
// either pass.
#include <gtest/gtest.h>

#include <QFile>

#include "domain/application_state.h"
#include "domain/package_lists.h"
#include "domain/run_state.h"
#include "domain/run_user.h"
#include "firebird/fb_query.h"
#include "reception/pass_costs.h"
#include "reception/sum_differences.h"
#include "reception_fixture.h"
#include "recording_run_user.h"
#include "registry_fixture.h"

using namespace kelmo;
using test::Day;

namespace {

// Sheets with a standard not in force are not handed to the calculation,
// so the costs each test sets stay as they are.
struct CostsRun {
  test::RegistryFixture f;
  FbTransaction tr{f.Db()};
  QTemporaryDir dir;
  ReceptionState& state = TheReceptionState();
  test::RecordingRunUser user;

  CostsRun() {
    state.ZeroRunTotals();
    state.ZeroCostCases.clear();
    state.XmlPackageMode = false;
    state.PassHasData = true;
    state.CurrentReportNumber = 0;
    state.UpMtlStatement = CostUpdateStatement(QStringLiteral("2026"));
    ThePackageLists().ReportLists = {};
    ThePackageLists().XmlPatients.clear();
    state.Act.Create(dir.filePath(QStringLiteral("act.txt")));
  }

  // A report of one case per sheet cost given.
  void Report(int repn, const QList<double>& costs, const QString& inogor = QStringLiteral("0")) {
    f.Report(repn, 1, 1, 1, Day(2026, 3, 1));
    f.Exec(QStringLiteral("update reports set inogor = :i where repn = :r"),
           {{QStringLiteral("i"), inogor}, {QStringLiteral("r"), repn}});
    for (double cost : costs) {
      test::RegistryFixture::Stay s;
      s.idIll = ++lastCase_;
      s.repn = repn;
      s.nomib = QString::number(100 + s.idIll);
      s.kodMes = QStringLiteral("9999999");
      f.Case(s);
      f.Exec(QStringLiteral("update mtl set ocncost = :c, kdoms = 9, cost_sf = :sf, onech_cost = 0 "
                            "where id_ill = :i"),
             {{QStringLiteral("c"), cost},
              {QStringLiteral("sf"), cost},
              {QStringLiteral("i"), s.idIll}});
    }
  }

  ReceptionInputs Inputs(bool receiving) const {
    ReceptionInputs in;
    in.RegistryFolder = dir.path();
    in.Receiving = receiving;
    in.YearText = QStringLiteral("2026");
    in.MonthIndex = 2;
    in.PeriodStart = QDate(2026, 3, 1);
    in.PeriodEnd = QDate(2026, 3, 31);
    in.LpuId = 1;
    in.WhoDetail = WhoDetail(1);
    return in;
  }

  // The act's lines without the empty ones.
  QStringList Act() {
    state.Act.Close();
    QStringList lines = test::ReadActLines(dir.filePath(QStringLiteral("act.txt")));
    lines.removeAll(QString());
    return lines;
  }

  QVariant One(const QString& sql) {
    FbQuery q(f.Db(), &tr);
    q.setSql(sql);
    q.Open();
    return q.Value(0, 0);
  }

 private:
  int lastCase_ = 0;
};

}  // namespace

TEST(PassCosts, ReportRowFoundGivesKopecksAndStoresHalfUp) {
  CostsRun run;
  run.Report(3, {600.0025, 400.0025});
  ThePackageLists().ReportLists[Population::Local] = {rRepn{3, 1, {}, {}, {}}};
  run.state.CurrentReportNumber = 3;
  run.state.LpuInvoiceBedDays = 17;
  // The sheets' own sums are the invoice: no difference table.
  ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(true), &run.user);
  CalculatePassCosts(ctx, Population::Local);
  const PassTotals& t = run.state.Pass[Population::Local];
  EXPECT_EQ(run.state.CalcSum, Money::FromUnits(10000050));
  EXPECT_EQ(t.CalcTotal, Money::FromUnits(10000000));  // halves to even
  EXPECT_EQ(t.InvoiceTotal, Money::FromUnits(10000000));
  EXPECT_EQ(t.CalcBedDays, 18);
  EXPECT_EQ(t.InvoiceBedDays, 17);
  EXPECT_EQ(run.state.ReportNumberCopy[Population::Local], 3);
  EXPECT_DOUBLE_EQ(run.One("select sum_dbf from reports where repn = 3").toDouble(), 1000.01);
  EXPECT_EQ(run.user.phases, QStringList{"Расчет стоимости лечения (мест.)..."});
  EXPECT_TRUE(run.user.messages.isEmpty());
  EXPECT_TRUE(run.Act().isEmpty());
}

TEST(PassCosts, WithoutItsReportRowTheInvoiceIsThePackagesAndTheKopeckRuleApplies) {
  // Five reports: every one is costed and summed.
  const std::vector<std::pair<double, qint64>> cases = {
      {200.0024, 10000000},  // 1000.012 → 1000.01, 0.01 from the invoice: the invoice's
      {200.003, 10000200},   // 1000.015 → 1000.02, exactly 0.02 away: kept
  };
  for (const auto& [cost, expected] : cases) {
    SCOPED_TRACE(cost);
    CostsRun run;
    QList<rRepn> list;
    for (int repn = 11; repn <= 15; ++repn) {
      run.Report(repn, {cost});
      list.append(rRepn{repn, 1, {}, Money::FromRoubles(200), Money::FromRoubles(10)});
    }
    ThePackageLists().ReportLists[Population::Local] = list;
    run.state.XmlPackageMode = true;
    ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(true), &run.user);
    CalculatePassCosts(ctx, Population::Local);
    const PassTotals& t = run.state.Pass[Population::Local];
    EXPECT_EQ(t.InvoiceTotal, Money::FromRoubles(1000));
    EXPECT_EQ(t.CalcTotal, Money::FromUnits(expected));
    EXPECT_EQ(t.InvoiceExtraSum, Money::FromRoubles(50));
    EXPECT_EQ(t.InvoiceBaseSum, Money::FromRoubles(950));
    EXPECT_EQ(t.CalcBedDays, 45);
  }
}

TEST(PassCosts, PackageReportStoresItsSumAndVersionsAsValues) {
  CostsRun run;
  run.Report(4, {123.45}, QStringLiteral("1"));
  ThePackageLists().ReportLists[Population::OutOfRegion] = {
      rRepn{4, 1, {}, Money::FromRoubles(100), {}}};
  run.state.CurrentReportNumber = 4;
  run.state.XmlPackageMode = true;
  TheRunState().PackageExprVer = QStringLiteral("2.1'\"; drop table reports");
  TheRunState().CurrentExprVer = QStringLiteral("3.0/2026.12");
  ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(true), &run.user);
  CalculatePassCosts(ctx, Population::OutOfRegion);
  EXPECT_EQ(run.One("select version_in from reports where repn = 4").toString(),
            "2.1'\"; drop table reports");
  EXPECT_EQ(run.One("select version_out from reports where repn = 4").toString(), "3.0/2026.12");
  EXPECT_DOUBLE_EQ(run.One("select sum_dbf from reports where repn = 4").toDouble(), 123.45);
  EXPECT_DOUBLE_EQ(run.One("select summ from reports where repn = 4").toDouble(), 123.45);
  const PassTotals& t = run.state.Pass[Population::OutOfRegion];
  EXPECT_EQ(t.InvoiceTotal, Money::FromUnits(1234500));  // the sheets' own sums, unrounded
  EXPECT_EQ(t.CalcTotal, Money::FromUnits(1234500));
}

TEST(PassCosts, AnErrorOfTheWalkIsShownInEitherPassAndTheTotalsGoOn) {
  for (const Population pass : kPopulations) {
    CostsRun run;
    run.Report(5, {300}, pass == Population::Local ? QStringLiteral("0") : QStringLiteral("1"));
    run.f.Exec(QStringLiteral("update mtl set kod_mes = ''"));
    ThePackageLists().ReportLists[pass] = {rRepn{5, 1, {}, {}, {}}};
    run.state.CurrentReportNumber = 5;
    run.state.XmlPackageMode = pass == Population::OutOfRegion;
    // The calculation cannot read its tariffs.
    run.f.Exec(QStringLiteral("drop table spr_ksg_cost"));
    ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(true), &run.user);
    CalculatePassCosts(ctx, pass);
    ASSERT_EQ(run.user.messages.size(), 1);
    EXPECT_TRUE(run.user.messages[0].startsWith("Ошибка при расчёте - "));
    EXPECT_TRUE(run.user.messages[0].contains("order by s.out_stac, s.id_ill,m.nom_mtl"));
    EXPECT_EQ(run.state.CalcSum, Money::FromRoubles(300));
    EXPECT_EQ(run.state.Pass[pass].CalcBedDays, 9);
  }
}

TEST(PassCosts, ZeroCostSheetsAreListedWithTheirReason) {
  CostsRun run;
  run.Report(6, {0, 150, 0});
  run.f.Exec(QStringLiteral("update mtl set ksg_id = 'st27.006' where id_ill = 3"));
  ThePackageLists().ReportLists[Population::Local] = {rRepn{6, 1, {}, {}, {}}};
  run.state.CurrentReportNumber = 6;
  const int first = run.One("select id from mtl where id_ill = 1").toInt();
  run.state.ZeroCostCases = {{first, QStringLiteral("Не найдена лицензия")}};
  ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(false), &run.user);
  CalculatePassCosts(ctx, Population::Local);
  const QString rule = QString(86, QLatin1Char('-'));
  EXPECT_EQ(run.Act(), (QStringList{"Внимание: некоторые записи по местному населению",
                                    "          были рассчитаны с нулевой стоимостью", rule,
                                    "|  Ист.бол.|          Фамилия И.О.|" +
                                        QString("Возможная ошибка").rightJustified(50) + "|",
                                    rule,
                                    "|      101 |           ИВАНОВ И.И |" +
                                        QString("Не найдена лицензия").rightJustified(50) + "|",
                                    rule}));
}

TEST(SumDifferences, TableOfThePackagesCases) {
  const QList<ComparedCase> cases = {
      {1, "11", "ИВАНОВ", "ИВАН", "ИВАНОВИЧ", 1250},
      {2, "12", "ПЕТРОВ", "", "ПЕТРОВИЧ", 1500.50},
      {3, "13", "СИДОРОВ", "С", "С", 10},
  };
  const QList<oPacient> package = {{1, {}, "11", {oStage{1, 1000, 0}, oStage{2, 200, 0}}},
                                   {2, {}, "12", {oStage{1, 1500, 0}, oStage{2, 0.505, 0}}}};
  const QString rule = QString(92, QLatin1Char('-'));
  const QStringList lines = DifferenceTable(Population::Local, 100, cases, package);
  EXPECT_EQ(
      lines,
      (QStringList{
          "Обнаружена разница в сумме по ошибкам и в расчитанной сумме по местному "
          "населению: 100",
          "В связи с этим проведено сравнение реестров пролеченных больных по местному "
          "населению, предоставленного ЛПУ и",
          "сформированного в ТФ ОМС.", "Получены следующие результаты:", rule,
          "|  Ист.бол.|                  Фамилия И.О.|    Сумма в ЛПУ|    Сумма в ОМС|"
          "Разница в суммах|",
          rule,
          "|        11|" + QString("ИВАНОВ И.И.").rightJustified(30) +
              "|           1200|           1250|             -50|",
          rule,
          "|" + QString("ИТОГО").rightJustified(73) + "|" + QString("-50").rightJustified(16) + "|",
          rule}));
  // Without package cases (a DBF registry) the table has no case lines.
  const QStringList dbf = DifferenceTable(Population::OutOfRegion, -3.5, cases, {});
  EXPECT_EQ(dbf.size(), 10);
  EXPECT_EQ(dbf[0],
            "Обнаружена разница в сумме по ошибкам и в расчитанной сумме по иногороднему "
            "населению: -3.5");
  EXPECT_EQ(dbf[8], "|" + QString("ИТОГО").rightJustified(73) + "|" +
                        QString("0").rightJustified(16) + "|");
  EXPECT_EQ(RoundedHalfUp(-50.0), -50);
  EXPECT_EQ(RoundedHalfUp(2.675), 2.68);
  EXPECT_EQ(RoundedHalfUp(Money::FromUnits(10000150)), Money::FromUnits(10000200));
}

TEST(PassCosts, TheCutSumKeepsTheInvoiceColumn) {
  ReceptionInputs in;
  in.InOmsDomain = true;
  in.LpuId = 18;
  in.PeriodEnd = QDate(2012, 3, 31);
  EXPECT_TRUE(TruncatesPassSum(in));
  in.StacType = StacType::DayAtPolyclinic;
  EXPECT_FALSE(TruncatesPassSum(in));

  CostsRun run;
  run.Report(7, {100.129, 50.004});
  FbQuery q(run.f.Db(), &run.tr);
  q.setSql(PassSumStatement({7}, true));
  q.setParam("repn1", 7);
  q.Open();
  EXPECT_DOUBLE_EQ(q.FieldByName("SUMMA").toDouble(), 150.13);
  EXPECT_DOUBLE_EQ(q.FieldByName("COST_SF").toDouble(), 150.133);
}
