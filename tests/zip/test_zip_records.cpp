// Zip records: Zip64 markers and blocks, the end record search window, names
// by OEM mode, and the orders of sorted entry lists.
#include <gtest/gtest.h>

#include "bytes/little_endian.h"
#include "zip/buffered_stream.h"
#include "zip/zip_reader.h"
#include "zip/zip_records.h"
#include "zip/zip_writer.h"
#include "zip_test_support.h"

namespace kelmo::zip {
namespace {

using test::Quote;
using test::ReadFile;
using test::Shell;
using test::TempDir;
using test::WriteFile;

TEST(ZipRecords, Zip64MarkersInHeaders) {
  TZipHeaderInfo e;
  e.SetFileName("a.bin");
  e.SetCompressedSize(0xFFFFFFFF);
  EXPECT_EQ(e.compressed_size, kMark32);
  EXPECT_EQ(e.GetCompressedSize(), 0xFFFFFFFFull);
  TMemoryStream central;
  e.WriteCentralHeader(central);
  EXPECT_EQ(e.version_needed, 45);
  EXPECT_EQ(e.Zip64ExtraLength(true), 8);

  TZipHeaderInfo big;
  big.SetFileName("big.bin");
  big.SetUncompressedSize(5ull << 30);
  big.SetCompressedSize(1000);
  TMemoryStream local;
  big.WriteLocalHeader(local);
  const std::uint8_t* p = local.Data().data();
  EXPECT_EQ(kelmo::bytes::GetLE32(p + 18), kMark32);  // both sizes marked in a local header
  EXPECT_EQ(kelmo::bytes::GetLE32(p + 22), kMark32);
  EXPECT_EQ(kelmo::bytes::GetLE16(p + 28), 4 + 16);
  EXPECT_EQ(kelmo::bytes::GetLE64(p + 30 + 7 + 4), 5ull << 30);
  EXPECT_EQ(kelmo::bytes::GetLE64(p + 30 + 7 + 12), 1000u);
  local.SetPosition(0);
  TZipHeaderInfo back;
  ASSERT_TRUE(back.ReadLocalHeader(local));
  EXPECT_EQ(back.GetUncompressedSize(), 5ull << 30);

  TZipHeaderInfo disk;
  disk.SetDiskStart(65535);
  EXPECT_EQ(disk.disk_start, kMark16);
  EXPECT_EQ(disk.GetDiskStart(), 65535u);
}

TEST(ZipRecords, EndRecordSearchWindow) {
  TempDir dir;
  for (std::size_t comment : {std::size_t{0}, std::size_t{65535}}) {
    SCOPED_TRACE(comment);
    std::string zip = dir / "c.zip";
    std::filesystem::remove(zip);
    {
      TQorZip z;
      z.SetZipName(zip);
      z.SetArchiveComment(std::string(comment, 'c'));
      z.AddFromMemory("x.txt", {'x'});
      z.Compress();
    }
    TQorUnZip u;
    u.SetZipName(zip);
    u.ReadDirectory();
    EXPECT_EQ(u.EntryCount(), 1);
    EXPECT_EQ(u.GetArchiveComment().size(), comment);
    std::string out;
    EXPECT_EQ(Shell("unzip -tq " + Quote(zip), &out), 0) << out;
  }
  // An end record beyond the window is not found.
  std::string data = ReadFile(dir / "c.zip") + std::string(10, '\0');
  WriteFile(dir / "far.zip", data);
  TEndCentral end;
  TLFNFileStream s(dir / "far.zip", fmOpenRead, false, 8192);
  EXPECT_FALSE(end.LocateAndRead(s));
  TMemoryStream empty;
  EXPECT_TRUE(end.LocateAndRead(empty));
  TMemoryStream tiny(std::vector<std::uint8_t>(21, 0));
  EXPECT_FALSE(end.LocateAndRead(tiny));
}

TEST(ZipRecords, NamesByOemMode) {
  TZipHeaderInfo dos;
  dos.oem_mode = TOEMConvert::oemFlexible;
  std::string stored = dos.NameToArchive("Счёт.xml");
  EXPECT_EQ(stored.size(), 8u);  // one byte a letter in DOS 866
  EXPECT_EQ(dos.version_made_by >> 8, 0);
  EXPECT_EQ(dos.NameFromArchive(stored, true), "Счёт.xml");

  TZipHeaderInfo euro;
  euro.oem_mode = TOEMConvert::oemFlexible;
  std::string stored2 = euro.NameToArchive("Счёт€.xml");
  EXPECT_EQ(stored2, "Счёт€.xml");
  EXPECT_EQ(euro.version_made_by >> 8, 11);
  EXPECT_TRUE(euro.flags & kFlagUtf8);
  EXPECT_EQ(euro.NameFromArchive(stored2, true), "Счёт€.xml");
  // A Windows name kept in 1251 by its maker (host 11, no UTF-8 flag).
  TZipHeaderInfo ansi;
  ansi.oem_mode = TOEMConvert::oemFlexible;
  ansi.version_made_by = 0x0B14;
  EXPECT_EQ(ansi.NameFromArchive("\xD1\xF7\xE5\xF2", true), "Счет");
}

TEST(ZipRecords, SortOrders) {
  auto make = [](const std::string& name, std::uint32_t offset, std::uint32_t date) {
    auto e = std::make_shared<TZipHeaderInfo>();
    e->SetFileName(name);
    e->SetLocalHeaderOffset(offset);
    e->date_time = date;
    return e;
  };
  const std::uint32_t day = (44u << 25) | (1u << 21) | (1u << 16);
  TSortedZip by_date(TDuplicates::Error, TZipSortMode::ByDate);
  by_date.Add(make("a", 0, day));
  EXPECT_NO_THROW(by_date.Add(make("b", 10, day)));  // equal dates never compare equal
  TSortedZip physical(TDuplicates::Error, TZipSortMode::ByNone);
  physical.Add(make("a", 100, day));
  physical.Add(make("b", 0, day));
  EXPECT_EQ(physical.Entry(0).file_name, "b");
  EXPECT_THROW(physical.Add(make("c", 100, day)), EListError);  // same local header
  TSortedZip by_name(TDuplicates::Accept, TZipSortMode::ByName);
  for (const char* n : {"b.txt", "A.txt", "c.txt"}) by_name.Add(make(n, 0, day));
  EXPECT_EQ(by_name.Entry(0).file_name, "A.txt");
}

}  // namespace
}  // namespace kelmo::zip
