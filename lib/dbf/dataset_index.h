// The DBF dataset's indexes, key ranges, master-detail link and memo stream:
// TDbfDataSetIndexes keeps a dataset's IndexFiles list and IndexName,
// publishes its tags as index definitions, applies key ranges (also as the
// detail side of a master-detail link), and THCBlobStream reads and writes one
// memo field of the current record as a stream.
//
// Errors (EDbfError): "Cannot find file %s" (an IndexFiles entry is missing,
// with its path), "Index file %s already open", "Master/Detail relation
// failed, no index open for %s" and "Master/Detail relation failed, field
// missmatch for %s" (table name), "Field '%s' cannot be modified" and
// "Dataset not in edit or insert mode" (a memo stream for writing),
// "Cannot perform this operation on a closed dataset"; the index layer's
// errors pass through. Cost: opening reads each index header; a range moves
// to its first record (one seek).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dbf_dataset.h"
#include "table_index_list.h"

namespace kelmo::dbf {

// One tag as an index definition: its name, its fields (the key expression
// with "+" and "-" read as ";" and blanks removed) or, for a key that calls a
// function, the whole expression.
struct TDbfIndexDef {
  std::string name;
  std::string fields;
  bool expression = false;
  bool descending = false;
  bool unique = false;
};

class TDbfDataSetIndexes {
 public:
  // The code-1 text that stands for "no key" while the master is inserting.
  static constexpr const char* kNoMasterKey = "\x01";

  explicit TDbfDataSetIndexes(TDbfDataSet& dataset) : dataset_(dataset) {}

  const std::vector<std::string>& IndexFiles() const { return indexFiles_; }
  // Reopens the index files while the dataset is open (each must exist and
  // not be open already); an empty list empties IndexName.
  void SetIndexFiles(const std::vector<std::string>& files);
  // Run after the dataset opened: opens IndexFiles, selects IndexName and
  // applies the master range.
  void ApplyAtOpen();
  const std::string& IndexName() const { return indexName_; }
  // Selects the tag ("" physical order), keeping the current record, then
  // applies the master range.
  void SetIndexName(const std::string& name);
  // Slot of the tag's file (0 natural order); with keepPosition the current
  // record is read again in the new order.
  int SelectTag(const std::string& name, bool keepPosition);

  const std::vector<TDbfIndexDef>& IndexDefs();
  int TagCount();
  std::string TagName(int n);
  std::string TagExpression(int n);

  // Range of keys from low to high (both inclusive, high as a prefix), then
  // the first record when the range changed.
  void ApplyKeyRange(const std::string& low, const std::string& high);
  void ApplyKeyRangeEx(const std::string& low, const std::string& high, bool lowInclusive,
                       bool highFlag, bool highPartial);

  // The filter expression: Filter (text), FilterOptions (case-insensitive,
  // partial: "*" at an end of a compared text matches), and the dataset's
  // Filtered flag, which switches it on; while open each change applies
  // at once and moves to the first record.
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& text);
  void SetFilterOptions(bool caseInsensitive, bool partial);
  void SetFiltered(bool on);

  // Locate: the first record (after start, -1 the current record, 0 from the
  // top) whose fields (";"-separated) hold the values; found: the dataset
  // stands on it; not found: it stays where it was.
  bool Locate(const std::string& fields, const std::vector<std::string>& values, bool partial,
              bool caseInsensitive);
  bool LocateFrom(const std::string& fields, const std::vector<std::string>& values, int32_t start,
                  bool partial, bool caseInsensitive);
  // Lookup: the texts of resultFields (";"-separated) of the first record
  // holding the values exactly, empty when none; the dataset does not move.
  std::optional<std::vector<std::string>> Lookup(const std::string& fields,
                                                 const std::vector<std::string>& values,
                                                 const std::string& resultFields);

  // Master-detail: the master's field values (as text) for MasterFields.
  void SetMasterFields(const std::string& fields) { masterFields_ = fields; }
  const std::string& MasterFields() const { return masterFields_; }
  std::string MasterKeyText(const std::vector<std::string>& masterValues, bool masterInserting);
  // The master moved: its records are the detail's range.
  void MasterChanged(const std::vector<std::string>& masterValues, bool masterInserting);
  // The master link was switched off: the range is cleared.
  void MasterDisabled();

 private:
  DFO_dBHandler& Table();
  TdfIndexList& List() { return Table().Indexes(); }
  void OpenListed(bool checkOpen);
  void ApplyMasterRange();

  TDbfDataSet& dataset_;
  std::vector<std::string> indexFiles_;
  std::string indexName_;
  void ApplyFilter();

  std::string filter_;
  bool filterCaseInsensitive_ = false;
  bool filterPartial_ = false;
  std::string masterFields_;
  std::vector<std::string> lastMasterValues_;
  bool haveMaster_ = false;
  std::vector<TDbfIndexDef> defs_;
  bool defsValid_ = false;
};

// A memo field of the current record as a stream of bytes.
class THCBlobStream {
 public:
  enum Mode { kRead, kWrite, kReadWrite };
  // A writing mode needs editing (the record is being changed) and a field
  // that may be modified.
  THCBlobStream(DFO_dBHandler& table, const std::string& fieldName, Mode mode, bool editing,
                bool fieldReadOnly = false);
  // Writes the data back when it was modified while editing.
  ~THCBlobStream();
  THCBlobStream(const THCBlobStream&) = delete;
  THCBlobStream& operator=(const THCBlobStream&) = delete;

  int64_t Read(void* buffer, int64_t count);
  int64_t Write(const void* buffer, int64_t count);
  // origin 0 start, 1 current, 2 end; the new position (not limited).
  int64_t Seek(int64_t offset, int origin);
  int64_t Size() const { return static_cast<int64_t>(data_.size()); }
  // Writes the data now (the destructor does the same, swallowing errors).
  void Commit();

 private:
  DFO_dBHandler& table_;
  int field_ = 0;
  bool editing_;
  bool modified_ = false;
  std::string data_;
  int64_t position_ = 0;
};

}  // namespace kelmo::dbf
