// Matching: which texts a compiled pattern accepts, how FeedChar moves (or
// does not move) the automaton, the locale separators read at feed time, and
// texts that would make a backtracking matcher explode.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "regexpr/regexpr.h"
#include "regexpr/regexpr_locale.h"

namespace kelmo::regexpr {
namespace {

void Compile(TleRegExpr& re, const std::string& pattern) {
  std::istringstream in(pattern);
  re.CompileStream(&in);
}

// Feeds the text and stops at the first refused character, as a whole-text
// client does.
bool Matches(const std::string& pattern, const std::string& text) {
  TleRegExpr re;
  Compile(re, pattern);
  for (char c : text)
    if (!re.FeedChar(c)) return false;
  return re.IsFinalState();
}

struct MatchCase {
  std::string pattern;
  std::vector<std::string> accepted;
  std::vector<std::string> refused;
};

class MatchTable : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchTable, AcceptsExactlyTheListedTexts) {
  const MatchCase& c = GetParam();
  for (const auto& t : c.accepted) EXPECT_TRUE(Matches(c.pattern, t)) << c.pattern << " on " << t;
  for (const auto& t : c.refused) EXPECT_FALSE(Matches(c.pattern, t)) << c.pattern << " on " << t;
  // The shared program answers as the fed expression does.
  TleRegExpr re;
  Compile(re, c.pattern);
  for (const auto& t : c.accepted)
    EXPECT_TRUE(re.Program()->MatchesWhole(t)) << c.pattern << " on " << t;
  for (const auto& t : c.refused)
    EXPECT_FALSE(re.Program()->MatchesWhole(t)) << c.pattern << " on " << t;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, MatchTable,
    ::testing::Values(
        MatchCase{"a*", {"", "a", "aaaa"}, {"b", "ab"}}, MatchCase{"a+", {"a", "aa"}, {"", "b"}},
        MatchCase{"(ab)+", {"ab", "abab"}, {"", "a", "aba", "abb"}},
        MatchCase{"a(b|c)d", {"abd", "acd"}, {"ad", "abcd", "aed"}},
        MatchCase{"x{1,3}", {"x", "xx", "xxx"}, {"", "xxxx"}},
        MatchCase{"x{2,}", {"xx", "xxxxx"}, {"", "x"}}, MatchCase{"x{3}", {"xxx"}, {"xx", "xxxx"}},
        MatchCase{"x{0,2}", {"", "x", "xx"}, {"xxx"}},
        MatchCase{"a(b?)c", {"ac", "abc"}, {"abbc", "a"}},
        // A group that may match empty can be skipped, as in every other
        // regular-expression dialect.
        MatchCase{"a(b?)", {"a", "ab"}, {"abb"}}, MatchCase{"x{0,1}", {"", "x"}, {"xx"}},
        MatchCase{"x{0}", {""}, {"x"}}, MatchCase{"a b", {"ab"}, {"a b"}},
        MatchCase{"' '", {" "}, {""}}, MatchCase{"'it''s'", {"it's"}, {"its"}},
        MatchCase{"^$", {"^$"}, {""}}, MatchCase{"]}-,", {"]}-,"}, {}},
        MatchCase{"a\\", {"a"}, {"a\\"}}, MatchCase{"\\0", {"0"}, {"\\0"}},
        MatchCase{"(a)\\1", {"aa"}, {"a", "aaa"}}, MatchCase{"(a|b)\\1", {"ab", "ba", "aa"}, {"a"}},
        MatchCase{"a+*", {"", "a", "aaa"}, {"b"}}, MatchCase{"a+?", {"", "a", "aa"}, {"b"}},
        MatchCase{"[.]", {"."}, {"a"}},
        MatchCase{".", {".", "a", std::string(1, '\0'), "\xFF"}, {"", "ab"}},
        MatchCase{"[^-a]", {"b", "z"}, {"-", "a"}}, MatchCase{"[a-]", {"a", "-"}, {"b"}},
        MatchCase{"[\\d-z]", {"d", "m", "z"}, {"c", "1"}}, MatchCase{"[\\d]", {"1"}, {"d"}},
        MatchCase{"[\\1]", {"1"}, {"2"}}, MatchCase{"[a-c,x]", {"a", "b", ",", "x"}, {"d"}},
        MatchCase{"\\d\\D", {"1a"}, {"11", "aa"}},
        MatchCase{"\\w\\W", {"_ ", "z-"}, {"\xC0 ", "ab"}},
        MatchCase{"\\s\\S", {" x", "\tx", std::string("\0x", 2)}, {"\vx", "\xA0x", "xx"}},
        MatchCase{"\\x41\\x4a", {"AJ"}, {"Aj"}},
        MatchCase{"\\a\\e\\f\\n\\r\\t", {"\a\x1B\f\n\r\t"}, {}},
        MatchCase{"\\.\\\\\\q", {".\\q"}, {"a\\q"}},
        MatchCase{"[\xC0-\xDF]{2}", {"\xC0\xDF"}, {"\xA8\xC0", "\xE0\xE1", "\xC0"}},
        MatchCase{"ab|c", {"ab", "c"}, {"", "abc"}},
        MatchCase{"(a?){2,}", {"", "a", "aaaa"}, {"b"}},
        MatchCase{"(a|a)*", {"", "aaaaaaaa"}, {"b"}}, MatchCase{"x+{2}", {"xx", "xxx"}, {"x"}},
        MatchCase{"(a(b)?)+c", {"ac", "abac", "ababc"}, {"c", "bc"}},
        // A reference copies the group with the quantifier it has by then.
        MatchCase{"(ab)+\\1", {"abab", "ababab"}, {"ab"}}));

// The shared program takes characters two at a time with the last one of an
// odd text apart: texts of every length up to twelve over a small alphabet,
// both parities, answer as feeding them does.
TEST(Matching, ProgramAgreesWithFeedingForEveryLengthParity) {
  const std::vector<std::string> patterns = {"\\d{1,7}", "(ab)*c?",  "[A-Z]{2}-\\d+",
                                             "x{0}",     "a|bc|def", "(a|b)*abb"};
  const std::string alphabet = "ab1AB-";
  for (const auto& pattern : patterns) {
    TleRegExpr re;
    Compile(re, pattern);
    // Every text of up to four characters, random ones up to twelve,
    std::vector<std::string> texts{""};
    for (size_t from = 0; texts[from].size() < 4; ++from)
      for (char c : alphabet) texts.push_back(texts[from] + c);
    // and texts near the accepted ones at every length.
    for (size_t k = 0; k <= 12; ++k) {
      std::string ab;
      for (size_t i = 0; i < k; ++i) ab += "ab";
      texts.insert(texts.end(), {std::string(k, '1'), ab, ab + "c", "AB-" + std::string(k, '1'),
                                 std::string(k, 'a') + "abb", std::string(k, 'x')});
    }
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
      std::string t(rng() % 13, ' ');
      for (char& c : t) c = alphabet[rng() % alphabet.size()];
      texts.push_back(t);
    }
    for (const auto& t : texts)
      EXPECT_EQ(re.Program()->MatchesWhole(t), Matches(pattern, t)) << pattern << " on " << t;
  }
}

