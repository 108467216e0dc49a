// The upload button's click (see upload_all_button.h).
#include "upload_all_button.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>

#include "domain/report_period.h"
#include "domain/run_state.h"
#include "shell/data_file_dialog.h"
#include "shell/data_module.h"
#include "shell/error_box.h"
#include "shell/main_window.h"
#include "shell/package_identification.h"
#include "shell/registry_package_database.h"
#include "shell/window_run_user.h"

namespace kelmo {

const QStringList kUploadLpuSql = {
    QStringLiteral("select lpu.*, lm.mcod from LPU"),
    QStringLiteral("left join lpu_mcod lm on lm.lpu_id=lpu.id"),
    QStringLiteral("where lpu.id=:id"),
};

namespace {

// The payment list shows the kind without running its change handler.
void ShowPayKind(TfmKelmo& w, PayKind kind) {
  const QSignalBlocker blocker(w.cbVidOp);
  w.cbVidOp->setCurrentIndex(ListIndexOf(kind));
}

}  // namespace

UploadAllInputs ReadUploadAllInputs(TfmKelmo& w) {
  UploadAllInputs in;
  in.MarkedLpus = w.MarkedLpus.Items();
  in.MonthIndex = w.cbMonth->currentIndex();
  in.Year = w.seYear->ValueAsInteger();
  const IniFile fallback(QDir::current().filePath(QStringLiteral("kelmo.ini")));
  const IniFile& ini = w.SettingsIni ? *w.SettingsIni : fallback;
  const UploadFolders folders = ReadUploadFolders(ini);
  in.WorkFolder = folders.WorkFolder;
  in.UploadRoot = folders.UploadRoot;
  in.KeptFolders = {QFileInfo(ini.path()).absolutePath(), ReadRepPath(ini, w.BuiltInRepPath())};
  return in;
}

bool FormThroughWindow(const ReceptionButton& button, RunUser& user, const UploadFormation& f) {
  TfmKelmo& w = button.Forms.fmKelmo;
  TDM& dm = button.DM;
  ReceptionState& state = TheReceptionState();
  ShowPayKind(w, f.Kind);
  w.rgps->setItemIndex(1);
  rgpsClick(w);
  w.dlb->setDirectory(f.WorkFolder);

  IdentificationInput input;
  input.Folder = f.WorkFolder;
  input.WhoDetail = w.WhoDetail;
  input.Mode = RegistryMode::Form;
  input.Year = f.Year;
  input.Month = f.MonthIndex + 1;
  input.CurrentLpu = f.LpuId;
  input.PayListKind = f.Kind;
  RegistryPackageDatabase database(w.ibdb, &w.ibtr);
  TF_XML_load dialog(&w);
  PackageIdentification identification(database, dialog, &w);
  if (identification.IdentifyPackages(input, 1, state.XmlPackageMode, state.PackageConfirmed))
    return false;
  state.RegistrySource =
      state.XmlPackageMode ? RegistrySourceKind::XmlPackage : RegistrySourceKind::DbfFolder;
  if (state.XmlPackageMode && !dm.CS_base.databaseName().isEmpty() && !dm.CS_base.Connected())
    dm.ConnectCS();

  // The run is the marked institution's, whichever row the grid shows.
  const ReportPeriod period =
      ComputeReportPeriod(f.MonthIndex + 1, QString::number(f.Year), f.Kind, f.LpuId);
  w.PeriodStart = period.start;
  w.PeriodEnd = period.end;
  ReceptionInputs inputs = ReadReceptionInputs(w, f.WorkFolder);
  inputs.MonthIndex = f.MonthIndex;
  inputs.YearText = QString::number(f.Year);
  FbQuery lpu(w.ibdb, &w.ibtr);
  lpu.setSql(kUploadLpuSql);
  lpu.setParam(QStringLiteral("id"), f.LpuId);
  lpu.Open();
  if (lpu.RecordCount() > 0) ReadInstitution(inputs, lpu);
  inputs.LpuId = f.LpuId;
  inputs.InOmsDomain = dm.InOmsDomain();
  inputs.KvillonPath = dm.KvillonPath;
  ReceiveRegistry(inputs, ReceptionServices{w.ibdb, w.ibtr, user, button.Forms.Now,
                                            dm.AktEnabled ? &dm.con1 : nullptr, &dm.CS_base});
  return true;
}

UploadAllServices WindowUploadServices(const ReceptionButton& button, RunUser& user) {
  TfmKelmo& w = button.Forms.fmKelmo;
  TDM& dm = button.DM;
  UploadAllServices sv{w.ibdb, w.ibtr, user};
  sv.ConnectActs = [&dm] { return ConnectActsDatabase(dm); };
  sv.DisconnectActs = [&dm] {
    if (dm.con1.Connected()) dm.con1.Close();
  };
  sv.Form = [&button, &user](const UploadFormation& f) {
    return FormThroughWindow(button, user, f);
  };
  return sv;
}

void btnUPLClick(const ReceptionButton& button) {
  TfmKelmo& w = button.Forms.fmKelmo;
  RunControlsDisabled disabled(w);
  WindowRunUser user(&w, button.Forms.fmPrgs, button.Forms.fmUnCorr,
                     [&w] { return w.obKelmo->isVisible(); });
  RunGuarded([&] { UploadAll(ReadUploadAllInputs(w), WindowUploadServices(button, user)); });
  // The payment list stays on the last kind tried.
  ShowPayKind(w, TheRunState().PayKind);
}

}  // namespace kelmo
