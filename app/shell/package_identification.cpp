// Package identification, unpacking and the database branch of the fund's and
// the insurers' formation.
#include "package_identification.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

#include "data_file_dialog.h"
#include "domain/case_data.h"
#include "domain/common.h"
#include "domain/package_header.h"
#include "domain/package_lists.h"
#include "domain/package_unpacking.h"
#include "domain/run_state.h"
#include "error_box.h"
#include "filenames/file_lookup.h"
#include "interact/interaction.h"

namespace kelmo {

const QStringList kFormingReportsSql = {
    QStringLiteral("select lm.mcod, l.name, r.tip_stac, r.inogor, r.repn, coalesce(xf.num,0) num, "
                   "xf.dschet, coalesce(xf.nschet,0) nschet, coalesce(xf.code,0) code, "),
    QStringLiteral(" iif(((R.OPLAT <> 6) and (select sum(m.mtl_onco_status) from mtl m where "
                   "m.REPN = R.REPN and m.oplat<>6) > 0), 1, 0) isNeedOncoFile from reports r"),
    QStringLiteral("left join xml_files xf on xf.repn=r.repn and xf.smo_mcod=:mcod"),
    QStringLiteral("join lpu_mcod lm on lm.lpu_id=r.lpu     "),
    QStringLiteral("join lpu l on l.id=r.lpu"),
    QStringLiteral("where r.see1=1 and r.see2=1 and r.lpu=:lpu and r.date_beg=:dbeg and "
                   "r.oplat=:oplat and r.inogor=:inog"),
    QStringLiteral("order by r.tip_stac, r.repn"),
};

const QStringList kLpuByMcodSql = {
    QStringLiteral("select lm.mcod, l.id, l.name from lpu l"),
    QStringLiteral("join lpu_mcod lm on lm.lpu_id=l.id"),
    QStringLiteral("where lm.mcod=:mcod"),
};

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

// A folder below the registry folder that cannot be made: the identification
// refuses with this text.
class FolderNotWritable : public std::runtime_error {
 public:
  explicit FolderNotWritable(const QString& folder)
      : std::runtime_error(("Не удалось создать каталог " + folder).toStdString()) {}
};

QString TempFolder() {
  return ThePackageLists().RegistryFolder + QStringLiteral("temp");
}

QString PackageFolder(const rFile& file) {
  return TempFolder() + u'/' + file.SourceName;
}

int ToInteger(const QString& text) {
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok) throw ConversionError(text);
  return value;
}

QString TwoDigits(int n) {
  return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString YearDigits(int year) {
  return QString::number(year).mid(2, 2);
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

void UncheckRadio(QRadioButton* button) {
  button->setAutoExclusive(false);
  button->setChecked(false);
  button->setAutoExclusive(true);
}

void SetBox(QCheckBox* box, bool on) {
  box->setEnabled(on);
  box->setChecked(on);
}

void AddReportEntry(Population population, int type) {
  QList<rRepn>& reports = ThePackageLists().ReportLists[population];
  for (const rRepn& r : reports) {
    if (r.TipStac == type) return;
  }
  rRepn report;
  report.TipStac = static_cast<std::uint8_t>(type);
  reports.append(report);
}

// Removes the files of the folder named base + ".xml" without regard to
// case; an empty base names nothing. Failures are ignored.
void RemoveFileNoCase(const QString& folder, const QString& base) {
  if (base.isEmpty()) return;
  const QString name = base + QStringLiteral(".xml");
  const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0) QFile::remove(folder + u'/' + entry);
  }
}

// Empties and removes a package's folder (a refused package leaves nothing).
void DropPackageFolder(const QString& folder) {
  ClearFolderTree(folder);
  QDir().rmdir(folder);
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

// The "temp" folder of the registry folder, emptied or made. A symbolic link
// in its place is removed, never followed, so nothing outside the registry
// folder is cleared.
void PrepareTempFolder() {
  const QString temp = TempFolder();
  const QFileInfo info(temp);
  if (info.isSymLink() || (info.exists() && !info.isDir())) QFile::remove(temp);
  if (QFileInfo(temp).isDir()) {
    ClearFolderTree(temp);
  } else if (!QDir().mkdir(temp)) {
    throw FolderNotWritable(temp);
  }
}

}  // namespace

PackageIdentification::PackageIdentification(PackageDatabase& database, TF_XML_load& dialog,
                                             QWidget* parent)
    : database_(database), dialog_(dialog), parent_(parent) {}

