// The main window's creation rules over one embedded database made for the
// whole suite, its closing, the folder button, the settings dialog and the
// data module's connections.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringConverter>

#include "domain/run_state.h"
#include "interact/scripted_interaction.h"
#include "shell/data_module.h"
#include "shell/main_window.h"
#include "shell/settings_dialog.h"
#include "shell/start_period.h"
#include "shell_test_support.h"

using namespace kelmo;

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    test::App();
    shared_ = std::make_unique<QTemporaryDir>();
    FbDatabase db("suite_db");
    db.setDatabaseName(SharedDatabase());
    db.setScriptFolder(KELMO_SOURCE_DIR "/db/registry");
    db.Open();
  }
  static void TearDownTestSuite() { shared_.reset(); }
  static QString SharedDatabase() { return shared_->filePath("registry.fdb"); }

  void WriteIni(const QString& body) {
    QFile file(start.File("kelmo.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QStringEncoder encode("windows-1251");
    file.write(encode("[Options]\r\nIBDBase=" + SharedDatabase() + "\r\n" + body + "\r\n"));
  }

  // A data module and a main window made as start-up makes them.
  void Create() {
    dm = std::make_unique<TDM>("test");
    dm->DataModuleCreate({}, {"tester", ""});
    window = std::make_unique<TfmKelmo>(*dm, start.Paths());
    prop = std::make_unique<TfmProp>(*dm);
    window->SetDialogs(nullptr, nullptr, nullptr, prop.get());
    window->FormCreate();
  }

  void TearDown() override {
    prop.reset();
    window.reset();
    dm.reset();
  }

  test::TempStart start;
  ScriptedInteraction script;
  ScopedInteraction scope{script};
  std::unique_ptr<TDM> dm;
  std::unique_ptr<TfmKelmo> window;
  std::unique_ptr<TfmProp> prop;

 private:
  static std::unique_ptr<QTemporaryDir> shared_;
};

std::unique_ptr<QTemporaryDir> MainWindowTest::shared_;

TEST_F(MainWindowTest, ConfigurationRulesOnTheWindow) {
  struct Case {
    const char* name;
    const char* ini;
    bool receptionShown;
    bool uploadShown;
    int inog;
    const char* payKind;
    bool aktEnabled;
    int ownSmo;
  } cases[] = {
      {"institution", "", true, false, 2, "ОМС", false, 0},
      {"upper LPU keeps the combined report", "WHO=LPU", false, false, 2, "ОМС", false, 0},
      {"insurer 2779", "Who_Detail=2779", true, false, 0, "ОМС", false, 45002},
      {"fund", "Who_Detail=2\r\nWHO=tfoms", false, true, 1, "ОМС", false, 0},
      {"not a number", "Who_Detail=abc", true, false, 2, "ОМС", false, 0},
      {"payment ВМП", "Oplat=6", true, false, 2, "ВМП", false, 0},
      {"payment garbage", "Oplat=x", true, false, 2, "ОМС", false, 0},
      {"acts for an institution", "AKTConStr=DSN=acts", true, false, 2, "ОМС", false, 0},
      {"acts for an insurer", "AKTConStr=DSN=acts\r\nWho_Detail=2778", true, false, 0, "ОМС", true,
       45001},
  };
  for (const Case& c : cases) {
    ResetRunState();
    WriteIni(QString::fromUtf8(c.ini));
    Create();
    EXPECT_EQ(!window->bbKelmo->isHidden(), c.receptionShown) << c.name;
    EXPECT_EQ(!window->obKelmo->isHidden(), !c.receptionShown) << c.name;
    EXPECT_EQ(window->rgps->isEnabled(), c.receptionShown) << c.name;
    EXPECT_EQ(!window->btnUPL->isHidden(), c.uploadShown) << c.name;
    EXPECT_EQ(window->MultiSelectLpus, c.uploadShown) << c.name;
    EXPECT_EQ(window->DBGrid1->toolTip().isEmpty(), !c.uploadShown) << c.name;
    EXPECT_EQ(window->ibqLPU.param("inog").toInt(), c.inog) << c.name;
    EXPECT_EQ(window->ibqLPU.param("dbeg").toDateTime().date(),
              DefaultReportMonth(QDate::currentDate()))
        << c.name;
    EXPECT_EQ(window->ibqLPU.RecordCount(), 4) << c.name;
    EXPECT_EQ(window->cbVidOp->currentText(), QString::fromUtf8(c.payKind)) << c.name;
    EXPECT_EQ(ListIndexOf(TheRunState().PayKind), window->cbVidOp->currentIndex()) << c.name;
    EXPECT_EQ(dm->AktEnabled, c.aktEnabled) << c.name;
    EXPECT_EQ(dm->con1.connectionString(), c.aktEnabled ? QString("DSN=acts") : QString())
        << c.name;
    EXPECT_EQ(TheRunState().OwnSmoCode, c.ownSmo) << c.name;
    EXPECT_FALSE(window->ch_OperAnaliz->isHidden()) << c.name;
    EXPECT_TRUE(window->MainFormReady) << c.name;
    EXPECT_TRUE(script.calls.empty()) << c.name;
    TearDown();
  }
}

TEST_F(MainWindowTest, DebugMessagesOnClosing) {
  WriteIni("MyComp=true");
  Create();
  EXPECT_TRUE(window->FormCloseQuery());
  ASSERT_EQ(script.calls.size(), 1u);
  EXPECT_EQ(script.calls[0].text, QString("попытка закрыть приём (можно)"));
  window->FormDeactivate();
  EXPECT_EQ(script.calls.back().text, QString("deactivate"));
}

TEST_F(MainWindowTest, SettingsDialogAndClosingWriteBackTheFolder) {
  WriteIni("KvillonPath=/old/");
  Create();
  EXPECT_EQ(dm->KvillonPath, QString("/old/"));

  // "Принять" without a folder chosen changes nothing.
  prop->FormActivate();
  EXPECT_EQ(prop->lbledt1->text(), QString("/old/"));
  prop->lbledt1->setText("/typed/");  // typed text is not taken
  prop->btn2Click();
  EXPECT_EQ(dm->KvillonPath, QString("/old/"));
  EXPECT_FALSE(dm->KvillonPathChanged);

  // "..." cancelled changes nothing; a chosen file gives its folder.
  prop->btn1Click();
  EXPECT_TRUE(prop->chosenFolder().isEmpty());
  const QString chosen = start.File("kvillon/base.gdb");
  script.fileAnswers.push_back(chosen);
  prop->btn1Click();
  EXPECT_EQ(prop->chosenFolder(), start.File("kvillon") + "/");
  EXPECT_EQ(prop->lbledt1->text(), start.File("kvillon") + "/");
  prop->btn2Click();
  EXPECT_EQ(dm->KvillonPath, start.File("kvillon") + "/");
  EXPECT_TRUE(dm->KvillonPathChanged);

  // The settings button shows the dialog modally.
  window->btn1Click();
  EXPECT_EQ(script.CallsOf(ScriptedInteraction::Kind::Modal).size(), 1u);

  // Closing writes the key back into the file opened at start, whatever the
  // current folder is now.
  const QString before = QDir::currentPath();
  QDir::setCurrent(QDir::tempPath());
  window->close();
  QDir::setCurrent(before);
  EXPECT_EQ(IniFile(start.File("kelmo.ini")).ReadString("Options", "KvillonPath", ""),
            start.File("kvillon") + "/");
  EXPECT_EQ(IniFile(start.File("kelmo.ini")).ReadString("Options", "IBDBase", ""),
            SharedDatabase());
}

TEST_F(MainWindowTest, ClosingWithoutAChangeLeavesTheFileAlone) {
  WriteIni("KvillonPath=/old/");
  Create();
  QFile file(start.File("kelmo.ini"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray before = file.readAll();
  file.close();
  window->close();
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), before);
}

TEST_F(MainWindowTest, FolderButton) {
  const QString root = start.File("reestr") + "/";
  WriteIni("REPPATH=  " + root + "  ");
  Create();
  window->seYear->SetValue(2013);
  window->cbMonth->setCurrentIndex(2);
  window->DBGrid1->setCurrentIndex(window->DBGrid1->model()->index(1, 0));  // institution 25
  window->rgStac->setItemIndex(0);
  EXPECT_EQ(window->RegistryFolderForCurrentRow(), root + "2013/03_2013/lpu25");
  window->rgStac->setItemIndex(3);
  EXPECT_EQ(window->RegistryFolderForCurrentRow(), root + "2013/03_2013/lpu25dnst");

  // A folder that does not exist: the message, and the list stays.
  const QString listBefore = window->dlb->directory();
  window->bbGoDirClick();
  ASSERT_EQ(script.calls.size(), 1u);
  EXPECT_EQ(script.calls[0].caption, QString("Ошибка"));
  EXPECT_EQ(script.calls[0].text, "Не найдена папка " + root + "2013/03_2013/lpu25dnst");
  EXPECT_EQ(script.calls[0].icon, MessageIcon::Error);
  EXPECT_EQ(window->dlb->directory(), listBefore);

  // An existing one is entered and its files listed by the mask.
  const QString folder = root + "2013/03_2013/lpu25dnst";
  ASSERT_TRUE(QDir().mkpath(folder));
  for (const char* name : {"stacion.DBF", "act.txt", "image.png", "SM45001T45_1301.zip"}) {
    QFile f(folder + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  window->bbGoDirClick();
  EXPECT_EQ(script.calls.size(), 1u);
  EXPECT_EQ(window->dlb->directory(), folder);
  QStringList files;
  for (int i = 0; i < window->flb->count(); ++i) files << window->flb->item(i)->text();
  EXPECT_EQ(files, (QStringList{"act.txt", "SM45001T45_1301.zip", "stacion.DBF"}));
}

TEST_F(MainWindowTest, ConnectCentralSegment) {
  WriteIni("");
  Create();
  // The central segment of the start folder was made at start, not connected.
  EXPECT_TRUE(QFile::exists(start.File("central.fdb")));
  EXPECT_FALSE(dm->CS_base.Connected());
  dm->CS_base.setParams({"junk=1"});
  EXPECT_TRUE(dm->ConnectCS());
  EXPECT_TRUE(dm->ConnectCS());
  EXPECT_EQ(dm->CS_base.params().size(), 3);
  EXPECT_EQ(dm->CS_base.params().at(0), QString("user_name=SYSDBA"));
  EXPECT_EQ(dm->CS_base.params().at(2), QString("lc_ctype=WIN1251"));
  EXPECT_TRUE(dm->CS_base.Connected());
  window->close();
  EXPECT_FALSE(dm->CS_base.Connected());

  dm->CS_base.setDatabaseName("");
  EXPECT_FALSE(dm->ConnectCS());
  EXPECT_TRUE(script.calls.empty());
}

TEST(DataModule, InputRequestsAreAnsweredWithTheThirdChoice) {
  TDM dm("input");
  InputRequest request;
  request.entryCount = 4;
  request.selection = 1;
  EXPECT_EQ(dm.InputReqCallBack(request), 3);
  EXPECT_EQ(request.selection, 3);
}

TEST(DataModule, CommandLineUserOnlyInTheDomain) {
  struct Case {
    QStringList arguments;
    const char* account;
    const char* user;
  } cases[] = {
      {{"petrov"}, "OMS\\x", ""},
      {{"petrov", "pass"}, "OMS\\x", "petrov"},
      {{"petrov", "pass", "more"}, "x@oms", "petrov"},
      {{"petrov", "pass"}, "OTHER\\x", ""},
      {{}, "OMS\\x", ""},
  };
  for (const Case& c : cases) {
    TDM dm("cmd");
    dm.DataModuleCreate(c.arguments, {c.account, ""});
    EXPECT_EQ(dm.CmdUser(), QString(c.user)) << c.account;
  }
}

}  // namespace
