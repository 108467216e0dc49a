// Index files over a real DBF table: tags built from the table's fields,
// moves in index order that skip deleted records, Find with and without
// exact match and soft seek, ranges, upkeep after appends, rewrites and
// deletes, and a rebuild after a pack.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "dbf/table_builder.h"
#include "dbf/table_handler.h"
#include "dbf/table_index_list.h"
#include "index_test_support.h"

using namespace kelmo::dbf;
using namespace kelmo::dbf::testing;

namespace {

std::string ReadFile(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class TableIndex : public ::testing::Test {
 protected:
  void SetUp() override {
    path = TempPath("clients.dbf");
    {
      DFO_DBFBuild build(path);
      build.AddField("NAME", 'C', 12, 0);
      build.AddField("AMOUNT", 'N', 10, 2);
      build.AddField("BORN", 'D', 8, 0);
      build.WriteFiles();
    }
    table = std::make_unique<DFO_dBHandler>(path, false, true, "");
    table->Open();
    indexes = &table->Indexes();
  }
  void TearDown() override { table.reset(); }
  int32_t Append(const std::string& name, double amount) {
    table->BlankRecord();
    table->PutFieldTextByName("NAME", name);
    table->PutNumericByName("AMOUNT", amount);
    table->PutFieldTextByName("BORN", "20020430");
    table->Append();
    return table->RecordCount();
  }
  void Rewrite(int32_t r, const std::string& name) {
    table->DFO_dBaseFld::GoTo(r);
    table->PutFieldTextByName("NAME", name);
    table->WriteRecord(r);
  }
  std::vector<std::string> WalkNames() {
    std::vector<std::string> names;
    // The handler moves in the current tag's order.
    for (table->GoTo(-3); !table->Eof(); table->GoTo(-1)) {
      std::string n = table->FieldTextByName("NAME");
      while (!n.empty() && n.back() == ' ') n.pop_back();
      names.push_back(n);
      if (names.size() > 100000) break;
    }
    return names;
  }

  std::string path;
  std::unique_ptr<DFO_dBHandler> table;
  TdfIndexList* indexes = nullptr;
};

TEST_F(TableIndex, EveryFormatOrdersSeeksAndRanges) {
  for (const char* n : {"DELTA", "ALPHA", "CHARLIE", "BRAVO", "BETA"}) Append(n, 1);
  for (const char* file : {"byname.ntx", "byname.ndx", "both.cdx", "both.mdx"}) {
    SCOPED_TRACE(file);
    indexes->CloseIndexFiles();
    ASSERT_EQ(indexes->CreateIndexFile(file, "BYNAME", "NAME", false, true, ""), 0);
    EXPECT_EQ(indexes->TagCount(), 1);
    EXPECT_EQ(indexes->SetCurrentTag("byname", false), 1);
    std::vector<std::string> want = {"ALPHA", "BETA", "BRAVO", "CHARLIE", "DELTA"};
    EXPECT_EQ(WalkNames(), want);
    EXPECT_TRUE(indexes->Find("BR", false, false));
    EXPECT_EQ(table->CurrentRecord(), 4);
    EXPECT_FALSE(indexes->Find("BR", true, false));
    EXPECT_TRUE(table->Eof());
    EXPECT_FALSE(indexes->Find("BZ", true, true));  // soft seek stays on the next key
    EXPECT_EQ(table->CurrentRecord(), 3);
    // After a flush the order goes on from the current record.
    table->GoTo(-3);
    table->GoTo(-1);  // BETA
    indexes->Flush();
    table->GoTo(-1);
    EXPECT_EQ(table->FieldTextByName("NAME").substr(0, 5), "BRAVO");
    EXPECT_TRUE(indexes->SetIndexRange("B", "BR", true, false, true));
    EXPECT_EQ(WalkNames(), (std::vector<std::string>{"BETA", "BRAVO"}));
    indexes->ClearIndexRange();
    // Natural order again keeps the table usable without the tag.
    EXPECT_EQ(indexes->SetCurrentTag("", false), 0);
    EXPECT_EQ(indexes->CurrentTag(), nullptr);
  }
  // Every file open at once: tags count over all slots.
  indexes->CloseIndexFiles();
  EXPECT_EQ(indexes->OpenIndexList("byname.ntx; byname.ndx, \"both.cdx\";both.mdx", "BYNAME"), 0);
  EXPECT_EQ(indexes->TagCount(), 4);
  EXPECT_EQ(indexes->TagByNumber(3)->kind, "CDX");
  EXPECT_EQ(indexes->TagByNumber(5), nullptr);
}

TEST_F(TableIndex, UpkeepAfterWritesDeletesAndPack) {
  std::mt19937 rng(17);
  for (int i = 0; i < 300; ++i) Append("N" + std::to_string(rng() % 1000), i);
  ASSERT_EQ(indexes->CreateIndexFile("names.cdx", "NAMES", "UPPER(NAME)", false, true, ""), 0);
  ASSERT_EQ(indexes->CreateIndexFile("amount.ntx", "AMOUNT", "AMOUNT", false, true, ""), 0);
  indexes->SetCurrentTag("NAMES", false);
  for (int i = 0; i < 400; ++i) {
    int kind = static_cast<int>(rng() % 3);
    if (kind == 0) {
      Append("N" + std::to_string(rng() % 1000), static_cast<double>(rng() % 100));
    } else if (kind == 1) {
      Rewrite(static_cast<int32_t>(rng() % static_cast<unsigned>(table->RecordCount())) + 1,
              "N" + std::to_string(rng() % 1000));
    } else {
      table->DFO_dBaseFld::GoTo(
          static_cast<int32_t>(rng() % static_cast<unsigned>(table->RecordCount())) + 1);
      table->DeleteRecord();
    }
  }
  auto expectedNames = [&] {
    std::vector<std::string> names;
    for (int32_t r = 1; r <= table->RecordCount(); ++r) {
      table->DFO_dBaseFld::GoTo(r);
      if (table->CurrentRecordDeleted()) continue;
      std::string n = table->FieldTextByName("NAME");
      while (!n.empty() && n.back() == ' ') n.pop_back();
      names.push_back(n);
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  table->SetUseDeleted(false);
  EXPECT_EQ(WalkNames(), expectedNames());
  int32_t before = table->RecordCount();
  table->Pack();  // rebuilds every open tag
  EXPECT_LT(table->RecordCount(), before);
  EXPECT_EQ(WalkNames(), expectedNames());
  // The numeric tag holds every record of the packed table in order.
  indexes->SetCurrentTag("AMOUNT", false);
  double last = -1e300;
  int count = 0;
  for (table->GoTo(-3); !table->Eof(); table->GoTo(-1)) {
    double v = table->GetNumericByName("AMOUNT");
    EXPECT_LE(last, v);
    last = v;
    ++count;
  }
  EXPECT_EQ(count, table->RecordCount());
}

TEST_F(TableIndex, EncryptedTablesEncipherTheirIndexPages) {
  for (const char* n : {"DELTA", "ALPHA", "CHARLIE"}) Append(n, 1);
  ASSERT_EQ(indexes->CreateIndexFile("plain.ntx", "PLAIN", "NAME", false, true, ""), 0);
  auto plain = ReadFile(TempPath("plain.ntx"));
  table->SetPassword("secret");  // enciphers plain.ntx too
  ASSERT_TRUE(table->IsEncrypted());
  ASSERT_EQ(indexes->CreateIndexFile("secret.ntx", "SECRET", "NAME", false, true, ""), 0);
  table.reset();
  auto secret = ReadFile(TempPath("secret.ntx"));
  ASSERT_EQ(plain.size(), secret.size());
  EXPECT_TRUE(plain.substr(1024) != secret.substr(1024));
  EXPECT_TRUE(ReadFile(TempPath("plain.ntx")) == secret);
  table = std::make_unique<DFO_dBHandler>(path, false, true, "secret");
  table->Open();
  indexes = &table->Indexes();
  ASSERT_EQ(indexes->OpenIndexFile("secret.ntx"), 0);
  indexes->SetCurrentTag("secret", false);
  EXPECT_EQ(WalkNames(), (std::vector<std::string>{"ALPHA", "CHARLIE", "DELTA"}));
  Append("BRAVO", 2);
  EXPECT_EQ(WalkNames(), (std::vector<std::string>{"ALPHA", "BRAVO", "CHARLIE", "DELTA"}));
  // A password change enciphers the open index files anew.
  table->SetPassword("other");
  table.reset();
  table = std::make_unique<DFO_dBHandler>(path, false, true, "other");
  table->Open();
  indexes = &table->Indexes();
  ASSERT_EQ(indexes->OpenIndexFile("secret.ntx"), 0);
  indexes->SetCurrentTag("secret", false);
  EXPECT_EQ(WalkNames(), (std::vector<std::string>{"ALPHA", "BRAVO", "CHARLIE", "DELTA"}));
}

// An operating-system layer whose waits take no time, counting them.
class NoWaitOs : public OsLayer {
 public:
  void WaitMilliseconds(int) override { ++waits; }
  int waits = 0;
};

TEST(SharedTableIndex, AWriterWaitsForTheIndexLockAndGivesUp) {
  std::string path = TempPath("shared.dbf");
  {
    DFO_DBFBuild build(path);
    build.AddField("NAME", 'C', 8, 0);
    build.WriteFiles();
  }
  NoWaitOs os;
  DFO_dBHandler first(path, true, true, "", os);
  first.Open();
  first.BlankRecord();
  first.PutFieldTextByName("NAME", "ONE");
  first.Append();
  ASSERT_EQ(first.Indexes().CreateIndexFile("shared.ntx", "SHARED", "NAME", false, true, ""), 0);
  DFO_dBHandler second(path, true, true, "", os);
  second.Open();
  ASSERT_EQ(second.Indexes().OpenIndexFile("shared.ntx"), 0);
  ASSERT_TRUE(first.LockIndexes());
  second.BlankRecord();
  second.PutFieldTextByName("NAME", "TWO");
  try {
    second.Append();
    FAIL() << "the index lock was taken twice";
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Can not Lock file " + TempPath("shared.ntx"));
  }
  EXPECT_EQ(os.waits, 100);
  // The other writer's change counter tells the second cursor its pages are old.
  EXPECT_FALSE(second.Indexes().File(1)->ChangedByOtherUser());
  first.UnlockIndexes();
  second.BlankRecord();
  second.PutFieldTextByName("NAME", "THREE");
  EXPECT_NO_THROW(second.Append());
  EXPECT_TRUE(first.Indexes().File(1)->ChangedByOtherUser());
  EXPECT_FALSE(second.Indexes().File(1)->ChangedByOtherUser());
}

TEST_F(TableIndex, FindInTagAndRename) {
  for (const char* n : {"DELTA", "ALPHA", "CHARLIE"}) Append(n, 1);
  ASSERT_EQ(indexes->CreateIndexFile("names.mdx", "NAMES", "NAME", false, true, ""), 0);
  table->GoTo(1);
  EXPECT_EQ(indexes->FindInTag("names", "CHARLIE"), 3);
  EXPECT_EQ(indexes->FindInTag("names", "CHAR"), 0);  // exact match
  EXPECT_EQ(indexes->FindInTag("nosuch", "CHARLIE"), -1);
  EXPECT_EQ(table->CurrentRecord(), 1);
  GSobjIndexFile* file = indexes->File(1);
  ASSERT_TRUE(file->Rename(TempPath("renamed.xyz")));
  EXPECT_EQ(file->FileName(), "renamed.mdx");
  auto header = ReadFile(TempPath("renamed.mdx"));
  EXPECT_EQ(header.substr(4, 8), std::string("RENAMED\0", 8));
  EXPECT_EQ(indexes->FindInTag("names", "DELTA"), 1);
}

// The table's own .mdx or .cdx sets the header's production-index flag; other
// index files leave it alone. Renaming the table renames its memo file and
// the index files that carry its name, and the flag survives a reopen.
TEST(TableProductionIndex, FlagAndRenames) {
  struct Case {
    const char* index;
    bool production;
  };
  const Case cases[] = {{"prod.mdx", true},
                        {"PROD.CDX", true},
                        {"other.mdx", false},
                        {"prod.ntx", false},
                        {"prod.ndx", false}};
  for (const Case& c : cases) {
    std::filesystem::remove_all(ScratchDir() / "prod");
    std::filesystem::create_directories(ScratchDir() / "prod");
    const std::string path = TempPath("prod/prod.dbf");
    {
      DFO_DBFBuild build(path);
      build.AddField("NAME", 'C', 12, 0);
      build.AddField("NOTE", 'M', 10, 0);
      build.WriteFiles();
    }
    auto flag = [](const std::string& p) { return ReadFile(p)[28] & 1; };
    {
      DFO_dBHandler t(path, false, true, "");
      t.BlankRecord();
      t.PutFieldTextByName("NAME", "ONE");
      t.PutFieldTextByName("NOTE", "memo");
      t.Append();
      EXPECT_FALSE(t.HasProductionIndex());
      ASSERT_EQ(t.Indexes().CreateIndexFile(TempPath(std::string("prod/") + c.index), "NAMES",
                                            "NAME", false, true, ""),
                0);
      EXPECT_EQ(t.HasProductionIndex(), c.production) << c.index;
      EXPECT_EQ(flag(path), c.production ? 1 : 0) << c.index;
      t.Rename(TempPath("prod/moved.dbf"));
    }
    std::vector<std::string> files;
    for (auto& e : std::filesystem::directory_iterator(ScratchDir() / "prod")) {
      files.push_back(e.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    std::string index = c.index;
    const std::string extension = index.substr(index.find('.'));
    const bool follows = index.rfind("prod", 0) == 0 || index.rfind("PROD", 0) == 0;
    std::vector<std::string> expected = {"moved.dbf", "moved.dbt",
                                         follows ? "moved" + extension : index};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected) << c.index;
    EXPECT_EQ(flag(TempPath("prod/moved.dbf")), c.production ? 1 : 0) << c.index;
    DFO_dBHandler again(TempPath("prod/moved.dbf"), false, true, "");
    EXPECT_EQ(again.HasProductionIndex(), c.production);
    EXPECT_EQ(again.FieldTextByName("NOTE"), "");
    again.GoTo(1);
    EXPECT_EQ(again.FieldTextByName("NOTE"), "memo");
  }
}

TEST_F(TableIndex, OpeningErrors) {
  Append("X", 1);
  try {
    indexes->OpenIndexFile("missing");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "File " + TempPath("missing.ndx") + " could not be found");
  }
  std::ofstream(TempPath("junk.ntx"), std::ios::binary) << std::string(3000, '\x07');
  try {
    indexes->OpenIndexFile("junk.ntx");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Index file " + TempPath("junk.ntx") + " is corrupted");
  }
  ASSERT_EQ(indexes->CreateIndexFile("x.ndx", "X", "NAME", false, true, ""), 0);
  EXPECT_EQ(indexes->OpenIndexFile("x.ndx"), -1);
  try {
    indexes->SetCurrentTag("NOPE", false);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Cannot find index tag NOPE");
  }
  EXPECT_THROW(indexes->CreateIndexFile("bad.ntx", "BAD", "NAME + ", false, true, ""),
               EDbfExpression);
  EXPECT_THROW(indexes->CreateIndexFile("bad2.ntx", "BAD", "NOFIELD", false, true, ""),
               EDbfExpression);
}

}  // namespace
