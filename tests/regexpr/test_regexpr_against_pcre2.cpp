// Agreement with an independent engine: the identity-document masks and a
// corpus of patterns of the supported syntax, each translated by this test
// into PCRE2's syntax and matched whole, on generated texts. The two engines
// must agree on every accept and every refusal.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <gtest/gtest.h>
#include <pcre2.h>

#include <cstdio>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tariff/identity_document_check.h"
#include "regexpr/regexpr.h"
#include "regexpr/regexpr_locale.h"

namespace kelmo::regexpr {
namespace {

bool IsSeparator(char c) {
  return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32;
}

std::string Hex(char c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned char>(c));
  return buf;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

// Character sets of the escapes, as PCRE2 class contents (ASCII sense, the
// engine's separators rather than PCRE2's white space).
const char* const kDigits = "0-9";
const char* const kNonDigits = "\\x00-\\x2f\\x3a-\\xff";
const char* const kWord = "A-Za-z0-9_";
const char* const kNonWord = "\\x00-\\x2f\\x3a-\\x40\\x5b-\\x5e\\x60\\x7b-\\xff";
const char* const kSpace = "\\x00\\x09\\x0a\\x0c\\x0d\\x20";
const char* const kNonSpace = "\\x01-\\x08\\x0b\\x0e-\\x1f\\x21-\\xff";

// The pattern language as this test reads it, written out for PCRE2.
class Translator {
 public:
  explicit Translator(std::string p) : p_(std::move(p)) {}

  std::string Run() {
    std::string out;
    std::vector<size_t> groupStarts;
    size_t atomStart = 0;
    bool quantified = false;
    // The pattern language wraps a second quantifier around the first
    // («a+?» is «(a+)?»); PCRE2 would read it as lazy or refuse it.
    auto quantify = [&](const std::string& q) {
      if (quantified) {
        out.insert(atomStart, "(?:");
        out += ")";
      }
      out += q;
      quantified = true;
    };
    auto atom = [&](const std::string& text) {
      atomStart = out.size();
      out += text;
      quantified = false;
    };
    while (i_ < p_.size()) {
      const char c = p_[i_++];
      if (IsSeparator(c)) continue;
      switch (c) {
        case '\'':
          for (char q : Quoted()) atom(Hex(q));
          break;
        case '(':
          groupStarts.push_back(out.size());
          out += c;
          break;
        case ')':
          out += c;
          atomStart = groupStarts.back();
          groupStarts.pop_back();
          quantified = false;
          break;
        case '|':
          out += c;
          break;
        case '*':
        case '+':
        case '?':
          quantify(std::string(1, c));
          break;
        case '{': {
          std::string q = "{";
          while (i_ < p_.size() && p_[i_] != '}')
            if (!IsSeparator(p_[i_]))
              q += p_[i_++];
            else
              ++i_;
          ++i_;
          quantify(q + "}");
          break;
        }
        case '.':
          atom("[\\x00-\\xff]");
          break;
        case '/':
          atom(Hex(DateSeparator()));
          break;
        case ':':
          atom(Hex(TimeSeparator()));
          break;
        case '[':
          atom(Class());
          break;
        case '\\':
          atom(Escape());
          break;
        default:
          atom(Hex(c));
      }
    }
    return out;
  }

 private:
  struct Member {
    char ch;          // the character, or the escape's letter
    std::string set;  // an escape's set, empty for a character
    bool dash = false;
  };

  std::string Quoted() {
    std::string s;
    while (i_ < p_.size()) {
      const char c = p_[i_++];
      if (c == '\'') {
        if (i_ < p_.size() && p_[i_] == '\'') {
          ++i_;
        } else {
          break;
        }
      }
      s += c;
    }
    return s;
  }

  // After a backslash: the character (or 0 with set filled) it stands for.
  Member EscapeMember() {
    if (i_ >= p_.size()) return {0, "", false};
    const char c = p_[i_++];
    switch (c) {
      case 'd':
        return {c, kDigits};
      case 'D':
        return {c, kNonDigits};
      case 'w':
        return {c, kWord};
      case 'W':
        return {c, kNonWord};
      case 's':
        return {c, kSpace};
      case 'S':
        return {c, kNonSpace};
      case 'a':
        return {'\a', ""};
      case 'e':
        return {'\x1B', ""};
      case 'f':
        return {'\f', ""};
      case 'n':
        return {'\n', ""};
      case 'r':
        return {'\r', ""};
      case 't':
        return {'\t', ""};
      case 'p':
        return {DecimalSeparator(), ""};
      case 'x': {
        const int v = HexDigit(p_[i_]) * 16 + HexDigit(p_[i_ + 1]);
        i_ += 2;
        return {static_cast<char>(v), ""};
      }
      default:
        return {c, ""};
    }
  }

