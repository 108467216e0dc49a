// Wildcard matching: the patterns the library meets and its result codes.
#include <gtest/gtest.h>

#include "zip/wildcard_match.h"

namespace kelmo::zip {
namespace {

TEST(ZipWildcard, Codes) {
  struct Case {
    const char* pattern;
    const char* text;
    int code;
  } cases[] = {
      {"*", "", 1},
      {"*", "anything", 1},
      {"", "", 1},
      {"", "x", 2},
      {"*.*", "a.b", 1},
      {"*.*", ".x", 1},
      {"*.*", "readme", 5},
      {"?*", "a", 1},
      {"?*", "", 3},
      {"m??*", "m01", 1},
      {"m??*", "mabc", 1},
      {"m??*", "mx", 3},
      {"a*", "a", 1},
      {"a*", "abc", 1},
      {"a**", "a", 3},
      {"h*.xml", "H0001.XML", 1},
      {"<a-c>x", "bx", 1},
      {"<a-c>x", "dx", 4},
      {"<!a-c>x", "dx", 1},
      {"<^a-c>x", "bx", 4},
      {"<>x", "ax", 6},
      {"<a-x", "bx", 6},
      {"<", "a", 6},
      {"*<0-9>", "123", 1},
      {"*<0-9>", "12a", 3},
      {"[a].txt", "[a].txt", 1},
      {"[a].txt", "a.txt", 5},
      {"abc", "abd", 5},
      {"abc", "ab", 3},
      {"abc", "abcd", 2},
      {"a*?", "ab", 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WildcardMatchCode(c.pattern, c.text), c.code) << c.pattern << " ~ " << c.text;
    EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.code == 1) << c.pattern << " ~ " << c.text;
  }
}

}  // namespace
}  // namespace kelmo::zip
