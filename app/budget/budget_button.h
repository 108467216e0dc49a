// The budget intake as the reception button starts it: the main window's
// choices read once into the run's inputs, the window's database and
// holidays as its services, and the program's windows as its user.
#pragma once

#include <QString>

#include "budget_run.h"

namespace kelmo {

class TfmKelmo;
struct ReceptionForms;

// The budget intake's inputs as the main window shows them now, with the
// registry folder the click read.
BudgetInputs ReadBudgetInputs(TfmKelmo& window, const QString& registryFolder);

// TfmKelmo's dispatch for "бюджет". Sets ProtocolPath to where the protocol
// ends (inside "Бюджет" after archiving). Errors propagate to the button.
void RunBudgetIntake(const ReceptionForms& forms, const QString& registryFolder);

}  // namespace kelmo
