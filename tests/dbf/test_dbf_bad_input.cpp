// Malformed tables and memos: each gives an engine error, never a crash or a
// read past the end.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

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

std::vector<unsigned char> GoodTable(const ScratchFolder& dir) {
  {
    DFO_DBFBuild b(dir / "good.dbf");
    b.AddField("id", 'N', 4, 0);
    b.AddField("name", 'C', 10, 0);
    b.WriteFiles();
  }
  {
    DFO_dBHandler t(dir / "good.dbf", false, true, "");
    for (int i = 1; i <= 3; ++i) {
      t.BlankRecord();
      t.PutNumeric(1, i);
      t.PutFieldText(2, "NAME");
      t.Append();
    }
  }
  return ReadAll(dir / "good.dbf");
}

// Opens the bytes as a table and walks every field of every record.
std::string OpenAndWalk(const ScratchFolder& dir, const std::vector<unsigned char>& bytes) {
  WriteAll(dir / "bad.dbf", bytes);
  try {
    DFO_dBHandler t(dir / "bad.dbf", false, false, "");
    for (t.GoTo(kMoveFirst); !t.Eof(); t.GoTo(kMoveNext)) {
      for (int f = 1; f <= t.FieldCount(); ++f) {
        t.FieldText(f);
        if (t.FieldType(f) == 'N') t.GetNumeric(f);
      }
    }
    return "";
  } catch (const EDbfError& e) {
    return e.what();
  }
}

}  // namespace

TEST(DbfBadInput, MalformedHeadersAreEngineErrors) {
  ScratchFolder dir;
  const auto good = GoodTable(dir);
  ASSERT_EQ(OpenAndWalk(dir, good), "");
  const std::string invalid = "Table Header for " + (dir / "bad.dbf") + " is invalid";
  const std::string shortRead = "Error on Read of file " + (dir / "bad.dbf");
  struct Case {
    const char* what;
    std::function<void(std::vector<unsigned char>&)> spoil;
    std::string expected;
  };
  std::vector<Case> cases = {
      {"truncated below the header", [](auto& b) { b.resize(20); }, shortRead},
      {"unknown version", [](auto& b) { b[0] = 0x02; }, invalid},
      {"header length beyond the file", [](auto& b) { PutLe16(b.data() + 8, 4000); }, invalid},
      {"header length below one descriptor area", [](auto& b) { PutLe16(b.data() + 8, 20); },
       invalid},
      {"record length zero", [](auto& b) { PutLe16(b.data() + 10, 0); }, invalid},
      {"fields wider than the record", [](auto& b) { PutLe16(b.data() + 10, 5); }, invalid},
      {"count beyond the file", [](auto& b) { PutLe32(b.data() + 4, 1000000); }, invalid},
      {"no descriptor terminator", [](auto& b) { b[32 + 64] = 'X'; }, invalid},
      {"truncated records", [](auto& b) { b.resize(b.size() - 20); }, invalid},
      {"garbage numeric", [](auto& b) { std::memcpy(b.data() + 97 + 1, "1*3x", 4); },
       "Invalid numeric value in field bad->ID (1*3x)"},
  };
  for (const auto& c : cases) {
    auto bytes = good;
    c.spoil(bytes);
    EXPECT_EQ(OpenAndWalk(dir, bytes), c.expected) << c.what;
  }
}

TEST(DbfBadInput, MemoLengthBeyondTheFileIsBad) {
  ScratchFolder dir;
  {
    DFO_DB4Build b(dir / "m.dbf");
    b.AddField("note", 'M', 10, 0);
    b.WriteFiles();
  }
  {
    DFO_dBHandler t(dir / "m.dbf", false, true, "");
    t.BlankRecord();
    t.PutFieldText(1, "hello");
    t.Append();
  }
  auto memo = ReadAll(dir / "m.dbt");
  PutLe32(memo.data() + 512 + 4, 0x7FFFFFF0);
  WriteAll(dir / "m.dbt", memo);
  DFO_dBHandler t(dir / "m.dbf", false, false, "");
  t.GoTo(1);
  EXPECT_THROW(t.FieldText(1), EDbfError);
}
