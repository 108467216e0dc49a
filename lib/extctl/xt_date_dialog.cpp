// The date dialog and the drop-down calendar.
#include "xt_date_dialog.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include "xt_control_strings.h"
#include "xt_date_text.h"

namespace {

using XtControlStrings::XtLoadStr;

TXtTimerSpeedButton* MakeNavButton(QWidget* parent, const QRect& geometry, const char* bitmap,
                                   int hint) {
  auto* b = new TXtTimerSpeedButton(parent);
  b->setGeometry(geometry);
  b->SetGlyph(XtControlStrings::XtResourceBitmap(QString::fromLatin1(bitmap)));
  b->setToolTip(XtControlStrings::ShortHint(XtLoadStr(hint)));
  return b;
}

void ApplyHints(const QStringList& hints, QWidget* prevYear, QWidget* prevMonth, QWidget* nextMonth,
                QWidget* nextYear) {
  QWidget* buttons[] = {prevYear, prevMonth, nextMonth, nextYear};
  for (int i = 0; i < 4 && i < hints.size(); ++i)
    if (!hints.at(i).isEmpty()) buttons[i]->setToolTip(XtControlStrings::ShortHint(hints.at(i)));
}

}  // namespace

QFont XtMessageFont() {
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

QString CalendarTitle(const QDate& date) {
  return XtDateText::FormatDate(QStringLiteral("MMMM, YYYY"), date);
}

void UpdateNavigationButtons(const TXtCalendar& calendar, QWidget* prevYear, QWidget* prevMonth,
                             QWidget* nextMonth, QWidget* nextYear) {
  const QDate shown = calendar.CalendarDate();
  const QDate min = calendar.MinDate(), max = calendar.MaxDate();
  if (!XtDateText::IsNoDate(min)) {
    prevYear->setEnabled(min.year() < shown.year());
    prevMonth->setEnabled(min.year() < shown.year() ||
                          (min.year() == shown.year() && min.month() < shown.month()));
  } else {
    prevYear->setEnabled(true);
    prevMonth->setEnabled(true);
  }
  if (!XtDateText::IsNoDate(max)) {
    nextYear->setEnabled(max.year() > shown.year());
    nextMonth->setEnabled(max.year() > shown.year() ||
                          (max.year() == shown.year() && max.month() > shown.month()));
  } else {
    nextYear->setEnabled(true);
    nextMonth->setEnabled(true);
  }
}

// ---------------------------------------------------------------------------
// TSelectDateDlg

TSelectDateDlg::TSelectDateDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
  setWindowTitle(XtLoadStr(XtControlStrings::kDateDialogTitle));
  setFont(XtMessageFont());
  setFixedSize(222, 158);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Button));
  setPalette(pal);

  topPanel_ = new QFrame(this);
  static_cast<QFrame*>(topPanel_)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  topPanel_->setGeometry(0, 0, 222, 22);
  TitleLabel = new QLabel(topPanel_);
  TitleLabel->setGeometry(35, 4, 152, 14);
  TitleLabel->setAlignment(Qt::AlignCenter);
  QFont bold = font();
  bold.setBold(true);
  TitleLabel->setFont(bold);
  QPalette blue = TitleLabel->palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  TitleLabel->setPalette(blue);
  prevYear_ =
      MakeNavButton(topPanel_, QRect(3, 3, 16, 16), "PREV2", XtControlStrings::kHintPrevYear);
  prevMonth_ =
      MakeNavButton(topPanel_, QRect(18, 3, 16, 16), "PREV1", XtControlStrings::kHintPrevMonth);
  nextMonth_ =
      MakeNavButton(topPanel_, QRect(188, 3, 16, 16), "NEXT1", XtControlStrings::kHintNextMonth);
  nextYear_ =
      MakeNavButton(topPanel_, QRect(203, 3, 16, 16), "NEXT2", XtControlStrings::kHintNextYear);

  auto* bottom = new QWidget(this);
  bottom->setGeometry(0, 158 - 25, 222, 25);
  auto* ok = new QPushButton(QStringLiteral("OK"), bottom);
  ok->setGeometry(0, 0, 111, 25);
  ok->setObjectName(QStringLiteral("OkButton"));
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), bottom);
  cancel->setGeometry(111, 0, 111, 25);
  cancel->setObjectName(QStringLiteral("CancelButton"));
  ok->setFocusPolicy(Qt::NoFocus);
  cancel->setFocusPolicy(Qt::NoFocus);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* client = new QFrame(this);
  client->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  client->setGeometry(0, 22, 222, 158 - 22 - 25);
  Calendar = new TXtCalendar(client);
  Calendar->setGeometry(client->contentsRect());
  QPalette white = Calendar->palette();
  white.setColor(QPalette::Base, Qt::white);
  Calendar->setPalette(white);
  Calendar->SetUseCurrentDate(false);

  connect(prevYear_, &TXtSpeedButton::Click, this, &TSelectDateDlg::PrevYearBtnClick);
  connect(prevMonth_, &TXtSpeedButton::Click, this, &TSelectDateDlg::PrevMonthBtnClick);
  connect(nextMonth_, &TXtSpeedButton::Click, this, &TSelectDateDlg::NextMonthBtnClick);
  connect(nextYear_, &TXtSpeedButton::Click, this, &TSelectDateDlg::NextYearBtnClick);
  connect(Calendar, &TXtCalendar::Change, this, &TSelectDateDlg::CalendarChange);
  connect(Calendar, &TXtCalendar::DblClick, this, &TSelectDateDlg::CalendarDblClick);
  // The form sees keys first.
  Calendar->installEventFilter(this);
  installEventFilter(this);
  TitleLabel->installEventFilter(this);
  topPanel_->installEventFilter(this);
  Calendar->setFocus();
  CalendarChange();
}

