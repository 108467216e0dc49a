// .mdx multiple-tag index file. Layout:
//
// File header (2048 bytes at block 0): 0 version 2 (1)   1 date yy mm dd (3)
//   4 table base name (16)   20 blocks per page (2)   22 page size (2)
//   24 1 (1)   25 48 (1)   26 tag entry length 32 (2)   28 number of tags (2)
//   32 next free block (4)   44 creation date (3)
//   512 + 32 k: tag table entry k (1 .. 47): header block (4), name (11),
//   17 number of the next tag (1), 19 value 2 (1), 20 key type (1).
// Tag header (one page): 0 root block (4)   8 key format (1; 16, +64 unique,
//   +8 descending)   9 key type (1)   12 key length (2)   14 maximum keys (2)
//   18 entry size (2)   23 unique (1)   24 key expression (221)
//   245 for-condition flag (1)   246 1 (1)   248 first node (4)   252 last node (4)
//   762 for expression (262)
// Node (one page): count (4), node written before it for the tag (4); from 8
//   entries of pointer (4; child block or record) and key. A leaf has count
//   entries; an interior node one more, carrying only the rightmost child.
#include "mdx_index.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "date_values.h"
#include "dbf_expression_tools.h"
#include "decimal_digits.h"
#include "key_sorter.h"
#include "ntx_index.h"

namespace kelmo::dbf {

namespace {

constexpr int kTagEntry = 32;
constexpr int kExprOffset = 24;
constexpr int kExprSize = 221;
constexpr int kForOffset = 762;
constexpr int kForSize = 262;

}  // namespace

std::array<uint8_t, 12> FloatToMdxDecimal(double value) {
  std::array<uint8_t, 12> out{};
  if (!std::isfinite(value) && !std::isinf(value)) value = 0;
  bool negative = value < 0;
  double magnitude = std::fabs(value);
  char digits[15];
  int count = 0;
  int exponent = 0;
  if (magnitude != 0 && std::isfinite(magnitude)) {
    count = SignificantDecimalDigits(magnitude, digits, exponent);
  } else if (std::isinf(magnitude)) {
    exponent = 16;
  }
  if (exponent > 15) {
    exponent = 15;
    std::memset(digits, '9', sizeof digits);
    count = 15;
  }
  if (count == 0 || exponent < -52) {
    out[0] = 52;
    out[1] = 1;
    return out;
  }
  const size_t bytes = (static_cast<size_t>(count) + 1) / 2;
  for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
    uint8_t d = static_cast<uint8_t>(digits[i] - '0');
    out[2 + i / 2] |= static_cast<uint8_t>(i % 2 == 0 ? d << 4 : d);
  }
  out[0] = static_cast<uint8_t>(exponent + 52);
  out[1] = static_cast<uint8_t>(bytes * 2 * 4 + 1 + (negative ? 128 : 0));
  return out;
}

double MdxDecimalToFloat(const uint8_t* b) {
  int digitBytes = std::min((b[1] & 0x7F) / 8, 10);
  double d = 0;
  for (int i = 0; i < digitBytes; ++i) {
    d = d * 100 + (b[2 + i] >> 4) * 10 + (b[2 + i] & 0x0F);
  }
  // Powers of ten from 1e-80 to 1e219 cover every exponent a byte can hold.
  static const std::array<double, 300> kPowers = [] {
    std::array<double, 300> p{};
    for (int i = 0; i < 300; ++i) p[static_cast<size_t>(i)] = std::pow(10.0, i - 80);
    return p;
  }();
  double v = d * kPowers[static_cast<size_t>(b[0] - 52 - 2 * digitBytes + 80)];
  return (b[1] & 0x80) ? -v : v;
}

// ---------------------------------------------------------------------------

GSobjMDXTag::GSobjMDXTag(GSobjMDXFile& f, int32_t header, const std::string& n)
    : GSobjIndexTag(f, "MDX", n, header), pageSize(f.pageSize) {
  OpenHeader(header);
}

