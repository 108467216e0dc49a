#include "skinwnd/tool_bar_wnd.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_text.h"
#include "skinwnd/control_queries.h"
#include "winshim/draw_text.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

using namespace kelmo::skin;

namespace {

const QString kToolButton = QStringLiteral("TOOLBUTTON");

QImage PartOf(const QImage& source, const Rect& r) {
  return source.copy(r.left, r.top, r.Width(), r.Height());
}

void Put(QImage& target, QPoint at, const QImage& source) {
  ws::Dc dst(target);
  QImage& src = const_cast<QImage&>(source);
  ws::Dc s(src);
  dst.BitBlt(at.x(), at.y(), source.width(), source.height(), s, 0, 0, ws::SRCCOPY);
}

// The drop-down arrow: SCROLLBTNBOTTOM's glyph; nullptr without one.
const TkMaskData* DropArrow(const TkSkinManager* m) {
  const int index = m ? m->ConstData.ScrollGlyph[1] : -1;
  return m && m->IsValidImgIndex(index) ? &m->ma[std::size_t(index)] : nullptr;
}

}  // namespace

std::vector<ToolButtonView> ToolButtonsOf(HWND wnd) {
  std::vector<ToolButtonView> out;
  auto* bar = qobject_cast<QToolBar*>(ws::WidgetOf(wnd));
  if (!bar) return out;
  for (QAction* action : bar->actions()) {
    QWidget* w = bar->widgetForAction(action);
    if (!w || !w->isVisibleTo(bar)) continue;
    ToolButtonView v;
    v.widget = w;
    const QRect g = w->geometry();
    v.rect = {g.left(), g.top(), g.right() + 1, g.bottom() + 1};
    v.separator = action->isSeparator();
    v.enabled = action->isEnabled();
    v.text = action->text();
    if (auto* button = qobject_cast<QToolButton*>(w)) {
      v.pressed = button->isDown() || button->isChecked();
      const bool menu = button->menu() || action->menu();
      v.dropDown = menu && button->popupMode() == QToolButton::MenuButtonPopup;
      v.wholeDropDown = menu && button->popupMode() == QToolButton::InstantPopup;
      v.showsText = button->toolButtonStyle() != Qt::ToolButtonIconOnly;
      const QIcon icon = action->icon();
      if (!icon.isNull()) v.image = icon.pixmap(button->iconSize()).toImage();
      if (!icon.availableSizes(QIcon::Active).isEmpty())
        v.hotImage = icon.pixmap(button->iconSize(), QIcon::Active).toImage();
    }
    out.push_back(v);
  }
  return out;
}

// The dialog's tool bar.

TkaToolBarWnd::~TkaToolBarWnd() {
  for (auto [wnd, id] : shown_) ws::RemoveHandler(wnd, id);
  Destroy();
}

void TkaToolBarWnd::Init(bool repaint) {
  TkaMainWnd::Init(repaint);
  // The buttons' windows show the bar's picture.
  QWidget* bar = ws::WidgetOf(WndHandle);
  for (const ToolButtonView& b : ToolButtonsOf(WndHandle)) {
    const HWND child = ws::HandleOf(b.widget);
    shown_.emplace_back(child, ShowPictureIn(child, bar, [this]() -> const QImage* {
                          if (Released || !SkinLink->Skinned(true)) return nullptr;
                          return &PaintBarPicture();
                        }));
  }
}

void TkaToolBarWnd::PrepareBarCache() {
  GetWndGeometry(*this);
  if (!SkinLink->BGChanged) return;
  QWidget* w = ws::WidgetOf(WndHandle);
  InnerRect = w ? Rect{0, 0,
                       w->contentsRect().width() + w->contentsMargins().left() +
                           w->contentsMargins().right(),
                       w->height()}
                : Rect{};
  PaintWndBorder(SkinLink, WndHandle, false);
  UpdateWndCorners(SkinLink, 0, *this);
  FrameWidth = (Extent.height() - InnerRect.Height()) / 2;
  SkinLink->BGChanged = false;
}

