// The combined report's workbook merges on fixture workbooks laid out as the
// institutions' registers and invoices: what the merged base holds when read
// back, and the refused workbooks, which stay as they were.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <functional>
#include <map>
#include <variant>

#include "documents/combined_books.h"
#include "recording_run_user.h"
#include "workbook/cell_address.h"
#include "workbook/workbook.h"

using namespace kelmo;
using workbook::MakeRange;
using workbook::Workbook;
using workbook::Worksheet;

namespace {

using Value = std::variant<double, std::string>;
using Cells = std::map<std::pair<int, int>, Value>;

void Put(Worksheet& s, int row, int column, const Value& v) {
  if (const double* d = std::get_if<double>(&v))
    s.SetNumber(row, column, *d);
  else
    s.SetText(row, column, std::get<std::string>(v));
}

QByteArray Bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::unique_ptr<Workbook> Read(const QString& path) {
  return Workbook::Open(path.toStdString());
}

// The texts of cells given by their addresses.
using Expected = std::vector<std::pair<std::string, std::string>>;
void ExpectCells(const Worksheet& s, const Expected& cells) {
  for (const auto& [address, text] : cells) {
    const workbook::CellRef at = workbook::ParseCell(address);
    EXPECT_EQ(s.Text(at.row, at.column), text) << address;
  }
}

// A register of treated patients as the institution's program writes it: the
// heading in B4, the body from row 7, the two totals rows four and three rows
// above the footer, whose column B holds the program's version line.
struct RegisterLayout {
  std::string heading;
  int bodyLast;
  int footer;
  std::array<Value, 10> totals;  // G..K of footer - 4, then N, O, P, R, S of footer - 3
  Value q = 0.0;                 // Q of footer - 3
};

void WriteRegister(const QString& path, const RegisterLayout& layout, const std::string& tag) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  s.SetText(1, 1, "Реестр пролеченных больных");
  s.SetText(4, 2, layout.heading);
  s.SetText(6, 1, "№");
  for (int r = 7; r <= layout.bodyLast; ++r) {
    s.SetText(r, 1, std::to_string(r - 6));
    s.SetText(r, 2, tag + " пациент " + std::to_string(r));
    s.SetNumber(r, 7, r * 10);
    s.Merge(MakeRange(r, 3, r, 4));
  }
  s.SetFont(MakeRange(7, 2, layout.bodyLast, 2), {.bold = true});
  s.SetBorder(MakeRange(7, 1, layout.bodyLast, 19), workbook::BorderIndex::EdgeBottom,
              workbook::LineStyle::Thin);
  const int t = layout.footer - 4;
  s.SetText(t, 3, "Итого:");
  const int firstRow[] = {7, 8, 9, 10, 11}, secondRow[] = {14, 15, 16, 18, 19};
  for (int i = 0; i < 5; ++i) Put(s, t, firstRow[i], layout.totals[i]);
  for (int i = 0; i < 5; ++i) Put(s, t + 1, secondRow[i], layout.totals[5 + i]);
  Put(s, t + 1, 17, layout.q);
  s.SetText(layout.footer, 2, "Версия программы 5.2 (" + tag + ")");
  s.Merge(MakeRange(layout.footer, 2, layout.footer, 6));
  wb->SaveAs(path.toStdString());
}

RegisterLayout Register2778() {
  return {
      "Страховая компания 2778", 20, 26, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0}, 19.0};
}

RegisterLayout Register2779() {
  return {"Страховая компания 2779",
          12,
          18,
          {100.5, 200.0, 300.0, 400.0, 500.0, 600.0, 700.0, 800.0, 900.25, 1000.0},
          12345.0};
}

class MergeBooksTest : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return QDir(dir_.path()).filePath(name); }
  CombinedBooksSession session_;
  test::RecordingRunUser user_;
  QTemporaryDir dir_;
};

}  // namespace

