// The registry database's procedures that the reception calls, run on a
// database made from db/registry.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "firebird/database_error.h"
#include "registry_fixture.h"

using namespace kelmo;
using kelmo::test::Day;

namespace {

// The check procedure's columns, in the order the rule checks read them.
const char* const kSpProverkiColumns[] = {"FAMILY",
                                          "ID_ILL",
                                          "OSH1",
                                          "OSH2",
                                          "OSH3",
                                          "OSH4",
                                          "OSH5",
                                          "OSH6",
                                          "OSH7",
                                          "OSH8",
                                          "OSH9",
                                          "OSH10",
                                          "OSH11",
                                          "OSH12",
                                          "OSH13",
                                          "OSH14",
                                          "OSH15",
                                          "OSH16",
                                          "OSH17",
                                          "OSH18",
                                          "OSH19",
                                          "OSH20",
                                          "OSH21_1",
                                          "OSH21_2",
                                          "OSH21_3",
                                          "OSH21_4",
                                          "OSH22_1",
                                          "OSH22_2",
                                          "OSH22_3",
                                          "OSH22_4",
                                          "OSH23_1",
                                          "OSH23_2",
                                          "OSH23_3",
                                          "OSH23_4",
                                          "OSH24_1",
                                          "OSH24_2",
                                          "OSH24_3",
                                          "OSH24_4",
                                          "OSH25",
                                          "OSH26",
                                          "OSH27",
                                          "OSH32",
                                          "OSH33",
                                          "OSH34",
                                          "OSH35",
                                          "OSH40",
                                          "OSH39",
                                          "OSH36",
                                          "KOL",
                                          "OSH37",
                                          "OSH38",
                                          "RAION",
                                          "NOZOLOG",
                                          "VOZ",
                                          "UR_G",
                                          "UR_R",
                                          "UR_K",
                                          "STAC_DIAG",
                                          "ACC_NOZ",
                                          "ACC_VOZ",
                                          "ACC_URG",
                                          "ACC_URR",
                                          "ACC_URK",
                                          "ACCOMP",
                                          "DIN_STAC",
                                          "DOUT_STAC",
                                          "DR",
                                          "COMP_NAME",
                                          "SERIA",
                                          "NUMBER",
                                          "NAME",
                                          "FATHER",
                                          "STARTD",
                                          "SROK",
                                          "OPLAT",
                                          "FINISH",
                                          "OSH41",
                                          "OSH42",
                                          "OSH_PAR0",
                                          "OSH_PAR1",
                                          "OSH_PAR2",
                                          "OSH_PAR3",
                                          "OSH_PAR4",
                                          "OSH_PAR5",
                                          "P_VOZRASTM",
                                          "MTRERR1",
                                          "MTRERR2",
                                          "MTRERR3",
                                          "MTRERR4",
                                          "MTRERR5",
                                          "MTRERR6",
                                          "NOMMTL",
                                          "OSH43",
                                          "MTRERR7",
                                          "OSH_PAR6",
                                          "OSH_PAR7",
                                          "OSH_VOV",
                                          "MTRERR8",
                                          "MTRERR9",
                                          "MTRERR10",
                                          "MTRERR11",
                                          "OSH44",
                                          "OSH45",
                                          "NOMIB",
                                          "PRVS",
                                          "PR_FED",
                                          "POL",
                                          "OSH47",
                                          "OSH48",
                                          "PRVS_ERR",
                                          "H_VPOLIS",
                                          "H_FDOCS",
                                          "H_DOCSER",
                                          "H_DOCNUM",
                                          "H_SNILS",
                                          "H_SMOOGRN",
                                          "PROF_ERR",
                                          "P_BED",
                                          "H_SMOOK",
                                          "H_SMOCOD",
                                          "DIAGGRP_ERR",
                                          "NOVOR",
                                          "PR_FAM",
                                          "PR_IM",
                                          "PR_OT",
                                          "PR_SERIA",
                                          "PR_NUMBER",
                                          "PR_DSERIA",
                                          "PR_DNUMBER",
                                          "PR_DR",
                                          "IDCASE",
                                          "LPU_MCOD",
                                          "COST_SF",
                                          "DATE_REP",
                                          "OSH_POVTOR",
                                          "MCOD",
                                          "SUM_MEK",
                                          "OSH49",
                                          "KOD_MES",
                                          "MES_ACC",
                                          "REPN",
                                          "P_TS",
                                          "LEKAR_ERR",
                                          "PLAN_ERR",
                                          "PLAN_ERR2",
                                          "ECO_ERR",
                                          "MES_ERR",
                                          "TALON_ERR",
                                          "RANKIN_ERR",
                                          "CNT_USL_ERR",
                                          "CONVOY_AGE_ERR",
                                          "P_VOZRAST",
                                          "MTLCNT",
                                          "BED_SPEC_ERR",
                                          "VERSION_IN",
                                          "VERSION_OUT",
                                          "VERSION_BASE",
                                          "ACC1",
                                          "ACC2",
                                          "ACC3",
                                          "MTL_ONCO_STATUS",
                                          "ERR_NAPRAVLEN",
                                          "ERR_NAPR_DATE"};

FbQuery Proverki(test::RegistryFixture& f, int r1, int r2 = 0, int r3 = 0, int r4 = 0) {
  FbQuery q(f.Db());
  q.setSql(QStringLiteral("select * from SP_PROVERKI (:repn1 , :repn2, :repn3, :repn4)"));
  q.setParam(QStringLiteral("repn1"), r1);
  q.setParam(QStringLiteral("repn2"), r2);
  q.setParam(QStringLiteral("repn3"), r3);
  q.setParam(QStringLiteral("repn4"), r4);
  q.Open();
  return q;
}

QString At(const FbQuery& q, int row, const char* column) {
  return q.Value(row, QString::fromLatin1(column)).toString();
}

}  // namespace

TEST(ReceptionProcedures, NumbersAreNewOnEveryCall) {
  test::RegistryFixture f;
  for (const char* proc : {"GETREPN", "GETID_ILL", "GETMTL_ID"}) {
    FbQuery q(f.Db());
    q.setSql(QStringLiteral("select * from %1").arg(QString::fromLatin1(proc)));
    q.Open();
    const int first = q.Value(0, 0).toInt();
    q.Close();
    q.Open();
    EXPECT_GT(q.Value(0, 0).toInt(), first) << proc;
  }
}

