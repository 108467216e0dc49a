// The .mdx multiple-tag index file: a 2048-byte file header with a tag table
// (at most 47 tags, kept in name order), one header page per tag and B+-tree
// nodes of 1024 bytes (two 512-byte blocks) whose numeric keys are stored as
// 12-byte decimal numbers. Addresses are 512-byte block numbers.
//
// Keys in memory: "C" text without trailing blanks; "D" the day number as an
// eight-byte float (an empty date as 1e100, sorting last); "N" the value
// passed through the decimal form and back, as an eight-byte float.
//
// Errors: those of the index framework; "Index file %s is corrupted" for a
// header or tag table that does not fit; "Index file %s has no room for
// another tag" when a 48th tag is added (the file is left as it was).
// Cost: as the framework.
#pragma once

#include <array>
#include <map>

#include "index_framework.h"

namespace kelmo::dbf {

class GSobjMDXFile;

// The 12-byte decimal form of a number and back.
std::array<uint8_t, 12> FloatToMdxDecimal(double value);
double MdxDecimalToFloat(const uint8_t* bytes);

class GSobjMDXTag : public GSobjIndexTag {
 public:
  GSobjMDXTag(GSobjMDXFile& file, int32_t headerBlock, const std::string& name);

  std::string FormatKey(const TdfExpVariant& value, uint8_t type, bool trim) override;
  void ReadNodePage(GSobjIndexKey& node, const GSobjIndexKeyData* parentEntry,
                    bool rightmost) override;
  void WriteNodePage(const GSobjIndexKey& node, bool rightmost) override;
  size_t NodeCapacity(bool leaf, bool rightmost) const override;
  void ReadHeader() override;
  void WriteHeader() override;
  int32_t AllocatePage() override;

  int DefineTag(const std::string& name, const std::string& keyExpression, bool unique,
                bool ascending, const std::string& forExpression);

  int pageSize = 1024;
  int32_t firstNode = 0;
  int32_t lastNode = 0;

 private:
  // Pages allocated but not yet written, with the node written before each.
  std::map<int32_t, int32_t> newChain_;
};

class GSobjMDXFile : public GSobjIndexFile {
 public:
  static constexpr int kMaxTags = 47;
  GSobjMDXFile(IndexTableLink* table, const std::string& name, bool create, bool readWrite);

  int AddTag(const std::string& name, const std::string& keyExpression, bool unique, bool ascending,
             const std::string& forExpression) override;
  bool DeleteTag(const std::string& name) override;
  int32_t AllocatePage() override;
  int32_t PageUnit() const override { return 512; }
  void Reindex() override;
  // Renames the file and stores the new base name (upper case, at most 8
  // characters) in its header.
  bool Rename(const std::string& newName) override;

  int pageSize = 1024;
  int blocksPerPage = 2;
  int headerSize = 2048;

 private:
  void WriteNewHeader();
  void WriteTagTable();
};

}  // namespace kelmo::dbf
