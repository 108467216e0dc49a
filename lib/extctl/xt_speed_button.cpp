// Speed button and button glyphs.
#include "xt_speed_button.h"

#include <QApplication>
#include <QDialog>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

#include "xt_control_strings.h"
#include "xt_vcl_utils.h"

namespace {

using XtVclUtils::ButtonFaceColor;
using XtVclUtils::ButtonHighlightColor;
using XtVclUtils::ButtonShadowColor;
using XtVclUtils::ButtonTextColor;
using XtVclUtils::WindowFrameColor;

int Index(TXtButtonState s) {
  return static_cast<int>(s);
}

// The picture with one colour see-through.
QImage Masked(const QImage& source, QRgb key) {
  QImage img = source.convertToFormat(QImage::Format_ARGB32);
  key |= 0xFF000000u;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) | 0xFF000000u) == key) img.setPixel(x, y, 0u);
  return img;
}

// One-pixel outline: top and left in one colour, bottom and right in the other.
void Frame3D(QPainter& p, QRect& r, QColor topLeft, QColor bottomRight) {
  p.setPen(topLeft);
  p.drawLine(r.left(), r.top(), r.right(), r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom());
  p.setPen(bottomRight);
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
  r.adjust(1, 1, -1, -1);
}

// The drop-down mark: rows of 7, 5, 3 and 1 pixels.
void DrawMark(QPainter& p, int x, int y, QColor colour) {
  p.setPen(colour);
  for (int row = 0; row < 4; ++row) p.drawLine(x + row, y + row, x + 6 - row, y + row);
}

}  // namespace

// ---------------------------------------------------------------------------
// TXtButtonGlyph

TXtButtonGlyph::TXtButtonGlyph() = default;

void TXtButtonGlyph::SetGlyph(const QImage& glyph) {
  ReleaseImages();
  glyph_ = glyph;
  if (glyph_.isNull()) return;
  transparentColor_ = XtControlStrings::TransparentColorOf(glyph_) & ~0x02000000u;
  if (glyph_.height() > 0 && glyph_.width() % glyph_.height() == 0) {
    int n = glyph_.width() / glyph_.height();
    if (n > 5) n = 1;
    numGlyphs_ = n;
  }
}

void TXtButtonGlyph::SetNumGlyphs(int count) {
  if (count <= 0) return;
  if (count > 5) count = 5;
  if (count == numGlyphs_) return;
  ReleaseImages();
  numGlyphs_ = count;
}

void TXtButtonGlyph::ReleaseImages() {
  for (auto& img : images_) img.reset();
}

QRgb TXtButtonGlyph::MapToGray(QRgb colour) const {
  const QRgb rgb = colour & 0xFFFFFFu;
  if (rgb == (transparentColor_ & 0xFFFFFFu) || rgb == (ButtonFaceColor().rgb() & 0xFFFFFFu))
    return colour;
  const int level = (qRed(colour) * 77 + qGreen(colour) * 150 + qBlue(colour) * 29) >> 8;
  return qRgb(level, level, level);
}

QSize TXtButtonGlyph::GlyphSize() const {
  if (glyph_.isNull()) return QSize(0, 0);
  return QSize(glyph_.width() / numGlyphs_, glyph_.height());
}

QImage TXtButtonGlyph::StateImage(TXtButtonState state) {
  if (state == TXtButtonState::rbsDown && numGlyphs_ < 3) state = TXtButtonState::rbsUp;
  auto& slot = images_[Index(state)];
  if (slot) return *slot;
  if (glyph_.isNull()) return QImage();
  const QSize size = GlyphSize();
  const int sub = Index(state) < numGlyphs_ ? Index(state) : 0;
  const QImage source = glyph_.copy(sub * size.width(), 0, size.width(), size.height());
  QImage result;
  if (state == TXtButtonState::rbsDisabled && numGlyphs_ < 2) {
    const QImage disabled = XtVclUtils::MakeDisabledBitmap(glyph_, Qt::black);
    result = Masked(disabled.copy(0, 0, size.width(), size.height()), ButtonFaceColor().rgb());
  } else if (state == TXtButtonState::rbsInactive && numGlyphs_ < 5) {
    QImage gray =
        glyph_.copy(0, 0, size.width(), size.height()).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < gray.height(); ++y)
      for (int x = 0; x < gray.width(); ++x) gray.setPixel(x, y, MapToGray(gray.pixel(x, y)));
    result = Masked(gray, transparentColor_);
  } else {
    result = Masked(source, transparentColor_);
  }
  slot = result;
  return result;
}

