// The status-bar and size-grip wrappers with the controls' fixture skin:
// the panel mask over a simple bar and its message, dividers between the
// panels of a skin without panel masks, the grip's image and its hit code,
// and the bar's own look after the skin.
#include <QLabel>
#include <QSizeGrip>
#include <QStatusBar>

#include "control_test_form.h"
#include "skin/skin_link.h"
#include "skinwnd/status_bar_wnd.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skinwnd::testing_controls;
using kelmo::skin::TkCommonData;

namespace {

struct Bars : ControlForm {
  QStatusBar* bar = nullptr;
  void MakeBar() {
    bar = new QStatusBar(&form);
    bar->setSizeGripEnabled(false);
    bar->setGeometry(0, 230, 360, 24);
    for (const char* text : {"first", "second", "third"})
      bar->addWidget(new QLabel(QString::fromLatin1(text)), 1);
  }
};

}  // namespace

TEST_F(Bars, SimpleBarShowsOnePanelAndItsMessage) {
  MakeBar();
  Show();
  const QImage own = Grab(bar);
  SkinOn();
  TkCommonData link(bar, true);
  auto w = MakeWrapper<TkaStatusBarWnd>(ws::HandleOf(bar), &link, Manager(),
                                        QStringLiteral("STATUSBAR"), false);
  EXPECT_EQ(w->OwnerStatusBar, bar);
  bar->showMessage(QStringLiteral("A message too long for its bar ") + QString(60, 'x'));
  const StatusBarView view = StatusBarViewOf(ws::HandleOf(bar));
  EXPECT_TRUE(view.simple);
  const QImage img = Grab(bar);
  // The panel mask over the whole bar, the message shortened in it.
  EXPECT_EQ(PixelOf(img, 358, 12), kStatusPanel.colour[0]);
  EXPECT_EQ(PixelOf(img, 1, 12), kStatusPanel.colour[0]);
  const QRect ink = InkBox(img, kStatusBarColor, QRect(5, 5, 340, 14));
  EXPECT_FALSE(ink.isNull());
  EXPECT_LT(ink.right(), 360 - 4);
  bar->clearMessage();
  SkinOff();
  w.reset();
  EXPECT_EQ(Grab(bar), own);
}

TEST_F(Bars, WithoutItsControlNoText) {
  MakeBar();
  Show();
  SkinOn();
  // A bar wrapped without its control's link writes no message.
  auto w = MakeWrapper<TkaStatusBarWnd>(ws::HandleOf(bar), nullptr, Manager(),
                                        QStringLiteral("STATUSBAR"), false);
  EXPECT_EQ(w->OwnerStatusBar, nullptr);
  bar->showMessage(QStringLiteral("Message"));
  const QImage img = Grab(bar);
  EXPECT_EQ(PixelOf(img, 358, 12), kStatusPanel.colour[0]);
  EXPECT_TRUE(InkBox(img, kStatusBarColor, QRect(5, 5, 340, 14)).isNull());
  bar->clearMessage();
}

TEST_F(Bars, DividersWithoutPanelMasks) {
  MakeBar();
  Show();
  SkinOn("ControlsNoPanels");
  TkCommonData link(bar, true);
  auto w = MakeWrapper<TkaStatusBarWnd>(ws::HandleOf(bar), &link, Manager(),
                                        QStringLiteral("STATUSBAR"), false);
  const StatusBarView view = StatusBarViewOf(ws::HandleOf(bar));
  ASSERT_EQ(view.panelCount, 3);
  const QImage img = Grab(bar);
  // Every panel but the last ends in a divider; the bar is its section.
  for (int i = 0; i < 3; ++i) {
    const Rect r = view.PanelRect(i).Inflate(-1, -1);
    SCOPED_TRACE(i);
    EXPECT_EQ(PixelOf(img, r.right - 3, 12) == kDivider.colour[0], i < 2);
  }
  EXPECT_EQ(PixelOf(img, view.PanelRect(0).left + 3, 2), kStatusBarColor);
}

TEST_F(Bars, SizeGripImageAndHitCode) {
  auto* grip = new QSizeGrip(&form);
  grip->setGeometry(330, 200, 20, 20);
  Show();
  SkinOn();
  const ws::HWND h = ws::HandleOf(grip);
  auto w = MakeWrapper<TkaSizerWnd>(h, nullptr, Manager(), QStringLiteral("CHECKBOX"), false);
  manager.SetActiveControl(ws::HandleOf(&form));
  EXPECT_EQ(ws::SendMessage(h, ws::WM_NCHITTEST, 0, 0), ws::HTBOTTOMRIGHT);
  EXPECT_EQ(manager.ActiveControl(), 0u);
  const QImage img = Grab(grip);
  // The image at the bottom-right corner, its key pixel showing the form.
  EXPECT_EQ(PixelOf(img, 15, 15), kGrip.colour[0]);
  EXPECT_EQ(PixelOf(img, 10, 10), kFormColor);
  EXPECT_EQ(PixelOf(img, 3, 3), kFormColor);
}
