// Character tests of the pattern language.
#include "regexpr_items.h"

#include "le_classes.h"
#include "regexpr_locale.h"

namespace kelmo::regexpr {

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