const QImage& TkaToolBarWnd::PaintBarPicture() {
  PrepareBarCache();
  picture_ = SkinLink->FCacheBmp.copy();
  for (const ToolButtonView& b : ToolButtonsOf(WndHandle))
    PaintBarButton(b, b.rect.Offset(FrameWidth, FrameWidth), picture_);
  return picture_;
}

void TkaToolBarWnd::PaintBarButton(const ToolButtonView& button, const Rect& r, QImage& target) {
  TkSkinManager* m = LinkManager();
  if (!m || r.Width() <= 0 || r.Height() <= 0) return;
  const QImage& cache = SkinLink->FCacheBmp;
  QImage b = CreateBmp24(r.Width(), r.Height());
  if (button.separator) {
    const int divider = m->GetSkinIndex(QStringLiteral("DIVIDER"));
    const int mask = divider >= 0 ? m->GetMaskIndex(divider, QStringLiteral("DIVIDER"),
                                                    QStringLiteral("BORDERSMASK"))
                                  : -1;
    if (!m->IsValidImgIndex(mask)) return;
    b = PartOf(cache, r);
    const int left = b.width() / 2 - 1;
    const Rect d{left, 2, left + 4, b.height() - 2};
    PaintItem(divider, QStringLiteral("DIVIDER"),
              BgSourceFromBmp(&cache, r.left + d.left, r.top + d.top), -1, -1, m, b, {}, d, 0,
              true);
    Put(target, {r.left, r.top}, b);
    return;
  }
  const int section = m->GetSkinIndex(kToolButton);
  int state = 0, sh = 0;
  if (!button.enabled) {
    state = 0;
  } else if (button.pressed) {
    state = 2;
    sh = 1;
  } else if (CursorIn(r.Offset(ScreenRect.left, ScreenRect.top))) {
    state = 1;
  }
  PaintItem(section, kToolButton, BgSourceFromBmp(&cache, r.left, r.top), -1, -1, m, b, {},
            {0, 0, r.Width(), r.Height()}, state, true);
  ws::Dc dc(b);
  int cy = 0;
  if (!button.image.isNull()) {
    const int cx = button.image.width();
    cy = button.image.height();
    const int y = sh + 4;
    int x = sh + (r.Width() - cx) / 2;
    if (button.wholeDropDown)
      if (const TkMaskData* arrow = DropArrow(m)) {
        const int aw = MaskImageWidth(*arrow), ah = MaskImageHeight(*arrow);
        PaintMaskImage(b, {b.width() + sh - aw - 2, sh + (b.height() - ah) / 2}, state, *arrow,
                       BgSourceFromBmp(&b, 0, 0), 1);
        x = sh + (r.Width() - cx - aw) / 2;
      }
    dc.DrawIconEx(x, y, button.image);
  }
  if (button.showsText && !button.text.isEmpty()) {
    const QFont font = FontOf(WndHandle);
    dc.SelectFont({font, 0});
    dc.SelectBrush(ws::Brush::Hollow());
    const Rect t{sh + 2, (cy > 0 ? cy + 2 : 0) + sh + 2, r.Width() + sh - 2, sh + r.Height() - 2};
    const QStringList words = button.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const TkGeneralData* own = SkinLink->Section();
    const bool sectionText = state != 0 && !(own && own->GiveOwnFont);
    auto write = [&](const QString& text, const Rect& rect, unsigned format) {
      if (sectionText)
        DrawSectionText(dc, text, true, m, true, section, format, rect);
      else
        DrawControlText(dc, text, true, state != 0, *SkinLink, format, rect);
    };
    if (words.size() >= 3) {
      // Three words or more: all but the last two over those two.
      const int lineHeight = TextExtentOf(font, QStringLiteral("A")).height();
      write(words.mid(0, words.size() - 2).join(QLatin1Char(' ')),
            {t.left, t.top, t.right, t.top + lineHeight}, ws::DT_CENTER);
      write(words.mid(words.size() - 2).join(QLatin1Char(' ')),
            {t.left, t.top + lineHeight, t.right, t.bottom}, ws::DT_END_ELLIPSIS);
    } else {
      write(button.text, t, 0x8015);
    }
  }
  if (!button.enabled) {
    // A disabled button keeps 40 percent of its look over the bar.
    BlendBmp(b, 0, 0, TColor(0xFF000000u), 0.4, {r.left, r.top, r.right - 1, r.bottom - 1}, cache);
  }
  Put(target, {r.left, r.top}, b);
}

