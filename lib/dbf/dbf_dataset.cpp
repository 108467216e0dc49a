// Dataset layer: TDbfDataSet and its table object.
#include "dbf_dataset.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>

#include "bytes/code_pages.h"
#include "date_values.h"
#include "dbf_errors.h"
#include "engine_tools.h"
#include "field_decoding.h"
#include "sys_dbf_text.h"
#include "table_index_list.h"

namespace kelmo::dbf {

DBFObject::DBFObject(TDbfDataSet& owner, const std::string& fileName, bool shared, bool readWrite,
                     const std::string& password, OsLayer& os)
    : DFO_dBHandler(fileName, shared, readWrite, password, os), owner_(owner) {}

bool DBFObject::AcceptRecord() {
  if (!owner_.filtered_ || !owner_.OnFilterRecord) return true;
  // The event reads the record under test through the dataset's fields.
  const TDataSetState was = owner_.state_;
  owner_.state_ = TDataSetState::dsFilter;
  struct Restore {
    TDataSetState& state;
    TDataSetState value;
    ~Restore() { state = value; }
  } restore{owner_.state_, was};
  return owner_.OnFilterRecord(*this);
}

void DBFObject::ReportStatus(int stage, int count, int total) {
  if (owner_.OnStatus) owner_.OnStatus(stage, count, total);
}

namespace {

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The lines of section "Alias" of the engine configuration file in the folder.
std::vector<std::string> ReadAliasSection(const std::string& folder) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  path = ResolveFileNameNoCase(path + kDbfConfigFileName);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec)) ||
      std::filesystem::file_size(path, ec) > kMaxDbfConfigBytes || ec) {
    return {};
  }
  std::ifstream in(path, std::ios::binary);
  std::string text(kMaxDbfConfigBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  // A file that grew past the bound since its size was taken is not read.
  if (in.gcount() > static_cast<std::streamsize>(kMaxDbfConfigBytes)) return {};
  text.resize(static_cast<size_t>(in.gcount()));
  return ParseAliasSection(text);
}

}  // namespace

std::vector<std::string> ParseAliasSection(std::string_view text) {
  std::vector<std::string> lines;
  if (text.size() > kMaxDbfConfigBytes) return lines;
  bool inSection = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trimmed(line);
    if (!line.empty() && line.front() == '[') {
      const size_t close = line.find(']');
      inSection = close != std::string_view::npos &&
                  LocaleCompareText(line.substr(1, close - 1), "Alias") == 0;
      continue;
    }
    if (!inSection || line.empty() || line.front() == ';') continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    // As an ini reader gives them: the name and the value without the
    // blanks around "=", so that the name is found by itself.
    std::string entry(Trimmed(line.substr(0, eq)));
    entry += '=';
    entry += Trimmed(line.substr(eq + 1));
    lines.push_back(std::move(entry));
  }
  return lines;
}

std::vector<std::string>& DbfAliasList() {
  // Made at start-up from the configuration file in the data folder, the
  // folder the program starts in.
  static std::vector<std::string> list = ReadAliasSection(".");
  return list;
}

std::string DbfAliasValue(const std::string& name) {
  for (const auto& line : DbfAliasList()) {
    size_t eq = line.find('=');
    if (eq != std::string::npos && LocaleCompareText(line.substr(0, eq), name) == 0) {
      return line.substr(eq + 1);
    }
  }
  return {};
}

void LoadAliasFile(const std::string& folder) {
  DbfAliasList() = ReadAliasSection(folder);
}

TDbfDataSet::TDbfDataSet(OsLayer& os) : os_(os) {}

TDbfDataSet::~TDbfDataSet() {
  Close();
}

void TDbfDataSet::SetDatabaseName(const std::string& value) {
  if (value == databaseName_) return;
  std::string name = value;
  if (LocaleCompareText(name, kDefaultDirectory) != 0) {
    if (!name.empty() && (name.back() == '/' || name.back() == '\\')) name.pop_back();
    if (name == databaseName_) return;
    if (DbfAliasValue(name).empty()) DbfAliasList().push_back(name + "=" + name);
  }
  if (Active()) RaiseDbf(msg::kOpenDataset, {});
  databaseName_ = name;
}

void TDbfDataSet::SetTableName(const std::string& value) {
  if (Active()) RaiseDbf(msg::kOpenDataset, {});
  tableName_ = value;
}

bool TDbfDataSet::ReadOnly() const {
  return readOnly_ || (table_ && !table_->IsReadWrite());
}

void TDbfDataSet::SetEncryptionKey(const std::string& key) {
  if (!Active()) encryptionKey_ = key;
}

void TDbfDataSet::SetAutoFlush(bool v) {
  autoFlush_ = v;
  if (table_) table_->SetAutoFlush(v);
}

void TDbfDataSet::SetUseDeleted(bool v) {
  useDeleted_ = v;
  if (table_) table_->SetUseDeleted(v);
}

void TDbfDataSet::SetLockProtocol(TdfLokProtocol p) {
  lockProtocol_ = p;
  if (table_) table_->SetLockProtocol(p);
}

