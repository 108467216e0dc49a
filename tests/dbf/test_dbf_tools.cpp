// The engine's lowest layers: wildcard match, date values, typed values, bit
// sets, temporary names, table encryption, the disk file's lock discipline and
// the lock protocols' byte ranges.
#include <gtest/gtest.h>

#include <cerrno>
#include <set>

#include "dbf/date_values.h"
#include "dbf/dbf_errors.h"
#include "dbf/disk_file.h"
#include "dbf/engine_tools.h"
#include "dbf/sys_dbf_text.h"
#include "dbf/table_builder.h"
#include "dbf/table_encryption.h"
#include "dbf/table_handler.h"
#include "dbf_test_support.h"

using namespace kelmo::dbf;
using kelmo::dbf::testing::ScratchFolder;

TEST(DbfTools, WildcardPos) {
  struct Case {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"*", "abc", true},     {"*", "", false},     {"ab*", "ab", false}, {"ab*", "abc", true},
      {"*ab", "xxaby", true}, {"a?c", "abc", true}, {"b?", "ab", false},  {"", "abc", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WildcardPos(c.pattern, c.text) > 0, c.match) << c.pattern << " " << c.text;
  }
  EXPECT_EQ(WildcardPos("ab*", "abc"), 1);
}

TEST(DbfTools, DateValues) {
  int32_t day = 0;
  ASSERT_TRUE(TdfDBFDate::EncodeJulian(2002, 4, 30, day));
  EXPECT_EQ(TdfDBFDate::TextToJulian("20020430"), day);
  EXPECT_EQ(TdfDBFDate::JulianToText(day), "20020430");
  EXPECT_EQ(TdfDBFDate::TextToJulian("20021301"), TdfDBFDate::kDayOffset);
  EXPECT_EQ(TdfDBFDate::JulianToText(TdfDBFDate::kDayOffset), "18991230");
  EXPECT_EQ(TdfDBFDate::TextToJulian(""), 0);
  EXPECT_EQ(TdfDBFDate::TextToJulian("        "), 0);
  EXPECT_EQ(TdfDBFDate::TextToJulian("00000000"), 0);
  EXPECT_EQ(TdfDBFDate::JulianToText(0), "        ");
  EXPECT_EQ(TdfDBFDate::JulianToLocaleText(day), "30.04.2002");
  EXPECT_EQ(TdfDBFDate::TextToJulian("30.04.2002"), day);
  EXPECT_THROW(TdfDBFDate::TextToJulian("garbage"), EDbfError);
  ASSERT_TRUE(TdfDBFDate::EncodeJulian(2012, 1, 1, day));  // a Sunday
  EXPECT_EQ(TdfDBFDate::DayOfWeek(day), 1);
  EXPECT_EQ(TdfDBFDate::DayOfWeek(0), 0);
}

TEST(DbfTools, TypedValueComparison) {
  TdfVariant ab, abc, f, bytes, empty1, empty2;
  ab.SetAsString("AB");
  abc.SetAsString("ABC");
  int matched = 0;
  EXPECT_EQ(ab.Compare(abc, matched, nullptr, 0), 0);
  EXPECT_EQ(matched, 3);
  EXPECT_EQ(ab.Compare(abc, matched, nullptr, -1), -1);
  f.SetAsFloat(1.5);
  EXPECT_THROW(ab.Compare(f, matched, nullptr, 0), EDbfError);
  double raw = 1.5;
  bytes.SetAsBytes(&raw, 8);
  EXPECT_EQ(bytes.Compare(f, matched, nullptr, 0), 0);
  empty1.SetAsString("");
  empty2.SetAsString("");
  EXPECT_EQ(empty1.Compare(empty2, matched, nullptr, 0), 0);
  EXPECT_EQ(empty1.Compare(ab, matched, nullptr, 0), -1);
  abc.PadToLength(2);
  EXPECT_EQ(abc.GetAsString(), "ABC");
  EXPECT_THROW(f.AppendBytes("x", 1), EDbfError);
  TdfVariant t;
  t.SetAsString("Y");
  EXPECT_TRUE(t.GetAsBoolean());
}

TEST(DbfTools, HugeSetAndTempNames) {
  TdfHugeSet set;
  EXPECT_FALSE(set.TestBit(1000000));
  EXPECT_EQ(set.PageCount(), 0);
  set.ChangeBit(300000, 0);
  EXPECT_EQ(set.PageCount(), 3);
  set.ChangeBit(5, 1);
  EXPECT_TRUE(set.TestBit(5));
  set.ChangeBit(5, 2);
  EXPECT_FALSE(set.TestBit(5));
  std::set<std::string> names;
  for (int i = 0; i < 50; ++i) names.insert(MakeTempFileName());
  EXPECT_EQ(names.size(), 50u);
  EXPECT_EQ(names.begin()->size(), 8u);
}

TEST(DbfTools, TableEncryption) {
  const std::string data = "record bytes of some length, longer than the password";
  std::string buf = data;
  EXPECT_EQ(EncryptTableBuffer("", buf.data(), buf.data(), static_cast<int32_t>(buf.size()), true),
            0);
  EXPECT_EQ(buf, data);
  EXPECT_EQ(
      EncryptTableBuffer("pw", buf.data(), buf.data(), static_cast<int32_t>(buf.size()), true), 1);
  EXPECT_NE(buf, data);
  EXPECT_EQ(
      EncryptTableBuffer("pw", buf.data(), buf.data(), static_cast<int32_t>(buf.size()), false),
      -1);
  EXPECT_EQ(buf, data);
  std::string big(300, '\0'), out(300, '\0');
  EncryptTableBuffer("A", big.data(), out.data(), 300, true);
  EXPECT_EQ(out[256], out[0]);
}

