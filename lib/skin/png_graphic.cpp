#include "skin/png_graphic.h"

#include <QFileInfo>
#include <cstring>

#include "skin/mask_painting.h"
#include "skin/paint_primitives.h"
#include "winshim/dib.h"

namespace kelmo::skin {
namespace {

// Rows of 24 and 32 bits go straight into the QImage; narrower pictures are
// decoded into a plain buffer and unpacked to 8-bit indexes afterwards.
class QImageRowStore : public PngRowStore {
 public:
  explicit QImageRowStore(QImage& image) : image_(image) {}
  void Allocate(int width, int height, int bits) override {
    bits_ = bits;
    if (bits == 24) {
      image_ = QImage(width, height, QImage::Format_BGR888);
    } else if (bits == 32) {
      image_ = QImage(width, height, QImage::Format_ARGB32);
    } else {
      buffer_.Allocate(width, height, bits);
      image_ = QImage();
    }
  }
  std::uint8_t* Row(int y) override {
    return (bits_ == 24 || bits_ == 32) ? image_.scanLine(y) : buffer_.Row(y);
  }
  void Finish(const std::vector<PaletteEntry>& palette) {
    if (bits_ == 24 || bits_ == 32 || bits_ == 0) return;
    const bool mono = bits_ == 1;
    image_ =
        QImage(buffer_.width, buffer_.height, mono ? QImage::Format_Mono : QImage::Format_Indexed8);
    QList<QRgb> table;
    for (const PaletteEntry& e : palette) table << qRgb(e.red, e.green, e.blue);
    const int colours = 1 << std::min(bits_, 8);
    while (table.size() < colours) table << qRgb(0, 0, 0);
    image_.setColorTable(table);
    for (int y = 0; y < buffer_.height; ++y) {
      const std::uint8_t* src = buffer_.Row(y);
      std::uint8_t* dst = image_.scanLine(y);
      if (mono || bits_ == 8) {
        std::memcpy(dst, src, std::size_t(buffer_.stride));
      } else {
        for (int x = 0; x < buffer_.width; ++x) {
          const int bit = x * bits_;
          dst[x] = std::uint8_t((src[bit / 8] >> (8 - bits_ - bit % 8)) & ((1 << bits_) - 1));
        }
      }
    }
  }

 private:
  QImage& image_;
  PixelBuffer buffer_;
  int bits_ = 0;
};

}  // namespace

void TPNGGraphic::Assign(const TPNGGraphic& source) {
  result_ = source.result_;
  bitmap_ = source.bitmap_;
}

void TPNGGraphic::LoadFromStream(zip::TStream& stream) {
  bitmap_ = QImage();
  QImageRowStore store(bitmap_);
  try {
    result_ = DecodePng(stream, store, converter_, OnProgress);
  } catch (...) {
    store.Finish({});
    throw;
  }
  store.Finish(result_.Palette);
}

void TPNGGraphic::LoadFromFile(const QString& fileName) {
  const QFileInfo info(fileName);
  if (!info.isFile()) throw EInvalidGraphic("Cannot open file \"" + fileName.toStdString() + "\"");
  try {
    zip::TFileStream file(fileName.toStdString(), zip::fmOpenRead);
    zip::TMemoryStream memory;
    memory.SetSize(file.Size());
    file.ReadBuffer(memory.Data().data(), file.Size());
    memory.SetPosition(0);
    LoadFromStream(memory);
  } catch (const std::exception& e) {
    throw EInvalidGraphic(fileName.toStdString() + ": " + e.what());
  }
}

void TPNGGraphic::Draw(QImage& canvas, const winshim::Rect& rect) const {
  if (bitmap_.isNull() || rect.IsEmpty()) return;
  if (winshim::DibBits(bitmap_) != 32) {
    QPainter p(&canvas);
    p.drawImage(rect.ToQRect(), bitmap_);
    return;
  }
  const int w = rect.Width(), h = rect.Height();
  QImage work = CreateBmp24(w, MirrorBelow ? h + h / 2 : h);
  CopyKeyedRectOverBg(work, winshim::ConvertDib(canvas, 24), 0, false, kEmptyBgSource,
                      TColor(0x1000000),
                      {rect.left, rect.top, rect.left + w - 1, rect.top + work.height() - 1}, 0);
  if (bitmap_.width() == w && bitmap_.height() == h) {
    QImage source = bitmap_;
    AlphaCopyRect({0, 0, w, h}, {0, 0, w, h}, work, MirrorBelow, 0, winshim::clNone, false,
                  kEmptyBgSource, source);
  } else {
    // Colour and alpha stretched apart, then put together again.
    QImage colour = winshim::ConvertDib(
        bitmap_.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 32);
    QImage alpha(bitmap_.size(), QImage::Format_Grayscale8);
    QImage source = bitmap_;
    CopyBmpChannel(source, alpha, 3, true);
    alpha = alpha.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    CopyBmpChannel(colour, alpha, 3, false);
    AlphaCopyRect({0, 0, w, h}, {0, 0, w, h}, work, false, 0, winshim::clNone, false,
                  kEmptyBgSource, colour);
  }
  winshim::Dc dc(canvas);
  winshim::Dc src(work);
  dc.BitBlt(rect.left, rect.top, work.width(), work.height(), src, 0, 0, winshim::SRCCOPY);
}

winshim::Icon TPNGGraphic::MakeIcon(bool force) const {
  winshim::Icon icon;
  if (bitmap_.isNull()) return icon;
  const int w = bitmap_.width(), h = bitmap_.height();
  icon.mask = QImage(w, h, QImage::Format_Mono);
  icon.mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  icon.mask.fill(0);
  if (force || winshim::DibBits(bitmap_) != 32) {
    QImage colour = winshim::ConvertDib(bitmap_, 32);
    if (winshim::DibBits(bitmap_) != 32) {
      // A picture without alpha converts with alpha 0, as a DIB does.
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) colour.scanLine(y)[4 * x + 3] = 0;
    }
    std::uint32_t ref;
    std::memcpy(&ref, colour.constScanLine(0), 4);
    for (int y = 0; y < h; ++y) {
      std::uint8_t* row = colour.scanLine(y);
      for (int x = 0; x < w; ++x) {
        std::uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        // The reference colour keeps alpha 0 (a converted picture has no
        // alpha); every other pixel is opaque and set in the mask.
        if (v == ref) {
          row[4 * x + 3] = 0;
        } else {
          icon.mask.setPixel(x, y, 1);
          row[4 * x + 3] = 255;
        }
      }
    }
    icon.color = colour;
  } else {
    icon.color = bitmap_;
  }
  return icon;
}

void ClearWhiteTransparentPixels(QImage& bitmap) {
  if (winshim::DibBits(bitmap) != 32) return;
  for (int y = 0; y < bitmap.height(); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(bitmap.scanLine(y));
    for (int x = 0; x < bitmap.width(); ++x)
      if (row[x] == 0x00FFFFFFu) row[x] = 0;
  }
}

}  // namespace kelmo::skin
