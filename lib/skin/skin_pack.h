// The packed skin file (".skz"): the files of a skin folder in one archive,
// read into memory as the options text and one stream per image file.
//
// Layout (integers signed 32-bit little-endian): the magic "SKzf", the entry
// count, then per entry the name length, the name's bytes, the unpacked size
// and the file's bytes as one zlib stream.
//
// The archive is untrusted: every count, name length and unpacked size is
// checked against the bytes the archive has left and against fixed limits
// before anything is allocated, so a damaged archive raises
// ESkinPackError instead of reading out of bounds or allocating without
// bound.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "zip/buffered_stream.h"

namespace kelmo::skin {

// A damaged archive: the message names what was wrong.
class ESkinPackError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Limits on what one archive may declare.
inline constexpr std::int32_t kMaxPackEntries = 65536;
inline constexpr std::int32_t kMaxPackNameLength = 4096;
inline constexpr std::int64_t kMaxPackEntrySize = 256ll << 20;   // 256 MiB per file
inline constexpr std::int64_t kMaxPackTotalSize = 1024ll << 20;  // 1 GiB unpacked in all

struct TkaImageItem {
  std::string FileName;
  bool IsBitmap = false;                     // the extension in upper case is ".BMP"
  std::unique_ptr<zip::TMemoryStream> Data;  // positioned at its end
};

class TkaSkinConvertor {
 public:
  TkaSkinConvertor() = default;
  ~TkaSkinConvertor() { Clear(); }
  TkaSkinConvertor(const TkaSkinConvertor&) = delete;
  TkaSkinConvertor& operator=(const TkaSkinConvertor&) = delete;

  // Unpacks PackedData (see the file comment). Wrong magic: Clear, then
  // "Loaded data is not packed Merovane file". Entries read before a failure
  // stay.
  void ReadPackedData();
  // Frees every item (last to first), OptionsData and an owned PackedData.
  // ImageCount keeps its value.
  void Clear();

  // The archive: owned, or lent by a caller who sets it back to nullptr
  // (LendPackedData / TakeBackPackedData).
  zip::TStream* PackedData() const { return packed_; }
  void SetOwnedPackedData(std::unique_ptr<zip::TStream> data);
  void LendPackedData(zip::TStream* data);
  void TakeBackPackedData() { LendPackedData(nullptr); }
  void FreePackedData();

  int ImageCount = 0;  // the entry count minus 1
  std::vector<TkaImageItem> ImageItems;
  std::unique_ptr<zip::TMemoryStream> OptionsData;

 private:
  zip::TStream* packed_ = nullptr;
  std::unique_ptr<zip::TStream> ownedPacked_;
};

// When the file exists (a regular file): empties the convertor (or makes one
// when the pointer is empty), loads the whole file as PackedData, unpacks it
// and, when asked, frees PackedData. A missing file does nothing.
void LoadPackedSkinFile(const std::string& fileName, std::unique_ptr<TkaSkinConvertor>& convertor,
                        bool freePackedData);

}  // namespace kelmo::skin
