// The protocol viewer `TfmUnCorr` (instance `fmUnCorr`, caption "Обнаружены
// некорректные записи"): shows the text protocol named by ProtocolPath (the
// reception act, the budget intake's act, the out-of-region check's
// protocol), prints it and saves a copy of it or of the RAR archive beside it.
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <optional>

#include "combined_act.h"
#include "workbook/excel_application.h"

namespace kelmo {

class TfmUnCorr : public QDialog {
  Q_OBJECT
 public:
  explicit TfmUnCorr(QWidget* parent = nullptr);

  // Loads the protocol, then shows the viewer modally (through the
  // interaction); returns when the user closes it.
  void ShowProtocol();

  // Loads the file ProtocolPath (code page 1251) into `re`. A file that
  // cannot be opened: a message box with the path as text, the caption
  // "Ошибка открытия файла." and the error icon; the viewer is then empty.
  void FormShow();
  // The printer set-up dialog; when confirmed, prints `re` without a title.
  void bbPrintClick();
  // Saves a copy of the protocol, or of its archive ("<name up to the first
  // point>.rar" beside it) in archive mode, which the press always clears.
  // A failed copy is silent.
  void btSaveasClick();
  void bbCloseClick();
  // Builds the combined act for CombinedActFor into a temporary workbook and
  // shows it with Opener; a missing or unreadable act is told in a message
  // box with the error icon, and nothing is shown. The button stays hidden
  // until the reception run shows it.
  void join_act_btClick();

  // The protocol now shown has a RAR archive beside it.
  bool ArchiveMode = false;
  // What the combined act is built for: the run that shows the viewer sets
  // it; without it the button does nothing.
  std::optional<CombinedActRequest> CombinedActFor;
  // Shows the built workbook (the desktop's program; tests record the name).
  workbook::FileOpener Opener = workbook::DesktopOpener();

  QPlainTextEdit* re;
  QPushButton* bbPrint;
  QPushButton* btSaveas;
  QPushButton* join_act_bt;
  QPushButton* bbClose;
};

}  // namespace kelmo
