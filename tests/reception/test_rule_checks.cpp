// The rule checks of a pass on a registry database of its own: the act's
// section, the sanctions stored when the fund receives, the removal of a
// refused case with everything loaded for it, and the limits of the pass.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>
#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "acts_server.h"
#include "domain/application_state.h"
#include "domain/package_lists.h"
#include "firebird/fb_query.h"
#include "reception/rule_checks.h"
#include "registry_fixture.h"
#include "shell/acts_connection.h"

using namespace kelmo;
using test::Day;

namespace {

struct ChecksRun {
  test::RegistryFixture f;
  FbTransaction tr{f.Db()};
  QTemporaryDir dir;
  ReceptionState& state = TheReceptionState();

  ChecksRun() {
    f.Report(3, 1, 1, 1, Day(2026, 3, 1));
    // Case 7: one sheet, no attachment code: a sanction.
    test::RegistryFixture::Stay s;
    s.idIll = 7;
    s.repn = 3;
    s.nomib = QStringLiteral("701");
    f.Case(s);
    f.Exec(QStringLiteral("update stacion set mcod = '' where id_ill = 7"));
    // Case 8: two sheets, the first ending before it starts: refused, and
    // gone before its second sheet's row comes.
    s.idIll = 8;
    s.nomib = QStringLiteral("801");
    s.family = QStringLiteral("ПЕТРОВ");
    s.out = Day(2026, 3, 20);
    f.Case(s);
    f.Sheet(8, 3, 2, Day(2026, 3, 10), Day(2026, 3, 20), QStringLiteral("I10"));
    f.Exec(QStringLiteral("update mtl set finish = '2026-02-28' where id_ill = 8 and nom_mtl = 1"));
    f.Insert(QStringLiteral("PARENTS"), {{QStringLiteral("ID"), 1},
                                         {QStringLiteral("ID_ILL"), 8},
                                         {QStringLiteral("REPN"), 3},
                                         {QStringLiteral("FAMILY"), QStringLiteral("ПЕТРОВА")},
                                         {QStringLiteral("NAME"), QStringLiteral("АННА")},
                                         {QStringLiteral("FATHER"), QStringLiteral("ИВАНОВНА")},
                                         {QStringLiteral("DR"), Day(1990, 1, 1)},
                                         {QStringLiteral("NUMBER"), QStringLiteral("123")},
                                         {QStringLiteral("OBL"), QStringLiteral("1137")}});
    f.Insert(QStringLiteral("MTLUSL"), {{QStringLiteral("ID"), 1},
                                        {QStringLiteral("ID_ILL"), 8},
                                        {QStringLiteral("REPN"), 3},
                                        {QStringLiteral("NOM_MTL"), 1}});
    f.Insert(QStringLiteral("MEK_CASES"),
             {{QStringLiteral("ID_ILL"), 8}, {QStringLiteral("ERROR_TEXT"), QStringLiteral("x")}});
    // Case 9: only a sheet of another payment kind: not this run's.
    s.idIll = 9;
    s.nomib = QStringLiteral("901");
    s.family = QStringLiteral("СИДОРОВ");
    s.oplat = 4;
    s.out = Day(2026, 3, 10);
    f.Case(s);
    f.Exec(QStringLiteral("update stacion set mcod = '' where id_ill = 9"));

    ThePackageLists().ReportLists[Population::Local] = {rRepn{3, 1, {}, {}, {}}};
    state.BadDocumentCases.clear();
    state.XmlLoadErrors.clear();
    state.XmlPackageMode = false;
    state.Act.Create(dir.filePath(QStringLiteral("act.txt")));
  }

  ReceptionInputs Inputs(int who, bool receiving) const {
    ReceptionInputs in;
    in.Receiving = receiving;
    in.PayKind = PayKind::Oms;
    in.YearText = QStringLiteral("2026");
    in.MonthIndex = 2;
    in.LpuId = 1;
    in.WhoDetail = WhoDetail(who);
    return in;
  }

