#include "skin/skin_link.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <vector>

#include "skin/glow.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_state.h"
#include "winshim/system_profile.h"

namespace kelmo::skin {
namespace ws = winshim;

namespace {

using KindRanges = std::vector<std::pair<int, int>>;

bool InSet(int kind, const KindRanges& ranges) {
  for (auto [lo, hi] : ranges)
    if (kind >= lo && kind <= hi) return true;
  return false;
}

bool WithoutHotLook(int k) {
  return InSet(k, {{19, 19}, {51, 74}, {110, 110}, {141, 161}});
}
bool WithoutGlow(int k) {
  return InSet(k, {{51, 52},
                   {54, 54},
                   {56, 60},
                   {68, 68},
                   {73, 74},
                   {110, 110},
                   {141, 141},
                   {143, 143},
                   {151, 151},
                   {161, 161},
                   {226, 226},
                   {92, 94}});
}

bool RedrawsOnHover(int k) {
  return InSet(k, {{2, 18}, {41, 41}, {76, 84}, {96, 97}, {131, 140}});
}

TColor OwnColor(const QWidget* w) {
  return w ? TColor(ws::FromQColor(w->palette().color(w->backgroundRole())))
           : TColor(ws::ColorToRGB(ws::clBtnFace));
}

}  // namespace

QString DefaultSectionOfKind(int k) {
  struct Entry {
    KindRanges kinds;
    const char* section;
  };
  static const Entry table[] = {
      {{{2, 8},
        {10, 10},
        {41, 41},
        {76, 76},
        {78, 78},
        {83, 84},
        {96, 97},
        {131, 131},
        {140, 140},
        {227, 227}},
       "EDIT"},
      {{{11, 18}, {81, 82}}, "COMBOBOX"},
      {{{19, 19}}, "BAR"},
      {{{20, 20}}, "BARTITLE"},
      {{{32, 32}, {152, 152}}, "CHECKBOX"},
      {{{33, 33}}, "RADIOBUTTON"},
      {{{51, 51}, {59, 59}, {68, 68}, {73, 73}}, "PANEL"},
      {{{52, 52}, {58, 58}}, "PANEL_LOW"},
      {{{53, 54}, {60, 60}}, "TOOLBAR"},
      {{{56, 56}}, "DRAGBAR"},
      {{{57, 57}}, "TABSHEET"},
      {{{74, 74}, {226, 226}}, "GROUPBOX"},
      {{{75, 75}}, "SPLITTER"},
      {{{92, 92}, {95, 95}}, "SPEEDBUTTON"},
      {{{93, 94}}, "BUTTON"},
      {{{98, 98}}, "TOOLBUTTON"},
      {{{141, 141}, {143, 143}}, "PAGECONTROL"},
      {{{151, 151}}, "STATUSBAR"},
      {{{161, 161}}, "GAUGE"},
      {{{165, 165}}, "TRACKBAR"},
  };
  for (const Entry& e : table)
    if (InSet(k, e.kinds)) return QLatin1String(e.section);
  return {};
}

TkCommonData::TkCommonData(QWidget* owner, bool makeCache) : owner_(owner) {
  if (makeCache) FCacheBmp = CreateBmp24(0, 0);
}

TkCommonData::~TkCommonData() {
  if (GlowIndex != -1) HideGlow(GlowIndex);
}

TkSkinManager* TkCommonData::GetSkinManager() const {
  return SkinManager ? SkinManager : TkSkinManager::Default();
}

bool TkCommonData::Skinned(bool checkActive) const {
  const TkSkinManager* m = GetSkinManager();
  if (!m || SkinIndex < 0 || m->Destroying || !owner_) return false;
  if (checkActive && !m->SkinData.SkinActive) return false;
  return m->IsValidSkinIndex(SkinIndex);
}

const TkGeneralData* TkCommonData::Section() const {
  const TkSkinManager* m = GetSkinManager();
  return m && m->IsValidSkinIndex(SkinIndex) ? &m->gd[std::size_t(SkinIndex)] : nullptr;
}

void TkCommonData::UpdateIndexes() {
  BGChanged = true;
  TkSkinManager* m = GetSkinManager();
  // The section's name in upper case, also when it was written directly.
  const QString name = SkinSection.toUpper();
  SkinIndex = m ? m->GetSkinIndex(name) : -1;
  UpdateBgFlags();
  ContainerFlags = 0;
  if (m && m->IsValidSkinIndex(SkinIndex)) {
    BorderIndex = m->GetMaskIndex(SkinIndex, name, QStringLiteral("BORDERSMASK"));
    Texture = m->GetTextureIndex(SkinIndex, name, QStringLiteral("PATTERN"));
    HotTexture = m->GetTextureIndex(SkinIndex, name, QStringLiteral("HOTPATTERN"));
    UpdateContainerFlag(false);
  } else {
    Texture = HotTexture = -1;
  }
}

void TkCommonData::UpdateBgFlags() {
  BgFlags = 0;
  const TkGeneralData* s = Section();
  if (!s) return;
  if (s->ImagePercent != 0) BgFlags |= 4;
  if (s->GradientPercent != 0 && !s->GradientArray.empty()) {
    static const int kinds[] = {2, 1, 3};
    const int mode = s->GradientArray.front().Mode;
    if (mode >= 0 && mode <= 2) BgFlags |= std::uint16_t(kinds[mode]);
  }
}

bool TkCommonData::HasComplexBg() const {
  const TkSkinManager* m = GetSkinManager();
  const TkGeneralData* s = Section();
  if (!m || !s) return false;
  if (m->IsValidImgIndex(BorderIndex)) {
    const TkMaskData& b = m->ma[std::size_t(BorderIndex)];
    if (b.WL + b.WR > 30 || b.WT + b.WB > 30) return true;
  }
  bool result = true;
  if (s->Transparency == 100) {
    if (!owner_ || !owner_->parentWidget()) return true;
    const auto flags = SkinCommandToControl(owner_->parentWidget(), scContainerFlag, 0);
    if ((flags & 1) == 0) return true;
    return false;
  }
  if (s->Transparency != 0) return true;
  if (s->ImagePercent != 0) return result;
  return s->GradientPercent != 0 ? result : false;
}

void TkCommonData::UpdateContainerFlag(bool withChildren) {
  ContainerFlags &= ~std::uint16_t(1);
  // Panels and scrolling containers whose background is a plain colour.
  const bool container =
      owner_ && (owner_->inherits("QScrollArea") || owner_->inherits("QGroupBox") ||
                 QLatin1String(owner_->metaObject()->className()) == QLatin1String("QFrame"));
  if (container && !HasComplexBg()) ContainerFlags |= 1;
  if (withChildren && owner_)
    for (QWidget* child : owner_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      SkinCommandToControl(child, scContainerFlag, 1);
}

void TkCommonData::SetSkinSection(const QString& name) {
  if (name == SkinSection) return;
  SkinSection = name.isEmpty() ? QStringLiteral("UNKNOWN") : name.toUpper();
  TkSkinManager* m = GetSkinManager();
  if (m && !m->gd.empty())
    UpdateIndexes();
  else
    SkinIndex = -1;
  if (owner_ && owner_->parentWidget()) {
    const bool skinned = m && !m->gd.empty() && m->IsValidSkinIndex(SkinIndex);
    SkinCommandToControl(owner_, skinned ? scRepaint : scRemoveSkin, ws::LPARAM(m));
  }
}

void TkCommonData::SetSkinManager(TkSkinManager* manager) {
  if (manager == SkinManager) return;
  SkinManager = manager == TkSkinManager::Default() ? nullptr : manager;
  if (manager && !manager->gd.empty())
    UpdateIndexes();
  else
    SkinIndex = -1;
  if (owner_ && owner_->parentWidget()) {
    const bool skinned = manager && !manager->gd.empty() && manager->IsValidSkinIndex(SkinIndex);
    try {
      SkinCommandToControl(owner_, skinned ? scRepaint : scRemoveSkin, ws::LPARAM(manager));
    } catch (...) {
      // An owner that fails to follow the change keeps its look.
    }
  }
}

void TkCommonData::ChooseDefaultSection() {
  if (!SkinSection.isEmpty()) {
    UpdateIndexes();
    return;
  }
  const QString section = DefaultSectionOfKind(CtrlSkinState);
  SetSkinSection(!section.isEmpty() ? section
                 : owner_           ? QString::fromLatin1(owner_->metaObject()->className())
                                    : QString());
}

void TkCommonData::Loaded() {
  ChooseDefaultSection();
}

bool TkCommonData::IsTransparent() const {
  const TkGeneralData* s = Section();
  return s && s->Transparency > 0;
}

bool TkCommonData::IsActive() const {
  if (!owner_ || !owner_->isEnabled()) return false;
  if (FocusMark || owner_->hasFocus()) return true;
  return HotTracked && !WithoutHotLook(CtrlSkinState);
}

bool TkCommonData::MustRepaint() const {
  return FormAnimating() || (ContainerFlags & 1) == 0 || IsActive();
}

bool TkCommonData::IsHot() const {
  if (!GetSkinManager()) return false;
  if (!MustRepaint()) return FHot;
  if (FHot) return true;
  if (!owner_) return false;
  if (!owner_->parentWidget()) return true;
  return SkinCommandToControl(owner_->parentWidget(), scIsHot, 0) != 0;
}

bool TkCommonData::RepaintNeeded() const {
  if (Suspended || !Skinned()) return true;
  if (!owner_ || !owner_->isVisible()) return true;
  const TkGeneralData* s = Section();
  if (!s) return false;
  const bool result = !owner_->isEnabled() || s->Transparency > 0;
  if (result && owner_->parentWidget() && ws::FindHandle(owner_->parentWidget()))
    return SkinCommandToControl(owner_->parentWidget(), scBgDepends, 0) != 0;
  return result;
}

void TkCommonData::Invalidate() {
  if (!owner_) return;
  BGChanged = true;
  if (owner_->parentWidget()) owner_->update();
}

void TkCommonData::UpdateGlow(bool hide) {
  TkSkinManager* m = GetSkinManager();
  const TkGeneralData* s = Section();
  if (!m || !m->AllowGlowing || !s || s->GlowCount <= 0 || !owner_) return;
  const bool pressed = (QGuiApplication::mouseButtons() & Qt::LeftButton) && owner_->underMouse();
  if (!HotTracked || pressed || (hide && GlowIndex != -1)) {
    if (GlowIndex != -1) HideGlow(GlowIndex);
    GlowIndex = -1;
    return;
  }
  if (!owner_->window()) return;
  const QPoint origin = owner_->mapToGlobal(QPoint(0, 0));
  const Rect r{origin.x(), origin.y(), origin.x() + owner_->width(), origin.y() + owner_->height()};
  const QRect visible = owner_->visibleRegion().boundingRect();
  const Rect v = visible.isEmpty() ? Rect{0, 0, owner_->width(), owner_->height()}
                                   : Rect{visible.left(), visible.top(), visible.right() + 1,
                                          visible.bottom() + 1};
  GlowIndex = ShowGlow(r, v, SkinSection, m, owner_, 255, s->GlowMargin, QStringLiteral("GLOW"));
}

TColor TkCommonData::BgColor(int state) const {
  if (!Skinned() || CustomColor) return OwnColor(owner_);
  const TkGeneralData& s = *Section();
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
    return TColor(ws::ColorToRGB(TColor(SendSkinCommand(
        control, scGetBgColor, reinterpret_cast<void*>(std::uintptr_t(kTransparentKey))))));
  return OwnColor(control);
}

namespace {

// The answer to command 21: the section's colour mixed with the parent's
// by the transparency, t% of the parent's colour.
TColor AnswerBgColor(const TkCommonData& link) {
  QWidget* owner = link.Owner();
  if (!link.Skinned()) return OwnColor(owner);
  const TkGeneralData& s = *link.Section();
  if (s.Transparency == 0) return s.Color;
  QWidget* parent = owner->parentWidget();
  TColor p = parent ? TColor(SkinCommandToControl(parent, scGetBgColor, kTransparentKey))
                    : OwnColor(owner);
  if (s.Transparency == 100) return p == kTransparentKey ? OwnColor(parent) : p;
  if (p == kTransparentKey || !parent) p = OwnColor(parent ? parent : owner);
  const int t = s.Transparency;
  TColor out = p & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const int pc = int((p >> shift) & 0xFF), cc = int((s.Color >> shift) & 0xFF);
    out |= TColor(ClampByte(cc + t * (pc - cc) / 100)) << shift;
  }
  return out;
}

// The answer to command 34: a plain colour, the question passed to the
// parent for a fully transparent section with a thin border, or the
// cache picture of a section with a gradient or an image.
void AnswerBgInfo(TkCommonData& link, TParentBgInfo& info) {
  QWidget* owner = link.Owner();
  const TkSkinManager* m = link.GetSkinManager();
  if (!link.Skinned() || link.CustomColor) {
    info.Ready = 1;
    info.Color = OwnColor(owner);
    return;
  }
  const TkGeneralData& s = *link.Section();
  const bool cache = !link.FCacheBmp.isNull();
  if (s.Transparency == 100) {
    bool thin = true;
    if (m->IsValidImgIndex(link.BorderIndex)) {
      const TkMaskData& b = m->ma[std::size_t(link.BorderIndex)];
      thin = b.WL + b.WR <= 24 && b.WT + b.WB < 25;
    }
    QWidget* parent = owner ? owner->parentWidget() : nullptr;
    if (thin && parent) {
      GetControlBgInfo(info, parent, info.PaintFlag);
      if (info.Ready == 2) {
        info.X += owner->x();
        info.Y += owner->y();
      }
      return;
    }
    if (thin || !cache) {
      info.Ready = 1;
      info.Color = parent ? GetBgColorOf(parent) : m->GetGlobalColor();
      return;
    }
  }
  if (s.Transparency > 0 && s.Transparency < 100 && !cache) {
    info.Ready = 1;
    info.Color = kTransparentKey;
    return;
  }
  if (s.Transparency == 0 && s.GradientPercent <= 0 && s.ImagePercent <= 0) {
    info.Ready = 1;
    info.Bitmap = cache ? &link.FCacheBmp : nullptr;
    info.Color = link.BgColor(0);
    return;
  }
  if (!cache) {
    info.Ready = 1;
    info.Color = kTransparentKey;
    return;
  }
  info.Ready = 2;
  info.Bitmap = &link.FCacheBmp;
  info.X = info.Y = 0;
}

void PropagateStale(TkCommonData& link, int low) {
  const bool needed = link.RepaintNeeded();
  link.BGChanged = link.BGChanged || needed;
  QWidget* owner = link.Owner();
  if (!owner) return;
  if (low == 1) owner->update();
  if (needed)
    for (QWidget* child : owner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      SkinCommandToControl(child, scPropagateStale, 0, 0);
}

}  // namespace

bool HandleSkinCommand(ws::Msg& msg, TkCommonData* link) {
  if (!link) return false;
  const int command = ws::HiWord(msg.wParam), low = ws::LoWord(msg.wParam);
  auto answer = [&](ws::LRESULT r) {
    msg.result = r;
    return true;
  };
  const bool ours = reinterpret_cast<TkSkinManager*>(msg.lParam) == link->GetSkinManager();
  QWidget* owner = link->Owner();
  switch (command) {
    case scNewSkin:
      if (!ours) return false;
      link->UpdateIndexes();
      link->UpdateContainerFlag(false);
      SetSkinIsChanging(false);
      return false;
    case scRemoveSkin:
      if (!ours) return false;
      if (link->SkinManager && link->SkinManager->Destroying) link->SkinManager = nullptr;
      link->BorderIndex = link->SkinIndex = link->Texture = link->HotTexture = -1;
      link->FHot = true;
      if (!link->FCacheBmp.isNull()) link->FCacheBmp = CreateBmp24(0, 0);
      if (owner) owner->update();
      return false;
    case scRepaint:
      if (!ours) return false;
      link->BGChanged = true;
      link->FHot = false;
      link->UpdateContainerFlag(false);
      return false;
    case scIsSkinned:
      return answer(1);
    case scSetHot:
      link->FHot = low == 1;
      return false;
    case scSuspendPaint:
      link->Suspended = low == 1;
      return false;
    case scIsHot:
      return answer(link->BGChanged || link->FHot ? 1 : 0);
    case scHalfVisibleQuery:
      return answer(link->HalfVisible ? 1 : 0);
    case scResetRepaint:
      if (link->IsTransparent() && low == 1) link->BGChanged = true;
      return false;
    case scSectionChanged:
      if (link->SkinSection.toUpper() == ChangedSectionName()) {
        SetSkinIsChanging(false);
        link->Invalidate();
      }
      return false;
    case scInvalidateStale:
      link->BGChanged = true;
      return false;
    case scBgDepends: {
      const TkGeneralData* s = link->Section();
      if (!s) return false;
      if (s->Transparency == 100 && owner && owner->parentWidget())
        return answer(SkinCommandToControl(owner->parentWidget(), scBgDepends, 0));
      return answer(s->GradientPercent + s->ImagePercent > 0 || link->RepaintNeeded() ? 1 : 0);
    }
    case scPropagateStale:
      PropagateStale(*link, low);
      return false;
    case scGetBgColor:
      if (!owner) return false;
      return answer(ws::LRESULT(AnswerBgColor(*link)));
    case scMarkHalfVisible:
      link->HalfVisible = true;
      return false;
    case scGetSectionIndex:
      return answer(link->SkinIndex + 1);
    case scGetBgInfo:
      if (auto* info = reinterpret_cast<TParentBgInfo*>(msg.lParam)) AnswerBgInfo(*link, *info);
      return false;
    case scContainerFlag:
      if (msg.lParam == 1) {
        link->UpdateContainerFlag(true);
        return answer(0);
      }
      return answer(link->ContainerFlags);
    case scGetApplication:
      // The application object, for modules that cannot reach it otherwise.
      msg.result = ws::LRESULT(QCoreApplication::instance());
      return false;
    default:
      return false;
  }
}

ws::LRESULT HandleCommonMessage(ws::Msg& msg, TkCommonData* link) {
  if (!link) return 0;
  if (msg.msg == SM_SKINCMD) return HandleSkinCommand(msg, link) ? 1 : 0;
  QWidget* owner = link->Owner();
  auto hideGlow = [&] {
    if (link->GlowIndex != -1) HideGlow(link->GlowIndex);
    link->GlowIndex = -1;
  };
  switch (msg.msg) {
    case ws::WM_MOVE:
      if (link->RepaintNeeded()) {
        link->BGChanged = true;
        SkinCommandToControl(owner, scPropagateStale, 0, 1);
      }
      hideGlow();
      break;
    case ws::WM_SIZE:
      if (link->Skinned()) link->BGChanged = true;
      hideGlow();
      break;
    case ws::WM_SETFOCUS:
    case ws::WM_KILLFOCUS:
      if (owner && owner->focusPolicy() != Qt::NoFocus) {
        link->BGChanged = true;
        link->FocusMark = msg.msg == ws::WM_SETFOCUS;
      }
      break;
    case ws::CM_ENABLEDCHANGED:
      link->HotTracked = link->FocusMark = false;
      if (owner && !owner->isEnabled()) hideGlow();
      break;
    case ws::CM_MOUSEENTER:
      if (!WithoutHotLook(link->CtrlSkinState)) link->HotTracked = true;
      if (TkSkinManager* d = TkSkinManager::Default(); d && owner) {
        if (d->Component) d->Component->SetActiveControl(ws::HandleOf(owner));
        if (!WithoutGlow(link->CtrlSkinState)) link->UpdateGlow(false);
        if (RedrawsOnHover(link->CtrlSkinState)) {
          link->BGChanged = true;
          owner->update();
        }
      }
      break;
    case ws::CM_MOUSELEAVE:
      if (!WithoutHotLook(link->CtrlSkinState)) link->HotTracked = false;
      if (!WithoutGlow(link->CtrlSkinState)) ClearGlows();
      if (owner && owner->isVisible() && RedrawsOnHover(link->CtrlSkinState)) {
        link->BGChanged = true;
        owner->update();
      }
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace kelmo::skin
