// Splitter: a thin panel the user drags to resize a neighbouring aligned
// control. While dragging, an inverted line shows the new edge on the
// window; the resize happens when the mouse button is released, Escape
// cancels. The line stops TopLeftLimit / BottomRightLimit pixels (20) from
// the parent's edges. Controls are aligned with xt_align.h; a parent with a
// TXtAlignLayout is re-arranged after the resize.
#pragma once

#include <QFrame>
#include <QPointer>
#include <functional>
#include <memory>

#include "xt_align.h"

enum class TSplitKind { skNone, skFirstHeight, skSecondHeight, skFirstWidth, skSecondWidth };

class TXtSplitter : public QFrame {
  Q_OBJECT
 public:
  // May refuse a position (allow false).
  using TSplitterMoveEvent = std::function<void(int x, int y, bool& allow)>;

  explicit TXtSplitter(QWidget* parent = nullptr);
  ~TXtSplitter() override;

  QWidget* ControlFirst() const { return controlFirst_; }
  void SetControlFirst(QWidget* control);
  QWidget* ControlSecond() const { return controlSecond_; }
  void SetControlSecond(QWidget* control);
  TAlign Align() const { return ControlAlign(this); }
  // Taking an edge from none or client makes the splitter 3 thick; without
  // controls the neighbour on the aligned side becomes ControlFirst.
  void SetAlign(TAlign align);
  int TopLeftLimit() const { return topLeftLimit_; }
  void SetTopLeftLimit(int limit) { topLeftLimit_ = limit; }
  int BottomRightLimit() const { return bottomRightLimit_; }
  void SetBottomRightLimit(int limit) { bottomRightLimit_ = limit; }
  void SetOnPosChanging(TSplitterMoveEvent handler) { onPosChanging_ = std::move(handler); }

  TSplitKind SplitKind() const;
  bool Dragging() const { return dragging_; }
  // The line drawn during a drag, in the window's coordinates (empty when none).
  QRect LineRect() const;

 signals:
  void PosChanged();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateCursor();
  void StartSizing(const QPoint& pos);
  void StopSizing(bool apply, const QPoint& pos);
  QPoint HoldInLimits(QPoint pt, bool& heldX, bool& heldY) const;
  void DrawLine(const QPoint& pt);
  bool AskPosChanging(const QPoint& pt);
  QWidget* KindControl(TSplitKind kind) const;
  Qt::CursorShape KindCursor(TSplitKind kind) const;

  QPointer<QWidget> controlFirst_, controlSecond_;
  bool dragging_ = false;
  TSplitKind kind_ = TSplitKind::skNone;
  QPoint linePos_;  // the drawn line's point in the splitter's coordinates
  bool lineDrawn_ = false;
  QPoint pressPos_;
  bool noDropCursor_ = false;
  QPoint min_, max_;
  int topLeftLimit_ = 20;
  int bottomRightLimit_ = 20;
  std::unique_ptr<QWidget> line_;  // the inverted line on the window
  QPointer<QWidget> borrowedKeys_;
  bool lastAllowed_ = true;
  TSplitterMoveEvent onPosChanging_;
};
