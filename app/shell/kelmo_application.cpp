// Errors that reach the message loop.
#include "kelmo_application.h"

#include "error_box.h"

namespace kelmo {

KelmoApplication::KelmoApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(ApplicationTitle());
}

bool KelmoApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowErrorBox(ErrorMessage(error));
  }
  return false;
}

}  // namespace kelmo
