// The skin message SM_SKINCMD (0xA100): the command in wParam's high word,
// its argument in lParam. Painters ask parents for their background and
// colour through it.
//
// It travels down the control's handler chain in the window layer; a
// command nothing in the chain answers is answered with 0. A test may put
// its own sender in the chain's place (SetSkinMessageSender).
#pragma once

#include <cstdint>
#include <functional>

class QWidget;

namespace kelmo::skin {

inline constexpr unsigned SM_SKINCMD = 0xA100;

enum SkinCommand : int {
  scNewSkin = 1,
  scRemoveSkin = 2,
  scRepaint = 3,
  scRecheckHot = 6,
  scIsSkinned = 7,
  scIsHot = 10,
  scGetBgColor = 21,
  scNotifyParent = 25,
  scGetBgInfo = 34,
  scGetApplication = 60
};

using SkinMessageSender = std::function<std::intptr_t(QWidget*, int command, void* lParam)>;

// Installs the sender (an empty one removes it); returns the previous one.
SkinMessageSender SetSkinMessageSender(SkinMessageSender sender);
std::intptr_t SendSkinCommand(QWidget* control, int command, void* lParam);

}  // namespace kelmo::skin
