// The act summary on a registry database of its own: the whole summary of a
// reception and of a formation compared line by line, with several insurers,
// an insurer the region does not know, a policy code that is not a number,
// and reports and sheets of another payment kind; the verdict's kopecks, the
// insurer table's other codes, the plan's presented costs and the sanction
// cross-check against an acts database.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "acts_server.h"
#include "domain/application_state.h"
#include "domain/package_lists.h"
#include "domain/run_user.h"
#include "reception/act_summary.h"
#include "reception_fixture.h"
#include "recording_user.h"
#include "registry_fixture.h"
#include "shell/acts_connection.h"

using namespace kelmo;
using test::Day;

namespace {

QString Row(const QString& label, const QStringList& cells, std::initializer_list<int> widths) {
  QString line = label;
  auto w = widths.begin();
  for (const QString& cell : cells) line += RightAligned(cell, *w++) + QLatin1Char('|');
  return line;
}

QString InsurerLine(const QString& label, const QString& a, const QString& b, const QString& c) {
  return Row(label, {a, b, c}, {15, 19, 16});
}

const QString kRule79 = QString(79, QLatin1Char('-'));
const QStringList kInsurerHead = {
    kRule79, "|    Наименование СМО    | За счет терр. |               В том числе          |",
    "|                        |  программы    |   Базовый тариф   |   Доп. тариф   |", kRule79};

// Local reports 11 (ОМС) and 12 (another payment kind), out-of-region report
// 21: cases of both regional insurers, one of an insurer the region does not
// know ("45099", beyond a small integer) and one whose code is not a number.
struct Summary {
  test::RegistryFixture f;
  FbTransaction tr{f.Db()};
  QTemporaryDir dir;
  ReceptionState& state = TheReceptionState();
  test::RecordingUser user;

  Summary() {
    f.Report(11, 1, 1, 1, Day(2026, 3, 1));
    f.Report(12, 1, 1, 6, Day(2026, 3, 1));
    f.Report(21, 1, 1, 1, Day(2026, 3, 1));
    Case(1, 11, "2778", 1000, 1000, 50);
    Case(2, 11, "2779", 2000, 2100);
    Case(3, 11, "ABC", 300, 300, 20);
    Case(4, 11, " 45099", 400, 400);
    Case(5, 12, "2778", 7000, 7000, QVariant(), 6);
    Case(6, 21, "2778", 500, 510);
    // The first case's one-channel and modernisation parts; its second
    // sheet is of another payment kind.
    f.Exec("update mtl set onech_cost = 100, mod_ffoms_cost = 10 where id_ill = 1");
    f.Sheet(1, 11, 2, Day(2026, 3, 10), Day(2026, 3, 12), "I10", 6);
    f.Exec("update mtl set ocncost = 5000, cost_sf = 5000 where id_ill = 1 and nom_mtl = 2");
    f.Exec("update stacion set dopfond = 1 where id_ill in (2, 6)");

    state.ZeroRunTotals();
    state.ReportNumber[Population::Local] = 11;
    state.ReportNumber[Population::OutOfRegion] = 21;
    ThePackageLists().ReportLists = {};
    ThePackageLists().ReportLists[Population::Local] = {rRepn{11, 1, {}, {}, {}},
                                                        rRepn{12, 1, {}, {}, {}}};
    ThePackageLists().ReportLists[Population::OutOfRegion] = {rRepn{21, 1, {}, {}, {}}};
    PassTotals& local = state.Pass[Population::Local];
    local.InvoiceBaseSum = Money::FromRoubles(3590);
    local.InvoiceExtraSum = Money::FromRoubles(100);
    local.InvoiceTotal = Money::FromRoubles(3690);
    local.CalcTotal = Money::FromRoubles(3690);
    local.CalcBedDays = 38;
    PassTotals& out = state.Pass[Population::OutOfRegion];
    out.InvoiceBaseSum = Money::FromRoubles(480);
    out.InvoiceTotal = Money::FromUnits(5000040);  // 500.004
    out.CalcBedDays = 9;
    state.Act.Create(dir.filePath(QStringLiteral("act.txt")));
  }

  void Case(int id, int repn, const char* polis, double cost, double costSf,
            const QVariant& sumMek = QVariant(), int oplat = 1) {
    test::RegistryFixture::Stay s;
    s.idIll = id;
    s.repn = repn;
    s.nomib = QString::number(100 + id);
    s.polis = QString::fromLatin1(polis);
    s.sumMek = sumMek;
    s.oplat = oplat;
    f.Case(s);
    f.Exec("update mtl set ocncost = :c, cost_sf = :sf where id_ill = :i",
           {{"c", cost}, {"sf", costSf}, {"i", id}});
  }

