#include "skin/skinable_menus.h"

#include "skin/skin_data.h"

namespace kelmo::skin {

int TkSkinableMenus::SkinBorderWidth() {
  if (skinBorderWidth_ >= 0) return skinBorderWidth_;
  int width = 0;
  if (Owner) {
    const int mask =
        Owner->GetMaskIndexExact(Owner->GetSkinIndex(QStringLiteral("MAINMENU")),
                                 QStringLiteral("MAINMENU"), QStringLiteral("BORDERSMASK"));
    if (Owner->IsValidImgIndex(mask)) {
      const int own = Owner->ma[std::size_t(mask)].BorderWidth;
      width = own > 0 ? own : 3;
    }
  }
  skinBorderWidth_ = width;
  return width;
}

}  // namespace kelmo::skin
