// Zip records and the in-memory entry, end record and sorted entry list (see
// zip_records.h).
#include "zip_records.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "buffered_stream.h"
#include "bytes/code_pages.h"
#include "bytes/little_endian.h"
#include "file_helpers.h"
#include "zip_crypt.h"

namespace kelmo::zip {

namespace {
ZipSignatures& MutableSignatures() {
  static ZipSignatures sigs;
  return sigs;
}
}  // namespace

const ZipSignatures& Signatures() {
  return MutableSignatures();
}

void SetZipSignatures(std::uint32_t central, std::uint32_t local, std::uint32_t end) {
  ZipSignatures& s = MutableSignatures();
  s = ZipSignatures{};
  if (central) s.central = central;
  if (local) s.local = local;
  if (end) s.end = end;
}

namespace {
// Each record lists its fields once, in the format's order; reading and
// writing both walk that list, so the two cannot drift apart.
template <typename T>
T GetLE(const std::uint8_t* p) {
  if constexpr (sizeof(T) == 2)
    return bytes::GetLE16(p);
  else if constexpr (sizeof(T) == 4)
    return bytes::GetLE32(p);
  else
    return bytes::GetLE64(p);
}

template <typename T>
void PutLE(std::uint8_t* p, T v) {
  if constexpr (sizeof(T) == 2)
    bytes::PutLE16(p, v);
  else if constexpr (sizeof(T) == 4)
    bytes::PutLE32(p, v);
  else
    bytes::PutLE64(p, v);
}

template <typename Tuple>
void ReadFields(const std::uint8_t* p, Tuple fields) {
  std::apply(
      [&p](auto&... f) {
        ((f = GetLE<std::remove_reference_t<decltype(f)>>(p), p += sizeof(f)), ...);
      },
      fields);
}

template <typename Tuple>
void WriteFields(std::uint8_t* p, Tuple fields) {
  std::apply([&p](const auto&... f) { ((PutLE(p, f), p += sizeof(f)), ...); }, fields);
}

template <typename Tuple>
struct FieldBytes;
template <typename... T>
struct FieldBytes<std::tuple<T&...>> {
  static constexpr int value = static_cast<int>((sizeof(T) + ...));
};

template <typename R>
auto LocalFields(R& r) {
  return std::tie(r.signature, r.version_needed, r.flags, r.method, r.date_time, r.crc32,
                  r.compressed_size, r.uncompressed_size, r.name_length, r.extra_length);
}
template <typename R>
auto CentralFields(R& r) {
  return std::tie(r.signature, r.version_made_by, r.version_needed, r.flags, r.method, r.date_time,
                  r.crc32, r.compressed_size, r.uncompressed_size, r.name_length, r.extra_length,
                  r.comment_length, r.disk_start, r.internal_attributes, r.external_attributes,
                  r.local_header_offset);
}
template <typename R>
auto EndFields(R& r) {
  return std::tie(r.signature, r.this_disk, r.central_start_disk, r.entries_this_disk,
                  r.entries_total, r.central_size, r.central_offset, r.comment_length);
}
template <typename R>
auto Zip64EndFields(R& r) {
  return std::tie(r.signature, r.record_size, r.version_made_by, r.version_needed, r.this_disk,
                  r.central_start_disk, r.entries_this_disk, r.entries_total, r.central_size,
                  r.central_offset);
}
template <typename R>
auto LocatorFields(R& r) {
  return std::tie(r.signature, r.zip64_end_disk, r.zip64_end_offset, r.total_disks);
}

static_assert(FieldBytes<decltype(LocalFields(std::declval<LocalFileHeader&>()))>::value ==
              LocalFileHeader::kSize);
static_assert(FieldBytes<decltype(CentralFields(std::declval<CentralDirHeader&>()))>::value ==
              CentralDirHeader::kSize);
static_assert(FieldBytes<decltype(EndFields(std::declval<EndCentralRecord&>()))>::value ==
              EndCentralRecord::kSize);
static_assert(FieldBytes<decltype(Zip64EndFields(std::declval<Zip64EndRecord&>()))>::value ==
              Zip64EndRecord::kSize);
static_assert(FieldBytes<decltype(LocatorFields(std::declval<Zip64Locator&>()))>::value ==
              Zip64Locator::kSize);
// A field too wide for its slot in the classic record holds the all-ones
// mark there and its value in the Zip64 companion, created on demand.
// mirror keeps the companion in step when the value fits the slot too.
template <typename Narrow, typename Ext, typename Wide>
Wide WideValue(Narrow narrow, const std::optional<Ext>& ext, Wide Ext::*member) {
  constexpr Narrow mark = std::numeric_limits<Narrow>::max();
  return narrow == mark && ext ? (*ext).*member : narrow;
}

template <typename Narrow, typename Ext, typename Wide>
void SetWideValue(std::uint64_t v, Narrow& narrow, std::optional<Ext>& ext, Wide Ext::*member,
                  bool mirror = false) {
  constexpr Narrow mark = std::numeric_limits<Narrow>::max();
  if (v >= mark) {
    if (!ext) ext.emplace();
    (*ext).*member = static_cast<Wide>(v);
    narrow = mark;
  } else {
    narrow = static_cast<Narrow>(v);
    if (mirror && ext) (*ext).*member = static_cast<Wide>(v);
  }
}
}  // namespace

void LocalFileHeader::Read(const std::uint8_t* p) {
  ReadFields(p, LocalFields(*this));
}
void LocalFileHeader::Write(std::uint8_t* p) const {
  WriteFields(p, LocalFields(*this));
}
void CentralDirHeader::Read(const std::uint8_t* p) {
  ReadFields(p, CentralFields(*this));
}
void CentralDirHeader::Write(std::uint8_t* p) const {
  WriteFields(p, CentralFields(*this));
}
void EndCentralRecord::Read(const std::uint8_t* p) {
  ReadFields(p, EndFields(*this));
}
void EndCentralRecord::Write(std::uint8_t* p) const {
  WriteFields(p, EndFields(*this));
}
void Zip64EndRecord::Read(const std::uint8_t* p) {
  ReadFields(p, Zip64EndFields(*this));
}
void Zip64EndRecord::Write(std::uint8_t* p) const {
  WriteFields(p, Zip64EndFields(*this));
}
void Zip64Locator::Read(const std::uint8_t* p) {
  ReadFields(p, LocatorFields(*this));
}
void Zip64Locator::Write(std::uint8_t* p) const {
  WriteFields(p, LocatorFields(*this));
}

// ---------------------------------------------------------------- entry

void TZipHeaderInfo::Clear() {
  version_made_by = 45;
  version_needed = 20;
  flags = 0;
  compression_method = 8;
  date_time = 0;
  crc32 = 0xFFFFFFFF;
  compressed_size = 0;
  uncompressed_size = 0;
  name_length = 0;
  central_extra_length = 0;
  local_extra_length = 0;
  comment_length = 0;
  disk_start = 0;
  internal_attributes = 1;
  external_attributes = 32;
  local_header_offset = 0;
  central_header_position = 0;
  file_name.clear();
  directory.clear();
  comment.reset();
  selected = false;
  extra_field_position = 0;
  extra_length_as_read = 0;
  zip64_length_as_read = 0;
  zip64_.reset();
}

void TZipHeaderInfo::Assign(const TZipHeaderInfo& o) {
  if (this == &o) return;
  version_made_by = o.version_made_by;
  version_needed = o.version_needed;
  flags = o.flags;
  compression_method = o.compression_method;
  date_time = o.date_time;
  crc32 = o.crc32;
  compressed_size = o.compressed_size;
  uncompressed_size = o.uncompressed_size;
  name_length = o.name_length;
  central_extra_length = o.central_extra_length;
  local_extra_length = o.local_extra_length;
  comment_length = o.comment_length;
  disk_start = o.disk_start;
  internal_attributes = o.internal_attributes;
  external_attributes = o.external_attributes;
  local_header_offset = o.local_header_offset;
  central_header_position = o.central_header_position;
  file_name = o.file_name;
  directory = o.directory;
  zip64_ = o.zip64_;
  comment = o.comment;
  selected = o.selected;
  extra_field_position = 0;
  extra_length_as_read = 0;
  zip64_length_as_read = 0;
}

namespace {
void SplitFullName(const std::string& full, std::string& folder, std::string& name) {
  auto pos = full.find_last_of('/');
  if (pos == std::string::npos) {
    folder.clear();
    name = full;
  } else {
    folder = full.substr(0, pos + 1);
    name = full.substr(pos + 1);
  }
}

// The fields the local and central headers have in common.
template <typename Header>
void TakeSharedFields(TZipHeaderInfo& e, const Header& h) {
  e.version_needed = h.version_needed;
  e.flags = h.flags;
  e.compression_method = h.method;
  e.date_time = ValidDosDateTime(h.date_time);
  e.crc32 = h.crc32;
  e.compressed_size = h.compressed_size;
  e.uncompressed_size = h.uncompressed_size;
  e.name_length = h.name_length;
}

template <typename Header>
void GiveSharedFields(const TZipHeaderInfo& e, Header& h) {
  h.version_needed = e.version_needed;
  h.flags = e.flags;
  h.method = e.compression_method;
  h.date_time = e.date_time;
  h.crc32 = e.crc32;
  h.compressed_size = e.compressed_size;
  h.uncompressed_size = e.uncompressed_size;
  h.name_length = e.name_length;
}
}  // namespace

void TZipHeaderInfo::TakeCentralRecord(const CentralDirHeader& h, const std::string& full_name) {
  version_made_by = h.version_made_by;
  TakeSharedFields(*this, h);
  central_extra_length = h.extra_length;
  comment_length = h.comment_length;
  disk_start = h.disk_start;
  internal_attributes = h.internal_attributes;
  external_attributes = h.external_attributes;
  local_header_offset = h.local_header_offset;
  central_header_position = 0;
  SplitFullName(full_name, directory, file_name);
  comment.reset();
  selected = false;
}

void TZipHeaderInfo::TakeLocalRecord(const LocalFileHeader& h, const std::string& full_name) {
  version_made_by = 0;
  TakeSharedFields(*this, h);
  local_extra_length = h.extra_length;
  central_extra_length = 0;
  comment_length = 0;
  disk_start = 0;
  internal_attributes = 0;
  external_attributes = 0;
  local_header_offset = 0;
  SplitFullName(full_name, directory, file_name);
}

std::string TZipHeaderInfo::NameFromArchive(const std::string& stored, bool central) const {
  if (bytes::IsAscii(stored)) return stored;
  if ((flags & kFlagUtf8) && bytes::IsValidUtf8(stored)) return stored;
  std::uint8_t host = static_cast<std::uint8_t>(version_made_by >> 8);
  // A local header does not say who made it; a name that reads as UTF-8 is
  // far more likely a Unix tool's than DOS text that happens to form UTF-8.
  if (!central && bytes::IsValidUtf8(stored)) return stored;
  bool convert = !central || host == 0;
  if (convert && oem_mode != TOEMConvert::oemNever) {
    if (oem_mode == TOEMConvert::oemFlexible && (version_made_by & 0x0B00) == 0x0B00)
      return bytes::DecodeToUtf8(stored, bytes::CodePage::Cp1251);
    return bytes::DecodeToUtf8(stored, bytes::CodePage::Cp866);
  }
  // Taken unchanged: a name that is already UTF-8 (a Unix tool) stays; other
  // bytes are the maker's own code page: Windows' for host 11, else DOS.
  if (bytes::IsValidUtf8(stored)) return stored;
  return bytes::DecodeToUtf8(stored, host == 11 || oem_mode == TOEMConvert::oemNever
                                         ? bytes::CodePage::Cp1251
                                         : bytes::CodePage::Cp866);
}

std::string TZipHeaderInfo::NameToArchive(const std::string& full_name) {
  std::string name = full_name;
  for (char& c : name)
    if (c == '\\') c = '/';
  flags &= static_cast<std::uint16_t>(~kFlagUtf8);
  if (bytes::IsAscii(name)) return name;
  if (oem_mode != TOEMConvert::oemNever) {
    std::string oem;
    if (bytes::EncodeFromUtf8(name, bytes::CodePage::Cp866, oem)) return oem;
  }
  // No DOS form (or the mode keeps names as they are): the name goes in
  // UTF-8 and says so, rather than losing characters to "?". The maker is
  // NTFS: Info-ZIP takes names from a FAT maker for DOS text whatever the
  // flag says.
  version_made_by = static_cast<std::uint16_t>((version_made_by & 0xFF) | 0x0B00);
  flags |= kFlagUtf8;
  return name;
}

void TZipHeaderInfo::RecomputeNameLength() {
  TZipHeaderInfo probe;
  probe.oem_mode = oem_mode;
  probe.version_made_by = version_made_by;
  name_length = static_cast<std::uint16_t>(probe.NameToArchive(directory + file_name).size());
}

void TZipHeaderInfo::SetFileName(const std::string& name) {
  file_name = name;
  RecomputeNameLength();
}

void TZipHeaderInfo::SetDirectory(const std::string& folder) {
  directory = folder;
  for (char& c : directory)
    if (c == '\\') c = '/';
  if (!directory.empty() && directory.back() != '/') directory += '/';
  RecomputeNameLength();
}

void TZipHeaderInfo::SetFileComment(const std::optional<std::string>& text) {
  comment = text;
  comment_length =
      text ? static_cast<std::uint16_t>(std::min<std::size_t>(text->size(), 65535)) : 0;
  if (comment && comment->size() > comment_length) comment->resize(comment_length);
}

Zip64Values& TZipHeaderInfo::Zip64() {
  if (!zip64_) zip64_.emplace();
  return *zip64_;
}

std::uint64_t TZipHeaderInfo::GetCompressedSize() const {
  return WideValue(compressed_size, zip64_, &Zip64Values::compressed_size);
}
void TZipHeaderInfo::SetCompressedSize(std::uint64_t v) {
  SetWideValue(v, compressed_size, zip64_, &Zip64Values::compressed_size);
}
std::uint64_t TZipHeaderInfo::GetUncompressedSize() const {
  return WideValue(uncompressed_size, zip64_, &Zip64Values::uncompressed_size);
}
void TZipHeaderInfo::SetUncompressedSize(std::uint64_t v) {
  SetWideValue(v, uncompressed_size, zip64_, &Zip64Values::uncompressed_size);
}
std::uint64_t TZipHeaderInfo::GetLocalHeaderOffset() const {
  return WideValue(local_header_offset, zip64_, &Zip64Values::local_header_offset);
}
void TZipHeaderInfo::SetLocalHeaderOffset(std::uint64_t v) {
  SetWideValue(v, local_header_offset, zip64_, &Zip64Values::local_header_offset);
}
std::uint32_t TZipHeaderInfo::GetDiskStart() const {
  return WideValue(disk_start, zip64_, &Zip64Values::disk_start);
}
void TZipHeaderInfo::SetDiskStart(std::uint32_t v) {
  SetWideValue(v, disk_start, zip64_, &Zip64Values::disk_start);
}

std::uint16_t TZipHeaderInfo::Zip64ExtraLength(bool central) const {
  std::uint16_t n = 0;
  if (uncompressed_size == kMark32) n += 8;
  if (compressed_size == kMark32 || (!central && uncompressed_size == kMark32)) n += 8;
  // A local header has no offset or disk fields, so its Zip64 block carries
  // the two sizes only (what every reader of local headers expects).
  if (central && local_header_offset == kMark32) n += 8;
  if (central && disk_start == kMark16) n += 4;
  return n;
}

void TZipHeaderInfo::WriteZip64Extra(std::uint8_t* out, bool central) const {
  std::uint16_t len = Zip64ExtraLength(central);
  bytes::PutLE16(out, 1);
  bytes::PutLE16(out + 2, len);
  std::uint8_t* p = out + 4;
  Zip64Values z = zip64_ ? *zip64_ : Zip64Values{};
  if (uncompressed_size == kMark32) {
    bytes::PutLE64(p, z.uncompressed_size);
    p += 8;
  }
  if (compressed_size == kMark32) {
    bytes::PutLE64(p, z.compressed_size);
    p += 8;
  } else if (!central && uncompressed_size == kMark32) {
    bytes::PutLE64(p, compressed_size);
    p += 8;
  }
  if (central && local_header_offset == kMark32) {
    bytes::PutLE64(p, z.local_header_offset);
    p += 8;
  }
  if (central && disk_start == kMark16) bytes::PutLE32(p, z.disk_start);
}

std::string TZipHeaderInfo::UnicodePathField(const std::string& stored) const {
  if ((flags & kFlagUtf8) || bytes::IsAscii(stored)) return {};
  std::string name = directory + file_name;
  for (char& c : name)
    if (c == '\\') c = '/';
  std::string field(9, '\0');
  auto* p = reinterpret_cast<std::uint8_t*>(field.data());
  bytes::PutLE16(p, kUnicodePathTag);
  bytes::PutLE16(p + 2, static_cast<std::uint16_t>(5 + name.size()));
  p[4] = 1;
  bytes::PutLE32(p + 5, ~UpdateCrc(0xFFFFFFFF, reinterpret_cast<const std::uint8_t*>(stored.data()),
                                   stored.size()));
  return field + name;
}

std::int64_t TZipHeaderInfo::UnicodePathFieldBound() const {
  const std::string name = directory + file_name;
  return bytes::IsAscii(name) ? 0 : static_cast<std::int64_t>(9 + name.size());
}

void TZipHeaderInfo::WriteLocalHeader(TStream& stream) {
  SetLocalHeaderOffset(static_cast<std::uint64_t>(stream.Position()));
  std::uint16_t z = Zip64ExtraLength(false);
  version_needed = z > 0 ? 45 : 20;
  std::string stored = NameToArchive(directory + file_name);
  name_length = static_cast<std::uint16_t>(stored.size());
  const std::string unicode = UnicodePathField(stored);
  LocalFileHeader h;
  h.signature = Signatures().local;
  GiveSharedFields(*this, h);
  h.compressed_size = uncompressed_size == kMark32 ? kMark32 : compressed_size;
  h.extra_length =
      static_cast<std::uint16_t>(local_extra_length + (z > 0 ? z + 4 : 0) + unicode.size());
  std::vector<std::uint8_t> buf(30 + stored.size() + (z > 0 ? z + 4 : 0) + unicode.size());
  h.Write(buf.data());
  std::memcpy(buf.data() + 30, stored.data(), stored.size());
  if (z > 0) WriteZip64Extra(buf.data() + 30 + stored.size(), false);
  std::memcpy(buf.data() + 30 + stored.size() + (z > 0 ? z + 4 : 0), unicode.data(),
              unicode.size());
  stream.WriteBuffer(buf.data(), static_cast<std::int64_t>(buf.size()));
}

void TZipHeaderInfo::WriteCentralHeader(TStream& stream) {
  std::string stored = NameToArchive(directory + file_name);
  name_length = static_cast<std::uint16_t>(stored.size());
  std::uint16_t z = Zip64ExtraLength(true);
  version_needed = z > 0 ? 45 : 20;
  CentralDirHeader h;
  h.signature = Signatures().central;
  h.version_made_by = version_made_by;
  GiveSharedFields(*this, h);
  const std::string unicode = UnicodePathField(stored);
  h.extra_length = static_cast<std::uint16_t>(extra_length_as_read - zip64_length_as_read +
                                              (z > 0 ? z + 4 : 0) + unicode.size());
  h.comment_length = comment_length;
  h.disk_start = disk_start;
  h.internal_attributes = internal_attributes;
  h.external_attributes = external_attributes;
  h.local_header_offset = local_header_offset;
  std::size_t comment_bytes = comment_length && comment ? comment_length : 0;
  const std::size_t extra_at = 46 + stored.size();
  const std::size_t comment_at = extra_at + (z > 0 ? z + 4 : 0) + unicode.size();
  std::vector<std::uint8_t> buf(comment_at + comment_bytes);
  h.comment_length = static_cast<std::uint16_t>(comment_bytes);
  h.Write(buf.data());
  std::memcpy(buf.data() + 46, stored.data(), stored.size());
  if (z > 0)
    WriteZip64Extra(buf.data() + extra_at, true);
  else
    zip64_.reset();
  std::memcpy(buf.data() + comment_at - unicode.size(), unicode.data(), unicode.size());
  if (comment_bytes) std::memcpy(buf.data() + comment_at, comment->data(), comment_bytes);
  stream.WriteBuffer(buf.data(), static_cast<std::int64_t>(buf.size()));
}

bool TZipHeaderInfo::ReadCentralHeader(TStream& stream,
                                       const std::function<TStream*()>& next_disk) {
  TStream* s = &stream;
  std::int64_t pos = s->Position();
  std::uint8_t raw[46];
  std::int64_t got = s->Read(raw, 46);
  if (got < 46 && next_disk &&
      (got == 0 || (got >= 4 && bytes::GetLE32(raw) == Signatures().central))) {
    if (TStream* next = next_disk()) {
      s = next;
      got += s->Read(raw + got, 46 - got);
    }
  }
  CentralDirHeader h;
  if (got == 46) h.Read(raw);
  if (got != 46 || h.signature != Signatures().central) {
    if (s == &stream) s->SetPosition(pos);
    return false;
  }
  std::string stored(h.name_length, '\0');
  if (h.name_length && s->Read(stored.data(), h.name_length) != h.name_length) {
    if (s == &stream) s->SetPosition(pos);
    return false;
  }
  for (char& c : stored)
    if (c == '\\') c = '/';
  flags = h.flags;
  version_made_by = h.version_made_by;
  std::string name = NameFromArchive(stored, true);
  TakeCentralRecord(h, name);
  central_header_position = pos;
  zip64_.reset();
  if (h.extra_length != 0) {
    extra_field_position = s->Position();
    extra_length_as_read = h.extra_length;
    std::vector<std::uint8_t> extra(h.extra_length);
    std::int64_t n = s->Read(extra.data(), h.extra_length);
    ReadZip64Extra(extra.data(), static_cast<std::size_t>(n));
    s->SetPosition(extra_field_position);
  }
  return true;
}

void TZipHeaderInfo::ReadZip64Extra(const std::uint8_t* extra, std::size_t length) {
  std::size_t p = 0;
  while (p + 4 <= length) {
    std::uint16_t tag = bytes::GetLE16(extra + p);
    std::uint16_t len = bytes::GetLE16(extra + p + 2);
    p += 4;
    std::size_t end = std::min(length, p + len);
    if (tag != 1) {
      p = end;
      continue;
    }
    zip64_length_as_read = static_cast<std::uint16_t>(len + 4);
    Zip64Values& z = Zip64();
    z.data_length = len;
    // A value is taken only when the block holds it: a short block leaves
    // the rest at 0 rather than reading past it.
    if (uncompressed_size == kMark32 && p + 8 <= end) {
      z.uncompressed_size = bytes::GetLE64(extra + p);
      p += 8;
    }
    if (compressed_size == kMark32 && p + 8 <= end) {
      z.compressed_size = bytes::GetLE64(extra + p);
      p += 8;
    }
    if (local_header_offset == kMark32 && p + 8 <= end) {
      z.local_header_offset = bytes::GetLE64(extra + p);
      p += 8;
    }
    if (disk_start == kMark16 && p + 4 <= end) {
      z.disk_start = bytes::GetLE32(extra + p);
      p += 4;
    }
  }
}

bool TZipHeaderInfo::ReadLocalHeader(TStream& stream) {
  std::int64_t pos = stream.Position();
  std::uint8_t raw[30];
  if (stream.Read(raw, 30) != 30 || bytes::GetLE32(raw) != Signatures().local) {
    stream.SetPosition(pos);
    return false;
  }
  LocalFileHeader h;
  h.Read(raw);
  std::string stored(h.name_length, '\0');
  if (h.name_length && stream.Read(stored.data(), h.name_length) != h.name_length) {
    stream.SetPosition(pos);
    return false;
  }
  for (char& c : stored)
    if (c == '\\') c = '/';
  flags = h.flags;
  version_made_by = 0;
  std::string name = NameFromArchive(stored, false);
  TakeLocalRecord(h, name);
  SetLocalHeaderOffset(static_cast<std::uint64_t>(pos));
  if (h.extra_length != 0) {
    std::int64_t extra_pos = stream.Position();
    std::vector<std::uint8_t> extra(h.extra_length);
    std::int64_t n = stream.Read(extra.data(), h.extra_length);
    // Local Zip64 blocks hold the two sizes when the header marks them.
    std::size_t p = 0;
    while (p + 4 <= static_cast<std::size_t>(n)) {
      std::uint16_t tag = bytes::GetLE16(extra.data() + p),
                    len = bytes::GetLE16(extra.data() + p + 2);
      if (tag == 1) {
        std::size_t q = p + 4, end = std::min<std::size_t>(n, q + len);
        if (uncompressed_size == kMark32 && q + 8 <= end) {
          Zip64().uncompressed_size = bytes::GetLE64(extra.data() + q);
          q += 8;
        }
        if (compressed_size == kMark32 && q + 8 <= end)
          Zip64().compressed_size = bytes::GetLE64(extra.data() + q);
        break;
      }
      p += 4 + len;
    }
    stream.SetPosition(extra_pos);
  }
  return true;
}

// ---------------------------------------------------------------- end record

void TEndCentral::Clear() {
  record = EndCentralRecord{};
  record.signature = Signatures().end;
  comment.reset();
  comment_position = 0;
  modified = false;
}

void TEndCentral::Assign(const TEndCentral& o) {
  record = o.record;
  comment = o.comment;
  if (comment) record.comment_length = static_cast<std::uint16_t>(comment->size());
  comment_position = o.comment_position;
}

void TEndCentral::SetComment(const std::string& text) {
  comment = text.substr(0, 65535);
  record.comment_length = static_cast<std::uint16_t>(comment->size());
}

bool TEndCentral::LocateAndRead(TStream& stream) {
  std::int64_t size = stream.Size();
  if (size < 22) return size == 0;
  std::int64_t c = std::min<std::int64_t>(65557, size);
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(c));
  stream.SetPosition(size - c);
  if (stream.Read(buf.data(), c) != c) return false;
  const std::uint32_t sig = Signatures().end;
  const std::uint8_t first = static_cast<std::uint8_t>(sig);
  for (std::int64_t d = c - 22; d >= 0; --d) {
    if (buf[d] != first || bytes::GetLE32(&buf[d]) != sig) continue;
    record.Read(&buf[d]);
    comment.reset();
    comment_position = (size - c) + d + 22;
    if (d >= 20 && bytes::GetLE32(&buf[d - 20]) == Signatures().zip64_locator) {
      Zip64Loc().Read(&buf[d - 20]);
      std::uint8_t z[56];
      std::uint64_t off = locator_->zip64_end_offset;
      if (off + 56 <= static_cast<std::uint64_t>(size)) {
        stream.SetPosition(static_cast<std::int64_t>(off));
        if (stream.Read(z, 56) == 56) Zip64End().Read(z);
      }
    }
    return true;
  }
  return false;
}

