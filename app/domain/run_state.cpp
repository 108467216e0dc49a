// The one instance of the run state.
#include "run_state.h"

namespace kelmo {
namespace {

RunState g_state;

}  // namespace

RunState& TheRunState() {
  return g_state;
}

void ResetRunState() {
  g_state = RunState();
}

}  // namespace kelmo
