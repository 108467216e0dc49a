// The image values of a skin's options text read into mask records, and
// the skin pictures decoded from PNG (with alpha), BMP and JPEG data, JPEG
// textures on both sides of the pattern size rule. Fixture pictures are
// drawn here.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QtEndian>

#include "qt_test_application.h"
#include "skin/skin_image_values.h"
#include "skin/skin_options.h"
#include "skin/skin_pictures.h"

using namespace kelmo::skin;

namespace {

QByteArray Encode(const QImage& img, const char* format) {
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  EXPECT_TRUE(img.save(&buf, format));
  return bytes;
}

QImage Filled(int w, int h, QColor c, QImage::Format f = QImage::Format_RGB32) {
  QImage img(w, h, f);
  img.fill(c);
  return img;
}

struct Expect {
  const char* value;
  const char* file;
  Rect r;
  int count, maskType, border, drawMode;
  TkaImgType type;
  int wl, wt, wr, wb;
};

}  // namespace

TEST(SkinImageValues, FormsGiveTheirRecords) {
  const Expect cases[] = {
      // An own PNG glyph: three states in two rows; margins come with its size.
      {"!BTN.PNG!3!1!2", "BTN.PNG", {}, 3, 1, 0, 4, TkaImgType::itisaGlyph, 0, 0, 0, 0},
      {"!BTN.BMP!3!1!9!1!2!3!4", "BTN.BMP", {}, 3, 1, 0, 4, TkaImgType::itisaPngGlyph, 1, 2, 3, 4},
      {"@0010 0020 0110 0080 3 1",
       "",
       {10, 20, 110, 80},
       3,
       1,
       0,
       0,
       TkaImgType::itisaGlyph,
       0,
       0,
       0,
       0},
      {"^0010 0020 0110 0080 0004 0004 0004 0004 3 1 0 0",
       "",
       {10, 20, 110, 80},
       3,
       1,
       0,
       0,
       TkaImgType::itisaBorder,
       4,
       4,
       4,
       4},
      // No margins and no border width: a third of one state image.
      {"^0000 0000 0090 0060 0000 0000 0000 0000 3 1 0 0",
       "",
       {0, 0, 90, 60},
       3,
       1,
       0,
       0,
       TkaImgType::itisaBorder,
       10,
       10,
       10,
       10},
      {"^0000 0000 0090 0060 0000 0000 0000 0000 3 1 0 5",
       "",
       {0, 0, 90, 60},
       3,
       1,
       5,
       0,
       TkaImgType::itisaBorder,
       5,
       5,
       5,
       5},
      {"~0001 0002 0030 0040 02",
       "",
       {1, 2, 30, 40},
       1,
       0,
       0,
       2,
       TkaImgType::itisaTexture,
       0,
       0,
       0,
       0},
      {"~0001 0002 0030 0040 02 1",
       "",
       {1, 2, 30, 40},
       1,
       1,
       0,
       2,
       TkaImgType::itisaTexture,
       0,
       0,
       0,
       0},
      {"#border (0,0,90,40) (3,1)",
       "",
       {0, 0, 90, 40},
       3,
       1,
       0,
       1,
       TkaImgType::itisaBorder,
       10,
       6,
       10,
       6},
      {"#b (0, 0, 90, 40) (0 -2 7 3)",
       "",
       {0, 0, 90, 40},
       1,
       0,
       7,
       3,
       TkaImgType::itisaBorder,
       7,
       7,
       7,
       7},
      // A plain bitmap file: three states, two rows, margins once its size is known.
      {"frame.bmp", "FRAME.BMP", {}, 3, 1, 0, 0, TkaImgType::itisaBorder, 0, 0, 0, 0},
  };
  for (const Expect& e : cases) {
    SCOPED_TRACE(e.value);
    const auto got =
        ParseImageValue(QStringLiteral("Sec"), QStringLiteral("Key"), QString::fromLatin1(e.value));
    ASSERT_TRUE(got);
    const TkMaskData& m = got->Mask;
    EXPECT_EQ(got->FileName, QString::fromLatin1(e.file));
    EXPECT_EQ(m.R.left, e.r.left);
    EXPECT_EQ(m.R.top, e.r.top);
    EXPECT_EQ(m.R.right, e.r.right);
    EXPECT_EQ(m.R.bottom, e.r.bottom);
    EXPECT_EQ(m.ImageCount, e.count);
    EXPECT_EQ(m.MaskType, e.maskType);
    EXPECT_EQ(m.BorderWidth, e.border);
    EXPECT_EQ(m.DrawMode, e.drawMode);
    EXPECT_EQ(m.ImgType, e.type);
    EXPECT_EQ(m.WL, e.wl);
    EXPECT_EQ(m.WT, e.wt);
    EXPECT_EQ(m.WR, e.wr);
    EXPECT_EQ(m.WB, e.wb);
    // Names as written for the marked forms, upper-cased for the others.
    const bool marked = QString::fromLatin1("!@^~").contains(QChar::fromLatin1(e.value[0]));
    EXPECT_EQ(m.ClassName, marked ? QStringLiteral("Sec") : QStringLiteral("SEC"));
  }
}

