// Streams (see buffered_stream.h): the operating-system layer of the zip
// library. Files are plain descriptors; the buffering is ours.
#include "buffered_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kelmo::zip {

std::int64_t TStream::Size() {
  std::int64_t pos = Seek(0, soCurrent);
  std::int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EStreamError("Stream write error");
}

namespace {

std::string OpenFailure(const std::string& name, int mode, const char* reason) {
  std::string what =
      mode == fmCreate || mode == fmCreateNew ? "Cannot create file \"" : "Cannot open file \"";
  return what + name + "\". " + reason;
}

}  // namespace

TFileStream::TFileStream(const std::string& name, int mode) : name_(name) {
  // O_NONBLOCK: opening a FIFO or a device must not wait for a peer; the
  // descriptor is checked for a regular file before any byte moves.
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  if (mode == fmCreate)
    flags |= O_RDWR | O_CREAT | O_TRUNC;
  else if (mode == fmCreateNew)
    flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
  else if ((mode & 3) == fmOpenWrite || (mode & 3) == fmOpenReadWrite)
    flags |= O_RDWR;
  else
    flags |= O_RDONLY;
  do fd_ = ::open(name.c_str(), flags, 0666);
  while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) throw EStreamError(OpenFailure(name, mode, std::strerror(errno)));
  if (mode != fmCreateNew) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd_);
      fd_ = -1;
      throw EStreamError(OpenFailure(name, mode, "Not a regular file"));
    }
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  char* out = static_cast<char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, out + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  pos_ += done;
  return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  const char* in = static_cast<const char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, in + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  pos_ += done;
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, int origin) {
  if (origin == soCurrent && offset == 0) return pos_;
  if (origin == soBeginning && offset == pos_) return pos_;
  int whence = origin == soCurrent ? SEEK_CUR : (origin == soEnd ? SEEK_END : SEEK_SET);
  off_t at = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (at < 0) throw EStreamError("Cannot seek in \"" + name_ + "\". " + std::strerror(errno));
  pos_ = static_cast<std::int64_t>(at);
  return pos_;
}

std::int64_t TFileStream::Size() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return 0;
  return static_cast<std::int64_t>(st.st_size);
}

void TFileStream::SetSize(std::int64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
    throw EStreamError("Cannot set the size of \"" + name_ + "\". " + std::strerror(errno));
}

void TFileStream::FlushToDisk() {
  ::fsync(fd_);
}

void TFileStream::SetModified(std::int64_t unix_seconds) {
  struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(unix_seconds), 0}};
  ::futimens(fd_, times);
}

void TFileStream::SetPermissions(unsigned mode) {
  ::fchmod(fd_, static_cast<mode_t>(mode & 07777));
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  std::int64_t left = Size() - pos_;
  std::int64_t n = std::max<std::int64_t>(0, std::min(count, left));
  if (n > 0) std::memcpy(buffer, data_.data() + pos_, static_cast<std::size_t>(n));
  pos_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  if (pos_ + count > Size()) data_.resize(static_cast<std::size_t>(pos_ + count));
  std::memcpy(data_.data() + pos_, buffer, static_cast<std::size_t>(count));
  pos_ += count;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, int origin) {
  std::int64_t target = origin == soCurrent ? pos_ + offset
                        : origin == soEnd   ? Size() + offset
                                            : offset;
  if (target < 0) throw EStreamError("Stream seek error");
  pos_ = target;
  return pos_;
}

TS_BufferStream::TS_BufferStream(TStream& stream, std::int64_t buffer_size)
    : stream_(stream), buffer_(static_cast<std::size_t>(std::max<std::int64_t>(buffer_size, 1))) {
  end_ = static_cast<std::int64_t>(buffer_.size());
}

TS_BufferStream::~TS_BufferStream() {
  try {
    if (state_ == 2) FlushBuffer();
    if (flush_request_ && written_) {
      if (auto* file = dynamic_cast<TFileStream*>(&stream_)) file->FlushToDisk();
    }
  } catch (...) {
    // A destructor cannot report; callers that care flush first.
  }
}

std::int64_t TS_BufferStream::LogicalPosition() {
  std::int64_t under = stream_.Seek(0, soCurrent);
  if (ptr_ < 0) return under;
  if (state_ == 1) return under - (end_ - ptr_);
  if (state_ == 2) return under + ptr_;
  return under;
}

bool TS_BufferStream::FillBuffer() {
  std::int64_t got = stream_.Read(buffer_.data(), static_cast<std::int64_t>(buffer_.size()));
  ptr_ = 0;
  end_ = got;
  state_ = got > 0 ? 1 : 0;
  if (OnAfterFill) OnAfterFill();
  return got > 0;
}

bool TS_BufferStream::FlushBuffer() {
  std::int64_t pending = ptr_ > 0 ? ptr_ : 0;
  std::int64_t wrote = pending ? stream_.Write(buffer_.data(), pending) : 0;
  ptr_ = 0;
  end_ = static_cast<std::int64_t>(buffer_.size());
  state_ = 0;
  if (OnAfterFlush) OnAfterFlush();
  return wrote == pending;
}

