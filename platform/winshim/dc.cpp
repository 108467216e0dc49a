#include "winshim/dc.h"

#include <QFontMetrics>
#include <QPainter>
#include <cstring>
#include <stdexcept>

#include "winshim/dib.h"
#include "winshim/region.h"
#include "winshim/system_profile.h"

namespace kelmo::winshim {
namespace {

// A pixel as the 32-bit value of its bytes in memory: blue, green, red,
// alpha from the low byte up. Colours and pixels without alpha carry 0xFF.
std::uint32_t ValueOfColor(ColorRef c) {
  return 0xFF000000u | (std::uint32_t(GetRValue(c)) << 16) | (std::uint32_t(GetGValue(c)) << 8) |
         std::uint32_t(GetBValue(c));
}
ColorRef ColorOfValue(std::uint32_t v) {
  return RGB(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF));
}

bool IsFourByte(QImage::Format f) {
  return f == QImage::Format_ARGB32 || f == QImage::Format_RGB32 ||
         f == QImage::Format_ARGB32_Premultiplied;
}

std::uint32_t ReadValue(const QImage& image, int x, int y) {
  const QImage::Format f = image.format();
  if (f == QImage::Format_BGR888) {
    const std::uint8_t* p = image.constScanLine(y) + 3 * x;
    return 0xFF000000u | p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
  }
  if (IsFourByte(f)) {
    std::uint32_t v;
    std::memcpy(&v, image.constScanLine(y) + 4 * x, 4);
    return f == QImage::Format_RGB32 ? (v | 0xFF000000u) : v;
  }
  return image.pixel(x, y);  // QRgb has the same layout
}

void WriteValue(QImage& image, int x, int y, std::uint32_t v) {
  const QImage::Format f = image.format();
  if (f == QImage::Format_BGR888) {
    std::uint8_t* p = image.scanLine(y) + 3 * x;
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
  } else if (IsFourByte(f)) {
    std::memcpy(image.scanLine(y) + 4 * x, &v, 4);
  } else {
    image.setPixel(x, y, v);
  }
}

// The ternary operation: bit i of the operation's index byte is the result
// for pattern, source and destination bits (P << 2 | S << 1 | D) == i.
std::uint32_t Ternary(std::uint32_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  const unsigned index = (rop >> 16) & 0xFF;
  switch (index) {
    case 0xCC:
      return s;
    case 0x66:
      return s ^ d;
    case 0x88:
      return s & d;
    case 0xEE:
      return s | d;
    case 0x55:
      return ~d;
    case 0x00:
      return 0;
    case 0xFF:
      return 0xFFFFFFFFu;
    case 0xF0:
      return p;
    default:
      break;
  }
  std::uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i) {
    if (!((index >> i) & 1)) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r;
}

bool UsesSource(std::uint32_t rop) {
  const unsigned i = (rop >> 16) & 0xFF;
  return ((i >> 2) & 0x33) != (i & 0x33);
}
bool UsesPattern(std::uint32_t rop) {
  const unsigned i = (rop >> 16) & 0xFF;
  return ((i >> 4) & 0x0F) != (i & 0x0F);
}

QPen ToQPen(const Pen& pen) {
  if (pen.style == PenStyle::Null) return QPen(Qt::NoPen);
  QPen q(ToQColor(pen.color));
  q.setWidth(std::max(1, pen.width));
  q.setStyle(pen.style == PenStyle::Dash  ? Qt::DashLine
             : pen.style == PenStyle::Dot ? Qt::DotLine
                                          : Qt::SolidLine);
  q.setCapStyle(Qt::SquareCap);
  q.setJoinStyle(Qt::MiterJoin);
  return q;
}

}  // namespace

Dc::Dc(QImage& image) : image_(&image), deviceSize_(image.size()) {}

Dc::Dc(QPainter& painter, QSize deviceSize) : painter_(&painter), deviceSize_(deviceSize) {}

Dc::~Dc() = default;

QSize Dc::DeviceSize() const {
  return image_ ? image_->size() : deviceSize_;
}

