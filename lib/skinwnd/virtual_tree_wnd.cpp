#include "skinwnd/virtual_tree_wnd.h"

#include <QFont>
#include <QStringList>
#include <QWidget>

#include "skin/item_painting.h"
#include "skin/paint_primitives.h"
#include "skin/skin_text.h"
#include "skinwnd/own_face.h"
#include "skinwnd/props_by_name.h"
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

const char* const kVetColors[] = {"CompressedTextColor", "FileTextColor", "FolderTextColor"};
const QString kOwnerDraw = QStringLiteral("hoOwnerDraw");
constexpr int kAllElements = hpeBackground | hpeText | hpeSortGlyph | hpeOverlay;

QObject* HeaderOf(const QObject* control) {
  return ObjectPropOf(control, "Header");
}

bool OwnerDrawn(const QObject* control) {
  return HeaderOf(control) &&
         HeaderOf(control)->property("Options").toStringList().contains(kOwnerDraw);
}

void SetOwnerDrawn(QObject* control, bool on) {
  QObject* header = HeaderOf(control);
  if (!HasPropNamed(header, "Options")) return;
  QStringList options = header->property("Options").toStringList();
  options.removeAll(kOwnerDraw);
  if (on) options.append(kOwnerDraw);
  header->setProperty("Options", options);
}

// A method property of the given event type, and whether it holds a handler.
template <typename Event>
bool IsEventProp(const QObject* control, const char* name) {
  return HasPropNamed(control, name) &&
         control->property(name).metaType() == QMetaType::fromType<Event>();
}
template <typename Event>
Event EventOf(const QObject* control, const char* name) {
  return control->property(name).template value<Event>();
}

QFont FontOf(const QObject* owner) {
  const QVariant v = owner ? owner->property("Font") : QVariant();
  return v.metaType().id() == QMetaType::QFont ? v.value<QFont>() : QFont();
}

}  // namespace

TkaVirtualTreeViewWnd::TkaVirtualTreeViewWnd(HWND wnd, TkCommonData* link, TkSkinManager* manager,
                                             const QString& sectionName, bool repaint)
    : TkaEditWnd(wnd, link, manager, sectionName, repaint) {}

TkaVirtualTreeViewWnd::~TkaVirtualTreeViewWnd() {
  Destroy();
}

QObject* TkaVirtualTreeViewWnd::Control() const {
  return PropertyHolder(OwnerControl(), WndHandle);
}

void TkaVirtualTreeViewWnd::KeepOwnLook() {
  TkaEditWnd::KeepOwnLook();
  const QObject* c = Control();
  if (const QObject* vet = ObjectPropOf(c, "VETColors")) {
    SavedCompressedColor = RawColorPropOf(vet, kVetColors[0]);
    SavedFileColor = RawColorPropOf(vet, kVetColors[1]);
    SavedFolderColor = RawColorPropOf(vet, kVetColors[2]);
  }
  SavedOwnerDraw = OwnerDrawn(c);
}

void TkaVirtualTreeViewWnd::ApplySectionLook() {
  TkaEditWnd::ApplySectionLook();
  QObject* c = Control();
  const TkSkinManager* m = LinkManager();
  if (!c || !m) return;
  if (m->IsValidSkinIndex(SkinLink->SkinIndex)) {
    const TColor hot = TColor(m->gd[std::size_t(SkinLink->SkinIndex)].HotFontColor[0]);
    for (const char* name : kVetColors) SetColorPropIfAny(ObjectPropOf(c, "VETColors"), name, hot);
  }
  // The header is drawn here only for a control without handlers of its own.
  if (IsEventProp<TkAdvancedHeaderDrawEvent>(c, "OnAdvancedHeaderDraw") &&
      !EventOf<TkAdvancedHeaderDrawEvent>(c, "OnAdvancedHeaderDraw").Handler) {
    c->setProperty(
        "OnAdvancedHeaderDraw",
        QVariant::fromValue(TkAdvancedHeaderDrawEvent{
            [this](QObject* s, TkHeaderPaintInfo& p, int e) { HeaderDrawHandler(s, p, e); },
            this}));
    if (IsEventProp<TkHeaderDrawQueryElementsEvent>(c, "OnHeaderDrawQueryElements") &&
        !EventOf<TkHeaderDrawQueryElementsEvent>(c, "OnHeaderDrawQueryElements").Handler) {
      c->setProperty(
          "OnHeaderDrawQueryElements",
          QVariant::fromValue(TkHeaderDrawQueryElementsEvent{
              [this](QObject* s, TkHeaderPaintInfo& p, int& e) { HeaderElementsHandler(s, p, e); },
              this}));
      SetOwnerDrawn(c, true);
    }
  }
  if (QObject* column = ObjectPropOf(c, "PaintInfoColumn")) {
    SetColorPropIfAny(column, "Color", m->GetGlobalColor());
    SetOrdPropIfAny(column, "Style", 1);
    QObject* header = HeaderOf(c);
    SetColorPropIfAny(header, "Color", m->GetGlobalHotColor());
    SetColorPropIfAny(ObjectPropOf(header, "Font"), "Color", m->GetGlobalFontColor());
    if (QWidget* w = ws::WidgetOf(WndHandle)) w->update();
    if (HasPropNamed(c, "Themed")) c->setProperty("Themed", false);
  }
}

