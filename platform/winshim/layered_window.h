// Layered windows: a frameless, translucent, input-transparent top-level
// widget that shows a premultiplied image with a constant opacity, and the
// update call that puts an image on it.
#pragma once

#include <QImage>
#include <QWidget>

namespace kelmo::winshim {

class LayeredWindow : public QWidget {
  Q_OBJECT
 public:
  // A topmost window stays on top of others.
  explicit LayeredWindow(bool topmost = false);
  // What the window shows: premultiplied pixels and the constant opacity.
  const QImage& Content() const { return content_; }
  int ConstantAlpha() const { return alpha_; }
  void SetContent(const QImage& image, int constantAlpha);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage content_;
  int alpha_ = 255;
};

// Whether the platform offers layered windows: always on this one.
bool LayeredWindowsAvailable();

// Moves and sizes the window to the image at the position, shows the image
// with its per-pixel alpha and the constant opacity (0..255), and shows the
// window without activating it. Returns false for a missing window or image.
bool UpdateLayeredWindow(LayeredWindow* window, QPoint position, const QImage& image,
                         int constantAlpha);

}  // namespace kelmo::winshim
