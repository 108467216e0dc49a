// The multiple-tag files (.cdx, .mdx): several tags in one file, replacing
// and deleting tags, the 47-tag limit of .mdx, key forms, descending cursors
// and damaged headers.
#include <gtest/gtest.h>

#include <fstream>

#include "index_test_support.h"

using namespace kelmo::dbf;
using namespace kelmo::dbf::testing;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class MultiTagIndex : public ::testing::TestWithParam<Format> {
 protected:
  std::string Path(const std::string& stem) { return TempPath(stem + Extension(GetParam())); }
};

TEST_P(MultiTagIndex, SeveralTagsReplaceAndDelete) {
  FakeTable table = MakePeopleTable();
  std::mt19937 rng(21);
  for (int i = 0; i < 700; ++i) table.Append(RandomPerson(rng));
  std::string path = Path("multi");
  {
    auto index = MakeIndex(GetParam(), &table, path, true);
    index->AddTag("NAME", "NAME", false, true, "");
    index->AddTag("AMOUNT", "AMOUNT", false, true, "AMOUNT > 0");
    index->AddTag("BORN", "BORN", false, false, "");
    index->AddTag("NAME", "UPPER(NAME)", false, true, "");  // replaces the first
    EXPECT_EQ(index->IndexTagCount(), 3);
    for (int i = 0; i < 300; ++i) {
      int32_t r = table.Append(RandomPerson(rng));
      index->UpdateRecordKeys(r, true);
      int32_t old = static_cast<int32_t>(rng() % 700) + 1;
      table.Rewrite(old, RandomPerson(rng));
      index->UpdateRecordKeys(old, false);
    }
  }
  auto index = MakeIndex(GetParam(), &table, path, false);
  ASSERT_EQ(index->IndexTagCount(), 3);
  for (const char* name : {"NAME", "AMOUNT", "BORN"}) {
    GSobjIndexTag* tag = index->IndexTagByName(name);
    ASSERT_NE(tag, nullptr) << name;
    auto expected = ExpectedKeys(*tag, table);
    auto got = TagKeys(*tag);
    ASSERT_EQ(got.size(), expected.size()) << name;
    std::vector<int32_t> walked;
    for (int32_t r = tag->MoveCursor(-3); r; r = tag->MoveCursor(-1)) walked.push_back(r);
    ASSERT_EQ(walked.size(), expected.size()) << name;
    // The walk (cursor order) follows the key order; descending runs backwards.
    bool descending = !tag->ascending;
    for (size_t i = 1; i < walked.size(); ++i) {
      table.LoadRecord(walked[i - 1]);
      std::string a;
      tag->EvaluateKey(a);
      table.LoadRecord(walked[i]);
      std::string b;
      tag->EvaluateKey(b);
      int c = tag->CompareKeys(a, b, -1);
      if (tag->DescendingByCursor()) c = -c;
      ASSERT_LE(c, 0) << name << " at " << i << (descending ? " (descending)" : "");
    }
  }
  EXPECT_EQ(index->IndexTagByName("AMOUNT")->forExpression, "AMOUNT > 0");
  EXPECT_TRUE(index->DeleteTag("BORN"));
  EXPECT_FALSE(index->DeleteTag("BORN"));
  EXPECT_EQ(index->IndexTagCount(), 2);
  index.reset();
  index = MakeIndex(GetParam(), &table, path, false);
  EXPECT_EQ(index->IndexTagCount(), 2);
  EXPECT_EQ(index->IndexTagByName("BORN"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Formats, MultiTagIndex, ::testing::Values(Format::kCdx, Format::kMdx),
                         [](const auto& info) { return FormatName(info.param); });

TEST(MdxIndex, AFortyEighthTagIsRefusedAndTheFileStaysValid) {
  FakeTable table = MakePeopleTable();
  for (int i = 0; i < 20; ++i)
    table.Append({std::string("N") + std::to_string(i), 1.0 * i, 2450000.0});
  std::string path = TempPath("full.mdx");
  GSobjMDXFile index(&table, path, true, true);
  for (int i = 0; i < 47; ++i) index.AddTag(DbfFormat("T%02d", i), "NAME", false, true, "");
  std::string before = ReadFile(path);
  try {
    index.AddTag("T47", "NAME", false, true, "");
    FAIL() << "a 48th tag was accepted";
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Index file full.mdx has no room for another tag");
  }
  EXPECT_EQ(ReadFile(path), before);
  // Replacing an existing tag is still allowed.
  index.AddTag("T05", "AMOUNT", false, true, "");
  GSobjMDXFile reopened(&table, path, false, true);
  ASSERT_EQ(reopened.IndexTagCount(), 47);
  for (int i = 0; i < 47; ++i) {
    EXPECT_EQ(TagKeys(*reopened.IndexTagByNumber(i)).size(), 20u) << i;
  }
  EXPECT_EQ(reopened.IndexTagByName("T05")->keyType, 'N');
  // Threads at entry offset 17 run 1, 2, ... and the table is in name order.
  std::string header = ReadFile(path);
  EXPECT_EQ(header[512 + 17], 1);
  EXPECT_EQ(header[512 + 32 + 17], 2);
  EXPECT_EQ(header.substr(512 + 32 + 4, 3), "T00");
  EXPECT_EQ(header.substr(512 + 32 * 47 + 4, 3), "T46");
}

TEST(MdxIndex, DecimalFormOfNumbers) {
  struct Case {
    double value;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {0, {52, 1}},
      {1.5, {53, 9, 0x15}},
      {-1.5, {53, 137, 0x15}},
      {1e20, {67, 65, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x90}},
  };
  for (const Case& c : cases) {
    auto bytes = FloatToMdxDecimal(c.value);
    std::vector<uint8_t> got(bytes.begin(), bytes.begin() + static_cast<long>(c.bytes.size()));
    EXPECT_EQ(got, c.bytes) << c.value;
    for (size_t i = c.bytes.size(); i < 12; ++i) EXPECT_EQ(bytes[i], 0) << c.value;
  }
  for (double v : {0.0, 1.5, -1.5, 123456.789, -0.001, 42.0}) {
    EXPECT_DOUBLE_EQ(MdxDecimalToFloat(FloatToMdxDecimal(v).data()), v);
  }
}

TEST(CdxIndex, NewFileLayoutAndNumericKeyBytes) {
  FakeTable table({{"N", 'N', 10, 2}}, TempPath("cdxnum.dbf"));
  for (double v : {1.0, -1.0, 0.0, -1.0000001, 2.5}) table.Append({v});
  std::string path = TempPath("cdxnum.cdx");
  {
    GSobjCDXFile empty(&table, TempPath("cdxnew.cdx"), true, true);
    std::string bytes = ReadFile(TempPath("cdxnew.cdx"));
    ASSERT_EQ(bytes.size(), 1536u);
    EXPECT_EQ(GetLE32(reinterpret_cast<const uint8_t*>(bytes.data())), 1024u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[14]), 224);
    EXPECT_EQ(GetLE16(reinterpret_cast<const uint8_t*>(bytes.data()) + 12), 10);
    const auto* root = reinterpret_cast<const uint8_t*>(bytes.data()) + 1024;
    EXPECT_EQ(GetLE16(root), 3);
    EXPECT_EQ(GetLE32(root + 4), 0xFFFFFFFFu);
    EXPECT_EQ(GetLE32(root + 8), 0xFFFFFFFFu);
    EXPECT_EQ(GetLE16(root + 12), 488);
    EXPECT_EQ(root[23], 3);
    EXPECT_EQ(root[20], 16);
    EXPECT_EQ(root[21], 4);
    EXPECT_EQ(root[22], 4);
  }
  GSobjCDXFile index(&table, path, true, true);
  index.AddTag("N", "N", false, true, "");
  auto keys = TagKeys(*index.IndexTagByNumber(0));
  ASSERT_EQ(keys.size(), 5u);
  EXPECT_EQ(keys[0].second, 4);  // -1.0000001 below -1: negative keys keep all their bytes
  EXPECT_EQ(keys[1].first, std::string("\x40\x0F\xFF\xFF\xFF\xFF\xFF\xFF", 8));
  EXPECT_EQ(keys[2].first, std::string("\x80", 1));
  EXPECT_EQ(keys[3].first, std::string("\xBF\xF0", 2));
  EXPECT_EQ(keys[4].second, 5);
}

TEST(CdxIndex, DescendingTagWalksBackwardsOverAscendingKeys) {
  FakeTable table({{"K", 'C', 4, 0}}, TempPath("cdxdesc.dbf"));
  for (const char* k : {"B", "D", "A", "C"}) table.Append({std::string(k)});
  GSobjCDXFile index(&table, TempPath("cdxdesc.cdx"), true, true);
  index.AddTag("DESC", "K", false, false, "");
  GSobjIndexTag& tag = *index.IndexTagByNumber(0);
  std::vector<int32_t> order;
  for (int32_t r = tag.MoveCursor(-3); r; r = tag.MoveCursor(-1)) order.push_back(r);
  EXPECT_EQ(order, (std::vector<int32_t>{2, 4, 1, 3}));
  EXPECT_TRUE(tag.eof);
  auto disk = TagKeys(tag);
  EXPECT_EQ(disk.front().first, "A");  // ascending on disk
}

TEST(CdxIndex, GeneralCollationOfForeignFilesIsKept) {
  FakeTable table({{"K", 'C', 8, 0}}, TempPath("general.dbf"));
  for (const char* k : {"cherry", "Banana", "apple", "BANANA", "\xC4pfel", "zebra"}) {
    table.Append({std::string(k)});
  }
  std::string path = TempPath("general.cdx");
  int32_t header = 0;
  {
    GSobjCDXFile index(&table, path, true, true);
    index.AddTag("FRUIT", "K", false, true, "");
    header = index.IndexTagByNumber(0)->headerPage;
  }
  // Name the GENERAL collation in the tag header as another program would.
  std::string bytes = ReadFile(path);
  bytes.replace(static_cast<size_t>(header) + 494, 7, "GENERAL");
  bytes[static_cast<size_t>(header) + 15] = 2;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  GSobjCDXFile index(&table, path, false, true);
  GSobjIndexTag& tag = *index.IndexTagByNumber(0);
  index.Reindex();
  auto* cdx = static_cast<GSobjCDXTag*>(index.IndexTagByNumber(0));
  EXPECT_TRUE(cdx->General());
  EXPECT_EQ(cdx->keyLength, 16);
  std::vector<int32_t> order;
  for (int32_t r = cdx->MoveCursor(-3); r; r = cdx->MoveCursor(-1)) order.push_back(r);
  // Letters compare without case and an umlaut with its letter: "\xC4pfel"
  // goes before "apple" by its third letter.
  EXPECT_EQ(order, (std::vector<int32_t>{5, 3, 2, 4, 1, 6}));
  EXPECT_EQ(cdx->FindKey(cdx->FormatKey(std::string("banana"), etText, true), true), 2);
  (void)tag;
  for (int i = 0; i < 300; ++i) {
    int32_t r = table.Append({std::string("k") + std::to_string(i % 37)});
    index.UpdateRecordKeys(r, true);
  }
  auto expected = ExpectedKeys(*cdx, table);
  auto got = TagKeys(*cdx);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i].first, expected[i].first) << i;
  EXPECT_EQ(ReadFile(path).substr(static_cast<size_t>(cdx->headerPage) + 494, 7), "GENERAL");
}

