#include "skinwnd/panel_wnd.h"

#include <QApplication>
#include <QFrame>
#include <QWidget>
#include <algorithm>

#include "skin/control_utils.h"
#include "skin/item_painting.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_text.h"
#include "skinwnd/control_queries.h"
#include "winshim/draw_text.h"

namespace kelmo::skinwnd {

using namespace kelmo::skin;

namespace {

// The parent's answer to command 34 as a source placed at the window.
TBgSource ParentSourceAt(HWND wnd, QPoint pos, TParentBgInfo& info) {
  QWidget* w = ws::WidgetOf(wnd);
  info = {};
  if (w && w->parentWidget()) GetControlBgInfo(info, w->parentWidget(), false);
  TBgSource s = BgInfoToSource(info);
  if (s.HasBitmap) {
    s.X += pos.x();
    s.Y += pos.y();
  }
  return s;
}

void SetSection(TkCommonData& link, const QString& section) {
  link.SkinSection = section;
  link.UpdateIndexes();
}

}  // namespace

// Group box.

Rect TkaGroupBoxWnd::CaptionStrip() {
  QImage probe = CreateBmp24(1, 1);
  ws::Dc dc(probe);
  dc.SelectFont({FontOf(WndHandle), 0});
  Rect t{0, 0, 0, 0};
  ws::DrawText(dc, KeptText, t, ws::DT_CALCRECT | ws::DT_CENTER);
  Rect strip{6, 0, t.Width() + 14, std::max(4, t.Height()) + 2};
  if (Extent.width() < t.Width() + 14) strip.right = Extent.width() - 1;
  return strip;
}

void TkaGroupBoxWnd::PrepareGroupCache() {
  GetWndGeometry(*this);
  SizeLinkCache(SkinLink->FCacheBmp, Extent);
  QImage& cache = SkinLink->FCacheBmp;
  const int w = Extent.width(), h = Extent.height();
  const Rect strip = CaptionStrip();
  TParentBgInfo info;
  const TBgSource bg = ParentSourceAt(WndHandle, PosInParent, info);
  ws::Dc dc(cache);
  // The strip and the band beside it show the parent's background.
  auto parentBehind = [&](const Rect& r) {
    if (bg.HasBitmap && bg.Bitmap) {
      QImage& source = const_cast<QImage&>(*bg.Bitmap);
      ws::Dc src(source);
      dc.BitBlt(r.left, r.top, r.Width(), r.Height(), src, bg.X + r.left, bg.Y + r.top,
                ws::SRCCOPY);
    } else {
      ws::FillSolidRect(dc, r, ws::ColorToRGB(info.Color));
    }
  };
  parentBehind({0, 0, w, strip.bottom});
  PaintControlItem(*SkinLink, bg, true, true, cache, PosInParent, {0, strip.Height() / 2, w, h}, 0);
  if (!KeptText.isEmpty()) {
    parentBehind(strip);
    dc.SelectBrush(ws::Brush::Hollow());
    dc.SelectFont({FontOf(WndHandle), 0});
    DrawControlText(dc, KeptText, true, false, *SkinLink, 0x25, strip);
  }
  SkinLink->BGChanged = false;
}

void TkaGroupBoxWnd::PaintGroupBox(Msg& msg) {
  GetWndGeometry(*this);
  SkinLink->SetHot(SkinLink->IsHot());
  if (SkinLink->FHot) return;
  ws::Dc* dc = DcOf(msg);
  PrepareGroupCache();
  if (dc && InDialog) {
    // A dialog's group box leaves its inner area to the window.
    TkSkinManager* m = LinkManager();
    const int b = SkinLink->BorderIndex;
    const Rect strip = CaptionStrip();
    dc->SaveDC();
    dc->ExcludeClipRect(m ? m->MaskWidthLeft(b) : 0, strip.Height(),
                        Extent.width() - (m ? m->MaskWidthRight(b) : 0),
                        Extent.height() - (m ? m->MaskWidthBottom(b) : 0));
    BlitWhole(dc, WndHandle, SkinLink->FCacheBmp);
    dc->RestoreDC(-1);
  } else {
    BlitWhole(dc, WndHandle, SkinLink->FCacheBmp);
  }
  if (QWidget* w = ws::WidgetOf(WndHandle)) RecheckHotChildren(w);
}

void TkaGroupBoxWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (msg.msg == SM_SKINCMD) {
    const int command = ws::HiWord(msg.wParam);
    if (command == scRemoveSkin) {
      if (QWidget* owner = OwnerControl()) owner->setAttribute(Qt::WA_OpaquePaintEvent, false);
    } else if (command == scCaptionHeight) {
      GetWndGeometry(*this);
      msg.result = CaptionStrip().Height();
      return;
    }
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  switch (msg.msg) {
    case ws::WM_SETTEXT: {
      TkaMainWnd::WndProc(msg, next);
      SkinLink->BGChanged = true;
      Invalidate(WndHandle);
      return;
    }
    case ws::WM_PAINT:
      if (InDialog) break;
      PaintGroupBox(msg);
      msg.result = 0;
      return;
    case ws::WM_ERASEBKGND:
      if (InDialog) break;
      // Only a DC passed in both parameters is painted here; a paint
      // follows for the rest.
      if (msg.wParam && msg.wParam == ws::WPARAM(msg.lParam)) {
        ws::Dc* dc = DcOf(msg);
        if (SkinLink->BGChanged) PrepareGroupCache();
        if (!SkinLink->BGChanged) {
          if (SkinLink->MustRepaint())
            BlitWhole(dc, WndHandle, SkinLink->FCacheBmp);
          else
            ws::FillSolidRect(*dc, {0, 0, Extent.width(), Extent.height()},
                              ws::ColorToRGB(GetWndBgColor(WndHandle)));
        }
      }
      msg.result = 1;
      return;
    case ws::WM_NCPAINT: {
      if (!InDialog) break;
      // WM_NCPAINT carries a region, not a DC: the frame goes through the
      // window's own DC.
      auto dc = ws::GetWindowDC(WndHandle);
      Msg paint = msg;
      paint.wParam = ws::WPARAM(dc.get());
      PaintGroupBox(paint);
      if (dc) ws::ReleaseDC(WndHandle, std::move(dc));
      msg.result = 1;
      return;
    }
    case ws::WM_PARENTNOTIFY:
      TkaMainWnd::WndProc(msg, next);
      if (msg.wParam == ws::WM_CREATE)
        if (QWidget* owner = OwnerControl()) NotifyParentForm(owner);
      return;
    case ws::WM_PRINT:
      if (InDialog) break;
      SkinLink->BGChanged = true;
      msg.lParam = 1;
      PaintGroupBox(msg);
      return;
    default:
      break;
  }
  TkaMainWnd::WndProc(msg, next);
}

// Panel.

PanelBevels PanelBevelsOf(const QFrame& frame) {
  PanelBevels b;
  switch (frame.frameShadow()) {
    case QFrame::Raised:
      b.outer = bvRaised;
      break;
    case QFrame::Sunken:
      b.outer = bvLowered;
      break;
    default:
      b.outer = bvNone;
      break;
  }
  if (frame.frameShape() == QFrame::NoFrame) b.outer = bvNone;
  const QVariant inner = frame.property("bevelInner");
  if (inner.isValid()) b.inner = inner.toInt();
  b.singleBorder = frame.frameShape() == QFrame::Box && frame.frameShadow() == QFrame::Plain;
  return b;
}

QString PanelSectionFor(const PanelBevels& b) {
  switch (b.outer) {
    case bvLowered:
      return b.inner == bvRaised ? QStringLiteral("GROUPBOX") : QStringLiteral("PANEL_LOW");
    case bvRaised:
      return b.inner == bvLowered ? QStringLiteral("GROUPBOX") : QStringLiteral("PANEL");
    default:
      return b.singleBorder ? QStringLiteral("PANEL_LOW") : QStringLiteral("CHECKBOX");
  }
}

TkaPanelWnd::TkaPanelWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                         const QString& sectionName, bool repaint)
    : TkaMainWnd(wnd, link, manager, sectionName, repaint) {
  if (auto* frame = qobject_cast<QFrame*>(OwnerControl()))
    SetSection(*SkinLink, PanelSectionFor(PanelBevelsOf(*frame)));
}

