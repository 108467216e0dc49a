// States of the matching automaton as the compiler first builds them: a
// simple state per character test of the pattern and two pass-through block
// states (entry and exit) per group. Transitions are plain references; the
// states are owned by the parse-tree items that made them.
#pragma once

#include <memory>
#include <vector>

#include "regexpr_items.h"

namespace kelmo::regexpr {

class TleRegExprState {
 public:
  virtual ~TleRegExprState() = default;
  virtual bool IsBlock() const = 0;

  // Appends target to the transitions; a state may be connected twice.
  void Connect(TleRegExprState* target) { transitions_.push_back(target); }
  const std::vector<TleRegExprState*>& Transitions() const { return transitions_; }

  // Numbering given when the automaton is flattened.
  int index = -1;

 private:
  std::vector<TleRegExprState*> transitions_;
};

// A position of the pattern: entered by a character its test accepts. The
// automaton's start state has no test.
class TleRegExprSimpleState : public TleRegExprState {
 public:
  explicit TleRegExprSimpleState(std::unique_ptr<TleRegExprItem> test) : test_(std::move(test)) {}
  bool IsBlock() const override { return false; }
  const TleRegExprItem* Test() const { return test_.get(); }
  // A new state with a copy of the test and no transitions.
  std::unique_ptr<TleRegExprSimpleState> Duplicate() const;

  bool final = false;

 private:
  std::unique_ptr<TleRegExprItem> test_;
};

// The entry or exit of a group: consumes no character, passes it on.
class TleRegExprBlockState : public TleRegExprState {
 public:
  bool IsBlock() const override { return true; }
};

}  // namespace kelmo::regexpr
