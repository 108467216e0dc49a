// The library canvas and its regions.
#include "lookandfeel/canvas.h"

#include <QFontMetrics>
#include <algorithm>
#include <vector>

#include "winshim/draw_text.h"
#include "winshim/region.h"

namespace kelmo::le {

using namespace winshim;

unsigned TextFlagsToDrawTextFlags(std::uint32_t flags) {
  unsigned r = DT_NOPREFIX;
  if (flags & TextFlagRight) r |= DT_RIGHT;
  if (flags & TextFlagCenterX) r |= DT_CENTER;
  if (flags & TextFlagBottom) r |= DT_BOTTOM;
  if (flags & TextFlagCenterY) r |= DT_VCENTER;
  if (flags & TextFlagSingleLine) r |= DT_SINGLELINE;
  if (flags & TextFlagNoClip) r |= DT_NOCLIP;
  if (flags & TextFlagExpandTabs) r |= DT_EXPANDTABS;
  if (flags & TextFlagShowPrefix) r &= ~static_cast<unsigned>(DT_NOPREFIX);
  if (flags & TextFlagWordBreak) {
    r |= DT_WORDBREAK;
    if (!(flags & TextFlagNoEditControl)) r |= DT_EDITCONTROL;
  }
  if (flags & TextFlagEndEllipsis) r |= DT_END_ELLIPSIS;
  if (flags & TextFlagCalcRect) r |= DT_CALCRECT;
  if (flags & TextFlagPathEllipsis) r |= DT_PATH_ELLIPSIS;
  return r;
}

TleRegion::TleRegion(const Rect& r) : region_(CreateRectRgn(r)) {}
TleRegion::TleRegion(int left, int top, int right, int bottom)
    : region_(CreateRectRgn(left, top, right, bottom)) {}

void TleRegion::CombineWith(const TleRegion& other, TleRegionOperation operation) {
  static constexpr CombineMode kModes[] = {RGN_COPY, RGN_OR, RGN_DIFF, RGN_AND};
  QRegion result;
  if (operation == RegionReplace) {
    CombineRgn(result, other.region_, other.region_, RGN_COPY);
  } else {
    CombineRgn(result, region_, other.region_, kModes[operation]);
  }
  region_ = result;
}

TleCanvas::TleCanvas(winshim::Dc& dc) : dc_(dc) {}

void TleCanvas::SetBrushColor(TColor color) {
  if (brushColor_ != color) brushColor_ = color;
}

void TleCanvas::SetPixelColor(int x, int y, TColor color) {
  dc_.SetPixel(x, y, ResolveColor(color));
}

ColorRef TleCanvas::PixelColor(int x, int y) const {
  return dc_.GetPixel(x, y);
}

void TleCanvas::CopyArea(const Rect& dest, const QImage& source, const Rect& sourceRect) {
  QImage image = source;
  winshim::Dc src(image);
  dc_.StretchBlt(dest.left, dest.top, dest.Width(), dest.Height(), src, sourceRect.left,
                 sourceRect.top, sourceRect.Width(), sourceRect.Height(), copyMode_);
}

void TleCanvas::DrawBitmap(int x, int y, const QImage& bitmap) {
  if (bitmap.isNull()) return;
  if (bitmap.hasAlphaChannel()) {
    dc_.DrawIconEx(x, y, bitmap);
    return;
  }
  QImage image = bitmap;
  winshim::Dc src(image);
  dc_.BitBlt(x, y, bitmap.width(), bitmap.height(), src, 0, 0, SRCCOPY);
}

void TleCanvas::MoveTo(int x, int y) {
  dc_.MoveTo(x, y);
}

void TleCanvas::LineTo(int x, int y) {
  dc_.SelectPen({PenStyle::Solid, 1, ResolveColor(penColor_)});
  dc_.LineTo(x, y);
}

void TleCanvas::Polygon(const QPolygon& points) {
  dc_.SelectPen({PenStyle::Solid, 1, ResolveColor(penColor_)});
  dc_.SelectBrush(brushStyle_ == TleBrushStyle::Clear
                      ? Brush::Hollow()
                      : Brush::SolidColor(ResolveColor(brushColor_)));
  dc_.Polygon(points);
}

QPoint TleCanvas::ViewportOrigin() const {
  return dc_.GetViewportOrg();
}
QPoint TleCanvas::WindowOrigin() const {
  return dc_.GetWindowOrg();
}

void TleCanvas::ExcludeClipRect(const Rect& r) {
  dc_.ExcludeClipRect(r.left, r.top, r.right, r.bottom);
}

int TleCanvas::SaveState() {
  return dc_.SaveDC();
}
void TleCanvas::RestoreState(int level) {
  dc_.RestoreDC(level);
}

QSize TleCanvas::MeasureText(const QString& text) const {
  const QFontMetrics fm(font_);
  return QSize(fm.horizontalAdvance(text), fm.height());
}

void TleCanvas::FillRect(const Rect& r) {
  if (brushStyle_ == TleBrushStyle::Clear) return;
  dc_.FillRect(r, Brush::SolidColor(ResolveColor(brushColor_)));
}

void TleCanvas::FillOrTileRect(const Rect& r, const QImage* bitmap, bool exclude) {
  if (r.IsEmpty()) return;
  if (!bitmap || bitmap->isNull() || bitmap->width() == 0 || bitmap->height() == 0) {
    FillRect(r);
  } else {
    const int w = bitmap->width(), h = bitmap->height();
    for (int row = r.top / h; row * h < r.bottom; ++row) {
      for (int col = r.left / w; col * w < r.right; ++col) {
        const Rect tile = Rect::Sized(col * w, row * h, w, h);
        const Rect part = IntersectRect(tile, r);
        if (part.IsEmpty()) continue;
        CopyArea(part, *bitmap, part.Offset(-tile.left, -tile.top));
      }
    }
  }
  if (exclude) ApplyClipRegion(TleRegion(r), RegionDifference, true);
}

void TleCanvas::FillBand(const Rect& r, TColor color) {
  SetBrushColor(color);
  FillOrTileRect(r, nullptr);
}

void TleCanvas::FillSideBands(const Rect& r, TColor color, bool exclude, TleBorders sides,
                              int width) {
  if (r.IsEmpty()) return;
  if (color != clDefault) SetBrushColor(color);
  auto band = [&](Rect b) { FillOrTileRect(b, nullptr, exclude); };
  if (sides & bsLeft) band({r.left, r.top, std::min(r.left + width, r.right), r.bottom});
  if (sides & bsRight) band({std::max(r.left, r.right - width), r.top, r.right, r.bottom});
  if (sides & bsTop) band({r.left, r.top, r.right, std::min(r.top + width, r.bottom)});
  if (sides & bsBottom) band({r.left, std::max(r.top, r.bottom - width), r.right, r.bottom});
}

void TleCanvas::FrameAndFill(const Rect& r, const QImage* fillBitmap, TColor fillColor,
                             bool exclude, int width, TColor frameColor, TleBorders sides) {
  FillSideBands(r, frameColor, exclude, sides, width);
  Rect inner = r;
  if (sides & bsLeft) inner.left += width;
  if (sides & bsTop) inner.top += width;
  if (sides & bsRight) inner.right -= width;
  if (sides & bsBottom) inner.bottom -= width;
  SetBrushColor(fillColor);
  FillOrTileRect(inner, fillBitmap, exclude);
}

void TleCanvas::DrawTwoColorFrame(const Rect& r, TColor first, int width, TleBorders sides,
                                  TColor second) {
  if (sides & bsLeft) FillBand({r.left, r.top, r.left + width, r.bottom}, first);
  if (sides & bsTop) FillBand({r.left, r.top, r.right, r.top + width}, first);
  if (sides & bsRight) FillBand({r.right - width, r.top, r.right, r.bottom}, second);
  if (sides & bsBottom) FillBand({r.left, r.bottom - width, r.right, r.bottom}, second);
}

void TleCanvas::DrawEdgeRing(const Rect& r, bool sunken, TleBorders sides, bool outer) {
  TColor first, second;
  if (!sunken) {
    first = outer ? cl3DLight : clBtnHighlight;
    second = outer ? cl3DDkShadow : clBtnShadow;
  } else {
    first = outer ? clBtnShadow : cl3DDkShadow;
    second = outer ? clBtnHighlight : cl3DLight;
  }
  DrawTwoColorFrame(r, first, 1, sides, second);
}

void TleCanvas::InvertArea(const Rect& r) {
  // Copying the area onto itself with DSTINVERT inverts it.
  dc_.PatBlt(r.left, r.top, r.Width(), r.Height(), DSTINVERT);
}

void TleCanvas::RotateBitmap(QImage& bitmap, int mode, bool mirror) {
  if (mode == 0 && !mirror) return;
  const QImage src = bitmap.convertToFormat(QImage::Format_ARGB32);
  const int W = src.width(), H = src.height();
  const bool turn = mode == 1 || mode == 2;
  QImage dst(turn ? H : W, turn ? W : H, QImage::Format_ARGB32);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      int dx = x, dy = y;
      switch (mode) {
        case 0:
          dy = H - 1 - y;
          break;
        case 1:
          dx = y;
          dy = mirror ? x : W - 1 - x;
          break;
        case 2:
          dx = H - 1 - y;
          dy = mirror ? W - 1 - x : x;
          break;
        case 3:
          dx = W - 1 - x;
          dy = mirror ? y : H - 1 - y;
          break;
        default:
          return;
      }
      dst.setPixel(dx, dy, src.pixel(x, y));
    }
  }
  bitmap = dst.convertToFormat(bitmap.format());
}

