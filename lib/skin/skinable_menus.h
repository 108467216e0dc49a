// The menu options of a skin manager: TkaMenuSupport (the glyph column's
// section and the vertical extra line of popup menus) and TkSkinableMenus,
// the menu object every manager owns, with the measures its menu painting
// uses. The hooking, measuring and painting of menus live with the window
// skinning (skinwnd/skinned_menus.h); this is the data they read, stored
// with the manager. GUI thread only.
#pragma once

#include <QFont>
#include <QString>
#include <functional>
#include <vector>

#include "winshim/win_types.h"

class QAction;

namespace kelmo::winshim {
class Dc;
}

namespace kelmo::skin {

class TkSkinManager;
using winshim::Rect;

// The options of the manager's menus.
struct TkaMenuSupport {
  QString IcoLineSkin;  // section of the popup menus' glyph column; none when empty
  bool UseExtraLine = false;
  int ExtraLineWidth = 32;
  QFont ExtraLineFont;
};

// What a menu item is while it is measured or painted.
enum class TkMenuItemType { smCaption, smDivider, smNormal, smTopLine };

// The framework's owner-draw state bits a menu painter reads.
enum : unsigned {
  odSelected = 1,
  odChecked = 8,
  odDefault = 32,
  odHotLight = 64,
  odNoAccel = 256,
};

class TkSkinableMenus {
 public:
  explicit TkSkinableMenus(TkSkinManager* owner) : Owner(owner) {}

  int Margin = 2;
  Qt::Alignment Alignment = Qt::AlignLeft;
  int BevelWidth = 0;  // stored only
  int BorderWidth = 3;
  QFont CaptionFont;
  int Spacing = 6;
  // Called after an item is painted: the item, the canvas, the item's
  // rectangle, the state, the kind of item.
  std::function<void(QAction*, winshim::Dc&, const Rect&, unsigned, TkMenuItemType)> OnDrawItem;
  std::vector<Rect> BorderAreas;  // transparent areas of the last popup border built
  bool Active = false;            // the menus are hooked
  TkSkinManager* Owner = nullptr;
  bool SettingRegion = false;  // a popup window's region is being set

  // A stored value of 0 or more as it is; otherwise the border width of
  // MAINMENU's border mask (3 when that is not above 0; 0 without the mask),
  // which is then stored.
  int SkinBorderWidth();
  // The manager stores -1 whenever it loads a skin.
  void SetSkinBorderWidth(int value) { skinBorderWidth_ = value; }

 private:
  int skinBorderWidth_ = 0;
};

}  // namespace kelmo::skin
