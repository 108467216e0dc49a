#include "skinwnd/spin_wnd.h"

#include <QWidget>
#include <algorithm>

#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/skin_manager.h"
#include "skinwnd/control_queries.h"

namespace kelmo::skinwnd {

using namespace kelmo::skin;

bool TkaSpinWnd::IsVertical() {
  return !(StyleOf(WndHandle) & UDS_HORZ);
}

void TkaSpinWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (renderingOwn_) {
    next(msg);
    return;
  }
  switch (msg.msg) {
    case ws::WM_PAINT:
      PaintSpin(msg);
      return;
    case ws::WM_ERASEBKGND:
    case ws::WM_NCPAINT:
      return;
    case ws::WM_LBUTTONDOWN:
    case ws::WM_LBUTTONUP:
      MousePressed = msg.msg == ws::WM_LBUTTONDOWN;
      TkaMainWnd::WndProc(msg, next);
      ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
      return;
    case ws::WM_MOUSELEAVE:
      Invalidate(WndHandle);
      break;
    case ws::WM_SIZE:
      TkaMainWnd::WndProc(msg, next);
      TakeOwnPicture();
      return;
    case ws::WM_MOUSEMOVE: {
      TkaMainWnd::WndProc(msg, next);
      TkSkinManager* def = TkSkinManager::Default();
      if (!def || !def->Component || !WndEnabled(WndHandle)) return;
      GetWndGeometry(*this);
      const bool mine = def->Component->ActiveControl() == WndHandle;
      if (CursorIn(ScreenRect)) {
        if (mine)
          ws::SendMessage(WndHandle, ws::WM_PAINT, 0, 0);
        else
          def->Component->SetActiveControl(WndHandle);
      } else if (mine) {
        def->Component->SetActiveControl(0);
      }
      return;
    }
    default:
      break;
  }
  TkaMainWnd::WndProc(msg, next);
}

std::pair<Rect, Rect> TkaSpinWnd::ButtonRects() {
  const int w = Extent.width(), h = Extent.height();
  if (IsVertical()) return {{LeftIndent, 0, w, (h + 1) / 2}, {LeftIndent, h / 2, w, h}};
  return {{0, 0, (w + 1) / 2, h}, {w / 2, 0, w, h}};
}

void TkaSpinWnd::PaintSpin(Msg& msg) {
  GetWndGeometry(*this);
  FirstBtnState = SecondBtnState = 0;
  if (CursorIn(ScreenRect)) {
    Rect first = ScreenRect;
    if (IsVertical())
      first.bottom -= Extent.height() / 2;
    else
      first.right -= Extent.width() / 2;
    const int state = 1 + (MousePressed ? 1 : 0);
    (CursorIn(first) ? FirstBtnState : SecondBtnState) = state;
  }
  SkinLink->SetHot(SkinLink->IsHot());
  if (SkinLink->FHot) return;
  SkinLink->BGChanged = true;
  PrepareSpinCache();
  ws::Dc* dc = DcOf(msg);
  if (!IsVertical()) {
    BlitWhole(dc, WndHandle, SkinLink->FCacheBmp);
    return;
  }
  // The columns left of the indent keep the window's own pixels.
  if (dc && LeftIndent > 0 && !ownPicture_.isNull())
    BlitCache(dc, WndHandle, ownPicture_,
              {0, 0, std::min(LeftIndent, ownPicture_.width()), ownPicture_.height()});
  BlitCache(dc, WndHandle, SkinLink->FCacheBmp, {LeftIndent, 0, Extent.width(), Extent.height()});
}

void TkaSpinWnd::Init(bool repaint) {
  TakeOwnPicture();
  TkaMainWnd::Init(repaint);
}

void TkaSpinWnd::TakeOwnPicture() {
  QWidget* w = ws::WidgetOf(WndHandle);
  if (!w || w->size().isEmpty()) return;
  QImage own(w->size(), QImage::Format_RGB32);
  own.fill(w->palette().color(w->backgroundRole()));
  renderingOwn_ = true;
  w->render(&own, {}, {}, QWidget::DrawWindowBackground);
  renderingOwn_ = false;
  ownPicture_ = own.convertToFormat(QImage::Format_BGR888);
}

void TkaSpinWnd::PrepareSpinCache() {
  TkSkinManager* m = LinkManager();
  if (!m) return;
  if (!m->IsValidSkinIndex(SkinLink->SkinIndex)) {
    SkinLink->SkinSection = QStringLiteral("BUTTON");
    SkinLink->UpdateIndexes();
  }
  const auto [first, second] = ButtonRects();
  TParentBgInfo info;
  const TBgSource bg = SkinLink->GetParentBg(info);
  QImage& cache = SkinLink->FCacheBmp;
  if (cache.size() != Extent || cache.format() != QImage::Format_BGR888)
    cache = CreateBmp24(std::max(1, Extent.width()), std::max(1, Extent.height()));
  // The arrows: the scroll buttons' glyphs (top, bottom, left, right).
  const bool vertical = IsVertical();
  const int glyphs[2] = {m->ConstData.ScrollGlyph[vertical ? 0 : 2],
                         m->ConstData.ScrollGlyph[vertical ? 1 : 3]};
  const Rect rects[2] = {first, second};
  const int states[2] = {FirstBtnState, SecondBtnState};
  for (int i = 0; i < 2; ++i) {
    const Rect& r = rects[i];
    PaintControlItem(*SkinLink, bg, true, true, cache, PosInParent + QPoint(r.left, r.top), r,
                     states[i]);
    if (!m->IsValidImgIndex(glyphs[i])) continue;
    const TkMaskData& arrow = m->ma[std::size_t(glyphs[i])];
    const int w = MaskImageWidth(arrow), h = MaskImageHeight(arrow);
    PaintMaskImage(cache, {r.left + (r.Width() - w) / 2, r.top + (r.Height() - h) / 2}, states[i],
                   arrow, BgSourceFromBmp(&cache, 0, 0), 1);
  }
  SkinLink->BGChanged = false;
}

}  // namespace kelmo::skinwnd
