// Disk file layer: DFO_DiskFile and the open-file registry.
#include "disk_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "dbf_errors.h"

namespace kelmo::dbf {

namespace {
constexpr int64_t kWholeFileLength = 2147483647;
}

std::string DFO_DiskFile::FullFileName(const std::string& name) {
  if (name.find("//") != std::string::npos) return name;
  if (name.size() > 2 && name.find(':', 2) != std::string::npos) return name;
  std::error_code ec;
  auto full = std::filesystem::absolute(name, ec);
  return ec ? name : full.lexically_normal().string();
}

DFO_DiskFile::DFO_DiskFile(const std::string& fileName, bool shared, bool readWrite, OsLayer& os)
    : os_(os), fileName_(FullFileName(fileName)), shared_(shared), readWrite_(readWrite) {
  exists_ = os_.FileExists(fileName_);
}

DFO_DiskFile::~DFO_DiskFile() {
  try {
    DFO_DiskFile::Close();
  } catch (...) {
  }
}

bool DFO_DiskFile::Close() {
  if (closed_) return true;
  if (lockCount_ > 0) {
    lockCount_ = 1;
    try {
      Unlock();
    } catch (...) {
      lockCount_ = 0;
    }
  }
  GSobjFileColl::Instance().Remove(this);
  os_.CloseFile(handle_);
  closed_ = true;
  position_ = 0;
  handle_ = -1;
  return true;
}

void DFO_DiskFile::ReleaseAtExit() {
  if (!closed_) {
    os_.CloseFile(handle_);
    handle_ = -1;
    closed_ = true;
  }
}

int32_t DFO_DiskFile::FileSize() {
  int64_t size = closed_ ? -1 : os_.FileSizeOf(handle_);
  if (size < 0) RaiseDbfSystem(msg::kGetFileSize, {fileName_}, os_.LastError());
  if (size > INT32_MAX) RaiseDbf(msg::kGetFileSize, {fileName_});
  return static_cast<int32_t>(size);
}

void DFO_DiskFile::Flush() {
  if (closed_) return;
  if (!os_.FlushFileHandle(handle_)) RaiseDbfSystem(msg::kFlush, {fileName_}, os_.LastError());
  written_ = false;
}

bool DFO_DiskFile::LockFile() {
  if (!shared_) return true;
  return LockRegion(0, kWholeFileLength);
}

bool DFO_DiskFile::LockRegion(int64_t offset, int64_t length) {
  if (!shared_) {
    ++lockCount_;
    lockOffset_ = offset;
    lockLength_ = length;
    return true;
  }
  if (lockCount_ <= 0) {
    if (closed_ || !os_.LockFileRegion(handle_, length, offset)) return false;
    lockOffset_ = offset;
    lockLength_ = length;
    lockCount_ = 1;
    return true;
  }
  if (offset != lockOffset_ || length != lockLength_) return false;
  ++lockCount_;
  return true;
}

bool DFO_DiskFile::Unlock() {
  if (lockCount_ <= 0) return true;
  if (shared_ && lockCount_ == 1) {
    if (!os_.UnlockFileRegion(handle_, lockLength_, lockOffset_)) {
      RaiseDbfSystem(msg::kUnlock, {fileName_}, os_.LastError());
    }
  }
  --lockCount_;
  return true;
}

bool DFO_DiskFile::HasExclusiveUse() const {
  if (!shared_) return true;
  return lockCount_ > 0 && lockOffset_ == 0 && lockLength_ == kWholeFileLength;
}

int32_t DFO_DiskFile::Read(int32_t offset, void* buffer, int32_t count) {
  if (closed_ || offset < 0 || count < 0) RaiseDbf(msg::kRead, {fileName_});
  int64_t n = os_.ReadAt(handle_, offset, buffer, count);
  if (n < 0) RaiseDbfSystem(msg::kRead, {fileName_}, os_.LastError());
  lastCount_ = static_cast<int32_t>(n);
  position_ = offset + count;
  return lastCount_;
}

void DFO_DiskFile::Write(int32_t offset, const void* buffer, int32_t count) {
  written_ = false;
  if (closed_ || offset < 0 || count < 0) RaiseDbf(msg::kWrite, {fileName_});
  int64_t n = os_.WriteAt(handle_, offset, buffer, count);
  if (n < 0) RaiseDbfSystem(msg::kWrite, {fileName_}, os_.LastError());
  // A short write without an error number: the disk is full.
  if (n != count) RaiseDbfSystem(msg::kWrite, {fileName_}, ENOSPC);
  lastCount_ = static_cast<int32_t>(n);
  position_ = offset + count;
  written_ = true;
}

bool DFO_DiskFile::Rename(const std::string& newName) {
  if (!Close()) RaiseDbf(msg::kClose, {fileName_});
  std::string full = FullFileName(newName);
  if (!os_.RenameFile(fileName_, full)) {
    const int code = os_.LastError();
    // Keep the object usable on its old name before reporting.
    try {
      Open();
    } catch (...) {
    }
    RaiseDbfSystem(msg::kRename, {fileName_}, code);
  }
  fileName_ = full;
  exists_ = true;
  Open();
  return true;
}

void DFO_DiskFile::Open() {
  if (!exists_) RaiseDbf(msg::kNotFound, {fileName_});
  if (!closed_) return;
  int h = os_.OpenFile(fileName_, readWrite_, shared_);
  if (h < 0) RaiseDbfSystem(msg::kAccessDenied, {fileName_}, os_.LastError());
  handle_ = h;
  position_ = 0;
  GSobjFileColl::Instance().Add(this);
  closed_ = false;
}

void DFO_DiskFile::CreateNew() {
  int h = os_.CreateFile(fileName_);
  if (h < 0) RaiseDbfSystem(msg::kCreate, {fileName_}, os_.LastError());
  os_.CloseFile(h);
  exists_ = true;
  Open();
}

void DFO_DiskFile::ReportStatus(int, int, int) {}

void DFO_DiskFile::Truncate(int32_t newSize) {
  if (!readWrite_ || !HasExclusiveUse()) RaiseDbf(msg::kFullAccess, {"Truncate", fileName_});
  if (closed_) RaiseDbf(msg::kTruncate, {fileName_});
  if (os_.TruncateFileHandle(handle_, newSize) != 0) {
    RaiseDbfSystem(msg::kTruncate, {fileName_}, os_.LastError());
  }
}

GSobjFileColl& GSobjFileColl::Instance() {
  static GSobjFileColl registry;
  return registry;
}

void GSobjFileColl::Add(DFO_DiskFile* file) {
  std::lock_guard<std::mutex> lock(guard_);
  if (files_.IndexOf(file) < 0) files_.Add(TdfCollection<DFO_DiskFile, KeepItem>::Item(file));
}

void GSobjFileColl::Remove(DFO_DiskFile* file) {
  std::lock_guard<std::mutex> lock(guard_);
  files_.RemoveItem(file);
}

int GSobjFileColl::IndexOf(const DFO_DiskFile* file) const {
  std::lock_guard<std::mutex> lock(guard_);
  return files_.IndexOf(file);
}

GSobjFileColl::~GSobjFileColl() {
  // Process exit: handles of files still open are closed (the kernel drops
  // their locks with them).
  std::lock_guard<std::mutex> lock(guard_);
  for (const auto& f : files_) f->ReleaseAtExit();
  files_.FreeAll();
}

}  // namespace kelmo::dbf
