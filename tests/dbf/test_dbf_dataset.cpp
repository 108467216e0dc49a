// The DBF dataset as a cursor: its record buffer, navigation over deleted
// records, bookmarks, the edit / insert / post / cancel cycle, field values by
// the dataset's types, and the alias list read from the engine configuration
// file in the data folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "dbf/dbf_dataset.h"
#include "dbf/dbf_errors.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"
#include "dbf_test_support.h"

using namespace kelmo::dbf;
using kelmo::dbf::testing::ScratchFolder;

namespace {

// Records A, B, C (deleted), D, E.
void BuildLetters(const std::string& path) {
  {
    DFO_DBFBuild b(path);
    b.AddField("NAME", 'C', 10, 0);
    b.AddField("N", 'N', 5, 0);
    b.AddField("BORN", 'D', 8, 0);
    b.AddField("OK", 'L', 1, 0);
    b.WriteFiles();
  }
  DFO_dBHandler t(path, false, true, "");
  const char* names[] = {"A", "B", "C", "D", "E"};
  for (int i = 0; i < 5; ++i) {
    t.BlankRecord();
    t.PutFieldTextByName("NAME", names[i]);
    t.PutNumericByName("N", i + 1);
    t.Append();
    if (i == 2) t.DeleteRecord();
  }
}

// The letters table in the folder, the dataset set up on it (closed).
void Letters(const ScratchFolder& dir, TDbfDataSet& ds) {
  BuildLetters(dir / "letters.dbf");
  ds.SetDatabaseName(dir.Path().string());
  ds.SetTableName("letters.dbf");
}

std::string Name(TDbfDataSet& ds) {
  return ds.GetFieldData("NAME").text;
}

void SetName(TDbfDataSet& ds, const std::string& text) {
  TDbfFieldValue v;
  v.isNull = false;
  v.text = text;
  ds.SetFieldData("NAME", v);
}

std::string NameInFile(const std::string& path, int record) {
  DFO_dBHandler t(path, true, false, "");
  t.GoTo(record);
  std::string text = t.FieldTextByName("NAME");
  return (t.CurrentRecordDeleted() ? "*" : "") + text;
}

struct Step {
  const char* op;
  int recNo;
  bool eof;
  bool bof;
  const char* name;
};

}  // namespace

