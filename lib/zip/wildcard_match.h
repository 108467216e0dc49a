// Wildcard matching of file names for the selection of entries to extract,
// the writer's include, exclude and no-compression lists and the directory
// walk. Pattern language: "*" any run, "?" one character, "<abc>", "<a-z>"
// a set, "<!..>" or "<^..>" its complement, "*<set>" a run of set members.
// Letters A to Z are compared lower-cased; everything else byte by byte.
// There is no escape: "[" and "]" are literal.
//
// Cost: linear in the text for patterns without "*"; a "*" retries the rest of
// the pattern at each candidate position (quadratic at worst). Each call keeps
// its own set state, so matches may run from any thread.
#pragma once

#include <string_view>

namespace kelmo::zip {

// Result codes of WildcardMatchCode.
enum WildcardResult : int {
  kMatchNone = 0,        // internal: no result reached yet
  kMatchValid = 1,       // the whole text matches the whole pattern
  kMatchPatternEnd = 2,  // the pattern ended before the text
  kMatchAbort = 3,       // the text ended first / no place for the rest after "*"
  kMatchRange = 4,       // a character failed a set test
  kMatchLiteral = 5,     // a literal character differed
  kMatchPatternBad = 6,  // malformed set
};

bool WildcardMatch(std::string_view pattern, std::string_view text);
int WildcardMatchCode(std::string_view pattern, std::string_view text);

}  // namespace kelmo::zip
