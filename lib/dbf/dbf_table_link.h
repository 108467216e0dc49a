// The link between a DBF table and the expression and index layers: the
// table's field names as named values of the expression language (each
// evaluates the field in the table's current record buffer), and what the
// index files need of the table (records, the record as it was before a
// write, field layouts).
//
// Field values: "C" the field's text as stored (blank-padded); "N", "F", "I",
// "Y" numbers (a blank field is 0); "D" the day number (a blank date is the
// empty date 1e100); "L" true for T, t, Y, y; "M", "B", "G" the memo text.
// Reading a field raises nothing; loading a record raises the table's disk
// errors. Cost: one field conversion per evaluation.
#pragma once

#include <string>

#include "dbf_expression.h"
#include "index_framework.h"
#include "table_fields.h"

namespace kelmo::dbf {

class TdfTableExpLink : public IndexTableLink, public TdfExpUserLink {
 public:
  explicit TdfTableExpLink(DFO_dBaseFld& table);

  TdfExpUserLink* ExpressionLink() override { return this; }
  int32_t RecordCount() override { return table_.RecordCount(); }
  // Reads record n into the table's record buffer, deleted or not.
  bool LoadRecord(int32_t record) override;
  int32_t CurrentRecord() override { return table_.CurrentRecord(); }
  bool UseSavedRecord(bool saved) override;
  bool FieldLayout(const std::string& name, int& length, int& decimals) override;
  std::string TableFileName() override { return table_.FileName(); }
  void IndexFileOpened(const std::string& indexPath) override {
    table_.MarkProductionIndex(indexPath);
  }
  bool ExactMatch() override { return exactMatch; }
  bool SharedAccess() override { return table_.IsShared(); }
  OsLayer& Os() override { return table_.Os(); }
  void CipherPage(uint8_t* buffer, int32_t count, bool encode) override;
  void ReCipherPage(uint8_t* buffer, int32_t count) override;
  void ReportStatus(int stage, int count, int total) override {
    table_.ReportStatus(stage, count, total);
  }

  DFO_dBaseFld& Table() { return table_; }
  bool exactMatch = false;

 private:
  DFO_dBaseFld& table_;
  std::vector<uint8_t> savedCopy_;
  uint8_t* previous_ = nullptr;
  bool usingSaved_ = false;
};

}  // namespace kelmo::dbf