void TEndCentral::WriteEndRecords(TStream& stream) {
  if (zip64_end_) {
    Zip64Locator& loc = Zip64Loc();
    loc.zip64_end_offset = static_cast<std::uint64_t>(stream.Position());
    loc.zip64_end_disk = record.this_disk;
    loc.total_disks = record.this_disk + 1u;
    Zip64EndRecord& z = *zip64_end_;
    bool any = false;
    if (record.this_disk != kMark16)
      z.this_disk = record.this_disk;
    else
      any = true;
    if (record.central_start_disk != kMark16)
      z.central_start_disk = record.central_start_disk;
    else
      any = true;
    if (record.entries_this_disk != kMark16)
      z.entries_this_disk = record.entries_this_disk;
    else
      any = true;
    if (record.entries_total != kMark16)
      z.entries_total = record.entries_total;
    else
      any = true;
    if (record.central_size != kMark32)
      z.central_size = record.central_size;
    else
      any = true;
    if (record.central_offset != kMark32)
      z.central_offset = record.central_offset;
    else
      any = true;
    if (any) {
      if (record.this_disk == kMark16)
        loc.zip64_end_disk = z.this_disk, loc.total_disks = z.this_disk + 1;
      std::uint8_t buf[76];
      z.signature = Signatures().zip64_end;
      z.Write(buf);
      loc.signature = Signatures().zip64_locator;
      loc.Write(buf + 56);
      stream.WriteBuffer(buf, 76);
    } else {
      DropZip64();
    }
  }
  std::uint8_t buf[22];
  record.signature = Signatures().end;
  std::size_t comment_bytes = record.comment_length && comment ? record.comment_length : 0;
  EndCentralRecord r = record;
  r.comment_length = static_cast<std::uint16_t>(comment_bytes);
  r.Write(buf);
  stream.WriteBuffer(buf, 22);
  if (comment_bytes) stream.WriteBuffer(comment->data(), static_cast<std::int64_t>(comment_bytes));
}

