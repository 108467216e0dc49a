// Index framework: cursor path, seeks, walks, ranges, key maintenance with
// page splits, and the bottom-up build shared by every format. Layer: index
// files, above the disk file and the expressions, below the table handler.
#include "index_framework.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dbf_expression_tools.h"
#include "key_sorter.h"

namespace kelmo::dbf {

std::string ZeroTerminatedText(const uint8_t* p, size_t size) {
  size_t n = 0;
  while (n < size && p[n]) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}

std::string IndexBaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string IndexUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return text;
}

// ---------------------------------------------------------------------------
// Disk file

IndexDiskFile::~IndexDiskFile() {
  // Bytes still gathered belong to a build that did not finish: a write now
  // could fail with no one to tell.
  DropBatch();
  if (handle_ >= 0) os_.CloseFile(handle_);
}

std::unique_ptr<IndexDiskFile> IndexDiskFile::Open(const std::string& path, bool readWrite,
                                                   bool shared, OsLayer& os) {
  if (!os.FileExists(path)) return nullptr;
  int handle = os.OpenFile(path, readWrite, shared);
  if (handle < 0) throw EDbfError(DbfFormat("Access denied to file %s", path.c_str()));
  return std::unique_ptr<IndexDiskFile>(new IndexDiskFile(handle, path, readWrite, shared, os));
}

std::unique_ptr<IndexDiskFile> IndexDiskFile::Create(const std::string& path, bool shared,
                                                     OsLayer& os) {
  int handle = os.CreateFile(path);
  if (handle < 0) throw EDbfError(DbfFormat("Could not create file %s", path.c_str()));
  return std::unique_ptr<IndexDiskFile>(new IndexDiskFile(handle, path, true, shared, os));
}

int64_t IndexDiskFile::Read(int64_t offset, void* buffer, int64_t count) {
  WriteBatch();
  const bool keepable =
      !shared_ && count > 0 && count <= kLargestKeptRead && offset % kKeptAlignment == 0;
  if (keepable) {
    auto it = keptAt_.find(offset);
    if (it != keptAt_.end()) {
      KeptPage& page = kept_[it->second];
      if (static_cast<int64_t>(page.bytes.size()) == count) {
        std::memcpy(buffer, page.bytes.data(), static_cast<size_t>(count));
        page.referenced = true;
        return count;
      }
    }
  }
  int64_t n = os_.ReadAt(handle_, offset, buffer, count);
  if (n < 0) throw EDbfError(DbfFormat("Error on Read of file %s", path_.c_str()));
  if (keepable && n == count) KeepPage(offset, buffer, count);
  return n;
}

void IndexDiskFile::Write(int64_t offset, const void* buffer, int64_t count) {
  if (batching_ && count > 0 && static_cast<size_t>(count) <= kBatchBytes) {
    ++generation_;
    ForgetPages(offset, count);
    if (!batch_.empty() && (offset != batchOffset_ + static_cast<int64_t>(batch_.size()) ||
                            batch_.size() + static_cast<size_t>(count) > kBatchBytes)) {
      WriteBatch();
    }
    if (batch_.empty()) batchOffset_ = offset;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    batch_.insert(batch_.end(), bytes, bytes + count);
    return;
  }
  WriteBatch();
  WriteThrough(offset, buffer, count);
}

void IndexDiskFile::WriteBatch() {
  if (batch_.empty()) return;
  const int64_t count = static_cast<int64_t>(batch_.size());
  const bool written = os_.WriteAt(handle_, batchOffset_, batch_.data(), count) == count;
  batch_.clear();
  if (!written) throw EDbfError(DbfFormat("Error writing to %s", path_.c_str()));
}

void IndexDiskFile::EndBatch() {
  batching_ = false;
  WriteBatch();
}

void IndexDiskFile::DropBatch() {
  batching_ = false;
  batch_.clear();
}

void IndexDiskFile::WriteThrough(int64_t offset, const void* buffer, int64_t count) {
  ++generation_;
  // The kept pages go first: a failed write leaves the file's bytes unknown.
  auto it = keptAt_.find(offset);
  const bool samePage =
      it != keptAt_.end() && static_cast<int64_t>(kept_[it->second].bytes.size()) == count;
  if (!samePage) ForgetPages(offset, count);
  if (os_.WriteAt(handle_, offset, buffer, count) != count) {
    if (samePage) ForgetPages(offset, count);
    throw EDbfError(DbfFormat("Error writing to %s", path_.c_str()));
  }
  if (samePage) std::memcpy(kept_[it->second].bytes.data(), buffer, static_cast<size_t>(count));
}

void IndexDiskFile::KeepPage(int64_t offset, const void* buffer, int64_t count) {
  ForgetPages(offset, count);
  while (keptBytes_ + static_cast<size_t>(count) > kPageCacheBytes && !keptAt_.empty()) {
    EvictOne();
  }
  size_t slot;
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    slot = kept_.size();
    kept_.emplace_back();
  }
  KeptPage& page = kept_[slot];
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  page.offset = offset;
  page.bytes.assign(bytes, bytes + count);
  page.referenced = false;
  keptAt_.emplace(offset, slot);
  keptBytes_ += static_cast<size_t>(count);
  largestKept_ = std::max(largestKept_, count);
}

void IndexDiskFile::EvictOne() {
  for (;;) {
    if (clockHand_ >= kept_.size()) clockHand_ = 0;
    KeptPage& page = kept_[clockHand_];
    if (page.offset >= 0 && !page.referenced) {
      ForgetSlot(clockHand_++);
      return;
    }
    page.referenced = false;
    ++clockHand_;
  }
}

void IndexDiskFile::ForgetSlot(size_t slot) {
  KeptPage& page = kept_[slot];
  keptAt_.erase(page.offset);
  keptBytes_ -= page.bytes.size();
  page.offset = -1;
  page.referenced = false;
  freeSlots_.push_back(slot);
}