  QStringList Act() {
    state.Act.Close();
    QFile file(dir.filePath(QStringLiteral("act.txt")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringDecoder decode("windows-1251");
    const QString text = decode(file.readAll());
    return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  }

  int Count(const QString& sql) {
    FbQuery q(f.Db(), &tr);
    q.setSql(sql);
    q.Open();
    return q.Value(0, 0).toInt();
  }
};

}  // namespace

TEST(RuleChecks, FundReceivingListsStoresAndRemoves) {
  ChecksRun run;
  ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(2, true));
  run.state.Pass[Population::Local].BlockingErrorsSum = 99;
  RunRuleChecks(ctx, Population::Local);
  const QStringList act = run.Act();
  SCOPED_TRACE(act.join("\n").toStdString());
  // The fund lists no row that does not meet another stay.
  EXPECT_EQ(act, QStringList{"Ошибки, по которым прием реестра пролеченных больных по местному "
                             "населению не возможен не обнаружены."});
  EXPECT_EQ(run.state.Pass[Population::Local].BlockingErrorsSum, 0);
  // The sanction of case 7 is stored with the case's sums.
  EXPECT_EQ(run.Count("select count(*) from mek_cases where id_ill = 7 and error_text = "
                      "'Отсутствует код прикрепления'"),
            1);
  EXPECT_EQ(run.Count("select count(*) from stacion where id_ill = 7 and expert = 4"), 1);
  // Case 8 is removed with everything loaded for it.
  for (const char* table : {"stacion", "mtl", "parents", "mtlusl", "mek_cases"})
    EXPECT_EQ(run.Count(QStringLiteral("select count(*) from %1 where id_ill = 8")
                            .arg(QString::fromLatin1(table))),
              0)
        << table;
  // Case 9 is not this run's: nothing for it.
  EXPECT_EQ(run.Count("select count(*) from mek_cases where id_ill = 9"), 0);
  EXPECT_EQ(run.Count("select count(*) from stacion where id_ill = 9"), 1);
}

TEST(RuleChecks, InstitutionReceivingListsEveryRow) {
  ChecksRun run;
  ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(1, true));
  RunRuleChecks(ctx, Population::Local);
  const QStringList act = run.Act();
  SCOPED_TRACE(act.join("\n").toStdString());
  ASSERT_GE(act.size(), 4);
  EXPECT_EQ(act[0],
            "Обнаружены ошибки по местному населению, на которые были наложены санкции МЭК:");
  EXPECT_TRUE(act.contains("|" + QString("701").rightJustified(15) + "|" +
                           QString("ИВАНОВ").rightJustified(20) + "|" + QString(10, ' ') + "|" +
                           QString("Отсутствует код прикрепления").leftJustified(65) + "|"));
  EXPECT_TRUE(act.filter("Дата окончания лечения по МТЛ меньше даты начала лечения.").size() == 1);
  EXPECT_FALSE(act.join("").contains("901"));
  // An institution receiving stores nothing, but refused cases go.
  EXPECT_EQ(run.Count("select count(*) from mek_cases where id_ill = 7"), 0);
  EXPECT_EQ(run.Count("select count(*) from stacion where id_ill = 8"), 0);
}

TEST(RuleChecks, MoreThanFourReportsAreRefusedUpFront) {
  ChecksRun run;
  ThePackageLists().ReportLists[Population::Local] = {
      rRepn{3, 1, {}, {}, {}}, rRepn{4, 1, {}, {}, {}}, rRepn{5, 1, {}, {}, {}},
      rRepn{6, 1, {}, {}, {}}, rRepn{7, 1, {}, {}, {}}};
  ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(1, true));
  try {
    RunRuleChecks(ctx, Population::Local);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(QString::fromStdString(e.what()),
              "Проверка ошибок принимает не более четырёх отчётов прохода, а их 5.");
  }
  EXPECT_EQ(run.Count("select count(*) from stacion where id_ill = 8"), 1);
  run.Act();
}

