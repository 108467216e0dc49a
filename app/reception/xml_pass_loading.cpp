// The XML road of the reception run.
#include "xml_pass_loading.h"

#include "case_entry_tables.h"
#include "case_sanctions.h"
#include "domain/package_lists.h"
#include "domain/run_state.h"
#include "system/workstation.h"
#include "xmlload/xml_package_loader.h"

namespace kelmo {

void LoadXmlPackage(const ReceptionContext& ctx, const QString&, Population population, int& repn) {
  XmlLoadInputs in;
  in.RegistryFolder = ctx.RegistryFolder;
  in.Pass = population;
  in.Receiving = ctx.Receiving;
  in.WhoDetail = ctx.WhoDetail;
  in.PayKind = ctx.PayKind;
  in.PayKindName = ctx.PayKindName;
  in.YearText = ctx.YearText;
  in.MonthIndex = ctx.MonthIndex;
  in.PeriodStart = ctx.PeriodStart;
  in.PeriodEnd = ctx.PeriodEnd;
  in.ActsEnabled = ctx.Acts != nullptr;
  in.ComputerName = ComputerName();
  XmlLoadServices services{ctx.Db,    ctx.Tr,        ctx.User(), ThePackageLists(),
                           ctx.State, TheRunState(), {},         {}};
  in.KvillonPath = ctx.KvillonPath;
  if (ctx.Acts != nullptr) {
    ActsConnection& acts = *ctx.Acts;
    services.ActsSanction = [&acts](const SankCall& call) { CallSetSank(acts, call); };
  }
  if (!ctx.KvillonPath.isEmpty()) {
    const QString folder = ctx.KvillonPath;
    services.CaseEntry = [folder](const CaseEntrySanctions& entry) {
      WriteCaseEntrySanctions(folder, entry);
    };
  }
  repn = kelmo::LoadXmlPackage(in, services, repn);
}

}  // namespace kelmo
