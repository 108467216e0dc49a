// The zip format as this library reads and writes it: signatures, the local
// and central headers, the data descriptor, the end of central directory
// record, the Zip64 end record and locator and the Zip64 extra block (each a
// struct in the format's field order, read and written through explicit
// little-endian helpers), and the in-memory classes built on them:
// TZipHeaderInfo (one entry), TEndCentral (the end records and the archive
// comment) and TSortedZip (a sorted list of entries).
//
// Names inside the program are UTF-8 with "/" between folders; a folder part
// ends with "/". Stored names follow the entry's OEM mode (DOS 866 where the
// name has a DOS form; UTF-8 with general-purpose flag bit 11 otherwise).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "object_list.h"

namespace kelmo::zip {

class TStream;

// Signatures, set once at start-up by SetZipSignatures.
struct ZipSignatures {
  std::uint32_t central = 0x02014B50;
  std::uint32_t local = 0x04034B50;
  std::uint32_t end = 0x06054B50;
  std::uint32_t zip64_end = 0x06064B50;
  std::uint32_t zip64_locator = 0x07064B50;
};
inline constexpr std::uint32_t kSpanSignature = 0x08074B50;
inline constexpr std::uint32_t kSpanMarker = 0x30304B50;  // "PK00"
inline constexpr std::uint32_t kDataDescriptorSignature = 0x08074B50;
const ZipSignatures& Signatures();
// A zero argument keeps the standard value. Called at start-up; a program
// that never calls it uses the standard signatures.
void SetZipSignatures(std::uint32_t central, std::uint32_t local, std::uint32_t end);

inline constexpr std::uint32_t kMark32 = 0xFFFFFFFF;
inline constexpr std::uint16_t kMark16 = 0xFFFF;

// General-purpose flag bits.
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagMaximum = 0x0002;
inline constexpr std::uint16_t kFlagFast = 0x0004;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;
// The extra field that carries a name's UTF-8 form beside a code-page name.
inline constexpr std::uint16_t kUnicodePathTag = 0x7075;

// Local file header: 30 bytes, then the name and the extra field.
struct LocalFileHeader {
  static constexpr int kSize = 30;
  std::uint32_t signature = 0;
  std::uint16_t version_needed = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t date_time = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t compressed_size = 0;
  std::uint32_t uncompressed_size = 0;
  std::uint16_t name_length = 0;
  std::uint16_t extra_length = 0;
  void Read(const std::uint8_t* p);
  void Write(std::uint8_t* p) const;
};

// Central directory header: 46 bytes, then name, extra field and comment.
struct CentralDirHeader {
  static constexpr int kSize = 46;
  std::uint32_t signature = 0;
  std::uint16_t version_made_by = 0;
  std::uint16_t version_needed = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t date_time = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t compressed_size = 0;
  std::uint32_t uncompressed_size = 0;
  std::uint16_t name_length = 0;
  std::uint16_t extra_length = 0;
  std::uint16_t comment_length = 0;
  std::uint16_t disk_start = 0;
  std::uint16_t internal_attributes = 0;
  std::uint32_t external_attributes = 0;
  std::uint32_t local_header_offset = 0;
  void Read(const std::uint8_t* p);
  void Write(std::uint8_t* p) const;
};

// End of central directory record: 22 bytes, then the archive comment.
struct EndCentralRecord {
  static constexpr int kSize = 22;
  std::uint32_t signature = 0x06054B50;
  std::uint16_t this_disk = 0;
  std::uint16_t central_start_disk = 0;
  std::uint16_t entries_this_disk = 0;
  std::uint16_t entries_total = 0;
  std::uint32_t central_size = 0;
  std::uint32_t central_offset = 0;
  std::uint16_t comment_length = 0;
  void Read(const std::uint8_t* p);
  void Write(std::uint8_t* p) const;
};

// Zip64 end of central directory record: 56 bytes.
struct Zip64EndRecord {
  static constexpr int kSize = 56;
  std::uint32_t signature = 0x06064B50;
  std::uint64_t record_size = 44;
  std::uint16_t version_made_by = 45;
  std::uint16_t version_needed = 45;
  std::uint32_t this_disk = 0;
  std::uint32_t central_start_disk = 0;
  std::uint64_t entries_this_disk = 0;
  std::uint64_t entries_total = 0;
  std::uint64_t central_size = 0;
  std::uint64_t central_offset = 0;
  void Read(const std::uint8_t* p);
  void Write(std::uint8_t* p) const;
};

// Zip64 end of central directory locator: 20 bytes.
struct Zip64Locator {
  static constexpr int kSize = 20;
  std::uint32_t signature = 0x07064B50;
  std::uint32_t zip64_end_disk = 0;
  std::uint64_t zip64_end_offset = 0;
  std::uint32_t total_disks = 1;
  void Read(const std::uint8_t* p);
  void Write(std::uint8_t* p) const;
};

// An entry's Zip64 values: the layout of a full Zip64 extra block.
struct Zip64Values {
  std::uint16_t tag = 1;
  std::uint16_t data_length = 0;
  std::uint64_t uncompressed_size = 0;
  std::uint64_t compressed_size = 0;
  std::uint64_t local_header_offset = 0;
  std::uint32_t disk_start = 0;
};

// Code page of stored names.
enum class TOEMConvert { oemAlways, oemNever, oemFlexible };

// One archive entry.
class TZipHeaderInfo : public TObject {
 public:
  TZipHeaderInfo() { Clear(); }
  TZipHeaderInfo(const TZipHeaderInfo& other) { Assign(other); }
  TZipHeaderInfo& operator=(const TZipHeaderInfo& other) {
    Assign(other);
    return *this;
  }
  std::string ClassName() const override { return "TZipHeaderInfo"; }

