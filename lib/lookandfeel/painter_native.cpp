// The native painter: elements drawn through the visual-style engine, with
// the standard painter's drawing (or the root's) whenever the theme object
// has no handle (visual styles off, no engine, or the class missing).
#include <QImage>

#include "lookandfeel/office11_colors.h"
#include "lookandfeel/painter_shared.h"
#include "winshim/draw_text.h"

namespace kelmo::le {
namespace {

constexpr int kPushButton[] = {5, 1, 2, 3, 4};
constexpr int kCheckUnchecked[] = {1, 1, 2, 3, 4};
constexpr int kCheckChecked[] = {5, 5, 6, 7, 8};
constexpr int kHeaderItem[] = {1, 1, 2, 3, 1};
constexpr int kCommon[] = {1, 1, 2, 3, 4};  // close, drop-down, tab item, scroll parts
constexpr int kToolBar[] = {2, 2, 5, 3, 4};
constexpr int kGroupExpand[] = {1, 1, 2, 3, 1};

ThemeHandle H(ThemeKind k) {
  return ThemeHandleOf(k);
}

void Draw(ThemeHandle h, TleCanvas& c, int part, int state, const Rect& r,
          const Rect* clip = nullptr) {
  UxTheme().DrawThemeBackground(h, c.Dc(), part, state, r, clip);
}

QSize PartSize(ThemeHandle h, int part, int state) {
  QSize s;
  UxTheme().GetThemePartSize(h, nullptr, part, state, nullptr, TS_TRUE, s);
  return s;
}

Rect ContentRect(ThemeHandle h, int part, int state, const Rect& r) {
  Rect c = r;
  UxTheme().GetThemeBackgroundContentRect(h, nullptr, part, state, r, c);
  return c;
}

int ScrollArrowState(ArrowDirection d, ElementState s) {
  static constexpr int kRun[] = {0, 0, 1, 2, 3};
  return d * 4 + kRun[s] + 1;
}

const TleCustomLookAndFeelPainter& Root() {
  static const TleCustomLookAndFeelPainter root;
  return root;
}

}  // namespace

TColor TleWinXPLookAndFeelPainter::ElementColor(int n) const {
  return n == 29 ? 0xD5FFFF : TleStandardLookAndFeelPainter::ElementColor(n);
}

TColor TleWinXPLookAndFeelPainter::PaneBorderColor() const {
  winshim::ColorRef color = 0;
  if (const ThemeHandle h = H(tkComboBox)) UxTheme().GetThemeColor(h, 1, 1, 3801, color);
  return static_cast<TColor>(color);
}

void TleWinXPLookAndFeelPainter::PaintArrowButton(TleCanvas& c, const Rect& r, ElementState s,
                                                  ArrowDirection d, bool framed) const {
  if (const ThemeHandle h = H(tkScrollBar)) {
    Draw(h, c, 1, ScrollArrowState(d, s), r);
  } else {
    Root().PaintArrowButton(c, r, s, d, framed);
  }
}

void TleWinXPLookAndFeelPainter::PaintArrowButtonFrame(TleCanvas& c, const Rect& r,
                                                       ElementState s) const {
  if (const ThemeHandle h = H(tkButton)) {
    Draw(h, c, 1, kPushButton[s], r);
  } else {
    TleCustomLookAndFeelPainter::PaintArrowButtonFrame(c, r, s);
  }
}

int TleWinXPLookAndFeelPainter::BorderWidth() const {
  return H(tkListView) ? 1 : TleStandardLookAndFeelPainter::BorderWidth();
}

void TleWinXPLookAndFeelPainter::PaintBorder(TleCanvas& c, const Rect& r) const {
  const ThemeHandle h = H(tkListView);
  if (!h) {
    TleStandardLookAndFeelPainter::PaintBorder(c, r);
    return;
  }
  const int saved = c.SaveState();
  c.ExcludeClipRect(r.Inflate(-1, -1));
  Draw(h, c, 5, 0, r);
  c.RestoreState(saved);
}

Rect TleWinXPLookAndFeelPainter::GroupButtonDisplayRect(const Rect& r, int, int) const {
  const ThemeHandle h = H(tkButton);
  if (h && UxTheme().IsThemeBackgroundPartiallyTransparent(h, 1, 1)) return r.Inflate(1, 1);
  return r;
}

int TleWinXPLookAndFeelPainter::ButtonBorderWidth(ElementState s) const {
  const ThemeHandle h = H(tkButton);
  if (!h) return TleStandardLookAndFeelPainter::ButtonBorderWidth(esNormal);
  const Rect r{0, 0, 100, 100};
  return ContentRect(h, 1, kPushButton[s], r).left - r.left;
}

TColor TleWinXPLookAndFeelPainter::ButtonFaceColor(ElementState s) const {
  const ThemeHandle h = H(tkButton);
  if (!h) return TleCustomLookAndFeelPainter::ButtonFaceColor(s);
  winshim::ColorRef color = ResolveColor(clBtnFace);
  UxTheme().GetThemeColor(h, 1, kPushButton[s], 204, color);
  return static_cast<TColor>(color);
}

Rect TleWinXPLookAndFeelPainter::FocusFrameRect(TleCanvas& c, const Rect& r) const {
  if (const ThemeHandle h = H(tkButton)) {
    Rect content;
    if (UxTheme().GetThemeBackgroundContentRect(h, &c.Dc(), 1, 1, r, content) == S_OK) {
      return content;
    }
  }
  return TleCustomLookAndFeelPainter::FocusFrameRect(c, r);
}

Margins TleWinXPLookAndFeelPainter::GroupButtonMargins(int count, int index) const {
  const ThemeHandle h = H(tkButton);
  if (!h) return TleCustomLookAndFeelPainter::GroupButtonMargins(count, index);
  const Rect c = ContentRect(h, 1, 1, {0, 0, 100, 100});
  Margins m{c.left, c.top, 100 - c.right, 100 - c.bottom};
  if (UxTheme().IsThemeBackgroundPartiallyTransparent(h, 1, 1)) {
    m = {m.left - 1, m.top - 1, m.right + 1, m.bottom + 1};
  }
  return m;
}

TColor TleWinXPLookAndFeelPainter::ButtonGlyphColor(ElementState s, TColor color) const {
  const ThemeHandle h = H(tkButton);
  if (!h) return TleCustomLookAndFeelPainter::ButtonGlyphColor(s, color);
  winshim::ColorRef c = ResolveColor(clBtnText);
  UxTheme().GetThemeColor(h, 1, kPushButton[s], 3803, c);
  return static_cast<TColor>(c);
}

void TleWinXPLookAndFeelPainter::PaintPushButton(TleCanvas& c, const Rect& r,
                                                 const QString& caption, ElementState s,
                                                 bool framed, TColor background,
                                                 TColor textColor) const {
  const ThemeHandle h = H(tkButton);
  if (!h) {
    TleCustomLookAndFeelPainter::PaintPushButton(c, r, caption, s, framed, background, textColor);
    return;
  }
  Draw(h, c, 1, kPushButton[s], r);
  if (!caption.isEmpty()) {
    winshim::Font f = c.Dc().CurrentFont();
    f.qfont = c.Font();
    c.Dc().SelectFont(f);
    UxTheme().DrawThemeText(h, c.Dc(), 1, kPushButton[s], caption, -1, 37, 0, r);
  }
}

void TleWinXPLookAndFeelPainter::PaintExpandButton(TleCanvas& c, const Rect& r, bool expanded,
                                                   TColor color) const {
  const ThemeHandle h = H(tkTreeView);
  if (!h) {
    TleStandardLookAndFeelPainter::PaintExpandButton(c, r, expanded, color);
    return;
  }
  Draw(h, c, 2, expanded ? 2 : 1, r);
  c.ApplyClipRegion(TleRegion(r), RegionDifference, true);
}

void TleWinXPLookAndFeelPainter::PaintGroupExpandButton(TleCanvas& c, const Rect& r, bool expanded,
                                                        ElementState s) const {
  const ThemeHandle h = H(tkExplorerBar);
  if (!h) {
    TleStandardLookAndFeelPainter::PaintGroupExpandButton(c, r, expanded, s);
    return;
  }
  Draw(h, c, expanded ? 6 : 7, kGroupExpand[s], r);
}

void TleWinXPLookAndFeelPainter::PaintSmallExpandButton(TleCanvas& c, const Rect& r, bool expanded,
                                                        TColor, TColor fill) const {
  if (H(tkTreeView)) {
    PaintExpandButton(c, r, expanded, clDefault);
  } else {
    // The root's button with the last argument as its frame and no fill.
    Root().PaintSmallExpandButton(c, r, expanded, fill, clDefault);
  }
}

int TleWinXPLookAndFeelPainter::ExpandButtonExtent() const {
  const ThemeHandle h = H(tkTreeView);
  return h ? PartSize(h, 2, 2).width() : TleStandardLookAndFeelPainter::ExpandButtonExtent();
}

int TleWinXPLookAndFeelPainter::GroupExpandButtonExtent() const {
  const ThemeHandle h = H(tkExplorerBar);
  return h ? PartSize(h, 7, 1).width() : TleCustomLookAndFeelPainter::GroupExpandButtonExtent();
}

bool TleWinXPLookAndFeelPainter::HitsGroupExpandButton(const Rect& r, QPoint p) const {
  const ThemeHandle h = H(tkExplorerBar);
  if (!h) return TleCustomLookAndFeelPainter::HitsGroupExpandButton(r, p);
  QRegion region;
  UxTheme().GetThemeBackgroundRegion(h, nullptr, 7, 1, r, region);
  return region.contains(p);
}

int TleWinXPLookAndFeelPainter::SmallExpandButtonExtent() const {
  return H(tkTreeView) ? ExpandButtonExtent()
                       : TleCustomLookAndFeelPainter::SmallExpandButtonExtent();
}

int TleWinXPLookAndFeelPainter::CheckFrameWidth() const {
  return H(tkButton) ? 0 : TleCustomLookAndFeelPainter::CheckFrameWidth();
}

QSize TleWinXPLookAndFeelPainter::CheckBoxExtent() const {
  const ThemeHandle h = H(tkButton);
  return h ? PartSize(h, 3, 5) : TleCustomLookAndFeelPainter::CheckBoxExtent();
}

void TleWinXPLookAndFeelPainter::PaintCheckInterior(TleCanvas& c, const Rect& r, ElementState s,
                                                    bool checked, TColor mark) const {
  const ThemeHandle h = H(tkButton);
  if (!h) {
    TleCustomLookAndFeelPainter::PaintCheckInterior(c, r, s, checked, mark);
    return;
  }
  Draw(h, c, 3, checked ? kCheckChecked[s] : kCheckUnchecked[s], r);
}

void TleWinXPLookAndFeelPainter::PaintCheckFrame(TleCanvas& c, const Rect& r,
                                                 ElementState s) const {
  if (!H(tkButton)) TleStandardLookAndFeelPainter::PaintCheckFrame(c, r, s);
}

void TleWinXPLookAndFeelPainter::PaintRadioButton(TleCanvas& c, int x, int y, ElementState s,
                                                  bool checked, bool focused, TColor background,
                                                  bool marked) const {
  const ThemeHandle h = H(tkButton);
  if (!h) {
    // Not settled without a theme: the standard look's radio image serves.
    PainterOf(lfStandard).PaintRadioButton(c, x, y, s, checked, focused, background, marked);
    return;
  }
  const QSize size = RadioButtonExtent();
  Draw(h, c, 2, checked ? kCheckChecked[s] : kCheckUnchecked[s],
       Rect::Sized(x, y, size.width(), size.height()));
}

QSize TleWinXPLookAndFeelPainter::RadioButtonExtent() const {
  const ThemeHandle h = H(tkButton);
  return h ? PartSize(h, 2, 1) : PainterOf(lfStandard).RadioButtonExtent();
}

void TleWinXPLookAndFeelPainter::PaintThemedContent(TleCanvas& c, ThemeHandle theme, int part,
                                                    int state, const Rect&, Rect r,
                                                    HorizontalAlignment h, VerticalAlignment v,
                                                    bool multiLine, bool endEllipsis,
                                                    bool showPrefix, const CellText& t) const {
  if (t.text.isEmpty()) return;
  c.AssignFont(t.font);
  c.SetFontColor(t.textColor);
  if (multiLine) c.AlignTextTop(r, t.text, false, true, showPrefix, true, v);
  static constexpr unsigned kH[] = {0, winshim::DT_RIGHT, winshim::DT_CENTER};
  static constexpr unsigned kV[] = {0, winshim::DT_BOTTOM, winshim::DT_VCENTER};
  const unsigned flags = winshim::DT_EDITCONTROL | kH[h] | kV[v] |
                         (multiLine ? winshim::DT_WORDBREAK : winshim::DT_SINGLELINE) |
                         (endEllipsis ? winshim::DT_END_ELLIPSIS : 0) |
                         (showPrefix ? 0 : winshim::DT_NOPREFIX);
  winshim::Font f = c.Dc().CurrentFont();
  f.qfont = t.font;
  c.Dc().SelectFont(f);
  UxTheme().DrawThemeText(theme, c.Dc(), part, state, t.text, -1, flags, 0, r);
}

void TleWinXPLookAndFeelPainter::PaintHeader(TleCanvas& c, const Rect& bounds, const Rect& textRect,
                                             TleBorders neighbours, TleBorders borders,
                                             ElementState s, const CellText& t,
                                             const BackgroundHandler& handler, bool extra) const {
  const ThemeHandle h = H(tkHeader);
  if (!h) {
    TleCustomLookAndFeelPainter::PaintHeader(c, bounds, textRect, neighbours, borders, s, t,
                                             handler, extra);
    return;
  }
  const int state = kHeaderItem[s];
  const int scheme = CurrentOffice11Scheme();
  const int part = extra && state == 1 && (scheme == 1 || scheme == 2) ? 3 : 1;
  Draw(h, c, part, state, bounds);
  const Rect tr = s == esPressed ? textRect.Offset(1, 1) : textRect;
  PaintThemedContent(c, h, part, state, bounds, tr, t.hAlign, t.vAlign, t.multiLine, t.endEllipsis,
                     false, t);
}

void TleWinXPLookAndFeelPainter::PaintHeaderSection(TleCanvas& c, const Rect& bounds,
                                                    const Rect& textRect, TleBorders neighbours,
                                                    TleBorders borders, ElementState s,
                                                    const CellText& t) const {
  FillRectColor(c, bounds, clBtnFace);
  PaintHeader(c, bounds, textRect, neighbours, borders, s, t, {}, false);
}

void TleWinXPLookAndFeelPainter::PaintSortMark(TleCanvas& c, const Rect& r, bool ascending) const {
  PaintSortArrow(*this, c, r, clBtnShadow, clBtnShadow, ascending);
}

int TleWinXPLookAndFeelPainter::HeaderBorderWidth() const {
  const ThemeHandle h = H(tkHeader);
  if (!h) return TleStandardLookAndFeelPainter::HeaderBorderWidth();
  const Rect c = ContentRect(h, 1, 1, {0, 0, 100, 100});
  return (c.left + c.top) / 2;
}

Rect TleWinXPLookAndFeelPainter::HeaderSectionContentRect(const Rect& r, ElementState s) const {
  if (!H(tkHeader)) return TleCustomLookAndFeelPainter::HeaderSectionContentRect(r, s);
  const int w = HeaderBorderWidth();
  return r.Inflate(-w, -w);
}

void TleWinXPLookAndFeelPainter::PaintFooterBorder(TleCanvas& c, const Rect& r) const {
  const ThemeHandle h = H(tkEdit);
  if (!h) {
    TleStandardLookAndFeelPainter::PaintFooterBorder(c, r);
    return;
  }
  UxTheme().DrawThemeEdge(h, c.Dc(), 0, 0, r, winshim::BDR_RAISEDINNER, winshim::BF_RECT, nullptr);
}

void TleWinXPLookAndFeelPainter::PaintFooterCell(TleCanvas& c, const Rect& bounds,
                                                 const CellText& t,
                                                 const BackgroundHandler& handler) const {
  const ThemeHandle h = H(tkTrackBar);
  if (!h) {
    TleCustomLookAndFeelPainter::PaintFooterCell(c, bounds, t, handler);
    return;
  }
  Draw(h, c, 1, 1, bounds);
  PaintThemedContent(c, h, 1, 1, bounds, FooterCellTextRect(bounds), t.hAlign, t.vAlign,
                     t.multiLine, false, false, t);
}

int TleWinXPLookAndFeelPainter::FooterCellBorderWidth() const {
  const ThemeHandle h = H(tkTrackBar);
  return h ? ContentRect(h, 1, 1, {0, 0, 100, 100}).left : 1;
}

void TleWinXPLookAndFeelPainter::PaintCloseButton(TleCanvas& c, const Rect& r,
                                                  ElementState s) const {
  if (const ThemeHandle h = H(tkWindow)) {
    Draw(h, c, 19, kCommon[s], r);
  } else {
    Root().PaintCloseButton(c, r, s);
  }
}

void TleWinXPLookAndFeelPainter::PaintDropDownButton(TleCanvas& c, const Rect& r, ElementState s,
                                                     bool active) const {
  if (const ThemeHandle h = H(tkComboBox)) {
    Draw(h, c, 1, kCommon[s], r);
  } else {
    TleStandardLookAndFeelPainter::PaintDropDownButton(c, r, s, active);
  }
}

QPoint TleWinXPLookAndFeelPainter::ActivationCheckSize() const {
  const ThemeHandle h = H(tkButton);
  if (!h) return TleCustomLookAndFeelPainter::ActivationCheckSize();
  const QSize s = PartSize(h, 3, 5);
  return {s.width(), s.height()};
}

QPoint TleWinXPLookAndFeelPainter::CloseButtonSize() const {
  const ThemeHandle h = H(tkWindow);
  if (!h) return TleCustomLookAndFeelPainter::CloseButtonSize();
  const QSize s = PartSize(h, 19, 1);
  return {s.width() + 4, s.height() + 4};
}

void TleWinXPLookAndFeelPainter::PaintTab(TleCanvas& c, const Rect& rect, TleBorders borders,
                                          const QString& caption, ElementState s, bool vertical,
                                          const QFont& font, TColor textColor, TColor background,
                                          bool showPrefix) const {
  const ThemeHandle h = H(tkTab);
  if (!h) return;
  const int state = kCommon[s];
  Rect r = rect;
  const QPoint origin(rect.left, rect.top);
  if (vertical) r = {0, 0, rect.Height(), rect.Width()};
  Rect draw = r;
  const TleBorders nearSide = vertical ? bsTop : bsLeft, farSide = vertical ? bsBottom : bsRight;
  if (!(borders & nearSide)) draw.left -= 2;
  if (!(borders & farSide)) draw.right += 2;
  if (s == esPressed) {
    draw.bottom += 1;
  } else {
    r.bottom -= 1;
  }
  if (vertical) {
    QImage bitmap(r.right, r.bottom + 1, QImage::Format_ARGB32);
    bitmap.fill(Qt::transparent);
    {
      winshim::Dc dc(bitmap);
      TleCanvas bc(dc);
      Draw(h, bc, 1, state, draw, &r);
    }
    TleCanvas::RotateBitmap(bitmap, 1, true);
    c.DrawBitmap(origin.x(), origin.y(), bitmap);
    draw = {draw.top, draw.left, draw.bottom, draw.right};
    draw = draw.Offset(origin.x(), origin.y());
    r = rect;
  } else {
    Draw(h, c, 1, state, draw, &r);
  }
  if (s == esPressed) (vertical ? draw.right : draw.bottom) -= 2;
  CellText t{taCenter, vaCenter, false, false, caption, font, textColor, background};
  PaintThemedContent(c, h, 1, state, r, draw, taCenter, vaCenter, false, false, showPrefix, t);
}

void TleWinXPLookAndFeelPainter::PaintTabBorder(TleCanvas& c, const Rect& r, TleBorder side,
                                                TleBorders borders, bool vertical) const {
  if (!H(tkTab)) TleStandardLookAndFeelPainter::PaintTabBorder(c, r, side, borders, vertical);
}

void TleWinXPLookAndFeelPainter::PaintTabArea(TleCanvas& c, const Rect& r, TleBorders borders,
                                              bool vertical) const {
  const ThemeHandle h = H(tkTab);
  if (!h) {
    TleStandardLookAndFeelPainter::PaintTabArea(c, r, borders, vertical);
    return;
  }
  const Rect content = ContentRect(h, 9, 0, r);
  Rect pane = r;
  if (vertical) {
    pane.bottom = r.bottom + (r.bottom - content.bottom) - (content.top - r.top);
    pane.right = r.right + 10;
  } else {
    pane.right = r.right + (r.right - content.right) - (content.left - r.left);
    pane.bottom = r.bottom + 10;
  }
  Draw(h, c, 9, 0, pane, &r);
}

bool TleWinXPLookAndFeelPainter::HasTabPainting(bool) const {
  return H(tkTab) != 0;
}
bool TleWinXPLookAndFeelPainter::HotTracksTabs(bool) const {
  return H(tkTab) != 0;
}

void TleWinXPLookAndFeelPainter::PaintIndicator(TleCanvas& c, const Rect& r, int kind,
                                                TColor background,
                                                const BackgroundHandler& handler) const {
  PainterOf(lfFlat).PaintIndicator(c, r, kind, background, handler);
}

void TleWinXPLookAndFeelPainter::PaintScrollBarPart(TleCanvas& c, bool horizontal, const Rect& r,
                                                    ScrollBarPart part, ElementState s) const {
  if (r.IsEmpty() || part == sbpNone) return;
  const ThemeHandle h = H(tkScrollBar);
  if (!h) {
    TleStandardLookAndFeelPainter::PaintScrollBarPart(c, horizontal, r, part, s);
    return;
  }
  switch (part) {
    case sbpLineUp:
    case sbpLineDown:
      PaintArrowButton(c, r, s, ArrowDirectionFor(horizontal, part), true);
      break;
    case sbpThumb:
      Draw(h, c, horizontal ? 2 : 3, kCommon[s], r);
      Draw(h, c, horizontal ? 8 : 9, 0, r);
      break;
    default:
      Draw(h, c, horizontal ? (part == sbpPageUp ? 4 : 5) : (part == sbpPageUp ? 6 : 7), kCommon[s],
           r);
      break;
  }
}

void TleWinXPLookAndFeelPainter::PaintNavigationHeader(TleCanvas& c, const Rect& r,
                                                       const QString& text, TleBorders neighbours,
                                                       const ViewParameters& vp, int arrows,
                                                       int sideWidth,
                                                       const BackgroundHandler& handler) const {
  CellText t{taCenter, vaCenter, false, false, text, vp.font, vp.textColor, vp.color};
  PaintHeader(c, r, r, neighbours, bsAll, esNormal, t, handler, !(neighbours & bsRight));
  PaintNavigationArrows(*this, c, r, arrows, sideWidth, clWindowText);
}

void TleWinXPLookAndFeelPainter::PaintPaneNavigationButton(TleCanvas& c, const Rect& r,
                                                           ElementState s) const {
  if (const ThemeHandle h = H(tkToolBar)) {
    Draw(h, c, 1, kToolBar[s], r);
  } else {
    Root().PaintPaneNavigationButton(c, r, s);
  }
}

void TleWinXPLookAndFeelPainter::PaintPaneSplitter(TleCanvas& c, const Rect& r,
                                                   const ViewParameters& vp,
                                                   bool horizontal) const {
  const ThemeHandle combo = H(tkComboBox);
  if (!combo || !H(tkListView)) {
    TleStandardLookAndFeelPainter::PaintPaneSplitter(c, r, vp, horizontal);
    return;
  }
  winshim::ColorRef border = 0;
  UxTheme().GetThemeColor(combo, 1, 1, 3801, border);
  PaintSplitter(c, r, vp, horizontal, {{static_cast<TColor>(border), static_cast<TColor>(border)}});
}

}  // namespace kelmo::le
