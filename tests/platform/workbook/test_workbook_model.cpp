// The workbook model and its XML: cells, formats, merges, rows and copies,
// written to package parts and read back; damaged packages.
#include <gtest/gtest.h>

#include <random>

#include "workbook/cell_address.h"
#include "workbook/workbook.h"
#include "workbook/workbook_error.h"

using namespace kelmo::workbook;

namespace {

std::unique_ptr<Workbook> RoundTrip(Workbook& wb) {
  return Workbook::FromParts(wb.ToParts(), "test");
}

void ExpectThrowsWith(const std::function<void()>& f, const std::string& text) {
  try {
    f();
    FAIL() << "no error, expected " << text;
  } catch (const WorkbookError& e) {
    EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
  }
}

}  // namespace

TEST(CellAddress, ParseAndFormat) {
  struct Case {
    const char* text;
    int row, column;
  } cases[] = {{"A1", 1, 1}, {"$S$13", 13, 19}, {"aa10", 10, 27}, {"XFD1048576", 1048576, 16384}};
  for (const auto& c : cases) {
    const CellRef r = ParseCell(c.text);
    EXPECT_EQ(r.row, c.row) << c.text;
    EXPECT_EQ(r.column, c.column) << c.text;
  }
  for (const char* bad : {"", "A", "1", "A0", "A1B", "XFE1", "A1048577", "$$A1"})
    EXPECT_THROW(ParseCell(bad), WorkbookError) << bad;
  EXPECT_EQ(FormatRange(ParseRange("S13:A8")), "A8:S13");
  EXPECT_EQ(FormatRange(ParseRange("'Лист 1'!$B$2")), "B2");
  EXPECT_EQ(SplitSheetPrefix("'It''s'!A1").first, "It's");
  EXPECT_EQ(ColumnName(703), "AAA");
}

TEST(WorkbookModel, ValuesSurviveTheXml) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  s.SetText(1, 1, "Всего & <итого> \"кавычки\"");
  s.SetText(1, 2, "  с пробелами ");
  s.SetNumber(2, 1, 1234.5);
  s.SetNumber(2, 2, -0.1);
  s.SetNumber(2, 3, 310);
  s.SetBoolean(3, 1, true);
  s.SetFormula(3, 2, "=SUM(A2:C2)");
  s.SetText(3, 3, "строка\nвторая");
  s.SetText(4, 1, "x");
  s.SetText(4, 1, "");  // an empty text empties the cell
  auto back = RoundTrip(*wb);
  Worksheet& t = back->ActiveSheet();
  EXPECT_EQ(t.Text(1, 1), "Всего & <итого> \"кавычки\"");
  EXPECT_EQ(t.Text(1, 2), "  с пробелами ");
  EXPECT_EQ(t.Value(2, 1).Number(), 1234.5);
  EXPECT_EQ(t.Text(2, 2), "-0.1");
  EXPECT_EQ(t.Text(2, 3), "310");
  EXPECT_EQ(t.Text(3, 1), "TRUE");
  EXPECT_EQ(t.Formula(3, 2), "SUM(A2:C2)");
  EXPECT_EQ(t.Text(3, 3), "строка\nвторая");
  EXPECT_TRUE(t.IsEmpty(4, 1));
  EXPECT_TRUE(t.IsEmpty(100, 100));
  EXPECT_EQ(t.Name(), "Лист1");
}

TEST(WorkbookModel, NumbersFromText) {
  CellValue v;
  v.type = CellType::Text;
  struct Case {
    const char* text;
    double number;
  } cases[] = {{" 12,50 ", 12.5}, {"-3", -3}, {"", 0}, {"1e3", 1000}};
  for (const auto& c : cases) {
    v.text = c.text;
    EXPECT_EQ(v.Number(), c.number) << c.text;
  }
  v.text = "ВСЕГО";
  EXPECT_THROW(v.Number(), WorkbookError);
}

