// Any bytes as an archive to update: the update either completes, and then
// the new archive reads back with the added entry, or fails with the
// library's exception and leaves the old bytes exactly as they were and no
// temporary file behind.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "zip/zip_archive.h"

namespace fs = std::filesystem;
using namespace kelmo::zip;

namespace {
const fs::path& Scratch() {
  static const fs::path root = [] {
    std::random_device rd;
    fs::path p = fs::temp_directory_path() / ("kelmo-zip-upd-fuzz-" + std::to_string(rd()));
    fs::create_directories(p / "tmp");
    return p;
  }();
  return root;
}

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& root = Scratch();
  const std::string zip = (root / "old.zip").string();
  const std::string before(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream f(zip, std::ios::binary | std::ios::trunc);
    f << before;
  }
  TQorZip z;
  z.SetZipName(zip);
  z.SetTempPath((root / "tmp").string());
  z.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
  z.AddFromMemory("added/new.txt", {'n', 'e', 'w'});
  bool done = false;
  try {
    z.Compress();
    done = true;
  } catch (const EQorZipException&) {
  } catch (const EZLibError&) {
  } catch (const EStreamError&) {
  } catch (const EListError&) {
  }
  if (!fs::is_empty(root / "tmp")) std::abort();
  if (!done) {
    if (Slurp(zip) != before) std::abort();
    return 0;
  }
  TQorUnZip u;
  u.SetZipName(zip);
  u.ReadDirectory();
  int i = u.FindEntry("added/new.txt");
  if (i < 0) std::abort();
  auto bytes = u.ExtractToMemory(i);
  if (std::string(bytes.begin(), bytes.end()) != "new") std::abort();
  return 0;
}
