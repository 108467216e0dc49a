// Interoperability: index files this engine builds and keeps up to date are
// read by Perl's XBase module with the same keys in the same order, for every
// format, after random appends, rewrites and deletes and after a pack.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "index_test_support.h"

using namespace kelmo::dbf;
using namespace kelmo::dbf::testing;

namespace {

const char* const kDumpScript = R"(use XBase::Index;
my ($file, $type, $tag) = @ARGV;
my %o; $o{type} = $type if $type; $o{tag} = $tag if $tag;
my $i = XBase::Index->new($file, %o) or die XBase::Index->errstr;
$i->prepare_select;
while (my @d = $i->fetch) { $d[0] =~ s/\s+$//; print "$d[0]|$d[1]\n" }
die $i->errstr if $i->errstr;
)";

bool PerlXBaseAvailable() {
  return std::system("perl -MXBase::Index -e 1 2>/dev/null") == 0;
}

// (key, record) pairs as Perl's XBase reads them.
std::vector<std::pair<std::string, int32_t>> PerlDump(const std::string& file,
                                                      const std::string& type,
                                                      const std::string& tag) {
  std::string script = TempPath("dump.pl");
  std::ofstream(script) << kDumpScript;
  std::string out = TempPath("dump.txt");
  std::string command = "perl " + script + " " + file + " '" + type + "' '" + tag + "' > " + out;
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream in(out);
  std::vector<std::pair<std::string, int32_t>> rows;
  std::string line;
  while (std::getline(in, line)) {
    size_t bar = line.rfind('|');
    rows.emplace_back(line.substr(0, bar), std::atoi(line.c_str() + bar + 1));
  }
  return rows;
}

struct TagCase {
  const char* expression;
  bool numeric;
};

class IndexInterop : public ::testing::TestWithParam<Format> {};

TEST_P(IndexInterop, PerlReadsTheSameKeysInTheSameOrder) {
  if (!PerlXBaseAvailable()) GTEST_SKIP() << "Perl's XBase module is not installed";
  Format format = GetParam();
  std::vector<TagCase> cases = {{"NAME", false}};
  // Perl decodes numbers of .ntx, .ndx and .cdx keys; .mdx keys it gives raw.
  if (format != Format::kMdx) cases.push_back({"AMOUNT", true});
  for (const TagCase& c : cases) {
    FakeTable table = MakePeopleTable();
    std::mt19937 rng(c.numeric ? 41 : 42);
    for (int i = 0; i < 400; ++i) table.Append(RandomPerson(rng));
    std::string path = TempPath(std::string("interop") + Extension(format));
    auto index = MakeIndex(format, &table, path, true);
    index->AddTag("KEYS", c.expression, false, true, "");
    for (int step = 0; step < 1200; ++step) {
      int kind = static_cast<int>(rng() % 4);
      if (kind == 0) {
        index->UpdateRecordKeys(table.Append(RandomPerson(rng)), true);
      } else if (kind == 1) {
        table.Delete(static_cast<int32_t>(rng() % static_cast<unsigned>(table.RecordCount())) + 1);
      } else {
        int32_t r = static_cast<int32_t>(rng() % static_cast<unsigned>(table.RecordCount())) + 1;
        table.Rewrite(r, RandomPerson(rng));
        index->UpdateRecordKeys(r, false);
      }
    }
    for (bool packed : {false, true}) {
      if (packed) {
        table.Pack();
        index->Reindex();
      }
      GSobjIndexTag& tag = *index->IndexTagByNumber(0);
      tag.ReleaseCursor();
      auto expected = ExpectedKeys(tag, table);
      std::string type =
          format == Format::kNdx || format == Format::kMdx ? "" : (c.numeric ? "N" : "C");
      auto rows =
          PerlDump(path, type, format == Format::kCdx || format == Format::kMdx ? "KEYS" : "");
      ASSERT_EQ(rows.size(), expected.size()) << c.expression << (packed ? " after pack" : "");
      for (size_t i = 0; i < rows.size(); ++i) {
        table.LoadRecord(rows[i].second);
        TdfExpVariant value;
        tag.keyHandler->Evaluate(value);
        if (c.numeric) {
          double want = VariantToNumber(value);
          ASSERT_NEAR(std::atof(rows[i].first.c_str()), want, 1e-6) << i;
          if (i) ASSERT_LE(std::atof(rows[i - 1].first.c_str()), std::atof(rows[i].first.c_str()));
        } else {
          std::string want = VariantToText(value);
          while (!want.empty() && want.back() == ' ') want.pop_back();
          ASSERT_EQ(rows[i].first, want) << i;
          if (i) ASSERT_LE(rows[i - 1].first, rows[i].first);
        }
        if (packed) ASSERT_EQ(rows[i].second, expected[i].second) << i;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, IndexInterop,
                         ::testing::Values(Format::kNtx, Format::kNdx, Format::kCdx, Format::kMdx),
                         [](const auto& info) { return FormatName(info.param); });

}  // namespace
