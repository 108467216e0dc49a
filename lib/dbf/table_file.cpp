// Table file layer: DFO_dBaseDBF.
#include "table_file.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>

#include "dbf_errors.h"
#include "engine_tools.h"
#include "sys_dbf_text.h"
#include "table_encryption.h"

namespace kelmo::dbf {

bool IsKnownDbfVersion(uint8_t v) {
  return v == 0x03 || v == 0x04 || v == 0x30 || v == 0x83 || v == 0x8B || v == 0xF5;
}

DFO_dBaseDBF::DFO_dBaseDBF(const std::string& fileName, bool shared, bool readWrite,
                           const std::string& password, OsLayer& os)
    : DFO_DiskFile(ApplyDefaultExt(fileName, ".DBF"), shared, readWrite, os) {
  if (!Exists()) RaiseDbf(msg::kNotFound, {FileName()});
  readPassword_ = writePassword_ = password;
  alias_ = UpperText(FileBaseName(FileName()));
  SetLockOffsets();
  Open();
  ReadHeaderAndCount(true);
  encrypted_ = header_.encrypted != 0;
  if (encrypted_ && password.empty()) RaiseEncryption(msg::kNoPassword, {FileName()});
  if (!encrypted_ && !password.empty()) RaiseEncryption(msg::kPasswordIncluded, {FileName()});
  hasMemo_ =
      version_ == 0x83 || version_ == 0x8B || version_ == 0xF5 || (version_ == 0x30 && flagMemo_);
  currentRecord_ = 0;
  eof_ = false;
  bof_ = true;

  // The descriptor area; the terminator is looked for at each descriptor
  // boundary, so that a header length that leaves room after it (the 263-byte
  // backlink of version 0x30, padding of other writers) reads the same.
  const int32_t areaLength = headerLength_ - 32;
  std::vector<uint8_t> area(static_cast<size_t>(areaLength));
  if (Read(32, area.data(), areaLength) < areaLength) RaiseDbf(msg::kRead, {FileName()});
  if (encrypted_) {
    int32_t crypted = headerLength_ - (version_ == 0x30 ? 296 : 33);
    if (crypted > 0) EncryptTableBuffer(readPassword_, area.data(), area.data(), crypted, false);
  }
  int32_t fields = -1;
  for (int32_t k = 0; 32 * k < areaLength; ++k) {
    if (area[static_cast<size_t>(32 * k)] == 0x0D) {
      fields = k;
      break;
    }
    if (32 * k + 32 > areaLength) break;
  }
  // Under a wrong password the descriptors come out garbled.
  if (fields < 0 && encrypted_) RaiseEncryption(msg::kInvalidPassword, {FileName()});
  if (fields < 0) RaiseDbf(msg::kHeaderInvalid, {FileName()});
  fieldCount_ = fields;
  int32_t offset = 1;
  for (int32_t i = 0; i < fieldCount_; ++i) {
    DbfFieldDescriptor d = DbfFieldDescriptor::Read(area.data() + 32 * i);
    d.offset = static_cast<uint32_t>(offset);
    d.number = static_cast<uint16_t>(i + 1);
    offset += d.FullWidth();
    descriptors_.push_back(d);
  }
  // Writers of version 0x30 tables do not all set the memo flag; a table
  // with memo fields has its memo file all the same.
  for (const auto& d : descriptors_) {
    if (version_ == 0x30 && (d.type == 'M' || d.type == 'G')) hasMemo_ = true;
  }
  if (offset > recordLength_ && encrypted_) RaiseEncryption(msg::kInvalidPassword, {FileName()});
  if (offset > recordLength_) RaiseDbf(msg::kHeaderInvalid, {FileName()});

  const size_t bufLen = static_cast<size_t>(recordLength_) + 1;
  ownBuffer_.assign(bufLen, ' ');
  ownBuffer_.back() = EndOfFileMark;
  savedRecord_.assign(bufLen, ' ');
  workBuffer_.assign(bufLen, ' ');
  fieldChanged_.assign(static_cast<size_t>(fieldCount_) + 1, 0);
  recordBuffer_ = ownBuffer_.data();
  tableState_ = 1;
  useDeleted_ = true;
  exactMatch_ = false;
  autoFlush_ = false;
  userId_ = 0;
  RefreshHeader();
  // RecordNotify(kNotifyOpened) is sent by the most derived layer once it is
  // complete (virtual calls do not reach it from here).
}

DFO_dBaseDBF::~DFO_dBaseDBF() {
  try {
    if (headerDirty_) {
      RefreshHeader();
      WriteHeader();
    }
  } catch (...) {
  }
  memo_.reset();
}

int64_t DFO_dBaseDBF::RecordsInFile(int64_t size, int32_t headerLength, int32_t recordLength) {
  if (size <= headerLength || recordLength < 1) return 0;
  int64_t records = (size - headerLength) / recordLength;
  if (recordLength == 1 && records > 0) {
    // A table without fields: its end-of-file mark is no record.
    uint8_t last = 0;
    if (Read(static_cast<int32_t>(size - 1), &last, 1) == 1 && last == EndOfFileMark) --records;
  }
  return records;
}

void DFO_dBaseDBF::ReadHeaderAndCount(bool atOpen) {
  uint8_t raw[32] = {};
  if (Read(0, raw, 32) < 32) RaiseDbf(msg::kRead, {FileName()});
  DbfTableHeader h = DbfTableHeader::Read(raw);
  if (!IsKnownDbfVersion(h.version)) RaiseDbf(msg::kHeaderInvalid, {FileName()});
  const int32_t minHeader = h.version == 0x30 ? 296 : 33;
  const int64_t size = FileSize();
  if (h.headerLength < minHeader || h.recordLength < 1 || h.headerLength > size) {
    RaiseDbf(msg::kHeaderInvalid, {FileName()});
  }
  const int64_t records = RecordsInFile(size, h.headerLength, h.recordLength);
  if (static_cast<int64_t>(h.recordCount) > records) RaiseDbf(msg::kHeaderInvalid, {FileName()});
  if (atOpen) {
    version_ = h.version;
    headerLength_ = h.headerLength;
    recordLength_ = h.recordLength;
  } else if (h.headerLength != headerLength_ || h.recordLength != recordLength_) {
    RaiseDbf(msg::kHeaderInvalid, {FileName()});
  }
  header_ = h;
  recordCount_ = static_cast<int32_t>(records);
  changeStamp_ = h.changeStamp;
  flagProduction_ = h.tableFlags & 1;
  flagMemo_ = h.tableFlags & 2;
  flagContainer_ = h.tableFlags & 4;
}

void DFO_dBaseDBF::ReloadHeaderAfterReplace() {
  uint8_t raw[32] = {};
  if (Read(0, raw, 32) < 32) RaiseDbf(msg::kRead, {FileName()});
  DbfTableHeader h = DbfTableHeader::Read(raw);
  // The copy may lay out its header differently (no backlink area, other
  // padding); its records are as long as before.
  if (h.recordLength != recordLength_ || h.headerLength < 33) {
    RaiseDbf(msg::kHeaderInvalid, {FileName()});
  }
  headerLength_ = h.headerLength;
  header_ = h;
  changeStamp_ = h.changeStamp;
  recordCount_ = static_cast<int32_t>(RecordsInFile(FileSize(), headerLength_, recordLength_));
  headerDirty_ = false;
  currentRecord_ = 0;
}

void DFO_dBaseDBF::RefreshHeader() {
  changedElsewhere_ = false;
  if (!IsShared()) return;
  uint8_t raw[32] = {};
  if (Read(0, raw, 32) < 32) RaiseDbf(msg::kRead, {FileName()});
  DbfTableHeader h = DbfTableHeader::Read(raw);
  int32_t count = static_cast<int32_t>(RecordsInFile(FileSize(), headerLength_, recordLength_));
  if (count != recordCount_ || h.changeStamp != changeStamp_) changedElsewhere_ = true;
  recordCount_ = count;
  changeStamp_ = h.changeStamp;
  header_.changeStamp = h.changeStamp;
}

void DFO_dBaseDBF::WriteHeader() {
  if (!IsReadWrite() || !headerDirty_ || tableLocked_) return;
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  int ms = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  changeStamp_ =
      static_cast<uint32_t>(((tm.tm_hour * 64 + tm.tm_min) * 64 + tm.tm_sec) * 1024 + ms);
  header_.changeStamp = changeStamp_;
  header_.updateYear = static_cast<uint8_t>(tm.tm_year % 100);
  header_.updateMonth = static_cast<uint8_t>(tm.tm_mon + 1);
  header_.updateDay = static_cast<uint8_t>(tm.tm_mday);
  header_.recordCount = static_cast<uint32_t>(recordCount_);
  header_.tableFlags = flagProduction_ | flagMemo_ | flagContainer_;
  header_.encrypted = encrypted_ ? 1 : 0;
  header_.userId = userId_;
  uint8_t raw[32];
  header_.Write(raw);
  Write(0, raw, 32);
  headerDirty_ = false;
}

void DFO_dBaseDBF::CopyToSaved() {
  std::memcpy(savedRecord_.data(), recordBuffer_, static_cast<size_t>(recordLength_));
}

void DFO_dBaseDBF::RecordNotify(uint8_t code, int32_t) {
  if (code == kNotifyRead || code == kNotifyWritten) {
    recordModified_ = false;
    if (tableState_ != 5) tableState_ = 1;
  }
}

void DFO_dBaseDBF::GoTo(int32_t n) {
  if (n == 0) return;
  if (recordCount_ == 0) {
    RefreshHeader();
    if (recordCount_ == 0) {
      eof_ = bof_ = true;
      return;
    }
  }
  eof_ = bof_ = false;
  int32_t target = n;
  switch (n) {
    case kMoveCurrent:
      target = currentRecord_;
      break;
    case kMoveLast:
      target = recordCount_;
      break;
    case kMoveFirst:
      target = 1;
      break;
    case kMovePrior:
      if (currentRecord_ <= 1) {
        bof_ = true;
        return;
      }
      target = currentRecord_ - 1;
      break;
    case kMoveNext:
      target = currentRecord_ + 1;
      break;
    default:
      if (n < 0) RaiseDbf(msg::kRecordNotInTable, {std::to_string(n), FileName()});
  }
  if (target <= 0) {
    // "The current record again" before any record was read.
    bof_ = true;
    return;
  }
  if (target > recordCount_) {
    RefreshHeader();
    if (target > recordCount_) {
      if (target > recordCount_ + 1) {
        RaiseDbf(msg::kRecordNotInTable, {std::to_string(target), FileName()});
      }
      eof_ = true;
      return;
    }
  }
  RecordNotify(kNotifyBeforeRead, n);
  if (Read(static_cast<int32_t>(RecordOffset(target)), recordBuffer_, recordLength_) <
      recordLength_) {
    RaiseDbf(msg::kRead, {FileName()});
  }
  if (encrypted_) {
    EncryptTableBuffer(readPassword_, recordBuffer_, recordBuffer_, recordLength_, false);
  }
  currentRecord_ = target;
  RecordNotify(kNotifyRead, target);
  CopyToSaved();
}

void DFO_dBaseDBF::WriteRecord(int32_t n) {
  RecordNotify(kNotifyBeforeWrite, n);
  if (n > recordCount_ || n <= 0) {
    Append();
    return;
  }
  headerDirty_ = true;
  const uint8_t* src = recordBuffer_;
  if (encrypted_) {
    EncryptTableBuffer(writePassword_, recordBuffer_, workBuffer_.data(), recordLength_, true);
    src = workBuffer_.data();
  }
  Write(static_cast<int32_t>(RecordOffset(n)), src, recordLength_);
  currentRecord_ = n;
  recordWritten_ = true;
  RefreshHeader();
  WriteHeader();
  RecordNotify(kNotifyWritten, n);
  if (autoFlush_) Flush();
  CopyToSaved();
}

void DFO_dBaseDBF::Append() {
  LockHeader();
  try {
    RecordNotify(kNotifyBeforeWrite, 0);
    recordModified_ = true;
    headerDirty_ = true;
    RefreshHeader();
    recordBuffer_[0] = ' ';
    if (RecordOffset(recordCount_ + 2) > INT32_MAX) RaiseDbf(msg::kWrite, {FileName()});
    ++recordCount_;
    currentRecord_ = recordCount_;
    std::vector<uint8_t> out(static_cast<size_t>(recordLength_) + 1);
    EncryptTableBuffer(writePassword_, recordBuffer_, out.data(), recordLength_, true);
    out.back() = EndOfFileMark;
    try {
      Write(static_cast<int32_t>(RecordOffset(recordCount_)), out.data(), recordLength_ + 1);
    } catch (...) {
      --recordCount_;
      currentRecord_ = recordCount_;
      throw;
    }
    WriteHeader();
  } catch (...) {
    ReleaseLock();
    throw;
  }
  ReleaseLock();
  eof_ = bof_ = false;
  RecordNotify(kNotifyWritten, 0);
  if (autoFlush_) Flush();
  CopyToSaved();
}

void DFO_dBaseDBF::Flush() {
  DFO_DiskFile::Flush();
  if (memo_) memo_->Flush();
  RecordNotify(kNotifyFlushed, currentRecord_);
}

void DFO_dBaseDBF::MarkProductionIndex(const std::string& indexPath) {
  if (flagProduction_ || !IsReadWrite()) return;
  const std::string& table = FileName();
  auto stem = [](const std::string& path) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    return dot == std::string::npos || (slash != std::string::npos && dot < slash)
               ? path
               : path.substr(0, dot);
  };
  // File names compare as the platform's name look-up does: without case.
  if (UpperText(stem(DFO_DiskFile::FullFileName(indexPath))) != UpperText(stem(table))) return;
  flagProduction_ = 1;
  headerDirty_ = true;
  WriteHeader();
}

