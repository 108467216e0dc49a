// Legacy .xls workbooks, read through libfreexl: every sheet's values (texts,
// numbers; dates and times as their ISO text), no formats or merges.
#include <freexl.h>

#include <memory>

#include "workbook.h"
#include "workbook_error.h"

namespace kelmo::workbook {

namespace {

struct XlsClose {
  void operator()(const void* handle) const { freexl_close(handle); }
};

std::string Reason(int code) {
  switch (code) {
    case FREEXL_FILE_NOT_FOUND:
      return "файл не найден";
    case FREEXL_INSUFFICIENT_MEMORY:
      return "недостаточно памяти";
    case FREEXL_UNSUPPORTED_CHARSET:
      return "неподдерживаемая кодировка";
    case FREEXL_CRAFTED_FILE:
      return "файл намеренно искажён";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
      return "повреждён составной файл";
    default:
      return "ошибка " + std::to_string(code);
  }
}

}  // namespace

void Workbook::LoadXls(const std::string& path) {
  const void* raw = nullptr;
  const int rc = freexl_open(path.c_str(), &raw);
  std::unique_ptr<const void, XlsClose> handle(raw);
  if (rc != FREEXL_OK) throw WorkbookError(path + ": книга .xls не читается (" + Reason(rc) + ")");
  unsigned int info = 0;
  if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
      info == FREEXL_BIFF_OBFUSCATED)
    throw WorkbookError(path + ": книга .xls не читается (защищена паролем)");
  unsigned int count = 0;
  if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0)
    throw WorkbookError(path + ": книга .xls не читается (нет листов)");
  Load(NewWorkbookParts(), path);
  for (unsigned short index = 0; index < count; ++index) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(raw, index, &name) != FREEXL_OK || name == nullptr)
      throw WorkbookError(path + ": книга .xls не читается (лист " + std::to_string(index + 1) +
                          ")");
    std::string sheetName = name;
    if (sheetName.empty() || FindSheet(sheetName)) sheetName = "Лист" + std::to_string(index + 1);
    if (index == 0)
      RenameSheet(0, sheetName);
    else
      AddSheet(sheetName);
    Worksheet& sheet = Sheet(index);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(raw, index) != FREEXL_OK ||
        freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK)
      throw WorkbookError(path + ": книга .xls не читается (лист " + sheetName + ")");
    for (unsigned int r = 0; r < rows && r < static_cast<unsigned>(kMaxRows); ++r) {
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue value;
        if (freexl_get_cell_value(raw, r, c, &value) != FREEXL_OK) continue;
        const int row = static_cast<int>(r) + 1, column = c + 1;
        switch (value.type) {
          case FREEXL_CELL_INT:
            sheet.SetNumber(row, column, value.value.int_value);
            break;
          case FREEXL_CELL_DOUBLE:
            sheet.SetNumber(row, column, value.value.double_value);
            break;
          case FREEXL_CELL_TEXT:
          case FREEXL_CELL_SST_TEXT:
          case FREEXL_CELL_DATE:
          case FREEXL_CELL_DATETIME:
          case FREEXL_CELL_TIME:
            if (value.value.text_value) sheet.SetText(row, column, value.value.text_value);
            break;
          default:
            break;
        }
      }
    }
  }
}

}  // namespace kelmo::workbook
