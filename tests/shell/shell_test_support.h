// What the shell's tests share: one QApplication, a temporary start folder
// and machine-settings folder, and start-up options pointing at db/.
#pragma once

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include "main_window.h"
#include "run_state.h"
#include "startup.h"

namespace kelmo::test {

inline QApplication& App() {
  // QtSql's connection list must outlive the application object, whose
  // destruction at exit still reaches it: make it first.
  static const QStringList connections = QSqlDatabase::connectionNames();
  static int argc = 1;
  static char name[] = "kelmo_shell_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

// A start folder of its own and the machine record moved into it.
struct TempStart {
  TempStart() {
    App();
    ResetRunState();
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, dir.filePath("machine"));
  }
  ShellPaths Paths() const {
    ShellPaths paths;
    paths.startFolder = dir.path();
    paths.executablePath = QCoreApplication::applicationFilePath();
    paths.executableFolder = dir.filePath("exe");
    paths.registryScripts = QStringLiteral(KELMO_SOURCE_DIR "/db/registry");
    paths.centralScripts = QStringLiteral(KELMO_SOURCE_DIR "/db/central");
    return paths;
  }
  QString File(const QString& name) const { return dir.filePath(name); }
  QString MachineRecordFile() const { return dir.filePath("machine/DORER/Kelmo.ini"); }

  QTemporaryDir dir;
};

}  // namespace kelmo::test
