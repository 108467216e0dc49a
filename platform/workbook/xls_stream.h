// The stream in which the .xls reader's child process sends a legacy
// workbook's values back: sheets, cells and errors as short records. The
// writing side runs in the child beside libfreexl; the reading side checks
// every record, since a child that a damaged file has led astray may send
// anything.
//
// Records (integers little-endian): the magic "KXLS1\n", then
//   'S' u32 length, name (UTF-8)            a new sheet
//   'N' u32 row, u16 column, f64 value      a number (row and column from 0)
//   'T' u32 row, u16 column, u32 length, text (UTF-8)
//   'E' i32 code                            the file cannot be read: an
//                                           XlsFault or a libfreexl code
//   'Z'                                     the end
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelmo::workbook {

class Workbook;

// Why the child could not read a file; a code of libfreexl that names none of
// these is sent as it is (negative).
enum class XlsFault : int32_t {
  NotFound = 1,
  NoMemory = 2,
  Charset = 3,
  Crafted = 4,
  Compound = 5,
  Password = 6,
  NoSheets = 7,
  BadSheet = 8,
};

// The reason shown for an 'E' record's code, in the program's language.
std::string XlsReason(int32_t code);

// Appends records to `out`, which the caller may send and empty at any time.
class XlsStreamWriter {
 public:
  explicit XlsStreamWriter(std::string& out);
  void Sheet(std::string_view name);
  void Number(uint32_t row, uint16_t column, double value);
  void Text(uint32_t row, uint16_t column, std::string_view text);
  void Error(int32_t code);
  void End();

 private:
  std::string& out_;
};

// Reads a whole stream into the workbook (a new one: its first sheet takes
// the first sheet's name). WorkbookError "<path>: книга .xls не читается
// (<reason>)" for an 'E' record, and with the reason "ответ чтения повреждён"
// for a stream that does not read whole: a bad record, a cell past a sheet's
// limits, a value that is not finite, a text that is not UTF-8, no end record.
void ReadXlsStream(std::string_view stream, const std::string& path, Workbook& into);

}  // namespace kelmo::workbook
