// The popup window's placement and fitting, the container popup closed by
// the event-filter hooks, and the library's start-up and close-down.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "lookandfeel/container_popup.h"
#include "lookandfeel/editors_startup.h"
#include "lookandfeel/office11_colors.h"
#include "lookandfeel/value_types.h"
#include "paint_fixture.h"

namespace kelmo::le {
namespace {

// A widget that counts the presses it receives.
struct Target : QWidget {
  using QWidget::QWidget;
  int presses = 0;
  void mousePressEvent(QMouseEvent* e) override {
    ++presses;
    e->accept();
  }
};

void Click(QWidget* w, QPoint local = {2, 2}) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(local), QPointF(w->mapToGlobal(local)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

class PopupPlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetWorkAreaProvider([](QPoint) { return QRect(0, 0, 800, 600); });
  }
  void TearDown() override { SetWorkAreaProvider({}); }
};

TEST_F(PopupPlacementTest, FlipsAndClamps) {
  struct Case {
    const char* name;
    PopupPlacement placement;
    Rect anchor;
    QSize size;
    QPoint expected;
  } cases[] = {
      {"below fits", {0, 2, 1}, {100, 100, 200, 120}, {150, 200}, {100, 120}},
      {"flips above", {0, 2, 1}, {100, 400, 200, 500}, {150, 200}, {100, 200}},
      {"stays below and overflows", {0, 2, 1}, {100, 50, 200, 500}, {150, 200}, {100, 500}},
      {"moved left to the right edge", {0, 2, 1}, {700, 100, 750, 120}, {300, 100}, {500, 120}},
      {"never left of the work area", {0, 2, 1}, {700, 100, 750, 120}, {900, 100}, {0, 120}},
      {"right-aligned", {2, 2, 1}, {300, 100, 400, 120}, {150, 50}, {250, 120}},
      {"above flips below", {0, 0, 1}, {100, 30, 200, 50}, {100, 100}, {100, 50}},
      {"centred clamped both ways", {1, 1, 1}, {0, 0, 20, 20}, {100, 100}, {0, 0}},
      {"to the right", {2, 0, 0}, {100, 100, 200, 120}, {150, 50}, {200, 100}},
      {"right flips left", {2, 0, 0}, {700, 100, 750, 120}, {150, 50}, {550, 100}},
      {"horizontal clamps vertically", {2, 2, 0}, {100, 580, 200, 590}, {50, 50}, {200, 540}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CalculatePopupPosition(c.placement, c.anchor, c.size), c.expected) << c.name;
  }
}

TEST_F(PopupPlacementTest, FitsChildrenOnceInsideTheFrame) {
  TlePopupWindow popup;
  popup.resize(30, 30);
  popup.FitToChildren();  // no children: the size stays
  EXPECT_EQ(popup.size(), QSize(30, 30));
  QWidget child(&popup);
  child.setGeometry(0, 0, 50, 20);
  popup.FrameKind = 3;
  popup.ExtraBorderSpace = 1;
  popup.AnchorBounds = {100, 100, 200, 120};
  for (int shown = 0; shown < 2; ++shown) {
    popup.ShowPopup();
    EXPECT_EQ(child.pos(), QPoint(3, 3)) << shown;
    EXPECT_EQ(popup.size(), QSize(56, 26)) << shown;
    EXPECT_EQ(popup.pos(), QPoint(100, 120));
    popup.ClosePopup();
  }
  // A changed frame moves the children by the difference only.
  popup.FrameKind = 1;
  popup.FitToChildren();
  EXPECT_EQ(child.pos(), QPoint(2, 2));
  EXPECT_EQ(popup.size(), QSize(54, 24));
}

class FrameTest : public test::PaintFixture {};

TEST_F(FrameTest, PopupFrames) {
  TlePopupWindow popup;
  popup.resize(64, 48);
  popup.FrameKind = 1;
  popup.FrameLineColor = clBlue;
  popup.DrawPopupFrame(Canvas());
  EXPECT_EQ(Px(0, 10), C(clBlue));
  EXPECT_EQ(Px(63, 47), C(clBlue));
  EXPECT_EQ(Px(1, 10), test::kPaper);
  popup.FrameKind = 3;
  popup.DrawPopupFrame(Canvas());
  EXPECT_EQ(Px(0, 10), C(cl3DLight));
  EXPECT_EQ(Px(1, 10), C(clBtnHighlight));
  EXPECT_EQ(Px(63, 10), C(cl3DDkShadow));
  EXPECT_EQ(Px(62, 10), C(clBtnShadow));
  EXPECT_EQ(popup.BorderWidthAt(2), 2);
}

TEST_F(FrameTest, ViewInfoBorders) {
  TleContainerViewInfo info;
  info.BorderStyle = cbs3D;
  info.BorderRect = {2, 2, 30, 20};
  info.BackgroundColor = clWhite;
  info.DrawBackground(Canvas());
  EXPECT_EQ(Px(1, 10), C(clBtnShadow));
  EXPECT_EQ(Px(2, 10), C(clWhite));
  EXPECT_EQ(Px(30, 10), C(clBtnHighlight));
  FillFrameBetween(Canvas(), {40, 0, 50, 10}, {42, 2, 48, 8}, clBlue);
  EXPECT_EQ(Px(40, 5), C(clBlue));
  EXPECT_EQ(Px(45, 5), test::kPaper);
}

class ContainerPopupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartEditorsLibrary();
    form.resize(300, 200);
    owner = new Target(&form);
    owner->setGeometry(10, 10, 100, 20);
    other = new Target(&form);
    other->setGeometry(10, 100, 100, 20);
    form.show();
  }
  void TearDown() override {
    popups.clear();
    StopEditorsLibrary();
  }
  TleCustomPopupWindow& Make(QWidget* ownerControl) {
    popups.push_back(std::make_unique<TleCustomPopupWindow>(ownerControl));
    TleCustomPopupWindow& p = *popups.back();
    p.CaptureFocus = false;
    p.RunModalLoop = false;
    p.AnchorBounds = {0, 0, 100, 20};
    p.resize(80, 60);
    return p;
  }
  QWidget form;
  Target* owner = nullptr;
  Target* other = nullptr;
  std::vector<std::unique_ptr<TleCustomPopupWindow>> popups;
};

