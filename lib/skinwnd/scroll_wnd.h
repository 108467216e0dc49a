// TkaScrollWnd: the window wrapper that replaces a window's scroll bars
// with two skinned bars. It reserves their room in the window's non-client
// space, paints them, answers hit tests for them, and turns presses, thumb
// drags, auto-repeat (300 ms, then every 55 ms) and hovering (checked every
// 20 ms) into the WM_HSCROLL and WM_VSCROLL messages the platform's bars
// would send. The base of the edit, list, grid, tree, combo and MDI
// wrappers.
//
// Timers run on the window (0xFFF2 hover, 0xFFFD first delay, 0xFFFE
// repeat) over the layer's clock. GUI thread only.
#pragma once

#include <memory>

#include "skinwnd/main_wnd.h"
#include "skinwnd/scroll_bar.h"

namespace kelmo::winshim {
class Dc;
}

namespace kelmo::skinwnd {

inline constexpr std::uintptr_t kHoverTimer = 0xFFF2;
inline constexpr std::uintptr_t kFirstRepeatTimer = 0xFFFD;
inline constexpr std::uintptr_t kRepeatTimer = 0xFFFE;

class TkaScrollWnd : public TkaMainWnd {
 public:
  using TkaMainWnd::TkaMainWnd;
  // Frees the bars after the window is given back.
  ~TkaScrollWnd() override;

  std::unique_ptr<TkaScrollBar> HorzBar;
  std::unique_ptr<TkaScrollBar> VertBar;
  bool DraggingThumb = false;
  bool BarsOnLeft = false;  // WS_EX_LEFTSCROLLBAR: the vertical bar on the left
  int EdgeLeft = 0, EdgeRight = 0, EdgeTop = 0, EdgeBottom = 0;
  bool OwnStyleChange = false;  // the wrapper itself changes the style

  // The scroll set-up in place of the root's plain attaching.
  void Attach(bool repaint) override;
  void WndProc(Msg& msg, const NextHandler& next) override;
  // Also detaches and frees the two bars, and gives Qt its bars back.
  void Release(bool frameMode) override;

  // Both bars read their data again; with repaint they are painted.
  void RereadScrollInfo(bool repaint);
  // Both bars and the corner between them into the DC, or the window's own
  // DC for nullptr.
  void PaintScrollBars(winshim::Dc* dc, int thumbStartOverride);
  // The bars' screen rectangles.
  Rect HorzBarRect() const;
  Rect VertBarRect() const;
  // The corner (screen coordinates) lies at the bottom right (bottom left
  // with the bars on the left) of a top-level parent's client area.
  bool IsGripCorner(const Rect& corner) const;
  // Where the window's background for the bars lies relative to the
  // window (the MDI client's shifts it).
  virtual QPoint BarBgOffset() const { return {}; }

  // Sends one scroll message the way the window takes it: the full-width
  // position to a window that answers command 51 with 1, else the 16-bit
  // form; commands 51 and 52 around it. Returns command 52's answer.
  static winshim::LRESULT SendScrollMsg(HWND wnd, unsigned msg, int code, int pos);

 protected:
  // The non-client handling the combo list reuses.
  void CalcSize(Msg& msg, const NextHandler& next);
  // The hit code of a screen point; 0 (nowhere) for an unavailable bar,
  // -1 when the point is not the bars'.
  int HitTest(int x, int y) const;
  // A press on a bar (hit code HTHSCROLL or HTVSCROLL) at a screen point.
  void Press(int hit, int x, int y);
  // The button-up that ends a press.
  void EndPress(Msg& msg, const NextHandler& next);
  // A drop-down list window keeps the capture and the button-up.
  virtual bool IsDropDownList() const { return false; }
  // The bar of a kind.
  TkaScrollBar* Bar(int kind) const { return kind == 0 ? HorzBar.get() : VertBar.get(); }
  Rect BarRect(int kind) const { return kind == 0 ? HorzBarRect() : VertBarRect(); }
  // The bar painted at once into the window's DC with a part pressed.
  void RepaintBar(int kind, int pressed);
  // Whether the skin is in force for this wrapper's link.
  bool LinkSkinned() const;

 private:
  void InitScrollWnd(bool repaint);
  void HandleSkinned(Msg& msg, const NextHandler& next);
  void HandleSkinCommand(Msg& msg, const NextHandler& next);
  void HoverStart(int hit);
  void Timer(Msg& msg, const NextHandler& next);
  void Track(Msg& msg, const NextHandler& next);
  // The thumb's start when dragged to the screen point, and the bar
  // painted with it pressed there.
  int DraggedThumbStart(QPoint mouse) const;
  void PaintDraggedThumb(int along);
  void FreeBars();
  void PaintCorner(winshim::Dc& dc, const Rect& corner);
};

// Gives a skinned control a scroll wrapper, or takes it away when its link
// is no longer skinned.
void RefreshScrollWnd(TkCommonData* link, std::unique_ptr<TkaScrollWnd>& wrapper);
// Releases a scroll wrapper's window (and frees it with freeIt).
void ReleaseScrollWndWrapper(HWND wnd, bool freeIt, bool frameMode,
                             std::unique_ptr<TkaScrollWnd>& wrapper);

}  // namespace kelmo::skinwnd
