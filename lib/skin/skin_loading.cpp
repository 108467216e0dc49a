// The options text of a skin read into the skin state and section table.
#include "skin/skin_loading.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <set>

#include "skin/skin_pack.h"
#include "skin/skin_utils.h"
#include "winshim/system_profile.h"

namespace kelmo::skin {
namespace {

const QString kMissing = QStringLiteral("?");

// The section's usable parent: not empty, not "?", not itself, not one the
// chain has passed.
QString ParentOf(const SkinOptionsIni& ini, const QString& section, std::set<QString>& visited) {
  visited.insert(section.toUpper());
  const QString p = ini.ReadString(section, QStringLiteral("PARENTCLASS"), kMissing);
  if (p.isEmpty() || p == kMissing || visited.count(p.toUpper())) return {};
  return p;
}

QString InheritedString(const SkinOptionsIni& ini, const QString& s, const QString& key,
                        std::set<QString>& visited) {
  QString v = ini.ReadString(s, key, kMissing);
  if (v != kMissing) return v;
  const QString p = ParentOf(ini, s, visited);
  return p.isEmpty() ? kMissing : InheritedString(ini, p, key, visited);
}

int InheritedInt(const SkinOptionsIni& ini, const QString& s, const QString& key,
                 std::set<QString>& visited) {
  const int v = ini.ReadInteger(s, key, -1);
  if (v != -1) return v;
  const QString p = ParentOf(ini, s, visited);
  return p.isEmpty() ? -1 : InheritedInt(ini, p, key, visited);
}

bool IsTrue(const SkinOptionsIni& ini, const QString& s, const char* key) {
  return ReadInheritedString(ini, s, QLatin1String(key), QStringLiteral("FALSE")).toUpper() ==
         QLatin1String("TRUE");
}

void CheckSkinVersion(const TkSkinData& d, const QString& name,
                      const std::function<void(const QString&)>& notify, bool designing) {
  if (!notify) return;
  if (designing && d.SkinVersion < 6.0)
    notify(QStringLiteral("Skin \"%1\" is an old version; update it or upgrade it with the "
                          "library maker's support. This notice is shown at design time only.")
               .arg(name));
  else if (d.SkinVersion > 255.0)
    notify(
        QStringLiteral("This release of the library does not fully support this skin "
                       "version; update the components to use it."));
}

}  // namespace

QString ReadInheritedString(const SkinOptionsIni& ini, const QString& section, const QString& key,
                            const QString& def) {
  std::set<QString> visited;
  const QString v = InheritedString(ini, section, key, visited);
  return v == kMissing ? def : v;
}

int ReadInheritedInt(const SkinOptionsIni& ini, const QString& section, const QString& key,
                     int def) {
  std::set<QString> visited;
  const int v = InheritedInt(ini, section, key, visited);
  return v == -1 ? def : v;
}

// Reads the whole text into the state `d` and a new section table.
TkGeneralDataArray ReadGeneralData(const SkinOptionsIni& ini, TkSkinData& d,
                                   const std::function<void(const QString&)>& notify,
                                   bool designing) {
  const QString g = QStringLiteral("GLOBALINFO");
  auto integer = [&](const char* key, int def) {
    return ini.ReadInteger(g, QLatin1String(key), def);
  };
  auto strict = [&](const char* key, const char* def) {
    return StrToInt(ini.ReadString(g, QLatin1String(key), QLatin1String(def)));
  };
  bool ok = false;
  const double version =
      ini.ReadString(g, QStringLiteral("VERSION"), QStringLiteral("0")).toDouble(&ok);
  d.SkinVersion = ok ? version : 0;
  d.SkinAuthor = ini.ReadString(g, QStringLiteral("AUTHOR"), QString());
  d.SkinDescription = ini.ReadString(g, QStringLiteral("DESCRIPTION"), QString());
  d.BorderWidthEx = std::int16_t(integer("BORDERWIDTH", 4));
  d.TitleHeightEx = std::int16_t(integer("TITLEHEIGHT", 30));
  d.MaxTitleHeightEx = std::int16_t(integer("MAXHEIGHT", 0));
  if (d.MaxTitleHeightEx == 0) d.MaxTitleHeightEx = d.TitleHeightEx;
  d.FormOffsetEx = std::int16_t(integer("FORMOFFSET", 8));
  d.CenterOffsetEx = std::int16_t(integer("CENTEROFFSET", 0));
  d.BorderModeEx = std::int16_t(integer("BORDERMODE", 0));
  d.ShadowColor = integer("SHADOW1COLOR", 0);
  d.ShadowOffset = strict("SHADOW1OFFSET", "0");
  d.ShadowBlur = strict("SHADOW1BLUR", "-1");
  d.ShadowTransparency = strict("SHADOW1TRANSPARENCY", "0");
  d.TitleBtnSpacing = std::int16_t(integer("BISPACE", 0));
  d.TitleBtnVAlign = std::int16_t(integer("BIVALIGN", 0));
  d.TitleBtnRightMargin = std::int16_t(integer("BIRIGHT", 0));
  d.TitleBtnLeftMargin = std::int16_t(integer("BILEFT", 0));
  d.PlainBorderColor = integer("BORDERCOLOR", 0);
  d.TitleBtnKeepHue = integer("BIKEEPHUE", 0);
  d.CloseBtnGlow = std::int16_t(strict("BICONCLOSEGLOW", "0"));
  d.CloseBtnGlowMargin = std::int16_t(strict("BICONCLOSEGLOWMARGIN", "0"));
  d.MaxBtnGlow = std::int16_t(strict("BICONMAXGLOW", "0"));
  d.MaxBtnGlowMargin = std::int16_t(strict("BICONMAXGLOWMARGIN", "0"));
  d.MinBtnGlow = std::int16_t(strict("BICONMINGLOW", "0"));
  d.MinBtnGlowMargin = std::int16_t(strict("BICONMINGLOWMARGIN", "0"));
  CheckSkinVersion(d, QDir(d.SkinFolder).dirName(), notify, designing);

  TkGeneralDataArray table;
  for (const QString& s : ini.Sections()) {
    TkGeneralData r;
    auto num = [&](const char* key, int def) {
      return ReadInheritedInt(ini, s, QLatin1String(key), def);
    };
    r.ClassName = s;
    r.ParentClass = ini.ReadString(s, QStringLiteral("PARENTCLASS"), QString());
    r.Color = TColor(winshim::ColorToRGB(num("COLOR", 0xFFFFFF)));
    r.ReservedBoolean = IsTrue(ini, s, "RESERVEDBOOLEAN");
    r.GiveOwnFont = IsTrue(ini, s, "GIVEOWNFONT");
    r.GlowCount = num("GLOW", 0);
    r.GlowMargin = num("GLOWMARGIN", 0);
    r.FontColor = {num("FONTCOLOR", 0), num("TCLEFT", -1), num("TCTOP", -1), num("TCRIGHT", -1),
                   num("TCBOTTOM", -1)};
    r.HotFontColor = {num("HOTFONTCOLOR", 0), num("HOTTCLEFT", -1), num("HOTTCTOP", -1),
                      num("HOTTCRIGHT", -1), num("HOTTCBOTTOM", -1)};
    r.Transparency = num("TRANSPARENCY", 0);
    r.GradientPercent = num("GRADIENTPERCENT", 0);
    r.ImagePercent = num("IMAGEPERCENT", 0);
    r.GradientData =
        ReadInheritedString(ini, s, QStringLiteral("GRADIENTDATA"), QStringLiteral(" "));
    if (r.GradientData != QLatin1String(" ")) ParseGradientData(r.GradientData, r.GradientArray);
    r.ShowFocus = IsTrue(ini, s, "SHOWFOCUS");
    r.FadingEnabled = IsTrue(ini, s, "FADINGENABLED");
    r.FadingIterations = num("FADINGITERATIONS", 5);
    r.HotColor = num("HOTCOLOR", 0xFFFFFF);
    r.HotTransparency = num("HOTTRANSPARENCY", 0);
    r.HotGradientPercent = num("HOTGRADIENTPERCENT", 0);
    r.HotGradientData = ReadInheritedString(ini, s, QStringLiteral("HOTGRADIENTDATA"), QString());
    if (r.HotGradientData != QLatin1String(" ") && !r.HotGradientData.isEmpty())
      ParseGradientData(r.HotGradientData, r.HotGradientArray);
    r.HotImagePercent = num("HOTIMAGEPERCENT", 0);
    table.push_back(std::move(r));
  }
  return table;
}

namespace {

// Five whole numbers separated by blanks: the colour and the four contour
// colours; anything else gives colour 0 and no contours.
std::array<std::int32_t, 5> FiveColors(const QString& text) {
  const QStringList w = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  std::array<std::int32_t, 5> out{0, -1, -1, -1, -1};
  if (w.size() != 5) return out;
  for (std::size_t i = 0; i < 5; ++i) out[i] = StrToIntDef(w[qsizetype(i)], i == 0 ? 0 : -1);
  return out;
}

}  // namespace

TkGeneralDataArray ReadStoredGeneralData(const TkStoredSkin& skin, TkSkinData& d,
                                         const std::function<void(const QString&)>& notify,
                                         bool designing) {
  d.SkinVersion = skin.Version;
  d.SkinAuthor = skin.Author;
  d.SkinDescription = skin.Description;
  d.ShadowColor = skin.Shadow1Color;
  d.ShadowOffset = skin.Shadow1Offset;
  d.ShadowBlur = skin.Shadow1Blur;
  d.ShadowTransparency = skin.Shadow1Transparency;
  d.PlainBorderColor = skin.BorderColor;
  CheckSkinVersion(d, skin.Name, notify, designing);
  TkGeneralDataArray table;
  for (const TkSkinGeneral& g : skin.GeneralData) {
    TkGeneralData r;
    r.ClassName = g.SectionName;
    r.ParentClass = g.ParentClass;
    r.Color = g.Color;
    r.ReservedBoolean = g.ReservedBoolean;
    r.GiveOwnFont = g.GiveOwnFont;
    r.GlowCount = g.GlowCount;
    r.GlowMargin = g.GlowMargin;
    r.Transparency = g.Transparency;
    r.GradientPercent = g.GradientPercent;
    r.ImagePercent = g.ImagePercent;
    r.GradientData = g.GradientData;
    ParseGradientData(r.GradientData, r.GradientArray);
    r.ShowFocus = g.ShowFocus;
    r.FadingEnabled = g.FadingEnabled;
    r.FadingIterations = g.FadingIterations;
    r.HotColor = g.HotColor;
    r.HotTransparency = g.HotTransparency;
    r.HotGradientPercent = g.HotGradientPercent;
    r.HotGradientData = g.HotGradientData;
    ParseGradientData(r.HotGradientData, r.HotGradientArray);
    r.HotImagePercent = g.HotImagePercent;
    r.FontColor = FiveColors(g.FontColor);
    r.HotFontColor = FiveColors(g.HotFontColor);
    table.push_back(std::move(r));
  }
  return table;
}

void MergeCommonSections(TkGeneralDataArray& table, const QStringList& commonSections) {
  if (commonSections.isEmpty()) return;
  const IniSections sections = ParseIniSections(commonSections);
  for (const auto& entry : sections) {
    const QString& name = entry.first;
    bool known = false;
    for (const TkGeneralData& r : table) known = known || r.ClassName == name;
    if (known) continue;  // the common text never changes a section of the skin
    TkGeneralData r;
    r.ClassName = name;
    r.ParentClass =
        IniSectionValue(sections, name, QStringLiteral("PARENTCLASS"), QStringLiteral("-1"))
            .toUpper();
    const TkGeneralData* parent = nullptr;
    for (const TkGeneralData& p : table)
      if (!parent && p.ClassName.toUpper() == r.ParentClass) parent = &p;
    const TkGeneralData base = parent ? *parent : TkGeneralData{};
    auto num = [&](const char* key, int fromParent) {
      return IniSectionInt(sections, name, fromParent, QLatin1String(key));
    };
    auto flag = [&](const char* key, bool fromParent) {
      const QString v = IniSectionValue(sections, name, QLatin1String(key), QStringLiteral("?"));
      return v == QLatin1String("?") ? fromParent : v.toUpper() == QLatin1String("TRUE");
    };
    auto text = [&](const char* key, const QString& fromParent) {
      const QString v = IniSectionValue(sections, name, QLatin1String(key), QStringLiteral("?"));
      return v == QLatin1String("?") ? fromParent : v;
    };
    r.Color = TColor(num("COLOR", int(base.Color)));
    r.ReservedBoolean = flag("RESERVEDBOOLEAN", base.ReservedBoolean);
    r.GiveOwnFont = flag("GIVEOWNFONT", base.GiveOwnFont);
    r.GlowCount = num("GLOW", 0);
    r.GlowMargin = num("GLOWMARGIN", 0);
    const char* font[] = {"FONTCOLOR", "TCLEFT", "TCTOP", "TCRIGHT", "TCBOTTOM"};
    const char* hotFont[] = {"HOTFONTCOLOR", "HOTTCLEFT", "HOTTCTOP", "HOTTCRIGHT", "HOTTCBOTTOM"};
    for (std::size_t i = 0; i < 5; ++i) {
      r.FontColor[i] = num(font[i], base.FontColor[i]);
      r.HotFontColor[i] = num(hotFont[i], base.HotFontColor[i]);
    }
    r.Transparency = num("TRANSPARENCY", base.Transparency);
    r.GradientPercent = num("GRADIENTPERCENT", base.GradientPercent);
    r.ImagePercent = num("IMAGEPERCENT", base.ImagePercent);
    r.GradientData = text("GRADIENTDATA", base.GradientData);
    r.GradientArray.clear();
    if (r.GradientData != QLatin1String(" ")) ParseGradientData(r.GradientData, r.GradientArray);
    r.ShowFocus = flag("SHOWFOCUS", base.ShowFocus);
    r.FadingEnabled = flag("FADINGENABLED", base.FadingEnabled);
    r.FadingIterations = num("FADINGITERATIONS", base.FadingIterations);
    r.HotColor = TColor(num("HOTCOLOR", int(base.HotColor)));
    r.HotTransparency = num("HOTTRANSPARENCY", base.HotTransparency);
    r.HotGradientPercent = num("HOTGRADIENTPERCENT", base.HotGradientPercent);
    r.HotImagePercent = num("HOTIMAGEPERCENT", base.HotImagePercent);
    r.HotGradientData = text("HOTGRADIENTDATA", base.HotGradientData);
    r.HotGradientArray.clear();
    if (r.HotGradientData != QLatin1String(" ") && !r.HotGradientData.isEmpty())
      ParseGradientData(r.HotGradientData, r.HotGradientArray);
    table.push_back(std::move(r));
  }
}

void LoadAllGeneralData(const SkinOptionsIni& ini, TkSkinManager& manager, TkSkinData& skinData,
                        const std::function<void(const QString&)>& notify, bool designing) {
  // Everything is read into fresh copies; the state and the table change
  // only once the whole text has been read.
  TkSkinData d = skinData;
  TkGeneralDataArray table = ReadGeneralData(ini, d, notify, designing);
  skinData = std::move(d);
  manager.gd = std::move(table);
  manager.UpdateSectionImages();
}

QString GetFullSkinDirectory(const QString& skinDirectory, const QString& exeFolder) {
  QString p = skinDirectory;
  if (p.startsWith(QLatin1String(".."))) {
    QString b = exeFolder;
    b.chop(1);
    while (!b.isEmpty() && !b.endsWith(QLatin1Char('/')) && !b.endsWith(QLatin1Char('\\')))
      b.chop(1);
    return b + p.mid(3);
  }
  if (p.startsWith(QLatin1String(".\\")) || p.startsWith(QLatin1String("./")))
    return exeFolder + p.mid(2);
  // A path with neither a drive nor a network prefix, nor a root, lies
  // under the executable's folder.
  if (!p.contains(QLatin1Char(':')) && !p.contains(QLatin1String("\\\\")) &&
      !p.startsWith(QLatin1Char('/')))
    return exeFolder + p;
  return p;
}

bool LoadSkinSections(TkSkinManager& manager, TkSkinData& skinData,
                      const QString& fullSkinDirectory, const QString& skinName,
                      const std::function<void(const QString&)>& notify) {
  const QString dir =
      fullSkinDirectory.endsWith(QLatin1Char('/')) ? fullSkinDirectory : fullSkinDirectory + '/';
  const QString packed = dir + skinName + QStringLiteral(".skz");
  const QString options = dir + skinName + QStringLiteral("/Options.dat");
  TkSkinData fresh = skinData;
  TkGeneralDataArray table;
  if (QFileInfo(packed).isFile()) {
    const QByteArray bytes = ReadSkinFile(packed, kMaxPackTotalSize);
    TkaSkinConvertor convertor;
    convertor.SetOwnedPackedData(std::make_unique<zip::TMemoryStream>(
        std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
    try {
      convertor.ReadPackedData();
    } catch (const ESkinPackError& e) {
      throw ESkinPackError(packed.toStdString() + ": " + e.what());
    }
    if (!convertor.OptionsData)
      throw ESkinOptionsError(("The packed skin holds no options text: " + packed).toStdString());
    fresh.SkinFolder = dir;
    table = ReadGeneralData(SkinOptionsIni::FromBytes(convertor.OptionsData->Data()), fresh, notify,
                            false);
  } else if (QFileInfo(options).isFile()) {
    fresh.SkinFolder = dir + skinName + '/';
    table = ReadGeneralData(SkinOptionsIni::FromFile(options), fresh, notify, false);
  } else {
    return false;
  }
  skinData = std::move(fresh);
  manager.gd = std::move(table);
  manager.UpdateSectionImages();
  return true;
}

QStringList GetSkinNames(const QString& dir, int kind, const QStringList& internalSkins,
                         QString* first) {
  QStringList names = internalSkins;
  const QDir folder(dir);
  if (!dir.isEmpty() && folder.exists()) {
    for (const QFileInfo& e : folder.entryInfoList(
             QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDir::NoSort)) {
      const QString name = e.fileName();
      if (name.startsWith(QLatin1Char('.')) || e.isSymLink()) continue;
      if (e.isDir() && (kind == 0 || kind == 2) &&
          QFileInfo(e.absoluteFilePath() + QStringLiteral("/Options.dat")).isFile())
        names << name;
      else if (e.isFile() && (kind == 1 || kind == 2) && name.endsWith(QLatin1String(".skz")))
        names << name.left(name.indexOf(QLatin1Char('.')));
    }
  }
  if (first) *first = names.isEmpty() ? QString() : names.first();
  names.sort();
  return names;
}

}  // namespace kelmo::skin
