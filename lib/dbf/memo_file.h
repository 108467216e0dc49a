// Memo files: the companion file of a table with memo fields, ".DBT" for
// dBase III (GSobjMemo) and dBase IV (GSobjMemo4) tables, ".fpt" for FoxPro
// tables (GSobjFXMemo20). Reads, writes, replaces and frees memos.
//
// Errors (EDbfError): "File %s could not be found" for a missing memo file;
// "Memo record is bad in %s" for a block header that does not match, a block
// or a length that lies past the end of the file, or a header block size of 0;
// "Can not Lock file %s" after 100 refused lock attempts (about 5 s); the disk
// file's read and write errors. A read costs one read per memo (dBase III
// without password: one per 512-byte block up to the end mark); a write is one
// buffer of whole blocks; dBase IV searches its singly linked free list.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "dbf_constants.h"
#include "disk_file.h"

namespace kelmo::dbf {

class GSobjMemo : public DFO_DiskFile {
 public:
  // Makes the memo object of the table's version (0x83 GSobjMemo, 0x8B
  // GSobjMemo4, 0xF5 and 0x30 GSobjFXMemo20) and opens the file.
  static std::unique_ptr<GSobjMemo> Make(uint8_t version, bool shared, bool readWrite,
                                         const std::string& password,
                                         const std::string& tableFileName, OsLayer& os);
  // The memo file name of a table file: extension ".fpt" or ".DBT" by version,
  // matched without regard to case against the files in the folder.
  static std::string MemoFileNameOf(const std::string& tableFileName, uint8_t version);

  GSobjMemo(uint8_t version, bool shared, bool readWrite, const std::string& password,
            const std::string& tableFileName, OsLayer& os);

  virtual int32_t PrepareBlocks(int32_t newLength);
  virtual void FreeBlocks(int32_t firstBlock);
  virtual int WriteEndMark(uint8_t* endOfData);
  virtual int32_t ReadBlockLength();
  void SetLockProtocol(TdfLokProtocol protocol);
  // Renames the memo file after the table (keeping its own extension).
  bool Rename(const std::string& newTableName) override;

  int32_t MemoBlockLength(int32_t block);
  int32_t MemoDataLength(int32_t block);
  // At most maxSize bytes of the memo at the block, decrypted; empty for block 0.
  std::string ReadMemoBlock(int32_t block, int32_t maxSize);
  // Stores the data as a memo replacing the one at firstBlock (0: none) and
  // answers the block where it went, also stored back into firstBlock.
  int32_t WriteMemoData(const void* data, int32_t& firstBlock, int32_t length);
  void LockMemoFile();
  void SetPasswords(const std::string& readPassword, const std::string& writePassword);

  uint8_t Version() const { return version_; }
  int32_t BlockSize() const { return blockSize_; }
  int32_t CurrentBlock() const { return currentBlock_; }
  int32_t BlockCount() const { return blockCount_; }

 protected:
  void Bad();
  int32_t BlocksFor(int64_t bytes) const {
    return static_cast<int32_t>((bytes + blockSize_ - 1) / blockSize_);
  }
  int64_t BlockOffset(int32_t block) const { return static_cast<int64_t>(block) * blockSize_; }
  int32_t PrefixLength() const;
  // Blocks that the header and the memos take: the file's size in blocks, a
  // last block cut short counted when it holds data.
  int32_t UsedBlocks();

  uint8_t version_;
  int32_t currentBlock_ = 0;
  int32_t blockCount_ = 0;
  int32_t blockSize_ = 512;
  std::array<uint8_t, 32> header_{};
  TdfLokProtocol lockProtocol_ = TdfLokProtocol::Default;
  int64_t fileLockOffset_ = 0x40000000;
  int64_t headerLockOffset_ = 0x7FFFFFFE;
  int64_t fileLockLength_ = 0x3FFFFFFF;
  int32_t blockHeaderLength_ = 0;
  bool decryptOnRead_ = false;
  std::string readPassword_;
  std::string writePassword_;
};

class GSobjMemo4 : public GSobjMemo {
 public:
  GSobjMemo4(uint8_t version, bool shared, bool readWrite, const std::string& password,
             const std::string& tableFileName, OsLayer& os);
  int32_t PrepareBlocks(int32_t newLength) override;
  void FreeBlocks(int32_t firstBlock) override;
  int WriteEndMark(uint8_t* endOfData) override;
  int32_t ReadBlockLength() override;
};

class GSobjFXMemo20 : public GSobjMemo {
 public:
  GSobjFXMemo20(uint8_t version, bool shared, bool readWrite, const std::string& password,
                const std::string& tableFileName, OsLayer& os);
  int32_t PrepareBlocks(int32_t newLength) override;
  int WriteEndMark(uint8_t* endOfData) override;
  int32_t ReadBlockLength() override;
  bool Rename(const std::string& newTableName) override;
};

}  // namespace kelmo::dbf
