// Key sorter of the index layer: while a tag is built every record's key is
// added with its record number, then the keys come back in order so that the
// index pages can be written bottom-up. Keys collect in memory up to a limit;
// a full buffer is sorted and written to a temporary file as a run (front-
// compressed entries in 16,384-byte pages), and retrieval merges the runs.
//
// A sorter is used once: keys are added, then retrieved; adding after the
// first retrieval raises EDbfError "Cannot add sort keys after beginning
// retrieval". A key longer than the sorter's maximum raises "Sort key length
// must be 1-%d bytes, is %d"; a logical or untyped value raises "Variant type
// cannot be sorted". The temporary file's failures raise "Could not create a
// temporary file for sorting", "Could not write a sort run" and "Sort run
// could not be read back". Equal keys come back in record-number order (descending
// sorters reverse both); a unique sorter delivers only the first of equal keys.
//
// Cost: O(n log n) comparisons; memory is bounded by the limit given at
// construction (default 1,310,720 bytes) plus one 16,384-byte page per run
// while merging, whatever the number of keys. Disk: about the keys' bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine_tools.h"

namespace kelmo::dbf {

class TdfSort {
 public:
  // Value types of the engine's typed values.
  enum KeyType : uint8_t { kNone = 0, kText = 1, kFloat = 2, kDate = 3, kLogical = 4, kBytes = 5 };
  static constexpr int kMaxKeyLength = 240;
  static constexpr size_t kDefaultMemory = 1310720;
  static constexpr size_t kRunPage = 16384;

  struct Key {
    KeyType type = kNone;
    std::string bytes;  // text without trailing blanks, 8 bytes of a double, ...
    int32_t record = 0;
    double AsFloat() const;
    int32_t AsDate() const;
  };

  // collation: 256 byte weights for text keys, or null. Raises for a
  // maximum above kMaxKeyLength.
  TdfSort(int maxKeyLength, const uint8_t* collation, bool ascending, bool unique,
          size_t memoryLimit = kDefaultMemory);
  ~TdfSort();
  TdfSort(const TdfSort&) = delete;
  TdfSort& operator=(const TdfSort&) = delete;

  // Raw form: text (1) and bytes (5) as given, float (2) as 8 bytes of a
  // little-endian double, date (3) as a 4-byte little-endian day number.
  void AddKey(KeyType type, const void* data, int length, int32_t record);
  void AddText(std::string_view text, int32_t record) {
    AddKey(kText, text.data(), static_cast<int>(text.size()), record);
  }
  void AddFloat(double value, int32_t record);
  // The engine's typed value: text, float, date or bytes.
  void AddKey(const TdfVariant& value, int32_t record);
  void AddDate(int32_t day, int32_t record);

  // The next key in order; false when all were delivered.
  bool RetrieveSortKey(Key& key);

  int32_t KeyCount() const { return keyCount_; }
  int RunCount() const { return static_cast<int>(runs_.size()); }
  // Largest memory held at once for keys (bytes), for the benchmarks.
  size_t PeakMemory() const { return peakMemory_; }

 private:
  // A key in memory: its first eight (collated) bytes as a number that
  // orders as they do, so that most comparisons need no look at the arena;
  // the arena holds the type, the length and the bytes at offset.
  struct Entry {
    uint64_t prefix;
    uint32_t offset;
    int32_t record;
  };
  struct Run {
    long start = 0;
    long end = 0;
  };
  struct RunCursor;

  int Compare(uint8_t type, std::string_view a, int32_t ra, std::string_view b, int32_t rb) const;
  // The ordering number of a key's first eight bytes.
  uint64_t Prefix(uint8_t type, std::string_view key) const;
  uint8_t TypeOf(const Entry& e) const { return static_cast<uint8_t>(arena_[e.offset]); }
  std::string_view KeyOf(const Entry& e) const {
    return std::string_view(arena_).substr(e.offset + 2,
                                           static_cast<uint8_t>(arena_[e.offset + 1]));
  }
  // Entry order: by prefix when the prefixes differ (keys of one type), else
  // by the whole key and the record.
  bool EntryBefore(const Entry& a, const Entry& b) const;
  void SortEntries();
  int CompareKeys(uint8_t type, std::string_view a, std::string_view b) const;
  void SpillRun();
  bool NextMerged(Key& key);
  // Merge order of two runs' current keys: a after b.
  bool RunLater(size_t a, size_t b) const;
  // Restores the merge heap after its top run moved on.
  void SiftDown();

  int maxKeyLength_;
  const uint8_t* collation_;
  bool ascending_;
  bool unique_;
  size_t memoryLimit_;
  int32_t keyCount_ = 0;
  bool accepting_ = true;
  std::string arena_;
  std::vector<Entry> entries_;
  std::vector<Run> runs_;
  std::vector<std::unique_ptr<RunCursor>> cursors_;
  std::vector<size_t> heap_;
  std::FILE* spill_ = nullptr;
  bool haveLast_ = false;
  Key last_;
  size_t peakMemory_ = 0;
  // The type of the first key; prefixes order keys only while every key has it.
  int firstType_ = -1;
  bool mixedTypes_ = false;
  // When everything fits in memory, retrieval walks the sorted buffer.
  size_t memoryPos_ = 0;
  bool memoryOnly_ = false;
};

}  // namespace kelmo::dbf
