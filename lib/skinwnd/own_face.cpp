#include "skinwnd/own_face.h"

#include <QImage>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "winshim/dc.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;

namespace {

std::vector<ws::HWND>& Rendering() {
  static std::vector<ws::HWND> windows;
  return windows;
}

}  // namespace

void PaintOwnFace(ws::HWND wnd, ws::Dc& dc) {
  QWidget* w = ws::WidgetOf(wnd);
  if (!w || w->width() <= 0 || w->height() <= 0 || PaintingOwnFace(wnd)) return;
  QImage face(w->size(), QImage::Format_BGR888);
  face.fill(w->palette().color(w->backgroundRole()));
  Rendering().push_back(wnd);
  // Called from the widget's own paint event: Qt would take the rendering
  // for a repaint inside it and skip it.
  const bool inPaint = w->testAttribute(Qt::WA_WState_InPaintEvent);
  w->setAttribute(Qt::WA_WState_InPaintEvent, false);
  w->render(&face, QPoint(), QRegion(), QWidget::DrawChildren);
  w->setAttribute(Qt::WA_WState_InPaintEvent, inPaint);
  Rendering().pop_back();
  ws::Dc src(face);
  dc.BitBlt(0, 0, face.width(), face.height(), src, 0, 0, ws::SRCCOPY);
}

bool PaintingOwnFace(ws::HWND wnd) {
  const auto& r = Rendering();
  return std::find(r.begin(), r.end(), wnd) != r.end();
}

bool IsOwnFacePaint(ws::HWND wnd, const ws::Msg& msg) {
  return (msg.msg == ws::WM_PAINT || msg.msg == ws::WM_ERASEBKGND) && PaintingOwnFace(wnd);
}

}  // namespace kelmo::skinwnd
