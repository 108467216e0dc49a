// The single-tag index files (.ntx, .ndx): build, reopen, seek, walk, ranges,
// key maintenance through splits and emptied leaves, and damaged files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "index_test_support.h"

using namespace kelmo::dbf;
using namespace kelmo::dbf::testing;

namespace {

class SingleTagIndex : public ::testing::TestWithParam<Format> {
 protected:
  std::string Path(const std::string& stem) { return TempPath(stem + Extension(GetParam())); }

  // Keys in tag order must equal the table's keys in order, and the entries
  // (key, record) must be the table's, whatever the order among equal keys.
  void ExpectConsistent(GSobjIndexTag& tag, FakeTable& table) {
    auto expected = ExpectedKeys(tag, table);
    auto got = TagKeys(tag);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(tag.CompareKeys(got[i].first, expected[i].first, -1), 0) << "position " << i;
    }
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected);
  }
};

TEST_P(SingleTagIndex, EmptyTableGivesHeaderAndEmptyRoot) {
  FakeTable table = MakePeopleTable();
  auto index = MakeIndex(GetParam(), &table, Path("empty"), true);
  ASSERT_TRUE(index->opened);
  index->AddTag("EMPTY", "NAME", false, true, "");
  GSobjIndexTag& tag = *index->IndexTagByNumber(0);
  const int64_t sizes[] = {2048, 1024, 3072, 4096};
  EXPECT_EQ(index->Disk()->Size(), sizes[static_cast<int>(GetParam())]);
  EXPECT_EQ(tag.MoveCursor(-3), 0);
  EXPECT_TRUE(tag.bof && tag.eof);
  EXPECT_EQ(tag.MoveCursor(-4), 0);
  EXPECT_EQ(tag.FindKey("X", false), 0);
  EXPECT_TRUE(tag.eof);
}

TEST_P(SingleTagIndex, BuildReopenWalkAndSeek) {
  FakeTable table = MakePeopleTable();
  std::mt19937 rng(11);
  for (int i = 0; i < 3000; ++i) table.Append(RandomPerson(rng));
  std::string path = Path("people");
  for (const char* expr : {"NAME", "AMOUNT", "BORN", "UPPER(NAME)+DTOS(BORN)"}) {
    {
      auto index = MakeIndex(GetParam(), &table, path, true);
      index->AddTag("PEOPLE", expr, false, true, "");
      ExpectConsistent(*index->IndexTagByNumber(0), table);
    }
    auto index = MakeIndex(GetParam(), &table, path, false);
    ASSERT_TRUE(index->opened);
    GSobjIndexTag& tag = *index->IndexTagByNumber(0);
    EXPECT_EQ(tag.keyExpression, expr);
    ExpectConsistent(tag, table);
    auto expected = ExpectedKeys(tag, table);
    // Backwards from the bottom gives the reverse order.
    std::vector<std::string> back;
    for (int32_t r = tag.MoveCursor(-4); r; r = tag.MoveCursor(-2))
      back.push_back(tag.current.value);
    ASSERT_EQ(back.size(), expected.size());
    for (size_t i = 0; i < back.size(); ++i) {
      ASSERT_EQ(tag.CompareKeys(back[i], expected[expected.size() - 1 - i].first, -1), 0);
    }
    EXPECT_TRUE(tag.bof);
    // Walking back and forth across leaves keeps the order.
    tag.MoveCursor(-3);
    for (int i = 0; i < 700; ++i) tag.MoveCursor(-1);
    for (int i = 0; i < 400; ++i) tag.MoveCursor(-2);
    for (int i = 0; i < 100; ++i) tag.MoveCursor(-1);
    EXPECT_EQ(tag.CompareKeys(tag.current.value, expected[400].first, -1), 0);
    // Every key is found, on its first record.
    for (size_t i = 0; i < expected.size(); i += 97) {
      int32_t r = tag.FindKey(expected[i].first, true);
      ASSERT_GT(r, 0);
      EXPECT_EQ(tag.CompareKeys(tag.current.value, expected[i].first, -1), 0);
    }
  }
}

