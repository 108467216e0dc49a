// The library's popup window: a borderless stay-on-top window that opens
// beside or below an anchor rectangle, flips to the other side when it does
// not fit on the monitor's work area, fits itself to its children inside
// its frame, and closes when it loses activation.
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>

#include "lookandfeel/canvas.h"

namespace kelmo::le {

// The work area of the monitor nearest the point (the primary screen's when
// no screen holds it). Tests may put their own in its place.
QRect WorkAreaAtPoint(QPoint p);
using WorkAreaProvider = std::function<QRect(QPoint)>;
void SetWorkAreaProvider(WorkAreaProvider provider);

struct PopupPlacement {
  int horizontal = 0;  // 0 left, 1 centre, 2 right
  int vertical = 2;    // 0 top, 1 centre, 2 bottom
  int direction = 1;   // 0 horizontal, 1 vertical
};

// The popup's top-left for an anchor (screen rectangle) and a size, flipped
// along the opening direction when it does not fit and clamped across it.
QPoint CalculatePopupPosition(const PopupPlacement& placement, const Rect& anchor, QSize size);

class TlePopupWindow : public QWidget {
 public:
  TlePopupWindow();
  ~TlePopupWindow() override;

  bool AutoSizeToChildren = true;
  PopupPlacement Placement;
  int FrameKind = 0;  // 0 none, 1 single line, 2 raised edge, 3 double raised edge
  int ExtraBorderSpace = 0;
  TColor FrameLineColor = clWindowText;
  Rect AnchorBounds;  // in the anchor parent's client coordinates
  QPointer<QWidget> AnchorParent;

  virtual int FrameWidthAt(int side) const;
  int BorderWidthAt(int side) const { return FrameWidthAt(side) + ExtraBorderSpace; }
  // Places the children inside the frame (the border offset applied once,
  // however often it runs) and sizes the popup around them.
  virtual void FitToChildren();
  virtual Rect AnchorScreenBounds() const;
  virtual void PreparePopup();
  void DrawPopupFrame(TleCanvas& canvas) const;
  virtual void ShowPopup();
  virtual void ClosePopup();
  virtual void VisibleChanged() {}

 protected:
  void paintEvent(QPaintEvent* e) override;
  bool event(QEvent* e) override;

 private:
  QPoint appliedOffset_;
};

}  // namespace kelmo::le
