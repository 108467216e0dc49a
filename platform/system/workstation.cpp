// Host name and file-type associations.
#include "workstation.h"

#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTextStream>

namespace kelmo {
namespace {

QString DesktopFileExec(const QString& desktopFile) {
  const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFile);
  if (path.isEmpty()) return {};
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  QTextStream in(&file);
  bool inEntry = false;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inEntry = line == QLatin1String("[Desktop Entry]");
      continue;
    }
    if (inEntry && line.startsWith(QLatin1String("Exec="))) return line.mid(5);
  }
  return {};
}

}  // namespace

QString ComputerName() {
  return QSysInfo::machineHostName().toUpper();
}

QString RegisteredOpenCommand(const QString& extension) {
  if (extension.isEmpty()) return {};
  const QMimeDatabase mimes;
  const QMimeType type =
      mimes.mimeTypeForFile(QStringLiteral("x.") + extension, QMimeDatabase::MatchExtension);
  const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (type.isValid() && !type.isDefault() && !xdgMime.isEmpty()) {
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type.name()});
    if (query.waitForFinished(5000) && query.exitCode() == 0) {
      const QString desktopFile = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
      if (!desktopFile.isEmpty()) {
        const QString exec = DesktopFileExec(desktopFile);
        if (!exec.isEmpty()) return exec;
      }
    }
  }
  return QStandardPaths::findExecutable(extension);
}

}  // namespace kelmo
