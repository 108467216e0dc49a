// A program run for the reception's tests: the data module, the main window
// on the fixture database, the protocol viewer and the progress window, with
// the reception installed on the button, and a scripted interaction.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <memory>

#include "documents/un_corr.h"
#include "domain/reception_state.h"
#include "domain/run_state.h"
#include "interact/scripted_interaction.h"
#include "reception/reception_button.h"
#include "reception_fixture.h"
#include "shell/data_module.h"
#include "shell/main_window.h"
#include "shell/progress_window.h"
#include "shell/startup.h"

namespace kelmo::test {

class ReceptionHarness {
 public:
  // The window on the registry database `database` (the test program's own
  // embedded one unless another is given) and on the central segment
  // `central` (the start folder's own when empty); `options` are further
  // lines of kelmo.ini's section (the party, "Who_Detail=2" for the fund).
  explicit ReceptionHarness(const QString& database = RegistryDatabaseFile::Path(),
                            const QString& central = QString(),
                            const QString& options = QString()) {
    ResetRunState();
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, start_.filePath("machine"));
    QFile ini(start_.filePath("kelmo.ini"));
    ini.open(QIODevice::WriteOnly);
    QStringEncoder encode("windows-1251");
    ini.write(encode("[Options]\r\nIBDBase=" + database + "\r\n"));
    if (!central.isEmpty()) ini.write(encode("CSbase=" + central + "\r\n"));
    if (!options.isEmpty()) ini.write(encode(options + "\r\n"));
    ini.close();
    // The program's own Kelmo.ini names the template folder (ExcelPath).
    QDir(start_.path()).mkpath("exe");
    QFile exeIni(start_.filePath("exe/Kelmo.ini"));
    exeIni.open(QIODevice::WriteOnly);
    exeIni.write(encode("[Options]\r\nExcelPath=" KELMO_SOURCE_DIR "/templates\r\n"));
    exeIni.close();

    ShellPaths paths;
    paths.startFolder = start_.path();
    paths.executablePath = QCoreApplication::applicationFilePath();
    paths.executableFolder = start_.filePath("exe");
    paths.registryScripts = QStringLiteral(KELMO_SOURCE_DIR "/db/registry");
    paths.centralScripts = QStringLiteral(KELMO_SOURCE_DIR "/db/central");

    forms.DM = std::make_unique<TDM>(QStringLiteral("rcpt%1").arg(++Counter()));
    forms.DM->DataModuleCreate({}, {"tester", ""});
    forms.fmKelmo = std::make_unique<TfmKelmo>(*forms.DM, paths);
    forms.fmUnCorr = std::make_unique<TfmUnCorr>();
    forms.fmPrgs = std::make_unique<TfmPrgs>();
    forms.fmKelmo->SetDialogs(forms.fmUnCorr.get(), forms.fmPrgs.get(), nullptr, nullptr);
    forms.fmKelmo->FormCreate();
    InstallReception(forms);
    registry = QDir(folder_.path()).filePath("registry");
    QDir().mkpath(registry);
  }
  ~ReceptionHarness() {
    QDir::setCurrent(QDir::tempPath());
    forms.fmPrgs.reset();
    forms.fmUnCorr.reset();
    forms.fmKelmo.reset();
    forms.DM.reset();
  }

  TfmKelmo& W() { return *forms.fmKelmo; }

  // The main window set for a round-the-clock OMS reception of March 2024
  // in the registry folder.
  void Choose(int month = 3, int year = 2024, int mode = 0, int payIndex = 0, int stac = 0) {
    W().seYear->SetValue(year);
    W().cbMonth->setCurrentIndex(month - 1);
    W().rgps->setItemIndex(mode);
    W().cbVidOp->setCurrentIndex(payIndex);
    TheRunState().PayKind = PayKindOfListIndex(payIndex);
    W().rgStac->setItemIndex(stac);
    W().deDKelmo->SetDateValue(QDate(2024, 4, 5));
    W().dlb->setDirectory(registry);
  }

  // Makes the institution `id` the grid's current row.
  void SelectLpu(int id) {
    for (int row = 0; row < W().ibqLPU.RecordCount(); ++row)
      if (W().ibqLPU.Value(row, QStringLiteral("ID")).toInt() == id) W().ibqLPU.setRecNo(row);
  }

  // The demonstration registry (examples/dbf-registry) copied into the
  // registry folder.
  void CopyDemonstrationRegistry() {
    const QDir demo(KELMO_SOURCE_DIR "/examples/dbf-registry");
    for (const QString& name : demo.entryList(QDir::Files))
      ASSERT_TRUE(QFile::copy(demo.filePath(name), QDir(registry).filePath(name)));
  }

  // Presses the reception button.
  void Press() { W().bbKelmo->click(); }
  // Presses it with the clock fixed at `now`.
  void PressAt(const QDateTime& now) {
    ReceptionButton button{*forms.DM, ReceptionForms{W(), forms.fmUnCorr.get(), forms.fmPrgs.get(),
                                                     [now] { return now; }}};
    bbKelmoClick(button);
  }

  // The act the run wrote (ProtocolPath), as lines.
  QStringList Act() const { return ReadActLines(TheRunState().ProtocolPath); }

  // The act without the version banner inserted after its title.
  QStringList ActWithoutBanner(bool receiving = true) const {
    QStringList lines = Act();
    const RunState& s = TheRunState();
    const QStringList banner = VersionBannerLines(s.CurrentExprVer, s.PackageExprVer, receiving);
    if (lines.mid(1, banner.size()) == banner)
      lines.erase(lines.begin() + 1, lines.begin() + 1 + banner.size());
    return lines;
  }

  static int& Counter() {
    static int n = 0;
    return n;
  }

  ScriptedInteraction script;
  ScopedInteraction scope{script};
  KelmoForms forms;
  QString registry;

 private:
  QTemporaryDir start_;
  QTemporaryDir folder_;
};

}  // namespace kelmo::test
