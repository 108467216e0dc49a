// Checks 1,000,000 identity-document series/number pairs against the masks
// of their document types, with this program's engine and, in the same run,
// with std::regex (ECMAScript) and PCRE2 with its JIT (anchored whole-text
// match) on the same masks, and prints the times (min and median of five runs
// each) and their ratios, overall and for each mask family (the document
// type whose series and number masks check the pair); then the time to
// compile every mask, and the cost of the compile-per-value path
// (MatchWholeMask).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "regexpr/regexpr.h"
#include "tariff/identity_document_check.h"

namespace {

using Clock = std::chrono::steady_clock;
using kelmo::tariff::CheckDocumentSeriesNumber;
using kelmo::tariff::DocumentMasksFor;

struct Pair {
  std::uint8_t type;
  std::string series;
  std::string number;
};

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

// Pairs of every checked type, about half of them well-formed.
std::vector<Pair> MakePairs(size_t count) {
  std::mt19937 rng(1251);
  const std::string cyr = "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xDE\xDF";
  const std::string lat = "ABCXYZ";
  const std::string roman = "IVXLC1\xD3\xD5\xCB\xD1";
  auto digits = [&](size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>('0' + rng() % 10);
    return s;
  };
  auto from = [&](const std::string& set, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += set[rng() % set.size()];
    return s;
  };
  std::vector<Pair> pairs;
  pairs.reserve(count);
  while (pairs.size() < count) {
    std::uint8_t type = static_cast<std::uint8_t>(1 + rng() % 27);
    if (type == 19 || type == 20) continue;
    std::string series;
    switch (type) {
      case 1:
      case 3:
        series = from(roman, 1 + rng() % 5) + "-" + from(cyr, 2);
        break;
      case 4:
      case 6:
      case 7:
      case 16:
      case 17:
        series = from(cyr, 2);
        break;
      case 8:
      case 15:
        series = digits(2);
        break;
      case 14:
        series = digits(2) + " " + digits(2);
        break;
      case 25:
        series = rng() % 2 ? digits(2) : from(cyr, 2);
        break;
      case 26:
        series = "";
        break;
      default:
        series = from(rng() % 2 ? lat : cyr, rng() % 6) + (rng() % 3 ? "" : " 12-");
    }
    if (rng() % 4 == 0) series += "\xE0";  // a lower-case letter spoils it
    pairs.push_back({type, series, digits(5 + rng() % 6)});
  }
  return pairs;
}

// The masks need no change for ECMAScript except the type 26 series, "^$",
// which is a literal text in this program's pattern language.
std::string ToEcmaScript(const std::string& mask) {
  return mask == "^$" ? "\\^\\$" : mask;
}

struct StdMasks {
  std::regex series;
  std::regex number;
  bool emptySeriesAllowed;
};

bool OneRepeatedCharacter(const std::string& n) {
  return n.find_first_not_of(n.front()) == std::string::npos;
}

// One mask compiled by PCRE2 for anchored whole-text matching, JIT-compiled.
class JitMask {
 public:
  explicit JitMask(const std::string& pattern) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    code_ =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                      PCRE2_ANCHORED | PCRE2_ENDANCHORED | PCRE2_DOTALL, &error, &offset, nullptr);
    if (!code_) {
      std::fprintf(stderr, "pcre2 refuses %s\n", pattern.c_str());
      std::exit(2);
    }
    pcre2_jit_compile(code_, PCRE2_JIT_COMPLETE);
    data_ = pcre2_match_data_create_from_pattern(code_, nullptr);
  }
  ~JitMask() {
    pcre2_match_data_free(data_);
    pcre2_code_free(code_);
  }
  JitMask(const JitMask&) = delete;
  JitMask& operator=(const JitMask&) = delete;
  bool Matches(const std::string& text) const {
    return pcre2_jit_match(code_, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0,
                           data_, nullptr) >= 0;
  }

 private:
  pcre2_code* code_ = nullptr;
  pcre2_match_data* data_ = nullptr;
};

struct JitMasks {
  std::unique_ptr<JitMask> series;
  std::unique_ptr<JitMask> number;
  bool emptySeriesAllowed = false;
};

struct Spread {
  double min = 0;
  double median = 0;
};
Spread SpreadOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v.front(), v[v.size() / 2]};
}

}  // namespace

