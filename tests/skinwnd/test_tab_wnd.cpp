// The tab-control, page-control and page wrappers on a tab bar and a tab
// widget of a form with the controls' fixture skin: the tab rectangles by
// position, the page section by position, the painted page frame, tabs and
// strip, the pages wrapped with their control's background, and the
// controls' own look after the skin.
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>

#include "control_test_form.h"
#include "skinwnd/tab_wnd.h"

using namespace kelmo::skinwnd;
using namespace kelmo::skinwnd::testing_controls;
using kelmo::skin::AskWnd;
using kelmo::skin::SendSkinCommand;

namespace {

struct Tabs : ControlForm {
  QTabWidget* tabs = nullptr;
  ws::HWND h = 0;
  void MakeTabs(QTabWidget::TabPosition position, int count = 2) {
    tabs = new QTabWidget(&form);
    tabs->setGeometry(10, 10, 300, 200);
    tabs->setTabPosition(position);
    for (int i = 0; i < count; ++i)
      tabs->addTab(new QLabel(QStringLiteral("page %1").arg(i)), QStringLiteral("Tab %1").arg(i));
    h = ws::HandleOf(tabs);
  }
  std::unique_ptr<TkaPageControlWnd> Wrap() {
    return MakeWrapper<TkaPageControlWnd>(h, nullptr, Manager(), QStringLiteral("PAGECONTROL"),
                                          false);
  }
};

}  // namespace

TEST_F(Tabs, TabRectanglesAndSectionsByPosition) {
  MakeTabs(QTabWidget::North);
  Show();
  SkinOn();
  auto w = Wrap();
  GetWndGeometry(*w);
  const TabControlView view = TabControlViewOf(h);
  ASSERT_EQ(view.count, 2);
  const Rect item0 = view.ItemRect(0), item1 = view.ItemRect(1);
  // The selected tab grows by 2 on every side; an inactive one reaches 4
  // below its item and ends 1 short on the right.
  const Rect active = w->TabRect(0, true), inactive = w->TabRect(1, false);
  EXPECT_EQ(active.left, item0.left - 2);
  EXPECT_EQ(active.top, item0.top - 2);
  EXPECT_EQ(active.right, item0.right + 2);
  EXPECT_EQ(active.bottom, item0.bottom + 2);
  EXPECT_EQ(inactive.bottom, item1.bottom + 4);
  EXPECT_EQ(inactive.right, item1.right - 1);
  EXPECT_EQ(inactive.top, item1.top);
  EXPECT_EQ(w->TabRow(1), 1);
  EXPECT_EQ(w->PaintedSection(), QStringLiteral("PAGECONTROL"));
  EXPECT_EQ(w->PageFrameRect().top, w->PageRect().top - 4);

  tabs->setTabPosition(QTabWidget::South);
  EXPECT_EQ(w->PaintedSection(), QStringLiteral("PAGECONTROLBOTTOM"));
  EXPECT_EQ(w->SkinLink->SkinSection, QStringLiteral("PAGECONTROL"));
  tabs->setTabPosition(QTabWidget::North);
  // A control without tabs is all "CHECKBOX".
  tabs->clear();
  EXPECT_EQ(w->PaintedSection(), QStringLiteral("CHECKBOX"));
  EXPECT_TRUE(w->TabRect(0, true).Width() == 0);
}

TEST_F(Tabs, PaintsFrameTabsAndPages) {
  MakeTabs(QTabWidget::North);
  Show();
  const QImage own = Grab(tabs);
  SkinOn();
  auto w = Wrap();
  // Every page is wrapped, and answers as skinned.
  ASSERT_EQ(w->PageWrappers.size(), 2u);
  EXPECT_TRUE(AskWnd(ws::HandleOf(tabs->widget(0)), kelmo::skin::scIsSkinned));
  EXPECT_EQ(SendSkinCommand(h, kelmo::skin::scCaptionHeight, 0),
            kelmo::winshim::LRESULT(Manager()));
  const QImage img = Grab(tabs);
  GetWndGeometry(*w);
  const TabControlView view = TabControlViewOf(h);
  const Rect selected = w->TabRect(0, true), other = w->TabRect(1, false);
  // The selected tab in state 2, the other in state 0; right of the tabs
  // the form shows; the page shows the control's section.
  // (The side borders: the selected tab covers the other's left border.)
  EXPECT_EQ(PixelOf(img, std::max(0, selected.left + 2), selected.top + 6), kTab.colour[2]);
  EXPECT_EQ(PixelOf(img, other.right - 2, other.top + 6), kTab.colour[0]);
  EXPECT_EQ(PixelOf(img, 295, 2), kFormColor);
  const Rect page = view.DisplayRect();
  EXPECT_EQ(PixelOf(img, page.left + 40, page.bottom - 5), kPageColor);
  // Switching tabs moves the selected look.
  tabs->setCurrentIndex(1);
  const QImage second = Grab(tabs);
  EXPECT_EQ(PixelOf(second, w->TabRect(1, true).right - 2, w->TabRect(1, true).top + 6),
            kTab.colour[2]);
  tabs->setCurrentIndex(0);

  SkinOff();
  w.reset();
  EXPECT_EQ(Grab(tabs), own);
}

