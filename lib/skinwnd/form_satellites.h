// What a form provider leaves to the skinned menus: the painting of its
// main menu's top items into the menu line of the frame cache. The menus'
// code installs it; left empty, the menu line shows its section only.
//
// GUI thread only.
#pragma once

#include <QImage>
#include <functional>

#include "winshim/win_types.h"

namespace kelmo::skinwnd {

class TkSkinProvider;

struct FormSatelliteMakers {
  // Paints the main menu's top items into the menu line (cache coordinates).
  std::function<void(TkSkinProvider& provider, QImage& cache, const winshim::Rect& line)>
      PaintMenuLineItems;
  // Hooks (on) or unhooks the form's menus for the skinned menus.
  std::function<void(TkSkinProvider& provider, bool on)> HookFormMenus;
};

// The process's hooks (empty until installed).
FormSatelliteMakers& FormSatellites();

}  // namespace kelmo::skinwnd
