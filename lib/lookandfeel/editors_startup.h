// Start-up and close-down of the editors library's modules, in their order:
// the visual-style binding and theme manager, the painters' resources (whose
// colour notifier computes the Office-2003 colours), the root look-and-feel,
// the controls module (its class registration and shared message window),
// the container module's popup filters and screen canvas, the value types,
// the brush cache and the default edit style controller. Close-down runs
// the modules in the reverse order. Each runs once however often it is
// called. Needs a QApplication.
#pragma once

#include "lookandfeel/canvas.h"

namespace kelmo::le {

void StartEditorsLibrary();
void StopEditorsLibrary();
bool EditorsLibraryStarted();
// Starts the library for the life of the scope (the program's main).
class EditorsLibraryScope {
 public:
  EditorsLibraryScope() { StartEditorsLibrary(); }
  ~EditorsLibraryScope() { StopEditorsLibrary(); }
  EditorsLibraryScope(const EditorsLibraryScope&) = delete;
  EditorsLibraryScope& operator=(const EditorsLibraryScope&) = delete;
};

// The one screen canvas (made by the container module's start-up).
TleScreenCanvas* ScreenCanvas();

}  // namespace kelmo::le
