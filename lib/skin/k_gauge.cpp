// Plain painting, range and progress of the progress gauge (see k_gauge.h).
#include "k_gauge.h"

#include <QCoreApplication>

#include "skin/control_utils.h"
#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/paint_primitives.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "skin/skin_text.h"
#include "winshim/draw_text.h"
#include "winshim/timers.h"

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
constexpr int kGlowWidth = 300;
constexpr int kMinGlowStep = 15;
constexpr std::uintptr_t kTimerId = 1;

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
  link_ = std::make_unique<TkCommonData>(this, false);
  link_->CtrlSkinState = kKindGauge;
  winshim::Subclass(winshim::HandleOf(this),
                    [this](winshim::HWND, winshim::Msg& m, const winshim::NextHandler& next) {
                      WndProc(m, next);
                    });
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(120, 30);
  link_->Loaded();
}

TkGauge::~TkGauge() {
  SetTimerOn(false);
}

void TkGauge::Loaded() {
  link_->Loaded();
  if (animated_ && !animRunning_) SetTimerOn(true);
}

void TkGauge::SetTimerOn(bool on) {
  const winshim::HWND h = winshim::FindHandle(this);
  if (on)
    winshim::SetTimer(h, kTimerId, kTickInterval);
  else
    winshim::KillTimer(h, kTimerId);
  animRunning_ = on;
}

