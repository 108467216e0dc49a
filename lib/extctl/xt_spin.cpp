// Spin button, up-down control and spin edit.
#include "xt_spin.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <cmath>
#include <limits>

#include "xt_control_strings.h"
#include "xt_errors.h"
#include "xt_number_text.h"
#include "xt_vcl_utils.h"

namespace {

using XtVclUtils::ButtonFaceColor;
using XtVclUtils::ButtonHighlightColor;
using XtVclUtils::ButtonShadowColor;
using XtVclUtils::WindowFrameColor;

constexpr int kInitialRepeatPause = 400;
constexpr int kRepeatInterval = 100;

long double RoundHalfEven(long double v) {
  return std::nearbyintl(v);
}

// Whole values are held to 32 bits: the text of a larger one would not read
// back, and converting it would overflow.
long double ToInt32Range(long double v) {
  constexpr long double kMin = std::numeric_limits<int>::min();
  constexpr long double kMax = std::numeric_limits<int>::max();
  return v < kMin ? kMin : v > kMax ? kMax : v;
}

// The glyph with its transparent colour turned into the button face.
QImage OnFace(const QImage& glyph, QRgb key) {
  QImage g = glyph.convertToFormat(QImage::Format_RGB32);
  const QRgb face = ButtonFaceColor().rgb();
  for (int y = 0; y < g.height(); ++y)
    for (int x = 0; x < g.width(); ++x)
      if (g.pixel(x, y) == key) g.setPixel(x, y, face);
  return g;
}

// The glyph with its transparent colour see-through.
QImage Transparent(const QImage& glyph, QRgb key) {
  QImage g = glyph.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < g.height(); ++y)
    for (int x = 0; x < g.width(); ++x)
      if ((g.pixel(x, y) | 0xFF000000u) == key) g.setPixel(x, y, 0u);
  return g;
}

// One-pixel soft edge along the top and left sides, or the bottom and right.
void EdgeTopLeft(QPainter& p, const QRect& r, bool sunken) {
  p.setPen(sunken ? ButtonShadowColor() : ButtonHighlightColor());
  p.drawLine(r.left(), r.top(), r.right(), r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom());
}
void EdgeBottomRight(QPainter& p, const QRect& r, bool sunken) {
  p.setPen(sunken ? ButtonHighlightColor() : ButtonShadowColor());
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

}  // namespace

int SpinButtonDefaultWidth() {
  const int w = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return w > 15 ? 15 : w;
}

// ---------------------------------------------------------------------------
// TXtSpinButton

TXtSpinButton::TXtSpinButton(QWidget* parent) : QWidget(parent) {
  resize(20, 20);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TXtSpinButton::SetButtonStyle(TrSpinButtonStyle style) {
  if (style == buttonStyle_) return;
  buttonStyle_ = style;
  glyphsChanged_ = true;
  update();
}

void TXtSpinButton::SetUpGlyph(const QImage& glyph) {
  upGlyph_ = glyph;
  glyphsChanged_ = true;
  update();
}

void TXtSpinButton::SetDownGlyph(const QImage& glyph) {
  downGlyph_ = glyph;
  glyphsChanged_ = true;
  update();
}

bool TXtSpinButton::InBottomHalf(int x, int y) const {
  if (buttonStyle_ == TrSpinButtonStyle::sbsClassic) return y > height() / 2;
  if (width() <= 0) return false;
  return y > height() - (static_cast<double>(height()) / width()) * x;
}

void TXtSpinButton::TopPress() {
  if (!isSignalConnected(QMetaMethod::fromSignal(&TXtSpinButton::TopClick))) return;
  emit TopClick();
  if (!dragging_) down_ = TSpinButtonState::sbNotDown;
}

void TXtSpinButton::BottomPress() {
  if (!isSignalConnected(QMetaMethod::fromSignal(&TXtSpinButton::BottomClick))) return;
  emit BottomClick();
  if (!dragging_) down_ = TSpinButtonState::sbNotDown;
}

void TXtSpinButton::SetDown(TSpinButtonState state) {
  if (down_ == state) return;
  down_ = state;
  update();
}

void TXtSpinButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) return;
  QWidget* fc = focusControl_;
  if (fc != nullptr && (fc->focusPolicy() & Qt::TabFocus) && fc->isEnabled() && fc->isVisible() &&
      !fc->hasFocus())
    fc->setFocus(Qt::MouseFocusReason);
  // The left button counts as held from here, so a press does not release
  // the half it has just pressed.
  dragging_ = true;
  grabMouse();
  if (down_ == TSpinButtonState::sbNotDown) {
    lastDown_ = TSpinButtonState::sbNotDown;
    const QPoint pt = event->position().toPoint();
    if (InBottomHalf(pt.x(), pt.y())) {
      down_ = TSpinButtonState::sbBottomDown;
      BottomPress();
    } else {
      down_ = TSpinButtonState::sbTopDown;
      TopPress();
    }
    if (down_ != lastDown_) {
      lastDown_ = down_;
      update();
    }
  }
  if (!repeatTimer_) {
    repeatTimer_ = std::make_unique<QTimer>();
    QObject::connect(repeatTimer_.get(), &QTimer::timeout, this, &TXtSpinButton::TimerTick);
  }
  repeatTimer_->setInterval(kInitialRepeatPause);
  repeatTimer_->start();
}

