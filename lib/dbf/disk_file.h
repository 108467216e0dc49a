// Disk file layer: DFO_DiskFile, the file object under every table, memo and
// index file, and GSobjFileColl, the process-wide registry of open engine files.
//
// Positioned reads and writes, size, flush, truncation, rename, creation and a
// re-entrant one-range lock per file. All failures raise EDbfError with the
// file's full name ("Error on Read of file %s", "Error writing to %s", ...);
// a short read is no failure. Offsets and sizes are 32-bit: files beyond 2 GB
// are out of range. Every call is one system call (no caching here).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine_collection.h"
#include "os_layer.h"

namespace kelmo::dbf {

class DFO_DiskFile {
 public:
  // Stores the full name and the modes and whether the file exists; opens nothing.
  DFO_DiskFile(const std::string& fileName, bool shared, bool readWrite,
               OsLayer& os = DefaultOsLayer());
  virtual ~DFO_DiskFile();
  DFO_DiskFile(const DFO_DiskFile&) = delete;
  DFO_DiskFile& operator=(const DFO_DiskFile&) = delete;

  virtual bool Close();
  virtual int32_t FileSize();
  virtual void Flush();
  virtual bool LockFile();
  virtual bool LockRegion(int64_t offset, int64_t length);
  // Bytes read; fewer than count at the end of the file.
  virtual int32_t Read(int32_t offset, void* buffer, int32_t count);
  virtual bool Rename(const std::string& newName);
  // "File %s could not be found" when the file did not exist at construction;
  // "Access denied to file %s" when it cannot be opened in its modes.
  virtual void Open();
  // Creates the file empty (replacing one of that name) and opens it.
  virtual void CreateNew();
  virtual void ReportStatus(int stage, int count, int total);
  // Needs read-write and exclusive use.
  virtual void Truncate(int32_t newSize);
  virtual bool Unlock();
  virtual void Write(int32_t offset, const void* buffer, int32_t count);

  bool HasExclusiveUse() const;
  void AddLockHold() { ++lockCount_; }
  // Drops the file name from the object without touching the disk (used when a
  // caller has moved the file away itself).
  const std::string& FileName() const { return fileName_; }
  bool IsShared() const { return shared_; }
  bool IsReadWrite() const { return readWrite_; }
  bool IsClosed() const { return closed_; }
  bool Exists() const { return exists_; }
  int32_t LastCount() const { return lastCount_; }
  int LockCount() const { return lockCount_; }
  OsLayer& Os() const { return os_; }
  // Closes the handle without any other bookkeeping (process exit).
  void ReleaseAtExit();

  // A relative name expanded against the current folder; a name holding "//"
  // or a ':' after its second character unchanged.
  static std::string FullFileName(const std::string& name);

 protected:
  void SetFileName(const std::string& name) { fileName_ = name; }
  void SetExists(bool e) { exists_ = e; }

 private:
  OsLayer& os_;
  int handle_ = -1;
  bool exists_ = false;
  std::string fileName_;
  int32_t position_ = 0;
  bool shared_;
  bool readWrite_;
  int32_t lastCount_ = 0;
  int lockCount_ = 0;
  int64_t lockOffset_ = 0;
  int64_t lockLength_ = 0;
  bool written_ = false;
  bool closed_ = true;
};

// The registry of open engine files (it does not own them).
class GSobjFileColl {
 public:
  static GSobjFileColl& Instance();
  void Add(DFO_DiskFile* file);
  void Remove(DFO_DiskFile* file);
  int IndexOf(const DFO_DiskFile* file) const;
  int Count() const {
    std::lock_guard<std::mutex> lock(guard_);
    return files_.Count();
  }
  ~GSobjFileColl();

 private:
  GSobjFileColl() = default;
  // Engine objects live on one thread each, but tables of different threads
  // share this registry.
  mutable std::mutex guard_;
  TdfCollection<DFO_DiskFile, KeepItem> files_;
};

}  // namespace kelmo::dbf
