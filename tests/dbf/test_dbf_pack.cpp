// Pack, copy and the dataset's pack road, with a failing operating-system
// layer to show that a pack that cannot finish loses nothing.
#include <gtest/gtest.h>

#include <ctime>

#include "bytes/code_pages.h"
#include "dbf/dbf_dataset.h"
#include "dbf/dbf_errors.h"
#include "dbf_test_support.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"

using namespace kelmo::dbf;
using namespace kelmo::bytes;
using kelmo::dbf::testing::ReadAll;
using kelmo::dbf::testing::ScratchFolder;

namespace {

// Fails the n-th call of the chosen operation (counting from 1).
class FailingOs : public OsLayer {
 public:
  enum Op { kRename, kDelete, kWrite, kLock };
  FailingOs(Op op, int nth) : op_(op), nth_(nth) {}
  bool RenameFile(const std::string& a, const std::string& b) override {
    return Hit(kRename) ? false : OsLayer::RenameFile(a, b);
  }
  bool DeleteFile(const std::string& p) override {
    return Hit(kDelete) ? false : OsLayer::DeleteFile(p);
  }
  int64_t WriteAt(int h, int64_t o, const void* b, int64_t n) override {
    return Hit(kWrite) ? -1 : OsLayer::WriteAt(h, o, b, n);
  }
  bool LockFileRegion(int h, int64_t l, int64_t o) override {
    return Hit(kLock) ? false : OsLayer::LockFileRegion(h, l, o);
  }
  void WaitMilliseconds(int) override {}
  int calls = 0;

 private:
  bool Hit(Op op) {
    if (op != op_) return false;
    return ++calls == nth_ || (nth_ == 0);
  }
  Op op_;
  int nth_;
};

// A table of n records with a memo each, the given records deleted.
void BuildWithMemo(const std::string& path, int n, const std::vector<int>& deleted) {
  {
    DFO_DBFoxBuild b(path);
    b.AddField("id", 'N', 4, 0);
    b.AddField("name", 'C', 300, 0);
    b.AddField("note", 'M', 10, 0);
    b.WriteFiles();
  }
  DFO_dBHandler t(path, false, true, "");
  for (int i = 1; i <= n; ++i) {
    t.BlankRecord();
    t.PutNumeric(1, i);
    t.PutFieldText(2, "N" + std::to_string(i));
    t.PutFieldText(3, "memo of " + std::to_string(i));
    t.Append();
  }
  for (int r : deleted) {
    t.GoTo(r);
    t.DeleteRecord();
  }
}

std::vector<int> Ids(const std::string& path) {
  DFO_dBHandler t(path, true, false, "");
  std::vector<int> ids;
  for (t.GoTo(kMoveFirst); !t.Eof(); t.GoTo(kMoveNext)) {
    ids.push_back(static_cast<int>(t.GetNumeric(1)));
    EXPECT_EQ(t.FieldText(3), "memo of " + std::to_string(ids.back()));
  }
  return ids;
}

}  // namespace

TEST(DbfPack, DropsDeletedRecordsAndTheirMemos) {
  ScratchFolder dir;
  std::string path = dir / "t.dbf";
  BuildWithMemo(path, 10, {2, 4, 7, 10});
  auto memoBefore = ReadAll(dir / "t.fpt").size();
  {
    DFO_dBHandler t(path, false, true, "");
    t.Pack();
    EXPECT_EQ(t.RecordCount(), 6);
    EXPECT_EQ(t.CurrentRecord(), 1);
    EXPECT_EQ(t.FieldWidth(2), 300);
  }
  auto bytes = ReadAll(path);
  EXPECT_EQ(bytes[4], 6);
  const std::time_t now = std::time(nullptr);
  std::tm today{};
  localtime_r(&now, &today);
  EXPECT_EQ(bytes[1], today.tm_year % 100);
  EXPECT_EQ(bytes[2], today.tm_mon + 1);
  EXPECT_EQ(bytes[3], today.tm_mday);
  EXPECT_EQ(bytes.size(),
            static_cast<size_t>(bytes[8] | (bytes[9] << 8)) + 6 * (1 + 4 + 300 + 10) + 1);
  EXPECT_EQ(bytes.back(), 0x1A);
  EXPECT_LT(ReadAll(dir / "t.fpt").size(), memoBefore);
  EXPECT_EQ(Ids(path), (std::vector<int>{1, 3, 5, 6, 8, 9}));
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"t.dbf", "t.fpt"}));
}

