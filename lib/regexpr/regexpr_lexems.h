// Lexemes: what the scanner makes of a pattern text and the parser reads
// front to back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelmo::regexpr {

enum TleLexemKind : std::uint32_t {
  lkSymbol = 0,          // one literal character
  lkOperator = 1,        // ( ) * + ? | [ ] { } , ^ -
  lkInteger = 2,         // decimal digits, inside braces only
  lkAnyChar = 3,         // "."
  lkWordChar = 4,        // \w
  lkNonWordChar = 5,     // \W
  lkDigit = 6,           // \d
  lkNonDigit = 7,        // \D
  lkSeparator = 8,       // \s
  lkNonSeparator = 9,    // \S
  lkReference = 10,      // \1 to \9
  lkDateSeparator = 11,  // "/"
  lkTimeSeparator = 12,  // ":"
};

struct TleLexem {
  std::uint32_t position = 0;  // character position in its line, from 1
  std::uint32_t kind = lkSymbol;
  std::uint32_t line = 0;  // from 1
  std::string text;

  bool IsOperator(char op) const { return kind == lkOperator && text.size() == 1 && text[0] == op; }
  bool operator==(const TleLexem&) const = default;
};

using TleLexems = std::vector<TleLexem>;

}  // namespace kelmo::regexpr
