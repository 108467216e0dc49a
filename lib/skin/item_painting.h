// Painting one skin item (a rect in the look of a skin section) into an
// off-screen bitmap: the section's background (colour, texture, gradient and
// transparency over what lies behind), its border mask and its four corner
// images; and the transparent corner areas of skinned forms and menus.
// Every routine returns quietly for an invalid index, a missing manager or
// bitmap, or an empty rect or one outside the bitmap.
#pragma once

#include <QImage>
#include <vector>

#include "skin/paint_primitives.h"
#include "skin/skin_data.h"
#include "winshim/dc.h"

namespace kelmo::skin {

class TkCommonData;

void PaintItemBg(int sectionIndex, const QString& sectionName, const TBgSource& bg,
                 TColor customColor, int hotTexture, int texture, TkSkinManager* manager,
                 QImage& bitmap, QPoint offset, const Rect& rect, bool hot);
void PaintControlBg(const TkCommonData& link, const TBgSource& bg, bool hot, QImage& bitmap,
                    QPoint offset, const Rect& rect);
void PaintItemBgForMask(int sectionIndex, int texture, int hotTexture, TkSkinManager* manager,
                        QImage& bitmap, QPoint offset, const Rect& rect, bool hot,
                        const TBgSource& bg, const QString& sectionName);
void PaintItem(int sectionIndex, const QString& sectionName, const TBgSource& bg, int hotTexture,
               int texture, TkSkinManager* manager, QImage& bitmap, QPoint offset, const Rect& rect,
               int state, bool centre);
void PaintItemToDC(int sectionIndex, const QString& sectionName, const TBgSource& bg,
                   TkSkinManager* manager, winshim::Dc& dc, QPoint offset, const Rect& rect,
                   int state, bool centre);
void PaintItemWithMask(int sectionIndex, int maskIndex, int texture, TkSkinManager* manager,
                       QImage& bitmap, QPoint offset, const Rect& rect, int state, bool centre,
                       const TBgSource& bg, const QString& sectionName, int hotTexture);
int PaintSectionByName(QImage& bitmap, const QString& name, const QString& secondName,
                       winshim::Dc* dc, TColor color, const Rect& dcRect, TkSkinManager* manager,
                       int state);
void PaintControlItem(const TkCommonData& link, const TBgSource& bg, bool centre,
                      bool cornersFromBg, QImage& bitmap, QPoint offset, const Rect& rect,
                      int state);
// Appends the key-coloured runs of the mask's top band (or, with the
// bottom flag, its bottom band) in the left and right corners.
void AddTransparentAreas(std::vector<Rect>& list, int width, const TkMaskData& mask, bool bottom,
                         int rowOffset);

}  // namespace kelmo::skin
