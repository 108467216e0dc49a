// Decoders of the older zip methods: shrunk (1, dynamic LZW), reduced (2 to 5,
// follower sets and DLE runs) and imploded (6, Shannon-Fano trees over an 4 or
// 8 KB window). Each reads compressed bytes from a source and writes to a
// sink; each stops after the declared uncompressed size (more would be an
// error of the entry) or when the input ends, so damaged data ends short and
// the CRC check then fails. Memory: a few tens of KB per call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelmo::zip {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to n bytes; 0 at the end of the entry's compressed data.
  virtual std::size_t Read(std::uint8_t* buffer, std::size_t n) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void Write(const std::uint8_t* data, std::size_t n) = 0;
};

void Unshrink(ByteSource& in, ByteSink& out, std::uint64_t uncompressed_size);
void Unreduce(ByteSource& in, ByteSink& out, int factor, std::uint64_t uncompressed_size);
// Returns false when the trees are malformed (decoding stopped).
bool Explode(ByteSource& in, ByteSink& out, std::uint16_t flags, std::uint64_t compressed_size,
             std::uint64_t uncompressed_size);

}  // namespace kelmo::zip
