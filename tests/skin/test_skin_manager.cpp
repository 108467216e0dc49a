// The skin manager end to end on the fixture skin made by skin_fixture.h:
// the tables a folder, a package and both stored variants give; the
// commands that switching a skin on and off sends to forms and links,
// checked through the handler chain; a failed load; the common sections;
// recolouring; the main window's hook and the default manager.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <map>

#include "qt_test_application.h"
#include "skin/glow.h"
#include "skin/skin_colors.h"
#include "skin/skin_link.h"
#include "skin/skin_manager.h"
#include "skin/skin_messages.h"
#include "skin/skin_options.h"
#include "skin/skin_state.h"
#include "skin_fixture.h"

using namespace kelmo::skin;
namespace fx = kelmo::skin::testing_fixture;
namespace ws = kelmo::winshim;

namespace {

struct SkinDir {
  QTemporaryDir dir;
  SkinDir() { fx::WriteFixtureSkins(dir.path()); }
};

const TkGeneralData& Section(const TkSkinManager& m, const char* name) {
  const int i = m.GetSkinIndex(QLatin1String(name));
  EXPECT_GE(i, 0) << name;
  return m.gd.at(std::size_t(std::max(i, 0)));
}

const TkMaskData* Mask(const TkSkinManager& m, const char* section, const char* property) {
  const int i = m.GetMaskIndexExact(0, QLatin1String(section), QLatin1String(property));
  return i >= 0 ? &m.ma[std::size_t(i)] : nullptr;
}

// The section and image tables of the fixture options text, whichever way
// it came (folder, package or stored package).
void ExpectFixtureTables(const TkSkinManager& m) {
  // Section -> values after inheritance.
  struct Row {
    const char* section;
    TColor color;
    int tcLeft, fontColor, transparency, glow;
  };
  const Row rows[] = {
      {"PANEL", fx::kPanelColor, 255, 0, 0, 3},
      {"BUTTON", fx::kPanelColor, 255, 0x10, 0, 3},  // TCLEFT=-1 counts as missing
      {"EDIT", 0xFFFFFF, -1, 0, 0, 0},
      {"TABBOTTOM", 0xFFFFFF, -1, 0, 0, 0},
      {"SELF", 0xFFFFFF, -1, 0, 0, 0},
      {"LOOPA", 0xFFFFFF, -1, 0, 7, 0},  // from LOOPB; the cycle ends there
      {"LOOPB", 0xFFFFFF, -1, 0, 7, 0},
      {"GAUGE", fx::kGaugeColor, -1, 0, 0, 0},
  };
  for (const Row& r : rows) {
    const TkGeneralData& s = Section(m, r.section);
    EXPECT_EQ(s.Color, r.color) << r.section;
    EXPECT_EQ(s.FontColor[1], r.tcLeft) << r.section;
    EXPECT_EQ(s.FontColor[0], r.fontColor) << r.section;
    EXPECT_EQ(s.Transparency, r.transparency) << r.section;
    EXPECT_EQ(s.GlowCount, r.glow) << r.section;
  }
  EXPECT_EQ(m.SkinData.TitleHeightEx, 24);
  EXPECT_EQ(m.SkinData.MaxTitleHeightEx, 24);
  EXPECT_EQ(m.SkinData.BorderWidthEx, 4);  // "abc" read leniently
  EXPECT_EQ(m.SkinData.ShadowBlur, 2);
  EXPECT_DOUBLE_EQ(m.SkinData.SkinVersion, 7.5);

  ASSERT_TRUE(m.MasterBitmap);
  EXPECT_EQ(m.MasterBitmap->size(), QSize(90, 40));
  EXPECT_EQ(m.MasterBitmap->pixelColor(0, 0), QColor(255, 0, 255));
  // The painters read it as a 24-bit DIB: blue, green, red in memory.
  EXPECT_EQ(px::Bpp(*m.MasterBitmap), 3);
  EXPECT_EQ(m.MasterBitmap->constScanLine(1)[0], 0x80);

  // "!": an own PNG glyph, three states in two rows, margins width/9, height/6.
  const TkMaskData* button = Mask(m, "BUTTON", "BORDERSMASK");
  ASSERT_TRUE(button);
  ASSERT_TRUE(button->Bmp);
  EXPECT_TRUE(button->Bmp->hasAlphaChannel());
  EXPECT_EQ(button->ImgType, TkaImgType::itisaGlyph);
  EXPECT_EQ(button->R.Width(), 30);
  EXPECT_EQ(button->WL, 30 / 9);
  EXPECT_EQ(button->WT, 20 / 6);
  EXPECT_EQ(button->Manager, &m);
  EXPECT_FALSE(Mask(m, "BUTTON", "SMALLMASK"));  // ".png" in small letters: no image
  // "^": a border of the master bitmap keeping its margins.
  const TkMaskData* edit = Mask(m, "EDIT", "BORDERSMASK");
  ASSERT_TRUE(edit);
  EXPECT_FALSE(edit->Bmp);
  EXPECT_EQ(edit->R.right, 30);
  EXPECT_EQ(edit->WL, 4);
  EXPECT_EQ(edit->ImageCount, 3);
  // "@": a glyph of the master bitmap.
  const TkMaskData* glyph = Mask(m, "TABTOP", "GLYPHMASK");
  ASSERT_TRUE(glyph);
  EXPECT_EQ(glyph->ImgType, TkaImgType::itisaGlyph);
  EXPECT_EQ(glyph->R.left, 30);
  // "~": textures; 25 characters give a mask type, 23 give 0.
  ASSERT_TRUE(Mask(m, "SCROLLBTNTOP", "PATTERN"));
  EXPECT_EQ(Mask(m, "SCROLLBTNTOP", "PATTERN")->MaskType, 1);
  EXPECT_EQ(Mask(m, "SCROLLBTNTOP", "HOTPATTERN")->MaskType, 0);
  EXPECT_EQ(Mask(m, "SCROLLBTNTOP", "PATTERN")->ImgType, TkaImgType::itisaTexture);
  // "#": the old form, its margins from the rectangle.
  const TkMaskData* old = Mask(m, "OLD", "BORDERSMASK");
  ASSERT_TRUE(old);
  EXPECT_EQ(old->R.right, 90);
  EXPECT_EQ(old->WL, 10);
  EXPECT_EQ(old->WT, 6);
  EXPECT_FALSE(Mask(m, "OLD", "LONE"));
  // A plain bitmap file: three states, two rows.
  const TkMaskData* plain = Mask(m, "PLAIN", "BORDERSMASK");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->R.Width(), 27);
  EXPECT_EQ(plain->WL, 3);
  EXPECT_EQ(plain->WT, 2);
  // JPEG: 300 x 300 stays a pattern, 200 x 200 becomes a texture mask.
  EXPECT_GE(m.GetPatternIndex(m.GetSkinIndex("TEXTURES"), "TEXTURES", "BIG"), 0);
  EXPECT_LT(m.GetPatternIndex(m.GetSkinIndex("TEXTURES"), "TEXTURES", "SMALL"), 0);
  EXPECT_GE(m.GetTextureIndex(m.GetSkinIndex("TEXTURES"), "TEXTURES", "SMALL"), 0);
  // Section images through the PARENTCLASS chain: TABBOTTOM has EDIT's border.
  EXPECT_EQ(Section(m, "TABBOTTOM").BorderIndex, Section(m, "EDIT").BorderIndex);
  EXPECT_EQ(Section(m, "LOOPA").BorderIndex, -1);
}

}  // namespace

