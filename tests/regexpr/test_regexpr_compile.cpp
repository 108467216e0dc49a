// Compiling: the scanner's and parser's findings, all collected and raised
// together with their positions, and patterns that must compile.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "regexpr/regexpr.h"
#include "regexpr/regexpr_lexems.h"
#include "regexpr/regexpr_parser.h"
#include "regexpr/regexpr_scanner.h"

namespace kelmo::regexpr {
namespace {

// The findings of compiling pattern, empty when it compiles.
std::vector<TleRegExprError> CompileErrors(const std::string& pattern) {
  TleRegExpr re;
  std::istringstream in(pattern);
  try {
    re.CompileStream(&in);
  } catch (const EleRegExprError& e) {
    EXPECT_STREQ(e.what(), "");
    EXPECT_GT(e.Errors().Count(), 0);
    EXPECT_FALSE(re.Compiled());
    return {e.Errors().begin(), e.Errors().end()};
  }
  EXPECT_TRUE(re.Compiled());
  return {};
}

struct ErrorCase {
  std::string pattern;
  std::vector<TleRegExprError> errors;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << "\"" << c.pattern << "\"";
}

class ErrorTable : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorTable, GivesExactlyTheseFindings) {
  const auto found = CompileErrors(GetParam().pattern);
  ASSERT_EQ(found.size(), GetParam().errors.size()) << GetParam().pattern;
  for (size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].message, GetParam().errors[i].message) << GetParam().pattern;
    EXPECT_EQ(found[i].line, GetParam().errors[i].line) << GetParam().pattern;
    EXPECT_EQ(found[i].position, GetParam().errors[i].position) << GetParam().pattern;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, ErrorTable,
    ::testing::Values(
        ErrorCase{"", {{0, 0, "The source stream is empty"}}},
        ErrorCase{" \t\r\n", {{0, 0, "The source stream is empty"}}},
        ErrorCase{"(a", {{0, 0, "Missing ')'"}}}, ErrorCase{"a)", {{0, 0, "Unnecessary ')'"}}},
        // Only the final count of parentheses is judged by the scanner.
        ErrorCase{")(", {{1, 1, "Illegal ')'"}, {0, 0, "The alternative should not be empty"}}},
        ErrorCase{"[ab", {{1, 4, "Missing ']'"}}}, ErrorCase{"a{2", {{1, 4, "Missing '}'"}}},
        ErrorCase{"'ab", {{1, 4, "Missing ' ' '"}}}, ErrorCase{"a{'}", {{1, 3, "Illegal ' ' '"}}},
        ErrorCase{"a{x}", {{1, 3, "Illegal 'x'"}}},
        ErrorCase{"a\\ b", {{1, 3, "The space character is not allowed after '\\'"}}},
        ErrorCase{"\\x4", {{1, 4, "Hexadecimal number expected"}}},
        ErrorCase{"\\x", {{1, 3, "Hexadecimal number expected"}}},
        ErrorCase{"\\x4g", {{1, 4, "Hexadecimal number expected but 'g' found"}}},
        ErrorCase{"a|", {{0, 0, "The alternative should not be empty"}}},
        ErrorCase{"a||b", {{1, 3, "The alternative should not be empty"}}},
        ErrorCase{"|a", {{1, 1, "The alternative should not be empty"}}},
        ErrorCase{"()", {{1, 2, "The block should not be empty"}}},
        ErrorCase{"(a|)", {{1, 4, "The block should not be empty"}}},
        ErrorCase{"*a", {{1, 1, "Illegal quantifier '*'"}}},
        ErrorCase{"+", {{1, 1, "Illegal quantifier '+'"}}},
        ErrorCase{"?", {{1, 1, "Illegal quantifier '?'"}}},
        ErrorCase{"a**", {{1, 3, "The '*' quantifier cannot be applied here"}}},
        ErrorCase{"a?+", {{1, 3, "The '+' quantifier cannot be applied here"}}},
        ErrorCase{"(a?)*", {{1, 5, "The '*' quantifier cannot be applied here"}}},
        ErrorCase{"a?{2}", {{1, 3, "The parameter quantifier cannot be applied here"}}},
        ErrorCase{"{2}",
                  {{1, 1, "Incorrect parameter quantifier"},
                   {1, 2, "Illegal integer value"},
                   {1, 3, "Illegal '}'"}}},
        ErrorCase{"x{3,2}",
                  {{1, 5, "Incorrect parameter quantifier"},
                   {1, 5, "Illegal integer value"},
                   {1, 6, "Illegal '}'"}}},
        ErrorCase{"x{,2}",
                  {{1, 3, "Incorrect parameter quantifier"},
                   {1, 3, "Illegal ','"},
                   {1, 4, "Illegal integer value"},
                   {1, 5, "Illegal '}'"}}},
        ErrorCase{"a-b]}", {}}, ErrorCase{"\\1(a)", {{1, 1, "Too big reference number"}}},
        ErrorCase{"(a)\\2", {{1, 4, "Too big reference number"}}},
        ErrorCase{"[]", {{1, 2, "Can't create empty enumeration"}}},
        ErrorCase{"[^]", {{1, 3, "Can't create empty enumeration"}}},
        ErrorCase{"[ ]", {{1, 3, "Can't create empty enumeration"}}},
        ErrorCase{"[a-a]",
                  {{1, 4,
                    "The starting character of the subrange must be less than "
                    "the finishing one"}}},
        ErrorCase{"[z-a]",
                  {{1, 4,
                    "The starting character of the subrange must be less than "
                    "the finishing one"}}},
        ErrorCase{"[a-c-e]", {{1, 5, "Illegal '-'"}}}, ErrorCase{"[a-", {{1, 4, "Missing ']'"}}},
        ErrorCase{"x{99999999999}",
                  {{1, 3, "Incorrect parameter quantifier"},
                   {1, 3, "Illegal integer value"},
                   {1, 14, "Illegal '}'"}}},
        ErrorCase{"x{100000}", {{1, 2, "The regular expression is too complex"}}},
        ErrorCase{"((x{60}){60}){60}", {{1, 9, "The regular expression is too complex"}}},
        // Every finding of the parse comes out at once.
        ErrorCase{"a**|+|(b|)",
                  {{1, 3, "The '*' quantifier cannot be applied here"},
                   {1, 5, "Illegal quantifier '+'"},
                   {1, 10, "The block should not be empty"}}},
        // Positions count lines by CR and restart at each LF.
        ErrorCase{"a\r\nb**", {{2, 3, "The '*' quantifier cannot be applied here"}}}));

