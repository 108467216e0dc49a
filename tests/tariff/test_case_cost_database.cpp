// The cost calculation on a registry database: the reference tables read
// from it, the case's services, diagnoses, IVF stages and injections read,
// and the stores in MTL, STACION and OPERAT.
#include <gtest/gtest.h>

#include "firebird/fb_database.h"
#include "tariff/case_cost.h"
#include "tariff/case_cost_database.h"
#include "tariff_fixture.h"

namespace kelmo::tariff {
namespace {

using test::Day;
using test::Rub;

class CaseCostDatabase : public test::TariffFixture {
 protected:
  CaseCostRow Row(int idIll) {
    FbQuery q(f.Db());
    q.setSql(QStringLiteral(
        "select r.tip_stac, 0 is_mek, r.lpu, s.family, s.name, s.father, s.dr, s.pol, "
        "s.out_stac, s.sres_lechen, s.sishod_lece, m.*, m.rslt rslt_mtl, 69 vozrast "
        "from stacion s join reports r on r.repn=s.repn join mtl m on m.id_ill=s.id_ill "
        "where s.id_ill=:i"));
    q.setParam(QStringLiteral("i"), idIll);
    q.Open();
    CaseCostRow row = ReadCaseCostRow(q);
    row.BedDays = 3;
    return row;
  }
};

TEST_F(CaseCostDatabase, StoresTheSheetTheCaseAndTheServiceTariff) {
  f.Report(501, 1, 1, 1, Day(2019, 3, 1));
  ShortStay(7001);
  FbTransaction tr(f.Db());
  CaseCostSettings settings;
  settings.YearText = QStringLiteral("2019");
  settings.MonthIndex = 2;
  CaseCostCalculator calc(f.Db(), tr, settings);
  const CaseCostRow row = Row(7001);
  EXPECT_EQ(row.StacDiag, QStringLiteral("Q99.8"));
  EXPECT_EQ(row.OutStac, QDate(2019, 3, 15));
  calc.CalculateCaseCost(row);
  calc.FinishCases();
  FbQuery m(f.Db());
  m.setSql(
      QStringLiteral("select ocncost, calc_comment, calc_kf, ksg_id, ur_cost, "
                     "ksg_base_cost, kd from mtl where id_ill=7001"));
  m.Open();
  ASSERT_FALSE(m.Eof());
  // Half the tariff for a short stay without operation, plus the service.
  EXPECT_EQ(MoneyOf(m.Value(0, 0)), Rub("10250.25"));
  EXPECT_EQ(m.Value(0, 1).toString(),
            QStringLiteral("MKBG_0||20000*0.5 <= (interrupted, KD <= 3, no_operation) "));
  EXPECT_EQ(m.Value(0, 2).toString(), QStringLiteral("t=101,k=0.5;"));
  EXPECT_EQ(m.Value(0, 3).toString(), QStringLiteral("tst01"));
  EXPECT_EQ(m.Value(0, 4).toInt(), 1);
  EXPECT_EQ(MoneyOf(m.Value(0, 5)), Rub("20000"));
  EXPECT_EQ(m.Value(0, 6).toInt(), 3);
  EXPECT_EQ(Field(QStringLiteral("select kdmtl from stacion where id_ill=7001")).toInt(), 3);
  EXPECT_EQ(MoneyOf(Field(QStringLiteral("select ocncostmtl from stacion where id_ill=7001"))),
            Rub("10250.25"));
  EXPECT_EQ(MoneyOf(Field(QStringLiteral("select cost from operat where id_ill=7001"))),
            Rub("250.25"));
  EXPECT_EQ(calc.CalcSum(), Rub("10250.25"));
}

TEST_F(CaseCostDatabase, EcoStagesAndInjectionsOfACase) {
  f.Report(501, 1, 1, 1, Day(2019, 3, 1));
  ShortStay(7002);
  f.Exec(
      QStringLiteral("insert into mtlusl (id_ill, repn, nom_mtl, stage) values (7002, 501, 1, 6)"));
  FbTransaction tr(f.Db());
  DatabaseCaseData data(f.Db(), tr);
  EXPECT_EQ(data.EcoStages(7002), QStringLiteral("6"));
  EXPECT_EQ(data.EcoStages(1), QString());
  ASSERT_EQ(data.Services(7002).size(), 1);
  EXPECT_EQ(data.Services(7002)[0].Uslug, QStringLiteral("A16.12.001"));
  // 300 injections of a scheme: the total is not cut to 8 bits.
  f.Exec(QStringLiteral("insert into oncology (id_onco, id_ill, nom_mtl) values (1, 7002, 1)"));
  f.Exec(QStringLiteral("insert into onco_uslug (id_onc_usl, id_onco) values (1, 1)"));
  f.Exec(QStringLiteral(
      "execute block as declare i integer = 0; begin while (i < 300) do begin "
      "insert into onco_medicals (id, id_onc_usl, code_schem, date_inj) values "
      "(:i + 1, 1, 'sh0001', dateadd(:i minute to timestamp '2019-03-12 00:00')); i = i + 1; "
      "end end"));
  const auto plan = data.Injections(7002, QStringLiteral("sh0001"));
  ASSERT_TRUE(plan.has_value());
  EXPECT_EQ(plan->CaseCntInj, 300);
  EXPECT_EQ(plan->PlanInj, QStringLiteral("4"));
  EXPECT_FALSE(data.Injections(7002, QStringLiteral("sh0002")).has_value());
}

}  // namespace
}  // namespace kelmo::tariff
