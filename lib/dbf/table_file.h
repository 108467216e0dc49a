// Table file layer: DFO_dBaseDBF opens an xBase table file, validates its
// 32-byte header against the file size, reads the field descriptors, keeps one
// record image, reads and writes records by number, appends, keeps the header
// (date, count, change stamp) current, takes the lock protocol's locks,
// encrypts and decrypts records of a password-protected table and opens the
// table's memo file on first use.
//
// Accepted versions: 0x03, 0x04, 0x30, 0x83, 0x8B, 0xF5. Errors (EDbfError):
// "Table Header for %s is invalid" for another version, a header length below
// the minimum or beyond the file, descriptors without their 0x0D terminator,
// fields that do not fit the record length, or a header record count larger
// than the records the file holds; "Error on Read of file %s" for a file
// shorter than its header; "Record number %d is not in table %s". Password
// mismatches at open raise EDbfEncryption. The record count is the number of
// whole records in the file (a header count lower than that is not used).
// Costs: one read per GoTo (the handler adds a read buffer), one write per
// record write plus one header write.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbf_constants.h"
#include "dbf_records.h"
#include "disk_file.h"
#include "memo_file.h"

namespace kelmo::dbf {

// Movement codes of navigation.
enum : int32_t {
  kMoveNext = -1,
  kMovePrior = -2,
  kMoveFirst = -3,
  kMoveLast = -4,
  kMoveCurrent = -5
};

// Record-event codes of RecordNotify.
enum : uint8_t {
  kNotifyBlank = 0,
  kNotifyOpened = 2,
  kNotifyBeforeRead = 4,
  kNotifyBeforeWrite = 5,
  kNotifyRead = 6,
  kNotifyWritten = 7,
  kNotifyFlushed = 8
};

class DFO_dBaseDBF : public DFO_DiskFile {
 public:
  DFO_dBaseDBF(const std::string& fileName, bool shared, bool readWrite,
               const std::string& password, OsLayer& os = DefaultOsLayer());
  // Writes a dirty header, frees the memo file and closes.
  ~DFO_dBaseDBF() override;

  void Flush() override;
  bool Rename(const std::string& newName) override;

  virtual void Append();
  virtual void RecordNotify(uint8_t code, int32_t record);
  // n > 0 a record number; the movement codes; 0 does nothing.
  virtual void GoTo(int32_t n);
  virtual bool LockHeader();
  virtual bool LockTable();
  virtual bool LockWholeFile();
  virtual bool ReleaseLock();
  virtual bool LockRecord();
  // Writes the record buffer as record n; n outside 1..count appends.
  virtual void WriteRecord(int32_t n);
  virtual void SetLockProtocol(TdfLokProtocol protocol);
  virtual bool UsesIndexLockOffset() { return false; }

  void RefreshHeader();
  void WriteHeader();
  // The memo file, made on first use; null for a table without memo.
  GSobjMemo* OpenMemo();
  // Frees the memo file object (Pack replaces the file underneath it).
  void FreeMemo() { memo_.reset(); }
  void SetUserID(uint32_t id) { userId_ = id; }
  bool LockRange(int64_t offset, int64_t length);
  bool CurrentRecordDeleted() const { return recordBuffer_[0] == '*'; }
  // Header flag of the production index (bit 0 of byte 28).
  bool HasProductionIndex() const { return flagProduction_ != 0; }
  // When the index file is the table's production index (the table's own
  // name with the index extension), sets the header flag and writes it.
  void MarkProductionIndex(const std::string& indexPath);

  // Record buffers. The dataset points the record buffer at its own buffers
  // while it works; it must hold RecordLength() + 1 bytes.
  uint8_t* RecordBuffer() { return recordBuffer_; }
  const uint8_t* RecordBuffer() const { return recordBuffer_; }
  void SetRecordBuffer(uint8_t* buffer) { recordBuffer_ = buffer ? buffer : ownBuffer_.data(); }
  void UseOwnRecordBuffer() { recordBuffer_ = ownBuffer_.data(); }
  const std::vector<uint8_t>& SavedRecord() const { return savedRecord_; }

