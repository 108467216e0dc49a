// The dBase expression language of the DBF engine: index keys, filters,
// search conditions and master-detail links. TdfExpHandler parses a text once
// into a tree of nodes and evaluates the tree against the current record as
// often as needed. Names resolve through the process-wide registries of
// built-in functions and named values (dbf_functions.h) and through an owner
// link that a table supplies with its field names.
//
// Errors: every parse and evaluation error is raised as EDbfExpression with the
// engine's fixed texts ("Syntax Error in expression "%s"", "Missing closing
// parentheses", "There is no function for %s", "Field/variable %s is unknown",
// "The two sides of an operation do not match", ...). A failed parse leaves the
// handler without a tree; an evaluation error leaves the tree intact.
//
// Cost: parsing is linear in the text per nesting level (each group and each
// argument is scanned again when parsed); evaluation is one walk of the tree.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "dbf_index_errors.h"
#include "engine_tools.h"

namespace kelmo::dbf {

// Value type codes carried with every value during evaluation.
enum TdfExpType : uint8_t {
  etUnknown = 0,
  etEmpty = 1,
  etAny = 2,
  etText = 3,
  etNumber = 4,
  etInteger = 5,
  etDate = 6,
  etDateTime = 7,
  etBoolean = 8,
  etMemo = 9,
  etPointer = 10,
};

// The name used in messages ("Text", "Number", ..., "Invalid Value").
std::string ExpTypeName(uint8_t type);
// Codes 4 to 7 may be mixed in comparisons, arithmetic and argument checks.
inline bool IsNumericFamily(uint8_t type) {
  return type >= etNumber && type <= etDateTime;
}

// A value during evaluation: null, text, number (dates as day numbers) or logical.
using TdfExpVariant = std::variant<std::monostate, std::string, double, bool>;

// The value 1e100 as a date means there is no date.
inline constexpr double kEmptyDate = 1e100;

std::string VariantToText(const TdfExpVariant& value);
double VariantToNumber(const TdfExpVariant& value);
bool VariantToBool(const TdfExpVariant& value);

class TdfExpHandler;
class TdfExpFunction;

// Node kinds.
enum TdfExpNodeKind : uint8_t {
  enGroup = 0,
  enBoundOperator = 2,
  enOperator = 3,
  enFunction = 4,
  enName = 5,
  enTextLit = 6,
  enNumLit = 7,
  enDateLit = 8,
  enBlnLit = 9,
};

class TdfExpBaseObject {
 public:
  virtual ~TdfExpBaseObject() = default;
  virtual std::string NodeName() const { return {}; }
  virtual int NameKind() const { return -1; }
  virtual std::string ExpressionText() const;
  virtual void CollectNames(int kind, std::string& out) const;
  virtual void Evaluate(TdfExpVariant& value, uint8_t& type) = 0;

  uint8_t kind = enGroup;
  uint8_t resultType = etUnknown;
  int32_t length = 0;
  int32_t decimals = 0;
  std::unique_ptr<TdfExpBaseObject> left;
  std::unique_ptr<TdfExpBaseObject> right;
};

// Base of every function: its name and its evaluation over a call node.
class TdfUserDefFunction {
 public:
  virtual ~TdfUserDefFunction() = default;
  virtual std::string FunctionName() const { return {}; }
  virtual void Evaluate(TdfExpFunction& call, TdfExpVariant& value, uint8_t& type);
};

// Base of every named value (TRUE, FALSE, PI, a table's fields).
class TdfUserDefFieldVar {
 public:
  explicit TdfUserDefFieldVar(std::string names, int32_t width = 0)
      : names_(std::move(names)), width_(width) {}
  virtual ~TdfUserDefFieldVar() = default;
  virtual std::string AllNames() const { return names_; }
  virtual std::string FirstName() const;
  virtual int FieldVarKind() const { return 16; }
  virtual void Evaluate(TdfExpVariant& value, uint8_t& type);
  int32_t Width() const { return width_; }
  bool qualifier = false;

 private:
  std::string names_;
  int32_t width_;
};

// Name (upper case) -> function; refuses duplicates, owns its functions.
class TdfFunctionReg {
 public:
  // False for a duplicate name (the function is not added); true for none.
  bool RegisterFunction(std::unique_ptr<TdfUserDefFunction> function);
  TdfUserDefFunction* Find(const std::string& name) const;
  size_t Count() const { return order_.size(); }
  TdfUserDefFunction* FunctionAt(int index) const;
  std::string NameAt(int index) const;

