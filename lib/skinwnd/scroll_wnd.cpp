#include "skinwnd/scroll_wnd.h"

#include <QCoreApplication>
#include <QWidget>
#include <algorithm>

#include "skin/mask_painting.h"
#include "skin/paint_primitives.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "winshim/dc.h"
#include "winshim/non_client.h"
#include "winshim/system_profile.h"
#include "winshim/timers.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

// SC_VSCROLL with HTVSCROLL: the system's own scrolling loop.
constexpr int kSysCommandVScroll = 0xF077;

bool IsBarHit(ws::WPARAM hit) {
  return int(hit) == ws::HTHSCROLL || int(hit) == ws::HTVSCROLL;
}

QPoint PointOf(ws::LPARAM l) {
  return {ws::XOf(l), ws::YOf(l)};
}

}  // namespace

TkaScrollWnd::~TkaScrollWnd() {
  Destroy();
  FreeBars();
}

void TkaScrollWnd::Attach(bool repaint) {
  InitScrollWnd(repaint);
}

void TkaScrollWnd::InitScrollWnd(bool repaint) {
  SendingScroll = false;
  for (auto* bar : {&HorzBar, &VertBar}) {
    *bar = std::make_unique<TkaScrollBar>();
    (*bar)->Owner = this;
  }
  HorzBar->Kind = 0;
  VertBar->Kind = 1;
  HorzBar->ReadInfo();
  VertBar->ReadInfo();
  BarsOnLeft = ws::GetWindowLong(WndHandle, ws::GWL_EXSTYLE) & ws::WS_EX_LEFTSCROLLBAR;
  const std::uint32_t style = ws::GetWindowLong(WndHandle, ws::GWL_STYLE);
  HorzBar->StyleFlags = style & ws::WS_HSCROLL ? 8 : 0;
  VertBar->StyleFlags = style & ws::WS_VSCROLL ? 8 : 0;
  OwnStyleChange = false;
  SubclassWnd(WndHandle);
  SetMinThumbSize(WndHandle, 3, MinThumbSize);
  if (repaint) RedrawWndFrame(WndHandle, true);
}

void TkaScrollWnd::FreeBars() {
  ScrollTracking& t = Tracking();
  if (t.TrackWnd == WndHandle && WndHandle) {
    // A press or hover of this window ends with its bars.
    if (t.RepeatTimerId) ws::KillTimer(WndHandle, t.RepeatTimerId);
    if (t.HoverTimerId) ws::KillTimer(WndHandle, t.HoverTimerId);
    if (t.PressedPart != -1 && ws::GetCapture() == WndHandle) ws::ReleaseCapture();
    t = ScrollTracking{};
  }
  HorzBar.reset();
  VertBar.reset();
}

void TkaScrollWnd::Release(bool frameMode) {
  if (Released) return;
  TkaMainWnd::Release(frameMode);
  FreeBars();
}

bool TkaScrollWnd::LinkSkinned() const {
  return SkinLink && SkinInForce() && SkinLink->Skinned();
}

void TkaScrollWnd::RereadScrollInfo(bool repaint) {
  if ((SkinLink && SkinLink->FHot) || !HorzBar || !VertBar) return;
  HorzBar->ReadInfo();
  VertBar->ReadInfo();
  if (repaint && !FormAnimating()) PaintScrollBars(nullptr, -1);
}

Rect TkaScrollWnd::HorzBarRect() const {
  const Rect w = ws::GetWindowRect(WndHandle);
  if (!HorzBar || !VertBar) return {};
  const int v = VertBar->Shown ? ScrollBarPartSize(*VertBar, 1, false) : 0;
  const int h = HorzBar->Shown ? ScrollBarPartSize(*HorzBar, 1, false) : 0;
  Rect r;
  r.left = w.left + EdgeLeft + (BarsOnLeft ? v : 0);
  r.right = w.right - EdgeRight - (BarsOnLeft ? 0 : v);
  r.bottom = w.bottom - EdgeBottom;
  r.top = r.bottom - h;
  return r;
}