std::string GSobjMDXTag::FormatKey(const TdfExpVariant& value, uint8_t type, bool trim) {
  if (keyType == 'C') {
    std::string out = CharacterKeyText(value, type);
    if (static_cast<int>(out.size()) > keyLength) out.resize(static_cast<size_t>(keyLength));
    if (trim) TrimTrailingBlanks(out);
    return out;
  }
  double v = NumericKeyValue(value, type);
  if (keyType == 'D' && v < 0.1) v = kEmptyDate;
  if (keyType == 'N') v = MdxDecimalToFloat(FloatToMdxDecimal(v).data());
  uint8_t b[8];
  PutLEDouble(b, v);
  return std::string(reinterpret_cast<char*>(b), 8);
}

size_t GSobjMDXTag::NodeCapacity(bool leaf, bool) const {
  return leaf ? static_cast<size_t>(maxKeys) : static_cast<size_t>(maxKeys) + 1;
}

int32_t GSobjMDXTag::AllocatePage() {
  int32_t page = file.AllocatePage();
  newChain_[page] = lastNode;
  if (firstNode == 0) firstNode = page;
  lastNode = page;
  headerDirty = true;
  return page;
}

void GSobjMDXTag::ReadNodePage(GSobjIndexKey& node, const GSobjIndexKeyData*, bool) {
  std::vector<uint8_t> b(static_cast<size_t>(pageSize));
  file.ReadPage(node.page, b.data(), pageSize);
  uint32_t count = GetLE32(b.data());
  if (count > static_cast<uint32_t>(maxKeys)) Corrupt();
  int n = static_cast<int>(count);
  int32_t after = static_cast<int32_t>(GetLE32(b.data() + 8 + n * entrySize));
  node.leaf = after == 0;
  node.entries.clear();
  node.entries.reserve(static_cast<size_t>(std::min(n, maxKeys)) + 1);
  for (int i = 0; i < n; ++i) {
    const uint8_t* e = b.data() + 8 + i * entrySize;
    int32_t pointer = static_cast<int32_t>(GetLE32(e));
    if (!node.leaf && pointer <= 0) Corrupt();
    std::string key;
    if (keyType == 'C') {
      key = IndexTextFromPage(e + 4, keyLength);
    } else {
      double v = keyType == 'N' ? MdxDecimalToFloat(e + 4) : GetLEDouble(e + 4);
      uint8_t f[8];
      PutLEDouble(f, v);
      key.assign(reinterpret_cast<char*>(f), 8);
    }
    node.entries.push_back({std::move(key), node.leaf ? pointer : 0, pointer});
  }
  if (!node.leaf) node.entries.push_back({PseudoHighKey(), 0, after});
  node.dirty = false;
}

void GSobjMDXTag::WriteNodePage(const GSobjIndexKey& node, bool) {
  std::vector<uint8_t> b(static_cast<size_t>(pageSize), 0);
  size_t n = node.entries.size();
  size_t keys = node.leaf ? n : (n ? n - 1 : 0);
  PutLE32(b.data(), static_cast<uint32_t>(keys));
  // The backward chain: set when the page was allocated, else kept as on disk.
  auto it = newChain_.find(node.page);
  if (it != newChain_.end()) {
    PutLE32(b.data() + 4, static_cast<uint32_t>(it->second));
    newChain_.erase(it);
  } else {
    uint8_t old[512];
    try {
      file.ReadPage(node.page, old, 512);
      std::memcpy(b.data() + 4, old + 4, 4);
    } catch (const EDbfError&) {
      // A page not yet in the file has no chain to keep.
    }
  }
  for (size_t i = 0; i < n; ++i) {
    const GSobjIndexKeyData& e = node.entries[i];
    uint8_t* p = b.data() + 8 + static_cast<int>(i) * entrySize;
    PutLE32(p, static_cast<uint32_t>(e.link));
    if (i >= keys) break;  // the rightmost child carries no key
    if (keyType == 'C') {
      std::memset(p + 4, ' ', static_cast<size_t>(keyLength));
      std::memcpy(p + 4, e.value.data(), std::min<size_t>(e.value.size(), keyLength));
    } else if (e.value.size() == 8) {
      double v = GetLEDouble(reinterpret_cast<const uint8_t*>(e.value.data()));
      if (keyType == 'N') {
        auto dec = FloatToMdxDecimal(v);
        std::memcpy(p + 4, dec.data(), 12);
      } else {
        PutLEDouble(p + 4, v);
      }
    }
  }
  file.WritePage(node.page, b.data(), pageSize);
}

