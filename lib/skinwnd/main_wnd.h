// TkaMainWnd, the root of the window wrappers: an object bound to one
// window of a standard control that takes over its messages (a handler on
// top of the window's chain), answers the skin message like a skinned
// control, paints the window's border from its skin section into its link's
// cache, and gives the window back when the skin is removed, its owner
// releases it or the window dies. Every control wrapper derives from it.
//
// A wrapped window carries the property "KASBSC" naming its wrapper; other
// code finds a window's wrapper only through WrapperOfWnd. GUI thread only.
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <memory>

#include "skin/skin_link.h"
#include "winshim/window.h"

namespace kelmo::skinwnd {

using skin::TkCommonData;
using skin::TkSkinManager;
using winshim::HWND;
using winshim::Msg;
using winshim::NextHandler;
using winshim::Rect;
using winshim::TColor;

// The property of a wrapped window that holds its wrapper.
inline const QString kWrapperProp = QStringLiteral("KASBSC");

// What the wrappers' creators tell the wrappers (once per process).
struct WrapperUnitState {
  // Set while the thread hook wraps the windows of a standard dialog, or
  // the combo-box wrapper the list of a raw combo box.
  bool WrappingDialog = false;
  // Set while the control adapter frees all its wrappers.
  bool AdapterRemovingAll = false;
};
WrapperUnitState& WrapperState();

class TkaMainWnd {
 public:
  // link and manager may be null: without a link the wrapper makes its own
  // (with a cache) for the window's widget; without a manager the link's is
  // used. The section names the link's section when it has none. The
  // wrapper attaches in Init, once the whole object is made: use MakeWrapper.
  TkaMainWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager, const QString& sectionName,
             bool repaint);
  // Gives the window back unless released (Destroy) and frees an own link.
  // A descendant that restores a look of its own calls Destroy in its
  // destructor, while its RestoreOwnLook can still run.
  virtual ~TkaMainWnd();
  // Keeps the control's own look, reads the window's text and attaches.
  // Repaint asks wrappers with scroll bars to redraw the frame at once.
  virtual void Init(bool repaint);
  // Attaches the wrapper to its window; wrappers with scroll bars set
  // them up first.
  virtual void Attach(bool /*repaint*/) { SubclassWnd(WndHandle); }
  // Gives the window back unless released: its visual style, its handler
  // chain, its own look. While the adapter frees all its wrappers outside
  // a skin removal only the wrapper's handler and property leave.
  void Destroy();
  TkaMainWnd(const TkaMainWnd&) = delete;
  TkaMainWnd& operator=(const TkaMainWnd&) = delete;

  bool InDialog = false;
  QString KeptText;  // the window's text as last read
  Rect ScreenRect;
  QSize Extent;
  QPoint PosInParent;
  Rect ParentScreenRect;
  HWND ParentHandle = 0;
  HWND WndHandle = 0;
  TkSkinManager* Manager = nullptr;
  TkCommonData* SkinLink = nullptr;
  bool SendingScroll = false;
  bool LookApplied = false;
  TColor SavedColor = 0;
  TColor SavedFontColor = 0;
  bool Released = false;
  bool OwnsLink = false;

  // Saves what skinning will change in the control; the root keeps nothing.
  virtual void KeepOwnLook() {}
  // Gives the control its own look back; nothing in the root.
  virtual void RestoreOwnLook() {}
  // Gives the control its section's look; the root only notes it ran.
  virtual void ApplySectionLook() { LookApplied = true; }
  // The wrapper's message handler; descendants end with the inherited one
  // or CallPrevWndProc.
  virtual void WndProc(Msg& msg, const NextHandler& next);

  // Passes the message to the window's previous handler; its answer.
  winshim::LRESULT CallPrevWndProc(Msg& msg, const NextHandler& next);
  // Attaches the wrapper to the window: the property and the handler.
  void SubclassWnd(HWND wnd);
  // Whether the wrapper's handler is on the window's chain.
  bool Attached() const { return handlerId_ != 0; }
  // Gives the window back (the handler leaves the chain, the property goes,
  // the non-client space and the control's own look return, the frame is
  // redrawn when visible).
  virtual void Release(bool frameMode);

 protected:
  // The control of ours the link belongs to; nullptr for the wrapper's own
  // link (a window without a control of ours).
  QWidget* OwnerControl() const;
  TkSkinManager* LinkManager() const;
  // The link's manager has a skin in force.
  bool SkinInForce() const;
  // The skin message answered while a skin is in force; every other
  // message passed on.
  void CommonPath(Msg& msg, const NextHandler& next);

 private:
  // Detaches the handler and the property.
  void Unhook();
  void HandleSkinMessage(Msg& msg, const NextHandler& next);

  int handlerId_ = 0;
  std::unique_ptr<TkCommonData> ownLink_;
};

// Makes a wrapper of any class with the root's arguments and attaches it.
template <typename T>
std::unique_ptr<T> MakeWrapper(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                               const QString& sectionName, bool repaint) {
  auto wrapper = std::make_unique<T>(wnd, link, manager, sectionName, repaint);
  wrapper->Init(repaint);
  return wrapper;
}

// The wrapper of a window, or nullptr.
TkaMainWnd* WrapperOfWnd(HWND wnd);
// Gives the window back (when not yet released) and, with freeIt, frees
// the wrapper and clears the variable.
void ReleaseWndWrapper(HWND wnd, bool freeIt, bool frameMode, std::unique_ptr<TkaMainWnd>& wrapper);
// The window's frame painted anew: in frame mode the frame is recalculated
// too; otherwise WM_NCPAINT is sent.
void RedrawWndFrame(HWND wnd, bool frameMode);
// The message to the control's skinned children, or without a control to
// the window's child windows.
void BroadcastToWndChildren(QWidget* control, HWND wnd, const Msg& msg);
// Depth first over the component's children in order: the widget whose
// window is wnd; nullptr when none.
QWidget* FindControlByHandle(QObject* component, HWND wnd);
// Fills the wrapper's screen rect, extent, parent and position in it.
void GetWndGeometry(TkaMainWnd& wrapper);
// Command 25 to the top-most window above wnd.
void NotifyTopParentWnd(HWND wnd);
// The window's border painted into the link's cache when it is stale.
void PaintWndBorder(TkCommonData* link, HWND wnd, bool dialogLook);
// The key-coloured corners of the border mask show the parent's background.
void UpdateWndCorners(TkCommonData* link, int state, TkaMainWnd& wrapper);
// The link's border has an image of its own for the hot or focused state.
bool HasStatefulBorder(const TkCommonData* link);
// Sets an integer property by name when the object has it (wrappers reach
// controls they do not link against this way).
void SetOrdPropIfAny(QObject* obj, const char* name, int value);
// The colour property's value as RGB; 0 without the object or property.
TColor ColorPropOf(QObject* obj, const char* name);
// The window's text: a label's, a button's, an edit's, else its title.
QString WindowTextOf(HWND wnd);

}  // namespace kelmo::skinwnd
