// The fixture skin of the hook, dialog and menu tests, made by code: the
// controls' skin with the sections of dialogs (DIALOG, FORMTITLE, the
// caption buttons of GLOBALINFO), of forms (FORM) and of menus (MAINMENU with a border mask
// whose top-left pixel is magenta, MENUITEM, MENULINE, EXTRALINE), each in
// a colour of its own, so a pixel of a grab tells which painted it.
#pragma once

#include <QPainter>

#include "control_test_form.h"
#include "controls_skin.h"

namespace kelmo::skinwnd::testing_dialogs {

using kelmo::skin::TColor;
using testing_controls::Bgr;
using testing_controls::Block;

inline constexpr TColor kDialogColor = Bgr(0x30, 0x60, 0x90);
inline constexpr TColor kFormColor = Bgr(0x50, 0x70, 0x30);
inline constexpr TColor kTitleColor = Bgr(0x90, 0x30, 0x60);
inline constexpr TColor kMenuColor = Bgr(0xE0, 0xD0, 0x10);
inline constexpr TColor kMenuBorderColor = Bgr(0x10, 0x20, 0xA0);
inline constexpr TColor kItemColor = Bgr(0x11, 0xEE, 0x77);
inline constexpr TColor kItemHotColor = Bgr(0xEE, 0x11, 0x22);
inline constexpr TColor kMenuLineColor = Bgr(0x44, 0x88, 0x44);
inline constexpr TColor kExtraLineColor = Bgr(0x70, 0x10, 0x70);

// The caption buttons, 12 x 12 in three states: close, maximize,
// minimize, help.
inline constexpr Block kTitleButtons[4] = {
    {"BICONCLOSE", 0, 80, 12, 12, 3, {Bgr(200, 0, 1), Bgr(200, 60, 1), Bgr(200, 120, 1)}, false},
    {"BICONMAX", 40, 80, 12, 12, 3, {Bgr(0, 200, 2), Bgr(60, 200, 2), Bgr(120, 200, 2)}, false},
    {"BICONMIN", 80, 80, 12, 12, 3, {Bgr(3, 0, 200), Bgr(3, 60, 200), Bgr(3, 120, 200)}, false},
    {"BICONHELP", 120, 80, 12, 12, 3, {Bgr(4, 90, 90), Bgr(4, 120, 120), Bgr(4, 150, 150)}, false}};
// The extended border's picture (the shadow, or the frame in border mode
// 1): 30 x 30 with corners of 8.
inline constexpr TColor kShadowColor = Bgr(0x20, 0x20, 0x20);
inline constexpr Block kExBorder{"EXBORDER", 160, 85, 30, 30, 1, {kShadowColor}, false};
// The extended frame: title 26, border 6, shadow margins 8 - 3 = 5 (border
// mode 0) or 3 (mode 1).
inline constexpr int kExtTitle = 26, kExtBorder = 6, kFormOffset = 3;

// The popup menu's border: one image of 12 x 12 with margins of 3.
inline constexpr Block kMenuBorder{"BORDERSMASK", 0, 100, 12, 12, 1, {kMenuBorderColor}, true};

inline QImage DialogsMaster() {
  QImage img(200, 120, QImage::Format_RGB888);
  img.fill(QColor(0x40, 0x40, 0x40));
  {
    QPainter p(&img);
    p.drawImage(0, 0, testing_controls::ControlsMaster());
  }
  for (const Block& b : kTitleButtons) testing_controls::PaintBlock(img, b);
  testing_controls::PaintBlock(img, kMenuBorder);
  testing_controls::PaintBlock(img, kExBorder);
  // The border's inside shows the menu's own background.
  for (int y = 3; y < 9; ++y)
    for (int x = 3; x < 9; ++x) img.setPixelColor(x, 100 + y, QColor(255, 0, 255));
  return img;
}

// borderMode -1: no extended border; else its BORDERMODE.
inline QString DialogsOptions(int borderMode = -1) {
  auto hex = [](TColor c) { return QString::asprintf("$%06X", unsigned(c)); };
  QString o = testing_controls::ControlsOptions(true);
  // The caption buttons belong to GLOBALINFO, the first section.
  QString buttons;
  for (const Block& b : kTitleButtons)
    buttons += QString(b.name) + "=" + testing_controls::MaskValue(b) + "\r\n";
  if (borderMode >= 0)
    buttons += QString::asprintf(
        "TITLEHEIGHT=%d\r\nBORDERWIDTH=%d\r\nFORMOFFSET=%d\r\nBORDERMODE=%d\r\n"
        "EXBORDER=^%04d %04d %04d %04d 0008 0008 0008 0008 1 0 0 0\r\n",
        kExtTitle, kExtBorder, kFormOffset, borderMode, kExBorder.x, kExBorder.y,
        kExBorder.x + kExBorder.w, kExBorder.y + kExBorder.h);
  o.replace("[CHECKBOX]", buttons + "[CHECKBOX]");
  // Frames paint their active state as the section's hot one.
  auto both = [&](TColor c) { return "COLOR=" + hex(c) + "\r\nHOTCOLOR=" + hex(c) + "\r\n"; };
  o += "[FORM]\r\n" + both(kFormColor);
  o += "[DIALOG]\r\n" + both(kDialogColor);
  o += "[FORMTITLE]\r\n" + both(kTitleColor);
  o += "[EDIT]\r\nCOLOR=$FFFFFF\r\n";
  o += "[COMBOBOX]\r\nPARENTCLASS=EDIT\r\n";
  o += "[MAINMENU]\r\nCOLOR=" + hex(kMenuColor) + "\r\nBORDERSMASK=" +
       QString::asprintf("^%04d %04d %04d %04d 0003 0003 0003 0003 1 0 1 0", kMenuBorder.x,
                         kMenuBorder.y, kMenuBorder.x + kMenuBorder.w,
                         kMenuBorder.y + kMenuBorder.h) +
       "\r\n";
  o += "[MENUITEM]\r\nCOLOR=" + hex(kItemColor) + "\r\nHOTCOLOR=" + hex(kItemHotColor) + "\r\n";
  o += "[MENULINE]\r\n" + both(kMenuLineColor);
  o += "[EXTRALINE]\r\nCOLOR=" + hex(kExtraLineColor) + "\r\n";
  return o;
}

// A skin directory holding "Dialogs", and "DialogsExt0" and "DialogsExt1"
// with an extended border in border mode 0 and 1.
inline void WriteDialogsSkin(const QString& dir) {
  namespace fx = kelmo::skin::testing_fixture;
  const QByteArray master = fx::Encode(DialogsMaster(), "BMP");
  for (const int mode : {-1, 0, 1}) {
    const QString folder =
        dir + (mode < 0 ? QStringLiteral("/Dialogs/") : QStringLiteral("/DialogsExt%1/").arg(mode));
    fx::WriteFile(folder + "Options.dat", DialogsOptions(mode).toLatin1());
    fx::WriteFile(folder + "MASTER.BMP", master);
  }
}

}  // namespace kelmo::skinwnd::testing_dialogs
