// Fuzzes the package identification over a folder of packages: the input is
// cut into up to three packages at each "\n#PACKAGE#\n"; each is unpacked
// into its folder as the identification does and its main and oncology
// files are read. Refusals and the zip reader's errors are expected; a crash,
// a sanitizer report, or a file written outside the package's folder is a
// finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "domain/package_header.h"
#include "domain/package_unpacking.h"
#include "fuzz_scratch_folder.h"

namespace {

const char* const kNames[] = {"HT45M450001_2401001.zip", "TT45M450001_2401002.zip",
                              "HS45001M450001_2401003.ZIP"};

void ReadHead(const std::filesystem::path& folder, const QString& base, bool tPackage) {
  if (base.isEmpty()) return;
  const std::filesystem::path file = folder / (base.toStdString() + ".XML");
  const std::filesystem::path lower = folder / (base.toStdString() + ".xml");
  const auto& path = std::filesystem::exists(file) ? file : lower;
  try {
    kelmo::ReadPackageXml(QString::fromStdString(path.string()), tPackage, QStringLiteral("T45"),
                          true);
  } catch (const std::runtime_error&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelmo::fuzz::ScratchFolder registry;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string_view cut = "\n#PACKAGE#\n";
  std::filesystem::create_directories(registry.path() / "temp");
  for (const char* name : kNames) {
    const std::size_t at = rest.find(cut);
    const std::string_view bytes = rest.substr(0, at);
    registry.Write(name, bytes.data(), bytes.size());
    const std::filesystem::path folder = registry.path() / "temp" / name;
    std::filesystem::create_directories(folder);
    kelmo::rFile file;
    file.SourceName = QString::fromLatin1(name);
    try {
      kelmo::UnpackPackage(QString::fromStdString(registry / name), 1,
                           QString::fromStdString(folder.string()), file);
      ReadHead(folder, file.HName, name[0] == 'T');
      ReadHead(folder, file.CName, false);
    } catch (const std::exception&) {
      // Refused packages and archives the reader cannot read.
    }
    // Nothing lands beside the packages but their folders.
    for (const auto& e : std::filesystem::directory_iterator(registry.path())) {
      const std::string n = e.path().filename().string();
      if (n != "temp" && n != kNames[0] && n != kNames[1] && n != kNames[2]) std::abort();
    }
    for (const auto& e : std::filesystem::recursive_directory_iterator(registry.path() / "temp")) {
      if (e.is_symlink()) std::abort();
      const std::filesystem::path parent = e.path().parent_path();
      if (e.is_regular_file() && parent.parent_path() != registry.path() / "temp") std::abort();
    }
    if (at == std::string_view::npos) break;
    rest.remove_prefix(at + cut.size());
  }
  return 0;
}
