#include "skinwnd/frame_adapter.h"

#include <QCoreApplication>

#include "skin/control_utils.h"
#include "skin/item_painting.h"
#include "skin/picture_helpers.h"
#include "skin/skin_manager.h"
#include "skin/skin_message_box.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "skin/skin_text.h"
#include "skinwnd/control_queries.h"
#include "skinwnd/form_traits.h"
#include "winshim/non_client.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {
constexpr unsigned CM_VISIBLECHANGED = 0xB00B;
constexpr unsigned CM_SHOWINGCHANGED = 0xB019;

bool ThirdPartyRule(const TkSkinManager* manager) {
  return manager && manager->Component && (manager->Component->SkinningRules & srThirdParty);
}
}  // namespace

bool IsFrame(const QWidget* widget) {
  return widget && ComponentClassName(widget) == QLatin1String(kFrameClass);
}

TkFrameAdapter::TkFrameAdapter(QWidget* owner) {
  SkinData = std::make_unique<TkCommonData>(owner, true);
  SkinData->SkinSection = QStringLiteral("GROUPBOX");
  SkinData->CtrlSkinState = kKindFrameAdapter;
  if (!IsFrame(owner)) {
    ShowAdapterError(QStringLiteral("TkFrameAdapter adapter must be placed on the handled frame"));
    return;
  }
  Frame = owner;
  wnd_ = ws::HandleOf(owner);
  handlerId_ = ws::Subclass(
      wnd_, [this](ws::HWND, ws::Msg& m, const ws::NextHandler& old) { NewWndProc(m, old); });
  // The frame answers skinned from now on: its indexes are read at once.
  if (AskControl(Frame, scIsSkinned) == 1) SkinData->UpdateIndexes();
}

TkFrameAdapter::~TkFrameAdapter() {
  destroying_ = true;
  ScrollWrapper.reset();
  if (handlerId_) ws::RemoveHandler(wnd_, handlerId_);
  Frame = nullptr;
}

void TkFrameAdapter::Loaded() {
  if (!Frame || AskControl(Frame, scIsSkinned) != 1) return;
  TkSkinManager* manager = SkinData->GetSkinManager();
  if (!manager) return;
  SkinData->UpdateIndexes();
  if (!manager->SkinData.SkinActive) return;
  if (SkinData->Skinned() && ThirdPartyRule(manager)) NotifyParentForm(Frame);
}

void TkFrameAdapter::Redraw() {
  if (Frame) {
    Frame->update();
    ws::SendMessage(wnd_, ws::WM_NCPAINT, 0, 0);
  }
}

// The skin message, whatever the skin state; true when it was handled.
bool TkFrameAdapter::SkinStage(ws::Msg& msg, const ws::NextHandler& old) {
  TkSkinManager* manager = SkinData->GetSkinManager();
  const bool ours = msg.lParam == ws::LPARAM(manager);
  switch (ws::HiWord(msg.wParam)) {
    case scNewSkin:
      if (!ours) return false;
      BroadcastToControls(Frame, msg);
      HandleCommonMessage(msg, SkinData.get());
      return true;
    case scRemoveSkin:
      if (!ours) return false;
      ScrollWrapper.reset();
      HandleCommonMessage(msg, SkinData.get());
      BroadcastToControls(Frame, msg);
      ws::SetWindowPos(wnd_, 0, 0, 0, 0, ws::SWP_NOSIZE | ws::SWP_NOMOVE | ws::SWP_FRAMECHANGED);
      Redraw();
      return true;
    case scRepaint:
      if (!ours) return false;
      HandleCommonMessage(msg, SkinData.get());
      SkinData->UpdateIndexes();
      if (manager) {
        BroadcastToControls(Frame, msg);
        Redraw();
        RefreshScrollWnd(SkinData.get(), ScrollWrapper);
      }
      return true;
    case scIsSkinned:
      msg.result = 1;
      return true;
    case scPrepareUpdate:
      BroadcastToControls(Frame, msg);
      return false;
    case scGetSectionIndex:
      msg.result = SkinData->SkinIndex + 1;
      return true;
    case scGetBgInfo:
      HandleSkinCommand(msg, SkinData.get());
      return true;
    case scBeforeScroll:
    case scAfterScroll: {
      const bool depends =
          (SkinCommandToControl(Frame, scBgDepends, 0) & 0xFF) != 0 || SkinData->RepaintNeeded();
      if (depends) {
        const bool after = ws::HiWord(msg.wParam) == scAfterScroll;
        ws::SendMessage(wnd_, ws::WM_SETREDRAW, after ? 1 : 0, 0);
        if (after) Redraw();
      }
      return false;
    }
    case scGetApplication:
      msg.result = ws::LRESULT(QCoreApplication::instance());
      return true;
    default:
      (void)old;
      return false;
  }
}