Rect TkaScrollWnd::VertBarRect() const {
  const Rect w = ws::GetWindowRect(WndHandle);
  if (!HorzBar || !VertBar) return {};
  const int v = VertBar->Shown ? ScrollBarPartSize(*VertBar, 1, false) : 0;
  const int h = HorzBar->Shown ? ScrollBarPartSize(*HorzBar, 1, false) : 0;
  Rect r;
  r.top = w.top + EdgeTop;
  r.bottom = w.bottom - EdgeBottom - h;
  if (BarsOnLeft) {
    r.left = w.left + EdgeLeft;
    r.right = r.left + v;
  } else {
    r.right = w.right - EdgeRight;
    r.left = r.right - v;
  }
  return r;
}

bool TkaScrollWnd::IsGripCorner(const Rect& c) const {
  const HWND parent = ws::GetParent(WndHandle);
  if (!parent) return true;
  if (ws::GetParent(parent)) return false;
  const Rect client = ws::GetClientRect(parent);
  const QPoint tl = ws::ClientToScreen(parent, {client.left, client.top});
  const Rect s = client.Offset(tl.x(), tl.y());
  if (!BarsOnLeft) return c.right + EdgeRight == s.right && c.bottom + EdgeBottom == s.bottom;
  return c.left - EdgeLeft == s.left && c.bottom + EdgeBottom == s.bottom;
}

void TkaScrollWnd::PaintScrollBars(ws::Dc* dc, int thumbStartOverride) {
  if (SkinLink) {
    SkinLink->SetHot(SkinLink->IsHot());
    if (SkinLink->FHot) return;
    if (QWidget* owner = OwnerControl(); owner && !owner->isVisible()) return;
    if (SkinLink->BGChanged) SendSkinCommand(WndHandle, scUpdateScrolls, 0);
  }
  std::unique_ptr<ws::Dc> own;
  if (!dc) {
    own = ws::GetWindowDC(WndHandle);
    dc = own.get();
  }
  if (!dc) return;
  const Rect w = ws::GetWindowRect(WndHandle);
  const ScrollTracking& t = Tracking();
  for (int kind : {0, 1}) {
    TkaScrollBar* bar = Bar(kind);
    if (!bar) return;
    if (!bar->Shown) continue;
    PaintBar(*bar, WndHandle, *dc, thumbStartOverride, t.TrackBar == kind ? t.PartUnderMouse : -1,
             BarRect(kind).Offset(-w.left, -w.top));
  }
  if (HorzBar->Shown && VertBar->Shown) {
    const int h = ScrollBarPartSize(*HorzBar, 1, false), v = ScrollBarPartSize(*VertBar, 1, false);
    const int x = BarsOnLeft ? EdgeLeft : w.Width() - EdgeRight - v;
    PaintCorner(*dc, Rect::Sized(x, w.Height() - EdgeBottom - h, v, h));
  }
}

