// The library's resource texts (English). Each user passes a text through
// LocalizeString before showing or storing it; placeholders ("%s") are filled
// after that pass.
#pragma once

#include <string_view>

namespace kelmo::le {

// Texts of the regular-expression engine.
inline constexpr std::string_view kRegExprStreamNotAssigned = "The source stream is not assigned";
inline constexpr std::string_view kRegExprStreamEmpty = "The source stream is empty";
inline constexpr std::string_view kRegExprPlusCannotApply =
    "The '+' quantifier cannot be applied here";
inline constexpr std::string_view kRegExprStarCannotApply =
    "The '*' quantifier cannot be applied here";
inline constexpr std::string_view kRegExprEmptyAlternative = "The alternative should not be empty";
inline constexpr std::string_view kRegExprEmptyBlock = "The block should not be empty";
inline constexpr std::string_view kRegExprIllegalSymbol = "Illegal '%s'";
inline constexpr std::string_view kRegExprIllegalQuantifier = "Illegal quantifier '%s'";
inline constexpr std::string_view kRegExprIllegalIntegerValue = "Illegal integer value";
inline constexpr std::string_view kRegExprTooBigReferenceNumber = "Too big reference number";
inline constexpr std::string_view kRegExprCantCreateEmptyEnum = "Can't create empty enumeration";
inline constexpr std::string_view kRegExprSubrangeOrder =
    "The starting character of the subrange must be less than the finishing one";
inline constexpr std::string_view kRegExprHexNumberExpected = "Hexadecimal number expected";
inline constexpr std::string_view kRegExprHexNumberExpectedButFound =
    "Hexadecimal number expected but '%s' found";
inline constexpr std::string_view kRegExprMissing = "Missing '%s'";
inline constexpr std::string_view kRegExprUnnecessary = "Unnecessary '%s'";
inline constexpr std::string_view kRegExprSpaceAfterBackslash =
    "The space character is not allowed after '\\'";
inline constexpr std::string_view kRegExprNotCompiled = "Regular expression is not compiled";
inline constexpr std::string_view kRegExprIncorrectParameterQuantifier =
    "Incorrect parameter quantifier";
inline constexpr std::string_view kRegExprParameterQuantifierCannotApply =
    "The parameter quantifier cannot be applied here";
// A pattern whose expansion (bounds, references, nesting) would exceed what
// the engine builds; such a pattern is refused rather than left to exhaust
// memory or the stack.
inline constexpr std::string_view kRegExprTooComplex = "The regular expression is too complex";

// Texts of the typed stream helpers.
inline constexpr std::string_view kStreamReadError = "Stream read error";
inline constexpr std::string_view kStreamWriteError = "Stream write error";

}  // namespace kelmo::le