void PackageIdentification::ShowRefusal(const QString& text) {
  ShowMessage(parent_, ApplicationTitle(), text);
}

bool PackageIdentification::IdentifyPackages(const IdentificationInput& input, int mode,
                                             bool& XmlPackageMode, bool& PackageConfirmed) {
  XmlPackageMode = false;
  PackageConfirmed = false;
  PackageLists& lists = ThePackageLists();
  lists.DbfRegistryAllowed = true;
  lists.ReportLists = {};
  lists.SenderList.clear();
  lists.XmlPatients.clear();
  lists.RegistryFolder = QDir::fromNativeSeparators(input.Folder);
  if (!lists.RegistryFolder.endsWith(u'/')) lists.RegistryFolder += u'/';

  const bool forming = input.Mode == RegistryMode::Form;
  const bool receiving = input.Mode == RegistryMode::Receive;
  codesReversed_ = (input.WhoDetail.IsInstitutionOrFund() && receiving) ||
                   (input.WhoDetail.IsFundOrInsurer() && forming);
  const bool fromDatabase = input.WhoDetail.IsFundOrInsurer() && forming;

  bool refused = false;
  try {
    PrepareTempFolder();
    refused =
        fromDatabase ? DatabaseBranch(input, XmlPackageMode) : FileBranch(input, XmlPackageMode);
  } catch (const FolderNotWritable& error) {
    ClearFolderTree(TempFolder());
    XmlPackageMode = false;
    ShowRefusal(QString::fromStdString(error.what()));
    return true;
  } catch (...) {
    // What was unpacked so far is of no use to anyone.
    ClearFolderTree(TempFolder());
    XmlPackageMode = false;
    throw;
  }
  if (refused) {
    XmlPackageMode = false;
    return true;
  }
  if (mode == 1) return false;
  lists.HasRoundTheClock = false;
  lists.HasDayHospital = false;
  if (!XmlPackageMode) return false;
  PackageConfirmed = ConfirmDataFileChoice(dialog_, fromDatabase, parent_);
  return false;
}

void PackageIdentification::ResetDialogChoices() {
  for (QRadioButton* b : {dialog_.RadioButton1, dialog_.RadioButton2, dialog_.RadioButton3}) {
    b->setEnabled(false);
    UncheckRadio(b);
  }
  for (int t = 1; t <= 4; ++t) SetBox(dialog_.InPatientTypeBox(t), false);
}

void PackageIdentification::ShowPackageParties() {
  const PackageLists& lists = ThePackageLists();
  if (lists.SenderList.isEmpty()) {
    dialog_.Label6->clear();
    dialog_.Label5->clear();
    return;
  }
  const rSender& sender = lists.SenderList.first();
  dialog_.Label6->setText(sender.Name);
  QStringList names;
  for (const rAdresat& a : sender.Adresats) names.append(a.Name);
  dialog_.Label5->setText(names.join(u'\n'));
}

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
  const QString folder = ThePackageLists().RegistryFolder;
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

void PackageIdentification::UnpackAll(bool& XmlPackageMode) {
  ResetDialogChoices();
  rSender& sender = ThePackageLists().SenderList.first();
  for (qsizetype a = 0; a < sender.Adresats.size(); ++a) {
    const Population population =
        sender.Adresats[a].Kind == PartyKind::Fund ? Population::OutOfRegion : Population::Local;
    for (qsizetype k = 0; k < sender.Adresats[a].Files.size(); ++k) {
      rFile& file = sender.Adresats[a].Files[k];
      const QString folder = PackageFolder(file);
      if (!QDir().mkdir(folder)) throw FolderNotWritable(folder);

      try {
        UnpackPackage(ThePackageLists().RegistryFolder + file.SourceName, sender.Number, folder,
                      file);
      } catch (const PackageUnpackRefused& error) {
        RefusePackage(a, k, file.SourceName, QString::fromStdString(error.what()));
        continue;
      }

      if (file.HName.isEmpty()) continue;
      if (!ReadPackageHeads(a, k, population, XmlPackageMode)) DropPackage(a, k);
    }
    if (sender.Adresats[a].Files.isEmpty()) {
      sender.Adresats.removeAt(a);
      --a;
    }
  }
  ShowPackageParties();
}

void PackageIdentification::DropPackage(qsizetype a, qsizetype& k) {
  QList<rFile>& files = ThePackageLists().SenderList.first().Adresats[a].Files;
  DropPackageFolder(PackageFolder(files[k]));
  files.removeAt(k);
  --k;
}

