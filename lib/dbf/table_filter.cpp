// A table's filter expression and the set of records that pass it.
// Layer: table handler, over the expressions.
#include "table_filter.h"

#include "table_handler.h"

namespace kelmo::dbf {

TdfTableFilter::TdfTableFilter(DFO_dBaseFld& table, TdfExpUserLink& link)
    : table_(table), link_(link) {}

bool TdfTableFilter::Evaluate() {
  TdfExpVariant value;
  handler_->Evaluate(value);
  return handler_->GetResultType() == etBoolean && VariantToBool(value);
}

void TdfTableFilter::SetFilterExpression(const std::string& given, bool caseInsensitive,
                                         bool partial, GSobjIndexTag* currentTag) {
  requested_ = true;
  active_ = false;
  std::string text = given;
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text.empty()) {
    handler_.reset();
    text_.clear();
    set_.ClearAll();
    SetFilterActive(requested_);
    return;
  }
  if (text != text_ || caseInsensitive != caseInsensitive_ || partial != partial_ || !handler_) {
    auto handler = std::make_unique<TdfExpHandler>(&link_, "");
    handler->caseInsensitive = caseInsensitive;
    handler->wildcard = partial;
    handler->SetExpression(text);
    TdfExpVariant value;
    handler->Evaluate(value);
    if (handler->GetResultType() != etBoolean) {
      throw EDbfError("Filter expression must return boolean result");
    }
    handler_ = std::move(handler);
    text_ = text;
    caseInsensitive_ = caseInsensitive;
    partial_ = partial;
    MarkAll(currentTag);
  }
  SetFilterActive(requested_);
}

void TdfTableFilter::SetFilterActive(bool on) {
  requested_ = on;
  active_ = on && handler_ && handler_->HasRoot();
}

void TdfTableFilter::RefreshFilterSet(GSobjIndexTag* currentTag) {
  if (!active_) return;
  active_ = false;
  MarkAll(currentTag);
  active_ = true;
}

void TdfTableFilter::MarkAll(GSobjIndexTag* currentTag) {
  set_.ClearAll();
  if (!handler_) return;
  int32_t was = table_.CurrentRecord();
  auto* handler = dynamic_cast<DFO_dBHandler*>(&table_);
  auto consider = [&](int32_t record) {
    if (!table_.UseDeleted() && table_.CurrentRecordDeleted()) return;
    if (handler && !handler->AcceptRecord()) return;
    if (Evaluate()) set_.ChangeBit(record, 1);
  };
  if (currentTag && currentTag->HasRange()) {
    for (int32_t r = currentTag->MoveCursor(-3); r > 0; r = currentTag->MoveCursor(-1)) {
      table_.DFO_dBaseFld::GoTo(r);
      consider(r);
    }
  } else {
    for (int32_t r = 1; r <= table_.RecordCount(); ++r) {
      table_.DFO_dBaseFld::GoTo(r);
      if (table_.CurrentRecord() == r) consider(r);
    }
  }
  if (was > 0 && was <= table_.RecordCount()) {
    table_.DFO_dBaseFld::GoTo(was);
    if (currentTag) currentTag->SyncToRecord(was);
  }
}

bool TdfTableFilter::Accepts(int32_t record) const {
  return !active_ || set_.TestBit(record);
}

void TdfTableFilter::RecordWritten(int32_t record) {
  if (!handler_ || record <= 0) return;
  set_.ChangeBit(record, Evaluate() ? 1 : 0);
}

}  // namespace kelmo::dbf
