// Date edit and its date texts, driven by real key and mouse events.
#include <gtest/gtest.h>

#include <QLocale>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "test_app.h"
#include "extctl/xt_date_dialog.h"
#include "extctl/xt_date_edit.h"
#include "extctl/xt_date_text.h"
#include "extctl/xt_errors.h"

namespace {

using XtDateText::TryTextToDate;

class DateEditTest : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

struct Form {
  QWidget window;
  TDateEdit* edit;
  QLineEdit* other;
  explicit Form(QPoint at = QPoint(50, 50)) {
    auto* layout = new QVBoxLayout(&window);
    edit = new TDateEdit(&window);
    other = new QLineEdit(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    window.resize(200, 80);
    window.move(at);
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
  }
};

// Answers the next modal dialog with a key once it is up.
void AnswerDialogWith(Qt::Key key, QDate* shown = nullptr) {
  QTimer::singleShot(50, [key, shown] {
    auto* dialog = qobject_cast<TSelectDateDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    if (shown != nullptr) *shown = dialog->Date();
    QTest::keyClick(dialog->Calendar, key);
  });
}

TEST_F(DateEditTest, TwoDigitYearsFallIntoTheCenturyWindow) {
  EXPECT_EQ(XtDateText::WidenYear(64, 2024), 1964);
  EXPECT_EQ(XtDateText::WidenYear(63, 2024), 2063);
  EXPECT_EQ(XtDateText::WidenYear(0, 2024), 2000);
  EXPECT_EQ(XtDateText::WidenYear(99, 2024), 1999);
  EXPECT_EQ(XtDateText::WidenYear(1812, 2024), 1812);
}

TEST_F(DateEditTest, DateTextsReadByPositionThenByNumbers) {
  struct Case {
    const char* format;
    const char* text;
    QDate expected;  // null: the text does not read
  };
  const Case cases[] = {
      {"DD/MM/YYYY", "05.03.2024", QDate(2024, 3, 5)},
      {"DD/MM/YYYY", "05/03-2024", QDate(2024, 3, 5)},  // positions, whatever the separators
      {"DD/MM/YYYY", "5/3/24", QDate()},                // "/" is not the separator here
      {"DD/MM/YYYY", "5.3.24", QDate(2024, 3, 5)},
      {"DD/MM/YYYY", "5.3", QDate(2024, 3, 5)},  // current year
      {"DD/MM/YYYY", "05.03.24", QDate(2024, 3, 5)},
      {"DD/MM/YYYY", "05.03.64", QDate(1964, 3, 5)},
      {"DD/MM/YYYY", "5.3.2024x", QDate()},
      {"DD/MM/YYYY", "31.02.2024", QDate()},
      {"DD/MM/YYYY", "2024-03-05", QDate()},
      {"DD/MM/YYYY", "03.05.2024 ", QDate(2024, 5, 3)},  // too long for positions
      {"DD/MM/YYYY", "ab.cd.efgh", QDate()},
      {"DD/MM/YY", "05.03.2024", QDate(2024, 3, 5)},
      {"MM/DD/YYYY", "03.05.2024", QDate(2024, 3, 5)},
      {"DD/MMM/YYYY", "05/Mar/2024", QDate(2024, 3, 5)},
      {"DD/MMM/YYYY", "05/Ma /2024", QDate(2024, 3, 5)},  // a prefix: the first month
      {"DD/MM/YYYY", "29.02.2023", QDate()},
      {"DD/MM/YYYY", "05.03.    ", QDate()},  // a blank year is no year
      {"DD/MM/YYYY", "  .03.2024", QDate()},
  };
  for (const Case& c : cases) {
    QDate date;
    const bool ok =
        TryTextToDate(QString::fromLatin1(c.format), QString::fromLatin1(c.text), date, 2024);
    EXPECT_EQ(ok, c.expected.isValid()) << c.format << " " << c.text;
    if (ok) EXPECT_EQ(date, c.expected) << c.format << " " << c.text;
  }
  QDate empty = QDate(2000, 1, 1);
  EXPECT_TRUE(TryTextToDate("DD/MM/YYYY", "", empty));
  EXPECT_TRUE(XtDateText::IsNoDate(empty));
  try {
    XtDateText::TextToDateWithFormat("DD/MM/YYYY", "abc");
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'abc' is not a valid date");
  }
}

TEST_F(DateEditTest, RussianMonthNames) {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  EXPECT_EQ(CalendarTitle(QDate(2024, 3, 5)), QString::fromUtf8("Март, 2024"));
  QDate date;
  EXPECT_TRUE(TryTextToDate("DD/MMM/YYYY", QString::fromUtf8("05/мар/2024"), date, 2024));
  EXPECT_EQ(date, QDate(2024, 3, 5));
  TDateEdit e;  // the format does not follow the locale
  e.SetDateValue(QDate(2024, 3, 5));
  EXPECT_EQ(e.text(), "05.03.2024");
}

TEST_F(DateEditTest, EmptyTextReadsAsNoDateOrToday) {
  TDateEdit e;
  EXPECT_TRUE(e.TextIsBlank());
  EXPECT_TRUE(XtDateText::IsNoDate(e.DateValue()));
  e.SetDefaultToday(true);
  EXPECT_EQ(e.DateValue(), QDate::currentDate());
  e.SetDateValue(QDate());
  EXPECT_EQ(e.text(), QDate::currentDate().toString("dd.MM.yyyy"));
  e.SetDateValue(QDate(1899, 12, 30));  // the zero date is no date either
  EXPECT_EQ(e.DateValue(), QDate::currentDate());
}

TEST_F(DateEditTest, FourDigitMaskAndText) {
  TDateEdit e;
  e.SetYearDigits(TYearDigits::dyFour);
  EXPECT_EQ(e.EditMask(), "!99/99/9999;1; ");
  EXPECT_EQ(e.DateFormat(), "DD/MM/YYYY");
  e.SetDateValue(QDate(2003, 8, 19));
  EXPECT_EQ(e.text(), "19.08.2003");
  e.SetYearDigits(TYearDigits::dyTwo);
  EXPECT_EQ(e.EditMask(), "!99/99/99;1; ");
  EXPECT_EQ(e.text(), "19.08.03");
  EXPECT_EQ(e.DateValue(), QDate(2003, 8, 19));
  e.SetBlanksChar(QChar(9));
  EXPECT_EQ(e.BlanksChar(), QLatin1Char(' '));
  e.SetBlanksChar(QLatin1Char('_'));
  EXPECT_EQ(e.EditMask(), "!99/99/99;1;_");
  EXPECT_EQ(e.DateValue(), QDate(2003, 8, 19));
}

TEST_F(DateEditTest, LimitsClampOrRaise) {
  TDateEdit e;
  e.SetMinDate(QDate(2020, 1, 1));
  e.SetDateValue(QDate(2019, 12, 31));
  EXPECT_EQ(e.text(), "01.01.2020");
  e.SetDateAutoBetween(false);
  try {
    e.SetDateValue(QDate(2019, 12, 31));
    FAIL() << "no error";
  } catch (const EGeneralError& err) {
    EXPECT_EQ(err.Message(),
              QString::fromUtf8("\"31.12.2019\" - неверная дата. Значение должно быть не меньше "
                                "\"01.01.2020\""));
  }
  e.SetMaxDate(QDate(2020, 12, 31));
  try {
    e.SetDateValue(QDate(2021, 1, 1));
    FAIL() << "no error";
  } catch (const EGeneralError& err) {
    EXPECT_EQ(err.Message(), QString::fromUtf8("\"01.01.2021\" - неверная дата. Значение должно "
                                               "быть между \"01.01.2020\" и \"31.12.2020\""));
  }
  EXPECT_EQ(e.text(), "01.01.2020");                             // the old date stays
  EXPECT_THROW(e.SetMinDate(QDate(2021, 6, 1)), EGeneralError);  // crosses the maximum
  e.SetDateAutoBetween(true);
  e.SetMinDate(QDate(2021, 6, 1));  // moves the maximum with it
  EXPECT_EQ(e.MaxDate(), QDate(2021, 6, 1));
  EXPECT_EQ(e.text(), "01.06.2021");
}

TEST_F(DateEditTest, TypedTextIsValidatedOnLeaving) {
  Form f;
  QSignalSpy errors(f.edit, &TCustomComboEdit::ErrorRaised);
  f.edit->setCursorPosition(0);
  QTest::keyClicks(f.edit, "31022024");
  EXPECT_EQ(f.edit->text(), "31.02.2024");
  f.other->setFocus();
  QTest::qWait(20);
  ASSERT_EQ(errors.count(), 1);
  EXPECT_EQ(errors.at(0).at(0).toString(), "'31.02.2024' is not a valid date");
  EXPECT_TRUE(f.edit->hasFocus());
  // A date typed only in part is no date.
  f.edit->selectAll();
  QTest::keyClick(f.edit, Qt::Key_Delete);
  f.edit->setCursorPosition(0);
  QTest::keyClicks(f.edit, "0503");
  f.other->setFocus();
  QTest::qWait(20);
  ASSERT_EQ(errors.count(), 2);
  EXPECT_EQ(errors.at(1).at(0).toString(), "'05.03.    ' is not a valid date");
  // A two-digit year typed into the four-digit mask is widened on leaving.
  f.edit->selectAll();
  QTest::keyClick(f.edit, Qt::Key_Delete);
  f.edit->setCursorPosition(0);
  QTest::keyClicks(f.edit, "050324");
  f.other->setFocus();
  QTest::qWait(20);
  EXPECT_EQ(errors.count(), 2);
  EXPECT_EQ(f.edit->text(), "05.03.2024");
  // Letters never enter the masked text; blanks alone are not validated.
  f.edit->setFocus();
  f.edit->selectAll();
  QTest::keyClick(f.edit, Qt::Key_Delete);
  QTest::keyClicks(f.edit, "ab");
  EXPECT_TRUE(f.edit->TextIsBlank());
  f.other->setFocus();
  QTest::qWait(20);
  EXPECT_EQ(errors.count(), 2);
}

TEST_F(DateEditTest, DateKeys) {
  Form f;
  f.edit->SetDateValue(QDate(2024, 2, 28));
  QSignalSpy changes(f.edit, &TCustomComboEdit::Change);
  QTest::keyClick(f.edit, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 2, 29));
  QTest::keyClick(f.edit, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 3, 1));
  QTest::keyClick(f.edit, Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 2, 29));
  EXPECT_EQ(f.edit->selectedText(), f.edit->text());
  QTest::keyClick(f.edit, Qt::Key_Plus);  // typed "+" is dropped
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 2, 29));
  QTest::keyClick(f.edit, Qt::Key_T);
  EXPECT_EQ(f.edit->DateValue(), QDate::currentDate());
  EXPECT_EQ(changes.count(), 0);  // dates written from a key are formatting
  f.edit->SetDateValue(QDate());
  QTest::keyClick(f.edit, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(f.edit->DateValue(), QDate::currentDate().addDays(1));
  // Past the last day of 9999 there is no date.
  f.edit->SetDateValue(QDate(9999, 12, 31));
  QTest::keyClick(f.edit, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_TRUE(f.edit->TextIsBlank());
}

TEST_F(DateEditTest, AltDownRunsTheDialog) {
  Form f;
  f.edit->SetDateValue(QDate(2024, 3, 15));
  QDate shown;
  AnswerDialogWith(Qt::Key_PageDown, &shown);  // next month
  QTimer::singleShot(150, [] {
    auto* dialog = qobject_cast<TSelectDateDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Выбор даты"));
    QTest::keyClick(dialog->Calendar, Qt::Key_Return);
  });
  QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(shown, QDate(2024, 3, 15));
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 4, 15));
  // Escape leaves the date.
  AnswerDialogWith(Qt::Key_Escape);
  QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 4, 15));
  // OnAcceptDate may refuse.
  f.edit->SetOnAcceptDate([](QDate&, bool& action) { action = false; });
  AnswerDialogWith(Qt::Key_Return);
  QTest::mouseClick(f.edit->Button(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 4, 15));
}

