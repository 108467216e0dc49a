// Fuzzes the combined act's reading of an act: the input is written as an act
// file, read back and copied twice onto one sheet (the second copy with the
// head lines already written). Whatever the lines, the copy ends without a
// failure other than the reader's own refusal, and never moves above the
// row it started at, so an act never overwrites what came before it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "documents/combined_act_copy.h"
#include "fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FuzzScratchFolder() + "/act.txt";
  FuzzWriteFile(path, data, size);
  QStringList lines;
  try {
    lines = kelmo::ReadActFile(QString::fromStdString(path));
  } catch (const kelmo::CombinedActError&) {
    return 0;
  }
  kelmo::workbook::ExcelApplication app;
  app.Add();
  kelmo::TDoubleRec flags;
  int row = 3;
  for (int pass = 0; pass < 2; ++pass) {
    const int start = row;
    kelmo::AppendProtocolToAct(app, lines, flags, row);
    // Stepping back over a line written last never leaves the act's rows.
    if (row < start) std::abort();
    ++row;
  }
  return 0;
}
