// The progress gauge painting from the fixture skin: the GAUGE section's
// background, the PROGRESSH section's filled part, and the glow strip
// stepping along the bar on the manual clock.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "qt_test_application.h"
#include "skin/k_gauge.h"
#include "skin/skin_manager.h"
#include "skin_fixture.h"
#include "skin_test_pixels.h"
#include "winshim/timers.h"

using namespace kelmo::skin;
namespace fx = kelmo::skin::testing_fixture;
namespace ws = kelmo::winshim;
using kelmo::skin::testing_pixels::Px;

namespace {

struct SkinnedGauge : ::testing::Test {
  QTemporaryDir dir;
  std::shared_ptr<ws::ManualClock> clock = std::make_shared<ws::ManualClock>();
  std::shared_ptr<ws::Clock> previous;
  TkSkinManagerComponent manager;
  QWidget form;
  TkGauge* gauge = nullptr;

  void SetUp() override {
    previous = ws::SetClock(clock);
    fx::WriteFixtureSkins(dir.path());
    form.resize(240, 60);
    ws::HandleOf(&form);
    gauge = new TkGauge(&form);
    gauge->setGeometry(10, 10, 200, 20);
    gauge->SetAnimated(false);
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Fixture"));
  }
  void TearDown() override {
    delete gauge;
    ws::SetClock(previous);
  }
};

}  // namespace

TEST_F(SkinnedGauge, PaintsFromTheSkinSections) {
  ASSERT_TRUE(gauge->Skinned());
  EXPECT_EQ(gauge->SkinSection(), QStringLiteral("GAUGE"));
  gauge->SetProgress(47);
  const QImage img = gauge->PaintSkinned();
  ASSERT_EQ(img.size(), QSize(200, 20));
  const int filled = ScaleByPercent(47, 200);
  // Left of the text: the filled part in PROGRESSH's colour; right of it
  // the background in GAUGE's colour.
  for (int y : {0, 19}) {
    EXPECT_EQ(Px(img, 3, y), fx::kProgressColor) << y;
    EXPECT_EQ(Px(img, filled - 1, y), fx::kProgressColor) << y;
    EXPECT_EQ(Px(img, filled, y), fx::kGaugeColor) << y;
    EXPECT_EQ(Px(img, 199, y), fx::kGaugeColor) << y;
  }
  EXPECT_EQ(Px(img, 3, 10), fx::kProgressColor);
  // For review by eye.
  img.save(QCoreApplication::applicationDirPath() + "/skinned_gauge.png");
  EXPECT_EQ(Px(img, 197, 10), fx::kGaugeColor);
  // An empty gauge shows the background alone.
  gauge->SetProgress(0);
  EXPECT_EQ(Px(gauge->PaintSkinned(), 3, 1), fx::kGaugeColor);
  // A vertical bar without PROGRESSV is painted lying down and turned.
  gauge->SetKind(TkGaugeKind::gkVerticalBar);
  gauge->setGeometry(10, 10, 20, 100);
  gauge->SetAnimated(true);
  gauge->SetProgress(50);
  const QImage v = gauge->PaintSkinned();
  EXPECT_EQ(Px(v, 2, 98), fx::kProgressColor);
  EXPECT_EQ(Px(v, 2, 2), fx::kGaugeColor);
  gauge->SetAnimated(false);
  // Without a skin the gauge paints plainly again and its timer stops.
  manager.SetActive(false);
  EXPECT_FALSE(gauge->Skinned());
}

TEST_F(SkinnedGauge, GlowStepsOnTheManualClock) {
  gauge->SetProgress(80);
  gauge->SetAnimated(true);
  ASSERT_TRUE(gauge->AnimationRunning());
  EXPECT_EQ(gauge->GlowPos(), 9999);
  EXPECT_EQ(gauge->GlowStep(), 15);  // 200 / (2222 / 44) is below the least step
  clock->Advance(22);                // the counter passed 2222 at creation: a sweep starts
  EXPECT_EQ(gauge->GlowPos(), -300 + 15);
  clock->Advance(22 * 10);
  EXPECT_EQ(gauge->GlowPos(), -300 + 15 * 11);
  // The strip's bright middle now lies over the filled part.
  const int middle = gauge->GlowPos() + 150;
  ASSERT_GT(middle, 2);
  ASSERT_LT(middle, ScaleByPercent(80, 200));
  const QImage lit = gauge->PaintSkinned();
  const TColor c = Px(lit, middle, 3);
  EXPECT_NE(c, fx::kProgressColor);
  EXPECT_GT(c & 0xFF, 0u);  // white mixed into the blue
  // Past the bar's end the strip waits for the next period.
  clock->Advance(22 * 40);
  EXPECT_GE(gauge->GlowPos(), 200);
  const int parked = gauge->GlowPos();
  clock->Advance(22 * 10);
  EXPECT_EQ(gauge->GlowPos(), parked);
  EXPECT_EQ(Px(gauge->PaintSkinned(), middle, 3), fx::kProgressColor);
  // The next sweep starts once more than 2222 ms were counted.
  clock->Advance(22 * 41);
  EXPECT_EQ(gauge->GlowPos(), parked);
  clock->Advance(22);
  EXPECT_EQ(gauge->GlowPos(), -300 + 15);
  // Removing the skin stops the timer.
  manager.SetActive(false);
  EXPECT_FALSE(gauge->AnimationRunning());
  EXPECT_EQ(clock->ActiveTimers(), 0);
}
