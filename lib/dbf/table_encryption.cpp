// Table encryption.
#include "table_encryption.h"

#include <cstring>

namespace kelmo::dbf {

int32_t EncryptTableBuffer(const std::string& password, const void* source, void* destination,
                           int32_t count, bool encode) {
  const auto* src = static_cast<const uint8_t*>(source);
  auto* dst = static_cast<uint8_t*>(destination);
  if (password.empty()) {
    if (src != dst && count > 0) std::memmove(dst, src, static_cast<size_t>(count));
    return 0;
  }
  const size_t len = password.size();
  for (int32_t i = 0; i < count; ++i) {
    uint8_t key = static_cast<uint8_t>((i % 256) | static_cast<uint8_t>(password[i % len]));
    dst[i] = static_cast<uint8_t>(key ^ src[i]);
  }
  return encode ? 1 : -1;
}

}  // namespace kelmo::dbf
