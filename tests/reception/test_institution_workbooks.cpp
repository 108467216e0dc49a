// The institution's workbooks of a pass: presence, the cells read and the
// totals, on folders of workbooks built by code (and one legacy .xls).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <variant>

#include "qt_test_application.h"
#include "reception/institution_workbooks.h"
#include "reception/reception_checks.h"
#include "registry_fixture.h"
#include "workbook/excel_application.h"
#include "workbook/workbook.h"

using namespace kelmo;

namespace {

using CellContent = std::variant<const char*, double>;
// (row, column) -> content
using Cells = std::map<std::pair<int, int>, CellContent>;

void WriteBook(const QString& folder, const QString& name, const Cells& cells) {
  auto book = workbook::Workbook::Create();
  workbook::Worksheet& sheet = book->ActiveSheet();
  for (const auto& [at, content] : cells) {
    if (const auto* text = std::get_if<const char*>(&content))
      sheet.SetText(at.first, at.second, *text);
    else
      sheet.SetNumber(at.first, at.second, std::get<double>(content));
  }
  book->SaveAs(QDir(folder).filePath(name).toStdString());
}

// A main invoice whose total row is 17.
Cells Invoice(const char* caption, double bedDays, double sum) {
  return {{{1, 1}, "Счет-фактура"}, {{17, 1}, caption}, {{17, 3}, bedDays}, {{17, 8}, sum}};
}

WorkbookFinder FinderOf(const QString& folder) {
  return [folder](const QString& name) {
    QString found = FindFileNoCase(folder, name);
    if (found.isEmpty()) found = FindFileNoCase(folder, name + QLatin1Char('x'));
    return found;
  };
}

Money Rub(double value) {
  return Money::FromDouble(value);
}

}  // namespace

