// String table, cursors and stock pictures of the extension controls.
#include "xt_control_strings.h"

#include <cstring>

#include <QHash>
#include <QPainter>

namespace XtControlStrings {

QString XtLoadStr(int number) {
  switch (number) {
    case kDateAboveMax:
      return QStringLiteral("\"%s\" - неверная дата. Значение должно быть не больше \"%s\"");
    case kDateBelowMin:
      return QStringLiteral("\"%s\" - неверная дата. Значение должно быть не меньше \"%s\"");
    case kDateOutOfRange:
      return QStringLiteral("\"%s\" - неверная дата. Значение должно быть между \"%s\" и \"%s\"");
    case kDateLimitsConflict:
      return QString();
    case kHintPrevMonth:
      return QStringLiteral("Предыдущий месяц|");
    case kHintPrevYear:
      return QStringLiteral("Предыдущий год|");
    case kHintNextMonth:
      return QStringLiteral("Следующий месяц|");
    case kHintNextYear:
      return QStringLiteral("Следующий год|");
    case kDateDialogTitle:
      return QStringLiteral("Выбор даты");
    default:
      return QString();
  }
}

QString ShortHint(const QString& hint) {
  const int bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.left(bar);
}

QCursor XtScreenCursor(int number) {
  switch (number) {
    case kHandCursor:
      return QCursor(Qt::PointingHandCursor);
    case kDragCursor:
      return QCursor(Qt::ClosedHandCursor);
    default:
      return QCursor(Qt::ArrowCursor);
  }
}

namespace {

// Rows of '#' (ink) and '.' (background) turned into a picture.
QImage FromRows(std::initializer_list<const char*> rows, QRgb ink, QRgb back) {
  const int h = static_cast<int>(rows.size());
  const int w = static_cast<int>(std::strlen(*rows.begin()));
  QImage img(w, h, QImage::Format_RGB32);
  int y = 0;
  for (const char* row : rows) {
    for (int x = 0; x < w; ++x) img.setPixel(x, y, row[x] == '#' ? ink : back);
    ++y;
  }
  return img;
}

QImage MirrorRows(const QImage& img) {
  return img.mirrored(true, false);
}

// Two small calendar pages side by side: the normal one and the disabled one.
QImage CalendarPages() {
  const QRgb magenta = qRgb(255, 0, 255);
  QImage img(28, 12, QImage::Format_RGB32);
  img.fill(magenta);
  QPainter p(&img);
  auto page = [&](int left, QColor frame, QColor header, QColor days) {
    p.setPen(Qt::NoPen);
    p.fillRect(left + 1, 1, 12, 10, Qt::white);
    p.fillRect(left + 1, 1, 12, 3, header);
    p.setPen(frame);
    p.drawRect(left + 1, 1, 11, 10);
    for (int row = 0; row < 2; ++row)
      for (int col = 0; col < 4; ++col) {
        p.fillRect(left + 3 + col * 2 + (col > 1 ? 1 : 0), 6 + row * 2, 1, 1, days);
      }
  };
  page(0, Qt::black, QColor(128, 0, 0), Qt::black);
  page(14, QColor(128, 128, 128), QColor(192, 192, 192), QColor(128, 128, 128));
  return img;
}

QImage Build(const QString& name) {
  const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
  if (name == QLatin1String("XTSPINUP"))
    return FromRows({"..##..", ".####.", "######", "..##..", "..##..", "..##.."}, black, white);
  if (name == QLatin1String("XTSPINDOWN"))
    return FromRows({"..##..", "..##..", "..##..", "######", ".####.", "..##.."}, black, white);
  if (name == QLatin1String("RSPINUP"))
    return FromRows({"...#...", "..###..", ".#####.", "#######"}, black, white);
  if (name == QLatin1String("RSPINDOWN"))
    return FromRows({"#######", ".#####.", "..###..", "...#..."}, black, white);
  const QImage prev1 = FromRows(
      {"....#...", "...##...", "..###...", "..###...", "...##...", "....#..."}, black, white);
  const QImage prev2 = FromRows(
      {"..#...#.", ".##..##.", "###.###.", "###.###.", ".##..##.", "..#...#."}, black, white);
  if (name == QLatin1String("PREV1")) return prev1;
  if (name == QLatin1String("PREV2")) return prev2;
  if (name == QLatin1String("NEXT1")) return MirrorRows(prev1);
  if (name == QLatin1String("NEXT2")) return MirrorRows(prev2);
  if (name == QLatin1String("DEDITBMP")) return CalendarPages();
  return QImage();
}

}  // namespace

QImage XtResourceBitmap(const QString& name) {
  // Immutable once built; QImage copies share the pixels.
  static const QHash<QString, QImage> cache = [] {
    QHash<QString, QImage> all;
    for (const char* n : {"XTSPINUP", "XTSPINDOWN", "RSPINUP", "RSPINDOWN", "DEDITBMP", "PREV1",
                          "PREV2", "NEXT1", "NEXT2"})
      all.insert(QString::fromLatin1(n), Build(QString::fromLatin1(n)));
    return all;
  }();
  return cache.value(name);
}

QRgb TransparentColorOf(const QImage& image) {
  if (image.isNull()) return qRgb(255, 0, 255);
  return image.pixel(0, image.height() - 1) | 0xFF000000u;
}

}  // namespace XtControlStrings
