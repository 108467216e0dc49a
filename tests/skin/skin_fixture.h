// The fixture skin of the skin manager's tests, made by code: an
// "Options.dat" with every value form (the "!", "@", "^", "~" and "#" forms,
// a plain .BMP and JPEG textures on both sides of the pattern size rule),
// PARENTCLASS chains with a self-reference and a two-section cycle, a
// master bitmap with magenta corners and a PNG with alpha; the same files
// as a ".skz" package; and a stored skin in both its variants.
#pragma once

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <string>
#include <utility>
#include <vector>

#include "skin/stored_skins.h"
#include "skin_test_pack.h"

namespace kelmo::skin::testing_fixture {

// Colours of the fixture ($BBGGRR).
inline constexpr TColor kGaugeColor = 0x0000FF;     // red
inline constexpr TColor kProgressColor = 0xFF0000;  // blue
inline constexpr TColor kPanelColor = 0x00FF00;     // green
inline constexpr TColor kMasterFill = 0x806040;

inline const char* const kOptions =
    "[GLOBALINFO]\r\n"
    "VERSION=7.5\r\n"
    "AUTHOR=Fixture\r\n"
    "MASTERBITMAP=MASTER.BMP\r\n"
    "TITLEHEIGHT=24\r\n"
    "BORDERWIDTH=abc\r\n"
    "SHADOW1BLUR=2\r\n"
    "[FORM]\r\n"
    "COLOR=$808080\r\n"
    "[PANEL]\r\n"
    "COLOR=$00FF00\r\n"
    "TCLEFT=255\r\n"
    "GLOW=3\r\n"
    "GLOWMARGIN=2\r\n"
    "HOTCOLOR=$123456\r\n"
    "GLOW0=!BTN.PNG!1!0!3\r\n"
    "[BUTTON]\r\n"
    "PARENTCLASS=PANEL\r\n"
    "TCLEFT=-1\r\n"
    "FONTCOLOR=0x10\r\n"
    "BORDERSMASK=!BTN.PNG!3!1!2\r\n"
    "SMALLMASK=!btn.png!3!1!2\r\n"
    "[EDIT]\r\n"
    "COLOR=$FFFFFF\r\n"
    "BORDERSMASK=^0000 0000 0030 0020 0004 0004 0004 0004 3 1 0 0\r\n"
    "[TABTOP]\r\n"
    "PARENTCLASS=EDIT\r\n"
    "GLYPHMASK=@0030 0000 0060 0010 3 0\r\n"
    "[TABBOTTOM]\r\n"
    "PARENTCLASS=TABTOP\r\n"
    "[SCROLLBTNTOP]\r\n"
    "PATTERN=~0000 0020 0010 0030 01 1\r\n"
    "HOTPATTERN=~0000 0020 0010 0030 02\r\n"
    "[OLD]\r\n"
    "BORDERSMASK=# (0,0,90,40) (3,1)\r\n"
    "LONE=#\r\n"
    "[PLAIN]\r\n"
    "BORDERSMASK=plain.bmp\r\n"
    "[SELF]\r\n"
    "PARENTCLASS=SELF\r\n"
    "[LOOPA]\r\n"
    "PARENTCLASS=LOOPB\r\n"
    "[LOOPB]\r\n"
    "PARENTCLASS=LOOPA\r\n"
    "TRANSPARENCY=7\r\n"
    "[GAUGE]\r\n"
    "COLOR=$0000FF\r\n"
    "[PROGRESSH]\r\n"
    "COLOR=$FF0000\r\n"
    "FONTCOLOR=$FFFFFF\r\n"
    "[TEXTURES]\r\n"
    "BIG=big.jpg\r\n"
    "SMALL=small.jpg\r\n";

inline QByteArray Encode(const QImage& img, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, format);
  return bytes;
}

// The master bitmap: 90 x 40, one colour, magenta corner pixels.
inline QImage MasterPicture() {
  QImage img(90, 40, QImage::Format_RGB888);
  img.fill(QColor(0x40, 0x60, 0x80));
  for (auto [x, y] : {std::pair{0, 0}, {89, 0}, {0, 39}, {89, 39}})
    img.setPixelColor(x, y, QColor(255, 0, 255));
  return img;
}