void TkaToolBarWnd::WndProc(Msg& msg, const NextHandler& next) {
  switch (msg.msg) {
    case ws::WM_SIZE:
    case ws::WM_WINDOWPOSCHANGED:
      SkinLink->BGChanged = true;
      TkaMainWnd::WndProc(msg, next);
      ws::SendMessage(WndHandle, ws::WM_NCPAINT, 0, 0);
      return;
    case ws::WM_PAINT:
      if (!WndVisible(WndHandle)) break;
      SkinLink->SetHot(AskWnd(ParentHandle, scIsHot) || SkinLink->IsHot());
      if (!SkinLink->FHot) BlitWhole(DcOf(msg), WndHandle, PaintBarPicture());
      return;
    case ws::WM_ERASEBKGND:
      return;
    case ws::WM_NCPAINT:
      // The frame is the bar's only with a client edge; a Qt tool bar has
      // none, its frame is painted with its client.
      return;
    default:
      break;
  }
  if (msg.msg == SM_SKINCMD && ws::HiWord(msg.wParam) == scRecheckHot && SkinLink->IsHot()) {
    SkinLink->SetHot(false);
    Invalidate(WndHandle);
    return;
  }
  TkaMainWnd::WndProc(msg, next);
}

// The program's tool bar.

TkaToolBarVCLWnd::TkaToolBarVCLWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                                   const QString& sectionName, bool repaint)
    : TkaMainWnd(wnd, link, manager, sectionName, repaint) {
  OwnerBar = qobject_cast<QToolBar*>(OwnerControl());
}

TkaToolBarVCLWnd::~TkaToolBarVCLWnd() {
  for (const QMetaObject::Connection& c : menuNotices_) QObject::disconnect(c);
  for (auto [wnd, id] : buttons_) ws::RemoveHandler(wnd, id);
  Destroy();
}

void TkaToolBarVCLWnd::Init(bool repaint) {
  TkaMainWnd::Init(repaint);
  if (!OwnerBar) return;
  // The buttons' own painting is the bar's to give: each button paints
  // itself from the skin through the bar's wrapper, and tells it where the
  // mouse is.
  const std::vector<ToolButtonView> buttons = ToolButtonsOf(WndHandle);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    QWidget* w = buttons[i].widget;
    const HWND child = ws::HandleOf(w);
    const int index = int(i);
    buttons_.emplace_back(
        child, ws::Subclass(child, [this, index, w](HWND, Msg& m, const NextHandler& next) {
          const bool skinned = !Released && SkinLink->Skinned(true);
          if (skinned && m.msg == ws::WM_ERASEBKGND && DcOf(m)) {
            DrawBarButton(index, *DcOf(m));
            m.result = 1;
            return;
          }
          if (skinned && m.msg == ws::WM_PAINT && DcOf(m)) return;
          next(m);
          if (!skinned) return;
          if (m.msg == ws::WM_MOUSEMOVE)
            TrackHot(w->mapTo(OwnerBar, QPoint(ws::XOf(m.lParam), ws::YOf(m.lParam))));
          else if (m.msg == ws::CM_MOUSELEAVE)
            LeaveHot();
        }));
    if (auto* tool = qobject_cast<QToolButton*>(w)) {
      QMenu* menu = tool->menu()            ? tool->menu()
                    : tool->defaultAction() ? tool->defaultAction()->menu()
                                            : nullptr;
      if (menu) {
        menuNotices_.push_back(QObject::connect(menu, &QMenu::aboutToShow, OwnerBar, [this, tool] {
          if (!Released) DroppedButton = tool;
        }));
        // The drop-down menu closed.
        menuNotices_.push_back(QObject::connect(menu, &QMenu::aboutToHide, OwnerBar, [this, child] {
          if (!Released) ws::SendMessage(WndHandle, ws::WM_USER + 0x1000, 0, ws::LPARAM(child));
        }));
      }
    }
  }
}