void TXtSpinButton::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const QPoint pt = event->position().toPoint();
  if (pt.x() >= 0 && pt.x() <= width() && pt.y() >= 0 && pt.y() <= height()) {
    if (InBottomHalf(pt.x(), pt.y())) {
      if (down_ != TSpinButtonState::sbBottomDown)
        SetDown(lastDown_ == TSpinButtonState::sbBottomDown ? TSpinButtonState::sbBottomDown
                                                            : TSpinButtonState::sbNotDown);
    } else {
      if (down_ != TSpinButtonState::sbTopDown)
        SetDown(lastDown_ == TSpinButtonState::sbTopDown ? TSpinButtonState::sbTopDown
                                                         : TSpinButtonState::sbNotDown);
    }
  } else if (down_ != TSpinButtonState::sbNotDown) {
    SetDown(TSpinButtonState::sbNotDown);
  }
}

void TXtSpinButton::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_) return;
  dragging_ = false;
  if (mouseGrabber() == this) releaseMouse();
  const QPoint pt = event->position().toPoint();
  if (pt.x() >= 0 && pt.x() <= width() && pt.y() >= 0 && pt.y() <= height()) {
    down_ = TSpinButtonState::sbNotDown;
    lastDown_ = TSpinButtonState::sbNotDown;
    update();
  }
  // Ticks without a held half and without the capture do nothing; stopping
  // the timer here only saves the idle ticks.
  if (repeatTimer_) repeatTimer_->stop();
}

void TXtSpinButton::TimerTick() {
  repeatTimer_->setInterval(kRepeatInterval);
  if (down_ == TSpinButtonState::sbNotDown || mouseGrabber() != this) return;
  try {
    if (down_ == TSpinButtonState::sbBottomDown)
      BottomPress();
    else
      TopPress();
  } catch (...) {
    repeatTimer_->stop();
  }
}

void TXtSpinButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    glyphsChanged_ = true;
    update();
  }
  QWidget::changeEvent(event);
}

void TXtSpinButton::paintEvent(QPaintEvent*) {
  if (!isEnabled() && dragging_) {
    dragging_ = false;
    if (mouseGrabber() == this) releaseMouse();
  }
  if (glyphsChanged_ || upImage_.size() != size()) RebuildImages();
  QPainter p(this);
  p.drawPixmap(0, 0, ImageFor(down_));
}

QPixmap& TXtSpinButton::ImageFor(TSpinButtonState state) {
  switch (state) {
    case TSpinButtonState::sbTopDown:
      return topDownImage_;
    case TSpinButtonState::sbBottomDown:
      return bottomDownImage_;
    default:
      return upImage_;
  }
}

void TXtSpinButton::RebuildImages() {
  topDownImage_ = DrawImage(TSpinButtonState::sbTopDown);
  bottomDownImage_ = DrawImage(TSpinButtonState::sbBottomDown);
  upImage_ = DrawImage(TSpinButtonState::sbNotDown);
  glyphsChanged_ = false;
}

