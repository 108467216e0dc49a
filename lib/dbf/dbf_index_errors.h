// The engine's exception classes (dbf_errors.h) and the printf-style message
// formatting that the expression and index layers use with them.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

#include "dbf_errors.h"

namespace kelmo::dbf {

// printf-style formatting of the engine's fixed message texts.
template <typename... Args>
std::string DbfFormat(const char* pattern, Args... args) {
  int size = std::snprintf(nullptr, 0, pattern, args...);
  std::string out(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size > 0) std::snprintf(out.data(), out.size() + 1, pattern, args...);
  return out;
}

}  // namespace kelmo::dbf
