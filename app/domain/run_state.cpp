// The run state's reset.
#include "run_state.h"

#include "application_state.h"

namespace kelmo {

RunState& TheRunState() {
  return TheApplicationState().Run;
}

void ResetRunState() {
  TheRunState() = RunState();
}

}  // namespace kelmo
