// The container popup window: a popup that belongs to an owner control,
// carries a container style and a view info for its frame, and closes when
// the user clicks elsewhere, the application loses activation, the owner
// is hidden or destroyed, or Escape is pressed while it holds the mouse.
// Three application-wide event filters stand in for the thread hooks that
// watch for this; each passes every event through while no popup is open.
// Also the container view info that paints containers' borders and
// backgrounds.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "lookandfeel/container_style.h"
#include "lookandfeel/popup_window.h"
#include "lookandfeel/theme_manager.h"

namespace kelmo::le {

class TleContainerViewInfo {
 public:
  virtual ~TleContainerViewInfo() = default;
  TColor BackgroundColor = clWindow;
  Rect BorderRect, Bounds, ClientRect;
  TColor BorderColor = clBtnShadow;
  int BorderWidth = 1;
  TleContainerBorderStyle BorderStyle = cbsNone;
  TleBorders Edges = bsAll;
  bool Shadow = false;
  bool NativeStyle = false;
  ThemeKind ThemedKind = tkComboBox;
  int NativePart = 0, NativeState = 0;
  int ContainerState = 1;

  virtual void DrawBorder(TleCanvas& c, Rect r) const;
  virtual void DrawBackground(TleCanvas& c) const;
  void Offset(int dx, int dy);
  void Paint(TleCanvas& c) const { DrawBackground(c); }
};

// Fills the frame between two rectangles (the whole outer one when the
// inner is empty).
void FillFrameBetween(TleCanvas& c, const Rect& outer, const Rect& inner, TColor color);

class TleCustomPopupWindow : public TlePopupWindow {
 public:
  explicit TleCustomPopupWindow(QWidget* owner);
  ~TleCustomPopupWindow() override;

  bool CaptureFocus = true;
  bool RunModalLoop = true;
  bool ClosingByDeactivation = false;
  bool TopmostWithForm = false;
  bool TerminateOnDestroy = false;
  bool ClickedOwner = false;
  QPointer<QWidget> PopupOwnerControl;
  QPointer<QWidget> PopupFocusTarget;
  std::function<void(TleCustomPopupWindow*)> OnPopupClosed, OnPopupClosing, OnPopupShown,
      OnPopupShowing;

  TleContainerStyle& Style() { return *style_; }
  TleContainerViewInfo& ViewInfo() { return *viewInfo_; }
  bool IsOpen() const;
  void ShowCustomPopup(QWidget* focusTarget);
  // Whether showing fits the popup into the work area at its position.
  virtual bool FitsToWorkArea() const { return false; }
  // Moves a popup that starts left of or above the work area at p to its
  // edge (losing the overlap from its size) and limits the size to what is
  // left of the area. When the widget then keeps another height (its size
  // limits) and p is at the area's top, p moves by the difference, so the
  // popup's bottom stays where it was asked to be.
  virtual void FitIntoWorkArea(QPoint& p);
  void ClosePopup() override;
  Rect AnchorScreenBounds() const override;
  void PreparePopup() override {}
  void VisibleChanged() override;
  // Page keys, End, Home, the arrows and F4.
  static bool AcceptsSystemKey(int qtKey);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  std::unique_ptr<TleContainerStyle> style_;
  std::unique_ptr<TleContainerViewInfo> viewInfo_;
};

// The shown custom popups in opening order (the last is the innermost).
const std::vector<TleCustomPopupWindow*>& OpenPopups();
bool IsWindowOfControl(const QWidget* control, const QWidget* window, bool nested);
bool IsClickInOwnerForm(const QWidget* owner, const QWidget* window);

// Start-up installs the three filters (call-window, get-message, mouse);
// close-down removes them in the reverse order.
void InstallPopupHooks();
void RemovePopupHooks();
int PopupHookCount();

}  // namespace kelmo::le
