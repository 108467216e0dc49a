// Locate by values, by one field's text, and second cursors over a table.
// Layer: table handler and dataset utilities, over the index list.
#include "locate_clone.h"

#include <cstdlib>
#include <optional>

#include "dbf_errors.h"
#include "dbf_expression_tools.h"
#include "table_index_list.h"

namespace kelmo::dbf {

namespace {

std::string RTrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string item = IndexUpper(list.substr(start, end - start));
    while (!item.empty() && item.back() == ' ') item.pop_back();
    while (!item.empty() && item.front() == ' ') item.erase(0, 1);
    if (!item.empty()) out.push_back(item);
    start = end + 1;
  }
  return out;
}

// The fields a tag's key names, in order ("+" and "-" as separators).
std::vector<std::string> TagFields(const GSobjIndexTag& tag) {
  if (!tag.keyHandler) return {};
  return Split(tag.keyHandler->ExpressionNodeNames(16));
}

}  // namespace

bool LocateRecord(DFO_dBHandler& table, const std::string& fields,
                  const std::vector<std::string>& values, int32_t start, bool partial,
                  bool caseInsensitive) {
  int32_t was = table.CurrentRecord();
  TdfIndexList* list = table.IndexesIfOpen();
  GSobjIndexTag* current = list ? list->CurrentTag() : nullptr;
  table.GoTo(-3);
  if (table.Bof() || table.RecordCount() == 0) return false;
  std::vector<std::string> names = Split(fields);

  // A tag whose key names the fields in the same order serves the search.
  // Keys compare with case, so a search without case scans instead.
  GSobjIndexTag* tag = nullptr;
  if (list && !caseInsensitive && !(current && current->HasRange())) {
    auto fits = [&](GSobjIndexTag* t) {
      std::vector<std::string> key = TagFields(*t);
      return key.size() >= names.size() && std::equal(names.begin(), names.end(), key.begin());
    };
    if (current && fits(current)) tag = current;
    for (int n = 1; !tag && n <= list->TagCount(); ++n) {
      GSobjIndexTag* t = list->TagByNumber(n);
      if (!t->hasFor && fits(t)) tag = t;
    }
  }

  std::vector<uint8_t> image(static_cast<size_t>(table.RecordLength()) + 1, ' ');
  std::vector<std::optional<std::string>> wanted(values.begin(), values.end());
  table.BuildRecordFromValues(image.data(), fields, wanted);

  bool found = false;
  int32_t foundRecord = 0;
  if (tag && start == 0) {
    uint8_t* previous = table.RecordBuffer();
    table.SetRecordBuffer(image.data());
    std::string key;
    tag->EvaluateKey(key);
    table.SetRecordBuffer(previous);
    std::string tagName = tag->name;
    std::string currentName = current ? current->name : std::string();
    list->SetCurrentTag(tagName, false);
    found = list->Find(key, !partial, false);
    foundRecord = found ? table.CurrentRecord() : 0;
    list->SetCurrentTag(currentName, false);
  } else {
    std::vector<std::string> wantedTexts;
    uint8_t* previous = table.RecordBuffer();
    table.SetRecordBuffer(image.data());
    for (const std::string& n : names) wantedTexts.push_back(RTrim(table.FieldTextByName(n)));
    table.SetRecordBuffer(previous);
    if (caseInsensitive) {
      for (auto& w : wantedTexts) w = exptools::UpperText(w);
    }
    for (int32_t r = start + 1; r <= table.RecordCount() && !found; ++r) {
      table.DFO_dBaseFld::GoTo(r);
      if (!table.UseDeleted() && table.CurrentRecordDeleted()) continue;
      bool all = true;
      for (size_t i = 0; i < names.size() && all; ++i) {
        std::string text = RTrim(table.FieldTextByName(names[i]));
        if (caseInsensitive) text = exptools::UpperText(text);
        if (partial && i + 1 == names.size()) text = text.substr(0, wantedTexts[i].size());
        all = text == wantedTexts[i];
      }
      if (all) {
        found = true;
        foundRecord = r;
      }
    }
  }
  table.GoTo(found ? foundRecord : (was > 0 ? was : -3));
  return found;
}

// ---------------------------------------------------------------------------

bool TLocateObject::Matches(const std::string& fieldText) const {
  std::string text = RTrim(fieldText);
  if (!exact_) text = text.substr(0, value_.size());
  if (caseSensitive_) return text == value_;
  return exptools::UpperText(text) == exptools::UpperText(value_);
}

bool TLocateObject::Locate(const std::string& field, const std::string& value, bool exact,
                           bool caseSensitive) {
  field_ = field;
  value_ = value;
  exact_ = exact;
  caseSensitive_ = caseSensitive;
  CheckFieldType();
  if (UseKey() && LocateByKey()) return true;
  return FilterApplicable() ? LocateByFilter() : LocateByScan();
}

bool TLocateObject::LocateByScan() {
  for (table_.GoTo(-3); !table_.Eof() && table_.RecordCount() > 0; table_.GoTo(-1)) {
    if (Matches(table_.FieldTextByName(field_))) return true;
  }
  return false;
}

