// The scanner of the pattern language: turns a pattern text (bytes, code page
// 1251) into lexemes, skipping separator characters outside quotes, and
// collects every lexical finding without stopping. One pass, linear in the
// text.
#pragma once

#include <string_view>

#include "regexpr_errors.h"
#include "regexpr_lexems.h"

namespace kelmo::regexpr {

// Appends the lexemes of text to lexems and the findings to errors. Line and
// position start at 1 and 0: a CR adds a line, an LF sets the position to 0
// and every other character (CR included) adds 1 to it.
void ScanPattern(std::string_view text, TleLexems& lexems, TleRegExprErrors& errors);

}  // namespace kelmo::regexpr
