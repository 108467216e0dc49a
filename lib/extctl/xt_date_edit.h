// Date edit: a masked edit for one date that picks dates from the date dialog
// or a drop-down calendar and holds them within MinDate and MaxDate.
//
// The text follows the date format "DD/MM/YYYY" ("/" shown as "."), with the
// edit mask "!99/99/9999;1;" and the blank character. Errors:
// EConvertError "'<text>' is not a valid date" when the text is validated
// (the focus leaving the edit); EGeneralError with the range messages when a
// date outside the limits is written while DateAutoBetween is off. Raised
// inside an event handler they are reported through ErrorRaised() and the
// focus stays in the edit.
#pragma once

#include <QDate>
#include <QStringList>
#include <functional>
#include <memory>

#include "xt_calendar.h"
#include "xt_combo_edit.h"

enum class TYearDigits { dyDefault, dyFour, dyTwo };
enum class TCalendarStyle { csPopup, csDialog };

class TPopupCalendar;

class TCustomDateEdit : public TCustomComboEdit {
  Q_OBJECT
 public:
  // May change the date or refuse it (action false).
  using TExecDateDialog = std::function<void(QDate& date, bool& action)>;

  explicit TCustomDateEdit(QWidget* parent = nullptr);
  ~TCustomDateEdit() override;

  // The text read by the date format; today (DefaultToday) or NoDate when it
  // does not read.
  QDate DateValue() const;
  void SetDateValue(const QDate& date) { ApplyDateValue(date); }
  void ApplyDateValue(const QDate& date);

  QDate MinDate() const { return minDate_; }
  void SetMinDate(const QDate& date);
  QDate MaxDate() const { return maxDate_; }
  void SetMaxDate(const QDate& date);
  bool DateAutoBetween() const { return dateAutoBetween_; }
  void SetDateAutoBetween(bool on);
  QString DialogTitle() const { return dialogTitle_; }
  void SetDialogTitle(const QString& title) { dialogTitle_ = title; }
  void SetOnAcceptDate(TExecDateDialog handler) { onAcceptDate_ = std::move(handler); }
  bool DefaultToday() const { return defaultToday_; }
  void SetDefaultToday(bool on) { defaultToday_ = on; }
  QColor PopupColor() const { return popupColor_; }
  void SetPopupColor(const QColor& colour);
  bool CheckOnExit() const { return checkOnExit_; }
  void SetCheckOnExit(bool on) { checkOnExit_ = on; }
  QChar BlanksChar() const { return blanksChar_; }
  void SetBlanksChar(QChar c);
  QStringList CalendarHints() const { return calendarHints_; }
  void SetCalendarHints(const QStringList& hints);
  TDayOfWeekName StartOfWeek() const { return startOfWeek_; }
  void SetStartOfWeek(TDayOfWeekName day);
  TDaysOfWeek Weekends() const { return weekends_; }
  void SetWeekends(TDaysOfWeek days);
  QColor WeekendColor() const { return weekendColor_; }
  void SetWeekendColor(const QColor& colour);
  TYearDigits YearDigits() const { return yearDigits_; }
  void SetYearDigits(TYearDigits digits);
  TCalendarStyle CalendarStyle() const { return calendarStyle_; }
  void SetCalendarStyle(TCalendarStyle style);

  // The date format in use ("DD/MM/YYYY") and the edit mask in the
  // masked-edit notation ("!99/99/9999;1; ").
  QString DateFormat() const { return dateFormat_; }
  QString EditMask() const { return mask_; }
  TPopupCalendar* PopupCalendar() const { return popupCalendar_.get(); }

  // Reads the text and writes the date back (change event suppressed);
  // raises EConvertError for text that is no date. Text of only blanks and
  // separators is left alone.
  void CheckTextDate();
  // True when the text holds nothing but blanks and separators.
  bool TextIsBlank() const;
  // The text with every mask position, unfilled ones as spaces.
  QString DateText() const;

 protected:
  QImage DefaultGlyph() const override;
  void ButtonClicked() override;
  bool AcceptPopup(QString& value) override;
  void AcceptValue(const QString& value) override;
  bool ChangeSuppressed() const override { return formatting_; }
  bool HandleKey(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  // Raises the range messages before a date is written (the published
  // date edit's check).
  virtual void CheckRange(const QDate& date) const;

 private:
  bool FourDigitYear() const;
  QString DateFormatText() const;
  void UpdateDateMask();
  void UpdatePopup();
  void Report(const std::exception& error);
  void WriteDate(const QDate& date);
  QDate ClampDate(const QDate& date) const;
  void RefocusAfterError();

  QDate minDate_, maxDate_;
  QString dialogTitle_;
  TExecDateDialog onAcceptDate_;
  bool defaultToday_ = false;
  QColor popupColor_;
  bool checkOnExit_ = false;
  QChar blanksChar_ = QLatin1Char(' ');
  QStringList calendarHints_;
  TDayOfWeekName startOfWeek_ = TDayOfWeekName::Mon;
  TDaysOfWeek weekends_ = TDaysOfWeek(1);
  QColor weekendColor_ = QColor(255, 0, 0);
  TYearDigits yearDigits_ = TYearDigits::dyDefault;
  QString dateFormat_;
  bool formatting_ = false;
  bool dateAutoBetween_ = true;
  TCalendarStyle calendarStyle_ = TCalendarStyle::csDialog;
  std::unique_ptr<TPopupCalendar> popupCalendar_;
  QString mask_;
};

class TDateEdit : public TCustomDateEdit {
  Q_OBJECT
 public:
  explicit TDateEdit(QWidget* parent = nullptr);

 protected:
  void CheckRange(const QDate& date) const override;
};