Dc::PainterScope::PainterScope(Dc& d) : dc(d) {
  if (dc.image_) {
    own.emplace(dc.image_);
    painter = &*own;
  } else {
    painter = dc.painter_;
    painter->save();
  }
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setRenderHint(QPainter::TextAntialiasing, true);
  if (dc.state_.clip) painter->setClipRegion(*dc.state_.clip);
  painter->translate(dc.Offset());
  painter->setFont(dc.state_.font.qfont);
}

Dc::PainterScope::~PainterScope() {
  if (own)
    own->end();
  else
    painter->restore();
}

QPoint Dc::SetViewportOrg(int x, int y) {
  const QPoint old = state_.viewportOrg;
  state_.viewportOrg = {x, y};
  return old;
}
QPoint Dc::OffsetViewportOrg(int dx, int dy) {
  const QPoint old = state_.viewportOrg;
  state_.viewportOrg += QPoint(dx, dy);
  return old;
}
QPoint Dc::SetWindowOrg(int x, int y) {
  const QPoint old = state_.windowOrg;
  state_.windowOrg = {x, y};
  return old;
}
QPoint Dc::LogicalToDevice(QPoint p) const {
  return p + Offset();
}
QPoint Dc::DeviceToLogical(QPoint p) const {
  return p - Offset();
}

int Dc::SaveDC() {
  saved_.push_back(state_);
  return int(saved_.size());
}

bool Dc::RestoreDC(int level) {
  const int depth = int(saved_.size());
  const int target = level < 0 ? depth + level + 1 : level;  // the depth to restore
  if (target < 1 || target > depth) return false;
  state_ = saved_[std::size_t(target - 1)];
  saved_.resize(std::size_t(target - 1));
  return true;
}

QRegion Dc::DeviceArea() const {
  return QRegion(QRect(QPoint(0, 0), DeviceSize()));
}

QRegion Dc::Visible(const QRect& deviceRect) const {
  QRegion r = DeviceArea() & QRegion(deviceRect);
  if (state_.clip) r &= *state_.clip;
  return r;
}

RegionKind Dc::SelectClipRgn(const std::optional<QRegion>& region) {
  state_.clip = region;
  return region ? RegionKindOf(*region) : SIMPLEREGION;
}

RegionKind Dc::ExtSelectClipRgn(const std::optional<QRegion>& region, CombineMode mode) {
  if (mode == RGN_COPY) return SelectClipRgn(region);
  if (!region) return RGN_ERROR;
  const QRegion current = state_.clip ? *state_.clip : DeviceArea();
  QRegion result;
  CombineRgn(result, current, *region, mode);
  state_.clip = result;
  return RegionKindOf(result);
}

RegionKind Dc::ExcludeClipRect(int left, int top, int right, int bottom) {
  const QRegion cut = CreateRectRgn(left, top, right, bottom).translated(Offset());
  return ExtSelectClipRgn(cut, RGN_DIFF);
}

RegionKind Dc::IntersectClipRect(int left, int top, int right, int bottom) {
  const QRegion keep = CreateRectRgn(left, top, right, bottom).translated(Offset());
  return ExtSelectClipRgn(keep, RGN_AND);
}

RegionKind Dc::GetClipBox(Rect& box) const {
  const QRegion area = state_.clip ? (*state_.clip & DeviceArea()) : DeviceArea();
  RegionKind kind = GetRgnBox(area, box);
  box = box.Offset(-Offset().x(), -Offset().y());
  if (kind == NULLREGION) box = Rect{};
  return kind;
}

bool Dc::PtVisible(int x, int y) const {
  const QPoint d = LogicalToDevice({x, y});
  if (!QRect(QPoint(0, 0), DeviceSize()).contains(d)) return false;
  return !state_.clip || state_.clip->contains(d);
}

Pen Dc::SelectPen(const Pen& pen) {
  return std::exchange(state_.pen, pen);
}
Brush Dc::SelectBrush(const Brush& brush) {
  return std::exchange(state_.brush, brush);
}
Font Dc::SelectFont(const Font& font) {
  return std::exchange(state_.font, font);
}
ColorRef Dc::SetTextColor(ColorRef c) {
  return std::exchange(state_.textColor, c & 0xFFFFFF);
}
ColorRef Dc::SetBkColor(ColorRef c) {
  return std::exchange(state_.bkColor, c & 0xFFFFFF);
}
BkMode Dc::SetBkMode(BkMode mode) {
  return std::exchange(state_.bkMode, mode);
}
Rop2 Dc::SetROP2(Rop2 mode) {
  return std::exchange(state_.rop2, mode);
}
StretchMode Dc::SetStretchBltMode(StretchMode mode) {
  return std::exchange(state_.stretchMode, mode);
}

