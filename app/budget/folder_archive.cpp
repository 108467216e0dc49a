// Archive folders of formed reports.
#include "folder_archive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "filenames/file_lookup.h"

namespace kelmo {

bool CopyIntoFolder(const QString& file, const QString& folder) {
  const QString target = QDir(folder).filePath(QFileInfo(file).fileName());
  if (QFileInfo(target).isFile() && !QFile::remove(target)) return false;
  return QFile::copy(file, target);
}

bool CopyFolderTree(const QString& source, const QString& destination, bool stopOnFailure,
                    bool overwrite) {
  const QDir s(source);
  if (!s.exists() || !QDir().mkpath(destination)) return false;
  bool all = true;
  for (const QFileInfo& e :
       s.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
    bool ok = true;
    const QString target = QDir(destination).filePath(e.fileName());
    if (e.isSymLink()) {
      continue;  // never followed out of the folder
    } else if (e.isDir()) {
      ok = CopyFolderTree(e.filePath(), target, stopOnFailure, overwrite);
    } else if (!overwrite && QFileInfo::exists(target)) {
      ok = true;
    } else {
      if (QFileInfo::exists(target)) QFile::remove(target);
      ok = QFile::copy(e.filePath(), target);
    }
    all = all && ok;
    if (stopOnFailure && !ok) break;
  }
  return all;
}

void DeleteFolderTree(const QString& folder, QStringList& failures) {
  const QDir d(folder);
  for (const QFileInfo& e :
       d.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
    if (e.isDir() && !e.isSymLink()) {
      DeleteFolderTree(e.filePath(), failures);
      continue;
    }
    QFile f(e.filePath());
    f.setPermissions(f.permissions() | QFileDevice::WriteOwner);
    if (!f.remove()) failures << e.filePath();
  }
  QDir().rmdir(folder);
}

namespace {

// Moves a file into the archive: the source goes only once its copy is there.
void Move(const QString& file, const QString& archive, ArchiveResult& r) {
  if (!CopyIntoFolder(file, archive))
    r.Failures << file;
  else if (!QFile::remove(file))
    r.Failures << file;
}

ArchiveResult Archive(const QString& folder, const QString& word, const QStringList& tables,
                      const QStringList& documents, const QString& protocolPath) {
  ArchiveResult r{protocolPath, {}};
  const QString archive = QDir(folder).filePath(word);
  if (!QDir().mkpath(archive)) {
    r.Failures << archive;
    return r;
  }
  for (const QString& t : tables) {
    const QString file = FindFileNoCase(folder, t);
    if (!file.isEmpty() && !CopyIntoFolder(file, archive)) r.Failures << file;
  }
  // Every file named as a document, whatever the case of its name (the
  // institution's workbook and the one written for it may both be there).
  const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
  for (const QString& doc : documents)
    for (const QString& name : {doc + QStringLiteral(".xls"), doc + QStringLiteral(".xlsx")})
      for (const QFileInfo& file : files)
        if (!file.isSymLink() && file.fileName().compare(name, Qt::CaseInsensitive) == 0)
          Move(file.filePath(), archive, r);
  if (QFileInfo(protocolPath).isFile()) {
    const int before = static_cast<int>(r.Failures.size());
    Move(protocolPath, archive, r);
    if (r.Failures.size() == before)
      r.ProtocolPath = QDir(archive).filePath(QFileInfo(protocolPath).fileName());
  }
  return r;
}

}  // namespace

ArchiveResult ArchiveBudgetFiles(const QString& registryFolder, int stacType,
                                 const QString& protocolPath) {
  const QString n = QString::number(stacType);
  return Archive(
      registryFolder, QStringLiteral("Бюджет"),
      {QStringLiteral("stacion.dbf"), QStringLiteral("mtl.dbf"), QStringLiteral("otpusk.dbf"),
       QStringLiteral("operat.dbf"), QStringLiteral("mtlusl.dbf")},
      {QStringLiteral("sreestr") + n, QStringLiteral("sfakt") + n, QStringLiteral("profils") + n},
      protocolPath);
}

ArchiveResult ArchiveOmsFiles(const QString& registryFolder, int stacType,
                              const QString& payFolderWord, const QString& protocolPath) {
  const QString n = QString::number(stacType);
  QStringList documents;
  for (const char* d : {"sreestr%1", "sreestr%1_Neprik", "sfakt%1", "sfakt%1_Neprik", "sfakt%1_FF",
                        "sfakt%1_TF", "sfakt%1_TR", "profils%1", "sreestri%1", "sfakti%1",
                        "sfakti%1_FF", "sfakti%1_TF", "profilsi%1"})
    documents << QString::fromLatin1(d).arg(n);
  ArchiveResult r = Archive(
      registryFolder, payFolderWord,
      {QStringLiteral("stacion.dbf"), QStringLiteral("mtl.dbf"), QStringLiteral("operat.dbf"),
       QStringLiteral("parents.dbf"), QStringLiteral("mtlusl.dbf")},
      documents, protocolPath);
  const QString split = QDir(registryFolder).filePath(QStringLiteral("Отчет по стационару"));
  if (QFileInfo(split).isDir()) {
    // The split report leaves the registry folder only once it is all copied.
    if (CopyFolderTree(split, QDir(registryFolder).filePath(payFolderWord), true, true))
      DeleteFolderTree(split, r.Failures);
    else
      r.Failures << split;
  }
  return r;
}

}  // namespace kelmo
