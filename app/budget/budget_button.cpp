// The reception button's budget branch.
#include "budget_button.h"

#include "domain/holiday_calendar.h"
#include "domain/run_state.h"
#include "reception/reception_button.h"
#include "shell/main_window.h"
#include "shell/window_run_user.h"

namespace kelmo {

BudgetInputs ReadBudgetInputs(TfmKelmo& w, const QString& registryFolder) {
  const RunState& run = TheRunState();
  BudgetInputs in;
  in.RegistryFolder = registryFolder;
  in.Receiving = w.rgps->itemIndex() == 0;
  in.StacType = w.rgStac->itemIndex() + 1;
  in.PeriodStart = w.PeriodStart;
  in.PeriodEnd = w.PeriodEnd;
  in.ReceptionDate = w.deDKelmo->DateValue();
  auto field = [&](const char* name) {
    return w.ibqLPU.FieldByName(QString::fromLatin1(name)).toString();
  };
  in.Lpu.Id = w.ibqLPU.FieldByName(QStringLiteral("ID")).toInt();
  static_cast<InstitutionRequisites&>(in.Lpu) = ReadInstitutionRequisites(w.ibqLPU);
  in.Lpu.Name = field("NAME");
  in.Lpu.Urov = field("UROV");
  in.Lpu.Gs = field("GS");
  in.DatabaseName = w.ibdb.databaseName();
  in.FolderButtonEnabled = w.bbGoDir->isEnabled();
  in.TemplateFolder = run.ExcelPath;
  in.ReportFooter = run.ReportFooter;
  in.MinimiseDuringRun = w.cbWind->isChecked();
  return in;
}

void RunBudgetIntake(const ReceptionForms& forms, const QString& registryFolder) {
  TfmKelmo& w = forms.fmKelmo;
  RegistryHolidayCalendar calendar(w.ibdb, &w.ibtr);
  // The viewer of the budget intake never offers the combined act.
  WindowRunUser user(&w, forms.fmPrgs, forms.fmUnCorr, {});
  BudgetServices svc{w.ibdb, w.ibtr, calendar, user, forms.Now};
  const BudgetOutcome out = IntakeBudgetReport(ReadBudgetInputs(w, registryFolder), svc);
  TheRunState().ProtocolPath = out.ProtocolPath;
}

}  // namespace kelmo