TEST(DbfPack, AllRecordsDeletedLeavesAnEmptyTable) {
  ScratchFolder dir;
  std::string path = dir / "t.dbf";
  BuildWithMemo(path, 3, {1, 2, 3});
  DFO_dBHandler t(path, false, true, "");
  t.Pack();
  EXPECT_EQ(t.RecordCount(), 0);
  EXPECT_TRUE(t.Eof());
  EXPECT_TRUE(t.Bof());
  auto bytes = ReadAll(path);
  EXPECT_EQ(bytes.size(), static_cast<size_t>(bytes[8] | (bytes[9] << 8)) + 1);
}

// Another writer padded every record with two bytes after the last field.
TEST(DbfPack, PaddedRecordsKeepTheirLength) {
  ScratchFolder dir;
  {
    DFO_DBFBuild b(dir / "p.dbf");
    b.AddField("id", 'N', 4, 0);
    b.WriteFiles();
  }
  auto bytes = ReadAll(dir / "p.dbf");
  bytes.pop_back();  // the end mark
  bytes[10] = 7;     // 1 + 4 + 2 padding bytes
  for (const char* rec : {" 1  ab", "*2  cd", " 3  ef"}) {
    std::string r = std::string(rec).substr(0, 1) + "   " + std::string(rec).substr(1, 1) +
                    std::string(rec).substr(4, 2);
    bytes.insert(bytes.end(), r.begin(), r.end());
  }
  bytes.push_back(0x1A);
  kelmo::dbf::testing::WriteAll(dir / "p.dbf", bytes);
  DFO_dBHandler t(dir / "p.dbf", false, true, "");
  t.Pack();
  ASSERT_EQ(t.RecordCount(), 2);
  EXPECT_EQ(t.RecordLength(), 7);
  t.GoTo(2);
  EXPECT_EQ(t.GetNumeric(1), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.RecordBuffer()) + 5, 2), "ef");
}

TEST(DbfPack, SharedTableIsRefusedAndUnchanged) {
  ScratchFolder dir;
  std::string path = dir / "t.dbf";
  BuildWithMemo(path, 3, {1});
  auto before = ReadAll(path);
  DFO_dBHandler t(path, true, true, "");
  try {
    t.Pack();
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Pack requires full access to file " + t.FileName());
  }
  EXPECT_EQ(ReadAll(path), before);
}

// Every rename and every write of the pack made to fail in turn: the table
// and its memo are either the old pair or the new pair, never a mix, and
// nothing else is left in the folder.
TEST(DbfPack, AFailedStepLeavesTheOriginalTableAndMemo) {
  for (FailingOs::Op op : {FailingOs::kRename, FailingOs::kWrite}) {
    for (int nth = 1; nth <= 6; ++nth) {
      ScratchFolder dir;
      std::string path = dir / "t.dbf";
      BuildWithMemo(path, 5, {2});
      auto table = ReadAll(path);
      auto memo = ReadAll(dir / "t.fpt");
      FailingOs os(op, nth);
      bool failed = false;
      {
        DFO_dBHandler t(path, false, true, "", os);
        try {
          t.Pack();
        } catch (const EDbfError&) {
          failed = true;
          // The handler is still usable on the original table.
          EXPECT_EQ(t.RecordCount(), 5);
        }
      }
      if (failed) {
        EXPECT_EQ(ReadAll(path), table) << op << " " << nth;
        EXPECT_EQ(ReadAll(dir / "t.fpt"), memo) << op << " " << nth;
      } else {
        EXPECT_EQ(Ids(path), (std::vector<int>{1, 3, 4, 5}));
      }
      EXPECT_EQ(dir.Files(), (std::vector<std::string>{"t.dbf", "t.fpt"})) << op << " " << nth;
    }
  }
}

