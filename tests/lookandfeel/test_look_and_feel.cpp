// The Office-2003 colour set, look-and-feel objects with their masters and
// controllers, the colour-change notification and the brush cache.
#include <QCoreApplication>
#include <QEvent>

#include "fake_theme.h"
#include "lookandfeel/look_and_feel.h"
#include "lookandfeel/office11_colors.h"
#include "paint_fixture.h"

namespace kelmo::le {
namespace {

using test::ThemeBinding;
using test::ThemeLog;

// A listener that records what it hears.
struct Ear : ILookAndFeelChangeListener {
  std::vector<TleLookAndFeelValues> heard;
  void MasterChangedNotice(TleLookAndFeel*, TleLookAndFeelValues c) override { heard.push_back(c); }
  void MasterDestroyingNotice(TleLookAndFeel*) override {}
};

class Office11Test : public test::PaintFixture {};

TEST_F(Office11Test, SchemeDetection) {
  struct Case {
    bool engine, active;
    const char* file;
    const char* color;
    int scheme;
  } cases[] = {
      {true, true, "C:\\Themes\\Luna\\luna.msstyles", "normalcolor", 1},
      {true, true, "C:\\Themes\\Luna\\Luna.msstyles", "HomeStead", 2},
      {true, true, "Luna.msstyles", "Metallic", 3},
      {true, true, "Luna.msstyles", "Royale", 0},
      {true, true, "C:\\Themes\\Royale\\ROYALE.MSSTYLES", "NormalColor", 0},
      {true, false, "Luna.msstyles", "NormalColor", 0},
      {false, true, "Luna.msstyles", "NormalColor", 0},
  };
  for (const Case& c : cases) {
    ThemeBinding b(c.engine);
    ThemeLog().active = c.active;
    ThemeChanged();
    ThemeLog().fileName = c.file;
    ThemeLog().colorName = c.color;
    ComputeOffice11Colors();
    EXPECT_EQ(CurrentOffice11Scheme(), c.scheme) << c.file << " " << c.color;
    EXPECT_EQ(Office11SchemeInUse(), c.scheme != 0);
  }
}

TEST_F(Office11Test, SchemeAndSystemModeSlots) {
  {
    ThemeBinding b(true);
    ThemeLog().colorName = "HomeStead";
    ComputeOffice11Colors();
    EXPECT_EQ(Office11().Face, 0xA7D9D9u);
    EXPECT_EQ(Office11().FrameDark, 0x588060u);
    EXPECT_EQ(Office11().ShadowMid, MixColorsPercent(0x6B7760, 0x8FC4B5, 50));
  }
  ComputeOffice11Colors();
  EXPECT_EQ(Office11().Face, C(clBtnFace));
  EXPECT_EQ(Office11().EdgeLight, 0xFFFFFFu);
  EXPECT_EQ(Office11().HotDark, Office11().HotLight);
  EXPECT_EQ(Office11().GradientLight, MixColorsPercent(clBtnFace, clWindow, 22));
  // A white face makes the hot and pressed colours the highlight colour.
  winshim::SetSysColor(winshim::COLOR_BTNFACE, 0xFFFFFF);
  ComputeOffice11Colors();
  EXPECT_EQ(Office11().HotLight, C(clHighlight));
  EXPECT_EQ(Office11().Pressed, C(clHighlight));
}

TEST_F(Office11Test, MixAndGradient) {
  EXPECT_EQ(MixColorsPercent(0x0000FF, 0x00FF00, 100), 0x0000FFu);
  EXPECT_EQ(MixColorsPercent(0x0000FF, 0x00FF00, 0), 0x00FF00u);
  EXPECT_EQ(MixColorsPercent(0x000064, 0x0000C8, 50), 0x000096u);
  Reset(300, 4);
  FillGradientRect(Canvas(), {0, 0, 1, 4}, 0x0000FF, true, 0xFF0000);
  EXPECT_EQ(Px(0, 0), 0x0000FFu);  // one band of the first colour
  FillGradientRect(Canvas(), {0, 1, 300, 2}, 0x000000, true, 0x0000FF);
  EXPECT_EQ(Px(0, 1), 0x000000u);
  EXPECT_EQ(Px(299, 1), 0x0000FFu);
  // 256 bands over 300 pixels: widths of one or two pixels, rising colours.
  int bands = 1;
  for (int x = 1; x < 300; ++x) {
    EXPECT_GE(Px(x, 1), Px(x - 1, 1));
    bands += Px(x, 1) != Px(x - 1, 1);
  }
  EXPECT_EQ(bands, 256);
  FillGradientRect(Canvas(), {0, 2, 300, 4}, 0x00FF00, false, 0x00FF00);
  EXPECT_TRUE(Filled({0, 2, 300, 4}, 0x00FF00));
}

TEST_F(Office11Test, AcquisitionLoadsTheGlyphsOnce) {
  ASSERT_EQ(Office11AcquisitionCount(), 0);
  RecomputeOffice11Colors();
  EXPECT_TRUE(Office11ExpandButtonBitmap(true).isNull());  // recomputing loads nothing
  AcquireOffice11Colors();
  AcquireOffice11Colors();
  EXPECT_EQ(Office11ExpandButtonBitmap(false).size(), QSize(11, 11));
  ReleaseOffice11Colors();
  EXPECT_FALSE(Office11ExpandButtonBitmap(false).isNull());
  ReleaseOffice11Colors();
  EXPECT_TRUE(Office11ExpandButtonBitmap(false).isNull());
}

class LookAndFeelTest : public ::testing::Test {
 protected:
  void SetUp() override { CreateLookAndFeelRoot(); }
  void TearDown() override { FreeLookAndFeelRoot(); }
  TleLookAndFeel& Root() { return *LookAndFeelRoot(); }
};

TEST_F(LookAndFeelTest, FollowsTheRoot) {
  TleLookAndFeel lf(nullptr);
  Ear ear;
  lf.AddChangeListener(&ear);
  EXPECT_EQ(lf.Kind(), lfUltraFlat);
  EXPECT_FALSE(lf.NativeStyle());
  Root().SetKind(lfOffice11);
  EXPECT_EQ(lf.Kind(), lfOffice11);
  EXPECT_EQ(ear.heard, std::vector<TleLookAndFeelValues>{lfvsKind});
}

TEST_F(LookAndFeelTest, AssignedKindIgnoresTheMasterButNotNativeStyle) {
  TleLookAndFeel lf(nullptr);
  Ear ear;
  lf.AddChangeListener(&ear);
  lf.SetKind(lfUltraFlat);  // the value it already shows: assigned, not announced
  EXPECT_EQ(lf.AssignedValues(), lfvsKind);
  EXPECT_TRUE(ear.heard.empty());
  Root().SetKind(lfFlat);
  EXPECT_EQ(lf.Kind(), lfUltraFlat);
  Root().SetNativeStyle(true);
  EXPECT_TRUE(lf.NativeStyle());
  EXPECT_EQ(ear.heard, std::vector<TleLookAndFeelValues>{lfvsNativeStyle});
  lf.Reset();
  EXPECT_EQ(lf.Kind(), lfFlat);
}

TEST_F(LookAndFeelTest, MasterChainsAndDestroyedMasters) {
  auto master = std::make_unique<TleLookAndFeel>(nullptr);
  TleLookAndFeel follower(nullptr);
  master->SetKind(lfStandard);
  follower.SetMasterLookAndFeel(master.get());
  EXPECT_EQ(follower.Kind(), lfStandard);
  master->SetKind(lfFlat);
  EXPECT_EQ(follower.Kind(), lfFlat);
  Ear ear;
  follower.AddChangeListener(&ear);
  master.reset();  // the follower now follows the root and announces the change
  EXPECT_EQ(follower.EffectiveMaster(), &Root());
  EXPECT_EQ(follower.Kind(), lfUltraFlat);
  EXPECT_EQ(ear.heard, std::vector<TleLookAndFeelValues>{lfvsKind});
  // Setting the root as master of an object that follows it changes nothing.
  follower.SetMasterLookAndFeel(&Root());
  EXPECT_EQ(follower.MasterLookAndFeel(), nullptr);
}

TEST_F(LookAndFeelTest, AssignCopiesValuesAndMaster) {
  TleLookAndFeel master(nullptr), source(nullptr), copy(nullptr);
  master.SetNativeStyle(true);
  source.SetMasterLookAndFeel(&master);
  source.SetKind(lfOffice11);
  copy.Assign(source);
  EXPECT_EQ(copy.Kind(), lfOffice11);
  EXPECT_TRUE(copy.NativeStyle());
  EXPECT_EQ(copy.MasterLookAndFeel(), &master);
}

TEST_F(LookAndFeelTest, ControllersSetTheRootAndTheLastResetsIt) {
  auto a = std::make_unique<TleLookAndFeelController>(nullptr);
  auto b = std::make_unique<TleLookAndFeelController>(nullptr);
  EXPECT_EQ(LookAndFeelControllerCount(), 2);
  a->SetKind(lfOffice11);
  b->SetNativeStyle(true);
  a.reset();
  EXPECT_EQ(Root().Kind(), lfOffice11);
  EXPECT_TRUE(b->NativeStyle());
  b.reset();
  EXPECT_EQ(LookAndFeelControllerCount(), 0);
  EXPECT_EQ(Root().Kind(), lfUltraFlat);
  EXPECT_FALSE(Root().NativeStyle());
  // A controller is accepted only by the root.
  TleLookAndFeel lf(nullptr);
  TleLookAndFeelController c(nullptr);
  lf.AddChangeListener(&c);
  EXPECT_FALSE(lf.HasListener(&c));
}

TEST_F(LookAndFeelTest, ColourChangeRecomputesThenNotifies) {
  TleLookAndFeel lf(nullptr);
  Ear ear;
  lf.AddChangeListener(&ear);
  EXPECT_TRUE(PaletteListenerExists());
  ComputeOffice11Colors();
  const ColorRef before = Office11().Face;
  winshim::SetSysColor(winshim::COLOR_BTNFACE, 0x102030);
  ColorRef seen = 0;
  TleSystemPaletteChangedNotifier probe(true);
  probe.ColorChangedHandler = [&] { seen = Office11().Face; };
  QEvent e(QEvent::ApplicationPaletteChange);
  QCoreApplication::sendEvent(QCoreApplication::instance(), &e);
  EXPECT_EQ(seen, 0x102030u);
  EXPECT_NE(seen, before);
  // Its own notice, and the root's passed down.
  EXPECT_EQ(ear.heard, (std::vector<TleLookAndFeelValues>{lfvsNativeStyle, lfvsNativeStyle}));
  winshim::ResetSystemProfile();
}

TEST(BrushCache, SharesBrushesAndDropsThemOnColourChange) {
  TleSolidBrushCache cache(2);
  struct Step {
    ColorRef color;
    int count, uses;
  } steps[] = {{0x0000FF, 1, 1}, {0x0000FF, 1, 2}, {0x00FF00, 2, 1}, {0xFF0000, 2, 0}};
  for (const Step& s : steps) {
    const QBrush b = cache.AcquireBrush(s.color);
    EXPECT_EQ(winshim::FromQColor(b.color()), s.color);
    EXPECT_EQ(cache.Count(), s.count);
    EXPECT_EQ(cache.UseCount(s.color), s.uses);
  }
  cache.ReleaseBrush(0x0000FF);
  EXPECT_EQ(cache.UseCount(0x0000FF), 1);
  BroadcastColorChange();
  EXPECT_EQ(cache.Count(), 0);
}

}  // namespace
}  // namespace kelmo::le