void TkaToolBarVCLWnd::PrepareVclBarCache() {
  GetWndGeometry(*this);
  SizeLinkCache(SkinLink->FCacheBmp, Extent);
  TParentBgInfo info;
  PaintControlItem(*SkinLink, SkinLink->GetParentBg(info), true, true, SkinLink->FCacheBmp,
                   PosInParent, {0, 0, Extent.width(), Extent.height()}, 0);
  SkinLink->BGChanged = false;
}

void TkaToolBarVCLWnd::DrawBar(ws::Dc& dc) {
  SkinLink->SetHot(SkinLink->IsHot());
  if (SkinLink->FHot) return;
  if (SkinLink->BGChanged || SkinLink->FCacheBmp.size() != Extent) PrepareVclBarCache();
  BlitWhole(&dc, WndHandle, SkinLink->FCacheBmp);
}

int TkaToolBarVCLWnd::ButtonSkinState(const ToolButtonView& b, int index) const {
  if (b.pressed) return 2;
  if (!b.enabled) return 0;
  return index == HotIndex ? 1 : 0;
}

void TkaToolBarVCLWnd::DrawBarButton(int index, ws::Dc& dc) {
  const std::vector<ToolButtonView> buttons = ToolButtonsOf(WndHandle);
  TkSkinManager* m = LinkManager();
  if (!m || index < 0 || index >= int(buttons.size())) return;
  const ToolButtonView& button = buttons[std::size_t(index)];
  GetWndGeometry(*this);
  if (SkinLink->BGChanged || SkinLink->FCacheBmp.size() != Extent) PrepareVclBarCache();
  const Rect r = button.rect;
  if (r.Width() <= 0 || r.Height() <= 0) return;
  QImage b = CreateBmp24(r.Width(), r.Height());
  const int state = ButtonSkinState(button, index);
  const int section = m->GetSkinIndex(kToolButton);
  const TBgSource bg = BgSourceFromBmp(&SkinLink->FCacheBmp, r.left, r.top);
  PaintItemBg(section, kToolButton, bg, kTransparentKey, -1, -1, m, b, {},
              {0, 0, r.Width(), r.Height()}, state != 0);
  const int border =
      section >= 0 ? m->GetMaskIndex(section, kToolButton, QStringLiteral("BORDERSMASK")) : -1;
  if (m->IsValidImgIndex(border))
    PaintMask(b, {0, 0, r.Width(), r.Height()}, state, m->ma[std::size_t(border)], bg, true, false);
  const int arrowPart =
      button.dropDown ? std::max(0, ws::GetSystemMetrics(ws::SM_CXVSCROLL) - 2) : 0;
  const int p = r.Width() - arrowPart;
  const int shift = state == 2 ? 1 : 0;
  ws::Dc bdc(b);
  const QFont font = OwnerBar ? OwnerBar->font() : FontOf(WndHandle);
  bdc.SelectFont({font, 0});
  const int textHeight = TextExtentOf(font, QStringLiteral("A")).height();
  if (button.showsText && !button.text.isEmpty()) {
    const int cw = TextWidthOf(font, button.text);
    const int x0 = (p - cw) / 2;
    const int ih = button.image.height();
    const int bm = button.image.isNull() ? (r.Height() - textHeight) / 2
                                         : (r.Height() - ih - textHeight - 3) / 2;
    const int top = button.image.isNull() ? bm : bm + ih + 3;
    const Rect t = Rect{x0 - 1, top, p - x0 + 2, r.Height() - bm}.Offset(shift, shift);
    DrawSectionText(bdc, button.text, true, m, state > 0, GetFontSection(button.widget, section, m),
                    0x25, t);
  }
  if (!button.image.isNull()) {
    // The hot picture where the icon has one, else the normal one.
    const QImage& image = state != 0 && !button.hotImage.isNull() ? button.hotImage : button.image;
    const int x = (r.Width() - button.image.width()) / 2 - (button.dropDown ? 8 : 0) + 1;
    const int y =
        (r.Height() - button.image.height() - (button.showsText ? textHeight + 3 : 0)) / 2;
    bdc.DrawIconEx(x + shift, y + shift, image);
  }
  if (button.dropDown)
    if (const TkMaskData* arrow = DropArrow(m)) {
      const int partState = DroppedButton && DroppedButton == button.widget ? 2 : state > 0 ? 1 : 0;
      const Rect part{r.Width() - arrowPart, 0, r.Width(), r.Height()};
      if (m->IsValidImgIndex(border))
        PaintMask(b, part, partState, m->ma[std::size_t(border)], bg, true, false);
      const int w = MaskImageWidth(*arrow), h = MaskImageHeight(*arrow);
      PaintMaskImage(b, {(part.Width() - (w + 3)) / 2 + part.left + 2, (r.Height() - h) / 2},
                     partState, *arrow, BgSourceFromBmp(&b, 0, 0), 1);
    }
  if (!button.enabled) {
    TParentBgInfo info;
    ApplyDisabledLook(b, 1, OwnerBar, PosInParent + QPoint(r.left, r.top),
                      SkinLink->GetParentBg(info));
  }
  QImage& shown = b;
  ws::Dc src(shown);
  dc.BitBlt(0, 0, r.Width(), r.Height(), src, 0, 0, ws::SRCCOPY);
}