TEST(ReceptionProcedures, SpProverkiGivesItsColumnsInOrderOneRowPerSheet) {
  test::RegistryFixture f;
  f.Report(1, 1, 1, 1, Day(2026, 3, 1));
  test::RegistryFixture::Stay a;
  a.idIll = 10;
  a.repn = 1;
  f.Case(a);
  f.Sheet(10, 1, 2, Day(2026, 3, 10), Day(2026, 3, 10), QStringLiteral("I10"));
  test::RegistryFixture::Stay b;
  b.idIll = 5;
  b.repn = 1;
  b.family = QStringLiteral("ПЕТРОВА");
  b.nomib = QStringLiteral("7");
  f.Case(b);
  FbQuery q = Proverki(f, 1);
  const QStringList names = q.FieldNames();
  ASSERT_EQ(names.size(), 163);
  for (int i = 0; i < 163; ++i) EXPECT_EQ(names[i], QString::fromLatin1(kSpProverkiColumns[i]));
  ASSERT_EQ(q.RecordCount(), 3);
  EXPECT_EQ(q.Value(0, QStringLiteral("ID_ILL")).toInt(), 5);
  EXPECT_EQ(q.Value(1, QStringLiteral("ID_ILL")).toInt(), 10);
  EXPECT_EQ(q.Value(1, QStringLiteral("NOMMTL")).toInt(), 1);
  EXPECT_EQ(q.Value(2, QStringLiteral("NOMMTL")).toInt(), 2);
  EXPECT_EQ(q.Value(2, QStringLiteral("MTLCNT")).toInt(), 2);
  // The version text the rule checks print from its 8th character on.
  EXPECT_EQ(At(q, 0, "VERSION_BASE").mid(7), QStringLiteral("2026.12"));
  EXPECT_EQ(At(q, 1, "COMP_NAME"), QStringLiteral("Страховая компания «Бервинта»"));
  EXPECT_EQ(At(q, 1, "H_SMOCOD"), QStringLiteral("45001"));
  EXPECT_EQ(q.Value(1, QStringLiteral("LPU_MCOD")).toInt(), 450001);
  EXPECT_EQ(q.Value(1, QStringLiteral("P_VOZRAST")).toInt(), 65);
  EXPECT_EQ(q.Value(1, QStringLiteral("SROK")).toInt(), 9);
  EXPECT_EQ(At(q, 1, "NOVOR"), QStringLiteral("0"));
  // A clean sheet: none of the flags is set.
  for (const char* flag : {"OSH11", "OSH12", "OSH15", "OSH16", "OSH18", "OSH19", "OSH21_1", "OSH36",
                           "OSH38", "OSH41", "OSH42", "OSH49", "OSH27"})
    EXPECT_EQ(At(q, 1, flag), QStringLiteral("0")) << flag;
  EXPECT_EQ(q.Value(1, QStringLiteral("PRVS_ERR")).toInt(), 0);
  EXPECT_EQ(q.Value(1, QStringLiteral("PROF_ERR")).toInt(), 0);
  // An unused report number of the four selects nothing.
  EXPECT_EQ(Proverki(f, 0, 0, 0, 0).RecordCount(), 0);
}

TEST(ReceptionProcedures, SpProverkiFlagsWhatTheDataBreaks) {
  test::RegistryFixture f;
  f.Report(1, 1, 1, 1, Day(2026, 3, 1));
  f.Report(2, 25, 2, 1, Day(2026, 3, 1));
  struct Case {
    const char* what;
    int pol;
    QString diag;
    QString kodMes;
    QString polis;
    QDateTime dr;
    int repn;
    const char* column;
    QString expected;
  } cases[] = {
      {"unknown code",
       1,
       QStringLiteral("X99.9"),
       {},
       QStringLiteral("2778"),
       Day(1960, 1, 1),
       1,
       "OSH21_1",
       QStringLiteral("1")},
      {"code not paid",
       1,
       QStringLiteral("Z00.0"),
       {},
       QStringLiteral("2778"),
       Day(1960, 1, 1),
       1,
       "OSH21_2",
       QStringLiteral("1")},
      {"code of the other sex",
       2,
       QStringLiteral("N40"),
       {},
       QStringLiteral("2778"),
       Day(1960, 1, 1),
       1,
       "OSH21_3",
       QStringLiteral("1")},
      {"code of another age",
       1,
       QStringLiteral("N40"),
       {},
       QStringLiteral("2778"),
       Day(2020, 1, 1),
       1,
       "OSH21_4",
       QStringLiteral("1")},
      {"heading with subheadings",
       1,
       QStringLiteral("I11"),
       {},
       QStringLiteral("2778"),
       Day(1960, 1, 1),
       1,
       "DIAGGRP_ERR",
       QStringLiteral("1")},
      {"no diagnosis",
       1,
       QString(),
       {},
       QStringLiteral("2778"),
       Day(1960, 1, 1),
       1,
       "OSH12",
       QStringLiteral("1")},
      {"no such sex",
       3,
       QStringLiteral("I10"),
       {},
       QStringLiteral("2778"),
       Day(1960, 1, 1),
       1,
       "OSH18",
       QStringLiteral("1")},
      {"no insurer",
       1,
       QStringLiteral("I10"),
       {},
       QString(),
       Day(1960, 1, 1),
       1,
       "OSH41",
       QStringLiteral("1")},
      {"standard of another type", 1, QStringLiteral("I10"), QStringLiteral("10101"),
       QStringLiteral("2778"), Day(1960, 1, 1), 2, "MES_ERR", QStringLiteral("2_10101")},
      {"unknown standard", 1, QStringLiteral("I10"), QStringLiteral("99999"),
       QStringLiteral("2778"), Day(1960, 1, 1), 1, "OSH47", QStringLiteral("1")},
      {"day hospital discharging on a holiday",
       1,
       QStringLiteral("I10"),
       {},
       QStringLiteral("2778"),
       Day(1960, 1, 1),
       2,
       "OSH49",
       QStringLiteral("1")},
      {"baby without a parent",
       1,
       QStringLiteral("J18.9"),
       {},
       QStringLiteral("2778"),
       Day(2026, 2, 1),
       1,
       "OSH_PAR0",
       QStringLiteral("1")},
  };
  int id = 100;
  for (const Case& c : cases) {
    test::RegistryFixture::Stay s;
    s.idIll = ++id;
    s.repn = c.repn;
    s.pol = c.pol;
    s.diag = c.diag;
    s.kodMes = c.kodMes;
    s.polis = c.polis;
    s.dr = c.dr;
    s.family = QStringLiteral("ПАЦИЕНТ%1").arg(id);
    // 08.03.2026 is a Sunday.
    s.out = Day(2026, 3, 8);
    f.Case(s);
    FbQuery q = Proverki(f, c.repn);
    bool seen = false;
    for (int row = 0; row < q.RecordCount(); ++row) {
      if (q.Value(row, QStringLiteral("ID_ILL")).toInt() != id) continue;
      seen = true;
      EXPECT_EQ(At(q, row, c.column), c.expected) << c.what;
    }
    EXPECT_TRUE(seen) << c.what;
    f.Exec(QStringLiteral("delete from MTL where ID_ILL = :id"), {{QStringLiteral("id"), id}});
    f.Exec(QStringLiteral("delete from STACION where ID_ILL = :id"), {{QStringLiteral("id"), id}});
  }
}

TEST(ReceptionProcedures, SpProverkiMarksTheSamePersonsMeetingStays) {
  test::RegistryFixture f;
  f.Report(1, 1, 1, 1, Day(2026, 3, 1));
  f.Report(2, 25, 1, 1, Day(2026, 3, 1), 1);  // accepted, another institution
  f.Report(3, 30, 1, 1, Day(2026, 2, 1), 1);  // accepted, another month
  test::RegistryFixture::Stay s;
  s.idIll = 1;
  s.repn = 1;
  f.Case(s);
  FbQuery alone = Proverki(f, 1);
  EXPECT_TRUE(alone.Value(0, QStringLiteral("SUM_MEK")).isNull());
  // The same person in another month's report does not count...
  test::RegistryFixture::Stay other = s;
  other.idIll = 2;
  other.repn = 3;
  f.Case(other);
  EXPECT_TRUE(Proverki(f, 1).Value(0, QStringLiteral("SUM_MEK")).isNull());
  // ...in an accepted report of the month it does.
  other.idIll = 3;
  other.repn = 2;
  other.in = Day(2026, 3, 5);
  other.out = Day(2026, 3, 15);
  f.Case(other);
  EXPECT_EQ(Proverki(f, 1).Value(0, QStringLiteral("SUM_MEK")).toInt(), -1);
}

