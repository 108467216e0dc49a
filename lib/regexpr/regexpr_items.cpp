// Character tests of the pattern language.
#include "regexpr_items.h"

#include "lookandfeel/le_classes.h"
#include "regexpr_locale.h"

namespace kelmo::regexpr {

namespace {
std::bitset<256> Range(unsigned first, unsigned last) {
  std::bitset<256> set;
  for (unsigned c = first; c <= last; ++c) set.set(c);
  return set;
}
}  // namespace

std::bitset<256> TleRegExprItem::Tabulate() const {
  std::bitset<256> set;
  for (int c = 0; c < 256; ++c)
    if (Accepts(static_cast<char>(c))) set.set(static_cast<size_t>(c));
  return set;
}

std::bitset<256> TleRegExprSymbol::Tabulate() const {
  std::bitset<256> set;
  set.set(static_cast<unsigned char>(symbol_));
  return set;
}

std::unique_ptr<TleRegExprItem> TleRegExprSymbol::Duplicate() const {
  return std::make_unique<TleRegExprSymbol>(symbol_);
}

bool TleRegExprDateSeparator::Accepts(char c) const {
  return c == DateSeparator();
}
std::unique_ptr<TleRegExprItem> TleRegExprDateSeparator::Duplicate() const {
  return std::make_unique<TleRegExprDateSeparator>();
}

bool TleRegExprTimeSeparator::Accepts(char c) const {
  return c == TimeSeparator();
}
std::unique_ptr<TleRegExprItem> TleRegExprTimeSeparator::Duplicate() const {
  return std::make_unique<TleRegExprTimeSeparator>();
}

bool TleRegExprSubrange::Accepts(char c) const {
  const auto u = static_cast<unsigned char>(c);
  return static_cast<unsigned char>(first_) <= u && u <= static_cast<unsigned char>(last_);
}
std::bitset<256> TleRegExprSubrange::Tabulate() const {
  return Range(static_cast<unsigned char>(first_), static_cast<unsigned char>(last_));
}

std::bitset<256> TleRegExprEnumeration::Tabulate() const {
  const std::bitset<256> members = Members();
  return inverse_ ? ~members : members;
}

std::bitset<256> TleRegExprEnumeration::Members() const {
  std::bitset<256> set;
  for (int c = 0; c < 256; ++c)
    if (Contains(static_cast<char>(c))) set.set(static_cast<size_t>(c));
  return set;
}

std::bitset<256> TleRegExprUserEnumeration::Members() const {
  std::bitset<256> set;
  for (const auto& m : members_) set |= m->Tabulate();
  return set;
}

std::unique_ptr<TleRegExprItem> TleRegExprSubrange::Duplicate() const {
  return std::make_unique<TleRegExprSubrange>(first_, last_);
}

std::unique_ptr<TleRegExprItem> TleRegExprUserEnumeration::Duplicate() const {
  auto copy = std::make_unique<TleRegExprUserEnumeration>(Inverse());
  for (const auto& m : members_) copy->Add(m->Duplicate());
  return copy;
}

bool TleRegExprUserEnumeration::ReadsLocale() const {
  for (const auto& m : members_)
    if (m->ReadsLocale()) return true;
  return false;
}

bool TleRegExprUserEnumeration::Contains(char c) const {
  for (const auto& m : members_)
    if (m->Accepts(c)) return true;
  return false;
}

std::bitset<256> TleRegExprDigit::Members() const {
  return Range('0', '9');
}

std::bitset<256> TleRegExprIdLetter::Members() const {
  std::bitset<256> set = Range('a', 'z') | Range('A', 'Z') | Range('0', '9');
  set.set('_');
  return set;
}

std::bitset<256> TleRegExprSpace::Members() const {
  std::bitset<256> set;
  for (unsigned c : {0u, 9u, 10u, 12u, 13u, 32u}) set.set(c);
  return set;
}

std::unique_ptr<TleRegExprItem> TleRegExprDigit::Duplicate() const {
  return std::make_unique<TleRegExprDigit>(Inverse());
}

bool TleRegExprIdLetter::Contains(char c) const {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
std::unique_ptr<TleRegExprItem> TleRegExprIdLetter::Duplicate() const {
  return std::make_unique<TleRegExprIdLetter>(Inverse());
}

bool TleRegExprSpace::Contains(char c) const {
  return le::IsSeparatorChar(c);
}
std::unique_ptr<TleRegExprItem> TleRegExprSpace::Duplicate() const {
  return std::make_unique<TleRegExprSpace>(Inverse());
}

std::unique_ptr<TleRegExprItem> TleRegExprAll::Duplicate() const {
  return std::make_unique<TleRegExprAll>();
}

}  // namespace kelmo::regexpr