TGlyphLayout TXtButtonGlyph::LayoutGlyphAndCaption(const QRect& client, const QFontMetrics& metrics,
                                                   const QString& caption, TButtonLayout layout,
                                                   int margin, int spacing,
                                                   bool dropDownMark) const {
  const QSize clientSize = client.size();
  QSize glyphSize = GlyphSize();
  const bool horizontal =
      layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;
  const int m = margin != -1 ? margin : 0;
  const int s = spacing != -1 ? spacing : 0;
  QSize room;
  if (horizontal)
    room = QSize(clientSize.width() - glyphSize.width() - m - s - (dropDownMark ? 9 : 0),
                 clientSize.height());
  else
    room = QSize(clientSize.width(), clientSize.height() - glyphSize.height() - m - s);
  room = room.expandedTo(QSize(0, 0));

  QString text = caption;
  if (!wordWrap_) {
    QStringList lines = caption.split(QLatin1Char('\n'));
    for (QString& line : lines) line = XtVclUtils::FitTextWithEllipsis(line, metrics, room.width());
    text = lines.join(QLatin1Char('\n'));
  }
  QSize textSize(0, 0);
  if (!text.isEmpty()) {
    const int flags = Qt::AlignHCenter | Qt::TextShowMnemonic | (wordWrap_ ? Qt::TextWordWrap : 0);
    QRect measured = metrics.boundingRect(QRect(0, 0, room.width(), 0), flags, text);
    textSize = measured.size().boundedTo(room);
  }
  if (dropDownMark) {
    if (glyphSize.width() == 0 || layout == TButtonLayout::blGlyphLeft)
      textSize.rwidth() += 9;
    else
      glyphSize.rwidth() += 6;
  }

  QPoint glyphPos, textPos;
  if (horizontal) {
    glyphPos.setY(clientSize.height() / 2 - glyphSize.height() / 2);
    textPos.setY(clientSize.height() / 2 - textSize.height() / 2);
  } else {
    glyphPos.setX(clientSize.width() / 2 - glyphSize.width() / 2);
    textPos.setX(clientSize.width() / 2 - textSize.width() / 2);
  }
  if (text.isEmpty() || glyphSize.width() == 0) spacing = 0;
  const int along = horizontal ? clientSize.width() : clientSize.height();
  const int glyphAlong = horizontal ? glyphSize.width() : glyphSize.height();
  const int textAlong = horizontal ? textSize.width() : textSize.height();
  if (margin == -1) {
    if (spacing == -1) {
      spacing = (along - glyphAlong - textAlong) / 3;
      margin = spacing;
    } else {
      margin = along / 2 - (spacing + glyphAlong + textAlong) / 2;
    }
  } else if (spacing == -1) {
    spacing = (along - margin - glyphAlong) / 2 - textAlong / 2;
  }
  switch (layout) {
    case TButtonLayout::blGlyphLeft:
      glyphPos.setX(margin);
      textPos.setX(margin + glyphSize.width() + spacing);
      break;
    case TButtonLayout::blGlyphRight:
      glyphPos.setX(clientSize.width() - margin - glyphSize.width());
      textPos.setX(glyphPos.x() - spacing - textSize.width());
      break;
    case TButtonLayout::blGlyphTop:
      glyphPos.setY(margin);
      textPos.setY(margin + glyphSize.height() + spacing);
      break;
    case TButtonLayout::blGlyphBottom:
      glyphPos.setY(clientSize.height() - margin - glyphSize.height());
      textPos.setY(glyphPos.y() - spacing - textSize.height());
      break;
  }
  TGlyphLayout result;
  result.glyph = QRect(glyphPos + client.topLeft(), glyphSize);
  result.caption = QRect(textPos + client.topLeft(), textSize);
  return result;
}

