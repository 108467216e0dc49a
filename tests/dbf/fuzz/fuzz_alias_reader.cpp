// Fuzzes the reader of the engine configuration file: the input is the file's
// text; its alias section becomes the alias list, and every name in it is
// looked up as a dataset's database name.
#include <cstdint>
#include <string>
#include <string_view>

#include "dbf/dbf_dataset.h"

using namespace kelmo::dbf;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  DbfAliasList() = ParseAliasSection(text);
  const std::vector<std::string> lines = DbfAliasList();
  for (const auto& line : lines) {
    const std::string name = line.substr(0, line.find('='));
    DbfAliasValue(name);
    TDbfDataSet ds;
    ds.SetDatabaseName(name);
    ds.TableFolder();
  }
  return 0;
}
