#include "skinwnd/tab_wnd.h"

#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

#include "skin/item_painting.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "skin/skin_text.h"
#include "skinwnd/control_queries.h"
#include "winshim/draw_text.h"

namespace kelmo::skinwnd {

using namespace kelmo::skin;

namespace {

int PositionOfShape(QTabBar::Shape shape) {
  switch (shape) {
    case QTabBar::RoundedSouth:
    case QTabBar::TriangularSouth:
      return 1;
    case QTabBar::RoundedWest:
    case QTabBar::TriangularWest:
      return 2;
    case QTabBar::RoundedEast:
    case QTabBar::TriangularEast:
      return 3;
    default:
      return 0;
  }
}

Rect RectOf(const QRect& r) {
  return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

void CopyInto(QImage& target, QPoint at, const QImage& source, const Rect& from) {
  ws::Dc dst(target);
  QImage& src = const_cast<QImage&>(source);
  ws::Dc s(src);
  dst.BitBlt(at.x(), at.y(), from.Width(), from.Height(), s, from.left, from.top, ws::SRCCOPY);
}

}  // namespace

TabControlView TabControlViewOf(HWND wnd) {
  TabControlView v;
  v.window = ws::WidgetOf(wnd);
  if (auto* tabs = qobject_cast<QTabWidget*>(v.window)) {
    v.bar = tabs->tabBar();
    v.position = int(tabs->tabPosition());  // North, South, West, East
  } else if ((v.bar = qobject_cast<QTabBar*>(v.window))) {
    v.position = PositionOfShape(v.bar->shape());
  }
  if (!v.bar) return v;
  v.count = v.bar->count();
  v.selected = v.bar->currentIndex();
  return v;
}

Rect TabControlView::ItemRect(int index) const {
  if (!bar || index < 0 || index >= count) return {};
  const QPoint at = bar == window ? QPoint() : bar->mapTo(window, QPoint());
  return RectOf(bar->tabRect(index).translated(at));
}

Rect TabControlView::DisplayRect() const {
  if (!window) return {};
  const Rect all{0, 0, window->width(), window->height()};
  if (bar != window)
    if (auto* stack = window->findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly))
      return RectOf(stack->geometry());
  // A lone tab bar: what its tabs leave.
  Rect tabs{};
  for (int i = 0; i < count; ++i) {
    const Rect r = ItemRect(i);
    tabs = i == 0 ? r
                  : Rect{std::min(tabs.left, r.left), std::min(tabs.top, r.top),
                         std::max(tabs.right, r.right), std::max(tabs.bottom, r.bottom)};
  }
  switch (position) {
    case 1:
      return {0, 0, all.right, tabs.top};
    case 2:
      return {tabs.right, 0, all.right, all.bottom};
    case 3:
      return {0, 0, tabs.left, all.bottom};
    default:
      return {0, tabs.bottom, all.right, all.bottom};
  }
}

Rect TkaTabControlWnd::PageRect() {
  Rect r = TabControlViewOf(WndHandle).DisplayRect();
  r.top += 2;
  return r;
}

Rect TkaTabControlWnd::PageFrameRect() {
  return SplitAtPageEdge(false);
}

Rect TkaTabControlWnd::TabsArea() {
  return SplitAtPageEdge(true);
}

Rect TkaTabControlWnd::SplitAtPageEdge(bool tabsSide) {
  const TabControlView v = TabControlViewOf(WndHandle);
  Rect r{0, 0, Extent.width(), Extent.height()};
  if (v.count <= 0) return r;
  const Rect page = PageRect();
  // The tabs' side ends where the page's frame begins.
  switch (v.position) {
    case 0:
      (tabsSide ? r.bottom : r.top) = page.top - 4;
      break;
    case 1:
      (tabsSide ? r.top : r.bottom) = page.bottom + 1;
      break;
    case 2:
      (tabsSide ? r.right : r.left) = page.left - 1;
      break;
    default:
      (tabsSide ? r.left : r.right) = page.right + 1;
      break;
  }
  return r;
}

Rect TkaTabControlWnd::TabRect(int index, bool active) {
  const TabControlView v = TabControlViewOf(WndHandle);
  if (index < 0 || index >= v.count || v.selected < 0) return {};
  Rect r = v.ItemRect(index);
  if (r.left == r.right) return r;
  if (active) {
    r.bottom -= 1;
  } else {
    r.bottom += 3;
    r.right -= 1;
  }
  const int a = active ? 1 : 0;
  switch (v.position) {
    case 0:
      r = r.Inflate(2 * a, 2 * a);
      r.bottom += 1;
      break;
    case 1:
      r = r.Inflate(2 * a, a);
      r.top -= 2;
      r.bottom += active ? 1 : -3;
      break;
    case 2:
      r = r.Inflate(0, 1);
      r.right += 2;
      if (active) {
        r = r.Inflate(1, 1);
      } else {
        r.bottom -= 4;
        r.right += 2;
      }
      break;
    default:
      r = r.Inflate(1, 0).Offset(-1, -1);
      if (active) {
        r = r.Inflate(1, 1);
        r.bottom += 3;
      } else {
        r.bottom -= 2;
      }
      break;
  }
  return r;
}

int TkaTabControlWnd::TabRow(int index) {
  const TabControlView v = TabControlViewOf(WndHandle);
  if (v.rows < 2) return 1;
  const Rect r = v.ItemRect(index), a = TabsArea();
  const int w = std::max(1, r.Width()), h = std::max(1, r.Height());
  switch (v.position) {
    case 0:
      return (h / 2 + r.bottom) / h;
    case 2:
      return (w / 2 + r.right) / w;
    case 3:
      return v.rows - (r.right + w / 2 - a.left) / w + 1;
    default:
      return v.rows - (r.bottom + h / 2 - a.top) / h + 1;
  }
}

QString TkaTabControlWnd::PaintedSection() {
  const TabControlView v = TabControlViewOf(WndHandle);
  if (v.count <= 0) return QStringLiteral("CHECKBOX");
  if (SkinLink->SkinSection != QLatin1String("PAGECONTROL")) return SkinLink->SkinSection;
  static const char* const kByPosition[] = {"PAGECONTROL", "PAGECONTROLBOTTOM", "PAGECONTROLLEFT",
                                            "PAGECONTROLRIGHT"};
  return QString::fromLatin1(kByPosition[std::clamp(v.position, 0, 3)]);
}

void TkaTabControlWnd::PaintTabItem(int index, int state, QPoint offset, QImage& target) {
  if (index < 0) return;
  const TabControlView v = TabControlViewOf(WndHandle);
  TkSkinManager* m = LinkManager();
  if (!m || !v.bar) return;
  Rect r = TabRect(index, state == 2 && index == v.selected);
  if (r.Width() <= 0 || r.Height() <= 0) return;
  const int position = std::clamp(v.position, 0, 3);
  const int section = m->ConstData.IndexTab[std::size_t(position)];
  const int mask = m->ConstData.MaskTab[std::size_t(position)];
  static const char* const kTabSections[] = {"TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"};
  const QString sectionName = QString::fromLatin1(kTabSections[position]);
  // The tab sections are used only when the skin has "TABTOP" past its
  // first section.
  if (m->ConstData.IndexTab[0] > 0 && m->IsValidImgIndex(mask)) {
    QImage temp = CreateBmp24(r.Width(), r.Height());
    const Rect local{0, 0, r.Width(), r.Height()};
    if (state == 2 && index == v.selected) {
      CopyInto(temp, {}, SkinLink->FCacheBmp, r);
      CopyInto(target, QPoint(r.left, r.top) + offset, temp, local);
      PaintItem(section, sectionName, BgSourceFromBmp(&temp, 0, 0), -1, -1, m, target, {}, local, 2,
                true);
    } else {
      PaintItem(section, sectionName, BgSourceFromBmp(&SkinLink->FCacheBmp, r.left, r.top), -1, -1,
                m, temp, {}, local, state, true);
      ws::Dc dc(target);
      dc.SaveDC();
      if (position == 0 || position == 2) {
        const Rect frame = PageFrameRect().Offset(offset.x(), offset.y());
        dc.ExcludeClipRect(frame.left, frame.top, frame.right, frame.bottom);
      }
      ws::Dc src(temp);
      dc.BitBlt(r.left + offset.x(), r.top + offset.y(), r.Width(), r.Height(), src, 0, 0,
                ws::SRCCOPY);
      dc.RestoreDC(-1);
    }
  }
  // The content: icon and caption.
  r = r.Offset(offset.x(), offset.y());
  ws::Dc dc(target);
  QFont font = FontOf(WndHandle);
  dc.SelectFont({font, 0});
  dc.SelectBrush(ws::Brush::Hollow());
  const QString caption = v.bar->tabText(index);
  const QIcon icon = v.bar->tabIcon(index);
  const QSize iconSize = icon.isNull() ? QSize() : v.bar->iconSize();
  if (position <= 1) {
    if (!icon.isNull()) {
      const int x = r.left + (r.Width() - (TextWidthOf(font, caption) + iconSize.width() + 8)) / 2;
      const int y = r.top + (r.Height() - iconSize.width()) / 2;
      dc.DrawIconEx(x, y, icon.pixmap(iconSize).toImage());
      r.left += iconSize.width();
    }
    DrawSectionText(dc, caption, true, m, state != 0, section, 0x25, r);
    return;
  }
  // Captions of tabs at the sides are turned, always in normal weight.
  font.setBold(false);
  const ws::Font turned{font, position == 2 ? 900 : 2700};
  dc.SelectFont(turned);
  const TkGeneralData* s = m->IsValidSkinIndex(section) ? &m->gd[std::size_t(section)] : nullptr;
  if (s) dc.SetTextColor(ws::ColorRef((state != 0 ? s->HotFontColor : s->FontColor)[0]));
  const QSize extent = TextExtentOf(font, caption);
  const int tl = extent.width(), th = extent.height();
  if (position == 2)
    TextRectOut(dc, r, (r.Width() - th) / 2 + r.left, r.bottom - (r.Height() - tl) / 2, caption);
  else
    TextRectOut(dc, r.Offset(-2, -1), r.left - 2 + (r.Width() - th) / 2 + th,
                r.top - 1 + (r.Height() - tl) / 2, caption);
}

void TkaTabControlWnd::PaintTabsArea(const TBgSource& bg) {
  const Rect a = TabsArea();
  QImage& cache = SkinLink->FCacheBmp;
  if (bg.HasBitmap && bg.Bitmap) {
    const QPoint from = QPoint(bg.X, bg.Y) + PosInParent + QPoint(a.left, a.top);
    CopyInto(cache, {a.left, a.top}, *bg.Bitmap,
             {from.x(), from.y(), from.x() + a.Width(), from.y() + a.Height()});
  } else {
    ws::Dc dc(cache);
    ws::FillSolidRect(dc, a, ws::ColorToRGB(bg.Color));
  }
  const TabControlView v = TabControlViewOf(WndHandle);
  // Rows farther from the page first.
  for (int row = 1; row <= v.rows; ++row)
    for (int j = 0; j < v.count; ++j)
      if (j != v.selected && TabRow(j) == row) PaintTabItem(j, 0, {}, cache);
}

void TkaTabControlWnd::PaintTabControl(ws::Dc* dc) {
  GetWndGeometry(*this);
  SkinLink->SetHot(SkinLink->IsHot());
  if (SkinLink->FHot) return;
  TkSkinManager* m = LinkManager();
  if (!m) return;
  SkinLink->BGChanged = true;
  const QString section = PaintedSection();
  SkinLink->SkinIndex = m->GetSkinIndex(section);
  QWidget* w = ws::WidgetOf(WndHandle);
  TParentBgInfo info;
  if (w && w->parentWidget()) GetControlBgInfo(info, w->parentWidget(), false);
  const TBgSource bg = BgInfoToSource(info);
  QImage& cache = SkinLink->FCacheBmp;
  if (cache.size() != Extent || cache.format() != QImage::Format_BGR888)
    cache = CreateBmp24(std::max(1, Extent.width()), std::max(1, Extent.height()));
  const TabControlView v = TabControlViewOf(WndHandle);
  if (v.count > 0) PaintTabsArea(bg);
  TBgSource placed = bg;
  if (placed.HasBitmap) placed.X += PosInParent.x(), placed.Y += PosInParent.y();
  PaintItem(SkinLink->SkinIndex, section, placed, -1, -1, m, cache, PosInParent, PageFrameRect(), 0,
            true);
  SkinLink->BGChanged = false;
  // The selected tab over the page frame.
  shown_ = cache.copy();
  if (v.count > 0 && v.selected >= 0) {
    const Rect r = TabRect(v.selected, true);
    if (r.Width() > 0 && r.Height() > 0) {
      QImage tab = CreateBmp24(r.Width(), r.Height());
      PaintTabItem(v.selected, 2, {-r.left, -r.top}, tab);
      CopyInto(shown_, {r.left, r.top}, tab, {0, 0, r.Width(), r.Height()});
    }
  }
  if (dc) BlitWhole(dc, WndHandle, shown_);
}

void TkaTabControlWnd::WndProc(Msg& msg, const NextHandler& next) {
  const bool skinned = SkinLink->Skinned(true);
  const bool ours = msg.lParam == winshim::LPARAM(LinkManager());
  if (msg.msg == SM_SKINCMD) {
    switch (ws::HiWord(msg.wParam)) {
      case scNewSkin:
        if (ours) HandleCommonMessage(msg, SkinLink);
        BroadcastToWndChildren(OwnerControl(), WndHandle, msg);
        return;
      case scRemoveSkin:
        if (ours) {
          HandleCommonMessage(msg, SkinLink);
          Invalidate(WndHandle);
        }
        BroadcastToWndChildren(OwnerControl(), WndHandle, msg);
        return;
      case scRepaint:
        if (ours) {
          HandleCommonMessage(msg, SkinLink);
          Invalidate(WndHandle);
        }
        BroadcastToWndChildren(OwnerControl(), WndHandle, msg);
        return;
      case scRecheckHot:
        if (!skinned) break;
        SkinLink->SetHot(false);
        Invalidate(WndHandle);
        return;
      case scIsSkinned:
        msg.result = 1;
        return;
      case scIsHot:
        if (!skinned) break;
        msg.result = SkinLink->FHot ? 1 : 0;
        return;
      case scCaptionHeight:
        msg.result = winshim::LRESULT(LinkManager());
        return;
      case scGetBgInfo:
        if (!skinned) break;
        HandleCommonMessage(msg, SkinLink);
        return;
      default:
        break;
    }
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  if (skinned) {
    switch (msg.msg) {
      case ws::WM_PAINT:
        if (!DcOf(msg)) Invalidate(WndHandle);
        return;
      case ws::WM_ERASEBKGND:
        if (!WndVisible(WndHandle)) break;
        if (!FormAnimating()) PaintTabControl(DcOf(msg));
        msg.result = 0;
        return;
      case ws::WM_NCPAINT:
        return;
      case ws::WM_PRINT:
        PaintTabControl(DcOf(msg));
        return;
      default:
        break;
    }
  }
  TkaMainWnd::WndProc(msg, next);
}

TkaPageControlWnd::TkaPageControlWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                                     const QString& sectionName, bool repaint)
    : TkaTabControlWnd(wnd, link, manager, sectionName, repaint) {}

TkaPageControlWnd::~TkaPageControlWnd() {
  if (stripHandler_) ws::RemoveHandler(strip_, stripHandler_);
  PageWrappers.clear();
  Destroy();
}

void TkaPageControlWnd::Init(bool repaint) {
  TkaTabControlWnd::Init(repaint);
  WrapPages();
  HookStrip();
}

void TkaPageControlWnd::HookStrip() {
  const TabControlView v = TabControlViewOf(WndHandle);
  if (!v.bar || v.bar == v.window) return;
  strip_ = ws::HandleOf(v.bar);
  // The strip shows the page control's picture at its place.
  stripHandler_ = ShowPictureIn(strip_, v.window, [this]() -> const QImage* {
    if (Released || !SkinLink->Skinned(true)) return nullptr;
    PaintTabControl(nullptr);
    return &shown_;
  });
}

void TkaPageControlWnd::WrapPages() {
  auto* tabs = qobject_cast<QTabWidget*>(ws::WidgetOf(WndHandle));
  if (!tabs || !SendSkinCommand(WndHandle, scCaptionHeight, 0)) return;
  auto* manager = reinterpret_cast<TkSkinManager*>(SendSkinCommand(WndHandle, scCaptionHeight, 0));
  for (int i = 0; i < tabs->count(); ++i) {
    const HWND page = ws::HandleOf(tabs->widget(i));
    if (AskWnd(page, scIsSkinned)) continue;
    auto wrapper =
        MakeWrapper<TkaPageWnd>(page, nullptr, manager, QStringLiteral("CHECKBOX"), false);
    wrapper->PageControl = WndHandle;
    PageWrappers.push_back(std::move(wrapper));
  }
}

void TkaPageControlWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (SkinLink->Skinned(true)) {
    switch (msg.msg) {
      case ws::WM_ERASEBKGND:
        if (!WndVisible(WndHandle)) break;
        if (!FormAnimating()) PaintTabControl(DcOf(msg));
        msg.result = 1;
        return;
      case ws::WM_NCPAINT:
        WrapPages();
        return;
      case ws::WM_PARENTNOTIFY:
        if (msg.wParam == ws::WM_CREATE) WrapPages();
        break;
      default:
        break;
    }
  }
  TkaTabControlWnd::WndProc(msg, next);
}