void TXtButtonGlyph::Draw(QPainter& painter, const QRect& client, const QFontMetrics& metrics,
                          const QString& caption, TButtonLayout layout, int margin, int spacing,
                          TXtButtonState state, bool dropDownMark) {
  const TGlyphLayout at =
      LayoutGlyphAndCaption(client, metrics, caption, layout, margin, spacing, dropDownMark);
  const QImage image = StateImage(state);
  if (!image.isNull()) painter.drawImage(at.glyph.topLeft(), image);
  QRect textRect = at.caption;
  if (dropDownMark && (GlyphSize().width() == 0 || layout == TButtonLayout::blGlyphLeft))
    textRect.setWidth(textRect.width() - 9);
  if (!caption.isEmpty()) {
    QString text = caption;
    if (!wordWrap_) {
      QStringList lines = caption.split(QLatin1Char('\n'));
      for (QString& line : lines)
        line = XtVclUtils::FitTextWithEllipsis(line, metrics, textRect.width());
      text = lines.join(QLatin1Char('\n'));
    }
    const int flags = static_cast<int>(alignment_) | Qt::AlignVCenter | Qt::TextShowMnemonic |
                      (wordWrap_ ? Qt::TextWordWrap : 0);
    if (state == TXtButtonState::rbsDisabled) {
      painter.setPen(ButtonHighlightColor());
      painter.drawText(textRect.translated(1, 1), flags, text);
      painter.setPen(ButtonShadowColor());
      painter.drawText(textRect, flags, text);
    } else {
      painter.setPen(ButtonTextColor());
      painter.drawText(textRect, flags, text);
    }
  }
  if (dropDownMark) {
    int x, y;
    if (layout != TButtonLayout::blGlyphLeft && !image.isNull()) {
      x = at.glyph.left() + GlyphSize().width() + 1;
      y = at.glyph.top() + at.glyph.height() / 2;
    } else {
      x = caption.isEmpty() ? (client.left() + client.right() + 1 - 7) / 2 : textRect.right() + 4;
      y = textRect.top() + textRect.height() / 2;
    }
    if (state == TXtButtonState::rbsDisabled) {
      DrawMark(painter, x + 1, y + 1, ButtonHighlightColor());
      DrawMark(painter, x, y, ButtonShadowColor());
    } else {
      DrawMark(painter, x, y, ButtonTextColor());
    }
  }
}

void PaintButtonFrame(QPainter& p, QRect& r, bool pressed, bool flat, TButtonStyle style) {
  const bool newLook = style != TButtonStyle::bsWin31;
  if (pressed) {
    if (newLook) {
      if (!flat) Frame3D(p, r, WindowFrameColor(), ButtonHighlightColor());
      if (flat)
        Frame3D(p, r, ButtonShadowColor(), ButtonHighlightColor());
      else
        Frame3D(p, r, ButtonShadowColor(), ButtonFaceColor());
    } else if (!flat) {
      Frame3D(p, r, WindowFrameColor(), WindowFrameColor());
      Frame3D(p, r, ButtonShadowColor(), ButtonFaceColor());
    } else {
      Frame3D(p, r, WindowFrameColor(), ButtonHighlightColor());
    }
  } else {
    if (newLook) {
      if (!flat) {
        Frame3D(p, r, ButtonHighlightColor(), WindowFrameColor());
        Frame3D(p, r, ButtonFaceColor(), ButtonShadowColor());
      } else {
        Frame3D(p, r, ButtonHighlightColor(), ButtonShadowColor());
      }
    } else if (!flat) {
      Frame3D(p, r, WindowFrameColor(), WindowFrameColor());
      Frame3D(p, r, ButtonHighlightColor(), ButtonShadowColor());
    } else {
      Frame3D(p, r, ButtonHighlightColor(), WindowFrameColor());
    }
  }
  r.adjust(1, 1, -1, -1);
}

// ---------------------------------------------------------------------------
// TXtSpeedButton

TXtSpeedButton::TXtSpeedButton(QWidget* parent) : QWidget(parent) {
  resize(25, 25);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_Hover);
}

