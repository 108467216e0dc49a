#include "skin/paint_primitives.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "skin/skin_messages.h"
#include "winshim/dib.h"
#include "winshim/layered_window.h"
#include "winshim/system_profile.h"

namespace kelmo::skin {

using px::At;
using px::Bpp;

namespace {

int Round(double v) {
  return int(std::nearbyint(v));
}
int R(TColor c) {
  return c & 0xFF;
}
int G(TColor c) {
  return (c >> 8) & 0xFF;
}
int B(TColor c) {
  return (c >> 16) & 0xFF;
}

// Walks the pixels of an inclusive source rect copied to (x, y), cut to the
// source and skipping what falls outside the target.
template <typename F>
void ForRect(const QImage& target, const QImage& source, Rect sr, int x, int y, F&& f) {
  sr.left = std::max(sr.left, 0);
  sr.top = std::max(sr.top, 0);
  sr.right = std::min(sr.right, source.width() - 1);
  sr.bottom = std::min(sr.bottom, source.height() - 1);
  for (int j = 0; j <= sr.bottom - sr.top; ++j) {
    const int ty = y + j;
    if (ty < 0 || ty >= target.height()) continue;
    for (int i = 0; i <= sr.right - sr.left; ++i) {
      const int tx = x + i;
      if (tx < 0 || tx >= target.width()) continue;
      f(tx, ty, sr.left + i, sr.top + j);
    }
  }
}

}  // namespace

QImage CreateBmp24(int width, int height) {
  return winshim::CreateDib24(width, height);
}
QImage CreateBmp32(int width, int height) {
  return winshim::CreateDib32(width, height);
}
QImage CreateBmpLike(const QImage& other) {
  return winshim::CreateDibLike(other);
}

TColor ColorAsIs(TColor c) {
  return c;
}

TColor MixColors(TColor c1, TColor c2, double x) {
  const int r = Round(R(c1) * x + R(c2) * (1 - x));
  const int g = Round(G(c1) * x + G(c2) * (1 - x));
  const int b = Round(B(c1) * x + B(c2) * (1 - x));
  return TColor((std::uint32_t(c1) & 0xFF000000u) | std::uint32_t(r | g << 8 | b << 16));
}

TColor DesaturateColor(TColor c, int percent) {
  if (percent == 0) return c;
  const double mean = (R(c) + G(c) + B(c)) / 3.0;
  auto ch = [&](int v) { return ClampByte(Round(v + percent * (mean - v) / 100.0)); };
  return TColor(ch(R(c)) | ch(G(c)) << 8 | ch(B(c)) << 16);
}

TColor ShiftColorHue(int degrees, TColor c) {
  const TColor rgb = TColor(winshim::ColorToRGB(c));
  const int r = R(rgb), g = G(rgb), b = B(rgb);
  const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  if (mx == mn) return rgb;
  const double delta = mx - mn;
  double h;
  if (mx == r)
    h = 60 * std::fmod((g - b) / delta, 6.0);
  else if (mx == g)
    h = 60 * ((b - r) / delta + 2);
  else
    h = 60 * ((r - g) / delta + 4);
  int hue = (Round(h) + degrees) % 360;
  if (hue < 0) hue += 360;
  const double s = delta / mx, v = mx;
  const double cc = v * s, x = cc * (1 - std::fabs(std::fmod(hue / 60.0, 2) - 1)), m = v - cc;
  double rr = 0, gg = 0, bb = 0;
  switch (hue / 60) {
    case 0:
      rr = cc;
      gg = x;
      break;
    case 1:
      rr = x;
      gg = cc;
      break;
    case 2:
      gg = cc;
      bb = x;
      break;
    case 3:
      gg = x;
      bb = cc;
      break;
    case 4:
      rr = x;
      bb = cc;
      break;
    default:
      rr = cc;
      bb = x;
      break;
  }
  return TColor(ClampByte(Round(rr + m)) | ClampByte(Round(gg + m)) << 8 |
                ClampByte(Round(bb + m)) << 16);
}

bool LayeredWindowsAvailable() {
  return winshim::LayeredWindowsAvailable();
}

void GreyBmp(QImage& bmp) {
  if (Bpp(bmp) != 3) return;
  for (int y = 0; y < bmp.height(); ++y) {
    std::uint8_t* p = bmp.scanLine(y);
    for (int x = 0; x < bmp.width(); ++x, p += 3)
      p[0] = p[1] = p[2] = std::uint8_t((p[0] + p[1] + p[2]) / 3);
  }
}

void CopyBmpChannel(QImage& bmp32, QImage& bmp8, int channel, bool toEightBit) {
  if (Bpp(bmp32) != 4 || bmp8.depth() != 8 || bmp32.size() != bmp8.size() || channel < 0 ||
      channel > 3)
    return;
  for (int y = 0; y < bmp32.height(); ++y) {
    std::uint8_t* p = bmp32.scanLine(y);
    std::uint8_t* q = bmp8.scanLine(y);
    for (int x = 0; x < bmp32.width(); ++x) {
      if (toEightBit)
        q[x] = p[4 * x + channel];
      else
        p[4 * x + channel] = q[x];
    }
  }
}

void CopyBmpWithKey(QImage& target, const QImage& source, int x, TColor key, int y) {
  const int tb = Bpp(target);
  if (!tb || Bpp(source) != 3) return;
  ForRect(target, source, {0, 0, source.width() - 1, source.height() - 1}, x, y,
          [&](int tx, int ty, int sx, int sy) {
            const std::uint8_t* s = At(source, sx, sy);
            if (px::IsKey(s, key)) return;
            std::uint8_t* t = At(target, tx, ty);
            t[0] = s[0], t[1] = s[1], t[2] = s[2];
            if (tb == 4) t[3] = 255;
          });
}

void CopyKeyedRect(QImage& target, const QImage& source, int x, const TBgSource&, TColor key,
                   Rect sr, int y) {
  if (Bpp(target) != 3 || Bpp(source) != 3) return;
  ForRect(target, source, sr, x, y, [&](int tx, int ty, int sx, int sy) {
    const std::uint8_t* s = At(source, sx, sy);
    if (px::IsKey(s, key)) return;
    std::uint8_t* t = At(target, tx, ty);
    t[0] = s[0], t[1] = s[1], t[2] = s[2];
  });
}

void CopyKeyedRectOverBg(QImage& target, const QImage& source, int x, bool fill,
                         const TBgSource& bg, TColor key, Rect sr, int y) {
  const int tb = Bpp(target), sb = Bpp(source);
  if (!tb || !sb) return;
  const bool hasBmp = bg.HasBitmap && bg.Bitmap && !bg.Bitmap->isNull();
  if (fill && hasBmp) {
    const QImage& b = *bg.Bitmap;
    const int bb = Bpp(b);
    if (sb != 3 || !bb || (tb == 4 && bb != 4)) return;
    const bool self = &b == &target;
    ForRect(target, source, sr, x, y, [&](int tx, int ty, int sx, int sy) {
      const std::uint8_t* s = At(source, sx, sy);
      std::uint8_t* t = At(target, tx, ty);
      if (px::IsKey(s, key)) {
        if (self) return;
        const int bx = tx + bg.X, by = ty + bg.Y;
        if (!px::Inside(b, bx, by)) return;
        const std::uint8_t* q = At(b, bx, by);
        t[0] = q[0], t[1] = q[1], t[2] = q[2];
      } else {
        t[0] = s[0], t[1] = s[1], t[2] = s[2];
      }
      if (tb == 4) t[3] = 255;
    });
  } else if (hasBmp) {
    if (tb != sb) return;
    ForRect(target, source, sr, x, y, [&](int tx, int ty, int sx, int sy) {
      const std::uint8_t* s = At(source, sx, sy);
      if (sb == 4 ? (std::uint32_t(s[0] | s[1] << 8 | s[2] << 16 | s[3] << 24) ==
                     (0xFF000000u | std::uint32_t(B(key) | G(key) << 8 | R(key) << 16)))
                  : px::IsKey(s, key))
        return;
      std::memcpy(At(target, tx, ty), s, std::size_t(sb));
    });
  } else {
    ForRect(target, source, sr, x, y, [&](int tx, int ty, int sx, int sy) {
      const std::uint8_t* s = At(source, sx, sy);
      std::uint8_t* t = At(target, tx, ty);
      if (px::IsKey(s, key)) {
        px::PutColor(t, bg.Color);
        if (tb == 4) t[3] = 255;
      } else {
        t[0] = s[0], t[1] = s[1], t[2] = s[2];
        if (tb == 4) t[3] = sb == 4 ? s[3] : 255;
      }
    });
  }
}

void BlendBmp(QImage& target, int x, int y, TColor key, double d, Rect sr, const QImage& source) {
  const int tb = Bpp(target), sb = Bpp(source);
  if (!tb || !sb || (tb == 4 && sb != 3)) return;
  const bool noKey = (std::uint32_t(key) >> 24) == 0xFF;
  ForRect(target, source, sr, x, y, [&](int tx, int ty, int sx, int sy) {
    const std::uint8_t* s = At(source, sx, sy);
    if (!noKey) {
      if (sb == 3 && px::IsKey(s, key)) return;
      if (sb == 4 &&
          std::uint32_t(s[2] | s[1] << 8 | s[0] << 16 | s[3] << 24) == std::uint32_t(key))
        return;
    }
    std::uint8_t* t = At(target, tx, ty);
    for (int c = 0; c < 3; ++c) t[c] = std::uint8_t(ClampByte(Round(s[c] - d * (s[c] - t[c]))));
  });
}

void BlendBmpWithColor(QImage& bitmap, TColor color, TColor key, double d) {
  const int bpp = Bpp(bitmap);
  if (!bpp) return;
  const int col[3] = {B(color), G(color), R(color)};
  for (int y = 0; y < bitmap.height(); ++y) {
    std::uint8_t* p = bitmap.scanLine(y);
    for (int x = 0; x < bitmap.width(); ++x, p += bpp) {
      if (px::IsKey(p, key)) continue;
      for (int c = 0; c < 3; ++c)
        p[c] = std::uint8_t(ClampByte(Round(col[c] + d * (p[c] - col[c]))));
    }
  }
}

void BlendBmpRect(QImage& target, const QImage& source, std::uint8_t weight, QPoint point,
                  Rect sr) {
  const int bpp = Bpp(target);
  if (!bpp || Bpp(source) != bpp || target.width() < 2 || target.height() < 2 ||
      source.width() < 2 || source.height() < 2)
    return;
  if (point.x() < 0) {
    sr.left -= point.x();
    point.setX(0);
  }
  if (point.y() < 0) {
    sr.top -= point.y();
    point.setY(0);
  }
  // The destination rect, and the source row counted up from the source's bottom.
  const int w = std::min({sr.Width(), target.width() - point.x(), source.width() - sr.left});
  const int h = std::min({sr.Height(), target.height() - point.y(), source.height() - sr.top});
  if (w <= 0 || h <= 0) return;
  const unsigned wt = weight, ws = 255u - weight;
  for (int j = 0; j < h; ++j) {
    std::uint8_t* t = At(target, point.x(), point.y() + j);
    const std::uint8_t* s = At(source, sr.left, sr.top + j);
    for (int k = 0; k < w * bpp; ++k) t[k] = std::uint8_t((t[k] * wt + s[k] * ws + 127) >> 8);
  }
}

void BlendToColorByMask(QImage& bmp, const QImage& mask, TColor color) {
  if (Bpp(bmp) != 3 || Bpp(mask) != 3 || bmp.size() != mask.size()) return;
  const int col[3] = {B(color), G(color), R(color)};
  for (int y = 0; y < bmp.height(); ++y) {
    std::uint8_t* p = bmp.scanLine(y);
    const std::uint8_t* m = mask.constScanLine(y);
    for (int x = 0; x < bmp.width() * 3; x += 3) {
      for (int c = 0; c < 2; ++c)
        p[x + c] = std::uint8_t(ClampByte((col[c] * 256 + (p[x + c] - col[c]) * m[x + c]) >> 8));
      p[x + 2] = std::uint8_t(ClampByte(col[2] - ((m[x + 2] * (col[2] - p[x + 2]) + 255) >> 8)));
    }
  }
}

void BlendRoundRectSteps(QImage& bitmap, Rect rect, int percent, int cornerSize, int steps,
                         TColor color) {
  if (Bpp(bitmap) == 0 || rect.IsEmpty()) return;
  QImage work = bitmap.copy(rect.ToQRect()).convertToFormat(QImage::Format_BGR888);
  QImage mask = CreateBmp24(work.width(), work.height());
  mask.fill(Qt::white);
  {
    QPainter p(&mask);
    p.setPen(Qt::NoPen);
    const int target = percent * 255 / 100;
    // Without steps the whole rect is at the level (the faded look of an
    // unavailable scroll bar); with steps the outer ring keeps the bitmap.
    for (int k = 0; k <= steps; ++k) {
      const int level = steps == 0 ? target : 255 - (255 - target) * k / steps;
      p.setBrush(QColor(level, level, level));
      p.drawRoundedRect(QRect(k, k, work.width() - 2 * k, work.height() - 2 * k), cornerSize,
                        cornerSize, Qt::AbsoluteSize);
    }
  }
  BlendToColorByMask(work, mask, color);
  QPainter p(&bitmap);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(rect.left, rect.top, work);
}

void AlphaCopyRect(Rect tr, Rect sr, QImage& target, bool reflection, int percent, TColor tint,
                   bool fill, const TBgSource& bg, QImage& source) {
  if (Bpp(target) != 3 || source.isNull()) return;
  if (Bpp(source) != 4) source = winshim::ConvertDib(source, 32);
  constexpr std::uint32_t kKey = 0x00FF00FFu;  // $FF00FF as a 32-bit pixel value
  auto value = [](const std::uint8_t* s) {
    return std::uint32_t(s[0] | s[1] << 8 | s[2] << 16 | std::uint32_t(s[3]) << 24);
  };
  if (tint != winshim::clNone) {
    for (int y = std::max(0, sr.top); y < std::min(sr.bottom, source.height()); ++y)
      for (int x = std::max(0, sr.left); x < std::min(sr.right, source.width()); ++x) {
        std::uint8_t* s = At(source, x, y);
        if (value(s) == kKey) continue;
        const int m = (s[0] + s[1] + s[2]) / 3;
        s[0] = std::uint8_t(std::min(255, Round(m * B(tint) / 255.0)));
        s[1] = std::uint8_t(std::min(255, Round(m * G(tint) / 255.0)));
        s[2] = std::uint8_t(std::min(255, Round(m * R(tint) / 255.0)));
      }
  }
  const bool hasBmp = bg.HasBitmap && bg.Bitmap && Bpp(*bg.Bitmap);
  const int w = std::min(tr.Width(), sr.Width()), h = std::min(tr.Height(), sr.Height());
  for (int j = 0; j < h; ++j) {
    const int ty = tr.top + j, sy = sr.top + j;
    if (ty < 0 || ty >= target.height() || sy < 0 || sy >= source.height()) continue;
    for (int i = 0; i < w; ++i) {
      const int tx = tr.left + i, sx = sr.left + i;
      if (tx < 0 || tx >= target.width() || sx < 0 || sx >= source.width()) continue;
      const std::uint8_t* s = At(source, sx, sy);
      std::uint8_t* t = At(target, tx, ty);
      if (hasBmp && value(s) == kKey) {
        if (!fill) continue;
        const int bx = tx + bg.X, by = ty + bg.Y;
        if (!px::Inside(*bg.Bitmap, bx, by)) continue;
        const std::uint8_t* q = At(*bg.Bitmap, bx, by);
        t[0] = q[0], t[1] = q[1], t[2] = q[2];
        continue;
      }
      const int wgt = percent == 0 ? s[3] : (100 - percent) * s[3] / 100;
      for (int c = 0; c < 3; ++c) t[c] = std::uint8_t(t[c] + (((s[c] - t[c]) * wgt) >> 8));
    }
  }
  if (!reflection) return;
  const int sh = source.height();
  const int n = std::min(sh / 2 - 1, target.height() - tr.bottom - 1);
  int level = 255;
  const int drop = sh / 2 > 0 ? 255 / (sh / 2) : 255;
  for (int k = 1; k <= n; ++k) {
    const int ty = tr.bottom + k, sy = sr.bottom - 1 - k;
    if (sy >= 0 && sy < sh) {
      for (int i = 0; i < w; ++i) {
        const int tx = tr.left + i, sx = sr.left + i;
        if (tx < 0 || tx >= target.width() || sx < 0 || sx >= source.width()) continue;
        const std::uint8_t* s = At(source, sx, sy);
        if (value(s) == kKey) continue;
        const int wgt =
            percent == 0 ? level * (s[3] / 3) / 255 : ((100 - percent) * s[3] / 300) * level / 255;
        std::uint8_t* t = At(target, tx, ty);
        for (int c = 0; c < 3; ++c) t[c] = std::uint8_t(t[c] + ((wgt * (s[c] - t[c])) >> 8));
      }
    }
    level -= drop;
  }
}

void BlitMaskFromMaster(Rect tr, Rect sr, QImage& target, const TkMaskData& mask, bool fill,
                        const TBgSource& bg, const QImage& source) {
  const int tb = Bpp(target);
  if (!tb || Bpp(source) != 3) return;
  const int half = mask.R.Height() / 2;
  const bool hasBmp = bg.HasBitmap && bg.Bitmap && Bpp(*bg.Bitmap);
  const int w = std::min(tr.Width(), sr.Width()), h = std::min(tr.Height(), sr.Height());
  // The columns inside both bitmaps, found once; rows are reached once each.
  const int i0 = std::max({0, -tr.left, -sr.left});
  const int i1 = std::min({w, target.width() - tr.left, source.width() - sr.left});
  if (i1 <= i0) return;
  for (int j = 0; j < h; ++j) {
    const int ty = tr.top + j, sy = sr.top + j, my = sy + half;
    if (ty < 0 || ty >= target.height() || sy < 0 || my >= source.height()) continue;
    std::uint8_t* trow = target.scanLine(ty) + std::ptrdiff_t(tr.left) * tb;
    const std::uint8_t* srow = source.constScanLine(sy) + std::ptrdiff_t(sr.left) * 3;
    const std::uint8_t* mrow = source.constScanLine(my) + std::ptrdiff_t(sr.left) * 3;
    for (int i = i0; i < i1; ++i) {
      const std::uint8_t* s = srow + 3 * i;
      std::uint8_t* t = trow + tb * i;
      if (s[0] == 0xFF && s[1] == 0 && s[2] == 0xFF) {  // the key colour
        if (!hasBmp) {
          if (fill) {
            px::PutColor(t, bg.Color);
            if (tb == 4) t[3] = 255;
          }
          continue;
        }
        if (fill) {
          const int bx = tr.left + i + bg.X, by = ty + bg.Y;
          if (!px::Inside(*bg.Bitmap, bx, by)) continue;
          const std::uint8_t* q = At(*bg.Bitmap, bx, by);
          t[0] = q[0], t[1] = q[1], t[2] = q[2];
          if (tb == 4) t[3] = 255;
          continue;
        }
      }
      const std::uint8_t* m = mrow + 3 * i;
      t[0] = std::uint8_t((s[0] * (256 - m[0]) + t[0] * m[0]) >> 8);
      t[1] = std::uint8_t((s[1] * (256 - m[1]) + t[1] * m[1]) >> 8);
      t[2] = std::uint8_t((s[2] * (256 - m[2]) + t[2] * m[2]) >> 8);
      if (tb == 4 && hasBmp && fill) t[3] = 255;
    }
  }
}

void CopyMaskedRect(Rect tr, Rect sr, QImage& target, bool fill, const TBgSource& bg,
                    const QImage& source) {
  const int tb = Bpp(target), sb = Bpp(source);
  if (!tb || !sb) return;
  const int half = source.height() / 2;
  const bool hasBmp = bg.HasBitmap && bg.Bitmap && Bpp(*bg.Bitmap);
  const int w = std::min(tr.Width(), sr.Width()), h = std::min(tr.Height(), sr.Height());
  for (int j = 0; j < h; ++j) {
    const int ty = tr.top + j, sy = sr.top + j;
    if (ty < 0 || ty >= target.height() || sy < 0 || sy >= source.height()) continue;
    if (sb == 3 && sy + half >= source.height()) continue;
    for (int i = 0; i < w; ++i) {
      const int tx = tr.left + i, sx = sr.left + i;
      if (tx < 0 || tx >= target.width() || sx < 0 || sx >= source.width()) continue;
      const std::uint8_t* s = At(source, sx, sy);
      std::uint8_t* t = At(target, tx, ty);
      if (hasBmp && px::IsKey(s, kTransparentKey)) {
        if (!fill) continue;
        const int bx = tx + bg.X, by = ty + bg.Y;
        if (!px::Inside(*bg.Bitmap, bx, by)) continue;
        const std::uint8_t* q = At(*bg.Bitmap, bx, by);
        t[0] = q[0], t[1] = q[1], t[2] = q[2];
        if (tb == 4) t[3] = 255;
        continue;
      }
      if (sb == 3) {
        const std::uint8_t* m = At(source, sx, sy + half);
        for (int c = 0; c < 3; ++c) t[c] = std::uint8_t((s[c] * (256 - m[c]) + t[c] * m[c]) >> 8);
      } else {
        for (int c = 0; c < 3; ++c) t[c] = std::uint8_t(t[c] + (((s[c] - t[c]) * s[3]) >> 8));
        if (tb == 4) t[3] = 255;
      }
    }
  }
}

void MixBitmaps(QImage& output, const QImage& a, const QImage& b, int weight, const QImage* mask) {
  if (a.size() != b.size() || Bpp(a) != 3 || Bpp(b) != 3) return;
  if (output.size() != a.size() || Bpp(output) != 4) output = CreateBmp32(a.width(), a.height());
  if (mask && (mask->size() != a.size() || Bpp(*mask) != 3)) return;
  for (int y = 0; y < a.height(); ++y) {
    const std::uint8_t* pa = a.constScanLine(y);
    const std::uint8_t* pb = b.constScanLine(y);
    const std::uint8_t* pm = mask ? mask->constScanLine(y) : nullptr;
    std::uint8_t* o = output.scanLine(y);
    for (int x = 0; x < a.width(); ++x)
      for (int c = 0; c < 3; ++c) {
        const int w = pm ? pm[3 * x + c] : weight;
        o[4 * x + c] = std::uint8_t(pb[3 * x + c] + (((pa[3 * x + c] - pb[3 * x + c]) * w) >> 8));
      }
  }
}

void BlendAlphaThroughMask(QImage& target, const QImage& source, const QImage& mask, Rect rect) {
  if (Bpp(target) != 3 || Bpp(source) != 4 || Bpp(mask) != 3) return;
  for (int y = std::max(0, rect.top); y < rect.bottom; ++y) {
    if (y >= target.height() || y >= source.height() || y >= mask.height()) break;
    for (int x = std::max(0, rect.left); x < rect.right; ++x) {
      if (x >= target.width() || x >= source.width() || x >= mask.width()) break;
      if (At(mask, x, y)[2] == 255) continue;
      const std::uint8_t* s = At(source, x, y);
      std::uint8_t* t = At(target, x, y);
      for (int c = 0; c < 3; ++c) t[c] = std::uint8_t(t[c] + (((s[c] - t[c]) * s[3]) >> 8));
    }
  }
}

QImage RotateBitmap90(const QImage& bitmap, bool clockwise) {
  const int bpp = Bpp(bitmap);
  if (!bpp) return {};
  const int w = bitmap.width(), h = bitmap.height();
  QImage out = bpp == 3 ? CreateBmp24(h, w) : CreateBmp32(h, w);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int nx = clockwise ? h - 1 - y : y, ny = clockwise ? x : w - 1 - x;
      std::memcpy(At(out, nx, ny), At(bitmap, x, y), std::size_t(bpp));
    }
  return out;
}

