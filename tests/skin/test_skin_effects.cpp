// Glows, the alpha image list, the skin picture helpers and the
// identifier lists of the shell folder helpers.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QWidget>

#include "qt_test_application.h"
#include "skin/blend_image_list.h"
#include "skin/glow.h"
#include "skin/picture_helpers.h"
#include "skin/shell_folders.h"
#include "skin/skin_link.h"
#include "winshim/dib.h"

using namespace kelmo::skin;

namespace {

// A glow mask of three states 30 x 30, margins 10, MaskType 1, in a master
// bitmap: an orange picture whose mask shows it fully.
struct GlowSkin {
  TkSkinManager manager;
  GlowSkin() {
    manager.MasterBitmap = std::make_shared<QImage>(CreateBmp24(90, 60));
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 90; ++x) px::PutColor(px::At(*manager.MasterBitmap, x, y), 0x0080FF);
    TkMaskData glow;
    glow.ClassName = QStringLiteral("BUTTON");
    glow.PropertyName = QStringLiteral("GLOW0");
    glow.R = {0, 0, 90, 60};
    glow.ImageCount = 3;
    glow.MaskType = 1;
    glow.WL = glow.WT = glow.WR = glow.WB = 10;
    glow.Manager = &manager;
    manager.ma.push_back(glow);
    TkGeneralData s;
    s.ClassName = QStringLiteral("BUTTON");
    manager.gd.push_back(s);
  }
};

std::vector<std::uint8_t> PngBytes(const QImage& img) {
  QByteArray bytes;
  QBuffer b(&bytes);
  b.open(QIODevice::WriteOnly);
  img.save(&b, "PNG");
  return {bytes.begin(), bytes.end()};
}

}  // namespace

TEST(Glow, WindowSizeCutsAndIndexes) {
  ClearGlows();
  GlowSkin skin;
  const Rect control{100, 50, 200, 70};  // 100 x 20
  const int i = ShowGlow(control, {0, 0, 100, 20}, QStringLiteral("BUTTON"), &skin.manager, nullptr,
                         255, 2, QStringLiteral("GLOW"));
  ASSERT_EQ(i, 0);
  const TkaGlowEffect& g = *TkaGlowEffects()[0];
  ASSERT_TRUE(g.Window());
  EXPECT_EQ(g.Window()->geometry(), QRect(92, 42, 116, 36));
  EXPECT_TRUE(g.Window()->isVisible());
  // The glow's own picture: orange where painted, alpha from the picture's fill.
  EXPECT_EQ(px::ColorOf(px::At(g.Picture(), 0, 0)), 0x0080FF);
  // The left 30 pixels hidden: cut by 10 + 30 - 2.
  const int j = ShowGlow(control, {30, 0, 100, 20}, QStringLiteral("BUTTON"), &skin.manager,
                         nullptr, 255, 2, QStringLiteral("GLOW"));
  EXPECT_EQ(j, 1);
  EXPECT_EQ(TkaGlowEffects()[1]->Window()->geometry().left(), 92 + 38);
  EXPECT_EQ(ShowGlow(control, control, QStringLiteral("BUTTON"), &skin.manager, nullptr, 255, 2,
                     QStringLiteral("NOGLOW")),
            -1);
  HideGlow(0);
  HideGlow(0);
  HideGlow(7);
  EXPECT_FALSE(TkaGlowEffects()[0]);
  EXPECT_EQ(ShowGlow(control, {0, 0, 100, 20}, QStringLiteral("BUTTON"), &skin.manager, nullptr,
                     255, 2, QStringLiteral("GLOW")),
            2);  // freed entries are not reused
  ClearGlows();
  EXPECT_TRUE(TkaGlowEffects().empty());
}

TEST(BlendImageList, ItemsBuildIconsAndAddedImagesGetAlpha) {
  QImage a(16, 16, QImage::Format_ARGB32);
  a.fill(qRgba(255, 0, 0, 128));
  QImage b(16, 16, QImage::Format_RGB32);
  b.fill(qRgb(0, 0, 255));
  TkBlendImageList list;
  list.Loading = true;
  list.Items.push_back({TkImageFormat::ifPNG, 32, PngBytes(a)});
  list.Items.push_back({TkImageFormat::ifPNG, 32, PngBytes(b)});
  list.Loaded();
  list.Loading = false;
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items.size(), 2u);
  EXPECT_EQ(qAlpha(list.Image(0).ToArgb().pixel(3, 3)), 128);
  // Built twice: the same images (the data is read from its start).
  list.BuildSystemList();
  EXPECT_EQ(list.Count(), 2);
  QImage plain = CreateBmp24(16, 16);
  plain.fill(qRgb(10, 20, 30));
  plain.setPixel(0, 0, qRgb(255, 0, 255));
  const int k = list.Add(plain);
  EXPECT_EQ(k, 2);
  EXPECT_EQ(qAlpha(list.Image(k).color.pixel(5, 5)), 255);
  EXPECT_EQ(qAlpha(list.Image(k).color.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(list.Image(0).color.pixel(3, 3)), 128);  // already had alpha
  TkBlendImageList runtime;
  runtime.AfterConstruction(false);
  runtime.Add(plain);
  EXPECT_EQ(qAlpha(runtime.Image(0).color.pixel(5, 5)), 0);  // never generated: no treatment
  TkBlendImageList broken;
  broken.MakeSystemList();
  broken.Items.push_back({TkImageFormat::ifPNG, 32, {1, 2, 3}});
  EXPECT_ANY_THROW(broken.BuildSystemList());
}

