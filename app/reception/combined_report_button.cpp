// The combined report's button (see combined_report_button.h).
#include "combined_report_button.h"

#include "combined_report.h"
#include "interact/interaction.h"
#include "shell/data_module.h"
#include "shell/error_box.h"
#include "shell/main_window.h"
#include "shell/window_run_user.h"

namespace kelmo {

void obKelmoClick(const ReceptionButton& button) {
  TfmKelmo& w = button.Forms.fmKelmo;
  RunControlsDisabled disabled(w);
  RunGuarded([&] {
    w.ComputePeriod();
    CombinedReportInputs in;
    in.Reception = ReadReceptionInputs(w, w.dlb->directory());
    in.Reception.InOmsDomain = button.DM.InOmsDomain();
    in.Reception.KvillonPath = button.DM.KvillonPath;
    in.OperAnalysis = w.ch_OperAnaliz->isChecked();
    // The reception of the rebuilt registry records its sanctions in the
    // acts database like any other.
    if (!ConnectActsDatabase(button.DM)) {
      ShowMessage(&w, QStringLiteral("Ошибка подключения"), ActsConnectionFailedText(),
                  MessageIcon::Warning);
      return;
    }
    struct CloseActs {
      TDM& dm;
      ~CloseActs() {
        if (dm.con1.Connected()) dm.con1.Close();
      }
    } closeActs{button.DM};
    OfferCombinedAct(button.Forms, in.Reception);
    WindowRunUser user(&w, button.Forms.fmPrgs, button.Forms.fmUnCorr,
                       [&w] { return w.obKelmo->isVisible(); });
    RunCombinedReport(in,
                      CombinedReportServices{ReceptionServices{
                          w.ibdb, w.ibtr, user, button.Forms.Now,
                          button.DM.AktEnabled ? &button.DM.con1 : nullptr, &button.DM.CS_base}});
  });
}

}  // namespace kelmo
