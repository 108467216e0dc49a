// The writer: the export packages' use, updating an existing archive (and
// never losing it), the file list (folders, wildcards, exclusions), Zip64
// beyond 65,535 entries and, when KELMO_ZIP_BIG=1, beyond 4 GiB.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

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

std::vector<std::string> Names(TQorUnZip& u) {
  std::vector<std::string> r;
  for (int i = 0; i < u.EntryCount(); ++i) r.push_back(u.Entry(i).FullName());
  return r;
}

TEST(ZipWriter, ExportPackageUse) {
  TempDir dir;
  std::vector<std::string> files;
  for (const char* n : {"HM1.XML", "LM1.XML", "CM1.XML"}) {
    files.push_back(dir / (std::string("src/") + n));
    WriteFile(files.back(), test::XmlLike(10000, 7));
  }
  TQorZip z;
  z.SetPackLevel(9);
  z.SetStorePaths(false);
  z.SetZipName(dir / "pack.zip");
  z.FilesList() = files;
  EXPECT_EQ(z.Compress(), 3);
  EXPECT_TRUE(z.FilesList().empty());
  ASSERT_EQ(z.EntryCount(), 3);  // the writer holds the new directory
  TQorUnZip u;
  u.SetZipName(dir / "pack.zip");
  u.ReadDirectory();
  EXPECT_EQ(Names(u), (std::vector<std::string>{"HM1.XML", "LM1.XML", "CM1.XML"}));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(u.Entry(i).compression_method, 8);
    EXPECT_TRUE(u.Entry(i).flags & kFlagMaximum);
    EXPECT_EQ(u.Entry(i).version_needed, 20);
  }
}

// A stream that hands out a text in small reads and does not know its size;
// it fails after `failAt` bytes when that is set.
class PieceStream : public TStream {
 public:
  PieceStream(std::string text, std::int64_t failAt = -1)
      : text_(std::move(text)), fail_at_(failAt) {}
  std::int64_t Read(void* buffer, std::int64_t count) override {
    if (fail_at_ >= 0 && pos_ >= fail_at_) throw EStreamError("Stream read error");
    const std::int64_t n =
        std::min<std::int64_t>({count, 1000, static_cast<std::int64_t>(text_.size()) - pos_});
    std::memcpy(buffer, text_.data() + pos_, static_cast<std::size_t>(n));
    pos_ += n;
    return n;
  }
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  std::int64_t Seek(std::int64_t, int) override { return pos_; }
  std::int64_t Size() override { return 0; }
  void SetSize(std::int64_t) override {}

 private:
  std::string text_;
  std::int64_t pos_ = 0, fail_at_;
};

TEST(ZipWriter, EntriesFromStreamsOfUnknownSize) {
  TempDir dir;
  const std::string big = test::XmlLike(300000, 3);
  TQorZip z;
  z.SetPackLevel(1);
  z.SetZipName(dir / "s.zip");
  z.AddFromStream("xl/big.xml", std::make_unique<PieceStream>(big));
  z.AddFromStream("empty.xml", std::make_unique<PieceStream>(""));
  z.AddFromMemory("mem.txt", {'m'});
  EXPECT_EQ(z.Compress(), 3);
  TQorUnZip u;
  u.SetZipName(dir / "s.zip");
  u.ReadDirectory();
  ASSERT_EQ(Names(u), (std::vector<std::string>{"xl/big.xml", "empty.xml", "mem.txt"}));
  EXPECT_EQ(u.Entry(0).GetUncompressedSize(), big.size());
  const auto bytes = u.ExtractToMemory(0);  // checks the CRC
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), big);
  EXPECT_TRUE(u.ExtractToMemory(1).empty());
  // The archive's own reader in the shell agrees.
  EXPECT_EQ(Shell("unzip -tq " + Quote(dir / "s.zip")), 0);

  // A stream that fails leaves no archive behind.
  TQorZip broken;
  broken.SetZipName(dir / "b.zip");
  broken.AddFromStream("x.xml", std::make_unique<PieceStream>(big, 5000));
  EXPECT_THROW(broken.Compress(), EStreamError);
  EXPECT_FALSE(fs::exists(dir / "b.zip"));
}