TEST(SkinManager, FolderPackageAndStoredSkinsGiveTheTables) {
  SkinDir d;
  for (const char* name : {"Fixture", "Packed", "StoredPack"}) {
    SCOPED_TRACE(name);
    TkSkinManagerComponent c;
    c.SetSkinDirectory(d.dir.path());
    c.InternalSkins.Items.push_back(fx::StoredPackedSkin(QStringLiteral("StoredPack")));
    c.SetSkinName(QLatin1String(name));
    EXPECT_TRUE(c.Manager.SkinData.SkinActive);
    EXPECT_EQ(c.FromPackage, std::string(name) != "Fixture");
    ExpectFixtureTables(c.Manager);
    EXPECT_EQ(c.SkinInfo(), QStringLiteral("7.5"));
  }
}

TEST(SkinManager, StoredCollectionSkinAndFallbacks) {
  TkSkinManagerComponent c;
  c.SetSkinDirectory(QStringLiteral("/nonexistent-skins"));
  c.InternalSkins.Items.push_back(fx::StoredCollectionSkin(QStringLiteral("Old")));
  // No folder and no stored skin of the name: the first stored skin is used.
  c.SetSkinName(QStringLiteral("Missing"));
  EXPECT_EQ(c.SkinName(), QStringLiteral("Old"));
  const TkSkinManager& m = c.Manager;
  EXPECT_EQ(m.SkinData.ShadowBlur, 4);
  EXPECT_DOUBLE_EQ(m.SkinData.SkinVersion, 6.5);
  const TkGeneralData& panel = Section(m, "PANEL");
  EXPECT_EQ(panel.FontColor[0], 16);
  EXPECT_EQ(panel.FontColor[1], 255);
  EXPECT_EQ(panel.HotFontColor[0], 0);
  EXPECT_EQ(panel.HotFontColor[1], -1);
  EXPECT_EQ(panel.GradientArray.size(), 1u);
  // Images: names upper-cased, a count of 0 made three states in two rows.
  const TkMaskData* own = Mask(m, "PANEL", "BORDERSMASK");
  ASSERT_TRUE(own);
  ASSERT_TRUE(own->Bmp);
  EXPECT_EQ(own->ImageCount, 3);
  EXPECT_EQ(own->MaskType, 1);
  const TkMaskData* rect = Mask(m, "GAUGE", "BORDERSMASK");
  ASSERT_TRUE(rect);
  EXPECT_FALSE(rect->Bmp);
  EXPECT_EQ(rect->WL, 10);
  // Patterns sharing a name: the one without a picture takes the other's.
  ASSERT_EQ(m.pa.size(), 2u);
  EXPECT_EQ(m.pa[1].Img->size(), QSize(40, 30));
  // No stored skins at all: the manager becomes inactive and nothing loads.
  TkSkinManagerComponent empty;
  empty.SetSkinDirectory(QStringLiteral("/nonexistent-skins"));
  empty.SetSkinName(QStringLiteral("Missing"));
  EXPECT_FALSE(empty.Active());
  EXPECT_TRUE(empty.Manager.gd.empty());
}

