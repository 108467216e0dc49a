// Field layer: DFO_dBaseFld knows the fields of a table file. It finds fields
// by name (without regard to case) or number, reads and writes each field of
// the record buffer as raw text, display text, number, date, logical value or
// memo, makes blank records, sets and clears the deletion mark and fills a
// record image from lists of values.
//
// Storage by type: "C" blank-padded text; "D" "yyyymmdd"; "L" one letter;
// "N", "F" right-aligned numeric text; "M", "B", "G" the memo block number as
// text, except in version 0x30 tables, where "B" is an 8-byte double, "G", "M",
// "I" 32-bit integers, "T" julian day + milliseconds and "Y" amount x 10,000.
//
// Errors (EDbfError): "There is no field name %s" (unknown name),
// "Field %s is the incorrect type", "Invalid numeric value in field %s" (a
// numeric field that does not read), "numeric value too big in field %s",
// "Invalid date in field %s", "Invalid %s value for field %s"; a password that
// does not fit the field layout raises EDbfEncryption "Invalid Password for
// encrypted file %s". By-number reads answer empty/0/false for numbers outside
// 1..FieldCount(). Every access is O(width); a by-name access adds one hash
// look-up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "field_decoding.h"
#include "table_file.h"

namespace kelmo::dbf {

// One field of the table.
struct TdfDBFFields {
  std::string name;
  char type = 'C';
  uint8_t widthByte = 0;
  uint8_t decimalsByte = 0;
  int number = 0;
  int offset = 0;
  int width = 0;  // full width in the record
};

class DFO_dBaseFld : public DFO_dBaseDBF {
 public:
  DFO_dBaseFld(const std::string& fileName, bool shared, bool readWrite,
               const std::string& password, OsLayer& os = DefaultOsLayer());

  void GoTo(int32_t n) override;

  const TdfDBFFields& FieldByName(std::string_view name) const;
  bool FindField(std::string_view name, int& number) const;
  int FieldNumber(std::string_view name) const;
  const TdfDBFFields& FieldOfType(std::string_view name, char wanted) const;
  const TdfDBFFields* Field(int n) const {
    if (n < 1 || n > static_cast<int>(fields_.size())) return nullptr;
    return &fields_[static_cast<size_t>(n - 1)];
  }
  const std::vector<TdfDBFFields>& Fields() const { return fields_; }

  virtual void BlankRecord();
  int32_t GetDateByName(std::string_view name);
  int32_t GetDate(int n);
  bool PutDateByName(std::string_view name, int32_t day);
  bool PutDate(int n, int32_t day);
  virtual void DeleteRecord();
  virtual void UndeleteRecord();
  std::string GetFieldRawByName(std::string_view name) const;
  std::string GetFieldRaw(int n) const;
  bool PutFieldRawByName(std::string_view name, std::string_view text);
  bool PutFieldRaw(int n, std::string_view text);
  int FieldDecimals(int n) const;
  int FieldWidth(int n) const;
  int FieldOffset(int n) const;
  std::string FieldName(int n) const;
  char FieldType(int n) const;
  bool GetLogicalByName(std::string_view name);
  bool GetLogical(int n);
  bool PutLogicalByName(std::string_view name, bool value);
  bool PutLogical(int n, bool value);
  double GetNumericByName(std::string_view name);
  double GetNumeric(int n);
  bool PutNumericByName(std::string_view name, double value);
  bool PutNumeric(int n, double value);
  std::string FieldTextByName(std::string_view name);
  std::string FieldText(int n);
  // The field's bytes without the blanks and zero bytes that pad them on the
  // right, as a view into the record buffer instead of a copy: a text
  // field's FieldText. Valid until the record buffer changes (the cursor
  // moves, a field is written); empty for a number outside 1..FieldCount().
  std::string_view FieldView(int n) const {
    const TdfDBFFields* f = Field(n);
    return f ? TrimmedFieldBytes(RawField(*f)) : std::string_view();
  }
  bool PutFieldTextByName(std::string_view name, std::string_view text);
  bool PutFieldText(int n, std::string_view text);

  void ClearChangeFlags();
  bool FieldChangedFlag(int n) const;
  std::string ReadFieldText(const TdfDBFFields& field, const uint8_t* record) const;
  void WriteFieldText(const TdfDBFFields& field, std::string_view text, uint8_t* record);
  // The raw bytes of a field, without copying.
  std::string_view RawField(const TdfDBFFields& field) const {
    return {reinterpret_cast<const char*>(RecordBuffer()) + field.offset,
            static_cast<size_t>(field.width)};
  }
  GSobjMemo* MemoFileOf(int n);
  int32_t MemoBlockOf(int n);
  int32_t MemoSize(int n);
  std::string ReadMemo(int n, int32_t maxSize = INT32_MAX);
  void WriteMemo(int n, const void* data, int32_t size);
  // Stores a memo block number into a memo field. Block 0 (no memo) is stored
  // as blanks in text pointers, as the format's other writers leave it; both
  // blanks and a written 0 read back as no memo.
  void PutMemoBlock(int n, int32_t block);
  // Blank record image in the given buffer (record length + 1 bytes) with the
  // values (null = empty text) put under the ";"-separated names.
  void BuildRecordFromValues(uint8_t* buffer, std::string_view names,
                             const std::vector<std::optional<std::string>>& values);
  static std::string NextSemicolonItem(std::string_view list, size_t& position);
  // True for the types stored in binary form in a version 0x30 table.
  bool IsBinaryField(const TdfDBFFields& field) const;
  // True for fields whose value lives in the memo file: "M", "G", and "B"
  // except in version 0x30 tables, where "B" is a double.
  bool IsMemoField(const TdfDBFFields& field) const;

 protected:
  [[noreturn]] void RaiseInvalidNumeric(const TdfDBFFields& f, std::string_view text) const;

 private:
  std::vector<TdfDBFFields> fields_;
  std::unordered_map<std::string, int> byName_;
};

}  // namespace kelmo::dbf
