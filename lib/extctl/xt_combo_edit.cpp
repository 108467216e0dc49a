// Combo edit: an edit with a button and an optional drop-down window.
#include "xt_combo_edit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>

#include "xt_control_strings.h"

namespace {

constexpr int kDefaultButtonWidth = 21;

int ScrollBarWidth() {
  return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

// Three 2 x 2 dots on a strip B x 4, B = button width - 6.
QImage EllipsisGlyph(int buttonWidth) {
  int b = buttonWidth - 6;
  if (b < 1) b = 1;
  QImage img(b, 4, QImage::Format_RGB32);
  img.fill(Qt::white);
  int gap = (b - 6) / 2;
  if (gap < 1) gap = 1;
  if (gap > 3) gap = 3;
  int x = (b - 6 - 2 * gap) / 2;
  QPainter p(&img);
  for (int i = 0; i < 3; ++i, x += gap + 2) p.fillRect(x, 1, 2, 2, Qt::black);
  return img;
}

// The combo box's arrow.
QImage DropDownGlyph() {
  return XtControlStrings::XtResourceBitmap(QStringLiteral("RSPINDOWN"));
}

}  // namespace

// ---------------------------------------------------------------------------
// TEditButton

TEditButton::TEditButton(TCustomComboEdit* editor, QWidget* parent)
    : TXtSpeedButton(parent), editor_(editor) {}

void TEditButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    if (editor_->PopupVisible()) {
      editor_->CloseUpPopup(true);
      swallowNextClick_ = true;
    } else if ((editor_->focusPolicy() & Qt::TabFocus) && !editor_->hasFocus()) {
      editor_->setFocus(Qt::MouseFocusReason);
    }
  }
  TXtSpeedButton::mousePressEvent(event);
}

void TEditButton::PaintOver(QPainter& p) {
  if (State() == TXtButtonState::rbsDown) return;
  const QPalette pal = QApplication::palette();
  p.setPen(pal.color(QPalette::Button));
  p.drawLine(0, 0, 0, height() - 1);
  p.setPen(pal.color(QPalette::Light));
  p.drawLine(1, 1, 1, height() - 2);
}

// ---------------------------------------------------------------------------
// TPopupWindow

TPopupWindow::TPopupWindow(TCustomComboEdit* editor)
    : QFrame(editor, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      editor_(editor) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  hide();
}

void TPopupWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    emit CloseUp(contentsRect().contains(event->position().toPoint()));
}

// ---------------------------------------------------------------------------
// TCustomComboEdit

TCustomComboEdit::TCustomComboEdit(QWidget* parent) : QLineEdit(parent) {
  holder_ = std::make_unique<QWidget>(this);
  holder_->setCursor(Qt::ArrowCursor);
  holder_->resize(kDefaultButtonWidth, 17);
  button_ = std::make_unique<TEditButton>(this, holder_.get());
  button_->setGeometry(0, 0, holder_->width(), holder_->height());
  connect(button_.get(), &TXtSpeedButton::Click, this, [this] {
    if (button_->SwallowNextClick()) {
      button_->SetSwallowNextClick(false);
      return;
    }
    DoClick();
  });
  connect(this, &QLineEdit::textChanged, this, &TCustomComboEdit::OnTextChanged);
  const int minHeight = fontMetrics().height() + 4 * 1 + 1;
  setMinimumHeight(minHeight);
  resize(121, minHeight > 21 ? minHeight : 21);
  PlaceButton();
}

TCustomComboEdit::~TCustomComboEdit() {
  if (popupVisible_) qApp->removeEventFilter(this);
}

void TCustomComboEdit::Beep() {
  QApplication::beep();
  emit Beeped();
}

int TCustomComboEdit::ButtonWidth() const {
  return holder_->isHidden() ? 0 : holder_->width();
}

int TCustomComboEdit::AutoButtonWidth() const {
  const QImage glyph = button_->Glyph();
  if (glyphKind_ == TGlyphKind::gkDefault && !glyph.isNull()) {
    const int w = glyph.width() / button_->NumGlyphs() + 6;
    return w > kDefaultButtonWidth ? w : kDefaultButtonWidth;
  }
  if (glyphKind_ == TGlyphKind::gkDropDown) return ScrollBarWidth();
  return kDefaultButtonWidth;
}