namespace {

// A window whose handler chain writes down the skin commands it hears.
struct Recorder {
  std::vector<int>* log;
  int tag;
  bool skinned = false;
  void Attach(QWidget* w) {
    ws::Subclass(ws::HandleOf(w), [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      if (m.msg == SM_SKINCMD) {
        const int command = ws::HiWord(m.wParam);
        if (command == scIsSkinned) {
          if (skinned) m.result = 1;
          return;
        }
        if (command != scGetProvider && command != scGetBgColor)
          log->push_back(tag * 100 + command);
      }
      next(m);
    });
  }
};

}  // namespace

TEST(SkinManager, SwitchingOnAndOffSendsTheCommandsInOrder) {
  SkinDir d;
  std::vector<int> log;
  QWidget form;
  ws::HandleOf(&form);
  Recorder formRec{&log, 1};
  formRec.Attach(&form);
  auto* panel = new QWidget(&form);  // unskinned: reached through, not sent to
  Recorder panelRec{&log, 2};
  panelRec.Attach(panel);
  auto* child = new QWidget(panel);
  Recorder childRec{&log, 3, true};
  childRec.Attach(child);
  // A link owned by a control: it answers the commands of its manager.
  auto* linked = new QWidget(&form);
  TkCommonData link(linked, true);
  link.SkinSection = QStringLiteral("PANEL");
  ws::Subclass(ws::HandleOf(linked), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    if (!HandleSkinCommand(m, &link)) next(m);
  });
  // A skinned form reached once, through the list of provider forms.
  QWidget skinnedForm;
  Recorder skinnedRec{&log, 4, true};
  skinnedRec.Attach(&skinnedForm);
  RegisterProvider(&skinnedForm);

  TkSkinManagerComponent c;
  c.SetSkinDirectory(d.dir.path());
  c.SetSkinName(QStringLiteral("Fixture"));
  auto count = [&](int entry) { return std::count(log.begin(), log.end(), entry); };
  // New skin, then prepare, then repaint: to the form, the skinned child
  // and the skinned form, never to the unskinned panel.
  const std::vector<int> formOrder = [&] {
    std::vector<int> v;
    for (int e : log)
      if (e / 100 == 1) v.push_back(e % 100);
    return v;
  }();
  EXPECT_EQ(formOrder, (std::vector<int>{scNewSkin, scPrepareUpdate, scRepaint}));
  EXPECT_EQ(count(300 + scNewSkin), 1);
  EXPECT_EQ(count(400 + scNewSkin), 1);
  EXPECT_EQ(count(200 + scNewSkin), 0);
  EXPECT_EQ(link.SkinIndex, c.Manager.GetSkinIndex("PANEL"));
  EXPECT_TRUE(link.Skinned(true));
  EXPECT_TRUE(c.HookInstalled());

  log.clear();
  c.SetActive(false);
  EXPECT_EQ(count(100 + scRemoveSkin), 1);
  EXPECT_EQ(count(300 + scRemoveSkin), 1);
  EXPECT_EQ(count(400 + scRemoveSkin), 1);
  EXPECT_EQ(link.SkinIndex, -1);
  EXPECT_TRUE(c.Manager.gd.empty());
  EXPECT_FALSE(c.HookInstalled());

  // A command of another manager leaves the link as it is.
  link.SkinIndex = 5;
  ws::Msg other = SkinMessage(scRemoveSkin, ws::LPARAM(&form));
  HandleSkinCommand(other, &link);
  EXPECT_EQ(link.SkinIndex, 5);
  UnregisterProvider(&skinnedForm);
}

