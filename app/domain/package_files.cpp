// Removal of a package's extracted XML files.
#include "package_files.h"

#include <QDir>
#include <QFile>

namespace kelmo {
namespace {

// Removes the files of the folder named base + ".xml" without regard to
// case; an empty base names nothing. Failures are ignored.
void RemoveFileNoCase(const QString& folder, const QString& base) {
  if (base.isEmpty()) return;
  const QString name = base + QStringLiteral(".xml");
  const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0) QFile::remove(folder + u'/' + entry);
  }
}

}  // namespace

void DeletePackageXml(const PackageLists& lists, const QString& folder, int adresat, int package) {
  if (lists.SenderList.isEmpty()) return;
  const QList<rAdresat>& adresats = lists.SenderList.first().Adresats;
  if (adresat < 0 || adresat >= adresats.size()) return;
  const QList<rFile>& files = adresats[adresat].Files;
  if (package < 0 || package >= files.size()) return;
  DeletePackageXml(files[package], folder);
}

void DeletePackageXml(const rFile& file, const QString& folder) {
  if (!file.HName.isEmpty()) {
    RemoveFileNoCase(folder, file.LName);
    RemoveFileNoCase(folder, file.HName);
  }
  if (!file.CName.isEmpty()) {
    RemoveFileNoCase(folder, file.LcName);
    RemoveFileNoCase(folder, file.CName);
  }
}

void DeleteFirstPackageXml(const PackageLists& lists, const QString& folder, int adresat) {
  DeletePackageXml(lists, folder, adresat, 0);
}

}  // namespace kelmo
