// Any bytes as an archive: reading the directory (with rebuilding from local
// headers), extracting every entry into a scratch folder and into memory must
// end with the library's exceptions at worst, and nothing may be written
// outside the scratch folder.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "zip/zip_reader.h"

namespace fs = std::filesystem;
using namespace kelmo::zip;

namespace {
const fs::path& Scratch() {
  static const fs::path root = [] {
    std::random_device rd;
    fs::path p = fs::temp_directory_path() / ("kelmo-zip-fuzz-" + std::to_string(rd()));
    fs::create_directories(p / "dest");
    return p;
  }();
  return root;
}

void CheckNothingOutside(const fs::path& root) {
  for (const auto& e : fs::directory_iterator(root)) {
    std::string name = e.path().filename().string();
    if (name != "dest" && name != "in.zip") std::abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& root = Scratch();
  std::string zip = (root / "in.zip").string();
  {
    std::ofstream f(zip, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  for (bool recreate : {true, false}) {
    TQorUnZip u;
    u.SetZipName(zip);
    u.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
    u.SetDestDir((root / "dest").string());
    u.SetRecreateDirs(recreate);
    u.SetDoAll(true);
    u.SetOverwriteMode(TUZOverwriteMode::Always);
    u.SetPassword("pw");
    try {
      u.Extract();
    } catch (const EQorZipException&) {
    } catch (const EZLibError&) {
    } catch (const EStreamError&) {
    } catch (const EListError&) {
    }
    try {
      u.SetZipName(zip + "x");
      u.SetZipName(zip);
      u.ReadDirectory();
      for (int i = 0; i < u.EntryCount() && i < 16; ++i) {
        try {
          u.ExtractToMemory(i);
        } catch (const EQorZipException&) {
        } catch (const EZLibError&) {
        }
      }
    } catch (const EQorZipException&) {
    } catch (const EZLibError&) {
    } catch (const EStreamError&) {
    } catch (const EListError&) {
    }
  }
  CheckNothingOutside(root);
  std::error_code ec;
  fs::remove_all(root / "dest", ec);
  fs::create_directories(root / "dest", ec);
  return 0;
}