TEST(DbfPack, CopyFileWithPasswordMakesAnEncryptedCopy) {
  ScratchFolder dir;
  std::string path = dir / "t.dbf";
  BuildWithMemo(path, 3, {});
  {
    DFO_dBHandler t(path, false, true, "");
    t.CopyFile(dir / "c.dbf", "pw");
  }
  EXPECT_EQ(ReadAll(dir / "c.dbf")[15], 1);
  EXPECT_THROW(DFO_dBHandler(dir / "c.dbf", false, true, ""), EDbfEncryption);
  DFO_dBHandler c(dir / "c.dbf", false, true, "pw");
  c.GoTo(3);
  EXPECT_EQ(c.FieldText(3), "memo of 3");
}

TEST(DbfPack, CopyFileGivesUpWhenTheWholeFileLockIsRefused) {
  ScratchFolder dir;
  std::string path = dir / "t.dbf";
  BuildWithMemo(path, 2, {});
  FailingOs os(FailingOs::kLock, 0);
  DFO_dBHandler t(path, true, true, "", os);
  EXPECT_THROW(t.CopyFile(dir / "c.dbf", ""), EDbfError);
  EXPECT_EQ(os.calls, LockAttempts);
}

TEST(DbfDataSetRoad, PackThroughTheDataset) {
  ScratchFolder dir;
  BuildWithMemo(dir / "t.dbf", 12, {1, 3, 5, 7, 9});
  TDbfDataSet ds;
  ds.SetDatabaseName(dir.Path().string() + "/");
  EXPECT_EQ(ds.DatabaseName(), dir.Path().string());
  ds.SetDatabaseName(dir.Path().string());
  EXPECT_EQ(std::count(DbfAliasList().begin(), DbfAliasList().end(),
                       dir.Path().string() + "=" + dir.Path().string()),
            1);
  ds.SetTableName("T");
  ds.SetExclusive(true);
  ds.Open();
  EXPECT_EQ(ds.TableName(), "T.DBF");
  std::vector<int> stages;
  ds.OnStatus = [&](int a, int, int) { stages.push_back(a); };
  ds.Pack();
  EXPECT_EQ(stages.front(), -1);
  EXPECT_EQ(ds.RecordCount(), 7);
  ds.Close();
  EXPECT_EQ(Ids(dir / "t.dbf"), (std::vector<int>{2, 4, 6, 8, 10, 11, 12}));
}

TEST(DbfDataSetRoad, TranslateTextBetweenCodePages) {
  TDbfDataSet ds;
  const std::string ansi = EncodeFromUtf8("Ёлка", CodePage::Cp1251);
  std::string oem, back;
  EXPECT_EQ(ds.TranslateText(ansi, oem, true), ansi.size());
  EXPECT_EQ(oem, EncodeFromUtf8("Ёлка", CodePage::Cp866));
  ds.TranslateText(oem, back, false);
  EXPECT_EQ(back, ansi);
  ds.SetTranslateASCII(false);
  ds.TranslateText(ansi, back, true);
  EXPECT_EQ(back, ansi);
}

