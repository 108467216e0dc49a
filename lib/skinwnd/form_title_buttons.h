// The form provider's caption buttons: their images from the skin, their
// layout in the frame cache, their states (normal, hot, pressed) and
// repainting, the clicks that become system commands, and the system menu.
//
// Hit codes: 8 minimize, 9 maximize, 20 close, 21 help, 101-103 the MDI
// child's close, restore and minimize in an MDI parent's menu line, and
// 1000 + i the user button i.
#pragma once

#include <QPoint>

#include "skinwnd/form_provider.h"
#include "winshim/messages.h"

namespace kelmo::skinwnd {

void LoadButtonImages(TkSkinProvider& p);

// Measures.
int ButtonWidth(const TkSkinProvider& p, const TitleBtnData& b);
int ButtonHeight(const TkSkinProvider& p);
int UserButtonWidth(const TkSkinProvider& p, const TkTitleButton& b);
int TitleButtonsWidth(TkSkinProvider& p);
int SysButtonCount(TkSkinProvider& p);
int MdiButtonWidth(const TkSkinProvider& p);
int MdiButtonHeight(const TkSkinProvider& p);
bool MdiButtonsVisible(const TkSkinProvider& p);
// The gap between buttons (BISPACE for a normal caption, else 0).
int ButtonSpacing(const TkSkinProvider& p);

// The record of a hit code (nullptr for a code that names no button).
TitleBtnData* ButtonByCode(TkSkinProvider& p, int code);

// Lays the buttons out in the cache and paints them.
void PaintTitleButtons(TkSkinProvider& p);
// Paints one button again (with its fade where the skin allows).
void RepaintButton(TkSkinProvider& p, int code);
void SetHotButton(TkSkinProvider& p, int code, bool repaint = true);
void SetPressedButton(TkSkinProvider& p, int code);
void SaveButtonsBg(TkSkinProvider& p, bool full);
void RestoreButtonsBg(TkSkinProvider& p);

// Opens the system menu at a screen point.
void DropSysMenu(TkSkinProvider& p, QPoint screen);

// The provider's mouse handling of the caption and its buttons; each
// passes the message on through next when the form's own procedure
// should see it.
void HandleNcButtonDown(TkSkinProvider& p, winshim::Msg& msg, const winshim::NextHandler& next);
void HandleNcButtonUp(TkSkinProvider& p, winshim::Msg& msg, const winshim::NextHandler& next);
void HandleNcDoubleClick(TkSkinProvider& p, winshim::Msg& msg, const winshim::NextHandler& next);

}  // namespace kelmo::skinwnd
