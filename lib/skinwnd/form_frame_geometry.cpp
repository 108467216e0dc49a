// Frame measures, the window region and the non-client hit test of a
// skinned form.
#include "skinwnd/form_frame_geometry.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "skin/item_painting.h"
#include "skin/skin_manager.h"
#include "skinwnd/form_title_buttons.h"
#include "winshim/non_client.h"
#include "winshim/region.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {
namespace ws = winshim;
using skin::TkSkinManager;

namespace {

const skin::TkSkinData* FrameSkinValues(const TkSkinProvider& p) {
  const TkSkinManager* m = p.ProviderManager();
  return m ? &m->SkinData : nullptr;
}

bool IsToolWindow(const TkSkinProvider& p) {
  const TFormBorderStyle s = p.BorderStyle();
  return s == TFormBorderStyle::bsToolWindow || s == TFormBorderStyle::bsSizeToolWin;
}

// The width of a menu-bar action as the bar lays it out.
int MenuItemWidth(QMenuBar* bar, QAction* action) {
  const int w = bar->actionGeometry(action).width();
  return w > 0 ? w : bar->fontMetrics().horizontalAdvance(action->text()) + 14;
}

}  // namespace

int SkinTitleHeight(const TkSkinProvider& p) {
  const auto* v = FrameSkinValues(p);
  return v ? v->TitleHeightEx : 30;
}
int SkinMaxTitleHeight(const TkSkinProvider& p) {
  const auto* v = FrameSkinValues(p);
  return v && v->MaxTitleHeightEx != 0 ? v->MaxTitleHeightEx : SkinTitleHeight(p);
}
int SkinBorderWidth(const TkSkinProvider& p) {
  const auto* v = FrameSkinValues(p);
  return v ? v->BorderWidthEx : 4;
}
int SkinCenterOffset(const TkSkinProvider& p) {
  const auto* v = FrameSkinValues(p);
  return v ? v->CenterOffsetEx : 0;
}
int SkinBorderMode(const TkSkinProvider& p) {
  const auto* v = FrameSkinValues(p);
  return v ? v->BorderModeEx : 0;
}
int SkinButtonsLeft(const TkSkinProvider& p) {
  const auto* v = FrameSkinValues(p);
  return v ? v->TitleBtnLeftMargin : 0;
}

int FrameBorderWidth(const TkSkinProvider& p, bool ext) {
  if (ext && p.BorderForm && ExtBorderWidth(p) != 0) return ExtBorderWidth(p);
  const std::uint32_t style = p.FormStyle();
  if (style & ws::WS_THICKFRAME) return ws::GetSystemMetrics(ws::SM_CXFRAME);
  if (style & ws::WS_BORDER) return ws::GetSystemMetrics(ws::SM_CXDLGFRAME);
  return 0;
}

int PlainFrameWidth(const TkSkinProvider& p, bool ext) {
  return p.BorderForm ? 0 : FrameBorderWidth(p, ext);
}

int ExtTitleHeight(const TkSkinProvider& p) {
  return p.BorderForm ? SkinTitleHeight(p) : 0;
}

int ExtBorderWidth(const TkSkinProvider& p) {
  return p.BorderForm ? SkinBorderWidth(p) : 0;
}

int ExtTitleExtra(const TkSkinProvider& p) {
  if (!p.BorderForm) return 0;
  return CaptionHeightOf(p, true) - CaptionHeightOf(p, false) - FrameBorderWidth(p, false);
}

int ExtBorderExtra(const TkSkinProvider& p) {
  if (!p.BorderForm) return 0;
  return FrameBorderWidth(p, true) - FrameBorderWidth(p, false);
}

ws::Rect ShadowMargins(const TkSkinProvider& p) {
  // The border window's margins: the manager's, as the border window
  // itself places them.
  return p.BorderForm ? p.BorderForm->ShadowMargins() : ws::Rect{};
}

int CaptionHeightOf(const TkSkinProvider& p, bool ext) {
  const bool caption = (p.FormStyle() & ws::WS_CAPTION) == ws::WS_CAPTION;
  if (!((HasFrame(p) && caption) || p.IsIconic())) return 0;
  const int x = ext ? ExtTitleHeight(p) : 0;
  const int m = ws::GetSystemMetrics(IsToolWindow(p) ? ws::SM_CYSMCAPTION : ws::SM_CYCAPTION);
  if (!p.TallMaxCaption) return x != 0 ? x : m;
  return std::max(m + 4, x);
}

bool HasFrame(const TkSkinProvider& p) {
  return p.BorderStyle() != TFormBorderStyle::bsNone || p.IsMdiChild();
}