QPixmap TXtSpinButton::DrawImage(TSpinButtonState state) const {
  const int w = width(), h = height();
  QPixmap pm(w > 0 ? w : 1, h > 0 ? h : 1);
  pm.fill(ButtonFaceColor());
  QPainter p(&pm);
  const bool classic = buttonStyle_ == TrSpinButtonStyle::sbsClassic;
  const QImage up = !upGlyph_.isNull()
                        ? upGlyph_
                        : XtControlStrings::XtResourceBitmap(classic ? QStringLiteral("RSPINUP")
                                                                     : QStringLiteral("XTSPINUP"));
  const QImage down =
      !downGlyph_.isNull()
          ? downGlyph_
          : XtControlStrings::XtResourceBitmap(classic ? QStringLiteral("RSPINDOWN")
                                                       : QStringLiteral("XTSPINDOWN"));
  // The stock arrows are black on a white background; a glyph of the
  // user's shows through its own transparent colour.
  const QRgb white = qRgb(255, 255, 255);
  const QRgb upKey = upGlyph_.isNull() ? white : XtControlStrings::TransparentColorOf(up);
  const QRgb downKey = downGlyph_.isNull() ? white : XtControlStrings::TransparentColorOf(down);
  const bool topDown = state == TSpinButtonState::sbTopDown;
  const bool bottomDown = state == TSpinButtonState::sbBottomDown;
  if (!classic) {
    QRect r(0, 0, w, h);
    EdgeTopLeft(p, r, topDown);
    EdgeBottomRight(p, r, bottomDown);
    r.adjust(1, 1, -1, -1);
    // Corners of the shrunk rectangle, right and bottom exclusive.
    const int left = r.left(), top = r.top(), right = r.left() + r.width(),
              bottom = r.top() + r.height();
    QColor a = ButtonShadowColor(), b = ButtonHighlightColor(), c = WindowFrameColor();
    if (topDown) {
      a = ButtonFaceColor();
      c = ButtonHighlightColor();
    } else if (bottomDown) {
      b = WindowFrameColor();
      c = ButtonShadowColor();
    }
    p.setPen(a);
    p.drawLine(left, bottom - 2, right - 1, top - 1);
    p.setPen(c);
    p.drawLine(right - 1, top, left, bottom - 1);
    p.setPen(b);
    p.drawLine(left + 1, bottom - 1, right, top);
    const int d = topDown ? 2 : 1;
    const int ux = static_cast<int>(std::nearbyint(w / 4.0 - up.width() / 2.0)) + d;
    const int uy = static_cast<int>(std::nearbyint(h / 4.0 - up.height() / 2.0)) + d;
    p.drawImage(ux, uy, OnFace(up, upKey));
    const int dx = static_cast<int>(std::nearbyint(3.0 * w / 4.0 - down.width() / 2.0)) - 1;
    const int dy = static_cast<int>(std::nearbyint(3.0 * h / 4.0 - down.height() / 2.0)) - 1;
    p.drawImage(dx, dy, OnFace(down, downKey));
  } else {
    const QPalette pal = QApplication::palette();
    const int h2 = h / 2;
    const QRect upper(0, 0, w, topDown ? h2 : h2 + 1);
    const QRect lower(0, h2, w, h - h2);
    qDrawWinButton(&p, upper, pal, topDown);
    qDrawWinButton(&p, lower, pal, bottomDown);
    const QRect upperInner = upper.adjusted(2, 2, -2, -2);
    QRect lowerInner = lower.adjusted(2, 2, -2, -2);
    const int hT = upperInner.height() - 1;
    const int gx = (w - up.width()) / 2;
    int uy = (h2 - up.height()) / 2;
    if (lowerInner.height() - 1 < up.height()) uy = upperInner.top();
    p.save();
    p.setClipRect(upperInner);
    p.drawImage(gx, uy, Transparent(up, upKey));
    p.restore();
    if (topDown) lowerInner.translate(0, 1);
    lowerInner.setHeight(hT);  // bottom = top + hT
    int dy = lowerInner.top() + (hT - down.height()) / 2;
    if (hT < down.height()) {
      lowerInner.setTop(lowerInner.top() - 1);
      dy = lowerInner.top() + lowerInner.height() - down.height();
    }
    p.save();
    p.setClipRect(lowerInner);
    p.drawImage((w - down.width()) / 2, dy, Transparent(down, downKey));
    p.restore();
  }
  return pm;
}

// ---------------------------------------------------------------------------
// TXtUpDown

TXtUpDown::TXtUpDown(QWidget* parent) : QWidget(parent) {
  resize(SpinButtonDefaultWidth(), 20);
  connect(&repeat_, &QTimer::timeout, this, [this] {
    repeat_.setInterval(kRepeatInterval);
    Fire();
  });
}

