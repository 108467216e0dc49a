// One package into its folder through the zip reader, within the limits of
// what a registry file can be.
#include "package_unpacking.h"

#include <string>
#include <vector>

namespace kelmo {

// A registry file is XML, which packs roughly tenfold to fortyfold: an entry
// claiming two hundred times its packed size, or more than four gigabytes,
// is no registry; a quarter of a gigabyte stays free for the run that
// follows.
zip::TExtractLimits PackageExtractLimits() {
  zip::TExtractLimits limits;
  limits.max_entry_size = 4ull << 30;
  limits.max_ratio = 200;
  limits.keep_free = 256ull << 20;
  return limits;
}

void UnpackPackage(const QString& zipPath, int senderNumber, const QString& folder, rFile& file) {
  zip::TQorUnZip unzip;
  unzip.SetExtractLimits(PackageExtractLimits());
  unzip.SetZipName(zipPath.toStdString());
  unzip.ReadDirectory();
  const QString body = file.SourceName.mid(1, file.SourceName.size() - 5);
  const QString bases[4] = {u'L' + body, file.SourceName.left(file.SourceName.size() - 4),
                            QStringLiteral("LC") + body, u'C' + body};
  QString* fields[4] = {&file.LName, &file.HName, &file.LcName, &file.CName};
  for (QString* f : fields) f->clear();
  std::vector<std::string> wanted;
  for (int i = 0; i < unzip.EntryCount(); ++i) {
    const QString entry = QString::fromStdString(unzip.EntryName(i));
    for (int j = 0; j < 4; ++j) {
      if (entry == bases[j] + QStringLiteral(".XML") ||
          entry == bases[j] + QStringLiteral(".xml")) {
        *fields[j] = bases[j];
        wanted.push_back(unzip.Entry(i).FullName());
      }
    }
  }
  const QString n = QString::number(senderNumber);
  for (const QString& ref :
       {QStringLiteral("EMP_LIST_") + n + QStringLiteral(".XML"),
        QStringLiteral("DEP_LIST_") + n + QStringLiteral(".XML"), QStringLiteral("HOLDING.XML")}) {
    wanted.push_back(ref.toStdString());
  }
  unzip.SetFilesList(wanted);
  unzip.SetDoAll(false);
  unzip.SetDestDir(folder.toStdString());
  unzip.SetRecreateDirs(false);
  unzip.SetRetainAttributes(true);
  unzip.SetOverwriteMode(zip::TUZOverwriteMode::Always);
  try {
    unzip.Extract();
  } catch (const zip::EEntryTooLarge& error) {
    throw PackageUnpackRefused(error.what());
  } catch (const zip::EDuplicateDestination& error) {
    throw PackageUnpackRefused(error.what());
  }
}

}  // namespace kelmo
