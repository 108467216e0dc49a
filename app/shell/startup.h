// The program's start-up: the splash window, the data module, the main
// window, then the protocol viewer, the progress window, the data-file
// dialog and the settings dialog, each created once and kept until the
// program ends; the splash window is freed last. An error while one of them
// is created is shown in the error box and start-up goes on.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "connect_window.h"
#include "data_file_dialog.h"
#include "data_module.h"
#include "documents/un_corr.h"
#include "main_window.h"
#include "progress_window.h"
#include "settings_dialog.h"
#include "system/account.h"

namespace kelmo {

// The windows and the data module of one program run. Declared in creation
// order, so they are destroyed in reverse.
struct KelmoForms {
  std::unique_ptr<TDM> DM;
  std::unique_ptr<TfmKelmo> fmKelmo;
  std::unique_ptr<TfmUnCorr> fmUnCorr;
  std::unique_ptr<TfmPrgs> fmPrgs;
  std::unique_ptr<TF_XML_load> F_XML_load;
  std::unique_ptr<TfmProp> fmProp;
};

struct StartupOptions {
  QStringList arguments;  // without the program's name
  AccountSource account;
  ShellPaths paths;
  // Called with a name ("fmConnect", "DM", "fmKelmo", "fmUnCorr", "fmPrgs",
  // "F_XML_load", "fmProp", "fmConnect freed") as each step is done.
  std::function<void(const QString&)> onStep;
};

// Runs start-up up to the message loop; the caller shows fmKelmo and runs
// the loop. A QApplication must exist.
KelmoForms StartKelmo(const StartupOptions& options);

}  // namespace kelmo