TEST_F(DateEditTest, PopupCalendarDropsDownAndAccepts) {
  Form f;
  f.edit->SetCalendarStyle(TCalendarStyle::csPopup);
  f.edit->SetDateValue(QDate(2024, 3, 15));
  QSignalSpy changes(f.edit, &TCustomComboEdit::Change);
  QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(f.edit->PopupVisible());
  TPopupCalendar* popup = f.edit->PopupCalendar();
  const QPoint editBottom = f.edit->mapToGlobal(QPoint(0, f.edit->height()));
  EXPECT_EQ(popup->geometry().top(), editBottom.y());
  EXPECT_EQ(popup->geometry().right(), f.edit->mapToGlobal(QPoint(f.edit->width() - 1, 0)).x());
  EXPECT_EQ(popup->Date(), QDate(2024, 3, 15));
  EXPECT_EQ(popup->TitleLabel()->text(), "March, 2024");
  EXPECT_TRUE(f.edit->isReadOnly());
  QTest::keyClick(f.edit, Qt::Key_PageDown);
  QTest::keyClick(f.edit, Qt::Key_Right);
  EXPECT_EQ(popup->Date(), QDate(2024, 4, 16));
  EXPECT_EQ(changes.count(), 0);
  QTest::keyClick(f.edit, Qt::Key_Return);
  EXPECT_FALSE(f.edit->PopupVisible());
  EXPECT_FALSE(f.edit->isReadOnly());
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 4, 16));
  EXPECT_EQ(changes.count(), 1);
  // A click on a day cell closes it with that day; Escape closes without.
  QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
  TLocCalendar* cal = popup->Calendar();
  const QPoint cell = cal->CellRect(2, 2).center();
  const int day = cal->CellDay(2, 2);
  QTest::mouseClick(cal, Qt::LeftButton, {}, cell);
  EXPECT_FALSE(f.edit->PopupVisible());
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 4, day));
  QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
  QTest::keyClick(f.edit, Qt::Key_PageUp, Qt::ControlModifier);
  QTest::keyClick(f.edit, Qt::Key_Escape);
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 4, day));
}

