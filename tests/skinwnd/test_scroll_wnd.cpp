// The skinned scroll bars and their wrapper on a scroll area of a form with
// the scroll fixture skin: the bars' geometry and hit tests, the room they
// take in the non-client space, the messages a press, a thumb drag, the
// auto-repeat and the hover send through the window's chain on the manual
// clock, the parts and states painted on a grab, and the widget's own look
// once the skin is off.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <vector>

#include "qt_test_application.h"
#include "scroll_skin_fixture.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skinwnd/scroll_wnd.h"
#include "winshim/non_client.h"
#include "winshim/timers.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skin;
namespace ws = kelmo::winshim;
namespace sf = kelmo::skinwnd::testing_scroll;

namespace {

TEST(ScrollBarGeometry, ThumbAndHitTests) {
  sf::PinBarMetrics();
  TkaScrollBar bar;
  bar.Kind = 1;
  // Defaults: 16 thick, arrows 16 long.
  EXPECT_EQ(ScrollBarPartSize(bar, 1, false), 16);
  EXPECT_EQ(ScrollBarPartSize(bar, 0, false), 16);
  bar.ThicknessSetting = -2;
  EXPECT_EQ(ScrollBarPartSize(bar, 1, false), 32);
  bar.ThicknessSetting = -1;

  struct Case {
    const char* name;
    int nMin, nMax;
    unsigned nPage;
    int nPos;
    int length;  // of the bar along
    int size, start;
  };
  // A bar from y 0; the track is 100 long between 16-pixel arrows.
  const Case cases[] = {
      {"page 0: as long as an arrow", 0, 99, 0, 0, 132, 16, 16},
      {"page 10 of 100", 0, 99, 10, 45, 132, 10, 61},
      {"small page: the minimum", 0, 9999, 10, 0, 132, 10, 16},
      {"last position", 0, 99, 10, 90, 132, 10, 106},
      {"huge range: no thumb at the start", 0, int(0x80000000u), 10, 5, 132, 0, 16},
      {"max below min", 10, 0, 10, 5, 132, 0, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bar.Info.nMin = c.nMin, bar.Info.nMax = c.nMax, bar.Info.nPage = c.nPage,
    bar.Info.nPos = c.nPos;
    int size = -1, start = -1;
    ThumbGeometry(bar, {0, 0, 16, c.length}, size, start);
    EXPECT_EQ(size, c.size);
    EXPECT_EQ(start, c.start);
  }

  struct Hit {
    int length, y, part;
  };
  bar.Info = {28, ws::SIF_ALL, 0, 99, 10, 45, 0};  // thumb at 61 .. 71
  const Hit hits[] = {
      {132, 0, sbpFirstArrow},
      {132, 15, sbpFirstArrow},
      {132, 16, sbpTrackBefore},
      {132, 61, sbpThumb},
      {132, 70, sbpThumb},
      {132, 71, sbpTrackAfter},
      {132, 116, sbpSecondArrow},
      {132, 132, sbpNone},
      // Shorter than two arrows: two half arrows, nothing else.
      {20, 9, sbpFirstArrow},
      {20, 10, sbpSecondArrow},
  };
  for (const Hit& c : hits)
    EXPECT_EQ(HitTestBar(bar, 0, {0, 0, 16, c.length}, 8, c.y), c.part)
        << "y " << c.y << " of " << c.length;
  // Beside the bar, nothing.
  EXPECT_EQ(HitTestBar(bar, 0, {0, 0, 16, 132}, 16, 30), sbpNone);
  // A thumb that fills the track leaves only the arrows.
  bar.Info.nPage = 100;
  EXPECT_EQ(HitTestBar(bar, 0, {0, 0, 16, 132}, 8, 30), sbpNone);
  EXPECT_EQ(HitTestBar(bar, 0, {0, 0, 16, 132}, 8, 120), sbpSecondArrow);
  EXPECT_EQ(MulDiv(10, 91, 90), 10);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

struct ScrolledArea : ::testing::Test {
  std::vector<ws::Msg> below;  // what reached the window under the wrapper
  QTemporaryDir dir;
  std::shared_ptr<ws::ManualClock> clock = std::make_shared<ws::ManualClock>();
  std::shared_ptr<ws::Clock> oldClock;
  TkSkinManagerComponent manager;
  QWidget form;
  QAbstractScrollArea* area = nullptr;
  ws::HWND h = 0;
  // Answer of the window to command 51 (0: the 16-bit scroll messages).
  ws::LRESULT before = 0;
  std::uint32_t styleAtCalc = 0;  // the style the window's own calculation saw
  std::unique_ptr<TkaScrollWnd> wrapper;

  void SetUp() override {
    sf::WriteScrollSkin(dir.path());
    oldClock = ws::SetClock(clock);
    Tracking() = ScrollTracking{};
    form.resize(300, 200);
    ws::HandleOf(&form);
    area = new QAbstractScrollArea(&form);
    area->setFrameStyle(QFrame::Box | QFrame::Plain);
    area->setLineWidth(1);
    // At the form's bottom right: its corner is the grip corner.
    area->setGeometry(100, 50, 200, 150);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area->verticalScrollBar()->setRange(0, 90);
    area->verticalScrollBar()->setPageStep(10);
    area->horizontalScrollBar()->setRange(0, 0);
    area->horizontalScrollBar()->setPageStep(10);
    form.show();
    QCoreApplication::processEvents();
    h = ws::HandleOf(area);
    ws::Subclass(h, [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      below.push_back(m);
      if (m.msg == ws::WM_NCCALCSIZE) styleAtCalc = ws::GetWindowLong(h, ws::GWL_STYLE);
      if (m.msg == SM_SKINCMD && ws::HiWord(m.wParam) == scBeforeScroll) {
        m.result = before;
        return;
      }
      next(m);
    });
    manager.SetSkinDirectory(dir.path());
    manager.SetSkinName(QStringLiteral("Scroll"));
    wrapper = MakeWrapper<TkaScrollWnd>(h, nullptr, nullptr, QStringLiteral("EDIT"), true);
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    wrapper.reset();
    ws::SetClock(oldClock);
    ws::ResetSystemProfile();
  }
  // A point of the area (window coordinates) on the screen.
  QPoint Screen(int x, int y) const {
    const ws::Rect r = ws::GetWindowRect(h);
    return {r.left + x, r.top + y};
  }
  ws::LPARAM At(int x, int y) const {
    const QPoint p = Screen(x, y);
    return ws::MakeLParam(p.x(), p.y());
  }
  // The scroll messages that reached the window: code and position.
  std::vector<std::pair<int, int>> Scrolls(unsigned which = ws::WM_VSCROLL) const {
    std::vector<std::pair<int, int>> out;
    for (const ws::Msg& m : below)
      if (m.msg == which) out.emplace_back(ws::LoWord(m.wParam), ws::HiWord(m.wParam));
    return out;
  }
  QImage Grab() const { return area->grab().toImage(); }
  void Mouse(QEvent::Type type, int x, int y, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(x, y), QPointF(Screen(x, y)),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(area, &e);
  }
};

using Pairs = std::vector<std::pair<int, int>>;

TEST_F(ScrolledArea, TakesTheBarsRoomAndAnswersHitCodes) {
  // The frame is 1 pixel; the bars 16 inside it.
  EXPECT_EQ(wrapper->EdgeLeft, 1);
  EXPECT_EQ(wrapper->EdgeBottom, 1);
  EXPECT_TRUE(wrapper->HorzBar->Shown);
  EXPECT_TRUE(wrapper->VertBar->Shown);
  EXPECT_EQ(ws::NonClientMargins(h), QMargins(1, 1, 17, 17));
  EXPECT_TRUE(ws::OwnsScrollBars(h));
  // Qt's bars keep the room: the viewport is the client rectangle.
  EXPECT_EQ(area->viewport()->geometry(), QRect(1, 1, 182, 132));
  // The juggling of the style bits stays inside the wrapper: the window's
  // own calculation sees no bars, and hears no style change.
  below.clear();
  ws::RecalcNonClient(h);
  for (const ws::Msg& m : below) EXPECT_NE(m.msg, unsigned(ws::WM_STYLECHANGED));
  EXPECT_EQ(styleAtCalc & (ws::WS_HSCROLL | ws::WS_VSCROLL), 0u);
  EXPECT_NE(ws::GetWindowLong(h, ws::GWL_STYLE) & ws::WS_VSCROLL, 0u);

  struct Case {
    int x, y;
    ws::LRESULT hit;
  };
  const Case cases[] = {
      {190, 5, ws::HTVSCROLL},   {190, 132, ws::HTVSCROLL},     {5, 140, ws::HTHSCROLL},
      {182, 140, ws::HTHSCROLL}, {190, 140, ws::HTBOTTOMRIGHT},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ws::SendMessage(h, ws::WM_NCHITTEST, 0, At(c.x, c.y)), c.hit) << c.x << "," << c.y;
  // The client area is the window's own.
  ws::Msg m{ws::WM_NCHITTEST, 0, At(50, 50), 0};
  EXPECT_FALSE(ws::DispatchMessage(h, m));
  // An unavailable bar answers nowhere.
  area->verticalScrollBar()->setEnabled(false);
  EXPECT_EQ(ws::SendMessage(h, ws::WM_NCHITTEST, 0, At(190, 5)), ws::HTNOWHERE);
  area->verticalScrollBar()->setEnabled(true);
  // Not at the form's corner: no grip.
  area->setGeometry(90, 40, 200, 150);
  QCoreApplication::processEvents();
  m = {ws::WM_NCHITTEST, 0, At(190, 140), 0};
  EXPECT_FALSE(ws::DispatchMessage(h, m));
  // A window narrower than the bar gets no vertical bar.
  area->setGeometry(90, 40, 12, 150);
  QCoreApplication::processEvents();
  EXPECT_FALSE(wrapper->VertBar->Shown);
  m = {ws::WM_NCHITTEST, 0, At(5, 5), 0};
  EXPECT_FALSE(ws::DispatchMessage(h, m));
}

TEST_F(ScrolledArea, ArrowPressRepeatsOnTheClockUntilTheButtonIsUp) {
  // The second arrow of the vertical bar: window y 117 .. 133.
  ws::SendMessage(h, ws::WM_NCLBUTTONDOWN, ws::HTVSCROLL, At(190, 120));
  EXPECT_EQ(ws::GetCapture(), h);
  EXPECT_EQ(Scrolls(), (Pairs{{ws::SB_LINEDOWN, 0}}));
  EXPECT_EQ(area->verticalScrollBar()->value(), 1);
  ws::SetCursorPos(Screen(190, 120));
  clock->Advance(299);
  EXPECT_EQ(Scrolls().size(), 1u);
  clock->Advance(1);  // the first delay ends; the repeat begins
  EXPECT_EQ(Scrolls().size(), 1u);
  clock->Advance(55);
  clock->Advance(55);
  EXPECT_EQ(Scrolls().size(), 3u);
  // Off the arrow the sending stops, not the timer.
  ws::SetCursorPos(Screen(190, 60));
  clock->Advance(110);
  EXPECT_EQ(Scrolls().size(), 3u);
  EXPECT_EQ(Tracking().RepeatTimerId, kRepeatTimer);
  // Back on it, it goes on; the button-up ends it.
  ws::SetCursorPos(Screen(190, 120));
  clock->Advance(55);
  EXPECT_EQ(Scrolls().size(), 4u);
  ws::SendMessage(h, ws::WM_LBUTTONUP, 0, ws::MakeLParam(189, 119));
  EXPECT_EQ(Scrolls().back(), std::make_pair(int(ws::SB_ENDSCROLL), 0));
  EXPECT_EQ(ws::GetCapture(), 0u);
  const std::size_t sent = Scrolls().size();
  clock->Advance(500);
  EXPECT_EQ(Scrolls().size(), sent);
  EXPECT_EQ(Tracking().PressedPart, -1);
  // The track before the thumb pages up; the window's value follows.
  ws::SendMessage(h, ws::WM_NCLBUTTONDOWN, ws::HTVSCROLL, At(190, 18));
  EXPECT_EQ(Scrolls().back().first, int(ws::SB_PAGEUP));
  ws::SendMessage(h, ws::WM_LBUTTONUP, 0, ws::MakeLParam(189, 17));
}

TEST_F(ScrolledArea, ThumbDragSendsChangedPositionsThenTheLast) {
  // Real mouse events: the press on the thumb (window y 17 .. 27), moves
  // under the capture, the release.
  Mouse(QEvent::MouseButtonPress, 190, 20, Qt::LeftButton);
  EXPECT_TRUE(wrapper->DraggingThumb);
  EXPECT_EQ(ws::GetCapture(), h);
  Mouse(QEvent::MouseMove, 190, 30, Qt::LeftButton);
  Mouse(QEvent::MouseMove, 191, 30, Qt::LeftButton);  // same place along: nothing
  Mouse(QEvent::MouseMove, 190, 40, Qt::LeftButton);
  Mouse(QEvent::MouseMove, 190, 500, Qt::LeftButton);  // kept inside the track
  Mouse(QEvent::MouseButtonRelease, 190, 500, Qt::NoButton);
  // Vertical positions run to one past the last at the track's end.
  EXPECT_EQ(Scrolls(), (Pairs{{ws::SB_THUMBTRACK, 10},
                              {ws::SB_THUMBTRACK, 20},
                              {ws::SB_THUMBTRACK, 91},
                              {ws::SB_THUMBPOSITION, 91},
                              {ws::SB_ENDSCROLL, 91}}));
  EXPECT_EQ(area->verticalScrollBar()->value(), 90);
  EXPECT_FALSE(wrapper->DraggingThumb);
  EXPECT_EQ(ws::GetCapture(), 0u);
}

TEST_F(ScrolledArea, ScrollMessagesTakeTheWindowsWidth) {
  struct Case {
    ws::LRESULT before;
    int pos;
    int hiWord;
    ws::LPARAM lParam;
  };
  for (const Case c : {Case{0, 70000, 0xFFFF, 0}, Case{1, 70000, 70000 & 0xFFFF, 70000}}) {
    before = c.before;
    below.clear();
    TkaScrollWnd::SendScrollMsg(h, ws::WM_VSCROLL, ws::SB_THUMBTRACK, c.pos);
    ASSERT_EQ(below.size(), 3u);
    const ws::LPARAM tell = (ws::LPARAM(ws::WM_VSCROLL) << 16) | ws::SB_THUMBTRACK;
    EXPECT_EQ(ws::HiWord(below[0].wParam), scBeforeScroll);
    EXPECT_EQ(below[0].lParam, tell);
    EXPECT_EQ(below[1].msg, unsigned(ws::WM_VSCROLL));
    EXPECT_EQ(ws::HiWord(below[1].wParam), c.hiWord);
    EXPECT_EQ(below[1].lParam, c.lParam);
    EXPECT_EQ(ws::HiWord(below[2].wParam), scAfterScroll);
    EXPECT_EQ(below[2].lParam, tell);
  }
  before = 0;
  // A timer of the window's own reaches it once, with its id.
  below.clear();
  ws::SetTimer(h, 5, 10);
  clock->Advance(10);
  ws::KillTimer(h, 5);
  int timers = 0;
  for (const ws::Msg& m : below) timers += m.msg == ws::WM_TIMER && m.wParam == 5;
  EXPECT_EQ(timers, 1);
  // Other buttons on the bars go nowhere.
  below.clear();
  ws::SendMessage(h, ws::WM_NCRBUTTONDOWN, ws::HTVSCROLL, At(190, 50));
  EXPECT_TRUE(below.empty());
  // A press that still names an unavailable bar starts nothing: no scroll,
  // no capture, nothing at the button-up.
  area->verticalScrollBar()->setEnabled(false);
  ws::SendMessage(h, ws::WM_NCLBUTTONDOWN, ws::HTVSCROLL, At(190, 120));
  EXPECT_EQ(ws::GetCapture(), 0u);
  ws::SendMessage(h, ws::WM_LBUTTONUP, 0, ws::MakeLParam(189, 119));
  EXPECT_TRUE(Scrolls().empty());
}

TEST_F(ScrolledArea, PaintsPartsAndStatesAndGivesTheLookBack) {
  const QImage qtLook = [&] {
    QAbstractScrollArea plain(&form);
    plain.setFrameStyle(QFrame::Box | QFrame::Plain);
    plain.setGeometry(area->geometry());
    plain.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    plain.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    plain.verticalScrollBar()->setRange(0, 90);
    plain.verticalScrollBar()->setPageStep(10);
    plain.horizontalScrollBar()->setRange(0, 0);
    plain.show();
    QCoreApplication::processEvents();
    return plain.grab().toImage();
  }();
  area->verticalScrollBar()->setValue(50);  // thumb at window y 67 .. 77
  QImage img = Grab();
  struct Px {
    const char* what;
    int x, y;
    TColor color;
  };
  const Px parts[] = {
      {"first arrow", 190, 5, sf::kArrow[0]},
      {"track before the thumb", 190, 40, sf::kTrack1V},
      {"thumb", 190, 72, sf::kThumb[0]},
      {"track after the thumb", 190, 100, sf::kTrack2V},
      {"second arrow", 190, 125, sf::kArrow[0]},
      {"left arrow", 5, 140, sf::kArrow[0]},
      // The horizontal thumb would fill its track: none, the halves meet.
      {"horizontal track", 60, 140, sf::kTrack1H},
      {"horizontal track, second half", 120, 140, sf::kTrack2H},
      {"grip", 197, 147, kelmo::skin::testing_fixture::kMasterFill},
  };
  for (const Px& p : parts) EXPECT_EQ(sf::GrabPixel(img, p.x, p.y), p.color) << p.what;
  img.save(QCoreApplication::applicationDirPath() + "/skinned_scroll_bars.png");

  // Hover on the clock: the arrow under the cursor turns hot, and back.
  ws::SendMessage(h, ws::WM_NCMOUSEMOVE, ws::HTVSCROLL, At(190, 5));
  ws::SetCursorPos(Screen(190, 5));
  clock->Advance(20);
  EXPECT_EQ(sf::GrabPixel(Grab(), 190, 5), sf::kArrow[1]);
  ws::SetCursorPos(Screen(190, 72));
  clock->Advance(20);
  img = Grab();
  EXPECT_EQ(sf::GrabPixel(img, 190, 5), sf::kArrow[0]);
  EXPECT_EQ(sf::GrabPixel(img, 190, 72), sf::kThumb[1]);
  ws::SetCursorPos(Screen(50, 50));
  clock->Advance(20);
  EXPECT_EQ(Tracking().HoverBar, -1);
  EXPECT_EQ(sf::GrabPixel(Grab(), 190, 72), sf::kThumb[0]);
  // A press paints its part pressed while the mouse is over it.
  ws::SendMessage(h, ws::WM_NCLBUTTONDOWN, ws::HTVSCROLL, At(190, 100));
  EXPECT_EQ(sf::GrabPixel(Grab(), 190, 100), sf::kTrack2VPressed);
  ws::SendMessage(h, ws::WM_MOUSEMOVE, 0, ws::MakeLParam(100, 60));
  EXPECT_EQ(sf::GrabPixel(Grab(), 190, 100), sf::kTrack2V);
  ws::SendMessage(h, ws::WM_LBUTTONUP, 0, ws::MakeLParam(100, 60));
  // An unavailable bar is faded toward the window's background, without
  // thumb.
  area->verticalScrollBar()->setEnabled(false);
  img = Grab();
  EXPECT_NE(sf::GrabPixel(img, 190, 40), sf::kTrack1V);
  EXPECT_NE(sf::GrabPixel(img, 190, 72), sf::kThumb[0]);

  // Switching the skin off gives Qt its bars and frame back.
  area->verticalScrollBar()->setEnabled(true);
  area->verticalScrollBar()->setValue(0);
  manager.SetActive(false);
  SendSkinCommand(h, scRemoveSkin, ws::LPARAM(&manager.Manager));
  QCoreApplication::processEvents();
  EXPECT_FALSE(ws::OwnsScrollBars(h));
  EXPECT_EQ(ws::NonClientMargins(h), QMargins(1, 1, 1, 1));
  EXPECT_EQ(Grab(), qtLook);
}

TEST_F(ScrolledArea, RefreshGivesAndTakesTheWrapper) {
  wrapper.reset();
  TkCommonData link(area, true);
  link.SkinSection = QStringLiteral("EDIT");
  link.UpdateIndexes();
  std::unique_ptr<TkaScrollWnd> refreshed;
  RefreshScrollWnd(&link, refreshed);
  ASSERT_NE(refreshed, nullptr);
  EXPECT_EQ(ScrollBarOfWnd(h, 1), refreshed->VertBar.get());
  EXPECT_EQ(ScrollBarOfWnd(h, 2), nullptr);
  EXPECT_TRUE(SetMinThumbSize(h, 1, 20));
  EXPECT_EQ(refreshed->VertBar->MinThumb, 20);
  EXPECT_EQ(refreshed->HorzBar->MinThumb, MinThumbSize);
  // A section the skin lacks: the wrapper goes, the window is Qt's again.
  link.SkinSection = QStringLiteral("NOSUCHSECTION");
  link.UpdateIndexes();
  RefreshScrollWnd(&link, refreshed);
  EXPECT_EQ(refreshed, nullptr);
  EXPECT_EQ(WrapperOfWnd(h), nullptr);
  EXPECT_FALSE(ws::OwnsScrollBars(h));
  EXPECT_FALSE(SetMinThumbSize(h, 3, 10));
}

}  // namespace
