// Fills a treated-patient register of N treatment-sheet rows (default 20,000)
// the way the register does: a template with the six-row block A8:S13, the
// block copied to the next six rows for every row and filled, then the
// workbook saved, then read back. Prints the time of filling, of saving and of
// reading, and the peak memory.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "workbook/cell_address.h"
#include "workbook/excel_application.h"
#include "workbook/workbook.h"

using namespace kelmo::workbook;
namespace fs = std::filesystem;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A template like sreestr.xlsx: title, heading and the framed block A8:S13.
void MakeTemplate(const std::string& path) {
  auto wb = Workbook::Create();
  Worksheet& s = wb->ActiveSheet();
  s.SetText(1, 1, "Реестр пролеченных больных");
  s.SetFont(MakeRange(1, 1, 1, 1), {.bold = true, .size = 12});
  s.SetText(3, 1, "ЛПУ");
  const CellRange block = MakeRange(8, 1, 13, 19);
  for (auto edge : {BorderIndex::EdgeLeft, BorderIndex::EdgeTop, BorderIndex::EdgeBottom,
                    BorderIndex::EdgeRight, BorderIndex::InsideVertical})
    s.SetBorder(block, edge, LineStyle::Thin);
  s.SetFont(block, {.size = 8});
  s.Merge(MakeRange(8, 3, 9, 3));
  wb->SaveAs(path);
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 20000;
  const fs::path dir = fs::temp_directory_path() / ("kelmo_bench_wb_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string tpl = (dir / "sreestr.xlsx").string();
  MakeTemplate(tpl);

  const auto start = std::chrono::steady_clock::now();
  ExcelApplication app;
  Worksheet& s = app.Open(tpl).ActiveSheet();
  s.SetText(1, 1, "Реестр пролеченных больных с 01.03.2013 по 31.03.2013");
  int sheetRow = 8;
  for (int i = 0; i < rows; ++i) {
    if (i > 0) {
      sheetRow += 6;
      s.CopyRange(MakeRange(8, 1, 13, 19), s, sheetRow, 1);
    }
    const int r = sheetRow;
    s.SetText(r, 1, "СЕР" + std::to_string(i % 97));
    s.SetText(r, 2, std::to_string(100000 + i));
    s.SetText(r, 3, "Иванов" + std::to_string(i) + " И.И.");
    s.SetText(r, 4, "01.02.1960");
    s.SetText(r, 14, std::to_string(12345 + i % 1000) + ".5");
    s.SetText(r + 1, 1, "ЕНП:" + std::to_string(7000000000000000LL + i));
    s.SetText(r + 1, 5, "I20.0");
    s.SetText(r + 1, 6, "1100" + std::to_string(i % 50));
    for (int c = 7; c <= 11; ++c) s.SetText(r + 1, c, std::to_string((i + c) % 20));
    s.SetText(r + 1, 12, "Кардиоло");
    s.SetText(r + 1, 13, "Выписан");
    s.SetText(r + 1, 14, "12000.5");
    s.SetText(r + 1, 15, "11000");
    s.SetText(r + 1, 16, "1000.5");
    s.SetText(r + 2, 1, "4509");
    s.SetText(r + 2, 14, "345.5");
    s.SetText(r + 3, 1, std::to_string(600000 + i));
    s.SetText(r + 3, 5, "E11.9");
    s.SetText(r + 3, 6, "1200(12)");
    s.SetText(r + 3, 14, "0");
  }
  s.SetText(sheetRow + 7, 3, "Итого:");
  s.Select({8, 1});
  const double filled = Seconds(start);
  const auto saveStart = std::chrono::steady_clock::now();
  app.SaveActiveAs((dir / "Sreestr1.xlsx").string());
  app.SetDisplayAlerts(false);
  app.CloseAll();
  const double saved = Seconds(saveStart);
  // Reading it back, as the reception reads an institution's register.
  const auto readStart = std::chrono::steady_clock::now();
  int totalRow = 0;
  {
    auto back = Workbook::Open((dir / "Sreestr1.xlsx").string());
    Worksheet& r = back->ActiveSheet();
    for (int row = 8; row <= r.LastRow(); ++row)
      if (r.Text(row, 3) == "Итого:") totalRow = row;
  }
  const double read = Seconds(readStart);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("register of %d rows (%d sheet rows): fill %.2f s, save %.2f s, total %.2f s\n", rows,
              sheetRow + 5, filled, saved, filled + saved);
  std::printf("read back %.2f s (total row %d)\n", read, totalRow);
  std::printf("file %.1f MB, peak memory %.1f MB\n",
              fs::file_size(dir / "Sreestr1.xlsx") / 1048576.0, usage.ru_maxrss / 1024.0);
  fs::remove_all(dir);
  return 0;
}