void TleCanvas::PrepareText() {
  winshim::Font f = dc_.CurrentFont();
  f.qfont = font_;
  f.escapement = 0;
  dc_.SelectFont(f);
  dc_.SetTextColor(ResolveColor(fontColor_));
  if (brushStyle_ == TleBrushStyle::Clear) {
    dc_.SetBkMode(TRANSPARENT);
  } else {
    dc_.SetBkMode(OPAQUE);
    dc_.SetBkColor(ResolveColor(brushColor_));
  }
}

void TleCanvas::CalculateTextRect(const QString& text, Rect& r, std::uint32_t flags) {
  unsigned f = TextFlagsToDrawTextFlags(flags);
  const Rect given = r;
  Rect calc = r;
  PrepareText();
  winshim::DrawText(dc_, text, calc, (f & ~static_cast<unsigned>(DT_VCENTER)) | DT_CALCRECT);
  int dx = 0, dy = 0;
  if (f & DT_CENTER) dx = (given.Width() - calc.Width()) / 2;
  if (f & DT_RIGHT) dx = given.Width() - calc.Width();
  if (f & DT_VCENTER) dy = (given.Height() - calc.Height()) / 2;
  if (f & DT_BOTTOM) dy = given.Height() - calc.Height();
  r = calc.Offset(dx, dy);
}

