// One regional insurer's documents at the split (see insurer_report.h).
#include "insurer_report.h"

#include <QDir>

#include "insurer_dbf_copy.h"

namespace kelmo {

QString InsurerSplitFolder(const QString& registryFolder, const QString& stacFolderWord,
                           const QString& folderWord) {
  return QDir(registryFolder)
      .filePath(QStringLiteral("Отчет по стационару/") + stacFolderWord + QLatin1Char('/') +
                folderWord);
}

void WriteInsurerReport(const QString& folderWord, const QString& insurerCode,
                        const InsurerDocumentInputs& base, const InsurerDocumentServices& services,
                        const QString& stacFolderWord, const QString& caption) {
  InsurerDocumentInputs in = base;
  in.CaseFilter = QStringLiteral(" and (s.polis='") + insurerCode + QStringLiteral("')");
  in.Reserved.clear();
  in.OutOfRegion = false;
  // A package's documents select the insurer's cases by the filter alone.
  if (!in.XmlPackageMode) {
    in.CurrentFolder = InsurerSplitFolder(in.RegistryFolder, stacFolderWord, folderWord);
    PruneInsurerDbfCopy(in.CurrentFolder, insurerCode, services.User, caption);
  }
  WriteInsurerDocuments(in, services);
}

}  // namespace kelmo
