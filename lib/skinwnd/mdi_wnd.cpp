#include "skinwnd/mdi_wnd.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "skin/skin_text.h"
#include "winshim/dc.h"
#include "winshim/non_client.h"
#include "winshim/scroll_info.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {
// The MDI client's request to work out again which scroll bars its
// children need.
constexpr unsigned kCalcChildScroll = 0x003F;
// The border of a client with WS_EX_CLIENTEDGE.
constexpr int kClientEdge = 2;
}  // namespace

std::unique_ptr<TkaMDIWnd> MakeMdiWrapper(HWND client, QWidget* form, TkCommonData* providerLink) {
  auto w = MakeWrapper<TkaMDIWnd>(client, nullptr,
                                  providerLink ? providerLink->GetSkinManager() : nullptr,
                                  QStringLiteral("CHECKBOX"), true);
  w->MdiForm = form;
  w->ProviderLink = providerLink;
  return w;
}

TkaMDIWnd::~TkaMDIWnd() {
  ProviderLink = nullptr;
  Destroy();
}

Rect TkaMDIWnd::MdiClientRect() const {
  const Rect r = ws::GetWindowRect(WndHandle);
  return {0, 0, r.Width(), r.Height()};
}

Rect TkaMDIWnd::MdiClientRectInCache() const {
  const Rect c = ws::GetWindowRect(WndHandle);
  const Rect f = ws::GetWindowRect(ws::HandleOf(MdiForm));
  return c.Offset(-f.left, -f.top);
}

QPoint TkaMDIWnd::BarBgOffset() const {
  const Rect r = MdiClientRectInCache();
  return {r.left, r.top};
}

void TkaMDIWnd::KeepOwnLook() {
  if (auto* area = qobject_cast<QMdiArea*>(ws::WidgetOf(WndHandle))) {
    ownBackground_ = area->background();
    ownFill_ = area->viewport()->autoFillBackground();
    kept_ = true;
  }
}

void TkaMDIWnd::RestoreOwnLook() {
  auto* area = qobject_cast<QMdiArea*>(ws::WidgetOf(WndHandle));
  if (area && kept_) {
    area->setBackground(ownBackground_);
    area->viewport()->setAutoFillBackground(ownFill_);
  }
  LookApplied = false;
}

void TkaMDIWnd::ApplySectionLook() {
  LookApplied = true;
  if (auto* area = qobject_cast<QMdiArea*>(ws::WidgetOf(WndHandle))) {
    area->setBackground(Qt::NoBrush);
    area->viewport()->setAutoFillBackground(false);
  }
}

bool TkaMDIWnd::MaximizedChild() const {
  auto* area = qobject_cast<QMdiArea*>(ws::WidgetOf(WndHandle));
  QMdiSubWindow* active = area ? area->activeSubWindow() : nullptr;
  return active && active->isMaximized();
}

bool TkaMDIWnd::HasMdiAreaSection() const {
  const TkSkinManager* m = LinkManager();
  return m && m->GetSkinIndex(QStringLiteral("MDIAREA")) >= 0;
}

TColor TkaMDIWnd::FormColor() const {
  const TkSkinManager* m = LinkManager();
  const int form = m ? m->GetSkinIndex(QStringLiteral("FORM")) : -1;
  if (m && m->IsValidSkinIndex(form)) return m->gd[std::size_t(form)].Color;
  return MdiForm ? TColor(ws::FromQColor(MdiForm->palette().color(QPalette::Window)))
                 : ws::clBtnFace;
}

void TkaMDIWnd::PaintMdiArea(ws::Dc& dc, bool forPrint) {
  if (FormAnimating()) return;
  if ((!ProviderLink || !ProviderLink->MustRepaint()) && !HasMdiAreaSection()) {
    ws::FillSolidRect(dc, MdiClientRect(), ws::ColorToRGB(FormColor()));
    return;
  }
  if (!ProviderLink || ProviderLink->FCacheBmp.isNull()) return;
  const int b = forPrint                                                               ? 0
                : ws::GetWindowLong(WndHandle, ws::GWL_EXSTYLE) & ws::WS_EX_CLIENTEDGE ? kClientEdge
                                                                                       : 0;
  const Rect in = MdiClientRectInCache().Offset(b, b);
  const Rect to = MdiClientRect();
  ws::Dc cache(ProviderLink->FCacheBmp);
  dc.BitBlt(to.left, to.top, to.Width(), to.Height(), cache, in.left, in.top, ws::SRCCOPY);
}

