// The scanner of the pattern language (lexical layer of the compiler).
#include "regexpr_scanner.h"

#include "lookandfeel/le_classes.h"
#include "regexpr_locale.h"
#include "lookandfeel/resource_texts.h"

namespace kelmo::regexpr {

namespace {

using le::IsSeparatorChar;
using le::LocalizeString;

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return c - 'a' + 10;
}

class Scanner {
 public:
  Scanner(std::string_view text, TleLexems& lexems, TleRegExprErrors& errors)
      : text_(text), lexems_(lexems), errors_(errors) {}

  void Run() {
    while (!AtEnd()) {
      const char c = Read();
      if (IsSeparatorChar(c)) continue;
      switch (c) {
        case '\'':
          ScanQuoted();
          break;
        case '(':
          ++openParens_;
          AddHere(lkOperator, c);
          break;
        case ')':
          --openParens_;
          AddHere(lkOperator, c);
          break;
        case '*':
        case '+':
        case '?':
        case '|':
          AddHere(lkOperator, c);
          break;
        case '.':
          AddHere(lkAnyChar, c);
          break;
        case '/':
          AddHere(lkDateSeparator, c);
          break;
        case ':':
          AddHere(lkTimeSeparator, c);
          break;
        case '[':
          AddHere(lkOperator, c);
          ScanClass();
          break;
        case '\\':
          ScanEscape();
          break;
        case '{':
          AddHere(lkOperator, c);
          ScanBraces();
          break;
        default:
          AddHere(lkSymbol, c);
          break;
      }
    }
    // Only the final count is judged, so ")(" passes here and fails in the
    // parser.
    if (openParens_ > 0) Error(0, 0, le::kRegExprMissing, ")");
    if (openParens_ < 0) Error(0, 0, le::kRegExprUnnecessary, ")");
  }

 private:
  bool AtEnd() const { return index_ >= text_.size(); }
  char Peek() const { return text_[index_]; }

  char Read() {
    const char c = text_[index_++];
    if (c == '\r') ++line_;
    if (c == '\n')
      position_ = 0;
    else
      ++position_;
    return c;
  }

  void Add(std::uint32_t kind, std::string text, std::uint32_t line, std::uint32_t position) {
    lexems_.push_back(TleLexem{position, kind, line, std::move(text)});
  }
  void AddHere(std::uint32_t kind, char c) { Add(kind, std::string(1, c), line_, position_); }

  void Error(std::uint32_t line, std::uint32_t position, std::string_view text,
             std::string_view arg = {}) {
    errors_.Add(TleRegExprError{static_cast<int>(line), static_cast<int>(position),
                                FormatMessage(LocalizeString(text), arg)});
  }

  // After a quote: every character up to the closing quote is a symbol; two
  // quotes in a row stand for one.
  void ScanQuoted() {
    for (;;) {
      if (AtEnd()) {
        Error(line_, position_ + 1, le::kRegExprMissing, " ' ");
        return;
      }
      const char c = Read();
      if (c == '\'') {
        if (AtEnd() || Peek() != '\'') return;
        Read();
      }
      AddHere(lkSymbol, c);
    }
  }

