// Character tests: what one position of a pattern accepts. Every comparison
// is by byte code (code page 1251), case-sensitive. Accepts is constant time
// except for a user enumeration (linear in its members).
#pragma once

#include <bitset>
#include <memory>
#include <vector>

namespace kelmo::regexpr {

class TleRegExprItem {
 public:
  virtual ~TleRegExprItem() = default;
  virtual bool Accepts(char c) const = 0;
  virtual std::unique_ptr<TleRegExprItem> Duplicate() const = 0;
  // True when the answer depends on the locale separators in force at the
  // time of the test, so it cannot be tabulated when the pattern compiles.
  virtual bool ReadsLocale() const { return false; }
  // Every byte the test accepts now, by code.
  virtual std::bitset<256> Tabulate() const;
};

class TleRegExprSymbol : public TleRegExprItem {
 public:
  explicit TleRegExprSymbol(char symbol) : symbol_(symbol) {}
  bool Accepts(char c) const override { return c == symbol_; }
  std::unique_ptr<TleRegExprItem> Duplicate() const override;
  std::bitset<256> Tabulate() const override;
  char Symbol() const { return symbol_; }

 private:
  char symbol_;
};

// "/": the date separator in force when the character is tested.
class TleRegExprDateSeparator : public TleRegExprItem {
 public:
  bool Accepts(char c) const override;
  std::unique_ptr<TleRegExprItem> Duplicate() const override;
  bool ReadsLocale() const override { return true; }
};

// ":": the time separator in force when the character is tested.
class TleRegExprTimeSeparator : public TleRegExprItem {
 public:
  bool Accepts(char c) const override;
  std::unique_ptr<TleRegExprItem> Duplicate() const override;
  bool ReadsLocale() const override { return true; }
};

// first <= c <= last, by unsigned byte code.
class TleRegExprSubrange : public TleRegExprItem {
 public:
  TleRegExprSubrange(char first, char last) : first_(first), last_(last) {}
  bool Accepts(char c) const override;
  std::unique_ptr<TleRegExprItem> Duplicate() const override;
  std::bitset<256> Tabulate() const override;

 private:
  char first_;
  char last_;
};

// A set of characters, possibly inverted.
class TleRegExprEnumeration : public TleRegExprItem {
 public:
  explicit TleRegExprEnumeration(bool inverse) : inverse_(inverse) {}
  bool Inverse() const { return inverse_; }
  bool Accepts(char c) const final { return Contains(c) != inverse_; }
  std::bitset<256> Tabulate() const final;

 protected:
  virtual bool Contains(char c) const = 0;
  // The bytes Contains accepts.
  virtual std::bitset<256> Members() const;

 private:
  bool inverse_;
};

// [...] and [^...]: the members are tried in order.
class TleRegExprUserEnumeration : public TleRegExprEnumeration {
 public:
  explicit TleRegExprUserEnumeration(bool inverse) : TleRegExprEnumeration(inverse) {}
  void Add(std::unique_ptr<TleRegExprItem> member) { members_.push_back(std::move(member)); }
  int Count() const { return static_cast<int>(members_.size()); }
  std::unique_ptr<TleRegExprItem> Duplicate() const override;
  bool ReadsLocale() const override;

 protected:
  bool Contains(char c) const override;
  std::bitset<256> Members() const override;

 private:
  std::vector<std::unique_ptr<TleRegExprItem>> members_;
};

// \d and \D: "0" to "9".
class TleRegExprDigit : public TleRegExprEnumeration {
 public:
  using TleRegExprEnumeration::TleRegExprEnumeration;
  std::unique_ptr<TleRegExprItem> Duplicate() const override;

 protected:
  bool Contains(char c) const override { return c >= '0' && c <= '9'; }
  std::bitset<256> Members() const override;
};

// \w and \W: Latin letters, digits and "_"; no letter outside ASCII.
class TleRegExprIdLetter : public TleRegExprEnumeration {
 public:
  using TleRegExprEnumeration::TleRegExprEnumeration;
  std::unique_ptr<TleRegExprItem> Duplicate() const override;

 protected:
  bool Contains(char c) const override;
  std::bitset<256> Members() const override;
};

// \s and \S: the codes 32, 0, 9, 10, 12 and 13.
class TleRegExprSpace : public TleRegExprEnumeration {
 public:
  using TleRegExprEnumeration::TleRegExprEnumeration;
  std::unique_ptr<TleRegExprItem> Duplicate() const override;

 protected:
  bool Contains(char c) const override;
  std::bitset<256> Members() const override;
};

// ".": any character.
class TleRegExprAll : public TleRegExprItem {
 public:
  bool Accepts(char) const override { return true; }
  std::unique_ptr<TleRegExprItem> Duplicate() const override;
};

}  // namespace kelmo::regexpr
