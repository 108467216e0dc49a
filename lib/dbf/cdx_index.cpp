// .cdx compound index file. Layout:
//
// Tag header (1024 bytes; the one at offset 0 heads the tag list):
//   0 root node offset (4)   4 zero (4)   8 change counter (4)   12 key length (2)
//   14 flags (1): 1 unique, 8 for-condition, 96 always, 128 the tag list
//   15 signature (1)   494 collation name (8)   502 descending (2)
//   504 key expression length + 1 (2)   506 for expression length + 1 (2)
//   510 key expression length + 1 (2)   512 key expression, for expression (512)
// Node header: type (2; 0 interior, 1 interior root, 2 leaf, 3 leaf root),
//   key count (2), left sibling (4), right sibling (4).
// Interior node: from 12, entries of key, record (big-endian), child (big-endian).
// Leaf node: 12 free bytes (2), 14 record mask (4), 18 duplicate-count mask (1),
//   19 trailing-count mask (1), 20 record bits (1), 21 duplicate bits (1),
//   22 trailing bits (1), 23 entry bytes (1); entries from 24 upwards, key
//   parts packed downwards from 511.
#include "cdx_index.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dbf_expression_tools.h"
#include "key_sorter.h"
#include "ntx_index.h"

namespace kelmo::dbf {

namespace {

constexpr int kHeaderSize = 1024;
constexpr uint8_t kFlagsBase = 96;
constexpr uint8_t kFlagsTagList = 224;

// A double as bytes whose unsigned order is numeric order, trailing zeros dropped.
std::string FloatKey(double v) {
  if (v == 0) v = 0;
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  bits = (bits >> 63) ? ~bits : bits | (uint64_t{1} << 63);
  std::string out(8, '\0');
  for (int i = 0; i < 8; ++i) out[static_cast<size_t>(i)] = static_cast<char>(bits >> (56 - 8 * i));
  while (!out.empty() && out.back() == '\0') out.pop_back();
  return out;
}

// The GENERAL collation: primary and secondary weights of each byte of the
// user's code page, and the expansions of a few primary weights.
constexpr uint8_t kGeneralPrimary[256] = {
    0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x11, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
    0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
    0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20,
    0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26,
    0x27, 0x60, 0x61, 0x62, 0x64, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F, 0x70, 0x72,
    0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x28, 0x29, 0x2A, 0x2B, 0x2C,
    0x2D, 0x60, 0x61, 0x62, 0x64, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F, 0x70, 0x72,
    0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x2E, 0x2F, 0x30, 0x31, 0x10,
    0x10, 0x10, 0x18, 0x32, 0x13, 0x33, 0x34, 0x35, 0x36, 0x37, 0x76, 0x18, 0x00, 0x10, 0x10, 0x10,
    0x10, 0x18, 0x18, 0x13, 0x13, 0x38, 0x1E, 0x1E, 0x39, 0x3A, 0x76, 0x18, 0x00, 0x10, 0x10, 0x7D,
    0x20, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x13, 0x45, 0x1E, 0x46, 0x47,
    0x48, 0x49, 0x58, 0x59, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x57, 0x4F, 0x13, 0x50, 0x51, 0x52, 0x53,
    0x60, 0x60, 0x60, 0x60, 0x60, 0x60, 0x06, 0x62, 0x66, 0x66, 0x66, 0x66, 0x6A, 0x6A, 0x6A, 0x6A,
    0x65, 0x70, 0x72, 0x72, 0x72, 0x72, 0x72, 0x54, 0x81, 0x78, 0x78, 0x78, 0x78, 0x7D, 0x12, 0x0C,
    0x60, 0x60, 0x60, 0x60, 0x60, 0x60, 0x06, 0x62, 0x66, 0x66, 0x66, 0x66, 0x6A, 0x6A, 0x6A, 0x6A,
    0x65, 0x70, 0x72, 0x72, 0x72, 0x72, 0x72, 0x55, 0x81, 0x78, 0x78, 0x78, 0x78, 0x7D, 0x12, 0x7D,
};

constexpr uint8_t kGeneralSecondary[256] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x20, 0x00, 0x20, 0x00, 0x20, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x20, 0x20,
    0x00, 0x00, 0x00, 0x20, 0x00, 0x20, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x20, 0x00, 0x20, 0x00, 0x20, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x20, 0x20,
    0x00, 0x00, 0x00, 0x20, 0x00, 0x20, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x28, 0x00, 0x80, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x28, 0x00, 0x80, 0x00, 0x00, 0x24,
    0x21, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x22, 0x21, 0x23, 0x25, 0x24, 0x26, 0x80, 0x27, 0x22, 0x21, 0x23, 0x24, 0x22, 0x21, 0x23, 0x24,
    0x00, 0x25, 0x22, 0x21, 0x23, 0x25, 0x24, 0x00, 0x00, 0x22, 0x21, 0x23, 0x24, 0x21, 0x80, 0x80,
    0x22, 0x21, 0x23, 0x25, 0x24, 0x26, 0x80, 0x27, 0x22, 0x21, 0x23, 0x24, 0x22, 0x21, 0x23, 0x24,
    0x00, 0x25, 0x22, 0x21, 0x23, 0x25, 0x24, 0x00, 0x00, 0x22, 0x21, 0x23, 0x24, 0x21, 0x80, 0x24,
};

struct Expansion {
  uint8_t flag, primary1, secondary1, primary2, secondary2;
};

Expansion ExpansionOf(uint8_t primary) {
  switch (primary) {
    case 0x00:
      return {2, 0x72, 0x20, 0x66, 0x20};
    case 0x06:
      return {2, 0x60, 0x20, 0x66, 0x20};
    case 0x0C:
      return {2, 0x76, 0x20, 0x76, 0x20};
    case 0x12:
      return {2, 0x77, 0x00, 0x69, 0x00};
    default:
      return {0, 0, 0, 0, 0};
  }
}

// Primary weights followed by the secondary ones (trailing F0 bytes dropped).
std::string GeneralKey(const std::string& text) {
  std::string primary, secondary;
  for (char ch : text) {
    uint8_t c = static_cast<uint8_t>(ch);
    uint8_t p = kGeneralPrimary[c];
    Expansion e = ExpansionOf(p);
    if ((p == 0x00 || p == 0x06 || p == 0x12 || p == 0x18) && e.flag != 0) {
      primary += static_cast<char>(e.primary1);
      primary += static_cast<char>(e.primary2);
    } else {
      primary += static_cast<char>(p);
    }
    uint8_t sw = kGeneralSecondary[c];
    if (sw == 0x80) {
      for (uint8_t b : {e.secondary1, e.secondary2}) {
        secondary += static_cast<char>(b ? (b | 0xF0) : 0);
      }
    } else if (sw != 0) {
      secondary += static_cast<char>(sw | 0xF0);
    }
  }
  while (!secondary.empty() && static_cast<uint8_t>(secondary.back()) == 0xF0) secondary.pop_back();
  return primary + secondary;
}

// In a node the run of bytes of F0 or above ending a stored part keeps only
// its low four bits.
void ReduceTrailingRun(uint8_t* bytes, size_t length) {
  for (size_t i = length; i-- > 0 && bytes[i] >= 0xF0;) bytes[i] &= 0x0F;
}

// On reading, trailing bytes of 0F or below become F0 or above again (down to
// the byte at index first).
void RestoreTrailingRun(std::string& key, size_t end, size_t first) {
  for (size_t i = end; i-- > first && static_cast<uint8_t>(key[i]) <= 0x0F;) {
    key[i] = static_cast<char>(static_cast<uint8_t>(key[i]) | 0xF0);
  }
}

size_t SharedPrefix(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

}  // namespace

// ---------------------------------------------------------------------------

GSobjCDXTag::GSobjCDXTag(GSobjCDXFile& f, int32_t header, const std::string& n, bool list)
    : GSobjIndexTag(f, "CDX", IndexUpper(n), header), tagList(list) {
  OpenHeader(header, 2);
}

std::string GSobjCDXTag::FormatKey(const TdfExpVariant& value, uint8_t type, bool trim) {
  if (keyType == 'C') {
    std::string out = CharacterKeyText(value, type);
    if (tagList) out = IndexUpper(out);
    if (trim) TrimTrailingBlanks(out);
    if (General()) out = GeneralKey(out);
    if (static_cast<int>(out.size()) > keyLength) out.resize(static_cast<size_t>(keyLength));
    return out;
  }
  double v = NumericKeyValue(value, type);
  if (keyType == 'D' && v >= kEmptyDate) v = 0;
  return FloatKey(v);
}

GSobjCDXTag::LeafParams GSobjCDXTag::ParamsFor(int64_t maxRecord) const {
  LeafParams p;
  int d = 0;
  while ((2 << d) <= keyLength) ++d;  // d = floor(log2(key length))
  p.duplicateBits = p.trailingBits = d + 1;
  p.duplicateMask = p.trailingMask = (1u << (d + 1)) - 1;
  int bits = 22 - 2 * d;
  p.entryBytes = 3;
  while (bits < 31 &&
         ((uint64_t{1} << bits) - 1) < static_cast<uint64_t>(std::max<int64_t>(maxRecord, 0))) {
    bits += 8;
    ++p.entryBytes;
  }
  p.recordBits = p.entryBytes * 8 - p.duplicateBits - p.trailingBits;
  p.recordMask = bits >= 31 ? 0x7FFFFFFFu : static_cast<uint32_t>((uint64_t{1} << bits) - 1);
  return p;
}

int64_t GSobjCDXTag::MaxRecord() const {
  if (tagList) return file.Disk() ? std::max<int64_t>(file.Disk()->Size(), file.nextFree) : 0;
  return file.table ? file.table->RecordCount() : 0;
}

size_t GSobjCDXTag::LeafBytes(const GSobjIndexKey& node, const LeafParams& p) const {
  if (node.cachedCount > node.entries.size()) node.cachedCount = node.cachedBytes = 0;
  for (size_t i = node.cachedCount; i < node.entries.size(); ++i) {
    const std::string& key = node.entries[i].value;
    size_t dup = i ? SharedPrefix(node.entries[i - 1].value, key) : 0;
    node.cachedBytes += static_cast<size_t>(p.entryBytes) + key.size() - dup;
  }
  node.cachedCount = node.entries.size();
  return node.cachedBytes;
}

size_t GSobjCDXTag::NodeCapacity(bool leaf, bool) const {
  return leaf ? static_cast<size_t>(kLeafArea) : static_cast<size_t>(maxKeys);
}

bool GSobjCDXTag::Fits(const GSobjIndexKey& node, bool) const {
  if (!node.leaf) return node.entries.size() <= static_cast<size_t>(maxKeys);
  GSobjIndexKey copy;
  copy.entries = node.entries;
  return LeafBytes(copy, ParamsFor(MaxRecord())) <= 487;
}

size_t GSobjCDXTag::SplitCount(const GSobjIndexKey& node) const {
  size_t n = node.entries.size();
  if (!node.leaf) return n - n / 2;
  LeafParams p = ParamsFor(MaxRecord());
  size_t total = 0, count = 0;
  for (size_t i = 0; i < n; ++i) {
    size_t dup = i ? SharedPrefix(node.entries[i - 1].value, node.entries[i].value) : 0;
    total += static_cast<size_t>(p.entryBytes) + node.entries[i].value.size() - dup;
    if (total >= 250) break;
    ++count;
  }
  return std::max<size_t>(count, 1);
}

bool GSobjCDXTag::BuildNodeFull(const GSobjIndexKey& node, int64_t) const {
  if (!node.leaf) return node.entries.size() >= static_cast<size_t>(maxKeys);
  LeafParams p = ParamsFor(MaxRecord());
  size_t used = LeafBytes(node, p);
  return kLeafArea - static_cast<int64_t>(used) < 2 * (p.entryBytes + keyLength);
}

void GSobjCDXTag::OnSplit(const GSobjIndexKey& lower, const GSobjIndexKey&) {
  if (lower.leftSibling <= 0) return;
  uint8_t node[kNodeSize];
  file.ReadPage(lower.leftSibling, node, kNodeSize);
  PutLE32(node + 8, static_cast<uint32_t>(lower.page));
  file.WritePage(lower.leftSibling, node, kNodeSize);
}

void GSobjCDXTag::ReadNodePage(GSobjIndexKey& node, const GSobjIndexKeyData*, bool) {
  uint8_t b[kNodeSize];
  file.ReadPage(node.page, b, kNodeSize);
  int type = GetLE16(b);
  int count = GetLE16(b + 2);
  node.leftSibling = static_cast<int32_t>(GetLE32(b + 4));
  node.rightSibling = static_cast<int32_t>(GetLE32(b + 8));
  node.entries.clear();
  node.entries.reserve(static_cast<size_t>(std::min(count, maxKeys)) + 1);
  node.leaf = type >= 2;
  if (type > 3) Corrupt();
  if (!node.leaf) {
    int size = keyLength + 8;
    if (count > maxKeys || 12 + count * size > kNodeSize) Corrupt();
    for (int i = 0; i < count; ++i) {
      const uint8_t* e = b + 12 + i * size;
      std::string key;
      if (General()) {
        int n = keyLength;
        while (n > 0 && e[n - 1] == ' ') --n;
        key.assign(reinterpret_cast<const char*>(e), static_cast<size_t>(n));
        RestoreTrailingRun(key, key.size(), 0);
      } else if (keyType == 'C') {
        key = IndexTextFromPage(e, keyLength);
      } else {
        int n = keyLength;
        while (n > 0 && e[n - 1] == 0) --n;
        key.assign(reinterpret_cast<const char*>(e), static_cast<size_t>(n));
      }
      int32_t record = static_cast<int32_t>(GetBE32(e + keyLength));
      int32_t child = static_cast<int32_t>(GetBE32(e + keyLength + 4));
      if (child <= 0) Corrupt();
      node.entries.push_back({std::move(key), record, child});
    }
    return;
  }
  uint32_t recordMask = GetLE32(b + 14);
  uint32_t duplicateMask = b[18], trailingMask = b[19];
  int duplicateBits = b[21], trailingBits = b[22], entryBytes = b[23];
  if (entryBytes < 3 || entryBytes > 8 || duplicateBits + trailingBits > 16 ||
      24 + count * entryBytes > kNodeSize) {
    Corrupt();
  }
  std::string buffer(static_cast<size_t>(keyLength), ' ');
  int position = kNodeSize;
  int entryEnd = 24 + count * entryBytes;
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = b + 24 + i * entryBytes;
    uint32_t top = static_cast<uint32_t>(e[entryBytes - 2] | (e[entryBytes - 1] << 8));
    int trailing = static_cast<int>((top >> (16 - trailingBits)) & trailingMask);
    int duplicate = static_cast<int>((top >> (16 - trailingBits - duplicateBits)) & duplicateMask);
    uint32_t record = GetLE32(e) & recordMask;
    int stored = keyLength - duplicate - trailing;
    if (stored < 0 || position - stored < entryEnd) Corrupt();
    position -= stored;
    std::memcpy(buffer.data() + duplicate, b + position, static_cast<size_t>(stored));
    std::fill(buffer.begin() + (keyLength - trailing), buffer.end(), '\0');
    if (General()) RestoreTrailingRun(buffer, static_cast<size_t>(keyLength - trailing), 1);
    std::string key = buffer.substr(0, static_cast<size_t>(keyLength - trailing));
    if (keyType == 'C') {
      while (!key.empty() && (key.back() == ' ' || key.back() == '\0')) key.pop_back();
    }
    node.entries.push_back(
        {std::move(key), static_cast<int32_t>(record), static_cast<int32_t>(record)});
  }
}

