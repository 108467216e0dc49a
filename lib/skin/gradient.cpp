#include "skin/gradient.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "winshim/dib.h"

namespace kelmo::skin {
namespace {

int ToInt(const QString& s) {
  bool ok = false;
  const int v = s.trimmed().toInt(&ok, 10);
  if (!ok) throw std::invalid_argument("'" + s.toStdString() + "' is not a valid integer value");
  return v;
}

// Writes one pixel of a colour: blue, green, red, and alpha 255 in 32 bits.
inline void Put(std::uint8_t* p, int bpp, int r, int g, int b) {
  p[0] = std::uint8_t(b);
  p[1] = std::uint8_t(g);
  p[2] = std::uint8_t(r);
  if (bpp == 4) p[3] = 255;
}

// A band of n + 1 positions from C1 to C2: single-precision channels moved by
// double-precision steps, each written rounded to the nearest (ties to even).
template <typename Write>
void Band(int s, int e, winshim::TColor c1, winshim::TColor c2, Write&& write) {
  const int n = e - s;
  float ch[3] = {float(c1 & 0xFF), float((c1 >> 8) & 0xFF), float((c1 >> 16) & 0xFF)};
  const double step[3] = {(double(c2 & 0xFF) - ch[0]) / n, (double((c2 >> 8) & 0xFF) - ch[1]) / n,
                          (double((c2 >> 16) & 0xFF) - ch[2]) / n};
  for (int pos = s; pos <= e; ++pos) {
    write(pos, int(std::nearbyint(ch[0])), int(std::nearbyint(ch[1])), int(std::nearbyint(ch[2])));
    for (int k = 0; k < 3; ++k) ch[k] = float(ch[k] + step[k]);
  }
}

// One triangle of the four-triangle mode, with colours interpolated over it
// as the system's triangle gradient does.
struct Vertex {
  double x, y;
  double r, g, b;
};

void FillTriangle(QImage& img, const Vertex& a, const Vertex& b, const Vertex& c) {
  const int bpp = winshim::DibBytesPerPixel(img);
  const double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
  if (area == 0) return;
  const int x0 = std::max(0, int(std::floor(std::min({a.x, b.x, c.x}))));
  const int x1 = std::min(img.width() - 1, int(std::ceil(std::max({a.x, b.x, c.x}))));
  const int y0 = std::max(0, int(std::floor(std::min({a.y, b.y, c.y}))));
  const int y1 = std::min(img.height() - 1, int(std::ceil(std::max({a.y, b.y, c.y}))));
  for (int y = y0; y <= y1; ++y) {
    std::uint8_t* row = img.scanLine(y);
    for (int x = x0; x <= x1; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const double w0 = ((b.x - px) * (c.y - py) - (c.x - px) * (b.y - py)) / area;
      const double w1 = ((c.x - px) * (a.y - py) - (a.x - px) * (c.y - py)) / area;
      const double w2 = 1 - w0 - w1;
      if (w0 < 0 || w1 < 0 || w2 < 0) continue;
      Put(row + x * bpp, bpp, int(w0 * a.r + w1 * b.r + w2 * c.r),
          int(w0 * a.g + w1 * b.g + w2 * c.g), int(w0 * a.b + w1 * b.b + w2 * c.b));
    }
  }
}

}  // namespace

void ParseGradientData(const QString& text, TkGradArray& stops) {
  stops.clear();
  if (text.isEmpty()) return;
  const QStringList values = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
  const int n = int(values.size()) / 5;
  stops.resize(std::size_t(n));
  for (int i = 0; i < n; ++i) {
    TkGradStop& s = stops[std::size_t(i)];
    s.Color1 = std::max(0, ToInt(values[5 * i]));
    s.Color2 = std::max(0, ToInt(values[5 * i + 1]));
    s.Percent = std::uint8_t(std::clamp(ToInt(values[5 * i + 2]), 0, 100));
    s.Mode = ToInt(values[5 * i + 3]);
  }
}

void PaintGradientRect(QImage& bitmap, winshim::Rect r, const TkGradArray& stops, int offset) {
  r.right = std::min(r.right, bitmap.width());
  r.bottom = std::min(r.bottom, bitmap.height());
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  if (stops.empty()) return;
  const int mode = stops.front().Mode;
  const int bpp = winshim::DibBytesPerPixel(bitmap);
  const int lastRow = std::min(bitmap.height(), r.bottom) - 1;
  const int lastCol = std::min(bitmap.width(), r.right) - 1;
  if (mode == 0 && bpp) {
    int y = r.top + offset;
    for (std::size_t i = 0; i < stops.size(); ++i) {
      const int s = y;
      y = s + stops[i].Percent * (r.Height() + offset) / 100;
      y = (i + 1 == stops.size()) ? lastRow : std::min(y, lastRow);
      if (y <= s) continue;
      Band(s, y, stops[i].Color1, stops[i].Color2, [&](int row, int red, int green, int blue) {
        if (row < 0 || row >= bitmap.height()) return;
        std::uint8_t* p = bitmap.scanLine(row);
        for (int x = r.left; x <= lastCol; ++x) Put(p + x * bpp, bpp, red, green, blue);
      });
    }
  } else if (mode == 1 && bpp) {
    const double scale = r.Width() / 100.0;
    for (int row = r.top; row < r.bottom; ++row) {
      std::uint8_t* p = bitmap.scanLine(row);
      int x = r.left;
      for (std::size_t i = 0; i < stops.size(); ++i) {
        const int s = x;
        x = int(std::nearbyint(stops[i].Percent * scale + s));
        x = (i + 1 == stops.size()) ? lastCol : std::min(x, lastCol);
        if (x <= s) continue;
        Band(s, x, stops[i].Color1, stops[i].Color2, [&](int col, int red, int green, int blue) {
          if (col >= 0 && col < bitmap.width()) Put(p + col * bpp, bpp, red, green, blue);
        });
      }
    }
  } else if (mode == 2 && bpp) {
    const int w = r.Width(), h = r.Height();
    const double px[5] = {double(r.left), double(r.left + w / 2), double(r.right), double(r.right),
                          double(r.left)};
    const double py[5] = {double(r.top), double(r.top + h / 2), double(r.top), double(r.bottom),
                          double(r.bottom)};
    Vertex v[5];
    winshim::TColor c = 0;
    for (int k = 0; k < 5; ++k) {
      if (std::size_t(k) < stops.size()) c = stops[std::size_t(k)].Color1;
      v[k] = {px[k], py[k], double(c & 0xFF), double((c >> 8) & 0xFF), double((c >> 16) & 0xFF)};
    }
    FillTriangle(bitmap, v[0], v[1], v[2]);
    FillTriangle(bitmap, v[1], v[2], v[3]);
    FillTriangle(bitmap, v[0], v[1], v[4]);
    FillTriangle(bitmap, v[4], v[1], v[3]);
  }
}

}  // namespace kelmo::skin
