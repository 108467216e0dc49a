// A table's index files, current tag, ordered moves, search and ranges.
// Layer: table handler, over the index files.
#include "table_index_list.h"

#include <filesystem>

#include "cdx_index.h"
#include "mdx_index.h"
#include "ndx_index.h"
#include "ntx_index.h"
#include "table_handler.h"

namespace kelmo::dbf {

namespace {

std::string Extension(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return IndexUpper(path.substr(dot));
}

std::unique_ptr<GSobjIndexFile> MakeFile(const std::string& path, IndexTableLink* link, bool create,
                                         bool readWrite) {
  std::string ext = Extension(path);
  if (ext == ".CDX") return std::make_unique<GSobjCDXFile>(link, path, create, readWrite);
  if (ext == ".NTX") return std::make_unique<GSobjNTXFile>(link, path, create, readWrite);
  if (ext == ".MDX") return std::make_unique<GSobjMDXFile>(link, path, create, readWrite);
  if (ext == ".NDX") return std::make_unique<GSobjNDXFile>(link, path, create, readWrite);
  return nullptr;
}

}  // namespace

TdfIndexList::TdfIndexList(DFO_dBaseFld& table) : table_(table), link_(table) {}

TdfIndexList::~TdfIndexList() {
  CloseIndexFiles();
}

std::string TdfIndexList::IndexFileName(const std::string& given) const {
  std::string name = given;
  while (!name.empty() && name.back() == ' ') name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(0, 1);
  if (Extension(name).empty()) name += ".ndx";
  if (name.find('/') == std::string::npos) {
    std::string t = table_.FileName();
    size_t slash = t.find_last_of('/');
    if (slash != std::string::npos) name = t.substr(0, slash + 1) + name;
  }
  return name;
}

int TdfIndexList::IndexSlotOf(const std::string& path) const {
  int found = 0;
  for (int i = 0; i < kSlots; ++i) {
    if (files_[static_cast<size_t>(i)] &&
        files_[static_cast<size_t>(i)]->IndexFileMatchesName(path)) {
      found = i + 1;
    }
  }
  return found;
}

int TdfIndexList::OpenIndexFile(const std::string& name) {
  std::string path = IndexFileName(name);
  if (IndexSlotOf(path)) return -1;
  std::unique_ptr<GSobjIndexFile> file;
  try {
    file = MakeFile(path, &link_, false, table_.IsReadWrite());
  } catch (const EDbfExpression&) {
    throw;
  } catch (const EDbfError&) {
    throw EDbfError(DbfFormat("Index file %s is corrupted", path.c_str()));
  }
  if (!file || !file->opened) {
    throw EDbfError(DbfFormat("File %s could not be found", path.c_str()));
  }
  file->SetLockProtocol(static_cast<int>(table_.LockProtocol()));
  for (auto& slot : files_) {
    if (!slot) {
      slot = std::move(file);
      return 0;
    }
  }
  throw EDbfError(DbfFormat("Index file %s already open", path.c_str()));
}

int TdfIndexList::CreateIndexFile(const std::string& name, const std::string& tagName,
                                  const std::string& keyExpression, bool unique, bool ascending,
                                  const std::string& forExpression) {
  std::string path = IndexFileName(name);
  if (IndexSlotOf(path)) return -1;
  int32_t record = table_.CurrentRecord();
  auto file = MakeFile(path, &link_, true, true);
  if (!file) throw EDbfError(DbfFormat("File %s could not be found", path.c_str()));
  file->SetLockProtocol(static_cast<int>(table_.LockProtocol()));
  file->AddTag(tagName, keyExpression, unique, ascending, forExpression);
  if (record > 0 && record <= table_.RecordCount()) link_.LoadRecord(record);
  for (auto& slot : files_) {
    if (!slot) {
      slot = std::move(file);
      return 0;
    }
  }
  throw EDbfError(DbfFormat("Index file %s already open", path.c_str()));
}

int TdfIndexList::OpenIndexList(const std::string& given, const std::string& tagName) {
  CloseIndexFiles();
  std::string list = given.substr(0, 259);
  while (!list.empty() && (list.back() == ' ' || list.back() == ',' || list.back() == ';')) {
    list.pop_back();
  }
  std::vector<std::string> names;
  std::string item;
  bool quoted = false;
  for (char c : list) {
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && (c == ',' || c == ';')) {
      names.push_back(item);
      item.clear();
      continue;
    }
    item += c;
  }
  names.push_back(item);
  int answer = 1;
  for (const std::string& n : names) {
    std::string trimmed = n;
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    while (!trimmed.empty() && trimmed.front() == ' ') trimmed.erase(0, 1);
    if (trimmed.empty()) continue;
    answer = OpenIndexFile(trimmed);
    if (answer != 0) return answer;
  }
  if (answer == 0) SetCurrentTag(tagName, true);
  return answer;
}

