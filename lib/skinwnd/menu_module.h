// The process-wide values of the skinned menus: the item being measured
// or painted, the extra line of the menu whose background is built, the
// glyph column's widths. Shared by the hooking and the painting of menus.
#pragma once

#include <QImage>
#include <QList>
#include <QString>

#include "skin/skinable_menus.h"

class QAction;
class QWidget;

namespace kelmo::skinwnd {

struct MenuModuleState {
  skin::TkMenuItemType CurrentItemType = skin::TkMenuItemType::smNormal;
  bool MenuMeasuring = false;
  bool ExtraLineQuery = false;  // an extra-line query is running
  bool ExtraLineOn = false;     // the last query's answer
  QString ExtraLineSection;
  QImage ExtraLineGraphic;
  QString ExtraLineText;
  int IconColumnWidth = 0;
  int GlyphColumnWidth = 0;
};
MenuModuleState& MenuModule();

// The caption of an item as the menus see it: a separator is "-".
QString CaptionOf(const QAction* item);
// The visible items of a menu or bar, in order.
QList<QAction*> VisibleItems(const QWidget* menu);

}  // namespace kelmo::skinwnd