TEST(ZipWriter, UpdateReplacesNewerKeepsOlderAndNeverLosesTheArchive) {
  TempDir dir;
  std::string a = dir / "src/a.txt", b = dir / "src/b.txt", c = dir / "src/c.txt";
  WriteFile(a, "a1");
  WriteFile(b, "b1");
  std::string zip = dir / "u.zip";
  {
    TQorZip z;
    z.SetZipName(zip);
    z.FilesList() = {a, b};
    ASSERT_EQ(z.Compress(), 2);
  }
  // a changes (newer), b stays, c is new.
  WriteFile(a, "a2-longer");
  fs::last_write_time(a, fs::last_write_time(a) + std::chrono::seconds(10));
  WriteFile(c, "c1");
  std::vector<std::pair<TUpdateAction, int>> updates;
  TQorZip z;
  z.SetZipName(zip);
  z.FilesList() = {a, b, c};
  z.zip_events.OnUpdate = [&](TUpdateAction act, int i) { updates.emplace_back(act, i); };
  EXPECT_EQ(z.Compress(), 2);  // a replaced, c added; b kept is not counted
  ASSERT_EQ(updates.size(), 2u);
  EXPECT_EQ(updates[0].first, TUpdateAction::uaReplacing);
  EXPECT_EQ(updates[1].first, TUpdateAction::uaKeeping);
  std::string out;
  EXPECT_EQ(Shell("unzip -t " + Quote(zip), &out), 0) << out;
  TQorUnZip u;
  u.SetZipName(zip);
  u.ReadDirectory();
  EXPECT_EQ(Names(u), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  auto text = [&](int i) {
    auto v = u.ExtractToMemory(i);
    return std::string(v.begin(), v.end());
  };
  EXPECT_EQ(text(0), "a2-longer");
  EXPECT_EQ(text(1), "b1");
  EXPECT_EQ(text(2), "c1");
  // No temporary file left beside the archive.
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir.str())) files += e.is_regular_file();
  EXPECT_EQ(files, 1);

  // A failing update (the handler cancels mid-run) leaves the old archive
  // byte for byte and no temporary file.
  std::string before = ReadFile(zip);
  WriteFile(dir / "src/d.txt", "d");
  TQorZip f;
  f.SetZipName(zip);
  f.SetTempPath(dir / "tmp");
  fs::create_directories(dir / "tmp");
  f.FilesList() = {dir / "src/d.txt"};
  f.zip_events.OnStartZip = [](const std::string&, TZipHeaderInfo&, bool&) {
    throw EUserCanceled("User canceled Zip operation");
  };
  EXPECT_THROW(f.Compress(), EUserCanceled);
  EXPECT_EQ(ReadFile(zip), before);
  EXPECT_TRUE(fs::is_empty(dir / "tmp"));
  // Updating something that is not an archive fails and leaves it alone.
  WriteFile(dir / "not.zip", "this is not a zip file at all, just text long enough");
  TQorZip g;
  g.SetZipName(dir / "not.zip");
  g.SetTempPath(dir / "tmp");
  g.FilesList() = {a};
  EXPECT_THROW(g.Compress(), EQorZipException);
  EXPECT_EQ(ReadFile(dir / "not.zip"), "this is not a zip file at all, just text long enough");
  EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

TEST(ZipWriter, FileListFoldersPatternsAndExclusions) {
  TempDir dir;
  WriteFile(dir / "in/a.xml", "a");
  WriteFile(dir / "in/b.txt", "b");
  WriteFile(dir / "in/noext", "n");
  WriteFile(dir / "in/sub/c.xml", "c");
  std::vector<std::string> missing;
  TQorZip z;
  z.SetZipName(dir / "in/self.zip");  // the archive itself is passed over
  z.SetStorePaths(true);
  z.SetRelativePaths(true);
  z.SetRootDir(dir / "in");
  z.ExcludeList() = {"*.txt"};
  z.NoCompressList() = {"*.xml"};
  z.zip_events.OnNoSuchFile = [&](const std::string& n) { missing.push_back(n); };
  z.FilesList() = {">" + dir / "in/*.*", dir / "in/gone.dat"};
  EXPECT_EQ(z.Compress(), 3);
  ASSERT_EQ(missing.size(), 1u);
  TQorUnZip u;
  u.SetZipName(dir / "in/self.zip");
  u.ReadDirectory();
  EXPECT_EQ(Names(u), (std::vector<std::string>{"a.xml", "noext", "sub/c.xml"}));
  EXPECT_EQ(u.Entry(0).compression_method, 0);  // no-compression list
  EXPECT_TRUE(z.StorePaths());
  z.SetStorePaths(false);
  EXPECT_FALSE(z.RelativePaths());
  // "|" stays in the folder.
  TQorZip y;
  y.SetZipName(dir / "flat.zip");
  y.FilesList() = {"|" + dir / "in/*.xml"};
  EXPECT_EQ(y.Compress(), 1);
}

TEST(ZipWriter, EmptyZipNameDoesNothing) {
  TQorZip z;
  z.FilesList() = {"x"};
  EXPECT_EQ(z.Compress(), 0);
  EXPECT_EQ(z.FilesList().size(), 1u);
}

