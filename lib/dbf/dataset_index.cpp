// The dataset's index files, tag selection, key ranges, master-detail link
// and memo stream. Layer: dataset, over the table handler's index list.
#include "dataset_index.h"

#include "locate_clone.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

namespace kelmo::dbf {

namespace {

std::string TrimmedSpaces(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}

// The tag's key fields: "+" and "-" read as ";", blanks removed.
std::string KeyFields(const std::string& expression) {
  std::string out;
  for (char c : expression) {
    if (c == ' ') continue;
    out += (c == '+' || c == '-') ? ';' : c;
  }
  return out;
}

std::vector<std::string> SplitFields(const std::string& fields) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= fields.size()) {
    size_t end = fields.find(';', start);
    if (end == std::string::npos) end = fields.size();
    std::string item = fields.substr(start, end - start);
    if (!item.empty()) out.push_back(item);
    start = end + 1;
  }
  return out;
}

}  // namespace

DFO_dBHandler& TDbfDataSetIndexes::Table() {
  if (!dataset_.Table()) throw EDbfError("Cannot perform this operation on a closed dataset");
  return *dataset_.Table();
}

void TDbfDataSetIndexes::OpenListed(bool checkOpen) {
  TdfIndexList& list = List();
  list.CloseIndexFiles();
  for (const std::string& entry : indexFiles_) {
    std::string name = TrimmedSpaces(entry);
    if (name.empty()) continue;
    std::string path = list.IndexFileName(name);
    if (!std::filesystem::exists(path)) {
      // Names without extension take ".ndx", also written in capitals.
      std::string upper = path.substr(0, path.size() - 4) + ".NDX";
      if (path.size() > 4 && path.substr(path.size() - 4) == ".ndx" &&
          std::filesystem::exists(upper)) {
        path = upper;
      } else {
        throw EDbfError(DbfFormat("Cannot find file %s", path.c_str()));
      }
    }
    if (list.OpenIndexFile(path) == -1 && checkOpen) {
      throw EDbfError(DbfFormat("Index file %s already open", path.c_str()));
    }
  }
}

void TDbfDataSetIndexes::SetIndexFiles(const std::vector<std::string>& files) {
  defsValid_ = false;
  defs_.clear();
  indexFiles_ = files;
  if (!dataset_.Active()) {
    if (indexFiles_.empty()) indexName_.clear();
    return;
  }
  if (indexFiles_.empty()) {
    List().CloseIndexFiles();
    indexName_.clear();
    return;
  }
  OpenListed(true);
  SelectTag(indexName_, true);
}

void TDbfDataSetIndexes::ApplyAtOpen() {
  defsValid_ = false;
  if (!indexFiles_.empty()) OpenListed(false);
  SelectTag(indexName_, false);
  ApplyMasterRange();
  if (dataset_.Filtered() && !filter_.empty()) ApplyFilter();
  dataset_.Resync();
}

int TDbfDataSetIndexes::SelectTag(const std::string& name, bool keepPosition) {
  DFO_dBHandler& table = Table();
  int32_t record = table.CurrentRecord();
  bool positioned = !table.Eof() && !table.Bof() && record > 0;
  int slot = List().SetCurrentTag(name, false);
  if (keepPosition && positioned) table.GoTo(record);
  dataset_.Resync();
  return slot;
}

void TDbfDataSetIndexes::SetIndexName(const std::string& name) {
  indexName_ = name;
  if (!dataset_.Active()) return;
  SelectTag(name, true);
  ApplyMasterRange();
  DFO_dBHandler& table = Table();
  if (table.Eof() || table.Bof()) table.GoTo(-3);
  dataset_.Resync();
}

