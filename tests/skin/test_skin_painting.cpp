// Gradients, skin tables, pixel access, mask painting, the painting
// primitives, item painting and skinned text, checked on chosen pixels of
// bitmaps made by code.
#include <gtest/gtest.h>

#include <QWidget>

#include "qt_test_application.h"
#include "skin/item_painting.h"
#include "skin/mask_painting.h"
#include "skin/png_graphic.h"
#include "skin/skin_link.h"
#include "skin/skin_messages.h"
#include "skin/skin_text.h"
#include "winshim/dib.h"
#include "winshim/draw_text.h"

using namespace kelmo::skin;
using kelmo::winshim::Dc;

namespace {

constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

QImage Bmp24(int w, int h, TColor c) {
  QImage img = CreateBmp24(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px::PutColor(px::At(img, x, y), c);
  return img;
}

TColor Px(const QImage& img, int x, int y) {
  return px::ColorOf(px::At(img, x, y));
}

// A skin made by code: a master bitmap holding a three-state keyed border
// (MaskType 0) of 30 x 10 per state at the top, and a three-state masked
// image (MaskType 1) of 10 x 10 per state below it.
struct TestSkin {
  TkSkinManager manager;
  TestSkin() {
    manager.MasterBitmap = std::make_shared<QImage>(Bmp24(90, 40, kWhite));
    QImage& m = *manager.MasterBitmap;
    const TColor states[3] = {kRed, kGreen, kBlue};
    for (int s = 0; s < 3; ++s)
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 30; ++x) {
          const bool edge = x < 3 || x >= 27 || y < 3 || y >= 7;
          px::PutColor(px::At(m, s * 30 + x, y), edge ? states[s] : 0x808080);
        }
    px::PutColor(px::At(m, 0, 0), kTransparentKey);  // the top-left corner pixel shows through
    // Masked image: picture rows 10..19, mask rows 20..29 (black shows the picture).
    for (int s = 0; s < 3; ++s)
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
          px::PutColor(px::At(m, s * 10 + x, 10 + y), states[s]);
          px::PutColor(px::At(m, s * 10 + x, 20 + y), x < 5 ? 0 : 0xFFFFFF);
        }
    TkMaskData border;
    border.ClassName = QStringLiteral("BUTTON");
    border.PropertyName = QStringLiteral("BORDERSMASK");
    border.R = {0, 0, 90, 10};
    border.ImageCount = 3;
    border.MaskType = 0;
    border.WL = border.WT = border.WR = border.WB = 3;
    border.DrawMode = 4;
    border.Manager = &manager;
    manager.ma.push_back(border);
    TkMaskData glyph;
    glyph.ClassName = QStringLiteral("BUTTON");
    glyph.PropertyName = QStringLiteral("GLYPH");
    glyph.R = {0, 10, 30, 30};
    glyph.ImageCount = 3;
    glyph.MaskType = 1;
    glyph.Manager = &manager;
    manager.ma.push_back(glyph);
    TkGeneralData form;
    form.ClassName = QStringLiteral("GLOBALINFO");
    form.Color = 0x00C0C0;
    manager.gd.push_back(form);
    TkGeneralData button;
    button.ClassName = QStringLiteral("BUTTON");
    button.ParentClass = QStringLiteral("TRANSPARENT");
    button.Color = 0x102030;
    button.FontColor = {0x000000, -1, -1, -1, -1};
    manager.gd.push_back(button);
    TkGeneralData transparent;
    transparent.ClassName = QStringLiteral("TRANSPARENT");
    transparent.ParentClass = QStringLiteral("TRANSPARENT");
    manager.gd.push_back(transparent);
    manager.UpdateSectionImages();
  }
};

}  // namespace