void TkaScrollWnd::PaintCorner(ws::Dc& dc, const Rect& corner) {
  if (corner.IsEmpty()) return;
  QImage img = CreateBmp24(corner.Width(), corner.Height());
  TParentBgInfo info;
  GetControlBgInfo(info, ws::WidgetOf(WndHandle), false);
  const TBgSource bg = BgInfoToSource(info);
  {
    ws::Dc target(img);
    if (bg.HasBitmap && bg.Bitmap) {
      QImage source = *bg.Bitmap;
      ws::Dc from(source);
      target.BitBlt(0, 0, corner.Width(), corner.Height(), from, bg.X + corner.left,
                    bg.Y + corner.top, ws::SRCCOPY);
    } else {
      ws::FillSolidRect(target, {0, 0, corner.Width(), corner.Height()}, ws::ColorToRGB(bg.Color));
    }
  }
  const Rect w = ws::GetWindowRect(WndHandle);
  TkSkinManager* m = Manager ? Manager : (SkinLink ? SkinLink->GetSkinManager() : nullptr);
  if (m && IsGripCorner(corner.Offset(w.left, w.top))) {
    const int grip = m->GetMaskIndex(m->ConstData.IndexGlobalInfo, QStringLiteral("GLOBALINFO"),
                                     QStringLiteral("GRIPIMAGE"));
    if (m->IsValidImgIndex(grip)) {
      const TkMaskData& mask = m->ma[std::size_t(grip)];
      const QPoint at(corner.Width() - MaskImageWidth(mask),
                      corner.Height() - MaskImageHeight(mask));
      PaintMaskImage(img, at, 0, mask, BgSourceFromBmp(&img, 0, 0), 1);
    }
  }
  ws::Dc source(img);
  dc.BitBlt(corner.left, corner.top, corner.Width(), corner.Height(), source, 0, 0, ws::SRCCOPY);
}

void TkaScrollWnd::RepaintBar(int kind, int pressed) {
  TkaScrollBar* bar = Bar(kind);
  if (!bar) return;
  auto dc = ws::GetWindowDC(WndHandle);
  if (!dc) return;
  const Rect w = ws::GetWindowRect(WndHandle);
  PaintBar(*bar, WndHandle, *dc, -1, pressed, BarRect(kind).Offset(-w.left, -w.top));
}

ws::LRESULT TkaScrollWnd::SendScrollMsg(HWND wnd, unsigned msg, int code, int pos) {
  const ws::LPARAM tell = ws::LPARAM((std::uintptr_t(msg) << 16) | std::uint16_t(code));
  if (SendSkinCommand(wnd, scBeforeScroll, tell) == 1) {
    // The window takes the position at full width.
    ws::SendMessage(wnd, msg, ws::MakeWParam(code, pos), pos);
  } else {
    const int bar = msg == ws::WM_HSCROLL ? ws::SB_HORZ : ws::SB_VERT;
    ws::SCROLLINFO info;
    ws::GetScrollInfo(wnd, bar, info);
    if (code == ws::SB_THUMBTRACK) {
      ws::SCROLLINFO at;
      at.fMask = ws::SIF_POS;
      at.nPos = pos;
      ws::SetScrollInfo(wnd, bar, at, false);
    }
    ws::SendMessage(wnd, msg, ws::MakeWParam(code, std::min(pos, 0xFFFF)), 0);
  }
  return SendSkinCommand(wnd, scAfterScroll, tell);
}

void TkaScrollWnd::CalcSize(Msg& msg, const NextHandler& next) {
  auto* params = reinterpret_cast<ws::NCCALCSIZE_PARAMS*>(msg.lParam);
  if (!params) {
    CallPrevWndProc(msg, next);
    return;
  }
  const Rect old = params->rgrc[0];
  const std::uint32_t style = ws::GetWindowLong(WndHandle, ws::GWL_STYLE);
  const std::uint32_t bars = ws::WS_HSCROLL | ws::WS_VSCROLL;
  if (style & bars) {
    // The window's own handling must not reserve the platform's bars.
    OwnStyleChange = true;
    ws::SetWindowLong(WndHandle, ws::GWL_STYLE, style & ~bars);
    CallPrevWndProc(msg, next);
    ws::SetWindowLong(WndHandle, ws::GWL_STYLE, style);
    OwnStyleChange = false;
  } else {
    CallPrevWndProc(msg, next);
  }
  if (!HorzBar || !VertBar) return;
  Rect& r = params->rgrc[0];
  EdgeLeft = r.left - old.left;
  EdgeRight = old.right - r.right;
  EdgeTop = r.top - old.top;
  EdgeBottom = old.bottom - r.bottom;
  HorzBar->StyleFlags = style & ws::WS_HSCROLL ? 8 : 0;
  const int h = ScrollBarPartSize(*HorzBar, 1, false);
  HorzBar->Shown = HorzBar->StyleFlags == 8 && r.Height() >= h;
  if (HorzBar->Shown) r.bottom -= h;
  VertBar->StyleFlags = style & ws::WS_VSCROLL ? 8 : 0;
  const int v = ScrollBarPartSize(*VertBar, 1, false);
  VertBar->Shown = VertBar->StyleFlags == 8 && r.Width() >= v;
  if (VertBar->Shown) {
    if (BarsOnLeft)
      r.left += v;
    else
      r.right -= v;
  }
  // Qt's bars keep the room the skinned ones are painted in.
  ws::SetOwnScrollBars(WndHandle, true, h, v);
}