void PackageIdentification::RefusePackage(qsizetype a, qsizetype& k, const QString& name,
                                          const QString& reason) {
  ShowRefusal(QStringLiteral("Пакет ") + name + QStringLiteral(" не принят: ") + reason);
  DropPackage(a, k);
}

bool PackageIdentification::ReadPackageHeads(int a, int k, Population population,
                                             bool& XmlPackageMode) {
  const rSender& sender = ThePackageLists().SenderList.first();
  rFile& file = ThePackageLists().SenderList.first().Adresats[a].Files[k];
  const QString folder = PackageFolder(file);
  const QChar first = file.SourceName.isEmpty() ? QChar() : file.SourceName[0];
  const int letter = first == u'H' ? 1 : first == u'T' ? 2 : 0;
  const bool vmp = TheRunState().PayKind == PayKind::Vmp;
  const bool matches = (!vmp && letter == 1) || (vmp && letter == 2);

  QList<PackageXml> heads;
  try {
    const QString main = FindFileNoCase(folder, file.HName + QStringLiteral(".xml"));
    if (main.isEmpty()) throw PackageHeaderMissing(folder + u'/' + file.HName + ".xml");
    heads.append(ReadPackageXml(main, letter == 2, sender.Code, matches));
    if (letter == 1 && !file.CName.isEmpty()) {
      const QString onco = FindFileNoCase(folder, file.CName + QStringLiteral(".xml"));
      if (onco.isEmpty()) throw PackageHeaderMissing(folder + u'/' + file.CName + ".xml");
      heads.append(ReadPackageXml(onco, false, sender.Code, matches));
    }
  } catch (const PackageHeaderMissing&) {
    ShowRefusal(QStringLiteral("Не определён счёт пакета: ") + file.SourceName);
    return false;
  } catch (const PackageRefused& error) {
    ShowRefusal(QString::fromStdString(error.what()));
    return false;
  }

  for (const PackageXml& head : heads) {
    file.Code = head.Code;
    file.NSchet = head.NSchet;
    file.DSchet = head.DSchet;
    if (matches) {
      XmlPackageMode = true;
      for (const PackageCase& c : head.Cases) {
        const std::array<bool, 4> types = InPatientTypesOf(c);
        // The table's order: 1, 3, 2, 4.
        for (int t : {1, 3, 2, 4}) {
          if (!types[t - 1]) continue;
          SetBox(dialog_.InPatientTypeBox(t), true);
          AddReportEntry(population, t);
        }
        if (c.CareCode == 31 && letter == 1) dialog_.RadioButton1->setEnabled(true);
        if (c.CareCode == 5 && letter == 1) dialog_.RadioButton2->setEnabled(true);
        if (c.CareCode == 32 && letter == 2) {
          dialog_.RadioButton3->setEnabled(true);
          for (int t = 2; t <= 4; ++t) SetBox(dialog_.InPatientTypeBox(t), false);
        }
      }
    }
    ApplyDefaultPayment();
  }
  return true;
}

void PackageIdentification::ApplyDefaultPayment() {
  const PayKind payKind = TheRunState().PayKind;
  QRadioButton* choice = nullptr;
  if (dialog_.RadioButton1->isEnabled() && payKind == PayKind::Oms) {
    choice = dialog_.RadioButton1;
  } else if (dialog_.RadioButton2->isEnabled() && payKind == PayKind::Rehabilitation) {
    choice = dialog_.RadioButton2;
  } else if (dialog_.RadioButton3->isEnabled() && payKind == PayKind::Vmp) {
    choice = dialog_.RadioButton3;
  } else {
    for (QRadioButton* b : {dialog_.RadioButton1, dialog_.RadioButton2, dialog_.RadioButton3}) {
      if (choice == nullptr && b->isEnabled()) choice = b;
    }
  }
  if (choice != nullptr) choice->setChecked(true);
}

