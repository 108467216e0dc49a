// The reader: the package identification's calls, selection and
// destinations, unsafe names, damaged archives, passwords, CRC failures,
// code pages of names, rebuilding from local headers.
#include <gtest/gtest.h>

#include "bytes/code_pages.h"
#include "bytes/little_endian.h"
#include "zip/file_helpers.h"
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

// Builds an archive from name -> content pairs (memory sources).
std::string MakeZip(const TempDir& dir, const std::string& name,
                    const std::vector<std::pair<std::string, std::string>>& entries, int level = 6,
                    const std::string& password = "", TOEMConvert oem = TOEMConvert::oemAlways) {
  std::string zip = dir / name;
  TQorZip z;
  z.SetPackLevel(level);
  z.SetPassword(password);
  z.SetOEMConvert(oem);
  z.SetZipName(zip);
  for (const auto& [n, c] : entries)
    z.AddFromMemory(n, std::vector<std::uint8_t>(c.begin(), c.end()));
  z.Compress();
  return zip;
}

TEST(ZipReader, PackageIdentificationCalls) {
  TempDir dir;
  std::string zip = MakeZip(
      dir, "pack.zip",
      {{"HM123T45_2301.XML", "main"}, {"LM123T45_2301.XML", "persons"}, {"docs/readme.txt", "x"}});
  TQorUnZip u;
  EXPECT_EQ(u.EntryCount(), 0);
  u.SetZipName(zip);
  u.ReadDirectory();
  ASSERT_EQ(u.EntryCount(), 3);
  EXPECT_EQ(u.EntryName(0), "HM123T45_2301.XML");
  EXPECT_EQ(u.EntryName(2), "readme.txt");
  EXPECT_THROW(u.EntryName(3), EListError);
  try {
    u.EntryName(3);
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "Index 3 is out of range");
  }
  // Same name in another case keeps the directory; another name forgets it.
  std::string upper = zip;
  upper.replace(upper.size() - 8, 8, "PACK.ZIP");
  u.SetZipName(upper);
  EXPECT_EQ(u.EntryCount(), 3);
  u.SetZipName(zip);
  u.FilesList() = {"h*.xml", "docs/readme.txt"};
  u.SetDoAll(false);
  u.SetDestDir(dir / "out/");
  EXPECT_EQ(u.DestDir(), dir / "out");
  u.SetRecreateDirs(false);
  u.SetRetainAttributes(true);
  EXPECT_EQ(u.Extract(), 2);
  EXPECT_TRUE(u.FilesList().empty());
  EXPECT_EQ(ReadFile(dir / "out/HM123T45_2301.XML"), "main");
  EXPECT_EQ(ReadFile(dir / "out/readme.txt"), "x");  // no folder without RecreateDirs
  EXPECT_FALSE(fs::exists(dir / "out/LM123T45_2301.XML"));
}

TEST(ZipReader, EmptyFileIsAnEmptyArchiveAndShortFilesAreNot) {
  TempDir dir;
  WriteFile(dir / "empty.zip", "");
  TQorUnZip u;
  u.SetZipName(dir / "empty.zip");
  u.ReadDirectory();
  EXPECT_EQ(u.EntryCount(), 0);
  WriteFile(dir / "short.zip", "PK\x05\x06");
  TQorUnZip v;
  v.SetZipName(dir / "short.zip");
  EXPECT_THROW(v.ReadDirectory(), EIncompleteZip);
  v.SetZipName(dir / "short.zip");
  v.SetIncompleteZipMode(TIncompleteZipMode::izAssumeNotAZip);
  EXPECT_THROW(v.ReadDirectory(), ENotAZipFile);
  v.SetZipName(dir / "short.zip");
  v.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
  EXPECT_THROW(v.ReadDirectory(), EBadZipFile);
}

// Replaces bytes of a file at an offset.
void Patch(const std::string& path, std::int64_t offset, const std::string& bytes) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(offset);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Le32(std::uint32_t v) {
  std::string s(4, '\0');
  kelmo::bytes::PutLE32(reinterpret_cast<std::uint8_t*>(s.data()), v);
  return s;
}
std::string Le16(std::uint16_t v) {
  std::string s(2, '\0');
  kelmo::bytes::PutLE16(reinterpret_cast<std::uint8_t*>(s.data()), v);
  return s;
}