std::int64_t TS_BufferStream::Read(void* buffer, std::int64_t count) {
  if (state_ == 2) {
    FlushBuffer();
    ptr_ = -1;
  }
  if (state_ != 1) ptr_ = -1;
  char* out = static_cast<char*>(buffer);
  std::int64_t done = 0;
  std::int64_t size = static_cast<std::int64_t>(buffer_.size());
  while (done < count) {
    if (ptr_ < 0 || ptr_ >= end_) {
      if (count - done >= size && !OnAfterFill) {
        // A large read on an empty buffer goes straight through.
        std::int64_t got = stream_.Read(out + done, count - done);
        ptr_ = -1;
        state_ = 0;
        done += got;
        break;
      }
      if (!FillBuffer()) break;
    }
    std::int64_t n = std::min(count - done, end_ - ptr_);
    std::memcpy(out + done, buffer_.data() + ptr_, static_cast<std::size_t>(n));
    ptr_ += n;
    done += n;
  }
  return done;
}

std::int64_t TS_BufferStream::Write(const void* buffer, std::int64_t count) {
  if (state_ == 1) {
    std::int64_t logical = LogicalPosition();
    stream_.Seek(logical, soBeginning);
    ptr_ = 0;
    state_ = 0;
  }
  if (ptr_ < 0 || state_ == 0) ptr_ = 0;
  end_ = static_cast<std::int64_t>(buffer_.size());
  const char* in = static_cast<const char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    if (ptr_ == 0 && count - done >= end_ && !OnAfterFlush) {
      std::int64_t wrote = stream_.Write(in + done, count - done);
      done += wrote;
      written_ = true;
      break;
    }
    std::int64_t n = std::min(count - done, end_ - ptr_);
    std::memcpy(buffer_.data() + ptr_, in + done, static_cast<std::size_t>(n));
    ptr_ += n;
    done += n;
    state_ = 2;
    written_ = true;
    if (ptr_ == end_ && !FlushBuffer()) break;
  }
  if (ptr_ > 0) state_ = 2;
  return done;
}

std::int64_t TS_BufferStream::Seek(std::int64_t offset, int origin) {
  std::int64_t logical = LogicalPosition();
  std::int64_t target = 0;
  switch (origin) {
    case soBeginning:
      target = offset;
      break;
    case soCurrent:
      target = logical + offset;
      break;
    case soEnd: {
      std::int64_t under_pos = stream_.Seek(0, soCurrent);
      std::int64_t end = std::max(stream_.Seek(0, soEnd), logical);
      stream_.Seek(under_pos, soBeginning);
      target = end - (offset < 0 ? -offset : offset);
      break;
    }
    default:
      throw EStreamError("\x18Invalid seek origin (" + std::to_string(origin) + ")");
  }
  if (target != logical && state_ == 1 && ptr_ >= 0) {
    // Inside the bytes read ahead: move within the buffer, no system call.
    std::int64_t start = logical - ptr_;
    if (target >= start && target < start + end_) {
      ptr_ = target - start;
      return target;
    }
  }
  if (target != logical) {
    if (state_ == 2 && !FlushBuffer()) throw EStreamError("\x0ASeek error");
    stream_.Seek(target, soBeginning);
    ptr_ = -1;
    state_ = 0;
  }
  return target;
}

void TS_BufferStream::SetSize(std::int64_t size) {
  if (state_ == 2) FlushBuffer();
  std::int64_t logical = LogicalPosition();
  stream_.SetSize(size);
  stream_.Seek(std::min(logical, size), soBeginning);
  ptr_ = -1;
  state_ = 0;
}

void TS_BufferStream::PutBack(char c) {
  if (ptr_ <= 0) throw EStreamError("\x10Putback overflow");
  --ptr_;
  buffer_[static_cast<std::size_t>(ptr_)] = c;
}

TFileStream& TLFNFileStream::Open(detail::FileHolder& holder, const std::string& name, int mode) {
  holder.file = std::make_unique<TFileStream>(name, mode);
  return *holder.file;
}

TLFNFileStream::TLFNFileStream(const std::string& name, int mode, bool flush_request,
                               std::int64_t buffer_size)
    : detail::FileHolder(), TS_BufferStream(Open(*this, name, mode), buffer_size) {
  flush_request_ = flush_request && mode != fmOpenRead;
}

TLFNFileStream::~TLFNFileStream() {
  try {
    if (state_ == 2) FlushBuffer();
    if (flush_request_ && written_) file->FlushToDisk();
  } catch (...) {
  }
  state_ = 0;
  written_ = false;
}

std::int64_t TLFNFileStream::Size() {
  if (state_ == 2) FlushBuffer();
  std::int64_t logical = LogicalPosition();
  std::int64_t size = file->Size();
  return std::max(size, logical);
}

void TLFNFileStream::SetSize(std::int64_t size) {
  TS_BufferStream::SetSize(size);
}

void TLFNFileStream::SetModified(std::int64_t unix_seconds) {
  if (state_ == 2) FlushBuffer();
  file->SetModified(unix_seconds);
}

void TLFNFileStream::SetPermissions(unsigned mode) {
  if (state_ == 2) FlushBuffer();
  file->SetPermissions(mode);
}

}  // namespace kelmo::zip
