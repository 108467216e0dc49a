#include "skinwnd/combo_box_wnd.h"

#include <QWidget>

#include "skin/item_painting.h"
#include "skin/paint_primitives.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_text.h"
#include "skinwnd/control_answers.h"
#include "skinwnd/control_messages.h"
#include "skinwnd/control_queries.h"
#include "skinwnd/own_face.h"
#include "skinwnd/section_glyphs.h"
#include "winshim/draw_text.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

bool RightToLeft(HWND wnd) {
  return ws::GetWindowLong(wnd, ws::GWL_EXSTYLE) & WS_EX_RTLREADING;
}
bool Simple(HWND wnd) {
  return (StyleOf(wnd) & CBS_DROPDOWNLIST) == CBS_SIMPLE;
}

}  // namespace

TkaComboBoxWnd::TkaComboBoxWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                               const QString& sectionName, bool repaint)
    : TkaEditWnd(wnd, link, manager, sectionName, repaint) {}

TkaComboBoxWnd::~TkaComboBoxWnd() {
  ListWrapper.reset();
  Destroy();
}

void TkaComboBoxWnd::Init(bool repaint) {
  AnswerControlMessages(WndHandle);
  TkaEditWnd::Init(repaint);
  // A combo box's border strips are 3 pixels wide; it has no non-client
  // space of its own to calculate them from.
  EdgeLeft = 3;
}

int TkaComboBoxWnd::ButtonWidth(bool hasButton) const {
  return hasButton ? ws::GetSystemMetrics(ws::SM_CXVSCROLL) : 0;
}

void TkaComboBoxWnd::ButtonRect(Rect& r) const {
  QWidget* w = ws::WidgetOf(WndHandle);
  if (!w) return;
  const int b = ButtonWidth(StyleOf(WndHandle) & CBS_DROPDOWN);
  r.left = RightToLeft(WndHandle) ? 2 : w->width() - b - 2;
  r.top = 2;
  r.right = r.left + b;
  r.bottom = w->height() - 2;
}

int TkaComboBoxWnd::ButtonState() const {
  if (ListWnd && ws::IsWindow(ListWnd) && ws::WidgetOf(ListWnd)->isVisible()) return 2;
  const TkSkinManager* def = TkSkinManager::Default();
  if (SkinLink->IsActive() ||
      (def && def->Component && def->Component->ActiveControl() == WndHandle))
    return 1;
  return 0;
}

void TkaComboBoxWnd::PaintButton(ws::Dc& dc) {
  TkSkinManager* m = LinkManager();
  QWidget* w = ws::WidgetOf(WndHandle);
  if (!m || !w || SkinLink->FCacheBmp.isNull()) return;
  const int state = ButtonState();
  Rect button;
  ButtonRect(button);
  QImage bmp = SkinLink->FCacheBmp.copy();
  const int si = m->GetSkinIndex(QStringLiteral("COMBOBTN"));
  if (m->IsValidSkinIndex(si)) {
    const QImage behind = bmp.copy();
    PaintItem(si, QStringLiteral("COMBOBTN"), BgSourceFromBmp(&behind, 0, 0),
              m->GetTextureIndex(si, QStringLiteral("COMBOBTN"), QStringLiteral("HOTPATTERN")),
              m->GetTextureIndex(si, QStringLiteral("COMBOBTN"), QStringLiteral("PATTERN")), m, bmp,
              {0, 0}, button, state, true);
  }
  const int glyph = GlyphMaskIndex(m, QStringLiteral("COMBOBOX"));
  const QSize size = GlyphSize(m, glyph);
  const int glyphHeight = glyph >= 0 ? size.height() : 16;
  if (glyph >= 0)
    PaintGlyph(bmp, m, glyph,
               {button.left + (button.Width() - size.width()) / 2, (w->height() - glyphHeight) / 2},
               state);
  ws::Dc src(bmp);
  dc.BitBlt(button.left, button.top, button.Width(), button.Height(), src, button.left, button.top,
            ws::SRCCOPY);
}

void TkaComboBoxWnd::RepaintButton() {
  if (QWidget* w = ws::WidgetOf(WndHandle)) w->update();
}

