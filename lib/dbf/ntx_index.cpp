// .ntx index file. Layout:
//
// Header (1024 bytes at offset 0):
//   0 signature (2): 6, or 7 with a for-condition   2 change counter (2)
//   4 root page offset (4)   8 zero (4)   12 entry size (2) = key length + 8
//   14 key length (2)   16 decimals (2)   18 maximum keys (2)   20 half (2)
//   22 key expression (256, zero-terminated)   278 unique (1)   279 descending (1)
//   280 zero (2)   282 for expression (742, zero-terminated)
// Node page (1024 bytes): count (2); offset table of maximum + 1 words (the
// page offset of item i); items: left page (4, 0 in a leaf), record (4), key.
// An interior page has count keys and count + 1 pointers; its last item
// carries only the rightmost pointer. A page is a leaf when its first item's
// left pointer is 0.
#include "ntx_index.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "date_values.h"
#include "dbf_expression_tools.h"
#include "decimal_digits.h"
#include "key_sorter.h"

namespace kelmo::dbf {

namespace {

constexpr int kHeaderExprOffset = 22;
constexpr int kHeaderExprSize = 256;
constexpr int kHeaderForOffset = 282;
constexpr int kHeaderForSize = 742;

}  // namespace

std::string IndexTextFromPage(const uint8_t* bytes, int length) {
  int n = length;
  while (n > 0 && (bytes[n - 1] == ' ' || bytes[n - 1] == 0)) --n;
  if (n > 0 && bytes[0] == 0) n = 0;
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
}

// ---------------------------------------------------------------------------

GSobjNTXTag::GSobjNTXTag(GSobjNTXFile& f, int32_t header, const std::string& n)
    : GSobjIndexTag(f, "NTX", n, header) {
  OpenHeader(header);
}

std::string GSobjNTXTag::FormatKey(const TdfExpVariant& value, uint8_t type, bool trim) {
  std::string out;
  if (keyType == 'D') {
    double day = VariantToNumber(value);
    if (std::holds_alternative<std::string>(value)) {
      out = std::get<std::string>(value);  // a search text is taken as given
    } else if (day <= 0 || day >= kEmptyDate) {
      out = "00000000";
    } else {
      out = TdfDBFDate::JulianToText(static_cast<int32_t>(day));
    }
  } else if (keyType == 'N') {
    double v = type == etText ? std::strtod(VariantToText(value).c_str(), nullptr)
                              : VariantToNumber(value);
    // A damaged header may claim any number of decimals; 18 is the most a key holds.
    char digits[400];
    size_t n = FixedDecimalText(std::isfinite(v) ? std::fabs(v) : 0.0, std::clamp(decimals, 0, 18),
                                digits, sizeof digits);
    if (n == 0) {
      digits[0] = '0';
      n = 1;
    }
    // Right-aligned in the key with zeros before; a number wider than the key
    // keeps its first characters.
    const size_t width = keyLength > 0 ? static_cast<size_t>(keyLength) : n;
    out.assign(width > n ? width - n : 0, '0');
    out.append(digits, std::min(n, width));
    if (v < 0) {
      for (char& c : out) {
        if (c >= '0' && c <= '9') c = static_cast<char>(92 - c);
      }
    }
  } else {
    out = CharacterKeyText(value, type);
  }
  if (static_cast<int>(out.size()) > keyLength && keyLength > 0) out.resize(keyLength);
  if (trim) TrimTrailingBlanks(out);
  return out;
}

size_t GSobjNTXTag::NodeCapacity(bool leaf, bool rightmost) const {
  // A leaf off the rightmost path keeps its last key in the page above.
  if (leaf && rightmost) return static_cast<size_t>(maxKeys);
  return static_cast<size_t>(maxKeys) + 1;
}

size_t GSobjNTXTag::BuildFill(bool, int64_t totalKeys) const {
  // Leaves are filled evenly and never full.
  int64_t pages = totalKeys / maxKeys + 1;
  int64_t perLeaf = (totalKeys + pages - 1) / pages;
  if (perLeaf < 1) perLeaf = 1;
  return static_cast<size_t>(std::min<int64_t>(perLeaf, maxKeys)) + 1;
}

void GSobjNTXTag::ReadNodePage(GSobjIndexKey& node, const GSobjIndexKeyData* parentEntry,
                               bool rightmost) {
  uint8_t page[kPageSize];
  file.ReadPage(node.page, page, kPageSize);
  int count = GetLE16(page);
  if (count > maxKeys) Corrupt();
  auto item = [&](int i) -> const uint8_t* {
    int offset = GetLE16(page + 2 + 2 * i);
    if (offset < 2 || offset + entrySize > kPageSize) Corrupt();
    return page + offset;
  };
  node.entries.clear();
  node.entries.reserve(static_cast<size_t>(std::min(count, maxKeys)) + 1);
  node.leaf = GetLE32(item(0)) == 0;
  for (int i = 0; i < count; ++i) {
    const uint8_t* it = item(i);
    int32_t left = static_cast<int32_t>(GetLE32(it));
    int32_t record = static_cast<int32_t>(GetLE32(it + 4));
    if (node.leaf != (left == 0)) Corrupt();
    node.entries.push_back(
        {IndexTextFromPage(it + 8, keyLength), record, node.leaf ? record : left});
  }
  int32_t rightPointer = node.leaf ? 0 : static_cast<int32_t>(GetLE32(item(count)));
  if (!node.leaf && rightPointer == 0) Corrupt();
  if (parentEntry && !rightmost) {
    // The separator above this node is its high key.
    node.entries.push_back(
        {parentEntry->value, parentEntry->record, node.leaf ? parentEntry->record : rightPointer});
  } else if (!node.leaf) {
    node.entries.push_back({PseudoHighKey(), 0, rightPointer});
  }
  node.dirty = false;
}

void GSobjNTXTag::WriteNodePage(const GSobjIndexKey& node, bool rightmost) {
  uint8_t page[kPageSize] = {};
  for (int i = 0; i <= maxKeys; ++i) {
    PutLE16(page + 2 + 2 * i, static_cast<uint16_t>((maxKeys + 2) * 2 + i * entrySize));
  }
  size_t n = node.entries.size();
  size_t keys = (node.leaf && rightmost) ? n : (n > 0 ? n - 1 : 0);
  for (size_t i = 0; i < keys; ++i) {
    const GSobjIndexKeyData& e = node.entries[i];
    uint8_t* it = page + (maxKeys + 2) * 2 + static_cast<int>(i) * entrySize;
    PutLE32(it, node.leaf ? 0 : static_cast<uint32_t>(e.link));
    PutLE32(it + 4, static_cast<uint32_t>(node.leaf ? e.link : e.record));
    std::memset(it + 8, ' ', static_cast<size_t>(keyLength));
    std::memcpy(it + 8, e.value.data(), std::min<size_t>(e.value.size(), keyLength));
  }
  if (!node.leaf && n > 0) {
    uint8_t* it = page + (maxKeys + 2) * 2 + static_cast<int>(keys) * entrySize;
    PutLE32(it, static_cast<uint32_t>(node.entries.back().link));
  }
  PutLE16(page, static_cast<uint16_t>(keys));
  file.WritePage(node.page, page, kPageSize);
}

void GSobjNTXTag::ReadHeader() {
  uint8_t h[kPageSize];
  file.ReadPage(headerPage, h, kPageSize);
  auto& f = static_cast<GSobjNTXFile&>(file);
  uint16_t signature = GetLE16(h);
  f.changeCounter = GetLE16(h + 2);
  rootPage = static_cast<int32_t>(GetLE32(h + 4));
  entrySize = GetLE16(h + 12);
  keyLength = GetLE16(h + 14);
  decimals = static_cast<int16_t>(GetLE16(h + 16));
  maxKeys = GetLE16(h + 18);
  half = GetLE16(h + 20);
  unique = (h[278] & 1) != 0;
  ascending = (h[279] & 1) == 0;
  if (keyLength < 1 || keyLength > TdfSort::kMaxKeyLength || entrySize != keyLength + 8 ||
      maxKeys < 2 || (maxKeys + 2) * 2 + (maxKeys + 1) * entrySize > kPageSize || rootPage <= 0 ||
      rootPage % kPageSize != 0) {
    Corrupt();
  }
  keyExpression = ZeroTerminatedText(h + kHeaderExprOffset, kHeaderExprSize);
  forExpression = (signature & 1) ? ZeroTerminatedText(h + kHeaderForOffset, kHeaderForSize) : "";
  CompileExpressions();
  keyType = 'C';
  if (keyHandler) {
    TdfExpVariant v;
    keyHandler->Evaluate(v);
    uint8_t t = keyHandler->GetResultType();
    if (IsNumericFamily(t)) keyType = (t == etDate || t == etDateTime) ? 'D' : 'N';
  }
  headerDirty = false;
}

void GSobjNTXTag::WriteHeader() {
  if (!headerDirty) return;
  auto& f = static_cast<GSobjNTXFile&>(file);
  uint8_t h[kPageSize] = {};
  PutLE16(h, hasFor ? 7 : 6);
  PutLE16(h + 2, f.changeCounter);
  PutLE32(h + 4, static_cast<uint32_t>(rootPage));
  PutLE16(h + 12, static_cast<uint16_t>(entrySize));
  PutLE16(h + 14, static_cast<uint16_t>(keyLength));
  PutLE16(h + 16, static_cast<uint16_t>(decimals));
  PutLE16(h + 18, static_cast<uint16_t>(maxKeys));
  PutLE16(h + 20, static_cast<uint16_t>(half));
  std::memcpy(h + kHeaderExprOffset, keyExpression.data(),
              std::min<size_t>(keyExpression.size(), kHeaderExprSize - 1));
  h[278] = unique ? 1 : 0;
  h[279] = ascending ? 0 : 1;
  if (hasFor) {
    std::memcpy(h + kHeaderForOffset, forExpression.data(),
                std::min<size_t>(forExpression.size(), kHeaderForSize - 1));
  }
  file.WritePage(headerPage, h, kPageSize);
  headerDirty = false;
}

void GSobjNTXTag::SetLayout(uint8_t resultType, const TdfExpVariant& value) {
  if (resultType == etDate || resultType == etDateTime) {
    keyType = 'D';
    keyLength = 8;
    decimals = 0;
  } else if (IsNumericFamily(resultType)) {
    keyType = 'N';
    keyLength = 18;
    decimals = 4;
    int length = 0, dec = 0;
    std::string expr = IndexUpper(keyExpression);
    while (!expr.empty() && expr.back() == ' ') expr.pop_back();
    if (file.table && file.table->FieldLayout(expr, length, dec)) {
      keyLength = length;
      decimals = dec;
    }
  } else {
    keyType = 'C';
    keyLength = resultType == etBoolean ? 1 : static_cast<int>(VariantToText(value).size());
    decimals = 0;
  }
  CheckKeyLength();
  entrySize = keyLength + 8;
  maxKeys = 2 * ((1020 / (keyLength + 10) - 1) / 2);
  half = maxKeys / 2;
}

int GSobjNTXTag::DefineTag(const std::string& n, const std::string& key, bool u, bool asc,
                           const std::string& forExpr) {
  name = n;
  CheckExpressionsFit(key.size() < kHeaderExprSize && forExpr.size() < kHeaderForSize, key);
  TdfExpVariant v;
  if (!CompileDefinition(key, forExpr, u, asc, v)) return 0;
  SetLayout(keyHandler->GetResultType(), v);
  uint8_t zero[kPageSize] = {};
  file.WritePage(headerPage, zero, kPageSize);
  BuildFromTable(true);
  return 1;
}

// ---------------------------------------------------------------------------

GSobjNTXFile::GSobjNTXFile(IndexTableLink* t, const std::string& name, bool create, bool readWrite)
    : GSobjIndexFile(t, ".ntx") {
  if (!OpenDiskFile(name, create, readWrite, ".ntx")) return;
  if (create) {
    nextFree = 0;
    changeCounter = 1;
  } else {
    std::string base = IndexBaseName(fileName).substr(0, 16);
    tags.push_back(std::make_unique<GSobjNTXTag>(*this, 0, base));
    nextFree = -1;
  }
  opened = true;
}

int GSobjNTXFile::AddTag(const std::string& name, const std::string& keyExpression, bool unique,
                         bool ascending, const std::string& forExpression) {
  tags.clear();
  nextFree = 0;
  auto tag = std::make_unique<GSobjNTXTag>(*this, -1, name);
  GSobjNTXTag& t = *tag;
  tags.push_back(std::move(tag));
  return t.DefineTag(name, keyExpression, unique, ascending, forExpression);
}

int32_t GSobjNTXFile::AllocatePage() {
  return NextPageOffset(GSobjNTXTag::kPageSize, 0x7FFFFC00);
}

void GSobjNTXFile::Reindex() {
  if (tags.empty()) return;
  auto& tag = static_cast<GSobjNTXTag&>(*tags.front());
  tag.ReleaseCursor();
  disk->Truncate(GSobjNTXTag::kPageSize);
  nextFree = GSobjNTXTag::kPageSize;
  changeCounter = 1;
  tag.DefineTag(tag.name, tag.keyExpression, tag.unique, tag.ascending, tag.forExpression);
}

bool GSobjNTXFile::ChangedByOtherUser() {
  if (!disk || !disk->Shared() || tags.empty()) return false;
  uint8_t h[4];
  if (disk->Read(0, h, 4) != 4) return false;
  return GetLE16(h + 2) != changeCounter;
}

bool GSobjNTXFile::UpdateRecordKeys(int32_t record, bool isAppend) {
  if (tags.empty()) return false;
  changeCounter = changeCounter >= 32767 ? 1 : static_cast<uint16_t>(changeCounter + 1);
  tags.front()->headerDirty = true;
  tags.front()->WriteHeader();
  return GSobjIndexFile::UpdateRecordKeys(record, isAppend);
}

}  // namespace kelmo::dbf
