// Month calendar grid.
#include "xt_calendar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include "xt_date_text.h"

namespace {

constexpr int kGridLineWidth = 1;

QColor Pal(QPalette::ColorRole role) {
  return QApplication::palette().color(role);
}

}  // namespace

TXtCalendar::TXtCalendar(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  calendarDate_ = QDate::currentDate();
  resize(7 * 24 + 6, 7 * 18 + 6);
  Refresh(false);
}

int TXtCalendar::CellDay(int col, int row) const {
  if (row < 1 || row > 6 || col < 0 || col > 6) return 0;
  const int day = col + monthOffset_ + 7 * (row - 1);
  return day >= 1 && day <= calendarDate_.daysInMonth() ? day : 0;
}

QDate TXtCalendar::CellDate(int col, int row) const {
  const int day = CellDay(col, row);
  return day == 0 ? QDate() : QDate(calendarDate_.year(), calendarDate_.month(), day);
}

bool TXtCalendar::DateWithinLimits(const QDate& date) const {
  if (XtDateText::IsNoDate(date)) return true;
  if (!XtDateText::IsNoDate(minDate_) && date < minDate_) return false;
  if (!XtDateText::IsNoDate(maxDate_) && date > maxDate_) return false;
  return true;
}

bool TXtCalendar::IsWeekendColumn(int col) const {
  return weekends_.test((static_cast<int>(startOfWeek_) + col) % 7);
}

QString TXtCalendar::HeaderText(int col) const {
  const int weekday = (static_cast<int>(startOfWeek_) + col) % 7;  // 0 Sunday
  return QLocale().dayName(weekday == 0 ? 7 : weekday, QLocale::ShortFormat);
}

void TXtCalendar::Refresh(bool dayOnly) {
  updating_ = true;
  const QDate first(calendarDate_.year(), calendarDate_.month(), 1);
  const int weekday = first.dayOfWeek() % 7 + 1;  // 1 Sunday ... 7 Saturday
  const int a = (weekday - static_cast<int>(startOfWeek_) + 7) % 7;
  monthOffset_ = a == 0 ? -5 : 2 - a;
  const int k = calendarDate_.day() - monthOffset_;
  col_ = k % 7;
  row_ = k / 7 + 1;
  updating_ = false;
  if (dayOnly)
    repaint();
  else
    update();
}

void TXtCalendar::SetCalendarDate(const QDate& date) {
  QDate d = date;
  if (!XtDateText::IsNoDate(minDate_) && d < minDate_)
    d = minDate_;
  else if (!XtDateText::IsNoDate(maxDate_) && d > maxDate_)
    d = maxDate_;
  if (!XtDateText::IsValidDateValue(d)) return;
  calendarDate_ = d;
  Refresh(false);
  emit Change();
}

void TXtCalendar::ChangeDate(int year, int month, int day, bool dayOnly) {
  calendarDate_ = QDate(year, month, day);
  useCurrentDate_ = false;
  Refresh(dayOnly);
  emit Change();
}

void TXtCalendar::SetYear(int year) {
  if (year < 1 || year > 9999) return;
  int month = Month(), day = Day();
  if (!XtDateText::IsNoDate(minDate_)) {
    if (year < minDate_.year()) year = minDate_.year();
    if (year == minDate_.year()) {
      if (month < minDate_.month()) month = minDate_.month();
      if (month == minDate_.month() && day < minDate_.day()) day = minDate_.day();
    }
  }
  if (!XtDateText::IsNoDate(maxDate_)) {
    if (year > maxDate_.year()) year = maxDate_.year();
    if (year == maxDate_.year()) {
      if (month > maxDate_.month()) month = maxDate_.month();
      if (month == maxDate_.month() && day > maxDate_.day()) day = maxDate_.day();
    }
  }
  if (year == Year()) return;
  const int length = QDate(year, month, 1).daysInMonth();
  ChangeDate(year, month, day > length ? length : day, false);
}

