#include "skinwnd/edit_wnd.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QListView>
#include <QStyledItemDelegate>
#include <QWidget>
#include <exception>

#include "skin/glow.h"
#include "skin/paint_primitives.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "skin/skin_text.h"
#include "winshim/dc.h"
#include "winshim/non_client.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

// The control-kind code whose border glows while the mouse is over it.
constexpr int kGlowingEditKind = 227;
// A private message of the framework's edits the wrapper keeps away.
constexpr unsigned kSwallowedEditMessage = 0x2100;

bool Visible(HWND wnd) {
  const QWidget* w = ws::WidgetOf(wnd);
  return w && w->isVisible();
}

void Redraw(HWND wnd) {
  if (QWidget* w = ws::WidgetOf(wnd)) w->update();
}

QColor QColorOf(TColor c) {
  return ws::ToQColor(ws::ColorToRGB(c));
}

bool IsOurs(const Msg& msg, TkSkinManager* manager) {
  return msg.lParam == ws::LPARAM(manager);
}

// The role of the control's face and of its text.
constexpr QPalette::ColorRole kFace = QPalette::Base;
constexpr QPalette::ColorRole kText = QPalette::Text;

}  // namespace

void TkaBaseWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (Released || !LinkSkinned()) {
    TkaScrollWnd::WndProc(msg, next);
    return;
  }
  const int command = msg.msg == SM_SKINCMD ? ws::HiWord(msg.wParam) : 0;
  if (command == scRepaint && IsOurs(msg, LinkManager())) {
    TkaScrollWnd::WndProc(msg, next);
    if (Visible(WndHandle)) ws::SendMessage(WndHandle, ws::WM_NCPAINT, 0, 0);
    return;
  }
  if (command == scUpdateScrolls) PaintWndBorder(SkinLink, WndHandle, false);
  switch (msg.msg) {
    case ws::WM_SIZE:
      SkinLink->BGChanged = true;
      break;
    case ws::WM_SETCURSOR:
      CallPrevWndProc(msg, next);
      return;
    case kSwallowedEditMessage:
      return;
    default:
      break;
  }
  TkaScrollWnd::WndProc(msg, next);
  switch (msg.msg) {
    case ws::WM_SIZE:
    case ws::WM_HSCROLL:
    case ws::WM_VSCROLL:
      if (!SendingScroll) RereadScrollInfo(true);
      break;
    case ws::WM_ENABLE:
    case ws::CM_ENABLEDCHANGED:
      if (Visible(WndHandle)) ws::SendMessage(WndHandle, ws::WM_NCPAINT, 0, 0);
      break;
    default:
      break;
  }
}

TkaEditWnd::~TkaEditWnd() {
  Destroy();
}

void TkaEditWnd::KeepOwnLook() {
  QWidget* c = OwnerControl();
  if (!c) return;
  kept_ = true;
  ownOpaque_ = c->testAttribute(Qt::WA_OpaquePaintEvent);
  ownPalette_ = c->testAttribute(Qt::WA_SetPalette);
  savedPalette_ = c->palette();
  // A control of ours with a colour property keeps its colour there.
  SavedColor = c->metaObject()->indexOfProperty("Color") >= 0
                   ? ColorPropOf(c, "Color")
                   : TColor(ws::FromQColor(c->palette().color(kFace)));
  SavedFontColor = TColor(ws::FromQColor(c->palette().color(kText)));
  if (c->metaObject()->indexOfProperty("FocusColor") >= 0)
    SavedFocusColor = ColorPropOf(c, "FocusColor");
}

