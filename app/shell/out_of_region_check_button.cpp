// The out-of-region check's button (see out_of_region_check_button.h).
#include "out_of_region_check_button.h"

#include <QApplication>

#include "documents/un_corr.h"
#include "interact/interaction.h"
#include "main_window.h"
#include "progress_window.h"
#include "run_controls.h"

namespace kelmo {

WindowCheckUser::WindowCheckUser(QWidget* window, TfmPrgs* progress, TfmUnCorr* viewer)
    : runUser_(window, progress, viewer, {}),
      window_(window),
      progress_(progress),
      viewer_(viewer) {}

void WindowCheckUser::BeginProgress(const QString& caption, int caseCount) {
  if (!progress_) return;
  progressPlace_ = progress_->pos();
  if (window_) {
    const QRect frame = progress_->frameGeometry();
    progress_->move(window_->frameGeometry().center() -
                    QPoint(frame.width() / 2, frame.height() / 2));
  }
  runUser_.BeginPhase(caption, caseCount);
}

void WindowCheckUser::StepProgress() {
  runUser_.StepRecord();
}

void WindowCheckUser::EndProgress() {
  if (!progress_) return;
  progress_->pb->SetProgress(0);
  progress_->move(progressPlace_);
  runUser_.EndProgress();
  QApplication::processEvents();
}

void WindowCheckUser::Message(const QString& caption, const QString& text, RunMessageIcon icon) {
  runUser_.Message(caption, text, icon);
}

QString WindowCheckUser::ChooseArchiveCopy(const QString& proposedName) {
  return Interact().ChooseSaveFile(window_, QString(), proposedName,
                                   QStringLiteral("Архивы RAR (*.rar)"), QStringLiteral("rar"));
}

void WindowCheckUser::ShowProtocol(bool archiveMode) {
  if (!viewer_) return;
  viewer_->ArchiveMode = archiveMode;
  viewer_->ShowProtocol();
}

tariff::OutOfRegionCheckInputs ReadOutOfRegionCheckInputs(TfmKelmo& w, const QDateTime& started) {
  tariff::OutOfRegionCheckInputs in;
  in.Folder = w.dlb->directory();
  in.Month = w.cbMonth->currentIndex() + 1;
  in.Year = w.seYear->ValueAsInteger();
  in.StacType = w.rgStac->itemIndex() + 1;
  if (w.ibqLPU.Active() && !w.ibqLPU.Eof()) {
    in.LpuName = w.ibqLPU.FieldByName(QStringLiteral("NAME")).toString();
    in.LpuLevel = w.ibqLPU.FieldByName(QStringLiteral("UROV")).toString();
  }
  in.Started = started;
  return in;
}

void RunOutOfRegionCheckButton(TfmKelmo& w, TfmPrgs* progress, TfmUnCorr* viewer) {
  RunControlsDisabled disabled(w);
  WindowCheckUser user(&w, progress, viewer);
  tariff::CheckOutOfRegionRegistry(ReadOutOfRegionCheckInputs(w, QDateTime::currentDateTime()),
                                   user);
}

}  // namespace kelmo