int TkaScrollWnd::HitTest(int x, int y) const {
  if (!HorzBar || !VertBar) return -1;
  const Rect hr = HorzBarRect(), vr = VertBarRect();
  if (HorzBar->Shown && hr.Contains(x, y))
    return IsBarActive(*HorzBar) ? ws::HTHSCROLL : ws::HTNOWHERE;
  if (VertBar->Shown && vr.Contains(x, y))
    return IsBarActive(*VertBar) ? ws::HTVSCROLL : ws::HTNOWHERE;
  const Rect corner{hr.right, hr.top, vr.right, hr.bottom};
  if (corner.Contains(x, y) && IsGripCorner(corner)) return ws::HTBOTTOMRIGHT;
  return -1;
}

void TkaScrollWnd::HoverStart(int hit) {
  ScrollTracking& t = Tracking();
  t.TrackWnd = WndHandle;
  if (!IsBarHit(ws::WPARAM(hit))) return;
  const int kind = hit == ws::HTHSCROLL ? 0 : 1;
  if (t.HoverBar == kind) return;
  t.LastHoverPart = t.HoverPart = -1;
  t.HoverBarRect = BarRect(kind);
  t.HoverBar = kind;
  t.HoverTimerId = ws::SetTimer(WndHandle, kHoverTimer, 20);
  PaintScrollBars(nullptr, -1);
}

void TkaScrollWnd::Press(int hit, int x, int y) {
  ScrollTracking& t = Tracking();
  const int kind = hit == ws::HTHSCROLL ? 0 : 1;
  TkaScrollBar* bar = Bar(kind);
  if (!bar) return;
  t.TrackWnd = WndHandle;
  t.ScrollMsg = kind == 0 ? ws::WM_HSCROLL : ws::WM_VSCROLL;
  t.TrackBar = kind;
  const Rect r = BarRect(kind);
  t.PressedPart = HitTestBar(*bar, WndHandle, r, x, y);
  const bool active = IsBarActive(*bar);
  if (t.PressedPart >= sbpFirstArrow && t.PressedPart <= sbpTrackAfter) {
    if (active) {
      t.PartUnderMouse = t.PressedPart;
      RepaintBar(kind, t.PartUnderMouse);
      SendScrollMsg(WndHandle, t.ScrollMsg, t.PressedPart, 0);
      t.PartUnderMouse = t.PressedPart;
      t.RepeatTimerId = ws::SetTimer(WndHandle, kFirstRepeatTimer, 300);
    } else {
      // An unavailable bar starts nothing, and holds no capture.
      t.PressedPart = -1;
    }
  } else if (t.PressedPart == sbpThumb) {
    if (!active) {
      t.PressedPart = -1;
    } else {
      ThumbGeometry(*bar, r, t.ThumbSize, t.ThumbStart);
      t.ThumbTrackRect = r;
      DraggingThumb = true;
      bar->Info.nTrackPos = bar->Info.nPos;
      t.GrabOffset = (kind == 0 ? x : y) - t.ThumbStart;
      t.LastTrackPos = bar->Info.nPos;
      PaintDraggedThumb(t.ThumbStart);
    }
  }
  if (t.PressedPart == -1) {
    t.TrackBar = -1;
    t.ScrollMsg = 0;
  } else {
    ws::SetCapture(WndHandle);
  }
}

