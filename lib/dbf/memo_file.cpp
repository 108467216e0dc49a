// Memo files: dBase III, dBase IV and FoxPro layouts.
#include "memo_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "dbf_errors.h"
#include "dbf_records.h"
#include "engine_tools.h"
#include "table_encryption.h"

namespace kelmo::dbf {

namespace {
constexpr int32_t kDb3MaxMemo = 65519;
bool IsFox(uint8_t version) {
  return version == 0x30 || version == 0xF5;
}
}  // namespace

std::string GSobjMemo::MemoFileNameOf(const std::string& tableFileName, uint8_t version) {
  std::string trimmed = tableFileName;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  std::string name = MemoFileNameFor(DFO_DiskFile::FullFileName(trimmed), IsFox(version));
  return ResolveFileNameNoCase(name);
}

std::unique_ptr<GSobjMemo> GSobjMemo::Make(uint8_t version, bool shared, bool readWrite,
                                           const std::string& password,
                                           const std::string& tableFileName, OsLayer& os) {
  switch (version) {
    case 0x83:
      return std::make_unique<GSobjMemo>(version, shared, readWrite, password, tableFileName, os);
    case 0x8B:
      return std::make_unique<GSobjMemo4>(version, shared, readWrite, password, tableFileName, os);
    case 0xF5:
    case 0x30:
      return std::make_unique<GSobjFXMemo20>(version, shared, readWrite, password, tableFileName,
                                             os);
    default:
      return nullptr;
  }
}

GSobjMemo::GSobjMemo(uint8_t version, bool shared, bool readWrite, const std::string& password,
                     const std::string& tableFileName, OsLayer& os)
    : DFO_DiskFile(MemoFileNameOf(tableFileName, version), shared, readWrite, os),
      version_(version) {
  if (!Exists()) RaiseDbf(msg::kNotFound, {FileName()});
  Open();
  readPassword_ = writePassword_ = password;
  decryptOnRead_ = !password.empty();
}

void GSobjMemo::Bad() {
  RaiseDbf(msg::kMemoBad, {FileName()});
}

int32_t GSobjMemo::PrefixLength() const {
  if (blockHeaderLength_ > 0) return blockHeaderLength_;
  return writePassword_.empty() ? 0 : 4;
}

void GSobjMemo::SetPasswords(const std::string& readPassword, const std::string& writePassword) {
  readPassword_ = readPassword;
  writePassword_ = writePassword;
  decryptOnRead_ = true;
}

void GSobjMemo::SetLockProtocol(TdfLokProtocol protocol) {
  lockProtocol_ = protocol;
  const LockOffsets offsets = LockOffsetsFor(protocol);
  fileLockOffset_ = offsets.FileOffset;
  headerLockOffset_ = offsets.HeaderOffset;
  fileLockLength_ = offsets.FileLength;
}

void GSobjMemo::LockMemoFile() {
  for (int attempt = 0; attempt < LockAttempts; ++attempt) {
    bool ok = false;
    switch (lockProtocol_) {
      case TdfLokProtocol::DB4Lock:
        ok = LockRegion(headerLockOffset_ - 1, 2);
        break;
      case TdfLokProtocol::ClipLock:
        ok = LockRegion(headerLockOffset_, 1);
        break;
      case TdfLokProtocol::Default:
      case TdfLokProtocol::FoxLock:
        ok = LockRegion(headerLockOffset_ - 1, 1);
        break;
    }
    if (ok) return;
    Os().WaitMilliseconds(LockRetryWaitMs);
  }
  RaiseDbf(msg::kLock, {FileName()});
}

bool GSobjMemo::Rename(const std::string& newTableName) {
  std::string newName = MemoFileNameFor(newTableName, IsFox(version_));
  DFO_DiskFile::Rename(newName);
  uint8_t head[32] = {};
  Read(0, head, 32);
  std::memset(head + 8, 0, 9);
  std::string base = FileBaseName(newTableName).substr(0, 8);
  std::memcpy(head + 8, base.data(), base.size());
  Write(0, head, 32);
  return true;
}

int32_t GSobjMemo::ReadBlockLength() {
  return 0;
}

int32_t GSobjMemo::MemoBlockLength(int32_t block) {
  if (block == 0) return blockHeaderLength_;
  const int64_t size = FileSize();
  const int64_t start = BlockOffset(block);
  if (block < 0 || start >= size) Bad();
  if (blockHeaderLength_ > 0) {
    if (Read(static_cast<int32_t>(start), header_.data(), 32) < 8) Bad();
    int32_t len = ReadBlockLength();
    if (len < blockHeaderLength_ || start + len > size) Bad();
    return len;
  }
  if (!readPassword_.empty()) {
    if (Read(static_cast<int32_t>(start), header_.data(), 4) < 4) Bad();
    int64_t len = GetLe32(header_.data());
    if (len < 0 || start + 4 + len > size) Bad();
    return static_cast<int32_t>(len);
  }
  // dBase III without password: count up to the first end mark.
  std::vector<uint8_t> buf(static_cast<size_t>(blockSize_));
  int32_t length = 0;
  int64_t offset = start;
  while (length < kDb3MaxMemo) {
    int32_t n = Read(static_cast<int32_t>(offset), buf.data(), blockSize_);
    if (n <= 0) break;
    for (int32_t i = 0; i < n && length < kDb3MaxMemo; ++i) {
      if (buf[static_cast<size_t>(i)] == 0x1A) return length;
      ++length;
    }
    if (n < blockSize_) break;
    offset += n;
  }
  return length;
}

int32_t GSobjMemo::MemoDataLength(int32_t block) {
  return MemoBlockLength(block) - blockHeaderLength_;
}

std::string GSobjMemo::ReadMemoBlock(int32_t block, int32_t maxSize) {
  if (maxSize <= 0) return {};
  currentBlock_ = block;
  if (block == 0) return {};
  int32_t dataLength = MemoDataLength(block);
  int32_t size = std::min(maxSize, dataLength);
  int32_t prefix = blockHeaderLength_ > 0 ? blockHeaderLength_ : (readPassword_.empty() ? 0 : 4);
  blockCount_ = BlocksFor(static_cast<int64_t>(prefix) + dataLength);
  std::string out(static_cast<size_t>(size), '\0');
  int32_t n = Read(static_cast<int32_t>(BlockOffset(block) + prefix), out.data(), size);
  if (n < size) Bad();
  if (decryptOnRead_) EncryptTableBuffer(readPassword_, out.data(), out.data(), size, false);
  return out;
}

int32_t GSobjMemo::PrepareBlocks(int32_t newLength) {
  const int32_t needed =
      BlocksFor(static_cast<int64_t>(PrefixLength()) + newLength + (version_ == 0x83 ? 2 : 0));
  if (currentBlock_ < 1 || blockCount_ < needed) {
    uint8_t head[32] = {};
    int headSize = IsFox(version_) ? 8 : 32;
    Read(0, head, headSize);
    int32_t next =
        IsFox(version_) ? static_cast<int32_t>(GetBe32(head)) : static_cast<int32_t>(GetLe32(head));
    // A next-free value inside the header or the used blocks (0, 1, or
    // 0xFFFFFFFF read as -1, as damaged files and careless writers leave it)
    // would overwrite what is there: such a memo goes past the true end.
    const int32_t usedBlocks = UsedBlocks();
    if (next < usedBlocks) next = usedBlocks;
    currentBlock_ = next;
    if (IsFox(version_)) {
      PutBe32(head, static_cast<uint32_t>(next + needed));
    } else {
      PutLe32(head, static_cast<uint32_t>(next + needed));
    }
    Write(0, head, headSize);
  }
  blockCount_ = needed;
  header_.fill(0);
  return currentBlock_;
}

int32_t GSobjMemo::UsedBlocks() {
  const int32_t size = FileSize();
  int32_t blocks = size / blockSize_;
  // A last block cut short holds a memo's end unless it holds only end marks
  // or zeros (dBase III ends a new file with one mark after its header).
  const int32_t tail = size - blocks * blockSize_;
  if (tail > 0) {
    std::vector<uint8_t> bytes(static_cast<size_t>(tail));
    const int32_t n = Read(static_cast<int32_t>(BlockOffset(blocks)), bytes.data(), tail);
    if (n != tail ||
        std::any_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0x1A && b != 0; }))
      ++blocks;
  }
  return std::max(blocks, BlocksFor(IsFox(version_) ? 512 : blockSize_));
}