TXtSpeedButton::~TXtSpeedButton() = default;

void TXtSpeedButton::SetCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  UpdateShortcut();
  update();
}

void TXtSpeedButton::UpdateShortcut() {
  if (shortcutId_ != 0) releaseShortcut(shortcutId_);
  shortcutId_ = 0;
  const QKeySequence mnemonic = QKeySequence::mnemonic(caption_);
  if (!mnemonic.isEmpty()) shortcutId_ = grabShortcut(mnemonic, Qt::WindowShortcut);
}

bool TXtSpeedButton::event(QEvent* e) {
  if (e->type() == QEvent::Shortcut &&
      static_cast<QShortcutEvent*>(e)->shortcutId() == shortcutId_ && shortcutId_ != 0) {
    if (isEnabled() && isVisible()) ClickButton();
    return true;
  }
  if (e->type() == QEvent::PaletteChange) glyph_.ReleaseImages();
  return QWidget::event(e);
}

void TXtSpeedButton::SetGlyph(const QImage& glyph) {
  glyph_.SetGlyph(glyph);
  update();
}

void TXtSpeedButton::SetNumGlyphs(int count) {
  glyph_.SetNumGlyphs(count);
  update();
}

void TXtSpeedButton::SetGroupIndex(int index) {
  if (index == groupIndex_) return;
  groupIndex_ = index;
  UpdateExclusive();
}

void TXtSpeedButton::SetAllowAllUp(bool allow) {
  if (allow == allowAllUp_) return;
  allowAllUp_ = allow;
  UpdateExclusive();
}

void TXtSpeedButton::SetFlat(bool flat) {
  if (flat == flat_) return;
  flat_ = flat;
  update();
}

void TXtSpeedButton::SetTransparent(bool on) {
  if (on == transparent_) return;
  transparent_ = on;
  setAttribute(Qt::WA_OpaquePaintEvent, !on);
  update();
}

void TXtSpeedButton::SetLayout(TButtonLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  update();
}

void TXtSpeedButton::SetSpacing(int spacing) {
  if (spacing == spacing_) return;
  spacing_ = spacing;
  update();
}

void TXtSpeedButton::SetMargin(int margin) {
  if (margin == margin_ || margin < -1) return;
  margin_ = margin;
  update();
}

void TXtSpeedButton::SetStyle(TButtonStyle style) {
  if (style == style_) return;
  style_ = style;
  update();
}

void TXtSpeedButton::SetGrayedInactive(bool on) {
  if (on == grayedInactive_) return;
  grayedInactive_ = on;
  update();
}

void TXtSpeedButton::SetFlatStandard(bool on) {
  if (on == flatStandard_) return;
  flatStandard_ = on;
  update();
}

void TXtSpeedButton::SetMarkDropDown(bool on) {
  if (on == markDropDown_) return;
  markDropDown_ = on;
  update();
}

void TXtSpeedButton::SetDropDownMenu(QMenu* menu) {
  if (menu == dropDownMenu_) return;
  dropDownMenu_ = menu;
  update();
}

void TXtSpeedButton::SetWordWrap(bool on) {
  if (on == glyph_.WordWrap()) return;
  glyph_.SetWordWrap(on);
  update();
}

void TXtSpeedButton::SetAlignment(Qt::Alignment a) {
  if (a == glyph_.Alignment()) return;
  glyph_.SetAlignment(a);
  update();
}

void TXtSpeedButton::SetAllowTimer(bool on) {
  allowTimer_ = on;
  if (!on) repeatTimer_.reset();
}

