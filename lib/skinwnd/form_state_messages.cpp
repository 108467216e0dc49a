// Size, painting, activation, window state, showing and printing of a
// skinned form, and what a skin's arrival and removal change on it.
#include "skinwnd/form_state_messages.h"

#include <QLabel>
#include <QWidget>

#include "skin/control_utils.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skinwnd/form_frame_geometry.h"
#include "skinwnd/form_frame_painting.h"
#include "skinwnd/form_sizing.h"
#include "skinwnd/form_title_buttons.h"
#include "skinwnd/form_window_frame.h"
#include "skinwnd/mdi_form.h"
#include "winshim/dc.h"
#include "winshim/non_client.h"
#include "winshim/region.h"
#include "winshim/system_menu.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {
namespace ws = winshim;
using skin::TkSkinManager;

void RedrawSkinnedForm(TkSkinProvider& p) {
  RedrawAfterSkinRemoval(p.FormWidget());
}

void ApplySkinnedFrame(TkSkinProvider& p) {
  if (!p.FormWidget() || !p.DrawNonClientArea() || !p.SkinData()->Skinned(true)) return;
  TakeFormFrame(p);
  p.SkinData()->BGChanged = true;
  p.RgnChanged = true;
}

void RemoveSkinFromForm(TkSkinProvider& p, Msg& msg) {
  skin::TkCommonData* link = p.SkinData();
  QWidget* form = p.FormWidget();
  if (reinterpret_cast<TkSkinManager*>(msg.lParam) != p.ProviderManager()) {
    if (form) skin::BroadcastToControls(form, msg);
    return;
  }
  p.ScrollWnd.reset();
  p.RemoveAdapter();
  ws::Msg copy = msg;
  skin::HandleSkinCommand(copy, link);
  p.MenuRows = -1;
  if (form) skin::BroadcastToControls(form, msg);
  if (!form || p.Destroying) return;
  if (p.ProviderManager()) {
    p.HookFormMenus(false);
    p.SetSysMenuStyle(false);
    p.SetMdiSupport(false);
    if (HasFrame(p) && !p.RgnLocked) ws::SetWindowRgn(form, QRegion(), false);
    p.RefreshMenuBar();
    p.UpdateExtBorders(false);
  }
  if (SkinFormFrame(p)) ReleaseFormFrame(p);
  for (QLabel* label : form->findChildren<QLabel*>()) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, ws::ToQColor(ws::GetSysColor(ws::COLOR_WINDOWTEXT)));
    label->setPalette(pal);
  }
  if (p.UseGlobalColor() && !link->CustomColor) {
    QPalette pal = form->palette();
    pal.setColor(QPalette::Window, ws::ToQColor(ws::GetSysColor(ws::COLOR_BTNFACE)));
    form->setPalette(pal);
  }
  link->FCacheBmp = QImage();
  p.CaptionCopy = QImage();
  p.FramePainted = false;
  p.ActiveButtonCode = 0;
  // The form and, on an MDI parent, its MDI client are redrawn; no other
  // window is.
  RedrawSkinnedForm(p);
}

void HandleFormSize(TkSkinProvider& p, Msg& msg, const NextHandler& next) {
  skin::TkCommonData& link = *p.SkinData();
  next(msg);
  if (!p.FormWidget()) return;
  if (CacheSizeWrong(p)) {
    link.BGChanged = true;
    p.RgnChanged = true;
  }
  p.MenuRows = -1;
  p.LastClientRect = ws::GetClientRect(p.FormHandle());
  if (p.DrawNonClientArea() && p.Showing()) ws::SendMessage(p.FormHandle(), ws::WM_NCPAINT, 0, 0);
  if (p.BorderForm) p.BorderForm->UpdateExBorder(true, 255);
}

void HandleFormPaint(TkSkinProvider& p, Msg& msg, const NextHandler& next) {
  if (!p.Showing()) {
    next(msg);
    return;
  }
  // The client area is painted by the form's own painting over the
  // background the erase step laid.
  next(msg);
}

void HandleFormEraseBkgnd(TkSkinProvider& p, Msg& msg, const NextHandler& next) {
  if (!p.Showing() || !msg.wParam) {
    next(msg);
    return;
  }
  auto& dc = *reinterpret_cast<ws::Dc*>(msg.wParam);
  if (p.SkinData()->BGChanged) PaintFormFrame(p);
  PaintClientBg(p, dc);
  msg.result = 1;
}

void HandleFormNcActivate(TkSkinProvider& p, Msg& msg, const NextHandler& next) {
  skin::TkCommonData& link = *p.SkinData();
  if (p.Destroying) {
    next(msg);
    return;
  }
  const bool active = msg.wParam != 0;
  p.FormActive = active;
  if (active || p.ShowState != 3) {
    if (p.ShowState == 3) {
      link.SetHot(true);
    } else {
      link.BGChanged = true;
      link.SetHot(false);
    }
  }
  if (!active && p.ShowState == 3) p.ShowState = 0;
  next(msg);
  if (!p.Showing()) return;
  if (HasFrame(p)) p.MenuRows = -1;
  ws::SendMessage(p.FormHandle(), ws::WM_NCPAINT, 0, 0);
  if (p.BorderForm) p.BorderForm->UpdateExBorder(true, 255);
  if (!p.MenuRefreshed && p.RefreshMenuBar()) p.MenuRefreshed = true;
  if (link.Skinned() && !p.Adapter) p.PrepareForm();
}