bool HasNormalCaption(const TkSkinProvider& p) {
  return p.BorderStyle() == TFormBorderStyle::bsSingle ||
         p.BorderStyle() == TFormBorderStyle::bsSizeable;
}

bool IsSizeableWnd(const TkSkinProvider& p) {
  return (p.FormStyle() & ws::WS_THICKFRAME) != 0;
}

int SysFrameWidth(const TkSkinProvider& p, bool ext) {
  return PlainFrameWidth(p, ext) + p.FormBorderWidth();
}

int FullFrameWidth(const TkSkinProvider& p, bool ext) {
  return FrameBorderWidth(p, ext) + p.FormBorderWidth();
}

int CacheWidth(const TkSkinProvider& p) {
  const QWidget* form = p.FormWidget();
  if (!form) return 0;
  const ws::Rect sm = ShadowMargins(p);
  return form->width() + 2 * ExtBorderExtra(p) + sm.left + sm.right;
}

int CacheHeight(const TkSkinProvider& p) {
  const QWidget* form = p.FormWidget();
  if (!form) return 0;
  if (!p.BorderForm) return form->height();
  const ws::Rect sm = ShadowMargins(p);
  return ExtBorderExtra(p) + form->height() + ExtTitleExtra(p) + sm.top + sm.bottom;
}

int MenuLineHeight(const TkSkinProvider& p) {
  return p.MainMenu() ? ws::GetSystemMetrics(ws::SM_CYMENU) - 1 : 0;
}

bool MenuLineVisible(const TkSkinProvider& p) {
  if (p.BorderStyle() == TFormBorderStyle::bsDialog || p.IsMdiChild()) return false;
  QMenuBar* bar = p.MainMenu();
  if (!bar) return false;
  const auto actions = bar->actions();
  return std::any_of(actions.begin(), actions.end(), [](QAction* a) { return a->isVisible(); });
}

int MenuLineRows(TkSkinProvider& p) {
  if (p.MenuRows != -1) return p.MenuRows;
  QMenuBar* bar = p.MainMenu();
  if (!bar || !p.FormWidget()) return 1;
  const int start = FrameBorderWidth(p, true);
  const int limit = p.FormWidget()->width() - 2 * start - 2 * p.FormBorderWidth();
  int rows = 1, x = start;
  for (QAction* a : bar->actions()) {
    if (!a->isVisible() || a->isSeparator()) continue;
    const int w = MenuItemWidth(bar, a);
    if (x + w > limit && x != start) {
      ++rows;
      x = start;
    }
    x += w;
  }
  p.MenuRows = rows;
  return rows;
}

int FrameLeftWidth(TkSkinProvider& p) {
  if (p.BorderForm) return FullFrameWidth(p, true) + ShadowMargins(p).left;
  return NonClientInsets(p).left;
}

int FrameTopHeight(TkSkinProvider& p) {
  if (p.BorderForm) {
    const int rows = MenuLineVisible(p) ? MenuLineRows(p) : 0;
    return CaptionHeightOf(p, true) + rows * MenuLineHeight(p) + p.FormBorderWidth() +
           ShadowMargins(p).top;
  }
  return NonClientInsets(p).top;
}

int TopStripHeight(TkSkinProvider& p) {
  if (p.BorderForm) return PlainFrameWidth(p, false) + CaptionHeightOf(p, true);
  const ws::Rect in = NonClientInsets(p);
  int h = in.top + in.bottom;
  if (CaptionHeightOf(p, true) != 0) h -= SysFrameWidth(p, true);
  h = std::max(h, 0);
  if (p.IsIconic()) h += PlainFrameWidth(p, false);
  return h;
}

bool CacheSizeWrong(const TkSkinProvider& p) {
  const QImage& cache = p.SkinData()->FCacheBmp;
  return cache.isNull() || cache.width() != CacheWidth(p) || cache.height() != CacheHeight(p);
}

QPoint WindowOrigin(const TkSkinProvider& p) {
  const ws::Rect r = ws::GetWindowRect(p.FormHandle());
  return {r.left, r.top};
}

QPoint ScreenToWindowPt(const TkSkinProvider& p, QPoint screen) {
  return screen - WindowOrigin(p);
}

bool IconVisible(const TkSkinProvider& p) {
  return HasNormalCaption(p) && p.ShowAppIcon() && (p.BorderIcons() & biSystemMenu) != 0;
}

namespace {
int SysIconSize(int h) {
  return h <= 8 ? 1 : h <= 16 ? 8 : 16;
}
}  // namespace