TEST(ZipReader, DamagedArchivesGiveTheLibrarysErrorsNeverACrash) {
  TempDir dir;
  std::string good =
      MakeZip(dir, "good.zip", {{"a.xml", test::XmlLike(50000, 3)}, {"b.txt", "bee"}});
  std::string data = ReadFile(good);
  std::int64_t eocd = static_cast<std::int64_t>(data.size()) - 22;
  struct Case {
    const char* what;
    std::function<void(const std::string&)> damage;
    bool recovers;  // the directory is rebuilt from local headers
  } cases[] = {
      {"end record points past the file",
       [&](const std::string& p) { Patch(p, eocd + 16, Le32(0x7FFFFFF0)); }, true},
      {"more entries than the directory holds",
       [&](const std::string& p) {
         Patch(p, eocd + 8, Le16(500));
         Patch(p, eocd + 10, Le16(500));
       },
       true},
      {"corrupt deflate stream",
       [&](const std::string& p) { Patch(p, 40, std::string(40, '\xFF')); }, false},
      {"truncated inside the data", [&](const std::string& p) { fs::resize_file(p, 1000); }, false},
      {"central size field claims Zip64",
       [&](const std::string& p) {
         std::int64_t cd = static_cast<std::int64_t>(data.find("PK\x01\x02"));
         Patch(p, cd + 20, Le32(0xFFFFFFFF));
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string p = dir / "bad.zip";
    WriteFile(p, data);
    c.damage(p);
    TQorUnZip u;
    u.SetZipName(p);
    u.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
    u.SetDestDir(dir / "bad-out");
    u.SetDoAll(true);
    u.SetOverwriteMode(TUZOverwriteMode::Always);
    int bad_crc = 0;
    u.events.OnBadCRC = [&](std::uint32_t, std::uint32_t, int) { ++bad_crc; };
    int extracted = -1;
    try {
      extracted = u.Extract();
    } catch (const EQorZipException&) {
    } catch (const EZLibError&) {
    } catch (const EStreamError&) {
    }
    // Whatever was written is whole: a file that exists has its content.
    if (fs::exists(dir / "bad-out/a.xml"))
      EXPECT_EQ(ReadFile(dir / "bad-out/a.xml"), test::XmlLike(50000, 3));
    if (fs::exists(dir / "bad-out/b.txt")) EXPECT_EQ(ReadFile(dir / "bad-out/b.txt"), "bee");
    if (c.recovers)
      EXPECT_EQ(extracted, 2);
    else
      EXPECT_LT(extracted, 2);
    fs::remove_all(dir / "bad-out");
  }
}

TEST(ZipReader, TruncatedArchiveRaisesPrematureEnd) {
  TempDir dir;
  std::string zip = MakeZip(dir, "t.zip", {{"r.bin", test::RandomBytes(100000, 5)}}, 0);
  std::string data = ReadFile(zip);
  // Keep the directory but cut into the data: move the tail over the middle.
  std::string cut = data.substr(0, 50000);
  WriteFile(dir / "cut.zip", cut);
  TQorUnZip u;
  u.SetZipName(dir / "cut.zip");
  u.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
  u.SetDestDir(dir / "o");
  u.SetDoAll(true);
  try {
    u.Extract();
    FAIL() << "no error";
  } catch (const EFatalUnzipError& e) {
    EXPECT_STREQ(e.what(), "Premature end of file reached");
  }
  EXPECT_FALSE(fs::exists(dir / "o/r.bin"));
}

TEST(ZipReader, CrcMismatchIsReportedAndThePartialFileRemoved) {
  TempDir dir;
  std::string zip = MakeZip(dir, "c.zip", {{"ok.txt", "fine"}, {"bad.txt", "0123456789"}}, 0);
  std::string data = ReadFile(zip);
  std::size_t at = data.find("0123456789");
  Patch(zip, static_cast<std::int64_t>(at), "X");
  TQorUnZip u;
  u.SetZipName(zip);
  u.SetDestDir(dir / "o");
  u.SetDoAll(true);
  std::uint32_t calc = 0, stored = 0;
  u.events.OnBadCRC = [&](std::uint32_t c, std::uint32_t s, int) { calc = c, stored = s; };
  EXPECT_EQ(u.Extract(), 1);
  EXPECT_NE(calc, stored);
  EXPECT_FALSE(fs::exists(dir / "o/bad.txt"));
  EXPECT_EQ(ReadFile(dir / "o/ok.txt"), "fine");
}

TEST(ZipReader, OverlongInflateIsAnErrorOfThatEntry) {
  TempDir dir;
  std::string zip = MakeZip(dir, "o.zip", {{"big.txt", std::string(100000, 'a')}}, 9);
  // Declare a smaller uncompressed size in the central header.
  std::string data = ReadFile(zip);
  std::int64_t cd = static_cast<std::int64_t>(data.find("PK\x01\x02"));
  Patch(zip, cd + 24, Le32(1000));
  TQorUnZip u;
  u.SetZipName(zip);
  u.SetDestDir(dir / "o");
  u.SetDoAll(true);
  bool reported = false;
  u.events.OnBadCRC = [&](std::uint32_t, std::uint32_t, int) { reported = true; };
  EXPECT_EQ(u.Extract(), 0);
  EXPECT_TRUE(reported);
  EXPECT_FALSE(fs::exists(dir / "o/big.txt"));
}

TEST(ZipReader, NamesThatLeaveDestDirAreRefusedAndReported) {
  TempDir dir;
  // Names are written raw through a local helper: the writer itself never
  // stores such names.
  std::string zip = dir / "evil.zip";
  std::string py =
      "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1],'w')\n"
      "for n in ['../escape.txt','a/../../up.txt','/abs/root.txt','C:/drive/d.txt','ok/fine.txt',"
      "'..\\\\back.txt']:\n  zi=zipfile.ZipInfo(n); z.writestr(zi, 'x')\nz.close()";
  std::string out;
  ASSERT_EQ(Shell("/usr/bin/python3 -c " + Quote(py) + " " + Quote(zip), &out), 0) << out;
  std::vector<std::string> refused;
  for (bool recreate : {true, false}) {
    SCOPED_TRACE(recreate);
    refused.clear();
    TQorUnZip u;
    u.SetZipName(zip);
    u.SetDestDir(dir / "dest/inner");
    u.SetRecreateDirs(recreate);
    u.SetDoAll(true);
    u.SetOverwriteMode(TUZOverwriteMode::Always);
    u.events.OnSkippingFile = [&](TSkipReason r, const std::string& n, int, bool&) {
      if (r == TSkipReason::srUnsafeName) refused.push_back(n);
    };
    u.Extract();
    EXPECT_FALSE(fs::exists(dir / "dest/escape.txt"));
    EXPECT_FALSE(fs::exists(dir / "escape.txt"));
    EXPECT_FALSE(fs::exists(dir / "up.txt"));
    EXPECT_FALSE(fs::exists(dir / "dest/back.txt"));
    EXPECT_FALSE(fs::exists("/abs/root.txt"));
    if (recreate) {
      EXPECT_EQ(refused.size(), 3u);  // the three ".." names
      EXPECT_TRUE(fs::exists(dir / "dest/inner/abs/root.txt"));
      EXPECT_TRUE(fs::exists(dir / "dest/inner/drive/d.txt"));
      EXPECT_TRUE(fs::exists(dir / "dest/inner/ok/fine.txt"));
    } else {
      EXPECT_TRUE(refused.empty());  // only the file name part is used
      EXPECT_TRUE(fs::exists(dir / "dest/inner/escape.txt"));
      EXPECT_TRUE(fs::exists(dir / "dest/inner/fine.txt"));
    }
    // Nothing at all outside dest/inner.
    for (const auto& e : fs::recursive_directory_iterator(dir.str())) {
      std::string p = e.path().string();
      if (p == zip) continue;
      EXPECT_TRUE(p.rfind(dir / "dest", 0) == 0) << p;
      if (!e.is_directory()) EXPECT_TRUE(p.rfind(dir / "dest/inner/", 0) == 0) << p;
    }
    fs::remove_all(dir / "dest");
  }
}

TEST(ZipReader, PasswordsWrongRightAndAskedFor) {
  TempDir dir;
  std::string zip = MakeZip(dir, "p.zip", {{"secret.txt", test::XmlLike(3000, 4)}}, 6, "right");
  {
    TQorUnZip u;
    u.SetZipName(zip);
    u.SetDestDir(dir / "a");
    u.SetDoAll(true);
    u.SetPassword("wrong");
    std::vector<TSkipReason> reasons;
    u.events.OnSkippingFile = [&](TSkipReason r, const std::string&, int, bool&) {
      reasons.push_back(r);
    };
    EXPECT_EQ(u.Extract(), 0);
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_EQ(reasons[0], TSkipReason::srBadPassword);
    EXPECT_FALSE(fs::exists(dir / "a/secret.txt"));
  }
  {
    TQorUnZip u;
    u.SetZipName(zip);
    u.SetDestDir(dir / "b");
    u.SetDoAll(true);
    int asked = 0;
    u.events.OnBadPassword = [&](int, std::string& pw) {
      ++asked;
      pw = "right";
    };
    EXPECT_EQ(u.Extract(), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ReadFile(dir / "b/secret.txt"), test::XmlLike(3000, 4));
    EXPECT_EQ(u.Password(), "right");
  }
}

TEST(ZipReader, OverwriteModes) {
  TempDir dir;
  std::string zip = MakeZip(dir, "w.zip", {{"f.txt", "new"}});
  WriteFile(dir / "o/f.txt", "old");
  TQorUnZip u;
  u.SetZipName(zip);
  u.SetDestDir(dir / "o");
  u.SetDoAll(true);
  u.SetOverwriteMode(TUZOverwriteMode::Never);
  TSkipReason reason = TSkipReason::srCreateError;
  u.events.OnSkippingFile = [&](TSkipReason r, const std::string&, int, bool&) { reason = r; };
  EXPECT_EQ(u.Extract(), 0);
  EXPECT_EQ(reason, TSkipReason::srNoOverwrite);
  EXPECT_EQ(ReadFile(dir / "o/f.txt"), "old");
  // Prompt without a handler asks the interaction; it answers Yes.
  struct Yes : TZipInteraction {
    int asked = 0;
    std::string text;
    int ShowMessage(int id, const std::string& t, const std::string& caption, unsigned) override {
      ++asked;
      text = t;
      EXPECT_EQ(id, kMsgReplaceFile);
      EXPECT_EQ(caption, "File Exists Alert");
      return kIdYes;
    }
  } yes;
  u.SetInteraction(&yes);
  u.SetOverwriteMode(TUZOverwriteMode::Prompt);
  u.SetDoAll(true);
  EXPECT_EQ(u.Extract(), 1);
  EXPECT_EQ(yes.text, "Replace existing file f.txt?");
  EXPECT_EQ(ReadFile(dir / "o/f.txt"), "new");
}

TEST(ZipReader, StopNowExtractsNothingAndStillCompletes) {
  TempDir dir;
  std::string zip = MakeZip(dir, "s.zip", {{"a", "1"}, {"b", "2"}});
  TQorUnZip u;
  u.SetZipName(zip);
  u.SetDestDir(dir / "o");
  u.SetDoAll(true);
  int complete = -1;
  u.events.OnStartUnZipInfo = [](int n, std::int64_t bytes, bool& stop) {
    EXPECT_EQ(n, 2);
    EXPECT_EQ(bytes, 2);
    stop = true;
  };
  u.events.OnUnZipComplete = [&](int n) { complete = n; };
  EXPECT_EQ(u.Extract(), 0);
  EXPECT_EQ(complete, 0);
}

TEST(ZipReader, CyrillicNamesInDos866AndUtf8) {
  TempDir dir;
  const std::string name = "Реестр_Ёж.xml";
  for (TOEMConvert oem : {TOEMConvert::oemAlways, TOEMConvert::oemNever}) {
    SCOPED_TRACE(static_cast<int>(oem));
    std::string zip = MakeZip(dir, "cyr.zip", {{name, "данные"}}, 6, "", oem);
    std::string raw = ReadFile(zip);
    if (oem == TOEMConvert::oemAlways) {
      // Stored in DOS 866; the UTF-8 form goes only in the Unicode path field.
      EXPECT_EQ(raw.substr(30, 13), bytes::EncodeFromUtf8(name, bytes::CodePage::Cp866));
      EXPECT_EQ(raw.find(name), 30 + 13 + 9);
      std::string out;
      std::string py866 =
          "import zipfile,sys; print(zipfile.ZipFile(sys.argv[1], "
          "metadata_encoding='cp866').namelist()[0])";
      ASSERT_EQ(Shell("/usr/bin/python3 -c " + Quote(py866) + " " + Quote(zip), &out), 0) << out;
      EXPECT_NE(out.find(name), std::string::npos) << out;
    } else {
      EXPECT_NE(raw.find(name), std::string::npos);  // UTF-8 with flag 11
    }
    std::string out;
    std::string py = "import zipfile,sys; print(zipfile.ZipFile(sys.argv[1]).namelist()[0])";
    Shell("/usr/bin/python3 -c " + Quote(py) + " " + Quote(zip), &out);
    if (oem == TOEMConvert::oemNever) EXPECT_NE(out.find(name), std::string::npos) << out;
    TQorUnZip u;
    u.SetZipName(zip);
    u.ReadDirectory();
    EXPECT_EQ(u.EntryName(0), name);
    fs::remove(zip);
  }
  // 7z writing DOS 866 names.
  WriteFile(dir / "src/" + name, "x");
  std::string out;
  ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && 7z a -tzip -mcp=866 -bd ../s7.zip . >/dev/null",
                  &out),
            0)
      << out;
  TQorUnZip u;
  u.SetZipName(dir / "s7.zip");
  u.ReadDirectory();
  ASSERT_EQ(u.EntryCount(), 1);
  EXPECT_EQ(u.EntryName(0), name);
}

