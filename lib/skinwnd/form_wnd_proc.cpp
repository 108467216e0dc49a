// The form provider's window procedure: the skin message in every state,
// then, while unskinned, everything passed on; while skinned, the
// non-client messages answered and the rest passed on.
#include <QLabel>
#include <QWidget>

#include "skin/control_utils.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skinwnd/form_frame_geometry.h"
#include "skinwnd/form_frame_painting.h"
#include "skinwnd/form_messages.h"
#include "skinwnd/form_provider.h"
#include "skinwnd/form_sizing.h"
#include "skinwnd/form_state_messages.h"
#include "skinwnd/form_title_buttons.h"
#include "skinwnd/form_window_frame.h"
#include "winshim/non_client.h"
#include "winshim/system_menu.h"

namespace kelmo::skinwnd {
namespace ws = winshim;
using skin::TkSkinManager;

namespace {

int Command(const ws::Msg& msg) {
  return ws::HiWord(msg.wParam);
}

TkSkinManager* MessageManager(const ws::Msg& msg) {
  return reinterpret_cast<TkSkinManager*>(msg.lParam);
}

// The skin commands a provider answers in every state; true when the call ends.
bool AnyStateCommand(TkSkinProvider& p, ws::Msg& msg) {
  skin::TkCommonData* link = p.SkinData();
  switch (Command(msg)) {
    case skin::scNewSkin:
      if (!p.Destroying && link && MessageManager(msg) == p.ProviderManager() && !p.SystemMenu)
        p.InitSkin();
      return false;
    case skin::scRemoveSkin:
      RemoveSkinFromForm(p, msg);
      return true;
    case skin::scIsSkinned:
      msg.result = 1;
      return true;
    case skin::scGetBgInfo: {
      auto* info = reinterpret_cast<skin::TParentBgInfo*>(msg.lParam);
      if (!info) return true;
      if (link->BGChanged && !link->FHot && link->MustRepaint()) PaintFormFrame(p);
      ws::Msg ask = msg;
      skin::HandleSkinCommand(ask, link);
      // Child controls lie in the form's window coordinates.
      if (info->Ready == 2) {
        const QPoint o = WindowOffsetInCache(p);
        info->X += o.x();
        info->Y += o.y();
      }
      return true;
    }
    case skin::scContainerFlag:
      msg.result = link->ContainerFlags;
      return true;
    case skin::scGetApplication: {
      ws::Msg ask = msg;
      skin::HandleSkinCommand(ask, link);
      msg.result = ask.result;
      return true;
    }
    case skin::scGetClientOffset:
      msg.result = ws::MakeLParam(FrameLeftWidth(p), FrameTopHeight(p));
      return true;
    default:
      return false;
  }
}

void SetGlobalColorIfAny(TkSkinProvider& p) {
  TkSkinManager* m = p.ProviderManager();
  QWidget* form = p.FormWidget();
  if (!m || !form || !p.UseGlobalColor() || p.SkinData()->CustomColor) return;
  QPalette pal = form->palette();
  pal.setColor(QPalette::Window, ws::ToQColor(m->GetGlobalColor()));
  form->setPalette(pal);
}

void AttachChildren(TkSkinProvider& p) {
  if (p.Adapter)
    p.Adapter->AddAllItems();
  else
    p.PrepareForm();
}

// Skin commands while unskinned; true when the call ends.
bool UnskinnedCommand(TkSkinProvider& p, ws::Msg& msg) {
  switch (Command(msg)) {
    case skin::scNewSkin: {
      if (p.Destroying || !p.SkinData()) return false;
      if (MessageManager(msg) != p.ProviderManager()) return true;
      TkSkinManager* m = p.ProviderManager();
      p.SkinData()->UpdateIndexes();
      if (m) {
        LoadButtonImages(p);
        p.SetSysMenuStyle(true);
        if (!(m->Component && m->Component->IsLoading())) p.HookFormMenus(true);
        p.SkinData()->BGChanged = true;
        p.MenuRows = -1;
        if (p.IsMdiParent() && !p.MDIForm) p.SetMdiSupport(true);
        SetGlobalColorIfAny(p);
      }
      AttachChildren(p);
      return true;
    }
    case skin::scGetProvider:
      msg.result = ws::LRESULT(static_cast<skin::TkFormProviderHooks*>(&p));
      return true;
    default:
      return false;
  }
}

// Skin commands while skinned (all end the call).
void SkinnedCommand(TkSkinProvider& p, ws::Msg& msg) {
  skin::TkCommonData& link = *p.SkinData();
  TkSkinManager* m = p.ProviderManager();
  switch (Command(msg)) {
    case skin::scNewSkin:
      if (MessageManager(msg) != m) return;
      link.UpdateIndexes();
      if (!m) return;
      LoadButtonImages(p);
      p.SetSysMenuStyle(p.DrawNonClientArea());
      link.BGChanged = true;
      p.MenuRows = -1;
      ws::SendMessage(p.FormHandle(), ws::WM_NCPAINT, 0, 0);
      if (p.IsMdiParent() && !p.MDIForm) p.SetMdiSupport(true);
      return;
    case skin::scRepaint:
      if (MessageManager(msg) != m) return;
      AttachChildren(p);
      if (p.DrawNonClientArea()) p.UpdateFormScrolls();
      p.MenuRows = -1;
      p.CaptionCopy = QImage();
      if (!(m && m->Component && m->Component->IsLoading())) {
        p.RefreshMenuBar();
        p.HookFormMenus(link.Skinned());
      }
      if (HasFrame(p)) p.RgnChanged = true;
      if (p.FormWidget() && p.FormWidget()->isVisible()) {
        link.BGChanged = true;
        p.UpdateExtBorders(m && m->Component && m->Component->ExtendedBorders());
        ApplySkinnedFrame(p);
        if (!p.InAnimation) RedrawSkinnedForm(p);
        SetGlobalColorIfAny(p);
        if (p.MDIForm) p.MDIForm->AttachClient();
        link.SetHot(false);
        if (p.SystemMenu) p.SystemMenu->UpdateGlyphs();
        p.AdapterBroadcast(msg);
        if (p.BorderForm) p.BorderForm->UpdateExBorder(true, 255);
      } else {
        ApplySkinnedFrame(p);
      }
      return;
    case skin::scGetProvider:
      msg.result = ws::LRESULT(static_cast<skin::TkFormProviderHooks*>(&p));
      return;
    case skin::scSetHot:
      link.SetHot(ws::LoWord(msg.wParam) == 1);
      if (link.IsHot()) link.BGChanged = true;
      return;
    case skin::scSuspendPaint: {
      ws::Msg copy = msg;
      skin::HandleCommonMessage(copy, &link);
      if (link.Suspended) PaintFormFrame(p);
      return;
    }
    case skin::scIsHot:
      msg.result = !p.InAnimation && link.MustRepaint() && link.FHot ? 1 : 0;
      return;
    case skin::scFormActivated:
    case skin::scUpdateShadow:
      if (p.BorderForm) p.BorderForm->UpdateExBorder(false, 255);
      return;
    case skin::scBgDepends: {
      const skin::TkGeneralData* s = link.Section();
      msg.result = s && s->GradientPercent + s->ImagePercent > 0 ? 1 : 0;
      return;
    }
    case skin::scGetBgColor:
      msg.result = p.GetFormColor();
      return;
    case skin::scControlLoaded:
      if (p.FormWidget() && !p.Loading && p.Adapter) {
        if (msg.lParam)
          p.Adapter->AddNewItem(reinterpret_cast<QWidget*>(msg.lParam));
        else
          p.Adapter->AddAllItems();
      }
      return;
    case skin::scBeforeScroll:
      if (link.RepaintNeeded()) ws::SendMessage(p.FormHandle(), ws::WM_SETREDRAW, 0);
      return;
    case skin::scAfterScroll:
      if (link.RepaintNeeded()) {
        ws::SendMessage(p.FormHandle(), ws::WM_SETREDRAW, 1);
        RedrawSkinnedForm(p);
      }
      return;
    default:
      return;  // any other command is swallowed
  }
}

// Window messages while skinned.
void SkinnedMessage(TkSkinProvider& p, ws::Msg& msg, const ws::NextHandler& next) {
  skin::TkCommonData& link = *p.SkinData();
  switch (msg.msg) {
    case ws::WM_MOVE:
      p.FreeButtonTimers();
      next(msg);
      if (p.BorderForm) p.BorderForm->UpdateExBorder(false, 255);
      return;
    case ws::WM_SIZE:
      HandleFormSize(p, msg, next);
      return;
    case ws::WM_ACTIVATE:
      next(msg);
      if (!p.Showing()) return;
      p.MenuRows = -1;
      if (p.SystemMenu) p.SystemMenu->UpdateItems();
      return;
    case ws::WM_SETREDRAW:
      if (msg.wParam == 1)
        p.RedrawLock = std::max(p.RedrawLock - 1, 0);
      else
        ++p.RedrawLock;
      next(msg);
      return;
    case ws::WM_SETTEXT:
    case ws::CM_TEXTCHANGED:
      next(msg);
      if (!p.Showing() || !p.DrawNonClientArea()) return;
      link.BGChanged = true;
      ws::SendMessage(p.FormHandle(), ws::WM_NCPAINT, 0, 0);
      if (p.BorderForm) p.BorderForm->UpdateExBorder(true, 255);
      return;
    case ws::WM_PAINT:
      HandleFormPaint(p, msg, next);
      return;
    case ws::WM_SHOWWINDOW:
      HandleFormShowWindow(p, msg, next);
      return;
    case ws::WM_ERASEBKGND:
      HandleFormEraseBkgnd(p, msg, next);
      return;
    case ws::WM_NCCALCSIZE:
      next(msg);
      return;
    case WM_GETMINMAXINFO:
      if (msg.lParam) GetMinMaxInfo(p, *reinterpret_cast<MINMAXINFO*>(msg.lParam));
      next(msg);
      return;
    case WM_WINDOWPOSCHANGING:
      if (p.SettingRgn) return;
      next(msg);
      return;
    case ws::WM_WINDOWPOSCHANGED:
      next(msg);
      p.TallMaxCaption =
          p.IsZoomed() && p.BorderForm && CaptionHeightOf(p, true) < CaptionHeightOf(p, false) + 4;
      if (p.BorderForm) p.BorderForm->UpdateExBorder(false, 255);
      return;
    case WM_SETICON:
      next(msg);
      PaintFrameNow(p);
      return;
    case ws::WM_NCHITTEST: {
      if (CaptionHeightOf(p, false) == 0 || !p.DrawNonClientArea()) {
        next(msg);
        return;
      }
      const int code = HitTest(p, QPoint(ws::XOf(msg.lParam), ws::YOf(msg.lParam)));
      msg.result = code;
      if (code == ws::HTNOWHERE || code == ws::HTCLIENT || code == ws::HTCAPTION ||
          code == ws::HTMENU)
        SetHotButton(p, 0, true);
      else
        NoteSizingEdge(p, code);
      // The platform's procedure knows no skinned frame: the provider's
      // code is the answer.
      return;
    }
    case ws::WM_NCPAINT:
      if (!p.DrawNonClientArea()) {
        next(msg);
        return;
      }
      if (p.IsIconic()) link.BGChanged = true;
      if (p.AnimatedShow || !p.Showing() || p.Loading || !p.SystemMenu) return;
      if (!p.Adapter) p.PrepareForm();
      PaintNonClient(p);
      msg.result = 0;
      return;
    case ws::WM_NCACTIVATE:
      HandleFormNcActivate(p, msg, next);
      return;
    case CM_OWNREGIONQUERY:
    case CM_FORMINVALIDATE:
    case CM_FORMCONTROLLISTCHANGING:
    case 0x93:
      msg.result = 0;
      return;
    case ws::WM_NCLBUTTONDOWN:
      HandleNcButtonDown(p, msg, next);
      return;
    case ws::WM_NCLBUTTONUP:
    case ws::WM_LBUTTONUP:
      HandleNcButtonUp(p, msg, next);
      return;
    case ws::WM_NCLBUTTONDBLCLK:
      HandleNcDoubleClick(p, msg, next);
      return;
    case ws::WM_NCRBUTTONDOWN:
      if (int(msg.wParam) == ws::HTCAPTION || int(msg.wParam) == ws::HTSYSMENU) return;
      next(msg);
      return;
    case ws::WM_NCRBUTTONUP: {
      if (!HasFrame(p)) {
        next(msg);
        return;
      }
      const QPoint at(ws::XOf(msg.lParam), ws::YOf(msg.lParam));
      const int code = msg.wParam == ws::WPARAM(-1) && p.BorderForm ? p.BorderForm->HitTest(msg)
                                                                    : HitTest(p, at);
      msg.wParam = ws::WPARAM(code);
      if (code == ws::HTCAPTION || code == ws::HTSYSMENU) {
        SetHotButton(p, 0, true);
        DropSysMenu(p, at);
      }
      return;
    }
    case ws::WM_SYSCOMMAND:
      HandleFormSysCommand(p, msg, next);
      return;
    case WM_INITMENUPOPUP:
      next(msg);
      return;
    case WM_ENTERIDLE:
      msg.result = 0;
      return;
    case ws::WM_MOUSEMOVE:
      next(msg);
      if (TkSkinManager* m = TkSkinManager::Default(); m && m->Component)
        m->Component->SetActiveControl(0);
      TrackRubberBand(p, msg);
      return;
    case ws::WM_PARENTNOTIFY:
      next(msg);
      if (p.Loading) return;
      if (p.Adapter) p.Adapter->AddAllItems();
      return;
    case WM_SIZING:
    case WM_EXITSIZEMOVE:
      next(msg);
      if (p.BorderForm) p.BorderForm->UpdateExBorder(false, 255);
      return;
    case ws::WM_MOUSELEAVE:
    case ws::CM_MOUSELEAVE:
      SetHotButton(p, 0, true);
      next(msg);
      return;
    case WM_SYSMENUKEY:
      DropSysMenu(p, ws::GetCursorPos());
      return;
    case ws::WM_PRINT:
      HandleFormPrint(p, msg);
      return;
    case ws::WM_PRINTCLIENT:
    case CM_FORMRECREATEWND:
      return;
    case CM_FORMVISIBLECHANGED:
      next(msg);
      if (p.BorderForm) p.BorderForm->UpdateExBorder(false, 255);
      if (p.FormWidget() && !p.FormWidget()->isVisible() && !p.Destroying) {
        link.FCacheBmp = QImage();
        p.FreeButtonTimers();
      }
      return;
    case ws::CM_ENABLEDCHANGED:
      next(msg);
      if (p.DrawNonClientArea()) {
        link.BGChanged = true;
        ws::SendMessage(p.FormHandle(), ws::WM_NCPAINT, 0, 0);
      }
      return;
    case ws::CM_COLORCHANGED:
      if (!link.CustomColor) return;
      link.BGChanged = true;
      next(msg);
      return;
    case CM_FORMMENUCHANGED:
      if (p.Showing()) p.RebuildFrame = true;
      next(msg);
      return;
    case CM_FORMSHOWINGCHANGED:
      HandleFormShowing(p, msg, next);
      return;
    case CM_FORMCONTROLCHANGE:
      next(msg);
      if (msg.wParam && p.Adapter) p.Adapter->AddNewItem(reinterpret_cast<QWidget*>(msg.wParam));
      return;
    default:
      next(msg);
      return;
  }
}

}  // namespace

void TkSkinProvider::NewWndProc(ws::Msg& msg, const ws::NextHandler& next) {
  // The frame's margins stand while the provider has the form's frame.
  if (msg.msg == ws::WM_NCCALCSIZE && SkinFormFrame(*this) && msg.lParam) {
    auto* params = reinterpret_cast<ws::NCCALCSIZE_PARAMS*>(msg.lParam);
    const ws::Rect in = NonClientInsets(*this);
    ws::Rect& r = params->rgrc[0];
    r = {r.left + in.left, r.top + in.top, r.right - in.right, r.bottom - in.bottom};
    msg.result = 0;
    return;
  }
  if (msg.msg == skin::SM_SKINCMD && AnyStateCommand(*this, msg)) return;
  if (Destroying || !SkinData() || !SkinData()->Skinned(true)) {
    if (msg.msg == skin::SM_SKINCMD && UnskinnedCommand(*this, msg)) return;
    next(msg);
    return;
  }
  if (msg.msg == skin::SM_SKINCMD) {
    SkinnedCommand(*this, msg);
    return;
  }
  SkinnedMessage(*this, msg, next);
}

}  // namespace kelmo::skinwnd
