// The budget road's procedures over a registry database of its own.
#include <gtest/gtest.h>

#include "../reception/registry_fixture.h"

namespace kelmo::test {
namespace {

class BudgetProcedures : public ::testing::Test {
 protected:
  void SetUp() override {
    db.Report(7, 1, 1, 2, Day(2026, 3, 1));
    RegistryFixture::Stay s;
    s.idIll = 70;
    s.repn = 7;
    s.in = Day(2026, 3, 2);
    s.out = Day(2026, 3, 12);
    s.oplat = 2;
    s.kodMes = QStringLiteral("3010101");
    db.Case(s);
    db.Exec(
        QStringLiteral("update STACION set RAION='Центральный', NUM_KARTA=5, DOKUMENT=14, "
                       "SERIA='45 00', NUMBER='123456' where ID_ILL=70"));
    db.Exec(
        QStringLiteral("update MTL set STAN_OBSL=1, STAN_LECEN=1, KASH_MES=1, KURACIA=1, "
                       "EXTREN=0, INTENSIV=0, INTERRUPT=0, PR_OMS=1, VIDMTL=0 where ID_ILL=70"));
  }

  // The procedure's row of a sheet as column -> value.
  QVariant Check(const QString& column, int nomMtl = 1) {
    FbQuery q(db.Db());
    q.setSql(QStringLiteral("select * from SP_PROVERKI_B(7, 1, 1) where N_MTL = :n"));
    q.setParam(QStringLiteral("n"), nomMtl);
    q.Open();
    EXPECT_FALSE(q.Eof());
    return q.FieldByName(column);
  }

  RegistryFixture db;
};

TEST_F(BudgetProcedures, CleanSheetHasNoFlags) {
  for (const char* c : {"OSH1", "OSH2", "OSH11", "OSH12", "OSH17", "OSH18", "OSH19", "OSH27",
                        "OSH34", "OSH35", "OSH36", "OSH37", "OSH38", "OSH39"})
    EXPECT_EQ(Check(QString::fromLatin1(c)).toString(), QStringLiteral("0")) << c;
  for (const char* c : {"ERR1", "ERR2", "ERR3", "ERR4", "ERR5", "ERR7", "ERR8", "ERR9"})
    EXPECT_EQ(Check(QString::fromLatin1(c)).toInt(), 0) << c;
  EXPECT_EQ(Check(QStringLiteral("NOZOLOG")).toString(), QStringLiteral("I10-I15"));
  EXPECT_EQ(Check(QStringLiteral("KOD_MES")).toInt(), 3010101);
  EXPECT_EQ(Check(QStringLiteral("KOL")).toInt(), 1);
  EXPECT_EQ(Check(QStringLiteral("SROK")).toInt(), 10);
  // The institution holds a licence for the profile over the whole sheet.
  EXPECT_EQ(Check(QStringLiteral("OSH32")).toString(), QStringLiteral("0"));
}

TEST_F(BudgetProcedures, FindsTheSheetsErrors) {
  db.Exec(QStringLiteral("update MTL set STAC_DIAG='X99', PR_OMS=3 where ID_ILL=70"));
  db.Exec(QStringLiteral("update STACION set NUM_KARTA=NULL, POL=3 where ID_ILL=70"));
  db.Sheet(70, 7, 2, Day(2026, 3, 11), Day(2026, 3, 13), QStringLiteral("I10"), 2);
  EXPECT_EQ(Check(QStringLiteral("ERR7")).toInt(), 1);
  EXPECT_EQ(Check(QStringLiteral("ERR1")).toInt(), 1);
  EXPECT_EQ(Check(QStringLiteral("OSH18")).toString(), QStringLiteral("1"));
  // The second sheet ends after the discharge and does not start where the
  // first ended.
  EXPECT_EQ(Check(QStringLiteral("OSH36"), 2).toString(), QStringLiteral("1"));
  EXPECT_EQ(Check(QStringLiteral("OSH38"), 2).toString(), QStringLiteral("1"));
  EXPECT_EQ(Check(QStringLiteral("KOL"), 2).toInt(), 2);
}

TEST_F(BudgetProcedures, CrossedLeaves) {
  auto leave = [&](const QDateTime& nach, const QDateTime& kon) {
    db.Insert(QStringLiteral("OTPUSK"), {{QStringLiteral("ID_ILL"), 70},
                                         {QStringLiteral("REPN"), 7},
                                         {QStringLiteral("NOM_MTL"), 1},
                                         {QStringLiteral("NACH"), nach},
                                         {QStringLiteral("KON"), kon}});
  };
  auto crossed = [&] {
    FbQuery q(db.Db());
    q.setSql(QStringLiteral("select SUM(ERR) from CROSS_OTPUSK(:p_id_ill,:p_num_mtl)"));
    q.setParam(QStringLiteral("p_id_ill"), 70);
    q.setParam(QStringLiteral("p_num_mtl"), 1);
    q.Open();
    return q.Value(0, 0).toInt();
  };
  leave(Day(2026, 3, 4), Day(2026, 3, 6));
  leave(Day(2026, 3, 6), Day(2026, 3, 8));
  EXPECT_EQ(crossed(), 0);
  leave(Day(2026, 3, 7), Day(2026, 3, 9));
  EXPECT_GT(crossed(), 0);
}

TEST_F(BudgetProcedures, AnalysisListsTheCasesCosts) {
  db.Exec(QStringLiteral("update STACION set MTLCOSTMTL=1234.5 where ID_ILL=70"));
  FbQuery q(db.Db());
  q.setSql(QStringLiteral("select * from sp_analiz (:repn1, :repn2, :repn3, :repn4)"));
  q.setParam(QStringLiteral("repn1"), 7);
  for (const char* p : {"repn2", "repn3", "repn4"}) q.setParam(QString::fromLatin1(p), 0);
  q.Open();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.FieldByName(QStringLiteral("NOMIB")).toString(), QStringLiteral("101"));
  EXPECT_DOUBLE_EQ(q.FieldByName(QStringLiteral("MTLCOSTMTL")).toDouble(), 1234.5);
  EXPECT_EQ(q.FieldByName(QStringLiteral("KOL")).toInt(), 1);
}

}  // namespace
}  // namespace kelmo::test
