#include "skinwnd/list_view_wnd.h"

#include <QHeaderView>
#include <QWidget>
#include <algorithm>
#include <exception>
#include <vector>

#include "skin/item_painting.h"
#include "skin/paint_primitives.h"
#include "skin/skin_messages.h"
#include "skin/skin_text.h"
#include "skinwnd/control_answers.h"
#include "skinwnd/control_messages.h"
#include "skinwnd/scroll_bar.h"
#include "skinwnd/section_glyphs.h"
#include "winshim/dc.h"
#include "winshim/draw_text.h"
#include "winshim/non_client.h"
#include "winshim/scroll_info.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

bool IsColumnHeader(HWND wnd) {
  auto* h = qobject_cast<QHeaderView*>(ws::WidgetOf(wnd));
  return h && h->orientation() == Qt::Horizontal &&
         ws::GetClassName(wnd) == QLatin1String("SysHeader32");
}

// The first column header among the window's children.
HWND FindHeader(HWND list) {
  for (HWND child : ws::GetChildren(list))
    if (IsColumnHeader(child)) return child;
  return 0;
}

bool ListVisible(HWND wnd) {
  return ws::GetWindowLong(wnd, ws::GWL_STYLE) & ws::WS_VISIBLE;
}

}  // namespace

TkaListViewWnd::TkaListViewWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                               const QString& sectionName, bool repaint)
    : TkaEditWnd(wnd, link, manager, sectionName, repaint) {}

TkaListViewWnd::~TkaListViewWnd() {
  Destroy();
  UnhookHeader();
}

void TkaListViewWnd::Init(bool repaint) {
  // The list's own answers lie below the wrapper.
  AnswerControlMessages(WndHandle);
  TkaEditWnd::Init(repaint);
  HotColumn = PressedColumn = -1;
  if (!HeaderWnd)
    if (HWND header = FindHeader(WndHandle)) HookHeader(header);
}

void TkaListViewWnd::HookHeader(HWND header) {
  AnswerControlMessages(header);
  HeaderWnd = header;
  headerPaintWnd_ = HeaderPaintWindow(header);
  headerHandler_ = ws::Subclass(headerPaintWnd_, [this](HWND, Msg& m, const NextHandler& next) {
    try {
      HeaderWndProc(m, next);
    } catch (const std::exception&) {
      // A failing header step drops its message; the list goes on.
    }
  });
}

void TkaListViewWnd::UnhookHeader() {
  if (headerHandler_) ws::RemoveHandler(headerPaintWnd_, headerHandler_);
  headerHandler_ = 0;
  headerPaintWnd_ = 0;
  HeaderWnd = 0;
}

int TkaListViewWnd::ListViewStyle() const {
  if (QWidget* owner = OwnerControl();
      owner && owner->metaObject()->indexOfProperty("ViewStyle") >= 0)
    return owner->property("ViewStyle").toInt();
  switch (ws::SendMessage(WndHandle, LVM_GETVIEW)) {
    case LV_VIEW_ICON:
      return 0;
    case LV_VIEW_DETAILS:
      return 3;
    case LV_VIEW_SMALLICON:
      return 1;
    default:
      return 2;
  }
}

void TkaListViewWnd::KeepOwnLook() {
  TkaEditWnd::KeepOwnLook();
  SavedColor = TColor(ws::SendMessage(WndHandle, LVM_GETBKCOLOR));
  SavedFontColor = TColor(ws::SendMessage(WndHandle, LVM_GETTEXTCOLOR));
}

void TkaListViewWnd::RestoreOwnLook() {
  ws::SendMessage(WndHandle, LVM_SETTEXTCOLOR, 0, ws::ColorToRGB(ws::clWindowText));
  // The list's background goes back to the colour it had.
  ws::SendMessage(WndHandle, LVM_SETBKCOLOR, 0, ws::LPARAM(SavedColor));
  if (QWidget* header = ws::WidgetOf(headerPaintWnd_)) header->update();
  UnhookHeader();
  TkaEditWnd::RestoreOwnLook();
}

