// What the shell's tests share: one QApplication, a temporary start folder
// and machine-settings folder, and start-up options pointing at db/.
#pragma once

#include <QApplication>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include "qt_test_application.h"

#include "shell/main_window.h"
#include "domain/run_state.h"
#include "shell/startup.h"

namespace kelmo::test {

// The test program's application (see qt_test_application.h).
inline QApplication& App() {
  return *qobject_cast<QApplication*>(QCoreApplication::instance());
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