int TkaPanelWnd::Border() const {
  auto* frame = qobject_cast<QFrame*>(ws::WidgetOf(WndHandle));
  return frame ? frame->frameWidth() : 0;
}

void TkaPanelWnd::PrepareCache() {
  GetWndGeometry(*this);
  SizeLinkCache(SkinLink->FCacheBmp, Extent);
  QImage& cache = SkinLink->FCacheBmp;
  TParentBgInfo info;
  const TBgSource bg = SkinLink->GetParentBg(info);
  PaintControlItem(*SkinLink, bg, true, true, cache, PosInParent,
                   {0, 0, Extent.width(), Extent.height()}, 0);
  if (!KeptText.isEmpty()) {
    // The caption in the middle of the client area, one line of "W" high.
    QWidget* w = ws::WidgetOf(WndHandle);
    const QRect c = w ? w->contentsRect() : QRect();
    const QFont font = FontOf(WndHandle);
    const int th = TextExtentOf(font, QStringLiteral("W")).height();
    const int top = (c.top() + c.bottom() + 1 - th) / 2;
    ws::Dc dc(cache);
    dc.SelectBrush(ws::Brush::Hollow());
    dc.SelectFont({font, 0});
    DrawControlText(dc, KeptText, WndEnabled(WndHandle), false, *SkinLink,
                    ws::DT_CENTER | ws::DT_VCENTER, {c.left(), top, c.right() + 1, top + th});
  }
  SkinLink->BGChanged = false;
}