namespace {

// Copies a w x h block (plain, alpha 255 into 32 bits from 24).
void CopyBlock(QImage& target, int tx, int ty, const QImage& source, int sx, int sy, int w, int h) {
  const int tb = Bpp(target), sb = Bpp(source);
  if (!tb || !sb) return;
  for (int j = 0; j < h; ++j) {
    if (ty + j < 0 || ty + j >= target.height() || sy + j < 0 || sy + j >= source.height())
      continue;
    for (int i = 0; i < w; ++i) {
      if (tx + i < 0 || tx + i >= target.width() || sx + i < 0 || sx + i >= source.width())
        continue;
      const std::uint8_t* s = At(source, sx + i, sy + j);
      std::uint8_t* t = At(target, tx + i, ty + j);
      t[0] = s[0], t[1] = s[1], t[2] = s[2];
      if (tb == 4) t[3] = sb == 4 ? s[3] : 255;
    }
  }
}

// Fills a target area with a source cell, tiled (the last tiles cut) or
// stretched: smoothly (halftone) or by picking source pixels (black on
// white).
void FillArea(QImage& target, Rect area, const QImage& source, Rect cell, bool stretch,
              Qt::TransformationMode how = Qt::SmoothTransformation) {
  if (area.IsEmpty() || cell.IsEmpty()) return;
  if (stretch) {
    const QImage piece =
        source.copy(cell.ToQRect()).scaled(area.Width(), area.Height(), Qt::IgnoreAspectRatio, how);
    CopyBlock(target, area.left, area.top, winshim::ConvertDib(piece, Bpp(source) * 8), 0, 0,
              area.Width(), area.Height());
    return;
  }
  for (int y = area.top; y < area.bottom; y += cell.Height())
    for (int x = area.left; x < area.right; x += cell.Width())
      CopyBlock(target, x, y, source, cell.left, cell.top, std::min(cell.Width(), area.right - x),
                std::min(cell.Height(), area.bottom - y));
}

}  // namespace

