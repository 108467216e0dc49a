// Regions are QRegions; these are the Win32 region calls over them.
#pragma once

#include <QPolygon>
#include <QRegion>

#include "winshim/win_types.h"

class QWidget;

namespace kelmo::winshim {

// CombineRgn modes.
enum CombineMode : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
// What CombineRgn and the clipping calls answer.
enum RegionKind : int { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
// Polygon fill modes.
enum PolyFillMode : int { ALTERNATE = 1, WINDING = 2 };

QRegion CreateRectRgn(int left, int top, int right, int bottom);
inline QRegion CreateRectRgn(const Rect& r) {
  return CreateRectRgn(r.left, r.top, r.right, r.bottom);
}
// A rounded rectangle whose corners are ellipses of w x h.
QRegion CreateRoundRectRgn(int left, int top, int right, int bottom, int w, int h);
QRegion CreateEllipticRgn(int left, int top, int right, int bottom);
QRegion CreatePolygonRgn(const QPolygon& points, PolyFillMode mode);

// dest = a (mode) b; b is not used by RGN_COPY. Returns the kind of dest.
RegionKind CombineRgn(QRegion& dest, const QRegion& a, const QRegion& b, CombineMode mode);
RegionKind RegionKindOf(const QRegion& region);
void OffsetRgn(QRegion& region, int dx, int dy);
bool PtInRegion(const QRegion& region, int x, int y);
bool RectInRegion(const QRegion& region, const Rect& r);
// The bounding rectangle; the kind of the region.
RegionKind GetRgnBox(const QRegion& region, Rect& box);

// A window's region is the widget's mask; an empty region removes it.
void SetWindowRgn(QWidget* window, const QRegion& region, bool redraw);
// The widget's mask; NULLREGION-kind when it has none.
RegionKind GetWindowRgn(const QWidget* window, QRegion& region);

}  // namespace kelmo::winshim
