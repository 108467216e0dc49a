// Traditional zip encryption (the PKWARE stream cipher of the application
// note): three 32-bit keys driven by CRC-32 steps. Weak by today's measure;
// the format is kept for archives that use it. O(1) per byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelmo::zip {

// One table step of the standard CRC-32 (reflected polynomial 0xEDB88320).
std::uint32_t Crc32Step(std::uint32_t crc, std::uint8_t c);
// The running CRC-32 over a buffer, pre- and post-inversion left to the
// caller (start with 0xFFFFFFFF, invert at the end).
std::uint32_t UpdateCrc(std::uint32_t crc, const std::uint8_t* data, std::size_t length);

struct ZipKeys {
  std::uint32_t key0 = 0x12345678, key1 = 0x23456789, key2 = 0x34567890;
  void Init(const std::string& password);
  void Update(std::uint8_t c);
  std::uint8_t StreamByte() const {
    std::uint32_t t = (key2 & 0xFFFF) | 2;
    return static_cast<std::uint8_t>(((t * (t ^ 1)) >> 8) & 0xFF);
  }
  std::uint8_t DecryptByte(std::uint8_t c) {
    std::uint8_t plain = c ^ StreamByte();
    Update(plain);
    return plain;
  }
  std::uint8_t EncryptByte(std::uint8_t plain) {
    std::uint8_t c = plain ^ StreamByte();
    Update(plain);
    return c;
  }
  void DecryptBuffer(std::uint8_t* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) data[i] = DecryptByte(data[i]);
  }
  void EncryptBuffer(std::uint8_t* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) data[i] = EncryptByte(data[i]);
  }
};

}  // namespace kelmo::zip