int TkaScrollWnd::DraggedThumbStart(QPoint mouse) const {
  const ScrollTracking& t = Tracking();
  const TkaScrollBar* bar = Bar(t.TrackBar);
  if (!bar) return 0;
  const bool horizontal = t.TrackBar == 0;
  const Rect& tr = t.ThumbTrackRect;
  const int a = ScrollBarPartSize(*bar, 0, false);
  const int trackStart = (horizontal ? tr.left : tr.top) + a;
  const int trackEnd = (horizontal ? tr.right : tr.bottom) - a;
  const int along = (horizontal ? mouse.x() : mouse.y()) - t.GrabOffset;
  return std::max(trackStart, std::min(along, trackEnd - t.ThumbSize));
}

void TkaScrollWnd::PaintDraggedThumb(int along) {
  const ScrollTracking& t = Tracking();
  TkaScrollBar* bar = Bar(t.TrackBar);
  if (!bar || !SkinLink || !SkinLink->GetSkinManager()) return;
  const Rect& tr = t.ThumbTrackRect;
  const int barStart = t.TrackBar == 0 ? tr.left : tr.top;
  BarLook look;
  look.split = along + t.ThumbSize / 2 - barStart;
  look.arrow1Len = look.arrow2Len = ScrollBarPartSize(*bar, 0, true);
  look.thumbStart = along - barStart;
  look.thumbSize = t.ThumbSize;
  look.thumb = 2;
  const Rect w = ws::GetWindowRect(WndHandle);
  const Rect r = tr.Offset(-w.left, -w.top);
  QImage canvas = BarCanvas(*bar, WndHandle, r, look);
  if (auto dc = ws::GetWindowDC(WndHandle)) {
    ws::Dc source(canvas);
    dc->BitBlt(r.left, r.top, r.Width(), r.Height(), source, 0, 0, ws::SRCCOPY);
  }
}

