// Traditional zip encryption and CRC-32 (see zip_crypt.h). The CRC table is
// zlib's; the running CRC uses zlib's fast routine.
#include "zip_crypt.h"

#include <zlib.h>

namespace kelmo::zip {

std::uint32_t Crc32Step(std::uint32_t crc, std::uint8_t c) {
  static const z_crc_t* table = get_crc_table();
  return static_cast<std::uint32_t>(table[(crc ^ c) & 0xFF]) ^ (crc >> 8);
}

std::uint32_t UpdateCrc(std::uint32_t crc, const std::uint8_t* data, std::size_t length) {
  // zlib's crc32 inverts on entry and exit; ours is the raw register.
  uLong z = ~crc & 0xFFFFFFFFu;
  while (length > 0) {
    uInt n = length > (1u << 30) ? (1u << 30) : static_cast<uInt>(length);
    z = crc32(z, data, n);
    data += n;
    length -= n;
  }
  return ~static_cast<std::uint32_t>(z);
}

void ZipKeys::Init(const std::string& password) {
  key0 = 0x12345678;
  key1 = 0x23456789;
  key2 = 0x34567890;
  for (char c : password) Update(static_cast<std::uint8_t>(c));
}

void ZipKeys::Update(std::uint8_t c) {
  key0 = Crc32Step(key0, c);
  key1 = (key1 + (key0 & 0xFF)) * 134775813u + 1;
  key2 = Crc32Step(key2, static_cast<std::uint8_t>(key1 >> 24));
}

}  // namespace kelmo::zip
