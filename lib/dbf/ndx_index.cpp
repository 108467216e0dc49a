// .ndx index file. Layout:
//
// Header (block 0): 0 root block (4)   4 next free block (4)   8 zero (4)
//   12 key length (2; 8 for numeric and date keys)   14 maximum keys (2)
//   16 numeric flag (2)   18 entry size (2)   20 zero (3)   23 unique (1)
//   24 key expression (488, zero-terminated)
// Node block (512 bytes): count (2), two zero bytes; from offset 4 entries of
// entry size: left block (4, 0 in a leaf), record (4, 0 in an interior
// entry), key. An interior block has count keys and count + 1 entries.
#include "ndx_index.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dbf_expression_tools.h"
#include "key_sorter.h"
#include "ntx_index.h"

namespace kelmo::dbf {

namespace {
// Where the key expression lies in an NDX header, and its room.
constexpr int kNdxExprOffset = 24;
constexpr int kNdxExprSize = 488;
}  // namespace

GSobjNDXTag::GSobjNDXTag(GSobjNDXFile& f, int32_t header, const std::string& n)
    : GSobjIndexTag(f, "NDX", n, header) {
  OpenHeader(header);
}

std::string GSobjNDXTag::FormatKey(const TdfExpVariant& value, uint8_t type, bool trim) {
  if (keyType == 'C') {
    std::string out = CharacterKeyText(value, type);
    if (static_cast<int>(out.size()) > keyLength) out.resize(keyLength);
    if (trim) TrimTrailingBlanks(out);
    return out;
  }
  double v = NumericKeyValue(value, type);
  if (keyType == 'D' && v < 0.1) v = kEmptyDate;
  uint8_t b[8];
  PutLEDouble(b, v);
  return std::string(reinterpret_cast<char*>(b), 8);
}

size_t GSobjNDXTag::NodeCapacity(bool, bool) const {
  return static_cast<size_t>(maxKeys);
}

void GSobjNDXTag::ReadNodePage(GSobjIndexKey& node, const GSobjIndexKeyData*, bool) {
  uint8_t block[kBlockSize];
  file.ReadPage(node.page, block, kBlockSize);
  int count = GetLE16(block);
  if (count > maxKeys) Corrupt();
  node.entries.clear();
  node.entries.reserve(static_cast<size_t>(std::min(count, maxKeys)) + 1);
  node.leaf = GetLE32(block + 4) == 0;
  int items = node.leaf ? count : count + 1;
  if (items > maxKeys || 4 + int64_t{items} * entrySize > kBlockSize) Corrupt();
  for (int i = 0; i < items; ++i) {
    const uint8_t* e = block + 4 + i * entrySize;
    int32_t left = static_cast<int32_t>(GetLE32(e));
    int32_t record = static_cast<int32_t>(GetLE32(e + 4));
    if (!node.leaf && left == 0) Corrupt();
    std::string key;
    if (!node.leaf && i == count) {
      key = PseudoHighKey();
    } else if (keyType == 'C') {
      key = IndexTextFromPage(e + 8, keyLength);
    } else {
      key.assign(reinterpret_cast<const char*>(e + 8), 8);
    }
    int32_t link = node.leaf ? record : left;
    node.entries.push_back({std::move(key), node.leaf ? record : 0, link});
  }
  node.dirty = false;
}

void GSobjNDXTag::WriteNodePage(const GSobjIndexKey& node, bool) {
  uint8_t block[kBlockSize] = {};
  size_t n = node.entries.size();
  for (size_t i = 0; i < n; ++i) {
    const GSobjIndexKeyData& e = node.entries[i];
    uint8_t* p = block + 4 + static_cast<int>(i) * entrySize;
    if (node.leaf) {
      PutLE32(p + 4, static_cast<uint32_t>(e.link));
    } else {
      PutLE32(p, static_cast<uint32_t>(e.link));
    }
    if (!node.leaf && i + 1 == n) break;  // the last interior entry is a pointer only
    if (keyType == 'C') {
      std::memset(p + 8, ' ', static_cast<size_t>(keyLength));
      std::memcpy(p + 8, e.value.data(), std::min<size_t>(e.value.size(), keyLength));
    } else if (e.value.size() == 8) {
      std::memcpy(p + 8, e.value.data(), 8);
    }
  }
  PutLE16(block, static_cast<uint16_t>(node.leaf ? n : (n > 0 ? n - 1 : 0)));
  file.WritePage(node.page, block, kBlockSize);
}

void GSobjNDXTag::ReadHeader() {
  uint8_t h[kBlockSize];
  file.ReadPage(headerPage, h, kBlockSize);
  rootPage = static_cast<int32_t>(GetLE32(h));
  keyLength = GetLE16(h + 12);
  maxKeys = GetLE16(h + 14);
  bool numeric = GetLE16(h + 16) != 0;
  entrySize = GetLE16(h + 18);
  unique = (h[23] & 1) != 0;
  ascending = true;
  keyExpression = ZeroTerminatedText(h + kNdxExprOffset, kNdxExprSize);
  forExpression.clear();
  if (keyLength < 1 || keyLength > TdfSort::kMaxKeyLength || entrySize < keyLength + 8 ||
      maxKeys < 2 || 4 + int64_t{maxKeys} * entrySize > kBlockSize || rootPage <= 0 ||
      (numeric && keyLength != 8)) {
    Corrupt();
  }
  CompileExpressions();
  keyType = 'C';
  if (numeric) {
    keyType = 'N';
    if (keyHandler) {
      TdfExpVariant v;
      keyHandler->Evaluate(v);
      uint8_t t = keyHandler->GetResultType();
      if (t == etDate || t == etDateTime) keyType = 'D';
    }
  }
  keyForm = keyType == 'C' ? IndexKeyForm::kText : IndexKeyForm::kFloat;
  headerDirty = false;
}

void GSobjNDXTag::WriteHeader() {
  if (!headerDirty) return;
  uint8_t h[kBlockSize] = {};
  PutLE32(h, static_cast<uint32_t>(rootPage));
  int64_t next = file.nextFree;
  if (next < 0) next = (file.Disk()->Size() + kBlockSize - 1) / kBlockSize;
  PutLE32(h + 4, static_cast<uint32_t>(next));
  PutLE16(h + 12, static_cast<uint16_t>(keyType == 'C' ? keyLength : 8));
  PutLE16(h + 14, static_cast<uint16_t>(maxKeys));
  PutLE16(h + 16, keyType == 'C' ? 0 : 1);
  PutLE16(h + 18, static_cast<uint16_t>(entrySize));
  h[23] = unique ? 1 : 0;
  std::memcpy(h + kNdxExprOffset, keyExpression.data(),
              std::min<size_t>(keyExpression.size(), kNdxExprSize - 1));
  file.WritePage(headerPage, h, kBlockSize);
  headerDirty = false;
}

int GSobjNDXTag::DefineTag(const std::string& n, const std::string& key, bool u,
                           const std::string& forExpr) {
  name = n;
  CheckExpressionsFit(key.size() < kNdxExprSize, key);
  (void)forExpr;  // the header has no room for a for-condition
  TdfExpVariant v;
  if (!CompileDefinition(key, "", u, true, v)) return 0;
  uint8_t t = keyHandler->GetResultType();
  if (t == etDate || t == etDateTime) {
    keyType = 'D';
    keyLength = 8;
    entrySize = 16;
  } else if (IsNumericFamily(t)) {
    keyType = 'N';
    keyLength = 8;
    entrySize = 20;
  } else {
    keyType = 'C';
    keyLength = t == etBoolean ? 1 : static_cast<int>(VariantToText(v).size());
    CheckKeyLength();
    entrySize = (keyLength + 8 + 3) / 4 * 4;
  }
  maxKeys = 504 / entrySize;
  keyForm = keyType == 'C' ? IndexKeyForm::kText : IndexKeyForm::kFloat;
  uint8_t zero[kBlockSize] = {};
  file.WritePage(headerPage, zero, kBlockSize);
  // The header has no room for a for-condition: every record is indexed.
  BuildFromTable(false);
  return 1;
}

GSobjNDXFile::GSobjNDXFile(IndexTableLink* t, const std::string& name, bool create, bool readWrite)
    : GSobjIndexFile(t, ".ndx") {
  if (!OpenDiskFile(name, create, readWrite, ".ndx")) return;
  if (create) {
    nextFree = 0;
  } else {
    tags.push_back(std::make_unique<GSobjNDXTag>(*this, 0, IndexBaseName(fileName)));
    nextFree = -1;
  }
  opened = true;
}

int GSobjNDXFile::AddTag(const std::string& name, const std::string& keyExpression, bool unique,
                         bool, const std::string& forExpression) {
  tags.clear();
  nextFree = 0;
  auto tag = std::make_unique<GSobjNDXTag>(*this, -1, name);
  GSobjNDXTag& t = *tag;
  tags.push_back(std::move(tag));
  return t.DefineTag(name, keyExpression, unique, forExpression);
}

int32_t GSobjNDXFile::AllocatePage() {
  if (nextFree < 0)
    nextFree = (disk->Size() + GSobjNDXTag::kBlockSize - 1) / GSobjNDXTag::kBlockSize;
  int64_t block = nextFree++;
  // Readers bound their page reads by the header's next free block.
  if (!tags.empty()) tags.front()->headerDirty = true;
  return CheckedPageAddress(block, 0x3FFFFF);
}

void GSobjNDXFile::Reindex() {
  if (tags.empty()) return;
  auto& tag = static_cast<GSobjNDXTag&>(*tags.front());
  tag.ReleaseCursor();
  disk->Truncate(GSobjNDXTag::kBlockSize);
  nextFree = 1;
  tag.DefineTag(tag.name, tag.keyExpression, tag.unique, tag.forExpression);
}

}  // namespace kelmo::dbf
