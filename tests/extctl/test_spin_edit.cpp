// Spin button and spin edit driven by real key and mouse events.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <limits>

#include "test_app.h"
#include "extctl/xt_errors.h"
#include "extctl/xt_spin.h"

namespace {

class SpinEditTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }
};

// A window holding the edit and a second edit to move the focus to.
struct Form {
  QWidget window;
  TXtSpinEdit* edit;
  QLineEdit* other;
  Form() {
    auto* layout = new QVBoxLayout(&window);
    edit = new TXtSpinEdit(&window);
    other = new QLineEdit(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    window.resize(200, 80);
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
  }
};

TEST_F(SpinEditTest, NewEditShowsZeroAndStepsWithArrowKeys) {
  Form f;
  EXPECT_EQ(f.edit->text(), "0");
  EXPECT_EQ(f.edit->Value(), 0);
  QSignalSpy changes(f.edit, &TXtCustomSpinEdit::Change);
  QTest::keyClick(f.edit, Qt::Key_Up);
  EXPECT_EQ(f.edit->text(), "1");
  EXPECT_EQ(changes.count(), 1);
  QTest::keyClick(f.edit, Qt::Key_Up);
  QTest::keyClick(f.edit, Qt::Key_Down);
  QTest::keyClick(f.edit, Qt::Key_Down);
  QTest::keyClick(f.edit, Qt::Key_Down);
  EXPECT_EQ(f.edit->text(), "-1");
  EXPECT_EQ(changes.count(), 5);
  EXPECT_TRUE(f.edit->isModified());
}

TEST_F(SpinEditTest, ArrowKeysOffLeavesTheValue) {
  Form f;
  f.edit->SetArrowKeys(false);
  QTest::keyClick(f.edit, Qt::Key_Up);
  EXPECT_EQ(f.edit->text(), "0");
}

TEST_F(SpinEditTest, MinimumSwitchesItsCheckOnAndClamps) {
  TXtSpinEdit e;
  EXPECT_FALSE(e.CheckMinValue());
  e.SetValue(123456789);  // no limits: any number
  EXPECT_EQ(e.text(), "123456789");
  e.SetMinValue(1900);
  EXPECT_TRUE(e.CheckMinValue());
  EXPECT_FALSE(e.CheckMaxValue());
  e.SetValue(1800);
  EXPECT_EQ(e.text(), "1900");
  e.SetValue(2024);
  EXPECT_EQ(e.text(), "2024");
  e.SetMaxValue(2100);
  EXPECT_TRUE(e.CheckMaxValue());
  e.SetValue(3000);
  EXPECT_EQ(e.text(), "2100");
}

TEST_F(SpinEditTest, MaximumFirstChecksTheRangeFromZero) {
  TXtSpinEdit e;
  e.SetMaxValue(10);
  EXPECT_TRUE(e.CheckMaxValue());
  EXPECT_TRUE(e.CheckMinValue());
  e.SetValue(-5);
  EXPECT_EQ(e.text(), "0");
}

TEST_F(SpinEditTest, RangeErrorOnExitKeepsTheFocus) {
  Form f;
  f.edit->SetMaxValue(10);
  f.edit->SetMinValue(1);
  f.edit->SetCheckOnExit(true);
  QSignalSpy errors(f.edit, &TXtCustomSpinEdit::ErrorRaised);
  f.edit->selectAll();
  QTest::keyClicks(f.edit, "11");
  EXPECT_EQ(f.edit->text(), "11");
  f.other->setFocus();
  QTest::qWait(20);
  ASSERT_EQ(errors.count(), 1);
  EXPECT_EQ(errors.at(0).at(0).toString(), "Value must be between 1 and 10");
  EXPECT_TRUE(f.edit->hasFocus());
  EXPECT_EQ(f.edit->selectedText(), "11");
  EXPECT_THROW(f.edit->ValueInRangeOrRaise(11, true), ERangeError);
  EXPECT_EQ(f.edit->ValueInRangeOrRaise(11, false), 10);
}

TEST_F(SpinEditTest, LeavingClampsWithoutCheckOnExit) {
  Form f;
  f.edit->SetMaxValue(10);
  f.edit->SetMinValue(1);
  f.edit->selectAll();
  QTest::keyClicks(f.edit, "99");
  f.other->setFocus();
  QTest::qWait(10);
  EXPECT_EQ(f.edit->text(), "10");
}

TEST_F(SpinEditTest, BadTextReadsAsTheMinimum) {
  struct Case {
    TValueType type;
    const char* text;
    long double min;
    long double expected;
  };
  const Case cases[] = {
      {TValueType::vtInteger, "abc", 2.5L, 2},  // rounded half to even
      {TValueType::vtInteger, "3.5", 7, 7},
      {TValueType::vtInteger, "99999999999", 0, 0},  // beyond 32 bits
      {TValueType::vtInteger, "  42", 0, 42},
      {TValueType::vtFloat, "1e", 1.5L, 1.5L},
      {TValueType::vtFloat, "nan", 0, 0},
      {TValueType::vtFloat, "2.25", 0, 2.25L},
      {TValueType::vtHex, "1F", 0, 31},
      {TValueType::vtHex, "G1", 3, 3},
  };
  for (const Case& c : cases) {
    TXtSpinEdit e;
    e.SetValueType(c.type);
    e.SetDisplayFormat(QString());
    // The minimum is set without its check so that the text stays as typed.
    e.SetMinValue(c.min);
    e.SetCheckMinValue(false);
    e.setText(QString::fromLatin1(c.text));
    EXPECT_EQ(e.Value(), c.expected) << c.text;
  }
}

TEST_F(SpinEditTest, ValueAsIntegerCutsTowardZero) {
  TXtSpinEdit e;
  e.SetValueType(TValueType::vtFloat);
  e.SetValue(2.9L);
  EXPECT_EQ(e.ValueAsInteger(), 2);
  e.SetValue(-2.9L);
  EXPECT_EQ(e.ValueAsInteger(), -2);
}

TEST_F(SpinEditTest, ValuesBeyondTheIntegerRangeAreHeld) {
  TXtSpinEdit e;
  e.SetValue(1e20L);
  EXPECT_EQ(e.text(), "2147483647");
  QTest::keyClick(&e, Qt::Key_Up);
  EXPECT_EQ(e.text(), "2147483647");
  e.SetValue(-1e20L);
  EXPECT_EQ(e.ValueAsInteger(), std::numeric_limits<int>::min());
  e.SetValue(std::numeric_limits<long double>::quiet_NaN());
  EXPECT_EQ(e.text(), "0");
  e.SetValueType(TValueType::vtFloat);
  e.SetValue(1e20L);
  EXPECT_EQ(e.ValueAsInteger(), std::numeric_limits<int>::max());
  e.SetValueType(TValueType::vtHex);
  e.SetValue(-1);
  EXPECT_EQ(e.text(), "FFFFFFFF");
  EXPECT_EQ(e.Value(), -1);
}

TEST_F(SpinEditTest, FloatEditFormatsAndRefusesASecondSeparator) {
  Form f;
  f.edit->SetValueType(TValueType::vtFloat);
  f.edit->SetValue(1234.5L);
  EXPECT_EQ(f.edit->text(), "1234.5");  // "0.##" while focused
  f.other->setFocus();
  EXPECT_EQ(f.edit->text(), "1,234.5");  // the display format otherwise
  f.edit->setFocus();
  EXPECT_EQ(f.edit->text(), "1234.5");
  f.edit->SetDisplayFormat(QString());
  f.edit->SetValue(2.5L);
  EXPECT_EQ(f.edit->text(), "2.50");
  QSignalSpy beeps(f.edit, &TXtCustomSpinEdit::Beeped);
  f.edit->setCursorPosition(f.edit->text().size());
  QTest::keyClick(f.edit, Qt::Key_Period, Qt::NoModifier);
  EXPECT_EQ(beeps.count(), 1);
  EXPECT_EQ(f.edit->text(), "2.50");
  QTest::keyClick(f.edit, Qt::Key_E, Qt::NoModifier);
  EXPECT_EQ(f.edit->text(), "2.50e");
  QTest::keyClick(f.edit, Qt::Key_E, Qt::NoModifier);
  EXPECT_EQ(beeps.count(), 2);
}

TEST_F(SpinEditTest, SeparatorsFollowTheLocale) {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  {
    Form f;
    f.edit->SetValueType(TValueType::vtFloat);
    f.edit->SetDisplayFormat(QString());
    f.edit->SetValue(2.5L);
    EXPECT_EQ(f.edit->text(), "2,50");
    f.edit->selectAll();
    QTest::keyClicks(f.edit, "3.25");  // "." becomes the decimal separator
    EXPECT_EQ(f.edit->text(), "3,25");
    EXPECT_EQ(f.edit->Value(), 3.25L);
    f.edit->SetDisplayFormat(",0.##");
    f.edit->setText(QString::fromUtf8("1\u00a0234.5"));  // normalised before reading
    EXPECT_EQ(f.edit->Value(), 1234.5L);
  }
  QLocale::setDefault(QLocale::c());
}

TEST_F(SpinEditTest, IntegerEditRefusesLettersWithABeep) {
  Form f;
  QSignalSpy beeps(f.edit, &TXtCustomSpinEdit::Beeped);
  f.edit->selectAll();
  QTest::keyClicks(f.edit, "2x0.2");
  EXPECT_EQ(f.edit->text(), "202");
  EXPECT_EQ(beeps.count(), 2);
  QTest::keyClick(f.edit, Qt::Key_Backspace);
  EXPECT_EQ(f.edit->text(), "20");
  f.edit->SetEditorEnabled(false);
  QTest::keyClick(f.edit, Qt::Key_Backspace);
  QTest::keyClick(f.edit, Qt::Key_5);
  EXPECT_EQ(f.edit->text(), "20");
  EXPECT_EQ(beeps.count(), 4);
  QTest::keyClick(f.edit, Qt::Key_Up);  // the buttons still step
  EXPECT_EQ(f.edit->text(), "21");
}

TEST_F(SpinEditTest, ReadOnlyStepBeepsAndKeepsTheValue) {
  Form f;
  f.edit->setReadOnly(true);
  QSignalSpy beeps(f.edit, &TXtCustomSpinEdit::Beeped);
  QTest::keyClick(f.edit, Qt::Key_Up);
  EXPECT_EQ(f.edit->text(), "0");
  EXPECT_EQ(beeps.count(), 1);
}

TEST_F(SpinEditTest, PastingTextThatIsNoNumberPutsTheOldValueBack) {
  Form f;
  f.edit->SetValue(7);
  f.edit->selectAll();
  QApplication::clipboard()->setText("abc");
  QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(f.edit->text(), "7");
  f.edit->selectAll();
  QApplication::clipboard()->setText("42");
  QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(f.edit->text(), "42");
}

TEST_F(SpinEditTest, DiagonalHalves) {
  TXtSpinButton b;
  b.resize(30, 20);
  EXPECT_FALSE(b.InBottomHalf(6, 12));
  EXPECT_TRUE(b.InBottomHalf(20, 10));
  b.SetButtonStyle(TrSpinButtonStyle::sbsClassic);
  EXPECT_FALSE(b.InBottomHalf(20, 10));
  EXPECT_TRUE(b.InBottomHalf(0, 11));
}

TEST_F(SpinEditTest, PressingTheButtonHalvesSteps) {
  Form f;
  TXtSpinButton* b = f.edit->SpinButton();
  ASSERT_NE(b, nullptr);
  f.other->setFocus();
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(f.edit->text(), "1");
  EXPECT_TRUE(f.edit->hasFocus());  // the focus control takes the focus
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() - 2, b->height() - 2));
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() - 2, b->height() - 2));
  EXPECT_EQ(f.edit->text(), "-1");
}