TEST(WorkbookModel, FontsAlignmentBordersAndMerges) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  s.SetText(2, 2, "заголовок");
  s.SetFont(MakeRange(2, 2, 2, 4), {.bold = true, .italic = true, .size = 8});
  s.SetAlignment(MakeRange(2, 2, 2, 4), {.horizontal = HorizontalAlignment::Center, .wrap = true});
  s.Merge(MakeRange(2, 2, 2, 4));
  const CellRange grid = MakeRange(5, 1, 7, 3);
  for (auto edge :
       {BorderIndex::EdgeLeft, BorderIndex::EdgeTop, BorderIndex::EdgeBottom,
        BorderIndex::EdgeRight, BorderIndex::InsideVertical, BorderIndex::InsideHorizontal})
    s.SetBorder(grid, edge, LineStyle::Thin);
  auto back = RoundTrip(*wb);
  Worksheet& t = back->ActiveSheet();
  EXPECT_TRUE(t.FontAt(2, 3).bold);
  EXPECT_TRUE(t.FontAt(2, 2).italic);
  EXPECT_EQ(t.FontAt(2, 4).size, 8);
  EXPECT_FALSE(t.FontAt(3, 2).bold);
  EXPECT_EQ(t.FormatAt(2, 2).AlignmentAttr("horizontal"), "center");
  EXPECT_EQ(t.FormatAt(2, 2).AlignmentAttr("wrapText"), "1");
  ASSERT_EQ(t.Merges().size(), 1u);
  EXPECT_EQ(FormatRange(t.Merges()[0]), "B2:D2");
  // Every cell of a full grid has all four sides.
  for (int r = 5; r <= 7; ++r)
    for (int c = 1; c <= 3; ++c) {
      const Border& b = t.BorderAt(r, c);
      EXPECT_EQ(b.left.style, "thin");
      EXPECT_EQ(b.right.style, "thin");
      EXPECT_EQ(b.top.style, "thin");
      EXPECT_EQ(b.bottom.style, "thin");
    }
  EXPECT_EQ(t.BorderAt(4, 1).bottom.style, "");
  ExpectThrowsWith(
      [&] { t.SetBorder(MakeRange(1, 1, 1, 3), BorderIndex::InsideHorizontal, LineStyle::Thin); },
      "внутренних линий");
  ExpectThrowsWith(
      [&] { t.SetBorder(MakeRange(1, 1, 3, 1), BorderIndex::InsideVertical, LineStyle::Thin); },
      "внутренних линий");
}

TEST(WorkbookModel, DiagonalsOnAndOff) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  s.SetBorder(MakeRange(1, 1, 2, 2), BorderIndex::DiagonalDown, LineStyle::Thin);
  s.SetBorder(MakeRange(1, 1, 2, 2), BorderIndex::DiagonalUp, LineStyle::Thin);
  auto back = RoundTrip(*wb);
  EXPECT_TRUE(back->ActiveSheet().BorderAt(2, 2).diagonalDown);
  EXPECT_TRUE(back->ActiveSheet().BorderAt(2, 2).diagonalUp);
  back->ActiveSheet().SetBorder(MakeRange(1, 1, 2, 2), BorderIndex::DiagonalDown, LineStyle::None);
  back->ActiveSheet().SetBorder(MakeRange(1, 1, 2, 2), BorderIndex::DiagonalUp, LineStyle::None);
  auto again = RoundTrip(*back);
  EXPECT_FALSE(again->ActiveSheet().BorderAt(1, 1).diagonalDown);
  EXPECT_FALSE(again->ActiveSheet().BorderAt(1, 1).diagonalUp);
  EXPECT_EQ(again->ActiveSheet().BorderAt(1, 1).diagonal.style, "");
}

TEST(WorkbookModel, CopyRangeTakesValuesFormatsMergesAndMovesFormulas) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  s.SetText(8, 1, "серия");
  s.SetNumber(9, 7, 5);
  s.SetFormula(9, 8, "G9*2+$G$9+SUM(G8:G9)");
  s.SetFont(MakeRange(8, 1, 8, 1), {.bold = true});
  s.Merge(MakeRange(8, 2, 8, 4));
  s.SetBorder(MakeRange(8, 1, 13, 19), BorderIndex::EdgeBottom, LineStyle::Thin);
  // Something in the target that the copy must replace.
  s.SetText(15, 19, "старое");
  s.Merge(MakeRange(16, 1, 16, 3));
  s.CopyRange(MakeRange(8, 1, 13, 19), s, 14, 1);
  EXPECT_EQ(s.Text(14, 1), "серия");
  EXPECT_TRUE(s.FontAt(14, 1).bold);
  EXPECT_EQ(s.Text(15, 7), "5");
  EXPECT_EQ(s.Formula(15, 8), "G15*2+$G$9+SUM(G14:G15)");
  EXPECT_TRUE(s.IsEmpty(15, 19));
  EXPECT_EQ(s.BorderAt(19, 10).bottom.style, "thin");
  std::vector<std::string> merges;
  for (const auto& m : s.Merges()) merges.push_back(FormatRange(m));
  EXPECT_EQ(merges, (std::vector<std::string>{"B8:D8", "B14:D14"}));
  // Overlapping source and target.
  s.CopyRange(MakeRange(8, 1, 13, 19), s, 10, 1);
  EXPECT_EQ(s.Text(10, 1), "серия");
  EXPECT_EQ(s.Text(8, 1), "серия");
  EXPECT_EQ(s.Text(11, 7), "5");
}