ColorRef Dc::GetPixel(int x, int y) const {
  if (!image_ || !PtVisible(x, y)) return CLR_INVALID;
  const QPoint d = LogicalToDevice({x, y});
  return ColorOfValue(ReadValue(*image_, d.x(), d.y()));
}

void Dc::SetPixel(int x, int y, ColorRef c) {
  if (!PtVisible(x, y)) return;
  const QPoint d = LogicalToDevice({x, y});
  if (image_) {
    std::uint32_t v = ValueOfColor(c);
    WriteValue(*image_, d.x(), d.y(), v);
  } else {
    painter_->save();
    painter_->setPen(ToQColor(c));
    painter_->drawPoint(d);
    painter_->restore();
  }
}

template <typename F>
void Dc::DrawShape(F&& draw) {
  if (state_.rop2 == R2_COPYPEN || (!image_ && state_.rop2 != R2_NOT && state_.rop2 != R2_XORPEN)) {
    PainterScope scope(*this);
    if (state_.rop2 == R2_BLACK || state_.rop2 == R2_WHITE) {
      const QColor c = state_.rop2 == R2_BLACK ? Qt::black : Qt::white;
      QPen pen = scope.painter->pen();
      pen.setColor(c);
      scope.painter->setPen(pen);
      if (scope.painter->brush().style() != Qt::NoBrush) scope.painter->setBrush(c);
    }
    draw(*scope.painter);
    return;
  }
  if (!image_) {
    PainterScope scope(*this);
    scope.painter->setCompositionMode(state_.rop2 == R2_NOT
                                          ? QPainter::RasterOp_NotDestination
                                          : QPainter::RasterOp_SourceXorDestination);
    draw(*scope.painter);
    return;
  }
  // The shape's coverage, drawn in its own colours on a transparent layer,
  // then mixed into the pixels.
  QImage layer(DeviceSize(), QImage::Format_ARGB32);
  layer.fill(0);
  {
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (state_.clip) p.setClipRegion(*state_.clip);
    p.translate(Offset());
    draw(p);
  }
  for (int y = 0; y < layer.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(layer.constScanLine(y));
    for (int x = 0; x < layer.width(); ++x) {
      const std::uint32_t c = row[x];
      if ((c >> 24) == 0) continue;
      const std::uint32_t d = ReadValue(*image_, x, y);
      std::uint32_t r = d;
      switch (state_.rop2) {
        case R2_NOT:
          r = (~d & 0x00FFFFFFu) | (d & 0xFF000000u);
          break;
        case R2_XORPEN:
          r = d ^ (c & 0x00FFFFFFu);
          break;
        case R2_BLACK:
          r = d & 0xFF000000u;
          break;
        case R2_WHITE:
          r = d | 0x00FFFFFFu;
          break;
        default:
          r = c;
          break;
      }
      WriteValue(*image_, x, y, r);
    }
  }
}

void Dc::FillRect(const Rect& r, const Brush& brush) {
  if (r.IsEmpty() || brush.style == BrushStyle::Null) return;
  if (brush.style == BrushStyle::Pattern) {
    const Brush old = std::exchange(state_.brush, brush);
    PatBlt(r.left, r.top, r.Width(), r.Height(), PATCOPY);
    state_.brush = old;
    return;
  }
  PainterScope scope(*this);
  scope.painter->fillRect(r.ToQRect(), ToQColor(brush.color));
}

void FillSolidRect(Dc& dc, const Rect& r, ColorRef color) {
  dc.FillRect(r, Brush::SolidColor(color));
}

void Dc::FrameRect(const Rect& r, const Brush& brush) {
  if (r.IsEmpty()) return;
  FillRect({r.left, r.top, r.right, r.top + 1}, brush);
  FillRect({r.left, r.bottom - 1, r.right, r.bottom}, brush);
  FillRect({r.left, r.top + 1, r.left + 1, r.bottom - 1}, brush);
  FillRect({r.right - 1, r.top + 1, r.right, r.bottom - 1}, brush);
}

