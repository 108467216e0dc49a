// The main window's button "Проверка иногородних" (`btChIng`): its click
// reads the check's inputs from the window once and hands them to the
// out-of-region check (app/tariff/out_of_region_check.h), which talks to the
// user through the program's windows: the progress window, the interaction's
// message box and save dialog, and the protocol viewer.
#pragma once

#include <QDateTime>
#include <QPoint>
#include <QString>

#include "tariff/out_of_region_check.h"
#include "window_run_user.h"

class QWidget;

namespace kelmo {

class TfmKelmo;
class TfmPrgs;
class TfmUnCorr;

// The check's user answered by the program's windows; each window is
// optional (without the viewer nothing is shown, without the progress window
// no progress).
class WindowCheckUser : public tariff::OutOfRegionCheckUser {
 public:
  WindowCheckUser(QWidget* window, TfmPrgs* progress, TfmUnCorr* viewer);

  void BeginProgress(const QString& caption, int caseCount) override;
  void StepProgress() override;
  void EndProgress() override;
  void Message(const QString& caption, const QString& text, RunMessageIcon icon) override;
  QString ChooseArchiveCopy(const QString& proposedName) override;
  void ShowProtocol(bool archiveMode) override;

 private:
  // Messages and the progress window's phase as every run has them.
  WindowRunUser runUser_;
  QWidget* window_;
  TfmPrgs* progress_;
  TfmUnCorr* viewer_;
  QPoint progressPlace_;
};

// The check's inputs as the main window shows them now: the folder list's
// folder, the month and year, the in-patient type and the grid's institution.
tariff::OutOfRegionCheckInputs ReadOutOfRegionCheckInputs(TfmKelmo& window,
                                                          const QDateTime& started);

// TfmKelmo.btChIngClick: the check of the window's inputs; the buttons that
// start a run stay disabled while it works.
void RunOutOfRegionCheckButton(TfmKelmo& window, TfmPrgs* progress, TfmUnCorr* viewer);

}  // namespace kelmo