void GSobjMemo::FreeBlocks(int32_t) {}

int GSobjMemo::WriteEndMark(uint8_t* endOfData) {
  endOfData[0] = 0x1A;
  endOfData[1] = 0x1A;
  return 2;
}

int32_t GSobjMemo::WriteMemoData(const void* data, int32_t& firstBlock, int32_t length) {
  if (length == 0 && firstBlock == 0) return 0;
  if (length < 0) length = 0;
  const bool locked = IsShared();
  if (locked) LockMemoFile();
  try {
    int32_t oldLength = 0;
    if (firstBlock > 0) {
      oldLength = MemoBlockLength(firstBlock);
      if (blockHeaderLength_ == 0 && !readPassword_.empty()) oldLength += 4;
      if (blockHeaderLength_ == 0) oldLength += 2;
    }
    blockCount_ = BlocksFor(oldLength);
    currentBlock_ = firstBlock;
    PrepareBlocks(length);
    const int32_t prefix = PrefixLength();
    const int32_t tail = version_ == 0x83 ? 2 : 0;
    const int32_t size = BlocksFor(static_cast<int64_t>(prefix) + length + tail) * blockSize_;
    std::vector<uint8_t> buf(static_cast<size_t>(size), 0);
    if (blockHeaderLength_ > 0) {
      std::memcpy(buf.data(), header_.data(), static_cast<size_t>(blockHeaderLength_));
    } else if (prefix == 4) {
      PutLe32(buf.data(), static_cast<uint32_t>(length));
    }
    if (length > 0) {
      EncryptTableBuffer(writePassword_, data, buf.data() + prefix, length, true);
    }
    WriteEndMark(buf.data() + prefix + length);
    if (BlockOffset(currentBlock_) + size > INT32_MAX) Bad();
    Write(static_cast<int32_t>(BlockOffset(currentBlock_)), buf.data(), size);
    firstBlock = currentBlock_;
  } catch (...) {
    if (locked) Unlock();
    throw;
  }
  if (locked) Unlock();
  return currentBlock_;
}