bool PackageIdentification::DatabaseBranch(const IdentificationInput& input, bool& XmlPackageMode) {
  PackageLists& lists = ThePackageLists();
  const PayKind payKind = input.PayListKind;
  TheRunState().PayKind = payKind;
  const QChar letter = payKind == PayKind::Vmp ? u'T' : u'H';
  for (int t = 1; t <= 4; ++t) SetBox(dialog_.InPatientTypeBox(t), false);

  // The fund forms the out-of-region reports (as party number 3), an insurer
  // its own insured's.
  const HomeRegion& region = TheHomeRegion();
  int smoCode = region.FundExchangeCode, number = 3;
  Population population = Population::OutOfRegion;
  QString name = QString::fromUtf8(region.FundSenderName);
  if (const Insurer* insurer = input.WhoDetail.InsurerEntry()) {
    smoCode = insurer->ExchangeCode;
    number = insurer->Number;
    name = QString::fromUtf8(insurer->SenderName);
    population = Population::Local;
  }
  const int inog = population == Population::OutOfRegion ? 1 : 0;
  lists.AddresseeSmoCode = smoCode;
  lists.SenderList.append(rSender());

  FormingReportQuery query;
  query.Lpu = input.CurrentLpu;
  query.Oplat = Code(payKind);
  query.MonthStart = QDate(input.Year, input.Month, 1);
  query.SmoCode = smoCode;
  query.Inog = inog;
  const QList<FormingReportRow> rows = database_.FormingReports(query);
  if (rows.isEmpty()) {
    ShowRefusal(QStringLiteral(
        "Не найдены данные для выгрузки.\nВнимательно проверьте указанные параметры."));
    return true;
  }
  rSender& sender = lists.SenderList.first();
  sender.Number = rows.first().Mcod;
  sender.Name = TrimText(rows.first().Name);
  sender.Code = u'M' + QString::number(rows.first().Mcod);
  sender.Kind = PartyKind::Institution;
  sender.LpuId = input.CurrentLpu;

  QList<rRepn>& reports = lists.ReportLists[population];
  for (qsizetype i = 0; i < rows.size(); ++i) {
    const FormingReportRow& row = rows[i];
    const QString body = QString(input.WhoDetail.IsFund() ? u'T' : u'S') +
                         QString::number(smoCode) + u'M' + QString::number(row.Mcod) + u'_' +
                         YearDigits(input.Year) + TwoDigits(input.Month) + QString::number(row.Num);
    const QString packageName = letter + body;
    if (i == 0 || row.Repn != rows[i - 1].Repn) {
      rRepn report;
      report.Repn = row.Repn;
      report.TipStac = static_cast<std::uint8_t>(row.TipStac);
      reports.append(report);
    }
    rSMOf smo;
    smo.SmoCode = smoCode;
    smo.Num = row.Num;
    smo.DSchet = row.DSchet;
    smo.NSchet = TrimText(row.NSchet);
    smo.Code = row.Code;
    reports.last().Smos.append(smo);
    if (row.TipStac >= 1 && row.TipStac <= 4) SetBox(dialog_.InPatientTypeBox(row.TipStac), true);

    qsizetype at = -1;
    for (qsizetype j = 0; j < sender.Adresats.size() && at < 0; ++j) {
      for (const rFile& f : sender.Adresats[j].Files) {
        if (f.HName == packageName) at = j;
      }
    }
    if (at < 0) {
      rAdresat adresat;
      adresat.Kind = population == Population::OutOfRegion ? PartyKind::Fund : PartyKind::Insurer;
      adresat.Number = number;
      adresat.Name = name;
      rFile file;
      file.SourceName = packageName + QStringLiteral(".xml");
      file.LName = u'L' + body;
      file.HName = packageName;
      file.DSchet = row.DSchet;
      file.NSchet = TrimText(row.NSchet);
      file.Code = row.Code;
      if (row.NeedOncoFile) {
        file.LcName = QStringLiteral("LC") + body;
        file.CName = u'C' + body;
      }
      adresat.Files.append(file);
      sender.Adresats.append(adresat);
      at = sender.Adresats.size() - 1;
    }
    if (row.TipStac >= 1 && row.TipStac <= 4) sender.Adresats[at].StacTypes[row.TipStac - 1] = true;
  }
  ShowPackageParties();
  const std::pair<QRadioButton*, PayKind> buttons[] = {
      {dialog_.RadioButton1, PayKind::Oms},
      {dialog_.RadioButton3, PayKind::Vmp},
      {dialog_.RadioButton2, PayKind::Rehabilitation}};
  for (const auto& [button, kind] : buttons) {
    button->setEnabled(kind == payKind);
    if (kind == payKind) {
      button->setChecked(true);
    } else {
      UncheckRadio(button);
    }
  }
  XmlPackageMode = true;
  return false;
}

