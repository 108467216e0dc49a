// Operating-system layer of the DBF engine: the file, lock and wait calls that
// every engine file goes through. Engine objects take an OsLayer by reference,
// so a test can hand in one whose write, rename, delete or lock fails and show
// what the layers above do then. The default layer is POSIX.
//
// Sharing: a file opened "shared" takes a shared flock, one opened not shared
// an exclusive one (both non-blocking, per open file description), so an
// exclusive open fails while any other open exists, in this process or another.
// Byte-range locks are non-blocking OFD locks (exclusive on a writable handle).
#pragma once

#include <cstdint>
#include <string>

namespace kelmo::dbf {

class OsLayer {
 public:
  virtual ~OsLayer() = default;
  // A handle (>= 0), or -1 when the file cannot be opened in that mode.
  virtual int OpenFile(const std::string& path, bool readWrite, bool shared);
  // Creates (or empties) the file; a handle or -1.
  virtual int CreateFile(const std::string& path);
  virtual void CloseFile(int handle);
  // Bytes moved, or -1 on failure. Reading past the end moves 0 bytes.
  virtual int64_t ReadAt(int handle, int64_t offset, void* buffer, int64_t count);
  virtual int64_t WriteAt(int handle, int64_t offset, const void* buffer, int64_t count);
  // -1 on failure.
  virtual int64_t FileSizeOf(int handle);
  virtual bool FlushFileHandle(int handle);
  // 0 on success, -1 on failure (a read-only handle fails).
  virtual int TruncateFileHandle(int handle, int64_t newSize);
  // Non-blocking; false at once when any part is held by another handle.
  virtual bool LockFileRegion(int handle, int64_t length, int64_t offset);
  virtual bool UnlockFileRegion(int handle, int64_t length, int64_t offset);
  virtual bool RenameFile(const std::string& from, const std::string& to);
  virtual bool DeleteFile(const std::string& path);
  virtual bool FileExists(const std::string& path);
  virtual void WaitMilliseconds(int count);
  // The error number (errno) of this thread's last failed call above.
  virtual int LastError() const;
};

// The process's POSIX layer (stateless).
OsLayer& DefaultOsLayer();

// The existing file whose name matches the path's last component without
// regard to case, in the path's folder; the path itself when it exists or when
// nothing matches. Costs one directory read when the exact name is missing.
std::string ResolveFileNameNoCase(const std::string& path);

}  // namespace kelmo::dbf