TEST(ZipReader, DirectoryRebuiltFromLocalHeaders) {
  TempDir dir;
  std::string zip = MakeZip(dir, "r.zip", {{"one.txt", "1111"}, {"two.txt", "2222"}});
  std::string data = ReadFile(zip);
  // Two central headers pointing at one local header.
  std::size_t first = data.find("PK\x01\x02");
  std::size_t second = data.find("PK\x01\x02", first + 4);
  Patch(zip, static_cast<std::int64_t>(second + 42), Le32(0));
  TQorUnZip u;
  u.SetZipName(zip);
  u.ReadDirectory();
  ASSERT_EQ(u.EntryCount(), 2);
  u.SetDestDir(dir / "o");
  u.SetDoAll(true);
  u.SetOverwriteMode(TUZOverwriteMode::Always);
  // The first local header took the fields of the header that pointed at it
  // (two.txt's CRC over one.txt's data): that entry fails its CRC check; the
  // second, known from its local header only, extracts.
  EXPECT_EQ(u.Extract(), 1);
  EXPECT_EQ(ReadFile(dir / "o/two.txt"), "2222");
  // No end record at all, rebuilt on request.
  WriteFile(dir / "noend.zip", data.substr(0, first));
  TQorUnZip v;
  v.SetZipName(dir / "noend.zip");
  v.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
  v.ReadDirectory();
  EXPECT_EQ(v.EntryCount(), 2);
}

