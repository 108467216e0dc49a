#include "winshim/dib.h"

namespace kelmo::winshim {

QImage CreateDib24(int width, int height) {
  QImage image(width, height, QImage::Format_BGR888);
  if (!image.isNull()) image.fill(0);
  return image;
}

QImage CreateDib32(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  if (!image.isNull()) image.fill(0);
  return image;
}

QImage CreateDibLike(const QImage& other) {
  QImage image(other.size(), other.format());
  if (!image.isNull()) image.fill(0);
  if (other.colorCount() > 0) image.setColorTable(other.colorTable());
  return image;
}

int DibBits(const QImage& image) {
  switch (image.format()) {
    case QImage::Format_BGR888:
      return 24;
    case QImage::Format_ARGB32:
      return 32;
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
      return 8;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
      return 1;
    default:
      return 0;
  }
}

QImage ConvertDib(const QImage& image, int bits) {
  return image.convertToFormat(bits == 24 ? QImage::Format_BGR888 : QImage::Format_ARGB32);
}

}  // namespace kelmo::winshim
