// kelmo.ini: template and start values.
#include "kelmo_ini.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>
#include <QStringList>

#include "domain/common.h"

namespace kelmo {

QByteArray KelmoIniTemplate() {
  static const char* const kLines[] = {
      "[Options]",
      ";Путь к базе экспертизы стационара",
      "IBDBase=",
      "",
      ";Путь к папке с программой квиллон (куда вводятся данные по случаям лечения, для "
      "владельцев РМИС не нужно)",
      "KvillonPath=",
      "",
      ";Путь к базе экспертизы поликлиники",
      ";IBPolBase=",
      "",
      ";База центрального сегмента (не менять)",
      ";CSbase=",
      "",
      ";Путь к файлам реестров, для кнопки \"найти папку\", в целях быстрого доступа",
      "REPPATH=",
      "",
      ";Роль (не менять)",
      "who=lpu",
      "",
      ";Специальная роль (не менять)",
      ";Who_detail=2778",
      ";Who_detail=2779",
      ";Who_detail=2",
      "",
      ";вид оплаты по умолчанию (не менять)",
      "Oplat=1",
      "",
      ";Путь к папке Mould с шаблонами excel для формирования отчётов",
      "ExcelPath=",
      "",
      ";Путь к базе актов (не менять)",
      ";AKTConStr=",
  };
  QStringEncoder encode("windows-1251");
  QByteArray bytes;
  for (const char* line : kLines) {
    bytes += encode(QString::fromUtf8(line));
    bytes += "\r\n";
  }
  return bytes;
}

bool WriteKelmoIniTemplateIfMissing(const QString& path) {
  if (QFile::exists(path)) return true;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = KelmoIniTemplate();
  return file.write(bytes) == bytes.size();
}

StartConfig ReadStartConfig(const IniFile& ini) {
  const QString s = QString::fromLatin1(kOptionsSection);
  StartConfig c;
  const auto ibdbase = ini.Value(s, QStringLiteral("IBDBase"));
  c.IBDBaseGiven = ibdbase.has_value();
  c.IBDBase = ibdbase.value_or(QString());
  c.KvillonPath = ini.ReadString(s, QStringLiteral("KvillonPath"), QString());
  const auto csbase = ini.Value(s, QStringLiteral("CSbase"));
  c.CSbaseGiven = csbase.has_value();
  c.CSbase = csbase.value_or(QString());
  c.WHO = ini.ReadString(s, QStringLiteral("WHO"), QStringLiteral("lpu"));
  c.WhoDetail = ReadWhoDetail(ini);
  // The payment list has seven kinds; any other number would select nothing.
  c.PayKind = PayKindOfCode(ini.ReadInteger(s, QStringLiteral("Oplat"), 1));
  if (c.PayKind == PayKind::None) c.PayKind = PayKind::Oms;
  c.AKTConStr = ini.ReadString(s, QStringLiteral("AKTConStr"), QString());
  c.AktEnabled = !c.AKTConStr.isEmpty() && c.WhoDetail.IsFundOrInsurer();
  c.DebugMessages = ini.ReadString(s, QStringLiteral("MyComp"), QString()) == QLatin1String("true");
  return c;
}

WhoDetail ReadWhoDetail(const IniFile& ini) {
  return WhoDetail(
      ini.ReadInteger(QString::fromLatin1(kOptionsSection), QStringLiteral("Who_Detail"), 1));
}

QString ReadRepPath(const IniFile& ini, const QString& builtInRoot) {
  return TrimText(
      ini.ReadString(QString::fromLatin1(kOptionsSection), QStringLiteral("REPPATH"), builtInRoot));
}

UploadFolders ReadUploadFolders(const IniFile& ini) {
  const QDir data = QFileInfo(ini.path()).absoluteDir();
  auto folder = [&](const char* key, const char* builtIn) {
    QString value = TrimText(
        ini.ReadString(QString::fromLatin1(kOptionsSection), QString::fromLatin1(key), {}));
    value.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (value.isEmpty()) value = QString::fromLatin1(builtIn);
    // A relative folder lies in the data folder too.
    return QDir::cleanPath(data.absoluteFilePath(value));
  };
  return {folder("UploadTempPath", "SpATemp"), folder("UploadPath", "VipNet")};
}

QString ReadExcelPath(const QString& executableFolder) {
  const IniFile exeIni(QDir(executableFolder).filePath(QStringLiteral("Kelmo.ini")));
  return exeIni.ReadString(QString::fromLatin1(kOptionsSection), QStringLiteral("ExcelPath"),
                           QString());
}

}  // namespace kelmo
