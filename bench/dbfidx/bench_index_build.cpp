// Builds an index on a 1,000,000-record table (a character key and a numeric
// key) in each format and seeks 100,000 random keys; prints records per
// second, seeks per second and the memory the build added, next to
// std::sort of the same keys and SQLite's indexed look-up of the same keys
// (an in-memory table with an index, one prepared statement), all measured in
// the same run. Each figure is taken over several runs: min and median.
//
// Arguments: [runs (5)] [key: NAME, AMOUNT or all] [formats, e.g. ntx,mdx]
// so that one key or format can be measured or profiled alone.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <sqlite3.h>
#include <unistd.h>

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

// Min and median of a set of timings.
struct Spread {
  double min = 0;
  double median = 0;
};
Spread SpreadOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v.front(), v[v.size() / 2]};
}

// SQLite's indexed look-up of the same keys: a table (k, rec) with an index
// on k, one prepared statement, the keys bound as text or as numbers.
class SqlitePeer {
 public:
  SqlitePeer(const std::vector<std::pair<std::string, int32_t>>& keys, bool numeric)
      : numeric_(numeric) {
    sqlite3_open(":memory:", &db_);
    sqlite3_exec(
        db_,
        numeric ? "create table t(k real, rec integer)" : "create table t(k text, rec integer)",
        nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db_, "insert into t values(?, ?)", -1, &insert, nullptr);
    for (const auto& [key, record] : keys) {
      Bind(insert, key);
      sqlite3_bind_int(insert, 2, record);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db_, "commit", nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "create index tk on t(k)", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db_, "select rec from t where k = ?", -1, &select_, nullptr);
  }
  ~SqlitePeer() {
    sqlite3_finalize(select_);
    sqlite3_close(db_);
  }
  bool Find(const std::string& key) {
    Bind(select_, key);
    bool found = sqlite3_step(select_) == SQLITE_ROW;
    sqlite3_reset(select_);
    return found;
  }

 private:
  void Bind(sqlite3_stmt* st, const std::string& key) {
    if (numeric_) {
      sqlite3_bind_double(st, 1, std::atof(key.c_str()));
    } else {
      sqlite3_bind_text(st, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    }
  }
  sqlite3* db_ = nullptr;
  sqlite3_stmt* select_ = nullptr;
  bool numeric_;
};

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string onlyKey = argc > 2 && std::string(argv[2]) != "all" ? argv[2] : "";
  const std::string onlyFormats = argc > 3 ? argv[3] : "";
  BenchTable table;
  const char* const kFormats[] = {".ntx", ".ndx", ".cdx", ".mdx"};
  const char* const kKeys[] = {"NAME", "AMOUNT"};
  std::printf("%d runs; rates from the median run, ratios as min / median\n", runs);
  std::printf("%-6s %-7s %12s %12s %16s %14s %12s %12s %16s\n", "format", "key", "build rec/s",
              "sort rec/s", "build/sort", "build +mem KB", "seeks/s", "sqlite/s", "seeks/sqlite");
  for (const char* key : kKeys) {
    if (!onlyKey.empty() && onlyKey != key) continue;
    const bool numeric = std::string(key) == "AMOUNT";
    // The same keys sorted in memory with std::sort, as the yardstick.
    std::vector<std::pair<std::string, int32_t>> keys;
    std::vector<std::string> searched;
    keys.reserve(kRecords);
    TdfExpHandler handler(&table, key);
    for (int32_t r = 1; r <= kRecords; ++r) {
      table.LoadRecord(r);
      TdfExpVariant v;
      handler.Evaluate(v);
      keys.emplace_back(VariantToText(v), r);
    }
    {
      std::mt19937 rng(9);
      for (int i = 0; i < kSeeks; ++i) {
        searched.push_back(keys[static_cast<size_t>(rng() % kRecords)].first);
      }
    }
    std::vector<double> sortTimes;
    for (int run = 0; run < runs; ++run) {
      auto copy = keys;
      auto start = std::chrono::steady_clock::now();
      std::sort(copy.begin(), copy.end());
      sortTimes.push_back(Seconds(start));
    }
    const Spread sort = SpreadOf(sortTimes);
    // SQLite's look-ups of the same keys.
    std::vector<double> sqliteTimes;
    {
      SqlitePeer peer(keys, numeric);
      for (int run = 0; run < runs; ++run) {
        int found = 0;
        auto start = std::chrono::steady_clock::now();
        for (const std::string& k : searched) found += peer.Find(k) ? 1 : 0;
        sqliteTimes.push_back(Seconds(start));
        if (found != kSeeks) std::printf("sqlite missed keys\n");
      }
    }
    const Spread sqlite = SpreadOf(sqliteTimes);
    for (int format = 0; format < 4; ++format) {
      if (!onlyFormats.empty() && onlyFormats.find(kFormats[format] + 1) == std::string::npos) {
        continue;
      }
      // The process id keeps runs of several users apart.
      std::string path = "/tmp/kelmo_dbfidx_bench_" + std::to_string(getpid()) + kFormats[format];
      std::vector<double> buildTimes, seekTimes;
      long added = 0;
      int found = 0;
      for (int run = 0; run < runs; ++run) {
        ResetPeak();
        long before = CurrentKb();
        auto start = std::chrono::steady_clock::now();
        auto index = Make(format, &table, path);
        index->AddTag("BENCH", key, false, true, "");
        buildTimes.push_back(Seconds(start));
        added = std::max(added, PeakKb() - before);
        GSobjIndexTag& tag = *index->IndexTagByNumber(0);
        std::mt19937 rng(9);
        found = 0;
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < kSeeks; ++i) {
          table.LoadRecord(static_cast<int32_t>(rng() % kRecords) + 1);
          std::string k;
          tag.EvaluateKey(k);
          if (tag.FindKey(k, true) > 0) ++found;
        }
        seekTimes.push_back(Seconds(start));
        index.reset();
        std::remove(path.c_str());
      }
      const Spread build = SpreadOf(buildTimes), seek = SpreadOf(seekTimes);
      char buildRatio[32], seekRatio[32];
      // build/sort: the smaller the better; seeks/sqlite: the larger the better.
      std::snprintf(buildRatio, sizeof buildRatio, "%.2f / %.2f", build.min / sort.min,
                    build.median / sort.median);
      std::snprintf(seekRatio, sizeof seekRatio, "%.2f / %.2f", sqlite.min / seek.min,
                    sqlite.median / seek.median);
      std::printf("%-6s %-7s %12.0f %12.0f %16s %14ld %12.0f %12.0f %16s%s\n", kFormats[format],
                  key, kRecords / build.median, kRecords / sort.median, buildRatio, added,
                  kSeeks / seek.median, kSeeks / sqlite.median, seekRatio,
                  found == kSeeks ? "" : "  (missed keys!)");
    }
  }
  std::printf("aims: build/sort at most 2; seeks/sqlite at least 0.5\n");
  return 0;
}