TEST(SkinManager, AReceiverThatFreesAFormDoesNotStopTheBroadcast) {
  std::vector<int> log;
  auto* victim = new QWidget;
  ws::HandleOf(victim);
  QWidget killer;  // made after: reached first (the walk goes from the last)
  ws::Subclass(ws::HandleOf(&killer), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    if (m.msg == SM_SKINCMD && ws::HiWord(m.wParam) == scRepaint) delete victim;
    next(m);
  });
  QWidget skinnedForm;
  Recorder rec{&log, 4, true};
  rec.Attach(&skinnedForm);
  RegisterProvider(&skinnedForm);
  BroadcastToAppForms(SkinMessage(scRepaint, 0));
  EXPECT_EQ(log, (std::vector<int>{400 + scRepaint}));
  UnregisterProvider(&skinnedForm);
}

TEST(SkinManager, AFailedLoadKeepsNoHalfSkinAndTellsTheLinks) {
  QTemporaryDir dir;
  fx::WriteFixtureSkins(dir.path());
  fx::WriteFile(dir.path() + "/Strict/Options.dat",
                "[GLOBALINFO]\r\nSHADOW1BLUR=abc\r\n[PANEL]\r\nCOLOR=1\r\n");
  fx::WriteFile(
      dir.path() + "/BadNumber/Options.dat",
      "[PANEL]\r\nCOLOR=1\r\nBORDERSMASK=^00x0 0000 0030 0020 0004 0004 0004 0004 3 1 0 0\r\n");
  QWidget form;
  auto* linked = new QWidget(&form);
  TkCommonData link(linked, false);
  link.SkinSection = QStringLiteral("PANEL");
  ws::Subclass(ws::HandleOf(linked), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    if (!HandleSkinCommand(m, &link)) next(m);
  });
  TkSkinManagerComponent c;
  c.SetSkinDirectory(dir.path());
  c.SetSkinName(QStringLiteral("Fixture"));
  ASSERT_GE(link.SkinIndex, 0);
  for (const char* bad : {"Strict", "BadNumber"}) {
    SCOPED_TRACE(bad);
    c.SetSkinName(QStringLiteral("Fixture"));
    EXPECT_THROW(c.SetSkinName(QLatin1String(bad)), EConvertError);
    EXPECT_FALSE(c.Manager.SkinData.SkinActive);
    EXPECT_EQ(link.SkinIndex, -1);
    EXPECT_TRUE(c.Manager.gd.empty());
    EXPECT_TRUE(c.Manager.ma.empty());
  }
  // A damaged package names its file.
  fx::WriteFile(dir.path() + "/Broken.skz", QByteArray("SKzf\x05\x00\x00\x00garbage", 15));
  try {
    c.SetSkinName(QStringLiteral("Broken"));
    ADD_FAILURE() << "no error";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("Broken.skz"), std::string::npos) << e.what();
  }
}

