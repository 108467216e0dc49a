// An in-memory table for the index tests: named fields, records of values,
// a current record and the record as it was before the last change.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "dbf/dbf_expression.h"
#include "dbf/index_framework.h"

namespace kelmo::dbf::testing {

class FakeTable : public IndexTableLink, public TdfExpUserLink {
 public:
  struct FieldDef {
    std::string name;
    char type;  // C N D L
    int length;
    int decimals;
  };
  using Record = std::vector<TdfExpVariant>;

  explicit FakeTable(std::vector<FieldDef> fields, std::string path = "/tmp/fake.dbf")
      : fields_(std::move(fields)), path_(std::move(path)) {
    for (size_t i = 0; i < fields_.size(); ++i) {
      AddFieldVars(std::make_shared<Field>(this, i));
    }
  }

  int32_t Append(Record r) {
    records_.push_back(std::move(r));
    current_ = static_cast<int32_t>(records_.size());
    saved_.clear();
    return current_;
  }
  // Rewrites record n; the old values become the saved record.
  void Rewrite(int32_t n, Record r) {
    saved_ = records_[static_cast<size_t>(n - 1)];
    records_[static_cast<size_t>(n - 1)] = std::move(r);
    current_ = n;
  }
  const Record& At(int32_t n) const { return records_[static_cast<size_t>(n - 1)]; }
  void Delete(int32_t n) { deleted_.insert(n); }
  // Drops the deleted records; the others are numbered anew in their order.
  void Pack() {
    std::vector<Record> kept;
    for (size_t i = 0; i < records_.size(); ++i) {
      if (!deleted_.count(static_cast<int32_t>(i + 1))) kept.push_back(records_[i]);
    }
    records_.swap(kept);
    deleted_.clear();
    saved_.clear();
    current_ = 0;
  }

  TdfExpUserLink* ExpressionLink() override { return this; }
  int32_t RecordCount() override { return static_cast<int32_t>(records_.size()); }
  bool LoadRecord(int32_t n) override {
    if (n < 1 || n > RecordCount()) return false;
    current_ = n;
    saved_.clear();
    return true;
  }
  int32_t CurrentRecord() override { return current_; }
  bool UseSavedRecord(bool saved) override {
    useSaved_ = saved && !saved_.empty();
    return useSaved_;
  }
  bool FieldLayout(const std::string& name, int& length, int& decimals) override {
    for (const auto& f : fields_) {
      if (f.name == name) {
        length = f.length;
        decimals = f.decimals;
        return true;
      }
    }
    return false;
  }
  std::string TableFileName() override { return path_; }

 private:
  class Field : public TdfUserDefFieldVar {
   public:
    Field(FakeTable* t, size_t i)
        : TdfUserDefFieldVar(t->fields_[i].name, t->fields_[i].length), t_(t), i_(i) {}
    void Evaluate(TdfExpVariant& value, uint8_t& type) override {
      const FieldDef& f = t_->fields_[i_];
      type = f.type == 'C' ? etText : f.type == 'N' ? etNumber : f.type == 'D' ? etDate : etBoolean;
      const Record* r = nullptr;
      if (t_->useSaved_) {
        r = &t_->saved_;
      } else if (t_->current_ >= 1 && t_->current_ <= t_->RecordCount()) {
        r = &t_->records_[static_cast<size_t>(t_->current_ - 1)];
      }
      if (!r) {
        if (f.type == 'C')
          value = std::string(static_cast<size_t>(f.length), ' ');
        else if (f.type == 'D')
          value = kEmptyDate;
        else if (f.type == 'L')
          value = false;
        else
          value = 0.0;
        return;
      }
      value = (*r)[i_];
      if (f.type == 'C') {
        std::string s = VariantToText(value);
        s.resize(static_cast<size_t>(f.length), ' ');
        value = s;
      }
    }

   private:
    FakeTable* t_;
    size_t i_;
  };

  std::vector<FieldDef> fields_;
  std::string path_;
  std::vector<Record> records_;
  Record saved_;
  std::set<int32_t> deleted_;
  int32_t current_ = 0;
  bool useSaved_ = false;
};

}  // namespace kelmo::dbf::testing
