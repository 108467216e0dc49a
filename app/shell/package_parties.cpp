// Package identification: the folder's packages of the month and the
// recognition of their senders and addressees.
#include "package_identification.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>

#include "data_file_dialog.h"
#include "domain/case_data.h"
#include "domain/common.h"
#include "domain/package_lists.h"
#include "domain/run_state.h"
#include "filenames/file_lookup.h"
#include "package_identification_parts.h"

namespace kelmo {

using namespace package_identification;

QString SeveralSendersText() {
  return QStringLiteral(
      "Каталог содержит несколько получателей.\nОставьте в каталоге только необходимые файлы и "
      "запустите приём отчётов повторно.");
}

QString RepeatedAddresseeText() {
  return QStringLiteral(
      "Каталог содержит несколько одинаковых получаетелей.\nОставьте в каталоге только необходимые "
      "файлы и запустите приём отчётов повторно.");
}

namespace {

int ToInteger(const QString& text) {
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok) throw ConversionError(text);
  return value;
}

// Splits the codes part of a package name: the first code is its first
// character and the run of digits after it, the second is the rest.
void SplitCodes(const QString& fileName, QString& first, QString& second) {
  const qsizetype underscore = fileName.indexOf(u'_');
  const QString codes = underscore < 0 ? QString() : fileName.mid(1, underscore - 1);
  qsizetype end = codes.isEmpty() ? 0 : 1;
  while (end < codes.size() && codes[end] >= u'0' && codes[end] <= u'9') ++end;
  first = codes.left(end);
  second = codes.mid(end);
}

// Whether the path is a regular file itself (a link is not).
bool IsRegularFile(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QString NotARegularFileText(const QString& name) {
  return QStringLiteral("Файл ") + name +
         QStringLiteral(" назван как пакет, но не является обычным файлом.");
}

}  // namespace

bool PackageIdentification::FileBranch(const IdentificationInput& input, bool& XmlPackageMode) {
  QString a = QStringLiteral("???*");
  QString b = QStringLiteral("?*");
  if (input.Mode == RegistryMode::Receive) {
    if (input.WhoDetail.IsInstitution()) b = QStringLiteral("M??*");
    if (const Insurer* own = input.WhoDetail.InsurerEntry())
      b = QString::fromLatin1(own->PackageCode);
  } else if (input.WhoDetail.IsInstitution()) {
    a = QStringLiteral("M??*");
  }
  const QString tail =
      a + b + u'_' + YearDigits(input.Year) + TwoDigits(input.Month) + QStringLiteral("*.ZIP");
  const QString& folder = folder_;
  QStringList files = FindFilesNoCase(folder, u'H' + tail);
  files += FindFilesNoCase(folder, u'T' + tail);
  if (files.isEmpty()) {
    XmlPackageMode = false;
    return false;
  }
  // A FIFO, a device or a link named like a package is never opened: it
  // could hang the reader or lead out of the folder.
  for (const QString& name : files) {
    if (!IsRegularFile(folder + name)) {
      ShowRefusal(NotARegularFileText(name));
      return true;
    }
  }
  if (RecogniseParties(input, files)) return true;
  UnpackAll(XmlPackageMode);
  if (!XmlPackageMode) ThePackageLists().DbfRegistryAllowed = false;
  return false;
}

bool PackageIdentification::RecogniseParties(const IdentificationInput& input,
                                             const QStringList& files) {
  QList<rSender>& senders = ThePackageLists().SenderList;
  const HomeRegion& region = TheHomeRegion();
  QString refusal;
  for (const QString& name : files) {
    if (!refusal.isEmpty()) break;
    QString first, second;
    SplitCodes(name, first, second);
    const bool fundReceivingFromT45 = input.WhoDetail.IsFund() &&
                                      input.Mode == RegistryMode::Receive &&
                                      second == QLatin1String(region.FundPackageCode);
    const bool reversed = codesReversed_ && !fundReceivingFromT45;
    const QString senderCode = reversed ? second : first;
    const QString adresatCode = reversed ? first : second;

    bool known = false;
    for (const rSender& s : senders) known = known || s.Code == senderCode;
    if (!known) {
      rSender s;
      s.Code = senderCode;
      if (senderCode.startsWith(u'M')) {
        s.Kind = PartyKind::Institution;
        if (const auto lpu = database_.FindLpu(ToInteger(senderCode.mid(1)))) {
          s.Number = lpu->Mcod;
          s.Name = TrimText(lpu->Name);
          s.LpuId = lpu->Id;
        }
      } else if (senderCode.startsWith(u'S')) {
        s.Kind = PartyKind::Insurer;
        if (const Insurer* insurer = InsurerOfPackageCode(senderCode)) {
          s.Number = insurer->Number;
          s.Name = QString::fromUtf8(insurer->SenderName);
        }
      } else if (senderCode == QLatin1String(region.FundPackageCode)) {
        s.Kind = PartyKind::Fund;
        s.Number = 1;
        s.Name = QString::fromUtf8(region.FundSenderName);
      }
      senders.append(s);
      if (senders.size() > 1) {
        refusal = SeveralSendersText();
      } else if (s.Kind == PartyKind::Unknown) {
        refusal = QStringLiteral("Не определён тип источника: ") + senderCode;
      } else if (s.Number == 0) {
        refusal = QStringLiteral("Не определён источник: ") + senderCode;
      }
    }

    QList<rAdresat>& adresats = senders.last().Adresats;
    qsizetype at = -1;
    for (qsizetype i = 0; i < adresats.size(); ++i) {
      if (adresats[i].Code == adresatCode) at = i;
    }
    if (at >= 0) {
      const QList<rFile>& held = adresats[at].Files;
      if (held.size() >= 2 || (held.size() == 1 && held[0].SourceName.left(1) == name.left(1))) {
        if (refusal.isEmpty()) refusal = RepeatedAddresseeText();
        continue;
      }
    } else {
      rAdresat fresh;
      fresh.Code = adresatCode;
      adresats.append(fresh);
      at = adresats.size() - 1;
    }
    rAdresat& adresat = adresats[at];
    rFile file;
    file.SourceName = name;
    adresat.Files.append(file);
    adresat.Kind = PartyKind::Unknown;
    adresat.Number = 0;
    const Insurer* insurer = InsurerOfPackageCode(adresatCode);
    if (adresatCode.startsWith(u'M')) {
      adresat.Kind = PartyKind::Institution;
      if (const auto lpu = database_.FindLpu(ToInteger(adresatCode.mid(1)))) {
        adresat.Number = lpu->Mcod;
        adresat.Name = lpu->Name;
      }
    } else if (insurer != nullptr) {
      adresat.Kind = PartyKind::Insurer;
      adresat.Number = insurer->Number;
      adresat.Name = QString::fromUtf8(insurer->AddresseeName);
    } else if (adresatCode.startsWith(u'S')) {
      adresat.Kind = PartyKind::Insurer;
    } else if (adresatCode == QLatin1String(region.FundPackageCode)) {
      adresat.Kind = PartyKind::Fund;
      adresat.Number = 1;
      adresat.Name = QString::fromUtf8(region.FundAddresseeName);
    }
    if (refusal.isEmpty()) {
      if (adresat.Kind == PartyKind::Unknown) {
        refusal = QStringLiteral("Не определён тип адресата: ") + adresatCode;
      } else if (adresat.Number == 0) {
        refusal = QStringLiteral("Не определён адресат: ") + adresatCode;
      }
    }
  }
  ShowPackageParties();
  if (refusal.isEmpty()) return false;
  ShowRefusal(refusal);
  return true;
}

}  // namespace kelmo