TEST_P(SingleTagIndex, PrefixSeekAndRanges) {
  FakeTable table = MakePeopleTable();
  for (const char* n : {"ALPHA", "BETA", "BETTY", "BRAVO", "CHARLIE", "DELTA"}) {
    table.Append({std::string(n), 1.0, 2450000.0});
  }
  auto index = MakeIndex(GetParam(), &table, Path("names"), true);
  index->AddTag("NAMES", "NAME", false, true, "");
  GSobjIndexTag& tag = *index->IndexTagByNumber(0);
  EXPECT_EQ(tag.FindKey("BET", false), 2);  // a prefix finds the first of them
  EXPECT_EQ(tag.FindKey("BET", true), 0);   // not when exact
  EXPECT_FALSE(tag.eof);
  EXPECT_EQ(tag.FindKey("A", true), 0);  // misses before the first key
  EXPECT_TRUE(tag.bof);
  EXPECT_EQ(tag.FindKey("ZULU", true), 0);
  EXPECT_TRUE(tag.eof);

  EXPECT_TRUE(tag.SetRange("B", true, "BR", false, true));
  std::vector<int32_t> records;
  for (int32_t r = tag.MoveCursor(-3); r; r = tag.MoveCursor(-1)) records.push_back(r);
  EXPECT_EQ(records, (std::vector<int32_t>{2, 3, 4}));
  EXPECT_TRUE(tag.eof);
  records.clear();
  for (int32_t r = tag.MoveCursor(-4); r; r = tag.MoveCursor(-2)) records.push_back(r);
  EXPECT_EQ(records, (std::vector<int32_t>{4, 3, 2}));
  EXPECT_TRUE(tag.bof);
  EXPECT_FALSE(tag.SetRange("B", true, "BR", false, true));
  tag.SetRange("", true, "", false, false);
  EXPECT_FALSE(tag.HasRange());
}

TEST_P(SingleTagIndex, KeysStayConsistentThroughAppendsRewritesAndSplits) {
  FakeTable table = MakePeopleTable();
  std::mt19937 rng(5);
  for (int i = 0; i < 50; ++i) table.Append(RandomPerson(rng));
  std::string path = Path("maintained");
  for (const char* expr : {"NAME", "AMOUNT"}) {
    auto index = MakeIndex(GetParam(), &table, path, true);
    index->AddTag("KEPT", expr, false, true, "");
    GSobjIndexTag& tag = *index->IndexTagByNumber(0);
    for (int step = 0; step < 1500; ++step) {
      if (rng() % 3 == 0) {
        int32_t r = table.Append(RandomPerson(rng));
        index->UpdateRecordKeys(r, true);
      } else {
        int32_t r = static_cast<int32_t>(rng() % static_cast<unsigned>(table.RecordCount())) + 1;
        auto rec = table.At(r);
        // Mostly small moves, so leaves empty and refill.
        rec[0] = std::string("K") + std::to_string(rng() % 40);
        rec[1] = static_cast<double>(rng() % 50);
        table.Rewrite(r, rec);
        index->UpdateRecordKeys(r, false);
      }
    }
    ExpectConsistent(tag, table);
    index.reset();
    auto reopened = MakeIndex(GetParam(), &table, path, false);
    ExpectConsistent(*reopened->IndexTagByNumber(0), table);
  }
}

TEST_P(SingleTagIndex, UniqueKeepsTheFirstOfEqualKeys) {
  FakeTable table = MakePeopleTable();
  table.Append({std::string("SAME"), 1.0, 2450000.0});
  table.Append({std::string("SAME"), 2.0, 2450000.0});
  auto index = MakeIndex(GetParam(), &table, Path("unique"), true);
  index->AddTag("U", "NAME", true, true, "");
  GSobjIndexTag& tag = *index->IndexTagByNumber(0);
  EXPECT_EQ(TagKeys(tag).size(), 1u);
  EXPECT_EQ(tag.FindKey("SAME", true), 1);
  int32_t r = table.Append({std::string("SAME"), 3.0, 2450000.0});
  EXPECT_FALSE(index->UpdateRecordKeys(r, true));
}