void GSobjMDXTag::ReadHeader() {
  std::vector<uint8_t> h(static_cast<size_t>(pageSize));
  file.ReadPage(headerPage, h.data(), pageSize);
  rootPage = static_cast<int32_t>(GetLE32(h.data()));
  uint8_t format = h[8];
  keyType = static_cast<char>(h[9]);
  keyLength = GetLE16(h.data() + 12);
  maxKeys = GetLE16(h.data() + 14);
  entrySize = GetLE16(h.data() + 18);
  unique = h[23] != 0;
  ascending = (format & 8) == 0;
  firstNode = static_cast<int32_t>(GetLE32(h.data() + 248));
  lastNode = static_cast<int32_t>(GetLE32(h.data() + 252));
  bool forFlag = h[245] != 0;
  if ((keyType != 'C' && keyType != 'N' && keyType != 'D') || keyLength < 1 ||
      keyLength > TdfSort::kMaxKeyLength || entrySize < keyLength + 4 || maxKeys < 2 ||
      8 + (int64_t{maxKeys} + 1) * entrySize + 4 > pageSize || rootPage <= 0 ||
      (keyType == 'N' && keyLength != 12) || (keyType == 'D' && keyLength != 8)) {
    Corrupt();
  }
  keyExpression = ZeroTerminatedText(h.data() + kExprOffset, kExprSize);
  forExpression.clear();
  if (forFlag) {
    forExpression = ZeroTerminatedText(h.data() + kForOffset, kForSize);
  }
  keyForm = keyType == 'C' ? IndexKeyForm::kText : IndexKeyForm::kFloat;
  CompileExpressions();
  headerDirty = false;
}

void GSobjMDXTag::WriteHeader() {
  if (!headerDirty) return;
  std::vector<uint8_t> h(static_cast<size_t>(pageSize), 0);
  PutLE32(h.data(), static_cast<uint32_t>(rootPage));
  h[8] = static_cast<uint8_t>(16 + (unique ? 64 : 0) + (ascending ? 0 : 8));
  h[9] = static_cast<uint8_t>(keyType);
  PutLE16(h.data() + 12, static_cast<uint16_t>(keyLength));
  PutLE16(h.data() + 14, static_cast<uint16_t>(maxKeys));
  PutLE16(h.data() + 18, static_cast<uint16_t>(entrySize));
  h[23] = unique ? 64 : 0;
  std::memcpy(h.data() + kExprOffset, keyExpression.data(),
              std::min<size_t>(keyExpression.size(), kExprSize - 1));
  h[245] = hasFor ? 1 : 0;
  h[246] = 1;
  PutLE32(h.data() + 248, static_cast<uint32_t>(firstNode));
  PutLE32(h.data() + 252, static_cast<uint32_t>(lastNode));
  if (hasFor) {
    std::memcpy(h.data() + kForOffset, forExpression.data(),
                std::min<size_t>(forExpression.size(), kForSize - 1));
  }
  file.WritePage(headerPage, h.data(), pageSize);
  headerDirty = false;
}

