// Archives written here pass the peers' tests (unzip -t, 7z t, python's
// zipfile) with the same names and contents, and archives written by the
// peers extract here byte-identically to what unzip extracts.
#include <gtest/gtest.h>

#include "zip/file_helpers.h"
#include "zip/zip_reader.h"
#include "zip_test_support.h"
#include "zip/zip_writer.h"

namespace kelmo::zip {
namespace {

using test::Quote;
using test::ReadFile;
using test::Shell;
namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

struct Fixture {
  TempDir dir;
  std::vector<std::string> files;
  std::vector<std::string> contents;
  Fixture() {
    contents = {test::XmlLike(200000, 1), "", test::RandomBytes(70000, 2), "short text\n"};
    std::vector<std::string> names = {"H0001.XML", "empty.txt", "random.bin", "L0001.XML"};
    for (std::size_t i = 0; i < names.size(); ++i) {
      files.push_back(dir / ("src/" + names[i]));
      WriteFile(files.back(), contents[i]);
    }
  }
};

void ExpectPeersAccept(const std::string& zip, const std::string& password = "") {
  std::string out;
  std::string pw = password.empty() ? "" : " -P " + Quote(password);
  EXPECT_EQ(Shell("unzip -t" + pw + " " + Quote(zip), &out), 0) << out;
  std::string pw7 = password.empty() ? "" : " -p" + Quote(password);
  EXPECT_EQ(Shell("7z t" + pw7 + " " + Quote(zip), &out), 0) << out;
  std::string py = "import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); ";
  if (!password.empty()) py += "z.setpassword(sys.argv[2].encode()); ";
  py += "bad=z.testzip(); sys.exit(1 if bad else 0)";
  EXPECT_EQ(
      Shell("/usr/bin/python3 -c " + Quote(py) + " " + Quote(zip) + " " + Quote(password), &out), 0)
      << out;
}

class WriterLevels : public ::testing::TestWithParam<int> {};

TEST_P(WriterLevels, PeersAcceptAndExtractSameBytes) {
  Fixture f;
  std::string zip = f.dir / "out.zip";
  TQorZip z;
  z.SetPackLevel(GetParam());
  z.SetZipName(zip);
  z.FilesList() = f.files;
  EXPECT_EQ(z.Compress(), 4);
  EXPECT_TRUE(z.FilesList().empty());
  ExpectPeersAccept(zip);
  std::string out;
  ASSERT_EQ(Shell("unzip -o -q " + Quote(zip) + " -d " + Quote(f.dir / "peer"), &out), 0) << out;
  for (std::size_t i = 0; i < f.files.size(); ++i)
    EXPECT_EQ(ReadFile(f.dir / ("peer/" + fs::path(f.files[i]).filename().string())),
              f.contents[i]);
  TQorUnZip u;
  u.SetZipName(zip);
  u.ReadDirectory();
  ASSERT_EQ(u.EntryCount(), 4);
  for (int i = 0; i < 4; ++i) {
    const TZipHeaderInfo& e = u.Entry(i);
    EXPECT_EQ(e.compression_method, GetParam() == 0 ? 0 : 8);
    EXPECT_EQ((e.flags & kFlagMaximum) != 0, GetParam() >= 8);
    EXPECT_EQ((e.flags & kFlagFast) != 0, GetParam() <= 2);
    EXPECT_EQ(e.version_needed, 20);
  }
  // The same dates: the sources' modification times (to the two seconds of
  // the format) in python's reading and on the files unzip wrote.
  std::string py =
      "import zipfile,sys\nfor i in zipfile.ZipFile(sys.argv[1]).infolist(): "
      "print(i.filename, '%04d%02d%02d%02d%02d%02d' % i.date_time)";
  ASSERT_EQ(Shell("/usr/bin/python3 -c " + Quote(py) + " " + Quote(zip), &out), 0) << out;
  for (const std::string& file : f.files) {
    std::time_t t = FileDateTimeOf(file);
    std::tm tm{};
    localtime_r(&t, &tm);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec / 2 * 2);
    std::string name = fs::path(file).filename().string();
    EXPECT_NE(out.find(name + " " + stamp), std::string::npos) << out;
    auto peer = fs::last_write_time(f.dir / ("peer/" + name));
    auto source = fs::last_write_time(file);
    EXPECT_LE(std::chrono::abs(peer - source), std::chrono::seconds(2)) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(AllLevels, WriterLevels, ::testing::Range(0, 10));

TEST(ZipInterop, EncryptedArchivePassesPeersWithPassword) {
  Fixture f;
  std::string zip = f.dir / "enc.zip";
  TQorZip z;
  z.SetPassword("s3cret");
  z.SetZipName(zip);
  z.FilesList() = f.files;
  ASSERT_EQ(z.Compress(), 4);
  ExpectPeersAccept(zip, "s3cret");
  TQorUnZip u;
  u.SetZipName(zip);
  u.ReadDirectory();
  for (int i = 0; i < u.EntryCount(); ++i) {
    EXPECT_TRUE(u.Entry(i).IsEncrypted());
    if (!u.Entry(i).file_name.empty() && u.Entry(i).GetUncompressedSize() > 0)
      EXPECT_GE(u.Entry(i).GetCompressedSize(), 12u);
  }
}

// Archives made by the peers, extracted here and by unzip, compare equal.
void ExpectSameAsUnzip(const std::string& zip, const std::string& root,
                       const std::string& pw = "") {
  std::string out;
  std::string pwopt = pw.empty() ? "" : " -P " + Quote(pw);
  fs::create_directories(root);
  ASSERT_EQ(Shell("unzip -o -q" + pwopt + " " + Quote(zip) + " -d " + Quote(root + "/peer"), &out),
            0)
      << out;
  TQorUnZip u;
  u.SetZipName(zip);
  u.SetPassword(pw);
  u.SetDestDir(root + "/ours");
  u.SetRecreateDirs(true);
  u.SetDoAll(true);
  u.SetOverwriteMode(TUZOverwriteMode::Always);
  u.Extract();
  ASSERT_EQ(Shell("diff -r " + Quote(root + "/peer") + " " + Quote(root + "/ours"), &out), 0)
      << out;
}

TEST(ZipInterop, PeerArchivesExtractLikeUnzip) {
  Fixture f;
  std::string src = f.dir.str() + "/src";
  WriteFile(src + "/sub/deep/file.xml", test::XmlLike(5000, 9));
  WriteFile(src + "/Реестр_Ёж.xml", "cyrillic name");
  struct Case {
    const char* name;
    std::string cmd;
    std::string password;
  } cases[] = {
      {"zip plain", "cd " + Quote(src) + " && zip -q -r ../a.zip .", ""},
      {"zip zip64", "cd " + Quote(src) + " && zip -q -fz -r ../b.zip .", ""},
      {"zip encrypted", "cd " + Quote(src) + " && zip -q -P pw -r ../c.zip .", "pw"},
      {"zip stored, UTF-8 flag", "cd " + Quote(src) + " && zip -q -0 -UN=UTF8 -r ../d.zip .", ""},
      {"7z", "cd " + Quote(src) + " && 7z a -tzip -bd ../e.zip . >/dev/null", ""},
      {"7z encrypted", "cd " + Quote(src) + " && 7z a -tzip -bd -ppw ../f.zip . >/dev/null", "pw"},
      {"python",
       "cd " + Quote(src) +
           " && /usr/bin/python3 -c \"import zipfile,os\nz=zipfile.ZipFile('../g.zip','w',"
           "zipfile.ZIP_DEFLATED)\nfor r,d,fs in os.walk('.'):\n  for n in fs: "
           "z.write(os.path.join(r,n))\nz.close()\"",
       ""},
      {"zip streamed", "cd " + Quote(src) + " && zip -q -r - . > ../h.zip", ""},
      {"zip streamed encrypted", "cd " + Quote(src) + " && zip -q -P pw -r - . > ../i.zip", "pw"},
  };
  int k = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out;
    ASSERT_EQ(Shell(c.cmd, &out), 0) << out;
    std::string zip = f.dir.str() + "/" + std::string(1, static_cast<char>('a' + k)) + ".zip";
    ExpectSameAsUnzip(zip, f.dir / ("x" + std::to_string(k)), c.password);
    ++k;
  }
}

// A streamed archive (sizes in data descriptors) whose directory is lost is
// rebuilt from its local headers and descriptors.
TEST(ZipInterop, StreamedArchiveRebuiltFromLocalHeaders) {
  Fixture f;
  WriteFile(f.dir / "src/Счёт.xml", "utf-8 name");
  std::string out;
  ASSERT_EQ(Shell("cd " + Quote(f.dir / "src") + " && zip -q -r - . > ../s.zip", &out), 0) << out;
  std::string data = ReadFile(f.dir / "s.zip");
  std::size_t central = data.find("PK\x01\x02");
  ASSERT_NE(central, std::string::npos);
  WriteFile(f.dir / "cut.zip", data.substr(0, central));
  TQorUnZip u;
  u.SetZipName(f.dir / "cut.zip");
  u.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
  u.SetDestDir(f.dir / "o");
  u.SetDoAll(true);
  EXPECT_EQ(u.Extract(), 5);
  EXPECT_EQ(ReadFile(f.dir / "o/Счёт.xml"), "utf-8 name");
  for (std::size_t i = 0; i < f.files.size(); ++i)
    EXPECT_EQ(ReadFile(f.dir / ("o/" + fs::path(f.files[i]).filename().string())), f.contents[i]);
}

}  // namespace
}  // namespace kelmo::zip