TEST_P(SingleTagIndex, DamagedFilesReportCorruption) {
  if (GetParam() == Format::kCdx || GetParam() == Format::kMdx) {
    GTEST_SKIP() << "multiple-tag files: see test_multi_tag_index";
  }
  FakeTable table = MakePeopleTable();
  std::mt19937 rng(3);
  for (int i = 0; i < 400; ++i) table.Append(RandomPerson(rng));
  std::string path = Path("damaged");
  int32_t root = 0;
  int unit = GetParam() == Format::kNtx ? 1 : 512;
  {
    auto index = MakeIndex(GetParam(), &table, path, true);
    index->AddTag("D", "NAME", false, true, "");
    root = index->IndexTagByNumber(0)->RootPage();
  }
  std::string original;
  {
    std::ifstream in(path, std::ios::binary);
    original.assign(std::istreambuf_iterator<char>(in), {});
  }
  auto patch = [&](size_t offset, uint32_t value) {
    std::string bytes = original;
    for (int i = 0; i < 4; ++i)
      bytes[offset + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  };
  size_t rootOffset = static_cast<size_t>(root) * static_cast<size_t>(unit);
  size_t firstPointer = GetParam() == Format::kNtx
                            ? rootOffset + static_cast<uint8_t>(original[rootOffset + 2]) +
                                  256u * static_cast<uint8_t>(original[rootOffset + 3])
                            : rootOffset + 4;
  // The root's second child pointer, made to name the first child again.
  size_t secondPointer =
      GetParam() == Format::kNtx
          ? rootOffset + static_cast<uint8_t>(original[rootOffset + 4]) +
                256u * static_cast<uint8_t>(original[rootOffset + 5])
          : rootOffset + 4 + GetLE16(reinterpret_cast<const uint8_t*>(original.data()) + 18);
  uint32_t firstChild = GetLE32(reinterpret_cast<const uint8_t*>(original.data()) + firstPointer);
  struct Case {
    const char* what;
    size_t offset;
    uint32_t value;
  } cases[] = {
      {"root outside the file", GetParam() == Format::kNtx ? 4u : 0u, 0x100000},
      {"child outside the file", firstPointer, 0x7FFF0},
      {"child looping to the root", firstPointer, static_cast<uint32_t>(root)},
      {"two pointers to one child", secondPointer, firstChild},
      {"key longer than a page holds", GetParam() == Format::kNtx ? 14u : 12u, 200 | (208u << 16)},
  };
  for (const Case& c : cases) {
    patch(c.offset, c.value);
    try {
      auto index = MakeIndex(GetParam(), &table, path, false);
      GSobjIndexTag& tag = *index->IndexTagByNumber(0);
      for (int32_t r = tag.MoveCursor(-3); r; r = tag.MoveCursor(-1)) {
      }
      ADD_FAILURE() << c.what;
    } catch (const EDbfError& e) {
      EXPECT_EQ(std::string(e.what()),
                "Index file damaged" + std::string(Extension(GetParam())) + " is corrupted")
          << c.what;
    }
  }
}

// Seeks keep what they read of the pages above the leaves; a key changed
// since (through this tag or, in a multiple-tag file, through the file's
// other tag sharing its pages) must show in the next seek.
TEST_P(SingleTagIndex, SeeksSeeKeysChangedAfterEarlierSeeks) {
  FakeTable table = MakePeopleTable();
  auto person = [](const char* prefix, int i) {
    char name[16];
    std::snprintf(name, sizeof name, "%s%05d", prefix, i);
    return FakeTable::Record{std::string(name), static_cast<double>(i % 97), 2440000.0 + i};
  };
  constexpr int kRecords = 3000;
  for (int i = 1; i <= kRecords; ++i) table.Append(person("N", i));
  auto index = MakeIndex(GetParam(), &table, Path("seekchange"), true);
  const bool multiTag = GetParam() == Format::kCdx || GetParam() == Format::kMdx;
  if (multiTag) index->AddTag("AMOUNT", "AMOUNT", false, true, "");
  index->AddTag("NAME", "NAME", false, true, "");
  GSobjIndexTag& tag = *index->IndexTagByName("NAME");
  auto seek = [&](const char* prefix, int i) {
    return tag.FindKey(tag.FormatKey(std::get<std::string>(person(prefix, i)[0]), etText, true),
                       true);
  };
  for (int i = 1; i <= kRecords; i += 37) ASSERT_EQ(seek("N", i), i) << i;
  for (int i = 1; i <= kRecords; i += 7) {
    table.Rewrite(i, person("M", i));
    index->UpdateRecordKeys(i, false);
    ASSERT_EQ(seek("M", i), i) << i;
    ASSERT_EQ(seek("N", i), 0) << i;
  }
  for (int i = 1; i <= kRecords; ++i) {
    ASSERT_EQ(seek(i % 7 == 1 ? "M" : "N", i), i) << i;
    ASSERT_EQ(seek(i % 7 == 1 ? "N" : "M", i), 0) << i;
  }
  ExpectConsistent(tag, table);
  // The table changed behind the index, then a rebuild: its pages take the
  // places of the ones read before.
  for (int i = 1; i <= kRecords; ++i) table.Rewrite(i, person("P", kRecords + 1 - i));
  index->Reindex();
  GSobjIndexTag& rebuilt = *index->IndexTagByName("NAME");
  for (int i = 1; i <= kRecords; i += 5) {
    std::string key = rebuilt.FormatKey(std::get<std::string>(person("P", i)[0]), etText, true);
    ASSERT_EQ(rebuilt.FindKey(key, true), kRecords + 1 - i) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, SingleTagIndex,
                         ::testing::Values(Format::kNtx, Format::kNdx, Format::kCdx, Format::kMdx),
                         [](const auto& info) { return FormatName(info.param); });

TEST(NtxIndex, PagesAndNumericKeysHaveTheirDiskForm) {
  FakeTable table({{"N", 'N', 6, 1}}, TempPath("numbers.dbf"));
  for (double v : {0.0, 1.5, -1.5, -2.0}) table.Append({v});
  GSobjNTXFile index(&table, TempPath("numbers.ntx"), true, true);
  index.AddTag("NUMBERS", "N", false, true, "");
  auto keys = TagKeys(*index.IndexTagByNumber(0));
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].first, std::string("\x2C\x2C\x2C\x2A\x2E\x2C"));  // -2
  EXPECT_EQ(keys[1].first, std::string("\x2C\x2C\x2C\x2B\x2E\x27"));  // -1.5
  EXPECT_EQ(keys[2].first, "0000.0");
  EXPECT_EQ(keys[3].first, "0001.5");

  // 100 keys with a maximum of 50: leaves of 34, 34 and 30 keys and a root
  // holding keys 35 and 70.
  FakeTable hundred({{"K", 'C', 10, 0}}, TempPath("hundred.dbf"));
  for (int i = 1; i <= 100; ++i) hundred.Append({DbfFormat("%010d", i)});
  GSobjNTXFile h(&hundred, TempPath("hundred.ntx"), true, true);
  h.AddTag("HUNDRED", "K", false, true, "");
  GSobjIndexTag& tag = *h.IndexTagByNumber(0);
  EXPECT_EQ(tag.maxKeys, 50);
  uint8_t page[1024];
  h.ReadPage(tag.RootPage(), page, 1024);
  EXPECT_EQ(GetLE16(page), 2);
  auto item = [&](const uint8_t* p, int i) { return p + GetLE16(p + 2 + 2 * i); };
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(item(page, 0) + 8), 10), "0000000035");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(item(page, 1) + 8), 10), "0000000070");
  int counts[3];
  for (int i = 0; i < 3; ++i) {
    uint8_t leaf[1024];
    h.ReadPage(static_cast<int32_t>(GetLE32(item(page, i))), leaf, 1024);
    counts[i] = GetLE16(leaf);
  }
  EXPECT_EQ(counts[0], 34);
  EXPECT_EQ(counts[1], 34);
  EXPECT_EQ(counts[2], 30);
}