TEST(ReceptionProcedures, SpProverkiListsTheAccompanyingStandards) {
  test::RegistryFixture f;
  f.Report(1, 1, 1, 1, Day(2026, 3, 1));
  test::RegistryFixture::Stay s;
  s.idIll = 1;
  s.repn = 1;
  s.kodMes = QStringLiteral("10102");
  s.diag = QStringLiteral("I20.0");
  f.Case(s);
  f.Exec(
      QStringLiteral("update MTL set ACCOMP1='I10', MES_ACC1='10101', ACCOMP2='E11.9' "
                     "where ID_ILL=1"));
  FbQuery q = Proverki(f, 1);
  EXPECT_EQ(At(q, 0, "NOZOLOG"), QStringLiteral("I20-I25"));
  EXPECT_EQ(At(q, 0, "MES_ACC"), QStringLiteral("_1=10101;_2=;"));
  EXPECT_EQ(At(q, 0, "ACC_NOZ"), QStringLiteral("_1=I10-I15;_2=;"));
  EXPECT_EQ(At(q, 0, "ACCOMP"), QStringLiteral("_1=I10;_2=E11.9;"));
  EXPECT_EQ(At(q, 0, "ACC1"), QStringLiteral("I10"));
  EXPECT_EQ(At(q, 0, "OSH22_1"), QStringLiteral("0"));
  EXPECT_EQ(At(q, 0, "OSH24_1"), QStringLiteral("0"));
}

TEST(ReceptionProcedures, CheckMtlUslGivesAFindingFirst) {
  test::RegistryFixture f;
  f.Report(1, 1, 1, 1, Day(2026, 3, 1));
  auto service = [&](const QString& uslug, const QVariant& kolvo) {
    f.Insert(QStringLiteral("MTLUSL"), {{QStringLiteral("ID_ILL"), 1},
                                        {QStringLiteral("REPN"), 1},
                                        {QStringLiteral("NOM_MTL"), 1},
                                        {QStringLiteral("USLUG"), uslug},
                                        {QStringLiteral("KOLVO"), kolvo}});
  };
  FbQuery q(f.Db());
  q.setSql(QStringLiteral("select * from check_mtlusl(:p_id_ill,:p_nom_mtl)"));
  q.setParam(QStringLiteral("p_id_ill"), 1);
  q.setParam(QStringLiteral("p_nom_mtl"), 1);
  service(QStringLiteral("A18.05.002"), 2);
  q.Open();
  ASSERT_EQ(q.RecordCount(), 1);
  EXPECT_EQ(q.FieldByName(QStringLiteral("ERR")).toInt(), 0);
  service(QStringLiteral("A16.18.009"), QVariant());
  q.Open();
  EXPECT_EQ(q.FieldByName(QStringLiteral("ERR")).toInt(), 2);
  EXPECT_EQ(q.FieldByName(QStringLiteral("USLUG")).toString(), QStringLiteral("A16.18.009"));
  service(QStringLiteral("B99.99"), 1);
  q.Open();
  EXPECT_EQ(q.FieldByName(QStringLiteral("ERR")).toInt(), 2);
  EXPECT_EQ(q.RecordCount(), 3);
  EXPECT_EQ(q.Value(1, QStringLiteral("ERR")).toInt(), 1);
  EXPECT_EQ(q.Value(1, QStringLiteral("USLUG")).toString(), QStringLiteral("B99.99"));
}

TEST(ReceptionProcedures, UpReportsAndPrintSummaryCountTheLoadedSheets) {
  test::RegistryFixture f;
  f.Report(1, 1, 1, 1, Day(2026, 3, 1));
  f.Report(2, 1, 1, 1, Day(2026, 3, 1));
  test::RegistryFixture::Stay s;
  s.idIll = 1;
  s.repn = 1;
  f.Case(s);  // 9 bed days
  s.idIll = 2;
  s.repn = 2;
  s.family = QStringLiteral("СИДОРОВ");
  f.Case(s);
  f.Exec(QStringLiteral("update MTL set OCNCOST = 1000.5, DOPCOST = 100 where REPN = 1"));
  f.Exec(QStringLiteral("update MTL set OCNCOST = 2000 where REPN = 2"));
  // The one-channel and modernisation parts are not the base tariff.
  f.Exec(QStringLiteral("update MTL set ONECH_COST = 500, MOD_FFOMS_COST = 0.5 where REPN = 1"));
  f.Exec(QStringLiteral("execute procedure up_reports(:repn)"), {{QStringLiteral("repn"), 1}});
  FbQuery r(f.Db());
  r.setSql(QStringLiteral("select KOL_ILL, KOL_MTL, KD_CALC, SUM_CALC from REPORTS where REPN=1"));
  r.Open();
  EXPECT_EQ(r.FieldByName(QStringLiteral("KOL_ILL")).toInt(), 1);
  EXPECT_EQ(r.FieldByName(QStringLiteral("KD_CALC")).toInt(), 9);
  EXPECT_DOUBLE_EQ(r.FieldByName(QStringLiteral("SUM_CALC")).toDouble(), 1100.5);

  FbQuery p(f.Db());
  p.setSql(QStringLiteral("select * from print_summary(:m1, :m2, :m3, :m4, :i1, :i2, :i3, :i4)"));
  for (const char* name : {"m2", "m3", "m4", "i2", "i3", "i4"})
    p.setParam(QString::fromLatin1(name), 0);
  p.setParam(QStringLiteral("m1"), 1);
  p.setParam(QStringLiteral("i1"), 2);
  p.Open();
  ASSERT_EQ(p.RecordCount(), 1);
  // The demonstration plan of institution 1: 36000 bed days a year.
  EXPECT_EQ(p.FieldByName(QStringLiteral("KD_MZ")).toInt(), 3000);
  EXPECT_EQ(p.FieldByName(QStringLiteral("KD_PR_M")).toInt(), 9);
  EXPECT_EQ(p.FieldByName(QStringLiteral("KD_PR_I")).toInt(), 9);
  EXPECT_EQ(p.FieldByName(QStringLiteral("KD_PR")).toInt(), 18);
  EXPECT_DOUBLE_EQ(p.FieldByName(QStringLiteral("COST_PR_M")).toDouble(), 500);
  EXPECT_DOUBLE_EQ(p.FieldByName(QStringLiteral("COST_PR")).toDouble(), 2500);
  EXPECT_DOUBLE_EQ(p.FieldByName(QStringLiteral("COST_KD_PR_I")).toDouble(), 222.22);
  for (const char* column : {"KD_PRC", "COST_MZ", "COST_PR_M", "COST_PR_I", "COST_PR_PRC",
                             "COST_KD_MZ", "COST_KD_PR", "COST_KD_PR_M", "COST_KD_PRC"})
    EXPECT_TRUE(p.FieldIndex(QString::fromLatin1(column)) >= 0) << column;
}

