#include "skinwnd/button_wnd.h"

#include <QAbstractButton>
#include <QToolButton>
#include <QWidget>
#include <algorithm>

#include "skin/glow.h"
#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_text.h"
#include "skinwnd/control_queries.h"
#include "skinwnd/panel_wnd.h"
#include "winshim/draw_text.h"

namespace kelmo::skinwnd {

using namespace kelmo::skin;

namespace {

// The manager's window under the mouse; 0 without a manager component.
HWND ActiveWnd(const TkSkinManager* manager) {
  return manager && manager->Component ? manager->Component->ActiveControl() : 0;
}

// The default manager told which window the mouse is over, after a mouse
// move that reached the window: it becomes hot inside, and stops being so
// outside.
void TrackMouseOver(TkaMainWnd& wrapper) {
  TkSkinManager* def = TkSkinManager::Default();
  if (!def || !def->Component || !WndEnabled(wrapper.WndHandle)) return;
  GetWndGeometry(wrapper);
  const bool inside = CursorIn(wrapper.ScreenRect);
  const HWND active = def->Component->ActiveControl();
  if (inside && active != wrapper.WndHandle)
    def->Component->SetActiveControl(wrapper.WndHandle);
  else if (!inside && active == wrapper.WndHandle)
    def->Component->SetActiveControl(0);
}

void PrepareButtonCacheSize(TkaMainWnd& wrapper) {
  QImage& cache = wrapper.SkinLink->FCacheBmp;
  if (cache.size() != wrapper.Extent || cache.format() != QImage::Format_BGR888)
    cache = CreateBmp24(std::max(1, wrapper.Extent.width()), std::max(1, wrapper.Extent.height()));
}

}  // namespace

int ButtonPaintState(HWND wnd, TkSkinManager* manager) {
  if (ButtonStateOf(wnd) & BST_PUSHED) {
    ClearGlows();
    return 2;
  }
  QWidget* w = ws::WidgetOf(wnd);
  if (!w || !w->isEnabled()) return 0;
  if (w->hasFocus() || ActiveWnd(manager) == wnd) return 1;
  // The default button looks hot.
  return (StyleOf(wnd) & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? 1 : 0;
}

void TkaBtnWnd::RootQuietly(Msg& msg, const NextHandler& next) {
  WithoutRedraw(WndHandle, [&] { TkaMainWnd::WndProc(msg, next); });
  SkinLink->BGChanged = true;
  ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
}

void TkaBtnWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (msg.msg == SM_SKINCMD) {
    switch (ws::HiWord(msg.wParam)) {
      case scRecheckHot:
        if (!SkinLink->FHot) break;
        SkinLink->SetHot(false);
        SkinLink->SetHot(SkinLink->IsHot());
        if (!SkinLink->FHot) Invalidate(WndHandle);
        return;
      case scMouseEnter:
        if (!SkinLink->HotTracked && ActiveWnd(LinkManager()) == WndHandle) {
          GetWndGeometry(*this);
          if (!CursorIn(ScreenRect)) return;
          SkinLink->HotTracked = true;
          SkinLink->BGChanged = true;
          SkinLink->SetHot(false);
          ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
          SkinLink->UpdateGlow(false);
        }
        break;
      case scMouseLeave:
        if (SkinLink->HotTracked) {
          ClearGlows();
          SkinLink->HotTracked = false;
          SkinLink->SetHot(false);
          SkinLink->BGChanged = true;
          ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
        }
        break;
      default:
        break;
    }
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  const bool visible = WndVisible(WndHandle);
  switch (msg.msg) {
    case ws::WM_MOVE:
      if (const TkGeneralData* s = SkinLink->Section();
          s && (s->Transparency > 0 || (s->HotTransparency > 0 && SkinLink->IsActive()))) {
        SkinLink->BGChanged = true;
        ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
      }
      break;
    case ws::WM_SETFOCUS:
    case ws::WM_KILLFOCUS:
      if (!WndEnabled(WndHandle)) {
        // A disabled button never takes the focus.
        if (msg.msg == ws::WM_SETFOCUS) return;
        break;
      }
      WithoutRedraw(WndHandle, [&] { TkaMainWnd::WndProc(msg, next); });
      SkinLink->FocusMark = msg.msg == ws::WM_SETFOCUS;
      SkinLink->BGChanged = true;
      ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
      return;
    case ws::WM_ENABLE:
    case ws::WM_SETTEXT:
      if (!visible) break;
      RootQuietly(msg, next);
      return;
    case BM_SETSTATE:
      if (!visible) break;
      WithoutRedraw(WndHandle, [&] { msg.result = CallPrevWndProc(msg, next); });
      SkinLink->BGChanged = true;
      ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
      return;
    case ws::WM_PAINT:
      if (!LookApplied) ApplySectionLook();
      PaintButtonWnd(msg);
      return;
    case ws::WM_PRINT:
      PaintButtonWnd(msg);
      return;
    case ws::WM_ERASEBKGND:
    case ws::WM_NCPAINT:
    case ws::WM_UPDATEUISTATE:
      msg.result = 1;
      return;
    default:
      break;
  }
  TkaMainWnd::WndProc(msg, next);
  if (msg.msg == ws::WM_MOUSEMOVE) TrackMouseOver(*this);
}

void TkaBtnWnd::PaintButtonWnd(Msg& msg) {
  GetWndGeometry(*this);
  SkinLink->SetHot(SkinLink->IsHot());
  if (SkinLink->FHot) return;
  SkinLink->BGChanged = true;
  PrepareCache();
  BlitWhole(DcOf(msg), WndHandle, SkinLink->FCacheBmp);
}

void TkaBtnWnd::PrepareCache() {
  GetWndGeometry(*this);
  TParentBgInfo info;
  const TBgSource bg = SkinLink->GetParentBg(info);
  PrepareButtonCacheSize(*this);
  QImage& cache = SkinLink->FCacheBmp;
  const int state = State();
  PaintControlItem(*SkinLink, bg, true, true, cache, PosInParent,
                   {0, 0, Extent.width(), Extent.height()}, state);
  UpdateWndCorners(SkinLink, state, *this);
  {
    ws::Dc dc(cache);
    DrawCaption(dc);
    DrawGlyph(dc);
  }
  if (!WndEnabled(WndHandle)) FadeDisabled(cache, bg);
  SkinLink->BGChanged = false;
}

void TkaBtnWnd::DrawCaption(ws::Dc& cache) {
  const ws::Font previous = cache.SelectFont({FontOf(WndHandle), 0});
  Rect r = CaptionRect(cache);
  // A multi-line button is written without word break, a single-line one
  // with it.
  const unsigned format = StyleOf(WndHandle) & BS_MULTILINE ? 0x41 : 0x51;
  WriteCaption(cache, r, format);
  const TkGeneralData* s = SkinLink->Section();
  if (WndEnabled(WndHandle) && ButtonStateOf(WndHandle) & BST_FOCUS && !KeptText.isEmpty() && s &&
      s->ShowFocus)
    DrawFocusDots(cache, {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1});
  cache.SelectFont(previous);
}

void TkaBtnWnd::WriteCaption(ws::Dc& cache, const Rect& rect, unsigned format) {
  cache.SelectBrush(ws::Brush::Hollow());
  DrawControlText(cache, KeptText, true, State() != 0, *SkinLink, format, rect);
}

QSize TkaBtnWnd::CaptionSize(ws::Dc& cache) {
  Rect r{0, 0, MaxCaptionWidth(), 0};
  unsigned format = 0xC41;
  if (!(StyleOf(WndHandle) & BS_MULTILINE)) format |= ws::DT_WORDBREAK;
  ws::DrawText(cache, KeptText, r, format);
  return {r.Width(), r.Height()};
}

Rect TkaBtnWnd::CaptionRect(ws::Dc& cache) {
  const QSize c = CaptionSize(cache);
  const int w = Extent.width(), h = Extent.height();
  const int x0 = (w - c.width()) / 2, y0 = (h - c.height()) / 2;
  Rect r{x0 - 1, y0, w - x0 + 2, h - y0};
  if (ButtonStateOf(WndHandle) & BST_PUSHED) r = r.Offset(1, 1);
  return r;
}

int TkaBtnWnd::MaxCaptionWidth() {
  if (KeptText.isEmpty()) return 0;
  const int glyph = GlyphSize().width();
  return Extent.width() - 2 - (glyph > 0 ? glyph + 2 : 0);
}

BitBtnGlyph BitBtnGlyphOf(HWND wnd) {
  BitBtnGlyph g;
  auto* button = qobject_cast<QAbstractButton*>(ws::WidgetOf(wnd));
  if (!button || button->icon().isNull()) return g;
  g.image = button->icon().pixmap(button->iconSize()).toImage();
  if (auto* tool = qobject_cast<QToolButton*>(button)) {
    if (tool->toolButtonStyle() == Qt::ToolButtonTextUnderIcon) g.layout = 2;
  }
  return g;
}

QSize TkaBitBtnWnd::GlyphSize() {
  const BitBtnGlyph g = BitBtnGlyphOf(WndHandle);
  if (g.image.isNull()) return {};
  return {g.image.width() / std::max(1, g.numGlyphs), g.image.height()};
}

Rect TkaBitBtnWnd::CaptionRect(ws::Dc& cache) {
  const BitBtnGlyph g = BitBtnGlyphOf(WndHandle);
  const GlyphLayout layout = CalcGlyphLayout({0, 0, Extent.width(), Extent.height()}, GlyphSize(),
                                             CaptionSize(cache), false, 0, 0, 2, g.layout);
  return State() == 2 ? layout.captionRect.Offset(1, 1) : layout.captionRect;
}

int TkaBitBtnWnd::MaxCaptionWidth() {
  if (KeptText.isEmpty()) return 0;
  const BitBtnGlyph g = BitBtnGlyphOf(WndHandle);
  int width = Extent.width() - 2 * g.margin;
  if ((g.layout == 0 || g.layout == 1) && !g.image.isNull())
    width -= GlyphSize().width() + g.spacing;
  return width;
}

Rect TkaBitBtnWnd::GlyphRect(ws::Dc& cache) {
  const BitBtnGlyph g = BitBtnGlyphOf(WndHandle);
  const QSize gs = GlyphSize(), cs = CaptionSize(cache);
  const int gw = gs.width(), gh = gs.height(), cw = cs.width(), ch = cs.height();
  const int sp = gw > 0 && !KeptText.isEmpty() ? g.spacing : 0;
  const int w = Extent.width(), h = Extent.height();
  int x = 0, y = 0;
  switch (g.layout) {
    case 0:
      x = (w - gw - cw - sp) / 2, y = (h - gh) / 2;
      break;
    case 1:
      x = (w + sp + cw - gw) / 2, y = (h - gh) / 2;
      break;
    case 2:
      x = (w - gw) / 2 + 1, y = (h - gh - ch - sp) / 2;
      break;
    default:
      x = (w - gw) / 2 + 1, y = h - (h - gh - ch - sp) / 2 - gh;
      break;
  }
  if (State() == 2) ++x, ++y;
  return {x, y, x + gw, y + gh};
}

void TkaBitBtnWnd::DrawGlyph(ws::Dc& cache) {
  const BitBtnGlyph g = BitBtnGlyphOf(WndHandle);
  if (g.image.isNull()) return;
  const Rect r = GlyphRect(cache);
  if (g.numGlyphs == 1 && g.image.hasAlphaChannel()) {
    // One image with alpha keeps its alpha over the button.
    cache.DrawIconEx(r.left, r.top, g.image);
    return;
  }
  QImage glyph = g.image.convertToFormat(QImage::Format_BGR888);
  PaintGlyphBmp(glyph, SkinLink->FCacheBmp, r, State(), 0, 2, 1, WndEnabled(WndHandle),
                g.numGlyphs);
}

QString CheckImageName(std::uint32_t style, int checkState) {
  const std::uint32_t type = style & BS_TYPEMASK;
  const bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
  if (checkState == 2) return QStringLiteral("BOXGRAYED");
  if (radio) return checkState ? QStringLiteral("RADIOCHECKED") : QStringLiteral("RADIOUNCHECKED");
  return checkState ? QStringLiteral("BOXCHECKED") : QStringLiteral("BOXUNCHECKED");
}

void TkaCheckBoxWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (msg.msg == SM_SKINCMD) {
    const int command = ws::HiWord(msg.wParam);
    if (command == scMouseEnter || command == scMouseLeave) {
      SkinLink->SetHot(false);
      ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
    }
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  switch (msg.msg) {
    case ws::WM_ENABLE:
    case BM_SETCHECK:
    case BM_SETSTATE:
      if (!WndVisible(WndHandle)) break;
      WithoutRedraw(WndHandle, [&] { TkaMainWnd::WndProc(msg, next); });
      ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
      return;
    case ws::WM_PAINT:
      PaintCheckBox(msg);
      return;
    case ws::WM_ERASEBKGND:
    case ws::WM_NCPAINT:
      return;
    default:
      break;
  }
  TkaMainWnd::WndProc(msg, next);
  switch (msg.msg) {
    case ws::WM_SETFOCUS:
    case ws::WM_KILLFOCUS:
      ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
      break;
    case ws::WM_NCHITTEST:
      if (TkSkinManager* def = TkSkinManager::Default();
          def && def->Component && WndEnabled(WndHandle) &&
          def->Component->ActiveControl() != WndHandle)
        def->Component->SetActiveControl(WndHandle);
      break;
    case WM_KEYDOWN:
      if (msg.wParam == VK_SPACE) ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
      break;
    default:
      break;
  }
}

void TkaCheckBoxWnd::PaintCheckBox(Msg& msg) {
  GetWndGeometry(*this);
  SkinLink->SetHot(SkinLink->IsHot());
  if (SkinLink->FHot) return;
  const std::uint32_t style = StyleOf(WndHandle);
  ws::Dc* dc = DcOf(msg);
  if (!WndVisible(WndHandle) && !dc) return;
  PrepareCheckCache(style);
  BlitWhole(dc, WndHandle, SkinLink->FCacheBmp);
}

void TkaCheckBoxWnd::PrepareCheckCache(std::uint32_t style) {
  PrepareButtonCacheSize(*this);
  QImage& cache = SkinLink->FCacheBmp;
  const int w = Extent.width(), h = Extent.height();
  TParentBgInfo info;
  const TBgSource bg = SkinLink->GetParentBg(info);
  const bool active = SkinLink->IsActive();
  PaintControlItem(*SkinLink, bg, true, true, cache, PosInParent, {0, 0, w, h}, active ? 1 : 0);

  TkSkinManager* m = LinkManager();
  const unsigned state = ButtonStateOf(WndHandle);
  const int checkState = state & BST_INDETERMINATE ? 2 : state & BST_CHECKED ? 1 : 0;
  const int global = m ? m->GetSkinIndex(QStringLiteral("GLOBALINFO")) : -1;
  const int maskIndex = m && global >= 0 ? m->GetMaskIndex(global, QStringLiteral("GLOBALINFO"),
                                                           CheckImageName(style, checkState))
                                         : -1;
  const TkMaskData* mask =
      m && m->IsValidImgIndex(maskIndex) ? &m->ma[std::size_t(maskIndex)] : nullptr;
  QSize box(16, 16);
  if (mask && mask->Bmp)
    box = {mask->Bmp->width() / 3, mask->Bmp->height() / 2};
  else if (mask)
    box = {mask->R.Width() / std::max<int>(1, mask->ImageCount),
           mask->R.Height() / (mask->MaskType + 1)};
  const bool leftText = style & BS_LEFTTEXT, multiLine = style & BS_MULTILINE;

  ws::Dc dc(cache);
  dc.SelectFont({FontOf(WndHandle), 0});
  if (!KeptText.isEmpty()) {
    const int tw = w - box.width() - 2;
    Rect measured{0, 0, tw, 0};
    ws::DrawText(dc, KeptText, measured, multiLine ? 0x410 : 0x420);
    const int t = std::max(0, (h - measured.Height()) / 2);
    Rect r;
    if (leftText) {
      r = {2, t, measured.Width() + 2, h - t};
    } else {
      const int x = w - tw + 2;
      r = Rect{x, t, x + measured.Width(), h - t}.Offset(multiLine ? -1 : 0, -1);
    }
    DrawControlText(dc, KeptText, true, active, *SkinLink, multiLine ? 0x11 : 0x20, r);
    if (state & BST_FOCUS) DrawFocusDots(dc, {r.left - 1, r.top, r.right + 1, r.bottom});
  }
  if (mask && cache.width() >= 1) {
    const int imageState = state & BST_PUSHED                               ? 2
                           : state & BST_FOCUS || ActiveWnd(m) == WndHandle ? 1
                                                                            : 0;
    const QPoint at(leftText ? w - box.width() : 0, (h - box.height()) / 2);
    PaintMaskImage(cache, at, imageState, *mask, BgSourceFromBmp(&cache, 0, 0), 1);
  }
  if (!WndEnabled(WndHandle)) FadeDisabled(cache, bg);
}

ButtonWrapperKind ButtonWrapperKindOf(std::uint32_t style) {
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      return ButtonWrapperKind::Push;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_AUTORADIOBUTTON:
      return ButtonWrapperKind::Check;
    case BS_GROUPBOX:
      return ButtonWrapperKind::Group;
    default:
      return ButtonWrapperKind::None;
  }
}

std::unique_ptr<TkaMainWnd> WrapButtonWnd(HWND wnd, TkSkinManager* manager) {
  switch (ButtonWrapperKindOf(StyleOf(wnd))) {
    case ButtonWrapperKind::Push:
      return MakeWrapper<TkaBtnWnd>(wnd, nullptr, manager, QStringLiteral("BUTTON"), false);
    case ButtonWrapperKind::Check:
      return MakeWrapper<TkaCheckBoxWnd>(wnd, nullptr, manager, QStringLiteral("CHECKBOX"), false);
    case ButtonWrapperKind::Group:
      return MakeWrapper<TkaGroupBoxWnd>(wnd, nullptr, manager, QStringLiteral("GROUPBOX"), false);
    case ButtonWrapperKind::None:
      break;
  }
  return nullptr;
}

}  // namespace kelmo::skinwnd
