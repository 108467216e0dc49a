// The combined report's button `obKelmo` ("Объединённый отчёт"), which the
// main window shows in place of the reception button where the installation
// is not an institution's: its click computes the report period, reads the
// main window once into the combined report's inputs, connects the acts
// database when one is configured and hands the work to RunCombinedReport
// (combined_report.h), talking to the user through the program's windows.
//
// Errors: anything the run raises is shown in the error box; the controls
// that start a run are enabled again and the acts database closed whichever
// way the click ends.
#pragma once

#include "reception_button.h"

namespace kelmo {

// TfmKelmo.obKelmoClick.
void obKelmoClick(const ReceptionButton& button);

}  // namespace kelmo
