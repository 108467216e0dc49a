// Prints the zip library's speed next to Info-ZIP's in the same run: creating
// a ~200 MB package of XML files at level 9 (against `zip -9 -q`), extracting
// it (against `unzip -o -q`), extracting 70,000 small entries (against
// `unzip -q`, min and median of five runs each, into fresh folders), and
// reading a directory of 100,000 entries. Ratios are ours / Info-ZIP's: 1.0
// or less means no slower.
// Usage: zip_bench [megabytes]   (default 200)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "zip/zip_reader.h"
#include "zip/zip_writer.h"

namespace fs = std::filesystem;
using namespace kelmo::zip;

namespace {

double Seconds(const std::function<void()>& f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void System(const std::string& cmd) {
  if (std::system(cmd.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", cmd.c_str());
    std::exit(1);
  }
}

std::string XmlFile(std::size_t bytes, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<ZL_LIST>\n";
  while (s.size() < bytes) {
    s += "  <ZAP><N_ZAP>" + std::to_string(gen() % 100000) +
         "</N_ZAP><PR_NOV>0</PR_NOV><PACIENT><ID_PAC>" + std::to_string(gen()) +
         "</ID_PAC><VPOLIS>3</VPOLIS><NPOLIS>" + std::to_string(gen() % 1000000000) +
         "</NPOLIS><SMO>" + std::to_string(46000 + gen() % 10) + "</SMO></PACIENT><SLUCH><IDCASE>" +
         std::to_string(gen() % 1000000) + "</IDCASE><DS1>I" + std::to_string(10 + gen() % 80) +
         "." + std::to_string(gen() % 10) + "</DS1><SUMV>" + std::to_string(gen() % 100000) +
         ".00</SUMV></SLUCH></ZAP>\n";
  }
  s.resize(bytes);
  return s;
}

long PeakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200;
  fs::path root = fs::temp_directory_path() / ("kelmo-zip-bench-" + std::to_string(getpid()));
  fs::create_directories(root / "src");
  const std::size_t file_size = 512 * 1024;
  std::size_t files = megabytes * 1024 * 1024 / file_size;
  for (std::size_t i = 0; i < files; ++i) {
    std::ofstream f(root / "src" / ("HM" + std::to_string(100000 + i) + ".XML"), std::ios::binary);
    f << XmlFile(file_size, static_cast<unsigned>(i));
  }
  std::printf("package: %zu XML files, %zu MB\n", files, files * file_size / (1024 * 1024));
  std::string src = (root / "src").string();

  // Creation at level 9.
  std::string ours_zip = (root / "ours.zip").string(), info_zip = (root / "info.zip").string();
  double t_info_zip =
      Seconds([&] { System("cd '" + src + "' && zip -9 -q -r '" + info_zip + "' ."); });
  double t_ours_zip = Seconds([&] {
    TQorZip z;
    z.SetPackLevel(9);
    z.SetZipName(ours_zip);
    z.FilesList() = {src + "/*.*"};
    z.Compress();
  });
  std::printf("create level 9: ours %.2f s (%ju bytes), zip -9 -q %.2f s (%ju bytes), ratio %.2f\n",
              t_ours_zip, static_cast<std::uintmax_t>(fs::file_size(ours_zip)), t_info_zip,
              static_cast<std::uintmax_t>(fs::file_size(info_zip)), t_ours_zip / t_info_zip);

  // Extraction of the same (Info-ZIP's) archive.
  std::string out_info = (root / "x-info").string(), out_ours = (root / "x-ours").string();
  fs::create_directories(out_info);
  double t_info_x =
      Seconds([&] { System("unzip -o -q '" + info_zip + "' -d '" + out_info + "'"); });
  double t_ours_x = Seconds([&] {
    TQorUnZip u;
    u.SetZipName(info_zip);
    u.SetDestDir(out_ours);
    u.SetDoAll(true);
    u.SetOverwriteMode(TUZOverwriteMode::Always);
    u.Extract();
  });
  std::printf("extract: ours %.2f s, unzip -o -q %.2f s, ratio %.2f\n", t_ours_x, t_info_x,
              t_ours_x / t_info_x);
  fs::remove_all(root / "src");
  fs::remove_all(out_info);
  fs::remove_all(out_ours);

  // 70,000 small entries, each run into a fresh folder.
  {
    std::string small = (root / "small.zip").string();
    {
      TQorZip z;
      z.SetZipName(small);
      z.SetPackLevel(6);
      for (int i = 0; i < 70000; ++i) {
        std::string text =
            XmlFile(200 + static_cast<std::size_t>(i % 7) * 50, static_cast<unsigned>(i));
        z.AddFromMemory("d" + std::to_string(i % 70) + "/e" + std::to_string(i) + ".xml",
                        std::vector<std::uint8_t>(text.begin(), text.end()));
      }
      z.Compress();
    }
    std::vector<double> ours, info;
    for (int run = 0; run < 5; ++run) {
      std::string out_o = (root / ("s-ours" + std::to_string(run))).string();
      std::string out_i = (root / ("s-info" + std::to_string(run))).string();
      info.push_back(Seconds([&] { System("unzip -q '" + small + "' -d '" + out_i + "'"); }));
      ours.push_back(Seconds([&] {
        TQorUnZip u;
        u.SetZipName(small);
        u.SetDestDir(out_o);
        u.SetDoAll(true);
        u.SetRecreateDirs(true);
        u.SetOverwriteMode(TUZOverwriteMode::Always);
        u.Extract();
      }));
      fs::remove_all(out_o);
      fs::remove_all(out_i);
    }
    auto min_median = [](std::vector<double> v) {
      std::sort(v.begin(), v.end());
      return std::make_pair(v.front(), v[v.size() / 2]);
    };
    auto [ours_min, ours_med] = min_median(ours);
    auto [info_min, info_med] = min_median(info);
    std::printf(
        "extract 70,000 small entries: ours min %.2f s median %.2f s, unzip -q min %.2f s median "
        "%.2f s, ratio min %.2f median %.2f\n",
        ours_min, ours_med, info_min, info_med, ours_min / info_min, ours_med / info_med);
  }

  // A directory of 100,000 entries.
  std::string many = (root / "many.zip").string();
  {
    TQorZip z;
    z.SetZipName(many);
    z.SetPackLevel(0);
    for (int i = 0; i < 100000; ++i)
      z.AddFromMemory("folder" + std::to_string(i % 100) + "/entry" + std::to_string(i) + ".xml",
                      {'<', '/', '>'});
    z.Compress();
  }
  int count = 0;
  double t_dir = Seconds([&] {
    TQorUnZip u;
    u.SetZipName(many);
    u.ReadDirectory();
    count = u.EntryCount();
  });
  double t_info_dir = Seconds([&] { System("unzip -l -qq '" + many + "' > /dev/null"); });
  std::printf("read directory of %d entries: ours %.3f s, unzip -l %.3f s\n", count, t_dir,
              t_info_dir);
  std::printf("peak memory of this process: %ld MB\n", PeakRssMb());
  fs::remove_all(root);
  return 0;
}
