// Table file, field access and handler navigation: building, opening, reading,
// writing and appending records of every field type.
#include <gtest/gtest.h>

#include "dbf/date_values.h"
#include "dbf/dbf_errors.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"
#include "dbf_test_support.h"

using namespace kelmo::dbf;
using kelmo::dbf::testing::ReadAll;
using kelmo::dbf::testing::ScratchFolder;

namespace {

void BuildPeople(const std::string& path) {
  DFO_DBFBuild b(path);
  b.AddField("id", 'N', 6, 0);
  b.AddField("family", 'C', 20, 0);
  b.AddField("sum", 'N', 10, 2);
  b.AddField("dr", 'D', 8, 0);
  b.AddField("ok", 'L', 1, 0);
  b.WriteFiles();
}

void AppendPerson(DFO_dBHandler& t, int id, const std::string& family, double sum,
                  const std::string& date, bool ok) {
  t.BlankRecord();
  t.PutNumericByName("ID", id);
  t.PutFieldTextByName("family", family);
  t.PutNumericByName("SUM", sum);
  t.PutFieldTextByName("DR", date);
  t.PutLogicalByName("OK", ok);
  t.Append();
}

}  // namespace

TEST(DbfTableFile, EmptyTableFromBuilderHasHeaderTerminatorAndEofMark) {
  ScratchFolder dir;
  {
    DFO_DBFBuild b(dir / "empty");
    b.WriteFiles();
  }
  auto bytes = ReadAll(dir / "empty.DBF");
  ASSERT_EQ(bytes.size(), 34u);
  EXPECT_EQ(bytes[0], 0x03);
  EXPECT_EQ(bytes[8], 33);
  EXPECT_EQ(bytes[32], 0x0D);
  EXPECT_EQ(bytes[33], 0x1A);
  DFO_dBHandler t(dir / "empty.DBF", false, true, "");
  EXPECT_EQ(t.FieldCount(), 0);
  t.GoTo(kMoveFirst);
  EXPECT_TRUE(t.Eof());
  EXPECT_TRUE(t.Bof());
}

TEST(DbfTableFile, BuilderWidthsAndVersions) {
  ScratchFolder dir;
  struct Case {
    int kind;
    uint8_t version;
    const char* memo;
  } cases[] = {{0, 0x83, "wide.DBT"}, {1, 0x8B, "wide.DBT"}, {2, 0xF5, "wide.FPT"}};
  for (const auto& c : cases) {
    std::unique_ptr<DFO_DBFBuild> b;
    if (c.kind == 0) b = std::make_unique<DFO_DBFBuild>(dir / "wide");
    if (c.kind == 1) b = std::make_unique<DFO_DB4Build>(dir / "wide");
    if (c.kind == 2) b = std::make_unique<DFO_DBFoxBuild>(dir / "wide");
    b->AddField("name", 'C', 300, 0);
    b->AddField("note", 'M', 0, 0);
    b->WriteFiles();
    auto bytes = ReadAll(dir / "wide.DBF");
    EXPECT_EQ(bytes[0], c.version);
    EXPECT_EQ(bytes[10] | (bytes[11] << 8), 1 + 300 + 10);
    EXPECT_EQ(bytes[32 + 16], 44);
    EXPECT_EQ(bytes[32 + 17], 1);
    EXPECT_TRUE(std::filesystem::exists(dir / c.memo)) << c.memo;
    DFO_dBHandler t(dir / "wide.DBF", false, true, "");
    EXPECT_EQ(t.FieldWidth(1), 300);
    std::filesystem::remove(dir / c.memo);
  }
}

