// The program's process-wide state, held in one object: the run state
// (program-wide values, the protocol, case errors and the log), the package
// and report lists, and the reception's run variables. Each part is declared
// once in its own header and reached through its accessor (TheRunState(),
// ThePackageLists(), TheReceptionState()), which all refer into this one
// object; no part keeps a copy or a reference of another. Read and written on
// the GUI thread only.
#pragma once

#include "package_lists.h"
#include "reception_state.h"
#include "run_state.h"

namespace kelmo {

struct ApplicationState {
  RunState Run;
  PackageLists Packages;
  ReceptionState Reception;
};

// The one instance, made on first use and kept for the life of the program.
// Cost: none.
ApplicationState& TheApplicationState();

}  // namespace kelmo
