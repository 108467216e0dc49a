// Clicks on a skinned form's caption and buttons, and its system menu.
#include <QApplication>
#include <QMenu>
#include <QWidget>

#include "skin/skin_manager.h"
#include "skinwnd/form_frame_geometry.h"
#include "skinwnd/form_sizing.h"
#include "skinwnd/form_title_buttons.h"
#include "winshim/non_client.h"
#include "winshim/system_menu.h"

namespace kelmo::skinwnd {
namespace ws = winshim;

namespace {

QPoint MessagePoint(const ws::Msg& msg) {
  return {ws::XOf(msg.lParam), ws::YOf(msg.lParam)};
}

// The hit code a message carries: from the border window for -1.
int MessageCode(TkSkinProvider& p, const ws::Msg& msg) {
  if (msg.wParam == ws::WPARAM(-1) && p.BorderForm) return p.BorderForm->HitTest(msg);
  return int(msg.wParam);
}

// Whether the point of a button-up lies in the button's rect (cache coordinates).
bool PointInButton(TkSkinProvider& p, const ws::Msg& msg, const TitleBtnData& b) {
  QPoint pt = MessagePoint(msg);
  // A client message carries client coordinates, a non-client one the screen's.
  if (msg.msg == ws::WM_LBUTTONUP) pt = ws::ClientToScreen(p.FormHandle(), pt);
  pt = ScreenToWindowPt(p, pt);
  const ws::Rect sm = ShadowMargins(p);
  pt += QPoint(sm.left + ExtBorderExtra(p), sm.top + ExtTitleExtra(p));
  return b.Rect.Contains(pt.x(), pt.y());
}

void SysCommand(TkSkinProvider& p, unsigned command) {
  ws::SendMessage(p.FormHandle(), ws::WM_SYSCOMMAND, command, 0);
}

bool IsMainForm(const TkSkinProvider& p) {
  const QWidget* form = p.FormWidget();
  return form && form->property("kelmoMainForm").toBool();
}

}  // namespace

void DropSysMenu(TkSkinProvider& p, QPoint screen) {
  if (!p.SystemMenu) return;
  p.SystemMenu->UpdateItems();
  if (p.MakeSkinMenu) {
    p.SystemMenu->RemoveSkinList();
    p.SystemMenu->AddSkinList();
  }
  p.SystemMenu->popup(screen);
}

void HandleNcButtonDown(TkSkinProvider& p, ws::Msg& msg, const ws::NextHandler& next) {
  QWidget* form = p.FormWidget();
  const int code = MessageCode(p, msg);
  if (!p.DrawNonClientArea()) {
    if (code == ws::HTSYSMENU) {
      const QPoint o = WindowOrigin(p);
      DropSysMenu(p, QPoint(o.x() + FrameBorderWidth(p, false), o.y() + SysFrameWidth(p, true) +
                                                                    IconRect(p).Height() +
                                                                    PlainFrameWidth(p, false)));
      return;
    }
    next(msg);
    return;
  }
  ProviderUnitState& unit = ProviderState();
  switch (code) {
    case ws::HTSYSMENU: {
      SetHotButton(p, 0, true);
      const QPoint o = WindowOrigin(p);
      if (p.IsMdiChild())
        DropSysMenu(p, QPoint(o.x(), o.y() + CaptionHeightOf(p, false) + 4));
      else
        DropSysMenu(p, QPoint(o.x() + FrameBorderWidth(p, false), o.y() + SysFrameWidth(p, true) +
                                                                      IconRect(p).Height() +
                                                                      PlainFrameWidth(p, false)));
      return;
    }
    case ws::HTMENU:
      next(msg);
      return;
    case ws::HTMINBUTTON:
    case ws::HTMAXBUTTON:
    case ws::HTCLOSE:
    case ws::HTHELP:
    case HTMDICLOSE:
    case HTMDIRESTORE:
    case HTMDIMINIMIZE: {
      TkSkinProvider* child = unit.MaxChildProvider;
      if (child && child->SystemMenu) {
        if (code == HTMDIMINIMIZE && !child->SystemMenu->EnabledMin()) return;
        if (code == HTMDIRESTORE && !child->SystemMenu->EnabledRestore()) return;
      }
      SetPressedButton(p, code);
      return;
    }
    default:
      break;
  }
  if (code >= HTUSERBUTTON) {
    SetPressedButton(p, code);
    const QPoint at = MessagePoint(msg);
    if (TkTitleButton* b = p.TitleButtons().Items(code - HTUSERBUTTON))
      b->MouseDown(1, 0, at.x(), at.y());
    return;
  }
  if (p.IsIconic()) {
    SysCommand(p, ws::SC_MOVE + 2);
    return;
  }
  SetHotButton(p, 0, true);
  if (p.IsZoomed() && code == ws::HTCAPTION) {
    // A maximized form does not move by its caption.
    if (form && !form->isActiveWindow()) form->activateWindow();
    return;
  }
  if (p.ResizeMode == TkResizeMode::rmBorder && code != ws::HTMENU) {
    BeginRubberBand(p, code, MessagePoint(msg));
    return;
  }
  next(msg);
  if (p.BorderForm && form && !form->parentWidget()) p.BorderForm->UpdateExBorder(false, 255);
}

void HandleNcButtonUp(TkSkinProvider& p, ws::Msg& msg, const ws::NextHandler& next) {
  if (!p.DrawNonClientArea()) {
    next(msg);
    return;
  }
  ProviderUnitState& unit = ProviderState();
  const bool pressed = unit.ButtonPressed;
  // A client button-up's key flags stand where the hit code would.
  const int code = MessageCode(p, msg);
  TkSystemMenu* sm = p.SystemMenu.get();
  switch (code) {
    case ws::HTMINBUTTON:
      if (pressed && PointInButton(p, msg, p.Buttons[tbMinimize])) {
        SetHotButton(p, 0, true);
        SysCommand(p, IsMainForm(p) || !p.IsIconic() ? ws::SC_MINIMIZE : ws::SC_RESTORE);
        p.SkinData()->BGChanged = true;
        return;
      }
      if (!pressed) SetHotButton(p, 0, true);
      next(msg);
      return;
    case ws::HTMAXBUTTON:
      if (!sm || !(sm->EnabledMax() || (p.IsZoomed() && sm->EnabledRestore()))) return;
      if (!pressed) {
        SetHotButton(p, 0, true);
        next(msg);
        return;
      }
      SetHotButton(p, 0, true);
      if (p.IsZoomed() || p.IsIconic()) {
        if (p.IsMdiChild()) unit.MaxChildProvider = nullptr;
        SysCommand(p, ws::SC_RESTORE);
      } else {
        if (p.IsMdiChild()) unit.MaxChildProvider = nullptr;
        SysCommand(p, ws::SC_MAXIMIZE);
      }
      if (p.SystemMenu) p.SystemMenu->UpdateItems();
      return;
    case ws::HTCLOSE:
      if (pressed) {
        p.Buttons[tbClose].State = 0;
        SysCommand(p, ws::SC_CLOSE);
      }
      return;
    case ws::HTHELP:
      if (pressed) SysCommand(p, ws::SC_CONTEXTHELP);
      SetHotButton(p, 0, true);
      if (pressed && p.SystemMenu) p.SystemMenu->UpdateItems();
      return;
    case HTMDICLOSE:
    case HTMDIRESTORE:
    case HTMDIMINIMIZE: {
      if (!pressed) return;
      TkSkinProvider* child = unit.MaxChildProvider;
      const unsigned command = code == HTMDICLOSE     ? ws::SC_CLOSE
                               : code == HTMDIRESTORE ? ws::SC_RESTORE
                                                      : ws::SC_MINIMIZE;
      if (child) ws::SendMessage(child->FormHandle(), ws::WM_SYSCOMMAND, command, 0);
      SetHotButton(p, 0, code == HTMDIMINIMIZE);
      return;
    }
    default:
      break;
  }
  if (code >= HTUSERBUTTON) {
    const QPoint at = MessagePoint(msg);
    TkTitleButton* b = p.TitleButtons().Items(code - HTUSERBUTTON);
    if (pressed && b) b->MouseUp(1, 0, at.x(), at.y());
    SetHotButton(p, 0, true);
    return;
  }
  if (p.ResizeMode == TkResizeMode::rmBorder && !p.IsZoomed() && RubberBand().Active) {
    StopRubberBand(p);
    ws::ReleaseCapture();
    return;
  }
  next(msg);
}

void HandleNcDoubleClick(TkSkinProvider& p, ws::Msg& msg, const ws::NextHandler&) {
  if (p.ResizeMode == TkResizeMode::rmBorder && RubberBand().Active) {
    StopRubberBand(p);
    ws::ReleaseCapture();
  }
  const int code = MessageCode(p, msg);
  TkSystemMenu* sm = p.SystemMenu.get();
  if (code == ws::HTCAPTION) {
    if ((sm && sm->VisibleClose() && (sm->EnabledMax() || sm->EnabledRestore())) ||
        (!HasFrame(p) && p.IsIconic())) {
      SysCommand(p, p.IsZoomed() || p.IsIconic() ? ws::SC_RESTORE : ws::SC_MAXIMIZE);
      if (sm) sm->UpdateItems();
    }
    msg.wParam = 0;
    msg.result = 0;
  } else if (code == ws::HTSYSMENU) {
    p.SkinData()->SetHot(true);
    if (p.FormWidget()) p.FormWidget()->close();
  }
}

}  // namespace kelmo::skinwnd