void TkaEditWnd::RestoreOwnLook() {
  ws::SetWindowPos(WndHandle, 0, 0, 0, 0,
                   ws::SWP_NOSIZE | ws::SWP_NOMOVE | ws::SWP_NOZORDER | ws::SWP_FRAMECHANGED |
                       ws::SWP_NOOWNERZORDER);
  QWidget* c = OwnerControl();
  if (!c || !kept_) return;
  // The whole palette back, so that one the control inherited stays
  // inherited.
  c->setPalette(ownPalette_ ? savedPalette_ : QPalette());
  if (!ownPalette_) c->setAttribute(Qt::WA_SetPalette, false);
  // Its own painting fills its face again.
  c->setAttribute(Qt::WA_OpaquePaintEvent, ownOpaque_);
  SetOrdPropIfAny(c, "Color", SavedColor);
  SetOrdPropIfAny(c, "FocusColor", SavedFocusColor);
}

void TkaEditWnd::ApplySectionLook() {
  OwnStyleChange = true;
  LookApplied = true;
  TkSkinManager* m = LinkManager();
  const TkGeneralData* section = SkinLink ? SkinLink->Section() : nullptr;
  if (QWidget* c = OwnerControl()) {
    c->setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette pal = c->palette();
    if (!SkinLink->CustomColor) {
      const TColor v = SkinLink->BgColor(SkinLink->IsActive() ? 1 : 0);
      if (c->metaObject()->indexOfProperty("FocusColor") >= 0) {
        if (ColorPropOf(c, "Color") != TColor(ws::ColorToRGB(v))) SetOrdPropIfAny(c, "Color", v);
        SetOrdPropIfAny(c, "FocusColor", v);
      } else if (pal.color(kFace) != QColorOf(v)) {
        pal.setColor(kFace, QColorOf(v));
      }
    }
    if (!SkinLink->CustomFont && section && pal.color(kText) != QColorOf(section->HotFontColor[0]))
      pal.setColor(kText, QColorOf(section->HotFontColor[0]));
    if (pal != c->palette()) c->setPalette(pal);
  } else {
    PaintColor = !InDialog && m && m->IsValidSkinIndex(SkinLink->SkinIndex) && section
                     ? section->Color
                     : ws::clWindow;
    PaintFrameColor = 0;
  }
  if (SkinLink) SkinLink->BGChanged = true;
  OwnStyleChange = false;
}

void TkaEditWnd::PaintFrameInto(ws::Dc& dc, int border) {
  if (!SkinLink->FCacheBmp.isNull() && border > 0) {
    ws::Dc cache(SkinLink->FCacheBmp);
    BitBltFrame(dc, 0, 0, border, SkinLink->FCacheBmp.height(), SkinLink->FCacheBmp.width(), cache,
                0, 0);
  }
  PaintScrollBars(&dc, -1);
}

void TkaEditWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (Released || !LinkSkinned()) {
    TkaBaseWnd::WndProc(msg, next);
    return;
  }
  HandleSkinned(msg, next);
}