// Each step runs one cursor operation and checks where the dataset stands
// and what its record buffer shows.
TEST(DbfDataSetCursor, OperationsInOrder) {
  for (bool exclusive : {true, false}) {
    ScratchFolder dir;
    const std::string path = dir / "letters.dbf";
    BuildLetters(path);
    TDbfDataSet ds;
    ds.SetDatabaseName(dir.Path().string());
    ds.SetTableName("letters");
    ds.SetExclusive(exclusive);
    TDataSetState stateBefore = TDataSetState::dsInactive;
    TDbfDataSet::TBookmark mark;
    const std::map<std::string, std::function<void()>> ops = {
        {"open", [&] { ds.Open(); }},
        {"first", [&] { ds.First(); }},
        {"next", [&] { ds.Next(); }},
        {"prior", [&] { ds.Prior(); }},
        {"last", [&] { ds.Last(); }},
        {"moveby 3", [&] { EXPECT_EQ(ds.MoveBy(3), 3); }},
        {"moveby -9", [&] { EXPECT_EQ(ds.MoveBy(-9), -3); }},
        {"edit EE",
         [&] {
           ds.Edit();
           SetName(ds, "EE");
         }},
        {"edit E2",
         [&] {
           ds.Edit();
           SetName(ds, "E2");
         }},
        {"post", [&] { ds.Post(); }},
        {"cancel", [&] { ds.Cancel(); }},
        {"insert F",
         [&] {
           ds.Insert();
           SetName(ds, "F");
         }},
        {"append F",
         [&] {
           ds.Append();
           SetName(ds, "F");
         }},
        {"delete", [&] { ds.Delete(); }},
        {"recno 4", [&] { ds.SetRecNo(4); }},
        {"mark", [&] { mark = ds.GetBookmark(); }},
        {"goto mark", [&] { ds.GotoBookmark(mark); }},
        {"table moves", [&] { ds.Table()->GoTo(2); }},
        {"refresh", [&] { ds.Refresh(); }},
        {"resync", [&] { ds.Resync(); }},
        {"next posts",
         [&] {
           ds.Edit();
           SetName(ds, "D2");
           ds.Next();
         }},
    };
    const Step steps[] = {
        {"open", 1, false, true, "A"},         {"next", 2, false, false, "B"},
        {"next", 4, false, false, "D"},  // record 3 is deleted
        {"next", 5, false, false, "E"},        {"next", 5, true, false, "E"},
        {"prior", 4, false, false, "D"},       {"last", 5, true, false, "E"},
        {"prior", 4, false, false, "D"},       {"first", 1, false, true, "A"},
        {"prior", 1, false, true, "A"},        {"moveby 3", 5, false, false, "E"},
        {"moveby -9", 1, false, true, "A"},    {"moveby 3", 5, false, false, "E"},
        {"edit EE", 5, false, false, "EE"},    {"cancel", 5, false, false, "E"},
        {"edit E2", 5, false, false, "E2"},    {"post", 5, false, false, "E2"},
        {"insert F", 0, false, false, "F"},    {"cancel", 5, false, false, "E2"},
        {"append F", 0, false, false, "F"},    {"post", 6, false, false, "F"},
        {"first", 1, false, true, "A"},        {"delete", 2, false, false, "B"},
        {"recno 4", 4, false, false, "D"},     {"mark", 4, false, false, "D"},
        {"first", 2, false, true, "B"},        {"goto mark", 4, false, false, "D"},
        {"table moves", 4, false, false, "D"},  // the buffer keeps the record
        {"refresh", 4, false, false, "D"},     {"table moves", 4, false, false, "D"},
        {"resync", 2, false, false, "B"},      {"recno 4", 4, false, false, "D"},
        {"next posts", 5, false, false, "E2"}, {"last", 6, true, false, "F"},
        {"delete", 5, true, false, "E2"},
    };
    int i = 0;
    for (const Step& s : steps) {
      SCOPED_TRACE(std::string(exclusive ? "exclusive " : "shared ") + "step " +
                   std::to_string(i++) + " " + s.op);
      stateBefore = ds.State();
      ops.at(s.op)();
      EXPECT_EQ(ds.RecNo(), s.recNo);
      EXPECT_EQ(ds.Eof(), s.eof);
      EXPECT_EQ(ds.Bof(), s.bof);
      EXPECT_EQ(Name(ds), s.name);
    }
    (void)stateBefore;
    ds.Close();
    const std::vector<std::string> expected = {"*A", "B", "*C", "D2", "E2", "*F"};
    for (int r = 1; r <= 6; ++r) EXPECT_EQ(NameInFile(path, r), expected[r - 1]) << r;
  }
}

TEST(DbfDataSetCursor, EmptyTableAndStates) {
  ScratchFolder dir;
  {
    DFO_DBFBuild b(dir / "empty.dbf");
    b.AddField("NAME", 'C', 10, 0);
    b.WriteFiles();
  }
  TDbfDataSet ds;
  ds.SetDatabaseName(dir.Path().string());
  ds.SetTableName("empty.dbf");
  EXPECT_EQ(ds.State(), TDataSetState::dsInactive);
  EXPECT_THROW(ds.RecordCount(), EDbfError);
  ds.Open();
  EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(ds.Eof());
  EXPECT_TRUE(ds.Bof());
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_EQ(ds.RecNo(), 0);
  EXPECT_TRUE(ds.GetFieldData("NAME").isNull);
  EXPECT_THROW(SetName(ds, "X"), EDbfError);
  try {
    SetName(ds, "X");
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Dataset not in edit or insert mode");
  }
  ds.Edit();  // an empty dataset edits a new record
  EXPECT_EQ(ds.State(), TDataSetState::dsInsert);
  SetName(ds, "ONE");
  ds.Post();
  EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_FALSE(ds.IsEmpty());
  ds.Delete();
  EXPECT_TRUE(ds.Eof());
  EXPECT_TRUE(ds.Bof());
  EXPECT_EQ(ds.RecordCount(), 1);
  ds.SetExactCount(true);
  EXPECT_EQ(ds.RecordCount(), 0);
}

