// Speed button and button glyphs driven by real mouse events.
#include <gtest/gtest.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "test_app.h"
#include "extctl/xt_speed_button.h"

namespace {

// A 16 x 16 glyph: white (transparent) with a black 8 x 8 square and a red dot.
QImage SquareGlyph(int count = 1) {
  QImage img(16 * count, 16, QImage::Format_RGB32);
  img.fill(Qt::white);
  for (int i = 0; i < count; ++i) {
    QPainter p(&img);
    p.fillRect(16 * i + 4, 4, 8, 8, Qt::black);
    p.fillRect(16 * i + 7, 7, 2, 2, Qt::red);
  }
  return img;
}

QRgb Pal(QPalette::ColorRole role) {
  return QApplication::palette().color(role).rgb();
}

TEST(SpeedButtonTest, NumberOfGlyphsFollowsTheGlyphWidth) {
  TXtSpeedButton b;
  b.SetGlyph(QImage(64, 16, QImage::Format_RGB32));
  EXPECT_EQ(b.NumGlyphs(), 4);
  b.SetGlyph(QImage(96, 16, QImage::Format_RGB32));
  EXPECT_EQ(b.NumGlyphs(), 1);
  b.SetNumGlyphs(7);
  EXPECT_EQ(b.NumGlyphs(), 5);
  b.SetNumGlyphs(0);
  EXPECT_EQ(b.NumGlyphs(), 5);
}

TEST(SpeedButtonTest, GlyphCentredWithoutCaption) {
  TXtButtonGlyph g;
  g.SetGlyph(QImage(14, 12, QImage::Format_RGB32));
  QFontMetrics fm(QApplication::font());
  const TGlyphLayout at = g.LayoutGlyphAndCaption(QRect(0, 0, 25, 25), fm, QString(),
                                                  TButtonLayout::blGlyphTop, -1, 1, false);
  EXPECT_EQ(at.glyph, QRect(5, 6, 14, 12));
  const TGlyphLayout left = g.LayoutGlyphAndCaption(QRect(2, 2, 40, 20), fm, QString(),
                                                    TButtonLayout::blGlyphLeft, 3, -1, false);
  EXPECT_EQ(left.glyph.topLeft(), QPoint(5, 6));
}

TEST(SpeedButtonTest, DisabledSingleGlyphIsEmbossed) {
  QWidget host;
  auto* b = new TXtSpeedButton(&host);
  b->SetGlyph(SquareGlyph());
  b->resize(24, 24);
  host.show();
  b->setEnabled(false);
  EXPECT_EQ(b->State(), TXtButtonState::rbsDisabled);
  const QImage img = b->grab().toImage();
  // Glyph at (4, 4); its black square shows in the shadow colour, with the
  // highlight one pixel right and down along its far edges.
  EXPECT_EQ(img.pixel(4 + 4, 4 + 4), Pal(QPalette::Dark));
  EXPECT_EQ(img.pixel(4 + 12, 4 + 12), Pal(QPalette::Light));
  EXPECT_EQ(img.pixel(4 + 1, 4 + 1), Pal(QPalette::Button));
}

TEST(SpeedButtonTest, FlatButtonWithoutTheMouseIsGreyAndFrameless) {
  QWidget host;
  auto* b = new TXtSpeedButton(&host);
  b->SetGlyph(SquareGlyph());
  b->resize(24, 24);
  b->SetFlat(true);
  host.show();
  const QImage img = b->grab().toImage();
  EXPECT_EQ(img.pixel(0, 0), Pal(QPalette::Button));
  EXPECT_EQ(img.pixel(23, 23), Pal(QPalette::Button));
  const QRgb dot = img.pixel(4 + 7, 4 + 7);
  EXPECT_EQ(qRed(dot), qGreen(dot));  // red became grey
  EXPECT_EQ(qGray(dot), (255 * 77) >> 8);
  b->SetFlat(false);
  const QImage framed = b->grab().toImage();
  EXPECT_EQ(framed.pixel(0, 0), Pal(QPalette::Light));
  EXPECT_EQ(framed.pixel(23, 23), Pal(QPalette::Shadow));
  EXPECT_EQ(framed.pixel(4 + 7, 4 + 7), qRgb(255, 0, 0));
}

TEST(SpeedButtonTest, GroupedButtonsReleaseEachOther) {
  QWidget host;
  auto* a = new TXtSpeedButton(&host);
  auto* b = new TXtSpeedButton(&host);
  b->move(30, 0);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  host.show();
  QSignalSpy clicks(a, &TXtSpeedButton::Click);
  QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(clicks.count(), 1);
  QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(a->Down());  // AllowAllUp off: stays down
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp());  // the group shares it
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(b->Down());
  // Outside a group a button is never down.
  TXtSpeedButton lone;
  lone.SetDown(true);
  EXPECT_FALSE(lone.Down());
}