void TkaEditWnd::HandleSkinned(Msg& msg, const NextHandler& next) {
  QWidget* w = ws::WidgetOf(WndHandle);
  const bool visible = w && w->isVisible();
  switch (msg.msg) {
    case SM_SKINCMD:
      switch (ws::HiWord(msg.wParam)) {
        case scRepaint:
          if (!IsOurs(msg, LinkManager())) break;
          TkaBaseWnd::WndProc(msg, next);
          ApplySectionLook();
          return;
        case scIsSkinned:
          msg.result = 1;
          return;
        case scUpdateScrolls:
          GetWndGeometry(*this);
          PaintWndBorder(SkinLink, WndHandle, InDialog);
          UpdateWndCorners(SkinLink, 0, *this);
          return;
        case scGetSectionIndex:
          msg.result = SkinLink->SkinIndex + 1;
          return;
        case scGetApplication:
          msg.result = ws::LRESULT(QCoreApplication::instance());
          return;
        default:
          break;
      }
      break;
    case ws::WM_PAINT:
      if (!visible) break;
      SkinLink->SetHot(SkinLink->IsHot());
      if (!SkinLink->FHot && !FormAnimating()) {
        PaintScrollBars(nullptr, -1);
        if (!LookApplied) ApplySectionLook();
        break;
      }
      return;  // validated unpainted
    case ws::WM_ERASEBKGND:
      if (!visible) break;
      SkinLink->SetHot(SkinLink->IsHot());
      if (SkinLink->FHot) return;
      if (!LookApplied) ApplySectionLook();
      break;
    case ws::WM_NCPAINT:
      if (!visible) break;
      if (FormAnimating()) return;
      try {
        GetWndGeometry(*this);
        SkinLink->SetHot(SkinLink->IsHot());
        if (SkinLink->FHot) return;
        if (SkinLink->BGChanged) {
          if (!LookApplied) ApplySectionLook();
          PaintWndBorder(SkinLink, WndHandle, InDialog);
        }
        if (auto dc = ws::GetWindowDC(WndHandle)) PaintFrameInto(*dc, EdgeLeft);
      } catch (const std::exception&) {
        // A failing paint leaves the border as it was.
      }
      return;
    case ws::WM_PRINT: {
      auto* dc = reinterpret_cast<ws::Dc*>(msg.wParam);
      GetWndGeometry(*this);
      SkinLink->SetHot(false);
      SkinLink->BGChanged = true;
      if (!LookApplied) ApplySectionLook();
      PaintWndBorder(SkinLink, WndHandle, InDialog);
      if (!InDialog) UpdateWndCorners(SkinLink, 0, *this);
      if (dc) {
        PaintFrameInto(*dc, EdgeLeft);
        // The client painted inside the border and the bars.
        const QSize size = SkinLink->FCacheBmp.size();
        int right = size.width() - 2 * EdgeLeft, bottom = size.height() - 2 * EdgeLeft;
        if (VertBar && VertBar->Shown) right -= ScrollBarPartSize(*VertBar, 1, false);
        if (HorzBar && HorzBar->Shown) bottom -= ScrollBarPartSize(*HorzBar, 1, false);
        dc->SaveDC();
        dc->OffsetViewportOrg(EdgeLeft, EdgeLeft);
        dc->IntersectClipRect(0, 0, right, bottom);
        for (unsigned client : {unsigned(ws::WM_ERASEBKGND), unsigned(ws::WM_PAINT)})
          ws::SendMessage(WndHandle, client, msg.wParam, 0);
        constexpr ws::LPARAM kClientAndOwned = 0x4 | 0x20;
        ws::SendMessage(WndHandle, ws::WM_PRINTCLIENT, msg.wParam, kClientAndOwned);
        dc->RestoreDC(-1);
      }
      CallPrevWndProc(msg, next);
      return;
    }
    case ws::CM_FONTCHANGED:
      Redraw(WndHandle);
      break;
    default:
      break;
  }
  TkaBaseWnd::WndProc(msg, next);
  // An empty list has no top item.
  if (msg.msg == LB_GETTOPINDEX && msg.result == 0)
    if (auto* list = qobject_cast<QAbstractItemView*>(OwnerControl());
        list && (!list->model() || list->model()->rowCount(list->rootIndex()) == 0))
      msg.result = -1;
  After(msg);
}