void PaintBmpNinePart(QImage& target, const QImage& source, Rect r, bool centre, int centreMode,
                      NinePartModes modes, Rect limits, Rect m, Rect s) {
  const int cl = std::min(m.left, limits.left), ct = std::min(m.top, limits.top);
  const int cr = std::min(m.right, limits.right), cb = std::min(m.bottom, limits.bottom);
  const int mw = s.Width() - m.left - m.right, mh = s.Height() - m.top - m.bottom;
  // Corners, each an L of the full margin band and the limited width.
  CopyBlock(target, r.left, r.top, source, s.left, s.top, m.left, ct);
  CopyBlock(target, r.left, r.top + ct, source, s.left, s.top + ct, cl, m.top - ct);
  CopyBlock(target, r.left, r.bottom - cb, source, s.left, s.bottom - cb, m.left, cb);
  CopyBlock(target, r.left, r.bottom - m.bottom, source, s.left, s.bottom - m.bottom, cl,
            m.bottom - cb);
  CopyBlock(target, r.right - m.right, r.top, source, s.right - m.right, s.top, m.right, ct);
  CopyBlock(target, r.right - cr, r.top + ct, source, s.right - cr, s.top + ct, cr, m.top - ct);
  CopyBlock(target, r.right - m.right, r.bottom - cb, source, s.right - m.right, s.bottom - cb,
            m.right, cb);
  CopyBlock(target, r.right - cr, r.bottom - m.bottom, source, s.right - cr, s.bottom - m.bottom,
            cr, m.bottom - cb);
  // The target stretches black on white: whole source pixels, no blending.
  auto side = [&](int mode, Rect area, Rect cell) {
    if (mode == 0 || mode == 1)
      FillArea(target, area, source, cell, mode == 1, Qt::FastTransformation);
  };
  side(modes.left, {r.left, r.top + m.top, r.left + cl, r.bottom - m.bottom},
       {s.left, s.top + m.top, s.left + cl, s.top + m.top + mh});
  side(modes.top, {r.left + m.left, r.top, r.right - m.right, r.top + ct},
       {s.left + m.left, s.top, s.left + m.left + mw, s.top + ct});
  side(modes.right, {r.right - cr, r.top + m.top, r.right, r.bottom - m.bottom},
       {s.right - cr, s.top + m.top, s.right, s.top + m.top + mh});
  side(modes.bottom, {r.left + m.left, r.bottom - cb, r.right - m.right, r.bottom},
       {s.left + m.left, s.bottom - cb, s.left + m.left + mw, s.bottom});
  if (centre)
    FillArea(target, {r.left + m.left, r.top + m.top, r.right - m.right, r.bottom - m.bottom},
             source, {s.left + m.left, s.top + m.top, s.left + m.left + mw, s.top + m.top + mh},
             centreMode == 1, Qt::FastTransformation);
}