void IndexDiskFile::ForgetPages(int64_t offset, int64_t count) {
  if (keptAt_.empty()) return;
  // A kept page starts at a multiple of the alignment and reaches into the
  // range when it starts less than the longest kept page before it.
  int64_t from = offset - largestKept_ + 1;
  from = from <= 0 ? 0 : (from + kKeptAlignment - 1) / kKeptAlignment * kKeptAlignment;
  for (int64_t at = from; at < offset + count; at += kKeptAlignment) {
    auto it = keptAt_.find(at);
    if (it == keptAt_.end()) continue;
    if (at + static_cast<int64_t>(kept_[it->second].bytes.size()) > offset) ForgetSlot(it->second);
  }
  if (keptAt_.empty()) ForgetAll();
}

void IndexDiskFile::ForgetAll() {
  keptAt_.clear();
  kept_.clear();
  freeSlots_.clear();
  clockHand_ = 0;
  keptBytes_ = 0;
  largestKept_ = 0;
}

int64_t IndexDiskFile::Size() {
  int64_t size = os_.FileSizeOf(handle_);
  if (size < 0) throw EDbfError(DbfFormat("Error getting FileSize for file %s", path_.c_str()));
  // The gathered bytes count as written.
  if (!batch_.empty()) size = std::max(size, batchOffset_ + static_cast<int64_t>(batch_.size()));
  return size;
}

void IndexDiskFile::Truncate(int64_t size) {
  WriteBatch();
  ++generation_;
  ForgetAll();
  if (os_.TruncateFileHandle(handle_, size) != 0) {
    throw EDbfError(DbfFormat("Error in Truncate of file %s", path_.c_str()));
  }
}

void IndexDiskFile::Flush() {
  WriteBatch();
  if (!os_.FlushFileHandle(handle_)) {
    throw EDbfError(DbfFormat("Error on Flush for file %s", path_.c_str()));
  }
}

bool IndexDiskFile::Rename(const std::string& newPath) {
  WriteBatch();
  if (!os_.RenameFile(path_, newPath)) return false;
  path_ = newPath;
  return true;
}

bool IndexDiskFile::LockRegion(int64_t offset, int64_t length) {
  WriteBatch();
  return os_.LockFileRegion(handle_, length, offset);
}

void IndexDiskFile::UnlockRegion(int64_t offset, int64_t length) {
  os_.UnlockFileRegion(handle_, length, offset);
}

// ---------------------------------------------------------------------------
// Index file

GSobjIndexFile::GSobjIndexFile(IndexTableLink* t, std::string kindExtension)
    : table(t), kindExtension_(std::move(kindExtension)) {
  exact = table ? table->ExactMatch() : true;
}

GSobjIndexFile::~GSobjIndexFile() = default;

int32_t GSobjIndexFile::CheckedPageAddress(int64_t address, int64_t limit) const {
  if (address > limit) throw EDbfError(DbfFormat("Error writing to %s", fileName.c_str()));
  return static_cast<int32_t>(address);
}

int32_t GSobjIndexFile::NextPageOffset(int pageSize, int64_t limit) {
  if (nextFree < 0) nextFree = (disk->Size() + pageSize - 1) / pageSize * pageSize;
  int64_t page = nextFree;
  nextFree += pageSize;
  return CheckedPageAddress(page, limit);
}

bool GSobjIndexFile::OpenDiskFile(const std::string& given, bool create, bool readWrite,
                                  const std::string& defaultExtension) {
  std::string name = given;
  while (!name.empty() && name.back() == ' ') name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(0, 1);
  size_t slash = name.find_last_of('/');
  size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    name += defaultExtension;
  }
  if (name.find('/') == std::string::npos && table) {
    std::string t = table->TableFileName();
    size_t ts = t.find_last_of('/');
    if (ts != std::string::npos) name = t.substr(0, ts + 1) + name;
  }
  slash = name.find_last_of('/');
  fileName = slash == std::string::npos ? name : name.substr(slash + 1);
  bool shared = table && table->SharedAccess();
  OsLayer& os = table ? table->Os() : DefaultOsLayer();
  disk = create ? IndexDiskFile::Create(name, shared, os)
                : IndexDiskFile::Open(name, readWrite, shared, os);
  return disk != nullptr;
}

void GSobjIndexFile::ReadPage(int32_t address, void* buffer, int32_t count) {
  int64_t offset = static_cast<int64_t>(address) * PageUnit();
  if (!disk || address < 0 || disk->Read(offset, buffer, count) != count) {
    throw EDbfError(DbfFormat("Index file %s is corrupted", fileName.c_str()));
  }
  if (table) table->CipherPage(static_cast<uint8_t*>(buffer), count, false);
}

void GSobjIndexFile::WritePage(int32_t address, const void* buffer, int32_t count) {
  if (!disk) return;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  writeCopy_.assign(bytes, bytes + count);
  if (table) table->CipherPage(writeCopy_.data(), count, true);
  disk->Write(static_cast<int64_t>(address) * PageUnit(), writeCopy_.data(), count);
}

bool GSobjIndexFile::UpdateRecordKeys(int32_t record, bool isAppend) {
  nextFree = -1;
  bool changed = false;
  for (auto& tag : tags) changed |= tag->UpdateRecordKey(record, isAppend);
  return changed;
}

void GSobjIndexFile::Flush() {
  for (auto& tag : tags) tag->ReleaseCursor();
  if (disk && disk->ReadWrite()) disk->Flush();
}

bool GSobjIndexFile::Rename(const std::string& newName) {
  if (!disk) return false;
  std::string path = newName;
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
    path.erase(dot);
  }
  const std::string& old = disk->Path();
  size_t oldDot = old.find_last_of('.');
  size_t oldSlash = old.find_last_of('/');
  if (oldDot != std::string::npos && (oldSlash == std::string::npos || oldDot > oldSlash)) {
    path += old.substr(oldDot);
  }
  if (!disk->Rename(path)) return false;
  slash = path.find_last_of('/');
  fileName = slash == std::string::npos ? path : path.substr(slash + 1);
  return true;
}