TEST(SkinManager, CommonSectionsAddWhatTheSkinLacks) {
  SkinDir d;
  TkSkinManagerComponent c;
  c.SetSkinDirectory(d.dir.path());
  c.SetSkinName(QStringLiteral("Fixture"));
  // New common sections load the skin again.
  c.SetCommonSections({QStringLiteral("[PANELX]"), QStringLiteral("PARENTCLASS = PANEL"),
                       QStringLiteral("TRANSPARENCY=50"), QStringLiteral("[PANEL]"),
                       QStringLiteral("COLOR=1"), QStringLiteral("[COMMONIMG]"),
                       QStringLiteral("BORDERSMASK=# (0,0,30,30) (1,0)")});
  const TkSkinManager& m = c.Manager;
  const TkGeneralData& x = Section(m, "PANELX");
  EXPECT_EQ(x.Transparency, 50);
  EXPECT_EQ(x.Color, fx::kPanelColor);
  EXPECT_EQ(x.FontColor[1], 255);
  EXPECT_EQ(x.HotColor, TColor(0x123456));
  EXPECT_EQ(x.GlowCount, 0);  // GLOW and GLOWMARGIN are not inherited
  EXPECT_EQ(x.GlowMargin, 0);
  EXPECT_EQ(Section(m, "PANEL").Color, fx::kPanelColor);  // the skin's section stays
  const TkMaskData* common = Mask(m, "COMMONIMG", "BORDERSMASK");
  ASSERT_TRUE(common);
  EXPECT_EQ(common->R.right, 30);
}

TEST(SkinManager, HueAndSaturation) {
  SkinDir d;
  TkSkinManagerComponent c;
  c.SetSkinDirectory(d.dir.path());
  c.SetSkinName(QStringLiteral("Fixture"));
  const QImage before = *c.Manager.MasterBitmap;
  const TColor panel = Section(c.Manager, "PANEL").Color;
  c.SetHueOffset(0);
  EXPECT_EQ(*c.Manager.MasterBitmap, before);
  c.SetHueOffset(120);
  const TkSkinManager& m = c.Manager;
  EXPECT_EQ(Section(m, "PANEL").Color, ShiftColorHue(120, panel));
  EXPECT_EQ(Section(m, "EDIT").FontColor[1], -1);  // no contour stays none
  EXPECT_EQ(m.MasterBitmap->pixelColor(0, 0), QColor(255, 0, 255));
  EXPECT_NE(m.MasterBitmap->pixelColor(5, 5), before.pixelColor(5, 5));
  // Saturation -100 greys every colour fully; the key colour stays.
  c.SetHueOffset(0);
  c.SetSaturation(-100);
  const QColor grey = m.MasterBitmap->pixelColor(5, 5);
  EXPECT_EQ(grey.red(), grey.green());
  EXPECT_EQ(grey.green(), grey.blue());
  EXPECT_EQ(m.MasterBitmap->pixelColor(0, 0), QColor(255, 0, 255));
}

