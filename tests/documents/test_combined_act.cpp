// The combined act: acts of the reception run's layout copied onto a sheet
// (head lines once, bold titles, the three tables with their borders, the
// out-of-region summary beside the local one), the acts chosen from a
// fixture registry database, the workbook built from the template and read
// back, the act files read as untrusted input, and the viewer's button.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "../reception/registry_fixture.h"
#include "documents/combined_act.h"
#include "documents/un_corr.h"
#include "domain/act_file.h"
#include "interact/scripted_interaction.h"
#include "qt_test_application.h"
#include "workbook/workbook.h"

using namespace kelmo;
using workbook::Worksheet;

namespace {

const QString kDatabaseLine = QStringLiteral("База данных: /data/kelmo.fdb");

// The head of an act of the in-patient type, as the reception run writes it.
QStringList Head(StacType type, const QString& lpu = QStringLiteral("ГБУ «Больница №1»")) {
  return {QStringLiteral("Акт первичного технологического контроля"),
          QString(),
          QStringLiteral("ЛПУ: ") + lpu + QLatin1Char('.'),
          QStringLiteral("Вид оплаты: ОМС"),
          QStringLiteral("Отчет за период с 01.03.2026 по 31.03.2026."),
          StacTypeLine(type),
          QStringLiteral("Дата приема: 05.04.2026. Время приема: 10:15:00"),
          QString(),
          kDatabaseLine,
          QString()};
}

// A blocking-errors section with two cases.
QStringList ErrorSection() {
  const QString rule = RuleLine(QLatin1Char('-'), 115);
  return {QStringLiteral("Обнаружены ошибки, по которым прием реестра пролеченных больных по "
                         "местному населению не возможен:"),
          rule,
          TableRow({{QStringLiteral("Ист.бол."), 15},
                    {QStringLiteral("Фамилия"), 20},
                    {QStringLiteral("Сумма"), 10},
                    {QStringLiteral("Ошибка:") + QString(58, QLatin1Char(' ')), 65}}),
          rule,
          TableRow({{QStringLiteral("101"), 15},
                    {QStringLiteral("ИВАНОВ"), 20},
                    {QStringLiteral("1000.5"), 10},
                    {QStringLiteral("Неверный код диагноза"), 65}}),
          TableRow({{QStringLiteral("102"), 15},
                    {QStringLiteral("ПЕТРОВ"), 20},
                    {QStringLiteral("200"), 10},
                    {QStringLiteral("Нет полиса"), 65}}),
          rule,
          TableRow({{QStringLiteral("ИТОГО СУММА "), 36}, {QStringLiteral("1200.5"), 10}}),
          RuleLine(QLatin1Char('-'), 49)};
}

// The sums of the report: local, then out-of-region.
QStringList Summary() {
  return {QString(),
          QStringLiteral("Общая сумма по отчету: "),
          QStringLiteral("По местным: "),
          QStringLiteral("         Сумма по счету: 1200.50"),
          QStringLiteral("      Сумма по расчетам: 1100.00"),
          QString(),
          QStringLiteral("По иногородним: "),
          QStringLiteral("         Сумма по счету: 300.00"),
          QStringLiteral("      Сумма по расчетам: 290.00"),
          QString(),
          QStringLiteral("Суммы предоставленные ЛПУ и посчитанные ТФ ОМС не сошлись.")};
}

QStringList InsurerTable() {
  const QString rule = RuleLine(QLatin1Char('-'), 79);
  return {QString(),
          rule,
          QStringLiteral(
              "|    Наименование СМО    | За счет терр. |               В том числе          |"),
          QStringLiteral(
              "|                        |  программы    |   Базовый тариф   |   Доп. тариф   |"),
          rule,
          QStringLiteral(
              "|     Бервинта           |        1100.00|             900.00|          200.00|"),
          QStringLiteral(
              "|     Иногородние        |         290.00|             290.00|            0.00|"),
          rule,
          QString()};
}

QStringList PlanTable() {
  const QString rule = QStringLiteral(
      "|------------------|-----------|-------------|---------------|---------------|-----------|");
  return {QStringLiteral("Исполнение МЗ и сметы за Март 2026 (местное и иногороднее население)."),
          rule,
          QStringLiteral("|    Показатели    |     МЗ    | Предъявлено |в т.ч. местные |в т.ч. "
                         "иногорд.|  %исп.МЗ  |"),
          QStringLiteral("|                  |           | (баз. тариф)|  (баз. тариф) |  (баз. "
                         "тариф) |           |"),
          rule,
          QStringLiteral("| Количество к/д   |        100|           90|             80|        "
                         "     10|     90.00%|"),
          QStringLiteral("| Затраты (руб.)   |   10000.00|      9000.00|        8000.00|        "
                         "1000.00|     90.00%|"),
          rule,
          QStringLiteral("Подпись экономиста:")};
}

// A whole act of a reception: head, errors, sums, insurers, plan, signature.
QStringList FullAct(StacType type) {
  return Head(type) + ErrorSection() + Summary() + InsurerTable() + PlanTable();
}

void WriteAct(const QString& path, const QStringList& lines) {
  ActFile act;
  act.Create(path);
  act.WriteLines(lines);
  act.Close();
}

QString A(const Worksheet& sheet, int row, int column = 1) {
  return QString::fromStdString(sheet.Text(row, column));
}

bool Bold(const Worksheet& sheet, int row, int column = 1) {
  return sheet.FontAt(row, column).bold;
}

bool Merged(const Worksheet& sheet, int row1, int column1, int row2, int column2) {
  const workbook::CellRange wanted = workbook::MakeRange(row1, column1, row2, column2);
  for (const workbook::CellRange& m : sheet.Merges())
    if (m == wanted) return true;
  return false;
}

// Thin lines around and inside the block (each cell's four sides).
void ExpectGrid(const Worksheet& sheet, int row1, int column1, int row2, int column2) {
  for (int r = row1; r <= row2; ++r)
    for (int c = column1; c <= column2; ++c) {
      const workbook::Border& b = sheet.BorderAt(r, c);
      EXPECT_EQ(b.left.style, "thin") << r << ":" << c;
      EXPECT_EQ(b.right.style, "thin") << r << ":" << c;
      EXPECT_EQ(b.top.style, "thin") << r << ":" << c;
      EXPECT_EQ(b.bottom.style, "thin") << r << ":" << c;
    }
  // Nothing past the block's right edge or below it.
  EXPECT_TRUE(sheet.BorderAt(row1, column2 + 1).left.style.empty());
  EXPECT_TRUE(sheet.BorderAt(row2 + 1, column1).top.style.empty());
}

int CountRowsHolding(const Worksheet& sheet, const QString& text) {
  int n = 0;
  for (int r = 1; r <= sheet.LastRow(); ++r)
    if (A(sheet, r).contains(text)) ++n;
  return n;
}

class CombinedActCopyTest : public ::testing::Test {
 protected:
  CombinedActCopyTest() { app.Add(); }
  Worksheet& Sheet() { return app.ActiveSheet(); }
  workbook::ExcelApplication app;
  TDoubleRec flags;
  int row = kCombinedActFirstRow;
};

TEST_F(CombinedActCopyTest, CopiesAWholeActWithItsTables) {
  AppendProtocolToAct(app, FullAct(StacType::RoundTheClock), flags, row);
  const Worksheet& s = Sheet();
  // The head from "ЛПУ:" on; the title before it is the template's.
  EXPECT_EQ(A(s, 3), QString("ЛПУ: ГБУ «Больница №1»."));
  EXPECT_TRUE(Bold(s, 3));
  EXPECT_EQ(A(s, 4), QString("Вид оплаты: ОМС"));
  EXPECT_FALSE(Bold(s, 4));
  EXPECT_EQ(A(s, 5), QString("Отчет за период с 01.03.2026 по 31.03.2026."));
  EXPECT_TRUE(A(s, 6).isEmpty());  // the empty row before the type's title
  EXPECT_EQ(A(s, 7), QString("Тип стационара: круглосуточный."));
  EXPECT_TRUE(Bold(s, 7));
  EXPECT_TRUE(A(s, 8).startsWith("Дата приема: 05.04.2026"));
  EXPECT_EQ(A(s, 10), kDatabaseLine);
  EXPECT_TRUE(A(s, 12).startsWith("Обнаружены ошибки"));
  EXPECT_TRUE(flags.LpuLineDone && flags.PayKindLineDone && flags.PeriodLineDone &&
              flags.DatabaseLineDone);

  // The error table: header, two rows, the text merged across D:H.
  const QStringList header{"Ист.бол.", "Фамилия", "Сумма", "Ошибка:"};
  for (int c = 0; c < 4; ++c) EXPECT_EQ(A(s, 13, c + 1), header[c]);
  EXPECT_EQ(A(s, 14, 1), QString("101"));
  EXPECT_EQ(A(s, 14, 2), QString("ИВАНОВ"));
  EXPECT_EQ(A(s, 14, 3), QString("1000.5"));
  EXPECT_EQ(A(s, 14, 4), QString("Неверный код диагноза"));
  EXPECT_EQ(A(s, 15, 2), QString("ПЕТРОВ"));
  EXPECT_EQ(A(s, 15, 4), QString("Нет полиса"));
  for (int r = 13; r <= 15; ++r) EXPECT_TRUE(Merged(s, r, 4, r, 8)) << r;
  ExpectGrid(s, 13, 1, 15, 8);
  // The rule, the total and the short rule after the rows are not copied.
  EXPECT_EQ(CountRowsHolding(s, "ИТОГО"), 0);

  // The sums: the out-of-region lines stand in F beside the local ones; the
  // empty line between the two parts leaves no row of its own.
  EXPECT_TRUE(A(s, 16).isEmpty());
  EXPECT_EQ(A(s, 17), QString("Общая сумма по отчету: "));
  EXPECT_EQ(A(s, 18), QString("По местным: "));
  EXPECT_EQ(A(s, 18, 6), QString("По иногородним: "));
  EXPECT_EQ(A(s, 19), QString("         Сумма по счету: 1200.50"));
  EXPECT_EQ(A(s, 19, 6), QString("         Сумма по счету: 300.00"));
  EXPECT_EQ(A(s, 20, 6), QString("      Сумма по расчетам: 290.00"));
  EXPECT_TRUE(A(s, 21, 6).isEmpty());
  EXPECT_TRUE(A(s, 21).isEmpty());
  EXPECT_TRUE(A(s, 22).startsWith("Суммы предоставленные ЛПУ"));

  // The insurer table: its header takes the row of the rule above it.
  EXPECT_TRUE(A(s, 23).isEmpty());
  const QStringList insurers{"Наименование СМО", "", "За счет терр. прогр.", "Базовый тариф",
                             "Доп. тариф"};
  for (int c = 0; c < 5; ++c) EXPECT_EQ(A(s, 24, c + 1), insurers[c]) << c;
  EXPECT_EQ(s.FormatAt(24, 3).AlignmentAttr("horizontal"), "center");
  EXPECT_EQ(s.FormatAt(24, 3).AlignmentAttr("vertical"), "center");
  EXPECT_EQ(s.FormatAt(24, 3).AlignmentAttr("wrapText"), "1");
  EXPECT_EQ(A(s, 25), QString("Бервинта"));
  EXPECT_EQ(A(s, 25, 3), QString("1100.00"));
  EXPECT_EQ(A(s, 25, 4), QString("900.00"));
  EXPECT_EQ(A(s, 25, 5), QString("200.00"));
  EXPECT_EQ(A(s, 26), QString("Иногородние"));
  for (int r = 24; r <= 26; ++r) EXPECT_TRUE(Merged(s, r, 1, r, 2)) << r;
  ExpectGrid(s, 24, 1, 26, 5);

  // The plan table after an empty row; the rules inside it are not rows.
  EXPECT_TRUE(A(s, 27).isEmpty());
  EXPECT_TRUE(A(s, 28).startsWith("Исполнение МЗ и сметы за Март 2026"));
  const QStringList plan{"Показатели",      "",        "МЗ", "Предъявлено", "в т.ч. местные",
                         "в т.ч. иногорд.", "%исп. МЗ"};
  for (int c = 0; c < 7; ++c) EXPECT_EQ(A(s, 29, c + 1), plan[c]) << c;
  EXPECT_EQ(A(s, 30), QString("Количество к/д"));
  EXPECT_EQ(A(s, 30, 3), QString("100"));
  EXPECT_EQ(A(s, 30, 7), QString("90.00%"));
  EXPECT_EQ(A(s, 31), QString("Затраты (руб.)"));
  EXPECT_EQ(A(s, 31, 4), QString("9000.00"));
  for (int r = 29; r <= 31; ++r) EXPECT_TRUE(Merged(s, r, 1, r, 2)) << r;
  ExpectGrid(s, 29, 1, 31, 7);
  // The act's own signature line is not copied; the row after the table is
  // where the next act may start.
  EXPECT_EQ(CountRowsHolding(s, "экономиста"), 0);
  EXPECT_EQ(row, 32);
  EXPECT_EQ(s.LastRow(), 31);
}

TEST_F(CombinedActCopyTest, HeadLinesOnceAcrossActs) {
  AppendProtocolToAct(app, Head(StacType::RoundTheClock), flags, row);
  ++row;
  AppendProtocolToAct(app, Head(StacType::AtHome, QStringLiteral("Другая")), flags, row);
  const Worksheet& s = Sheet();
  EXPECT_EQ(CountRowsHolding(s, "ЛПУ:"), 1);
  EXPECT_EQ(CountRowsHolding(s, "Вид оплаты:"), 1);
  EXPECT_EQ(CountRowsHolding(s, "Отчет за период"), 1);
  EXPECT_EQ(CountRowsHolding(s, "База данных"), 1);
  EXPECT_EQ(CountRowsHolding(s, "Другая"), 0);
  // The second act: after the empty row between acts, an empty row, its
  // bold title, its reception date.
  EXPECT_TRUE(A(s, 12).isEmpty() && A(s, 13).isEmpty());
  EXPECT_EQ(A(s, 14), QString("Тип стационара: на дому."));
  EXPECT_TRUE(Bold(s, 14));
  EXPECT_TRUE(A(s, 15).startsWith("Дата приема"));
}

TEST_F(CombinedActCopyTest, EdgeCasesOfTheLines) {
  struct Case {
    const char* name;
    QStringList lines;
    // Expected texts of A and F from the first row on ("" an empty cell).
    QStringList columnA;
    QStringList columnF;
  };
  const QString lpu = QStringLiteral("ЛПУ: Б.");
  QStringList longSummary{lpu, QStringLiteral("По местным: "), QStringLiteral("м1"), QString(),
                          QStringLiteral("По иногородним: ")};
  QStringList longF{QStringLiteral("По иногородним: ")};
  for (int i = 1; i <= 12; ++i) longSummary << QStringLiteral("и%1").arg(i);
  for (int i = 1; i <= 10; ++i) longF << QStringLiteral("и%1").arg(i);
  const Case cases[] = {
      {"no ЛПУ line: nothing",
       {QStringLiteral("Вид оплаты: ОМС"), QStringLiteral("строка")},
       {},
       {}},
      {"out-of-region without a local summary is dropped",
       {lpu, QStringLiteral("По иногородним: "), QStringLiteral("   Сумма: 1"), QString(),
        QStringLiteral("после")},
       {lpu, QStringLiteral("   Сумма: 1"), QString(), QStringLiteral("после")},
       {}},
      {"the summary ends at its bed-day difference",
       {lpu, QStringLiteral("По местным: "), QStringLiteral("м1"), QStringLiteral("м2"), QString(),
        QStringLiteral("По иногородним: "), QStringLiteral("   Разница в койко-днях: 2"),
        QStringLiteral("после")},
       {lpu, QStringLiteral("По местным: "), QStringLiteral("м1"), QStringLiteral("м2"),
        QStringLiteral("после")},
       {QString(), QStringLiteral("По иногородним: "),
        QStringLiteral("   Разница в койко-днях: 2")}},
      {"a summary of more than 11 lines is cut; the rest goes to A",
       longSummary,
       {lpu, QStringLiteral("По местным: "), QStringLiteral("м1"), QStringLiteral("и11"),
        QStringLiteral("и12")},
       QStringList{QString()} + longF},
      {"a table cut short at the end of the act",
       {lpu, QStringLiteral("Обнаружены ошибки:"), QStringLiteral("----")},
       {lpu, QStringLiteral("Обнаружены ошибки:"), QStringLiteral("Ист.бол.")},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    workbook::ExcelApplication one;
    one.Add();
    TDoubleRec fresh;
    int r = 1;
    AppendProtocolToAct(one, c.lines, fresh, r);
    const Worksheet& s = one.ActiveSheet();
    const int rows = std::max<int>(c.columnA.size(), c.columnF.size());
    EXPECT_EQ(s.LastRow(), rows);
    for (int i = 0; i < c.columnA.size(); ++i) EXPECT_EQ(A(s, i + 1), c.columnA[i]) << i;
    for (int i = 0; i < c.columnF.size(); ++i) EXPECT_EQ(A(s, i + 1, 6), c.columnF[i]) << i;
  }
}

TEST_F(CombinedActCopyTest, AnActNeverStepsBackOverWhatCameBefore) {
  // Summaries that step back one row each, more of them than the act has
  // rows: the row before the act stays.
  Sheet().SetText(2, 1, "предыдущий акт");
  row = 3;
  QStringList lines{QStringLiteral("ЛПУ: Б."), QStringLiteral("По местным: ")};
  for (int i = 0; i < 30; ++i) lines << QStringLiteral("По иногородним: ");
  lines << QStringLiteral("после");
  AppendProtocolToAct(app, lines, flags, row);
  EXPECT_EQ(A(Sheet(), 2), QString("предыдущий акт"));
  EXPECT_GE(row, 3);
}

class CombinedActTest : public ::testing::Test {
 protected:
  CombinedActTest() {
    request.Database = &db.Db();
    request.LpuId = 7;
    request.MonthStart = QDate(2026, 3, 1);
    request.TemplateFolder = QStringLiteral(KELMO_SOURCE_DIR "/templates");
    output = dir.filePath(QStringLiteral("act-out.xlsx"));
  }

  // A reception of the institution: its act written into the folder unless
  // `lines` is empty.
  QString Reception(int repn, int type, const QDateTime& received, const QStringList& lines,
                    int lpu = 7, int oplat = 1, const char* inogor = "0",
                    const QDate& month = QDate(2026, 3, 1)) {
    const QString path = dir.filePath(QStringLiteral("act%1.txt").arg(repn));
    if (!lines.isEmpty()) WriteAct(path, lines);
    db.Insert(QStringLiteral("REPORTS"),
              {{QStringLiteral("REPN"), repn},
               {QStringLiteral("LPU"), lpu},
               {QStringLiteral("TIP_STAC"), type},
               {QStringLiteral("OPLAT"), oplat},
               {QStringLiteral("INOGOR"), QString::fromUtf8(inogor)},
               {QStringLiteral("DATE_BEG"), QDateTime(month, QTime(0, 0))},
               {QStringLiteral("DATE_PR"), received},
               // Stored with blanks around, as a fixed-width column may give it.
               {QStringLiteral("FILE_OSH"), QStringLiteral(" ") + path + QStringLiteral("  ")}});
    return path;
  }

  QTemporaryDir dir;
  test::RegistryFixture db;
  CombinedActRequest request;
  QString output;
};

TEST_F(CombinedActTest, TakesTheNewestLocalOmsActOfEachTypeFound) {
  const QStringList round = Head(StacType::RoundTheClock) + QStringList{"новейший"};
  Reception(1, 1, test::Day(2026, 4, 2), Head(StacType::RoundTheClock) + QStringList{"старый"});
  Reception(2, 1, test::Day(2026, 4, 5), round);
  // Not taken: another payment kind, out-of-region patients, another
  // institution, another month, each received later.
  Reception(3, 1, test::Day(2026, 4, 9), Head(StacType::RoundTheClock) + QStringList{"ВМП"}, 7, 6);
  Reception(4, 1, test::Day(2026, 4, 9), Head(StacType::RoundTheClock) + QStringList{"приезжие"}, 7,
            1, "1");
  Reception(5, 1, test::Day(2026, 4, 9), Head(StacType::RoundTheClock) + QStringList{"чужое"}, 8);
  Reception(6, 1, test::Day(2026, 5, 9), Head(StacType::RoundTheClock) + QStringList{"апрель"}, 7,
            1, "0", QDate(2026, 4, 1));
  // Type 3 only besides type 1; types 2 and 4 have no reception.
  Reception(7, 3, test::Day(2026, 4, 6), FullAct(StacType::AtHome));

  EXPECT_EQ(NewestActPath(db.Db(), request, StacType::RoundTheClock),
            std::optional<QString>(dir.filePath("act2.txt")));
  EXPECT_EQ(NewestActPath(db.Db(), request, StacType::DayAtPolyclinic), std::nullopt);

  ASSERT_EQ(BuildCombinedAct(request, output), std::optional<QString>(output));
  auto book = workbook::Workbook::Open(output.toStdString());
  const Worksheet& s = book->ActiveSheet();
  // The template's title stays above the acts.
  EXPECT_EQ(A(s, 1), QString("Акт первичного технологического контроля"));
  EXPECT_EQ(A(s, 3), QString("ЛПУ: ГБУ «Больница №1»."));
  EXPECT_TRUE(Bold(s, 3));
  EXPECT_EQ(A(s, 7), QString("Тип стационара: круглосуточный."));
  EXPECT_EQ(A(s, 12), QString("новейший"));
  for (const char* other : {"старый", "ВМП", "приезжие", "чужое", "апрель"})
    EXPECT_EQ(CountRowsHolding(s, other), 0) << other;
  // The type-3 act after an empty row between the acts and the empty row
  // before its title; its head lines are not repeated.
  EXPECT_TRUE(A(s, 13).isEmpty() && A(s, 14).isEmpty());
  EXPECT_EQ(A(s, 15), QString("Тип стационара: на дому."));
  EXPECT_TRUE(Bold(s, 15));
  EXPECT_EQ(CountRowsHolding(s, "ЛПУ:"), 1);
  EXPECT_EQ(CountRowsHolding(s, "База данных"), 1);
  // Its tables kept their borders through the saved file.
  const int errors = 19;  // after the title, the date and two empty lines
  EXPECT_EQ(A(s, errors + 1), QString("Ист.бол."));
  EXPECT_EQ(A(s, errors + 2, 2), QString("ИВАНОВ"));
  ExpectGrid(s, errors + 1, 1, errors + 3, 8);
  // The signature line after the last act and an empty row.
  const int last = s.LastRow();
  EXPECT_EQ(A(s, last), QString("Подпись экономиста:"));
  EXPECT_TRUE(A(s, last - 1).isEmpty());
  EXPECT_EQ(CountRowsHolding(s, "экономиста"), 1);
}

TEST_F(CombinedActTest, AMissingActStopsTheBuildingAndNothingIsWritten) {
  Reception(1, 1, test::Day(2026, 4, 2), FullAct(StacType::RoundTheClock));
  const QString gone = Reception(2, 4, test::Day(2026, 4, 3), {});
  try {
    BuildCombinedAct(request, output);
    FAIL() << "no error";
  } catch (const CombinedActError& e) {
    EXPECT_EQ(e.Caption(), QString("Ошибка"));
    EXPECT_EQ(e.Text(), QString("Файл не найден ") + gone);
  }
  EXPECT_FALSE(QFile::exists(output));
}

TEST_F(CombinedActTest, NothingToBuildWritesNothing) {
  // No reception of the month.
  EXPECT_EQ(BuildCombinedAct(request, output), std::nullopt);
  EXPECT_FALSE(QFile::exists(output));
  // A template folder without the template: silently nothing.
  Reception(1, 2, test::Day(2026, 4, 2), FullAct(StacType::DayAtPolyclinic));
  request.TemplateFolder = dir.path();
  EXPECT_EQ(BuildCombinedAct(request, output), std::nullopt);
  EXPECT_FALSE(QFile::exists(output));
}

TEST(ActFileReading, ReadsTheActAsStoredAndRefusesWhatIsNotAnAct) {
  QTemporaryDir dir;
  const QString act = dir.filePath("Кр0504_101500.txt");
  WriteAct(act, {QStringLiteral("ЛПУ: Б."), QString(), QStringLiteral("  отступ  ")});
  EXPECT_EQ(ReadActFile(act), (QStringList{"ЛПУ: Б.", "", "  отступ  "}));

  const auto refusal = [](const QString& path) {
    try {
      ReadActFile(path);
    } catch (const CombinedActError& e) {
      EXPECT_EQ(e.Caption(), QString("Ошибка"));
      EXPECT_TRUE(e.Text().contains(path)) << e.Text().toStdString();
      return e.Text();
    }
    ADD_FAILURE() << "read " << path.toStdString();
    return QString();
  };
  EXPECT_EQ(refusal(dir.filePath("нет.txt")), QString("Файл не найден ") + dir.filePath("нет.txt"));
  // A folder, a FIFO (which must not block the reading) and a file larger
  // than any act.
  QDir(dir.path()).mkdir("папка");
  EXPECT_TRUE(refusal(dir.filePath("папка")).startsWith("Не удалось прочитать файл"));
  const QString fifo = dir.filePath("fifo.txt");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_TRUE(refusal(fifo).startsWith("Не удалось прочитать файл"));
  QFile big(dir.filePath("big.txt"));
  ASSERT_TRUE(big.open(QIODevice::WriteOnly));
  ASSERT_TRUE(big.resize(kMaxActBytes + 1));
  big.close();
  EXPECT_TRUE(refusal(big.fileName()).contains("больше"));
}

class CombinedActViewerTest : public CombinedActTest {
 protected:
  void SetUp() override {
    viewer.CombinedActFor = request;
    viewer.Opener = [this](const std::string& path) { opened.push_back(path); };
  }
  ScriptedInteraction script;
  ScopedInteraction scope{script};
  TfmUnCorr viewer;
  std::vector<std::string> opened;
};

TEST_F(CombinedActViewerTest, TheButtonShowsATemporaryWorkbook) {
  Reception(1, 1, test::Day(2026, 4, 2), FullAct(StacType::RoundTheClock));
  viewer.join_act_bt->show();
  viewer.join_act_bt->click();
  EXPECT_TRUE(script.calls.empty());
  ASSERT_EQ(opened.size(), 1u);
  const QString shown = QString::fromStdString(opened[0]);
  EXPECT_TRUE(shown.startsWith(QDir::tempPath()));
  EXPECT_TRUE(shown.endsWith(".xlsx"));
  auto book = workbook::Workbook::Open(opened[0]);
  EXPECT_EQ(A(book->ActiveSheet(), book->ActiveSheet().LastRow()), QString("Подпись экономиста:"));
  QFile::remove(shown);
}

TEST_F(CombinedActViewerTest, AMissingActIsToldAndNothingShown) {
  const QString gone = Reception(1, 2, test::Day(2026, 4, 2), {});
  viewer.join_act_btClick();
  EXPECT_TRUE(opened.empty());
  ASSERT_EQ(script.calls.size(), 1u);
  EXPECT_EQ(script.calls[0].kind, ScriptedInteraction::Kind::Message);
  EXPECT_EQ(script.calls[0].caption, QString("Ошибка"));
  EXPECT_EQ(script.calls[0].text, QString("Файл не найден ") + gone);
  EXPECT_EQ(script.calls[0].icon, MessageIcon::Error);
}

}  // namespace
