// Dataset layer: TDbfDataSet and its table object.
#include "dbf_dataset.h"

#include <unistd.h>

#include <filesystem>
#include <mutex>

#include "code_pages.h"
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

size_t TDbfDataSet::TranslateText(std::string_view source, std::string& destination,
                                  bool toOem) const {
  destination.assign(source);
  if (translateAscii_) {
    if (toOem) {
      AnsiToOemBuffer(destination.data(), destination.data(), destination.size());
    } else {
      OemToAnsiBuffer(destination.data(), destination.data(), destination.size());
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