void TkaScrollWnd::Track(Msg& msg, const NextHandler& next) {
  ScrollTracking& t = Tracking();
  if (DraggingThumb) {
    // The thumb follows the mouse; the window hears each new position once.
    TkaScrollBar* bar = Bar(t.TrackBar);
    if (!bar) return;
    const int along = DraggedThumbStart(ws::ClientToScreen(WndHandle, PointOf(msg.lParam)));
    PaintDraggedThumb(along);
    const Rect& tr = t.ThumbTrackRect;
    const bool horizontal = t.TrackBar == 0;
    const int a = ScrollBarPartSize(*bar, 0, false);
    const int trackStart = (horizontal ? tr.left : tr.top) + a;
    const int trackLength = (horizontal ? tr.Width() : tr.Height()) - 2 * a;
    const int offset = along - trackStart;
    const int range = bar->Info.nMax - bar->Info.nMin, page = int(bar->Info.nPage);
    int pos;
    if (range < 1)
      pos = offset;
    else if (horizontal)
      pos = MulDiv(offset, range - page + 1, trackLength - t.ThumbSize);
    else if (offset >= trackLength - t.ThumbSize)
      pos = range - page + 2;
    else
      pos = MulDiv(offset, range - page + 2, trackLength - t.ThumbSize);
    if (pos != t.LastTrackPos) {
      bar->Info.nTrackPos = pos;
      SendingScroll = true;
      SendScrollMsg(WndHandle, t.ScrollMsg, ws::SB_THUMBTRACK, pos);
      SendingScroll = false;
    }
    t.LastTrackPos = pos;
    msg.result = 0;
    return;
  }
  if (t.PressedPart == -1 || t.TrackWnd != WndHandle) {
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  TkaScrollBar* bar = Bar(t.TrackBar);
  if (!bar) return;
  const QPoint s = ws::ClientToScreen(WndHandle, PointOf(msg.lParam));
  const int part = HitTestBar(*bar, WndHandle, BarRect(t.TrackBar), s.x(), s.y());
  t.PartUnderMouse = part == t.PressedPart ? t.PressedPart : -1;
  RepaintBar(t.TrackBar, t.PartUnderMouse);
  msg.result = 0;
}

void TkaScrollWnd::EndPress(Msg& msg, const NextHandler& next) {
  ScrollTracking& t = Tracking();
  if (t.PressedPart == -1 || t.TrackWnd != WndHandle) {
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  if (!IsDropDownList()) ws::ReleaseCapture();
  const int kind = t.TrackBar, part = t.PressedPart;
  if (part >= sbpFirstArrow && part <= sbpTrackAfter) {
    ws::KillTimer(WndHandle, t.RepeatTimerId);
    SendingScroll = true;
    SendScrollMsg(WndHandle, t.ScrollMsg, ws::SB_ENDSCROLL, 0);
  } else if (part == sbpThumb) {
    if (DraggingThumb) {
      SendingScroll = true;
      SendScrollMsg(WndHandle, t.ScrollMsg, ws::SB_THUMBPOSITION, t.LastTrackPos);
      DraggingThumb = false;
    }
    SendScrollMsg(WndHandle, t.ScrollMsg, ws::SB_ENDSCROLL, t.LastTrackPos);
  }
  SendingScroll = false;
  t.PressedPart = t.PartUnderMouse = -1;
  RepaintBar(kind, -1);
  t.RepeatTimerId = 0;
  t.ScrollMsg = 0;
  t.TrackBar = -1;
  if (IsDropDownList() || ws::GetClassName(WndHandle) == QLatin1String("TImageEnView")) return;
  CallPrevWndProc(msg, next);
}

void TkaScrollWnd::Timer(Msg& msg, const NextHandler& next) {
  ScrollTracking& t = Tracking();
  const std::uintptr_t id = msg.wParam;
  if (id != kHoverTimer && id != kFirstRepeatTimer && id != kRepeatTimer) {
    CallPrevWndProc(msg, next);
    return;
  }
  if (!t.RepeatTimerId && !t.HoverTimerId) CallPrevWndProc(msg, next);
  if (id == kHoverTimer) {
    if (!DraggingThumb) {
      TkaScrollBar* bar = Bar(t.HoverBar);
      const QPoint c = ws::GetCursorPos();
      if (bar && t.HoverBarRect.Contains(c.x(), c.y())) {
        t.HoverPart = HitTestBar(*bar, WndHandle, t.HoverBarRect, c.x(), c.y());
        if (t.HoverPart != t.LastHoverPart) RepaintBar(t.HoverBar, -1);
        t.LastHoverPart = t.HoverPart;
      } else {
        ws::KillTimer(WndHandle, t.HoverTimerId ? t.HoverTimerId : kHoverTimer);
        t.HoverTimerId = 0;
        t.HoverBar = t.LastHoverPart = t.HoverPart = -1;
        PaintScrollBars(nullptr, -1);
      }
    }
  } else if (id == kFirstRepeatTimer) {
    ws::KillTimer(WndHandle, t.RepeatTimerId ? t.RepeatTimerId : kFirstRepeatTimer);
    t.RepeatTimerId = ws::SetTimer(WndHandle, kRepeatTimer, 55);
    msg.result = 0;
  } else {
    QPoint c = ws::ScreenToClient(WndHandle, ws::GetCursorPos());
    c = {std::max(0, c.x()), std::max(0, c.y())};
    // The pressed part follows the cursor as at a mouse move.
    if (t.PressedPart != -1 && t.TrackWnd == WndHandle && !DraggingThumb) {
      Msg move{ws::WM_MOUSEMOVE, 0, ws::MakeLParam(c.x(), c.y()), 0};
      Track(move, next);
    }
    if (t.PartUnderMouse != -1) {
      SendingScroll = true;
      SendScrollMsg(WndHandle, t.ScrollMsg, t.PartUnderMouse, 0);
      SendingScroll = false;
    }
    msg.result = 0;
  }
  if (!SendingScroll && !DraggingThumb) RereadScrollInfo(true);
}

void TkaScrollWnd::HandleSkinCommand(Msg& msg, const NextHandler& next) {
  const bool ours = msg.lParam == ws::LPARAM(LinkManager());
  switch (ws::HiWord(msg.wParam)) {
    case scNewSkin:
      if (ours) {
        SkinLink->UpdateIndexes();
        BroadcastToWndChildren(OwnerControl(), WndHandle, msg);
        // The bars take their room in the frame again.
        RedrawWndFrame(WndHandle, true);
      }
      break;
    case scRemoveSkin:
      if (ours) RestoreOwnLook();
      break;
    case scRepaint:
      if (ours) {
        SkinLink->UpdateIndexes();
        SkinLink->BGChanged = true;
      }
      break;
    case scRecheckHot:
      if (SkinLink->FHot) {
        SkinLink->SetHot(false);
        SkinLink->SetHot(SkinLink->IsHot());
        if (!SkinLink->FHot)
          if (QWidget* w = ws::WidgetOf(WndHandle)) w->update();
      }
      break;
    case scIsSkinned:
      msg.result = 1;
      return;
    case scSetHot:
      SkinLink->SetHot(ws::LoWord(msg.wParam) == 1);
      break;
    case scGetBgColor:
      if (CallPrevWndProc(msg, next) == 0) msg.result = ws::LRESULT(SkinLink->BgColor(0));
      return;
    case scGetBgInfo: {
      CallPrevWndProc(msg, next);
      auto* info = reinterpret_cast<TParentBgInfo*>(msg.lParam);
      if (info && info->Ready == 0) skin::HandleSkinCommand(msg, SkinLink);
      return;
    }
    case scGetApplication:
      msg.result = ws::LRESULT(QCoreApplication::instance());
      return;
    default:
      break;
  }
  CallPrevWndProc(msg, next);
}

void TkaScrollWnd::WndProc(Msg& msg, const NextHandler& next) {
  switch (msg.msg) {
    case ws::WM_DESTROY:
    case ws::WM_NCDESTROY:
      if (Attached()) Release(false);
      CallPrevWndProc(msg, next);
      return;
    case ws::WM_UPDATEUISTATE:
      return;
    default:
      break;
  }
  if (!LinkSkinned()) {
    if (msg.msg == SM_SKINCMD && SkinLink) {
      const bool ours = msg.lParam == ws::LPARAM(LinkManager());
      const int command = ws::HiWord(msg.wParam);
      if (command == scNewSkin && ours) SkinLink->UpdateIndexes();
      // The manager's removal reaches only windows that say they are
      // skinned, and it takes the skin out of force before it tells.
      if (command == scIsSkinned && SkinRemoving()) {
        msg.result = 1;
        return;
      }
      // Without the skin the widget shows its own bars and frame again.
      if (command == scRemoveSkin && ours) {
        RestoreOwnLook();
        ws::ResetNonClient(WndHandle);
      }
      CallPrevWndProc(msg, next);
      return;
    }
    if (msg.msg == ws::WM_NCCALCSIZE) ws::SetOwnScrollBars(WndHandle, false);
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  HandleSkinned(msg, next);
}

void TkaScrollWnd::HandleSkinned(Msg& msg, const NextHandler& next) {
  switch (msg.msg) {
    case SM_SKINCMD:
      HandleSkinCommand(msg, next);
      return;
    case ws::WM_NCCALCSIZE:
      CalcSize(msg, next);
      return;
    case ws::WM_NCHITTEST: {
      const int hit = HitTest(ws::XOf(msg.lParam), ws::YOf(msg.lParam));
      if (hit >= 0)
        msg.result = hit;
      else
        CallPrevWndProc(msg, next);
      return;
    }
    case ws::WM_NCPAINT: {
      QWidget* w = ws::WidgetOf(WndHandle);
      if (w && w->isVisible() && SkinLink) {
        SkinLink->SetHot(SkinLink->IsHot());
        if (!SkinLink->FHot && !SendingScroll) PaintScrollBars(nullptr, -1);
      }
      CallPrevWndProc(msg, next);
      return;
    }
    case ws::WM_STYLECHANGED:
      if (OwnStyleChange) {
        msg.result = 0;
        return;
      }
      if (int(msg.wParam) == ws::GWL_EXSTYLE && msg.lParam)
        BarsOnLeft = reinterpret_cast<const ws::STYLESTRUCT*>(msg.lParam)->styleNew &
                     ws::WS_EX_LEFTSCROLLBAR;
      CallPrevWndProc(msg, next);
      return;
    case ws::WM_NCMOUSEMOVE:
      HoverStart(int(msg.wParam));
      CallPrevWndProc(msg, next);
      return;
    case ws::WM_NCLBUTTONDOWN:
    case ws::WM_NCLBUTTONDBLCLK:
      if (!IsBarHit(msg.wParam)) break;
      Press(int(msg.wParam), ws::XOf(msg.lParam), ws::YOf(msg.lParam));
      msg.result = 0;
      return;
    case ws::WM_NCRBUTTONDOWN:
    case ws::WM_NCRBUTTONUP:
    case ws::WM_NCMBUTTONDOWN:
    case ws::WM_NCMBUTTONUP:
      if (!IsBarHit(msg.wParam)) break;
      msg.result = 0;
      return;
    case ws::WM_SYSCOMMAND:
      if (ws::LoWord(msg.wParam) == kSysCommandVScroll) return;
      break;
    case ws::WM_TIMER:
      Timer(msg, next);
      return;
    case ws::WM_MOUSEMOVE:
      Track(msg, next);
      return;
    case ws::WM_LBUTTONUP:
      EndPress(msg, next);
      return;
    case ws::CM_UIACTIVATE:
      if (Extent.width() != 0) {
        TkaMainWnd::WndProc(msg, next);
        ws::SetWindowPos(WndHandle, 0, 0, Extent.width(), Extent.height(),
                         ws::SWP_NOMOVE | ws::SWP_NOZORDER | ws::SWP_NOACTIVATE |
                             ws::SWP_FRAMECHANGED | ws::SWP_NOCOPYBITS | ws::SWP_NOOWNERZORDER |
                             ws::SWP_NOSENDCHANGING);
        return;
      }
      break;
    default:
      break;
  }
  TkaMainWnd::WndProc(msg, next);
  switch (msg.msg) {
    case ws::WM_MOUSEWHEEL:
    case ws::CM_MOUSEWHEEL:
      if (!SendingScroll) RereadScrollInfo(true);
      break;
    case ws::CM_FOCUSCHANGED:
      RereadScrollInfo(true);
      break;
    default:
      break;
  }
}

void RefreshScrollWnd(TkCommonData* link, std::unique_ptr<TkaScrollWnd>& wrapper) {
  QWidget* control = link ? link->Owner() : nullptr;
  if (!control) return;
  if (link->Skinned()) {
    if (wrapper && wrapper->Released) wrapper.reset();
    if (!wrapper)
      wrapper = MakeWrapper<TkaScrollWnd>(ws::HandleOf(control), link, link->GetSkinManager(),
                                          QString(), true);
  } else {
    wrapper.reset();
  }
}

void ReleaseScrollWndWrapper(HWND wnd, bool freeIt, bool frameMode,
                             std::unique_ptr<TkaScrollWnd>& wrapper) {
  if (!wrapper) return;
  if (wrapper->WndHandle == wnd || !wnd) wrapper->Release(frameMode);
  if (freeIt) wrapper.reset();
}

}  // namespace kelmo::skinwnd