void TkaPanelWnd::PaintPanel(ws::Dc* dc) {
  QWidget* w = ws::WidgetOf(WndHandle);
  if (!w || (w->parentWidget() && !w->parentWidget()->isVisible() && !w->isVisible())) return;
  SkinLink->SetHot(SkinLink->IsHot());
  if (SkinLink->FHot) return;
  const bool stale = SkinLink->HalfVisible || SkinLink->BGChanged;
  SkinLink->HalfVisible = false;
  if (stale) PrepareCache();
  const int b = Border();
  BlitCache(dc, WndHandle, SkinLink->FCacheBmp, {b, b, Extent.width() - b, Extent.height() - b});
  RecheckHotChildren(w);
}

void TkaPanelWnd::PaintPanelFrame(ws::Dc* dc) {
  GetWndGeometry(*this);
  BlitFrame(dc, WndHandle, SkinLink->FCacheBmp, Border());
}

void TkaPanelWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (msg.msg == SM_SKINCMD) {
    switch (ws::HiWord(msg.wParam)) {
      case scNewSkin:
      case scRepaint:
        TkaMainWnd::WndProc(msg, next);
        BroadcastToWndChildren(OwnerControl(), WndHandle, msg);
        return;
      case scRemoveSkin:
        SkinLink->SkinIndex = -1;
        if (QWidget* owner = OwnerControl()) owner->setAttribute(Qt::WA_OpaquePaintEvent, false);
        break;
      case scRecheckHot:
        SkinLink->SetHot(false);
        Invalidate(WndHandle);
        return;
      case scIsSkinned:
        msg.result = 1;
        return;
      case scUpdateScrolls:
        return;
      case scGetApplication:
        msg.result = ws::LRESULT(QCoreApplication::instance());
        return;
      default:
        break;
    }
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  if (SkinLink->Skinned()) {
    switch (msg.msg) {
      case ws::WM_SETTEXT:
        if (!WndVisible(WndHandle)) break;
        WithoutRedraw(WndHandle, [&] { TkaMainWnd::WndProc(msg, next); });
        SkinLink->BGChanged = true;
        Invalidate(WndHandle);
        return;
      case ws::WM_PAINT:
        // The frame strips stand for the non-client paint: a Qt frame is
        // painted with the widget.
        GetWndGeometry(*this);
        if (!DcOf(msg)) Invalidate(WndHandle);
        if (!SkinLink->FHot) PaintPanelFrame(DcOf(msg));
        return;
      case ws::WM_ERASEBKGND:
        GetWndGeometry(*this);
        PaintPanel(DcOf(msg));
        msg.result = 1;
        return;
      case ws::WM_UPDATEUISTATE:
        msg.result = 1;
        return;
      case ws::WM_NCPAINT:
        PaintPanelFrame(nullptr);
        msg.result = 0;
        return;
      case ws::WM_PARENTNOTIFY:
        TkaMainWnd::WndProc(msg, next);
        if (msg.wParam == ws::WM_CREATE)
          if (QWidget* owner = OwnerControl()) NotifyParentForm(owner);
        return;
      case ws::WM_PRINT:
        GetWndGeometry(*this);
        PaintPanel(DcOf(msg));
        PaintPanelFrame(DcOf(msg));
        return;
      default:
        break;
    }
  }
  TkaMainWnd::WndProc(msg, next);
}

// Dialog panel.

TkaDlgPanelWnd::TkaDlgPanelWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                               const QString& sectionName, bool repaint)
    : TkaMainWnd(wnd, link, manager, sectionName, repaint) {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (ws::FindHandle(top) == wnd) PanelControl = top;
    if (!PanelControl) PanelControl = FindControlByHandle(top, wnd);
    if (PanelControl) break;
  }
  const bool plainPanel = PanelControl && ws::GetClassName(wnd) == QLatin1String("TPanel");
  if (!plainPanel) PanelControl = nullptr;
  SetSection(*SkinLink, plainPanel ? QStringLiteral("CHECKBOX") : QStringLiteral("GROUPBOX"));
}

void TkaDlgPanelWnd::KeepOwnLook() {
  if (PanelControl) ownPalette_ = PanelControl->palette();
  SetGlobalColor();
}

void TkaDlgPanelWnd::RestoreOwnLook() {
  if (PanelControl && ownPalette_) PanelControl->setPalette(*ownPalette_);
}