TEST(InstitutionWorkbooks, LocalPassTotals) {
  struct Book {
    const char* name;
    Cells cells;
  };
  struct Case {
    const char* what;
    int stacType;
    bool attached;
    std::vector<Book> books;
    WorkbookProblem problem;
    QStringList lines;
    QString failing;
    double sum, base, extra;
    int bedDays;
  };
  const Book sreestr1{"sreestr1.xlsx", {{{1, 1}, "Реестр"}}};
  const Book profils1{"profils1.xlsx", {{{1, 1}, "Профили"}}};
  const Case cases[] = {
      {"round-the-clock, main invoice only",
       1,
       false,
       {{"sfakt1.xlsx", Invoice("Всего", 310, 12345.5)}, sreestr1},
       WorkbookProblem::None,
       {"Отсутствует файл profils1.xls"},
       {},
       12345.5,
       12345.5,
       0,
       310},
      {"with the additional-tariff invoice",
       1,
       true,
       {{"SFAKT1.XLSX", Invoice(" итого ВСЕГО ", 310, 12345.5)},
        sreestr1,
        profils1,
        {"sfakt1_ON.xlsx", {{{17, 1}, "ВСЕГО"}, {{17, 8}, 1000.25}}}},
       WorkbookProblem::None,
       {},
       {},
       13345.75,
       12345.5,
       1000.25,
       310},
      {"attached day hospital: the register's total net of the additional tariff",
       2,
       true,
       {{"sfakt2.xlsx", Invoice("Всего", 40, 5000)},
        {"sreestr2.xlsx",
         {{{20, 3}, " Итого:"}, {{21, 14}, "12"}, {{21, 15}, "6000.50"}, {{21, 17}, 500.0}}},
        {"profils2.xlsx", {}},
        {"sfakt2_ON.xlsx", {{{17, 1}, "Всего"}, {{17, 8}, 700.0}}},
        {"sfakt2_TR.xlsx", {{{17, 1}, "Всего"}, {{17, 9}, 30.0}}}},
       WorkbookProblem::None,
       {},
       {},
       5530.5,
       4800.5,
       700,
       40},
      {"day hospital not attached: the invoice and the additional tariff",
       2,
       false,
       {{"sfakt2.xlsx", Invoice("Всего", 40, 5000)},
        {"sreestr2.xlsx", {}},
        {"profils2.xlsx", {}},
        {"sfakt2_ON.xlsx", {{{17, 1}, "Всего"}, {{17, 8}, 700.0}}}},
       WorkbookProblem::None,
       {},
       {},
       5700,
       5000,
       700,
       40},
      {"every optional invoice well-formed",
       4,
       false,
       {{"sfakt4.xlsx", Invoice("Всего", 20, 2000)},
        {"sreestr4.xlsx", {}},
        {"profils4.xlsx", {}},
        {"sfakt4_FF.xlsx", {{{18, 1}, "Всего"}, {{18, 9}, 1.25}}},
        {"sfakt4_ON.xlsx", {{{17, 1}, "Всего"}, {{17, 8}, 10.0}}},
        {"sfakt4_TF.xlsx", {{{18, 1}, "Всего"}, {{18, 9}, 100.0}}},
        {"sfakt4_TR.xlsx", {{{17, 1}, "Всего"}, {{17, 9}, 1000.0}}}},
       WorkbookProblem::None,
       {},
       {},
       3111.25,
       2000,
       10,
       20},
      {"register and invoice missing",
       1,
       false,
       {profils1},
       WorkbookProblem::FilesMissing,
       {"Отсутствует файл sfakt1.xls", "Отсутствует файл sreestr1.xls"},
       {},
       0,
       0,
       0,
       0},
      {"register without its total",
       3,
       true,
       {{"sfakt3.xlsx", Invoice("Всего", 5, 100)},
        {"sreestr3.xlsx", {{{20, 3}, "Итого"}, {{21, 15}, 100.0}}},
        {"profils3.xlsx", {}}},
       WorkbookProblem::RegisterLayout,
       {},
       {},
       100,
       100,
       0,
       5},
      {"two malformed optional invoices: the later one is named",
       1,
       false,
       {{"sfakt1.xlsx", Invoice("Всего", 10, 1000)},
        sreestr1,
        profils1,
        {"sfakt1_FF.xlsx", {{{18, 1}, "Итого"}, {{18, 9}, 5.0}}},
        {"sfakt1_TF.xlsx", {{{18, 1}, "Всего"}}},
        {"sfakt1_TR.xlsx", {{{17, 1}, "Всего"}, {{17, 9}, 7.0}}}},
       WorkbookProblem::InvoiceLayout,
       {},
       QStringLiteral("\\sfakt1_TF.xls"),
       1007,
       1000,
       0,
       10},
      {"main invoice without its total row",
       1,
       false,
       {{"sfakt1.xlsx", Invoice("Итого", 10, 1000)}, sreestr1, profils1},
       WorkbookProblem::InvoiceLayout,
       {},
       QStringLiteral("\\sfakt1.xls"),
       0,
       0,
       0,
       0},
      {"a sum that is not a number",
       1,
       false,
       {{"sfakt1.xlsx", {{{17, 1}, "Всего"}, {{17, 3}, 1.0}, {{17, 8}, "много"}}},
        sreestr1,
        profils1},
       WorkbookProblem::InvoiceLayout,
       {},
       QStringLiteral("\\sfakt1.xls"),
       0,
       0,
       0,
       0},
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    for (const Book& b : c.books) WriteBook(dir.path(), QString::fromUtf8(b.name), b.cells);
    workbook::ExcelApplication excel;
    const WorkbookReading r =
        ReadLocalWorkbooks(excel, FinderOf(dir.path()), c.stacType, c.attached);
    EXPECT_EQ(r.Problem, c.problem) << c.what;
    EXPECT_EQ(r.ActLines, c.lines) << c.what;
    EXPECT_EQ(r.FailingName, c.failing) << c.what;
    EXPECT_EQ(r.LpuInvoiceSum, Rub(c.sum))
        << c.what << " " << r.LpuInvoiceSum.ToString().toStdString();
    EXPECT_EQ(r.BaseSum, Rub(c.base)) << c.what << " " << r.BaseSum.ToString().toStdString();
    EXPECT_EQ(r.ExtraSum, Rub(c.extra)) << c.what;
    EXPECT_EQ(r.LpuInvoiceBedDays, c.bedDays) << c.what;
    EXPECT_EQ(excel.WorkbookCount(), 0u) << c.what;
  }
}

TEST(InstitutionWorkbooks, LegacyXlsInvoice) {
  QTemporaryDir dir;
  ASSERT_TRUE(QFile::copy(QStringLiteral(KELMO_TEST_DATA "/reception/sfakt1_legacy.xls"),
                          dir.filePath(QStringLiteral("sfakt1.xls"))));
  WriteBook(dir.path(), QStringLiteral("sreestr1.xlsx"), {});
  WriteBook(dir.path(), QStringLiteral("profils1.xlsx"), {});
  workbook::ExcelApplication excel;
  const WorkbookReading r = ReadLocalWorkbooks(excel, FinderOf(dir.path()), 1, false);
  EXPECT_EQ(r.Problem, WorkbookProblem::None);
  EXPECT_EQ(r.LpuInvoiceBedDays, 310);
  EXPECT_EQ(r.LpuInvoiceSum, Rub(12345.5));
}

