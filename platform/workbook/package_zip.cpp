// The zip container of .xlsx packages, over lib/zip (see package_zip.h).
#include "package_zip.h"

#include <filesystem>
#include <random>

#include "workbook_error.h"
#include "zip/zip_errors.h"
#include "zip/zip_reader.h"
#include "zip/zip_writer.h"

namespace kelmo::workbook {

std::map<std::string, std::string> ReadZipParts(const std::string& path) {
  std::map<std::string, std::string> parts;
  try {
    zip::TQorUnZip unzip;
    unzip.SetZipName(path);
    unzip.ReadDirectory();
    for (int i = 0; i < unzip.EntryCount(); ++i) {
      const std::string name = unzip.Entry(i).FullName();
      if (name.empty() || name.back() == '/') continue;
      const std::vector<std::uint8_t> bytes = unzip.ExtractToMemory(i);
      parts[name].assign(bytes.begin(), bytes.end());
    }
  } catch (const std::exception& e) {
    throw WorkbookError(path + ": файл не является книгой Excel (" + e.what() + ")");
  }
  return parts;
}

void WriteZipParts(const std::string& path, std::map<std::string, std::string> parts) {
  namespace fs = std::filesystem;
  // The new package is written beside the target and renamed over it, so a
  // failed save leaves an older file of that name as it was.
  std::random_device random;
  const fs::path target(path);
  const fs::path temp = target.parent_path() / (".~" + target.filename().string() + "." +
                                                std::to_string(random() % 1000000) + ".tmp");
  try {
    zip::TQorZip zip;
    // Sheet XML compresses well at the fastest level; a large register saves
    // in well under half the time of the default level for a third more bytes.
    zip.SetPackLevel(1);
    zip.SetZipName(temp.string());
    auto hand = [&zip](const std::string& name, std::string& bytes) {
      std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
      std::string().swap(bytes);
      zip.AddFromMemory(name, std::move(data));
    };
    // [Content_Types].xml first, where every reader looks for it.
    const auto types = parts.find("[Content_Types].xml");
    if (types != parts.end()) hand(types->first, types->second);
    for (auto& [name, bytes] : parts)
      if (name != "[Content_Types].xml") hand(name, bytes);
    zip.Compress();
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) throw WorkbookError(ec.message());
  } catch (const std::exception& e) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw WorkbookError("Не удалось сохранить книгу " + path + ": " + e.what());
  }
}

}  // namespace kelmo::workbook
