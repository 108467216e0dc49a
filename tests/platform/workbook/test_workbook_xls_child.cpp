// Legacy .xls files read in a child process: the child's failures, hangs and
// floods become errors naming the file, and its answer is checked record by
// record.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

#include "workbook/workbook.h"
#include "workbook/workbook_error.h"
#include "workbook/xls_child.h"
#include "workbook/xls_stream.h"

namespace fs = std::filesystem;
using namespace kelmo::workbook;

namespace {

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const WorkbookError& e) {
    return e.what();
  }
  return "no error";
}

class XlsChildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kelmo-xls-child-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Program(const std::string& name, const std::string& text) {
    const fs::path p = dir_ / name;
    std::ofstream(p) << text;
    chmod(p.c_str(), 0755);
    return p.string();
  }
  fs::path dir_;
};

}  // namespace

TEST_F(XlsChildTest, ChildFailuresNameTheFile) {
  const std::string file = (dir_ / "sfakt1.xls").string();
  XlsChildLimits quick;
  quick.wallSeconds = 2;
  quick.cpuSeconds = 1;
  quick.answerBytes = 1 << 20;
  quick.memoryBytes = size_t{256} << 20;
  struct Case {
    const char* name;
    std::string script;
    const char* reason;
  } cases[] = {
      {"crash", "#!/bin/sh\nkill -SEGV $$\n", "чтение прервано, файл повреждён (сигнал 11)"},
      {"hang", "#!/bin/sh\nexec sleep 30\n", "время чтения истекло"},
      {"spin", "#!/bin/sh\nwhile :; do :; done\n", "время чтения истекло"},
      {"flood", "#!/bin/sh\nexec cat /dev/zero\n", "ответ чтения слишком велик"},
      {"greedy", "#!/usr/bin/python3\nx = bytearray(2 << 30)\n", "чтение прервано, код 1"},
      {"writer", "#!/bin/sh\necho x > " + (dir_ / "written").string() + " || exit 4\n",
       "чтение прервано, файл повреждён (сигнал 25)"},  // files are not written
  };
  for (const auto& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorOf([&] { RunXlsReader(Program(c.name, c.script), file, quick); }),
              file + ": книга .xls не читается (" + c.reason + ")")
        << c.name;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << c.name;
  }
  EXPECT_EQ(ErrorOf([&] { RunXlsReader((dir_ / "none").string(), file); }),
            file + ": книга .xls не читается (программа чтения не запускается: " +
                (dir_ / "none").string() + ")");
}

TEST_F(XlsChildTest, DamagedXlsIsAnErrorNamingIt) {
  // The reader program stands beside the test program.
  const std::string file = (dir_ / "bad.xls").string();
  for (const std::string& bytes :
       {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\xFF'),
        std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(4096, '\0')}) {
    std::ofstream(file, std::ios::binary) << bytes;
    const std::string error = ErrorOf([&] { Workbook::Open(file); });
    EXPECT_EQ(error.rfind(file + ": книга .xls не читается (", 0), 0u) << error;
  }
}

TEST(XlsStream, AnswersAreCheckedRecordByRecord) {
  std::string good;
  {
    XlsStreamWriter w(good);
    w.Sheet("Свод");
    w.Number(0, 0, 310);
    w.Text(16, 2, "Всего");
    w.Sheet("Свод");  // a repeated name takes a numbered one
    w.Sheet("\x01");  // a name that a workbook part cannot hold
    w.Number(1048575, 16383, -0.5);
    w.End();
  }
  auto wb = Workbook::Create();
  ReadXlsStream(good, "g.xls", *wb);
  ASSERT_EQ(wb->SheetCount(), 3u);
  EXPECT_EQ(wb->Sheet(0).Name(), "Свод");
  EXPECT_EQ(wb->Sheet(1).Name(), "Лист2");
  EXPECT_EQ(wb->Sheet(2).Name(), "Лист3");
  EXPECT_EQ(wb->Sheet(0).Value(1, 1).Number(), 310);
  EXPECT_EQ(wb->Sheet(0).Text(17, 3), "Всего");
  EXPECT_EQ(wb->Sheet(2).Value(1048576, 16384).Number(), -0.5);

  const auto stream = [](const std::function<void(XlsStreamWriter&)>& write) {
    std::string out;
    XlsStreamWriter w(out);
    write(w);
    return out;
  };
  const std::string damaged = "b.xls: книга .xls не читается (ответ чтения повреждён)";
  struct Case {
    std::string bytes;
    std::string error;
  } cases[] = {
      {"", damaged},
      {"KXLS2\nZ", damaged},
      {stream([](auto& w) { w.Number(0, 0, 1); }), damaged},  // a cell before any sheet
      {stream([](auto& w) { w.Sheet("a"); }), damaged},       // no end
      {stream([](auto& w) { w.End(); }), damaged},            // no sheet
      {stream([](auto& w) { w.Sheet("a"), w.End(), w.End(); }), damaged},
      {stream([](auto& w) { w.Sheet("a"), w.Number(1048576, 0, 1), w.End(); }), damaged},
      {stream([](auto& w) { w.Sheet("a"), w.Number(0, 16384, 1), w.End(); }), damaged},
      {stream([](auto& w) { w.Sheet("a"), w.Number(0, 0, NAN), w.End(); }), damaged},
      {stream([](auto& w) { w.Sheet("a"), w.Number(0, 0, -INFINITY), w.End(); }), damaged},
      {stream([](auto& w) { w.Sheet("a"), w.Text(0, 0, "xyz"); }).substr(0, 20), damaged},
      {stream([](auto& w) { w.Sheet("a"); }) + "Q", damaged},
      {stream([](auto& w) { w.Sheet("\xD0\xA1\xB2\xD0"), w.End(); }), damaged},
      {stream([](auto& w) { w.Sheet("a"), w.Text(0, 0, "\xC0\x80"), w.End(); }), damaged},
      {stream([](auto& w) { w.Sheet("a"), w.Text(0, 0, "\xED\xA0\x80"), w.End(); }), damaged},
      {stream([](auto& w) { w.Error(static_cast<int32_t>(XlsFault::Password)); }),
       "b.xls: книга .xls не читается (защищена паролем)"},
      {stream([](auto& w) { w.Error(-99); }), "b.xls: книга .xls не читается (ошибка -99)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ErrorOf([&] { ReadXlsStream(c.bytes, "b.xls", *Workbook::Create()); }), c.error)
        << testing::PrintToString(c.bytes);
  std::string many;
  {
    XlsStreamWriter w(many);
    for (int i = 0; i < 300; ++i) w.Sheet("s" + std::to_string(i));
    w.End();
  }
  EXPECT_EQ(ErrorOf([&] { ReadXlsStream(many, "m.xls", *Workbook::Create()); }),
            "m.xls: книга .xls не читается (слишком много листов)");
}