void TkaListViewWnd::ApplySectionLook() {
  TkaEditWnd::ApplySectionLook();
  if (!WndHandle) return;
  if (InDialog) {
    ws::SendMessage(WndHandle, LVM_SETBKCOLOR, 0, ws::ColorToRGB(ws::clWindow));
    ws::SendMessage(WndHandle, LVM_SETTEXTBKCOLOR, 0, ws::ColorToRGB(ws::clWindow));
    ws::SendMessage(WndHandle, LVM_SETTEXTCOLOR, 0, ws::ColorToRGB(ws::clWindowText));
    return;
  }
  const TkSkinManager* m = LinkManager();
  if (!m || !m->IsValidSkinIndex(SkinLink->SkinIndex)) return;
  const TkGeneralData& s = m->gd[std::size_t(SkinLink->SkinIndex)];
  ws::SendMessage(WndHandle, LVM_SETBKCOLOR, 0, ws::ColorToRGB(s.Color));
  ws::SendMessage(WndHandle, LVM_SETTEXTBKCOLOR, 0, ws::ColorToRGB(s.Color));
  ws::SendMessage(WndHandle, LVM_SETTEXTCOLOR, 0, ws::ColorToRGB(TColor(s.FontColor[0])));
}

void TkaListViewWnd::ThumbTrack(Msg& msg, bool vertical) {
  // The position the skinned bar's drag last scrolled to.
  const int last = Tracking().LastTrackPos;
  const int pos = msg.lParam ? int(msg.lParam) : ws::HiWord(msg.wParam);
  if (vertical && pos == last) return;
  int delta = pos - last;
  Rect item{LVIR_BOUNDS, 0, 0, 0};
  const int style = ListViewStyle();
  if ((vertical ? style == 3 : style == 2) &&
      ws::SendMessage(WndHandle, LVM_GETITEMRECT, 0, ws::LPARAM(&item)))
    delta *= vertical ? item.Height() : item.Width();
  if (vertical)
    ws::SendMessage(WndHandle, LVM_SCROLL, 0, delta);
  else
    ws::SendMessage(WndHandle, LVM_SCROLL, ws::WPARAM(ws::LPARAM(delta)), 0);
}

void TkaListViewWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (!SkinInForce()) {
    TkaEditWnd::WndProc(msg, next);
    return;
  }
  const bool ours = msg.lParam == ws::LPARAM(LinkManager());
  switch (msg.msg) {
    case SM_SKINCMD:
      switch (ws::HiWord(msg.wParam)) {
        case scRepaint:
          TkaEditWnd::WndProc(msg, next);
          if (ours) PaintListHeader(nullptr);
          return;
        case scGetSectionIndex:
          msg.result = SkinLink->SkinIndex + 1;
          return;
        case scBeforeScroll:
          // Scroll messages to this list carry the whole position in lParam.
          msg.result = 1;
          return;
        default:
          break;
      }
      break;
    case ws::WM_PAINT:
      ApplySectionLook();
      TkaEditWnd::WndProc(msg, next);
      return;
    case ws::WM_NCHITTEST:
      if (HotColumn != -1 || PressedColumn != -1) {
        HotColumn = PressedColumn = -1;
        PaintListHeader(nullptr);
      }
      TkaEditWnd::WndProc(msg, next);
      return;
    case ws::WM_NCPAINT:
      TkaEditWnd::WndProc(msg, next);
      msg.result = 0;
      return;
    case ws::WM_HSCROLL:
    case ws::WM_VSCROLL:
      if (ws::LoWord(msg.wParam) == ws::SB_THUMBTRACK) {
        ThumbTrack(msg, msg.msg == ws::WM_VSCROLL);
        return;
      }
      msg.lParam = 0;
      CallPrevWndProc(msg, next);
      return;
    default:
      break;
  }
  TkaEditWnd::WndProc(msg, next);
  switch (msg.msg) {
    case ws::WM_STYLECHANGED:
    case LVM_ARRANGE:
    case LVM_INSERTITEMA:
      if (!SkinLink->FHot) RereadScrollInfo(true);
      break;
    case ws::WM_LBUTTONUP:
      ws::ReleaseCapture();
      break;
    case ws::WM_PARENTNOTIFY:
      if (ws::LoWord(msg.wParam) == ws::WM_CREATE &&
          ws::GetClassName(HWND(msg.lParam)).left(96) == QLatin1String("SysHeader32") &&
          IsColumnHeader(HWND(msg.lParam))) {
        if (HeaderWnd)
          UnhookHeader();
        else
          HookHeader(HWND(msg.lParam));
      }
      break;
    case ws::WM_PRINT:
      if (ListViewStyle() == 3 && msg.wParam && HeaderWnd) {
        auto& dc = *reinterpret_cast<ws::Dc*>(msg.wParam);
        const int level = dc.SaveDC();
        const QPoint at = ws::WidgetOf(HeaderWnd)->pos();
        dc.OffsetViewportOrg(at.x(), at.y());
        PaintListHeader(&dc);
        dc.RestoreDC(level);
      }
      break;
    default:
      break;
  }
}

