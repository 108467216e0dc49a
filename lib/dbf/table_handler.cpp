// Table handler: navigation in physical order and the read buffer.
#include "table_handler.h"

#include <algorithm>
#include <cstring>

#include "dbf_errors.h"
#include "engine_tools.h"
#include "sys_dbf_text.h"
#include "table_index_list.h"

namespace kelmo::dbf {

DFO_dBHandler::DFO_dBHandler(const std::string& fileName, bool shared, bool readWrite,
                             const std::string& password, OsLayer& os)
    : DFO_dBaseFld(fileName, shared, readWrite, password, os) {}

DFO_dBHandler::~DFO_dBHandler() {
  // The index files write what they hold while the table is still open.
  indexes_.reset();
}

TdfIndexList& DFO_dBHandler::Indexes() {
  if (!indexes_) indexes_ = std::make_unique<TdfIndexList>(*this);
  return *indexes_;
}

bool DFO_dBHandler::LockIndexes() {
  return indexes_ ? indexes_->LockIndexes() : true;
}

bool DFO_dBHandler::UnlockIndexes() {
  return indexes_ ? indexes_->UnlockIndexes() : true;
}

void DFO_dBHandler::SetLockProtocol(TdfLokProtocol protocol) {
  DFO_dBaseFld::SetLockProtocol(protocol);
  if (indexes_) indexes_->SetLockProtocol(static_cast<int>(protocol));
}

void DFO_dBHandler::RecordNotify(uint8_t code, int32_t record) {
  DFO_dBaseFld::RecordNotify(code, record);
  if (indexes_) indexes_->RecordNotify(code, record);
}

void DFO_dBHandler::AllowRecordBuffer(bool allowed) {
  readBufferAllowed_ = allowed;
  if (!allowed) UseRecordBuffer(false);
}

void DFO_dBHandler::UseRecordBuffer(bool on) {
  if (on && !readBufferAllowed_) on = false;
  if (on == readBufferOn_) return;
  if (on) {
    recordsPerBuffer_ = std::max<int32_t>(1, kReadBufferBytes / RecordLength());
    readBuffer_.assign(static_cast<size_t>(recordsPerBuffer_) * RecordLength(), 0);
  } else {
    readBuffer_.clear();
    readBuffer_.shrink_to_fit();
  }
  bufferStart_ = bufferEnd_ = -1;
  readBufferOn_ = on;
}

int32_t DFO_dBHandler::Read(int32_t offset, void* buffer, int32_t count) {
  if (!readBufferOn_ || offset < HeaderLength()) {
    return DFO_DiskFile::Read(offset, buffer, count);
  }
  if (bufferStart_ < 0 || offset < bufferStart_ || offset + count > bufferEnd_) {
    int32_t n =
        DFO_DiskFile::Read(offset, readBuffer_.data(), static_cast<int32_t>(readBuffer_.size()));
    bufferStart_ = offset;
    bufferEnd_ = static_cast<int64_t>(offset) + n;
    if (n <= 0) return 0;
  }
  int64_t available = bufferEnd_ - offset;
  int32_t n = static_cast<int32_t>(std::min<int64_t>(count, available));
  if (n <= 0) return 0;
  std::memcpy(buffer, readBuffer_.data() + (offset - bufferStart_), static_cast<size_t>(n));
  return n;
}

void DFO_dBHandler::Write(int32_t offset, const void* buffer, int32_t count) {
  DFO_DiskFile::Write(offset, buffer, count);
  if (readBufferOn_ && offset != 0 && bufferStart_ >= 0) {
    // Keep the buffered copy of the bytes in step with the file.
    int64_t from = std::max<int64_t>(offset, bufferStart_);
    int64_t to = std::min<int64_t>(static_cast<int64_t>(offset) + count, bufferEnd_);
    if (from < to) {
      std::memcpy(readBuffer_.data() + (from - bufferStart_),
                  static_cast<const uint8_t*>(buffer) + (from - offset),
                  static_cast<size_t>(to - from));
    }
  }
}

bool DFO_dBHandler::RecordVisible() {
  return (UseDeleted() || !CurrentRecordDeleted()) && AcceptRecord() &&
         (!indexes_ || indexes_->FilterAccepts(CurrentRecord()));
}

void DFO_dBHandler::GoTo(int32_t n) {
  if (TableState() != 1) {
    DFO_dBaseFld::GoTo(n);
    return;
  }
  SetEof(false);
  SetBof(false);
  const int32_t followUp =
      (n == kMoveFirst || n == kMoveCurrent) ? kMoveNext : (n == kMoveLast ? kMovePrior : n);
  int32_t target = n;
  for (;;) {
    if (indexes_ && indexes_->CurrentTag()) {
      indexes_->OrderedGoTo(target);
    } else {
      DFO_dBaseFld::GoTo(target);
    }
    if (target > 0 && target > RecordCount()) {
      // A record number past the end: nothing was read, the image is blank.
      BlankRecord();
      break;
    }
    if (Eof() || Bof()) break;
    if (n > 0 || RecordVisible()) break;
    target = followUp;
  }
  lastMoveSucceeded_ = !Eof() && !Bof();
}

void DFO_dBHandler::Skip(int32_t count) {
  if (count == 0) {
    GoTo(kMoveCurrent);
    return;
  }
  if (filterActive_ || !UseDeleted() || (indexes_ && indexes_->StepsOneByOne())) {
    const int32_t code = count > 0 ? kMoveNext : kMovePrior;
    for (int32_t i = 0, steps = count > 0 ? count : -count; i < steps; ++i) {
      GoTo(code);
      if (Eof() || Bof()) break;
    }
    return;
  }
  int64_t target = static_cast<int64_t>(CurrentRecord()) + count;
  bool clamped = false;
  if (target < 1) {
    target = 1;
    clamped = true;
  } else if (target > RecordCount()) {
    target = RecordCount();
    clamped = true;
  }
  if (RecordCount() > 0) GoTo(static_cast<int32_t>(target));
  if (clamped) {
    if (count > 0) {
      SetEof(true);
    } else {
      SetBof(true);
    }
  }
}

void DFO_dBHandler::Append() {
  LockIndexes();
  try {
    DFO_dBaseFld::Append();
  } catch (...) {
    UnlockIndexes();
    throw;
  }
  UnlockIndexes();
}

void DFO_dBHandler::WriteRecord(int32_t n) {
  LockIndexes();
  try {
    DFO_dBaseFld::WriteRecord(n);
  } catch (...) {
    UnlockIndexes();
    throw;
  }
  UnlockIndexes();
}

bool DFO_dBHandler::Rename(const std::string& newName) {
  const std::string oldBase = UpperText(FileBaseName(FileName()));
  DFO_dBaseFld::Rename(newName);
  if (!indexes_) return true;
  for (int slot = 1; slot <= TdfIndexList::kSlots; ++slot) {
    GSobjIndexFile* file = indexes_->File(slot);
    if (file && file->disk && UpperText(FileBaseName(file->disk->Path())) == oldBase) {
      file->Rename(FileName());
    }
  }
  return true;
}

}  // namespace kelmo::dbf
