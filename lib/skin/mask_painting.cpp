#include "skin/mask_painting.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "skin/skin_link.h"
#include "winshim/dib.h"
#include "winshim/system_profile.h"

namespace kelmo::skin {

using px::At;
using px::Bpp;

namespace {
constexpr const char* kBadFormat = "Bitmap format is not supported";

template <typename Fast>
bool AttachTo(Fast& f, QImage* bitmap, int bpp) {
  f.PixWidth = 0;
  if (!bitmap || bitmap->width() < 2 || bitmap->height() < 2) return false;
  if (Bpp(*bitmap) != bpp) throw EAssertionFailed(kBadFormat);
  f.Target = bitmap;
  f.PixWidth = bitmap->width();
  f.PixHeight = bitmap->height();
  f.FirstRow = bitmap->scanLine(0);
  f.RowStride = int(bitmap->bytesPerLine());
  return true;
}

const QImage* SourceOf(const TkMaskData& m) {
  if (m.Bmp) return m.Bmp.get();
  return m.Manager && m.Manager->MasterBitmap ? m.Manager->MasterBitmap.get() : nullptr;
}
}  // namespace

bool TkaFast24::Attach(QImage* bitmap) {
  return AttachTo(*this, bitmap, 3);
}

TColor TkaFast24::Pixel(int x, int y) const {
  return px::ColorOf(FirstRow + std::ptrdiff_t(y) * RowStride + 3 * x);
}

void TkaFast24::SetPixel(int x, int y, TColor c) {
  px::PutColor(FirstRow + std::ptrdiff_t(y) * RowStride + 3 * x, c);
}

bool TkaFast32::Attach(QImage* bitmap) {
  return AttachTo(*this, bitmap, 4);
}

std::uint32_t TkaFast32::Pixel(int x, int y) const {
  const std::uint8_t* p = FirstRow + std::ptrdiff_t(y) * RowStride + 4 * x;
  return std::uint32_t(p[2]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[0]) << 16 |
         std::uint32_t(p[3]) << 24;
}

void TkaFast32::SetPixel(int x, int y, std::uint32_t v) {
  std::uint8_t* p = FirstRow + std::ptrdiff_t(y) * RowStride + 4 * x;
  p[2] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
  p[0] = std::uint8_t(v >> 16);
  p[3] = std::uint8_t(v >> 24);
}

void TkaFast32::FillRect(const Rect& r, std::uint32_t pixel) {
  for (int y = r.top; y < r.bottom; ++y)
    FillLongs(reinterpret_cast<std::uint32_t*>(FirstRow + std::ptrdiff_t(y) * RowStride) + r.left,
              r.right - r.left, pixel);
}

template <int N>
bool TkaFastSum<N>::Attach(const QImage* source, QImage* destination) {
  if (!source || !destination || source->width() < 2 || source->height() < 2 ||
      destination->width() < 2 || destination->height() < 2)
    return false;
  SrcBitmap = source;
  DstBitmap = destination;
  CommonWidth = std::min(source->width(), destination->width());
  CommonHeight = std::min(source->height(), destination->height());
  return true;
}

template <int N>
void TkaFastSum<N>::BlendRect() {
  if (!SrcBitmap || !DstBitmap || DstRect.IsEmpty()) return;
  for (int y = DstRect.bottom - 1; y >= DstRect.top; --y) {
    const int sy = y - DstRect.bottom + SrcRect.bottom;
    if (y < 0 || y >= DstBitmap->height() || sy < 0 || sy >= SrcBitmap->height()) continue;
    for (int x = DstRect.right - 1; x >= DstRect.left; --x) {
      const int sx = x - DstRect.left + SrcRect.left;
      if (x < 0 || x >= DstBitmap->width() || sx < 0 || sx >= SrcBitmap->width()) continue;
      std::uint8_t* d = DstBitmap->scanLine(y) + N * x;
      const std::uint8_t* s = SrcBitmap->constScanLine(sy) + N * sx;
      for (int k = N - 1; k >= 0; --k)
        d[k] = std::uint8_t((d[k] * Weight + s[k] * (255 - Weight) + 127) >> 8);
    }
  }
}

template class TkaFastSum<3>;
template class TkaFastSum<4>;

std::uint32_t ColorToPixel32(TColor c) {
  return 0xFF000000u | std::uint32_t(c & 0xFF) << 16 | (std::uint32_t(c) & 0xFF00) |
         ((std::uint32_t(c) >> 16) & 0xFF);
}

void FillLongs(std::uint32_t* address, int count, std::uint32_t value) {
  if (count > 0) std::fill_n(address, count, value);
}

void FillBitmapRect32(QImage& bitmap, const Rect& rect, TColor color) {
  TkaFast32 f;
  if (!f.Attach(&bitmap)) return;
  const Rect r = IntersectRect(rect, {0, 0, bitmap.width(), bitmap.height()});
  if (!r.IsEmpty()) f.FillRect(r, ColorToPixel32(color));
}

void MixColorIntoRect(QImage& bitmap, Rect r, int percent, TColor color) {
  const int bpp = Bpp(bitmap);
  if (!bpp) return;
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, bitmap.width() - 1);
  r.bottom = std::min(r.bottom, bitmap.height() - 1);
  const TColor rgb = TColor(winshim::ColorToRGB(color));
  const double f = percent / 100.0;
  const int col[3] = {(rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF};
  for (int y = r.top; y <= r.bottom; ++y) {
    std::uint8_t* p = At(bitmap, r.left, y);
    for (int x = r.left; x <= r.right; ++x, p += bpp)
      for (int c = 0; c < 3; ++c) p[c] = std::uint8_t(std::nearbyint(f * p[c] + (1 - f) * col[c]));
  }
}

void ApplyDisabledLook(QImage& glyph, int options, QWidget* control, QPoint point,
                       const TBgSource& bg) {
  if (options & 2) GreyBmp(glyph);
  if (!(options & 1)) return;
  if (bg.HasBitmap && bg.Bitmap) {
    QImage piece =
        bg.Bitmap->copy(bg.X + point.x(), bg.Y + point.y(), glyph.width(), glyph.height());
    piece = winshim::ConvertDib(piece, 24);
    BlendBmp(glyph, 0, 0, TColor(0xFF000000), 0.6, {0, 0, piece.width() - 1, piece.height() - 1},
             piece);
    return;
  }
  const TColor c = bg.Color == kTransparentKey ? GetBgColorOf(control) : bg.Color;
  MixColorIntoRect(glyph, {0, 0, glyph.width(), glyph.height()}, 50, c);
}

void CopyTransparentPixels(QImage& target, const QImage& source, Rect rect, int corner,
                           const TkSkinManager* manager, int maskIndex, QPoint point) {
  const int w = std::max(0, rect.Width()), h = std::max(0, rect.Height());
  if (Bpp(target) != 4 || Bpp(source) != 4) return;
  auto copy = [&](int i, int j) {
    const int tx = rect.left + i, ty = rect.top + j, sx = point.x() + i, sy = point.y() + j;
    if (px::Inside(target, tx, ty) && px::Inside(source, sx, sy))
      std::memcpy(At(target, tx, ty), At(source, sx, sy), 4);
  };
  if (maskIndex != -1) {
    if (!manager || !manager->IsValidImgIndex(maskIndex)) return;
    const TkMaskData& m = manager->ma[std::size_t(maskIndex)];
    const QImage* ref = SourceOf(m);
    if (!ref) return;
    int cx = m.R.left, cy = m.R.top;
    if (corner == 14 || corner == 17) cx += MaskImageWidth(m) - m.WR;
    if (corner == 16 || corner == 17) cy += MaskImageHeight(m) - m.WB;
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i)
        if (px::Inside(*ref, cx + i, cy + j) &&
            px::IsKey(At(*ref, cx + i, cy + j), kTransparentKey))
          copy(i, j);
  } else {
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i)
        if (px::Inside(target, rect.left + i, rect.top + j) &&
            px::IsKey(At(target, rect.left + i, rect.top + j), kTransparentKey))
          copy(i, j);
  }
}

