// Index builds write the same bytes as they always have: each format's index
// of a character key (NAME) and of a numeric key (AMOUNT, with the numbers
// that round, overflow the key width or are not finite) is built on a fixed
// table and its file is compared with the fingerprint of the file the engine
// wrote before its build was made faster. The larger table passes the key
// sorter's memory, so its keys come back through the merge of sorted runs.
// A build writes its pages several at once, and a write that fails is raised
// by the build itself, with nothing written after it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>

#include "index_test_support.h"

using namespace kelmo::dbf;
using namespace kelmo::dbf::testing;

namespace {

// NAME (character 12) and AMOUNT (numeric 12.2): awkward values first, then
// random ones with some repeated so that equal keys keep record order.
void FillBuildTable(FakeTable& table, int records) {
  const double inf = std::numeric_limits<double>::infinity();
  const double awkward[] = {
      0.0,   -0.0, 0.001,        -0.001, 0.005,           1.005,        -1.005, 2.675,  -2.675,
      0.125, 1e11, -1e11,        1e12,   123456789012.34, -99999999.99, 1e300,  -1e300, 5e-324,
      inf,   -inf, std::nan(""), 1e-7,   -1e-7,           99999999.995, 0.1};
  const char* const names[] = {"", " ", "A", "A  ", "ZZZZZZZZZZZZ", "\xC0\xE1\xE2", "a b"};
  std::mt19937 rng(5);
  double amount = 0;
  std::string name;
  for (int i = 0; i < records; ++i) {
    if (i < static_cast<int>(std::size(awkward))) {
      amount = awkward[i];
    } else if (rng() % 50 != 0) {
      amount = static_cast<double>(static_cast<int64_t>(rng() % 20000000) - 10000000) / 100.0;
    }
    if (i < static_cast<int>(std::size(names))) {
      name = names[i];
    } else if (rng() % 40 != 0) {
      char text[13];
      std::snprintf(text, sizeof text, "%c%c%c%09u", 'A' + static_cast<int>(rng() % 26),
                    'A' + static_cast<int>(rng() % 26), 'A' + static_cast<int>(rng() % 26),
                    static_cast<unsigned>(rng() % 1000000000));
      name = text;
    }
    table.Append({name, amount});
  }
}

// FNV-1a of the file's bytes; the creation date in an .mdx header is left out.
uint64_t Fingerprint(const std::string& path, Format format) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (format == Format::kMdx && bytes.size() > 46) {
    for (size_t at : {1, 2, 3, 44, 45, 46}) bytes[at] = 0;
  }
  uint64_t h = 14695981039346656037ull;
  for (char c : bytes) {
    h ^= static_cast<uint8_t>(c);
    h *= 1099511628211ull;
  }
  return h;
}

struct Build {
  int records;
  const char* key;
  bool ascending;
  bool unique;
  uint64_t expected[4];  // .ntx .ndx .cdx .mdx
};

// clang-format off
const Build kBuilds[] = {
    {3000, "NAME", true, false, {15084241796441469502ull, 17462243846252664734ull, 6552188814382776865ull, 5809246521502426208ull}},
    {3000, "NAME", false, true, {17324733877636467370ull, 17388376804270011537ull, 15512902118549337836ull, 17159180171848442388ull}},
    {3000, "AMOUNT", true, false, {13699096418632728851ull, 12942324405542130415ull, 15197648019474767151ull, 8259939159248051961ull}},
    {3000, "AMOUNT", false, false, {14795838453371064608ull, 12942324405542130415ull, 4602130696619256386ull, 5865053882290457153ull}},
    {3000, "AMOUNT", true, true, {13376125514813863586ull, 13922754954945394870ull, 10378742936978250343ull, 5664905390414956394ull}},
    {60000, "NAME", true, false, {7680939045967175537ull, 9383375776307944193ull, 4073312520876450389ull, 5888650443879600464ull}},
    {60000, "AMOUNT", true, false, {4823255433149432245ull, 5534020772681534714ull, 14763584999463368250ull, 16231882933202016857ull}},
    {60000, "AMOUNT", false, true, {6409868661956081642ull, 10782814332633024010ull, 11923036255234952836ull, 14149509710960837656ull}},
};
// clang-format on