  std::string Escape() {
    if (i_ < p_.size() && p_[i_] >= '1' && p_[i_] <= '9') return std::string("(?") + p_[i_++] + ")";
    if (i_ >= p_.size()) return "";
    const Member m = EscapeMember();
    return m.set.empty() ? Hex(m.ch) : "[" + m.set + "]";
  }

  std::string Class() {
    std::vector<Member> members;
    bool inverse = false, first = true;
    while (i_ < p_.size()) {
      const char c = p_[i_++];
      if (IsSeparator(c)) continue;
      if (c == ']') break;
      if (c == '\'') {
        for (char q : Quoted()) members.push_back({q, ""});
      } else if (c == '\\') {
        members.push_back(EscapeMember());
      } else if (c == '/') {
        members.push_back({DateSeparator(), ""});
      } else if (c == ':') {
        members.push_back({TimeSeparator(), ""});
      } else if (first && c == '^') {
        inverse = true;
      } else if (!first && c == '-') {
        size_t j = i_;
        while (j < p_.size() && IsSeparator(p_[j])) ++j;
        members.push_back({'-', "", j < p_.size() && p_[j] != ']'});
      } else {
        members.push_back({c, ""});
      }
      first = false;
    }
    std::string out = inverse ? "[^" : "[";
    for (size_t k = 0; k < members.size(); ++k) {
      if (k + 2 < members.size() && members[k + 1].dash) {
        out += Hex(members[k].ch) + "-" + Hex(members[k + 2].ch);
        k += 2;
      } else {
        out += members[k].set.empty() ? Hex(members[k].ch) : members[k].set;
      }
    }
    return out + "]";
  }

  std::string p_;
  size_t i_ = 0;
};

class Pcre2Pattern {
 public:
  explicit Pcre2Pattern(const std::string& pattern) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    code_.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                              PCRE2_ANCHORED | PCRE2_ENDANCHORED | PCRE2_DOTALL, &error, &offset,
                              nullptr));
    if (!code_) {
      PCRE2_UCHAR message[256];
      pcre2_get_error_message(error, message, sizeof message);
      error_ = reinterpret_cast<char*>(message);
      return;
    }
    data_.reset(pcre2_match_data_create_from_pattern(code_.get(), nullptr));
  }
  bool Ok() const { return code_ != nullptr; }
  const std::string& Error() const { return error_; }
  bool MatchesWhole(const std::string& text) const {
    const int rc = pcre2_match(code_.get(), reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(),
                               0, 0, data_.get(), nullptr);
    EXPECT_TRUE(rc >= 0 || rc == PCRE2_ERROR_NOMATCH) << "pcre2_match " << rc;
    return rc >= 0;
  }

 private:
  struct FreeCode {
    void operator()(pcre2_code* c) const { pcre2_code_free(c); }
  };
  struct FreeData {
    void operator()(pcre2_match_data* d) const { pcre2_match_data_free(d); }
  };
  std::unique_ptr<pcre2_code, FreeCode> code_;
  std::unique_ptr<pcre2_match_data, FreeData> data_;
  std::string error_;
};

// Texts for a pattern: random walks through our automaton (texts it
// accepts, and their prefixes and one-character mutations) and random texts
// over the bytes the pattern mentions.
std::vector<std::string> TextsFor(const std::string& pattern, std::mt19937& rng, size_t longest) {
  std::string alphabet = "0123456789aAzZ_ -,.:/\t\xC0\xC1\xDF\xE0\xA8\xFF";
  for (char c : pattern) alphabet += c;
  auto pick = [&] { return alphabet[rng() % alphabet.size()]; };
  std::set<std::string> texts{""};
  for (int walk = 0; walk < 150; ++walk) {
    TleRegExpr re;
    std::istringstream in(pattern);
    re.CompileStream(&in);
    std::string text;
    const size_t length = rng() % (walk % 3 == 0 ? longest : 14);
    for (size_t step = 0; step < length; ++step) {
      bool moved = false;
      for (int attempt = 0; attempt < 60 && !moved; ++attempt) {
        const char c = attempt < 40 ? pick() : static_cast<char>(rng() % 256);
        if (re.FeedChar(c)) {
          text += c;
          moved = true;
        }
      }
      if (!moved) break;
      texts.insert(text);
    }
    if (!text.empty()) {
      std::string mutated = text;
      mutated[rng() % mutated.size()] = pick();
      texts.insert(mutated);
      texts.insert(text + pick());
    }
  }
  for (int r = 0; r < 150; ++r) {
    std::string text;
    const size_t length = rng() % 10;
    for (size_t k = 0; k < length; ++k) text += pick();
    texts.insert(text);
  }
  return {texts.begin(), texts.end()};
}

