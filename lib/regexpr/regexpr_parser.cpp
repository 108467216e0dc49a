// The parser of the pattern language (syntax layer of the compiler).
#include "regexpr_parser.h"

#include <charconv>
#include <optional>

#include "lookandfeel/le_classes.h"
#include "regexpr_items.h"
#include "lookandfeel/resource_texts.h"

namespace kelmo::regexpr {

namespace {

using le::LocalizeString;
using Item = TleRegExprParserItem;

template <class Q>
std::unique_ptr<TleRegExprQuantifier> Make() {
  return std::make_unique<Q>();
}

class Parser {
 public:
  Parser(const TleLexems& lexems, TleRegExprErrors& errors) : lexems_(lexems), errors_(errors) {}

  std::unique_ptr<TleRegExprParserAlts> ParseExpression() {
    auto alts = std::make_unique<TleRegExprParserAlts>();
    while (ParseAlternative(alts->Add(), false)) {
    }
    return alts;
  }

 private:
  const TleLexem* Peek() const { return index_ < lexems_.size() ? &lexems_[index_] : nullptr; }
  const TleLexem* Next() { return index_ < lexems_.size() ? &lexems_[index_++] : nullptr; }

  void Error(const TleLexem* at, std::string_view text, std::string_view arg = {}) {
    errors_.Add(TleRegExprError{at ? static_cast<int>(at->line) : 0,
                                at ? static_cast<int>(at->position) : 0,
                                FormatMessage(LocalizeString(text), arg)});
  }

  // Takes count more items out of the budget; false (with one finding for the
  // whole pattern) when they do not fit or when nesting would grow too deep.
  bool Spend(size_t count, int depth, const TleLexem* at) {
    if (!tooComplex_ && nodes_ + count <= kMaxPatternNodes && depth <= kMaxPatternNesting) {
      nodes_ += count;
      return true;
    }
    if (!tooComplex_) Error(at, le::kRegExprTooComplex);
    tooComplex_ = true;
    return false;
  }

  std::unique_ptr<Item> MakeSimple(std::unique_ptr<TleRegExprItem> test, const TleLexem* at) {
    if (!Spend(1, nesting_, at)) return nullptr;
    return std::make_unique<TleRegExprParserSimpleItem>(std::move(test), nullptr);
  }

  // A parsed item becomes the current one; items the budget refused are
  // simply left out (the compile fails anyway).
  void Append(TleRegExprParserAlt& alt, std::unique_ptr<Item> item, Item*& current) {
    if (!item) return;
    current = item.get();
    alt.Add(std::move(item));
  }

  static std::unique_ptr<TleRegExprItem> TestFor(const TleLexem& lx) {
    switch (lx.kind) {
      case lkAnyChar:
        return std::make_unique<TleRegExprAll>();
      case lkWordChar:
        return std::make_unique<TleRegExprIdLetter>(false);
      case lkNonWordChar:
        return std::make_unique<TleRegExprIdLetter>(true);
      case lkDigit:
        return std::make_unique<TleRegExprDigit>(false);
      case lkNonDigit:
        return std::make_unique<TleRegExprDigit>(true);
      case lkSeparator:
        return std::make_unique<TleRegExprSpace>(false);
      case lkNonSeparator:
        return std::make_unique<TleRegExprSpace>(true);
      case lkDateSeparator:
        return std::make_unique<TleRegExprDateSeparator>();
      case lkTimeSeparator:
        return std::make_unique<TleRegExprTimeSeparator>();
      default:
        return std::make_unique<TleRegExprSymbol>(lx.text.empty() ? '\0' : lx.text[0]);
    }
  }