namespace kelmo::zip {
namespace {

TEST(ZipInterop, RetainedAttributes) {
  TempDir dir;
  WriteFile(dir / "src/run.sh", "#!/bin/sh\n");
  WriteFile(dir / "src/ro.txt", "read only");
  fs::permissions(dir / "src/run.sh", fs::perms(0750), fs::perm_options::replace);
  fs::permissions(dir / "src/ro.txt", fs::perms(0444), fs::perm_options::replace);
  std::string out;
  ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && zip -q ../unix.zip run.sh", &out), 0) << out;
  TQorZip z;
  z.SetZipName(dir / "ours.zip");
  z.FilesList() = {dir / "src/ro.txt"};
  ASSERT_EQ(z.Compress(), 1);
  for (const char* zip : {"unix.zip", "ours.zip"}) {
    TQorUnZip u;
    u.SetZipName(dir / zip);
    u.SetDestDir(dir / "o");
    u.SetDoAll(true);
    u.SetRetainAttributes(true);
    EXPECT_EQ(u.Extract(), 1);
  }
  EXPECT_EQ(fs::status(dir / "o/run.sh").permissions() & fs::perms::all, fs::perms(0750));
  EXPECT_EQ(fs::status(dir / "o/ro.txt").permissions() & fs::perms::owner_write, fs::perms::none);
}

}  // namespace
}  // namespace kelmo::zip
