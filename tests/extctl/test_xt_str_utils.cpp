// String helpers of the extension controls.
#include <gtest/gtest.h>

#include "extctl/xt_str_utils.h"

using namespace kelmo::xt;

TEST(XtStrUtils, Helpers) {
  EXPECT_TRUE(AllCharsInSet("", "abc"));
  EXPECT_TRUE(AllCharsInSet("abba", "ab"));
  EXPECT_FALSE(AllCharsInSet("abc", "ab"));

  struct Replace {
    const char *text, *search, *replacement, *expected;
  } replaces[] = {
      {"aaa", "aa", "b", "ba"}, {"abcabc", "bc", "X", "aXaX"}, {"abc", "", "X", "abc"},
      {"abc", "abc", "", ""},   {"aa", "a", "aa", "aaaa"},     {"xyz", "q", "w", "xyz"},
  };
  for (const Replace& r : replaces)
    EXPECT_EQ(ReplaceSubstring(r.text, r.search, r.replacement), r.expected) << r.text;

  EXPECT_EQ(StripChar("a-b--c-", '-'), "abc");
  EXPECT_EQ(StripChar("", '-'), "");

  struct Trim {
    const char *text, *leading, *trailing, *both;
  } trims[] = {
      {"  a b  ", "a b  ", "  a b", "a b"},
      {"\t a \t", "\t a \t", "\t a \t", "\t a \t"},  // tabs stay
      {"   ", "", "", ""},
      {"", "", "", ""},
  };
  for (const Trim& t : trims) {
    EXPECT_EQ(DropLeadingSpaces(t.text), t.leading);
    EXPECT_EQ(DropTrailingSpaces(t.text), t.trailing);
    EXPECT_EQ(TrimBlanks(t.text), t.both);
  }

  EXPECT_EQ(RepeatChar('=', 3), "===");
  EXPECT_EQ(RepeatChar('=', 0), "");
  EXPECT_EQ(RepeatChar('=', -5), "");
}
