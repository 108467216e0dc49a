#include "skinwnd/grid_wnd.h"

#include <QWidget>

#include "skin/paint_primitives.h"
#include "skin/skin_messages.h"
#include "skinwnd/own_face.h"
#include "skinwnd/props_by_name.h"
#include "winshim/dc.h"
#include "winshim/scroll_info.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

// The colour of a font object held in the property.
TColor FontColorOf(const QObject* control, const char* fontProp) {
  return RawColorPropOf(ObjectPropOf(control, fontProp), "Color");
}
void SetFontColor(QObject* control, const char* fontProp, TColor c) {
  SetColorPropIfAny(ObjectPropOf(control, fontProp), "Color", c);
}
TColor Rgb(const QObject* obj, const char* name) {
  return TColor(ws::ColorToRGB(RawColorPropOf(obj, name)));
}

}  // namespace

TkaGridWnd::TkaGridWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                       const QString& sectionName, bool repaint)
    : TkaEditWnd(wnd, link, manager, sectionName, repaint) {}

TkaGridWnd::~TkaGridWnd() {
  Destroy();
}

QObject* TkaGridWnd::Control() const {
  return PropertyHolder(OwnerControl(), WndHandle);
}

void TkaGridWnd::KeepOwnLook() {
  TkaEditWnd::KeepOwnLook();
  const QObject* c = Control();
  if (!c) return;
  const bool look = HasPropNamed(c, "ControlLook");
  const QObject* controlLook = ObjectPropOf(c, "ControlLook");
  SavedFixedColor = Rgb(c, "FixedColor");
  SavedFooterColor = Rgb(c, "FooterColor");
  SavedFooterCellColor = Rgb(c, "FooterCellColor");
  // The title font's colour is kept as it is, a system colour too.
  SavedTitleFontColor = FontColorOf(c, look ? "FixedFont" : "TitleFont");
  SavedTitleColor = Rgb(c, "TitleColor");
  SavedIndicatorIconColor = Rgb(c, "IndicatorIconColor");
  if (look) {
    SavedSelectionColor = Rgb(c, "SelectionColor");
    SavedSelectionTextColor = Rgb(c, "SelectionTextColor");
    SavedGridLineColor = Rgb(c, "GridLineColor");
    SavedGridFixedLineColor = Rgb(c, "GridFixedLineColor");
  }
  auto gradient = [controlLook](const char* name) {
    const TColor v = RawColorPropOf(controlLook, name);
    return v == ws::clDefault ? ws::clBtnFace : TColor(ws::ColorToRGB(v));
  };
  SavedFixedGradientFrom = gradient("FixedGradientFrom");
  SavedFixedGradientTo = gradient("FixedGradientTo");
}

void TkaGridWnd::RestoreOwnLook() {
  TkaEditWnd::RestoreOwnLook();
  QObject* c = Control();
  if (!c || (OwnerControl() && !ws::IsWindow(WndHandle))) return;
  const bool look = HasPropNamed(c, "ControlLook");
  SetColorPropIfAny(c, "FixedColor", SavedFixedColor);
  SetColorPropIfAny(c, "FooterColor", SavedFooterColor);
  SetColorPropIfAny(c, "FooterCellColor", SavedFooterCellColor);
  SetFontColor(c, "TitleFont", SavedTitleFontColor);
  if (look) SetFontColor(c, "FixedFont", SavedTitleFontColor);
  SetColorPropIfAny(c, "TitleColor", SavedTitleColor);
  SetColorPropIfAny(c, "IndicatorIconColor", SavedIndicatorIconColor);
  if (look) {
    SetColorPropIfAny(c, "SelectionColor", SavedSelectionColor);
    SetColorPropIfAny(c, "SelectionTextColor", SavedSelectionTextColor);
    SetColorPropIfAny(c, "GridLineColor", SavedGridLineColor);
    SetColorPropIfAny(c, "GridFixedLineColor", SavedGridFixedLineColor);
  }
  QObject* controlLook = ObjectPropOf(c, "ControlLook");
  SetColorPropIfAny(controlLook, "FixedGradientFrom", SavedFixedGradientFrom);
  SetColorPropIfAny(controlLook, "FixedGradientTo", SavedFixedGradientTo);
}

