// The .ndx index file: one ascending tag per file, a B+-tree of 512-byte
// blocks in which every key lies in a leaf and each interior entry repeats
// the highest key of its child. Block 0 holds the header.
//
// Keys: "C" text blank-padded; "N" and "D" eight-byte floats (an empty date
// as 1e100, so it sorts last). Errors: those of the index framework, and
// "Index file %s is corrupted" for a header whose sizes do not fit a block.
// Cost: as the framework.
#pragma once

#include "index_framework.h"

namespace kelmo::dbf {

class GSobjNDXFile;

class GSobjNDXTag : public GSobjIndexTag {
 public:
  static constexpr int kBlockSize = 512;
  GSobjNDXTag(GSobjNDXFile& file, int32_t headerBlock, const std::string& name);

  std::string FormatKey(const TdfExpVariant& value, uint8_t type, bool trim) override;
  void ReadNodePage(GSobjIndexKey& node, const GSobjIndexKeyData* parentEntry,
                    bool rightmost) override;
  void WriteNodePage(const GSobjIndexKey& node, bool rightmost) override;
  size_t NodeCapacity(bool leaf, bool rightmost) const override;
  void ReadHeader() override;
  void WriteHeader() override;
  bool DescendingByComparison() const override { return false; }

  int DefineTag(const std::string& name, const std::string& keyExpression, bool unique,
                const std::string& forExpression);
};

class GSobjNDXFile : public GSobjIndexFile {
 public:
  GSobjNDXFile(IndexTableLink* table, const std::string& name, bool create, bool readWrite);

  int AddTag(const std::string& name, const std::string& keyExpression, bool unique, bool ascending,
             const std::string& forExpression) override;
  int32_t AllocatePage() override;
  int32_t PageUnit() const override { return GSobjNDXTag::kBlockSize; }
  void Reindex() override;
};

}  // namespace kelmo::dbf
