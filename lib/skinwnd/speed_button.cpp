#include "skinwnd/speed_button.h"

#include <QCoreApplication>
#include <algorithm>

#include "extctl/xt_speed_button.h"
#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "skin/skin_text.h"
#include "skinwnd/control_queries.h"
#include "skinwnd/main_wnd.h"
#include "winshim/draw_text.h"

namespace kelmo::skinwnd {

using namespace kelmo::skin;

TkaSpeedButtonHandler::TkaSpeedButtonHandler(QWidget* control, const QString& section,
                                             TkSkinManager* manager, TkCommonData* link)
    : Control(control), Manager(manager ? manager : link->GetSkinManager()), SkinLink(link) {
  if (SkinLink->SkinSection.isEmpty()) {
    SkinLink->SkinSection = section.toUpper();
    SkinLink->UpdateIndexes();
  }
  wnd_ = ws::HandleOf(control);
  handlerId_ = ws::Subclass(wnd_, [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    if (Released)
      next(m);
    else
      WndProc(m, next);
  });
}

TkaSpeedButtonHandler::~TkaSpeedButtonHandler() {
  if (!Released) {
    // The handler leaves the chain either way: nothing may call a freed
    // handler; outside a skin change the control is not repainted.
    ws::RemoveHandler(wnd_, handlerId_);
    if (!(WrapperState().AdapterRemovingAll && !SkinRemoving()) && Control) Control->update();
    Released = true;
  }
  Manager = nullptr;
}

TXtSpeedButton* TkaSpeedButtonHandler::Button() const {
  return qobject_cast<TXtSpeedButton*>(Control.data());
}

void TkaSpeedButtonHandler::Repaint() {
  if (Control) Control->update();
}

int TkaSpeedButtonHandler::ButtonState() const {
  if (const TXtSpeedButton* b = Button();
      b && (b->State() == TXtButtonState::rbsDown || b->State() == TXtButtonState::rbsExclusive))
    return 2;
  return SkinLink->IsActive() ? 1 : 0;
}

void TkaSpeedButtonHandler::WndProc(ws::Msg& msg, const ws::NextHandler& next) {
  if (msg.msg == SM_SKINCMD) {
    const bool ours = msg.lParam == ws::LPARAM(SkinLink->GetSkinManager());
    switch (ws::HiWord(msg.wParam)) {
      case scNewSkin:
        if (!ours) break;
        HandleCommonMessage(msg, SkinLink);
        return;
      case scRemoveSkin:
        if (ours && Control) {
          HandleCommonMessage(msg, SkinLink);
          if (Control->isVisible()) Repaint();
        }
        break;
      case scRepaint:
        if (!ours) break;
        HandleCommonMessage(msg, SkinLink);
        if (Control && Control->isVisible()) Repaint();
        return;
      case scRecheckHot:
        if (!SkinLink->IsHot()) break;
        SkinLink->SetHot(false);
        Repaint();
        return;
      case scIsSkinned:
        msg.result = 1;
        return;
      case scFormActivated:
        SkinLink->SetHot(false);
        SkinLink->BGChanged = true;
        Repaint();
        break;
      case scGetApplication:
        msg.result = ws::LRESULT(QCoreApplication::instance());
        return;
      default:
        break;
    }
    next(msg);
    return;
  }
  switch (msg.msg) {
    case ws::WM_PAINT:
      if (!SkinLink->Skinned(true)) break;
      PaintSpeedButton(DcOf(msg));
      return;
    case ws::CM_MOUSEENTER:
    case ws::CM_MOUSELEAVE:
      SkinLink->HotTracked = msg.msg == ws::CM_MOUSEENTER;
      next(msg);
      Repaint();
      return;
    default:
      break;
  }
  next(msg);
}

void TkaSpeedButtonHandler::PaintSpeedButton(ws::Dc* dc) {
  if (!dc || !Control) return;
  dc->SaveDC();
  PrepareSpeedCache();
  if (!SkinLink->BGChanged) {
    UpdateAllCorners(*SkinLink, 0);
    QImage& cache = SkinLink->FCacheBmp;
    ws::Dc src(cache);
    dc->BitBlt(0, 0, Control->width(), Control->height(), src, 0, 0, ws::SRCCOPY);
  }
  dc->RestoreDC(-1);
}

QSize TkaSpeedButtonHandler::CaptionSize() const {
  const TXtSpeedButton* b = Button();
  if (!b || b->Caption().isEmpty()) return {};
  QImage probe = CreateBmp24(1, 1);
  ws::Dc dc(probe);
  dc.SelectFont({Control->font(), 0});
  ws::Rect r{0, 0, 255, 0};
  ws::DrawText(dc, b->Caption(), r, 0x450);
  return {r.Width(), r.Height()};
}

QRect TkaSpeedButtonHandler::GlyphRect(QSize glyph, QSize caption) const {
  const TXtSpeedButton* b = Button();
  if (!b) return {};
  const int gw = glyph.width(), gh = glyph.height(), tw = caption.width(), th = caption.height();
  const int m = b->Margin(), sp = b->Spacing(), w = Control->width(), h = Control->height();
  const bool both = !b->Caption().isEmpty();
  const int across = (w - (gw + (gw > 0 && both ? tw + sp : 0))) / 2;
  const int down = (h - (gh + (gh > 0 && both ? th + sp : 0))) / 2;
  int x = 0, y = 0;
  switch (b->Layout()) {
    case TButtonLayout::blGlyphLeft:
      x = m == -1 ? across : m, y = (h - gh) / 2;
      break;
    case TButtonLayout::blGlyphRight:
      x = m == -1 ? w - across - gw : w - gw - m, y = (h - gh) / 2;
      break;
    case TButtonLayout::blGlyphTop:
      x = (w - gw) / 2, y = m == -1 ? down : m;
      break;
    case TButtonLayout::blGlyphBottom:
      x = (w - gw) / 2, y = m == -1 ? h - down - gh : h - gh - m;
      break;
  }
  const int p = ButtonState() == 2 ? 1 : 0;
  return {x + p, y + p, gw, gh};
}

QRect TkaSpeedButtonHandler::CaptionRect(QSize glyph, QSize caption, const QRect& g) const {
  const TXtSpeedButton* b = Button();
  if (!b) return {};
  const int tw = caption.width(), th = caption.height(), m = b->Margin(), sp = b->Spacing();
  const int w = Control->width(), h = Control->height();
  const int p = ButtonState() == 2 ? 1 : 0;
  int left = 0, top = 0;
  const int centreX = p + (w - tw) / 2, centreY = p + (h - th) / 2;
  if (glyph.isEmpty()) {
    if (m == -1) return {centreX, centreY, tw, th};
    switch (b->Layout()) {
      case TButtonLayout::blGlyphLeft:
        left = m, top = centreY;
        break;
      case TButtonLayout::blGlyphRight:
        left = w - m - tw, top = centreY;
        break;
      case TButtonLayout::blGlyphTop:
        left = centreX, top = m;
        break;
      case TButtonLayout::blGlyphBottom:
        left = centreX, top = h - m - th;
        break;
    }
    return {left, top, tw, th};
  }
  switch (b->Layout()) {
    case TButtonLayout::blGlyphLeft:
      left = g.right() + 1 + sp, top = centreY;
      break;
    case TButtonLayout::blGlyphRight:
      left = g.left() - sp - tw, top = centreY;
      break;
    case TButtonLayout::blGlyphTop:
      left = centreX, top = g.bottom() + 1 + sp;
      break;
    case TButtonLayout::blGlyphBottom:
      left = centreX, top = g.top() - sp - th;
      break;
  }
  return {left, top, tw, th};
}

void TkaSpeedButtonHandler::PrepareSpeedCache() {
  TXtSpeedButton* b = Button();
  if (!Control) return;
  SkinLink->InitCacheBmp();
  QImage& cache = SkinLink->FCacheBmp;
  TParentBgInfo info;
  if (Control->parentWidget()) GetControlBgInfo(info, Control->parentWidget(), false);
  TBgSource bg = BgInfoToSource(info);
  // A parent without a picture yet: tried again on the next paint.
  if (bg.HasBitmap && (!bg.Bitmap || bg.Bitmap->width() == 0)) return;
  if (bg.HasBitmap) bg.X += Control->x(), bg.Y += Control->y();
  const int state = ButtonState();
  PaintControlItem(*SkinLink, bg, true, true, cache, Control->pos(),
                   {0, 0, Control->width(), Control->height()}, state);
  UpdateAllCorners(*SkinLink, state);
  if (b) {
    const QImage glyphImage = b->Glyph();
    const QSize glyph =
        glyphImage.isNull()
            ? QSize()
            : QSize(glyphImage.width() / std::max(1, b->NumGlyphs()), glyphImage.height());
    const QSize caption = CaptionSize();
    const QRect g = GlyphRect(glyph, caption);
    ws::Dc dc(cache);
    if (!b->Caption().isEmpty()) {
      dc.SelectFont({Control->font(), 0});
      dc.SelectBrush(ws::Brush::Hollow());
      const QRect c = CaptionRect(glyph, caption, g);
      DrawControlText(dc, b->Caption(), true, state != 0, *SkinLink,
                      ws::DT_WORDBREAK | ws::DT_EXPANDTABS,
                      {c.left(), c.top(), c.right() + 1, c.bottom() + 1});
    }
    if (!glyph.isEmpty()) {
      if (b->NumGlyphs() == 1 && glyphImage.hasAlphaChannel()) {
        dc.DrawIconEx(g.left(), g.top(), glyphImage);
      } else {
        const QImage glyph24 = glyphImage.convertToFormat(QImage::Format_BGR888);
        PaintGlyphBmp(glyph24, cache, {g.left(), g.top(), g.right() + 1, g.bottom() + 1}, state, 0,
                      2, 1, Control->isEnabled(), b->NumGlyphs());
      }
    }
  }
  if (!Control->isEnabled()) {
    TParentBgInfo parentInfo;
    ApplyDisabledLook(cache, 1, Control->parentWidget(), Control->pos(),
                      SkinLink->GetParentBg(parentInfo));
  }
  SkinLink->BGChanged = false;
}

}  // namespace kelmo::skinwnd