TEST(Compile, MissingStreamIsReported) {
  TleRegExpr re;
  try {
    re.CompileStream(nullptr);
    FAIL();
  } catch (const EleRegExprError& e) {
    ASSERT_EQ(e.Errors().Count(), 1);
    EXPECT_EQ(e.Errors().Item(0), (TleRegExprError{0, 0, "The source stream is not assigned"}));
  }
}

TEST(Compile, ErrorsOutliveTheExpressionThatRaisedThem) {
  TleRegExprErrors kept;
  {
    TleRegExpr re;
    std::istringstream in("a**");
    try {
      re.CompileStream(&in);
    } catch (const EleRegExprError& e) {
      kept = e.Errors().Duplicate();
    }
  }
  ASSERT_EQ(kept.Count(), 1);
  EXPECT_EQ(kept.Item(0).message, "The '*' quantifier cannot be applied here");
}

TEST(Compile, SpacesOutsideQuotesMeanNothing) {
  TleRegExpr spaced, plain;
  std::istringstream a("a b"), b("ab");
  spaced.CompileStream(&a);
  plain.CompileStream(&b);
  EXPECT_EQ(spaced.DumpText(), plain.DumpText());
}

TEST(Compile, ZeroBoundsGiveAnEmptyGroup) {
  TleRegExpr re;
  std::istringstream in("x{0}");
  re.CompileStream(&in);
  EXPECT_EQ(re.DumpText(),
            "<Start_Alt>\r\n<Start_Block>\r\n<Start_Alt>\r\n<Finish_Alt>\r\n<Finish_Block> --> "
            "\r\n<Finish_Alt>\r\n");
}

