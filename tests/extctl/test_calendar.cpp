// Calendar grid, the date dialog and their buttons, driven by real events.
#include <gtest/gtest.h>

#include <QLocale>
#include <QSignalSpy>
#include <QTest>

#include "test_app.h"
#include "extctl/xt_calendar.h"
#include "extctl/xt_control_strings.h"
#include "extctl/xt_date_dialog.h"

namespace {

class CalendarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    cal.resize(7 * 30 + 6, 7 * 20 + 6);
    cal.show();
  }
  TXtCalendar cal;
};

TEST_F(CalendarTest, FirstOfTheMonthStandsUnderItsWeekDay) {
  cal.SetCalendarDate(QDate(2024, 9, 10));  // 1 September 2024 is a Sunday
  EXPECT_EQ(cal.CellDay(6, 1), 1);
  EXPECT_EQ(cal.CellDay(5, 1), 0);
  EXPECT_EQ(cal.CellDay(0, 2), 2);
  EXPECT_EQ(cal.CellDay(0, 0), 0);
  cal.SetCalendarDate(QDate(2024, 7, 10));  // 1 July 2024 is a Monday
  EXPECT_EQ(cal.CellDay(0, 1), 1);
  EXPECT_EQ(cal.CellDate(2, 2), QDate(2024, 7, 10));
  EXPECT_EQ(cal.CurrentCol(), 2);
  EXPECT_EQ(cal.CurrentRow(), 2);
  EXPECT_EQ(cal.HeaderText(0), QLocale().dayName(1, QLocale::ShortFormat));
  cal.SetStartOfWeek(TDayOfWeekName::Sun);
  EXPECT_EQ(cal.HeaderText(0), QLocale().dayName(7, QLocale::ShortFormat));
  EXPECT_EQ(cal.CellDay(1, 1), 1);
  EXPECT_TRUE(cal.IsWeekendColumn(0));
  EXPECT_FALSE(cal.IsWeekendColumn(6));
}

TEST_F(CalendarTest, MonthAndYearSteps) {
  cal.SetCalendarDate(QDate(2024, 1, 31));
  cal.MoveMonth(1);
  EXPECT_EQ(cal.CalendarDate(), QDate(2024, 2, 29));
  cal.SetCalendarDate(QDate(2023, 1, 31));
  cal.MoveMonth(1);
  EXPECT_EQ(cal.CalendarDate(), QDate(2023, 2, 28));
  cal.SetCalendarDate(QDate(2024, 3, 31));
  cal.MoveMonth(-1);
  EXPECT_EQ(cal.CalendarDate(), QDate(2024, 2, 29));
  cal.SetCalendarDate(QDate(2024, 2, 29));
  cal.MoveYear(1);
  EXPECT_EQ(cal.CalendarDate(), QDate(2025, 2, 28));
  cal.SetDay(0);
  cal.SetMonth(13);
  EXPECT_EQ(cal.CalendarDate(), QDate(2025, 2, 28));
  // The calendar ends with the year 9999.
  cal.SetCalendarDate(QDate(9999, 12, 31));
  cal.MoveMonth(1);
  cal.MoveYear(1);
  QTest::keyClick(&cal, Qt::Key_Right);
  EXPECT_EQ(cal.CalendarDate(), QDate(9999, 12, 31));
}

