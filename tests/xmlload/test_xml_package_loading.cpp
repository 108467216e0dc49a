// The loading of XML packages into a registry database of the test's own:
// packages built by code are loaded, and the rows are compared with the
// elements they came from.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "../reception/registry_fixture.h"
#include "recording_run_user.h"
#include "xml_package_builder.h"
#include "xmlload/xml_package_loader.h"
#include "xmlload/xml_tags.h"

namespace kelmo {
namespace {

using test::XCase;
using test::XPerson;
using test::XSheet;

using RecordingUser = test::RecordingRunUser;

const QString kPackage = QStringLiteral("HS45001M450001_2403001");

class Loading : public ::testing::Test {
 protected:
  Loading() : tr(reg.Db()) {
    in.RegistryFolder = dir.path();
    in.WhoDetail = WhoDetail(1);
    in.PayKindName = QStringLiteral("ОМС");
    in.YearText = QStringLiteral("2024");
    in.MonthIndex = 2;
    in.PeriodStart = QDate(2024, 3, 1);
    in.PeriodEnd = QDate(2024, 3, 31);
    in.ComputerName = QStringLiteral("ws-test");
    rSender sender;
    sender.Code = QStringLiteral("M450001");
    sender.Kind = PartyKind::Institution;
    sender.Number = 450001;
    sender.LpuId = 1;
    rAdresat a;
    a.Code = QStringLiteral("S45001");
    a.Kind = PartyKind::Insurer;
    a.Number = 1;
    rFile f;
    f.SourceName = kPackage + QStringLiteral(".zip");
    f.NSchet = QStringLiteral("11");
    f.Code = 7;
    f.DSchet = QDate(2024, 4, 2);
    f.LName = "L" + kPackage.mid(1);
    f.HName = kPackage;
    a.Files << f;
    sender.Adresats << a;
    lists.SenderList << sender;
    rRepn report;
    report.TipStac = 1;
    lists.ReportLists[Population::Local] << report;
    folder = dir.filePath("temp/" + f.SourceName);
    QDir().mkpath(folder);
    // Codes of the test's own, in place of the demonstration ones.
    reg.Exec("delete from ishod_fed");
    reg.Exec("delete from result_fed");
    reg.Exec("insert into ishod_fed (idiz, old_id, datebeg) values (101, 7, '01.01.2020')");
    reg.Exec("insert into result_fed (idrmp, old_result, datebeg) values (101, 3, '01.01.2020')");
    reg.Exec(
        "insert into spr_ksg_group (id, ksg_id, dop_mkb, ts, dbeg) values (9001, '55', 'E11', 1, "
        "'01.01.2020')");
  }

  // The ordinary pair of the package: persons and cases.
  void Write(const std::vector<XPerson>& persons, const std::vector<XCase>& cases,
             const QString& dataFormat = {}) {
    test::WriteBytes(folder + "/L" + kPackage.mid(1) + ".xml",
                     test::PersonFileBytes(kPackage, persons, dataFormat));
    test::WriteBytes(folder + "/" + kPackage + ".XML", test::MainFileBytes(cases));
  }

  int Load(int repn = -1) {
    XmlLoadServices sv{reg.Db(), tr, user, lists, state, run, acts, entry};
    return LoadXmlPackage(in, sv, repn);
  }

  QVariant Value(const QString& sql) {
    FbQuery q(reg.Db());
    q.setSql(sql);
    q.Open();
    return q.Eof() ? QVariant() : q.Value(0, 0);
  }
  int Count(const QString& sql) { return Value("select count(*) from " + sql).toInt(); }