bool DFO_dBaseDBF::Rename(const std::string& newName) {
  GSobjMemo* memo = hasMemo_ ? OpenMemo() : nullptr;
  DFO_DiskFile::Rename(ApplyDefaultExt(newName, ".DBF"));
  alias_ = UpperText(FileBaseName(FileName()));
  if (memo) memo->Rename(FileName());
  return true;
}

bool DFO_dBaseDBF::LockRange(int64_t offset, int64_t length) {
  if (tableLocked_) {
    AddLockHold();
    return true;
  }
  return LockRegion(offset, length);
}

bool DFO_dBaseDBF::LockHeader() {
  return LockRange(headerLockOffset_, 1);
}

bool DFO_dBaseDBF::LockTable() {
  bool wasLocked = tableLocked_;
  bool ok = LockRange(fileLockOffset_, fileLockLength_);
  if (!wasLocked) {
    tableLocked_ = ok;
    if (ok) RefreshHeader();
  }
  return ok;
}

bool DFO_dBaseDBF::LockWholeFile() {
  bool wasLocked = tableLocked_;
  bool ok = LockRange(0, 0x7FFFFFFF);
  if (!wasLocked) {
    tableLocked_ = ok;
    if (ok) RefreshHeader();
  }
  return ok;
}

bool DFO_dBaseDBF::ReleaseLock() {
  bool result = Unlock();
  if (tableLocked_ && LockCount() <= 0) {
    tableLocked_ = false;
    WriteHeader();
  }
  return result;
}

