// The split by insurer at the end of a formation: the package folder's name
// and the removal of what the run leaves behind, the order of the progress
// window's steps and of the main window's minimising, and a formation from
// the reception button of a registry with cases of both regional insurers
// and of an out-of-region one, which ends with each addressee's documents
// and zip package in the dated package folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include "documents/insurer_documents.h"
#include "domain/common.h"
#include "domain/package_lists.h"
#include "domain/reception_state.h"
#include "domain/run_state.h"
#include "firebird/fb_query.h"
#include "insurer_split_fixture.h"
#include "reception/insurer_split.h"
#include "reception_fixture.h"
#include "reception_harness.h"
#include "recording_user.h"
#include "registry_fixture.h"
#include "workbook/workbook.h"

using namespace kelmo;
using namespace kelmo::test;

TEST(InsurerSplit, PackageFolderTakesTheFirstFreeName) {
  QTemporaryDir dir;
  const QDir registry(dir.path());
  EXPECT_EQ(FreePackageFolder(dir.path(), "ОМС", "январь", "2024"),
            registry.filePath("ОМС_январь2024"));
  registry.mkpath("ОМС_январь2024");
  registry.mkpath("ОМС_январь2024_1");
  // A file of a name takes it as a folder does.
  Touch(registry.filePath("ОМС_январь2024_2"));
  EXPECT_EQ(FreePackageFolder(dir.path(), "ОМС", "январь", "2024"),
            registry.filePath("ОМС_январь2024_3"));
  EXPECT_EQ(FreePackageFolder(dir.path(), "ВМП", "январь", "2024"),
            registry.filePath("ВМП_январь2024"));
}

TEST(InsurerSplit, TempBecomesThePackageFolderAndTheLeftoversGo) {
  QTemporaryDir dir, outside;
  const QDir registry(dir.path());
  registry.mkpath("ОМС_январь2024");
  for (const char* name :
       {"temp/EMP_LIST_450001.XML", "temp/DEP_LIST_450001.XML", "temp/HOLDING.XML",
        "temp/2778/Sreestr1(ОМС)_Бервин.xlsx", "temp/EMP_LIST_450002.XML",
        "Отчет по стационару/Стационар/Тальви/mtl.dbf"})
    Touch(registry.filePath(name));
  // A link below the split-report folder to a file outside it: the link goes,
  // the file stays.
  Touch(QDir(outside.path()).filePath("keep.dbf"));
  ASSERT_TRUE(QFile::link(QDir(outside.path()).filePath("keep.dbf"),
                          registry.filePath("Отчет по стационару/Стационар/link.dbf")));
  TheRunState().ProtocolPath = registry.filePath("temp/ОМС_0504_0800.txt");

  const QString package = MoveTempToPackageFolder(dir.path(), "ОМС", "январь", "2024", 450001);
  EXPECT_EQ(package, registry.filePath("ОМС_январь2024_1"));
  EXPECT_FALSE(QFileInfo::exists(registry.filePath("temp")));
  QStringList left;
  QDirIterator it(package, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) left << QDir(package).relativeFilePath(it.next());
  left.sort();
  EXPECT_EQ(left, QStringList({"2778/Sreestr1(ОМС)_Бервин.xlsx", "EMP_LIST_450002.XML"}));
  EXPECT_FALSE(QFileInfo::exists(registry.filePath("Отчет по стационару")));
  EXPECT_TRUE(QFileInfo::exists(QDir(outside.path()).filePath("keep.dbf")));
  // The act of a package run moved with "temp".
  EXPECT_EQ(TheRunState().ProtocolPath, QDir(package).filePath("ОМС_0504_0800.txt"));

  // Without a sender the reference files stay; without "temp" nothing moves.
  Touch(registry.filePath("temp/HOLDING.XML"));
  EXPECT_EQ(MoveTempToPackageFolder(dir.path(), "ОМС", "январь", "2024", std::nullopt),
            registry.filePath("ОМС_январь2024_2"));
  EXPECT_TRUE(QFileInfo::exists(registry.filePath("ОМС_январь2024_2/HOLDING.XML")));
  EXPECT_EQ(MoveTempToPackageFolder(dir.path(), "ОМС", "январь", "2024", std::nullopt), "");
  EXPECT_FALSE(QFileInfo::exists(registry.filePath("ОМС_январь2024_3")));
}

