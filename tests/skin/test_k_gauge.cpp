// Range, progress and plain painting of the progress gauge.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QImage>

#include "skin/k_gauge.h"

using kelmo::skin::CalcPercent;
using kelmo::skin::EInvalidOperation;
using kelmo::skin::ScaleByPercent;
using kelmo::skin::TkBorderStyle;
using kelmo::skin::TkGauge;
using kelmo::skin::TkGaugeKind;

namespace {

int argc_ = 1;
char arg0_[] = "test";
char* argv_[] = {arg0_, nullptr};

class GaugeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!QApplication::instance()) app_ = new QApplication(argc_, argv_);
  }
  static inline QApplication* app_ = nullptr;
};

// The columns of a plain bar that hold the fore colour along one row.
int FilledColumns(const QImage& img, int row, QRgb fore) {
  int n = 0;
  for (int x = 0; x < img.width(); ++x)
    if ((img.pixel(x, row) & 0xffffff) == (fore & 0xffffff)) ++n;
  return n;
}

}  // namespace

TEST_F(GaugeTest, CreationDefaults) {
  TkGauge g;
  EXPECT_EQ(g.MinValue(), 0);
  EXPECT_EQ(g.MaxValue(), 100);
  EXPECT_EQ(g.Progress(), 47);
  EXPECT_EQ(g.Text(), "47%");
  EXPECT_EQ(g.Kind(), TkGaugeKind::gkHorizontalBar);
  EXPECT_EQ(g.width(), 120);
  EXPECT_EQ(g.height(), 30);
}