// dBase IV.

GSobjMemo4::GSobjMemo4(uint8_t version, bool shared, bool readWrite, const std::string& password,
                       const std::string& tableFileName, OsLayer& os)
    : GSobjMemo(version, shared, readWrite, password, tableFileName, os) {
  uint8_t head[32] = {};
  Read(0, head, 32);
  uint32_t bs = GetLe32(head + 20);
  if (bs == 0 || bs > (1u << 20)) Bad();
  blockSize_ = static_cast<int32_t>(bs);
  if (FileSize() < blockSize_ && IsReadWrite()) {
    std::vector<uint8_t> block(static_cast<size_t>(blockSize_), 0);
    std::memcpy(block.data(), head, 32);
    Write(0, block.data(), blockSize_);
  }
  blockHeaderLength_ = 8;
}

int32_t GSobjMemo4::ReadBlockLength() {
  if (header_[0] != 0xFF || header_[1] != 0xFF) Bad();
  int64_t len = GetLe32(header_.data() + 4);
  if (len > INT32_MAX) Bad();
  return static_cast<int32_t>(len);
}

int GSobjMemo4::WriteEndMark(uint8_t*) {
  return 0;
}

void GSobjMemo4::FreeBlocks(int32_t firstBlock) {
  if (firstBlock <= 0) return;
  uint8_t run[8] = {};
  if (Read(static_cast<int32_t>(BlockOffset(firstBlock)), run, 8) < 8) Bad();
  int32_t count = BlocksFor(GetLe32(run + 4));
  uint8_t head[8] = {};
  Read(0, head, 8);
  uint8_t freed[8] = {};
  std::memcpy(freed, head, 4);
  PutLe32(freed + 4, static_cast<uint32_t>(count));
  Write(static_cast<int32_t>(BlockOffset(firstBlock)), freed, 8);
  PutLe32(head, static_cast<uint32_t>(firstBlock));
  PutLe32(head + 4, 0);
  Write(0, head, 8);
}

