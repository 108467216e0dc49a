// Speed button: a push button that shows a glyph and a caption, stays down in
// a group, repeats its click while held, drops down a menu and paints itself
// flat or transparent; and the glyph object that turns one glyph picture (up
// to five sub-pictures side by side) into one image per button state.
//
// Images per state are made on first use and kept until the glyph, the
// number of glyphs or the palette changes. Painting composes off-screen and
// copies once. Timers: a held AllowTimer button clicks after InitPause
// (500 ms) and then every RepeatInterval (100 ms).
#pragma once

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

enum class TXtButtonState { rbsUp, rbsDisabled, rbsDown, rbsExclusive, rbsInactive };
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum class TXtDropDownMenuPos { dmpBottom, dmpRight };

// Where the glyph and the caption go inside a client rectangle.
struct TGlyphLayout {
  QRect glyph;    // position and size of the glyph (empty size without one)
  QRect caption;  // the caption's text rectangle
};

class TXtButtonGlyph {
 public:
  TXtButtonGlyph();

  QImage Glyph() const { return glyph_; }
  // Takes the picture; the number of glyphs follows its width when that is
  // a whole multiple of its height (1 when above 5).
  void SetGlyph(const QImage& glyph);
  int NumGlyphs() const { return numGlyphs_; }
  // 1 ... 5; 0 is ignored, above 5 becomes 5.
  void SetNumGlyphs(int count);
  QRgb TransparentColor() const { return transparentColor_; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on) { wordWrap_ = on; }
  Qt::Alignment Alignment() const { return alignment_; }
  void SetAlignment(Qt::Alignment a) { alignment_ = a; }

  // The image of a state (ARGB, transparent where the glyph's transparent
  // colour was); null for an empty glyph. Made on first use.
  QImage StateImage(TXtButtonState state);
  // Drops every made image (glyph, count or palette change).
  void ReleaseImages();

  // The transparent and button-face colours stay; others become grey of
  // level (R*77 + G*150 + B*29) >> 8.
  QRgb MapToGray(QRgb colour) const;

  TGlyphLayout LayoutGlyphAndCaption(const QRect& client, const QFontMetrics& metrics,
                                     const QString& caption, TButtonLayout layout, int margin,
                                     int spacing, bool dropDownMark) const;
  // Glyph, caption and drop-down mark at their places.
  void Draw(QPainter& painter, const QRect& client, const QFontMetrics& metrics,
            const QString& caption, TButtonLayout layout, int margin, int spacing,
            TXtButtonState state, bool dropDownMark);

 private:
  QSize GlyphSize() const;
  QImage glyph_;
  std::array<std::optional<QImage>, 5> images_;
  QRgb transparentColor_ = qRgb(255, 0, 255);
  int numGlyphs_ = 1;
  bool wordWrap_ = false;
  Qt::Alignment alignment_ = Qt::AlignHCenter;
};

// Draws a button frame into `rect` and shrinks it past the frame.
void PaintButtonFrame(QPainter& painter, QRect& rect, bool pressed, bool flat, TButtonStyle style);

class TXtSpeedButton : public QWidget {
  Q_OBJECT
 public:
  explicit TXtSpeedButton(QWidget* parent = nullptr);
  ~TXtSpeedButton() override;

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  QImage Glyph() const { return glyph_.Glyph(); }
  void SetGlyph(const QImage& glyph);
  int NumGlyphs() const { return glyph_.NumGlyphs(); }
  void SetNumGlyphs(int count);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index);
  bool Down() const { return down_; }
  void SetDown(bool down);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool allow);
  bool Flat() const { return flat_; }
  void SetFlat(bool flat);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);
  int Margin() const { return margin_; }
  void SetMargin(int margin);
  TButtonStyle Style() const { return style_; }
  void SetStyle(TButtonStyle style);
  bool GrayedInactive() const { return grayedInactive_; }
  void SetGrayedInactive(bool on);
  bool FlatStandard() const { return flatStandard_; }
  void SetFlatStandard(bool on);
  bool MarkDropDown() const { return markDropDown_; }
  void SetMarkDropDown(bool on);
  QMenu* DropDownMenu() const { return dropDownMenu_; }
  void SetDropDownMenu(QMenu* menu);
  TXtDropDownMenuPos MenuPosition() const { return menuPosition_; }
  void SetMenuPosition(TXtDropDownMenuPos pos) { menuPosition_ = pos; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  bool AllowTimer() const { return allowTimer_; }
  void SetAllowTimer(bool on);
  int InitPause() const { return initPause_; }
  void SetInitPause(int ms) { initPause_ = ms; }
  int RepeatInterval() const { return repeatInterval_; }
  void SetRepeatInterval(int ms) { repeatInterval_ = ms; }
  bool WordWrap() const { return glyph_.WordWrap(); }
  void SetWordWrap(bool on);
  Qt::Alignment Alignment() const { return glyph_.Alignment(); }
  void SetAlignment(Qt::Alignment a);

  TXtButtonState State() const { return state_; }
  bool MouseInControl() const { return mouseInControl_; }
  // Where the drop-down menu pops up, in the button's coordinates.
  QPoint DropDownMenuOrigin() const;
  void ShowDropDownMenu(const QPoint& position, bool manual);
  // The button's click: the window's modal result, then Click().
  void ClickButton();

 signals:
  void Click();
  void DblClick();
  void MouseEnter();
  void MouseLeave();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;
  // Painting after the button's own, for buttons built on this one.
  virtual void PaintOver(QPainter& painter);

 private:
  void PressAt(const QPoint& pt);
  void TimerTick();
  void UpdateExclusive();
  void GroupNotice(TXtSpeedButton* sender);
  void TrackMouseInside(bool inside);
  void UpdateShortcut();

  int groupIndex_ = 0;
  TButtonStyle style_ = TButtonStyle::bsAutoDetect;
  TXtButtonGlyph glyph_;
  bool down_ = false;
  bool dragging_ = false;
  bool flat_ = false;
  bool mouseInControl_ = false;
  bool allowAllUp_ = false;
  TButtonLayout layout_ = TButtonLayout::blGlyphTop;
  int spacing_ = 1;
  int margin_ = -1;
  int modalResult_ = 0;
  bool transparent_ = false;
  bool markDropDown_ = true;
  QPointer<QMenu> dropDownMenu_;
  TXtDropDownMenuPos menuPosition_ = TXtDropDownMenuPos::dmpBottom;
  bool grayedInactive_ = true;
  bool menuTracking_ = false;
  std::unique_ptr<QTimer> repeatTimer_;
  bool allowTimer_ = false;
  int initPause_ = 500;
  int repeatInterval_ = 100;
  TXtButtonState state_ = TXtButtonState::rbsUp;
  bool flatStandard_ = false;
  QString caption_;
  int shortcutId_ = 0;
};

// The calendar windows' month and year buttons: old look, repeating.
class TXtTimerSpeedButton : public TXtSpeedButton {
  Q_OBJECT
 public:
  explicit TXtTimerSpeedButton(QWidget* parent = nullptr);
};
