// Fuzzes the rewrite of the desktop engine's statement text into SQLite's:
// any text gives a text, and every parameter occurrence has its entry.
#include <cstdint>
#include <string>

#include "dbfsql/dbf_sql_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string sql(reinterpret_cast<const char*>(data), size);
  const kelmo::dbfsql::RewrittenSql out = kelmo::dbfsql::RewriteDbfSql(sql);
  size_t marks = 0;
  for (char c : out.text) marks += c == '?';
  // Each parameter becomes one "?"; others may stand inside literals.
  if (marks < out.parameters.size()) __builtin_trap();
  return 0;
}