void TdfIndexList::CloseIndexFiles() {
  current_ = nullptr;
  for (auto& slot : files_) slot.reset();
}

GSobjIndexFile* TdfIndexList::File(int slot) const {
  if (slot < 1 || slot > kSlots) return nullptr;
  return files_[static_cast<size_t>(slot - 1)].get();
}

int TdfIndexList::TagCount() const {
  int n = 0;
  for (const auto& f : files_) {
    if (f) n += f->IndexTagCount();
  }
  return n;
}

GSobjIndexTag* TdfIndexList::TagByNumber(int n) const {
  if (n <= 0) return nullptr;
  for (const auto& f : files_) {
    if (!f) continue;
    if (n <= f->IndexTagCount()) return f->IndexTagByNumber(n - 1);
    n -= f->IndexTagCount();
  }
  return nullptr;
}

int TdfIndexList::SetCurrentTag(const std::string& given, bool keepPosition) {
  std::string name = IndexUpper(given);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(0, 1);
  name = name.substr(0, 16);
  int32_t record = table_.CurrentRecord();
  if (current_) {
    current_->SetRange("", true, "", false, false);
    current_->ReleaseCursor();
  }
  // Moves in key order jump about the table: the handler's multi-record read
  // buffer only pays in natural order.
  auto* handler = dynamic_cast<DFO_dBHandler*>(&table_);
  if (name.empty()) {
    current_ = nullptr;
    if (handler) handler->UseRecordBuffer(true);
    if (!keepPosition) table_.DFO_dBaseFld::GoTo(-3);
    return 0;
  }
  for (int slot = 1; slot <= kSlots; ++slot) {
    GSobjIndexFile* f = File(slot);
    if (!f) continue;
    if (GSobjIndexTag* tag = f->IndexTagByName(name)) {
      if (handler) handler->UseRecordBuffer(false);
      current_ = tag;
      if (keepPosition && record > 0 && record <= table_.RecordCount()) {
        link_.LoadRecord(record);
        if (tag->SyncToRecord(record) == record) return slot;
      }
      OrderedGoTo(-3);
      return slot;
    }
  }
  throw EDbfError(DbfFormat("Cannot find index tag %s", name.c_str()));
}

void TdfIndexList::ReadAtCursor(int32_t record) {
  table_.DFO_dBaseFld::GoTo(record);
}

bool TdfIndexList::OrderedGoTo(int32_t code) {
  if (!current_) return false;
  if (code > 0) {
    table_.DFO_dBaseFld::GoTo(code);
    if (table_.CurrentRecord() == code) current_->SyncToRecord(code);
    return true;
  }
  // A released cursor (after a flush or a rebuild) stands on the table's
  // record again before moving on from it.
  int32_t record = table_.CurrentRecord();
  if (!current_->HasCursor() && (code == -1 || code == -2 || code == -5) && record > 0 &&
      record <= table_.RecordCount()) {
    current_->SyncToRecord(record);
  }
  int32_t followUp = (code == -3 || code == -5) ? -1 : (code == -4 ? -2 : code);
  int32_t move = code;
  // Every step visits a new entry, so the walk ends at the tag's end.
  while (true) {
    int32_t record = current_->MoveCursor(move);
    if (record <= 0 || record > table_.RecordCount()) {
      table_.SetEof(current_->eof || record > table_.RecordCount());
      table_.SetBof(current_->bof);
      if (!table_.Eof() && !table_.Bof()) table_.SetEof(true);
      return true;
    }
    ReadAtCursor(record);
    if (table_.UseDeleted() || !table_.CurrentRecordDeleted()) {
      table_.SetEof(false);
      table_.SetBof(false);
      return true;
    }
    move = followUp;
  }
}

