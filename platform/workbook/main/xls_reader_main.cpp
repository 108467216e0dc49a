// kelmo-xls-reader -- <file.xls>: reads a legacy workbook through libfreexl
// and writes its sheets' values to the standard output as the stream of
// xls_stream.h. The program runs it as a child under limits (xls_child.h),
// since libfreexl reads out of bounds on some damaged files. Exit status 0
// with the stream (which may carry the reason a file cannot be read), 2 for
// wrong arguments, 3 when memory runs out.
#include <freexl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "workbook/xls_stream.h"

using kelmo::workbook::XlsFault;
using kelmo::workbook::XlsStreamWriter;

namespace {

struct XlsClose {
  void operator()(const void* handle) const { freexl_close(handle); }
};

int32_t FaultOf(int code) {
  switch (code) {
    case FREEXL_FILE_NOT_FOUND:
      return static_cast<int32_t>(XlsFault::NotFound);
    case FREEXL_INSUFFICIENT_MEMORY:
      return static_cast<int32_t>(XlsFault::NoMemory);
    case FREEXL_UNSUPPORTED_CHARSET:
      return static_cast<int32_t>(XlsFault::Charset);
    case FREEXL_CRAFTED_FILE:
      return static_cast<int32_t>(XlsFault::Crafted);
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
      return static_cast<int32_t>(XlsFault::Compound);
    default:
      return code;
  }
}

// The answer goes out in pieces, so a large workbook is never held whole.
class Output {
 public:
  Output() : writer_(buffer_) {}
  XlsStreamWriter& Writer() {
    if (buffer_.size() >= (1u << 20)) Flush();
    return writer_;
  }
  void Flush() {
    std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
    buffer_.clear();
  }

 private:
  std::string buffer_;
  XlsStreamWriter writer_;
};

void Read(const char* path, Output& out) {
  const void* raw = nullptr;
  const int rc = freexl_open(path, &raw);
  std::unique_ptr<const void, XlsClose> handle(raw);
  if (rc != FREEXL_OK) return out.Writer().Error(FaultOf(rc));
  unsigned int info = 0;
  if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
      info == FREEXL_BIFF_OBFUSCATED)
    return out.Writer().Error(static_cast<int32_t>(XlsFault::Password));
  unsigned int count = 0;
  if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0)
    return out.Writer().Error(static_cast<int32_t>(XlsFault::NoSheets));
  for (unsigned short index = 0; index < count && index < 0xFFFF; ++index) {
    const char* name = nullptr;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_get_worksheet_name(raw, index, &name) != FREEXL_OK ||
        freexl_select_active_worksheet(raw, index) != FREEXL_OK ||
        freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK)
      return out.Writer().Error(static_cast<int32_t>(XlsFault::BadSheet));
    out.Writer().Sheet(name ? name : "");
    // The sheets of an .xlsx hold 1,048,576 rows; a legacy sheet fewer.
    for (unsigned int r = 0; r < rows && r < 1048576u; ++r) {
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue value;
        if (freexl_get_cell_value(raw, r, c, &value) != FREEXL_OK) continue;
        switch (value.type) {
          case FREEXL_CELL_INT:
            out.Writer().Number(r, c, value.value.int_value);
            break;
          case FREEXL_CELL_DOUBLE:
            out.Writer().Number(r, c, value.value.double_value);
            break;
          case FREEXL_CELL_TEXT:
          case FREEXL_CELL_SST_TEXT:
          case FREEXL_CELL_DATE:
          case FREEXL_CELL_DATETIME:
          case FREEXL_CELL_TIME:
            if (value.value.text_value) out.Writer().Text(r, c, value.value.text_value);
            break;
          default:
            break;
        }
      }
    }
  }
  out.Writer().End();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::strcmp(argv[1], "--") != 0) return 2;
  try {
    Output out;
    Read(argv[2], out);
    out.Flush();
  } catch (const std::bad_alloc&) {
    return 3;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