TEST(DbfTableFile, AppendReadBackEveryBasicType) {
  ScratchFolder dir;
  BuildPeople(dir / "people.dbf");
  {
    DFO_dBHandler t(dir / "people.dbf", false, true, "");
    AppendPerson(t, 1, "IVANOV", 12.345, "20020430", true);
    AppendPerson(t, 2, "PETROV", -3, "", false);
    EXPECT_EQ(t.RecordCount(), 2);
  }
  auto bytes = ReadAll(dir / "people.dbf");
  EXPECT_EQ(bytes[4], 2);  // header count written
  EXPECT_EQ(bytes.back(), 0x1A);
  DFO_dBHandler t(dir / "people.dbf", false, true, "");
  t.GoTo(kMoveFirst);
  EXPECT_EQ(t.CurrentRecord(), 1);
  EXPECT_EQ(t.GetNumericByName("id"), 1);
  EXPECT_EQ(t.FieldTextByName("family"), "IVANOV");
  EXPECT_EQ(t.GetFieldRawByName("sum"), "     12.35");
  EXPECT_EQ(t.FieldTextByName("dr"), "30.04.2002");
  int32_t day = 0;
  ASSERT_TRUE(TdfDBFDate::EncodeJulian(2002, 4, 30, day));
  EXPECT_EQ(t.GetDateByName("DR"), day);
  EXPECT_TRUE(t.GetLogicalByName("ok"));
  t.GoTo(kMoveNext);
  EXPECT_EQ(t.GetNumericByName("sum"), -3);
  EXPECT_EQ(t.FieldTextByName("dr"), "");
  EXPECT_EQ(t.GetDateByName("dr"), 0);
  EXPECT_FALSE(t.GetLogicalByName("ok"));
  t.GoTo(kMoveNext);
  EXPECT_TRUE(t.Eof());
  EXPECT_THROW(t.GoTo(5), EDbfError);
}

TEST(DbfTableFile, NavigationSkipsDeletedRecordsUnlessUseDeleted) {
  ScratchFolder dir;
  BuildPeople(dir / "p.dbf");
  DFO_dBHandler t(dir / "p.dbf", false, true, "");
  for (int i = 1; i <= 10; ++i) AppendPerson(t, i, "N" + std::to_string(i), i, "", false);
  t.GoTo(4);
  t.DeleteRecord();
  t.SetUseDeleted(false);
  t.GoTo(3);
  t.GoTo(kMoveNext);
  EXPECT_EQ(t.CurrentRecord(), 5);
  t.GoTo(4);  // an explicit number is not tested
  EXPECT_EQ(t.CurrentRecord(), 4);
  EXPECT_TRUE(t.CurrentRecordDeleted());
  t.SetUseDeleted(true);
  t.GoTo(8);
  t.Skip(5);
  EXPECT_EQ(t.CurrentRecord(), 10);
  EXPECT_TRUE(t.Eof());
  t.GoTo(1);
  t.GoTo(kMovePrior);
  EXPECT_TRUE(t.Bof());
}

TEST(DbfTableFile, FieldValueRules) {
  ScratchFolder dir;
  {
    DFO_DBFBuild b(dir / "v");
    b.AddField("n", 'N', 5, 1);
    b.AddField("m", 'N', 6, 2);
    b.AddField("l", 'L', 1, 0);
    b.AddField("c", 'C', 5, 0);
    b.WriteFiles();
  }
  DFO_dBHandler t(dir / "v.DBF", false, true, "");
  t.BlankRecord();
  EXPECT_EQ(t.GetFieldRaw(2), "  0.00");
  t.PutNumeric(1, 12.345);
  EXPECT_EQ(t.GetFieldRaw(1), " 12.3");
  try {
    t.PutNumeric(1, 123456);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("numeric value too big in field N", 0), 0u) << e.what();
  }
  t.PutFieldRaw(1, "12,5");
  try {
    t.GetNumeric(1);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Invalid numeric value in field v->N ( 12,5)");
  }
  t.PutFieldText(3, "J");
  EXPECT_EQ(t.GetFieldRaw(3), "T");
  t.PutFieldText(3, "0");
  EXPECT_EQ(t.GetFieldRaw(3), "F");
  try {
    t.PutFieldText(3, "x");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Invalid Logical value for field L");
  }
  try {
    t.FieldByName("nosuch");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "There is no field name " + t.FileName() + "->nosuch");
  }
  EXPECT_EQ(t.FieldByName("c   ").number, 4);
  EXPECT_THROW(t.GetLogicalByName("c"), EDbfError);
}