TEST(SkinImageValues, NotImagesAndBadNumbers) {
  for (const char* v : {"#", "", "!btn.png!3!1!2", "plain text", "$00FF00"})
    EXPECT_FALSE(ParseImageValue(QStringLiteral("S"), QStringLiteral("K"), QString::fromLatin1(v)))
        << v;
  for (const char* v : {"@00x0 0020 0110 0080 3 1", "^0010", "~0001 0002 0030 0040 zz",
                        "!BTN.PNG!three!1!2", "#x (0,0,90) (3,1)", "#x (a,0,90,40) (3,1)", "#x"})
    EXPECT_THROW(ParseImageValue(QStringLiteral("S"), QStringLiteral("K"), QString::fromLatin1(v)),
                 EConvertError)
        << v;
}

TEST(SkinImageValues, MarginsRuleSurvivesOddCounts) {
  TkMaskData m;
  m.R = Rect{0, 0, 30, 30};
  m.ImageCount = 0;  // counts as one
  m.MaskType = -1;   // no rows: no vertical margin instead of a division by zero
  ApplyMarginsRule(m);
  EXPECT_EQ(m.WL, 10);
  EXPECT_EQ(m.WT, 0);
}

TEST(SkinPictures, PngKeepsAlphaAndBmpIsTwentyFourBit) {
  QImage png = Filled(4, 2, QColor(10, 20, 30, 128), QImage::Format_ARGB32);
  png.setPixel(1, 0, qRgba(255, 255, 255, 0));  // white, fully transparent
  png.setPixel(2, 1, qRgba(255, 0, 255, 255));  // a magenta key pixel stays
  const QImage p = ReadSkinPicture(Encode(png, "PNG"), QStringLiteral("BTN.PNG"));
  ASSERT_EQ(p.size(), QSize(4, 2));
  EXPECT_EQ(qAlpha(p.pixel(0, 0)), 128);
  EXPECT_EQ(p.pixel(1, 0), 0u);
  EXPECT_EQ(p.pixel(2, 1), qRgba(255, 0, 255, 255));

  QImage master = Filled(20, 10, QColor(0, 128, 0));
  for (auto [x, y] : {std::pair{0, 0}, {19, 0}, {0, 9}, {19, 9}}) master.setPixel(x, y, 0xFFFF00FF);
  const QImage b = ReadSkinPicture(Encode(master, "BMP"), QStringLiteral("MASTER.BMP"));
  EXPECT_EQ(b.format(), QImage::Format_RGB888);
  EXPECT_EQ(b.pixel(19, 9), 0xFFFF00FFu);
  EXPECT_EQ(b.pixel(5, 5), qRgb(0, 128, 0));

  EXPECT_TRUE(ReadSkinPicture("not a picture", QStringLiteral("X.BMP")).isNull());
}

TEST(SkinPictures, OversizedDeclarationNamesTheFile) {
  QByteArray bmp = Encode(Filled(2, 2, Qt::red), "BMP");
  qToLittleEndian<qint32>(20000, bmp.data() + 18);  // the declared width
  try {
    ReadSkinPicture(bmp, QStringLiteral("HUGE.BMP"));
    FAIL() << "no error";
  } catch (const ESkinImageError& e) {
    EXPECT_NE(std::string(e.what()).find("HUGE.BMP"), std::string::npos);
  }
}

TEST(SkinPictures, JpegPatternSizeRule) {
  TkSkinManager manager;
  for (int side : {300, 200}) {
    const QByteArray jpg = Encode(Filled(side, side, QColor(200, 40, 40)), "JPG");
    AddJpegPicture(manager, QStringLiteral("Panel"), QStringLiteral("Texture%1").arg(side),
                   ReadSkinPicture(jpg, QStringLiteral("T.JPG")));
  }
  AddJpegPicture(manager, QStringLiteral("Panel"), QStringLiteral("Empty"), QImage());
  ASSERT_EQ(manager.pa.size(), 1u);
  EXPECT_EQ(manager.pa[0].PropertyName, QStringLiteral("TEXTURE300"));
  EXPECT_EQ(manager.pa[0].ClassName, QStringLiteral("PANEL"));
  EXPECT_EQ(manager.pa[0].Img->size(), QSize(300, 300));
  ASSERT_EQ(manager.ma.size(), 1u);
  const TkMaskData& m = manager.ma[0];
  EXPECT_EQ(m.PropertyName, QStringLiteral("TEXTURE200"));
  EXPECT_EQ(m.ImgType, TkaImgType::itisaTexture);
  EXPECT_EQ(m.ImageCount, 1);
  EXPECT_EQ(m.Manager, &manager);
  ASSERT_EQ(m.Bmp->size(), QSize(200, 200));
  const QRgb px = m.Bmp->pixel(100, 100);  // JPEG is lossy: near the colour drawn
  EXPECT_NEAR(qRed(px), 200, 6);
  EXPECT_NEAR(qGreen(px), 40, 6);
}
