#include "skin/zlib_stream.h"

namespace kelmo::skin {
namespace {
constexpr const char* kInvalidOperation = "Invalid ZStream operation!";
}

const char* ZLibMessage(int code) {
  switch (code) {
    case 2:
      return "need dictionary";
    case 1:
      return "stream end";
    case 0:
      return "ok";
    case -1:
      return "file error";
    case -2:
      return "stream error";
    case -3:
      return "data error";
    case -4:
      return "insufficient memory";
    case -5:
      return "buffer error";
    case -6:
      return "incompatible version";
    default:
      return "";
  }
}

EZLibError::EZLibError(int code) : std::runtime_error(ZLibMessage(code)), zresult_(code) {}

int InitInflateStream(z_stream& stream) {
  return inflateInit(&stream);
}

int CheckInflateResult(int code) {
  if (code < 0) throw EZDecompressionError(code);
  return code;
}

TCustomZStream::TCustomZStream(TStream& source) : source_(source) {}

TZDecompressionStream::TZDecompressionStream(TStream& source) : TCustomZStream(source) {
  sourcePosition_ = source_.Position();
  zstream_.next_in = buffer_.data();
  zstream_.avail_in = 0;
  CheckInflateResult(InitInflateStream(zstream_));
}

TZDecompressionStream::~TZDecompressionStream() {
  inflateEnd(&zstream_);
}

std::int64_t TZDecompressionStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  zstream_.next_out = static_cast<Bytef*>(buffer);
  zstream_.avail_out = static_cast<uInt>(count);
  if (source_.Position() != sourcePosition_) source_.SetPosition(sourcePosition_);
  int code = Z_OK;
  while (zstream_.avail_out > 0 && code != Z_STREAM_END) {
    if (zstream_.avail_in == 0) {
      const std::int64_t got = source_.Read(buffer_.data(), std::int64_t(buffer_.size()));
      if (got == 0) return count - zstream_.avail_out;
      zstream_.next_in = buffer_.data();
      zstream_.avail_in = static_cast<uInt>(got);
      sourcePosition_ = source_.Position();
      ChunkRead();
    }
    code = CheckInflateResult(inflate(&zstream_, Z_NO_FLUSH));
    // No dictionary can be given, so a stream that asks for one cannot go on.
    if (code == Z_NEED_DICT) throw EZDecompressionError(Z_NEED_DICT);
  }
  if (code == Z_STREAM_END && zstream_.avail_in > 0) {
    sourcePosition_ = source_.Seek(-std::int64_t(zstream_.avail_in), zip::soCurrent);
    zstream_.avail_in = 0;
  }
  return count - zstream_.avail_out;
}

std::int64_t TZDecompressionStream::Write(const void*, std::int64_t) {
  throw EZDecompressionError(kInvalidOperation);
}

void TZDecompressionStream::Skip(std::int64_t count) {
  std::array<std::uint8_t, 8192> scratch;
  for (std::int64_t i = 0; i < count / 8192; ++i) {
    if (Read(scratch.data(), 8192) != 8192) throw zip::EStreamError("Stream read error");
  }
  const std::int64_t rest = count % 8192;
  if (rest > 0 && Read(scratch.data(), rest) != rest) throw zip::EStreamError("Stream read error");
}

std::int64_t TZDecompressionStream::Seek(std::int64_t offset, int origin) {
  const auto total = static_cast<std::int64_t>(zstream_.total_out);
  if (offset == 0 && origin == zip::soBeginning) {
    CheckInflateResult(inflateReset(&zstream_));
    zstream_.next_in = buffer_.data();
    zstream_.avail_in = 0;
    source_.SetPosition(0);
    sourcePosition_ = 0;
  } else if ((offset >= 0 && origin == zip::soCurrent) ||
             (origin == zip::soBeginning && offset > total)) {
    if (origin == zip::soBeginning) offset -= total;
    if (offset > 0) Skip(offset);
  } else if (offset == 0 && origin == zip::soEnd) {
    std::array<std::uint8_t, 8192> scratch;
    while (Read(scratch.data(), 8192) > 0) {
    }
  } else {
    throw EZDecompressionError(kInvalidOperation);
  }
  return static_cast<std::int64_t>(zstream_.total_out);
}

// The framework's size query over the seeks above: the end is found by
// reading to it, and the way back succeeds only from position 0.
std::int64_t TZDecompressionStream::Size() {
  const std::int64_t pos = Seek(0, zip::soCurrent);
  const std::int64_t size = Seek(0, zip::soEnd);
  Seek(pos, zip::soBeginning);
  return size;
}

void TZDecompressionStream::SetSize(std::int64_t) {
  throw EZDecompressionError(kInvalidOperation);
}

}  // namespace kelmo::skin