const std::vector<TDbfIndexDef>& TDbfDataSetIndexes::IndexDefs() {
  if (defsValid_ && dataset_.Active()) return defs_;
  defs_.clear();
  if (dataset_.Active()) {
    for (int n = 1; n <= List().TagCount(); ++n) {
      GSobjIndexTag* tag = List().TagByNumber(n);
      TDbfIndexDef def;
      def.name = tag->name;
      def.expression = tag->keyExpression.find('(') != std::string::npos;
      def.fields = def.expression ? tag->keyExpression : KeyFields(tag->keyExpression);
      def.descending = !tag->ascending;
      def.unique = tag->unique;
      defs_.push_back(def);
    }
    defsValid_ = true;
  }
  return defs_;
}

int TDbfDataSetIndexes::TagCount() {
  return List().TagCount();
}

std::string TDbfDataSetIndexes::TagName(int n) {
  GSobjIndexTag* tag = List().TagByNumber(n);
  return tag ? tag->name : std::string();
}

std::string TDbfDataSetIndexes::TagExpression(int n) {
  GSobjIndexTag* tag = List().TagByNumber(n);
  return tag && tag->keyHandler ? tag->keyHandler->ExpressionText() : std::string();
}

void TDbfDataSetIndexes::ApplyKeyRange(const std::string& low, const std::string& high) {
  bool changed = List().SetIndexRange(low.substr(0, 255), high.substr(0, 255), true, true, false);
  if (changed) {
    Table().GoTo(-3);
    dataset_.Resync();
  }
}

void TDbfDataSetIndexes::ApplyKeyRangeEx(const std::string& low, const std::string& high,
                                         bool lowInclusive, bool highFlag, bool highPartial) {
  List().SetIndexRange(low.substr(0, 255), high.substr(0, 255), lowInclusive, highFlag,
                       highPartial);
  Table().GoTo(-3);
  dataset_.Resync();
}

void TDbfDataSetIndexes::ApplyFilter() {
  List().SetFilterExpression(filter_, filterCaseInsensitive_, filterPartial_);
  Table().GoTo(-3);
  dataset_.Resync();
}

void TDbfDataSetIndexes::SetFilter(const std::string& text) {
  filter_ = text;
  if (dataset_.Active() && dataset_.Filtered()) ApplyFilter();
}

void TDbfDataSetIndexes::SetFilterOptions(bool caseInsensitive, bool partial) {
  filterCaseInsensitive_ = caseInsensitive;
  filterPartial_ = partial;
  if (dataset_.Active() && dataset_.Filtered()) ApplyFilter();
}

void TDbfDataSetIndexes::SetFiltered(bool on) {
  bool changed = on != dataset_.Filtered();
  dataset_.SetFiltered(on);
  if (!dataset_.Active()) return;
  if (changed) {
    List().SetFilterActive(on);
    if (on) {
      ApplyFilter();
      return;
    }
  }
  Table().GoTo(-3);
  dataset_.Resync();
}

bool TDbfDataSetIndexes::Locate(const std::string& fields, const std::vector<std::string>& values,
                                bool partial, bool caseInsensitive) {
  return LocateFrom(fields, values, 0, partial, caseInsensitive);
}

bool TDbfDataSetIndexes::LocateFrom(const std::string& fields,
                                    const std::vector<std::string>& values, int32_t start,
                                    bool partial, bool caseInsensitive) {
  DFO_dBHandler& table = Table();
  if (start == -1) start = dataset_.RecNo();
  const bool found = LocateRecord(table, fields, values, start, partial, caseInsensitive);
  if (found) dataset_.Resync();
  return found;
}

std::optional<std::vector<std::string>> TDbfDataSetIndexes::Lookup(
    const std::string& fields, const std::vector<std::string>& values,
    const std::string& resultFields) {
  DFO_dBHandler& table = Table();
  int32_t was = table.CurrentRecord();
  std::optional<std::vector<std::string>> result;
  if (LocateRecord(table, fields, values, 0, false, false)) {
    std::vector<std::string> out;
    for (const std::string& name : SplitFields(resultFields)) {
      out.push_back(table.FieldTextByName(name));
    }
    result = std::move(out);
  }
  if (was > 0) table.GoTo(was);
  return result;
}