void TkaMDIWnd::PaintMdiBorder(ws::Dc& dc) {
  if (!ProviderLink || ProviderLink->FCacheBmp.isNull()) return;
  const Rect to = MdiClientRect();
  if (ProviderLink->MustRepaint() || HasMdiAreaSection()) {
    const Rect in = MdiClientRectInCache();
    ws::Dc cache(ProviderLink->FCacheBmp);
    BitBltFrame(dc, 0, 0, kClientEdge, to.Height(), to.Width(), cache, in.left, in.top);
    return;
  }
  const int b =
      ws::GetWindowLong(WndHandle, ws::GWL_EXSTYLE) & ws::WS_EX_CLIENTEDGE ? kClientEdge : 0;
  FillDCFrame(dc, to, FormColor(), b, b, b, b);
}

void TkaMDIWnd::WndProc(Msg& msg, const NextHandler& next) {
  const bool skinned = !Released && LinkSkinned();
  auto* dc = reinterpret_cast<ws::Dc*>(msg.wParam);
  switch (msg.msg) {
    case ws::WM_PAINT:
      if (FormAnimating()) return;
      break;
    case ws::WM_ERASEBKGND:
      if (!dc || !skinned) break;
      if (FormAnimating()) return;
      if (!LookApplied) ApplySectionLook();
      if (!MaximizedChild()) {
        dc->SaveDC();
        PaintMdiArea(*dc, false);
        dc->RestoreDC(-1);
      }
      msg.result = 1;
      return;
    case ws::WM_STYLECHANGED:
      CallPrevWndProc(msg, next);
      return;
    case ws::WM_NCPAINT:
      if (!skinned) break;
      if (!MaximizedChild() && !FormAnimating())
        if (auto window = ws::GetWindowDC(WndHandle)) {
          PaintMdiBorder(*window);
          PaintScrollBars(window.get(), -1);
        }
      msg.result = 1;
      return;
    case ws::WM_MDITILE:
    case ws::WM_MDICASCADE: {
      CallPrevWndProc(msg, next);
      if (ProviderLink) ProviderLink->BGChanged = true;
      // The active child of a tiled or cascaded form loses its system menu.
      auto* area = qobject_cast<QMdiArea*>(ws::WidgetOf(WndHandle));
      if (QMdiSubWindow* active = area ? area->activeSubWindow() : nullptr) {
        const HWND child = ws::HandleOf(active);
        ws::SetWindowLong(child, ws::GWL_STYLE,
                          ws::GetWindowLong(child, ws::GWL_STYLE) & ~ws::WS_SYSMENU);
      }
      if (QWidget* w = ws::WidgetOf(WndHandle)) w->update();
      if (MdiForm) MdiForm->update();
      return;
    }
    case ws::WM_MDISETMENU:
      CallPrevWndProc(msg, next);
      if (ProviderLink) ProviderLink->BGChanged = true;
      return;
    case ws::WM_PRINT:
      if (!dc || !skinned) break;
      msg.result = 0;
      if (MaximizedChild()) return;
      dc->SaveDC();
      PaintMdiArea(*dc, true);
      PaintScrollBars(dc, -1);
      dc->RestoreDC(-1);
      return;
    case SM_SKINCMD:
      if (skinned && ws::HiWord(msg.wParam) == scNotifyParent) {
        SkinCommandToControl(MdiForm, scNotifyParent, 0);
        return;
      }
      break;
    default:
      break;
  }
  TkaBaseWnd::WndProc(msg, next);
  if (!Released) After(msg);
}

void TkaMDIWnd::After(const Msg& msg) {
  if (msg.msg == SM_SKINCMD && LinkSkinned()) {
    if (ws::HiWord(msg.wParam) == scBeforeScroll) {
      // Frozen while the scroll message moves the children.
      ws::SendMessage(WndHandle, ws::WM_SETREDRAW, 0, 0);
    } else if (ws::HiWord(msg.wParam) == scAfterScroll) {
      ws::SendMessage(WndHandle, ws::WM_SETREDRAW, 1, 0);
      if (ws::LoWord(std::uintptr_t(msg.lParam)) != ws::SB_THUMBTRACK) {
        if (QWidget* w = ws::WidgetOf(WndHandle)) w->update();
        RereadScrollInfo(false);
        ws::ReleaseCapture();
      }
    }
    return;
  }
  switch (msg.msg) {
    case kCalcChildScroll:
    case ws::WM_PARENTNOTIFY: {
      const std::uint32_t style = ws::GetWindowLong(WndHandle, ws::GWL_STYLE);
      if (VertBar) VertBar->Shown = style & ws::WS_VSCROLL;
      if (HorzBar) HorzBar->Shown = style & ws::WS_HSCROLL;
      RereadScrollInfo(true);
      break;
    }
    case ws::WM_MDIREFRESHMENU:
      if (MdiForm) MdiForm->update();
      break;
    default:
      break;
  }
}

}  // namespace kelmo::skinwnd