bool TdfIndexList::Find(const std::string& key, bool exact, bool softSeek) {
  if (!current_ || table_.RecordCount() == 0) return false;
  std::string formatted = current_->FormatKey(key, etText, true);
  int32_t record = current_->FindKey(formatted, exact);
  if (record <= 0) {
    if (current_->eof || !softSeek) {
      table_.SetEof(true);
      return false;
    }
    record = current_->MoveCursor(-5);
    if (record > 0) ReadAtCursor(record);
    return false;
  }
  ReadAtCursor(record);
  while (!table_.UseDeleted() && table_.CurrentRecordDeleted()) {
    if (!OrderedGoTo(-1) || table_.Eof()) return false;
  }
  std::string stored;
  current_->EvaluateKey(stored);
  int r = current_->CompareKeys(formatted, stored, exact ? -1 : 0);
  if (r == 0) return true;
  if (!softSeek) table_.SetEof(true);
  return false;
}

int32_t TdfIndexList::FindInTag(const std::string& tagName, const std::string& key) {
  for (int slot = 1; slot <= kSlots; ++slot) {
    GSobjIndexFile* f = File(slot);
    if (!f) continue;
    if (GSobjIndexTag* tag = f->IndexTagByName(tagName)) {
      return tag->FindKeyKeepPosition(tag->FormatKey(key, etText, true));
    }
  }
  return -1;
}

bool TdfIndexList::SetIndexRange(const std::string& low, const std::string& high, bool lowInclusive,
                                 bool highFlag, bool highPartial) {
  if (!current_) return false;
  std::string lo = low.find_first_not_of(' ') == std::string::npos
                       ? std::string()
                       : current_->FormatKey(low, etText, true);
  std::string hi = high.find_first_not_of(' ') == std::string::npos
                       ? std::string()
                       : current_->FormatKey(high, etText, true);
  bool changed = current_->SetRange(lo, lowInclusive, hi, highFlag, highPartial);
  if (changed) OrderedGoTo(-3);
  return changed;
}

void TdfIndexList::ClearIndexRange() {
  if (current_) current_->SetRange("", true, "", false, false);
}

bool TdfIndexList::RecordWritten(int32_t record, bool isAppend) {
  bool changed = false;
  filter_.RecordWritten(record);
  for (auto& f : files_) {
    if (f) f->UpdateRecordKeys(record, isAppend);
  }
  if (current_) {
    changed = current_->keyChanged;
    current_->SyncToRecord(record);
  }
  return changed;
}

void TdfIndexList::RecordNotify(uint8_t code, int32_t record) {
  if (code == 7) {
    RecordWritten(record > 0 ? record : table_.CurrentRecord(), record == 0);
  } else if (code == 8) {
    Flush();
  }
}

void TdfIndexList::Reindex() {
  int32_t record = table_.CurrentRecord();
  for (auto& f : files_) {
    if (f) f->Reindex();
  }
  if (record > 0 && record <= table_.RecordCount()) link_.LoadRecord(record);
}

bool TdfIndexList::LockIndexes() {
  for (size_t i = 0; i < files_.size(); ++i) {
    if (!files_[i]) continue;
    try {
      files_[i]->LockIndexFile();
    } catch (...) {
      for (size_t j = 0; j < i; ++j) {
        if (files_[j]) files_[j]->UnlockIndexFile();
      }
      throw;
    }
  }
  return true;
}

bool TdfIndexList::UnlockIndexes() {
  for (auto& f : files_) {
    if (f) f->UnlockIndexFile();
  }
  return true;
}

void TdfIndexList::SetLockProtocol(int code) {
  for (auto& f : files_) {
    if (f) f->SetLockProtocol(code);
  }
}

void TdfIndexList::ReEncrypt() {
  for (auto& f : files_) {
    if (f) f->ReEncrypt();
  }
}

void TdfIndexList::Flush() {
  for (auto& f : files_) {
    if (f) f->Flush();
  }
  int32_t record = table_.CurrentRecord();
  if (current_ && record > 0 && record <= table_.RecordCount()) current_->SyncToRecord(record);
}

}  // namespace kelmo::dbf