namespace {

// Greys a glyph but for its key-coloured pixels, so that what is
// transparent in it stays transparent once it is grey.
void GreyGlyph(QImage& glyph24, TColor key) {
  for (int y = 0; y < glyph24.height(); ++y)
    for (int x = 0; x < glyph24.width(); ++x) {
      std::uint8_t* p = At(glyph24, x, y);
      if (px::IsKey(p, key)) continue;
      p[0] = p[1] = p[2] = std::uint8_t((p[0] + p[1] + p[2]) / 3);
    }
}

}  // namespace

void PaintGlyphBmp(const QImage& glyph, QImage& target, Rect rect, int state, int blendPercent,
                   int kind, int options, bool enabled, int count) {
  if (glyph.isNull() || !Bpp(target)) return;
  QImage work = winshim::ConvertDib(glyph, 24);
  const bool fourBit = glyph.format() == QImage::Format_Indexed8 && glyph.colorCount() <= 16;
  if (count <= 1) {
    const TColor key = px::ColorOf(At(work, 0, work.height() - 1));
    const Rect all{0, 0, work.width() - 1, work.height() - 1};
    if (enabled) {
      if (kind == 0 && blendPercent > 0)
        BlendBmp(target, rect.left, rect.top, key, blendPercent / 100.0, all, work);
      else
        CopyBmpWithKey(target, work, rect.left, key, rect.top);
    } else {
      if (options & 2) GreyGlyph(work, key);
      if (options & 1)
        BlendBmp(target, rect.left, rect.top, key, 0.5, all, work);
      else
        CopyBmpWithKey(target, work, rect.left, key, rect.top);
    }
    return;
  }
  const int gw = work.width() / count;
  int index = 0;
  if (enabled) {
    if (kind == 1) index = fourBit ? 0 : 1;
    if (kind == 2) {
      index = state + 2;
      if (index >= count) index = fourBit ? 0 : std::min(count - 1, 1);
    }
  }
  const Rect cell{index * gw, 0, index * gw + gw - 1, work.height() - 1};
  const TColor key = px::ColorOf(At(work, cell.left, work.height() - 1));
  if (!enabled && kind == 0 && blendPercent > 0)
    BlendBmp(target, rect.left, rect.top, key, blendPercent / 100.0, cell, work);
  else if (Bpp(target) == 3)
    CopyKeyedRect(target, work, rect.left, kEmptyBgSource, key, cell, rect.top);
  else  // a 32-bit target takes the glyph's pixels opaque
    CopyBmpWithKey(target, work.copy(cell.left, cell.top, gw, work.height()), rect.left, key,
                   rect.top);
}