void GSobjCDXTag::WriteNodePage(const GSobjIndexKey& node, bool) {
  uint8_t b[kNodeSize] = {};
  int type = (node.leaf ? 2 : 0) + (node.page == rootPage ? 1 : 0);
  PutLE16(b, static_cast<uint16_t>(type));
  PutLE16(b + 2, static_cast<uint16_t>(node.entries.size()));
  PutLE32(b + 4, static_cast<uint32_t>(node.leftSibling));
  PutLE32(b + 8, static_cast<uint32_t>(node.rightSibling));
  if (!node.leaf) {
    int size = keyLength + 8;
    for (size_t i = 0; i < node.entries.size(); ++i) {
      const GSobjIndexKeyData& e = node.entries[i];
      uint8_t* p = b + 12 + static_cast<int>(i) * size;
      std::memset(p, keyType == 'C' ? ' ' : 0, static_cast<size_t>(keyLength));
      std::memcpy(p, e.value.data(), std::min<size_t>(e.value.size(), keyLength));
      if (General()) ReduceTrailingRun(p, std::min<size_t>(e.value.size(), keyLength));
      PutBE32(p + keyLength, static_cast<uint32_t>(e.record));
      PutBE32(p + keyLength + 4, static_cast<uint32_t>(e.link));
    }
    file.WritePage(node.page, b, kNodeSize);
    return;
  }
  int64_t maxRecord = MaxRecord();
  for (const auto& e : node.entries) maxRecord = std::max<int64_t>(maxRecord, e.link);
  LeafParams p = ParamsFor(maxRecord);
  PutLE32(b + 14, p.recordMask);
  b[18] = static_cast<uint8_t>(p.duplicateMask);
  b[19] = static_cast<uint8_t>(p.trailingMask);
  b[20] = static_cast<uint8_t>(p.recordBits);
  b[21] = static_cast<uint8_t>(p.duplicateBits);
  b[22] = static_cast<uint8_t>(p.trailingBits);
  b[23] = static_cast<uint8_t>(p.entryBytes);
  int position = kNodeSize;
  int used = 0;
  for (size_t i = 0; i < node.entries.size(); ++i) {
    const std::string& key = node.entries[i].value;
    size_t length = std::min<size_t>(key.size(), keyLength);
    size_t duplicate = i ? std::min(SharedPrefix(node.entries[i - 1].value, key), length) : 0;
    size_t trailing = static_cast<size_t>(keyLength) - length;
    size_t stored = length - duplicate;
    uint64_t entry = (static_cast<uint64_t>(node.entries[i].link) & p.recordMask) |
                     (static_cast<uint64_t>(duplicate) << p.recordBits) |
                     (static_cast<uint64_t>(trailing) << (p.recordBits + p.duplicateBits));
    uint8_t* e = b + 24 + static_cast<int>(i) * p.entryBytes;
    for (int k = 0; k < p.entryBytes; ++k) e[k] = static_cast<uint8_t>(entry >> (8 * k));
    position -= static_cast<int>(stored);
    std::memcpy(b + position, key.data() + duplicate, stored);
    if (General()) ReduceTrailingRun(b + position, stored);
    used += p.entryBytes + static_cast<int>(stored);
  }
  if (used > kLeafArea) Corrupt();  // the framework splits before this
  PutLE16(b + 12, static_cast<uint16_t>(kLeafArea - used));
  file.WritePage(node.page, b, kNodeSize);
}

