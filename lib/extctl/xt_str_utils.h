// String helpers of the extension controls (unit XtStrUtils) over byte
// strings. No state; each costs one pass over its text.
#pragma once

#include <string>
#include <string_view>

namespace kelmo::xt {

// True when every character of the text is one of `chars` (a set given as
// its members); an empty text gives true.
bool AllCharsInSet(std::string_view text, std::string_view chars);

// Scans left to right and replaces each occurrence of `search` with
// `replacement`; the scan goes on after the occurrence, so replacements are
// never searched again ("aaa", "aa", "b" → "ba"). An empty search text
// leaves the text as it is.
std::string ReplaceSubstring(std::string_view text, std::string_view search,
                             std::string_view replacement);

// The text without any occurrence of the character.
std::string StripChar(std::string_view text, char c);

// Without leading / trailing spaces (character 32 only; tabs stay).
std::string DropLeadingSpaces(std::string_view text);
std::string DropTrailingSpaces(std::string_view text);

// Trailing spaces removed, then leading ones (character 32 only).
std::string TrimBlanks(std::string_view text);

// `count` copies of the character; empty for a count below 1.
std::string RepeatChar(char c, int count);

}  // namespace kelmo::xt
