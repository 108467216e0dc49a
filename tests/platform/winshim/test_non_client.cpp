// The non-client layer: the frame a chain reserves and the client
// coordinates it gives, the frame picture shown over the widget, the
// capture, the style-change message, and scroll data over Qt's bars.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <vector>

#include "qt_test_application.h"
#include "winshim/dc.h"
#include "winshim/non_client.h"
#include "winshim/scroll_info.h"

using namespace kelmo::winshim;

namespace {

TEST(NonClient, MarginsPictureCaptureAndStyleChanges) {
  std::vector<Msg> heard;  // made first: the widget still reports as it dies
  QWidget top;
  top.resize(200, 150);
  auto* area = new QFrame(&top);
  area->setFrameStyle(QFrame::Box | QFrame::Plain);
  area->setGeometry(10, 10, 100, 80);
  top.show();
  QCoreApplication::processEvents();
  const HWND h = HandleOf(area);
  // Without a handler of its own the widget's frame is the margin.
  RecalcNonClient(h);
  EXPECT_EQ(NonClientMargins(h), QMargins(1, 1, 1, 1));
  // A chain that keeps 10 pixels at the right: client coordinates start
  // inside the frame, and the picture shows only in the margin.
  Subclass(h, [&](HWND, Msg& m, const NextHandler& next) {
    heard.push_back(m);
    if (m.msg == WM_NCHITTEST && XOf(m.lParam) >= GetWindowRect(h).right - 11) {
      m.result = HTBORDER;
      return;
    }
    next(m);
    if (m.msg == WM_NCCALCSIZE) reinterpret_cast<NCCALCSIZE_PARAMS*>(m.lParam)->rgrc[0].right -= 10;
  });
  RecalcNonClient(h);
  EXPECT_EQ(NonClientMargins(h), QMargins(1, 1, 11, 1));
  EXPECT_EQ(GetClientRect(h), (Rect{0, 0, 88, 78}));
  EXPECT_EQ(ScreenToClient(h, area->mapToGlobal(QPoint(1, 1))), QPoint(0, 0));
  {
    auto dc = GetWindowDC(h);
    FillSolidRect(*dc, {0, 0, 100, 80}, RGB(255, 0, 0));
  }
  const QImage img = area->grab().toImage();
  EXPECT_EQ(img.pixelColor(95, 40), QColor(255, 0, 0));
  EXPECT_NE(img.pixelColor(50, 40), QColor(255, 0, 0));

  // A press in the margin is a non-client message; under the capture the
  // moves are client messages in client coordinates.
  auto mouse = [&](QEvent::Type type, QPoint at) {
    QMouseEvent e(type, QPointF(at), QPointF(area->mapToGlobal(at)), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(area, &e);
  };
  heard.clear();
  mouse(QEvent::MouseButtonPress, {95, 40});
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[1].msg, unsigned(WM_NCLBUTTONDOWN));
  EXPECT_EQ(heard[1].wParam, WPARAM(HTBORDER));
  SetCapture(h);
  heard.clear();
  mouse(QEvent::MouseMove, {95, 40});
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].msg, unsigned(WM_MOUSEMOVE));
  EXPECT_EQ(QPoint(XOf(heard[0].lParam), YOf(heard[0].lParam)), QPoint(94, 39));
  EXPECT_EQ(GetCursorPos(), area->mapToGlobal(QPoint(95, 40)));
  ReleaseCapture();

  // Changing a style word tells the window, with both words.
  heard.clear();
  const std::uint32_t style = GetWindowLong(h, GWL_STYLE);
  SetWindowLong(h, GWL_STYLE, style | WS_HSCROLL);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].msg, unsigned(WM_STYLECHANGED));
  EXPECT_EQ(heard[0].wParam, WPARAM(GWL_STYLE));
  SetWindowLong(h, GWL_STYLE, style | WS_HSCROLL);
  EXPECT_EQ(heard.size(), 1u);  // no change, no message

  // Giving the frame back forgets the picture and the margins.
  ResetNonClient(h);
  EXPECT_EQ(NonClientMargins(h), QMargins(1, 1, 1, 1));
  EXPECT_NE(area->grab().toImage().pixelColor(95, 40), QColor(255, 0, 0));
}

TEST(ScrollData, QtBarsAsThePlatformsAndTheirOwnScrolling) {
  QAbstractScrollArea area;
  QScrollBar* bar = area.verticalScrollBar();
  bar->setRange(0, 90);
  bar->setPageStep(10);
  bar->setValue(30);
  const HWND h = HandleOf(&area);
  SCROLLINFO info;
  ASSERT_TRUE(GetScrollInfo(h, SB_VERT, info));
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 99);  // the last position is nMax - nPage + 1
  EXPECT_EQ(info.nPage, 10u);
  EXPECT_EQ(info.nPos, 30);
  EXPECT_FALSE(GetScrollInfo(HandleOf(area.viewport()), SB_VERT, info));
  struct Case {
    int code, pos, value;
  };
  for (const Case c : {Case{SB_LINEDOWN, 0, 31}, Case{SB_PAGEUP, 0, 21},
                       Case{SB_THUMBTRACK, 77, 77}, Case{SB_THUMBPOSITION, 0xFFFF, 77},
                       Case{SB_BOTTOM, 0, 90}, Case{SB_TOP, 0, 0}, Case{SB_ENDSCROLL, 5, 0}}) {
    SendMessage(h, WM_VSCROLL, MakeWParam(c.code, c.pos));
    EXPECT_EQ(bar->value(), c.value) << c.code;
  }
  SCROLLINFO at;
  at.fMask = SIF_POS;
  at.nPos = 500;
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, at, true), 90);
  SCROLLBARINFO state;
  ASSERT_TRUE(GetScrollBarInfo(h, OBJID_VSCROLL, state));
  EXPECT_EQ(state.rgstate[0] & STATE_SYSTEM_UNAVAILABLE, 0u);
  bar->setEnabled(false);
  GetScrollBarInfo(h, OBJID_VSCROLL, state);
  EXPECT_NE(state.rgstate[0] & STATE_SYSTEM_UNAVAILABLE, 0u);
}

}  // namespace
