// Operating-system layer: the POSIX implementation.
#include "os_layer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "sys_dbf_text.h"

namespace kelmo::dbf {

int OsLayer::OpenFile(const std::string& path, bool readWrite, bool shared) {
  int fd = ::open(path.c_str(), (readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  const bool statFailed = ::fstat(fd, &st) != 0;
  if (statFailed || !S_ISREG(st.st_mode)) {
    // Only regular files are opened: a folder or a device is refused.
    const int code = statFailed ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    errno = code;
    return -1;
  }
  if (::flock(fd, (shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
    const int code = errno;
    ::close(fd);
    errno = code;
    return -1;
  }
  return fd;
}

int OsLayer::LastError() const {
  return errno;
}

int OsLayer::CreateFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd < 0 ? -1 : fd;
}

void OsLayer::CloseFile(int handle) {
  if (handle >= 0) ::close(handle);
}

int64_t OsLayer::ReadAt(int handle, int64_t offset, void* buffer, int64_t count) {
  if (offset < 0 || count < 0) return -1;
  int64_t done = 0;
  auto* p = static_cast<char*>(buffer);
  while (done < count) {
    ssize_t n = ::pread(handle, p + done, static_cast<size_t>(count - done), offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

int64_t OsLayer::WriteAt(int handle, int64_t offset, const void* buffer, int64_t count) {
  if (offset < 0 || count < 0) return -1;
  int64_t done = 0;
  const auto* p = static_cast<const char*>(buffer);
  while (done < count) {
    ssize_t n = ::pwrite(handle, p + done, static_cast<size_t>(count - done), offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    done += n;
  }
  return done;
}

int64_t OsLayer::FileSizeOf(int handle) {
  struct stat st {};
  if (::fstat(handle, &st) != 0) return -1;
  return st.st_size;
}

bool OsLayer::FlushFileHandle(int handle) {
  return ::fsync(handle) == 0;
}

int OsLayer::TruncateFileHandle(int handle, int64_t newSize) {
  return ::ftruncate(handle, newSize) == 0 ? 0 : -1;
}

static bool OfdLock(int handle, short type, int64_t length, int64_t offset) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = offset;
  fl.l_len = length;
  if (::fcntl(handle, F_OFD_SETLK, &fl) == 0) return true;
  if (type == F_WRLCK && errno == EBADF) {
    // A read-only handle can hold only a shared lock.
    fl.l_type = F_RDLCK;
    return ::fcntl(handle, F_OFD_SETLK, &fl) == 0;
  }
  return false;
}

bool OsLayer::LockFileRegion(int handle, int64_t length, int64_t offset) {
  return OfdLock(handle, F_WRLCK, length, offset);
}

bool OsLayer::UnlockFileRegion(int handle, int64_t length, int64_t offset) {
  return OfdLock(handle, F_UNLCK, length, offset);
}

bool OsLayer::RenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool OsLayer::DeleteFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool OsLayer::FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void OsLayer::WaitMilliseconds(int count) {
  std::this_thread::sleep_for(std::chrono::milliseconds(count));
}

OsLayer& DefaultOsLayer() {
  static OsLayer layer;
  return layer;
}

std::string ResolveFileNameNoCase(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::exists(path, ec)) return path;
  fs::path p(path);
  fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
  std::string wanted = AsciiUpper(p.filename().string());
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (AsciiUpper(it->path().filename().string()) == wanted) {
      return p.has_parent_path() ? (dir / it->path().filename()).string()
                                 : it->path().filename().string();
    }
  }
  return path;
}

}  // namespace kelmo::dbf
