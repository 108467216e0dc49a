#include "skinwnd/static_wnd.h"

#include <QApplication>
#include <QWidget>

#include "skin/skin_manager.h"
#include "skin/skin_text.h"
#include "skinwnd/control_queries.h"
#include "winshim/draw_text.h"

namespace kelmo::skinwnd {

using namespace kelmo::skin;

void TkaStaticWnd::WndProc(Msg& msg, const NextHandler& next) {
  // A static that takes the focus or has a sunken edge paints itself.
  if (StyleOf(WndHandle) & WS_TABSTOP || ExStyleOf(WndHandle) & WS_EX_STATICEDGE) {
    RootProc(msg, next);
    return;
  }
  StaticProc(msg, next, true, &TkaStaticWnd::RootProc);
}

void TkaStaticWnd::StaticProc(Msg& msg, const NextHandler& next, bool handleEnable,
                              void (TkaStaticWnd::*other)(Msg&, const NextHandler&)) {
  switch (msg.msg) {
    case ws::WM_ENABLE:
      if (!handleEnable) break;
      [[fallthrough]];
    case ws::WM_MOVE:
      SkinLink->BGChanged = true;
      msg.result = CallPrevWndProc(msg, next);
      Invalidate(WndHandle);
      return;
    case ws::WM_SETTEXT:
      msg.result = CallPrevWndProc(msg, next);
      KeptText = WindowTextOf(WndHandle);
      SkinLink->BGChanged = true;
      Invalidate(WndHandle);
      return;
    case ws::WM_PAINT:
      // The picture is made on erase; the paint only validates.
      return;
    case ws::WM_ERASEBKGND:
      if (WndVisible(WndHandle)) {
        PaintStaticCache(msg);
        msg.result = 1;
        return;
      }
      RootProc(msg, next);
      return;
    case ws::WM_NCPAINT:
      return;
    default:
      break;
  }
  (this->*other)(msg, next);
}

void TkaStaticWnd::PaintStaticCache(Msg& msg) {
  GetWndGeometry(*this);
  ws::Dc* dc = DcOf(msg);
  if (dc) dc->SaveDC();
  SkinLink->BGChanged = true;
  PaintWndBorder(SkinLink, WndHandle, false);
  if (!SkinLink->FCacheBmp.isNull()) {
    ws::Dc cache(SkinLink->FCacheBmp);
    PaintText(cache);
  }
  BlitWhole(dc, WndHandle, SkinLink->FCacheBmp);
  if (dc) dc->RestoreDC(-1);
}

void TkaStaticWnd::PaintText(ws::Dc& cache) {
  cache.SelectBrush(ws::Brush::Hollow());
  cache.SelectFont({FontOf(WndHandle), 0});
  // The static's own alignment is not consulted; only the right-to-left
  // reading order right-aligns.
  unsigned format = ws::DT_WORDBREAK | ws::DT_EXPANDTABS | ws::DT_NOCLIP;
  if (ExStyleOf(WndHandle) & WS_EX_RIGHT) format |= ws::DT_RIGHT;
  DrawControlText(cache, KeptText, true, false, *SkinLink, format,
                  {0, 0, Extent.width(), Extent.height()});
}

TkaIconWnd::TkaIconWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                       const QString& sectionName, bool repaint)
    : TkaStaticWnd(wnd, link, manager, sectionName, repaint) {
  ShowsBitmap = (StyleOf(wnd) & SS_TYPEMASK) != SS_ICON;
}

void TkaIconWnd::PaintText(ws::Dc& cache) {
  if (!ShowsBitmap) {
    // The icon is read anew on every paint.
    const QImage icon = StaticImageOf(WndHandle, true);
    if (!icon.isNull()) cache.DrawIconEx(0, 0, icon);
    return;
  }
  if (!BitmapCopy) BitmapCopy = StaticImageOf(WndHandle, false);
  if (!BitmapCopy->isNull()) cache.DrawIconEx(0, 0, *BitmapCopy);
}

void TkaLinkWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (ExStyleOf(WndHandle) & WS_EX_STATICEDGE) {
    StaticWndProc(msg, next);
    return;
  }
  StaticProc(msg, next, false, &TkaLinkWnd::StaticWndProc);
}

void TkaLinkWnd::PaintText(ws::Dc& cache) {
  cache.SelectBrush(ws::Brush::Hollow());
  // The message font of the system, underlined.
  QFont font = QApplication::font("QMessageBox");
  font.setUnderline(true);
  cache.SelectFont({font, 0});
  QString text = KeptText;
  text.remove(QStringLiteral("<A>")).remove(QStringLiteral("</A>"));
  // The section's font colours in the link's own font (a control's text
  // would take the widget's font).
  DrawSectionText(cache, text, true, SkinLink->GetSkinManager(), false, SkinLink->SkinIndex,
                  ws::DT_WORDBREAK | ws::DT_EXPANDTABS | ws::DT_NOCLIP,
                  {0, 0, Extent.width() + 4, Extent.height()});
}

StaticWrapperKind StaticWrapperKindOf(std::uint32_t style) {
  switch (style & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_LEFTNOWORDWRAP:
      return StaticWrapperKind::Text;
    case SS_ICON:
    case SS_BITMAP:
      return StaticWrapperKind::Picture;
    default:
      return StaticWrapperKind::None;
  }
}

std::unique_ptr<TkaMainWnd> WrapStaticWnd(HWND wnd, TkSkinManager* manager) {
  const QString section = QStringLiteral("CHECKBOX");
  switch (StaticWrapperKindOf(StyleOf(wnd))) {
    case StaticWrapperKind::Text:
      return MakeWrapper<TkaStaticWnd>(wnd, nullptr, manager, section, false);
    case StaticWrapperKind::Picture:
      return MakeWrapper<TkaIconWnd>(wnd, nullptr, manager, section, false);
    case StaticWrapperKind::None:
      break;
  }
  return nullptr;
}

}  // namespace kelmo::skinwnd
