// The identity-document series and number check (registry checks layer).
#include "identity_document_check.h"

#include <QStringEncoder>
#include <array>
#include <memory>
#include <sstream>
#include <vector>

#include "regexpr/regexpr.h"

namespace kelmo::tariff {

namespace {

using regexpr::TleRegExpr;
using regexpr::TleRegExprProgram;

// The masks by document type as written (UTF-8 here, code page 1251 when
// compiled). A space is ignored in the pattern language, hence "\x20"; a
// comma inside brackets is a member of the set like any other character.
constexpr const char* kAnyLatinOrCyrillic = "[A-Z,0-9,\\x20,-]*|[А-Я,0-9,\\x20,-]*";
constexpr const char* kRomanSeries = "[I,V,X,L,C,1,У,Х,Л,С]{1,4}-[А-Я]{2}";
constexpr const char* kMixedSeries = "[A-ZА-Я,0-9,\\x20,-]*";

struct MaskText {
  const char* series;
  const char* number;
};

constexpr std::array<MaskText, 27> kMasks = {{
    {kRomanSeries, "\\d{6}"},            // 1
    {kAnyLatinOrCyrillic, "\\d{1,8}"},   // 2
    {kRomanSeries, "\\d{6}"},            // 3
    {"[А-Я]{2}", "\\d{7}"},              // 4
    {kAnyLatinOrCyrillic, "\\d{1,8}"},   // 5
    {"[А-Я]{2}", "\\d{6}"},              // 6
    {"[А-Я]{2}", "\\d{6,7}"},            // 7
    {"\\d{2}", "\\d{7}"},                // 8
    {kAnyLatinOrCyrillic, "\\d{1,10}"},  // 9
    {kAnyLatinOrCyrillic, "\\d{1,8}"},   // 10
    {kMixedSeries, "\\d{1,8}"},          // 11
    {kAnyLatinOrCyrillic, "\\d{1,8}"},   // 12
    {kAnyLatinOrCyrillic, "\\d{1,8}"},   // 13
    {"\\d{2}\\x20\\d{2}", "\\d{6,7}"},   // 14
    {"\\d{2}", "\\d{7}"},                // 15
    {"[А-Я]{2}", "\\d{6,7}"},            // 16
    {"[А-Я]{2}", "\\d{6}"},              // 17
    {kMixedSeries, "\\d{1,10}"},         // 18
    {".*", ".*"},                        // 19
    {".*", ".*"},                        // 20
    {kMixedSeries, "\\d{1,12}"},         // 21
    {kMixedSeries, "\\d{1,12}"},         // 22
    {kMixedSeries, "\\d{1,12}"},         // 23
    {kMixedSeries, "\\d{1,12}"},         // 24
    {"\\d{2}|[А-Я]{2}", "\\d{7}"},       // 25
    {"^$", "\\d{6}"},                    // 26
    {kAnyLatinOrCyrillic, "\\d{1,12}"},  // 27
}};

// "^$" is the literal two-character text in the pattern language; as a
// series mask it also stands for "no series".
constexpr std::string_view kEmptySeriesMask = "^$";

// Types 1 to 18 and 21 to 27, one bit each: a test without a branch on a
// type that a registry gives in any order.
constexpr std::uint32_t kCheckedTypes =
    ((std::uint32_t{1} << 19) - 2) | (std::uint32_t{0x7F} << 21);
static_assert(kCheckedTypes == 0x0FE7FFFE);

bool IsCheckedType(int type) {
  return (static_cast<unsigned>(type) < 32) & ((kCheckedTypes >> (type & 31)) & 1);
}

// Every mask compiled once. The masks are fixed, so a compiled program
// answers exactly as compiling the mask afresh for each value would.
struct CompiledType {
  // Null when the mask does not compile: every value fails it.
  const TleRegExprProgram* series = nullptr;
  const TleRegExprProgram* number = nullptr;
  bool emptySeriesAllowed = false;
};

struct CompiledMasks {
  std::array<DocumentMasks, 27> text;
  std::array<CompiledType, 27> types;  // what a check reads, side by side
  std::vector<std::shared_ptr<const TleRegExprProgram>> programs;  // owners of the above
};

std::shared_ptr<const TleRegExprProgram> CompileMask(const std::string& mask) {
  TleRegExpr re;
  std::istringstream in(mask);
  try {
    re.CompileStream(&in);
  } catch (const regexpr::EleRegExprError&) {
    return nullptr;  // every value fails this mask
  }
  return re.Program();
}

// Out of line, so that the check's look-up of the masks stays only the guard
// of the static.
[[gnu::noinline]] CompiledMasks CompileMasks() {
  CompiledMasks m;
  for (size_t i = 0; i < kMasks.size(); ++i) {
    m.text[i] = {ToCp1251(QString::fromUtf8(kMasks[i].series)),
                 ToCp1251(QString::fromUtf8(kMasks[i].number))};
    const auto series = CompileMask(m.text[i].series);
    const auto number = CompileMask(m.text[i].number);
    m.types[i] = {series.get(), number.get(), m.text[i].series == kEmptySeriesMask};
    m.programs.push_back(series);
    m.programs.push_back(number);
  }
  return m;
}

const CompiledMasks& Masks() {
  static const CompiledMasks masks = CompileMasks();
  return masks;
}

// Code page 1251 letter case: Latin, Cyrillic А-Я/а-я, Ё/ё and the other
// paired letters of the code page, by byte.
constexpr std::array<unsigned char, 256> kUpperCp1251 = [] {
  std::array<unsigned char, 256> upper{};
  for (int c = 0; c < 256; ++c) upper[c] = static_cast<unsigned char>(c);
  for (int c = 'a'; c <= 'z'; ++c) upper[c] = static_cast<unsigned char>(c - 32);
  for (int c = 0xE0; c <= 0xFF; ++c) upper[c] = static_cast<unsigned char>(c - 32);
  const unsigned char pairs[][2] = {{0xB8, 0xA8}, {0xBA, 0xAA}, {0xBF, 0xAF}, {0xB3, 0xB2},
                                    {0xB4, 0xA5}, {0xA2, 0xA1}, {0xBC, 0xA3}, {0xBE, 0xBD},
                                    {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E},
                                    {0x9F, 0x8F}, {0x90, 0x80}, {0x83, 0x81}};
  for (const auto& p : pairs) upper[p[0]] = p[1];
  return upper;
}();

// A number whose every character is its first one, letter case ignored.
// Real numbers differ by the second character, where this stops.
bool IsOneRepeatedCharacter(std::string_view number) {
  const unsigned char first = kUpperCp1251[static_cast<unsigned char>(number.front())];
  for (char c : number.substr(1))
    if (kUpperCp1251[static_cast<unsigned char>(c)] != first) return false;
  return true;
}

// The check on the compiled masks of one type; reads only the two texts.
bool CheckCompiled(const CompiledType& masks, std::string_view series,
                   std::string_view number) noexcept {
  if (masks.series == nullptr || masks.number == nullptr) return false;
  const bool numberOk = masks.number->MatchesWhole(number);
  const bool seriesOk =
      masks.series->MatchesWhole(series) | (masks.emptySeriesAllowed & series.empty());
  const bool repeated = !number.empty() && IsOneRepeatedCharacter(number);
  // Combined without branching on either answer: a registry's answers are
  // hard to foretell.
  return seriesOk & numberOk & !repeated;
}

}  // namespace

std::string ToCp1251(const QString& text) {
  QStringEncoder encoder("windows-1251");
  const QByteArray bytes = encoder.encode(text);
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::optional<DocumentMasks> DocumentMasksFor(int type) {
  if (type < 1 || type > 27) return std::nullopt;
  return Masks().text[static_cast<size_t>(type - 1)];
}

bool MatchWholeMask(std::string_view text, std::string_view mask) {
  TleRegExpr re;
  std::istringstream in{std::string(mask)};
  re.CompileStream(&in);
  for (char c : text)
    if (!re.FeedChar(c)) return false;
  return re.IsFinalState();
}

bool CheckDocumentSeriesNumber(std::uint8_t type, std::string_view series,
                               std::string_view number) {
  if (!IsCheckedType(type)) return false;
  const CompiledMasks* masks = nullptr;
  try {
    masks = &Masks();
  } catch (...) {
    return false;
  }
  return CheckCompiled(masks->types[type - 1u], series, number);
}

bool CheckDocumentSeriesNumber(std::uint8_t type, const QString& series, const QString& number) {
  try {
    return CheckDocumentSeriesNumber(type, std::string_view(ToCp1251(series)),
                                     std::string_view(ToCp1251(number)));
  } catch (...) {
    return false;
  }
}

}  // namespace kelmo::tariff