// A popup that fits itself into the work area when shown.
struct FittingPopup : TleCustomPopupWindow {
  using TleCustomPopupWindow::TleCustomPopupWindow;
  bool FitsToWorkArea() const override { return true; }
};

TEST_F(PopupPlacementTest, FitsIntoTheWorkAreaAtItsPoint) {
  QWidget owner;
  std::vector<QPoint> asked;
  SetWorkAreaProvider([&](QPoint p) {
    asked.push_back(p);
    return QRect(100, 50, 600, 500);  // left 100, top 50, right 700, bottom 550
  });
  struct Case {
    const char* name;
    QPoint point;
    QSize size;
    int minimumHeight;
    QPoint expectedPoint;
    QSize expectedSize;
  } cases[] = {
      {"inside", {200, 100}, {150, 120}, 0, {200, 100}, {150, 120}},
      {"left of the area", {60, 100}, {150, 120}, 0, {100, 100}, {110, 120}},
      {"above the area", {200, 20}, {150, 120}, 0, {200, 50}, {150, 90}},
      {"past the right edge", {600, 100}, {150, 120}, 0, {600, 100}, {100, 120}},
      {"past the bottom", {200, 500}, {150, 120}, 0, {200, 500}, {150, 50}},
      {"left and above and too big", {0, 0}, {900, 800}, 0, {100, 50}, {600, 500}},
      // The widget keeps a taller height than asked: at the top edge the
      // point moves up by the difference, elsewhere it stays.
      {"kept taller at the top", {200, 20}, {150, 140}, 130, {200, 30}, {150, 130}},
      {"kept taller below the top", {200, 500}, {150, 120}, 130, {200, 500}, {150, 130}},
  };
  for (const Case& c : cases) {
    FittingPopup popup(&owner);
    popup.setMinimumHeight(c.minimumHeight);
    popup.resize(c.size);
    QPoint p = c.point;
    asked.clear();
    popup.FitIntoWorkArea(p);
    EXPECT_EQ(asked, std::vector<QPoint>{c.point}) << c.name;
    EXPECT_EQ(p, c.expectedPoint) << c.name;
    EXPECT_EQ(popup.size(), c.expectedSize) << c.name;
  }
}

