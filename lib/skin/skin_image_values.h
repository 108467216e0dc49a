// Reading the image values of a skin's options text: a value of one of the
// forms below describes a picture, either a rectangle of the master bitmap
// or a file of its own, and becomes one record of the mask table.
//
//   "!FILE.PNG!count!masktype!imgtype[!wl!wt!wr!wb]"  own file (.BMP/.PNG)
//   "@llll tttt rrrr bbbb c m"         glyph in the master bitmap (fixed columns)
//   "^llll tttt rrrr bbbb wl.. c m d b" border in the master bitmap
//   "~llll tttt rrrr bbbb dd m"        texture in the master bitmap
//   "... (l,t,r,b) (c,m[,border[,draw]])" old form with "#": a border
//   "...X.BMP"                         a plain bitmap file of three states
//
// Number fields are read strictly: a field that is not a number raises
// EConvertError, as does a "#" value that is not a valid old form.
#pragma once

#include <QString>
#include <optional>

#include "skin/skin_data.h"

namespace kelmo::skin {

struct TkImageValue {
  TkMaskData Mask;
  // The file the picture comes from; empty for a rectangle of the master bitmap.
  QString FileName;
};

// The record a value describes (Manager and Bmp left empty), or nothing
// when the value is not an image.
std::optional<TkImageValue> ParseImageValue(const QString& section, const QString& key,
                                            const QString& value);

// Margins a value gives none for: all four from BorderWidth when it is set,
// else a third of one state image (a count of 0 counting as 1, a mask type
// below 0 giving 0 rows).
void ApplyMarginsRule(TkMaskData& mask);

}  // namespace kelmo::skin