TEST_F(GaugeTest, PercentHelpers) {
  struct Case {
    int percent, length, pixels;
  } cases[] = {{5, 20, 0}, {5, 100, 4}, {100, 242, 242}, {50, 242, 121}, {100, 21, 21}, {0, 50, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(ScaleByPercent(c.percent, c.length), c.pixels) << c.percent << "% of " << c.length;
  EXPECT_EQ(CalcPercent(5, 0), 0);
  EXPECT_EQ(CalcPercent(1, 3), 33);
  EXPECT_EQ(CalcPercent(2000000000, 2100000000), 95);  // no integer overflow
}

TEST_F(GaugeTest, RangeChecksAndClamping) {
  TkGauge g;
  int changes = 0;
  g.OnChange = [&](TkGauge*) { ++changes; };
  g.SetProgress(0);
  EXPECT_EQ(changes, 1);
  EXPECT_NO_THROW(g.SetMaxValue(0));  // maximum equal to the minimum is accepted
  EXPECT_EQ(g.PercentDone(), 0);
  EXPECT_EQ(g.Text(), "0%");
  try {
    g.SetMaxValue(-1);
    FAIL() << "no error";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Value must be between 1 and 2147483647");
  }
  EXPECT_EQ(g.MaxValue(), 0);
  g.SetMaxValue(10);
  try {
    g.SetMinValue(11);
    FAIL() << "no error";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Value must be between -2147483647 and 9");
  }
  g.SetProgress(8);
  changes = 0;
  g.SetMaxValue(5);  // lowers Progress silently
  EXPECT_EQ(g.Progress(), 5);
  EXPECT_EQ(changes, 0);
  g.SetProgress(99);
  EXPECT_EQ(g.Progress(), 5);  // already at the bound: nothing changes
  EXPECT_EQ(changes, 0);
  g.SetProgress(-3);
  EXPECT_EQ(g.Progress(), 0);
  EXPECT_EQ(changes, 1);
  g.AddProgress(2);
  EXPECT_EQ(g.Progress(), 2);
  g.SetMinValue(3);
  EXPECT_EQ(g.Progress(), 3);
}

TEST_F(GaugeTest, TextWithoutPercents) {
  TkGauge g;
  g.SetMaxValue(200);
  g.SetProgress(50);
  EXPECT_EQ(g.Text(), "25%");
  g.SetCalcPercents(false);
  EXPECT_EQ(g.Text(), "50%");
  g.SetSuffix(" шт.");
  EXPECT_EQ(g.Text(), "50 шт.");
}

TEST_F(GaugeTest, PlainHorizontalBarPixels) {
  TkGauge g;
  g.resize(243, 22);
  g.SetForeColor(Qt::blue);
  g.SetShowText(false);
  struct Case {
    int progress, filled;
  } cases[] = {{100, 241}, {50, 120}, {0, 0}};
  for (const auto& c : cases) {
    g.SetProgress(c.progress);
    const QImage img = g.PaintPlain();
    // Filled rectangle (1, 1, N, 21): columns 1 .. N-1 on rows 1 .. 20.
    EXPECT_EQ(FilledColumns(img, 10, QColor(Qt::blue).rgb()), c.filled) << c.progress;
    EXPECT_EQ(img.pixel(0, 10) & 0xffffff, 0u);  // frame
    EXPECT_EQ(img.pixel(242, 10) & 0xffffff, 0u);
    EXPECT_EQ(img.pixel(10, 0) & 0xffffff, 0u);
    EXPECT_EQ(img.pixel(10, 21) & 0xffffff, 0u);
  }
  g.SetProgress(50);
  const QImage half = g.PaintPlain();
  EXPECT_EQ(half.pixel(1, 1), QColor(Qt::blue).rgb());
  EXPECT_EQ(half.pixel(120, 20), QColor(Qt::blue).rgb());
  EXPECT_EQ(half.pixel(121, 20), QColor(Qt::white).rgb());
}

TEST_F(GaugeTest, PlainVerticalBarAndTinyBar) {
  TkGauge g;
  g.resize(22, 30);
  g.SetKind(TkGaugeKind::gkVerticalBar);
  g.SetForeColor(Qt::red);
  g.SetShowText(false);
  g.SetProgress(100);
  QImage img = g.PaintPlain();
  EXPECT_EQ(img.pixel(5, 1), QColor(Qt::red).rgb());  // N cut to H - 1: from row 1
  g.SetProgress(0);
  img = g.PaintPlain();
  for (int y = 1; y < 29; ++y) EXPECT_EQ(img.pixel(5, y), QColor(Qt::white).rgb());

  TkGauge tiny;
  tiny.resize(21, 10);  // R is 19 wide: W = 20, and 5 percent of 20 pixels is 0
  tiny.SetShowText(false);
  tiny.SetProgress(5);
  EXPECT_EQ(FilledColumns(tiny.PaintPlain(), 5, QColor(Qt::black).rgb()), 2);  // frame only
}

TEST_F(GaugeTest, TextInvertsWhatLiesUnder) {
  TkGauge g;
  g.resize(243, 22);
  g.SetForeColor(Qt::blue);
  g.SetProgress(100);
  const QImage img = g.PaintPlain();
  // Over the blue bar the glyphs are blue xor white: yellow.
  EXPECT_GT(FilledColumns(img, 11, qRgb(255, 255, 0)), 0);
  g.SetProgress(0);
  // Over the white background they are black.
  const QImage empty = g.PaintPlain();
  int dark = 0;
  for (int y = 1; y < 21; ++y)
    for (int x = 1; x < 242; ++x) dark += (empty.pixel(x, y) & 0xffffff) == 0;
  EXPECT_GT(dark, 0);
}

TEST_F(GaugeTest, ShownGaugeGrabsItsPicture) {
  TkGauge g;
  g.resize(243, 22);
  g.SetForeColor(Qt::blue);
  g.SetShowText(false);
  g.SetProgress(50);
  g.show();
  const QImage shot = g.grab().toImage();
  EXPECT_EQ(shot.pixel(60, 10), QColor(Qt::blue).rgb());
  EXPECT_EQ(shot.pixel(200, 10), QColor(Qt::white).rgb());
}

TEST_F(GaugeTest, OtherKindsPaintAndZeroSizePaintsNothing) {
  for (auto kind : {TkGaugeKind::gkText, TkGaugeKind::gkPie, TkGaugeKind::gkNeedle}) {
    TkGauge g;
    g.resize(60, 40);
    g.SetKind(kind);
    g.SetProgress(60);
    const QImage img = g.PaintPlain();
    EXPECT_EQ(img.size(), QSize(60, 40));
  }
  TkGauge none;
  none.resize(0, 0);
  EXPECT_TRUE(none.PaintPlain().isNull() || none.PaintPlain().width() == 0);
}

TEST_F(GaugeTest, AnimationTimerStopsWhileUnskinned) {
  TkGauge g;
  g.Loaded();
  EXPECT_TRUE(g.AnimationRunning());
  const auto deadline = QDateTime::currentMSecsSinceEpoch() + 1000;
  while (g.AnimationRunning() && QDateTime::currentMSecsSinceEpoch() < deadline)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_FALSE(g.AnimationRunning());
}
