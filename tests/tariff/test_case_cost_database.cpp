// The cost calculation on a registry database: the reference tables read
// from it, the case's services, diagnoses, IVF stages and injections read,
// and the stores in MTL, STACION and OPERAT.
#include <gtest/gtest.h>

#include "../reception/registry_fixture.h"
#include "firebird/fb_database.h"
#include "tariff/case_cost.h"
#include "tariff/case_cost_database.h"

namespace kelmo::tariff {
namespace {

using test::Day;
using test::RegistryFixture;

QVariant Field(RegistryFixture& f, const QString& sql) {
  FbQuery q(f.Db());
  q.setSql(sql);
  q.Open();
  return q.Eof() ? QVariant() : q.Value(0, 0);
}

Money MoneyOf(const QVariant& v) {
  return Money::FromString(v.toString()).value_or(Money::FromUnits(-1));
}
Money Rub(const char* text) {
  return *Money::FromString(QString::fromLatin1(text));
}

class CaseCostDatabase : public ::testing::Test {
 protected:
  RegistryFixture f;

  void SetUp() override {
    // The demonstration tables load with the schema; the test works on its own.
    ASSERT_GT(Field(f, QStringLiteral("select count(*) from spr_ksg")).toInt(), 0);
    for (const char* t : {"spr_ksg", "spr_ksg_group", "spr_ksg_cost", "koeff", "usl_cost"})
      f.Exec(QStringLiteral("delete from %1").arg(QString::fromLatin1(t)));
    f.Exec(
        QStringLiteral("insert into spr_ksg (id, ksg_id, ts, oplat, ovshort, ovlong, dbeg) values "
                       "(1, 'tst01', 1, 1, 0, 0, '2019-01-01')"));
    f.Exec(
        QStringLiteral("insert into spr_ksg_group (id, ksg_id, ts, mkb, dbeg) values "
                       "(1, 'tst01', 1, 'Q99.8', '2019-01-01')"));
    f.Exec(
        QStringLiteral("insert into spr_ksg_cost (id, ksg, ts, r_ur, dbeg) values "
                       "(1, 'tst01', 1, 20000, '2019-01-01')"));
    f.Exec(
        QStringLiteral("insert into koeff (id, zkoeff, npr, datebeg) values "
                       "(101, 0.5, 103, '2019-01-01')"));
    f.Exec(
        QStringLiteral("insert into usl_cost (uslug, ts, dbeg, cost) values "
                       "('A16.12.001', 1, '2019-01-01', 250.25)"));
  }

  // A three-day stay with one service, discharged on 15.03.2019.
  void ShortStay(int idIll) {
    f.Report(501, 1, 1, 1, Day(2019, 3, 1));
    RegistryFixture::Stay s;
    s.idIll = idIll;
    s.repn = 501;
    s.in = Day(2019, 3, 12);
    s.out = Day(2019, 3, 15);
    s.diag = QStringLiteral("Q99.8");
    s.kodMes = QStringLiteral("3000001");
    f.Case(s);
    f.Exec(QStringLiteral("insert into operat (id_ill, repn, nom_mtl, uslug, date_oper) values "
                          "(:i, 501, 1, 'A16.12.001', '2019-03-13')"),
           {{QStringLiteral("i"), idIll}});
  }

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
  EXPECT_EQ(Field(f, QStringLiteral("select kdmtl from stacion where id_ill=7001")).toInt(), 3);
  EXPECT_EQ(MoneyOf(Field(f, QStringLiteral("select ocncostmtl from stacion where id_ill=7001"))),
            Rub("10250.25"));
  EXPECT_EQ(MoneyOf(Field(f, QStringLiteral("select cost from operat where id_ill=7001"))),
            Rub("250.25"));
  EXPECT_EQ(calc.CalcSum(), Rub("10250.25"));
}

TEST_F(CaseCostDatabase, EcoStagesAndInjectionsOfACase) {
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
