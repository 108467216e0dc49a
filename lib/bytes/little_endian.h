// Explicit little-endian (and the few big-endian) reads and writes of the
// integers and doubles in on-disk records, independent of the host's order.
// The one such helper of the program: the zip archives, the DBF engine and
// the workbook layer read their records with it.
#pragma once

#include <bit>
#include <cstdint>

namespace kelmo::bytes {

inline std::uint16_t GetLE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t GetLE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint64_t GetLE64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(GetLE32(p)) | static_cast<std::uint64_t>(GetLE32(p + 4)) << 32;
}
inline void PutLE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutLE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutLE64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint16_t GetBE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}
inline void PutBE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}
inline std::uint32_t GetBE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}
inline void PutBE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
inline double GetLEDouble(const std::uint8_t* p) {
  return std::bit_cast<double>(GetLE64(p));
}
inline void PutLEDouble(std::uint8_t* p, double v) {
  PutLE64(p, std::bit_cast<std::uint64_t>(v));
}

}  // namespace kelmo::bytes
