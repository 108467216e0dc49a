// The Office-2003 colour set: taken from the visual style's colour scheme
// when one of the three Luna schemes is active, derived from the system
// colours otherwise. Also the two expand-button bitmaps and the gradient and
// solid fills of that look. The set is computed on the first acquisition and
// on every recomputation; the painters read the slots at each call.
#pragma once

#include <QImage>

#include "lookandfeel/canvas.h"
#include "lookandfeel/colors.h"

namespace kelmo::le {

struct Office11Colors {
  ColorRef Face = 0, FaceLight = 0, GradientLight = 0, GradientDark = 0, ShadowLight = 0,
           EdgeLight = 0, Shadow = 0, Highlight3D = 0, SelectionFrame = 0, HotLight = 0,
           HotDark = 0, Pressed = 0, Text = 0, GrayText = 0, Frame = 0, PanelFace = 0, Marker = 0,
           FaceAlt = 0, FrameDark = 0, ShadowMid = 0;
};

// The current slots (all 0 until the first acquisition).
const Office11Colors& Office11();

inline constexpr ColorRef Office11ExpandButtonLight = 0xBFAE9E;
inline constexpr ColorRef Office11ExpandButtonDark = 0x5F462E;

// 0 none, 1 "NORMALCOLOR", 2 "HOMESTEAD", 3 "METALLIC" of "LUNA.MSSTYLES".
int DetectOffice11Scheme();
int CurrentOffice11Scheme();
bool Office11SchemeInUse();

void ComputeOffice11Colors();
void AcquireOffice11Colors();
void RecomputeOffice11Colors();
void ReleaseOffice11Colors();
int Office11AcquisitionCount();

// The two 11 by 11 expand-button glyphs (minus, plus); null while the set
// is not acquired.
const QImage& Office11ExpandButtonBitmap(bool expanded);

// c1 weighted p percent against c2, per channel.
ColorRef MixColorsPercent(TColor c1, TColor c2, int p);
// Up to 256 bands from the first colour to the second (vertical: top to
// bottom).
void FillGradientRect(TleCanvas& canvas, const Rect& r, TColor first, bool horizontal,
                      TColor second);
void FillColorRect(TleCanvas& canvas, const Rect& r, TColor color);

}  // namespace kelmo::le
