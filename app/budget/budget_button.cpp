// The reception button's budget branch.
#include "budget_button.h"

#include "budget_run.h"
#include "documents/un_corr.h"
#include "domain/holiday_calendar.h"
#include "domain/run_state.h"
#include "reception/reception_button.h"
#include "reception/reception_run.h"
#include "shell/main_window.h"

namespace kelmo {

void RunBudgetIntake(const ReceptionForms& forms) {
  TfmKelmo& w = forms.fmKelmo;
  RunState& run = TheRunState();
  BudgetInputs in;
  in.RegistryFolder = w.dlb->directory();
  in.Receiving = w.rgps->itemIndex() == 0;
  in.StacType = w.rgStac->itemIndex() + 1;
  in.PeriodStart = w.PeriodStart;
  in.PeriodEnd = w.PeriodEnd;
  in.ReceptionDate = w.deDKelmo->DateValue();
  auto field = [&](const char* name) {
    return w.ibqLPU.FieldByName(QString::fromLatin1(name)).toString();
  };
  in.Lpu.Id = w.ibqLPU.FieldByName(QStringLiteral("ID")).toInt();
  in.Lpu.FName = field("FNAME");
  in.Lpu.Name = field("NAME");
  in.Lpu.Adr = field("ADR");
  in.Lpu.PhoneGlv = field("PHONE_GLV");
  in.Lpu.PC = field("P_C");
  in.Lpu.Bank = field("BANK");
  in.Lpu.Inn = field("INN");
  in.Lpu.Kpp = field("KPP");
  in.Lpu.BikBank = field("BIKBANK");
  in.Lpu.GlVr = field("GL_VR");
  in.Lpu.GlBx = field("GL_BX");
  in.Lpu.Urov = field("UROV");
  in.Lpu.Gs = field("GS");
  in.DatabaseName = w.ibdb.databaseName();
  in.FolderButtonEnabled = w.bbGoDir->isEnabled();
  in.TemplateFolder = run.ExcelPath;
  in.ReportFooter = run.ReportFooter;
  in.Now = forms.Now;

  RegistryHolidayCalendar calendar(w.ibdb, &w.ibtr);
  BudgetServices svc{w.ibdb, w.ibtr, calendar};
  svc.Progress = forms.fmPrgs;
  svc.WriteBanner = [&w](const QString& path) { w.WriteVersionBanner(path, 1); };
  svc.ShowProtocol = [&forms, &run](const QString& path) {
    run.ProtocolPath = path;
    if (forms.fmUnCorr) forms.fmUnCorr->ShowProtocol();
  };
  const bool minimise = w.cbWind->isChecked();
  svc.Minimise = [&w, minimise](bool on) {
    if (on && minimise)
      w.showMinimized();
    else if (!on && w.isMinimized())
      w.showNormal();
  };
  const BudgetOutcome out = IntakeBudgetReport(in, svc);
  run.ProtocolPath = out.ProtocolPath;
}

}  // namespace kelmo