void TkaToolBarVCLWnd::RedrawBarButton(int index) {
  const std::vector<ToolButtonView> buttons = ToolButtonsOf(WndHandle);
  if (index < 0 || index >= int(buttons.size())) return;
  if (buttons[std::size_t(index)].widget->isVisible()) buttons[std::size_t(index)].widget->update();
}

int TkaToolBarVCLWnd::HotIndexAt(QPoint point) const {
  const std::vector<ToolButtonView> buttons = ToolButtonsOf(WndHandle);
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (!buttons[i].separator && buttons[i].rect.Contains(point.x(), point.y())) return int(i);
  return -1;
}

void TkaToolBarVCLWnd::TrackHot(QPoint point) {
  const int hot = HotIndexAt(point);
  if (hot == HotIndex) return;
  const std::vector<ToolButtonView> buttons = ToolButtonsOf(WndHandle);
  // A disabled button never becomes hot, and the hot one stays.
  if (hot >= 0 && !buttons[std::size_t(hot)].enabled) return;
  const int old = HotIndex;
  HotIndex = hot;
  RedrawBarButton(old);
  RedrawBarButton(hot);
}

void TkaToolBarVCLWnd::LeaveHot() {
  const int old = HotIndex;
  HotIndex = -1;
  RedrawBarButton(old);
}

void TkaToolBarVCLWnd::WndProc(Msg& msg, const NextHandler& next) {
  const bool skinned = SkinLink->Skinned(true);
  if (msg.msg == SM_SKINCMD) {
    const int command = ws::HiWord(msg.wParam);
    if ((command == scRemoveSkin || command == scRepaint) &&
        msg.lParam == ws::LPARAM(LinkManager()))
      DroppedButton = nullptr;
    if (command == scGetBgInfo) {
      GetWndGeometry(*this);
      HandleSkinCommand(msg, SkinLink);
      return;
    }
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  if (skinned && OwnerBar) {
    switch (msg.msg) {
      case ws::WM_ERASEBKGND:
        if (ws::Dc* dc = DcOf(msg)) DrawBar(*dc);
        return;
      case ws::WM_PAINT:
        if (!DcOf(msg)) Invalidate(WndHandle);
        return;
      case ws::WM_NCPAINT:
        return;
      case ws::WM_PRINT:
        if (ws::Dc* dc = DcOf(msg)) DrawBar(*dc);
        return;
      case ws::WM_USER + 0x1000:
        // A drop-down menu closed.
        if (DroppedButton) {
          QToolButton* dropped = DroppedButton;
          DroppedButton = nullptr;
          HotIndex = -1;
          dropped->update();
        }
        return;
      default:
        break;
    }
  }
  TkaMainWnd::WndProc(msg, next);
  if (!skinned || !OwnerBar) return;
  if (msg.msg == ws::WM_SIZE) Invalidate(WndHandle);
  if (msg.msg == ws::WM_MOUSEMOVE) TrackHot({ws::XOf(msg.lParam), ws::YOf(msg.lParam)});
  if (msg.msg == ws::CM_MOUSELEAVE) LeaveHot();
}

}  // namespace kelmo::skinwnd
