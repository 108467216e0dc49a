// Pre-test of character fields on their stored bytes: building the per-position
// byte sets from an equality value or a LIKE/GLOB pattern.
#include "raw_text_filter.h"

#include <array>
#include <cstdint>
#include <string>

namespace kelmo::dbfsql {

namespace {

constexpr uint32_t kNoCharacter = 0xFFFFFFFF;
constexpr size_t kMaxTestedPattern = 1024;

// The character each byte of a code page decodes to, or kNoCharacter for every
// byte when some byte does not decode to exactly one character.
struct ByteCharacters {
  std::array<uint32_t, 256> of{};
  bool oneToOne = true;
};

// Reads one well-formed UTF-8 character of at most three bytes from s at i
// and moves i past it; kNoCharacter (i unchanged) for anything else,
// including a character followed by a stray continuation byte, which SQLite
// would read as part of it.
uint32_t ReadCharacter(std::string_view s, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  uint32_t u;
  size_t length;
  if (lead < 0x80) {
    u = lead;
    length = 1;
  } else if ((lead & 0xE0) == 0xC0) {
    u = lead & 0x1F;
    length = 2;
  } else if ((lead & 0xF0) == 0xE0) {
    u = lead & 0x0F;
    length = 3;
  } else {
    return kNoCharacter;
  }
  if (i + length > s.size()) return kNoCharacter;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return kNoCharacter;
    u = (u << 6) | (byte(i + k) & 0x3F);
  }
  if (length > 1 && i + length < s.size() && (byte(i + length) & 0xC0) == 0x80) {
    return kNoCharacter;
  }
  if ((length == 2 && u < 0x80) || (length == 3 && u < 0x800) || (u >= 0xD800 && u <= 0xDFFF) ||
      u >= 0xFFFE) {
    return kNoCharacter;
  }
  i += length;
  return u;
}

ByteCharacters MakeByteCharacters(bytes::CodePage cp) {
  ByteCharacters table;
  std::string utf8;
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    bytes::DecodeToUtf8(std::string_view(&byte, 1), cp, utf8);
    size_t i = 0;
    const uint32_t u = utf8.empty() ? kNoCharacter : ReadCharacter(utf8, i);
    if (u == kNoCharacter || i != utf8.size()) {
      table.oneToOne = false;
      return table;
    }
    table.of[static_cast<size_t>(b)] = u;
  }
  return table;
}

const ByteCharacters& ByteCharactersOf(bytes::CodePage cp) {
  static const ByteCharacters k866 = MakeByteCharacters(bytes::CodePage::Cp866);
  static const ByteCharacters k1251 = MakeByteCharacters(bytes::CodePage::Cp1251);
  return cp == bytes::CodePage::Cp866 ? k866 : k1251;
}

// Lower case of the letters the two code pages hold (Latin, Cyrillic with
// Ukrainian and Belarusian letters, Ґ); other characters as they are. Every
// pair a case-blind LIKE could match within these code pages maps together.
uint32_t FoldCase(uint32_t u) {
  if (u >= 'A' && u <= 'Z') return u + ('a' - 'A');
  if (u >= 0x410 && u <= 0x42F) return u + 0x20;
  if (u >= 0x400 && u <= 0x40F) return u + 0x50;
  if (u == 0x490) return 0x491;
  return u;
}

}  // namespace

std::optional<RawTextFilter> RawTextFilter::Make(Kind kind, std::string_view utf8,
                                                 bytes::CodePage cp) {
  const ByteCharacters& bytes = ByteCharactersOf(cp);
  if (!bytes.oneToOne) return std::nullopt;
  if (kind != Kind::kEqual) utf8 = utf8.substr(0, utf8.find('\0'));
  RawTextFilter filter;
  filter.endsAtNul_ = kind != Kind::kEqual;
  size_t i = 0;
  while (i < utf8.size()) {
    const char c = utf8[i];
    std::bitset<256> allowed;
    // A pattern longer than any field is tested only up to there; the
    // equality value is compared whole.
    if (kind != Kind::kEqual && filter.positions_.size() == kMaxTestedPattern) break;
    if ((kind == Kind::kLike && c == '%') || (kind == Kind::kGlob && c == '*')) {
      // Runs of wildcards are one; the next literal part starts a segment.
      while (i < utf8.size() && utf8[i] == c) ++i;
      filter.segmentStarts_.push_back(filter.positions_.size());
      continue;
    }
    if (kind == Kind::kGlob && c == '[') break;
    if ((kind == Kind::kLike && c == '_') || (kind == Kind::kGlob && c == '?')) {
      allowed.set();
      ++i;
    } else {
      const uint32_t u = ReadCharacter(utf8, i);
      if (u == kNoCharacter) {
        // An equality value holding it matches no decoded field; a pattern
        // is tested only up to it.
        if (kind != Kind::kEqual) break;
        filter.positions_.assign(1, allowed);
        filter.segmentStarts_.clear();
        filter.wholeValue_ = true;
        return filter;
      }
      const uint32_t key = kind == Kind::kLike ? FoldCase(u) : u;
      for (size_t b = 0; b < 256; ++b) {
        const uint32_t of = bytes.of[b];
        if ((kind == Kind::kLike ? FoldCase(of) : of) == key) allowed.set(b);
      }
      if (allowed.none() && kind != Kind::kEqual) break;
    }
    filter.positions_.push_back(allowed);
  }
  // A pattern read to its end without a wildcard last ends where the value
  // ends; one cut short, or ending in a wildcard, lets anything follow.
  const bool endsWithWildcard =
      !filter.segmentStarts_.empty() && filter.segmentStarts_.back() == filter.positions_.size();
  filter.wholeValue_ = i == utf8.size() && !endsWithWildcard;
  if (endsWithWildcard) filter.segmentStarts_.pop_back();
  return filter;
}

bool RawTextFilter::PassesSegments(std::string_view value) const {
  auto fits = [&](size_t from, size_t to, size_t at) {
    for (size_t k = from; k < to; ++k, ++at) {
      if (!positions_[k][static_cast<unsigned char>(value[at])]) return false;
    }
    return true;
  };
  // The literal start, then each later segment at its leftmost place (which
  // leaves the most room for the rest), the last one at the end when the
  // pattern ends there.
  const size_t first = segmentStarts_.front();
  if (value.size() < first || !fits(0, first, 0)) return false;
  size_t at = first;
  size_t limit = value.size();
  size_t segments = segmentStarts_.size();
  if (wholeValue_) {
    const size_t last = positions_.size() - segmentStarts_.back();
    if (limit - at < last || !fits(segmentStarts_.back(), positions_.size(), limit - last)) {
      return false;
    }
    limit -= last;
    --segments;
  }
  for (size_t n = 0; n < segments; ++n) {
    const size_t from = segmentStarts_[n];
    const size_t to = n + 1 < segmentStarts_.size() ? segmentStarts_[n + 1] : positions_.size();
    const size_t length = to - from;
    bool found = false;
    for (; at + length <= limit; ++at) {
      if (fits(from, to, at)) {
        found = true;
        break;
      }
    }
    if (!found) return false;
    at += length;
  }
  return true;
}

}  // namespace kelmo::dbfsql
