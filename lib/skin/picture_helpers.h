// Shared values and small helpers of the skin library: the transparent
// colour, the empty background source and the scroll-arrow width set at
// start-up; the two hooks of the manager and the broadcast; the start-up
// image list; and PaintControlBorder, which paints a control's skinned
// border over its parent's background into the control's cached picture.
#pragma once

#include "skin/blend_image_list.h"
#include "skin/paint_primitives.h"
#include "winshim/dc.h"

class QWidget;

namespace kelmo::skin {

class TkCommonData;

struct SkinConstants {
  TColor transparentColor = kTransparentKey;
  TBgSource emptySource = kEmptyBgSource;
  int hScrollArrowWidth = 16;  // SM_CXHSCROLL, read at start-up
};
// The values, set at start-up (InitSkinConstants).
SkinConstants& SkinConst();
void InitSkinConstants();

inline void NullStep() {}
inline bool ControlStopsBroadcast(const QWidget*) {
  return false;
}

// The list of the five program images "SF", "SR", "SD", "SE", "SC" (48 x 16),
// made at first use; nothing else in the program reads it.
TkBlendImageList& StartupImageList();

// Paints the border of width frameWidth into the link's cache (and copies
// its strips to the DC when that is not the cache's own); returns the rect
// inside the border (the rect itself when the link has no border mask).
Rect PaintControlBorder(winshim::Dc& dc, const Rect& rect, int frameWidth, int state,
                        TkCommonData& link);

}  // namespace kelmo::skin
