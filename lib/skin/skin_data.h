// The records of a loaded skin and the tables the skin manager keeps them
// in: sections (TkGeneralData), images and masks (TkMaskData) and texture
// pictures (TkPatternData), with the look-ups the painters use.
//
// TkSkinManager here holds the tables, the master bitmap and the state the
// painters read; loading skins into it and announcing them belong to the
// manager component (skin_manager.h).
// Indexes are positions in the tables from 0; -1 means none.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "skin/gradient.h"
#include "winshim/win_types.h"

namespace kelmo::skin {

using winshim::Rect;
using winshim::TColor;

// The skin library's transparent key colour.
inline constexpr TColor kTransparentKey = 0xFF00FF;

enum class TkaImgType : std::uint8_t {
  itisaBorder = 0,
  itisaTexture = 1,
  itisaGlyph = 2,
  itisaGlow = 3,
  itisaPngGlyph = 4
};

struct TkGeneralData {
  QString ParentClass;
  QString ClassName;
  TColor Color = 0xFFFFFF;
  std::array<std::int32_t, 5> FontColor{0, -1, -1, -1, -1};
  std::array<std::int32_t, 5> HotFontColor{0, -1, -1, -1, -1};
  bool GiveOwnFont = false;
  std::int32_t GlowCount = 0;
  std::int32_t GlowMargin = 0;
  bool ReservedBoolean = false;
  std::int32_t Transparency = 0;
  std::int32_t GradientPercent = 0;
  QString GradientData = QStringLiteral(" ");
  TkGradArray GradientArray;
  std::int32_t ImagePercent = 0;
  bool ShowFocus = false;
  bool FadingEnabled = false;
  std::int32_t FadingIterations = 5;
  TColor HotColor = 0xFFFFFF;
  std::int32_t HotTransparency = 0;
  std::int32_t HotGradientPercent = 0;
  QString HotGradientData;
  TkGradArray HotGradientArray;
  std::int32_t HotImagePercent = 0;
  std::int32_t BorderIndex = -1;
  std::int32_t CornerTopLeft = -1, CornerTopRight = -1, CornerBottomLeft = -1,
               CornerBottomRight = -1;
};

class TkSkinManager;

struct TkMaskData {
  std::shared_ptr<QImage> Bmp;  // the image's own bitmap, or none: a rect of the master bitmap
  QString ClassName;            // upper case
  QString PropertyName;         // upper case
  Rect R;
  std::int16_t ImageCount = 0;
  std::int16_t MaskType = 0;  // 0 keyed picture, 1 picture with its mask below, -1 no image
  std::int16_t BorderWidth = 0;
  std::int16_t DrawMode = 0;
  TkaImgType ImgType = TkaImgType::itisaBorder;
  TkSkinManager* Manager = nullptr;
  std::int16_t WL = 0, WT = 0, WR = 0, WB = 0;
};

struct TkPatternData {
  std::shared_ptr<QImage> Img;  // a JPEG picture
  QString ClassName;
  QString PropertyName;
};

using TkGeneralDataArray = std::vector<TkGeneralData>;
using TkMaskArray = std::vector<TkMaskData>;
using TkPatternArray = std::vector<TkPatternData>;

// Width of one state image: R's width div ImageCount (0 without images).
int MaskImageWidth(const TkMaskData& mask);
// Height of one state image: R's height div (MaskType + 1) (0 for -1).
int MaskImageHeight(const TkMaskData& mask);
// The margins a skin gives no value for: a third of one state image.
void SetDefaultMargins(TkMaskData& mask);

// The categories of other makers' controls and each list's default.
inline constexpr int kThirdPartyCount = 18;
extern const std::array<const char*, kThirdPartyCount> kThirdPartyNames;
extern const std::array<const char*, kThirdPartyCount> kThirdPartyDefaults;

// The skin state's values from GLOBALINFO and the skin's folder.
struct TkSkinData {
  QString SkinFolder;
  bool SkinActive = false;
  double SkinVersion = 0;
  QString SkinAuthor, SkinDescription;
  std::int16_t BorderWidthEx = 4, TitleHeightEx = 30, MaxTitleHeightEx = 0, FormOffsetEx = 8,
               CenterOffsetEx = 0, BorderModeEx = 0;
  TColor ShadowColor = 0;
  int ShadowOffset = 0, ShadowBlur = -1, ShadowTransparency = 0;
  std::int16_t TitleBtnSpacing = 0, TitleBtnVAlign = 0, TitleBtnRightMargin = 0,
               TitleBtnLeftMargin = 0;
  TColor PlainBorderColor = 0;
  int TitleBtnKeepHue = 0;
  std::int16_t CloseBtnGlow = 0, CloseBtnGlowMargin = 0, MaxBtnGlow = 0, MaxBtnGlowMargin = 0,
               MinBtnGlow = 0, MinBtnGlowMargin = 0;
};

// The three tables of a loaded skin and its master bitmap. A load builds
// them apart and hands them to the manager whole.
struct TkSkinTables {
  TkGeneralDataArray gd;
  TkMaskArray ma;
  TkPatternArray pa;
  // The 24-bit bitmap holding the masks without a bitmap of their own.
  std::shared_ptr<QImage> MasterBitmap;
};

// The manager's cached indexes of the items every painter asks for; -1
// for an item the skin lacks.
struct TkConstData {
  int IndexGlobalInfo = -1, ExBorder = -1;
  std::array<int, 4> IndexTab{-1, -1, -1, -1}, MaskTab{-1, -1, -1, -1};  // top, bottom, left, right
  std::array<int, 4> IndexScroll{-1, -1, -1, -1}, MaskScroll{-1, -1, -1, -1},
      ScrollPattern{-1, -1, -1, -1}, ScrollHotPattern{-1, -1, -1, -1}, ScrollGlyph{-1, -1, -1, -1};
  int IndexSliderV = -1, IndexSliderH = -1, MaskSliderV = -1, MaskSliderH = -1, SliderVGlyph = -1,
      SliderHGlyph = -1, SliderHPattern = -1, SliderHHotPattern = -1, SliderVPattern = -1,
      SliderVHotPattern = -1;
  std::array<int, 4> IndexScrollBar{-1, -1, -1, -1}, MaskScrollBar{-1, -1, -1, -1},
      ScrollBarPattern{-1, -1, -1, -1}, ScrollBarHotPattern{-1, -1, -1, -1};  // 1H, 1V, 2H, 2V
  int CheckBoxChecked = -1, CheckBoxUnChecked = -1, CheckBoxGrayed = -1;
  int RadioButtonChecked = -1, RadioButtonUnChecked = -1, RadioButtonGrayed = -1;
  int SmallBoxChecked = -1, SmallBoxUnChecked = -1, SmallBoxGrayed = -1;
  int ComboBtnIndex = -1, ComboBtnBorder = -1, ComboBtnBG = -1, ComboBtnBGHot = -1, ComboGlyph = -1;
};

class TkSkinManagerComponent;

// The tables with their look-ups. The component behaviour of the manager
// (loading by name, announcing skins to forms) lives in `Component`,
// made by skin_manager.h's TkSkinManagerComponent.
class TkSkinManager : public TkSkinTables {
 public:
  TkSkinManager();
  ~TkSkinManager();
  TkSkinManager(const TkSkinManager&) = delete;
  TkSkinManager& operator=(const TkSkinManager&) = delete;

