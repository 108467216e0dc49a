// Timers, Sleep and timed waits over one clock: QTimer in the program, a
// manual clock in tests, where Advance(ms) fires the due timers in the
// order they fall due (earlier made first on a tie), so timing is tested
// without sleeping.
//
// SetTimer gives a window a timer by id (setting it again restarts it); its
// ticks arrive as WM_TIMER with the id in wParam through the window's
// handler chain; the timer of a window that no longer exists stops at its
// next tick. Install the clock before timers start.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "winshim/window.h"

namespace kelmo::winshim {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds from an arbitrary start.
  virtual std::int64_t Now() const = 0;
  // A periodic callback every interval (at least 1 ms); returns its token.
  virtual int Start(int intervalMs, std::function<void()> fire) = 0;
  virtual void Stop(int token) = 0;
  // Waits, letting due timers fire (the Qt clock pumps events meanwhile).
  virtual void Sleep(int ms) = 0;
};

class QtClock : public Clock {
 public:
  QtClock();
  ~QtClock() override;
  std::int64_t Now() const override;
  int Start(int intervalMs, std::function<void()> fire) override;
  void Stop(int token) override;
  void Sleep(int ms) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class ManualClock : public Clock {
 public:
  std::int64_t Now() const override { return now_; }
  int Start(int intervalMs, std::function<void()> fire) override;
  void Stop(int token) override;
  void Sleep(int ms) override { Advance(ms); }
  // Moves time on by ms, firing every timer that falls due on the way.
  void Advance(int ms);
  int ActiveTimers() const { return int(timers_.size()); }

 private:
  struct Timer {
    std::int64_t due;
    int interval;
    std::shared_ptr<std::function<void()>> fire;
  };
  std::int64_t now_ = 0;
  int last_ = 0;
  std::map<int, Timer> timers_;  // by token: the order they were made
};

// The process's clock (a QtClock until one is set); returns the previous.
std::shared_ptr<Clock> SetClock(std::shared_ptr<Clock> clock);
Clock& CurrentClock();

// Returns the id, 0 for no window.
std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, unsigned elapseMs);
bool KillTimer(HWND hwnd, std::uintptr_t id);
void Sleep(int ms);

}  // namespace kelmo::winshim
