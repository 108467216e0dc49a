// Painting and window helpers of the extension controls.
//
// Pictures are QImages (32-bit), a canvas is a QPainter, an image list is a
// list of QImages whose alpha channel is the mask. No helper keeps state.
#pragma once

#include <QColor>
#include <QEvent>
#include <QFontMetrics>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;
class QObject;

namespace XtVclUtils {

inline int GreaterOf(int a, int b) {
  return a > b ? a : b;
}
inline int LesserOf(int a, int b) {
  return a < b ? a : b;
}
inline int WidthOfRect(const QRect& r) {
  return r.width();
}
inline int HeightOfRect(const QRect& r) {
  return r.height();
}

// The dynamic property a widget carries while it is painted into another
// control's picture (the "paint copy" state).
inline constexpr char kPaintCopyProperty[] = "xtPaintCopy";

// Paints what lies behind `control` into `painter` (in the control's
// coordinates): the parent's own painting, then every visible sibling below
// the control in z-order whose bounds meet the control's. The parent and the
// siblings carry kPaintCopyProperty only while they paint, also when a paint
// throws. Nothing happens without a control or a parent. Cost: one paint of
// the parent and of each overlapping sibling.
void PaintParentImage(QWidget* control, QPainter& painter);

// A picture of the source's size filled with `back`, on which the pixels of
// the outline colour (white for a monochrome source) appear embossed: in
// `highlight` one pixel right and down (when asked), then in `shadow` in
// place. The caller owns the result. O(pixels).
QImage MakeDisabledBitmapInColors(const QImage& source, QColor outline, QColor back,
                                  QColor highlight, QColor shadow, bool drawHighlight);

// MakeDisabledBitmapInColors with the palette's button face, light and dark
// colours, highlight drawn.
QImage MakeDisabledBitmap(const QImage& source, QColor outline);

// Paints the opaque pixels of images[index] at (x, y): in `highlight` at
// (x + 1, y + 1) when asked, then in `gray`. An index outside the list paints
// nothing. The painter's brush is left as it was.
void DrawDisabledImage(const QList<QImage>& images, QPainter& painter, int x, int y, int index,
                       QColor highlight, QColor gray, bool drawHighlight);

// The text, or its first characters followed by "..." so that it fits
// `maxWidth`; the first shortened form drops two characters and the shortest
// is "..." whether it fits or not. O(length) measurements.
QString FitTextWithEllipsis(const QString& text, const QFontMetrics& metrics, int maxWidth);

// Removes pending posted events of a type for a receiver without waiting.
// (Qt removes every such event, not only the first one.)
void RemovePendingMessage(QObject* receiver, QEvent::Type type);

// True when the active window belongs to the calling thread.
bool IsThreadWindowActive();

// The application palette's button colours the controls paint their frames
// and arrows with: face (Button), highlight (Light), shadow (Dark), window
// frame (Shadow) and button text (ButtonText). Each reads the palette anew.
QColor ButtonFaceColor();
QColor ButtonHighlightColor();
QColor ButtonShadowColor();
QColor WindowFrameColor();
QColor ButtonTextColor();

// The text unchanged (range messages pass through it).
inline QString ResourceTextAsIs(const QString& text) {
  return text;
}

}  // namespace XtVclUtils
