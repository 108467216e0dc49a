// The identity-document series and number check (uDocMask): whether the
// series and the number of a patient's identity document have the form that
// the document type requires. Each type has a series mask and a number mask
// in the regular-expression engine's pattern language; a value passes when
// the whole value is accepted; a number made of one repeated character is
// refused whatever its mask says.
//
// Texts are bytes in code page 1251 ("А-Я" in a mask is 192 to 223, so "Ё"
// and lower-case letters fall outside it); the QString overload converts at
// the edge. Nothing here raises: a mask that does not compile or any other
// failure gives false.
//
// Cost: the masks are compiled once, on first use; a check then runs in time
// linear in the two texts, without allocating.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelmo::tariff {

// The masks of one document type, as code page 1251 bytes.
struct DocumentMasks {
  std::string series;
  std::string number;
};

// The masks of types 1 to 27 (19 and 20 hold ".*" and are never used);
// nothing for any other type.
std::optional<DocumentMasks> DocumentMasksFor(int type);

// True when mask compiles and accepts the whole text (an empty text
// included). A mask that does not compile raises the engine's
// EleRegExprError with every finding; other failures pass through.
bool MatchWholeMask(std::string_view text, std::string_view mask);

// True when the series and number are well-formed for the document type:
// types outside 1 to 18 and 21 to 27 never are; type 26 (series mask "^$")
// also takes an empty series; a number whose characters are all its first
// one (letter case ignored) never is. Never raises.
bool CheckDocumentSeriesNumber(std::uint8_t type, std::string_view series, std::string_view number);
bool CheckDocumentSeriesNumber(std::uint8_t type, const QString& series, const QString& number);

// Text to code page 1251 bytes; a character the code page lacks becomes "?".
std::string ToCp1251(const QString& text);

}  // namespace kelmo::tariff
