// The Qt side of a skinned form's frame: while the provider draws the
// frame the form is a frameless window whose non-client margins (its
// answer to WM_NCCALCSIZE) hold the caption, the borders and the menu
// line; its layout keeps its children inside them. Giving the frame back
// restores the window flags, the margins, the style bits and the region.
#pragma once

#include "skinwnd/form_provider.h"

namespace kelmo::skinwnd {

// Makes the form frameless with the provider's margins (again when it is
// already taken: the margins follow the frame's measures).
void TakeFormFrame(TkSkinProvider& p);
// Gives the form its own frame back.
void ReleaseFormFrame(TkSkinProvider& p);
// Whether the provider has the form's frame now.
bool SkinFormFrame(const TkSkinProvider& p);

}  // namespace kelmo::skinwnd
