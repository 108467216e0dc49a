// Fuzzes the table reader: opens the input as a table, reads every field of
// every record (memo fields included, with whatever memo file is there) and
// copies the live records into a new table, as a pack does.
#include <cstdint>
#include <string>

#include "dbf/dbf_errors.h"
#include "fuzz_scratch.h"
#include "dbf/table_handler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FuzzScratchFolder() + "/input.dbf";
  FuzzWriteFile(path, data, size);
  try {
    kelmo::dbf::DFO_dBHandler t(path, false, false, "");
    int walked = 0;
    for (t.GoTo(kelmo::dbf::kMoveFirst); !t.Eof() && walked < 5000;
         t.GoTo(kelmo::dbf::kMoveNext), ++walked) {
      for (int f = 1; f <= t.FieldCount(); ++f) {
        try {
          t.FieldText(f);
          t.GetFieldRaw(f);
          if (t.FieldType(f) == 'N' || t.FieldType(f) == 'F') t.GetNumeric(f);
          if (t.FieldType(f) == 'D') t.GetDate(f);
        } catch (const kelmo::dbf::EDbfError&) {
        }
      }
    }
    if (size < 65536) {
      try {
        t.CopyFile(FuzzScratchFolder() + "/copy.dbf", "");
      } catch (const kelmo::dbf::EDbfError&) {
      }
    }
  } catch (const kelmo::dbf::EDbfError&) {
  }
  return 0;
}
