// The program's answer to a run's RunUser: message boxes through the
// interaction layer (owned by the main window), the progress window, the
// main window minimised and restored, and the protocol viewer. Every window
// is optional: without one its calls do nothing, so a run without windows
// (a check driven alone, a test) still has its messages go through the
// interaction layer.
#pragma once

#include <functional>

#include "domain/run_user.h"

class QWidget;

namespace kelmo {

class TfmPrgs;
class TfmUnCorr;

class WindowRunUser : public RunUser {
 public:
  WindowRunUser() = default;
  // `offersJoinedAct` says whether the viewer shows its combined-act button
  // at the end of a run (the main window's upload button is visible).
  WindowRunUser(QWidget* window, TfmPrgs* progress, TfmUnCorr* viewer,
                std::function<bool()> offersJoinedAct);

  void Message(const QString& caption, const QString& text, RunMessageIcon icon) override;
  bool Ask(const QString& caption, const QString& text, RunMessageIcon icon) override;
  void Beep() override;
  void ShowProgress() override;
  void BeginPhase(const QString& caption, int recordCount) override;
  void StepRecord() override;
  void EndProgress() override;
  void MinimiseWindow() override;
  void RestoreWindow() override;
  void ShowProtocol(bool endOfRun) override;

 private:
  QWidget* window_ = nullptr;
  TfmPrgs* progress_ = nullptr;
  TfmUnCorr* viewer_ = nullptr;
  std::function<bool()> offersJoinedAct_;
};

}  // namespace kelmo
