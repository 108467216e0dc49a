// Typed values read straight from a field's bytes in a record image, without
// temporaries: the one decoding that the table's field layer (GetNumeric,
// GetDate, FieldText) and the dataset's typed reads share. Each function
// looks at the bytes only; errors are the caller's to raise, so that a value
// that does not read keeps the message of the layer asking. O(width). They
// run once per field of a scan, a few nanoseconds each, so they are always
// inlined: a call would cost as much as the decoding.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "dbf_constants.h"

namespace kelmo::dbf {

// The bytes without the blanks and zero bytes that pad them on the right,
// looked at eight bytes at a time (a padded text field is mostly padding);
// the first word of a field of eight bytes or more may overlap padding
// already looked at, which changes nothing.
[[gnu::always_inline]] inline std::string_view TrimmedFieldBytes(const char* p, size_t width) {
  constexpr uint64_t kBlanks = 0x2020202020202020ULL;
  if (width >= 8) {
    size_t end = width;
    // Sixteen bytes at a time while they are all padding.
    while (end >= 16) {
      uint64_t low, high;
      std::memcpy(&low, p + end - 16, 8);
      std::memcpy(&high, p + end - 8, 8);
      if (((low | high) & ~kBlanks) != 0) break;
      end -= 16;
    }
    for (;;) {
      const size_t at = end >= 8 ? end - 8 : 0;
      uint64_t word;
      std::memcpy(&word, p + at, 8);
      // A byte that is neither a blank (0x20) nor zero has a bit besides 0x20.
      const uint64_t kept = word & ~kBlanks;
      if (kept != 0) {
        // The last such byte is the highest one set (the bytes are read
        // little-endian): the padding after it goes.
        static_assert(std::endian::native == std::endian::little);
        return {p, at + static_cast<size_t>(63 - std::countl_zero(kept)) / 8 + 1};
      }
      if (at == 0) return {p, 0};
      end = at;
    }
  }
  while (width > 0 && (p[width - 1] == ' ' || p[width - 1] == '\0')) --width;
  return {p, width};
}

inline std::string_view TrimmedFieldBytes(std::string_view raw) {
  return TrimmedFieldBytes(raw.data(), raw.size());
}

// The text without its leading blanks (right-aligned numbers are mostly
// blanks), eight bytes at a time.
[[gnu::always_inline]] inline std::string_view WithoutLeadingBlanks(std::string_view s) {
  constexpr uint64_t kBlanks = 0x2020202020202020ULL;
  while (s.size() >= 8) {
    uint64_t word;
    std::memcpy(&word, s.data(), 8);
    const uint64_t other = word ^ kBlanks;  // zero bytes where blanks stand
    if (other != 0) {
      s.remove_prefix(static_cast<size_t>(std::countr_zero(other)) / 8);
      return s;
    }
    s.remove_prefix(8);
  }
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

// Takes a leading "+" or "-" off the text; true for "-".
[[gnu::always_inline]] inline bool TakeSign(std::string_view& s) {
  if (s.empty() || (s.front() != '+' && s.front() != '-')) return false;
  const bool negative = s.front() == '-';
  s.remove_prefix(1);
  return negative;
}

// A number as the engine reads numeric text: leading blanks, at most one
// sign, digits with at most one "."; false when the text is not wholly a
// number (the caller raises). Text of at most 15 digits, the usual field, is
// read in one pass: the digits make an exact whole number and a power of ten
// up to 1e15 is exact, so the one division rounds as the full conversion does.
bool ParseFieldNumberSlow(std::string_view s, bool negative, double& value);
[[gnu::always_inline]] inline bool ParseFieldNumber(std::string_view text, double& value) {
  std::string_view s = WithoutLeadingBlanks(text);
  const bool negative = TakeSign(s);
  // One sign at most ("--1" is no number).
  if (s.empty() || s.front() == '+' || s.front() == '-') return false;
  if (s.size() <= 16) {
    int64_t whole = 0;
    int digits = 0, fraction = -1;
    size_t i = 0;
    for (; i < s.size(); ++i) {
      const char c = s[i];
      if (c >= '0' && c <= '9') {
        whole = whole * 10 + (c - '0');
        ++digits;
        if (fraction >= 0) ++fraction;
      } else if (c == '.' && fraction < 0) {
        fraction = 0;
      } else {
        break;
      }
    }
    if (i == s.size() && digits > 0 && digits <= 15) {
      static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
      const double v = fraction > 0 ? static_cast<double>(whole) / kPowers[fraction]
                                    : static_cast<double>(whole);
      value = negative ? -v : v;
      return true;
    }
  }
  return ParseFieldNumberSlow(s, negative, value);
}

// A whole number of at most 15 digits after leading blanks and at most one
// sign, the usual content of a whole-number field: exact, without a detour
// through a double. False for anything else (fractions, long numbers, bad
// digits), which ParseFieldNumber then reads or refuses.
[[gnu::always_inline]] inline bool ParsePlainWhole(std::string_view text, int64_t& value) {
  std::string_view s = WithoutLeadingBlanks(text);
  const bool negative = TakeSign(s);
  if (s.empty() || s.size() > 15) return false;
  int64_t whole = 0;
  for (const char c : s) {
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (digit > 9) return false;
    whole = whole * 10 + digit;
  }
  value = negative ? -whole : whole;
  return true;
}

// A date field's "yyyymmdd": false unless all eight bytes are digits. The
// eight bytes are looked at as one word: a byte is a digit when its high
// half is 3 and adding 6 does not carry into it; the digits then pair into
// two-digit numbers in one multiply.
[[gnu::always_inline]] inline bool DateFieldDigits(const char* p, int& year, int& month, int& day) {
  static_assert(std::endian::native == std::endian::little);
  constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ULL;
  constexpr uint64_t kZeros = 0x3030303030303030ULL;
  uint64_t word;
  std::memcpy(&word, p, 8);
  if ((word & kHigh) != kZeros || ((word + 0x0606060606060606ULL) & kHigh) != kZeros) {
    return false;
  }
  const uint64_t digits = word - kZeros;  // byte i: the i-th digit
  // 16-bit lane i: the digits 2i and 2i+1 as a two-digit number.
  const uint64_t pairs = ((digits * 10) + (digits >> 8)) & 0x00FF00FF00FF00FFULL;
  year = static_cast<int>(pairs & 0xFF) * 100 + static_cast<int>((pairs >> 16) & 0xFF);
  month = static_cast<int>((pairs >> 32) & 0xFF);
  day = static_cast<int>(pairs >> 48);
  return true;
}

// One of the letters a logical field reads as true.
[[gnu::always_inline]] inline bool LogicalTrueLetter(char c) {
  for (char letter : LogicalTrueLetters) {
    if (c == letter) return true;
  }
  return false;
}

}  // namespace kelmo::dbf
