// Locating records: LocateRecord finds the first record whose fields hold
// given values (through a tag that names those fields, else by a scan), and
// the locate utilities find the first record whose one field matches a text:
// TLocateObject by scanning, TDBLocate through an index seek on the table or
// on a second cursor (TCloneTable) opened over the same table.
//
// Errors: TDBLocate's field-type check raises EDbfError "'%s' is not a valid
// integer value for field '%s'", "'%s' is not a valid floating point value"
// and "'%s' is not a valid date" for a lookup text the field cannot hold; a
// failed seek or clone makes the key locate answer false (the scan or filter
// locate is then used). Cost: a key locate is one seek; the others read every
// record up to the match.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbf_dataset.h"
#include "table_handler.h"

namespace kelmo::dbf {

// The first record (after start, or from the top when start is 0) whose
// fields (names separated by ";") hold the values; partial: the last field
// matches as a prefix. Found: the table stands on it, in the current order;
// not found: the table is back on the record it was on.
bool LocateRecord(DFO_dBHandler& table, const std::string& fields,
                  const std::vector<std::string>& values, int32_t start, bool partial,
                  bool caseInsensitive);

class TLocateObject {
 public:
  explicit TLocateObject(DFO_dBHandler& table) : table_(table) {}
  virtual ~TLocateObject() = default;

  // Finds the first record whose field matches value; the table stands on it
  // when found.
  bool Locate(const std::string& field, const std::string& value, bool exact, bool caseSensitive);

  // The field's text against the lookup value (cut to its length unless exact).
  bool Matches(const std::string& fieldText) const;

  virtual void CheckFieldType() {}
  virtual bool LocateByFilter();
  virtual bool LocateByKey() { return false; }
  virtual bool LocateByScan();
  virtual bool UseKey() { return false; }
  virtual bool FilterApplicable() { return true; }

 protected:
  DFO_dBHandler& table_;
  std::string field_;
  std::string value_;
  bool exact_ = false;
  bool caseSensitive_ = false;
};

// A second cursor over a table: the same file opened shared and read-only,
// with the source's index files and, unless reset, its current tag.
class TCloneTable {
 public:
  TCloneTable(DFO_dBHandler& source, bool reset);
  DFO_dBHandler& Table() { return *table_; }

 private:
  std::unique_ptr<DFO_dBHandler> table_;
};

// Opens the source's index files on the target and, unless reset, makes the
// source's current tag current there.
void CopyIndexFiles(DFO_dBHandler& source, DFO_dBHandler& target, bool reset);

// A second dataset cursor over another dataset's table: the same file opened
// shared (read-only when ReadOnly is set), with the source's index files and
// record filter event, standing on the source's record in the source's order,
// or, reset, on the first record in physical order without filtering. It
// moves, reads and (unless read-only) writes without moving the source.
// Errors: the table's open errors, among them "Access denied to file %s" when
// the source holds its table exclusively; "Cannot perform this operation on
// an open dataset" for ReadOnly changed while open.
class TCloneDbDataset : public TDbfDataSet {
 public:
  using TDbfDataSet::TDbfDataSet;
  void AssignClone(TDbfDataSet& source, bool reset);
  bool ReadOnly() const { return TDbfDataSet::ReadOnly(); }
  void SetReadOnly(bool v);
};

class TDBLocate : public TLocateObject {
 public:
  using TLocateObject::TLocateObject;
  void CheckFieldType() override;
  bool LocateByKey() override;
  bool UseKey() override;

 private:
  std::string KeyTagName();
};

}  // namespace kelmo::dbf
