// Split archives: parts of a fixed size named by BlockMode (or by the
// OnFileNameForSplitPart handler), read back here and by the peers; Info-ZIP
// split archives read here.
#include <gtest/gtest.h>

#include "bytes/little_endian.h"
#include "zip/zip_reader.h"
#include "zip/zip_writer.h"
#include "zip_test_support.h"

namespace kelmo::zip {
namespace {

namespace fs = std::filesystem;
using test::Quote;
using test::ReadFile;
using test::Shell;
using test::TempDir;
using test::WriteFile;

std::vector<std::string> SourceFiles(const TempDir& dir) {
  std::vector<std::string> files;
  for (int i = 0; i < 5; ++i) {
    files.push_back(dir / ("src/f" + std::to_string(i) + ".bin"));
    WriteFile(files.back(), test::RandomBytes(50000, static_cast<unsigned>(i)));
  }
  return files;
}

TEST(ZipSplit, StandardNamesPartSizesAndReadBack) {
  TempDir dir;
  auto files = SourceFiles(dir);
  TQorZip z;
  z.SetZipName(dir / "pack.zip");
  z.SetPackLevel(0);
  z.MultiZipInfo().MultiMode = TMultiMode::mmBlocks;
  z.MultiZipInfo().BlockSize = 100000;
  z.FilesList() = files;
  ASSERT_EQ(z.Compress(), 5);
  ASSERT_TRUE(fs::exists(dir / "pack.zip.z01"));
  ASSERT_TRUE(fs::exists(dir / "pack.zip.z02"));
  ASSERT_TRUE(fs::exists(dir / "pack.zip"));
  EXPECT_FALSE(fs::exists(dir / "pack.zip.z03"));
  EXPECT_EQ(fs::file_size(dir / "pack.zip.z01"), 100000u);
  EXPECT_EQ(fs::file_size(dir / "pack.zip.z02"), 100000u);
  std::string first = ReadFile(dir / "pack.zip.z01");
  EXPECT_EQ(kelmo::bytes::GetLE32(reinterpret_cast<const std::uint8_t*>(first.data())),
            kSpanSignature);

  TQorUnZip u;
  u.SetZipName(dir / "pack.zip");
  u.SetDestDir(dir / "out");
  u.SetDoAll(true);
  EXPECT_EQ(u.Extract(), 5);
  EXPECT_EQ(u.GetMultiModeValue(), TMultiMode::mmBlocks);
  EXPECT_EQ(u.DiskCount(), 3);
  for (const std::string& f : files)
    EXPECT_TRUE(ReadFile(f) == ReadFile(dir / ("out/" + fs::path(f).filename().string())));
}

TEST(ZipSplit, ClassicNames) {
  TempDir dir;
  auto files = SourceFiles(dir);
  TQorZip z;
  z.SetZipName(dir / "pack.zip");
  z.SetPackLevel(0);
  z.SetBlockMode(TBlockMode::bmClassic);
  z.MultiZipInfo().MultiMode = TMultiMode::mmBlocks;
  z.MultiZipInfo().BlockSize = 100000;
  z.FilesList() = files;
  ASSERT_EQ(z.Compress(), 5);
  for (const char* n : {"pack.001", "pack.002", "pack.003"}) EXPECT_TRUE(fs::exists(dir / n)) << n;
  EXPECT_EQ(z.ZipName(), dir / "pack.003");
  TQorUnZip u;
  u.SetBlockMode(TBlockMode::bmClassic);
  u.SetZipName(dir / "pack.003");
  u.SetDestDir(dir / "out");
  u.SetDoAll(true);
  EXPECT_EQ(u.Extract(), 5);
}

TEST(ZipSplit, InfoZipNamesPassThePeersAndInfoZipSplitsReadHere) {
  TempDir dir;
  auto files = SourceFiles(dir);
  TQorZip z;
  z.SetZipName(dir / "iz.zip");
  z.SetPackLevel(6);
  z.MultiZipInfo().MultiMode = TMultiMode::mmBlocks;
  z.MultiZipInfo().BlockSize = 65536;
  // Info-ZIP's names: iz.z01, iz.z02, ..., iz.zip.
  z.events.OnFileNameForSplitPart = [](std::string& name, int part, TSplitPartType type) {
    char num[8];
    std::snprintf(num, sizeof num, ".z%02d", part);
    name += type == TSplitPartType::spLast ? ".zip" : num;
  };
  z.FilesList() = files;
  ASSERT_EQ(z.Compress(), 5);
  std::string out;
  // unzip has no multi-part support: Info-ZIP's zip joins the parts first.
  EXPECT_EQ(Shell("cd " + Quote(dir.str()) +
                      " && zip -q -s 0 iz.zip --out joined.zip && unzip -tq joined.zip",
                  &out),
            0)
      << out;
  EXPECT_EQ(Shell("cd " + Quote(dir.str()) + " && 7z t iz.zip >/dev/null", &out), 0) << out;
  // Info-ZIP's own split archive.
  ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && zip -q -s 64k ../infozip.zip *.bin", &out), 0)
      << out;
  TQorUnZip u;
  u.SetZipName(dir / "infozip.zip");
  u.SetDestDir(dir / "out");
  u.SetDoAll(true);
  EXPECT_EQ(u.Extract(), 5);
  for (const std::string& f : files)
    EXPECT_TRUE(ReadFile(f) == ReadFile(dir / ("out/" + fs::path(f).filename().string())));
}

TEST(ZipSplit, SinglePartGetsTheSinglePartMarker) {
  TempDir dir;
  WriteFile(dir / "small.txt", "small");
  TQorZip z;
  z.SetZipName(dir / "one.zip");
  z.MultiZipInfo().MultiMode = TMultiMode::mmBlocks;
  z.FilesList() = {dir / "small.txt"};
  ASSERT_EQ(z.Compress(), 1);
  std::string data = ReadFile(dir / "one.zip");
  EXPECT_EQ(data.substr(0, 4), "PK00");
  std::string out;
  EXPECT_EQ(Shell("unzip -tq " + Quote(dir / "one.zip"), &out), 0) << out;
}

}  // namespace
}  // namespace kelmo::zip

