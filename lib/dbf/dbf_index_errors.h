// Exception classes the expression and index layers raise, and the message
// formatting they share. The engine core raises the same classes; this header
// is the expression and index layers' view of them until both halves of the
// engine are built together.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

namespace kelmo::dbf {

#ifndef KELMO_DBF_ERRORS_DEFINED
#define KELMO_DBF_ERRORS_DEFINED
// Every file, table, record, field, memo, index, lock and sort error.
class EDbfError : public std::runtime_error {
 public:
  explicit EDbfError(const std::string& message) : std::runtime_error(message) {}
};

// Every error of the expression language: lexical, syntax, undefined names,
// argument types and ranges.
class EDbfExpression : public EDbfError {
 public:
  explicit EDbfExpression(const std::string& message) : EDbfError(message) {}
};
#endif

// printf-style formatting of the engine's fixed message texts.
template <typename... Args>
std::string DbfFormat(const char* pattern, Args... args) {
  int size = std::snprintf(nullptr, 0, pattern, args...);
  std::string out(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size > 0) std::snprintf(out.data(), out.size() + 1, pattern, args...);
  return out;
}

}  // namespace kelmo::dbf
