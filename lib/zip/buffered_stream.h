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
  // Create a file that must not exist yet (a link at the name is not
  // followed), read-write.
  fmCreateNew = 0xFF01,
};

// An unbuffered file on a descriptor. Only regular files are opened: the open
// itself never blocks (a FIFO or a device named like a file is refused, not
// waited on).
class TFileStream : public TStream {
 public:
  // Raises EStreamError "Cannot open file \"<name>\". <reason>" or
  // "Cannot create file \"<name>\". <reason>" (reason "Not a regular file"
  // for anything else than a regular file).
  TFileStream(const std::string& name, int mode);
  ~TFileStream() override;
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, int origin) override;
  std::int64_t Size() override;
  void SetSize(std::int64_t size) override;
  // Pushes the operating system's buffers to the disk (fsync).
  void FlushToDisk();
  // Sets the file's last-write time and permission bits through the open
  // descriptor (no path lookup); failures are ignored like the attributes of
  // an extracted file.
  void SetModified(std::int64_t unix_seconds);
  void SetPermissions(unsigned mode);
  const std::string& FileName() const { return name_; }

 private:
  std::string name_;
  int fd_ = -1;
  std::int64_t pos_ = 0;  // the descriptor's offset, kept so that asking costs nothing
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
// to the underlying stream; a seek that stays inside the bytes read ahead
// keeps them.
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
  // The buffered bytes are written first.
  void SetModified(std::int64_t unix_seconds);
  void SetPermissions(unsigned mode);

 private:
  static TFileStream& Open(detail::FileHolder& holder, const std::string& name, int mode);
};

}  // namespace kelmo::zip