TEST_F(CalendarTest, DaysBeforeTheMinimumCannotBeChosenAndPaintDisabled) {
  cal.SetCalendarDate(QDate(2024, 3, 20));
  cal.SetMinDate(QDate(2024, 3, 10));
  EXPECT_FALSE(cal.DateWithinLimits(QDate(2024, 3, 9)));
  // 1 March 2024 is a Friday: day 5 is in column 1 of row 2.
  ASSERT_EQ(cal.CellDay(1, 2), 5);
  QTest::mouseClick(&cal, Qt::LeftButton, {}, cal.CellRect(1, 2).center());
  EXPECT_EQ(cal.CalendarDate(), QDate(2024, 3, 20));
  ASSERT_EQ(cal.CellDay(1, 3), 12);
  QTest::mouseClick(&cal, Qt::LeftButton, {}, cal.CellRect(1, 3).center());
  EXPECT_EQ(cal.CalendarDate(), QDate(2024, 3, 12));
  // Left arrow walks back to the minimum and stops there.
  for (int i = 0; i < 5; ++i) QTest::keyClick(&cal, Qt::Key_Left);
  EXPECT_EQ(cal.CalendarDate(), QDate(2024, 3, 10));
  QTest::keyClick(&cal, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(cal.CalendarDate(), QDate(2024, 3, 11));

  const QImage img = cal.grab().toImage();
  auto darkPixels = [&img](const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        if (qGray(img.pixel(x, y)) < 100) ++n;
    return n;
  };
  EXPECT_EQ(darkPixels(cal.CellRect(1, 2)), 0);  // day 5: face-coloured text on white
  EXPECT_GT(darkPixels(cal.CellRect(2, 3)), 0);  // day 13 in normal text
  // Sunday's column is red.
  const QRect sunday = cal.CellRect(6, 3);  // 17 March
  bool red = false;
  for (int y = sunday.top(); y <= sunday.bottom(); ++y)
    for (int x = sunday.left(); x <= sunday.right(); ++x)
      if (img.pixel(x, y) == qRgb(255, 0, 0)) red = true;
  EXPECT_TRUE(red);
}

TEST_F(CalendarTest, ClearingTheMaximumKeepsTheDate) {
  cal.SetCalendarDate(QDate(2024, 5, 20));
  cal.SetMaxDate(QDate(2024, 5, 1));
  EXPECT_EQ(cal.CalendarDate(), QDate(2024, 5, 1));
  cal.SetMaxDate(QDate());
  EXPECT_EQ(cal.CalendarDate(), QDate(2024, 5, 1));
  cal.SetCalendarDate(QDate(2030, 1, 1));
  EXPECT_EQ(cal.CalendarDate(), QDate(2030, 1, 1));
}

TEST_F(CalendarTest, ArrowKeysAndTodayKey) {
  QSignalSpy changes(&cal, &TXtCalendar::Change);
  cal.SetCalendarDate(QDate(2024, 3, 1));
  QTest::keyClick(&cal, Qt::Key_Left);
  EXPECT_EQ(cal.CalendarDate(), QDate(2024, 2, 29));  // across the month start
  QTest::keyClick(&cal, Qt::Key_Down);
  EXPECT_EQ(cal.CalendarDate(), QDate(2024, 2, 29));  // no day below
  QTest::keyClick(&cal, Qt::Key_Up);
  EXPECT_EQ(cal.CalendarDate(), QDate(2024, 2, 22));
  QTest::keyClick(&cal, Qt::Key_T);
  EXPECT_EQ(cal.CalendarDate(), QDate::currentDate());
  EXPECT_EQ(changes.count(), 4);
  cal.SetReadOnly(true);
  QTest::keyClick(&cal, Qt::Key_Right);
  EXPECT_EQ(cal.CalendarDate(), QDate::currentDate());
}

TEST_F(CalendarTest, DialogButtonsFollowTheLimits) {
  auto dialog = MakeDateDialog(QString(), QDate(), QDate(2024, 3, 10));
  dialog->SetDate(QDate(2024, 3, 20));
  dialog->show();
  EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Выбор даты"));
  EXPECT_EQ(dialog->TitleLabel->text(), "March, 2024");
  EXPECT_FALSE(dialog->PrevMonthBtn()->isEnabled());
  EXPECT_FALSE(dialog->PrevYearBtn()->isEnabled());
  EXPECT_TRUE(dialog->NextMonthBtn()->isEnabled());
  EXPECT_EQ(dialog->PrevMonthBtn()->toolTip(), QString::fromUtf8("Предыдущий месяц"));
  QTest::mouseClick(dialog->NextMonthBtn(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(dialog->Date(), QDate(2024, 4, 20));
  EXPECT_TRUE(dialog->PrevMonthBtn()->isEnabled());
  EXPECT_EQ(dialog->TitleLabel->text(), "April, 2024");
  QTest::keyClick(dialog->Calendar, Qt::Key_Tab);
  EXPECT_EQ(dialog->Date(), QDate(2024, 5, 20));
  QTest::keyClick(dialog->Calendar, Qt::Key_Backtab, Qt::ShiftModifier);
  QTest::keyClick(dialog->Calendar, Qt::Key_PageUp);
  EXPECT_EQ(dialog->Date(), QDate(2024, 3, 20));
  QTest::keyClick(dialog->Calendar, Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(dialog->Date(), QDate(2025, 3, 20));
  QTest::mouseDClick(dialog->TitleLabel, Qt::LeftButton);
  EXPECT_EQ(dialog->Date(), QDate::currentDate());
  dialog->SetDate(QDate());
  EXPECT_EQ(dialog->Date(), QDate::currentDate());
}

TEST_F(CalendarTest, RunDateDialogReturnsTheShownDateOnEnterOnly) {
  QDate date(2024, 6, 15);
  QTimer::singleShot(50, [] {
    auto* dialog = qobject_cast<TSelectDateDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Calendar->StartOfWeek(), TDayOfWeekName::Sun);
    EXPECT_EQ(dialog->NextYearBtn()->toolTip(), "Forward");
    EXPECT_EQ(dialog->PrevYearBtn()->toolTip(), QString::fromUtf8("Предыдущий год"));
    QTest::keyClick(dialog->Calendar, Qt::Key_Right);
    QTest::keyClick(dialog->Calendar, Qt::Key_Enter);
  });
  EXPECT_TRUE(RunDateDialog(nullptr, date, "Pick", QDate(), QDate(), {"", "", "", "Forward|"},
                            Qt::red, TDaysOfWeek(1), TDayOfWeekName::Sun));
  EXPECT_EQ(date, QDate(2024, 6, 16));
  QTimer::singleShot(50, [] {
    auto* dialog = qobject_cast<TSelectDateDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    QTest::keyClick(dialog->Calendar, Qt::Key_Right);
    QTest::keyClick(dialog->Calendar, Qt::Key_Escape);
  });
  EXPECT_FALSE(RunDateDialog(nullptr, date, QString(), QDate(), QDate(), {}, Qt::red,
                             TDaysOfWeek(1), TDayOfWeekName::Mon));
  EXPECT_EQ(date, QDate(2024, 6, 16));
  // A double click on a day closes with OK.
  QTimer::singleShot(50, [] {
    auto* dialog = qobject_cast<TSelectDateDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    TXtCalendar* c = dialog->Calendar;
    QTest::mouseDClick(c, Qt::LeftButton, {}, c->CellRect(0, 2).center());
  });
  EXPECT_TRUE(RunDateDialog(nullptr, date, QString(), QDate(), QDate(), {}, Qt::red, TDaysOfWeek(1),
                            TDayOfWeekName::Mon));
  EXPECT_EQ(date.month(), 6);
}

TEST(ControlStringsTest, TextsAndCursors) {
  using namespace XtControlStrings;
  EXPECT_EQ(XtLoadStr(61258), QString::fromUtf8("Предыдущий месяц|"));
  EXPECT_EQ(XtLoadStr(61262), QString::fromUtf8("Выбор даты"));
  EXPECT_TRUE(XtLoadStr(61236).isEmpty());
  EXPECT_TRUE(XtLoadStr(12345).isEmpty());
  EXPECT_EQ(XtScreenCursor(14000).shape(), Qt::PointingHandCursor);
  EXPECT_EQ(XtScreenCursor(14001).shape(), Qt::ClosedHandCursor);
  EXPECT_EQ(XtResourceBitmap("DEDITBMP").size(), QSize(28, 12));
  EXPECT_EQ(XtResourceBitmap("PREV1").size(), QSize(8, 6));
  EXPECT_EQ(XtResourceBitmap("XTSPINUP").size(), QSize(6, 6));
  EXPECT_EQ(XtResourceBitmap("RSPINDOWN").size(), QSize(7, 4));
  EXPECT_TRUE(XtResourceBitmap("NOPE").isNull());
}

}  // namespace