TEST(Matching, RefusedCharacterLeavesTheAutomatonWhereItWas) {
  TleRegExpr re;
  Compile(re, "a");
  EXPECT_TRUE(re.FeedChar('a'));
  EXPECT_FALSE(re.FeedChar('b'));
  EXPECT_TRUE(re.IsFinalState());
}

TEST(Matching, BoundedRepeatRefusesTheCharacterBeyondItsBound) {
  TleRegExpr re;
  Compile(re, "x{1,3}");
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(re.FeedChar('x')) << i;
  EXPECT_FALSE(re.FeedChar('x'));
  EXPECT_TRUE(re.IsFinalState());
}

TEST(Matching, EmptyTextIsFinalRightAfterCompileOnlyWhenThePatternAllowsIt) {
  TleRegExpr star, plus;
  Compile(star, "a*");
  Compile(plus, "a+");
  EXPECT_TRUE(star.IsFinalState());
  EXPECT_FALSE(plus.IsFinalState());
}

TEST(Matching, NotCompiledExpressionRaises) {
  TleRegExpr re;
  EXPECT_THROW(re.FeedChar('a'), std::logic_error);
  try {
    re.IsFinalState();
    FAIL();
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "Regular expression is not compiled");
  }
}

TEST(Matching, FailedCompileLeavesNothingAndTheNextCompileStartsAfresh) {
  TleRegExpr re;
  Compile(re, "ab");
  ASSERT_TRUE(re.FeedChar('a'));
  EXPECT_THROW(Compile(re, "a**"), EleRegExprError);
  EXPECT_FALSE(re.Compiled());
  EXPECT_THROW(re.FeedChar('b'), std::logic_error);
  Compile(re, "b");
  EXPECT_EQ(re.Errors().Count(), 0);
  EXPECT_TRUE(re.FeedChar('b'));
  EXPECT_TRUE(re.IsFinalState());
}

