// The .ntx index file: one tag per file, a B-tree of 1024-byte pages in which
// a separator key is stored once, in the interior page, with its record.
// Page 0 holds the header; node pages follow at byte offsets.
//
// Reads and writes the header and node pages described in ntx_index.cpp;
// keys are text ("C" blank-padded, "D" as yyyymmdd, "N" as digits whose
// bytes order like the numbers). Errors: those of the index framework
// (index_framework.h), and "Index file %s is corrupted" for a header whose
// sizes do not fit a page. Cost: as the framework; a build sorts all keys.
#pragma once

#include "index_framework.h"

namespace kelmo::dbf {

class GSobjNTXFile;

class GSobjNTXTag : public GSobjIndexTag {
 public:
  static constexpr int kPageSize = 1024;
  GSobjNTXTag(GSobjNTXFile& file, int32_t headerPage, const std::string& name);

  std::string FormatKey(const TdfExpVariant& value, uint8_t type, bool trim) override;
  void ReadNodePage(GSobjIndexKey& node, const GSobjIndexKeyData* parentEntry,
                    bool rightmost) override;
  void WriteNodePage(const GSobjIndexKey& node, bool rightmost) override;
  size_t NodeCapacity(bool leaf, bool rightmost) const override;
  size_t BuildFill(bool leaf, int64_t totalKeys) const override;
  void ReadHeader() override;
  void WriteHeader() override;

  // Sets key type, length and sizes from one evaluation of the key, writes
  // the header and builds the pages from the table. Answers 1.
  int DefineTag(const std::string& name, const std::string& keyExpression, bool unique,
                bool ascending, const std::string& forExpression);
  // Key length and decimals from an evaluated key value.
  void SetLayout(uint8_t resultType, const TdfExpVariant& value);

  int half = 0;
};

class GSobjNTXFile : public GSobjIndexFile {
 public:
  // Opens name (default extension ".ntx") or, with create, makes it empty
  // (the tag comes with AddTag). opened stays false when it does not exist.
  GSobjNTXFile(IndexTableLink* table, const std::string& name, bool create, bool readWrite);

  int AddTag(const std::string& name, const std::string& keyExpression, bool unique, bool ascending,
             const std::string& forExpression) override;
  int32_t AllocatePage() override;
  void Reindex() override;
  bool UpdateRecordKeys(int32_t record, bool isAppend) override;
  bool ChangedByOtherUser() override;

  uint16_t changeCounter = 1;
};

// Text of a key read from a page: trailing blanks and zero bytes removed.
std::string IndexTextFromPage(const uint8_t* bytes, int length);

}  // namespace kelmo::dbf
