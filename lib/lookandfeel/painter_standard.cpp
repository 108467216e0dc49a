// The standard painter: the classic raised and sunken 3-D look.
#include "lookandfeel/painter_resources.h"
#include "lookandfeel/painter_shared.h"

namespace kelmo::le {
namespace {

// The classic scroll-arrow frame control: a raised (or, pressed, flat)
// button with an arrow, embossed when inactive.
void DrawScrollFrameControl(const TleCustomLookAndFeelPainter& p, TleCanvas& c, const Rect& r,
                            ArrowDirection d, bool inactive, bool flat) {
  FillRectColor(c, r, clBtnFace);
  if (flat) {
    Frame(c, r, clBtnShadow);
  } else {
    c.DrawEdgeRing(r, false, bsAll, true);
    c.DrawEdgeRing(r.Inflate(-1, -1), false, bsAll, false);
  }
  const QPolygon pts = ArrowPoints(r.Inflate(-2, -2), d, true);
  c.SetBrushStyle(TleBrushStyle::Solid);
  if (inactive) {
    c.SetBrushColor(clBtnHighlight);
    c.SetPenColor(clBtnHighlight);
    c.Polygon(pts.translated(1, 1));
  }
  const TColor color = inactive ? clBtnShadow : p.ButtonGlyphColor(esNormal, clDefault);
  c.SetBrushColor(color);
  c.SetPenColor(color);
  c.Polygon(pts);
}

}  // namespace

// The track of a scroll bar: the module's 8 by 8 pattern tiled.
void PaintScrollTrack(TleCanvas& c, const Rect& r, ElementState s) {
  c.FillOrTileRect(r, &ScrollPatternBitmap(s == esPressed));
  c.SetBrushStyle(TleBrushStyle::Solid);
}

// The two-pixel raised frame of buttons and scroll parts: outer colours
// first, then the inner pair.
void RaisedPair(TleCanvas& c, const Rect& r, TColor outerFirst, TColor outerSecond,
                TColor innerFirst, TColor innerSecond, TleBorders sides) {
  c.DrawTwoColorFrame(r, outerFirst, 1, sides, outerSecond);
  c.DrawTwoColorFrame(r.Inflate(-1, -1), innerFirst, 1, sides, innerSecond);
}

TColor TleStandardLookAndFeelPainter::ElementColor(int n) const {
  return n == 29 ? clWindow : TleCustomLookAndFeelPainter::ElementColor(n);
}

void TleStandardLookAndFeelPainter::PaintBorder(TleCanvas& c, const Rect& r) const {
  c.DrawEdgeRing(r, true, bsAll, true);
  c.DrawEdgeRing(r.Inflate(-1, -1), true, bsAll, false);
}

void TleStandardLookAndFeelPainter::PaintButtonBorder(TleCanvas& c, const Rect& rect,
                                                      ElementState s) const {
  if (s == esPressed) {
    Frame(c, rect, clBlack);
    Frame(c, rect.Inflate(-1, -1), clBtnShadow);
    return;
  }
  Rect r = rect;
  if (s == esDefault) {
    Frame(c, r, clBlack);
    r = r.Inflate(-1, -1);
  }
  RaisedPair(c, r, clBtnHighlight, cl3DDkShadow, cl3DLight, clBtnShadow);
}

void TleStandardLookAndFeelPainter::PaintGroupExpandButton(TleCanvas& c, const Rect& r,
                                                           bool expanded, ElementState s) const {
  PainterOf(lfFlat).PaintGroupExpandButton(c, r, expanded, s);
}

void TleStandardLookAndFeelPainter::PaintExpandButton(TleCanvas& c, const Rect& rect, bool expanded,
                                                      TColor color) const {
  Rect r = rect;
  c.DrawTwoColorFrame(r, clBtnHighlight, 1, bsLeft | bsTop, clBtnHighlight);
  c.DrawTwoColorFrame(r, cl3DDkShadow, 1, bsRight | bsBottom, cl3DDkShadow);
  r = r.Inflate(-1, -1);
  c.DrawTwoColorFrame(r, clBtnShadow, 1, bsRight | bsBottom, clBtnShadow);
  r.right -= 1;
  r.bottom -= 1;
  FillRectColor(c, r, color == clDefault ? clBtnFace : color);
  PaintExpandSign(c, r, expanded, clBtnText);
  c.ApplyClipRegion(TleRegion(rect), RegionDifference, true);
}

void TleStandardLookAndFeelPainter::PaintCheckFrame(TleCanvas& c, const Rect& r,
                                                    ElementState) const {
  c.DrawEdgeRing(r, true, bsAll, false);
  c.DrawEdgeRing(r.Inflate(-1, -1), true, bsAll, true);
}

void TleStandardLookAndFeelPainter::PaintHeaderBorder(TleCanvas& c, const Rect& r,
                                                      TleBorders neighbours,
                                                      TleBorders borders) const {
  c.DrawEdgeRing(r, false, borders, false);
  if (neighbours & bsLeft) {
    c.SetPixelColor(r.left, r.top + 1, clBtnFace);
    c.SetPixelColor(r.left, r.bottom - 2, clBtnFace);
  }
  if (neighbours & bsRight) {
    c.SetPixelColor(r.right - 1, r.top, clBtnHighlight);
    c.SetPixelColor(r.right - 1, r.top + 1, clBtnFace);
    c.SetPixelColor(r.right - 1, r.bottom - 2, clBtnFace);
  }
}

void TleStandardLookAndFeelPainter::PaintHeaderSectionBorder(TleCanvas& c, const Rect& r,
                                                             TleBorders borders,
                                                             ElementState s) const {
  if (s == esPressed) {
    Frame(c, r, clBtnShadow, borders);
  } else {
    RaisedPair(c, r, clBtnHighlight, cl3DDkShadow, cl3DLight, clBtnShadow, borders);
  }
}

void TleStandardLookAndFeelPainter::PaintSortMark(TleCanvas& c, const Rect& r,
                                                  bool ascending) const {
  PaintSortArrow(*this, c, r, clBtnShadow, clBtnHighlight, ascending);
}

void TleStandardLookAndFeelPainter::PaintFooterBorder(TleCanvas& c, const Rect& r) const {
  c.DrawEdgeRing(r, false, bsAll, false);
}
void TleStandardLookAndFeelPainter::PaintFooterCellBorder(TleCanvas& c, const Rect& r) const {
  c.DrawEdgeRing(r, true, bsAll, true);
}

// Shared by the standard and flat painters.
void PaintClassicDropDown(const TleCustomLookAndFeelPainter& p, TleCanvas& c, const Rect& rect,
                          ElementState s, bool active) {
  if (s == esPressed) {
    c.DrawEdgeRing(rect, true, bsAll, true);
  } else {
    c.DrawEdgeRing(rect, false, bsAll, false);
  }
  const Rect r = rect.Inflate(-1, -1);
  FillRectColor(c, r, clBtnFace);
  p.PaintDownTriangle(c, r, active ? clBlue : clBtnText);
}

void TleStandardLookAndFeelPainter::PaintDropDownButton(TleCanvas& c, const Rect& r, ElementState s,
                                                        bool active) const {
  PaintClassicDropDown(*this, c, r, s, active);
}

// Shared by the standard and flat painters.
void PaintClassicTabBorder(TleCanvas& c, const Rect& band, TleBorder side, TleBorders borders,
                           bool vertical) {
  Rect r = band;
  TColor color = clBtnHighlight;
  if (vertical) {
    if (side == bLeft) {
      r.top += (borders & bsTop) ? 2 : 1;
      r.bottom -= (borders & bsBottom) ? 2 : 1;
      c.SetPixelColor(r.left + 1, r.top - 1, clBtnHighlight);
      c.SetPixelColor(r.left + 1, r.bottom, clBtnHighlight);
    } else if (side == bTop || side == bBottom) {
      if (borders & bsLeft) r.left += 1;
    }
    if (side == bBottom) color = clBtnShadow;
  } else {
    if (side == bLeft || side == bRight) {
      if (borders & bsTop) r.top += 2;
      if (borders & bsBottom) r.bottom -= 1;
    } else if (side == bTop) {
      r.left += 1;
      r.right -= 1;
      c.SetPixelColor(r.left - 1, r.top + 1, clBtnHighlight);
      c.SetPixelColor(r.right, r.top + 1, clBtnHighlight);
    }
    if (side == bRight) color = clBtnShadow;
  }
  FillRectColor(c, r, color);
}

void TleStandardLookAndFeelPainter::PaintTabBorder(TleCanvas& c, const Rect& r, TleBorder side,
                                                   TleBorders borders, bool vertical) const {
  PaintClassicTabBorder(c, r, side, borders, vertical);
}

void TleStandardLookAndFeelPainter::PaintTabArea(TleCanvas& c, const Rect& r, TleBorders borders,
                                                 bool) const {
  c.DrawEdgeRing(r, false, borders, false);
}

void TleStandardLookAndFeelPainter::PaintScrollBarPart(TleCanvas& c, bool horizontal,
                                                       const Rect& rect, ScrollBarPart part,
                                                       ElementState state) const {
  if (rect.IsEmpty() || part == sbpNone) return;
  if (part == sbpThumb && state == esDisabled) return;
  const ElementState s = state == esHot ? esNormal : state;
  auto partFrame = [&](const Rect& r) {
    if (s == esPressed && part != sbpThumb) {
      Frame(c, r, clBtnShadow);
      Frame(c, r.Inflate(-1, -1), clBtnFace);
    } else {
      RaisedPair(c, r, clBtnFace, cl3DDkShadow, clBtnHighlight, clBtnShadow);
    }
  };
  switch (part) {
    case sbpLineUp:
    case sbpLineDown: {
      const Rect r = s == esPressed ? rect.Offset(1, 1) : rect;
      DrawScrollFrameControl(*this, c, r, ArrowDirectionFor(horizontal, part), s == esDisabled,
                             s == esPressed);
      partFrame(rect);
      break;
    }
    case sbpThumb: {
      partFrame(rect);
      const int w = ButtonBorderWidth(esNormal);
      FillRectColor(c, rect.Inflate(-w, -w), clBtnFace);
      break;
    }
    default:
      PaintScrollTrack(c, rect, s);
      break;
  }
}

void TleStandardLookAndFeelPainter::PaintNavigationHeader(
    TleCanvas& c, const Rect& r, const QString& text, TleBorders neighbours,
    const ViewParameters& vp, int arrows, int sideWidth, const BackgroundHandler& handler) const {
  TleBorders sides = bsAll;
  if (neighbours & bsLeft) sides &= static_cast<TleBorders>(~bsLeft);
  if (neighbours & bsRight) sides &= static_cast<TleBorders>(~bsRight);
  Frame(c, r, clBlack, sides);
  const Rect content = HeaderContentRect(r, sides);
  CellText t{taCenter, vaCenter, false, false, text, vp.font, vp.textColor, vp.color};
  PaintHeader(c, content, content, neighbours, bsAll, esNormal, t, handler, false);
  PaintNavigationArrows(*this, c, r, arrows, sideWidth, clWindowText);
}

// The splitter of the classic looks: the border rows (or columns) in the
// given colour pairs, then the view parameters' fill.
void PaintSplitter(TleCanvas& c, Rect r, const ViewParameters& vp, bool horizontal,
                   std::initializer_list<std::pair<TColor, TColor>> rings) {
  for (const auto& [first, second] : rings) {
    if (horizontal) {
      FillRectColor(c, {r.left, r.top, r.right, r.top + 1}, first);
      FillRectColor(c, {r.left, r.bottom - 1, r.right, r.bottom}, second);
      r = {r.left - 1, r.top + 1, r.right + 1, r.bottom - 1};
    } else {
      FillRectColor(c, {r.left, r.top, r.left + 1, r.bottom}, first);
      FillRectColor(c, {r.right - 1, r.top, r.right, r.bottom}, second);
      r = {r.left + 1, r.top - 1, r.right - 1, r.bottom + 1};
    }
  }
  c.FrameAndFill(r, vp.bitmap, vp.color, false, 0, clDefault, 0);
}

void TleStandardLookAndFeelPainter::PaintPaneSplitter(TleCanvas& c, const Rect& r,
                                                      const ViewParameters& vp,
                                                      bool horizontal) const {
  PaintSplitter(c, r, vp, horizontal, {{clBtnFace, cl3DDkShadow}, {clBtnHighlight, clBtnShadow}});
}

}  // namespace kelmo::le
