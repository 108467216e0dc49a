// The dataset's index files, tag selection, index definitions, key ranges,
// master-detail keys and the memo stream.
#include <gtest/gtest.h>

#include "dbf/dataset_index.h"
#include "index_test_support.h"
#include "dbf/table_builder.h"

using namespace kelmo::dbf;
using namespace kelmo::dbf::testing;

namespace {

class DatasetIndex : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = ScratchDir() / "dataset";
    std::filesystem::create_directories(folder);
    {
      DFO_DBFBuild build((folder / "orders.dbf").string());
      build.AddField("CLIENT", 'C', 6, 0);
      build.AddField("ITEM", 'C', 8, 0);
      build.AddField("NOTE", 'M', 10, 0);
      build.WriteFiles();
    }
    dataset.SetDatabaseName(folder.string() + "/");
    dataset.SetTableName("orders.dbf");
    dataset.SetExclusive(true);
    dataset.Open();
    DFO_dBHandler& t = *dataset.Table();
    const char* rows[][2] = {
        {"C2", "PEN"}, {"C1", "INK"}, {"C2", "BOOK"}, {"C3", "LAMP"}, {"C1", "PAPER"}};
    for (auto& row : rows) {
      t.BlankRecord();
      t.PutFieldTextByName("CLIENT", row[0]);
      t.PutFieldTextByName("ITEM", row[1]);
      t.Append();
    }
    t.Indexes().CreateIndexFile("byclient", "BYCLIENT", "CLIENT+ITEM", false, true, "");
    t.Indexes().CreateIndexFile("upper.ndx", "UPPER", "UPPER(ITEM)", false, true, "");
    dataset.Close();
  }
  std::vector<std::string> Items() {
    std::vector<std::string> out;
    for (dataset.First(); !dataset.Eof(); dataset.Next()) {
      std::string s = dataset.Table()->FieldTextByName("ITEM");
      while (!s.empty() && s.back() == ' ') s.pop_back();
      out.push_back(s);
    }
    return out;
  }

  std::filesystem::path folder;
  TDbfDataSet dataset;
};

TEST_F(DatasetIndex, IndexFilesTagsAndDefinitions) {
  TDbfDataSetIndexes indexes(dataset);
  indexes.SetIndexFiles({"byclient", "upper"});
  dataset.Open();
  indexes.ApplyAtOpen();
  EXPECT_EQ(indexes.TagCount(), 2);
  EXPECT_EQ(indexes.TagName(1), "byclient");  // a single-tag file names its tag after itself
  EXPECT_EQ(indexes.TagExpression(1), "CLIENT+ITEM");
  EXPECT_EQ(indexes.TagName(3), "");
  const auto& defs = indexes.IndexDefs();
  ASSERT_EQ(defs.size(), 2u);
  EXPECT_EQ(defs[0].fields, "CLIENT;ITEM");
  EXPECT_FALSE(defs[0].expression);
  EXPECT_TRUE(defs[1].expression);
  EXPECT_EQ(defs[1].fields, "UPPER(ITEM)");

  EXPECT_EQ(Items(), (std::vector<std::string>{"PEN", "INK", "BOOK", "LAMP", "PAPER"}));
  indexes.SetIndexName("BYCLIENT");
  EXPECT_EQ(Items(), (std::vector<std::string>{"INK", "PAPER", "BOOK", "PEN", "LAMP"}));
  indexes.SetIndexName("UPPER");
  EXPECT_EQ(Items(), (std::vector<std::string>{"BOOK", "INK", "LAMP", "PAPER", "PEN"}));
  // Back to physical order, keeping the record.
  dataset.Table()->GoTo(4);
  indexes.SetIndexName("");
  EXPECT_EQ(dataset.RecNo(), 4);

  try {
    indexes.SetIndexFiles({"missing"});
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot find file " + (folder / "missing.ndx").string());
  }
}

TEST_F(DatasetIndex, RangesAndMasterDetail) {
  TDbfDataSetIndexes indexes(dataset);
  indexes.SetIndexFiles({"byclient.ndx"});
  dataset.Open();
  indexes.ApplyAtOpen();
  indexes.SetIndexName("BYCLIENT");
  indexes.ApplyKeyRangeEx("C2", "C2", true, true, true);
  EXPECT_EQ(Items(), (std::vector<std::string>{"BOOK", "PEN"}));
  indexes.ApplyKeyRange("", "");
  EXPECT_EQ(Items().size(), 5u);

  indexes.SetMasterFields("CLIENT");
  EXPECT_EQ(indexes.MasterKeyText({"C1"}, false), "C1            ");
  EXPECT_EQ(indexes.MasterKeyText({"C1"}, true), TDbfDataSetIndexes::kNoMasterKey);
  indexes.MasterChanged({"C1"}, false);
  EXPECT_EQ(Items(), (std::vector<std::string>{"INK", "PAPER"}));
  indexes.MasterChanged({"C9"}, true);  // the master inserting: the range stays
  EXPECT_EQ(Items(), (std::vector<std::string>{"INK", "PAPER"}));
  indexes.MasterDisabled();
  EXPECT_EQ(Items().size(), 5u);

  indexes.SetMasterFields("CLIENT;ITEM;NOTE");
  try {
    indexes.MasterKeyText({"C1", "INK", "X"}, false);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Master/Detail relation failed, field missmatch for orders.dbf");
  }
  indexes.SetIndexName("");
  try {
    indexes.MasterKeyText({"C1"}, false);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Master/Detail relation failed, no index open for orders.dbf");
  }
}

