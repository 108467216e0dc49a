// The XML road of the reception run.
#include "xml_pass_loading.h"

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
  if (ctx.Acts != nullptr) {
    ActsConnection& acts = *ctx.Acts;
    services.ActsSanction = [&acts](const XmlSanction& s) {
      SankCall call;
      call.UslOk = s.UslOk;
      call.IdReport = s.IdReport;
      call.DateReport = s.DateReport;
      call.IdCase = s.IdCase;
      call.Mcod = s.Mcod;
      call.Smo = s.Smo;
      call.SSum = s.SSum;
      call.Sumv = s.Sumv;
      call.SPenalty = Money();
      call.STip = 1;
      call.SOsn = s.SOsn;
      call.SCom = s.SCom;
      call.SIst = s.SIst;
      call.IdAkt = -1;
      call.ParamGroup = 0;
      CallSetSank(acts, call);
    };
  }
  repn = kelmo::LoadXmlPackage(in, services, repn);
}

}  // namespace kelmo