TEST(NtxIndex, DescendingTagsHoldKeysInDescendingOrder) {
  FakeTable table = MakePeopleTable();
  std::mt19937 rng(2);
  for (int i = 0; i < 500; ++i) table.Append(RandomPerson(rng));
  GSobjNTXFile index(&table, TempPath("desc.ntx"), true, true);
  index.AddTag("DESC", "NAME", false, false, "");
  GSobjIndexTag& tag = *index.IndexTagByNumber(0);
  auto keys = TagKeys(tag);
  ASSERT_EQ(keys.size(), 500u);
  for (size_t i = 1; i < keys.size(); ++i) ASSERT_GE(keys[i - 1].first, keys[i].first);
  for (int i = 0; i < 300; ++i) {
    int32_t r = table.Append(RandomPerson(rng));
    index.UpdateRecordKeys(r, true);
  }
  keys = TagKeys(tag);
  ASSERT_EQ(keys.size(), 800u);
  for (size_t i = 1; i < keys.size(); ++i) ASSERT_GE(keys[i - 1].first, keys[i].first);
}

TEST(NdxIndex, EmptyDatesSortLastAndSizesFollowTheKey) {
  FakeTable table({{"D", 'D', 8, 0}, {"C", 'C', 9, 0}}, TempPath("dates.dbf"));
  table.Append({kEmptyDate, std::string("a")});
  table.Append({2450000.0, std::string("b")});
  GSobjNDXFile index(&table, TempPath("dates.ndx"), true, true);
  index.AddTag("DATES", "D", false, true, "");
  auto keys = TagKeys(*index.IndexTagByNumber(0));
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].second, 2);
  EXPECT_EQ(keys[1].second, 1);
  EXPECT_EQ(index.IndexTagByNumber(0)->maxKeys, 31);
  GSobjNDXFile text(&table, TempPath("text9.ndx"), true, true);
  text.AddTag("T", "C", false, true, "");
  EXPECT_EQ(text.IndexTagByNumber(0)->entrySize, 20);
  EXPECT_EQ(text.IndexTagByNumber(0)->maxKeys, 25);
}

}  // namespace