TEST_F(DatasetIndex, LocateAndLookup) {
  TDbfDataSetIndexes indexes(dataset);
  indexes.SetIndexFiles({"byclient"});
  dataset.Open();
  indexes.ApplyAtOpen();
  EXPECT_TRUE(indexes.Locate("CLIENT;ITEM", {"C2", "BO"}, true, false));  // through the tag
  EXPECT_EQ(dataset.RecNo(), 3);
  EXPECT_TRUE(indexes.LocateFrom("CLIENT", {"c1"}, 2, false, true));  // a scan from record 3
  EXPECT_EQ(dataset.RecNo(), 5);
  EXPECT_FALSE(indexes.Locate("ITEM", {"NONE"}, false, false));
  EXPECT_EQ(dataset.RecNo(), 5);
  auto found = indexes.Lookup("ITEM", {"LAMP"}, "CLIENT;ITEM");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ((*found)[0], "C3");
  EXPECT_EQ(dataset.RecNo(), 5);
  EXPECT_FALSE(indexes.Lookup("ITEM", {"LAM"}, "CLIENT").has_value());
}

TEST_F(DatasetIndex, FilterExpressions) {
  TDbfDataSetIndexes indexes(dataset);
  dataset.Open();
  indexes.ApplyAtOpen();
  indexes.SetFilter("CLIENT = 'C1'");
  EXPECT_EQ(Items().size(), 5u);  // not filtered yet
  indexes.SetFiltered(true);
  EXPECT_EQ(Items(), (std::vector<std::string>{"INK", "PAPER"}));
  indexes.SetFilter("ITEM = 'p*'");
  EXPECT_TRUE(Items().empty());  // case-sensitive
  indexes.SetFilterOptions(true, true);
  // The fixed part of a wildcard pattern may stand anywhere in the text.
  EXPECT_EQ(Items(), (std::vector<std::string>{"PEN", "LAMP", "PAPER"}));
  indexes.SetFilterOptions(true, false);
  EXPECT_TRUE(Items().empty());  // "*" only counts with partial compare
  indexes.SetFilterOptions(true, true);
  // In index order, and a new record that passes appears.
  dataset.Table()->Indexes().OpenIndexFile("upper.ndx");
  indexes.SetIndexName("UPPER");
  DFO_dBHandler& t = *dataset.Table();
  t.BlankRecord();
  t.PutFieldTextByName("CLIENT", "C4");
  t.PutFieldTextByName("ITEM", "PAINT");
  t.Append();
  EXPECT_EQ(Items(), (std::vector<std::string>{"LAMP", "PAINT", "PAPER", "PEN"}));
  indexes.SetFiltered(false);
  EXPECT_EQ(Items().size(), 6u);
  indexes.SetFiltered(true);
  try {
    indexes.SetFilter("ITEM");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Filter expression must return boolean result");
  }
  EXPECT_THROW(indexes.SetFilter("ITEM = "), EDbfExpression);
}

TEST_F(DatasetIndex, MemoStream) {
  dataset.Open();
  DFO_dBHandler& t = *dataset.Table();
  t.GoTo(2);
  {
    THCBlobStream out(t, "NOTE", THCBlobStream::kWrite, true);
    out.Write("hello memo", 10);
    out.Seek(5, 0);
    out.Write(" world", 6);
  }
  t.WriteRecord(2);
  t.GoTo(1);
  t.GoTo(2);
  THCBlobStream in(t, "NOTE", THCBlobStream::kRead, false);
  EXPECT_EQ(in.Size(), 11);
  char buffer[64] = {};
  EXPECT_EQ(in.Read(buffer, 64), 11);  // only what remains
  EXPECT_STREQ(buffer, "hello world");
  EXPECT_EQ(in.Read(buffer, 4), 0);
  try {
    THCBlobStream bad(t, "NOTE", THCBlobStream::kWrite, false);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Dataset not in edit or insert mode");
  }
  try {
    THCBlobStream bad(t, "NOTE", THCBlobStream::kReadWrite, true, true);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Field 'NOTE' cannot be modified");
  }
}

}  // namespace