  void Clear();
  // Copies everything but the OEM mode and the extra-field values as read.
  void Assign(const TZipHeaderInfo& other);

  void TakeCentralRecord(const CentralDirHeader& h, const std::string& full_name);
  void TakeLocalRecord(const LocalFileHeader& h, const std::string& full_name);
  // Reads one central header at the stream position; false (position
  // restored) when the bytes there are not a whole central header. The
  // callback is asked for the next disk's stream when the header is cut by
  // the end of a disk.
  bool ReadCentralHeader(TStream& stream, const std::function<TStream*()>& next_disk);
  bool ReadLocalHeader(TStream& stream);
  void ReadZip64Extra(const std::uint8_t* extra, std::size_t length);
  // Writes at the stream position, which becomes the local header offset.
  void WriteLocalHeader(TStream& stream);
  void WriteCentralHeader(TStream& stream);
  std::uint16_t Zip64ExtraLength(bool central) const;
  void WriteZip64Extra(std::uint8_t* out, bool central) const;
  Zip64Values& Zip64();
  bool HasZip64() const { return zip64_.has_value(); }

  std::uint64_t GetCompressedSize() const;
  void SetCompressedSize(std::uint64_t v);
  std::uint64_t GetUncompressedSize() const;
  void SetUncompressedSize(std::uint64_t v);
  std::uint64_t GetLocalHeaderOffset() const;
  void SetLocalHeaderOffset(std::uint64_t v);
  std::uint32_t GetDiskStart() const;
  void SetDiskStart(std::uint32_t v);

  void SetFileName(const std::string& name);
  void SetDirectory(const std::string& folder);
  void SetFileComment(const std::optional<std::string>& comment);
  bool HasComment() const { return comment_length != 0; }
  bool IsEncrypted() const { return (flags & kFlagEncrypted) != 0; }
  bool HasDataDescriptor() const { return (flags & kFlagDataDescriptor) != 0; }
  std::int64_t LocalHeaderSize() const {
    return 30 + name_length + local_extra_length + UnicodePathFieldBound();
  }
  std::int64_t CentralHeaderSize() const {
    return 46 + name_length + Zip64ExtraLength(true) + (Zip64ExtraLength(true) ? 4 : 0) +
           UnicodePathFieldBound() + comment_length;
  }
  // The Unicode path extra field (0x7075) written beside a name stored in a
  // code page, so that tools reading names as UTF-8 show the right one:
  // version 1, the CRC-32 of the stored bytes, the whole name in UTF-8.
  // Empty for an ASCII name or one stored in UTF-8 (flag bit 11).
  std::string UnicodePathField(const std::string& stored) const;
  // At least the field's size (the room a header needs on a disk).
  std::int64_t UnicodePathFieldBound() const;
  // The full name (folder + file name) as stored: code page by the OEM mode;
  // may set flag bit 11 and the host byte 11.
  std::string NameToArchive(const std::string& full_name);
  // A stored name to UTF-8; central tells which header it came from.
  std::string NameFromArchive(const std::string& stored, bool central) const;
  std::string FullName() const { return directory + file_name; }

