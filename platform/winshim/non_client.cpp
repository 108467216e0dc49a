// The non-client margins of wrapped widgets, their frame pictures, the
// capture and the cursor.
#include "winshim/non_client.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QFrame>
#include <QLineEdit>
#include <QMdiArea>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <optional>
#include <unordered_map>

#include "winshim/dc.h"
#include "winshim/scroll_info.h"

namespace kelmo::winshim {

namespace {

// A scroll bar of the given thickness whatever the style says.
class ThicknessStyle : public QProxyStyle {
 public:
  explicit ThicknessStyle(int thickness) : thickness_(thickness) {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_ScrollBarExtent) return thickness_;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

 private:
  int thickness_;
};

struct NcData {
  std::optional<QMargins> margins;  // the chain's last answer
  QImage frame;                     // what the handlers painted over the window
  bool ownBars = false;
  bool trackedBefore = false;
  int horzThickness = -1, vertThickness = -1;
};

// Qt's bars of a window whose chain paints its own: they paint nothing,
// and their showing or hiding changes the frame.
class BarWatcher : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

struct NcTable {
  std::unordered_map<HWND, NcData> data;
  BarWatcher watcher;
  HWND capture = 0;
  HWND painting = 0;
  std::optional<QPoint> cursor;
};

NcTable& Nc() {
  static NcTable* table = new NcTable;  // lives to the end of the process
  return *table;
}

NcData* Find(HWND h) {
  auto it = Nc().data.find(h);
  return it == Nc().data.end() ? nullptr : &it->second;
}

QScrollBar* AreaBar(QWidget* w, Qt::Orientation o) {
  auto* area = qobject_cast<QAbstractScrollArea*>(w);
  if (!area) return nullptr;
  return o == Qt::Horizontal ? area->horizontalScrollBar() : area->verticalScrollBar();
}

// The bar and the container Qt lays it out in.
void ForBarWidgets(QScrollBar* bar, const std::function<void(QWidget*)>& f) {
  if (!bar) return;
  f(bar);
  if (QWidget* box = bar->parentWidget(); box && !qobject_cast<QAbstractScrollArea*>(box)) f(box);
}

HWND AreaOfBar(QObject* o) {
  for (QObject* p = o->parent(); p; p = p->parent())
    if (auto* area = qobject_cast<QAbstractScrollArea*>(p)) return FindHandle(area);
  return 0;
}

bool BarWatcher::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Paint:
      return qobject_cast<QScrollBar*>(watched) != nullptr;  // the chain paints it
    case QEvent::Show:
    case QEvent::Hide:
      if (const HWND h = AreaOfBar(watched); h && OwnsScrollBars(h)) RecalcNonClient(h);
      return false;
    default:
      return false;
  }
}

void TakeBar(QScrollBar* bar, QWidget* area, int thickness) {
  if (!bar) return;
  if (thickness >= 0) {
    auto* style = new ThicknessStyle(thickness);
    style->setParent(bar);  // freed with the bar, or when Qt's look returns
    bar->setStyle(style);
  }
  ForBarWidgets(bar, [&](QWidget* w) {
    w->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    w->installEventFilter(&Nc().watcher);
  });
  QObject::connect(bar, &QAbstractSlider::valueChanged, area, [area] { area->update(); });
  QObject::connect(bar, &QAbstractSlider::rangeChanged, area, [area] { area->update(); });
}

void GiveBar(QScrollBar* bar, QWidget* area) {
  if (!bar) return;
  if (auto* style = bar->findChild<ThicknessStyle*>(QString(), Qt::FindDirectChildrenOnly)) {
    bar->setStyle(nullptr);
    delete style;
  }
  ForBarWidgets(bar, [](QWidget* w) {
    w->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    w->removeEventFilter(&Nc().watcher);
  });
  QObject::disconnect(bar, nullptr, area, nullptr);
}

Rect ScreenRectOf(const QWidget& w) {
  const QPoint tl = w.mapToGlobal(QPoint(0, 0));
  return {tl.x(), tl.y(), tl.x() + w.width(), tl.y() + w.height()};
}

}  // namespace

QMargins OwnFrameMargins(HWND hwnd) {
  QWidget* w = WidgetOf(hwnd);
  if (!w) return {};
  if (auto* frame = qobject_cast<QFrame*>(w)) {
    const int f = frame->frameWidth();
    return {f, f, f, f};
  }
  if (auto* edit = qobject_cast<QLineEdit*>(w); edit && edit->hasFrame()) {
    const int f = w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
    return {f, f, f, f};
  }
  return {};
}

