// The form of the control wrappers' tests: a shown form of one plain
// colour, the controls' fixture skin in a skin folder, the manager that
// switches it on and off, and pixel helpers over grabs of the widgets.
#pragma once

#include <gtest/gtest.h>

#include <QCursor>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include "controls_skin.h"
#include "qt_test_application.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "winshim/window.h"

namespace kelmo::skinwnd::testing_controls {

namespace ws = kelmo::winshim;

inline constexpr TColor kFormColor = Bgr(0x20, 0x30, 0x40);

// The colour of a pixel of a grab.
inline TColor PixelOf(const QImage& img, int x, int y) {
  const QColor c = img.pixelColor(x, y);
  return Bgr(c.red(), c.green(), c.blue());
}

// round(f * a + (1 - f) * b) per channel.
inline TColor Mix(TColor a, TColor b, double f) {
  auto ch = [&](int shift) {
    const int va = (a >> shift) & 0xFF, vb = (b >> shift) & 0xFF;
    return int(f * va + (1 - f) * vb + 0.5) << shift;
  };
  return TColor(ch(0) | ch(8) | ch(16));
}

inline bool Near(TColor a, TColor b, int tolerance = 2) {
  for (int shift : {0, 8, 16})
    if (std::abs(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

// The bounding box of the pixels that differ from the background colour.
inline QRect InkBox(const QImage& img, TColor background, const QRect& within = {}) {
  const QRect area = within.isNull() ? img.rect() : within;
  QRect box;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (!Near(PixelOf(img, x, y), background, 40)) box |= QRect(x, y, 1, 1);
  return box;
}

struct ControlForm : ::testing::Test {
  QTemporaryDir dir;
  skin::TkSkinManagerComponent manager;
  QWidget form;

  void SetUp() override {
    WriteControlsSkins(dir.path());
    form.resize(360, 260);
    QPalette p = form.palette();
    p.setColor(QPalette::Window, ws::ToQColor(ws::ColorRef(kFormColor)));
    form.setPalette(p);
    form.setAutoFillBackground(true);
    ws::HandleOf(&form);
    manager.SetSkinDirectory(dir.path());
  }
  // The form's children die while the test's handlers can still hear them.
  void TearDown() override { qDeleteAll(form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)); }
  void Show() {
    form.show();
    for (QWidget* child : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->show();
    QCoreApplication::processEvents();
  }
  void SkinOn(const char* name = "Controls") {
    manager.SetSkinName(QString::fromLatin1(name));
    manager.SetActive(true);
  }
  void SkinOff() { manager.SetActive(false); }
  skin::TkSkinManager* Manager() { return &manager.Manager; }
  static QImage Grab(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
  // The cursor over a point of a widget.
  static void CursorAt(QWidget* w, QPoint p) { QCursor::setPos(w->mapToGlobal(p)); }
};

}  // namespace kelmo::skinwnd::testing_controls
