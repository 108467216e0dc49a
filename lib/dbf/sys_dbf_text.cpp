// Text operations of the operating-system layer.
#include "sys_dbf_text.h"

#include <cstdint>

namespace kelmo::dbf {

static unsigned char Upper1251(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0) return static_cast<unsigned char>(c - 32);
  if (c == 0xB8) return 0xA8;  // yo
  return c;
}

static unsigned char Lower1251(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 32);
  if (c == 0xA8) return 0xB8;
  return c;
}

static int CompareBytes(std::string_view a, std::string_view b, bool ignoreCase) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (ignoreCase) {
      x = Upper1251(x);
      y = Upper1251(y);
    }
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int LocaleCompare(std::string_view a, std::string_view b) {
  return CompareBytes(a, b, false);
}
int LocaleCompareText(std::string_view a, std::string_view b) {
  return CompareBytes(a, b, true);
}

int TextPos(std::string_view sub, std::string_view text) {
  size_t p = text.find(sub);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

int WildcardPos(std::string_view pattern, std::string_view text) {
  if (pattern.empty()) return 0;
  if (text.size() < pattern.size()) return 0;
  std::string pat(pattern);
  bool leadingStar = false;
  if (pat.front() == '*') {
    if (pat.size() == 1) return 1;
    pat.erase(0, 1);
    leadingStar = true;
  }
  if (pat.back() == '*') {
    if (pat.size() == 1) return 1;
    pat.pop_back();
  }
  std::string copy(text);
  if (!leadingStar) {
    for (size_t i = 0; i < pat.size() && i < copy.size(); ++i) {
      if (pat[i] == '?') copy[i] = '?';
    }
  }
  return TextPos(pat, copy);
}

std::string LowerText(std::string_view text) {
  std::string out(text);
  for (auto& c : out) c = static_cast<char>(Lower1251(static_cast<unsigned char>(c)));
  return out;
}

std::string UpperText(std::string_view text) {
  std::string out(text);
  for (auto& c : out) c = static_cast<char>(Upper1251(static_cast<unsigned char>(c)));
  return out;
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (auto& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

}  // namespace kelmo::dbf
