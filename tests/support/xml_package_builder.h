// Package files of the federal exchange format built by code for the tests
// and the benchmark: a person file and a main file, encoded in code page
// 1251 as the registries are, written into a package folder or a zip.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "zip/zip_writer.h"

namespace kelmo::test {

// One PERS element; `extra` is inserted as it is.
struct XPerson {
  QString idPac = QStringLiteral("P1");
  QString fam = QStringLiteral("Петров");
  QString im = QStringLiteral("Пётр");
  QString ot = QStringLiteral("Петрович");
  int w = 1;
  QString dr = QStringLiteral("1960-05-20");
  QString docType = QStringLiteral("14");
  QString docSer = QStringLiteral("4510");
  QString docNum = QStringLiteral("123456");
  QString extra;
};

// One SL element: the usual children, and `extra` inserted as it is.
struct XSheet {
  QString slId = QStringLiteral("1");
  QString ds1 = QStringLiteral("I10");
  QString codeMes1 = QStringLiteral("1001001");
  QString date1 = QStringLiteral("2024-03-01");
  QString date2 = QStringLiteral("2024-03-10");
  QString profil = QStringLiteral("29");
  QString profilK = QStringLiteral("12");
  QString sumM = QStringLiteral("15000.50");
  QString extra;
};

// One ZAP element with its PACIENT, its Z_SL and its SL elements (children
// of the ZAP, where the loader reads them).
struct XCase {
  QString idPac = QStringLiteral("P1");
  QString smoOk = QStringLiteral("37000");
  QString smo = QStringLiteral("45001");
  int idcase = 1;
  QString nhistory = QStringLiteral("101");
  int vidpom = 31;
  int uslOk = 1;
  QString dateZ1 = QStringLiteral("2024-03-01");
  QString dateZ2 = QStringLiteral("2024-03-10");
  int rslt = 101;
  int ishod = 101;
  QString pacientExtra;
  QString zslExtra;
  std::vector<XSheet> sheets{XSheet{}};
};

inline QString Element(const char* name, const QString& text) {
  return QStringLiteral("<%1>%2</%1>").arg(QLatin1String(name), text);
}

inline QString SheetXml(const XSheet& s) {
  return QStringLiteral("<SL>") + Element("SL_ID", s.slId) + Element("PROFIL", s.profil) +
         Element("PROFIL_K", s.profilK) + Element("DATE_1", s.date1) + Element("DATE_2", s.date2) +
         Element("DS1", s.ds1) + Element("CODE_MES1", s.codeMes1) +
         Element("IDDOKT", QStringLiteral("1234")) + Element("SUM_M", s.sumM) + s.extra +
         QStringLiteral("</SL>");
}

inline QString CaseXml(const XCase& c) {
  QString sheets;
  for (const XSheet& s : c.sheets) sheets += SheetXml(s);
  return QStringLiteral("<ZAP>") + Element("N_ZAP", QString::number(c.idcase)) +
         Element("PR_NOV", QStringLiteral("0")) + QStringLiteral("<PACIENT>") +
         Element("ID_PAC", c.idPac) + Element("VPOLIS", "3") +
         Element("NPOLIS", QStringLiteral("4550000000000001")) + Element("SMO", c.smo) +
         Element("SMO_OK", c.smoOk) + Element("NOVOR", QStringLiteral("0")) + c.pacientExtra +
         QStringLiteral("</PACIENT><Z_SL>") + Element("IDCASE", QString::number(c.idcase)) +
         Element("USL_OK", QString::number(c.uslOk)) +
         Element("VIDPOM", QString::number(c.vidpom)) + Element("LPU", QStringLiteral("450001")) +
         Element("DATE_Z_1", c.dateZ1) + Element("DATE_Z_2", c.dateZ2) +
         Element("RSLT", QString::number(c.rslt)) + Element("ISHOD", QString::number(c.ishod)) +
         Element("NHISTORY", c.nhistory) + Element("DS1", QStringLiteral("I10")) + c.zslExtra +
         QStringLiteral("</Z_SL>") + sheets + QStringLiteral("</ZAP>");
}

inline QByteArray Cp1251(const QString& text) {
  QStringEncoder encode("windows-1251");
  return encode(text);
}

inline QString PersonXml(const XPerson& p) {
  return QStringLiteral("<PERS>") + Element("ID_PAC", p.idPac) + Element("FAM", p.fam) +
         Element("IM", p.im) + Element("OT", p.ot) + Element("W", QString::number(p.w)) +
         Element("DR", p.dr) + Element("DOCTYPE", p.docType) + Element("DOCSER", p.docSer) +
         Element("DOCNUM", p.docNum) + p.extra + QStringLiteral("</PERS>");
}

inline QByteArray PersonFileBytes(const QString& mainName, const std::vector<XPerson>& persons,
                                  const QString& dataFormat = {}) {
  QString text =
      QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<PERS_LIST><ZGLV>") +
      Element("VERSION", QStringLiteral("3.2")) + Element("FILENAME", "L" + mainName) +
      Element("FILENAME1", mainName) +
      (dataFormat.isEmpty() ? QString() : Element("DATA_FORMAT", dataFormat)) +
      QStringLiteral("</ZGLV>");
  for (const XPerson& p : persons) text += PersonXml(p);
  return Cp1251(text + QStringLiteral("</PERS_LIST>"));
}

inline QByteArray MainFileBytes(const std::vector<XCase>& cases,
                                const QString& exprVer = QStringLiteral("3.1/7")) {
  QString text =
      QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<ZL_LIST><ZGLV>") +
      Element("VERSION", QStringLiteral("3.2")) + Element("EXPR_VER", exprVer) +
      QStringLiteral("</ZGLV><SCHET>") + Element("CODE", "7") + Element("NSCHET", "11") +
      Element("DSCHET", QStringLiteral("2024-04-02")) + QStringLiteral("</SCHET>");
  for (const XCase& c : cases) text += CaseXml(c);
  return Cp1251(text + QStringLiteral("</ZL_LIST>"));
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  f.write(bytes);
}

// A zip archive of the named entries, written with the project's library.
inline void WriteZipPackage(const QString& path, const QMap<QString, QByteArray>& entries) {
  zip::TQorZip z;
  z.SetZipName(path.toStdString());
  for (auto it = entries.begin(); it != entries.end(); ++it)
    z.AddFromMemory(it.key().toStdString(),
                    std::vector<std::uint8_t>(it.value().begin(), it.value().end()));
  z.Compress();
}

}  // namespace kelmo::test