TEST(InsurerSplit, StepsOfTheProgressWindowAndTheMainWindow) {
  RegistryFixture db;
  FbTransaction tr(db.Db());
  for (const bool minimise : {true, false}) {
    SCOPED_TRACE(minimise);
    // By the split every registry is handled as a package.
    ReceptionState state;
    state.XmlPackageMode = true;
    RecordingUser user;
    QTemporaryDir dir;
    ReceptionInputs in;
    in.RegistryFolder = dir.path();
    in.Receiving = false;
    in.MonthIndex = 0;
    in.YearText = "2024";
    in.MinimiseDuringRun = minimise;
    ReceptionContext ctx(state, db.Db(), tr, in, &user);
    ResetPackageLists();
    ThePackageLists().PayFolderWord = "ОМС";
    QDir(dir.path()).mkpath("temp");
    Touch(QDir(dir.path()).filePath("onechcost.dat"));
    SplitByInsurer(ctx);
    QStringList expected = {"progress", "phase Выборка данных...",
                            "phase Выборка для Бервинта Кредо...",
                            "phase Выборка для ООО \"Зентариямедицина\"...", "end of progress"};
    if (minimise) {
      expected.prepend("minimise");
      expected.append("restore");
    }
    // The documents' own phases ("Формирование ...") come between.
    QStringList calls = user.calls;
    calls.removeIf([](const QString& c) { return c.startsWith("phase Формирование"); });
    EXPECT_EQ(calls, expected);
    EXPECT_TRUE(QFileInfo(QDir(dir.path()).filePath("ОМС_январь2024")).isDir());
    EXPECT_FALSE(QFileInfo::exists(QDir(dir.path()).filePath("onechcost.dat")));
  }
}

// The demonstration registry formed by its institution from the button:
// each regional insurer's folder holds its registers and its package (the
// person and main files of its cases and its treated-patient register), the
// working folder is the dated package folder, the reports are marked
// uploaded; a second formation takes the next name.
TEST(InsurerSplit, DemonstrationRegistryEndsInThePackageFolder) {
  ReceptionHarness h;
  const QDir demo(KELMO_SOURCE_DIR "/examples/dbf-registry");
  for (const QString& name : demo.entryList(QDir::Files))
    ASSERT_TRUE(QFile::copy(demo.filePath(name), QDir(h.registry).filePath(name)));
  Touch(QDir(h.registry).filePath("onechcost.dat"));
  const int uploaded = Uploaded(h);
  h.Choose(3, 2024, 1);
  h.Press();
  ASSERT_EQ(TheReceptionState().LastStop, ReceptionStop::None);
  const QDir registry(h.registry);
  const QDir package(registry.filePath("ОМС_март2024"));
  ASSERT_TRUE(QFileInfo(package.path()).isDir());
  for (const char* gone : {"temp", "Отчет по стационару", "onechcost.dat"})
    EXPECT_FALSE(QFileInfo::exists(registry.filePath(gone))) << gone;

  // Insurer 2779: both its cases are costed; its registers and its package.
  const QString zip2779 = OnlyZip(package.filePath("2779"));
  const QString base2779 = QFileInfo(zip2779).completeBaseName();
  EXPECT_TRUE(base2779.startsWith("HM450001S45002_24031")) << base2779.toStdString();
  for (const char* name : {"2779/Profils(ОМС)_ЗНТ.xlsx", "2779/Sreestr1(ОМС)_ЗНТ.xlsx"})
    EXPECT_TRUE(QFileInfo::exists(package.filePath(name))) << name;
  EXPECT_EQ(UnzipTest(zip2779), 0);
  EXPECT_EQ(PackageEntries(zip2779), QStringList({"L" + base2779.mid(1) + ".xml", base2779 + ".xml",
                                                  "Sreestr1(ОМС)_ЗНТ.xlsx"}));
  EXPECT_EQ(CasesOfEntries(zip2779),
            QStringList({"L" + base2779.mid(1) + ".xml:0", base2779 + ".xml:2"}));
  // Its invoice bills its two cases.
  auto sfakt =
      workbook::Workbook::Open(package.filePath("2779/Sfakt1(ОМС)_ЗНТ.xlsx").toStdString());
  EXPECT_EQ(sfakt->Sheet(0).Text(17, 1), "Всего");
  EXPECT_EQ(QString::fromStdString(sfakt->Sheet(0).Text(17, 8)),
            MoneyStr(TheReceptionState().Pass[Population::Local].CalcTotal));
  auto sreestr =
      workbook::Workbook::Open(package.filePath("2779/Sreestr1(ОМС)_ЗНТ.xlsx").toStdString());
  EXPECT_EQ(sreestr->Sheet(0).Text(3, 1),
            "Областная больница (круглосуточный стационар, местное население)");
  EXPECT_EQ(sreestr->Sheet(0).Text(8, 3), "КУЗНЕЦОВА О.И.");
  EXPECT_EQ(sreestr->Sheet(0).Text(14, 3), "ПЕТРОВА М.С.");
  // Insurer 2778: its cases were refused by the checks (no cost, no
  // register), and its package holds their documents all the same.
  const QString zip2778 = OnlyZip(package.filePath("2778"));
  EXPECT_EQ(UnzipTest(zip2778), 0);
  const QStringList cases2778 = CasesOfEntries(zip2778);
  ASSERT_EQ(cases2778.size(), 2);
  EXPECT_TRUE(cases2778[1].startsWith("HM450001S45001_24031") && cases2778[1].endsWith(":2"));
  // The packed XML files are gone from the insurers' folders.
  EXPECT_TRUE(QDir(package.filePath("2778")).entryList({"*.xml"}, QDir::Files).isEmpty());
  EXPECT_EQ(Uploaded(h), uploaded + 1);

  // The export of insurer 2778 again, into another registry folder, where a
  // folder stands under its package's name: the packing fails, its report
  // is not marked uploaded and the XML files stay; once the package can be
  // written the report is marked.
  const int repn = ThePackageLists().ReportLists[Population::Local].value(0).Repn;
  auto uploadedMark = [&h, repn] {
    FbQuery q(h.W().ibdb, &h.W().ibtr);
    q.setSql("select uploaded from reports where repn=:repn");
    q.setParam("repn", repn);
    q.Open();
    return q.Value(0, 0).toInt();
  };
  {
    FbQuery q(h.W().ibdb, &h.W().ibtr);
    q.setSql("update reports set uploaded=0 where repn=:repn");
    q.setParam("repn", repn);
    q.ExecSQL();
  }
  QTemporaryDir other;
  const QString blocked = QDir(other.path()).filePath("temp/2778/" + QFileInfo(zip2778).fileName());
  ASSERT_TRUE(QDir().mkpath(blocked));
  InsurerDocumentInputs again;
  again.CaseFilter = " and (s.polis='2778')";
  again.RegistryFolder = other.path();
  again.XmlPackageMode = true;
  again.WhoDetail = WhoDetail(1);
  again.Reports = ThePackageLists().ReportLists;
  RecordingUser user;
  const InsurerDocumentServices services(h.W().ibdb, h.W().ibtr, user, ThePackageLists());
  EXPECT_THROW(WriteInsurerDocuments(again, services), std::exception);
  EXPECT_EQ(uploadedMark(), 0);
  EXPECT_TRUE(QFileInfo::exists(
      QDir(other.path()).filePath("temp/2778/" + QFileInfo(zip2778).completeBaseName() + ".xml")));
  ASSERT_TRUE(QDir(blocked).removeRecursively());
  WriteInsurerDocuments(again, services);
  EXPECT_EQ(UnzipTest(blocked), 0);
  EXPECT_EQ(uploadedMark(), 1);

  h.Press();
  EXPECT_TRUE(QFileInfo(registry.filePath("ОМС_март2024_1/2779")).isDir());
  EXPECT_EQ(Uploaded(h), uploaded + 2);
}

