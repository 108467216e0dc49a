// Pre-test of a character field on its stored bytes, for the "dbf" module's
// scans (dbf_vtab.h): before a record's field is decoded from its code page
// and handed to SQLite, the bytes are checked against an equality value or the
// literal start of a LIKE or GLOB pattern. The test lets through every record
// whose decoded value could satisfy the condition, so SQLite, which still
// evaluates the condition on the rows it gets, returns the same rows as
// without it; it only spares the decoding and the SQLite work of the records
// that cannot match.
//
// What lets a byte test stand in for a text test: in code pages 866 and 1251
// every byte decodes to exactly one character, so the n-th byte of the field
// is the n-th character of its value. The value SQLite sees is the decoded
// field with trailing blanks and NULs cut off, NULL when nothing is left;
// LIKE and GLOB read it only up to its first NUL.
//
// - Equality (=, BINARY collation) with a text value: the trimmed bytes must
//   be the value's characters, one for one.
// - LIKE pattern: its literal parts between runs of '%' in order, the first
//   at the start of the value, the last at its end unless the pattern ends
//   in '%' ('_' is any one character); a letter matches either case (ASCII
//   and Cyrillic, wider than SQLite's own LIKE, which folds ASCII only, so the
//   test is also sound with PRAGMA case_sensitive_like and with a Unicode
//   LIKE).
// - GLOB pattern: the same with '*' and '?', letters exactly; the pattern is
//   tested only up to its first '[' (a character class).
// A blank field (NULL) never passes: none of these conditions holds for NULL.
// Characters the test cannot place (outside the code page, or malformed
// UTF-8) end the tested part of the pattern there.
//
// Cost: building is linear in the value; a test reads at most as many bytes
// as the tested part is long when the pattern has no inner wildcard, else at
// most field width times tested pattern length; it allocates nothing.
#pragma once

#include <bitset>
#include <optional>
#include <string_view>
#include <vector>

#include "bytes/code_pages.h"

namespace kelmo::dbfsql {

class RawTextFilter {
 public:
  enum class Kind { kEqual, kLike, kGlob };

  // The test of a condition with the UTF-8 value (for LIKE and GLOB: the
  // pattern, up to its first NUL as SQLite reads it) on fields stored in cp.
  // Empty when the code page does not decode one byte to one character.
  static std::optional<RawTextFilter> Make(Kind kind, std::string_view utf8, bytes::CodePage cp);

  // raw: the field's stored bytes, as wide as the field.
  bool Passes(std::string_view raw) const {
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) raw.remove_suffix(1);
    if (raw.empty()) return false;
    if (!segmentStarts_.empty()) {
      return PassesSegments(endsAtNul_ ? raw.substr(0, raw.find('\0')) : raw);
    }
    if (wholeValue_) {
      // LIKE and GLOB read the value up to its first NUL.
      if (endsAtNul_) raw = raw.substr(0, raw.find('\0'));
      if (raw.size() != positions_.size()) return false;
    } else if (raw.size() < positions_.size()) {
      return false;
    }
    for (size_t i = 0; i < positions_.size(); ++i) {
      if (!positions_[i][static_cast<unsigned char>(raw[i])]) return false;
    }
    return true;
  }

 private:
  // Passes for a pattern with wildcard runs inside: value is the trimmed
  // field up to its first NUL.
  bool PassesSegments(std::string_view value) const;

  // The bytes allowed at each position of the pattern's literal parts, one
  // byte for one character.
  std::vector<std::bitset<256>> positions_;
  // Where each literal part after a run of wildcards ("%", "*") starts in
  // positions_; empty: one part, at the start of the value.
  std::vector<size_t> segmentStarts_;
  // The last part ends where the value ends (with one part: the trimmed field
  // is exactly as long).
  bool wholeValue_ = false;
  // The value ends at its first NUL (patterns), else at its last byte.
  bool endsAtNul_ = false;
};

}  // namespace kelmo::dbfsql