  // The default manager: the first made while none was, or the one made
  // default since; nullptr when none.
  static TkSkinManager* Default();
  static void SetDefault(TkSkinManager* manager);

  TkSkinData SkinData;
  TkConstData ConstData;
  bool Active = true;
  bool AllowGlowing = true;
  bool Destroying = false;
  // The component owning these tables, when there is one.
  TkSkinManagerComponent* Component = nullptr;

  int GetSkinIndex(const QString& name) const;
  int GetMaskIndex(int skinIndex, const QString& section, const QString& property) const;
  int GetMaskIndexExact(int skinIndex, const QString& section, const QString& property) const;
  int GetTextureIndex(int skinIndex, const QString& section, const QString& property) const;
  int GetPatternIndex(int skinIndex, const QString& section, const QString& property) const;
  bool IsValidSkinIndex(int index) const { return index >= 0 && index < int(gd.size()); }
  bool IsValidImgIndex(int index) const { return index >= 0 && index < int(ma.size()); }
  // Width and height of one state image of a mask.
  QSize GetMaskSize(int maskIndex) const;
  // The colour of GLOBALINFO (as RGB); clBtnFace's without it.
  TColor GetGlobalColor() const;
  // GLOBALINFO's font colour as RGB; $FF00FF without it.
  TColor GetGlobalFontColor() const;
  // GLOBALINFO's hot colour as RGB; clWindow's without it.
  TColor GetGlobalHotColor() const;
  // EDIT's hot font colour as RGB; $FF00FF without the section.
  TColor GetEditHotFontColor() const;
  // MENUITEM's hot colour (RGB) when it names a colour of its own (none of
  // -1, $FF00FF, white); else clHighlight.
  TColor GetHighlightColor() const;
  // MENUITEM's hot font colour (RGB) when it and the hot colour name
  // colours of their own; else clHighlightText.
  TColor GetHighlightTextColor() const;
  int MaskWidthLeft(int maskIndex) const;
  int MaskWidthTop(int maskIndex) const;
  int MaskWidthRight(int maskIndex) const;
  int MaskWidthBottom(int maskIndex) const;
  // Sets every section's border and corner indexes from the mask table.
  void UpdateSectionImages();
  // Refreshes ConstData from the tables.
  void UpdateConstData();
  // Empties the three tables and the master bitmap.
  void FreeTables();

 private:
  template <typename Match>
  int FindUpChain(int skinIndex, const QString& section, const QString& property,
                  Match&& match) const;
};

}  // namespace kelmo::skin