TEST(Gradient, ParsesGroupsOfFiveAndClampsValues) {
  TkGradArray stops;
  ParseGradientData(QStringLiteral("255;65280;100;0;0"), stops);
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_EQ(stops[0].Color1, 255);
  EXPECT_EQ(stops[0].Color2, 65280);
  ParseGradientData(QStringLiteral("1;2;3;1;0;;;9;9;9;9"), stops);
  EXPECT_EQ(stops.size(), 1u);
  EXPECT_EQ(stops[0].Mode, 1);
  ParseGradientData(QStringLiteral("-5;7;150;0;0"), stops);
  EXPECT_EQ(stops[0].Color1, 0);
  EXPECT_EQ(stops[0].Percent, 100);
  ParseGradientData(QString(), stops);
  EXPECT_TRUE(stops.empty());
  EXPECT_THROW(ParseGradientData(QStringLiteral("a;1;1;1;1"), stops), std::invalid_argument);
}

TEST(Gradient, BandsAndTriangles) {
  TkGradArray stops;
  ParseGradientData(QStringLiteral("255;65280;100;0;0"), stops);
  QImage img = Bmp24(4, 10, kWhite);
  PaintGradientRect(img, {0, 0, 4, 10}, stops);
  EXPECT_EQ(Px(img, 0, 0), kRed);
  EXPECT_EQ(Px(img, 3, 9), kGreen);
  QImage wide = CreateBmp32(20, 2);
  ParseGradientData(QStringLiteral("255;16711680;30;1;0;0;0;10;1;0"), stops);
  PaintGradientRect(wide, {0, 0, 20, 2}, stops);
  EXPECT_EQ(Px(wide, 0, 1), kRed);
  EXPECT_EQ(Px(wide, 5, 1), TColor(42 | 212 << 16));  // 42.5 and 212.5 round to even
  EXPECT_EQ(Px(wide, 6, 1), 0);                       // the shared column goes to the later band
  EXPECT_EQ(px::At(wide, 6, 1)[3], 255);
  EXPECT_EQ(Px(wide, 19, 0), 0);  // the last stop runs to the edge, black to black
  QImage tri = Bmp24(20, 20, kWhite);
  ParseGradientData(QStringLiteral("255;0;0;2;0;65280;0;0;2;0"), stops);
  PaintGradientRect(tri, {0, 0, 20, 20}, stops);
  EXPECT_EQ(Px(tri, 19, 1) & 0xFF, 0u);  // near the top-right corner: stop 1's colour
  EXPECT_GT((Px(tri, 19, 1) >> 8) & 0xFF, 200);
  QImage indexed(4, 4, QImage::Format_Indexed8);
  indexed.fill(3);
  const QImage before = indexed;
  PaintGradientRect(indexed, {0, 0, 4, 4}, stops);
  EXPECT_EQ(indexed, before);
}

TEST(SkinTables, SizesAndLookupsUpTheParentChain) {
  TkMaskData m;
  m.R = {0, 0, 90, 40};
  m.ImageCount = 3;
  m.MaskType = 1;
  EXPECT_EQ(MaskImageWidth(m), 30);
  EXPECT_EQ(MaskImageHeight(m), 20);
  m.ImageCount = 0;
  EXPECT_EQ(MaskImageWidth(m), 0);
  m.MaskType = -1;
  EXPECT_EQ(MaskImageHeight(m), 0);
  TestSkin skin;
  TkSkinManager& mgr = skin.manager;
  const int button = mgr.GetSkinIndex(QStringLiteral("BUTTON"));
  EXPECT_EQ(mgr.GetSkinIndex(QStringLiteral("button")), -1);
  EXPECT_EQ(mgr.GetMaskIndex(button, QStringLiteral("BUTTON"), QStringLiteral("BORDERSMASK")), 0);
  // TRANSPARENT names itself as parent: the search ends.
  const int tr = mgr.GetSkinIndex(QStringLiteral("TRANSPARENT"));
  EXPECT_EQ(mgr.GetMaskIndex(tr, QStringLiteral("TRANSPARENT"), QStringLiteral("BORDERSMASK")), -1);
  // A section inherits its parent's masks.
  mgr.ma[1].ClassName = QStringLiteral("TRANSPARENT");
  EXPECT_EQ(mgr.GetMaskIndex(button, QStringLiteral("BUTTON"), QStringLiteral("GLYPH")), 1);
  EXPECT_EQ(mgr.GetMaskIndexExact(button, QStringLiteral("BUTTON"), QStringLiteral("GLYPH")), -1);
  EXPECT_EQ(mgr.gd[std::size_t(button)].BorderIndex, 0);
  EXPECT_EQ(mgr.GetGlobalColor(), 0x00C0C0);
  EXPECT_EQ(mgr.GetMaskSize(0), QSize(30, 10));
  EXPECT_EQ(mgr.MaskWidthLeft(0), 3);
}