void Dc::InvertRect(const Rect& r) {
  PatBlt(r.left, r.top, r.Width(), r.Height(), DSTINVERT);
}

void Dc::DrawFocusRect(const Rect& r) {
  if (r.IsEmpty()) return;
  // Every other pixel along the frame, counted round from the top-left.
  auto invert = [&](int x, int y) {
    if (!PtVisible(x, y)) return;
    if (image_) {
      const QPoint d = LogicalToDevice({x, y});
      const std::uint32_t v = ReadValue(*image_, d.x(), d.y());
      WriteValue(*image_, d.x(), d.y(), (~v & 0x00FFFFFFu) | (v & 0xFF000000u));
    } else {
      PatBlt(x, y, 1, 1, DSTINVERT);
    }
  };
  for (int x = r.left; x < r.right; x += 2) {
    invert(x, r.top);
    if (r.bottom - 1 > r.top) invert(x, r.bottom - 1);
  }
  for (int y = r.top + 2; y < r.bottom - 1; y += 2) {
    invert(r.left, y);
    if (r.right - 1 > r.left) invert(r.right - 1, y);
  }
}

bool Dc::DrawEdge(Rect& r, unsigned edge, unsigned flags) {
  if (r.IsEmpty()) return false;
  // Outer and inner borders: the top-left colour, then the bottom-right one.
  struct Border {
    int topLeft;
    int bottomRight;
  };
  std::vector<Border> borders;
  const bool mono = flags & BF_MONO, flat = flags & BF_FLAT;
  const unsigned outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
  const unsigned inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
  if (mono) {
    if (outer || inner) borders.push_back({COLOR_WINDOWFRAME, COLOR_WINDOWFRAME});
  } else if (flat) {
    if (outer) borders.push_back({COLOR_BTNSHADOW, COLOR_BTNSHADOW});
    if (inner) borders.push_back({COLOR_BTNFACE, COLOR_BTNFACE});
  } else {
    if (outer == BDR_RAISEDOUTER) borders.push_back({COLOR_3DLIGHT, COLOR_3DDKSHADOW});
    if (outer == BDR_SUNKENOUTER) borders.push_back({COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT});
    if (inner == BDR_RAISEDINNER) borders.push_back({COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW});
    if (inner == BDR_SUNKENINNER) borders.push_back({COLOR_3DDKSHADOW, COLOR_3DLIGHT});
  }
  Rect q = r;
  for (const Border& b : borders) {
    if (q.IsEmpty()) break;
    const Brush tl = Brush::SolidColor(GetSysColor(b.topLeft));
    const Brush br = Brush::SolidColor(GetSysColor(b.bottomRight));
    if (flags & BF_TOP) FillRect({q.left, q.top, q.right, q.top + 1}, tl);
    if (flags & BF_LEFT) FillRect({q.left, q.top, q.left + 1, q.bottom}, tl);
    if (flags & BF_BOTTOM) FillRect({q.left, q.bottom - 1, q.right, q.bottom}, br);
    if (flags & BF_RIGHT) FillRect({q.right - 1, q.top, q.right, q.bottom}, br);
    if (flags & BF_LEFT) ++q.left;
    if (flags & BF_TOP) ++q.top;
    if (flags & BF_RIGHT) --q.right;
    if (flags & BF_BOTTOM) --q.bottom;
  }
  if ((flags & BF_MIDDLE) && !q.IsEmpty())
    FillRect(q, Brush::SolidColor(GetSysColor(mono ? COLOR_WINDOW : COLOR_BTNFACE)));
  if (flags & BF_ADJUST) r = q;
  return true;
}

namespace {
void ApplyObjects(QPainter& p, const Pen& pen, const Brush& brush) {
  p.setPen(ToQPen(pen));
  if (brush.style == BrushStyle::Solid)
    p.setBrush(ToQColor(brush.color));
  else if (brush.style == BrushStyle::Pattern && !brush.pattern.isNull())
    p.setBrush(QBrush(brush.pattern));
  else
    p.setBrush(Qt::NoBrush);
}
// The outline box of a filled GDI shape: the pen runs on its first and last
// columns and rows; without a pen the fill stops one short.
QRect ShapeBox(int l, int t, int r, int b) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  return QRect(l, t, std::max(0, r - l - 1), std::max(0, b - t - 1));
}
}  // namespace