void TXtCalendar::SetMonth(int month) {
  if (month < 1 || month > 12 || month == Month()) return;
  const int year = Year();
  int day = Day();
  if (!XtDateText::IsNoDate(minDate_) && year == minDate_.year()) {
    if (month < minDate_.month()) month = minDate_.month();
    if (month == minDate_.month() && day < minDate_.day()) day = minDate_.day();
  }
  if (!XtDateText::IsNoDate(maxDate_) && year == maxDate_.year()) {
    if (month > maxDate_.month()) month = maxDate_.month();
    if (month == maxDate_.month() && day > maxDate_.day()) day = maxDate_.day();
  }
  const int length = QDate(year, month, 1).daysInMonth();
  if (day > length) day = length;
  if (month == Month() && day == Day()) return;
  ChangeDate(year, month, day, false);
}

void TXtCalendar::SetDay(int day) {
  if (day < 1 || day > calendarDate_.daysInMonth() || day == Day()) return;
  const QDate d(Year(), Month(), day);
  if (!XtDateText::IsNoDate(minDate_) && d < minDate_)
    day = minDate_.day();
  else if (!XtDateText::IsNoDate(maxDate_) && d > maxDate_)
    day = maxDate_.day();
  ChangeDate(Year(), Month(), day, true);
}

void TXtCalendar::MoveMonth(int delta) {
  const int keep = Day();
  QDate d =
      delta <= 0 ? QDate(Year(), Month(), 1) : QDate(Year(), Month(), calendarDate_.daysInMonth());
  d = d.addDays(delta);
  const int length = d.daysInMonth();
  SetCalendarDate(QDate(d.year(), d.month(), keep < length ? keep : length));
}

void TXtCalendar::MoveYear(int delta) {
  if (Month() == 2 && Day() == 29) {
    calendarDate_ = QDate(Year(), 2, 28);
    Refresh(true);
  }
  SetYear(Year() + delta);
}

void TXtCalendar::SetMinDate(const QDate& date) {
  if (date == minDate_) return;
  minDate_ = date;
  if (!XtDateText::IsNoDate(minDate_) && minDate_ > calendarDate_) SetCalendarDate(minDate_);
  Refresh(false);
}

void TXtCalendar::SetMaxDate(const QDate& date) {
  if (date == maxDate_) return;
  maxDate_ = date;
  if (!XtDateText::IsNoDate(maxDate_) && maxDate_ < calendarDate_) SetCalendarDate(maxDate_);
  Refresh(false);
}

void TXtCalendar::SetStartOfWeek(TDayOfWeekName day) {
  if (day == startOfWeek_) return;
  startOfWeek_ = day;
  Refresh(false);
}

void TXtCalendar::SetUseCurrentDate(bool on) {
  if (on == useCurrentDate_) return;
  useCurrentDate_ = on;
  if (on) SetCalendarDate(QDate::currentDate());
}

void TXtCalendar::SetWeekends(TDaysOfWeek days) {
  if (days == weekends_) return;
  weekends_ = days;
  Refresh(false);
}

void TXtCalendar::SetWeekendColor(const QColor& colour) {
  if (colour == weekendColor_) return;
  weekendColor_ = colour;
  update();
}

bool TXtCalendar::CanSelectCell(int col, int row) const {
  if (!updating_ && readOnly_) return false;
  const int day = CellDay(col, row);
  return day != 0 && DateWithinLimits(CellDate(col, row));
}

void TXtCalendar::SelectCell(int col, int row) {
  if (!CanSelectCell(col, row)) return;
  col_ = col;
  row_ = row;
  // The grid's click: the current cell's day becomes the day.
  SetDay(CellDay(col, row));
}

QRect TXtCalendar::CellRect(int col, int row) const {
  return QRect(col * (colWidth_ + kGridLineWidth), row * (rowHeight_ + kGridLineWidth), colWidth_,
               rowHeight_);
}

QPoint TXtCalendar::CellAt(const QPoint& pt) const {
  if (colWidth_ <= 0 || rowHeight_ <= 0) return QPoint(-1, -1);
  const int col = pt.x() / (colWidth_ + kGridLineWidth);
  const int row = pt.y() / (rowHeight_ + kGridLineWidth);
  if (col > 6 || row > 6 || pt.x() < 0 || pt.y() < 0) return QPoint(-1, -1);
  return QPoint(col, row);
}

void TXtCalendar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  colWidth_ = (width() - 6 * kGridLineWidth) / 7;
  rowHeight_ = (height() - 6 * kGridLineWidth) / 7;
}

void TXtCalendar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
  const QPoint cell = CellAt(event->position().toPoint());
  if (cell.x() >= 0) SelectCell(cell.x(), cell.y());
}

