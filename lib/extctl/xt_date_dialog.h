// The calendar windows of the date edit: the modal date dialog and the
// drop-down calendar, each a calendar under a title with four repeating
// buttons (previous year, previous month, next month, next year).
#pragma once

#include <QDialog>
#include <QLabel>
#include <QStringList>
#include <memory>

#include "xt_calendar.h"
#include "xt_combo_edit.h"
#include "xt_speed_button.h"

// The dialog and pop-up font: the application's message font.
QFont XtMessageFont();

class TSelectDateDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TSelectDateDlg(QWidget* parent = nullptr);
  ~TSelectDateDlg() override;

  TXtCalendar* Calendar;  // owned by the dialog's widget tree
  QLabel* TitleLabel;

  QDate Date() const { return Calendar->CalendarDate(); }
  // NoDate becomes today.
  void SetDate(const QDate& date);
  TXtTimerSpeedButton* PrevYearBtn() const { return prevYear_; }
  TXtTimerSpeedButton* PrevMonthBtn() const { return prevMonth_; }
  TXtTimerSpeedButton* NextMonthBtn() const { return nextMonth_; }
  TXtTimerSpeedButton* NextYearBtn() const { return nextYear_; }

  void TopPanelDblClick();
  void PrevYearBtnClick();
  void NextYearBtnClick();
  void PrevMonthBtnClick();
  void NextMonthBtnClick();
  void CalendarChange();
  void CalendarDblClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Keys the form sees before its controls; true when handled.
  bool FormKeyDown(QKeyEvent* event);

 private:
  TXtTimerSpeedButton* prevYear_;
  TXtTimerSpeedButton* prevMonth_;
  TXtTimerSpeedButton* nextMonth_;
  TXtTimerSpeedButton* nextYear_;
  QWidget* topPanel_;
};

// Enables the four buttons by the calendar's limits against the shown month.
void UpdateNavigationButtons(const TXtCalendar& calendar, QWidget* prevYear, QWidget* prevMonth,
                             QWidget* nextMonth, QWidget* nextYear);
// The title text: the long month name, ", " and the year.
QString CalendarTitle(const QDate& date);

// A dialog with the title (when not empty) and the limits.
std::unique_ptr<TSelectDateDlg> MakeDateDialog(const QString& title, const QDate& maxDate,
                                               const QDate& minDate);

// Runs the dialog below `edit` (when given); true with the chosen date when
// it closes with OK.
bool RunDateDialog(QWidget* edit, QDate& date, const QString& title, const QDate& maxDate,
                   const QDate& minDate, const QStringList& hints, const QColor& weekendColor,
                   TDaysOfWeek weekends, TDayOfWeekName startOfWeek);

class TPopupCalendar : public TPopupWindow {
  Q_OBJECT
 public:
  explicit TPopupCalendar(TCustomComboEdit* editor);

  TLocCalendar* Calendar() const { return calendar_; }
  QLabel* TitleLabel() const { return title_; }
  TXtTimerSpeedButton* PrevYearBtn() const { return prevYear_; }
  TXtTimerSpeedButton* PrevMonthBtn() const { return prevMonth_; }
  TXtTimerSpeedButton* NextMonthBtn() const { return nextMonth_; }
  TXtTimerSpeedButton* NextYearBtn() const { return nextYear_; }
  bool FourDigitYear() const { return fourDigitYear_; }
  void SetFourDigitYear(bool on) { fourDigitYear_ = on; }

  // The calendar's date in the editor's date format.
  QString GetValue() const override;
  // Empty text, or one of only separators and blanks, or one that does not
  // read, shows today.
  void SetValue(const QString& value) override;
  void HandleKey(QKeyEvent* event) override;
  QDate Date() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CalendarChange();
  QString dateFormat_;
  TLocCalendar* calendar_;
  QLabel* title_;
  TXtTimerSpeedButton* prevYear_;
  TXtTimerSpeedButton* prevMonth_;
  TXtTimerSpeedButton* nextMonth_;
  TXtTimerSpeedButton* nextYear_;
  bool fourDigitYear_ = true;

  friend std::unique_ptr<TPopupCalendar> MakePopupCalendar(TCustomComboEdit*, Qt::LayoutDirection,
                                                           const QDate&, const QDate&,
                                                           const QString&);
};

std::unique_ptr<TPopupCalendar> MakePopupCalendar(TCustomComboEdit* edit,
                                                  Qt::LayoutDirection direction,
                                                  const QDate& maxDate, const QDate& minDate,
                                                  const QString& dateFormat);
void ConfigurePopupCalendar(TPopupCalendar& popup, TDayOfWeekName startOfWeek, TDaysOfWeek weekends,
                            const QDate& maxDate, const QDate& minDate, bool fourDigitYear,
                            const QStringList& hints, const QColor& weekendColor);