TEST_F(ContainerPopupTest, OnlyAFittingPopupIsFittedWhenShown) {
  // A work area ending 30 pixels below the anchor, starting just above it.
  const QPoint anchor = owner->mapToGlobal(QPoint(0, 0));
  SetWorkAreaProvider([&](QPoint) { return QRect(0, anchor.y() - 10, 2000, 60); });
  auto plain = std::make_unique<TleCustomPopupWindow>(owner);
  auto fitting = std::make_unique<FittingPopup>(owner);
  for (TleCustomPopupWindow* p : {plain.get(), static_cast<TleCustomPopupWindow*>(fitting.get())}) {
    p->CaptureFocus = false;
    p->RunModalLoop = false;
    p->AnchorBounds = {0, 0, 100, 20};
    p->resize(80, 60);
    p->ShowCustomPopup(nullptr);
    EXPECT_EQ(p->pos(), QPoint(anchor.x(), anchor.y() + 20));  // below the anchor
    p->ClosePopup();
  }
  SetWorkAreaProvider({});
  EXPECT_EQ(plain->size(), QSize(80, 60));
  EXPECT_EQ(fitting->size(), QSize(80, 30));
}

TEST_F(ContainerPopupTest, OpensAndClosesOnAClickElsewhere) {
  TleCustomPopupWindow& p = Make(owner);
  std::vector<std::string> events;
  p.OnPopupShowing = [&](auto*) { events.push_back("showing"); };
  p.OnPopupShown = [&](auto*) { events.push_back("shown"); };
  p.OnPopupClosing = [&](auto*) { events.push_back("closing"); };
  p.OnPopupClosed = [&](auto*) { events.push_back("closed"); };
  p.ShowCustomPopup(nullptr);
  ASSERT_TRUE(p.IsOpen());
  EXPECT_TRUE(p.isVisible());
  p.ShowCustomPopup(nullptr);  // already open: nothing more
  EXPECT_EQ(OpenPopups().size(), 1u);
  Target inside(&p);
  inside.setGeometry(0, 0, 20, 20);
  inside.show();
  Click(&inside);  // a click inside leaves it open
  EXPECT_TRUE(p.IsOpen());
  Click(other);
  EXPECT_FALSE(p.IsOpen());
  EXPECT_FALSE(p.isVisible());
  EXPECT_EQ(other->presses, 1);  // the click proceeds
  EXPECT_FALSE(p.ClickedOwner);
  EXPECT_EQ(events, (std::vector<std::string>{"showing", "shown", "closing", "closed"}));
}

TEST_F(ContainerPopupTest, AClickOnTheAnchorClosesAndMarksTheOwner) {
  TleCustomPopupWindow& p = Make(owner);
  p.ShowCustomPopup(nullptr);
  Click(owner, {50, 10});
  EXPECT_FALSE(p.IsOpen());
  EXPECT_TRUE(p.ClickedOwner);
  EXPECT_EQ(owner->presses, 1);
}

