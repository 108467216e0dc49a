// Date edit.
#include "xt_date_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include "xt_control_strings.h"
#include "xt_date_dialog.h"
#include "xt_date_text.h"
#include "xt_errors.h"

namespace {

// Fills each "%s" of a message in turn.
QString FillMessage(QString text, const QStringList& args) {
  int from = 0;
  for (const QString& a : args) {
    const int at = text.indexOf(QLatin1String("%s"), from);
    if (at < 0) break;
    text.replace(at, 2, a);
    from = at + a.size();
  }
  return text;
}

}  // namespace

TCustomDateEdit::TCustomDateEdit(QWidget* parent) : TCustomComboEdit(parent) {
  dialogTitle_ = XtControlStrings::XtLoadStr(XtControlStrings::kDateDialogTitle);
  popupColor_ = QApplication::palette().color(QPalette::Button);
  SetDefaultNumGlyphs(2);
  SetGlyphKind(TGlyphKind::gkDefault);
  UpdateDateMask();
}

TCustomDateEdit::~TCustomDateEdit() {
  SetPopup(nullptr);
  popupCalendar_.reset();
}

QImage TCustomDateEdit::DefaultGlyph() const {
  return XtControlStrings::XtResourceBitmap(QStringLiteral("DEDITBMP"));
}

bool TCustomDateEdit::FourDigitYear() const {
  return yearDigits_ == TYearDigits::dyFour ||
         (yearDigits_ == TYearDigits::dyDefault && XtDateText::UsesFourDigitYear());
}

QString TCustomDateEdit::DateFormatText() const {
  return XtDateText::DefaultDateFormat(FourDigitYear()).left(10);
}

QString TCustomDateEdit::DateText() const {
  // The masked text keeps every position, unfilled ones as blanks, so the
  // date parts stay where the format has them.
  QString t = displayText();
  if (!inputMask().isEmpty()) t.replace(blanksChar_, QLatin1Char(' '));
  return t;
}

bool TCustomDateEdit::TextIsBlank() const {
  for (QChar c : DateText())
    if (c != blanksChar_ && c != QLatin1Char(' ') && c != XtDateText::kDateSeparator &&
        c != QChar(0))
      return false;
  return true;
}

QDate TCustomDateEdit::DateValue() const {
  const QDate fallback = defaultToday_ ? QDate::currentDate() : QDate();
  if (TextIsBlank()) return fallback;
  return XtDateText::TextToDateOrDefault(dateFormat_, DateText(), fallback);
}

QDate TCustomDateEdit::ClampDate(const QDate& date) const {
  if (XtDateText::IsNoDate(date)) return date;
  if (!XtDateText::IsNoDate(minDate_) && date < minDate_) return minDate_;
  if (!XtDateText::IsNoDate(maxDate_) && date > maxDate_) return maxDate_;
  return date;
}

void TCustomDateEdit::CheckRange(const QDate&) const {}

void TCustomDateEdit::WriteDate(const QDate& date) {
  QDate d = date;
  if (!XtDateText::IsValidDateValue(d) || XtDateText::IsNoDate(d))
    d = defaultToday_ ? QDate::currentDate() : QDate();
  if (dateAutoBetween_) d = ClampDate(d);
  const QDate before = DateValue();
  formatting_ = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{formatting_};
  setText(XtDateText::FormatDate(dateFormat_, d));
  if (DateValue() != before) setModified(true);
}

void TCustomDateEdit::ApplyDateValue(const QDate& date) {
  if (!dateAutoBetween_ && !XtDateText::IsNoDate(date)) CheckRange(date);
  WriteDate(date);
}

void TCustomDateEdit::SetMinDate(const QDate& date) {
  if (date == minDate_) return;
  if (!XtDateText::IsNoDate(date) && !XtDateText::IsNoDate(maxDate_) && date > maxDate_) {
    if (!dateAutoBetween_)
      throw EGeneralError(
          FillMessage(XtControlStrings::XtLoadStr(XtControlStrings::kDateLimitsConflict),
                      {XtDateText::FormatDate(dateFormat_, maxDate_)}));
    maxDate_ = date;
  }
  minDate_ = date;
  UpdatePopup();
  if (dateAutoBetween_) WriteDate(DateValue());
}

void TCustomDateEdit::SetMaxDate(const QDate& date) {
  if (date == maxDate_) return;
  if (!XtDateText::IsNoDate(date) && !XtDateText::IsNoDate(minDate_) && date < minDate_) {
    if (!dateAutoBetween_)
      throw EGeneralError(
          FillMessage(XtControlStrings::XtLoadStr(XtControlStrings::kDateLimitsConflict),
                      {XtDateText::FormatDate(dateFormat_, minDate_)}));
    minDate_ = date;
  }
  maxDate_ = date;
  UpdatePopup();
  if (dateAutoBetween_) WriteDate(DateValue());
}