void GSobjCDXTag::ReadHeader() {
  uint8_t h[kHeaderSize];
  file.ReadPage(headerPage, h, kHeaderSize);
  rootPage = static_cast<int32_t>(GetLE32(h));
  changeCounter = GetLE32(h + 8);
  keyLength = GetLE16(h + 12);
  uint8_t flags = h[14];
  unique = (flags & 1) != 0;
  bool forFlag = (flags & 8) != 0;
  ascending = GetLE16(h + 502) == 0;
  collationName = ZeroTerminatedText(h + 494, 8);
  int64_t size = file.Disk() ? file.Disk()->Size() : 0;
  if (rootPage <= 0 || rootPage % kNodeSize != 0 || rootPage + kNodeSize > size || keyLength < 1 ||
      keyLength > TdfSort::kMaxKeyLength) {
    Corrupt();
  }
  keyExpression = ZeroTerminatedText(h + 512, 512);
  size_t keyLen = keyExpression.size();
  forExpression.clear();
  if (forFlag && keyLen + 1 < 512) {
    forExpression = ZeroTerminatedText(h + 512 + keyLen + 1, 512 - keyLen - 1);
  }
  if (keyExpression.empty() && !tagList) Corrupt();
  maxKeys = 500 / (keyLength + 8);
  entrySize = keyLength + 8;
  keyType = 'C';
  if (!tagList) {
    CompileExpressions();
    if (keyHandler) {
      TdfExpVariant v;
      keyHandler->Evaluate(v);
      uint8_t t = keyHandler->GetResultType();
      if (IsNumericFamily(t)) keyType = (t == etDate || t == etDateTime) ? 'D' : 'N';
    }
  }
  keyForm = IndexKeyForm::kText;
  headerDirty = false;
}