TEST(WorkbookModel, CopyToAnotherSheetAndDefinedNames) {
  auto wb = Workbook::Create();
  Worksheet& second = wb->AddSheet("Второй");
  Worksheet& first = wb->Sheet(0);
  first.SetText(1, 1, "блок");
  first.SetText(2, 2, "конец");
  first.CopyRange(MakeRange(1, 1, 2, 2), second, 5, 3);
  EXPECT_EQ(second.Text(5, 3), "блок");
  EXPECT_EQ(second.Text(6, 4), "конец");
  auto back = RoundTrip(*wb);
  ASSERT_EQ(back->SheetCount(), 2u);
  EXPECT_EQ(back->Sheet("Второй").Text(6, 4), "конец");
  auto [sheet, range] = back->ResolveRange("Второй!C5:D6", back->Sheet(0));
  EXPECT_EQ(sheet->Name(), "Второй");
  EXPECT_EQ(FormatRange(range), "C5:D6");
}

TEST(WorkbookModel, CopyIntoAnotherWorkbookTakesValuesFormatsAndMerges) {
  // The source's styles carry a number format, a fill and a coloured font of
  // its own, in a part whose elements have a prefix.
  auto parts = Workbook::Create()->ToParts();
  const std::string ns = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  parts["xl/styles.xml"] =
      "<x:styleSheet xmlns:x=\"" + ns +
      "\">"
      "<x:numFmts count=\"1\"><x:numFmt numFmtId=\"170\" formatCode=\"#,##0.00&quot;р.&quot;\"/>"
      "</x:numFmts>"
      "<x:fonts count=\"2\"><x:font><x:sz val=\"11\"/><x:name val=\"Calibri\"/></x:font>"
      "<x:font><x:b/><x:sz val=\"9\"/><x:color rgb=\"FFFF0000\"/><x:name val=\"Arial\"/></x:font>"
      "</x:fonts>"
      "<x:fills count=\"3\"><x:fill><x:patternFill patternType=\"none\"/></x:fill>"
      "<x:fill><x:patternFill patternType=\"gray125\"/></x:fill>"
      "<x:fill><x:patternFill patternType=\"solid\"><x:fgColor rgb=\"FFFFFF00\"/></x:patternFill>"
      "</x:fill></x:fills>"
      "<x:borders count=\"1\"><x:border><x:left/><x:right/><x:top/><x:bottom/><x:diagonal/>"
      "</x:border></x:borders>"
      "<x:cellStyleXfs count=\"1\"><x:xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
      "borderId=\"0\"/></x:cellStyleXfs>"
      "<x:cellXfs count=\"2\"><x:xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
      "xfId=\"0\"/><x:xf numFmtId=\"170\" fontId=\"1\" fillId=\"2\" borderId=\"0\" "
      "xfId=\"0\" applyNumberFormat=\"1\"><x:alignment horizontal=\"center\"/></x:xf>"
      "</x:cellXfs></x:styleSheet>";
  auto source = Workbook::FromParts(parts, "source.xlsx");
  Worksheet& from = source->ActiveSheet();
  from.SetText(2, 1, "пациент");
  from.SetNumber(2, 2, 1234.5);
  from.SetFormula(2, 3, "B2*2");
  from.SetBorder(MakeRange(2, 1, 3, 3), BorderIndex::EdgeBottom, LineStyle::Thin);
  from.Merge(MakeRange(3, 1, 3, 3));
  from.SetText(3, 1, "итог");
  from.SetText(9, 9, "вне диапазона");
  // The formatted cell: rewrite its format to the source's own second one.
  auto p = source->ToParts();
  std::string& sheet = p["xl/worksheets/sheet1.xml"];
  const size_t at = sheet.find("r=\"B2\"");
  ASSERT_NE(at, std::string::npos);
  const size_t style = sheet.find(" s=\"", at);
  if (style != std::string::npos && style < sheet.find('>', at))
    sheet.replace(style, sheet.find('"', style + 4) - style + 1, " s=\"1\"");
  else
    sheet.insert(at + 6, " s=\"1\"");
  source = Workbook::FromParts(p, "source.xlsx");

  auto target = Workbook::Create();
  Worksheet& to = target->ActiveSheet();
  to.SetText(11, 1, "старое");
  to.Merge(MakeRange(12, 1, 12, 2));
  source->ActiveSheet().CopyRange(MakeRange(2, 1, 3, 3), to, 11, 1);
  auto back = Workbook::FromParts(target->ToParts(), "target.xlsx");
  Worksheet& t = back->ActiveSheet();
  EXPECT_EQ(t.Text(11, 1), "пациент");
  EXPECT_EQ(t.Text(11, 2), "1234.5");
  EXPECT_EQ(t.Formula(11, 3), "B11*2");
  EXPECT_EQ(t.Text(12, 1), "итог");
  EXPECT_TRUE(t.IsEmpty(9, 9));
  EXPECT_EQ(t.BorderAt(12, 3).bottom.style, "thin");
  ASSERT_EQ(t.Merges().size(), 1u);
  EXPECT_EQ(FormatRange(t.Merges()[0]), "A12:C12");
  const Font& font = t.FontAt(11, 2);
  EXPECT_TRUE(font.bold);
  EXPECT_EQ(font.size, 9);
  EXPECT_EQ(font.name, "Arial");
  EXPECT_NE(font.rest.find("FFFF0000"), std::string::npos);
  const CellFormat& format = t.FormatAt(11, 2);
  EXPECT_GE(format.numFmtId, 164);
  EXPECT_EQ(format.AlignmentAttr("horizontal"), "center");
  // The target's part: its own number format and fill, without the source's prefix.
  const std::string styles = target->ToParts().at("xl/styles.xml");
  EXPECT_NE(styles.find("formatCode=\"#,##0.00&quot;р.&quot;\""), std::string::npos) << styles;
  EXPECT_NE(styles.find("<fgColor rgb=\"FFFFFF00\"/>"), std::string::npos) << styles;
  EXPECT_EQ(styles.find("x:"), std::string::npos) << styles;
  // A second copy finds the formats it added.
  const size_t formats = target->Styles().FormatCount();
  source->ActiveSheet().CopyRange(MakeRange(2, 1, 3, 3), to, 21, 1);
  EXPECT_EQ(target->Styles().FormatCount(), formats);
}

