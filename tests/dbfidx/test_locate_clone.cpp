// LocateRecord through a tag and by scanning; the locate objects and the
// second cursor over a table.
#include <gtest/gtest.h>

#include "index_test_support.h"
#include "dbf/locate_clone.h"
#include "dbf/table_builder.h"
#include "dbf/table_index_list.h"

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