TEST(RuleChecks, OutOfRegionPassIdentifiesAgainstTheCentralSegment) {
  ChecksRun run;
  QTemporaryDir centralDir;
  FbDatabase central(QStringLiteral("rule_checks_central"));
  central.setParams(FbDatabase::DefaultParams());
  central.setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/central"));
  central.setDatabaseName(centralDir.filePath(QStringLiteral("central.fdb")));
  central.EnsureExists();
  central.Open();
  // Case 7 moves to an out-of-region report; the register knows nobody.
  run.f.Report(4, 1, 1, 1, Day(2026, 3, 1));
  run.f.Exec(QStringLiteral("update stacion set repn = 4 where id_ill = 7"));
  run.f.Exec(QStringLiteral("update mtl set repn = 4 where id_ill = 7"));
  ThePackageLists().ReportLists[Population::OutOfRegion] = {rRepn{4, 1, {}, {}, {}}};
  run.state.XmlPackageMode = true;
  ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(1, true));
  ctx.Central = &central;
  RunRuleChecks(ctx, Population::OutOfRegion);
  const QStringList act = run.Act();
  SCOPED_TRACE(act.join("\n").toStdString());
  ASSERT_FALSE(act.isEmpty());
  EXPECT_EQ(act[0],
            "Обнаружены ошибки по иногороднему населению, на которые были наложены санкции МЭК:");
  // No attachment-code rule out of the region; the identification finds
  // nobody.
  EXPECT_FALSE(act.join("").contains("Отсутствует код прикрепления"));
  EXPECT_TRUE(act.join("").contains("Запись не проходила страховую идентификацию в ТФ ОМС"));
  EXPECT_EQ(run.state.CurrentPatientName, "ИВАНОВ");
  central.Close();
}