  QStringList Write(bool receiving, int who, ActsConnection* acts = nullptr) {
    ReceptionInputs in;
    in.RegistryFolder = dir.path();
    in.Receiving = receiving;
    in.PayKind = PayKind::Oms;
    in.YearText = QStringLiteral("2026");
    in.MonthIndex = 2;
    in.PeriodStart = QDate(2026, 3, 1);
    in.PeriodEnd = QDate(2026, 3, 31);
    in.LpuId = 1;
    in.WhoDetail = WhoDetail(who);
    ReceptionContext ctx(state, f.Db(), tr, in, &user);
    ctx.Acts = acts;
    WriteActSummary(ctx);
    EXPECT_FALSE(state.Act.IsOpen());
    return test::ReadActLines(dir.filePath(QStringLiteral("act.txt")));
  }
};

}  // namespace

TEST(ActSummary, ReceptionOfTheFundLineByLine) {
  Summary s;
  const QStringList lines = s.Write(true, 2);
  EXPECT_EQ(s.user.calls, (QStringList{"end of progress", "restore"}));
  // Only the ОМС sheets of the reports count: neither report 12 nor the
  // first case's second sheet. MEK sums of every insurer for the fund.
  const QStringList expected =
      QStringList{
          "", "Общая сумма по отчету: ", "По местным: ", "         Сумма по счету: 3690.00 р.",
          "          В т.ч. за счёт НСЗ: 2100.00 р.", "         Сумма с учётом МЭК: 3620.00 р.",
          "      Сумма по расчетам: 3690.00 р.", "          В т.ч. за счёт НСЗ: 2000.00 р.", "",
          "По иногородним: ", "         Сумма по счету: 480.00 р.",
          "          В т.ч. за счёт НСЗ: 510.00 р.", "         Сумма с учётом МЭК: 480.00 р.",
          "      Сумма по расчетам: 500.00 р.", "          В т.ч. за счёт НСЗ: 500.00 р.", "",
          "В том чисте по базовому тарифу: ", "По местным: ", "         Сумма по счету: 3590.00 р.",
          "          В т.ч. за счёт НСЗ: 2100.00 р.", "      Сумма по расчетам: 3590.00 р.",
          "          В т.ч. за счёт НСЗ: 2000.00 р.", "  В т.ч. по инт.терапии: 0.00 р.",
          "       Разница в суммах: 0.00 р.", "    Койко-дней по счету: не определено",
          " Койко-дней по расчетам: 38", "  В т.ч. по инт.терапии: 0", "",
          "По иногородним: ", "         Сумма по счету: 480.00 р.",
          "          В т.ч. за счёт НСЗ: 510.00 р.", "      Сумма по расчетам: 500.00 р.",
          "          В т.ч. за счёт НСЗ: 500.00 р.", "  В т.ч. по инт.терапии: 0.00 р.",
          "       Разница в суммах: 20.00 р.", "    Койко-дней по счету: не определено",
          " Койко-дней по расчетам: 9", "  В т.ч. по инт.терапии: 0", "",
          "В том числе по дополнительному тарифу: ", "Всего: ",
          "        -    сумма по счету: 100.00 р.", "        -    сумма по расчетам: 100.00 р.", "",
          "В том числе по местным: ", "        -    сумма по счету: 100.00 р.",
          "        -    сумма по расчетам: 100.00 р.", "        -    разница в суммах: 0.00 р.",
          "В том числе по иногородним: ", "        -    сумма по счету: 0.00 р.",
          "        -    сумма по расчетам: 0.00 р.", "        -    разница в суммах: 0.00 р.", "",
          // 500.004 and 500.00 cut to the same kopecks.
          "Суммы предоставленные ЛПУ и посчитанные ТФ ОМС сошлись.", ""} +
      kInsurerHead +
      QStringList{
          InsurerLine("|     Бервинта-Кредо     |", "1490.00", "1390.00", "100.00"),
          InsurerLine("|     ЗНТ-Медицина       |", "2000.00", "2000.00", "0.00"),
          // "ABC" and " 45099" add up.
          InsurerLine("|     Иногородние        |", "700.00", "700.00", "0.00"), kRule79, "",
          "Исполнение МЗ и сметы за март 2026 (местное и иногороднее население).",
          "|------------------|-----------|-------------|---------------|---------------|----------"
          "-|",
          "|    Показатели    |     МЗ    | Предъявлено |в т.ч. местные |в т.ч. иногорд.|  %исп.МЗ "
          " "
          "|",
          "|                  |           | (баз. тариф)|  (баз. тариф) |  (баз. тариф) |          "
          " |",
          "|------------------|-----------|-------------|---------------|---------------|----------"
          "-|",
          // The plan procedure counts every sheet of the reports; the local
          // figure is not the summary's, the out-of-region one is.
          Row("| Количество к/д   |", {"3000", "56", "47", "9", "1.87%"}, {11, 13, 15, 15, 11}),
          Row("| Затраты (руб.)   |", {"6000000.00", "16090.00", "15590.00", "500.00", "0.27%"},
              {11, 13, 15, 15, 11}),
          Row("| Стоимость 1 к/д  |", {"2000.00", "287.32", "331.70", "55.56", "14.37%"},
              {11, 13, 15, 15, 11}),
          "|------------------|-----------|-------------|---------------|---------------|----------"
          "-|",
          "Подпись экономиста:"};
  EXPECT_EQ(lines, expected);
  for (qsizetype i = 0; i < std::min(lines.size(), expected.size()); ++i)
    EXPECT_EQ(lines[i], expected[i]) << "line " << i;
  // The out-of-region calculated total is the summary's.
  EXPECT_EQ(s.state.Pass[Population::OutOfRegion].CalcTotal, Money::FromRoubles(500));
}