void TCustomComboEdit::SetButtonWidth(int width) {
  if (width == holder_->width() && !holder_->isHidden() == (width > 1)) return;
  if (width >= this->width() && parentWidget() != nullptr) return;
  holder_->setVisible(width > 1);
  holder_->resize(width, holder_->height());
  fixedButtonWidth_ = false;
  MakeGlyph();
  PlaceButton();
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind kind) {
  if (kind == glyphKind_) return;
  glyphKind_ = kind;
  MakeGlyph();
  if (kind == TGlyphKind::gkDefault && !button_->Glyph().isNull()) {
    const int w = button_->Glyph().width() / button_->NumGlyphs() + 6;
    holder_->resize(w > holder_->width() ? w : holder_->width(), holder_->height());
  } else if (kind == TGlyphKind::gkDropDown) {
    holder_->resize(ScrollBarWidth(), holder_->height());
    fixedButtonWidth_ = true;
  }
  PlaceButton();
}

void TCustomComboEdit::SetGlyph(const QImage& glyph) {
  glyphKind_ = TGlyphKind::gkCustom;
  button_->SetGlyph(glyph);
}

void TCustomComboEdit::MakeGlyph() {
  switch (glyphKind_) {
    case TGlyphKind::gkDefault:
      button_->SetGlyph(DefaultGlyph());
      button_->SetNumGlyphs(defaultNumGlyphs_);
      break;
    case TGlyphKind::gkDropDown:
      button_->SetGlyph(DropDownGlyph());
      button_->SetNumGlyphs(1);
      break;
    case TGlyphKind::gkEllipsis:
      button_->SetGlyph(EllipsisGlyph(holder_->width()));
      button_->SetNumGlyphs(1);
      break;
    case TGlyphKind::gkCustom:
      break;
  }
}

void TCustomComboEdit::PlaceButton() {
  const int bw = holder_->width();
  const int W = width(), H = height();
  if (hasFrame())
    holder_->setGeometry(W - bw - 2, 2, bw, H - 4);
  else
    holder_->setGeometry(W - bw, 0, bw, H);
  button_->setGeometry(0, 0, bw, holder_->height());
  setTextMargins(0, 0, holder_->isHidden() ? 0 : bw, 0);
}

void TCustomComboEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  PlaceButton();
}

void TCustomComboEdit::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) button_->setEnabled(isEnabled());
  if (event->type() == QEvent::LayoutDirectionChange && popup_)
    popup_->setLayoutDirection(layoutDirection());
  if (event->type() == QEvent::FontChange) setMinimumHeight(fontMetrics().height() + 5);
}

void TCustomComboEdit::SetDirectInput(bool on) {
  directInput_ = on;
  UpdateReadOnly();
}

void TCustomComboEdit::SetReadOnly(bool on) {
  readOnly_ = on;
  UpdateReadOnly();
}

void TCustomComboEdit::UpdateReadOnly() {
  QLineEdit::setReadOnly(!directInput_ || readOnly_);
}

void TCustomComboEdit::SetPopup(TPopupWindow* popup) {
  if (popup_ != nullptr) disconnect(popup_, nullptr, this, nullptr);
  popup_ = popup;
  if (popup_ != nullptr)
    connect(popup_, &TPopupWindow::CloseUp, this, &TCustomComboEdit::CloseUpPopup);
}

void TCustomComboEdit::SelectText() {
  if (directInput_) selectAll();
}

void TCustomComboEdit::DoClick() {
  if (readOnly_ && !alwaysEnable_) return;
  emit ButtonClick();
  if (popup_ != nullptr) {
    if (popupVisible_)
      CloseUpPopup(true);
    else
      DropDownPopup(true);
  } else {
    ButtonClicked();
  }
}

