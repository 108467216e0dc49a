// Rectangles, points and colour values in the shapes the skinning code is
// written in: a rectangle's right and bottom edges lie outside it, a colour
// value holds red in its low byte, then green, then blue.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <algorithm>
#include <cstdint>

namespace kelmo::winshim {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect Inflate(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
  static Rect FromQRect(const QRect& r) {
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
  }
  static Rect Sized(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
  bool operator==(const Rect&) const = default;
};

// The intersection; an empty result is the zero rectangle.
inline Rect IntersectRect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  return r.IsEmpty() ? Rect{} : r;
}

// A colour reference: 0x00BBGGRR.
using ColorRef = std::uint32_t;

// The framework's colour type: a colour reference, or a system colour
// (0xFF000000 plus the colour index), or one of the two marks below.
using TColor = std::int32_t;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);

constexpr ColorRef RGB(int r, int g, int b) {
  return ColorRef(r & 0xFF) | (ColorRef(g & 0xFF) << 8) | (ColorRef(b & 0xFF) << 16);
}
constexpr int GetRValue(ColorRef c) {
  return int(c & 0xFF);
}
constexpr int GetGValue(ColorRef c) {
  return int((c >> 8) & 0xFF);
}
constexpr int GetBValue(ColorRef c) {
  return int((c >> 16) & 0xFF);
}

inline QColor ToQColor(ColorRef c) {
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
inline ColorRef FromQColor(const QColor& c) {
  return RGB(c.red(), c.green(), c.blue());
}

}  // namespace kelmo::winshim
