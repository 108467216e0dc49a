// Splitter.
#include "xt_splitter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

// Paints white in exclusive-or over whatever the window shows beneath, so
// the line inverts the picture and leaves no trace once hidden.
class InvertedLine : public QWidget {
 public:
  explicit InvertedLine(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(rect(), Qt::white);
  }
};

bool Vertical(TSplitKind k) {
  return k == TSplitKind::skFirstHeight || k == TSplitKind::skSecondHeight;
}

}  // namespace

TXtSplitter::TXtSplitter(QWidget* parent) : QFrame(parent) {
  resize(185, 3);
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setAutoFillBackground(true);
}

TXtSplitter::~TXtSplitter() {
  if (dragging_) qApp->removeEventFilter(this);
}

void TXtSplitter::SetControlFirst(QWidget* control) {
  controlFirst_ =
      control == this || (control != nullptr && control->isWindow()) ? nullptr : control;
  UpdateCursor();
}

void TXtSplitter::SetControlSecond(QWidget* control) {
  controlSecond_ =
      control == this || (control != nullptr && control->isWindow()) ? nullptr : control;
  UpdateCursor();
}

void TXtSplitter::SetAlign(TAlign align) {
  const TAlign old = Align();
  if (old == TAlign::alNone || old == TAlign::alClient) {
    if (align == TAlign::alTop || align == TAlign::alBottom) resize(width(), 3);
    if (align == TAlign::alLeft || align == TAlign::alRight) resize(3, height());
  }
  SetControlAlign(this, align);
  QWidget* parent = parentWidget();
  if (!controlFirst_ && !controlSecond_ && parent != nullptr) {
    QPoint probe;
    switch (align) {
      case TAlign::alTop:
        probe = QPoint(x(), y() - 1);
        break;
      case TAlign::alBottom:
        probe = QPoint(x(), y() + height());
        break;
      case TAlign::alLeft:
        probe = QPoint(x() - 1, y());
        break;
      case TAlign::alRight:
        probe = QPoint(x() + width(), y());
        break;
      default:
        UpdateCursor();
        return;
    }
    for (QObject* child : parent->children()) {
      auto* w = qobject_cast<QWidget*>(child);
      if (w != nullptr && w != this && !w->isWindow() && w->geometry().contains(probe)) {
        controlFirst_ = w;
        break;
      }
    }
  }
  UpdateCursor();
}

TSplitKind TXtSplitter::SplitKind() const {
  if (!controlFirst_) return TSplitKind::skNone;
  const TAlign a1 = ControlAlign(controlFirst_);
  const bool hasSecond = !controlSecond_.isNull();
  const TAlign a2 = hasSecond ? ControlAlign(controlSecond_) : TAlign::alNone;
  TSplitKind kind = TSplitKind::skNone;
  if ((a1 == TAlign::alTop || a1 == TAlign::alBottom) && (!hasSecond || a2 == TAlign::alClient))
    kind = TSplitKind::skFirstHeight;
  else if (a1 == TAlign::alClient && hasSecond && (a2 == TAlign::alBottom || a2 == TAlign::alTop))
    kind = TSplitKind::skSecondHeight;
  else if ((a1 == TAlign::alLeft || a1 == TAlign::alRight) &&
           (!hasSecond || a2 == TAlign::alClient))
    kind = TSplitKind::skFirstWidth;
  else if (a1 == TAlign::alClient && hasSecond && (a2 == TAlign::alRight || a2 == TAlign::alLeft))
    kind = TSplitKind::skSecondWidth;
  if (kind != TSplitKind::skNone && Align() != ControlAlign(KindControl(kind)))
    kind = TSplitKind::skNone;
  return kind;
}

QWidget* TXtSplitter::KindControl(TSplitKind kind) const {
  switch (kind) {
    case TSplitKind::skFirstHeight:
    case TSplitKind::skFirstWidth:
      return controlFirst_;
    case TSplitKind::skSecondHeight:
    case TSplitKind::skSecondWidth:
      return controlSecond_;
    default:
      return nullptr;
  }
}

Qt::CursorShape TXtSplitter::KindCursor(TSplitKind kind) const {
  if (kind == TSplitKind::skNone) return Qt::ArrowCursor;
  return Vertical(kind) ? Qt::SplitVCursor : Qt::SplitHCursor;
}

void TXtSplitter::UpdateCursor() {
  const TSplitKind kind = SplitKind();
  if (kind == TSplitKind::skNone)
    unsetCursor();
  else
    setCursor(KindCursor(kind));
}

QRect TXtSplitter::LineRect() const {
  return line_ && line_->isVisible() ? line_->geometry() : QRect();
}

bool TXtSplitter::AskPosChanging(const QPoint& pt) {
  bool allow = true;
  if (onPosChanging_) onPosChanging_(pt.x(), pt.y(), allow);
  return allow;
}

void TXtSplitter::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || dragging_) {
    if (dragging_) StopSizing(true, event->position().toPoint());
    return;
  }
  kind_ = SplitKind();
  if (kind_ == TSplitKind::skNone) return;
  StartSizing(event->position().toPoint());
}

void TXtSplitter::StartSizing(const QPoint& pos) {
  dragging_ = true;
  lastAllowed_ = true;
  noDropCursor_ = false;
  // No hints while dragging.
  QToolTip::hideText();
  qApp->installEventFilter(this);
  grabMouse();
  borrowedKeys_ = QApplication::focusWidget();
  grabKeyboard();
  pressPos_ = pos;
  QWidget* parent = parentWidget();
  const QRect r = parent != nullptr ? parent->rect() : rect();
  min_ = QPoint(r.left() + topLeftLimit_, r.top() + topLeftLimit_) - this->pos();
  max_ = QPoint(r.width() - bottomRightLimit_, r.height() - bottomRightLimit_) - this->pos();
  line_ = std::make_unique<InvertedLine>(window());
  lineDrawn_ = false;
  DrawLine(QPoint(width() / 2, height() / 2));
}