void TkaGridWnd::ApplySectionLook() {
  TkaEditWnd::ApplySectionLook();
  QObject* c = Control();
  const TkSkinManager* m = LinkManager();
  if (!c || !m) return;
  const bool look = HasPropNamed(c, "ControlLook");
  const TColor global = m->GetGlobalColor();
  SetColorPropIfAny(c, "FixedColor", global);
  SetFontColor(c, "TitleFont", m->GetGlobalFontColor());
  if (look) {
    SetFontColor(c, "FixedFont", m->GetGlobalFontColor());
    SetColorPropIfAny(c, "GridFixedLineColor", m->SkinData.PlainBorderColor);
    SetColorPropIfAny(c, "GridLineColor",
                      MixColors(m->GetGlobalHotColor(), m->GetEditHotFontColor(), 0.5));
    SetColorPropIfAny(c, "SelectionColor", m->GetHighlightColor());
    SetColorPropIfAny(c, "SelectionTextColor", m->GetHighlightTextColor());
  }
  QObject* controlLook = ObjectPropOf(c, "ControlLook");
  SetColorPropIfAny(controlLook, "FixedGradientFrom",
                    MixColors(global, m->GetGlobalHotColor(), 0.5));
  SetColorPropIfAny(controlLook, "FixedGradientTo", global);
  for (const char* name : {"FooterColor", "FooterCellColor", "TitleColor"})
    SetColorPropIfAny(c, name, global);
  if (m->IsValidSkinIndex(SkinLink->SkinIndex))
    SetColorPropIfAny(c, "IndicatorIconColor",
                      TColor(m->gd[std::size_t(SkinLink->SkinIndex)].FontColor[0]));
}

void TkaGridWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (IsOwnFacePaint(WndHandle, msg)) {
    next(msg);
    return;
  }
  if (SkinInForce()) {
    switch (msg.msg) {
      case ws::WM_ERASEBKGND:
        SkinLink->SetHot(SkinLink->IsHot());
        return;
      case ws::WM_PRINT:
        // The grid's own cells first, its skinned border and bars over them.
        if (msg.wParam) PaintOwnFace(WndHandle, *reinterpret_cast<ws::Dc*>(msg.wParam));
        TkaEditWnd::WndProc(msg, next);
        return;
      case ws::WM_VSCROLL:
        // A data-aware grid's position follows the dragged thumb.
        if (const int code = ws::LoWord(msg.wParam);
            VertBar && HasPropNamed(Control(), "DataSource") &&
            (code == ws::SB_THUMBPOSITION || code == ws::SB_THUMBTRACK)) {
          VertBar->Info.nPos = VertBar->Info.nTrackPos + (code == ws::SB_THUMBPOSITION ? 1 : 0);
          ws::SetScrollInfo(WndHandle, ws::SB_VERT, VertBar->Info, false);
        }
        break;
      default:
        break;
    }
  }
  const bool removal = msg.msg == SM_SKINCMD && ws::HiWord(msg.wParam) == scRemoveSkin &&
                       msg.lParam == ws::LPARAM(LinkManager());
  TkaEditWnd::WndProc(msg, next);
  if (msg.msg == ws::WM_PAINT && SkinInForce()) RereadScrollInfo(true);
  if (msg.msg == ws::WM_WINDOWPOSCHANGED &&
      (ws::GetWindowLong(WndHandle, ws::GWL_STYLE) & ws::WS_VISIBLE))
    ws::SendMessage(WndHandle, ws::WM_NCPAINT);
  // The grid rebuilds its own scroll bars when they are switched off and on.
  if (QObject* c = Control(); removal && HasPropNamed(c, "ScrollBars")) {
    const QVariant bars = c->property("ScrollBars");
    c->setProperty("ScrollBars", 0);
    c->setProperty("ScrollBars", bars);
  }
}

}  // namespace kelmo::skinwnd
