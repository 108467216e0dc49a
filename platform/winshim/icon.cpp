#include "winshim/icon.h"

namespace kelmo::winshim {

QImage Icon::ToArgb() const {
  if (color.isNull()) return {};
  QImage out = color.convertToFormat(QImage::Format_ARGB32);
  bool anyAlpha = false;
  for (int y = 0; y < out.height() && !anyAlpha; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(out.constScanLine(y));
    for (int x = 0; x < out.width(); ++x)
      if (qAlpha(row[x]) != 0) {
        anyAlpha = true;
        break;
      }
  }
  if (anyAlpha) return out;
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      const bool hidden = !mask.isNull() && mask.pixelIndex(x, y) != 0;
      row[x] = hidden ? 0u : (row[x] | 0xFF000000u);
    }
  }
  return out;
}

}  // namespace kelmo::winshim
