// The regular-expression object: the compile pipeline (scan, parse, connect)
// and the client's feeding operations.
#include "regexpr.h"

#include <iterator>
#include <stdexcept>

#include "lookandfeel/le_classes.h"
#include "regexpr_automat.h"
#include "regexpr_parser.h"
#include "regexpr_scanner.h"
#include "lookandfeel/resource_texts.h"

namespace kelmo::regexpr {

TleRegExpr::TleRegExpr() = default;
TleRegExpr::~TleRegExpr() = default;

void TleRegExpr::Reset() {
  buffer_.clear();
  errors_.Clear();
  automat_.reset();
  compiled_ = false;
}

void TleRegExpr::Raise() {
  throw EleRegExprError(errors_);
}

void TleRegExpr::CompileStream(std::istream* source) {
  if (firstCompile_)
    firstCompile_ = false;
  else
    Reset();
  if (source == nullptr) {
    errors_.Add({0, 0, le::LocalizeString(le::kRegExprStreamNotAssigned)});
    Raise();
  }
  buffer_.assign(std::istreambuf_iterator<char>(*source), std::istreambuf_iterator<char>());
  bool onlySeparators = true;
  for (char c : buffer_) onlySeparators = onlySeparators && le::IsSeparatorChar(c);
  if (onlySeparators) {
    errors_.Add({0, 0, le::LocalizeString(le::kRegExprStreamEmpty)});
    Raise();
  }
  TleLexems lexems;
  ScanPattern(buffer_, lexems, errors_);
  if (errors_.Count() > 0) Raise();
  auto tree = ParsePattern(lexems, errors_);
  if (errors_.Count() > 0) Raise();
  automat_ = std::make_unique<TleRegExprAutomat>(std::move(tree));
  compiled_ = true;
}

namespace {
[[noreturn]] void NotCompiled() {
  throw std::logic_error(le::LocalizeString(le::kRegExprNotCompiled));
}
}  // namespace

bool TleRegExpr::FeedChar(char c) {
  if (!compiled_) NotCompiled();
  return automat_->Advance(c);
}

bool TleRegExpr::IsFinalState() const {
  if (!compiled_) NotCompiled();
  return automat_->InFinalState();
}

std::shared_ptr<const TleRegExprProgram> TleRegExpr::Program() const {
  return compiled_ ? automat_->Program() : nullptr;
}

std::string TleRegExpr::DumpText() const {
  return compiled_ ? automat_->Tree().DumpText() : "";
}

}  // namespace kelmo::regexpr