void TilePicture(QImage& canvas, Rect rect, const QImage& picture) {
  if (picture.isNull() || rect.IsEmpty()) return;
  QPainter p(&canvas);
  p.setClipRect(rect.ToQRect());
  for (int y = rect.top; y < rect.bottom; y += picture.height())
    for (int x = rect.left; x < rect.right; x += picture.width()) p.drawImage(x, y, picture);
}

void PaintTexture(QImage& canvas, Rect& rect, const QImage* picture, int mode,
                  const TkMaskData& mask) {
  if (picture && !picture->isNull()) {
    TilePicture(canvas, rect, *picture);
    rect = {-1, -1, -1, -1};
    return;
  }
  if (!mask.Manager) return;
  const QImage* master = mask.Bmp ? mask.Bmp.get() : mask.Manager->MasterBitmap.get();
  if (!master) return;
  const Rect cell = mask.R;
  const int w = cell.Width(), h = cell.Height();
  if (w <= 0 || h <= 0) return;
  const Rect r = rect;
  // Each mode paints one strip along an edge (tiled or stretched), the whole
  // rect, or whole rows of cells; what it leaves is the rest of the rect.
  enum Where { kWhole, kTop, kLeft, kBottom, kRight, kWholeRows };
  struct Mode {
    Where where;
    bool stretch;
  };
  Mode how{kWhole, false};
  switch (mode) {
    case 0:
      how = {kWhole, false};
      break;
    case 1:
      how = {kWhole, true};
      break;
    case 2:
      how = {kTop, false};
      break;
    case 3:
      how = {kLeft, false};
      break;
    case 4:
      how = {kTop, true};
      break;
    case 5:
      how = {kLeft, true};
      break;
    case 6:
      how = {kBottom, false};
      break;
    case 7:
      how = {kRight, false};
      break;
    case 10:
      how = {kWholeRows, false};
      break;
    default:
      how = {kWhole, false};
      break;
  }
  Rect area = r, left{-1, -1, -1, -1};
  switch (how.where) {
    case kTop:
      area.bottom = std::min(r.bottom, r.top + h);
      left = {r.left, r.top + h, r.right, r.bottom};
      break;
    case kLeft:
      area.right = std::min(r.right, r.left + w);
      left = {r.left + w, r.top, r.right, r.bottom};
      break;
    case kBottom:
      area.top = std::max(r.top, r.bottom - h);
      left = {r.left, r.top, r.right, r.bottom - h};
      break;
    case kRight:
      area.left = std::max(r.left, r.right - w);
      left = {r.left, r.top, r.right - w, r.bottom};
      break;
    case kWholeRows:
      area.bottom = r.top + r.Height() / h * h;
      break;
    case kWhole:
      // Modes outside the table tile the whole rect and report the last column.
      if (mode != 0 && mode != 1) left = {r.right - w, r.top, r.right, r.bottom};
      break;
  }
  FillArea(canvas, area, *master, cell, how.stretch);
  rect = left;
}

