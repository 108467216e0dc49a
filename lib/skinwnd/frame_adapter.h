// TkFrameAdapter gives a frame (a scrolling container that owns its own
// controls; a widget whose framework class is "TFrame") a skinned
// background: it takes over the frame's messages, paints the frame from
// its link's section ("GROUPBOX" unless given another), answers the skin
// message for the frame, passes skin commands on to the frame's children
// and gives the frame skinned scroll bars. On any other owner it shows an
// error and stays detached. GUI thread only.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "skin/skin_link.h"
#include "skinwnd/scroll_wnd.h"
#include "winshim/dc.h"
#include "winshim/window.h"

namespace kelmo::skinwnd {

inline constexpr int kKindFrameAdapter = 226;
// The framework class of frames.
inline constexpr const char* kFrameClass = "TFrame";
bool IsFrame(const QWidget* widget);

class TkFrameAdapter {
 public:
  explicit TkFrameAdapter(QWidget* owner);
  // Gives the frame its own handling back.
  ~TkFrameAdapter();
  TkFrameAdapter(const TkFrameAdapter&) = delete;
  TkFrameAdapter& operator=(const TkFrameAdapter&) = delete;

  std::unique_ptr<skin::TkCommonData> SkinData;
  QPointer<QWidget> Frame;  // null when the owner was not a frame
  std::unique_ptr<TkaScrollWnd> ScrollWrapper;

  // After the frame is set up: reads the indexes and lets the form's
  // control adapter skin the frame's children.
  void Loaded();
  void NewWndProc(winshim::Msg& msg, const winshim::NextHandler& old);
  void PaintFrame(winshim::Dc* dc);
  void PrepareCache();
  void WMPaint(winshim::Dc* dc);
  bool Attached() const { return handlerId_ != 0; }

 private:
  bool SkinStage(winshim::Msg& msg, const winshim::NextHandler& old);
  void SkinnedCommand(winshim::Msg& msg);
  void WindowMessage(winshim::Msg& msg, const winshim::NextHandler& old);
  void PlainPaint(winshim::Dc& dc);
  void Redraw();
  winshim::HWND wnd_ = 0;
  int handlerId_ = 0;
  bool destroying_ = false;
};

}  // namespace kelmo::skinwnd
