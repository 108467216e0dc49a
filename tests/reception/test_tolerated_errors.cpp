// The tolerated errors and the entry errors of a pass: the rules over a
// check row, and the two walks on a registry database of their own with the
// act's sections, the register's amounts and the escort's-age sanction's
// target.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "domain/application_state.h"
#include "domain/package_lists.h"
#include "firebird/fb_query.h"
#include "reception/blocking_errors_section.h"
#include "reception/rule_checks.h"
#include "reception/tolerated_errors.h"
#include "reception/tolerated_rules.h"
#include "reception_fixture.h"
#include "registry_fixture.h"
#include "workbook/excel_application.h"
#include "workbook/workbook.h"

using namespace kelmo;
using test::Day;

namespace {

// A row without findings: valid dates, every flag clear.
CheckRow CleanRow() {
  CheckRow row;
  row.Proc = {{"ID_ILL", 5},
              {"NOMMTL", 1},
              {"FAMILY", "ИВАНОВ"},
              {"NAME", "ИВАН"},
              {"FATHER", "ИВАНОВИЧ"},
              {"DR", QDate(1960, 5, 20)},
              {"DIN_STAC", QDate(2026, 3, 1)},
              {"DOUT_STAC", QDate(2026, 3, 10)},
              {"STARTD", QDate(2026, 3, 1)},
              {"FINISH", QDate(2026, 3, 10)},
              {"OPLAT", 1},
              {"OSH32", "0"},
              {"COMP_NAME", "Бервинта"},
              {"NUMBER", "4597000000000011"}};
  return row;
}

ToleratedFindings Check(const CheckRow& row, ToleratedContext tc = {}) {
  if (tc.Year == 0) tc.Year = 2026;
  ToleratedFindings found;
  found.CaseId = row.Int(QStringLiteral("ID_ILL"));
  CheckToleratedRules(row, tc, found);
  return found;
}

}  // namespace

