// What is global about the skin in force: the process-wide marks of a skin
// change, the list of forms that carry a form provider, the redraw lock of
// those forms around a skin change, and the broadcasts that carry one
// message to every form of the application.
//
// Forms are the program's top-level windows (no popups or tool tips),
// walked in the order they got their window handles. GUI thread only.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

#include "skin/skin_data.h"
#include "winshim/window.h"

namespace kelmo::skin {

// Set while a new skin is announced; links clear it when they take it.
bool SkinIsChanging();
void SetSkinIsChanging(bool value);
// Set while the removal of a skin is announced.
bool SkinRemoving();
void SetSkinRemoving(bool value);
// Set while a form-show animation or a skin-change redraw lock runs.
bool FormAnimating();
void SetFormAnimating(bool value);
// The section whose change command 13 announces (nothing assigns it).
const QString& ChangedSectionName();

// What a form's provider answers to command 4 (its address as the result).
class TkFormProviderHooks {
 public:
  virtual ~TkFormProviderHooks() = default;
  virtual TkSkinManager* ProviderManager() const = 0;
  // The provider paints the form's frame.
  virtual bool DrawNonClientArea() const { return false; }
  // Rebuilds the frame's regions and repaints it after a skin change.
  virtual void RefreshFrame() {}
  bool InAnimation = false;
};

// Forms whose provider registered them, in registration order (a removal
// moves the last entry into the freed place).
void RegisterProvider(QWidget* form);
void UnregisterProvider(QWidget* form);
std::vector<QPointer<QWidget>>& ProviderList();

// The application's forms now, guarded (a form freed while a broadcast
// runs is passed over).
std::vector<QPointer<QWidget>> ApplicationForms();

// Stops the redrawing of the manager's top-level provider forms before a
// skin change (and marks the animation when `animate`).
void LockFormsRedraw(TkSkinManager* manager, bool animate);
// Lets them redraw again; with `repaint` each is shown anew (the form-show
// animation of `time` ms when `animate`) and redrawn.
void UnlockFormsRedraw(TkSkinManager* manager, bool repaint, bool animate, int time);

// The message to every unskinned form (answering command 7 with anything
// but 1) and its controls, then BroadcastToSkinnedForms. The forms are a
// snapshot of guarded pointers, so a receiver that frees a form or a
// control ends nothing early: the skinned forms are always reached.
void BroadcastToAppForms(winshim::Msg msg);
// The message to every form of ProviderList and its controls.
void BroadcastToSkinnedForms(winshim::Msg msg);

}  // namespace kelmo::skin
