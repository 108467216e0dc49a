// Fuzzes the memo reader: the first input byte picks the layout (dBase III,
// dBase IV or FoxPro), the rest is the memo file; a fixed table points its
// memo fields at the first blocks, and every memo is read.
#include <cstdint>
#include <string>

#include "dbf/dbf_errors.h"
#include "fuzz_scratch.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"

using namespace kelmo::dbf;

namespace {

const std::string& TableFor(int layout) {
  static std::string paths[3];
  std::string& path = paths[layout];
  if (path.empty()) {
    path = FuzzScratchFolder() + "/memo" + std::to_string(layout) + ".dbf";
    {
      std::unique_ptr<DFO_DBFBuild> b;
      if (layout == 0) b = std::make_unique<DFO_DBFBuild>(path);
      if (layout == 1) b = std::make_unique<DFO_DB4Build>(path);
      if (layout == 2) b = std::make_unique<DFO_DBFoxBuild>(path);
      b->AddField("note", 'M', 10, 0);
      b->AddField("pic", 'B', 10, 0);
      b->WriteFiles();
    }
    DFO_dBHandler t(path, false, true, "");
    for (int block : {1, 2, 3, 8, 9, 100}) {
      t.BlankRecord();
      t.PutNumeric(1, block);
      t.PutNumeric(2, block + 1);
      t.Append();
    }
  }
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int layout = data[0] % 3;
  const std::string& table = TableFor(layout);
  const std::string memo = table.substr(0, table.size() - 4) + (layout == 2 ? ".fpt" : ".dbt");
  FuzzWriteFile(memo, data + 1, size - 1);
  try {
    DFO_dBHandler t(table, false, false, "");
    for (t.GoTo(kMoveFirst); !t.Eof(); t.GoTo(kMoveNext)) {
      for (int f = 1; f <= 2; ++f) {
        try {
          t.MemoSize(f);
          t.ReadMemo(f);
          t.ReadMemo(f, 7);
        } catch (const EDbfError&) {
        }
      }
    }
  } catch (const EDbfError&) {
  }
  return 0;
}