bool DFO_dBaseDBF::LockRecord() {
  const int64_t r = currentRecord_;
  switch (lockProtocol_) {
    case TdfLokProtocol::Default:
    case TdfLokProtocol::FoxLock:
      if (UsesIndexLockOffset()) return LockRange(headerLockOffset_ - r, 1);
      return LockRange(fileLockOffset_ + RecordOffset(currentRecord_), 1);
    case TdfLokProtocol::DB4Lock:
      return LockRange(headerLockOffset_ - r - 1, 1);
    case TdfLokProtocol::ClipLock:
      return LockRange(headerLockOffset_ + r, 1);
  }
  return false;
}

void DFO_dBaseDBF::SetLockOffsets() {
  const LockOffsets offsets = LockOffsetsFor(lockProtocol_);
  fileLockOffset_ = offsets.FileOffset;
  headerLockOffset_ = offsets.HeaderOffset;
  fileLockLength_ = offsets.FileLength;
}

void DFO_dBaseDBF::SetLockProtocol(TdfLokProtocol protocol) {
  lockProtocol_ = protocol;
  SetLockOffsets();
  if (memo_) memo_->SetLockProtocol(protocol);
}

GSobjMemo* DFO_dBaseDBF::OpenMemo() {
  if (!memo_ && hasMemo_) {
    memo_ = GSobjMemo::Make(version_, IsShared(), IsReadWrite(), readPassword_, FileName(), Os());
    if (memo_) {
      memo_->SetLockProtocol(lockProtocol_);
      memo_->SetPasswords(readPassword_, writePassword_);
    }
  }
  return memo_.get();
}

void DFO_dBaseDBF::SetPasswordsForReEncryption(const std::string& readPassword,
                                               const std::string& writePassword, bool encrypted) {
  readPassword_ = readPassword;
  writePassword_ = writePassword;
  encrypted_ = encrypted;
  if (memo_) memo_->SetPasswords(readPassword, writePassword);
}

std::vector<uint8_t> DFO_dBaseDBF::DescriptorArea() const {
  std::vector<uint8_t> area(descriptors_.size() * 32);
  for (size_t i = 0; i < descriptors_.size(); ++i) descriptors_[i].Write(area.data() + 32 * i);
  return area;
}

}  // namespace kelmo::dbf