void GSobjCDXTag::WriteHeader() {
  if (!headerDirty) return;
  uint8_t h[kHeaderSize] = {};
  PutLE32(h, static_cast<uint32_t>(rootPage));
  PutLE32(h + 8, changeCounter);
  PutLE16(h + 12, static_cast<uint16_t>(keyLength));
  uint8_t flags = tagList ? kFlagsTagList : kFlagsBase;
  if (unique) flags |= 1;
  if (hasFor) flags |= 8;
  h[14] = flags;
  h[15] = General() ? 2 : 1;
  if (General()) std::memcpy(h + 494, "GENERAL", 7);
  PutLE16(h + 502, ascending ? 0 : 1);
  size_t keyLen = keyExpression.size(), forLen = hasFor ? forExpression.size() : 0;
  PutLE16(h + 504, static_cast<uint16_t>(keyLen ? keyLen + 1 : 0));
  PutLE16(h + 506, static_cast<uint16_t>(forLen + 1));
  PutLE16(h + 510, static_cast<uint16_t>(keyLen + 1));
  std::memcpy(h + 512, keyExpression.data(), std::min<size_t>(keyLen, 511));
  if (forLen && keyLen + 1 + forLen < 512) {
    std::memcpy(h + 512 + keyLen + 1, forExpression.data(), forLen);
  }
  file.WritePage(headerPage, h, kHeaderSize);
  headerDirty = false;
}