TEST(SkinManager, MainWindowHookAndDefaultManager) {
  SkinDir d;
  ASSERT_EQ(TkSkinManager::Default(), nullptr);
  auto first = std::make_unique<TkSkinManagerComponent>();
  TkSkinManagerComponent second;
  EXPECT_TRUE(first->IsDefault());
  EXPECT_FALSE(second.IsDefault());
  EXPECT_TRUE(first->MainWindowHooked());
  EXPECT_FALSE(second.MainWindowHooked());

  // The theme change is swallowed only while a skin is in force.
  ws::Msg theme{ws::WM_THEMECHANGED};
  EXPECT_FALSE(first->MainWindowHook(theme));
  first->SetSkinDirectory(d.dir.path());
  first->SetSkinName(QStringLiteral("Fixture"));
  EXPECT_TRUE(first->MainWindowHook(theme));
  QEvent change(QEvent::ThemeChange);
  QWidget w;
  bool seen = false;
  struct Spy : QObject {
    bool* seen;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::ThemeChange) *seen = true;
      return false;
    }
  } spy;
  spy.seen = &seen;
  w.installEventFilter(&spy);
  QApplication::sendEvent(&w, &change);
  EXPECT_FALSE(seen);
  first->SetSkinnedPopups(false);
  EXPECT_FALSE(first->MainWindowHook(theme));
  first->SetSkinnedPopups(true);
  first->SetActive(false);
  EXPECT_FALSE(first->MainWindowHook(theme));
  QApplication::sendEvent(&w, &change);
  EXPECT_TRUE(seen);

  first.reset();
  EXPECT_EQ(TkSkinManager::Default(), nullptr);
  EXPECT_FALSE(second.IsDefault());
}

TEST(SkinManager, OptionObjectsAndReadOnlyProperties) {
  TkSkinManagerComponent c;
  EXPECT_EQ(c.AnimEffects.SkinChanging.Time, 100);
  EXPECT_EQ(c.AnimEffects.DialogShow.Time, 0);
  EXPECT_TRUE(c.AnimEffects.FormShow.Active);
  EXPECT_EQ(c.AnimEffects.Buttons.Events, beMouseEnter | beMouseLeave | beMouseDown | beMouseUp);
  EXPECT_EQ(c.ThirdLists[1], QStringList{QStringLiteral("TButton")});
  c.ThirdParty.SetListText(1, QString());
  c.ThirdParty.SetListText(0, QStringLiteral("\r\nTEdit\r\nTMemo\r\n"));
  c.BeginLoading();
  c.Loaded();
  EXPECT_EQ(c.ThirdLists[1], QStringList{QStringLiteral("TButton")});
  EXPECT_EQ(c.ThirdLists[0], (QStringList{QString(), "TEdit", "TMemo"}));
  QString text = QStringLiteral("kept");
  c.ThirdParty.GetListText(18, text);
  EXPECT_EQ(text, QStringLiteral("kept"));
  EXPECT_EQ(c.SkinInfo(), QStringLiteral("N/A"));
  EXPECT_EQ(TkSkinManagerComponent::Version(), QStringLiteral("6.44"));
  // An inactive manager only stores a new hue.
  c.SetHueOffset(30);
  EXPECT_EQ(c.HueOffset(), 30);
  EXPECT_TRUE(c.Manager.gd.empty());
  // Assigning stored skins changes nothing.
  TkStoredSkins other;
  other.Items.push_back(fx::StoredPackedSkin(QStringLiteral("x")));
  c.InternalSkins.Assign(other);
  EXPECT_TRUE(c.InternalSkins.Items.empty());
}