void GSobjIndexFile::SetLockProtocol(int code) {
  lockProtocol = code;
  // An unknown code keeps the addresses it had.
  if (code < 0 || code > 3) return;
  const LockOffsets offsets = LockOffsetsFor(static_cast<TdfLokProtocol>(code));
  lockAddresses[0] = offsets.HeaderOffset;
  lockAddresses[1] = offsets.FileOffset;
  lockAddresses[2] = offsets.FileLength;
}

namespace {
// The byte range a protocol locks: (offset, length).
std::pair<int64_t, int64_t> LockRange(int protocol, const int64_t addresses[3]) {
  if (protocol == 1) return {addresses[0] - 1, 2};
  if (protocol == 2) return {addresses[1], 1};
  return {addresses[0] - 1, 1};
}
}  // namespace

bool GSobjIndexFile::LockIndexFile() {
  if (!disk) return false;
  if (!disk->Shared()) return true;
  constexpr int kTries = 5000 / 50;
  for (int i = 0; i < kTries; ++i) {
    if (lockProtocol >= 0 && lockProtocol <= 3) {
      auto [offset, length] = LockRange(lockProtocol, lockAddresses);
      if (disk->LockRegion(offset, length)) return true;
    }
    disk->Os().WaitMilliseconds(50);
  }
  throw EDbfError(DbfFormat("Can not Lock file %s", disk->Path().c_str()));
}

void GSobjIndexFile::UnlockIndexFile() {
  if (!disk || !disk->Shared() || lockProtocol < 0 || lockProtocol > 3) return;
  auto [offset, length] = LockRange(lockProtocol, lockAddresses);
  disk->UnlockRegion(offset, length);
}

void GSobjIndexFile::ReEncrypt() {
  if (!disk || !table) return;
  for (auto& tag : tags) tag->ReleaseCursor();
  int64_t blocks = disk->Size() / 512;
  uint8_t block[512];
  for (int64_t b = 0; b < blocks; ++b) {
    if (disk->Read(b * 512, block, 512) != 512) break;
    table->ReCipherPage(block, 512);
    disk->Write(b * 512, block, 512);
  }
}

bool GSobjIndexFile::IndexFileMatchesName(const std::string& path) const {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return IndexUpper(name) == IndexUpper(fileName);
}

GSobjIndexTag* GSobjIndexFile::IndexTagByName(const std::string& name) const {
  for (const auto& tag : tags) {
    if (IndexUpper(tag->name) == IndexUpper(name)) return tag.get();
  }
  return nullptr;
}

GSobjIndexTag* GSobjIndexFile::IndexTagByNumber(int n) const {
  if (n < 0 || n >= IndexTagCount()) return nullptr;
  return tags[static_cast<size_t>(n)].get();
}

// ---------------------------------------------------------------------------
// Tag: definition

GSobjIndexTag::GSobjIndexTag(GSobjIndexFile& f, std::string k, std::string n, int32_t header)
    : kind(std::move(k)), name(std::move(n)), headerPage(header), file(f) {}

GSobjIndexTag::~GSobjIndexTag() = default;

void GSobjIndexTag::Corrupt() const {
  throw EDbfError(DbfFormat("Index file %s is corrupted", file.fileName.c_str()));
}

size_t GSobjIndexTag::BuildFill(bool leaf, int64_t) const {
  return NodeCapacity(leaf, false);
}

bool GSobjIndexTag::Fits(const GSobjIndexKey& node, bool rightmost) const {
  return node.entries.size() <= NodeCapacity(node.leaf, rightmost);
}

size_t GSobjIndexTag::SplitCount(const GSobjIndexKey& node) const {
  size_t n = node.entries.size();
  return std::min(n - n / 2, NodeCapacity(node.leaf, false));
}

bool GSobjIndexTag::BuildNodeFull(const GSobjIndexKey& node, int64_t totalKeys) const {
  return node.entries.size() >= std::max<size_t>(2, BuildFill(node.leaf, totalKeys));
}

int32_t GSobjIndexTag::AllocatePage() {
  return file.AllocatePage();
}

std::string GSobjIndexTag::PseudoHighKey() const {
  if (keyForm == IndexKeyForm::kFloat) {
    uint8_t b[8];
    PutLEDouble(b, DescendingByComparison() ? -1.7e308 : 1.7e308);
    return std::string(reinterpret_cast<char*>(b), 8);
  }
  return DescendingByComparison() ? std::string() : std::string(1, '\xFF');
}

void GSobjIndexTag::CompileExpressions() {
  keyHandler.reset();
  forHandler.reset();
  hasFor = false;
  TdfExpUserLink* link = file.table ? file.table->ExpressionLink() : nullptr;
  if (!file.table) return;
  if (!keyExpression.empty()) keyHandler = std::make_unique<TdfExpHandler>(link, keyExpression);
  std::string f = forExpression;
  while (!f.empty() && f.back() == ' ') f.pop_back();
  if (!f.empty()) {
    forHandler = std::make_unique<TdfExpHandler>(link, f);
    hasFor = true;
  }
}

bool GSobjIndexTag::EvaluateKey(std::string& key, TdfExpVariant* raw, uint8_t* rawType) {
  if (!keyHandler) return false;
  TdfExpVariant value;
  keyHandler->Evaluate(value);
  uint8_t type = keyHandler->GetResultType();
  if (raw) *raw = value;
  if (rawType) *rawType = type;
  key = FormatKey(value, type, true);
  return true;
}

bool GSobjIndexTag::ForCondition() {
  if (!forHandler) return true;
  TdfExpVariant value;
  forHandler->Evaluate(value);
  return forHandler->GetResultType() == etBoolean && VariantToBool(value);
}

// ---------------------------------------------------------------------------
// Tag: comparison and the cursor path

int GSobjIndexTag::CompareKeys(const std::string& search, const std::string& entry,
                               int partial) const {
  // Numbers and dates match whole: a prefix of their bytes is another value.
  if (keyType != 'C') partial = -1;
  int r;
  if (keyForm == IndexKeyForm::kFloat && search.size() == 8 && entry.size() == 8) {
    double a = GetLEDouble(reinterpret_cast<const uint8_t*>(search.data()));
    double b = GetLEDouble(reinterpret_cast<const uint8_t*>(entry.data()));
    r = a < b ? -1 : a > b ? 1 : 0;
  } else {
    size_t n = std::min(search.size(), entry.size());
    int c = n ? std::memcmp(search.data(), entry.data(), n) : 0;
    if (c) {
      r = c < 0 ? -1 : 1;
    } else if (search.size() == entry.size()) {
      r = 0;
    } else if (search.size() < entry.size()) {
      r = partial;
    } else {
      r = 1;
    }
  }
  return DescendingByComparison() ? -r : r;
}

