// Shrunk, reduced and imploded entries (from the test encoders of
// old_method_encoders.h) extract byte for byte; Info-ZIP's unzip agrees with
// the shrunk and imploded archives (no tool here reads reduced data, so those
// rest on the encoder alone); damaged data ends as a CRC failure.
#include <gtest/gtest.h>

#include "old_method_encoders.h"
#include "zip/zip_reader.h"
#include "zip_test_support.h"

namespace kelmo::zip {
namespace {

namespace fs = std::filesystem;
using test::Quote;
using test::ReadFile;
using test::Shell;
using test::TempDir;
using test::WriteFile;

struct Method {
  const char* name;
  std::uint16_t method;
  std::uint16_t flags;
  std::function<std::string(const std::string&)> encode;
  bool peer_reads = true;  // Info-ZIP's unzip reads the method
};

std::vector<Method> Methods() {
  return {
      {"shrink", 1, 0, [](const std::string& d) { return test::Shrink(d); }},
      {"shrink with partial clears", 1, 0,
       [](const std::string& d) { return test::Shrink(d, 300); }},
      {"reduce 1", 2, 0, [](const std::string& d) { return test::Reduce(d, 1); }, false},
      {"reduce 2", 3, 0, [](const std::string& d) { return test::Reduce(d, 2); }, false},
      {"reduce 3", 4, 0, [](const std::string& d) { return test::Reduce(d, 3); }, false},
      {"reduce 4", 5, 0, [](const std::string& d) { return test::Reduce(d, 4); }, false},
      {"implode 4K 2 trees", 6, 0,
       [](const std::string& d) { return test::Implode(d, false, false); }},
      {"implode 8K 2 trees", 6, 2,
       [](const std::string& d) { return test::Implode(d, true, false); }},
      {"implode 4K 3 trees", 6, 4,
       [](const std::string& d) { return test::Implode(d, false, true); }},
      {"implode 8K 3 trees", 6, 6,
       [](const std::string& d) { return test::Implode(d, true, true); }},
  };
}

std::vector<std::pair<const char*, std::string>> Inputs() {
  std::string dle;
  for (int i = 0; i < 3000; ++i) dle += static_cast<char>(i % 7 == 0 ? 0x90 : 'a' + i % 5);
  return {{"xml", test::XmlLike(60000, 11)},
          {"random", test::RandomBytes(5000, 12)},
          {"one letter", std::string(20000, 'a')},
          {"dle bytes", dle},
          {"single byte", "x"}};
}

TEST(ZipOldMethods, ExtractByteForByteAndUnzipAgrees) {
  TempDir dir;
  for (const Method& m : Methods()) {
    for (const auto& [what, data] : Inputs()) {
      SCOPED_TRACE(std::string(m.name) + " / " + what);
      std::string zip = dir / "old.zip";
      WriteFile(zip, test::RawArchive("data.bin", m.method, m.flags, m.encode(data), data));
      std::string out;
      if (m.peer_reads) EXPECT_EQ(Shell("unzip -tq " + Quote(zip), &out), 0) << out;
      TQorUnZip u;
      u.SetZipName(zip);
      u.SetDestDir(dir / "o");
      u.SetDoAll(true);
      u.SetOverwriteMode(TUZOverwriteMode::Always);
      EXPECT_EQ(u.Extract(), 1);
      EXPECT_TRUE(ReadFile(dir / "o/data.bin") == data);
      fs::remove_all(dir / "o");
    }
  }
}

TEST(ZipOldMethods, DamagedDataFailsTheCrcAndLeavesNoFile) {
  TempDir dir;
  std::string data = test::XmlLike(20000, 13);
  for (const Method& m : Methods()) {
    SCOPED_TRACE(m.name);
    std::string packed = m.encode(data);
    for (std::size_t k = packed.size() / 3; k < packed.size(); k += 97) packed[k] ^= 0x5A;
    packed.resize(packed.size() * 3 / 4);
    WriteFile(dir / "bad.zip", test::RawArchive("d.bin", m.method, m.flags, packed, data));
    TQorUnZip u;
    u.SetZipName(dir / "bad.zip");
    u.SetDestDir(dir / "o");
    u.SetDoAll(true);
    bool bad_crc = false;
    u.events.OnBadCRC = [&](std::uint32_t, std::uint32_t, int) { bad_crc = true; };
    EXPECT_EQ(u.Extract(), 0);
    EXPECT_TRUE(bad_crc);
    EXPECT_FALSE(fs::exists(dir / "o/d.bin"));
  }
}

TEST(ZipOldMethods, UnknownMethodIsReportedAndNothingKept) {
  TempDir dir;
  WriteFile(dir / "m9.zip", test::RawArchive("x.bin", 9, 0, "zzzz", "data"));
  struct Box : TZipInteraction {
    std::string text, caption;
    int ShowMessage(int id, const std::string& t, const std::string& c, unsigned) override {
      EXPECT_EQ(id, kMsgUnknownMethod);
      text = t;
      caption = c;
      return kIdOk;
    }
  } box;
  TQorUnZip u;
  u.SetInteraction(&box);
  u.SetZipName(dir / "m9.zip");
  u.SetDestDir(dir / "o");
  u.SetDoAll(true);
  EXPECT_EQ(u.Extract(), 0);
  EXPECT_EQ(box.text, "Unknown Compression Method");
  EXPECT_EQ(box.caption, "Zip Error");
  EXPECT_FALSE(fs::exists(dir / "o/x.bin"));
}

}  // namespace
}  // namespace kelmo::zip
