// Dataset layer: TDbfDataSet, the DBF engine as a dataset component. It owns
// one table handler (DBFObject) while open, resolves its database name through
// the process-wide alias list, and offers the road the shell's pack routine
// takes: Close, DatabaseName (a folder), TableName, Exclusive, Open, Pack,
// Close. Navigation in physical order (First, Next, Prior, Last, Eof, Bof),
// the field definitions and field values by the dataset's field types
// (FieldDefs, GetFieldData), Delete and RecallRecord complete it; Table()
// gives the table handler itself.
//
// Errors: EDbfError "Table name missing", "Cannot find file %s" (with the
// path), "Cannot perform this operation on an open dataset" (DatabaseName or
// TableName changed while open), "Cannot perform this operation on a closed
// dataset", "Cannot delete the record", "Cannot recall the record"; the
// table's own errors (EDbfError, EDbfEncryption) pass through, among them
// "Access denied to file %s" when the table cannot be opened exclusively and
// "%s requires full access to file %s" for Pack on a table opened shared.
// A failed open leaves the dataset closed.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "table_handler.h"

namespace kelmo::dbf {

class TDbfDataSet;

// The dataset's table: a handler that knows its dataset.
class DBFObject : public DFO_dBHandler {
 public:
  DBFObject(TDbfDataSet& owner, const std::string& fileName, bool shared, bool readWrite,
            const std::string& password, OsLayer& os);
  bool AcceptRecord() override;
  void ReportStatus(int stage, int count, int total) override;

 private:
  TDbfDataSet& owner_;
};

// Field types of the dataset, by the table's field types.
enum class TDbfFieldType {
  kString,
  kFloat,
  kSmallInt,
  kInteger,
  kLargeInt,
  kDate,
  kBoolean,
  kMemo,
  kBlob,
  kDateTime,
  kCurrency
};

// How whole-number fields of 10 or more digits are typed.
enum class TdfIntFields { asInteger, asLargeInt, asFloat };

struct TDbfFieldDef {
  std::string name;
  TDbfFieldType type = TDbfFieldType::kString;
  int size = 0;  // the full width for strings, else 0
  int fieldNo = 0;
};

// A field's value as the dataset hands it out.
struct TDbfFieldValue {
  bool isNull = true;
  std::string text;     // strings: the display text, trailing blanks removed
  int64_t integer = 0;  // whole-number fields, rounded
  double number = 0;    // float and currency fields; date-time: ms since year 1
  bool boolean = false;
  int32_t day = 0;  // dates: days since 1 January of year 1, that day being 1
};

// The process-wide alias list: lines "name=value".
std::vector<std::string>& DbfAliasList();
// The value of an alias, empty when the list has none.
std::string DbfAliasValue(const std::string& name);

class TDbfDataSet {
 public:
  static constexpr const char* kDefaultDirectory = "Default Directory";

  explicit TDbfDataSet(OsLayer& os = DefaultOsLayer());
  ~TDbfDataSet();
  TDbfDataSet(const TDbfDataSet&) = delete;
  TDbfDataSet& operator=(const TDbfDataSet&) = delete;

  const std::string& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const std::string& value);
  const std::string& TableName() const { return tableName_; }
  void SetTableName(const std::string& value);
  bool Exclusive() const { return exclusive_; }
  void SetExclusive(bool v) { exclusive_ = v; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  const std::string& EncryptionKey() const { return encryptionKey_; }
  void SetEncryptionKey(const std::string& key);
  bool AutoFlush() const { return autoFlush_; }
  void SetAutoFlush(bool v);
  bool UseDeleted() const { return useDeleted_; }
  void SetUseDeleted(bool v);
  TdfLokProtocol LockProtocol() const { return lockProtocol_; }
  void SetLockProtocol(TdfLokProtocol p);
  uint32_t UserID() const { return userId_; }
  void SetUserID(uint32_t id) { userId_ = id; }
  TdfIntFields LargeIntegerAs() const { return largeIntegerAs_; }
  void SetLargeIntegerAs(TdfIntFields v) { largeIntegerAs_ = v; }
  bool TranslateASCII() const { return translateAscii_; }
  void SetTranslateASCII(bool v) { translateAscii_ = v; }
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool v) { filtered_ = v; }

  // Receives the table's progress reports (stage, count, total).
  std::function<void(int, int, int)> OnStatus;
  // A record filter: answers whether the table's current record is visible
  // (used while Filtered is on).
  std::function<bool(DFO_dBHandler&)> OnFilterRecord;

  void Open();
  void Close();
  bool Active() const { return table_ != nullptr; }
  void SetActive(bool active) { active ? Open() : Close(); }
  // The folder the table is looked for in (with a trailing separator).
  std::string TableFolder() const;

  void First();
  void Next();
  void Prior();
  void Last();
  bool Eof() const;
  bool Bof() const;
  int32_t RecordCount() const;
  int32_t RecNo() const;
  // Removes the deleted records for good (needs Exclusive); then the first record.
  void Pack();
  void Delete();
  void RecallRecord();
  // With TranslateASCII on, the text converted from the Windows code page to
  // the OEM one (toOem) or back; off, copied. Answers the source's length.
  size_t TranslateText(std::string_view source, std::string& destination, bool toOem) const;
  DBFObject* Table() { return table_.get(); }

  // One definition per table field that has a dataset type, in field order;
  // a closed dataset opens the table read-only and shared for this.
  std::vector<TDbfFieldDef> FieldDefs();
  // The named field of the current record; "Field '%s' not found" for an
  // unknown name; the table's errors for a field that does not read.
  TDbfFieldValue GetFieldData(const std::string& name);

 private:
  friend class DBFObject;
  void CheckActive() const;

  OsLayer& os_;
  std::unique_ptr<DBFObject> table_;
  std::string databaseName_;
  std::string tableName_;
  std::string encryptionKey_;
  bool exclusive_ = false;
  bool readOnly_ = false;
  bool autoFlush_ = false;
  bool useDeleted_ = false;
  bool filtered_ = false;
  bool translateAscii_ = true;
  TdfIntFields largeIntegerAs_ = TdfIntFields::asInteger;
  TdfLokProtocol lockProtocol_ = TdfLokProtocol::Default;
  uint32_t userId_ = 0;
};

}  // namespace kelmo::dbf
