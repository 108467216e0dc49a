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

#include "winshim/window.h"

class QWidget;

namespace kelmo::skin {

inline constexpr unsigned SM_SKINCMD = 0xA100;

enum SkinCommand : int {
  scNewSkin = 1,
  scRemoveSkin = 2,
  scRepaint = 3,
  scGetProvider = 4,
  scNotifyParent = 5,
  scRecheckHot = 6,
  scIsSkinned = 7,
  scSetHot = 8,
  scSuspendPaint = 9,
  scIsHot = 10,
  scHalfVisibleQuery = 11,
  scResetRepaint = 12,
  scSectionChanged = 13,
  scMenuRgnDone = 14,
  scPrepareUpdate = 16,
  scInvalidateStale = 17,
  scFormActivated = 18,
  scBgDepends = 19,
  scPropagateStale = 20,
  scGetBgColor = 21,
  scMarkHalfVisible = 22,
  scUpdateScrolls = 23,
  scControlLoaded = 25,
  scGetSectionIndex = 26,
  scCaptionHeight = 27,
  scMouseEnter = 29,
  scMouseLeave = 30,
  scLinkEnter = 31,
  scLinkLeave = 32,
  scGetBgInfo = 34,
  scDisabledLookQuery = 35,
  scContainerFlag = 36,
  scUpdateShadow = 37,
  scBeforeScroll = 51,
  scAfterScroll = 52,
  scGetApplication = 60,
  scGetClientOffset = 61
};

// The skin message of a command: wParam's high word the command, its low
// word the small argument.
winshim::Msg SkinMessage(int command, winshim::LPARAM lParam, int low = 0);

using SkinMessageSender = std::function<std::intptr_t(QWidget*, int command, void* lParam)>;

// Installs the sender (an empty one removes it); returns the previous one.
SkinMessageSender SetSkinMessageSender(SkinMessageSender sender);
std::intptr_t SendSkinCommand(QWidget* control, int command, void* lParam);
// SendMessage(window, 0xA100, command shl 16 (plus `low`), lParam).
winshim::LRESULT SendSkinCommand(winshim::HWND window, int command, winshim::LPARAM lParam,
                                 int low = 0);
// To a control only when it already has its window; its window is never
// made by this call (0 then).
winshim::LRESULT SkinCommandToControl(QWidget* control, int command, winshim::LPARAM lParam,
                                      int low = 0);
winshim::LRESULT AskControl(QWidget* control, int command);
// True only for an answer of exactly 1.
bool AskWnd(winshim::HWND window, int command);

}  // namespace kelmo::skin
