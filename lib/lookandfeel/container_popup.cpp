// The container popup window, its event-filter hooks and the view info.
#include "lookandfeel/container_popup.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace kelmo::le {
namespace {

std::vector<TleCustomPopupWindow*>& Open() {
  static std::vector<TleCustomPopupWindow*> list;
  return list;
}

bool Listed(const TleCustomPopupWindow* p) {
  return std::find(Open().begin(), Open().end(), p) != Open().end();
}

void Unlist(const TleCustomPopupWindow* p) {
  Open().erase(std::remove(Open().begin(), Open().end(), p), Open().end());
}

// The WH_CALLWNDPROC stand-in: the owner's hiding and the popup's closing.
class CallWndHook : public QObject {
 public:
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (Open().empty() || !obj->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(obj);
    if (e->type() == QEvent::Hide) {
      // The popup of the hidden owner and every popup opened after it.
      for (std::size_t i = Open().size(); i-- > 0;) {
        if (Open()[i]->PopupOwnerControl == w) {
          while (Open().size() > i) Open().back()->ClosePopup();
          break;
        }
      }
    } else if (e->type() == QEvent::Close) {
      for (TleCustomPopupWindow* p : std::vector<TleCustomPopupWindow*>(Open())) {
        if (p == w) {
          p->ClosePopup();
          break;
        }
      }
    }
    return false;
  }
};

// The WH_GETMESSAGE stand-in: system keys the popup does not accept are
// dropped while the newest popup does not run its own loop.
class GetMessageHook : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* e) override {
    if (Open().empty() || e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (!(k->modifiers() & Qt::AltModifier)) return false;
    const TleCustomPopupWindow* newest = Open().back();
    if (newest->CaptureFocus && newest->RunModalLoop) return false;
    return !TleCustomPopupWindow::AcceptsSystemKey(k->key());
  }
};

// The WH_MOUSE stand-in: a click outside a popup closes it.
class MouseHook : public QObject {
 public:
  bool closing = false;
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (Open().empty()) return false;
    if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick) {
      return false;
    }
    if (!obj->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(obj);
    const QPoint global = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
    bool swallow = false;
    for (bool restart = true; restart;) {
      restart = false;
      for (TleCustomPopupWindow* p : std::vector<TleCustomPopupWindow*>(Open())) {
        if (p->CaptureFocus && !p->isActiveWindow()) continue;
        if (IsWindowOfControl(p, w, true)) continue;
        QWidget* owner = p->PopupOwnerControl;
        const auto* ownerForm =
            owner ? dynamic_cast<TleCustomPopupWindow*>(owner->window()) : nullptr;
        if (owner && (IsClickInOwnerForm(owner, w) || (ownerForm && !ownerForm->IsOpen()))) {
          bool onAnchor = false;
          if (w == owner || owner->isAncestorOf(w)) {
            const Rect a = p->AnchorScreenBounds();
            if (a.Contains(global.x(), global.y())) {
              p->ClickedOwner = true;
              onAnchor = true;
            }
          }
          const bool wasClosing = p->ClosingByDeactivation;
          p->ClosingByDeactivation = true;
          closing = true;
          p->ClosePopup();
          closing = false;
          p->ClosingByDeactivation = wasClosing;
          if (onAnchor && (!owner->isVisible())) swallow = true;
          restart = true;
          break;
        }
      }
    }
    return swallow;
  }
};

struct Hooks {
  std::unique_ptr<CallWndHook> callWnd;
  std::unique_ptr<GetMessageHook> getMessage;
  std::unique_ptr<MouseHook> mouse;
  // Application deactivation closes the popups that may close.
  QMetaObject::Connection appState;
};

Hooks& H() {
  static Hooks h;
  return h;
}

void ApplicationDeactivated() {
  for (bool restart = true; restart;) {
    restart = false;
    for (TleCustomPopupWindow* p : std::vector<TleCustomPopupWindow*>(Open())) {
      QWidget* form = p->PopupOwnerControl ? p->PopupOwnerControl->window() : nullptr;
      if (p->CaptureFocus && form && form->isActiveWindow()) continue;
      if (!p->isEnabled()) continue;
      p->ClosePopup();
      restart = true;
      break;
    }
  }
}

}  // namespace

const std::vector<TleCustomPopupWindow*>& OpenPopups() {
  return Open();
}

bool IsWindowOfControl(const QWidget* control, const QWidget* window, bool nested) {
  if (!control || !window) return false;
  if (window == control) return true;
  if (!nested) return false;
  if (control->isAncestorOf(window)) return true;
  for (const TleCustomPopupWindow* p : Open()) {
    if (p == control) continue;
    const QWidget* owner = p->PopupOwnerControl;
    // A popup opened from a control on this one, or from the control itself.
    if (owner && (owner == control || control->isAncestorOf(owner)) &&
        (window == p || p->isAncestorOf(window))) {
      return true;
    }
  }
  return false;
}