namespace {

// The MDI parent's frame drawn anew: its menu line shows the maximized
// child's buttons or no longer does.
void RedrawMdiParent() {
  TkSkinProvider* parent = ProviderState().MdiParentProvider;
  if (!parent || parent->Destroying || !parent->FormWidget()) return;
  parent->InvalidateNonClient();
  RedrawSkinnedForm(*parent);
}

// The system commands of an MDI child: the maximized child is the one
// whose buttons the parent shows.
void MdiChildSysCommand(TkSkinProvider& p, Msg& msg, const NextHandler& next) {
  ProviderUnitState& unit = ProviderState();
  const unsigned command = unsigned(msg.wParam) & 0xFFF0u;
  if (command == ws::SC_RESTORE && unit.MaxChildCreating) return;
  if (command == ws::SC_MAXIMIZE) unit.MaxChildProvider = &p;
  next(msg);
  if (command != ws::SC_MAXIMIZE && unit.MaxChildProvider == &p && !p.IsZoomed())
    unit.MaxChildProvider = nullptr;
  p.SkinData()->BGChanged = true;
  if (p.SystemMenu) p.SystemMenu->UpdateItems();
  RedrawMdiParent();
}

}  // namespace

void HandleFormSysCommand(TkSkinProvider& p, Msg& msg, const NextHandler& next) {
  const unsigned command = unsigned(msg.wParam) & 0xFFF0u;
  if (unsigned(msg.wParam) == ws::SC_MOVE + 2 && p.FormWidget()) p.FormWidget()->repaint();
  if (p.ResizeMode == TkResizeMode::rmBorder && !RubberBand().Active &&
      (command == ws::SC_MOVE || command == ws::SC_SIZE)) {
    // The drag follows the mouse here; the window system does not move
    // the window meanwhile.
    PrepareRubberBand(p, command);
    return;
  }
  skin::TkCommonData& link = *p.SkinData();
  if (p.IsMdiChild()) {
    MdiChildSysCommand(p, msg, next);
    return;
  }
  next(msg);
  if (p.IsMdiParent() &&
      (unsigned(msg.wParam) == ws::SC_MINIMIZE || unsigned(msg.wParam) == ws::SC_MAXIMIZE ||
       unsigned(msg.wParam) == ws::SC_RESTORE))
    p.InvalidateNonClient();
  switch (unsigned(msg.wParam)) {
    case ws::SC_MINIMIZE:
      link.FCacheBmp = QImage();
      break;
    case ws::SC_MAXIMIZE:
    case ws::SC_RESTORE:
      if (p.SystemMenu && p.SystemMenu->VisibleMax()) p.ActiveButtonCode = ws::HTMAXBUTTON;
      SetHotButton(p, 0, true);
      if (unsigned(msg.wParam) == ws::SC_RESTORE) {
        link.BGChanged = true;
        if (HasFrame(p))
          RedrawSkinnedForm(p);
        else if (p.FormWidget())
          ws::SetWindowRgn(p.FormWidget(), QRegion(), true);
      }
      break;
    case ws::SC_KEYMENU:
      if (msg.lParam == 32 && HasFrame(p) && p.SystemMenu && p.SystemMenu->VisibleClose()) {
        const QPoint o = WindowOrigin(p);
        DropSysMenu(p, QPoint(o.x() + FrameBorderWidth(p, true),
                              o.y() + SysFrameWidth(p, true) + IconRect(p).Height()));
      }
      break;
    default:
      break;
  }
  if (p.SystemMenu) p.SystemMenu->UpdateItems();
}

void HandleFormShowing(TkSkinProvider& p, Msg& msg, const NextHandler& next) {
  skin::TkCommonData& link = *p.SkinData();
  if (!link.BGChanged || !p.Showing() || !p.DrawNonClientArea()) {
    next(msg);
    return;
  }
  p.HookFormMenus(link.Skinned());
  if (p.Adapter) p.Adapter->AddAllItems();
  link.SetHot(false);
  TkSkinManager* m = p.ProviderManager();
  p.UpdateExtBorders(m && m->Component && m->Component->ExtendedBorders());
  next(msg);
  p.UpdateFormScrolls();
}

void HandleFormShowWindow(TkSkinProvider& p, Msg& msg, const NextHandler& next) {
  next(msg);
  QWidget* form = p.FormWidget();
  TkSkinManager* m = p.ProviderManager();
  if (!msg.wParam || !form || !form->isWindow() || p.IsMdiChild() || !m || !m->Component ||
      !p.DrawNonClientArea() || p.InAnimation)
    return;
  const skin::TkaAnimEffects& effects = m->Component->AnimEffects;
  const skin::TkaFormAnimation& show = HasNormalCaption(p) ? effects.FormShow : effects.DialogShow;
  if (!show.Active || show.Time == 0) return;
  p.AnimatedShow = true;
  p.InAnimation = true;
  p.SkinData()->SetHot(true);
  PaintFormFrame(p);
  UpdateRegion(p, false);
  p.AnimatedShow = false;
  skin::AnimShowForm(form, show.Time);
  p.InAnimation = false;
  p.SkinData()->SetHot(false);
  RedrawSkinnedForm(p);
}

void HandleFormPrint(TkSkinProvider& p, Msg& msg) {
  QWidget* form = p.FormWidget();
  if (!form || !form->isVisible() || p.Loading || p.Destroying || !msg.wParam) return;
  if (!p.MenuRefreshed && p.RefreshMenuBar()) p.MenuRefreshed = true;
  p.SkinData()->SetHot(false);
  auto& dc = *reinterpret_cast<ws::Dc*>(msg.wParam);
  if (p.DrawNonClientArea() && HasFrame(p)) PaintAllToDC(p, dc);
  PaintClientBg(p, dc);
}

}  // namespace kelmo::skinwnd
