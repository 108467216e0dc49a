// The user of a run in a test or a benchmark: no windows; it records the
// captions and texts of the messages, the progress phases and steps, and
// answers every question with `answer`.
#pragma once

#include <QStringList>

#include "domain/run_user.h"

namespace kelmo::test {

class RecordingRunUser : public RunUser {
 public:
  void Message(const QString& caption, const QString& text, RunMessageIcon) override {
    captions << caption;
    messages << text;
  }
  bool Ask(const QString&, const QString&, RunMessageIcon) override { return answer; }
  void Beep() override {}
  void ShowProgress() override {}
  void BeginPhase(const QString& caption, int) override { phases << caption; }
  void StepRecord() override { ++steps; }
  void EndProgress() override {}
  void MinimiseWindow() override {}
  void RestoreWindow() override {}
  void ShowProtocol(bool) override {}

  bool answer = true;
  QStringList captions, messages, phases;
  int steps = 0;
};

}  // namespace kelmo::test
