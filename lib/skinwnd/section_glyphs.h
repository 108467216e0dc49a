// The small pictures the list-like wrappers take from the skin: a section's
// GLYPHMASK (the combo box's arrow, the scroll buttons' arrows that mark a
// sorted column), painted in a state over what a bitmap already holds.
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include "skin/skin_data.h"

namespace kelmo::skinwnd {

// The GLYPHMASK of the named section (through its PARENTCLASS chain); -1
// without a manager, the section or its glyph.
int GlyphMaskIndex(const skin::TkSkinManager* manager, const QString& section);
// One state image's size; empty for an invalid index.
QSize GlyphSize(const skin::TkSkinManager* manager, int maskIndex);
// The glyph's state image at the point; its transparent pixels show what
// the bitmap held before.
void PaintGlyph(QImage& bitmap, const skin::TkSkinManager* manager, int maskIndex, QPoint at,
                int state);
// The arrow of a sorted column: the bottom scroll button's for a column
// sorted down, the top one's for one sorted up.
int SortGlyphIndex(const skin::TkSkinManager* manager, bool down);

}  // namespace kelmo::skinwnd