TEST(Matching, DateAndTimeSeparatorsAreReadWhenTheCharacterIsFed) {
  TleRegExpr re;
  Compile(re, "\\d/\\d:\\d[/]");
  SetDateSeparator('-');
  EXPECT_TRUE(re.FeedChar('1'));
  EXPECT_FALSE(re.FeedChar('.'));
  EXPECT_TRUE(re.FeedChar('-'));
  EXPECT_TRUE(re.FeedChar('2'));
  SetTimeSeparator('h');
  EXPECT_FALSE(re.FeedChar(':'));
  EXPECT_TRUE(re.FeedChar('h'));
  EXPECT_TRUE(re.FeedChar('3'));
  SetDateSeparator('/');
  EXPECT_FALSE(re.FeedChar('-'));
  EXPECT_TRUE(re.FeedChar('/'));
  EXPECT_TRUE(re.IsFinalState());
  EXPECT_TRUE(re.Program()->MatchesWhole("1/2h3/"));
  SetDateSeparator('.');
  SetTimeSeparator(':');
  EXPECT_TRUE(re.Program()->MatchesWhole("1.2:3."));
}

TEST(Matching, DecimalSeparatorIsTakenWhenThePatternIsScanned) {
  SetDecimalSeparator(',');
  TleRegExpr re;
  Compile(re, "1\\p5");
  SetDecimalSeparator('.');
  EXPECT_TRUE(re.Program()->MatchesWhole("1,5"));
  EXPECT_FALSE(re.Program()->MatchesWhole("1.5"));
}

TEST(Matching, DumpTextShowsTheTree) {
  TleRegExpr re;
  Compile(re, "a(b)?");
  EXPECT_EQ(re.DumpText(),
            "<Start_Alt>\r\nitem --> \r\n<Start_Block>\r\n<Start_Alt>\r\nitem --> \r\n"
            "<Finish_Alt>\r\n<Finish_Block> --> ?\r\n<Finish_Alt>\r\n");
}

// Patterns that make backtracking matchers take exponential time are
// answered in one pass over the text.
TEST(Matching, PathologicalPatternsStayLinear) {
  const std::string many(100000, 'a');
  EXPECT_FALSE(Matches("(a|a)*b", many));
  EXPECT_FALSE(Matches("(a+)+b", many));
  EXPECT_TRUE(Matches("(a|aa)*", many));
  EXPECT_FALSE(Matches("(.*)(.*)(.*)(.*)(.*)x", many));
  EXPECT_TRUE(Matches("(a?){30}a{30}", std::string(30, 'a')));
}

}  // namespace
}  // namespace kelmo::regexpr