std::string TDbfDataSetIndexes::MasterKeyText(const std::vector<std::string>& masterValues,
                                              bool masterInserting) {
  DFO_dBHandler& table = Table();
  GSobjIndexTag* tag = List().CurrentTag();
  if (!tag) {
    throw EDbfError(DbfFormat("Master/Detail relation failed, no index open for %s",
                              dataset_.TableName().c_str()));
  }
  if (masterInserting) return kNoMasterKey;
  std::vector<std::string> masters = SplitFields(masterFields_);
  if (masters.empty()) return {};
  std::vector<std::string> keyFields = SplitFields(KeyFields(tag->keyExpression));
  if (keyFields.size() < masters.size()) {
    throw EDbfError(DbfFormat("Master/Detail relation failed, field missmatch for %s",
                              dataset_.TableName().c_str()));
  }
  std::string names;
  std::vector<std::optional<std::string>> values;
  for (size_t i = 0; i < masters.size(); ++i) {
    if (i) names += ";";
    names += keyFields[i];
    values.emplace_back(i < masterValues.size() ? masterValues[i] : std::string());
  }
  std::vector<uint8_t> image(static_cast<size_t>(table.RecordLength()) + 1, ' ');
  uint8_t* previous = table.RecordBuffer();
  table.BuildRecordFromValues(image.data(), names, values);
  table.SetRecordBuffer(image.data());
  TdfExpVariant value;
  try {
    if (tag->keyHandler) tag->keyHandler->Evaluate(value);
  } catch (...) {
    table.SetRecordBuffer(previous);
    throw;
  }
  table.SetRecordBuffer(previous);
  return VariantToText(value);
}

void TDbfDataSetIndexes::MasterChanged(const std::vector<std::string>& masterValues,
                                       bool masterInserting) {
  lastMasterValues_ = masterValues;
  haveMaster_ = true;
  std::string key = MasterKeyText(masterValues, masterInserting);
  if (key == kNoMasterKey) return;
  ApplyKeyRangeEx(key, key, true, true, true);
}

void TDbfDataSetIndexes::MasterDisabled() {
  haveMaster_ = false;
  ApplyKeyRange("", "");
}

void TDbfDataSetIndexes::ApplyMasterRange() {
  if (!haveMaster_ || !List().CurrentTag()) return;
  std::string key = MasterKeyText(lastMasterValues_, false);
  if (key == kNoMasterKey) return;
  List().SetIndexRange(key, key, true, true, true);
}

// ---------------------------------------------------------------------------

THCBlobStream::THCBlobStream(DFO_dBHandler& table, const std::string& fieldName, Mode mode,
                             bool editing, bool fieldReadOnly)
    : table_(table), editing_(editing) {
  field_ = table.FieldNumber(fieldName);
  if (mode != kRead) {
    if (fieldReadOnly) {
      throw EDbfError(DbfFormat("Field '%s' cannot be modified", fieldName.c_str()));
    }
    if (!editing) throw EDbfError("Dataset not in edit or insert mode");
  }
  if (mode == kWrite) {
    modified_ = true;
    return;
  }
  if (table.MemoSize(field_) > 0) data_ = table.ReadMemo(field_);
}

THCBlobStream::~THCBlobStream() {
  try {
    Commit();
  } catch (...) {
  }
}

void THCBlobStream::Commit() {
  if (!modified_ || !editing_) return;
  table_.WriteMemo(field_, data_.data(), static_cast<int32_t>(data_.size()));
  modified_ = false;
}

int64_t THCBlobStream::Read(void* buffer, int64_t count) {
  int64_t n = std::max<int64_t>(0, std::min(count, Size() - position_));
  if (n > 0) std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t THCBlobStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  data_.resize(static_cast<size_t>(std::clamp<int64_t>(position_, 0, Size())));
  data_.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
  position_ = Size();
  modified_ = true;
  return count;
}

int64_t THCBlobStream::Seek(int64_t offset, int origin) {
  if (origin == 0) position_ = offset;
  if (origin == 1) position_ += offset;
  if (origin == 2) position_ = Size() + offset;
  return position_;
}

}  // namespace kelmo::dbf
