// Glows: a soft halo around a hot control or title button, shown as a
// borderless, mouse-transparent layered window over the screen around the
// control's rect, painting the section's glow mask with per-pixel alpha.
// Each shown glow lives in a process-wide list; callers keep its index and
// hide it by that index. Freed entries keep their place, so indexes stay
// valid until ClearGlows. Main thread only.
#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

#include "skin/skin_data.h"
#include "winshim/layered_window.h"

class QWidget;

namespace kelmo::skin {

class TkaGlowEffect {
 public:
  TkaGlowEffect(TkSkinManager* manager, int maskIndex, int margin);
  ~TkaGlowEffect();
  TkaGlowEffect(const TkaGlowEffect&) = delete;
  TkaGlowEffect& operator=(const TkaGlowEffect&) = delete;

  // A 32-bit picture of the size, cleared to 0 and painted with the glow
  // mask in nine parts.
  void CreateAlphaBmp(int width, int height);
  // Shows the glow around the control's screen rect r, of which v (in the
  // control's own coordinates) is visible; does nothing the second time.
  void Show(const Rect& r, const Rect& v, bool topmost);

  winshim::LayeredWindow* Window() const { return window_.get(); }
  const QImage& Picture() const { return picture_; }

 private:
  TkSkinManager* manager_;
  int maskIndex_;
  int margin_;
  QImage picture_;
  std::unique_ptr<winshim::LayeredWindow> window_;
};

// Shows a glow: the mask is the section's property followed by "0" (a
// control passes "GLOW": its GLOW0). Returns the glow's index, or -1 when
// layered windows are missing or the section has no such mask.
int ShowGlow(const Rect& r, const Rect& v, const QString& section, TkSkinManager* manager,
             const QWidget* owner, int opacity, int margin, const QString& property);
void HideGlow(int index);
void ClearGlows();
// The list itself, for the skin manager and for tests.
std::vector<std::unique_ptr<TkaGlowEffect>>& TkaGlowEffects();

}  // namespace kelmo::skin