TEST_F(SpinEditTest, HeldHalfRepeatsAndStopsWhenThePointerLeaves) {
  Form f;
  TXtSpinButton* b = f.edit->SpinButton();
  QSignalSpy steps(f.edit, &TXtCustomSpinEdit::TopClick);
  QElapsedTimer clock;
  clock.start();
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(steps.count(), 1);
  EXPECT_EQ(b->PressedState(), TSpinButtonState::sbTopDown);
  QTest::qWait(300);
  if (clock.elapsed() < 390) EXPECT_EQ(steps.count(), 1);  // the first pause is 400 ms
  QTest::qWait(700);
  const int held = steps.count();
  // At 1000 ms: at once, at 400 ms, then every 100 ms: 8 at most.
  EXPECT_GE(held, 4);
  EXPECT_LE(held, 8);
  QTest::mouseMove(b, QPoint(-20, -20));
  EXPECT_EQ(b->PressedState(), TSpinButtonState::sbNotDown);
  const int away = steps.count();
  QTest::qWait(300);
  EXPECT_EQ(steps.count(), away);
  QTest::mouseMove(b, QPoint(2, 2));
  EXPECT_EQ(b->PressedState(), TSpinButtonState::sbTopDown);
  QTest::qWait(300);
  EXPECT_GT(steps.count(), away);
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(2, 2));
  const int released = steps.count();
  QTest::qWait(250);
  EXPECT_EQ(steps.count(), released);
  EXPECT_EQ(f.edit->Value(), released);
}

