#include "skin/skin_pack.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>

#include "skin/zlib_stream.h"

namespace kelmo::skin {
namespace {

constexpr const char* kNotPacked = "Loaded data is not packed Merovane file";

std::string Upper(std::string s) {
  for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::int32_t ReadInt32(zip::TStream& s) {
  std::uint8_t b[4];
  s.ReadBuffer(b, 4);
  return std::int32_t(std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) |
                      (std::uint32_t(b[2]) << 16) | (std::uint32_t(b[3]) << 24));
}

// Copies exactly count bytes from the inflating stream into a new memory
// stream, growing it as bytes arrive so a lying size cannot make a large
// allocation ahead of the data.
std::unique_ptr<zip::TMemoryStream> CopyExactly(TZDecompressionStream& z, std::int64_t count) {
  auto out = std::make_unique<zip::TMemoryStream>();
  std::vector<std::uint8_t> chunk(65536);
  std::int64_t left = count;
  while (left > 0) {
    const std::int64_t want = std::min<std::int64_t>(left, std::int64_t(chunk.size()));
    const std::int64_t got = z.Read(chunk.data(), want);
    if (got != want) throw zip::EStreamError("Stream read error");
    out->WriteBuffer(chunk.data(), got);
    left -= got;
  }
  return out;
}

}  // namespace

void TkaSkinConvertor::SetOwnedPackedData(std::unique_ptr<zip::TStream> data) {
  ownedPacked_ = std::move(data);
  packed_ = ownedPacked_.get();
}

void TkaSkinConvertor::LendPackedData(zip::TStream* data) {
  ownedPacked_.reset();
  packed_ = data;
}

void TkaSkinConvertor::FreePackedData() {
  ownedPacked_.reset();
  packed_ = nullptr;
}

void TkaSkinConvertor::Clear() {
  while (!ImageItems.empty()) ImageItems.pop_back();
  OptionsData.reset();
  FreePackedData();
}

void TkaSkinConvertor::ReadPackedData() {
  if (!packed_) throw ESkinPackError(kNotPacked);
  zip::TStream& in = *packed_;
  in.SetPosition(0);
  char magic[4] = {};
  if (in.Read(magic, 4) != 4 || std::memcmp(magic, "SKzf", 4) != 0) {
    Clear();
    throw ESkinPackError(kNotPacked);
  }
  const std::int64_t size = in.Size();
  const std::int32_t count = ReadInt32(in);
  // Each entry takes at least 8 bytes of lengths and 8 of zlib data.
  if (count < 0 || count > kMaxPackEntries || std::int64_t(count) * 16 > size - 8)
    throw ESkinPackError("Packed skin: invalid entry count " + std::to_string(count));
  ImageCount = count - 1;
  std::int64_t total = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t nameLength = ReadInt32(in);
    if (nameLength < 0 || nameLength > kMaxPackNameLength || nameLength > size - in.Position())
      throw ESkinPackError("Packed skin: invalid name length in entry " + std::to_string(i));
    std::string name(std::size_t(nameLength), '\0');
    in.ReadBuffer(name.data(), nameLength);
    const std::int32_t unpacked = ReadInt32(in);
    total += unpacked;
    if (unpacked < 0 || unpacked > kMaxPackEntrySize || total > kMaxPackTotalSize)
      throw ESkinPackError("Packed skin: invalid size of \"" + name + "\"");
    TZDecompressionStream z(in);
    if (Upper(name) != "OPTIONS.DAT") {
      TkaImageItem item;
      item.FileName = name;
      const auto dot = name.rfind('.');
      item.IsBitmap = dot != std::string::npos && Upper(name.substr(dot)) == ".BMP";
      item.Data = CopyExactly(z, unpacked);
      ImageItems.push_back(std::move(item));
    } else {
      OptionsData = CopyExactly(z, unpacked);
    }
  }
}

void LoadPackedSkinFile(const std::string& fileName, std::unique_ptr<TkaSkinConvertor>& convertor,
                        bool freePackedData) {
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  if (convertor)
    convertor->Clear();
  else
    convertor = std::make_unique<TkaSkinConvertor>();
  auto data = std::make_unique<zip::TFileStream>(fileName, zip::fmOpenRead);
  auto memory = std::make_unique<zip::TMemoryStream>();
  const std::int64_t size = data->Size();
  if (size > kMaxPackTotalSize)
    throw ESkinPackError("Packed skin: \"" + fileName + "\" is too large");
  memory->SetSize(size);
  data->ReadBuffer(memory->Data().data(), size);
  convertor->SetOwnedPackedData(std::move(memory));
  try {
    convertor->ReadPackedData();
  } catch (const ESkinPackError& e) {
    // Damage is reported with the file it was found in.
    if (std::strcmp(e.what(), kNotPacked) == 0) throw;
    throw ESkinPackError(fileName + ": " + e.what());
  }
  if (freePackedData) convertor->FreePackedData();
}

}  // namespace kelmo::skin
