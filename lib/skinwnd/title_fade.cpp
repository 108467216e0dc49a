#include "skinwnd/title_fade.h"

#include <QPainter>
#include <algorithm>

#include "skin/mask_painting.h"
#include "skin/paint_primitives.h"
#include "skinwnd/border_form.h"
#include "skinwnd/border_owner.h"
#include "skinwnd/title_buttons.h"
#include "winshim/non_client.h"
#include "winshim/timers.h"

namespace kelmo::skinwnd {

namespace ws = kelmo::winshim;
using namespace kelmo::skin;

namespace {

bool GlowingCode(int code) {
  return code == 8 || code == 9 || code == 20;
}

// The GLOBALINFO mask of the button's glow: its image's property name
// followed by "GLOW"; -1 when the skin has none.
int GlowMaskOf(const TkSkinManager* manager, const TitleBtnData& button) {
  if (!manager || !manager->IsValidImgIndex(button.ImageIndex)) return -1;
  const int global = manager->ConstData.IndexGlobalInfo;
  if (!manager->IsValidSkinIndex(global)) return -1;
  const QString property = manager->ma[std::size_t(button.ImageIndex)].PropertyName;
  return manager->GetMaskIndexExact(global, QStringLiteral("GLOBALINFO"),
                                    property + QStringLiteral("GLOW"));
}

}  // namespace

int TkaBorderOwner::OwnerCacheWidth() const {
  const TkCommonData* link = OwnerLink();
  return link ? link->FCacheBmp.width() : 0;
}

TkaSBAnimation::TkaSBAnimation(TkaBorderOwner& owner, TitleBtnData& button, int steps)
    : BorderForm(owner.OwnerBorderForm()),
      SkinData(owner.OwnerLink()),
      OwnerWnd(owner.OwnerHandle()),
      Button(&button),
      Steps(steps),
      owner_(owner) {}

TkaSBAnimation::~TkaSBAnimation() {
  SetEnabled(false);
  FreeFade();
}

int TkaSBAnimation::Step() const {
  const int step = Steps > 0 ? 255 / Steps : 0;
  return step > 0 ? step : 0;
}

void TkaSBAnimation::SetEnabled(bool on) {
  if (on == Enabled()) return;
  if (on) {
    token_ = ws::CurrentClock().Start(kInterval, [this] { Tick(); });
  } else {
    ws::CurrentClock().Stop(token_);
    token_ = 0;
  }
}

void TkaSBAnimation::FreeFade() {
  FadeForm.reset();
  FadeBmp = QImage();
}

void TkaSBAnimation::Start(int state, bool fadeIn) {
  if (state == CurState) return;
  CurState = state;
  if (state == 1 || state == 2) {
    if (state == 2) FreeFade();
    Counter = 1;
    FadingIn = fadeIn;
    Show(std::min(Step(), 255));
    Counter = 2;
  } else {
    FadingIn = false;
    --Counter;
    Show(std::min(Step(), 255));
  }
  if (Steps > 1) SetEnabled(true);
}

void TkaSBAnimation::Tick() {
  if (FadingIn) {
    if (Counter < Steps) {
      Show(ClampByte(Step() * Counter));
      ++Counter;
      return;
    }
    if (Steps != -1) {
      Steps = -1;
      Show(255);
    }
    // A hot button keeps watching until the cursor leaves it.
    Rect r = FadeRect();
    if (Button) {
      const Rect frame =
          BorderForm ? ws::GetWindowRect(BorderForm->Handle()) : ws::GetWindowRect(OwnerWnd);
      r = {frame.left + Button->Rect.left, frame.top + Button->Rect.top,
           frame.left + Button->Rect.right, frame.top + Button->Rect.bottom};
    }
    const QPoint cursor = ws::GetCursorPos();
    if (!(cursor.x() >= r.left && cursor.x() < r.right && cursor.y() >= r.top &&
          cursor.y() < r.bottom)) {
      SetEnabled(false);
      ws::SendMessage(OwnerWnd, ws::WM_MOUSELEAVE, 0, 0);
    }
    return;
  }
  if (Counter > 0) {
    Show(ClampByte(Step() * Counter));
    --Counter;
    return;
  }
  CurState = -1;
  SetEnabled(false);
  Show(0);
  FreeFade();
}

int TkaSBAnimation::GlowMargin() const {
  TkSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
  if (!manager || !manager->AllowGlowing || CurState != 1 || !Button) return 0;
  switch (Button->HitCode) {
    case 8:
      return manager->SkinData.MinBtnGlowMargin;
    case 9:
      return manager->SkinData.MaxBtnGlowMargin;
    case 20:
      return manager->SkinData.CloseBtnGlowMargin;
    default:
      return 0;
  }
}

Rect TkaSBAnimation::FadeRect() const {
  if (!Button) return {};
  const Rect frame =
      BorderForm ? ws::GetWindowRect(BorderForm->Handle()) : ws::GetWindowRect(OwnerWnd);
  Rect r{frame.left + Button->Rect.left, frame.top + Button->Rect.top, 0, 0};
  const int margin = GlowMargin();
  TkSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
  const int glow = margin > 0 ? GlowMaskOf(manager, *Button) : -1;
  if (glow >= 0) {
    r.left -= margin;
    r.top -= margin;
    const QSize size = manager->GetMaskSize(glow);
    r.right = r.left + size.width();
    r.bottom = r.top + size.height();
  } else {
    r.right = r.left + Button->Rect.Width();
    r.bottom = r.top + Button->Rect.Height();
  }
  return r;
}

void TkaSBAnimation::MakeImage() {
  if (CurState == 0 && !FadeBmp.isNull()) return;
  if (!Button) return;
  const Rect fade = FadeRect();
  TkSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
  const int glow = GlowMargin() > 0 && GlowingCode(Button->HitCode) && manager->AllowGlowing
                       ? GlowMaskOf(manager, *Button)
                       : -1;
  if (glow >= 0 && manager->ma[std::size_t(glow)].Bmp) {
    FadeBmp = manager->ma[std::size_t(glow)]
                  .Bmp->convertToFormat(QImage::Format_ARGB32)
                  .copy(0, 0, fade.Width(), fade.Height());
    return;
  }
  // The background under the button, from the owner's cache (or from the
  // copy of the caption's right end the provider keeps).
  QImage picture = CreateBmp24(std::max(1, fade.Width()), std::max(1, fade.Height()));
  QImage alpha;
  const QImage* source = SkinData ? &SkinData->FCacheBmp : nullptr;
  int sx = Button->Rect.left;
  if (const QImage* bg = owner_.OwnerButtonsBg(); bg && !bg->isNull()) {
    source = bg;
    sx = Button->Rect.left + bg->width() - owner_.OwnerCacheWidth() + 1;
  }
  if (source && !source->isNull()) {
    const QImage part = source->copy(sx, Button->Rect.top, picture.width(), picture.height());
    QPainter p(&picture);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, part.convertToFormat(QImage::Format_RGB32));
    if (part.hasAlphaChannel()) alpha = part.convertToFormat(QImage::Format_ARGB32);
  }
  if (manager && manager->IsValidImgIndex(Button->ImageIndex)) {
    const TBgSource bg{&picture, 0, 0, kTransparentKey, true};
    PaintMaskImage(picture, {0, 0}, Button->State, manager->ma[std::size_t(Button->ImageIndex)], bg,
                   1);
  }
  // A user button's glyph, centred, one pixel lower and to the right while
  // pressed.
  if (Button->HitCode >= 1000) {
    const int index = Button->HitCode - 1000;
    if (index < owner_.OwnerUserButtonCount())
      if (TkTitleButton* user = owner_.OwnerUserButton(index); user && !user->Glyph.isNull()) {
        const QImage& glyph = user->Glyph;
        const int shift = Button->State == 2 ? 1 : 0;
        const int x = (picture.width() - glyph.width()) / 2 + shift;
        const int y = (picture.height() - glyph.height()) / 2 + shift;
        if (glyph.hasAlphaChannel()) {
          const TBgSource none{nullptr, 0, 0, kTransparentKey, false};
          CopyMaskedRect({x, y, x + glyph.width() - 1, y + glyph.height() - 1},
                         {0, 0, glyph.width() - 1, glyph.height() - 1}, picture, false, none,
                         glyph.convertToFormat(QImage::Format_ARGB32));
        } else {
          const QImage glyph24 = glyph.convertToFormat(QImage::Format_BGR888);
          const QRgb key = glyph24.pixel(0, glyph24.height() - 1);
          CopyBmpWithKey(picture, glyph24, x,
                         TColor(qRed(key) | qGreen(key) << 8 | qBlue(key) << 16), y);
        }
      }
  }
  FadeBmp = picture.convertToFormat(QImage::Format_ARGB32);
  // Without a border window the button is opaque; with one it keeps the
  // frame picture's alpha.
  if (BorderForm && !alpha.isNull())
    for (int y = 0; y < FadeBmp.height() && y < alpha.height(); ++y) {
      auto* to = reinterpret_cast<QRgb*>(FadeBmp.scanLine(y));
      const auto* from = reinterpret_cast<const QRgb*>(alpha.constScanLine(y));
      for (int x = 0; x < FadeBmp.width() && x < alpha.width(); ++x)
        to[x] = (to[x] & 0x00FFFFFFu) | (from[x] & 0xFF000000u);
    }
}