void TXtUpDown::Fire() {
  // Not re-entrant: a click handler that pumps events must not fire again.
  if (firing_ || position_ == 0) return;
  firing_ = true;
  const int pos = position_;
  emit Click(pos > 0 ? TUDBtnType::btNext : TUDBtnType::btPrev);
  firing_ = false;
}

void TXtUpDown::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) return;
  position_ = event->position().y() < height() / 2.0 ? 1 : -1;
  update();
  Fire();
  repeat_.setInterval(kInitialRepeatPause);
  repeat_.start();
}

void TXtUpDown::mouseReleaseEvent(QMouseEvent*) {
  repeat_.stop();
  position_ = 0;
  update();
}

void TXtUpDown::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (width() != SpinButtonDefaultWidth()) resize(SpinButtonDefaultWidth(), height());
}

void TXtUpDown::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette pal = palette();
  const int h2 = height() / 2;
  const QRect upper(0, 0, width(), h2), lower(0, h2, width(), height() - h2);
  qDrawWinButton(&p, upper, pal, position_ > 0, &pal.brush(QPalette::Button));
  qDrawWinButton(&p, lower, pal, position_ < 0, &pal.brush(QPalette::Button));
  QStyleOption opt;
  opt.initFrom(this);
  opt.rect = upper.adjusted(2, 2, -2, -2);
  style()->drawPrimitive(QStyle::PE_IndicatorArrowUp, &opt, &p, this);
  opt.rect = lower.adjusted(2, 2, -2, -2);
  style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &opt, &p, this);
}

// ---------------------------------------------------------------------------
// TXtCustomSpinEdit

TXtCustomSpinEdit::TXtCustomSpinEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &TXtCustomSpinEdit::OnTextChanged);
  RecreateButton();
  const int minHeight = fontMetrics().height() + 4 * 1 + 1;
  setMinimumHeight(minHeight);
  resize(121, minHeight > 21 ? minHeight : 21);
}

TXtCustomSpinEdit::~TXtCustomSpinEdit() {
  // No change event while the edit goes away.
  changing_ = true;
}

void TXtCustomSpinEdit::OnTextChanged() {
  if (!changing_) emit Change();
}

void TXtCustomSpinEdit::Beep() {
  QApplication::beep();
  emit Beeped();
}

long double TXtCustomSpinEdit::Value() const {
  const QChar dec = XtNumberText::DecimalSeparator();
  switch (valueType_) {
    case TValueType::vtFloat: {
      const QString t = displayFormat_.isEmpty() ? text() : NormalizeNumberText(text());
      return XtNumberText::ReadFloat(t, dec).value_or(minValue_);
    }
    case TValueType::vtHex: {
      const auto v = XtNumberText::ReadInteger(QStringLiteral("$") + text());
      return v ? static_cast<long double>(*v) : RoundHalfEven(minValue_);
    }
    case TValueType::vtInteger:
    default: {
      const auto v = XtNumberText::ReadInteger(text());
      return v ? static_cast<long double>(*v) : RoundHalfEven(minValue_);
    }
  }
}

int TXtCustomSpinEdit::ValueAsInteger() const {
  return static_cast<int>(ToInt32Range(std::truncl(Value())));
}

QString TXtCustomSpinEdit::FormatValue(long double v) const {
  const QChar dec = XtNumberText::DecimalSeparator();
  switch (valueType_) {
    case TValueType::vtFloat:
      if (!displayFormat_.isEmpty())
        return XtNumberText::FormatByPattern(displayFormat_, v, dec,
                                             XtNumberText::ThousandSeparator());
      {
        // Fixed with Decimal decimals; beyond 15 significant digits the
        // general form, as a fixed-point conversion of that precision gives.
        if (std::fabs(static_cast<double>(v)) >= 1e15)
          return QString::number(static_cast<double>(v), 'E', 14).replace(QLatin1Char('.'), dec);
        return QString::number(static_cast<double>(v), 'f', decimal_)
            .replace(QLatin1Char('.'), dec);
      }
    case TValueType::vtHex:
      return QString::number(
                 static_cast<quint32>(static_cast<qint64>(RoundHalfEven(ToInt32Range(v)))), 16)
          .toUpper();
    case TValueType::vtInteger:
    default:
      return QString::number(static_cast<qint64>(RoundHalfEven(ToInt32Range(v))));
  }
}