void DeletePackageXml(const QString& folder, int adresat, int package) {
  const PackageLists& lists = ThePackageLists();
  if (lists.SenderList.isEmpty()) return;
  const QList<rAdresat>& adresats = lists.SenderList.first().Adresats;
  if (adresat < 0 || adresat >= adresats.size()) return;
  const QList<rFile>& files = adresats[adresat].Files;
  if (package < 0 || package >= files.size()) return;
  const rFile& file = files[package];
  if (!file.HName.isEmpty()) {
    RemoveFileNoCase(folder, file.LName);
    RemoveFileNoCase(folder, file.HName);
  }
  if (!file.CName.isEmpty()) {
    RemoveFileNoCase(folder, file.LcName);
    RemoveFileNoCase(folder, file.CName);
  }
}

void DeleteFirstPackageXml(const QString& folder, int adresat) {
  DeletePackageXml(folder, adresat, 0);
}

bool ConfirmDataFileChoice(TF_XML_load& dialog, bool fromDatabase, QWidget* parent) {
  PackageLists& lists = ThePackageLists();
  if (!Interact().RunModal(dialog)) return false;
  lists.HasRoundTheClock = dialog.CheckBox3->isChecked();
  lists.HasDayHospital = dialog.CheckBox4->isChecked() || dialog.CheckBox5->isChecked() ||
                         dialog.CheckBox6->isChecked();
  lists.PackageFiles.clear();
  RunState& state = TheRunState();
  state.PayKind = PayKind::None;

  QList<rAdresat>* adresats = lists.SenderList.isEmpty() ? nullptr : &lists.SenderList[0].Adresats;
  auto startsWith = [](const rFile& f, QChar c) {
    return !f.SourceName.isEmpty() && f.SourceName[0] == c;
  };
  if (dialog.RadioButton1->isChecked() || dialog.RadioButton2->isChecked()) {
    const bool main = dialog.RadioButton1->isChecked();
    state.PayKind = main ? PayKind::Oms : PayKind::Rehabilitation;
    lists.PayFolderWord = PayFolderWordOf(state.PayKind);
    for (qsizetype a = 0; adresats != nullptr && a < adresats->size(); ++a) {
      QList<rFile>& files = (*adresats)[a].Files;
      if (files.isEmpty() || !startsWith(files.last(), u'T')) continue;
      if (main && !fromDatabase) {
        const QString folder = PackageFolder(files.last());
        DeletePackageXml(folder, static_cast<int>(a), static_cast<int>(files.size() - 1));
        QDir().rmdir(folder);
      }
      files.removeLast();
    }
  } else if (dialog.RadioButton3->isChecked()) {
    state.PayKind = PayKind::Vmp;
    lists.PayFolderWord = PayFolderWordOf(state.PayKind);
    for (qsizetype a = 0; adresats != nullptr && a < adresats->size(); ++a) {
      QList<rFile>& files = (*adresats)[a].Files;
      if (files.isEmpty() || !startsWith(files.first(), u'H')) continue;
      if (files.size() > 1 && !fromDatabase) {
        const QString folder = PackageFolder(files.first());
        DeleteFirstPackageXml(folder, static_cast<int>(a));
        QDir().rmdir(folder);
      }
      files.removeFirst();
    }
  }
  // An addressee left without a package of the chosen kind has nothing to
  // load; keeping it would make the loading take another's package.
  for (qsizetype a = 0; adresats != nullptr && a < adresats->size(); ++a) {
    if ((*adresats)[a].Files.isEmpty()) adresats->removeAt(a--);
  }

  for (int t = 1; t <= 4; ++t) {
    if (dialog.InPatientTypeBox(t)->isChecked()) continue;
    for (QList<rRepn>& list : lists.ReportLists) {
      for (rRepn& r : list) {
        if (r.TipStac == t) r.TipStac = 0;
      }
    }
  }
  for (QList<rRepn>& list : lists.ReportLists) {
    list.removeIf([](const rRepn& r) { return r.TipStac == 0; });
  }
  bool anyNotFund = false, anyFund = false;
  for (qsizetype a = 0; adresats != nullptr && a < adresats->size(); ++a) {
    if ((*adresats)[a].Kind == PartyKind::Fund) {
      anyFund = true;
    } else {
      anyNotFund = true;
    }
  }
  if (!anyNotFund) lists.ReportLists[Population::Local].clear();
  if (!anyFund) lists.ReportLists[Population::OutOfRegion].clear();

  if (state.PayKind == PayKind::None || (lists.ReportCount(Population::Local) == 0 &&
                                         lists.ReportCount(Population::OutOfRegion) == 0)) {
    ShowMessage(parent, ApplicationTitle(),
                QStringLiteral("Отсутствуют данные для формирования/приёма реестров"));
    return false;
  }
  return true;
}

}  // namespace kelmo
