// The application object of the program: an error that no event handler
// caught is shown in the error box, titled with the application's title,
// and the message loop goes on.
#pragma once

#include <QApplication>

namespace kelmo {

class KelmoApplication : public QApplication {
 public:
  KelmoApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kelmo
