// A run's user for tests without the main window: every call of the run to
// its user is recorded as a word and its text.
#pragma once

#include <QString>
#include <QStringList>

#include "domain/run_user.h"

namespace kelmo::test {

// Every call of the run to its user, as a word and its text.
class RecordingUser : public RunUser {
 public:
  void Message(const QString&, const QString& text, RunMessageIcon) override {
    calls << "message " + text;
  }
  bool Ask(const QString&, const QString& text, RunMessageIcon) override {
    calls << "question " + text;
    return true;
  }
  void Beep() override { calls << "beep"; }
  void ShowProgress() override { calls << "progress"; }
  void BeginPhase(const QString& caption, int) override { calls << "phase " + caption; }
  void StepRecord() override {}
  void EndProgress() override { calls << "end of progress"; }
  void MinimiseWindow() override { calls << "minimise"; }
  void RestoreWindow() override { calls << "restore"; }
  void ShowProtocol(bool endOfRun) override {
    calls << (endOfRun ? "protocol at the end" : "protocol");
  }

  QStringList calls;
};

}  // namespace kelmo::test