// One fixture case per rule, loaded into a registry database, checked when
// the fund receives with the acts database enabled: each case gives exactly
// its sanctions in `sank` (basis, text, the case's amount on the first) or,
// refused, is gone from the registry with nothing stored.
TEST(RuleChecks, EachRuleOfTheDatabaseGivesItsSanctionOrRefusal) {
  using Fixture = test::RegistryFixture;
  struct Sanction {
    int basis;
    const char* text;
  };
  struct Case {
    const char* what;
    std::function<void(Fixture&, int)> setup;
    std::vector<Sanction> sanctions;  // empty: refused
  };
  const auto sql = [](const char* statement) {
    return [statement](Fixture& fx, int id) {
      fx.Exec(QString::fromUtf8(statement), {{QStringLiteral("id"), id}});
    };
  };
  const auto services = [](std::vector<int> stages) {
    return [stages](Fixture& fx, int id) {
      for (int stage : stages)
        fx.Insert(QStringLiteral("MTLUSL"),
                  {{QStringLiteral("ID_ILL"), id},
                   {QStringLiteral("REPN"), 3},
                   {QStringLiteral("NOM_MTL"), 1},
                   {QStringLiteral("USLUG"), QStringLiteral("A11.20.017")},
                   {QStringLiteral("KOLVO"), 1},
                   {QStringLiteral("STAGE"), stage}});
    };
  };
  const std::vector<Case> cases = {
      {"no attachment code",
       sql("update STACION set MCOD = '' where ID_ILL = :id"),
       {{57, "Отсутствует код прикрепления"}}},
      {"presented again, not presented the month before",
       sql("update STACION set PR_NOV = 1 where ID_ILL = :id"),
       {{55, "Повторно предъявленный случай не предъявлялся в прошлом месяце!"}}},
      {"a bed profile without a plan",
       sql("update MTL set PROFILE = 4 where ID_ILL = :id"),
       {{66, "На профиль \"Неврологический\" нет плана."}}},
      {"an unknown standard of a level without a plan",
       sql("update MTL set KOD_MES = '2000000' where ID_ILL = :id"),
       {{53, "Не указан МЭС по осн.заболеванию"}, {66, "На данный уровень (2) нет плана."}}},
      {"an unknown main diagnosis",
       sql("update MTL set STAC_DIAG = 'X99.9' where ID_ILL = :id"),
       {{53, "Несущ.шифр МКБ по осн.заб."}}},
      {"a main diagnosis the OMS does not pay",
       sql("update MTL set STAC_DIAG = 'Z00.0' where ID_ILL = :id"),
       {{61, "Не оплач.диаг.по ОМС по осн.заб."}}},
      {"an insurer of the home region with another region's policy",
       sql("update STACION set POL_OBL = '4500' where ID_ILL = :id"),
       {{53, "Несоот.стр.комп. и обл.стр.комп."}}},
      {"a standard the institution's level is not paid at",
       [](Fixture& fx, int id) {
         fx.Exec(QStringLiteral(
             "insert into MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM, UR_G, UR_R, UR_K) "
             "values ('3019999', 'Без района', 1, 'I10-I15', 10, '2020-01-01', '+', '-', '+')"));
         fx.Exec(QStringLiteral("update MTL set KOD_MES = '3019999' where ID_ILL = :id"),
                 {{QStringLiteral("id"), id}});
       },
       {{66, "МЭС 3019999 не оплачивается на уровне мед.организации (Р)"}}},
      {"more accompanying standards than the level allows",
       [](Fixture& fx, int id) {
         fx.Exec(QStringLiteral("insert into ACC_MES_LIMIT (UROV, MAX_ACC) values ('Р', 1)"));
         fx.Exec(QStringLiteral("update MTL set ACCOMP1 = 'I11.9', MES_ACC1 = '10101', "
                                "ACCOMP2 = 'E11.9', MES_ACC2 = '20401' where ID_ILL = :id"),
                 {{QStringLiteral("id"), id}});
       },
       {{66, "Кол-во соп.заб.прев.допуст.кол-во для город.и район.уровней"}}},
      {"a newborn mark on an adult",
       sql("update STACION set NOVOR = '1' where ID_ILL = :id"),
       {{53, "У ребёнка старше двух месяцев не может стоять признак новорожденного."}}},
      {"an adult accompanied on round-the-clock beds",
       sql("update MTL set APPEND = 1, APP_KD = 3 where ID_ILL = :id"),
       {{53,
         "Совместное нахождение в круглосуточном стационаре возможно только с ребёнком до 4-х "
         "лет, при возрасте пациента 65."}}},
      {"IVF stages outside the schemes", services({1, 3}), {{65, "Неверная схема этапов ЭКО."}}},
      {"IVF stages of a scheme", services({1, 2}), {}},
      {"a sheet ending before it starts",
       sql("update MTL set FINISH = '2026-02-28' where ID_ILL = :id"),
       {}},
      {"the last sheet ends before the discharge",
       sql("update MTL set FINISH = '2026-03-09' where ID_ILL = :id"),
       {}},
      {"a veteran missing from the register",
       sql("update STACION set VOV = 1 where ID_ILL = :id"),
       {}},
      // A refused case is gone from the registry: its sanctions are stored
      // neither there nor in the acts database.
      {"a sanction and a refusal",
       sql("update STACION set MCOD = '', VOV = 1 where ID_ILL = :id"),
       {}},
  };
  // Which cases are clean: no sanction, not refused.
  const std::set<std::string> clean{"IVF stages of a scheme"};

  Fixture f;
  f.Report(3, 1, 1, 1, Day(2026, 3, 1));
  int id = 100;
  for (const Case& c : cases) {
    Fixture::Stay s;
    s.idIll = ++id;
    s.repn = 3;
    s.nomib = QString::number(id);
    s.family = QStringLiteral("ПАЦИЕНТ%1").arg(id);
    f.Case(s);
    f.Exec(QStringLiteral("update STACION set COST_SF = :cost where ID_ILL = :id"),
           {{QStringLiteral("cost"), 1000 + id}, {QStringLiteral("id"), id}});
    c.setup(f, id);
  }
  test::ActsServer server;
  ActsConnection acts(QStringLiteral("rule_checks_acts"));
  acts.setConnectionString(server.ConnectionString());
  acts.Open();
  ReceptionState& state = TheReceptionState();
  ThePackageLists().ReportLists[Population::Local] = {rRepn{3, 1, {}, {}, {}}};
  state.BadDocumentCases.clear();
  state.XmlLoadErrors.clear();
  state.XmlPackageMode = false;
  QTemporaryDir dir;
  state.Act.Create(dir.filePath(QStringLiteral("act.txt")));
  FbTransaction tr(f.Db());
  ReceptionInputs in;
  in.Receiving = true;
  in.PayKind = PayKind::Oms;
  in.YearText = QStringLiteral("2026");
  in.MonthIndex = 2;
  in.LpuId = 1;
  in.WhoDetail = WhoDetail(2);
  ReceptionContext ctx(state, f.Db(), tr, in);
  ctx.Acts = &acts;
  RunRuleChecks(ctx, Population::Local);
  state.Act.Close();

  QStringList expected;
  id = 100;
  for (const Case& c : cases) {
    ++id;
    FbQuery q(f.Db(), &tr);
    q.setSql(QStringLiteral("select count(*) from STACION where ID_ILL = :id"));
    q.setParam(QStringLiteral("id"), id);
    q.Open();
    const bool refused = c.sanctions.empty() && !clean.count(c.what);
    EXPECT_EQ(q.Value(0, 0).toInt(), refused ? 0 : 1) << c.what;
    for (std::size_t i = 0; i < c.sanctions.size(); ++i)
      expected << QStringLiteral("%1|%2|%3|%4.00|%5.00")
                      .arg(id)
                      .arg(c.sanctions[i].basis)
                      .arg(QString::fromUtf8(c.sanctions[i].text))
                      .arg(i == 0 ? 1000 + id : 0)
                      .arg(1000 + id);
  }
  EXPECT_EQ(server.Rows("select idcase, s_osn, s_com, s_sum, sumv from sank order by id"),
            expected);
  acts.Close();
}

