// The process-wide state of the main window's unit that runs and documents
// share, part of the application state (application_state.h). Declared here
// once; later code adds its fields here rather than keeping copies. Read and
// written on the GUI thread only.
#pragma once

#include <QString>

#include "case_errors.h"
#include "domain_codes.h"

namespace kelmo {

struct RunState {
  // The payment kind chosen in the payment list.
  kelmo::PayKind PayKind = kelmo::PayKind::Oms;
  // 45001 or 45002 when this installation is one of the two insurers, else 0.
  int OwnSmoCode = 0;
  // "true" in MyComp: two debug message boxes.
  bool DebugMessages = false;
  // The program's version, major.minor.release.
  QString ProgramVersion;
  // The version line written under every report.
  QString ReportFooter;
  // The template folder (from Kelmo.ini beside the executable).
  QString ExcelPath;
  // The protocol file the protocol viewer shows and copies.
  QString ProtocolPath;
  // The errors of the case being checked, in the order they were found.
  QList<rMEK> CaseErrors;
  // The in-memory log ("Выгрузить логи").
  RunLog Log;
  // Program version + "/" + database version: this run's, and the received
  // package's.
  QString CurrentExprVer;
  QString PackageExprVer;
};

// The application state's run state. Cost: none.
RunState& TheRunState();

// Back to the values of a fresh start (tests start the program repeatedly).
void ResetRunState();

}  // namespace kelmo