TEST(ReceptionProcedures, OncologyRowsAndTheirChecks) {
  test::RegistryFixture f;
  auto onco = [&](int status, int age) {
    FbQuery q(f.Db());
    q.setSql(QStringLiteral(
        "select * from SP_PROVERKI_ONCO(:ID_ILL, :NOM_MTL, :OUT_STAC, :STAC_DIAG, :ACC1, "
        ":ACC2, :ACC3, :MTL_ONCO_STATUS, :VOZRAST, :OPLAT)"));
    q.setParam(QStringLiteral("ID_ILL"), 7);
    q.setParam(QStringLiteral("NOM_MTL"), 1);
    q.setParam(QStringLiteral("OUT_STAC"), Day(2026, 3, 10));
    q.setParam(QStringLiteral("STAC_DIAG"), QStringLiteral("C50.9"));
    for (const char* acc : {"ACC1", "ACC2", "ACC3"})
      q.setParam(QString::fromLatin1(acc), QString());
    q.setParam(QStringLiteral("MTL_ONCO_STATUS"), status);
    q.setParam(QStringLiteral("VOZRAST"), age);
    q.setParam(QStringLiteral("OPLAT"), 1);
    q.Open();
    return q;
  };
  // An established case without its oncology row.
  FbQuery q = onco(1, 50);
  ASSERT_EQ(q.RecordCount(), 1);
  EXPECT_EQ(q.FieldByName(QStringLiteral("OUT_ERR_ID_ONCO")).toInt(), 1);
  EXPECT_EQ(q.FieldByName(QStringLiteral("OUT_ERR_CONSILIUM")).toInt(), 1);

  // Its rows as the loading stores them.
  FbQuery n(f.Db());
  n.setSql(QStringLiteral(
      "select * from NEW_ONCOLOGY(7, 1, 1, 0, 5, NULL, 2, 0, NULL, NULL, NULL, 70, 170, "
      "1.8)"));
  n.Open();
  const int idOnco = n.Value(0, 0).toInt();
  EXPECT_GT(idOnco, 0);
  f.Exec(QStringLiteral("execute procedure NEW_CONSILIUM(7, 1, 1, NULL)"));
  f.Exec(QStringLiteral("execute procedure NEW_ONCO_DIAGNOSTIC(:o, NULL, 1, 0, NULL, NULL, "
                        "NULL, NULL)"),
         {{QStringLiteral("o"), idOnco}});
  FbQuery u(f.Db());
  u.setSql(QStringLiteral("select * from NEW_ONCO_USLUG(:o, 2, NULL, NULL, 1, NULL, NULL)"));
  u.setParam(QStringLiteral("o"), idOnco);
  u.Open();
  const int idUsl = u.Value(0, 0).toInt();
  f.Exec(QStringLiteral("execute procedure NEW_ONCO_MEDICALS(:u, 'D01', 'нет', NULL)"),
         {{QStringLiteral("u"), idUsl}});
  FbQuery full = onco(1, 50);
  struct Expect {
    const char* output;
    int value;
  } expected[] = {
      {"OUT_ERR_ID_ONCO", 0},    {"OUT_ERR_ID_CAUSE", 0},   {"OUT_ERR_STAGE", 0},
      {"OUT_ERR_TUMOR", 1},      {"OUT_ERR_NODUS", 0},      {"OUT_ERR_CONSILIUM", 0},
      {"OUT_ERR_DT_CONS", 1},    {"OUT_ERR_DIAG_DATE", 1},  {"OUT_ERR_G_SIGN", 1},
      {"OUT_ERR_ID_T_LINE", 1},  {"OUT_ERR_ID_T_CYCLE", 0}, {"OUT_ERR_ONCO_MEDICALS", 0},
      {"OUT_ERR_CODE_SCHEM", 3}, {"OUT_ERR_DATE_INJ", 1},   {"OUT_ERR_ONCO_USLUG", 0},
  };
  for (const Expect& e : expected)
    EXPECT_EQ(full.FieldByName(QString::fromLatin1(e.output)).toInt(), e.value) << e.output;
  // A child: no TNM signs are due and the scheme "нет" is the right one.
  FbQuery child = onco(1, 10);
  EXPECT_EQ(child.FieldByName(QStringLiteral("OUT_ERR_TUMOR")).toInt(), 0);
  EXPECT_EQ(child.FieldByName(QStringLiteral("OUT_ERR_CODE_SCHEM")).toInt(), 0);
  // A sheet outside oncology has no finding.
  FbQuery outside = onco(0, 50);
  EXPECT_EQ(outside.FieldByName(QStringLiteral("OUT_ERR_CONSILIUM")).toInt(), 0);
}

