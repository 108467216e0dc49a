// The main window hands its period, party, mode, folder and payment kind to
// the package identification, over an embedded registry database.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringConverter>

#include "domain/package_lists.h"
#include "domain/run_state.h"
#include "interact/scripted_interaction.h"
#include "package_test_support.h"
#include "shell/data_file_dialog.h"
#include "shell/data_module.h"
#include "shell/main_window.h"
#include "shell/settings_dialog.h"
#include "shell_test_support.h"

namespace kelmo {
namespace {

TEST(PackageMainWindow, IdentifiesTheFolderShownWithTheWindowsChoices) {
  test::TempStart start;
  ScriptedInteraction script;
  ScopedInteraction scope{script};
  {
    QFile ini(start.File(QStringLiteral("kelmo.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    QStringEncoder encode("windows-1251");
    ini.write(encode(QStringLiteral("[Options]\r\nIBDBase=") + start.File("registry.fdb") +
                     QStringLiteral("\r\n")));
  }
  {
    FbDatabase db("package_window_db");
    db.setDatabaseName(start.File(QStringLiteral("registry.fdb")));
    db.setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/registry"));
    db.Open();
  }
  TDM dm("test");
  dm.DataModuleCreate({}, {"tester", ""});
  TfmKelmo window(dm, start.Paths());
  TfmProp prop(dm);
  TF_XML_load dialog;
  window.SetDialogs(nullptr, nullptr, &dialog, &prop);
  window.FormCreate();

  const QString reg = start.File(QStringLiteral("reg"));
  QDir().mkpath(reg);
  test::WriteZip(reg + QStringLiteral("/HS45001M450001_2401001.zip"),
                 {{QStringLiteral("HS45001M450001_2401001.XML"),
                   test::PackageXmlBytes(QStringLiteral("1"), QStringLiteral("1"),
                                         QStringLiteral("2024-02-01"), {{"1001", false, "1"}})}});
  ASSERT_TRUE(window.dlb->setDirectory(reg));
  window.WhoDetail = WhoDetail(1);
  window.rgps->setItemIndex(0);
  window.seYear->SetValue(2024);
  window.cbMonth->setCurrentIndex(0);
  window.cbVidOp->setCurrentIndex(0);
  TheRunState().PayKind = PayKindOfCode(1);
  script.modalHandlers.push_back([](QDialog& d) {
    auto& f = static_cast<TF_XML_load&>(d);
    // Only rehabilitation cases: the one payment kind offered.
    EXPECT_TRUE(f.RadioButton2->isChecked());
    EXPECT_FALSE(f.RadioButton1->isEnabled());
    return true;
  });
  bool xml = false, confirmed = false;
  EXPECT_FALSE(window.IdentifyPackages(0, xml, confirmed));
  EXPECT_TRUE(xml);
  EXPECT_TRUE(confirmed);
  const rSender& sender = ThePackageLists().SenderList.value(0);
  EXPECT_EQ(sender.LpuId, 1);
  EXPECT_EQ(sender.Name, QString::fromUtf8("Областная больница"));
  EXPECT_EQ(Code(TheRunState().PayKind), 7);
  EXPECT_EQ(window.cbVidOp->currentIndex(), 6);
  EXPECT_EQ(ThePackageLists().PayFolderWord, QString::fromUtf8("Реабилитация"));
}

}  // namespace
}  // namespace kelmo
