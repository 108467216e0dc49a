// Numeric edit with up and down buttons: the spin button (two halves that
// fire once on a press and then repeat while held), the up-down control and
// the spin edit built on a line edit.
//
// Values are long double (x87 extended on this platform). Text that does not
// convert never raises from Value(): it reads as MinValue. Range checks raise
// ERangeError ("Value must be between %g and %g"); raised while the focus
// leaves the edit, the error is reported through ErrorRaised() and the focus
// stays. Timers: a held half steps at once, after 400 ms, then every 100 ms.
#pragma once

#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

enum class TrSpinButtonStyle { sbsDefault, sbsClassic };
enum class TSpinButtonState { sbNotDown = 0, sbTopDown = 1, sbBottomDown = 2 };
enum class TValueType { vtInteger, vtFloat, vtHex };
enum class TSpinButtonKind { bkStandard, bkDiagonal, bkClassic };
enum class TUDBtnType { btNext, btPrev };

// The width the spin edit gives its button when none is present: the style's
// scroll-bar width, at most 15.
int SpinButtonDefaultWidth();

class TXtSpinButton : public QWidget {
  Q_OBJECT
 public:
  explicit TXtSpinButton(QWidget* parent = nullptr);

  TrSpinButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TrSpinButtonStyle style);
  QImage UpGlyph() const { return upGlyph_; }
  void SetUpGlyph(const QImage& glyph);
  QImage DownGlyph() const { return downGlyph_; }
  void SetDownGlyph(const QImage& glyph);
  QWidget* FocusControl() const { return focusControl_; }
  void SetFocusControl(QWidget* control) { focusControl_ = control; }
  TSpinButtonState PressedState() const { return down_; }

  // Whether the point lies in the lower half (diagonal split for sbsDefault,
  // the middle row for sbsClassic).
  bool InBottomHalf(int x, int y) const;

 signals:
  void TopClick();
  void BottomClick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void TopPress();
  void BottomPress();
  void SetDown(TSpinButtonState state);
  void TimerTick();
  void RebuildImages();
  QPixmap DrawImage(TSpinButtonState state) const;
  QPixmap& ImageFor(TSpinButtonState state);

  TSpinButtonState down_ = TSpinButtonState::sbNotDown;
  QImage upGlyph_, downGlyph_;
  bool dragging_ = false;
  bool glyphsChanged_ = true;
  QPixmap topDownImage_, bottomDownImage_;
  std::unique_ptr<QTimer> repeatTimer_;
  QPixmap upImage_;
  TSpinButtonState lastDown_ = TSpinButtonState::sbNotDown;
  QPointer<QWidget> focusControl_;
  TrSpinButtonStyle buttonStyle_ = TrSpinButtonStyle::sbsDefault;
};

// The standard kind's button: up and down arrows stacked, always
// SpinButtonDefaultWidth() wide; a press fires Click(btNext/btPrev) and
// repeats while held, as the system's up-down control does.
class TXtUpDown : public QWidget {
  Q_OBJECT
 public:
  explicit TXtUpDown(QWidget* parent = nullptr);

 signals:
  void Click(TUDBtnType button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Fire();
  int position_ = 0;  // -1 previous, 1 next, 0 none held
  bool firing_ = false;
  QTimer repeat_;
};

class TXtCustomSpinEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TXtCustomSpinEdit(QWidget* parent = nullptr);
  ~TXtCustomSpinEdit() override;

  long double Value() const;
  void SetValue(long double value);
  // The value cut toward zero.
  int ValueAsInteger() const;

  long double MinValue() const { return minValue_; }
  void SetMinValue(long double value);
  long double MaxValue() const { return maxValue_; }
  void SetMaxValue(long double value);
  bool CheckMinValue() const { return checkMinValue_; }
  void SetCheckMinValue(bool check);
  bool CheckMaxValue() const { return checkMaxValue_; }
  void SetCheckMaxValue(bool check);
  bool CheckOnExit() const { return checkOnExit_; }
  void SetCheckOnExit(bool check) { checkOnExit_ = check; }
  long double Increment() const { return increment_; }
  void SetIncrement(long double increment) { increment_ = increment; }
  int Decimal() const { return decimal_; }
  void SetDecimal(int decimal);
  QString DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const QString& format);
  TValueType ValueType() const { return valueType_; }
  void SetValueType(TValueType type);
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool enabled) { editorEnabled_ = enabled; }
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool on);
  TSpinButtonKind ButtonKind() const { return buttonKind_; }
  void SetButtonKind(TSpinButtonKind kind);
  Qt::Alignment TextAlignment() const { return alignment(); }
  void SetTextAlignment(Qt::Alignment a) { setAlignment(a | Qt::AlignVCenter); }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool on) { autoSelect_ = on; }

  // The value held within the checked limits.
  long double ClampValue(long double x) const;
  // ClampValue, raising ERangeError when a check is on, `raise` is set and
  // the value had to move.
  long double ValueInRangeOrRaise(long double x, bool raise) const;
  void StepUp();
  void StepDown();
  bool AcceptsChar(QChar key) const;
  QString NormalizeNumberText(const QString& text) const;

  TXtSpinButton* SpinButton() const { return button_.get(); }
  TXtUpDown* UpDown() const { return upDown_.get(); }

 signals:
  // The text changed (not during a step, which signals once at its end).
  void Change();
  void TopClick();
  void BottomClick();
  // A refused key or a step in a read-only edit sounded the beep.
  void Beeped();
  // An error raised inside an event handler (the focus stays in the edit).
  void ErrorRaised(const QString& message);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void Beep();
  void RecreateButton();
  void ResizeButton();
  void RefreshFocusedText();
  void DoPaste();
  void UpDownClick(TUDBtnType button);
  void FocusForButton();
  void OnTextChanged();
  QString FormatValue(long double value) const;
  int ButtonWidth() const;
  // Moves the value by `delta` and signals Change when the text changed;
  // false (after the beep) in a read-only edit.
  bool StepBy(long double delta);
  // Sets one limit; when it moves to or from 0 and its check follows the
  // limits automatically, the check (and the other limit's, when that check
  // was automatic too and the range is not empty) is set anew.
  void SetLimit(long double& limit, bool& checkLimit, bool autoCheck, long double otherLimit,
                bool& checkOther, bool otherAutoCheck, long double value);

  bool focused_ = false;
  bool checkOnExit_ = false;
  bool autoMinCheck_ = true;
  bool autoMaxCheck_ = true;
  bool checkMinValue_ = false;
  bool checkMaxValue_ = false;
  QString displayFormat_;
  long double minValue_ = 0;
  long double maxValue_ = 0;
  long double increment_ = 1;
  int decimal_ = 2;
  bool changing_ = false;
  bool editorEnabled_ = true;
  TValueType valueType_ = TValueType::vtInteger;
  std::unique_ptr<QWidget> holder_;
  std::unique_ptr<TXtSpinButton> button_;
  bool arrowKeys_ = true;
  std::unique_ptr<TXtUpDown> upDown_;
  TSpinButtonKind buttonKind_ = TSpinButtonKind::bkDiagonal;
  bool autoSelect_ = true;
};

class TXtSpinEdit : public TXtCustomSpinEdit {
  Q_OBJECT
 public:
  explicit TXtSpinEdit(QWidget* parent = nullptr);
};