void TkaSBAnimation::Show(int alpha) {
  if (FadeBmp.isNull()) MakeImage();
  if (FadeBmp.isNull()) return;
  if (!FadeForm) FadeForm = std::make_unique<ws::LayeredWindow>();
  Rect r = FadeRect();
  if (r.Width() != FadeBmp.width()) {
    const int dx = (r.Width() - FadeBmp.width()) / 2;
    const int dy = (r.Height() - FadeBmp.height()) / 2;
    r = {r.left + dx, r.top + dy, r.left + dx + FadeBmp.width(), r.top + dy + FadeBmp.height()};
  }
  LastAlpha = alpha;
  ws::UpdateLayeredWindow(FadeForm.get(), QPoint(r.left, r.top), FadeBmp, alpha);
}

void AnimateTitleButton(TitleBtnData& button, int state, int steps, TkaBorderOwner& owner,
                        bool fadeIn) {
  if (TkaSBAnimation* anim = button.Timer.get()) {
    if (fadeIn) anim->CurState = state;
    anim->Steps = steps;
    anim->FadingIn = fadeIn;
    anim->SetEnabled(true);
    if (state == 2) {
      anim->Counter = steps;
      anim->FreeFade();
      anim->Show(ClampByte(anim->Step() * anim->Counter));
    }
    return;
  }
  button.Timer = std::make_unique<TkaSBAnimation>(owner, button, steps);
  button.Timer->Start(state, true);
}

}  // namespace kelmo::skinwnd