int main() {
  constexpr size_t kPairs = 1'000'000;
  const std::vector<Pair> pairs = MakePairs(kPairs);

  // Compile time of every mask, each engine.
  std::vector<std::string> texts;
  for (int type = 1; type <= 27; ++type) {
    texts.push_back(DocumentMasksFor(type)->series);
    texts.push_back(DocumentMasksFor(type)->number);
  }
  auto t = Clock::now();
  constexpr int kCompileRounds = 200;
  for (int round = 0; round < kCompileRounds; ++round)
    for (const auto& mask : texts) {
      kelmo::regexpr::TleRegExpr re;
      std::istringstream in(mask);
      re.CompileStream(&in);
    }
  const double oursCompile = Seconds(t) / kCompileRounds;
  t = Clock::now();
  std::vector<StdMasks> std(28);
  for (int round = 0; round < kCompileRounds; ++round)
    for (int type = 1; type <= 27; ++type) {
      const auto m = *DocumentMasksFor(type);
      std[static_cast<size_t>(type)] = {std::regex(ToEcmaScript(m.series), std::regex::ECMAScript),
                                        std::regex(ToEcmaScript(m.number), std::regex::ECMAScript),
                                        m.series == "^$"};
    }
  const double stdCompile = Seconds(t) / kCompileRounds;

  std::vector<JitMasks> jit(28);
  for (int type = 1; type <= 27; ++type) {
    const auto m = *DocumentMasksFor(type);
    jit[static_cast<size_t>(type)] = {std::make_unique<JitMask>(ToEcmaScript(m.series)),
                                      std::make_unique<JitMask>(ToEcmaScript(m.number)),
                                      m.series == "^$"};
  }
  auto jitCheck = [&](const Pair& p) {
    const JitMasks& m = jit[p.type];
    bool ok = (m.emptySeriesAllowed && p.series.empty() && m.number->Matches(p.number)) ||
              (m.series->Matches(p.series) && m.number->Matches(p.number));
    if (!p.number.empty() && OneRepeatedCharacter(p.number)) ok = false;
    return ok;
  };
  // The pairs of each mask family (document type), for the per-family times.
  std::map<int, std::vector<Pair>> families;
  for (const Pair& p : pairs) families[p.type].push_back(p);

  // Checking every pair, each engine five times in turn; min and median of
  // the runs, so that a busy machine disturbs the ratios less.
  CheckDocumentSeriesNumber(1, std::string_view(), std::string_view());  // compiles the masks
  constexpr int kRuns = 5;
  std::vector<double> oursRuns, stdRuns, jitRuns;
  std::map<int, std::vector<double>> oursFamily, jitFamily;
  size_t oursValid = 0, stdValid = 0, jitValid = 0;
  for (int round = 0; round < kRuns; ++round) {
    t = Clock::now();
    oursValid = 0;
    for (const Pair& p : pairs) oursValid += CheckDocumentSeriesNumber(p.type, p.series, p.number);
    oursRuns.push_back(Seconds(t));

    t = Clock::now();
    stdValid = 0;
    for (const Pair& p : pairs) {
      const StdMasks& m = std[p.type];
      bool ok =
          (m.emptySeriesAllowed && p.series.empty() && std::regex_match(p.number, m.number)) ||
          (std::regex_match(p.series, m.series) && std::regex_match(p.number, m.number));
      if (!p.number.empty() && OneRepeatedCharacter(p.number)) ok = false;
      stdValid += ok;
    }
    stdRuns.push_back(Seconds(t));

    t = Clock::now();
    jitValid = 0;
    for (const Pair& p : pairs) jitValid += jitCheck(p);
    jitRuns.push_back(Seconds(t));

    for (const auto& [type, group] : families) {
      t = Clock::now();
      size_t n = 0;
      for (const Pair& p : group) n += CheckDocumentSeriesNumber(p.type, p.series, p.number);
      oursFamily[type].push_back(Seconds(t));
      t = Clock::now();
      size_t m = 0;
      for (const Pair& p : group) m += jitCheck(p);
      jitFamily[type].push_back(Seconds(t));
      if (n != m) std::printf("family %d: ours %zu, pcre2 %zu well-formed\n", type, n, m);
    }
  }
  const Spread ours = SpreadOf(oursRuns), stdTime = SpreadOf(stdRuns), jitTime = SpreadOf(jitRuns);

  // The compile-per-value path, on a hundredth of the pairs.
  t = Clock::now();
  size_t perValue = 0;
  for (size_t i = 0; i < kPairs / 100; ++i) {
    const auto m = *DocumentMasksFor(pairs[i].type);
    perValue += kelmo::tariff::MatchWholeMask(pairs[i].number, m.number);
  }
  const double perValueTime = Seconds(t) * 100;

  std::printf(
      "pairs checked:                 %zu (well-formed: ours %zu, std::regex %zu, "
      "pcre2-jit %zu)\n",
      kPairs, oursValid, stdValid, jitValid);
  std::printf("kelmo regexpr:                 min %.3f s, median %.3f s (%.1f ns a pair)\n",
              ours.min, ours.median, ours.median * 1e9 / kPairs);
  std::printf("std::regex ECMAScript:         min %.3f s, median %.3f s (%.1f ns a pair)\n",
              stdTime.min, stdTime.median, stdTime.median * 1e9 / kPairs);
  std::printf("pcre2 jit:                     min %.3f s, median %.3f s (%.1f ns a pair)\n",
              jitTime.min, jitTime.median, jitTime.median * 1e9 / kPairs);
  std::printf("ratio std::regex / kelmo:      min %.1f, median %.1f\n", stdTime.min / ours.min,
              stdTime.median / ours.median);
  std::printf(
      "ratio pcre2-jit / kelmo:       min %.2f, median %.2f (aim: above 1 in every "
      "family)\n",
      jitTime.min / ours.min, jitTime.median / ours.median);
  std::printf("%-7s %8s %12s %12s %16s\n", "family", "pairs", "kelmo ns", "pcre2 ns",
              "pcre2/kelmo");
  int slower = 0;
  for (const auto& [type, group] : families) {
    const Spread o = SpreadOf(oursFamily[type]), j = SpreadOf(jitFamily[type]);
    const double n = static_cast<double>(group.size());
    std::printf("%-7d %8zu %12.1f %12.1f %8.2f / %5.2f\n", type, group.size(), o.median * 1e9 / n,
                j.median * 1e9 / n, j.min / o.min, j.median / o.median);
    if (j.median <= o.median) ++slower;
  }
  std::printf("families where pcre2-jit is as fast or faster (median): %d of %zu\n", slower,
              families.size());
  std::printf("compile all %zu masks:         kelmo %.1f us, std::regex %.1f us\n", texts.size(),
              oursCompile * 1e6, stdCompile * 1e6);
  std::printf(
      "compile per value (number):    %.3f s for 1,000,000 values (%zu accepted of a hundredth)\n",
      perValueTime, perValue);
  return oursValid == stdValid && oursValid == jitValid ? 0 : 1;
}
