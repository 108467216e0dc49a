// The built-in functions and named values of the expression language,
// available in every expression of every table: TRUE, FALSE, PI and ABS ..
// VAL. They live in the process-wide registries (GlobalFunctionRegistry,
// GlobalFieldVarRegistry, dbf_expression.h), filled once on first use.
//
// Errors: argument errors raise EDbfExpression ("%s needed for Argument %d of
// %s", "Argument for %s must be %s", "A %s value is required but invalid",
// "A value is required for %s", "All arguments for %s must be of the same
// type"); MOD by zero raises "Division by zero", FV and PV with a rate of -1
// or less "Invalid argument". Each function is linear in its texts.
#pragma once

#include <memory>
#include <string>

#include "dbf_expression.h"

namespace kelmo::dbf {

// A built-in function: its name and evaluation over a call node.
class TdfBuiltinFunction : public TdfUserDefFunction {
 public:
  using Body = void (*)(TdfExpFunction& call, TdfExpVariant& value, uint8_t& type);
  TdfBuiltinFunction(const char* name, Body body) : name_(name), body_(body) {}
  std::string FunctionName() const override { return name_; }
  void Evaluate(TdfExpFunction& call, TdfExpVariant& value, uint8_t& type) override {
    body_(call, value, type);
  }

 private:
  std::string name_;
  Body body_;
};

// A named value with a fixed value (TRUE, FALSE, PI).
class TdfConstantFieldVar : public TdfUserDefFieldVar {
 public:
  TdfConstantFieldVar(const char* name, TdfExpVariant value, uint8_t type)
      : TdfUserDefFieldVar(name), value_(std::move(value)), type_(type) {}
  void Evaluate(TdfExpVariant& value, uint8_t& type) override {
    value = value_;
    type = type_;
  }

 private:
  TdfExpVariant value_;
  uint8_t type_;
};

// Registers TRUE, FALSE, PI and every built-in function into the given
// registries, in the library's order.
void RegisterBuiltins(TdfFunctionReg& functions, TdfFieldVarReg& values);

}  // namespace kelmo::dbf