TEST(SkinManager, SetActiveControlSendsLeaveThenEnter) {
  std::vector<int> log;
  QWidget a, b;
  Recorder ra{&log, 1}, rb{&log, 2};
  ra.Attach(&a);
  rb.Attach(&b);
  TkSkinManagerComponent c;
  c.SetActiveControl(ws::HandleOf(&a));
  c.SetActiveControl(ws::HandleOf(&a));
  c.SetActiveControl(ws::HandleOf(&b));
  EXPECT_EQ(log, (std::vector<int>{100 + scMouseEnter, 100 + scMouseLeave, 200 + scMouseEnter}));
}

TEST(SkinManager, KeysAreListedAsWrittenAndReadLinearly) {
  const std::string text = "[s]\nAlpha=1\nbeta=2\nALPHA=3\n[S]\ngamma=4\n";
  const SkinOptionsIni ini = SkinOptionsIni::FromBytes(
      std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  EXPECT_EQ(ini.Keys(QStringLiteral("S")), (QStringList{"Alpha", "beta", "gamma"}));
  EXPECT_EQ(ini.ReadString("s", "alpha", ""), QStringLiteral("1"));
  EXPECT_TRUE(ini.Keys(QStringLiteral("none")).isEmpty());
  // Many distinct keys in one section: a quadratic reader would take minutes.
  std::string big = "[S]\n";
  for (int i = 0; i < 200000; ++i) big += "K" + std::to_string(i) + "=1\n";
  const SkinOptionsIni many = SkinOptionsIni::FromBytes(
      std::span(reinterpret_cast<const std::uint8_t*>(big.data()), big.size()));
  EXPECT_EQ(many.Keys(QStringLiteral("S")).size(), 200000);
}

TEST(SkinManager, ARelativeSkinDirectoryServesThePackageTestTheLoadAndTheList) {
  const QString name = QStringLiteral("skins-%1").arg(QCoreApplication::applicationPid());
  const QString absolute = QCoreApplication::applicationDirPath() + "/" + name;
  fx::WriteFixtureSkins(absolute);
  {
    TkSkinManagerComponent c;
    c.SetSkinDirectory(name);
    EXPECT_EQ(c.GetFullSkinDirectory(), absolute + "/");
    c.SetSkinName(QStringLiteral("Packed"));
    EXPECT_TRUE(c.FromPackage);
    EXPECT_TRUE(c.Manager.SkinData.SkinActive);
    EXPECT_GE(c.Manager.GetSkinIndex("GAUGE"), 0);
    EXPECT_EQ(c.GetSkinNames(2), (QStringList{"Fixture", "Packed"}));
    EXPECT_EQ(c.GetSkinNames(1), QStringList{"Packed"});
  }
  QDir(absolute).removeRecursively();
}

namespace {

// A form's provider as the redraw lock sees it.
struct FakeProvider : TkFormProviderHooks {
  TkSkinManager* manager = nullptr;
  int refreshed = 0;
  TkSkinManager* ProviderManager() const override { return manager; }
  bool DrawNonClientArea() const override { return true; }
  void RefreshFrame() override { ++refreshed; }
};

struct ProviderForm {
  QWidget form;
  FakeProvider provider;
  std::vector<int> redraws;
  explicit ProviderForm(TkSkinManager* manager) {
    provider.manager = manager;
    ws::Subclass(ws::HandleOf(&form), [this](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
      if (m.msg == SM_SKINCMD && ws::HiWord(m.wParam) == scGetProvider) {
        m.result = ws::LRESULT(static_cast<TkFormProviderHooks*>(&provider));
        return;
      }
      if (m.msg == ws::WM_SETREDRAW) redraws.push_back(int(m.wParam));
      next(m);
    });
    form.setGeometry(20, 20, 50, 30);
    form.show();
    RegisterProvider(&form);
  }
  ~ProviderForm() { UnregisterProvider(&form); }
};

}  // namespace

TEST(SkinManager, RedrawLockTouchesOnlyTheManagersShownForms) {
  TkSkinManager mine, other;
  ProviderForm a(&mine), b(&other);
  LockFormsRedraw(&mine, false);
  EXPECT_TRUE(a.provider.InAnimation);
  EXPECT_FALSE(b.provider.InAnimation);
  EXPECT_EQ(a.redraws, std::vector<int>{0});
  UnlockFormsRedraw(&mine, true, false, 0);
  EXPECT_FALSE(a.provider.InAnimation);
  EXPECT_EQ(a.redraws, (std::vector<int>{0, 1}));
  EXPECT_EQ(a.provider.refreshed, 1);
  EXPECT_TRUE(b.redraws.empty());
  // With every form minimized neither the lock nor the unlock acts.
  std::vector<QWidget*> shown;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) shown.push_back(w);
  for (QWidget* w : shown) w->showMinimized();
  if (a.form.isMinimized()) {
    LockFormsRedraw(&mine, false);
    EXPECT_EQ(a.redraws.size(), 2u);
  }
  for (QWidget* w : shown) w->showNormal();
}

