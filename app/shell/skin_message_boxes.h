// The skin library's message boxes (its own warnings and "/kaver") shown
// through the program's interaction, so tests answer them like every other
// question of the program.
#pragma once

namespace kelmo {

// Installs the route; the button sets the interaction lacks (abort, retry,
// ignore, help) are shown by Qt directly.
void RouteSkinMessageBoxes();

}  // namespace kelmo
