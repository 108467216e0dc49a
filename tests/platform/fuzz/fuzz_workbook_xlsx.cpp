// Fuzzes the workbook layer's .xlsx reading. An input that begins "PK" is a
// whole package, opened from a file (the zip container and every part);
// otherwise the input is the text of the package's XML parts, separated by
// lines "--", laid in order over the parts of a small workbook. A workbook
// that opens is saved, and what the layer saved must open again; so must a
// new workbook that a range of its first sheet was copied into.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_scratch.h"
#include "workbook/cell_address.h"
#include "workbook/workbook.h"
#include "workbook/workbook_error.h"

using namespace kelmo::workbook;

namespace {

const char* const kPartOrder[] = {
    "xl/worksheets/sheet1.xml",   "xl/sharedStrings.xml", "xl/styles.xml", "xl/workbook.xml",
    "xl/_rels/workbook.xml.rels", "[Content_Types].xml",  "_rels/.rels",   "xl/theme/theme1.xml"};

const PackageParts& BaseParts() {
  static const PackageParts parts = [] {
    PackageParts p = Workbook::Create()->ToParts();
    p["xl/theme/theme1.xml"] = "<a:theme xmlns:a=\"urn:a\"/>";
    return p;
  }();
  return parts;
}

void Reopen(Workbook& wb) {
  PackageParts saved = wb.ToParts();
  try {
    Workbook::FromParts(std::move(saved), "saved");
  } catch (const WorkbookError&) {
    __builtin_trap();  // the layer could not read what it wrote
  }
}

void SaveAndReopen(Workbook& wb) {
  Reopen(wb);
  if (wb.SheetCount() == 0) return;
  auto pasted = Workbook::Create();
  wb.Sheet(0).CopyRange(MakeRange(1, 1, 40, 20), pasted->ActiveSheet(), 2, 2);
  Reopen(*pasted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  try {
    if (input.starts_with("PK")) {
      static const std::string path = FuzzScratchFolder() + "/fuzz.xlsx";
      FuzzWriteFile(path, data, size);
      SaveAndReopen(*Workbook::Open(path));
      return 0;
    }
    PackageParts parts = BaseParts();
    size_t start = 0;
    for (const char* name : kPartOrder) {
      if (start > input.size()) break;
      const size_t end = std::min(input.find("\n--\n", start), input.size());
      parts[name] = std::string(input.substr(start, end - start));
      start = end + 4;
    }
    SaveAndReopen(*Workbook::FromParts(std::move(parts), "fuzz.xlsx"));
  } catch (const WorkbookError&) {
  }
  return 0;
}
