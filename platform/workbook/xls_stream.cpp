// The reading side of the .xls reader's stream (see xls_stream.h).
#include "xls_stream.h"

#include <cmath>

#include "bytes/little_endian.h"
#include "cell_address.h"
#include "workbook.h"
#include "workbook_error.h"
#include "xml_part.h"

namespace kelmo::workbook {

namespace {

// More sheets than any institution's workbook has; each costs a part.
constexpr size_t kMaxXlsSheets = 256;

class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : rest_(bytes) {}
  bool Take(std::string_view text) {
    if (!rest_.starts_with(text)) return false;
    rest_.remove_prefix(text.size());
    return true;
  }
  bool Get(char& value) {
    return Bytes(1, [&](const uint8_t* p) { value = static_cast<char>(*p); });
  }
  bool Get(uint16_t& value) {
    return Bytes(2, [&](const uint8_t* p) { value = bytes::GetLE16(p); });
  }
  bool Get(uint32_t& value) {
    return Bytes(4, [&](const uint8_t* p) { value = bytes::GetLE32(p); });
  }
  bool Get(int32_t& value) {
    return Bytes(4, [&](const uint8_t* p) { value = static_cast<int32_t>(bytes::GetLE32(p)); });
  }
  bool Get(double& value) {
    return Bytes(8, [&](const uint8_t* p) { value = bytes::GetLEDouble(p); });
  }
  bool Text(std::string_view& text) {
    uint32_t length = 0;
    if (!Get(length) || rest_.size() < length) return false;
    text = rest_.substr(0, length);
    rest_.remove_prefix(length);
    return true;
  }
  bool AtEnd() const { return rest_.empty(); }

 private:
  template <typename Take>
  bool Bytes(size_t count, Take take) {
    if (rest_.size() < count) return false;
    take(reinterpret_cast<const uint8_t*>(rest_.data()));
    rest_.remove_prefix(count);
    return true;
  }
  std::string_view rest_;
};

// A sheet's own name, unless it is empty, taken, or holds characters that a
// workbook part cannot hold; then a numbered one.
std::string UniqueSheetName(Workbook& wb, std::string name, size_t index) {
  if (name.empty() || !IsXmlUtf8(name, true) || wb.FindSheet(name))
    name = "Лист" + std::to_string(index + 1);
  for (int n = 2; wb.FindSheet(name); ++n)
    name = "Лист" + std::to_string(index + 1) + "_" + std::to_string(n);
  return name;
}

}  // namespace

std::string XlsReason(int32_t code) {
  switch (static_cast<XlsFault>(code)) {
    case XlsFault::NotFound:
      return "файл не найден";
    case XlsFault::NoMemory:
      return "недостаточно памяти";
    case XlsFault::Charset:
      return "неподдерживаемая кодировка";
    case XlsFault::Crafted:
      return "файл намеренно искажён";
    case XlsFault::Compound:
      return "повреждён составной файл";
    case XlsFault::Password:
      return "защищена паролем";
    case XlsFault::NoSheets:
      return "нет листов";
    case XlsFault::BadSheet:
      return "лист не читается";
  }
  return "ошибка " + std::to_string(code);
}

void ReadXlsStream(std::string_view stream, const std::string& path, Workbook& into) {
  const auto fail = [&](const std::string& reason) {
    return WorkbookError(path + ": книга .xls не читается (" + reason + ")");
  };
  const auto damaged = [&] { return fail("ответ чтения повреждён"); };
  Cursor in(stream);
  if (!in.Take("KXLS1\n")) throw damaged();
  size_t sheets = 0;
  Worksheet* sheet = nullptr;
  for (;;) {
    char kind = 0;
    if (!in.Get(kind)) throw damaged();
    switch (kind) {
      case 'S': {
        std::string_view name;
        if (!in.Text(name) || !IsXmlUtf8(name, false)) throw damaged();
        if (sheets == kMaxXlsSheets) throw fail("слишком много листов");
        const std::string unique = UniqueSheetName(into, std::string(name), sheets);
        if (sheets == 0)
          into.RenameSheet(0, unique);
        else
          into.AddSheet(unique);
        sheet = &into.Sheet(sheets++);
        break;
      }
      case 'N':
      case 'T': {
        uint32_t row = 0;
        uint16_t column = 0;
        if (!sheet || !in.Get(row) || !in.Get(column) || row >= static_cast<uint32_t>(kMaxRows) ||
            column >= kMaxColumns)
          throw damaged();
        if (kind == 'N') {
          double value = 0;
          if (!in.Get(value) || !std::isfinite(value)) throw damaged();
          sheet->SetNumber(static_cast<int>(row) + 1, column + 1, value);
        } else {
          std::string_view text;
          if (!in.Text(text) || !IsXmlUtf8(text, false)) throw damaged();
          sheet->SetText(static_cast<int>(row) + 1, column + 1, std::string(text));
        }
        break;
      }
      case 'E': {
        int32_t code = 0;
        if (!in.Get(code)) throw damaged();
        throw fail(XlsReason(code));
      }
      case 'Z':
        if (sheets == 0 || !in.AtEnd()) throw damaged();
        return;
      default:
        throw damaged();
    }
  }
}

}  // namespace kelmo::workbook