TEST(CdxIndex, DamagedHeadersReportCorruption) {
  FakeTable table = MakePeopleTable();
  std::mt19937 rng(8);
  for (int i = 0; i < 300; ++i) table.Append(RandomPerson(rng));
  std::string path = TempPath("cdxbad.cdx");
  {
    GSobjCDXFile index(&table, path, true, true);
    index.AddTag("NAME", "NAME", false, true, "");
  }
  std::string good = ReadFile(path);
  struct Case {
    const char* what;
    size_t offset;
    std::string bytes;
  } cases[] = {
      {"tag root 0", 1536, std::string(4, '\0')},
      {"tag root beyond the file", 1536, std::string("\x00\x00\x10\x00", 4)},
      {"tag key length above 240", 1536 + 12, std::string("\xF1\x00", 2)},
      {"tag list root misaligned", 0, std::string("\x01\x04\x00\x00", 4)},
      {"leaf counts beyond the node", 0, {}},
  };
  for (const Case& c : cases) {
    std::string bad = good;
    if (c.bytes.empty()) {
      // Every leaf entry claims to store more bytes than a node holds.
      uint32_t root = GetLE32(reinterpret_cast<const uint8_t*>(good.data()) + 1536);
      bad[root + 2] = static_cast<char>(0xFF);
    } else {
      bad.replace(c.offset, c.bytes.size(), c.bytes);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bad;
    try {
      GSobjCDXFile index(&table, path, false, true);
      GSobjIndexTag& tag = *index.IndexTagByNumber(0);
      for (int32_t r = tag.MoveCursor(-3); r; r = tag.MoveCursor(-1)) {
      }
      ADD_FAILURE() << c.what;
    } catch (const EDbfError& e) {
      EXPECT_STREQ(e.what(), "Index file cdxbad.cdx is corrupted") << c.what;
    }
  }
}

}  // namespace

