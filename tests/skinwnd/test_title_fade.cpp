// The caption-button fades on the manual clock: 12 ms steps of a hot fade
// in and the fade out after it, the hot button watching the cursor until
// it leaves, the pressed image shown at once, and the faded picture taken
// from the owner's cache.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <vector>

#include "border_owner_fixture.h"
#include "qt_test_application.h"
#include "skin/paint_primitives.h"
#include "skinwnd/title_fade.h"
#include "winshim/non_client.h"
#include "winshim/timers.h"

using namespace kelmo::skinwnd;
namespace ws = kelmo::winshim;
using kelmo::skinwnd::testing_border::FakeOwner;

namespace {

struct Fade : ::testing::Test {
  std::shared_ptr<ws::ManualClock> clock = std::make_shared<ws::ManualClock>();
  std::shared_ptr<ws::Clock> previous;
  std::vector<unsigned> heard;  // before the form: it hears the form's end
  QWidget form{nullptr, Qt::FramelessWindowHint};
  kelmo::skin::TkCommonData link{&form, true};
  FakeOwner owner{&form, &link};

  void SetUp() override {
    previous = ws::SetClock(clock);
    form.setGeometry(200, 100, 300, 200);
    form.show();
    QCoreApplication::processEvents();
    link.FCacheBmp = kelmo::skin::CreateBmp24(300, 200);
    link.FCacheBmp.fill(QColor(0x10, 0x20, 0x30));
    owner.close.Rect = {250, 5, 271, 26};
    ws::Subclass(ws::HandleOf(&form), [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      heard.push_back(m.msg);
      next(m);
    });
  }
  void TearDown() override {
    owner.OwnerFreeButtonTimers();
    ws::SetClock(previous);
  }
  TkaSBAnimation* Anim() { return owner.close.Timer.get(); }
  // The alphas shown over n ticks.
  std::vector<int> Ticks(int n) {
    std::vector<int> shown;
    for (int i = 0; i < n; ++i) {
      clock->Advance(TkaSBAnimation::kInterval);
      shown.push_back(Anim()->LastAlpha);
    }
    return shown;
  }
  void CursorOnButton(bool on) {
    ws::SetCursorPos(on ? QPoint(200 + 260, 100 + 15) : QPoint(10, 10));
  }
};

TEST_F(Fade, HotFadesInByTwelveMsStepsAndOutAfter) {
  CursorOnButton(true);
  owner.close.State = 1;
  AnimateTitleButton(owner.close, 1, 10, owner, true);
  ASSERT_NE(Anim(), nullptr);
  EXPECT_EQ(Anim()->LastAlpha, 25);
  // The fade window lies over the button, showing the cache's pixels
  // opaque (no border window).
  ASSERT_TRUE(Anim()->FadeForm);
  EXPECT_EQ(Anim()->FadeForm->geometry(), QRect(450, 105, 21, 21));
  EXPECT_EQ(Anim()->FadeForm->Content().pixelColor(5, 5), QColor(0x10, 0x20, 0x30));
  // Nothing happens between ticks.
  clock->Advance(TkaSBAnimation::kInterval - 1);
  EXPECT_EQ(Anim()->LastAlpha, 25);
  clock->Advance(1);
  EXPECT_EQ(Anim()->LastAlpha, 50);
  EXPECT_EQ(Ticks(8), (std::vector<int>{75, 100, 125, 150, 175, 200, 225, 255}));
  // The hot button keeps its timer while the cursor stays on it.
  EXPECT_EQ(Ticks(3), (std::vector<int>{255, 255, 255}));
  EXPECT_TRUE(Anim()->Enabled());

  owner.close.State = 0;
  AnimateTitleButton(owner.close, 0, 10, owner, false);
  EXPECT_EQ(Ticks(11), (std::vector<int>{250, 225, 200, 175, 150, 125, 100, 75, 50, 25, 0}));
  EXPECT_EQ(Anim()->CurState, -1);
  EXPECT_FALSE(Anim()->Enabled());
  EXPECT_FALSE(Anim()->FadeForm);
  EXPECT_EQ(clock->ActiveTimers(), 0);
}

TEST_F(Fade, TheHotButtonLetsGoWhenTheCursorLeaves) {
  CursorOnButton(true);
  AnimateTitleButton(owner.close, 1, 10, owner, true);
  Ticks(10);
  EXPECT_TRUE(Anim()->Enabled());
  EXPECT_EQ(std::count(heard.begin(), heard.end(), ws::WM_MOUSELEAVE), 0);
  CursorOnButton(false);
  Ticks(1);
  EXPECT_FALSE(Anim()->Enabled());
  EXPECT_EQ(std::count(heard.begin(), heard.end(), ws::WM_MOUSELEAVE), 1);
  Ticks(3);
  EXPECT_EQ(std::count(heard.begin(), heard.end(), ws::WM_MOUSELEAVE), 1);
}

TEST_F(Fade, PressedShowsAtOnceAndTheOwnerFreesItsFades) {
  CursorOnButton(true);
  owner.close.State = 2;
  AnimateTitleButton(owner.close, 2, 1, owner, true);
  EXPECT_EQ(Anim()->LastAlpha, 255);
  EXPECT_FALSE(Anim()->Enabled());
  // Hot again after a press: the running animation takes the new state.
  AnimateTitleButton(owner.close, 1, 10, owner, true);
  EXPECT_EQ(Anim()->CurState, 1);
  EXPECT_TRUE(Anim()->Enabled());
  owner.OwnerFreeButtonTimers();
  EXPECT_EQ(owner.close.Timer, nullptr);
  EXPECT_EQ(clock->ActiveTimers(), 0);
}

}  // namespace
