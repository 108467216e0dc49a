// What the tests of the split by insurer share: files made in a folder, the
// zip packages looked into with Info-ZIP and Python's zipfile, the uploaded
// reports counted, and a registry with cases of both regional insurers and
// of an out-of-region one.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "firebird/fb_query.h"
#include "reception_fixture.h"
#include "reception_harness.h"

namespace kelmo::test {

inline void Touch(const QString& path, const QByteArray& bytes = "x") {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// The lines a Python script prints about a zip package, which it opens with
// zipfile as `z` (names in the DOS code page) and tests entry by entry;
// empty when the package does not open or fails its test.
inline QStringList PythonOnPackage(const QString& package, const char* script) {
  QProcess python;
  python.start("/usr/bin/python3",
               {"-c",
                QStringLiteral("import sys, zipfile\n"
                               "z = zipfile.ZipFile(sys.argv[1], metadata_encoding='cp866')\n"
                               "assert z.testzip() is None\n") +
                    QString::fromUtf8(script),
                package});
  python.waitForFinished(60000);
  if (python.exitCode() != 0) return {};
  return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// The names of the entries of a package.
inline QStringList PackageEntries(const QString& package) {
  return PythonOnPackage(package, "print('\\n'.join(z.namelist()))\n");
}

// The number of cases (ZAP elements) of each XML entry of a package, as
// "name:count".
inline QStringList CasesOfEntries(const QString& package) {
  return PythonOnPackage(package,
                         "for n in z.namelist():\n"
                         "    if n.lower().endswith('.xml'):\n"
                         "        print(n + ':' + str(z.read(n).count(b'<ZAP>')))\n");
}

inline int UnzipTest(const QString& package) {
  return QProcess::execute("unzip", {"-tq", package});
}

// The one package of a folder (the packages take the month's next numbers
// of the test program's database); empty when there is not exactly one.
inline QString OnlyZip(const QString& folder) {
  const QStringList zips = QDir(folder).entryList({"*.zip"}, QDir::Files);
  return zips.size() == 1 ? QDir(folder).filePath(zips[0]) : QString();
}

inline int Uploaded(ReceptionHarness& h) {
  FbQuery q(h.W().ibdb);
  q.setSql("select count(*) from reports where uploaded=1");
  q.Open();
  return q.Value(0, 0).toInt();
}

// The DBF registry of March 2024 in the harness's registry folder: one case
// insured by 2778, one by 2779 and one by the out-of-region insurer 66004,
// which the database learns here; the institution's code is `mcod`.
inline void BuildThreeInsurerRegistry(ReceptionHarness& h, const QString& mcod = "450001") {
  {
    FbQuery q(h.W().ibdb, &h.W().ibtr);
    q.setSql(
        "update or insert into smo (o_cod, o_terr, smocod, terr_okato, name) values (66004, "
        "'4500', '66004', '65000', 'Страховая компания «Уралсто»') matching (o_cod)");
    q.ExecSQL();
    h.W().ibtr.Commit();
  }
  RegistryCase a;
  a.polis = "2778";
  a.mcod = mcod;
  RegistryCase b;
  b.mcod = mcod;
  b.id = 2;
  b.nomib = "102";
  b.family = "ПЕТРОВ";
  b.polis = "2779";
  b.in = QDate(2024, 3, 5);
  b.out = QDate(2024, 3, 15);
  RegistryCase c = b;
  c.id = 3;
  c.nomib = "103";
  c.family = "ГОСТЕВА";
  c.polObl = "4500";
  c.polis = "66004";
  BuildRegistry(h.registry, {a, b, c});
}

}  // namespace kelmo::test