void TXtSpeedButton::SetDown(bool down) {
  if (groupIndex_ == 0) down = false;
  if (down == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = down;
  if (down) {
    if (state_ == TXtButtonState::rbsUp) update();
    state_ = TXtButtonState::rbsExclusive;
  } else {
    state_ = TXtButtonState::rbsUp;
  }
  update();
  if (down) UpdateExclusive();
}

void TXtSpeedButton::UpdateExclusive() {
  QWidget* parent = parentWidget();
  if (groupIndex_ == 0 || parent == nullptr) return;
  for (QObject* child : parent->children()) {
    auto* other = qobject_cast<TXtSpeedButton*>(child);
    if (other != nullptr && other != this) other->GroupNotice(this);
  }
}

void TXtSpeedButton::GroupNotice(TXtSpeedButton* sender) {
  if (sender->groupIndex_ != groupIndex_) return;
  if (sender->down_ && down_) {
    down_ = false;
    state_ = TXtButtonState::rbsUp;
    update();
  }
  allowAllUp_ = sender->allowAllUp_;
}

QPoint TXtSpeedButton::DropDownMenuOrigin() const {
  // A QMenu always pops up left-aligned at the point it is given, so the
  // left-aligned menu's origins are the ones that apply.
  if (menuPosition_ == TXtDropDownMenuPos::dmpBottom) return QPoint(-1, height());
  return QPoint(width(), -1);
}

void TXtSpeedButton::ShowDropDownMenu(const QPoint& position, bool manual) {
  Q_UNUSED(manual);  // a QMenu always pops up when asked
  if (!dropDownMenu_) return;
  dropDownMenu_->exec(mapToGlobal(position));
}

void TXtSpeedButton::ClickButton() {
  if (modalResult_ != 0) {
    if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->done(modalResult_);
  }
  emit Click();
}

void TXtSpeedButton::PressAt(const QPoint& pt) {
  if (menuTracking_) return;
  if (!mouseInControl_) {
    mouseInControl_ = true;
    update();
  }
  if (!down_) {
    state_ = TXtButtonState::rbsDown;
    repaint();
  }
  dragging_ = true;
  grabMouse();
  if (dropDownMenu_) {
    // While the menu is tracked the button's own release counts no click.
    menuTracking_ = true;
    ShowDropDownMenu(DropDownMenuOrigin(), false);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(pt), mapToGlobal(QPointF(pt)),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    mouseReleaseEvent(&up);
    // The click that closed the menu must not press the button again.
    XtVclUtils::RemovePendingMessage(this, QEvent::MouseButtonPress);
    XtVclUtils::RemovePendingMessage(this, QEvent::MouseButtonDblClick);
    menuTracking_ = false;
    return;
  }
  if (allowTimer_) {
    if (!repeatTimer_) {
      repeatTimer_ = std::make_unique<QTimer>();
      QObject::connect(repeatTimer_.get(), &QTimer::timeout, this, &TXtSpeedButton::TimerTick);
    }
    repeatTimer_->setInterval(initPause_);
    repeatTimer_->start();
  }
}

void TXtSpeedButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) {
    if (event->button() == Qt::RightButton) TrackMouseInside(rect().contains(event->pos()));
    return;
  }
  PressAt(event->position().toPoint());
}

void TXtSpeedButton::mouseDoubleClickEvent(QMouseEvent* event) {
  if (menuTracking_) return;
  mousePressEvent(event);
  if (down_) emit DblClick();
}

void TXtSpeedButton::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const QPoint pt = event->position().toPoint();
  TXtButtonState next;
  if (pt.x() >= 0 && pt.x() < width() && pt.y() >= 0 && pt.y() <= height())
    next = down_ ? TXtButtonState::rbsExclusive : TXtButtonState::rbsDown;
  else
    next = down_ ? TXtButtonState::rbsExclusive : TXtButtonState::rbsUp;
  if (next != state_) {
    state_ = next;
    update();
  }
}

void TXtSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    TrackMouseInside(rect().contains(event->position().toPoint()));
    return;
  }
  if (event->button() != Qt::LeftButton || !dragging_) return;
  dragging_ = false;
  if (mouseGrabber() == this) releaseMouse();
  const QPoint pt = event->position().toPoint();
  const bool inside = pt.x() >= 0 && pt.x() < width() && pt.y() >= 0 && pt.y() <= height();
  if (groupIndex_ == 0) {
    state_ = TXtButtonState::rbsUp;
    mouseInControl_ = false;
    if (inside)
      repaint();
    else
      update();
  } else if (inside) {
    SetDown(!down_);
    if (down_) repaint();
  } else if (down_) {
    state_ = TXtButtonState::rbsExclusive;
    repaint();
  }
  if (inside && !menuTracking_) ClickButton();
  TrackMouseInside(inside && isEnabled());
  if (repeatTimer_) repeatTimer_->stop();
}

