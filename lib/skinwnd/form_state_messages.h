// The form provider's handling of the messages that change a skinned
// form's size, client painting, activation, window state, visibility and
// printing, and the redraws that follow a skin's arrival and removal.
#pragma once

#include "skinwnd/form_provider.h"
#include "winshim/messages.h"

namespace kelmo::skinwnd {

using winshim::Msg;
using winshim::NextHandler;

void HandleFormSize(TkSkinProvider& p, Msg& msg, const NextHandler& next);
void HandleFormPaint(TkSkinProvider& p, Msg& msg, const NextHandler& next);
void HandleFormEraseBkgnd(TkSkinProvider& p, Msg& msg, const NextHandler& next);
void HandleFormNcActivate(TkSkinProvider& p, Msg& msg, const NextHandler& next);
void HandleFormSysCommand(TkSkinProvider& p, Msg& msg, const NextHandler& next);
void HandleFormShowing(TkSkinProvider& p, Msg& msg, const NextHandler& next);
// Showing the form: with the manager's show animation (a duration above
// 0) the form fades in over what the screen showed.
void HandleFormShowWindow(TkSkinProvider& p, Msg& msg, const NextHandler& next);
void HandleFormPrint(TkSkinProvider& p, Msg& msg);

// The form (its frame, client and children) redrawn; with the MDI client
// only on an MDI parent. Nothing else on the screen is touched.
void RedrawSkinnedForm(TkSkinProvider& p);
// Takes the form's frame over when a skin is in force and the provider
// draws the non-client area, and paints it anew.
void ApplySkinnedFrame(TkSkinProvider& p);
// Everything a skin's removal undoes on the form.
void RemoveSkinFromForm(TkSkinProvider& p, Msg& msg);

}  // namespace kelmo::skinwnd