void TkaComboBoxWnd::DrawComboText() {
  QWidget* w = ws::WidgetOf(WndHandle);
  if (!w || SkinLink->FCacheBmp.isNull()) return;
  ws::Dc dc(SkinLink->FCacheBmp);
  dc.SelectFont(ws::Font{OwnerControl() ? OwnerControl()->font() : w->font(), 0});
  Rect button;
  ButtonRect(button);
  Rect text = RightToLeft(WndHandle) ? Rect{button.right, 3, w->width() - 3, w->height() - 3}
                                     : Rect{3, 3, button.left, w->height() - 3};
  QString s;
  const int selected = int(ws::SendMessage(WndHandle, CB_GETCURSEL));
  if (selected >= 0)
    ws::SendMessage(WndHandle, CB_GETLBTEXT, ws::WPARAM(selected), ws::LPARAM(&s));
  else
    ws::SendMessage(WndHandle, ws::WM_GETTEXT,
                    ws::WPARAM(ws::SendMessage(WndHandle, WM_GETTEXTLENGTH) + 1), ws::LPARAM(&s));
  const bool list = (StyleOf(WndHandle) & CBS_DROPDOWNLIST) == CBS_DROPDOWNLIST;
  const bool focused = list && w->hasFocus();
  dc.SetTextColor(ws::FromQColor(w->palette().color(QPalette::Text)));
  if (focused) {
    ws::FillSolidRect(dc, text, ws::ColorToRGB(ws::clHighlight));
    dc.SetTextColor(ws::ColorToRGB(ws::clHighlightText));
  }
  dc.SetBkMode(ws::TRANSPARENT);
  Rect at = list ? text.Offset(1, 1) : text;
  ws::DrawText(dc, s, at, ws::DT_SINGLELINE | ws::DT_NOPREFIX);
  if (focused) dc.DrawFocusRect(text);
}

void TkaComboBoxWnd::PaintSimpleBorder() {
  QWidget* w = ws::WidgetOf(WndHandle);
  const TkSkinManager* def = TkSkinManager::Default();
  if (!w) return;
  const int height = int(ws::SendMessage(WndHandle, CB_GETITEMHEIGHT)) + 8;
  SkinLink->FCacheBmp = CreateBmp24(w->width(), height);
  const Rect all{0, 0, w->width(), height};
  if (InDialog && def && def->SkinData.PlainBorderColor != kTransparentKey) {
    ws::Dc dc(SkinLink->FCacheBmp);
    ws::FillSolidRect(dc, all, ws::ColorToRGB(ws::clWindow));
    FillDCFrame(dc, all, def->SkinData.PlainBorderColor, 1, 1, 1, 1);
  } else {
    TParentBgInfo info;
    PaintControlItem(*SkinLink, SkinLink->GetParentBg(info), true, true, SkinLink->FCacheBmp,
                     w->pos(), all, SkinLink->IsActive() ? 1 : 0);
  }
}

void TkaComboBoxWnd::PaintFace(ws::Dc& dc) {
  QWidget* w = ws::WidgetOf(WndHandle);
  if (!w) return;
  if (Simple(WndHandle)) {
    PaintSimpleBorder();
  } else {
    SkinLink->BGChanged = true;
    SendSkinCommand(WndHandle, scUpdateScrolls, 0);
  }
  if (SkinLink->FCacheBmp.isNull()) return;
  ws::Dc src(SkinLink->FCacheBmp);
  BitBltFrame(dc, 0, 0, EdgeLeft, SkinLink->FCacheBmp.height(), SkinLink->FCacheBmp.width(), src, 0,
              0);
  if (!Simple(WndHandle)) PaintButton(dc);
}

void TkaComboBoxWnd::ColourList(Msg& msg) {
  if (!ListWnd) {
    ListWnd = HWND(msg.lParam);
    if (!ListWrapper) {
      const bool dialog = !OwnerControl();
      if (dialog) WrapperState().WrappingDialog = InDialog;
      ListWrapper =
          MakeWrapper<TkaComboListWnd>(ListWnd, nullptr, LinkManager(), QStringLiteral("EDIT"),
                                       ws::SendMessage(WndHandle, CB_GETCOUNT) > 0);
      if (dialog) WrapperState().WrappingDialog = false;
    }
    ListWrapper->IsSimpleList = Simple(WndHandle);
  }
  const int section = int(SendSkinCommand(ListWnd, scGetSectionIndex, 0)) - 1;
  const TkSkinManager* m = LinkManager();
  if (!m || !m->IsValidSkinIndex(section) || InDialog || !msg.wParam) return;
  const TkGeneralData& s = m->gd[std::size_t(section)];
  auto& dc = *reinterpret_cast<ws::Dc*>(msg.wParam);
  if (s.FontColor[0] >= 0) dc.SetTextColor(ws::ColorToRGB(TColor(s.FontColor[0])));
  const ws::ColorRef colour = ws::ColorToRGB(s.Color);
  dc.SetBkColor(colour);
  if (!listBrush_ || listBrush_->color != colour)
    listBrush_ = std::make_unique<ws::Brush>(ws::Brush::SolidColor(colour));
  msg.result = ws::LRESULT(listBrush_.get());
}

void TkaComboBoxWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (IsOwnFacePaint(WndHandle, msg)) {
    next(msg);
    return;
  }
  switch (msg.msg) {
    case SM_SKINCMD:
      if (const int c = ws::HiWord(msg.wParam); c == scMouseEnter || c == scMouseLeave) {
        TkaEditWnd::WndProc(msg, next);
        RepaintButton();
        return;
      }
      break;
    case ws::WM_SETFOCUS:
    case ws::WM_KILLFOCUS:
    case ws::WM_LBUTTONUP:
      TkaEditWnd::WndProc(msg, next);
      RepaintButton();
      return;
    case ws::WM_PAINT: {
      if (!SkinInForce()) break;
      if (!LookApplied) ApplySectionLook();
      GetWndGeometry(*this);
      auto* dc = reinterpret_cast<ws::Dc*>(msg.wParam);
      if (!dc) {
        RepaintButton();
        return;
      }
      // The combo box's own face first, the skinned border and button over it.
      PaintOwnFace(WndHandle, *dc);
      SkinLink->SetHot(SkinLink->IsHot());
      if (!SkinLink->FHot) PaintFace(*dc);
      msg.result = 0;
      return;
    }
    case ws::WM_ERASEBKGND:
      if (!SkinInForce()) break;
      return;
    case WM_DRAWITEM:
      CallPrevWndProc(msg, next);
      return;
    case ws::WM_NCCALCSIZE:
      TkaEditWnd::WndProc(msg, next);
      EdgeLeft = 3;
      return;
    case WM_CTLCOLORLISTBOX:
      TkaEditWnd::WndProc(msg, next);
      if (SkinInForce()) ColourList(msg);
      return;
    case ws::WM_PRINT: {
      if (!SkinInForce() || !msg.wParam) break;
      GetWndGeometry(*this);
      SkinLink->SetHot(false);
      SkinLink->BGChanged = true;
      if (!LookApplied) ApplySectionLook();
      if (Simple(WndHandle))
        PaintSimpleBorder();
      else
        SendSkinCommand(WndHandle, scUpdateScrolls, 0);
      PaintWndBorder(SkinLink, WndHandle, InDialog);
      DrawComboText();
      UpdateWndCorners(SkinLink, 0, *this);
      auto& dc = *reinterpret_cast<ws::Dc*>(msg.wParam);
      ws::Dc src(SkinLink->FCacheBmp);
      dc.BitBlt(0, 0, SkinLink->FCacheBmp.width(), SkinLink->FCacheBmp.height(), src, 0, 0,
                ws::SRCCOPY);
      PaintButton(dc);
      return;
    }
    case ws::CM_MOUSEENTER:
    case ws::CM_MOUSELEAVE:
      TkaEditWnd::WndProc(msg, next);
      SkinLink->HotTracked = msg.msg == ws::CM_MOUSEENTER;
      RepaintButton();
      return;
    default:
      break;
  }
  TkaEditWnd::WndProc(msg, next);
}

TkaWWComboBoxWnd::TkaWWComboBoxWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                                   const QString& sectionName, bool repaint)
    : TkaComboBoxWnd(wnd, link, manager, sectionName, repaint) {
  // Another class than the framework's own combo box always has a button;
  // the framework's has one in its drop-down kinds.
  AnswerControlMessages(wnd);
  HasDropButton =
      ws::GetClassName(wnd) != QLatin1String("TComboBox") || (StyleOf(wnd) & CBS_DROPDOWN) != 0;
}

void TkaWWComboBoxWnd::ButtonRect(Rect& r) const {
  QWidget* w = ws::WidgetOf(WndHandle);
  if (!w) return;
  const int b = ButtonWidth(HasDropButton);
  r.left = RightToLeft(WndHandle) ? 2 : w->width() - b - 2;
  r.top = 2;
  r.right = r.left + b;
  r.bottom = w->height() - 2;
}

}  // namespace kelmo::skinwnd