TEST(ZipReader, ExtractToMemory) {
  TempDir dir;
  std::string zip = MakeZip(dir, "m.zip", {{"xl/workbook.xml", "<workbook/>"}, {"a.bin", ""}});
  TQorUnZip u;
  u.SetZipName(zip);
  u.ReadDirectory();
  int i = u.FindEntry("XL/Workbook.xml");
  ASSERT_GE(i, 0);
  auto bytes = u.ExtractToMemory(i);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "<workbook/>");
  EXPECT_TRUE(u.ExtractToMemory(u.FindEntry("a.bin")).empty());
  EXPECT_EQ(u.FindEntry("missing"), -1);
}

}  // namespace
}  // namespace kelmo::zip

namespace kelmo::zip {
namespace {

TEST(ZipReader, FolderLinkedOutsideDestDirIsRefused) {
  test::TempDir dir;
  std::filesystem::create_directories(dir / "outside");
  std::filesystem::create_directories(dir / "dest");
  std::filesystem::create_directory_symlink(dir / "outside", dir / "dest/link");
  TQorZip z;
  z.SetZipName(dir / "l.zip");
  z.AddFromMemory("link/planted.txt", {'x'});
  z.AddFromMemory("plain/ok.txt", {'y'});
  z.Compress();
  TQorUnZip u;
  u.SetZipName(dir / "l.zip");
  u.SetDestDir(dir / "dest");
  u.SetRecreateDirs(true);
  u.SetDoAll(true);
  int refused = 0;
  u.events.OnSkippingFile = [&](TSkipReason r, const std::string&, int, bool&) {
    refused += r == TSkipReason::srUnsafeName;
  };
  EXPECT_EQ(u.Extract(), 1);
  EXPECT_EQ(refused, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "outside/planted.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir / "dest/plain/ok.txt"));
}

}  // namespace
}  // namespace kelmo::zip

namespace kelmo::zip {
namespace {

TEST(ZipReader, EventsRenameProgressAndDateModes) {
  test::TempDir dir;
  std::string zip = dir / "e.zip";
  {
    TQorZip z;
    z.SetZipName(zip);
    std::time_t old_time = std::time(nullptr) - 3600 * 24 * 30;
    std::string big = test::XmlLike(100000, 21);
    z.AddFromMemory("a.xml", std::vector<std::uint8_t>(big.begin(), big.end()), old_time);
    z.AddFromMemory("b.xml", {'b'}, old_time);
    z.Compress();
  }
  TQorUnZip u;
  u.SetZipName(zip);
  u.SetDestDir(dir / "o");
  u.SetDoAll(true);
  std::vector<std::string> ends;
  int last_total = -1, last_file = -1;
  u.events.OnStartUnZip = [&](int, std::string& name, bool&) {
    if (name.size() >= 5 && name.substr(name.size() - 5) == "b.xml") name = dir / "o/renamed.xml";
  };
  u.events.OnEndUnZip = [&](int, const std::string& name) { ends.push_back(name); };
  u.events.OnTotalPercentDone = [&](int p) { last_total = p; };
  u.events.OnFilePercentDone = [&](int p) { last_file = p; };
  EXPECT_EQ(u.Extract(), 2);
  EXPECT_EQ(ends, (std::vector<std::string>{dir / "o/a.xml", dir / "o/renamed.xml"}));
  EXPECT_EQ(last_total, 100);
  EXPECT_EQ(last_file, 100);
  // The file's date is the entry's.
  EXPECT_EQ(FileDosDateTimeOf(dir / "o/a.xml"), u.Entry(0).date_time);

  // ifNewer: the entry (a month old) is not newer than a fresh file.
  test::WriteFile(dir / "o/a.xml", "fresh");
  u.SetOverwriteMode(TUZOverwriteMode::ifNewer);
  u.SetDoAll(true);
  u.events = {};
  EXPECT_EQ(u.Extract(), 1);  // only b.xml, which does not exist under its own name
  EXPECT_EQ(test::ReadFile(dir / "o/a.xml"), "fresh");
  // ifOlder: the entry is older than the fresh a.xml, so it is written; b.xml
  // carries the entry's own date, not older, so it stays.
  u.SetOverwriteMode(TUZOverwriteMode::ifOlder);
  u.SetDoAll(true);
  EXPECT_EQ(u.Extract(), 1);
  EXPECT_EQ(test::ReadFile(dir / "o/a.xml"), test::XmlLike(100000, 21));
}

TEST(ZipReader, RootDirPrefixRemovedFromStoredFolders) {
  test::TempDir dir;
  TQorZip z;
  z.SetZipName(dir / "r.zip");
  z.AddFromMemory("base/in/x.txt", {'x'});
  z.Compress();
  TQorUnZip u;
  u.SetZipName(dir / "r.zip");
  u.SetRootDir("BASE");
  u.SetRecreateDirs(true);
  u.SetDestDir(dir / "o");
  u.SetDoAll(true);
  EXPECT_EQ(u.Extract(), 1);
  EXPECT_TRUE(std::filesystem::exists(dir / "o/in/x.txt"));
}

}  // namespace
}  // namespace kelmo::zip