TEST_F(ContainerPopupTest, NestedPopupsAndHidingTheOwner) {
  TleCustomPopupWindow& outer = Make(owner);
  Target* inOuter = new Target(&outer);
  inOuter->setGeometry(0, 0, 30, 20);
  outer.ShowCustomPopup(nullptr);
  TleCustomPopupWindow& inner = Make(inOuter);
  inner.ShowCustomPopup(nullptr);
  ASSERT_EQ(OpenPopups().size(), 2u);
  Target inInner(&inner);
  inInner.setGeometry(0, 0, 10, 10);
  inInner.show();
  Click(&inInner);  // inside the nested popup: both stay
  EXPECT_EQ(OpenPopups().size(), 2u);
  owner->hide();  // hiding the owner closes its popup and every one opened after
  EXPECT_TRUE(OpenPopups().empty());
  EXPECT_FALSE(inner.isVisible());
}

TEST_F(ContainerPopupTest, KeysWhileOpen) {
  TleCustomPopupWindow& p = Make(owner);
  p.ShowCustomPopup(nullptr);
  Target* receiver = new Target(&form);
  int keys = 0;
  struct KeyCounter : QObject {
    int& n;
    explicit KeyCounter(int& count) : n(count) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::KeyPress) ++n;
      return false;
    }
  } counter(keys);
  receiver->installEventFilter(&counter);
  QKeyEvent altX(QEvent::KeyPress, Qt::Key_X, Qt::AltModifier);
  QApplication::sendEvent(receiver, &altX);
  EXPECT_EQ(keys, 0);  // a system key the popup does not accept is dropped
  QKeyEvent altDown(QEvent::KeyPress, Qt::Key_Down, Qt::AltModifier);
  QApplication::sendEvent(receiver, &altDown);
  EXPECT_EQ(keys, 1);
  // Escape while the popup holds the mouse only releases the capture.
  p.grabMouse();
  ASSERT_EQ(QWidget::mouseGrabber(), &p);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&p, &escape);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  EXPECT_TRUE(p.IsOpen());
  p.ClosePopup();
  QApplication::sendEvent(receiver, &altX);
  EXPECT_EQ(keys, 2);  // nothing is dropped once no popup is open
}

TEST(EditorsStartup, StartsAndClosesTheModules) {
  winshim::ResetSystemProfile();
  StartEditorsLibrary();
  StartEditorsLibrary();  // once only
  EXPECT_TRUE(EditorsLibraryStarted());
  ASSERT_NE(LookAndFeelRoot(), nullptr);
  EXPECT_EQ(LookAndFeelRoot()->Kind(), lfUltraFlat);
  EXPECT_FALSE(LookAndFeelRoot()->NativeStyle());
  EXPECT_FALSE(ThemesActive());  // no visual-style engine on this platform
  EXPECT_FALSE(ThemeChangeReceiverExists());
  EXPECT_EQ(Office11AcquisitionCount(), 1);
  EXPECT_EQ(Office11().Face, ResolveColor(clBtnFace));
  EXPECT_EQ(PopupHookCount(), 3);
  EXPECT_NE(ScreenCanvas(), nullptr);
  EXPECT_EQ(GetValueTypeClassList().Items().size(), 14u);
  EXPECT_NE(SolidBrushCache(), nullptr);
  EXPECT_NE(DefaultStyleController(), nullptr);
  StopEditorsLibrary();
  EXPECT_TRUE(EditorsLibraryStarted());
  StopEditorsLibrary();
  EXPECT_FALSE(EditorsLibraryStarted());
  EXPECT_EQ(PopupHookCount(), 0);
  EXPECT_EQ(LookAndFeelRoot(), nullptr);
  EXPECT_EQ(Office11AcquisitionCount(), 0);
  EXPECT_FALSE(PaletteListenerExists());
  EXPECT_FALSE(UxThemeLoaded());
  EXPECT_EQ(DefaultStyleController(), nullptr);
  EXPECT_TRUE(GetValueTypeClassList().Items().empty());
}

}  // namespace
}  // namespace kelmo::le