namespace {

// Many small random changes over few distinct keys, so leaves fill, split,
// empty and are rebuilt, in ascending and descending tags of every format.
class ChurnIndex : public ::testing::TestWithParam<std::tuple<Format, bool>> {};

TEST_P(ChurnIndex, StaysConsistent) {
  auto [format, ascending] = GetParam();
  if (format == Format::kNdx && !ascending) GTEST_SKIP() << ".ndx tags are always ascending";
  FakeTable table = MakePeopleTable();
  std::mt19937 rng(ascending ? 99 : 98);
  for (int i = 0; i < 200; ++i)
    table.Append({std::string("K") + std::to_string(rng() % 30), 1.0 * (rng() % 7), 2450000.0});
  std::string path = TempPath(std::string("churn") + Extension(format));
  auto index = MakeIndex(format, &table, path, true);
  index->AddTag("CHURN", "NAME+STR(AMOUNT,3)", false, ascending, "");
  GSobjIndexTag& tag = *index->IndexTagByNumber(0);
  for (int step = 0; step < 3000; ++step) {
    int32_t r = static_cast<int32_t>(rng() % static_cast<unsigned>(table.RecordCount())) + 1;
    if (step % 10 == 0) {
      r = table.Append({std::string("K") + std::to_string(rng() % 30), 1.0, 2450000.0});
      index->UpdateRecordKeys(r, true);
      continue;
    }
    auto rec = table.At(r);
    rec[0] = std::string("K") + std::to_string(rng() % 30);
    rec[1] = 1.0 * (rng() % 7);
    table.Rewrite(r, rec);
    index->UpdateRecordKeys(r, false);
  }
  auto expected = ExpectedKeys(tag, table);
  auto got = TagKeys(tag);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) {
    ASSERT_EQ(tag.CompareKeys(got[i].first, expected[i].first, -1), 0) << i;
  }
  std::sort(expected.begin(), expected.end());
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, ChurnIndex,
                         ::testing::Combine(::testing::Values(Format::kNtx, Format::kNdx,
                                                              Format::kCdx, Format::kMdx),
                                            ::testing::Bool()),
                         [](const auto& info) {
                           return FormatName(std::get<0>(info.param)) +
                                  (std::get<1>(info.param) ? "Ascending" : "Descending");
                         });

}  // namespace

// Pages kept from a file opened not shared stay true to the file: a write of
// the same page, a write over part of kept pages or across two of them, and
// truncation all show in the next reads, as a fresh handle reads the file.
TEST(IndexDiskFilePages, KeptPagesFollowWritesAndTruncation) {
  const std::string path = TempPath("kept.idx");
  auto file = IndexDiskFile::Create(path, false, DefaultOsLayer());
  std::vector<uint8_t> page(512);
  for (int p = 0; p < 4; ++p) {
    std::fill(page.begin(), page.end(), static_cast<uint8_t>('a' + p));
    file->Write(p * 512, page.data(), 512);
  }
  auto read = [&](IndexDiskFile& f, int64_t offset, int64_t count) {
    std::string out(static_cast<size_t>(count), '\0');
    out.resize(static_cast<size_t>(f.Read(offset, out.data(), count)));
    return out;
  };
  for (int p = 0; p < 4; ++p) read(*file, p * 512, 512);  // all kept now
  struct Step {
    int64_t offset;
    std::string bytes;
  };
  const Step steps[] = {{512, std::string(512, 'X')},  // the same page
                        {1030, "middle"},              // part of a page
                        {1020, std::string(10, 'Y')},  // across two pages
                        {0, std::string(2048, 'Z')}};  // over all of them
  for (const Step& s : steps) {
    file->Write(s.offset, s.bytes.data(), static_cast<int64_t>(s.bytes.size()));
    auto fresh = IndexDiskFile::Open(path, false, true, DefaultOsLayer());
    for (int p = 0; p < 4; ++p) {
      EXPECT_EQ(read(*file, p * 512, 512), read(*fresh, p * 512, 512))
          << "page " << p << " after a write at " << s.offset;
    }
  }
  file->Truncate(1024);
  EXPECT_EQ(read(*file, 1024, 512), "");
  file.reset();
  std::remove(path.c_str());
}