TEST(ActSummary, FormationOfAnInsurerEndsAfterTheAdditionalTariff) {
  Summary s;
  // The insurer's MEK sums only: its policy code compared as text.
  const QStringList lines = s.Write(false, 2778);
  const QStringList expected{"",
                             "Общая сумма по отчету: ",
                             "По местным: ",
                             "         Сумма с учётом МЭК: 3640.00 р.",
                             "      Сумма по расчетам: 3690.00 р.",
                             "          В т.ч. за счёт НСЗ: 2000.00 р.",
                             "",
                             "По иногородним: ",
                             "         Сумма с учётом МЭК: 480.00 р.",
                             "      Сумма по расчетам: 500.00 р.",
                             "          В т.ч. за счёт НСЗ: 500.00 р.",
                             "",
                             "В том чисте по базовому тарифу: ",
                             "По местным: ",
                             "      Сумма по расчетам: 3590.00 р.",
                             "          В т.ч. за счёт НСЗ: 2000.00 р.",
                             "  В т.ч. по инт.терапии: 0.00 р.",
                             " Койко-дней по расчетам: 38",
                             "  В т.ч. по инт.терапии: 0",
                             "",
                             "По иногородним: ",
                             "          В т.ч. за счёт НСЗ: 510.00 р.",
                             "      Сумма по расчетам: 500.00 р.",
                             "          В т.ч. за счёт НСЗ: 500.00 р.",
                             "  В т.ч. по инт.терапии: 0.00 р.",
                             " Койко-дней по расчетам: 9",
                             "  В т.ч. по инт.терапии: 0",
                             "",
                             "В том числе по дополнительному тарифу: ",
                             "Всего: ",
                             "        -    сумма по расчетам: 100.00 р.",
                             "",
                             "В том числе по местным: ",
                             "        -    сумма по расчетам: 100.00 р.",
                             "В том числе по иногородним: ",
                             "        -    сумма по расчетам: 0.00 р.",
                             ""};
  EXPECT_EQ(lines, expected);
}

TEST(ActSummary, AnInstitutionFormingWithoutOutOfRegionReports) {
  Summary s;
  s.state.ReportNumber[Population::OutOfRegion] = 0;
  const QStringList lines = s.Write(false, 1);
  // No MEK lines for an institution; the out-of-region sums are zero.
  EXPECT_FALSE(lines.contains("         Сумма с учётом МЭК: 3690.00 р."));
  const qsizetype out = lines.indexOf("По иногородним: ");
  ASSERT_GT(out, 0);
  EXPECT_EQ(lines[out + 1], "      Сумма по расчетам: 0.00 р.");
  EXPECT_EQ(s.state.Pass[Population::OutOfRegion].CalcTotal, Money());
  EXPECT_EQ(lines.last(), "");
}

