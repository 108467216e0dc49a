// TkGauge: the skin library's progress gauge, a window-less control that shows
// how far a value has moved between a minimum and a maximum as a bar, a pie, a
// needle or a bare percentage text.
//
// Unskinned it paints plainly (canvas primitives in ForeColor, BackColor and
// the control's Color, with the percentage text inverted over whatever lies
// under it). While its skin link is skinned its own section (normally
// "GAUGE") paints the background, a progress section ("PROGRESSH",
// "PROGRESSV" or ProgressSkin) the filled part, the texts take the
// sections' font colours, and a glow strip sweeps along a bar every 2222 ms
// on a 22 ms timer of the window layer's clock (a manual clock in tests).
// The timer stops at its first tick while the gauge is unskinned.
//
// Cost: every paint composes the picture in three off-screen images of the
// control's size and copies it once (O(width x height)); SetProgress repaints
// only when the whole-number percentage changes, AddProgress on every call.
// Main thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "skin/skin_link.h"
#include "winshim/window.h"

namespace kelmo::skin {

// Raised by the range setters; the message is "Value must be between %d and %d".
class EInvalidOperation : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

enum class TkGaugeKind {
  gkText = 0,
  gkHorizontalBar = 1,
  gkVerticalBar = 2,
  gkPie = 3,
  gkNeedle = 4
};
enum class TkBorderStyle { bsNone, bsSingle };

// Percentage helpers of the gauge's unit, exposed for their rounding rules.
// CalcPercent: 0 when z is 0, else trunc(x * 100 / z) in floating point.
int CalcPercent(int x, int z);
// ScaleByPercent: trunc(length * (percent * 0.01)) in 80-bit extended
// arithmetic; 0.01 lies just below its value there, so a whole-number product
// can come out one lower (5 percent of 20 is 0, of 100 is 4).
int ScaleByPercent(int percent, int length);

class TkGauge : public QWidget {
  Q_OBJECT
 public:
  explicit TkGauge(QWidget* parent = nullptr);
  ~TkGauge() override;

  TkGaugeKind Kind() const { return kind_; }
  void SetKind(TkGaugeKind value);
  bool CalcPercents() const { return calcPercents_; }
  void SetCalcPercents(bool value);
  TkBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TkBorderStyle value);
  bool Animated() const { return animated_; }
  void SetAnimated(bool value);
  QColor BackColor() const { return backColor_; }
  void SetBackColor(const QColor& value);
  QColor ForeColor() const { return foreColor_; }
  void SetForeColor(const QColor& value);
  // The control's own colour: the face of the pie and needle kinds.
  QColor Color() const { return color_; }
  void SetColor(const QColor& value);
  int MinValue() const { return minValue_; }
  // Raises EInvalidOperation when value > MaxValue; raises Progress to it.
  void SetMinValue(int value);
  int MaxValue() const { return maxValue_; }
  // Raises EInvalidOperation when value < MinValue; lowers Progress to it.
  void SetMaxValue(int value);
  int Progress() const { return progress_; }
  // Clamps to MinValue..MaxValue; repaints when the percentage changes and
  // fires OnChange when the value changed.
  void SetProgress(int value);
  // SetProgress(Progress + step), then a repaint in every case.
  void AddProgress(int step);
  QString ProgressSkin() const { return progressSkin_; }
  void SetProgressSkin(const QString& value);
  bool ShowText() const { return showText_; }
  void SetShowText(bool value);
  QString Suffix() const { return suffix_; }
  void SetSuffix(const QString& value);
  // The name of the skin section that paints the background ("GAUGE").
  QString SkinSection() const { return link_->SkinSection; }
  void SetSkinSection(const QString& value) { link_->SetSkinSection(value); }
  TkCommonData& SkinData() { return *link_; }

  std::function<void(TkGauge*)> OnChange;

  int PercentDone() const;
  // The text the gauge shows: the percentage (or Progress) and the suffix.
  QString Text() const;
  // Whether the skin link paints the gauge (the active-skin test off).
  bool Skinned() const { return link_->Skinned(false); }
  bool AnimationRunning() const { return animRunning_; }
  // Left edge of the glow strip along the bar (9999: no sweep yet).
  int GlowPos() const { return glowPos_; }
  // Pixels the strip moves a tick: length / (2222 / 44), ties to even, at least 15.
  int GlowStep() const;

  // Composes the plain picture of the gauge at its current size: the picture
  // paintEvent copies onto the control.
  QImage PaintPlain() const;
  // Composes the skinned picture (the cache) at the current size.
  QImage PaintSkinned();

  // After the owner has set the gauge up: starts the animation timer when
  // Animated (its first tick stops it again while the gauge is unskinned).
  void Loaded();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void AnimTimer();
  void SetTimerOn(bool on);
  void RefreshNow();
  void WndProc(winshim::Msg& msg, const winshim::NextHandler& next);
  void PaintPlainFace(QImage& image, const QRect& r) const;
  void PaintPlainText(QImage& image, const QRect& r) const;
  void PrepareCache();
  void PaintSkinProgress(const QRect& r);
  void PaintSkinText(const QRect& r);
  void PaintSkinBar(const QRect& r);
  void PaintSkinFigure(const QRect& r);
  void LoadGlowBmp(int thickness);
  int BarLength() const;

  TkGaugeKind kind_ = TkGaugeKind::gkHorizontalBar;
  bool calcPercents_ = true;
  TkBorderStyle borderStyle_ = TkBorderStyle::bsSingle;
  bool animated_ = true;
  QColor backColor_{255, 255, 255};
  QColor foreColor_{0, 0, 0};
  QColor color_{240, 240, 240};
  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 47;
  QString progressSkin_;
  bool showText_ = true;
  QString suffix_ = QStringLiteral("%");
  std::unique_ptr<TkCommonData> link_;
  bool animRunning_ = false;
  int animCounter_ = 2223;
  int glowPos_ = 9999;
  QImage glowBmp_;
};

}  // namespace kelmo::skin
