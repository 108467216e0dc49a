// The painters' shared bitmaps: radio images, indicators, track patterns.
#include "lookandfeel/painter_resources.h"

#include <QPainter>

#include "lookandfeel/office11_colors.h"
#include "lookandfeel/painters.h"

namespace kelmo::le {
namespace {

struct Resources {
  std::unique_ptr<TleRadioButtonImageList> radio;
  std::vector<QImage> indicators;
  QImage patterns[2];
  QSize checkBox{13, 13};
  std::unique_ptr<TleSystemPaletteChangedNotifier> notifier;
};

Resources& R() {
  static Resources r;
  return r;
}

// RoundRect(L, T, R, B, R - L - 1, B - T - 1) with a black pen and brush on
// white: the disc the system draws for a radio button.
QImage Ellipse(int w, int h, const Rect& r) {
  QImage img(w, h, QImage::Format_ARGB32);
  img.fill(Qt::white);
  winshim::Dc dc(img);
  dc.SelectPen({winshim::PenStyle::Solid, 1, 0});
  dc.SelectBrush(winshim::Brush::SolidColor(0));
  dc.RoundRect(r.left, r.top, r.right, r.bottom, r.Width() - 1, r.Height() - 1);
  return img;
}

bool Black(const QImage& img, int x, int y) {
  return (img.pixel(x, y) & 0xFFFFFF) == 0;
}

// Indicator glyphs of our own: 11 by 11 black shapes on white (white is
// transparent when drawn).
QImage IndicatorGlyph(int kind) {
  QImage img(11, 11, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  switch (kind) {
    case 0:  // arrow
      p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(3, 9), QPoint(7, 5)}));
      break;
    case 1:  // edit: an I-beam
      p.drawRect(5, 1, 1, 9);
      p.drawRect(3, 1, 5, 1);
      p.drawRect(3, 9, 5, 1);
      break;
    case 2:  // insert: a star
      p.drawRect(5, 2, 1, 7);
      p.drawRect(2, 5, 7, 1);
      p.drawRect(3, 3, 5, 5);
      break;
    case 3:  // multi-dot
      p.drawEllipse(QPoint(5, 5), 2, 2);
      break;
    default:  // multi-arrow
      p.drawPolygon(QPolygon({QPoint(1, 1), QPoint(1, 9), QPoint(5, 5)}));
      p.drawPolygon(QPolygon({QPoint(5, 1), QPoint(5, 9), QPoint(9, 5)}));
      break;
  }
  return img;
}

QImage Pattern(bool pressed) {
  QImage img(8, 8, QImage::Format_RGB32);
  const ColorRef odd = ResolveColor(pressed ? cl3DDkShadow : clBtnHighlight);
  const ColorRef even = ResolveColor(pressed ? clBlack : clBtnFace);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      img.setPixelColor(x, y, winshim::ToQColor((x % 2) != (y % 2) ? odd : even));
    }
  }
  return img;
}

ColorRef BodyColor(TleLookAndFeelKind kind, ElementState s) {
  if (kind == lfOffice11) {
    return s == esNormal ? ResolveColor(clWindow)
                         : ResolveColor(PainterOf(lfOffice11).ButtonFaceColor(s));
  }
  if (s == esDisabled) return ResolveColor(clBtnFace);
  if (kind == lfUltraFlat) {
    if (s == esHot) return SystemHotColor();
    if (s == esPressed) return SystemPressedColor();
    return ResolveColor(clWindow);
  }
  return ResolveColor(s == esPressed ? clBtnFace : clWindow);
}

int RadioIndex(bool focused, bool marked, TleLookAndFeelKind kind, bool checked, ElementState s) {
  return ((focused * 8 + marked * 4 + kind) * 8) + checked * 4 + (s - 1);
}

}  // namespace

const RadioMeasure& RadioMeasurements() {
  // The classic radio cell: a 13-pixel circle filling the cell, the dot the
  // 5 by 5 square at its centre.
  static const RadioMeasure m;
  return m;
}

