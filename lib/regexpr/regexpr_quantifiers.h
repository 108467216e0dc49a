// Quantifiers of a parse-tree item: exactly once, "?", "*" or "+".
#pragma once

#include <string_view>

namespace kelmo::regexpr {

class TleRegExprQuantifier {
 public:
  enum class Kind { Simple, Question, Star, Plus };

  static TleRegExprQuantifier Simple() { return TleRegExprQuantifier(Kind::Simple); }
  static TleRegExprQuantifier Question() { return TleRegExprQuantifier(Kind::Question); }
  static TleRegExprQuantifier Star() { return TleRegExprQuantifier(Kind::Star); }
  static TleRegExprQuantifier Plus() { return TleRegExprQuantifier(Kind::Plus); }

  Kind GetKind() const { return kind_; }
  bool AllowsZero() const { return kind_ == Kind::Question || kind_ == Kind::Star; }
  bool AllowsMore() const { return kind_ == Kind::Star || kind_ == Kind::Plus; }
  std::string_view SignText() const {
    switch (kind_) {
      case Kind::Question:
        return "?";
      case Kind::Star:
        return "*";
      case Kind::Plus:
        return "+";
      default:
        return "";
    }
  }

 private:
  explicit TleRegExprQuantifier(Kind kind) : kind_(kind) {}
  Kind kind_;
};

}  // namespace kelmo::regexpr