  int32_t RecordCount() const { return recordCount_; }
  int32_t HeaderLength() const { return headerLength_; }
  int32_t RecordLength() const { return recordLength_; }
  int32_t FieldCount() const { return fieldCount_; }
  int32_t CurrentRecord() const { return currentRecord_; }
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  void SetEof(bool v) { eof_ = v; }
  void SetBof(bool v) { bof_ = v; }
  uint8_t Version() const { return version_; }
  const DbfTableHeader& Header() const { return header_; }
  const std::string& Alias() const { return alias_; }
  bool HasMemo() const { return hasMemo_; }
  bool IsEncrypted() const { return encrypted_; }
  bool UseDeleted() const { return useDeleted_; }
  void SetUseDeleted(bool v) { useDeleted_ = v; }
  bool AutoFlush() const { return autoFlush_; }
  void SetAutoFlush(bool v) { autoFlush_ = v; }
  bool ExactMatch() const { return exactMatch_; }
  void SetExactMatch(bool v) { exactMatch_ = v; }
  bool ChangedElsewhere() const { return changedElsewhere_; }
  bool TableLocked() const { return tableLocked_; }
  int TableState() const { return tableState_; }
  void SetTableState(int s) { tableState_ = s; }
  bool RecordModified() const { return recordModified_; }
  void SetRecordModified(bool v) { recordModified_ = v; }
  TdfLokProtocol LockProtocol() const { return lockProtocol_; }
  const std::string& ReadPassword() const { return readPassword_; }
  const std::string& WritePassword() const { return writePassword_; }
  const std::vector<DbfFieldDescriptor>& Descriptors() const { return descriptors_; }
  uint8_t LanguageByte() const { return header_.language; }

 protected:
  // Re-reads the header and the count after the file was replaced (Pack).
  void ReloadHeaderAfterReplace();
  void MarkHeaderDirty() { headerDirty_ = true; }
  void SetPasswordsForReEncryption(const std::string& readPassword,
                                   const std::string& writePassword, bool encrypted);
  std::vector<DbfFieldDescriptor>& MutableDescriptors() { return descriptors_; }
  // The descriptor area as held in memory (field offsets and numbers filled in).
  std::vector<uint8_t> DescriptorArea() const;
  std::vector<uint8_t>& FieldChanged() { return fieldChanged_; }
  std::vector<uint8_t>& WorkBuffer() { return workBuffer_; }
  void CopyToSaved();

  std::unique_ptr<GSobjMemo> memo_;

 private:
  void ReadHeaderAndCount(bool atOpen);
  int64_t RecordsInFile(int64_t size, int32_t headerLength, int32_t recordLength);
  int64_t RecordOffset(int32_t n) const {
    return headerLength_ + static_cast<int64_t>(recordLength_) * (n - 1);
  }
  void SetLockOffsets();

  DbfTableHeader header_;
  std::string alias_;
  bool headerDirty_ = false;
  int tableState_ = 1;
  int32_t recordCount_ = 0;
  int32_t headerLength_ = 0;
  int32_t recordLength_ = 0;
  int32_t fieldCount_ = 0;
  std::vector<DbfFieldDescriptor> descriptors_;
  int32_t currentRecord_ = 0;
  uint8_t* recordBuffer_ = nullptr;
  std::vector<uint8_t> ownBuffer_;
  std::vector<uint8_t> savedRecord_;
  std::vector<uint8_t> workBuffer_;
  std::vector<uint8_t> fieldChanged_;
  bool eof_ = false;
  bool bof_ = true;
  uint8_t version_ = 0;
  bool tableLocked_ = false;
  uint8_t flagProduction_ = 0, flagMemo_ = 0, flagContainer_ = 0;
  uint32_t changeStamp_ = 0;
  bool changedElsewhere_ = false;
  bool recordWritten_ = false;
  bool recordModified_ = false;
  bool useDeleted_ = true;
  bool exactMatch_ = false;
  bool autoFlush_ = false;
  bool encrypted_ = false;
  std::string readPassword_;
  std::string writePassword_;
  uint32_t userId_ = 0;
  bool hasMemo_ = false;
  TdfLokProtocol lockProtocol_ = TdfLokProtocol::Default;
  int64_t fileLockOffset_ = 0x40000000;
  int64_t headerLockOffset_ = 0x7FFFFFFE;
  int64_t fileLockLength_ = 0x3FFFFFFF;
};

// True for the versions this engine opens.
bool IsKnownDbfVersion(uint8_t version);

}  // namespace kelmo::dbf