void TkGauge::WndProc(winshim::Msg& m, const winshim::NextHandler& next) {
  if (m.msg == winshim::WM_TIMER && m.wParam == kTimerId) {
    AnimTimer();
    return;
  }
  // Skinned, the cache covers the whole control: no background first.
  if (m.msg == winshim::WM_ERASEBKGND && Skinned()) {
    m.result = 1;
    return;
  }
  if (m.msg == SM_SKINCMD) {
    const bool ours = reinterpret_cast<TkSkinManager*>(m.lParam) == link_->GetSkinManager();
    switch (winshim::HiWord(m.wParam)) {
      case scNewSkin:
        if (!ours) break;
        HandleCommonMessage(m, link_.get());
        return;
      case scRemoveSkin:
        if (!ours) break;
        if (animated_) SetTimerOn(false);
        HandleCommonMessage(m, link_.get());
        RefreshNow();
        return;
      case scRepaint:
        if (!ours) break;
        HandleCommonMessage(m, link_.get());
        RefreshNow();
        if (animated_) SetTimerOn(true);
        return;
      case scRecheckHot:
        if (!link_->IsHot()) break;
        link_->SetHot(false);
        RefreshNow();
        return;
      case scIsSkinned:
        m.result = 1;
        return;
      case scGetApplication:
        m.result = winshim::LRESULT(QCoreApplication::instance());
        return;
      default:
        break;
    }
  }
  if (ControlIsReady(this) && Skinned() && HandleCommonMessage(m, link_.get()) != 0) return;
  next(m);
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
  SetTimerOn(value);
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
  if (PercentDone() != before) {
    if (!SkinIsChanging()) link_->BGChanged = true;
    RefreshNow();
  }
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
  link_->BGChanged = true;
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

int TkGauge::BarLength() const {
  return kind_ == TkGaugeKind::gkVerticalBar ? height() : width();
}

int TkGauge::GlowStep() const {
  return std::max(kMinGlowStep, RoundEven(BarLength() / (double(kSweepPeriod) / 44.0)));
}

void TkGauge::AnimTimer() {
  // The glow sweeps only along a skinned bar; unskinned, the timer has no work.
  if (!Skinned()) {
    SetTimerOn(false);
    return;
  }
  if (animCounter_ > kSweepPeriod) {
    glowPos_ = -kGlowWidth;
    animCounter_ = 0;
  }
  animCounter_ += kTickInterval;
  if (glowPos_ >= BarLength()) return;
  if (isVisible() && progress_ > 0) repaint();
  glowPos_ += GlowStep();
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
  p.drawImage(0, 0, Skinned() ? PaintSkinned() : PaintPlain());
}

QImage TkGauge::PaintSkinned() {
  PrepareCache();
  UpdateAllCorners(*link_, 0);
  return link_->FCacheBmp;
}

void TkGauge::PrepareCache() {
  link_->InitCacheBmp();
  TParentBgInfo info;
  const TBgSource bg = link_->GetParentBg(info);
  PaintControlItem(*link_, bg, true, false, link_->FCacheBmp, QPoint(x(), y()),
                   Rect{0, 0, width(), height()}, 0);
  PaintSkinProgress(rect());
  link_->BGChanged = false;
}

void TkGauge::PaintSkinProgress(const QRect& r) {
  if (showText_) PaintSkinText(r);
  switch (kind_) {
    case TkGaugeKind::gkHorizontalBar:
    case TkGaugeKind::gkVerticalBar:
      PaintSkinBar(r);
      break;
    case TkGaugeKind::gkPie:
    case TkGaugeKind::gkNeedle:
      PaintSkinFigure(r);
      break;
    case TkGaugeKind::gkText:
      break;
  }
}

namespace {
constexpr unsigned kTextFlags =
    winshim::DT_CENTER | winshim::DT_SINGLELINE | winshim::DT_VCENTER | winshim::DT_NOPREFIX;

Rect ToRect(const QRect& r) {
  return Rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}
}  // namespace

void TkGauge::PaintSkinText(const QRect& r) {
  winshim::Dc dc(link_->FCacheBmp);
  dc.SelectFont(winshim::Font{font()});
  DrawControlTextBuf(dc, Text(), isEnabled(), false, *link_, kTextFlags, ToRect(r));
}

void TkGauge::LoadGlowBmp(int thickness) {
  // The glow picture: a white strip whose alpha rises to the middle and
  // falls again, 60 by 20 pixels, stretched over 300 by the thickness.
  QImage picture(60, 20, QImage::Format_ARGB32);
  for (int py = 0; py < picture.height(); ++py)
    for (int px = 0; px < picture.width(); ++px) {
      const double t = 1.0 - std::abs(px - 29.5) / 30.0;
      picture.setPixel(px, py, qRgba(255, 255, 255, int(std::lround(t * t * 200))));
    }
  glowBmp_ = CreateBmp32(kGlowWidth, thickness);
  int y = 0;
  if (picture.height() > thickness) {
    y = (picture.height() - thickness) / 2 + 1;
    if (glowBmp_.height() - 2 * y < 0) y = 0;
  }
  QPainter p(&glowBmp_);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(QRect(0, 0, kGlowWidth, thickness),
              picture.copy(0, y, picture.width(), picture.height() - y));
}

void TkGauge::PaintSkinBar(const QRect& r) {
  TkSkinManager* m = link_->GetSkinManager();
  if (!m) return;
  TBgSource bg = BgSourceFromBmp(&link_->FCacheBmp, 0, 0);
  const bool vertical = kind_ == TkGaugeKind::gkVerticalBar;
  QString section = !progressSkin_.isEmpty()   ? progressSkin_
                    : (vertical && !animated_) ? QStringLiteral("PROGRESSV")
                                               : QStringLiteral("PROGRESSH");
  int index = m->GetSkinIndex(section);
  const int percent = PercentDone();
  if (vertical && !animated_ && m->IsValidSkinIndex(index)) {
    // Upright: the filled part grows from the bottom.
    const int n = std::min(ScaleByPercent(percent, r.height()), r.height());
    if (n < 1) return;
    const int top = height() - n;
    QImage p = CreateBmp24(r.width(), n);
    PaintItem(index, section, bg, -1, -1, m, p, QPoint(r.left(), top), Rect{0, 0, r.width(), n}, 0,
              true);
    if (showText_) {
      winshim::Dc dc(p);
      dc.SelectFont(winshim::Font{font()});
      DrawSectionTextBuf(dc, Text(), isEnabled(), m, false, index, kTextFlags,
                         ToRect(r.translated(0, -top)));
    }
    QPainter(&link_->FCacheBmp).drawImage(r.left(), top, p);
    return;
  }
  QImage turned;
  int length = r.width(), thickness = r.height();
  if (vertical) {
    if (!m->IsValidSkinIndex(index)) {
      section = QStringLiteral("PROGRESSH");
      index = m->GetSkinIndex(section);
    }
    length = r.height();
    thickness = r.width();
    turned = RotateBitmap90(link_->FCacheBmp.copy(r), true);
    bg = BgSourceFromBmp(&turned, 0, 0);
  }
  const int n = std::min(ScaleByPercent(percent, length), length);
  if (n < 1 || !m->IsValidSkinIndex(index)) return;
  QImage p = CreateBmp24(n, thickness);
  const bool glow = animated_ && glowPos_ < kGlowWidth + n;
  Rect x{};
  QImage region;
  int regionMask = -1;
  Rect g{};
  if (glow) {
    if (glowBmp_.isNull() || glowBmp_.width() != kGlowWidth ||
        glowBmp_.height() != (vertical ? width() : height()))
      LoadGlowBmp(vertical ? width() : height());
    g = Rect{glowPos_, 0, glowPos_ + kGlowWidth, thickness};
    x = Rect{std::max(g.left, 0), 0, std::min(g.right, n), std::min(g.bottom, thickness)};
    regionMask = m->GetMaskIndex(index, section, QStringLiteral("LRGN"));
    if (x.Width() >= 1 && regionMask >= 0) {
      TBgSource white{nullptr, 0, 0, 0xFFFFFF, false};
      PaintMask(p, Rect{0, 0, n, thickness}, 0, m->ma[std::size_t(regionMask)], white, false, true);
      region = p.copy(x.ToQRect());
    }
  }
  PaintItem(index, section, bg, -1, -1, m, p, QPoint(0, 0), Rect{0, 0, n, thickness}, 0, true);
  if (glow && x.Width() >= 1) {
    const Rect source{std::max(0, -g.left), 0, std::max(0, -g.left) + x.Width(), x.Height()};
    if (region.isNull()) {
      AlphaCopyRect(x, source, p, false, 0, kTransparentKey, false, TBgSource{}, glowBmp_);
    } else {
      QImage piece = p.copy(x.ToQRect());
      const QImage strip = glowBmp_.copy(source.ToQRect());
      BlendAlphaThroughMask(piece, strip, region, Rect{0, 0, x.Width(), x.Height()});
      QPainter(&p).drawImage(x.left, x.top, piece);
    }
  }
  if (vertical) {
    p = RotateBitmap90(p, false);
    if (showText_) {
      winshim::Dc dc(p);
      dc.SelectFont(winshim::Font{font()});
      DrawSectionTextBuf(dc, Text(), isEnabled(), m, false, index, kTextFlags,
                         ToRect(r.translated(0, n - height())));
    }
    QPainter(&link_->FCacheBmp).drawImage(0, height() - n, p);
  } else {
    if (showText_) {
      winshim::Dc dc(p);
      dc.SelectFont(winshim::Font{font()});
      DrawSectionTextBuf(dc, Text(), isEnabled(), m, false, index, kTextFlags, ToRect(r));
    }
    QPainter(&link_->FCacheBmp).drawImage(r.left(), r.top(), p);
  }
}

void TkGauge::PaintSkinFigure(const QRect& r) {
  // The plain figures over the section's background instead of a fill.
  QPainter p(&link_->FCacheBmp);
  const int percent = PercentDone();
  p.setPen(QPen(foreColor_, 1));
  p.setBrush(backColor_);
  if (kind_ == TkGaugeKind::gkPie) {
    p.drawEllipse(r.adjusted(0, 0, -1, -1));
    if (percent > 0) {
      p.setBrush(foreColor_);
      p.drawPie(r.adjusted(0, 0, -1, -1), 90 * 16, -percent * 360 * 16 / 100);
    }
    return;
  }
  p.setBrush(Qt::NoBrush);
  const QRect half(r.left(), r.top(), r.width(), 2 * r.height() - 1);
  p.drawPie(half, 0, 180 * 16);
  p.drawLine(r.left(), r.bottom() + 1, r.right() + 1, r.bottom() + 1);
  if (percent > 0) {
    const double c = width() / 2.0;
    const double a = percent / 100.0 * M_PI;
    p.drawLine(QPoint(int(c), r.bottom()),
               QPoint(RoundEven((1 - std::cos(a)) * c), RoundEven((1 - std::sin(a)) * r.bottom())));
  }
}

}  // namespace kelmo::skin