TEST(PixelAccess, AttachAndPixelLayouts) {
  QImage thin = CreateBmp24(1, 100);
  TkaFast24 f24;
  EXPECT_FALSE(f24.Attach(&thin));
  EXPECT_EQ(f24.PixWidth, 0);
  QImage b32 = CreateBmp32(2, 2);
  EXPECT_THROW(f24.Attach(&b32), EAssertionFailed);
  std::uint8_t* p = px::At(b32, 1, 1);
  p[0] = 1, p[1] = 2, p[2] = 3, p[3] = 4;
  TkaFast32 f32;
  ASSERT_TRUE(f32.Attach(&b32));
  EXPECT_EQ(f32.Pixel(1, 1), 0x04010203u);
  f32.FillRect({0, 0, 2, 1}, ColorToPixel32(kRed));
  EXPECT_EQ(px::At(b32, 1, 0)[2], 255);
  EXPECT_EQ(px::At(b32, 1, 0)[3], 255);
}

TEST(PixelAccess, BlendWeightsAndColourMixing) {
  QImage src = Bmp24(2, 2, 0xC8C8C8), dst = Bmp24(2, 2, 0x646464);
  TkaFastSum24 sum;
  ASSERT_TRUE(sum.Attach(&src, &dst));
  sum.DstRect = sum.SrcRect = {0, 0, 2, 2};
  sum.Weight = 255;
  sum.BlendRect();
  EXPECT_EQ(px::At(dst, 0, 0)[0], (255 * 100 + 127) >> 8);
  sum.Weight = 0;
  sum.BlendRect();
  EXPECT_EQ(px::At(dst, 1, 1)[0], (255 * 200 + 127) >> 8);
  QImage mix = Bmp24(3, 3, 0);
  MixColorIntoRect(mix, {0, 0, 3, 3}, 40, kWhite);
  EXPECT_EQ(Px(mix, 2, 2), 0x999999);  // 0.6 * 255 = 153
  QImage glyph = Bmp24(2, 2, 0x0000FF);
  ApplyDisabledLook(glyph, 2, nullptr, {}, kEmptyBgSource);
  EXPECT_EQ(Px(glyph, 0, 0), 0x555555);
}

TEST(MaskPainting, NinePartsKeysStatesAndNothingForThinRects) {
  TestSkin skin;
  const TkMaskData& border = skin.manager.ma[0];
  QImage img = Bmp24(40, 20, kWhite);
  const TBgSource bg{nullptr, 0, 0, 0x123456, false};
  PaintMask(img, {0, 0, 40, 20}, 1, border, bg, true, true);
  EXPECT_EQ(Px(img, 0, 5), kGreen);      // left side of state 1
  EXPECT_EQ(Px(img, 39, 19), kGreen);    // bottom-right corner
  EXPECT_EQ(Px(img, 20, 10), 0x808080);  // centre tiled
  EXPECT_EQ(Px(img, 0, 0), kGreen);      // only state 0 has the key pixel
  QImage first = Bmp24(40, 20, kWhite);
  PaintMask(first, {0, 0, 40, 20}, 0, border, bg, true, false);
  EXPECT_EQ(Px(first, 0, 0), 0x123456);  // key corner pixel from the background colour
  EXPECT_EQ(Px(first, 20, 10), kWhite);  // no centre asked
  QImage beyond = Bmp24(40, 20, kWhite);
  PaintMask(beyond, {0, 0, 40, 20}, 7, border, bg, true, true);
  EXPECT_EQ(Px(beyond, 0, 5), kBlue);  // the last state
  QImage thin = Bmp24(40, 20, kWhite);
  PaintMask(thin, {5, 0, 6, 20}, 1, border, bg, true, true);
  EXPECT_EQ(thin, Bmp24(40, 20, kWhite));
  TkMaskData skipFirst = border;
  skipFirst.DrawMode |= 2;
  QImage none = Bmp24(40, 20, kWhite);
  PaintMask(none, {0, 0, 40, 20}, 0, skipFirst, bg, true, true);
  EXPECT_EQ(none, Bmp24(40, 20, kWhite));
}