TEST_F(MergeBooksTest, RegistersCopiedFromRowSevenFollowTheHeading) {
  const QString base = Path("sreestr1.xls"), other = Path("sreestr1_2779.xls");
  WriteRegister(base, Register2778(), "2778");
  WriteRegister(other, Register2779(), "2779");
  ASSERT_TRUE(MergeRegisterBook(session_, {base, other, 7}, user_));
  EXPECT_TRUE(user_.messages.isEmpty());
  EXPECT_EQ(session_.BaseExcel.WorkbookCount() + session_.OtherExcel.WorkbookCount(), 0u);

  auto wb = Read(base);
  const Worksheet& s = wb->ActiveSheet();
  ExpectCells(s, {
                     // The base's body stays; its totals and footer gave way to
                     // the second's heading.
                     {"B20", "2778 пациент 20"},
                     {"B22", "Страховая компания 2779"},
                     {"C22", ""},
                     {"G22", ""},
                     // Rows 7 to 16 of the second land at rows 23 to 32, its own
                     // totals rows at 30 and 31.
                     {"B23", "2779 пациент 7"},
                     {"B28", "2779 пациент 12"},
                     {"G28", "120"},
                     {"C30", "Итого:"},
                     {"G30", "100.5"},
                     // The sums of both registers on the two rows above the
                     // footer, which stands two rows below the second's own.
                     {"G32", "101.5"},
                     {"K32", "505"},
                     {"N32", "606"},
                     {"N33", "606"},
                     {"O33", "707"},
                     {"P33", "808"},
                     {"Q33", "1919.25"},  // R and S of both, whatever Q held
                     {"R33", "909.25"},
                     {"S33", "1010"},
                     {"B34", ""},
                     {"B35", ""},
                     {"B36", "Версия программы 5.2 (2778)"},
                 });
  EXPECT_EQ(s.LastRow(), 36);
  EXPECT_TRUE(s.FontAt(22, 2).bold);
  EXPECT_TRUE(s.FontAt(23, 2).bold);
  EXPECT_EQ(s.BorderAt(28, 10).bottom.style, "thin");  // under the last body row
  std::vector<std::string> merges;
  for (const auto& m : s.Merges())
    if (m.first.row >= 20) merges.push_back(workbook::FormatRange(m));
  // The body's merges come along; the base's footer merge was cleared.
  EXPECT_EQ(merges, (std::vector<std::string>{"C20:D20", "C23:D23", "C24:D24", "C25:D25", "C26:D26",
                                              "C27:D27", "C28:D28"}));
  EXPECT_EQ(session_.BaseTotals[0], Money::FromRoubles(1));
  EXPECT_EQ(session_.OtherTotals[8], Money::FromUnits(9002500));
}

TEST_F(MergeBooksTest, RegisterOfTheThirdFolderCopiedFromRowEightOverwritesItsTotals) {
  const QString base = Path("sreestr1.xls"), other = Path("2989.xls");
  RegisterLayout second = Register2779();
  // Empty totals count as 0, texts with either separator as their number.
  second.totals[2] = std::string("  ");
  second.totals[3] = std::string(" 400,5 ");
  second.totals[9] = std::string("");
  second.q = std::string("не число");
  WriteRegister(base, Register2778(), "2778");
  WriteRegister(other, second, "2989");
  ASSERT_TRUE(MergeRegisterBook(session_, {base, other, 8}, user_));
  auto wb = Read(base);
  const Worksheet& s = wb->ActiveSheet();
  // Rows 8 to 16 land at rows 23 to 31; the sums overwrite the pasted
  // totals rows 29 and 30.
  ExpectCells(s, {
                     {"B23", "2989 пациент 8"},
                     {"B27", "2989 пациент 12"},
                     {"C29", "Итого:"},
                     {"I29", "3"},
                     {"J29", "404.5"},
                     {"N29", "606"},
                     {"Q30", "919.25"},
                     {"S30", "10"},
                     {"B33", "Версия программы 5.2 (2778)"},
                 });
  EXPECT_EQ(s.LastRow(), 33);
}

