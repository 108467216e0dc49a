// Derived system colours.
#include "lookandfeel/colors.h"

#include <algorithm>
#include <cstdint>

namespace kelmo::le {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  std::int64_t p = static_cast<std::int64_t>(a) * b;
  std::int64_t half = (c < 0 ? -c : c) / 2;
  bool negative = (p < 0) != (c < 0);
  std::int64_t ap = p < 0 ? -p : p, ac = c < 0 ? -c : c;
  std::int64_t q = (ap + half) / ac;
  return static_cast<int>(negative ? -q : q);
}

ColorRef NearestScreenColor(TColor c) {
  return ResolveColor(c);
}

ColorRef SystemColorMix(int p1, int p2, int p3) {
  const ColorRef face = winshim::GetSysColor(winshim::COLOR_BTNFACE);
  const ColorRef highlight = winshim::GetSysColor(winshim::COLOR_HIGHLIGHT);
  const ColorRef window = winshim::GetSysColor(winshim::COLOR_WINDOW);
  if (face == 0 || face == 0xFFFFFF) return highlight;
  ColorRef out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int v = MulDiv(static_cast<int>((face >> shift) & 0xFF), p1, 100) +
            MulDiv(static_cast<int>((highlight >> shift) & 0xFF), p2, 100) +
            MulDiv(static_cast<int>((window >> shift) & 0xFF), p3, 100);
    out |= static_cast<ColorRef>(std::clamp(v, 0, 255)) << shift;
  }
  return out;
}

ColorRef SystemHotColor() {
  return NearestScreenColor(static_cast<TColor>(SystemColorMix(-2, 30, 72)));
}
ColorRef SystemPressedColor() {
  return NearestScreenColor(static_cast<TColor>(SystemColorMix(14, 44, 40)));
}

}  // namespace kelmo::le