TEST(WorkbookModel, InsertDeleteAndClearRows) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  for (int r = 1; r <= 6; ++r) s.SetNumber(r, 1, r);
  s.Merge(MakeRange(2, 2, 4, 2));  // spans the insertion point
  s.Merge(MakeRange(5, 2, 5, 3));  // below it
  s.InsertRows(3, 2);
  EXPECT_EQ(s.Text(2, 1), "2");
  EXPECT_TRUE(s.IsEmpty(3, 1));
  EXPECT_EQ(s.Text(5, 1), "3");
  std::vector<std::string> merges;
  for (const auto& m : s.Merges()) merges.push_back(FormatRange(m));
  EXPECT_EQ(merges, (std::vector<std::string>{"B2:B6", "B7:C7"}));
  s.DeleteRows(3, 3);  // two inserted rows and the old row 3
  EXPECT_EQ(s.Text(3, 1), "4");
  merges.clear();
  for (const auto& m : s.Merges()) merges.push_back(FormatRange(m));
  EXPECT_EQ(merges, (std::vector<std::string>{"B2:B3", "B4:C4"}));
  s.ClearRows(4, 4);
  EXPECT_TRUE(s.IsEmpty(4, 1));
  EXPECT_EQ(s.Merges().size(), 1u);
  s.SetRowHeight(2, 30);
  auto back = RoundTrip(*wb);
  EXPECT_EQ(back->ActiveSheet().RowHeight(2), 30);
  EXPECT_EQ(back->ActiveSheet().Text(5, 1), "6");
}