TEST(ReceptionProcedures, SpProverkiComputesTheCaseRules) {
  using Fixture = test::RegistryFixture;
  Fixture f;
  f.Report(1, 1, 1, 1, Day(2026, 3, 1));
  f.Report(2, 1, 1, 1, Day(2026, 2, 1));  // the month before, same institution
  const auto sql = [](const char* statement) {
    return [statement](Fixture& fx, int id) {
      fx.Exec(QString::fromUtf8(statement), {{QStringLiteral("id"), id}});
    };
  };
  // The same stay presented in the month before, its sum of sanctions given.
  const auto lastMonth = [](QVariant sumMek) {
    return [sumMek](Fixture& fx, int id) {
      fx.Exec(QStringLiteral("update STACION set PR_NOV = 1 where ID_ILL = :id"),
              {{QStringLiteral("id"), id}});
      Fixture::Stay before;
      before.idIll = id + 1000;
      before.repn = 2;
      before.family = QStringLiteral("ПАЦИЕНТ%1").arg(id);
      before.sumMek = sumMek;
      fx.Case(before);
    };
  };
  const auto service = [](int kolvo) {
    return [kolvo](Fixture& fx, int id) {
      fx.Exec(QStringLiteral("update MTL set OPLAT = 6, VMP_MET = 401 where ID_ILL = :id"),
              {{QStringLiteral("id"), id}});
      fx.Insert(QStringLiteral("MTLUSL"),
                {{QStringLiteral("ID"), id},
                 {QStringLiteral("ID_ILL"), id},
                 {QStringLiteral("REPN"), 1},
                 {QStringLiteral("NOM_MTL"), 1},
                 {QStringLiteral("USLUG"), QStringLiteral("A16.12.004.009")},
                 {QStringLiteral("KOLVO"), kolvo}});
    };
  };
  // Services of the case recording these stages of an IVF cycle.
  const auto eco = [](std::vector<int> stages) {
    return [stages](Fixture& fx, int id) {
      int n = 0;
      for (int stage : stages)
        fx.Insert(QStringLiteral("MTLUSL"),
                  {{QStringLiteral("ID_ILL"), id},
                   {QStringLiteral("REPN"), 1},
                   {QStringLiteral("NOM_MTL"), 1},
                   {QStringLiteral("USLUG"), QStringLiteral("A11.20.017")},
                   {QStringLiteral("KOLVO"), ++n},
                   {QStringLiteral("STAGE"), stage}});
    };
  };
  struct Case {
    const char* what;
    std::function<void(Fixture&, int)> setup;
    std::vector<std::pair<const char*, const char*>> expected;
  } cases[] = {
      {"a clean sheet",
       [](Fixture&, int) {},
       {{"VOZ", "0"},
        {"OSH1", "0"},
        {"OSH6", "0"},
        {"OSH37", "0"},
        {"OSH45", "0"},
        {"OSH_VOV", "0"},
        {"OSH_POVTOR", "0"},
        {"CNT_USL_ERR", "0"},
        {"BED_SPEC_ERR", ""},
        {"RANKIN_ERR", "0"},
        {"PLAN_ERR", "0"},
        {"PLAN_ERR2", "0"},
        {"OSH9", "0"},
        {"OSH13", "0"},
        {"OSH14", "0"},
        {"OSH20", "0"},
        {"OSH25", "0"},
        {"OSH26", "0"},
        {"OSH32", "0"},
        {"OSH33", "0"},
        {"OSH40", "0"},
        {"OSH44", "0"},
        {"MTRERR1", "0"},
        {"MTRERR2", "0"},
        {"MTRERR3", "0"},
        {"MTRERR4", "0"},
        {"MTRERR5", "0"},
        {"MTRERR6", "0"},
        {"MTRERR7", "0"},
        {"MTRERR8", "0"},
        {"MTRERR9", "0"},
        {"MTRERR10", "0"},
        {"MTRERR11", "0"},
        {"H_SNILS", ""},
        {"H_SMOOGRN", "1024500000001"},
        {"LEKAR_ERR", ""},
        {"ECO_ERR", "0"},
        {"ERR_NAPRAVLEN", "0"},
        {"ERR_NAPR_DATE", "0"},
        {"VERSION_IN", ""},
        {"VERSION_OUT", ""}}},
      {"an outcome the bed profile may not give",
       sql("update MTL set ISHOD_LECE = 7 where ID_ILL = :id"),
       {{"OSH6", "1"}}},
      {"an outcome of the bed profiles that give it",
       sql("update MTL set ISHOD_LECE = 7, PROFILE = 36 where ID_ILL = :id"),
       {{"OSH6", "0"}}},
      {"a bed profile the institution has no plan for",
       sql("update MTL set PROFILE = 4 where ID_ILL = :id"),
       {{"PLAN_ERR", "Неврологический"}}},
      {"a level of care without a plan",
       sql("update MTL set KOD_MES = '2000000' where ID_ILL = :id"),
       {{"PLAN_ERR2", "1"}}},
      {"a long code of a level without a plan",
       sql("update MTL set KOD_MES = '000000000002' where ID_ILL = :id"),
       {{"PLAN_ERR2", "1"}}},
      {"a long code of a level with a plan",
       sql("update MTL set KOD_MES = '000000000001' where ID_ILL = :id"),
       {{"PLAN_ERR2", "0"}}},
      {"a code that gives no level",
       sql("update MTL set KOD_MES = '10101' where ID_ILL = :id"),
       {{"PLAN_ERR2", "0"}}},
      {"a child of 17",
       sql("update STACION set DR = '2008-03-02' where ID_ILL = :id"),
       {{"VOZ", "1"}}},
      {"an adult of 18 that day",
       sql("update STACION set DR = '2008-03-01' where ID_ILL = :id"),
       {{"VOZ", "0"}}},
      {"sheet number 0",
       sql("update MTL set NOM_MTL = 0 where ID_ILL = :id"),
       {{"OSH1", "1"}, {"OSH37", "0"}}},
      {"sheet number beyond the count",
       sql("update MTL set NOM_MTL = 2 where ID_ILL = :id"),
       {{"OSH1", "0"}, {"OSH37", "1"}}},
      {"two sheets numbered 1",
       [](Fixture& fx, int id) {
         fx.Sheet(id, 1, 1, Day(2026, 3, 5), Day(2026, 3, 10), QStringLiteral("I10"));
       },
       {{"OSH37", "1"}}},
      {"attachment code of no institution",
       sql("update STACION set MCOD = '459999' where ID_ILL = :id"),
       {{"OSH45", "1"}}},
      {"no attachment code (a check of its own)",
       sql("update STACION set MCOD = '' where ID_ILL = :id"),
       {{"OSH45", "0"}}},
      {"a veteran missing from the register",
       sql("update STACION set VOV = 1 where ID_ILL = :id"),
       {{"OSH_VOV", "1"}}},
      {"a veteran of the register",
       sql("update STACION set VOV = 1, FAMILY = 'Ветров', NAME = 'ПАВЕЛ', FATHER = 'ИЛЬИЧ', "
           "DR = '1926-05-09' where ID_ILL = :id"),
       {{"OSH_VOV", "0"}}},
      {"presented again, not presented the month before",
       sql("update STACION set PR_NOV = 1 where ID_ILL = :id"),
       {{"OSH_POVTOR", "1"}}},
      {"presented again, not sanctioned the month before",
       lastMonth(QVariant()),
       {{"OSH_POVTOR", "2"}}},
      {"presented again, sanctioned the month before", lastMonth(0), {{"OSH_POVTOR", "0"}}},
      {"presented again, a sanction listed the month before",
       [lastMonth](Fixture& fx, int id) {
         lastMonth(QVariant())(fx, id);
         fx.Insert(QStringLiteral("MEK_CASES"),
                   {{QStringLiteral("ID"), id},
                    {QStringLiteral("ID_ILL"), id + 1000},
                    {QStringLiteral("ERROR_TEXT"), QStringLiteral("x")}});
       },
       {{"OSH_POVTOR", "0"}}},
      {"high-tech care without the method's service",
       sql("update MTL set OPLAT = 6, VMP_MET = 401 where ID_ILL = :id"),
       {{"CNT_USL_ERR", "1"}}},
      {"high-tech care with the method's service", service(1), {{"CNT_USL_ERR", "0"}}},
      {"high-tech care with the service not counted", service(0), {{"CNT_USL_ERR", "1"}}},
      {"a method without required services",
       sql("update MTL set OPLAT = 6, VMP_MET = 402 where ID_ILL = :id"),
       {{"CNT_USL_ERR", "0"}}},
      {"a speciality that does not serve the bed profile",
       sql("update MTL set PRVS = 67 where ID_ILL = :id"),
       {{"BED_SPEC_ERR", "1"}}},
      {"a second speciality of the bed profile",
       sql("update MTL set PROFIL_BED = 3, PRVS = 76 where ID_ILL = :id"),
       {{"BED_SPEC_ERR", ""}}},
      {"a bed profile without listed specialities",
       sql("update MTL set PROFIL_BED = 99, PRVS = 67 where ID_ILL = :id"),
       {{"BED_SPEC_ERR", ""}}},
      {"a Rankin grade beyond 6",
       sql("update STACION set RANKIN = 7 where ID_ILL = :id"),
       {{"RANKIN_ERR", "1"}}},
      {"a stroke without a Rankin grade",
       sql("update MTL set STAC_DIAG = 'I63.5' where ID_ILL = :id"),
       {{"RANKIN_ERR", "1"}}},
      {"a stroke with a Rankin grade",
       [](Fixture& fx, int id) {
         fx.Exec(QStringLiteral("update MTL set STAC_DIAG = 'I63.5' where ID_ILL = :id"),
                 {{QStringLiteral("id"), id}});
         fx.Exec(QStringLiteral("update STACION set RANKIN = 3 where ID_ILL = :id"),
                 {{QStringLiteral("id"), id}});
       },
       {{"RANKIN_ERR", "0"}}},
      {"an impossible count of intensive therapy days",
       sql("update MTL set INTENSIV = -1 where ID_ILL = :id"),
       {{"OSH9", "1"}}},
      {"intensive therapy longer than its standard",
       sql("update MTL set KOD_MES_IT = '90001', INTENSIV = 2 where ID_ILL = :id"),
       {{"OSH40", "1"}}},
      {"intensive therapy within its standard",
       sql("update MTL set KOD_MES_IT = '90001', INTENSIV = 1 where ID_ILL = :id"),
       {{"OSH40", "0"}, {"OSH9", "0"}}},
      {"a sheet without its end",
       sql("update MTL set FINISH = NULL where ID_ILL = :id"),
       {{"OSH13", "1"}, {"OSH14", "1"}}},
      {"the last sheet ends before the discharge",
       sql("update MTL set FINISH = '2026-03-09' where ID_ILL = :id"),
       {{"OSH13", "0"}, {"OSH14", "1"}}},
      {"a first sheet need not close the stay",
       [](Fixture& fx, int id) {
         fx.Exec(QStringLiteral("update MTL set FINISH = '2026-03-05' where ID_ILL = :id"),
                 {{QStringLiteral("id"), id}});
         fx.Sheet(id, 1, 2, Day(2026, 3, 5), Day(2026, 3, 10), QStringLiteral("I10"));
       },
       {{"NOMMTL", "1"}, {"OSH14", "0"}, {"OSH38", "0"}}},
      {"a stay that ends before it begins",
       sql("update STACION set OUT_STAC = '2026-02-27' where ID_ILL = :id"),
       {{"OSH44", "1"}}},
      {"a home-region insurer with a policy of another region",
       sql("update STACION set POL_OBL = '4500' where ID_ILL = :id"),
       {{"OSH20", "1"}, {"MTRERR2", "0"}}},
      {"no region of the policy",
       sql("update STACION set POL_OBL = '' where ID_ILL = :id"),
       {{"OSH20", "0"}, {"MTRERR2", "1"}}},
      {"a document series without its number",
       sql("update STACION set D_NOMBER = '' where ID_ILL = :id"),
       {{"OSH25", "1"}, {"MTRERR6", "1"}, {"MTRERR5", "0"}}},
      {"a document without its kind",
       sql("update STACION set DOKUMENT = 0 where ID_ILL = :id"),
       {{"MTRERR5", "1"}, {"OSH25", "0"}}},
      {"an impossible policy kind",
       sql("update STACION set VPOLIS = 5 where ID_ILL = :id"),
       {{"OSH26", "1"}, {"MTRERR11", "0"}}},
      {"no policy number",
       sql("update STACION set NUMBER = '' where ID_ILL = :id"),
       {{"MTRERR1", "1"}, {"MTRERR11", "1"}}},
      {"a single-number policy of another length",
       sql("update STACION set NUMBER = '450000000000001' where ID_ILL = :id"),
       {{"MTRERR1", "0"}, {"MTRERR11", "1"}}},
      {"born after the admission",
       sql("update STACION set DR = '2026-03-05' where ID_ILL = :id"),
       {{"MTRERR3", "1"}}},
      {"a patient with a representative and no child status",
       [](Fixture& fx, int id) {
         fx.Exec(QStringLiteral("update STACION set NOVOR = NULL where ID_ILL = :id"),
                 {{QStringLiteral("id"), id}});
         fx.Insert(QStringLiteral("PARENTS"),
                   {{QStringLiteral("ID"), id},
                    {QStringLiteral("ID_ILL"), id},
                    {QStringLiteral("REPN"), 1},
                    {QStringLiteral("FAMILY"), QStringLiteral("ПЕТРОВА")}});
       },
       {{"MTRERR4", "1"}, {"NOVOR", "0"}}},
      {"no child status without a representative",
       sql("update STACION set NOVOR = NULL where ID_ILL = :id"),
       {{"MTRERR4", "0"}, {"NOVOR", "0"}}},
      {"no speciality of the doctor",
       sql("update MTL set PRVS = NULL where ID_ILL = :id"),
       {{"MTRERR7", "1"}, {"BED_SPEC_ERR", ""}}},
      {"a policy that ended before the admission",
       sql("update STACION set DATE_N = '2025-01-01', DATE_E = '2026-02-28' where ID_ILL = :id"),
       {{"MTRERR8", "1"}, {"MTRERR9", "0"}, {"MTRERR10", "0"}}},
      {"a policy that began after the discharge",
       sql("update STACION set DATE_N = '2026-03-11' where ID_ILL = :id"),
       {{"MTRERR8", "0"}, {"MTRERR9", "1"}, {"MTRERR10", "0"}}},
      {"a policy that begins after it ends",
       sql("update STACION set DATE_N = '2026-03-05', DATE_E = '2026-03-04' where ID_ILL = :id"),
       {{"MTRERR10", "1"}}},
      {"a policy covering the stay",
       sql("update STACION set DATE_N = '2026-01-01', DATE_E = '2026-12-31' where ID_ILL = :id"),
       {{"MTRERR8", "0"}, {"MTRERR9", "0"}, {"MTRERR10", "0"}}},
      {"the patient's insurance number",
       sql("update STACION set PENSION = ' 123-456-789 01 ' where ID_ILL = :id"),
       {{"H_SNILS", "123-456-789 01"}}},
      {"the other insurer's registration number",
       sql("update STACION set POLIS = '2779' where ID_ILL = :id"),
       {{"H_SMOOGRN", "1024500000002"}, {"H_SMOCOD", "45002"}}},
      {"no doctor named",
       sql("update MTL set VR_FIO = ' ' where ID_ILL = :id"),
       {{"LEKAR_ERR", "Не указан лечащий врач в МТЛ №1."}}},
      {"a doctor named by code only, as a package names him",
       sql("update MTL set VR_FIO = null, IDDOKT = '12345678901' where ID_ILL = :id"),
       {{"LEKAR_ERR", ""}}},
      {"IVF stages outside the schemes", eco({1, 3}), {{"ECO_ERR", "1"}}},
      {"IVF stages of a scheme", eco({2, 1}), {{"ECO_ERR", "0"}}},
      {"services of no IVF stage", eco({0, 0}), {{"ECO_ERR", "0"}}},
      {"a referral from an institution of no register",
       sql("update STACION set NAPRAVLEN = 459999 where ID_ILL = :id"),
       {{"ERR_NAPRAVLEN", "1"}}},
      {"a referral from an institution of the register",
       sql("update STACION set NAPRAVLEN = 450025 where ID_ILL = :id"),
       {{"ERR_NAPRAVLEN", "0"}}},
      {"a referral dated after the admission",
       sql("update STACION set NAPR_DATE = '2026-03-02' where ID_ILL = :id"),
       {{"ERR_NAPR_DATE", "1"}}},
      {"a referral dated before the admission",
       sql("update STACION set NAPR_DATE = '2026-02-27' where ID_ILL = :id"),
       {{"ERR_NAPR_DATE", "0"}}},
      {"a standard the institution's level is not paid at",
       [](Fixture& fx, int id) {
         fx.Exec(QStringLiteral(
             "update or insert into MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM, UR_G, UR_R, "
             "UR_K) values ('3019999', 'Без района', 1, 'I10-I15', 10, '2020-01-01', '+', '-', "
             "'+') matching (KOD)"));
         fx.Exec(QStringLiteral("update MTL set KOD_MES = '3019999' where ID_ILL = :id"),
                 {{QStringLiteral("id"), id}});
       },
       {{"UR_R", "-"}, {"OSH32", "МЭС 3019999 не оплачивается на уровне мед.организации (Р)"}}},
      {"a standard code of 16 characters",
       sql("update MTL set KOD_MES = '1234567890123456' where ID_ILL = :id"),
       {{"KOD_MES", "1234567890123456"}, {"OSH47", "1"}}},
      {"the report's versions",
       [](Fixture& fx, int) {
         fx.Exec(QStringLiteral(
             "update REPORTS set VERSION_IN = 'VERSION2026.11', VERSION_OUT = '1.0/2026.12' "
             "where REPN = 1"));
       },
       {{"VERSION_IN", "VERSION2026.11"}, {"VERSION_OUT", "1.0/2026.12"}}},
      {"one accompanying standard where the level allows one",
       [](Fixture& fx, int id) {
         fx.Exec(QStringLiteral(
             "update or insert into ACC_MES_LIMIT (UROV, MAX_ACC) values ('Р', 1) matching "
             "(UROV)"));
         fx.Exec(QStringLiteral("update MTL set ACCOMP1 = 'I11.9', MES_ACC1 = '10101' "
                                "where ID_ILL = :id"),
                 {{QStringLiteral("id"), id}});
       },
       {{"OSH33", "0"}}},
      {"two accompanying standards where the level allows one",
       sql("update MTL set ACCOMP1 = 'I11.9', MES_ACC1 = '10101', ACCOMP2 = 'E11.9', "
           "MES_ACC2 = '20401' where ID_ILL = :id"),
       {{"OSH33", "1"}}},
      {"the levels of the main and an accompanying standard",
       sql("update MTL set KOD_MES = '3010101', ACCOMP1 = 'I11.9', MES_ACC1 = '3010201', "
           "ACCOMP2 = 'E11.9' where ID_ILL = :id"),
       {{"PLAN_ERR2", "0"},
        {"UR_G", "+"},
        {"UR_R", "+"},
        {"UR_K", "+"},
        {"ACC_VOZ", "_1=0;_2=;"},
        {"ACC_URG", "_1=+;_2=;"},
        {"ACC_URR", "_1=+;_2=;"},
        {"ACC_URK", "_1=+;_2=;"}}},
  };
  int id = 200;
  for (const Case& c : cases) {
    Fixture::Stay s;
    s.idIll = ++id;
    s.repn = 1;
    s.family = QStringLiteral("ПАЦИЕНТ%1").arg(id);
    f.Case(s);
    c.setup(f, id);
    FbQuery q = Proverki(f, 1);
    int row = 0;
    while (row < q.RecordCount() && q.Value(row, QStringLiteral("ID_ILL")).toInt() != id) ++row;
    ASSERT_LT(row, q.RecordCount()) << c.what;
    for (const auto& [column, value] : c.expected)
      EXPECT_EQ(At(q, row, column), QString::fromUtf8(value)) << c.what << ": " << column;
    for (const char* table : {"MEK_CASES", "MTLUSL", "PARENTS", "MTL", "STACION"})
      f.Exec(QStringLiteral("delete from %1 where ID_ILL in (:id, :other)")
                 .arg(QString::fromLatin1(table)),
             {{QStringLiteral("id"), id}, {QStringLiteral("other"), id + 1000}});
  }
}

