// On-disk records of DBF tables: the 32-byte table header and the 32-byte field
// descriptor, in the format's field order, read and written with explicit
// little-endian helpers (and the big-endian ones the FoxPro memo needs).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kelmo::dbf {

inline uint16_t GetLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t GetLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t GetLe64(const uint8_t* p) {
  return static_cast<uint64_t>(GetLe32(p)) | (static_cast<uint64_t>(GetLe32(p + 4)) << 32);
}
inline uint32_t GetBe32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline uint16_t GetBe16(const uint8_t* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutLe64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutBe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
inline void PutBe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

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
