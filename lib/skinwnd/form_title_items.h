// The form provider's title-button records, its custom caption icon and
// its user title buttons: what the frame painting lays out and the hit
// test finds.
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "skinwnd/form_satellites.h"
#include "winshim/win_types.h"

namespace kelmo::skinwnd {

// One caption button: its state (0 normal, 1 hot, 2 pressed), its image
// (a mask index, -1 none), its place in the frame cache, whether it is a
// big button that follows BIVALIGN, its glow (-1 none), its fade and its
// hit code.
struct TitleBtnData {
  int State = 0;
  int ImageIndex = -1;
  winshim::Rect Rect;
  bool TopAligned = false;
  int GlowIndex = -1;
  std::unique_ptr<TkButtonFadeIntf> Timer;
  int HitCode = 0;
};

// The provider's own caption icon (empty glyph: the form's icon).
struct TkTitleIcon {
  QImage Glyph;
  int Width = 0;
  int Height = 0;
};

// A user button of the caption. Its hit code is 1000 + its index.
struct TkTitleButton {
  using MouseEvent = std::function<void(TkTitleButton& sender, QPoint point)>;
  bool UseSkinData = true;
  QString Name = QStringLiteral("TkTitleButton");
  QImage Glyph;
  MouseEvent OnMouseUp, OnMouseDown;
  bool Enabled = true;
  QString Hint;
  TitleBtnData Data;

  void MouseDown(QPoint p) {
    if (OnMouseDown) OnMouseDown(*this, p);
  }
  void MouseUp(QPoint p) {
    if (OnMouseUp) OnMouseUp(*this, p);
  }
};

// The provider's user title buttons, in order.
using TkTitleButtons = std::vector<std::unique_ptr<TkTitleButton>>;

}  // namespace kelmo::skinwnd
