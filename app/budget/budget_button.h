// The budget intake as the reception button starts it: the main window's
// choices made into the run's inputs, the window's database, holidays,
// progress window, protocol viewer and minimising made into its services.
#pragma once

namespace kelmo {

struct ReceptionForms;

// TfmKelmo's dispatch for "бюджет". Sets ProtocolPath to where the protocol
// ends (inside "Бюджет" after archiving). Errors propagate to the button.
void RunBudgetIntake(const ReceptionForms& forms);

}  // namespace kelmo