namespace {

// Plain copy of a source block, tiled over an area or stretched.
void PlainFill(QImage& target, Rect area, const QImage& source, Rect cell, bool stretch) {
  if (area.IsEmpty()) return;
  if (cell.IsEmpty()) return;
  if (stretch) {
    const QImage piece = winshim::ConvertDib(
        source.copy(cell.ToQRect())
            .scaled(area.Width(), area.Height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        24);
    CopyKeyedRectOverBg(target, piece, area.left, false, kEmptyBgSource, TColor(0x1000000),
                        {0, 0, piece.width() - 1, piece.height() - 1}, area.top);
    return;
  }
  for (int y = area.top; y < area.bottom; y += cell.Height())
    for (int x = area.left; x < area.right; x += cell.Width()) {
      const int w = std::min(cell.Width(), area.right - x),
                h = std::min(cell.Height(), area.bottom - y);
      CopyKeyedRectOverBg(target, source, x, false, kEmptyBgSource, TColor(0x1000000),
                          {cell.left, cell.top, cell.left + w - 1, cell.top + h - 1}, y);
    }
}

// Masked parts are always tiled.
void MaskedFill(QImage& target, Rect area, const QImage& source, Rect cell, const TkMaskData& m,
                bool fill, const TBgSource& bg) {
  if (area.IsEmpty() || cell.IsEmpty()) return;
  for (int y = area.top; y < area.bottom; y += cell.Height())
    for (int x = area.left; x < area.right; x += cell.Width()) {
      const int w = std::min(cell.Width(), area.right - x),
                h = std::min(cell.Height(), area.bottom - y);
      BlitMaskFromMaster({x, y, x + w, y + h}, {cell.left, cell.top, cell.left + w, cell.top + h},
                         target, m, fill, bg, source);
    }
}

}  // namespace

void PaintMask(QImage& bitmap, Rect rect, int state, const TkMaskData& mask, const TBgSource& bg,
               bool cornersFromBg, bool fillCentre) {
  if ((state == 0 && (mask.DrawMode & 2)) || rect.Width() < 2 || rect.Height() < 2 ||
      !mask.Manager || mask.ImageCount == 0)
    return;
  const QImage* source = SourceOf(mask);
  if (!source || !Bpp(bitmap)) return;
  int wl = mask.WL, wr = mask.WR, wt = mask.WT, wb = mask.WB;
  const int w = rect.Width(), h = rect.Height();
  if (w < wl + wr) {
    const int d = (wl + wr - w) / 2;
    wl = std::max(0, wl - d);
    wr = std::max(0, wr - d - (w % 2));
  }
  if (h < wt + wb) {
    const int d = (wt + wb - h) / 2;
    wt = std::max(0, wt - d);
    wb = std::max(0, wb - d - (h % 2));
  }
  const int sw = MaskImageWidth(mask), sh = MaskImageHeight(mask);
  const int st = std::min(state, mask.ImageCount - 1);
  const int sl = mask.R.left + st * sw, stp = mask.R.top;
  const int mw = std::max(0, sw - wl - wr), mh = std::max(0, sh - wt - wb);
  struct Part {
    Rect area;
    Rect cell;
    bool corner;
  };
  const Rect& r = rect;
  const Part parts[9] = {
      {{r.left, r.top, r.left + wl, r.top + wt}, {sl, stp, sl + wl, stp + wt}, true},
      {{r.left, r.top + wt, r.left + wl, r.bottom - wb},
       {sl, stp + wt, sl + wl, stp + wt + mh},
       false},
      {{r.left + wl, r.top, r.right - wr, r.top + wt},
       {sl + wl, stp, sl + wl + mw, stp + wt},
       false},
      {{r.left, r.bottom - wb, r.left + wl, r.bottom},
       {sl, stp + sh - wb, sl + wl, stp + sh},
       true},
      {{r.left + wl, r.bottom - wb, r.right - wr, r.bottom},
       {sl + wl, stp + sh - wb, sl + wl + mw, stp + sh},
       false},
      {{r.right - wr, r.bottom - wb, r.right, r.bottom},
       {sl + sw - wr, stp + sh - wb, sl + sw, stp + sh},
       true},
      {{r.right - wr, r.top, r.right, r.top + wt}, {sl + sw - wr, stp, sl + sw, stp + wt}, true},
      {{r.right - wr, r.top + wt, r.right, r.bottom - wb},
       {sl + sw - wr, stp + wt, sl + sw, stp + wt + mh},
       false},
      {{r.left + wl, r.top + wt, r.right - wr, r.bottom - wb},
       {sl + wl, stp + wt, sl + wl + mw, stp + wt + mh},
       false}};
  for (int i = 0; i < 9; ++i) {
    const Part& p = parts[i];
    if (i == 8 && !(fillCentre && (mask.DrawMode & 4))) continue;
    if (p.area.IsEmpty()) continue;
    if (mask.MaskType == 0) {
      if (p.corner) {
        CopyKeyedRectOverBg(bitmap, *source, p.area.left, cornersFromBg, bg, kTransparentKey,
                            {p.cell.left, p.cell.top, p.cell.right - 1, p.cell.bottom - 1},
                            p.area.top);
      } else {
        PlainFill(bitmap, p.area, *source, p.cell, mask.DrawMode & 1);
      }
    } else if (p.corner) {
      BlitMaskFromMaster(p.area, p.cell, bitmap, mask, cornersFromBg, bg, *source);
    } else {
      MaskedFill(bitmap, p.area, *source, p.cell, mask, false, kEmptyBgSource);
    }
  }
}

void BlendStateImage(Rect tr, Rect sr, QImage& bitmap, const TkMaskData& mask, int mode,
                     const QImage& source) {
  const int tb = Bpp(bitmap);
  if (!tb || Bpp(source) != 3) return;
  const int mh = mask.R.Height() / (mask.MaskType + 1);
  int rows = std::min(tr.bottom - tr.top, sr.bottom - sr.top) + 1;
  int cols = std::min(tr.right - tr.left, sr.right - sr.left) + 1;
  rows = std::min({rows, bitmap.height() - tr.top});
  cols = std::min(cols, bitmap.width() - tr.left);
  if (mask.MaskType == 0) {
    CopyKeyedRect(bitmap, source, tr.left, kEmptyBgSource, kTransparentKey,
                  {sr.left, sr.top, sr.left + cols - 1, sr.top + rows - 1}, tr.top);
    return;
  }
  for (int j = 0; j < rows; ++j) {
    const int sy = sr.top + j, ty = tr.top + j;
    if (sy < 0 || sy + mh >= source.height() || ty < 0) continue;
    for (int i = 0; i < cols; ++i) {
      const int sx = sr.left + i, tx = tr.left + i;
      if (sx < 0 || sx >= source.width() || tx < 0) continue;
      const std::uint8_t* s = At(source, sx, sy);
      if (px::IsKey(s, kTransparentKey)) continue;
      const std::uint8_t* m = At(source, sx, sy + mh);
      std::uint8_t* t = At(bitmap, tx, ty);
      for (int c = 0; c < 3; ++c) {
        const int mm = mode == 1 ? m[c] : std::min(m[c] + 100, 255);
        t[c] = std::uint8_t(((t[c] - s[c]) * mm + s[c] * 256) >> 8);
      }
      if (tb == 4) t[3] = 255;
    }
  }
}

void PaintMaskImage(QImage& bitmap, QPoint point, int state, const TkMaskData& mask,
                    const TBgSource& bg, int mode) {
  if (mask.ImageCount <= 0) return;
  const int sw = MaskImageWidth(mask), sh = MaskImageHeight(mask);
  int sx = mask.R.left + sw * std::min(state, mask.ImageCount - 1), sy = mask.R.top;
  int x = point.x(), y = point.y();
  if (x < 0) {
    sx -= x;
    x = 0;
  }
  if (y < 0) {
    sy -= y;
    y = 0;
  }
  const Rect tr{x, y, x + sw - 1, y + sh - 1}, sr{sx, sy, sx + sw - 1, sy + sh - 1};
  if (mask.Bmp) {
    if (mask.Bmp->width() < mask.R.right || mask.Bmp->height() < mask.R.bottom) return;
    BlendStateImage(tr, sr, bitmap, mask, mode, *mask.Bmp);
    return;
  }
  if (!mask.Manager || !mask.Manager->MasterBitmap) return;
  const QImage& master = *mask.Manager->MasterBitmap;
  if (mask.MaskType > 0)
    BlendStateImage(tr, sr, bitmap, mask, mode, master);
  else if (mode == 1)
    CopyKeyedRectOverBg(bitmap, master, x, true, bg, kTransparentKey, sr, y);
  else
    BlendBmp(bitmap, x, y, kTransparentKey, 0.5, sr, master);
}

void BlitTextureTile(Rect tr, Rect sr, QImage& bitmap, const TkMaskData& mask,
                     const TBgSource& bg) {
  if (!mask.Manager || !mask.Manager->MasterBitmap) return;
  const QImage& master = *mask.Manager->MasterBitmap;
  const int tb = Bpp(bitmap);
  if (!tb || Bpp(master) != 3) return;
  const bool hasBmp = bg.HasBitmap && bg.Bitmap;
  const int bb = hasBmp ? Bpp(*bg.Bitmap) : 0;
  // A background the pixel accessors cannot take paints nothing at all.
  if (hasBmp && (!bb || bg.Bitmap->width() < 2 || bg.Bitmap->height() < 2)) return;
  const int half = mask.R.Height() / 2;
  int rows = std::min(tr.Height(), sr.Height()), cols = std::min(tr.Width(), sr.Width());
  for (int j = 0; j < rows; ++j) {
    const int ty = tr.top + j, sy = sr.top + j;
    if (ty < 0 || sy < 0 || ty >= bitmap.height() || sy + half >= master.height()) continue;
    for (int i = 0; i < cols; ++i) {
      const int tx = tr.left + i, sx = sr.left + i;
      if (tx < 0 || sx < 0 || tx >= bitmap.width() || sx >= master.width()) continue;
      const std::uint8_t* s = At(master, sx, sy);
      std::uint8_t* t = At(bitmap, tx, ty);
      if (!px::IsKey(s, kTransparentKey)) {
        const std::uint8_t* m = At(master, sx, sy + half);
        for (int c = 0; c < 3; ++c) t[c] = std::uint8_t((s[c] * (256 - m[c]) + t[c] * m[c]) >> 8);
      } else if (!hasBmp) {
        if (bg.Color != kTransparentKey) px::PutColor(t, bg.Color);
      } else {
        const int bx = tx + bg.X, by = ty + bg.Y;
        if (bx >= bg.Bitmap->width()) break;
        if (!px::Inside(*bg.Bitmap, bx, by)) continue;
        // A 32-bit background gives its pixels only while the source has no
        // colour of its own.
        const std::uint8_t* q = At(*bg.Bitmap, bx, by);
        if (bb == 3 || bg.Color == kTransparentKey)
          t[0] = q[0], t[1] = q[1], t[2] = q[2];
        else
          px::PutColor(t, bg.Color);
      }
    }
  }
}

void PaintMaskedTexture(QImage& bitmap, Rect& rect, const TBgSource& bg, int mode,
                        const TkMaskData& mask) {
  // Only whole-rect tiling (0) and whole cells over the background (10) paint.
  if (!mask.Manager || mask.ImageCount <= 0 || (mode != 0 && mode != 10)) return;
  const int w = mask.R.Width() / mask.ImageCount, h = mask.R.Height() / 2;
  if (w <= 0 || h <= 0) return;
  const Rect cell{mask.R.left, mask.R.top, mask.R.left + w, mask.R.top + h};
  const Rect r = rect;
  int x = r.left, y = r.top, lastY = r.top;
  bool anyColumn = false;
  for (x = r.left; x < r.right - w; x += w) {
    anyColumn = true;
    for (y = r.top; y < r.bottom - h; y += h)
      BlitTextureTile({x, y, x + w, y + h}, cell, bitmap, mask, bg);
    lastY = y;
  }
  const int firstFreeX = x;
  if (mode == 0) {
    for (int yy = r.top; yy < r.bottom; yy += h)
      BlitTextureTile({firstFreeX, yy, r.right, std::min(yy + h, r.bottom)}, cell, bitmap, mask,
                      bg);
    for (int xx = r.left; xx < firstFreeX; xx += w)
      BlitTextureTile({xx, lastY, std::min(xx + w, firstFreeX), r.bottom}, cell, bitmap, mask, bg);
  } else if (mode == 10) {
    const Rect right{firstFreeX, r.top, r.right, r.bottom};
    const Rect bottom{r.left, anyColumn ? lastY : r.top, r.right, r.bottom};
    const bool fromBmp = bg.HasBitmap && bg.Bitmap && Bpp(*bg.Bitmap);
    for (const Rect& strip : {right, bottom}) {
      // Only the strip itself, cut to the target (and to the background).
      const Rect area = IntersectRect(strip, {0, 0, bitmap.width(), bitmap.height()});
      for (int yy = area.top; yy < area.bottom; ++yy)
        for (int xx = area.left; xx < area.right; ++xx) {
          std::uint8_t* t = At(bitmap, xx, yy);
          if (fromBmp) {
            if (!px::Inside(*bg.Bitmap, xx + bg.X, yy + bg.Y)) continue;
            std::memcpy(t, At(*bg.Bitmap, xx + bg.X, yy + bg.Y), 3);
          } else {
            px::PutColor(t, bg.Color);
          }
          if (Bpp(bitmap) == 4) t[3] = 255;
        }
    }
  }
}

void UpdateCorners(TkCommonData& link, int state, int corners) {
  TkSkinManager* manager = link.GetSkinManager();
  QWidget* owner = link.Owner();
  if (!manager || !manager->IsValidImgIndex(link.BorderIndex) || link.FCacheBmp.isNull() ||
      !owner || owner->width() < 2 || owner->height() < 2)
    return;
  TParentBgInfo info;
  QWidget* parent = owner->parentWidget();
  TBgSource bg{nullptr, 0, 0, kTransparentKey, false};
  if (parent) {
    GetControlBgInfo(info, parent, false);
    bg = BgInfoToSource(info);
    if (bg.HasBitmap) {
      bg.X += owner->x();
      bg.Y += owner->y();
    }
  }
  TkMaskData m = manager->ma[std::size_t(link.BorderIndex)];
  if (m.Bmp && m.ImageCount == 0) {
    m.ImageCount = 3;
    m.MaskType = 1;
    m.R = {0, 0, m.Bmp->width(), m.Bmp->height()};
  }
  const QImage* source = SourceOf(m);
  if (!source || m.ImageCount <= 0) return;
  const int offset = std::min(state, m.ImageCount - 1) * m.R.Width() / m.ImageCount;
  const int sw = MaskImageWidth(m), sh = MaskImageHeight(m);
  const int W = owner->width(), H = owner->height();
  QImage& cache = link.FCacheBmp;
  struct Corner {
    int bit;
    int sx, sy, w, h, tx, ty;
  };
  const int x0 = m.R.left + offset, y0 = m.R.top;
  const Corner list[4] = {{1, x0, y0, m.WL, m.WT, 0, 0},
                          {2, x0, y0 + sh - m.WB, m.WL, m.WB, 0, H - m.WB},
                          {4, x0 + sw - m.WR, y0, m.WR, m.WT, W - m.WR, 0},
                          {8, x0 + sw - m.WR, y0 + sh - m.WB, m.WR, m.WB, W - m.WR, H - m.WB}};
  for (const Corner& c : list) {
    if (!(corners & c.bit)) continue;
    for (int j = 0; j < c.h; ++j)
      for (int i = 0; i < c.w; ++i) {
        if (!px::Inside(*source, c.sx + i, c.sy + j)) continue;
        if (!px::IsKey(At(*source, c.sx + i, c.sy + j), kTransparentKey)) continue;
        const int tx = c.tx + i, ty = c.ty + j;
        if (!px::Inside(cache, tx, ty)) continue;
        std::uint8_t* t = At(cache, tx, ty);
        if (bg.HasBitmap && bg.Bitmap) {
          const int bx = tx + bg.X, by = ty + bg.Y;
          if (!px::Inside(*bg.Bitmap, bx, by) || !Bpp(*bg.Bitmap)) continue;
          const std::uint8_t* q = At(*bg.Bitmap, bx, by);
          t[0] = q[0], t[1] = q[1], t[2] = q[2];
        } else {
          if (m.MaskType == 0 && bg.Color == kTransparentKey) continue;
          px::PutColor(t, bg.Color);
        }
      }
  }
}

}  // namespace kelmo::skin