namespace {

// The oncology rows of a treatment sheet, complete unless a case changes
// them: an adult's breast cancer, first treated (cause 0) by surgery.
struct OncoSheet {
  int status = 1;
  int age = 50;
  bool hasOnco = true;
  QVariant cause = 0, stage = 5, tumor = 10, nodus = 1, metas = 0, dist = 0, dose, fractions;
  bool hasConsilium = true;
  QVariant prCons = 1, dtCons = Day(2026, 3, 2);
  struct Diagnostic {
    QVariant type, date, gs, gt, mark, mr;
  };
  std::vector<Diagnostic> diagnostics{{1, Day(2026, 3, 2), 1, 1, {}, {}},
                                      {2, Day(2026, 3, 2), {}, {}, 1, 1}};
  struct Medical {
    QVariant drug = QStringLiteral("D01"), schem = QStringLiteral("sh001"), date = Day(2026, 3, 3);
  };
  struct Service {
    QVariant type = 1, line, cycle, rtype;
    std::vector<Medical> medicals;
  };
  std::vector<Service> services{Service{}};
  struct Decline {
    QVariant id, date;
  };
  std::vector<Decline> declines;
  struct Direct {
    QVariant type, method, uslugTo, date;
  };
  std::vector<Direct> directs;
};

void WriteOnco(test::RegistryFixture& f, int id, const OncoSheet& o) {
  auto exec = [&f](const char* sql, std::initializer_list<QVariant> values) {
    FbQuery q(f.Db());
    q.setSql(QString::fromLatin1(sql));
    int i = 0;
    for (const QVariant& v : values) q.setParam(QStringLiteral("p%1").arg(++i), v);
    q.Open();
    return q.Eof() ? 0 : q.Value(0, 0).toInt();
  };
  if (o.hasConsilium)
    f.Insert(QStringLiteral("CONSILIUM"), {{QStringLiteral("ID_ILL"), id},
                                           {QStringLiteral("NOM_MTL"), 1},
                                           {QStringLiteral("PR_CONS"), o.prCons},
                                           {QStringLiteral("DT_CONS"), o.dtCons}});
  for (const OncoSheet::Direct& d : o.directs)
    f.Insert(QStringLiteral("ONCO_DIRECT"), {{QStringLiteral("ID_ILL"), id},
                                             {QStringLiteral("NOM_MTL"), 1},
                                             {QStringLiteral("DIR_TYPE"), d.type},
                                             {QStringLiteral("METHOD"), d.method},
                                             {QStringLiteral("USLUG_TO"), d.uslugTo},
                                             {QStringLiteral("DATE_DIR"), d.date}});
  if (!o.hasOnco) return;
  const int onco = exec(
      "select * from NEW_ONCOLOGY(:p1, 1, 1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, :p9, 70, 170, "
      "1.8)",
      {id, o.cause, o.stage, o.tumor, o.nodus, o.metas, o.dist, o.dose, o.fractions});
  for (const OncoSheet::Diagnostic& d : o.diagnostics)
    f.Exec(QStringLiteral("execute procedure NEW_ONCO_DIAGNOSTIC(:o, :d, :t, 0, :gs, :gt, :m, "
                          ":mr)"),
           {{QStringLiteral("o"), onco},
            {QStringLiteral("d"), d.date},
            {QStringLiteral("t"), d.type},
            {QStringLiteral("gs"), d.gs},
            {QStringLiteral("gt"), d.gt},
            {QStringLiteral("m"), d.mark},
            {QStringLiteral("mr"), d.mr}});
  for (const OncoSheet::Decline& d : o.declines)
    f.Exec(
        QStringLiteral("execute procedure NEW_ONCO_DECLINE(:o, :i, :d)"),
        {{QStringLiteral("o"), onco}, {QStringLiteral("i"), d.id}, {QStringLiteral("d"), d.date}});
  for (const OncoSheet::Service& s : o.services) {
    const int usl = exec("select * from NEW_ONCO_USLUG(:p1, :p2, NULL, :p3, :p4, :p5, NULL)",
                         {onco, s.type, s.line, s.cycle, s.rtype});
    for (const OncoSheet::Medical& m : s.medicals)
      f.Exec(QStringLiteral("execute procedure NEW_ONCO_MEDICALS(:u, :d, :s, :i)"),
             {{QStringLiteral("u"), usl},
              {QStringLiteral("d"), m.drug},
              {QStringLiteral("s"), m.schem},
              {QStringLiteral("i"), m.date}});
  }
}

// A drug therapy service with its line, cycle and one drug.
OncoSheet::Service DrugTherapy() {
  OncoSheet::Service s;
  s.type = 2;
  s.line = 1;
  s.cycle = 1;
  s.medicals = {OncoSheet::Medical{}};
  return s;
}

// Radiotherapy with its type, the dose and fractions given.
void Radiotherapy(OncoSheet& o) {
  OncoSheet::Service s;
  s.type = 3;
  s.rtype = 1;
  o.services = {s};
  o.dose = 40;
  o.fractions = 5;
}

}  // namespace

