// DrawText with its DT_ flags, implemented once over QFontMetrics, and the
// logical-font record with its conversion to and from the DC's font.
#pragma once

#include <QString>
#include <cstdint>

#include "winshim/dc.h"

namespace kelmo::winshim {

enum DrawTextFlags : unsigned {
  DT_TOP = 0x0,
  DT_LEFT = 0x0,
  DT_CENTER = 0x1,
  DT_RIGHT = 0x2,
  DT_VCENTER = 0x4,
  DT_BOTTOM = 0x8,
  DT_WORDBREAK = 0x10,
  DT_SINGLELINE = 0x20,
  DT_EXPANDTABS = 0x40,
  DT_TABSTOP = 0x80,
  DT_NOCLIP = 0x100,
  DT_EXTERNALLEADING = 0x200,
  DT_CALCRECT = 0x400,
  DT_NOPREFIX = 0x800,
  DT_INTERNAL = 0x1000,
  DT_EDITCONTROL = 0x2000,
  DT_PATH_ELLIPSIS = 0x4000,
  DT_END_ELLIPSIS = 0x8000,
  DT_MODIFYSTRING = 0x10000,
  DT_RTLREADING = 0x20000,
  DT_WORD_ELLIPSIS = 0x40000,
  DT_HIDEPREFIX = 0x100000,
  DT_PREFIXONLY = 0x200000
};

// Draws the text into the rect in the DC's font, text colour and background
// mode; with DT_CALCRECT draws nothing and sets the rect's right and bottom
// to the text's extent. Returns the text's height, or with DT_VCENTER or
// DT_BOTTOM the offset from the rect's top to the bottom of the text.
int DrawText(Dc& dc, const QString& text, Rect& rect, unsigned format);

// The text as DrawText would show it on one line (tabs, prefixes and the
// ellipsis forms applied), for callers that measure.
QString DrawTextLine(const QFont& font, const QString& text, int width, unsigned format);

// LOGFONT: heights below 0 are character heights, above 0 cell heights, in
// pixels; weights 100..900; escapement and orientation in tenths of degrees.
struct LogFont {
  int height = 0;
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::uint8_t charSet = 1;  // DEFAULT_CHARSET
  QString faceName;
};

enum FontWeight : int { FW_NORMAL = 400, FW_BOLD = 700 };

Font CreateFontIndirect(const LogFont& lf);
LogFont GetLogFont(const Font& font);

}  // namespace kelmo::winshim