int32_t GSobjMemo4::PrepareBlocks(int32_t newLength) {
  if (currentBlock_ > 0) FreeBlocks(currentBlock_);
  const int32_t needed = BlocksFor(static_cast<int64_t>(blockHeaderLength_) + newLength);
  int32_t size = FileSize();
  int32_t fileBlocks = size / blockSize_;
  if (fileBlocks < 1) {
    fileBlocks = 1;
    uint8_t head[32] = {};
    Read(0, head, 32);
    Write(0, head, 32);
  }
  int32_t predecessor = 0;  // 0 = the file header
  uint8_t head[8] = {};
  Read(0, head, 8);
  int32_t run = static_cast<int32_t>(GetLe32(head));
  int32_t chosen = -1;
  int guard = fileBlocks + 1;
  while (run > 0 && run < fileBlocks && guard-- > 0) {
    uint8_t r[8] = {};
    Read(static_cast<int32_t>(BlockOffset(run)), r, 8);
    int32_t next = static_cast<int32_t>(GetLe32(r));
    int32_t count = static_cast<int32_t>(GetLe32(r + 4));
    if (count >= needed) {
      chosen = run;
      int32_t link = next;
      if (count > needed) {
        uint8_t rest[8] = {};
        PutLe32(rest, static_cast<uint32_t>(next));
        PutLe32(rest + 4, static_cast<uint32_t>(count - needed));
        Write(static_cast<int32_t>(BlockOffset(run + needed)), rest, 8);
        link = run + needed;
      }
      uint8_t p[4];
      PutLe32(p, static_cast<uint32_t>(link));
      Write(static_cast<int32_t>(BlockOffset(predecessor)), p, 4);
      break;
    }
    predecessor = run;
    run = next;
  }
  if (chosen < 0) {
    chosen = std::max(BlocksFor(FileSize()), 1);
    uint8_t p[4];
    PutLe32(p, static_cast<uint32_t>(chosen + needed));
    Write(static_cast<int32_t>(BlockOffset(predecessor)), p, 4);
  }
  currentBlock_ = chosen;
  blockCount_ = needed;
  header_.fill(0);
  header_[0] = 0xFF;
  header_[1] = 0xFF;
  PutLe16(header_.data() + 2, 8);
  PutLe32(header_.data() + 4, static_cast<uint32_t>(newLength + 8));
  return currentBlock_;
}

// FoxPro.

GSobjFXMemo20::GSobjFXMemo20(uint8_t version, bool shared, bool readWrite,
                             const std::string& password, const std::string& tableFileName,
                             OsLayer& os)
    : GSobjMemo(version, shared, readWrite, password, tableFileName, os) {
  uint8_t head[32] = {};
  Read(0, head, 32);
  blockSize_ = GetBe16(head + 6);
  if (blockSize_ == 0) Bad();
  blockHeaderLength_ = 8;
}

int32_t GSobjFXMemo20::ReadBlockLength() {
  uint32_t type = GetBe32(header_.data());
  if (type != 1 && type != 0) Bad();
  int64_t len = static_cast<int64_t>(GetBe32(header_.data() + 4)) + 8;
  if (len > INT32_MAX) Bad();
  return static_cast<int32_t>(len);
}

int GSobjFXMemo20::WriteEndMark(uint8_t*) {
  return 0;
}

int32_t GSobjFXMemo20::PrepareBlocks(int32_t newLength) {
  GSobjMemo::PrepareBlocks(newLength);
  PutBe32(header_.data(), 1);
  PutBe32(header_.data() + 4, static_cast<uint32_t>(newLength));
  return currentBlock_;
}

bool GSobjFXMemo20::Rename(const std::string& newTableName) {
  return DFO_DiskFile::Rename(MemoFileNameFor(newTableName, true));
}

}  // namespace kelmo::dbf
