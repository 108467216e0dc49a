#include "skin/skin_link.h"

#include "skin/skin_messages.h"
#include "winshim/system_profile.h"

namespace kelmo::skin {

TkCommonData::TkCommonData(QWidget* owner, bool makeCache) : owner_(owner) {
  if (makeCache) FCacheBmp = CreateBmp24(1, 1);
}

TkSkinManager* TkCommonData::GetSkinManager() const {
  return SkinManager ? SkinManager : TkSkinManager::Default();
}

void TkCommonData::UpdateIndexes() {
  TkSkinManager* m = GetSkinManager();
  if (!m) {
    SkinIndex = BorderIndex = Texture = HotTexture = -1;
    return;
  }
  const QString name = SkinSection.toUpper();
  SkinIndex = m->GetSkinIndex(name);
  BorderIndex = m->GetMaskIndex(SkinIndex, name, QStringLiteral("BORDERSMASK"));
  Texture = m->GetTextureIndex(SkinIndex, name, QStringLiteral("PATTERN"));
  HotTexture = m->GetTextureIndex(SkinIndex, name, QStringLiteral("HOTPATTERN"));
}

bool TkCommonData::Skinned(bool checkActive) const {
  const TkSkinManager* m = GetSkinManager();
  if (!m || SkinIndex < 0 || m->Destroying || !owner_) return false;
  if (checkActive && !m->Active) return false;
  return m->IsValidSkinIndex(SkinIndex);
}

TColor TkCommonData::BgColor(int state) const {
  if (!Skinned() || CustomColor) {
    return owner_ ? TColor(winshim::FromQColor(owner_->palette().color(owner_->backgroundRole())))
                  : TColor(winshim::ColorToRGB(winshim::clBtnFace));
  }
  const TkGeneralData& s = GetSkinManager()->gd[std::size_t(SkinIndex)];
  const TColor color = state == 0 ? s.Color : s.HotColor;
  const int transparency = state == 0 ? s.Transparency : s.HotTransparency;
  if (transparency == 0) return color;
  const TColor parent = GetBgColorOf(owner_ ? owner_->parentWidget() : nullptr);
  if (transparency == 100) return parent;
  return MixColors(parent, color, transparency / 100.0);
}

void TkCommonData::InitCacheBmp() {
  const QSize size = owner_ ? owner_->size() : QSize(1, 1);
  if (FCacheBmp.size() != size || FCacheBmp.format() != QImage::Format_BGR888)
    FCacheBmp = CreateBmp24(size.width(), size.height());
}

TBgSource TkCommonData::GetParentBg(TParentBgInfo& info) const {
  QWidget* parent = owner_ ? owner_->parentWidget() : nullptr;
  if (Skinned() && parent) {
    info.PaintFlag = false;
    GetControlBgInfo(info, parent, false);
    TBgSource s = BgInfoToSource(info);
    if (s.HasBitmap) {
      s.X += owner_->x();
      s.Y += owner_->y();
    }
    return s;
  }
  return {nullptr, 0, 0, BgColor(0), false};
}

TColor GetBgColorOf(QWidget* control) {
  if (!control) return kTransparentKey;
  if (SendSkinCommand(control, scIsSkinned, nullptr) == 1)
    return TColor(winshim::ColorToRGB(TColor(SendSkinCommand(control, scGetBgColor, nullptr))));
  return TColor(winshim::FromQColor(control->palette().color(control->backgroundRole())));
}

}  // namespace kelmo::skin