QPoint TXtSplitter::HoldInLimits(QPoint pt, bool& heldX, bool& heldY) const {
  heldX = heldY = false;
  if (pt.x() - pressPos_.x() < min_.x()) {
    pt.setX(pressPos_.x() + min_.x());
    heldX = true;
  }
  if (pt.x() + width() - pressPos_.x() > max_.x()) {
    pt.setX(max_.x() + pressPos_.x() - width());
    heldX = true;
  }
  if (pt.y() - pressPos_.y() < min_.y()) {
    pt.setY(pressPos_.y() + min_.y());
    heldY = true;
  }
  if (pt.y() + height() - pressPos_.y() > max_.y()) {
    pt.setY(max_.y() + pressPos_.y() - height());
    heldY = true;
  }
  return pt;
}

void TXtSplitter::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  QPoint pt = event->position().toPoint();
  if (!AskPosChanging(pt)) {
    lastAllowed_ = false;
    noDropCursor_ = true;
    setCursor(Qt::ForbiddenCursor);
    return;
  }
  lastAllowed_ = true;
  bool heldX = false, heldY = false;
  pt = HoldInLimits(pt, heldX, heldY);
  const bool held = Vertical(kind_) ? heldY : heldX;
  if (held != noDropCursor_ || cursor().shape() == Qt::ForbiddenCursor) {
    noDropCursor_ = held;
    setCursor(held ? Qt::ForbiddenCursor : KindCursor(kind_));
  }
  DrawLine(QPoint(pt.x() + width() / 2 - pressPos_.x(), pt.y() + height() / 2 - pressPos_.y()));
}

void TXtSplitter::DrawLine(const QPoint& pt) {
  if (!line_) return;
  if (lineDrawn_ && (Vertical(kind_) ? pt.y() == linePos_.y() : pt.x() == linePos_.x())) return;
  QWidget* form = window();
  QWidget* parent = parentWidget() != nullptr ? parentWidget() : this;
  const QRect parentArea(parent->mapTo(form, QPoint(0, 0)), parent->size());
  const int thickness =
      Vertical(kind_) ? (height() < 4 ? 2 : height() - 2) : (width() < 4 ? 2 : width() - 2);
  const QPoint at = mapTo(form, pt);
  QRect r;
  if (Vertical(kind_)) {
    const QPoint left = mapTo(form, QPoint(0, 0));
    r = QRect(left.x(), at.y() - thickness / 2, width(), thickness);
  } else {
    const QPoint top = mapTo(form, QPoint(0, 0));
    r = QRect(at.x() - thickness / 2, top.y(), thickness, height());
  }
  line_->setGeometry(r.intersected(parentArea));
  line_->raise();
  line_->show();
  linePos_ = pt;
  lineDrawn_ = true;
}

void TXtSplitter::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_) StopSizing(true, event->position().toPoint());
}

void TXtSplitter::keyPressEvent(QKeyEvent* event) {
  if (!dragging_) {
    QFrame::keyPressEvent(event);
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    StopSizing(false, QPoint());
    return;
  }
  // Other keys go to the control the keyboard was borrowed from.
  if (borrowedKeys_) {
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text());
    QCoreApplication::sendEvent(borrowedKeys_, &copy);
  }
}

bool TXtSplitter::eventFilter(QObject* watched, QEvent* event) {
  if (dragging_ && event->type() == QEvent::ToolTip) return true;
  return QFrame::eventFilter(watched, event);
}

void TXtSplitter::StopSizing(bool apply, const QPoint& pos) {
  QPoint pt = pos;
  bool allow = true;
  if (apply) allow = AskPosChanging(pt);
  dragging_ = false;
  const QPoint drawn = linePos_;
  line_.reset();
  lineDrawn_ = false;
  if (apply && !allow) pt = drawn + pressPos_ - QPoint(width() / 2, height() / 2);
  qApp->removeEventFilter(this);
  if (mouseGrabber() == this) releaseMouse();
  if (keyboardGrabber() == this) releaseKeyboard();
  UpdateCursor();
  noDropCursor_ = false;
  if (!apply) return;
  bool heldX = false, heldY = false;
  pt = HoldInLimits(pt, heldX, heldY);
  QPoint press = pressPos_;
  QWidget* control = KindControl(kind_);
  QWidget* parent = parentWidget();
  if (control != nullptr && parent != nullptr) {
    if (ControlAlign(controlFirst_) == TAlign::alRight ||
        ControlAlign(controlSecond_) == TAlign::alRight) {
      pt.setX(-pt.x());
      press.setX(-press.x());
    }
    if (ControlAlign(controlFirst_) == TAlign::alBottom ||
        ControlAlign(controlSecond_) == TAlign::alBottom) {
      pt.setY(-pt.y());
      press.setY(-press.y());
    }
    if (Vertical(kind_)) {
      int h = control->height() + pt.y() - press.y();
      if (h < 1) h = 1;
      const int room = parent->height() - height();
      if (h >= room) h = room - 3;
      control->resize(control->width(), h);
    } else {
      int w = control->width() + pt.x() - press.x();
      if (w < 1) w = 1;
      const int room = parent->width() - width();
      if (w >= room) w = room - 3;
      control->resize(w, control->height());
    }
    RealignChildren(parent);
  }
  emit PosChanged();
}
