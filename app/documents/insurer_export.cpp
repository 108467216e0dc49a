// The export and package of an insurer's documents (see insurer_export.h).
#include "insurer_export.h"

#include "export_package.h"
#include "xml_export.h"

namespace kelmo {

QString ExportInsurerCases(InsurerDocumentContext& ctx) {
  const InsurerDocumentInputs& run = ctx.In;
  const InsurerDocumentServices& sv = ctx.Services;
  const Population population = run.OutOfRegion ? Population::OutOfRegion : Population::Local;
  XmlExportInputs in;
  in.RegistryFolder = run.RegistryFolder;
  in.XmlPackageMode = run.XmlPackageMode;
  in.OutOfRegion = run.OutOfRegion;
  in.InsurerCode = ctx.Insurer.Code;
  in.ExportLabel = ctx.Insurer.ExportLabel;
  for (const rRepn& report : run.Reports[population]) in.Reports << report.Repn;
  in.FormingForPayer = run.Forming && run.WhoDetail.IsFundOrInsurer();
  in.ActsEnabled = static_cast<bool>(sv.Sanctions);
  in.YearText = run.YearText;
  in.MonthIndex = run.MonthIndex;
  in.ExprVer = run.ExprVer;
  in.Today = sv.Today();
  const XmlExportServices services{sv.Db, sv.Tr, sv.User, sv.Lists, sv.Sanctions};
  return ExportAndPack(in, services, run.OutOfRegion ? run.PackageFiles : ctx.PackageWorkbooks);
}

}  // namespace kelmo
