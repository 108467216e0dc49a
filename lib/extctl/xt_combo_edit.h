// Edit with a button at its right edge that can drop down a pop-up window
// below itself (the base of the date edit).
//
// The pop-up is a tool window shown without activation: the edit keeps the
// focus and passes the pop-up's keys on. A press anywhere outside the edit,
// its button and the pop-up closes the pop-up without accepting.
#pragma once

#include <QFrame>
#include <QKeySequence>
#include <QLineEdit>
#include <QPointer>
#include <memory>

#include "xt_speed_button.h"

enum class TPopupAlign { epaRight, epaLeft };
enum class TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };

class TCustomComboEdit;

// The button inside the combo edit.
class TEditButton : public TXtSpeedButton {
  Q_OBJECT
 public:
  explicit TEditButton(TCustomComboEdit* editor, QWidget* parent);
  bool SwallowNextClick() const { return swallowNextClick_; }
  void SetSwallowNextClick(bool on) { swallowNextClick_ = on; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void PaintOver(QPainter& painter) override;

 private:
  TCustomComboEdit* editor_;
  bool swallowNextClick_ = false;
};

// The drop-down window; a subclass holds the value.
class TPopupWindow : public QFrame {
  Q_OBJECT
 public:
  explicit TPopupWindow(TCustomComboEdit* editor);
  TCustomComboEdit* Editor() const { return editor_; }
  virtual QString GetValue() const = 0;
  virtual void SetValue(const QString& value) = 0;
  // Keys the editor passes on while the pop-up is open.
  virtual void HandleKey(QKeyEvent* event) = 0;

 signals:
  void CloseUp(bool accept);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TCustomComboEdit* editor_;
};

class TCustomComboEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TCustomComboEdit(QWidget* parent = nullptr);
  ~TCustomComboEdit() override;

  TEditButton* Button() const { return button_.get(); }
  int ButtonWidth() const;
  void SetButtonWidth(int width);
  TGlyphKind GlyphKind() const { return glyphKind_; }
  void SetGlyphKind(TGlyphKind kind);
  QImage Glyph() const { return button_->Glyph(); }
  void SetGlyph(const QImage& glyph);
  int NumGlyphs() const { return button_->NumGlyphs(); }
  void SetNumGlyphs(int count) { button_->SetNumGlyphs(count); }
  QKeySequence ClickKey() const { return clickKey_; }
  void SetClickKey(const QKeySequence& key) { clickKey_ = key; }
  bool DirectInput() const { return directInput_; }
  void SetDirectInput(bool on);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  bool AlwaysEnable() const { return alwaysEnable_; }
  void SetAlwaysEnable(bool on) { alwaysEnable_ = on; }
  TPopupAlign PopupAlign() const { return popupAlign_; }
  void SetPopupAlign(TPopupAlign a) { popupAlign_ = a; }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool on) { autoSelect_ = on; }
  bool PopupVisible() const { return popupVisible_; }
  TPopupWindow* Popup() const { return popup_; }

  void DropDownPopup(bool readOnlyWhileOpen = true);
  void CloseUpPopup(bool accept);
  // The button's click, also run by ClickKey.
  void DoClick();
  // Selects the whole text, only while direct input is on.
  void SelectText();

 signals:
  void ButtonClick();
  void Change();
  void Beeped();
  // An error raised inside an event handler (the focus stays in the edit).
  void ErrorRaised(const QString& message);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  void SetPopup(TPopupWindow* popup);
  int DefaultNumGlyphs() const { return defaultNumGlyphs_; }
  void SetDefaultNumGlyphs(int n) { defaultNumGlyphs_ = n; }
  // The class's own glyph for gkDefault (none for the plain combo edit).
  virtual QImage DefaultGlyph() const { return QImage(); }
  // Runs on the button's click after ButtonClick(), for subclasses without a
  // pop-up (the date edit's dialog).
  virtual void ButtonClicked() {}
  virtual bool AcceptPopup(QString& value);
  virtual void AcceptValue(const QString& value);
  virtual bool ChangeSuppressed() const { return false; }
  // Keys a subclass handles before the combo edit; true when consumed.
  virtual bool HandleKey(QKeyEvent* event);
  void Beep();

 private:
  void PlaceButton();
  void MakeGlyph();
  void OnTextChanged();
  void UpdateReadOnly();
  int AutoButtonWidth() const;

  std::unique_ptr<QWidget> holder_;
  QKeySequence clickKey_ = QKeySequence(Qt::ALT | Qt::Key_Down);
  bool readOnly_ = false;
  bool directInput_ = true;
  bool alwaysEnable_ = false;
  TPopupAlign popupAlign_ = TPopupAlign::epaRight;
  TGlyphKind glyphKind_ = TGlyphKind::gkCustom;
  std::unique_ptr<TEditButton> button_;
  bool popupVisible_ = false;
  bool focused_ = false;
  TPopupWindow* popup_ = nullptr;  // owned by the subclass
  int defaultNumGlyphs_ = 1;
  bool autoSelect_ = true;
  bool fixedButtonWidth_ = false;
};
