// States of the matching automaton as the compiler builds them.
#include "regexpr_states.h"

namespace kelmo::regexpr {

std::unique_ptr<TleRegExprSimpleState> TleRegExprSimpleState::Duplicate() const {
  return std::make_unique<TleRegExprSimpleState>(test_ ? test_->Duplicate() : nullptr);
}

}  // namespace kelmo::regexpr
