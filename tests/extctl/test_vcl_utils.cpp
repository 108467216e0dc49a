// Painting and window helpers.
#include <gtest/gtest.h>

#include <QPainter>
#include <QWidget>
#include <stdexcept>

#include "test_app.h"
#include "extctl/xt_vcl_utils.h"

namespace {

using namespace XtVclUtils;

TEST(VclUtilsTest, FitTextWithEllipsis) {
  const QFontMetrics fm(QApplication::font());
  EXPECT_EQ(FitTextWithEllipsis("abc", fm, 1000), "abc");
  EXPECT_EQ(FitTextWithEllipsis("W", fm, 0), "...");
  EXPECT_EQ(FitTextWithEllipsis("", fm, 0), "");
  const QString text = "abcdefghijklmnop";
  const QString fitted = FitTextWithEllipsis(text, fm, fm.horizontalAdvance("abcdefgh..."));
  EXPECT_TRUE(fitted.endsWith("...")) << fitted.toStdString();
  EXPECT_LE(fm.horizontalAdvance(fitted), fm.horizontalAdvance("abcdefgh..."));
  // The first shortened form drops two characters.
  const int almost = fm.horizontalAdvance(text) - 1;
  const QString first = FitTextWithEllipsis(text, fm, almost);
  EXPECT_TRUE(first == text.left(text.size() - 2) + "..." || first.size() < text.size());
}

TEST(VclUtilsTest, DisabledBitmapEmbossesTheOutline) {
  QImage src(4, 4, QImage::Format_RGB32);
  src.fill(Qt::white);
  src.setPixel(1, 1, qRgb(0, 0, 0));
  const QImage out =
      MakeDisabledBitmapInColors(src, Qt::black, Qt::gray, Qt::white, Qt::darkGray, true);
  EXPECT_EQ(out.size(), src.size());
  EXPECT_EQ(out.pixel(1, 1), QColor(Qt::darkGray).rgb());
  EXPECT_EQ(out.pixel(2, 2), QColor(Qt::white).rgb());
  EXPECT_EQ(out.pixel(0, 0), QColor(Qt::gray).rgb());
  const QImage flat =
      MakeDisabledBitmapInColors(src, Qt::black, Qt::gray, Qt::white, Qt::darkGray, false);
  EXPECT_EQ(flat.pixel(2, 2), QColor(Qt::gray).rgb());
}

TEST(VclUtilsTest, DrawDisabledImagePaintsOpaquePixels) {
  QImage icon(3, 3, QImage::Format_ARGB32);
  icon.fill(0);
  icon.setPixel(0, 0, qRgba(10, 20, 30, 255));
  QImage canvas(6, 6, QImage::Format_RGB32);
  canvas.fill(Qt::blue);
  QPainter p(&canvas);
  p.setBrush(Qt::green);
  DrawDisabledImage({icon}, p, 1, 1, 0, Qt::white, Qt::gray, true);
  DrawDisabledImage({icon}, p, 1, 1, 5, Qt::red, Qt::red, true);  // no such image
  EXPECT_EQ(p.brush().color(), QColor(Qt::green));
  p.end();
  EXPECT_EQ(canvas.pixel(1, 1), QColor(Qt::gray).rgb());
  EXPECT_EQ(canvas.pixel(2, 2), QColor(Qt::white).rgb());
  EXPECT_EQ(canvas.pixel(3, 3), QColor(Qt::blue).rgb());
}

// A sibling that records whether it was marked while painting.
class Marking : public QWidget {
 public:
  using QWidget::QWidget;
  bool marked = false;

 protected:
  void paintEvent(QPaintEvent*) override {
    marked = property(kPaintCopyProperty).toBool();
    QPainter p(this);
    p.fillRect(rect(), Qt::red);
  }
};

TEST(VclUtilsTest, PaintParentImageDrawsWhatLiesBehind) {
  QWidget parent;
  parent.resize(50, 50);
  parent.setAutoFillBackground(true);
  QPalette pal = parent.palette();
  pal.setColor(QPalette::Window, Qt::yellow);
  parent.setPalette(pal);
  auto* below = new Marking(&parent);
  below->setGeometry(0, 0, 20, 20);
  auto* control = new QWidget(&parent);
  control->setGeometry(10, 10, 20, 20);
  parent.show();
  QImage img(20, 20, QImage::Format_RGB32);
  img.fill(Qt::black);
  {
    QPainter p(&img);
    PaintParentImage(control, p);
  }
  EXPECT_EQ(img.pixel(2, 2), QColor(Qt::red).rgb());       // the sibling beneath
  EXPECT_EQ(img.pixel(15, 15), QColor(Qt::yellow).rgb());  // the parent
  EXPECT_TRUE(below->marked);
  EXPECT_FALSE(below->property(kPaintCopyProperty).isValid());
  EXPECT_FALSE(parent.property(kPaintCopyProperty).isValid());
  QPainter p(&img);
  PaintParentImage(nullptr, p);  // nothing happens
  PaintParentImage(&parent, p);  // a window without a parent: nothing happens
}

TEST(VclUtilsTest, SmallHelpers) {
  EXPECT_EQ(GreaterOf(3, -4), 3);
  EXPECT_EQ(LesserOf(3, -4), -4);
  EXPECT_EQ(WidthOfRect(QRect(5, 5, 10, 20)), 10);
  EXPECT_EQ(HeightOfRect(QRect(5, 5, 10, 20)), 20);
  EXPECT_EQ(ResourceTextAsIs("x %d"), "x %d");
  QWidget w;
  w.show();
  QApplication::setActiveWindow(&w);
  EXPECT_TRUE(IsThreadWindowActive());
}

}  // namespace
