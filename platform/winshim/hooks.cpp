// The hook lists and the application event filter that feeds them.
#include "winshim/hooks.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <set>
#include <vector>

namespace kelmo::winshim {
namespace {

struct Hook {
  HHOOK id;
  int kind;
  std::shared_ptr<HookProc> proc;
};

class AppFilter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override;
  std::set<QWidget*> created;
};

struct Hooks {
  std::vector<Hook> list;  // newest first
  HHOOK last = 0;
  AppFilter filter;
  bool installed = false;
};

Hooks& State() {
  static Hooks* hooks = new Hooks;  // lives to the end of the process
  return *hooks;
}

bool Any(int kind) {
  for (const Hook& h : State().list)
    if (h.kind == kind) return true;
  return false;
}

// Calls the first hook of the kind after `after` (0: from the newest).
LRESULT CallFrom(int kind, HHOOK after, int code, WPARAM w, LPARAM l) {
  std::vector<Hook>& list = State().list;
  std::size_t i = 0;
  if (after) {
    while (i < list.size() && list[i].id != after) ++i;
    if (i == list.size()) return 0;
    ++i;
  }
  for (; i < list.size(); ++i)
    if (list[i].kind == kind) {
      const std::shared_ptr<HookProc> proc = list[i].proc;  // it may unhook itself
      return (*proc)(code, w, l);
    }
  return 0;
}

bool WatchedWindow(QWidget* w) {
  return w->isWindow() || w->inherits("QMenu");
}

void Created(AppFilter& f, QWidget* w) {
  if (!f.created.insert(w).second) return;
  const HWND h = HandleOf(w);
  QObject::connect(w, &QObject::destroyed, [w, h] {
    State().filter.created.erase(w);
    if (Any(WH_CBT)) CallFrom(WH_CBT, 0, HCBT_DESTROYWND, WPARAM(h), 0);
  });
  if (Any(WH_CBT)) CallFrom(WH_CBT, 0, HCBT_CREATEWND, WPARAM(h), 0);
}

bool AppFilter::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(watched);
  switch (event->type()) {
    case QEvent::Polish:
    case QEvent::Show:
      if (WatchedWindow(w)) Created(*this, w);
      return false;
    case QEvent::WindowActivate:
      if (w->isWindow() && Any(WH_CBT)) CallFrom(WH_CBT, 0, HCBT_ACTIVATE, WPARAM(HandleOf(w)), 0);
      return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      if (!Any(WH_MOUSE)) return false;
      auto* e = static_cast<QMouseEvent*>(event);
      MouseHookStruct info{e->globalPosition().toPoint(), HandleOf(w), HTCLIENT};
      return CallFrom(WH_MOUSE, 0, HC_ACTION, MouseMessageOf(*e), LPARAM(&info)) != 0;
    }
    default:
      return false;
  }
}

}  // namespace

HHOOK SetWindowsHookEx(int kind, HookProc proc) {
  if (!proc ||
      (kind != WH_GETMESSAGE && kind != WH_CALLWNDPROC && kind != WH_CBT && kind != WH_MOUSE))
    return 0;
  Hooks& s = State();
  if (!s.installed && qApp) {
    qApp->installEventFilter(&s.filter);
    s.installed = true;
  }
  const HHOOK id = ++s.last;
  s.list.insert(s.list.begin(), Hook{id, kind, std::make_shared<HookProc>(std::move(proc))});
  return id;
}

bool UnhookWindowsHookEx(HHOOK hook) {
  std::vector<Hook>& list = State().list;
  for (auto it = list.begin(); it != list.end(); ++it)
    if (it->id == hook) {
      list.erase(it);
      return true;
    }
  return false;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  for (const Hook& h : State().list)
    if (h.id == hook) return CallFrom(h.kind, hook, code, wParam, lParam);
  return 0;
}

void RunCallWndProcHooks(HWND hwnd, const Msg& msg) {
  if (!Any(WH_CALLWNDPROC)) return;
  CwpStruct info{msg.lParam, msg.wParam, msg.msg, hwnd};
  CallFrom(WH_CALLWNDPROC, 0, HC_ACTION, 0, LPARAM(&info));
}

void RunGetMessageHooks(HWND hwnd, Msg& msg) {
  if (!Any(WH_GETMESSAGE)) return;
  MsgStruct info{hwnd, msg.msg, msg.wParam, msg.lParam};
  CallFrom(WH_GETMESSAGE, 0, HC_ACTION, 1 /* PM_REMOVE */, LPARAM(&info));
  msg.msg = info.message;
  msg.wParam = info.wParam;
  msg.lParam = info.lParam;
}

}  // namespace kelmo::winshim
