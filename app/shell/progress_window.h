// The progress window (`TfmPrgs`, instance `fmPrgs`): a small tool window
// that stays on top, with the phase text `Label1` and the gauge `pb`. Created
// once at start and placed at the top right corner of the screen; later only
// shown and hidden, so a window the user moved stays where it was moved.
//
// Every phase of a run drives it the same way: BeginPhase (show, phase text,
// position 0, maximum = the phase's record count), StepRecord after each
// record (one step, then the pending window events are processed, so the
// gauge moves and the main window answers), and EndRun when the run's group
// of phases ends. Main thread only.
#pragma once

#include <QDialog>
#include <QLabel>
#include <functional>

#include "skin/k_gauge.h"

namespace kelmo {

class TfmPrgs : public QDialog {
  Q_OBJECT
 public:
  explicit TfmPrgs(QWidget* parent = nullptr);

  QLabel* Label1;
  skin::TkGauge* pb;

  // True while the main window's mode is "Сформировать"; chooses the caption
  // each time the window is shown ("Прием отчета" without it).
  std::function<bool()> FormingMode;

  // Placement at the top right corner of the screen (once, at creation).
  void FormCreate();
  // The caption by the main window's mode (each showing).
  void FormShow();

  void BeginPhase(const QString& text, int recordCount);
  void StepRecord();
  void EndRun();

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace kelmo
