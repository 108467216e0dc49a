// The painters: metrics of every look, and each element drawn in its states
// on QImages with chosen pixels checked; the native painter with the
// visual-style engine bound and without it.
#include <QFont>

#include "fake_theme.h"
#include "lookandfeel/office11_colors.h"
#include "lookandfeel/painter_resources.h"
#include "lookandfeel/painters.h"
#include "paint_fixture.h"

namespace kelmo::le {
namespace {

using test::kPaper;

const TleCustomLookAndFeelPainter& RootPainter() {
  static const TleCustomLookAndFeelPainter root;
  return root;
}

class Painters : public test::PaintFixture {
 protected:
  void SetUp() override {
    PaintFixture::SetUp();
    StartPainterResources();
    ComputeOffice11Colors();
  }
  void TearDown() override {
    StopPainterResources();
    PaintFixture::TearDown();
  }
  const TleCustomLookAndFeelPainter& Standard() { return PainterOf(lfStandard); }
  const TleCustomLookAndFeelPainter& Flat() { return PainterOf(lfFlat); }
  const TleCustomLookAndFeelPainter& UltraFlat() { return PainterOf(lfUltraFlat); }
  const TleCustomLookAndFeelPainter& Office() { return PainterOf(lfOffice11); }
  const TleCustomLookAndFeelPainter& Native() { return NativePainter(); }
};

TEST_F(Painters, MetricsOfEveryLook) {
  test::ThemeBinding unthemed(false);
  struct Row {
    const char* name;
    const TleCustomLookAndFeelPainter& p;
    int style, border, bbDefault, bbNormal, indent, shift, expand, small, header, sectionPressed,
        sectionNormal;
    QPoint sort;
    int footerBorders, footerCellOffset;
    QPoint close;
    bool hotButtons, hotHeaders, expandFirst, headerFirst;
  } rows[] = {
      {"root", RootPainter(), 1,  0, 0,        0,     0,     0,    0,   9, 0, 1,
       1,      {0, 0},        15, 0, {16, 14}, false, false, true, true},
      {"standard", Standard(), 1,      2,  3, 2,        1,     1,     12,   9,   1,
       1,          2,          {8, 7}, 15, 1, {16, 14}, false, false, true, true},
      {"flat", Flat(), 0,      1,  2, 1,        1,     1,     11,   9,   1,
       1,      1,      {8, 7}, 15, 1, {16, 14}, false, false, true, true},
      {"ultra-flat", UltraFlat(), 2, 1,        2,    1,     2,    0,   11, 9, 1, 1, 1,
       {7, 8},       12,          2, {16, 15}, true, false, true, true},
      {"office", Office(), 4,      1,  2, 1,        2,    0,    11,    11,  1,
       1,        1,        {7, 8}, 12, 2, {16, 15}, true, true, false, true},
      {"native", Native(), 3,      2,  2, 2,        2,    0,    12,    9,    1,
       1,        1,        {7, 8}, 15, 1, {16, 14}, true, true, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.p.StyleCode(), r.style);
    EXPECT_EQ(r.p.BorderWidth(), r.border);
    EXPECT_EQ(r.p.ButtonBorderWidth(esDefault), r.bbDefault);
    EXPECT_EQ(r.p.ButtonBorderWidth(esNormal), r.bbNormal);
    EXPECT_EQ(r.p.ButtonIndent(), r.indent);
    EXPECT_EQ(r.p.PressedContentShift(), r.shift);
    EXPECT_EQ(r.p.ExpandButtonExtent(), r.expand);
    EXPECT_EQ(r.p.GroupExpandButtonExtent(), 15);
    EXPECT_EQ(r.p.SmallExpandButtonExtent(), r.small);
    EXPECT_EQ(r.p.CheckFrameWidth(), 2);
    EXPECT_EQ(r.p.HeaderBorderWidth(), r.header);
    EXPECT_EQ(r.p.HeaderSectionBorderWidth(esPressed), r.sectionPressed);
    EXPECT_EQ(r.p.HeaderSectionBorderWidth(esNormal), r.sectionNormal);
    EXPECT_EQ(r.p.SortMarkSize(), r.sort);
    EXPECT_EQ(r.p.FooterBorders(), r.footerBorders);
    EXPECT_EQ(r.p.FooterCellOffset(), r.footerCellOffset);
    EXPECT_EQ(r.p.CloseButtonSize(), r.close);
    EXPECT_EQ(r.p.HotTracksButtons(), r.hotButtons);
    EXPECT_EQ(r.p.HotTracksHeaders(), r.hotHeaders);
    EXPECT_EQ(r.p.ExpandButtonFirst(), r.expandFirst);
    EXPECT_EQ(r.p.HeaderCellsFirst(), r.headerFirst);
    EXPECT_EQ(StyleToKind(r.p.StyleCode()), r.style == 0   ? lfFlat
                                            : r.style == 2 ? lfUltraFlat
                                            : r.style == 4 ? lfOffice11
                                                           : lfStandard);
  }
  EXPECT_EQ(RootPainter().HeaderHeightFor(13), 17);
  EXPECT_EQ(Standard().HeaderHeightFor(13), 19);
  EXPECT_EQ(Standard().ElementColor(29), clWindow);
  EXPECT_EQ(RootPainter().ElementColor(29), 0xD5FFFF);
  EXPECT_EQ(RootPainter().ElementColor(21), clBtnShadow);
  EXPECT_EQ(Office().ElementColor(6), static_cast<TColor>(Office11().Face));
  EXPECT_EQ(UltraFlat().GroupButtonMargins(1, 0), (Margins{2, 2, 1, 2}));
  EXPECT_EQ(UltraFlat().GroupButtonMargins(3, 2), (Margins{1, 2, 2, 2}));
  EXPECT_EQ(RootPainter().FocusFrameRect(Canvas(), {0, 0, 8, 8}), (Rect{0, 0, 8, 8}));
  EXPECT_EQ(UltraFlat().FocusFrameRect(Canvas(), {0, 0, 20, 20}), (Rect{3, 3, 17, 17}));
  EXPECT_EQ(RootPainter().ButtonGlyphColor(esDisabled, clBlue), clBtnShadow);
  EXPECT_EQ(UltraFlat().ButtonGlyphColor(esPressed, clDefault), clHighlightText);
}

TEST_F(Painters, ArrowGeometry) {
  // A 7 by 7 down arrow is 3 wide and 2 high, its top at 5 / 2 rounded;
  // 9 wide gives 5 by 3.
  EXPECT_EQ(ArrowPoints({0, 0, 7, 7}, adDown, false),
            QPolygon({QPoint(2, 3), QPoint(4, 3), QPoint(3, 4)}));
  EXPECT_EQ(ArrowPoints({0, 0, 9, 9}, adDown, false),
            QPolygon({QPoint(2, 3), QPoint(6, 3), QPoint(4, 5)}));
  EXPECT_EQ(ArrowPoints({0, 0, 9, 9}, adUp, false),
            QPolygon({QPoint(4, 3), QPoint(2, 5), QPoint(6, 5)}));
  EXPECT_EQ(ArrowPoints({0, 0, 9, 9}, adRight, false),
            QPolygon({QPoint(3, 2), QPoint(5, 4), QPoint(3, 6)}));
  // Made square: a 13 by 9 box loses two columns on each side.
  EXPECT_EQ(ArrowPoints({0, 0, 13, 9}, adDown, true), ArrowPoints({2, 0, 11, 9}, adDown, false));
  RootPainter().PaintArrow(Canvas(), {0, 0, 9, 9}, adDown, clBlue);
  EXPECT_EQ(Px(2, 3), C(clBlue));
  EXPECT_EQ(Px(6, 3), C(clBlue));
  EXPECT_EQ(Px(4, 5), C(clBlue));
  EXPECT_EQ(Px(2, 4), kPaper);
  EXPECT_EQ(Count(clBlue), 5 + 3 + 1);
}

TEST_F(Painters, BordersOfEachLook) {
  struct Case {
    const char* name;
    const TleCustomLookAndFeelPainter& p;
    TColor outerTopLeft, outerBottomRight, innerTopLeft;
  } cases[] = {
      {"standard", Standard(), clBtnShadow, clBtnHighlight, cl3DDkShadow},
      {"flat", Flat(), clBtnShadow, clBtnHighlight, 0},
      {"ultra-flat", UltraFlat(), clBtnShadow, clBtnShadow, 0},
      {"office", Office(), static_cast<TColor>(Office11().Frame),
       static_cast<TColor>(Office11().Frame), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset(20, 20);
    c.p.PaintBorder(Canvas(), {0, 0, 20, 20});
    EXPECT_EQ(Px(0, 5), C(c.outerTopLeft));
    EXPECT_EQ(Px(19, 5), C(c.outerBottomRight));
    EXPECT_EQ(Px(2, 2), kPaper);
    if (c.p.BorderWidth() == 2) EXPECT_EQ(Px(1, 5), C(c.innerTopLeft));
    if (c.p.BorderWidth() == 1) EXPECT_EQ(Px(1, 5), kPaper);
  }
}

TEST_F(Painters, ButtonBordersByState) {
  struct Case {
    const char* name;
    const TleCustomLookAndFeelPainter& p;
    ElementState s;
    TColor at00, at11, at22, atBR;  // (0,0), (1,1), (2,2), (19,19)
  } cases[] = {
      {"standard default", Standard(), esDefault, clBlack, clBtnHighlight, cl3DLight, clBlack},
      {"standard normal", Standard(), esNormal, clBtnHighlight, cl3DLight, kPaper, cl3DDkShadow},
      {"standard pressed", Standard(), esPressed, clBlack, clBtnShadow, kPaper, clBlack},
      {"flat default", Flat(), esDefault, clBlack, clBtnHighlight, kPaper, clBlack},
      {"flat pressed", Flat(), esPressed, clBtnShadow, kPaper, kPaper, clBtnHighlight},
      {"ultra default", UltraFlat(), esDefault, clWindowFrame, clWindowFrame, kPaper,
       clWindowFrame},
      {"ultra normal", UltraFlat(), esNormal, clBtnText, kPaper, kPaper, clBtnText},
      {"ultra hot", UltraFlat(), esHot, clHighlight, kPaper, kPaper, clHighlight},
      {"ultra disabled", UltraFlat(), esDisabled, clBtnShadow, kPaper, kPaper, clBtnShadow},
      {"office hot", Office(), esHot, static_cast<TColor>(Office11().SelectionFrame), kPaper,
       kPaper, static_cast<TColor>(Office11().SelectionFrame)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset(20, 20);
    c.p.PaintButtonBorder(Canvas(), {0, 0, 20, 20}, c.s);
    auto expect = [&](TColor t) { return t == static_cast<TColor>(kPaper) ? kPaper : C(t); };
    EXPECT_EQ(Px(0, 0), expect(c.at00));
    EXPECT_EQ(Px(1, 1), expect(c.at11));
    EXPECT_EQ(Px(2, 2), expect(c.at22));
    EXPECT_EQ(Px(19, 19), expect(c.atBR));
  }
}

TEST_F(Painters, PushButtonFacesAndCaptionBand) {
  Reset(40, 30);
  UltraFlat().PaintPushButton(Canvas(), {0, 0, 40, 30}, {}, esHot, true, clDefault, clDefault);
  EXPECT_EQ(Px(0, 0), C(clHighlight));
  EXPECT_EQ(Px(5, 5), SystemHotColor());
  Standard().PaintPushButton(Canvas(), {0, 0, 40, 30}, {}, esNormal, true, clDefault, clDefault);
  EXPECT_EQ(Px(5, 5), C(clBtnFace));
  // A 17-high button draws its caption in a 16-high band one pixel higher:
  // the caption centre lies above the rectangle's centre.
  QFont font;
  font.setPixelSize(10);
  font.setStyleStrategy(QFont::NoAntialias);
  for (int height : {17, 30}) {
    Reset(60, 40);
    Canvas().AssignFont(font);
    RootPainter().PaintPushButton(Canvas(), {0, 0, 60, height}, "II", esNormal, false, clWhite,
                                  clBlack);
    int top = -1, bottom = -1;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 60; ++x) {
        if (Px(x, y) == 0) {
          if (top < 0) top = y;
          bottom = y;
        }
      }
    }
    ASSERT_GE(top, 0);
    const int band = height == 17 ? 16 : 30, bandTop = height == 17 ? -1 : 0;
    EXPECT_LE(std::abs((top + bottom + 1) - (2 * bandTop + band)), 1) << height;
  }
}

TEST_F(Painters, CheckBoxesInTheirStates) {
  struct Case {
    const TleCustomLookAndFeelPainter& p;
    ElementState s;
    bool checked;
    TColor face, mark;
  } cases[] = {{Standard(), esNormal, true, clWindow, clBtnText},
               {Standard(), esPressed, false, clBtnFace, clBtnText},
               {Flat(), esDisabled, true, clBtnFace, clGrayText},
               {UltraFlat(), esHot, true, clWindow, clBtnText},
               {Office(), esHot, false, static_cast<TColor>(Office11().HotLight), clBtnText}};
  for (const Case& c : cases) {
    Reset(13, 13);
    c.p.PaintFramedCheck(Canvas(), {0, 0, 13, 13}, c.s, c.checked);
    EXPECT_EQ(Px(2, 2), C(c.face));
    if (c.checked) {
      EXPECT_GT(Count(c.mark), 10);
      EXPECT_EQ(Px(5, 8), C(c.mark));  // the bottom of the tick
    } else {
      EXPECT_EQ(Px(5, 8), C(c.face));
    }
  }
  // Frames: standard sunken inner then outer, ultra-flat a text-coloured line.
  Reset(13, 13);
  Standard().PaintCheckFrame(Canvas(), {0, 0, 13, 13}, esNormal);
  EXPECT_EQ(Px(0, 5), C(cl3DDkShadow));
  EXPECT_EQ(Px(1, 5), C(clBtnShadow));
  EXPECT_EQ(Px(12, 5), C(cl3DLight));
  UltraFlat().PaintCheckFrame(Canvas(), {0, 0, 13, 13}, esPressed);
  EXPECT_EQ(Px(0, 5), C(clBtnText));
  EXPECT_EQ(Px(1, 5), C(clBtnFace));
}

TEST_F(Painters, HeadersAndNeighbours) {
  Reset(30, 20);
  Standard().PaintHeaderBorder(Canvas(), {0, 0, 30, 20}, bsLeft | bsRight, bsAll);
  EXPECT_EQ(Px(0, 5), C(clBtnHighlight));
  EXPECT_EQ(Px(0, 1), C(clBtnFace));
  EXPECT_EQ(Px(0, 18), C(clBtnFace));
  EXPECT_EQ(Px(29, 0), C(clBtnHighlight));
  EXPECT_EQ(Px(29, 1), C(clBtnFace));
  EXPECT_EQ(Px(29, 5), C(clBtnShadow));
  Reset(30, 20);
  UltraFlat().PaintHeaderBorder(Canvas(), {0, 0, 30, 20}, 0, bsRight | bsBottom);
  EXPECT_EQ(Px(0, 5), kPaper);
  EXPECT_EQ(Px(29, 5), C(clBtnText));
  EXPECT_EQ(Px(5, 19), C(clBtnText));
  EXPECT_EQ(UltraFlat().HeaderBordersFor(bsLeft | bsTop), bsRight | bsBottom);
  // Office-2003: a solid top colour with a four-row gradient at the bottom;
  // a hot cell a flat light background and the hot stripe.
  Reset(30, 20);
  CellText t;
  Office().PaintHeader(
      Canvas(), {0, 0, 30, 20}, {0, 0, 30, 20}, 0, bsAll, esNormal, t,
      [](TleCanvas&, const Rect&) { return true; }, false);
  const TleOffice11LookAndFeelPainter& office =
      static_cast<const TleOffice11LookAndFeelPainter&>(Office());
  EXPECT_EQ(Px(10, 5), C(office.HeaderTopColor()));  // the handler is never asked
  EXPECT_EQ(Px(10, 0), C(office.HeaderTopColor()));
  EXPECT_EQ(Px(10, 19), C(office.HeaderLineColor()));
  EXPECT_EQ(Px(0, 5), C(office.HeaderLightLineColor()));
  EXPECT_EQ(Px(29, 5), C(office.HeaderLineColor()));
  EXPECT_EQ(Px(10, 18), C(office.HeaderBottomColor()));
  Reset(30, 20);
  Office().PaintCellContent(Canvas(), {0, 0, 30, 20}, {0, 0, 30, 20}, esHot, t, {}, false);
  EXPECT_EQ(Px(10, 5), Office11().GradientLight);
  EXPECT_EQ(Px(10, 18), Office11().HotLight);  // the stripe's top row
  EXPECT_EQ(Px(10, 17), Office11().GradientLight);
  // Plain cells (footers) are one solid colour.
  Reset(30, 20);
  Office().PaintCellContent(Canvas(), {0, 0, 30, 20}, {0, 0, 30, 20}, esNormal, t, {}, true);
  EXPECT_TRUE(Filled({0, 0, 30, 20}, office.HeaderTopColor()));
  // A pressed section is inverted by the root's header press.
  Reset(30, 20);
  Office().PaintHeaderSection(Canvas(), {0, 0, 30, 20}, {0, 0, 30, 20}, 0, bsAll, esPressed, t);
  EXPECT_EQ(Px(10, 5), C(office.HeaderTopColor()) ^ 0xFFFFFF);
}

TEST_F(Painters, SortMarks) {
  Reset(20, 20);
  Standard().PaintSortMark(Canvas(), {0, 0, 20, 20}, true);
  EXPECT_GT(Count(clBtnHighlight), 3);
  EXPECT_GT(Count(clBtnShadow), 3);
  Reset(20, 20);
  UltraFlat().PaintSortMark(Canvas(), {0, 0, 20, 20}, false);
  EXPECT_EQ(Count(clBtnHighlight), 0);
  EXPECT_GT(Count(clBtnShadow), 6);
}

TEST_F(Painters, ExpandButtons) {
  struct Case {
    const char* name;
    const TleCustomLookAndFeelPainter& p;
    TColor frame;
  } cases[] = {{"standard", Standard(), clBtnHighlight},
               {"flat", Flat(), clBtnHighlight},
               {"ultra-flat", UltraFlat(), clBtnShadow}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool expanded : {false, true}) {
      Reset(20, 20);
      c.p.PaintExpandButton(Canvas(), {2, 2, 13, 13}, expanded, clDefault);
      EXPECT_EQ(Px(2, 2), C(c.frame));
      EXPECT_EQ(Px(7, 7), C(clBtnText));                         // the bar's centre
      EXPECT_EQ(Px(7, 5), C(expanded ? clBtnFace : clBtnText));  // the plus's stem
      // The button is cut out of the clip region for the row's later painting.
      FillRectColor(Canvas(), {0, 0, 20, 20}, clBlue);
      EXPECT_NE(Px(7, 7), C(clBlue));
      EXPECT_EQ(Px(15, 15), C(clBlue));
    }
  }
  // Office-2003 bitmaps: only the corners follow the background.
  AcquireOffice11Colors();
  Reset(20, 20);
  Office().PaintExpandButton(Canvas(), {0, 0, 11, 11}, false, clDefault);
  const ColorRef mid = Px(5, 5), corner = Px(0, 0);
  Reset(20, 20);
  image_.fill(Qt::white);
  Office().PaintExpandButton(Canvas(), {0, 0, 11, 11}, false, clDefault);
  EXPECT_EQ(Px(5, 5), mid);
  EXPECT_NE(Px(0, 0), corner);
  EXPECT_EQ(Px(0, 0),
            MixColorsPercent(static_cast<TColor>(Office11ExpandButtonLight), clWhite, 25));
  ReleaseOffice11Colors();
}

TEST_F(Painters, ScrollBarParts) {
  Reset(20, 20);
  Standard().PaintScrollBarPart(Canvas(), false, {0, 0, 20, 20}, sbpThumb, esDisabled);
  EXPECT_EQ(Count(kPaper), 400);  // a disabled thumb is not drawn
  Standard().PaintScrollBarPart(Canvas(), false, {0, 0, 20, 20}, sbpThumb, esPressed);
  EXPECT_EQ(Px(0, 0), C(clBtnFace));  // a pressed thumb keeps the raised frame
  EXPECT_EQ(Px(19, 19), C(cl3DDkShadow));
  EXPECT_EQ(Px(1, 1), C(clBtnHighlight));
  Standard().PaintScrollBarPart(Canvas(), false, {0, 0, 20, 20}, sbpLineDown, esPressed);
  EXPECT_EQ(Px(0, 0), C(clBtnShadow));
  EXPECT_EQ(Px(1, 1), C(clBtnFace));
  Standard().PaintScrollBarPart(Canvas(), false, {0, 0, 16, 16}, sbpPageUp, esNormal);
  EXPECT_EQ(Px(0, 0), C(clBtnFace));
  EXPECT_EQ(Px(1, 0), C(clBtnHighlight));
  Standard().PaintScrollBarPart(Canvas(), false, {0, 0, 16, 16}, sbpPageDown, esPressed);
  EXPECT_EQ(Px(0, 0), C(clBlack));
  EXPECT_EQ(Px(1, 0), C(cl3DDkShadow));
  // Flat draws hot as normal; ultra-flat keeps it hot.
  Flat().PaintScrollBarPart(Canvas(), true, {0, 0, 20, 20}, sbpThumb, esHot);
  EXPECT_EQ(Px(5, 5), C(clBtnFace));
  UltraFlat().PaintScrollBarPart(Canvas(), true, {0, 0, 20, 20}, sbpThumb, esHot);
  EXPECT_EQ(Px(5, 5), SystemHotColor());
  EXPECT_EQ(Px(0, 0), C(clHighlight));
  // Arrows point the way the bar runs.
  Reset(20, 20);
  Flat().PaintScrollBarPart(Canvas(), true, {0, 0, 20, 20}, sbpLineUp, esNormal);
  EXPECT_EQ(ArrowDirectionFor(true, sbpLineUp), adLeft);
  EXPECT_EQ(ArrowDirectionFor(false, sbpLineDown), adDown);
  EXPECT_GT(Count(clBtnText), 5);
}

TEST_F(Painters, DropDownAndCloseButtons) {
  for (ElementState s : {esNormal, esPressed}) {
    Reset(15, 15);
    Standard().PaintDropDownButton(Canvas(), {0, 0, 15, 15}, s, true);
    EXPECT_GT(Count(clBlue), 3);
    EXPECT_EQ(Px(0, 0), C(s == esPressed ? clBtnShadow : clBtnHighlight));
  }
  Reset(15, 15);
  UltraFlat().PaintDropDownButton(Canvas(), {0, 0, 15, 15}, esHot, false);
  EXPECT_EQ(Px(0, 0), C(clHighlight));
  EXPECT_EQ(Px(1, 1), SystemHotColor());
  EXPECT_GT(Count(clBtnText), 3);
  // The ultra-flat cross does not move when pressed; the standard one does.
  Reset(16, 16);
  UltraFlat().PaintCloseButton(Canvas(), {0, 0, 16, 15}, esNormal);
  const QImage normal = image_.copy();
  Reset(16, 16);
  UltraFlat().PaintCloseButton(Canvas(), {0, 0, 16, 15}, esPressed);
  int sameGlyph = 0;
  for (int y = 2; y < 13; ++y) {
    for (int x = 2; x < 14; ++x) {
      sameGlyph += (Px(x, y) == C(clHighlightText)) ==
                   (winshim::FromQColor(normal.pixelColor(x, y)) == C(clBtnText));
    }
  }
  EXPECT_EQ(sameGlyph, 12 * 11);
}

TEST_F(Painters, TabBordersAndAreas) {
  Reset(20, 20);
  Standard().PaintTabBorder(Canvas(), {5, 0, 15, 1}, bTop, bsAll, false);
  EXPECT_EQ(Px(5, 0), kPaper);
  EXPECT_EQ(Px(6, 0), C(clBtnHighlight));
  EXPECT_EQ(Px(14, 0), kPaper);
  EXPECT_EQ(Px(5, 1), C(clBtnHighlight));  // the corner pixels
  EXPECT_EQ(Px(14, 1), C(clBtnHighlight));
  Standard().PaintTabBorder(Canvas(), {19, 0, 20, 20}, bRight, bsTop | bsBottom, false);
  EXPECT_EQ(Px(19, 1), kPaper);
  EXPECT_EQ(Px(19, 2), C(clBtnShadow));
  EXPECT_EQ(Px(19, 19), kPaper);
  Reset(20, 20);
  UltraFlat().PaintTabBorder(Canvas(), {19, 0, 20, 20}, bRight, bsAll, false);
  EXPECT_EQ(Px(19, 5), C(clBtnText));
  EXPECT_EQ(Px(19, 19), kPaper);  // shortened by the tab border width
  UltraFlat().PaintTabArea(Canvas(), {0, 0, 20, 20}, bsTop, false);
  EXPECT_EQ(Px(5, 0), C(clBtnShadow));
}

TEST_F(Painters, GroupButtonsAndSplitters) {
  Reset(30, 20);
  UltraFlat().PaintGroupButton(Canvas(), {0, 0, 30, 20}, esHot, 3, 1, clWindow);
  EXPECT_EQ(Px(0, 5), C(clHighlight));
  EXPECT_EQ(Px(29, 5), C(clHighlight));
  EXPECT_EQ(Px(1, 5), SystemHotColor());
  EXPECT_EQ(Px(5, 0), kPaper);
  Reset(30, 20);
  UltraFlat().PaintGroupButton(Canvas(), {0, 0, 30, 20}, esNormal, 1, 0, clWindow);
  EXPECT_EQ(Px(0, 5), kPaper);
  EXPECT_EQ(Px(1, 5), C(clWindow));
  EXPECT_EQ(Px(2, 5), C(clBtnFace));
  Reset(30, 10);
  ViewParameters vp;
  vp.color = clBlue;
  Standard().PaintPaneSplitter(Canvas(), {0, 0, 30, 10}, vp, true);
  EXPECT_EQ(Px(5, 0), C(clBtnFace));
  EXPECT_EQ(Px(5, 9), C(cl3DDkShadow));
  EXPECT_EQ(Px(5, 1), C(clBtnHighlight));
  EXPECT_EQ(Px(5, 8), C(clBtnShadow));
  EXPECT_EQ(Px(5, 5), C(clBlue));
}

TEST_F(Painters, IndicatorsAndNavigationHeaders) {
  Reset(20, 20);
  Standard().PaintIndicator(Canvas(), {0, 0, 20, 20}, 1, clBtnFace, {});
  EXPECT_EQ(Px(0, 5), C(clBtnHighlight));
  EXPECT_GT(Count(clBlack), 10);  // the arrow image, centred
  EXPECT_EQ(Px(8, 9), C(clBlack));
  Reset(40, 20);
  ViewParameters vp;
  Standard().PaintNavigationHeader(Canvas(), {0, 0, 40, 20}, {}, bsRight, vp, 3, 8, {});
  EXPECT_EQ(Px(0, 10), C(clBlack));
  EXPECT_NE(Px(39, 2), C(clBlack));  // no frame on the right neighbour's side
  EXPECT_GT(Count(clWindowText), 10);
}

TEST_F(Painters, RadioImages) {
  TleRadioButtonImageList& list = SharedRadioImages();
  EXPECT_EQ(list.ImageCount(), 128);
  EXPECT_EQ(list.Pattern().size(), 13u);
  EXPECT_EQ(list.Pattern()[6][6], 6);
  EXPECT_EQ(Standard().RadioButtonExtent(), QSize(13, 13));
  // Unchecked: the dot area is the body colour.
  Reset(13, 13);
  Standard().PaintRadioButton(Canvas(), 0, 0, esNormal, false, false, clDefault, false);
  EXPECT_EQ(Px(6, 6), C(clWindow));
  EXPECT_EQ(Px(0, 0), kPaper);  // transparent outside the circle
  EXPECT_EQ(Px(6, 0), C(clBtnShadow));
  Standard().PaintRadioButton(Canvas(), 0, 0, esNormal, true, false, clDefault, false);
  EXPECT_EQ(Px(6, 6), C(clWindowText));
  // A disabled checked ultra-flat button: shadow outline (marked ignored), shadow dot.
  Reset(13, 13);
  UltraFlat().PaintRadioButton(Canvas(), 0, 0, esDisabled, true, false, clDefault, true);
  EXPECT_EQ(Px(6, 0), C(clBtnShadow));
  EXPECT_EQ(Px(6, 6), C(clBtnShadow));
  EXPECT_EQ(Px(6, 2), C(clBtnFace));
  UltraFlat().PaintRadioButton(Canvas(), 0, 0, esHot, false, false, clBlue, false);
  EXPECT_EQ(Px(0, 0), C(clBlue));  // the background fills the corners
  EXPECT_EQ(Px(6, 0), C(clHighlight));
  // A colour change rebuilds the radio images, not the track patterns.
  const ColorRef pattern = winshim::FromQColor(ScrollPatternBitmap(false).pixelColor(1, 0));
  winshim::SetSysColor(winshim::COLOR_WINDOW, 0x00FFFF);
  BroadcastColorChange();
  Reset(13, 13);
  Standard().PaintRadioButton(Canvas(), 0, 0, esNormal, false, false, clDefault, false);
  EXPECT_EQ(Px(6, 6), 0x00FFFFu);
  EXPECT_EQ(winshim::FromQColor(ScrollPatternBitmap(false).pixelColor(1, 0)), pattern);
}

// Without a visual style the native painter looks exactly like the
// standard one.
TEST_F(Painters, NativeWithoutThemeIsStandard) {
  test::ThemeBinding unthemed(false);
  using Draw = std::function<void(const TleCustomLookAndFeelPainter&, TleCanvas&)>;
  CellText t;
  const Draw draws[] = {
      [](auto& p, auto& c) {
        p.PaintBorder(c, {0, 0, 30, 20});
      },
      [](auto& p, auto& c) {
        p.PaintButtonBorder(c, {0, 0, 30, 20}, esDefault);
      },
      [](auto& p, auto& c) {
        p.PaintExpandButton(c, {2, 2, 14, 14}, false, clDefault);
      },
      [](auto& p, auto& c) {
        p.PaintFramedCheck(c, {0, 0, 13, 13}, esNormal, true);
      },
      [&](auto& p, auto& c) {
        p.PaintHeader(c, {0, 0, 30, 20}, {0, 0, 30, 20}, 0, bsAll, esNormal, t, {}, false);
      },
      [](auto& p, auto& c) {
        p.PaintScrollBarPart(c, false, {0, 0, 16, 16}, sbpLineUp, esNormal);
      },
      [](auto& p, auto& c) {
        p.PaintScrollBarPart(c, false, {0, 0, 16, 30}, sbpThumb, esNormal);
      },
      [](auto& p, auto& c) {
        p.PaintDropDownButton(c, {0, 0, 15, 20}, esPressed, false);
      },
      [](auto& p, auto& c) {
        p.PaintTabArea(c, {0, 0, 30, 20}, bsAll, false);
      },
      [](auto& p, auto& c) {
        p.PaintPushButton(c, {0, 0, 30, 20}, {}, esHot, true, clDefault, clDefault);
      },
  };
  int i = 0;
  for (const Draw& d : draws) {
    Reset(30, 30);
    d(Standard(), Canvas());
    const QImage standard = image_.copy();
    Reset(30, 30);
    d(Native(), Canvas());
    EXPECT_EQ(image_, standard) << "draw " << i++;
  }
}

// With a visual style the native painter draws the theme's parts.
TEST_F(Painters, NativeWithThemeDrawsThemeParts) {
  test::ThemeBinding themed(true);
  test::ThemeLog().drawn.clear();
  CellText t;
  t.text = "Name";
  Native().PaintPushButton(Canvas(), {0, 0, 30, 20}, "OK", esHot, true, clDefault, clDefault);
  Native().PaintPushButton(Canvas(), {0, 0, 30, 20}, {}, esDefault, true, clDefault, clDefault);
  Native().PaintScrollBarPart(Canvas(), false, {0, 0, 16, 16}, sbpLineDown, esHot);
  Native().PaintScrollBarPart(Canvas(), true, {0, 0, 16, 16}, sbpThumb, esDisabled);
  Native().PaintScrollBarPart(Canvas(), true, {0, 0, 16, 16}, sbpPageDown, esPressed);
  Native().PaintFramedCheck(Canvas(), {0, 0, 13, 13}, esPressed, true);
  Native().PaintRadioButton(Canvas(), 0, 0, esNormal, false, false, clDefault, false);
  Native().PaintExpandButton(Canvas(), {0, 0, 9, 9}, true, clDefault);
  Native().PaintCloseButton(Canvas(), {0, 0, 16, 16}, esPressed);
  Native().PaintDropDownButton(Canvas(), {0, 0, 16, 16}, esDisabled, true);
  Native().PaintPaneNavigationButton(Canvas(), {0, 0, 16, 16}, esHot);
  const std::vector<std::string> expected = {
      "BUTTON 1 2",    "BUTTON text 1 2 OK 37", "BUTTON 1 5", "SCROLLBAR 1 6", "SCROLLBAR 2 4",
      "SCROLLBAR 8 0", "SCROLLBAR 5 3",         "BUTTON 3 7", "BUTTON 2 1",    "TREEVIEW 2 2",
      "WINDOW 19 3",   "COMBOBOX 1 4",          "TOOLBAR 1 5"};
  EXPECT_EQ(test::ThemeLog().drawn, expected);
  EXPECT_EQ(Px(5, 5), 0x00FF00u);  // the engine's paint
  // The last header of a row takes the right-item part under Luna NormalColor.
  ComputeOffice11Colors();
  test::ThemeLog().drawn.clear();
  Native().PaintHeader(Canvas(), {0, 0, 30, 20}, {0, 0, 30, 20}, 0, bsAll, esNormal, t, {}, true);
  Native().PaintHeader(Canvas(), {0, 0, 30, 20}, {0, 0, 30, 20}, 0, bsAll, esPressed, t, {}, true);
  ASSERT_EQ(test::ThemeLog().drawn.size(), 4u);
  EXPECT_EQ(test::ThemeLog().drawn[0], "HEADER 3 1");
  EXPECT_EQ(test::ThemeLog().drawn[2], "HEADER 1 3");
  // Metrics from the theme: content (3, 2, -4, -5) and part size 13 x 14.
  EXPECT_EQ(Native().BorderWidth(), 1);
  EXPECT_EQ(Native().ButtonBorderWidth(esNormal), 3);
  EXPECT_EQ(Native().CheckFrameWidth(), 0);
  EXPECT_EQ(Native().HeaderBorderWidth(), 2);
  EXPECT_EQ(Native().ExpandButtonExtent(), 13);
  EXPECT_EQ(Native().CloseButtonSize(), QPoint(17, 18));
  EXPECT_EQ(Native().GroupButtonMargins(1, 0), (Margins{3, 2, 4, 5}));
  EXPECT_EQ(Native().FocusFrameRect(Canvas(), {0, 0, 30, 20}), (Rect{3, 2, 26, 15}));
  // The Office-2003 painter borrows the themed scroll-bar parts.
  test::ThemeLog().drawn.clear();
  Office().PaintScrollBarPart(Canvas(), true, {0, 0, 16, 16}, sbpPageUp, esNormal);
  EXPECT_EQ(test::ThemeLog().drawn, std::vector<std::string>{"SCROLLBAR 4 1"});
}

TEST_F(Painters, NativeTabsAreDrawnThroughTheTheme) {
  test::ThemeBinding themed(true);
  test::ThemeLog().drawn.clear();
  Reset(60, 60);
  Native().PaintTab(Canvas(), {10, 10, 40, 30}, bsAll, "Tab", esPressed, false, QFont(), clBtnText,
                    clBtnFace, false);
  EXPECT_EQ(Px(20, 30), 0x00FF00u);  // a selected tab reaches one pixel below its rect
  EXPECT_EQ(Px(20, 31), kPaper);
  Reset(60, 60);
  Native().PaintTab(Canvas(), {10, 10, 30, 40}, bsAll, "Tab", esNormal, true, QFont(), clBtnText,
                    clBtnFace, false);
  EXPECT_EQ(Px(15, 20), 0x00FF00u);  // the turned image lands inside the rect
  EXPECT_EQ(Px(5, 20), kPaper);
  EXPECT_TRUE(Native().HasTabPainting(false));
}

}  // namespace
}  // namespace kelmo::le
