// Skin pictures decoded from their files' bytes, bounded in size, and the
// JPEG textures placed in the pattern or the mask table by their size.
#pragma once

#include <QImage>
#include <QString>
#include <stdexcept>

#include "skin/skin_data.h"

namespace kelmo::skin {

// Pictures larger than this on either side are refused.
inline constexpr int kMaxSkinImageSide = 8192;
// JPEG pictures of at least this many pixels stay compressed as patterns;
// smaller ones become texture bitmaps.
inline constexpr int kPatternMinPixels = 90000;

// A skin image file that is larger than a skin picture may be; the
// message names the file.
class ESkinImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decodes a skin picture (.PNG, .BMP or .JPG) read from `fileName`: a
// null image when the data is not a picture; ESkinImageError when its
// declared size passes the bound. PNG pictures keep alpha (white fully
// transparent pixels made 0); BMP pictures come back 24-bit unless
// `keepDepth`.
QImage ReadSkinPicture(const QByteArray& data, const QString& fileName, bool keepDepth = false);

// Adds a JPEG picture of section/key to the manager: as a pattern when it
// has kPatternMinPixels or more, else as a texture mask with its own
// bitmap. An empty picture adds nothing.
void AddJpegPicture(TkSkinTables& tables, TkSkinManager* manager, const QString& section,
                    const QString& key, const QImage& picture);
inline void AddJpegPicture(TkSkinManager& manager, const QString& section, const QString& key,
                           const QImage& picture) {
  AddJpegPicture(manager, &manager, section, key, picture);
}

}  // namespace kelmo::skin