void TkaListViewWnd::HeaderWndProc(Msg& msg, const NextHandler& next) {
  if (!HeaderWnd || ListViewStyle() != 3 || !SkinInForce()) {
    next(msg);
    return;
  }
  switch (msg.msg) {
    case ws::WM_PAINT:
      PaintListHeader(reinterpret_cast<ws::Dc*>(msg.wParam));
      return;
    case ws::WM_ERASEBKGND:
      return;
    case WM_WINDOWPOSCHANGING:
      if (ListVisible(WndHandle)) ws::SendMessage(WndHandle, ws::WM_NCPAINT);
      next(msg);
      return;
    case ws::WM_NCDESTROY:
      next(msg);
      headerHandler_ = 0;  // the handler leaves with the window
      UnhookHeader();
      return;
    case ws::WM_NCHITTEST: {
      next(msg);
      const int position = HeaderItemAt({ws::XOf(msg.lParam), ws::YOf(msg.lParam)});
      if (position != HotColumn) {
        HotColumn = int(ws::SendMessage(HeaderWnd, HDM_ORDERTOINDEX, ws::WPARAM(position)));
        PaintListHeader(nullptr);
      }
      return;
    }
    case ws::WM_LBUTTONUP:
      PressedColumn = -1;
      next(msg);
      return;
    case ws::WM_LBUTTONDOWN: {
      next(msg);
      HdHitTestInfo hit;
      hit.pt = {ws::XOf(msg.lParam), ws::YOf(msg.lParam)};
      ws::SendMessage(HeaderWnd, HDM_HITTEST, 0, ws::LPARAM(&hit));
      PressedColumn = hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN) ? -1 : hit.iItem;
      PaintListHeader(nullptr);
      return;
    }
    default:
      next(msg);
      return;
  }
}

bool TkaListViewWnd::HeaderItemRect(int position, Rect& r) const {
  int index = position;
  if (ws::GetWindowLong(HeaderWnd, ws::GWL_STYLE) & HDS_DRAGDROP) {
    std::vector<int> order(
        std::size_t(std::max<ws::LRESULT>(0, ws::SendMessage(HeaderWnd, HDM_GETITEMCOUNT))));
    if (position < 0 || position >= int(order.size()) ||
        !ws::SendMessage(HeaderWnd, HDM_GETORDERARRAY, order.size(), ws::LPARAM(order.data())))
      return false;
    index = order[std::size_t(position)];
  }
  r = {};
  return ws::SendMessage(HeaderWnd, HDM_GETITEMRECT, ws::WPARAM(index), ws::LPARAM(&r)) != 0;
}

int TkaListViewWnd::HeaderItemAt(QPoint screen) const {
  QWidget* header = ws::WidgetOf(HeaderWnd);
  if (!header) return -2;
  const QPoint p = header->mapFromGlobal(screen);
  const int count = int(ws::SendMessage(HeaderWnd, HDM_GETITEMCOUNT));
  for (int position = 0; position < count; ++position) {
    Rect r;
    if (HeaderItemRect(position, r) && r.Contains(p.x(), p.y())) return position;
  }
  return -2;
}

