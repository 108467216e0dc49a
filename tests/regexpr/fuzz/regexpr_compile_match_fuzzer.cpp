// Compiles the first part of the input as a pattern and feeds the rest as a
// text: every input must end in a compiled automaton or in the engine's own
// error, never in a crash, a hang or another exception.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "regexpr/regexpr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The pattern ends at the first 0xFF byte (kept out of patterns so that
  // texts can carry any byte); without one the whole input is the pattern
  // and it is also fed to itself.
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\xFF');
  const std::string pattern = input.substr(0, cut);
  const std::string text = cut == std::string::npos ? input : input.substr(cut + 1);

  kelmo::regexpr::TleRegExpr re;
  std::istringstream in(pattern);
  try {
    re.CompileStream(&in);
  } catch (const kelmo::regexpr::EleRegExprError& e) {
    if (e.Errors().Count() == 0) std::abort();  // an error must say what is wrong
    return 0;
  }
  bool whole = true;
  for (char c : text)
    if (!re.FeedChar(c)) {
      whole = false;
      break;
    }
  const bool final = whole && re.IsFinalState();
  // The shared program must agree with the fed expression.
  if (re.Program()->MatchesWhole(text) != final) std::abort();
  return 0;
}