TEST(DbfDataSetCursor, Bookmarks) {
  ScratchFolder dir;
  TDbfDataSet ds;
  Letters(dir, ds);
  ds.Open();
  ds.SetRecNo(4);
  EXPECT_EQ(ds.GetBookmark(), std::string("         4\0", 11));
  const TDbfDataSet::TBookmark b42("        42\0", 11), b9("         9\0", 11),
      b10("        10\0", 11);
  EXPECT_EQ(TDbfDataSet::CompareBookmarks(&b9, &b10), -1);
  EXPECT_EQ(TDbfDataSet::CompareBookmarks(&b10, &b9), 1);
  EXPECT_EQ(TDbfDataSet::CompareBookmarks(&b9, &b9), 0);
  EXPECT_EQ(TDbfDataSet::CompareBookmarks(nullptr, nullptr), 0);
  EXPECT_EQ(TDbfDataSet::CompareBookmarks(nullptr, &b9), -1);
  EXPECT_EQ(TDbfDataSet::CompareBookmarks(&b9, nullptr), 1);
  EXPECT_TRUE(ds.BookmarkValid(ds.GetBookmark()));
  EXPECT_FALSE(ds.BookmarkValid(b42));
  EXPECT_FALSE(ds.BookmarkValid("junk"));
  try {
    ds.GotoBookmark(b42);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Bookmark is invalid for table " + dir / "letters.dbf");
  }
  EXPECT_EQ(ds.RecNo(), 4);
}

// Field values by the dataset's types, written through the record buffer.
TEST(DbfDataSetCursor, FieldValuesRoundTrip) {
  ScratchFolder dir;
  TDbfDataSet ds;
  Letters(dir, ds);
  ds.Open();
  struct LogicalCase {
    const char* raw;
    bool value;
  };
  for (const LogicalCase& c : {LogicalCase{"F", false},
                               {"T", true},
                               {"Y", true},
                               {"J", true},
                               {"N", false},
                               {"?", false}}) {
    ds.Table()->GoTo(1);
    ds.Table()->PutFieldRawByName("OK", c.raw);
    ds.Table()->WriteRecord(1);
    ds.First();
    EXPECT_EQ(ds.GetFieldData("OK").boolean, c.value) << c.raw;
  }
  for (const char* raw : {"        ", "00000000", "2012x131"}) {
    ds.Table()->GoTo(1);
    ds.Table()->PutFieldRawByName("BORN", raw);
    ds.Table()->WriteRecord(1);
    ds.First();
    EXPECT_TRUE(ds.GetFieldData("BORN").isNull) << raw;
  }
  ds.Edit();
  TDbfFieldValue day;
  day.isNull = false;
  day.day = 734533;  // 31 January 2012, counted from 1 January of year 1
  ds.SetFieldData("BORN", day);
  TDbfFieldValue number;
  number.isNull = false;
  number.integer = -42;
  ds.SetFieldData("N", number);
  TDbfFieldValue yes;
  yes.isNull = false;
  yes.boolean = true;
  ds.SetFieldData("OK", yes);
  EXPECT_EQ(ds.GetOldFieldData("N").integer, 1);
  EXPECT_EQ(ds.GetFieldData("N").integer, -42);
  ds.Post();
  // The table's own record shows the posted one to callers that read it.
  EXPECT_EQ(ds.Table()->GetFieldRawByName("BORN"), "20120131");
  DFO_dBHandler check(dir / "letters.dbf", true, false, "");
  check.GoTo(1);
  EXPECT_EQ(check.GetFieldRawByName("BORN"), "20120131");
  EXPECT_EQ(check.GetFieldRawByName("N"), "  -42");
  EXPECT_EQ(check.GetFieldRawByName("OK"), "T");
  ds.Edit();
  ds.SetFieldData("BORN", TDbfFieldValue{});  // null
  ds.Post();
  EXPECT_TRUE(ds.GetFieldData("BORN").isNull);
}

