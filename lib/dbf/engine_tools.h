// Engine tools: the typed value cell that carries field values, keys and
// expression results between the layers (TdfVariant), a paged bit set over
// record numbers (TdfHugeSet), and file-name helpers, among them the generator
// of unique temporary names used while a table is packed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelmo::dbf {

class TdfVariant {
 public:
  enum Type : uint8_t { kNone = 0, kText = 1, kFloat = 2, kDate = 3, kLogical = 4, kBytes = 5 };

  TdfVariant() = default;
  explicit TdfVariant(int capacity) { data_.reserve(capacity > 0 ? capacity : 0); }

  bool Assign(const TdfVariant* source);
  void Clear();
  void SetDataLength(int n);
  void SetAsString(std::string_view text);
  void SetAsFloat(double value);
  void SetAsDate(int32_t day);
  void SetAsBoolean(bool value);
  void SetAsBytes(const void* buffer, int count);
  // Raises "Variant type is not valid for append" unless text or bytes.
  void AppendBytes(const void* buffer, int count);

  bool GetAsBoolean() const;
  int32_t GetAsDate() const;
  // A text that is not a number raises EDbfError.
  double GetAsFloat() const;
  std::string GetAsString() const;

  void MakeUpperCase();
  void PadToLength(int n);
  void TrimTrailingBlanks();
  // -1, 0 or 1; matched counts the bytes examined. Raises "Variant types
  // mismatch for compare" for incompatible types. collation: 256 weights or null.
  int Compare(const TdfVariant& other, int& matched, const uint8_t* collation,
              int prefixResult) const;
  int CompareBinaryFloat(const TdfVariant& other, int& matched, const uint8_t* collation,
                         int prefixResult) const;

  Type GetType() const { return type_; }
  void SetType(Type t) { type_ = t; }
  int Length() const { return static_cast<int>(data_.size()); }
  bool IsEmpty() const { return data_.empty(); }
  const uint8_t* Data() const { return data_.data(); }

 private:
  int CompareAs(Type type, const TdfVariant& other, int& matched, const uint8_t* collation,
                int prefixResult) const;
  std::vector<uint8_t> data_;
  Type type_ = kNone;
};

// Bit set over record numbers in pages of 16,384 bytes, allocated on demand.
class TdfHugeSet {
 public:
  static constexpr int kPageBytes = 16384;
  // operation 0 clear, 1 set, 2 toggle; answers the byte index in its page.
  int ChangeBit(int32_t record, int operation);
  bool TestBit(int32_t record) const;
  void ClearAll();
  int32_t HighestRecord() const { return highest_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }

 private:
  std::vector<std::vector<uint8_t>> pages_;
  int32_t highest_ = -1;
};

// The name unchanged when it has an extension, else with the extension added.
std::string ApplyDefaultExt(const std::string& fileName, const std::string& extension);
// The file name without folder and extension.
std::string FileBaseName(const std::string& path);
// The folder part of a path, with its trailing separator (empty when none).
std::string FileFolder(const std::string& path);
// The path with its extension replaced.
std::string ChangeFileExt(const std::string& path, const std::string& extension);
// The memo file name of a table file: ".DBT" or ".fpt" in the case of the
// table's own extension, since file names are matched by case here (a table
// "stacion.dbf" gets "stacion.dbt", "STACION.DBF" gets "STACION.DBT").
std::string MemoFileNameFor(const std::string& tableFileName, bool foxPro);
// An eight-character name from the clock, never the same twice in a process.
std::string MakeTempFileName();

}  // namespace kelmo::dbf
