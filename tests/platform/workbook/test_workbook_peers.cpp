// Workbooks written by the layer, opened by independent readers (openpyxl and
// LibreOffice), and workbooks written by them, read by the layer: values,
// fonts, merges and borders must agree. Also the .xls path through libfreexl
// and files that are not workbooks at all.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "workbook/cell_address.h"
#include "workbook/excel_application.h"
#include "workbook/workbook.h"
#include "workbook/workbook_error.h"

using namespace kelmo::workbook;
namespace fs = std::filesystem;

namespace {

std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary);
  out << text;
}

class PeersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kelmo_wb_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Python(const std::string& script) {
    const fs::path py = dir_ / "peer.py";
    WriteFile(py, script);
    return RunCommand("/usr/bin/python3 " + py.string() + " 2>&1");
  }

  // LibreOffice headless with a profile of its own, so parallel runs do not meet.
  std::string Soffice(const std::string& to, const fs::path& file) {
    const std::string profile = "file://" + (dir_ / "lo-profile").string();
    return RunCommand("cd " + dir_.string() + " && soffice -env:UserInstallation=" + profile +
                      " --headless --convert-to " + to + " --outdir " + dir_.string() + " " +
                      file.string() + " 2>&1");
  }

  fs::path dir_;
};

void FillSample(Worksheet& s) {
  s.SetText(1, 1, "Реестр пролеченных больных");
  s.SetFont(MakeRange(1, 1, 1, 1), {.bold = true, .size = 14});
  s.Merge(MakeRange(1, 1, 1, 5));
  s.SetText(3, 2, "ВСЕГО");
  s.SetFont(MakeRange(3, 2, 3, 2), {.italic = true, .size = 8});
  s.SetNumber(3, 3, 310);
  s.SetNumber(3, 8, 12345.5);
  s.SetText(4, 8, "1234.50");
  s.SetText(5, 1, "a;b,\"c\"");
  s.SetAlignment(MakeRange(5, 1, 5, 1), {.horizontal = HorizontalAlignment::Center, .wrap = true});
  const CellRange grid = MakeRange(7, 1, 8, 3);
  for (auto edge :
       {BorderIndex::EdgeLeft, BorderIndex::EdgeTop, BorderIndex::EdgeBottom,
        BorderIndex::EdgeRight, BorderIndex::InsideVertical, BorderIndex::InsideHorizontal})
    s.SetBorder(grid, edge, LineStyle::Thin);
  s.SetNumber(7, 1, 1);
  s.SetNumber(8, 3, 6);
}

}  // namespace

TEST_F(PeersTest, OpenpyxlReadsWhatTheLayerWrote) {
  auto wb = Workbook::Create();
  FillSample(wb->ActiveSheet());
  const fs::path file = dir_ / "sample.xlsx";
  wb->SaveAs(file.string());
  const std::string out = Python(
      "import openpyxl\n"
      "wb = openpyxl.load_workbook('" +
      file.string() +
      "')\n"
      "ws = wb.active\n"
      "print(ws.title)\n"
      "print(repr(ws['A1'].value), ws['A1'].font.b, ws['A1'].font.sz)\n"
      "print(repr(ws['B3'].value), ws['B3'].font.i, ws['B3'].font.sz)\n"
      "print(ws['C3'].value, ws['H3'].value, repr(ws['H4'].value))\n"
      "print(repr(ws['A5'].value), ws['A5'].alignment.horizontal, ws['A5'].alignment.wrap_text)\n"
      "print(sorted(str(r) for r in ws.merged_cells.ranges))\n"
      "for row in ws['A7:C8']:\n"
      "  print(' '.join('%s/%s/%s/%s' % (c.border.left.style, c.border.top.style, "
      "c.border.right.style, c.border.bottom.style) for c in row))\n"
      "print(ws['D8'].border.left.style)\n");
  EXPECT_EQ(out,
            "Лист1\n"
            "'Реестр пролеченных больных' True 14.0\n"
            "'ВСЕГО' True 8.0\n"
            "310 12345.5 '1234.50'\n"
            "'a;b,\"c\"' center True\n"
            "['A1:E1']\n"
            "thin/thin/thin/thin thin/thin/thin/thin thin/thin/thin/thin\n"
            "thin/thin/thin/thin thin/thin/thin/thin thin/thin/thin/thin\n"
            "None\n");
}

