// The compiled matching automaton in its flat form (matching layer).
#include "regexpr_program.h"

#include <bit>
#include <cassert>

#include "regexpr_states.h"

namespace kelmo::regexpr {

TleRegExprProgram::TleRegExprProgram(const std::vector<const TleRegExprSimpleState*>& states,
                                     std::vector<std::uint64_t> follow)
    : count_(states.size()), words_((states.size() + 63) / 64), follow_(std::move(follow)) {
  assert(!states.empty() && follow_.size() == count_ * words_);
  accept_.assign(256 * words_, 0);
  final_.assign(words_, 0);
  for (size_t s = 0; s < count_; ++s) {
    const std::uint64_t bit = std::uint64_t{1} << (s % 64);
    if (states[s]->final) final_[s / 64] |= bit;
    const TleRegExprItem* test = states[s]->Test();
    if (!test) continue;  // the start state: never entered
    if (test->ReadsLocale()) {
      localeTests_.emplace_back(s, test->Duplicate());
      continue;
    }
    for (int c = 0; c < 256; ++c)
      if (test->Accepts(static_cast<char>(c)))
        accept_[static_cast<size_t>(c) * words_ + s / 64] |= bit;
  }
}

TleRegExprProgram::Run::Run(const TleRegExprProgram& program)
    : program_(&program), current_(program.words_, 0), next_(program.words_, 0) {
  current_[0] = 1;  // the start state alone
}

bool TleRegExprProgram::Run::Advance(char c) {
  const TleRegExprProgram& p = *program_;
  const size_t words = p.words_;
  std::fill(next_.begin(), next_.end(), 0);
  for (size_t w = 0; w < words; ++w) {
    for (std::uint64_t bits = current_[w]; bits != 0; bits &= bits - 1) {
      const size_t s = w * 64 + static_cast<size_t>(std::countr_zero(bits));
      const std::uint64_t* row = p.Follow(s);
      for (size_t k = 0; k < words; ++k) next_[k] |= row[k];
    }
  }
  // States reached by the character: tabulated tests, then those that read
  // the locale now.
  std::uint64_t any = 0;
  std::vector<size_t> localeHits;
  for (const auto& [state, test] : p.localeTests_) {
    const std::uint64_t bit = std::uint64_t{1} << (state % 64);
    if ((next_[state / 64] & bit) && test->Accepts(c)) localeHits.push_back(state);
  }
  const std::uint64_t* accept = p.Accept(static_cast<unsigned char>(c));
  for (size_t k = 0; k < words; ++k) {
    next_[k] &= accept[k];
  }
  for (size_t state : localeHits) next_[state / 64] |= std::uint64_t{1} << (state % 64);
  for (size_t k = 0; k < words; ++k) any |= next_[k];
  if (any == 0) return false;
  current_.swap(next_);
  return true;
}

bool TleRegExprProgram::Run::InFinalState() const {
  for (size_t k = 0; k < program_->words_; ++k)
    if (current_[k] & program_->final_[k]) return true;
  return false;
}

bool TleRegExprProgram::MatchesWhole(std::string_view text) const {
  if (words_ == 1 && localeTests_.empty()) {
    // The usual case (masks of a few dozen states): one machine word.
    std::uint64_t current = 1;
    for (char ch : text) {
      std::uint64_t next = 0;
      for (std::uint64_t bits = current; bits != 0; bits &= bits - 1)
        next |= follow_[static_cast<size_t>(std::countr_zero(bits))];
      next &= accept_[static_cast<unsigned char>(ch)];
      if (next == 0) return false;
      current = next;
    }
    return (current & final_[0]) != 0;
  }
  Run run(*this);
  for (char ch : text)
    if (!run.Advance(ch)) return false;
  return run.InFinalState();
}

}  // namespace kelmo::regexpr
