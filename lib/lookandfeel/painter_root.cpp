// The root painter: the base behaviour of every element and the geometric
// helpers several looks share.
#include <algorithm>

#include "lookandfeel/painter_resources.h"
#include "lookandfeel/painters.h"

namespace kelmo::le {

void FillRectColor(TleCanvas& c, const Rect& r, TColor color) {
  if (!r.IsEmpty()) winshim::FillSolidRect(c.Dc(), r, ResolveColor(color));
}

std::uint32_t CellTextFlags(const CellText& t) {
  static constexpr std::uint32_t kH[] = {TextFlagLeft, TextFlagRight, TextFlagCenterX};
  static constexpr std::uint32_t kV[] = {TextFlagTop, TextFlagBottom, TextFlagCenterY};
  return kH[t.hAlign] | kV[t.vAlign] | (t.multiLine ? TextFlagWordBreak : TextFlagSingleLine) |
         (t.endEllipsis ? TextFlagEndEllipsis : 0);
}

TleLookAndFeelKind StyleToKind(std::uint8_t code) {
  switch (code) {
    case 0:
      return lfFlat;
    case 2:
      return lfUltraFlat;
    case 4:
      return lfOffice11;
    default:
      return lfStandard;
  }
}

ArrowDirection ArrowDirectionFor(bool horizontal, ScrollBarPart part) {
  if (horizontal) return part == sbpLineUp ? adLeft : adRight;
  return part == sbpLineUp ? adUp : adDown;
}

QPolygon ArrowPoints(Rect r, ArrowDirection d, bool square) {
  if (square) {
    const int diff = r.Width() - r.Height();
    r = diff > 0 ? r.Inflate(-diff / 2, 0) : r.Inflate(0, diff / 2);
  }
  int w, h;
  if (d == adUp || d == adDown) {
    w = (r.right - r.left - 1) / 2;
    if (w % 2 == 0) ++w;
    h = w / 2 + 1;
  } else {
    h = (r.bottom - r.top - 1) / 2;
    if (h % 2 == 0) ++h;
    w = h / 2 + 1;
  }
  const int xc = (r.left + r.right - 1) / 2, x0 = (r.left + r.right - w) / 2;
  const int y0 = MulDiv(r.top + r.bottom - h, 1, 2), ym = (r.top + r.bottom) / 2;
  switch (d) {
    case adUp:
      return QPolygon({QPoint(xc, y0), QPoint(x0, y0 + h - 1), QPoint(x0 + w - 1, y0 + h - 1)});
    case adDown:
      return QPolygon({QPoint(x0, y0), QPoint(x0 + w - 1, y0), QPoint(xc, y0 + h - 1)});
    case adLeft:
      return QPolygon({QPoint(x0, ym), QPoint(x0 + w - 1, y0), QPoint(x0 + w - 1, y0 + h - 1)});
    default:
      return QPolygon({QPoint(x0, y0), QPoint(x0 + w - 1, ym), QPoint(x0, y0 + h - 1)});
  }
}

namespace {

void FillPolygon(TleCanvas& c, const QPolygon& points, TColor color) {
  c.SetBrushStyle(TleBrushStyle::Solid);
  c.SetBrushColor(color);
  c.SetPenColor(color);
  c.Polygon(points);
}

void Line(TleCanvas& c, int x1, int y1, int x2, int y2, TColor color) {
  c.SetPenColor(color);
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

}  // namespace

void PaintExpandSign(TleCanvas& c, const Rect& r, bool expanded, TColor color) {
  const int s = (r.right - r.left - 4) / 2;
  const int cx = MidPointDown(r.left, r.right), cy = MidPointDown(r.top, r.bottom);
  FillRectColor(c, {cx - s, cy, cx + s + 1, cy + 1}, color);
  if (!expanded) FillRectColor(c, {cx, cy - s, cx + 1, cy + s + 1}, color);
}

void PaintCrossSign(const TleCustomLookAndFeelPainter& p, TleCanvas& c, const Rect& r,
                    ElementState s, TColor color) {
  int n = p.CloseButtonSize().x() / 2;
  if (n % 2 == 0) --n;
  for (int k = 0; k < 2; ++k) {
    int x = (r.left + r.right - n) / 2 + k, y = (r.top + r.bottom - n) / 2;
    if (s == esPressed) {
      ++x;
      ++y;
    }
    Line(c, x, y, x + n, y + n, color);
    Line(c, x, y + n - 1, x + n, y - 1, color);
  }
}

void PaintSortArrow(const TleCustomLookAndFeelPainter& p, TleCanvas& c, const Rect& r,
                    TColor second, TColor first, bool ascending) {
  const QPoint size = p.SortMarkSize();
  const int W = size.x(), H = size.y();
  const int s = ascending ? 1 : -1;
  int x = (r.left + r.right) / 2;
  if (W % 2 == 0) --x;
  const int y = ascending ? (r.top + r.bottom - H) / 2 : (r.top + r.bottom + H) / 2 - 1;
  const int right = W / 2;
  const int left = W / 2 - (W % 2 == 0 ? 1 : 0);
  c.SetPenColor(first);
  c.MoveTo(x + right, y + (H - 2) * s);
  c.LineTo(x + right - left, y);
  c.LineTo(x + right, y + (H - 1) * s);
  if (!ascending) c.SetPenColor(second);
  c.LineTo(x - left, y + (H - 1) * s);
  if (ascending) c.SetPenColor(second);
  c.LineTo(x, y);
  c.LineTo(x - left, y + (H - (W % 2)) * s);
}

void PaintNavigationArrows(const TleCustomLookAndFeelPainter& p, TleCanvas& c, const Rect& bounds,
                           int arrows, int sideWidth, TColor color) {
  Rect r = bounds;
  r.top += p.BorderWidth();
  r = {r.left, r.top + 1, r.right, r.bottom - 1};
  int h = (r.bottom - r.top) / 2;
  if (h % 2 == 0) ++h;
  const int yt = (r.top + r.bottom - h) / 2 - 1;
  auto arrow = [&](int x0, int s) {
    const int xe = x0 + (sideWidth - 1) * s;
    FillPolygon(c,
                QPolygon({QPoint(xe, yt), QPoint(xe, yt + h + 1),
                          QPoint(xe - (h / 2 + 1) * s, yt + h / 2 + 1)}),
                color);
  };
  if (arrows == 1 || arrows == 3) arrow(r.left, 1);
  if (arrows == 2 || arrows == 3) arrow(r.right, -1);
  c.SetBrushStyle(TleBrushStyle::Solid);
}

void PaintIndicatorImage(TleCanvas& c, const Rect& r, int kind) {
  if (kind <= 0 || kind > 5) return;
  const QImage& img = IndicatorImage(kind - 1);
  if (img.isNull()) return;
  c.DrawBitmap((r.left + r.right - img.width()) / 2, (r.top + r.bottom - img.height()) / 2, img);
}

void TleCustomLookAndFeelPainter::PaintDownTriangle(TleCanvas& c, const Rect& r,
                                                    TColor color) const {
  int w = (r.right - r.left) / 2;
  if (w % 2 == 0) ++w;
  const int h = w / 2 + 1;
  const int x0 = (r.left + r.right - w) / 2, y0 = MulDiv(r.top + r.bottom - h, 1, 2);
  FillPolygon(c, QPolygon({QPoint(x0, y0), QPoint(x0 + w - 1, y0), QPoint(x0 + w / 2, y0 + h - 1)}),
              color);
}

void TleCustomLookAndFeelPainter::PaintCellContent(TleCanvas& c, const Rect& bounds,
                                                   const Rect& textRect, ElementState,
                                                   const CellText& t,
                                                   const BackgroundHandler& handler, bool) const {
  if (!(handler && handler(c, bounds))) FillRectColor(c, bounds, t.backgroundColor);
  if (t.text.isEmpty()) return;
  c.SetBrushStyle(TleBrushStyle::Clear);
  c.AssignFont(t.font);
  c.SetFontColor(t.textColor);
  c.DrawTextInRect(t.text, textRect, true, CellTextFlags(t));
  c.SetBrushStyle(TleBrushStyle::Solid);
}

Rect TleCustomLookAndFeelPainter::FooterCellInnerRect(const Rect& bounds) const {
  const int w = FooterCellBorderWidth();
  return bounds.Inflate(-w, -w);
}
Rect TleCustomLookAndFeelPainter::FooterCellTextRect(const Rect& bounds) const {
  return FooterCellInnerRect(bounds).Inflate(-2, -2);
}

TColor TleCustomLookAndFeelPainter::ElementColor(int n) const {
  static constexpr TColor kColors[52] = {0,
                                         clWindow,
                                         clWindowText,
                                         clBtnShadow,
                                         clBtnHighlight,
                                         clBtnText,
                                         clBtnFace,
                                         clBtnText,
                                         clBtnShadow,
                                         clBtnFace,
                                         clBtnText,
                                         clBtnShadow,
                                         clBtnFace,
                                         clBtnFace,
                                         clBtnText,
                                         clBtnShadow,
                                         clBtnFace,
                                         0xFF0000,
                                         clBtnFace,
                                         clBtnText,
                                         0xFF0000,
                                         0,
                                         clBtnFace,
                                         clHighlight,
                                         clHighlightText,
                                         clWindow,
                                         clWindowText,
                                         0x0000FF,
                                         clBtnFace,
                                         0xD5FFFF,
                                         clWindowText,
                                         clHighlight,
                                         clHighlightText,
                                         clBtnFace,
                                         clBtnFace,
                                         clBtnText,
                                         clBtnFace,
                                         0xFFFFFF,
                                         0x000000,
                                         clBtnFace,
                                         clBtnText,
                                         0xFFFFFF,
                                         0x000000,
                                         0x000000,
                                         0x000000,
                                         0xCFCFCF,
                                         0xFFFFFF,
                                         clBtnShadow,
                                         0xF0CAA6,
                                         0x800000,
                                         clBtnShadow,
                                         clBtnShadow};
  if (n == 21) return ElementColor(8);
  if (n == 27) return PaneBorderColor();
  return n >= 1 && n <= 51 ? kColors[n] : clNone;
}

void TleCustomLookAndFeelPainter::PaintArrow(TleCanvas& c, const Rect& r, ArrowDirection d,
                                             TColor color) const {
  FillPolygon(c, ArrowPoints(r, d, true), color);
}

void TleCustomLookAndFeelPainter::PaintArrowButton(TleCanvas& c, const Rect& r, ElementState s,
                                                   ArrowDirection d, bool framed) const {
  if (framed) {
    PaintArrowButtonFrame(c, r, s);
  } else {
    FillRectColor(c, r, ButtonFaceColor(s));
  }
  FillPolygon(c, ArrowPoints(r, d, false), ButtonGlyphColor(s, clDefault));
}

void TleCustomLookAndFeelPainter::PaintArrowButtonFrame(TleCanvas& c, const Rect& r,
                                                        ElementState s) const {
  FillRectColor(c, r, ButtonFaceColor(s));
  PaintButtonBorder(c, r, s);
}

void TleCustomLookAndFeelPainter::PaintScrollButtonArrow(TleCanvas& c, const Rect& rect,
                                                         ElementState s, ArrowDirection d) const {
  Rect r = rect;
  if (s == esPressed) r = r.Offset(PressedContentShift(), PressedContentShift());
  const QPolygon pts = ArrowPoints(r, d, true);
  if (s == esDisabled) {
    FillPolygon(c, pts.translated(1, 1), clBtnHighlight);
    FillPolygon(c, pts, clBtnShadow);
  } else {
    FillPolygon(c, pts, ButtonGlyphColor(s, clDefault));
  }
}

Rect TleCustomLookAndFeelPainter::FocusFrameRect(TleCanvas&, const Rect& r) const {
  const Rect s = r.Inflate(-4, -4);
  return s.IsEmpty() ? r : s;
}

Margins TleCustomLookAndFeelPainter::GroupButtonMargins(int, int) const {
  const int w = ButtonBorderWidth(esNormal);
  return {w, w, w, w};
}

TColor TleCustomLookAndFeelPainter::ButtonGlyphColor(ElementState s, TColor color) const {
  if (s == esDisabled) return clBtnShadow;
  return color == clDefault ? clBtnText : color;
}

void TleCustomLookAndFeelPainter::PaintPushButton(TleCanvas& c, const Rect& rect,
                                                  const QString& caption, ElementState s,
                                                  bool framed, TColor background,
                                                  TColor textColor) const {
  Rect r = rect;
  if (framed) {
    PaintButtonBorder(c, r, s);
    const int w = ButtonBorderWidth(s);
    r = r.Inflate(-w, -w);
  }
  FillRectColor(c, r, background == clDefault ? ButtonFaceColor(s) : background);
  c.SetFontColor(textColor == clDefault ? ButtonGlyphColor(s, clDefault) : textColor);
  c.SetBrushStyle(TleBrushStyle::Clear);
  r.bottom -= (r.bottom - r.top) % 2;
  if (r.Height() < 18) r.top -= 1;
  if (s == esPressed) r = r.Offset(PressedContentShift(), PressedContentShift());
  if (!caption.isEmpty()) c.DrawTextInRect(caption, r, s != esDisabled, 612);
  c.SetBrushStyle(TleBrushStyle::Solid);
}

void TleCustomLookAndFeelPainter::PaintGroupButton(TleCanvas& c, const Rect& r, ElementState s, int,
                                                   int, TColor) const {
  PaintPushButton(c, r, {}, s, true, clDefault, clDefault);
}

void TleCustomLookAndFeelPainter::PaintGroupExpandButton(TleCanvas& c, const Rect& r, bool expanded,
                                                         ElementState s) const {
  PaintPushButton(c, r, {}, s, true, clDefault, clDefault);
  const TColor color = ButtonGlyphColor(s, clDefault);
  const int x0 = (r.left + r.right - 7) / 2, y0 = (r.top + r.bottom - 8) / 2;
  for (int row : {y0, y0 + 1, y0 + 4, y0 + 5}) {
    // Pointing up when expanded: the middle point 3 pixels above the ends.
    const int ends = expanded ? row + 3 : row;
    const int mid = expanded ? row : row + 3;
    Line(c, x0, ends, x0 + 3, mid, color);
    c.LineTo(x0 + 6, ends);
    c.SetPixelColor(x0 + 6, ends, color);  // the end point a line leaves out
  }
}

void TleCustomLookAndFeelPainter::PaintSmallExpandButton(TleCanvas& c, const Rect& r, bool expanded,
                                                         TColor border, TColor fill) const {
  c.FillSideBands(r, border, false, bsAll, 1);
  if (fill != clDefault) FillRectColor(c, r.Inflate(-1, -1), fill);
  PaintExpandSign(c, r, expanded, clBtnText);
}

TColor TleCustomLookAndFeelPainter::CheckFaceColor(ElementState s) const {
  return s == esPressed || s == esDisabled ? clBtnFace : clWindow;
}

QSize TleCustomLookAndFeelPainter::CheckBoxExtent() const {
  return CheckBoxSize();
}

void TleCustomLookAndFeelPainter::PaintCheckInterior(TleCanvas& c, const Rect& r, ElementState s,
                                                     bool checked, TColor mark) const {
  FillRectColor(c, r, CheckFaceColor(s));
  if (!checked) return;
  const int X = r.Width() - 2, Y = r.Height() - 4;
  const int x = (r.left + r.right) / 2 - 1;
  c.SetPenColor(mark);
  for (int d = 0; d < 3; ++d) {
    const int yb = (r.top + r.bottom + Y) / 2 + d - 2;
    c.MoveTo(x - X / 2 + 1, yb - Y / 2);
    c.LineTo(x, yb);
    c.LineTo(x + X / 2 + 2, yb - Y);
  }
}

void TleCustomLookAndFeelPainter::PaintFramedCheck(TleCanvas& c, const Rect& r, ElementState s,
                                                   bool checked) const {
  PaintCheckFrame(c, r, s);
  const int w = CheckFrameWidth();
  PaintCheckInterior(c, r.Inflate(-w, -w), s, checked, s == esDisabled ? clGrayText : clBtnText);
}

void TleCustomLookAndFeelPainter::PaintRadioButton(TleCanvas& c, int x, int y, ElementState s,
                                                   bool checked, bool focused, TColor background,
                                                   bool marked) const {
  SharedRadioImages().DrawRadioImage(c, x, y, background, StyleToKind(StyleCode()), s, checked,
                                     focused, marked);
}

QSize TleCustomLookAndFeelPainter::RadioButtonExtent() const {
  return SharedRadioImages().RadioImageSize();
}

void TleCustomLookAndFeelPainter::PaintHeader(TleCanvas& c, const Rect& bounds,
                                              const Rect& textRect, TleBorders neighbours,
                                              TleBorders borders, ElementState s, const CellText& t,
                                              const BackgroundHandler& handler, bool) const {
  PaintHeaderBorder(c, bounds, neighbours, borders);
  PaintCellContent(c, HeaderContentRect(bounds, borders), textRect, s, t, handler, false);
}

void TleCustomLookAndFeelPainter::PaintHeaderNoExtra(TleCanvas& c, const Rect& bounds,
                                                     const Rect& textRect, TleBorders neighbours,
                                                     TleBorders borders, ElementState s,
                                                     const CellText& t,
                                                     const BackgroundHandler& handler) const {
  PaintHeader(c, bounds, textRect, neighbours, borders, s, t, handler, false);
}

void TleCustomLookAndFeelPainter::PaintHeaderSection(TleCanvas& c, const Rect& bounds,
                                                     const Rect& textRect, TleBorders,
                                                     TleBorders borders, ElementState s,
                                                     const CellText& t) const {
  PaintHeaderSectionBorder(c, bounds, borders, s);
  PaintHeaderSectionContent(c, HeaderSectionContentRect(bounds, s), textRect, s, t);
}

void TleCustomLookAndFeelPainter::PaintHeaderSectionContent(TleCanvas& c, const Rect& bounds,
                                                            const Rect& textRect, ElementState s,
                                                            const CellText& t) const {
  FillRectColor(c, bounds, t.backgroundColor);
  PaintSectionText(c, HeaderSectionTextRect(textRect, s), s, t);
}

void TleCustomLookAndFeelPainter::PaintSectionText(TleCanvas& c, const Rect& r, ElementState s,
                                                   const CellText& t) const {
  if (t.text.isEmpty()) return;
  c.SetBrushStyle(TleBrushStyle::Clear);
  c.AssignFont(t.font);
  const std::uint32_t flags = CellTextFlags(t);
  if (s == esDisabled) {
    c.SetFontColor(clBtnHighlight);
    c.DrawTextInRect(t.text, r.Offset(1, 1), true, flags);
    c.SetFontColor(clBtnShadow);
  } else {
    c.SetFontColor(t.textColor);
  }
  c.DrawTextInRect(t.text, r, true, flags);
  c.SetBrushStyle(TleBrushStyle::Solid);
}

Rect TleCustomLookAndFeelPainter::HeaderOuterRect(const Rect& bounds, TleBorders neighbours,
                                                  TleBorders borders) const {
  const TleBorders grow = borders & static_cast<TleBorders>(~HeaderBordersFor(neighbours));
  const int w = HeaderBorderWidth();
  Rect r = bounds;
  if (grow & bsLeft) r.left -= w;
  if (grow & bsTop) r.top -= w;
  if (grow & bsRight) r.right += w;
  if (grow & bsBottom) r.bottom += w;
  return r;
}

Rect TleCustomLookAndFeelPainter::HeaderContentRect(const Rect& bounds, TleBorders borders) const {
  const int w = HeaderBorderWidth();
  Rect r = bounds;
  if (borders & bsLeft) r.left += w;
  if (borders & bsTop) r.top += w;
  if (borders & bsRight) r.right -= w;
  if (borders & bsBottom) r.bottom -= w;
  return r;
}

Rect TleCustomLookAndFeelPainter::HeaderSectionTextRect(const Rect& r, ElementState s) const {
  return s == esPressed ? r.Offset(1, 1) : r;
}

Rect TleCustomLookAndFeelPainter::HeaderSectionContentRect(const Rect& r, ElementState s) const {
  const int w = HeaderSectionBorderWidth(s);
  return r.Inflate(-w, -w);
}

int TleCustomLookAndFeelPainter::HeaderWidthFor(TleCanvas& c, TleBorders borders, const QFont& font,
                                                const QString& text) const {
  c.AssignFont(font);
  int w = c.MeasureTextWidth(text) + 4;
  if (borders & bsLeft) w += HeaderBorderWidth();
  if (borders & bsRight) w += HeaderBorderWidth();
  return w;
}

void TleCustomLookAndFeelPainter::PaintFooterCell(TleCanvas& c, const Rect& bounds,
                                                  const CellText& t,
                                                  const BackgroundHandler& handler) const {
  PaintFooterCellBorder(c, bounds);
  PaintCellContent(c, FooterCellInnerRect(bounds), FooterCellTextRect(bounds), esDefault, t,
                   handler, true);
}

void TleCustomLookAndFeelPainter::PaintFooterSeparator(TleCanvas& c, const Rect& r) const {
  FillRectColor(c, r, FooterSeparatorColor());
}

void TleCustomLookAndFeelPainter::PaintCloseButton(TleCanvas& c, const Rect& rect,
                                                   ElementState s) const {
  PaintButtonBorder(c, rect, s);
  const int w = ButtonBorderWidth(esNormal);
  const Rect r = rect.Inflate(-w, -w);
  FillRectColor(c, r, ButtonFaceColor(s));
  PaintCrossSign(*this, c, r, GlyphStateFor(s), ButtonGlyphColor(s, clDefault));
}

void TleCustomLookAndFeelPainter::PaintIndicator(TleCanvas& c, const Rect& r, int kind,
                                                 TColor background,
                                                 const BackgroundHandler& handler) const {
  const CellText t{.textColor = clNone, .backgroundColor = background};
  PaintHeader(c, r, r, 0, HeaderBordersFor(bsTop | bsBottom), esNormal, t, handler, false);
  PaintIndicatorImage(c, r, kind);
}

void TleCustomLookAndFeelPainter::PaintIndicatorNoExtra(TleCanvas& c, const Rect& r, int kind,
                                                        TColor background,
                                                        const BackgroundHandler& handler) const {
  const CellText t{.textColor = clNone, .backgroundColor = background};
  PaintHeaderNoExtra(c, r, r, 0, bsAll, esNormal, t, handler);
  PaintIndicatorImage(c, r, kind);
}

void TleCustomLookAndFeelPainter::PaintNavigationHeader(TleCanvas& c, const Rect& r,
                                                        const QString& text, TleBorders neighbours,
                                                        const ViewParameters& vp, int arrows,
                                                        int sideWidth,
                                                        const BackgroundHandler& handler) const {
  CellText t{taCenter, vaCenter, false, false, text, vp.font, vp.textColor, vp.color};
  PaintHeader(c, r, r, neighbours, HeaderBordersFor(neighbours), esNormal, t, handler, false);
  PaintNavigationArrows(*this, c, r, arrows, sideWidth, clWindowText);
}

const TleCustomLookAndFeelPainter& PainterOf(TleLookAndFeelKind kind) {
  static const TleFlatLookAndFeelPainter flat;
  static const TleStandardLookAndFeelPainter standard;
  static const TleUltraFlatLookAndFeelPainter ultraFlat;
  static const TleOffice11LookAndFeelPainter office11;
  switch (kind) {
    case lfFlat:
      return flat;
    case lfStandard:
      return standard;
    case lfOffice11:
      return office11;
    default:
      return ultraFlat;
  }
}

const TleWinXPLookAndFeelPainter& NativePainter() {
  static const TleWinXPLookAndFeelPainter native;
  return native;
}

}  // namespace kelmo::le
