#include "skinwnd/status_bar_wnd.h"

#include <QSizeGrip>
#include <QStatusBar>
#include <algorithm>

#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/skin_manager.h"
#include "skin/skin_state.h"
#include "skin/skin_text.h"
#include "skinwnd/control_queries.h"
#include "winshim/draw_text.h"

namespace kelmo::skinwnd {

using namespace kelmo::skin;

Rect StatusBarView::PanelRect(int index) const {
  return index >= 0 && index < int(panels.size()) ? panels[std::size_t(index)] : Rect{};
}

StatusBarView StatusBarViewOf(HWND wnd) {
  StatusBarView v;
  auto* bar = qobject_cast<QStatusBar*>(ws::WidgetOf(wnd));
  if (!bar) return v;
  v.text = bar->currentMessage();
  v.simple = !v.text.isEmpty();
  std::vector<QWidget*> items;
  for (QObject* child : bar->children())
    if (child->isWidgetType()) {
      auto* w = static_cast<QWidget*>(child);
      if (w->isVisibleTo(bar) && !qobject_cast<QSizeGrip*>(w) && !w->isWindow()) items.push_back(w);
    }
  std::sort(items.begin(), items.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
  for (QWidget* w : items) {
    const QRect g = w->geometry();
    // A panel reaches one pixel around its widget.
    v.panels.push_back({g.left() - 1, g.top() - 1, g.right() + 2, g.bottom() + 2});
  }
  v.panelCount = int(v.panels.size());
  if (v.simple) v.panelCount = std::max(v.panelCount, 1);
  return v;
}

TkaStatusBarWnd::TkaStatusBarWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                                 const QString& sectionName, bool repaint)
    : TkaMainWnd(wnd, link, manager, sectionName, repaint) {
  OwnerStatusBar = qobject_cast<QStatusBar*>(OwnerControl());
}

void TkaStatusBarWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (!SkinLink->Skinned(true)) {
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  switch (msg.msg) {
    case ws::WM_PAINT:
      if (!DcOf(msg)) Invalidate(WndHandle);
      return;
    case ws::WM_ERASEBKGND:
    case ws::WM_PRINT:
      PaintStatusWhole(DcOf(msg));
      return;
    case ws::WM_NCPAINT:
      // A Qt status bar has no frame of its own to paint.
      return;
    default:
      break;
  }
  TkaMainWnd::WndProc(msg, next);
  if (msg.msg == ws::WM_SIZE) Invalidate(WndHandle);
}

void TkaStatusBarWnd::PaintStatusWhole(ws::Dc* dc) {
  GetWndGeometry(*this);
  PrepareStatusCache();
  BlitWhole(dc, WndHandle, SkinLink->FCacheBmp);
}

void TkaStatusBarWnd::PrepareStatusCache() {
  GetWndGeometry(*this);
  QImage& cache = SkinLink->FCacheBmp;
  if (cache.size() != Extent || cache.format() != QImage::Format_BGR888)
    cache = CreateBmp24(std::max(1, Extent.width()), std::max(1, Extent.height()));
  TParentBgInfo info;
  PaintControlItem(*SkinLink, SkinLink->GetParentBg(info), true, true, cache, PosInParent,
                   {0, 0, Extent.width(), Extent.height()}, 0);
  const StatusBarView view = StatusBarViewOf(WndHandle);
  if (view.simple) {
    PaintStatusPanel(view, -1, {0, 1, Extent.width() - 1, Extent.height() - 1});
  } else {
    for (int i = 0; i < view.panelCount; ++i)
      PaintStatusPanel(view, i, view.PanelRect(i).Inflate(-1, -1));
  }
  SkinLink->BGChanged = false;
}

void TkaStatusBarWnd::PaintStatusPanel(const StatusBarView& view, int index, Rect r) {
  TkSkinManager* m = LinkManager();
  QImage& cache = SkinLink->FCacheBmp;
  Rect t = r.Inflate(-1, -1);
  if (m && m->IsValidSkinIndex(SkinLink->SkinIndex)) {
    const int panelMask = m->GetMaskIndex(SkinLink->SkinIndex, SkinLink->SkinSection,
                                          QStringLiteral("STATUSPANELMASK"));
    if (m->IsValidImgIndex(panelMask)) {
      PaintMask(cache, view.simple ? Rect{0, 0, Extent.width(), Extent.height()} : r, 0,
                m->ma[std::size_t(panelMask)], kEmptyBgSource, false, true);
    } else if (!view.simple && index != view.panelCount - 1) {
      // Without panel masks a divider closes every panel but the last.
      const int divider = m->GetSkinIndex(QStringLiteral("DIVIDER"));
      const int dividerMask = divider >= 0 ? m->GetMaskIndex(divider, QStringLiteral("DIVIDER"),
                                                             QStringLiteral("BORDERSMASK"))
                                           : -1;
      if (m->IsValidImgIndex(dividerMask)) {
        const int w = std::max(1, MaskImageWidth(m->ma[std::size_t(dividerMask)]) - 1);
        const int h = std::max(1, Extent.height() - 2);
        QImage temp = CreateBmp24(w, h);
        const int x = r.right - w;
        PaintItem(divider, QStringLiteral("DIVIDER"), BgSourceFromBmp(&cache, x, 1), -1, -1, m,
                  temp, {}, {0, 0, w, h}, 0, true);
        ws::Dc dst(cache), src(temp);
        dst.BitBlt(x, 1, w, h, src, 0, 0, ws::SRCCOPY);
      }
    }
  }
  t.bottom -= 1;
  t.left += 2;
  t.right -= 4;
  if (!OwnerStatusBar || view.panelCount <= 0) return;
  // Panels are widgets painting their own content; a simple bar's
  // message is the bar's.
  const QString text = view.simple ? view.text : QString();
  if (text.isEmpty()) return;
  ws::Dc dc(cache);
  const QFont font = OwnerStatusBar->font();
  dc.SelectFont({font, 0});
  DrawControlText(dc, CutTextToWidth(font, text, t.Width()), true, false, *SkinLink,
                  ws::DT_VCENTER | ws::DT_SINGLELINE, t);
}

void TkaSizerWnd::WndProc(Msg& msg, const NextHandler& next) {
  switch (msg.msg) {
    case ws::WM_PAINT:
      PaintSizeGrip(DcOf(msg));
      return;
    case ws::WM_ERASEBKGND:
    case ws::WM_NCPAINT:
      return;
    default:
      break;
  }
  TkaMainWnd::WndProc(msg, next);
  if (msg.msg == ws::WM_NCHITTEST) {
    TkSkinManager* def = TkSkinManager::Default();
    if (WndEnabled(WndHandle) && def && def->Component) def->Component->SetActiveControl(0);
    msg.result = ws::HTBOTTOMRIGHT;
  }
}

void TkaSizerWnd::PaintSizeGrip(ws::Dc* dc) {
  GetWndGeometry(*this);
  if (!dc) {
    Invalidate(WndHandle);
    return;
  }
  TkSkinManager* m = LinkManager();
  const int global = m ? m->GetSkinIndex(QStringLiteral("GLOBALINFO")) : -1;
  const int grip = global >= 0 ? m->GetMaskIndex(global, QStringLiteral("GLOBALINFO"),
                                                 QStringLiteral("GRIPIMAGE"))
                               : -1;
  if (!m || !m->IsValidImgIndex(grip)) return;
  QImage temp = CreateBmp24(std::max(1, Extent.width()), std::max(1, Extent.height()));
  {
    // The parent's background behind the grip (asked for without painting:
    // a parent painting itself would paint the grip again).
    ws::Dc tempDc(temp);
    TParentBgInfo info;
    if (QWidget* w = ws::WidgetOf(WndHandle); w && w->parentWidget())
      GetControlBgInfo(info, w->parentWidget(), false);
    if (info.Ready == 2 && info.Bitmap) {
      QImage& bmp = const_cast<QImage&>(*info.Bitmap);
      ws::Dc src(bmp);
      tempDc.BitBlt(0, 0, temp.width(), temp.height(), src, PosInParent.x() + info.X,
                    PosInParent.y() + info.Y, ws::SRCCOPY);
    } else {
      ws::FillSolidRect(tempDc, {0, 0, temp.width(), temp.height()}, ws::ColorToRGB(info.Color));
    }
  }
  const TkMaskData& mask = m->ma[std::size_t(grip)];
  const int w = MaskImageWidth(mask), h = MaskImageHeight(mask);
  PaintMaskImage(temp, {std::max(0, Extent.width() - w), std::max(0, Extent.height() - h)}, 0, mask,
                 BgSourceFromBmp(&temp, 0, 0), 1);
  BlitWhole(dc, WndHandle, temp);
}

}  // namespace kelmo::skinwnd