void TXtCustomSpinEdit::SetValue(long double value) {
  // A value that is no number writes as the minimum rather than as text
  // that would not read back.
  if (!std::isfinite(value)) value = minValue_;
  setText(FormatValue(ClampValue(value)));
  RefreshFocusedText();
}

long double TXtCustomSpinEdit::ClampValue(long double x) const {
  if (checkMaxValue_ && x > maxValue_) return maxValue_;
  if (checkMinValue_ && x < minValue_) return minValue_;
  return x;
}

long double TXtCustomSpinEdit::ValueInRangeOrRaise(long double x, bool raise) const {
  const long double result = ClampValue(x);
  if ((checkMinValue_ || checkMaxValue_) && raise && result != x) {
    // The message's "%d" placeholders are filled as "%g": the limits may be fractional.
    auto general = [](long double v) { return QString::number(static_cast<double>(v), 'g', 15); };
    throw ERangeError(
        XtVclUtils::ResourceTextAsIs(QStringLiteral("Value must be between %1 and %2")
                                         .arg(general(minValue_), general(maxValue_))));
  }
  return result;
}

bool TXtCustomSpinEdit::StepBy(long double delta) {
  if (isReadOnly()) {
    Beep();
    return false;
  }
  const QString old = text();
  {
    changing_ = true;
    struct Clear {
      bool& flag;
      ~Clear() { flag = false; }
    } clear{changing_};
    SetValue(Value() + delta);
  }
  if (text().compare(old, Qt::CaseInsensitive) != 0) {
    setModified(true);
    emit Change();
  }
  return true;
}

void TXtCustomSpinEdit::StepUp() {
  if (StepBy(increment_)) emit TopClick();
}

void TXtCustomSpinEdit::StepDown() {
  if (StepBy(-increment_)) emit BottomClick();
}

QString TXtCustomSpinEdit::NormalizeNumberText(const QString& text) const {
  const QChar dec = XtNumberText::DecimalSeparator();
  const QChar thousand = XtNumberText::ThousandSeparator();
  QString s = text;
  while (s.startsWith(QLatin1Char(' '))) s.remove(0, 1);
  while (s.endsWith(QLatin1Char(' '))) s.chop(1);
  if (thousand != dec) s.remove(thousand);
  for (QChar& c : s) {
    if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && c != dec && c != thousand) c = dec;
  }
  if (s.isEmpty()) return QStringLiteral("0");
  if (s == QLatin1String("-")) return QStringLiteral("-0");
  return s;
}

void TXtCustomSpinEdit::RefreshFocusedText() {
  if (valueType_ != TValueType::vtFloat || displayFormat_.isEmpty() || !focused_) return;
  QString pattern = QStringLiteral("0");
  if (decimal_ > 0) pattern += QLatin1Char('.') + QString(decimal_, QLatin1Char('#'));
  setText(XtNumberText::FormatByPattern(pattern, Value(), XtNumberText::DecimalSeparator(),
                                        XtNumberText::ThousandSeparator()));
}