int IconWidth(const TkSkinProvider& p) {
  if (!IconVisible(p)) return 0;
  return p.TitleIcon.Width != 0 ? p.TitleIcon.Width : SysIconSize(CaptionHeightOf(p, true));
}

int IconHeight(const TkSkinProvider& p) {
  if (!IconVisible(p)) return 0;
  return p.TitleIcon.Height != 0 ? p.TitleIcon.Height : SysIconSize(CaptionHeightOf(p, true));
}

ws::Rect IconRect(const TkSkinProvider& p) {
  const ws::Rect sm = ShadowMargins(p);
  ws::Rect r;
  r.left = FrameBorderWidth(p, true) + SkinButtonsLeft(p) + sm.left;
  r.right = r.left + IconWidth(p);
  r.top = FrameBorderWidth(p, false) / 2 + sm.top - 1;
  r.top +=
      (PlainFrameWidth(p, false) + CaptionHeightOf(p, true) + sm.top - r.top - IconHeight(p)) / 2;
  r.bottom = r.top + IconHeight(p);
  if (p.BorderForm) {
    r = r.Offset(0, SkinCenterOffset(p));
    if (p.IsZoomed() && SkinTitleHeight(p) != SkinMaxTitleHeight(p))
      r = r.Offset(0, (SkinTitleHeight(p) - SkinMaxTitleHeight(p)) / 2 - 2);
  }
  return r;
}

bool GripVisible(const TkSkinProvider& p) {
  return p.GripMode == TkGripMode::gmRightBottom && !p.IsZoomed() && IsSizeableWnd(p);
}

QPoint GripPos(const TkSkinProvider& p, int maskIndex) {
  const TkSkinManager* m = p.ProviderManager();
  const QSize size = m ? m->GetMaskSize(maskIndex) : QSize();
  const ws::Rect sm = ShadowMargins(p);
  return {CacheWidth(p) - size.width() - FrameBorderWidth(p, true) - sm.right - 1,
          CacheHeight(p) - size.height() - FrameBorderWidth(p, true) - sm.bottom - 1};
}

bool MaskIsSingleImage(int maskIndex, const TkSkinManager* manager) {
  if (maskIndex < 0 || !manager || !manager->IsValidImgIndex(maskIndex)) return true;
  return manager->ma[std::size_t(maskIndex)].ImageCount == 1;
}

ws::Rect NonClientInsets(TkSkinProvider& p) {
  if (!HasFrame(p)) return {};
  const int f = FrameBorderWidth(p, false) + p.FormBorderWidth();
  const int rows = MenuLineVisible(p) ? MenuLineRows(p) : 0;
  return {f, f + CaptionHeightOf(p, false) + rows * ws::GetSystemMetrics(ws::SM_CYMENU), f, f};
}

// ---- the region ----

void BuildRegionAreas(TkSkinProvider& p) {
  p.RgnAreas.clear();
  TkSkinManager* m = p.ProviderManager();
  QWidget* form = p.FormWidget();
  if (!m || !form) return;
  const int border = p.SkinData()->BorderIndex;
  if (m->IsValidImgIndex(border)) {
    const skin::TkMaskData& mask = m->ma[std::size_t(border)];
    skin::AddTransparentAreas(p.RgnAreas, CacheWidth(p), mask, false, 0);
    skin::AddTransparentAreas(p.RgnAreas, CacheWidth(p), mask, true,
                              form->height() - m->MaskWidthBottom(border));
  }
  const QString title = p.TitleSkin().isEmpty() ? QStringLiteral("FORMTITLE") : p.TitleSkin();
  const int titleIndex = m->GetSkinIndex(title);
  if (m->IsValidSkinIndex(titleIndex)) {
    const int titleMask = m->GetMaskIndex(titleIndex, title, QStringLiteral("BORDERSMASK"));
    if (m->IsValidImgIndex(titleMask))
      skin::AddTransparentAreas(p.RgnAreas, CacheWidth(p), m->ma[std::size_t(titleMask)], false, 0);
  }
}

QRegion CaptionRegion(TkSkinProvider& p, int x, int y) {
  QRegion rgn(x, y, CacheWidth(p), p.FormWidget() ? p.FormWidget()->height() : 0);
  for (const ws::Rect& r : p.RgnAreas) rgn -= r.Offset(x, y).ToQRect();
  return rgn;
}

