// The window half of the layer: handles, class names, style words,
// properties, the handler chain and the messages Qt events become, posted
// messages, timers on the manual clock, and hooks. Each test scripts which
// messages arrive, in which order, with which results.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <functional>
#include <memory>

#include "qt_test_application.h"
#include "winshim/dc.h"
#include "winshim/hooks.h"
#include "winshim/timers.h"
#include "winshim/window.h"

using namespace kelmo::winshim;

namespace {

// Records the messages a window hears, and answers those it is told to.
struct Recorder {
  std::vector<unsigned> heard;
  std::map<unsigned, LRESULT> answers;
  int id = 0;
  HWND hwnd;
  ~Recorder() { RemoveHandler(hwnd, id); }
  explicit Recorder(HWND h) : hwnd(h) {
    id = Subclass(h, [this](HWND, Msg& m, const NextHandler& next) {
      heard.push_back(m.msg);
      auto it = answers.find(m.msg);
      if (it != answers.end())
        m.result = it->second;
      else
        next(m);
    });
  }
  bool Heard(unsigned msg) const {
    return std::find(heard.begin(), heard.end(), msg) != heard.end();
  }
};

}  // namespace

// A handle names its widget until the widget dies; the chain then hears
// WM_DESTROY and WM_NCDESTROY, the properties go, and the handle is not
// given again.
TEST(WindowHandles, LifeParentsChildrenAndProperties) {
  auto parent = std::make_unique<QWidget>();
  auto* first = new QWidget(parent.get());
  auto* second = new QWidget(parent.get());
  const HWND p = HandleOf(parent.get()), a = HandleOf(first), b = HandleOf(second);
  EXPECT_NE(a, b);
  EXPECT_EQ(HandleOf(first), a);
  EXPECT_EQ(WidgetOf(a), first);
  EXPECT_EQ(GetParent(a), p);
  EXPECT_EQ(GetParent(p), HWND(0));
  EXPECT_EQ(GetChildren(p), (std::vector<HWND>{b, a}));  // the later child lies on top
  EXPECT_TRUE(SetProp(a, QStringLiteral("kaSkin"), 42));
  EXPECT_EQ(GetProp(a, QStringLiteral("kaSkin")), 42);
  EXPECT_EQ(RemoveProp(a, QStringLiteral("kaSkin")), 42);
  EXPECT_EQ(GetProp(a, QStringLiteral("kaSkin")), 0);
  SetProp(a, QStringLiteral("kaSkin"), 7);
  std::vector<std::pair<unsigned, bool>> last;
  Subclass(a, [&](HWND h, Msg& m, const NextHandler& next) {
    last.push_back({m.msg, IsWindow(h)});
    next(m);
  });
  delete first;
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(WidgetOf(a), nullptr);
  EXPECT_EQ(last,
            (std::vector<std::pair<unsigned, bool>>{{WM_DESTROY, false}, {WM_NCDESTROY, false}}));
  EXPECT_EQ(GetProp(a, QStringLiteral("kaSkin")), 0);
  EXPECT_FALSE(SetProp(a, QStringLiteral("kaSkin"), 1));
  EXPECT_EQ(SendMessage(a, WM_USER), 0);
  EXPECT_EQ(GetChildren(p), (std::vector<HWND>{b}));
  auto* third = new QWidget(parent.get());
  EXPECT_GT(HandleOf(third), b);
  EXPECT_EQ(HandleOf(nullptr), HWND(0));
}