TEST(SkinManager, ApplicationActivationReachesEveryForm) {
  std::vector<int> log;
  QWidget f1, f2;
  Recorder r1{&log, 1}, r2{&log, 2};
  r1.Attach(&f1);
  r2.Attach(&f2);
  TkSkinManagerComponent c;
  ASSERT_TRUE(c.MainWindowHooked());
  QEvent activate(QEvent::ApplicationActivate);
  QApplication::sendEvent(qApp, &activate);
  EXPECT_EQ(std::count(log.begin(), log.end(), 100 + scFormActivated), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), 200 + scFormActivated), 1);
}

TEST(SkinManager, MouseEnterMarksTheActiveControlAndShowsTheGlow) {
  SkinDir d;
  TkSkinManagerComponent c;
  c.SetSkinDirectory(d.dir.path());
  c.SetSkinName(QStringLiteral("Fixture"));
  QWidget form;
  form.resize(100, 50);
  auto* owner = new QWidget(&form);
  owner->setGeometry(10, 10, 40, 20);
  form.show();
  TkCommonData link(owner, false);
  link.CtrlSkinState = 2;  // an edit: hot look and glow
  link.SetSkinSection(QStringLiteral("PANEL"));
  ws::Msg enter{ws::CM_MOUSEENTER}, leave{ws::CM_MOUSELEAVE};
  HandleCommonMessage(enter, &link);
  EXPECT_TRUE(link.HotTracked);
  EXPECT_EQ(c.ActiveControl(), ws::HandleOf(owner));
  EXPECT_GE(link.GlowIndex, 0);
  HandleCommonMessage(leave, &link);
  EXPECT_FALSE(link.HotTracked);
  EXPECT_TRUE(TkaGlowEffects().empty());
  // The gauge's kind has no hot look and never glows; nor does a manager
  // that does not allow glowing.
  link.GlowIndex = -1;
  link.CtrlSkinState = kKindGauge;
  HandleCommonMessage(enter, &link);
  EXPECT_EQ(link.GlowIndex, -1);
  link.CtrlSkinState = 2;
  c.Manager.AllowGlowing = false;
  HandleCommonMessage(enter, &link);
  EXPECT_EQ(link.GlowIndex, -1);
}

TEST(SkinManager, LinksDropAManagerThatIsDestroyed) {
  QWidget form;
  auto* owner = new QWidget(&form);
  TkCommonData link(owner, false);
  ws::Subclass(ws::HandleOf(owner), [&](ws::HWND, ws::Msg& m, const ws::NextHandler& next) {
    if (!HandleSkinCommand(m, &link)) next(m);
  });
  ws::HandleOf(&form);
  for (bool active : {true, false}) {
    auto c = std::make_unique<TkSkinManagerComponent>();
    if (!active) c->SetActive(false);
    link.SkinManager = &c->Manager;
    c.reset();
    EXPECT_EQ(link.SkinManager, nullptr) << active;
  }
}