void UpdateRegion(TkSkinProvider& p, bool repaint) {
  QWidget* form = p.FormWidget();
  if (!form || !p.DrawNonClientArea() || p.RgnLocked || (!HasFrame(p) && !p.IsIconic())) return;
  if (!p.FramePainted && ws::SendMessage(p.FormHandle(), 0xBC4D, 0x41A2) == 0x41A2) return;
  if (form->parentWidget() && !form->isWindow()) {
    ws::SetWindowRgn(form, QRegion(), false);
    return;
  }
  p.SettingRgn = true;
  QRegion rgn;
  const int f = FrameBorderWidth(p, false);
  if (p.BorderForm) {
    const int t = f + CaptionHeightOf(p, false) - (p.TallMaxCaption ? 4 : 0);
    rgn = QRegion(QRect(QPoint(f, t), QPoint(form->width() - f - 1, form->height() - f - 1)));
  } else if (!p.IsZoomed() || form->maximumWidth() < QWIDGETSIZE_MAX ||
             form->maximumHeight() < QWIDGETSIZE_MAX || p.IsMdiChild()) {
    rgn = CaptionRegion(p, 0, 0);
  } else {
    const int v = PlainFrameWidth(p, false);
    rgn = QRegion(QRect(QPoint(f, v), QPoint(form->width() - f - 1, form->height() - v - 1)));
  }
  p.RgnChanged = true;
  ws::SetWindowRgn(form, rgn, repaint);
  p.SettingRgn = false;
}

// ---- hit testing ----

int ButtonIndexAt(TkSkinProvider& p, QPoint pt) {
  const ws::Rect sm = ShadowMargins(p);
  // The button rects are kept in cache coordinates.
  const QPoint c = pt + QPoint(sm.left + ExtBorderExtra(p), sm.top + ExtTitleExtra(p));
  auto in = [&](const ws::Rect& r) { return r.Contains(c.x(), c.y()); };
  int n = 0;
  const bool close = p.SystemMenu && p.SystemMenu->VisibleClose();
  if (close) {
    n = 1;
    if (in(p.Buttons[tbClose].Rect)) return 1;
    if (p.SystemMenu->VisibleMax() && (++n, in(p.Buttons[tbMaximize].Rect))) return n;
    if (p.SystemMenu->VisibleMin() && (++n, in(p.Buttons[tbMinimize].Rect))) return n;
    if ((p.BorderIcons() & biHelp) && (++n, in(p.Buttons[tbHelp].Rect))) return n;
  }
  for (int i = 0; i < p.TitleButtons().Count(); ++i) {
    ++n;
    if (in(p.TitleButtons().Items(i)->BtnData.Rect)) return n;
  }
  return 0;
}

namespace {

// The code of the caption button with the 1-based index i.
int ButtonCodeOf(TkSkinProvider& p, int i) {
  const bool close = p.SystemMenu && p.SystemMenu->VisibleClose();
  const int sys = close ? SysButtonCount(p) : 0;
  if (i > sys) {
    const int u = i - sys - 1;
    const TkTitleButton* b = p.TitleButtons().Items(u);
    if (!b) return ws::HTCLIENT;
    return b->Enabled ? HTUSERBUTTON + u : ws::HTCLIENT;
  }
  TkSystemMenu& sm = *p.SystemMenu;
  const bool minVisible = sm.VisibleMin() || p.IsIconic();
  const bool help = (p.BorderIcons() & biHelp) != 0;
  switch (i) {
    case 1:
      return sm.VisibleClose() ? ws::HTCLOSE : ws::HTCLIENT;
    case 2:
      if (sm.VisibleMax())
        return !sm.EnabledMax() && (!sm.EnabledRestore() || p.IsIconic()) ? ws::HTCAPTION
                                                                          : ws::HTMAXBUTTON;
      if (minVisible) return sm.EnabledMin() ? ws::HTMINBUTTON : ws::HTCAPTION;
      return help ? ws::HTHELP : ws::HTCLIENT;
    case 3:
      if (minVisible) return p.IsIconic() || sm.EnabledMin() ? ws::HTMINBUTTON : ws::HTCAPTION;
      return help ? ws::HTHELP : ws::HTCLIENT;
    case 4:
      return help && sm.VisibleMax() ? ws::HTHELP : ws::HTCLIENT;
    default:
      return ws::HTCLIENT;
  }
}

}  // namespace