TEST_F(MergeBooksTest, RegistersWithoutTheirLayoutAreRefusedAndLeftAsTheyWere) {
  struct Case {
    const char* name;
    std::function<void(RegisterLayout&)> base, other;
    bool baseRefused;
  };
  const Case cases[] = {
      {"no footer in the base", [](RegisterLayout& r) { r.footer = 0; }, {}, true},
      {"no footer in the second", {}, [](RegisterLayout& r) { r.footer = 0; }, false},
      {"footer too high for the totals",
       {},
       [](RegisterLayout& r) {
         r.bodyLast = 7;
         r.footer = 9;
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString base = Path("sreestr2.xls"), other = Path("sreestr2_Neprik.xls");
    RegisterLayout a = Register2778(), b = Register2779();
    if (c.base) c.base(a);
    if (c.other) c.other(b);
    auto write = [&](const QString& path, const RegisterLayout& layout, const std::string& tag) {
      if (layout.footer != 0) return WriteRegister(path, layout, tag);
      RegisterLayout footless = layout;
      footless.footer = layout.bodyLast + 6;
      WriteRegister(path, footless, tag);
      auto wb = Read(path);
      wb->ActiveSheet().SetText(footless.footer, 2, "Подпись");
      wb->SaveAs(path.toStdString());
    };
    write(base, a, "2778");
    write(other, b, "2779");
    const QByteArray baseBytes = Bytes(base), otherBytes = Bytes(other);
    user_.messages.clear();
    user_.captions.clear();
    EXPECT_FALSE(MergeRegisterBook(session_, {base, other, 7}, user_));
    ASSERT_EQ(user_.messages.size(), 1);
    EXPECT_EQ(user_.captions[0], "Ошибка");
    EXPECT_TRUE(user_.messages[0].startsWith("Неверный формат файла реестра\n" +
                                             (c.baseRefused ? base : other) + ": "))
        << user_.messages[0].toStdString();
    EXPECT_EQ(Bytes(base), baseBytes);
    EXPECT_EQ(Bytes(other), otherBytes);
    EXPECT_EQ(session_.BaseExcel.WorkbookCount() + session_.OtherExcel.WorkbookCount(), 0u);
  }
}

TEST_F(MergeBooksTest, ATotalThatIsNotANumberEndsTheMergeNamingTheCell) {
  const QString base = Path("sreestr1.xls"), other = Path("other.xls");
  RegisterLayout second = Register2779();
  second.totals[7] = std::string("12 руб.");
  WriteRegister(base, Register2778(), "2778");
  WriteRegister(other, second, "2779");
  const QByteArray baseBytes = Bytes(base);
  try {
    MergeRegisterBook(session_, {base, other, 7}, user_);
    FAIL() << "no error";
  } catch (const CombinedBookError& e) {
    EXPECT_EQ(QString::fromStdString(e.what()), other + ": в ячейке P15 не число: '12 руб.'");
  }
  EXPECT_EQ(Bytes(base), baseBytes);
  EXPECT_EQ(session_.BaseExcel.WorkbookCount() + session_.OtherExcel.WorkbookCount(), 0u);
}

namespace {

// A bed-profile register: profiles from row 7, the totals row at `totals`,
// columns B to H numbers; `cells` overrides.
void WriteProfiles(const QString& path, int totals, double scale, const Cells& cells = {},
                   int totalsLabelRow = 0) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  for (int r = 7; r <= totals + 1; ++r) {
    s.SetText(r, 1, "профиль " + std::to_string(r));
    for (int c = 2; c <= 8; ++c) s.SetNumber(r, c, scale * (r * 10 + c));
  }
  s.SetText(totalsLabelRow ? totalsLabelRow : totals, 1, "  Итого:");
  for (const auto& [at, v] : cells) Put(s, at.first, at.second, v);
  wb->SaveAs(path.toStdString());
}

}  // namespace

TEST_F(MergeBooksTest, ProfilesAreAddedCellByCellDownToTheTotalsRow) {
  const QString base = Path("profils1.xls"), other = Path("profils1_2779.xls");
  WriteProfiles(base, 12, 1, {{{9, 4}, std::string("1,5")}});
  WriteProfiles(other, 12, 0.5);
  ASSERT_TRUE(MergeProfileBook(session_, base, other, ProfileCellFailure::Message, user_));
  EXPECT_TRUE(user_.messages.isEmpty());
  auto wb = Read(base);
  const Worksheet& s = wb->ActiveSheet();
  ExpectCells(s, {
                     {"B7", "108"},   // 72 + 36
                     {"H12", "192"},  // 128 + 64
                     {"D9", "48.5"},  // 1.5 + 47
                     {"B13", "132"},  // below the totals row: untouched
                     {"A12", "  Итого:"},
                 });
  EXPECT_TRUE(s.IsEmpty(7, 9));
}

TEST_F(MergeBooksTest, ProfilesOfTheWrongLayoutAreRefused) {
  struct Case {
    const char* name;
    Cells baseCells, otherCells;
    int otherTotalsLabel;
    ProfileCellFailure failure;
    QString message;  // empty: CombinedBookError naming `error`
    QString error;
  };
  const QString base = Path("profils3.xls"), other = Path("profils3_2989.xls");
  const Case cases[] = {
      {"blank cell, the second insurer",
       {{{10, 5}, std::string()}},
       {},
       0,
       ProfileCellFailure::Message,
       "Неверный формат файла профилей!"},
      {"text in the second, the second insurer",
       {},
       {{{8, 3}, std::string("н/д")}},
       0,
       ProfileCellFailure::Message,
       "Неверный формат файла профилей!"},
      {"blank cell, the third folder",
       {{{10, 5}, std::string()}},
       {},
       0,
       ProfileCellFailure::Raise,
       {},
       base + ": в ячейке E10 не число: ''"},
      {"totals on another row in the second",
       {},
       {},
       11,
       ProfileCellFailure::Message,
       "Неверный формат файла профилей!\n" + other + ": нет строки «Итого» в строке 12, как в " +
           base},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteProfiles(base, 12, 1, c.baseCells);
    WriteProfiles(other, 12, 1, c.otherCells, c.otherTotalsLabel);
    if (c.otherTotalsLabel) {
      auto wb = Read(other);
      wb->ActiveSheet().SetText(12, 1, "профиль 12");
      wb->SaveAs(other.toStdString());
    }
    const QByteArray baseBytes = Bytes(base);
    user_.messages.clear();
    if (c.message.isEmpty()) {
      try {
        MergeProfileBook(session_, base, other, c.failure, user_);
        ADD_FAILURE() << "no error";
      } catch (const CombinedBookError& e) {
        EXPECT_EQ(QString::fromStdString(e.what()), c.error);
      }
      EXPECT_TRUE(user_.messages.isEmpty());
    } else {
      EXPECT_FALSE(MergeProfileBook(session_, base, other, c.failure, user_));
      EXPECT_EQ(user_.messages, QStringList{c.message});
    }
    EXPECT_EQ(Bytes(base), baseBytes);
  }
  // A register without its totals row is refused naming it.
  auto wb = Workbook::Create();
  wb->ActiveSheet().SetNumber(7, 2, 1);
  wb->SaveAs(base.toStdString());
  user_.messages.clear();
  EXPECT_FALSE(MergeProfileBook(session_, base, other, ProfileCellFailure::Raise, user_));
  EXPECT_EQ(user_.messages, QStringList{"Неверный формат файла профилей!\n" + base +
                                        ": нет строки «Итого» в столбце A ниже строки 6"});
}

namespace {

void WriteInvoice(const QString& path, const Cells& cells) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  s.SetText(1, 1, "Счет-фактура");
  for (const auto& [at, v] : cells) Put(s, at.first, at.second, v);
  wb->SaveAs(path.toStdString());
}

Cells BasicInvoice(std::string label, double count, double sum, double e) {
  return {{{16, 1}, std::string("Медицинская помощь в стационаре")},
          {{16, 3}, count},
          {{16, 5}, e},
          {{16, 8}, sum},
          {{17, 1}, std::move(label)},
          {{17, 3}, count},
          {{17, 8}, sum}};
}

}  // namespace

