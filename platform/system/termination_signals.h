// SIGTERM and SIGINT as a Qt signal on the GUI thread. The Firebird client
// handles both itself and shuts its engine down, leaving the program without
// its databases; a handler of the program's own would interrupt the engine's
// threads instead. So the program blocks both signals before any thread
// starts (every thread inherits the mask) and reads them from a signalfd, and
// a termination closes the main window the ordinary way.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace kelmo {

// Blocks SIGTERM and SIGINT for the calling thread and the threads it starts
// later. Call first thing in main.
void BlockTerminationSignals();

class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  // Reads the blocked signals; needs the application object. Without
  // BlockTerminationSignals first, the signals keep their old handling.
  TerminationSignals();
  ~TerminationSignals() override;

 signals:
  void received();

 private:
  int fd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kelmo