// A sheet of many pieces (the sheet is written into the package a batch of
// rows at a time): the file holds exactly what the parts hold, and openpyxl
// reads its last row and merges.
TEST_F(PeersTest, LargeSheetStreamedIntoThePackage) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  constexpr int kRows = 6000;
  for (int r = 1; r <= kRows; ++r) {
    s.SetText(r, 1, "Строка " + std::to_string(r));
    s.SetNumber(r, 2, r * 0.5);
    s.SetText(r, 19, "<&>" + std::to_string(r % 7));
    if (r % 6 == 0) s.Merge(MakeRange(r - 1, 3, r, 3));
  }
  s.SetBorder(MakeRange(1, 1, kRows, 19), BorderIndex::EdgeRight, LineStyle::Thin);
  const fs::path file = dir_ / "large.xlsx";
  wb->SaveAs(file.string());
  const auto parts = wb->ToParts();
  EXPECT_EQ(RunCommand("unzip -p " + file.string() + " xl/worksheets/sheet1.xml"),
            parts.at("xl/worksheets/sheet1.xml"));
  EXPECT_EQ(RunCommand("unzip -p " + file.string() + " xl/sharedStrings.xml"),
            parts.at("xl/sharedStrings.xml"));
  auto back = Workbook::Open(file.string());
  Worksheet& b = back->ActiveSheet();
  EXPECT_EQ(b.LastRow(), kRows);
  EXPECT_EQ(b.Text(kRows, 1), "Строка 6000");
  EXPECT_EQ(b.Value(kRows, 2).Number(), 3000);
  EXPECT_EQ(b.Text(kRows, 19), "<&>1");
  EXPECT_EQ(b.Merges().size(), static_cast<size_t>(kRows / 6));
  EXPECT_EQ(b.BorderAt(kRows, 19).right.style, "thin");
  EXPECT_EQ(Python("import openpyxl\n"
                   "ws = openpyxl.load_workbook('" +
                   file.string() +
                   "').active\n"
                   "print(ws.max_row, ws.cell(6000, 1).value, ws.cell(6000, 19).value,\n"
                   "      len(ws.merged_cells.ranges))\n"),
            "6000 Строка 6000 <&>1 1000\n");
}

TEST_F(PeersTest, LibreOfficeConvertsWhatTheLayerWrote) {
  auto wb = Workbook::Create();
  FillSample(wb->ActiveSheet());
  const fs::path file = dir_ / "sample.xlsx";
  wb->SaveAs(file.string());
  Soffice("csv:\"Text - txt - csv (StarCalc)\":44,34,76", file);
  const std::string csv = ReadFile(dir_ / "sample.csv");
  ASSERT_FALSE(csv.empty()) << "LibreOffice did not convert the workbook";
  std::istringstream lines(csv);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_GE(rows.size(), 8u);
  EXPECT_EQ(rows[0].substr(0, rows[0].find(',')), "Реестр пролеченных больных");
  EXPECT_EQ(rows[2], ",ВСЕГО,310,,,,,12345.5");
  EXPECT_EQ(rows[3], ",,,,,,,1234.50");
  EXPECT_EQ(rows[4].substr(0, 11), "\"a;b,\"\"c\"\"\"");
  EXPECT_EQ(rows[6].substr(0, 1), "1");
  EXPECT_EQ(rows[7].substr(0, 5), ",,6,,");
}

TEST_F(PeersTest, TemplateFromOpenpyxlKeepsItsLookThroughTheLayer) {
  const fs::path tpl = dir_ / "tpl.xlsx";
  Python(
      "import openpyxl\n"
      "from openpyxl.styles import Font, Border, Side\n"
      "wb = openpyxl.Workbook()\n"
      "ws = wb.active\n"
      "ws.title = 'Реестр'\n"
      "ws['A1'] = 'Реестр'\n"
      "ws['A1'].font = Font(name='Arial', bold=True, size=12)\n"
      "ws.column_dimensions['B'].width = 33\n"
      "ws.merge_cells('A8:C8')\n"
      "ws['A8'] = 'блок'\n"
      "thin = Side(style='thin')\n"
      "ws['A9'].border = Border(left=thin, bottom=thin)\n"
      "ws['D9'] = '=A9*2'\n"
      "ws['E9'] = 5\n"
      "wb.create_sheet('Второй')\n"
      "wb.save('" +
      tpl.string() + "')\n");
  auto wb = Workbook::Open(tpl.string());
  Worksheet& s = wb->Sheet("Реестр");
  EXPECT_EQ(s.Text(1, 1), "Реестр");
  EXPECT_TRUE(s.FontAt(1, 1).bold);
  EXPECT_EQ(s.FontAt(1, 1).name, "Arial");
  EXPECT_EQ(s.BorderAt(9, 1).left.style, "thin");
  EXPECT_EQ(s.Formula(9, 4), "A9*2");
  s.CopyRange(MakeRange(8, 1, 13, 19), s, 14, 1);
  s.SetText(14, 6, "копия");
  const fs::path out = dir_ / "out.xlsx";
  wb->SaveAs(out.string());
  const std::string check = Python(
      "import openpyxl\n"
      "wb = openpyxl.load_workbook('" +
      out.string() +
      "')\n"
      "ws = wb['Реестр']\n"
      "print(wb.sheetnames)\n"
      "print(ws.column_dimensions['B'].width, ws['A1'].font.name, ws['A1'].font.b)\n"
      "print(sorted(str(r) for r in ws.merged_cells.ranges))\n"
      "print(ws['A14'].value, ws['F14'].value, ws['A15'].border.left.style, ws['D15'].value, "
      "ws['E15'].value)\n");
  EXPECT_EQ(check,
            "['Реестр', 'Второй']\n"
            "33.0 Arial True\n"
            "['A14:C14', 'A8:C8']\n"
            "блок копия thin =A15*2 5\n");
}