TEST_F(SpinEditTest, PressedHalfPaintsSunkenAndMovesTheGlyph) {
  TXtSpinButton b;
  b.resize(20, 20);
  b.show();
  const QImage normal = b.grab().toImage();
  // The up arrow sits around a quarter of the size, the down arrow at three quarters.
  auto inkNear = [](const QImage& img, int cx, int cy) {
    int ink = 0;
    for (int y = cy - 4; y <= cy + 4; ++y)
      for (int x = cx - 4; x <= cx + 4; ++x)
        if (qGray(img.pixel(x, y)) < 40) ++ink;
    return ink;
  };
  EXPECT_GT(inkNear(normal, 6, 6), 10);
  EXPECT_GT(inkNear(normal, 14, 14), 10);
  // Normal: light top-left edge, dark bottom-right edge.
  EXPECT_GT(qGray(normal.pixel(5, 0)), qGray(normal.pixel(5, 19)));
  QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(3, 3));
  const QImage top = b.grab().toImage();
  EXPECT_LT(qGray(top.pixel(5, 0)), qGray(normal.pixel(5, 0)));  // sunken top-left edge
  EXPECT_NE(top, normal);
  // The up glyph moves one pixel right and down while pressed.
  auto inkBox = [](const QImage& img) {
    QRect box;
    for (int y = 1; y < 10; ++y)
      for (int x = 1; x < 10; ++x)
        if (qGray(img.pixel(x, y)) < 40 && x + y < 14) box |= QRect(x, y, 1, 1);
    return box;
  };
  EXPECT_EQ(inkBox(top).topLeft(), inkBox(normal).topLeft() + QPoint(1, 1));
  QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(b.grab().toImage(), normal);
}