TEST(WorkbookModel, TemplatePartsStayAndCalcChainGoes) {
  auto wb = Workbook::Create();
  auto parts = wb->ToParts();
  parts["xl/theme/theme1.xml"] = "<a:theme xmlns:a=\"x\"/>";
  parts["xl/calcChain.xml"] = "<calcChain/>";
  parts["xl/_rels/workbook.xml.rels"].insert(
      parts["xl/_rels/workbook.xml.rels"].find("</Relationships>"),
      "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/calcChain\" Target=\"calcChain.xml\"/>");
  auto opened = Workbook::FromParts(parts, "t.xlsx");
  opened->ActiveSheet().Select({8, 1});
  auto out = opened->ToParts();
  EXPECT_EQ(out.count("xl/theme/theme1.xml"), 1u);
  EXPECT_EQ(out.count("xl/calcChain.xml"), 0u);
  EXPECT_EQ(out["xl/_rels/workbook.xml.rels"].find("calcChain"), std::string::npos);
  EXPECT_NE(out["xl/worksheets/sheet1.xml"].find("activeCell=\"A8\""), std::string::npos);
}

TEST(WorkbookModel, PrefixedPartsRichTextAndInlineStrings) {
  auto parts = Workbook::Create()->ToParts();
  parts["xl/worksheets/sheet1.xml"] =
      "<?xml version=\"1.0\"?><!-- made elsewhere -->"
      "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<x:sheetData><x:row r=\"2\" ht=\"20\" customHeight=\"1\">"
      "<x:c r=\"A2\" t=\"s\"><x:v>0</x:v></x:c>"
      "<x:c t=\"inlineStr\"><x:is><x:r><x:t>вст</x:t></x:r><x:r><x:t xml:space=\"preserve\"> "
      "роено</x:t></x:r>"
      "<x:rPh><x:t>фон</x:t></x:rPh></x:is></x:c>"
      "<x:c r=\"D2\"><x:f>B2&amp;\"!\"</x:f><x:v></x:v></x:c>"
      "</x:row></x:sheetData><x:mergeCells><x:mergeCell "
      "ref=\"A5:B6\"/></x:mergeCells></x:worksheet>";
  parts["xl/sharedStrings.xml"] =
      "<sst "
      "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><r><t>Все</t></r>"
      "<r><rPr><b/></rPr><t>го</t></r><rPh><t>x</t></rPh></si></sst>";
  parts["xl/_rels/workbook.xml.rels"].insert(
      parts["xl/_rels/workbook.xml.rels"].find("</Relationships>"),
      "<Relationship Id=\"rId7\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>");
  auto wb = Workbook::FromParts(parts, "p.xlsx");
  Worksheet& s = wb->ActiveSheet();
  EXPECT_EQ(s.Text(2, 1), "Всего");
  EXPECT_EQ(s.Text(2, 2), "вст роено");
  EXPECT_EQ(s.Formula(2, 4), "B2&\"!\"");
  EXPECT_TRUE(s.IsEmpty(2, 4));
  EXPECT_EQ(s.RowHeight(2), 20);
  ASSERT_EQ(s.Merges().size(), 1u);
  s.SetBorder(MakeRange(2, 1, 2, 1), BorderIndex::EdgeTop, LineStyle::Thin);
  s.SetText(3, 1, "новая");
  const auto out = wb->ToParts();
  // Everything the layer writes into a prefixed part carries the prefix.
  const std::string& sheetXml = out.at("xl/worksheets/sheet1.xml");
  EXPECT_NE(sheetXml.find("<x:sheetData><x:row r=\"2\""), std::string::npos) << sheetXml;
  EXPECT_EQ(sheetXml.find("<c "), std::string::npos);
  EXPECT_NE(sheetXml.find("<x:mergeCells count=\"1\"><x:mergeCell ref=\"A5:B6\"/>"),
            std::string::npos);
  auto back = RoundTrip(*wb);
  EXPECT_EQ(back->ActiveSheet().Text(3, 1), "новая");
  EXPECT_EQ(back->ActiveSheet().BorderAt(2, 1).top.style, "thin");
  EXPECT_EQ(back->ActiveSheet().Text(2, 2), "вст роено");
  EXPECT_EQ(back->ActiveSheet().Formula(2, 4), "B2&\"!\"");
}