void TkaEditWnd::After(const Msg& msg) {
  QWidget* w = ws::WidgetOf(WndHandle);
  QWidget* c = OwnerControl();
  switch (msg.msg) {
    case ws::WM_SIZE:
      if (w && w->isVisible()) ws::SendMessage(WndHandle, ws::WM_NCPAINT, 0, 0);
      break;
    case ws::WM_SETFOCUS:
    case ws::WM_KILLFOCUS:
      // A border with its own focused image shows the focus.
      if (HasStatefulBorder(SkinLink) && c && (c->focusPolicy() & Qt::TabFocus)) {
        SkinLink->BGChanged = true;
        SkinLink->FocusMark = msg.msg == ws::WM_SETFOCUS;
        Redraw(WndHandle);
      }
      break;
    case ws::WM_KEYDOWN:
    case ws::WM_KEYUP:
    case ws::WM_LBUTTONDOWN:
    case ws::CN_KEYDOWN:
    case ws::CN_KEYUP:
      if (!SendingScroll) RereadScrollInfo(true);
      break;
    case EM_REPLACESEL:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_SETCURSEL:
    case LB_SETTOPINDEX:
      RereadScrollInfo(true);
      break;
    case ws::WM_MOUSEMOVE:
      if (!SkinLink->FHot && ws::GetCapture()) RereadScrollInfo(true);
      break;
    case ws::CM_MOUSEENTER:
      if (HasStatefulBorder(SkinLink)) {
        SkinLink->HotTracked = true;
        if (SkinLink->CtrlSkinState == kGlowingEditKind) SkinLink->UpdateGlow(false);
        SkinLink->BGChanged = true;
        Redraw(WndHandle);
      }
      break;
    case ws::CM_MOUSELEAVE:
      if (HasStatefulBorder(SkinLink)) {
        SkinLink->HotTracked = false;
        SkinLink->BGChanged = true;
        Redraw(WndHandle);
        ClearGlows();
      }
      break;
    default:
      break;
  }
}

void TkaComboListWnd::UpdateListBorder() {
  GetWndGeometry(*this);
  if (IsSimpleList) {
    SendSkinCommand(WndHandle, scUpdateScrolls, 0);
    return;
  }
  SkinLink->UpdateIndexes();
  ApplySectionLook();
  QImage& cache = SkinLink->FCacheBmp;
  if (cache.size() != Extent || cache.format() != QImage::Format_BGR888)
    cache = CreateBmp24(Extent.width(), Extent.height());
  ws::Dc dc(cache);
  dc.SelectBrush(ws::Brush::SolidColor(ws::ColorToRGB(PaintColor)));
  dc.SelectPen(ws::Pen{ws::PenStyle::Solid, 1, ws::ColorToRGB(PaintFrameColor)});
  dc.Rectangle(0, 0, cache.width(), cache.height());
  SkinLink->BGChanged = false;
}

void TkaComboListWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (Released || !LinkSkinned()) {
    TkaEditWnd::WndProc(msg, next);
    return;
  }
  switch (msg.msg) {
    case ws::WM_ERASEBKGND:
    case ws::WM_HSCROLL:
    case ws::WM_VSCROLL:
      CallPrevWndProc(msg, next);
      return;
    case ws::WM_NCCALCSIZE:
      CalcSize(msg, next);
      return;
    case ws::WM_NCPAINT: {
      if (SendingScroll) break;
      GetWndGeometry(*this);
      UpdateListBorder();
      if (!InDialog) UpdateWndCorners(SkinLink, 0, *this);
      if (auto dc = ws::GetWindowDC(WndHandle)) PaintFrameInto(*dc, 2);
      return;
    }
    case ws::WM_NCLBUTTONDOWN:
    case ws::WM_NCLBUTTONDBLCLK: {
      const int hit = HitTest(ws::XOf(msg.lParam), ws::YOf(msg.lParam));
      if (hit == ws::HTHSCROLL || hit == ws::HTVSCROLL)
        Press(hit, ws::XOf(msg.lParam), ws::YOf(msg.lParam));
      return;
    }
    case LBCB_STARTTRACK:
      DroppedDown = true;
      break;
    case LBCB_ENDTRACK:
      DroppedDown = false;
      SkinLink->BGChanged = true;
      break;
    case ws::WM_LBUTTONUP: {
      const QPoint s = QPoint(ws::XOf(msg.lParam), ws::YOf(msg.lParam)) +
                       QPoint(ScreenRect.left, ScreenRect.top);
      const int hit = HitTest(s.x(), s.y());
      if (hit > ws::HTCLIENT) {
        EndPress(msg, next);
        if (IsSimpleList) ws::ReleaseCapture();
      } else {
        CallPrevWndProc(msg, next);
        ws::ReleaseCapture();
      }
      return;
    }
    case ws::WM_PRINT:
    case ws::WM_PRINTCLIENT:
      if (msg.wParam && Visible(WndHandle)) {
        UpdateListBorder();
        CallPrevWndProc(msg, next);
        if (msg.msg == ws::WM_PRINT) {
          auto* dc = reinterpret_cast<ws::Dc*>(msg.wParam);
          if (Tracking().PressedPart == -1 && !DroppedDown) {
            ws::Dc cache(SkinLink->FCacheBmp);
            BitBltFrame(*dc, 0, 0, 3, SkinLink->FCacheBmp.height(), SkinLink->FCacheBmp.width(),
                        cache, 0, 0);
          }
          PaintScrollBars(dc, -1);
        }
        return;
      }
      break;
    default:
      break;
  }
  TkaEditWnd::WndProc(msg, next);
  if (msg.msg == ws::WM_WINDOWPOSCHANGED) RereadScrollInfo(true);
}

void TkaTreeViewWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (Released || !LinkSkinned() || msg.msg != ws::WM_ERASEBKGND) {
    TkaEditWnd::WndProc(msg, next);
    if (msg.msg == ws::WM_LBUTTONUP && !Released) ws::ReleaseCapture();
    return;
  }
  // A tree that draws its items itself (a delegate of its own in place of
  // Qt's) erases its own way.
  auto* view = qobject_cast<QAbstractItemView*>(OwnerControl());
  if (view && view->itemDelegate() &&
      view->itemDelegate()->metaObject() != &QStyledItemDelegate::staticMetaObject) {
    CallPrevWndProc(msg, next);
    return;
  }
  SkinLink->SetHot(SkinLink->IsHot());
  if (SkinLink->FHot) return;
  if (SkinLink->BGChanged) PaintWndBorder(SkinLink, WndHandle, InDialog);
  const TkGeneralData* section = SkinLink->Section();
  const TColor color = InDialog || !section ? ws::clWindow : section->HotColor;
  std::unique_ptr<ws::Dc> own;
  auto* dc = reinterpret_cast<ws::Dc*>(msg.wParam);
  if (!dc) {
    own = ws::GetWindowDC(WndHandle);
    dc = own.get();
  }
  if (dc) ws::FillSolidRect(*dc, {0, 0, Extent.width(), Extent.height()}, ws::ColorToRGB(color));
  msg.result = 0;
}

void TkaTreeViewWnd::ApplySectionLook() {
  LookApplied = true;
  TColor color = ws::clWindow;
  if (!InDialog) {
    if (!SkinLink) return;
    const TkGeneralData* section = SkinLink->Section();
    if (!section) return;
    QWidget* c = OwnerControl();
    if (c && !SkinLink->CustomFont) {
      QPalette pal = c->palette();
      pal.setColor(kText, QColorOf(section->HotFontColor[0]));
      c->setPalette(pal);
    }
    if (SkinLink->CustomColor ||
        (c && ws::FromQColor(c->palette().color(kFace)) == ws::ColorToRGB(section->HotColor)))
      return;
    color = section->HotColor;
  }
  ws::SendMessage(WndHandle, TVM_SETBKCOLOR, 0, ws::LPARAM(ws::ColorToRGB(color)));
  // The tree's own background takes the colour.
  if (QWidget* c = OwnerControl()) {
    QPalette pal = c->palette();
    pal.setColor(kFace, QColorOf(color));
    c->setPalette(pal);
  }
}

void TkaTreeViewWnd::RestoreOwnLook() {
  TkaEditWnd::RestoreOwnLook();
  ws::SendMessage(WndHandle, TVM_SETBKCOLOR, 0, ws::LPARAM(ws::ColorToRGB(ws::clWindow)));
}

}  // namespace kelmo::skinwnd
