// TPNGGraphic: a bitmap picture loaded from PNG data. The pixels live in a
// QImage (a 24- or 32-bit DIB, or an 8-bit or 1-bit indexed image; a 4-bit
// picture is held as 8-bit indexes with BitmapBits() 4). 32-bit pictures
// are drawn with their alpha channel.
#pragma once

#include <QImage>
#include <QString>
#include <memory>

#include "skin/color_manager.h"
#include "skin/png_decoder.h"
#include "winshim/icon.h"
#include "winshim/win_types.h"
#include "zip/buffered_stream.h"

namespace kelmo::skin {

// The description under which the picture registers for "png".
inline constexpr const char* kPngDescription = "Portable network graphics (kelmo skin library)";

class TPNGGraphic {
 public:
  TPNGGraphic() = default;

  // Copies the other picture's information and bitmap.
  void Assign(const TPNGGraphic& source);
  // Loads the PNG at the stream's position; the previous image is released
  // first. On failure the picture keeps what was decoded and the error
  // propagates.
  void LoadFromStream(zip::TStream& stream);
  // A regular file only; errors carry the file name.
  void LoadFromFile(const QString& fileName);

  // Draws into a 24- or 32-bit bitmap at the rect: other pictures as they
  // are, 32-bit ones blended by their alpha (stretched when the rect's size
  // differs), with the mirror image below when MirrorBelow is set.
  void Draw(QImage& canvas, const winshim::Rect& rect) const;

  // An icon of the picture (owned by the caller): see the file comment of
  // the painting primitives for how the mask is made.
  winshim::Icon MakeIcon(bool force) const;

  const QImage& Bitmap() const { return bitmap_; }
  QImage& Bitmap() { return bitmap_; }
  const PngInfo& Info() const { return result_.Info; }
  int BitmapBits() const { return result_.Bits; }
  const std::vector<PaletteEntry>& Palette() const { return result_.Palette; }
  const std::vector<std::uint8_t>& AlphaTable() const { return result_.AlphaTable; }
  std::uint32_t BackColor() const { return result_.BackColor; }
  // The transparent colour from tRNS (red low), when Transparent().
  bool Transparent() const { return result_.KeyColor != kNoKeyColor; }
  std::uint32_t TransparentColor() const { return result_.KeyColor; }
  TColorManager& Converter() { return converter_; }
  bool MirrorBelow = false;
  PngProgress OnProgress;

 private:
  QImage bitmap_;
  PngResult result_;
  TColorManager converter_;
};

// Sets every pixel of a 32-bit bitmap that is white with alpha 0 to 0
// (black, alpha 0); other formats are left alone.
void ClearWhiteTransparentPixels(QImage& bitmap);

}  // namespace kelmo::skin
