#include "winshim/system_menu.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <map>

namespace kelmo::winshim {
namespace {

// The items a program appended, by window; a destroyed window's entry is
// dropped when it is next looked at.
struct AddedItems {
  QPointer<QWidget> widget;
  std::vector<SysMenuItem> items;
};
std::map<HWND, AddedItems>& Added() {
  static std::map<HWND, AddedItems> added;
  return added;
}

bool HasSystemMenu(const QWidget* w) {
  if (!w) return false;
  if (qobject_cast<const QMdiSubWindow*>(w)) return true;
  if (!w->isWindow()) return false;
  const Qt::WindowFlags f = w->windowFlags();
  const Qt::WindowFlags type = f & Qt::WindowType_Mask;
  if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen) return false;
  return (f & Qt::WindowSystemMenuHint) || !(f & Qt::CustomizeWindowHint);
}

}  // namespace

bool GetSystemMenu(HWND hwnd, std::vector<SysMenuItem>& items) {
  items.clear();
  QWidget* w = WidgetOf(hwnd);
  if (!HasSystemMenu(w)) return false;
  items = {{SC_RESTORE, QStringLiteral("&Restore")},    {SC_MOVE, QStringLiteral("&Move")},
           {SC_SIZE, QStringLiteral("&Size")},          {SC_MINIMIZE, QStringLiteral("Mi&nimize")},
           {SC_MAXIMIZE, QStringLiteral("Ma&ximize")},  {0, QString()},
           {SC_CLOSE, QStringLiteral("&Close\tAlt+F4")}};
  auto& added = Added();
  if (auto it = added.find(hwnd); it != added.end()) {
    if (it->second.widget)
      items.insert(items.end(), it->second.items.begin(), it->second.items.end());
    else
      added.erase(it);
  }
  return true;
}

bool AppendSystemMenuItem(HWND hwnd, unsigned id, const QString& text) {
  QWidget* w = WidgetOf(hwnd);
  if (!HasSystemMenu(w)) return false;
  AddedItems& entry = Added()[hwnd];
  entry.widget = w;
  entry.items.push_back({id, text});
  return true;
}

QString GetMenuString(HWND hwnd, unsigned id) {
  std::vector<SysMenuItem> items;
  GetSystemMenu(hwnd, items);
  for (const SysMenuItem& item : items)
    if (item.id == id && id != 0) return item.text.left(255);
  return {};
}

HWND WindowFromPoint(QPoint screen) {
  const auto takes = [&](const QWidget* w) {
    if (!w->isVisible() || w->testAttribute(Qt::WA_TransparentForMouseEvents)) return false;
    if (w->isWindow() && (w->windowFlags() & Qt::WindowTransparentForInput)) return false;
    const QPoint local = w->mapFromGlobal(screen);
    if (!w->rect().contains(local)) return false;
    return w->mask().isEmpty() || w->mask().contains(local);
  };
  QWidget* top = nullptr;
  QWidget* preferred = QApplication::topLevelAt(screen);
  if (preferred && takes(preferred)) top = preferred;
  if (!top)
    for (QWidget* w : QApplication::topLevelWidgets())
      if (takes(w)) {
        top = w;
        break;
      }
  if (!top) return 0;
  QWidget* deepest = top;
  for (;;) {
    QWidget* child = nullptr;
    const auto kids = deepest->children();
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
      auto* w = qobject_cast<QWidget*>(*it);
      if (w && !w->isWindow() && takes(w)) {
        child = w;
        break;
      }
    }
    if (!child) break;
    deepest = child;
  }
  return HandleOf(deepest);
}

namespace detail {

void DefaultSysCommand(HWND hwnd, const Msg& msg) {
  QWidget* w = WidgetOf(hwnd);
  if (!w) return;
  switch (unsigned(msg.wParam) & 0xFFF0u) {
    case SC_MINIMIZE:
      w->showMinimized();
      break;
    case SC_MAXIMIZE:
      w->showMaximized();
      break;
    case SC_RESTORE:
      w->showNormal();
      break;
    case SC_CLOSE:
      w->close();
      break;
    case SC_MOVE:
      if (QWindow* window = w->isWindow() ? w->windowHandle() : nullptr) window->startSystemMove();
      break;
    case SC_SIZE:
      if (QWindow* window = w->isWindow() ? w->windowHandle() : nullptr)
        window->startSystemResize(Qt::RightEdge | Qt::BottomEdge);
      break;
    default:
      break;
  }
}

}  // namespace detail

}  // namespace kelmo::winshim