TEST(MaskPainting, MaskedImagesBlendAndFadeWithTheMode) {
  TestSkin skin;
  const TkMaskData& glyph = skin.manager.ma[1];
  QImage img = Bmp24(10, 10, kWhite);
  PaintMaskImage(img, {0, 0}, 0, glyph, kEmptyBgSource, 1);
  EXPECT_EQ(Px(img, 1, 1), kRed);      // mask black: the picture
  EXPECT_EQ(Px(img, 8, 1), 0xFEFEFF);  // mask white: what lies behind, (255 * 255) >> 8
  QImage faded = Bmp24(10, 10, kWhite);
  PaintMaskImage(faded, {0, 0}, 0, glyph, kEmptyBgSource, 0);
  // Mask 0 + 100: ((255 - 255) * 100 + 255 * 256) >> 8 for red, ((255 - 0) * 100) >> 8 for the
  // rest.
  EXPECT_EQ(Px(faded, 1, 1), TColor(255 | (99 << 8) | (99 << 16)));
  QImage shifted = Bmp24(10, 10, kWhite);
  PaintMaskImage(shifted, {-2, 0}, 1, glyph, kEmptyBgSource, 1);
  EXPECT_EQ(Px(shifted, 2, 1), kGreen);    // column 4 of the state image
  EXPECT_EQ(Px(shifted, 3, 1), 0xFEFFFE);  // column 5 is masked out
}

TEST(Primitives, RotateBlendMixAndAlphaCopy) {
  QImage src = Bmp24(3, 2, kWhite);
  px::PutColor(px::At(src, 0, 0), kRed);
  const QImage cw = RotateBitmap90(src, true);
  EXPECT_EQ(cw.size(), QSize(2, 3));
  EXPECT_EQ(Px(cw, 1, 0), kRed);
  const QImage ccw = RotateBitmap90(src, false);
  EXPECT_EQ(Px(ccw, 0, 2), kRed);
  QImage t = Bmp24(2, 2, 0x404040);
  BlendBmp(t, 0, 0, kTransparentKey, 0, {0, 0, 1, 1}, Bmp24(2, 2, 0x808080));
  EXPECT_EQ(Px(t, 1, 1), 0x808080);
  BlendBmp(t, 0, 0, kTransparentKey, 1, {0, 0, 1, 1}, Bmp24(2, 2, 0x101010));
  EXPECT_EQ(Px(t, 1, 1), 0x808080);
  EXPECT_EQ(MixColors(kWhite, 0, 0.5), 0x808080);
  EXPECT_EQ(DesaturateColor(kRed, 100), 0x555555);
  EXPECT_EQ(ShiftColorHue(120, kRed), kGreen);
  QImage target = Bmp24(2, 1, 0);
  QImage alpha = CreateBmp32(2, 1);
  alpha.scanLine(0)[0] = alpha.scanLine(0)[1] = alpha.scanLine(0)[2] = 255;  // alpha 0
  std::uint8_t* p = alpha.scanLine(0) + 4;
  p[0] = p[1] = p[2] = 255;
  p[3] = 255;
  AlphaCopyRect({0, 0, 2, 1}, {0, 0, 2, 1}, target, false, 0, kelmo::winshim::clNone, false,
                kEmptyBgSource, alpha);
  EXPECT_EQ(Px(target, 0, 0), 0);
  EXPECT_EQ(Px(target, 1, 0), 0xFEFEFE);
  QImage half = Bmp24(1, 1, 0);
  QImage s200 = CreateBmp32(1, 1);
  s200.scanLine(0)[0] = 255;
  s200.scanLine(0)[3] = 200;
  AlphaCopyRect({0, 0, 1, 1}, {0, 0, 1, 1}, half, false, 50, kelmo::winshim::clNone, false,
                kEmptyBgSource, s200);
  EXPECT_EQ(px::At(half, 0, 0)[0], (255 * 100) >> 8);
  QImage t32 = CreateBmp32(3, 1);
  CopyBmpWithKey(t32, Bmp24(3, 1, kRed), -1, kTransparentKey, 0);
  EXPECT_EQ(Px(t32, 1, 0), kRed);
  EXPECT_EQ(Px(t32, 2, 0), 0);
  EXPECT_EQ(px::At(t32, 0, 0)[3], 255);
}