void TCustomComboEdit::DropDownPopup(bool readOnlyWhileOpen) {
  if (popup_ == nullptr || readOnly_ || popupVisible_) return;
  const QRect screen = this->screen() ? this->screen()->geometry() : QRect(0, 0, 800, 600);
  const QPoint topLeft = mapToGlobal(QPoint(0, 0));
  const int pw = popup_->width(), ph = popup_->height();
  int top = topLeft.y() + height();
  if (top + ph > screen.bottom() + 1) top = topLeft.y() - ph;
  int left;
  if (popupAlign_ == TPopupAlign::epaRight) {
    left = topLeft.x() + width() - pw;
    if (left < 0) left = topLeft.x();
  } else {
    left = topLeft.x();
    if (left + pw > screen.right() + 1) left = topLeft.x() + width() - pw;
  }
  if (left < 0) left = 0;
  if (left > screen.width() - pw) left = screen.width() - pw;
  popup_->SetValue(text());
  setFocus(Qt::PopupFocusReason);
  popup_->move(left, top);
  popup_->show();
  popupVisible_ = true;
  qApp->installEventFilter(this);
  if (readOnlyWhileOpen) QLineEdit::setReadOnly(true);
}

void TCustomComboEdit::CloseUpPopup(bool accept) {
  if (!popupVisible_ || popup_ == nullptr) return;
  qApp->removeEventFilter(this);
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  QString value = popup_->GetValue();
  popup_->hide();
  setFocus(Qt::PopupFocusReason);
  UpdateReadOnly();
  update();
  popupVisible_ = false;
  if (accept && AcceptPopup(value) && !isReadOnly()) {
    AcceptValue(value);
    if (hasFocus()) SelectText();
  }
}

bool TCustomComboEdit::AcceptPopup(QString&) {
  return true;
}

void TCustomComboEdit::AcceptValue(const QString& value) {
  if (text() != value) {
    setText(value);
    setModified(true);
  }
}

bool TCustomComboEdit::HandleKey(QKeyEvent*) {
  return false;
}

void TCustomComboEdit::keyPressEvent(QKeyEvent* event) {
  if (HandleKey(event)) return;
  if (!clickKey_.isEmpty() && QKeySequence(event->keyCombination()) == clickKey_) {
    if (ButtonWidth() > 0) DoClick();
    event->accept();
    return;
  }
  const int key = event->key();
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (ctrl && (key == Qt::Key_Tab || key == Qt::Key_Return || key == Qt::Key_Enter)) {
    event->ignore();
    return;
  }
  if (popupVisible_ && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
                        (ctrl && key == Qt::Key_J))) {
    CloseUpPopup(key != Qt::Key_Escape);
    event->accept();
    return;
  }
  if (popupVisible_) {
    popup_->HandleKey(event);
    if (event->isAccepted()) return;
  }
  QLineEdit::keyPressEvent(event);
}

void TCustomComboEdit::mousePressEvent(QMouseEvent* event) {
  if (popup_ != nullptr && event->button() == Qt::LeftButton) {
    setFocus(Qt::MouseFocusReason);
    if (!hasFocus()) return;
    if (popupVisible_) CloseUpPopup(false);
  }
  QLineEdit::mousePressEvent(event);
}

void TCustomComboEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  focused_ = true;
  if (autoSelect_ && event->reason() != Qt::MouseFocusReason &&
      event->reason() != Qt::PopupFocusReason)
    SelectText();
}

void TCustomComboEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  focused_ = false;
  if (event->reason() != Qt::PopupFocusReason) CloseUpPopup(false);
}

bool TCustomComboEdit::eventFilter(QObject* watched, QEvent* event) {
  if (popupVisible_ && event->type() == QEvent::MouseButtonPress) {
    auto* w = qobject_cast<QWidget*>(watched);
    const bool ours = w == nullptr || w == this || w == holder_.get() || w == button_.get() ||
                      (popup_ != nullptr && (w == popup_ || popup_->isAncestorOf(w)));
    if (!ours) CloseUpPopup(false);
  }
  return QLineEdit::eventFilter(watched, event);
}

void TCustomComboEdit::OnTextChanged() {
  if (popupVisible_) return;  // the pop-up's change step does nothing
  if (!ChangeSuppressed()) emit Change();
}
