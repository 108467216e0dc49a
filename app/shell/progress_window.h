// The progress window (`TfmPrgs`, instance `fmPrgs`): a small tool window
// that stays on top, with the phase text `Label1` and the gauge `pb`. Created
// once at start, only shown and hidden afterwards.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QProgressBar>

namespace kelmo {

class TfmPrgs : public QDialog {
  Q_OBJECT
 public:
  explicit TfmPrgs(QWidget* parent = nullptr);

  QLabel* Label1;
  // The gauge: shows its value as a percentage of its maximum.
  QProgressBar* pb;
};

}  // namespace kelmo
