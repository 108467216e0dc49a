// The package of an XML export: its name, its entries in their order (Cyrillic
// names included) as Info-ZIP's unzip and Python's zipfile read them, the
// contents byte for byte, the XML files removed after packing, a package
// written afresh over an earlier one, and the names left out (missing files,
// a link out of the folder).
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "documents/export_package.h"

using namespace kelmo;

namespace {

void Put(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// Runs a program; its exit code, its output into `out`.
int RunProgram(const QString& program, const QStringList& args, QString* out) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForFinished(60000)) return -1;
  *out = QString::fromUtf8(p.readAll());
  return p.exitCode();
}

// The entries as Python's zipfile lists them (names in the DOS code page),
// each with the SHA-1 of its data, after its own test of every entry.
const char* const kPythonList = R"(
import hashlib, sys, zipfile
z = zipfile.ZipFile(sys.argv[1], metadata_encoding='cp866')
bad = z.testzip()
if bad: sys.exit('bad entry ' + bad)
for i in z.infolist():
    print(i.filename, i.compress_type, hashlib.sha1(z.read(i)).hexdigest(), sep='|')
)";

class ExportPackage : public ::testing::Test {
 protected:
  ExportPackage() {
    temp = QDir(dir.path()).filePath(QStringLiteral("temp"));
    in.ExportFolder = QDir(temp).filePath(QStringLiteral("2778"));
    in.TempFolder = temp;
    in.SenderNumber = 450001;
    in.File.LName = QStringLiteral("LM450001S45001_2403001");
    in.File.HName = QStringLiteral("HM450001S45001_2403001");
    in.File.LcName = QStringLiteral("LCM450001S45001_2403001");
    in.File.CName = QStringLiteral("CM450001S45001_2403001");
  }

  QString Export(const QString& name) const { return QDir(in.ExportFolder).filePath(name); }
  QString Temp(const QString& name) const { return QDir(temp).filePath(name); }

  // name|method|sha1 per entry, through Python.
  QStringList PythonEntries(const QString& package) {
    QString out;
    EXPECT_EQ(RunProgram(QStringLiteral("/usr/bin/python3"),
                         {QStringLiteral("-c"), QString::fromUtf8(kPythonList), package}, &out),
              0)
        << out.toStdString();
    return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }

  static QString Sha1(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
  }

  QTemporaryDir dir;
  QString temp;
  ExportPackageInputs in;
};

}  // namespace

TEST_F(ExportPackage, HoldsTheDocumentsTheReferenceFilesAndTheRegistersInOrder) {
  struct File {
    QString path;
    QByteArray bytes;
  };
  const QByteArray big = QByteArray("<ZAP><N_ZAP>1</N_ZAP></ZAP>\r\n").repeated(2000);
  const QList<File> files = {
      {Export(in.File.LName + ".xml"), "<?xml version=\"1.0\"?><PERS_LIST/>"},
      {Export(in.File.HName + ".xml"), big},
      {Export(in.File.LcName + ".xml"), "<PERS_LIST/>"},
      {Export(in.File.CName + ".xml"), "<ZL_LIST/>"},
      {Temp("EMP_LIST_450001.XML"), "<EMP/>"},
      {Temp("DEP_LIST_450001.XML"), "<DEP/>"},
      {Temp("HOLDING.XML"), "<HOLDING/>"},
      {Export("Sreestr1(ОМС)_Бервин.xlsx"), "PK\x03\x04 register one"},
      {Export("Sreestr2(ОМС)_Бервин.xlsx"), ""},
  };
  for (const File& f : files) Put(f.path, f.bytes);
  // An earlier run's package of the name, with an entry this run does not
  // write.
  ExportPackageInputs earlier = in;
  Put(Export("old.txt"), "stale");
  earlier.Workbooks = {Export("old.txt")};
  PackExport(earlier);
  for (const File& f : files.mid(0, 4)) Put(f.path, f.bytes);
  in.Workbooks = {files[7].path, files[8].path};

  const QString package = PackExport(in);
  EXPECT_EQ(package, Export(in.File.HName + ".zip"));
  QStringList wanted;
  for (const File& f : files) wanted << QFileInfo(f.path).fileName() + "|8|" + Sha1(f.bytes);
  EXPECT_EQ(PythonEntries(package), wanted);
  // Info-ZIP tests every entry and shows the names in UTF-8.
  QString out;
  EXPECT_EQ(RunProgram(QStringLiteral("unzip"), {QStringLiteral("-t"), package}, &out), 0)
      << out.toStdString();
  EXPECT_EQ(RunProgram(QStringLiteral("unzip"), {QStringLiteral("-Z1"), package}, &out), 0);
  EXPECT_TRUE(out.contains(QStringLiteral("Sreestr1(ОМС)_Бервин.xlsx"))) << out.toStdString();
  // The XML files packed are gone; the package, the registers and the
  // reference files stay.
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(QFileInfo::exists(files[i].path)) << i;
  for (int i = 4; i < files.size(); ++i) EXPECT_TRUE(QFileInfo::exists(files[i].path)) << i;
}

TEST_F(ExportPackage, OncologyOnlyMissingFilesAndALinkOutOfTheFolder) {
  // A package described by the program with oncology cases only: named after
  // HName all the same, the ordinary pair missing.
  Put(Export(in.File.LcName + ".xml"), "<PERS_LIST/>");
  Put(Export(in.File.CName + ".xml"), "<ZL_LIST/>");
  // A reference file that is a link to a file outside "temp" is not packed.
  Put(QDir(dir.path()).filePath("secret.txt"), "secret");
  ASSERT_TRUE(QFile::link(QDir(dir.path()).filePath("secret.txt"), Temp("EMP_LIST_450001.XML")));
  Put(Temp("HOLDING.XML"), "<HOLDING/>");
  const QString package = PackExport(in);
  EXPECT_EQ(package, Export(in.File.HName + ".zip"));
  QStringList names;
  for (const QString& line : PythonEntries(package)) names << line.section('|', 0, 0);
  EXPECT_EQ(names, QStringList({in.File.LcName + ".xml", in.File.CName + ".xml", "HOLDING.XML"}));

  // Without an ordinary main file the package takes the oncology file's name
  // with "H" in front.
  in.File.HName.clear();
  in.File.LName.clear();
  EXPECT_EQ(ExportPackageFile(in), Export("HM450001S45001_2403001.zip"));
  in.File.CName = QStringLiteral("CTM450001S45001_2403001");
  EXPECT_EQ(ExportPackageFile(in), Export("HTM450001S45001_2403001.zip"));
}
