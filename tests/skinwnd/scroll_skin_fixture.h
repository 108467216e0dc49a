// A skin for the scroll-bar and edit-family wrappers' tests, made by code:
// each track half in a colour of its own (and another when pressed), the
// arrows and the thumb from three-state pictures (normal, hot, pressed), an
// EDIT section whose border has a state image per state, a grip image in
// GLOBALINFO, and the system metrics pinned to 16-pixel bars.
#pragma once

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include "skin/skin_data.h"
#include "skin_fixture.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd::testing_scroll {

using skin::TColor;

// $BBGGRR colours of the parts.
inline constexpr TColor kTrack1H = 0x000010, kTrack1HPressed = 0x000020;
inline constexpr TColor kTrack2H = 0x000030, kTrack2HPressed = 0x000040;
inline constexpr TColor kTrack1V = 0x001000, kTrack1VPressed = 0x002000;
inline constexpr TColor kTrack2V = 0x003000, kTrack2VPressed = 0x004000;
// Arrow, thumb and edit border pictures: normal, hot, pressed.
inline constexpr TColor kArrow[3] = {0x505050, 0x606060, 0x707070};
inline constexpr TColor kThumb[3] = {0x800000, 0x900000, 0xA00000};
inline constexpr TColor kBorder[3] = {0x00A0A0, 0x00B0B0, 0x00C0C0};
inline constexpr TColor kEditColor = 0xE0E0E0, kEditHotColor = 0xD0D0D0;
inline constexpr TColor kEditHotFont = 0x0000C0;
inline constexpr int kBar = 16;

inline const char* const kScrollOptions =
    "[GLOBALINFO]\r\n"
    "VERSION=7.5\r\n"
    "MASTERBITMAP=MASTER.BMP\r\n"
    "GRIPIMAGE=^0000 0000 0008 0008 0000 0000 0000 0000 1 0 0 0\r\n"
    "[FORM]\r\n"
    "COLOR=$808080\r\n"
    "[EDIT]\r\n"
    "COLOR=$E0E0E0\r\n"
    "HOTCOLOR=$D0D0D0\r\n"
    "HOTFONTCOLOR=$0000C0\r\n"
    "BORDERSMASK=!BORDER.BMP!3!0!0!1!1!1!1\r\n"
    "[CHECKBOX]\r\n"
    "COLOR=$C0C0C0\r\n"
    "[MDIAREA]\r\n"
    "COLOR=$405060\r\n"
    "[SCROLLBAR1H]\r\n"
    "COLOR=$000010\r\n"
    "HOTCOLOR=$000020\r\n"
    "[SCROLLBAR2H]\r\n"
    "COLOR=$000030\r\n"
    "HOTCOLOR=$000040\r\n"
    "[SCROLLBAR1V]\r\n"
    "COLOR=$001000\r\n"
    "HOTCOLOR=$002000\r\n"
    "[SCROLLBAR2V]\r\n"
    "COLOR=$003000\r\n"
    "HOTCOLOR=$004000\r\n"
    "[SCROLLBTNLEFT]\r\n"
    "BORDERSMASK=!ARROWS.BMP!3!0!0!1!1!1!1\r\n"
    "[SCROLLBTNRIGHT]\r\n"
    "PARENTCLASS=SCROLLBTNLEFT\r\n"
    "[SCROLLBTNTOP]\r\n"
    "PARENTCLASS=SCROLLBTNLEFT\r\n"
    "[SCROLLBTNBOTTOM]\r\n"
    "PARENTCLASS=SCROLLBTNLEFT\r\n"
    "[SCROLLSLIDERH]\r\n"
    "BORDERSMASK=!THUMB.BMP!3!0!0!1!1!1!1\r\n"
    "[SCROLLSLIDERV]\r\n"
    "PARENTCLASS=SCROLLSLIDERH\r\n";

// Three 10 x 10 state images side by side.
inline QImage StatePicture(const TColor (&colors)[3]) {
  QImage img(30, 10, QImage::Format_RGB888);
  for (int i = 0; i < 3; ++i)
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x)
        img.setPixelColor(
            i * 10 + x, y,
            QColor(int(colors[i] & 0xFF), int(colors[i] >> 8 & 0xFF), int(colors[i] >> 16 & 0xFF)));
  return img;
}

// Scroll bars 16 pixels thick, arrows 16 long.
inline void PinBarMetrics() {
  winshim::ResetSystemProfile();
  for (int metric :
       {winshim::SM_CXVSCROLL, winshim::SM_CYHSCROLL, winshim::SM_CXHSCROLL, winshim::SM_CYVSCROLL})
    winshim::SetSystemMetric(metric, kBar);
}

// The skin folder "Scroll" under dir; the bars pinned to 16 pixels.
inline void WriteScrollSkin(const QString& dir) {
  namespace fx = skin::testing_fixture;
  const QString folder = dir + "/Scroll/";
  fx::WriteFile(folder + "Options.dat", QByteArray(kScrollOptions));
  fx::WriteFile(folder + "MASTER.BMP", fx::Encode(fx::MasterPicture(), "BMP"));
  fx::WriteFile(folder + "ARROWS.BMP", fx::Encode(StatePicture(kArrow), "BMP"));
  fx::WriteFile(folder + "THUMB.BMP", fx::Encode(StatePicture(kThumb), "BMP"));
  fx::WriteFile(folder + "BORDER.BMP", fx::Encode(StatePicture(kBorder), "BMP"));
  PinBarMetrics();
}

// The colour of a pixel of a widget's grab.
inline TColor GrabPixel(const QImage& grab, int x, int y) {
  const QColor c = grab.pixelColor(x, y);
  return TColor(c.red() | c.green() << 8 | c.blue() << 16);
}

}  // namespace kelmo::skinwnd::testing_scroll
