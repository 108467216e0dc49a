// The tool-bar wrappers on tool bars of a form with the controls' fixture
// skin: the program's bar painted through its own and its buttons'
// painting with the hot button tracked by the wrapper, the drop-down part,
// the dialog's bar painted whole with captions, separators and the
// disabled fade, and the bars' own look after the skin.
#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <map>

#include "control_test_form.h"
#include "skin/skin_link.h"
#include "skinwnd/tool_bar_wnd.h"
#include "winshim/system_profile.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skinwnd::testing_controls;
using kelmo::skin::TkCommonData;

namespace {

struct Bars : ControlForm {
  QToolBar* bar = nullptr;
  QMenu menu;
  std::map<QWidget*, int> paints;  // erases reaching each button since the last clear
  QToolButton* Button(int i) {
    return qobject_cast<QToolButton*>(bar->widgetForAction(bar->actions()[i]));
  }
  void MakeBar(Qt::ToolButtonStyle style) {
    bar = new QToolBar(&form);
    bar->setGeometry(0, 0, 360, 40);
    bar->setToolButtonStyle(style);
    bar->addAction(QStringLiteral("Open"));
    bar->addAction(QStringLiteral("Save"))->setEnabled(false);
    bar->addAction(QStringLiteral("Print"));
    bar->addSeparator();
    QAction* more = bar->addAction(QStringLiteral("More"));
    menu.addAction(QStringLiteral("Item"));
    more->setMenu(&menu);
    qobject_cast<QToolButton*>(bar->widgetForAction(more))
        ->setPopupMode(QToolButton::MenuButtonPopup);
  }
  void CountPaints() {
    for (int i = 0; i < bar->actions().size(); ++i) {
      QWidget* w = bar->widgetForAction(bar->actions()[i]);
      ws::Subclass(ws::HandleOf(w), [this, w](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
        if (m.msg == ws::WM_ERASEBKGND) ++paints[w];
        next(m);
      });
    }
  }
  Rect Place(int i) {
    const QRect g = Button(i)->geometry();
    return {g.left(), g.top(), g.right() + 1, g.bottom() + 1};
  }
};

}  // namespace

TEST_F(Bars, ProgramBarHotButtonAndDropDown) {
  MakeBar(Qt::ToolButtonTextOnly);
  Show();
  const QImage own = Grab(bar);
  SkinOn();
  TkCommonData link(bar, true);
  auto w = MakeWrapper<TkaToolBarVCLWnd>(ws::HandleOf(bar), &link, Manager(),
                                         QStringLiteral("TOOLBAR"), false);
  ASSERT_EQ(w->OwnerBar, bar);
  QImage img = Grab(bar);
  EXPECT_EQ(PixelOf(img, 355, 20), kToolBarColor);
  const Rect open = Place(0);
  EXPECT_EQ(PixelOf(img, open.left + 1, open.top + open.Height() / 2), kToolButton.colour[0]);
  // A disabled button is half blended with the bar's parent.
  const Rect save = Place(1);
  EXPECT_TRUE(Near(PixelOf(img, save.left + 1, save.top + save.Height() / 2),
                   Mix(kToolButton.colour[0], kFormColor, 0.5), 3));

  // The mouse over a button makes it hot; moving to another redraws just
  // the two; a disabled button never becomes hot.
  CountPaints();
  QCoreApplication::processEvents();
  w->TrackHot({open.left + 2, open.top + 2});
  EXPECT_EQ(w->HotIndex, 0);
  EXPECT_EQ(PixelOf(Grab(Button(0)), 1, open.Height() / 2), kToolButton.colour[1]);
  QCoreApplication::processEvents();
  paints.clear();
  const Rect print = Place(2);
  w->TrackHot({print.left + 2, print.top + 2});
  QCoreApplication::processEvents();
  EXPECT_EQ(w->HotIndex, 2);
  EXPECT_EQ(paints.size(), 2u);
  EXPECT_EQ(paints.count(Button(0)), 1u);
  EXPECT_EQ(paints.count(Button(2)), 1u);
  w->TrackHot({save.left + 2, save.top + 2});
  EXPECT_EQ(w->HotIndex, 2);
  w->LeaveHot();
  EXPECT_EQ(w->HotIndex, -1);

  // The drop-down part is pressed while its menu is open.
  QToolButton* more = Button(4);
  const int part = ws::GetSystemMetrics(ws::SM_CXVSCROLL) - 2;
  emit menu.aboutToShow();
  EXPECT_EQ(w->DroppedButton, more);
  QImage dropped = Grab(more);
  EXPECT_EQ(PixelOf(dropped, more->width() - 1, more->height() / 2), kToolButton.colour[2]);
  EXPECT_EQ(PixelOf(dropped, more->width() - part / 2 - 1, more->height() / 2),
            kArrows[1].colour[2]);
  EXPECT_EQ(PixelOf(dropped, 1, more->height() / 2), kToolButton.colour[0]);
  emit menu.aboutToHide();
  EXPECT_EQ(w->DroppedButton, nullptr);

  SkinOff();
  w.reset();
  EXPECT_EQ(Grab(bar), own);
}

