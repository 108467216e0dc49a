// Renaming a table with its memo, changing a table's password with dBase III
// memos, and the binary field types of version 0x30 tables.
#include <gtest/gtest.h>

#include <algorithm>

#include "dbf/date_values.h"
#include "dbf/dbf_errors.h"
#include "dbf/dbf_records.h"
#include "dbf_test_support.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"

using namespace kelmo::dbf;
using kelmo::dbf::testing::ReadAll;
using kelmo::dbf::testing::ScratchFolder;
using kelmo::dbf::testing::WriteAll;

namespace {

void BuildDb3WithMemo(const std::string& path, int records) {
  {
    DFO_DBFBuild b(path);
    b.AddField("id", 'N', 4, 0);
    b.AddField("note", 'M', 10, 0);
    b.WriteFiles();
  }
  DFO_dBHandler t(path, false, true, "");
  for (int i = 1; i <= records; ++i) {
    t.BlankRecord();
    t.PutNumeric(1, i);
    t.PutFieldText(2, std::string(static_cast<size_t>(500 + i), static_cast<char>('a' + i)));
    t.Append();
  }
}

}  // namespace

TEST(DbfRewrites, RenameMovesTheMemoAndWritesItsBaseName) {
  ScratchFolder dir;
  BuildDb3WithMemo(dir / "old.dbf", 2);
  {
    DFO_dBHandler t(dir / "old.dbf", false, true, "");
    t.Rename(dir / "newname.dbf");
    EXPECT_EQ(t.Alias(), "NEWNAME");
    t.GoTo(2);
    EXPECT_EQ(t.FieldText(2).size(), 502u);
  }
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"newname.dbf", "newname.dbt"}));
  auto memo = ReadAll(dir / "newname.dbt");
  EXPECT_EQ(std::string(memo.begin() + 8, memo.begin() + 15), "newname");
}

TEST(DbfRewrites, PasswordChangeReencryptsDBase3Memos) {
  ScratchFolder dir;
  BuildDb3WithMemo(dir / "t.dbf", 3);
  {
    DFO_dBHandler t(dir / "t.dbf", false, true, "");
    t.SetPassword("secret");
  }
  // The memo text is no longer stored as it was.
  auto memo = ReadAll(dir / "t.dbt");
  EXPECT_TRUE(std::search_n(memo.begin(), memo.end(), 500, 'b') == memo.end());
  {
    DFO_dBHandler t(dir / "t.dbf", false, true, "secret");
    for (int i = 1; i <= 3; ++i) {
      t.GoTo(i);
      EXPECT_EQ(t.FieldText(2),
                std::string(static_cast<size_t>(500 + i), static_cast<char>('a' + i)));
    }
    t.SetPassword("");
  }
  DFO_dBHandler t(dir / "t.dbf", false, true, "");
  t.GoTo(3);
  EXPECT_EQ(t.FieldText(2), std::string(503, 'd'));
}

TEST(DbfRewrites, VisualFoxBinaryTypesRoundTripAndPack) {
  ScratchFolder dir;
  // A version 0x30 table made from a dBase III one by hand: header length with
  // the backlink area, binary I, B, Y, T fields.
  {
    DFO_DBFBuild b(dir / "seed.dbf");
    b.AddField("n", 'I', 4, 0);
    b.AddField("d", 'B', 8, 0);
    b.AddField("y", 'Y', 8, 0);
    b.AddField("t", 'T', 8, 0);
    b.WriteFiles();
  }
  auto seed = ReadAll(dir / "seed.dbf");
  std::vector<unsigned char> vfp(seed.begin(), seed.begin() + 32 * 5);
  vfp[0] = 0x30;
  PutLe16(vfp.data() + 8, 32 * 4 + 296);
  vfp.push_back(0x0D);
  vfp.resize(32 * 4 + 296, 0);
  vfp.push_back(0x1A);
  // The builder gave "B" width 10: binary doubles are 8 wide.
  vfp[32 * 2 + 16] = 8;
  PutLe16(vfp.data() + 10, 1 + 4 + 8 + 8 + 8);
  WriteAll(dir / "v.dbf", vfp);
  const double when =
      (static_cast<double>(TdfDBFDate::TextToJulian("20120131")) - 1721425) * 86400000.0 +
      37230000.0;
  {
    DFO_dBHandler t(dir / "v.dbf", false, true, "");
    for (int i = 1; i <= 3; ++i) {
      t.BlankRecord();
      t.PutNumeric(1, -i);
      t.PutNumeric(2, i + 0.5);
      t.PutNumeric(3, 1234.5678 * i);
      t.PutNumeric(4, when);
      t.Append();
    }
    t.GoTo(2);
    t.DeleteRecord();
    t.Pack();
    EXPECT_EQ(t.Version(), 0x30);
    ASSERT_EQ(t.RecordCount(), 2);
    t.GoTo(2);
    EXPECT_EQ(t.GetNumeric(1), -3);
    EXPECT_EQ(t.GetNumeric(2), 3.5);
    EXPECT_DOUBLE_EQ(t.GetNumeric(3), 3703.7034);
    EXPECT_EQ(t.GetNumeric(4), when);
    t.BlankRecord();
    EXPECT_EQ(t.GetNumeric(4), 0);
  }
  EXPECT_EQ(ReadAll(dir / "v.dbf")[0], 0x30);
}
