// The program's entry point: start-up, then the message loop until the main
// window closes.
#include "kelmo_application.h"
#include "reception_button.h"
#include "startup.h"

int main(int argc, char** argv) {
  kelmo::KelmoApplication app(argc, argv);
  kelmo::KelmoApplication::setApplicationVersion(QStringLiteral(KELMO_VERSION));

  kelmo::StartupOptions options;
  options.arguments = kelmo::KelmoApplication::arguments().mid(1);
  options.account = kelmo::CurrentAccountSource();
  options.paths = kelmo::ShellPaths::ForThisProgram();
  kelmo::KelmoForms forms = kelmo::StartKelmo(options);
  kelmo::InstallReception(forms);
  forms.fmKelmo->show();
  return app.exec();
}