namespace kelmo::zip {
namespace {

TEST(ZipSplit, ConfigurationFileStandsInForALostEndRecord) {
  test::TempDir dir;
  auto files = SourceFiles(dir);
  TQorZip z;
  z.SetZipName(dir / "pack.zip");
  z.SetPackLevel(0);
  z.MultiZipInfo().MultiMode = TMultiMode::mmBlocks;
  z.MultiZipInfo().BlockSize = 100000;
  z.MultiZipInfo().SaveZipInfoOnFirstDisk = true;
  z.FilesList() = files;
  ASSERT_EQ(z.Compress(), 5);
  std::int64_t reserved = z.MultiZipInfo().SaveOnFirstDisk;
  EXPECT_GT(reserved, 0);
  ASSERT_TRUE(std::filesystem::exists(dir / "pack.zfc"));
  // The last part loses its directory and end record.
  std::string last = test::ReadFile(dir / "pack.zip");
  std::size_t central = last.find("PK\x01\x02");
  ASSERT_NE(central, std::string::npos);
  test::WriteFile(dir / "pack.zip", last.substr(0, central));
  TQorUnZip u;
  u.SetZipName(dir / "pack.zip");
  u.ReadDirectory();
  EXPECT_EQ(u.EntryCount(), 5);
  u.SetDestDir(dir / "out");
  u.SetDoAll(true);
  EXPECT_EQ(u.Extract(), 5);
  EXPECT_TRUE(test::ReadFile(files[4]) == test::ReadFile(dir / "out/f4.bin"));
  // A second run with the same settings reserves more room.
  std::filesystem::remove(dir / "pack.zip");
  z.FilesList() = files;
  z.Compress();
  EXPECT_GT(z.MultiZipInfo().SaveOnFirstDisk, reserved);
}

}  // namespace
}  // namespace kelmo::zip

