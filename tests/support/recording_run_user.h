// A user of a run for the tests: it answers every question yes and records
// the messages and the progress captions the run shows.
#pragma once

#include <QStringList>

#include "domain/run_user.h"

namespace kelmo::test {

class RecordingRunUser : public RunUser {
 public:
  void Message(const QString&, const QString& text, RunMessageIcon) override { messages << text; }
  bool Ask(const QString&, const QString&, RunMessageIcon) override { return true; }
  void Beep() override {}
  void ShowProgress() override {}
  void BeginPhase(const QString& caption, int) override { phases << caption; }
  void StepRecord() override {}
  void EndProgress() override {}
  void MinimiseWindow() override {}
  void RestoreWindow() override {}
  void ShowProtocol(bool) override {}

  QStringList messages;
  QStringList phases;
};

}  // namespace kelmo::test