bool TXtCustomSpinEdit::AcceptsChar(QChar key) const {
  const char16_t u = key.unicode();
  if (!editorEnabled_ && (u == 8 || u >= 32)) return false;
  if (u < 32) return true;
  if (u == u'+' || u == u'-' || (u >= u'0' && u <= u'9')) return true;
  const QChar dec = XtNumberText::DecimalSeparator();
  if (valueType_ == TValueType::vtFloat) {
    if ((key == QLatin1Char('.') || key == dec) && !text().contains(dec)) return true;
    if ((u == u'e' || u == u'E') && !text().toUpper().contains(QLatin1Char('E'))) return true;
  }
  if (valueType_ == TValueType::vtHex) {
    if ((u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f')) return true;
  }
  return false;
}

void TXtCustomSpinEdit::keyPressEvent(QKeyEvent* event) {
  if (arrowKeys_ && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
    if (event->key() == Qt::Key_Up)
      StepUp();
    else
      StepDown();
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Paste)) {
    if (editorEnabled_ && !isReadOnly()) DoPaste();
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Cut)) {
    if (editorEnabled_ && !isReadOnly()) QLineEdit::keyPressEvent(event);
    event->accept();
    return;
  }
  const QString t = event->text();
  // Keys without a character (arrows, Delete) are not typed characters.
  if (!t.isEmpty() && t.at(0).unicode() != 0x7f) {
    const QChar c = t.at(0);
    if (!AcceptsChar(c)) {
      Beep();
      event->accept();
      return;
    }
    const QChar dec = XtNumberText::DecimalSeparator();
    if (c == QLatin1Char('.') && dec != QLatin1Char('.')) {
      if (!isReadOnly()) insert(QString(dec));
      event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void TXtCustomSpinEdit::DoPaste() {
  const long double before = Value();
  paste();
  if (!XtNumberText::ReadFloat(text(), XtNumberText::DecimalSeparator())) SetValue(before);
}

void TXtCustomSpinEdit::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu(createStandardContextMenu());
  const bool editable = editorEnabled_ && !isReadOnly();
  for (QAction* a : menu->actions()) {
    if (a->objectName() == QLatin1String("edit-paste")) {
      a->disconnect();
      a->setEnabled(editable && a->isEnabled());
      connect(a, &QAction::triggered, this, &TXtCustomSpinEdit::DoPaste);
    } else if (a->objectName() == QLatin1String("edit-cut")) {
      a->setEnabled(editable && a->isEnabled());
    }
  }
  menu->exec(event->globalPos());
}

void TXtCustomSpinEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  focused_ = true;
  RefreshFocusedText();
  if (autoSelect_ && event->reason() != Qt::MouseFocusReason) selectAll();
}

void TXtCustomSpinEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  focused_ = false;
  try {
    if (checkOnExit_) ValueInRangeOrRaise(Value(), true);
    SetValue(ClampValue(Value()));
  } catch (const EXtError& e) {
    focused_ = true;
    selectAll();
    QTimer::singleShot(0, this, [this] {
      setFocus(Qt::OtherFocusReason);
      selectAll();
    });
    emit ErrorRaised(e.Message());
  }
}

void TXtCustomSpinEdit::SetDecimal(int decimal) {
  if (decimal == decimal_) return;
  const long double v = Value();
  decimal_ = decimal;
  SetValue(v);
}

void TXtCustomSpinEdit::SetDisplayFormat(const QString& format) {
  if (format == displayFormat_) return;
  displayFormat_ = format;
  update();
}

void TXtCustomSpinEdit::SetValueType(TValueType type) {
  if (type == valueType_) return;
  const long double v = Value();
  valueType_ = type;
  SetValue(v);
  if (type == TValueType::vtInteger || type == TValueType::vtHex) {
    increment_ = RoundHalfEven(increment_);
    if (increment_ == 0) increment_ = 1;
  }
}

void TXtCustomSpinEdit::SetLimit(long double& limit, bool& checkLimit, bool autoCheck,
                                 long double otherLimit, bool& checkOther, bool otherAutoCheck,
                                 long double value) {
  if (value == limit) return;
  const bool crossesZero = (limit == 0) != (value == 0);
  const bool checkWasAutomatic = checkLimit == (minValue_ != 0 || maxValue_ != 0);
  limit = value;
  if (crossesZero && autoCheck) {
    const bool check = minValue_ != 0 || maxValue_ != 0;
    checkLimit = limit != 0 ? true : check;
    // Checking the other limit too only when that leaves a non-empty range:
    // a lone minimum must not clamp every value to a maximum of 0.
    if (checkWasAutomatic && otherAutoCheck && minValue_ <= maxValue_)
      checkOther = otherLimit != 0 ? true : check;
  }
  SetValue(Value());
}

void TXtCustomSpinEdit::SetMinValue(long double value) {
  SetLimit(minValue_, checkMinValue_, autoMinCheck_, maxValue_, checkMaxValue_, autoMaxCheck_,
           value);
}

void TXtCustomSpinEdit::SetMaxValue(long double value) {
  SetLimit(maxValue_, checkMaxValue_, autoMaxCheck_, minValue_, checkMinValue_, autoMinCheck_,
           value);
}

void TXtCustomSpinEdit::SetCheckMinValue(bool check) {
  checkMinValue_ = minValue_ != 0 ? true : check;
  SetValue(Value());
}

void TXtCustomSpinEdit::SetCheckMaxValue(bool check) {
  checkMaxValue_ = maxValue_ != 0 ? true : check;
  SetValue(Value());
}