TEST(Primitives, TextureModesReportWhatIsLeft) {
  TestSkin skin;
  TkMaskData tex = skin.manager.ma[0];
  tex.R = {0, 0, 30, 10};
  QImage canvas = Bmp24(40, 40, kWhite);
  Rect r{0, 0, 40, 40};
  PaintTexture(canvas, r, nullptr, 4, tex);
  EXPECT_EQ(r, (Rect{0, 10, 40, 40}));
  EXPECT_EQ(Px(canvas, 0, 5), kRed);
  EXPECT_EQ(Px(canvas, 0, 20), kWhite);
  Rect whole{0, 0, 40, 40};
  PaintTexture(canvas, whole, nullptr, 0, tex);
  EXPECT_EQ(whole, (Rect{-1, -1, -1, -1}));
}

TEST(ItemPainting, TransparencyGradientAndSecondNames) {
  TestSkin skin;
  TkSkinManager& m = skin.manager;
  const int button = m.GetSkinIndex(QStringLiteral("BUTTON"));
  m.gd[std::size_t(button)].BorderIndex = -1;
  const QImage back = Bmp24(10, 10, 0x0000C8);
  TkGeneralData& s = m.gd[std::size_t(button)];
  s.Transparency = 100;
  QImage a = Bmp24(10, 10, kWhite);
  PaintItemBg(button, s.ClassName, BgSourceFromBmp(&back, 0, 0), kTransparentKey, -1, -1, &m, a,
              {0, 0}, {0, 0, 10, 10}, false);
  EXPECT_EQ(Px(a, 5, 5), 0x0000C8);
  s.Transparency = 40;
  s.Color = 0x000064;
  PaintItemBg(button, s.ClassName, BgSourceFromBmp(&back, 0, 0), kTransparentKey, -1, -1, &m, a,
              {0, 0}, {0, 0, 10, 10}, false);
  // 40 % background (200) and 60 % colour (100), through the weight byte 102.
  EXPECT_NEAR(Px(a, 5, 5) & 0xFF, 140, 1);
  s.Transparency = 0;
  s.GradientPercent = 30;
  ParseGradientData(QStringLiteral("0;0;100;0;0"), s.GradientArray);
  s.Color = 0x0000FF;
  QImage g = Bmp24(10, 10, kWhite);
  PaintItemBg(button, s.ClassName, kEmptyBgSource, kTransparentKey, -1, -1, &m, g, {0, 0},
              {0, 0, 10, 10}, false);
  EXPECT_EQ(Px(g, 5, 5), TColor(std::nearbyint(0.7 * 255)));  // 30 % black gradient, 70 % red
  QImage named = Bmp24(10, 10, kWhite);
  s.GradientPercent = 0;
  EXPECT_EQ(PaintSectionByName(named, QStringLiteral("NOSUCH"), QStringLiteral("BUTTON"), nullptr,
                               kWhite, {}, &m, 0),
            button);
  EXPECT_EQ(Px(named, 5, 5), 0x0000FF);
  EXPECT_LT(
      PaintSectionByName(named, QStringLiteral("X"), QStringLiteral("Y"), nullptr, 0, {}, &m, 0),
      0);
}