namespace {

// For-conditions: a record enters a tag only while it passes; rewriting it so
// that it fails removes its entry; appending one that fails adds nothing;
// rewriting without changing the key leaves the tag as it was.
class ForCondition : public ::testing::TestWithParam<Format> {};

TEST_P(ForCondition, RecordsFollowTheirCondition) {
  FakeTable table = MakePeopleTable();
  table.Append({std::string("A"), 5.0, 2450000.0});
  table.Append({std::string("B"), -5.0, 2450000.0});
  auto index =
      MakeIndex(GetParam(), &table, TempPath(std::string("for") + Extension(GetParam())), true);
  index->AddTag("POSITIVE", "NAME", false, true, "AMOUNT > 0");
  GSobjIndexTag& tag = *index->IndexTagByNumber(0);
  auto records = [&] {
    std::vector<int32_t> out;
    for (auto& k : TagKeys(tag)) out.push_back(k.second);
    return out;
  };
  EXPECT_EQ(records(), (std::vector<int32_t>{1}));
  int32_t r = table.Append({std::string("C"), -1.0, 2450000.0});
  EXPECT_FALSE(index->UpdateRecordKeys(r, true));
  EXPECT_EQ(records(), (std::vector<int32_t>{1}));
  table.Rewrite(2, {std::string("B"), 7.0, 2450000.0});
  EXPECT_TRUE(index->UpdateRecordKeys(2, false));
  EXPECT_EQ(records(), (std::vector<int32_t>{1, 2}));
  table.Rewrite(1, {std::string("A"), -7.0, 2450000.0});
  EXPECT_TRUE(index->UpdateRecordKeys(1, false));
  EXPECT_EQ(records(), (std::vector<int32_t>{2}));
  table.Rewrite(2, {std::string("B"), 8.0, 2450000.0});  // same key, still passes
  EXPECT_FALSE(index->UpdateRecordKeys(2, false));
  EXPECT_EQ(records(), (std::vector<int32_t>{2}));
}

INSTANTIATE_TEST_SUITE_P(Formats, ForCondition,
                         ::testing::Values(Format::kNtx, Format::kCdx, Format::kMdx),
                         [](const auto& info) { return FormatName(info.param); });

}  // namespace
