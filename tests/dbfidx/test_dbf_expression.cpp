// Expression language and function library: parsing, precedence, types,
// errors and the functions' edges.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "dbf/dbf_expression.h"
#include "dbf/dbf_expression_tools.h"
#include "dbf/dbf_functions.h"

using namespace kelmo::dbf;

namespace {

// A record of named text, number, date and logical fields.
class RecordLink : public TdfExpUserLink {
 public:
  class Field : public TdfUserDefFieldVar {
   public:
    Field(RecordLink* owner, const std::string& name, int width)
        : TdfUserDefFieldVar(name, width), owner_(owner) {}
    void Evaluate(TdfExpVariant& value, uint8_t& type) override {
      auto& cell = owner_->values.at(FirstName());
      value = cell.first;
      type = cell.second;
    }

   private:
    RecordLink* owner_;
  };
  void Set(const std::string& name, TdfExpVariant v, uint8_t type, int width = 10) {
    if (!values.count(name)) AddFieldVars(std::make_shared<Field>(this, name, width));
    values[name] = {std::move(v), type};
  }
  std::map<std::string, std::pair<TdfExpVariant, uint8_t>> values;
};

class ExpressionTest : public ::testing::Test {
 protected:
  ExpressionTest() {
    link.Set("NAME", std::string("Smith  "), etText);
    link.Set("CITY", std::string("Omsk"), etText);
    link.Set("AMOUNT", 12.5, etNumber, 8);
    link.Set("PAID", true, etBoolean, 1);
    link.Set("BORN", static_cast<double>(exptools::TextToJulian("20020430")), etDate, 8);
  }
  TdfExpVariant Eval(const std::string& text, uint8_t* type = nullptr) {
    TdfExpHandler h(&link, text);
    TdfExpVariant v;
    h.Evaluate(v);
    if (type) *type = h.GetResultType();
    return v;
  }
  std::string Text(const std::string& e) { return std::get<std::string>(Eval(e)); }
  double Num(const std::string& e) { return std::get<double>(Eval(e)); }
  bool Bool(const std::string& e) { return std::get<bool>(Eval(e)); }
  std::string Error(const std::string& e) {
    try {
      Eval(e);
    } catch (const EDbfExpression& x) {
      return x.what();
    }
    return "no error";
  }
  RecordLink link;
};

TEST_F(ExpressionTest, ArithmeticPrecedenceAndAssociation) {
  EXPECT_EQ(Num("2+3*4"), 14);
  EXPECT_EQ(Num("2^3"), 8);
  EXPECT_EQ(Num("2**3"), 8);
  EXPECT_EQ(Num("2^0"), 2);
  EXPECT_EQ(Num("2^1"), 2);
  EXPECT_EQ(Num("10-2-3"), 5);
  EXPECT_EQ(Num("(2+3)*4"), 20);
  EXPECT_EQ(Num("AMOUNT*2"), 25);
  EXPECT_EQ(Num("-5+1"), -4);
}

TEST_F(ExpressionTest, NotBindsToTheRestAfterTheStart) {
  link.Set("A", true, etBoolean);
  link.Set("B", false, etBoolean);
  link.Set("C", true, etBoolean);
  // (NOT A) AND B at the start.
  EXPECT_FALSE(Bool("NOT A AND B"));
  EXPECT_FALSE(Bool(".NOT. A .AND. B"));
  // C AND NOT A OR B is C AND ((NOT A) OR B): false; (C AND NOT A) OR B would be false too,
  // so set B true to tell them apart.
  link.Set("B", true, etBoolean);
  link.Set("C", false, etBoolean);
  EXPECT_FALSE(Bool("C AND NOT A OR B"));
  EXPECT_TRUE(Bool("(C AND NOT A) OR B"));
  EXPECT_TRUE(Bool("!C"));
  EXPECT_TRUE(Bool("c .or. b"));
}

TEST_F(ExpressionTest, TextComparisonAndOperators) {
  EXPECT_TRUE(Bool("NAME = \"Smith\""));
  EXPECT_TRUE(Bool("\"abc  \" = \"abc\""));
  EXPECT_FALSE(Bool("\"\" = \"a\""));
  EXPECT_TRUE(Bool("\"\" < \"a\""));
  EXPECT_TRUE(Bool("NAME = \"Sm*\""));
  EXPECT_FALSE(Bool("NAME = \"S*h\""));
  EXPECT_TRUE(Bool("\"mi\" $ NAME"));
  EXPECT_EQ(Text("\"ab  \" - \"c\""), "abc  ");
  EXPECT_EQ(Text("\"ab\" + CITY"), "abOmsk");
  EXPECT_TRUE(Bool("CITY # 'Tomsk'"));
  EXPECT_TRUE(Bool("CITY <> [Tomsk]"));
  EXPECT_TRUE(Bool("BORN = {30.04.2002}"));
  EXPECT_TRUE(Bool("CITY GE \"A\""));
}

TEST_F(ExpressionTest, ErrorsCarryTheEngineTexts) {
  struct Case {
    const char* expression;
    const char* message;
  } cases[] = {
      {"\"a\" + \"b\" * 2", "The two sides of an operation do not match"},
      {"1 +", "Target value missing for + operation"},
      {"UPPER (NAME)", "There is no function for UPPER"},
      {"NOSUCH", "There is no function for NOSUCH"},
      {"FOO(1)", "There is no function for FOO"},
      {"\"a\" == \"a\"", "A assigned value is required but invalid"},
      {"\"abc", "Missing closing \"\"\" on literal"},
      {"[abc", "Missing closing \"[\" on literal"},
      {"(1+2", "Missing closing parentheses"},
      {"UPPER(NAME", "Missing closing parentheses"},
      {".X.", "Expecting \".T.\" or \".F.\""},
      {".T", "Missing closing period"},
      {"1 2", "Syntax Error in expression \"1 2\""},
      {"PAID + PAID", "A number value is required but invalid"},
      {"UPPER(1)", "Text needed for Argument 1 of UPPER"},
      {"MAX(1, AMOUNT, PAID)", "All arguments for Max() must be of the same type"},
      {"MAX()", "A value is required for Max()"},
      {"CHR(256)", "A Byte value is required but invalid"},
      {"FV(1, 0.1, 3, 0, 2)", "Argument for FV PaymentTime must be 0 or 1"},
      {"ACOS(2)", "Argument for ACOS must be -1 to +1"},
      {"LOG(0)", "Argument for LOG10 must be > 0"},
      {"PADL()", "Value needed for Argument 1 of Pad"},
      {"PADL(1, 5, \"ab\")", "A Char value is required but invalid"},
  };
  for (const Case& c : cases) EXPECT_EQ(Error(c.expression), c.message) << c.expression;
  EXPECT_THROW(TdfExpHandler(nullptr, "NAME"), EDbfExpression);
  try {
    TdfExpHandler h(nullptr, "TRUE");
  } catch (const EDbfExpression& e) {
    EXPECT_STREQ(e.what(), "Field/variable TRUE is unknown");
  }
}

TEST_F(ExpressionTest, ExpressionTextAndNames) {
  TdfExpHandler h(&link, "upper(name) + city");
  EXPECT_EQ(h.ExpressionText(), "UPPER(NAME)+CITY");
  EXPECT_EQ(h.ExpressionNodeNames(16), "NAME;CITY;");
  EXPECT_EQ(h.operandCount, 3);
  TdfExpHandler empty(&link, "");
  EXPECT_FALSE(empty.HasRoot());
  TdfExpVariant v;
  empty.Evaluate(v);
  EXPECT_EQ(empty.GetResultType(), etUnknown);
}

TEST_F(ExpressionTest, TextFunctions) {
  EXPECT_EQ(Num("AT(\"a\", \"banana\", 2)"), 4);
  EXPECT_EQ(Num("AT(\"n\", \"mon\", 2)"), 3);
  EXPECT_EQ(Num("AT(\"x\", \"mon\")"), 0);
  EXPECT_EQ(Num("AT(\"ana\", \"banana\", 2)"), 4);
  EXPECT_EQ(Num("ATC(\"A\", \"banana\")"), 2);
  EXPECT_EQ(Text("LEFT(\"ab\", 4)"), "ab  ");
  EXPECT_EQ(Text("RIGHT(\"abc\", 0)"), "abc");
  EXPECT_EQ(Text("RIGHT(\"abc\", 2)"), "bc");
  EXPECT_EQ(Text("SOUNDEX(\"AEIOU\")"), "A000");
  EXPECT_EQ(Text("SOUNDEX(\"Robert\")"), "R163");
  EXPECT_EQ(Text("SOUNDEX(\"\")"), "0000");
  EXPECT_EQ(Text("STR(12345.678, 5, 2)"), "*****");
  EXPECT_EQ(Text("STR(3.14159, 6, 2)"), "  3.14");
  EXPECT_EQ(Text("STR(42)"), "        42");
  EXPECT_EQ(Text("STRZERO(-5, 4)"), "00-5");
  EXPECT_EQ(Text("SUBSTR(\"abcdef\", 2, 3)"), "bcd");
  EXPECT_EQ(Text("SUBSTR(\"abcdef\", 0)"), "");
  EXPECT_EQ(Text("SUBSTR(\"abcdef\", 5, 10)"), "ef");
  EXPECT_EQ(Text("STRTRAN(\"aXbXcX\", \"X\", \"-\", 2, 1)"), "aXb-cX");
  EXPECT_EQ(Text("PADC(\"ab\", 5, \"*\")"), "*ab**");
  EXPECT_EQ(Text("PADL(7, 3, \"0\")"), "007");
  EXPECT_EQ(Text("PROPER(\"o'neil mc-DONALD\")"), "O'neil Mc-Donald");
  EXPECT_EQ(Text("ALLTRIM(\"  x \")"), "x");
  EXPECT_EQ(Text("UPPER(\"abc\")"), "ABC");
  EXPECT_EQ(Text("SPACE(3)"), "   ");
  EXPECT_EQ(Num("VAL(\"12.5\")"), 12.5);
  EXPECT_EQ(Num("VAL(\"x\")"), 0);
  EXPECT_EQ(Text("CHR(65)"), "A");
  EXPECT_EQ(Num("LEN(NAME)"), 7);
  // An empty argument is dropped; the next one takes its place.
  EXPECT_EQ(Text("SUBSTR(\"abcdef\",,2)"), "bcdef");
}

TEST_F(ExpressionTest, LogicalDateAndNumberFunctions) {
  EXPECT_TRUE(Bool("EMPTY(.F.)"));
  EXPECT_TRUE(Bool("EMPTY(\"   \")"));
  EXPECT_FALSE(Bool("EMPTY(NAME)"));
  EXPECT_TRUE(Bool("EMPTY(CTOD(\"\"))"));
  EXPECT_TRUE(Bool("INLIST(NAME, \"Jones\", \"Smith\")"));
  EXPECT_TRUE(Bool("BETWEEN(AMOUNT, 10, 20)"));
  EXPECT_EQ(Text("DTOS(BORN)"), "20020430");
  EXPECT_EQ(Text("DTOC(BORN)"), "30.04.2002");
  EXPECT_EQ(Text("DTOC(CTOD(\"\"))"), "          ");
  EXPECT_EQ(Text("DTOS(CTOD(\"\"))"), "        ");
  EXPECT_EQ(Num("DOW(CTOD(\"20240107\"))"), 1);  // a Sunday
  // Dates moved outside the calendar, or made NaN, are the empty date.
  const std::string huge(400, '9');  // reads as infinity
  for (const std::string& far : std::vector<std::string>{
           "BORN + " + huge, "BORN - " + huge, "BORN - 3000000", "BORN + 4000000",
           "BORN + 99999999999999999999", "BORN + (" + huge + " - " + huge + ")"}) {
    EXPECT_EQ(Text("DTOS(" + far + ")"), "        ") << far;
    EXPECT_EQ(Text("DTOC(" + far + ")"), "          ") << far;
    EXPECT_EQ(Num("DOW(" + far + ")"), 0) << far;
  }
  EXPECT_EQ(Num("MOD(-7, 3)"), -1);
  EXPECT_EQ(Num("MAX(3, 9, 4)"), 9);
  EXPECT_EQ(Num("INT(-2.7)"), -2);
  EXPECT_EQ(Num("DESCEND(5)"), -5);
  EXPECT_EQ(Text("DESCEND(\"A\")"), std::string(1, static_cast<char>(256 - 'A')));
  EXPECT_NEAR(Num("FV(100, 0.05, 10)"), 1257.789, 1e-3);
  EXPECT_NEAR(Num("PV(100, 0.05, 10)"), 772.173, 1e-3);
  EXPECT_EQ(Text("IIF(PAID, \"yes\", \"no\")"), "yes");
  uint8_t type = 0;
  Eval("IIF(.F., 1)", &type);
  EXPECT_EQ(type, etEmpty);
  EXPECT_NEAR(Num("PI"), 3.14159265, 1e-8);
  EXPECT_TRUE(Bool("TRUE .AND. .T."));
}

TEST_F(ExpressionTest, EvaluatesIntoTypedValues) {
  TdfVariant v;
  TdfExpHandler text(&link, "CITY");
  text.EvaluateToVariant(v);
  EXPECT_EQ(v.GetType(), TdfVariant::kText);
  EXPECT_EQ(v.GetAsString(), "Omsk");
  TdfExpHandler date(&link, "BORN");
  date.EvaluateToVariant(v);
  EXPECT_EQ(v.GetType(), TdfVariant::kDate);
  EXPECT_EQ(v.GetAsDate(), exptools::TextToJulian("20020430"));
  TdfExpHandler logical(&link, "PAID");
  logical.EvaluateToVariant(v);
  EXPECT_EQ(v.GetType(), TdfVariant::kLogical);
  TdfExpHandler none(&link, "");
  none.EvaluateToVariant(v);
  EXPECT_EQ(v.GetType(), TdfVariant::kText);
  EXPECT_EQ(none.GetResultType(), etUnknown);
}

TEST_F(ExpressionTest, HostileInputFailsCleanly) {
  std::string deep(5000, '(');
  EXPECT_THROW(Eval(deep + "1" + std::string(5000, ')')), EDbfExpression);
  EXPECT_EQ(Text("SPACE(1000000000000)").size(), 65535u);
  EXPECT_TRUE(std::isinf(Num("2^100000")));
  EXPECT_NO_THROW(Eval("0.9999^1000000000000000"));
}

}  // namespace
