// The splash window of start-up (`TfmConnect`, instance `fmConnect`): a
// borderless 206 by 74 window centred on the desktop saying "Подключение..."
// while the databases are reached. No behaviour of its own.
#pragma once

#include <QLabel>
#include <QWidget>

namespace kelmo {

class TfmConnect : public QWidget {
  Q_OBJECT
 public:
  explicit TfmConnect(QWidget* parent = nullptr);
  // Shows the window and paints it at once (the start-up processes no
  // messages until it is freed).
  void ShowNow();

  QLabel* Image1;
  QLabel* Label1;
  QLabel* Label2;
};

}  // namespace kelmo
