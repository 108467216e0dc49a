// A skin's options text read into the skin state and the section table:
// every value form, inheritance up PARENTCLASS chains (cycles included),
// strict and lenient numbers, version notices, the skin directory and the
// listing of skins. The fixture options text is made here.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "qt_test_application.h"
#include "skin/skin_loading.h"
#include "skin/skin_pack.h"
#include "skin_test_pack.h"

using namespace kelmo::skin;

namespace {

const char* const kOptions =
    "[GLOBALINFO]\r\n"
    "VERSION=7.25\r\n"
    "AUTHOR=Test maker\r\n"
    "TITLEHEIGHT=24\r\n"
    "BORDERWIDTH=abc\r\n"
    "SHADOW1BLUR=3\r\n"
    "BICONCLOSEGLOW=2\r\n"
    "; a comment line\r\n"
    "[PANEL]\r\n"
    "COLOR=$0000FF\r\n"
    "TCLEFT=255\r\n"
    "TRANSPARENCY=40\r\n"
    "SHOWFOCUS=true\r\n"
    "GRADIENTDATA=255;65280;100;0;0\r\n"
    "[button]\n"
    "PARENTCLASS=Panel\n"
    "TCLEFT=-1\n"
    "FONTCOLOR=0x10\n"
    "GLOW=?\n"
    "[SELF]\n"
    "PARENTCLASS=SELF\n"
    "[LOOPA]\n"
    "PARENTCLASS=LOOPB\n"
    "[LOOPB]\n"
    "PARENTCLASS=LOOPA\n"
    "TRANSPARENCY=7\n"
    "[PANEL]\n"
    "COLOR=123\n"
    "FADINGITERATIONS=9\n";

SkinOptionsIni Ini(const std::string& text) {
  return SkinOptionsIni::FromBytes(
      std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace

// Each section after inheritance: missing values ("?", -1, absent) come
// from the parent chain, a self-reference and a two-section cycle end.
TEST(SkinLoading, SectionTableAfterInheritance) {
  TkSkinManager manager;
  TkSkinData data;
  LoadAllGeneralData(Ini(kOptions), manager, data);
  ASSERT_EQ(manager.gd.size(), 6u);
  struct Row {
    const char* name;
    const char* parent;
    TColor color;
    int tcLeft, transparency, fontColor, fadingIterations;
    bool showFocus;
  } rows[] = {
      {"GLOBALINFO", "", 0xFFFFFF, -1, 0, 0, 5, false},
      {"PANEL", "", 0x0000FF, 255, 40, 0, 9, true},  // the repeated section adds its new key
      {"button", "Panel", 0x0000FF, 255, 40, 16, 9, true},
      {"SELF", "SELF", 0xFFFFFF, -1, 0, 0, 5, false},
      {"LOOPA", "LOOPB", 0xFFFFFF, -1, 7, 0, 5, false},
      {"LOOPB", "LOOPA", 0xFFFFFF, -1, 7, 0, 5, false},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    const TkGeneralData& g = manager.gd[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(g.ClassName, QLatin1String(row.name));
    EXPECT_EQ(g.ParentClass, QLatin1String(row.parent));
    EXPECT_EQ(g.Color, row.color);
    EXPECT_EQ(g.FontColor[1], row.tcLeft);
    EXPECT_EQ(g.Transparency, row.transparency);
    EXPECT_EQ(g.FontColor[0], row.fontColor);
    EXPECT_EQ(g.FadingIterations, row.fadingIterations);
    EXPECT_EQ(g.ShowFocus, row.showFocus);
  }
  EXPECT_EQ(manager.gd[2].GradientData, QStringLiteral("255;65280;100;0;0"));
  EXPECT_EQ(manager.gd[2].GradientArray.size(), 1u);
  EXPECT_EQ(manager.gd[3].GradientData, QStringLiteral(" "));
  EXPECT_TRUE(manager.gd[3].GradientArray.empty());
  EXPECT_EQ(manager.gd[2].GlowCount, 0);
  EXPECT_EQ(manager.GetSkinIndex(QStringLiteral("button")), 2);  // names as written
  // The image look-ups up the loaded chains end as well.
  EXPECT_EQ(manager.GetMaskIndex(4, QStringLiteral("LOOPA"), QStringLiteral("BORDER")), -1);
  EXPECT_EQ(manager.GetMaskIndex(3, QStringLiteral("SELF"), QStringLiteral("BORDER")), -1);
  EXPECT_EQ(ReadInheritedString(Ini(kOptions), QStringLiteral("LOOPA"), QStringLiteral("NONE"),
                                QStringLiteral("dflt")),
            QStringLiteral("dflt"));
}

// GLOBALINFO: lenient integers fall back to their default, strict ones
// raise; the maximized title height follows the title height.
TEST(SkinLoading, GlobalValuesStrictAndLenient) {
  TkSkinManager manager;
  TkSkinData data;
  LoadAllGeneralData(Ini(kOptions), manager, data);
  EXPECT_DOUBLE_EQ(data.SkinVersion, 7.25);
  EXPECT_EQ(data.SkinAuthor, QStringLiteral("Test maker"));
  EXPECT_EQ(data.BorderWidthEx, 4);
  EXPECT_EQ(data.TitleHeightEx, 24);
  EXPECT_EQ(data.MaxTitleHeightEx, 24);
  EXPECT_EQ(data.ShadowBlur, 3);
  EXPECT_EQ(data.CloseBtnGlow, 2);
  EXPECT_EQ(data.FormOffsetEx, 8);
  TkSkinData bad;
  try {
    LoadAllGeneralData(Ini("[GLOBALINFO]\nSHADOW1BLUR=abc\n"), manager, bad);
    FAIL() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
  EXPECT_THROW(LoadAllGeneralData(Ini("[GLOBALINFO]\nBICONMINGLOW=\n"), manager, bad),
               EConvertError);
}

TEST(SkinLoading, VersionNotices) {
  struct Case {
    const char* version;
    bool designing;
    int notices;
  } cases[] = {{"5.9", true, 1}, {"5.9", false, 0}, {"300", false, 1}, {"7", true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    TkSkinManager manager;
    TkSkinData data;
    int notices = 0;
    LoadAllGeneralData(
        Ini(std::string("[GLOBALINFO]\nVERSION=") + c.version + "\n[FORM]\n"), manager, data,
        [&](const QString&) { ++notices; }, c.designing);
    EXPECT_EQ(notices, c.notices);
    EXPECT_EQ(manager.gd.size(), 2u);  // the skin is loaded all the same
  }
}

TEST(SkinLoading, NumbersAndFiles) {
  EXPECT_EQ(StrToIntDef(QStringLiteral("$FF"), 0), 255);
  EXPECT_EQ(StrToIntDef(QStringLiteral("0x10"), 0), 16);
  EXPECT_EQ(StrToIntDef(QStringLiteral("$FFFFFFFF"), 0), -1);
  EXPECT_EQ(StrToIntDef(QStringLiteral("-12"), 0), -12);
  EXPECT_EQ(StrToIntDef(QStringLiteral(" 5"), 7), 7);
  EXPECT_EQ(StrToIntDef(QStringLiteral("99999999999"), 7), 7);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Options.dat"));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("[FORM]\nCOLOR=5\n");
  f.close();
  EXPECT_EQ(SkinOptionsIni::FromFile(path).ReadInteger(QStringLiteral("form"),
                                                       QStringLiteral("color"), 0),
            5);
  QFile::link(path, dir.filePath(QStringLiteral("link.dat")));
  EXPECT_THROW(SkinOptionsIni::FromFile(dir.filePath(QStringLiteral("link.dat"))),
               ESkinOptionsError);
  EXPECT_THROW(SkinOptionsIni::FromFile(dir.path()), ESkinOptionsError);
  const std::string big(std::size_t(kMaxOptionsSize) + 1, 'x');
  EXPECT_THROW(Ini(big), ESkinOptionsError);
}

TEST(SkinLoading, DirectoryAndSkinNames) {
  const QString exe = QStringLiteral("/opt/kelmo/bin/");
  struct Case {
    const char* written;
    const char* full;
  } cases[] = {{"../skins", "/opt/kelmo/skins"},
               {"./skins", "/opt/kelmo/bin/skins"},
               {"skins", "/opt/kelmo/bin/skins"},
               {"/srv/skins", "/srv/skins"},
               {"C:\\skins", "C:\\skins"}};
  for (const Case& c : cases)
    EXPECT_EQ(GetFullSkinDirectory(QLatin1String(c.written), exe), QLatin1String(c.full));

  QTemporaryDir dir;
  QDir d(dir.path());
  for (const char* folder : {"Blue", "Empty", ".hidden"}) d.mkdir(QLatin1String(folder));
  for (const char* file : {"Blue/Options.dat", ".hidden/Options.dat", "Green.skz", "RED.SKZ",
                           "Grey.v2.skz", "notes.txt"}) {
    QFile f(d.filePath(QLatin1String(file)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const QStringList internal{QStringLiteral("Zeta")};
  QString first;
  EXPECT_EQ(GetSkinNames(dir.path(), 0, internal, &first), (QStringList{"Blue", "Zeta"}));
  EXPECT_EQ(first, QStringLiteral("Zeta"));
  EXPECT_EQ(GetSkinNames(dir.path(), 1, internal), (QStringList{"Green", "Grey", "Zeta"}));
  EXPECT_EQ(GetSkinNames(dir.path(), 2, {}, &first), (QStringList{"Blue", "Green", "Grey"}));
  EXPECT_FALSE(first.isEmpty());
  EXPECT_EQ(GetSkinNames(dir.filePath(QStringLiteral("none")), 2, {}, &first), QStringList{});
  EXPECT_TRUE(first.isEmpty());
}

// A skin folder and a packed file load the same sections; the packed file
// wins; a skin that fails to load leaves the tables and the state as they
// were; a name with neither changes nothing.
TEST(SkinLoading, FolderAndPackedSkinsSwapOnlyOnSuccess) {
  QTemporaryDir dir;
  QDir d(dir.path());
  auto write = [&](const QString& name, const QByteArray& bytes) {
    QFile f(d.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  };
  d.mkdir(QStringLiteral("Blue"));
  write(QStringLiteral("Blue/Options.dat"), kOptions);
  const auto packed = testing_pack::Pack(
      {{"Master.bmp", "BM"}, {"Options.dat", "[GLOBALINFO]\nTITLEHEIGHT=20\n[FORM]\nCOLOR=7\n"}});
  write(QStringLiteral("Green.skz"),
        QByteArray(reinterpret_cast<const char*>(packed.data()), qsizetype(packed.size())));
  write(QStringLiteral("Bad.skz"), "not a package");
  d.mkdir(QStringLiteral("Strict"));
  write(QStringLiteral("Strict/Options.dat"),
        "[GLOBALINFO]\nTITLEHEIGHT=99\nSHADOW1BLUR=x\n[ONE]\n");

  TkSkinManager manager;
  TkSkinData data;
  ASSERT_TRUE(LoadSkinSections(manager, data, dir.path(), QStringLiteral("Blue")));
  EXPECT_EQ(manager.gd.size(), 6u);
  EXPECT_EQ(data.SkinFolder, dir.path() + QStringLiteral("/Blue/"));
  EXPECT_EQ(data.TitleHeightEx, 24);
  ASSERT_TRUE(LoadSkinSections(manager, data, dir.path(), QStringLiteral("Green")));
  ASSERT_EQ(manager.gd.size(), 2u);
  EXPECT_EQ(manager.gd[1].Color, 7);
  EXPECT_EQ(data.TitleHeightEx, 20);
  EXPECT_EQ(data.SkinFolder, dir.path() + QStringLiteral("/"));
  EXPECT_THROW(LoadSkinSections(manager, data, dir.path(), QStringLiteral("Bad")), ESkinPackError);
  EXPECT_THROW(LoadSkinSections(manager, data, dir.path(), QStringLiteral("Strict")),
               EConvertError);
  EXPECT_FALSE(LoadSkinSections(manager, data, dir.path(), QStringLiteral("None")));
  // Still the packed skin, in the tables and in the state.
  EXPECT_EQ(manager.gd.size(), 2u);
  EXPECT_EQ(data.TitleHeightEx, 20);
  EXPECT_EQ(manager.GetSkinIndex(QStringLiteral("FORM")), 1);
}
