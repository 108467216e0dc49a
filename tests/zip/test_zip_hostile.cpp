// Hostile and damaged archives: entries that unpack to far more than they
// hold, special files named like archives or lying at a destination, names
// that land on one file, links at a destination, split sets read twice,
// damaged local headers, and methods the reader does not decode.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <zlib.h>

#include <functional>

#include "old_method_encoders.h"
#include "zip/zip_reader.h"
#include "zip/zip_writer.h"
#include "zip_test_support.h"

namespace kelmo::zip {
namespace {

namespace fs = std::filesystem;
using test::RawArchiveOf;
using test::RawEntry;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string RawDeflate(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

RawEntry Stored(const std::string& name, const std::string& data) {
  RawEntry r;
  r.name = name;
  r.compressed = r.original = data;
  return r;
}

RawEntry Deflated(const std::string& name, const std::string& data) {
  RawEntry r = Stored(name, data);
  r.method = 8;
  r.compressed = RawDeflate(data);
  return r;
}

// What one extraction run did.
struct Outcome {
  std::string error;  // the text of what stopped the run, empty when none
  int extracted = 0;
  std::vector<TSkipReason> skipped;
  int bad_crc = 0;
  int bad_password = 0;
  int messages = 0;
};

Outcome ExtractAll(const std::string& zip, const std::string& dest,
                   const std::function<void(TQorUnZip&)>& setup = {}) {
  Outcome o;
  TQorUnZip u;
  u.SetZipName(zip);
  u.SetDestDir(dest);
  u.SetDoAll(true);
  u.SetOverwriteMode(TUZOverwriteMode::Always);
  u.events.OnSkippingFile = [&](TSkipReason r, const std::string&, int, bool&) {
    o.skipped.push_back(r);
  };
  u.events.OnBadCRC = [&](std::uint32_t, std::uint32_t, int) { ++o.bad_crc; };
  u.events.OnBadPassword = [&](int, std::string&) { ++o.bad_password; };
  u.events.OnHandleMessage = [&](int, const std::string&, const std::string&, unsigned, int&) {
    ++o.messages;
  };
  if (setup) setup(u);
  try {
    o.extracted = u.Extract();
  } catch (const std::exception& e) {
    o.error = e.what();
  }
  return o;
}

// Every file below a folder, with its bytes.
std::map<std::string, std::string> FilesUnder(const std::string& folder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (const auto& f : fs::recursive_directory_iterator(folder, ec))
    if (f.is_regular_file())
      files[fs::relative(f.path(), folder).string()] = ReadFile(f.path().string());
  return files;
}

TEST(ZipHostile, EntriesThatUnpackPastTheLimitsStopTheRunBeforeAnyByteIsWritten) {
  const std::string zeros(4 << 20, '\0');
  RawEntry lying = Stored("HOLDING.XML", "tiny");
  lying.declared_size = 0xFFFFFFF0u;  // claims 4 GB from four bytes
  RawEntry bomb = Deflated("HOLDING.XML", zeros);
  struct Case {
    const char* what;
    RawEntry entry;
    TExtractLimits limits;
  };
  TExtractLimits tight_ratio;
  tight_ratio.max_ratio = 100;
  tight_ratio.small_entry_allowance = 0;
  TExtractLimits small_entries;
  small_entries.max_entry_size = 1 << 20;
  // Leaves a gigabyte: room for the small entry, not for four.
  TExtractLimits no_room;
  no_room.max_ratio = 1ull << 40;
  struct statvfs v {};
  ASSERT_EQ(::statvfs(fs::temp_directory_path().c_str(), &v), 0);
  no_room.keep_free = static_cast<std::uint64_t>(v.f_bavail) * v.f_frsize - (1ull << 30);
  const Case cases[] = {
      {"declared size far past the ratio", lying, TExtractLimits{}},
      {"deflate bomb past a tight ratio", bomb, tight_ratio},
      {"entry past the largest allowed", bomb, small_entries},
      {"entry past the free space", lying, no_room},
  };
  for (const Case& c : cases) {
    TempDir dir;
    WriteFile(dir / "p.zip", RawArchiveOf({Stored("a.xml", "first"), c.entry}));
    Outcome o =
        ExtractAll(dir / "p.zip", dir / "out", [&](TQorUnZip& u) { u.SetExtractLimits(c.limits); });
    EXPECT_NE(o.error.find("\"HOLDING.XML\" would unpack to"), std::string::npos)
        << c.what << ": " << o.error;
    EXPECT_FALSE(fs::exists(dir / "out/HOLDING.XML")) << c.what;
    // Nothing but the earlier whole entry is there: no part file left.
    EXPECT_EQ(FilesUnder(dir / "out").size(), 1u) << c.what;
  }
  // The same bomb within generous limits unpacks whole (the limits refuse
  // only what passes them).
  TempDir dir;
  WriteFile(dir / "p.zip", RawArchiveOf({bomb}));
  Outcome o = ExtractAll(dir / "p.zip", dir / "out");
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(o.extracted, 1);
  EXPECT_EQ(fs::file_size(dir / "out/HOLDING.XML"), zeros.size());
}

TEST(ZipHostile, ExtractingToMemoryKeepsTheSameLimits) {
  TempDir dir;
  RawEntry lying = Stored("HM.XML", "tiny");
  lying.declared_size = 0xFFFFFFF0u;
  WriteFile(dir / "p.zip", RawArchiveOf({lying}));
  TQorUnZip u;
  u.SetZipName(dir / "p.zip");
  u.ReadDirectory();
  EXPECT_THROW(u.ExtractToMemory(0), EEntryTooLarge);
}

TEST(ZipHostile, SpecialFilesNamedLikeArchivesAreRefusedWithoutWaiting) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo.zip").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", dir / "zero.zip");
  fs::create_directory(dir / "folder.zip");
  for (const char* name : {"fifo.zip", "zero.zip", "folder.zip"}) {
    TQorUnZip u;
    u.SetZipName(dir / name);
    try {
      u.ReadDirectory();
      ADD_FAILURE() << name << " was read";
    } catch (const EStreamError& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
  }
}

TEST(ZipHostile, SpecialFilesAtADestinationAreNeitherOpenedNorReplaced) {
  TempDir dir;
  WriteFile(dir / "p.zip", RawArchiveOf({Stored("HM.XML", "main")}));
  fs::create_directories(dir / "out");
  ASSERT_EQ(::mkfifo((dir / "out/HM.XML").c_str(), 0600), 0);
  Outcome o = ExtractAll(dir / "p.zip", dir / "out");
  EXPECT_EQ(o.extracted, 0);
  EXPECT_EQ(o.skipped, std::vector<TSkipReason>{TSkipReason::srCreateError});
  EXPECT_TRUE(fs::is_fifo(dir / "out/HM.XML"));
}

TEST(ZipHostile, ALinkAtTheDestinationIsReplacedNeverWrittenThrough) {
  TempDir dir;
  WriteFile(dir / "outside/target.txt", "keep me");
  WriteFile(dir / "p.zip", RawArchiveOf({Stored("HM.XML", "main"), Stored("LM.XML", "persons")}));
  fs::create_directories(dir / "out");
  fs::create_symlink(dir / "outside/target.txt", dir / "out/HM.XML");
  fs::create_symlink(dir / "outside/missing.txt", dir / "out/LM.XML");  // dangling
  Outcome o = ExtractAll(dir / "p.zip", dir / "out");
  EXPECT_EQ(o.extracted, 2);
  EXPECT_EQ(ReadFile(dir / "outside/target.txt"), "keep me");
  EXPECT_FALSE(fs::exists(dir / "outside/missing.txt"));
  for (const char* name : {"out/HM.XML", "out/LM.XML"}) {
    EXPECT_FALSE(fs::is_symlink(dir / name)) << name;
    EXPECT_TRUE(fs::is_regular_file(dir / name)) << name;
  }
  EXPECT_EQ(ReadFile(dir / "out/HM.XML"), "main");
}

TEST(ZipHostile, TwoEntriesLandingOnOneNameStopTheRun) {
  // Flattened without folders, the second entry would silently replace the
  // main file that the first one wrote.
  const std::vector<std::vector<RawEntry>> archives = {
      {Stored("HM.XML", "main"), Stored("sub/../../../HM.XML", "forged")},
      {Stored("a/HM.XML", "main"), Stored("b/HM.XML", "forged")},
  };
  for (const auto& entries : archives) {
    TempDir dir;
    WriteFile(dir / "p.zip", RawArchiveOf(entries));
    Outcome o = ExtractAll(dir / "p.zip", dir / "out");
    EXPECT_NE(o.error.find("Two entries of the archive land on"), std::string::npos) << o.error;
    EXPECT_EQ(ReadFile(dir / "out/HM.XML"), "main");
  }
}

TEST(ZipHostile, AFailedEntryOrRunNeverCostsAnEarlierGoodResult) {
  RawEntry bad_crc = Stored("HM.XML", "damaged");
  bad_crc.original = "original";  // the stored CRC is of other bytes
  RawEntry bad_header = Stored("HM.XML", "newer");
  bad_header.local_signature = 0x04034B51;
  RawEntry cut = Deflated("HM.XML", test::XmlLike(5000, 1));
  cut.compressed.resize(cut.compressed.size() / 2);
  struct Case {
    const char* what;
    RawEntry entry;
    const char* error;
  };
  const Case cases[] = {
      {"bad CRC", bad_crc, ""},
      {"wrong local-header signature", bad_header, "Local header of \"HM.XML\" is damaged"},
      {"deflate data cut short", cut, "error"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    WriteFile(dir / "good.zip", RawArchiveOf({Stored("HM.XML", "good")}));
    WriteFile(dir / "bad.zip", RawArchiveOf({c.entry}));
    ASSERT_EQ(ExtractAll(dir / "good.zip", dir / "out").extracted, 1);
    Outcome o = ExtractAll(dir / "bad.zip", dir / "out");
    EXPECT_EQ(o.error, c.error) << c.what;
    EXPECT_EQ(o.extracted, 0) << c.what;
    EXPECT_EQ(FilesUnder(dir / "out"), (std::map<std::string, std::string>{{"HM.XML", "good"}}))
        << c.what;
  }
}

TEST(ZipHostile, ASplitSetReadTwiceByOneReaderExtractsBothTimes) {
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i < 5; ++i) {
    files.push_back(dir / ("src/f" + std::to_string(i) + ".bin"));
    WriteFile(files.back(), test::RandomBytes(50000, static_cast<unsigned>(i)));
  }
  TQorZip z;
  z.SetZipName(dir / "pack.zip");
  z.SetPackLevel(0);
  z.MultiZipInfo().MultiMode = TMultiMode::mmBlocks;
  z.MultiZipInfo().BlockSize = 100000;
  z.FilesList() = files;
  ASSERT_EQ(z.Compress(), 5);
  TQorUnZip u;
  u.SetZipName(dir / "pack.zip");
  u.SetDestDir(dir / "out");
  u.SetOverwriteMode(TUZOverwriteMode::Always);
  for (int run = 0; run < 2; ++run) {
    // The second run takes the entries on the middle and last parts only,
    // so that it starts away from the part the first run ended on.
    if (run == 0)
      u.SetDoAll(true);
    else
      u.FilesList() = {"*f3.bin", "*f4.bin"};
    int crc_failures = 0;
    u.events.OnBadCRC = [&](std::uint32_t, std::uint32_t, int) { ++crc_failures; };
    EXPECT_EQ(u.Extract(), run == 0 ? 5 : 2) << run;
    u.SetDoAll(false);
    EXPECT_EQ(crc_failures, 0) << run;
    for (const std::string& f : files)
      EXPECT_TRUE(ReadFile(f) == ReadFile(dir / ("out/" + fs::path(f).filename().string())))
          << run << " " << f;
  }
}

TEST(ZipHostile, MethodsAndEncryptionsNotDecodedAreReportedAsSuch) {
  RawEntry aes = Stored("HM.XML", "0123456789abcdef0123456789");
  aes.method = 99;
  aes.flags = 1;
  aes.extra = std::string(
      "\x01\x99\x07\x00\x02\x00"
      "AE\x03\x08\x00",
      11);
  RawEntry strong = Stored("HM.XML", "0123456789abcdef0123456789");
  strong.flags = 1 | 0x40;
  struct Case {
    const char* what;
    RawEntry entry;
  };
  auto method = [](std::uint16_t m) {
    RawEntry r = Stored("HM.XML", "0123456789abcdef0123456789");
    r.method = m;
    return r;
  };
  const Case cases[] = {
      {"deflate64", method(9)},      {"bzip2", method(12)}, {"lzma", method(14)}, {"AES", aes},
      {"strong encryption", strong},
  };
  for (const Case& c : cases) {
    TempDir dir;
    WriteFile(dir / "p.zip", RawArchiveOf({c.entry}));
    Outcome o =
        ExtractAll(dir / "p.zip", dir / "out", [](TQorUnZip& u) { u.SetPassword("right"); });
    EXPECT_EQ(o.error, "") << c.what;
    EXPECT_EQ(o.extracted, 0) << c.what;
    EXPECT_EQ(o.messages, 1) << c.what;
    EXPECT_EQ(o.skipped, std::vector<TSkipReason>{TSkipReason::srUnknownMethod}) << c.what;
    EXPECT_EQ(o.bad_crc, 0) << c.what;
    EXPECT_EQ(o.bad_password, 0) << c.what;
    EXPECT_TRUE(FilesUnder(dir / "out").empty()) << c.what;
    TQorUnZip u;
    u.SetZipName(dir / "p.zip");
    u.SetPassword("right");
    u.ReadDirectory();
    try {
      u.ExtractToMemory(0);
      ADD_FAILURE() << c.what;
    } catch (const EQorZipException& e) {
      EXPECT_STREQ(e.what(), "Unknown Compression Method") << c.what;
    }
  }
}

TEST(ZipHostile, AFolderAndTheFilesBelowItShowOneNameToOtherTools) {
  // The folder fits code page 866, the file below it does not (the euro
  // sign): the file goes in UTF-8, the folder in 866 with its UTF-8 form
  // beside it, and Info-ZIP on Linux makes one folder of both.
  TempDir dir;
  TQorZip z;
  z.SetZipName(dir / "n.zip");
  z.AddFromMemory("Папка/", {});
  z.AddFromMemory("Папка/Ёлка.xml", {'1'});
  z.AddFromMemory("Папка/€.xml", {'2'});
  ASSERT_EQ(z.Compress(), 3);
  std::string listing;
  ASSERT_EQ(
      test::Shell("unzip -o -q " + test::Quote(dir / "n.zip") + " -d " + test::Quote(dir / "out"),
                  &listing),
      0)
      << listing;
  EXPECT_EQ(FilesUnder(dir / "out"),
            (std::map<std::string, std::string>{{"Папка/Ёлка.xml", "1"}, {"Папка/€.xml", "2"}}));
  // Our own reader keeps reading the code-page names.
  TQorUnZip u;
  u.SetZipName(dir / "n.zip");
  u.ReadDirectory();
  ASSERT_EQ(u.EntryCount(), 3);
  EXPECT_EQ(u.Entry(1).FullName(), "Папка/Ёлка.xml");
  EXPECT_FALSE(u.Entry(1).flags & kFlagUtf8);
  EXPECT_TRUE(u.Entry(2).flags & kFlagUtf8);
}

}  // namespace
}  // namespace kelmo::zip