TEST_F(DateEditTest, PopupOpensAboveWithoutRoomBelow) {
  const QRect screen = QApplication::primaryScreen()->geometry();
  Form f(QPoint(10, screen.bottom() - 90));
  f.edit->SetCalendarStyle(TCalendarStyle::csPopup);
  QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(f.edit->PopupVisible());
  const QPoint editTop = f.edit->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(f.edit->PopupCalendar()->geometry().bottom() + 1, editTop.y());
  EXPECT_GE(f.edit->PopupCalendar()->geometry().left(), 0);  // kept on the screen
  // A press elsewhere closes it without accepting.
  QTest::mouseClick(f.other, Qt::LeftButton);
  EXPECT_FALSE(f.edit->PopupVisible());
}

TEST_F(DateEditTest, ComboEditGlyphKinds) {
  TCustomComboEdit e;
  EXPECT_EQ(e.GlyphKind(), TGlyphKind::gkCustom);
  e.show();
  EXPECT_EQ(e.ButtonWidth(), 21);
  e.SetGlyphKind(TGlyphKind::gkEllipsis);
  const QImage dots = e.Glyph();
  ASSERT_EQ(dots.size(), QSize(15, 4));  // button width - 6, 4 high
  // Gap (15 - 6) / 2 held to 3; first dot at (15 - 6 - 6) / 2 = 1, then every 5.
  for (int x : {1, 2, 6, 7, 11, 12}) EXPECT_EQ(dots.pixel(x, 1), qRgb(0, 0, 0)) << x;
  for (int x : {0, 3, 5, 8, 10, 13}) EXPECT_EQ(dots.pixel(x, 1), qRgb(255, 255, 255)) << x;
  EXPECT_EQ(dots.pixel(1, 0), qRgb(255, 255, 255));
  TDateEdit d;
  EXPECT_EQ(d.GlyphKind(), TGlyphKind::gkDefault);
  EXPECT_EQ(d.NumGlyphs(), 2);
  EXPECT_EQ(d.Glyph().size(), QSize(28, 12));
  QSignalSpy clicks(&e, &TCustomComboEdit::ButtonClick);
  QTest::mouseClick(e.Button(), Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(clicks.count(), 1);
  e.SetReadOnly(true);
  QTest::mouseClick(e.Button(), Qt::LeftButton, {}, QPoint(3, 3));
  QTest::keyClick(&e, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(clicks.count(), 1);
  e.SetAlwaysEnable(true);
  QTest::keyClick(&e, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(clicks.count(), 2);
}

TEST_F(DateEditTest, DirectInputOffLeavesOnlyTheButton) {
  Form f;
  f.edit->SetDirectInput(false);
  f.edit->SetDateValue(QDate(2024, 3, 5));
  QTest::keyClicks(f.edit, "1");
  QTest::keyClick(f.edit, Qt::Key_T);
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 3, 5));
  AnswerDialogWith(Qt::Key_Right);
  QTimer::singleShot(150,
                     [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
  QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(f.edit->DateValue(), QDate(2024, 3, 6));
}

}  // namespace
