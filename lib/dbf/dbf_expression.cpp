// Expression language: scanner, tree building, operator evaluation and the
// name registries. Layer: expressions, above the engine tools and below the
// index files, filters and the dataset.
#include "dbf_expression.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "date_values.h"
#include "dbf_expression_tools.h"

namespace kelmo::dbf {

using namespace exptools;

namespace {

constexpr int kMaxNesting = 200;  // deeper groups would exhaust the stack

enum OperatorCode : uint8_t {
  opEq = 129,
  opNe = 130,
  opGt = 131,
  opLt = 132,
  opGe = 133,
  opLe = 134,
  opIn = 135,
  opExact = 136,
  opPlus = 137,
  opMinus = 138,
  opTimes = 139,
  opDivide = 140,
  opPower = 141,
  opAnd = 144,
  opOr = 145,
  opNot = 146,
};

struct OperatorInfo {
  const char* symbol;
  uint8_t code;
  int precedence;
  const char* name;
};

constexpr OperatorInfo kSymbolOperators[] = {
    {"^", opPower, 2, "^"},  {"**", opPower, 2, "^"},     {"*", opTimes, 3, "*"},
    {"/", opDivide, 3, "/"}, {"+", opPlus, 4, "+"},       {"-", opMinus, 4, "-"},
    {"=", opEq, 5, "="},     {"<>", opNe, 5, "#"},        {"!=", opNe, 5, "#"},
    {"#", opNe, 5, "#"},     {">", opGt, 5, ">"},         {"<", opLt, 5, "<"},
    {">=", opGe, 5, ">="},   {"=>", opGe, 5, ">="},       {"<=", opLe, 5, "<="},
    {"=<", opLe, 5, "<="},   {"$", opIn, 5, "in string"}, {"==", opExact, 5, "exactly equal"},
};

constexpr OperatorInfo kWordOperators[] = {
    {"AND", opAnd, 7, ".AND."}, {"OR", opOr, 8, ".OR."}, {"EQ", opEq, 5, "="}, {"NE", opNe, 5, "#"},
    {"GE", opGe, 5, ">="},      {"LE", opLe, 5, "<="},   {"LT", opLt, 5, "<"}, {"GT", opGt, 5, ">"},
};

constexpr OperatorInfo kNotOperator = {"NOT", opNot, 6, ".NOT."};

bool IsLetter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsIdentChar(char c) {
  return IsLetter(c) || IsDigit(c) || c == '_';
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string TrimBlanks(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string RTrimBlanks(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

class TdfExpContainer : public TdfExpBaseObject {
 public:
  TdfExpContainer() { kind = enGroup; }
  std::string ExpressionText() const override {
    return "(" + (right ? right->ExpressionText() : std::string()) + ")";
  }
  void CollectNames(int k, std::string& out) const override {
    if (right) right->CollectNames(k, out);
  }
  void Evaluate(TdfExpVariant& value, uint8_t& type) override {
    if (!right) {
      value = std::monostate{};
      type = etEmpty;
    } else {
      right->Evaluate(value, type);
    }
    resultType = type;
  }
};

class TdfExpOperator : public TdfExpBaseObject {
 public:
  TdfExpOperator(const OperatorInfo& info, bool caseInsensitive, bool wildcard)
      : code(info.code),
        precedence(info.precedence),
        name_(info.name),
        caseInsensitive_(caseInsensitive),
        wildcard_(wildcard) {
    kind = enOperator;
  }
  std::string NodeName() const override { return name_; }
  void Evaluate(TdfExpVariant& value, uint8_t& type) override;

  uint8_t code;
  int precedence;

 private:
  int CompareText(const TdfExpVariant& l, const TdfExpVariant& r) const;
  std::string name_;
  bool caseInsensitive_;
  bool wildcard_;
};

class TdfExpFieldvar : public TdfExpBaseObject {
 public:
  explicit TdfExpFieldvar(TdfUserDefFieldVar* var) : var_(var) {
    kind = enName;
    length = var->Width();
  }
  std::string NodeName() const override { return var_->FirstName(); }
  int NameKind() const override { return var_->FieldVarKind(); }
  void Evaluate(TdfExpVariant& value, uint8_t& type) override {
    var_->Evaluate(value, type);
    resultType = type;
  }

 private:
  TdfUserDefFieldVar* var_;
};

class TdfExpTextLit : public TdfExpBaseObject {
 public:
  explicit TdfExpTextLit(std::string text) : text_(std::move(text)) {
    kind = enTextLit;
    resultType = etText;
    length = static_cast<int32_t>(text_.size());
  }
  std::string NodeName() const override { return "\"" + text_ + "\""; }
  void Evaluate(TdfExpVariant& value, uint8_t& type) override {
    value = text_;
    type = etText;
  }

 private:
  std::string text_;
};

class TdfExpNumLit : public TdfExpBaseObject {
 public:
  TdfExpNumLit(double v, int32_t len, int32_t dec) : value_(v) {
    kind = enNumLit;
    resultType = etNumber;
    length = len;
    decimals = dec;
  }
  std::string NodeName() const override {
    return TrimBlanks(DbfFormat("%20.*f", static_cast<int>(std::min(decimals, 18)), value_));
  }
  void Evaluate(TdfExpVariant& value, uint8_t& type) override {
    value = value_;
    type = etNumber;
  }

 private:
  double value_;
};

class TdfExpDateLit : public TdfExpBaseObject {
 public:
  explicit TdfExpDateLit(double day) : day_(day) {
    kind = enDateLit;
    resultType = etDate;
  }
  std::string NodeName() const override {
    return "{" + TdfDBFDate::JulianToLocaleText(static_cast<int32_t>(day_)) + "}";
  }
  void Evaluate(TdfExpVariant& value, uint8_t& type) override {
    value = day_;
    type = etDate;
  }

 private:
  double day_;
};

class TdfExpBlnLit : public TdfExpBaseObject {
 public:
  explicit TdfExpBlnLit(bool v) : value_(v) {
    kind = enBlnLit;
    resultType = etBoolean;
  }
  std::string NodeName() const override { return value_ ? ".T." : ".F."; }
  void Evaluate(TdfExpVariant& value, uint8_t& type) override {
    value = value_;
    type = etBoolean;
  }

 private:
  bool value_;
};

[[noreturn]] void InvalidValue(const char* what) {
  throw EDbfExpression(DbfFormat("A %s value is required but invalid", what));
}

bool IsEmptyText(const TdfExpVariant& v) {
  if (std::holds_alternative<std::monostate>(v)) return true;
  if (auto* s = std::get_if<std::string>(&v)) return s->empty();
  return false;
}

int TdfExpOperator::CompareText(const TdfExpVariant& l, const TdfExpVariant& r) const {
  bool le = IsEmptyText(l), re = IsEmptyText(r);
  if (le && re) return 0;
  if (le) return -1;
  if (re) return 1;
  std::string a = RTrimBlanks(VariantToText(l));
  std::string b = RTrimBlanks(VariantToText(r));
  if (caseInsensitive_) {
    a = UpperText(a);
    b = UpperText(b);
  }
  if (wildcard_ && !b.empty() && (b.front() == '*' || b.back() == '*')) {
    return WildcardPos(b, a) > 0 ? 0 : -1;
  }
  return LocaleCompare(a, b);
}

void TdfExpOperator::Evaluate(TdfExpVariant& value, uint8_t& type) {
  if (!right || (!left && code != opNot)) {
    throw EDbfExpression(DbfFormat("Target value missing for %s operation", name_.c_str()));
  }
  TdfExpVariant rv, lv;
  uint8_t rt = etUnknown, lt = etUnknown;
  right->Evaluate(rv, rt);
  if (left) {
    left->Evaluate(lv, lt);
  } else {
    lt = rt;
  }
  if (lt != rt && !(IsNumericFamily(lt) && IsNumericFamily(rt))) {
    throw EDbfExpression("The two sides of an operation do not match");
  }
  bool comparison = code >= opEq && code <= opExact;
  bool logical = code == opAnd || code == opOr || code == opNot;
  type = (comparison || logical) ? static_cast<uint8_t>(etBoolean) : rt;

  if (rt == etBoolean) {
    bool r = VariantToBool(rv);
    bool l = left ? VariantToBool(lv) : false;
    switch (code) {
      case opEq:
        value = (l == r);
        break;
      case opNe:
        value = (l != r);
        break;
      case opAnd:
        value = (l && r);
        break;
      case opOr:
        value = (l || r);
        break;
      case opNot:
        value = !r;
        break;
      case opPlus:
      case opMinus:
      case opTimes:
      case opDivide:
      case opPower:
        InvalidValue("number");
      default:
        InvalidValue("assigned");
    }
  } else if (IsNumericFamily(rt)) {
    double r = VariantToNumber(rv);
    double l = VariantToNumber(lv);
    switch (code) {
      case opPlus:
        value = l + r;
        break;
      case opMinus:
        value = l - r;
        break;
      case opTimes:
        value = l * r;
        break;
      case opDivide:
        value = l / r;
        break;
      case opPower: {
        // The exponent counts multiplications; past a few thousand the loop
        // would only approach pow's result slowly, so pow gives it at once.
        double exponent = std::trunc(r);
        double result = l;
        if (exponent > 4096) {
          result = std::pow(l, exponent);
        } else {
          for (double k = 2; k <= exponent; ++k) result *= l;
        }
        value = result;
        break;
      }
      case opEq:
        value = (l - r) == 0;
        break;
      case opNe:
        value = (l - r) != 0;
        break;
      case opGt:
        value = (l - r) > 0;
        break;
      case opLt:
        value = (l - r) < 0;
        break;
      case opGe:
        value = (l - r) >= 0;
        break;
      case opLe:
        value = (l - r) <= 0;
        break;
      default:
        InvalidValue("assigned");
    }
  } else if (rt == etText || rt == etMemo) {
    switch (code) {
      case opEq:
        value = CompareText(lv, rv) == 0;
        break;
      case opNe:
        value = CompareText(lv, rv) != 0;
        break;
      case opGt:
        value = CompareText(lv, rv) > 0;
        break;
      case opLt:
        value = CompareText(lv, rv) < 0;
        break;
      case opGe:
        value = CompareText(lv, rv) >= 0;
        break;
      case opLe:
        value = CompareText(lv, rv) <= 0;
        break;
      case opIn: {
        std::string needle = VariantToText(lv), hay = VariantToText(rv);
        value = hay.find(needle) != std::string::npos;
        break;
      }
      case opPlus:
        value = VariantToText(lv) + VariantToText(rv);
        break;
      case opMinus: {
        std::string l = VariantToText(lv), r = VariantToText(rv);
        size_t total = l.size() + r.size();
        std::string joined = RTrimBlanks(l) + r;
        joined.resize(total, ' ');
        value = joined;
        break;
      }
      default:
        InvalidValue("assigned");
    }
  } else {
    InvalidValue("assigned");
  }
  resultType = type;
}

}  // namespace

// ---------------------------------------------------------------------------
// Parser

class TdfExpParser {
 public:
  TdfExpParser(TdfExpHandler& handler, const std::string& whole) : h_(handler), whole_(whole) {}

  std::unique_ptr<TdfExpBaseObject> Parse(const std::string& text, int depth);

 private:
  [[noreturn]] void SyntaxError() {
    throw EDbfExpression(DbfFormat("Syntax Error in expression \"%s\"", whole_.c_str()));
  }
  static size_t MatchParen(const std::string& s, size_t open, bool skipQuotes);
  std::unique_ptr<TdfExpBaseObject> ParseFunction(const std::string& name, const std::string& inner,
                                                  int depth);
  std::unique_ptr<TdfExpBaseObject> ResolveName(const std::string& name, bool& found);
  void CountOperand(const TdfExpBaseObject& node) {
    ++h_.operandCount;
    if (node.kind == enName || node.kind == enNumLit) {
      h_.largestLength = std::max(h_.largestLength, node.length);
      h_.largestDecimals = std::max(h_.largestDecimals, node.decimals);
    }
  }

  TdfExpHandler& h_;
  std::string whole_;
};

size_t TdfExpParser::MatchParen(const std::string& s, size_t open, bool skipQuotes) {
  int depth = 0;
  for (size_t i = open; i < s.size(); ++i) {
    char c = s[i];
    if (skipQuotes) {
      char close = 0;
      if (c == '"' || c == '\'') close = c;
      if (c == '[') close = ']';
      if (c == '{') close = '}';
      if (close) {
        size_t e = s.find(close, i + 1);
        if (e == std::string::npos) return std::string::npos;
        i = e;
        continue;
      }
    }
    if (c == '(') ++depth;
    if (c == ')' && --depth == 0) return i;
  }
  return std::string::npos;
}

std::unique_ptr<TdfExpBaseObject> TdfExpParser::ResolveName(const std::string& name, bool& found) {
  found = false;
  if (!h_.owner_) throw EDbfExpression(DbfFormat("Field/variable %s is unknown", name.c_str()));
  TdfUserDefFieldVar* var = GlobalFieldVarRegistry().Find(name);
  if (!var) var = h_.owner_->FindFieldVar(name);
  if (!var) return nullptr;
  found = !var->qualifier;
  return std::make_unique<TdfExpFieldvar>(var);
}

std::unique_ptr<TdfExpBaseObject> TdfExpParser::ParseFunction(const std::string& name,
                                                              const std::string& inner, int depth) {
  std::string upper = Upper(name);
  TdfUserDefFunction* fn = GlobalFunctionRegistry().Find(upper);
  if (!fn && h_.owner_) fn = h_.owner_->FindFunction(upper);
  if (!fn) {
    if (h_.owner_) h_.owner_->UnknownFunction(upper);
    throw EDbfExpression(DbfFormat("There is no function for %s", upper.c_str()));
  }
  auto call = std::make_unique<TdfExpFunction>(&h_, fn);
  // Cut at commas outside quotes, brackets, braces and inner parentheses.
  std::vector<std::string> pieces;
  std::string piece;
  int paren = 0;
  for (size_t i = 0; i < inner.size(); ++i) {
    char c = inner[i];
    char close = 0;
    if (c == '"' || c == '\'') close = c;
    if (c == '[') close = ']';
    if (c == '{') close = '}';
    if (close) {
      size_t e = inner.find(close, i + 1);
      if (e == std::string::npos) e = inner.size() - 1;
      piece.append(inner, i, e - i + 1);
      i = e;
      continue;
    }
    if (c == '(') ++paren;
    if (c == ')') --paren;
    if (c == ',' && paren == 0) {
      pieces.push_back(piece);
      piece.clear();
      continue;
    }
    piece += c;
  }
  pieces.push_back(piece);
  for (const std::string& p : pieces) {
    std::string t = TrimBlanks(p);
    if (t.empty()) continue;  // an empty piece is dropped; later ones move up
    call->Args().push_back(Parse(t, depth + 1));
  }
  return call;
}

std::unique_ptr<TdfExpBaseObject> TdfExpParser::Parse(const std::string& input, int depth) {
  if (depth > kMaxNesting) SyntaxError();
  std::string s = TrimBlanks(input);
  std::vector<std::unique_ptr<TdfExpBaseObject>> items;
  size_t i = 0;
  bool expectOperand = true;
  auto skipBlanks = [&] {
    while (i < s.size() && s[i] == ' ') ++i;
  };
  auto makeOperator = [&](const OperatorInfo& info) {
    auto op = std::make_unique<TdfExpOperator>(info, h_.caseInsensitive, h_.wildcard);
    items.push_back(std::move(op));
  };

  while (true) {
    skipBlanks();
    if (i >= s.size()) break;
    char c = s[i];
    if (expectOperand) {
      // 1. Unary NOT.
      size_t notLen = 0;
      if (c == '!') {
        notLen = 1;
      } else if (c == '.' && s.size() - i >= 5 && Upper(s.substr(i, 5)) == ".NOT.") {
        notLen = 5;
      } else if (IsLetter(c) && s.size() - i >= 3 && Upper(s.substr(i, 3)) == "NOT" &&
                 (s.size() - i == 3 || !IsIdentChar(s[i + 3]))) {
        notLen = 3;
      }
      if (notLen) {
        if (items.empty()) {
          makeOperator(kNotOperator);
          i += notLen;
          continue;  // still expecting an operand
        }
        // NOT after the start applies to everything after it.
        auto group = std::make_unique<TdfExpContainer>();
        group->right = Parse(s.substr(i), depth + 1);
        items.push_back(std::move(group));
        i = s.size();
        expectOperand = false;
        continue;
      }
      if (c == '(') {
        size_t e = MatchParen(s, i, false);
        if (e == std::string::npos) throw EDbfExpression("Missing closing parentheses");
        auto group = std::make_unique<TdfExpContainer>();
        std::string inner = TrimBlanks(s.substr(i + 1, e - i - 1));
        if (!inner.empty()) group->right = Parse(inner, depth + 1);
        items.push_back(std::move(group));
        i = e + 1;
      } else if (c == '.') {
        size_t e = s.find('.', i + 1);
        if (e == std::string::npos) throw EDbfExpression("Missing closing period");
        std::string lit = Upper(s.substr(i, e - i + 1));
        if (lit != ".T." && lit != ".F.") throw EDbfExpression("Expecting \".T.\" or \".F.\"");
        auto node = std::make_unique<TdfExpBlnLit>(lit == ".T.");
        CountOperand(*node);
        items.push_back(std::move(node));
        i = e + 1;
      } else if (IsLetter(c) || c == '_') {
        size_t b = i;
        while (i < s.size() && IsIdentChar(s[i])) ++i;
        std::string ident = s.substr(b, i - b);
        if (i < s.size() && s[i] == '(') {
          size_t e = MatchParen(s, i, true);
          if (e == std::string::npos) throw EDbfExpression("Missing closing parentheses");
          auto call = ParseFunction(ident, s.substr(i + 1, e - i - 1), depth);
          CountOperand(*call);
          items.push_back(std::move(call));
          i = e + 1;
        } else {
          std::string name = Upper(ident);
          bool found = false;
          auto node = ResolveName(name, found);
          if (!found) {
            if (!node && s.compare(i, 2, "->") == 0) {
              s.replace(i, 2, ".");
            }
            if (i < s.size() && s[i] == '.') {
              size_t b2 = i + 1;
              size_t j = b2;
              while (j < s.size() && IsIdentChar(s[j])) ++j;
              name += "." + Upper(s.substr(b2, j - b2));
              i = j;
              node = ResolveName(name, found);
              if (!node)
                throw EDbfExpression(DbfFormat("There is no function for %s", name.c_str()));
            } else if (!node) {
              throw EDbfExpression(DbfFormat("There is no function for %s", name.c_str()));
            }
          }
          CountOperand(*node);
          items.push_back(std::move(node));
        }
      } else if (c == '"' || c == '\'' || c == '[' || c == '{') {
        char close = c == '[' ? ']' : c == '{' ? '}' : c;
        size_t e = s.find(close, i + 1);
        if (e == std::string::npos) {
          throw EDbfExpression(DbfFormat("Missing closing \"%c\" on literal", c));
        }
        std::string text = s.substr(i + 1, e - i - 1);
        std::unique_ptr<TdfExpBaseObject> node;
        if (c == '{') {
          node = std::make_unique<TdfExpDateLit>(TextToJulian(text));
        } else {
          node = std::make_unique<TdfExpTextLit>(text);
        }
        CountOperand(*node);
        items.push_back(std::move(node));
        i = e + 1;
      } else if (c == '+' || c == '-' || IsDigit(c)) {
        size_t b = i++;
        while (i < s.size() && (IsDigit(s[i]) || s[i] == '.')) ++i;
        std::string text = s.substr(b, i - b);
        char* end = nullptr;
        double v = std::strtod(text.c_str(), &end);
        if (end != text.c_str() + text.size()) v = 0;
        size_t dot = text.find('.');
        int32_t dec = dot == std::string::npos ? 0 : static_cast<int32_t>(text.size() - dot - 1);
        auto node = std::make_unique<TdfExpNumLit>(v, static_cast<int32_t>(text.size()), dec);
        CountOperand(*node);
        items.push_back(std::move(node));
      } else {
        SyntaxError();
      }
      expectOperand = false;
    } else {
      // Symbol operator: one of ! # $ * + - / < = > ^, maybe followed by * < = >.
      const OperatorInfo* found = nullptr;
      size_t len = 0;
      if (std::string("!#$*+-/<=>^").find(c) != std::string::npos) {
        if (i + 1 < s.size() && std::string("*<=>").find(s[i + 1]) != std::string::npos) {
          std::string two = s.substr(i, 2);
          for (const auto& op : kSymbolOperators) {
            if (two == op.symbol) found = &op, len = 2;
          }
        }
        if (!found) {
          std::string one(1, c);
          for (const auto& op : kSymbolOperators) {
            if (one == op.symbol) found = &op, len = 1;
          }
        }
      } else {
        size_t j = i;
        bool leadingDot = s[j] == '.';
        if (leadingDot) ++j;
        size_t b = j;
        while (j < s.size() && IsLetter(s[j])) ++j;
        std::string word = Upper(s.substr(b, j - b));
        bool trailingDot = j < s.size() && s[j] == '.';
        if (leadingDot == trailingDot && !word.empty()) {
          size_t end = j + (trailingDot ? 1 : 0);
          if (end < s.size()) {
            for (const auto& op : kWordOperators) {
              if (word == op.symbol) found = &op, len = end - i;
            }
          }
        }
      }
      if (!found) SyntaxError();
      makeOperator(*found);
      i += len;
      expectOperand = true;
    }
  }

  // Bind operators from the tightest precedence outwards, left to right.
  for (int prec = 2; prec <= 8; ++prec) {
    for (size_t k = 0; k < items.size();) {
      auto* op = dynamic_cast<TdfExpOperator*>(items[k].get());
      if (!op || op->kind != enOperator || op->precedence != prec) {
        ++k;
        continue;
      }
      op->kind = enBoundOperator;
      if (k + 1 < items.size()) {
        op->right = std::move(items[k + 1]);
        items.erase(items.begin() + static_cast<long>(k) + 1);
      }
      if (op->code != opNot && k > 0) {
        op->left = std::move(items[k - 1]);
        items.erase(items.begin() + static_cast<long>(k) - 1);
      }
      k = 0;
    }
  }
  if (items.size() != 1) throw EDbfExpression("Expression cannot be evaluated");
  return std::move(items.front());
}

// ---------------------------------------------------------------------------
// Nodes, values, registries

std::string ExpTypeName(uint8_t type) {
  static const char* const kNames[] = {"Unknown", "Empty",   "Any",    "Text",
                                       "Number",  "Integer", "Date",   "DateTime",
                                       "Boolean", "Memo",    "Pointer"};
  return type <= etPointer ? kNames[type] : "Invalid Value";
}

std::string VariantToText(const TdfExpVariant& value) {
  if (auto* s = std::get_if<std::string>(&value)) return *s;
  if (auto* d = std::get_if<double>(&value)) {
    std::string t = DbfFormat("%.15g", *d);
    return t;
  }
  if (auto* b = std::get_if<bool>(&value)) return *b ? "T" : "F";
  return {};
}

double VariantToNumber(const TdfExpVariant& value) {
  if (auto* d = std::get_if<double>(&value)) return *d;
  if (auto* b = std::get_if<bool>(&value)) return *b ? 1 : 0;
  if (auto* s = std::get_if<std::string>(&value)) return std::strtod(s->c_str(), nullptr);
  return 0;
}

bool VariantToBool(const TdfExpVariant& value) {
  if (auto* b = std::get_if<bool>(&value)) return *b;
  if (auto* d = std::get_if<double>(&value)) return *d != 0;
  return false;
}

std::string TdfExpBaseObject::ExpressionText() const {
  return (left ? left->ExpressionText() : std::string()) + NodeName() +
         (right ? right->ExpressionText() : std::string());
}

void TdfExpBaseObject::CollectNames(int k, std::string& out) const {
  if (left) left->CollectNames(k, out);
  if (NameKind() == k) out += NodeName() + ";";
  if (right) right->CollectNames(k, out);
}

std::string TdfExpFunction::ExpressionText() const {
  std::string out = NodeName() + "(";
  for (size_t i = 0; i < args_.size(); ++i) {
    if (i) out += ",";
    out += args_[i]->ExpressionText();
  }
  return out + ")";
}

void TdfExpFunction::CollectNames(int k, std::string& out) const {
  for (const auto& a : args_) a->CollectNames(k, out);
}

void TdfExpFunction::Evaluate(TdfExpVariant& value, uint8_t& type) {
  function_->Evaluate(*this, value, type);
  resultType = type;
}

uint8_t TdfExpFunction::Arg(size_t n, uint8_t requested, TdfExpVariant& value) {
  if (n >= args_.size()) return etEmpty;
  uint8_t type = etUnknown;
  args_[n]->Evaluate(value, type);
  if (requested != etAny && type != requested &&
      !(IsNumericFamily(type) && IsNumericFamily(requested))) {
    throw EDbfExpression(DbfFormat("%s needed for Argument %d of %s",
                                   ExpTypeName(requested).c_str(), static_cast<int>(n + 1),
                                   NodeName().c_str()));
  }
  return type;
}

void TdfUserDefFunction::Evaluate(TdfExpFunction&, TdfExpVariant& value, uint8_t& type) {
  value = std::monostate{};
  type = etEmpty;
}

std::string TdfUserDefFieldVar::FirstName() const {
  return names_.substr(0, names_.find(';'));
}

void TdfUserDefFieldVar::Evaluate(TdfExpVariant& value, uint8_t& type) {
  value = std::monostate{};
  type = etEmpty;
}

bool TdfFunctionReg::RegisterFunction(std::unique_ptr<TdfUserDefFunction> function) {
  if (!function) return true;
  std::string name = Upper(function->FunctionName());
  if (functions_.count(name)) return false;
  functions_[name] = std::move(function);
  order_.push_back(name);
  return true;
}

TdfUserDefFunction* TdfFunctionReg::Find(const std::string& name) const {
  auto it = functions_.find(name);
  return it == functions_.end() ? nullptr : it->second.get();
}

TdfUserDefFunction* TdfFunctionReg::FunctionAt(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= order_.size()) return nullptr;
  return Find(order_[static_cast<size_t>(index)]);
}

std::string TdfFunctionReg::NameAt(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= order_.size()) return {};
  return order_[static_cast<size_t>(index)];
}

bool TdfFieldVarReg::RegisterFieldVar(std::shared_ptr<TdfUserDefFieldVar> value) {
  if (!value) return true;
  bool ok = true;
  std::string names = value->AllNames();
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(';', start);
    if (end == std::string::npos) end = names.size();
    std::string name = Upper(names.substr(start, end - start));
    if (!name.empty()) {
      if (values_.count(name)) {
        ok = false;
      } else {
        values_[name] = value;
      }
    }
    start = end + 1;
  }
  return ok;
}

TdfUserDefFieldVar* TdfFieldVarReg::Find(const std::string& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? nullptr : it->second.get();
}

TdfUserDefFunction* TdfExpUserLink::FindFunction(const std::string& name) {
  return functions_.Find(name);
}

TdfUserDefFieldVar* TdfExpUserLink::FindFieldVar(const std::string& name) {
  return fieldVars_.Find(name);
}

void TdfExpUserLink::UnknownFunction(const std::string& name) {
  throw EDbfExpression(DbfFormat("There is no function for %s", name.c_str()));
}

bool TdfExpUserLink::AddFunction(std::unique_ptr<TdfUserDefFunction> function) {
  return functions_.RegisterFunction(std::move(function));
}

bool TdfExpUserLink::AddFieldVars(std::shared_ptr<TdfUserDefFieldVar> value) {
  return fieldVars_.RegisterFieldVar(std::move(value));
}

TdfExpHandler::TdfExpHandler(TdfExpUserLink* owner, const std::string& text) : owner_(owner) {
  if (!text.empty()) SetExpression(text);
}

void TdfExpHandler::SetExpression(const std::string& text) {
  root_.reset();
  operandCount = largestLength = largestDecimals = 0;
  resultType_ = etUnknown;
  if (TrimBlanks(text).empty()) return;
  TdfExpParser parser(*this, TrimBlanks(text));
  root_ = parser.Parse(text, 0);
}

void TdfExpHandler::Evaluate(TdfExpVariant& value) {
  value = std::monostate{};
  if (!root_) {
    resultType_ = etUnknown;
    return;
  }
  uint8_t type = etUnknown;
  root_->Evaluate(value, type);
  resultType_ = type;
}

void TdfExpHandler::EvaluateToVariant(TdfVariant& out) {
  if (!root_) {
    out.SetAsString("");
    resultType_ = etUnknown;
    return;
  }
  TdfExpVariant value;
  Evaluate(value);
  if (std::holds_alternative<std::monostate>(value)) return;
  switch (resultType_) {
    case etText:
      out.SetAsString(VariantToText(value));
      break;
    case etNumber:
    case etDateTime:
      out.SetAsFloat(VariantToNumber(value));
      break;
    case etDate:
      out.SetAsDate(DayOfDateValue(VariantToNumber(value)));
      break;
    case etBoolean:
      out.SetAsBoolean(VariantToBool(value));
      break;
    default:
      resultType_ = etUnknown;
      break;
  }
}

std::string TdfExpHandler::ExpressionText() const {
  return root_ ? root_->ExpressionText() : std::string();
}

std::string TdfExpHandler::ExpressionNodeNames(int kind) const {
  std::string out;
  if (root_) root_->CollectNames(kind, out);
  return out;
}

}  // namespace kelmo::dbf