Zip64EndRecord& TEndCentral::Zip64End() {
  if (!zip64_end_) zip64_end_.emplace();
  return *zip64_end_;
}

Zip64Locator& TEndCentral::Zip64Loc() {
  if (!locator_) locator_.emplace();
  return *locator_;
}

std::uint32_t TEndCentral::GetThisDisk() const {
  return WideValue(record.this_disk, zip64_end_, &Zip64EndRecord::this_disk);
}
void TEndCentral::SetThisDisk(std::uint32_t v) {
  SetWideValue(v, record.this_disk, zip64_end_, &Zip64EndRecord::this_disk);
}
std::uint32_t TEndCentral::GetCentralStartDisk() const {
  return WideValue(record.central_start_disk, zip64_end_, &Zip64EndRecord::central_start_disk);
}
void TEndCentral::SetCentralStartDisk(std::uint32_t v) {
  SetWideValue(v, record.central_start_disk, zip64_end_, &Zip64EndRecord::central_start_disk);
}
std::uint64_t TEndCentral::GetEntriesThisDisk() const {
  return WideValue(record.entries_this_disk, zip64_end_, &Zip64EndRecord::entries_this_disk);
}
void TEndCentral::SetEntriesThisDisk(std::uint64_t v) {
  SetWideValue(v, record.entries_this_disk, zip64_end_, &Zip64EndRecord::entries_this_disk, true);
}
std::uint64_t TEndCentral::GetEntryCount() const {
  return WideValue(record.entries_total, zip64_end_, &Zip64EndRecord::entries_total);
}
void TEndCentral::SetEntryCount(std::uint64_t v) {
  SetWideValue(v, record.entries_total, zip64_end_, &Zip64EndRecord::entries_total, true);
}
std::uint64_t TEndCentral::GetCentralSize() const {
  return WideValue(record.central_size, zip64_end_, &Zip64EndRecord::central_size);
}
void TEndCentral::SetCentralSize(std::uint64_t v) {
  SetWideValue(v, record.central_size, zip64_end_, &Zip64EndRecord::central_size, true);
}
std::uint64_t TEndCentral::GetCentralOffset() const {
  return WideValue(record.central_offset, zip64_end_, &Zip64EndRecord::central_offset);
}
void TEndCentral::SetCentralOffset(std::uint64_t v) {
  SetWideValue(v, record.central_offset, zip64_end_, &Zip64EndRecord::central_offset);
}