// The insurance identification of the out-of-region pass against the
// central segment's person register: an adult by its own names, a newborn
// by its representative's, and a person the register does not know.
TEST(RuleChecks, OutOfRegionIdentificationOfAdultsAndNewborns) {
  test::RegistryFixture f;
  FbTransaction tr(f.Db());
  f.Report(4, 1, 1, 1, Day(2026, 3, 1));
  test::RegistryFixture::Stay s;
  s.repn = 4;
  s.idIll = 21;
  s.nomib = QStringLiteral("2101");
  f.Case(s);
  s.idIll = 22;
  s.nomib = QStringLiteral("2201");
  s.family = QStringLiteral("ПЕТРОВ");
  s.dr = Day(2026, 2, 20);
  f.Case(s);
  f.Exec(QStringLiteral("update STACION set NOVOR = '1' where ID_ILL = 22"));
  f.Exec(QStringLiteral("update MTL set PROFILE = 2 where ID_ILL = 22"));
  f.Insert(QStringLiteral("PARENTS"), {{QStringLiteral("ID"), 1},
                                       {QStringLiteral("ID_ILL"), 22},
                                       {QStringLiteral("REPN"), 4},
                                       {QStringLiteral("FAMILY"), QStringLiteral("ПЕТРОВА")},
                                       {QStringLiteral("NAME"), QStringLiteral("АННА")},
                                       {QStringLiteral("FATHER"), QStringLiteral("ИВАНОВНА")},
                                       {QStringLiteral("DR"), Day(1990, 1, 1)},
                                       {QStringLiteral("NUMBER"), QStringLiteral("123")},
                                       {QStringLiteral("OBL"), QStringLiteral("1137")}});
  s.idIll = 23;
  s.nomib = QStringLiteral("2301");
  s.family = QStringLiteral("НЕЗНАКОМОВ");
  s.dr = Day(1960, 5, 20);
  f.Case(s);

  QTemporaryDir centralDir;
  FbDatabase central(QStringLiteral("rule_checks_identification"));
  central.setParams(FbDatabase::DefaultParams());
  central.setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/central"));
  central.setDatabaseName(centralDir.filePath(QStringLiteral("central.fdb")));
  central.EnsureExists();
  central.Open();
  {
    FbQuery q(central);
    q.setSql(QStringLiteral(
        "insert into PACIENT (ID, FAM, IM, OT, DR, FAM_P, IM_P, OT_P, DR_P, TERR_OMS, SPOLIS, "
        "NPOLIS, ANSWER, DATE_1, DATE_2, DATE_EDIT) values (:id, :fam, :im, :ot, :dr, :famp, "
        ":imp, :otp, :drp, '37000', '', '4500000000000001', 1, '2020-01-01', '2030-12-31', "
        "'2025-01-01')"));
    const std::pair<int, std::array<QVariant, 8>> persons[] = {
        {1001,
         {QStringLiteral("ИВАНОВ"),
          QStringLiteral("ИВАН"),
          QStringLiteral("ИВАНОВИЧ"),
          Day(1960, 5, 20),
          {},
          {},
          {},
          {}}},
        {1002,
         {QStringLiteral("ПЕТРОВ"),
          QStringLiteral("ИВАН"),
          {},
          Day(2026, 2, 20),
          QStringLiteral("ПЕТРОВА"),
          QStringLiteral("АННА"),
          QStringLiteral("ИВАНОВНА"),
          Day(1990, 1, 1)}},
    };
    const char* const names[] = {"fam", "im", "ot", "dr", "famp", "imp", "otp", "drp"};
    for (const auto& [id, values] : persons) {
      q.setParam(QStringLiteral("id"), id);
      for (std::size_t i = 0; i < values.size(); ++i)
        q.setParam(QString::fromLatin1(names[i]), values[i]);
      q.ExecSQL();
    }
  }

  ReceptionState& state = TheReceptionState();
  ThePackageLists().ReportLists[Population::OutOfRegion] = {rRepn{4, 1, {}, {}, {}}};
  state.BadDocumentCases.clear();
  state.XmlLoadErrors.clear();
  state.XmlPackageMode = true;
  QTemporaryDir dir;
  state.Act.Create(dir.filePath(QStringLiteral("act.txt")));
  ReceptionInputs in;
  in.Receiving = true;
  in.PayKind = PayKind::Oms;
  in.YearText = QStringLiteral("2026");
  in.MonthIndex = 2;
  in.LpuId = 1;
  in.WhoDetail = WhoDetail(1);
  ReceptionContext ctx(state, f.Db(), tr, in);
  ctx.Central = &central;
  RunRuleChecks(ctx, Population::OutOfRegion);
  state.Act.Close();
  state.XmlPackageMode = false;
  QFile file(dir.filePath(QStringLiteral("act.txt")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QStringDecoder decode("windows-1251");
  const QString act = decode(file.readAll());
  SCOPED_TRACE(act.toStdString());
  // Only the person the register does not know has a finding.
  EXPECT_FALSE(act.contains(QStringLiteral("2101|")));
  EXPECT_FALSE(act.contains(QStringLiteral("2201|")));
  EXPECT_TRUE(act.contains(QStringLiteral("2301|")));
  EXPECT_EQ(act.count(QStringLiteral("Запись не проходила страховую идентификацию в ТФ ОМС")), 1);
  central.Close();
}