TEST(WorkbookModel, DamagedPackagesNameTheFile) {
  auto parts = Workbook::Create()->ToParts();
  {
    auto p = parts;
    p.erase("xl/worksheets/sheet1.xml");
    ExpectThrowsWith([&] { Workbook::FromParts(p, "/tmp/x.xlsx"); },
                     "/tmp/x.xlsx: отсутствует часть xl/worksheets/sheet1.xml");
  }
  {
    auto p = parts;
    p["xl/worksheets/sheet1.xml"] = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"";
    ExpectThrowsWith([&] { Workbook::FromParts(p, "/tmp/x.xlsx"); },
                     "/tmp/x.xlsx: повреждена часть xl/worksheets/sheet1.xml");
  }
  {
    auto p = parts;
    p["xl/worksheets/sheet1.xml"] =
        "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" "
        "t=\"s\"><v>7</v></c></row></sheetData></worksheet>";
    ExpectThrowsWith([&] { Workbook::FromParts(p, "/tmp/x.xlsx"); }, "повреждена часть");
  }
  {
    auto p = parts;
    p["xl/worksheets/sheet1.xml"] =
        "<worksheet><sheetData><row r=\"1\"><c "
        "r=\"A1\"><v>abc</v></c></row></sheetData></worksheet>";
    ExpectThrowsWith([&] { Workbook::FromParts(p, "/tmp/x.xlsx"); }, "повреждена часть");
  }
  {
    auto p = parts;
    p["xl/worksheets/sheet1.xml"] =
        "<worksheet><sheetData><row r=\"1\"><c r=\"1A\"><v>1</v></c></row></sheetData></worksheet>";
    ExpectThrowsWith([&] { Workbook::FromParts(p, "/tmp/x.xlsx"); },
                     "/tmp/x.xlsx: повреждена часть xl/worksheets/sheet1.xml");
  }
  {
    auto p = parts;
    p["xl/worksheets/sheet1.xml"] =
        "<worksheet><sheetData/><mergeCells><mergeCell ref=\"A1:\"/></mergeCells></worksheet>";
    ExpectThrowsWith([&] { Workbook::FromParts(p, "/tmp/x.xlsx"); }, "повреждена часть");
  }
  {
    auto p = parts;
    const std::string wb = p["xl/workbook.xml"];
    p["xl/workbook.xml"].replace(wb.find("activeTab=\"0\""), 13, "activeTab=\"x\"");
    EXPECT_NO_THROW(Workbook::FromParts(p, "/tmp/x.xlsx"));
  }
  {
    auto p = parts;
    p.erase("[Content_Types].xml");
    ExpectThrowsWith([&] { Workbook::FromParts(p, "/tmp/x.xlsx"); },
                     "отсутствует часть [Content_Types].xml");
  }
}

TEST(WorkbookModel, MangledPartsGiveErrorsNotCrashes) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  s.SetText(1, 1, "Всего");
  s.SetNumber(2, 2, 12.5);
  s.SetFormula(3, 3, "A1&B2");
  s.Merge(MakeRange(4, 1, 4, 3));
  s.SetFont(MakeRange(1, 1, 1, 1), {.bold = true});
  const auto parts = wb->ToParts();
  std::mt19937 random(20131);
  int errors = 0;
  for (const char* target :
       {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/styles.xml", "xl/workbook.xml"}) {
    const std::string original = parts.at(target);
    for (int round = 0; round < 300; ++round) {
      std::string mangled = original;
      const int edits = 1 + static_cast<int>(random() % 4);
      for (int e = 0; e < edits; ++e) {
        const size_t at = random() % mangled.size();
        switch (random() % 3) {
          case 0:
            mangled[at] = static_cast<char>(random() % 256);
            break;
          case 1:
            mangled.erase(at, 1 + random() % 8);
            break;
          default:
            mangled.insert(at, 1, "<>\"&:0A9"[random() % 8]);
            break;
        }
        if (mangled.empty()) mangled = "<";
      }
      auto p = parts;
      p[target] = mangled;
      try {
        auto opened = Workbook::FromParts(p, "m.xlsx");
        opened->ToParts();
      } catch (const WorkbookError&) {
        ++errors;
      }
    }
  }
  EXPECT_GT(errors, 0);
}