ColorRef TleRadioButtonImageList::ColorOfCode(int code, TleLookAndFeelKind kind, ElementState s,
                                              bool checked, bool focused, bool marked) {
  const ColorRef body = BodyColor(kind, s);
  switch (code) {
    case 0:
      return 0;
    case 5:
      return body;
    case 6:
      if (!checked) return body;
      if (s != esDisabled) return ResolveColor(clWindowText);
      return kind == lfOffice11 ? Office11().GrayText : ResolveColor(clBtnShadow);
    default:
      break;
  }
  switch (kind) {
    case lfFlat:
    case lfStandard: {
      static constexpr TColor kFlat[] = {clBtnShadow, clBtnHighlight, cl3DLight, cl3DLight};
      static constexpr TColor kStandard[] = {clBtnShadow, clBtnHighlight, cl3DDkShadow, cl3DLight};
      return ResolveColor((kind == lfFlat ? kFlat : kStandard)[code - 1]);
    }
    case lfUltraFlat: {
      if (code >= 3) return body;
      const bool lit = focused || s == esHot || s == esPressed || (marked && s != esDisabled);
      return ResolveColor(lit ? clHighlight : clBtnShadow);
    }
    default: {
      if (code >= 3) return body;
      if (s == esDisabled) return Office11().GrayText;
      if (focused || marked || s == esHot || s == esPressed) return Office11().SelectionFrame;
      return ResolveColor(clBtnText);
    }
  }
}

TleRadioButtonImageList::TleRadioButtonImageList() {
  const RadioMeasure& m = RadioMeasurements();
  const int w = m.circleWidth, h = m.circleHeight;
  // The button shape: black marks the visible disc.
  mask_ = Ellipse(w, h, {0, 0, w, h});
  // Outer ring.
  pattern_.assign(static_cast<std::size_t>(h), std::vector<int>(static_cast<std::size_t>(w), 0));
  const QImage ring = [&] {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::white);
    winshim::Dc dc(img);
    dc.SelectPen({winshim::PenStyle::Solid, 1, 0});
    dc.SelectBrush(winshim::Brush::SolidColor(0xFFFFFF));
    dc.RoundRect(0, 0, w, h, w - 1, h - 1);
    return img;
  }();
  auto at = [&](int x, int y) -> int& {
    return pattern_[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
  };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (Black(ring, x, y)) at(x, y) = (h - 1) * (w - x - 1) < (w - 1) * y ? 2 : 1;
    }
  }
  // Inner area.
  for (int y = 1; y <= h - 2; ++y) {
    for (int x = w / 2 - 1; x >= 0 && at(x, y) == 0; --x) at(x, y) = 5;
    for (int x = w / 2; x < w && at(x, y) == 0; ++x) at(x, y) = 5;
  }
  // Inner ring: the pixels just inside the outline, from the centre outwards.
  auto mark = [&](int x, int y) {
    const int a = (w - x - 1) * (h - 1), d = y * (w - 1);
    if (a == d) {
      at(x, y) = x > w / 2 - 1 ? 4 : 3;
    } else {
      at(x, y) = a < d ? 4 : 3;
    }
  };
  auto outline = [&](int x, int y) { return at(x, y) == 1 || at(x, y) == 2; };
  for (int y = 1; y <= h - 2; ++y) {
    for (int dir : {-1, 1}) {
      int x = dir < 0 ? w / 2 - 1 : w / 2, last = -1;
      for (; x >= 0 && x < w && !outline(x, y); x += dir) {
        if (y == 1 || y == h - 2) mark(x, y);
        last = x;
      }
      if (last >= 0) mark(last, y);
    }
  }
  for (int x = 1; x <= w - 2; ++x) {
    for (int dir : {-1, 1}) {
      int y = dir < 0 ? h / 2 - 1 : h / 2, last = -1;
      for (; y >= 0 && y < h && !outline(x, y); y += dir) {
        if (x == 1 || x == w - 2) mark(x, y);
        last = y;
      }
      if (last >= 0) mark(x, last);
    }
  }
  // The dot.
  const QImage dot = Ellipse(
      w, h, Rect{m.dotLeft, m.dotTop, m.dotRight, m.dotBottom}.Offset(-m.circleLeft, -m.circleTop));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (Black(dot, x, y)) at(x, y) = 6;
    }
  }
  BuildRadioImages();
}