TEST(IndexBuildBytes, EveryFormatWritesTheFilesItWroteBefore) {
  for (int records : {3000, 60000}) {
    FakeTable table({{"NAME", 'C', 12, 0}, {"AMOUNT", 'N', 12, 2}}, TempPath("build.dbf"));
    FillBuildTable(table, records);
    for (const Build& b : kBuilds) {
      if (b.records != records) continue;
      for (Format f : {Format::kNtx, Format::kNdx, Format::kCdx, Format::kMdx}) {
        std::string path = TempPath(std::string("bytes") + Extension(f));
        {
          auto index = MakeIndex(f, &table, path, true);
          index->AddTag("BYTES", b.key, b.unique, b.ascending, "");
        }
        EXPECT_EQ(Fingerprint(path, f), b.expected[static_cast<int>(f)])
            << records << " records, " << b.key << (b.ascending ? " ascending" : " descending")
            << (b.unique ? " unique" : "") << ", " << FormatName(f);
        std::remove(path.c_str());
      }
    }
  }
}

// Counts the disk writes and fails the chosen one (counting from 1, 0 for
// none); notes writes made after it failed.
class CountingOs : public OsLayer {
 public:
  int64_t WriteAt(int h, int64_t o, const void* b, int64_t n) override {
    ++writes;
    if (failed) ++writesAfterFailure;
    if (writes == failAt) {
      failed = true;
      return -1;
    }
    return OsLayer::WriteAt(h, o, b, n);
  }
  int writes = 0;
  int failAt = 0;
  bool failed = false;
  int writesAfterFailure = 0;
};

class CountedTable : public FakeTable {
 public:
  explicit CountedTable(CountingOs& os)
      : FakeTable({{"NAME", 'C', 12, 0}, {"AMOUNT", 'N', 12, 2}}, TempPath("counted.dbf")),
        os_(os) {}
  OsLayer& Os() override { return os_; }

 private:
  CountingOs& os_;
};

TEST(IndexBuildBytes, PagesGoOutSeveralAtOnceAndAFailedWriteEndsTheBuild) {
  CountingOs os;
  CountedTable table(os);
  FillBuildTable(table, 3000);
  for (Format f : {Format::kNtx, Format::kNdx, Format::kCdx, Format::kMdx}) {
    std::string path = TempPath(std::string("counted") + Extension(f));
    // A whole build: far fewer writes than pages.
    os.writes = 0;
    os.failAt = 0;
    int64_t size = 0;
    {
      auto index = MakeIndex(f, &table, path, true);
      os.writes = 0;
      index->AddTag("COUNTED", "NAME", false, true, "");
      size = index->Disk()->Size();
    }
    const int writes = os.writes;
    EXPECT_LT(writes * 4, size / 512) << FormatName(f) << ": " << writes << " writes";
    // Each write of the build failing in turn: the build raises the failure
    // and nothing is written after it, not even when the index is closed.
    for (int failAt = 1; failAt <= writes; ++failAt) {
      os.writes = 0;
      os.failAt = 0;
      os.failed = false;
      os.writesAfterFailure = 0;
      {
        auto index = MakeIndex(f, &table, path, true);
        os.writes = 0;
        os.failAt = failAt;
        try {
          index->AddTag("COUNTED", "NAME", false, true, "");
          ADD_FAILURE() << FormatName(f) << ": write " << failAt << " failed unreported";
        } catch (const EDbfError& e) {
          EXPECT_EQ(std::string(e.what()), "Error writing to " + path) << FormatName(f);
        }
      }
      EXPECT_TRUE(os.failed) << FormatName(f) << " write " << failAt;
      EXPECT_EQ(os.writesAfterFailure, 0) << FormatName(f) << " write " << failAt;
    }
    std::remove(path.c_str());
  }
}

}  // namespace