TEST_F(Bars, HotPictureOnlyWhereTheIconHasOne) {
  MakeBar(Qt::ToolButtonIconOnly);
  auto solid = [](QColor c) {
    QPixmap p(16, 16);
    p.fill(c);
    return p;
  };
  QIcon withHot(solid(Qt::red));
  withHot.addPixmap(solid(Qt::green), QIcon::Active);
  bar->actions()[0]->setIcon(withHot);
  bar->actions()[2]->setIcon(QIcon(solid(Qt::red)));
  Show();
  SkinOn();
  TkCommonData link(bar, true);
  auto w = MakeWrapper<TkaToolBarVCLWnd>(ws::HandleOf(bar), &link, Manager(),
                                         QStringLiteral("TOOLBAR"), false);
  for (int i : {0, 2}) {
    SCOPED_TRACE(i);
    const Rect place = Place(i);
    w->TrackHot({place.left + 2, place.top + 2});
    ASSERT_EQ(w->HotIndex, i);
    const QImage img = Grab(Button(i));
    EXPECT_EQ(PixelOf(img, img.width() / 2, img.height() / 2),
              i == 0 ? Bgr(0, 255, 0) : Bgr(255, 0, 0));
  }
}

TEST_F(Bars, DialogBarPaintedWhole) {
  MakeBar(Qt::ToolButtonTextOnly);
  bar->actions()[2]->setText(QStringLiteral("Print the page"));
  bar->actions()[0]->setCheckable(true);
  bar->actions()[0]->setChecked(true);
  Show();
  SkinOn();
  auto w = MakeWrapper<TkaToolBarWnd>(ws::HandleOf(bar), nullptr, Manager(),
                                      QStringLiteral("CHECKBOX"), false);
  CursorAt(&form, {300, 200});
  const QImage img = Grab(bar);
  const QImage button0 = Grab(Button(0));
  // The buttons' windows show the bar's picture: pressed, disabled, normal.
  EXPECT_EQ(PixelOf(button0, 1, Button(0)->height() / 2), kToolButton.colour[2]);
  EXPECT_EQ(PixelOf(Grab(Button(2)), 1, Button(2)->height() / 2), kToolButton.colour[0]);
  EXPECT_TRUE(Near(PixelOf(Grab(Button(1)), 1, Button(1)->height() / 2),
                   Mix(kToolButton.colour[0], kCheckBoxColor, 0.4), 3));
  // The separator is the divider's mask in the middle of its place.
  QWidget* separator = bar->widgetForAction(bar->actions()[3]);
  EXPECT_EQ(PixelOf(Grab(separator), separator->width() / 2, separator->height() / 2),
            kDivider.colour[0]);
  // Three words: the first over the other two.
  const QImage print = Grab(Button(2));
  const int line = QFontMetrics(bar->font()).height();
  const QRect ink = InkBox(print, 0xFFFFFF, QRect(3, 3, print.width() - 6, print.height() - 6));
  EXPECT_GT(ink.height(), line);
  // Two words stay on one line.
  bar->actions()[2]->setText(QStringLiteral("Print page"));
  const QImage two = Grab(Button(2));
  EXPECT_LE(InkBox(two, 0xFFFFFF, QRect(3, 3, two.width() - 6, two.height() - 6)).height(), line);
  (void)img;
}