TEST_F(MergeBooksTest, BasicInvoicesAddTheirCountsAndSums) {
  const QString base = Path("sfakt1.xls"), other = Path("sfakt1_2779.xls");
  WriteInvoice(base, BasicInvoice("Всего", 120, 350000.50, 1.25));
  WriteInvoice(other, BasicInvoice("  всего: ", 30, 90000, 2.5));
  ASSERT_TRUE(MergeInvoiceBook(session_, {InvoiceKind::Basic, base, other}, user_));
  EXPECT_FALSE(session_.InvoiceCheckFailed);
  auto wb = Read(base);
  const Worksheet& s = wb->ActiveSheet();
  ExpectCells(s, {
                     {"C16", "150"},
                     {"C17", "150"},
                     {"H16", "440000.5"},
                     {"H17", "440000.5"},
                     {"E16", "3.75"},
                 });
}

TEST_F(MergeBooksTest, InvoiceChecksByKind) {
  struct Case {
    const char* name;
    InvoiceMerge merge;
    Cells base, other;
    bool passes;
    std::map<std::pair<int, int>, std::string> expect;  // cells of the merged base
  };
  Cells ff = {{{16, 3}, 2.0}, {{16, 5}, 1.0}, {{16, 9}, 10.5}, {{18, 1}, std::string("ВСЕГО")},
              {{18, 3}, 2.0}, {{18, 9}, 10.5}};
  Cells ffWithoutI18 = ff;
  ffWithoutI18.erase({18, 9});
  Cells tr = {{{16, 3}, 1.0}, {{16, 5}, 1.0}, {{16, 9}, 7.0}, {{17, 1}, std::string("Всего")},
              {{17, 3}, 1.0}, {{17, 9}, 7.0}};
  Cells labelBelow = BasicInvoice("", 1, 1, 1);
  labelBelow[{18, 1}] = std::string("Всего");
  const Cells onlyC16 = {{{16, 3}, 4.0}};
  const Cells unattached = {{{16, 1}, std::string(" Медицинская помощь неприкреплённым")},
                            {{16, 3}, 3.0},
                            {{16, 5}, 1.0},
                            {{16, 8}, 99.99}};
  Cells unattachedOther = unattached;
  unattachedOther[{16, 1}] = std::string("что угодно");
  const Case cases[] = {
      {"FF", {InvoiceKind::FF}, ff, ff, true, {{{18, 3}, "4"}, {{18, 9}, "21"}, {{16, 9}, "21"}}},
      {"FF without I18 in the second", {InvoiceKind::FF}, ff, ffWithoutI18, false, {}},
      {"FF without I18 in the base", {InvoiceKind::TF}, ffWithoutI18, ff, false, {}},
      {"TR", {InvoiceKind::TR}, tr, tr, true, {{{17, 9}, "14"}, {{17, 3}, "2"}}},
      {"totals label in A18", {InvoiceKind::Basic}, labelBelow, labelBelow, false, {}},
      {"day hospital of an attached population: C16 is enough",
       {.Kind = InvoiceKind::Basic, .RoundTheClock = false, .AttachedPopulation = true},
       onlyC16,
       onlyC16,
       true,
       {{{16, 3}, "8"}, {{17, 3}, "0"}, {{17, 8}, "0"}}},
      {"round the clock: the full check",
       {.Kind = InvoiceKind::Oncology, .RoundTheClock = true, .AttachedPopulation = true},
       onlyC16,
       onlyC16,
       false,
       {}},
      {"unattached: only the base's A16 is tested",
       {InvoiceKind::Unattached},
       unattached,
       unattachedOther,
       true,
       {{{16, 3}, "6"}, {{16, 8}, "199.98"}}},
      {"unattached: the base's A16 names no care",
       {InvoiceKind::Unattached},
       unattachedOther,
       unattached,
       false,
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InvoiceMerge merge = c.merge;
    merge.BasePath = Path("sfakt2.xls");
    merge.OtherPath = Path("sfakt2_other.xls");
    WriteInvoice(merge.BasePath, c.base);
    WriteInvoice(merge.OtherPath, c.other);
    const QByteArray baseBytes = Bytes(merge.BasePath);
    user_.messages.clear();
    user_.captions.clear();
    EXPECT_EQ(MergeInvoiceBook(session_, merge, user_), c.passes);
    EXPECT_EQ(session_.InvoiceCheckFailed, !c.passes);
    EXPECT_EQ(session_.BaseExcel.WorkbookCount() + session_.OtherExcel.WorkbookCount(), 0u);
    if (!c.passes) {
      EXPECT_EQ(user_.captions, QStringList{"Ошибка"});
      EXPECT_EQ(user_.messages,
                QStringList{merge.Kind == InvoiceKind::Unattached
                                ? "Неверный формат файла счет-фактуры по неприкрепленному "
                                  "населению!"
                                : "Неверный формат файла счет-фактуры!"});
      EXPECT_EQ(Bytes(merge.BasePath), baseBytes);
      continue;
    }
    auto wb = Read(merge.BasePath);
    for (const auto& [at, text] : c.expect)
      EXPECT_EQ(wb->ActiveSheet().Text(at.first, at.second), text)
          << workbook::FormatCell(at.first, at.second);
  }
}

TEST_F(MergeBooksTest, UnattachedInvoiceLosesTheRowsAboveItsSignature) {
  Cells invoice = {{{16, 1}, std::string("Медицинская помощь")},
                   {{16, 3}, 3.0},
                   {{16, 5}, 1.0},
                   {{16, 8}, 10.0},
                   {{17, 1}, std::string("лишняя строка 17")},
                   {{18, 1}, std::string("лишняя строка 18")},
                   {{19, 1}, std::string("лишняя строка 19")},
                   {{20, 1}, std::string("М.П.")},
                   {{21, 1}, std::string("  Руководитель учреждения")}};
  InvoiceMerge merge{.Kind = InvoiceKind::Unattached,
                     .BasePath = Path("sfakt1_Neprik.xls"),
                     .OtherPath = Path("other_Neprik.xls"),
                     .RemoveSignatureRows = true};
  WriteInvoice(merge.BasePath, invoice);
  WriteInvoice(merge.OtherPath, invoice);
  ASSERT_TRUE(MergeInvoiceBook(session_, merge, user_));
  auto wb = Read(merge.BasePath);
  const Worksheet& s = wb->ActiveSheet();
  ExpectCells(s, {
                     {"H16", "20"},
                     {"A17", "М.П."},
                     {"A18", "  Руководитель учреждения"},
                 });
  EXPECT_EQ(s.LastRow(), 18);

  // A signature line too high, or none, would take the summed row with it.
  for (int signatureRow : {18, 0}) {
    SCOPED_TRACE(signatureRow);
    Cells bad = invoice;
    bad.erase({21, 1});
    if (signatureRow) bad[{signatureRow, 1}] = std::string("Руководитель");
    WriteInvoice(merge.BasePath, bad);
    const QByteArray baseBytes = Bytes(merge.BasePath);
    user_.messages.clear();
    EXPECT_FALSE(MergeInvoiceBook(session_, merge, user_));
    EXPECT_TRUE(session_.InvoiceCheckFailed);
    EXPECT_EQ(
        user_.messages,
        QStringList{"Неверный формат файла счет-фактуры по неприкрепленному населению!\n" +
                    merge.BasePath + ": нет строки «Руководитель» в столбце A ниже строки 18"});
    EXPECT_EQ(Bytes(merge.BasePath), baseBytes);
  }
}

TEST_F(MergeBooksTest, OncologyInvoiceAloneStaysAsItIsAndBadNumbersEndTheMerge) {
  const QString base = Path("sfakt1_ON.xls"), other = Path("sfakt1_ON_2779.xls");
  WriteInvoice(base, {{{17, 1}, std::string("нет")}, {{16, 3}, 5.0}});
  const QByteArray alone = Bytes(base);
  ASSERT_TRUE(MergeInvoiceBook(session_, {InvoiceKind::Oncology, base, {}}, user_));
  EXPECT_TRUE(user_.messages.isEmpty());
  EXPECT_EQ(Bytes(base), alone);

  Cells second = BasicInvoice("Всего", 1, 1, 1);
  second[{17, 8}] = std::string("сто");
  WriteInvoice(base, BasicInvoice("Всего", 1, 1, 1));
  WriteInvoice(other, second);
  const QByteArray baseBytes = Bytes(base);
  try {
    MergeInvoiceBook(session_, {InvoiceKind::Oncology, base, other}, user_);
    FAIL() << "no error";
  } catch (const CombinedBookError& e) {
    EXPECT_EQ(QString::fromStdString(e.what()), other + ": в ячейке H17 не число: 'сто'");
  }
  EXPECT_EQ(Bytes(base), baseBytes);
  // A fraction is no count.
  second = BasicInvoice("Всего", 1.5, 1, 1);
  WriteInvoice(other, second);
  EXPECT_THROW(MergeInvoiceBook(session_, {InvoiceKind::Basic, base, other}, user_),
               CombinedBookError);
  EXPECT_EQ(Bytes(base), baseBytes);
}

TEST_F(MergeBooksTest, MissingFilesAndLinksAreNotOpened) {
  const QString base = Path("sfakt1.xls"), link = Path("link.xls");
  WriteInvoice(base, BasicInvoice("Всего", 1, 1, 1));
  ASSERT_TRUE(QFile::link(base, link));
  EXPECT_THROW(MergeInvoiceBook(session_, {InvoiceKind::Basic, base, link}, user_),
               CombinedBookError);
  EXPECT_THROW(MergeInvoiceBook(session_, {InvoiceKind::Basic, Path("none.xls"), base}, user_),
               CombinedBookError);
  EXPECT_THROW(MergeRegisterBook(session_, {base, {}, 7}, user_), CombinedBookError);
  EXPECT_THROW(MergeInvoiceBook(session_, {InvoiceKind::Basic, base, {}}, user_),
               CombinedBookError);
  EXPECT_EQ(session_.BaseExcel.WorkbookCount() + session_.OtherExcel.WorkbookCount(), 0u);
}