// A shared dataset sees another user's change on refresh, and cannot edit a
// record that user holds locked.
TEST(DbfDataSetCursor, SharedUse) {
  ScratchFolder dir;
  TDbfDataSet ds;
  Letters(dir, ds);
  ds.Open();
  DFO_dBHandler other(dir / "letters.dbf", true, true, "");
  other.GoTo(1);
  other.PutFieldTextByName("NAME", "CHANGED");
  other.WriteRecord(1);
  EXPECT_EQ(Name(ds), "A");
  ds.Refresh();
  EXPECT_EQ(Name(ds), "CHANGED");
  ASSERT_TRUE(other.LockRecord());
  try {
    ds.Edit();
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Record is locked by another user");
  }
  EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
  other.Unlock();
  ds.Edit();
  ds.Cancel();
  ds.SetReadOnly(true);
  EXPECT_TRUE(ds.ReadOnly());
}

// The filter event sees the record being tested through GetFieldData.
TEST(DbfDataSetCursor, FilterEventReadsTheTestedRecord) {
  ScratchFolder dir;
  TDbfDataSet ds;
  Letters(dir, ds);
  ds.SetFiltered(true);
  ds.OnFilterRecord = [&](DFO_dBHandler&) {
    EXPECT_EQ(ds.State(), TDataSetState::dsFilter);
    return ds.GetFieldData("N").integer % 2 == 0;
  };
  ds.Open();
  std::string seen;
  for (; !ds.Eof(); ds.Next()) seen += Name(ds);
  EXPECT_EQ(seen, "BD");
}

TEST(DbfDataSetAliases, ReadFromTheConfigurationFile) {
  ScratchFolder dir;
  std::ofstream(dir / kDbfConfigFileName)
      << "[Other]\r\nX=/nowhere\r\n[Alias]\r\nREG=/data/registry\r\n; note\r\nbroken line\r\n"
         " Spaced = /data/spaced \r\n[Next]\r\nY=/no\r\n";
  LoadAliasFile(dir.Path().string());
  EXPECT_EQ(DbfAliasList(),
            (std::vector<std::string>{"REG=/data/registry", "Spaced=/data/spaced"}));
  EXPECT_EQ(DbfAliasValue("reg"), "/data/registry");
  EXPECT_EQ(DbfAliasValue("spaced"), "/data/spaced");
  TDbfDataSet ds;
  ds.SetDatabaseName("REG");
  EXPECT_EQ(ds.TableFolder(), "/data/registry/");
  LoadAliasFile(dir / "missing");
  EXPECT_TRUE(DbfAliasList().empty());
  // A link is not followed.
  ScratchFolder other;
  std::filesystem::create_symlink(dir / kDbfConfigFileName, other / kDbfConfigFileName);
  LoadAliasFile(other.Path().string());
  EXPECT_TRUE(DbfAliasList().empty());
  // A file past the bound is not read.
  std::ofstream(dir / kDbfConfigFileName)
      << "[Alias]\nBIG=/big\n;" << std::string(kMaxDbfConfigBytes, 'x') << "\n";
  LoadAliasFile(dir.Path().string());
  EXPECT_TRUE(DbfAliasList().empty());
}