TEST(DbfDataSetFields, MappingAndValues) {
  ScratchFolder dir;
  {
    DFO_DBFBuild b(dir / "f.dbf");
    b.AddField("name", 'C', 300, 0);
    b.AddField("small", 'N', 4, 0);
    b.AddField("mid", 'N', 9, 0);
    b.AddField("big", 'N', 12, 0);
    b.AddField("sum", 'N', 10, 2);
    b.AddField("born", 'D', 8, 0);
    b.AddField("ok", 'L', 1, 0);
    b.AddField("note", 'M', 10, 0);
    b.AddField("odd", 'X', 3, 0);
    b.WriteFiles();
    DFO_dBHandler t(dir / "f.dbf", false, true, "");
    t.BlankRecord();
    t.PutFieldTextByName("name", "ABC");
    t.PutNumericByName("mid", 12.6);
    t.PutFieldTextByName("born", "20120131");
    t.PutFieldTextByName("ok", "Y");
    t.Append();
    t.BlankRecord();
    t.PutFieldRawByName("born", "00000000");
    t.PutFieldTextByName("note", "text");
    t.Append();
  }
  TDbfDataSet ds;
  ds.SetDatabaseName(dir.Path().string());
  ds.SetTableName("f");
  auto defs = ds.FieldDefs();  // closed: the table is opened for this only
  ASSERT_EQ(defs.size(), 8u);
  EXPECT_EQ(defs[0].size, 300);
  const TDbfFieldType expected[] = {TDbfFieldType::kString,  TDbfFieldType::kSmallInt,
                                    TDbfFieldType::kInteger, TDbfFieldType::kInteger,
                                    TDbfFieldType::kFloat,   TDbfFieldType::kDate,
                                    TDbfFieldType::kBoolean, TDbfFieldType::kMemo};
  for (size_t i = 0; i < defs.size(); ++i) EXPECT_EQ(defs[i].type, expected[i]) << i;
  ds.SetLargeIntegerAs(TdfIntFields::asLargeInt);
  EXPECT_EQ(ds.FieldDefs()[3].type, TDbfFieldType::kLargeInt);
  ds.Open();
  EXPECT_EQ(ds.GetFieldData("NAME").text, "ABC");
  EXPECT_EQ(ds.GetFieldData("mid").integer, 13);
  EXPECT_EQ(ds.GetFieldData("born").day, 734533);  // 31.01.2012 counted from 1.1.0001
  EXPECT_TRUE(ds.GetFieldData("ok").boolean);
  EXPECT_TRUE(ds.GetFieldData("note").isNull);
  ds.Next();
  EXPECT_TRUE(ds.GetFieldData("name").isNull);
  EXPECT_TRUE(ds.GetFieldData("born").isNull);
  EXPECT_FALSE(ds.GetFieldData("note").isNull);
  EXPECT_FALSE(ds.GetFieldData("small").isNull);
  EXPECT_THROW(ds.GetFieldData("nosuch"), EDbfError);
}

TEST(DbfDataSetRoad, DefaultDirectoryIsTheProgramsFolder) {
  const size_t aliases = DbfAliasList().size();
  TDbfDataSet ds;
  ds.SetDatabaseName("Default Directory");
  EXPECT_EQ(DbfAliasList().size(), aliases);
  EXPECT_EQ(ds.TableFolder(),
            std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/");
}

TEST(DbfDataSetRoad, OpenErrors) {
  ScratchFolder dir;
  TDbfDataSet ds;
  ds.SetDatabaseName(dir.Path().string());
  EXPECT_THROW(ds.Open(), EDbfError);  // table name missing
  ds.SetTableName("missing.dbf");
  try {
    ds.Open();
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot find file " + dir.Path().string() + "/missing.dbf");
  }
  EXPECT_FALSE(ds.Active());
  BuildWithMemo(dir / "t.dbf", 2, {1});
  DFO_dBHandler other(dir / "t.dbf", true, false, "");
  ds.SetTableName("t.dbf");
  ds.SetExclusive(true);
  EXPECT_THROW(ds.Open(), EDbfError);
  EXPECT_FALSE(ds.Active());
  ds.SetExclusive(false);
  ds.Open();
  EXPECT_THROW(ds.Pack(), EDbfError);
}
