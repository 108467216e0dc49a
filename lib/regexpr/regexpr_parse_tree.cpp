// The parse tree of a pattern (syntax layer of the compiler).
#include "regexpr_parse_tree.h"

#include <algorithm>

namespace kelmo::regexpr {

namespace {
constexpr const char* kCrLf = "\r\n";
}

TleRegExprParserItem::TleRegExprParserItem(std::unique_ptr<TleRegExprQuantifier> q)
    : quantifier_(q ? std::move(q) : std::make_unique<TleRegExprSimpleQuantifier>()) {}

bool TleRegExprParserItem::HasNoQuantifier() const {
  return dynamic_cast<const TleRegExprSimpleQuantifier*>(quantifier_.get()) != nullptr;
}

void TleRegExprParserItem::ReplaceQuantifier(std::unique_ptr<TleRegExprQuantifier> q) {
  if (q) quantifier_ = std::move(q);
}

TleRegExprParserAlt::TleRegExprParserAlt() = default;
TleRegExprParserAlt::~TleRegExprParserAlt() = default;

bool TleRegExprParserAlt::MayMatchEmpty() const {
  return std::all_of(items_.begin(), items_.end(),
                     [](const auto& i) { return i->MayMatchEmpty(); });
}

bool TleRegExprParserAlt::CanBeMissing() const {
  return std::all_of(items_.begin(), items_.end(), [](const auto& i) { return IsSkippable(*i); });
}

std::string TleRegExprParserAlt::DumpText() const {
  std::string text = std::string("<Start_Alt>") + kCrLf;
  for (const auto& i : items_) text += i->DumpText();
  return text + "<Finish_Alt>" + kCrLf;
}

std::unique_ptr<TleRegExprParserItem> TleRegExprParserAlt::SetLast(
    std::unique_ptr<TleRegExprParserItem> item) {
  std::unique_ptr<TleRegExprParserItem> old;
  if (!items_.empty()) {
    old = std::move(items_.back());
    items_.pop_back();
  }
  items_.push_back(std::move(item));
  return old;
}

TleRegExprParserAlts::TleRegExprParserAlts() = default;
TleRegExprParserAlts::~TleRegExprParserAlts() = default;

TleRegExprParserAlt& TleRegExprParserAlts::Add() {
  alts_.push_back(std::make_unique<TleRegExprParserAlt>());
  return *alts_.back();
}

bool TleRegExprParserAlts::MayMatchEmpty() const {
  return std::any_of(alts_.begin(), alts_.end(), [](const auto& a) { return a->MayMatchEmpty(); });
}

bool TleRegExprParserAlts::HasMissableAlt() const {
  return std::any_of(alts_.begin(), alts_.end(), [](const auto& a) { return a->CanBeMissing(); });
}

std::string TleRegExprParserAlts::DumpText() const {
  std::string text;
  for (const auto& a : alts_) text += a->DumpText();
  return text;
}

std::unique_ptr<TleRegExprParserAlts> TleRegExprParserAlts::Duplicate() const {
  auto copy = std::make_unique<TleRegExprParserAlts>();
  for (const auto& a : alts_) {
    TleRegExprParserAlt& alt = copy->Add();
    for (int i = 0; i < a->Count(); ++i) alt.Add(a->Item(i).Duplicate());
  }
  return copy;
}

TleRegExprParserSimpleItem::TleRegExprParserSimpleItem(std::unique_ptr<TleRegExprItem> test,
                                                       std::unique_ptr<TleRegExprQuantifier> q)
    : TleRegExprParserItem(std::move(q)),
      state_(std::make_unique<TleRegExprSimpleState>(std::move(test))) {}

TleRegExprParserSimpleItem::TleRegExprParserSimpleItem(std::unique_ptr<TleRegExprSimpleState> state,
                                                       std::unique_ptr<TleRegExprQuantifier> q)
    : TleRegExprParserItem(std::move(q)), state_(std::move(state)) {}

std::unique_ptr<TleRegExprParserItem> TleRegExprParserSimpleItem::Duplicate() const {
  return std::make_unique<TleRegExprParserSimpleItem>(state_->Duplicate(),
                                                      Quantifier().Duplicate());
}

std::string TleRegExprParserSimpleItem::DumpText() const {
  return "item --> " + std::string(Quantifier().SignText()) + kCrLf;
}

TleRegExprParserBlockItem::TleRegExprParserBlockItem(std::unique_ptr<TleRegExprQuantifier> q)
    : TleRegExprParserItem(std::move(q)), alts_(std::make_unique<TleRegExprParserAlts>()) {}

TleRegExprParserBlockItem::TleRegExprParserBlockItem(std::unique_ptr<TleRegExprParserAlts> alts,
                                                     std::unique_ptr<TleRegExprQuantifier> q)
    : TleRegExprParserItem(std::move(q)), alts_(std::move(alts)) {}

TleRegExprParserBlockItem::~TleRegExprParserBlockItem() = default;

bool TleRegExprParserBlockItem::MayMatchEmpty() const {
  return CanBeMissing() || alts_->MayMatchEmpty();
}

std::unique_ptr<TleRegExprParserItem> TleRegExprParserBlockItem::Duplicate() const {
  return std::make_unique<TleRegExprParserBlockItem>(alts_->Duplicate(), Quantifier().Duplicate());
}

std::string TleRegExprParserBlockItem::DumpText() const {
  return std::string("<Start_Block>") + kCrLf + alts_->DumpText() + "<Finish_Block> --> " +
         std::string(Quantifier().SignText()) + kCrLf;
}

void TleRegExprParserBlockItem::MarkFinal() {
  for (int i = 0; i < alts_->Count(); ++i) MarkAlternativeFinal(alts_->Alt(i));
}

size_t TleRegExprParserBlockItem::NodeCount() const {
  size_t count = 1;
  for (int a = 0; a < alts_->Count(); ++a)
    for (int i = 0; i < alts_->Alt(a).Count(); ++i) count += alts_->Alt(a).Item(i).NodeCount();
  return count;
}

int TleRegExprParserBlockItem::Depth() const {
  int depth = 0;
  for (int a = 0; a < alts_->Count(); ++a)
    for (int i = 0; i < alts_->Alt(a).Count(); ++i)
      depth = std::max(depth, alts_->Alt(a).Item(i).Depth());
  return depth + 1;
}

void MarkAlternativeFinal(TleRegExprParserAlt& alt) {
  for (int i = alt.Count() - 1; i >= 0; --i) {
    alt.Item(i).MarkFinal();
    if (!IsSkippable(alt.Item(i))) break;
  }
}

}  // namespace kelmo::regexpr