  // Fields in the format's order.
  std::uint16_t version_made_by;
  std::uint16_t version_needed;
  std::uint16_t flags;
  std::uint16_t compression_method;
  std::uint32_t date_time;
  std::uint32_t crc32;
  std::uint32_t compressed_size;
  std::uint32_t uncompressed_size;
  std::uint16_t name_length;
  std::uint16_t central_extra_length;
  std::uint16_t local_extra_length;
  std::uint16_t comment_length;
  std::uint16_t disk_start;
  std::uint16_t internal_attributes;
  std::uint32_t external_attributes;
  std::uint32_t local_header_offset;
  std::int64_t central_header_position;
  std::string file_name;
  std::string directory;
  std::optional<std::string> comment;  // loaded on demand
  bool selected;
  TOEMConvert oem_mode = TOEMConvert::oemNever;
  std::int64_t extra_field_position;
  std::uint16_t extra_length_as_read;
  std::uint16_t zip64_length_as_read;

 private:
  void RecomputeNameLength();
  std::optional<Zip64Values> zip64_;
};

using TZipHeaderInfoRef = std::shared_ptr<TZipHeaderInfo>;

// The end of the central directory with its Zip64 companions and comment.
class TEndCentral : public TObject {
 public:
  TEndCentral() { Clear(); }
  std::string ClassName() const override { return "TEndCentral"; }
  // Zip64 records stay.
  void Clear();
  // Copies the end record's fields, the comment and its position.
  void Assign(const TEndCentral& other);
  // Finds the end record in the last 65,557 bytes (and the Zip64 locator and
  // end record before it); false when there is none. An empty stream has an
  // empty directory.
  bool LocateAndRead(TStream& stream);
  void WriteEndRecords(TStream& stream);
  bool HasComment() const { return record.comment_length != 0; }
  void SetComment(const std::string& text);
  std::int64_t EndRecordSize() const { return 22 + record.comment_length; }

  std::uint32_t GetThisDisk() const;
  void SetThisDisk(std::uint32_t v);
  std::uint32_t GetCentralStartDisk() const;
  void SetCentralStartDisk(std::uint32_t v);
  std::uint64_t GetEntriesThisDisk() const;
  void SetEntriesThisDisk(std::uint64_t v);
  std::uint64_t GetEntryCount() const;
  void SetEntryCount(std::uint64_t v);
  std::uint64_t GetCentralSize() const;
  void SetCentralSize(std::uint64_t v);
  std::uint64_t GetCentralOffset() const;
  void SetCentralOffset(std::uint64_t v);
  std::uint32_t GetDiskCount() const { return locator_ ? locator_->total_disks : 0; }
  Zip64EndRecord& Zip64End();
  Zip64Locator& Zip64Loc();
  bool HasZip64End() const { return zip64_end_.has_value(); }
  bool HasLocator() const { return locator_.has_value(); }
  void DropZip64() {
    zip64_end_.reset();
    locator_.reset();
  }

  EndCentralRecord record;
  std::optional<std::string> comment;  // loaded on demand
  std::int64_t comment_position = 0;
  bool modified = false;

 private:
  std::optional<Zip64EndRecord> zip64_end_;
  std::optional<Zip64Locator> locator_;
};

enum class TZipSortMode {
  ByName,
  ByFileName,
  ByDirectoryName,
  ByDate,
  ByCompressedSize,
  ByUnCompressedSize,
  ByRate,
  ByNone
};

// A sorted list of entries. ByNone is the physical order in the archive
// (starting disk, then local header offset).
class TSortedZip : public TSortedObjectList {
 public:
  explicit TSortedZip(TDuplicates duplicates, TZipSortMode mode = TZipSortMode::ByNone)
      : TSortedObjectList(duplicates), sort_mode(mode) {}
  std::int32_t Add(TObjectRef object) override;
  int Compare(const TObject* a, const TObject* b) const override;
  TZipHeaderInfo& Entry(std::int32_t i) const { return static_cast<TZipHeaderInfo&>(*GetItem(i)); }
  TZipHeaderInfoRef EntryRef(std::int32_t i) const {
    return std::static_pointer_cast<TZipHeaderInfo>(GetItem(i));
  }
  TZipSortMode sort_mode;
  bool zip64 = false;
};

}  // namespace kelmo::zip
