// The zip container of .xlsx packages, over lib/zip (see package_zip.h).
#include "package_zip.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>

#include "workbook_error.h"
#include "zip/zip_errors.h"
#include "zip/zip_reader.h"
#include "zip/zip_writer.h"

namespace kelmo::workbook {

namespace {

constexpr const char* kContentTypes = "[Content_Types].xml";

// The bytes of a produced part as the zip writer reads them: one piece at a
// time, asked for when the one before is used up.
class ProducedStream : public zip::TStream {
 public:
  explicit ProducedStream(PartProducer produce) : produce_(std::move(produce)) {}
  std::int64_t Read(void* buffer, std::int64_t count) override {
    auto* to = static_cast<char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
      if (offset_ == piece_.size()) {
        if (finished_) break;
        piece_.clear();
        offset_ = 0;
        finished_ = !produce_(piece_);
        continue;
      }
      const auto n =
          static_cast<size_t>(std::min<std::int64_t>(count - done, piece_.size() - offset_));
      std::memcpy(to + done, piece_.data() + offset_, n);
      offset_ += n;
      done += static_cast<std::int64_t>(n);
      position_ += static_cast<std::int64_t>(n);
    }
    return done;
  }
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  // Read forward only: the position can be asked, not moved.
  std::int64_t Seek(std::int64_t offset, int origin) override {
    if (offset == 0 && origin == zip::soCurrent) return position_;
    throw zip::EStreamError("Stream seek error");
  }
  std::int64_t Size() override { return 0; }  // not known before the end
  void SetSize(std::int64_t) override { throw zip::EStreamError("Stream write error"); }

 private:
  PartProducer produce_;
  std::string piece_;
  size_t offset_ = 0;
  std::int64_t position_ = 0;
  bool finished_ = false;
};

}  // namespace

PartProducer WholePart(std::string text) {
  return [text = std::move(text)](std::string& out) mutable {
    out.swap(text);
    std::string().swap(text);
    return false;
  };
}

std::string WholeText(const PartProducer& produce) {
  std::string text, piece;
  for (bool more = true; more;) {
    piece.clear();
    more = produce(piece);
    text += piece;
  }
  return text;
}

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

void WritePackage(const std::string& path, std::vector<PackageEntry> entries) {
  namespace fs = std::filesystem;
  // The new package is written beside the target and renamed over it, so a
  // failed save leaves an older file of that name as it was.
  std::random_device random;
  const fs::path target(path);
  const fs::path temp = target.parent_path() / (".~" + target.filename().string() + "." +
                                                std::to_string(random() % 1000000) + ".tmp");
  std::stable_partition(entries.begin(), entries.end(),
                        [](const PackageEntry& e) { return e.name == kContentTypes; });
  try {
    zip::TQorZip zip;
    // Sheet XML compresses well at the fastest level; a large register saves
    // in well under half the time of the default level for a third more bytes.
    zip.SetPackLevel(1);
    zip.SetZipName(temp.string());
    for (PackageEntry& e : entries)
      zip.AddFromStream(e.name, std::make_unique<ProducedStream>(std::move(e.produce)));
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

void WriteZipParts(const std::string& path, std::map<std::string, std::string> parts) {
  std::vector<PackageEntry> entries;
  entries.reserve(parts.size());
  while (!parts.empty()) {
    auto node = parts.extract(parts.begin());
    entries.push_back({std::move(node.key()), WholePart(std::move(node.mapped()))});
  }
  WritePackage(path, std::move(entries));
}

}  // namespace kelmo::workbook
