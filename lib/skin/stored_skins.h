// Skins kept with the skin manager itself instead of in a skin folder:
// either a whole packed skin held as bytes ("Data", the ".skz" format),
// or, in the older form, the sections, images and textures as collections
// with a master bitmap. A stored skin is used when no skin folder of the
// wanted name exists; the first one stands in for a name nothing matches.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

#include "skin/skin_data.h"

namespace kelmo::skin {

// One section in the older form. FontColor and HotFontColor hold five
// whole numbers separated by blanks: the text colour and the left, top,
// right and bottom contour colours.
struct TkSkinGeneral {
  QString SectionName, ParentClass;
  TColor Color = 0;
  bool ReservedBoolean = false;
  QString FontColor, HotFontColor;
  int Transparency = 0, GlowCount = 0, GlowMargin = 0, GradientPercent = 0;
  QString GradientData;
  int ImagePercent = 0;
  bool ShowFocus = false, FadingEnabled = false;
  int FadingIterations = 0;
  TColor HotColor = 0;
  int HotTransparency = 0, HotGradientPercent = 0;
  QString HotGradientData;
  int HotImagePercent = 0;
  QString Name;
  bool GiveOwnFont = false;
};

// One image: its own picture when Name is not empty, else the rectangle
// (Left, Top, Right, Bottom) of the master bitmap.
struct TkSkinImage {
  QString SectionName;
  QImage Image;
  QString Name, PropertyName;
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int ImageCount = 0, MaskType = 0, BorderWidth = 0, StretchMode = 0;
  TkaImgType ImgType = TkaImgType::itisaBorder;
  int WL = 0, WR = 0, WT = 0, WB = 0;
};

// One texture (a JPEG picture). Items may share one Name; only one of
// them needs to carry the picture.
struct TkSkinPattern {
  QString SectionName;
  QImage Image;
  QString Name, PropertyName;
};

struct TkStoredSkin {
  QString Name;
  std::vector<TkSkinGeneral> GeneralData;
  std::vector<TkSkinImage> Images;
  std::vector<TkSkinPattern> Patterns;
  QImage MasterBitmap;
  TColor Shadow1Color = 0;
  int Shadow1Offset = 0;
  int Shadow1Blur = -1;
  int Shadow1Transparency = 0;
  TColor BorderColor = 0xFF00FF;
  double Version = 0;
  QString Author, Description;
  // The packed skin's bytes; empty when the collections give the skin.
  std::vector<std::uint8_t> Data;
};

class TkStoredSkins {
 public:
  // The first stored skin of exactly that name, -1 when none.
  int IndexOf(const QString& name) const;
  // Assigning another collection changes nothing: the items are read and
  // written one by one.
  void Assign(const TkStoredSkins&) {}
  std::vector<TkStoredSkin> Items;
};

}  // namespace kelmo::skin