// Rows of a workbook from another program pasted into one of ours: openpyxl
// reads the values, number formats, fills, fonts and merges they brought.
TEST_F(PeersTest, RangeCopiedFromAnotherProgramsWorkbookKeepsItsLook) {
  const fs::path from = dir_ / "from.xlsx";
  Python(
      "import openpyxl\n"
      "from openpyxl.styles import Font, PatternFill, Border, Side\n"
      "wb = openpyxl.Workbook()\n"
      "ws = wb.active\n"
      "ws['A7'] = 'пациент'\n"
      "ws['A7'].font = Font(name='Arial', bold=True, color='FFFF0000')\n"
      "ws['B7'] = 1234.5\n"
      "ws['B7'].number_format = '#,##0.00\"р.\"'\n"
      "ws['B7'].fill = PatternFill('solid', fgColor='FFFFFF00')\n"
      "ws['C8'].border = Border(bottom=Side(style='thin'))\n"
      "ws.merge_cells('A8:C8')\n"
      "ws['A8'] = 'итог'\n"
      "wb.save('" +
      from.string() + "')\n");
  auto source = Workbook::Open(from.string());
  auto target = Workbook::Create();
  target->ActiveSheet().SetText(1, 1, "Реестр");
  source->ActiveSheet().CopyRange(MakeRange(7, 1, 8, 3), target->ActiveSheet(), 22, 2);
  const fs::path out = dir_ / "to.xlsx";
  target->SaveAs(out.string());
  const std::string check = Python(
      "import openpyxl\n"
      "wb = openpyxl.load_workbook('" +
      out.string() +
      "')\n"
      "ws = wb.active\n"
      "print(ws['A1'].value, ws['B22'].value, ws['B22'].font.name, ws['B22'].font.b, "
      "ws['B22'].font.color.rgb)\n"
      "print(ws['C22'].value, ws['C22'].number_format, ws['C22'].fill.fgColor.rgb)\n"
      "print(ws['B23'].value, ws['D23'].border.bottom.style, "
      "sorted(str(r) for r in ws.merged_cells.ranges))\n");
  EXPECT_EQ(check,
            "Реестр пациент Arial True FFFF0000\n"
            "1234.5 #,##0.00\"р.\" FFFFFF00\n"
            "итог thin ['B23:D23']\n");
}

TEST_F(PeersTest, WorkbookSavedByLibreOfficeServesAsTemplate) {
  auto wb = Workbook::Create();
  FillSample(wb->ActiveSheet());
  const fs::path first = dir_ / "sample.xlsx";
  wb->SaveAs(first.string());
  fs::create_directories(dir_ / "lo");
  const std::string profile = "file://" + (dir_ / "lo-profile").string();
  RunCommand("cd " + dir_.string() + " && soffice -env:UserInstallation=" + profile +
             " --headless --convert-to xlsx --outdir " + (dir_ / "lo").string() + " " +
             first.string() + " 2>&1");
  const fs::path lo = dir_ / "lo" / "sample.xlsx";
  ASSERT_TRUE(fs::exists(lo)) << "LibreOffice wrote no .xlsx";
  auto tpl = Workbook::Open(lo.string());
  Worksheet& s = tpl->ActiveSheet();
  EXPECT_EQ(s.Text(3, 2), "ВСЕГО");
  EXPECT_EQ(s.Value(3, 8).Number(), 12345.5);
  EXPECT_TRUE(s.FontAt(1, 1).bold);
  EXPECT_EQ(s.BorderAt(8, 3).right.style, "thin");
  ASSERT_EQ(s.Merges().size(), 1u);
  s.CopyRange(MakeRange(7, 1, 8, 3), s, 20, 1);
  s.SetText(20, 1, "копия");
  const fs::path out = dir_ / "again.xlsx";
  tpl->SaveAs(out.string());
  EXPECT_EQ(Python("import openpyxl\n"
                   "ws = openpyxl.load_workbook('" +
                   out.string() +
                   "').active\n"
                   "print(ws['A20'].value, ws['C21'].value, ws['C21'].border.right.style, "
                   "ws['A1'].font.b)\n"),
            "копия 6 thin True\n");
}