void TCustomDateEdit::SetDateAutoBetween(bool on) {
  if (on == dateAutoBetween_) return;
  dateAutoBetween_ = on;
  if (on) {
    const QDate d = DateValue();
    if (ClampDate(d) != d) WriteDate(d);
  }
  update();
}

void TCustomDateEdit::SetPopupColor(const QColor& colour) {
  popupColor_ = colour;
  UpdatePopup();
}

void TCustomDateEdit::SetBlanksChar(QChar c) {
  if (c.unicode() < 32) c = QLatin1Char(' ');
  if (c == blanksChar_) return;
  blanksChar_ = c;
  UpdateDateMask();
}

void TCustomDateEdit::SetCalendarHints(const QStringList& hints) {
  calendarHints_ = hints.mid(0, 4);
  UpdatePopup();
}

void TCustomDateEdit::SetStartOfWeek(TDayOfWeekName day) {
  startOfWeek_ = day;
  UpdatePopup();
}

void TCustomDateEdit::SetWeekends(TDaysOfWeek days) {
  weekends_ = days;
  UpdatePopup();
}

void TCustomDateEdit::SetWeekendColor(const QColor& colour) {
  weekendColor_ = colour;
  UpdatePopup();
}

void TCustomDateEdit::SetYearDigits(TYearDigits digits) {
  if (digits == yearDigits_) return;
  yearDigits_ = digits;
  UpdateDateMask();
}

void TCustomDateEdit::SetCalendarStyle(TCalendarStyle style) {
  if (style == calendarStyle_) return;
  calendarStyle_ = style;
  if (style == TCalendarStyle::csPopup) {
    popupCalendar_ = MakePopupCalendar(this, layoutDirection(), maxDate_, minDate_, dateFormat_);
    SetPopup(popupCalendar_.get());
    UpdatePopup();
  } else {
    CloseUpPopup(false);
    SetPopup(nullptr);
    popupCalendar_.reset();
  }
}

void TCustomDateEdit::UpdatePopup() {
  if (!popupCalendar_) return;
  ConfigurePopupCalendar(*popupCalendar_, startOfWeek_, weekends_, maxDate_, minDate_,
                         FourDigitYear(), calendarHints_, weekendColor_);
  QPalette pal = popupCalendar_->palette();
  pal.setColor(QPalette::Window, popupColor_);
  popupCalendar_->setPalette(pal);
}

void TCustomDateEdit::UpdateDateMask() {
  const QDate d = DateValue();
  const QString oldFormat = dateFormat_;
  dateFormat_ = DateFormatText();
  const QString mask = XtDateText::DefaultDateMask(blanksChar_, FourDigitYear());
  if (mask != mask_ || oldFormat != dateFormat_) {
    mask_ = mask;
    formatting_ = true;
    setInputMask(QString());
    setInputMask(XtDateText::QtInputMask(mask_));
    formatting_ = false;
  }
  if (popupCalendar_) {
    // The pop-up reads and writes its value in the edit's format.
    popupCalendar_ = MakePopupCalendar(this, layoutDirection(), maxDate_, minDate_, dateFormat_);
    SetPopup(popupCalendar_.get());
  }
  UpdatePopup();
  try {
    WriteDate(d);
  } catch (const EXtError&) {
    // A date the old format read is written back only when it still fits.
  }
}

void TCustomDateEdit::CheckTextDate() {
  if (TextIsBlank()) return;
  try {
    const QDate d = XtDateText::TextToDateWithFormat(dateFormat_, DateText());
    formatting_ = true;
    struct Clear {
      bool& flag;
      ~Clear() { flag = false; }
    } clear{formatting_};
    ApplyDateValue(d);
  } catch (...) {
    setFocus(Qt::OtherFocusReason);
    throw;
  }
}

void TCustomDateEdit::RefocusAfterError() {
  QTimer::singleShot(0, this, [this] {
    setFocus(Qt::OtherFocusReason);
    SelectText();
  });
}

void TCustomDateEdit::Report(const std::exception& error) {
  const auto* xt = dynamic_cast<const EXtError*>(&error);
  emit ErrorRaised(xt != nullptr ? xt->Message() : QString::fromUtf8(error.what()));
}

