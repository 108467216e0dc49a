// The lists package identification leaves for one XML package of the tests
// and benchmarks: the package `mainName` (its main file, "H...") sent by
// institution 450001 (LPU id 1) to the first insurer, invoice 11 of code 7
// dated 2 April 2024, and one report of round-the-clock stays in the local
// pass; and the loading inputs of an institution's March 2024 report.
#pragma once

#include <QDate>
#include <QString>

#include "domain/package_lists.h"
#include "xmlload/xml_package_loader.h"

namespace kelmo::test {

inline PackageLists OnePackageLists(const QString& mainName) {
  rFile f;
  f.SourceName = mainName + QStringLiteral(".zip");
  f.NSchet = QStringLiteral("11");
  f.Code = 7;
  f.DSchet = QDate(2024, 4, 2);
  f.LName = QLatin1Char('L') + mainName.mid(1);
  f.HName = mainName;
  rAdresat a;
  a.Kind = PartyKind::Insurer;
  a.Number = 1;
  a.Files << f;
  rSender sender;
  sender.Number = 450001;
  sender.LpuId = 1;
  sender.Kind = PartyKind::Institution;
  sender.Adresats << a;
  PackageLists lists;
  lists.SenderList << sender;
  rRepn report;
  report.TipStac = 1;
  lists.ReportLists[Population::Local] << report;
  return lists;
}

inline XmlLoadInputs MarchLoadInputs(const QString& registryFolder) {
  XmlLoadInputs in;
  in.RegistryFolder = registryFolder;
  in.WhoDetail = WhoDetail(1);
  in.YearText = QStringLiteral("2024");
  in.MonthIndex = 2;
  in.PeriodStart = QDate(2024, 3, 1);
  in.PeriodEnd = QDate(2024, 3, 31);
  return in;
}

}  // namespace kelmo::test
