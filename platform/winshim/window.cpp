// The handle table, the handler chains and the event translation of the
// window layer.
#include "winshim/window.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QWidget>
#include <map>
#include <memory>
#include <unordered_map>

#include "winshim/dc.h"
#include "winshim/hooks.h"
#include "winshim/non_client.h"
#include "winshim/scroll_info.h"
#include "winshim/system_menu.h"

namespace kelmo::winshim {
namespace {

constexpr const char* kRoleProperty = "winshimClassRole";

struct WindowData {
  QPointer<QWidget> widget;
  struct Entry {
    int id;
    std::shared_ptr<WindowHandler> handler;
  };
  std::vector<Entry> chain;  // bottom first, the top handler last
  std::map<QString, std::intptr_t> props;
  std::uint32_t styleSet = 0, styleClear = 0, exSet = 0, exClear = 0;
  bool wrapped = false;
};

// The posted message's event.
class PostedMessage : public QEvent {
 public:
  static QEvent::Type Kind() {
    static const int kind = QEvent::registerEventType();
    return QEvent::Type(kind);
  }
  PostedMessage(HWND h, Msg m) : QEvent(Kind()), hwnd(h), msg(m) {}
  HWND hwnd;
  Msg msg;
};

class Windows;
Windows& Table();

// Turns the Qt events of wrapped widgets into messages, and delivers
// posted messages.
class EventTranslator : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;
};

class Windows {
 public:
  HWND Handle(QWidget* w) {
    if (!w) return 0;
    auto it = byWidget.find(w);
    if (it != byWidget.end()) return it->second;
    const HWND h = ++last;
    auto data = std::make_unique<WindowData>();
    data->widget = w;
    windows.emplace(h, std::move(data));
    byWidget.emplace(w, h);
    QObject::connect(w, &QObject::destroyed, [this, w, h] { Destroyed(w, h); });
    return h;
  }
  WindowData* Find(HWND h) {
    auto it = windows.find(h);
    return it == windows.end() ? nullptr : it->second.get();
  }
  QWidget* Widget(HWND h) {
    WindowData* d = Find(h);
    return d ? d->widget.data() : nullptr;
  }
  HWND Known(QObject* o) {
    auto it = byWidget.find(static_cast<QWidget*>(o));
    return it == byWidget.end() ? 0 : it->second;
  }
  void Wrap(WindowData& d) {
    if (d.wrapped || !d.widget) return;
    d.wrapped = true;
    d.widget->installEventFilter(&translator);
  }
  void Destroyed(QWidget* w, HWND h) {
    // The widget is gone (its handle is no longer a window); the chain
    // still hears of it, as the window procedure would.
    byWidget.erase(w);
    if (WindowData* d = Find(h)) {
      d->widget.clear();
      SendMessage(h, WM_DESTROY);
      SendMessage(h, WM_NCDESTROY);
    }
    windows.erase(h);
    detail::Forget(h);
  }

