// The fixture skin of the control wrappers' tests, made by code: every
// section a control wrapper paints, in plain colours, and a master bitmap
// whose masks are blocks of one colour per state (with a magenta corner
// pixel where a test looks for the parent showing through), so a pixel of
// a grab tells the section and the state that painted it.
#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include "skin/skin_manager.h"
#include "skin_fixture.h"

namespace kelmo::skinwnd::testing_controls {

using kelmo::skin::TColor;

// $BBGGRR of a red, green, blue triple.
constexpr TColor Bgr(int r, int g, int b) {
  return TColor(r | g << 8 | b << 16);
}

// The colour of a state image of a mask block.
struct Block {
  const char* name;
  int x, y, w, h, count;
  TColor colour[3];
  bool keyedCorner;  // magenta top-left pixel of each state image
};

// Mask blocks in the master bitmap.
inline constexpr Block kButton{
    "BUTTON", 0, 0, 10, 10, 3, {Bgr(0, 0x40, 0x40), Bgr(0x80, 0x80, 0), Bgr(0x80, 0, 0x80)}, true};
inline constexpr Block kToolButton{
    "TOOLBUTTON",
    0,
    10,
    10,
    10,
    3,
    {Bgr(0x60, 0x10, 0x10), Bgr(0x10, 0x60, 0x10), Bgr(0x10, 0x10, 0x60)},
    false};
inline constexpr Block kDivider{"DIVIDER", 0, 20, 12, 10, 1, {Bgr(0xC0, 0, 0)}, false};
inline constexpr Block kStatusPanel{"STATUSPANEL", 0, 30, 12, 10, 1, {Bgr(0, 0xC0, 0xC0)}, false};
inline constexpr Block kTab{
    "TAB", 40, 0, 10, 10, 3, {Bgr(0, 0x50, 0x50), Bgr(0x60, 0, 0x60), Bgr(0x70, 0x70, 0)}, false};
inline constexpr Block kGroup{"GROUPBOX",
                              40,
                              20,
                              10,
                              10,
                              3,
                              {Bgr(0xA0, 0x50, 0x20), Bgr(0xA0, 0x50, 0x21), Bgr(0xA0, 0x50, 0x22)},
                              false};
inline constexpr Block kGrip{"GRIP", 40, 30, 10, 10, 1, {Bgr(0xA0, 0xA0, 0)}, true};
// The arrows: top, bottom, left, right.
inline constexpr Block kArrows[4] = {
    {"SCROLLBTNTOP", 80, 0, 6, 6, 3, {Bgr(40, 0, 1), Bgr(40, 80, 1), Bgr(40, 160, 1)}, false},
    {"SCROLLBTNBOTTOM", 80, 6, 6, 6, 3, {Bgr(80, 0, 1), Bgr(80, 80, 1), Bgr(80, 160, 1)}, false},
    {"SCROLLBTNLEFT", 80, 12, 6, 6, 3, {Bgr(120, 0, 1), Bgr(120, 80, 1), Bgr(120, 160, 1)}, false},
    {"SCROLLBTNRIGHT",
     80,
     18,
     6,
     6,
     3,
     {Bgr(160, 0, 1), Bgr(160, 80, 1), Bgr(160, 160, 1)},
     false}};
// The check images, 13 x 13 in three states.
inline constexpr Block kChecks[5] = {
    {"BOXUNCHECKED", 0, 60, 13, 13, 3, {Bgr(1, 0, 100), Bgr(1, 0, 150), Bgr(1, 0, 200)}, false},
    {"BOXCHECKED", 40, 60, 13, 13, 3, {Bgr(2, 0, 100), Bgr(2, 0, 150), Bgr(2, 0, 200)}, false},
    {"BOXGRAYED", 80, 60, 13, 13, 3, {Bgr(3, 0, 100), Bgr(3, 0, 150), Bgr(3, 0, 200)}, false},
    {"RADIOUNCHECKED", 120, 60, 13, 13, 3, {Bgr(4, 0, 100), Bgr(4, 0, 150), Bgr(4, 0, 200)}, false},
    {"RADIOCHECKED", 160, 60, 13, 13, 3, {Bgr(5, 0, 100), Bgr(5, 0, 150), Bgr(5, 0, 200)}, false}};

// Section colours.
inline constexpr TColor kCheckBoxColor = Bgr(0xFF, 0xC0, 0);
inline constexpr TColor kPanelColor = Bgr(0, 0xFF, 0);
inline constexpr TColor kPanelLowColor = Bgr(0, 0x80, 0);
inline constexpr TColor kGroupBoxColor = Bgr(0, 0xC0, 0xFF);
inline constexpr TColor kPageColor = Bgr(0xC0, 0xC0, 0xC0);
inline constexpr TColor kPageBottomColor = Bgr(0xA0, 0xA0, 0xA0);
inline constexpr TColor kToolBarColor = Bgr(0xC0, 0xC0, 0x80);
inline constexpr TColor kStatusBarColor = Bgr(0xC0, 0x80, 0xC0);
inline constexpr TColor kGlobalColor = Bgr(0xD0, 0xD0, 0xD0);

// A mask value "^" of a block: rect, margins 3 (0 for one-image blocks
// painted whole), the count, keyed (type 0).
inline QString MaskValue(const Block& b) {
  const int margin = b.count == 3 ? 3 : 0;
  return QString::asprintf("^%04d %04d %04d %04d %04d %04d %04d %04d %d 0 1 0", b.x, b.y,
                           b.x + b.w * b.count, b.y + b.h, margin, margin, margin, margin, b.count);
}
// A glyph value "@" of a block.
inline QString GlyphValue(const Block& b) {
  return QString::asprintf("@%04d %04d %04d %04d %d 0", b.x, b.y, b.x + b.w * b.count, b.y + b.h,
                           b.count);
}

// Paints a block's state images into a master bitmap.
inline void PaintBlock(QImage& img, const Block& b) {
  for (int s = 0; s < b.count; ++s) {
    const TColor c = b.colour[s];
    const QColor q(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    for (int y = 0; y < b.h; ++y)
      for (int x = 0; x < b.w; ++x) img.setPixelColor(b.x + s * b.w + x, b.y + y, q);
    if (b.keyedCorner) img.setPixelColor(b.x + s * b.w, b.y, QColor(255, 0, 255));
  }
}

inline QImage ControlsMaster() {
  QImage img(200, 80, QImage::Format_RGB888);
  img.fill(QColor(0x40, 0x40, 0x40));
  auto paint = [&](const Block& b) { PaintBlock(img, b); };
  for (const Block& b : {kButton, kToolButton, kDivider, kStatusPanel, kTab, kGroup, kGrip})
    paint(b);
  for (const Block& b : kArrows) paint(b);
  for (const Block& b : kChecks) paint(b);
  return img;
}

inline QString ControlsOptions(bool statusPanelMask) {
  auto hex = [](TColor c) { return QString::asprintf("$%06X", unsigned(c)); };
  QString o;
  o += "[GLOBALINFO]\r\nVERSION=7.5\r\nMASTERBITMAP=MASTER.BMP\r\nCOLOR=" + hex(kGlobalColor) +
       "\r\n";
  for (const Block& b : kChecks) o += QString(b.name) + "=" + MaskValue(b) + "\r\n";
  o += "GRIPIMAGE=" + MaskValue(kGrip) + "\r\n";
  // "TABTOP" must lie past the first section for the tabs to be painted.
  o += "[CHECKBOX]\r\nCOLOR=" + hex(kCheckBoxColor) + "\r\n";
  o += "[BUTTON]\r\nCOLOR=$FFFFFF\r\nSHOWFOCUS=1\r\nBORDERSMASK=" + MaskValue(kButton) + "\r\n";
  o += "[SPEEDBUTTON]\r\nPARENTCLASS=BUTTON\r\n";
  o += "[UPDOWNBTN]\r\nPARENTCLASS=BUTTON\r\n";
  o += "[TOOLBUTTON]\r\nCOLOR=$FFFFFF\r\nBORDERSMASK=" + MaskValue(kToolButton) + "\r\n";
  o += "[TOOLBAR]\r\nCOLOR=" + hex(kToolBarColor) + "\r\n";
  o += "[BAR]\r\nPARENTCLASS=TOOLBAR\r\n";
  o += "[DIVIDER]\r\nCOLOR=$FFFFFF\r\nBORDERSMASK=" + MaskValue(kDivider) + "\r\n";
  o += "[STATUSBAR]\r\nCOLOR=" + hex(kStatusBarColor) + "\r\n";
  if (statusPanelMask) o += "STATUSPANELMASK=" + MaskValue(kStatusPanel) + "\r\n";
  o += "[PANEL]\r\nCOLOR=" + hex(kPanelColor) + "\r\n";
  o += "[PANEL_LOW]\r\nCOLOR=" + hex(kPanelLowColor) + "\r\n";
  o += "[GROUPBOX]\r\nCOLOR=" + hex(kGroupBoxColor) + "\r\nBORDERSMASK=" + MaskValue(kGroup) +
       "\r\n";
  o += "[PAGECONTROL]\r\nCOLOR=" + hex(kPageColor) + "\r\n";
  o += "[PAGECONTROLBOTTOM]\r\nCOLOR=" + hex(kPageBottomColor) + "\r\n";
  o += "[TABTOP]\r\nCOLOR=$FFFFFF\r\nBORDERSMASK=" + MaskValue(kTab) + "\r\n";
  o += "[TABBOTTOM]\r\nPARENTCLASS=TABTOP\r\n";
  for (const Block& b : kArrows)
    o += QString("[") + b.name + "]\r\nGLYPHMASK=" + GlyphValue(b) + "\r\n";
  return o;
}

// A skin directory holding "Controls" (with the status panel mask) and
// "ControlsNoPanels" (without it).
inline void WriteControlsSkins(const QString& dir) {
  namespace fx = kelmo::skin::testing_fixture;
  const QByteArray master = fx::Encode(ControlsMaster(), "BMP");
  for (const bool panels : {true, false}) {
    const QString folder = dir + (panels ? "/Controls/" : "/ControlsNoPanels/");
    fx::WriteFile(folder + "Options.dat", ControlsOptions(panels).toLatin1());
    fx::WriteFile(folder + "MASTER.BMP", master);
  }
}

}  // namespace kelmo::skinwnd::testing_controls