TSelectDateDlg::~TSelectDateDlg() = default;

void TSelectDateDlg::SetDate(const QDate& date) {
  const QDate d = XtDateText::IsNoDate(date) ? QDate::currentDate() : date;
  Calendar->SetCalendarDate(d.isValid() ? d : QDate::currentDate());
  CalendarChange();
}

void TSelectDateDlg::TopPanelDblClick() {
  SetDate(QDate::currentDate());
}
void TSelectDateDlg::PrevYearBtnClick() {
  Calendar->MoveYear(-1);
}
void TSelectDateDlg::NextYearBtnClick() {
  Calendar->MoveYear(1);
}
void TSelectDateDlg::PrevMonthBtnClick() {
  Calendar->MoveMonth(-1);
}
void TSelectDateDlg::NextMonthBtnClick() {
  Calendar->MoveMonth(1);
}

void TSelectDateDlg::CalendarChange() {
  TitleLabel->setText(CalendarTitle(Calendar->CalendarDate()));
  UpdateNavigationButtons(*Calendar, prevYear_, prevMonth_, nextMonth_, nextYear_);
}

void TSelectDateDlg::CalendarDblClick() {
  accept();
}

bool TSelectDateDlg::FormKeyDown(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  switch (event->key()) {
    case Qt::Key_Tab:
      if (event->modifiers() & Qt::ShiftModifier)
        Calendar->MoveMonth(-1);
      else
        Calendar->MoveMonth(1);
      return true;
    case Qt::Key_Backtab:
      Calendar->MoveMonth(-1);
      return true;
    case Qt::Key_PageUp:
      if (ctrl)
        Calendar->MoveYear(-1);
      else
        Calendar->MoveMonth(-1);
      return true;
    case Qt::Key_PageDown:
      if (ctrl)
        Calendar->MoveYear(1);
      else
        Calendar->MoveMonth(1);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      accept();
      return true;
    case Qt::Key_Escape:
      reject();
      return true;
    default:
      return false;
  }
}

