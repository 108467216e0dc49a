// Recolouring a loaded skin: a hue turn of every picture and colour of
// the skin (title-button icons may keep theirs) and a saturation change.
// Pixels of the transparent colour $FF00FF and, in the pictures, grey
// pixels are left as they are; alpha stays.
#pragma once

#include "skin/skin_data.h"

namespace kelmo::skin {

// Nothing for 0; else every picture, section colour, gradient stop and
// the shadow and border colours turned by `offset` degrees.
void ChangeHue(TkSkinManager& manager, int offset);
// Nothing for 0; else DesaturateColor with -(value rem 101) everywhere.
void ChangeSaturation(TkSkinManager& manager, int value);

}  // namespace kelmo::skin
