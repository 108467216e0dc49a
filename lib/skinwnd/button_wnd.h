// The wrappers of buttons: TkaBtnWnd paints a push button from its section
// in the states normal, hot and pressed, with its caption, focus dots and a
// faded look when disabled; TkaBitBtnWnd adds the button's glyph (a Qt
// button's icon); TkaCheckBoxWnd paints a check box or radio button with
// the check image of the skin's GLOBALINFO section.
#pragma once

#include <QImage>
#include <QSize>
#include <memory>

#include "skinwnd/main_wnd.h"
#include "winshim/dc.h"

namespace kelmo::skinwnd {

// The button state of the painting: 0 normal, 1 hot, 2 pressed.
int ButtonPaintState(HWND wnd, TkSkinManager* manager);

class TkaBtnWnd : public TkaMainWnd {
 public:
  using TkaMainWnd::TkaMainWnd;
  void WndProc(Msg& msg, const NextHandler& next) override;

  // The parts of the painting a bit button changes.
  virtual void DrawCaption(winshim::Dc& cache);
  virtual void DrawGlyph(winshim::Dc&) {}
  virtual QSize GlyphSize() { return {}; }
  virtual void WriteCaption(winshim::Dc& cache, const Rect& rect, unsigned format);
  virtual Rect CaptionRect(winshim::Dc& cache);
  virtual int MaxCaptionWidth();
  QSize CaptionSize(winshim::Dc& cache);
  // The whole button into the cache.
  void PrepareCache();

 protected:
  int State() { return ButtonPaintState(WndHandle, LinkManager()); }
  void PaintButtonWnd(Msg& msg);
  // Redrawing off around the root, then a fresh paint.
  void RootQuietly(Msg& msg, const NextHandler& next);
};

// The glyph of a bit button: the Qt button's icon at its icon size.
struct BitBtnGlyph {
  QImage image;  // null: no glyph
  int numGlyphs = 1;
  int layout = 0;  // 0 left, 1 right, 2 top, 3 bottom
  int margin = -1, spacing = 4;
};
BitBtnGlyph BitBtnGlyphOf(HWND wnd);

class TkaBitBtnWnd : public TkaBtnWnd {
 public:
  using TkaBtnWnd::TkaBtnWnd;
  void DrawGlyph(winshim::Dc& cache) override;
  QSize GlyphSize() override;
  Rect CaptionRect(winshim::Dc& cache) override;
  int MaxCaptionWidth() override;
  // Where the glyph lies in the window.
  Rect GlyphRect(winshim::Dc& cache);
};

class TkaCheckBoxWnd : public TkaMainWnd {
 public:
  using TkaMainWnd::TkaMainWnd;
  void WndProc(Msg& msg, const NextHandler& next) override;

 private:
  void PaintCheckBox(Msg& msg);
  void PrepareCheckCache(std::uint32_t style);
};

// The GLOBALINFO image names of a check box or radio button by its type
// field: radio kinds (plain and automatic) get the radio images.
QString CheckImageName(std::uint32_t style, int checkState);

// Which wrapper a button window gets, by its type field: push buttons a
// button wrapper, check boxes and radio buttons a check-box wrapper, group
// boxes a group-box wrapper; owner-drawn and unknown kinds none.
enum class ButtonWrapperKind { None, Push, Check, Group };
ButtonWrapperKind ButtonWrapperKindOf(std::uint32_t style);
// The wrapper of a dialog's button ("BUTTON", "CHECKBOX" or "GROUPBOX"
// section), or none.
std::unique_ptr<TkaMainWnd> WrapButtonWnd(HWND wnd, TkSkinManager* manager);

}  // namespace kelmo::skinwnd