void Dc::Rectangle(int left, int top, int right, int bottom) {
  DrawShape([&](QPainter& p) {
    ApplyObjects(p, state_.pen, state_.brush);
    p.drawRect(ShapeBox(left, top, right, bottom));
  });
}

void Dc::RoundRect(int left, int top, int right, int bottom, int w, int h) {
  DrawShape([&](QPainter& p) {
    ApplyObjects(p, state_.pen, state_.brush);
    p.drawRoundedRect(ShapeBox(left, top, right, bottom), w / 2.0, h / 2.0, Qt::AbsoluteSize);
  });
}

void Dc::Ellipse(int left, int top, int right, int bottom) {
  DrawShape([&](QPainter& p) {
    ApplyObjects(p, state_.pen, state_.brush);
    p.drawEllipse(ShapeBox(left, top, right, bottom));
  });
}

void Dc::Polygon(const QPolygon& points) {
  if (points.size() < 2) return;
  DrawShape([&](QPainter& p) {
    ApplyObjects(p, state_.pen, state_.brush);
    p.drawPolygon(points, Qt::OddEvenFill);
  });
}

void Dc::Polyline(const QPolygon& points) {
  if (points.size() < 2) return;
  DrawShape([&](QPainter& p) {
    ApplyObjects(p, state_.pen, Brush::Hollow());
    p.drawPolyline(points);
  });
}

QPoint Dc::MoveTo(int x, int y) {
  return std::exchange(state_.penPos, QPoint(x, y));
}

void Dc::LineTo(int x, int y) {
  const QPoint from = state_.penPos;
  const QPoint to(x, y);
  state_.penPos = to;
  const int dx = to.x() - from.x(), dy = to.y() - from.y();
  if (dx == 0 && dy == 0) return;
  // The end point itself is not drawn.
  QPoint last;
  if (std::abs(dx) >= std::abs(dy)) {
    const int n = std::abs(dx);
    last = {to.x() - (dx > 0 ? 1 : -1), from.y() + int(std::lround(double(dy) * (n - 1) / n))};
  } else {
    const int n = std::abs(dy);
    last = {from.x() + int(std::lround(double(dx) * (n - 1) / n)), to.y() - (dy > 0 ? 1 : -1)};
  }
  DrawShape([&](QPainter& p) {
    ApplyObjects(p, state_.pen, Brush::Hollow());
    p.drawLine(from, last);
  });
}

void Dc::DrawIconEx(int x, int y, const QImage& icon, int cx, int cy) {
  if (icon.isNull()) return;
  PainterScope scope(*this);
  const QSize size(cx > 0 ? cx : icon.width(), cy > 0 ? cy : icon.height());
  scope.painter->drawImage(QRect(QPoint(x, y), size), icon);
}

void Dc::PatBlt(int x, int y, int w, int h, std::uint32_t rop) {
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  if (w == 0 || h == 0) return;
  const QRect dev(LogicalToDevice({x, y}), QSize(w, h));
  if (image_)
    RopImage(dev, nullptr, {}, rop);
  else
    RopPainter(dev, nullptr, {}, rop);
}

// The part of a source image that a transfer reads, as a 32-bit image whose
// pixel values are those of the source (1-bit pixels become the text colour
// for 0 and the background colour for 1).
QImage Dc::SourceImage(const QImage& src, const QRect& r) const {
  QImage out(r.size(), QImage::Format_ARGB32);
  const bool mono = src.format() == QImage::Format_Mono || src.format() == QImage::Format_MonoLSB;
  const std::uint32_t fore = ValueOfColor(state_.textColor), back = ValueOfColor(state_.bkColor);
  for (int y = 0; y < r.height(); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
    for (int x = 0; x < r.width(); ++x) {
      if (mono)
        row[x] = src.pixelIndex(r.x() + x, r.y() + y) ? back : fore;
      else
        row[x] = ReadValue(src, r.x() + x, r.y() + y);
    }
  }
  return out;
}