  std::unordered_map<HWND, std::unique_ptr<WindowData>> windows;
  std::unordered_map<QWidget*, HWND> byWidget;
  HWND last = 0;
  int lastHandler = 0;
  EventTranslator translator;
};

Windows& Table() {
  static Windows* table = new Windows;  // lives to the end of the process
  return *table;
}

// The type field (the low bits) of a button's or a static's style: the
// button or static kind the widget is.
std::uint32_t ControlTypeBits(const QWidget& w) {
  if (auto* push = qobject_cast<const QPushButton*>(&w)) return push->isDefault() ? 1u : 0u;
  if (auto* check = qobject_cast<const QCheckBox*>(&w)) return check->isTristate() ? 6u : 3u;
  if (auto* radio = qobject_cast<const QRadioButton*>(&w)) return radio->autoExclusive() ? 9u : 4u;
  if (qobject_cast<const QGroupBox*>(&w)) return 7u;
  if (auto* label = qobject_cast<const QLabel*>(&w)) {
    if (label->frameShape() == QFrame::HLine) return 0x10u;  // etched line
    if (label->frameShape() == QFrame::VLine) return 0x11u;
    if (!label->pixmap().isNull()) return 0xEu;  // bitmap
    const Qt::Alignment a = label->alignment();
    return a & Qt::AlignRight ? 2u : a & Qt::AlignHCenter ? 1u : 0u;
  }
  return 0;
}

std::uint32_t DerivedStyle(const QWidget& w) {
  std::uint32_t s = ControlTypeBits(w);
  const Qt::WindowFlags f = w.windowFlags();
  if (!w.isWindow()) {
    s |= WS_CHILD;
  } else if ((f & Qt::WindowType_Mask) == Qt::Popup || (f & Qt::WindowType_Mask) == Qt::ToolTip) {
    s |= WS_POPUP;
  } else if (!(f & Qt::FramelessWindowHint)) {
    s |= WS_CAPTION | WS_THICKFRAME;
    if (f & Qt::WindowSystemMenuHint || !(f & Qt::CustomizeWindowHint)) s |= WS_SYSMENU;
    if (f & Qt::WindowMinimizeButtonHint || !(f & Qt::CustomizeWindowHint)) s |= WS_MINIMIZEBOX;
    if (f & Qt::WindowMaximizeButtonHint || !(f & Qt::CustomizeWindowHint)) s |= WS_MAXIMIZEBOX;
  } else {
    s |= WS_POPUP;
  }
  if (w.isVisible()) s |= WS_VISIBLE;
  if (!w.isEnabled()) s |= WS_DISABLED;
  if (w.isWindow() && w.isMinimized()) s |= WS_MINIMIZE;
  if (w.isWindow() && w.isMaximized()) s |= WS_MAXIMIZE;
  if (auto* frame = qobject_cast<const QFrame*>(&w);
      frame && frame->frameShape() != QFrame::NoFrame && frame->frameShadow() == QFrame::Plain)
    s |= WS_BORDER;
  if (auto* area = qobject_cast<const QAbstractScrollArea*>(&w)) {
    if (area->verticalScrollBar() && area->verticalScrollBar()->isVisibleTo(area)) s |= WS_VSCROLL;
    if (area->horizontalScrollBar() && area->horizontalScrollBar()->isVisibleTo(area))
      s |= WS_HSCROLL;
  }
  return s;
}

std::uint32_t DerivedExStyle(const QWidget& w) {
  std::uint32_t s = 0;
  const Qt::WindowFlags f = w.windowFlags();
  if (w.isWindow() && (f & Qt::WindowStaysOnTopHint)) s |= WS_EX_TOPMOST;
  if (w.isWindow() && (f & Qt::WindowType_Mask) == Qt::Tool) s |= WS_EX_TOOLWINDOW;
  if (w.testAttribute(Qt::WA_TranslucentBackground)) s |= WS_EX_LAYERED;
  if (auto* frame = qobject_cast<const QFrame*>(&w);
      frame && frame->frameShape() != QFrame::NoFrame && frame->frameShadow() != QFrame::Plain)
    s |= WS_EX_CLIENTEDGE;
  return s;
}

// The platform's class names of Qt's widget families, the more special
// types first.
struct ClassEntry {
  const char* qtType;
  const char* name;
};
constexpr ClassEntry kClassNames[] = {
    {"QMessageBox", "#32770"},
    {"QDialog", "#32770"},
    {"QMenu", "#32768"},
    {"QMdiArea", "MDIClient"},
    {"QTabWidget", "SysTabControl32"},
    {"QTabBar", "SysTabControl32"},
    {"QToolBar", "ToolbarWindow32"},
    {"QStatusBar", "msctls_statusbar32"},
    {"QAbstractSpinBox", "msctls_updown32"},
    {"QHeaderView", "SysHeader32"},
    {"QTableView", "SysListView32"},
    {"QTreeView", "SysListView32"},
    {"QListView", "ListBox"},
    {"QComboBox", "ComboBox"},
    {"QLineEdit", "Edit"},
    {"QTextEdit", "Edit"},
    {"QPlainTextEdit", "Edit"},
    {"QAbstractButton", "Button"},
    {"QGroupBox", "Button"},
    {"QLabel", "Static"},
    {"QScrollBar", "ScrollBar"},
};

// The translation of one event into messages: true when the chain answered
// one of them.
bool Send(HWND h, unsigned msg, WPARAM w = 0, LPARAM l = 0, LRESULT* result = nullptr) {
  Msg m{msg, w, l, 0};
  const bool answered = DispatchMessage(h, m);
  if (result) *result = m.result;
  return answered;
}

WPARAM KeyFlags(const QMouseEvent& e) {
  WPARAM k = 0;
  if (e.buttons() & Qt::LeftButton) k |= 0x1;
  if (e.buttons() & Qt::RightButton) k |= 0x2;
  if (e.modifiers() & Qt::ShiftModifier) k |= 0x4;
  if (e.modifiers() & Qt::ControlModifier) k |= 0x8;
  if (e.buttons() & Qt::MiddleButton) k |= 0x10;
  return k;
}

}  // namespace