int GSobjMDXTag::DefineTag(const std::string& n, const std::string& key, bool u, bool asc,
                           const std::string& forExpr) {
  name = n;
  CheckExpressionsFit(key.size() < kExprSize && forExpr.size() < kForSize, key);
  TdfExpVariant v;
  if (!CompileDefinition(key, forExpr, u, asc, v)) return 0;
  uint8_t t = keyHandler->GetResultType();
  if (t == etDate || t == etDateTime) {
    keyType = 'D';
    keyLength = 8;
  } else if (IsNumericFamily(t)) {
    keyType = 'N';
    keyLength = 12;
  } else {
    keyType = 'C';
    keyLength = t == etBoolean ? 1 : static_cast<int>(VariantToText(v).size());
    CheckKeyLength();
  }
  keyForm = keyType == 'C' ? IndexKeyForm::kText : IndexKeyForm::kFloat;
  entrySize = (keyLength + 4 + 3) / 4 * 4;
  maxKeys = (pageSize - 8) / entrySize - 1;
  firstNode = lastNode = 0;
  std::vector<uint8_t> zero(static_cast<size_t>(pageSize), 0);
  file.WritePage(headerPage, zero.data(), pageSize);
  BuildFromTable(true);
  return 1;
}

// ---------------------------------------------------------------------------

GSobjMDXFile::GSobjMDXFile(IndexTableLink* t, const std::string& name, bool create, bool readWrite)
    : GSobjIndexFile(t, ".mdx") {
  if (!OpenDiskFile(name, create, readWrite, ".mdx")) return;
  if (!create && disk->Size() > 512) {
    uint8_t b0[512];
    ReadPage(0, b0, 512);
    blocksPerPage = GetLE16(b0 + 20);
    pageSize = GetLE16(b0 + 22);
    headerSize = static_cast<int>(std::min<int64_t>(int64_t{blocksPerPage} * pageSize, 1 << 30));
    int count = GetLE16(b0 + 28);
    if (blocksPerPage < 1 || pageSize != blocksPerPage * 512 || pageSize > 8192 ||
        count > kMaxTags || headerSize < 512 + kTagEntry * (count + 1)) {
      throw EDbfError(DbfFormat("Index file %s is corrupted", fileName.c_str()));
    }
    std::vector<uint8_t> header(static_cast<size_t>(headerSize));
    ReadPage(0, header.data(), headerSize);
    nextFree = -1;
    for (int k = 1; k <= count; ++k) {
      const uint8_t* e = header.data() + 512 + kTagEntry * k;
      int32_t block = static_cast<int32_t>(GetLE32(e));
      std::string tagName = ZeroTerminatedText(e + 4, 11);
      tags.push_back(std::make_unique<GSobjMDXTag>(*this, block, IndexUpper(tagName)));
    }
  } else {
    WriteNewHeader();
  }
  if (table) table->IndexFileOpened(disk->Path());
  opened = true;
}

void GSobjMDXFile::WriteNewHeader() {
  pageSize = 1024;
  blocksPerPage = 2;
  headerSize = 2048;
  std::vector<uint8_t> h(static_cast<size_t>(headerSize), 0);
  int y, m, d;
  TdfDBFDate::DecodeJulian(TdfDBFDate::TodayJulian(), y, m, d);
  h[0] = 2;
  h[1] = h[44] = static_cast<uint8_t>(y % 100);
  h[2] = h[45] = static_cast<uint8_t>(m);
  h[3] = h[46] = static_cast<uint8_t>(d);
  if (table) {
    std::string base = IndexUpper(IndexBaseName(table->TableFileName())).substr(0, 8);
    std::memcpy(h.data() + 4, base.data(), base.size());
  }
  PutLE16(h.data() + 20, static_cast<uint16_t>(blocksPerPage));
  PutLE16(h.data() + 22, static_cast<uint16_t>(pageSize));
  h[24] = 1;
  h[25] = 48;
  PutLE16(h.data() + 26, kTagEntry);
  PutLE32(h.data() + 32, 4);
  disk->Truncate(0);
  WritePage(0, h.data(), headerSize);
  nextFree = headerSize / 512;
}

