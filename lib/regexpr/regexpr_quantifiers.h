// Quantifiers of a parse-tree item: exactly once, "?", "*" or "+".
#pragma once

#include <memory>
#include <string_view>

namespace kelmo::regexpr {

class TleRegExprQuantifier {
 public:
  virtual ~TleRegExprQuantifier() = default;
  virtual bool AllowsZero() const = 0;
  virtual bool AllowsMore() const = 0;
  virtual std::unique_ptr<TleRegExprQuantifier> Duplicate() const = 0;
  virtual std::string_view SignText() const = 0;
};

// Exactly once: what an item has when no quantifier is written.
class TleRegExprSimpleQuantifier final : public TleRegExprQuantifier {
 public:
  bool AllowsZero() const override { return false; }
  bool AllowsMore() const override { return false; }
  std::unique_ptr<TleRegExprQuantifier> Duplicate() const override {
    return std::make_unique<TleRegExprSimpleQuantifier>();
  }
  std::string_view SignText() const override { return ""; }
};

class TleRegExprQuestionQuantifier final : public TleRegExprQuantifier {
 public:
  bool AllowsZero() const override { return true; }
  bool AllowsMore() const override { return false; }
  std::unique_ptr<TleRegExprQuantifier> Duplicate() const override {
    return std::make_unique<TleRegExprQuestionQuantifier>();
  }
  std::string_view SignText() const override { return "?"; }
};

class TleRegExprStarQuantifier final : public TleRegExprQuantifier {
 public:
  bool AllowsZero() const override { return true; }
  bool AllowsMore() const override { return true; }
  std::unique_ptr<TleRegExprQuantifier> Duplicate() const override {
    return std::make_unique<TleRegExprStarQuantifier>();
  }
  std::string_view SignText() const override { return "*"; }
};

class TleRegExprPlusQuantifier final : public TleRegExprQuantifier {
 public:
  bool AllowsZero() const override { return false; }
  bool AllowsMore() const override { return true; }
  std::unique_ptr<TleRegExprQuantifier> Duplicate() const override {
    return std::make_unique<TleRegExprPlusQuantifier>();
  }
  std::string_view SignText() const override { return "+"; }
};

}  // namespace kelmo::regexpr
