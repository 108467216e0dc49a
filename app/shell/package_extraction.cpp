// Package identification: each package unpacked into its folder under "temp"
// and its heads read.
#include "package_identification.h"

#include <QDir>
#include <QFile>

#include "data_file_dialog.h"
#include "domain/case_data.h"
#include "domain/common.h"
#include "domain/package_header.h"
#include "domain/package_lists.h"
#include "domain/package_unpacking.h"
#include "domain/run_state.h"
#include "filenames/file_lookup.h"
#include "package_identification_parts.h"

namespace kelmo {

using namespace package_identification;

namespace {

void AddReportEntry(Population population, int type) {
  QList<rRepn>& reports = ThePackageLists().ReportLists[population];
  for (const rRepn& r : reports) {
    if (r.TipStac == type) return;
  }
  rRepn report;
  report.TipStac = static_cast<std::uint8_t>(type);
  reports.append(report);
}

// Empties and removes a package's folder (a refused package leaves nothing).
void DropPackageFolder(const QString& folder) {
  ClearFolderTree(folder);
  QDir().rmdir(folder);
}

}  // namespace

void PackageIdentification::UnpackAll(bool& XmlPackageMode) {
  ResetDialogChoices();
  rSender& sender = ThePackageLists().SenderList.first();
  for (qsizetype a = 0; a < sender.Adresats.size(); ++a) {
    const Population population =
        sender.Adresats[a].Kind == PartyKind::Fund ? Population::OutOfRegion : Population::Local;
    for (qsizetype k = 0; k < sender.Adresats[a].Files.size(); ++k) {
      rFile& file = sender.Adresats[a].Files[k];
      const QString folder = PackageFolder(folder_, file);
      if (!QDir().mkdir(folder)) throw FolderNotWritable(folder);

      try {
        UnpackPackage(folder_ + file.SourceName, sender.Number, folder, file);
      } catch (const PackageUnpackRefused& error) {
        RefusePackage(a, k, file.SourceName, QString::fromStdString(error.what()));
        continue;
      }

      if (file.HName.isEmpty()) continue;
      if (!ReadPackageHeads(a, k, population, XmlPackageMode)) DropPackage(a, k);
    }
    if (sender.Adresats[a].Files.isEmpty()) {
      sender.Adresats.removeAt(a);
      --a;
    }
  }
  ShowPackageParties();
}

void PackageIdentification::DropPackage(qsizetype a, qsizetype& k) {
  QList<rFile>& files = ThePackageLists().SenderList.first().Adresats[a].Files;
  DropPackageFolder(PackageFolder(folder_, files[k]));
  files.removeAt(k);
  --k;
}

void PackageIdentification::RefusePackage(qsizetype a, qsizetype& k, const QString& name,
                                          const QString& reason) {
  ShowRefusal(QStringLiteral("Пакет ") + name + QStringLiteral(" не принят: ") + reason);
  DropPackage(a, k);
}

bool PackageIdentification::ReadPackageHeads(int a, int k, Population population,
                                             bool& XmlPackageMode) {
  const rSender& sender = ThePackageLists().SenderList.first();
  rFile& file = ThePackageLists().SenderList.first().Adresats[a].Files[k];
  const QString folder = PackageFolder(folder_, file);
  const QChar first = file.SourceName.isEmpty() ? QChar() : file.SourceName[0];
  const int letter = first == u'H' ? 1 : first == u'T' ? 2 : 0;
  const bool vmp = TheRunState().PayKind == PayKind::Vmp;
  const bool matches = (!vmp && letter == 1) || (vmp && letter == 2);

  QList<PackageXml> heads;
  try {
    const QString main = FindFileNoCase(folder, file.HName + QStringLiteral(".xml"));
    if (main.isEmpty()) throw PackageHeaderMissing(folder + u'/' + file.HName + ".xml");
    heads.append(ReadPackageXml(main, letter == 2, sender.Code, matches));
    if (letter == 1 && !file.CName.isEmpty()) {
      const QString onco = FindFileNoCase(folder, file.CName + QStringLiteral(".xml"));
      if (onco.isEmpty()) throw PackageHeaderMissing(folder + u'/' + file.CName + ".xml");
      heads.append(ReadPackageXml(onco, false, sender.Code, matches));
    }
  } catch (const PackageHeaderMissing&) {
    ShowRefusal(QStringLiteral("Не определён счёт пакета: ") + file.SourceName);
    return false;
  } catch (const PackageRefused& error) {
    ShowRefusal(QString::fromStdString(error.what()));
    return false;
  }

  for (const PackageXml& head : heads) {
    file.Code = head.Code;
    file.NSchet = head.NSchet;
    file.DSchet = head.DSchet;
    if (matches) {
      XmlPackageMode = true;
      for (const PackageCase& c : head.Cases) {
        const std::array<bool, 4> types = InPatientTypesOf(c);
        // The table's order: 1, 3, 2, 4.
        for (int t : {1, 3, 2, 4}) {
          if (!types[t - 1]) continue;
          SetBox(dialog_.InPatientTypeBox(t), true);
          AddReportEntry(population, t);
        }
        if (c.CareCode == 31 && letter == 1) dialog_.RadioButton1->setEnabled(true);
        if (c.CareCode == 5 && letter == 1) dialog_.RadioButton2->setEnabled(true);
        if (c.CareCode == 32 && letter == 2) {
          dialog_.RadioButton3->setEnabled(true);
          for (int t = 2; t <= 4; ++t) SetBox(dialog_.InPatientTypeBox(t), false);
        }
      }
    }
    ApplyDefaultPayment();
  }
  return true;
}

}  // namespace kelmo