void TkaListViewWnd::PaintListHeader(ws::Dc* dc) {
  if (ListViewStyle() != 3 || !HeaderWnd) return;
  if (!dc) {
    // Qt paints a widget only inside its paint event: ask for one.
    if (QWidget* w = ws::WidgetOf(headerPaintWnd_)) w->update();
    return;
  }
  QWidget* header = ws::WidgetOf(HeaderWnd);
  const int count = int(ws::SendMessage(HeaderWnd, HDM_GETITEMCOUNT));
  int right = 0;
  for (int position = 0; position < count; ++position) {
    Rect r;
    if (!HeaderItemRect(position, r) || r.Width() <= 0 || r.Height() <= 0) continue;
    PaintListHeaderItem(r, int(ws::SendMessage(HeaderWnd, HDM_ORDERTOINDEX, ws::WPARAM(position))),
                        *dc);
    right = std::max(right, r.right);
  }
  if (right < header->width())
    PaintListHeaderItem({right, 0, header->width(), header->height()}, -2, *dc);
}

void TkaListViewWnd::PaintListHeaderItem(const Rect& r, int index, ws::Dc& dc) {
  TkSkinManager* m = LinkManager();
  if (!m || r.Width() <= 0 || r.Height() <= 0) return;
  const int state =
      PressedColumn != -1 ? (PressedColumn == index ? 2 : 0) : (index == HotColumn ? 1 : 0);
  QImage bmp = CreateBmp24(r.Width(), r.Height());
  const TColor back = OwnerControl() ? ColorPropOf(OwnerControl(), "Color") : 0;
  const TColor color = back ? back : TColor(ws::ColorToRGB(ws::clWindow));
  const int section = PaintSectionByName(bmp, QStringLiteral("COLHEADER"), QStringLiteral("BUTTON"),
                                         nullptr, color, {0, 0, r.Width(), r.Height()}, m, state);
  QWidget* list = ws::WidgetOf(WndHandle);
  if (index >= 0 && list) {
    HdItem item;
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_BITMAP | HDI_IMAGE;
    ws::SendMessage(HeaderWnd, HDM_GETITEM, ws::WPARAM(index), ws::LPARAM(&item));
    const QFont font = list->font();
    Rect text{4, 1, r.Width() - 4, r.Height() - 1};
    // The framework's small images are what a column's image would come
    // from; a Qt list has none, so no column shows one.
    const int imageWidth = 0;
    const int glyph = item.fmt & HDF_SORTDOWN ? SortGlyphIndex(m, true)
                      : item.fmt & HDF_SORTUP ? SortGlyphIndex(m, false)
                                              : -1;
    const QSize glyphSize = GlyphSize(m, glyph);
    const int glyphSpace = glyph >= 0 ? glyphSize.width() + 6 : 0;
    const int textWidth = TextWidthOf(font, item.text) + 5;
    switch (item.fmt & HDF_JUSTIFYMASK) {
      case HDF_RIGHT:
        text.left = text.right - glyphSpace - textWidth;
        break;
      case HDF_CENTER:
        text.left += (text.Width() - textWidth - glyphSpace - imageWidth) / 2 + imageWidth;
        break;
      default:
        text.left += imageWidth;
        break;
    }
    text.right = std::min(text.right, text.left + textWidth);
    if (glyph >= 0)
      PaintGlyph(bmp, m, glyph, {text.right + 6 - 5, (r.Height() - glyphSize.height()) / 2}, state);
    if (state == 2) text = text.Offset(1, 1);
    ws::Dc bdc(bmp);
    bdc.SelectFont(ws::Font{font, 0});
    bdc.SetBkMode(ws::TRANSPARENT);
    DrawSectionText(bdc, item.text, list->isEnabled(), m, state != 0, section,
                    ws::DT_VCENTER | ws::DT_SINGLELINE | ws::DT_EXPANDTABS | ws::DT_END_ELLIPSIS,
                    text);
  }
  ws::Dc src(bmp);
  dc.BitBlt(r.left, r.top, r.Width(), r.Height(), src, 0, 0, ws::SRCCOPY);
}

}  // namespace kelmo::skinwnd
