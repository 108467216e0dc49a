// Parsing and formatting of A1-style addresses.
#include "cell_address.h"

#include <algorithm>

#include "workbook_error.h"

namespace kelmo::workbook {

namespace {

[[noreturn]] void BadAddress(std::string_view text) {
  throw WorkbookError("Неверный адрес ячейки: " + std::string(text));
}

}  // namespace

std::string ColumnName(int column) {
  std::string name;
  while (column > 0) {
    const int rest = (column - 1) % 26;
    name.insert(name.begin(), static_cast<char>('A' + rest));
    column = (column - 1) / 26;
  }
  return name;
}

CellRef ParseCell(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  long column = 0;
  const size_t letters = i;
  while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
    column = column * 26 + (std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 1);
    if (column > kMaxColumns) BadAddress(text);
    ++i;
  }
  if (i == letters) BadAddress(text);
  if (i < text.size() && text[i] == '$') ++i;
  long row = 0;
  const size_t digits = i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    row = row * 10 + (text[i] - '0');
    if (row > kMaxRows) BadAddress(text);
    ++i;
  }
  if (i == digits || i != text.size() || row < 1) BadAddress(text);
  return {static_cast<int>(row), static_cast<int>(column)};
}

std::pair<std::string, std::string> SplitSheetPrefix(std::string_view text) {
  const size_t bang = text.rfind('!');
  if (bang == std::string_view::npos) return {std::string(), std::string(text)};
  std::string sheet(text.substr(0, bang));
  if (sheet.size() >= 2 && sheet.front() == '\'' && sheet.back() == '\'') {
    sheet = sheet.substr(1, sheet.size() - 2);
    std::string unquoted;
    for (size_t k = 0; k < sheet.size(); ++k) {
      unquoted += sheet[k];
      if (sheet[k] == '\'' && k + 1 < sheet.size() && sheet[k + 1] == '\'') ++k;
    }
    sheet = unquoted;
  }
  return {sheet, std::string(text.substr(bang + 1))};
}

CellRange ParseRange(std::string_view text) {
  const std::string local = SplitSheetPrefix(text).second;
  const size_t colon = local.find(':');
  if (colon == std::string::npos) {
    const CellRef c = ParseCell(local);
    return {c, c};
  }
  const CellRef a = ParseCell(std::string_view(local).substr(0, colon));
  const CellRef b = ParseCell(std::string_view(local).substr(colon + 1));
  return MakeRange(a.row, a.column, b.row, b.column);
}

CellRange MakeRange(int row1, int column1, int row2, int column2) {
  if (row1 < 1 || column1 < 1 || row2 < 1 || column2 < 1 || row1 > kMaxRows || row2 > kMaxRows ||
      column1 > kMaxColumns || column2 > kMaxColumns)
    throw WorkbookError("Неверный адрес ячейки: " + std::to_string(row1) + "," +
                        std::to_string(column1) + ":" + std::to_string(row2) + "," +
                        std::to_string(column2));
  return {{std::min(row1, row2), std::min(column1, column2)},
          {std::max(row1, row2), std::max(column1, column2)}};
}

std::string FormatCell(int row, int column) {
  return ColumnName(column) + std::to_string(row);
}

std::string FormatRange(const CellRange& range) {
  if (range.first == range.last) return FormatCell(range.first.row, range.first.column);
  return FormatCell(range.first.row, range.first.column) + ":" +
         FormatCell(range.last.row, range.last.column);
}

}  // namespace kelmo::workbook
