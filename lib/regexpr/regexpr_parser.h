// The parser of the pattern language: builds the parse tree from the
// lexemes, rewriting quantifiers and bounds into groups, and collects every
// syntax finding without stopping.
//
// Expansion is bounded: a pattern whose tree would hold more than
// kMaxPatternNodes items or nest groups deeper than kMaxPatternNesting (as
// «x{100000}», «((a){99}){99}» or a long chain of references can) is refused
// with "The regular expression is too complex"; so a compile costs time and
// memory linear in the text up to that bound.
#pragma once

#include <memory>
#include <vector>

#include "regexpr_errors.h"
#include "regexpr_lexems.h"
#include "regexpr_parse_tree.h"

namespace kelmo::regexpr {

inline constexpr size_t kMaxPatternNodes = 2048;
inline constexpr int kMaxPatternNesting = 500;

// Parses lexems into a list of alternatives. Findings go to errors; when
// there are any the tree is incomplete and must not be connected.
std::unique_ptr<TleRegExprParserAlts> ParsePattern(const TleLexems& lexems,
                                                   TleRegExprErrors& errors);

}  // namespace kelmo::regexpr
