// Fuzzes the expression parser and evaluator: any text parses or fails with
// the engine's error, and a parsed tree evaluates or fails the same way.
#include <cstddef>
#include <cstdint>
#include <string>

#include "../fake_table.h"

using namespace kelmo::dbf;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testing::FakeTable table(
      {{"NAME", 'C', 12, 0}, {"AMOUNT", 'N', 8, 2}, {"BORN", 'D', 8, 0}, {"PAID", 'L', 1, 0}});
  static bool filled = [] {
    table.Append({std::string("SMITH"), 12.5, 2450000.0, true});
    return true;
  }();
  (void)filled;
  std::string text(reinterpret_cast<const char*>(data), size);
  try {
    TdfExpHandler handler(&table, text);
    TdfExpVariant value;
    handler.Evaluate(value);
    handler.ExpressionText();
    handler.ExpressionNodeNames(16);
  } catch (const EDbfError&) {
  }
  return 0;
}
