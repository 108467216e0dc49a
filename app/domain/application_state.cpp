// The one instance of the application state.
#include "application_state.h"

namespace kelmo {

ApplicationState& TheApplicationState() {
  static ApplicationState state;
  return state;
}

}  // namespace kelmo