// One table gives the platform's class names; a role given by the program
// goes first.
TEST(WindowHandles, ClassNamesByWidgetFamily) {
  QWidget host;
  struct Case {
    QWidget* widget;
    const char* name;
  } cases[] = {
      {new QLineEdit(&host), "Edit"},
      {new QTextEdit(&host), "Edit"},
      {new QListWidget(&host), "ListBox"},
      {new QComboBox(&host), "ComboBox"},
      {new QPushButton(&host), "Button"},
      {new QCheckBox(&host), "Button"},
      {new QLabel(&host), "Static"},
      {new QTabWidget(&host), "SysTabControl32"},
      {new QToolBar(&host), "ToolbarWindow32"},
      {new QTableView(&host), "SysListView32"},
      {new QDialog(&host), "#32770"},
      {new QMenu(&host), "#32768"},
      {new QWidget(&host), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(GetClassName(HandleOf(c.widget)), c.name) << c.name;
  auto* gauge = new QFrame(&host);
  SetClassRole(gauge, QStringLiteral("TkGauge"));
  EXPECT_EQ(GetClassName(HandleOf(gauge)), QStringLiteral("TkGauge"));
}

// The style word follows the widget; the bits a caller changed stay as it
// set them.
TEST(WindowHandles, StyleWordsFollowTheWidgetWithOverrides) {
  QWidget top;
  auto* box = new QFrame(&top);
  box->setFrameStyle(QFrame::Box | QFrame::Plain);
  auto* area = new QScrollArea(&top);
  area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  top.show();
  const HWND t = HandleOf(&top), f = HandleOf(box), s = HandleOf(area);
  const std::uint32_t ts = GetWindowLong(t, GWL_STYLE);
  EXPECT_TRUE(ts & WS_CAPTION);
  EXPECT_TRUE(ts & WS_VISIBLE);
  EXPECT_FALSE(ts & WS_CHILD);
  EXPECT_EQ(GetWindowLong(f, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | WS_BORDER),
            WS_CHILD | WS_VISIBLE | WS_BORDER);
  EXPECT_TRUE(GetWindowLong(s, GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(GetWindowLong(s, GWL_STYLE) & WS_HSCROLL);
  EXPECT_TRUE(GetWindowLong(s, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // Clear the border and set a horizontal scroll bar; then disable the
  // widget: the model keeps the caller's bits and takes the new one.
  const std::uint32_t before = GetWindowLong(f, GWL_STYLE);
  EXPECT_EQ(SetWindowLong(f, GWL_STYLE, (before & ~WS_BORDER) | WS_HSCROLL), before);
  box->setEnabled(false);
  const std::uint32_t after = GetWindowLong(f, GWL_STYLE);
  EXPECT_FALSE(after & WS_BORDER);
  EXPECT_TRUE(after & WS_HSCROLL);
  EXPECT_TRUE(after & WS_DISABLED);
  SetWindowLong(f, GWL_EXSTYLE, WS_EX_LAYERED);
  EXPECT_EQ(GetWindowLong(f, GWL_EXSTYLE), std::uint32_t(WS_EX_LAYERED));
  QWidget frameless(nullptr, Qt::FramelessWindowHint);
  EXPECT_TRUE(GetWindowLong(HandleOf(&frameless), GWL_STYLE) & WS_POPUP);
}

// The newest handler hears a message first; it answers or passes it on;
// handlers come and go anywhere in the chain.
TEST(WindowChain, HandlersRunTopDownAndAnswer) {
  QWidget w;
  const HWND h = HandleOf(&w);
  std::vector<std::string> calls;
  const int lower = Subclass(h, [&](HWND, Msg& m, const NextHandler& next) {
    calls.push_back("lower");
    if (m.msg == WM_USER)
      m.result = 5;
    else
      next(m);
  });
  const int upper = Subclass(h, [&](HWND, Msg& m, const NextHandler& next) {
    calls.push_back("upper");
    if (m.msg == WM_USER + 1) {
      m.result = 9;
      return;
    }
    next(m);
    if (m.msg == WM_USER) m.result += 1;  // after the lower handler's answer
  });
  EXPECT_EQ(SendMessage(h, WM_USER), 6);
  EXPECT_EQ(calls, (std::vector<std::string>{"upper", "lower"}));
  calls.clear();
  EXPECT_EQ(SendMessage(h, WM_USER + 1), 9);
  EXPECT_EQ(calls, (std::vector<std::string>{"upper"}));
  Msg unanswered{WM_USER + 2, 0, 0, 0};
  EXPECT_FALSE(DispatchMessage(h, unanswered));
  EXPECT_TRUE(RemoveHandler(h, lower));
  EXPECT_FALSE(RemoveHandler(h, lower));
  calls.clear();
  EXPECT_EQ(SendMessage(h, WM_USER), 1);  // nothing below answers any more
  EXPECT_EQ(calls, (std::vector<std::string>{"upper"}));
  RemoveHandler(h, upper);
  // The redraw switch reaches the widget at the bottom of the chain.
  SendMessage(h, WM_SETREDRAW, 0);
  EXPECT_FALSE(w.updatesEnabled());
  SendMessage(h, WM_SETREDRAW, 1);
  EXPECT_TRUE(w.updatesEnabled());
}

// Qt's events reach the chain as the messages the skinning code handles,
// in order; a message the chain answers consumes its event.
TEST(WindowChain, EventsBecomeMessages) {
  QWidget top;
  top.resize(100, 80);
  auto* button = new QPushButton(QStringLiteral("OK"), &top);
  button->setGeometry(10, 10, 40, 20);
  top.show();
  const HWND h = HandleOf(button);
  Recorder rec(h);
  button->resize(50, 24);
  EXPECT_EQ(rec.heard, (std::vector<unsigned>{WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_SIZE}));
  rec.heard.clear();
  button->hide();
  button->show();
  EXPECT_EQ(rec.heard, (std::vector<unsigned>{WM_SHOWWINDOW, WM_SHOWWINDOW}));
  rec.heard.clear();
  button->setEnabled(false);
  button->setEnabled(true);
  EXPECT_TRUE(rec.Heard(WM_ENABLE));
  EXPECT_TRUE(rec.Heard(CM_ENABLEDCHANGED));

  // A click: the hit test first, then the client message; answering the
  // press keeps it from the button.
  int pressed = 0;
  QObject::connect(button, &QPushButton::pressed, [&] { ++pressed; });
  auto click = [&] {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5),
                        button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(button, &release);
  };
  rec.heard.clear();
  click();
  EXPECT_EQ(rec.heard,
            (std::vector<unsigned>{WM_NCHITTEST, WM_LBUTTONDOWN, WM_NCHITTEST, WM_LBUTTONUP}));
  EXPECT_EQ(pressed, 1);
  rec.answers[WM_LBUTTONDOWN] = 0;
  click();
  EXPECT_EQ(pressed, 1);
  // A caption hit turns the click into a non-client one with the hit code.
  std::vector<WPARAM> hits;
  Subclass(h, [&](HWND, Msg& m, const NextHandler& next) {
    if (m.msg == WM_NCHITTEST) {
      m.result = HTCAPTION;
      return;
    }
    if (m.msg == WM_NCLBUTTONDOWN) hits.push_back(m.wParam);
    next(m);
  });
  rec.heard.clear();
  click();
  EXPECT_EQ(hits, (std::vector<WPARAM>{WPARAM(HTCAPTION)}));
  EXPECT_TRUE(rec.Heard(WM_NCLBUTTONDOWN));
  EXPECT_EQ(pressed, 1);
}

// WM_PAINT carries a DC over the widget; answering it replaces Qt's own
// painting.
TEST(WindowChain, PaintGoesThroughTheChainsDc) {
  QWidget w;
  w.resize(20, 10);
  std::vector<unsigned> order;
  Subclass(HandleOf(&w), [&](HWND, Msg& m, const NextHandler& next) {
    if (m.msg == WM_ERASEBKGND) order.push_back(m.msg);
    if (m.msg != WM_PAINT) return next(m);
    order.push_back(m.msg);
    FillSolidRect(*reinterpret_cast<Dc*>(m.wParam), {0, 0, 20, 10}, RGB(255, 0, 0));
  });
  const QImage picture = w.grab().toImage();
  EXPECT_EQ(order, (std::vector<unsigned>{WM_ERASEBKGND, WM_PAINT}));
  EXPECT_EQ(picture.pixelColor(3, 3), QColor(255, 0, 0));
}

// Posted messages wait for the event loop, pass the message hooks, and are
// dropped when their window is gone.
TEST(WindowChain, PostedMessagesArriveLater) {
  auto w = std::make_unique<QWidget>();
  const HWND h = HandleOf(w.get());
  Recorder rec(h);
  const HHOOK hook = SetWindowsHookEx(WH_GETMESSAGE, [](int, WPARAM, LPARAM l) -> LRESULT {
    auto* m = reinterpret_cast<MsgStruct*>(l);
    if (m->message == WM_USER + 7) m->wParam = 77;
    return 0;
  });
  std::vector<WPARAM> params;
  Subclass(h, [&](HWND, Msg& m, const NextHandler& next) {
    if (m.msg == WM_USER + 7) params.push_back(m.wParam);
    next(m);
  });
  EXPECT_TRUE(PostMessage(h, WM_USER + 7, 1));
  EXPECT_TRUE(params.empty());
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(params, (std::vector<WPARAM>{77}));
  PostMessage(h, WM_USER + 7, 1);
  w.reset();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(params.size(), 1u);
  EXPECT_FALSE(PostMessage(h, WM_USER, 0));
  UnhookWindowsHookEx(hook);
}

// Timers tick on the manual clock in the order they fall due; a tick can
// stop its own timer; a dead window's timer stops.
TEST(WindowTimers, ManualClockFiresInOrder) {
  auto clock = std::make_shared<ManualClock>();
  const auto before = SetClock(clock);
  auto w = std::make_unique<QWidget>();
  const HWND h = HandleOf(w.get());
  std::vector<std::pair<std::int64_t, WPARAM>> ticks;
  Subclass(h, [&](HWND, Msg& m, const NextHandler& next) {
    if (m.msg != WM_TIMER) return next(m);
    ticks.push_back({clock->Now(), m.wParam});
    if (m.wParam == 2 && clock->Now() >= 110) KillTimer(h, 2);
  });
  EXPECT_EQ(SetTimer(h, 1, 300), 1u);
  SetTimer(h, 2, 55);
  clock->Advance(54);
  EXPECT_TRUE(ticks.empty());
  clock->Advance(300 - 54);
  EXPECT_EQ(ticks, (std::vector<std::pair<std::int64_t, WPARAM>>{{55, 2}, {110, 2}, {300, 1}}));
  EXPECT_EQ(clock->Now(), 300);
  // Setting a timer again restarts it.
  ticks.clear();
  clock->Advance(100);
  SetTimer(h, 1, 300);
  clock->Advance(250);
  EXPECT_TRUE(ticks.empty());
  Sleep(50);
  EXPECT_EQ(ticks.size(), 1u);
  EXPECT_TRUE(KillTimer(h, 1));
  EXPECT_FALSE(KillTimer(h, 1));
  SetTimer(h, 3, 20);
  w.reset();
  clock->Advance(40);
  EXPECT_EQ(clock->ActiveTimers(), 0);
  EXPECT_EQ(SetTimer(h, 4, 20), 0u);
  SetClock(before);
}

// CBT hears top-levels made, activated and destroyed; the call hooks chain
// through CallNextHookEx; a mouse hook's non-zero answer swallows the event.
TEST(WindowHooks, FiltersPlayTheHooks) {
  std::vector<std::pair<int, HWND>> cbt;
  const HHOOK c = SetWindowsHookEx(WH_CBT, [&](int code, WPARAM w, LPARAM) -> LRESULT {
    cbt.push_back({code, HWND(w)});
    return 0;
  });
  auto form = std::make_unique<QWidget>();
  form->show();
  const HWND f = HandleOf(form.get());
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(form.get(), &activate);
  form.reset();
  EXPECT_EQ(cbt, (std::vector<std::pair<int, HWND>>{
                     {HCBT_CREATEWND, f}, {HCBT_ACTIVATE, f}, {HCBT_DESTROYWND, f}}));
  UnhookWindowsHookEx(c);

  QWidget w;
  const HWND h = HandleOf(&w);
  std::vector<std::string> order;
  HHOOK older = 0, newer = 0;
  older = SetWindowsHookEx(WH_CALLWNDPROC, [&](int code, WPARAM wp, LPARAM l) -> LRESULT {
    if (reinterpret_cast<CwpStruct*>(l)->message == WM_USER + 3) order.push_back("older");
    return CallNextHookEx(older, code, wp, l);
  });
  newer = SetWindowsHookEx(WH_CALLWNDPROC, [&](int code, WPARAM wp, LPARAM l) -> LRESULT {
    auto* info = reinterpret_cast<CwpStruct*>(l);
    if (info->message == WM_USER + 3 && info->hwnd == h) order.push_back("newer");
    return CallNextHookEx(newer, code, wp, l);
  });
  SendMessage(h, WM_USER + 3);
  EXPECT_EQ(order, (std::vector<std::string>{"newer", "older"}));
  UnhookWindowsHookEx(newer);
  UnhookWindowsHookEx(older);

  QPushButton button;
  int pressed = 0;
  QObject::connect(&button, &QPushButton::pressed, [&] { ++pressed; });
  std::vector<WPARAM> seen;
  const HHOOK m = SetWindowsHookEx(WH_MOUSE, [&](int, WPARAM wp, LPARAM) -> LRESULT {
    seen.push_back(wp);
    return 1;
  });
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&button, &press);
  EXPECT_EQ(seen, (std::vector<WPARAM>{WM_LBUTTONDOWN}));
  EXPECT_EQ(pressed, 0);
  UnhookWindowsHookEx(m);
  EXPECT_EQ(SetWindowsHookEx(99, [](int, WPARAM, LPARAM) -> LRESULT { return 0; }), 0);
}