void TkaPageWnd::PaintPageBg(ws::Dc* dc) {
  QWidget* w = ws::WidgetOf(WndHandle);
  QWidget* control = ws::WidgetOf(PageControl);
  if (!w || !control || !dc) return;
  const QPoint pos = w->mapTo(control, QPoint());
  TParentBgInfo info;
  GetControlBgInfo(info, control, false);
  const Rect all{0, 0, w->width(), w->height()};
  if (info.Ready == 2 && info.Bitmap) {
    QImage& bmp = const_cast<QImage&>(*info.Bitmap);
    ws::Dc src(bmp);
    dc->BitBlt(0, 0, all.right, all.bottom, src, pos.x() + info.X, pos.y() + info.Y, ws::SRCCOPY);
    return;
  }
  ws::FillSolidRect(*dc, all, ws::ColorToRGB(info.Color));
}

void TkaPageWnd::WndProc(Msg& msg, const NextHandler& next) {
  const bool ours = msg.lParam == winshim::LPARAM(LinkManager());
  if (msg.msg == SM_SKINCMD) {
    switch (ws::HiWord(msg.wParam)) {
      case scNewSkin:
        BroadcastToWndChildren(OwnerControl(), WndHandle, msg);
        if (ours) HandleCommonMessage(msg, SkinLink);
        return;
      case scRemoveSkin:
      case scRepaint:
        if (ours) {
          HandleCommonMessage(msg, SkinLink);
          Invalidate(WndHandle);
        }
        BroadcastToWndChildren(OwnerControl(), WndHandle, msg);
        if (ws::HiWord(msg.wParam) == scRepaint) return;
        break;
      case scRecheckHot:
        if (!SkinLink->FHot) break;
        SkinLink->SetHot(false);
        Invalidate(WndHandle);
        return;
      case scIsSkinned:
        msg.result = 1;
        return;
      case scIsHot:
        msg.result = SkinLink->FHot ? 1 : 0;
        return;
      case scGetBgInfo: {
        // The page control's background, moved to the page.
        auto* info = reinterpret_cast<TParentBgInfo*>(msg.lParam);
        QWidget* w = ws::WidgetOf(WndHandle);
        QWidget* control = ws::WidgetOf(PageControl);
        if (!info || !w || !control) return;
        const bool paint = info->PaintFlag;
        GetControlBgInfo(*info, control, paint);
        const QPoint pos = w->mapTo(control, QPoint());
        info->X += pos.x();
        info->Y += pos.y();
        return;
      }
      default:
        break;
    }
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  if (SkinLink->Skinned(true)) {
    switch (msg.msg) {
      case ws::WM_ERASEBKGND:
        if (!WndVisible(WndHandle)) break;
        PaintPageBg(DcOf(msg));
        msg.result = 1;
        return;
      case ws::WM_NCPAINT:
        return;
      case ws::WM_PRINT:
        PaintPageBg(DcOf(msg));
        ws::SendMessage(WndHandle, ws::WM_PAINT, msg.wParam, msg.lParam);
        return;
      default:
        break;
    }
  }
  TkaMainWnd::WndProc(msg, next);
  if (msg.msg == ws::WM_PARENTNOTIFY && msg.wParam == ws::WM_CREATE) NotifyTopParentWnd(WndHandle);
}

}  // namespace kelmo::skinwnd