QMargins NonClientMargins(HWND hwnd) {
  if (NcData* d = Find(hwnd); d && d->margins) return *d->margins;
  return OwnFrameMargins(hwnd);
}

void RecalcNonClient(HWND hwnd) {
  QWidget* w = WidgetOf(hwnd);
  if (!w) return;
  // In the parent's client coordinates, as the platform proposes it.
  const Rect window = Rect::FromQRect(w->geometry());
  NCCALCSIZE_PARAMS params;
  params.rgrc[0] = params.rgrc[1] = params.rgrc[2] = window;
  SendMessage(hwnd, WM_NCCALCSIZE, 1, LPARAM(&params));
  const Rect& c = params.rgrc[0];
  Nc().data[hwnd].margins =
      QMargins(std::max(0, c.left - window.left), std::max(0, c.top - window.top),
               std::max(0, window.right - c.right), std::max(0, window.bottom - c.bottom));
  w->update();
}

bool SetWindowPos(HWND hwnd, int x, int y, int cx, int cy, unsigned flags) {
  QWidget* w = WidgetOf(hwnd);
  if (!w) return false;
  if (!(flags & SWP_NOMOVE)) w->move(x, y);
  if (!(flags & SWP_NOSIZE)) w->resize(cx, cy);
  if (flags & SWP_FRAMECHANGED) {
    RecalcNonClient(hwnd);
    SendMessage(hwnd, WM_NCPAINT, 1, 0);
  }
  return true;
}

std::unique_ptr<Dc> GetWindowDC(HWND hwnd) {
  QWidget* w = WidgetOf(hwnd);
  if (!w) return nullptr;
  NcData& d = Nc().data[hwnd];
  if (d.frame.size() != w->size()) {
    d.frame = QImage(w->size(), QImage::Format_ARGB32);
    d.frame.fill(Qt::transparent);
  }
  // Outside the window's own painting the picture shows at its next paint.
  if (Nc().painting != hwnd) w->update();
  return std::make_unique<Dc>(d.frame);
}

void ReleaseDC(HWND, std::unique_ptr<Dc> dc) {
  dc.reset();
}

void ResetNonClient(HWND hwnd) {
  if (OwnsScrollBars(hwnd)) SetOwnScrollBars(hwnd, false);
  Nc().data.erase(hwnd);
  if (QWidget* w = WidgetOf(hwnd)) w->update();
}

void SetOwnScrollBars(HWND hwnd, bool own, int horzThickness, int vertThickness) {
  auto* area = qobject_cast<QAbstractScrollArea*>(WidgetOf(hwnd));
  if (!area) return;
  NcData& d = Nc().data[hwnd];
  QScrollBar* bars[] = {area->horizontalScrollBar(), area->verticalScrollBar()};
  if (own) {
    if (d.ownBars && d.horzThickness == horzThickness && d.vertThickness == vertThickness) return;
    d.horzThickness = horzThickness;
    d.vertThickness = vertThickness;
    if (d.ownBars) {
      // Only the thicknesses may change.
      GiveBar(bars[0], area);
      GiveBar(bars[1], area);
    } else {
      d.trackedBefore = area->hasMouseTracking();
    }
    TakeBar(bars[0], area, horzThickness);
    TakeBar(bars[1], area, vertThickness);
    // The chain hears the mouse over its bars without a button down.
    area->setMouseTracking(true);
    d.ownBars = true;
  } else if (d.ownBars) {
    GiveBar(bars[0], area);
    GiveBar(bars[1], area);
    area->setMouseTracking(d.trackedBefore);
    d.ownBars = false;
  }
  // The area lays its bars out again at their new thickness.
  QEvent relayout(QEvent::LayoutRequest);
  QCoreApplication::sendEvent(area, &relayout);
  area->update();
}

bool OwnsScrollBars(HWND hwnd) {
  const NcData* d = Find(hwnd);
  return d && d->ownBars;
}

Rect GetWindowRect(HWND hwnd) {
  QWidget* w = WidgetOf(hwnd);
  return w ? ScreenRectOf(*w) : Rect{};
}