 private:
  std::map<std::string, std::unique_ptr<TdfUserDefFunction>> functions_;
  std::vector<std::string> order_;
};

// Name -> named value; a value may hold several names separated by ";".
class TdfFieldVarReg {
 public:
  // False when one of the names was a duplicate (the others are still added).
  bool RegisterFieldVar(std::shared_ptr<TdfUserDefFieldVar> value);
  TdfUserDefFieldVar* Find(const std::string& name) const;

 private:
  std::map<std::string, std::shared_ptr<TdfUserDefFieldVar>> values_;
};

// A table's link into the expression language: its record functions and
// field names, and the default width of STR.
class TdfExpUserLink {
 public:
  virtual ~TdfExpUserLink() = default;
  virtual TdfUserDefFunction* FindFunction(const std::string& name);
  virtual TdfUserDefFieldVar* FindFieldVar(const std::string& name);
  // Raises "There is no function for %s".
  [[noreturn]] virtual void UnknownFunction(const std::string& name);
  bool AddFunction(std::unique_ptr<TdfUserDefFunction> function);
  bool AddFieldVars(std::shared_ptr<TdfUserDefFieldVar> value);
  int32_t StrDefaultWidth = 10;

 private:
  TdfFunctionReg functions_;
  TdfFieldVarReg fieldVars_;
};

// Process-wide registries, filled with the built-in functions and TRUE,
// FALSE, PI on first use (dbf_functions.cpp).
TdfFunctionReg& GlobalFunctionRegistry();
TdfFieldVarReg& GlobalFieldVarRegistry();

// A function call node; functions fetch their arguments through it.
class TdfExpFunction : public TdfExpBaseObject {
 public:
  TdfExpFunction(TdfExpHandler* handler, TdfUserDefFunction* function)
      : handler_(handler), function_(function) {
    kind = enFunction;
  }
  std::string NodeName() const override { return function_->FunctionName(); }
  std::string ExpressionText() const override;
  void CollectNames(int kind, std::string& out) const override;
  void Evaluate(TdfExpVariant& value, uint8_t& type) override;

  size_t ArgCount() const { return args_.size(); }
  // Argument n (from 0) with a requested type. A missing argument gives type
  // etEmpty and leaves value as it was; a type that differs from the requested
  // one (and is not numeric together with it) raises "%s needed for Argument
  // %d of %s", unless etAny was requested.
  uint8_t Arg(size_t n, uint8_t requested, TdfExpVariant& value);
  TdfExpHandler* Handler() const { return handler_; }
  std::vector<std::unique_ptr<TdfExpBaseObject>>& Args() { return args_; }

 private:
  TdfExpHandler* handler_;
  TdfUserDefFunction* function_;
  std::vector<std::unique_ptr<TdfExpBaseObject>> args_;
};

class TdfExpHandler {
 public:
  // Parses a non-empty text at once (errors propagate).
  TdfExpHandler(TdfExpUserLink* owner, const std::string& text);
  // Frees the tree and parses the new text; an empty text leaves no root.
  void SetExpression(const std::string& text);
  // Evaluates the root; without a root the type is etUnknown and value null.
  void Evaluate(TdfExpVariant& value);
  // Evaluates into the engine's typed value: text, a float (numbers and
  // date-times), a date (day number truncated) or a logical; any other result
  // sets the result type 0 and leaves out as it was. Without a root out
  // becomes empty text.
  void EvaluateToVariant(TdfVariant& out);
  std::string ExpressionText() const;
  uint8_t GetResultType() const { return resultType_; }
  // "NAME;" for every node whose NameKind equals kind (fields: 16).
  std::string ExpressionNodeNames(int kind) const;
  bool HasRoot() const { return root_ != nullptr; }
  TdfExpUserLink* Owner() const { return owner_; }

  bool caseInsensitive = false;
  bool wildcard = true;
  int32_t operandCount = 0;
  int32_t largestLength = 0;
  int32_t largestDecimals = 0;

 private:
  friend class TdfExpParser;
  TdfExpUserLink* owner_;
  std::unique_ptr<TdfExpBaseObject> root_;
  uint8_t resultType_ = etUnknown;
};

}  // namespace kelmo::dbf
