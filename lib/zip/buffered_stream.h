// Streams of the zip library: the abstract stream, an unbuffered file stream
// and a memory stream, and the buffered stream that every archive, part and
// extracted file goes through (TS_BufferStream, and TLFNFileStream which owns
// its file).
//
// Positions and sizes are 64-bit. Failures raise EStreamError with the
// system's text; the buffered stream's own messages keep their leading control
// character ("\x18Invalid seek origin (%d)", "\x0ASeek error",
// "\x10Putback overflow").
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zip_errors.h"

namespace kelmo::zip {

enum TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to count bytes; returns the bytes read (0 at the end).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // Writes up to count bytes; returns the bytes written.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Moves to offset from origin; returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, int origin) = 0;
  virtual std::int64_t Size();
  virtual void SetSize(std::int64_t size) = 0;

  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t pos) { Seek(pos, soBeginning); }
  // Exactly count bytes or EStreamError "Stream read error" / "Stream write error".
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);
};

// Open modes of a file stream.
enum TFileMode : int {
  fmOpenRead = 0,
  fmOpenWrite = 1,
  fmOpenReadWrite = 2,
  fmCreate = 0xFF00,  // create or truncate, read-write
};

// An unbuffered file (stdio with its own buffering switched off).
class TFileStream : public TStream {
 public:
  // Raises EStreamError "Cannot open file \"<name>\". <reason>" or
  // "Cannot create file \"<name>\". <reason>".
  TFileStream(const std::string& name, int mode);
  ~TFileStream() override;
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, int origin) override;
  std::int64_t Size() override;
  void SetSize(std::int64_t size) override;
  // Pushes the operating system's buffers to the disk (fsync).
  void FlushToDisk();
  const std::string& FileName() const { return name_; }

 private:
  std::string name_;
  std::FILE* file_ = nullptr;
  int fd_ = -1;
};

// A growable byte array as a stream.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> data) : data_(std::move(data)) {}
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, int origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
  void SetSize(std::int64_t size) override { data_.resize(static_cast<std::size_t>(size)); }
  std::vector<std::uint8_t>& Data() { return data_; }

 private:
  std::vector<std::uint8_t> data_;
  std::int64_t pos_ = 0;
};

// A read/write buffer in front of another stream (not owned). State 0: no
// buffered bytes; 1: the buffer holds bytes read ahead; 2: the buffer holds
// bytes not yet written. Large reads and writes on an empty buffer go straight
// to the underlying stream.
class TS_BufferStream : public TStream {
 public:
  TS_BufferStream(TStream& stream, std::int64_t buffer_size);
  ~TS_BufferStream() override;
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // Origin 2 counts back from the end by |offset|; any other origin than 0, 1,
  // 2 raises "\x18Invalid seek origin (<origin>)"; a failed flush "\x0ASeek error".
  std::int64_t Seek(std::int64_t offset, int origin) override;
  void SetSize(std::int64_t size) override;
  // Steps back one byte of the read buffer and stores c there; at the
  // buffer's start raises "\x10Putback overflow".
  void PutBack(char c);
  bool FlushBuffer();
  bool FillBuffer();
  void SetFlushRequest(bool flush) { flush_request_ = flush; }
  std::function<void()> OnAfterFill;
  std::function<void()> OnAfterFlush;

 protected:
  std::int64_t LogicalPosition();
  TStream& stream_;
  std::vector<char> buffer_;
  std::int64_t ptr_ = -1;  // -1: no pointer set yet
  std::int64_t end_ = 0;
  int state_ = 0;
  bool flush_request_ = false;
  bool written_ = false;
};

namespace detail {
// Holds the file so that it exists before the buffer in front of it.
struct FileHolder {
  std::unique_ptr<TFileStream> file;
};
}  // namespace detail

// A buffered stream that owns its file. The flush request holds when asked
// for and the mode writes (the components pass FlushFilesOnClose).
class TLFNFileStream : private detail::FileHolder, public TS_BufferStream {
 public:
  TLFNFileStream(const std::string& name, int mode, bool flush_request, std::int64_t buffer_size);
  ~TLFNFileStream() override;
  std::int64_t Size() override;
  void SetSize(std::int64_t size) override;
  const std::string& FileName() const { return file->FileName(); }

 private:
  static TFileStream& Open(detail::FileHolder& holder, const std::string& name, int mode);
};

}  // namespace kelmo::zip
