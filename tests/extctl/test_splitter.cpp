// Splitter driven by real mouse and key events.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "test_app.h"
#include "extctl/xt_align.h"
#include "extctl/xt_splitter.h"

namespace {

// A 400 x 300 window: a list aligned right (100 wide) with a splitter
// aligned right beside it, a panel aligned top (100 high) with a splitter
// below it, and a client area.
struct Form {
  QWidget window;
  QWidget* list;
  QWidget* panel;
  QWidget* client;
  TXtSplitter* right;
  TXtSplitter* top;
  Form() {
    auto* layout = new TXtAlignLayout(&window);
    list = new QWidget(&window);
    list->resize(100, 10);
    layout->addWidget(list);
    SetControlAlign(list, TAlign::alRight);
    right = new TXtSplitter(&window);
    layout->addWidget(right);
    right->SetAlign(TAlign::alRight);
    right->SetControlFirst(list);
    panel = new QWidget(&window);
    panel->resize(10, 100);
    layout->addWidget(panel);
    SetControlAlign(panel, TAlign::alTop);
    top = new TXtSplitter(&window);
    layout->addWidget(top);
    top->SetAlign(TAlign::alTop);
    top->SetControlFirst(panel);
    client = new QWidget(&window);
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, QColor(40, 80, 120));
    client->setPalette(pal);
    layout->addWidget(client);
    SetControlAlign(client, TAlign::alClient);
    window.resize(400, 300);
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
};

TEST(SplitterTest, AlignedLayout) {
  Form f;
  // Top and bottom first across the whole width, then left and right.
  EXPECT_EQ(f.panel->geometry(), QRect(0, 0, 400, 100));
  EXPECT_EQ(f.top->geometry(), QRect(0, 100, 400, 3));
  EXPECT_EQ(f.list->geometry(), QRect(300, 103, 100, 197));
  EXPECT_EQ(f.right->geometry(), QRect(297, 103, 3, 197));
  EXPECT_EQ(f.client->geometry(), QRect(0, 103, 297, 197));
}

TEST(SplitterTest, DraggingARightSplitterLeftWidensTheControl) {
  Form f;
  EXPECT_EQ(f.right->SplitKind(), TSplitKind::skFirstWidth);
  EXPECT_EQ(f.right->cursor().shape(), Qt::SplitHCursor);
  QSignalSpy changed(f.right, &TXtSplitter::PosChanged);
  QTest::mousePress(f.right, Qt::LeftButton, {}, QPoint(1, 50));
  EXPECT_TRUE(f.right->Dragging());
  QTest::mouseMove(f.right, QPoint(-49, 50));
  EXPECT_EQ(f.list->width(), 100);  // nothing moves before the release
  EXPECT_EQ(f.right->LineRect().left(), 297 - 50);
  QTest::mouseRelease(f.right, Qt::LeftButton, {}, QPoint(-49, 50));
  EXPECT_EQ(f.list->width(), 150);
  EXPECT_EQ(f.list->x(), 250);
  EXPECT_EQ(f.right->x(), 247);
  EXPECT_EQ(changed.count(), 1);
  EXPECT_TRUE(f.right->LineRect().isEmpty());
}

TEST(SplitterTest, LimitsStopTheLineTwentyPixelsFromTheEdge) {
  Form f;
  QTest::mousePress(f.right, Qt::LeftButton, {}, QPoint(1, 50));
  QTest::mouseMove(f.right, QPoint(-1000, 50));
  EXPECT_EQ(f.right->LineRect().left(), 20);
  EXPECT_EQ(f.right->cursor().shape(), Qt::ForbiddenCursor);
  QTest::mouseMove(f.right, QPoint(-10, 50));
  EXPECT_EQ(f.right->cursor().shape(), Qt::SplitHCursor);
  QTest::mouseMove(f.right, QPoint(1000, 50));
  // The splitter stops with its right edge 20 pixels from the parent's; the
  // 2-pixel line runs through its middle.
  EXPECT_EQ(f.right->LineRect().right(), 400 - 20 - 2);
  EXPECT_EQ(f.right->cursor().shape(), Qt::ForbiddenCursor);
  QTest::mouseRelease(f.right, Qt::LeftButton, {}, QPoint(1000, 50));
  EXPECT_EQ(f.list->width(), 20);
  EXPECT_EQ(f.right->cursor().shape(), Qt::SplitHCursor);
}

TEST(SplitterTest, EscapeCancels) {
  Form f;
  QSignalSpy changed(f.top, &TXtSplitter::PosChanged);
  QTest::mousePress(f.top, Qt::LeftButton, {}, QPoint(50, 1));
  QTest::mouseMove(f.top, QPoint(50, 41));
  QTest::keyClick(f.top, Qt::Key_Escape);
  EXPECT_FALSE(f.top->Dragging());
  QTest::mouseRelease(f.top, Qt::LeftButton, {}, QPoint(50, 41));
  EXPECT_EQ(f.panel->height(), 100);
  EXPECT_EQ(changed.count(), 0);
}

TEST(SplitterTest, TopSplitterDrawsAnInvertedLineAndResizesOnRelease) {
  Form f;
  f.top->resize(f.top->width(), 1);  // the main window's thin splitter
  RealignChildren(&f.window);
  EXPECT_EQ(f.top->SplitKind(), TSplitKind::skFirstHeight);
  EXPECT_EQ(f.top->cursor().shape(), Qt::SplitVCursor);
  const QImage before = f.window.grab().toImage();
  QTest::mousePress(f.top, Qt::LeftButton, {}, QPoint(50, 0));
  QTest::mouseMove(f.top, QPoint(50, 60));
  const QRect line = f.top->LineRect();
  EXPECT_EQ(line.height(), 2);  // a thin splitter still draws 2 pixels
  EXPECT_EQ(line.top(), 100 + 60 - 1);
  const QImage during = f.window.grab().toImage();
  const QPoint probe(line.left() + 10, line.top());
  EXPECT_EQ(during.pixel(probe) & 0xFFFFFF, ~before.pixel(probe) & 0xFFFFFF);  // inverted
  EXPECT_EQ(during.pixel(probe + QPoint(0, 5)), before.pixel(probe + QPoint(0, 5)));
  QTest::mouseRelease(f.top, Qt::LeftButton, {}, QPoint(50, 60));
  EXPECT_EQ(f.panel->height(), 160);
  EXPECT_EQ(f.client->y(), 161);
  EXPECT_EQ(f.window.grab().toImage().pixel(probe + QPoint(0, 5)),
            before.pixel(QPoint(probe.x(), 200)));  // client colour below the new edge
}

TEST(SplitterTest, SizesAreHeldInsideTheParent) {
  Form f;
  f.top->SetTopLeftLimit(0);
  f.top->SetBottomRightLimit(0);
  QTest::mousePress(f.top, Qt::LeftButton, {}, QPoint(50, 1));
  QTest::mouseMove(f.top, QPoint(50, 1000));
  QTest::mouseRelease(f.top, Qt::LeftButton, {}, QPoint(50, 1000));
  EXPECT_EQ(f.panel->height(), 300 - 3 - 3);  // the room less 3
  QTest::mousePress(f.top, Qt::LeftButton, {}, QPoint(50, 1));
  QTest::mouseMove(f.top, QPoint(50, -1000));
  QTest::mouseRelease(f.top, Qt::LeftButton, {}, QPoint(50, -1000));
  EXPECT_EQ(f.panel->height(), 1);
}

TEST(SplitterTest, MismatchedAlignmentDoesNothing) {
  Form f;
  f.top->SetControlFirst(f.list);  // aligned right, the splitter top
  EXPECT_EQ(f.top->SplitKind(), TSplitKind::skNone);
  EXPECT_EQ(f.top->cursor().shape(), Qt::ArrowCursor);
  QSignalSpy changed(f.top, &TXtSplitter::PosChanged);
  QTest::mousePress(f.top, Qt::LeftButton, {}, QPoint(50, 1));
  EXPECT_FALSE(f.top->Dragging());
  QTest::mouseRelease(f.top, Qt::LeftButton, {}, QPoint(50, 40));
  EXPECT_EQ(f.list->width(), 100);
  EXPECT_EQ(changed.count(), 0);
  f.top->SetControlFirst(f.top);  // itself: refused
  EXPECT_EQ(f.top->ControlFirst(), nullptr);
  f.top->SetControlFirst(&f.window);  // a window: refused
  EXPECT_EQ(f.top->ControlFirst(), nullptr);
}

TEST(SplitterTest, RefusedPositionKeepsTheLastLine) {
  Form f;
  int asked = 0;
  f.top->SetOnPosChanging([&asked](int, int y, bool& allow) {
    ++asked;
    allow = y < 50;
  });
  QTest::mousePress(f.top, Qt::LeftButton, {}, QPoint(50, 1));
  QTest::mouseMove(f.top, QPoint(50, 31));
  QTest::mouseMove(f.top, QPoint(50, 81));
  EXPECT_EQ(f.top->cursor().shape(), Qt::ForbiddenCursor);
  QTest::mouseRelease(f.top, Qt::LeftButton, {}, QPoint(50, 81));
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(f.panel->height(), 130);
}

TEST(SplitterTest, AligningFindsTheNeighbour) {
  QWidget parent;
  parent.resize(400, 300);
  auto* panel = new QWidget(&parent);
  panel->setGeometry(0, 0, 400, 100);
  SetControlAlign(panel, TAlign::alTop);
  auto* splitter = new TXtSplitter(&parent);
  splitter->setGeometry(0, 100, 400, 10);
  splitter->SetAlign(TAlign::alTop);
  EXPECT_EQ(splitter->height(), 3);
  EXPECT_EQ(splitter->ControlFirst(), panel);
  EXPECT_EQ(splitter->cursor().shape(), Qt::SplitVCursor);
  delete panel;  // a destroyed control is cleared
  EXPECT_EQ(splitter->ControlFirst(), nullptr);
}

}  // namespace
