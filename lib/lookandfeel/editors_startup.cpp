// Start-up and close-down of the editors library's modules.
#include "lookandfeel/editors_startup.h"

#include <memory>

#include "lookandfeel/container_popup.h"
#include "lookandfeel/control_child_component.h"
#include "lookandfeel/edit_style.h"
#include "lookandfeel/painter_resources.h"
#include "lookandfeel/theme_manager.h"
#include "lookandfeel/value_types.h"

namespace kelmo::le {
namespace {

struct Modules {
  int started = 0;
  std::unique_ptr<TleScreenCanvas> screen;
};

Modules& M() {
  static Modules m;
  return m;
}

}  // namespace

void StartEditorsLibrary() {
  if (M().started++ > 0) return;
  LoadUxTheme();
  StartThemeManager();
  StartPainterResources();
  CreateLookAndFeelRoot();
  StartControlsModule();
  InstallPopupHooks();
  M().screen = std::make_unique<TleScreenCanvas>();
  RegisterValueTypes();
  CreateSolidBrushCache();
  StartEditStyles();
}

void StopEditorsLibrary() {
  if (M().started == 0 || --M().started > 0) return;
  StopEditStyles();
  FreeSolidBrushCache();
  UnregisterValueTypes();
  M().screen.reset();
  RemovePopupHooks();
  StopControlsModule();
  FreeLookAndFeelRoot();
  StopPainterResources();
  StopThemeManager();
  FreeUxTheme();
}

bool EditorsLibraryStarted() {
  return M().started > 0;
}

TleScreenCanvas* ScreenCanvas() {
  return M().screen.get();
}

}  // namespace kelmo::le