TEST(DbfTableFile, HeaderCountBelowFileRecordsUsesFileSize) {
  ScratchFolder dir;
  BuildPeople(dir / "p.dbf");
  {
    DFO_dBHandler t(dir / "p.dbf", false, true, "");
    for (int i = 1; i <= 3; ++i) AppendPerson(t, i, "X", i, "", false);
  }
  auto bytes = ReadAll(dir / "p.dbf");
  bytes[4] = 1;
  kelmo::dbf::testing::WriteAll(dir / "p.dbf", bytes);
  DFO_dBHandler t(dir / "p.dbf", false, true, "");
  EXPECT_EQ(t.RecordCount(), 3);
}

TEST(DbfTableFile, ExclusiveOpenRefusedWhileAnotherHandleIsOpen) {
  ScratchFolder dir;
  BuildPeople(dir / "p.dbf");
  DFO_dBHandler shared(dir / "p.dbf", true, false, "");
  try {
    DFO_dBHandler exclusive(dir / "p.dbf", false, true, "");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Access denied to file " + shared.FileName());
  }
  DFO_dBHandler second(dir / "p.dbf", true, false, "");
  EXPECT_EQ(second.RecordCount(), 0);
}

TEST(DbfTableFile, EncryptedTableNeedsItsPassword) {
  ScratchFolder dir;
  BuildPeople(dir / "p.dbf");
  {
    DFO_dBHandler t(dir / "p.dbf", false, true, "");
    AppendPerson(t, 7, "SECRET", 1, "20120131", true);
    t.SetPassword("key");
  }
  EXPECT_EQ(ReadAll(dir / "p.dbf")[15], 1);
  try {
    DFO_dBHandler t(dir / "p.dbf", false, true, "");
    FAIL();
  } catch (const EDbfEncryption& e) {
    EXPECT_EQ(std::string(e.what()).rfind("No Password for encrypted file", 0), 0u);
  }
  EXPECT_THROW(DFO_dBHandler(dir / "p.dbf", false, true, "other"), EDbfEncryption);
  {
    DFO_dBHandler t(dir / "p.dbf", false, true, "key");
    t.GoTo(1);
    EXPECT_EQ(t.FieldTextByName("family"), "SECRET");
    t.SetPassword("");
  }
  EXPECT_EQ(ReadAll(dir / "p.dbf")[15], 0);
  EXPECT_THROW(DFO_dBHandler(dir / "p.dbf", false, true, "key"), EDbfEncryption);
  DFO_dBHandler t(dir / "p.dbf", false, true, "");
  t.GoTo(1);
  EXPECT_EQ(t.FieldTextByName("family"), "SECRET");
}

// Numeric fields read as the full decimal conversion gives them, on the short
// road for up to 15 digits and past it; texts that are not wholly a number fail.
TEST(DbfTableFile, NumericTextsReadAsTheirDecimalValue) {
  ScratchFolder dir;
  {
    DFO_DBFBuild b(dir / "w");
    b.AddField("n", 'N', 20, 4);
    b.WriteFiles();
  }
  DFO_dBHandler t(dir / "w.DBF", false, true, "");
  t.BlankRecord();
  for (const char* text :
       {"0.1", "  -0.3000", "+17.5", "123456789012.345", "999999999999999", "9999999999999999",
        "0.0000000000000001", "12345678901234567.1", ".5", "7.", "-0", "0.29", "1234.0004"}) {
    t.PutFieldRaw(1, text);
    EXPECT_EQ(t.GetNumeric(1), std::strtod(text, nullptr)) << text;
  }
  for (const char* text : {"1.2.3", "1e5", "--1", ".", "12 3", "0x10"}) {
    t.PutFieldRaw(1, text);
    EXPECT_THROW(t.GetNumeric(1), EDbfError) << text;
  }
}