int GSobjCDXTag::DefineTag(const std::string& n, const std::string& key, bool u, bool asc,
                           const std::string& forExpr) {
  name = IndexUpper(n).substr(0, 10);
  CheckExpressionsFit(key.size() + forExpr.size() + 2 <= 512, key);
  keyExpression = key;
  forExpression = forExpr;
  unique = u;
  ascending = asc;
  keyType = 'C';
  keyLength = 10;
  if (!tagList) {
    CompileExpressions();
    if (!keyHandler) return 0;
    TdfExpVariant v;
    keyHandler->Evaluate(v);
    uint8_t t = keyHandler->GetResultType();
    if (IsNumericFamily(t)) {
      keyType = (t == etDate || t == etDateTime) ? 'D' : 'N';
      keyLength = 8;
    } else {
      keyLength = t == etBoolean ? 1 : static_cast<int>(VariantToText(v).size());
      if (collationName == "GENERAL") keyLength *= 2;
      CheckKeyLength();
    }
  }
  keyForm = IndexKeyForm::kText;
  maxKeys = 500 / (keyLength + 8);
  entrySize = keyLength + 8;
  uint8_t zero[kHeaderSize] = {};
  file.WritePage(headerPage, zero, kHeaderSize);
  if (tagList) {
    BuildFromSorted([](std::string&, int32_t&) { return false; }, 0);
  } else {
    BuildFromTable(true);
  }
  return 1;
}

