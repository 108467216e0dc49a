// Table encryption: the byte-wise keyed transformation of records and memo
// data of a password-protected table. Its own inverse; O(count).
#pragma once

#include <cstdint>
#include <string>

namespace kelmo::dbf {

// destination[i] = ((i mod 256) OR p[i mod L]) XOR source[i]. An empty
// password copies (result 0); otherwise the result is 1 when encoding, -1 when
// decoding. Source and destination may be the same buffer.
int32_t EncryptTableBuffer(const std::string& password, const void* source, void* destination,
                           int32_t count, bool encode);

}  // namespace kelmo::dbf