TEST(ToleratedRules, FindingsTheirKindAndTheirText) {
  struct Case {
    const char* name;
    QVariantHash set;
    Population pass = Population::Local;
    int lpu = 1;
    int ageMonths = 12;
    int year = 2026;
    const char* text;
    bool refused;
    bool tolerated;
  };
  const QString outCode = QStringLiteral("1234567");
  const std::vector<Case> cases = {
      {"clean", {}, Population::Local, 1, 12, 2026, "", false, false},
      // The standard's age group: the 4th character of a 7-character code.
      {"age of the standard",
       {{"KOD_MES", outCode}, {"VOZ", "9"}, {"NOZOLOG", "I10-I15"}, {"STAC_DIAG", "I10"}},
       Population::Local,
       1,
       12,
       2026,
       "Несоот.возр.МЭСу по осн.заб.(1234567, I10).",
       false,
       true},
      {"standard without its diseases",
       {{"KOD_MES", outCode}, {"VOZ", "4"}, {"STAC_DIAG", "I10"}},
       Population::Local,
       1,
       12,
       2026,
       "Несущ.МЭС.по осн.заб.(1234567).",
       true,
       false},
      {"tolerated and refused together",
       {{"NAME", "А"}, {"STARTD", QDate(2026, 3, 11)}},
       Population::Local,
       1,
       12,
       2026,
       "Имя не может состоять из одного символа(А).Дата окончания лечения по МТЛ меньше даты "
       "начала лечения.",
       true,
       true},
      {"budget sheet: only the last rules",
       {{"OPLAT", 2}, {"OSH5", "1"}, {"NAME", "А"}, {"OSH36", "1"}},
       Population::Local,
       1,
       12,
       2026,
       "Несоот.дат по стац.карте и МТЛ.",
       true,
       false},
      {"standard of another in-patient type",
       {{"KOD_MES", outCode},
        {"MES_ERR", "2_1234567"},
        {"NOZOLOG", "I10"},
        {"VOZ", "4"},
        {"STAC_DIAG", "I10"}},
       Population::Local,
       1,
       12,
       2026,
       "Несоот.кода МЭС(1234567 типу стац.(2)",
       true,
       false},
      {"diagnosis flags need a known code",
       {{"OSH21_1", "1"}, {"OSH21_3", "1"}, {"OSH22_1", "0"}, {"OSH22_4", "1"}},
       Population::Local,
       1,
       12,
       2026,
       "Несущ.шифр МКБ по осн.заб.Несоот.нозол. и возр.по соп.заб.№1.",
       true,
       false},
      {"birth in the 1800s",
       {{"DR", QDate(1899, 1, 1)}},
       Population::Local,
       1,
       12,
       2026,
       "Не введена или не корректная дата рождения.Год рожд.долж.нач.на 19 или 20.",
       true,
       false},
      {"admission two years back",
       {{"DIN_STAC", QDate(2024, 12, 30)}},
       Population::Local,
       1,
       12,
       2026,
       "Год даты пост.в стац.дол.быть текущ.или предыд.",
       true,
       false},
      {"escort's age before 2017",
       {{"CONVOY_AGE_ERR", "1"}, {"P_VOZRAST", 6}},
       Population::Local,
       1,
       12,
       2016,
       "",
       false,
       false},
      {"escort's age",
       {{"CONVOY_AGE_ERR", "1"}, {"P_VOZRAST", 6}},
       Population::Local,
       1,
       12,
       2026,
       "Совместное нахождение в круглосуточном стационаре возможно только с ребёнком до 4-х "
       "лет, при возрасте пациента 6.",
       false,
       true},
      // The out-of-region policy: institutions 29 and 33 ask it of patients
      // older than two months only.
      {"no policy, institution 29, two months",
       {{"NUMBER", ""}},
       Population::OutOfRegion,
       29,
       2,
       2026,
       "",
       false,
       false},
      {"no policy",
       {{"NUMBER", "0"}},
       Population::OutOfRegion,
       1,
       2,
       2026,
       "Не запол.полис у застр.бол.",
       true,
       false},
      {"out-of-region status",
       {{"MTRERR4", "1"}, {"OSH25", "1"}},
       Population::OutOfRegion,
       1,
       12,
       2026,
       "Не зап.пасп. у иног.больн. У иногороднего больного не заполнен статус ребенка.",
       false,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CheckRow row = CleanRow();
    for (auto it = c.set.begin(); it != c.set.end(); ++it) row.Proc.insert(it.key(), it.value());
    ToleratedContext tc;
    tc.Pass = c.pass;
    tc.LpuId = c.lpu;
    tc.Year = c.year;
    tc.MonthIndex = 2;
    tc.AgeMonths = [&c] { return c.ageMonths; };
    const ToleratedFindings found = Check(row, tc);
    EXPECT_EQ(found.Text, QString::fromUtf8(c.text));
    EXPECT_EQ(found.Refused, c.refused);
    EXPECT_EQ(found.Tolerated, c.tolerated);
  }
}

TEST(ToleratedRules, CaseErrorsAndTheirStore) {
  // An accompanying standard without its diseases records a МЭК entry and
  // neither refuses nor tolerates the row.
  CheckRow row = CleanRow();
  row.Proc.insert("MES_ACC", "_1=;");
  row.Proc.insert("ACCOMP", "_1=E11.9;");
  ToleratedFindings found = Check(row);
  EXPECT_EQ(found.Text, "Несущ.МЭС.по соп.заб.№1().");
  EXPECT_FALSE(found.Refused || found.Tolerated || found.StoresSanctions);
  ASSERT_EQ(found.CaseErrors.size(), 1);
  EXPECT_EQ(found.CaseErrors[0].Kind, 1);
  EXPECT_EQ(found.CaseErrors[0].BasisCode, 52);
  EXPECT_EQ(found.CaseErrors[0].CaseId, 5);

  // With the escort's age in the same row both entries are stored, the МЭЭ
  // entry last; the bed entry that follows is not among them.
  row.Proc.insert("CONVOY_AGE_ERR", "1");
  row.Proc.insert("P_VOZRAST", 7);
  row.Proc.insert("BED_SPEC_ERR", "1");
  ToleratedContext tc;
  tc.Year = 2026;
  tc.RegistrySource = RegistrySourceKind::XmlPackage;
  tc.BedName = [] { return QStringLiteral("Терапевтические"); };
  tc.DoctorFieldName = [] { return QStringLiteral("Терапия"); };
  row.Proc.insert("P_BED", 1);
  row.Proc.insert("PRVS", 76);
  found = Check(row, tc);
  EXPECT_TRUE(found.StoresSanctions);
  ASSERT_EQ(found.SanctionsToStore.size(), 2);
  EXPECT_EQ(found.SanctionsToStore[1].Kind, 2);
  EXPECT_EQ(found.SanctionsToStore[1].BasisCode, 53);
  ASSERT_EQ(found.CaseErrors.size(), 3);
  EXPECT_EQ(found.CaseErrors[2].Text,
            "Несоответствие профиля койки \"Терапевтические\"(1) и специальности врача "
            "\"Терапия\"(76).");
  EXPECT_TRUE(found.Tolerated);

  // The store carries the row's own case and cost, not another case's.
  row.Proc.insert("COST_SF", 1234.56);
  row.Proc.insert("REPN", 3);
  row.Proc.insert("H_SMOCOD", "45001");
  const SanctionTarget target = ToleratedSanctionTarget(row, true);
  EXPECT_EQ(target.IdIll, 5);
  EXPECT_EQ(target.Amount, Money::FromUnits(12345600));
  EXPECT_EQ(target.Repn, 3);
  EXPECT_TRUE(target.FirstStoreOfCase);
}

TEST(ToleratedRules, NumberingErrorsAndTheStandardsAgeGroup) {
  CheckRow row = CleanRow();
  EXPECT_EQ(EntryErrorOf(row), "");
  row.Proc.insert("OSH37", "1");
  EXPECT_EQ(EntryErrorOf(row), "Наруш.нумер.МТЛов.");
  row.Proc.insert("OSH1", "1");
  EXPECT_EQ(EntryErrorOf(row), "Невозм.ном.МТЛ.");

  // code, the code giving the lengths and the 10th character, group, result
  const std::vector<std::tuple<QString, QString, QString, bool>> ages = {
      {"1234567", "1234567", "4", false},
      {"1234567", "1234567", "3", true},
      {"12345", "12345", "2", false},
      {"12345", "12345", "1", true},
      {"123456789012345X", "123456789312345X", "0", false},
      {"123456789012345X", "123456789112345X", "0", true},
      {"123456", "123456", "9", false},
      // The other pass's lengths are those of the untrimmed code.
      {"1234567", " 1234567", "9", false}};
  for (const auto& [k, raw, voz, mismatch] : ages)
    EXPECT_EQ(StandardAgeMismatch(k, raw, raw, voz), mismatch) << k.toStdString();
}

namespace {

struct ToleratedRun {
  test::RegistryFixture f;
  FbTransaction tr{f.Db()};
  QTemporaryDir dir;
  ReceptionState& state = TheReceptionState();

  ToleratedRun() {
    f.Report(3, 1, 1, 1, Day(2026, 3, 1));
    test::RegistryFixture::Stay s;
    s.repn = 3;
    // 11: a one-letter first name, tolerated.
    s.idIll = 11;
    s.nomib = QStringLiteral("1101");
    s.name = QStringLiteral("А");
    f.Case(s);
    // 12: the same, but its sheet ends before it starts: refused.
    s.idIll = 12;
    s.nomib = QStringLiteral("1201");
    s.family = QStringLiteral("ПЕТРОВ");
    f.Case(s);
    f.Exec(QStringLiteral("update mtl set finish = '2026-02-28' where id_ill = 12"));
    // 13: two sheets numbered 1; 14: a sheet numbered 0.
    s.name = QStringLiteral("ИВАН");
    s.idIll = 13;
    s.nomib = QStringLiteral("1301");
    s.family = QStringLiteral("СИДОРОВ");
    f.Case(s);
    f.Sheet(13, 3, 1, Day(2026, 3, 1), Day(2026, 3, 10), QStringLiteral("I10"));
    s.idIll = 14;
    s.nomib = QStringLiteral("1401");
    s.family = QStringLiteral("КОЗЛОВ");
    f.Case(s);
    f.Exec(QStringLiteral("update mtl set nom_mtl = 0 where id_ill = 14"));
    ThePackageLists().ReportLists[Population::Local] = {rRepn{3, 1, {}, {}, {}}};
    state.XmlPackageMode = false;
    state.RegistrySource = RegistrySourceKind::XmlFromDbf;
    state.Act.Create(dir.filePath(QStringLiteral("act.txt")));
    // The institution's register: case 13 with its amount, then the total,
    // then case 14 (below the total, so not read).
    auto book = workbook::Workbook::Create();
    auto& sheet = book->ActiveSheet();
    sheet.SetText(7, 2, "1301");
    sheet.SetText(7, 3, "СИДОРОВ ИВАН ИВАНОВИЧ");
    sheet.SetNumber(7, 14, 1500.5);
    sheet.SetText(8, 3, "Итого");
    sheet.SetText(9, 2, "1401");
    sheet.SetText(9, 3, "КОЗЛОВ ИВАН");
    sheet.SetNumber(9, 14, 700);
    book->SaveAs(QDir(dir.path()).filePath(QStringLiteral("sreestr1.xlsx")).toStdString());
  }

  ReceptionInputs Inputs(bool receiving) const {
    ReceptionInputs in;
    in.RegistryFolder = dir.path();
    in.Receiving = receiving;
    in.YearText = QStringLiteral("2026");
    in.MonthIndex = 2;
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
};

}  // namespace

TEST(ToleratedErrors, BothSectionsWithTheRegistersAmounts) {
  ToleratedRun run;
  workbook::ExcelApplication excel;
  ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(true));
  ctx.Excel = &excel;
  run.state.Pass[Population::Local].BlockingErrorsSum = 100;
  RunToleratedErrors(ctx, Population::Local);
  const QStringList act = run.Act();
  const QString rule = QString(115, QLatin1Char('-'));
  const QString shortRule = QString(49, QLatin1Char('-'));
  auto line = [](const char* nomib, const char* family, const char* amount, const char* text) {
    return BlockingErrorsSection::TextLines(nomib, family, amount, QString::fromUtf8(text))[0];
  };
  EXPECT_EQ(act, (QStringList{
                     FindingsSection::Title(FindingsSectionKind::Tolerated, Population::Local),
                     rule, BlockingErrorsSection::Head(), rule,
                     line("1101", "ИВАНОВ", "", "Имя не может состоять из одного символа(А)."),
                     rule, BlockingErrorsSection::TotalLine(0), shortRule,
                     "Обнаружены ошибки, допущенные при формировании базы пролеченных больных по "
                     "местному населению по программе \"Квиллон\":",
                     rule, BlockingErrorsSection::Head(), rule,
                     line("1301", "СИДОРОВ", "1500.5", "Наруш.нумер.МТЛов."),
                     line("1301", "СИДОРОВ", "1500.5", "Наруш.нумер.МТЛов."),
                     line("1401", "КОЗЛОВ", "", "Невозм.ном.МТЛ."), rule,
                     BlockingErrorsSection::TotalLine(3001), shortRule,
                     "Всего по некорректным данным по местному населению: 3101"}))
      << act.join("\n").toStdString();
  EXPECT_EQ(run.state.Pass[Population::Local].NonBlockingErrorsSum, 0);
  EXPECT_EQ(run.state.Pass[Population::Local].EntryErrorsSum, 3001);
}

TEST(ToleratedErrors, FormingWritesNoTotalLineAndTheOtherPassReadsNoRegister) {
  ToleratedRun run;
  ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(false));
  RunToleratedErrors(ctx, Population::Local);
  QStringList act = run.Act();
  EXPECT_FALSE(act.last().startsWith("Всего по некорректным данным"));
  EXPECT_EQ(run.state.Pass[Population::Local].EntryErrorsSum, 0);

  // The same rows as an out-of-region pass in reception: no amounts.
  run.f.Exec(QStringLiteral("update reports set inogor = '1'"));
  ThePackageLists().ReportLists[Population::OutOfRegion] = {rRepn{3, 1, {}, {}, {}}};
  run.state.Act.Create(run.dir.filePath(QStringLiteral("act.txt")));
  workbook::ExcelApplication excel;
  ReceptionContext receiving(run.state, run.f.Db(), run.tr, run.Inputs(true));
  receiving.Excel = &excel;
  RunToleratedErrors(receiving, Population::OutOfRegion);
  act = run.Act();
  EXPECT_TRUE(act.contains(
      FindingsSection::Title(FindingsSectionKind::EntryErrors, Population::OutOfRegion)));
  EXPECT_EQ(run.state.Pass[Population::OutOfRegion].EntryErrorsSum, 0);
  EXPECT_TRUE(act.last().startsWith("Всего по некорректным данным по иногороднему населению: "));
}

