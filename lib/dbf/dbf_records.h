// On-disk records of DBF tables: the 32-byte table header and the 32-byte field
// descriptor, in the format's field order, read and written with explicit
// little-endian helpers (and the big-endian ones the FoxPro memo needs) from
// lib/bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "bytes/little_endian.h"

namespace kelmo::dbf {

// The byte-order helpers of lib/bytes under the engine's names.
inline constexpr auto& GetLe16 = bytes::GetLE16;
inline constexpr auto& GetLe32 = bytes::GetLE32;
inline constexpr auto& GetLe64 = bytes::GetLE64;
inline constexpr auto& GetBe16 = bytes::GetBE16;
inline constexpr auto& GetBe32 = bytes::GetBE32;
inline constexpr auto& PutLe16 = bytes::PutLE16;
inline constexpr auto& PutLe32 = bytes::PutLE32;
inline constexpr auto& PutLe64 = bytes::PutLE64;
inline constexpr auto& PutBe16 = bytes::PutBE16;
inline constexpr auto& PutBe32 = bytes::PutBE32;

// The table file's header (offset 0, 32 bytes).
struct DbfTableHeader {
  static constexpr int kSize = 32;
  uint8_t version = 0;
  uint8_t updateYear = 0;  // year modulo 100
  uint8_t updateMonth = 0;
  uint8_t updateDay = 0;
  uint32_t recordCount = 0;
  uint16_t headerLength = 0;
  uint16_t recordLength = 0;
  std::array<uint8_t, 3> reserved12{};
  uint8_t encrypted = 0;
  uint32_t changeStamp = 0;
  uint32_t userId = 0;
  std::array<uint8_t, 4> reserved24{};
  uint8_t tableFlags = 0;  // bit 0 production index, bit 1 memo, bit 2 container
  uint8_t language = 0;
  std::array<uint8_t, 2> reserved30{};

  static DbfTableHeader Read(const uint8_t* p);
  void Write(uint8_t* p) const;
};

// One field descriptor (32 bytes at 32 x field number).
struct DbfFieldDescriptor {
  static constexpr int kSize = 32;
  std::array<uint8_t, 11> name{};  // upper case, zero-padded
  uint8_t type = 0;
  uint32_t offset = 0;  // reserved in the file; the field's offset in memory
  uint8_t width = 0;
  uint8_t decimals = 0;  // high byte of the width for "C"
  std::array<uint8_t, 8> reserved18{};
  uint16_t number = 0;  // reserved in the file; the field number in memory
  std::array<uint8_t, 4> reserved28{};

  static DbfFieldDescriptor Read(const uint8_t* p);
  void Write(uint8_t* p) const;
  std::string Name() const;
  // Width in the record: byte 16 plus 256 times byte 17 for "C".
  int FullWidth() const { return type == 'C' ? width + 256 * decimals : width; }
};

}  // namespace kelmo::dbf
