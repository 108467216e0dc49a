// Dataset layer: TDbfDataSet, the DBF engine as a dataset component. It owns
// one table handler (DBFObject) while open, resolves its database name through
// the process-wide alias list (read from the engine configuration file in the
// data folder, LoadAliasFile), and offers the road the shell's pack routine
// takes: Close, DatabaseName (a folder), TableName, Exclusive, Open, Pack,
// Close.
//
// Like a framework dataset it keeps the current record in its own record
// buffer (the record image, then the record number, bookmark flag and room
// for the bookmark text, made from the number when asked for), so the table's cursor may move
// underneath (locate, ranges, a second reader) without changing what the dataset shows until it
// moves itself. States: inactive, browse, edit, insert, and the filter state while the record
// filter runs. Navigation (First, Next, Prior, Last, MoveBy, RecNo), bookmarks, Edit / Insert /
// Append / Post / Cancel, Delete and RecallRecord, and field values by the dataset's field types
// (FieldDefs, GetFieldData, SetFieldData) complete it; Table() gives the table handler.
//
// An exclusive table reads sequentially through the handler's read buffer
// (no other process can change it underneath); a shared one reads every
// record from the file so that other users' changes show.
//
// Errors: EDbfError "Table name missing", "Cannot find file %s" (with the
// path), "Cannot perform this operation on an open dataset" (DatabaseName or
// TableName changed while open), "Cannot perform this operation on a closed
// dataset", "Cannot delete the record", "Cannot recall the record",
// "Record request beyond range of table", "Bookmark is invalid for table "
// (with the table name), "Record is locked by another user", "Dataset not in
// edit or insert mode", "Field '%s' not found"; the table's own errors
// (EDbfError, EDbfEncryption) pass through, among them "Access denied to file
// %s" when the table cannot be opened exclusively and "%s requires full access
// to file %s" for Pack on a table opened shared. A failed open leaves the
// dataset closed.
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
  // The record image in the record buffer becomes the saved-record copy.
  void SaveRecordImage() { CopyToSaved(); }

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

// A field's value as the dataset hands it out and takes it in.
struct TDbfFieldValue {
  bool isNull = true;
  std::string text;     // strings: the display text, trailing blanks removed
  int64_t integer = 0;  // whole-number fields, rounded
  double number = 0;    // float and currency fields; date-time: ms since year 1
  bool boolean = false;
  int32_t day = 0;  // dates: days since 1 January of year 1, that day being 1
};

// The same with the text as a view into the dataset's current record instead
// of a copy, for scans that only read: valid until the dataset moves, or the
// record is edited, refreshed or the dataset closed.
struct TDbfFieldView {
  bool isNull = true;
  std::string_view text;
  int64_t integer = 0;
  double number = 0;
  bool boolean = false;
  int32_t day = 0;
};

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsFilter, dsOldValue };

// The process-wide alias list: lines "name=value".
std::vector<std::string>& DbfAliasList();
// The value of an alias, empty when the list has none.
std::string DbfAliasValue(const std::string& name);
// Base name of the engine configuration file in the data folder.
inline constexpr const char* kDbfConfigFileName = "kelmodbf.cfg";
// Replaces the alias list by the lines of section "Alias" of the engine
// configuration file in the folder (an empty list when the file or the
// section is missing); the list is first read from the folder the program
// starts in, its data folder. The file is untrusted: only a regular file of
// at most 1 MB is read, and lines without "=" are skipped.
void LoadAliasFile(const std::string& folder);
// The largest engine configuration file that is read.
inline constexpr size_t kMaxDbfConfigBytes = 1 << 20;
// The "name=value" lines of section "Alias" of a configuration text (none
// for a text above the bound): section names compare without case; blanks
// around the name and the value, comment lines (";") and lines without "="
// are dropped.
std::vector<std::string> ParseAliasSection(std::string_view text);

