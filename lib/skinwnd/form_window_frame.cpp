// Taking a form's frame over and giving it back.
#include "skinwnd/form_window_frame.h"

#include <QMargins>
#include <QMenuBar>
#include <QWidget>
#include <unordered_map>

#include "skinwnd/form_frame_geometry.h"
#include "skinwnd/form_traits.h"
#include "winshim/non_client.h"
#include "winshim/region.h"
#include "winshim/system_profile.h"

namespace kelmo::skinwnd {
namespace ws = winshim;

namespace {

constexpr std::uint32_t kFrameBits = ws::WS_CAPTION | ws::WS_THICKFRAME | ws::WS_SYSMENU |
                                     ws::WS_MINIMIZEBOX | ws::WS_MAXIMIZEBOX | ws::WS_POPUP;

// What the form had before the provider took its frame.
struct KeptFrame {
  Qt::WindowFlags flags;
  QMargins contents;
  std::uint32_t style = 0;
  QMargins insets;  // the margins the provider gave it
  QSize minSize, maxSize;
  bool tracking = false;
  int menuMin = 0, menuMax = QWIDGETSIZE_MAX;
};

std::unordered_map<const TkSkinProvider*, KeptFrame>& Kept() {
  static std::unordered_map<const TkSkinProvider*, KeptFrame> kept;
  return kept;
}

QMargins ToMargins(const ws::Rect& r) {
  return QMargins(r.left, r.top, r.right, r.bottom);
}

// Sets the window flags keeping the window's visibility and its place.
void ChangeFlags(QWidget* form, Qt::WindowFlags flags, const QRect& geometry) {
  if (form->windowFlags() == flags) {
    form->setGeometry(geometry);
    return;
  }
  const bool visible = form->isVisible();
  const Qt::WindowStates states = form->windowState();
  form->setWindowFlags(flags);
  form->setGeometry(geometry);
  if (visible) {
    form->setWindowState(states);
    form->show();
  }
}

// The menu bar sits in the menu line of the frame: it takes the line's height.
void FitMenuBar(TkSkinProvider& p, const KeptFrame& kept, bool taken) {
  QMenuBar* bar = p.MainMenu();
  if (!bar) return;
  if (!taken) {
    bar->setMinimumHeight(kept.menuMin);
    bar->setMaximumHeight(kept.menuMax);
    return;
  }
  const int h = MenuLineVisible(p) ? MenuLineRows(p) * ws::GetSystemMetrics(ws::SM_CYMENU) : 0;
  if (h > 0) bar->setFixedHeight(h);
}

}  // namespace

bool SkinFormFrame(const TkSkinProvider& p) {
  return Kept().count(&p) != 0;
}

void TakeFormFrame(TkSkinProvider& p) {
  QWidget* form = p.FormWidget();
  if (!form || !form->isWindow() || p.IsMdiChild()) return;
  const ws::HWND h = p.FormHandle();
  auto it = Kept().find(&p);
  const bool first = it == Kept().end();
  if (first) {
    KeptFrame k;
    k.flags = form->windowFlags();
    k.contents = form->contentsMargins();
    k.style = ws::GetWindowLong(h, ws::GWL_STYLE);
    k.tracking = form->hasMouseTracking();
    k.minSize = form->minimumSize();
    k.maxSize = form->maximumSize();
    if (QMenuBar* bar = p.MainMenu()) {
      k.menuMin = bar->minimumHeight();
      k.menuMax = bar->maximumHeight();
    }
    it = Kept().emplace(&p, k).first;
  }
  KeptFrame& k = it->second;
  // The frameless window keeps the style bits of the frame the provider draws.
  const std::uint32_t frameStyle = k.style & kFrameBits & ~ws::WS_POPUP;
  QRect geometry = form->geometry().marginsRemoved(k.insets);
  if (first) {
    KeepOwnWindowFlags(form, true);
    ChangeFlags(form, k.flags | Qt::FramelessWindowHint, geometry);
    const std::uint32_t now = ws::GetWindowLong(h, ws::GWL_STYLE);
    ws::SetWindowLong(h, ws::GWL_STYLE, (now & ~kFrameBits) | frameStyle);
    p.SetSysMenuStyle(true);
  }
  // The client area keeps its size: the window grows by the frame.
  const QMargins insets = HasFrame(p) ? ToMargins(NonClientInsets(p)) : QMargins();
  k.insets = insets;
  // Size limits hold for the client area, as they did with the system's frame.
  const QSize grow(insets.left() + insets.right(), insets.top() + insets.bottom());
  form->setMinimumSize(k.minSize + grow);
  form->setMaximumSize(k.maxSize.boundedTo(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX) - grow) + grow);
  geometry = geometry.marginsAdded(insets);
  if (form->isMaximized() || form->isMinimized())
    geometry = form->geometry();
  else
    form->setGeometry(geometry);
  QMargins contents = k.contents + insets;
  // The menu bar takes the menu line's place.
  if (p.MainMenu() && MenuLineVisible(p))
    contents.setTop(contents.top() - MenuLineRows(p) * ws::GetSystemMetrics(ws::SM_CYMENU));
  form->setContentsMargins(contents);
  FitMenuBar(p, k, true);
  // The caption buttons turn hot under a mouse without a button down.
  form->setMouseTracking(true);
  ws::RecalcNonClient(h);
}

void ReleaseFormFrame(TkSkinProvider& p) {
  auto it = Kept().find(&p);
  if (it == Kept().end()) return;
  const KeptFrame k = it->second;
  Kept().erase(it);
  QWidget* form = p.FormWidget();
  if (!form) return;
  const ws::HWND h = p.FormHandle();
  form->setContentsMargins(k.contents);
  form->setMouseTracking(k.tracking);
  FitMenuBar(p, k, false);
  ws::SetWindowRgn(form, QRegion(), false);
  QRect geometry = form->geometry();
  if (!form->isMaximized() && !form->isMinimized()) geometry = geometry.marginsRemoved(k.insets);
  form->setMinimumSize(k.minSize);
  form->setMaximumSize(k.maxSize);
  ChangeFlags(form, k.flags, geometry);
  KeepOwnWindowFlags(form, false);
  ws::ResetStyleBits(h, ws::GWL_STYLE, kFrameBits);
  ws::ResetNonClient(h);
}

}  // namespace kelmo::skinwnd