TEST(ZipWriter, Zip64BeyondSixtyFiveThousandEntries) {
  TempDir dir;
  std::string zip = dir / "many.zip";
  TQorZip z;
  z.SetZipName(zip);
  z.SetPackLevel(0);
  const int n = 70000;
  for (int i = 0; i < n; ++i)
    z.AddFromMemory("d" + std::to_string(i % 50) + "/f" + std::to_string(i), {'x'});
  ASSERT_EQ(z.Compress(), n);
  std::string out;
  EXPECT_EQ(Shell("unzip -tq " + Quote(zip), &out), 0) << out;
  EXPECT_EQ(Shell("7z t " + Quote(zip) + " | grep -c 'Everything is Ok'", &out), 0) << out;
  std::string py = "import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); print(len(z.namelist()))";
  ASSERT_EQ(Shell("/usr/bin/python3 -c " + Quote(py) + " " + Quote(zip), &out), 0) << out;
  EXPECT_EQ(std::stoi(out), n);
  TQorUnZip u;
  u.SetZipName(zip);
  u.ReadDirectory();
  EXPECT_EQ(u.EntryCount(), n);
  EXPECT_TRUE(u.EndCentral().HasZip64End());
  EXPECT_EQ(u.EndCentral().record.entries_total, 0xFFFF);
}

// Beyond 4 GiB: slow (writes ~4.3 GB twice), run with KELMO_ZIP_BIG=1.
TEST(ZipWriter, Zip64BeyondFourGiB) {
  if (!std::getenv("KELMO_ZIP_BIG")) GTEST_SKIP() << "set KELMO_ZIP_BIG=1 to run";
  TempDir dir;
  std::string big = dir / "big.bin";
  {
    std::ofstream f(big, std::ios::binary);
    std::string block(1 << 20, 'z');
    for (int i = 0; i < 4200; ++i)
      f.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  WriteFile(dir / "after.txt", "after the big one");
  TQorZip z;
  z.SetZipName(dir / "big.zip");
  z.SetPackLevel(0);
  z.FilesList() = {big, dir / "after.txt"};
  ASSERT_EQ(z.Compress(), 2);
  fs::remove(big);
  std::string out;
  EXPECT_EQ(Shell("unzip -tq " + Quote(dir / "big.zip"), &out), 0) << out;
  EXPECT_EQ(Shell("7z t " + Quote(dir / "big.zip") + " >/dev/null", &out), 0) << out;
  TQorUnZip u;
  u.SetZipName(dir / "big.zip");
  u.ReadDirectory();
  ASSERT_EQ(u.EntryCount(), 2);
  EXPECT_EQ(u.Entry(0).GetUncompressedSize(), 4200ull << 20);
  EXPECT_GT(u.Entry(1).GetLocalHeaderOffset(), 0xFFFFFFFFull);
  auto v = u.ExtractToMemory(1);
  EXPECT_EQ(std::string(v.begin(), v.end()), "after the big one");
}

}  // namespace
}  // namespace kelmo::zip

namespace kelmo::zip {
namespace {

TEST(ZipWriter, FreshenDisposeAndSkipping) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "b.txt", "b");
  {
    TQorZip z;
    z.SetZipName(dir / "f.zip");
    z.FilesList() = {dir / "a.txt"};
    ASSERT_EQ(z.Compress(), 1);
  }
  // Freshen: b.txt is not in the archive, so nothing is added.
  std::vector<TSkipReason> reasons;
  TQorZip z;
  z.SetZipName(dir / "f.zip");
  z.SetZipAction(TZipAction::zaFreshen);
  z.events.OnSkippingFile = [&](TSkipReason r, const std::string&, int, bool&) {
    reasons.push_back(r);
  };
  z.FilesList() = {dir / "b.txt"};
  EXPECT_EQ(z.Compress(), 0);
  ASSERT_EQ(reasons.size(), 1u);
  EXPECT_EQ(reasons[0], TSkipReason::srNoFileToFreshen);

  // OnStartZip may skip a file; Dispose removes what was zipped, asking first.
  reasons.clear();
  WriteFile(dir / "c.txt", "c");
  TQorZip d;
  d.SetZipName(dir / "d.zip");
  d.SetDispose(true);
  d.events.OnSkippingFile = [&](TSkipReason r, const std::string&, int, bool&) {
    reasons.push_back(r);
  };
  d.zip_events.OnStartZip = [](const std::string& name, TZipHeaderInfo&, bool& skip) {
    skip = name.find("b.txt") != std::string::npos;
  };
  std::vector<std::string> disposed;
  d.zip_events.OnDisposeFile = [&](const std::string& name, bool& skip) {
    disposed.push_back(name);
    skip = name.find("c.txt") != std::string::npos;
  };
  d.FilesList() = {dir / "a.txt", dir / "b.txt", dir / "c.txt"};
  EXPECT_EQ(d.Compress(), 2);
  EXPECT_EQ(reasons, (std::vector<TSkipReason>{TSkipReason::srSkippedInStartZip}));
  EXPECT_EQ(disposed.size(), 2u);
  EXPECT_FALSE(fs::exists(dir / "a.txt"));
  EXPECT_TRUE(fs::exists(dir / "b.txt"));  // skipped, so not disposed
  EXPECT_TRUE(fs::exists(dir / "c.txt"));  // the handler kept it
}

}  // namespace
}  // namespace kelmo::zip
