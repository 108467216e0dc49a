// The compiled matching automaton in its flat form: the simple states of the
// pattern numbered from 0 (the start state), for each state the set of states
// a character may lead to (pass-through group states already followed), and
// for each byte the set of states whose test accepts it.
//
// Immutable once built, so one program may serve any number of runs, from
// any thread. A run keeps its own state set. Feeding one character costs
// O(k * n / 64) for k current states of n; a text costs time linear in its
// length, whatever the pattern. A program of n states takes about
// (n + 256) * n / 8 bytes.
//
// A small program (at most 64 states, no test that reads the locale) also
// gets its deterministic form, built when the program is: bytes fall into
// classes that every test treats alike, and each set of states reachable
// from the start becomes one state of a table indexed by class, so that
// MatchesWhole costs one table look-up per two characters, without
// allocating and without a call per character.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "regexpr_items.h"

namespace kelmo::regexpr {

class TleRegExprSimpleState;

class TleRegExprProgram {
 public:
  // The current states of one run.
  class Run {
   public:
    explicit Run(const TleRegExprProgram& program);
    // Moves to the states the character leads to and returns true; when it
    // leads nowhere, returns false and stays where it was.
    bool Advance(char c);
    // True when some current state is final.
    bool InFinalState() const;

   private:
    const TleRegExprProgram* program_;
    std::vector<std::uint64_t> current_;
    std::vector<std::uint64_t> next_;
  };

  // states[0] is the start state (no test); row i of follow (one bit per
  // state, (n + 63) / 64 words a row) holds the simple states reachable from
  // states[i] through one transition, pass-through states followed.
  TleRegExprProgram(const std::vector<const TleRegExprSimpleState*>& states,
                    std::vector<std::uint64_t> follow);
  // The walk holds pointers into the program's own tables.
  TleRegExprProgram(const TleRegExprProgram&) = delete;
  TleRegExprProgram& operator=(const TleRegExprProgram&) = delete;

  int StateCount() const { return static_cast<int>(count_); }
  // Whether the whole text is accepted: fed from the start, every character
  // accepted, a final state at the end.
  bool MatchesWhole(std::string_view text) const {
    if (pairStride_ == 0) return MatchesWholeByStates(text);
    const Walk& w = walk_;
    const size_t n = text.size();
    if (n == 0) return w.start >= w.finalFrom;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const pairsEnd = bytes + (n & ~size_t{1});
    size_t offset = w.start;
    // The refused row leads to itself: no branch on the data inside the loop.
    for (const unsigned char* p = bytes; p != pairsEnd; p += 2) {
      // The class pair first: one addition on the chain from step to step.
      const size_t pair = size_t{w.lead[p[0]]} + w.next[p[1]];
      offset = w.pairs[offset + pair];
    }
    // The last character of an odd text, or nothing: decided by a mask
    // rather than a branch, which the lengths of real texts would defeat.
    const size_t odd = size_t{0} - (n & 1);
    const unsigned char last = bytes[(n - 1) & odd];
    offset = w.pairs[offset + ((w.lead[last] & odd) | (w.endLead & ~odd)) + w.endClass];
    return offset >= w.finalFrom;
  }

 private:
  bool MatchesWholeByStates(std::string_view text) const;

  const std::uint64_t* Follow(size_t state) const { return &follow_[state * words_]; }
  const std::uint64_t* Accept(unsigned char c) const { return &accept_[c * words_]; }

  void BuildDeterministic();

  size_t count_ = 0;
  size_t words_ = 0;
  std::vector<std::uint64_t> follow_;  // count_ rows of words_
  std::vector<std::uint64_t> accept_;  // 256 rows of words_, locale-reading tests left out
  std::vector<std::uint64_t> final_;
  // Tests that read the locale separators, asked at the time of each
  // character.
  std::vector<std::pair<size_t, std::unique_ptr<TleRegExprItem>>> localeTests_;

  // The deterministic form; empty when the program has none.
  static constexpr size_t kMaxDeterministicStates = 512;
  size_t classCount_ = 0;
  std::vector<std::int32_t> table_;  // state * classCount_ + class -> state, -1 for none
  std::vector<bool> tableFinal_;
  // Two characters a step, so that a text needs half as many dependent
  // look-ups. A row is indexed by lead class * (classCount_ + 1) + next
  // class, where the class classCount_ (endClass_) stands for "past the end
  // of the text": (c, end) is the one-character step and (end, end) stays.
  // Entries are row offsets (row * pairStride_): row 0 stands for "refused"
  // and leads to itself; rows from finalFromRow_ on are final.
  static constexpr size_t kMaxPairEntries = 16384;  // offsets fit 16 bits
  size_t pairStride_ = 0;  // (classCount_ + 1) squared; 0 when there is no pair table
  size_t endClass_ = 0;
  size_t endLead_ = 0;  // endClass_ * (endClass_ + 1)
  std::vector<std::uint16_t> pairTable_;
  std::vector<std::uint16_t> byteClass_;  // 256 entries: the class
  std::vector<std::uint16_t> leadClass_;  // 256 entries: the class * (classCount_ + 1)
  size_t startRow_ = 0;
  size_t finalFromRow_ = 0;
  // What the pair walk reads, side by side in one cache line.
  struct Walk {
    const std::uint16_t* pairs = nullptr;
    const std::uint16_t* lead = nullptr;
    const std::uint16_t* next = nullptr;
    std::uint32_t start = 0;
    std::uint32_t finalFrom = 0;
    std::uint32_t endClass = 0;
    std::uint32_t endLead = 0;
  };
  Walk walk_;
};

}  // namespace kelmo::regexpr