void TXtCalendar::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
  emit DblClick();
}

void TXtCalendar::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers shifts =
      event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  const int key = event->key();
  if (shifts == Qt::NoModifier &&
      (key == Qt::Key_Left || key == Qt::Key_Right || (keypad && key == Qt::Key_Minus) ||
       (keypad && key == Qt::Key_Plus))) {
    const int step = key == Qt::Key_Left || key == Qt::Key_Minus ? -1 : 1;
    const QDate old = calendarDate_;
    const QDate next = calendarDate_.addDays(step);
    if (!readOnly_) {
      if (XtDateText::IsValidDateValue(next) && DateWithinLimits(next)) {
        calendarDate_ = next;
        useCurrentDate_ = false;
        Refresh(next.month() == old.month());
        emit Change();
      }
    }
    event->accept();
    return;
  }
  const QString text = event->text();
  if (!text.isEmpty() && (text == QLatin1String("T") || text == QLatin1String("t"))) {
    SetCalendarDate(QDate::currentDate());
    event->accept();
    return;
  }
  switch (key) {
    case Qt::Key_Up:
      SelectCell(col_, row_ - 1);
      break;
    case Qt::Key_Down:
      SelectCell(col_, row_ + 1);
      break;
    case Qt::Key_Home:
      SelectCell(0, row_);
      break;
    case Qt::Key_End:
      SelectCell(6, row_);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TXtCalendar::PaintCellExtra(QPainter&, const QRect&, int, int) {}

void TXtCalendar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor back = Flat() && parentWidget() ? parentWidget()->palette().color(QPalette::Window)
                                               : palette().color(QPalette::Base);
  const QColor fixed = Flat() ? back : Pal(QPalette::Button);
  p.fillRect(rect(), back);
  // Grid lines: all of them in the grid, only the header's lower line when flat.
  p.setPen(Pal(QPalette::Dark));
  if (!Flat()) {
    for (int c = 1; c < 7; ++c) {
      const int x = c * (colWidth_ + kGridLineWidth) - 1;
      p.drawLine(x, 0, x, height());
    }
    for (int r = 1; r < 7; ++r) {
      const int y = r * (rowHeight_ + kGridLineWidth) - 1;
      p.drawLine(0, y, width(), y);
    }
  } else {
    const int y = rowHeight_;
    p.drawLine(0, y, width(), y);
  }
  for (int row = 0; row < 7; ++row) {
    for (int col = 0; col < 7; ++col) {
      const QRect r = CellRect(col, row);
      if (row == 0) {
        p.fillRect(r, fixed);
        p.setPen(IsWeekendColumn(col) ? weekendColor_ : Pal(QPalette::ButtonText));
        p.drawText(r, Qt::AlignCenter, HeaderText(col));
        continue;
      }
      const int day = CellDay(col, row);
      const bool selected = col == col_ && row == row_;
      if (selected) p.fillRect(r, Pal(QPalette::Highlight));
      if (day == 0) continue;
      const QString text = QString::number(day);
      if (!DateWithinLimits(CellDate(col, row))) {
        const QColor face = Pal(QPalette::Button);
        if (back == face) {
          p.setPen(Pal(QPalette::Light));
          p.drawText(r.translated(1, 1), Qt::AlignCenter, text);
          p.setPen(Pal(QPalette::Dark));
        } else {
          p.setPen(face);
        }
      } else if (selected) {
        p.setPen(Pal(QPalette::HighlightedText));
      } else if (IsWeekendColumn(col)) {
        p.setPen(weekendColor_);
      } else {
        p.setPen(Pal(QPalette::Text));
      }
      p.drawText(r, Qt::AlignCenter, text);
      PaintCellExtra(p, r, col, row);
    }
  }
}

TLocCalendar::TLocCalendar(QWidget* parent) : TXtCalendar(parent) {
  // Disabled as a control but not for the mouse: it never takes the focus.
  setFocusPolicy(Qt::NoFocus);
  SetUseCurrentDate(false);
  SetCalendarDate(QDate::currentDate());
}

void TLocCalendar::PaintCellExtra(QPainter& p, const QRect& r, int col, int row) {
  if (CellDate(col, row) != QDate::currentDate()) return;
  p.setPen(Pal(QPalette::Dark));
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(Pal(QPalette::Light));
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
}