TEST(DbfTools, DiskFileLockDiscipline) {
  ScratchFolder dir;
  {
    DFO_DBFBuild b(dir / "t.dbf");
    b.AddField("a", 'C', 1, 0);
    b.WriteFiles();
  }
  DFO_DiskFile shared(dir / "t.dbf", true, true);
  shared.Open();
  EXPECT_TRUE(shared.LockRegion(100, 10));
  EXPECT_TRUE(shared.LockRegion(100, 10));
  EXPECT_FALSE(shared.LockRegion(200, 10));
  EXPECT_THROW(shared.Truncate(10), EDbfError);
  DFO_DiskFile other(dir / "t.dbf", true, true);
  other.Open();
  EXPECT_FALSE(other.LockRegion(105, 1));
  shared.Unlock();
  EXPECT_FALSE(other.LockRegion(105, 1));
  shared.Unlock();
  EXPECT_TRUE(other.LockRegion(105, 1));
  other.Unlock();
  EXPECT_EQ(shared.Read(1000000, nullptr, 0), 0);
  shared.LockFile();
  shared.LockFile();
  shared.LockFile();
  shared.Close();
  EXPECT_EQ(shared.LockCount(), 0);
  EXPECT_TRUE(other.LockFile());
  other.Truncate(static_cast<int32_t>(other.FileSize()));  // the whole-file lock allows it
  other.Close();

  // A read-only handle cannot be cut.
  int h = DefaultOsLayer().OpenFile(dir / "t.dbf", false, true);
  ASSERT_GE(h, 0);
  EXPECT_EQ(DefaultOsLayer().TruncateFileHandle(h, 0), -1);
  DefaultOsLayer().CloseFile(h);

  // A relative name is taken from the current folder.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  DFO_DiskFile relative("t.dbf", true, false);
  std::filesystem::current_path(cwd);
  EXPECT_EQ(relative.FileName(), dir / "t.dbf");

  const std::string gone = dir / "gone.dbf";
  DFO_DiskFile late(gone, false, true);
  DFO_DBFBuild b(gone);
  b.WriteFiles();
  EXPECT_THROW(late.Open(), EDbfError);  // did not exist when the object was made
}

TEST(DbfTools, ReadBufferHoldsWholeRecords) {
  ScratchFolder dir;
  for (int width : {999, 40000}) {
    {
      DFO_DBFBuild b(dir / "w.dbf");
      b.AddField("c", 'C', width, 0);
      b.WriteFiles();
    }
    DFO_dBHandler t(dir / "w.dbf", false, true, "");
    t.UseRecordBuffer(true);
    EXPECT_EQ(t.RecordsPerBuffer(), width == 999 ? 32 : 1);
  }
}

// Locks of another handle on the same table stand for another user.
TEST(DbfTools, LockProtocolRangesAndMemoLockTimeout) {
  ScratchFolder dir;
  {
    DFO_DBFBuild b(dir / "t.dbf");
    b.AddField("note", 'M', 10, 0);
    b.WriteFiles();
  }
  DFO_dBHandler t(dir / "t.dbf", true, true, "");
  for (int i = 0; i < 6; ++i) {
    t.BlankRecord();
    t.Append();
  }
  DFO_DiskFile probe(dir / "t.dbf", true, true);
  probe.Open();
  t.SetLockProtocol(TdfLokProtocol::ClipLock);
  t.GoTo(5);
  ASSERT_TRUE(t.LockRecord());
  EXPECT_FALSE(probe.LockRegion(1000000005, 1));
  t.ReleaseLock();
  EXPECT_TRUE(probe.LockRegion(1000000005, 1));
  probe.Unlock();
  t.SetLockProtocol(TdfLokProtocol::DB4Lock);
  ASSERT_TRUE(t.LockRecord());
  EXPECT_FALSE(probe.LockRegion(0xEFFFFFFFLL - 6, 1));
  t.ReleaseLock();

  // Another user holds the memo file's lock: the write gives up after 100
  // attempts with the memo's lock error.
  class NoWaitOs : public OsLayer {
   public:
    void WaitMilliseconds(int) override { ++waits; }
    int waits = 0;
  } os;
  DFO_dBHandler writer(dir / "t.dbf", true, true, "", os);
  GSobjMemo* memo = writer.OpenMemo();
  DFO_DiskFile memoProbe(memo->FileName(), true, true);
  memoProbe.Open();
  ASSERT_TRUE(memoProbe.LockRegion(0x7FFFFFFD, 1));
  int32_t block = 0;
  try {
    memo->WriteMemoData("x", block, 1);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Can not Lock file " + memo->FileName());
  }
  EXPECT_EQ(os.waits, LockAttempts);
}

// A failed file call keeps the operating system's error number in the error
// it raises, beside the engine's message.
TEST(DbfDiskErrors, KeepTheSystemErrorNumber) {
  kelmo::dbf::testing::ScratchFolder dir;
  kelmo::dbf::DFO_DiskFile missingFolder(dir / "no/such/folder.dbf", false, true);
  try {
    missingFolder.CreateNew();
    ADD_FAILURE();
  } catch (const kelmo::dbf::EDbfError& e) {
    EXPECT_EQ(e.SystemError(), ENOENT) << e.what();
  }
  kelmo::dbf::DFO_DiskFile held(dir / "held.dbf", false, true);
  held.CreateNew();  // opened exclusively
  kelmo::dbf::DFO_DiskFile second(dir / "held.dbf", false, true);
  try {
    second.Open();
    ADD_FAILURE();
  } catch (const kelmo::dbf::EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Access denied to file " + dir / "held.dbf");
    EXPECT_EQ(e.SystemError(), EWOULDBLOCK);
  }
}
