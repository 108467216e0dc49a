#include "skin/skin_data.h"

#include "winshim/system_profile.h"

namespace kelmo::skin {
namespace {
TkSkinManager* g_default = nullptr;
}

const std::array<const char*, kThirdPartyCount> kThirdPartyNames = {
    "Edit",        "Button",      "BitBtn",     "CheckBox", "ComboBox",  "Grid",
    "GroupBox",    "ListView",    "Panel",      "TreeView", "wwEdit",    "GridEh",
    "VirtualTree", "PageControl", "TabControl", "ToolBar",  "StatusBar", "SpeedButton"};
const std::array<const char*, kThirdPartyCount> kThirdPartyDefaults = {
    " ", "TButton", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " "};

int MaskImageWidth(const TkMaskData& m) {
  return m.ImageCount == 0 ? 0 : m.R.Width() / m.ImageCount;
}

int MaskImageHeight(const TkMaskData& m) {
  return m.MaskType == -1 ? 0 : m.R.Height() / (m.MaskType + 1);
}

void SetDefaultMargins(TkMaskData& m) {
  const int w = m.ImageCount > 0 ? m.R.Width() / (m.ImageCount * 3) : 0;
  const int h = m.MaskType >= 0 ? m.R.Height() / ((m.MaskType + 1) * 3) : 0;
  m.WL = m.WR = std::int16_t(w);
  m.WT = m.WB = std::int16_t(h);
}

TkSkinManager::TkSkinManager() {
  if (!g_default) g_default = this;
}

TkSkinManager::~TkSkinManager() {
  Destroying = true;
  if (g_default == this) g_default = nullptr;
}

TkSkinManager* TkSkinManager::Default() {
  return g_default;
}

void TkSkinManager::SetDefault(TkSkinManager* manager) {
  g_default = manager;
}

int TkSkinManager::GetSkinIndex(const QString& name) const {
  for (std::size_t i = 0; i < gd.size(); ++i)
    if (gd[i].ClassName == name) return int(i);
  return -1;
}

template <typename Match>
int TkSkinManager::FindUpChain(int skinIndex, const QString& section, const QString& property,
                               Match&& match) const {
  if (skinIndex < 0 || section.isEmpty()) return -1;
  QString name = section;
  int index = skinIndex;
  // Each section is visited once, so a chain that loops ends.
  std::vector<bool> seen(gd.size(), false);
  for (;;) {
    const int found = match(name, property);
    if (found >= 0) return found;
    if (!IsValidSkinIndex(index) || seen[std::size_t(index)]) return -1;
    seen[std::size_t(index)] = true;
    const QString parent = gd[std::size_t(index)].ParentClass;
    if (parent.isEmpty() || parent == name) return -1;
    name = parent;
    index = GetSkinIndex(parent);
    if (index < 0) return -1;
  }
}

int TkSkinManager::GetMaskIndexExact(int skinIndex, const QString& section,
                                     const QString& property) const {
  if (skinIndex < 0 || section.isEmpty()) return -1;
  for (std::size_t i = 0; i < ma.size(); ++i)
    if (ma[i].ClassName == section && ma[i].PropertyName == property) return int(i);
  return -1;
}

int TkSkinManager::GetMaskIndex(int skinIndex, const QString& section,
                                const QString& property) const {
  return FindUpChain(skinIndex, section, property, [&](const QString& s, const QString& p) {
    return GetMaskIndexExact(0, s, p);
  });
}

int TkSkinManager::GetTextureIndex(int skinIndex, const QString& section,
                                   const QString& property) const {
  return FindUpChain(skinIndex, section, property, [&](const QString& s, const QString& p) {
    for (std::size_t i = 0; i < ma.size(); ++i)
      if (ma[i].ImgType == TkaImgType::itisaTexture && ma[i].ClassName == s &&
          ma[i].PropertyName == p)
        return int(i);
    return -1;
  });
}

int TkSkinManager::GetPatternIndex(int skinIndex, const QString& section,
                                   const QString& property) const {
  return FindUpChain(skinIndex, section, property, [&](const QString& s, const QString& p) {
    for (std::size_t i = 0; i < pa.size(); ++i)
      if (pa[i].ClassName == s && pa[i].PropertyName == p) return int(i);
    return -1;
  });
}

QSize TkSkinManager::GetMaskSize(int maskIndex) const {
  if (!IsValidImgIndex(maskIndex)) return {};
  const TkMaskData& m = ma[std::size_t(maskIndex)];
  if (m.Bmp) return {m.Bmp->width() / 3, m.Bmp->height() / 2};
  return {MaskImageWidth(m), MaskImageHeight(m)};
}

TColor TkSkinManager::GetGlobalColor() const {
  const int i = GetSkinIndex(QStringLiteral("GLOBALINFO"));
  return TColor(winshim::ColorToRGB(IsValidSkinIndex(i) ? gd[std::size_t(i)].Color
                                                        : TColor(winshim::clBtnFace)));
}

TColor TkSkinManager::GetGlobalFontColor() const {
  const int i = GetSkinIndex(QStringLiteral("GLOBALINFO"));
  return IsValidSkinIndex(i) ? TColor(winshim::ColorToRGB(TColor(gd[std::size_t(i)].FontColor[0])))
                             : kTransparentKey;
}

TColor TkSkinManager::GetGlobalHotColor() const {
  const int i = GetSkinIndex(QStringLiteral("GLOBALINFO"));
  return TColor(winshim::ColorToRGB(IsValidSkinIndex(i) ? gd[std::size_t(i)].HotColor
                                                        : TColor(winshim::clWindow)));
}

TColor TkSkinManager::GetEditHotFontColor() const {
  const int i = GetSkinIndex(QStringLiteral("EDIT"));
  return IsValidSkinIndex(i)
             ? TColor(winshim::ColorToRGB(TColor(gd[std::size_t(i)].HotFontColor[0])))
             : kTransparentKey;
}

namespace {
// A menu item's colour that is a colour of the skin's own.
bool OwnMenuColor(std::int64_t c) {
  return c != -1 && c != std::int64_t(kTransparentKey) && c != 0xFFFFFF;
}
}  // namespace

TColor TkSkinManager::GetHighlightColor() const {
  const int i = GetSkinIndex(QStringLiteral("MENUITEM"));
  if (IsValidSkinIndex(i) && OwnMenuColor(std::int32_t(gd[std::size_t(i)].HotColor)))
    return TColor(winshim::ColorToRGB(gd[std::size_t(i)].HotColor));
  return winshim::clHighlight;
}

TColor TkSkinManager::GetHighlightTextColor() const {
  const int i = GetSkinIndex(QStringLiteral("MENUITEM"));
  if (IsValidSkinIndex(i)) {
    const TkGeneralData& s = gd[std::size_t(i)];
    if (OwnMenuColor(s.HotFontColor[0]) && s.HotFontColor[0] != 0 &&
        OwnMenuColor(std::int32_t(s.HotColor)))
      return TColor(winshim::ColorToRGB(TColor(s.HotFontColor[0])));
  }
  return winshim::clHighlightText;
}

namespace {
int Margin(const TkMaskData& m, int own, bool horizontal) {
  if (own > 0) return own;
  if (m.BorderWidth > 0) return m.BorderWidth;
  return horizontal ? MaskImageWidth(m) : MaskImageHeight(m);
}
}  // namespace

int TkSkinManager::MaskWidthLeft(int i) const {
  return IsValidImgIndex(i) ? Margin(ma[std::size_t(i)], ma[std::size_t(i)].WL, true) : 0;
}
int TkSkinManager::MaskWidthTop(int i) const {
  return IsValidImgIndex(i) ? Margin(ma[std::size_t(i)], ma[std::size_t(i)].WT, false) : 0;
}
int TkSkinManager::MaskWidthRight(int i) const {
  return IsValidImgIndex(i) ? Margin(ma[std::size_t(i)], ma[std::size_t(i)].WR, true) : 0;
}
int TkSkinManager::MaskWidthBottom(int i) const {
  return IsValidImgIndex(i) ? Margin(ma[std::size_t(i)], ma[std::size_t(i)].WB, false) : 0;
}

void TkSkinManager::UpdateSectionImages() {
  for (std::size_t i = 0; i < gd.size(); ++i) {
    TkGeneralData& s = gd[i];
    const int idx = int(i);
    s.BorderIndex = GetMaskIndex(idx, s.ClassName, QStringLiteral("BORDERSMASK"));
    s.CornerTopLeft = GetMaskIndex(idx, s.ClassName, QStringLiteral("IMGTOPLEFT"));
    s.CornerTopRight = GetMaskIndex(idx, s.ClassName, QStringLiteral("IMGTOPRIGHT"));
    s.CornerBottomLeft = GetMaskIndex(idx, s.ClassName, QStringLiteral("IMGBTMLEFT"));
    s.CornerBottomRight = GetMaskIndex(idx, s.ClassName, QStringLiteral("IMGBTMRIGHT"));
  }
}

void TkSkinManager::UpdateConstData() {
  TkConstData& c = ConstData;
  c = TkConstData{};
  auto section = [&](const char* name) { return GetSkinIndex(QLatin1String(name)); };
  auto mask = [&](int index, const char* name, const char* property) {
    return GetMaskIndex(index, QLatin1String(name), QLatin1String(property));
  };
  c.IndexGlobalInfo = section("GLOBALINFO");
  const int g = c.IndexGlobalInfo;
  if (g >= 0) {
    c.ExBorder = mask(g, "GLOBALINFO", "EXBORDER");
    int* boxes[] = {&c.CheckBoxChecked,    &c.CheckBoxUnChecked,    &c.CheckBoxGrayed,
                    &c.RadioButtonChecked, &c.RadioButtonUnChecked, &c.RadioButtonGrayed,
                    &c.SmallBoxChecked,    &c.SmallBoxUnChecked,    &c.SmallBoxGrayed};
    const char* names[] = {"BOXCHECKED",   "BOXUNCHECKED",   "BOXGRAYED",
                           "RADIOCHECKED", "RADIOUNCHECKED", "RADIOGRAYED",
                           "SMALLCHECKED", "SMALLUNCHECKED", "SMALLGRAYED"};
    for (std::size_t i = 0; i < 9; ++i) *boxes[i] = mask(g, "GLOBALINFO", names[i]);
  }
  const char* tabs[] = {"TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"};
  const char* scrolls[] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"};
  const char* bars[] = {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"};
  for (std::size_t i = 0; i < 4; ++i) {
    c.IndexTab[i] = section(tabs[i]);
    c.MaskTab[i] = mask(c.IndexTab[i], tabs[i], "BORDERSMASK");
    const int s = c.IndexScroll[i] = section(scrolls[i]);
    c.MaskScroll[i] = mask(s, scrolls[i], "BORDERSMASK");
    c.ScrollPattern[i] = mask(s, scrolls[i], "PATTERN");
    c.ScrollHotPattern[i] = mask(s, scrolls[i], "HOTPATTERN");
    c.ScrollGlyph[i] = s >= 0 ? mask(s, scrolls[i], "GLYPHMASK") : -1;
    const int b = c.IndexScrollBar[i] = section(bars[i]);
    c.MaskScrollBar[i] = mask(b, bars[i], "BORDERSMASK");
    c.ScrollBarPattern[i] = mask(b, bars[i], "PATTERN");
    c.ScrollBarHotPattern[i] = mask(b, bars[i], "HOTPATTERN");
  }
  c.IndexSliderV = section("SCROLLSLIDERV");
  c.IndexSliderH = section("SCROLLSLIDERH");
  c.MaskSliderV = mask(c.IndexSliderV, "SCROLLSLIDERV", "BORDERSMASK");
  c.MaskSliderH = mask(c.IndexSliderH, "SCROLLSLIDERH", "BORDERSMASK");
  c.SliderVGlyph = c.IndexSliderV >= 0 ? mask(c.IndexSliderV, "SCROLLSLIDERV", "GLYPHMASK") : -1;
  c.SliderHGlyph = c.IndexSliderH >= 0 ? mask(c.IndexSliderH, "SCROLLSLIDERH", "GLYPHMASK") : -1;
  c.SliderHPattern = mask(c.IndexSliderH, "SCROLLSLIDERH", "PATTERN");
  c.SliderHHotPattern = mask(c.IndexSliderH, "SCROLLSLIDERH", "HOTPATTERN");
  c.SliderVPattern = mask(c.IndexSliderV, "SCROLLSLIDERV", "PATTERN");
  c.SliderVHotPattern = mask(c.IndexSliderV, "SCROLLSLIDERV", "HOTPATTERN");
  c.ComboBtnIndex = section("COMBOBTN");
  c.ComboBtnBorder =
      GetMaskIndexExact(c.ComboBtnIndex, QStringLiteral("COMBOBTN"), QStringLiteral("BORDERSMASK"));
  c.ComboBtnBG =
      GetTextureIndex(c.ComboBtnIndex, QStringLiteral("COMBOBTN"), QStringLiteral("PATTERN"));
  c.ComboBtnBGHot =
      GetTextureIndex(c.ComboBtnIndex, QStringLiteral("COMBOBTN"), QStringLiteral("HOTPATTERN"));
  c.ComboGlyph = GetMaskIndexExact(section("COMBOBOX"), QStringLiteral("COMBOBOX"),
                                   QStringLiteral("GLYPHMASK"));
}

void TkSkinManager::FreeTables() {
  static_cast<TkSkinTables&>(*this) = TkSkinTables{};
}

}  // namespace kelmo::skin