void TCustomDateEdit::focusOutEvent(QFocusEvent* event) {
  TCustomComboEdit::focusOutEvent(event);
  if (PopupVisible() || event->reason() == Qt::PopupFocusReason) return;
  // The masked edit validates its text on leaving; CheckOnExit asks the same.
  try {
    CheckTextDate();
  } catch (const EXtError& e) {
    RefocusAfterError();
    Report(e);
  }
}

void TCustomDateEdit::changeEvent(QEvent* event) {
  TCustomComboEdit::changeEvent(event);
  if (event->type() == QEvent::LocaleChange) UpdateDateMask();
}

bool TCustomDateEdit::HandleKey(QKeyEvent* event) {
  const int key = event->key();
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  const QString t = event->text();
  const bool typedCalendarChar = t == QLatin1String("+") || t == QLatin1String("-") ||
                                 t == QLatin1String("T") || t == QLatin1String("t");
  if (PopupVisible()) {
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_Left ||
        key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down ||
        (keypad && (key == Qt::Key_Plus || key == Qt::Key_Minus)) || typedCalendarChar) {
      Popup()->HandleKey(event);
      event->accept();
      return true;
    }
    return false;
  }
  const bool shifts =
      event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if (!DirectInput()) return false;
  try {
    if (keypad && !shifts && (key == Qt::Key_Plus || key == Qt::Key_Minus)) {
      QDate d = DateValue();
      if (XtDateText::IsNoDate(d)) d = QDate::currentDate();
      ApplyDateValue(d.addDays(key == Qt::Key_Plus ? 1 : -1));
      SelectText();
      event->accept();
      return true;
    }
    if (t == QLatin1String("+") || t == QLatin1String("-")) {
      event->accept();
      return true;
    }
    if (!shifts || (event->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier) {
      if (t == QLatin1String("T") || t == QLatin1String("t")) {
        ApplyDateValue(QDate::currentDate());
        SelectText();
        event->accept();
        return true;
      }
    }
  } catch (const EXtError& e) {
    Report(e);
    event->accept();
    return true;
  }
  return false;
}

void TCustomDateEdit::ButtonClicked() {
  if (calendarStyle_ != TCalendarStyle::csDialog) return;
  QDate d = DateValue();
  const bool accepted = RunDateDialog(this, d, dialogTitle_, maxDate_, minDate_, calendarHints_,
                                      weekendColor_, weekends_, startOfWeek_);
  setFocus(Qt::OtherFocusReason);
  if (!accepted) return;
  bool action = true;
  if (onAcceptDate_) onAcceptDate_(d, action);
  if (!action) return;
  try {
    ApplyDateValue(d);
    if (hasFocus()) SelectText();
  } catch (const EXtError& e) {
    Report(e);
  }
}

bool TCustomDateEdit::AcceptPopup(QString& value) {
  QDate d;
  if (value.isEmpty())
    d = QDate();
  else if (!XtDateText::TryTextToDate(dateFormat_, value, d) || XtDateText::IsNoDate(d))
    d = defaultToday_ ? QDate::currentDate() : QDate();
  bool action = true;
  if (onAcceptDate_) onAcceptDate_(d, action);
  value = XtDateText::FormatDate(dateFormat_, d);
  return action;
}

void TCustomDateEdit::AcceptValue(const QString& value) {
  QDate d;
  if (!XtDateText::TryTextToDate(dateFormat_, value, d)) d = QDate();
  try {
    ApplyDateValue(d);
  } catch (const EXtError& e) {
    Report(e);
    return;
  }
  if (isModified()) emit Change();
}

// ---------------------------------------------------------------------------

TDateEdit::TDateEdit(QWidget* parent) : TCustomDateEdit(parent) {}

void TDateEdit::CheckRange(const QDate& date) const {
  const bool hasMin = !XtDateText::IsNoDate(MinDate());
  const bool hasMax = !XtDateText::IsNoDate(MaxDate());
  const QString f = DateFormat();
  auto text = [&f](const QDate& d) { return XtDateText::FormatDate(f, d); };
  using namespace XtControlStrings;
  if (hasMin && hasMax && (date < MinDate() || date > MaxDate()))
    throw EGeneralError(
        FillMessage(XtLoadStr(kDateOutOfRange), {text(date), text(MinDate()), text(MaxDate())}));
  if (hasMax && date > MaxDate())
    throw EGeneralError(FillMessage(XtLoadStr(kDateAboveMax), {text(date), text(MaxDate())}));
  if (hasMin && date < MinDate())
    throw EGeneralError(FillMessage(XtLoadStr(kDateBelowMin), {text(date), text(MinDate())}));
}