TEST(InstitutionWorkbooks, OutOfRegionPassTotals) {
  QTemporaryDir dir;
  WorkbookFinder find = FinderOf(dir.path());
  workbook::ExcelApplication excel;
  WorkbookReading r = ReadOutOfRegionWorkbooks(excel, find, 1);
  EXPECT_EQ(r.Problem, WorkbookProblem::FilesMissing);
  EXPECT_EQ(r.ActLines, (QStringList{QStringLiteral("Отсутствует файл sfakti1.xls"),
                                     QStringLiteral("Отсутствует файл sreestri1.xls"),
                                     QStringLiteral("Отсутствует файл profilsi1.xls")}));

  // The total row lies anywhere from row 10 down; rows above do not count.
  WriteBook(dir.path(), QStringLiteral("sfakti1.xlsx"),
            {{{5, 1}, "Всего"}, {{25, 1}, "Всего:"}, {{25, 3}, 12.0}, {{25, 8}, 900.0}});
  WriteBook(dir.path(), QStringLiteral("sreestri1.xlsx"), {});
  WriteBook(dir.path(), QStringLiteral("sfakti1_ON.xlsx"), {{{40, 1}, "всего"}, {{40, 8}, 100.0}});
  WriteBook(dir.path(), QStringLiteral("sfakti1_FF.xlsx"), {{{18, 1}, "ВСЕГО"}, {{18, 9}, 1.5}});
  r = ReadOutOfRegionWorkbooks(excel, find, 1);
  EXPECT_EQ(r.Problem, WorkbookProblem::None);
  EXPECT_EQ(r.ActLines, QStringList{QStringLiteral("Отсутствует файл profilsi1.xls")});
  EXPECT_EQ(r.LpuInvoiceBedDays, 12);
  EXPECT_EQ(r.LpuInvoiceSum, Rub(1001.5));
  EXPECT_EQ(r.BaseSum, Rub(900));
  EXPECT_EQ(r.ExtraSum, Rub(100));

  // Without a total row the search ends at the sheet's last row.
  WriteBook(dir.path(), QStringLiteral("sfakti1.xlsx"), {{{5, 1}, "Всего"}, {{60, 2}, 1.0}});
  r = ReadOutOfRegionWorkbooks(excel, find, 1);
  EXPECT_EQ(r.Problem, WorkbookProblem::InvoiceLayout);
  EXPECT_EQ(r.FailingName, QStringLiteral("\\sfakti1.xls"));
  // A total row without its bed days.
  WriteBook(dir.path(), QStringLiteral("sfakti1.xlsx"), {{{10, 1}, "Всего"}, {{10, 8}, 5.0}});
  r = ReadOutOfRegionWorkbooks(excel, find, 1);
  EXPECT_EQ(r.Problem, WorkbookProblem::InvoiceLayout);
  EXPECT_EQ(r.LpuInvoiceSum, Rub(106.5));  // with the optional invoices still there
  EXPECT_EQ(excel.WorkbookCount(), 0u);
}

TEST(InstitutionWorkbooks, TheRunsCheckWritesTheActAndTheTotals) {
  test::RegistryFixture f;
  QTemporaryDir dir;
  WriteBook(dir.path(), QStringLiteral("sfakt1.xlsx"), Invoice("Всего", 310, 12345.5));
  WriteBook(dir.path(), QStringLiteral("sreestr1.xlsx"), {});
  WriteBook(dir.path(), QStringLiteral("sfakt1_ON.xlsx"), {{{17, 1}, "ВСЕГО"}, {{17, 8}, 10.0}});
  ReceptionState state;
  FbTransaction tr(f.Db());
  ReceptionContext ctx{state, f.Db(), tr};
  workbook::ExcelApplication excel;
  ctx.Excel = &excel;
  ctx.RegistryFolder = dir.path();
  ctx.StacType = StacType::RoundTheClock;
  const QString act = dir.filePath(QStringLiteral("act.txt"));
  state.Act.Create(act);
  const WorkbookCheckResult result = CheckLocalWorkbooks(ctx);
  state.Act.Close();
  EXPECT_EQ(result.Outcome, WorkbookOutcome::Passed);
  EXPECT_EQ(state.LpuInvoiceSum, Rub(12355.5));
  EXPECT_EQ(state.LpuInvoiceBedDays, 310);
  EXPECT_EQ(state.Pass[Population::Local].InvoiceBaseSum, Rub(12345.5));
  EXPECT_EQ(state.Pass[Population::Local].InvoiceExtraSum, Rub(10));
  QFile file(act);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QStringDecoder decode("windows-1251");
  EXPECT_EQ(QString(decode(file.readAll())), QStringLiteral("Отсутствует файл profils1.xls\r\n"));

  // The out-of-region workbooks are missing.
  state.Act.Create(act);
  const WorkbookCheckResult missing = CheckOutOfRegionWorkbooks(ctx);
  state.Act.Close();
  EXPECT_EQ(missing.Outcome, WorkbookOutcome::FilesMissing);
  EXPECT_EQ(
      InvoiceLayoutStopLine(QStringLiteral("\\sfakt1_FF.xls")),
      QStringLiteral(
          "Неверный формат файла счет-фактуры \\sfakt1_FF.xls! Дальнейший прием невозможен."));
  EXPECT_EQ(
      RegisterLayoutStopLine(2),
      QStringLiteral("Неверный формат файла реестра sreestr2.xls! Дальнейший прием невозможен."));
}
