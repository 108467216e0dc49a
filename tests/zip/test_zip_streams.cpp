// Buffered streams, the directory walk, DOS dates and the file helpers.
#include <gtest/gtest.h>

#include <set>

#include "zip/buffered_stream.h"
#include "zip/dir_search.h"
#include "zip/file_helpers.h"
#include "zip_test_support.h"

namespace kelmo::zip {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

std::vector<std::uint8_t> Bytes(int n) {
  std::vector<std::uint8_t> v(n);
  for (int i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i);
  return v;
}

TEST(ZipStreams, ReadingThroughASmallBuffer) {
  TMemoryStream under(Bytes(20));
  TS_BufferStream s(under, 4);
  int fills = 0;
  s.OnAfterFill = [&] { ++fills; };
  std::uint8_t buf[10];
  EXPECT_EQ(s.Read(buf, 10), 10);
  EXPECT_EQ(fills, 3);
  EXPECT_EQ(s.Position(), 10);
  EXPECT_EQ(buf[9], 9);
}

TEST(ZipStreams, MixingReadsAndWrites) {
  {
    TMemoryStream under(Bytes(20));
    TS_BufferStream s(under, 4);
    std::uint8_t w[5] = {100, 101, 102, 103, 104};
    s.Write(w, 5);
    std::uint8_t r[2];
    s.Read(r, 2);
    EXPECT_EQ(r[0], 5);
    EXPECT_EQ(r[1], 6);
  }
  TMemoryStream under(Bytes(20));
  {
    TS_BufferStream s(under, 4);
    std::uint8_t r[3];
    s.Read(r, 3);
    std::uint8_t w[2] = {200, 201};
    s.Write(w, 2);
  }
  EXPECT_EQ(under.Data()[3], 200);
  EXPECT_EQ(under.Data()[4], 201);
  EXPECT_EQ(under.Data()[5], 5);
}

TEST(ZipStreams, SeekOriginsAndPutBack) {
  TMemoryStream under(Bytes(20));
  TS_BufferStream s(under, 4);
  EXPECT_EQ(s.Seek(-5, soEnd), 15);
  EXPECT_EQ(s.Seek(5, soEnd), 15);
  try {
    s.Seek(0, 3);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(std::string(e.what()), "\x18Invalid seek origin (3)");
  }
  s.Seek(0, soBeginning);
  EXPECT_TRUE(s.FillBuffer());
  try {
    s.PutBack('x');
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(std::string(e.what()), "\x10Putback overflow");
  }
  std::uint8_t b;
  s.Read(&b, 1);
  s.PutBack('x');
  s.Read(&b, 1);
  EXPECT_EQ(b, 'x');
}

TEST(ZipStreams, FileStreamSizeAndMissingFile) {
  TempDir dir;
  {
    TLFNFileStream f(dir / "f.bin", fmCreate, true, 8);
    auto v = Bytes(30);
    f.WriteBuffer(v.data(), 30);
    EXPECT_EQ(f.Size(), 30);
    f.SetSize(10);
    EXPECT_EQ(f.Size(), 10);
  }
  EXPECT_EQ(fs::file_size(dir / "f.bin"), 10u);
  EXPECT_THROW(TLFNFileStream(dir / "missing", fmOpenRead, false, 8), EStreamError);
}

TEST(ZipStreams, DosDateTime) {
  std::uint32_t valid = (44u << 25) | (3u << 21) | (15u << 16) | (10u << 11) | (30u << 5) | 7u;
  EXPECT_EQ(ValidDosDateTime(valid), valid);
  std::uint32_t zero_month_day = (44u << 25) | (10u << 11);
  EXPECT_EQ(ValidDosDateTime(zero_month_day), (44u << 25) | (1u << 21) | (1u << 16) | (10u << 11));
  std::uint32_t all = ValidDosDateTime(0xFFFFFFFF);
  EXPECT_EQ(all >> 25, 2099u - 1980u);
  EXPECT_EQ((all >> 21) & 0x0F, 12u);
  EXPECT_EQ((all >> 16) & 0x1F, 31u);
  EXPECT_EQ((all >> 11) & 0x1F, 23u);
  EXPECT_EQ((all >> 5) & 0x3F, 59u);
  EXPECT_EQ((all & 0x1F) * 2, 58u);
  std::time_t t = 0;
  EXPECT_FALSE(DosDateTimeToTime((44u << 25) | (4u << 21) | (31u << 16), t));  // 31 April
  ASSERT_TRUE(DosDateTimeToTime(valid, t));
  EXPECT_EQ(TimeToDosDateTime(t), valid);
  EXPECT_EQ(TimeToDosDateTime(t + 1), valid);  // odd seconds round down
  // A missing file's date is 31.12.2099 23:59:58.
  EXPECT_EQ(FileDosDateTimeOf("/no/such/file"), all);
}

TEST(ZipStreams, PercentAndTextHelpers) {
  EXPECT_EQ(PercentOf(1, 3), 33);
  EXPECT_EQ(PercentOf(2, 3), 67);
  EXPECT_EQ(PercentOf(5, 2), 100);
  EXPECT_EQ(PercentOf(1, 0), 0);
  EXPECT_EQ(PercentOf(1, 200), 0);  // 0.5 rounds to even
  EXPECT_EQ(PercentOf(3, 200), 2);  // 1.5 rounds to even
  EXPECT_EQ(LastChars("abc", 5), "abc");
  EXPECT_EQ(FirstChars("abc", 2), "ab");
  EXPECT_TRUE(HasWildcardChars("a|b"));
  EXPECT_FALSE(HasWildcardChars("a/b.c"));
  std::string s = "Ёлка€";
  RoundTripOem(s);
  EXPECT_EQ(s, "Ёлка?");
}

TEST(ZipStreams, MoveOrCopyKeepsTheTargetWhole) {
  TempDir dir;
  WriteFile(dir / "a", "new");
  WriteFile(dir / "b", "old");
  MoveOrCopyFile(dir / "a", dir / "b");
  EXPECT_EQ(test::ReadFile(dir / "b"), "new");
  EXPECT_FALSE(fs::exists(dir / "a"));
  WriteFile(dir / "empty", "");
  // Renaming succeeds even for an empty file; only a copy of nothing fails.
  EXPECT_NO_THROW(MoveOrCopyFile(dir / "empty", dir / "c"));
  std::string t = TempFileNameIn(dir.str());
  EXPECT_EQ(fs::path(t).filename().string().substr(0, 3), "KPZ");
  EXPECT_TRUE(fs::exists(t));
}

TEST(ZipStreams, DirectoryWalk) {
  TempDir dir;
  WriteFile(dir / "a/one.xml", "1");
  WriteFile(dir / "a/noext", "2");
  WriteFile(dir / "a/.hidden", "3");
  WriteFile(dir / "a/sub/two.xml", "4");
  WriteFile(dir / "b1/x/in.txt", "5");
  WriteFile(dir / "b2/x/in.txt", "6");
  auto walk = [](const std::string& folder, const std::string& pattern, bool recurse,
                 std::uint32_t mask = 57) {
    std::vector<std::string> found;
    TDirSearch s(folder, pattern, recurse, mask);
    std::string p;
    while (s.NextFile(p)) found.push_back(p);
    return found;
  };
  std::string a = dir / "a/";
  EXPECT_EQ(walk(a, "*.*", false), (std::vector<std::string>{a + "noext", a + "one.xml"}));
  EXPECT_EQ(walk(a, "*.*", true),
            (std::vector<std::string>{a + "noext", a + "one.xml", a + "sub/", a + "sub/two.xml"}));
  EXPECT_EQ(walk(a, "*.*", false, 63).size(), 3u);  // hidden included
  auto segs = walk(dir / "b*/x/", "*.txt", false);
  EXPECT_EQ(segs, (std::vector<std::string>{dir / "b1/x/in.txt", dir / "b2/x/in.txt"}));
}

}  // namespace
}  // namespace kelmo::zip