TEST(Compile, BoundsBecomeAnOptionalChain) {
  // «x{1,3}» is «x(xx?)?».
  TleRegExpr bounded, spelled;
  std::istringstream a("x{1,3}"), b("(x(xx?)?)");
  bounded.CompileStream(&a);
  spelled.CompileStream(&b);
  EXPECT_EQ(bounded.DumpText(), spelled.DumpText());
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Patterns whose expansion or nesting would exhaust memory or the stack are
// refused with one finding; large ones within the bound compile and match.
TEST(Compile, ExpansionAndNestingAreBounded) {
  const std::string tooComplex = "The regular expression is too complex";
  const struct {
    std::string pattern;
    bool compiles;
  } cases[] = {
      {Repeat("(", 100000) + "a" + Repeat(")", 100000), false},
      {Repeat("(", 400) + "a" + Repeat(")", 400), true},
      {"x{0,400}", true},
      {"x{0,4000}", false},
      {"(a)(\\1\\1)(\\2\\2)(\\3\\3)(\\4\\4)(\\5\\5)(\\6\\6)(\\7\\7)(\\8\\8)(\\9\\9)"
       "(\\9\\9)(\\9\\9)",
       false},
      {"a" + Repeat("?", 3000), false},
      {Repeat("a?", 2000), true},
      {Repeat("(a?)", 1000), true},
      {"((((a{2}){2}){2}){2}){2}", true},
      {"x{4294967296}", false},
  };
  for (const auto& c : cases) {
    const auto found = CompileErrors(c.pattern);
    if (c.compiles) {
      EXPECT_TRUE(found.empty()) << c.pattern.substr(0, 40) << ": " << found.front().message;
    } else {
      ASSERT_FALSE(found.empty()) << c.pattern.substr(0, 40);
    }
  }
  EXPECT_EQ(CompileErrors("x{0,4000}").front().message, tooComplex);
  EXPECT_EQ(CompileErrors(Repeat("(", 1000) + "a" + Repeat(")", 1000)).front().message, tooComplex);
}

TEST(Scanner, LexemesOfBracketsAndBraces) {
  TleLexems lexems;
  TleRegExprErrors errors;
  ScanPattern("[^a-\\d/]{1, 23}\\12.", lexems, errors);
  EXPECT_EQ(errors.Count(), 0);
  std::vector<std::pair<std::uint32_t, std::string>> got;
  for (const auto& l : lexems) got.emplace_back(l.kind, l.text);
  const std::vector<std::pair<std::uint32_t, std::string>> want = {
      {lkOperator, "["},  {lkOperator, "^"},      {lkSymbol, "a"},   {lkOperator, "-"},
      {lkDigit, "d"},     {lkDateSeparator, "/"}, {lkOperator, "]"}, {lkOperator, "{"},
      {lkInteger, "1"},   {lkOperator, ","},      {lkInteger, "23"}, {lkOperator, "}"},
      {lkReference, "1"}, {lkSymbol, "2"},        {lkAnyChar, "."}};
  EXPECT_EQ(got, want);
  EXPECT_EQ(lexems[12].position, 16u);  // a reference takes the backslash's place
}

TEST(Scanner, TopLevelSpecialsAreSymbols) {
  TleLexems lexems;
  TleRegExprErrors errors;
  ScanPattern("]}-,^$", lexems, errors);
  ASSERT_EQ(lexems.size(), 6u);
  for (const auto& l : lexems) EXPECT_EQ(l.kind, lkSymbol) << l.text;
}

}  // namespace
}  // namespace kelmo::regexpr
