// Compile errors of the regular-expression engine.
#include "regexpr_errors.h"

namespace kelmo::regexpr {

std::string FormatMessage(std::string_view text, std::string_view arg) {
  std::string result(text);
  if (const auto at = result.find("%s"); at != std::string::npos) result.replace(at, 2, arg);
  return result;
}

}  // namespace kelmo::regexpr