TEST_F(Tabs, TabBarAloneAndAtTheBottom) {
  auto* bar = new QTabBar(&form);
  bar->addTab(QStringLiteral("One"));
  bar->addTab(QStringLiteral("Two"));
  bar->setGeometry(10, 220, 200, 30);
  MakeTabs(QTabWidget::South);
  Show();
  SkinOn();
  auto wb = MakeWrapper<TkaTabControlWnd>(ws::HandleOf(bar), nullptr, Manager(),
                                          QStringLiteral("PAGECONTROL"), false);
  auto wt = Wrap();
  const QImage barImg = Grab(bar);
  GetWndGeometry(*wb);
  EXPECT_EQ(PixelOf(barImg, wb->TabRect(1, false).right - 2, wb->TabRect(1, false).top + 6),
            kTab.colour[0]);
  const QImage img = Grab(tabs);
  const Rect page = TabControlViewOf(h).DisplayRect();
  EXPECT_EQ(PixelOf(img, page.left + 40, page.top + 5), kPageBottomColor);
}

TEST_F(Tabs, TabRectanglesOfEveryPosition) {
  // The item rectangle grown as each position wants, for the selected tab
  // (a = 1) and an inactive one (a = 0).
  struct Case {
    QTabWidget::TabPosition position;
    const char* section;
    std::function<Rect(Rect, bool)> expected;
  };
  const Case cases[] = {
      {QTabWidget::North, "PAGECONTROL",
       [](Rect r, bool a) {
         r = a ? Rect{r.left, r.top, r.right, r.bottom - 1}
               : Rect{r.left, r.top, r.right - 1, r.bottom + 3};
         r = r.Inflate(2 * a, 2 * a);
         r.bottom += 1;
         return r;
       }},
      {QTabWidget::South, "PAGECONTROLBOTTOM",
       [](Rect r, bool a) {
         r = a ? Rect{r.left, r.top, r.right, r.bottom - 1}
               : Rect{r.left, r.top, r.right - 1, r.bottom + 3};
         r = r.Inflate(2 * a, a);
         r.top -= 2;
         r.bottom += a ? 1 : -3;
         return r;
       }},
      {QTabWidget::West, "PAGECONTROLLEFT",
       [](Rect r, bool a) {
         r = a ? Rect{r.left, r.top, r.right, r.bottom - 1}
               : Rect{r.left, r.top, r.right - 1, r.bottom + 3};
         r = r.Inflate(0, 1);
         r.right += 2;
         if (a) return r.Inflate(1, 1);
         r.bottom -= 4;
         r.right += 2;
         return r;
       }},
      {QTabWidget::East, "PAGECONTROLRIGHT",
       [](Rect r, bool a) {
         r = a ? Rect{r.left, r.top, r.right, r.bottom - 1}
               : Rect{r.left, r.top, r.right - 1, r.bottom + 3};
         r = r.Inflate(1, 0).Offset(-1, -1);
         if (a) {
           r = r.Inflate(1, 1);
           r.bottom += 3;
         } else {
           r.bottom -= 2;
         }
         return r;
       }},
  };
  MakeTabs(QTabWidget::North);
  Show();
  SkinOn();
  auto w = Wrap();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    tabs->setTabPosition(c.position);
    GetWndGeometry(*w);
    EXPECT_EQ(w->PaintedSection(), QLatin1String(c.section));
    const TabControlView view = TabControlViewOf(h);
    for (const bool active : {true, false}) {
      const Rect got = w->TabRect(active ? 0 : 1, active);
      const Rect want = c.expected(view.ItemRect(active ? 0 : 1), active);
      EXPECT_EQ(got.left, want.left);
      EXPECT_EQ(got.top, want.top);
      EXPECT_EQ(got.right, want.right);
      EXPECT_EQ(got.bottom, want.bottom);
    }
    // Every position paints without the skin's side tabs.
    EXPECT_FALSE(Grab(tabs).isNull());
  }
}
