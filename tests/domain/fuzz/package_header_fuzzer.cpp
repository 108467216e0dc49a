// Fuzzes the package header reader: arbitrary bytes as an unpacked main file,
// read as an H and as a T package. Its own errors are expected; anything else
// (a crash, a sanitizer report, an unbounded allocation) is a finding.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "domain/package_header.h"
#include "fuzz_scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelmo::fuzz::ScratchFolder folder;
  folder.Write("HM450001T45_2401001.XML", reinterpret_cast<const char*>(data), size);
  const QString path = QString::fromStdString(folder / "HM450001T45_2401001.XML");
  for (bool tPackage : {false, true}) {
    try {
      kelmo::ReadPackageXml(path, tPackage, QStringLiteral("M450001"), true);
    } catch (const std::runtime_error&) {
      // Missing heads, conversion errors and refusals: the reader's answers.
    }
  }
  try {
    kelmo::ReadPackageXml(path, false, QStringLiteral("M450092"), false);
  } catch (const std::runtime_error&) {
  }
  return 0;
}
