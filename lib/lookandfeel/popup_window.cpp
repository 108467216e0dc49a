// The popup window.
#include "lookandfeel/popup_window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <algorithm>

namespace kelmo::le {
namespace {

WorkAreaProvider& Provider() {
  static WorkAreaProvider p;
  return p;
}

}  // namespace

QRect WorkAreaAtPoint(QPoint p) {
  if (Provider()) return Provider()(p);
  QScreen* screen = QGuiApplication::screenAt(p);
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void SetWorkAreaProvider(WorkAreaProvider provider) {
  Provider() = std::move(provider);
}

QPoint CalculatePopupPosition(const PopupPlacement& placement, const Rect& A, QSize size) {
  int h = placement.horizontal, v = placement.vertical;
  const int W = size.width(), H = size.height();
  const bool vertical = placement.direction == 1;
  QPoint P, Q;
  if (h == 1) P.setX((A.left + A.right - W) / 2), Q.setX(P.x());
  if (v == 1) P.setY((A.top + A.bottom - H) / 2), Q.setY(P.y());
  auto side = [&] {
    if (vertical) {
      if (h == 0) P.setX(A.left), Q.setX(A.left);
      if (h == 2) P.setX(A.right - W), Q.setX(A.right);
      if (v == 0) P.setY(A.top - H), Q.setY(A.top);
      if (v == 2) P.setY(A.bottom), Q.setY(A.bottom);
    } else {
      if (h == 0) P.setX(A.left - W), Q.setX(A.left);
      if (h == 2) P.setX(A.right), Q.setX(A.right);
      if (v == 0) P.setY(A.top), Q.setY(A.top);
      if (v == 2) P.setY(A.bottom - H), Q.setY(A.bottom);
    }
  };
  side();
  const QRect area = WorkAreaAtPoint(Q);
  const Rect R = Rect::FromQRect(area);
  if (vertical) {
    const bool moreAbove = (R.bottom - A.bottom) < (A.top - R.top);
    if (v == 2 && R.bottom < P.y() + H && moreAbove) {
      v = 0;
    } else if (v == 0 && P.y() < R.top && !moreAbove) {
      v = 2;
    }
  } else {
    const bool moreLeft = (R.right - A.right) < (A.left - R.left);
    if (h == 2 && R.right < P.x() + W && moreLeft) {
      h = 0;
    } else if (h == 0 && P.x() < R.left && !moreLeft) {
      h = 2;
    }
  }
  side();
  if (vertical || h == 1) {
    if (P.x() + W > R.right) P.setX(R.right - W);
    if (P.x() < R.left) P.setX(R.left);
  }
  if (!vertical || v == 1) {
    if (P.y() + H > R.bottom) P.setY(R.bottom - H);
    if (P.y() < R.top) P.setY(R.top);
  }
  return P;
}

TlePopupWindow::TlePopupWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_ShowWithoutActivating, false);
}

TlePopupWindow::~TlePopupWindow() = default;

int TlePopupWindow::FrameWidthAt(int) const {
  return FrameKind == 1 || FrameKind == 2 ? 1 : FrameKind == 3 ? 2 : 0;
}

void TlePopupWindow::FitToChildren() {
  if (!AutoSizeToChildren) return;
  // Children are measured where they stand without the border already
  // applied, and moved by the difference, so a second fit (a popup shown
  // twice) leaves them where the first put them.
  const QPoint offset(BorderWidthAt(0), BorderWidthAt(1));
  int maxRight = 0, maxBottom = 0;
  bool any = false;
  for (QObject* o : children()) {
    auto* child = qobject_cast<QWidget*>(o);
    if (!child || child->isWindow()) continue;
    any = true;
    const QRect bare = child->geometry().translated(-appliedOffset_);
    maxRight = std::max(maxRight, bare.x() + bare.width());
    maxBottom = std::max(maxBottom, bare.y() + bare.height());
    child->setGeometry(bare.translated(offset));
  }
  appliedOffset_ = offset;
  if (maxRight != 0 || any) {
    resize(BorderWidthAt(0) + maxRight + BorderWidthAt(2),
           BorderWidthAt(1) + maxBottom + BorderWidthAt(3));
  }
}

Rect TlePopupWindow::AnchorScreenBounds() const {
  if (!AnchorParent) return AnchorBounds;
  const QPoint tl = AnchorParent->mapToGlobal(QPoint(AnchorBounds.left, AnchorBounds.top));
  const QPoint br = AnchorParent->mapToGlobal(QPoint(AnchorBounds.right, AnchorBounds.bottom));
  return {tl.x(), tl.y(), br.x(), br.y()};
}

void TlePopupWindow::PreparePopup() {
  if (AnchorParent) setFont(AnchorParent->font());
}

void TlePopupWindow::DrawPopupFrame(TleCanvas& canvas) const {
  Rect r{0, 0, width(), height()};
  switch (FrameKind) {
    case 1:
      canvas.FillSideBands(r, FrameLineColor, false, bsAll, 1);
      break;
    case 2:
      canvas.DrawEdgeRing(r, false, bsAll, false);
      break;
    case 3:
      canvas.DrawEdgeRing(r, false, bsAll, true);
      canvas.DrawEdgeRing(r.Inflate(-1, -1), false, bsAll, false);
      break;
    default:
      break;
  }
}

void TlePopupWindow::ShowPopup() {
  PreparePopup();
  FitToChildren();
  move(CalculatePopupPosition(Placement, AnchorScreenBounds(), size()));
  show();
}

void TlePopupWindow::ClosePopup() {
  hide();
}

void TlePopupWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  winshim::Dc dc(painter, size());
  TleCanvas canvas(dc);
  DrawPopupFrame(canvas);
}

bool TlePopupWindow::event(QEvent* e) {
  const bool r = QWidget::event(e);
  if (e->type() == QEvent::WindowDeactivate && isVisible()) ClosePopup();
  if (e->type() == QEvent::Show || e->type() == QEvent::Hide) VisibleChanged();
  return r;
}

}  // namespace kelmo::le