class TDbfDataSet {
 public:
  static constexpr const char* kDefaultDirectory = "Default Directory";
  static constexpr int kBookmarkSize = 11;
  using TBookmark = std::string;

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
  // Open: also true when the table is not read-write.
  bool ReadOnly() const;
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
  void SetLargeIntegerAs(TdfIntFields v);
  bool TranslateASCII() const { return translateAscii_; }
  void SetTranslateASCII(bool v) { translateAscii_ = v; }
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool v) { filtered_ = v; }
  bool ExactCount() const { return exactCount_; }
  void SetExactCount(bool v) { exactCount_ = v; }

  // Receives the table's progress reports (stage, count, total).
  std::function<void(int, int, int)> OnStatus;
  // A record filter: answers whether the table's current record is visible
  // (used while Filtered is on). The dataset is in its filter state while it
  // runs, so GetFieldData reads the table's record.
  std::function<bool(DFO_dBHandler&)> OnFilterRecord;

  void Open();
  void Close();
  bool Active() const { return table_ != nullptr; }
  void SetActive(bool active) { active ? Open() : Close(); }
  TDataSetState State() const { return state_; }
  // The folder the table is looked for in (with a trailing separator).
  std::string TableFolder() const;

  // Navigation; each first posts or cancels nothing: a pending edit must be
  // posted or cancelled before (the dataset posts it, as a framework's browse
  // check does).
  void First();
  void Next();
  void Prior();
  void Last();
  // Moves by count records; answers the records actually moved.
  int MoveBy(int count);
  bool Eof() const;
  bool Bof() const;
  bool IsEmpty() const;
  // ExactCount off: the table's count; on: the records visible in the
  // current order.
  int32_t RecordCount() const;
  // The physical number of the current record (0 without one).
  int32_t RecNo() const;
  void SetRecNo(int32_t n);
  // Reads the current record again from the table.
  void Refresh();
  // The dataset shows the record the table's cursor stands on (after the
  // index layer moved the table: locate, ranges, tags).
  void Resync();

  // Bookmarks: the record number as decimal text right-aligned in 10
  // characters, then a zero byte.
  TBookmark GetBookmark() const;
  void GotoBookmark(const TBookmark& bookmark);
  bool BookmarkValid(const TBookmark& bookmark) const;
  static int CompareBookmarks(const TBookmark* a, const TBookmark* b);

  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  // Posts a pending edit or insert (the framework's browse check).
  void CheckBrowseMode();

  // Removes the deleted records for good (needs Exclusive); then the first record.
  void Pack();
  void Delete();
  void RecallRecord();
  // With TranslateASCII on, the text converted from the Windows code page to
  // the OEM one (toOem) or back; off, copied. Answers the source's length.
  size_t TranslateText(std::string_view source, std::string& destination, bool toOem) const;
  DBFObject* Table() { return table_.get(); }
  const DBFObject* Table() const { return table_.get(); }

  // One definition per table field that has a dataset type, in field order;
  // a closed dataset opens the table read-only and shared for this.
  std::vector<TDbfFieldDef> FieldDefs();
  // The named field of the active record; "Field '%s' not found" for an
  // unknown name; the table's errors for a field that does not read.
  TDbfFieldValue GetFieldData(const std::string& name);
  // The same by the table's field number (1..), as FieldDefs gives it.
  TDbfFieldValue GetFieldData(int fieldNo);
  // The same into a value the caller keeps, whose text storage is reused:
  // a scan reading field after field allocates nothing per field.
  void GetFieldData(int fieldNo, TDbfFieldValue& value);
  // The same with the text as a view into the record (see TDbfFieldView).
  void GetFieldView(int fieldNo, TDbfFieldView& value);
  // Every field of the active record as GetFieldView gives it, into values
  // by field number - 1 (resized to the table's field count; fields without
  // a dataset type are null): the decoding of each field chosen at open runs
  // in one loop, for scans that read whole records.
  void GetRecordViews(std::vector<TDbfFieldView>& values);
  // The field as the record was read before the current edit.
  TDbfFieldValue GetOldFieldData(const std::string& name);
  // Stores a value into the active record (edit or insert state); a null
  // value stores the field's empty value. Memo and blob fields are written
  // through the memo stream (dataset_index.h), currency fields not at all.
  void SetFieldData(const std::string& name, const TDbfFieldValue& value);
  // Is the field one of the current tag's key fields?
  bool IsIndexField(const std::string& name);

  // Bytes of one record buffer and where its parts lie.
  struct BufferLayout {
    int32_t recordSize = 0;
    int32_t recordInfoOffset = 0;
    int32_t bookmarkOffset = 0;
    int32_t bufferSize = 0;
  };
  const BufferLayout& Layout() const { return layout_; }

 private:
  friend class DBFObject;
  enum class GetMode { Current, Next, Prior };
  enum class GetResult { Ok, Bof, Eof, Error };
  enum BookmarkFlag : uint8_t { kBfCurrent = 0, kBfBof = 1, kBfEof = 2, kBfInserted = 3 };

  void CheckActive() const {
    if (!table_) RaiseClosed();
  }
  [[noreturn]] static void RaiseClosed();
  void CheckEditing() const;
  GetResult GetRecord(std::vector<uint8_t>& buffer, GetMode mode, bool check);
  GetResult FetchInto(std::vector<uint8_t>& buffer, GetMode mode, bool check);
  void ShowInTable(const std::vector<uint8_t>& buffer);
  void FillRecordInfo(std::vector<uint8_t>& buffer, int32_t record, uint8_t flag) const;
  int32_t BufferRecNo(const std::vector<uint8_t>& buffer) const;
  void SetToRecord(const std::vector<uint8_t>& buffer);
  void ReadActiveAgain();
  // The buffer field reads and writes use in the present state (null: none).
  uint8_t* ActiveBuffer();
  // Points the table's record buffer at a buffer for the life of the guard.
  struct BufferGuard;
  // How one table field reads as its dataset type; the table of them is made
  // at open (and again when the typing of wide whole numbers changes), so a
  // field read goes from the record bytes to the value without a look-up.
  // How a field's value comes straight from its bytes: a text, a whole or
  // fractional number, a date, a logical letter; or only through the general
  // road (binary and memo fields, date-times, fields without a dataset type).
  enum class ByteDecoding : uint8_t { kText, kWhole, kFraction, kDate, kLogical, kGeneral };
  struct FieldReader {
    const TdfDBFFields* field = nullptr;
    TDbfFieldType type = TDbfFieldType::kString;
    bool typed = false;  // the field has a dataset type
    bool text = false;   // stored as text, not in a version 0x30 binary form
    ByteDecoding decoding = ByteDecoding::kGeneral;
    int32_t offset = 0;  // the field's place and width in the record
    int32_t width = 0;
  };
  void MakeFieldReaders();
  const TdfDBFFields& FieldNamed(const std::string& name) const;
  // The field's value (TDbfFieldValue or TDbfFieldView) in the buffer.
  template <typename Value>
  void ReadField(const FieldReader& r, uint8_t* buffer, Value& v);
  // The values the record bytes do not give directly (binary and memo
  // fields, date-times, numbers that do not read): through the table.
  template <typename Value>
  void ReadFieldThroughTable(const FieldReader& r, uint8_t* buffer, Value& v);
  static bool DecodeView(const FieldReader& r, const uint8_t* record, TDbfFieldView& value);
  // The buffer of the field number's field (1..) in the present state.
  uint8_t* FieldBuffer(int fieldNo);

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
  bool exactCount_ = false;
  bool translateAscii_ = true;
  TdfIntFields largeIntegerAs_ = TdfIntFields::asInteger;
  TdfLokProtocol lockProtocol_ = TdfLokProtocol::Default;
  uint32_t userId_ = 0;

  TDataSetState state_ = TDataSetState::dsInactive;
  BufferLayout layout_;
  std::vector<uint8_t> active_;        // the current record's buffer
  std::vector<uint8_t> beforeInsert_;  // the record shown when Insert began
  std::vector<uint8_t> fetchBuffer_;   // where moves read the next record
  std::vector<FieldReader> readers_;   // by field number - 1, while open
  bool hasRecord_ = false;             // the active buffer holds a record
  bool hadRecordBeforeInsert_ = false;
  bool eof_ = true;
  bool bof_ = true;
  bool bofCrack_ = false;
  bool eofCrack_ = false;
  bool editing_ = false;  // a record was locked for editing
};

}  // namespace kelmo::dbf