void TkaDlgPanelWnd::SetGlobalColor() {
  TkSkinManager* m = LinkManager();
  if (!PanelControl || !m) return;
  const QColor global = ws::ToQColor(m->GetGlobalColor());
  if (PanelControl->palette().color(QPalette::Window) == global) return;
  QPalette p = PanelControl->palette();
  p.setColor(QPalette::Window, global);
  PanelControl->setPalette(p);
}

void TkaDlgPanelWnd::ApplySectionLook() {
  TkaMainWnd::ApplySectionLook();
  SetGlobalColor();
}

void TkaDlgPanelWnd::PrepareCache() {
  GetWndGeometry(*this);
  SizeLinkCache(SkinLink->FCacheBmp, Extent);
  TParentBgInfo info;
  const TBgSource bg = ParentSourceAt(WndHandle, PosInParent, info);
  PaintControlItem(*SkinLink, bg, true, true, SkinLink->FCacheBmp, PosInParent,
                   {0, 0, Extent.width(), Extent.height()}, 0);
  SkinLink->BGChanged = false;
}

void TkaDlgPanelWnd::PaintDlgPanelClient(ws::Dc* dc) {
  if (!SkinLink->Skinned()) return;
  SkinLink->SetHot(SkinLink->IsHot());
  if (SkinLink->FHot) return;
  PrepareCache();
  auto* frame = qobject_cast<QFrame*>(ws::WidgetOf(WndHandle));
  const int b = frame ? frame->frameWidth() : 0;
  BlitCache(dc, WndHandle, SkinLink->FCacheBmp, {b, b, Extent.width() - b, Extent.height() - b});
}

void TkaDlgPanelWnd::PaintDlgPanelFrame(ws::Dc* dc) {
  auto* frame = qobject_cast<QFrame*>(ws::WidgetOf(WndHandle));
  const int b = frame ? frame->frameWidth() : 0;
  if (b < -5) return;
  SkinLink->BGChanged = true;
  PrepareCache();
  // The skinned frame reaches 6 pixels into the client area.
  BlitFrame(dc, WndHandle, SkinLink->FCacheBmp, b + 6);
}

void TkaDlgPanelWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (msg.msg == SM_SKINCMD) {
    if (ws::HiWord(msg.wParam) == scNewSkin) BroadcastToWndChildren(OwnerControl(), WndHandle, msg);
    TkaMainWnd::WndProc(msg, next);
    return;
  }
  switch (msg.msg) {
    case ws::WM_SETTEXT:
      if (WndVisible(WndHandle)) SkinLink->BGChanged = true;
      break;
    case ws::WM_PAINT:
      SetGlobalColor();
      // The frame strips stand for the non-client paint.
      if (DcOf(msg)) PaintDlgPanelFrame(DcOf(msg));
      return;
    case ws::WM_ERASEBKGND:
      if (ws::Dc* dc = DcOf(msg)) {
        dc->SaveDC();
        PaintDlgPanelClient(dc);
        dc->RestoreDC(-1);
      }
      msg.result = 1;
      return;
    case ws::WM_NCPAINT:
      PaintDlgPanelFrame(nullptr);
      msg.result = 1;
      return;
    case ws::WM_UPDATEUISTATE:
      msg.result = 1;
      return;
    case ws::WM_PARENTNOTIFY:
      TkaMainWnd::WndProc(msg, next);
      SetGlobalColor();
      if (msg.wParam == ws::WM_CREATE && PanelControl) NotifyParentForm(PanelControl);
      return;
    case ws::WM_PRINT:
      PaintDlgPanelClient(DcOf(msg));
      PaintDlgPanelFrame(DcOf(msg));
      return;
    case ws::WM_THEMECHANGED:
      if (PanelControl) {
        QPalette p = PanelControl->palette();
        p.setColor(QPalette::Window, ws::ToQColor(ws::GetSysColor(ws::COLOR_BTNFACE)));
        PanelControl->setPalette(p);
      }
      break;
    default:
      break;
  }
  TkaMainWnd::WndProc(msg, next);
}

// Transparent panel.

void TkaTransPanelWnd::WndProc(Msg& msg, const NextHandler& next) {
  switch (msg.msg) {
    case ws::WM_ERASEBKGND:
      PaintWhole(DcOf(msg));
      return;
    case ws::WM_PAINT:
      // Painted on erase; the window's own paint would cover it.
      if (DcOf(msg)) return;
      break;
    case ws::WM_NCPAINT:
      return;
    default:
      break;
  }
  TkaMainWnd::WndProc(msg, next);
}

void TkaTransPanelWnd::PaintWhole(ws::Dc* dc) {
  GetWndGeometry(*this);
  SkinLink->BGChanged = true;
  // The root paints the section over the parent's background.
  SendSkinCommand(WndHandle, scUpdateScrolls, 0);
  BlitWhole(dc, WndHandle, SkinLink->FCacheBmp);
}

}  // namespace kelmo::skinwnd
