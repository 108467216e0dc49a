// Shared helpers of the index tests: one factory per format, a table of
// random people and the expected key order computed from the table.
#pragma once

#include <unistd.h>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dbf/cdx_index.h"
#include "fake_table.h"
#include "dbf/index_framework.h"
#include "dbf/mdx_index.h"
#include "dbf/ndx_index.h"
#include "dbf/ntx_index.h"

namespace kelmo::dbf::testing {

enum class Format { kNtx, kNdx, kCdx, kMdx };

inline const char* Extension(Format f) {
  static const char* const kExtensions[] = {".ntx", ".ndx", ".cdx", ".mdx"};
  return kExtensions[static_cast<int>(f)];
}

inline std::string FormatName(Format f) {
  return std::string(Extension(f) + 1);
}

inline std::unique_ptr<GSobjIndexFile> MakeIndex(Format f, IndexTableLink* table,
                                                 const std::string& path, bool create) {
  switch (f) {
    case Format::kNtx:
      return std::make_unique<GSobjNTXFile>(table, path, create, true);
    case Format::kNdx:
      return std::make_unique<GSobjNDXFile>(table, path, create, true);
    case Format::kCdx:
      return std::make_unique<GSobjCDXFile>(table, path, create, true);
    case Format::kMdx:
      return std::make_unique<GSobjMDXFile>(table, path, create, true);
  }
  return nullptr;
}

// A scratch folder of this test process, removed when it ends.
inline const std::filesystem::path& ScratchDir() {
  struct Dir {
    std::filesystem::path path;
    Dir() {
      path =
          std::filesystem::temp_directory_path() / ("kelmo_dbfidx_" + std::to_string(::getpid()));
      std::filesystem::create_directories(path);
    }
    ~Dir() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static Dir dir;
  return dir.path;
}

inline std::string TempPath(const std::string& name) {
  return (ScratchDir() / name).string();
}

inline FakeTable MakePeopleTable() {
  return FakeTable({{"NAME", 'C', 12, 0}, {"AMOUNT", 'N', 8, 2}, {"BORN", 'D', 8, 0}},
                   TempPath("people.dbf"));
}

inline FakeTable::Record RandomPerson(std::mt19937& rng) {
  static const char* const kNames[] = {"IVANOV", "PETROV", "SIDOROV", "ABRAMOV", "ZUEV",
                                       "KUZMIN", "ORLOV",  "BELOV",   "SMIRNOV", "POPOV"};
  std::string name = kNames[rng() % 10];
  name += std::to_string(rng() % 300);
  double amount = static_cast<double>(static_cast<int>(rng() % 200000) - 100000) / 100.0;
  double born = 2440000 + static_cast<double>(rng() % 20000);
  return {name, amount, born};
}

// The keys a tag must hold: (key as the tag stores it, record) in tag order.
inline std::vector<std::pair<std::string, int32_t>> ExpectedKeys(GSobjIndexTag& tag,
                                                                 FakeTable& table) {
  std::vector<std::pair<std::string, int32_t>> out;
  for (int32_t r = 1; r <= table.RecordCount(); ++r) {
    table.LoadRecord(r);
    if (!tag.ForCondition()) continue;
    std::string key;
    tag.EvaluateKey(key);
    out.emplace_back(key, r);
  }
  std::stable_sort(out.begin(), out.end(), [&](const auto& a, const auto& b) {
    int c = tag.CompareKeys(a.first, b.first, -1);
    return c < 0 || (c == 0 && a.second < b.second);
  });
  if (tag.unique) {
    std::vector<std::pair<std::string, int32_t>> u;
    for (auto& k : out) {
      if (u.empty() || tag.CompareKeys(u.back().first, k.first, -1) != 0) u.push_back(k);
    }
    out.swap(u);
  }
  return out;
}

inline std::vector<std::pair<std::string, int32_t>> TagKeys(GSobjIndexTag& tag) {
  std::vector<std::pair<std::string, int32_t>> out;
  for (auto& e : tag.AllKeys()) out.emplace_back(e.value, e.link);
  return out;
}

}  // namespace kelmo::dbf::testing