bool OursMatches(const std::string& pattern, const std::string& text) {
  TleRegExpr re;
  std::istringstream in(pattern);
  re.CompileStream(&in);
  for (char c : text)
    if (!re.FeedChar(c)) return false;
  return re.IsFinalState();
}

// Returns how many texts each side accepted, after checking agreement.
// longest bounds a third of the walks (the others stay short, since PCRE2
// backtracks exponentially on some of the corpus's patterns).
int CheckAgreement(const std::string& pattern, std::mt19937& rng, size_t longest = 14) {
  const std::string translated = Translator(pattern).Run();
  Pcre2Pattern peer(translated);
  EXPECT_TRUE(peer.Ok()) << pattern << " -> " << translated << ": " << peer.Error();
  if (!peer.Ok()) return 0;
  TleRegExpr compiled;
  std::istringstream in(pattern);
  compiled.CompileStream(&in);
  int accepted = 0;
  for (const std::string& text : TextsFor(pattern, rng, longest)) {
    // Fed character by character, and through the shared program.
    const bool ours = OursMatches(pattern, text);
    EXPECT_EQ(ours, peer.MatchesWhole(text))
        << "pattern " << pattern << " (pcre2 " << translated << ") text \"" << text << "\"";
    EXPECT_EQ(ours, compiled.Program()->MatchesWhole(text)) << pattern << " on " << text;
    accepted += ours;
  }
  return accepted;
}

TEST(AgreementWithPcre2, IdentityDocumentMasks) {
  std::mt19937 rng(20261210);
  for (int type = 1; type <= 27; ++type) {
    const auto masks = tariff::DocumentMasksFor(type);
    ASSERT_TRUE(masks);
    for (const std::string& mask : {masks->series, masks->number}) {
      EXPECT_GT(CheckAgreement(mask, rng), 0) << "type " << type << " mask " << mask;
    }
  }
}

TEST(AgreementWithPcre2, CorpusOfSupportedSyntax) {
  const std::vector<std::string> corpus = {
      "abc", "a b c", "'a b'", "'it''s'x", "a|b|cd", "(ab|c)d", "a*", "a+b", "a?b?c", "(ab)+",
      "(ab)*c", "(a|b)*abb", "x{3}", "x{2,}", "x{1,3}", "x{0,2}", "x{0}y", "(ab){2,3}",
      "(a|bc){1,2}d", "a+{2}", "a+?", "a+*b", ".", ".*x", "a.c", "[abc]+", "[^abc]", "[a-z]{2}",
      "[^a-z0-9]", "[a-]", "[^-a]", "[\\d-z]", "[\\dx]", "[\\D]", "[\\w.]+", "[\\s]", "[\\S]",
      "[.]", "[']'x]", "\\d{2}\\x20\\d{2}", "\\w+\\W", "\\s\\S", "\\x41\\x7e", "\\t\\n\\r",
      "\\.\\\\", "^$", "]}-,", "(a)\\1", "(a|b)c\\1", "(a(b)c)\\2\\1", "/", ":", "[/:]", "\\p",
      "a(b?)", "a(b?)c", "(a?){2,}", "(a|a)*", "((a|b)c)*", "(a*b)*", "[\xC0-\xDF]{2}",
      "[A-Z\xC0-\xDF,0-9]*", "\\d{1,12}", "(\\d{2}|[\xC0-\xDF]{2})x", "a{2}{2}", "(x+x+)+y",
      "(.*)(.*)z",
      // More than 64 states: the state-set walk.
      "[ab]{30,70}", "(ab|a){20,40}c", "(a|b|c){0,70}"};
  std::mt19937 rng(7);
  for (const std::string& pattern : corpus) CheckAgreement(pattern, rng);
  // More than 64 states: the state-set walk rather than the table.
  for (const std::string pattern : {"[ab]{30,70}", "(ab|a){20,40}c", "(a|b|c){0,70}"})
    EXPECT_GT(CheckAgreement(pattern, rng, 90), 0) << pattern;
}

}  // namespace
}  // namespace kelmo::regexpr
