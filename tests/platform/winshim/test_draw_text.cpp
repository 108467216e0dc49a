// DrawText's flags, fonts with escapement and layered windows.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "qt_test_application.h"
#include "winshim/dib.h"
#include "winshim/draw_text.h"
#include "winshim/layered_window.h"

using namespace kelmo::winshim;

namespace {

Font TestFont() {
  LogFont lf;
  lf.height = -12;
  lf.faceName = QStringLiteral("DejaVu Sans");
  return CreateFontIndirect(lf);
}

// The inked columns and rows of a white picture.
QRect Ink(const QImage& img) {
  QRect r;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) r |= QRect(x, y, 1, 1);
  return r;
}

QImage White(int w, int h) {
  QImage img = CreateDib24(w, h);
  img.fill(Qt::white);
  return img;
}

}  // namespace

TEST(DrawText, CalcRectMeasuresWithoutDrawing) {
  QImage img = White(200, 100);
  Dc dc(img);
  dc.SelectFont(TestFont());
  const QFontMetrics fm(dc.CurrentFont().qfont);
  Rect r{10, 10, 10, 10};
  const int h = DrawText(dc, QStringLiteral("Hello\nworld!"), r, DT_CALCRECT);
  EXPECT_EQ(h, 2 * fm.height());
  EXPECT_EQ(r.bottom, 10 + 2 * fm.height());
  EXPECT_EQ(r.right, 10 + fm.horizontalAdvance(QStringLiteral("world!")));
  EXPECT_TRUE(Ink(img).isNull());
}

TEST(DrawText, AlignmentAndClipping) {
  QImage img = White(200, 40);
  Dc dc(img);
  dc.SelectFont(TestFont());
  dc.SetBkMode(TRANSPARENT);
  Rect r{0, 0, 200, 40};
  DrawText(dc, QStringLiteral("MMM"), r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  const QRect ink = Ink(img);
  EXPECT_GE(ink.left(), 160);
  EXPECT_LE(ink.right(), 199);
  EXPECT_GT(ink.top(), 5);
  QImage clipped = White(200, 40);
  Dc cdc(clipped);
  cdc.SelectFont(TestFont());
  Rect narrow{0, 0, 8, 40};
  DrawText(cdc, QStringLiteral("MMMMMM"), narrow, DT_SINGLELINE);
  EXPECT_LE(Ink(clipped).right(), 7);
  QImage loose = White(200, 40);
  Dc ldc(loose);
  ldc.SelectFont(TestFont());
  DrawText(ldc, QStringLiteral("MMMMMM"), narrow, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(Ink(loose).right(), 20);
}

TEST(DrawText, WordBreakEllipsesAndPrefixes) {
  const QFont font = TestFont().qfont;
  const QFontMetrics fm(font);
  const int w = fm.horizontalAdvance(QStringLiteral("alpha beta"));
  QImage img = White(200, 100);
  Dc dc(img);
  dc.SelectFont(TestFont());
  Rect r{0, 0, w, 0};
  EXPECT_EQ(DrawText(dc, QStringLiteral("alpha beta gamma"), r, DT_WORDBREAK | DT_CALCRECT),
            2 * fm.height());
  const QString cut = DrawTextLine(font, QStringLiteral("abcdefghij"),
                                   fm.horizontalAdvance(QStringLiteral("abc...")), DT_END_ELLIPSIS);
  EXPECT_EQ(cut, QStringLiteral("abc..."));
  const QString path =
      DrawTextLine(font, QStringLiteral("C:\\very\\long\\folder\\file.txt"),
                   fm.horizontalAdvance(QStringLiteral("C:\\ve...\\file.txt")), DT_PATH_ELLIPSIS);
  EXPECT_TRUE(path.endsWith(QStringLiteral("...\\file.txt"))) << path.toStdString();
  EXPECT_EQ(DrawTextLine(font, QStringLiteral("&Save && go"), 500, 0), QStringLiteral("Save & go"));
  EXPECT_EQ(DrawTextLine(font, QStringLiteral("&Save"), 500, DT_NOPREFIX), QStringLiteral("&Save"));
  const QString tabbed = DrawTextLine(font, QStringLiteral("a\tb"), 500, DT_EXPANDTABS);
  EXPECT_FALSE(tabbed.contains(QLatin1Char('\t')));
  EXPECT_GE(fm.horizontalAdvance(tabbed.left(tabbed.size() - 1)), 8 * fm.averageCharWidth());
}

TEST(DrawText, OpaqueModeFillsTheLineAndEscapementTurnsText) {
  QImage img = White(100, 100);
  Dc dc(img);
  dc.SelectFont(TestFont());
  dc.SetBkColor(RGB(255, 0, 0));
  dc.SetBkMode(OPAQUE);
  Rect r{0, 0, 100, 20};
  DrawText(dc, QStringLiteral("i"), r, DT_SINGLELINE);
  EXPECT_EQ(img.pixel(0, 1) & 0xFFFFFF, 0xFF0000u);
  QImage turned = White(100, 100);
  Dc tdc(turned);
  LogFont lf = GetLogFont(TestFont());
  lf.escapement = 900;  // upwards
  tdc.SelectFont(CreateFontIndirect(lf));
  tdc.SetBkMode(TRANSPARENT);
  tdc.TextOut(40, 90, QStringLiteral("MMMMMM"));
  const QRect ink = Ink(turned);
  EXPECT_GT(ink.height(), ink.width());
  EXPECT_LE(ink.bottom(), 90);
}

TEST(LogFont, HeightsAndWeightsRoundTrip) {
  LogFont lf;
  lf.height = -15;
  lf.weight = FW_BOLD;
  lf.italic = true;
  lf.faceName = QStringLiteral("DejaVu Sans");
  const Font f = CreateFontIndirect(lf);
  EXPECT_EQ(f.qfont.pixelSize(), 15);
  EXPECT_TRUE(f.qfont.bold());
  const LogFont back = GetLogFont(f);
  EXPECT_EQ(back.height, -15);
  EXPECT_EQ(back.weight, FW_BOLD);
  EXPECT_TRUE(back.italic);
  LogFont cell;
  cell.height = 20;
  cell.faceName = lf.faceName;
  EXPECT_LE(QFontMetrics(CreateFontIndirect(cell).qfont).height(), 20);
}

TEST(LayeredWindow, ShowsItsImageWithoutTakingInput) {
  EXPECT_TRUE(LayeredWindowsAvailable());
  LayeredWindow w;
  QImage img = CreateDib32(30, 20);
  img.fill(qRgba(255, 0, 0, 128));
  EXPECT_TRUE(UpdateLayeredWindow(&w, QPoint(5, 7), img, 200));
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.geometry(), QRect(5, 7, 30, 20));
  EXPECT_EQ(w.ConstantAlpha(), 200);
  EXPECT_EQ(w.Content().format(), QImage::Format_ARGB32_Premultiplied);
  EXPECT_EQ(qAlpha(w.Content().pixel(3, 3)), 128);
  EXPECT_TRUE(w.testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_TRUE(w.windowFlags() & Qt::WindowTransparentForInput);
  EXPECT_FALSE(UpdateLayeredWindow(nullptr, {}, img, 255));
}