void TkFrameAdapter::SkinnedCommand(ws::Msg& msg) {
  TkSkinManager* manager = SkinData->GetSkinManager();
  switch (ws::HiWord(msg.wParam)) {
    case scRecheckHot:
      if (SkinData->FHot) {
        SkinData->SetHot(false);
        Redraw();
      }
      return;
    case scSetHot:
      SkinData->SetHot(ws::LoWord(msg.wParam) == 1);
      BroadcastToChildWindows(wnd_, msg);
      return;
    case scIsHot:
      msg.result = (SkinData->ContainerFlags & 1) == 0 && SkinData->FHot ? 1 : 0;
      return;
    case scResetRepaint:
      if (SkinData->IsTransparent()) SkinData->BGChanged = true;
      return;
    case scBgDepends: {
      const TkGeneralData* s = SkinData->Section();
      if (SkinData->SkinIndex < 0 || !manager || !s) {
        msg.result = 0;
        return;
      }
      msg.result = s->GradientPercent + s->ImagePercent > 0 || SkinData->RepaintNeeded() ? 1 : 0;
      return;
    }
    case scGetBgColor:
      if (SkinData->MustRepaint()) {
        msg.result = ws::LRESULT(kTransparentKey);
        return;
      }
      HandleSkinCommand(msg, SkinData.get());
      return;
    default:
      HandleCommonMessage(msg, SkinData.get());
  }
}

void TkFrameAdapter::WindowMessage(ws::Msg& msg, const ws::NextHandler& old) {
  switch (msg.msg) {
    case ws::WM_MOVE:
    case ws::WM_SIZE:
      SkinData->BGChanged =
          SkinData->BGChanged || msg.msg == ws::WM_SIZE || SkinData->RepaintNeeded();
      if (SkinData->BGChanged) {
        BroadcastToChildWindows(wnd_, SkinMessage(scInvalidateStale, 0, 1));
        if (msg.msg == ws::WM_SIZE) Frame->update();
      }
      old(msg);
      return;
    case ws::WM_PAINT:
      if (!Frame->parentWidget() || destroying_) {
        old(msg);
        return;
      }
      WMPaint(DcOf(msg));
      msg.result = 0;
      return;
    case ws::WM_ERASEBKGND:
      if (!Frame->isVisible()) {
        old(msg);
        return;
      }
      msg.result = 1;
      if (FormAnimating()) return;
      SkinData->SetHot(SkinData->IsHot());
      if (!SkinData->FHot && !(SkinData->MustRepaint() && SkinData->BGChanged))
        PaintFrame(DcOf(msg));
      return;
    case ws::WM_NCPAINT:
      SkinData->SetHot(SkinData->IsHot());
      msg.result = 0;
      return;
    case ws::WM_PARENTNOTIFY: {
      const int event = ws::LoWord(msg.wParam);
      old(msg);
      if (event == ws::WM_CREATE || event == ws::WM_DESTROY) {
        if (ScrollWrapper) ScrollWrapper->RereadScrollInfo(false);
        if (event == ws::WM_CREATE && ThirdPartyRule(SkinData->GetSkinManager()))
          NotifyParentForm(Frame);
      }
      return;
    }
    case ws::WM_PRINT:
      SkinData->SetHot(false);
      if (ControlIsReady(Frame)) {
        PaintFrame(DcOf(msg));
        if (ScrollWrapper) ScrollWrapper->PaintScrollBars(DcOf(msg), -1);
      }
      return;
    case CM_VISIBLECHANGED:
      SkinData->BGChanged = true;
      old(msg);
      if (TkSkinManager* manager = SkinData->GetSkinManager())
        SendSkinCommand(wnd_, scRepaint, ws::LPARAM(manager));
      return;
    case ws::CM_MOUSEENTER:
      old(msg);
      // Nested frames the mouse left hear so.
      for (QObject* child : Frame->children()) {
        auto* nested = qobject_cast<QWidget*>(child);
        if (!nested || !IsFrame(nested) || ws::LPARAM(nested) == msg.lParam) continue;
        if (SkinCommandToControl(nested, scIsSkinned, 0) == 1)
          ws::SendMessage(ws::HandleOf(nested), ws::CM_MOUSELEAVE, 0, 0);
      }
      if (TkSkinManager* manager = TkSkinManager::Default(); manager && manager->Component)
        manager->Component->SetActiveControl(wnd_);
      return;
    case CM_SHOWINGCHANGED:
      old(msg);
      RefreshScrollWnd(SkinData.get(), ScrollWrapper);
      if (ThirdPartyRule(SkinData->GetSkinManager())) NotifyParentForm(Frame);
      return;
    default:
      old(msg);
  }
}

