// The package of an XML export (see export_package.h).
#include "export_package.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

#include "domain/package_files.h"
#include "zip/buffered_stream.h"
#include "zip/zip_writer.h"

namespace kelmo {

namespace {

// The best deflate level, as the export packages are made.
constexpr int kBestCompression = 9;

}  // namespace

QString ExportPackageFile(const QString& folder, const rFile& file) {
  const QString name = !file.HName.isEmpty() ? file.HName : QLatin1Char('H') + file.CName.mid(1);
  return QDir(folder).filePath(name + QStringLiteral(".zip"));
}

QString ExportPackageFile(const ExportPackageInputs& in) {
  return ExportPackageFile(in.ExportFolder, in.File);
}

QStringList ExportPackageContents(const ExportPackageInputs& in) {
  const QDir folder(in.ExportFolder);
  const QDir temp(in.TempFolder);
  const QString xml = QStringLiteral(".xml");
  QStringList files;
  if (!in.File.HName.isEmpty())
    files << folder.filePath(in.File.LName + xml) << folder.filePath(in.File.HName + xml);
  if (!in.File.CName.isEmpty())
    files << folder.filePath(in.File.LcName + xml) << folder.filePath(in.File.CName + xml);
  const QString number = QString::number(in.SenderNumber);
  files << temp.filePath(QStringLiteral("EMP_LIST_") + number + QStringLiteral(".XML"))
        << temp.filePath(QStringLiteral("DEP_LIST_") + number + QStringLiteral(".XML"))
        << temp.filePath(QStringLiteral("HOLDING.XML"));
  files << in.Workbooks;
  return files;
}

QString PackExport(const ExportPackageInputs& in) {
  const QString package = ExportPackageFile(in);
  QDir().mkpath(in.ExportFolder);
  zip::TQorZip zip;
  zip.SetPackLevel(kBestCompression);
  zip.SetStorePaths(false);
  zip.SetZipName(package.toStdString());
  // Every file goes in under its own name, in the package's order; only
  // regular files are read, so a link in "temp" cannot bring another file
  // into the package.
  for (const QString& path : ExportPackageContents(in)) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile()) continue;
    auto stream = std::make_unique<zip::TFileStream>(path.toStdString(), zip::fmOpenRead);
    zip.AddFromStream(info.fileName().toStdString(), std::move(stream),
                      info.lastModified().toSecsSinceEpoch());
  }
  // A fresh package: an earlier one of the name would be updated, keeping
  // its entries that this run does not write.
  QFile::remove(package);
  zip.Compress();
  DeletePackageXml(in.File, in.ExportFolder);
  return package;
}

}  // namespace kelmo
