// Fuzzes opening and walking the index files: the first byte picks the format
// (.ntx, .ndx, .cdx, .mdx), the rest is the file. Opening, walking every tag
// both ways and seeking give results or the engine's error, never a crash or
// a hang.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "../fake_table.h"
#include "dbf/cdx_index.h"
#include "dbf/mdx_index.h"
#include "dbf/ndx_index.h"
#include "dbf/ntx_index.h"

using namespace kelmo::dbf;

namespace {

// A walk visits at most this many entries: a damaged tree may share pages
// between parents, which multiplies the entries reachable.
constexpr int kMaxSteps = 20000;

void Walk(GSobjIndexTag& tag) {
  int steps = 0;
  for (int32_t r = tag.MoveCursor(-3); r && steps < kMaxSteps; r = tag.MoveCursor(-1)) ++steps;
  steps = 0;
  for (int32_t r = tag.MoveCursor(-4); r && steps < kMaxSteps; r = tag.MoveCursor(-2)) ++steps;
  tag.FindKey("SMITH", false);
  tag.FindKey(tag.current.value, true);
  tag.SetRange("A", true, "T", false, true);
  steps = 0;
  for (int32_t r = tag.MoveCursor(-3); r && steps < kMaxSteps; r = tag.MoveCursor(-1)) ++steps;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static testing::FakeTable table(
      {{"NAME", 'C', 12, 0}, {"AMOUNT", 'N', 8, 2}, {"BORN", 'D', 8, 0}});
  static const std::string base = "/tmp/kelmo_dbfidx_fuzz_" + std::to_string(getpid());
  static const char* const kExtensions[] = {".ntx", ".ndx", ".cdx", ".mdx"};
  int format = data[0] % 4;
  std::string path = base + kExtensions[format];
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  }
  try {
    std::unique_ptr<GSobjIndexFile> index;
    switch (format) {
      case 0:
        index = std::make_unique<GSobjNTXFile>(&table, path, false, false);
        break;
      case 1:
        index = std::make_unique<GSobjNDXFile>(&table, path, false, false);
        break;
      case 2:
        index = std::make_unique<GSobjCDXFile>(&table, path, false, false);
        break;
      default:
        index = std::make_unique<GSobjMDXFile>(&table, path, false, false);
        break;
    }
    for (int i = 0; i < index->IndexTagCount(); ++i) Walk(*index->IndexTagByNumber(i));
  } catch (const EDbfError&) {
  }
  std::remove(path.c_str());
  return 0;
}
