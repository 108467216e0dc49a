// The button "Проверка иногородних" of the main window, headless: the click
// reads the folder, period, in-patient type and institution from the window,
// runs the check over a fixture registry, packs the protocol with the
// stand-in archiver, answers the save dialog through the interaction and
// shows the protocol in the viewer in archive mode; the progress window gets
// its place back and the run buttons are enabled again.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "documents/un_corr.h"
#include "domain/run_state.h"
#include "interact/scripted_interaction.h"
#include "out_of_region_registry.h"
#include "shell/data_module.h"
#include "shell/main_window.h"
#include "shell/out_of_region_check_button.h"
#include "shell/progress_window.h"
#include "shell_test_support.h"

using namespace kelmo;

namespace {

class OutOfRegionButtonTest : public ::testing::Test {
 protected:
  // The window as start-up makes it, without its database: the grid stays
  // closed (no institution), which the check takes as an empty name and level.
  void SetUp() override {
    dm = std::make_unique<TDM>("check_button");
    dm->DataModuleCreate({}, {"tester", ""});
    window = std::make_unique<TfmKelmo>(*dm, start.Paths());
    viewer = std::make_unique<TfmUnCorr>();
    progress = std::make_unique<TfmPrgs>();
    window->SetDialogs(viewer.get(), progress.get(), nullptr, nullptr);
    oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray(KELMO_SOURCE_DIR "/tests/fixtures/bin:") + oldPath);
  }
  void TearDown() override {
    qputenv("PATH", oldPath);
    window.reset();
    dm.reset();
  }

  test::TempStart start;
  ScriptedInteraction script;
  ScopedInteraction scope{script};
  std::unique_ptr<TDM> dm;
  std::unique_ptr<TfmKelmo> window;
  std::unique_ptr<TfmUnCorr> viewer;
  std::unique_ptr<TfmPrgs> progress;
  QByteArray oldPath;
};

TEST_F(OutOfRegionButtonTest, ChecksTheWindowsRegistryAndShowsTheArchivedProtocol) {
  const QString folder = start.File("реестр иногородних");
  ASSERT_TRUE(QDir().mkpath(folder));
  test::OutOfRegionRegistry registry;
  registry.cases = {test::With(test::CleanOutOfRegionCase(1), {{"TIP_STAC", 4}, {"F_STATUS", 0}})};
  registry.sheets = {test::With(
      test::CleanOutOfRegionSheet(1),
      {{"KOD_MES", "8000001"}, {"MES_ACC3", "3"}, {"ACCOMP3", "I10"}, {"ACCOMP_L3", 2}})};
  test::BuildOutOfRegionRegistry(folder, registry);

  window->dlb->setDirectory(folder);
  window->seYear->SetValue(2026);
  window->cbMonth->setCurrentIndex(2);
  window->rgStac->setItemIndex(3);
  const tariff::OutOfRegionCheckInputs in =
      ReadOutOfRegionCheckInputs(*window, QDateTime(QDate(2026, 4, 1), QTime(8, 0)));
  EXPECT_EQ(in.Folder, folder);
  EXPECT_EQ(in.Month, 3);
  EXPECT_EQ(in.Year, 2026);
  EXPECT_EQ(in.StacType, 4);
  EXPECT_TRUE(in.LpuName.isEmpty());
  EXPECT_TRUE(in.LpuLevel.isEmpty());

  const QPoint place = progress->pos();
  const QString copy = start.File("копия");
  script.fileAnswers.push_back(copy);
  QString shownText;
  bool archiveMode = false;
  bool buttonsEnabled = true;
  script.modalHandlers.push_back([&](QDialog& dialog) {
    auto& shown = dynamic_cast<TfmUnCorr&>(dialog);
    shownText = shown.re->toPlainText();
    archiveMode = shown.ArchiveMode;
    buttonsEnabled = window->btChIng->isEnabled() || window->bbKelmo->isEnabled();
    return true;
  });
  ASSERT_EQ(window->btChIng->text(), QString("Проверка иногородних"));
  window->btChIng->click();

  const QStringList protocols = QDir(folder).entryList({"Инг_*.txt"}, QDir::Files);
  ASSERT_EQ(protocols.size(), 1);
  const QString protocol = QDir(folder).filePath(protocols[0]);
  EXPECT_EQ(TheRunState().ProtocolPath, protocol);
  EXPECT_TRUE(shownText.startsWith("Проверка отчета по иногородним\n\nЛПУ: \n"))
      << shownText.toStdString();
  // The accompanying-disease rule needs the institution's level, which the
  // closed grid does not give.
  EXPECT_TRUE(
      shownText.contains("\n - ПЕТРОВ П.И. (№ ист.бол. 501): У иногороднего больного не "
                         "указан социальный статус\n\n\n"))
      << shownText.toStdString();
  EXPECT_TRUE(shownText.contains("Отчет за период с 01.3.2026 по 31.3.2026"));
  EXPECT_TRUE(archiveMode);
  EXPECT_FALSE(buttonsEnabled);

  // The save dialog proposed the protocol's name and the copy is the archive.
  const auto saves = script.CallsOf(ScriptedInteraction::Kind::SaveFile);
  ASSERT_EQ(saves.size(), 1u);
  EXPECT_EQ(saves[0].text, protocols[0].chopped(4));
  QFile archive(copy + ".rar");
  ASSERT_TRUE(archive.open(QIODevice::ReadOnly));
  EXPECT_TRUE(archive.readAll().startsWith("Rar!"));
  EXPECT_TRUE(script.CallsOf(ScriptedInteraction::Kind::Message).empty());

  EXPECT_FALSE(progress->isVisible());
  EXPECT_EQ(progress->pos(), place);
  EXPECT_TRUE(window->btChIng->isEnabled());
  EXPECT_TRUE(window->bbKelmo->isEnabled());
}

}  // namespace