  test::RegistryFixture reg;
  FbTransaction tr;
  QTemporaryDir dir;
  QString folder;
  XmlLoadInputs in;
  PackageLists lists;
  ReceptionState state;
  RunState run;
  RecordingUser user;
  std::function<void(const SankCall&)> acts;
  std::function<void(const CaseEntrySanctions&)> entry;
};

// One case with everything an institution's package carries; every column
// checked against the element it comes from.
TEST_F(Loading, InstitutionPackageRowsMatchTheElements) {
  XPerson p;
  p.extra =
      "<SNILS>123-456-789 01</SNILS><KLADRG>45000001000</KLADRG><OKATOG>37401</OKATOG>"
      "<MR>г. Курган</MR><DOST>1</DOST><DOST>3</DOST><FAM_P>Петрова</FAM_P><IM_P>Анна</IM_P>"
      "<OT_P>Ивановна</OT_P><W_P>2</W_P><DR_P>1962-01-02</DR_P><DOST_P>2</DOST_P>";
  XCase c;
  c.pacientExtra = "<SPOLIS>AB</SPOLIS><MCOD>450001</MCOD>";
  c.zslExtra =
      "<DS0>j18.</DS0><NPR_MO>450002</NPR_MO><NPR_DATE>2024-02-28</NPR_DATE>"
      "<SANK_IT>100.50</SANK_IT><SANK><S_CODE>a1</S_CODE><S_SUM>60.50</S_SUM><S_TIP>1</S_TIP>"
      "<S_OSN>51</S_OSN><S_COM>нет 'полиса'</S_COM><S_IST>1</S_IST></SANK>"
      "<SANK><S_CODE>a2</S_CODE><S_SUM>40</S_SUM><S_TIP>1</S_TIP><S_OSN>52</S_OSN>"
      "<S_IST>1</S_IST></SANK><P_PER>1</P_PER>";
  XSheet s;
  s.ds1 = "a01.";
  s.extra =
      "<RSLT>101</RSLT><ISHOD>101</ISHOD><EXTR>2</EXTR><PRVS>76</PRVS><SUMV_ONE>10,25</SUMV_ONE>"
      "<KSG_KPG><DKK1>sh01</DKK1><CRIT>it1</CRIT><CRIT>it2</CRIT></KSG_KPG>"
      "<DS2><CODE_DS>I11</CODE_DS><CODE_MES>m1</CODE_MES></DS2>"
      "<DS2><CODE_DS>E11</CODE_DS><CODE_MES>m2</CODE_MES></DS2><DS3>K20</DS3>"
      "<MES_IT>5</MES_IT><DS_IT>I21</DS_IT>"
      "<LEKAR><MNN>10</MNN><DOZ><ED>3</ED><VALUE>2,5</VALUE></DOZ><KOL><ED>1</ED>"
      "<VALUE>4</VALUE></KOL><DATE_1>2024-03-02</DATE_1><DATE_2>2024-03-05</DATE_2></LEKAR>"
      "<USL><CODE_USL>A16.01</CODE_USL><DS>I10</DS><KOL_USL>1,5</KOL_USL>"
      "<DATE_IN>2024-03-04</DATE_IN><CODE_MD>77</CODE_MD><NPL>2</NPL></USL>"
      "<USL><CODE_USL> </CODE_USL></USL>";
  c.sheets = {s};
  Write({p}, {c});
  in.KvillonPath = "/kvillon/";
  QList<CaseEntrySanctions> entries;
  entry = [&entries](const CaseEntrySanctions& e) { entries << e; };

  const int repn = Load();
  EXPECT_GT(repn, 0);
  EXPECT_TRUE(state.PassHasData);
  for (const XmlLoadError& e : state.XmlLoadErrors) ADD_FAILURE() << e.Text.toStdString();
  EXPECT_EQ(run.PackageExprVer, "3.1/7");
  // A load that succeeds keeps no record's lines: the log stays small
  // whatever the package's size.
  EXPECT_TRUE(run.Log.Lines().filter("Чтение тэга").isEmpty());
  ASSERT_EQ(Count(QStringLiteral("stacion where repn=%1").arg(repn)), 1);
  const QString stacion = QStringLiteral(" from stacion where repn=%1").arg(repn);
  const struct {
    const char* column;
    QVariant expected;
  } stacionCases[] = {
      {"family", "ПЕТРОВ"},
      {"name", "ПЁТР"},
      {"pol", 1},
      {"dr", QDateTime(QDate(1960, 5, 20), QTime(0, 0))},
      {"d_seria", "45 10"},
      {"d_nomber", "123456"},
      {"nomib", "101"},
      {"polis", "2778"},
      {"pol_obl", "1137"},
      {"in_stac", QDateTime(QDate(2024, 3, 1), QTime(0, 0))},
      {"out_stac", QDateTime(QDate(2024, 3, 10), QTime(0, 0))},
      {"napr_diag", "J18"},
      {"napravlen", 450002},
      {"napr_date", QDateTime(QDate(2024, 2, 28), QTime(0, 0))},
      {"vozrast", 63},
      {"vozrastm", 765},
      {"sres_lechen", 7},
      {"sishod_lece", 3},
      {"stac_diags", "I10"},
      {"vpolis", 3},
      {"seria", "AB"},
      {"number", "4550000000000001"},
      {"mcod", "450001"},
      {"snils", "123-456-789 01"},
      {"okatog", "37401"},
      {"okatop", QVariant()},
      {"mr", "г. Курган"},
      {"dost", "13"},
      {"kl_reg", "45"},
      {"kl_ray", "000"},
      {"kl_g", "001"},
      {"kl_punkt", "000"},
      {"kl_street", QVariant()},
      {"idcase", 1},
      {"rslt", 101},
      {"ishod", 101},
      {"f_docs", "14"},
      {"p_per", "1"},
      {"sum_mek", 100.5},
      {"expert", 4},
      {"mtlcostmtl", 100.5},
      {"mtlcnt", 1},
      {"onco_sluch", QVariant()},
      {"sootvtstv", 1},
  };
  for (const auto& c : stacionCases) {
    const QVariant v = Value(QStringLiteral("select ") + c.column + stacion);
    if (c.expected.isNull())
      EXPECT_TRUE(v.isNull()) << c.column << " = " << v.toString().toStdString();
    else
      EXPECT_EQ(v.toString().toStdString(), c.expected.toString().toStdString()) << c.column;
  }
  const QString mtl = QStringLiteral(" from mtl where repn=%1").arg(repn);
  const struct {
    const char* column;
    QVariant expected;
  } mtlCases[] = {
      {"nom_mtl", 1},
      {"oplat", 1},
      {"stac_diag", "A01"},
      {"kod_mes", "1001001"},
      {"urmes", 1},
      {"vid_pom", 31},
      {"rslt", 101},
      {"ishod", 101},
      {"res_lechen", 7},
      {"ishod_lece", 3},
      {"extren", 1},
      {"prvs", 76},
      {"iddokt", "1234"},
      {"kash_mes", 1},
      {"stan_obsl", 1},
      {"criteries", "it1;it2"},
      {"accomp1", "I11"},
      {"mes_acc2", "m2"},
      {"accomp3", QVariant()},
      {"comp1", "K20"},
      {"kod_mes_it", "5"},
      {"reanim", 5},
      {"dreanim", "I21"},
      {"intensiv", QVariant()},
      {"cost_sf", 15000.5},
      {"ocncost", 15000.5},
      {"profil_bed", 12},
      {"pr_fed", 29},
      {"profile", 0},
      {"kdguzo", 9},
      {"interrupt", 1},
      {"vmp_met", QVariant()},
      {"startd", QDateTime(QDate(2024, 3, 1), QTime(0, 0))},
  };
  for (const auto& c : mtlCases) {
    const QVariant v = Value(QStringLiteral("select ") + c.column + mtl);
    if (c.expected.isNull())
      EXPECT_TRUE(v.isNull()) << c.column << " = " << v.toString().toStdString();
    else
      EXPECT_EQ(v.toString().toStdString(), c.expected.toString().toStdString()) << c.column;
  }
  EXPECT_EQ(Count("diags where status=23"), 2);
  EXPECT_EQ(Count("diags where status=22 and diag='K20' and mes is null"), 1);
  EXPECT_EQ(Count("lekar where mnn=10 and doz_val=2.5 and kol_val=4 and dend='05.03.2024'"), 1);
  EXPECT_EQ(Count(QStringLiteral("operat where repn=%1").arg(repn)), 1);
  EXPECT_EQ(
      Value("select vid_vme || '/' || diag_usl || '/' || multi || '/' || iddokt || '/' || npl "
            "from operat"),
      "A16.01/I10/1.50/77/2");
  EXPECT_EQ(Value("select date_oper from operat").toDateTime().date(), QDate(2024, 3, 4));
  EXPECT_EQ(Value("select family || ' ' || name || ' ' || pol || ' ' || obl || ' ' || dost || ' ' "
                  "|| seria from parents"),
            "ПЕТРОВА АННА 2 1137 2 AB");
  // The bookkeeping of the pass.
  EXPECT_EQ(Value(QStringLiteral("select smo_mcod || '/' || num || '/' || code || '/' || nschet || "
                                 "'/' || lpu_mcod from xml_files where repn=%1")
                      .arg(repn)),
            "45001/1/7/11/450001");
  EXPECT_EQ(Value(QStringLiteral("select sum_sf || '/' || xmlrep || '/' || tip_stac || '/' || "
                                 "inogor || '/' || who_prin from reports where repn=%1")
                      .arg(repn)),
            "15000.5000/1/1/0/WS-TEST");
  // The case's stages and the report's sums.
  ASSERT_EQ(lists.XmlPatients.size(), 1);
  EXPECT_EQ(lists.XmlPatients[0].Key, "P1");
  ASSERT_EQ(lists.XmlPatients[0].Stages.size(), 1);
  EXPECT_DOUBLE_EQ(lists.XmlPatients[0].Stages[0].SumvOne, 10.25);
  // The case-entry program gets both sanctions of the case at once.
  ASSERT_EQ(entries.size(), 1);
  EXPECT_EQ(entries[0].CaseNumber, 1);
  EXPECT_EQ(entries[0].ReportDate, QDate(2024, 3, 1));
  ASSERT_EQ(entries[0].Sanctions.size(), 2);
  EXPECT_EQ(entries[0].Sanctions[0].SCom, "нет 'полиса'");
  EXPECT_EQ(entries[0].Sanctions[1].SSum, Money::FromRoubles(40));
}

TEST_F(Loading, FundReceivingCallsTheActsDatabaseOncePerSanction) {
  XCase c;
  c.zslExtra =
      "<SANK_IT>10</SANK_IT><SANK><S_SUM>4</S_SUM><S_OSN>5</S_OSN></SANK>"
      "<SANK><S_SUM>6</S_SUM><S_OSN>6</S_OSN></SANK>";
  Write({XPerson{}}, {c});
  in.WhoDetail = WhoDetail(2);
  in.ActsEnabled = true;
  QList<SankCall> calls;
  acts = [&calls](const SankCall& s) { calls << s; };
  Load();
  ASSERT_EQ(calls.size(), 2);
  EXPECT_EQ(calls[0].Smo, 45001);
  EXPECT_EQ(calls[1].Sumv, Money::FromRoubles(10));
  EXPECT_EQ(calls[0].IdCase, Value("select id_ill from stacion").toInt());
  EXPECT_EQ(Value("select sum_mek || '/' || expert from stacion"), "10.0000/4");
}

TEST_F(Loading, InsurerOrFormingStoresNoSanctionSums) {
  XCase c;
  c.zslExtra = "<SANK_IT>10</SANK_IT>";
  Write({XPerson{}}, {c});
  in.WhoDetail = WhoDetail(2778);
  Load();
  EXPECT_TRUE(Value("select sum_mek from stacion").isNull());
  EXPECT_TRUE(Value("select expert from stacion").isNull());
}

// Cases that cannot be loaded are left out whole and named; the others load.
TEST_F(Loading, RefusedCasesAreLeftOutWholeAndNamed) {
  XPerson blank;
  blank.idPac = "P2";
  blank.fam = "Безымянный";
  blank.dr = " ";
  std::vector<XCase> cases(6);
  cases[0].smo = "99999";  // unknown insurer
  cases[0].nhistory = "h-unknown";
  cases[1].idPac = "NOBODY";  // no such person: only this case is skipped
  cases[2].nhistory = "h-dup";
  cases[2].sheets = {XSheet{}, XSheet{}};  // SL_ID 1 twice
  cases[3].nhistory = "h-long";
  XSheet longDiag;
  longDiag.ds1 = "A01.234567";  // longer than the column: the sheet fails, so does the case
  cases[3].sheets = {XSheet{}, longDiag};
  cases[3].sheets[1].slId = "2";
  cases[4].idPac = "P2";  // blank birth date
  cases[4].nhistory = "h-blank";
  cases[5].nhistory = "h-ok";
  cases[5].vidpom = 99;  // a form the table does not hold is no payment kind
  Write({XPerson{}, blank}, cases);
  Load();
  const XmlLoadErrorList& problems = state.XmlLoadErrors;
  ASSERT_EQ(problems.size(), 3);
  EXPECT_EQ(problems[0].Text, "Неизвестная СМО;");
  EXPECT_EQ(problems[0].Nomib, "h-unknown");
  EXPECT_EQ(problems[0].Family, "ПЕТРОВ");
  EXPECT_EQ(problems[1].Nomib, "h-dup");
  EXPECT_TRUE(problems[1].Text.contains("SL_ID")) << problems[1].Text.toStdString();
  EXPECT_EQ(problems[2].Nomib, "h-long");
  EXPECT_TRUE(problems[2].Text.startsWith("Случай не загружен")) << problems[2].Text.toStdString();
  // Only the case with the blank birth date is in the database, with null ages.
  EXPECT_EQ(Count("stacion"), 1);
  EXPECT_EQ(Count("mtl"), 1);
  EXPECT_EQ(Value("select nomib from stacion"), "h-blank");
  EXPECT_TRUE(Value("select dr from stacion").isNull());
  EXPECT_TRUE(Value("select vozrast from stacion").isNull());
  EXPECT_TRUE(Value("select vozrastm from stacion").isNull());
  EXPECT_EQ(lists.XmlPatients.size(), 1);
  EXPECT_EQ(user.steps, 6);
}

TEST_F(Loading, OncologyPairWritesItsRows) {
  Write({XPerson{}}, {XCase{}});
  lists.SenderList[0].Adresats[0].Files[0].LcName = "LC" + kPackage.mid(1);
  const QString cName = "C" + kPackage.mid(1);
  test::WriteBytes(folder + "/LC" + kPackage.mid(1) + ".xml",
                   test::PersonFileBytes(cName, {XPerson{}}));
  XCase c;
  c.nhistory = "onco";
  XSheet s;
  s.extra =
      "<CONS><PR_CONS>1</PR_CONS><DT_CONS>2024-03-02</DT_CONS></CONS><CONS><PR_CONS>2</PR_CONS></"
      "CONS>"
      "<NAPR><NAPR_DATE>2024-03-03</NAPR_DATE><NAPR_V>3</NAPR_V><NAPR_USL>A06</NAPR_USL></NAPR>"
      "<ONK_SL><DS1_T>1</DS1_T><STAD>5</STAD><SOD>2,5</SOD>"
      "<B_DIAG><DIAG_DATE>2024-03-01</DIAG_DATE><DIAG_TIP>1</DIAG_TIP><DIAG_CODE>4</DIAG_CODE></"
      "B_DIAG>"
      "<B_DIAG><DIAG_TIP>2</DIAG_TIP><DIAG_CODE>7</DIAG_CODE><DIAG_RSLT>8</DIAG_RSLT></B_DIAG>"
      "<B_PROT><PROT>1</PROT><D_PROT>2024-03-02</D_PROT></B_PROT>"
      "<ONK_USL><USL_TIP>2</USL_TIP><LEK_PR><REGNUM>R1</REGNUM><CODE_SH>S1</CODE_SH>"
      "<DATE_INJ>2024-03-02</DATE_INJ><DATE_INJ>2024-03-03</DATE_INJ><DATE_INJ>2024-03-04</"
      "DATE_INJ>"
      "</LEK_PR><LEK_PR><REGNUM>R2</REGNUM></LEK_PR></ONK_USL></ONK_SL><ONK_SL><STAD>9</STAD></"
      "ONK_SL>"
      "<DS_ONK>1</DS_ONK>";
  c.sheets = {s};
  test::WriteBytes(folder + "/" + cName + ".xml", test::MainFileBytes({c}));
  Load();
  EXPECT_TRUE(state.XmlLoadErrors.isEmpty());
  EXPECT_EQ(Count("stacion where onco_sluch=1 and nomib='onco'"), 1);
  EXPECT_EQ(Count("stacion where onco_sluch is null"), 1);
  EXPECT_EQ(Count("consilium where nom_mtl=1"), 2);
  EXPECT_EQ(Count("consilium where dt_cons is null and pr_cons=2"), 1);
  EXPECT_EQ(Count("onco_direct where dir_type=3 and uslug_to='A06' and date_dir='03.03.2024'"), 1);
  EXPECT_EQ(Count("oncology where id_stage=5 and dose=2.5 and weight is null"), 1);
  EXPECT_EQ(Count("onco_diagnostic where diag_type=1 and id_g_s=4 and id_g_t is null"), 1);
  EXPECT_EQ(Count("onco_diagnostic where diag_type=2 and id_mark=7 and id_m_r=8"), 1);
  EXPECT_EQ(Count("onco_decline where id_dec=1"), 1);
  EXPECT_EQ(Count("onco_uslug where id_u_type=2"), 1);
  EXPECT_EQ(Count("onco_medicals where code_drug='R1' and code_schem='S1'"), 3);
  EXPECT_EQ(Count("mtl where ds_onk=1"), 1);
}

TEST_F(Loading, OncologyElementOutsideAnOncologyFileStopsTheReception) {
  XCase first;
  first.nhistory = "first";
  XCase napr;
  napr.idcase = 2;
  napr.sheets[0].extra = "<NAPR><NAPR_V>1</NAPR_V></NAPR><ONK_SL><STAD>1</STAD></ONK_SL>";
  Write({XPerson{}}, {first, napr});
  try {
    Load();
    FAIL() << "loaded";
  } catch (const XmlLoadStopped& stop) {
    EXPECT_EQ(QString::fromUtf8(stop.what()),
              "Недопустимый тэг \"NAPR\" для файла " + kPackage +
                  ". Дальнейший приём/формирование отчёта невозможен.");
  }
  // The case before stays committed; nothing of the refused one, no bookkeeping.
  tr.Rollback();
  EXPECT_EQ(Count("stacion"), 1);
  EXPECT_EQ(Value("select nomib from stacion"), "first");
  EXPECT_EQ(Count("onco_direct"), 0);
  EXPECT_EQ(Count("reports"), 0);
}

TEST_F(Loading, SanctionThatIsNoMoneyStopsTheReception) {
  XCase c;
  c.zslExtra = "<SANK_IT>десять</SANK_IT>";
  Write({XPerson{}}, {c});
  EXPECT_THROW(Load(), XmlLoadStopped);
  tr.Rollback();
  EXPECT_EQ(Count("stacion"), 0);
  // The values read of the failing case are in the run's log.
  const QStringList log = run.Log.Lines();
  EXPECT_TRUE(log.contains("Чтение данных случая из файла H."));
  EXPECT_TRUE(log.contains("Чтение тэга: IDCASE"));
}

TEST_F(Loading, UnreadableMainFileLoadsNothing) {
  // The first cases are fine; the file breaks after them.
  QByteArray main = test::MainFileBytes({XCase{}, XCase{}});
  main.chop(12);
  Write({XPerson{}}, {});
  test::WriteBytes(folder + "/" + kPackage + ".XML", main);
  try {
    Load();
    FAIL() << "loaded";
  } catch (const XmlFileRefused& e) {
    EXPECT_TRUE(QString::fromUtf8(e.what()).contains(kPackage)) << e.what();
  }
  tr.Rollback();
  EXPECT_EQ(Count("stacion"), 0);
}

TEST_F(Loading, PassWithoutReportsLoadsNothing) {
  Write({XPerson{}}, {XCase{}});
  lists.ReportLists[Population::Local].clear();
  EXPECT_EQ(Load(77), 77);
  EXPECT_FALSE(state.PassHasData);
  EXPECT_EQ(Count("stacion"), 0);
}

TEST_F(Loading, AdmissionWindowAndPayKind) {
  std::vector<XCase> cases(5);
  cases[0].dateZ2 = "2024-02-20";  // the month before, with result 105: taken
  cases[0].rslt = 105;
  cases[0].nhistory = "prev-105";
  cases[1].dateZ2 = "2024-02-20";  // the month before, result 101: not taken
  cases[1].nhistory = "prev-101";
  cases[2].dateZ2 = "2023-12-10";  // PR_NOV 1 before the period: taken
  cases[2].nhistory = "nov";
  cases[3].dateZ2 = "2024-04-02";  // after the period: not taken
  cases[3].nhistory = "after";
  cases[4].vidpom = 32;  // high-tech care in an OMS reception: not taken, and said
  cases[4].nhistory = "vmp";
  Write({XPerson{}}, cases);
  // PR_NOV of the third case.
  QFile main(folder + "/" + kPackage + ".XML");
  main.open(QIODevice::ReadOnly);
  QByteArray bytes = main.readAll();
  main.close();
  const int third = bytes.indexOf("<N_ZAP>1</N_ZAP><PR_NOV>0</PR_NOV>",
                                  bytes.indexOf("<NHISTORY>prev-101</NHISTORY>"));
  bytes.replace(third, 34, "<N_ZAP>1</N_ZAP><PR_NOV>1</PR_NOV>");
  test::WriteBytes(folder + "/" + kPackage + ".XML", bytes);
  in.MonthIndex = 6;  // the payment-kind message is shown from July 2018 on
  Load();
  QStringList taken;
  FbQuery q(reg.Db());
  q.setSql("select nomib from stacion order by nomib");
  q.Open();
  for (int i = 0; i < q.RecordCount(); ++i) taken << q.Value(i, 0).toString();
  for (const XmlLoadError& e : state.XmlLoadErrors) ADD_FAILURE() << e.Text.toStdString();
  EXPECT_EQ(taken, (QStringList{"nov", "prev-105"}));
  ASSERT_EQ(user.messages.size(), 1);
  EXPECT_TRUE(user.messages[0].startsWith("Форма оказания МП \"Высокотехнологичная"))
      << user.messages[0].toStdString();
  EXPECT_TRUE(user.messages[0].endsWith(". Случай будет пропущен."));
}

// The reference files of an institution's package: every element lands in
// its column, new rows are inserted, changed ones updated, and the files
// move into "temp" while the package's folder goes.
TEST_F(Loading, ReferenceFilesLoadTheirRows) {
  Write({XPerson{}}, {XCase{}});
  reg.Exec(
      "insert into vrachi (emp_id, spec_code, md_code, surname, name, patr_name, birth_dt, "
      "start_date, mcod, category_code) values (20, 5, 2, 'Сидоров', 'Олег', 'Олегович', "
      "'01.02.1970', '01.01.2010', 450001, 1)");
  reg.Exec(
      "insert into departament (dep_code, name, from_dt, mcod, type, address) values (7, "
      "'Хирургия', '01.01.2015', 450001, 1, 'ул. Ленина, 1')");
  reg.Exec(
      "insert into departament (dep_code, name, from_dt, mcod, type) values (8, 'Старое', "
      "'01.01.2015', 450001, 1)");
  for (const int profile : {1, 2, 3})
    reg.Exec(
        QStringLiteral("insert into profile_list (profile, dep_code) values (%1, 7)").arg(profile));
  reg.Exec("insert into spr_lekar_trn (id, name_rus, name_latin) values (2, 'Старое', 'Vetus')");
  test::WriteBytes(
      folder + "/EMP_LIST_450001.XML",
      test::Cp1251("<?xml version=\"1.0\" encoding=\"windows-1251\"?><EMP_LIST>"
                   "<EMPLOYEE><EMP_ID> 10 </EMP_ID><SPEC_CODE>76</SPEC_CODE><MD_CODE>3</MD_CODE>"
                   "<SURNAME>О'Брайен</SURNAME><NAME>Анна</NAME><PATR_NAME>Ивановна</PATR_NAME>"
                   "<BIRTH_DT>1980-04-05</BIRTH_DT><START_DATE>2020-01-09</START_DATE>"
                   "<MCOD>450001</MCOD><CATEGORY_CODE>2</CATEGORY_CODE></EMPLOYEE>"
                   "<EMPLOYEE><EMP_ID>11</EMP_ID><SURNAME>Без специальности</SURNAME></EMPLOYEE>"
                   "<EMPLOYEE><EMP_ID>20</EMP_ID><MD_CODE>2</MD_CODE><SURNAME>Сидоров</SURNAME>"
                   "<NAME>Олег</NAME><PATR_NAME>Олегович</PATR_NAME><BIRTH_DT>1970-02-01</BIRTH_DT>"
                   "<START_DATE>2010-01-01</START_DATE><END_DATE>2024-03-15</END_DATE>"
                   "<MCOD>450001</MCOD><CATEGORY_CODE>1</CATEGORY_CODE></EMPLOYEE></EMP_LIST>"));
  test::WriteBytes(
      folder + "/DEP_LIST_450001.XML",
      test::Cp1251(
          "<?xml version=\"1.0\" encoding=\"windows-1251\"?><DEP_LIST>"
          "<DEPARTMENT><DEP_CODE>7</DEP_CODE><NAME>Хирургия</NAME><FROM_DT>2015-02-01</FROM_DT>"
          "<MCOD>450001</MCOD><TYPE>1</TYPE><ADDRESS>ул. Ленина, 1</ADDRESS>"
          "<PROFILE_LIST><PROFILE>3</PROFILE><PROFILE>4</PROFILE></PROFILE_LIST></DEPARTMENT>"
          "<DEPARTMENT><DEP_CODE>8</DEP_CODE><NAME>Новое 'имя'</NAME><FROM_DT>2015-01-01</FROM_DT>"
          "<MCOD>450001</MCOD><TYPE>1</TYPE><PROFILE_LIST/></DEPARTMENT>"
          "<DEPARTMENT><DEP_CODE>9</DEP_CODE><NAME>Терапия</NAME><FROM_DT>2016-03-04</FROM_DT>"
          "<TO_DT>2030-12-31</TO_DT><MCOD>450001</MCOD><TYPE>2</TYPE>"
          "<PROFILE_LIST><PROFILE>29</PROFILE></PROFILE_LIST></DEPARTMENT></DEP_LIST>"));
  test::WriteBytes(
      folder + "/HOLDING.XML",
      test::Cp1251("<?xml version=\"1.0\" encoding=\"windows-1251\"?><HOLDINGS>"
                   "<HOLDING><ID>1</ID><NAME> Аспирин </NAME><LATIN_NAME>Aspirinum</LATIN_NAME>"
                   "<INN_ID>101</INN_ID></HOLDING>"
                   "<HOLDING><ID>2</ID><NAME>Новое</NAME><LATIN_NAME/><INN_ID></INN_ID></HOLDING>"
                   "</HOLDINGS>"));
  // A copy of the employees already in "temp" (an earlier package's) stays.
  test::WriteBytes(dir.filePath("temp/EMP_LIST_450001.XML"), "earlier");

  Load();
  for (const QString& m : user.messages) ADD_FAILURE() << m.toStdString();
  const struct {
    const char* sql;
    const char* expected;
  } rows[] = {
      {"select spec_code || '/' || md_code || '/' || surname || '/' || name || '/' || patr_name "
       "|| '/' || mcod || '/' || category_code from vrachi where emp_id=10",
       "76/3/О'Брайен/Анна/Ивановна/450001/2"},
      {"select birth_dt from vrachi where emp_id=10", "1980-04-05T00:00:00.000"},
      {"select start_date from vrachi where emp_id=10", "2020-01-09T00:00:00.000"},
      {"select coalesce(end_date, 'null') from vrachi where emp_id=10", "null"},
      // Without SPEC_CODE: 0 on insert, null on update.
      {"select spec_code from vrachi where emp_id=11", "0"},
      {"select coalesce(cast(spec_code as varchar(5)), 'null') || '/' || end_date from vrachi "
       "where emp_id=20",
       "null/2024-03-15 00:00:00.0000"},
      // A date given in both is not compared: department 7 keeps its own.
      {"select from_dt || '/' || name || '/' || address from departament where dep_code=7",
       "2015-01-01 00:00:00.0000/Хирургия/ул. Ленина, 1"},
      {"select list(profile, ',') from (select profile from profile_list where dep_code=7 order "
       "by profile)",
       "3,4"},
      // A changed name updates; the address absent is the empty text then.
      {"select name || '/' || address from departament where dep_code=8", "Новое 'имя'/"},
      {"select name || '/' || from_dt || '/' || to_dt || '/' || mcod || '/' || type || '/' || "
       "coalesce(address, 'null') from departament where dep_code=9",
       "Терапия/2016-03-04 00:00:00.0000/2030-12-31 00:00:00.0000/450001/2/null"},
      {"select list(profile) from profile_list where dep_code=9", "29"},
      {"select name_rus || '/' || name_latin || '/' || inn_id from spr_lekar_trn where id=1",
       " Аспирин /Aspirinum/101"},
      {"select name_rus || '/' || coalesce(name_latin, 'null') || '/' || coalesce(inn_id, "
       "'null') from spr_lekar_trn where id=2",
       "Новое/null/null"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(Value(QString::fromUtf8(r.sql)).toString().toStdString(), r.expected) << r.sql;
  EXPECT_EQ(Count("vrachi"), 3);
  // The files are in "temp" (the earlier copy kept), the package folder gone.
  QFile employees(dir.filePath("temp/EMP_LIST_450001.XML"));
  ASSERT_TRUE(employees.open(QIODevice::ReadOnly));
  EXPECT_EQ(employees.readAll(), "earlier");
  EXPECT_TRUE(QFile::exists(dir.filePath("temp/DEP_LIST_450001.XML")));
  EXPECT_TRUE(QFile::exists(dir.filePath("temp/HOLDING.XML")));
  EXPECT_FALSE(QFileInfo::exists(folder));
}

// What a bad element costs: an employee whose key is no number ends the
// employees (their file stays); a refused insert is shown and skipped; a
// department without its profile list ends the departments (their file
// moves); a damaged file is refused before anything of it is written.
TEST_F(Loading, ReferenceFileFailuresEndTheirStep) {
  Write({XPerson{}}, {XCase{}});
  test::WriteBytes(
      folder + "/EMP_LIST_450001.XML",
      test::Cp1251("<?xml version=\"1.0\" encoding=\"windows-1251\"?><EMP_LIST><EMPLOYEE>"
                   "<EMP_ID>1</EMP_ID><SURNAME>" +
                   QString(100, u'Я') +
                   "</SURNAME></EMPLOYEE><EMPLOYEE><EMP_ID>2</EMP_ID></EMPLOYEE>"
                   "<EMPLOYEE><EMP_ID>x7</EMP_ID></EMPLOYEE><EMPLOYEE><EMP_ID>3</EMP_ID>"
                   "</EMPLOYEE></EMP_LIST>"));
  test::WriteBytes(folder + "/DEP_LIST_450001.XML",
                   "<DEP_LIST><DEPARTMENT><DEP_CODE>5</DEP_CODE><PROFILE_LIST/></DEPARTMENT>"
                   "<DEPARTMENT><DEP_CODE>6</DEP_CODE></DEPARTMENT>"
                   "<DEPARTMENT><DEP_CODE>7</DEP_CODE><PROFILE_LIST/></DEPARTMENT></DEP_LIST>");
  Load();
  ASSERT_EQ(user.messages.size(), 3);
  EXPECT_TRUE(user.messages[0].startsWith("insert into vrachi (emp_id"))
      << user.messages[0].toStdString();
  EXPECT_TRUE(user.messages[0].contains("values(1, 0, 0, 'ЯЯЯ")) << user.messages[0].toStdString();
  EXPECT_EQ(user.messages[1], "x7\r2");
  EXPECT_EQ(user.messages[2], "dep\r6\r1");
  EXPECT_EQ(Value("select cast(list(emp_id) as varchar(50)) from vrachi"), "2");
  EXPECT_EQ(Value("select cast(list(dep_code) as varchar(50)) from departament"), "5");
  EXPECT_TRUE(QFile::exists(folder + "/EMP_LIST_450001.XML"));
  EXPECT_FALSE(QFile::exists(dir.filePath("temp/EMP_LIST_450001.XML")));
  EXPECT_TRUE(QFile::exists(dir.filePath("temp/DEP_LIST_450001.XML")));
  EXPECT_FALSE(QFile::exists(folder + "/DEP_LIST_450001.XML"));

  // A holdings file with an entity: refused, named, nothing written.
  Write({XPerson{}}, {XCase{}});
  test::WriteBytes(folder + "/HOLDING.XML",
                   "<!DOCTYPE H [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><H><HOLDING><ID>1</ID>"
                   "<NAME>&e;</NAME><LATIN_NAME/><INN_ID/></HOLDING></H>");
  try {
    Load();
    FAIL() << "loaded";
  } catch (const XmlFileRefused& e) {
    EXPECT_TRUE(QString::fromUtf8(e.what()).contains("HOLDING.XML")) << e.what();
  }
  EXPECT_EQ(Count("spr_lekar_trn"), 0);
}

// The check of the insurer against the policy's region: a case of a package
// takes the region its insurer's row gives, so a home insurer's case is not
// flagged; an insurer of the home exchange territory registered for another
// region still is.
TEST_F(Loading, InsurerRegionCheckFlagsOnlyAMismatch) {
  reg.Exec(
      "insert into smo (o_cod, o_terr, smocod, terr_okato, name) values (2790, '1138', '45009', "
      "'37000', 'Чужая')");
  XCase home;
  home.nhistory = "home";
  XCase other;
  other.idcase = 2;
  other.nhistory = "other";
  other.smo = "45009";
  Write({XPerson{}}, {home, other});
  const int repn = Load();
  const QString check =
      QStringLiteral("select p.osh20 from sp_proverki(%1, 0, 0, 0) p where p.nomib='%2'");
  EXPECT_EQ(Value(check.arg(repn).arg("home")), "0");
  EXPECT_EQ(Value(check.arg(repn).arg("other")), "1");
}

}  // namespace
}  // namespace kelmo