TEST(ItemPainting, ControlItemsSkipTheBorderInStateZeroWhenAsked) {
  TestSkin skin;
  QWidget owner;
  owner.resize(40, 20);
  TkCommonData link(&owner, true);
  link.SkinManager = &skin.manager;
  link.SkinSection = QStringLiteral("button");
  link.UpdateIndexes();
  ASSERT_TRUE(link.Skinned());
  QImage img = Bmp24(40, 20, kWhite);
  PaintControlItem(link, kEmptyBgSource, false, false, img, {0, 0}, {0, 0, 40, 20}, 1);
  EXPECT_EQ(Px(img, 0, 5), kGreen);
  skin.manager.ma[0].DrawMode |= 2;
  QImage plain = Bmp24(40, 20, kWhite);
  PaintControlItem(link, kEmptyBgSource, false, false, plain, {0, 0}, {0, 0, 40, 20}, 0);
  EXPECT_EQ(Px(plain, 0, 5), 0x102030);  // background only
}

TEST(ItemPainting, UpdateCornersTouchesOnlyTheAskedCorners) {
  TestSkin skin;
  // Keyed pixels in every corner of state 0.
  QImage& master = *skin.manager.MasterBitmap;
  for (auto [x, y] : {std::pair{29, 0}, std::pair{0, 9}, std::pair{29, 9}})
    px::PutColor(px::At(master, x, y), kTransparentKey);
  QWidget parent;
  QWidget owner(&parent);
  owner.setGeometry(5, 5, 40, 20);
  TkCommonData link(&owner, true);
  link.SkinManager = &skin.manager;
  link.SkinSection = QStringLiteral("BUTTON");
  link.UpdateIndexes();
  link.InitCacheBmp();
  link.FCacheBmp.fill(Qt::white);
  const QImage parentPicture = Bmp24(60, 40, 0x0A0B0C);
  auto previous = SetSkinMessageSender([&](QWidget* w, int cmd, void* l) -> std::intptr_t {
    if (w == &parent && cmd == scGetBgInfo) {
      auto* info = static_cast<TParentBgInfo*>(l);
      info->Bitmap = &parentPicture;
      info->Ready = 2;
      return 1;
    }
    return 0;
  });
  UpdateCorners(link, 0, 4);
  SetSkinMessageSender(previous);
  EXPECT_EQ(Px(link.FCacheBmp, 39, 0), 0x0A0B0C);
  EXPECT_EQ(Px(link.FCacheBmp, 0, 0), kWhite);
  EXPECT_EQ(Px(link.FCacheBmp, 0, 19), kWhite);
  EXPECT_EQ(Px(link.FCacheBmp, 39, 19), kWhite);
}

