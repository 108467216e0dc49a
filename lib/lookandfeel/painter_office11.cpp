// The Office-2003 painter: gradient header backgrounds, scheme-coloured
// frames and faces, bitmap expand buttons. It reads the Office-2003 colour
// slots at each call.
#include "lookandfeel/office11_colors.h"
#include "lookandfeel/painter_shared.h"

namespace kelmo::le {
namespace {

TColor T(ColorRef c) {
  return static_cast<TColor>(c);
}

}  // namespace

TColor TleOffice11LookAndFeelPainter::HeaderTopColor() const {
  return T(MixColorsPercent(T(Office11().GradientLight), T(Office11().GradientDark), 50));
}
TColor TleOffice11LookAndFeelPainter::HeaderBottomColor() const {
  return T(Office11().GradientDark);
}
TColor TleOffice11LookAndFeelPainter::HeaderLineColor() const {
  return T(Office11().ShadowLight);
}
TColor TleOffice11LookAndFeelPainter::HeaderLightLineColor() const {
  return T(Office11().EdgeLight);
}

TColor TleOffice11LookAndFeelPainter::ElementColor(int n) const {
  const Office11Colors& o = Office11();
  switch (n) {
    case 3:
      return T(o.Shadow);
    case 4:
      return T(o.Highlight3D);
    case 6:
    case 22:
    case 39:
      return T(o.Face);
    case 7:
      return ElementColor(14);
    case 9:
      return T(o.PanelFace);
    case 11:
      return T(o.ShadowMid);
    case 12:
      return T(o.GradientLight);
    case 13:
      return HeaderTopColor();
    case 15:
      return ElementColor(11);
    case 23:
      return T(o.Marker);
    case 24:
      return clWindowText;
    case 28:
      return T(o.FaceAlt);
    case 34:
      return T(o.FaceLight);
    case 36:
      return ElementColor(34);
    case 41:
      return ElementColor(28);
    default:
      return TleUltraFlatLookAndFeelPainter::ElementColor(n);
  }
}

TColor TleOffice11LookAndFeelPainter::PaneBorderColor() const {
  return T(Office11().FrameDark);
}

void TleOffice11LookAndFeelPainter::PaintCellContent(TleCanvas& c, const Rect& b,
                                                     const Rect& textRect, ElementState s,
                                                     const CellText& t,
                                                     const BackgroundHandler& handler,
                                                     bool plain) const {
  if (!(handler && handler(c, b))) {
    const TColor top = s == esHot ? T(Office11().GradientLight) : HeaderTopColor();
    const TColor bottom = s == esHot ? T(Office11().GradientLight) : HeaderBottomColor();
    if (plain) {
      FillColorRect(c, b, top);
    } else {
      FillColorRect(c, {b.left, b.top, b.right, b.bottom - 3}, top);
      FillGradientRect(c, {b.left, b.bottom - 4, b.right, b.bottom}, top, false, bottom);
    }
  }
  if (!t.text.isEmpty()) {
    c.SetBrushStyle(TleBrushStyle::Clear);
    c.AssignFont(t.font);
    c.SetFontColor(t.textColor);
    c.DrawTextInRect(t.text, textRect, true, CellTextFlags(t));
    c.SetBrushStyle(TleBrushStyle::Solid);
  }
  if (s == esHot) {
    FillGradientRect(c, {b.left - 1, b.bottom - 2, b.right, b.bottom + 1}, T(Office11().HotLight),
                     false, T(Office11().HotDark));
  }
}

void TleOffice11LookAndFeelPainter::PaintBorder(TleCanvas& c, const Rect& r) const {
  Frame(c, r, T(Office11().Frame));
}

TColor TleOffice11LookAndFeelPainter::ButtonFaceColor(ElementState s) const {
  switch (s) {
    case esHot:
      return T(Office11().HotLight);
    case esPressed:
      return T(Office11().Pressed);
    case esDisabled:
      return clBtnFace;
    default:
      return T(Office11().Face);
  }
}

TColor TleOffice11LookAndFeelPainter::ButtonGlyphColor(ElementState s, TColor) const {
  if (s == esPressed && !Office11SchemeInUse()) return clHighlightText;
  if (s == esDisabled) return T(Office11().GrayText);
  return T(Office11().Text);
}

void TleOffice11LookAndFeelPainter::PaintButtonBorder(TleCanvas& c, const Rect& r,
                                                      ElementState s) const {
  switch (s) {
    case esDefault:
      TleUltraFlatLookAndFeelPainter::PaintButtonBorder(c, r, s);
      break;
    case esNormal:
      Frame(c, r, clBtnText);
      break;
    case esDisabled:
      Frame(c, r, T(Office11().GrayText));
      break;
    default:
      Frame(c, r, T(Office11().SelectionFrame));
      break;
  }
}

void TleOffice11LookAndFeelPainter::PaintExpandButton(TleCanvas& c, const Rect& r, bool expanded,
                                                      TColor) const {
  // The corners blend into a copy of the shared glyph; the drawn result is
  // the same as blending into the glyph itself.
  QImage glyph = Office11ExpandButtonBitmap(expanded).convertToFormat(QImage::Format_RGB32);
  if (glyph.isNull()) return;
  const ColorRef light =
      MixColorsPercent(T(Office11ExpandButtonLight), T(c.PixelColor(r.left, r.top)), 25);
  const ColorRef dark =
      MixColorsPercent(T(Office11ExpandButtonDark), T(c.PixelColor(r.right - 1, r.bottom - 1)), 25);
  glyph.setPixelColor(0, 0, winshim::ToQColor(light));
  for (QPoint p : {QPoint(10, 10), QPoint(0, 10), QPoint(10, 0)}) {
    glyph.setPixelColor(p, winshim::ToQColor(dark));
  }
  c.DrawBitmap(r.left, r.top, glyph);
}

void TleOffice11LookAndFeelPainter::PaintSmallExpandButton(TleCanvas& c, const Rect& r,
                                                           bool expanded, TColor,
                                                           TColor fill) const {
  PaintExpandButton(c, r, expanded, fill);
}

TColor TleOffice11LookAndFeelPainter::CheckFaceColor(ElementState s) const {
  return s == esHot || s == esPressed || s == esDisabled ? ButtonFaceColor(s) : clWindow;
}

void TleOffice11LookAndFeelPainter::PaintHeader(TleCanvas& c, const Rect& bounds,
                                                const Rect& textRect, TleBorders neighbours,
                                                TleBorders borders, ElementState s,
                                                const CellText& t, const BackgroundHandler&,
                                                bool extra) const {
  TleCustomLookAndFeelPainter::PaintHeader(c, bounds, textRect, neighbours, borders, s, t, {},
                                           extra);
}

void TleOffice11LookAndFeelPainter::PaintHeaderBorder(TleCanvas& c, const Rect& r,
                                                      TleBorders neighbours,
                                                      TleBorders borders) const {
  const TColor c1 = HeaderTopColor(), c2 = HeaderBottomColor();
  const TColor line = HeaderLineColor();
  if (borders & bsTop) FillColorRect(c, {r.left, r.top, r.right, r.top + 1}, c1);
  if (borders & bsBottom) FillColorRect(c, {r.left, r.bottom - 1, r.right, r.bottom}, line);
  if (borders & bsLeft) {
    c.SetPixelColor(r.left, r.top + 1, c1);
    int from = r.top + 1, to = r.bottom - 2;
    if (neighbours & bsLeft) {
      c.SetPixelColor(r.left, r.top + 2, c1);
      c.SetPixelColor(r.left, r.bottom - 3, T(MixColorsPercent(c1, c2, 25)));
      from = r.top + 2;
      to = r.bottom - 3;
    }
    c.SetPixelColor(r.left, r.bottom - 2, c2);
    FillColorRect(c, {r.left, from, r.left + 1, to}, HeaderLightLineColor());
  }
  if (borders & bsRight) {
    int from, to;
    TColor last;
    if (neighbours & bsRight) {
      c.SetPixelColor(r.right - 1, r.top + 1, c1);
      c.SetPixelColor(r.right - 1, r.top + 2, c1);
      c.SetPixelColor(r.right - 1, r.bottom - 3, T(MixColorsPercent(c1, c2, 25)));
      from = r.top + 2;
      to = r.bottom - 3;
      last = c2;
    } else {
      c.SetPixelColor(r.right - 1, r.top, T(MixColorsPercent(c1, line, 50)));
      from = r.top + 1;
      to = r.bottom - 2;
      last = T(MixColorsPercent(c2, line, 50));
    }
    c.SetPixelColor(r.right - 1, r.bottom - 2, last);
    FillColorRect(c, {r.right - 1, from, r.right, to}, line);
  }
}

void TleOffice11LookAndFeelPainter::PaintHeaderSection(TleCanvas& c, const Rect& bounds,
                                                       const Rect& textRect, TleBorders neighbours,
                                                       TleBorders borders, ElementState s,
                                                       const CellText& t) const {
  PaintHeader(c, bounds, textRect, neighbours, borders, s, t, {}, false);
  if (s == esPressed) PaintHeaderPressed(c, bounds);
}

void TleOffice11LookAndFeelPainter::PaintSortMark(TleCanvas& c, const Rect& r,
                                                  bool ascending) const {
  PaintSortArrow(*this, c, r, HeaderLineColor(), HeaderLightLineColor(), ascending);
}

void TleOffice11LookAndFeelPainter::PaintScrollBarPart(TleCanvas& c, bool horizontal, const Rect& r,
                                                       ScrollBarPart part, ElementState s) const {
  if (ThemesAvailableFor(KindBit(tkScrollBar))) {
    NativePainter().PaintScrollBarPart(c, horizontal, r, part, s);
  } else {
    PainterOf(lfStandard).PaintScrollBarPart(c, horizontal, r, part, s);
  }
}

void TleOffice11LookAndFeelPainter::PaintNavigationHeader(TleCanvas& c, const Rect& rect,
                                                          const QString& text, TleBorders,
                                                          const ViewParameters& vp, int arrows,
                                                          int sideWidth,
                                                          const BackgroundHandler& handler) const {
  const Rect r = rect.Inflate(-1, -1);
  if (!(handler && handler(c, r))) c.FrameAndFill(r, vp.bitmap, vp.color, false, 0, clDefault, 0);
  if (!text.isEmpty()) {
    c.SetBrushStyle(TleBrushStyle::Clear);
    c.AssignFont(vp.font);
    c.SetFontColor(vp.textColor);
    c.DrawTextInRect(text, r, true, 100);
    c.SetBrushStyle(TleBrushStyle::Solid);
  }
  PaintNavigationArrows(*this, c, rect, arrows, sideWidth, clWindowText);
}

void TleOffice11LookAndFeelPainter::PaintPaneBorder(TleCanvas& c, const Rect& r) const {
  Frame(c, r, PaneBorderColor());
}

void TleOffice11LookAndFeelPainter::PaintPaneNavigationButton(TleCanvas& c, const Rect& r,
                                                              ElementState s) const {
  NativePainter().PaintPaneNavigationButton(c, r, s);
}

TColor TleOffice11LookAndFeelPainter::ButtonFrameColor(ElementState s) const {
  return s == esNormal ? HeaderLineColor() : T(Office11().SelectionFrame);
}

TColor TleOffice11LookAndFeelPainter::GroupHighlightColor() const {
  return T(Office11().SelectionFrame);
}

}  // namespace kelmo::le