TEST(ReceptionProcedures, SpProverkiOncoGivesEachOutput) {
  test::RegistryFixture f;
  using Change = std::function<void(OncoSheet&)>;
  const auto diagnostic = [](QVariant type, QVariant gs, QVariant gt, QVariant mark, QVariant mr) {
    return [=](OncoSheet& o) { o.diagnostics = {{type, Day(2026, 3, 2), gs, gt, mark, mr}}; };
  };
  const auto drug = [](std::function<void(OncoSheet::Service&)> change) {
    return [=](OncoSheet& o) {
      OncoSheet::Service s = DrugTherapy();
      change(s);
      o.services = {s};
    };
  };
  struct Case {
    const char* what;
    Change change;
    const char* output;  // without OUT_ERR_; null: every output 0
    int value;
  } cases[] = {
      {"complete", [](OncoSheet&) {}, nullptr, 0},
      {"complete drug therapy", [](OncoSheet& o) { o.services = {DrugTherapy()}; }, nullptr, 0},
      {"complete radiotherapy", Radiotherapy, nullptr, 0},
      {"stage missing", [](OncoSheet& o) { o.stage = QVariant(); }, "STAGE", 1},
      {"stage of another diagnosis", [](OncoSheet& o) { o.stage = 9; }, "STAGE", 2},
      {"tumour missing", [](OncoSheet& o) { o.tumor = QVariant(); }, "TUMOR", 1},
      {"tumour wrong", [](OncoSheet& o) { o.tumor = 99; }, "TUMOR", 2},
      {"a child gives no tumour",
       [](OncoSheet& o) {
         o.age = 10;
         o.tumor = QVariant();
       },
       "TUMOR", 0},
      {"nodes missing", [](OncoSheet& o) { o.nodus = QVariant(); }, "NODUS", 1},
      {"nodes wrong", [](OncoSheet& o) { o.nodus = 7; }, "NODUS", 2},
      {"metastases missing", [](OncoSheet& o) { o.metas = QVariant(); }, "METAS", 1},
      {"metastases wrong", [](OncoSheet& o) { o.metas = 5; }, "METAS", 2},
      {"distant metastases at a first treatment", [](OncoSheet& o) { o.dist = 1; }, "DIST_METAS",
       1},
      {"distant metastases at a relapse",
       [](OncoSheet& o) {
         o.dist = 1;
         o.cause = 1;
       },
       "DIST_METAS", 0},
      {"radiotherapy without its dose",
       [](OncoSheet& o) {
         Radiotherapy(o);
         o.dose = QVariant();
       },
       "DOSE", 1},
      {"refusal without its code",
       [](OncoSheet& o) {
         o.declines = {{QVariant(), Day(2026, 3, 4)}};
       },
       "DECLINE", 1},
      {"refusal without its date",
       [](OncoSheet& o) {
         o.declines = {{1, QVariant()}};
       },
       "DATE_DECLINE", 1},
      {"diagnostics without a type", diagnostic(QVariant(), {}, {}, {}, {}), "DIAGNOSTIC_TYPE", 1},
      {"histology without its sign", diagnostic(1, QVariant(), QVariant(), {}, {}), "G_SIGN", 1},
      {"histology of an unknown sign", diagnostic(1, 9, 1, {}, {}), "G_SIGN", 2},
      {"histology without its result", diagnostic(1, 1, QVariant(), {}, {}), "G_TEST", 1},
      {"histology with another sign's result", diagnostic(1, 1, 3, {}, {}), "G_TEST", 2},
      {"histology with its sign's result", diagnostic(1, 2, 3, {}, {}), "G_TEST", 0},
      {"marker missing", diagnostic(2, {}, {}, QVariant(), QVariant()), "MARKER", 1},
      {"marker unknown", diagnostic(2, {}, {}, 9, 1), "MARKER", 2},
      {"marker without its result", diagnostic(2, {}, {}, 1, QVariant()), "M_RES", 1},
      {"marker with another marker's result", diagnostic(2, {}, {}, 1, 3), "M_RES", 2},
      {"direction without its date",
       [](OncoSheet& o) {
         o.directs = {{1, {}, {}, QVariant()}};
       },
       "DIRECT_DATE", 1},
      {"direction without its kind",
       [](OncoSheet& o) {
         o.directs = {{QVariant(), {}, {}, Day(2026, 3, 9)}};
       },
       "DIRECT_TYPE", 1},
      {"examination direction without its method",
       [](OncoSheet& o) {
         o.directs = {{3, QVariant(), QStringLiteral("A06.09.005"), Day(2026, 3, 9)}};
       },
       "METHOD", 1},
      {"examination direction without its service",
       [](OncoSheet& o) {
         o.directs = {{3, 1, QStringLiteral(" "), Day(2026, 3, 9)}};
       },
       "USLUG_TO", 1},
      {"radiotherapy without its fractions",
       [](OncoSheet& o) {
         Radiotherapy(o);
         o.fractions = QVariant();
       },
       "FRACTIONS", 1},
      {"a first treatment without services", [](OncoSheet& o) { o.services.clear(); }, "ONCO_USLUG",
       1},
      {"a relapse need not name services",
       [](OncoSheet& o) {
         o.services.clear();
         o.cause = 1;
       },
       "ONCO_USLUG", 0},
      {"no cause", [](OncoSheet& o) { o.cause = QVariant(); }, "ID_CAUSE", 1},
      {"no oncology row", [](OncoSheet& o) { o.hasOnco = false; }, "ID_ONCO", 1},
      {"a suspicion needs no oncology row",
       [](OncoSheet& o) {
         o.hasOnco = false;
         o.status = 2;
       },
       "ID_ONCO", 0},
      {"a diagnostic without its date", [](OncoSheet& o) { o.diagnostics[0].date = QVariant(); },
       "DIAG_DATE", 1},
      {"no consilium", [](OncoSheet& o) { o.hasConsilium = false; }, "CONSILIUM", 1},
      {"a suspicion without a consilium",
       [](OncoSheet& o) {
         o.hasConsilium = false;
         o.hasOnco = false;
         o.status = 2;
       },
       "CONSILIUM", 1},
      {"consilium without its purpose", [](OncoSheet& o) { o.prCons = QVariant(); }, "PR_CONS", 1},
      {"consilium held without its date", [](OncoSheet& o) { o.dtCons = QVariant(); }, "DT_CONS",
       1},
      {"consilium not held needs no date",
       [](OncoSheet& o) {
         o.prCons = 0;
         o.dtCons = QVariant();
       },
       "DT_CONS", 0},
      {"service without its type",
       [](OncoSheet& o) { o.services = {OncoSheet::Service{QVariant()}}; }, "U_TYPE", 1},
      {"drug therapy without its line", drug([](auto& s) { s.line = QVariant(); }), "ID_T_LINE", 1},
      {"drug therapy without its cycle", drug([](auto& s) { s.cycle = QVariant(); }), "ID_T_CYCLE",
       1},
      {"radiotherapy without its type",
       [](OncoSheet& o) {
         Radiotherapy(o);
         o.services[0].rtype = QVariant();
       },
       "R_TYPE", 1},
      {"drug therapy without drugs", drug([](auto& s) { s.medicals.clear(); }), "ONCO_MEDICALS", 1},
      {"a drug without its code", drug([](auto& s) { s.medicals[0].drug = QStringLiteral(""); }),
       "CODE_DRUG", 1},
      {"a drug without its scheme", drug([](auto& s) { s.medicals[0].schem = QStringLiteral(""); }),
       "CODE_SCHEM", 1},
      {"a scheme for a child",
       [drug](OncoSheet& o) {
         drug([](auto&) {})(o);
         o.age = 10;
       },
       "CODE_SCHEM", 2},
      {"the scheme \"нет\" for an adult",
       drug([](auto& s) { s.medicals[0].schem = QStringLiteral("нет"); }), "CODE_SCHEM", 3},
      {"a drug without its dates", drug([](auto& s) { s.medicals[0].date = QVariant(); }),
       "DATE_INJ", 1},
  };
  int id = 500;
  for (const Case& c : cases) {
    OncoSheet o;
    c.change(o);
    WriteOnco(f, ++id, o);
    FbQuery q(f.Db());
    q.setSql(QStringLiteral(
        "select * from SP_PROVERKI_ONCO(:ID_ILL, 1, :OUT_STAC, 'C50.9', '', '', '', :STATUS, "
        ":AGE, 1)"));
    q.setParam(QStringLiteral("ID_ILL"), id);
    q.setParam(QStringLiteral("OUT_STAC"), Day(2026, 3, 10));
    q.setParam(QStringLiteral("STATUS"), o.status);
    q.setParam(QStringLiteral("AGE"), o.age);
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1) << c.what;
    const QStringList names = q.FieldNames();
    ASSERT_EQ(names.size(), 33);
    for (const QString& name : names) {
      const bool named = c.output && name == QStringLiteral("OUT_ERR_") + QLatin1String(c.output);
      EXPECT_EQ(q.FieldByName(name).toInt(), named ? c.value : 0)
          << c.what << ": " << name.toStdString();
    }
  }
}
