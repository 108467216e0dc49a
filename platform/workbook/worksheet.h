// One sheet of a workbook: its cells (values, formulas, formats), merged
// ranges and row heights, and the operations that the documents of the
// program perform on a sheet through the spreadsheet application: write and
// read cells, fonts, alignment and wrapping, thin borders, merges, copy a
// range with its values, formats and merges, insert, delete and clear rows.
//
// Rows and columns count from 1. Operations outside the sheet's limits raise
// WorkbookError "Неверный адрес ячейки: ...". Formulas are kept as text; a
// copied formula has its relative references moved with it, while inserting
// or deleting rows does not rewrite formulas elsewhere on the sheet.
//
// Cost: a cell is 24 bytes plus its distinct text once per workbook; reading
// or writing one cell is a binary search in its row; inserting or deleting
// rows moves the rows below (linear); copying a range is linear in the
// range's cells plus the merges near the target (into another workbook, plus
// one look-up of each distinct format of the range).
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cell_address.h"
#include "cell_styles.h"
#include "string_pool.h"
#include "xml_part.h"

namespace kelmo::workbook {

enum class CellType : uint8_t { Empty, Number, Text, Boolean, Error };

// What a cell holds, as read back: for a formula cell the last value that the
// spreadsheet program computed (Empty when none was stored).
struct CellValue {
  CellType type = CellType::Empty;
  double number = 0;
  std::string text;
  bool IsEmpty() const {
    return type == CellType::Empty || (type == CellType::Text && text.empty());
  }
  // The value as text: numbers in the general format (up to 15 significant
  // digits, "." as separator), TRUE/FALSE for booleans.
  std::string Text() const;
  // The value as a number: numbers themselves, texts that read as a number
  // (blanks around and a "," separator allowed), 0 for empty; other texts
  // raise WorkbookError "Значение не является числом: <text>".
  double Number() const;
};

// The border indexes of the spreadsheet application, by their published values.
enum class BorderIndex {
  DiagonalDown = 5,
  DiagonalUp = 6,
  EdgeLeft = 7,
  EdgeTop = 8,
  EdgeBottom = 9,
  EdgeRight = 10,
  InsideVertical = 11,
  InsideHorizontal = 12,
};

class Worksheet {
 public:
  struct Cell {
    uint32_t column = 0;
    uint32_t style = 0;
    uint32_t formula = 0;  // 0: none; else the pool index + 1
    CellType type = CellType::Empty;
    union {
      double number;
      uint32_t text;
    };
    Cell() : number(0) {}
  };
  struct Row {
    std::vector<Cell> cells;  // ordered by column
    double height = 0;        // 0: the sheet's default
    bool customHeight = false;
    bool hidden = false;
    uint32_t style = 0;
    bool customFormat = false;
  };

  Worksheet(std::string name, StringPool& strings, CellStyles& styles);
  Worksheet(const Worksheet&) = delete;
  Worksheet& operator=(const Worksheet&) = delete;

  const std::string& Name() const { return name_; }
  // The workbook renames its sheets (Workbook::RenameSheet).
  void SetName(std::string name) { name_ = std::move(name); }

  CellValue Value(int row, int column) const;
  std::string Text(int row, int column) const { return Value(row, column).Text(); }
  bool IsEmpty(int row, int column) const { return Value(row, column).IsEmpty(); }
  // The formula of a cell without its "=", empty when it has none.
  std::string Formula(int row, int column) const;

  // Writing a value keeps the cell's format and drops its formula. An empty
  // text empties the cell.
  void SetText(int row, int column, std::string_view text);
  void SetNumber(int row, int column, double value);
  void SetBoolean(int row, int column, bool value);
  // A formula with or without its leading "="; it is computed by the program
  // that opens the workbook.
  void SetFormula(int row, int column, std::string_view formula);
  void ClearContents(const CellRange& range);
  // Empties a range of values and formats and removes the merges that
  // overlap it, as the application's Range.Clear.
  void Clear(const CellRange& range);

  void SetFont(const CellRange& range, const FontChange& change);
  void SetAlignment(const CellRange& range, const AlignmentChange& change);
  // One border of a range, as the application's Borders(index): the edges set
  // the outer side of the range's edge cells, the inside lines both sides of
  // every inner boundary. An inside line of a range one row high
  // (horizontal) or one column wide (vertical) raises WorkbookError
  // "Диапазон не имеет внутренних линий", as the application does.
  void SetBorder(const CellRange& range, BorderIndex index, LineStyle style);
  const Font& FontAt(int row, int column) const;
  const Border& BorderAt(int row, int column) const;
  const CellFormat& FormatAt(int row, int column) const;
  uint32_t StyleAt(int row, int column) const;

  // Merging a range removes the merges it overlaps; a one-cell range is not
  // a merge.
  void Merge(const CellRange& range);
  void Unmerge(const CellRange& range);
  std::vector<CellRange> Merges() const;

  // Inserts empty rows before `row`; rows and merges below move down.
  void InsertRows(int row, int count);
  // Deletes rows; rows below move up; merges shrink or vanish.
  void DeleteRows(int row, int count);
  // Empties rows of values and formats and removes the merges inside them.
  void ClearRows(int firstRow, int lastRow);
  void SetRowHeight(int row, double points);
  double RowHeight(int row) const;

  // Copies a range with its values, formulas, formats and the merges that lie
  // inside it to (row, column) of `target`, a sheet of this workbook or of
  // another (what pasting between two workbooks does): into another workbook
  // each format is found or added in its style tables with its number format,
  // font, fill, border and alignment, and formulas are copied as text (a
  // reference to another sheet then names that workbook's sheet). The target
  // area is replaced whole: cells that are blank in the source become blank,
  // merges overlapping the area are removed. Source and target may overlap.
  void CopyRange(const CellRange& source, Worksheet& target, int row, int column);

  // The active cell that the sheet opens with.
  void Select(const CellRef& cell) { selection_ = cell; }
  std::optional<CellRef> Selection() const { return selection_; }

  int LastRow() const;
  int LastColumn() const;

  // Package reading and writing (xlsx_package.cpp).
  const std::vector<Row>& Rows() const { return rows_; }
  std::vector<Row>& MutableRows() { return rows_; }
  void SetPart(XmlDocPtr doc) { doc_ = std::move(doc); }
  xmlDoc* Part() const { return doc_.get(); }
  void AddMergeUnchecked(const CellRange& range);
  StringPool& Strings() { return strings_; }

 private:
  const Cell* Find(int row, int column) const;
  Cell& Touch(int row, int column);
  void Remove(int row, int column);
  void RemoveMergesIn(const CellRange& area);
  template <typename F>
  void ForEachCell(const CellRange& range, F f);

  std::string name_;
  StringPool& strings_;
  CellStyles& styles_;
  std::vector<Row> rows_;                 // index row - 1
  std::multimap<int, CellRange> merges_;  // by first row
  int tallestMerge_ = 1;
  std::optional<CellRef> selection_;
  XmlDocPtr doc_;
  struct CopiedCell {
    int row;
    Cell cell;
  };
  std::vector<CopiedCell> copyScratch_;  // CopyRange's list of copies, kept for the next
};

// Moves the relative references of a formula by the given rows and columns
// (references with "$" stay; a reference moved off the sheet becomes #REF!).
std::string ShiftFormula(std::string_view formula, int rows, int columns);

}  // namespace kelmo::workbook