void GSobjIndexTag::TrimPath(size_t size) {
  while (path_.size() > size) {
    std::shared_ptr<GSobjIndexKey>& node = path_.back().node;
    if (node && node.use_count() == 1 && spareNodes_.size() < kMaxDepth) {
      spareNodes_.push_back(std::move(node));
    }
    path_.pop_back();
  }
}

std::shared_ptr<GSobjIndexKey> GSobjIndexTag::TakeNode(int32_t page) {
  std::shared_ptr<GSobjIndexKey> node;
  if (spareNodes_.empty()) {
    node = std::make_shared<GSobjIndexKey>();
  } else {
    node = std::move(spareNodes_.back());
    spareNodes_.pop_back();
    // The entries keep their room; everything else starts afresh.
    node->entries.clear();
    node->leaf = true;
    node->dirty = false;
    node->leftSibling = node->rightSibling = -1;
    node->cachedCount = node->cachedBytes = 0;
  }
  node->page = page;
  return node;
}

std::shared_ptr<GSobjIndexKey> GSobjIndexTag::ReadNode(int32_t page,
                                                       const GSobjIndexKeyData* parentEntry,
                                                       bool rightmost) {
  const IndexDiskFile* disk = file.Disk();
  const bool keep = disk && !disk->Shared() && !changingKeys_;
  if (keep) {
    if (decodedGeneration_ != disk->Generation()) {
      decoded_.clear();
      decodedGeneration_ = disk->Generation();
    }
    auto it = decoded_.find(page);
    if (it != decoded_.end() && it->second.rightmost == rightmost &&
        (parentEntry ? it->second.parentValue == parentEntry->value &&
                           it->second.parentRecord == parentEntry->record
                     : it->second.parentValue.empty() && it->second.parentRecord == -1)) {
      return it->second.node;
    }
  } else if (!decoded_.empty()) {
    decoded_.clear();
  }
  std::shared_ptr<GSobjIndexKey> node = TakeNode(page);
  ReadNodePage(*node, parentEntry, rightmost);
  // When full, the nodes kept first stay: the upper levels, which every seek reads.
  if (keep && !node->leaf && decoded_.size() < kMaxDecodedNodes) {
    DecodedNode& d = decoded_[page];
    d.node = node;
    d.parentValue = parentEntry ? parentEntry->value : std::string();
    d.parentRecord = parentEntry ? parentEntry->record : -1;
    d.rightmost = rightmost;
  }
  return node;
}

void GSobjIndexTag::LoadRoot() {
  TrimPath(0);
  walkedLeaves_.clear();
  walkDirection_ = 0;
  Frame f;
  f.node = ReadNode(rootPage, nullptr, true);
  path_.push_back(std::move(f));
}

bool GSobjIndexTag::IsRightmost(size_t depth) const {
  for (size_t j = 0; j < depth; ++j) {
    const Frame& f = path_[j];
    if (f.pos != static_cast<int>(f.node->entries.size()) - 1) return false;
  }
  return true;
}

void GSobjIndexTag::LoadChild(size_t depth) {
  Frame& parent = path_[depth];
  if (parent.node->leaf || parent.pos < 0 ||
      parent.pos >= static_cast<int>(parent.node->entries.size())) {
    Corrupt();
  }
  const GSobjIndexKeyData& entry = parent.node->entries[static_cast<size_t>(parent.pos)];
  if (path_.size() > depth + 1 && path_[depth + 1].node->page == entry.link) {
    TrimPath(depth + 2);
    return;
  }
  TrimPath(depth + 1);
  if (depth + 1 >= kMaxDepth || entry.link <= 0) Corrupt();
  for (const Frame& f : path_) {
    if (f.node->page == entry.link) Corrupt();  // a page that loops back
  }
  Frame child;
  child.node = ReadNode(entry.link, &entry, IsRightmost(depth + 1));
  path_.push_back(std::move(child));
}

int GSobjIndexTag::Seek(const std::string& key, int32_t record, int partial) {
  if (path_.empty()) LoadRoot();
  TrimPath(1);
  for (size_t depth = 0;; ++depth) {
    Frame& f = path_[depth];
    auto& entries = f.node->entries;
    auto below = [&](const GSobjIndexKeyData& e) {
      int r = CompareKeys(key, e.value, partial);
      if (r != 0) return r > 0;
      if (record == kLastRecord) return true;
      if (record == -1 || !file.recordNumberOrder) return false;
      return record > e.record;
    };
    // The entries of a page are in key order: the first one not below the
    // searched key is found by halving.
    size_t i = static_cast<size_t>(std::partition_point(entries.begin(), entries.end(), below) -
                                   entries.begin());
    if (!f.node->leaf) {
      if (entries.empty()) Corrupt();
      if (i == entries.size()) i = entries.size() - 1;
      f.pos = static_cast<int>(i);
      LoadChild(depth);
      continue;
    }
    f.pos = static_cast<int>(i);
    if (i == entries.size()) return 1;
    current = entries[i];
    return CompareKeys(key, entries[i].value, partial) == 0 ? 0 : -1;
  }
}

std::string GSobjIndexTag::CharacterKeyText(const TdfExpVariant& value, uint8_t type) {
  return type == etBoolean ? (VariantToBool(value) ? "T" : "F") : VariantToText(value);
}

void GSobjIndexTag::TrimTrailingBlanks(std::string& key) {
  while (!key.empty() && key.back() == ' ') key.pop_back();
}