int HitTest(TkSkinProvider& p, QPoint screen) {
  QWidget* form = p.FormWidget();
  if (!form) return ws::HTNOWHERE;
  const QPoint pt = ScreenToWindowPt(p, screen);
  const int x = pt.x(), y = pt.y();
  // Caption buttons decide first.
  if (const int i = ButtonIndexAt(p, pt); i > 0) {
    const int code = ButtonCodeOf(p, i);
    if (code != ws::HTCLIENT) {
      SetHotButton(p, code, true);
      return code;
    }
  }
  // The sizing borders.
  if (!p.IsZoomed() && IsSizeableWnd(p) && !p.BorderForm) {
    const int b = FrameBorderWidth(p, true);
    int code = 0;
    if (y > form->height() - b)
      code = ws::HTBOTTOM;
    else if (y < PlainFrameWidth(p, false))
      code = ws::HTTOP;
    if (x < b)
      code = code == ws::HTBOTTOM ? ws::HTBOTTOMLEFT
             : code == ws::HTTOP  ? ws::HTTOPLEFT
                                  : ws::HTLEFT;
    else if (x > form->width() - b)
      code = code == ws::HTBOTTOM ? ws::HTBOTTOMRIGHT
             : code == ws::HTTOP  ? ws::HTTOPRIGHT
                                  : ws::HTRIGHT;
    if (code != 0) {
      SetHotButton(p, -1, true);
      return code;
    }
  }
  const int bandEnd = CaptionHeightOf(p, false) + PlainFrameWidth(p, true);
  const int menuTop = PlainFrameWidth(p, false) + CaptionHeightOf(p, false);
  const int menuH = MenuLineHeight(p);
  if (y >= 0 && y <= bandEnd) {
    if (y >= menuTop && y <= menuTop + menuH) return ws::HTMENU;
    const ws::Rect icon = IconRect(p);
    const ws::Rect sm = ShadowMargins(p);
    if (icon.Contains(x + sm.left + ExtBorderExtra(p), y + sm.top + ExtTitleExtra(p)))
      return ws::HTSYSMENU;
    return ws::HTCAPTION;
  }
  if (y > bandEnd + menuH) {
    int code = ws::HTCLIENT;
    TkSkinManager* m = p.ProviderManager();
    if (GripVisible(p) && m) {
      const int grip = m->GetMaskIndex(m->ConstData.IndexGlobalInfo, QStringLiteral("GLOBALINFO"),
                                       QStringLiteral("GRIPIMAGE"));
      if (m->IsValidImgIndex(grip)) {
        QPoint g = GripPos(p, grip);
        if (p.BorderForm) {
          const ws::Rect sm = ShadowMargins(p);
          g -= QPoint(ExtBorderExtra(p) + sm.left, ExtTitleExtra(p) + sm.top);
        }
        if (x > g.x() && y > g.y()) code = ws::HTBOTTOMRIGHT;
      }
    }
    SetHotButton(p, code == ws::HTCLIENT ? 0 : code, true);
    return code;
  }
  // The menu-line band.
  int code = ws::HTMENU;
  if (MdiButtonsVisible(p)) {
    const ws::Rect sm = ShadowMargins(p);
    const QPoint c = pt + QPoint(sm.left + ExtBorderExtra(p), sm.top + ExtTitleExtra(p));
    if (p.Buttons[tbMdiClose].Rect.Contains(c.x(), c.y()))
      code = HTMDICLOSE;
    else if (p.Buttons[tbMdiRestore].Rect.Contains(c.x(), c.y()))
      code = HTMDIRESTORE;
    else if (p.Buttons[tbMdiMinimize].Rect.Contains(c.x(), c.y()))
      code = HTMDIMINIMIZE;
    SetHotButton(p, code == ws::HTMENU ? 0 : code, true);
  }
  return code;
}

// ---- the maximized size ----

ws::Rect FormWorkArea(const TkSkinProvider& p) {
  QWidget* form = p.FormWidget();
  QScreen* screen = form ? form->screen() : QGuiApplication::primaryScreen();
  return screen ? ws::Rect::FromQRect(screen->availableGeometry()) : ws::Rect{};
}

void GetMinMaxInfo(TkSkinProvider& p, MINMAXINFO& info) {
  QWidget* form = p.FormWidget();
  if (!p.DrawNonClientArea() || !form || p.IsMdiChild() || !form->isWindow()) return;
  const ws::Rect w = FormWorkArea(p);
  const int a = FrameBorderWidth(p, false);
  int b = 0;
  if ((p.FormStyle() & ws::WS_CAPTION) == ws::WS_CAPTION)
    b = a + CaptionHeightOf(p, false) < CaptionHeightOf(p, true)
            ? CaptionHeightOf(p, true) - CaptionHeightOf(p, false) - a
            : a;
  const int e = SkinTitleHeight(p) == SkinMaxTitleHeight(p)
                    ? 0
                    : SkinTitleHeight(p) + SkinCenterOffset(p) - SkinMaxTitleHeight(p);
  info.ptMaxPosition.setY(b - a - e);
  info.ptMaxSize.setY(w.Height() + 2 * a + e - b);
  info.ptMaxSize.setX(w.Width() + 2 * a);
}

}  // namespace kelmo::skinwnd
