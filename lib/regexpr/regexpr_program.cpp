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
    const std::bitset<256> accepted = test->Tabulate();
    for (size_t c = accepted._Find_first(); c < 256; c = accepted._Find_next(c))
      accept_[c * words_ + s / 64] |= bit;
  }
  if (words_ == 1 && localeTests_.empty()) BuildDeterministic();
}

void TleRegExprProgram::BuildDeterministic() {
  // Bytes with the same column of the accept table behave alike.
  std::vector<std::uint64_t> classMask;
  byteClass_.assign(256, 0);
  for (size_t c = 0; c < 256; ++c) {
    const std::uint64_t column = accept_[c];
    size_t k = 0;
    while (k < classMask.size() && classMask[k] != column) ++k;
    if (k == classMask.size()) classMask.push_back(column);
    byteClass_[c] = static_cast<std::uint16_t>(k);
  }
  classCount_ = classMask.size();
  std::vector<std::uint64_t> sets{1};  // the start state alone
  for (size_t d = 0; d < sets.size(); ++d) {
    std::uint64_t reach = 0;
    for (std::uint64_t bits = sets[d]; bits != 0; bits &= bits - 1)
      reach |= follow_[static_cast<size_t>(std::countr_zero(bits))];
    for (size_t k = 0; k < classCount_; ++k) {
      const std::uint64_t next = reach & classMask[k];
      std::int32_t target = -1;
      if (next != 0) {
        size_t t = 0;
        while (t < sets.size() && sets[t] != next) ++t;
        if (t == sets.size()) {
          if (sets.size() == kMaxDeterministicStates) {
            // Too many combinations: the state-set walk serves instead.
            table_.clear();
            classCount_ = 0;
            byteClass_.clear();
            return;
          }
          sets.push_back(next);
        }
        target = static_cast<std::int32_t>(t);
      }
      table_.push_back(target);
    }
  }
  tableFinal_.resize(sets.size());
  for (size_t d = 0; d < sets.size(); ++d) tableFinal_[d] = (sets[d] & final_[0]) != 0;

  // Rows of the two-character table: the refused row first, then the states
  // where a text may not end, then those where it may, so that "final" is a
  // comparison of the row offset rather than one more look-up.
  const size_t end = classCount_;
  const size_t width = classCount_ + 1;
  const size_t stride = width * width;
  const size_t rows = sets.size() + 1;
  if (rows * stride > kMaxPairEntries) return;
  pairStride_ = stride;
  endClass_ = end;
  endLead_ = end * width;
  std::vector<size_t> rowOf(sets.size());
  size_t row = 1;
  for (int pass = 0; pass < 2; ++pass)
    for (size_t d = 0; d < sets.size(); ++d)
      if (tableFinal_[d] == (pass == 1)) {
        if (pass == 1 && finalFromRow_ == 0) finalFromRow_ = row * stride;
        rowOf[d] = row++;
      }
  if (finalFromRow_ == 0) finalFromRow_ = rows * stride;  // no final state at all
  startRow_ = rowOf[0] * stride;
  pairTable_.assign(rows * stride, 0);
  auto rowOffset = [&](std::int32_t state) {
    return static_cast<std::uint16_t>(state < 0 ? 0 : rowOf[static_cast<size_t>(state)] * stride);
  };
  for (size_t d = 0; d < sets.size(); ++d) {
    const size_t base = rowOf[d] * stride;
    // Past the end of the text the state stays; (end, c) never comes up.
    for (size_t b = 0; b < width; ++b)
      pairTable_[base + end * width + b] = static_cast<std::uint16_t>(base);
    for (size_t a = 0; a < classCount_; ++a) {
      const std::int32_t mid = table_[d * classCount_ + a];
      pairTable_[base + a * width + end] = rowOffset(mid);
      if (mid < 0) continue;
      for (size_t b = 0; b < classCount_; ++b)
        pairTable_[base + a * width + b] =
            rowOffset(table_[static_cast<size_t>(mid) * classCount_ + b]);
    }
  }
  leadClass_.resize(256);
  for (size_t c = 0; c < 256; ++c)
    leadClass_[c] = static_cast<std::uint16_t>(byteClass_[c] * width);
  // Offsets stay below kMaxPairEntries, so they fit.
  walk_ = {pairTable_.data(),
           leadClass_.data(),
           byteClass_.data(),
           static_cast<std::uint32_t>(startRow_),
           static_cast<std::uint32_t>(finalFromRow_),
           static_cast<std::uint32_t>(endClass_),
           static_cast<std::uint32_t>(endLead_)};
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

bool TleRegExprProgram::MatchesWholeByStates(std::string_view text) const {
  if (classCount_ != 0) {
    std::int32_t state = 0;
    for (char ch : text) {
      state = table_[static_cast<size_t>(state) * classCount_ +
                     byteClass_[static_cast<unsigned char>(ch)]];
      if (state < 0) return false;
    }
    return tableFinal_[static_cast<size_t>(state)];
  }
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