double GSobjIndexTag::NumericKeyValue(const TdfExpVariant& value, uint8_t type) const {
  if (type != etText) return VariantToNumber(value);
  std::string text = VariantToText(value);
  return keyType == 'D' ? exptools::TextToJulian(text) : std::strtod(text.c_str(), nullptr);
}

void GSobjIndexTag::CheckExpressionsFit(bool fit, const std::string& key) {
  if (!fit) throw EDbfExpression(DbfFormat("Syntax Error in expression \"%s\"", key.c_str()));
}

void GSobjIndexTag::CheckKeyLength() const {
  if (keyLength < 1 || keyLength > TdfSort::kMaxKeyLength) {
    throw EDbfError(
        DbfFormat("Sort key length must be 1-%d bytes, is %d", TdfSort::kMaxKeyLength, keyLength));
  }
}

void GSobjIndexTag::OpenHeader(int32_t header, int pages) {
  if (header != -1) {
    ReadHeader();
    return;
  }
  headerPage = file.AllocatePage();
  for (int i = 1; i < pages; ++i) file.AllocatePage();
  headerDirty = true;
}

bool GSobjIndexTag::CompileDefinition(const std::string& key, const std::string& forExpr, bool u,
                                      bool asc, TdfExpVariant& value) {
  keyExpression = key;
  forExpression = forExpr;
  unique = u;
  ascending = asc;
  CompileExpressions();
  if (!keyHandler) return false;
  keyHandler->Evaluate(value);
  return true;
}

bool GSobjIndexTag::GoFirst() {
  return GoEdge(false);
}

bool GSobjIndexTag::GoLast() {
  return GoEdge(true);
}

bool GSobjIndexTag::GoEdge(bool last) {
  if (path_.empty()) LoadRoot();
  TrimPath(1);
  for (size_t depth = 0;; ++depth) {
    Frame& f = path_[depth];
    if (f.node->entries.empty()) {
      f.pos = 0;
      return false;
    }
    f.pos = last ? static_cast<int>(f.node->entries.size()) - 1 : 0;
    if (f.node->leaf) {
      current = f.node->entries[static_cast<size_t>(f.pos)];
      return true;
    }
    LoadChild(depth);
  }
}

void GSobjIndexTag::BeginWalk(int direction) {
  if (walkDirection_ == direction) return;
  walkedLeaves_.clear();
  walkedLeaves_.insert(path_.back().node->page);
  walkDirection_ = direction;
}

void GSobjIndexTag::EnterWalkedLeaf(int32_t page) {
  // A walk enters each leaf once; a leaf met again means pages that share
  // children, and walking on could take for ever.
  if (!walkedLeaves_.insert(page).second) Corrupt();
}

bool GSobjIndexTag::StepAncestor(int direction, size_t& depth) {
  for (size_t j = path_.size() - 1; j > 0;) {
    --j;
    Frame& a = path_[j];
    bool room = direction > 0 ? a.pos + 1 < static_cast<int>(a.node->entries.size()) : a.pos > 0;
    if (room) {
      a.pos += direction;
      depth = j;
      return true;
    }
  }
  return false;
}

bool GSobjIndexTag::NextEntry() {
  if (path_.empty()) return GoFirst();
  BeginWalk(1);
  while (true) {
    Frame& leaf = path_.back();
    int size = static_cast<int>(leaf.node->entries.size());
    if (leaf.pos + 1 < size) {
      ++leaf.pos;
      current = leaf.node->entries[static_cast<size_t>(leaf.pos)];
      return true;
    }
    // Up to the deepest ancestor with an entry to the right.
    size_t j = 0;
    if (!StepAncestor(1, j)) {
      leaf.pos = size;
      return false;
    }
    // Down the leftmost path below it.
    for (size_t d = j;; ++d) {
      LoadChild(d);
      Frame& c = path_[d + 1];
      c.pos = c.node->leaf ? -1 : 0;
      if (c.node->leaf) {
        EnterWalkedLeaf(c.node->page);
        break;
      }
      if (c.node->entries.empty()) Corrupt();
    }
  }
}

bool GSobjIndexTag::PrevEntry() {
  if (path_.empty()) return GoLast();
  BeginWalk(-1);
  while (true) {
    Frame& leaf = path_.back();
    int size = static_cast<int>(leaf.node->entries.size());
    if (leaf.pos > size) leaf.pos = size;
    if (leaf.pos - 1 >= 0) {
      --leaf.pos;
      current = leaf.node->entries[static_cast<size_t>(leaf.pos)];
      return true;
    }
    size_t j = 0;
    if (!StepAncestor(-1, j)) {
      leaf.pos = -1;
      return false;
    }
    for (size_t d = j;; ++d) {
      LoadChild(d);
      Frame& c = path_[d + 1];
      int n = static_cast<int>(c.node->entries.size());
      c.pos = c.node->leaf ? n : n - 1;
      if (c.node->leaf) {
        EnterWalkedLeaf(c.node->page);
        break;
      }
      if (n == 0) Corrupt();
    }
  }
}

bool GSobjIndexTag::ReadCurrent() {
  if (path_.empty()) return false;
  const Frame& leaf = path_.back();
  if (!leaf.node->leaf || leaf.pos < 0 || leaf.pos >= static_cast<int>(leaf.node->entries.size())) {
    return false;
  }
  current = leaf.node->entries[static_cast<size_t>(leaf.pos)];
  return true;
}

int GSobjIndexTag::CurrentFlags() const {
  bool first = true, last = true;
  for (const Frame& f : path_) {
    if (f.pos != 0) first = false;
    if (f.pos != static_cast<int>(f.node->entries.size()) - 1) last = false;
  }
  return (first ? 1 : 0) + (last ? 2 : 0);
}

// ---------------------------------------------------------------------------
// Tag: searching, moving, ranges

int32_t GSobjIndexTag::FindKey(const std::string& key, bool exactMatch) {
  current.link = 0;
  LoadRoot();
  bof = eof = false;
  int r = Seek(key, -1, (exactMatch || updating_) ? -1 : 0);
  if (r < 0) {
    int flags = CurrentFlags();
    if (flags & 1) bof = true;
    if (flags & 2) eof = true;
    if (!bof && !eof && RangeCheck() == -1) eof = true;
    return 0;
  }
  if (r == 0) {
    if (RangeCheck() == 0) return current.link;
    eof = true;
    return 0;
  }
  eof = true;
  current.link = 0;
  return 0;
}

