// The rule checks of a pass on a registry database of its own: the act's
// section, the sanctions stored when the fund receives, the removal of a
// refused case with everything loaded for it, and the limits of the pass.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>

#include "domain/application_state.h"
#include "domain/package_lists.h"
#include "firebird/fb_query.h"
#include "reception/rule_checks.h"
#include "registry_fixture.h"

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