TEST(PictureHelpers, StartupListAndBorders) {
  EXPECT_EQ(StartupImageList().Count(), 5);
  EXPECT_EQ(StartupImageList().Width(), 48);
  InitSkinConstants();
  EXPECT_EQ(SkinConst().hScrollArrowWidth, 16);
  EXPECT_EQ(SkinConst().transparentColor, 0xFF00FF);
  EXPECT_FALSE(ControlStopsBroadcast(nullptr));
  // A keyed border of 30 x 10 per state with margins 3 over a 24-bit master.
  TkSkinManager m;
  m.MasterBitmap = std::make_shared<QImage>(CreateBmp24(90, 10));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 90; ++x) px::PutColor(px::At(*m.MasterBitmap, x, y), 0x00FF00);
  TkMaskData border;
  border.ClassName = QStringLiteral("EDIT");
  border.PropertyName = QStringLiteral("BORDERSMASK");
  border.R = {0, 0, 90, 10};
  border.ImageCount = 3;
  border.WL = border.WT = border.WR = border.WB = 3;
  border.Manager = &m;
  m.ma.push_back(border);
  TkGeneralData s;
  s.ClassName = QStringLiteral("EDIT");
  s.Color = 0x0000FF;
  m.gd.push_back(s);
  QWidget owner;
  owner.resize(30, 20);
  TkCommonData link(&owner, true);
  link.SkinManager = &m;
  link.SkinSection = QStringLiteral("Edit");
  link.UpdateIndexes();
  QImage target = CreateBmp24(30, 20);
  target.fill(Qt::white);
  kelmo::winshim::Dc dc(target);
  EXPECT_EQ(PaintControlBorder(dc, {0, 0, 30, 20}, 0, 0, link), (Rect{3, 3, 27, 17}));
  EXPECT_EQ(px::ColorOf(px::At(target, 0, 0)), 0xFFFFFF);  // nothing copied with width 0
  EXPECT_EQ(px::ColorOf(px::At(link.FCacheBmp, 0, 0)), 0x00FF00);
  const Rect inner = PaintControlBorder(dc, {0, 0, 30, 20}, 12, 0, link);
  EXPECT_EQ(inner.left, 12);
  EXPECT_EQ(inner.Height(), 0);
  EXPECT_EQ(inner.top, 12);
  EXPECT_EQ(px::ColorOf(px::At(target, 0, 0)), 0x00FF00);  // strips copied
  EXPECT_EQ(px::ColorOf(px::At(target, 5, 5)), 0x0000FF);  // the frame in the section colour
}

TEST(ShellFolders, IdListsAndLevels) {
  IdList list = NewIdList(36);
  list[0] = 20;
  list[20] = 14;
  EXPECT_EQ(IdListSize(&list), 36u);
  EXPECT_EQ(NextIdItem(list, 0), 20u);
  const IdList empty{0, 0};
  EXPECT_EQ(IdListSize(&empty), 2u);
  EXPECT_EQ(IdListSize(nullptr), 0u);
  EXPECT_EQ(JoinIdLists(nullptr, list), CopyIdList(list));
  const IdList joined = JoinIdLists(&list, list);
  EXPECT_EQ(IdListSize(&joined), 70u);
  IdList lying{200, 0, 1, 2};
  EXPECT_EQ(IdListSize(&lying), 2u);
  InitDesktopShellFolder();
  ASSERT_TRUE(DesktopShellFolder());
  EXPECT_EQ(DesktopShellFolder()->Parent(), nullptr);
  TkaShellFolder top(nullptr, list);
  EXPECT_EQ(top.Parent(), DesktopShellFolder());
  TkaShellFolder child(&top, list);
  EXPECT_EQ(child.Level(), 1);
  DoneDesktopShellFolder();
  EXPECT_FALSE(DesktopShellFolder());
}