  // Parses one alternative into alt; true when it ended on "|" (another one
  // follows), false when its list ends.
  bool ParseAlternative(TleRegExprParserAlt& alt, bool inGroup) {
    const TleLexem* first = Peek();
    if (!first) {
      Error(nullptr, le::kRegExprEmptyAlternative);
      return false;
    }
    if (first->IsOperator('|')) {
      Error(first, le::kRegExprEmptyAlternative);
      ++index_;
      return true;
    }
    if (inGroup && first->IsOperator(')')) {
      Error(first, le::kRegExprEmptyBlock);
      ++index_;
      return false;
    }
    Item* current = nullptr;
    while (const TleLexem* lx = Next()) {
      switch (lx->kind) {
        case lkSymbol:
          Append(alt, MakeSimple(TestFor(*lx), lx), current);
          break;
        case lkInteger:
          Error(lx, le::kRegExprIllegalIntegerValue);
          break;
        case lkReference:
          Append(alt, Reference(*lx), current);
          break;
        case lkOperator:
          switch (lx->text[0]) {
            case '(':
              Append(alt, ParseGroup(*lx), current);
              break;
            case ')':
              if (inGroup) return false;
              Error(lx, le::kRegExprIllegalSymbol, ")");
              break;
            case '*':
            case '+':
              if (!current) {
                Error(lx, le::kRegExprIllegalQuantifier, lx->text);
              } else if (current->MayMatchEmpty()) {
                Error(lx, lx->text[0] == '*' ? le::kRegExprStarCannotApply
                                             : le::kRegExprPlusCannotApply);
              } else {
                ApplySign(alt, current,
                          lx->text[0] == '*' ? Make<TleRegExprStarQuantifier>()
                                             : Make<TleRegExprPlusQuantifier>(),
                          *lx);
              }
              break;
            case '?':
              if (!current)
                Error(lx, le::kRegExprIllegalQuantifier, lx->text);
              else
                ApplySign(alt, current, Make<TleRegExprQuestionQuantifier>(), *lx);
              break;
            case '{':
              if (!current)
                Error(lx, le::kRegExprIncorrectParameterQuantifier);
              else
                ApplyBounds(alt, current, *lx);
              break;
            case '[':
              Append(alt, ParseClass(*lx), current);
              break;
            case '|':
              return true;
            default:  // "-", "]", "}" and the leftovers of a malformed class or bounds
              Error(lx, le::kRegExprIllegalSymbol, lx->text);
              break;
          }
          break;
        default:
          Append(alt, MakeSimple(TestFor(*lx), lx), current);
          break;
      }
    }
    return false;
  }

  // After "(": the group is numbered before its contents are parsed, so a
  // reference inside it repeats what has been parsed of it so far.
  std::unique_ptr<Item> ParseGroup(const TleLexem& open) {
    if (!Spend(1, nesting_ + 1, &open)) {
      SkipGroup();
      return nullptr;
    }
    auto group = std::make_unique<TleRegExprParserBlockItem>(nullptr);
    groups_.push_back(group.get());
    ++nesting_;
    while (ParseAlternative(group->Alts().Add(), true)) {
    }
    --nesting_;
    return group;
  }

  // Passes over a group the budget refused, up to its closing parenthesis.
  void SkipGroup() {
    long open = 1;
    while (const TleLexem* lx = Next()) {
      if (lx->IsOperator('(')) ++open;
      if (lx->IsOperator(')') && --open == 0) return;
    }
  }

  std::unique_ptr<Item> Reference(const TleLexem& lx) {
    const size_t n = static_cast<size_t>(lx.text[0] - '0');
    if (n > groups_.size()) {
      Error(&lx, le::kRegExprTooBigReferenceNumber);
      return nullptr;
    }
    const TleRegExprParserBlockItem& group = *groups_[n - 1];
    if (!Spend(group.NodeCount(), nesting_ + group.Depth(), &lx)) return nullptr;
    return group.Duplicate();
  }

  // "*", "+" and "?": an item that has a quantifier already is wrapped in a
  // group that takes the new one, so «a+?» is «(a+)?».
  void ApplySign(TleRegExprParserAlt& alt, Item*& current, std::unique_ptr<TleRegExprQuantifier> q,
                 const TleLexem& at) {
    if (current->HasNoQuantifier()) {
      current->ReplaceQuantifier(std::move(q));
      return;
    }
    if (!Spend(1, nesting_ + current->Depth() + 1, &at)) return;
    auto wrapper = std::make_unique<TleRegExprParserBlockItem>(std::move(q));
    TleRegExprParserBlockItem& group = *wrapper;
    group.Alts().Add().Add(alt.SetLast(std::move(wrapper)));
    current = &group;
  }

  static std::optional<long> IntegerOf(const TleLexem* lx) {
    if (!lx || lx->kind != lkInteger) return std::nullopt;
    std::int32_t value = 0;
    const auto [end, ec] =
        std::from_chars(lx->text.data(), lx->text.data() + lx->text.size(), value);
    if (ec != std::errc() || end != lx->text.data() + lx->text.size()) return std::nullopt;
    return value;
  }

