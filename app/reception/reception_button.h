// The reception button `bbKelmo` and its dispatch: its click prepares the
// run's state, connects the acts database when one is configured, has the
// folder's packages identified, prepares the split-report folders when
// forming, and hands the work to the reception run ("ОМС", "ВМП",
// "Реабилитация") or to the budget intake ("бюджет"); afterwards it refreshes
// the institution grid of the fund and the insurers. Also the two handlers
// that keep the button and the in-patient type in step with the mode and the
// payment kind.
//
// Errors: anything the click's work raises is shown in the error box; the
// controls that start a run are enabled again and the operations-analysis
// file is closed whichever way the click ends.
#pragma once

#include <QString>
#include <functional>

class QWidget;

#include "reception_run.h"
#include "shell/run_controls.h"

namespace kelmo {

class ActsConnection;
class FbQuery;
class TDM;
class TfmKelmo;
class TfmUnCorr;
class TfmPrgs;
struct KelmoForms;

// The windows a click of the button works with.
struct ReceptionForms {
  TfmKelmo& fmKelmo;
  TfmUnCorr* fmUnCorr = nullptr;
  TfmPrgs* fmPrgs = nullptr;
  // The current date and time (tests fix it).
  std::function<QDateTime()> Now;
};

// The institution of the inputs (ID, FNAME, MCOD, ATTACH and the
// requisites) from a row of the institution grid's statement.
void ReadInstitution(ReceptionInputs& in, const FbQuery& row);

// The reception run's inputs as the main window shows them now, with the
// registry folder the click read.
ReceptionInputs ReadReceptionInputs(TfmKelmo& window, const QString& registryFolder);

// The protocol viewer's combined act is of the run's institution and month
// (the run about to start with `inputs`).
void OfferCombinedAct(const ReceptionForms& forms, const ReceptionInputs& inputs);

// The reception run of the main window's inputs, talking to the user through
// the program's windows; `kvillonPath` is the case-entry program's folder.
void RunReception(const ReceptionForms& forms, const QString& registryFolder,
                  ActsConnection* acts = nullptr, FbDatabase* central = nullptr,
                  bool inOmsDomain = false, const QString& kvillonPath = {});

// Connects the acts database when one is configured (AktEnabled); when it
// cannot be reached it is switched off (disconnected, no connection string)
// and the answer is false.
bool ConnectActsDatabase(TDM& dm);
// The warning of an acts database that cannot be reached.
QString ActsConnectionFailedText();

// Package identification of the registry folder in reception mode: sets the
// two flags and returns true when it refused the folder (after showing why).
using PackageIdentifier = std::function<bool(TfmKelmo& window, const QString& registryFolder,
                                             bool& xmlPackageMode, bool& packageConfirmed)>;

// The main window's identification of the folder's packages in reception
// mode (a folder without packages holds a DBF registry).
bool IdentifyFolderPackages(TfmKelmo& window, const QString& registryFolder, bool& xmlPackageMode,
                            bool& packageConfirmed);

struct ReceptionButton {
  TDM& DM;
  ReceptionForms Forms;
  PackageIdentifier Identify = IdentifyFolderPackages;
  // The budget intake of the registry folder the click read (installed by
  // the program; without it the click says it is not available).
  std::function<void(const QString& registryFolder)> IntakeBudgetReport;
};

// The message of the budget intake not yet available.
QString BudgetIntakeUnavailableText();

// TfmKelmo.bbKelmoClick.
void bbKelmoClick(const ReceptionButton& button);
// TfmKelmo.rgpsClick: the button's caption by the mode.
void rgpsClick(TfmKelmo& window);
// TfmKelmo.cbVidOpChange: PayKind and the in-patient group by payment kind.
void cbVidOpChange(TfmKelmo& window);

// The budget intake as the program installs it on the button.
using BudgetIntake =
    std::function<void(const ReceptionForms& forms, const QString& registryFolder)>;

// Connects the three handlers, the upload button's (upload_all_button.h)
// and the combined report's (combined_report_button.h) to the main window of
// a program run. The
// returned button lives as long as the forms (kept by the connections).
void InstallReception(KelmoForms& forms, BudgetIntake budget = {});

}  // namespace kelmo
