// The framework colour names the library paints with, beyond the few the
// Win32-shaped layer names itself, and the colours derived from the system
// colours that several modules share.
#pragma once

#include "winshim/system_profile.h"
#include "winshim/win_types.h"

namespace kelmo::le {

using winshim::ColorRef;
using winshim::TColor;

inline constexpr TColor clNone = winshim::clNone;
inline constexpr TColor clDefault = winshim::clDefault;
inline constexpr TColor clBtnFace = winshim::clBtnFace;
inline constexpr TColor clWindow = winshim::clWindow;
inline constexpr TColor clWindowText = winshim::clWindowText;
inline constexpr TColor clBtnText = winshim::clBtnText;
inline constexpr TColor clBtnShadow = winshim::clBtnShadow;
inline constexpr TColor clBtnHighlight = winshim::clBtnHighlight;
inline constexpr TColor clHighlight = winshim::clHighlight;
inline constexpr TColor clHighlightText = winshim::clHighlightText;
inline constexpr TColor clGrayText = winshim::clGrayText;
inline constexpr TColor cl3DDkShadow = winshim::clSystemColor | winshim::COLOR_3DDKSHADOW;
inline constexpr TColor cl3DLight = winshim::clSystemColor | winshim::COLOR_3DLIGHT;
inline constexpr TColor clWindowFrame = winshim::clSystemColor | winshim::COLOR_WINDOWFRAME;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clBlue = 0xFF0000;

// A framework colour as RGB (system colours through the profile).
inline ColorRef ResolveColor(TColor c) {
  return winshim::ColorToRGB(c);
}

// The screen holds true colour, so the nearest screen colour is the colour.
ColorRef NearestScreenColor(TColor c);

// Each channel clamp(face*p1 + highlight*p2 + window*p3) / 100 of the system
// colours; with a black or white face the highlight colour.
ColorRef SystemColorMix(int p1, int p2, int p3);
ColorRef SystemHotColor();
ColorRef SystemPressedColor();

// The platform's rounding multiply-divide (half away from zero).
int MulDiv(int a, int b, int c);

}  // namespace kelmo::le