bool IsClickInOwnerForm(const QWidget* owner, const QWidget* window) {
  const QWidget* form = owner ? owner->window() : nullptr;
  if (!form) return false;
  return IsWindowOfControl(form, window, true);
}

void FillFrameBetween(TleCanvas& c, const Rect& outer, const Rect& inner, TColor color) {
  if (outer.IsEmpty() || outer == inner) return;
  const ColorRef rgb = ResolveColor(color);
  if (inner.IsEmpty()) {
    winshim::FillSolidRect(c.Dc(), outer, rgb);
    return;
  }
  winshim::FillSolidRect(c.Dc(), {outer.left, outer.top, inner.left, outer.bottom}, rgb);
  winshim::FillSolidRect(c.Dc(), {inner.left, outer.top, inner.right, inner.top}, rgb);
  winshim::FillSolidRect(c.Dc(), {inner.right, outer.top, outer.right, outer.bottom}, rgb);
  winshim::FillSolidRect(c.Dc(), {inner.left, inner.bottom, inner.right, outer.bottom}, rgb);
}

void TleContainerViewInfo::DrawBorder(TleCanvas& c, Rect r) const {
  switch (BorderStyle) {
    case cbsSingle:
    case cbsThick:
      c.FillSideBands(r, BorderColor, false, bsAll, BorderWidth);
      break;
    case cbsFlat:
      c.DrawEdgeRing(r, true, Edges, true);
      c.FillSideBands(r.Inflate(-1, -1), clBtnFace, false, bsAll, 1);
      break;
    case cbs3D:
      c.DrawEdgeRing(r, true, Edges, true);
      c.DrawTwoColorFrame(r.Inflate(-1, -1), cl3DDkShadow, 1, Edges, cl3DLight);
      break;
    default:
      break;
  }
}

void TleContainerViewInfo::DrawBackground(TleCanvas& c) const {
  if (NativeStyle) {
    const ThemeHandle h = ThemeHandleOf(ThemedKind);
    if (BorderStyle != cbsNone && h) {
      Rect content = Bounds;
      UxTheme().GetThemeBackgroundContentRect(h, &c.Dc(), NativePart, NativeState, Bounds, content);
      winshim::FillSolidRect(c.Dc(), content, ResolveColor(BackgroundColor));
      winshim::ColorRef border = ResolveColor(BorderColor);
      const QString combo = "ComboBox";
      if (const ThemeHandle ch = ThemeHandleOf(tkComboBox, &combo)) {
        UxTheme().GetThemeColor(ch, 1, 1, 3801, border);
      }
      FillFrameBetween(c, Bounds, content, static_cast<TColor>(border));
    } else {
      winshim::FillSolidRect(c.Dc(), Bounds, ResolveColor(BackgroundColor));
    }
    return;
  }
  Rect r = BorderRect;
  r.left -= BorderWidth;
  r.top -= BorderWidth;
  if (Edges & bsRight) r.right += BorderWidth;
  if (Edges & bsBottom) r.bottom += BorderWidth;
  if (Shadow) {
    const Rect below{r.left + 3, r.bottom, r.right, r.bottom + 3};
    const Rect right{r.right, r.top + 3, r.right + 3, r.bottom + 3};
    for (const Rect& s : {below, right}) {
      winshim::FillSolidRect(c.Dc(), s, ResolveColor(clBtnShadow));
      c.ExcludeClipRect(s);
    }
  }
  if (!(Edges & bsRight)) r.right += BorderWidth;
  if (!(Edges & bsBottom)) r.bottom += BorderWidth;
  DrawBorder(c, r);
  winshim::FillSolidRect(c.Dc(), BorderRect, ResolveColor(BackgroundColor));
}

void TleContainerViewInfo::Offset(int dx, int dy) {
  BorderRect = BorderRect.Offset(dx, dy);
  Bounds = Bounds.Offset(dx, dy);
  ClientRect = ClientRect.Offset(dx, dy);
}

TleCustomPopupWindow::TleCustomPopupWindow(QWidget* owner)
    : style_(std::make_unique<TleContainerStyle>(nullptr, ssNormal, nullptr, false)),
      viewInfo_(std::make_unique<TleContainerViewInfo>()) {
  PopupOwnerControl = owner;
  hide();
}

TleCustomPopupWindow::~TleCustomPopupWindow() {
  Unlist(this);
}

bool TleCustomPopupWindow::IsOpen() const {
  return Listed(this);
}

bool TleCustomPopupWindow::AcceptsSystemKey(int key) {
  switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_F4:
      return true;
    default:
      return false;
  }
}