// ---------------------------------------------------------------------------

GSobjCDXFile::GSobjCDXFile(IndexTableLink* t, const std::string& name, bool create, bool readWrite)
    : GSobjIndexFile(t, ".cdx") {
  if (!OpenDiskFile(name, create, readWrite, ".cdx")) return;
  recordNumberOrder = true;
  if (!create && disk->Size() > 512) {
    nextFree = -1;
    try {
      tagList = std::make_unique<GSobjCDXTag>(*this, 0, IndexBaseName(fileName), true);
      for (const GSobjIndexKeyData& entry : tagList->AllKeys()) {
        tags.push_back(std::make_unique<GSobjCDXTag>(*this, entry.link, entry.value, false));
      }
    } catch (const EDbfExpression&) {
      throw;
    } catch (const EDbfError&) {
      corrupt = true;
      tags.clear();
      throw;
    }
  } else {
    disk->Truncate(0);
    nextFree = 0;
    tagList = std::make_unique<GSobjCDXTag>(*this, -1, IndexBaseName(fileName), true);
    tagList->DefineTag(tagList->name, "", false, true, "");
  }
  if (table) table->IndexFileOpened(disk->Path());
  opened = true;
}

GSobjCDXFile::~GSobjCDXFile() = default;

int GSobjCDXFile::AddTag(const std::string& given, const std::string& keyExpression, bool unique,
                         bool ascending, const std::string& forExpression) {
  std::string name = IndexUpper(given).substr(0, 10);
  // The new tag is built completely before the tag list drops a tag of the
  // same name, so a failed definition leaves the old tag in place.
  auto tag = std::make_unique<GSobjCDXTag>(*this, -1, name, false);
  GSobjCDXTag& t = *tag;
  int result = t.DefineTag(name, keyExpression, unique, ascending, forExpression);
  for (size_t i = tags.size(); i-- > 0;) {
    if (tags[i]->name == name) {
      tagList->DeleteKey(name, tags[i]->headerPage);
      tags.erase(tags.begin() + static_cast<long>(i));
      break;
    }
  }
  tags.push_back(std::move(tag));
  tagList->InsertKey({name, t.headerPage, t.headerPage});
  return result;
}

