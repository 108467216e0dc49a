// kelmo.ini: reading and writing the code-page-1251 file, and the rules by
// which the start values follow from it, as a table of ini texts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringConverter>
#include <QTemporaryDir>

#include "shell/ini_file.h"
#include "shell/kelmo_ini.h"

using namespace kelmo;

namespace {

void WriteCp1251(const QString& path, const QString& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  QStringEncoder encode("windows-1251");
  file.write(encode(text));
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(IniFile, ReadsKeysWithoutRegardToCase) {
  QTemporaryDir dir;
  const QString path = dir.filePath("kelmo.ini");
  WriteCp1251(path,
              "[other]\r\nWHO=fund\r\n[OPTIONS]\r\n;WHO=commented\r\n  who = lpu \r\n"
              "KvillonPath=C:\\Квиллон\\\r\nEmpty=\r\nQuoted=\" a \"\r\nWHO=second\r\n");
  const IniFile ini(path);
  EXPECT_EQ(ini.ReadString("Options", "Who", "x"), QString("lpu"));
  EXPECT_EQ(ini.ReadString("options", "kvillonpath", ""), QString("C:\\Квиллон\\"));
  EXPECT_EQ(ini.Value("Options", "Empty"), std::optional<QString>(""));
  EXPECT_EQ(ini.ReadString("Options", "Quoted", ""), QString(" a "));
  EXPECT_EQ(ini.ReadString("Options", "Missing", "def"), QString("def"));
  EXPECT_EQ(ini.ReadString("Nowhere", "WHO", "def"), QString("def"));
  EXPECT_EQ(IniFile(dir.filePath("absent.ini")).ReadInteger("Options", "Oplat", 1), 1);
}

TEST(IniFile, WritingAKeyKeepsEveryOtherLine) {
  QTemporaryDir dir;
  const QString path = dir.filePath("kelmo.ini");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(KelmoIniTemplate());
  file.close();
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteString("Options", "KvillonPath", "/srv/квиллон/"));
  QByteArray expected = KelmoIniTemplate();
  QStringEncoder encode("windows-1251");
  expected.replace("KvillonPath=\r\n", "KvillonPath=" + encode(QString("/srv/квиллон/")) + "\r\n");
  EXPECT_EQ(ReadAll(path), expected);
  EXPECT_EQ(ini.ReadString("Options", "KvillonPath", ""), QString("/srv/квиллон/"));

  // A missing key joins the end of its section; a missing section is added.
  const QString other = dir.filePath("other.ini");
  WriteCp1251(other, "[Options]\r\nWHO=lpu\r\n\r\n[Next]\r\nA=1\r\n");
  IniFile second(other);
  ASSERT_TRUE(second.WriteString("Options", "KvillonPath", "/k/"));
  ASSERT_TRUE(second.WriteString("Extra", "B", "2"));
  EXPECT_EQ(ReadAll(other),
            QByteArray("[Options]\r\nWHO=lpu\r\nKvillonPath=/k/\r\n\r\n[Next]\r\nA=1\r\n"
                       "[Extra]\r\nB=2\r\n"));
}

TEST(KelmoIni, TemplateIsWrittenOnlyWhenMissing) {
  QTemporaryDir dir;
  const QString path = dir.filePath("kelmo.ini");
  ASSERT_TRUE(WriteKelmoIniTemplateIfMissing(path));
  EXPECT_EQ(ReadAll(path), KelmoIniTemplate());
  EXPECT_EQ(KelmoIniTemplate().count("\r\n"), 32);
  WriteCp1251(path, "[Options]\r\nWHO=fund\r\n");
  ASSERT_TRUE(WriteKelmoIniTemplateIfMissing(path));
  EXPECT_EQ(ReadAll(path), QByteArray("[Options]\r\nWHO=fund\r\n"));
  EXPECT_FALSE(WriteKelmoIniTemplateIfMissing(dir.filePath("no/folder/kelmo.ini")));
}

TEST(KelmoIni, StartValuesFollowTheRules) {
  struct Case {
    const char* name;
    QString ini;  // body of section Options; null: no file at all
    QString who;
    bool lpuRole;
    int whoDetail, ownSmo, payKind;
    bool aktEnabled, debug;
  } cases[] = {
      {"no file", QString(), "lpu", true, 1, 0, 1, false, false},
      {"template", QString::fromLatin1(KelmoIniTemplate()), "lpu", true, 1, 0, 1, false, false},
      {"upper LPU", "WHO=LPU", "LPU", false, 1, 0, 1, false, false},
      {"empty WHO", "WHO=", "", false, 1, 0, 1, false, false},
      {"insurer 2779", "Who_Detail=2779", "lpu", true, 2779, 45002, 1, false, false},
      {"insurer 2778", "who_detail=2778", "lpu", true, 2778, 45001, 1, false, false},
      {"fund", "Who_Detail=2", "lpu", true, 2, 0, 1, false, false},
      {"garbage party", "Who_Detail=fund", "lpu", true, 1, 0, 1, false, false},
      {"empty party", "Who_Detail=", "lpu", true, 1, 0, 1, false, false},
      {"fraction party", "Who_Detail=2.5", "lpu", true, 1, 0, 1, false, false},
      {"payment ВМП", "Oplat=6", "lpu", true, 1, 0, 6, false, false},
      {"payment garbage", "Oplat=ОМС", "lpu", true, 1, 0, 1, false, false},
      {"payment out of range", "Oplat=9", "lpu", true, 1, 0, 1, false, false},
      {"payment zero", "Oplat=0", "lpu", true, 1, 0, 1, false, false},
      {"acts for an institution", "AKTConStr=DSN=acts", "lpu", true, 1, 0, 1, false, false},
      {"acts for the fund", "AKTConStr=DSN=acts\r\nWho_Detail=2", "lpu", true, 2, 0, 1, true,
       false},
      {"acts commented", ";AKTConStr=DSN=acts\r\nWho_Detail=2", "lpu", true, 2, 0, 1, false, false},
      {"debug", "MyComp=true", "lpu", true, 1, 0, 1, false, true},
      {"debug upper", "MyComp=TRUE", "lpu", true, 1, 0, 1, false, false},
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kelmo.ini");
    if (!c.ini.isNull()) {
      const QString text = c.ini.startsWith("[") ? c.ini : "[Options]\r\n" + c.ini + "\r\n";
      if (c.ini.startsWith("[")) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(KelmoIniTemplate());
      } else {
        WriteCp1251(path, text);
      }
    }
    const StartConfig config = ReadStartConfig(IniFile(path));
    EXPECT_EQ(config.WHO, c.who) << c.name;
    EXPECT_EQ(config.IsLpuRole(), c.lpuRole) << c.name;
    EXPECT_EQ(config.WhoDetail.Code(), c.whoDetail) << c.name;
    EXPECT_EQ(config.OwnSmoCode(), c.ownSmo) << c.name;
    EXPECT_EQ(Code(config.PayKind), c.payKind) << c.name;
    EXPECT_EQ(config.AktEnabled, c.aktEnabled) << c.name;
    EXPECT_EQ(config.DebugMessages, c.debug) << c.name;
  }
}