void PaintMaskedTexture(QImage& bitmap, Rect& rect, const TBgSource& bg, int mode,
                        const TkMaskData& mask);

TBgSource BgSourceFromBmp(const QImage* bitmap, int x, int y) {
  return {bitmap, x, y, kTransparentKey, true};
}

TBgSource BgInfoToSource(const TParentBgInfo& info) {
  if (info.Ready == 2) return BgSourceFromBmp(info.Bitmap, info.X, info.Y);
  return {nullptr, 0, 0, TColor(winshim::ColorToRGB(info.Color)), false};
}

bool GetControlBgInfo(TParentBgInfo& info, QWidget* control, bool paint) {
  const bool paintBefore = info.PaintFlag;
  info.Ready = 0;
  info.PaintFlag = paint;
  if (!control) return false;
  SendSkinCommand(control, scGetBgInfo, &info);
  if (info.Ready != 0) return true;
  if (paintBefore && info.DC) {
    // Without an answer the control paints itself into the DC: its own
    // picture, moved by the offset and clipped to the clip rect.
    const QImage picture = control->grab().toImage();
    winshim::Dc& dc = *info.DC;
    dc.SaveDC();
    dc.OffsetViewportOrg(-info.X, -info.Y);
    const Rect clip = info.ClipRect.Offset(info.X, info.Y);
    dc.IntersectClipRect(clip.left, clip.top, clip.right, clip.bottom);
    dc.DrawIconEx(0, 0, picture);
    dc.RestoreDC(-1);
    return false;
  }
  const std::intptr_t answer = SendSkinCommand(control, scGetBgColor, nullptr);
  info.Color =
      answer != 0
          ? TColor(answer)
          : TColor(winshim::FromQColor(control->palette().color(control->backgroundRole())));
  if (info.PaintFlag && info.Bitmap && info.DC)
    winshim::FillSolidRect(*info.DC, info.ClipRect, winshim::ColorToRGB(info.Color));
  info.Ready = 1;
  return false;
}

}  // namespace kelmo::skin