TEST_F(PeersTest, LegacyXlsReadThroughFreexl) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  s.SetText(17, 1, "Всего");
  s.SetNumber(17, 3, 310);
  s.SetNumber(17, 8, 1000.5);
  const fs::path file = dir_ / "sfakt1.xlsx";
  wb->SaveAs(file.string());
  Soffice("xls", file);
  ASSERT_TRUE(fs::exists(dir_ / "sfakt1.xls")) << "LibreOffice made no .xls";
  ExcelApplication app;
  Worksheet& x = app.Open((dir_ / "sfakt1.xls").string()).ActiveSheet();
  EXPECT_EQ(x.Text(17, 1), "Всего");
  EXPECT_EQ(x.Value(17, 3).Number(), 310);
  EXPECT_EQ(x.Value(17, 8).Number(), 1000.5);
  EXPECT_TRUE(x.IsEmpty(16, 1));
  // Read as .xls, saved as .xlsx.
  app.SaveActiveAs((dir_ / "again.xlsx").string());
  EXPECT_EQ(Workbook::Open((dir_ / "again.xlsx").string())->ActiveSheet().Text(17, 8), "1000.5");

  // Damaged copies (bytes changed, the file cut short) either read or give an
  // error naming the file; libfreexl's faults stay in its child process.
  std::ifstream in(dir_ / "sfakt1.xls", std::ios::binary);
  const std::string original((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  std::mt19937 random(27);
  const fs::path damaged = dir_ / "damaged.xls";
  for (int round = 0; round < 60; ++round) {
    std::string bytes = original;
    if (round % 4 == 3) {
      bytes.resize(8 + random() % (bytes.size() - 8));
    } else {
      for (int k = 0; k < 1 + round % 8; ++k)
        bytes[8 + random() % (bytes.size() - 8)] = static_cast<char>(random());
    }
    WriteFile(damaged, bytes);
    try {
      Workbook::Open(damaged.string());
    } catch (const WorkbookError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(damaged.string() + ": книга .xls не читается (", 0), 0u)
          << e.what();
    }
  }
}

TEST_F(PeersTest, FilesThatAreNotWorkbooksNameTheFile) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"text.xlsx", "just text", "файл не является книгой Excel"},
      {"empty.xlsx", "", "файл не является книгой Excel"},
      {"ole.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'),
       "книга .xls не читается"},
      {"cut.xlsx", std::string("PK\x03\x04", 4) + std::string(40, 'x'),
       "файл не является книгой Excel"},
  };
  for (const auto& c : cases) {
    const fs::path p = dir_ / c.name;
    WriteFile(p, c.bytes);
    try {
      Workbook::Open(p.string());
      ADD_FAILURE() << c.name << " opened";
    } catch (const WorkbookError& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find(p.string()), std::string::npos) << what;
      EXPECT_NE(what.find(c.message), std::string::npos) << what;
    }
  }
  try {
    Workbook::Open((dir_ / "missing.xlsx").string());
    ADD_FAILURE() << "missing file opened";
  } catch (const WorkbookError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.xlsx"), std::string::npos);
  }
}

TEST_F(PeersTest, ApplicationLifecycle) {
  ExcelApplication app;
  EXPECT_THROW(app.ActiveWorkbook(), WorkbookError);
  app.Add().ActiveSheet().SetText(1, 1, "x");
  const fs::path saved = dir_ / "a.xlsx";
  app.SaveActiveAs(saved.string());
  app.SetDisplayAlerts(false);
  app.CloseAll();
  EXPECT_EQ(app.WorkbookCount(), 0u);
  std::vector<std::string> shown;
  ShowWorkbook(saved.string(), [&](const std::string& p) { shown.push_back(p); });
  EXPECT_EQ(shown, std::vector<std::string>{saved.string()});
  app.Quit();
  EXPECT_THROW(app.Open(saved.string()), WorkbookError);
  // Saving over an existing file replaces it whole.
  auto wb = Workbook::Create();
  wb->SaveAs(saved.string());
  EXPECT_TRUE(Workbook::Open(saved.string())->ActiveSheet().IsEmpty(1, 1));
  EXPECT_THROW(wb->SaveAs((dir_ / "no" / "such" / "dir.xlsx").string()), WorkbookError);
}