namespace kelmo::zip {
namespace {

TEST(ZipSplit, UpdatingASplitSetMakesOneCompleteArchive) {
  test::TempDir dir;
  auto files = SourceFiles(dir);
  std::string out;
  ASSERT_EQ(
      test::Shell("cd " + test::Quote(dir / "src") + " && zip -q -s 64k ../set.zip *.bin", &out), 0)
      << out;
  test::WriteFile(dir / "extra.txt", "added later");
  TQorZip z;
  z.SetZipName(dir / "set.zip");
  z.FilesList() = {dir / "extra.txt"};
  EXPECT_EQ(z.Compress(), 1);
  EXPECT_EQ(test::Shell("unzip -tq " + test::Quote(dir / "set.zip"), &out), 0) << out;
  TQorUnZip u;
  u.SetZipName(dir / "set.zip");
  u.SetDestDir(dir / "o");
  u.SetDoAll(true);
  EXPECT_EQ(u.Extract(), 6);
  EXPECT_EQ(u.DiskCount(), 1);
  for (const std::string& f : files)
    EXPECT_TRUE(test::ReadFile(f) ==
                test::ReadFile(dir / ("o/" + std::filesystem::path(f).filename().string())));
}

}  // namespace
}  // namespace kelmo::zip

namespace kelmo::zip {
namespace {

// A spanned set: every disk is asked for through OnGetNextDisk (here, files
// standing for the disks); a refused disk cancels.
TEST(ZipSplit, SpannedSetReadThroughTheNextDiskQuestion) {
  test::TempDir dir;
  auto files = SourceFiles(dir);
  TQorZip w;
  w.SetZipName(dir / "pack.zip");
  w.SetPackLevel(0);
  w.MultiZipInfo().MultiMode = TMultiMode::mmBlocks;
  w.MultiZipInfo().BlockSize = 100000;
  w.FilesList() = files;
  ASSERT_EQ(w.Compress(), 5);
  auto disk_file = [&](int n) {
    return n == 3 ? dir / "pack.zip" : dir / ("pack.zip.z0" + std::to_string(n));
  };
  TQorZip r;  // a writer reads too, and its MultiZipInfo chooses the mode
  r.MultiZipInfo().MultiMode = TMultiMode::mmSpan;
  std::vector<int> asked;
  r.events.OnGetNextDisk = [&](int n, std::string& name) {
    asked.push_back(n);
    name = disk_file(n);
  };
  r.SetZipName(dir / "pack.zip");
  r.SetDestDir(dir / "out");
  r.SetDoAll(true);
  EXPECT_EQ(r.Extract(), 5);
  EXPECT_FALSE(asked.empty());
  EXPECT_EQ(asked.front(), 1);
  for (const std::string& f : files)
    EXPECT_TRUE(test::ReadFile(f) ==
                test::ReadFile(dir / ("out/" + std::filesystem::path(f).filename().string())));

  TQorZip refused;
  refused.MultiZipInfo().MultiMode = TMultiMode::mmSpan;
  refused.events.OnGetNextDisk = [](int, std::string& name) { name.clear(); };
  refused.SetZipName(dir / "pack.zip");
  refused.SetDestDir(dir / "out2");
  refused.SetDoAll(true);
  try {
    refused.Extract();
    FAIL();
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled loading new disk.");
  }
  // Without a handler the question goes to the interaction, message 184.
  struct Cancel : TZipInteraction {
    std::string text;
    int ShowMessage(int id, const std::string& t, const std::string&, unsigned buttons) override {
      EXPECT_EQ(id, kMsgNextDisk);
      EXPECT_EQ(buttons, kMbOkCancel);
      text = t;
      return kIdCancel;
    }
  } cancel;
  TQorZip prompted;
  prompted.MultiZipInfo().MultiMode = TMultiMode::mmSpan;
  prompted.SetInteraction(&cancel);
  prompted.SetZipName(dir / "pack.zip");
  prompted.SetDestDir(dir / "out3");
  prompted.SetDoAll(true);
  EXPECT_THROW(prompted.Extract(), EUserCanceled);
  EXPECT_EQ(cancel.text, "Please insert disk 1 of the multi-disk set.");
}

}  // namespace
}  // namespace kelmo::zip