unsigned MouseMessageOf(const QMouseEvent& e) {
  const int button = e.button() == Qt::LeftButton     ? 0
                     : e.button() == Qt::RightButton  ? 1
                     : e.button() == Qt::MiddleButton ? 2
                                                      : -1;
  if (e.type() == QEvent::MouseMove || button < 0) return WM_MOUSEMOVE;
  const unsigned base = WM_LBUTTONDOWN + 3 * unsigned(button);
  return e.type() == QEvent::MouseButtonPress     ? base
         : e.type() == QEvent::MouseButtonRelease ? base + 1
                                                  : base + 2;
}

namespace {

bool TranslateMouse(HWND h, const QMouseEvent& e) {
  const QPoint screen = e.globalPosition().toPoint();
  const QMargins margins = NonClientMargins(h);
  const QPoint client = e.position().toPoint() - QPoint(margins.left(), margins.top());
  detail::NoteCursor(screen);
  const unsigned client_msg = MouseMessageOf(e);
  // The window holding the capture hears the mouse as client messages.
  if (GetCapture() == h)
    return Send(h, client_msg, KeyFlags(e), MakeLParam(client.x(), client.y()));
  LRESULT hit = HTCLIENT;
  if (!Send(h, WM_NCHITTEST, 0, MakeLParam(screen.x(), screen.y()), &hit)) hit = HTCLIENT;
  if (hit == HTCLIENT) return Send(h, client_msg, KeyFlags(e), MakeLParam(client.x(), client.y()));
  // The non-client messages lie 0x160 below the client ones.
  Send(h, client_msg - (WM_MOUSEMOVE - WM_NCMOUSEMOVE), WPARAM(hit),
       MakeLParam(screen.x(), screen.y()));
  return true;  // a non-client click is not the widget's own
}

// The bottom of the chain: the widget's own handling of the messages that
// have a meaning for it.
void DefaultProc(HWND hwnd, Msg& m) {
  switch (m.msg) {
    case WM_SETREDRAW:
      if (QWidget* w = WidgetOf(hwnd)) w->setUpdatesEnabled(m.wParam != 0);
      break;
    case WM_NCCALCSIZE:
      detail::DefaultCalcSize(hwnd, m);
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      detail::DefaultScroll(hwnd, m);
      break;
    case WM_MDITILE:
    case WM_MDICASCADE:
      detail::DefaultArrange(hwnd, m);
      break;
    case WM_SYSCOMMAND:
      detail::DefaultSysCommand(hwnd, m);
      break;
    case WM_NCLBUTTONDOWN:
      detail::DefaultNcButtonDown(hwnd, m);
      break;
    default:
      break;
  }
}

}  // namespace

bool EventTranslator::event(QEvent* event) {
  if (event->type() != PostedMessage::Kind()) return QObject::event(event);
  auto* posted = static_cast<PostedMessage*>(event);
  if (!IsWindow(posted->hwnd)) return true;
  Msg m = posted->msg;
  RunGetMessageHooks(posted->hwnd, m);
  DispatchMessage(posted->hwnd, m);
  return true;
}