void GSobjMDXFile::WriteTagTable() {
  std::vector<uint8_t> h(static_cast<size_t>(headerSize));
  ReadPage(0, h.data(), headerSize);
  std::memset(h.data() + 512, 0, static_cast<size_t>(headerSize - 512));
  PutLE16(h.data() + 28, static_cast<uint16_t>(tags.size()));
  int64_t next = nextFree >= 0 ? nextFree : (disk->Size() + 511) / 512;
  PutLE32(h.data() + 32, static_cast<uint32_t>(next));
  for (size_t k = 1; k <= tags.size(); ++k) {
    const GSobjIndexTag& tag = *tags[k - 1];
    uint8_t* e = h.data() + 512 + kTagEntry * static_cast<int>(k);
    h[512 + kTagEntry * (k - 1) + 17] = static_cast<uint8_t>(k);
    PutLE32(e, static_cast<uint32_t>(tag.headerPage));
    std::memcpy(e + 4, tag.name.data(), std::min<size_t>(tag.name.size(), 10));
    e[19] = 2;
    e[20] = static_cast<uint8_t>(tag.keyType);
  }
  WritePage(0, h.data(), headerSize);
}

int GSobjMDXFile::AddTag(const std::string& given, const std::string& keyExpression, bool unique,
                         bool ascending, const std::string& forExpression) {
  std::string name = IndexUpper(given).substr(0, 10);
  size_t existing = tags.size();
  for (size_t i = 0; i < tags.size(); ++i) {
    if (tags[i]->name == name) existing = i;
  }
  // The tag table holds 47 entries; a further tag would be written over the
  // first node pages, so it is refused before anything is written.
  if (existing == tags.size() && static_cast<int>(tags.size()) >= kMaxTags) {
    throw EDbfError(DbfFormat("Index file %s has no room for another tag", fileName.c_str()));
  }
  auto tag = std::make_unique<GSobjMDXTag>(*this, -1, name);
  int result = tag->DefineTag(name, keyExpression, unique, ascending, forExpression);
  // The new tag is complete on disk before the tag table names it.
  if (existing != tags.size()) tags.erase(tags.begin() + static_cast<long>(existing));
  size_t at = 0;
  while (at < tags.size() && tags[at]->name < name) ++at;
  tags.insert(tags.begin() + static_cast<long>(at), std::move(tag));
  WriteTagTable();
  return result;
}

bool GSobjMDXFile::DeleteTag(const std::string& given) {
  std::string name = IndexUpper(given);
  for (size_t i = tags.size(); i-- > 0;) {
    if (tags[i]->name == name) {
      tags.erase(tags.begin() + static_cast<long>(i));
      WriteTagTable();
      if (tags.empty()) Reindex();
      return true;
    }
  }
  return false;
}

int32_t GSobjMDXFile::AllocatePage() {
  if (nextFree < 0) nextFree = (disk->Size() + 511) / 512;
  // Pages start on a page boundary after the header.
  int64_t block = nextFree;
  nextFree += blocksPerPage;
  return CheckedPageAddress(block, 0x3FFFFF);
}

bool GSobjMDXFile::Rename(const std::string& newName) {
  if (!GSobjIndexFile::Rename(newName)) return false;
  uint8_t h[512];
  ReadPage(0, h, 512);
  std::memset(h + 4, 0, 9);
  std::string base = IndexUpper(IndexBaseName(fileName)).substr(0, 8);
  std::memcpy(h + 4, base.data(), base.size());
  WritePage(0, h, 512);
  return true;
}

void GSobjMDXFile::Reindex() {
  for (auto& tag : tags) tag->ReleaseCursor();
  disk->Truncate(headerSize);
  nextFree = headerSize / 512;
  for (auto& tag : tags) {
    auto& t = static_cast<GSobjMDXTag&>(*tag);
    t.headerPage = AllocatePage();
    t.DefineTag(t.name, t.keyExpression, t.unique, t.ascending, t.forExpression);
  }
  WriteTagTable();
}

}  // namespace kelmo::dbf
