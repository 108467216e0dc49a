// What a run (the reception, the budget intake; the combined report the
// same way) needs of the user and of the program's windows, as one
// interface: message boxes and questions, the attention sound, the progress window,
// minimising and restoring the main window, and the protocol viewer. The
// program answers with its windows, a test with a recorder; a run never
// reaches a window itself. Calls come on the GUI thread; none of them throws
// unless the window behind it does.
#pragma once

#include <QString>

namespace kelmo {

// The icon of a message box.
enum class RunMessageIcon { None, Information, Warning, Error, Question };

class RunUser {
 public:
  virtual ~RunUser() = default;

  // A message box with the caption (empty: the application's title), the
  // text and an OK button; returns when the user closed it.
  virtual void Message(const QString& caption, const QString& text, RunMessageIcon icon) = 0;
  // A question with the buttons Yes and No; true when the user answered Yes.
  virtual bool Ask(const QString& caption, const QString& text, RunMessageIcon icon) = 0;
  // The short sound that draws the user's attention.
  virtual void Beep() = 0;

  // The progress window: shown without a phase; a phase with its text and
  // record count (position 0); one record done; the run's phases ended.
  virtual void ShowProgress() = 0;
  virtual void BeginPhase(const QString& caption, int recordCount) = 0;
  virtual void StepRecord() = 0;
  virtual void EndProgress() = 0;

  // The main window minimised while the run works, and shown again.
  virtual void MinimiseWindow() = 0;
  virtual void RestoreWindow() = 0;

  // The protocol viewer shows the run state's ProtocolPath and returns when
  // the user closed it. At the end of a run (`endOfRun`) the viewer also
  // offers the combined act where the window offers it.
  virtual void ShowProtocol(bool endOfRun) = 0;
};

}  // namespace kelmo