TEST_F(SpinEditTest, ClassicButtonPaintsTwoHalves) {
  TXtSpinButton b;
  b.SetButtonStyle(TrSpinButtonStyle::sbsClassic);
  b.resize(15, 20);
  b.show();
  const QImage normal = b.grab().toImage();
  // The 7 x 4 triangles stand centred in each half: up at ((15-7)/2, (10-4)/2).
  EXPECT_EQ(normal.pixel(4 + 3, 3), qRgb(0, 0, 0));  // the up triangle's tip
  EXPECT_EQ(normal.pixel(4, 3 + 3), qRgb(0, 0, 0));  // its base
  int lowerInk = 0;
  for (int y = 11; y < 19; ++y)
    for (int x = 2; x < 13; ++x)
      if (normal.pixel(x, y) == qRgb(0, 0, 0)) ++lowerInk;
  EXPECT_EQ(lowerInk, 16);  // the whole down triangle
  QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(7, 15));
  EXPECT_EQ(b.PressedState(), TSpinButtonState::sbBottomDown);
  EXPECT_NE(b.grab().toImage(), normal);
  QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(7, 15));
  EXPECT_EQ(b.grab().toImage(), normal);
}

TEST_F(SpinEditTest, StandardKindUsesTheUpDownControl) {
  Form f;
  f.edit->SetButtonKind(TSpinButtonKind::bkStandard);
  ASSERT_EQ(f.edit->SpinButton(), nullptr);
  TXtUpDown* ud = f.edit->UpDown();
  ASSERT_NE(ud, nullptr);
  EXPECT_EQ(ud->width(), SpinButtonDefaultWidth());
  QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(3, 2));
  EXPECT_EQ(f.edit->text(), "1");
  QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(3, ud->height() - 2));
  QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(3, ud->height() - 2));
  EXPECT_EQ(f.edit->text(), "-1");
}

TEST_F(SpinEditTest, ValueTypeRewritesTheValue) {
  TXtSpinEdit e;
  e.SetValue(255);
  e.SetValueType(TValueType::vtHex);
  EXPECT_EQ(e.text(), "FF");
  e.SetIncrement(0.4L);
  e.SetValueType(TValueType::vtInteger);
  EXPECT_EQ(e.text(), "255");
  EXPECT_EQ(e.Increment(), 1);  // rounded to 0, then 1
}

}  // namespace
