// The .cdx compound index file: many tags in B+-trees of 512-byte nodes with
// compressed leaves (each key without the bytes it shares with the key before
// it and without its trailing filler), big-endian pointers in interior nodes,
// equal keys in record-number order, and descending tags that keep ascending
// keys on disk and walk them backwards. The file's own header heads the tag
// list: a tag whose keys are the tag names (at most 10 characters, upper case)
// and whose records are the offsets of the tag headers.
//
// Keys: "C" text without trailing blanks; "N" and "D" the eight-byte float
// written big-endian with its sign bit set (non-negative) or all bits
// inverted (negative), trailing zero bytes dropped, so bytes order like the
// numbers (an empty date is 0, the single byte 0x80). New tags get the
// MACHINE collation (bytes as they are); tags of files that name the GENERAL
// collation keep it: their text keys are the collation's primary weights
// followed by its secondary weights (letters compare without case; a key
// that is a prefix of another in the text is no prefix in its weights, so
// prefix searches find only whole keys there).
//
// Errors: those of the index framework; "Index file %s is corrupted" for a
// tag header whose root is 0, misaligned or beyond the file, whose key
// length is above 240 or whose key expression is empty, and for leaves whose
// counts point outside the node. Cost: as the framework.
#pragma once

#include "index_framework.h"

namespace kelmo::dbf {

class GSobjCDXFile;

class GSobjCDXTag : public GSobjIndexTag {
 public:
  static constexpr int kNodeSize = 512;
  static constexpr int kLeafArea = 488;

  // header -1: a new tag (two header pages are allocated).
  GSobjCDXTag(GSobjCDXFile& file, int32_t header, const std::string& name, bool tagList);

  std::string FormatKey(const TdfExpVariant& value, uint8_t type, bool trim) override;
  void ReadNodePage(GSobjIndexKey& node, const GSobjIndexKeyData* parentEntry,
                    bool rightmost) override;
  void WriteNodePage(const GSobjIndexKey& node, bool rightmost) override;
  size_t NodeCapacity(bool leaf, bool rightmost) const override;
  bool Fits(const GSobjIndexKey& node, bool rightmost) const override;
  size_t SplitCount(const GSobjIndexKey& node) const override;
  bool BuildNodeFull(const GSobjIndexKey& node, int64_t totalKeys) const override;
  void OnSplit(const GSobjIndexKey& lower, const GSobjIndexKey& upper) override;
  void ReadHeader() override;
  void WriteHeader() override;
  bool DescendingByComparison() const override { return false; }
  bool DescendingByCursor() const override { return !ascending; }

  int DefineTag(const std::string& name, const std::string& keyExpression, bool unique,
                bool ascending, const std::string& forExpression);

  // Leaf layout for record numbers up to maxRecord.
  struct LeafParams {
    int recordBits = 0;  // width of the record field
    uint32_t recordMask = 0;
    int duplicateBits = 0;
    int trailingBits = 0;
    uint32_t duplicateMask = 0;
    uint32_t trailingMask = 0;
    int entryBytes = 0;
  };
  LeafParams ParamsFor(int64_t maxRecord) const;
  // Bytes a leaf holding these entries uses (entries plus stored key parts),
  // counting from the cached prefix on.
  size_t LeafBytes(const GSobjIndexKey& node, const LeafParams& p) const;

  // Text keys in the GENERAL collation (tags of files that name it).
  bool General() const { return collationName == "GENERAL" && !tagList && keyType == 'C'; }

  bool tagList;
  uint32_t changeCounter = 0;
  std::string collationName;

 private:
  int64_t MaxRecord() const;
};

class GSobjCDXFile : public GSobjIndexFile {
 public:
  GSobjCDXFile(IndexTableLink* table, const std::string& name, bool create, bool readWrite);
  ~GSobjCDXFile() override;

  int AddTag(const std::string& name, const std::string& keyExpression, bool unique, bool ascending,
             const std::string& forExpression) override;
  bool DeleteTag(const std::string& name) override;
  int32_t AllocatePage() override;
  void Reindex() override;
  bool UpdateRecordKeys(int32_t record, bool isAppend) override;
  bool ChangedByOtherUser() override;
  void Flush() override;

  std::unique_ptr<GSobjCDXTag> tagList;
};

}  // namespace kelmo::dbf