bool TSelectDateDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == Calendar || watched == this)) {
    if (FormKeyDown(static_cast<QKeyEvent*>(event))) return true;
  }
  if (event->type() == QEvent::MouseButtonDblClick &&
      (watched == TitleLabel || watched == topPanel_)) {
    TopPanelDblClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

std::unique_ptr<TSelectDateDlg> MakeDateDialog(const QString& title, const QDate& maxDate,
                                               const QDate& minDate) {
  auto dialog = std::make_unique<TSelectDateDlg>(QApplication::activeWindow());
  if (!title.isEmpty()) dialog->setWindowTitle(title);
  dialog->Calendar->SetMinDate(minDate);
  dialog->Calendar->SetMaxDate(maxDate);
  if (QScreen* screen = QApplication::primaryScreen()) {
    const QRect s = screen->geometry();
    dialog->move(s.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
  }
  return dialog;
}

bool RunDateDialog(QWidget* edit, QDate& date, const QString& title, const QDate& maxDate,
                   const QDate& minDate, const QStringList& hints, const QColor& weekendColor,
                   TDaysOfWeek weekends, TDayOfWeekName startOfWeek) {
  auto dialog = MakeDateDialog(title, maxDate, minDate);
  if (edit != nullptr) {
    const QRect s = edit->screen() ? edit->screen()->geometry() : QRect(0, 0, 800, 600);
    const QPoint client = edit->mapToGlobal(QPoint(0, 0));
    const int dh = dialog->frameGeometry().height(), dw = dialog->frameGeometry().width();
    int top = client.y() + edit->height() - 1;
    if (top + dh > s.bottom() + 1) top = client.y() - dh + 1;
    if (top < 0) top = client.y() + edit->height() - 1;
    int left = client.x() + edit->width() - dw;
    if (left + dw > s.right() + 1) left = s.width() - dw;
    if (left < 0) left = client.x() > 0 ? client.x() : 0;
    dialog->move(left, top);
  }
  dialog->SetDate(date);
  dialog->Calendar->SetStartOfWeek(startOfWeek);
  dialog->Calendar->SetWeekends(weekends);
  dialog->Calendar->SetWeekendColor(weekendColor);
  ApplyHints(hints, dialog->PrevYearBtn(), dialog->PrevMonthBtn(), dialog->NextMonthBtn(),
             dialog->NextYearBtn());
  if (dialog->exec() != QDialog::Accepted) return false;
  date = dialog->Date();
  return true;
}

// ---------------------------------------------------------------------------
// TPopupCalendar

TPopupCalendar::TPopupCalendar(TCustomComboEdit* editor) : TPopupWindow(editor) {
  resize(187, 124);
  setMinimumSize(180, 120);
  setFont(XtMessageFont());
  QPalette pal = palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Button));
  setPalette(pal);
  setAutoFillBackground(true);
  dateFormat_ = XtDateText::DefaultDateFormat(true);

  const QRect client = contentsRect();
  auto* top = new QWidget(this);
  top->setGeometry(client.left(), client.top(), client.width(), 18);
  const int pw = top->width();
  prevYear_ = MakeNavButton(top, QRect(-1, -1, 14, 14), "PREV2", XtControlStrings::kHintPrevYear);
  prevMonth_ = MakeNavButton(top, QRect(12, -1, 14, 14), "PREV1", XtControlStrings::kHintPrevMonth);
  nextMonth_ =
      MakeNavButton(top, QRect(pw - 26, -1, 14, 14), "NEXT1", XtControlStrings::kHintNextMonth);
  nextYear_ =
      MakeNavButton(top, QRect(pw - 13, -1, 14, 14), "NEXT2", XtControlStrings::kHintNextYear);
  title_ = new QLabel(top);
  title_->setGeometry(29, 1, pw - 58, 14);
  title_->setAlignment(Qt::AlignCenter);
  calendar_ = new TLocCalendar(this);
  calendar_->setGeometry(client.left(), client.top() + 18, client.width(), client.height() - 18);

  connect(prevYear_, &TXtSpeedButton::Click, this, [this] { calendar_->MoveYear(-1); });
  connect(prevMonth_, &TXtSpeedButton::Click, this, [this] { calendar_->MoveMonth(-1); });
  connect(nextMonth_, &TXtSpeedButton::Click, this, [this] { calendar_->MoveMonth(1); });
  connect(nextYear_, &TXtSpeedButton::Click, this, [this] { calendar_->MoveYear(1); });
  connect(calendar_, &TXtCalendar::Change, this, &TPopupCalendar::CalendarChange);
  calendar_->installEventFilter(this);
  title_->installEventFilter(this);
  CalendarChange();
}

