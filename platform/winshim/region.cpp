#include "winshim/region.h"

#include <QWidget>

namespace kelmo::winshim {

QRegion CreateRectRgn(int left, int top, int right, int bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  return QRegion(left, top, right - left, bottom - top);
}

QRegion CreateRoundRectRgn(int left, int top, int right, int bottom, int w, int h) {
  if (right - left <= 0 || bottom - top <= 0) return {};
  w = std::min(std::abs(w), right - left);
  h = std::min(std::abs(h), bottom - top);
  if (w < 2 || h < 2) return CreateRectRgn(left, top, right, bottom);
  QRegion body(left + w / 2, top, right - left - 2 * (w / 2), bottom - top);
  body += QRegion(left, top + h / 2, right - left, bottom - top - 2 * (h / 2));
  const QRegion ellipse(0, 0, w, h, QRegion::Ellipse);
  const int hw = w / 2, hh = h / 2;
  // Each corner takes the matching quarter of one ellipse.
  body += (ellipse & QRegion(0, 0, hw, hh)).translated(left, top);
  body += (ellipse & QRegion(w - hw, 0, hw, hh)).translated(right - w, top);
  body += (ellipse & QRegion(0, h - hh, hw, hh)).translated(left, bottom - h);
  body += (ellipse & QRegion(w - hw, h - hh, hw, hh)).translated(right - w, bottom - h);
  return body;
}

QRegion CreateEllipticRgn(int left, int top, int right, int bottom) {
  if (right - left <= 0 || bottom - top <= 0) return {};
  return QRegion(left, top, right - left, bottom - top, QRegion::Ellipse);
}

QRegion CreatePolygonRgn(const QPolygon& points, PolyFillMode mode) {
  return QRegion(points, mode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
}

RegionKind RegionKindOf(const QRegion& region) {
  if (region.isEmpty()) return NULLREGION;
  return region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RegionKind CombineRgn(QRegion& dest, const QRegion& a, const QRegion& b, CombineMode mode) {
  switch (mode) {
    case RGN_AND:
      dest = a & b;
      break;
    case RGN_OR:
      dest = a | b;
      break;
    case RGN_XOR:
      dest = a ^ b;
      break;
    case RGN_DIFF:
      dest = a - b;
      break;
    case RGN_COPY:
      dest = a;
      break;
    default:
      return RGN_ERROR;
  }
  return RegionKindOf(dest);
}

void OffsetRgn(QRegion& region, int dx, int dy) {
  region.translate(dx, dy);
}

bool PtInRegion(const QRegion& region, int x, int y) {
  return region.contains(QPoint(x, y));
}

bool RectInRegion(const QRegion& region, const Rect& r) {
  return !r.IsEmpty() && region.intersects(r.ToQRect());
}

RegionKind GetRgnBox(const QRegion& region, Rect& box) {
  box = region.isEmpty() ? Rect{} : Rect::FromQRect(region.boundingRect());
  return RegionKindOf(region);
}

void SetWindowRgn(QWidget* window, const QRegion& region, bool redraw) {
  if (!window) return;
  if (region.isEmpty())
    window->clearMask();
  else
    window->setMask(region);
  if (redraw) window->update();
}

RegionKind GetWindowRgn(const QWidget* window, QRegion& region) {
  region = window ? window->mask() : QRegion();
  return RegionKindOf(region);
}

}  // namespace kelmo::winshim
