// Painting and window helpers of the extension controls.
#include "xt_vcl_utils.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QThread>
#include <QWidget>

namespace XtVclUtils {

namespace {

// Sets the paint-copy mark for as long as it lives, so a throwing paint
// cannot leave it behind.
class PaintCopyMark {
 public:
  explicit PaintCopyMark(QWidget* w) : w_(w) { w_->setProperty(kPaintCopyProperty, true); }
  ~PaintCopyMark() { w_->setProperty(kPaintCopyProperty, QVariant()); }
  PaintCopyMark(const PaintCopyMark&) = delete;
  PaintCopyMark& operator=(const PaintCopyMark&) = delete;

 private:
  QWidget* w_;
};

}  // namespace

void PaintParentImage(QWidget* control, QPainter& painter) {
  if (control == nullptr) return;
  QWidget* parent = control->parentWidget();
  if (parent == nullptr) return;
  PaintCopyMark parentMark(parent);
  {
    painter.save();
    struct Restore {
      QPainter& p;
      ~Restore() { p.restore(); }
    } restore{painter};
    painter.translate(-control->x(), -control->y());
    painter.setClipRect(QRect(0, 0, parent->width(), parent->height()), Qt::IntersectClip);
    parent->render(&painter, QPoint(0, 0), QRegion(parent->rect()), QWidget::DrawWindowBackground);
  }
  for (QObject* child : parent->children()) {
    if (child == control) break;  // children() lists the bottom of the z-order first
    auto* sibling = qobject_cast<QWidget*>(child);
    if (sibling == nullptr || !sibling->isVisible() || sibling->isWindow()) continue;
    if (!sibling->geometry().intersects(control->geometry())) continue;
    PaintCopyMark mark(sibling);
    painter.save();
    struct Restore {
      QPainter& p;
      ~Restore() { p.restore(); }
    } restore{painter};
    painter.translate(sibling->x() - control->x(), sibling->y() - control->y());
    painter.setClipRect(QRect(0, 0, sibling->width(), sibling->height()), Qt::IntersectClip);
    sibling->render(&painter, QPoint(0, 0), QRegion(sibling->rect()), QWidget::DrawChildren);
  }
}

QImage MakeDisabledBitmapInColors(const QImage& source, QColor outline, QColor back,
                                  QColor highlight, QColor shadow, bool drawHighlight) {
  const bool mono =
      source.format() == QImage::Format_Mono || source.format() == QImage::Format_MonoLSB;
  const QImage src = source.convertToFormat(QImage::Format_RGB32);
  const QRgb key = (mono ? QColor(Qt::white) : outline).rgb() & 0xFFFFFFu;
  QImage result(src.size(), QImage::Format_RGB32);
  result.fill(back);
  auto stamp = [&](int dx, int dy, QColor colour) {
    const QRgb c = colour.rgb();
    for (int y = 0; y < src.height(); ++y)
      for (int x = 0; x < src.width(); ++x)
        if ((src.pixel(x, y) & 0xFFFFFFu) == key && x + dx < result.width() &&
            y + dy < result.height())
          result.setPixel(x + dx, y + dy, c);
  };
  if (drawHighlight) stamp(1, 1, highlight);
  stamp(0, 0, shadow);
  return result;
}

QImage MakeDisabledBitmap(const QImage& source, QColor outline) {
  const QPalette pal = QApplication::palette();
  return MakeDisabledBitmapInColors(source, outline, pal.color(QPalette::Button),
                                    pal.color(QPalette::Light), pal.color(QPalette::Dark), true);
}

void DrawDisabledImage(const QList<QImage>& images, QPainter& painter, int x, int y, int index,
                       QColor highlight, QColor gray, bool drawHighlight) {
  if (index < 0 || index >= images.size()) return;
  const QImage img = images.at(index).convertToFormat(QImage::Format_ARGB32);
  auto silhouette = [&](QColor colour) {
    QImage s(img.size(), QImage::Format_ARGB32);
    for (int yy = 0; yy < img.height(); ++yy)
      for (int xx = 0; xx < img.width(); ++xx)
        s.setPixel(xx, yy, qAlpha(img.pixel(xx, yy)) != 0 ? colour.rgb() : 0u);
    return s;
  };
  painter.save();
  if (drawHighlight) painter.drawImage(x + 1, y + 1, silhouette(highlight));
  painter.drawImage(x, y, silhouette(gray));
  painter.restore();
}

QString FitTextWithEllipsis(const QString& text, const QFontMetrics& metrics, int maxWidth) {
  QString result = text;
  int counter = 1;
  while (counter <= text.size() && metrics.horizontalAdvance(result) > maxWidth) {
    ++counter;
    const int keep = text.size() - counter;
    result = (keep > 0 ? text.left(keep) : QString()) + QStringLiteral("...");
  }
  return result;
}

void RemovePendingMessage(QObject* receiver, QEvent::Type type) {
  QCoreApplication::removePostedEvents(receiver, type);
}

bool IsThreadWindowActive() {
  QWidget* active = QApplication::activeWindow();
  return active != nullptr && active->thread() == QThread::currentThread();
}

QColor ButtonFaceColor() {
  return QApplication::palette().color(QPalette::Button);
}

QColor ButtonHighlightColor() {
  return QApplication::palette().color(QPalette::Light);
}

QColor ButtonShadowColor() {
  return QApplication::palette().color(QPalette::Dark);
}

QColor WindowFrameColor() {
  return QApplication::palette().color(QPalette::Shadow);
}

QColor ButtonTextColor() {
  return QApplication::palette().color(QPalette::ButtonText);
}

}  // namespace XtVclUtils