int32_t GSobjIndexTag::FindKeyKeepPosition(const std::string& key) {
  std::vector<Frame> keptPath = std::move(path_);
  GSobjIndexKeyData keptCurrent = current;
  bool keptBof = bof, keptEof = eof;
  path_.clear();
  int32_t record = 0;
  try {
    record = FindKey(key, true);
  } catch (...) {
    path_ = std::move(keptPath);
    current = keptCurrent;
    throw;
  }
  path_ = std::move(keptPath);
  current = keptCurrent;
  bof = keptBof;
  eof = keptEof;
  return record;
}

int GSobjIndexTag::RangeCheck() {
  if (!HasRange()) return 0;
  if (eof) return 1;
  if (bof) return -1;
  int r = 0;
  if (!rangeHigh_.empty()) {
    r = CompareKeys(rangeHigh_, current.value, highPartial_);
    if (highFlag_ && r == 0) r = 1;
  }
  if (r <= 0) return r;
  if (rangeLow_.empty()) return 0;
  r = CompareKeys(rangeLow_, current.value, 0);
  if (lowInclusive_ && r == 0) r = -1;
  return r + 1;
}

void GSobjIndexTag::ApplyRangeLimits() {
  if (!HasRange() || bof || eof) return;
  if (!rangeHigh_.empty() && CompareKeys(rangeHigh_, current.value, highPartial_) < 0) {
    eof = true;
  } else if (!rangeLow_.empty() && CompareKeys(rangeLow_, current.value, 0) > 0) {
    bof = true;
  }
}

int32_t GSobjIndexTag::MoveCursor(int code) {
  current.link = 0;
  if (rootPage <= 0) return 0;
  if (DescendingByCursor()) {
    static const int kSwapped[] = {0, -2, -1, -4, -3};
    if (code <= -1 && code >= -4) code = kSwapped[-code];
  }
  bof = eof = false;
  switch (code) {
    case -1:
      eof = !NextEntry();
      ApplyRangeLimits();
      break;
    case -2:
      bof = !PrevEntry();
      ApplyRangeLimits();
      break;
    case -3:
      LoadRoot();
      if (!rangeLow_.empty() && !updating_) {
        eof = Seek(rangeLow_, -1, 0) == 1;
      } else {
        bof = !GoFirst();
      }
      ApplyRangeLimits();
      if (eof) bof = true;
      eof = bof;
      break;
    case -4:
      LoadRoot();
      if (!rangeHigh_.empty() && !updating_) {
        int r = Seek(rangeHigh_, kLastRecord, highPartial_);
        // The seek stops after the last key within the bound.
        if (r == 1) {
          eof = !GoLast();
        } else {
          bof = !PrevEntry();
        }
      } else {
        eof = !GoLast();
      }
      ApplyRangeLimits();
      if (bof) eof = true;
      bof = eof;
      break;
    case -5:
      eof = !ReadCurrent();
      bof = eof;
      ApplyRangeLimits();
      break;
    default:
      break;
  }
  if (bof || eof) current.link = 0;
  if (DescendingByCursor()) std::swap(bof, eof);
  return current.link;
}

int32_t GSobjIndexTag::SyncToRecord(int32_t record) {
  if (current.link == record && record > 0) return record;
  current.link = 0;
  if (!file.table || record <= 0) return 0;
  std::string key;
  if (!EvaluateKey(key)) return 0;
  bof = eof = false;
  LoadRoot();
  int r = Seek(key, file.recordNumberOrder ? record : -1, -1);
  if (r != 0) return 0;
  while (current.link != record) {
    if (!NextEntry() || CompareKeys(key, current.value, -1) != 0) {
      current.link = 0;
      return 0;
    }
  }
  return current.link;
}

void GSobjIndexTag::ReleaseCursor() {
  path_.clear();
  if (headerDirty) WriteHeader();
  current.link = 0;
}

bool GSobjIndexTag::SetRange(const std::string& low, bool lowInclusive, const std::string& high,
                             bool highFlag, bool highPartial) {
  if (low == rangeLow_ && high == rangeHigh_) return false;
  rangeLow_ = low;
  rangeHigh_ = high;
  lowInclusive_ = lowInclusive;
  highFlag_ = highFlag;
  highPartial_ = highPartial ? 0 : -1;
  MoveCursor(-3);
  return true;
}

// ---------------------------------------------------------------------------
// Tag: key maintenance

void GSobjIndexTag::UpdateParentKey(size_t depth) {
  while (depth > 0) {
    GSobjIndexKey& node = *path_[depth].node;
    Frame& parent = path_[depth - 1];
    if (node.entries.empty() || parent.pos < 0 ||
        parent.pos >= static_cast<int>(parent.node->entries.size())) {
      return;
    }
    GSobjIndexKeyData& slot = parent.node->entries[static_cast<size_t>(parent.pos)];
    slot.value = node.entries.back().value;
    slot.record = node.entries.back().record;
    parent.node->dirty = true;
    if (parent.pos != static_cast<int>(parent.node->entries.size()) - 1) return;
    --depth;
  }
}

void GSobjIndexTag::InsertAtCursor(const GSobjIndexKeyData& entry) {
  Frame& leaf = path_.back();
  auto& entries = leaf.node->entries;
  int pos = std::clamp(leaf.pos, 0, static_cast<int>(entries.size()));
  GSobjIndexKeyData copy = entry;
  copy.record = entry.link;
  entries.insert(entries.begin() + pos, copy);
  leaf.pos = pos;
  leaf.node->dirty = true;
  if (pos == static_cast<int>(entries.size()) - 1) UpdateParentKey(path_.size() - 1);
}

