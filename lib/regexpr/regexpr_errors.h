// Compile errors of the regular-expression engine: one record per finding,
// the ordered list that collects them, and the exception that carries the
// whole list out of a compile.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace kelmo::regexpr {

// One finding: where (line from 1, character position in the line from 1;
// 0, 0 for findings about the pattern as a whole) and the message.
struct TleRegExprError {
  int line = 0;
  int position = 0;
  std::string message;

  bool operator==(const TleRegExprError&) const = default;
};

// The ordered list of findings of one compile.
class TleRegExprErrors {
 public:
  void Add(TleRegExprError error) { items_.push_back(std::move(error)); }
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  const TleRegExprError& Item(int index) const { return items_.at(static_cast<size_t>(index)); }
  // A new list holding a copy of every finding.
  TleRegExprErrors Duplicate() const { return *this; }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<TleRegExprError> items_;
};

// Raised by a compile that found anything wrong. Its own message is empty,
// as the engine's is; the findings travel in Errors(), every one of them, in
// the order they were found. The exception holds its own copy, so it stays
// valid after the expression that raised it is reset or destroyed.
class EleRegExprError : public std::exception {
 public:
  explicit EleRegExprError(TleRegExprErrors errors) : errors_(std::move(errors)) {}
  const char* what() const noexcept override { return ""; }
  const TleRegExprErrors& Errors() const { return errors_; }

 private:
  TleRegExprErrors errors_;
};

// text with its first "%s" replaced by arg (the resource texts' placeholder).
std::string FormatMessage(std::string_view text, std::string_view arg);

}  // namespace kelmo::regexpr