void TleRadioButtonImageList::BuildRadioImages() {
  if (!images_.empty()) return;
  const int w = static_cast<int>(pattern_.empty() ? 0 : pattern_[0].size());
  const int h = static_cast<int>(pattern_.size());
  indexMap_.assign(128, 0);
  for (int focused = 0; focused < 2; ++focused) {
    for (int marked = 0; marked < 2; ++marked) {
      for (int kind = 0; kind < 4; ++kind) {
        for (int checked = 0; checked < 2; ++checked) {
          for (int s = esNormal; s <= esDisabled; ++s) {
            ColorRef colors[7];
            for (int code = 0; code < 7; ++code) {
              colors[code] = ColorOfCode(code, TleLookAndFeelKind(kind), ElementState(s), checked,
                                         focused, marked);
            }
            QImage img(w, h, QImage::Format_ARGB32);
            for (int y = 0; y < h; ++y) {
              for (int x = 0; x < w; ++x) {
                const ColorRef c = colors[pattern_[std::size_t(y)][std::size_t(x)]];
                const bool visible = Black(mask_, x, y);
                img.setPixel(x, y,
                             visible ? qRgb(winshim::GetRValue(c), winshim::GetGValue(c),
                                            winshim::GetBValue(c))
                                     : qRgba(0, 0, 0, 0));
              }
            }
            indexMap_[static_cast<std::size_t>(
                RadioIndex(focused, marked, TleLookAndFeelKind(kind), checked, ElementState(s)))] =
                static_cast<int>(images_.size());
            images_.push_back(img);
          }
        }
      }
    }
  }
}

void TleRadioButtonImageList::DrawRadioImage(TleCanvas& c, int x, int y, TColor background,
                                             TleLookAndFeelKind kind, ElementState state,
                                             bool checked, bool focused, bool marked) {
  const ElementState s = state == esDefault ? esNormal : state;
  const QImage& img = images_[static_cast<std::size_t>(
      indexMap_[static_cast<std::size_t>(RadioIndex(focused, marked, kind, checked, s))])];
  if (background == clDefault) {
    c.DrawBitmap(x, y, img);
    return;
  }
  QImage on(img.size(), QImage::Format_RGB32);
  on.fill(winshim::ToQColor(ResolveColor(background)));
  {
    QPainter p(&on);
    p.drawImage(0, 0, img);
  }
  c.DrawBitmap(x, y, on);
}

QSize TleRadioButtonImageList::RadioImageSize() const {
  return images_.empty() ? QSize() : images_.front().size();
}

void TleRadioButtonImageList::RebuildRadioImages() {
  images_.clear();
  BuildRadioImages();
}

TleRadioButtonImageList& SharedRadioImages() {
  if (!R().radio) R().radio = std::make_unique<TleRadioButtonImageList>();
  return *R().radio;
}
bool RadioImagesExist() {
  return R().radio != nullptr;
}

const QImage& IndicatorImage(int index) {
  static const QImage none;
  return index >= 0 && index < static_cast<int>(R().indicators.size())
             ? R().indicators[static_cast<std::size_t>(index)]
             : none;
}

const QImage& ScrollPatternBitmap(bool pressed) {
  QImage& p = R().patterns[pressed ? 1 : 0];
  if (p.isNull()) p = Pattern(pressed);
  return p;
}

QSize CheckBoxSize() {
  return R().checkBox;
}

void StartPainterResources() {
  R().indicators.clear();
  for (int k = 0; k < 5; ++k) R().indicators.push_back(IndicatorGlyph(k));
  R().patterns[0] = Pattern(false);
  R().patterns[1] = Pattern(true);
  R().notifier = std::make_unique<TleSystemPaletteChangedNotifier>(true);
  R().notifier->ColorChangedHandler = [] {
    if (R().radio) R().radio->RebuildRadioImages();
  };
  // The classic check-box cell (the system bitmap's width / 4, height / 3).
  R().checkBox = {13, 13};
}

void StopPainterResources() {
  R().notifier.reset();
  R().patterns[0] = QImage();
  R().patterns[1] = QImage();
  R().indicators.clear();
  R().radio.reset();
}

}  // namespace kelmo::le
