// The fade of a caption button: a 12 ms timer that shows the button's hot,
// pressed or normal image through a small layered window above the owner,
// stepping the window's alpha, and AnimateTitleButton, which starts it.
// Ticks run on the window layer's clock (a manual clock in tests).
#pragma once

#include <QImage>
#include <memory>

#include "skin/skin_link.h"
#include "winshim/layered_window.h"
#include "winshim/win_types.h"
#include "winshim/window.h"

namespace kelmo::skinwnd {

class TkaBorderForm;
class TkaBorderOwner;
struct TitleBtnData;

class TkaSBAnimation {
 public:
  static constexpr int kInterval = 12;

  TkaSBAnimation(TkaBorderOwner& owner, TitleBtnData& button, int steps);
  // Timer off, fade window and image freed.
  ~TkaSBAnimation();
  TkaSBAnimation(const TkaSBAnimation&) = delete;
  TkaSBAnimation& operator=(const TkaSBAnimation&) = delete;

  TkaBorderForm* BorderForm = nullptr;
  skin::TkCommonData* SkinData = nullptr;
  winshim::HWND OwnerWnd = 0;
  TitleBtnData* Button = nullptr;
  int Counter = 0;
  int CurState = 0;  // 0 normal, 1 hot, 2 pressed, -1 finished
  bool FadingIn = false;
  int Steps = 0;
  std::unique_ptr<winshim::LayeredWindow> FadeForm;
  QImage FadeBmp;
  int LastAlpha = -1;  // the alpha last shown

  // 255 div Steps, 0 when that is not positive.
  int Step() const;
  void Start(int state, bool fadeIn);
  void Tick();
  bool Enabled() const { return token_ != 0; }
  void SetEnabled(bool on);
  // The fade window's screen rectangle.
  winshim::Rect FadeRect() const;
  int GlowMargin() const;
  void MakeImage();
  void Show(int alpha);
  // Drops the fade window and its image.
  void FreeFade();

 private:
  TkaBorderOwner& owner_;
  int token_ = 0;
};

// Starts or updates the fade of one caption button of the owner: state 1
// and 10 steps fade the hot image in, state 2 and 1 step show the pressed
// image at once, state 0 and 10 steps fade out.
void AnimateTitleButton(TitleBtnData& button, int state, int steps, TkaBorderOwner& owner,
                        bool fadeIn);

}  // namespace kelmo::skinwnd
