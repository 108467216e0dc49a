// The progress window: placement, caption, and a phase shown through the
// gauge (checked on the grabbed picture).
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>

#include "shell/progress_window.h"
#include "shell_test_support.h"

using namespace kelmo;

namespace {

class ProgressWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::App(); }
};

int BlueColumns(const QImage& img, int row) {
  int n = 0;
  for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, row) & 0xffffff) == 0x0000ff;
  return n;
}

}  // namespace

TEST_F(ProgressWindowTest, PhaseTextAndPercentageThroughTheGauge) {
  TfmPrgs fmPrgs;
  bool forming = false;
  fmPrgs.FormingMode = [&] { return forming; };
  EXPECT_EQ(fmPrgs.Label1->text(), "Загрузка данных...");
  fmPrgs.BeginPhase("Загрузка данных (мест.)...", 4);
  EXPECT_TRUE(fmPrgs.isVisible());
  EXPECT_EQ(fmPrgs.windowTitle(), "Прием отчета");
  EXPECT_EQ(fmPrgs.pb->Progress(), 0);
  EXPECT_EQ(fmPrgs.pb->MaxValue(), 4);
  fmPrgs.StepRecord();
  fmPrgs.StepRecord();
  EXPECT_EQ(fmPrgs.pb->Text(), "50%");
  const QImage shot = fmPrgs.grab().toImage();
  const QImage gauge = fmPrgs.pb->grab().toImage();
  // Half of the gauge's inner width is blue; the other half white.
  const int blue = BlueColumns(gauge, 3);
  EXPECT_EQ(blue, 120);
  EXPECT_EQ(gauge.pixel(200, 3) & 0xffffff, 0xffffffu);
  // The gauge sits at (8, 22) of the window.
  EXPECT_EQ(shot.pixel(8 + 10, 22 + 3) & 0xffffff, 0x0000ffu);
  EXPECT_EQ(fmPrgs.Label1->text(), "Загрузка данных (мест.)...");
  fmPrgs.StepRecord();
  fmPrgs.StepRecord();
  fmPrgs.StepRecord();  // beyond the count: stays at the maximum
  EXPECT_EQ(fmPrgs.pb->Text(), "100%");
  fmPrgs.EndRun();
  EXPECT_FALSE(fmPrgs.isVisible());
  forming = true;
  fmPrgs.BeginPhase("Формирование счет-фактуры...", 0);
  EXPECT_EQ(fmPrgs.windowTitle(), "Формирование отчета");
  EXPECT_EQ(fmPrgs.pb->Text(), "0%");
}

TEST_F(ProgressWindowTest, PlacedOnceAtTheTopRightCorner) {
  TfmPrgs fmPrgs;
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(fmPrgs.pos().x(), screen.width() - fmPrgs.frameGeometry().width() - 15);
  EXPECT_EQ(fmPrgs.pos().y(), 15);
  EXPECT_EQ(fmPrgs.size(), QSize(260, 49));
  fmPrgs.BeginPhase("a", 1);
  fmPrgs.move(40, 50);  // moved by the user
  fmPrgs.EndRun();
  fmPrgs.BeginPhase("b", 1);
  EXPECT_EQ(fmPrgs.pos(), QPoint(40, 50));
}
