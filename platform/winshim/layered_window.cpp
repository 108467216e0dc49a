#include "winshim/layered_window.h"

#include <QPainter>

namespace kelmo::winshim {

LayeredWindow::LayeredWindow(bool topmost)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus |
                           (topmost ? Qt::WindowStaysOnTopHint : Qt::WindowFlags())) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_NoSystemBackground);
}

void LayeredWindow::SetContent(const QImage& image, int constantAlpha) {
  content_ = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  alpha_ = std::clamp(constantAlpha, 0, 255);
  update();
}

void LayeredWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.fillRect(rect(), Qt::transparent);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setOpacity(alpha_ / 255.0);
  p.drawImage(0, 0, content_);
}

bool LayeredWindowsAvailable() {
  return true;
}

bool UpdateLayeredWindow(LayeredWindow* window, QPoint position, const QImage& image,
                         int constantAlpha) {
  if (!window || image.isNull()) return false;
  window->SetContent(image, constantAlpha);
  window->setGeometry(QRect(position, image.size()));
  if (!window->isVisible()) window->show();
  return true;
}

}  // namespace kelmo::winshim