void Dc::RopImage(const QRect& devRect, const QImage* src, QPoint srcOrigin, std::uint32_t rop) {
  const QRegion visible = Visible(devRect);
  if (visible.isEmpty()) return;
  QImage& dst = *image_;
  const bool fourByte = IsFourByte(dst.format()) && dst.format() != QImage::Format_RGB32;
  const bool threeByte = dst.format() == QImage::Format_BGR888;
  const unsigned index = (rop >> 16) & 0xFF;
  const Brush& brush = state_.brush;
  const std::uint32_t solid = ValueOfColor(brush.color);
  const bool patterned = brush.style == BrushStyle::Pattern && !brush.pattern.isNull();
  QImage tile;
  if (patterned && UsesPattern(rop)) tile = SourceImage(brush.pattern, brush.pattern.rect());
  for (const QRect& part : visible) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
      const auto* srow =
          src ? reinterpret_cast<const std::uint32_t*>(src->constScanLine(y - srcOrigin.y()))
              : nullptr;
      if (index == 0xCC && srow && (fourByte || threeByte)) {
        // Plain copy: the source values straight into the row.
        std::uint8_t* drow = dst.scanLine(y);
        if (fourByte) {
          std::memcpy(drow + 4 * part.left(), srow + (part.left() - srcOrigin.x()),
                      4 * std::size_t(part.width()));
        } else {
          for (int x = part.left(); x <= part.right(); ++x) {
            const std::uint32_t v = srow[x - srcOrigin.x()];
            std::uint8_t* p = drow + 3 * x;
            p[0] = std::uint8_t(v);
            p[1] = std::uint8_t(v >> 8);
            p[2] = std::uint8_t(v >> 16);
          }
        }
        continue;
      }
      for (int x = part.left(); x <= part.right(); ++x) {
        const std::uint32_t d = ReadValue(dst, x, y);
        const std::uint32_t s = srow ? srow[x - srcOrigin.x()] : 0;
        std::uint32_t p = solid;
        if (!tile.isNull()) {
          p = reinterpret_cast<const std::uint32_t*>(
              tile.constScanLine(y % tile.height()))[x % tile.width()];
        }
        WriteValue(dst, x, y, Ternary(rop, p, s, d));
      }
    }
  }
}

void Dc::RopPainter(const QRect& devRect, const QImage* src, QPoint srcOrigin, std::uint32_t rop) {
  const unsigned index = (rop >> 16) & 0xFF;
  QPainter& p = *painter_;
  p.save();
  if (state_.clip) p.setClipRegion(*state_.clip);
  QImage piece;
  if (src) {
    piece = src->copy(QRect(devRect.topLeft() - srcOrigin, devRect.size()));
    // GDI ignores the alpha byte of a copied bitmap: show it opaque.
    piece.reinterpretAsFormat(QImage::Format_RGB32);
  }
  QBrush pattern = state_.brush.style == BrushStyle::Pattern && !state_.brush.pattern.isNull()
                       ? QBrush(state_.brush.pattern)
                       : QBrush(ToQColor(state_.brush.color));
  switch (index) {
    case 0xCC:
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(devRect.topLeft(), piece);
      break;
    case 0x66:
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p.drawImage(devRect.topLeft(), piece);
      break;
    case 0x88:
      p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
      p.drawImage(devRect.topLeft(), piece);
      break;
    case 0xEE:
      p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
      p.drawImage(devRect.topLeft(), piece);
      break;
    case 0x33:
      p.setCompositionMode(QPainter::RasterOp_NotSource);
      p.drawImage(devRect.topLeft(), piece);
      break;
    case 0x55:
      p.setCompositionMode(QPainter::RasterOp_NotDestination);
      p.fillRect(devRect, Qt::black);
      break;
    case 0x00:
      p.fillRect(devRect, Qt::black);
      break;
    case 0xFF:
      p.fillRect(devRect, Qt::white);
      break;
    case 0xF0:
      p.fillRect(devRect, pattern);
      break;
    case 0xE2: {
      // Pattern where the source is white, the destination elsewhere.
      QImage shape(devRect.size(), QImage::Format_ARGB32);
      for (int y = 0; y < shape.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(shape.scanLine(y));
        const auto* s = reinterpret_cast<const std::uint32_t*>(piece.constScanLine(y));
        for (int x = 0; x < shape.width(); ++x)
          row[x] = (s[x] & 0xFFFFFFu) == 0xFFFFFFu ? 0xFFFFFFFFu : 0u;
      }
      QImage fill(devRect.size(), QImage::Format_ARGB32_Premultiplied);
      fill.fill(Qt::transparent);
      {
        QPainter fp(&fill);
        fp.fillRect(fill.rect(), pattern);
        fp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        fp.drawImage(0, 0, shape);
      }
      p.drawImage(devRect.topLeft(), fill);
      break;
    }
    default:
      p.restore();
      throw std::invalid_argument("raster operation not available on a window");
  }
  p.restore();
}

