// Dataset layer: TDbfDataSet and its table object.
#include "dbf_dataset.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <mutex>

#include "bytes/code_pages.h"
#include "date_values.h"
#include "dbf_errors.h"
#include "engine_tools.h"
#include "sys_dbf_text.h"

namespace kelmo::dbf {

DBFObject::DBFObject(TDbfDataSet& owner, const std::string& fileName, bool shared, bool readWrite,
                     const std::string& password, OsLayer& os)
    : DFO_dBHandler(fileName, shared, readWrite, password, os), owner_(owner) {}

bool DBFObject::AcceptRecord() {
  if (owner_.filtered_ && owner_.OnFilterRecord) return owner_.OnFilterRecord(*this);
  return true;
}

void DBFObject::ReportStatus(int stage, int count, int total) {
  if (owner_.OnStatus) owner_.OnStatus(stage, count, total);
}

std::vector<std::string>& DbfAliasList() {
  // No engine configuration file exists on this platform: the list starts
  // empty and holds what DatabaseName adds.
  static std::vector<std::string> list;
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
  table->UseRecordBuffer(false);
  table->SetLockProtocol(lockProtocol_);
  table->SetUserID(userId_);
  table_ = std::move(table);
  First();
}

void TDbfDataSet::Close() {
  table_.reset();
}

void TDbfDataSet::CheckActive() const {
  if (!table_) RaiseDbf(msg::kClosedDataset, {});
}

void TDbfDataSet::First() {
  CheckActive();
  table_->GoTo(kMoveFirst);
}

void TDbfDataSet::Next() {
  CheckActive();
  table_->GoTo(kMoveNext);
}

void TDbfDataSet::Prior() {
  CheckActive();
  table_->GoTo(kMovePrior);
}

void TDbfDataSet::Last() {
  CheckActive();
  table_->GoTo(kMoveLast);
}

bool TDbfDataSet::Eof() const {
  CheckActive();
  return table_->Eof() || table_->RecordCount() == 0;
}

bool TDbfDataSet::Bof() const {
  CheckActive();
  return table_->Bof();
}

int32_t TDbfDataSet::RecordCount() const {
  CheckActive();
  return table_->RecordCount();
}

int32_t TDbfDataSet::RecNo() const {
  CheckActive();
  return table_->CurrentRecord();
}

void TDbfDataSet::Pack() {
  CheckActive();
  table_->AllowRecordBuffer(false);
  table_->Pack();
  First();
}

void TDbfDataSet::Delete() {
  CheckActive();
  table_->SetUseDeleted(true);
  try {
    table_->DeleteRecord();
  } catch (const EDbfError&) {
    table_->SetUseDeleted(useDeleted_);
    RaiseDbf(msg::kCannotDelete, {});
  }
  table_->SetUseDeleted(useDeleted_);
  table_->GoTo(kMoveCurrent);
  if (table_->Eof()) {
    table_->GoTo(kMovePrior);
    table_->SetEof(true);
  }
}

namespace {

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

TDbfFieldValue TDbfDataSet::GetFieldData(const std::string& name) {
  CheckActive();
  DBFObject& t = *table_;
  int n = 0;
  if (!t.FindField(name, n)) RaiseDbf("Field '%s' not found", {name});
  const TdfDBFFields& f = *t.Field(n);
  TDbfFieldValue v;
  TDbfFieldType type;
  if (!TypeOf(f, largeIntegerAs_, type) || t.Eof() || t.RecordCount() == 0) return v;
  switch (type) {
    case TDbfFieldType::kString:
      v.text = t.FieldText(n);
      v.isNull = v.text.empty();
      break;
    case TDbfFieldType::kSmallInt:
    case TDbfFieldType::kInteger:
    case TDbfFieldType::kLargeInt:
      v.integer = static_cast<int64_t>(std::llround(t.GetNumeric(n)));
      v.isNull = false;
      break;
    case TDbfFieldType::kBoolean:
      v.boolean = t.GetLogical(n);
      v.isNull = false;
      break;
    case TDbfFieldType::kFloat:
    case TDbfFieldType::kCurrency:
      v.number = t.GetNumeric(n);
      v.isNull = false;
      break;
    case TDbfFieldType::kDate: {
      std::string raw = t.GetFieldRaw(n);
      while (!raw.empty() && raw.back() == ' ') raw.pop_back();
      int32_t julian = 0;
      if (raw.size() == 8 && raw != "00000000" &&
          raw.find_first_not_of("0123456789") == std::string::npos &&
          TdfDBFDate::EncodeJulian(std::stoi(raw.substr(0, 4)), std::stoi(raw.substr(4, 2)),
                                   std::stoi(raw.substr(6, 2)), julian)) {
        // Julian day of 1 January of year 1 (proleptic Gregorian) is 1721426.
        v.day = julian - 1721425;
        v.isNull = false;
      }
      break;
    }
    case TDbfFieldType::kDateTime:
      v.number = t.GetNumeric(n);
      v.isNull = v.number == 0;
      break;
    case TDbfFieldType::kMemo:
    case TDbfFieldType::kBlob:
      v.isNull = t.MemoBlockOf(n) == 0;
      break;
  }
  return v;
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

void TDbfDataSet::RecallRecord() {
  CheckActive();
  table_->SetUseDeleted(true);
  try {
    table_->UndeleteRecord();
  } catch (const EDbfError&) {
    table_->SetUseDeleted(useDeleted_);
    RaiseDbf(msg::kCannotRecall, {});
  }
  table_->SetUseDeleted(useDeleted_);
}

}  // namespace kelmo::dbf
