// The peer of the register benchmark: libxlsxwriter writing the register of
// register_layout.h with the same cells, formats and merges as the layer.
#include "register_peer.h"

#include <xlsxwriter.h>

#include <stdexcept>
#include <vector>

#include "register_layout.h"

namespace kelmo::bench {

void WriteRegisterWithPeer(const std::string& path, int sheets, bool constantMemory) {
  lxw_workbook_options options{};
  options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
  lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
  if (!wb) throw std::runtime_error("libxlsxwriter: cannot create " + path);
  lxw_worksheet* ws = workbook_add_worksheet(wb, "Лист1");
  lxw_format* title = workbook_add_format(wb);
  format_set_bold(title);
  format_set_font_size(title, 12);
  // The framed block: every cell has its left and right lines, the first
  // row its top line, the last its bottom line.
  lxw_format* rowFormats[kBlockRows];
  for (int r = 0; r < kBlockRows; ++r) {
    lxw_format* f = workbook_add_format(wb);
    format_set_font_size(f, 8);
    format_set_left(f, LXW_BORDER_THIN);
    format_set_right(f, LXW_BORDER_THIN);
    if (r == 0) format_set_top(f, LXW_BORDER_THIN);
    if (r == kBlockRows - 1) format_set_bottom(f, LXW_BORDER_THIN);
    rowFormats[r] = f;
  }
  worksheet_write_string(ws, 0, 0, kRegisterPeriodTitle, title);
  worksheet_write_string(ws, 2, 0, "ЛПУ", nullptr);
  int sheetRow = kFirstBlockRow;
  // Row by row, as the streaming mode takes them: each row's texts in their
  // columns, formatted blanks in the rest.
  const char* texts[kBlockRows][kBlockColumns];
  for (int i = 0; i < sheets; ++i, sheetRow += kBlockRows) {
    const std::vector<RegisterCell> cells = RegisterTexts(i);
    for (auto& row : texts)
      for (auto& text : row) text = nullptr;
    for (const RegisterCell& cell : cells)
      texts[cell.rowOffset][cell.column - 1] = cell.text.c_str();
    for (int r = 0; r < kBlockRows; ++r) {
      for (int c = 0; c < kBlockColumns; ++c) {
        if (r == 0 && c == 2) continue;  // the merge's cell, written last
        if (texts[r][c])
          worksheet_write_string(ws, sheetRow - 1 + r, c, texts[r][c], rowFormats[r]);
        else
          worksheet_write_blank(ws, sheetRow - 1 + r, c, rowFormats[r]);
      }
      // The merge writes its first cell and pads the rest (C9, which the
      // next row formats as its own), so it closes the first row.
      if (r == 0)
        worksheet_merge_range(ws, sheetRow - 1, 2, sheetRow, 2, texts[0][2], rowFormats[0]);
    }
  }
  worksheet_write_string(ws, sheetRow - kBlockRows + 7 - 1, 2, "Итого:", nullptr);
  worksheet_set_selection(ws, kFirstBlockRow - 1, 0, kFirstBlockRow - 1, 0);
  if (workbook_close(wb) != LXW_NO_ERROR)
    throw std::runtime_error("libxlsxwriter: cannot write " + path);
}

}  // namespace kelmo::bench
