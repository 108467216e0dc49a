// The flat and ultra-flat painters: one-pixel frames; the ultra-flat look
// highlights hot and pressed elements with the light system-derived colours.
#include "lookandfeel/painter_shared.h"

namespace kelmo::le {
namespace {

void Raised(TleCanvas& c, const Rect& r, TleBorders sides = bsAll) {
  c.DrawTwoColorFrame(r, clBtnHighlight, 1, sides, clBtnShadow);
}
void Sunken(TleCanvas& c, const Rect& r, TleBorders sides = bsAll) {
  c.DrawTwoColorFrame(r, clBtnShadow, 1, sides, clBtnHighlight);
}

void PaintFlatScrollBarPart(const TleCustomLookAndFeelPainter& p, TleCanvas& c, bool horizontal,
                            const Rect& rect, ScrollBarPart part, ElementState state,
                            bool keepHot) {
  if (rect.IsEmpty() || part == sbpNone) return;
  if (part == sbpThumb && state == esDisabled) return;
  const ElementState s = state == esHot && !keepHot ? esNormal : state;
  if (part == sbpPageUp || part == sbpPageDown) {
    PaintScrollTrack(c, rect, s);
    return;
  }
  p.PaintPushButton(c, rect, {}, s, true, clDefault, clDefault);
  if (part == sbpThumb) return;
  Rect r = rect;
  if (!keepHot) {
    const int w = p.ButtonBorderWidth(esNormal);
    r = r.Inflate(-w, -w);
  }
  p.PaintScrollButtonArrow(c, r, s, ArrowDirectionFor(horizontal, part));
}

}  // namespace

// Flat.

void TleFlatLookAndFeelPainter::PaintBorder(TleCanvas& c, const Rect& r) const {
  Sunken(c, r);
}

void TleFlatLookAndFeelPainter::PaintButtonBorder(TleCanvas& c, const Rect& rect,
                                                  ElementState s) const {
  if (s == esPressed) {
    Sunken(c, rect);
    return;
  }
  Rect r = rect;
  if (s == esDefault) {
    Frame(c, r, clBlack);
    r = r.Inflate(-1, -1);
  }
  Raised(c, r);
}

void TleFlatLookAndFeelPainter::PaintExpandButton(TleCanvas& c, const Rect& rect, bool expanded,
                                                  TColor color) const {
  PaintPushButton(c, rect, {}, esNormal, true, color, clDefault);
  PaintExpandSign(c, rect.Inflate(-1, -1), expanded, clBtnText);
  c.ApplyClipRegion(TleRegion(rect), RegionDifference, true);
}

void TleFlatLookAndFeelPainter::PaintCheckFrame(TleCanvas& c, const Rect& r, ElementState s) const {
  Sunken(c, r);
  Frame(c, r.Inflate(-1, -1), CheckFaceColor(s));
}

void TleFlatLookAndFeelPainter::PaintHeaderBorder(TleCanvas& c, const Rect& r,
                                                  TleBorders neighbours, TleBorders borders) const {
  PainterOf(lfStandard).PaintHeaderBorder(c, r, neighbours, borders);
}

void TleFlatLookAndFeelPainter::PaintHeaderSectionBorder(TleCanvas& c, const Rect& r,
                                                         TleBorders borders, ElementState s) const {
  if (s == esPressed) {
    Sunken(c, r, borders);
  } else {
    Raised(c, r, borders);
  }
}

void TleFlatLookAndFeelPainter::PaintSortMark(TleCanvas& c, const Rect& r, bool ascending) const {
  PaintSortArrow(*this, c, r, clBtnShadow, clBtnHighlight, ascending);
}

void TleFlatLookAndFeelPainter::PaintFooterBorder(TleCanvas& c, const Rect& r) const {
  Raised(c, r);
}
void TleFlatLookAndFeelPainter::PaintFooterCellBorder(TleCanvas& c, const Rect& r) const {
  Sunken(c, r);
}

void TleFlatLookAndFeelPainter::PaintDropDownButton(TleCanvas& c, const Rect& r, ElementState s,
                                                    bool active) const {
  PaintClassicDropDown(*this, c, r, s, active);
}

void TleFlatLookAndFeelPainter::PaintTabBorder(TleCanvas& c, const Rect& r, TleBorder side,
                                               TleBorders borders, bool vertical) const {
  PaintClassicTabBorder(c, r, side, borders, vertical);
}

void TleFlatLookAndFeelPainter::PaintTabArea(TleCanvas& c, const Rect& r, TleBorders borders,
                                             bool) const {
  Raised(c, r, borders);
}

void TleFlatLookAndFeelPainter::PaintScrollBarPart(TleCanvas& c, bool horizontal, const Rect& r,
                                                   ScrollBarPart part, ElementState s) const {
  PaintFlatScrollBarPart(*this, c, horizontal, r, part, s, false);
}

void TleFlatLookAndFeelPainter::PaintPaneSplitter(TleCanvas& c, const Rect& r,
                                                  const ViewParameters& vp, bool horizontal) const {
  PaintSplitter(c, r, vp, horizontal, {{clBtnHighlight, clBtnShadow}});
}

// Ultra-flat.

void TleUltraFlatLookAndFeelPainter::PaintBorder(TleCanvas& c, const Rect& r) const {
  Frame(c, r, clBtnShadow);
}

TColor TleUltraFlatLookAndFeelPainter::ButtonFaceColor(ElementState s) const {
  if (s == esHot) return static_cast<TColor>(SystemHotColor());
  if (s == esPressed) return static_cast<TColor>(SystemPressedColor());
  return clBtnFace;
}

Rect TleUltraFlatLookAndFeelPainter::FocusFrameRect(TleCanvas&, const Rect& r) const {
  const Rect s = r.Inflate(-3, -3);
  return s.IsEmpty() ? r : s;
}

Margins TleUltraFlatLookAndFeelPainter::GroupButtonMargins(int count, int index) const {
  Margins m{1, 2, 1, 2};
  if (index == 0) {
    ++m.left;
  } else if (index == count - 1) {
    ++m.right;
  }
  return m;
}

TColor TleUltraFlatLookAndFeelPainter::ButtonGlyphColor(ElementState s, TColor color) const {
  return s == esPressed ? clHighlightText : TleCustomLookAndFeelPainter::ButtonGlyphColor(s, color);
}

void TleUltraFlatLookAndFeelPainter::PaintButtonBorder(TleCanvas& c, const Rect& r,
                                                       ElementState s) const {
  switch (s) {
    case esDefault:
      Frame(c, r, clWindowFrame);
      Frame(c, r.Inflate(-1, -1), clWindowFrame);
      break;
    case esNormal:
      Frame(c, r, clBtnText);
      break;
    case esDisabled:
      Frame(c, r, clBtnShadow);
      break;
    default:
      Frame(c, r, clHighlight);
      break;
  }
}

void TleUltraFlatLookAndFeelPainter::PaintGroupButton(TleCanvas& c, const Rect& rect,
                                                      ElementState s, int count, int index,
                                                      TColor background) const {
  Rect r{rect.left, rect.top + 1, rect.right, rect.bottom - 1};
  if (index == 0) r.left += 1;
  if (index == count - 1) r.right -= 1;
  if (s == esNormal || s == esDisabled) {
    Frame(c, r, background);
    r = r.Inflate(-1, -1);
  } else {
    if (index > 0) {
      FillRectColor(c, {r.left, r.top, r.left + 1, r.bottom}, GroupHighlightColor());
      r.left += 1;
    }
    if (index < count - 1) {
      FillRectColor(c, {r.right - 1, r.top, r.right, r.bottom}, GroupHighlightColor());
      r.right -= 1;
    }
  }
  FillRectColor(c, r, ButtonFaceColor(s));
}

void TleUltraFlatLookAndFeelPainter::PaintButtonGroupBorder(TleCanvas& c, const Rect& r, bool dark,
                                                            bool highlighted) const {
  Frame(c, r, dark ? clBtnText : (highlighted ? GroupHighlightColor() : clBtnShadow));
}

void TleUltraFlatLookAndFeelPainter::PaintExpandButton(TleCanvas& c, const Rect& rect,
                                                       bool expanded, TColor color) const {
  Frame(c, rect, clBtnShadow);
  FillRectColor(c, rect.Inflate(-1, -1), color == clDefault ? clBtnFace : color);
  PaintExpandSign(c, rect.Inflate(-1, -1), expanded, clBtnText);
  c.ApplyClipRegion(TleRegion(rect), RegionDifference, true);
}

void TleUltraFlatLookAndFeelPainter::PaintHeaderSectionBorder(TleCanvas& c, const Rect& r,
                                                              TleBorders borders,
                                                              ElementState s) const {
  Frame(c, r, s == esDisabled ? clBtnShadow : clBlack, borders);
}

void TleUltraFlatLookAndFeelPainter::PaintHeaderSectionContent(TleCanvas& c, const Rect& bounds,
                                                               const Rect& textRect, ElementState s,
                                                               const CellText& t) const {
  CellText u = t;
  if (s == esHot || s == esPressed || s == esDisabled) u.backgroundColor = ButtonFaceColor(s);
  FillRectColor(c, bounds, u.backgroundColor);
  PaintSectionText(c, textRect, s, u);
}

void TleUltraFlatLookAndFeelPainter::PaintCheckFrame(TleCanvas& c, const Rect& r,
                                                     ElementState s) const {
  Frame(c, r, clBtnText);
  Frame(c, r.Inflate(-1, -1), CheckFaceColor(s));
}

void TleUltraFlatLookAndFeelPainter::PaintHeaderBorder(TleCanvas& c, const Rect& r, TleBorders,
                                                       TleBorders borders) const {
  Frame(c, r, clBtnText, (borders & (bsLeft | bsTop)) | bsRight | bsBottom);
}

void TleUltraFlatLookAndFeelPainter::PaintHeaderNoExtra(TleCanvas& c, const Rect& bounds,
                                                        const Rect& textRect, TleBorders neighbours,
                                                        TleBorders borders, ElementState s,
                                                        const CellText& t,
                                                        const BackgroundHandler& handler) const {
  PaintCellContent(c, bounds, textRect.Inflate(-1, -1), s, t, handler, false);
  PaintHeaderBorder(c, bounds.Inflate(-1, -1), neighbours, borders);
}

void TleUltraFlatLookAndFeelPainter::PaintSortMark(TleCanvas& c, const Rect& r,
                                                   bool ascending) const {
  PaintSortArrow(*this, c, r, clBtnShadow, clBtnShadow, ascending);
}

TleBorders TleUltraFlatLookAndFeelPainter::HeaderBordersFor(TleBorders neighbours) const {
  TleBorders b = bsAll;
  if (neighbours & bsLeft) b &= static_cast<TleBorders>(~bsLeft);
  if (neighbours & bsTop) b &= static_cast<TleBorders>(~bsTop);
  return b;
}

void TleUltraFlatLookAndFeelPainter::PaintFooterBorder(TleCanvas& c, const Rect& r) const {
  Frame(c, r, FooterSeparatorColor(), bsRight | bsBottom);
}
void TleUltraFlatLookAndFeelPainter::PaintFooterCellBorder(TleCanvas& c, const Rect& r) const {
  Frame(c, r, FooterSeparatorColor());
}

void TleUltraFlatLookAndFeelPainter::PaintDropDownButton(TleCanvas& c, const Rect& rect,
                                                         ElementState s, bool active) const {
  Frame(c, rect, ButtonFrameColor(s));
  const Rect r = rect.Inflate(-1, -1);
  FillRectColor(c, r, ButtonFaceColor(s));
  PaintDownTriangle(c, r, active ? clBlue : ButtonGlyphColor(s, clDefault));
}

void TleUltraFlatLookAndFeelPainter::PaintTabBorder(TleCanvas& c, const Rect& band, TleBorder side,
                                                    TleBorders, bool vertical) const {
  Rect r = band;
  TColor color = TabEdgeColor();
  if ((vertical && side == bBottom) || (!vertical && side == bRight)) {
    color = TabShadowColor();
    if (!vertical) r.bottom -= TabBorderWidth(false);
  }
  FillRectColor(c, r, color);
}

void TleUltraFlatLookAndFeelPainter::PaintTabArea(TleCanvas& c, const Rect& r, TleBorders borders,
                                                  bool vertical) const {
  c.DrawTwoColorFrame(r, TabEdgeColor(), TabBorderWidth(vertical), borders, TabEdgeColor());
}

void TleUltraFlatLookAndFeelPainter::PaintScrollBarPart(TleCanvas& c, bool horizontal,
                                                        const Rect& r, ScrollBarPart part,
                                                        ElementState s) const {
  PaintFlatScrollBarPart(*this, c, horizontal, r, part, s, true);
}

void TleUltraFlatLookAndFeelPainter::PaintPaneNavigationButton(TleCanvas& c, const Rect& r,
                                                               ElementState s) const {
  PaintPushButton(c, r, {}, s, s == esHot || s == esPressed, clDefault, clDefault);
}

void TleUltraFlatLookAndFeelPainter::PaintPaneSplitter(TleCanvas& c, const Rect& r,
                                                       const ViewParameters& vp,
                                                       bool horizontal) const {
  PaintSplitter(c, r, vp, horizontal, {{PaneBorderColor(), PaneBorderColor()}});
}

TColor TleUltraFlatLookAndFeelPainter::ButtonFrameColor(ElementState s) const {
  return s == esNormal ? clBtnShadow : clHighlight;
}

}  // namespace kelmo::le
