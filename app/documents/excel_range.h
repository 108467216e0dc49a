// Sheet helpers of the documents (the unit uExcelRange): copying a named
// range or address to a cell, outlining a range, and a thin grid around and
// inside a block given by cells or by addresses, on the active sheet of the
// application's active workbook. Every line drawn is continuous, thin, in the
// automatic colour.
// Errors: the workbook layer's WorkbookError (no open workbook, a bad
// address), except in the two inside steps of a grid, which never report.
#pragma once

#include <QString>

#include "workbook/excel_application.h"

namespace kelmo {

// The spreadsheet application's published border constants.
enum XlBorder {
  xlDiagonalDown = 5,
  xlDiagonalUp = 6,
  xlEdgeLeft = 7,
  xlEdgeTop = 8,
  xlEdgeBottom = 9,
  xlEdgeRight = 10,
  xlInsideVertical = 11,
  xlInsideHorizontal = 12,
};
constexpr int xlLineStyleNone = -4142;
constexpr int xlContinuous = 1;
constexpr int xlThin = 2;
constexpr int xlColorIndexAutomatic = -4105;

// Copies the range (a defined name or an address such as "A8:S13") with its
// values, formats and merges to the cell (row, column) of the active sheet.
void CopyRangeToCell(workbook::ExcelApplication& app, const QString& range, int row, int column);
// Diagonals off, then the left, top, bottom and right edges; inner lines stay.
void OutlineRange(workbook::ExcelApplication& app, const QString& firstCell,
                  const QString& lastCell);
// The four edges, then the inside horizontal and vertical lines (a block of
// one row or column has none; that step is skipped silently).
void GridCells(workbook::ExcelApplication& app, int firstRow, int firstColumn, int lastRow,
               int lastColumn);
void GridRange(workbook::ExcelApplication& app, const QString& firstCell, const QString& lastCell);

}  // namespace kelmo