void TkaVirtualTreeViewWnd::RestoreOwnLook() {
  TkaEditWnd::RestoreOwnLook();
  QObject* c = Control();
  if (!c) return;
  if (QObject* vet = ObjectPropOf(c, "VETColors")) {
    SetColorPropIfAny(vet, kVetColors[0], SavedCompressedColor);
    SetColorPropIfAny(vet, kVetColors[1], SavedFileColor);
    SetColorPropIfAny(vet, kVetColors[2], SavedFolderColor);
  }
  if (IsEventProp<TkAdvancedHeaderDrawEvent>(c, "OnAdvancedHeaderDraw") &&
      EventOf<TkAdvancedHeaderDrawEvent>(c, "OnAdvancedHeaderDraw").Owner == this)
    c->setProperty("OnAdvancedHeaderDraw", QVariant::fromValue(TkAdvancedHeaderDrawEvent{}));
  if (IsEventProp<TkHeaderDrawQueryElementsEvent>(c, "OnHeaderDrawQueryElements") &&
      EventOf<TkHeaderDrawQueryElementsEvent>(c, "OnHeaderDrawQueryElements").Owner == this)
    c->setProperty("OnHeaderDrawQueryElements",
                   QVariant::fromValue(TkHeaderDrawQueryElementsEvent{}));
  SetOwnerDrawn(c, SavedOwnerDraw);
  if (QObject* column = ObjectPropOf(c, "PaintInfoColumn")) {
    if (HasPropNamed(c, "Themed")) c->setProperty("Themed", true);
    SetColorPropIfAny(column, "Color", ws::clBtnFace);
    QObject* header = HeaderOf(c);
    SetColorPropIfAny(header, "Color", ws::clBtnFace);
    SetColorPropIfAny(ObjectPropOf(header, "Font"), "Color", ws::clBtnText);
  }
}

void TkaVirtualTreeViewWnd::HeaderElementsHandler(QObject*, TkHeaderPaintInfo&, int& elements) {
  elements = kAllElements;
}