Rect GetClientRect(HWND hwnd) {
  QWidget* w = WidgetOf(hwnd);
  if (!w) return {};
  const QMargins m = NonClientMargins(hwnd);
  return {0, 0, std::max(0, w->width() - m.left() - m.right()),
          std::max(0, w->height() - m.top() - m.bottom())};
}

QPoint ScreenToClient(HWND hwnd, QPoint p) {
  QWidget* w = WidgetOf(hwnd);
  if (!w) return p;
  const QMargins m = NonClientMargins(hwnd);
  return w->mapFromGlobal(p) - QPoint(m.left(), m.top());
}

QPoint ClientToScreen(HWND hwnd, QPoint p) {
  QWidget* w = WidgetOf(hwnd);
  if (!w) return p;
  const QMargins m = NonClientMargins(hwnd);
  return w->mapToGlobal(p + QPoint(m.left(), m.top()));
}

HWND SetCapture(HWND hwnd) {
  const HWND before = Nc().capture;
  Nc().capture = IsWindow(hwnd) ? hwnd : 0;
  return before;
}

bool ReleaseCapture() {
  Nc().capture = 0;
  return true;
}

HWND GetCapture() {
  if (Nc().capture && !IsWindow(Nc().capture)) Nc().capture = 0;
  return Nc().capture;
}

QPoint GetCursorPos() {
  return Nc().cursor ? *Nc().cursor : QCursor::pos();
}

void SetCursorPos(QPoint p) {
  Nc().cursor = p;
}

namespace detail {

void PaintFrame(HWND hwnd, QPainter& painter) {
  QWidget* w = WidgetOf(hwnd);
  if (!w) return;
  const HWND before = Nc().painting;
  Nc().painting = hwnd;
  SendMessage(hwnd, WM_NCPAINT, 1, 0);
  Nc().painting = before;
  NcData* d = Find(hwnd);
  if (!d || d->frame.isNull() || d->frame.size() != w->size()) return;
  const QMargins m = NonClientMargins(hwnd);
  const QRegion margin = QRegion(w->rect()) - QRegion(w->rect().marginsRemoved(m));
  painter.save();
  painter.setClipRegion(margin);
  painter.drawImage(0, 0, d->frame);
  painter.restore();
}

void Forget(HWND hwnd) {
  Nc().data.erase(hwnd);
  if (Nc().capture == hwnd) Nc().capture = 0;
}

void DefaultCalcSize(HWND hwnd, Msg& msg) {
  if (!msg.lParam) return;
  auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(msg.lParam);
  const QMargins m = OwnFrameMargins(hwnd);
  Rect& r = params->rgrc[0];
  r = {r.left + m.left(), r.top + m.top(), r.right - m.right(), r.bottom - m.bottom()};
  msg.result = 0;
}

void DefaultNcButtonDown(HWND hwnd, const Msg& msg) {
  QWidget* w = WidgetOf(hwnd);
  QWindow* window = w && w->isWindow() ? w->windowHandle() : nullptr;
  if (!window) return;
  Qt::Edges edges;
  switch (int(msg.wParam)) {
    case HTCAPTION:
      window->startSystemMove();
      return;
    case HTLEFT:
      edges = Qt::LeftEdge;
      break;
    case HTRIGHT:
      edges = Qt::RightEdge;
      break;
    case HTTOP:
      edges = Qt::TopEdge;
      break;
    case HTBOTTOM:
      edges = Qt::BottomEdge;
      break;
    case HTTOPLEFT:
      edges = Qt::TopEdge | Qt::LeftEdge;
      break;
    case HTTOPRIGHT:
      edges = Qt::TopEdge | Qt::RightEdge;
      break;
    case HTBOTTOMLEFT:
      edges = Qt::BottomEdge | Qt::LeftEdge;
      break;
    case HTBOTTOMRIGHT:
      edges = Qt::BottomEdge | Qt::RightEdge;
      break;
    default:
      return;
  }
  window->startSystemResize(edges);
}

void NoteCursor(QPoint screen) {
  Nc().cursor = screen;
}

void NoteCursorNow() {
  Nc().cursor = QCursor::pos();
}

void DefaultArrange(HWND hwnd, const Msg& msg) {
  auto* area = qobject_cast<QMdiArea*>(WidgetOf(hwnd));
  if (!area) return;
  if (msg.msg == WM_MDITILE)
    area->tileSubWindows();
  else
    area->cascadeSubWindows();
}

}  // namespace detail

}  // namespace kelmo::winshim