void TleCanvas::AlignTextTop(Rect& r, const QString& text, bool noEditControl, bool enabled,
                             bool showPrefix, bool wordBreak, int placement) {
  const int d = enabled ? 0 : 1;
  std::uint32_t flags = TextFlagLeft | TextFlagTop;
  if (wordBreak) flags |= TextFlagWordBreak;
  if (showPrefix) flags |= TextFlagShowPrefix;
  if (noEditControl) flags |= TextFlagNoEditControl;
  Rect t{0, 0, r.Width() - d, 0};
  CalculateTextRect(text, t, flags);
  const int h = t.Height();
  if (placement == 1) r.top = r.bottom - h - d;
  if (placement == 2) r.top = (r.top + r.bottom - h) / 2;
}

void TleCanvas::DrawTextInRect(const QString& text, Rect r, bool enabled, std::uint32_t flags) {
  if (text.isEmpty()) return;
  const bool multiLine = !(flags & TextFlagSingleLine);
  const bool drawTextPath =
      multiLine || (flags & (TextFlagShowPrefix | TextFlagEndEllipsis | TextFlagPathEllipsis));
  const QSize size = MeasureText(text);
  if (r.Width() > size.width() && r.Height() > size.height()) flags |= TextFlagNoClip;
  const int d = enabled ? 0 : 1;
  unsigned dtFlags = 0;
  unsigned options = 0;
  if (drawTextPath) {
    if (multiLine && (flags & (TextFlagBottom | TextFlagCenterY))) {
      AlignTextTop(r, text, flags & TextFlagNoEditControl, enabled, flags & TextFlagShowPrefix,
                   flags & TextFlagWordBreak, (flags & TextFlagBottom) ? 1 : 2);
    }
    dtFlags = TextFlagsToDrawTextFlags(flags);
  } else {
    if (size.width() < r.Width()) {
      if ((flags & 7) == TextFlagRight) r.left = r.right - size.width() - d;
      if ((flags & 7) == TextFlagCenterX) r.left = (r.left + r.right - size.width()) / 2;
    }
    if (size.height() < r.Height()) {
      if ((flags & 56) == TextFlagBottom) r.top = r.bottom - size.height() - d;
      if ((flags & 56) == TextFlagCenterY) r.top = (r.top + r.bottom - size.height()) / 2;
    }
    options = (flags & TextFlagNoClip) ? 0 : 4;  // ETO_CLIPPED
  }
  const TleBrushStyle savedBrush = brushStyle_;
  const TColor savedFontColor = fontColor_;
  auto output = [&](const Rect& at) {
    PrepareText();
    if (drawTextPath) {
      Rect copy = at;
      winshim::DrawText(dc_, text, copy, dtFlags);
    } else {
      dc_.ExtTextOut(at.left, at.top, options, &at, text);
    }
  };
  if (!enabled) {
    brushStyle_ = TleBrushStyle::Clear;
    fontColor_ = clBtnHighlight;
    output(r.Offset(1, 1));
    fontColor_ = clBtnShadow;
  }
  output(r);
  brushStyle_ = savedBrush;
  fontColor_ = savedFontColor;
}

TleRegion TleCanvas::CurrentClipRegion(bool logical) const {
  TleRegion region(dc_.ClipRegion() ? *dc_.ClipRegion() : CreateRectRgn(0, 0, 30000, 30000));
  if (logical) {
    const QPoint o = DeviceOrigin();
    region.Offset(-o.x(), -o.y());
  }
  return region;
}

void TleCanvas::ApplyClipRegion(const TleRegion& region, TleRegionOperation operation,
                                bool logical) {
  if (operation != RegionReplace) {
    TleRegion current = CurrentClipRegion(logical);
    current.CombineWith(region, operation);
    ApplyClipRegion(current, RegionReplace, logical);
    return;
  }
  QRegion device = region.Handle();
  if (logical) device.translate(DeviceOrigin());
  dc_.SelectClipRgn(device);
}

detail::ScreenDevice::ScreenDevice()
    : image(1, 1, QImage::Format_ARGB32), dc(std::make_unique<winshim::Dc>(image)) {}

}  // namespace kelmo::le