TEST(SkinText, CutsFramesDotsAndSectionColours) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(12);
  const QFontMetrics fm(font);
  EXPECT_EQ(CutTextToWidth(font, QStringLiteral("abc"), 500), QStringLiteral("abc"));
  EXPECT_EQ(CutTextToWidth(font, QStringLiteral("abcdef"),
                           fm.horizontalAdvance(QStringLiteral("abc..."))),
            QStringLiteral("abc..."));
  EXPECT_EQ(CutTextToWidth(font, QStringLiteral("abc"), 0), QString());
  QImage img = Bmp24(10, 10, kWhite);
  Dc dc(img);
  Rect r{0, 0, 10, 10};
  int count = 2;
  DrawNestedFrames(dc, r, 0x000000, count, 0x0000FF);
  EXPECT_EQ(r, (Rect{2, 2, 8, 8}));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Px(img, 0, 5), 0);
  EXPECT_EQ(Px(img, 9, 5), kRed);
  EXPECT_EQ(Px(img, 1, 5), 0);
  TestSkin skin;
  const int button = skin.manager.GetSkinIndex(QStringLiteral("BUTTON"));
  skin.manager.gd[std::size_t(button)].FontColor = {0x000000, -1, -1, -1, -1};
  skin.manager.gd[std::size_t(button)].Color = kWhite;
  QImage text = Bmp24(60, 20, 0x00FF00);
  Dc tdc(text);
  tdc.SelectFont({font, 0});
  DrawSectionTextBuf(tdc, QStringLiteral("W"), false, &skin.manager, false, button, 0,
                     {0, 0, 60, 20});
  // The disabled colour 0.4 * black + 0.6 * white; nothing else but the background.
  bool sawMix = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) {
      const TColor c = Px(text, x, y);
      if (c == 0x999999) sawMix = true;
      EXPECT_TRUE(c == 0x999999 || (c & 0xFF) <= 0x99 || c == 0x00FF00) << std::hex << c;
    }
  EXPECT_TRUE(sawMix);
  QImage dots = Bmp24(10, 10, 0x808080);
  Dc ddc(dots);
  DrawFocusDots(ddc, {1, 1, 9, 9});
  EXPECT_EQ(Px(dots, 1, 1), 0);
  EXPECT_EQ(Px(dots, 0, 0), kWhite);
  EXPECT_EQ(Px(dots, 4, 1), 0);
  EXPECT_EQ(Px(dots, 2, 1), 0x808080);
}

TEST(SkinText, GlyphLayouts) {
  const Rect client{10, 0, 110, 40};
  GlyphLayout l = CalcGlyphLayout(client, {16, 16}, {40, 12}, false, 4, -1, 0, 0);
  EXPECT_EQ(l.glyphPoint, QPoint(12, 12));
  EXPECT_EQ(l.captionRect.left, 10 + 2 + 16 + 4);
  l = CalcGlyphLayout(client, {16, 16}, {40, 12}, true, 4, 5, 0, 0);  // right to left: glyph right
  EXPECT_EQ(l.captionRect.left, 15);
  EXPECT_EQ(l.glyphPoint.x(), 10 + 5 + 40 + 4);
  l = CalcGlyphLayout(client, {16, 16}, {40, 12}, false, 2, 0, 0, 2);
  EXPECT_EQ(l.glyphPoint.y(), (40 - 16 - 2 - 12) / 2);
  EXPECT_EQ(l.captionRect.top, l.glyphPoint.y() + 16 + 2);
}

TEST(PngGraphic, DrawsByAlphaAndMakesIcons) {
  QImage pic = CreateBmp32(2, 1);
  std::uint8_t* p = pic.scanLine(0);
  p[0] = 255, p[3] = 255;        // blue, opaque
  p[4 + 2] = 255, p[4 + 3] = 0;  // red, transparent
  TPNGGraphic g;
  g.Bitmap() = pic;
  QImage canvas = Bmp24(4, 2, kGreen);
  g.Draw(canvas, {1, 1, 3, 2});
  EXPECT_EQ(Px(canvas, 1, 1), TColor(0xFE0000));
  EXPECT_EQ(Px(canvas, 2, 1), kGreen);
  EXPECT_EQ(Px(canvas, 0, 0), kGreen);
  const kelmo::winshim::Icon forced = g.MakeIcon(true);
  EXPECT_EQ(forced.mask.pixelIndex(0, 0), 0);  // the reference colour
  EXPECT_EQ(forced.mask.pixelIndex(1, 0), 1);
  EXPECT_EQ(qAlpha(forced.ToArgb().pixel(1, 0)), 255);
  const kelmo::winshim::Icon plain = g.MakeIcon(false);
  EXPECT_EQ(plain.mask.pixelIndex(1, 0), 0);
  EXPECT_EQ(qAlpha(plain.ToArgb().pixel(1, 0)), 0);
  QImage white = CreateBmp32(1, 1);
  white.fill(0x00FFFFFFu);
  ClearWhiteTransparentPixels(white);
  EXPECT_EQ(white.pixel(0, 0), 0u);
}
