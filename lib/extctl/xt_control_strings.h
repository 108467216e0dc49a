// User-interface texts, cursors and small pictures shared by the extension
// controls (spin edit, date edit, calendar windows, speed buttons).
//
// Texts keep the numbers of the controls' string table so a caller can refer
// to them by number; pictures are drawn in code on first use, never loaded
// from files. Nothing here keeps state beyond a function-local cache of
// immutable pictures.
#pragma once

#include <QCursor>
#include <QImage>
#include <QString>

namespace XtControlStrings {

// String-table numbers the controls read.
inline constexpr int kDateAboveMax = 61233;
inline constexpr int kDateBelowMin = 61234;
inline constexpr int kDateOutOfRange = 61235;
inline constexpr int kDateLimitsConflict = 61236;
inline constexpr int kHintPrevMonth = 61258;
inline constexpr int kHintPrevYear = 61259;
inline constexpr int kHintNextMonth = 61260;
inline constexpr int kHintNextYear = 61261;
inline constexpr int kDateDialogTitle = 61262;

// Cursor numbers.
inline constexpr int kHandCursor = 14000;
inline constexpr int kDragCursor = 14001;

// The text of a string-table entry; an unknown number gives an empty text.
// Texts are read at the moment of use. O(1).
QString XtLoadStr(int number);

// The short part of a hint ("text|long text" gives "text").
QString ShortHint(const QString& hint);

// The cursor registered under a number: 14000 the pointing hand, 14001 the
// grabbing hand; any other number the arrow.
QCursor XtScreenCursor(int number);

// Stock pictures by their resource name: "XTSPINUP", "XTSPINDOWN" (6 x 6),
// "RSPINUP", "RSPINDOWN" (7 x 4), "DEDITBMP" (28 x 12, magenta background),
// "PREV1", "PREV2", "NEXT1", "NEXT2" (8 x 6). Black strokes on white, except
// DEDITBMP. An unknown name gives a null image. Built once, then copied (cheap,
// implicitly shared).
QImage XtResourceBitmap(const QString& name);

// The colour a picture treats as transparent: its bottom-left pixel, as the
// controls' bitmaps always did.
QRgb TransparentColorOf(const QImage& image);

}  // namespace XtControlStrings
