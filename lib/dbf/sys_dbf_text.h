// Text operations of the operating-system layer: comparison, case and
// substring search over the engine's byte texts (code page 1251), and the
// wildcard match of the expression language. All are pure functions; cost is
// linear in the texts' lengths (WildcardPos: pattern times text).
#pragma once

#include <string>
#include <string_view>

namespace kelmo::dbf {

// Case-sensitive comparison of byte texts; -1, 0 or 1.
int LocaleCompare(std::string_view a, std::string_view b);
// The same ignoring case (Latin and Cyrillic letters of code page 1251).
int LocaleCompareText(std::string_view a, std::string_view b);
inline int LocaleCompareStr(const char* a, const char* b) {
  return LocaleCompare(a, b);
}
inline int LocaleCompareStrI(const char* a, const char* b) {
  return LocaleCompareText(a, b);
}
// 1-based position of the substring in the text, 0 when absent.
int TextPos(std::string_view sub, std::string_view text);
// Position of the pattern's fixed part in the text ("*" at either end and "?"
// are special), 0 when it does not match.
int WildcardPos(std::string_view pattern, std::string_view text);
// Case of code page 1251 text.
std::string LowerText(std::string_view text);
std::string UpperText(std::string_view text);
// Upper case of ASCII letters only (file names, which are UTF-8 here).
std::string AsciiUpper(std::string_view text);

}  // namespace kelmo::dbf