void GSobjIndexTag::DeleteAtCursor() {
  Frame& leaf = path_.back();
  auto& entries = leaf.node->entries;
  if (leaf.pos < 0 || leaf.pos >= static_cast<int>(entries.size())) return;
  bool wasLast = leaf.pos == static_cast<int>(entries.size()) - 1;
  entries.erase(entries.begin() + leaf.pos);
  leaf.node->dirty = true;
  if (wasLast && !entries.empty()) UpdateParentKey(path_.size() - 1);
  leaf.pos = std::clamp(leaf.pos, 0, std::max(0, static_cast<int>(entries.size()) - 1));
}

void GSobjIndexTag::FlushPath() {
  for (size_t d = path_.size(); d-- > 0;) {
    if (!path_[d].node->dirty) continue;
    bool rightmost = IsRightmost(d);
    while (!Fits(*path_[d].node, rightmost) && path_[d].node->entries.size() > 1) {
      GSobjIndexKey& node = *path_[d].node;
      size_t n = node.entries.size();
      size_t lowerCount = std::clamp<size_t>(SplitCount(node), 1, n - 1);
      GSobjIndexKey lower;
      lower.leaf = node.leaf;
      lower.entries.assign(node.entries.begin(),
                           node.entries.begin() + static_cast<long>(lowerCount));
      lower.page = AllocatePage();
      lower.leftSibling = node.leftSibling;
      lower.rightSibling = node.page;
      node.leftSibling = lower.page;
      WriteNodePage(lower, false);
      node.entries.erase(node.entries.begin(),
                         node.entries.begin() + static_cast<long>(lowerCount));
      path_[d].pos = std::max(0, path_[d].pos - static_cast<int>(lowerCount));
      GSobjIndexKeyData promoted{lower.entries.back().value, lower.entries.back().record,
                                 lower.page};
      if (d == 0) {
        Frame root;
        root.node = std::make_shared<GSobjIndexKey>();
        root.node->leaf = false;
        root.node->page = AllocatePage();
        root.node->entries.push_back(promoted);
        root.node->entries.push_back(
            {node.entries.back().value, node.entries.back().record, node.page});
        root.node->dirty = true;
        root.pos = 1;
        rootPage = root.node->page;
        headerDirty = true;
        path_.insert(path_.begin(), std::move(root));
        d = 1;
      } else {
        Frame& parent = path_[d - 1];
        auto& pe = parent.node->entries;
        int at = std::clamp(parent.pos, 0, static_cast<int>(pe.size()));
        pe.insert(pe.begin() + at, promoted);
        parent.pos = at + 1;
        parent.node->dirty = true;
      }
      OnSplit(lower, *path_[d].node);
    }
    WriteNodePage(*path_[d].node, rightmost);
    path_[d].node->dirty = false;
  }
  if (headerDirty) WriteHeader();
}

void GSobjIndexTag::OnSplit(const GSobjIndexKey&, const GSobjIndexKey&) {}

namespace {
// Marks a key change for its life: the path's nodes are then its own.
struct ChangingKeys {
  explicit ChangingKeys(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~ChangingKeys() { flag_ = was_; }
  ChangingKeys(const ChangingKeys&) = delete;
  ChangingKeys& operator=(const ChangingKeys&) = delete;
  bool& flag_;
  bool was_;
};
}  // namespace

bool GSobjIndexTag::InsertKey(const GSobjIndexKeyData& entry) {
  ChangingKeys changing(changingKeys_);
  LoadRoot();
  bof = eof = false;
  if (unique && Seek(entry.value, -1, -1) == 0) return false;
  int32_t place = file.recordNumberOrder ? entry.link : kLastRecord;
  if (!file.recordNumberOrder && DescendingByComparison()) place = -1;
  Seek(entry.value, place, -1);
  InsertAtCursor(entry);
  FlushPath();
  path_.clear();
  current = entry;
  return true;
}

bool GSobjIndexTag::DeleteKey(const std::string& key, int32_t record) {
  ChangingKeys changing(changingKeys_);
  LoadRoot();
  int r = Seek(key, file.recordNumberOrder ? record : -1, -1);
  if (r != 0) return false;
  while (current.link != record) {
    if (!NextEntry() || CompareKeys(key, current.value, -1) != 0) return false;
  }
  if (path_.size() > 1 && path_.back().node->entries.size() == 1) {
    // Emptying a leaf would leave its parent pointing at nothing: rebuild the
    // tag from its remaining keys into fresh pages instead.
    std::vector<GSobjIndexKeyData> all = AllKeys();
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i].link == record && CompareKeys(key, all[i].value, -1) == 0) {
        all.erase(all.begin() + static_cast<long>(i));
        break;
      }
    }
    RebuildFromEntries(std::move(all));
    return true;
  }
  DeleteAtCursor();
  FlushPath();
  path_.clear();
  return true;
}

std::vector<GSobjIndexKeyData> GSobjIndexTag::AllKeys() {
  std::vector<GSobjIndexKeyData> out;
  LoadRoot();
  for (bool ok = GoFirst(); ok; ok = NextEntry()) out.push_back(current);
  path_.clear();
  return out;
}

void GSobjIndexTag::RebuildFromEntries(std::vector<GSobjIndexKeyData> entries) {
  path_.clear();
  size_t i = 0;
  BuildFromSorted(
      [&](std::string& key, int32_t& record) {
        if (i >= entries.size()) return false;
        key = entries[i].value;
        record = entries[i].link;
        ++i;
        return true;
      },
      static_cast<int64_t>(entries.size()));
}

bool GSobjIndexTag::UpdateRecordKey(int32_t record, bool isAppend) {
  keyChanged = false;
  if (!file.table || !keyHandler) return false;
  struct Guard {
    bool& flag;
    IndexTableLink* table;
    ~Guard() {
      flag = false;
      table->UseSavedRecord(false);
    }
  } guard{updating_, file.table};
  updating_ = true;
  bool passes = ForCondition();
  std::string newKey;
  EvaluateKey(newKey);
  if (isAppend) {
    if (passes) keyChanged = InsertKey({newKey, record, record});
  } else {
    std::string oldKey;
    bool oldPassed = true;
    bool haveOld = file.table->UseSavedRecord(true);
    if (haveOld) {
      oldPassed = ForCondition();
      EvaluateKey(oldKey);
    }
    file.table->UseSavedRecord(false);
    bool same = haveOld && oldPassed == passes && CompareKeys(oldKey, newKey, -1) == 0;
    if (!same) {
      if (haveOld && oldPassed && DeleteKey(oldKey, record)) keyChanged = true;
      if (passes) keyChanged |= InsertKey({newKey, record, record});
    }
  }
  path_.clear();
  return keyChanged;
}

