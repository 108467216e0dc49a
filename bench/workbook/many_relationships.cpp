// Opens and saves workbooks whose workbook part has 20,000 and 60,000
// relationships (external links, no styles and no shared strings, so that
// opening and saving each add a relationship under a new id), beside
// openpyxl (python3-openpyxl) loading the same file in the same run. Prints
// the minimum and median of five runs of each and their ratio.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "many_relationships.h"
#include "workbook/package_zip.h"
#include "workbook/workbook.h"

using namespace kelmo::workbook;
namespace fs = std::filesystem;

namespace {

std::string MakeWorkbook(const fs::path& dir, int count) {
  const std::string path = (dir / ("rels" + std::to_string(count) + ".xlsx")).string();
  WriteZipParts(path, ManyRelationshipsParts(count));
  return path;
}

struct Figures {
  double min, median;
};

template <typename Run>
Figures Measure(Run run) {
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    times.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return {times.front(), times[times.size() / 2]};
}

}  // namespace

int main() {
  const fs::path dir = fs::temp_directory_path() / ("kelmo_bench_rels_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const bool peer = std::system("/usr/bin/python3 -c 'import openpyxl' 2>/dev/null") == 0;
  for (int count : {20000, 60000}) {
    const std::string path = MakeWorkbook(dir, count);
    const std::string saved = (dir / "saved.xlsx").string();
    const Figures layer = Measure([&] { Workbook::Open(path)->SaveAs(saved); });
    std::printf("%d relationships: open and save min %.3f s, median %.3f s\n", count, layer.min,
                layer.median);
    if (!peer) continue;
    const std::string command = "/usr/bin/python3 -c 'import openpyxl; openpyxl.load_workbook(\"" +
                                path + "\")' 2>/dev/null";
    const Figures python = Measure([&] { std::system(command.c_str()); });
    std::printf("%d relationships: openpyxl load min %.3f s, median %.3f s; layer/openpyxl %.2f\n",
                count, python.min, python.median, layer.min / python.min);
  }
  fs::remove_all(dir);
  return 0;
}
