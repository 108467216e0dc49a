// The regular-expression engine: compiles a pattern (bytes, code page 1251)
// into a matching automaton that is fed a text one character at a time and
// asked at the end whether it stands in a final state. A whole-text
// acceptor: no anchors, no captures, no search.
//
// Pattern language: a character without a special role matches itself;
// '...' quotes (two quotes for one); "." any character; "/" and ":" the
// date and time separators (regexpr_locale.h); \d \D \w \W \s \S; \xHH;
// \a \e \f \n \r \t; \p the decimal separator; \1 to \9 a new copy of the
// pattern of that group; \ with any other character that character;
// [...] and [^...] with ranges x-y; ( ) groups; x|y; x* x+ x? x{m} x{m,}
// x{m,n}. Separators (codes 0, 9, 10, 12, 13, 32) outside quotes are
// skipped. "^" and "$" are ordinary characters.
//
// Errors: CompileStream raises EleRegExprError carrying every finding of the
// scan or of the parse (texts in resource_texts.h, positions as line and
// character position); a pattern that would expand beyond kMaxPatternNodes
// items is refused with "The regular expression is too complex". FeedChar
// and IsFinalState on an expression that is not compiled raise
// std::logic_error "Regular expression is not compiled".
//
// Cost: compiling is linear in the pattern up to that bound; matching costs
// time linear in the text (a set of states moves per character; nothing
// backtracks) and no allocation per character.
#pragma once

#include <istream>
#include <memory>
#include <string>

#include "regexpr_errors.h"
#include "regexpr_program.h"

namespace kelmo::regexpr {

class TleRegExprAutomat;

class TleRegExpr {
 public:
  TleRegExpr();
  ~TleRegExpr();
  TleRegExpr(const TleRegExpr&) = delete;
  TleRegExpr& operator=(const TleRegExpr&) = delete;

  // Reads the whole stream (null: "The source stream is not assigned") and
  // compiles it. After success the automaton stands in its start state. A
  // compile after the first one resets the expression first; a failed one
  // leaves it not compiled.
  void CompileStream(std::istream* source);

  // Empties everything and frees the automaton; not compiled afterwards.
  void Reset();

  // Feeds one character: true when some current state accepts it (the set
  // moves), false when none does (the set stays where it was).
  bool FeedChar(char c);
  // True when some current state is final.
  bool IsFinalState() const;

  bool Compiled() const { return compiled_; }
  // The findings of the last compile.
  const TleRegExprErrors& Errors() const { return errors_; }
  // The compiled automaton, shareable and immutable; null when not compiled.
  std::shared_ptr<const TleRegExprProgram> Program() const;
  // Diagnostic text of the parse tree; empty when not compiled.
  std::string DumpText() const;

 private:
  void Raise();

  std::string buffer_;
  TleRegExprErrors errors_;
  std::unique_ptr<TleRegExprAutomat> automat_;
  bool compiled_ = false;
  bool firstCompile_ = true;
};

}  // namespace kelmo::regexpr
