// The package identification over registry folders built by code, with the
// data-file choice dialog answered by a script.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QTemporaryDir>
#include <functional>

#include "domain/package_lists.h"
#include "domain/run_state.h"
#include "interact/scripted_interaction.h"
#include "package_test_support.h"
#include "qt_test_application.h"
#include "shell/data_file_dialog.h"
#include "shell/package_identification.h"

namespace kelmo {
namespace {

using test::FilesBelow;
using test::PackageXmlBytes;
using test::SlSpec;
using test::WriteBytes;
using test::WriteZip;

QString S(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// A main file with a round-the-clock case and a day-hospital case.
QByteArray MainHead(const char* nschet, std::vector<SlSpec> cases = {{"1001001"}}) {
  return PackageXmlBytes(QStringLiteral("7"), S(nschet), QStringLiteral("2024-02-05"), cases);
}

class PackageIdentificationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRunState();
    ResetPackageLists();
    TheRunState().PayKind = PayKindOfCode(1);
    reg = root.filePath(QStringLiteral("reg"));
    QDir().mkpath(reg);
    WriteBytes(root.filePath(QStringLiteral("outside.txt")), "keep");
    db.lpus.insert(450001, {450001, 10, S("ГБ №1 ")});
    db.lpus.insert(450002, {450002, 11, S("ГБ №2")});
    input.Folder = reg;
    input.WhoDetail = WhoDetail(1);
    input.Mode = RegistryMode::Receive;
    input.Year = 2024;
    input.Month = 1;
    input.CurrentLpu = 10;
  }

  QString P(const QString& name) const { return reg + u'/' + name; }
  QString Temp(const QString& sub = {}) const {
    return sub.isEmpty() ? P(QStringLiteral("temp")) : P(QStringLiteral("temp/") + sub);
  }

  // Runs mode 0; returns whether the folder was refused.
  bool Identify(int mode = 0) {
    ScopedInteraction scope(script);
    PackageIdentification identification(db, dialog);
    return identification.IdentifyPackages(input, mode, xmlMode, confirmed);
  }

  QStringList Messages() const {
    QStringList out;
    for (const auto& c : script.CallsOf(ScriptedInteraction::Kind::Message)) out.append(c.text);
    return out;
  }

  void ExpectOutsideUntouched() const {
    QStringList outside = FilesBelow(root.path());
    outside.removeIf([](const QString& n) {
      return n.startsWith(QStringLiteral("reg/")) || n.startsWith(QStringLiteral("elsewhere"));
    });
    EXPECT_EQ(outside, QStringList{QStringLiteral("outside.txt")});
  }

