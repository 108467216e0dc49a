// The caption buttons of a skinned form or dialog: the record of one
// button's state and place (TitleBtnData), the provider's caption icon
// (TkTitleIcon) and the user-defined caption buttons (TkTitleButtons of
// TkTitleButton items). A button record owns its fade animation.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "skinwnd/title_fade.h"
#include "winshim/win_types.h"

class QWidget;

namespace kelmo::skinwnd {

// One caption button: its state (0 normal, 1 hot, 2 pressed), its image
// (a mask index, -1 none), its place in the owner's cache bitmap, whether
// it is a big-icon button that may follow BIVALIGN, its glow (-1 none),
// its fade animation (none while it does not fade) and its hit code (8, 9,
// 20, 21, 101..103, or 1000 + index for a user button).
struct TitleBtnData {
  int State = 0;
  int ImageIndex = -1;
  winshim::Rect Rect{};
  bool TopAligned = false;
  int GlowIndex = -1;
  std::unique_ptr<TkaSBAnimation> Timer;
  int HitCode = 0;
};

// The provider's own caption icon.
struct TkTitleIcon {
  QImage Glyph;
  int Height = 0;
  int Width = 0;
};

class TkTitleButtons;

// A user-defined caption button of a form provider.
class TkTitleButton {
 public:
  // Mouse events: the button, the mouse button (1 left), the shift keys
  // and the point.
  using TMouseEvent =
      std::function<void(TkTitleButton& sender, int button, int shift, int x, int y)>;

  explicit TkTitleButton(TkTitleButtons* collection);
  ~TkTitleButton();
  TkTitleButton(const TkTitleButton&) = delete;
  TkTitleButton& operator=(const TkTitleButton&) = delete;

  bool UseSkinData = true;  // the background is GLOBALINFO's TITLEBUTTON
  QString Name;
  QImage Glyph;
  TMouseEvent OnMouseUp, OnMouseDown;
  bool Enabled = true;
  QString Hint;
  std::unique_ptr<QWidget> HintWnd;
  TitleBtnData BtnData;

  int Index() const;
  QString DisplayName() const { return Name; }
  void MouseDown(int button, int shift, int x, int y);
  void MouseUp(int button, int shift, int x, int y);
  // Copies the streamed properties into dest; a null dest raises.
  void AssignTo(TkTitleButton* dest) const;
  // The hint near the cursor (a hint window shown without activation);
  // nothing for an empty hint.
  void ShowHintWnd();
  void HideHintWnd();

 private:
  TkTitleButtons* collection_;
};

class TkTitleButtons {
 public:
  explicit TkTitleButtons(QObject* owner = nullptr) : FOwner(owner) {}
  QObject* FOwner;  // the provider
  QObject* GetOwner() const { return FOwner; }

  int Count() const { return int(items_.size()); }
  // nullptr outside 0..Count-1.
  TkTitleButton* Items(int index) const;
  // A new button at the end; an empty name becomes "TkTitleButton".
  TkTitleButton& Add(const QString& name = QString());
  void Clear() { items_.clear(); }
  // Replaces the buttons by copies of the other collection's.
  void Assign(const TkTitleButtons& other);
  int IndexOf(const TkTitleButton* button) const;
  // Only the inherited update: nothing is repainted.
  void Update() {}

 private:
  std::vector<std::unique_ptr<TkTitleButton>> items_;
};

}  // namespace kelmo::skinwnd
