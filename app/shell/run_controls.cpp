// The run buttons' guard (see run_controls.h).
#include "run_controls.h"

#include "main_window.h"

namespace kelmo {

RunControlsDisabled::RunControlsDisabled(TfmKelmo& window) : w_(window) {
  Set(false);
}

RunControlsDisabled::~RunControlsDisabled() {
  Set(true);
}

void RunControlsDisabled::Set(bool on) {
  for (QPushButton* button : {w_.bbKelmo, w_.obKelmo, w_.btnUPL, w_.btChIng})
    button->setEnabled(on);
}

}  // namespace kelmo
