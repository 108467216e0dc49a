// Range helpers of the documents (see excel_range.h).
#include "excel_range.h"

#include "workbook/cell_address.h"
#include "workbook/workbook_error.h"

namespace kelmo {

namespace {

using workbook::BorderIndex;
using workbook::CellRange;
using workbook::LineStyle;

CellRange RangeOf(const QString& firstCell, const QString& lastCell) {
  const auto a = workbook::ParseCell(firstCell.toStdString());
  const auto b = workbook::ParseCell(lastCell.toStdString());
  return workbook::MakeRange(a.row, a.column, b.row, b.column);
}

void Edges(workbook::Worksheet& sheet, const CellRange& range) {
  for (int edge : {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight})
    sheet.SetBorder(range, static_cast<BorderIndex>(edge), LineStyle::Thin);
}

void Grid(workbook::Worksheet& sheet, const CellRange& range) {
  Edges(sheet, range);
  // A block of one row has no inside horizontal line, one of one column no
  // inside vertical line; the application refuses those and the grid goes on.
  for (int inside : {xlInsideHorizontal, xlInsideVertical}) {
    try {
      sheet.SetBorder(range, static_cast<BorderIndex>(inside), LineStyle::Thin);
    } catch (const workbook::WorkbookError&) {
    }
  }
}

}  // namespace

void CopyRangeToCell(workbook::ExcelApplication& app, const QString& range, int row, int column) {
  workbook::Workbook& book = app.ActiveWorkbook();
  workbook::Worksheet& sheet = book.ActiveSheet();
  auto [source, cells] = book.ResolveRange(range.toStdString(), sheet);
  source->CopyRange(cells, sheet, row, column);
}

void OutlineRange(workbook::ExcelApplication& app, const QString& firstCell,
                  const QString& lastCell) {
  workbook::Worksheet& sheet = app.ActiveSheet();
  const CellRange range = RangeOf(firstCell, lastCell);
  sheet.SetBorder(range, BorderIndex::DiagonalDown, LineStyle::None);
  sheet.SetBorder(range, BorderIndex::DiagonalUp, LineStyle::None);
  Edges(sheet, range);
}

void GridCells(workbook::ExcelApplication& app, int firstRow, int firstColumn, int lastRow,
               int lastColumn) {
  Grid(app.ActiveSheet(), workbook::MakeRange(firstRow, firstColumn, lastRow, lastColumn));
}

void GridRange(workbook::ExcelApplication& app, const QString& firstCell, const QString& lastCell) {
  Grid(app.ActiveSheet(), RangeOf(firstCell, lastCell));
}

}  // namespace kelmo