void TkFrameAdapter::NewWndProc(ws::Msg& msg, const ws::NextHandler& old) {
  if (!Frame) {
    old(msg);
    return;
  }
  if (msg.msg == SM_SKINCMD && SkinStage(msg, old)) return;
  TkSkinManager* manager = SkinData->GetSkinManager();
  if (destroying_ || !SkinData->Skinned() || !manager || !manager->SkinData.SkinActive) {
    old(msg);
    return;
  }
  if (msg.msg == SM_SKINCMD) {
    SkinnedCommand(msg);
    return;
  }
  WindowMessage(msg, old);
}

void TkFrameAdapter::WMPaint(ws::Dc* dc) {
  if (!destroying_ && Frame->parentWidget() && !SkinData->MustRepaint()) Frame->update();
  if (!dc) return;  // Qt paints only inside its paint events
  dc->SaveDC();
  if (SkinData->MustRepaint()) {
    SkinData->SetHot(SkinData->IsHot());
    if (!SkinData->FHot) PaintFrame(dc);
  }
  dc->RestoreDC(-1);
}

void TkFrameAdapter::PrepareCache() {
  if (SkinData->MustRepaint()) {
    SkinData->InitCacheBmp();
    SizeLinkCache(SkinData->FCacheBmp, Frame->size());
    TParentBgInfo info;
    const TBgSource bg = SkinData->GetParentBg(info);
    PaintControlItem(*SkinData, bg, false, false, SkinData->FCacheBmp, Frame->pos(),
                     {0, 0, Frame->width(), Frame->height()}, 0);
  }
  SkinData->BGChanged = false;
}

void TkFrameAdapter::PlainPaint(ws::Dc& dc) {
  SkinData->SetHot(false);
  TkSkinManager* manager = SkinData->GetSkinManager();
  const int b = manager && manager->IsValidImgIndex(SkinData->BorderIndex)
                    ? manager->MaskWidthLeft(SkinData->BorderIndex)
                    : 0;
  const Rect r{0, 0, Frame->width(), Frame->height()};
  dc.SaveDC();
  ExcludeGraphicControls(dc, Frame, 0, 0);
  if (b == 0) {
    FillDCRect(dc, r, SkinData->BgColor(0));
    dc.RestoreDC(-1);
    return;
  }
  // The border mask into a cache of the frame's size; the inside in the
  // background colour; the border strips copied over. No cache is kept.
  SizeLinkCache(SkinData->FCacheBmp, Frame->size());
  ws::Dc cacheDc(SkinData->FCacheBmp);
  PaintControlBorder(cacheDc, r, b, 0, *SkinData);
  FillDCRect(dc, {r.left + b, r.top + b, r.right - b, r.bottom - b}, SkinData->BgColor(0));
  dc.RestoreDC(-1);
  BlitFrame(&dc, wnd_, SkinData->FCacheBmp, b);
  SkinData->FCacheBmp = QImage();
}

void TkFrameAdapter::PaintFrame(ws::Dc* dc) {
  if (!dc || FormAnimating()) return;
  if (!SkinData->MustRepaint()) {
    PlainPaint(*dc);
    return;
  }
  dc->SaveDC();
  SkinData->SetHot(SkinData->IsHot());
  if (!SkinData->FHot) {
    SkinData->BGChanged = SkinData->BGChanged || SkinData->HalfVisible;
    SkinData->HalfVisible = false;
    if (SkinData->RepaintNeeded() && Frame->parentWidget()) {
      // A frame partly outside its parent's client area is painted anew
      // each time.
      const QRect client = Frame->parentWidget()->rect();
      SkinData->HalfVisible = !client.contains(Frame->pos() + QPoint(1, 1)) ||
                              !client.contains(Frame->geometry().bottomRight());
    }
    const bool stale = SkinData->BGChanged;
    if (stale && !SkinData->Suspended) PrepareCache();
    BlitWhole(dc, wnd_, SkinData->FCacheBmp);
    RecheckHotChildren(Frame);
  }
  dc->RestoreDC(-1);
}

}  // namespace kelmo::skinwnd
