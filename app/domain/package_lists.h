// The package lists: what the registry folder (or, when the fund or an insurer
// forms, the registry database) holds for the reception run, the XML loading
// and the insurer documents. Process-wide run state of the main window's
// unit, defined here once; later code adds its fields here rather than keeping
// copies. Read and written on the GUI thread only.
//
// Writers: the package identification and the data-file choice dialog, and
// the package description after a DBF registry is loaded. Readers: the
// reception run, the XML loading, the insurer documents.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "domain_codes.h"
#include "money.h"

namespace kelmo {

// One package of an addressee. The four base names carry no extension; the
// files are "<base>.xml" in the package's folder "temp/<SourceName>".
struct rFile {
  // The package's file name as found in the registry folder, extension
  // included ("HT45M450001_2401001.zip").
  QString SourceName;
  // Invoice head of the package (the oncology file's head is read last).
  QString NSchet;
  int Code = 0;
  QDate DSchet;
  // Person file "L" + body; main file (the package name without extension);
  // oncology person file "LC" + body; oncology file "C" + body. Empty when
  // the package holds none.
  QString LName;
  QString HName;
  QString LcName;
  QString CName;
};

// One addressee of the sender.
struct rAdresat {
  // "M" + institution code number, "S" + insurer exchange code, or "T45".
  QString Code;
  PartyKind Kind = PartyKind::Unknown;
  // Institution: its code number (mcod); insurer: 1 for 45001, 2 for 45002;
  // fund: 1 (3 when the fund forms from the database); 0 not recognised.
  int Number = 0;
  QString Name;
  // At most one package whose name begins with "H" and one with "T", the H
  // package first.
  QList<rFile> Files;
  bool HasTFile = false;
  bool HasHFile = false;
  // In-patient types 1..4 present, at index type - 1.
  std::array<bool, 4> StacTypes{};
};

// One sender; `SenderList` holds at most one after an accepted identification.
struct rSender {
  QString Code;
  PartyKind Kind = PartyKind::Unknown;
  int Number = 0;
  // The institution's LPU id (lpu.id); 0 for other parties.
  int LpuId = 0;
  QString Name;
  // In order of first appearance.
  QList<rAdresat> Adresats;
};

// One insurer entry of a report.
struct rSMOf {
  // Exchange code of the addressee: 45001, 45002 or 45.
  int SmoCode = 0;
  // Package number (xml_files.num).
  int Num = 0;
  QString NSchet;
  int Code = 0;
  QDate DSchet;
};

// One report of the run.
struct rRepn {
  // REPN: from the database when forming from it; 0 for an entry made from a
  // package head until the XML loading draws one.
  int Repn = 0;
  // In-patient type 1..4; 0 marks an entry being removed.
  std::uint8_t TipStac = 0;
  QList<rSMOf> Smos;
  // The report's invoice sum and its second sum, accumulated by the XML
  // loading and totalled by the act summary.
  Money SumInvoice;
  Money SumCalc;
};

// One stage (treatment sheet) of a case read from a package: its sheet
// number and the amounts the package gives for it (SUM_M, SUMV_ONE).
struct oStage {
  int Number = 0;
  double SumM = 0;
  double SumvOne = 0;
};

// One case read from a package: its case id in the registry database, the
// person's key (ID_PAC), its case-history number and its stages, at index
// sheet number - 1.
struct oPacient {
  int RidIll = 0;
  QString Key;
  QString NHistory;
  QList<oStage> Stages;
};

struct PackageLists {
  QList<rSender> SenderList;
  // The reports of each pass.
  PerPopulation<QList<rRepn>> ReportLists;

  // False when the folder held packages but none of the chosen payment kind:
  // the reception then refuses a DBF registry.
  bool DbfRegistryAllowed = true;
  // In-patient types chosen in the data-file dialog.
  bool HasRoundTheClock = false;
  bool HasDayHospital = false;
  // Exchange code of the party forming from the database: 45 (fund), 45001,
  // 45002 (insurers).
  int AddresseeSmoCode = 0;
  // Word of the chosen payment kind: "ОМС", "ВМП" or "Реабилитация"; set
  // by the data-file dialog's answer and by the forming preparation, read by
  // the act's name and the documents.
  QString PayFolderWord;
  // Workbooks that go into the outgoing package.
  QStringList PackageFiles;
  // Cases read from the packages (the XML loading fills it).
  QList<oPacient> XmlPatients;

  // How many reports the pass has (ReportCounts).
  int ReportCount(Population population) const {
    return static_cast<int>(ReportLists[population].size());
  }
};

// The application state's package lists. Cost: none.
PackageLists& ThePackageLists();

// Back to the values of a fresh start.
void ResetPackageLists();

}  // namespace kelmo