  // After "{": m, "m,", or "m,n" and "}". Reading stops at the first lexeme
  // that does not fit; the lexemes read so far are consumed, the rest are
  // parsed as ordinary ones.
  void ApplyBounds(TleRegExprParserAlt& alt, Item*& current, const TleLexem& brace) {
    const auto m = IntegerOf(Peek());
    if (!m) return Error(Peek(), le::kRegExprIncorrectParameterQuantifier);
    ++index_;
    long n = *m;
    bool open = false;
    if (Peek() && Peek()->IsOperator('}')) {
      ++index_;
    } else if (Peek() && Peek()->IsOperator(',')) {
      ++index_;
      if (Peek() && Peek()->IsOperator('}')) {
        ++index_;
        open = true;
      } else {
        const auto upper = IntegerOf(Peek());
        if (!upper || *upper < *m) return Error(Peek(), le::kRegExprIncorrectParameterQuantifier);
        ++index_;
        n = *upper;
        if (!Peek() || !Peek()->IsOperator('}'))
          return Error(Peek(), le::kRegExprIncorrectParameterQuantifier);
        ++index_;
      }
    } else {
      return Error(Peek(), le::kRegExprIncorrectParameterQuantifier);
    }
    if (current->CanBeMissing()) return Error(&brace, le::kRegExprParameterQuantifierCannotApply);

    const long copies = open ? *m + 1 : n;
    const long chainGroups = (!open && n - *m > 1) ? n - *m - 1 : 0;
    const auto limit = static_cast<long>(kMaxPatternNodes);
    if (copies > limit || chainGroups > limit) return (void)Spend(kMaxPatternNodes + 1, 0, &brace);
    const int depth = nesting_ + current->Depth() + 1 + static_cast<int>(chainGroups);
    if (!Spend(static_cast<size_t>(copies) * current->NodeCount() +
                   static_cast<size_t>(chainGroups) + 1,
               depth, &brace))
      return;

    auto group = std::make_unique<TleRegExprParserBlockItem>(nullptr);
    TleRegExprParserAlt& body = group->Alts().Add();
    for (long i = 0; i < *m; ++i) body.Add(current->Duplicate());
    if (open) {
      auto last = current->Duplicate();
      last->ReplaceQuantifier(Make<TleRegExprStarQuantifier>());
      body.Add(std::move(last));
    } else if (n > *m) {
      // The optional chain for copies m+1 to n, built from the innermost
      // copy outwards: «x{1,3}» is «x(xx?)?».
      std::unique_ptr<Item> chain = current->Duplicate();
      chain->ReplaceQuantifier(Make<TleRegExprQuestionQuantifier>());
      for (long d = n - 2; d >= *m; --d) {
        auto link =
            std::make_unique<TleRegExprParserBlockItem>(Make<TleRegExprQuestionQuantifier>());
        TleRegExprParserAlt& linkAlt = link->Alts().Add();
        linkAlt.Add(current->Duplicate());
        linkAlt.Add(std::move(chain));
        chain = std::move(link);
      }
      body.Add(std::move(chain));
    }
    current = group.get();
    // A numbered group may still be referred to after bounds replaced it.
    replaced_.push_back(alt.SetLast(std::move(group)));
  }

  // After "[": members up to "]".
  std::unique_ptr<Item> ParseClass(const TleLexem& open) {
    const TleLexem* lx = Next();
    bool inverse = false;
    if (lx && lx->IsOperator('^')) {
      inverse = true;
      lx = Next();
    }
    auto set = std::make_unique<TleRegExprUserEnumeration>(inverse);
    if (lx && lx->IsOperator(']')) {
      Error(lx, le::kRegExprCantCreateEmptyEnum);
    } else {
      while (lx && !lx->IsOperator(']')) {
        const TleLexem* next = Next();
        if (next && next->IsOperator('-')) {
          const TleLexem* last = Next();
          if (!last) break;
          const auto from = static_cast<unsigned char>(lx->text.empty() ? 0 : lx->text[0]);
          const auto to = static_cast<unsigned char>(last->text.empty() ? 0 : last->text[0]);
          if (from < to)
            set->Add(std::make_unique<TleRegExprSubrange>(static_cast<char>(from),
                                                          static_cast<char>(to)));
          else
            Error(last, le::kRegExprSubrangeOrder);
          next = Next();
          while (next && next->IsOperator('-')) {
            Error(next, le::kRegExprIllegalSymbol, "-");
            next = Next();
          }
        } else {
          set->Add(MemberFor(*lx));
        }
        lx = next;
      }
    }
    return MakeSimple(std::move(set), &open);
  }

  static std::unique_ptr<TleRegExprItem> MemberFor(const TleLexem& lx) {
    switch (lx.kind) {
      case lkAnyChar:
      case lkWordChar:
      case lkNonWordChar:
      case lkDigit:
      case lkNonDigit:
      case lkSeparator:
      case lkNonSeparator:
      case lkDateSeparator:
      case lkTimeSeparator:
        return TestFor(lx);
      default:  // symbols, operators and references: the first character
        return std::make_unique<TleRegExprSymbol>(lx.text.empty() ? '\0' : lx.text[0]);
    }
  }

  const TleLexems& lexems_;
  TleRegExprErrors& errors_;
  size_t index_ = 0;
  // Every parenthesised group in the order of its opening parenthesis; the
  // tree (or replaced_) owns them.
  std::vector<TleRegExprParserBlockItem*> groups_;
  std::vector<std::unique_ptr<Item>> replaced_;
  int nesting_ = 0;
  size_t nodes_ = 0;
  bool tooComplex_ = false;
};

}  // namespace

std::unique_ptr<TleRegExprParserAlts> ParsePattern(const TleLexems& lexems,
                                                   TleRegExprErrors& errors) {
  return Parser(lexems, errors).ParseExpression();
}

}  // namespace kelmo::regexpr
