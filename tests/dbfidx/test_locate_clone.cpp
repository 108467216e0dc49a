// LocateRecord through a tag and by scanning; the locate objects and the
// second cursor over a table.
#include <gtest/gtest.h>

#include "dbf/dbf_errors.h"
#include "dbf/locate_clone.h"
#include "dbf/table_builder.h"
#include "dbf/table_index_list.h"
#include "index_test_support.h"

using namespace kelmo::dbf;
using namespace kelmo::dbf::testing;

namespace {

class Locate : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string path = TempPath("people_locate.dbf");
    {
      DFO_DBFBuild build(path);
      build.AddField("NAME", 'C', 10, 0);
      build.AddField("CITY", 'C', 10, 0);
      build.AddField("AGE", 'N', 3, 0);
      build.WriteFiles();
    }
    table = std::make_unique<DFO_dBHandler>(path, true, true, "");  // shared: clones may open it
    table->Open();
    const char* rows[][3] = {{"Smith", "Omsk", "40"},
                             {"Jones", "Tomsk", "31"},
                             {"Smirnov", "Omsk", "25"},
                             {"Brown", "Kazan", "52"}};
    for (auto& row : rows) {
      table->BlankRecord();
      table->PutFieldTextByName("NAME", row[0]);
      table->PutFieldTextByName("CITY", row[1]);
      table->PutFieldTextByName("AGE", row[2]);
      table->Append();
    }
    table->Indexes().CreateIndexFile("byname.ndx", "BYNAME", "NAME", false, true, "");
    table->Indexes().CreateIndexFile("bycity.ntx", "BYCITY", "CITY+NAME", false, true, "");
    table->GoTo(2);
  }
  std::unique_ptr<DFO_dBHandler> table;
};

TEST_F(Locate, LocateRecordThroughATagOrByScanning) {
  // CITY;NAME is named by the second tag's key.
  EXPECT_TRUE(LocateRecord(*table, "CITY;NAME", {"Omsk", "Smi"}, 0, true, false));
  EXPECT_EQ(table->CurrentRecord(), 3);  // "Smirnov" sorts before "Smith"
  EXPECT_TRUE(LocateRecord(*table, "CITY;NAME", {"Omsk", "Smith"}, 0, false, false));
  EXPECT_EQ(table->CurrentRecord(), 1);
  // No tag names AGE: a scan, case-insensitive, from after record 1.
  EXPECT_TRUE(LocateRecord(*table, "CITY", {"OMSK"}, 1, false, true));
  EXPECT_EQ(table->CurrentRecord(), 3);
  table->GoTo(4);
  EXPECT_FALSE(LocateRecord(*table, "NAME", {"Nobody"}, 0, false, false));
  EXPECT_EQ(table->CurrentRecord(), 4);  // back where it was
  EXPECT_EQ(table->Indexes().CurrentTag(), nullptr);
}

TEST_F(Locate, LocateObjectsScanOrSeek) {
  TLocateObject scan(*table);
  EXPECT_TRUE(scan.Locate("NAME", "jon", false, false));
  EXPECT_EQ(table->CurrentRecord(), 2);
  EXPECT_FALSE(scan.Locate("NAME", "jon", true, false));
  EXPECT_FALSE(scan.LocateByScan());  // the last search was exact
  EXPECT_TRUE(scan.Locate("CITY", "kaz", false, false));
  EXPECT_EQ(table->CurrentRecord(), 4);

  TDBLocate key(*table);
  EXPECT_TRUE(key.Locate("NAME", "Brown", true, true));  // seek on a second cursor
  EXPECT_EQ(table->CurrentRecord(), 4);
  EXPECT_TRUE(key.Locate("NAME", "Smit", false, true));
  EXPECT_EQ(table->CurrentRecord(), 1);
  EXPECT_FALSE(key.Locate("NAME", "smith", true, true));
  EXPECT_TRUE(key.Locate("NAME", "smith", true, false));  // without case: no key, a scan
  EXPECT_EQ(table->CurrentRecord(), 1);
  try {
    key.Locate("AGE", "4x", true, true);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "'4x' is not a valid integer value for field 'AGE'");
  }
  TCloneTable clone(*table, false);
  EXPECT_EQ(clone.Table().RecordCount(), 4);
  EXPECT_EQ(clone.Table().Indexes().TagCount(), 2);
}

}  // namespace

// A clone dataset stands on the source's record in the source's order and
// moves on its own; reset, it starts at the first physical record without
// filtering. A read-only clone refuses edits; a clone of an exclusive table
// cannot open it.
TEST(CloneDataset, SecondCursorOverADataset) {
  const std::string folder = TempPath("clone");
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/towns.dbf";
  {
    DFO_DBFBuild build(path);
    build.AddField("NAME", 'C', 10, 0);
    build.WriteFiles();
    DFO_dBHandler t(path, false, true, "");
    for (const char* n : {"Tomsk", "Omsk", "Kazan", "Perm"}) {
      t.BlankRecord();
      t.PutFieldTextByName("NAME", n);
      t.Append();
    }
    t.Indexes().CreateIndexFile(folder + "/towns.ndx", "TOWNS", "NAME", false, true, "");
  }
  TDbfDataSet source;
  source.SetDatabaseName(folder);
  source.SetTableName("towns.dbf");
  source.Open();
  source.Table()->Indexes().OpenIndexFile(folder + "/towns.ndx");
  source.Table()->Indexes().SetCurrentTag("TOWNS", false);
  source.Resync();
  source.Next();  // Omsk, after Kazan in name order
  ASSERT_EQ(source.GetFieldData("NAME").text, "Omsk");
  source.SetFiltered(true);
  source.OnFilterRecord = [](DFO_dBHandler& t) { return t.FieldTextByName("NAME")[0] != 'T'; };

  TCloneDbDataset clone;
  clone.AssignClone(source, false);
  EXPECT_TRUE(clone.Filtered());
  EXPECT_EQ(clone.GetFieldData("NAME").text, "Omsk");
  std::string order;
  for (; !clone.Eof(); clone.Next()) order += clone.GetFieldData("NAME").text + " ";
  EXPECT_EQ(order, "Omsk Perm ");  // name order, Tomsk filtered out
  EXPECT_EQ(source.GetFieldData("NAME").text, "Omsk");
  EXPECT_EQ(source.RecNo(), 2);

  clone.AssignClone(source, true);
  EXPECT_FALSE(clone.Filtered());
  order.clear();
  for (; !clone.Eof(); clone.Next()) order += clone.GetFieldData("NAME").text + " ";
  EXPECT_EQ(order, "Tomsk Omsk Kazan Perm ");

  EXPECT_THROW(clone.SetReadOnly(true), EDbfError);
  clone.Close();
  clone.SetReadOnly(true);
  clone.AssignClone(source, true);
  EXPECT_THROW(clone.Edit(), EDbfError);
  clone.Close();

  TDbfDataSet exclusive;
  exclusive.SetDatabaseName(folder);
  exclusive.SetTableName("towns.dbf");
  source.Close();
  exclusive.SetExclusive(true);
  exclusive.Open();
  EXPECT_THROW(clone.AssignClone(exclusive, true), EDbfError);
  EXPECT_FALSE(clone.Active());
}
