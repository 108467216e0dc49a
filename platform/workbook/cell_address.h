// A1-style cell addresses and ranges: "B7", "$A$8", "A8:S13", "Лист1!$A$8:$S$13".
// Rows and columns count from 1, as the spreadsheet's own Cells(row, column).
// Parsing raises WorkbookError "Неверный адрес ячейки: <text>".
#pragma once

#include <string>
#include <string_view>

namespace kelmo::workbook {

// The largest sheet a workbook holds (the .xlsx limits).
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

struct CellRef {
  int row = 1;
  int column = 1;
  bool operator==(const CellRef&) const = default;
};

struct CellRange {
  CellRef first;
  CellRef last;
  int Rows() const { return last.row - first.row + 1; }
  int Columns() const { return last.column - first.column + 1; }
  bool Contains(int row, int column) const {
    return row >= first.row && row <= last.row && column >= first.column && column <= last.column;
  }
  bool Intersects(const CellRange& o) const {
    return !(o.last.row < first.row || o.first.row > last.row || o.last.column < first.column ||
             o.first.column > last.column);
  }
  bool operator==(const CellRange&) const = default;
};

// "A" is 1, "Z" 26, "AA" 27.
std::string ColumnName(int column);
CellRef ParseCell(std::string_view text);
// A range, or a single cell as a one-cell range; a sheet prefix is dropped
// (use SplitSheetPrefix to keep it). The corners are put in order.
CellRange ParseRange(std::string_view text);
// Splits "Sheet!A1:B2" into the sheet name (quotes removed) and "A1:B2".
std::pair<std::string, std::string> SplitSheetPrefix(std::string_view text);
std::string FormatCell(int row, int column);
std::string FormatRange(const CellRange& range);
CellRange MakeRange(int row1, int column1, int row2, int column2);

}  // namespace kelmo::workbook