TEST(KelmoIni, PathsAsWritten) {
  QTemporaryDir dir;
  const QString path = dir.filePath("kelmo.ini");
  WriteCp1251(path, "[Options]\r\nIBDBase=\r\nREPPATH= \t/data/Реестры/ \r\n");
  const IniFile ini(path);
  const StartConfig config = ReadStartConfig(ini);
  EXPECT_TRUE(config.IBDBaseGiven);
  EXPECT_TRUE(config.IBDBase.isEmpty());
  EXPECT_FALSE(config.CSbaseGiven);
  EXPECT_EQ(ReadRepPath(ini, "/root/"), QString("/data/Реестры/"));
  EXPECT_EQ(ReadRepPath(IniFile(dir.filePath("none.ini")), "/root/"), QString("/root/"));

  // ExcelPath comes only from "Kelmo.ini" beside the executable.
  EXPECT_TRUE(ReadExcelPath(dir.path()).isEmpty());
  WriteCp1251(dir.filePath("Kelmo.ini"), "[Options]\r\nExcelPath=/opt/kelmo/Mould\r\n");
  EXPECT_EQ(ReadExcelPath(dir.path()), QString("/opt/kelmo/Mould"));
}

// The upload's folders: the data folder's SpATemp and VipNet when the keys
// are missing or blank; a value trimmed, "\" a separator, a relative one in
// the data folder.
TEST(KelmoIni, UploadFoldersLieInTheDataFolderByDefault) {
  QTemporaryDir dir;
  const QString path = dir.filePath("kelmo.ini");
  struct Case {
    const char* lines;
    QString work, root;
  } cases[] = {
      {"", dir.filePath("SpATemp"), dir.filePath("VipNet")},
      {"UploadTempPath= \r\nUploadPath=\r\n", dir.filePath("SpATemp"), dir.filePath("VipNet")},
      {"uploadtemppath= /var/tmp/spa/ \r\nUPLOADPATH=\\mnt\\ДОКУМЕНТ\\VipNet\\\r\n", "/var/tmp/spa",
       "/mnt/ДОКУМЕНТ/VipNet"},
      {"UploadTempPath=work\\spa\r\nUploadPath=../transport\r\n", dir.filePath("work/spa"),
       QDir::cleanPath(dir.filePath("../transport"))},
  };
  for (const Case& c : cases) {
    WriteCp1251(path, QString("[Options]\r\n") + QString::fromUtf8(c.lines));
    const UploadFolders folders = ReadUploadFolders(IniFile(path));
    EXPECT_EQ(folders.WorkFolder, c.work) << c.lines;
    EXPECT_EQ(folders.UploadRoot, c.root) << c.lines;
  }
}

}  // namespace
