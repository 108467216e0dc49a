// Automatic skinning: while the default manager has a skin in force, its
// thread hook (WH_CBT) watches windows being made, activated and destroyed
// and skins what it meets on its own. A form (a top-level window of the
// program) gets a form provider; a standard dialog ("#32770": QDialog,
// QMessageBox) gets a dialog wrapper and each of its child windows the
// wrapper of its class; a popup menu ("#32768") gets a popup-menu wrapper
// and its items the skinned menu painting. The manager's SkinningRules
// decide which kinds are skinned.
//
// TkaProvider is what the hook makes for one such window; the hook owns
// the providers of dialogs, while a form's provider goes with its form.
// GUI thread only.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "skinwnd/main_wnd.h"

namespace kelmo::skinwnd {

class TkaDialogWnd;
class TkSkinProvider;

// Lets the default manager's thread hook skin windows (once per process;
// the program calls it at start-up, tests before they switch a skin on).
void StartAutoSkinning();

class TkaProvider {
 public:
  // ownerForm: the form the provider skins (nullptr for a dialog).
  explicit TkaProvider(QWidget* ownerForm);
  ~TkaProvider();
  TkaProvider(const TkaProvider&) = delete;
  TkaProvider& operator=(const TkaProvider&) = delete;

  HWND DlgHandle = 0;                      // the dialog window (dialogs only)
  QPointer<QWidget> OwnerForm;             // the skinned form (forms only)
  TkSkinProvider* SkinProvider = nullptr;  // the form's provider; the form owns it
  std::unique_ptr<TkaDialogWnd> DialogWnd;
  std::vector<std::unique_ptr<TkaMainWnd>> ChildWrappers;

  // Gives the form a form provider.
  void InitForm(QWidget* form);
  // Wraps the dialog and its children; false when the children could not
  // be walked (the provider is then dropped).
  bool InitDialog(HWND wnd);
  // Depth first over the descendants: each child's children, then the
  // child; false at the first failure.
  bool SkinChildWindows(HWND wnd);
  // The wrapper of a child window by its class and style; false only for
  // no window.
  bool SkinChildWindow(HWND wnd);
  // Makes (or, without an active manager, frees) the dialog's wrapper.
  void MakeDialogWnd(HWND wnd);
};

// The hook's decision for an activated window: 1 when it made a provider.
int AutoSkinWindow(HWND wnd);
// The hook procedure's work after the notice was passed on.
void AutoSkinNotice(int code, winshim::WPARAM wParam);
// Frees the providers of dialogs whose windows died.
void ReleaseDeadDialogs();
// Forgets the popup-menu windows wrapped by the hook (the wrappers go with
// their windows).
void ClearMnuArray();

// The hook's providers (slots of finished ones are empty until the hook
// is removed) and the popup-menu windows it wrapped.
struct AutoSkinUnit {
  std::vector<std::unique_ptr<TkaProvider>> AutoProviders;
  std::vector<HWND> TkaMnuArray;
};
AutoSkinUnit& AutoSkin();

// Helpers of the hook.
// The program's form whose window this is (a top-level that is not a
// popup or one of Qt's own dialogs: a dialog class of the program is a
// form), or an MDI child of an MDI form; nullptr otherwise.
QWidget* FindFormOfWnd(HWND wnd);
TkaProvider* FindProviderOfWnd(HWND wnd);
// Providers whose dialog window is visible.
int VisibleDialogCount();
// Depth first over the descendants, each before its own children: one
// whose class name in lower case equals the name.
bool HasChildOfClass(HWND wnd, const QString& className);
// The MDI children of a form that holds an MDI client.
std::vector<QWidget*> MdiChildrenOf(const QWidget* form);

}  // namespace kelmo::skinwnd