void TkaVirtualTreeViewWnd::HeaderDrawHandler(QObject*, TkHeaderPaintInfo& p, int elements) {
  if (SendingScroll || !SkinLink || !SkinLink->Skinned() || !p.TargetCanvas) return;
  ws::Dc& canvas = *p.TargetCanvas;
  const Rect& r = p.PaintRectangle;
  if (!p.Column) {
    const TkSkinManager* m = LinkManager();
    if (m && m->IsValidSkinIndex(SkinLink->SkinIndex))
      ws::FillSolidRect(canvas, r, ws::ColorToRGB(m->gd[std::size_t(SkinLink->SkinIndex)].Color));
    return;
  }
  TkSkinManager* m = TkSkinManager::Default();
  if (!m || r.IsEmpty()) return;
  int section = m->GetSkinIndex(QStringLiteral("COLHEADER"));
  if (!m->IsValidSkinIndex(section)) section = m->GetSkinIndex(QStringLiteral("BUTTON"));
  const int state = p.IsDownIndex ? 2 : p.IsHoverIndex ? 1 : 0;
  QImage bmp = CreateBmp24(r.Width(), r.Height());
  if (elements & hpeBackground) {
    if (m->IsValidSkinIndex(section)) {
      const QImage& cache = SkinLink->FCacheBmp;
      const TBgSource bg = cache.isNull() ? kEmptyBgSource : BgSourceFromBmp(&cache, r.left, r.top);
      PaintItem(section, m->gd[std::size_t(section)].ClassName, bg, -1, -1, m, bmp, {0, 0},
                {0, 0, r.Width(), r.Height()}, state, true);
    }
  } else {
    ws::Dc bdc(bmp);
    bdc.BitBlt(0, 0, r.Width(), r.Height(), canvas, r.left, r.top, ws::SRCCOPY);
    QObject* header = HeaderOf(Control());
    const QString text = p.Column->property("Text").toString();
    const Rect textRect = p.TextRectangle.Offset(-r.left, -r.top);
    bdc.SelectFont(ws::Font{FontOf(header), 0});
    bdc.SetBkMode(ws::TRANSPARENT);
    const bool enabled = !ws::WidgetOf(WndHandle) || ws::WidgetOf(WndHandle)->isEnabled();
    if ((elements & hpeOverlay) && !(elements & hpeText) && !text.isEmpty())
      DrawSectionText(bdc, text, enabled, m, state != 0, section, 0, textRect);
    if ((elements & hpeSortGlyph) && p.ShowSortGlyph) {
      const bool up = header && header->property("SortDirection").toInt() != 0;
      const int glyph = SortGlyphIndex(m, !up);
      PaintGlyph(bmp, m, glyph,
                 {p.SortGlyphPos.x() - r.left, (r.Height() - GlyphSize(m, glyph).height()) / 2},
                 state);
    }
    if (elements & hpeText)
      DrawSectionText(bdc, text, enabled, m, state != 0, section,
                      ws::DT_VCENTER | ws::DT_SINGLELINE | ws::DT_END_ELLIPSIS, textRect);
  }
  ws::Dc src(bmp);
  canvas.BitBlt(r.left, r.top, r.Width(), r.Height(), src, 0, 0, ws::SRCCOPY);
}

void TkaVirtualTreeViewWnd::WndProc(Msg& msg, const NextHandler& next) {
  if (IsOwnFacePaint(WndHandle, msg) || !SkinLink || !SkinLink->Skinned()) {
    TkaEditWnd::WndProc(msg, next);
    return;
  }
  switch (msg.msg) {
    case ws::WM_ERASEBKGND:
      return;
    case ws::WM_NCPAINT:
      if (!(ws::GetWindowLong(WndHandle, ws::GWL_STYLE) & ws::WS_VISIBLE)) break;
      GetWndGeometry(*this);
      SkinLink->SetHot(SkinLink->IsHot());
      if (SkinLink->FHot) return;
      if (SkinLink->BGChanged) {
        if (!LookApplied) ApplySectionLook();
        PaintWndBorder(SkinLink, WndHandle, InDialog);
      }
      UpdateWndCorners(SkinLink, 0, *this);
      if (auto dc = ws::GetWindowDC(WndHandle)) PaintFrameInto(*dc, EdgeLeft);
      return;
    case ws::WM_HSCROLL:
    case ws::WM_VSCROLL:
      // The control scrolls along with the dragged thumb.
      if (TkaScrollBar* bar = msg.msg == ws::WM_VSCROLL ? VertBar.get() : HorzBar.get();
          bar && ws::LoWord(msg.wParam) == ws::SB_THUMBTRACK) {
        bar->Info.nPos = bar->Info.nTrackPos;
        ws::SetScrollInfo(WndHandle, msg.msg == ws::WM_VSCROLL ? ws::SB_VERT : ws::SB_HORZ,
                          bar->Info, false);
      }
      break;
    case ws::WM_PRINT:
      SkinLink->SetHot(false);
      if (SkinLink->BGChanged) {
        if (!LookApplied) ApplySectionLook();
        PaintWndBorder(SkinLink, WndHandle, false);
      }
      UpdateWndCorners(SkinLink, 0, *this);
      // The control's own face, its header included, then the skinned
      // border and bars over it.
      if (auto* dc = reinterpret_cast<ws::Dc*>(msg.wParam)) {
        PaintOwnFace(WndHandle, *dc);
        PaintFrameInto(*dc, EdgeLeft);
      }
      return;
    default:
      break;
  }
  TkaEditWnd::WndProc(msg, next);
}

}  // namespace kelmo::skinwnd
