// The skinning of the program's speed buttons (TXtSpeedButton): a handler
// on the button's window that paints the button from its skin link's
// section in the states normal, hot and pressed, with its caption, glyph
// and disabled look, whenever the button is asked to paint. The handler
// owns no window; the adapter item that owns the link owns the handler.
#pragma once

#include <QPointer>
#include <QRect>

#include "skin/skin_link.h"
#include "winshim/dc.h"
#include "winshim/window.h"

class TXtSpeedButton;

namespace kelmo::skinwnd {

class TkaSpeedButtonHandler {
 public:
  TkaSpeedButtonHandler(QWidget* control, const QString& section, skin::TkSkinManager* manager,
                        skin::TkCommonData* link);
  // Gives the control its painting back, unless the adapter frees all its
  // items outside a skin change.
  virtual ~TkaSpeedButtonHandler();
  TkaSpeedButtonHandler(const TkaSpeedButtonHandler&) = delete;
  TkaSpeedButtonHandler& operator=(const TkaSpeedButtonHandler&) = delete;
  virtual void WndProc(winshim::Msg& msg, const winshim::NextHandler& next);

  // 2 down or exclusive, 1 active, 0 normal.
  int ButtonState() const;
  // Where the glyph and the caption lie in the button.
  QRect GlyphRect(QSize glyph, QSize caption) const;
  QRect CaptionRect(QSize glyph, QSize caption, const QRect& glyphRect) const;
  QSize CaptionSize() const;
  void PrepareSpeedCache();

  QPointer<QWidget> Control;
  skin::TkSkinManager* Manager = nullptr;
  skin::TkCommonData* SkinLink = nullptr;
  bool Released = false;

 private:
  TXtSpeedButton* Button() const;
  void Repaint();
  void PaintSpeedButton(winshim::Dc* dc);
  winshim::HWND wnd_ = 0;
  int handlerId_ = 0;
};

}  // namespace kelmo::skinwnd