// ---------------------------------------------------------------------------
// Building

void GSobjIndexTag::BuildFromTable(bool useFor) {
  IndexTableLink* table = file.table;
  int32_t count = table ? table->RecordCount() : 0;
  int sortLength = std::min(std::max(keyLength, 8) + 1, TdfSort::kMaxKeyLength);
  bool floatKeys = keyForm == IndexKeyForm::kFloat;
  TdfSort sorter(sortLength, nullptr, !DescendingByComparison(), unique);
  if (table) table->ReportStatus(-1, 1, count);
  for (int32_t r = 1; r <= count; ++r) {
    if (!table->LoadRecord(r)) continue;
    if (useFor && hasFor && !ForCondition()) continue;
    std::string key;
    if (!EvaluateKey(key)) continue;
    if (floatKeys && key.size() == 8) {
      sorter.AddFloat(GetLEDouble(reinterpret_cast<const uint8_t*>(key.data())), r);
    } else {
      sorter.AddKey(TdfSort::kBytes, key.data(), static_cast<int>(key.size()), r);
    }
    table->ReportStatus(1, r, count);
  }
  if (table) {
    table->ReportStatus(0, 0, 0);
    table->ReportStatus(-1, 2, count);
  }
  TdfSort::Key k;
  BuildFromSorted(
      [&](std::string& key, int32_t& record) {
        if (!sorter.RetrieveSortKey(k)) return false;
        key = k.bytes;
        record = k.record;
        return true;
      },
      sorter.KeyCount());
  if (table) table->ReportStatus(0, 0, 0);
  headerDirty = true;
  WriteHeader();
}

void GSobjIndexTag::BuildFromSorted(const std::function<bool(std::string&, int32_t&)>& next,
                                    int64_t total) {
  path_.clear();
  // The pages go to the disk a batch at a time; when the build fails, what
  // is gathered is not written.
  struct Batch {
    IndexDiskFile* disk;
    ~Batch() {
      if (disk) disk->DropBatch();
    }
    void End() {
      if (disk) disk->EndBatch();
      disk = nullptr;
    }
  } batch{file.Disk()};
  if (batch.disk) batch.disk->BeginBatch();
  // One open node per level; each has its page from the start so that the
  // node before it can name it as its right sibling. Room for every level is
  // taken at once, so a node stays where it is while levels are added.
  std::vector<GSobjIndexKey> levels;
  levels.reserve(kMaxDepth);
  auto open = [&](size_t level, int32_t page, int32_t left) {
    GSobjIndexKey node;
    node.leaf = level == 0;
    node.page = page;
    node.leftSibling = left;
    return node;
  };
  // The node of a level begins again on a new page, keeping its entries' room.
  auto reopen = [&](GSobjIndexKey& node, size_t level, int32_t page, int32_t left) {
    std::vector<GSobjIndexKeyData> room = std::move(node.entries);
    room.clear();
    node = open(level, page, left);
    node.entries = std::move(room);
  };
  auto addAt = [&](auto& self, size_t level, GSobjIndexKeyData&& e) -> void {
    if (level >= kMaxDepth) Corrupt();
    if (level == levels.size()) levels.push_back(open(level, AllocatePage(), -1));
    GSobjIndexKey& node = levels[level];
    if (!node.entries.empty() && BuildNodeFull(node, total)) {
      int32_t nextPage = AllocatePage();
      node.rightSibling = nextPage;
      WriteNodePage(node, false);
      GSobjIndexKeyData up{std::move(node.entries.back().value), node.entries.back().record,
                           node.page};
      reopen(node, level, nextPage, node.page);
      self(self, level + 1, std::move(up));
    }
    levels[level].entries.push_back(std::move(e));
  };
  auto add = [&](size_t level, GSobjIndexKeyData e) { addAt(addAt, level, std::move(e)); };
  GSobjIndexKeyData entry;
  while (next(entry.value, entry.record)) {
    entry.link = entry.record;
    addAt(addAt, 0, std::move(entry));
  }
  if (levels.empty()) {
    GSobjIndexKey root;
    root.page = AllocatePage();
    rootPage = root.page;
    WriteNodePage(root, true);
    batch.End();
    headerDirty = true;
    WriteHeader();
    return;
  }
  for (size_t level = 0; level < levels.size(); ++level) {
    bool top = level == levels.size() - 1;
    if (!Fits(levels[level], true) && levels[level].entries.size() > 1) {
      // The last node of a level may hold fewer (its last key has no
      // separator above it): move the overflow to a node of its own.
      GSobjIndexKey lower = std::move(levels[level]);
      size_t keep =
          lower.entries.size() - std::clamp<size_t>(SplitCount(lower), 1, lower.entries.size() - 1);
      GSobjIndexKey rest = open(level, AllocatePage(), lower.page);
      rest.entries.assign(lower.entries.end() - static_cast<long>(keep), lower.entries.end());
      lower.entries.resize(lower.entries.size() - keep);
      lower.rightSibling = rest.page;
      WriteNodePage(lower, false);
      levels[level] = std::move(rest);
      top = false;
      GSobjIndexKeyData up{lower.entries.back().value, lower.entries.back().record, lower.page};
      add(level + 1, up);
    }
    GSobjIndexKey last = std::move(levels[level]);
    last.rightSibling = -1;
    if (top) {
      rootPage = last.page;
      WriteNodePage(last, true);
      break;
    }
    WriteNodePage(last, true);
    GSobjIndexKeyData up{last.entries.back().value, last.entries.back().record, last.page};
    add(level + 1, up);
  }
  batch.End();
  headerDirty = true;
  WriteHeader();
}

}  // namespace kelmo::dbf
