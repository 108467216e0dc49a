// The clocks and the window timers over them.
#include "winshim/timers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace kelmo::winshim {

struct QtClock::Impl {
  QElapsedTimer since;
  int last = 0;
  std::map<int, std::unique_ptr<QTimer>> timers;
};

QtClock::QtClock() : impl_(std::make_unique<Impl>()) {
  impl_->since.start();
}
QtClock::~QtClock() = default;

std::int64_t QtClock::Now() const {
  return impl_->since.elapsed();
}

int QtClock::Start(int intervalMs, std::function<void()> fire) {
  const int token = ++impl_->last;
  auto timer = std::make_unique<QTimer>();
  timer->setInterval(std::max(1, intervalMs));
  QObject::connect(timer.get(), &QTimer::timeout, std::move(fire));
  timer->start();
  impl_->timers.emplace(token, std::move(timer));
  return token;
}

void QtClock::Stop(int token) {
  auto it = impl_->timers.find(token);
  if (it == impl_->timers.end()) return;
  // A timer may stop itself from its own tick: free it once the tick is over.
  it->second->stop();
  it->second.release()->deleteLater();
  impl_->timers.erase(it);
}

void QtClock::Sleep(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms)
    QCoreApplication::processEvents(QEventLoop::AllEvents,
                                    int(std::max<qint64>(1, ms - t.elapsed())));
}

int ManualClock::Start(int intervalMs, std::function<void()> fire) {
  const int token = ++last_;
  const int interval = std::max(1, intervalMs);
  timers_.emplace(token, Timer{now_ + interval, interval,
                               std::make_shared<std::function<void()>>(std::move(fire))});
  return token;
}

void ManualClock::Stop(int token) {
  timers_.erase(token);
}

void ManualClock::Advance(int ms) {
  const std::int64_t end = now_ + std::max(0, ms);
  for (;;) {
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (it->second.due <= end && (next == timers_.end() || it->second.due < next->second.due))
        next = it;
    if (next == timers_.end()) break;
    now_ = next->second.due;
    next->second.due += next->second.interval;
    const auto fire = next->second.fire;  // the tick may stop its own timer
    (*fire)();
  }
  now_ = end;
}

namespace {

std::shared_ptr<Clock>& ClockSlot() {
  static std::shared_ptr<Clock> clock;
  return clock;
}

std::map<std::pair<HWND, std::uintptr_t>, int>& WindowTimers() {
  static std::map<std::pair<HWND, std::uintptr_t>, int> timers;
  return timers;
}

}  // namespace

std::shared_ptr<Clock> SetClock(std::shared_ptr<Clock> clock) {
  // The window timers run on one clock: those of the old one end here.
  if (ClockSlot())
    for (const auto& [key, token] : WindowTimers()) ClockSlot()->Stop(token);
  WindowTimers().clear();
  return std::exchange(ClockSlot(), std::move(clock));
}

Clock& CurrentClock() {
  if (!ClockSlot()) ClockSlot() = std::make_shared<QtClock>();
  return *ClockSlot();
}

std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, unsigned elapseMs) {
  if (!IsWindow(hwnd)) return 0;
  KillTimer(hwnd, id);
  const int token = CurrentClock().Start(int(std::min(elapseMs, 0x7FFFFFFFu)), [hwnd, id] {
    if (!IsWindow(hwnd)) {
      KillTimer(hwnd, id);
      return;
    }
    SendMessage(hwnd, WM_TIMER, id);
  });
  WindowTimers()[{hwnd, id}] = token;
  return id;
}

bool KillTimer(HWND hwnd, std::uintptr_t id) {
  auto it = WindowTimers().find({hwnd, id});
  if (it == WindowTimers().end()) return false;
  const int token = it->second;
  WindowTimers().erase(it);
  CurrentClock().Stop(token);
  return true;
}

void Sleep(int ms) {
  CurrentClock().Sleep(ms);
}

}  // namespace kelmo::winshim