void TXtCustomSpinEdit::SetArrowKeys(bool on) {
  arrowKeys_ = on;
  ResizeButton();
}

void TXtCustomSpinEdit::SetButtonKind(TSpinButtonKind kind) {
  if (kind == buttonKind_) return;
  buttonKind_ = kind;
  RecreateButton();
}

void TXtCustomSpinEdit::RecreateButton() {
  button_.reset();
  holder_.reset();
  upDown_.reset();
  if (buttonKind_ == TSpinButtonKind::bkStandard) {
    upDown_ = std::make_unique<TXtUpDown>(this);
    upDown_->setEnabled(isEnabled());
    upDown_->setCursor(Qt::ArrowCursor);
    connect(upDown_.get(), &TXtUpDown::Click, this, &TXtCustomSpinEdit::UpDownClick);
    upDown_->show();
  } else {
    holder_ = std::make_unique<QWidget>(this);
    holder_->setCursor(Qt::ArrowCursor);
    button_ = std::make_unique<TXtSpinButton>(holder_.get());
    button_->SetButtonStyle(buttonKind_ == TSpinButtonKind::bkClassic
                                ? TrSpinButtonStyle::sbsClassic
                                : TrSpinButtonStyle::sbsDefault);
    button_->SetFocusControl(this);
    button_->setEnabled(isEnabled());
    connect(button_.get(), &TXtSpinButton::TopClick, this, &TXtCustomSpinEdit::StepUp);
    connect(button_.get(), &TXtSpinButton::BottomClick, this, &TXtCustomSpinEdit::StepDown);
    holder_->show();
    button_->show();
  }
  ResizeButton();
}

void TXtCustomSpinEdit::UpDownClick(TUDBtnType button) {
  if ((focusPolicy() & Qt::TabFocus) && isEnabled() && isVisible() && !hasFocus())
    setFocus(Qt::MouseFocusReason);
  if (button == TUDBtnType::btNext)
    StepUp();
  else
    StepDown();
}

int TXtCustomSpinEdit::ButtonWidth() const {
  if (upDown_) return upDown_->width();
  if (holder_) return holder_->width();
  return SpinButtonDefaultWidth();
}

void TXtCustomSpinEdit::ResizeButton() {
  const bool rtl = layoutDirection() == Qt::RightToLeft;
  const int W = width(), H = height();
  const int dw = SpinButtonDefaultWidth();
  if (upDown_) {
    upDown_->setGeometry(rtl ? 0 : W - dw, 0, dw, H);
  } else if (holder_) {
    // Positions are worked out in the client area inside the 2-pixel frame,
    // then moved into the widget's own coordinates.
    const int f = hasFrame() ? 2 : 0;
    QRect r;
    const bool classic = buttonKind_ == TSpinButtonKind::bkClassic;
    if (hasFrame()) {
      r = classic ? QRect(W - dw - 4, -1, dw, H - 3) : QRect(W - H - 1, -1, H - 3, H - 3);
      if (rtl) r.moveLeft(-1);
    } else {
      r = classic ? QRect(W - dw, 0, dw, H) : QRect(W - H, 0, H, H);
      if (rtl) r.moveLeft(0);
    }
    r.translate(f, f);
    holder_->setGeometry(r);
    button_->setGeometry(1, 1, r.width() - 1, r.height() - 1);
  }
  const int bw = ButtonWidth() + 2;
  if (rtl)
    setTextMargins(bw, 0, 0, 0);
  else
    setTextMargins(0, 0, bw, 0);
}

void TXtCustomSpinEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  ResizeButton();
}

void TXtCustomSpinEdit::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  switch (event->type()) {
    case QEvent::EnabledChange:
      if (upDown_) upDown_->setEnabled(isEnabled());
      if (button_) button_->setEnabled(isEnabled());
      break;
    case QEvent::FontChange:
      setMinimumHeight(fontMetrics().height() + 4 * 1 + 1);
      ResizeButton();
      break;
    case QEvent::LayoutDirectionChange:
      ResizeButton();
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------

TXtSpinEdit::TXtSpinEdit(QWidget* parent) : TXtCustomSpinEdit(parent) {
  SetDisplayFormat(QStringLiteral(",0.##"));
  setText(QStringLiteral("0"));
}
