// Memo files of the three layouts: writing, replacing, reading and the block
// rules of each.
#include <gtest/gtest.h>

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

enum Kind { kDb3, kDb4, kFox };

std::string Build(const ScratchFolder& dir, Kind kind) {
  std::unique_ptr<DFO_DBFBuild> b;
  std::string path = dir / "memo.dbf";
  if (kind == kDb3) b = std::make_unique<DFO_DBFBuild>(path);
  if (kind == kDb4) b = std::make_unique<DFO_DB4Build>(path);
  if (kind == kFox) b = std::make_unique<DFO_DBFoxBuild>(path);
  b->AddField("id", 'N', 4, 0);
  b->AddField("note", 'M', 10, 0);
  b->WriteFiles();
  return path;
}

std::string MemoPath(const ScratchFolder& dir, Kind kind) {
  return dir / (kind == kFox ? "memo.fpt" : "memo.dbt");
}

}  // namespace

class DbfMemo : public ::testing::TestWithParam<Kind> {};

TEST_P(DbfMemo, WriteReplaceAndReadBack) {
  ScratchFolder dir;
  std::string path = Build(dir, GetParam());
  std::string longText(3000, 'x');
  longText[0] = 'A';
  {
    DFO_dBHandler t(path, false, true, "");
    t.BlankRecord();
    t.PutNumeric(1, 1);
    t.PutFieldText(2, "first memo");
    t.Append();
    t.BlankRecord();
    t.PutNumeric(1, 2);
    t.PutFieldText(2, longText);
    t.Append();
    t.BlankRecord();
    t.PutNumeric(1, 3);
    t.Append();
    t.GoTo(1);
    t.PutFieldText(2, "replaced");
    t.WriteRecord(1);
  }
  DFO_dBHandler t(path, false, true, "");
  t.GoTo(1);
  EXPECT_EQ(t.FieldText(2), "replaced");
  t.GoTo(2);
  EXPECT_EQ(t.FieldText(2), longText);
  EXPECT_EQ(t.MemoSize(2), 3000);
  EXPECT_EQ(t.ReadMemo(2, 5), "Axxxx");
  t.GoTo(3);
  EXPECT_EQ(t.FieldText(2), "");
  EXPECT_EQ(t.MemoBlockOf(2), 0);
}

TEST_P(DbfMemo, BlockPointerPastTheFileIsAnEngineError) {
  ScratchFolder dir;
  std::string path = Build(dir, GetParam());
  {
    DFO_dBHandler t(path, false, true, "");
    t.BlankRecord();
    t.PutNumeric(2, 999999);
    t.Append();
  }
  DFO_dBHandler t(path, false, true, "");
  t.GoTo(1);
  try {
    t.FieldText(2);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_NE(std::string(e.what()).find("Memo record is bad in"), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, DbfMemo, ::testing::Values(kDb3, kDb4, kFox));

TEST(DbfMemoRules, DBase3BlockCountsAndMoves) {
  ScratchFolder dir;
  std::string path = Build(dir, kDb3);
  DFO_dBHandler t(path, false, true, "");
  t.BlankRecord();
  t.PutFieldText(2, std::string(510, 'a'));
  t.Append();
  EXPECT_EQ(t.MemoBlockOf(2), 1);
  EXPECT_EQ(t.OpenMemo()->BlockCount(), 1);
  t.PutFieldText(2, std::string(511, 'b'));  // needs two blocks: moves to the end
  t.WriteRecord(1);
  EXPECT_EQ(t.MemoBlockOf(2), 2);
  EXPECT_EQ(t.OpenMemo()->BlockCount(), 2);
  t.PutFieldText(2, "");  // empty text stores block 0
  EXPECT_EQ(t.MemoBlockOf(2), 0);
}

TEST(DbfMemoRules, EmptyMemoOverAnOldOneStillWritesABlock) {
  for (Kind kind : {kDb3, kDb4, kFox}) {
    ScratchFolder dir;
    std::string path = Build(dir, kind);
    DFO_dBHandler t(path, false, true, "");
    t.BlankRecord();
    t.PutFieldText(2, "old");
    t.Append();
    GSobjMemo* memo = t.OpenMemo();
    int32_t block = t.MemoBlockOf(2);
    int32_t got = memo->WriteMemoData("", block, 0);
    EXPECT_GT(got, 0);
    EXPECT_EQ(memo->MemoDataLength(got), 0);
    int32_t none = 0;
    EXPECT_EQ(memo->WriteMemoData("", none, 0), 0);
  }
}

TEST(DbfMemoRules, DBase4ReusesAFreedRun) {
  ScratchFolder dir;
  std::string path = Build(dir, kDb4);
  DFO_dBHandler t(path, false, true, "");
  GSobjMemo* memo = nullptr;
  t.BlankRecord();
  t.PutFieldText(2, std::string(1200, 'a'));  // three blocks
  t.Append();
  t.BlankRecord();
  t.PutFieldText(2, "tail");
  t.Append();
  memo = t.OpenMemo();
  int32_t first = 0;
  t.GoTo(1);
  first = t.MemoBlockOf(2);
  memo->FreeBlocks(first);
  int32_t fresh = 0;
  int32_t got = memo->WriteMemoData(std::string(700, 'b').data(), fresh, 700);  // two blocks
  EXPECT_EQ(got, first);
  auto bytes = ReadAll(MemoPath(dir, kDb4));
  EXPECT_EQ(GetLe32(bytes.data()), static_cast<uint32_t>(first + 2));  // the one-block rest
  EXPECT_EQ(GetLe32(bytes.data() + 512 * (first + 2) + 4), 1u);
}

TEST(DbfMemoRules, FoxProBlockOfUnknownTypeIsBad) {
  ScratchFolder dir;
  std::string path = Build(dir, kFox);
  {
    DFO_dBHandler t(path, false, true, "");
    t.BlankRecord();
    t.PutFieldText(2, "text");
    t.Append();
  }
  auto bytes = ReadAll(MemoPath(dir, kFox));
  bytes[512 + 3] = 2;
  WriteAll(MemoPath(dir, kFox), bytes);
  DFO_dBHandler t(path, false, true, "");
  t.GoTo(1);
  EXPECT_THROW(t.FieldText(2), EDbfError);
}

TEST(DbfMemoRules, MissingMemoFileFailsAtFirstMemoAccess) {
  ScratchFolder dir;
  std::string path = Build(dir, kDb3);
  std::filesystem::remove(MemoPath(dir, kDb3));
  DFO_dBHandler t(path, false, true, "");
  try {
    t.OpenMemo();
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("File ", 0), 0u);
  }
}
