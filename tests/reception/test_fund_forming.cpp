// The fund forming ("Сформировать" with the party the fund) from the reports
// already in the registry database: an institution's formation of a registry
// with cases of both regional insurers and of an out-of-region one leaves
// its reports there, the fund's marks accept them, and the fund's formation
// reads them back without loading anything, ends with the split by insurer
// and moves its working folder to the dated package folder.
#include <gtest/gtest.h>

#include <QDirIterator>

#include "domain/package_lists.h"
#include "domain/reception_state.h"
#include "fund_forming_fixture.h"

using namespace kelmo;
using namespace kelmo::test;

namespace {

// The files below a folder, relative to it, sorted.
QStringList FilesBelow(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
  files.sort();
  return files;
}

}  // namespace

// The fund's reports are the out-of-region ones: its package lists hold
// the out-of-region report only, so the split writes the fund's package of
// the out-of-region case in "Иногородние" and nothing for the two regional
// insurers, whose cases stand in the local report the fund does not form.
TEST(FundForming, FundFormsTheOutOfRegionReportOfTheDatabase) {
  PerPopulation<int> repn{};
  InstitutionFormsAndFundAccepts([](ReceptionHarness& h) { BuildThreeInsurerRegistry(h); }, repn);
  ASSERT_GT(repn[Population::OutOfRegion], 0);

  FundHarness fund;
  int dialogs = 0;
  fund.script.modalHandlers.push_back([&dialogs](QDialog&) {
    ++dialogs;
    return true;  // "Продолжить"
  });
  Touch(QDir(fund.registry).filePath("onechcost.dat"));
  fund.Press();
  ASSERT_EQ(TheReceptionState().LastStop, ReceptionStop::None);
  EXPECT_EQ(dialogs, 1);
  const PackageLists& lists = ThePackageLists();
  EXPECT_TRUE(lists.ReportLists[Population::Local].isEmpty());
  ASSERT_EQ(lists.ReportLists[Population::OutOfRegion].size(), 1);
  EXPECT_EQ(lists.ReportLists[Population::OutOfRegion][0].Repn, repn[Population::OutOfRegion]);

  // "temp" became the package folder, with the act; the leftovers are gone.
  const QDir registry(fund.registry);
  const QDir package(registry.filePath("ОМС_март2024"));
  ASSERT_TRUE(QFileInfo(package.path()).isDir());
  for (const char* gone : {"temp", "Отчет по стационару", "onechcost.dat"})
    EXPECT_FALSE(QFileInfo::exists(registry.filePath(gone))) << gone;
  EXPECT_EQ(QFileInfo(TheRunState().ProtocolPath).dir(), package);

  // The fund's package of its one out-of-region case, named from the fund as
  // the sender's addressee "T45"; nothing for the regional insurers (their
  // folders stay empty).
  const QString zip = OnlyZip(package.filePath("Иногородние"));
  const QString base = QFileInfo(zip).completeBaseName();
  EXPECT_TRUE(base.startsWith("HT45M450001_24031")) << base.toStdString();
  EXPECT_EQ(UnzipTest(zip), 0);
  EXPECT_EQ(CasesOfEntries(zip), QStringList({"L" + base.mid(1) + ".xml:0", base + ".xml:1"}));
  const QString act = QFileInfo(TheRunState().ProtocolPath).fileName();
  QStringList expected = {act, "Иногородние/" + QFileInfo(zip).fileName()};
  expected.sort();
  EXPECT_EQ(FilesBelow(package.path()), expected);
  EXPECT_EQ(Uploaded(fund), 1);
}

// The demonstration registry holds cases of the two regional insurers only:
// the fund finds no out-of-region report of it to form, is told so, and
// nothing runs.
TEST(FundForming, DemonstrationRegistryHoldsNothingForTheFund) {
  PerPopulation<int> repn{};
  InstitutionFormsAndFundAccepts(
      [](ReceptionHarness& h) {
        const QDir demo(KELMO_SOURCE_DIR "/examples/dbf-registry");
        for (const QString& name : demo.entryList(QDir::Files))
          ASSERT_TRUE(QFile::copy(demo.filePath(name), QDir(h.registry).filePath(name)));
      },
      repn);
  ASSERT_GT(repn[Population::Local], 0);
  ASSERT_EQ(repn[Population::OutOfRegion], 0);

  FundHarness fund;
  fund.Press();
  const auto messages = fund.script.CallsOf(ScriptedInteraction::Kind::Message);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text,
            "Не найдены данные для выгрузки.\nВнимательно проверьте указанные параметры.");
  EXPECT_TRUE(fund.script.CallsOf(ScriptedInteraction::Kind::Modal).empty());
  EXPECT_FALSE(QFileInfo::exists(QDir(fund.registry).filePath("ОМС_март2024")));
}
