// The program's entry point: start-up, then the message loop until the main
// window closes.
#include <QApplication>

#include "startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelmo"));
  QApplication::setApplicationVersion(QStringLiteral(KELMO_VERSION));

  kelmo::StartupOptions options;
  options.arguments = QApplication::arguments().mid(1);
  options.account = kelmo::CurrentAccountSource();
  options.paths = kelmo::ShellPaths::ForThisProgram();
  kelmo::KelmoForms forms = kelmo::StartKelmo(options);
  forms.fmKelmo->show();
  return app.exec();
}
