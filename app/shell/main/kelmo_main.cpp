// The program's entry point: start-up, then the message loop until the main
// window closes.
#include "budget/budget_button.h"
#include "lookandfeel/editors_startup.h"
#include "reception/reception_button.h"
#include "shell/kelmo_application.h"
#include "shell/skin_message_boxes.h"
#include "shell/startup.h"
#include "skin/skin_startup.h"
#include "system/termination_signals.h"

int main(int argc, char** argv) {
  kelmo::BlockTerminationSignals();
  kelmo::KelmoApplication app(argc, argv);
  kelmo::KelmoApplication::setApplicationVersion(QStringLiteral(KELMO_VERSION));
  // The editors library's modules start with the program and close with it.
  kelmo::le::EditorsLibraryScope editorsLibrary;
  // The skinning modules start before the first form ("/kaver" shows the
  // skin library's version).
  kelmo::RouteSkinMessageBoxes();
  kelmo::skin::StartSkinModules(kelmo::KelmoApplication::arguments().mid(1));

  kelmo::StartupOptions options;
  options.arguments = kelmo::KelmoApplication::arguments().mid(1);
  options.account = kelmo::CurrentAccountSource();
  options.paths = kelmo::ShellPaths::ForThisProgram();
  kelmo::KelmoForms forms = kelmo::StartKelmo(options);
  kelmo::InstallReception(forms, kelmo::RunBudgetIntake);
  forms.fmKelmo->show();

  // SIGTERM and SIGINT close the main window as the close button does.
  kelmo::TerminationSignals termination;
  QObject::connect(&termination, &kelmo::TerminationSignals::received, forms.fmKelmo.get(),
                   &QWidget::close);
  return app.exec();
}
