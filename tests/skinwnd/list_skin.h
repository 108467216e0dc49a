// The skin of the list-like wrappers' tests, made by code: a master bitmap
// whose three state images (normal, hot, pressed) differ in colour and whose
// glyph strip is one colour, and the sections the wrappers paint with:
// COLHEADER, COMBOBTN and COMBOBOX (border and arrow), the scroll buttons'
// arrows, the vertical bar's track halves, EDIT, MENU and MENUITEM.
#pragma once

#include <QImage>
#include <QWidget>

#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin_fixture.h"
#include "skin_test_pixels.h"

namespace kelmo::skinwnd::testing_lists {

namespace fx = kelmo::skin::testing_fixture;
using winshim::TColor;

// The state images' colours ($BBGGRR) and the glyph's.
inline constexpr TColor kNormal = 0x604020, kHot = 0xA08060, kPressed = 0x2020A0;
inline constexpr TColor kGlyph = 0x109010;
inline constexpr TColor kEditColor = 0xF0E0D0, kEditFont = 0x102030;
inline constexpr TColor kGlobalColor = 0xC0C0C0, kGlobalFont = 0x000080, kGlobalHot = 0xE0E0E0;
inline constexpr TColor kMenuColor = 0x0080FF, kMenuItemHot = 0x00FFFF;
// The vertical scroll bar's track halves.
inline constexpr TColor kTrack1V = 0x001000, kTrack2V = 0x003000;

inline const char* const kListOptions =
    "[GLOBALINFO]\r\n"
    "VERSION=7.5\r\n"
    "MASTERBITMAP=MASTER.BMP\r\n"
    "COLOR=$C0C0C0\r\n"
    "FONTCOLOR=$000080\r\n"
    "HOTCOLOR=$E0E0E0\r\n"
    "[EDIT]\r\n"
    "COLOR=$F0E0D0\r\n"
    "FONTCOLOR=$102030\r\n"
    "HOTFONTCOLOR=$405060\r\n"
    "BORDERSMASK=^0000 0000 0090 0020 0004 0004 0004 0004 3 0 0 0\r\n"
    "[COLHEADER]\r\n"
    "COLOR=$808080\r\n"
    "BORDERSMASK=^0000 0000 0090 0020 0004 0004 0004 0004 3 0 0 0\r\n"
    "[COMBOBTN]\r\n"
    "COLOR=$808080\r\n"
    "BORDERSMASK=^0000 0000 0090 0020 0004 0004 0004 0004 3 0 0 0\r\n"
    "[COMBOBOX]\r\n"
    "PARENTCLASS=EDIT\r\n"
    "GLYPHMASK=@0000 0020 0030 0030 3 0\r\n"
    "[SCROLLBTNTOP]\r\n"
    "GLYPHMASK=@0000 0020 0030 0030 3 0\r\n"
    "[SCROLLBTNBOTTOM]\r\n"
    "GLYPHMASK=@0000 0020 0030 0030 3 0\r\n"
    "[SCROLLBAR1V]\r\n"
    "COLOR=$001000\r\n"
    "HOTCOLOR=$002000\r\n"
    "[SCROLLBAR2V]\r\n"
    "COLOR=$003000\r\n"
    "HOTCOLOR=$004000\r\n"
    "[MENU]\r\n"
    "COLOR=$0080FF\r\n"
    "[MENUITEM]\r\n"
    "HOTCOLOR=$00FFFF\r\n"
    "HOTFONTCOLOR=$000001\r\n";

// 90 x 40: three 30 x 20 state images side by side, a 30 x 10 glyph strip
// below them.
inline QImage ListMaster() {
  QImage img(90, 40, QImage::Format_RGB888);
  img.fill(QColor(0x50, 0x50, 0x50));
  const TColor states[] = {kNormal, kHot, kPressed};
  auto rgb = [](TColor c) {
    return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
  };
  for (int i = 0; i < 3; ++i)
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) img.setPixelColor(30 * i + x, y, rgb(states[i]));
  for (int y = 20; y < 30; ++y)
    for (int x = 0; x < 30; ++x) img.setPixelColor(x, y, rgb(kGlyph));
  return img;
}

// Writes the skin "Lists" into the directory.
inline void WriteListSkin(const QString& dir) {
  fx::WriteFile(dir + "/Lists/Options.dat", QByteArray(kListOptions));
  fx::WriteFile(dir + "/Lists/MASTER.BMP", fx::Encode(ListMaster(), "BMP"));
}

// The widget as it shows, as a 24-bit bitmap.
inline QImage Grab(QWidget* w) {
  return w->grab().toImage().convertToFormat(QImage::Format_BGR888);
}

inline TColor At(const QImage& img, int x, int y) {
  return kelmo::skin::testing_pixels::Px(img, x, y);
}

// Switches the skin off as the manager does: the skin goes out of force,
// the windows hear of its removal, the tables are emptied. (The manager's
// own broadcast reaches only windows that still answer as skinned.)
inline void SwitchOff(kelmo::skin::TkSkinManagerComponent& m,
                      std::initializer_list<winshim::HWND> windows) {
  m.Manager.SkinData.SkinActive = false;
  for (winshim::HWND h : windows)
    kelmo::skin::SendSkinCommand(h, kelmo::skin::scRemoveSkin, winshim::LPARAM(&m.Manager));
  m.SetActive(false);
}

}  // namespace kelmo::skinwnd::testing_lists