  QTemporaryDir root;
  QString reg;
  test::FakePackageDatabase db;
  TF_XML_load dialog;
  ScriptedInteraction script;
  IdentificationInput input;
  bool xmlMode = true;
  bool confirmed = true;
};

TEST_F(PackageIdentificationTest, InstitutionPackagesAreUnpackedReadAndConfirmed) {
  // The insurer's package: a round-the-clock and a day case, the oncology pair
  // and the reference files; a stray entry stays in the archive.
  WriteZip(P(QStringLiteral("HS45001M450001_2401001.zip")),
           {{QStringLiteral("HS45001M450001_2401001.XML"),
             MainHead("11", {{"1001001"}, {"дс12345678901234"}, {"0"}})},
            {QStringLiteral("LS45001M450001_2401001.XML"), "<PERS_LIST/>"},
            {QStringLiteral("CS45001M450001_2401001.xml"),
             PackageXmlBytes(QStringLiteral("8"), QStringLiteral("  "),
                             QStringLiteral("2024-02-06"), {{"2002002"}})},
            {QStringLiteral("LCS45001M450001_2401001.XML"), "<PERS_LIST/>"},
            {QStringLiteral("EMP_LIST_450001.XML"), "<E/>"},
            {QStringLiteral("HOLDING.XML"), "<H/>"},
            {QStringLiteral("junk.txt"), "x"}});
  // The fund's H and T packages.
  WriteZip(P(QStringLiteral("HT45M450001_2401002.ZIP")),
           {{QStringLiteral("HT45M450001_2401002.XML"), MainHead("22")},
            {QStringLiteral("LT45M450001_2401002.XML"), "<PERS_LIST/>"}});
  WriteZip(P(QStringLiteral("TT45M450001_2401003.zip")),
           {{QStringLiteral("TT45M450001_2401003.XML"), MainHead("33", {{nullptr, true}})},
            {QStringLiteral("LT45M450001_2401003.XML"), "<PERS_LIST/>"}});
  // Another month: not this reception's.
  WriteZip(P(QStringLiteral("HT45M450001_2402004.zip")),
           {{QStringLiteral("HT45M450001_2402004.XML"), MainHead("44")}});
  // A package whose main file has no invoice head is refused on its own.
  WriteZip(P(QStringLiteral("HS45002M450001_2401005.zip")),
           {{QStringLiteral("HS45002M450001_2401005.XML"),
             PackageXmlBytes({}, {}, {}, {{"1001001"}}, false)}});

  bool dialogSeen = false;
  script.modalHandlers.push_back([&](QDialog& d) {
    auto& f = static_cast<TF_XML_load&>(d);
    dialogSeen = true;
    EXPECT_EQ(f.Label6->text(), S("ГБ №1"));
    EXPECT_EQ(f.Label5->text(), S("Бервинта-Кредо\nТФОМС (иногородние)"));
    EXPECT_TRUE(f.RadioButton1->isEnabled() && f.RadioButton1->isChecked());
    EXPECT_FALSE(f.RadioButton2->isEnabled());
    EXPECT_FALSE(f.RadioButton3->isEnabled());
    EXPECT_TRUE(f.CheckBox3->isChecked());
    EXPECT_TRUE(f.CheckBox6->isChecked());
    EXPECT_FALSE(f.CheckBox4->isChecked() || f.CheckBox5->isChecked());
    f.CheckBox6->setChecked(false);
    return true;
  });

  EXPECT_FALSE(Identify());
  EXPECT_TRUE(dialogSeen);
  EXPECT_TRUE(xmlMode);
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(Messages(), QStringList{S("Не определён счёт пакета: HS45002M450001_2401005.zip")});

  const PackageLists& lists = ThePackageLists();
  ASSERT_EQ(lists.SenderList.size(), 1);
  const rSender& sender = lists.SenderList[0];
  EXPECT_EQ(sender.Code, QStringLiteral("M450001"));
  EXPECT_EQ(sender.Kind, PartyKind::Institution);
  EXPECT_EQ(sender.Number, 450001);
  EXPECT_EQ(sender.LpuId, 10);
  ASSERT_EQ(sender.Adresats.size(), 2);
  const rAdresat& smo = sender.Adresats[0];
  EXPECT_EQ(smo.Code, QStringLiteral("S45001"));
  EXPECT_EQ(smo.Kind, PartyKind::Insurer);
  EXPECT_EQ(smo.Number, 1);
  ASSERT_EQ(smo.Files.size(), 1);
  const rFile& h = smo.Files[0];
  EXPECT_EQ(h.HName, QStringLiteral("HS45001M450001_2401001"));
  EXPECT_EQ(h.LName, QStringLiteral("LS45001M450001_2401001"));
  EXPECT_EQ(h.LcName, QStringLiteral("LCS45001M450001_2401001"));
  EXPECT_EQ(h.CName, QStringLiteral("CS45001M450001_2401001"));
  // The oncology file's head is read after the main file's.
  EXPECT_EQ(h.Code, 8);
  EXPECT_EQ(h.NSchet, QStringLiteral("0"));
  EXPECT_EQ(h.DSchet, QDate(2024, 2, 6));
  const rAdresat& fund = sender.Adresats[1];
  EXPECT_EQ(fund.Code, QStringLiteral("T45"));
  EXPECT_EQ(fund.Kind, PartyKind::Fund);
  // "ОМС основная" drops the T package and its extracted files.
  ASSERT_EQ(fund.Files.size(), 1);
  EXPECT_EQ(fund.Files[0].SourceName, QStringLiteral("HT45M450001_2401002.ZIP"));
  EXPECT_EQ(fund.Files[0].NSchet, QStringLiteral("22"));

  // Unchecking the day hospital left the round-the-clock reports.
  ASSERT_EQ(lists.ReportLists[Population::Local].size(), 1);
  EXPECT_EQ(lists.ReportLists[Population::Local][0].TipStac, 1);
  EXPECT_EQ(lists.ReportLists[Population::Local][0].Repn, 0);
  ASSERT_EQ(lists.ReportLists[Population::OutOfRegion].size(), 1);
  EXPECT_EQ(lists.ReportLists[Population::OutOfRegion][0].TipStac, 1);
  EXPECT_EQ(lists.ReportCount(Population::Local), 1);
  EXPECT_EQ(lists.ReportCount(Population::OutOfRegion), 1);
  EXPECT_EQ(Code(TheRunState().PayKind), 1);
  EXPECT_EQ(lists.PayFolderWord, S("ОМС"));
  EXPECT_TRUE(lists.HasRoundTheClock);
  EXPECT_FALSE(lists.HasDayHospital);
  EXPECT_TRUE(lists.DbfRegistryAllowed);

  EXPECT_EQ(FilesBelow(Temp()),
            (QStringList{QStringLiteral("HS45001M450001_2401001.zip/CS45001M450001_2401001.xml"),
                         QStringLiteral("HS45001M450001_2401001.zip/EMP_LIST_450001.XML"),
                         QStringLiteral("HS45001M450001_2401001.zip/HOLDING.XML"),
                         QStringLiteral("HS45001M450001_2401001.zip/HS45001M450001_2401001.XML"),
                         QStringLiteral("HS45001M450001_2401001.zip/LCS45001M450001_2401001.XML"),
                         QStringLiteral("HS45001M450001_2401001.zip/LS45001M450001_2401001.XML"),
                         QStringLiteral("HT45M450001_2401002.ZIP/HT45M450001_2401002.XML"),
                         QStringLiteral("HT45M450001_2401002.ZIP/LT45M450001_2401002.XML")}));
  EXPECT_FALSE(QDir(Temp(QStringLiteral("TT45M450001_2401003.zip"))).exists());
  EXPECT_FALSE(QDir(Temp(QStringLiteral("HS45002M450001_2401005.zip"))).exists());
  ExpectOutsideUntouched();
}

TEST_F(PackageIdentificationTest, HighTechChoiceKeepsTheTPackageAndDeletesTheHFiles) {
  TheRunState().PayKind = PayKindOfCode(6);
  WriteZip(P(QStringLiteral("HT45M450001_2401001.zip")),
           {{QStringLiteral("HT45M450001_2401001.XML"), MainHead("1")},
            {QStringLiteral("LT45M450001_2401001.XML"), "<P/>"},
            {QStringLiteral("CT45M450001_2401001.XML"), MainHead("1c")},
            {QStringLiteral("LCT45M450001_2401001.XML"), "<P/>"},
            {QStringLiteral("HOLDING.XML"), "<H/>"}});
  WriteZip(P(QStringLiteral("TT45M450001_2401002.zip")),
           {{QStringLiteral("TT45M450001_2401002.XML"),
             PackageXmlBytes(QStringLiteral("5"), QStringLiteral("T-2"),
                             QStringLiteral("2024-02-07 10:00:00"), {{nullptr, true}})},
            {QStringLiteral("LT45M450001_2401002.XML"), "<P/>"}});
  script.modalHandlers.push_back([](QDialog& d) {
    auto& f = static_cast<TF_XML_load&>(d);
    EXPECT_TRUE(f.RadioButton3->isEnabled() && f.RadioButton3->isChecked());
    EXPECT_FALSE(f.RadioButton1->isEnabled());
    EXPECT_TRUE(f.CheckBox3->isChecked());
    EXPECT_FALSE(f.CheckBox4->isEnabled());
    return true;
  });
  EXPECT_FALSE(Identify());
  EXPECT_TRUE(confirmed);
  const rAdresat& fund = ThePackageLists().SenderList[0].Adresats[0];
  ASSERT_EQ(fund.Files.size(), 1);
  EXPECT_EQ(fund.Files[0].SourceName, QStringLiteral("TT45M450001_2401002.zip"));
  EXPECT_EQ(fund.Files[0].NSchet, QStringLiteral("T-2"));
  EXPECT_EQ(fund.Files[0].Code, 5);
  EXPECT_EQ(fund.Files[0].DSchet, QDate(2024, 2, 7));
  EXPECT_EQ(Code(TheRunState().PayKind), 6);
  EXPECT_EQ(ThePackageLists().PayFolderWord, S("ВМП"));
  // The H package's extracted files are gone; the reference file keeps its
  // folder.
  EXPECT_EQ(FilesBelow(Temp()),
            (QStringList{QStringLiteral("HT45M450001_2401001.zip/HOLDING.XML"),
                         QStringLiteral("TT45M450001_2401002.zip/LT45M450001_2401002.XML"),
                         QStringLiteral("TT45M450001_2401002.zip/TT45M450001_2401002.XML")}));
  ASSERT_EQ(ThePackageLists().ReportLists[Population::OutOfRegion].size(), 1);
  EXPECT_TRUE(ThePackageLists().ReportLists[Population::Local].isEmpty());
}

TEST_F(PackageIdentificationTest, CancelledOrEmptiedChoiceReceivesNothing) {
  WriteZip(P(QStringLiteral("HT45M450001_2401001.zip")),
           {{QStringLiteral("HT45M450001_2401001.XML"), MainHead("1")}});
  script.modalHandlers.push_back([](QDialog&) { return false; });
  EXPECT_FALSE(Identify());
  EXPECT_TRUE(xmlMode);
  EXPECT_FALSE(confirmed);
  EXPECT_TRUE(Messages().isEmpty());

  script.modalHandlers.push_back([](QDialog& d) {
    static_cast<TF_XML_load&>(d).CheckBox3->setChecked(false);
    return true;
  });
  EXPECT_FALSE(Identify());
  EXPECT_FALSE(confirmed);
  EXPECT_EQ(Messages(), QStringList{S("Отсутствуют данные для формирования/приёма реестров")});
}

// A layout of the registry folder and what the identification makes of it.
struct Layout {
  const char* name;
  int who;
  RegistryMode mode;
  int payKind;
  // File name -> entries ("" as the entry list writes a corrupt archive).
  std::vector<std::pair<const char*, std::vector<const char*>>> packages;
  bool refused;
  const char* message;  // null: no message
  bool xml;
  bool dbfAllowed;
  bool raises;
};

class PackageLayoutTest : public PackageIdentificationTest,
                          public ::testing::WithParamInterface<Layout> {};

TEST_P(PackageLayoutTest, RefusesOrIgnoresAsItShould) {
  const Layout& l = GetParam();
  input.WhoDetail = WhoDetail(l.who);
  input.Mode = l.mode;
  TheRunState().PayKind = PayKindOfCode(l.payKind);
  for (const auto& [file, entries] : l.packages) {
    const QString name = QString::fromUtf8(file);
    if (entries.empty()) {
      WriteBytes(P(name), "PK\x03\x04 this is no archive");
      continue;
    }
    QMap<QString, QByteArray> content;
    // A leading "!" writes an entry that is no XML.
    for (const char* e : entries) {
      const QString entry = QString::fromUtf8(e);
      if (entry.startsWith(u'!')) {
        content.insert(entry.mid(1), QByteArray("not xml <"));
      } else {
        content.insert(entry, MainHead("1", {{"1001001"}}));
      }
    }
    WriteZip(P(name), content);
  }
  script.modalHandlers.push_back([](QDialog&) { return true; });
  bool refused = false;
  if (l.raises) {
    EXPECT_ANY_THROW(Identify());
  } else {
    refused = Identify();
  }
  EXPECT_EQ(refused, l.refused);
  EXPECT_EQ(xmlMode, l.xml);
  EXPECT_EQ(ThePackageLists().DbfRegistryAllowed, l.dbfAllowed);
  const QStringList messages = Messages();
  if (l.message == nullptr) {
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
  } else {
    EXPECT_EQ(messages.value(0), S(l.message));
  }
  EXPECT_TRUE(QDir(Temp()).exists());
  if (l.refused || l.raises) {
    EXPECT_TRUE(FilesBelow(Temp()).isEmpty()) << FilesBelow(Temp()).join(u'|').toStdString();
  }
  ExpectOutsideUntouched();
}

TEST_F(PackageIdentificationTest, PackageWithoutPersonFileOrOncologyPartner) {
  WriteZip(P(QStringLiteral("HT45M450001_2401001.zip")),
           {{QStringLiteral("HT45M450001_2401001.XML"), MainHead("1")},
            {QStringLiteral("CT45M450001_2401001.xml"), MainHead("2")}});
  EXPECT_FALSE(Identify(1));
  EXPECT_TRUE(xmlMode);
  const rFile& f = ThePackageLists().SenderList[0].Adresats[0].Files[0];
  EXPECT_TRUE(f.LName.isEmpty());
  EXPECT_TRUE(f.LcName.isEmpty());
  EXPECT_EQ(f.CName, QStringLiteral("CT45M450001_2401001"));
  EXPECT_EQ(f.NSchet, QStringLiteral("2"));
  EXPECT_TRUE(script.CallsOf(ScriptedInteraction::Kind::Modal).empty());
}

TEST_F(PackageIdentificationTest, FolderThatCannotBeWrittenIsRefused) {
  // Below a plain file nothing can be made, whoever runs the test.
  input.Folder = root.filePath(QStringLiteral("outside.txt/reg"));
  EXPECT_TRUE(Identify());
  EXPECT_FALSE(xmlMode);
  ASSERT_EQ(Messages().size(), 1);
  EXPECT_TRUE(Messages()[0].startsWith(S("Не удалось создать каталог ")));
  ExpectOutsideUntouched();
}

TEST_F(PackageIdentificationTest, TempAsALinkIsReplacedNotFollowed) {
  const QString elsewhere = root.filePath(QStringLiteral("elsewhere"));
  QDir().mkpath(elsewhere);
  WriteBytes(elsewhere + QStringLiteral("/precious.txt"), "x");
  ASSERT_TRUE(QFile::link(elsewhere, Temp()));
  WriteZip(P(QStringLiteral("HT45M450001_2401001.zip")),
           {{QStringLiteral("HT45M450001_2401001.XML"), MainHead("1")}});
  EXPECT_FALSE(Identify(1));
  EXPECT_TRUE(QFileInfo::exists(elsewhere + QStringLiteral("/precious.txt")));
  EXPECT_FALSE(QFileInfo(Temp()).isSymLink());
  EXPECT_EQ(FilesBelow(Temp()),
            QStringList{QStringLiteral("HT45M450001_2401001.zip/HT45M450001_2401001.XML")});
}

TEST_F(PackageIdentificationTest, NextIdentificationStartsAfresh) {
  TheRunState().PayKind = PayKindOfCode(6);
  WriteZip(P(QStringLiteral("HT45M450001_2401001.zip")),
           {{QStringLiteral("HT45M450001_2401001.XML"), MainHead("1")}});
  EXPECT_FALSE(Identify());
  EXPECT_FALSE(xmlMode);
  EXPECT_FALSE(ThePackageLists().DbfRegistryAllowed);
  EXPECT_TRUE(script.CallsOf(ScriptedInteraction::Kind::Modal).empty());
  ASSERT_TRUE(QFile::remove(P(QStringLiteral("HT45M450001_2401001.zip"))));
  EXPECT_FALSE(Identify());
  EXPECT_TRUE(ThePackageLists().DbfRegistryAllowed);
  EXPECT_TRUE(ThePackageLists().SenderList.isEmpty());
  EXPECT_TRUE(FilesBelow(Temp()).isEmpty());
}

TEST_F(PackageIdentificationTest, EntriesInFoldersLandFlatInThePackageFolder) {
  WriteZip(P(QStringLiteral("HT45M450001_2401001.zip")),
           {{QStringLiteral("in/HT45M450001_2401001.XML"), MainHead("1")},
            {QStringLiteral("../../LT45M450001_2401001.XML"), "<P/>"},
            {QStringLiteral("../../HOLDING.XML"), "<H/>"}});
  EXPECT_FALSE(Identify(1));
  EXPECT_TRUE(xmlMode);
  for (const QString& f : FilesBelow(Temp())) {
    EXPECT_TRUE(f.startsWith(QStringLiteral("HT45M450001_2401001.zip/")) && f.count(u'/') == 1)
        << f.toStdString();
  }
  EXPECT_TRUE(FilesBelow(Temp()).contains(
      QStringLiteral("HT45M450001_2401001.zip/HT45M450001_2401001.XML")));
  ExpectOutsideUntouched();
}

// A hostile or damaged package next to a good one, and what the
// identification makes of it.
struct HostileCase {
  const char* name;
  // Writes the hostile package named `file` into the registry folder.
  std::function<void(const QString& path, const QString& file)> make;
  // The start of the one message shown.
  const char* message;
  // The whole folder refused (else only the package is dropped).
  bool folderRefused;
};

class HostilePackageTest : public PackageIdentificationTest,
                           public ::testing::WithParamInterface<HostileCase> {};

QByteArray EntityBomb() {
  QByteArray dtd = "<!ENTITY e0 \"xxxxxxxxxx\">";
  for (int i = 1; i <= 9; ++i) {
    QByteArray refs;
    for (int k = 0; k < 10; ++k) refs += "&e" + QByteArray::number(i - 1) + ';';
    dtd += "<!ENTITY e" + QByteArray::number(i) + " \"" + refs + "\">";
  }
  return "<?xml version=\"1.0\"?>\n<!DOCTYPE ZL_LIST [" + dtd +
         "]>\n<ZL_LIST><SCHET><CODE>1</CODE><NSCHET>&e9;</NSCHET><DSCHET>2024-02-05</DSCHET>"
         "</SCHET></ZL_LIST>";
}

TEST_P(HostilePackageTest, IsRefusedWithAMessageAndLeavesNothingBehind) {
  const HostileCase& c = GetParam();
  // The good package comes from the fund, the hostile one from an insurer,
  // both to the same institution.
  WriteZip(P(QStringLiteral("HT45M450001_2401001.zip")),
           {{QStringLiteral("HT45M450001_2401001.XML"), MainHead("1")}});
  const QString hostile = QStringLiteral("HS45001M450001_2401002.zip");
  c.make(P(hostile), hostile.left(hostile.size() - 4));
  input.WhoDetail = WhoDetail(1);
  bool refused = false;
  EXPECT_NO_THROW(refused = Identify(1)) << c.name;
  EXPECT_EQ(refused, c.folderRefused) << c.name;
  ASSERT_EQ(Messages().size(), 1) << c.name;
  EXPECT_TRUE(Messages()[0].startsWith(S(c.message))) << Messages()[0].toStdString();
  QStringList left = FilesBelow(Temp());
  if (c.folderRefused) {
    EXPECT_TRUE(left.isEmpty()) << left.join(u'|').toStdString();
  } else {
    // Only the good package is unpacked and listed.
    EXPECT_EQ(left, QStringList{QStringLiteral("HT45M450001_2401001.zip/HT45M450001_2401001.XML")});
    ASSERT_EQ(ThePackageLists().SenderList.size(), 1);
    ASSERT_EQ(ThePackageLists().SenderList[0].Adresats.size(), 1);
    EXPECT_EQ(ThePackageLists().SenderList[0].Adresats[0].Files[0].SourceName,
              QStringLiteral("HT45M450001_2401001.zip"));
  }
  ExpectOutsideUntouched();
}

INSTANTIATE_TEST_SUITE_P(
    Packages, HostilePackageTest,
    ::testing::Values(
        // A reference file that unpacks to a thousand times its packed size.
        HostileCase{"ZipBomb",
                    [](const QString& path, const QString& base) {
                      WriteZip(path, {{base + QStringLiteral(".XML"), MainHead("2")},
                                      {QStringLiteral("HOLDING.XML"), QByteArray(30 << 20, ' ')}});
                    },
                    "Пакет HS45001M450001_2401002.zip не принят: Entry \"HOLDING.XML\" would "
                    "unpack to 31457280 bytes",
                    false},
        // An entry whose folder climbs back onto the main file's name.
        HostileCase{"MainFileSubstitution",
                    [](const QString& path, const QString& base) {
                      WriteZip(path,
                               {{base + QStringLiteral(".XML"), MainHead("2")},
                                {QStringLiteral("sub/../../../") + base + QStringLiteral(".XML"),
                                 MainHead("666")}});
                    },
                    "Пакет HS45001M450001_2401002.zip не принят: Two entries of the archive land "
                    "on",
                    false},
        HostileCase{"NestedEntities",
                    [](const QString& path, const QString& base) {
                      WriteZip(path, {{base + QStringLiteral(".XML"), EntityBomb()}});
                    },
                    "В файле ", false},
        HostileCase{"DateThatIsNoDate",
                    [](const QString& path, const QString& base) {
                      WriteZip(path,
                               {{base + QStringLiteral(".XML"),
                                 PackageXmlBytes(QStringLiteral("7"), QStringLiteral("1"),
                                                 QStringLiteral("2024-13-45"), {{"1001001"}})}});
                    },
                    "'45.13.2024' is not a valid date", false},
        HostileCase{"Fifo",
                    [](const QString& path, const QString&) {
                      ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
                    },
                    "Файл HS45001M450001_2401002.zip назван как пакет, но не является обычным "
                    "файлом.",
                    true},
        HostileCase{"LinkToADevice",
                    [](const QString& path, const QString&) {
                      ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));
                    },
                    "Файл HS45001M450001_2401002.zip назван как пакет", true}),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