  // After a backslash; the lexeme takes the backslash's place.
  void ScanEscape() {
    const std::uint32_t line = line_;
    const std::uint32_t position = position_;
    if (AtEnd()) return;  // a trailing backslash is dropped
    const char c = Read();
    auto symbol = [&](char s) { Add(lkSymbol, std::string(1, s), line, position); };
    if (c >= '1' && c <= '9') {
      Add(lkReference, std::string(1, c), line, position);
      return;
    }
    if (IsSeparatorChar(c)) {
      Error(line_, position_, le::kRegExprSpaceAfterBackslash);
      return;
    }
    switch (c) {
      case 'd':
        Add(lkDigit, "d", line, position);
        return;
      case 'D':
        Add(lkNonDigit, "D", line, position);
        return;
      case 'w':
        Add(lkWordChar, "w", line, position);
        return;
      case 'W':
        Add(lkNonWordChar, "W", line, position);
        return;
      case 's':
        Add(lkSeparator, "s", line, position);
        return;
      case 'S':
        Add(lkNonSeparator, "S", line, position);
        return;
      case 'a':
        return symbol('\a');
      case 'e':
        return symbol('\x1B');
      case 'f':
        return symbol('\f');
      case 'n':
        return symbol('\n');
      case 'r':
        return symbol('\r');
      case 't':
        return symbol('\t');
      case 'p':
        return symbol(DecimalSeparator());
      case 'x': {
        int code = 0;
        for (int i = 0; i < 2; ++i) {
          if (AtEnd()) {
            Error(line_, position_ + 1, le::kRegExprHexNumberExpected);
            return;
          }
          const char h = Read();
          if (!IsHexDigit(h)) {
            Error(line_, position_, le::kRegExprHexNumberExpectedButFound, std::string(1, h));
            return;
          }
          code = code * 16 + HexValue(h);
        }
        return symbol(static_cast<char>(code));
      }
      default:
        return symbol(c);
    }
  }

  // After "[": up to and including "]".
  void ScanClass() {
    bool first = true;
    for (;;) {
      if (AtEnd()) {
        Error(line_, position_ + 1, le::kRegExprMissing, "]");
        return;
      }
      const char c = Read();
      if (IsSeparatorChar(c)) continue;
      const bool wasFirst = first;
      first = false;
      switch (c) {
        case '\'':
          ScanQuoted();
          continue;
        case '/':
          AddHere(lkDateSeparator, c);
          continue;
        case ':':
          AddHere(lkTimeSeparator, c);
          continue;
        case '\\':
          ScanEscape();
          continue;
        case ']':
          AddHere(lkOperator, c);
          return;
        default:
          break;
      }
      if (wasFirst) {
        AddHere(c == '^' ? lkOperator : lkSymbol, c);
        continue;
      }
      if (c != '-') {
        AddHere(lkSymbol, c);
        continue;
      }
      // A "-" just before the closing bracket is a member, not a range.
      size_t ahead = index_;
      while (ahead < text_.size() && IsSeparatorChar(text_[ahead])) ++ahead;
      if (ahead >= text_.size()) {
        AddHere(lkOperator, c);
        Error(line_, position_ + 1, le::kRegExprMissing, "]");
        return;
      }
      AddHere(text_[ahead] == ']' ? lkSymbol : lkOperator, c);
    }
  }

  // After "{": up to and including "}".
  void ScanBraces() {
    for (;;) {
      if (AtEnd()) {
        Error(line_, position_ + 1, le::kRegExprMissing, "}");
        return;
      }
      const char c = Read();
      if (IsSeparatorChar(c)) continue;
      if (c >= '0' && c <= '9') {
        const std::uint32_t line = line_;
        const std::uint32_t position = position_;
        std::string digits(1, c);
        while (!AtEnd() && Peek() >= '0' && Peek() <= '9') digits += Read();
        Add(lkInteger, std::move(digits), line, position);
      } else if (c == ',') {
        AddHere(lkOperator, c);
      } else if (c == '}') {
        AddHere(lkOperator, c);
        return;
      } else if (c == '\'') {
        Error(line_, position_, le::kRegExprIllegalSymbol, " ' ");
      } else {
        Error(line_, position_, le::kRegExprIllegalSymbol, std::string(1, c));
      }
    }
  }

  std::string_view text_;
  TleLexems& lexems_;
  TleRegExprErrors& errors_;
  size_t index_ = 0;
  std::uint32_t line_ = 1;
  std::uint32_t position_ = 0;
  long openParens_ = 0;
};

}  // namespace

void ScanPattern(std::string_view text, TleLexems& lexems, TleRegExprErrors& errors) {
  Scanner(text, lexems, errors).Run();
}

}  // namespace kelmo::regexpr