Rect TleCustomPopupWindow::AnchorScreenBounds() const {
  QWidget* owner = PopupOwnerControl;
  if (!owner || owner->isWindow()) return AnchorBounds;
  const QPoint tl = owner->mapToGlobal(QPoint(AnchorBounds.left, AnchorBounds.top));
  return Rect::Sized(tl.x(), tl.y(), AnchorBounds.Width(), AnchorBounds.Height());
}

void TleCustomPopupWindow::ShowCustomPopup(QWidget* focusTarget) {
  if (IsOpen()) return;
  if (!PopupOwnerControl || !PopupOwnerControl->isVisible()) return;
  PreparePopup();
  FitToChildren();
  QPoint p = CalculatePopupPosition(Placement, AnchorScreenBounds(), size());
  if (FitsToWorkArea()) FitIntoWorkArea(p);
  Open().push_back(this);
  if (OnPopupShowing) OnPopupShowing(this);
  move(p);
  show();
  move(p);
  if (CaptureFocus) {
    QWidget* target =
        focusTarget && focusTarget->focusPolicy() & Qt::TabFocus ? focusTarget : nullptr;
    if (!target)
      target = nextInFocusChain() != this && isAncestorOf(nextInFocusChain()) ? nextInFocusChain()
                                                                              : this;
    PopupFocusTarget = target;
  } else {
    PopupFocusTarget = focusTarget;
  }
  if (PopupFocusTarget) PopupFocusTarget->setFocus();
  raise();
  if (OnPopupShown) OnPopupShown(this);
  if (CaptureFocus && RunModalLoop) {
    QEventLoop loop;
    QMetaObject::Connection quit =
        connect(qApp, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    while (isVisible() && IsOpen()) loop.processEvents(QEventLoop::WaitForMoreEvents);
    disconnect(quit);
  }
}

void TleCustomPopupWindow::FitIntoWorkArea(QPoint& p) {
  const Rect r = Rect::FromQRect(WorkAreaAtPoint(p));
  int w = width(), h = height();
  if (p.x() < r.left) {
    w -= r.left - p.x();
    p.setX(r.left);
  }
  if (p.y() < r.top) {
    h -= r.top - p.y();
    p.setY(r.top);
  }
  h = std::min(h, r.bottom - p.y());
  w = std::min(w, r.right - p.x());
  resize(w, h);
  if (height() != h && p.y() == r.top) p.ry() += h - height();
}

void TleCustomPopupWindow::ClosePopup() {
  if (!IsOpen()) return;
  Unlist(this);
  if (OnPopupClosing) OnPopupClosing(this);
  hide();
  if (OnPopupClosed) OnPopupClosed(this);
  QWidget* grabber = QWidget::mouseGrabber();
  if (grabber && (grabber == this || isAncestorOf(grabber))) grabber->releaseMouse();
}

void TleCustomPopupWindow::VisibleChanged() {
  QWidget* owner = PopupOwnerControl;
  if (!CaptureFocus || !owner || isVisible()) return;
  QWidget* focus = QApplication::focusWidget();
  if ((focus == owner->window() || !focus) && owner->focusPolicy() != Qt::NoFocus)
    owner->setFocus();
}

void TleCustomPopupWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  winshim::Dc dc(painter, size());
  TleCanvas canvas(dc);
  viewInfo_->Paint(canvas);
}

void TleCustomPopupWindow::keyPressEvent(QKeyEvent* e) {
  QWidget* grabber = QWidget::mouseGrabber();
  if (IsOpen() && e->key() == Qt::Key_Escape && grabber &&
      (grabber == this || isAncestorOf(grabber))) {
    grabber->releaseMouse();
    e->accept();
    return;
  }
  TlePopupWindow::keyPressEvent(e);
}

void InstallPopupHooks() {
  if (H().callWnd || !qApp) return;
  H().callWnd = std::make_unique<CallWndHook>();
  H().getMessage = std::make_unique<GetMessageHook>();
  H().mouse = std::make_unique<MouseHook>();
  qApp->installEventFilter(H().callWnd.get());
  qApp->installEventFilter(H().getMessage.get());
  qApp->installEventFilter(H().mouse.get());
  H().appState =
      QObject::connect(qApp, &QGuiApplication::applicationStateChanged, [](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive && !Open().empty()) {
          ApplicationDeactivated();
        }
      });
}

void RemovePopupHooks() {
  QObject::disconnect(H().appState);
  H().mouse.reset();
  H().getMessage.reset();
  H().callWnd.reset();
}

int PopupHookCount() {
  return (H().callWnd ? 1 : 0) + (H().getMessage ? 1 : 0) + (H().mouse ? 1 : 0);
}

}  // namespace kelmo::le