const char kSeveral[] =
    "Каталог содержит несколько получателей.\nОставьте в каталоге только необходимые файлы и "
    "запустите приём отчётов повторно.";
const char kRepeated[] =
    "Каталог содержит несколько одинаковых получаетелей.\nОставьте в каталоге только "
    "необходимые файлы и запустите приём отчётов повторно.";
constexpr RegistryMode kRecv = RegistryMode::Receive;
constexpr RegistryMode kForm = RegistryMode::Form;

INSTANTIATE_TEST_SUITE_P(
    Folders, PackageLayoutTest,
    ::testing::Values(Layout{"Empty", 1, kRecv, 1, {}, false, nullptr, false, true, false},
                      Layout{"WrongMonth",
                             1,
                             kRecv,
                             1,
                             {{"HT45M450001_2312001.zip", {"HT45M450001_2312001.XML"}}},
                             false,
                             nullptr,
                             false,
                             true,
                             false},
                      Layout{"UnknownSender",
                             1,
                             kRecv,
                             1,
                             {{"HT45M450099_2401001.zip", {"HT45M450099_2401001.XML"}}},
                             true,
                             "Не определён источник: M450099",
                             false,
                             true,
                             false},
                      Layout{"ForeignInsurer",
                             1,
                             kRecv,
                             1,
                             {{"HS45003M450001_2401001.zip", {"HS45003M450001_2401001.XML"}}},
                             true,
                             "Не определён адресат: S45003",
                             false,
                             true,
                             false},
                      Layout{"UnknownAddresseeType",
                             1,
                             kRecv,
                             1,
                             {{"HX45M450001_2401001.zip", {"HX45M450001_2401001.XML"}}},
                             true,
                             "Не определён тип адресата: X45",
                             false,
                             true,
                             false},
                      Layout{"InsurerSeesOnlyItsOwnPackages",
                             2778,
                             kRecv,
                             1,
                             {{"HM450001S45002_2401001.zip", {"HM450001S45002_2401001.XML"}}},
                             false,
                             nullptr,
                             false,
                             true,
                             false},
                      Layout{"InstitutionFormingIgnoresReceivedNames",
                             1,
                             kForm,
                             1,
                             {{"HT45M450001_2401001.zip", {"HT45M450001_2401001.XML"}}},
                             false,
                             nullptr,
                             false,
                             true,
                             false},
                      Layout{"TwoSenders",
                             1,
                             kRecv,
                             1,
                             {{"HT45M450001_2401001.zip", {"HT45M450001_2401001.XML"}},
                              {"HT45M450002_2401002.zip", {"HT45M450002_2401002.XML"}}},
                             true,
                             kSeveral,
                             false,
                             true,
                             false},
                      Layout{"RepeatedAddressee",
                             2,
                             kRecv,
                             1,
                             {{"HM450001T45_2401001.zip", {"HM450001T45_2401001.XML"}},
                              {"HT45M450001_2401002.ZIP", {"HT45M450001_2401002.XML"}}},
                             true,
                             kRepeated,
                             false,
                             true,
                             false},
                      // A name with one code only names no second party.
                      Layout{"OneCodeOnly",
                             2,
                             kRecv,
                             1,
                             {{"HM450001_2401001.zip", {"HM450001_2401001.XML"}}},
                             true,
                             "Не определён тип источника: ",
                             false,
                             true,
                             false},
                      Layout{"CorruptZip",
                             1,
                             kRecv,
                             1,
                             {{"HT45M450001_2401001.zip", {}}},
                             false,
                             nullptr,
                             false,
                             true,
                             true},
                      Layout{"MainFileNotXml",
                             1,
                             kRecv,
                             1,
                             {{"HT45M450001_2401001.zip", {"!HT45M450001_2401001.XML"}},
                              {"HS45001M450001_2401002.zip", {"HS45001M450001_2401002.XML"}}},
                             false,
                             "Не определён счёт пакета: HT45M450001_2401001.zip",
                             true,
                             true,
                             false},
                      Layout{"NoMainFile",
                             1,
                             kRecv,
                             1,
                             {{"HT45M450001_2401001.zip", {"LT45M450001_2401001.XML"}}},
                             false,
                             nullptr,
                             false,
                             false,
                             false},
                      Layout{"NoPersonFileNorOncologyPair",
                             1,
                             kRecv,
                             1,
                             {{"HT45M450001_2401001.zip",
                               {"HT45M450001_2401001.XML", "CT45M450001_2401001.XML"}}},
                             false,
                             nullptr,
                             true,
                             true,
                             false},
                      Layout{"OnlyHPackagesForHighTech",
                             1,
                             kRecv,
                             6,
                             {{"HT45M450001_2401001.zip", {"HT45M450001_2401001.XML"}}},
                             false,
                             nullptr,
                             false,
                             false,
                             false}),
    [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelmo
