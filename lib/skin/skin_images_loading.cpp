#include "skin/skin_images_loading.h"

#include <QFileInfo>

#include "skin/skin_image_values.h"
#include "skin/skin_pictures.h"
#include "skin/skin_utils.h"
#include "winshim/dib.h"

namespace kelmo::skin {
namespace {

const QString kGlobal = QStringLiteral("GLOBALINFO");

// The path of a file of the skin folder, or "" for a name that would
// leave the folder.
QString FolderPath(const QString& folder, const QString& name) {
  QString n = name;
  n.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (n.isEmpty() || n.split(QLatin1Char('/')).contains(QStringLiteral(".."))) return {};
  return n.contains(QLatin1Char(':')) ? n : folder + n;
}

std::optional<QByteArray> ReadFolderFile(const QString& folder, const QString& name) {
  const QString path = FolderPath(folder, name);
  if (path.isEmpty()) return std::nullopt;
  const QFileInfo info(path);
  if (info.isSymLink() || !info.isFile()) return std::nullopt;
  return ReadSkinFile(path, kMaxSkinImageFileSize);
}

QImage ReadPicture(const TkSkinSource& source, const QString& name, bool keepDepth) {
  const auto bytes = ReadSkinSourceFile(source, name);
  return bytes ? ReadSkinPicture(*bytes, name, keepDepth) : QImage();
}

QImage To24(const QImage& image) {
  // The painters read 24-bit pictures as the layer's DIBs (B, G, R in memory).
  return winshim::ConvertDib(image, 24);
}

// A record of an image value; false when its file gives no picture.
bool CompleteFileImage(TkImageValue& v, const TkSkinSource& source) {
  TkMaskData& m = v.Mask;
  const bool texture = m.ImgType == TkaImgType::itisaTexture;
  QImage img = ReadPicture(source, v.FileName, texture);
  if (img.width() <= 0) return false;
  if (!v.FileName.contains(QStringLiteral(".PNG")) && !texture) img = To24(img);
  m.Bmp = std::make_shared<QImage>(std::move(img));
  m.R = Rect{0, 0, m.Bmp->width(), m.Bmp->height()};
  ApplyMarginsRule(m);
  return true;
}

void LoadOptionsMasks(TkSkinTables& t, TkSkinManager* manager, const TkSkinSource& source) {
  const SkinOptionsIni& ini = *source.Ini;
  const QString master = ini.ReadString(kGlobal, QStringLiteral("MASTERBITMAP"), QString());
  QImage bitmap = master.isEmpty() ? QImage() : ReadPicture(source, master, false);
  t.MasterBitmap = std::make_shared<QImage>(bitmap.isNull() ? QImage() : To24(bitmap));
  for (const QString& section : ini.Sections()) {
    const bool global = section.compare(kGlobal, Qt::CaseInsensitive) == 0;
    for (const QString& key : ini.Keys(section)) {
      if (global && key.compare(QStringLiteral("MASTERBITMAP"), Qt::CaseInsensitive) == 0) continue;
      const QString value = ini.ReadString(section, key, QString());
      if (value.isEmpty()) continue;
      auto parsed = ParseImageValue(section, key, value);
      if (!parsed) continue;
      if (!parsed->FileName.isEmpty() && !CompleteFileImage(*parsed, source)) continue;
      parsed->Mask.Manager = manager;
      t.ma.push_back(std::move(parsed->Mask));
    }
  }
}

void LoadStoredMasks(TkSkinTables& t, TkSkinManager* manager, const TkStoredSkin* skin) {
  if (!skin) return;
  t.MasterBitmap =
      std::make_shared<QImage>(skin->MasterBitmap.isNull() ? QImage() : To24(skin->MasterBitmap));
  for (const TkSkinImage& item : skin->Images) {
    TkMaskData m;
    if (!item.Name.isEmpty()) {
      m.Bmp = std::make_shared<QImage>(To24(item.Image));
      m.R = Rect{0, 0, item.Image.width(), item.Image.height()};
    } else {
      m.R = Rect{item.Left, item.Top, item.Right, item.Bottom};
    }
    m.PropertyName = item.PropertyName.toUpper();
    m.ClassName = item.SectionName.toUpper();
    m.ImageCount = std::int16_t(item.ImageCount);
    m.MaskType = std::int16_t(item.MaskType);
    m.BorderWidth = std::int16_t(item.BorderWidth);
    m.DrawMode = std::int16_t(item.StretchMode);
    m.ImgType = item.ImgType;
    m.WL = std::int16_t(item.WL);
    m.WT = std::int16_t(item.WT);
    m.WR = std::int16_t(item.WR);
    m.WB = std::int16_t(item.WB);
    if (m.ImageCount == 0) {
      m.ImageCount = 3;
      m.MaskType = 1;
    }
    ApplyMarginsRule(m);
    m.Manager = manager;
    t.ma.push_back(std::move(m));
  }
}

// Sections and keys of the common text, GLOBALINFO left out when asked.
template <typename Visit>
void ForCommonValues(const QStringList& common, bool skipGlobal, Visit&& visit) {
  if (common.isEmpty()) return;
  const QByteArray text = common.join(QLatin1Char('\n')).toLatin1();
  const SkinOptionsIni ini = SkinOptionsIni::FromBytes(
      std::span(reinterpret_cast<const std::uint8_t*>(text.constData()), std::size_t(text.size())));
  for (const QString& section : ini.Sections()) {
    if (skipGlobal && section.compare(kGlobal, Qt::CaseInsensitive) == 0) continue;
    for (const QString& key : ini.Keys(section))
      visit(section, key, ini.ReadString(section, key, QStringLiteral("-")));
  }
}

void LoadCommonMasks(TkSkinTables& t, TkSkinManager* manager, const TkSkinSource& source,
                     const QStringList& common) {
  // Common files are read from the skin folder only, never from a package.
  TkSkinSource folder;
  folder.SkinFolder = source.SkinFolder;
  ForCommonValues(common, true, [&](const QString& section, const QString& key, QString v) {
    if (t.MasterBitmap && v.contains(QLatin1Char('#')) && v != QStringLiteral("#")) {
      auto parsed = ParseImageValue(section, key, v);
      if (!parsed) return;
      parsed->Mask.Manager = manager;
      t.ma.push_back(std::move(parsed->Mask));
      return;
    }
    v = v.toUpper();
    if (!v.contains(QStringLiteral(".BMP"))) return;
    const QImage img = ReadPicture(folder, v, false);
    if (img.width() <= 0) return;
    TkMaskData m;
    m.Bmp = std::make_shared<QImage>(To24(img));
    m.PropertyName = key.toUpper();
    m.ClassName = section.toUpper();
    m.Manager = manager;
    t.ma.push_back(std::move(m));
  });
}

bool IsJpegName(const QString& upper) {
  return upper.contains(QStringLiteral(".JPG")) || upper.contains(QStringLiteral(".JPEG"));
}

}  // namespace

std::optional<QByteArray> ReadSkinSourceFile(const TkSkinSource& source, const QString& name) {
  if (!source.Packed) return ReadFolderFile(source.SkinFolder, name);
  for (const TkaImageItem& item : source.Packed->ImageItems) {
    if (QString::fromStdString(item.FileName).toUpper() != name || !item.Data) continue;
    const auto& bytes = item.Data->Data();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
  }
  return std::nullopt;
}

void LoadAllMasks(TkSkinTables& t, TkSkinManager* manager, const TkSkinSource& source,
                  const QStringList& commonSections) {
  t.ma.clear();
  t.MasterBitmap.reset();
  if (source.Ini)
    LoadOptionsMasks(t, manager, source);
  else
    LoadStoredMasks(t, manager, source.Internal);
  LoadCommonMasks(t, manager, source, commonSections);
}

void LoadAllPatterns(TkSkinTables& t, TkSkinManager* manager, const TkSkinSource& source,
                     const QStringList& commonSections) {
  t.pa.clear();
  if (source.Ini) {
    const SkinOptionsIni& ini = *source.Ini;
    for (const QString& section : ini.Sections())
      for (const QString& key : ini.Keys(section)) {
        const QString v = ini.ReadString(section, key, QStringLiteral("-")).toUpper();
        if (!IsJpegName(v)) continue;
        AddJpegPicture(t, manager, section, key, ReadPicture(source, v, false));
      }
  } else if (const TkStoredSkin* skin = source.Internal) {
    for (const TkSkinPattern& item : skin->Patterns) {
      QImage img = item.Image;
      // Items sharing a name may leave the picture to one of them.
      for (std::size_t i = 0; img.isNull() && i < skin->Patterns.size(); ++i)
        if (&skin->Patterns[i] != &item && skin->Patterns[i].Name == item.Name)
          img = skin->Patterns[i].Image;
      t.pa.push_back(TkPatternData{std::make_shared<QImage>(img), item.SectionName.toUpper(),
                                   item.PropertyName.toUpper()});
    }
  }
  TkSkinSource folder;
  folder.SkinFolder = source.SkinFolder;
  ForCommonValues(
      commonSections, false, [&](const QString& section, const QString& key, const QString& value) {
        const QString v = value.toUpper();
        if (!IsJpegName(v)) return;
        const QImage img = ReadPicture(folder, v, false);
        if (img.width() <= 0) return;
        t.pa.push_back(
            TkPatternData{std::make_shared<QImage>(img), section.toUpper(), key.toUpper()});
      });
}

}  // namespace kelmo::skin
