// Plain painting, range and progress of the progress gauge (see k_gauge.h).
#include "k_gauge.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

namespace kelmo::skin {

namespace {

constexpr int kTickInterval = 22;
constexpr int kSweepPeriod = 2222;

// Windows-style rectangles: right and bottom edges are exclusive.
QRect FromEdges(int left, int top, int right, int bottom) {
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

int RoundEven(double v) {
  return static_cast<int>(std::nearbyint(v));
}

std::string RangeMessage(long long low, long long high) {
  return "Value must be between " + std::to_string(low) + " and " + std::to_string(high);
}

// dst := dst xor src, pixel by pixel (the inverting copy mode).
void XorInto(QImage& dst, const QImage& src) {
  for (int y = 0; y < dst.height(); ++y) {
    auto* d = reinterpret_cast<QRgb*>(dst.scanLine(y));
    const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    for (int x = 0; x < dst.width(); ++x) d[x] = 0xff000000u | ((d[x] ^ s[x]) & 0x00ffffffu);
  }
}

}  // namespace

int CalcPercent(int x, int z) {
  if (z == 0) return 0;
  return static_cast<int>(std::trunc(static_cast<double>(x) * 100.0 / static_cast<double>(z)));
}

int ScaleByPercent(int percent, int length) {
  // 80-bit extended on this platform, as the gauge's pixel results rely on.
  const long double hundredth = 0.01L;
  return static_cast<int>(static_cast<long double>(length) *
                          (static_cast<long double>(percent) * hundredth));
}

TkGauge::TkGauge(QWidget* parent) : QWidget(parent) {
  timer_.setInterval(kTickInterval);
  connect(&timer_, &QTimer::timeout, this, [this] { AnimTimer(); });
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(120, 30);
}

TkGauge::~TkGauge() = default;

void TkGauge::Loaded() {
  if (animated_ && !timer_.isActive()) timer_.start();
}

void TkGauge::RefreshNow() {
  if (isVisible()) repaint();
}

void TkGauge::SetKind(TkGaugeKind value) {
  if (kind_ == value) return;
  kind_ = value;
  RefreshNow();
}

void TkGauge::SetCalcPercents(bool value) {
  if (calcPercents_ == value) return;
  calcPercents_ = value;
  update();
}

void TkGauge::SetBorderStyle(TkBorderStyle value) {
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  RefreshNow();
}

void TkGauge::SetAnimated(bool value) {
  if (animated_ == value) return;
  animated_ = value;
  if (value)
    timer_.start();
  else
    timer_.stop();
}

void TkGauge::SetBackColor(const QColor& value) {
  if (backColor_ == value) return;
  backColor_ = value;
  RefreshNow();
}

void TkGauge::SetForeColor(const QColor& value) {
  if (foreColor_ == value) return;
  foreColor_ = value;
  RefreshNow();
}

void TkGauge::SetColor(const QColor& value) {
  if (color_ == value) return;
  color_ = value;
  RefreshNow();
}

void TkGauge::SetMinValue(int value) {
  if (minValue_ == value) return;
  if (value > maxValue_) throw EInvalidOperation(RangeMessage(-2147483647LL, maxValue_ - 1LL));
  minValue_ = value;
  if (progress_ < value) progress_ = value;
  RefreshNow();
}

void TkGauge::SetMaxValue(int value) {
  if (maxValue_ == value) return;
  if (value < minValue_) throw EInvalidOperation(RangeMessage(minValue_ + 1LL, INT_MAX));
  maxValue_ = value;
  if (progress_ > value) progress_ = value;
  RefreshNow();
}

void TkGauge::SetProgress(int value) {
  const int before = PercentDone();
  if (value < minValue_)
    value = minValue_;
  else if (value > maxValue_)
    value = maxValue_;
  if (value == progress_) return;
  progress_ = value;
  if (PercentDone() != before) RefreshNow();
  if (OnChange) OnChange(this);
}

void TkGauge::AddProgress(int step) {
  const long long next = static_cast<long long>(progress_) + step;
  SetProgress(static_cast<int>(std::clamp<long long>(next, INT_MIN, INT_MAX)));
  RefreshNow();
}

void TkGauge::SetProgressSkin(const QString& value) {
  if (progressSkin_ == value) return;
  progressSkin_ = value;
  RefreshNow();
}

void TkGauge::SetShowText(bool value) {
  if (showText_ == value) return;
  showText_ = value;
  RefreshNow();
}

void TkGauge::SetSuffix(const QString& value) {
  if (suffix_ == value) return;
  suffix_ = value;
  update();
}

int TkGauge::PercentDone() const {
  return CalcPercent(progress_ - minValue_, maxValue_ - minValue_);
}

QString TkGauge::Text() const {
  return QString::number(calcPercents_ ? PercentDone() : progress_) + suffix_;
}

void TkGauge::AnimTimer() {
  // The glow sweeps only along a skinned bar; unskinned, the timer has no work.
  if (!Skinned()) {
    timer_.stop();
    return;
  }
  if (animCounter_ > kSweepPeriod) {
    glowPos_ = -300;
    animCounter_ = 0;
  }
  animCounter_ += kTickInterval;
}

void TkGauge::PaintPlainFace(QImage& image, const QRect& r) const {
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  const int left = r.left(), top = r.top(), right = r.right() + 1, bottom = r.bottom() + 1;
  const int percent = PercentDone();
  switch (kind_) {
    case TkGaugeKind::gkText:
      p.fillRect(r, backColor_);
      break;
    case TkGaugeKind::gkHorizontalBar:
    case TkGaugeKind::gkVerticalBar: {
      p.fillRect(r, backColor_);
      const int w = right - left + 1;
      const int h = bottom - top + 1;
      if (kind_ == TkGaugeKind::gkHorizontalBar) {
        const int n = std::min(ScaleByPercent(percent, w), w);
        if (n > 0) p.fillRect(FromEdges(left, top, n, h), foreColor_);
      } else {
        int n = ScaleByPercent(percent, h);
        if (n >= h) n = h - 1;
        if (n > 0) p.fillRect(FromEdges(left, h - n, w, h), foreColor_);
      }
      break;
    }
    case TkGaugeKind::gkPie: {
      p.fillRect(r, color_);
      const int extra = borderStyle_ == TkBorderStyle::bsSingle ? 1 : 0;
      const int w = right - left + extra, h = bottom - top + extra;
      const QRect box = FromEdges(left, top, w, h);
      p.setPen(QPen(foreColor_, 1));
      p.setBrush(backColor_);
      p.drawEllipse(box);
      if (percent > 0) {
        p.setBrush(foreColor_);
        // A sector growing clockwise from twelve o'clock.
        p.drawPie(box, 90 * 16, -percent * 360 * 16 / 100);
      }
      break;
    }
    case TkGaugeKind::gkNeedle: {
      p.fillRect(r, color_);
      const int extra = borderStyle_ == TkBorderStyle::bsSingle ? 1 : 0;
      const int w = right - left + extra, h = bottom - top + extra;
      p.setPen(QPen(foreColor_, 1));
      p.setBrush(backColor_);
      p.drawPie(FromEdges(left, top, left + w, top + 2 * h - 1), 0, 180 * 16);
      p.drawLine(left, bottom, left + w, bottom);
      if (percent > 0) {
        const double c = width() / 2;
        const double a = percent / 100.0 * M_PI;
        p.drawLine(
            QPoint(static_cast<int>(c), bottom - 1),
            QPoint(RoundEven((1 - std::cos(a)) * c), RoundEven((1 - std::sin(a)) * (bottom - 1))));
      }
      break;
    }
  }
}

void TkGauge::PaintPlainText(QImage& image, const QRect& r) const {
  QImage text(image.size(), QImage::Format_RGB32);
  text.fill(Qt::black);
  {
    QPainter p(&text);
    QFont f = font();
    // Whole pixels only: the inverting copy needs pure white glyphs.
    f.setStyleStrategy(QFont::NoAntialias);
    p.setFont(f);
    p.setPen(Qt::white);
    p.setClipRect(r);
    const QFontMetrics fm(f);
    const QString s = Text();
    const int x = (r.right() + 1 - r.left() + 1 - fm.horizontalAdvance(s)) / 2;
    const int y = (r.bottom() + 1 - r.top() + 1 - fm.height()) / 2;
    p.drawText(QRect(x, y, fm.horizontalAdvance(s) + 1, fm.height()),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, s);
  }
  XorInto(image, text);
}

QImage TkGauge::PaintPlain() const {
  QImage base(size(), QImage::Format_RGB32);
  if (width() <= 0 || height() <= 0) return base;
  base.fill(Qt::black);
  QRect r = rect();
  // The pixels left black around R form the one-pixel frame.
  if (borderStyle_ == TkBorderStyle::bsSingle) r.adjust(1, 1, -1, -1);
  QImage face(size(), QImage::Format_RGB32);
  face.fill(Qt::black);
  PaintPlainFace(face, r);
  XorInto(base, face);
  if (showText_) PaintPlainText(base, r);
  return base;
}

void TkGauge::paintEvent(QPaintEvent*) {
  if (width() <= 0 || height() <= 0) return;
  QPainter p(this);
  p.drawImage(0, 0, PaintPlain());
}

}  // namespace kelmo::skin
