#include "skin/glow.h"

#include <QWidget>

#include "skin/mask_painting.h"
#include "skin/paint_primitives.h"

namespace kelmo::skin {

TkaGlowEffect::TkaGlowEffect(TkSkinManager* manager, int maskIndex, int margin)
    : manager_(manager), maskIndex_(maskIndex), margin_(margin) {}

TkaGlowEffect::~TkaGlowEffect() {
  if (window_) window_->hide();
}

void TkaGlowEffect::CreateAlphaBmp(int width, int height) {
  picture_ = CreateBmp32(std::max(width, 0), std::max(height, 0));
  if (maskIndex_ >= 0 && manager_ && manager_->IsValidImgIndex(maskIndex_))
    PaintMask(picture_, {0, 0, picture_.width(), picture_.height()}, 0,
              manager_->ma[std::size_t(maskIndex_)], kEmptyBgSource, false, true);
}

void TkaGlowEffect::Show(const Rect& r, const Rect& v, bool topmost) {
  if (window_ || !manager_) return;
  window_ = std::make_unique<winshim::LayeredWindow>(topmost);
  const int L = manager_->MaskWidthLeft(maskIndex_), T = manager_->MaskWidthTop(maskIndex_);
  const int Rt = manager_->MaskWidthRight(maskIndex_), B = manager_->MaskWidthBottom(maskIndex_);
  int W = r.Width() + L + Rt - 2 * margin_;
  int H = r.Height() + T + B - 2 * margin_;
  CreateAlphaBmp(W, H);
  // Cut the parts around the hidden part of a control.
  int cl = 0, ct = 0, cr = 0, cb = 0;
  if (v.Width() != r.Width() || v.Height() != r.Height()) {
    const int vw = v.Width(), vh = v.Height();
    cl = v.left != 0 ? L + v.left - margin_ : 0;
    ct = v.top != 0 ? T + v.top - margin_ : 0;
    cr = r.Width() == v.right ? 0 : (cl != 0 ? W - cl - vw : r.Width() + Rt - vw - margin_);
    cb = r.Height() == v.bottom ? 0 : (ct != 0 ? H - ct - vh : r.Height() + B - vh - margin_);
    W -= cl + cr;
    H -= ct + cb;
    if (cl != 0 || ct != 0) picture_ = picture_.copy(cl, ct, std::max(W, 0), std::max(H, 0));
  }
  const QPoint at(r.left + margin_ + cl - L, r.top + margin_ + ct - T);
  QImage shown = picture_.copy(0, 0, std::max(W, 0), std::max(H, 0));
  // The layered window takes premultiplied pixels with their own alpha.
  winshim::UpdateLayeredWindow(window_.get(), at,
                               shown.convertToFormat(QImage::Format_ARGB32_Premultiplied), 255);
  picture_ = shown;
}

std::vector<std::unique_ptr<TkaGlowEffect>>& TkaGlowEffects() {
  static std::vector<std::unique_ptr<TkaGlowEffect>> list;
  return list;
}

int ShowGlow(const Rect& r, const Rect& v, const QString& section, TkSkinManager* manager,
             const QWidget* owner, int, int margin, const QString& property) {
  if (!LayeredWindowsAvailable()) return -1;
  TkSkinManager* m = manager ? manager : TkSkinManager::Default();
  if (!m) return -1;
  const int mask = m->GetMaskIndexExact(0, section, property + QLatin1Char('0'));
  if (mask < 0) return -1;
  auto effect = std::make_unique<TkaGlowEffect>(m, mask, margin);
  const bool topmost =
      owner && owner->window() && (owner->window()->windowFlags() & Qt::WindowStaysOnTopHint);
  TkaGlowEffect* shown = effect.get();
  TkaGlowEffects().push_back(std::move(effect));
  shown->Show(r, v, topmost);
  return int(TkaGlowEffects().size()) - 1;
}

void HideGlow(int index) {
  auto& list = TkaGlowEffects();
  if (index >= 0 && index < int(list.size())) list[std::size_t(index)].reset();
}

void ClearGlows() {
  TkaGlowEffects().clear();
}

}  // namespace kelmo::skin
