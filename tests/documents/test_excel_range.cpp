// Range helpers over the workbook layer: outline, grids and copies, checked
// on the saved workbook.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "workbook/cell_address.h"
#include "workbook/excel_application.h"
#include "documents/excel_range.h"
#include "workbook/workbook_error.h"

using namespace kelmo;
using workbook::ExcelApplication;
using workbook::MakeRange;

namespace {

std::string Sides(workbook::Worksheet& s, int row, int column) {
  const auto& b = s.BorderAt(row, column);
  auto one = [](const workbook::BorderEdge& e) { return e.style.empty() ? '.' : 'T'; };
  return {one(b.left), one(b.top), one(b.right), one(b.bottom)};
}

}  // namespace

TEST(ExcelRange, GridCellsOfOneCellDrawsItsEdges) {
  ExcelApplication app;
  app.Add();
  EXPECT_NO_THROW(GridCells(app, 3, 2, 3, 2));
  EXPECT_EQ(Sides(app.ActiveSheet(), 3, 2), "TTTT");
  EXPECT_EQ(Sides(app.ActiveSheet(), 3, 3), "....");
}

TEST(ExcelRange, GridRangeOfOneRowDrawsInnerVerticals) {
  ExcelApplication app;
  app.Add();
  GridRange(app, "A16", "C16");
  auto& s = app.ActiveSheet();
  EXPECT_EQ(Sides(s, 16, 1), "TTTT");
  EXPECT_EQ(Sides(s, 16, 2), "TTTT");
  EXPECT_EQ(Sides(s, 16, 3), "TTTT");
  GridRange(app, "A20", "B22");
  EXPECT_EQ(Sides(s, 21, 1), "TTTT");
  EXPECT_EQ(Sides(s, 21, 2), "TTTT");
}

TEST(ExcelRange, OutlineRangeRemovesDiagonalsAndKeepsInnerLines) {
  ExcelApplication app;
  app.Add();
  auto& s = app.ActiveSheet();
  s.SetBorder(MakeRange(1, 1, 3, 3), workbook::BorderIndex::DiagonalDown,
              workbook::LineStyle::Thin);
  OutlineRange(app, "A1", "C3");
  EXPECT_FALSE(s.BorderAt(2, 2).diagonalDown);
  EXPECT_EQ(Sides(s, 1, 1), "TT..");
  EXPECT_EQ(Sides(s, 2, 2), "....");
  EXPECT_EQ(Sides(s, 3, 3), "..TT");
  EXPECT_THROW(OutlineRange(app, "A0", "C3"), workbook::WorkbookError);
}

TEST(ExcelRange, CopyRangeToCellByAddressAndSurvivesSaving) {
  QTemporaryDir tmp;
  ExcelApplication app;
  app.Add();
  auto& s = app.ActiveSheet();
  s.SetText(8, 1, "серия");
  s.Merge(MakeRange(8, 2, 8, 3));
  GridRange(app, "A8", "S13");
  CopyRangeToCell(app, "A8:S13", 14, 1);
  EXPECT_EQ(s.Text(14, 1), "серия");
  EXPECT_EQ(Sides(s, 19, 19), "TTTT");
  const QString path = tmp.path() + "/r.xlsx";
  app.SaveActiveAs(path.toStdString());
  app.CloseAll();
  auto& again = app.Open(path.toStdString()).ActiveSheet();
  EXPECT_EQ(again.Text(14, 1), "серия");
  EXPECT_EQ(again.Merges().size(), 2u);
  EXPECT_THROW(CopyRangeToCell(app, "НетТакогоИмени", 1, 1), workbook::WorkbookError);
}
