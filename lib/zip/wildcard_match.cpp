// Wildcard matcher (see wildcard_match.h). The set of a "*<...>" run lives in
// a state that the nested trials share, exactly as one matcher would see it;
// each WildcardMatchCode call clears it at its start.
#include "wildcard_match.h"

#include <bitset>
#include <string>

namespace kelmo::zip {
namespace {

struct RunSet {
  std::bitset<256> members;
  bool inverse = false;
  void Clear() {
    members.reset();
    inverse = false;
  }
  bool Empty() const { return members.none(); }
  bool Passes(unsigned char c) const { return members.test(c) != inverse; }
};

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

int MatchCode(std::string_view pattern, std::string_view text, RunSet& set);

int MatchRestAfterStar(std::string_view p, std::string_view t, RunSet& set) {
  std::size_t i = 0, j = 0;
  int result = kMatchNone;
  if (!p.empty()) {
    while (i < p.size() && j < t.size() && (p[i] == '*' || p[i] == '?')) {
      if (p[i] == '?') ++j;
      ++i;
    }
  }
  if (j >= t.size()) return kMatchAbort;
  if (!p.empty() && i >= p.size()) return kMatchValid;
  do {
    if (!p.empty() && i < p.size() && (p[i] == t[j] || p[i] == '<')) {
      result = MatchCode(p.substr(i), t.substr(j), set);
    }
    if (result != kMatchValid && !set.Empty()) {
      if (!set.Passes(static_cast<unsigned char>(t[j]))) return kMatchAbort;
    }
    ++j;
  } while (result != kMatchValid && j < t.size());
  if (i >= p.size() && j >= t.size()) result = kMatchValid;
  return result;
}

// Reads the members of a set starting at p[i] (just after "<" and any "!" or
// "^") up to the closing ">"; false when the set is not closed.
bool ReadRunSet(std::string_view p, std::size_t& i, RunSet& set) {
  while (i < p.size() && p[i] != '>') {
    unsigned char first = static_cast<unsigned char>(p[i]);
    if (i + 2 < p.size() && p[i + 1] == '-' && p[i + 2] != '>') {
      unsigned char last = static_cast<unsigned char>(p[i + 2]);
      for (unsigned c = first; c <= last; ++c) set.members.set(c);
      i += 3;
    } else {
      set.members.set(first);
      ++i;
    }
  }
  return i < p.size();
}

int MatchCode(std::string_view pattern_in, std::string_view text_in, RunSet& set) {
  std::string ps = Lower(pattern_in), ts = Lower(text_in);
  std::string_view p = ps, t = ts;
  set.Clear();
  if (p == "*") return kMatchValid;
  std::size_t i = 0, j = 0;
  int result = kMatchNone;
  while (result == kMatchNone && i < p.size()) {
    if (j >= t.size()) {
      result = (p[i] == '*' && i + 1 == p.size()) ? kMatchValid : kMatchAbort;
      break;
    }
    switch (p[i]) {
      case '*': {
        std::size_t rest = i;  // the rest begins at this "*", which is skipped
        if (i + 1 < p.size() && p[i + 1] == '<') {
          std::size_t k = i + 2;
          if (k < p.size() && (p[k] == '!' || p[k] == '^')) {
            set.inverse = true;
            ++k;
          }
          if (!ReadRunSet(p, k, set)) {
            set.Clear();
            k = p.size() - 1;
          }
          i = k;  // at the closing ">"
          rest = k + 1;
          if (set.Empty()) {
            result = kMatchAbort;
            break;
          }
        } else {
          set.Clear();
        }
        result = MatchRestAfterStar(p.substr(rest), t.substr(j), set);
        break;
      }
      case '<': {
        ++i;
        if (i >= p.size()) return kMatchPatternBad;
        bool inverse = false;
        if (p[i] == '!' || p[i] == '^') {
          inverse = true;
          ++i;
          if (i >= p.size()) return kMatchPatternBad;
        }
        if (p[i] == '>') return kMatchPatternBad;
        unsigned char c = static_cast<unsigned char>(t[j]);
        bool contained = false;
        while (!contained) {
          if (i >= p.size()) return kMatchPatternBad;
          if (p[i] == '>') break;
          unsigned char first = static_cast<unsigned char>(p[i]);
          if (i + 1 < p.size() && p[i + 1] == '-') {
            if (i + 2 >= p.size() || p[i + 2] == '>') return kMatchPatternBad;
            unsigned char last = static_cast<unsigned char>(p[i + 2]);
            contained = c >= first && c <= last;
            i += 3;
          } else {
            contained = c == first;
            ++i;
          }
        }
        if (contained == inverse) {
          result = kMatchRange;
          break;
        }
        if (contained) {
          while (i < p.size() && p[i] != '>') ++i;
          if (i >= p.size()) return kMatchPatternBad;
        }
        break;
      }
      case '?':
        break;
      default:
        if (p[i] != t[j]) result = kMatchLiteral;
        break;
    }
    if (result == kMatchNone) {
      ++i;
      ++j;
    }
  }
  if (result == kMatchNone) result = j >= t.size() ? kMatchValid : kMatchPatternEnd;
  return result;
}

}  // namespace

int WildcardMatchCode(std::string_view pattern, std::string_view text) {
  RunSet set;
  return MatchCode(pattern, text, set);
}

bool WildcardMatch(std::string_view pattern, std::string_view text) {
  return WildcardMatchCode(pattern, text) == kMatchValid;
}

}  // namespace kelmo::zip
