// The parse tree of a pattern: a list of alternatives, each a sequence of
// items; an item is one character test or a group (a nested list of
// alternatives); every item carries one quantifier. The items own the states
// of the automaton that the compiler connects afterwards.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "regexpr_quantifiers.h"
#include "regexpr_states.h"

namespace kelmo::regexpr {

class TleRegExprParserAlts;

class TleRegExprParserItem {
 public:
  // Takes the quantifier; none means exactly once.
  explicit TleRegExprParserItem(std::unique_ptr<TleRegExprQuantifier> q);
  virtual ~TleRegExprParserItem() = default;

  virtual bool MayMatchEmpty() const = 0;
  virtual std::unique_ptr<TleRegExprParserItem> Duplicate() const = 0;
  // Diagnostic text of the tree; nothing in the program prints it.
  virtual std::string DumpText() const = 0;
  // Marks the states at which a match of this item may end as final.
  virtual void MarkFinal() = 0;
  // The state a transition into the item goes to, and the one a transition
  // out of it leaves from.
  virtual TleRegExprState* Entry() = 0;
  virtual TleRegExprState* Exit() = 0;
  // Items (character tests and groups) in this subtree, and its group
  // nesting; both linear in the subtree.
  virtual size_t NodeCount() const = 0;
  virtual int Depth() const = 0;

  const TleRegExprQuantifier& Quantifier() const { return *quantifier_; }
  bool CanBeMissing() const { return quantifier_->AllowsZero(); }
  bool CanRepeat() const { return quantifier_->AllowsMore(); }
  bool HasNoQuantifier() const;
  // Frees the old quantifier and takes the new one; none changes nothing.
  void ReplaceQuantifier(std::unique_ptr<TleRegExprQuantifier> q);

 private:
  std::unique_ptr<TleRegExprQuantifier> quantifier_;
};

// A sequence of items.
class TleRegExprParserAlt {
 public:
  TleRegExprParserAlt();
  ~TleRegExprParserAlt();

  bool MayMatchEmpty() const;
  bool CanBeMissing() const;
  std::string DumpText() const;

  void Add(std::unique_ptr<TleRegExprParserItem> item) { items_.push_back(std::move(item)); }
  // Replaces the last item; the old one is handed back to the caller.
  std::unique_ptr<TleRegExprParserItem> SetLast(std::unique_ptr<TleRegExprParserItem> item);
  int Count() const { return static_cast<int>(items_.size()); }
  TleRegExprParserItem& Item(int i) const { return *items_[static_cast<size_t>(i)]; }
  TleRegExprParserItem* Last() const { return items_.empty() ? nullptr : items_.back().get(); }

 private:
  std::vector<std::unique_ptr<TleRegExprParserItem>> items_;
};

// An ordered list of alternatives.
class TleRegExprParserAlts {
 public:
  TleRegExprParserAlts();
  ~TleRegExprParserAlts();

  TleRegExprParserAlt& Add();
  bool MayMatchEmpty() const;
  bool HasMissableAlt() const;
  std::string DumpText() const;
  std::unique_ptr<TleRegExprParserAlts> Duplicate() const;

  int Count() const { return static_cast<int>(alts_.size()); }
  TleRegExprParserAlt& Alt(int i) const { return *alts_[static_cast<size_t>(i)]; }

 private:
  std::vector<std::unique_ptr<TleRegExprParserAlt>> alts_;
};

class TleRegExprParserSimpleItem : public TleRegExprParserItem {
 public:
  TleRegExprParserSimpleItem(std::unique_ptr<TleRegExprItem> test,
                             std::unique_ptr<TleRegExprQuantifier> q);
  TleRegExprParserSimpleItem(std::unique_ptr<TleRegExprSimpleState> state,
                             std::unique_ptr<TleRegExprQuantifier> q);

  bool MayMatchEmpty() const override { return CanBeMissing(); }
  std::unique_ptr<TleRegExprParserItem> Duplicate() const override;
  std::string DumpText() const override;
  void MarkFinal() override { state_->final = true; }
  TleRegExprState* Entry() override { return state_.get(); }
  TleRegExprState* Exit() override { return state_.get(); }
  size_t NodeCount() const override { return 1; }
  int Depth() const override { return 0; }

  TleRegExprSimpleState& State() const { return *state_; }

 private:
  std::unique_ptr<TleRegExprSimpleState> state_;
};

// A group: its alternatives between a pass-through entry and exit state.
class TleRegExprParserBlockItem : public TleRegExprParserItem {
 public:
  explicit TleRegExprParserBlockItem(std::unique_ptr<TleRegExprQuantifier> q);
  TleRegExprParserBlockItem(std::unique_ptr<TleRegExprParserAlts> alts,
                            std::unique_ptr<TleRegExprQuantifier> q);
  ~TleRegExprParserBlockItem() override;

  bool MayMatchEmpty() const override;
  std::unique_ptr<TleRegExprParserItem> Duplicate() const override;
  std::string DumpText() const override;
  void MarkFinal() override;
  TleRegExprState* Entry() override { return &entry_; }
  TleRegExprState* Exit() override { return &exit_; }
  size_t NodeCount() const override;
  int Depth() const override;

  TleRegExprParserAlts& Alts() const { return *alts_; }
  TleRegExprBlockState& EntryState() { return entry_; }
  TleRegExprBlockState& ExitState() { return exit_; }

 private:
  std::unique_ptr<TleRegExprParserAlts> alts_;
  TleRegExprBlockState entry_;
  TleRegExprBlockState exit_;
};

// Whether the compiler lets an item be skipped when it connects states and
// marks final ones: when it may match the empty text, a group without a
// quantifier whose alternatives can match empty included. This gives every
// pattern the usual meaning: «a(b?)» accepts "a" and «x{0,1}» the empty
// text, as «a(b)?» and «x?» do.
inline bool IsSkippable(const TleRegExprParserItem& item) {
  return item.MayMatchEmpty();
}

// Final marking of one alternative: from its last item backwards as long as
// the item just marked can be skipped.
void MarkAlternativeFinal(TleRegExprParserAlt& alt);

}  // namespace kelmo::regexpr
