// Table handler: DFO_dBHandler is the table as the dataset and the rest of the
// engine use it: navigation in physical order that skips deleted records (when
// UseDeleted is off) and records the owner refuses (AcceptRecord), a 32,768-byte
// multi-record read buffer for sequential walks, and the whole-table rewrites:
// CopyFile, CreateEmptyCopy, CopyMemoFields, Pack, Reindex and SetPassword.
// Index order, seeks, ranges and filter expressions build on this class.
//
// Pack writes the live records into a temporary table in the same folder and
// puts it in place of the table and its memo file by renames only: the old
// table and memo are first moved aside, and any failed step moves them back,
// so a failed pack leaves the original files as they were and raises
// "Error on Rename of file %s" (or the disk error that stopped it); the table
// and the memo are never left from different generations.
//
// Errors (EDbfError): "%s requires full access to file %s" (Pack, CopyFile,
// SetPassword on a shared table without the whole-file lock); the layers'
// errors below. Costs: sequential walks read 32 KB at a time; Pack and
// CopyFile read the table once and write every live record and memo once;
// memory stays at the buffer plus one record and one memo.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "table_fields.h"

namespace kelmo::dbf {

class TdfIndexList;

class DFO_dBHandler : public DFO_dBaseFld {
 public:
  static constexpr int32_t kReadBufferBytes = 32768;

  DFO_dBHandler(const std::string& fileName, bool shared, bool readWrite,
                const std::string& password, OsLayer& os = DefaultOsLayer());
  ~DFO_dBHandler() override;

  int32_t Read(int32_t offset, void* buffer, int32_t count) override;
  void Write(int32_t offset, const void* buffer, int32_t count) override;
  void Append() override;
  void GoTo(int32_t n) override;
  void WriteRecord(int32_t n) override;
  // Renames the table and its memo file, and every open index file that
  // carries the table's base name.
  bool Rename(const std::string& newName) override;
  // Keeps the open index files up to date after each write and flush.
  void RecordNotify(uint8_t code, int32_t record) override;

  // The table's index files and current tag (table_index_list.h), made on
  // first use; with a current tag, GoTo moves in its order.
  TdfIndexList& Indexes();
  TdfIndexList* IndexesIfOpen() const { return indexes_.get(); }

  void Skip(int32_t count);
  // True here; the dataset's table object asks its owner's record filter.
  virtual bool AcceptRecord() { return true; }
  // Lock and unlock every open index file around record writes.
  virtual bool LockIndexes();
  bool UnlockIndexes();
  // The table's protocol, passed on to its open index files.
  void SetLockProtocol(TdfLokProtocol protocol) override;

  void AllowRecordBuffer(bool allowed);
  void UseRecordBuffer(bool on);
  bool RecordBufferOn() const { return readBufferOn_; }
  int32_t RecordsPerBuffer() const { return recordsPerBuffer_; }
  bool LastMoveSucceeded() const { return lastMoveSucceeded_; }

  // Whole-table operations (table_copy_pack.cpp).
  void Pack();
  void CopyFile(const std::string& newFileName, const std::string& password);
  void CreateEmptyCopy(const std::string& newFileName);
  void CopyMemoFields(DFO_dBHandler& target);
  void Reindex();
  void SetPassword(const std::string& newPassword);
  void ReEncryptMemos();

 private:
  bool RecordVisible();

  std::unique_ptr<TdfIndexList> indexes_;
  std::vector<uint8_t> readBuffer_;
  int64_t bufferStart_ = -1;
  int64_t bufferEnd_ = -1;
  int32_t recordsPerBuffer_ = 0;
  bool readBufferOn_ = false;
  bool readBufferAllowed_ = true;
  bool lastMoveSucceeded_ = false;
  bool filterActive_ = false;
};

}  // namespace kelmo::dbf
