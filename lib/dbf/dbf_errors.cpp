// Engine errors: message formatting and raising.
#include "dbf_errors.h"

namespace kelmo::dbf {

std::string FormatDbfMessage(const char* pattern, const std::vector<std::string>& args) {
  std::string out;
  size_t next = 0;
  for (const char* p = pattern; *p; ++p) {
    if (*p == '%' && (p[1] == 's' || p[1] == 'd')) {
      if (next < args.size()) out += args[next++];
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

void RaiseDbf(const char* pattern, const std::vector<std::string>& args) {
  throw EDbfError(FormatDbfMessage(pattern, args));
}

void RaiseDbfSystem(const char* pattern, const std::vector<std::string>& args, int systemError) {
  throw EDbfError(FormatDbfMessage(pattern, args), systemError);
}

void RaiseEncryption(const char* pattern, const std::vector<std::string>& args) {
  throw EDbfEncryption(FormatDbfMessage(pattern, args));
}

}  // namespace kelmo::dbf