bool EventTranslator::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType()) return false;
  const HWND h = Table().Known(watched);
  if (!h) return false;
  auto* w = static_cast<QWidget*>(watched);
  switch (event->type()) {
    case QEvent::Paint: {
      // The handlers paint through a DC over the widget; the painter ends
      // before Qt's own painting runs, if it runs. The non-client space is
      // painted last, over both.
      bool answered;
      {
        QPainter painter(w);
        Dc dc(painter, w->size());
        answered = Send(h, WM_ERASEBKGND, WPARAM(&dc));
        answered = Send(h, WM_PAINT, WPARAM(&dc)) || answered;
      }
      if (!answered) static_cast<QObject*>(w)->event(event);
      QPainter painter(w);
      detail::PaintFrame(h, painter);
      return true;
    }
    case QEvent::Resize: {
      RecalcNonClient(h);
      const bool a = Send(h, WM_WINDOWPOSCHANGED);
      const WPARAM how = w->isMinimized()   ? SIZE_MINIMIZED
                         : w->isMaximized() ? SIZE_MAXIMIZED
                                            : SIZE_RESTORED;
      return Send(h, WM_SIZE, how, MakeLParam(w->width(), w->height())) || a;
    }
    case QEvent::Move: {
      const bool a = Send(h, WM_WINDOWPOSCHANGED);
      return Send(h, WM_MOVE, 0, MakeLParam(w->x(), w->y())) || a;
    }
    case QEvent::Show:
      return Send(h, WM_SHOWWINDOW, 1);
    case QEvent::Hide:
      return Send(h, WM_SHOWWINDOW, 0);
    case QEvent::Enter:
      return Send(h, CM_MOUSEENTER);
    case QEvent::Leave: {
      // The mouse went where no wrapped widget reports it.
      detail::NoteCursorNow();
      const bool a = Send(h, CM_MOUSELEAVE);
      return Send(h, WM_MOUSELEAVE) || a;
    }
    case QEvent::FocusIn:
      return Send(h, WM_SETFOCUS);
    case QEvent::FocusOut:
      return Send(h, WM_KILLFOCUS);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      return TranslateMouse(h, *static_cast<QMouseEvent*>(event));
    case QEvent::EnabledChange: {
      const bool a = Send(h, WM_ENABLE, w->isEnabled() ? 1 : 0);
      return Send(h, CM_ENABLEDCHANGED) || a;
    }
    case QEvent::FontChange:
      return Send(h, CM_FONTCHANGED);
    case QEvent::PaletteChange:
      return Send(h, CM_COLORCHANGED);
    case QEvent::WindowTitleChange:
      return Send(h, CM_TEXTCHANGED);
    case QEvent::ChildAdded: {
      QObject* child = static_cast<QChildEvent*>(event)->child();
      if (!child->isWidgetType()) return false;
      return Send(h, WM_PARENTNOTIFY, WM_CREATE, LPARAM(HandleOf(static_cast<QWidget*>(child))));
    }
    case QEvent::WindowActivate: {
      const bool a = Send(h, WM_ACTIVATE, WA_ACTIVE);
      return Send(h, WM_NCACTIVATE, 1) || a;
    }
    case QEvent::WindowDeactivate: {
      const bool a = Send(h, WM_ACTIVATE, WA_INACTIVE);
      return Send(h, WM_NCACTIVATE, 0) || a;
    }
    default:
      return false;
  }
}

HWND HandleOf(QWidget* widget) {
  return Table().Handle(widget);
}

HWND FindHandle(QWidget* widget) {
  return widget ? Table().Known(widget) : 0;
}

QWidget* WidgetOf(HWND hwnd) {
  return Table().Widget(hwnd);
}

bool IsWindow(HWND hwnd) {
  return WidgetOf(hwnd) != nullptr;
}

HWND GetParent(HWND hwnd) {
  QWidget* w = WidgetOf(hwnd);
  return w ? HandleOf(w->parentWidget()) : 0;
}

std::vector<HWND> GetChildren(HWND hwnd) {
  std::vector<HWND> out;
  QWidget* w = WidgetOf(hwnd);
  if (!w) return out;
  const QObjectList& kids = w->children();
  // Qt stacks later children above earlier ones; the walk starts on top.
  for (auto it = kids.rbegin(); it != kids.rend(); ++it)
    if ((*it)->isWidgetType()) out.push_back(HandleOf(static_cast<QWidget*>(*it)));
  return out;
}

QString GetClassName(HWND hwnd) {
  QWidget* w = WidgetOf(hwnd);
  if (!w) return {};
  const QVariant role = w->property(kRoleProperty);
  if (role.isValid()) return role.toString();
  for (const ClassEntry& e : kClassNames)
    if (w->inherits(e.qtType)) return QString::fromLatin1(e.name);
  return {};
}

void SetClassRole(QWidget* widget, const QString& className) {
  if (widget) widget->setProperty(kRoleProperty, className);
}

QString ClassRoleOf(const QObject* widget) {
  return widget ? widget->property(kRoleProperty).toString() : QString();
}

std::uint32_t GetWindowLong(HWND hwnd, int index) {
  WindowData* d = Table().Find(hwnd);
  if (!d || !d->widget) return 0;
  if (index == GWL_STYLE) return (DerivedStyle(*d->widget) | d->styleSet) & ~d->styleClear;
  if (index == GWL_EXSTYLE) return (DerivedExStyle(*d->widget) | d->exSet) & ~d->exClear;
  return 0;
}

