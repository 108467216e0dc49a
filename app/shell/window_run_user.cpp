// The run's user interface answered by the program's windows.
#include "window_run_user.h"

#include <QApplication>
#include <QWidget>

#include "documents/un_corr.h"
#include "interact/interaction.h"
#include "progress_window.h"

namespace kelmo {

namespace {

MessageIcon IconOf(RunMessageIcon icon) {
  switch (icon) {
    case RunMessageIcon::Information:
      return MessageIcon::Information;
    case RunMessageIcon::Warning:
      return MessageIcon::Warning;
    case RunMessageIcon::Error:
      return MessageIcon::Error;
    case RunMessageIcon::Question:
      return MessageIcon::Question;
    case RunMessageIcon::None:
      break;
  }
  return MessageIcon::None;
}

}  // namespace

WindowRunUser::WindowRunUser(QWidget* window, TfmPrgs* progress, TfmUnCorr* viewer,
                             std::function<bool()> offersJoinedAct)
    : window_(window),
      progress_(progress),
      viewer_(viewer),
      offersJoinedAct_(std::move(offersJoinedAct)) {}

void WindowRunUser::Message(const QString& caption, const QString& text, RunMessageIcon icon) {
  Interact().Message(window_, caption, text, IconOf(icon), MessageButtons::Ok);
}

bool WindowRunUser::Ask(const QString& caption, const QString& text, RunMessageIcon icon) {
  return Interact().Message(window_, caption, text, IconOf(icon), MessageButtons::YesNo) ==
         MessageAnswer::Yes;
}

void WindowRunUser::Beep() {
  QApplication::beep();
}

void WindowRunUser::ShowProgress() {
  if (progress_) progress_->show();
}

void WindowRunUser::BeginPhase(const QString& caption, int recordCount) {
  if (progress_) progress_->BeginPhase(caption, recordCount);
}

void WindowRunUser::StepRecord() {
  if (progress_) progress_->StepRecord();
}

void WindowRunUser::EndProgress() {
  if (progress_) progress_->EndRun();
}

void WindowRunUser::MinimiseWindow() {
  if (window_) window_->showMinimized();
}

void WindowRunUser::RestoreWindow() {
  if (window_ && window_->isMinimized()) window_->showNormal();
}

void WindowRunUser::ShowProtocol(bool endOfRun) {
  if (!viewer_) return;
  if (endOfRun && offersJoinedAct_ && offersJoinedAct_()) viewer_->join_act_bt->setVisible(true);
  viewer_->ShowProtocol();
}

}  // namespace kelmo
