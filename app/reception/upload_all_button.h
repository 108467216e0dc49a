// The main window's button "Выгрузить всех" (`btnUPL`, shown to the fund):
// its click reads the upload's inputs from the window and kelmo.ini and runs
// the upload (upload_all.h), each formation going through the package
// identification from the database and the reception run, with the marked
// institution's own row in the run's inputs.
//
// Errors: whatever the upload raises is shown in the error box; the controls
// that start a run are enabled again however the click ends.
#pragma once

#include "reception_button.h"
#include "upload_all.h"

namespace kelmo {

// The institution's row as the grid's statement gives it.
extern const QStringList kUploadLpuSql;

// The upload's inputs as the main window shows them now: the marked
// institutions, the month and year, and the folders of kelmo.ini
// (ReadUploadFolders), with the data folder and the registry folders' root
// kept from the work folder's emptying.
UploadAllInputs ReadUploadAllInputs(TfmKelmo& window);

// One formation through the main window: the mode becomes "Сформировать",
// the payment list shows the kind and the folder list the work folder; the
// package identification (mode 1) lists the institution's reports; the
// central segment is connected for a package run; the reception run gets
// the window's inputs with the formation's institution, month, year and
// period. False when the identification found nothing (it said why).
bool FormThroughWindow(const ReceptionButton& button, RunUser& user, const UploadFormation& f);

// The services of a click: the window's database, the data module's acts
// database and FormThroughWindow.
UploadAllServices WindowUploadServices(const ReceptionButton& button, RunUser& user);

// TfmKelmo.btnUPLClick.
void btnUPLClick(const ReceptionButton& button);

}  // namespace kelmo
