// The RAR archiver (see rar_archiver.h).
#include "rar_archiver.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "domain/common.h"

namespace kelmo::tariff {

QString FindRarArchiver() {
  QString registered = ProgramForExtension(QStringLiteral("rar"));
  if (registered.isEmpty()) return {};
  // A desktop entry may name its program without a folder.
  if (QFileInfo(registered).isRelative()) registered = QStandardPaths::findExecutable(registered);
  if (registered.isEmpty()) return {};
  const QFileInfo archiver(QFileInfo(registered).absoluteDir().filePath(QStringLiteral("rar")));
  return archiver.isFile() && archiver.isExecutable() ? archiver.absoluteFilePath() : QString();
}

bool PackWithRar(const QString& archiver, const QString& archiveBase, const QString& file,
                 int timeoutMs) {
  if (archiver.isEmpty()) return false;
  QProcess rar;
  rar.setProcessChannelMode(QProcess::MergedChannels);
  rar.setStandardOutputFile(QProcess::nullDevice());
  rar.setStandardInputFile(QProcess::nullDevice());
  rar.start(archiver, {QStringLiteral("a"), QStringLiteral("-ep"), archiveBase, file});
  if (!rar.waitForStarted(timeoutMs)) return false;
  if (!rar.waitForFinished(timeoutMs)) {
    rar.kill();
    rar.waitForFinished(5000);
    return false;
  }
  if (rar.exitStatus() != QProcess::NormalExit || rar.exitCode() != 0) return false;
  return QFileInfo(archiveBase + QStringLiteral(".rar")).isFile();
}

}  // namespace kelmo::tariff
