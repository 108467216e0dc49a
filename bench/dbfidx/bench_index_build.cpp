// Builds an index on a 1,000,000-record table (a character key and a numeric
// key) in each format and seeks 100,000 random keys; prints records per
// second, seeks per second and the memory the build added, next to
// std::sort of the same keys.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dbf/cdx_index.h"
#include "dbf/dbf_expression.h"
#include "dbf/index_framework.h"
#include "dbf/mdx_index.h"
#include "dbf/ndx_index.h"
#include "dbf/ntx_index.h"

using namespace kelmo::dbf;

namespace {

constexpr int32_t kRecords = 1000000;
constexpr int kSeeks = 100000;

// A table of NAME (character 12) and AMOUNT (numeric 12.2) held in memory.
class BenchTable : public IndexTableLink, public TdfExpUserLink {
 public:
  BenchTable() {
    std::mt19937 rng(1);
    names_.reserve(kRecords);
    amounts_.reserve(kRecords);
    for (int32_t i = 0; i < kRecords; ++i) {
      char name[13];
      std::snprintf(name, sizeof name, "%c%c%c%09u", 'A' + static_cast<int>(rng() % 26),
                    'A' + static_cast<int>(rng() % 26), 'A' + static_cast<int>(rng() % 26),
                    static_cast<unsigned>(rng() % 1000000000));
      names_.emplace_back(name);
      amounts_.push_back(static_cast<double>(static_cast<int64_t>(rng() % 20000000) - 10000000) /
                         100.0);
    }
    AddFieldVars(std::make_shared<Field>(this, "NAME", 12, true));
    AddFieldVars(std::make_shared<Field>(this, "AMOUNT", 12, false));
  }
  TdfExpUserLink* ExpressionLink() override { return this; }
  int32_t RecordCount() override { return kRecords; }
  bool LoadRecord(int32_t n) override {
    current_ = n;
    return true;
  }
  int32_t CurrentRecord() override { return current_; }
  bool UseSavedRecord(bool) override { return false; }
  bool FieldLayout(const std::string& name, int& length, int& decimals) override {
    length = 12;
    decimals = name == "AMOUNT" ? 2 : 0;
    return name == "AMOUNT" || name == "NAME";
  }
  std::string TableFileName() override { return "/tmp/bench.dbf"; }

 private:
  class Field : public TdfUserDefFieldVar {
   public:
    Field(BenchTable* t, const char* name, int width, bool text)
        : TdfUserDefFieldVar(name, width), t_(t), text_(text) {}
    void Evaluate(TdfExpVariant& value, uint8_t& type) override {
      size_t i = static_cast<size_t>(std::max(t_->current_, 1) - 1);
      if (text_) {
        value = t_->names_[i];
        type = etText;
      } else {
        value = t_->amounts_[i];
        type = etNumber;
      }
    }

   private:
    BenchTable* t_;
    bool text_;
  };
  std::vector<std::string> names_;
  std::vector<double> amounts_;
  int32_t current_ = 1;
};

// Peak resident memory since the last reset, in kilobytes.
long PeakKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}
long CurrentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

std::unique_ptr<GSobjIndexFile> Make(int format, IndexTableLink* table, const std::string& path) {
  switch (format) {
    case 0:
      return std::make_unique<GSobjNTXFile>(table, path, true, true);
    case 1:
      return std::make_unique<GSobjNDXFile>(table, path, true, true);
    case 2:
      return std::make_unique<GSobjCDXFile>(table, path, true, true);
    default:
      return std::make_unique<GSobjMDXFile>(table, path, true, true);
  }
}

}  // namespace

int main() {
  BenchTable table;
  const char* const kFormats[] = {".ntx", ".ndx", ".cdx", ".mdx"};
  const char* const kKeys[] = {"NAME", "AMOUNT"};
  std::printf("%-6s %-7s %12s %12s %10s %14s %12s\n", "format", "key", "build rec/s", "sort rec/s",
              "build/sort", "build +mem KB", "seeks/s");
  for (const char* key : kKeys) {
    // The same keys sorted in memory with std::sort, as the yardstick.
    std::vector<std::pair<std::string, int32_t>> keys;
    keys.reserve(kRecords);
    TdfExpHandler handler(&table, key);
    for (int32_t r = 1; r <= kRecords; ++r) {
      table.LoadRecord(r);
      TdfExpVariant v;
      handler.Evaluate(v);
      keys.emplace_back(VariantToText(v), r);
    }
    auto start = std::chrono::steady_clock::now();
    std::sort(keys.begin(), keys.end());
    double sortSeconds = Seconds(start);
    for (int format = 0; format < 4; ++format) {
      std::string path = std::string("/tmp/kelmo_dbfidx_bench") + kFormats[format];
      ResetPeak();
      long before = CurrentKb();
      start = std::chrono::steady_clock::now();
      auto index = Make(format, &table, path);
      index->AddTag("BENCH", key, false, true, "");
      double buildSeconds = Seconds(start);
      long added = PeakKb() - before;
      GSobjIndexTag& tag = *index->IndexTagByNumber(0);
      std::mt19937 rng(9);
      start = std::chrono::steady_clock::now();
      int found = 0;
      for (int i = 0; i < kSeeks; ++i) {
        table.LoadRecord(static_cast<int32_t>(rng() % kRecords) + 1);
        std::string k;
        tag.EvaluateKey(k);
        if (tag.FindKey(k, true) > 0) ++found;
      }
      double seekSeconds = Seconds(start);
      std::printf("%-6s %-7s %12.0f %12.0f %10.2f %14ld %12.0f%s\n", kFormats[format], key,
                  kRecords / buildSeconds, kRecords / sortSeconds, buildSeconds / sortSeconds,
                  added, kSeeks / seekSeconds, found == kSeeks ? "" : "  (missed keys!)");
      std::remove(path.c_str());
    }
  }
  return 0;
}