bool GSobjCDXFile::DeleteTag(const std::string& given) {
  std::string name = IndexUpper(given);
  for (size_t i = tags.size(); i-- > 0;) {
    if (tags[i]->name == name) {
      tagList->DeleteKey(name, tags[i]->headerPage);
      tags.erase(tags.begin() + static_cast<long>(i));
      if (tags.empty()) Reindex();
      return true;
    }
  }
  return false;
}

int32_t GSobjCDXFile::AllocatePage() {
  return NextPageOffset(GSobjCDXTag::kNodeSize, 0x7FFFFE00);
}

void GSobjCDXFile::Reindex() {
  for (auto& tag : tags) tag->ReleaseCursor();
  disk->Truncate(0);
  nextFree = 0;
  tagList = std::make_unique<GSobjCDXTag>(*this, -1, tagList->name, true);
  tagList->DefineTag(tagList->name, "", false, true, "");
  for (auto& tag : tags) {
    auto& t = static_cast<GSobjCDXTag&>(*tag);
    t.headerPage = AllocatePage();
    AllocatePage();
    t.changeCounter = 0;
    t.DefineTag(t.name, t.keyExpression, t.unique, t.ascending, t.forExpression);
    tagList->InsertKey({t.name, t.headerPage, t.headerPage});
  }
}

bool GSobjCDXFile::ChangedByOtherUser() {
  if (!disk || !disk->Shared() || !tagList) return false;
  uint8_t h[12];
  if (disk->Read(0, h, 12) != 12) return false;
  return GetLE32(h + 8) != tagList->changeCounter;
}

bool GSobjCDXFile::UpdateRecordKeys(int32_t record, bool isAppend) {
  bool changed = GSobjIndexFile::UpdateRecordKeys(record, isAppend);
  if (changed && tagList) {
    ++tagList->changeCounter;
    tagList->headerDirty = true;
    tagList->WriteHeader();
  }
  return changed;
}

void GSobjCDXFile::Flush() {
  if (tagList) tagList->ReleaseCursor();
  GSobjIndexFile::Flush();
}

}  // namespace kelmo::dbf