TEST(ActSummary, TheVerdictCutsEachTotalToKopecks) {
  struct Case {
    qint64 localInvoice, localCalc, outInvoice, outCalc;
    bool agree;
  };
  const Case cases[] = {
      {10000000, 10000000, 10000040, 10000090, true},  // 1000.004 and 1000.009
      {10000000, 10000000, 0, 100, false},             // 0.00 and 0.01
      {10000099, 10000000, 0, 0, true},                // 1000.0099 is 1000.00
      {10000100, 10000000, 0, 0, false},               // 1000.01
      {-10000050, -10000000, 0, 0, true},              // cut towards zero
  };
  for (const Case& c : cases) {
    PerPopulation<PassTotals> pass;
    pass[Population::Local].InvoiceTotal = Money::FromUnits(c.localInvoice);
    pass[Population::Local].CalcTotal = Money::FromUnits(c.localCalc);
    pass[Population::OutOfRegion].InvoiceTotal = Money::FromUnits(c.outInvoice);
    pass[Population::OutOfRegion].CalcTotal = Money::FromUnits(c.outCalc);
    EXPECT_EQ(SumsAgree(pass), c.agree) << c.localInvoice << " " << c.outCalc;
  }
}

TEST(ActSummary, OtherInsurersRowOnlyForAPositiveSum) {
  const auto rows = [](qint64 a, qint64 b) {
    return QList<InsurerSums>{
        {"2779", Money::FromRoubles(5), Money::FromRoubles(4), Money::FromRoubles(1)},
        {"02778x", Money::FromUnits(a), Money::FromUnits(a), Money()},
        {"", Money::FromUnits(b), Money(), Money()}};
  };
  // Zero and below: no row; the regional insurer absent from the rows has none.
  for (const auto& [a, b] : {std::pair<qint64, qint64>{100, -100}, {-5, 0}}) {
    const QStringList expected =
        kInsurerHead +
        QStringList{InsurerLine("|     ЗНТ-Медицина       |", "5.00", "4.00", "1.00"), kRule79};
    EXPECT_EQ(InsurerTable(rows(a, b)), expected);
  }
  const QStringList lines = InsurerTable(rows(100, 1));
  EXPECT_EQ(lines[5], InsurerLine("|     Иногородние        |", "0.01", "0.01", "0.00"));
}

TEST(ActSummary, PresentedCostTakesTheSummarysSumWithinTwoKopecks) {
  PlanExecution plan;
  plan.CostPrI = 10;
  for (const auto& [procedure, shown] : {std::pair<double, const char*>{5000.013, "5000.00"},
                                         {5000.03, "5000.03"},
                                         {4999.99, "5000.00"},
                                         {4999.98, "4999.98"}}) {
    plan.CostPrM = procedure;
    const QStringList lines = PlanTable(plan, QDate(2025, 12, 1), QDate(2025, 12, 31),
                                        Money::FromRoubles(5000), Money::FromRoubles(10));
    EXPECT_EQ(lines[0], "Исполнение МЗ и сметы за декабрь 2025 (местное и иногороднее население).");
    EXPECT_EQ(lines[6].mid(46, 16), RightAligned(QString::fromLatin1(shown), 15) + "|")
        << procedure;
    EXPECT_EQ(lines[6].mid(62, 16), RightAligned("10.00", 15) + "|");
  }
}

TEST(ActSummary, SanctionMismatchInTheActsDatabaseIsWrittenOnce) {
  test::ActsServer server;
  // Three sanctions of the first local report's date, the second and third
  // not the fund's; others of another date or report.
  server.Rows(
      "insert into sank (id_report, date_report, idcase, s_ist) values "
      "(11, '2026-03-31', 501, 1), (11, '2026-03-31', 502, 2), (12, '2026-03-31', 503, 2), "
      "(11, '2026-02-28', 400, 2), (99, '2026-03-31', 401, 2)");
  ActsConnection acts(QStringLiteral("act_summary_acts"));
  acts.setConnectionString(server.ConnectionString());
  acts.Open();
  Summary s;
  const QStringList lines = s.Write(true, 2, &acts);
  acts.Close();
  const qsizetype verdict =
      lines.indexOf("Суммы предоставленные ЛПУ и посчитанные ТФ ОМС сошлись.");
  ASSERT_GT(verdict, 0);
  EXPECT_EQ(lines[verdict + 1],
            "Несовпадение санкций МЭК в СМО и в ТФОМС. Запись в базе актов: IDCASE = 502, "
            "ID_REPORT = 11. ПРИЁМ ОТЧЁТА НЕВОЗМОЖЕН.");
  EXPECT_EQ(lines[verdict + 2], "");
  EXPECT_EQ(lines[verdict + 3], kRule79);
  EXPECT_EQ(lines.filter("Несовпадение санкций").size(), 1);
  EXPECT_EQ(lines.last(), "Подпись экономиста:");

  // An insurer does not cross-check.
  Summary insurer;
  ActsConnection again(QStringLiteral("act_summary_acts_insurer"));
  again.setConnectionString(server.ConnectionString());
  again.Open();
  EXPECT_TRUE(insurer.Write(true, 2779, &again).filter("Несовпадение санкций").isEmpty());
}