std::string TDbfDataSet::TableFolder() const {
  std::string folder;
  if (LocaleCompareText(databaseName_, kDefaultDirectory) == 0) {
    std::error_code ec;
    folder = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
  } else {
    folder = DbfAliasValue(databaseName_);
    if (folder.empty()) folder = databaseName_;
  }
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// ---------------------------------------------------------------------------
// Record buffers

struct TDbfDataSet::BufferGuard {
  BufferGuard(DBFObject& table, uint8_t* buffer) : table_(table) { table_.SetRecordBuffer(buffer); }
  ~BufferGuard() { table_.UseOwnRecordBuffer(); }
  BufferGuard(const BufferGuard&) = delete;
  BufferGuard& operator=(const BufferGuard&) = delete;
  DBFObject& table_;
};

void TDbfDataSet::FillRecordInfo(std::vector<uint8_t>& buffer, int32_t record, uint8_t flag) const {
  // The bookmark text is made from the number when it is asked for, not on
  // every move of a scan.
  uint8_t* info = buffer.data() + layout_.recordInfoOffset;
  std::memcpy(info, &record, 4);
  info[5] = flag;
}

namespace {

// A record's bookmark: its number right-aligned in 10 characters, then a
// zero byte.
TDbfDataSet::TBookmark BookmarkText(int32_t record) {
  char text[TDbfDataSet::kBookmarkSize];
  std::memset(text, ' ', TDbfDataSet::kBookmarkSize - 1);
  text[TDbfDataSet::kBookmarkSize - 1] = '\0';
  int64_t value = record;
  const bool negative = value < 0;
  if (negative) value = -value;
  int at = TDbfDataSet::kBookmarkSize - 1;
  do {
    text[--at] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 && at > 0);
  if (negative && at > 0) text[--at] = '-';
  return TDbfDataSet::TBookmark(text, TDbfDataSet::kBookmarkSize);
}

}  // namespace

int32_t TDbfDataSet::BufferRecNo(const std::vector<uint8_t>& buffer) const {
  int32_t record = 0;
  std::memcpy(&record, buffer.data() + layout_.recordInfoOffset, 4);
  return record;
}

TDbfDataSet::GetResult TDbfDataSet::GetRecord(std::vector<uint8_t>& buffer, GetMode mode,
                                              bool check) {
  GetResult result = FetchInto(buffer, mode, check);
  // The table's own record shows the fetched one too, for callers that read
  // the table itself (memo streams, locate).
  if (result == GetResult::Ok) ShowInTable(buffer);
  return result;
}

void TDbfDataSet::ShowInTable(const std::vector<uint8_t>& buffer) {
  std::memcpy(table_->RecordBuffer(), buffer.data(), static_cast<size_t>(layout_.recordSize));
}

TDbfDataSet::GetResult TDbfDataSet::FetchInto(std::vector<uint8_t>& buffer, GetMode mode,
                                              bool check) {
  BufferGuard guard(*table_, buffer.data());
  try {
    switch (mode) {
      case GetMode::Current:
        if (bofCrack_) return GetResult::Bof;
        if (eofCrack_) return GetResult::Eof;
        table_->GoTo(kMoveCurrent);
        break;
      case GetMode::Next:
        if (bofCrack_) {
          table_->GoTo(kMoveFirst);
          bofCrack_ = false;
        } else if (eofCrack_) {
          return GetResult::Eof;
        } else {
          table_->GoTo(kMoveNext);
        }
        break;
      case GetMode::Prior:
        if (bofCrack_) return GetResult::Bof;
        if (!eofCrack_ || (state_ == TDataSetState::dsInsert && RecNo() != 1)) {
          table_->GoTo(kMovePrior);
        } else {
          table_->GoTo(kMoveLast);
          eofCrack_ = false;
        }
        break;
    }
  } catch (const EDbfError&) {
    if (check) RaiseDbf(msg::kBeyondRange, {});
    return GetResult::Error;
  }
  if (table_->Eof() || table_->RecordCount() == 0) return GetResult::Eof;
  if (table_->Bof()) return GetResult::Bof;
  FillRecordInfo(buffer, table_->CurrentRecord(), kBfCurrent);
  return GetResult::Ok;
}

void TDbfDataSet::SetToRecord(const std::vector<uint8_t>& buffer) {
  const int32_t record = BufferRecNo(buffer);
  if (record <= 0) return;
  if (table_->CurrentRecord() == record && !table_->Eof() && !table_->Bof()) return;
  table_->GoTo(record);
}

uint8_t* TDbfDataSet::ActiveBuffer() {
  switch (state_) {
    case TDataSetState::dsBrowse:
      return hasRecord_ ? active_.data() : nullptr;
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
      return active_.data();
    case TDataSetState::dsFilter:
      return table_->RecordBuffer();
    case TDataSetState::dsOldValue:
      return editing_ ? const_cast<uint8_t*>(table_->SavedRecord().data()) : active_.data();
    case TDataSetState::dsInactive:
      break;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Opening and closing

void TDbfDataSet::Open() {
  if (Active()) return;
  if (tableName_.empty()) RaiseDbf(msg::kTableNameMissing, {});
  tableName_ = ApplyDefaultExt(tableName_, ".DBF");
  std::string path = TableFolder() + tableName_;
  path = ResolveFileNameNoCase(path);
  if (!os_.FileExists(path)) RaiseDbf(msg::kCannotFindFile, {path});
  auto table =
      std::make_unique<DBFObject>(*this, path, !exclusive_, !readOnly_, encryptionKey_, os_);
  table->SetAutoFlush(autoFlush_);
  table->SetUseDeleted(useDeleted_);
  // Nobody else can change an exclusive table, so reading it through the
  // read buffer shows the same records; a shared table is read record by
  // record so that other users' writes show at once.
  table->UseRecordBuffer(exclusive_);
  table->SetLockProtocol(lockProtocol_);
  table->SetUserID(userId_);
  layout_.recordSize = table->RecordLength();
  layout_.recordInfoOffset = layout_.recordSize;
  layout_.bookmarkOffset = layout_.recordInfoOffset + 8;
  layout_.bufferSize = layout_.recordInfoOffset + 19;
  active_.assign(static_cast<size_t>(layout_.bufferSize), 0);
  table_ = std::move(table);
  MakeFieldReaders();
  state_ = TDataSetState::dsBrowse;
  editing_ = false;
  try {
    First();
  } catch (...) {
    Close();
    throw;
  }
}

void TDbfDataSet::Close() {
  if (table_ && editing_) {
    try {
      table_->Unlock();
    } catch (const EDbfError&) {
      // The file is closed next; its locks go with it.
    }
  }
  readers_.clear();
  table_.reset();
  state_ = TDataSetState::dsInactive;
  hasRecord_ = false;
  editing_ = false;
  eof_ = bof_ = true;
  active_.clear();
  beforeInsert_.clear();
}

void TDbfDataSet::RaiseClosed() {
  RaiseDbf(msg::kClosedDataset, {});
}

void TDbfDataSet::CheckEditing() const {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert &&
      state_ != TDataSetState::dsFilter) {
    RaiseDbf(msg::kNotEditing, {});
  }
}

void TDbfDataSet::CheckBrowseMode() {
  CheckActive();
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) Post();
}

// ---------------------------------------------------------------------------
// Navigation

void TDbfDataSet::First() {
  CheckBrowseMode();
  bofCrack_ = true;
  eofCrack_ = false;
  std::vector<uint8_t> buffer(active_.size(), 0);
  if (GetRecord(buffer, GetMode::Next, true) == GetResult::Ok) {
    active_.swap(buffer);
    hasRecord_ = true;
    eof_ = false;
  } else {
    hasRecord_ = false;
    eof_ = true;
  }
  bof_ = true;
}

void TDbfDataSet::Last() {
  CheckBrowseMode();
  table_->GoTo(kMoveLast);
  eofCrack_ = true;
  bofCrack_ = false;
  std::vector<uint8_t> buffer(active_.size(), 0);
  if (GetRecord(buffer, GetMode::Prior, true) == GetResult::Ok) {
    active_.swap(buffer);
    hasRecord_ = true;
    bof_ = false;
  } else {
    hasRecord_ = false;
    bof_ = true;
  }
  eof_ = true;
}

void TDbfDataSet::Next() {
  MoveBy(1);
}

void TDbfDataSet::Prior() {
  MoveBy(-1);
}

int TDbfDataSet::MoveBy(int count) {
  CheckBrowseMode();
  int moved = 0;
  // The fetch buffer is kept between moves; a failed fetch leaves the active
  // one as it was.
  std::vector<uint8_t>& buffer = fetchBuffer_;
  buffer.resize(active_.size());
  while (count > 0 && !eof_) {
    if (!hasRecord_) {
      eof_ = true;
      break;
    }
    SetToRecord(active_);
    if (GetRecord(buffer, GetMode::Next, true) != GetResult::Ok) {
      eof_ = true;
      break;
    }
    active_.swap(buffer);
    bof_ = false;
    --count;
    ++moved;
  }
  while (count < 0 && !bof_) {
    if (!hasRecord_) {
      bof_ = true;
      break;
    }
    SetToRecord(active_);
    if (GetRecord(buffer, GetMode::Prior, true) != GetResult::Ok) {
      bof_ = true;
      break;
    }
    active_.swap(buffer);
    eof_ = false;
    ++count;
    --moved;
  }
  return moved;
}

bool TDbfDataSet::Eof() const {
  CheckActive();
  return eof_;
}

bool TDbfDataSet::Bof() const {
  CheckActive();
  return bof_;
}

bool TDbfDataSet::IsEmpty() const {
  CheckActive();
  return !hasRecord_ && state_ == TDataSetState::dsBrowse;
}

int32_t TDbfDataSet::RecordCount() const {
  CheckActive();
  if (!exactCount_) return table_->RecordCount();
  const int32_t was = table_->CurrentRecord();
  int32_t count = 0;
  for (table_->GoTo(kMoveFirst); !table_->Eof() && table_->RecordCount() > 0;
       table_->GoTo(kMoveNext)) {
    ++count;
  }
  if (was > 0 && was <= table_->RecordCount()) table_->GoTo(was);
  return count;
}

int32_t TDbfDataSet::RecNo() const {
  CheckActive();
  if (state_ == TDataSetState::dsBrowse && !hasRecord_) return 0;
  if (state_ == TDataSetState::dsFilter) return table_->CurrentRecord();
  return BufferRecNo(active_);
}

void TDbfDataSet::SetRecNo(int32_t n) {
  CheckBrowseMode();
  if (n < 1 || n > table_->RecordCount()) return;
  table_->GoTo(n);
  Resync();
}

void TDbfDataSet::Resync() {
  CheckActive();
  const int32_t record = table_->CurrentRecord();
  if (record > 0 && record <= table_->RecordCount() && !table_->Eof() && !table_->Bof()) {
    std::memcpy(active_.data(), table_->RecordBuffer(), static_cast<size_t>(layout_.recordSize));
    FillRecordInfo(active_, record, kBfCurrent);
    hasRecord_ = true;
    eof_ = bof_ = false;
  } else {
    hasRecord_ = false;
    eof_ = bof_ = true;
  }
  bofCrack_ = eofCrack_ = false;
}

void TDbfDataSet::ReadActiveAgain() {
  if (!hasRecord_) return;
  const int32_t record = BufferRecNo(active_);
  BufferGuard guard(*table_, active_.data());
  table_->GoTo(record);
  FillRecordInfo(active_, record, kBfCurrent);
}

void TDbfDataSet::Refresh() {
  CheckBrowseMode();
  if (hasRecord_) {
    ReadActiveAgain();
    ShowInTable(active_);
    table_->Indexes().RefreshFilterSet();
  }
}

// ---------------------------------------------------------------------------
// Bookmarks

TDbfDataSet::TBookmark TDbfDataSet::GetBookmark() const {
  CheckActive();
  if (!hasRecord_) return {};
  return BookmarkText(BufferRecNo(active_));
}

namespace {

// The record number a bookmark text holds; 0 when it holds none.
int32_t BookmarkNumber(const std::string& bookmark) {
  std::string_view text(bookmark.c_str());  // up to its zero byte
  text = Trimmed(text);
  if (text.empty() || text.size() > 10) return 0;
  int64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n > INT32_MAX ? 0 : static_cast<int32_t>(n);
}

}  // namespace

void TDbfDataSet::GotoBookmark(const TBookmark& bookmark) {
  CheckBrowseMode();
  const int32_t record = BookmarkNumber(bookmark);
  if (record <= 0 || record > table_->RecordCount()) {
    RaiseDbf(std::string(msg::kBookmarkInvalid).append(table_->FileName()).c_str(), {});
  }
  table_->GoTo(record);
  Resync();
}

bool TDbfDataSet::BookmarkValid(const TBookmark& bookmark) const {
  CheckActive();
  const int32_t record = BookmarkNumber(bookmark);
  return record > 0 && record <= table_->RecordCount();
}

int TDbfDataSet::CompareBookmarks(const TBookmark* a, const TBookmark* b) {
  if (!a && !b) return 0;
  if (!a) return -1;
  if (!b) return 1;
  int c = std::strcmp(a->c_str(), b->c_str());
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Editing

void TDbfDataSet::Edit() {
  CheckActive();
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return;
  if (!hasRecord_) {
    Insert();
    return;
  }
  if (ReadOnly()) RaiseDbf("Cannot modify a read-only dataset", {});
  ReadActiveAgain();
  {
    BufferGuard guard(*table_, active_.data());
    if (!table_->LockRecord()) RaiseDbf(msg::kRecordLocked, {});
  }
  editing_ = true;
  state_ = TDataSetState::dsEdit;
  // While the record is edited the table works on the dataset's buffer, so
  // that memo streams and field writes through the table land in it.
  table_->SetRecordBuffer(active_.data());
}

void TDbfDataSet::Insert() {
  CheckBrowseMode();
  if (ReadOnly()) RaiseDbf("Cannot modify a read-only dataset", {});
  beforeInsert_ = active_;
  hadRecordBeforeInsert_ = hasRecord_;
  if (editing_) table_->Unlock();
  editing_ = false;
  std::fill(active_.begin(), active_.end(), 0);
  table_->SetRecordBuffer(active_.data());
  table_->BlankRecord();
  table_->SaveRecordImage();
  FillRecordInfo(active_, 0, kBfInserted);
  state_ = TDataSetState::dsInsert;
  table_->SetEof(true);
  table_->SetBof(false);
}

void TDbfDataSet::Append() {
  // A DBF table adds new records at its end; inserting and appending differ
  // only in where a framework shows the new row.
  Insert();
}

void TDbfDataSet::Post() {
  CheckActive();
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  {
    BufferGuard guard(*table_, active_.data());
    if (state_ == TDataSetState::dsEdit) {
      table_->WriteRecord(BufferRecNo(active_));
    } else {
      table_->Append();
    }
  }
  ShowInTable(active_);
  if (editing_) table_->Unlock();
  editing_ = false;
  bofCrack_ = eofCrack_ = false;
  FillRecordInfo(active_, table_->CurrentRecord(), kBfCurrent);
  state_ = TDataSetState::dsBrowse;
  hasRecord_ = true;
  eof_ = bof_ = false;
  beforeInsert_.clear();
}

void TDbfDataSet::Cancel() {
  CheckActive();
  table_->UseOwnRecordBuffer();
  if (state_ == TDataSetState::dsEdit) {
    if (editing_) table_->Unlock();
    editing_ = false;
    state_ = TDataSetState::dsBrowse;
    ReadActiveAgain();
    ShowInTable(active_);
  } else if (state_ == TDataSetState::dsInsert) {
    state_ = TDataSetState::dsBrowse;
    active_.swap(beforeInsert_);
    beforeInsert_.clear();
    hasRecord_ = hadRecordBeforeInsert_;
    if (hasRecord_) {
      table_->SetEof(false);
      SetToRecord(active_);
      ShowInTable(active_);
    } else {
      eof_ = bof_ = true;
    }
  }
}

void TDbfDataSet::Delete() {
  CheckActive();
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  if (!hasRecord_) RaiseDbf(msg::kCannotDelete, {});
  if (state_ == TDataSetState::dsEdit) Cancel();
  table_->SetUseDeleted(true);
  try {
    BufferGuard guard(*table_, active_.data());
    SetToRecord(active_);
    table_->DeleteRecord();
  } catch (const EDbfError&) {
    table_->SetUseDeleted(useDeleted_);
    RaiseDbf(msg::kCannotDelete, {});
  }
  table_->SetUseDeleted(useDeleted_);
  // The record shown next: the deleted one when deleted records show, else
  // the one after it, else the one before.
  std::vector<uint8_t> buffer(active_.size(), 0);
  if (GetRecord(buffer, GetMode::Current, false) == GetResult::Ok) {
    active_.swap(buffer);
    eof_ = bof_ = false;
  } else {
    table_->GoTo(kMovePrior);
    Resync();
    table_->SetEof(true);
    eof_ = true;
    if (!hasRecord_) bof_ = true;
  }
}

void TDbfDataSet::RecallRecord() {
  CheckBrowseMode();
  table_->SetUseDeleted(true);
  try {
    if (hasRecord_) SetToRecord(active_);
    table_->UndeleteRecord();
  } catch (const EDbfError&) {
    table_->SetUseDeleted(useDeleted_);
    RaiseDbf(msg::kCannotRecall, {});
  }
  table_->SetUseDeleted(useDeleted_);
  if (hasRecord_) active_[0] = table_->RecordBuffer()[0];
}

void TDbfDataSet::Pack() {
  CheckBrowseMode();
  table_->AllowRecordBuffer(false);
  table_->Pack();
  First();
}

namespace {

// Name kind of the expression nodes that stand for table fields.
constexpr int kFieldNameKind = 16;
// Julian day number of 1 January of year 1 (proleptic Gregorian) minus one:
// the framework counts that day as 1.
constexpr int32_t kJulianOfDayOne = 1721425;

bool TypeOf(const TdfDBFFields& f, TdfIntFields largeAs, TDbfFieldType& type) {
  switch (f.type) {
    case 'C':
      type = TDbfFieldType::kString;
      return true;
    case 'N':
    case 'F':
      if (f.decimalsByte > 0) {
        type = TDbfFieldType::kFloat;
      } else if (f.width <= 4) {
        type = TDbfFieldType::kSmallInt;
      } else if (f.width <= 9) {
        type = TDbfFieldType::kInteger;
      } else {
        type = largeAs == TdfIntFields::asInteger    ? TDbfFieldType::kInteger
               : largeAs == TdfIntFields::asLargeInt ? TDbfFieldType::kLargeInt
                                                     : TDbfFieldType::kFloat;
      }
      return true;
    case 'I':
      type = TDbfFieldType::kInteger;
      return true;
    case 'D':
      type = TDbfFieldType::kDate;
      return true;
    case 'L':
      type = TDbfFieldType::kBoolean;
      return true;
    case 'M':
      type = TDbfFieldType::kMemo;
      return true;
    case 'B':
    case 'G':
      type = TDbfFieldType::kBlob;
      return true;
    case 'T':
      type = TDbfFieldType::kDateTime;
      return true;
    case 'Y':
      type = TDbfFieldType::kCurrency;
      return true;
    default:
      return false;
  }
}

}  // namespace

std::vector<TDbfFieldDef> TDbfDataSet::FieldDefs() {
  std::unique_ptr<DBFObject> temporary;
  DBFObject* table = table_.get();
  if (!table) {
    if (tableName_.empty()) RaiseDbf(msg::kTableNameMissing, {});
    std::string path = ResolveFileNameNoCase(TableFolder() + ApplyDefaultExt(tableName_, ".DBF"));
    if (!os_.FileExists(path)) RaiseDbf(msg::kCannotFindFile, {path});
    temporary = std::make_unique<DBFObject>(*this, path, true, false, encryptionKey_, os_);
    table = temporary.get();
  }
  std::vector<TDbfFieldDef> defs;
  for (const auto& f : table->Fields()) {
    TDbfFieldDef d;
    if (!TypeOf(f, largeIntegerAs_, d.type)) continue;
    d.name = f.name;
    d.size = f.type == 'C' ? f.width : 0;
    d.fieldNo = f.number;
    defs.push_back(d);
  }
  return defs;
}

const TdfDBFFields& TDbfDataSet::FieldNamed(const std::string& name) const {
  CheckActive();
  int n = 0;
  if (!table_->FindField(name, n)) RaiseDbf("Field '%s' not found", {name});
  return *table_->Field(n);
}

void TDbfDataSet::MakeFieldReaders() {
  readers_.clear();
  readers_.reserve(table_->Fields().size());
  for (const TdfDBFFields& f : table_->Fields()) {
    FieldReader r;
    r.field = &f;
    r.typed = TypeOf(f, largeIntegerAs_, r.type);
    r.text = !table_->IsBinaryField(f);
    r.offset = f.offset;
    r.width = f.width;
    if (r.typed && r.text) {
      switch (r.type) {
        case TDbfFieldType::kString:
          r.decoding = ByteDecoding::kText;
          break;
        case TDbfFieldType::kSmallInt:
        case TDbfFieldType::kInteger:
        case TDbfFieldType::kLargeInt:
          r.decoding = ByteDecoding::kWhole;
          break;
        case TDbfFieldType::kFloat:
          r.decoding = ByteDecoding::kFraction;
          break;
        case TDbfFieldType::kDate:
          r.decoding = ByteDecoding::kDate;
          break;
        case TDbfFieldType::kBoolean:
          r.decoding = ByteDecoding::kLogical;
          break;
        default:
          break;
      }
    }
    readers_.push_back(r);
  }
}

void TDbfDataSet::SetLargeIntegerAs(TdfIntFields v) {
  largeIntegerAs_ = v;
  if (table_) MakeFieldReaders();
}

namespace {

// A whole-number field's value: the number rounded half away from zero.
int64_t RoundedWhole(double number) {
  // Within 2^53 a whole double converts exactly; the rest rounds.
  if (number > -9.0e15 && number < 9.0e15) {
    const auto whole = static_cast<int64_t>(number);
    if (static_cast<double>(whole) == number) return whole;
  }
  return static_cast<int64_t>(std::llround(number));
}

// Days since 1 January of year 1 (that day being 1) of a date field, or
// false for a blank, zero, unreadable or impossible date.
[[gnu::always_inline]] inline bool DateFieldDay(const char* p, size_t width, int32_t& day) {
  while (width > 0 && p[width - 1] == ' ') --width;
  int year = 0, month = 0, dayOfMonth = 0;
  int32_t julian = 0;
  if (width != 8 || !DateFieldDigits(p, year, month, dayOfMonth) ||
      std::memcmp(p, "00000000", 8) == 0 ||
      !TdfDBFDate::EncodeJulian(year, month, dayOfMonth, julian)) {
    return false;
  }
  day = julian - kJulianOfDayOne;
  return true;
}

}  // namespace

namespace {

// A string field's text into a value: copied, or as a view.
void TakeText(std::string_view text, TDbfFieldValue& v) {
  v.text.assign(text);
}
void TakeText(std::string_view text, TDbfFieldView& v) {
  v.text = text;
}
void ClearText(TDbfFieldValue& v) {
  v.text.clear();
}
void ClearText(TDbfFieldView& v) {
  v.text = {};
}

// The value of a field stored as text straight from its bytes (v was
// cleared); false for what must read through the table, which raises the
// table's errors for numbers that do not read.
template <typename Value>
bool ReadFieldBytes(TDbfFieldType type, const char* p, size_t width, Value& v) {
  switch (type) {
    case TDbfFieldType::kString: {
      const std::string_view text = TrimmedFieldBytes(p, width);
      TakeText(text, v);
      v.isNull = text.empty();
      return true;
    }
    case TDbfFieldType::kSmallInt:
    case TDbfFieldType::kInteger:
    case TDbfFieldType::kLargeInt:
    case TDbfFieldType::kFloat:
    case TDbfFieldType::kCurrency: {
      // Blank reads as 0.
      const std::string_view text = WithoutLeadingBlanks(TrimmedFieldBytes(p, width));
      v.isNull = false;
      const bool whole = type != TDbfFieldType::kFloat && type != TDbfFieldType::kCurrency;
      if (text.empty() || (whole && ParsePlainWhole(text, v.integer))) return true;
      double number = 0;
      if (!ParseFieldNumber(text, number)) {
        v.isNull = true;
        return false;
      }
      if (whole) {
        v.integer = RoundedWhole(number);
      } else {
        v.number = number;
      }
      return true;
    }
    case TDbfFieldType::kBoolean:
      v.boolean = LogicalTrueLetter(p[0]);
      v.isNull = false;
      return true;
    case TDbfFieldType::kDate: {
      int32_t day = 0;
      v.isNull = !DateFieldDay(p, width, day);
      if (!v.isNull) v.day = day;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

template <typename Value>
inline void TDbfDataSet::ReadField(const FieldReader& r, uint8_t* buffer, Value& v) {
  v.isNull = true;
  ClearText(v);
  v.integer = 0;
  v.number = 0;
  v.boolean = false;
  v.day = 0;
  if (!buffer || !r.typed) return;
  if (r.text && ReadFieldBytes(r.type, reinterpret_cast<const char*>(buffer) + r.field->offset,
                               static_cast<size_t>(r.field->width), v)) {
    return;
  }
  ReadFieldThroughTable(r, buffer, v);
}

TDbfFieldValue TDbfDataSet::GetFieldData(const std::string& name) {
  const TdfDBFFields& f = FieldNamed(name);
  TDbfFieldValue v;
  ReadField(readers_[static_cast<size_t>(f.number - 1)], ActiveBuffer(), v);
  return v;
}

TDbfFieldValue TDbfDataSet::GetFieldData(int fieldNo) {
  TDbfFieldValue v;
  GetFieldData(fieldNo, v);
  return v;
}

inline uint8_t* TDbfDataSet::FieldBuffer(int fieldNo) {
  CheckActive();
  if (fieldNo < 1 || fieldNo > static_cast<int>(readers_.size())) {
    RaiseDbf("Field '%s' not found", {std::to_string(fieldNo)});
  }
  // A browsed record, the usual case of a scan, without the state switch.
  return state_ == TDataSetState::dsBrowse && hasRecord_ ? active_.data() : ActiveBuffer();
}

void TDbfDataSet::GetFieldData(int fieldNo, TDbfFieldValue& value) {
  uint8_t* buffer = FieldBuffer(fieldNo);
  ReadField(readers_[static_cast<size_t>(fieldNo - 1)], buffer, value);
}

// A field's value straight from the record bytes by the reader's decoding,
// chosen at open; false for what takes the general road (numbers that do not
// read plainly, binary and memo fields).
[[gnu::always_inline]] inline bool TDbfDataSet::DecodeView(const FieldReader& r,
                                                           const uint8_t* record,
                                                           TDbfFieldView& value) {
  const char* p = reinterpret_cast<const char*>(record) + r.offset;
  const auto width = static_cast<size_t>(r.width);
  switch (r.decoding) {
    case ByteDecoding::kText: {
      const std::string_view text = TrimmedFieldBytes(p, width);
      value = TDbfFieldView{text.empty(), text};
      return true;
    }
    case ByteDecoding::kWhole: {
      const std::string_view text = WithoutLeadingBlanks(TrimmedFieldBytes(p, width));
      int64_t whole = 0;
      if (!text.empty() && !ParsePlainWhole(text, whole)) return false;
      value = TDbfFieldView{false, {}, whole};
      return true;
    }
    case ByteDecoding::kFraction: {
      const std::string_view text = WithoutLeadingBlanks(TrimmedFieldBytes(p, width));
      double number = 0;
      if (!text.empty() && !ParseFieldNumber(text, number)) return false;
      value = TDbfFieldView{false, {}, 0, number};
      return true;
    }
    case ByteDecoding::kDate: {
      int32_t day = 0;
      const bool isDate = DateFieldDay(p, width, day);
      value = TDbfFieldView{!isDate, {}, 0, 0, false, day};
      return true;
    }
    case ByteDecoding::kLogical:
      value = TDbfFieldView{false, {}, 0, 0, LogicalTrueLetter(p[0])};
      return true;
    case ByteDecoding::kGeneral:
      break;
  }
  return false;
}

void TDbfDataSet::GetFieldView(int fieldNo, TDbfFieldView& value) {
  // A browsed record's field without a look-up, state switch or type test
  // (the readers are empty while the dataset is closed); the other states
  // and fields take the general road.
  const size_t index = static_cast<size_t>(fieldNo) - 1;
  if (index < readers_.size() && state_ == TDataSetState::dsBrowse && hasRecord_ &&
      DecodeView(readers_[index], active_.data(), value)) {
    return;
  }
  uint8_t* buffer = FieldBuffer(fieldNo);
  ReadField(readers_[static_cast<size_t>(fieldNo - 1)], buffer, value);
}

void TDbfDataSet::GetRecordViews(std::vector<TDbfFieldView>& values) {
  CheckActive();
  const size_t count = readers_.size();
  values.resize(count);
  // Held in locals: the stores into the values cannot then be taken to
  // change the readers or the record under the loop.
  const FieldReader* readers = readers_.data();
  TDbfFieldView* out = values.data();
  const uint8_t* record =
      state_ == TDataSetState::dsBrowse && hasRecord_ ? active_.data() : nullptr;
  for (size_t i = 0; i < count; ++i) {
    if (!record || !DecodeView(readers[i], record, out[i])) {
      GetFieldView(static_cast<int>(i) + 1, out[i]);
    }
  }
}

TDbfFieldValue TDbfDataSet::GetOldFieldData(const std::string& name) {
  const TdfDBFFields& f = FieldNamed(name);
  const TDataSetState was = state_;
  state_ = TDataSetState::dsOldValue;
  uint8_t* buffer = ActiveBuffer();
  state_ = was;
  TDbfFieldValue v;
  ReadField(readers_[static_cast<size_t>(f.number - 1)], buffer, v);
  return v;
}

template <typename Value>
void TDbfDataSet::ReadFieldThroughTable(const FieldReader& r, uint8_t* buffer, Value& v) {
  DBFObject& t = *table_;
  const int n = r.field->number;
  std::optional<BufferGuard> guard;
  if (buffer != t.RecordBuffer()) guard.emplace(t, buffer);
  switch (r.type) {
    case TDbfFieldType::kString:
    case TDbfFieldType::kBoolean:
    case TDbfFieldType::kDate:
      // Text fields in every version: read from the bytes.
      break;
    case TDbfFieldType::kSmallInt:
    case TDbfFieldType::kInteger:
    case TDbfFieldType::kLargeInt:
      v.integer = static_cast<int64_t>(std::llround(t.GetNumeric(n)));
      v.isNull = false;
      break;
    case TDbfFieldType::kFloat:
    case TDbfFieldType::kCurrency:
      v.number = t.GetNumeric(n);
      v.isNull = false;
      break;
    case TDbfFieldType::kDateTime:
      v.number = t.GetNumeric(n);
      v.isNull = v.number == 0;
      break;
    case TDbfFieldType::kMemo:
    case TDbfFieldType::kBlob:
      v.isNull = t.MemoBlockOf(n) == 0;
      break;
  }
}

void TDbfDataSet::SetFieldData(const std::string& name, const TDbfFieldValue& value) {
  const TdfDBFFields& f = FieldNamed(name);
  CheckEditing();
  TDbfFieldType type;
  if (!TypeOf(f, largeIntegerAs_, type)) return;
  DBFObject& t = *table_;
  uint8_t* buffer = ActiveBuffer();
  std::optional<BufferGuard> guard;
  if (buffer != t.RecordBuffer()) guard.emplace(t, buffer);
  const int n = f.number;
  switch (type) {
    case TDbfFieldType::kString:
      t.PutFieldText(n, value.isNull ? std::string() : value.text);
      break;
    case TDbfFieldType::kSmallInt:
    case TDbfFieldType::kInteger:
    case TDbfFieldType::kLargeInt:
      t.PutNumeric(n, value.isNull ? 0.0 : static_cast<double>(value.integer));
      break;
    case TDbfFieldType::kFloat:
    case TDbfFieldType::kDateTime:
      t.PutNumeric(n, value.isNull ? 0.0 : value.number);
      break;
    case TDbfFieldType::kBoolean:
      t.PutLogical(n, !value.isNull && value.boolean);
      break;
    case TDbfFieldType::kDate: {
      std::string text(8, ' ');
      int y = 0, m = 0, d = 0;
      if (!value.isNull && value.day > 0) {
        TdfDBFDate::DecodeJulian(value.day + kJulianOfDayOne, y, m, d);
        if (y >= 1 && y <= 9999) {
          char digits[16];
          std::snprintf(digits, sizeof digits, "%04d%02d%02d", y, m, d);
          text.assign(digits, 8);
        }
      }
      t.PutFieldRaw(n, text);
      break;
    }
    case TDbfFieldType::kCurrency:
    case TDbfFieldType::kMemo:
    case TDbfFieldType::kBlob:
      break;
  }
}

bool TDbfDataSet::IsIndexField(const std::string& name) {
  CheckActive();
  GSobjIndexTag* tag = table_->IndexesIfOpen() ? table_->IndexesIfOpen()->CurrentTag() : nullptr;
  if (!tag) return false;
  if (!tag->keyHandler) return false;
  // The key's field names, each followed by ";".
  const std::string names = ";" + tag->keyHandler->ExpressionNodeNames(kFieldNameKind);
  return names.find(";" + UpperText(name) + ";") != std::string::npos;
}

size_t TDbfDataSet::TranslateText(std::string_view source, std::string& destination,
                                  bool toOem) const {
  destination.assign(source);
  if (translateAscii_) {
    if (toOem) {
      bytes::AnsiToOemBuffer(destination.data(), destination.data(), destination.size());
    } else {
      bytes::OemToAnsiBuffer(destination.data(), destination.data(), destination.size());
    }
  }
  return source.size();
}

}  // namespace kelmo::dbf
