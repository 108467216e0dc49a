// Fuzzes the legacy .xls path. An input that begins with the compound-file
// signature is a whole .xls file, opened through the reader's child process
// (libfreexl's faults must stay there and come back as errors); otherwise the
// input is the child's answer, read into a new workbook as the program reads
// it. A workbook that reads is saved, and what the layer saved must open.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_scratch.h"
#include "workbook/workbook.h"
#include "workbook/workbook_error.h"
#include "workbook/xls_stream.h"

using namespace kelmo::workbook;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<Workbook> wb;
  try {
    if (input.starts_with("\xD0\xCF\x11\xE0")) {
      static const std::string path = FuzzScratchFolder() + "/fuzz.xls";
      FuzzWriteFile(path, data, size);
      wb = Workbook::Open(path);
    } else {
      wb = Workbook::Create();
      ReadXlsStream(input, "fuzz.xls", *wb);
    }
  } catch (const WorkbookError&) {
    return 0;
  }
  try {
    Workbook::FromParts(wb->ToParts(), "saved");
  } catch (const WorkbookError&) {
    __builtin_trap();
  }
  return 0;
}
