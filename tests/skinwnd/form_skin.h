// A skin for the form provider's tests, made by code: the form's border in
// one colour per state (inactive, active) with a magenta top-left pixel
// that the window region leaves out, the caption and menu line in plain
// colours, the caption buttons (minimize, maximize, restore, close and the
// user button's background) in three states each of a colour of their
// own, and a grip image. The system metrics are the classic ones (frame 4,
// caption 19, menu 19).
#pragma once

#include <QImage>
#include <QString>

#include "skin/skin_data.h"
#include "skin_fixture.h"

namespace kelmo::skinwnd::testing_form {

using skin::TColor;

// $BBGGRR colours.
inline constexpr TColor kBorder[2] = {0x303090, 0x903030};  // inactive, active
inline constexpr TColor kFormColor = 0x707070;
inline constexpr TColor kTitleColor = 0x20A020;
inline constexpr TColor kMenuLineColor = 0xA0A020;
inline constexpr TColor kGlobalColor = 0xC8C8C8;
inline constexpr TColor kGrip = 0x0080F0;
// Caption buttons: normal, hot, pressed.
inline constexpr TColor kClose[3] = {0x0000A0, 0x0000C0, 0x0000E0};
inline constexpr TColor kMax[3] = {0x00A000, 0x00C000, 0x00E000};
inline constexpr TColor kMin[3] = {0xA00000, 0xC00000, 0xE00000};
inline constexpr TColor kNorm[3] = {0xA0A000, 0xC0C000, 0xE0E000};
inline constexpr TColor kTitleButton[3] = {0x00A0A0, 0x00C0C0, 0x00E0E0};

// The caption buttons are 16 x 14; BIRIGHT 2, BISPACE 2.
inline constexpr int kButtonW = 16, kButtonH = 14, kRight = 2, kSpace = 2;

struct Strip {
  const char* name;
  int y;
  const TColor* colours;
};
inline constexpr Strip kButtons[5] = {{"BICONCLOSE", 30, kClose},
                                      {"BICONMAX", 44, kMax},
                                      {"BICONMIN", 58, kMin},
                                      {"BICONNORM", 72, kNorm},
                                      {"TITLEBUTTON", 86, kTitleButton}};

inline QColor Q(TColor c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// The master bitmap: the border's two 20 x 20 images at the top, the
// grip beside them, the button strips below.
inline QImage FormMaster() {
  QImage img(120, 100, QImage::Format_RGB888);
  img.fill(QColor(0x40, 0x40, 0x40));
  for (int s = 0; s < 2; ++s) {
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) img.setPixelColor(s * 20 + x, y, Q(kBorder[s]));
    img.setPixelColor(s * 20, 0, QColor(255, 0, 255));
  }
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) img.setPixelColor(50 + x, y, Q(kGrip));
  // The extended border's shadow picture.
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) img.setPixelColor(60 + x, y, QColor(0x20, 0x20, 0x20));
  for (const Strip& b : kButtons)
    for (int s = 0; s < 3; ++s)
      for (int y = 0; y < kButtonH; ++y)
        for (int x = 0; x < kButtonW; ++x)
          img.setPixelColor(s * kButtonW + x, b.y + y, Q(b.colours[s]));
  return img;
}

// The extended frame: title 26, border 6, shadow margins 5.
inline constexpr int kExtTitle = 26, kExtBorder = 6, kShadow = 5;

inline QString FormOptions(bool extended = false) {
  auto hex = [](TColor c) { return QString::asprintf("$%06X", unsigned(c)); };
  QString o =
      "[GLOBALINFO]\r\nVERSION=7.5\r\nMASTERBITMAP=MASTER.BMP\r\nCOLOR=" + hex(kGlobalColor) +
      "\r\nBIRIGHT=2\r\nBISPACE=2\r\n";
  if (extended)
    o += "TITLEHEIGHT=26\r\nBORDERWIDTH=6\r\n"
         "EXBORDER=^0060 0000 0090 0030 0005 0005 0005 0005 1 0 0 0\r\n";
  o += "GRIPIMAGE=^0050 0000 0060 0010 0000 0000 0000 0000 1 0 0 0\r\n";
  for (const Strip& b : kButtons)
    o +=
        QString(b.name) + QString::asprintf("=^0000 %04d %04d %04d 0000 0000 0000 0000 3 0 0 0\r\n",
                                            b.y, 3 * kButtonW, b.y + kButtonH);
  o += "[FORM]\r\nCOLOR=" + hex(kFormColor) + "\r\nHOTCOLOR=" + hex(kFormColor) +
       "\r\nBORDERSMASK=^0000 0000 0040 0020 0004 0004 0004 0004 2 0 0 0\r\n";
  o += "[FORMTITLE]\r\nCOLOR=" + hex(kTitleColor) + "\r\nHOTCOLOR=" + hex(kTitleColor) + "\r\n";
  o +=
      "[MENULINE]\r\nCOLOR=" + hex(kMenuLineColor) + "\r\nHOTCOLOR=" + hex(kMenuLineColor) + "\r\n";
  return o;
}

// A skin directory holding "Form" and "FormExt" (with the extended frame).
inline void WriteFormSkin(const QString& dir) {
  namespace fx = kelmo::skin::testing_fixture;
  for (const bool extended : {false, true}) {
    const QString folder = dir + (extended ? "/FormExt/" : "/Form/");
    fx::WriteFile(folder + "Options.dat", FormOptions(extended).toLatin1());
    fx::WriteFile(folder + "MASTER.BMP", fx::Encode(FormMaster(), "BMP"));
  }
}

}  // namespace kelmo::skinwnd::testing_form
