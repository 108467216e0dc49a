// The process-wide locale separators of the pattern language.
#include "regexpr_locale.h"

#include <atomic>

namespace kelmo::regexpr {

namespace {
std::atomic<char> g_dateSeparator{'.'};
std::atomic<char> g_timeSeparator{':'};
std::atomic<char> g_decimalSeparator{'.'};
}  // namespace

char DateSeparator() {
  return g_dateSeparator.load(std::memory_order_relaxed);
}
char TimeSeparator() {
  return g_timeSeparator.load(std::memory_order_relaxed);
}
char DecimalSeparator() {
  return g_decimalSeparator.load(std::memory_order_relaxed);
}

void SetDateSeparator(char c) {
  g_dateSeparator.store(c, std::memory_order_relaxed);
}
void SetTimeSeparator(char c) {
  g_timeSeparator.store(c, std::memory_order_relaxed);
}
void SetDecimalSeparator(char c) {
  g_decimalSeparator.store(c, std::memory_order_relaxed);
}

}  // namespace kelmo::regexpr
