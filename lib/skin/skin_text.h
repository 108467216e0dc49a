// Captions in a skin section's font colours with a one-pixel contour, and
// small device-context helpers of the skinned controls: solid fills of a
// rect or a frame, copying a frame's border strips, clipping out graphic
// children, shortening a text with an ellipsis, nested 3D frames, a dotted
// focus frame and the layout of a glyph button.
#pragma once

#include <QFont>
#include <QString>

#include "skin/skin_data.h"
#include "winshim/dc.h"

class QWidget;

namespace kelmo::skin {

class TkCommonData;

// The DC's state is saved and restored around the fills.
void FillDCRect(winshim::Dc& dc, const Rect& rect, TColor color);
void FillDCFrame(winshim::Dc& dc, const Rect& rect, TColor color, int left, int top, int right,
                 int bottom);
void BitBltFrame(winshim::Dc& target, int x, int y, int b, int h, int w, const winshim::Dc& source,
                 int sx, int sy);
// Excludes the visible widgets of the parent that have no window of their
// own (here: those marked with the "kelmoGraphicControl" property).
void ExcludeGraphicControls(winshim::Dc& dc, const QWidget* parent, int yOffset, int xOffset);
QString CutTextToWidth(const QFont& font, const QString& text, int maxWidth);
int DrawTextStr(winshim::Dc& dc, const QString& text, Rect& rect, unsigned format);
int TextWidthOf(const QFont& font, const QString& text);
QSize TextExtentOf(const QFont& font, const QString& text);
void TextRectOut(winshim::Dc& dc, const Rect& rect, int x, int y, const QString& text);
void DrawSectionTextBuf(winshim::Dc& dc, const QString& text, bool enabled,
                        const TkSkinManager* manager, bool hot, int sectionIndex, unsigned format,
                        Rect rect);
inline void DrawSectionText(winshim::Dc& dc, const QString& text, bool enabled,
                            const TkSkinManager* manager, bool hot, int sectionIndex,
                            unsigned format, Rect rect) {
  DrawSectionTextBuf(dc, text, enabled, manager, hot, sectionIndex, format, rect);
}
void DrawControlTextBuf(winshim::Dc& dc, const QString& text, bool enabled, bool hot,
                        const TkCommonData& link, unsigned format, Rect rect);
inline void DrawControlText(winshim::Dc& dc, const QString& text, bool enabled, bool hot,
                            const TkCommonData& link, unsigned format, Rect rect) {
  DrawControlTextBuf(dc, text, enabled, hot, link, format, rect);
}
// On return the rect is shrunk by the count on each side and the count is 0.
void DrawNestedFrames(winshim::Dc& dc, Rect& rect, TColor topLeft, int& count, TColor bottomRight);
void DrawFocusDots(winshim::Dc& dc, const Rect& rect);

struct GlyphLayout {
  Rect captionRect;
  QPoint glyphPoint;
};
// layout: 0 glyph left, 1 right, 2 above, 3 below; rightToLeft swaps 0 and 1.
GlyphLayout CalcGlyphLayout(const Rect& client, QSize glyph, QSize caption, bool rightToLeft,
                            int spacing, int margin, int alignment, int layout);

// The section whose text colours a control uses.
int GetFontSection(const QWidget* control, int sectionIndex, const TkSkinManager* manager);

}  // namespace kelmo::skin