// ---------------------------------------------------------------- sorted list

std::int32_t TSortedZip::Add(TObjectRef object) {
  bool has64 = static_cast<const TZipHeaderInfo&>(*object).HasZip64();
  TSortedObjectList::Add(std::move(object));
  if (has64) zip64 = true;
  return 0;
}

namespace {
int CompareText(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
}  // namespace

int TSortedZip::Compare(const TObject* a_obj, const TObject* b_obj) const {
  const auto& a = static_cast<const TZipHeaderInfo&>(*a_obj);
  const auto& b = static_cast<const TZipHeaderInfo&>(*b_obj);
  switch (sort_mode) {
    case TZipSortMode::ByName:
      return CompareText(a.directory + a.file_name, b.directory + b.file_name);
    case TZipSortMode::ByFileName:
      return CompareText(a.file_name, b.file_name);
    case TZipSortMode::ByDirectoryName:
      return CompareText(a.directory, b.directory);
    case TZipSortMode::ByDate: {
      std::time_t ta = 0, tb = 0;
      if (!DosDateTimeToTime(a.date_time, ta)) ta = 0;
      if (!DosDateTimeToTime(b.date_time, tb)) tb = 0;
      return tb > ta ? 1 : -1;
    }
    case TZipSortMode::ByCompressedSize:
      return static_cast<std::int64_t>(b.compressed_size) - a.compressed_size > 0 ? 1 : -1;
    case TZipSortMode::ByUnCompressedSize:
      return static_cast<std::int64_t>(b.uncompressed_size) - a.uncompressed_size > 0 ? 1 : -1;
    case TZipSortMode::ByRate:
      return PercentOf(static_cast<std::int64_t>(b.GetCompressedSize()),
                       static_cast<std::int64_t>(b.GetUncompressedSize())) -
             PercentOf(static_cast<std::int64_t>(a.GetCompressedSize()),
                       static_cast<std::int64_t>(a.GetUncompressedSize()));
    case TZipSortMode::ByNone:
    default: {
      std::int64_t d = static_cast<std::int64_t>(a.GetDiskStart()) - b.GetDiskStart();
      if (d != 0) return d < 0 ? -1 : 1;
      std::uint64_t oa = a.GetLocalHeaderOffset(), ob = b.GetLocalHeaderOffset();
      return oa > ob ? 1 : (oa == ob ? 0 : -1);
    }
  }
}

}  // namespace kelmo::zip
