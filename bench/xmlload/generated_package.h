// The generated XML package of the loading and export benchmarks: the cases
// of the DBF loading benchmark's shape (about 1.3 treatment sheets a case,
// an accompanying and a complication diagnosis on the first sheet, an
// operation for every second case), their policies alternating between the
// region's two insurers.
#pragma once

#include <QFile>
#include <QString>
#include <QStringEncoder>

namespace kelmo::bench {

inline const QString kPackage = QStringLiteral("HS45001M450001_2403001");

// The person file and the main file of the package, written case by case.
inline void GeneratePackage(const QString& folder, int cases) {
  QStringEncoder encode("windows-1251");
  QFile persons(folder + "/L" + kPackage.mid(1) + ".xml");
  QFile main(folder + "/" + kPackage + ".xml");
  persons.open(QIODevice::WriteOnly);
  main.open(QIODevice::WriteOnly);
  persons.write(
      encode(QStringLiteral("<?xml version=\"1.0\" "
                            "encoding=\"windows-1251\"?>\n<PERS_LIST><ZGLV><VERSION>3.2</VERSION>"
                            "<FILENAME1>%1</FILENAME1></ZGLV>\n")
                 .arg(kPackage)));
  main.write(encode(QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<ZL_LIST><ZGLV><VERSION>3.2</VERSION>"
      "</ZGLV><SCHET><CODE>7</CODE><NSCHET>11</NSCHET><DSCHET>2024-04-02</DSCHET></SCHET>\n")));
  const char* families[] = {"Иванов", "Петров", "Сидорова", "Смирнов", "Кузнецова"};
  for (int i = 1; i <= cases; ++i) {
    const QString id = QString::number(i);
    persons.write(encode(
        QStringLiteral("<PERS><ID_PAC>%1</ID_PAC><FAM>%2</FAM><IM>Иван</IM><OT>Иванович</OT>"
                       "<W>%3</W><DR>1970-05-01</DR><DOCTYPE>14</DOCTYPE><DOCSER>45 01</DOCSER>"
                       "<DOCNUM>123456</DOCNUM></PERS>\n")
            .arg(id, QString::fromUtf8(families[i % 5]), QString::number(1 + i % 2))));
    const int sheets = i % 10 < 3 ? 2 : 1;
    QString sl;
    for (int n = 1; n <= sheets; ++n) {
      sl += QStringLiteral(
                "<SL><SL_ID>%1</SL_ID><PROFIL>29</PROFIL><PROFIL_K>%1</PROFIL_K><DATE_1>%2</DATE_1>"
                "<DATE_2>%3</DATE_2><DS1>I10</DS1><CODE_MES1>1234567</CODE_MES1>"
                "<IDDOKT>76</IDDOKT><PRVS>76</PRVS><RSLT>101</RSLT><ISHOD>101</ISHOD>"
                "<SUM_M>15000.50</SUM_M>")
                .arg(QString::number(n), n == 1 ? "2024-03-01" : "2024-03-05",
                     n == sheets ? "2024-03-10" : "2024-03-05");
      if (n == 1) sl += QStringLiteral("<DS2><CODE_DS>E11.9</CODE_DS></DS2><DS3>I50</DS3>");
      if (n == 1 && i % 2 == 0)
        sl += QStringLiteral(
            "<USL><CODE_USL>A16.14.009</CODE_USL><DATE_IN>2024-03-03</DATE_IN>"
            "<KOL_USL>1</KOL_USL></USL>");
      sl += QStringLiteral("</SL>");
    }
    main.write(encode(
        QStringLiteral("<ZAP><N_ZAP>%1</N_ZAP><PR_NOV>0</PR_NOV><PACIENT><ID_PAC>%1</ID_PAC>"
                       "<VPOLIS>3</VPOLIS><NPOLIS>%2</NPOLIS><SMO>%3</SMO><SMO_OK>37000</SMO_OK>"
                       "<NOVOR>0</NOVOR></PACIENT><Z_SL><IDCASE>%1</IDCASE><USL_OK>1</USL_OK>"
                       "<VIDPOM>31</VIDPOM><LPU>450001</LPU><DATE_Z_1>2024-03-01</DATE_Z_1>"
                       "<DATE_Z_2>2024-03-10</DATE_Z_2><RSLT>101</RSLT><ISHOD>101</ISHOD>"
                       "<NHISTORY>%1</NHISTORY><DS1>I10</DS1><P_PER>1</P_PER></Z_SL>%4</ZAP>\n")
            .arg(id, QString::number(4500000000000000LL + i), i % 2 ? "45001" : "45002", sl)));
  }
  persons.write("</PERS_LIST>\n");
  main.write("</ZL_LIST>\n");
}

}  // namespace kelmo::bench
