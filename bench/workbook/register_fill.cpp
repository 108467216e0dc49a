// Fills a treated-patient register of N treatment sheets (default 20,000) the
// way the register does: a template with the six-row block A8:S13, the block
// copied to the next six rows for every sheet and filled, the workbook saved;
// beside it libxlsxwriter writes the same cells, formats and merges. Each
// writer runs in a process of its own (this program started again), several
// times in turn, so that each one's peak memory is its own. Prints the
// minimum and median time of each, their ratio, each one's peak memory and
// file size, and the time and peak of reading the register back.
//
//   bench_workbook_register [sheets] [runs]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "register_layout.h"
#include "register_peer.h"
#include "workbook/cell_address.h"
#include "workbook/excel_application.h"
#include "workbook/workbook.h"

using namespace kelmo::workbook;
using namespace kelmo::bench;
namespace fs = std::filesystem;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// A template like sreestr.xlsx: title, heading and the framed block A8:S13.
void MakeTemplate(const std::string& path) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  s.SetText(1, 1, kRegisterTitle);
  s.SetFont(MakeRange(1, 1, 1, 1), {.bold = true, .size = 12});
  s.SetText(3, 1, "ЛПУ");
  const CellRange block =
      MakeRange(kFirstBlockRow, 1, kFirstBlockRow + kBlockRows - 1, kBlockColumns);
  for (auto edge : {BorderIndex::EdgeLeft, BorderIndex::EdgeTop, BorderIndex::EdgeBottom,
                    BorderIndex::EdgeRight, BorderIndex::InsideVertical})
    s.SetBorder(block, edge, LineStyle::Thin);
  s.SetFont(block, {.size = 8});
  s.Merge(MakeRange(kFirstBlockRow, 3, kFirstBlockRow + 1, 3));
  wb->SaveAs(path);
}

void WriteRegisterWithLayer(const std::string& tpl, const std::string& out, int sheets) {
  ExcelApplication app;
  Worksheet& s = app.Open(tpl).ActiveSheet();
  s.SetText(1, 1, kRegisterPeriodTitle);
  const CellRange block =
      MakeRange(kFirstBlockRow, 1, kFirstBlockRow + kBlockRows - 1, kBlockColumns);
  int sheetRow = kFirstBlockRow;
  for (int i = 0; i < sheets; ++i) {
    if (i > 0) {
      sheetRow += kBlockRows;
      s.CopyRange(block, s, sheetRow, 1);
    }
    for (const RegisterCell& cell : RegisterTexts(i))
      s.SetText(sheetRow + cell.rowOffset, cell.column, cell.text);
  }
  s.SetText(sheetRow + 7, 3, "Итого:");
  s.Select({kFirstBlockRow, 1});
  app.SaveActiveAs(out);
  app.SetDisplayAlerts(false);
  app.CloseAll();
}

// Reads the register back, as the reception reads an institution's register.
int ReadRegister(const std::string& path) {
  int totalRow = 0;
  auto back = Workbook::Open(path);
  Worksheet& r = back->ActiveSheet();
  for (int row = kFirstBlockRow; row <= r.LastRow(); ++row)
    if (r.Text(row, 3) == "Итого:") totalRow = row;
  return totalRow;
}

// One measured run in this process: prints "<seconds> <peak MB> <result>".
// Run by hand (--child template, then layer, peer or read) it leaves its files
// in the folder for a profiler.
int RunChild(const std::string& what, const std::string& dir, int sheets) {
  const std::string tpl = dir + "/sreestr.xlsx";
  const auto start = std::chrono::steady_clock::now();
  long result = 0;
  if (what == "layer") {
    WriteRegisterWithLayer(tpl, dir + "/layer.xlsx", sheets);
    result = static_cast<long>(fs::file_size(dir + "/layer.xlsx"));
  } else if (what == "peer" || what == "peer-stream") {
    WriteRegisterWithPeer(dir + "/peer.xlsx", sheets, what == "peer-stream");
    result = static_cast<long>(fs::file_size(dir + "/peer.xlsx"));
  } else if (what == "template") {
    MakeTemplate(tpl);
  } else if (what == "read") {
    result = ReadRegister(dir + "/layer.xlsx");
  } else {
    return 2;
  }
  std::printf("%.6f %.1f %ld\n", Seconds(start), PeakMegabytes(), result);
  return 0;
}

struct Run {
  double seconds = 0, peak = 0;
  long result = 0;
};

Run RunInChild(const std::string& self, const std::string& what, const std::string& dir,
               int sheets) {
  const std::string command =
      "'" + self + "' --child " + what + " '" + dir + "' " + std::to_string(sheets);
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  Run run;
  if (!pipe || std::fscanf(pipe.get(), "%lf %lf %ld", &run.seconds, &run.peak, &run.result) != 3)
    throw std::runtime_error("the " + what + " run failed");
  return run;
}

struct Figures {
  double min, median, peak;
  long result;
};

Figures Summary(std::vector<Run> runs) {
  std::sort(runs.begin(), runs.end(),
            [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
  double peak = 0;
  for (const Run& r : runs) peak = std::max(peak, r.peak);
  return {runs.front().seconds, runs[runs.size() / 2].seconds, peak, runs.front().result};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--child")
    return RunChild(argv[2], argv[3], std::atoi(argv[4]));
  const int sheets = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const fs::path dir = fs::temp_directory_path() / ("kelmo_bench_wb_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  try {
    MakeTemplate((dir / "sreestr.xlsx").string());
    std::vector<Run> layer, peer, stream, read;
    for (int k = 0; k < runs; ++k) {
      layer.push_back(RunInChild(self, "layer", dir.string(), sheets));
      peer.push_back(RunInChild(self, "peer", dir.string(), sheets));
      stream.push_back(RunInChild(self, "peer-stream", dir.string(), sheets));
      read.push_back(RunInChild(self, "read", dir.string(), sheets));
    }
    const Figures l = Summary(layer), p = Summary(peer), c = Summary(stream), r = Summary(read);
    std::printf("register of %d treatment sheets (%d sheet rows), %d runs each\n", sheets,
                kFirstBlockRow + sheets * kBlockRows + 1, runs);
    auto line = [](const char* who, const Figures& f) {
      std::printf("%-34s min %.3f s, median %.3f s, peak %6.1f MB, file %.1f MB\n", who, f.min,
                  f.median, f.peak, f.result / 1048576.0);
    };
    auto ratio = [&l](const char* who, const Figures& f) {
      std::printf("layer / %-26s time min %.2f, median %.2f; peak %.2f\n", who, l.min / f.min,
                  l.median / f.median, l.peak / f.peak);
    };
    line("layer (fill and save)", l);
    line("libxlsxwriter (shared strings)", p);
    line("libxlsxwriter (constant_memory)", c);
    ratio("libxlsxwriter (shared)", p);
    ratio("libxlsxwriter (constant)", c);
    std::printf("layer read back: min %.3f s, median %.3f s, peak %.1f MB (total row %ld)\n", r.min,
                r.median, r.peak, r.result);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    fs::remove_all(dir);
    return 1;
  }
  fs::remove_all(dir);
  return 0;
}
