// A table's filter expression: the records that pass it, kept as a bit set
// over record numbers, consulted by the handler's moves while filtering is
// active and brought up to date after each record write.
//
// Errors: "Filter expression must return boolean result" (EDbfError) for a
// filter that evaluates to anything but a logical; the expression language's
// errors (EDbfExpression) for a filter that does not parse.
// Cost: setting or refreshing a filter evaluates it once per record (one pass
// over the table or over the current tag's range); a check is one bit test;
// memory is one bit per record, in 16,384-byte pages.
#pragma once

#include <memory>
#include <string>

#include "dbf_expression.h"
#include "engine_tools.h"
#include "index_framework.h"
#include "table_fields.h"

namespace kelmo::dbf {

class TdfTableFilter {
 public:
  // link: the table's expression link. The current tag passed to the
  // operations below limits the marking walk to its range when it has one.
  TdfTableFilter(DFO_dBaseFld& table, TdfExpUserLink& link);

  // Stores and compiles the text (case-insensitive text comparisons, partial:
  // "*" at either end of a compared text matches its prefix or suffix), marks
  // every passing record and leaves filtering active when it was requested.
  // An empty text removes the filter.
  void SetFilterExpression(const std::string& text, bool caseInsensitive, bool partial,
                           GSobjIndexTag* currentTag);
  void SetFilterActive(bool on);
  bool Active() const { return active_; }
  const std::string& Text() const { return text_; }
  // Marks the records again (after changes made elsewhere).
  void RefreshFilterSet(GSobjIndexTag* currentTag);
  // Whether record n is visible: always while filtering is off.
  bool Accepts(int32_t record) const;
  // Evaluates the table's current record (record n) into the set.
  void RecordWritten(int32_t record);

 private:
  void MarkAll(GSobjIndexTag* currentTag);
  bool Evaluate();

  DFO_dBaseFld& table_;
  TdfExpUserLink& link_;
  std::unique_ptr<TdfExpHandler> handler_;
  TdfHugeSet set_;
  std::string text_;
  bool caseInsensitive_ = false;
  bool partial_ = false;
  bool requested_ = false;
  bool active_ = false;
};

}  // namespace kelmo::dbf