// A 30 x 20 PNG with alpha: half transparent white, an opaque red column.
inline QImage ButtonPicture() {
  QImage img(30, 20, QImage::Format_ARGB32);
  img.fill(qRgba(255, 255, 255, 0));
  for (int y = 0; y < 20; ++y) img.setPixel(5, y, qRgba(255, 0, 0, 255));
  return img;
}

inline std::vector<std::pair<std::string, QByteArray>> FixtureFiles() {
  QImage plain(27, 12, QImage::Format_RGB888);
  plain.fill(QColor(10, 20, 30));
  QImage big(300, 300, QImage::Format_RGB888), small(200, 200, QImage::Format_RGB888);
  big.fill(QColor(200, 100, 50));
  small.fill(QColor(50, 100, 200));
  return {{"Options.dat", QByteArray(kOptions)},
          {"MASTER.BMP", Encode(MasterPicture(), "BMP")},
          {"BTN.PNG", Encode(ButtonPicture(), "PNG")},
          {"PLAIN.BMP", Encode(plain, "BMP")},
          {"BIG.JPG", Encode(big, "JPG")},
          {"SMALL.JPG", Encode(small, "JPG")}};
}

inline std::vector<std::uint8_t> FixturePackage() {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& [name, bytes] : FixtureFiles()) files.emplace_back(name, bytes.toStdString());
  return testing_pack::Pack(files);
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(bytes);
}

// A skin directory holding the folder skin "Fixture" and "Packed.skz".
inline void WriteFixtureSkins(const QString& dir) {
  for (const auto& [name, bytes] : FixtureFiles())
    WriteFile(dir + "/Fixture/" + QString::fromStdString(name), bytes);
  const auto pack = FixturePackage();
  WriteFile(dir + "/Packed.skz",
            QByteArray(reinterpret_cast<const char*>(pack.data()), qsizetype(pack.size())));
}

// The stored skin holding the package's bytes.
inline TkStoredSkin StoredPackedSkin(const QString& name) {
  TkStoredSkin s;
  s.Name = name;
  s.Data = FixturePackage();
  return s;
}

// The stored skin of the older form: collections and a master bitmap.
inline TkStoredSkin StoredCollectionSkin(const QString& name) {
  TkStoredSkin s;
  s.Name = name;
  s.Version = 6.5;
  s.Author = QStringLiteral("Stored");
  s.Shadow1Blur = 4;
  s.MasterBitmap = MasterPicture();
  TkSkinGeneral panel;
  panel.SectionName = QStringLiteral("PANEL");
  panel.Color = kPanelColor;
  panel.FontColor = QStringLiteral("16 255 -1 -1 -1");
  panel.HotFontColor = QStringLiteral("1 2 3");  // not five numbers: colour 0, no contours
  panel.GradientData = QStringLiteral("255;65280;100;1;0");
  panel.GradientPercent = 50;
  TkSkinGeneral gauge;
  gauge.SectionName = QStringLiteral("GAUGE");
  gauge.Color = kGaugeColor;
  s.GeneralData = {panel, gauge};
  TkSkinImage own;
  own.SectionName = QStringLiteral("panel");
  own.PropertyName = QStringLiteral("bordersmask");
  own.Name = QStringLiteral("own");
  own.Image = ButtonPicture().convertToFormat(QImage::Format_RGB888);
  TkSkinImage rect;
  rect.SectionName = QStringLiteral("GAUGE");
  rect.PropertyName = QStringLiteral("BORDERSMASK");
  rect.Left = 0, rect.Top = 0, rect.Right = 90, rect.Bottom = 40;
  s.Images = {own, rect};
  TkSkinPattern first, second;
  first.SectionName = second.SectionName = QStringLiteral("PANEL");
  first.PropertyName = QStringLiteral("PATTERN");
  second.PropertyName = QStringLiteral("HOTPATTERN");
  first.Name = second.Name = QStringLiteral("shared");
  first.Image = QImage(40, 30, QImage::Format_RGB888);
  first.Image.fill(Qt::gray);
  s.Patterns = {first, second};
  return s;
}

}  // namespace kelmo::skin::testing_fixture