QDate TPopupCalendar::Date() const {
  return calendar_->CalendarDate();
}

QString TPopupCalendar::GetValue() const {
  return XtDateText::FormatDate(dateFormat_, calendar_->CalendarDate());
}

void TPopupCalendar::SetValue(const QString& value) {
  bool onlySeparators = true;
  for (QChar c : value)
    if (c != XtDateText::kDateSeparator && c != QLatin1Char(' ')) onlySeparators = false;
  QDate date;
  if (value.isEmpty() || onlySeparators || !XtDateText::TryTextToDate(dateFormat_, value, date) ||
      XtDateText::IsNoDate(date))
    date = QDate::currentDate();
  calendar_->SetCalendarDate(date);
  CalendarChange();
}

void TPopupCalendar::CalendarChange() {
  title_->setText(CalendarTitle(calendar_->CalendarDate()));
  UpdateNavigationButtons(*calendar_, prevYear_, prevMonth_, nextMonth_, nextYear_);
}

void TPopupCalendar::HandleKey(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (event->key() == Qt::Key_PageUp) {
    if (ctrl)
      calendar_->MoveYear(-1);
    else
      calendar_->MoveMonth(-1);
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_PageDown) {
    if (ctrl)
      calendar_->MoveYear(1);
    else
      calendar_->MoveMonth(1);
    event->accept();
    return;
  }
  QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text());
  QCoreApplication::sendEvent(calendar_, &copy);
  event->setAccepted(copy.isAccepted());
}

bool TPopupCalendar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == calendar_ && event->type() == QEvent::MouseButtonRelease) {
    auto* me = static_cast<QMouseEvent*>(event);
    const bool shifts =
        me->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const QPoint cell = calendar_->CellAt(me->position().toPoint());
    if (me->button() == Qt::LeftButton && !shifts && cell.y() > 0 &&
        calendar_->CellDay(cell.x(), cell.y()) != 0) {
      emit CloseUp(true);
      return true;
    }
  }
  if (watched == title_ && event->type() == QEvent::MouseButtonDblClick) {
    calendar_->SetCalendarDate(QDate::currentDate());
    return true;
  }
  return TPopupWindow::eventFilter(watched, event);
}

std::unique_ptr<TPopupCalendar> MakePopupCalendar(TCustomComboEdit* edit,
                                                  Qt::LayoutDirection direction,
                                                  const QDate& maxDate, const QDate& minDate,
                                                  const QString& dateFormat) {
  auto popup = std::make_unique<TPopupCalendar>(edit);
  popup->dateFormat_ = dateFormat;
  const qreal dpi = edit->logicalDpiY();
  if (dpi != 96 && dpi > 0) {
    // Scaled by the screen's ratio to 96 pixels per inch.
    popup->resize(qRound(popup->width() * dpi / 96.0), qRound(popup->height() * dpi / 96.0));
    popup->Calendar()->SetMinDate(minDate);
    popup->Calendar()->SetMaxDate(maxDate);
    popup->setFont(XtMessageFont());
    popup->setLayoutDirection(direction);
  }
  return popup;
}

void ConfigurePopupCalendar(TPopupCalendar& popup, TDayOfWeekName startOfWeek, TDaysOfWeek weekends,
                            const QDate& maxDate, const QDate& minDate, bool fourDigitYear,
                            const QStringList& hints, const QColor& weekendColor) {
  popup.Calendar()->SetMinDate(minDate);
  popup.Calendar()->SetMaxDate(maxDate);
  popup.SetFourDigitYear(fourDigitYear);
  popup.Calendar()->SetStartOfWeek(startOfWeek);
  popup.Calendar()->SetWeekendColor(weekendColor);
  popup.Calendar()->SetWeekends(weekends);
  ApplyHints(hints, popup.PrevYearBtn(), popup.PrevMonthBtn(), popup.NextMonthBtn(),
             popup.NextYearBtn());
}
