// Memo files of the three layouts: writing, replacing, reading and the block
// rules of each.
#include <gtest/gtest.h>

#include "dbf/dbf_errors.h"
#include "dbf/dbf_records.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"
#include "dbf_test_support.h"

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

// A header whose next-free block lies inside the used blocks (0, 1,
// 0xFFFFFFFF, another memo's block), in a file that may end inside its last
// block as other programs leave it: a longer memo goes past the true end and
// never over another record's memo.
TEST(DbfMemoRules, NextFreeInsideUsedBlocksNeverOverwritesAMemo) {
  const std::vector<std::string> texts = {"first", "second", "third"};
  for (Kind kind : {kDb3, kFox}) {
    for (uint32_t next : {0u, 1u, 0xFFFFFFFFu, 2u}) {
      for (bool ragged : {false, true}) {
        SCOPED_TRACE(::testing::Message()
                     << "fox " << (kind == kFox) << " next " << next << " ragged " << ragged);
        ScratchFolder dir;
        const std::string path = Build(dir, kind);
        int32_t lastBlock = 0;
        {
          DFO_dBHandler t(path, false, true, "");
          for (size_t i = 0; i < texts.size(); ++i) {
            t.BlankRecord();
            t.PutNumeric(1, static_cast<double>(i + 1));
            t.PutFieldText(2, texts[i]);
            t.Append();
          }
          lastBlock = t.MemoBlockOf(2);
          t.GoTo(2);
          if (next == 2u) next = static_cast<uint32_t>(t.MemoBlockOf(2));
        }
        std::vector<unsigned char> memo = ReadAll(MemoPath(dir, kind));
        const size_t blockSize = kind == kFox ? (memo[6] << 8 | memo[7]) : 512;
        for (int k = 0; k < 4; ++k)
          memo[static_cast<size_t>(k)] =
              static_cast<unsigned char>(kind == kFox ? next >> (24 - 8 * k) : next >> (8 * k));
        if (ragged)
          memo.resize(static_cast<size_t>(lastBlock) * blockSize + (kind == kFox ? 8 : 2) +
                      texts.back().size());
        WriteAll(MemoPath(dir, kind), memo);
        const std::string longText(1500, 'L');
        {
          DFO_dBHandler t(path, false, true, "");
          t.GoTo(1);
          t.PutFieldText(2, longText);
          t.WriteRecord(1);
          t.BlankRecord();
          t.PutNumeric(1, 4);
          t.PutFieldText(2, "fourth");
          t.Append();
        }
        DFO_dBHandler t(path, false, false, "");
        const std::vector<std::string> expected = {longText, "second", "third", "fourth"};
        for (int r = 1; r <= 4; ++r) {
          t.GoTo(r);
          EXPECT_EQ(t.FieldText(2), expected[static_cast<size_t>(r - 1)]) << r;
        }
      }
    }
  }
}

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