TEST(ToleratedErrors, RegisterLookupStopsAtTheTotal) {
  // Rows 7.. of a register: the total's row ends the search; a matching row
  // with an empty amount lets it go on.
  const QMap<QPair<int, int>, QString> cells{
      {{7, 2}, "5"},           {{7, 3}, "ИВАНОВ И.И."}, {{8, 2}, "5"},
      {{8, 3}, "ИВАНОВ И.И."}, {{8, 14}, "12"},         {{9, 3}, " итого "},
      {{10, 2}, "6"},          {{10, 3}, "ПЕТРОВ"},     {{10, 14}, "7"}};
  auto cell = [&cells](int r, int c) { return cells.value({r, c}); };
  EXPECT_EQ(RegisterAmountText(cell, 12, "5", "ИВАНОВ"), "12");
  EXPECT_EQ(RegisterAmountText(cell, 12, "6", "ПЕТРОВ"), "");
  EXPECT_EQ(RegisterAmountText(cell, 12, "5", "ПЕТРОВ"), "");
}

TEST(ToleratedErrors, TheWalksReadTheRowsTheRuleChecksRead) {
  // The check procedure runs once a pass: what changes in the database after
  // the rule checks read their rows (here the one-letter name corrected)
  // does not change what the two walks see; without the checks' rows the
  // walks run the procedure themselves.
  const QString listed = BlockingErrorsSection::TextLines(
      "1101", "ИВАНОВ", "", "Имя не может состоять из одного символа(А).")[0];
  for (const bool handed : {true, false}) {
    ToleratedRun run;
    ReceptionContext ctx(run.state, run.f.Db(), run.tr, run.Inputs(false));
    std::unique_ptr<FbQuery> rows = OpenCheckProcedure(ctx, {3});
    run.f.Exec(QStringLiteral("update stacion set name = 'АННА' where id_ill = 11"));
    RunToleratedErrors(ctx, Population::Local, handed ? rows.get() : nullptr);
    EXPECT_EQ(run.Act().contains(listed), handed) << handed;
  }
}