std::uint32_t SetWindowLong(HWND hwnd, int index, std::uint32_t value) {
  WindowData* d = Table().Find(hwnd);
  if (!d || !d->widget || (index != GWL_STYLE && index != GWL_EXSTYLE)) return 0;
  const std::uint32_t before = GetWindowLong(hwnd, index);
  const std::uint32_t derived =
      index == GWL_STYLE ? DerivedStyle(*d->widget) : DerivedExStyle(*d->widget);
  std::uint32_t& set = index == GWL_STYLE ? d->styleSet : d->exSet;
  std::uint32_t& clear = index == GWL_STYLE ? d->styleClear : d->exClear;
  set = value & ~derived;
  clear = derived & ~value;
  if (before != value) {
    STYLESTRUCT change{before, value};
    SendMessage(hwnd, WM_STYLECHANGED, WPARAM(index), LPARAM(&change));
  }
  return before;
}

void ResetStyleBits(HWND hwnd, int index, std::uint32_t mask) {
  WindowData* d = Table().Find(hwnd);
  if (!d || !d->widget || (index != GWL_STYLE && index != GWL_EXSTYLE)) return;
  const std::uint32_t before = GetWindowLong(hwnd, index);
  (index == GWL_STYLE ? d->styleSet : d->exSet) &= ~mask;
  (index == GWL_STYLE ? d->styleClear : d->exClear) &= ~mask;
  if (const std::uint32_t now = GetWindowLong(hwnd, index); now != before) {
    STYLESTRUCT change{before, now};
    SendMessage(hwnd, WM_STYLECHANGED, WPARAM(index), LPARAM(&change));
  }
}

bool SetProp(HWND hwnd, const QString& name, std::intptr_t value) {
  WindowData* d = Table().Find(hwnd);
  if (!d || !d->widget) return false;
  d->props[name] = value;
  return true;
}

std::intptr_t GetProp(HWND hwnd, const QString& name) {
  WindowData* d = Table().Find(hwnd);
  if (!d) return 0;
  auto it = d->props.find(name);
  return it == d->props.end() ? 0 : it->second;
}

std::intptr_t RemoveProp(HWND hwnd, const QString& name) {
  WindowData* d = Table().Find(hwnd);
  if (!d) return 0;
  auto it = d->props.find(name);
  if (it == d->props.end()) return 0;
  const std::intptr_t v = it->second;
  d->props.erase(it);
  return v;
}

int Subclass(HWND hwnd, WindowHandler handler) {
  WindowData* d = Table().Find(hwnd);
  if (!d || !d->widget || !handler) return 0;
  const int id = ++Table().lastHandler;
  d->chain.push_back({id, std::make_shared<WindowHandler>(std::move(handler))});
  Table().Wrap(*d);
  return id;
}

bool RemoveHandler(HWND hwnd, int id) {
  WindowData* d = Table().Find(hwnd);
  if (!d) return false;
  for (auto it = d->chain.begin(); it != d->chain.end(); ++it)
    if (it->id == id) {
      d->chain.erase(it);
      return true;
    }
  return false;
}

void WrapWindow(HWND hwnd) {
  if (WindowData* d = Table().Find(hwnd)) Table().Wrap(*d);
}

bool DispatchMessage(HWND hwnd, Msg& msg) {
  WindowData* d = Table().Find(hwnd);
  if (!d) {
    msg.result = 0;
    return false;
  }
  RunCallWndProcHooks(hwnd, msg);
  // The chain as it stands now: a handler that subclasses or removes
  // another while the message travels changes the next message's road.
  const std::vector<WindowData::Entry> chain = d->chain;
  bool bottom = false;
  std::function<void(std::size_t, Msg&)> run = [&](std::size_t level, Msg& m) {
    if (level == 0) {
      bottom = true;
      DefaultProc(hwnd, m);
      return;
    }
    (*chain[level - 1].handler)(hwnd, m, [&run, level](Msg& next) { run(level - 1, next); });
  };
  run(chain.size(), msg);
  return !bottom;
}

LRESULT SendMessage(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam) {
  Msg m{msg, wParam, lParam, 0};
  DispatchMessage(hwnd, m);
  return m.result;
}

bool PostMessage(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(hwnd)) return false;
  QCoreApplication::postEvent(&Table().translator,
                              new PostedMessage(hwnd, Msg{msg, wParam, lParam, 0}));
  return true;
}

}  // namespace kelmo::winshim