void TXtSpeedButton::TimerTick() {
  repeatTimer_->setInterval(repeatInterval_);
  if (state_ == TXtButtonState::rbsDown && mouseGrabber() == this) {
    try {
      ClickButton();
    } catch (...) {
      repeatTimer_->stop();
    }
  }
}

void TXtSpeedButton::TrackMouseInside(bool inside) {
  inside = inside && isEnabled() && isVisible();
  if (inside == mouseInControl_) return;
  mouseInControl_ = inside;
  if (flat_) update();
  if (inside)
    emit MouseEnter();
  else
    emit MouseLeave();
}

void TXtSpeedButton::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  TrackMouseInside(true);
}

void TXtSpeedButton::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (!dragging_) TrackMouseInside(false);
}

void TXtSpeedButton::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) {
    if (!isEnabled()) {
      state_ = TXtButtonState::rbsDisabled;
      dragging_ = false;
      TrackMouseInside(false);
    } else if (state_ == TXtButtonState::rbsDisabled) {
      state_ = down_ && groupIndex_ != 0 ? TXtButtonState::rbsExclusive : TXtButtonState::rbsUp;
    }
    glyph_.StateImage(!isEnabled() ? TXtButtonState::rbsDisabled
                      : flat_      ? TXtButtonState::rbsInactive
                                   : TXtButtonState::rbsUp);
    update();
  } else if (event->type() == QEvent::PaletteChange) {
    glyph_.ReleaseImages();
  }
}

void TXtSpeedButton::PaintOver(QPainter&) {}

void TXtSpeedButton::paintEvent(QPaintEvent*) {
  if (!isEnabled()) {
    state_ = TXtButtonState::rbsDisabled;
    dragging_ = false;
  } else if (state_ == TXtButtonState::rbsDisabled) {
    state_ = down_ && groupIndex_ != 0 ? TXtButtonState::rbsExclusive : TXtButtonState::rbsUp;
  }
  const TXtButtonState painted = flat_ && !mouseInControl_ ? TXtButtonState::rbsInactive : state_;
  QImage canvas(size(), QImage::Format_ARGB32_Premultiplied);
  canvas.fill(ButtonFaceColor());
  {
    QPainter p(&canvas);
    p.setFont(font());
    if (transparent_) XtVclUtils::PaintParentImage(this, p);
    QRect r = rect();
    const bool pressed =
        state_ == TXtButtonState::rbsDown || state_ == TXtButtonState::rbsExclusive;
    if (!(painted == TXtButtonState::rbsInactive && state_ != TXtButtonState::rbsExclusive))
      PaintButtonFrame(p, r, pressed, flat_, style_);
    else if (flat_)
      r.adjust(2, 2, -2, -2);
    if (state_ == TXtButtonState::rbsExclusive && !transparent_ &&
        (!flat_ || painted == TXtButtonState::rbsInactive)) {
      p.fillRect(r, ButtonFaceColor());
      p.fillRect(r, QBrush(ButtonHighlightColor(), Qt::Dense4Pattern));
    }
    if (pressed) r.translate(1, 1);
    TXtButtonState glyphState = state_;
    if (grayedInactive_ && state_ != TXtButtonState::rbsDisabled) glyphState = painted;
    if (flatStandard_ && glyphState == TXtButtonState::rbsInactive)
      glyphState = TXtButtonState::rbsExclusive;
    glyph_.Draw(p, r, fontMetrics(), caption_, layout_, margin_, spacing_, glyphState,
                markDropDown_ && dropDownMenu_ != nullptr);
    PaintOver(p);
  }
  QPainter screen(this);
  screen.drawImage(0, 0, canvas);
}

TXtTimerSpeedButton::TXtTimerSpeedButton(QWidget* parent) : TXtSpeedButton(parent) {
  SetAllowTimer(true);
  SetStyle(TButtonStyle::bsWin31);
}