// A registry with an out-of-region case: the fund's package in the folder
// "Иногородние" beside the insurers'.
TEST(InsurerSplit, OutOfRegionCasesGoToTheFundsPackage) {
  ReceptionHarness h;
  BuildThreeInsurerRegistry(h);
  h.Choose(3, 2024, 1);
  h.Press();
  ASSERT_EQ(TheReceptionState().LastStop, ReceptionStop::None);
  const QDir package(QDir(h.registry).filePath("ОМС_март2024"));
  const QString fund = OnlyZip(package.filePath("Иногородние"));
  EXPECT_TRUE(QFileInfo(fund).fileName().startsWith("HM450001T45_24031")) << fund.toStdString();
  EXPECT_EQ(UnzipTest(fund), 0);
  const QStringList fundCases = CasesOfEntries(fund);
  ASSERT_EQ(fundCases.size(), 2);
  EXPECT_TRUE(fundCases[0].startsWith("LM450001T45_24031") && fundCases[0].endsWith(":0"));
  EXPECT_TRUE(fundCases[1].startsWith("HM450001T45_24031") && fundCases[1].endsWith(":1"));
  for (const char* insurer : {"2778", "2779"}) {
    SCOPED_TRACE(insurer);
    const QString zip = OnlyZip(package.filePath(insurer));
    EXPECT_EQ(UnzipTest(zip), 0);
    const QStringList cases = CasesOfEntries(zip);
    ASSERT_EQ(cases.size(), 2);
    EXPECT_TRUE(cases[1].endsWith(":1")) << cases.join(' ').toStdString();
  }
}
