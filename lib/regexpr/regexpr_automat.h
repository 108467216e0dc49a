// The matching automaton of a compiled pattern: connects the states of the
// parse tree (follow, repeat and group pass-through transitions), marks the
// final ones, and flattens the graph into a TleRegExprProgram that a run is
// fed character by character.
//
// Building costs time linear in the number of transitions times n / 64 for
// n states; the parser's bound keeps n at most kMaxPatternNodes.
#pragma once

#include <memory>
#include <optional>

#include "regexpr_parse_tree.h"
#include "regexpr_program.h"

namespace kelmo::regexpr {

class TleRegExprAutomat {
 public:
  // Takes the parse tree of a pattern that parsed without findings.
  explicit TleRegExprAutomat(std::unique_ptr<TleRegExprParserAlts> tree);
  ~TleRegExprAutomat();

  // Moves the current set by the character; false (the set unchanged) when
  // no current state leads anywhere with it.
  bool Advance(char c) { return run_->Advance(c); }
  bool InFinalState() const { return run_->InFinalState(); }

  const TleRegExprParserAlts& Tree() const { return *tree_; }
  std::shared_ptr<const TleRegExprProgram> Program() const { return program_; }

 private:
  std::unique_ptr<TleRegExprParserAlts> tree_;
  TleRegExprSimpleState start_;
  std::shared_ptr<const TleRegExprProgram> program_;
  std::optional<TleRegExprProgram::Run> run_;
};

}  // namespace kelmo::regexpr