bool TLocateObject::LocateByFilter() {
  std::vector<std::string> values;
  if (!value_.empty()) values.push_back(value_);
  return LocateRecord(table_, field_, values, 0, !exact_, !caseSensitive_);
}

// ---------------------------------------------------------------------------

void CopyIndexFiles(DFO_dBHandler& source, DFO_dBHandler& target, bool reset) {
  TdfIndexList* list = source.IndexesIfOpen();
  if (!list) return;
  for (int slot = 1; slot <= TdfIndexList::kSlots; ++slot) {
    if (GSobjIndexFile* f = list->File(slot)) {
      target.Indexes().OpenIndexFile(f->Disk() ? f->Disk()->Path() : f->FileName());
    }
  }
  if (!reset && list->CurrentTag()) target.Indexes().SetCurrentTag(list->CurrentTag()->name, false);
}

TCloneTable::TCloneTable(DFO_dBHandler& source, bool reset) {
  table_ = std::make_unique<DFO_dBHandler>(source.FileName(), true, false, source.ReadPassword());
  table_->Open();
  table_->SetUseDeleted(source.UseDeleted());
  CopyIndexFiles(source, *table_, reset);
  table_->GoTo(-3);
}

void TCloneDbDataset::SetReadOnly(bool v) {
  if (Active()) RaiseDbf(msg::kOpenDataset, {});
  TDbfDataSet::SetReadOnly(v);
}

void TCloneDbDataset::AssignClone(TDbfDataSet& source, bool reset) {
  Close();
  SetDatabaseName(source.DatabaseName());
  SetTableName(source.TableName());
  SetEncryptionKey(source.EncryptionKey());
  SetUseDeleted(source.UseDeleted());
  SetLockProtocol(source.LockProtocol());
  SetLargeIntegerAs(source.LargeIntegerAs());
  SetTranslateASCII(source.TranslateASCII());
  SetExclusive(false);
  OnFilterRecord = source.OnFilterRecord;
  SetFiltered(reset ? false : source.Filtered());
  if (!source.Active()) return;
  Open();
  try {
    CopyIndexFiles(*source.Table(), *Table(), reset);
    const int32_t record = source.RecNo();
    if (reset || record <= 0) {
      First();
    } else {
      Table()->GoTo(record);
      Resync();
    }
  } catch (...) {
    Close();
    throw;
  }
}

void TDBLocate::CheckFieldType() {
  int number = 0;
  if (!table_.FindField(field_, number)) return;
  char type = table_.FieldType(number);
  std::string text = value_;
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (type == 'D' || type == 'T' || text.empty()) return;
  if (type == 'N' || type == 'F' || type == 'I' || type == 'Y') {
    char* end = nullptr;
    bool integer = (type == 'N' && table_.FieldDecimals(number) == 0) || type == 'I';
    if (integer) {
      std::strtoll(text.c_str(), &end, 10);
      if (end != text.c_str() + text.size()) {
        throw EDbfError(DbfFormat("'%s' is not a valid integer value for field '%s'",
                                  value_.c_str(), table_.FieldName(number).c_str()));
      }
    } else {
      std::strtod(text.c_str(), &end);
      if (end != text.c_str() + text.size()) {
        throw EDbfError(DbfFormat("'%s' is not a valid floating point value", value_.c_str()));
      }
    }
  }
}

std::string TDBLocate::KeyTagName() {
  TdfIndexList* list = table_.IndexesIfOpen();
  if (!list) return {};
  std::string field = IndexUpper(field_);
  for (int n = 1; n <= list->TagCount(); ++n) {
    GSobjIndexTag* tag = list->TagByNumber(n);
    if (tag->DescendingByComparison() || tag->DescendingByCursor()) continue;
    std::vector<std::string> key = TagFields(*tag);
    std::string expr = IndexUpper(tag->keyExpression);
    while (!expr.empty() && expr.back() == ' ') expr.pop_back();
    if (key.size() == 1 && key[0] == field && expr == field) return tag->name;
  }
  return {};
}

bool TDBLocate::UseKey() {
  int number = 0;
  if (!table_.FindField(field_, number)) return false;
  bool text = table_.FieldType(number) == 'C';
  if (!exact_ && !text) return false;
  // Text keys compare with case: a case-insensitive search cannot use them.
  if (!caseSensitive_) return false;
  return !KeyTagName().empty();
}

bool TDBLocate::LocateByKey() {
  try {
    std::string tagName = KeyTagName();
    TdfIndexList& list = table_.Indexes();
    GSobjIndexTag* current = list.CurrentTag();
    if (current && current->name == tagName) {
      return list.Find(value_, exact_, false) && Matches(table_.FieldTextByName(field_));
    }
    TCloneTable clone(table_, true);
    clone.Table().Indexes().SetCurrentTag(tagName, false);
    bool found = clone.Table().Indexes().Find(value_, exact_, true);
    if (!found && exact_) return false;
    if (clone.Table().Eof() || !Matches(clone.Table().FieldTextByName(field_))) return false;
    table_.GoTo(clone.Table().CurrentRecord());
    return true;
  } catch (const EDbfError&) {
    return false;
  }
}

}  // namespace kelmo::dbf