bool Dc::BitBlt(int x, int y, int w, int h, const Dc& src, int sx, int sy, std::uint32_t rop) {
  if (w <= 0 || h <= 0) return false;
  QRect dev(LogicalToDevice({x, y}), QSize(w, h));
  if (!UsesSource(rop)) {
    PatBlt(x, y, w, h, rop);
    return true;
  }
  if (!src.image_) return false;
  // The source part, clipped to the source bitmap; the destination follows.
  QRect sdev(src.LogicalToDevice({sx, sy}), QSize(w, h));
  const QRect inside = sdev & src.image_->rect();
  if (inside.isEmpty()) return false;
  dev.translate(inside.topLeft() - sdev.topLeft());
  dev.setSize(inside.size());
  const QImage piece = SourceImage(*src.image_, inside);
  if (image_)
    RopImage(dev, &piece, dev.topLeft(), rop);
  else
    RopPainter(dev, &piece, dev.topLeft(), rop);
  return true;
}

bool Dc::StretchBlt(int x, int y, int w, int h, const Dc& src, int sx, int sy, int sw, int sh,
                    std::uint32_t rop) {
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return false;
  if (!UsesSource(rop)) {
    PatBlt(x, y, w, h, rop);
    return true;
  }
  if (!src.image_) return false;
  const bool mirrorX = (w < 0) != (sw < 0), mirrorY = (h < 0) != (sh < 0);
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  if (sw < 0) {
    sx += sw;
    sw = -sw;
  }
  if (sh < 0) {
    sy += sh;
    sh = -sh;
  }
  const QRect sdev(src.LogicalToDevice({sx, sy}), QSize(sw, sh));
  if ((sdev & src.image_->rect()) != sdev) return false;
  QImage piece = SourceImage(*src.image_, sdev);
  if (sw != w || sh != h) {
    piece = piece.scaled(
        w, h, Qt::IgnoreAspectRatio,
        state_.stretchMode == HALFTONE ? Qt::SmoothTransformation : Qt::FastTransformation);
    piece = piece.convertToFormat(QImage::Format_ARGB32);
  }
  if (mirrorX || mirrorY) piece = piece.mirrored(mirrorX, mirrorY);
  const QRect dev(LogicalToDevice({x, y}), QSize(w, h));
  if (image_)
    RopImage(dev, &piece, dev.topLeft(), rop);
  else
    RopPainter(dev, &piece, dev.topLeft(), rop);
  return true;
}

void Dc::TextOut(int x, int y, const QString& text) {
  ExtTextOut(x, y, 0, nullptr, text);
}

void Dc::ExtTextOut(int x, int y, unsigned options, const Rect* rect, const QString& text) {
  constexpr unsigned kOpaque = 2, kClipped = 4;
  PainterScope scope(*this);
  QPainter& p = *scope.painter;
  if (rect && (options & kClipped)) p.setClipRect(rect->ToQRect(), Qt::IntersectClip);
  if (rect && (options & kOpaque)) p.fillRect(rect->ToQRect(), ToQColor(state_.bkColor));
  const QFontMetrics fm(state_.font.qfont);
  p.translate(x, y);
  if (state_.font.escapement != 0) p.rotate(-state_.font.escapement / 10.0);
  if (state_.bkMode == OPAQUE && !text.isEmpty())
    p.fillRect(QRect(0, 0, fm.horizontalAdvance(text), fm.height()), ToQColor(state_.bkColor));
  p.setPen(ToQColor(state_.textColor));
  p.drawText(QPoint(0, fm.ascent()), text);
}

}  // namespace kelmo::winshim
