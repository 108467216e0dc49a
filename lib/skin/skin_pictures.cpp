#include "skin/skin_pictures.h"

#include <QBuffer>
#include <QImageReader>

#include "skin/png_graphic.h"

namespace kelmo::skin {

QImage ReadSkinPicture(const QByteArray& data, const QString& fileName, bool keepDepth) {
  QBuffer buffer;
  buffer.setData(data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (size.width() > kMaxSkinImageSide || size.height() > kMaxSkinImageSide)
    throw ESkinImageError(QStringLiteral("Skin image \"%1\" is too large (%2 x %3)")
                              .arg(fileName)
                              .arg(size.width())
                              .arg(size.height())
                              .toStdString());
  // The format is known before reading; afterwards the data is consumed.
  const QByteArray format = reader.format().toLower();
  QImage img = reader.read();
  if (img.isNull()) return {};
  if (format == "png") {
    img = img.convertToFormat(QImage::Format_ARGB32);
    ClearWhiteTransparentPixels(img);
  } else if (!(format == "bmp" && keepDepth)) {
    img = img.convertToFormat(QImage::Format_RGB888);
  }
  return img;
}

void AddJpegPicture(TkSkinTables& tables, TkSkinManager* manager, const QString& section,
                    const QString& key, const QImage& picture) {
  if (picture.width() <= 0) return;
  if (qint64(picture.width()) * picture.height() >= kPatternMinPixels) {
    tables.pa.push_back(
        TkPatternData{std::make_shared<QImage>(picture), section.toUpper(), key.toUpper()});
    return;
  }
  // Small textures are kept decoded so that painting tiles them directly.
  TkMaskData m;
  m.Bmp = std::make_shared<QImage>(picture.convertToFormat(QImage::Format_RGB888));
  m.ClassName = section.toUpper();
  m.PropertyName = key.toUpper();
  m.R = Rect{0, 0, picture.width(), picture.height()};
  m.ImgType = TkaImgType::itisaTexture;
  m.ImageCount = 1;
  m.Manager = manager;
  tables.ma.push_back(std::move(m));
}

}  // namespace kelmo::skin
