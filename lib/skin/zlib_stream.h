// A read-only stream that inflates zlib data (header, deflate data, Adler-32
// trailer) read from another stream, and the errors it raises. The packed
// skin reader unpacks every entry through it; the PNG decoder shares its
// inflate start.
//
// The stream reads its source in chunks of 64 KiB into a buffer inside the
// object and moves the source back to where it left off before each read,
// so several streams over one source can take turns. After the end of the
// compressed data it puts back the bytes it read ahead, so the source stands
// just after that data.
#pragma once

#include <zlib.h>

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "zip/buffered_stream.h"

namespace kelmo::skin {

using zip::TStream;

// A zlib failure: the code (0 when raised with a plain message) and its text.
class EZLibError : public std::runtime_error {
 public:
  explicit EZLibError(const std::string& message) : std::runtime_error(message) {}
  // The message of the code: "need dictionary", "stream end", "ok",
  // "file error", "stream error", "data error", "insufficient memory",
  // "buffer error", "incompatible version".
  explicit EZLibError(int code);
  int ZResult() const { return zresult_; }

 private:
  int zresult_ = 0;
};

class EZDecompressionError : public EZLibError {
 public:
  using EZLibError::EZLibError;
};

// The text of a zlib result code (2 .. -6); "" for others.
const char* ZLibMessage(int code);

// inflateInit on the record; returns zlib's result.
int InitInflateStream(z_stream& stream);
// A code of 0 or above comes back unchanged; a negative one raises
// EZDecompressionError built from the code.
int CheckInflateResult(int code);

class TCustomZStream : public TStream {
 public:
  std::function<void(TCustomZStream&)> OnChunkRead;

 protected:
  explicit TCustomZStream(TStream& source);
  virtual void ChunkRead() {
    if (OnChunkRead) OnChunkRead(*this);
  }
  TStream& source_;
  std::int64_t sourcePosition_ = 0;
  z_stream zstream_{};
  std::array<std::uint8_t, 65536> buffer_{};
};

class TZDecompressionStream : public TCustomZStream {
 public:
  // Starts inflating at the source's current position.
  explicit TZDecompressionStream(TStream& source);
  ~TZDecompressionStream() override;
  TZDecompressionStream(const TZDecompressionStream&) = delete;
  TZDecompressionStream& operator=(const TZDecompressionStream&) = delete;

  // Up to count bytes; fewer when the data or the source ends (no error).
  std::int64_t Read(void* buffer, std::int64_t count) override;
  // Raises "Invalid ZStream operation!".
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // 0 from the beginning restarts; forward moves skip by reading; 0 from the
  // end reads to the end; anything else raises "Invalid ZStream operation!".
  // Returns the number of bytes produced so far.
  std::int64_t Seek(std::int64_t offset, int origin) override;
  std::int64_t Size() override;
  void SetSize(std::int64_t) override;

 private:
  void Skip(std::int64_t count);
};

}  // namespace kelmo::skin