TEST(SpeedButtonTest, ReleasingOutsideDoesNotClick) {
  QWidget host;
  auto* b = new TXtSpeedButton(&host);
  host.show();
  QSignalSpy clicks(b, &TXtSpeedButton::Click);
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(b->State(), TXtButtonState::rbsDown);
  QTest::mouseMove(b, QPoint(60, 5));
  EXPECT_EQ(b->State(), TXtButtonState::rbsUp);
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(60, 5));
  EXPECT_EQ(clicks.count(), 0);
}

TEST(SpeedButtonTest, TimerButtonRepeatsWhileHeld) {
  QWidget host;
  auto* b = new TXtTimerSpeedButton(&host);
  host.show();
  EXPECT_TRUE(b->AllowTimer());
  EXPECT_EQ(b->Style(), TButtonStyle::bsWin31);
  QSignalSpy clicks(b, &TXtSpeedButton::Click);
  QElapsedTimer clock;
  clock.start();
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 0);
  QTest::qWait(400);
  if (clock.elapsed() < 490) EXPECT_EQ(clicks.count(), 0);  // first pause 500 ms
  QTest::qWait(600);
  const int held = clicks.count();
  EXPECT_GE(held, 3);  // 500, 600, ... 1000 ms: 6 at most
  EXPECT_LE(held, 6);
  QTest::mouseMove(b, QPoint(60, 60));
  const int away = clicks.count();
  QTest::qWait(250);
  EXPECT_EQ(clicks.count(), away);
  QTest::mouseMove(b, QPoint(5, 5));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), away + 1);  // once more on release over it
}

TEST(SpeedButtonTest, ModalResultClosesTheDialog) {
  QDialog dialog;
  auto* b = new TXtSpeedButton(&dialog);
  b->SetModalResult(QDialog::Accepted);
  QTimer::singleShot(0, &dialog, [b] { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5)); });
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

TEST(SpeedButtonTest, PressedButtonShiftsItsGlyph) {
  QWidget host;
  auto* b = new TXtSpeedButton(&host);
  b->SetGlyph(SquareGlyph());
  b->resize(24, 24);
  host.show();
  const QImage up = b->grab().toImage();
  EXPECT_EQ(up.pixel(8, 8), qRgb(0, 0, 0));
  EXPECT_EQ(up.pixel(7, 7), Pal(QPalette::Button));
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  const QImage down = b->grab().toImage();
  EXPECT_EQ(down.pixel(9, 9), qRgb(0, 0, 0));
  EXPECT_EQ(down.pixel(8, 8), Pal(QPalette::Button));
  EXPECT_EQ(down.pixel(0, 0), Pal(QPalette::Shadow));  // pressed frame
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
}

TEST(SpeedButtonTest, DropDownMenuPopsUpAndCountsNoClick) {
  QWidget host;
  auto* b = new TXtSpeedButton(&host);
  QMenu menu;
  menu.addAction("Item");
  b->SetDropDownMenu(&menu);
  host.show();
  QSignalSpy clicks(b, &TXtSpeedButton::Click);
  bool shown = false;
  QTimer::singleShot(50, [&shown, &menu] {
    shown = menu.isVisible();
    menu.close();
  });
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(shown);
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(b->State(), TXtButtonState::rbsUp);
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 0);
}

TEST(SpeedButtonTest, DropDownMenuOrigin) {
  TXtSpeedButton b;
  b.resize(30, 20);
  EXPECT_EQ(b.DropDownMenuOrigin(), QPoint(-1, 20));
  b.SetMenuPosition(TXtDropDownMenuPos::dmpRight);
  EXPECT_EQ(b.DropDownMenuOrigin(), QPoint(30, -1));
}

TEST(SpeedButtonTest, CaptionLaidOutBesideTheGlyph) {
  TXtButtonGlyph g;
  g.SetGlyph(QImage(16, 16, QImage::Format_RGB32));
  QFontMetrics fm(QApplication::font());
  const QRect client(0, 0, 100, 30);
  const TGlyphLayout at =
      g.LayoutGlyphAndCaption(client, fm, "Ok", TButtonLayout::blGlyphLeft, -1, 4, false);
  const int text = at.caption.width();
  EXPECT_GE(text, fm.horizontalAdvance("Ok"));
  EXPECT_EQ(at.glyph.left(), 50 - (4 + 16 + text) / 2);
  EXPECT_EQ(at.caption.left(), at.glyph.left() + 16 + 4);
  EXPECT_EQ(at.glyph.top(), 15 - 8);
  // A caption that does not fit is shortened with an ellipsis.
  const TGlyphLayout narrow = g.LayoutGlyphAndCaption(
      QRect(0, 0, 40, 30), fm, "A rather long caption", TButtonLayout::blGlyphLeft, 2, 2, false);
  EXPECT_LE(narrow.caption.width(), 40 - 16 - 2 - 2);
}

}  // namespace
