// Writing packed skin files (".skz") for the skin tests: the magic, the
// entry count, then per entry the name and the unpacked size, each file
// as one zlib stream.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kelmo::skin::testing_pack {

inline std::vector<std::uint8_t> Deflate(const std::string& text) {
  uLongf size = compressBound(uLong(text.size()));
  std::vector<std::uint8_t> out(size);
  compress(out.data(), &size, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size()));
  out.resize(size);
  return out;
}

inline void Put32(std::vector<std::uint8_t>& v, std::int32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(std::uint8_t(std::uint32_t(x) >> (8 * i)));
}

inline void PutEntry(std::vector<std::uint8_t>& v, const std::string& name,
                     const std::string& data) {
  Put32(v, std::int32_t(name.size()));
  v.insert(v.end(), name.begin(), name.end());
  Put32(v, std::int32_t(data.size()));
  const auto z = Deflate(data);
  v.insert(v.end(), z.begin(), z.end());
}

// A whole package of (name, contents) files.
inline std::vector<std::uint8_t> Pack(
    const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<std::uint8_t> v = {'S', 'K', 'z', 'f'};
  Put32(v, std::int32_t(files.size()));
  for (const auto& [name, data] : files) PutEntry(v, name, data);
  return v;
}

}  // namespace kelmo::skin::testing_pack
