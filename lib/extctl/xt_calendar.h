// Month calendar grid: 7 columns by 7 rows, the first row the short day
// names, the other six the days of the month of CalendarDate, laid out from
// StartOfWeek. Dates outside MinDate/MaxDate cannot be selected and paint as
// disabled text. TLocCalendar is the flat variant of the drop-down calendar.
#pragma once

#include <QColor>
#include <QDate>
#include <QWidget>
#include <bitset>

enum class TDayOfWeekName { Sun, Mon, Tue, Wed, Thu, Fri, Sat };
// A set of week days, bit 0 Sunday.
using TDaysOfWeek = std::bitset<7>;

class TXtCalendar : public QWidget {
  Q_OBJECT
 public:
  explicit TXtCalendar(QWidget* parent = nullptr);

  QDate CalendarDate() const { return calendarDate_; }
  // Held within the set limits; refreshes the grid and signals Change().
  void SetCalendarDate(const QDate& date);
  int Day() const { return calendarDate_.day(); }
  int Month() const { return calendarDate_.month(); }
  int Year() const { return calendarDate_.year(); }
  // Values below 1 are ignored; a part outside the limits moves onto them.
  void SetDay(int day);
  void SetMonth(int month);
  void SetYear(int year);
  void MoveMonth(int delta);
  void MoveYear(int delta);

  QDate MinDate() const { return minDate_; }
  void SetMinDate(const QDate& date);
  QDate MaxDate() const { return maxDate_; }
  void SetMaxDate(const QDate& date);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on) { readOnly_ = on; }
  TDayOfWeekName StartOfWeek() const { return startOfWeek_; }
  void SetStartOfWeek(TDayOfWeekName day);
  bool UseCurrentDate() const { return useCurrentDate_; }
  void SetUseCurrentDate(bool on);
  TDaysOfWeek Weekends() const { return weekends_; }
  void SetWeekends(TDaysOfWeek days);
  QColor WeekendColor() const { return weekendColor_; }
  void SetWeekendColor(const QColor& colour);

  // The day shown in a cell; 0 for the header and empty cells.
  int CellDay(int col, int row) const;
  QDate CellDate(int col, int row) const;
  bool DateWithinLimits(const QDate& date) const;
  bool IsWeekendColumn(int col) const;
  // The short day name in a header column.
  QString HeaderText(int col) const;
  int CurrentCol() const { return col_; }
  int CurrentRow() const { return row_; }
  QRect CellRect(int col, int row) const;
  QPoint CellAt(const QPoint& pt) const;

 signals:
  void Change();
  void DblClick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Extra painting of a cell after its text (the drop-down variant frames today).
  virtual void PaintCellExtra(QPainter& painter, const QRect& rect, int col, int row);
  // Whether the header row and the cells use the parent's colour.
  virtual bool Flat() const { return false; }

 private:
  bool CanSelectCell(int col, int row) const;
  void SelectCell(int col, int row);
  void Refresh(bool dayOnly);
  void ChangeDate(int year, int month, int day, bool dayOnly);

  QDate minDate_, maxDate_;
  QDate calendarDate_;
  int monthOffset_ = 0;
  bool readOnly_ = false;
  TDayOfWeekName startOfWeek_ = TDayOfWeekName::Mon;
  bool updating_ = false;
  bool useCurrentDate_ = true;
  TDaysOfWeek weekends_ = TDaysOfWeek(1);
  QColor weekendColor_ = QColor(255, 0, 0);
  int col_ = 0, row_ = 1;
  int colWidth_ = 0, rowHeight_ = 0;
};

class TLocCalendar : public TXtCalendar {
  Q_OBJECT
 public:
  explicit TLocCalendar(QWidget* parent = nullptr);

 protected:
  void PaintCellExtra(QPainter& painter, const QRect& rect, int col, int row) override;
  bool Flat() const override { return true; }
};
