// The order of start-up.
#include "startup.h"

#include "error_box.h"

namespace kelmo {

KelmoForms StartKelmo(const StartupOptions& options) {
  auto step = [&](const char* name) {
    if (options.onStep) options.onStep(QString::fromLatin1(name));
  };
  KelmoForms forms;
  auto fmConnect = std::make_unique<TfmConnect>();
  fmConnect->ShowNow();
  step("fmConnect");

  forms.DM = std::make_unique<TDM>();
  RunGuarded([&] { forms.DM->DataModuleCreate(options.arguments, options.account); });
  step("DM");

  forms.fmKelmo = std::make_unique<TfmKelmo>(*forms.DM, options.paths);
  RunGuarded([&] { forms.fmKelmo->FormCreate(); });
  step("fmKelmo");

  forms.fmUnCorr = std::make_unique<TfmUnCorr>();
  step("fmUnCorr");
  forms.fmPrgs = std::make_unique<TfmPrgs>();
  step("fmPrgs");
  forms.F_XML_load = std::make_unique<TF_XML_load>();
  step("F_XML_load");
  forms.fmProp = std::make_unique<TfmProp>(*forms.DM);
  step("fmProp");
  forms.fmKelmo->SetDialogs(forms.fmUnCorr.get(), forms.fmPrgs.get(), forms.F_XML_load.get(),
                            forms.fmProp.get());

  fmConnect.reset();
  step("fmConnect freed");
  return forms;
}

}  // namespace kelmo
