// String helpers of the extension controls.
#include "xt_str_utils.h"

namespace kelmo::xt {

bool AllCharsInSet(std::string_view text, std::string_view chars) {
  for (const char c : text)
    if (chars.find(c) == std::string_view::npos) return false;
  return true;
}

std::string ReplaceSubstring(std::string_view text, std::string_view search,
                             std::string_view replacement) {
  if (search.empty()) return std::string(text);
  std::string result;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(search, from);
    if (at == std::string_view::npos) break;
    result.append(text.substr(from, at - from));
    result.append(replacement);
    from = at + search.size();
  }
  result.append(text.substr(from));
  return result;
}

std::string StripChar(std::string_view text, char c) {
  std::string result;
  result.reserve(text.size());
  for (const char ch : text)
    if (ch != c) result.push_back(ch);
  return result;
}

std::string DropLeadingSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string DropTrailingSpaces(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string TrimBlanks(std::string_view text) {
  return DropLeadingSpaces(DropTrailingSpaces(text));
}

std::string RepeatChar(char c, int count) {
  return count < 1 ? std::string() : std::string(static_cast<std::size_t>(count), c);
}

}  // namespace kelmo::xt
